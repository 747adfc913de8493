#pragma once
// The plan view's block marker overlay: while the city is seen from above it
// writes each block's name under the block, puts the icon of a civic,
// utility or railroad block on it, marks the selected block with flashing
// corner brackets and, in the overlay mode the city overview chooses, draws
// one marker per block (star ratings, owners with their lease hours, or the
// state of the building rights). While it is open every building wears its
// owner's colour.
#include <cstdint>
#include <vector>

#include "engine/core/maths.h"
#include "ui/panel.h"
#include "visuals/architect/building_tints.h"

class CBlock;
class CTextRect;

enum BlockMarkerMode : int32_t {
  kMarkersNone = 0,
  kMarkersPlain = 1,
  kMarkersStars = 2,
  kMarkersOwners = 3,
  kMarkersRights = 4,
};

// The number of stars a rating shows: a rating just short of a whole star
// (by less than 0.005) counts as that star, five or more shows five, and a
// rating under one shows none.
int32_t StarCount(float rating);

// A civic, utility or railroad block's icon and the square behind it.
struct BlockIconRow {
  int32_t image;
  int32_t nameText;
  uint32_t backing;
};
// The row of a block definition's name text, null when it has none.
const BlockIconRow* BlockIconFor(int32_t nameText);

// Whether a block gets a label: in use and not hidden from the map (the
// school and library always), and never the last six definitions.
bool BlockLabelled(int32_t block);

// Colours every building in use by its owner's token (grey when unowned).
void TintBuildingsByOwner();

// The camera's view of the city, as the scene was drawn with it (the
// renderer's published view carries the interface's layer offset while the
// panels draw).
Mat43 CameraViewMatrix();

// The selected block: the selected block object, else the block of the
// selected building; -1 none.
int32_t SelectedBlockIndex();

// A block name's box in the 640 x 480 layout: centred on x, its top at y.
struct NameBox {
  float x = 0, y = 0, width = 0, height = 0;
};
// Moves each name (in order) off the names placed before it: first its own
// place under the block, then one and two steps of `lineHeight` lower, then
// above the block's icon (its top `rise` over its own place); a name that
// finds no free place takes the one it shares least.
void PlaceBlockNames(std::vector<NameBox>& names, float lineHeight, float rise);
// The width the name of block `i` wraps in: the room to its nearest
// neighbour on its row (centres x, y in the layout), at most the usual width.
float NameWrapWidth(const std::vector<Vec3>& centres, size_t i);

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
  // The locator's ring on a block: steady, or pulsing for what the player
  // is looking for.
  void DrawLocatorMarker(bool pulsing, int32_t block) const;
  // A block's centre in the 640 x 480 layout space; false when it lies
  // behind the camera or no view is set up.
  static bool ProjectBlock(const CBlock& block, float& x, float& y);
  // The places of the set's other open panels, and whether a block's marks
  // (LabelBox, round its projected centre) would lie under one of them.
  std::vector<UIRect> CoveringPanels() const;
  static UIRect LabelBox(float x, float y);
  static bool Covered(const UIRect& box, const std::vector<UIRect>& covered);

  struct Label {
    CTextRect* text = nullptr;
    int32_t block = -1;
  };
  // The blocks the city overview's locator marks, and whether each pulses.
  struct Located {
    int32_t block;
    bool pulsing;
  };
  std::vector<Located> located;
  std::vector<Label> labelList;
  int32_t overlayMode = kMarkersNone;
  bool labels = true;
  int32_t markerImage = 91;

 private:
  void DrawIcon(const Label& label, float x, float y) const;
  // The name's box under its block at (x, y), measured as it wraps in `wrap`.
  NameBox NameBoxOf(const Label& label, float x, float y, float wrap) const;
  void DrawName(const Label& label, float x, float top, float wrap) const;
  void DrawStars(const CBlock& block, float x, float y) const;
  void DrawOwner(const CBlock& block, float x, float y, float labelLeft) const;
  void DrawRights(const CBlock& block, float x, float y) const;
  void DrawNumber(int32_t value, float x, float y) const;
  CTextRect* number_ = nullptr;
};
