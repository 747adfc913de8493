#include "tools/texconv/texture_source.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <sstream>
#include <vector>

#include "engine/render/fullscreen_image.h"
#include "engine/scene/texture.h"
#include "tools/tool_io.h"

namespace {

using Colour = std::array<uint8_t, 4>;

bool ParseColour(const std::string& word, Colour& out) {
  if (word.size() != 7 && word.size() != 9) return false;
  if (word[0] != '#') return false;
  out[3] = 255;
  for (size_t i = 0; i + 1 < word.size(); i += 2) {
    unsigned value = 0;
    for (char c : word.substr(i + 1, 2)) {
      int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                  : (c >= 'a' && c <= 'f')                    ? c - 'a' + 10
                  : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                                                              : -1;
      if (digit < 0) return false;
      value = value * 16 + static_cast<unsigned>(digit);
    }
    out[i / 2] = static_cast<uint8_t>(value);
  }
  return true;
}

// A texture being drawn: every operation clips to it.
struct Canvas {
  TextureImage& t;

  void Set(int32_t x, int32_t y, const Colour& c) {
    if (x < 0 || y < 0 || x >= t.width || y >= t.height) return;
    std::copy(c.begin(), c.end(), t.texels.begin() + (static_cast<ptrdiff_t>(y) * t.width + x) * 4);
  }
  void Rect(int32_t x0, int32_t y0, int32_t w, int32_t h, const Colour& c) {
    for (int32_t y = std::max(y0, 0); y < std::min(y0 + h, t.height); ++y) {
      for (int32_t x = std::max(x0, 0); x < std::min(x0 + w, t.width); ++x) Set(x, y, c);
    }
  }
};

Colour Mix(const Colour& a, const Colour& b, float f) {
  Colour out;
  for (size_t i = 0; i < 4; ++i) {
    out[i] = static_cast<uint8_t>(std::lround(static_cast<float>(a[i]) + (static_cast<float>(b[i]) - static_cast<float>(a[i])) * f));
  }
  return out;
}

// A soft ellipse round (cx, cy) with radii rx, ry: the colour, alpha too,
// falls off smoothly to nothing at its rim and each texel keeps the larger of
// its own channel and the blob's. Distances wrap round the edges, so a blob
// over an edge goes on at the far side and the texture still tiles.
void Blob(TextureImage& t, int32_t cx, int32_t cy, int32_t rx, int32_t ry, const Colour& c) {
  auto wrapped = [](int32_t d, int32_t size) {
    d %= size;
    if (d > size / 2) d -= size;
    if (d < -size / 2) d += size;
    return static_cast<float>(d);
  };
  for (int32_t y = 0; y < t.height; ++y)
    for (int32_t x = 0; x < t.width; ++x) {
      const float dx = wrapped(x - cx, t.width) / static_cast<float>(rx);
      const float dy = wrapped(y - cy, t.height) / static_cast<float>(ry);
      const float d2 = dx * dx + dy * dy;
      if (d2 >= 1.0f) continue;
      const float f = (1.0f - d2) * (1.0f - d2);
      uint8_t* texel = &t.texels[(static_cast<size_t>(y) * static_cast<size_t>(t.width) + static_cast<size_t>(x)) * 4];
      for (size_t i = 0; i < 4; ++i)
        texel[i] = std::max(texel[i], static_cast<uint8_t>(std::lround(static_cast<float>(c[i]) * f)));
    }
}

// A fixed hash of a texel's place: the same source always draws the same noise.
uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed) {
  uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
  h ^= h >> 13;
  h *= 0x5BD1E995u;
  return h ^ (h >> 15);
}

bool EndsWith(const std::string& s, const char* tail) {
  const size_t n = std::char_traits<char>::length(tail);
  return s.size() > n && s.compare(s.size() - n, n, tail) == 0;
}

// The characters of a UTF-8 line; a byte that starts no valid sequence is
// taken as the character of that number.
std::vector<uint32_t> CodePoints(const std::string& text) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < text.size();) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const uint32_t c = byte(i);
    const size_t n = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    bool valid = n > 0;
    uint32_t cp = n == 3 ? c & 0x07 : n == 2 ? c & 0x0F : c & 0x1F;
    for (size_t k = 1; valid && k <= n; ++k) {
      if (i + k >= text.size() || (byte(i + k) & 0xC0) != 0x80) valid = false;
      else cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (valid) {
      out.push_back(cp);
      i += n + 1;
    } else {
      out.push_back(c);
      ++i;
    }
  }
  return out;
}

