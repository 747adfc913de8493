#include "engine/files/texture_file.h"

#include <cmath>
#include <cstring>

#include "engine/files/cache_archive.h"
#include "engine/core/error.h"
#include "engine/files/file_bytes.h"
#include "engine/core/memory.h"

namespace {

bool SideOk(int64_t side) { return side >= 1 && side <= kMaxTextureSide; }

// Reads width x height texels; false when they pass the end.
bool GetTexels(ByteReader& r, TextureImage& t) {
  size_t size = static_cast<size_t>(t.width) * static_cast<size_t>(t.height) * 4;
  if (r.Remaining() < size) return false;
  t.texels.resize(size);
  return r.GetBytes(t.texels.data(), size);
}

void PutRecord(ByteWriter& w, const CTexture& t) { PutTextureRecord(w, t, 0); }

// A record whose texels follow it.
bool GetRecord(ByteReader& r, CTexture& t) {
  uint32_t unused = 0;
  return GetTextureRecord(r, t, unused) && SideOk(t.width) && SideOk(t.height) &&
         r.Remaining() / 4 >= static_cast<size_t>(t.width) * static_cast<size_t>(t.height);
}

}  // namespace

void PutTextureRecord(ByteWriter& w, const CTexture& t, uint32_t texelMarker) {
  w.Put(t.flags);
  w.Put(t.width);
  w.Put(t.height);
  w.Put(t.uSize);
  w.Put(t.vSize);
  w.Put(texelMarker);
  w.Put(t.uOffset);
  w.Put(t.vOffset);
  w.Put(t.pageId);
  w.Put(t.pageIndex);
  w.Put(t.group);
  w.Put(t.references);
  w.PutBytes(t.options, sizeof t.options);
  w.Put(uint16_t{0});
}

bool GetTextureRecord(ByteReader& r, CTexture& t, uint32_t& texelMarker) {
  t = CTexture{};
  uint16_t padding = 0;
  return r.Get(t.flags) && r.Get(t.width) && r.Get(t.height) && r.Get(t.uSize) && r.Get(t.vSize) &&
         r.Get(texelMarker) && r.Get(t.uOffset) && r.Get(t.vOffset) && r.Get(t.pageId) && r.Get(t.pageIndex) &&
         r.Get(t.group) && r.Get(t.references) && r.GetBytes(t.options, sizeof t.options) && r.Get(padding);
}

namespace {

// A record for a texture just read from its file: sizes as floats, no page.
CTexture RecordOf(const TextureImage& image) {
  CTexture t;
  std::memset(static_cast<void*>(&t), 0, sizeof t);
  t.flags = image.flags;
  t.width = image.width;
  t.height = image.height;
  t.uSize = static_cast<float>(image.width);
  t.vSize = static_cast<float>(image.height);
  return t;
}

void PrepareImage(TextureImage& image) {
  TexClassifyAlpha(image.flags, image.texels);
  TexAdjustColours(image.texels);
}

// Reads the archive entry's record and texels into static and active memory.
bool ReadEntryTexture(ByteReader& r, CTexture* record, std::string_view path) {
  if (!GetRecord(r, *record)) return false;
  size_t size = static_cast<size_t>(record->width) * static_cast<size_t>(record->height) * 4;
  record->pixels = static_cast<uint32_t*>(MEM_ALLOC(size));
  if (!record->pixels) FatalFileError("Failed to allocate memory when loading ", path);
  r.GetBytes(record->pixels, size);
  return true;
}

std::vector<uint8_t> TakeEntry(CCacheArchive& archive) {
  std::vector<uint8_t> bytes(archive.Remaining());
  if (!bytes.empty()) archive.Read(bytes.data(), bytes.size());
  return bytes;
}

}  // namespace

// ---- File formats ---------------------------------------------------------

