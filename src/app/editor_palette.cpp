#include "app/editor_palette.h"

#include <algorithm>

#include "visuals/architect/architect.h"
#include "visuals/architect/architect_tables.h"

int32_t FacadeTextureSlot(int32_t textureSet, int32_t groupMask, int32_t code) {
  const ArchitectTables& t = TheArchitectTables();
  const uint32_t seed = uint32_t(std::clamp(textureSet, 0, 44)) * 16u;
  const ArchitectTextureChoice choice = ChooseArchitectTextures(seed);
  const WallSet& w = t.walls[size_t(std::clamp(choice.wallSet, 0, kWallSets - 1))];
  int32_t material = 0;
  while (material < kMaterials - 1 && groupMask && !(groupMask & (1 << material))) ++material;
  int32_t texture = 0;
  if (code < 4)
    texture = w.blank[material];
  else if (code < 8)
    texture = w.windows[material];
  else if (code < 14)
    texture = w.ground[code - 8];
  else
    texture = t.roofs[size_t(std::clamp(choice.roofSet, 0, kRoofSets - 1))].ledge;
  return ArchitectTextureSlot(texture);
}