// Draws one line of text with a TrueType face, blending by glyph coverage.
// x < 0 centres the line across the texture.
bool DrawText(TextureImage& t, const std::string& face_path, int32_t x, int32_t baseline,
              int32_t size, const Colour& colour, const std::string& text, std::string& error) {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    error = "cannot start FreeType";
    return false;
  }
  bool ok = FT_New_Face(library, face_path.c_str(), 0, &face) == 0 &&
            FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size)) == 0;
  if (!ok) error = "cannot open the face " + face_path;
  for (int pass = 0; ok && pass < 2; ++pass) {  // measure, then draw
    int32_t pen = 0;
    for (uint32_t c : CodePoints(text)) {
      if (FT_Load_Char(face, c, pass ? FT_LOAD_RENDER : FT_LOAD_DEFAULT) != 0) continue;
      if (pass) {
        const FT_Bitmap& b = face->glyph->bitmap;
        const int32_t left = x + pen + face->glyph->bitmap_left;
        const int32_t top = baseline - face->glyph->bitmap_top;
        for (uint32_t r = 0; r < b.rows; ++r) {
          for (uint32_t col = 0; col < b.width; ++col) {
            const int32_t px = left + static_cast<int32_t>(col), py = top + static_cast<int32_t>(r);
            if (px < 0 || py < 0 || px >= t.width || py >= t.height) continue;
            const float cover = static_cast<float>(b.buffer[static_cast<ptrdiff_t>(r) * b.pitch + col]) / 255.0f;
            uint8_t* texel = &t.texels[(static_cast<size_t>(py) * static_cast<size_t>(t.width) + static_cast<size_t>(px)) * 4];
            Colour under{texel[0], texel[1], texel[2], texel[3]};
            Colour mixed = Mix(under, colour, cover * static_cast<float>(colour[3]) / 255.0f);
            std::copy(mixed.begin(), mixed.end(), texel);
          }
        }
      }
      pen += static_cast<int32_t>(face->glyph->advance.x >> 6);
    }
    if (!pass && x < 0) x = (t.width - pen) / 2;
  }
  if (face) FT_Done_Face(face);
  FT_Done_FreeType(library);
  return ok;
}

class SourceParser {
 public:
  SourceParser(const std::string& folder, const std::string& face_folder, TextureSource& out)
      : folder_(folder), face_folder_(face_folder), out_(out) {}