bool ParseGtdFile(std::span<const uint8_t> bytes, std::vector<TextureImage>& out, std::string& reason) {
  out.clear();
  ByteReader r(bytes);
  int32_t version = 0, count = 0;
  if (!r.Get(version)) return RefuseFile(reason, "file too short");
  if (version != kGtdVersion) return RefuseFile(reason, "version");
  if (!r.Get(count) || count < 0) return RefuseFile(reason, "bad texture count");
  // Each texture takes at least 12 bytes: a count beyond that is damage.
  if (static_cast<size_t>(count) > r.Remaining() / 12) return RefuseFile(reason, "texture count beyond the file");
  out.resize(static_cast<size_t>(count));
  for (TextureImage& t : out) {
    float w = 0, h = 0;
    if (!r.Get(w) || !r.Get(h)) return RefuseFile(reason, "texture header passes the end of the file");
    if (!(w >= 1 && w <= kMaxTextureSide && h >= 1 && h <= kMaxTextureSide)) {
      return RefuseFile(reason, "bad texture size");
    }
    t.width = static_cast<int32_t>(w);
    t.height = static_cast<int32_t>(h);
    if (!GetTexels(r, t)) return RefuseFile(reason, "texels pass the end of the file");
  }
  return true;
}

bool EncodeGtdFile(std::span<const TextureImage> textures, std::vector<uint8_t>& out) {
  ByteWriter w;
  w.Put(kGtdVersion);
  w.Put(static_cast<int32_t>(textures.size()));
  for (const TextureImage& t : textures) {
    if (!SideOk(t.width) || !SideOk(t.height) ||
        t.texels.size() != static_cast<size_t>(t.width) * t.height * 4) {
      return false;
    }
    w.Put(static_cast<float>(t.width));
    w.Put(static_cast<float>(t.height));
    w.PutBytes(t.texels.data(), t.texels.size());
  }
  out = std::move(w.bytes);
  return true;
}

bool ParseTextureFile(std::span<const uint8_t> bytes, TextureImage& out, std::string& reason) {
  ByteReader r(bytes);
  uint16_t w = 0, h = 0;
  uint32_t format = 0;
  if (!(r.Get(w) && r.Get(h) && r.Get(format))) return RefuseFile(reason, "file too short");
  if (!SideOk(w) || !SideOk(h)) return RefuseFile(reason, "bad texture size");
  out = TextureImage{format, w, h, {}};
  if (!GetTexels(r, out)) return RefuseFile(reason, "texels pass the end of the file");
  return true;
}

bool EncodeTextureFile(const TextureImage& t, std::vector<uint8_t>& out) {
  if (!SideOk(t.width) || !SideOk(t.height) || t.width > 0xFFFF || t.height > 0xFFFF ||
      t.texels.size() != static_cast<size_t>(t.width) * t.height * 4) {
    return false;
  }
  ByteWriter w;
  w.Put(static_cast<uint16_t>(t.width));
  w.Put(static_cast<uint16_t>(t.height));
  w.Put(t.flags);
  w.PutBytes(t.texels.data(), t.texels.size());
  out = std::move(w.bytes);
  return true;
}

bool WriteGtdFile(std::string_view game_name, std::span<const TextureImage> textures) {
  std::vector<uint8_t> bytes;
  return EncodeGtdFile(textures, bytes) && WriteWholeGameFile(game_name, bytes);
}

bool WriteTextureFile(std::string_view game_name, const TextureImage& texture) {
  std::vector<uint8_t> bytes;
  return EncodeTextureFile(texture, bytes) && WriteWholeGameFile(game_name, bytes);
}

// ---- Preparation ----------------------------------------------------------

void TexClassifyAlpha(uint32_t& flags, std::span<const uint8_t> texels) {
  flags = (flags | kTexFlagOpaque) & ~(kTexFlagPartialAlpha | kTexFlagKeyedAlpha);
  for (size_t i = 3; i < texels.size(); i += 4) {
    uint8_t alpha = texels[i];
    if (alpha != 255 && alpha != 0) {
      flags = (flags | kTexFlagPartialAlpha) & ~(kTexFlagKeyedAlpha | kTexFlagOpaque);
      return;
    }
    if (alpha == 0) flags = (flags | kTexFlagKeyedAlpha) & ~(kTexFlagPartialAlpha | kTexFlagOpaque);
  }
}

void TexClassifyAlpha(CTexture* t) {
  TexClassifyAlpha(t->flags, {reinterpret_cast<const uint8_t*>(t->pixels),
                              static_cast<size_t>(t->width) * t->height * 4});
}

