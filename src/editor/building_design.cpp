#include "editor/building_design.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/core/random_stream.h"
#include "engine/files/file_bytes.h"
#include "platform/paths.h"

static_assert(std::endian::native == std::endian::little, "design records are little-endian");
// The record lies in memory as in the file; the codec below still goes field
// by field, and these pin the offsets it produces.
static_assert(sizeof(LoopPoint) == 88 && offsetof(LoopPoint, facade) == 12 && offsetof(LoopPoint, group) == 44 &&
              offsetof(LoopPoint, selected) == 76 && offsetof(LoopPoint, dragX) == 80);
static_assert(sizeof(DesignLoop) == kDesignLoopSize && offsetof(DesignLoop, points) == 4 &&
              offsetof(DesignLoop, height) == 1764 && offsetof(DesignLoop, offset1) == 1772 &&
              offsetof(DesignLoop, roofMask) == 1784 && offsetof(DesignLoop, repeatMax) == 1792 &&
              offsetof(DesignLoop, successorCount) == 1796 && offsetof(DesignLoop, successors) == 1797 &&
              offsetof(DesignLoop, hoverPoint) == 1824 && offsetof(DesignLoop, dragging) == 1848 &&
              offsetof(DesignLoop, drag) == 1852);
static_assert(sizeof(ControlPoint) == 36 && offsetof(ControlPoint, x) == 4 && offsetof(ControlPoint, type) == 28 &&
              offsetof(ControlPoint, loop) == 32);
static_assert(sizeof(BuildingDesign) == kDesignFileSize && offsetof(BuildingDesign, loops) == 4 &&
              offsetof(BuildingDesign, textureSet) == 46704 && offsetof(BuildingDesign, loopOrder) == 46708 &&
              offsetof(BuildingDesign, groupMasks) == 46808 && offsetof(BuildingDesign, width) == 46828 &&
              offsetof(BuildingDesign, offsetZ) == 46848 && offsetof(BuildingDesign, reservedB) == 46856 &&
              offsetof(BuildingDesign, controls) == 46860 && offsetof(BuildingDesign, person) == 48012 &&
              offsetof(BuildingDesign, floors) == 48016);

