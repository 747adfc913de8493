#include "tools/tgabake/tga_sources.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace {

constexpr int32_t kStepsPerDay = kSkyPictureWidth;
constexpr int32_t kBand = 16;
constexpr int32_t kFirstBandRow = 32;
constexpr int32_t kRoadSide = 256;
constexpr int32_t kKerb = 18;

bool ParseColour(const std::string& word, uint32_t& out) {
  if (word.size() != 7 || word[0] != '#') return false;
  char* end = nullptr;
  const unsigned long v = std::strtoul(word.c_str() + 1, &end, 16);
  if (*end != 0) return false;
  out = 0xFF000000u | uint32_t(v);
  return true;
}

bool ParseByte(const std::string& word, uint32_t& out) {
  char* end = nullptr;
  const long v = std::strtol(word.c_str(), &end, 10);
  if (word.empty() || *end != 0 || v < 0 || v > 255) return false;
  out = uint32_t(v);
  return true;
}

struct SkyKey {
  float hour = 0;
  uint32_t sun = 0, ambient = 0, sky = 0;
  uint32_t light = 0, fogA = 0, fogB = 0, brightness = 0;
};

uint32_t Mix(uint32_t a, uint32_t b, float t) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const float ca = float((a >> shift) & 0xFF), cb = float((b >> shift) & 0xFF);
    out |= uint32_t(std::lround(ca + (cb - ca) * t)) << shift;
  }
  return out;
}

// A line whose first character (after blanks) is '#' is a comment; colours
// also start with '#', so there are no comments after statements.
std::string WithoutComment(const std::string& line) {
  const size_t first = line.find_first_not_of(" \t");
  return first != std::string::npos && line[first] == '#' ? std::string() : line;
}

// The next line holding a statement, its words and its first word; false at
// the end of the source.
bool NextStatement(std::istream& lines, std::string& line, std::istringstream& words,
                   std::string& what) {
  while (std::getline(lines, line)) {
    line = WithoutComment(line);
    words.clear();
    words.str(line);
    if (words >> what) return true;
  }
  return false;
}

uint32_t Grey(uint32_t byte) { return 0xFF000000u | byte << 16 | byte << 8 | byte; }

// The key values at a step, between the keys either side (wrapping).
SkyKey KeyAt(const std::vector<SkyKey>& keys, float hour) {
  size_t next = 0;
  while (next < keys.size() && keys[next].hour <= hour) ++next;
  const SkyKey& b = keys[next % keys.size()];
  const SkyKey& a = keys[(next + keys.size() - 1) % keys.size()];
  float span = b.hour - a.hour, into = hour - a.hour;
  if (span <= 0) span += 24;
  if (into < 0) into += 24;
  const float t = span > 0 ? into / span : 0;
  SkyKey k;
  k.sun = Mix(a.sun, b.sun, t);
  k.ambient = Mix(a.ambient, b.ambient, t);
  k.sky = Mix(a.sky, b.sky, t);
  k.light = Mix(a.light, b.light, t) & 0xFF;
  k.fogA = Mix(a.fogA, b.fogA, t) & 0xFF;
  k.fogB = Mix(a.fogB, b.fogB, t) & 0xFF;
  k.brightness = Mix(a.brightness, b.brightness, t) & 0xFF;
  return k;
}

bool BakeSky(std::istringstream& lines, const std::string& output, std::vector<TgaPicture>& out,
             std::string& error) {
  std::vector<SkyKey> keys;
  float sunrise = -1, sunset = -1;
  std::string line;
  std::istringstream words;
  std::string what;
  while (NextStatement(lines, line, words, what)) {
    if (what == "sunrise" || what == "sunset") {
      float hour = -1;
      if (!(words >> hour) || hour < 0 || hour >= 24) {
        error = "bad " + what + " hour";
        return false;
      }
      (what == "sunrise" ? sunrise : sunset) = hour;
    } else if (what == "key") {
      SkyKey k;
      std::string s[7];
      if (!(words >> k.hour >> s[0] >> s[1] >> s[2] >> s[3] >> s[4] >> s[5] >> s[6]) ||
          k.hour < 0 || k.hour >= 24 || !ParseColour(s[0], k.sun) ||
          !ParseColour(s[1], k.ambient) || !ParseColour(s[2], k.sky) ||
          !ParseByte(s[3], k.light) || !ParseByte(s[4], k.fogA) || !ParseByte(s[5], k.fogB) ||
          !ParseByte(s[6], k.brightness)) {
        error = "bad key line: " + line;
        return false;
      }
      if (!keys.empty() && k.hour <= keys.back().hour) {
        error = "keys must run in order of the hour";
        return false;
      }
      keys.push_back(k);
    } else {
      error = "unknown statement " + what;
      return false;
    }
  }
  if (keys.empty() || sunrise < 0 || sunset <= sunrise) {
    error = "a sky needs keys, a sunrise and a later sunset";
    return false;
  }
  TgaPicture p{output, kSkyPictureWidth, kSkyPictureHeight, {}};
  p.texels.assign(size_t(p.width) * size_t(p.height), 0xFF000000u);
  const int32_t riseStep = int32_t(sunrise * 16), setStep = int32_t(sunset * 16);
  for (int32_t step = 0; step < kStepsPerDay; ++step) {
    const SkyKey k = KeyAt(keys, float(step) / 16.0f);
    const uint32_t marker = step == riseStep ? 64 : step == setStep ? 192 : 0;
    // Bands in the order the game reads them: sun, light, ambient, (unused),
    // markers, (unused), sky, fog A, fog B, brightness.
    const uint32_t bands[10] = {k.sun, Grey(k.light), k.ambient, 0xFF000000u, Grey(marker),
                                0xFF000000u, k.sky, Grey(k.fogA), Grey(k.fogB),
                                Grey(k.brightness)};
    for (int32_t b = 0; b < 10; ++b)
      for (int32_t r = 0; r < kBand; ++r)
        p.texels[size_t(kFirstBandRow + b * kBand + r) * size_t(p.width) + size_t(step)] = bands[b];
  }
  out.push_back(std::move(p));
  return true;
}