  bool Parse(std::string_view text, std::string& error) {
    std::istringstream in{std::string(text)};
    std::string line;
    for (line_ = 1; std::getline(in, line); ++line_) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (rows_ >= 0) {
        if (!PixelRow(line)) return Fail(error);
        continue;
      }
      std::istringstream words(line);
      std::string op;
      if (!(words >> op) || op[0] == '#') continue;
      if (!Statement(op, words) || !NothingMoreOnLine(words, why_)) return Fail(error);
    }
    if (rows_ >= 0) why_ = "pixels without end";
    else if (out_.output.empty()) why_ = "no output given";
    else if (out_.textures.empty()) why_ = "no textures";
    else if (!out_.variants.empty() && out_.output.find("%d") == std::string::npos)
      why_ = "variants need %d in the output name";
    else if (!IsSet() && out_.textures.size() != 1) why_ = "a single texture file holds exactly one texture";
    else if (IsPicture() && !out_.variants.empty()) why_ = "a full-screen picture has no variants";
    else return true;
    return Fail(error);
  }

 private:
  bool IsSet() const { return EndsWith(out_.output, ".gtd"); }
  bool IsPicture() const { return EndsWith(out_.output, ".tga") || EndsWith(out_.output, ".bmp"); }
  int32_t MaxWidth() const { return IsPicture() ? kFullScreenWidth : kTexturePageSize; }
  int32_t MaxHeight() const { return IsPicture() ? kFullScreenHeight : kTexturePageSize; }
  bool Fail(std::string& error) const {
    error = "line " + std::to_string(line_) + ": " + why_;
    return false;
  }
  bool Refuse(const char* why) {
    why_ = why;
    return false;
  }
  bool Get(std::istringstream& words, Colour& c) {
    std::string word;
    return (words >> word && ParseColour(word, c)) || Refuse("expected a colour #RRGGBB or #RRGGBBAA");
  }
  bool Get(std::istringstream& words, int32_t& value, int32_t low, int32_t high) {
    return (words >> value && value >= low && value <= high) || Refuse("number missing or out of range");
  }
  bool Axis(std::istringstream& words, bool& horizontal) {
    std::string word;
    words >> word;
    horizontal = word == "h";
    return horizontal || word == "v" || Refuse("expected h or v");
  }
  TextureImage* Current() {
    if (out_.textures.empty()) {
      why_ = "no texture started";
      return nullptr;
    }
    return &out_.textures.back();
  }

  bool Statement(const std::string& op, std::istringstream& words) {
    if (op == "output") return (words >> out_.output) || Refuse("expected a game name");
    if (op == "variants") {
      int32_t width = 0;
      while (words >> width) {
        if (width < 320 || width > 4096) return Refuse("screen width out of range");
        out_.variants.push_back(width);
      }
      return !out_.variants.empty() || Refuse("expected screen widths");
    }
    if (op == "texture") return StartTexture(words);
    if (op == "key") {
      std::string ch;
      Colour c;
      if (!(words >> ch) || ch.size() != 1) return Refuse("expected one key character");
      if (!Get(words, c)) return false;
      keys_[ch[0]] = c;
      return true;
    }
    if (op == "copies") {
      int32_t n = 0;
      if (!Current() || !Get(words, n, 1, 1024)) return false;
      const TextureImage copy = *Current();
      out_.textures.insert(out_.textures.end(), size_t(n), copy);
      return true;
    }
    TextureImage* t = Current();
    if (!t) return false;
    Canvas canvas{*t};
    const int32_t side = MaxWidth();
    Colour a, b;
    int32_t x = 0, y = 0, w = 0, h = 0, n = 0;
    bool horizontal = false;
    if (op == "flags") {
      std::string word;
      words >> word;
      if (word == "ownpage") t->flags |= kTexFlagOwnPage;
      else if (!word.empty() && word.find_first_not_of("0123456789") == std::string::npos && word.size() < 10)
        t->flags = static_cast<uint32_t>(std::stoul(word));
      else return Refuse("expected ownpage or a number");
      return true;
    }
    if (op == "fill") {
      if (!Get(words, a)) return false;
      canvas.Rect(0, 0, t->width, t->height, a);
      return true;
    }
    if (op == "rect") {
      if (!Get(words, x, -side, side) || !Get(words, y, -side, side) || !Get(words, w, 0, side) ||
          !Get(words, h, 0, side) || !Get(words, a))
        return false;
      canvas.Rect(x, y, w, h, a);
      return true;
    }
    if (op == "frame") {
      if (!Get(words, n, 1, side) || !Get(words, a)) return false;
      canvas.Rect(0, 0, t->width, n, a);
      canvas.Rect(0, t->height - n, t->width, n, a);
      canvas.Rect(0, 0, n, t->height, a);
      canvas.Rect(t->width - n, 0, n, t->height, a);
      return true;
    }
    if (op == "checker") {
      if (!Get(words, n, 1, side) || !Get(words, a) || !Get(words, b)) return false;
      for (y = 0; y < t->height; ++y)
        for (x = 0; x < t->width; ++x) canvas.Set(x, y, ((x / n + y / n) & 1) ? b : a);
      return true;
    }
    if (op == "stripes") {
      if (!Axis(words, horizontal) || !Get(words, n, 1, side) || !Get(words, a) || !Get(words, b)) return false;
      for (y = 0; y < t->height; ++y)
        for (x = 0; x < t->width; ++x) canvas.Set(x, y, (((horizontal ? y : x) / n) & 1) ? b : a);
      return true;
    }
    if (op == "gradient") {
      if (!Axis(words, horizontal) || !Get(words, a) || !Get(words, b)) return false;
      const int32_t span = std::max((horizontal ? t->width : t->height) - 1, 1);
      for (y = 0; y < t->height; ++y)
        for (x = 0; x < t->width; ++x)
          canvas.Set(x, y, Mix(a, b, static_cast<float>(horizontal ? x : y) / static_cast<float>(span)));
      return true;
    }
    if (op == "bricks") {
      if (!Get(words, w, 2, side) || !Get(words, h, 2, side) || !Get(words, n, 0, side) || !Get(words, a) ||
          !Get(words, b))
        return false;
      for (y = 0; y < t->height; ++y) {
        const int32_t row = y / h, shift = (row & 1) ? w / 2 : 0;
        for (x = 0; x < t->width; ++x) {
          const bool mortar = y % h < n || (x + shift) % w < n;
          canvas.Set(x, y, mortar ? b : a);
        }
      }
      return true;
    }
    if (op == "noise") {
      if (!Get(words, n, 0, 1 << 30) || !Get(words, w, 0, 255)) return false;
      for (y = 0; y < t->height; ++y) {
        for (x = 0; x < t->width; ++x) {
          const auto hash = Hash(static_cast<uint32_t>(x), static_cast<uint32_t>(y), static_cast<uint32_t>(n));
          const int32_t delta = static_cast<int32_t>(hash % static_cast<uint32_t>(2 * w + 1)) - w;
          uint8_t* texel = &t->texels[(static_cast<size_t>(y) * static_cast<size_t>(t->width) + static_cast<size_t>(x)) * 4];
          for (int i = 0; i < 3; ++i) texel[i] = static_cast<uint8_t>(std::clamp(texel[i] + delta, 0, 255));
        }
      }
      return true;
    }
    if (op == "blob") {
      if (!Get(words, x, -side, side) || !Get(words, y, -side, side) || !Get(words, w, 1, side) ||
          !Get(words, h, 1, side) || !Get(words, a))
        return false;
      Blob(*t, x, y, w, h, a);
      return true;
    }
    if (op == "text") {
      std::string where, face, words_left;
      if (!(words >> where)) return Refuse("expected text <x|c> <y> <size> <colour> <face> <words>");
      if (where == "c") x = -1;
      else if (std::istringstream number(where); !(number >> x) || x < -side || x > side)
        return Refuse("text x is a number or c");
      if (!Get(words, y, -side, side) || !Get(words, n, 4, 400) || !Get(words, a)) return false;
      if (!(words >> face)) return Refuse("expected a face file");
      std::getline(words >> std::ws, words_left);
      if (words_left.empty()) return Refuse("expected the words to draw");
      std::string error;
      if (!DrawText(*t, face_folder_ + "/" + face, x, y, n, a, words_left, error)) return Refuse(error.c_str());
      return true;
    }
    if (op == "pixels") {
      if (!Get(words, x, 0, t->width - 1) || !Get(words, y, 0, t->height - 1)) return false;
      pixel_x_ = x;
      pixel_y_ = y;
      rows_ = 0;
      return true;
    }
    why_ = "unknown statement " + op;
    return false;
  }

  bool StartTexture(std::istringstream& words) {
    std::string first;
    words >> first;
    if (first == "png") {
      std::string file, error;
      if (!(words >> file)) return Refuse("expected a PNG file name");
      TextureImage t;
      if (!ReadPngTexture(folder_ + "/" + file, t, error)) {
        why_ = error;
        return false;
      }
      out_.textures.push_back(std::move(t));
      return true;
    }
    std::istringstream size(first);
    int32_t w = 0, h = 0;
    if (!(size >> w) || !Get(words, h, 1, MaxHeight()) || w < 1 || w > MaxWidth())
      return Refuse("expected texture <width> <height> (1 to 256; 640 x 480 for pictures) [colour], or texture png <file>");
    Colour c{0, 0, 0, 0};
    std::string word;
    if (words >> word && !ParseColour(word, c)) return Refuse("expected a colour #RRGGBB or #RRGGBBAA");
    TextureImage t;
    t.width = w;
    t.height = h;
    t.texels.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    Canvas{t}.Rect(0, 0, w, h, c);
    out_.textures.push_back(std::move(t));
    return true;
  }

  bool PixelRow(const std::string& row) {
    if (row == "end") {
      rows_ = -1;
      return true;
    }
    Canvas canvas{out_.textures.back()};
    for (size_t i = 0; i < row.size(); ++i) {
      if (row[i] == '.' || row[i] == ' ') continue;
      auto it = keys_.find(row[i]);
      if (it == keys_.end()) return Refuse("a pixel row uses a character without a key");
      canvas.Set(pixel_x_ + static_cast<int32_t>(i), pixel_y_ + rows_, it->second);
    }
    ++rows_;
    return true;
  }

  const std::string& folder_;
  const std::string& face_folder_;
  TextureSource& out_;
  std::map<char, Colour> keys_;
  int line_ = 0;
  int32_t rows_ = -1;  // >= 0 while reading pixel rows
  int32_t pixel_x_ = 0, pixel_y_ = 0;
  std::string why_;
};

}  // namespace

