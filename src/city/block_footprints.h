#pragma once
// The free edge rectangles of each property block: the smallest and the
// largest area (in lots) of a rectangle of up to 6 x 6 lots that touches the
// block's edge and holds no building. The block keeps its row current as
// buildings are linked and removed; the computer players read it.
#include <cstdint>

struct BlockFreeFootprint {
  int32_t smallest = 0;
  int32_t largest = 0;
};

// Recomputes one block's row (a row of zeros for a bad id or a block that
// is not a property block).
void ComputeBlockFreeFootprint(int32_t block);
void ComputeAllBlockFreeFootprints();
const BlockFreeFootprint& GetBlockFreeFootprint(int32_t block);
