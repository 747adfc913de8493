#include "panels/navigator_panel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "city/blocks.h"
#include "city/city_entities.h"
#include "engine/input/camera_controller.h"
#include "engine/render/renderer.h"
#include "engine/scene/entity.h"
#include "panels/panel_drawing.h"
#include "panels/panel_links.h"
#include "panels/player_tokens.h"
#include "session/player.h"
#include "session/session_state.h"
#include "session/tick_driver.h"
#include "ui/buttons.h"
#include "ui/cursors.h"
#include "ui/draw_2d.h"
#include "ui/hover_info.h"
#include "ui/interface_controls.h"
#include "ui/text_rect.h"
#include "ui/ui_services.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/overlay/interface_task.h"
#include "ui/game_requests.h"
#include "panels/hud_panels.h"

namespace {

constexpr float kBlockQuadScale = 0.12f;
constexpr float kOwnerQuadScale = 0.075f;
constexpr float kHitScale = 0.1f;
constexpr float kMarkerRadius = 10.0f;
constexpr int32_t kNavigatorTutorialEvent = 103;

bool BlockShown(const CBlock& b) { return b.InUse && (b.MapMarks & kMarkHidden) == 0; }

bool CityOverviewOpen() { return HudPanels().overview.open; }

}  // namespace

int32_t MapPulse(uint32_t frame) { return std::abs(int32_t(frame & 31) - 15); }

