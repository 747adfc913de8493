#include "city/block_footprints.h"

#include <algorithm>
#include <array>

#include "city/blocks.h"

namespace {

std::array<BlockFreeFootprint, kBlockCount> g_freeFootprints{};

bool ValidBlock(int32_t block) { return block >= 0 && block < kBlockCount; }

// Railroad (10) and utility (11) blocks and district 0 hold no property.
bool IsPropertyBlock(int32_t block) {
  const int32_t d = g_BlockDefs[size_t(block)].District % kDistrictCount;
  return d > 0 && d != 10 && d != 11;
}

}  // namespace

void ComputeBlockFreeFootprint(int32_t block) {
  if (!ValidBlock(block)) return;
  BlockFreeFootprint& f = g_freeFootprints[static_cast<size_t>(block)];
  f = BlockFreeFootprint{};
  if (!IsPropertyBlock(block)) return;
  const CBlock* b = GetBlock(block);
  if (b == nullptr) return;
  f.smallest = 99;
  for (int32_t w = 1; w <= 6; ++w)
    for (int32_t d = 1; d <= 6; ++d)
      for (int32_t x = 0; x + w <= kLotsPerSide; ++x)
        for (int32_t y = 0; y + d <= kLotsPerSide; ++y) {
          const bool edge = x == 0 || y == 0 || x + w == kLotsPerSide || y + d == kLotsPerSide;
          if (edge && b->IsLotRegionFreeAt(x, y, w, d)) {
            f.smallest = std::min(f.smallest, w * d);
            f.largest = std::max(f.largest, w * d);
          }
        }
}

void ComputeAllBlockFreeFootprints() {
  for (int32_t block = 0; block < kBlockCount; ++block) ComputeBlockFreeFootprint(block);
}

const BlockFreeFootprint& GetBlockFreeFootprint(int32_t block) {
  static const BlockFreeFootprint kNone;
  return ValidBlock(block) ? g_freeFootprints[static_cast<size_t>(block)] : kNone;
}
