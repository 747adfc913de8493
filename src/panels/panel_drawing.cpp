#include "panels/panel_drawing.h"

#include <algorithm>
#include <cmath>

#include "engine/core/maths.h"
#include "engine/render/renderer.h"
#include "ui/buttons.h"
#include "ui/draw_2d.h"
#include "ui/panel.h"
#include "ui/ui_services.h"
#include "ui/widget.h"

void SetButtonImages(CIconButton& b, int32_t normal, int32_t pressed, int32_t disabled, int32_t hover,
                     int32_t toggled) {
  b.imageNormal = b.currentImage = normal;
  b.imagePressed = pressed;
  b.imageDisabled = disabled;
  b.imageHover = hover;
  b.imageToggled = toggled;
}

void EnableButton(CIconButton* b, bool on) { b->disabled = b->inputDisabled = !on; }

CIconButton* CreatePushButton(CPanel& panel, int32_t id, const UIRect& r, int32_t font) {
  CIconButton* b = panel.CreateIconButton(id, r.x1, r.y1, r.x2, r.y2);
  b->SetMode(kIconFireOnRelease);
  b->label.SetFont(font);
  b->label.SetAlignment(4, kKeepAlignmentValue, kKeepAlignmentValue);
  return b;
}

void PanelText(CTextRect& text, const UIRect& r, CPanel* panel, int32_t font, int32_t alignment, int32_t margin,
               int32_t offset) {
  text.Attach(r.x1, r.y1, r.x2, r.y2, panel, panel, 0);
  text.SetFont(font);
  text.SetAlignment(alignment, margin, offset);
  text.Clear();
}

void DrawBand(const UIRect& rect, const CLayoutEntity* model, uint32_t c1, uint32_t c2, float depth) {
  DrawRect2D(MovedRect(rect, model), c1, c1, c2, c2, depth);
}

void DrawFade(const UIRect& rect, const CLayoutEntity* model, uint32_t top, uint32_t bottom,
              float depth) {
  DrawRect2D(MovedRect(rect, model), top, bottom, bottom, top, depth);
}

void DrawTexturedCorners(const Vec3 corners[4], int32_t texture, uint32_t colour) {
  CRenderer* renderer = UiRenderer();
  if (renderer == nullptr || texture < 0) return;
  const TexRect coords{0.0f, 0.0f, 1.0f, 1.0f};
  renderer->DrawTexturedQuadsShaded(corners, 1, &coords, texture, &colour);
}

bool ProjectToLayout(const Mat43& view, const Vec3& point, float& x, float& y) {
  const ProjectionState& p = g_Projection;
  if (p.centreX <= 0 || p.centreY <= 0) return false;
  Vec3 at;
  MatTransformPoints(view, &point, &at, 1);
  if (at.z < p.nearPlane) return false;
  ScreenPoint screen;
  ProjectPoints(&at, &screen, 1);
  x = screen.x * 640.0f / (2 * p.centreX);
  y = screen.y * 480.0f / (2 * p.centreY);
  return true;
}

void SegmentQuad(float x1, float y1, float x2, float y2, float half, float depth, Vec3 out[4]) {
  float dx = x2 - x1, dy = y2 - y1;
  const float length = std::sqrt(dx * dx + dy * dy);
  if (length > 0.0f) dx /= length, dy /= length;
  const float nx = -dy * half, ny = dx * half;
  out[0] = {x1 + nx, y1 + ny, depth};
  out[1] = {x2 + nx, y2 + ny, depth};
  out[2] = {x2 - nx, y2 - ny, depth};
  out[3] = {x1 - nx, y1 - ny, depth};
}

void FindPanelBackings(const CLayoutEntity* model, int32_t frameCount, PanelBackingRects& rects,
                       PanelBackingColours& colours) {
  static constexpr const char* kNames[6] = {"P_MAIN_MAIN_WINDOW",        "P_MAIN_VERTCAL_BAR_BACKING",
                                            "P_MAIN_TITLE_AREA_BACKING", "P_MAIN_TITLE_AREA1",
                                            "P_MAIN_TITLE_AREA2",        "P_MAIN_SLIDER_BACKING2"};
  const int32_t last = std::max(frameCount, 1);
  for (size_t i = 0; i < rects.size(); ++i) rects[i] = CPanel::FindElementRect(kNames[i], model, last);
  const uint32_t b = kPanelBackingColour, g = kPanelGrey, f = kPanelFadedGrey;
  colours[0] = {b, b, b, b};
  colours[1] = {g, f, f, g};
  colours[2] = {g, g, f, f};
  colours[5] = {g, g, g, g};
}

void DrawPanelBacking(const UIRect& rect, const std::array<uint32_t, 4>& c, const CLayoutEntity* model) {
  DrawRect2D(MovedRect(rect, model), c[0], c[1], c[2], c[3], 1.5f);
}
