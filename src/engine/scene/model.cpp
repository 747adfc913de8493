#include "engine/scene/model.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/scene/texture.h"

namespace {

CModelSystem* g_ModelSystem = nullptr;

CModelSystem& System() {
  if (!g_ModelSystem) ReportError(0, 0, "Model system used before it was created");
  return *g_ModelSystem;
}

// The model of a handle in use, or null with a warning naming the operation.
CModel* UsedModel(int32_t handle, const char* operation) {
  CModel* model = ModSysGetModel(handle);
  if (!model) ReportErrorF(1, "%s: model handle %d is not in use", operation, handle);
  return model;
}

void FreeIfSet(void* block) {
  if (block) MEM_FREE(block);
}

template <typename T>
T* AllocArray(size_t count, const char* failure) {
  void* block = MEM_ALLOC(sizeof(T) * count);
  if (!block) ReportError(0, 0, failure);
  return static_cast<T*>(block);
}

int32_t SumIndexCounts(const CModel* model) {
  int32_t total = 0;
  for (int32_t p = 0; p < model->primitiveCount; ++p) total += model->primitives[p].indexCount;
  return total;
}

// Every index of every primitive names one of the model's vertices.
bool IndicesInRange(const CModel* model) {
  for (int32_t p = 0; p < model->primitiveCount; ++p) {
    const ModelPrimitive& prim = model->primitives[p];
    if (prim.indexCount && !prim.indices) return false;
    for (int32_t i = 0; i < prim.indexCount; ++i)
      if (prim.indices[i] >= model->vertexCount) return false;
  }
  return true;
}

// Gives each primitive its own copy of every vertex it uses, numbered in order
// of first use across the model.
bool SplitVertices(CModel* model) {
  const int32_t oldCount = model->vertexCount;
  const int32_t frames = std::max<int32_t>(model->frameCount, 1);
  std::vector<int32_t> map(oldCount);
  std::vector<int32_t> source;  // old vertex of each new vertex
  source.reserve(model->indexTotal);
  for (int32_t p = 0; p < model->primitiveCount; ++p) {
    ModelPrimitive& prim = model->primitives[p];
    std::fill(map.begin(), map.end(), -1);
    for (int32_t i = 0; i < prim.indexCount; ++i) {
      int32_t& target = map[prim.indices[i]];
      if (target < 0) {
        target = static_cast<int32_t>(source.size());
        source.push_back(prim.indices[i]);
      }
    }
  }
  if (source.size() > 0xFFFF) {
    ReportError(1, 0, "Model has too many vertices once split per primitive");
    return false;
  }
  const int32_t newCount = static_cast<int32_t>(source.size());
  // Renumber now that the new count is known to fit.
  int32_t next = 0;
  for (int32_t p = 0; p < model->primitiveCount; ++p) {
    ModelPrimitive& prim = model->primitives[p];
    std::fill(map.begin(), map.end(), -1);
    prim.firstVertex = prim.lastVertex = 0;
    bool first = true;
    for (int32_t i = 0; i < prim.indexCount; ++i) {
      int32_t& target = map[prim.indices[i]];
      if (target < 0) target = next++;
      prim.indices[i] = static_cast<uint16_t>(target);
      if (first) prim.firstVertex = target, first = false;
      prim.lastVertex = std::max(prim.lastVertex, target);
    }
  }
  if (model->positions) {
    auto* positions = AllocArray<Vec3>(static_cast<size_t>(newCount) * frames,
                                       "Unable to allocate vertex memory for model");
    for (int32_t f = 0; f < frames; ++f)
      for (int32_t k = 0; k < newCount; ++k)
        positions[f * newCount + k] = model->positions[f * oldCount + source[k]];
    MEM_FREE(model->positions);
    model->positions = positions;
  }
  for (TexCoord** uv : {&model->uv1, &model->uv2}) {
    if (!*uv) continue;
    auto* coords = AllocArray<TexCoord>(newCount, "Unable to allocate vertex memory for model");
    for (int32_t k = 0; k < newCount; ++k) coords[k] = (*uv)[source[k]];
    MEM_FREE(*uv);
    *uv = coords;
  }
  model->vertexCount = static_cast<uint16_t>(newCount);
  return true;
}

void CheckVertexUse(const CModel* model) {
  std::vector<int32_t> users(model->vertexCount, 0);
  std::vector<int32_t> lastUser(model->vertexCount, -1);
  for (int32_t p = 0; p < model->primitiveCount; ++p) {
    const ModelPrimitive& prim = model->primitives[p];
    for (int32_t i = 0; i < prim.indexCount; ++i) {
      const uint16_t v = prim.indices[i];
      if (lastUser[v] != p) ++users[v], lastUser[v] = p;
    }
  }
  const bool unused = std::count(users.begin(), users.end(), 0) > 0;
  const bool reused = std::any_of(users.begin(), users.end(), [](int32_t n) { return n > 1; });
  if (unused) ReportError(0, 0, "Model has unused vertices");
  if (reused) ReportError(1, 0, "Model has Reused vertices");
}

bool SameCyclic(const uint16_t* a, const uint16_t* b) {
  for (int32_t r = 0; r < 3; ++r)
    if (a[0] == b[r] && a[1] == b[(r + 1) % 3] && a[2] == b[(r + 2) % 3]) return true;
  return false;
}

void CheckDuplicateTriangles(const CModel* model) {
  for (int32_t p = 0; p < model->primitiveCount; ++p) {
    const ModelPrimitive& prim = model->primitives[p];
    const int32_t triangles = prim.indexCount / 3;
    for (int32_t t = 0; t < triangles; ++t)
      for (int32_t u = t + 1; u < triangles; ++u)
        if (SameCyclic(prim.indices + 3 * t, prim.indices + 3 * u)) {
          ReportError(1, 0, "Model has duplicate tris");
          return;
        }
  }
}

void MakeIndicesRelative(CModel* model) {
  for (int32_t p = 0; p < model->primitiveCount; ++p) {
    ModelPrimitive& prim = model->primitives[p];
    int32_t lo = 999999999, hi = 0;
    for (int32_t i = 0; i < prim.indexCount; ++i) {
      lo = std::min<int32_t>(lo, prim.indices[i]);
      hi = std::max<int32_t>(hi, prim.indices[i]);
    }
    if (prim.indexCount == 0) lo = 0;
    prim.firstVertex = lo;
    prim.lastVertex = hi;
    for (int32_t i = 0; i < prim.indexCount; ++i)
      prim.indices[i] = static_cast<uint16_t>(prim.indices[i] - lo);
  }
}

// A small most-recent-first list of vertices, as a vertex cache sees them.
struct VertexCache {
  static constexpr int32_t kSize = 10;
  uint16_t entries[kSize];
  int32_t count = 0;
  bool Contains(uint16_t v) const {
    return std::find(entries, entries + count, v) != entries + count;
  }
  void Push(uint16_t v) {
    if (Contains(v)) return;
    if (count == kSize) --count;  // the oldest drops off the back
    std::memmove(entries + 1, entries, sizeof(uint16_t) * count);
    entries[0] = v;
    ++count;
  }
};

void OrderForVertexCache(ModelPrimitive& prim) {
  if (prim.indexCount < 7) return;
  uint16_t* idx = prim.indices;
  const int32_t triangles = prim.indexCount / 3;
  VertexCache cache;
  for (int32_t k = 0; k < 3; ++k) cache.Push(idx[k]);
  for (int32_t pos = 1; pos < triangles - 1; ++pos) {
    int32_t best = pos, bestHits = -1;
    for (int32_t t = pos; t < triangles; ++t) {
      int32_t hits = 0;
      for (int32_t k = 0; k < 3; ++k) hits += cache.Contains(idx[3 * t + k]) ? 1 : 0;
      if (hits > bestHits) best = t, bestHits = hits;  // the earliest wins a tie
    }
    if (best != pos)
      for (int32_t k = 0; k < 3; ++k) std::swap(idx[3 * pos + k], idx[3 * best + k]);
    for (int32_t k = 0; k < 3; ++k) cache.Push(idx[3 * pos + k]);
  }
}

bool Near(const Vec3& a, const Vec3& b) {
  return std::fabs(a.x - b.x) <= 0.01f && std::fabs(a.y - b.y) <= 0.01f &&
         std::fabs(a.z - b.z) <= 0.01f;
}

// A locator's four points come in the order origin, x, y, z in every frame.
void OrderLocator(CModel* model) {
  if (model->vertexCount != 4 || model->frameCount < 2 || !model->positions) return;
  static const Vec3 kTargets[4] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  int32_t from[4];
  for (int32_t t = 0; t < 4; ++t) {
    from[t] = -1;
    for (int32_t k = 0; k < 4 && from[t] < 0; ++k)
      if (Near(model->positions[k], kTargets[t])) from[t] = k;
    if (from[t] < 0) return;
  }
  for (int32_t f = 0; f < model->frameCount; ++f) {
    Vec3* frame = model->positions + 4 * f;
    const Vec3 old[4] = {frame[0], frame[1], frame[2], frame[3]};
    for (int32_t t = 0; t < 4; ++t) frame[t] = old[from[t]];
  }
}

// The absolute vertex of index i of a primitive, or -1 when it lies outside
// the model.
int32_t VertexOf(const CModel* model, const ModelPrimitive& prim, int32_t i) {
  const int32_t v = prim.firstVertex + prim.indices[i];
  return v >= 0 && v < model->vertexCount ? v : -1;
}

Vec3 Sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Maps (or unmaps) texture coordinates 1 through each primitive's texture,
// reading from a copy so a vertex met several times is mapped once.
template <typename Map>
bool RemapUVs(CModel* model, Map map) {
  if (!model || !model->uv1 || !model->primitives) return false;
  auto* copy = static_cast<TexCoord*>(MEM_ALLOC(sizeof(TexCoord) * model->vertexCount));
  if (!copy) {
    ReportError(0, 0, "Failed to allocate memory for UV fitup operation");
    return false;
  }
  std::memcpy(copy, model->uv1, sizeof(TexCoord) * model->vertexCount);
  for (int32_t p = 0; p < model->primitiveCount; ++p) {
    const ModelPrimitive& prim = model->primitives[p];
    CTexture* texture = TexSysGetTexture(prim.texture);
    if (!texture) continue;
    for (int32_t i = 0; i < prim.indexCount; ++i) {
      const int32_t v = VertexOf(model, prim, i);
      if (v >= 0) model->uv1[v] = map(*texture, copy[v]);
    }
  }
  MEM_FREE(copy);
  return true;
}

}  // namespace

