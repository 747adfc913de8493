#include "panels/block_marker_panel.h"

#include <algorithm>
#include <cmath>

#include "city/blocks.h"
#include "city/buildings.h"
#include "engine/core/maths.h"
#include "engine/input/camera_controller.h"
#include "engine/render/renderer.h"
#include "engine/scene/entity.h"
#include "panels/panel_drawing.h"
#include "panels/player_tokens.h"
#include "session/player.h"
#include "ui/draw_2d.h"
#include "ui/panel_manager.h"
#include "ui/text_rect.h"
#include "ui/ui_services.h"
#include "visuals/camera/city_picking.h"
#include "visuals/overlay/interface_task.h"
#include "visuals/scene/scene_passes.h"

namespace {

constexpr int32_t kStarImage = 109;
constexpr int32_t kLocatorImage = 284;
constexpr int32_t kSchoolLibraryBlock = 41;
constexpr int32_t kLastLabelledDef = 45;
constexpr float kDepth = 1.5f;
constexpr float kLabelWidth = 64.0f;
// A name starts this far under its block's centre, below the icon.
constexpr float kNameGap = 19.0f;
constexpr float kIconHalf = 16.0f;
constexpr int32_t kNameLineHeight = 10;
constexpr float kNameRoom = 40.0f;       // the rectangle a name wraps in, high
constexpr float kNameSpace = 4.0f;       // least room between two names
constexpr float kNarrowestName = 40.0f;  // a name wraps no narrower
constexpr uint32_t kCivicBacking = 0xFF808080u, kUtilityBacking = 0xFF92A686u;
constexpr uint32_t kOwnerShade = 0x55000000u;

int32_t g_BracketFlash = 0;

constexpr float kStarOffsets[5][5][2] = {
    {{0, 0}},
    {{-8, 0}, {8, 0}},
    {{-13, 0}, {13, 0}, {0, 0}},
    {{-8, -8}, {8, -8}, {8, 8}, {-8, 8}},
    {{-8, -8}, {8, -8}, {-13, 8}, {13, 8}, {0, 8}},
};

// The nine civic blocks, the four utilities and the four railroads, by the
// name text of their block definitions.
constexpr BlockIconRow kBlockIcons[17] = {
    {203, 2264, kCivicBacking},   {204, 2300, kCivicBacking},   {205, 2348, kCivicBacking},
    {206, 2248, kCivicBacking},   {207, 2256, kCivicBacking},   {208, 2384, kCivicBacking},
    {209, 2276, kCivicBacking},   {210, 2328, kCivicBacking},   {211, 2372, kCivicBacking},
    {212, 2400, kUtilityBacking}, {213, 2244, kUtilityBacking}, {214, 2320, kUtilityBacking},
    {215, 2420, kUtilityBacking}, {216, 2252, kUtilityBacking}, {216, 2324, kUtilityBacking},
    {216, 2340, kUtilityBacking}, {216, 2404, kUtilityBacking},
};

// The pulse of the unsettled markers, from the drawn frames.
uint32_t PulseAlpha() { return (Ui().frameCounter * 10u) % 256u; }

void Square(float x, float y, float half, uint32_t colour) {
  DrawRect2DSolid(UIRect{x - half, y - half, x + half, y + half, kDepth}, colour, kDepth);
}

void CentredImage(float x, float y, int32_t image, uint32_t colour = 0xFFFFFFFFu) {
  DrawImage2DTinted(x - float(UIImageWidth(image)) / 2, y - float(UIImageHeight(image)) / 2, image, kDepth,
                    colour);
}

void DrawBrackets(float x, float y) {
  const uint32_t c = CBlockMarkerPanel::BracketsVisible() ? 0xFFFFFFFFu : 0x00FFFFFFu;
  const float bars[8][4] = {{-20, -20, -10, -15}, {-20, -20, -15, -10}, {10, -20, 20, -15}, {15, -20, 20, -10},
                            {10, 15, 20, 20},     {15, 10, 20, 20},     {-20, 15, -10, 20}, {-20, 10, -15, 20}};
  for (const auto& b : bars) DrawRect2DSolid(UIRect{x + b[0], y + b[1], x + b[2], y + b[3], kDepth}, c, kDepth);
}

int32_t NameText(const CBlock& block) {
  if (block.DefIndex < 0 || block.DefIndex >= kBlockCount) return 0;
  return g_BlockDefs[size_t(block.DefIndex)].NameTextId;
}

// A number right-aligned by its digits: three or more at x, two at x + 4,
// one at x + 8.
float DigitShift(int32_t value) { return value >= 100 || value <= -10 ? 0.0f : value >= 10 || value < 0 ? 4.0f : 8.0f; }

}  // namespace

