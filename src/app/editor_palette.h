#pragma once
// The building editor's texture palette: the texture each facade code takes
// under a texture set (0..44, the seed texture set x 16 chooses the wall
// and roof sets) in the first material of a texture group's mask.
#include <cstdint>

// A texture slot for DrawTexturedRect.
int32_t FacadeTextureSlot(int32_t textureSet, int32_t groupMask, int32_t code);