Hsv RgbToHsv(uint8_t red, uint8_t green, uint8_t blue) {
  const float k = 0.003921569f;
  float r = red * k, g = green * k, b = blue * k;
  float largest = std::max({r, g, b}), smallest = std::min({r, g, b});
  Hsv out{-1.0f, largest == 0.0f ? 0.0f : (largest - smallest) / largest, largest};
  if (out.saturation == 0.0f) return out;
  float d = largest - smallest;
  if (d == 0.0f) d = 1000000.0f;
  float h;
  if (r == largest) {
    h = (g - b) / d;
  } else if (g == largest) {
    h = 2.0f + (b - r) / d;
  } else {
    h = 4.0f + (r - g) / d;
  }
  h *= 60.0f;
  if (h < 0.0f) h += 360.0f;
  out.hue = h;
  return out;
}

uint32_t HsvToRgb(float hue, float s, float v) {
  float r, g, b;
  if (s == 0.0f) {
    r = g = b = v;
  } else {
    float h = (hue == 360.0f ? 0.0f : hue) * 0.016666668f;
    int i = static_cast<int>(h);
    float f = h - static_cast<float>(i);
    float p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    switch (i) {
      case 0: r = v, g = t, b = p; break;
      case 1: r = q, g = v, b = p; break;
      case 2: r = p, g = v, b = t; break;
      case 3: r = p, g = q, b = v; break;
      case 4: r = t, g = p, b = v; break;
      default: r = v, g = p, b = q; break;
    }
  }
  auto byte = [](float c) { return static_cast<uint32_t>(static_cast<uint8_t>(std::clamp(c * 255.0f, 0.0f, 255.0f))); };
  return byte(r) | byte(g) << 8 | byte(b) << 16;
}

void TexAdjustColours(std::span<uint8_t> texels) {
  for (size_t i = 0; i + 3 < texels.size(); i += 4) {
    Hsv hsv = RgbToHsv(texels[i], texels[i + 1], texels[i + 2]);
    uint32_t rgb = HsvToRgb(hsv.hue, std::min(hsv.saturation * 1.4f, 1.0f), hsv.value);
    texels[i] = static_cast<uint8_t>(rgb);
    texels[i + 1] = static_cast<uint8_t>(rgb >> 8);
    texels[i + 2] = static_cast<uint8_t>(rgb >> 16);
  }
}

void TexAdjustColours(CTexture* t) {
  TexAdjustColours({reinterpret_cast<uint8_t*>(t->pixels), static_cast<size_t>(t->width) * t->height * 4});
}

// ---- Loaders --------------------------------------------------------------

int32_t TexRegisterImage(TextureImage image, int32_t slotValue) {
  if (image.width <= 0 || image.height <= 0 ||
      image.texels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4)
    return -1;
  PrepareImage(image);
  auto* record = static_cast<CTexture*>(MEM_STATIC_ALLOC(sizeof(CTexture)));
  if (!record) return -1;
  *record = RecordOf(image);
  record->pixels = static_cast<uint32_t*>(MEM_ALLOC(image.texels.size()));
  if (!record->pixels) return -1;
  std::memcpy(record->pixels, image.texels.data(), image.texels.size());
  if (slotValue & kSlotValueOwnPage) record->flags |= kTexFlagOwnPage;
  return TexSysAddTexture(record, slotValue);
}

bool TexLoadReadHeader(std::string_view path, uint8_t header[8]) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeGameFile(path, bytes) || bytes.size() < 8) return false;
  std::memcpy(header, bytes.data(), 8);
  return true;
}