CModelSystem* TheModelSystem() { return g_ModelSystem; }

CModelSystem* ModSysCreate() {
  void* block = MEM_ALLOC(sizeof(CModelSystem));
  if (!block) {
    ReportError(0, 0, "Failed to allocate memory for the model system");
    return nullptr;
  }
  std::memset(block, 0, sizeof(CModelSystem));
  g_ModelSystem = static_cast<CModelSystem*>(block);
  g_ModelSystem->freeCount = kMaxModels;
  return g_ModelSystem;
}

void ModSysDestroy() {
  if (!g_ModelSystem) return;
  MEM_FREE(g_ModelSystem);
  g_ModelSystem = nullptr;
}

void ModSysSetDefaultFlags(uint32_t flags) { System().defaultFlags = flags; }

int32_t ModSysRegisterModel(CModel* model, int32_t value) {
  CModelSystem& ms = System();
  for (int32_t i = 0; i < kMaxModels; ++i) {
    if (ms.inUse[i]) continue;
    ms.inUse[i] = 1;
    --ms.freeCount;
    ms.models[i] = model;
    ms.values[i] = value;
    ModSysCalcBounds(i + 1);
    return i + 1;
  }
  ReportError(0, 0, "Run out of model handles........ Increase MAXMODELS");
  return 0;
}