// A small fixed hash, so the grain is the same on every build.
uint32_t Grain(int32_t x, int32_t y, int32_t seed) {
  uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

uint32_t Vary(uint32_t colour, int32_t amount, uint32_t noise) {
  const int32_t d = amount ? int32_t(noise % uint32_t(2 * amount + 1)) - amount : 0;
  uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8)
    out |= uint32_t(std::clamp(int32_t((colour >> shift) & 0xFF) + d, 0, 255)) << shift;
  return out;
}

struct RoadStyle {
  uint32_t asphalt = 0, kerb = 0, marking = 0;
  std::string lines;
  int32_t grain = 0;
};

TgaPicture RoadPicture(const std::string& name, const RoadStyle& s, bool junction, int32_t seed) {
  TgaPicture p{name, kRoadSide, kRoadSide, {}};
  p.texels.resize(size_t(kRoadSide) * kRoadSide);
  for (int32_t y = 0; y < kRoadSide; ++y)
    for (int32_t x = 0; x < kRoadSide; ++x) {
      uint32_t c = s.asphalt;
      const bool edgeX = x < kKerb || x >= kRoadSide - kKerb;
      const bool edgeY = y < kKerb || y >= kRoadSide - kKerb;
      if (junction ? (edgeX && edgeY) : edgeX) c = s.kerb;
      if (!junction && s.lines != "none" && std::abs(x - kRoadSide / 2) < 3 &&
          (s.lines == "solid" || (y / 32) % 2 == 0))
        c = s.marking;
      // Stop lines across each arm of a junction.
      if (junction && s.lines != "none" && !edgeX && !edgeY &&
          (std::abs(y - kKerb - 6) < 3 || std::abs(y - (kRoadSide - kKerb - 6)) < 3 ||
           std::abs(x - kKerb - 6) < 3 || std::abs(x - (kRoadSide - kKerb - 6)) < 3))
        c = s.marking;
      p.texels[size_t(y) * kRoadSide + size_t(x)] = Vary(c, s.grain, Grain(x, y, seed));
    }
  return p;
}

bool BakeRoads(std::istringstream& lines, const std::string& output,
               std::vector<TgaPicture>& out, std::string& error) {
  std::string line;
  std::istringstream words;
  std::string what;
  while (NextStatement(lines, line, words, what)) {
    RoadStyle s;
    int32_t year = 0;
    std::string a, k, m;
    if (what != "decade" || !(words >> year >> a >> k >> m >> s.lines >> s.grain) ||
        !ParseColour(a, s.asphalt) || !ParseColour(k, s.kerb) || !ParseColour(m, s.marking) ||
        (s.lines != "dashed" && s.lines != "solid" && s.lines != "none") || s.grain < 0 ||
        s.grain > 64) {
      error = "bad road line: " + line;
      return false;
    }
    for (int variant = 0; variant < 2; ++variant) {
      char name[256];
      std::snprintf(name, sizeof name, output.c_str(), std::to_string(year).c_str(),
                    variant ? "B" : "A");
      out.push_back(RoadPicture(name, s, variant == 1, year + variant));
    }
  }
  if (out.empty()) {
    error = "no decade lines";
    return false;
  }
  return true;
}

}  // namespace

bool BakeTgaSource(std::string_view text, std::vector<TgaPicture>& out, std::string& error) {
  std::istringstream lines{std::string(text)};
  std::string line, output, kind;
  std::istringstream words;
  std::string what;
  while (kind.empty() && NextStatement(lines, line, words, what)) {
    if (what == "output") {
      words >> output;
    } else if (what == "sky" || what == "roads") {
      kind = what;
    } else {
      error = "expected output, then sky or roads";
      return false;
    }
  }
  if (output.empty() || kind.empty()) {
    error = "a source needs an output line and a kind";
    return false;
  }
  return kind == "sky" ? BakeSky(lines, output, out, error) : BakeRoads(lines, output, out, error);
}

std::vector<uint8_t> EncodeTga32(const TgaPicture& p) {
  std::vector<uint8_t> bytes(18, 0);
  bytes[2] = 2;
  bytes[12] = uint8_t(p.width & 0xFF);
  bytes[13] = uint8_t(p.width >> 8);
  bytes[14] = uint8_t(p.height & 0xFF);
  bytes[15] = uint8_t(p.height >> 8);
  bytes[16] = 32;
  bytes.reserve(18 + p.texels.size() * 4);
  for (int32_t y = p.height - 1; y >= 0; --y)
    for (int32_t x = 0; x < p.width; ++x) {
      const uint32_t c = p.texels[size_t(y) * size_t(p.width) + size_t(x)];
      bytes.push_back(uint8_t(c));
      bytes.push_back(uint8_t(c >> 8));
      bytes.push_back(uint8_t(c >> 16));
      bytes.push_back(uint8_t(c >> 24));
    }
  return bytes;
}
