#pragma once
// All interface text is drawn as one textured quad per glyph. The text system
// lays glyphs out and hands each to the glyph callback; for 2D text that is
// AddGlyphQuad, which collects the quads in two batches (glyph codes below 95
// and the rest) and draws a batch with one renderer call when it is full,
// when the font or the glyph texture changes, or when asked to flush. The
// batches are static arrays: drawing text allocates nothing.
#include <cstdint>
#include <string_view>

#include "engine/files/font_table.h"

inline constexpr int32_t kGlyphBatchCapacity = 500;
inline constexpr uint8_t kFirstHighGlyph = 95;

// Makes AddGlyphQuad the text system's glyph callback (the draw argument of
// the text system's drawing calls points at the ARGB colour).
void InstallGlyphBatcher();
void AddGlyphQuad(const GlyphRecord& glyph, int32_t width, int32_t height, float x, float y,
                  float z, uint8_t code, uint32_t colour);
// Flushes both batches before selecting another font; nothing for the
// current one.
void SelectFont2D(int32_t font);
int32_t CurrentFont2D();
void FlushGlyphBatches();
void FlushGlyphBatchLow();
void FlushGlyphBatchHigh();
// A plain string in the current font at (0, 0), white; "Error" when empty.
void DrawTextString2D(std::string_view text);
// Forgets the current font and empties both batches without drawing.
void ResetGlyphBatcher();