MapPoint MapCentre(const UIRect& map, const CLayoutEntity* model) {
  const UIRect r = MovedRect(map, model);
  return MapPoint{(r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2};
}

MapPoint MapPosition(const MapPoint& c, float x, float z) {
  return MapPoint{c.x + kMapScale * x, c.y - kMapScale * z};
}

MapPoint CameraMarkerPoint(const MapPoint& c, float cameraX, float cameraZ, float heading,
                           uint32_t frame) {
  const float s = 0.06666667f * float(MapPulse(frame));
  MapPoint p = MapPosition(c, cameraX, cameraZ);
  p.x += 4 * s * s * std::cos(-heading);
  p.y += 4 * s * s * std::sin(-heading);
  p.x = std::clamp(p.x, c.x - kMarkerReachX, c.x + kMarkerReachX);
  p.y = std::clamp(p.y, c.y - kMarkerReachY, c.y + kMarkerReachY);
  return p;
}

bool OwnerQuadColour(uint32_t token, int32_t leaseHours, bool local, uint32_t frame, uint32_t& colour) {
  colour = token;
  if (leaseHours <= 24) return (frame & 15) <= 8;
  if (!local) return true;
  const float k = float(MapPulse(frame)) / 32.0f + 0.5f;
  auto scale = [k](uint32_t c, int shift) { return uint32_t(float((c >> shift) & 0xFF) * k) << shift; };
  colour = 0xFF000000u | scale(token, 16) | scale(token, 8) | scale(token, 0);
  return true;
}

// ---- CCityMapView ----------------------------------------------------------------

void CCityMapView::AddQuad(float cx, float cy, float w, float h, uint32_t colour) {
  const float hw = w / 2, hh = h / 2;
  quads.push_back({cx - hw, cy - hh, 0.5f});
  quads.push_back({cx - hw, cy + hh, 0.5f});
  quads.push_back({cx + hw, cy + hh, 0.5f});
  quads.push_back({cx + hw, cy - hh, 0.5f});
  colours.insert(colours.end(), 4, colour);
}

void CCityMapView::FlushQuads() {
  if (CRenderer* r = UiRenderer(); r != nullptr && !quads.empty())
    r->DrawGouraudQuads(quads.data(), int32_t(quads.size() / 4), colours.data());
  quads.clear();
  colours.clear();
}

void CCityMapView::DrawBlocks(const CLayoutEntity* model) {
  const uint32_t frame = Ui().frameCounter;
  if (hoveredBlock < 0 && IsMouseOverRect(map, model)) HoverInfo().ClearPickedObject();
  const MapPoint c = MapCentre(map, model);
  const uint32_t alpha = model ? model->alpha : 255u;
  quads.reserve(size_t(kBlockCount) * 4);
  colours.reserve(size_t(kBlockCount) * 4);
  for (const CBlock& b : g_Blocks) {
    if (!BlockShown(b)) continue;
    const MapPoint p = MapPosition(c, b.CentreX, b.CentreZ);
    AddQuad(p.x, p.y, kBlockQuadScale * b.SizeX, kBlockQuadScale * b.SizeZ, WithAlpha(b.DistrictColour, alpha));
  }
  if (hoveredBlock >= 0)
    if (const CEntity* e = BlockBaseEntities().GetEntity(hoveredBlock)) HoverInfo().SetPickedObject(e, -1, false);
  FlushQuads();
  const CPlayer* local = PlayerTable().Local();
  for (const CBlock& b : g_Blocks) {
    if (!b.InUse || b.Owner == 0) continue;
    const CPlayer* owner = PlayerTable().ByNumber(b.Owner);
    uint32_t colour = 0;
    if (!OwnerQuadColour(PlayerTokenColour(owner), b.LeaseHours, owner != nullptr && owner == local, frame,
                         colour))
      continue;
    // The building area: the block's 7 by 7 lots.
    const float area = kLotSize * kLotsPerSide;
    const MapPoint p = MapPosition(c, b.MinX + area / 2, b.MinZ + area / 2);
    AddQuad(p.x, p.y, kOwnerQuadScale * area, kOwnerQuadScale * area, colour);
  }
  FlushQuads();
}

void CCityMapView::DrawBlockFrame(const CLayoutEntity* model, int32_t block) {
  const CBlock* b = GetBlock(block);
  if (b == nullptr || !b->InUse) return;
  const MapPoint p = MapPosition(MapCentre(map, model), b->CentreX, b->CentreZ);
  const float hw = 0.15f * b->SizeX / 2, hh = 0.15f * b->SizeZ / 2;
  const uint32_t alpha = (Ui().frameCounter & 15u) << 28;
  const uint32_t colour = ((~b->DistrictColour) & 0x00FFFFFFu) | alpha | 0x0F000000u;
  const UIRect r{p.x - hw, p.y - hh, p.x + hw, p.y + hh, 0.5f};
  DrawRect2DSolid({r.x1, r.y1, r.x2, r.y1 + 2, 0.5f}, colour, 0.5f);
  DrawRect2DSolid({r.x1, r.y2 - 2, r.x2, r.y2, 0.5f}, colour, 0.5f);
  DrawRect2DSolid({r.x1, r.y1, r.x1 + 2, r.y2, 0.5f}, colour, 0.5f);
  DrawRect2DSolid({r.x2 - 2, r.y1, r.x2, r.y2, 0.5f}, colour, 0.5f);
}

void CCityMapView::DrawCameraMarker(const CLayoutEntity* model, float cameraX, float cameraZ, float heading) {
  const MapPoint p = CameraMarkerPoint(MapCentre(map, model), cameraX, cameraZ, heading, Ui().frameCounter);
  const float turn = std::numbers::pi_v<float> / 4 - heading;
  Vec3 q[4];
  for (int i = 0; i < 4; ++i) {
    const float a = turn + float(i) * std::numbers::pi_v<float> / 2;
    q[i] = {p.x + kMarkerRadius * std::cos(a), p.y + kMarkerRadius * std::sin(a), 0.5f};
  }
  DrawTexturedCorners(q, UIImageTexture(kCameraMarkerImage), 0xFFFFFFFFu);
}

void CCityMapView::HitTest(const CLayoutEntity* model, bool setTooltip) {
  const bool over = IsMouseOverRect(map, model);
  if (CityOverviewOpen()) {
    if (over) RequestCursor(kCursorPointer, 1);
    return;
  }
  if (over) RequestCursor(kCursorPointer, 1);
  hoveredBlock = -1;
  hovered = false;
  const MapPoint c = MapCentre(map, model);
  const float mx = float(Ui().mouse.x), my = float(Ui().mouse.y);
  for (const CBlock& b : g_Blocks) {
    if (!BlockShown(b)) continue;
    const MapPoint p = MapPosition(c, b.CentreX, b.CentreZ);
    const float hw = kHitScale * b.SizeX / 2, hh = kHitScale * b.SizeZ / 2;
    if (mx >= p.x - hw && mx <= p.x + hw && my >= p.y - hh && my <= p.y + hh) {
      hoveredBlock = b.Index;
      break;
    }
  }
  if (hoveredBlock >= 0) {
    if (setTooltip) RequestCursor(kCursorHand, 1);
    hovered = true;
  }
}

// ---- Navigator --------------------------------------------------------------------

void CNavigatorPanel::Build() {
  pressed = false;
  panelRect = view.map = ElementRect("P_NAVIGATOR_MAINWINDOW");
  backing = ElementRect("NAV_BACKING_MAIN");
  SetInterfaceControl(kControl, this);
}

void CNavigatorPanel::Update() {
  DrawRect2DSolid(MovedRect(backing, LayoutEntity()), InterfaceBackingColour, 0.5f);
}

void CNavigatorPanel::DrawSelf() {
  view.DrawBlocks(LayoutEntity());
  const CameraState& cam = g_CameraState;
  view.DrawCameraMarker(LayoutEntity(), cam.drawnLookAt.x, cam.drawnLookAt.z, cam.yaw);
}

int32_t CNavigatorPanel::OnEvent(int32_t type, int32_t, int32_t flag) {
  if (!inputDisabled) view.HitTest(LayoutEntity(), true);
  if (type == kMsgMouseLeft || type == kMsgLeftReleased) {
    const bool click = type == kMsgLeftReleased && pressed && view.hoveredBlock >= 0 && !CityOverviewOpen();
    pressed = false;
    if (click) {
      UiGameSide().FireTutorialEvent(kNavigatorTutorialEvent);
      GoToBlock(view.hoveredBlock);
    }
  } else if (type == kMsgLeftPressed || (type == kNotifyClicked && flag == 0)) {
    pressed = true;
  }
  return 0;
}

// ---- View buttons -----------------------------------------------------------------

namespace {

enum NavButton : int32_t { kPlanButton = 0, kSpeedButton = 1, kResultsButton = 2 };
constexpr int32_t kSpeedImages[2][5] = {{191, 193, 17, 192, 194}, {306, 308, 17, 307, 309}};

bool NetworkGame() { return Session().networkSession; }

}  // namespace

void CNavButtonPanel::Build() {
  const UIRect icon = ElementRect("NAV_TOP_VIEW_ICON");
  CIconButton* plan = buttons[kPlanButton] = CreateIconButton(kPlanButton, icon.x1, icon.y1, icon.x2, icon.y2);
  plan->SetMode(kIconFireOnRelease);
  SetButtonImages(*plan, 117, 115, -1, 116, -1);
  SetInterfaceControl(CNavigatorPanel::kPlanViewControl, plan);
  CIconButton* speed = buttons[kSpeedButton] =
      CreateIconButton(kSpeedButton, icon.x1 + 75, icon.y1, icon.x2 + 75, icon.y2);
  speed->SetMode(kIconFireOnRelease);
  const int32_t* s = kSpeedImages[0];
  SetButtonImages(*speed, s[0], s[1], s[2], s[3], s[4]);
  speed->overlayImage = 303;
  speed->overlayRect = UIRect{icon.x1 + 75, icon.y1, icon.x2 + 75, icon.y2, 0.5f};
  speed->tooltipTextId = 1144;
  CIconButton* results = buttons[kResultsButton] =
      CreateIconButton(kResultsButton, icon.x1 - 37, icon.y1, icon.x2 - 37, icon.y2);
  results->SetMode(kIconFireOnRelease);
  SetButtonImages(*results, s[0], s[1], s[2], s[3], s[4]);
  results->overlayImage = 65;
  results->overlayRect = UIRect{icon.x1 - 37, icon.y1, icon.x2 - 37, icon.y2, 0.5f};
  results->tooltipTextId = 1681;
  backing = ElementRect("NAV_BACKING_MAIN");
  UpdateIcon();
  open = true;
}

void CNavButtonPanel::Reset() {
  buttons[kSpeedButton]->disabled = NetworkGame();
  UpdateIcon();
  ApplyViewMode(false);
}

void CNavButtonPanel::UpdateIcon() {
  if (buttons[kPlanButton]) buttons[kPlanButton]->tooltipTextId = GetScreenMode() == kScreenPlan ? 1143 : 1142;
}

void CNavButtonPanel::ApplyViewMode(bool fast) {
  CIconButton* speed = buttons[kSpeedButton];
  if (speed == nullptr) return;
  const int32_t* s = kSpeedImages[fast ? 1 : 0];
  SetButtonImages(*speed, s[0], s[1], s[2], s[3], s[4]);
  speed->tooltipTextId = fast ? 1145 : 1144;
}

void CNavButtonPanel::Update() {
  DrawRect2DSolid(MovedRect(backing, LayoutEntity()), InterfaceBackingColour, 0.5f);
}

int32_t CNavButtonPanel::OnEvent(int32_t type, int32_t a, int32_t) {
  if (type != kNotifyClicked) return 0;
  if (a == kPlanButton) {
    TogglePlanView();
    UpdateIcon();
  } else if (a == kSpeedButton && !NetworkGame()) {
    const bool fast = ToggleLogicSpeed();
    ApplyViewMode(fast);
    HoverInfo().SetTextId(fast ? 1145 : 1144);
  } else if (a == kResultsButton) {
    PostGameRequest(ShowStatisticsRequest{});
  }
  return 0;
}
