#pragma once
// The plan view's block marker overlay: while the city is seen from above
// every building wears its owner's colour, and the overlay mode chosen by
// the city overview decides which marker each block gets (star ratings,
// owners, building rights). The brackets of the selected block flash with
// the events that reach the panel.
#include <array>
#include <cstdint>

#include "city/buildings.h"
#include "ui/panel.h"

enum BlockMarkerMode : int32_t {
  kMarkersNone = 0,
  kMarkersPlain = 1,
  kMarkersStars = 2,
  kMarkersOwners = 3,
  kMarkersRights = 4,
};

inline constexpr uint32_t kNoTint = 0xFFFFFFFFu;
inline constexpr uint32_t kUnownedTint = 0xFF808080u;

// The tint each building is drawn with; kNoTint outside the plan view.
std::array<uint32_t, kBuildingPoolSize>& BuildingTints();

// The number of stars a rating shows: a rating just short of a whole star
// (by less than 0.005) counts as that star, five or more shows five, and a
// rating under one shows none.
int32_t StarCount(float rating);

class CBlockMarkerPanel : public CPanel {
 public:
  void Build() override;
  void Reset() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  void DrawSelf() override;
  void OnOpen() override;
  void OnClose() override;

  // The selected block's brackets show for 21 events, then hide for 20.
  static bool BracketsVisible();
  // One building-rights marker (kind 0 none, 1 being prepared, 2 granted) at
  // a layout point; a marker still pulsing shows it is not settled.
  void DrawBlockMarker(int32_t kind, float x, float y, bool owned, bool solid) const;

  int32_t overlayMode = kMarkersNone;
  bool labels = true;
  int32_t markerImage = 91;
};