CModel* ModSysGetModel(int32_t handle) {
  if (!g_ModelSystem || handle < 1 || handle > kMaxModels) return nullptr;
  return g_ModelSystem->inUse[handle - 1] ? g_ModelSystem->models[handle - 1] : nullptr;
}

bool ModSysDeleteModel(int32_t handle) {
  CModelSystem& ms = System();
  if (handle < 1 || handle > kMaxModels || !ms.inUse[handle - 1]) {
    ReportError(1, 0, "Attempting to delete a model handle that is not used");
    return false;
  }
  CModel* model = ms.models[handle - 1];
  if (!model || !model->primitives) {
    ReportError(1, 0, "Attempting to delete a model handle that has no associated primitives");
    return false;
  }
  ms.inUse[handle - 1] = 0;
  for (int32_t p = 0; p < model->primitiveCount; ++p) FreeIfSet(model->primitives[p].indices);
  for (void* block : {static_cast<void*>(model->positions), static_cast<void*>(model->packedPositions),
                      static_cast<void*>(model->uv1), static_cast<void*>(model->uv2),
                      static_cast<void*>(model->normals), model->reserved1, model->reserved2,
                      static_cast<void*>(model->primitives)})
    FreeIfSet(block);
  MEM_FREE(model);
  ms.models[handle - 1] = nullptr;
  ++ms.freeCount;
  return true;
}

