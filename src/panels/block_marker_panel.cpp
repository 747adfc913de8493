#include "panels/block_marker_panel.h"

#include "city/blocks.h"
#include "engine/core/maths.h"
#include "engine/render/renderer.h"
#include "panels/panel_drawing.h"
#include "panels/player_tokens.h"
#include "ui/draw_2d.h"
#include "session/player.h"

namespace {
uint32_t WithAlphaWord(uint32_t colour, uint32_t alpha) { return (colour & 0x00FFFFFFu) | (alpha << 24); }

int32_t g_BracketFlash = 0;
int32_t g_PulseFrames = 0;
constexpr int32_t kStarImage = 109;
constexpr float kDepth = 1.5f;
constexpr float kStarOffsets[5][5][2] = {
    {{0, 0}},
    {{-8, 0}, {8, 0}},
    {{-13, 0}, {13, 0}, {0, 0}},
    {{-8, -8}, {8, -8}, {8, 8}, {-8, 8}},
    {{-8, -8}, {8, -8}, {-13, 8}, {13, 8}, {0, 8}},
};

// A block's centre on the ground, in the 640 by 480 layout space; false
// when it lies behind the camera or no view is set up.
bool ProjectBlock(const CBlock& block, float& x, float& y) {
  return ProjectToLayout(Vec3{block.CentreX, 0.0f, block.CentreZ}, x, y);
}

bool Labelled(int32_t index, const CBlock& block) {
  if (block.DefIndex > 45) return false;
  return index == 41 || (block.InUse && (block.MapMarks & kMarkHidden) == 0);
}

void Square(float x, float y, float half, uint32_t colour) {
  DrawRect2DSolid(UIRect{x - half, y - half, x + half, y + half, kDepth}, colour, kDepth);
}

void DrawBrackets(float x, float y) {
  const uint32_t c = CBlockMarkerPanel::BracketsVisible() ? 0xFFFFFFFFu : 0x00FFFFFFu;
  const float bars[8][4] = {{-20, -20, -10, -15}, {-20, -20, -15, -10}, {10, -20, 20, -15}, {15, -20, 20, -10},
                            {10, 15, 20, 20},     {15, 10, 20, 20},     {-20, 15, -10, 20}, {-20, 10, -15, 20}};
  for (const auto& b : bars) DrawRect2DSolid(UIRect{x + b[0], y + b[1], x + b[2], y + b[3], kDepth}, c, kDepth);
}
}  // namespace

std::array<uint32_t, kBuildingPoolSize>& BuildingTints() {
  static std::array<uint32_t, kBuildingPoolSize> tints = [] {
    std::array<uint32_t, kBuildingPoolSize> t{};
    t.fill(kNoTint);
    return t;
  }();
  return tints;
}

int32_t StarCount(float rating) {
  const int32_t n = static_cast<int32_t>(rating + 0.005f);
  if (n <= 0) return 0;
  return n > 4 ? 5 : n;
}

void CBlockMarkerPanel::Build() {
  bounds.x1 = 0;
  bounds.y1 = 0;
  bounds.x2 = 1;
  bounds.y2 = 1;
  markerImage = 91;
}

void CBlockMarkerPanel::Reset() {
  overlayMode = kMarkersNone;
  labels = true;
}

int32_t CBlockMarkerPanel::OnEvent(int32_t, int32_t, int32_t) {
  if (++g_BracketFlash > 40) g_BracketFlash = 0;
  return 0;
}

void CBlockMarkerPanel::DrawBlockMarker(int32_t kind, float x, float y, bool owned, bool solid) const {
  const uint32_t alpha = uint32_t(g_PulseFrames * 10) % 256;
  constexpr uint32_t kGreen = 0xFF00FF00u, kRed = 0xFFFF0000u;
  uint32_t colour = 0x00FFFFFFu;
  bool pulsing = true;
  if (kind == 0) colour = solid ? kGreen : kRed, pulsing = false;
  else if (kind == 1 && owned) colour = solid ? kGreen : WithAlphaWord(kGreen, alpha), pulsing = false;
  else if (kind == 1) colour = WithAlphaWord(kRed, alpha);
  else if (kind == 2) colour = WithAlphaWord(kGreen, alpha);
  Square(x, y, 15, colour);
  if (markerImage != -1) DrawImage2DTinted(x, y, markerImage, kDepth, pulsing ? WithAlphaWord(0xFFFFFFFFu, alpha) : 0xFFFFFFFFu);
}

void CBlockMarkerPanel::DrawSelf() {
  ++g_PulseFrames;
  const CBlock* selected = g_SelectedBuilding ? g_SelectedBuilding->Block : nullptr;
  const CPlayer* local = PlayerTable().Local();
  for (size_t i = 0; i < g_Blocks.size(); ++i) {
    const CBlock& block = g_Blocks[i];
    float x = 0, y = 0;
    if (!Labelled(int32_t(i), block) || !ProjectBlock(block, x, y)) continue;
    const CPlayer* owner = PlayerTable().ByNumber(block.Owner);
    if (overlayMode == kMarkersStars) {
      const int32_t n = StarCount(block.Prestige);
      for (int32_t s = 0; s < n; ++s)
        DrawImage2D(x + kStarOffsets[n - 1][s][0], y + kStarOffsets[n - 1][s][1], kStarImage, kDepth);
    } else if (overlayMode == kMarkersOwners) {
      Square(x, y, 19, owner ? PlayerTokenColour(owner) : kUnownedTint);
      Square(x, y, 15, 0x55000000u);
      if (owner) DrawImage2D(x, y, TokenRow(owner->character).tokenImage, kDepth);
    } else if (overlayMode == kMarkersRights && block.BuildingRights != kRightsGranted) {
      const bool owned = owner && owner == local;
      DrawBlockMarker(block.BuildingRights, x, y, owned, block.BuildingRights == kRightsNone && owned);
    }
    if (&block == selected) DrawBrackets(x, y);
  }
}

bool CBlockMarkerPanel::BracketsVisible() { return g_BracketFlash <= 20; }

void CBlockMarkerPanel::OnOpen() {
  auto& tints = BuildingTints();
  for (size_t i = 0; i < g_Buildings.size(); ++i) {
    const CBuilding& b = g_Buildings[i];
    if (!b.InUse) continue;
    const CPlayer* owner = b.GetOwner();
    tints[i] = owner ? PlayerTokenColour(owner) : kUnownedTint;
  }
}

void CBlockMarkerPanel::OnClose() { BuildingTints().fill(kNoTint); }
