#include "editor/library_compiler.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "editor/loop_geometry.h"

namespace {

struct CompiledLayer {
  std::vector<LibraryPoint> points;
  std::vector<uint8_t> textures;
  LibraryLayer layer;
};

uint8_t LayerStyle(const DesignLoop& loop) {
  uint8_t style = 0;
  if (loop.roofMask != 0) style |= kLayerStyleRoof;
  if (loop.offset2 != 0.0f) style |= kLayerStyleLedge;
  if (loop.roofMask & kRoofPointyMajor) style |= 1 << 5;
  if (loop.roofMask & kRoofPointyMinor) style |= 1 << 6;
  return style;
}

uint8_t ClampByte(int32_t v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

CompiledLayer CompileLoop(const DesignLoop& loop, float offsetX, float offsetZ) {
  CompiledLayer out;
  const int n = std::min<int>(loop.pointCount, kMaxLoopPoints);
  for (int edge = 0; edge < n; ++edge) {
    const LoopPoint& start = loop.points[edge];
    const int pieces = EdgePieceCount(loop, edge);
    for (int k = 0; k < pieces; ++k) {
      float x, z;
      EdgePiecePoint(loop, edge, k, x, z);
      out.points.push_back({x + offsetX, z + offsetZ});
      out.textures.push_back(PackTextureByte(start.group[k], start.facade[k]));
    }
  }
  if (!out.points.empty()) {
    out.points.push_back(out.points.front());
    out.textures.push_back(out.textures.front());
  }
  LibraryLayer& l = out.layer;
  l.Height = loop.height;
  l.Style = LayerStyle(loop);
  l.TextureScale = ClampByte(loop.uRepeat);
  l.Weight = ClampByte(loop.repeatMax);
  l.LedgeDrop = loop.offset1;
  l.LedgeWidth = loop.offset2;
  l.Flags = (loop.flags & kLoopRailing) ? kLayerFlagFlat : 0;
  return out;
}

// The layer a control point stands on: its loop's place in the order.
int32_t PlacementLayer(const std::vector<int>& order, int32_t loop) {
  auto it = std::find(order.begin(), order.end(), loop);
  return it == order.end() ? loop : static_cast<int32_t>(it - order.begin());
}

LibraryPlacement CompileControl(const ControlPoint& c, const std::vector<int>& order, float offsetX, float offsetZ) {
  LibraryPlacement p;
  p.X = c.x + offsetX;
  p.Y = c.y;
  p.Z = c.z + offsetZ;
  p.Value = std::isfinite(c.yAngle) ? static_cast<int32_t>(std::clamp(std::round(c.yAngle), -3600.0f, 3600.0f)) : 0;
  p.ScaleU = c.scaleX == 0.0f ? 1.0f : c.scaleX;
  p.ScaleV = c.scaleY == 0.0f ? 1.0f : c.scaleY;
  p.Code = c.type;
  p.Layer = PlacementLayer(order, c.loop);
  return p;
}

int32_t Refuse(std::string* reason, const char* why) {
  if (reason) *reason = why;
  return -1;
}

}  // namespace

std::vector<int> OrderedLoops(const BuildingDesign& d) {
  std::vector<int> loops;
  for (int32_t index : d.loopOrder) {
    if (index < 0 || index >= d.loopCount) break;
    loops.push_back(index);
  }
  return loops;
}

int32_t AddBuildingToLibrary(BuildingLibrary& library, BuildingDesign& design, std::string* reason) {
  ComputeLoopBounds(design);
  if (design.width < 1 || design.width > kLotCells || design.depth < 1 || design.depth > kLotCells)
    return Refuse(reason, "the loops do not make a base of 1 to 7 cells each way");
  const auto offsetX = static_cast<float>(design.offsetX);
  const auto offsetZ = static_cast<float>(design.offsetZ);
  const std::vector<int> order = OrderedLoops(design);
  std::vector<CompiledLayer> layers;
  for (int index : order) {
    layers.push_back(CompileLoop(design.loops[index], offsetX, offsetZ));
    if (layers.back().points.size() > static_cast<size_t>(kLibraryMaxLayerPoints))
      return Refuse(reason, "a loop has more pieces than a layer can hold");
  }
  if (library.Points.size() + layers.size() * kLibraryMaxLayerPoints > 0xFFFFFF)
    return Refuse(reason, "the library is full");

  LibraryBuilding b;
  b.FirstLayer = static_cast<int32_t>(library.Layers.size());
  b.LayerCount = static_cast<int32_t>(layers.size());
  for (CompiledLayer& c : layers) {
    const auto count = static_cast<uint32_t>(c.points.size());
    c.layer.PointLayer = static_cast<int32_t>(library.PointLayers.size());
    c.layer.TextureLayer = static_cast<int32_t>(library.TextureLayers.size());
    library.PointLayers.push_back(PackLayerReference(count, static_cast<uint32_t>(library.Points.size())));
    library.TextureLayers.push_back(PackLayerReference(count, static_cast<uint32_t>(library.Textures.size())));
    library.Points.insert(library.Points.end(), c.points.begin(), c.points.end());
    library.Textures.insert(library.Textures.end(), c.textures.begin(), c.textures.end());
    library.Layers.push_back(c.layer);
    library.MaxLoopPoints = std::max(library.MaxLoopPoints, static_cast<int32_t>(count));
  }
  library.MaxLayers = std::max(library.MaxLayers, b.LayerCount);

  b.FirstPlacement = static_cast<int32_t>(library.Placements.size());
  for (const ControlPoint& c : design.controls) {
    if (!c.inUse) continue;
    library.Placements.push_back(CompileControl(c, order, offsetX, offsetZ));
    ++b.PlacementCount;
  }
  for (int i = 0; i < 5; ++i) b.Params[i] = static_cast<uint8_t>(design.groupMasks[i]);
  b.BaseWidth = static_cast<uint8_t>(design.width);
  b.BaseDepth = static_cast<uint8_t>(design.depth);
  b.Designer = design.person;
  b.Category = design.buildingType;
  b.Quality = design.prestige;
  b.FloorClass = design.floors;
  b.CornerKind = design.baseType;
  library.Buildings.push_back(b);
  return static_cast<int32_t>(library.Buildings.size() - 1);
}
