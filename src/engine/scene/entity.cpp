#include "engine/scene/entity.h"

#include <cmath>
#include <new>

#include "engine/scene/animation.h"
#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/render/renderer.h"

float g_CullDistances[4] = {50.0f, 100.0f, 200.0f, 1.0f};
EntDrawCounters g_EntDrawCounters = {0, 0};

namespace {

// The level-0 model of a set, or null when its handle is not in use.
CModel* LevelZeroModel(const ModelLodSet* set) {
  return set ? ModSysGetModel(set->handles[0]) : nullptr;
}

void TransformCorners(const Mat43& view, const Bounds& model, Bounds& out) {
  MatTransformPoints(view, model.corners, out.corners, 8);
}

}  // namespace

void CEntity::Reset() {
  if (animSlot >= 0) EntAnimDetach(this);
  model = nullptr;
  position = Vec3{0, 0, 0};
  rotation = Vec3{0, 0, 0};
  scale = Vec3{1, 1, 1};
  value1 = -1;
  animFrame = 0;
  animSlot = -1;
  objectKind = 0;
  lod = 0;
  value2 = 0;
  value3 = -1;
  value4 = -1;
  viewBounds = Bounds{};
  flags = static_cast<uint8_t>((flags & ~kEntInView) | kEntVisible | kEntNeedsClip |
                               kEntRebuildMatrix);
  clipCode = 0;
  world = kMatIdentity;
  view = kMatIdentity;
}

void CEntity::SetModel(ModelLodSet* set) {
  const CModel* level0 = LevelZeroModel(set);
  if (!level0) {
    ReportErrorF(1, "Entity given a model whose level-0 handle %d is not in use",
                 set ? set->handles[0] : 0);
    return;
  }
  model = set;
  viewBounds = level0->bounds;
}

uint8_t CEntity::Transform(const Mat43& viewMatrix) {
  flags = static_cast<uint8_t>((flags & ~kEntInView) | kEntNeedsClip);
  clipCode = 0;
  lod = 0;
  const CModel* level0 = LevelZeroModel(model);
  if (!level0) return clipCode = kClipOutside;  // nothing that can be drawn
  if (level0->flags & kModelFlagDistanceCulled) {
    const Mat43& v = viewMatrix;
    const float depth =
        position.x * v.m[0][2] + position.y * v.m[1][2] + position.z * v.m[2][2] + v.m[3][2];
    if (depth < 0.0f) return clipCode = kClipOutside;
    if (depth - g_CullDistances[kCullFar] >= 0.0f) {
      lod = kLodCulled;
      return clipCode = kClipOutside;
    }
  }
  if (flags & kEntRebuildMatrix) {
    MatSetRotationScale(-rotation.x * kDegToRad, -rotation.y * kDegToRad, rotation.z * kDegToRad,
                        scale.x, scale.y, scale.z, world);
    MatSetTranslation(position.x, position.y, position.z, world);
  }
  MatMultiply(view, world, viewMatrix);
  const uint8_t code = EntClipBounds(view, level0->bounds, viewBounds);
  if (code == kClipOutside) return clipCode = kClipOutside;
  clipCode = code;
  if (model->count > 1) lod = viewBounds.centre.z > g_CullDistances[kCullLod] ? 1 : 0;
  flags |= kEntInView;
  if (code == 0) {
    flags &= static_cast<uint8_t>(~kEntNeedsClip);
    ++g_EntDrawCounters.unclipped;
  } else {
    ++g_EntDrawCounters.clipped;
  }
  return code;
}

void CEntity::Draw(const Mat43& viewMatrix) {
  if (!(flags & kEntVisible)) {
    flags &= static_cast<uint8_t>(~kEntInView);
    return;
  }
  Transform(viewMatrix);
  if ((flags & kEntInView) && GetRenderer()) GetRenderer()->DrawEntity(this);
}

CEntityHouse::~CEntityHouse() {
  if (entities) Release();
}

bool CEntityHouse::Allocate(int32_t newCapacity) {
  if (entities) Release();
  if (newCapacity <= 0) return true;
  void* block = MEM_ALLOC(sizeof(CEntity) * static_cast<size_t>(newCapacity));
  if (!block) {
    ReportError(0, 0, "Failed to allocate memory for entity house");
    return false;
  }
  entities = static_cast<CEntity*>(block);
  count = 0;
  capacity = newCapacity;
  allocated = 1;
  return true;
}

