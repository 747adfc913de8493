#include "engine/render/fullscreen_image.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "engine/core/error.h"
#include "engine/files/file_bytes.h"
#include "engine/core/memory.h"
#include "engine/render/renderer.h"

namespace {

constexpr size_t kTgaHeaderSize = 18;

struct KeptImage {
  uint16_t* pixels = nullptr;  // 640 x 480, from the memory manager
  int32_t width = 0, height = 0;
  std::string name;
  std::string language = "english";
  bool reload = false;
  int32_t reads = 0;
  std::set<std::string> damaged;  // pictures already reported: once each
};

KeptImage& Kept() {
  static KeptImage kept;
  return kept;
}

uint16_t Get16(const std::vector<uint8_t>& b, size_t at) {
  return uint16_t(b[at] | (b[at + 1] << 8));
}

// Why a picture cannot be shown; empty when it can.
std::string PictureFault(const KeptImage& k, const std::vector<uint8_t>& bytes) {
  char why[160];
  if (bytes.size() < kTgaHeaderSize) return "is too short for its header";
  const int32_t idLength = bytes[0], mapType = bytes[1], imageType = bytes[2];
  const int32_t width = Get16(bytes, 12), height = Get16(bytes, 14), bits = bytes[16];
  if (bits != 16 || mapType != 0 || imageType != 2) return "is not an uncompressed 16-bit image";
  if (width <= 0 || height <= 0 || width > kFullScreenWidth || height > kFullScreenHeight) {
    std::snprintf(why, sizeof why, "is %d x %d; full-screen pictures are at most 640 x 480", width, height);
    return why;
  }
  if (k.pixels && (width != k.width || height != k.height)) {
    std::snprintf(why, sizeof why, "is %d x %d, unlike the first picture (%d x %d)", width, height, k.width,
                  k.height);
    return why;
  }
  if (bytes.size() < kTgaHeaderSize + size_t(idLength) + size_t(width) * size_t(height) * 2)
    return "ends before its last row";
  return {};
}

// Reads a picture into the kept buffer; false leaves it as it was. A damaged
// picture is reported once, however often the screens ask for it.
bool LoadImage(std::string_view fileName) {
  KeptImage& k = Kept();
  std::vector<uint8_t> bytes;
  const size_t limit = kTgaHeaderSize + 255 + size_t(kFullScreenWidth) * kFullScreenHeight * 4;
  if (!ReadWholeGameFile(fileName, bytes, limit)) return false;
  ++k.reads;
  const std::string name(fileName);
  const std::string fault = PictureFault(k, bytes);
  if (!fault.empty()) {
    if (k.damaged.insert(name).second) ReportErrorF(1, "Picture %s %s.", name.c_str(), fault.c_str());
    return false;
  }
  const int32_t idLength = bytes[0];
  const int32_t width = Get16(bytes, 12), height = Get16(bytes, 14);
  const bool topFirst = (bytes[17] & 0x20) != 0;
  const size_t data = kTgaHeaderSize + size_t(idLength);
  if (!k.pixels) {
    k.pixels = static_cast<uint16_t*>(
        MEM_ALLOC(size_t(kFullScreenWidth) * kFullScreenHeight * sizeof(uint16_t)));
    if (!k.pixels) return false;
    k.width = width;
    k.height = height;
  }
  for (int32_t row = 0; row < height; ++row) {
    const int32_t target = topFirst ? row : height - 1 - row;
    std::memcpy(k.pixels + size_t(target) * width, bytes.data() + data + size_t(row) * width * 2,
                size_t(width) * 2);
  }
  k.name = name;
  k.reload = false;
  return true;
}

struct Rgb {
  int32_t r, g, b;
};
inline Rgb Split555(uint16_t p) { return {(p >> 10) & 31, (p >> 5) & 31, p & 31}; }

void PutPixel(void* row, int32_t x, int32_t format, int32_t r, int32_t g, int32_t b) {
  switch (format) {
    case kBackBufferA8R8G8B8:
    case kBackBufferX8R8G8B8:
      static_cast<uint32_t*>(row)[x] = uint32_t((r << 16) | (g << 8) | b) << 3;
      break;
    case kBackBufferX1R5G5B5:
    case kBackBufferA1R5G5B5:
      static_cast<uint16_t*>(row)[x] = uint16_t((r << 10) | (g << 5) | b);
      break;
    default:  // R5G6B5
      static_cast<uint16_t*>(row)[x] = uint16_t((r << 11) | (g << 6) | b);
      break;
  }
}

}  // namespace

void SetImageLanguage(std::string_view name) { Kept().language = std::string(name); }
std::string_view ImageLanguage() { return Kept().language; }
void ResetFullScreenImage() { Kept().reload = true; }
std::string_view KeptImageName() { return Kept().name; }
int32_t FullScreenImageReads() { return Kept().reads; }

void ReleaseFullScreenImage() {
  KeptImage& k = Kept();
  if (k.pixels) MEM_FREE(k.pixels);
  k.pixels = nullptr;
  k.width = k.height = 0;
  k.damaged.clear();
  k.name.clear();
  k.reads = 0;
}