namespace {

// Coordinates beyond this are no drawing on a 7-cell lot; they are refused so
// that no later float-to-int step can overflow.
constexpr float kCoordinateLimit = 1000.0f;

LoopBoundsHook& BoundsHook() {
  static LoopBoundsHook hook;
  return hook;
}

// ---- Field-by-field codec: one description of the layout for both ways ----

struct FieldWriter {
  uint8_t* out;
  size_t at = 0;
  template <typename T>
  void Field(const T& value) {
    std::memcpy(out + at, &value, sizeof value);
    at += sizeof value;
  }
};

struct FieldReader {
  ByteReader reader;
  template <typename T>
  void Field(T& value) {
    reader.Get(value);
  }
};

template <typename IO, typename Point>
void VisitPoint(IO& io, Point& p) {
  io.Field(p.x);
  io.Field(p.z);
  io.Field(p.y);
  io.Field(p.facade);
  io.Field(p.group);
  io.Field(p.selected);
  io.Field(p.selectedAtDrag);
  io.Field(p.pad);
  io.Field(p.dragX);
  io.Field(p.dragZ);
}

template <typename IO, typename Loop>
void VisitLoop(IO& io, Loop& loop) {
  io.Field(loop.pointCount);
  io.Field(loop.flags);
  io.Field(loop.pad0);
  for (auto& p : loop.points) VisitPoint(io, p);
  io.Field(loop.height);
  io.Field(loop.reserved);
  io.Field(loop.offset1);
  io.Field(loop.offset2);
  io.Field(loop.textureScaleChoice);
  io.Field(loop.roofMask);
  io.Field(loop.uRepeat);
  io.Field(loop.repeatMax);
  io.Field(loop.successorCount);
  io.Field(loop.successors);
  io.Field(loop.pad1);
  io.Field(loop.hoverPoint);
  io.Field(loop.hoverEdge);
  io.Field(loop.hoverPiece);
  io.Field(loop.editA);
  io.Field(loop.editB);
  io.Field(loop.pad2);
  io.Field(loop.dragging);
  io.Field(loop.drag);
}

template <typename IO, typename Control>
void VisitControl(IO& io, Control& c) {
  io.Field(c.inUse);
  io.Field(c.pad);
  io.Field(c.x);
  io.Field(c.y);
  io.Field(c.z);
  io.Field(c.yAngle);
  io.Field(c.scaleX);
  io.Field(c.scaleY);
  io.Field(c.type);
  io.Field(c.loop);
}

template <typename IO, typename Design>
void VisitDesign(IO& io, Design& d) {
  io.Field(d.loopCount);
  for (auto& loop : d.loops) VisitLoop(io, loop);
  io.Field(d.textureSet);
  io.Field(d.loopOrder);
  io.Field(d.groupMasks);
  io.Field(d.width);
  io.Field(d.depth);
  io.Field(d.lowX);
  io.Field(d.lowZ);
  io.Field(d.offsetX);
  io.Field(d.offsetZ);
  io.Field(d.reservedA);
  io.Field(d.reservedB);
  for (auto& c : d.controls) VisitControl(io, c);
  io.Field(d.person);
  io.Field(d.prestige);
  io.Field(d.buildingType);
  io.Field(d.baseType);
  io.Field(d.floors);
  io.Field(d.pad);
}

bool Finite(float v) { return std::isfinite(v) && std::fabs(v) <= kCoordinateLimit; }

bool CheckLoop(const DesignLoop& loop, int index, std::string& reason) {
  char text[96];
  auto refuse = [&](const char* what) {
    std::snprintf(text, sizeof text, "loop %d: %s", index, what);
    reason = text;
    return false;
  };
  if (loop.pointCount < kMinLoopPoints || loop.pointCount > kMaxLoopPoints) return refuse("bad point count");
  if (loop.successorCount > kMaxDesignLoops) return refuse("bad successor count");
  for (int s = 0; s < loop.successorCount; ++s)
    if (loop.successors[s] >= kMaxDesignLoops) return refuse("successor out of range");
  for (int p = 0; p < loop.pointCount; ++p)
    if (!Finite(loop.points[p].x) || !Finite(loop.points[p].z)) return refuse("bad point");
  if (!Finite(loop.height) || !Finite(loop.offset1) || !Finite(loop.offset2)) return refuse("bad height or offset");
  return true;
}

bool CheckDesign(const BuildingDesign& d, std::string& reason) {
  if (d.loopCount < 0 || d.loopCount > kMaxDesignLoops) return RefuseFile(reason, "bad loop count");
  for (int i = 0; i < d.loopCount; ++i)
    if (!CheckLoop(d.loops[i], i, reason)) return false;
  for (int32_t entry : d.loopOrder)
    if (entry < -1 || entry >= kMaxDesignLoops) return RefuseFile(reason, "loop order out of range");
  for (const ControlPoint& c : d.controls) {
    if (!c.inUse) continue;
    if (c.loop < 0 || c.loop >= d.loopCount) return RefuseFile(reason, "control point on a missing loop");
    if (!Finite(c.x) || !Finite(c.y) || !Finite(c.z)) return RefuseFile(reason, "bad control point");
  }
  return true;
}

// Numbers in a text, any non-digit separating them; too long a number
// saturates instead of overflowing.
template <typename Take>
void ForEachNumber(std::string_view text, Take take) {
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] < '0' || text[i] > '9') {
      ++i;
      continue;
    }
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
      value = std::min<uint32_t>(value * 10 + uint32_t(text[i] - '0'), 100000000);
    if (!take(value)) return;
  }
}

void ResetLoopOrder(BuildingDesign& design) {
  for (int i = 0; i < kMaxDesignLoops; ++i) design.loopOrder[i] = i;
}

void FoldBounds(const DesignLoop& loop, int32_t& lowX, int32_t& lowZ, int32_t& highX, int32_t& highZ) {
  for (int p = 0; p < loop.pointCount && p < kMaxLoopPoints; ++p) {
    const LoopPoint& pt = loop.points[p];
    lowX = std::min(lowX, static_cast<int32_t>(std::floor(pt.x + 0.5f)));
    lowZ = std::min(lowZ, static_cast<int32_t>(std::floor(pt.z + 0.5f)));
    highX = std::max(highX, static_cast<int32_t>(std::ceil(pt.x - 0.5f)));
    highZ = std::max(highZ, static_cast<int32_t>(std::ceil(pt.z - 0.5f)));
  }
}

