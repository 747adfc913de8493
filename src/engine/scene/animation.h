#pragma once
// Simple animations of placed entities: stepping through a model's frames in
// a loop or once, spinning, or sinking into the ground with a slight shake.
// Each running animation holds one slot of a fixed pool; an entity runs one
// at a time and records its slot. The logic tick steps them all.
#include <cstddef>
#include <cstdint>

#include "engine/core/random_stream.h"

class CEntity;

inline constexpr int32_t kMaxEntAnims = 2120;

enum EntAnimType : int32_t {
  kAnimLoopForward = 0,
  kAnimLoopBackward = 1,
  kAnimOnceForward = 2,
  kAnimOnceBackward = 3,
  kAnimSpin = 4,
  kAnimHold = 5,
  kAnimUnimplemented = 6,
  kAnimSink = 7,
};

// Completion procedures: the two-value form, or a form given value 1 only.
using EntAnimDoneProc = void (*)(int32_t value1, int32_t value2);
using EntAnimDoneProc1 = void (*)(int32_t value1);
struct EntAnimCallback {
  EntAnimDoneProc two = nullptr;
  EntAnimDoneProc1 one = nullptr;
  EntAnimCallback() = default;
  EntAnimCallback(std::nullptr_t) {}
  EntAnimCallback(EntAnimDoneProc proc) : two(proc) {}
  EntAnimCallback(EntAnimDoneProc1 proc) : one(proc) {}
  explicit operator bool() const { return two || one; }
};

struct EntAnimSlot {
  int32_t type;
  uint8_t inUse;
  uint8_t warned;  // the unimplemented-type warning was given
  CEntity* entity;
  EntAnimCallback done;
  int32_t value1, value2;
  int16_t startFrame, endFrame;  // frame range of the frame types, end exclusive
  float baseX;                   // sinking: where the shake is centred
  float height;
  float baseZ;
};

// The sinking animation's own random stream.
CRandomStream& EntAnimRandom();

void EntAnimResetPool();
int32_t EntAnimAllocSlot();  // first free slot, marked in use, or -1
const EntAnimSlot* EntAnimGetSlot(int32_t slot);
void EntAnimStart(CEntity* entity, int32_t type, EntAnimCallback done, int32_t value1,
                  int32_t value2);
void EntAnimSetRange(CEntity* entity, int32_t first, int32_t last);
void EntAnimStop(CEntity* entity);
void EntAnimFinish(int32_t slot);
// Frees every slot without calling any completion procedure (a new game).
void EntAnimFinishAll();
void EntAnimStepAll();
// Frees the entity's slot without calling its procedure (the entity goes away).
void EntAnimDetach(CEntity* entity);
