#include "tools/designgen/design_source.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>

#include "editor/loop_geometry.h"

namespace fs = std::filesystem;

namespace {

const char* const kTypeLabels[13] = {"",          "1.Residential", "2.Retail",  "3.Factory", "4.Auditorium",
                                     "5.Landscape", "6.Utility",   "7.Telecoms", "8.Gas",     "9.Electric",
                                     "10.Water",  "11.Bus & Taxi", "12.Marina"};

// ---- Parsing --------------------------------------------------------------------

bool ReadNumber(std::istringstream& in, double& value) {
  std::string word;
  if (!(in >> word)) return false;
  char* end = nullptr;
  const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
  value = hex ? static_cast<double>(std::strtoll(word.c_str(), &end, 16)) : std::strtod(word.c_str(), &end);
  return end != nullptr && *end == '\0';
}

template <typename T>
bool ReadValue(std::istringstream& in, T& out, double low, double high) {
  double v;
  if (!ReadNumber(in, v) || v < low || v > high) return false;
  out = static_cast<T>(v);
  return true;
}

// The rest of a line as numbers within range.
bool ReadList(std::istringstream& in, std::vector<int32_t>& out, double low, double high) {
  out.clear();
  double v;
  while (ReadNumber(in, v)) {
    if (v < low || v > high) return false;
    out.push_back(static_cast<int32_t>(v));
  }
  return !out.empty();
}

bool ParseSizes(std::istringstream& in, DesignLook& look) {
  look.sizes.clear();
  std::string word;
  while (in >> word) {
    if (word == "all") continue;
    int w = 0, d = 0;
    if (std::sscanf(word.c_str(), "%dx%d", &w, &d) != 2 || w < 1 || w > 7 || d < 1 || d > 7) return false;
    look.sizes.emplace_back(w, d);
  }
  return true;
}

bool ParseBases(std::istringstream& in, DesignLook& look) {
  look.bases.clear();
  std::string word;
  while (in >> word) {
    if (word == "corner") look.bases.push_back(1);
    else if (word == "side") look.bases.push_back(2);
    else return false;
  }
  return !look.bases.empty();
}

bool ParseLookLine(const std::string& key, std::istringstream& in, DesignLook& l) {
  if (key == "category") return ReadValue(in, l.category, 1, 12);
  if (key == "quality") return ReadValue(in, l.quality, 1, 3);
  if (key == "designer") return ReadValue(in, l.designer, 1, 7);
  if (key == "sizes") return ParseSizes(in, l);
  if (key == "floors") return ReadList(in, l.floorClasses, 1, 4);
  if (key == "bases") return ParseBases(in, l);
  if (key == "materials") {
    for (int32_t& m : l.materials)
      if (!ReadValue(in, m, 0, 31)) return false;
    return true;
  }
  if (key == "ground")
    return ReadValue(in, l.groundHeight, 0.05, 5) && ReadValue(in, l.groundDoor, 0, 15) &&
           ReadValue(in, l.groundWindow, 0, 15) && ReadValue(in, l.groundBlank, 0, 15);
  if (key == "storey") {
    if (!ReadValue(in, l.storeyHeight, 0.05, 5) || !ReadValue(in, l.storeyWindow, 0, 15) ||
        !ReadValue(in, l.storeyBlank, 0, 15))
      return false;
    std::string backs, kind;
    if (in >> backs >> kind) l.blankBacks = backs == "backs" && kind == "blank";
    return true;
  }
  if (key == "shape") {
    in >> l.shape;
    static const std::set<std::string> shapes{"plain", "setback", "notch", "tower", "garden", "park", "works"};
    return shapes.count(l.shape) > 0;
  }
  if (key == "roof") return ReadValue(in, l.roof, 0, 511);
  if (key == "gable") return l.gable = true;
  if (key == "ledge") return ReadValue(in, l.ledgeDrop, 0, 2) && ReadValue(in, l.ledgeWidth, 0, 2);
  if (key == "weight") return ReadValue(in, l.weight, 2, 255);
  if (key == "sign") return ReadValue(in, l.sign, 0, 0x7FFFFFFF) && ReadValue(in, l.signWidth, 0, 7) &&
                             ReadValue(in, l.signHeight, 0, 7);
  if (key == "props") return ReadList(in, l.props, 0, 0x7FFFFFFF);
  return false;
}

// ---- Building -------------------------------------------------------------------

struct Pt {
  float x, z;
};
using Outline = std::vector<Pt>;

Outline Rect(float x0, float z0, float x1, float z1) { return {{x0, z0}, {x1, z0}, {x1, z1}, {x0, z1}}; }

struct Site {
  float w, d;
  bool corner;
  float front() const { return 7.0f; }
  float back() const { return 7.0f - d; }
  Outline Full() const { return Rect(0, back(), w, front()); }
  // Stepped in from the back and the sides that are not street sides.
  Outline Inset(float by) const {
    const float left = corner ? 0.0f : by;
    if (w - left - by < 1.0f || d - by < 1.0f) return Full();
    return Rect(left, back() + by, w - by, front());
  }
  // The back corner away from the street side cut out.
  Outline Notched() const {
    if (w < 2 || d < 2) return Full();
    const float mx = std::ceil(w / 2), mz = back() + std::floor(d / 2);
    return {{0, back()}, {mx, back()}, {mx, mz}, {w, mz}, {w, front()}, {0, front()}};
  }
};

enum class Face { Front, Street, Other };

Face EdgeFace(const Pt& a, const Pt& b, const Site& s) {
  if (a.z == s.front() && b.z == s.front()) return Face::Front;
  if (s.corner && a.x == 0.0f && b.x == 0.0f) return Face::Street;
  return Face::Other;
}

struct StoreyStyle {
  bool ground;
  int variant;
};

void PaintEdge(LoopPoint& p, int pieces, Face face, const DesignLook& look, StoreyStyle style) {
  const int group = style.ground ? 1 : 0;
  // Doors every few pieces on shop and house fronts, shifted by variant.
  const int doorEvery = look.category == 2 ? 6 : 8;
  for (int k = 0; k < pieces; ++k) {
    uint8_t code;
    if (style.ground) {
      const int anchor = (pieces / 2 + style.variant) % pieces;
      const bool door = face == Face::Front ? ((k - anchor) % doorEvery + doorEvery) % doorEvery == 0
                                            : face == Face::Street && pieces >= 4 && k == pieces / 2;
      code = door ? look.groundDoor : face == Face::Other ? look.groundBlank : look.groundWindow;
    } else {
      const bool street = face != Face::Other;
      const bool blank = !street && (look.blankBacks || (k + style.variant) % 3 == 2);
      code = blank ? look.storeyBlank : static_cast<uint8_t>(look.storeyWindow);
    }
    p.facade[k] = code;
    p.group[k] = static_cast<uint8_t>(group);
  }
}

void SetOutline(DesignLoop& loop, const Outline& outline, const Site& site, const DesignLook& look,
                StoreyStyle style) {
  loop.pointCount = static_cast<uint8_t>(outline.size());
  for (size_t i = 0; i < outline.size(); ++i) {
    loop.points[i].x = outline[i].x;
    loop.points[i].z = outline[i].z;
  }
  for (size_t i = 0; i < outline.size(); ++i) {
    const Pt& a = outline[i];
    const Pt& b = outline[(i + 1) % outline.size()];
    PaintEdge(loop.points[i], EdgePieceCount(loop, static_cast<int>(i)), EdgeFace(a, b, site), look, style);
  }
}

int AddLoop(BuildingDesign& d, const Outline& outline, const Site& site, const DesignLook& look, float height,
            StoreyStyle style) {
  const int index = InsertDesignLoop(d, d.loopCount - 1) - 1;
  DesignLoop& loop = d.loops[index];
  SetOutline(loop, outline, site, look, style);
  loop.height = height;
  loop.roofMask = 0;
  return index;
}

// The outline of storey s (0 the ground) of n for the look's shape.
Outline StoreyOutline(const DesignLook& look, const Site& site, int s, int n) {
  if (look.shape == "setback" && s >= std::max(1, n - 2)) return site.Inset(0.5f);
  if (look.shape == "notch" && s >= 1) return site.Notched();
  if (look.shape == "tower" && s >= 2) return site.Inset(1.0f);
  if (look.shape == "garden") return site.d >= 3 ? Rect(0, site.front() - std::ceil(site.d / 2), site.w, site.front())
                                                 : site.Full();
  // A hall on the street front with a yard of plant behind it.
  if (look.shape == "works") return Rect(1, site.back() + 2, site.w - 1, site.front());
  return site.Full();
}

bool SameOutline(const DesignLoop& a, const DesignLoop& b) {
  if (a.pointCount != b.pointCount) return false;
  for (int i = 0; i < a.pointCount; ++i)
    if (a.points[i].x != b.points[i].x || a.points[i].z != b.points[i].z) return false;
  return true;
}

// A ground cover that adds no height: the lawn of a garden, park or works yard.
void AddGroundCover(BuildingDesign& d, const Site& site, const DesignLook& look) {
  const int index = AddLoop(d, site.Full(), site, look, 0.05f, {true, 0});
  DesignLoop& loop = d.loops[index];
  loop.flags = kLoopRailing;
  loop.roofMask = kRoofFlat;
  for (int i = 0; i < loop.pointCount; ++i)
    for (uint8_t& code : loop.points[i].facade) code = kFacadeBlank0;
}

void AddStoreys(BuildingDesign& d, const Site& site, const DesignLook& look, int floorClass, int variant) {
  const int storeys = look.shape == "works" ? 1 : floorClass;
  const int first = d.loopCount;
  for (int s = 0; s < storeys; ++s) {
    const bool ground = s == 0;
    const int index = AddLoop(d, StoreyOutline(look, site, s, storeys), site, look,
                              ground ? look.groundHeight : look.storeyHeight, {ground, variant});
    DesignLoop& loop = d.loops[index];
    if (ground) {
      loop.offset1 = look.ledgeDrop;
      loop.offset2 = look.ledgeWidth;
    }
    // Four-floor designs stretch by their middle storeys.
    if (floorClass == 4 && (s == 1 || s == 2)) loop.repeatMax = s == 1 ? look.weight : std::max(2, look.weight / 2);
    loop.uRepeat = 1 + static_cast<int32_t>(site.w) / 3;
  }
  // Tops left open by the storey above get a flat roof; the top gets the
  // look's. The pointed styles mean a layer without walls, which the game
  // draws as a roof slab over nothing: every top keeps its walls.
  const int32_t topRoof = look.roof & ~(kRoofPointyMajor | kRoofPointyMinor);
  for (int i = first; i < d.loopCount; ++i) {
    const bool top = i + 1 == d.loopCount;
    if (top) d.loops[i].roofMask = topRoof != 0 ? topRoof : kRoofFlat;
    else if (!SameOutline(d.loops[i], d.loops[i + 1])) d.loops[i].roofMask = kRoofFlat;
  }
  // A gable look gets a low walled attic storey over its top.
  if (look.gable && storeys <= 2) {
    const DesignLoop top = d.loops[d.loopCount - 1];
    Outline outline;
    for (int i = 0; i < top.pointCount; ++i) outline.push_back({top.points[i].x, top.points[i].z});
    const int index = AddLoop(d, outline, site, look, look.storeyHeight * 0.6f, {false, variant});
    d.loops[index].roofMask = d.loops[index - 1].roofMask;
    d.loops[index - 1].roofMask = 0;
  }
}

void AddControl(BuildingDesign& d, int loop, float x, float y, float z, int32_t code, float sx = 1, float sy = 1) {
  const int i = PlaceControlPoint(d, loop, x, z);
  if (i < 0) return;
  ControlPoint& c = d.controls[i];
  c.y = y;
  c.type = code;
  c.scaleX = sx;
  c.scaleY = sy;
}

// Parts spread over a rectangle, one per cell, taking turns among the codes;
// on every other cell when the design's control points would not reach.
void SpreadProps(BuildingDesign& d, int loop, const DesignLook& look, float x0, float z0, float x1, float z1,
                 float y, int variant) {
  if (look.props.empty()) return;
  const auto cells = static_cast<int>((x1 - x0) * (z1 - z0));
  const bool sparse = cells > kDesignControlPoints - 2;
  int n = variant;
  int row = 0;
  for (float z = z0 + 0.5f; z < z1; z += 1.0f, ++row) {
    int column = 0;
    for (float x = x0 + 0.5f; x < x1; x += 1.0f, ++column)
      if (!sparse || (row + column) % 2 == 0)
        AddControl(d, loop, x, y, z, look.props[static_cast<size_t>(n++) % look.props.size()]);
  }
}

void AddParts(BuildingDesign& d, const Site& site, const DesignLook& look, int variant, int groundLoop) {
  if (look.sign != 0) {
    const float width = std::min(look.signWidth, site.w * 0.8f);
    AddControl(d, groundLoop, site.w * 0.5f, look.groundHeight * 0.8f, site.front() + 0.02f, look.sign, width,
               look.signHeight);
  }
  const int top = d.loopCount - 1;
  if (look.shape == "park") {
    SpreadProps(d, 0, look, 0, site.back(), site.w, site.front(), 0, variant);
  } else if (look.shape == "garden" && site.d >= 3) {
    SpreadProps(d, 0, look, 0, site.back(), site.w, site.front() - std::ceil(site.d / 2), 0, variant);
  } else if (look.shape == "works") {
    SpreadProps(d, 0, look, 0, site.back(), site.w, site.back() + 2, 0, variant);
  } else if (!look.props.empty() && site.w >= 2 && site.d >= 2) {
    // One roof part on the top storey.
    const DesignLoop& loop = d.loops[top];
    float cx = 0, cz = 0;
    for (int i = 0; i < loop.pointCount; ++i) {
      cx += loop.points[i].x;
      cz += loop.points[i].z;
    }
    AddControl(d, top, cx / loop.pointCount, 0, cz / loop.pointCount,
               look.props[static_cast<size_t>(variant) % look.props.size()]);
  }
}

}  // namespace

