#include "city/building_library.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/core/error.h"
#include "engine/core/random_stream.h"
#include "engine/core/system_settings.h"
#include "engine/files/file_bytes.h"

static_assert(std::endian::native == std::endian::little, "the library file is little-endian");
// The elements lie in memory exactly as in the file.
static_assert(sizeof(LibraryPoint) == 8);
static_assert(sizeof(LibraryLayer) == 32 && offsetof(LibraryLayer, Height) == 12 && offsetof(LibraryLayer, Style) == 16 &&
              offsetof(LibraryLayer, LedgeDrop) == 20 && offsetof(LibraryLayer, Flags) == 28);
static_assert(sizeof(LibraryBuilding) == 28 && offsetof(LibraryBuilding, Params) == 16 &&
              offsetof(LibraryBuilding, BaseWidth) == 21 && offsetof(LibraryBuilding, CornerKind) == 27);
static_assert(sizeof(LibraryPlacement) == 32 && offsetof(LibraryPlacement, Value) == 12 &&
              offsetof(LibraryPlacement, Code) == 24 && offsetof(LibraryPlacement, Layer) == 28);

namespace {

constexpr int32_t kArrayCount = 7;
constexpr int32_t kFirstCountField = 44;  // count and offset pairs from here
// Large enough for any real library, small enough that a damaged header
// cannot ask for gigabytes.
constexpr size_t kMaxLibraryFileSize = size_t{256} << 20;

// Each array as raw bytes of its vector, by array number 0..6.
template <typename Library, typename Visit>
void ForEachArray(Library& library, Visit visit) {
  visit(library.Points);
  visit(library.Textures);
  visit(library.PointLayers);
  visit(library.TextureLayers);
  visit(library.Layers);
  visit(library.Buildings);
  visit(library.Placements);
}

template <typename T>
int32_t Append(std::vector<T>& array, int32_t n) {
  if (n < 0) return -1;
  const auto first = static_cast<int32_t>(array.size());
  array.resize(array.size() + static_cast<size_t>(n));
  return first;
}

bool ReferenceFits(uint32_t reference, size_t size) {
  return static_cast<size_t>(LayerReferenceFirst(reference)) + LayerReferenceCount(reference) <= size;
}

// A point layer is a loop: its last point repeats its first, and the
// geometry built from it counts on that (a cap has a vertex for every point
// but the repeat).
bool ClosedFiniteLoop(const BuildingLibrary& l, uint32_t reference) {
  const size_t first = LayerReferenceFirst(reference), count = LayerReferenceCount(reference);
  for (size_t i = first; i < first + count; ++i)
    if (!std::isfinite(l.Points[i].x) || !std::isfinite(l.Points[i].z)) return false;
  return count < 2 || (l.Points[first].x == l.Points[first + count - 1].x &&
                       l.Points[first].z == l.Points[first + count - 1].z);
}

bool CheckReferences(const BuildingLibrary& l, std::string& reason) {
  for (uint32_t r : l.PointLayers) {
    if (!ReferenceFits(r, l.Points.size())) return RefuseFile(reason, "a point layer runs past the points");
    if (!ClosedFiniteLoop(l, r)) return RefuseFile(reason, "a point layer is not a closed loop of finite points");
  }
  for (uint32_t r : l.TextureLayers)
    if (!ReferenceFits(r, l.Textures.size())) return RefuseFile(reason, "a texture layer runs past the textures");
  for (const LibraryLayer& layer : l.Layers) {
    if (layer.PointLayer < 0 || static_cast<size_t>(layer.PointLayer) >= l.PointLayers.size() ||
        layer.TextureLayer < 0 || static_cast<size_t>(layer.TextureLayer) >= l.TextureLayers.size())
      return RefuseFile(reason, "a layer names a missing point or texture layer");
    if (LayerReferenceCount(l.PointLayers[layer.PointLayer]) != LayerReferenceCount(l.TextureLayers[layer.TextureLayer]))
      return RefuseFile(reason, "a layer's points and textures differ in number");
    if (!std::isfinite(layer.Height)) return RefuseFile(reason, "a layer has no proper height");
  }
  for (const LibraryBuilding& b : l.Buildings) {
    if (b.FirstLayer < 0 || b.LayerCount < 0 || b.LayerCount > kLibraryMaxLayersPerBuilding ||
        static_cast<size_t>(b.FirstLayer) + static_cast<size_t>(b.LayerCount) > l.Layers.size())
      return RefuseFile(reason, "a building's layers run past the layers");
    if (b.FirstPlacement < 0 || b.PlacementCount < 0 || b.PlacementCount > kLibraryPlacementsPerBuilding ||
        static_cast<size_t>(b.FirstPlacement) + static_cast<size_t>(b.PlacementCount) > l.Placements.size())
      return RefuseFile(reason, "a building's placements run past the placements");
  }
  return true;
}

bool SiteFits(const LibraryBuilding& b, const LibrarySearch& s, bool& turned) {
  turned = false;
  if (b.BaseWidth == s.width && b.BaseDepth == s.depth) return true;
  // A corner building may stand turned a quarter. (A square base matches
  // straight, so it is never marked turned: the architect would mirror and
  // turn it, and a side building would then face away from its street.)
  if (b.CornerKind == 1 && b.BaseWidth == s.depth && b.BaseDepth == s.width) {
    turned = true;
    return true;
  }
  return false;
}

bool Matches(const LibraryBuilding& b, const LibrarySearch& s) {
  const bool floorsFit = s.floorClass >= 4 ? b.FloorClass >= 4 : b.FloorClass == s.floorClass;
  return floorsFit && (s.quality == 0 || b.Quality == s.quality) && (s.category == 0 || b.Category == s.category) &&
         (s.cornerKind == 0 || b.CornerKind == s.cornerKind);
}

// Picks the layer at which the running sum of weights first exceeds r.
template <typename WeightOf>
int DrawLayer(size_t count, uint32_t& state, WeightOf weightOf) {
  int64_t total = 0;
  for (size_t i = 0; i < count; ++i) total += weightOf(i);
  if (total <= 0) return -1;
  const int64_t r = DrawLcg(state) % total;
  int64_t running = 0;
  for (size_t i = 0; i < count; ++i) {
    running += weightOf(i);
    if (running > r) return static_cast<int>(i);
  }
  return -1;
}

// Spreads floors beyond four over the layers: first each layer up to its
// weight, then among the layers that may repeat, by weight. A layer of weight
// 0 counts as one that may not repeat (its remaining weight is none, not
// negative, so the draw's range never goes to zero or below).
void AddRepetitions(std::vector<DescriptionLayer>& layers, int32_t floors) {
  uint32_t state = 0;
  for (int32_t counter = 4; counter < floors; ++counter) {
    int pick = DrawLayer(layers.size(), state, [&](size_t i) {
      return std::max<int64_t>(0, int64_t{layers[i].weight} - layers[i].repetitions);
    });
    if (pick < 0) {
      pick = DrawLayer(layers.size(), state,
                       [&](size_t i) { return layers[i].weight > 1 ? int64_t{layers[i].weight} : int64_t{0}; });
    }
    if (pick < 0) return;
    ++layers[static_cast<size_t>(pick)].repetitions;
  }
}

std::unique_ptr<BuildingLibrary>& GameLibrary() {
  static std::unique_ptr<BuildingLibrary> library;
  return library;
}

}  // namespace