bool ParseTextureSource(std::string_view text, const std::string& folder, TextureSource& out,
                        std::string& error, const std::string& face_folder) {
  out = TextureSource{};
  return SourceParser(folder, face_folder, out).Parse(text, error);
}

bool IsPictureOutput(const TextureSource& source) {
  return EndsWith(source.output, ".tga") || EndsWith(source.output, ".bmp");
}

std::vector<uint8_t> EncodeBmp(const TextureImage& picture) {
  const uint32_t w = uint32_t(picture.width), h = uint32_t(picture.height);
  const uint32_t row = (w * 3 + 3) & ~3u;  // rows padded to four bytes
  const uint32_t size = 54 + row * h;
  std::vector<uint8_t> out(size, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
  };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, size);
  put32(10, 54);
  put32(14, 40);
  put32(18, w);
  put32(22, h);
  out[26] = 1;   // one plane
  out[28] = 24;  // bits per pixel, uncompressed
  put32(34, row * h);
  for (uint32_t y = 0; y < h; ++y) {  // bottom row first
    uint8_t* dst = &out[54 + size_t(h - 1 - y) * row];
    for (uint32_t x = 0; x < w; ++x) {
      const uint8_t* t = &picture.texels[(size_t(y) * w + x) * 4];
      dst[x * 3] = t[2];
      dst[x * 3 + 1] = t[1];
      dst[x * 3 + 2] = t[0];
    }
  }
  return out;
}

