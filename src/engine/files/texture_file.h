#pragma once
// Texture files: texture sets ("textures.gtd") and single texture files, and
// their prepared entries in the cache archive.
//
// GtdTextureFile: int32 version (5), int32 count N, then N textures of
//   {float32 width, float32 height, width x height texels}.
// TextureFile: uint16 width, uint16 height, uint32 format word (becomes the
//   texture's flags; bit 1 = own page), width x height texels.
// Texels are 4 bytes: red, green, blue, alpha, rows from the top.
//
// Archive entries hold the count (int32) and, per texture, a 56-byte record
// {flags, width, height, u size, v size, 4 unused bytes, u offset, v offset,
// page id, page index, group, references, 6 option bytes, 2 padding bytes}
// followed by its texels. A single texture's entry also keeps
// TextureEntryInfo in the entry's information area.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/scene/texture.h"

inline constexpr int32_t kGtdVersion = 5;
// Larger textures cannot be packed; the bound also keeps a damaged size from
// asking for gigabytes.
inline constexpr int32_t kMaxTextureSide = 4096;
inline constexpr size_t kTextureRecordSize = 56;

// A texture as data: what the writers take and the parsers give.
struct TextureImage {
  uint32_t flags = 0;
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> texels;  // width x height x 4
};

struct TextureEntryInfo {
  int32_t flags;
  int32_t slot;
  int32_t width;
  int32_t height;
};

// The 56-byte texture record, shared with the texture page cache, whose
// marker word (after the sizes) says whether the texels are the page's.
class ByteReader;
struct ByteWriter;
void PutTextureRecord(ByteWriter& w, const CTexture& t, uint32_t texelMarker);
// Reads a record into `t` (zeroed first); false when the bytes run out.
bool GetTextureRecord(ByteReader& r, CTexture& t, uint32_t& texelMarker);

bool ParseGtdFile(std::span<const uint8_t> bytes, std::vector<TextureImage>& out, std::string& reason);
bool EncodeGtdFile(std::span<const TextureImage> textures, std::vector<uint8_t>& out);
bool ParseTextureFile(std::span<const uint8_t> bytes, TextureImage& out, std::string& reason);
bool EncodeTextureFile(const TextureImage& texture, std::vector<uint8_t>& out);
bool WriteGtdFile(std::string_view game_name, std::span<const TextureImage> textures);
bool WriteTextureFile(std::string_view game_name, const TextureImage& texture);

// Alpha class: bit 15 opaque, 14 with fully transparent texels, 12 with
// partly transparent texels.
void TexClassifyAlpha(uint32_t& flags, std::span<const uint8_t> texels);
void TexClassifyAlpha(CTexture* texture);
// Raises every texel's saturation by 1.4 (capped at 1), alpha unchanged.
void TexAdjustColours(std::span<uint8_t> texels);
void TexAdjustColours(CTexture* texture);
struct Hsv {
  float hue, saturation, value;
};
Hsv RgbToHsv(uint8_t red, uint8_t green, uint8_t blue);
// Packed as red | green << 8 | blue << 16 (the byte order of a texel).
uint32_t HsvToRgb(float hue, float saturation, float value);

// Loads a texture set; the records come back in static memory with their
// texels in active memory, for the caller to register. With prepare_only the
// set only goes into the archive.
bool TexLoadGtd(std::string_view path, CTexture** textures, int32_t* count, bool prepare_only);
// Loads and registers a single texture once per run; its slot, or -1 when the
// file cannot be opened or the texture system refuses it.
int32_t TexLoadTexture(std::string_view path);
// Registers a texture read by the caller (prepared as the loaders prepare
// theirs) without the cache archive; its slot, or -1 when refused. With
// kSlotValueOwnPage in slotValue it goes on a page of its own.
int32_t TexRegisterImage(TextureImage image, int32_t slotValue = 0);
bool TexLoadReadHeader(std::string_view path, uint8_t header[8]);