bool TexLoadGtd(std::string_view path, CTexture** textures, int32_t* count, bool prepare_only) {
  CCacheArchive& archive = CacheArchive();
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!archive.Contains(path)) {
      std::vector<uint8_t> bytes;
      if (!ReadWholeGameFile(path, bytes)) FatalFileError("Cannot open texture file ", path);
      std::vector<TextureImage> images;
      std::string reason;
      if (!ParseGtdFile(bytes, images, reason)) {
        if (reason == "version") FatalFileError("Incorrect Texture Version ", path);
        FatalFileError("Error loading ", path);
      }
      ByteWriter w;
      w.Put(static_cast<int32_t>(images.size()));
      for (TextureImage& image : images) {
        PrepareImage(image);
        PutRecord(w, RecordOf(image));
        w.PutBytes(image.texels.data(), image.texels.size());
      }
      if (!(archive.AddEntry(path) && archive.BeginWrite(path) && archive.Write(w.bytes.data(), w.bytes.size()))) {
        FatalFileError("Cannot store in the cache archive (" + archive.WriteError() + ") ", path);
      }
    }
    if (prepare_only) return true;
    if (!archive.BeginRead(path)) continue;  // damaged: forgotten, prepared again
    std::vector<uint8_t> bytes = TakeEntry(archive);
    ByteReader r(bytes);
    int32_t n = 0;
    if (!r.Get(n) || n < 0 || static_cast<size_t>(n) > r.Remaining() / kTextureRecordSize) {
      archive.Forget(path);
      continue;
    }
    // Check the whole entry before allocating anything.
    ByteReader check(bytes);
    check.Skip(4);
    bool whole = true;
    for (int32_t i = 0; i < n && whole; ++i) {
      CTexture t;
      whole = GetRecord(check, t) && check.Skip(static_cast<size_t>(t.width) * t.height * 4);
    }
    if (!whole) {
      archive.Forget(path);
      continue;
    }
    CTexture* records = nullptr;
    if (n > 0) {
      records = static_cast<CTexture*>(MEM_STATIC_ALLOC(sizeof(CTexture) * static_cast<size_t>(n)));
      if (!records) FatalFileError("Failed to allocate memory when loading ", path);
    }
    for (int32_t i = 0; i < n; ++i) ReadEntryTexture(r, &records[i], path);
    *textures = records;
    *count = n;
    return true;
  }
  FatalFileError("Error loading ", path);
}

int32_t TexLoadTexture(std::string_view path) {
  CCacheArchive& archive = CacheArchive();
  // The key is the file name: a texture named from several folders is one
  // texture, and a folder may use one that another folder supplied.
  const size_t slash = path.find_last_of('\\');
  const std::string_view key = slash == std::string_view::npos ? path : path.substr(slash + 1);
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!archive.Contains(key)) {
      std::vector<uint8_t> bytes;
      if (!ReadWholeGameFile(path, bytes)) return -1;
      TextureImage image;
      std::string reason;
      if (!ParseTextureFile(bytes, image, reason)) FatalFileError("Error loading ", path);
      PrepareImage(image);
      ByteWriter w;
      w.Put(int32_t{1});
      PutRecord(w, RecordOf(image));
      w.PutBytes(image.texels.data(), image.texels.size());
      if (!(archive.AddEntry(key) && archive.BeginWrite(key) && archive.Write(w.bytes.data(), w.bytes.size()))) {
        FatalFileError("Cannot store in the cache archive (" + archive.WriteError() + ") ", path);
      }
      TextureEntryInfo info{};
      archive.GetEntryInfo(&info, sizeof info);
      info.flags = static_cast<int32_t>(image.flags);
      info.width = image.width;
      info.height = image.height;
      archive.SetEntryInfo(&info, sizeof info);
    } else if (archive.WasWritten(key)) {
      uint8_t header[8];
      uint32_t format = 0;
      if (TexLoadReadHeader(path, header)) std::memcpy(&format, header + 4, 4);
      if ((format & kTexFlagOwnPage) && archive.BeginRead(key)) {
        TextureEntryInfo info{};
        archive.GetEntryInfo(&info, sizeof info);
        info.flags |= static_cast<int32_t>(kTexFlagOwnPage);
        archive.SetEntryInfo(&info, sizeof info);
      }
    }
    if (archive.WasRead(key)) {
      if (!archive.BeginRead(key)) continue;
      TextureEntryInfo info{};
      archive.GetEntryInfo(&info, sizeof info);
      return info.slot;
    }
    if (!archive.BeginRead(key)) continue;  // damaged: forgotten, prepared again
    std::vector<uint8_t> bytes = TakeEntry(archive);
    ByteReader r(bytes);
    int32_t n = 0;
    auto* record = static_cast<CTexture*>(MEM_STATIC_ALLOC(sizeof(CTexture)));
    if (!record) FatalFileError("Failed to allocate memory when loading ", path);
    if (!r.Get(n) || n != 1 || !ReadEntryTexture(r, record, path)) {
      archive.Forget(key);
      continue;
    }
    TextureEntryInfo info{};
    archive.GetEntryInfo(&info, sizeof info);
    record->flags |= static_cast<uint32_t>(info.flags) & kTexFlagOwnPage;
    int32_t slot = TexSysAddTexture(record, (info.flags & kTexFlagOwnPage) ? kSlotValueOwnPage : 0);
    info.slot = slot;
    archive.SetEntryInfo(&info, sizeof info);
    return slot;
  }
  FatalFileError("Error loading ", path);
}