std::vector<uint16_t> PicturePixels(const TextureImage& picture) {
  std::vector<uint16_t> pixels(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height));
  for (size_t i = 0; i < pixels.size(); ++i) {
    const uint8_t* t = &picture.texels[i * 4];
    pixels[i] = static_cast<uint16_t>(((t[0] >> 3) << 10) | ((t[1] >> 3) << 5) | (t[2] >> 3));
  }
  return pixels;
}

bool ReadPngTexture(const std::string& path, TextureImage& out, std::string& error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    error = "cannot read " + path + ": " + image.message;
    return false;
  }
  if (image.width < 1 || image.height < 1 || image.width > static_cast<uint32_t>(kTexturePageSize) ||
      image.height > static_cast<uint32_t>(kTexturePageSize)) {
    png_image_free(&image);
    error = path + ": a texture is 1 to 256 texels on each side";
    return false;
  }
  image.format = PNG_FORMAT_RGBA;
  out = TextureImage{};
  out.width = static_cast<int32_t>(image.width);
  out.height = static_cast<int32_t>(image.height);
  out.texels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.texels.data(), 0, nullptr)) {
    error = "cannot read " + path + ": " + image.message;
    png_image_free(&image);
    return false;
  }
  return true;
}

TextureImage ScaleTexture(const TextureImage& in, float scale) {
  TextureImage out;
  out.flags = in.flags;
  out.width = std::max<int32_t>(1, static_cast<int32_t>(std::lround(static_cast<float>(in.width) * scale)));
  out.height = std::max<int32_t>(1, static_cast<int32_t>(std::lround(static_cast<float>(in.height) * scale)));
  out.texels.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height) * 4);
  const float sx = static_cast<float>(in.width) / static_cast<float>(out.width);
  const float sy = static_cast<float>(in.height) / static_cast<float>(out.height);
  auto at = [&](int32_t x, int32_t y, int c) {
    x = std::clamp(x, 0, in.width - 1);
    y = std::clamp(y, 0, in.height - 1);
    return static_cast<float>(in.texels[(static_cast<size_t>(y) * static_cast<size_t>(in.width) + static_cast<size_t>(x)) * 4 + static_cast<size_t>(c)]);
  };
  for (int32_t y = 0; y < out.height; ++y) {
    const float fy = (static_cast<float>(y) + 0.5f) * sy - 0.5f;
    const auto y0 = static_cast<int32_t>(std::floor(fy));
    const float ty = fy - static_cast<float>(y0);
    for (int32_t x = 0; x < out.width; ++x) {
      const float fx = (static_cast<float>(x) + 0.5f) * sx - 0.5f;
      const auto x0 = static_cast<int32_t>(std::floor(fx));
      const float tx = fx - static_cast<float>(x0);
      for (int c = 0; c < 4; ++c) {
        const float top = at(x0, y0, c) + (at(x0 + 1, y0, c) - at(x0, y0, c)) * tx;
        const float bottom = at(x0, y0 + 1, c) + (at(x0 + 1, y0 + 1, c) - at(x0, y0 + 1, c)) * tx;
        out.texels[(static_cast<size_t>(y) * static_cast<size_t>(out.width) + static_cast<size_t>(x)) * 4 + static_cast<size_t>(c)] =
            static_cast<uint8_t>(std::lround(std::clamp(top + (bottom - top) * ty, 0.0f, 255.0f)));
      }
    }
  }
  return out;
}

std::vector<std::string> TextureOutputs(const TextureSource& source) {
  if (source.variants.empty()) return {source.output};
  std::vector<std::string> names;
  for (int32_t width : source.variants) {
    std::string name = source.output;
    if (size_t at = name.find("%d"); at != std::string::npos) name.replace(at, 2, std::to_string(width));
    names.push_back(std::move(name));
  }
  return names;
}