void ModSysCalcBounds(int32_t handle) {
  if (CModel* model = ModSysGetModel(handle)) CalcModelBounds(model);
}

void CalcModelBounds(CModel* model) {
  if (!model || !model->positions) return;
  CalcPointsBounds(model->positions,
                   model->vertexCount * std::max<int32_t>(model->frameCount, 1), model->bounds);
}

void ModSysFlipWinding(int32_t handle) {
  CModel* model = UsedModel(handle, "ModSysFlipWinding");
  if (!model || !model->primitives) return;
  for (int32_t p = 0; p < model->primitiveCount; ++p) {
    ModelPrimitive& prim = model->primitives[p];
    for (int32_t t = 0; t + 2 < prim.indexCount; t += 3)
      std::swap(prim.indices[t], prim.indices[t + 1]);
  }
}

void ModSysScaleModel(int32_t handle, float sx, float sy, float sz) {
  CModel* model = UsedModel(handle, "ModSysScaleModel");
  if (!model) return;
  if (model->positions) ScalePoints(model->positions, model->vertexCount, sx, sy, sz);
  if (model->normals) ScalePoints(model->normals, model->vertexCount, sx, sy, sz);
}

void ModSysTranslateModel(int32_t handle, const Vec3& offset) {
  CModel* model = UsedModel(handle, "ModSysTranslateModel");
  if (!model || !model->positions) return;
  TranslatePoints(model->positions, offset.x, offset.y, offset.z, model->vertexCount);
}

void ModSysRotateModelY(int32_t handle, float degrees) {
  CModel* model = UsedModel(handle, "ModSysRotateModelY");
  if (!model) return;
  const float a = degrees * kDegToRad;
  const float c = std::cos(a), s = std::sin(a);
  for (Vec3* points : {model->positions, model->normals}) {
    if (!points) continue;
    for (int32_t i = 0; i < model->vertexCount; ++i) {
      const Vec3 p = points[i];
      points[i].x = c * p.x - s * p.z;
      points[i].z = c * p.z + s * p.x;
    }
  }
}

void ModSysSwapXZ(int32_t handle) {
  CModel* model = UsedModel(handle, "ModSysSwapXZ");
  if (!model || !model->positions) return;
  for (int32_t i = 0; i < model->vertexCount; ++i)
    std::swap(model->positions[i].x, model->positions[i].z);
}

bool ModSysFitUVs(CTextureSystem* textures, CModel* model) {
  if (!textures) return false;
  if (model && model->primitives) {
    for (int32_t p = 0; p < model->primitiveCount; ++p)
      if (const CTexture* t = TexSysGetTexture(model->primitives[p].texture))
        TexSysMarkPageUsed(t->pageIndex);
  }
  if (model) model->flags |= kModelFlagUVsFitted;
  return RemapUVs(model, [](const CTexture& t, const TexCoord& uv) {
    return TexCoord{uv.u * t.uSize + t.uOffset, uv.v * t.vSize + t.vOffset};
  });
}

void ModSysUnfitUVs(CTextureSystem* textures, CModel* model) {
  if (!textures) return;
  if (model) model->flags &= ~kModelFlagUVsFitted;
  RemapUVs(model, [](const CTexture& t, const TexCoord& uv) {
    if (t.uSize == 0.0f || t.vSize == 0.0f) return uv;
    return TexCoord{(uv.u - t.uOffset) / t.uSize, (uv.v - t.vOffset) / t.vSize};
  });
}

