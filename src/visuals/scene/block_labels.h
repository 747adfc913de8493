#pragma once
// The blocks' 3D name labels: each block's name written four times round it
// on the ground (CreateFourSidedTextModel), in its district's label colour.
// The lettering comes from the interface's fonts, so the labels are built on
// the first frame that finds the text system loaded, and again after
// ReleaseBlockLabels (a new font).
#include <cstdint>

#include "engine/core/maths.h"

// Builds the labels when they are not built yet, then draws them.
void DrawBlockLabels(const Mat43& view);
// A district's label colour changed (DISTRICTTEXTCOLOUR): the block's label
// takes it (0xAARRGGBB).
void TintBlockLabel(int32_t block, uint32_t colour);
// Gives the label models back; the next draw builds them anew.
void ReleaseBlockLabels();
// Labels built (blocks whose name laid out into a model).
int32_t BlockLabelCount();
// A block label's colour: its district's label colour, 0xAARRGGBB.
uint32_t BlockLabelColour(int32_t block);