// ---- Helpers ------------------------------------------------------------------

int32_t StarCount(float rating) {
  const int32_t n = static_cast<int32_t>(rating + 0.005f);
  if (n <= 0) return 0;
  return n > 4 ? 5 : n;
}

const BlockIconRow* BlockIconFor(int32_t nameText) {
  for (const BlockIconRow& row : kBlockIcons)
    if (row.nameText == nameText) return &row;
  return nullptr;
}

bool BlockLabelled(int32_t index) {
  if (index < 0 || index >= kBlockCount) return false;
  const CBlock& block = g_Blocks[size_t(index)];
  if (block.DefIndex > kLastLabelledDef) return false;
  return index == kSchoolLibraryBlock || (block.InUse && (block.MapMarks & kMarkHidden) == 0);
}

void TintBuildingsByOwner() {
  auto& tints = BuildingTints();
  for (size_t i = 0; i < g_Buildings.size(); ++i) {
    const CBuilding& b = g_Buildings[i];
    if (!b.InUse) continue;
    const CPlayer* owner = b.GetOwner();
    tints[i] = owner ? PlayerTokenColour(owner) : kUnownedTint;
  }
}

int32_t SelectedBlockIndex() {
  if (const CEntity* picked = SelectedObject(); picked && picked->objectKind == kPickBlock) return picked->index;
  if (g_SelectedBuilding && g_SelectedBuilding->Block) return g_SelectedBuilding->Block->Index;
  return -1;
}

Mat43 CameraViewMatrix() {
  const CameraState& c = g_CameraState;
  Mat43 camera;
  MatLookAt(c.drawnEye.x, c.drawnEye.y, c.drawnEye.z, c.drawnLookAt.x, c.drawnLookAt.y, c.drawnLookAt.z, c.up.x,
            c.up.y, c.up.z, camera);
  return camera;
}

bool CBlockMarkerPanel::ProjectBlock(const CBlock& block, float& x, float& y) {
  return ProjectToLayout(CameraViewMatrix(), Vec3{block.CentreX, 0.0f, block.CentreZ}, x, y);
}

// ---- The panel ----------------------------------------------------------------

void CBlockMarkerPanel::Build() {
  bounds.x1 = 0;
  bounds.y1 = 0;
  bounds.x2 = 1;
  bounds.y2 = 1;
  labelList.clear();
  int32_t nextId = 0;
  for (int32_t i = 0; i < kBlockCount; ++i) {
    if (!BlockLabelled(i)) continue;
    // Small, centred and wrapped to the block's width: the names of
    // neighbouring blocks must not run into one another.
    CTextRect* t = CreateTextRect(nextId++, 0, 0, kLabelWidth, 30);
    t->SetFont(3);
    t->SetAlignment(1, 0, 0);
    t->AddTextId(NameText(g_Blocks[size_t(i)]) + 1);
    labelList.push_back(Label{t, i});
  }
  number_ = CreateTextRect(nextId++, 0, 0, 40, 12);
  number_->SetFont(3);
  markerImage = 91;
}

void CBlockMarkerPanel::Reset() {
  overlayMode = kMarkersNone;
  located.clear();
  labels = true;
}

int32_t CBlockMarkerPanel::OnEvent(int32_t, int32_t, int32_t) {
  if (++g_BracketFlash > 40) g_BracketFlash = 0;
  return 0;
}

bool CBlockMarkerPanel::BracketsVisible() { return g_BracketFlash <= 20; }

void CBlockMarkerPanel::OnOpen() {
  TintBuildingsByOwner();
  for (Label& l : labelList) {
    l.text->Clear();
    l.text->AddTextId(NameText(g_Blocks[size_t(l.block)]) + 1);
  }
}

void CBlockMarkerPanel::OnClose() { ClearBuildingTints(); }

void CBlockMarkerPanel::DrawNumber(int32_t value, float x, float y) const {
  number_->Clear();
  number_->AddTextF("%d", value);
  number_->SetRect(x, y, x + 40, y + 12);
  number_->Draw(nullptr);
}

void CBlockMarkerPanel::DrawBlockMarker(int32_t kind, float x, float y, bool owned, bool solid) const {
  const uint32_t alpha = PulseAlpha();
  constexpr uint32_t kGreen = 0xFF00FF00u, kRed = 0xFFFF0000u;
  uint32_t colour = 0x00FFFFFFu;
  bool pulsing = true;
  if (kind == 0) colour = solid ? kGreen : kRed, pulsing = false;
  else if (kind == 1 && owned) colour = solid ? kGreen : WithAlpha(kGreen, alpha), pulsing = false;
  else if (kind == 1) colour = WithAlpha(kRed, alpha);
  else if (kind == 2) colour = WithAlpha(kGreen, alpha);
  Square(x, y, 15, colour);
  if (markerImage == -1) return;
  CentredImage(x, y, markerImage, pulsing ? WithAlpha(0xFFFFFFFFu, alpha) : 0xFFFFFFFFu);
}