bool ParseDesignSource(std::string_view text, DesignSource& source, std::string& error) {
  std::istringstream lines{std::string(text)};
  std::string line;
  int number = 0;
  DesignLook* look = nullptr;
  auto fail = [&](const char* why) {
    error = "line " + std::to_string(number) + ": " + why;
    return false;
  };
  while (std::getline(lines, line)) {
    ++number;
    line = line.substr(0, line.find('#'));
    std::istringstream in(line);
    std::string key;
    if (!(in >> key)) continue;
    if (key == "look") {
      source.looks.emplace_back();
      look = &source.looks.back();
      if (!(in >> look->name)) return fail("a look needs a name");
    } else if (key == "end") {
      if (look == nullptr) return fail("end without a look");
      if (look->category == 0 || look->quality == 0) return fail("a look needs a category and a quality");
      look = nullptr;
    } else if (look != nullptr) {
      if (!ParseLookLine(key, in, *look)) return fail(("bad '" + key + "' line").c_str());
    } else if (key == "designer") {
      int index = 0;
      std::string name;
      if (!(in >> index >> name) || index < 1 || index > 7) return fail("bad designer");
      source.designers[index] = std::to_string(index) + "." + name;
    } else if (key == "variants") {
      if (!ReadValue(in, source.variants, 1, 99)) return fail("bad variants");
    } else {
      return fail(("unknown '" + key + "'").c_str());
    }
  }
  if (look != nullptr) return fail("a look is not ended");
  return true;
}

