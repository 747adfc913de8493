#include "engine/scene/animation.h"

#include "engine/scene/entity.h"
#include "engine/core/error.h"
#include "engine/scene/model.h"

namespace {

EntAnimSlot g_Slots[kMaxEntAnims];

constexpr float kSpinStep = 21.6f;
constexpr float kSinkStep = 0.3f;
constexpr float kShakeScale = 0.00001f;

// The slot the entity's record names, when that slot really runs it.
EntAnimSlot* SlotOf(const CEntity* entity) {
  if (!entity || entity->animSlot < 0 || entity->animSlot >= kMaxEntAnims) return nullptr;
  EntAnimSlot& slot = g_Slots[entity->animSlot];
  return slot.inUse && slot.entity == entity ? &slot : nullptr;
}

int32_t FrameCount(const CEntity* entity) {
  const CModel* model = entity->model ? ModSysGetModel(entity->model->handles[0]) : nullptr;
  return model ? model->frameCount : 0;
}

float TopHeight(const CEntity* entity) {
  const CModel* model = entity->model ? ModSysGetModel(entity->model->handles[0]) : nullptr;
  return model ? model->bounds.corners[7].y : 0.0f;
}

void SetFrame(CEntity* e, int32_t frame) {
  e->animFrame = static_cast<int16_t>(frame);
  e->flags |= kEntRebuildMatrix;
}

// One tick of one slot; returns true when the animation has ended.
bool Step(EntAnimSlot& s) {
  CEntity* e = s.entity;
  switch (s.type) {
    case kAnimLoopForward:
    case kAnimOnceForward:
      SetFrame(e, e->animFrame + 1);
      if (e->animFrame < s.endFrame) return false;
      if (s.type == kAnimOnceForward) return true;
      SetFrame(e, s.startFrame);
      return false;
    case kAnimLoopBackward:
    case kAnimOnceBackward:
      SetFrame(e, e->animFrame - 1);
      // Past the end as well as on it, so a range given the wrong way round
      // still ends.
      if (e->animFrame > s.endFrame && e->animFrame >= 0) return false;
      if (s.type == kAnimOnceBackward) return true;
      SetFrame(e, s.startFrame);
      return false;
    case kAnimSpin:
      e->rotation.y += kSpinStep;
      e->flags |= kEntRebuildMatrix;
      return false;
    case kAnimHold:
      return false;
    case kAnimSink: {
      s.height -= kSinkStep;
      e->position.x = s.baseX + kShakeScale * static_cast<float>(EntAnimRandom().Rand());
      e->position.z = s.baseZ + kShakeScale * static_cast<float>(EntAnimRandom().Rand());
      e->position.y = s.height;
      e->flags |= kEntRebuildMatrix;
      return s.height + TopHeight(e) < 0.0f;
    }
    default:
      if (!s.warned) ReportError(1, 0, "Unimplemented animation type");
      s.warned = 1;
      return false;
  }
}

}  // namespace

CRandomStream& EntAnimRandom() {
  static CRandomStream stream;
  return stream;
}

void EntAnimResetPool() {
  for (EntAnimSlot& s : g_Slots) s = EntAnimSlot{};
}

int32_t EntAnimAllocSlot() {
  for (int32_t i = 0; i < kMaxEntAnims; ++i) {
    if (g_Slots[i].inUse) continue;
    g_Slots[i] = EntAnimSlot{};
    g_Slots[i].inUse = 1;
    return i;
  }
  return -1;
}

const EntAnimSlot* EntAnimGetSlot(int32_t slot) {
  return slot >= 0 && slot < kMaxEntAnims ? &g_Slots[slot] : nullptr;
}

void EntAnimStart(CEntity* entity, int32_t type, EntAnimCallback done, int32_t value1,
                  int32_t value2) {
  if (!entity || SlotOf(entity)) return;
  const int32_t index = EntAnimAllocSlot();
  if (index < 0) return;
  EntAnimSlot& s = g_Slots[index];
  s.type = type;
  s.entity = entity;
  s.done = done;
  s.value1 = value1;
  s.value2 = value2;
  entity->animSlot = static_cast<int16_t>(index);
  const int32_t frames = FrameCount(entity);
  if (type == kAnimLoopForward || type == kAnimOnceForward) {
    s.startFrame = 0;
    s.endFrame = static_cast<int16_t>(frames);
  } else if (type == kAnimLoopBackward || type == kAnimOnceBackward) {
    s.startFrame = static_cast<int16_t>(frames);
    s.endFrame = 0;
  } else if (type == kAnimSink) {
    s.baseX = entity->position.x;
    s.height = entity->position.y;
    s.baseZ = entity->position.z;
  }
}

void EntAnimSetRange(CEntity* entity, int32_t first, int32_t last) {
  EntAnimSlot* s = SlotOf(entity);
  if (!s) return;
  s->startFrame = static_cast<int16_t>(first);
  s->endFrame = static_cast<int16_t>(last);
  SetFrame(entity, first);
}

void EntAnimStop(CEntity* entity) {
  if (SlotOf(entity)) EntAnimFinish(entity->animSlot);
}

void EntAnimFinish(int32_t index) {
  if (index < 0 || index >= kMaxEntAnims || !g_Slots[index].inUse) return;
  EntAnimSlot& s = g_Slots[index];
  CEntity* e = s.entity;
  if (e && e->animSlot == index) {
    if (s.type == kAnimLoopForward || s.type == kAnimOnceForward) SetFrame(e, s.endFrame - 1);
    if (s.type == kAnimLoopBackward || s.type == kAnimOnceBackward) SetFrame(e, s.endFrame);
    e->animSlot = -1;
  }
  // The slot is free before the procedure runs: it may start a new animation.
  const EntAnimCallback done = s.done;
  const int32_t v1 = s.value1, v2 = s.value2;
  s = EntAnimSlot{};
  if (done.two) done.two(v1, v2);
  if (done.one) done.one(v1);
}

void EntAnimFinishAll() {
  for (int32_t i = 0; i < kMaxEntAnims; ++i) {
    if (!g_Slots[i].inUse) continue;
    g_Slots[i].done = nullptr;
    EntAnimFinish(i);
  }
}

void EntAnimStepAll() {
  for (int32_t i = 0; i < kMaxEntAnims; ++i) {
    EntAnimSlot& s = g_Slots[i];
    if (!s.inUse) continue;
    if (!s.entity || s.entity->animSlot != i) {
      s = EntAnimSlot{};  // its entity has moved on; nothing to animate
      continue;
    }
    if (Step(s)) EntAnimFinish(i);
  }
}

void EntAnimDetach(CEntity* entity) {
  if (EntAnimSlot* s = SlotOf(entity)) *s = EntAnimSlot{};
  if (entity) entity->animSlot = -1;
}