void CBlockMarkerPanel::DrawLocatorMarker(bool pulsing, int32_t block) const {
  if (block < 0 || block >= kBlockCount) return;
  float x = 0, y = 0;
  if (!ProjectBlock(g_Blocks[size_t(block)], x, y)) return;
  CentredImage(x, y, kLocatorImage, pulsing ? WithAlpha(0xFFFFFFFFu, PulseAlpha()) : 0xFFFFFFFFu);
}

void CBlockMarkerPanel::DrawIcon(const Label& label, float x, float y) const {
  if (const BlockIconRow* icon = BlockIconFor(NameText(g_Blocks[size_t(label.block)]))) {
    DrawRect2DSolid(UIRect{x - 15, y - 15, x + 16, y + 16, kDepth}, icon->backing, kDepth);
    CentredImage(x, y, icon->image);
  }
}

std::vector<UIRect> CBlockMarkerPanel::CoveringPanels() const {
  std::vector<UIRect> covered;
  if (manager != nullptr)
    for (const CPanel* p : manager->Panels())
      if (p != this && p->open && p->LayoutEntity() != nullptr) covered.push_back(MovedRect(p->bounds, p->LayoutEntity()));
  return covered;
}

// A block's marks: its marker square and its name below it.
UIRect CBlockMarkerPanel::LabelBox(float x, float y) {
  return UIRect{x - kLabelWidth / 2, y - 19, x + kLabelWidth / 2, y + 49, kDepth};
}

bool CBlockMarkerPanel::Covered(const UIRect& box, const std::vector<UIRect>& covered) {
  for (const UIRect& r : covered)
    if (box.x1 < r.x2 && r.x1 < box.x2 && box.y1 < r.y2 && r.y1 < box.y2) return true;
  return false;
}

void CBlockMarkerPanel::DrawName(const Label& label, float x, float top, float wrap) const {
  const float left = x - wrap / 2;
  label.text->SetRect(left, top, left + wrap, top + kNameRoom);
  label.text->Draw(nullptr);
}

NameBox CBlockMarkerPanel::NameBoxOf(const Label& label, float x, float y, float wrap) const {
  const float left = x - wrap / 2;
  label.text->SetRect(left, y + kNameGap, left + wrap, y + kNameGap + kNameRoom);
  // The text wraps as it is added: it is given again to wrap in this width.
  label.text->Clear();
  label.text->AddTextId(NameText(g_Blocks[size_t(label.block)]) + 1);
  label.text->Layout();
  int32_t widest = 0;
  for (int32_t i = 0; i < label.text->LineCount(); ++i) widest = std::max(widest, label.text->LineWidth(i));
  const float lines = float(std::max(1, label.text->LineCount()));
  // A word longer than the width stands out of it.
  return NameBox{x, y + kNameGap, float(widest), lines * float(label.text->lineHeight)};
}

float NameWrapWidth(const std::vector<Vec3>& centres, size_t i) {
  float room = kLabelWidth;
  for (size_t k = 0; k < centres.size(); ++k) {
    if (k == i || std::fabs(centres[k].y - centres[i].y) > 2 * kNameGap) continue;
    room = std::min(room, std::fabs(centres[k].x - centres[i].x) - kNameSpace);
  }
  return std::max(room, kNarrowestName);
}

