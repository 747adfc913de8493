#include "panels/city_names.h"

#include "city/blocks.h"

int32_t BlockNameText(int32_t block) {
  const CBlock* b = GetBlock(block);
  if (b == nullptr) return kNoNameText;
  const int32_t def = b->DefIndex >= 0 && b->DefIndex < kBlockCount ? b->DefIndex : block;
  return g_BlockDefs[size_t(def)].NameTextId + 1;
}