void StoreBounds(BuildingDesign& d, int32_t lowX, int32_t lowZ, int32_t highX, int32_t highZ) {
  d.width = highX - lowX;
  d.depth = highZ - lowZ;
  d.lowX = lowX;
  d.lowZ = lowZ;
  d.offsetX = -lowX;
  d.offsetZ = kLotCells - highZ;
}

}  // namespace

void NewBuildingDesign(BuildingDesign& design) {
  design = BuildingDesign{};
  ResetLoopOrder(design);
}

DesignLoop* GetBuildingLoop(BuildingDesign* design, int n) {
  if (design == nullptr || n < 0 || n >= design->loopCount) return nullptr;
  return &design->loops[n];
}

void InitDesignLoop(DesignLoop& loop) {
  loop = DesignLoop{};
  loop.pointCount = 4;
  const float corners[4][2] = {{1, 1}, {6, 1}, {6, 6}, {1, 6}};
  for (int i = 0; i < 4; ++i) {
    loop.points[i].x = corners[i][0];
    loop.points[i].z = corners[i][1];
  }
  loop.height = 5.0f;
  loop.uRepeat = 1;
  loop.repeatMax = 1;
  loop.hoverPoint = loop.hoverEdge = loop.hoverPiece = -1;
  loop.editA = loop.editB = -1;
}

int InsertDesignLoop(BuildingDesign& design, int after) {
  if (design.loopCount >= kMaxDesignLoops) return -1;
  after = std::clamp(after, -1, design.loopCount - 1);
  const int slot = after + 1;
  for (int i = design.loopCount; i > slot; --i) design.loops[i] = design.loops[i - 1];
  InitDesignLoop(design.loops[slot]);
  ++design.loopCount;
  for (ControlPoint& c : design.controls)
    if (c.inUse && c.loop >= slot) ++c.loop;
  for (int i = 0; i < design.loopCount; ++i) {
    DesignLoop& loop = design.loops[i];
    for (int s = 0; s < loop.successorCount && s < kMaxDesignLoops; ++s)
      if (loop.successors[s] >= slot) ++loop.successors[s];
  }
  return after + 2;
}

int CopyDesignLoop(BuildingDesign& design, int at) {
  if (design.loopCount >= kMaxDesignLoops || design.loopCount == 0) return -1;
  // Only a loop in use can be copied: the slot past the last one holds none.
  at = std::clamp(at, 0, design.loopCount - 1);
  for (int i = design.loopCount; i > at; --i) design.loops[i] = design.loops[i - 1];
  ++design.loopCount;
  for (ControlPoint& c : design.controls)
    if (c.inUse && c.loop > at) ++c.loop;
  return at;
}

int DeleteDesignLoop(BuildingDesign& design, int n) {
  if (design.loopCount <= 0 || n < 0 || n >= design.loopCount) return -1;
  for (ControlPoint& c : design.controls) {
    if (!c.inUse) continue;
    if (c.loop == n) c.inUse = 0;
    else if (c.loop > n) --c.loop;
  }
  for (int i = n; i + 1 < design.loopCount; ++i) design.loops[i] = design.loops[i + 1];
  --design.loopCount;
  return n < design.loopCount ? n : design.loopCount - 1;
}

int PlaceControlPoint(BuildingDesign& design, int loop, float x, float z) {
  if (loop < 0 || loop >= design.loopCount) return -1;
  for (int i = 0; i < kDesignControlPoints; ++i) {
    ControlPoint& c = design.controls[i];
    if (c.inUse) continue;
    c = ControlPoint{};
    c.inUse = 1;
    c.loop = loop;
    c.type = -1;
    c.x = x;
    c.z = z;
    c.scaleX = c.scaleY = 1.0f;
    return i;
  }
  return -1;
}

void ParseLoopOrder(BuildingDesign& design, std::string_view text) {
  int n = 0;
  ForEachNumber(text, [&](uint32_t value) {
    if (value < static_cast<uint32_t>(design.loopCount)) design.loopOrder[n++] = static_cast<int32_t>(value);
    return n < kMaxDesignLoops;
  });
  for (int i = n; i < kMaxDesignLoops; ++i) design.loopOrder[i] = -1;
}