int32_t GetLibraryElementSize(int32_t code) {
  switch (code) {
    case kArrayPoints: return 8;
    case kArrayTextures: return 1;
    case kArrayPointLayers:
    case kArrayTextureLayers: return 4;
    case kArrayLayers: return 32;
    case kArrayBuildings: return 28;
    case kArrayPlacements: return 32;
    default: return 0;
  }
}

int32_t GetLibraryCount(const BuildingLibrary& l, int32_t code) {
  switch (code) {
    case kArrayPoints: return static_cast<int32_t>(l.Points.size());
    case kArrayTextures: return static_cast<int32_t>(l.Textures.size());
    case kArrayPointLayers: return static_cast<int32_t>(l.PointLayers.size());
    case kArrayTextureLayers: return static_cast<int32_t>(l.TextureLayers.size());
    case kArrayLayers: return static_cast<int32_t>(l.Layers.size());
    case kArrayBuildings: return static_cast<int32_t>(l.Buildings.size());
    case kArrayPlacements: return static_cast<int32_t>(l.Placements.size());
    default: return -1;
  }
}

int32_t GrowLibraryArray(BuildingLibrary& l, int32_t code, int32_t n) {
  switch (code) {
    case kArrayPoints: return Append(l.Points, n);
    case kArrayTextures: return Append(l.Textures, n);
    case kArrayPointLayers: return Append(l.PointLayers, n);
    case kArrayTextureLayers: return Append(l.TextureLayers, n);
    case kArrayLayers: return Append(l.Layers, n);
    case kArrayBuildings: return Append(l.Buildings, n);
    case kArrayPlacements: return Append(l.Placements, n);
    default: return -1;
  }
}