int32_t CEntityHouse::Release() {
  for (int32_t i = 0; i < count; ++i)
    if (entities[i].animSlot >= 0) EntAnimDetach(&entities[i]);
  if (entities) MEM_FREE(entities);
  entities = nullptr;
  count = capacity = 0;
  allocated = 0;
  return 1;
}

CEntity* CEntityHouse::Add(const CEntity& entity) {
  if (count >= capacity) return nullptr;
  CEntity* stored = new (&entities[count]) CEntity(entity);
  ++count;
  return stored;
}

CEntity* CEntityHouse::AddModel(ModelLodSet* set, const Vec3& at, float yaw, int16_t kind, int32_t index,
                               bool visible) {
  if (!set) return nullptr;
  CEntity e;
  e.SetModel(set);
  e.position = at;
  e.rotation = {0, yaw, 0};
  e.scale = {1, 1, 1};
  e.objectKind = kind;
  e.index = index;
  e.flags = static_cast<uint8_t>((visible ? kEntVisible : 0) | kEntRebuildMatrix);
  return Add(e);
}

CEntity* CEntityHouse::GetEntity(int32_t i) {
  return i >= 0 && i < count ? &entities[i] : nullptr;
}

int32_t CEntityHouse::DrawAll(const Mat43& viewMatrix) {
  for (int32_t i = 0; i < count; ++i) entities[i].Draw(viewMatrix);
  return count;
}

void EntBeginFrame() {
  if (CRenderer* renderer = GetRenderer()) renderer->UpdateViewVolume();
  g_EntDrawCounters = EntDrawCounters{0, 0};
}

void EntSetCullDistance(int32_t slot, float fraction) {
  if (slot < 0 || slot > kCullBase) {
    ReportErrorF(1, "EntSetCullDistance: no cull distance %d", slot);
    return;
  }
  g_CullDistances[slot] = std::trunc(g_CullDistances[kCullBase] * fraction);
}

uint8_t EntClipSphere(const Bounds& b) {
  const ProjectionState& p = g_Projection;
  const float x = b.centre.x, y = b.centre.y, z = b.centre.z, r = b.radius;
  if (z + r < p.clipNear || z - r > g_CullDistances[kCullFar]) return kClipOutside;
  const uint8_t n = z - r < p.clipNear ? kClipNear : 0;
  const float X = std::fabs(x) * p.xFactor, Y = std::fabs(y) * p.yFactor;
  const float RX = r * p.xEdgeFactor, RY = r * p.yEdgeFactor;
  if (X + RX >= z) {
    if (z <= X - RX) return kClipOutside;
    if (Y + RY >= z) return Y - RY >= z ? kClipOutside : static_cast<uint8_t>(n | 15);
    return static_cast<uint8_t>(n | kClipLeft | kClipRight);
  }
  if (z <= Y + RY) return Y - RY >= z ? kClipOutside : static_cast<uint8_t>(n | kClipTop | kClipBottom);
  return n;
}

uint8_t EntClipBox(const Bounds& b) {
  const ProjectionState& p = g_Projection;
  int32_t left = 0, right = 0, bottom = 0, top = 0, behind = 0, beyond = 0;
  for (const Vec3& c : b.corners) {
    const float x = c.x * p.xFactor, y = c.y * p.yFactor;
    left += x < -c.z;
    right += x > c.z;
    bottom += y < -c.z;
    top += y > c.z;
    behind += c.z < p.clipNear;
    beyond += c.z > g_CullDistances[kCullFar];
  }
  if (left + right + bottom + top + behind + beyond == 0) return 0;
  for (int32_t n : {left, right, bottom, top, behind, beyond})
    if (n == 8) return kClipOutside;
  uint8_t code = 0;
  if (left) code |= kClipLeft;
  if (right) code |= kClipRight;
  if (bottom) code |= kClipBottom;
  if (top) code |= kClipTop;
  if (behind) code |= kClipNear;
  return code;
}

uint8_t EntClipBounds(const Mat43& viewMatrix, const Bounds& modelBounds, Bounds& out) {
  MatTransformPoints(viewMatrix, &modelBounds.centre, &out.centre, 1);
  out.radius = modelBounds.radius;
  out.radiusSquared = modelBounds.radiusSquared;
  uint8_t code = EntClipSphere(out);
  if (code == kClipOutside) return code;
  TransformCorners(viewMatrix, modelBounds, out);
  if (code != 0) code = EntClipBox(out);
  return code;
}
