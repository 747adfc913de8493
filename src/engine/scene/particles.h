#pragma once
// Rising puffs (the dust over buildings being demolished): up to 16 emitters,
// each over a rectangle of ground, spawning one particle per logic tick that
// drifts upward for 128 ticks while it fades and grows, drawn as camera-facing
// sprites with the emitter's texture.
#include <cstdint>

#include "engine/core/maths.h"

class CRandomStream;
class CSpriteBatch;

inline constexpr int32_t kMaxParticleEmitters = 16;
inline constexpr int32_t kMaxParticlesPerEmitter = 500;
inline constexpr int32_t kParticleLife = 128;

enum ParticleEmitterState : int32_t { kEmitterActive = 0, kEmitterFree = 1, kEmitterDying = 2 };

struct ParticleState {
  Vec3 velocity;
  int32_t age;  // -1 = dead
  int32_t life;
};
static_assert(sizeof(Vec3) == 12 && sizeof(ParticleState) == 20);

// Where particles are drawn: a batch of camera-facing sprites. The frame's
// sprite batch is handed in through this, so particles need nothing more of
// the renderer than these four calls.
class ParticleSprites {
 public:
  virtual ~ParticleSprites() = default;
  virtual void Begin() = 0;
  virtual void SetTexture(int32_t texture) = 0;
  // A sprite at a world position; scale multiplies the batch's base size.
  virtual void Add(const Vec3& position, uint32_t colour, float scale) = 0;
  virtual void End() = 0;
};

// The frame's sprite batch as particles see it: beginning empties the batch,
// the texture becomes its page, ending flushes it to the renderer.
class SpriteBatchParticleSprites : public ParticleSprites {
 public:
  explicit SpriteBatchParticleSprites(CSpriteBatch& batch) : batch_(batch) {}
  void Begin() override;
  void SetTexture(int32_t texture) override;
  void Add(const Vec3& position, uint32_t colour, float scale) override;
  void End() override;

 private:
  CSpriteBatch& batch_;
};

class CParticleEmitter {
 public:
  // False (the slot stays free) when memory for the particles cannot be had.
  bool Init(int32_t texture, float x, float z, float width, float depth, int32_t count);
  bool Spawn();
  void Update();
  void Draw(ParticleSprites& batch) const;
  void Kill() { state = kEmitterDying; }
  void Free();

  int32_t texture = 0;
  int32_t state = kEmitterFree;
  float x = 0, z = 0;
  float width = 0, depth = 0;
  int32_t capacity = 0;
  int32_t live = 0;
  Vec3* positions = nullptr;        // memory manager
  ParticleState* states = nullptr;  // memory manager
};

class CParticleManager {
 public:
  // The slot index, or -1 when all 16 slots are active or dying.
  int32_t AddEmitter(int32_t texture, float x, float z, float width, float depth, int32_t count);
  // -1, a bad index and a slot that is free or already dying are ignored.
  void RemoveEmitter(int32_t index);
  void UpdateAll();
  void DrawAll(ParticleSprites& batch) const;
  // The world draw's form: through the frame's sprite batch.
  void DrawAll(CSpriteBatch& batch) const;
  // Frees every slot at once (shutdown, and between tests).
  void Reset();

  int32_t EmitterCount() const { return count_; }
  const CParticleEmitter& Emitter(int32_t index) const { return emitters_[index]; }

 private:
  int32_t count_ = 0;
  CParticleEmitter emitters_[kMaxParticleEmitters];
};

// The program's one particle manager.
CParticleManager& ParticleManager();
// The particles' own random stream.
CRandomStream& ParticleRandom();