std::vector<uint8_t> EncodeBuildingLibrary(const BuildingLibrary& library) {
  std::vector<uint8_t> out(kLibraryHeaderSize, 0);
  int32_t header[kLibraryHeaderSize / 4] = {};
  header[0] = static_cast<int32_t>(kLibraryMagic);
  header[1] = kLibraryVersion;
  int32_t field = kFirstCountField / 4;
  int32_t offset = kLibraryHeaderSize;
  ForEachArray(library, [&](const auto& array) {
    const auto bytes = static_cast<int32_t>(array.size() * sizeof(array[0]));
    header[field++] = static_cast<int32_t>(array.size());
    header[field++] = offset;
    offset += bytes;
    const auto* p = reinterpret_cast<const uint8_t*>(array.data());
    out.insert(out.end(), p, p + bytes);
  });
  header[2] = offset;
  std::memcpy(out.data(), header, sizeof header);
  return out;
}

bool DecodeBuildingLibrary(std::span<const uint8_t> bytes, BuildingLibrary& library, std::string& reason) {
  library = BuildingLibrary{};
  if (bytes.size() < static_cast<size_t>(kLibraryHeaderSize)) return RefuseFile(reason, "the header is short");
  int32_t header[kLibraryHeaderSize / 4];
  std::memcpy(header, bytes.data(), sizeof header);
  if (static_cast<uint32_t>(header[0]) != kLibraryMagic) return RefuseFile(reason, "not a building library");
  if (header[1] != kLibraryVersion) return RefuseFile(reason, "wrong version");
  if (header[2] < kLibraryHeaderSize || static_cast<size_t>(header[2]) != bytes.size())
    return RefuseFile(reason, "the total size does not match the file");
  BuildingLibrary loaded;
  int32_t field = kFirstCountField / 4;
  bool ok = true;
  ForEachArray(loaded, [&](auto& array) {
    const int64_t count = header[field++];
    const int64_t offset = header[field++];
    if (!ok || count == 0) return;
    const auto size = static_cast<int64_t>(sizeof(array[0]));
    if (count < 0 || offset < kLibraryHeaderSize || offset + count * size > header[2]) {
      ok = false;
      return;
    }
    array.resize(static_cast<size_t>(count));
    std::memcpy(array.data(), bytes.data() + offset, static_cast<size_t>(count * size));
  });
  if (!ok) return RefuseFile(reason, "an array lies outside the file");
  if (!CheckReferences(loaded, reason)) return false;
  library = std::move(loaded);
  return true;
}

bool LoadBuildingLibrary(std::string_view path, BuildingLibrary& library, std::string& reason) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeGameFile(path, bytes, kMaxLibraryFileSize)) {
    library = BuildingLibrary{};
    return RefuseFile(reason, "cannot read the file");
  }
  return DecodeBuildingLibrary(bytes, library, reason);
}