bool ModSysPrepareModel(CModel* model) {
  if (!model || model->vertexCount == 0 || (model->flags & kModelFlagPrepared)) return true;
  if (model->indexTotal == 0) model->indexTotal = SumIndexCounts(model);
  if (model->vertexCount > model->indexTotal) {
    ReportError(1, 0, "Model has more vertices than indices; not prepared");
    return false;
  }
  if (!IndicesInRange(model)) {
    ReportError(1, 0, "Model has an index beyond its vertices; not prepared");
    return false;
  }
  if (!SplitVertices(model)) return false;
  CheckVertexUse(model);
  CheckDuplicateTriangles(model);
  MakeIndicesRelative(model);
  for (int32_t p = 0; p < model->primitiveCount; ++p) OrderForVertexCache(model->primitives[p]);
  OrderLocator(model);
  model->flags |= kModelFlagPrepared;
  return true;
}

void ModSysCalcNormals(CModel* model) {
  if (!model || !model->positions) return;
  auto* normals = static_cast<Vec3*>(MEM_ALLOC(sizeof(Vec3) * model->vertexCount));
  if (!normals) {
    ReportError(0, 0, "Error Allocatimg memory for model normals");
    return;
  }
  std::memset(normals, 0, sizeof(Vec3) * model->vertexCount);
  for (int32_t p = 0; p < model->primitiveCount; ++p) {
    const ModelPrimitive& prim = model->primitives[p];
    for (int32_t t = 0; t + 2 < prim.indexCount; t += 3) {
      const int32_t v0 = VertexOf(model, prim, t), v1 = VertexOf(model, prim, t + 1),
                    v2 = VertexOf(model, prim, t + 2);
      if (v0 < 0 || v1 < 0 || v2 < 0) continue;
      const Vec3* pos = model->positions;
      Vec3 face = Cross(Sub(pos[v2], pos[v1]), Sub(pos[v0], pos[v1]));
      VecNormalise(face);
      // A vertex named twice by one triangle counts that triangle once.
      const int32_t corners[3] = {v0, v1 != v0 ? v1 : -1, v2 != v0 && v2 != v1 ? v2 : -1};
      for (int32_t v : corners) {
        if (v < 0) continue;
        normals[v].x += face.x;
        normals[v].y += face.y;
        normals[v].z += face.z;
      }
    }
  }
  for (int32_t v = 0; v < model->vertexCount; ++v) {
    VecNormalise(normals[v]);
    const float squared = VecDot(normals[v], normals[v]);
    if (squared < 0.8f || squared > 1.2f)
      normals[v] = Vec3{0, 0, 0};
    else
      VecNormalise(normals[v]);
  }
  FreeIfSet(model->normals);
  model->normals = normals;
}

void ModSysPackPositions(CModel* model) {
  if (!model || !model->positions) return;
  const int32_t count = model->vertexCount * std::max<int32_t>(model->frameCount, 1);
  if (count == 0) return;
  auto* packed = static_cast<uint32_t*>(MEM_ALLOC(sizeof(uint32_t) * count));
  if (!packed) {
    ReportError(0, 0, "Unable to allocate vertex memory for model");
    return;
  }
  float lo[3] = {9999999.0f, 9999999.0f, 9999999.0f};
  float hi[3] = {-9999999.0f, -9999999.0f, -9999999.0f};
  for (int32_t i = 0; i < count; ++i) {
    const float c[3] = {model->positions[i].x, model->positions[i].y, model->positions[i].z};
    for (int a = 0; a < 3; ++a) lo[a] = std::min(lo[a], c[a]), hi[a] = std::max(hi[a], c[a]);
  }
  static const float kUnits[3] = {1023.0f, 2047.0f, 2047.0f};
  for (int a = 0; a < 3; ++a) {
    model->packOrigin[a] = lo[a];
    model->packStep[a] = (hi[a] - lo[a]) / kUnits[a];
  }
  for (int32_t i = 0; i < count; ++i) {
    const float c[3] = {model->positions[i].x, model->positions[i].y, model->positions[i].z};
    uint32_t unit[3];
    for (int a = 0; a < 3; ++a) {
      const float extent = hi[a] - lo[a];
      // A flat axis packs to unit 0 rather than dividing by nothing.
      unit[a] = extent > 0.0f ? static_cast<uint32_t>((c[a] - lo[a]) * kUnits[a] / extent) : 0;
    }
    packed[i] = unit[0] | (unit[1] << 10) | (unit[2] << 21);
  }
  FreeIfSet(model->packedPositions);
  model->packedPositions = packed;
  model->packed = 1;
}

