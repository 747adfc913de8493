#pragma once
// Small drawing and set-up helpers the HUD panels share.
#include <array>
#include <cstdint>

#include "ui/ui_rect.h"

class CIconButton;
class CPanel;
class CTextRect;
struct CLayoutEntity;
struct Mat43;
struct Vec3;

// The icon button's five images in the order normal, pressed, disabled,
// hover, toggled (-1 none).
void SetButtonImages(CIconButton& button, int32_t normal, int32_t pressed, int32_t disabled,
                     int32_t hover, int32_t toggled);
// Enables or disables the button: a disabled one shows its disabled image and
// takes no input.
void EnableButton(CIconButton* button, bool on);
// A page tab's icon: the tab's rect drawn in by 2.5% of its own size on each
// side. Scaling the screen coordinates themselves would shrink an icon the
// further right its tab stands, to nothing at the panel's right edge.
inline UIRect TabIconRect(const UIRect& r) {
  const float dx = (r.x2 - r.x1) * 0.025f, dy = (r.y2 - r.y1) * 0.025f;
  return UIRect{r.x1 + dx, r.y1 + dy, r.x2 - dx, r.y2 - dy, r.depth};
}
// A push button of the panel on `r`: fired on release, its label centred in
// `font`.
CIconButton* CreatePushButton(CPanel& panel, int32_t id, const UIRect& r, int32_t font = 3);
// Attaches an empty text of the panel on `r`, in `font`, with the alignment
// code, margin and vertical offset given.
void PanelText(CTextRect& text, const UIRect& r, CPanel* panel, int32_t font, int32_t alignment, int32_t margin = 0,
               int32_t offset = 0);
// The rect moved by the model, filled with c1 on its left corners and c2 on
// its right ones.
void DrawBand(const UIRect& rect, const CLayoutEntity* model, uint32_t c1, uint32_t c2, float depth);
// The rect moved by the model, c1 on top and c2 at the bottom.
void DrawFade(const UIRect& rect, const CLayoutEntity* model, uint32_t top, uint32_t bottom,
              float depth);
// One textured quad through four corners (uv 0..1 from the first corner round).
void DrawTexturedCorners(const Vec3 corners[4], int32_t texture, uint32_t colour);
// A quad of half-width `half` along the segment (x1, y1)-(x2, y2).
void SegmentQuad(float x1, float y1, float x2, float y2, float half, float depth, Vec3 out[4]);
// A point through `view` on screen, in layout units; false behind the near
// plane or before the projection is set.
bool ProjectToLayout(const Mat43& view, const Vec3& point, float& x, float& y);
// The colour with its alpha replaced.
inline uint32_t WithAlpha(uint32_t colour, uint32_t alpha) {
  return (colour & 0x00FFFFFFu) | (alpha << 24);
}
// The colour at a third of its alpha (the lower corners of a title band).
inline uint32_t Faded(uint32_t colour) { return WithAlpha(colour, (colour >> 24) / 3); }
// The interface's grey title fill.
inline constexpr uint32_t kGreyTop = 0xFF909090u;
inline constexpr uint32_t kGreyBottom = 0x7F909090u;

// The dark blue of a main panel's window and the grey of its bars.
inline constexpr uint32_t kPanelBackingColour = 0xBB000A28u;
inline constexpr uint32_t kPanelGrey = 0xFF777777u;
inline constexpr uint32_t kPanelFadedGrey = 0x66777777u;
// The six backings of a main panel's layout: the window, the vertical bar,
// the title area, its two halves and the slider's; each with four corner
// colours.
using PanelBackingRects = std::array<UIRect, 6>;
using PanelBackingColours = std::array<std::array<uint32_t, 4>, 6>;
// Finds the backings in the layout's last frame and colours the window, the
// vertical bar, the title area and the slider's; the title halves keep theirs.
void FindPanelBackings(const CLayoutEntity* model, int32_t frameCount, PanelBackingRects& rects,
                       PanelBackingColours& colours);
// One backing moved by the model, behind the panel's widgets.
void DrawPanelBacking(const UIRect& rect, const std::array<uint32_t, 4>& colours, const CLayoutEntity* model);
