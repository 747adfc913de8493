#include "panels/city_names.h"

#include <string>

#include "city/blocks.h"
#include "engine/files/text_bank.h"
#include "ui/interface_assets.h"

int32_t BlockNameText(int32_t block) {
  const CBlock* b = GetBlock(block);
  if (b == nullptr) return kNoNameText;
  const int32_t def = b->DefIndex >= 0 && b->DefIndex < kBlockCount ? b->DefIndex : block;
  return g_BlockDefs[size_t(def)].NameTextId + 1;
}

int32_t BlockTitleText(int32_t block) {
  const int32_t name = BlockNameText(block);
  if (name == kNoNameText) return name;
  std::string title;
  InterfaceTextSystem().GetTextAscii(title, name + 2);
  return title.empty() ? name : name + 2;
}