void PlaceBlockNames(std::vector<NameBox>& names, float lineHeight, float rise) {
  // How much two names share, with a space's width round each: names
  // closer than that read as one.
  auto shared = [](const NameBox& a, const NameBox& b) {
    const float w = (a.width + b.width) / 2 + kNameSpace - std::fabs(a.x - b.x);
    const float h = std::min(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
    return w > 0 && h > 0 ? w * h : 0.0f;
  };
  for (size_t i = 0; i < names.size(); ++i) {
    NameBox& n = names[i];
    const float own = n.y;
    // Under the block, a line lower or two, then above the icon; where all
    // are taken, the one that covers least.
    const float tops[] = {own, own + lineHeight, own + 2 * lineHeight, own - rise - n.height};
    float bestTop = own, least = -1;
    for (float top : tops) {
      n.y = top;
      float covered = 0;
      for (size_t k = 0; k < i; ++k) covered += shared(n, names[k]);
      if (least < 0 || covered < least) least = covered, bestTop = top;
      if (covered == 0) break;
    }
    n.y = bestTop;
  }
}

void CBlockMarkerPanel::DrawStars(const CBlock& block, float x, float y) const {
  const int32_t n = StarCount(block.Prestige);
  for (int32_t s = 0; s < n; ++s)
    CentredImage(x + kStarOffsets[n - 1][s][0], y + kStarOffsets[n - 1][s][1], kStarImage);
}

void CBlockMarkerPanel::DrawOwner(const CBlock& block, float x, float y, float labelLeft) const {
  const CPlayer* owner = block.Owner ? PlayerTable().ByNumber(block.Owner) : nullptr;
  Square(x, y, 19, owner ? PlayerTokenColour(owner) : kUnownedTint);
  Square(x, y, 15, kOwnerShade);
  if (!owner) return;
  // The token's portrait, shrunk into the shaded square.
  const int32_t texture = UIImageTexture(TokenInfoRow(owner->character).portraitImage);
  if (texture >= 0) DrawTexturedRect(UIRect{x - 13, y - 13, x + 13, y + 13, kDepth}, texture, kDepth);
  DrawNumber(block.LeaseHours, labelLeft + 18 + DigitShift(block.LeaseHours), y + 5);
}

void CBlockMarkerPanel::DrawRights(const CBlock& block, float x, float y) const {
  if (block.BuildingRights == kRightsGranted) return;
  const CPlayer* owner = block.Owner ? PlayerTable().ByNumber(block.Owner) : nullptr;
  const bool owned = owner && owner == PlayerTable().Local();
  DrawBlockMarker(block.BuildingRights, x, y, owned, block.BuildingRights == kRightsNone && owned);
  if (owner) DrawNumber(block.PrepareHours, x + 4 + DigitShift(block.PrepareHours), y + 6);
}

void CBlockMarkerPanel::DrawSelf() {
  // Buildings finished or sold while the plan view is up take their colour.
  TintBuildingsByOwner();
  struct Placed {
    const Label* label;
    float x, y;
  };
  std::vector<Placed> placed;
  const std::vector<UIRect> covered = CoveringPanels();
  for (const Label& l : labelList) {
    float x = 0, y = 0;
    // A block under a panel keeps its marks out of it: the panels' backings
    // are translucent, and names seen through them would mix with theirs.
    if (ProjectBlock(g_Blocks[size_t(l.block)], x, y) && !Covered(LabelBox(x, y), covered))
      placed.push_back({&l, x, y});
  }
  if (labels)
    for (const Placed& p : placed) DrawIcon(*p.label, p.x, p.y);
  for (const Placed& p : placed) {
    const CBlock& block = g_Blocks[size_t(p.label->block)];
    if (overlayMode == kMarkersStars) DrawStars(block, p.x, p.y);
    else if (overlayMode == kMarkersOwners) DrawOwner(block, p.x, p.y, p.x - kLabelWidth / 2);
    else if (overlayMode == kMarkersRights) DrawRights(block, p.x, p.y);
  }
  for (const Located& l : located) DrawLocatorMarker(l.pulsing, l.block);
  // The names go over the markers: a neighbour's square must not cut them.
  // Long names of neighbouring blocks would run into one another: each is
  // measured and moved off the names placed before it.
  if (labels) {
    std::vector<Vec3> centres;
    for (const Placed& p : placed) centres.push_back({p.x, p.y, 0});
    std::vector<NameBox> boxes;
    std::vector<float> wraps;
    for (size_t i = 0; i < placed.size(); ++i) {
      wraps.push_back(NameWrapWidth(centres, i));
      boxes.push_back(NameBoxOf(*placed[i].label, placed[i].x, placed[i].y, wraps.back()));
    }
    PlaceBlockNames(boxes, float(kNameLineHeight), kNameGap + kIconHalf);
    for (size_t i = 0; i < placed.size(); ++i) {
      // A name moved off its neighbours keeps out of the panels too.
      const NameBox& n = boxes[i];
      if (!Covered(UIRect{n.x - n.width / 2, n.y, n.x + n.width / 2, n.y + n.height, kDepth}, covered))
        DrawName(*placed[i].label, placed[i].x, n.y, wraps[i]);
    }
  }
  if (CRenderer* r = UiRenderer()) DrawListedObjectMarkers(*r, CameraViewMatrix());
  const int32_t selected = SelectedBlockIndex();
  for (const Placed& p : placed)
    if (p.label->block == selected) DrawBrackets(p.x, p.y);
}