void BuildDesign(const DesignLook& look, const DesignCase& c, BuildingDesign& d) {
  NewBuildingDesign(d);
  const Site site{static_cast<float>(c.width), static_cast<float>(c.depth), c.base == 1};
  const bool covered = look.shape == "garden" || look.shape == "park" || look.shape == "works";
  if (covered) AddGroundCover(d, site, look);
  const int groundLoop = d.loopCount;
  if (look.shape != "park") AddStoreys(d, site, look, c.floorClass, c.variant);
  for (int i = 0; i < 5; ++i) d.groupMasks[i] = look.materials[i];
  d.textureSet = (look.quality * 7 + c.variant) % 45;
  d.person = static_cast<uint8_t>(look.designer);
  d.prestige = static_cast<uint8_t>(look.quality);
  d.buildingType = static_cast<uint8_t>(look.category);
  d.baseType = static_cast<uint8_t>(c.base);
  d.floors = static_cast<uint8_t>(c.floorClass);
  AddParts(d, site, look, c.variant, std::min(groundLoop, d.loopCount - 1));
  StoreBaseLoopBounds(d);
}

std::string DesignFileName(const DesignCase& c, int32_t quality) {
  char name[32];
  const char prestige = quality == 1 ? 'l' : quality == 2 ? 'm' : 'h';
  std::snprintf(name, sizeof name, "%c%d%d_%c%d_%02d.cb", c.base == 1 ? 'c' : 'e', c.width, c.depth, prestige,
                c.floorClass, c.variant);
  return name;
}