bool SaveBuildingLibrary(std::string_view path, const BuildingLibrary& library) {
  if (path.empty()) return false;
  return WriteWholeGameFile(path, EncodeBuildingLibrary(library));
}

int32_t SearchBuildingLibrary(const BuildingLibrary* library, const LibrarySearch& s, std::span<int32_t> results,
                              bool pickOne, uint32_t pickTick) {
  if (results.empty() || s.width < 1 || s.width > 7 || s.depth < 1 || s.depth > 7 || s.quality < 0 ||
      s.quality > 3 || s.cornerKind < 0 || s.cornerKind > 2 || s.category < 0 || s.category > 12)
    return -1;
  if (s.floorClass < 1 || library == nullptr) return 0;
  size_t found = 0;
  for (size_t i = 0; i < library->Buildings.size() && found < results.size(); ++i) {
    const LibraryBuilding& b = library->Buildings[i];
    bool turned = false;
    if (!Matches(b, s) || !SiteFits(b, s, turned)) continue;
    results[found++] = static_cast<int32_t>(static_cast<uint32_t>(i) | (turned ? kLibraryTurnedMark : 0u));
  }
  if (pickOne && found > 0) {
    std::swap(results[0], results[(pickTick * 57u) % found]);
    return 1;
  }
  return static_cast<int32_t>(found);
}

bool InstantiateLibraryBuilding(const BuildingLibrary* library, int32_t entry, BuildingDescription& d,
                                int32_t floors) {
  d = BuildingDescription{};
  const uint32_t index = static_cast<uint32_t>(entry) & ~kLibraryTurnedMark;
  if (library == nullptr || index >= library->Buildings.size() || floors >= kLibraryMaxFloors) return false;
  const LibraryBuilding& b = library->Buildings[index];
  d.entry = static_cast<int32_t>(index);
  std::memcpy(d.params, b.Params, sizeof d.params);
  d.baseWidth = b.BaseWidth;
  d.baseDepth = b.BaseDepth;
  for (int32_t i = 0; i < b.LayerCount; ++i) {
    const LibraryLayer& src = library->Layers[static_cast<size_t>(b.FirstLayer + i)];
    const uint32_t pr = library->PointLayers[static_cast<size_t>(src.PointLayer)];
    const uint32_t tr = library->TextureLayers[static_cast<size_t>(src.TextureLayer)];
    DescriptionLayer layer;
    const auto p0 = library->Points.begin() + LayerReferenceFirst(pr);
    layer.points.assign(p0, p0 + LayerReferenceCount(pr));
    const auto t0 = library->Textures.begin() + LayerReferenceFirst(tr);
    layer.textures.assign(t0, t0 + LayerReferenceCount(tr));
    layer.height = src.Height;
    layer.style = src.Style;
    layer.textureScale = src.TextureScale;
    layer.weight = src.Weight;
    layer.flags = src.Flags;
    layer.ledgeDrop = src.LedgeDrop;
    layer.ledgeWidth = src.LedgeWidth;
    d.layers.push_back(std::move(layer));
  }
  AddRepetitions(d.layers, floors);
  float base = 0.0f;
  for (DescriptionLayer& layer : d.layers) {
    layer.baseHeight = base;
    layer.totalHeight = static_cast<float>(layer.repetitions) * layer.height;
    if (!(layer.flags & kLayerFlagFlat)) base += layer.totalHeight;
  }
  // A part's layer names one of the design's layers (the last at most).
  const int32_t lastLayer = std::max(0, b.LayerCount - 1);
  d.placementCount = b.PlacementCount;
  for (int32_t i = 0; i < b.PlacementCount; ++i) {
    LibraryPlacement p = library->Placements[static_cast<size_t>(b.FirstPlacement + i)];
    p.Layer = std::clamp(p.Layer, 0, lastLayer);
    d.placements[static_cast<size_t>(i)] = p;
  }
  d.valid = true;
  return true;
}

