#include "visuals/scene/workplace_tints.h"

#include <array>
#include <sstream>
#include <string>
#include <vector>

#include "city/business.h"
#include "city/business_types.h"
#include "city/people.h"
#include "city/person.h"
#include "engine/core/play_warning.h"
#include "engine/files/file_bytes.h"
#include "engine/render/renderer.h"
#include "engine/render/shader_mode.h"
#include "engine/scene/entity.h"

namespace {

constexpr const char* kColourFile = "gamedata\\business_colours.txt";
constexpr int32_t kNoWorkplace = 255;

struct TypeColours {
  std::array<uint32_t, kBusinessTypeCount> colour{};
  bool read = false;
};

TypeColours& Table() {
  static TypeColours t = [] {
    TypeColours c;
    c.colour.fill(kWorkerGrey);
    return c;
  }();
  return t;
}

bool ParseHexColour(const std::string& word, uint32_t& out) {
  if (word.size() != 7 || word[0] != '#') return false;
  uint32_t rgb = 0;
  for (size_t i = 1; i < word.size(); ++i) {
    const char c = word[i];
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                    : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (digit < 0) return false;
    rgb = rgb << 4 | uint32_t(digit);
  }
  out = 0xFF000000u | rgb;
  return true;
}

void ReadColourFile() {
  Table().read = true;
  std::vector<uint8_t> bytes;
  if (!ReadWholeGameFile(kColourFile, bytes, size_t{1} << 20)) return;  // every worker grey
  ParseBusinessTypeColours(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace

int32_t ParseBusinessTypeColours(std::string_view text) {
  TypeColours& t = Table();
  t.colour.fill(kWorkerGrey);
  t.read = true;
  std::istringstream lines{std::string(text)};
  std::string line;
  int32_t kept = 0, number = 0;
  while (std::getline(lines, line)) {
    ++number;
    std::istringstream words(line);
    std::string key, colourWord;
    if (!(words >> key) || key[0] == '#') continue;
    uint32_t colour = 0;
    const int type = FindBusinessTypeByName(key);
    if (type < 0 || !(words >> colourWord) || !ParseHexColour(colourWord, colour)) {
      ReportPerFileF(1, "business colour", kColourFile, "%s line %d: expected <business type> #RRGGBB",
                     kColourFile, number);
      continue;
    }
    t.colour[size_t(type)] = colour;
    ++kept;
  }
  return kept;
}

uint32_t BusinessTypeColour(int32_t type) {
  if (!Table().read) ReadColourFile();
  return IsBusinessType(type) ? Table().colour[size_t(type)] : kWorkerGrey;
}

bool WorkplaceTint(const CPerson& person, uint32_t& colour) {
  if (GetWorkBusinessKind(person) == kNoWorkplace) return false;
  const CBuilding* building = WorkBuilding(person);
  const CBusiness* business = building ? GetBusinessInUse(building->BusinessIndex) : nullptr;
  colour = BusinessTypeColour(business ? business->Type : -1);
  return true;
}

int32_t DrawWorkplaceTints(CRenderer& r, const Mat43& view) {
  r.DisableLighting();
  r.SetSoftwareShaderValue(kShaderSoftFlatDepth);
  int32_t drawn = 0;
  for (int32_t i = 0; i < g_PeopleCount && i < kMaxPeople; ++i) {
    CEntity& e = g_PersonEntities[size_t(i)];
    const CPerson& person = g_People[size_t(i)];
    uint32_t tint = 0;
    if (!person.InUse || e.model == nullptr || (e.flags & (kEntVisible | kEntInView)) != (kEntVisible | kEntInView) ||
        !WorkplaceTint(person, tint))
      continue;
    const uint32_t own = e.colour;
    e.colour = tint;
    e.Draw(view);
    e.colour = own;
    ++drawn;
  }
  return drawn;
}
