#pragma once
// Full-screen pictures (the splash, warning and loading screens): 16-bit TGA
// files of at most 640 x 480, kept in one buffer and drawn straight into the
// renderer's back buffer, scaled with bilinear filtering to its size and
// converted to its pixel format.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

class CRenderer;

inline constexpr int32_t kFullScreenWidth = 640;
inline constexpr int32_t kFullScreenHeight = 480;

// The language folder used in "language\%s\loading.tga".
void SetImageLanguage(std::string_view name);
std::string_view ImageLanguage();

// Loads the picture when its name differs from the kept one (a missing file
// leaves the kept picture as it was; a bad or oversized one is refused with a
// warning), then draws the kept picture into the back buffer of `renderer`
// (the program's renderer when null). False when nothing was drawn.
bool Image2DDrawFullScreen(std::string_view fileName, CRenderer* renderer = nullptr);
// Makes the next draw read its file again.
void ResetFullScreenImage();
// Frees the kept picture (end of the run, and tests).
void ReleaseFullScreenImage();
// Name of the kept picture ("" when none) and how often a file was read.
std::string_view KeptImageName();
int32_t FullScreenImageReads();

// The file form of a full-screen picture: an uncompressed 16-bit TGA of 5-5-5
// pixels (red highest), bottom row first, as the loader reads it. `pixels`
// are top row first. Empty when the size is not 1 .. 640 x 1 .. 480 or the
// pixels are too few.
std::vector<uint8_t> EncodeFullScreenPicture(std::span<const uint16_t> pixels, int32_t width,
                                             int32_t height);
// Encodes and writes a picture under a game name; false when it cannot.
bool WriteFullScreenPicture(std::string_view gameName, std::span<const uint16_t> pixels,
                            int32_t width, int32_t height);

// Scales a 5-5-5 picture into a destination of `destWidth` x `destHeight`
// pixels of the given back-buffer format (pitch in bytes): rows copied or
// converted when the sizes are equal and the destination is 16-bit, bilinear
// otherwise. Other formats draw nothing; returns false then.
bool ScaleImageToBuffer(std::span<const uint16_t> source, int32_t sourceWidth,
                        int32_t sourceHeight, void* destination, int32_t destWidth,
                        int32_t destHeight, int32_t pitchBytes, int32_t format);