void ParseSuccessors(DesignLoop& loop, std::string_view text) {
  int n = 0;
  ForEachNumber(text, [&](uint32_t value) {
    loop.successors[n++] = static_cast<uint8_t>(value % 256);
    return n < kMaxDesignLoops;
  });
  loop.successorCount = static_cast<uint8_t>(n);
}

void PickRandomLoopStack(BuildingDesign& design, uint32_t seed) {
  std::fill(std::begin(design.loopOrder), std::end(design.loopOrder), -1);
  uint32_t state = seed;
  int current = 0;
  for (int written = 0; written < kMaxStackLoops; ++written) {
    design.loopOrder[written] = current;
    // A successor naming no loop in use ends the stack like a missing one.
    if (current >= design.loopCount) return;
    const DesignLoop& loop = design.loops[current];
    const int count = std::min<int>(loop.successorCount, kMaxDesignLoops);
    if (count == 0) return;
    const int range = count + 1;
    int r = static_cast<int>((DrawLcg(state) / 3) % range) - 1;
    if (r == -1) r = static_cast<int>((DrawLcg(state) / 3) % range) - 1;
    if (r == -1) return;
    current = loop.successors[r];
  }
}

LoopBoundsHook SetLoopBoundsHook(LoopBoundsHook hook) {
  LoopBoundsHook previous = std::move(BoundsHook());
  BoundsHook() = std::move(hook);
  return previous;
}

void ComputeLoopBounds(BuildingDesign& design) {
  int32_t lowX = 100, lowZ = 100, highX = -100, highZ = -100;
  const int count = std::clamp(design.loopCount, 0, kMaxDesignLoops);
  for (int i = 0; i < count; ++i) FoldBounds(design.loops[i], lowX, lowZ, highX, highZ);
  StoreBounds(design, lowX, lowZ, highX, highZ);
  if (BoundsHook()) BoundsHook()(design.width, design.depth);
}

void StoreBaseLoopBounds(BuildingDesign& design) {
  int32_t lowX = kLotCells, lowZ = kLotCells, highX = 0, highZ = 0;
  if (design.loopCount > 0) FoldBounds(design.loops[0], lowX, lowZ, highX, highZ);
  StoreBounds(design, lowX, lowZ, highX, highZ);
}

void EncodeBuildingDesign(const BuildingDesign& design, uint8_t* out) {
  FieldWriter writer{out};
  VisitDesign(writer, design);
}

bool DecodeBuildingDesign(const uint8_t* bytes, size_t size, BuildingDesign& design, std::string& reason) {
  // A short record reads as far as it goes; the rest stays zero.
  std::vector<uint8_t> full(kDesignFileSize, 0);
  std::memcpy(full.data(), bytes, std::min<size_t>(size, kDesignFileSize));
  FieldReader reader{ByteReader(full)};
  design = BuildingDesign{};
  VisitDesign(reader, design);
  for (ControlPoint& c : design.controls) {
    if (!c.inUse) continue;
    if (std::fabs(c.scaleX) < 0.0001f) c.scaleX = 1.0f;
    if (std::fabs(c.scaleY) < 0.0001f) c.scaleY = 1.0f;
  }
  if (CheckDesign(design, reason)) return true;
  design = BuildingDesign{};
  return false;
}

bool ReadBuildingDesign(BuildingDesign& design, std::string_view path, std::string* reason) {
  std::string why;
  std::vector<uint8_t> bytes(kDesignFileSize);
  size_t got = 0;
  design = BuildingDesign{};
  if (std::FILE* f = platform::OpenGameFile(path, "rb")) {
    got = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    if (got == 0) why = "the file is empty";
    else if (DecodeBuildingDesign(bytes.data(), got, design, why)) return true;
  } else {
    why = "cannot open the file";
  }
  if (reason) *reason = why;
  return false;
}

bool WriteBuildingDesign(const BuildingDesign& design, std::string_view path) {
  std::vector<uint8_t> bytes(kDesignFileSize);
  EncodeBuildingDesign(design, bytes.data());
  return WriteWholeGameFile(path, bytes);
}
