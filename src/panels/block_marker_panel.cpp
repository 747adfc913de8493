#include "panels/block_marker_panel.h"

#include "panels/player_tokens.h"
#include "session/player.h"

namespace {
int32_t g_BracketFlash = 0;
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
