#pragma once
// Entities: placed, drawable instances of a model. Each frame an entity is
// culled against the view frustum (by distance, then a sphere test, then a
// box test of its 8 corners where the sphere straddles a plane) and, when in
// view, handed to the renderer with a clip code so only entities that cross
// an edge are clipped.
#include <cstdint>

#include "engine/core/maths.h"
#include "engine/scene/model.h"

// Entity flag bits; the other bits belong to the game and are kept.
inline constexpr uint8_t kEntVisible = 0x1;
inline constexpr uint8_t kEntInView = 0x2;
inline constexpr uint8_t kEntNeedsClip = 0x4;
inline constexpr uint8_t kEntRebuildMatrix = 0x8;

// Clip code bits: the planes a view-space volume crosses; 0 wholly inside,
// kClipOutside (the whole value) wholly outside.
inline constexpr uint8_t kClipTop = 1;
inline constexpr uint8_t kClipBottom = 2;
inline constexpr uint8_t kClipLeft = 4;
inline constexpr uint8_t kClipRight = 8;
inline constexpr uint8_t kClipNear = 16;
inline constexpr uint8_t kClipOutside = 64;

// Level of detail of an entity culled by distance.
inline constexpr int32_t kLodCulled = 9;

class CEntity {
 public:
  CEntity() : animSlot(-1), flags(0) { Reset(); }
  // Also ends a running animation without its completion procedure.
  void Reset();
  // Binds the model set; its level-0 handle must be in use.
  void SetModel(ModelLodSet* set);
  // Culls against the view; returns the clip code.
  uint8_t Transform(const Mat43& view);
  // Transforms and, when in view, submits to the renderer.
  void Draw(const Mat43& view);

  ModelLodSet* model;
  Vec3 position;
  Vec3 rotation;  // degrees about x, y, z
  Vec3 scale;
  union {
    int32_t value1;
    uint32_t colour;  // draw colour for the renderer; 0xFFFFFFFF (-1) = none
  };
  int16_t animFrame;
  int16_t animSlot;  // running animation's slot, -1 = none
  int16_t objectKind;
  int32_t lod;  // 0 or 1 after Transform; kLodCulled = culled by distance
  union {
    int32_t value2;
    int32_t index;  // the game's index of a pickable object of its kind
  };
  int32_t value3;
  int32_t value4;
  Bounds viewBounds;  // the model's bounds in view space
  uint8_t flags;
  uint8_t clipCode;
  Mat43 world;
  Mat43 view;
};

class CEntityHouse {
 public:
  CEntityHouse() = default;
  ~CEntityHouse();
  CEntityHouse(const CEntityHouse&) = delete;
  CEntityHouse& operator=(const CEntityHouse&) = delete;

  bool Allocate(int32_t capacity);
  int32_t Release();  // ends the entities' animations too
  CEntity* Add(const CEntity& entity);  // null when full
  // A standing entity of a model set at a place, turned by yaw degrees; null
  // when the set is missing or the house full.
  CEntity* AddModel(ModelLodSet* set, const Vec3& at, float yaw, int16_t kind, int32_t index, bool visible = true);
  CEntity* GetEntity(int32_t index);    // null when index >= count
  int32_t DrawAll(const Mat43& view);

  CEntity* entities = nullptr;
  int32_t count = 0;
  int32_t capacity = 0;
  uint8_t allocated = 0;
};

// Culling distances: level-of-detail distance, a second distance, far cull
// distance and the base distance the others are set from.
enum CullSlot : int32_t { kCullLod = 0, kCullSecond = 1, kCullFar = 2, kCullBase = 3 };
extern float g_CullDistances[4];

// Entities submitted this frame, without and with clipping.
struct EntDrawCounters {
  int32_t unclipped;
  int32_t clipped;
};
extern EntDrawCounters g_EntDrawCounters;

void EntBeginFrame();
void EntSetCullDistance(int32_t slot, float fraction);
uint8_t EntClipSphere(const Bounds& viewBounds);
uint8_t EntClipBox(const Bounds& viewBounds);
uint8_t EntClipBounds(const Mat43& view, const Bounds& modelBounds, Bounds& outViewBounds);
