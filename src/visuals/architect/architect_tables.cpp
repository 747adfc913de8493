#include "visuals/architect/architect_tables.h"

#include <sstream>
#include <vector>

#include "engine/core/error.h"
#include "engine/files/file_bytes.h"

namespace {

ArchitectTables g_tables;
std::vector<int32_t> g_slots;

bool ReadNumbers(std::istringstream& in, int32_t* out, int32_t count, int32_t limit) {
  for (int32_t i = 0; i < count; ++i) {
    if (!(in >> out[i]) || out[i] < 0 || out[i] >= limit) return false;
  }
  return true;
}

bool ParseLine(const std::string& word, std::istringstream& in, ArchitectTables& t, std::vector<uint8_t>& storeys,
               int32_t& storeyDefault) {
  int32_t v[8];
  if (word == "wall") {
    if (!ReadNumbers(in, v, 2, kWallSets) || v[1] >= kMaterials || !ReadNumbers(in, v + 2, 2, kMaxArchitectTextures))
      return false;
    t.walls[size_t(v[0])].blank[v[1]] = uint8_t(v[2]);
    t.walls[size_t(v[0])].windows[v[1]] = uint8_t(v[3]);
  } else if (word == "ground") {
    if (!ReadNumbers(in, v, 1, kWallSets) || !ReadNumbers(in, v + 1, 6, kMaxArchitectTextures)) return false;
    for (int i = 0; i < 6; ++i) t.walls[size_t(v[0])].ground[i] = uint8_t(v[1 + i]);
  } else if (word == "roof") {
    if (!ReadNumbers(in, v, 1, kRoofSets) || !ReadNumbers(in, v + 1, 2, kMaxArchitectTextures)) return false;
    t.roofs[size_t(v[0])] = {uint8_t(v[1]), uint8_t(v[2])};
  } else if (word == "storeys") {
    int32_t n = 0;
    while (in >> n) {
      if (n < 0 || n >= kMaxArchitectTextures) return false;
      storeys.push_back(uint8_t(n));
    }
    if (!in.eof()) return false;
  } else if (word == "storeydefault") {
    if (!ReadNumbers(in, v, 1, kMaxArchitectTextures)) return false;
    storeyDefault = v[0];
  } else if (word == "plain") {
    if (!ReadNumbers(in, v, 3, kMaxArchitectTextures)) return false;
    t.plainWall = uint8_t(v[0]), t.plainRoof = uint8_t(v[1]), t.plainStorey = uint8_t(v[2]);
  } else {
    return false;
  }
  std::string extra;
  return !(in >> extra);
}

}  // namespace

bool ParseArchitectTables(std::string_view text, ArchitectTables& out, std::string& error) {
  ArchitectTables t;
  std::vector<uint8_t> storeys;
  int32_t storeyDefault = 0;
  std::istringstream lines{std::string(text)};
  std::string line;
  int32_t number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (size_t hash = line.find('#'); hash != std::string::npos) line.resize(hash);
    std::istringstream in(line);
    std::string word;
    if (!(in >> word)) continue;
    if (!ParseLine(word, in, t, storeys, storeyDefault)) {
      error = "line " + std::to_string(number) + ": bad \"" + word + "\" statement";
      return false;
    }
  }
  if (storeys.empty()) {
    error = "no storey entries";
    return false;
  }
  for (int32_t i = 0; i < kStoreyEntries; ++i) {
    const uint8_t e = storeys[size_t(i) % storeys.size()];
    t.storeys[size_t(i)] = e == 0 ? uint8_t(storeyDefault) : e;
  }
  out = t;
  return true;
}

void LoadArchitectTables() {
  std::vector<uint8_t> bytes;
  std::string error = "cannot be read";
  ArchitectTables t;
  if (ReadWholeGameFile("architect.txt", bytes, 1 << 20) &&
      ParseArchitectTables(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), t, error)) {
    g_tables = t;
    return;
  }
  ReportErrorF(1, "architect.txt %s: buildings use the first texture", error.c_str());
  g_tables = ArchitectTables{};
}

const ArchitectTables& TheArchitectTables() { return g_tables; }

void SetArchitectTextureSlots(const int32_t* slots, int32_t count) { g_slots.assign(slots, slots + count); }

uint16_t ArchitectTextureSlot(int32_t number) {
  if (number < 0 || size_t(number) >= g_slots.size() || g_slots[size_t(number)] < 0) return 0;
  return uint16_t(g_slots[size_t(number)]);
}
