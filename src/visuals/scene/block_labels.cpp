#include "visuals/scene/block_labels.h"

#include <array>

#include "city/blocks.h"
#include "engine/render/renderer.h"
#include "engine/scene/entity.h"
#include "engine/scene/model.h"
#include "ui/text_mesh.h"

namespace {

// The label model lies 0.25 above its origin; the block's base slab is 0.3
// high, so the label is raised to stand just clear of it.
constexpr float kLabelRaise = 0.1f;

struct BlockLabel {
  TextModelRecord record;
  ModelLodSet set{};
  CEntity entity;
};

struct Labels {
  std::array<BlockLabel, kBlockCount> blocks;
  bool built = false;
  int32_t count = 0;
};

Labels& State() {
  static Labels labels;
  return labels;
}

uint32_t Argb(const uint8_t (&c)[4]) {
  return uint32_t(c[3]) << 24 | uint32_t(c[0]) << 16 | uint32_t(c[1]) << 8 | c[2];
}

// False while the fonts are not there to lay a name out with.
bool Build() {
  Labels& s = State();
  int32_t count = 0;
  for (const CBlock& b : g_Blocks) {
    if (!b.InUse || b.Index < 0 || b.Index >= kBlockCount) continue;
    BlockLabel& l = s.blocks[size_t(b.Index)];
    const int32_t model = CreateFourSidedTextModel(l.record, g_BlockDefs[size_t(b.Index)].NameTextId);
    if (model <= 0) continue;
    if (CRenderer* renderer = GetRenderer()) renderer->PrepareModel(model);
    l.set = ModelLodSet{{model, 0, 0}, 1};
    l.entity = CEntity{};
    l.entity.SetModel(&l.set);
    l.entity.position = {b.CentreX, kLabelRaise, b.CentreZ};
    l.entity.colour = BlockLabelColour(b.Index);
    l.entity.flags |= kEntVisible | kEntRebuildMatrix;
    ++count;
  }
  s.count = count;
  return count > 0;
}

}  // namespace

uint32_t BlockLabelColour(int32_t block) {
  if (block < 0 || block >= kBlockCount) return 0xFFFFFFFFu;
  const uint8_t district = g_BlockDefs[size_t(block)].District;
  if (district >= g_Districts.size()) return 0xFFFFFFFFu;
  return Argb(g_Districts[district].TextColour);
}

void DrawBlockLabels(const Mat43& view) {
  Labels& s = State();
  if (!s.built) s.built = Build();
  if (!s.built) return;
  for (BlockLabel& l : s.blocks)
    if (l.record.model > 0) l.entity.Draw(view);
}

void TintBlockLabel(int32_t block, uint32_t colour) {
  if (block < 0 || block >= kBlockCount) return;
  State().blocks[size_t(block)].entity.colour = colour;
}

void ReleaseBlockLabels() {
  Labels& s = State();
  for (BlockLabel& l : s.blocks) {
    if (l.record.model > 0) ModSysDeleteModel(l.record.model);
    l = BlockLabel{};
  }
  s.built = false;
  s.count = 0;
}

int32_t BlockLabelCount() { return State().count; }
