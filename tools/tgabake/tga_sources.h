#pragma once
// Picture sources for the TGA baker: readable tables that become 32-bit TGA
// files (18-byte header, rows bottom-up, B G R A texels).
//
// One statement a line; a line starting with '#' is a comment. Colours are
// #RRGGBB.
//
// A sky source (first statement "sky") describes one game day of colours.
// The picture is 384 texels wide (one column per sixteenth of a game hour)
// and 192 rows high; each table fills a band of 16 rows, the band's first
// row being the one the game reads:
//   output <game name>
//   sky
//   sunrise <hour>  sunset <hour>     marked in the marker band (64 and 192)
//   key <hour> <sun> <ambient> <sky> <light> <fogA> <fogB> <brightness>
//       a colour key: the three colours, then bytes 0..255 (light boost,
//       fog start and fog depth as fractions of 255, sky brightness);
//       columns between keys are interpolated, wrapping past midnight
//
// A road source (first statement "roads") describes the road surfaces of the
// decades; each "decade" line writes two 256 x 256 textures, A (a straight
// stretch, running along v) and B (a junction):
//   output <game name with two %s: decade year and A or B>
//   roads
//   decade <year> <asphalt> <kerb> <marking> <dashed|solid|none> <grain>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TgaPicture {
  std::string name;  // game name
  int32_t width = 0, height = 0;
  std::vector<uint32_t> texels;  // 0xAARRGGBB, top row first
};

// Parses a source and draws every picture it names.
bool BakeTgaSource(std::string_view text, std::vector<TgaPicture>& out, std::string& error);
// The file bytes of a picture.
std::vector<uint8_t> EncodeTga32(const TgaPicture& picture);

// Sky pictures' layout, shared with the game's reader.
inline constexpr int32_t kSkyPictureWidth = 384;
inline constexpr int32_t kSkyPictureHeight = 192;