std::string FormatLibraryStats(const BuildingLibrary& l) {
  char text[512];
  std::snprintf(text, sizeof text,
                "Number of points = %d\nNumber of textures = %d\nNumber of point layers = %d\n"
                "Number of texture layers = %d\nNumber of layers = %d\nNumber of buildings = %d\n"
                "Max loop points = %d\nMax layers    = %d\n",
                GetLibraryCount(l, kArrayPoints), GetLibraryCount(l, kArrayTextures),
                GetLibraryCount(l, kArrayPointLayers), GetLibraryCount(l, kArrayTextureLayers),
                GetLibraryCount(l, kArrayLayers), GetLibraryCount(l, kArrayBuildings), l.MaxLoopPoints, l.MaxLayers);
  return text;
}

std::string FormatLibraryBaseSizeTable(const BuildingLibrary& l) {
  int32_t counts[7][7] = {};
  for (const LibraryBuilding& b : l.Buildings)
    if (b.BaseWidth >= 1 && b.BaseWidth <= 7 && b.BaseDepth >= 1 && b.BaseDepth <= 7)
      ++counts[b.BaseDepth - 1][b.BaseWidth - 1];
  std::string text;
  char cell[24];
  for (int depth = 0; depth < 7; ++depth)
    for (int width = 0; width < 7; ++width) {
      std::snprintf(cell, sizeof cell, "%d%c", counts[depth][width], width == 6 ? '\n' : '\t');
      text += cell;
    }
  return text;
}

std::string FormatLibraryBuildingInfo(const BuildingLibrary& l, int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= l.Buildings.size()) return {};
  char text[64];
  const LibraryBuilding& b = l.Buildings[static_cast<size_t>(index)];
  std::snprintf(text, sizeof text, "Building %d\nBase = %d x %d", index, b.BaseWidth, b.BaseDepth);
  return text;
}

std::string DumpLibraryDetails(const BuildingLibrary& l) {
  int32_t counts[7][7][4] = {};  // depth, width, floor class
  for (const LibraryBuilding& b : l.Buildings)
    if (b.BaseWidth >= 1 && b.BaseWidth <= 7 && b.BaseDepth >= 1 && b.BaseDepth <= 7 && b.FloorClass >= 1 &&
        b.FloorClass <= 4)
      ++counts[b.BaseDepth - 1][b.BaseWidth - 1][b.FloorClass - 1];
  std::string text;
  char line[96];
  for (int width = 0; width < 7; ++width)
    for (int depth = 0; depth < 7; ++depth) {
      const int32_t* c = counts[depth][width];
      const int32_t total = c[0] + c[1] + c[2] + c[3];
      if (total == 0) continue;
      std::snprintf(line, sizeof line, "%d x %d: %d (floors 1: %d, 2: %d, 3: %d, 4+: %d)\n", width + 1, depth + 1,
                    total, c[0], c[1], c[2], c[3]);
      text += line;
    }
  return text;
}

std::string GameBuildingLibraryName() {
  if (g_StartupOptions.fullInstall) return std::string(kBuildingLibraryGameName);
  return std::string(g_StartupOptions.dataRoot) + std::string(kBuildingLibraryGameName);
}

bool LoadGameBuildingLibrary() {
  auto library = std::make_unique<BuildingLibrary>();
  std::string reason;
  const std::string name = GameBuildingLibraryName();
  if (!LoadBuildingLibrary(name, *library, reason)) {
    GameLibrary().reset();
    ReportErrorF(1, "The building library %s was not loaded (%s): buildings are shown as plain boxes", name.c_str(),
                 reason.c_str());
    return false;
  }
  GameLibrary() = std::move(library);
  return true;
}

const BuildingLibrary* TheBuildingLibrary() { return GameLibrary().get(); }

void FreeGameBuildingLibrary() { GameLibrary().reset(); }