std::string DesignFolder(const DesignSource& source, const DesignLook& look) {
  const std::string& designer = source.designers[look.designer];
  return std::string(kTypeLabels[look.category]) + "/" +
         (designer.empty() ? std::to_string(look.designer) : designer);
}

int32_t WriteAllDesigns(const DesignSource& source, const std::string& folder) {
  // Every case served by some look, with the looks that serve it taking
  // turns over the variants.
  int32_t written = 0;
  auto design = std::make_unique<BuildingDesign>();
  for (int category = 1; category <= 12; ++category)
    for (int quality = 1; quality <= 3; ++quality)
      for (int fc = 1; fc <= 4; ++fc)
        for (int w = 1; w <= 7; ++w)
          for (int dp = 1; dp <= 7; ++dp)
            for (int base = 1; base <= 2; ++base) {
              std::vector<const DesignLook*> serving;
              for (const DesignLook& l : source.looks) {
                const bool sized = l.sizes.empty() || std::find(l.sizes.begin(), l.sizes.end(),
                                                                std::make_pair(w, dp)) != l.sizes.end();
                if (l.category == category && l.quality == quality && sized &&
                    std::find(l.floorClasses.begin(), l.floorClasses.end(), fc) != l.floorClasses.end() &&
                    std::find(l.bases.begin(), l.bases.end(), base) != l.bases.end())
                  serving.push_back(&l);
              }
              if (serving.empty()) continue;
              for (int v = 0; v < source.variants; ++v) {
                const DesignLook& look = *serving[static_cast<size_t>(v + w + dp + fc) % serving.size()];
                const DesignCase c{w, dp, fc, base, v};
                BuildDesign(look, c, *design);
                const fs::path dir = fs::path(folder) / DesignFolder(source, look);
                std::error_code ec;
                fs::create_directories(dir, ec);
                const fs::path path = dir / DesignFileName(c, quality);
                if (!WriteBuildingDesign(*design, path.string())) {
                  std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
                  return -1;
                }
                ++written;
              }
            }
  return written;
}
