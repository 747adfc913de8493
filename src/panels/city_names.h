#pragma once
// The text ids the panels name city things by.
#include <cstdint>

// "None", for a thing that is not there.
inline constexpr int32_t kNoNameText = 13;
// The shown name of a block (its definition row's name id + 1); text 13
// ("None") for an id outside the blocks.
int32_t BlockNameText(int32_t block);
// The title of a block's panels (its definition's name id + 3), or its
// shown name when the text bank has no title for it.
int32_t BlockTitleText(int32_t block);