bool ScaleImageToBuffer(std::span<const uint16_t> s, int32_t sw, int32_t sh, void* destination,
                        int32_t dw, int32_t dh, int32_t pitch, int32_t format) {
  const bool wide = format == kBackBufferA8R8G8B8 || format == kBackBufferX8R8G8B8;
  const bool is555 = format == kBackBufferX1R5G5B5 || format == kBackBufferA1R5G5B5;
  if (!wide && !is555 && format != kBackBufferR5G6B5) return false;
  if (!destination || sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return false;
  if (s.size() < size_t(sw) * size_t(sh)) return false;
  auto* base = static_cast<uint8_t*>(destination);
  if (sw == dw && sh == dh && !wide) {
    for (int32_t y = 0; y < dh; ++y) {
      auto* row = reinterpret_cast<uint16_t*>(base + size_t(y) * pitch);
      const uint16_t* from = s.data() + size_t(y) * sw;
      for (int32_t x = 0; x < dw; ++x)
        row[x] = is555 ? from[x]
                       : uint16_t(((from[x] & 0x7C00) << 1) | ((from[x] & 0x03E0) << 1) |
                                  (from[x] & 0x1F));
    }
    return true;
  }
  const float stepX = float(sw) / float(dw), stepY = float(sh) / float(dh);
  int32_t sy = 0;
  float fy = 0.0f;
  for (int32_t y = 0; y < dh; ++y) {
    // From the last source row on, that row is used alone.
    const bool lastRow = sy >= sh - 1;
    const uint16_t* row0 = s.data() + size_t(std::min(sy, sh - 1)) * sw;
    const uint16_t* row1 = lastRow ? row0 : row0 + sw;
    const float wy = lastRow ? 0.0f : fy;
    void* out = base + size_t(y) * pitch;
    int32_t sx = 0;
    float fx = 0.0f;
    for (int32_t x = 0; x < dw; ++x) {
      // The right neighbour of the last column is that column itself.
      const int32_t x0 = std::min(sx, sw - 1), x1 = std::min(sx + 1, sw - 1);
      const Rgb p00 = Split555(row0[x0]), p01 = Split555(row0[x1]);
      const Rgb p10 = Split555(row1[x0]), p11 = Split555(row1[x1]);
      auto mix = [&](int32_t c00, int32_t c01, int32_t c10, int32_t c11) {
        float top = (1.0f - fx) * float(c00) + fx * float(c01);
        float bottom = (1.0f - fx) * float(c10) + fx * float(c11);
        return std::clamp(int32_t(std::lrint((1.0f - wy) * top + wy * bottom)), 0, 31);
      };
      PutPixel(out, x, format, mix(p00.r, p01.r, p10.r, p11.r), mix(p00.g, p01.g, p10.g, p11.g),
               mix(p00.b, p01.b, p10.b, p11.b));
      fx += stepX;
      while (fx > 1.0f) {
        fx -= 1.0f;
        ++sx;
      }
    }
    fy += stepY;
    while (fy > 1.0f) {
      fy -= 1.0f;
      ++sy;
    }
  }
  return true;
}

std::vector<uint8_t> EncodeFullScreenPicture(std::span<const uint16_t> pixels, int32_t width,
                                             int32_t height) {
  if (width <= 0 || height <= 0 || width > kFullScreenWidth || height > kFullScreenHeight ||
      pixels.size() < size_t(width) * size_t(height))
    return {};
  ByteWriter out;
  const uint8_t head[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};  // no id, no map, uncompressed
  out.PutBytes(head, sizeof head);
  out.Put(uint16_t(width));
  out.Put(uint16_t(height));
  out.Put(uint8_t(16));
  out.Put(uint8_t(0));  // bottom row first
  for (int32_t row = height - 1; row >= 0; --row) {
    for (int32_t x = 0; x < width; ++x) out.Put(uint16_t(pixels[size_t(row) * width + x] & 0x7FFF));
  }
  return std::move(out.bytes);
}

bool WriteFullScreenPicture(std::string_view gameName, std::span<const uint16_t> pixels,
                            int32_t width, int32_t height) {
  const std::vector<uint8_t> bytes = EncodeFullScreenPicture(pixels, width, height);
  return !bytes.empty() && WriteWholeGameFile(gameName, bytes);
}

bool Image2DDrawFullScreen(std::string_view fileName, CRenderer* renderer) {
  KeptImage& k = Kept();
  if (fileName != k.name || k.reload) LoadImage(fileName);
  if (!renderer) renderer = GetRenderer();
  if (!renderer) return false;
  void* pixels = nullptr;
  int32_t width = 0, height = 0, pitch = 0;
  BackBufferFormat format = kBackBufferOther;
  renderer->LockBackBuffer(&pixels, &width, &height, &pitch, &format);
  bool drawn = false;
  if (k.pixels && !k.name.empty() && pixels) {
    drawn = ScaleImageToBuffer({k.pixels, size_t(k.width) * size_t(k.height)}, k.width, k.height,
                               pixels, width, height, pitch, format);
  }
  renderer->UnlockBackBuffer();
  return drawn;
}