int32_t ModSysCreateSelfBuiltModel(int32_t primitiveCount, int32_t vertexCount,
                                   const Vec3* positions, const TexCoord* uv1,
                                   const TexCoord* uv2) {
  CModelSystem& ms = System();
  if (primitiveCount < 0 || primitiveCount > 0xFFFF || vertexCount < 0 || vertexCount > 0xFFFF) {
    ReportErrorF(1, "Self built model of %d primitives and %d vertices refused", primitiveCount,
                 vertexCount);
    return 0;
  }
  const char* failure = "Failed to allocate memory for new self built model";
  auto* model = static_cast<CModel*>(MEM_ALLOC(sizeof(CModel)));
  if (!model) {
    ReportError(0, 0, failure);
    return 0;
  }
  std::memset(model, 0, sizeof(CModel));
  auto copy = [&](const void* from, size_t bytes) -> void* {
    if (!from || bytes == 0) return nullptr;
    void* to = MEM_ALLOC(bytes);
    if (!to) return ReportError(0, 0, failure), nullptr;
    std::memcpy(to, from, bytes);
    return to;
  };
  model->positions = static_cast<Vec3*>(copy(positions, sizeof(Vec3) * vertexCount));
  model->uv1 = static_cast<TexCoord*>(copy(uv1, sizeof(TexCoord) * vertexCount));
  model->uv2 = static_cast<TexCoord*>(copy(uv2, sizeof(TexCoord) * vertexCount));
  model->primitiveCount = static_cast<uint16_t>(primitiveCount);
  model->vertexCount = static_cast<uint16_t>(vertexCount);
  model->frameCount = 1;
  model->primitives = AllocArray<ModelPrimitive>(std::max(primitiveCount, 1), failure);
  if (model->primitives)
    std::memset(model->primitives, 0, sizeof(ModelPrimitive) * std::max(primitiveCount, 1));
  model->flags = ms.defaultFlags;
  ms.builderCount = 0;
  return ModSysRegisterModel(model, 0);
}

void ModSysAddIndices(int32_t count, const uint16_t* indices) {
  CModelSystem& ms = System();
  if (count <= 0 || !indices) return;
  if (ms.builderCount + count > kModelBuilderCapacity) {
    ReportErrorF(1, "Model builder holds %d indices; %d more refused", kModelBuilderCapacity,
                 count);
    return;
  }
  std::memcpy(ms.builderIndices + ms.builderCount, indices, sizeof(uint16_t) * count);
  ms.builderCount = static_cast<uint16_t>(ms.builderCount + count);
}

void ModSysAddTriangle(uint16_t a, uint16_t b, uint16_t c) {
  const uint16_t indices[3] = {a, b, c};
  ModSysAddIndices(3, indices);
}

void ModSysAddQuad(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
  const uint16_t indices[6] = {a, b, c, a, c, d};
  ModSysAddIndices(6, indices);
}

void ModSysEndPrimitive(int32_t handle, int32_t primitive, int32_t key, uint16_t texture) {
  CModelSystem& ms = System();
  CModel* model = UsedModel(handle, "ModSysEndPrimitive");
  if (model && (primitive < 0 || primitive >= model->primitiveCount)) {
    ReportErrorF(1, "ModSysEndPrimitive: model %d has no primitive %d", handle, primitive);
    model = nullptr;
  }
  for (int32_t i = 0; model && i < ms.builderCount; ++i) {
    if (ms.builderIndices[i] >= model->vertexCount) {
      ReportErrorF(1, "ModSysEndPrimitive: index %d beyond the %d vertices of model %d",
                   ms.builderIndices[i], model->vertexCount, handle);
      model = nullptr;
    }
  }
  if (!model) {
    ms.builderCount = 0;
    return;
  }
  ModelPrimitive& prim = model->primitives[primitive];
  FreeIfSet(prim.indices);
  prim.indices = nullptr;
  model->indexTotal -= prim.indexCount;
  prim.key = key;
  prim.texture = texture;
  prim.indexCount = ms.builderCount;
  if (ms.builderCount > 0) {
    prim.indices = AllocArray<uint16_t>(ms.builderCount, "Cannot allocate memory for index buffer");
    if (prim.indices)
      std::memcpy(prim.indices, ms.builderIndices, sizeof(uint16_t) * ms.builderCount);
    else
      prim.indexCount = 0;
  }
  model->indexTotal += prim.indexCount;
  ms.builderCount = 0;
}
