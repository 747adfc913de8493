#pragma once
// Screenshots: the current view as a numbered picture "civano%04d.tga" in
// the game's folder (uncompressed 32-bit TGA, blue-green-red-alpha texels,
// rows as the back buffer gives them).
#include <cstdint>
#include <string>

class CRenderer;

// Draws a frame, reads it back and writes it under the first free name from
// `first` up to 9999. The name written, or empty when none was free or the
// file could not be made.
std::string WriteNumberedScreenshot(int32_t first);
// The picture as file bytes, from the renderer's red-green-blue-alpha words.
std::string EncodeScreenshot(const uint32_t* pixels, int32_t width, int32_t height);
