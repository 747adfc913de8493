#include "engine/scene/particles.h"

#include <algorithm>

#include "engine/core/memory.h"
#include "engine/core/random_stream.h"
#include "engine/render/sprite_batch.h"

namespace {

constexpr float kSpawnHeight = 1.0f;
constexpr float kSizePerTick = 0.05f;
constexpr uint32_t kWhiteTransparent = 0x00FFFFFF;
constexpr uint32_t kAlphaPerTick = 1u << 25;  // alpha falls by 2 per tick of age

float RandomFraction() { return ParticleRandom().Fraction(); }

}  // namespace

CParticleManager& ParticleManager() {
  static CParticleManager manager;
  return manager;
}

CRandomStream& ParticleRandom() {
  static CRandomStream stream;
  return stream;
}

void SpriteBatchParticleSprites::Begin() { batch_.Reset(); }
void SpriteBatchParticleSprites::SetTexture(int32_t texture) { batch_.SetTexture(texture); }
// Particles are added at (x, y, -z): the batch turns z round again on entry,
// so the renderer gets the particle where it is in the city, as every other
// sprite.
void SpriteBatchParticleSprites::Add(const Vec3& position, uint32_t colour, float scale) {
  batch_.Add(Vec3{position.x, position.y, -position.z}, colour, scale);
}
void SpriteBatchParticleSprites::End() { batch_.Flush(); }

bool CParticleEmitter::Init(int32_t tex, float px, float pz, float w, float d, int32_t count) {
  texture = tex;
  x = px;
  z = pz;
  width = w;
  depth = d;
  capacity = std::clamp(count, 0, kMaxParticlesPerEmitter);
  live = 0;
  positions = static_cast<Vec3*>(MEM_ALLOC(sizeof(Vec3) * std::max(capacity, 1)));
  states = static_cast<ParticleState*>(MEM_ALLOC(sizeof(ParticleState) * std::max(capacity, 1)));
  if (positions == nullptr || states == nullptr) {
    Free();
    return false;
  }
  for (int32_t i = 0; i < capacity; ++i) states[i].age = -1;
  state = kEmitterActive;
  return true;
}

void CParticleEmitter::Free() {
  if (positions) MEM_FREE(positions);
  if (states) MEM_FREE(states);
  positions = nullptr;
  states = nullptr;
  live = 0;
  state = kEmitterFree;
}

bool CParticleEmitter::Spawn() {
  if (state == kEmitterDying || live >= capacity) return false;
  int32_t i = 0;
  while (i < capacity && states[i].age != -1) ++i;
  if (i == capacity) return false;
  // Five fractions, always drawn in this order.
  const float r1 = RandomFraction(), r2 = RandomFraction(), r3 = RandomFraction();
  const float r4 = RandomFraction(), r5 = RandomFraction();
  positions[i] = {x + r1 * width, kSpawnHeight, z + r2 * depth};
  states[i].velocity = {(r3 - 0.5f) * 0.1f, 0.02f + r4 * 0.02f, (r5 - 0.5f) * 0.1f};
  states[i].age = 0;
  states[i].life = kParticleLife;
  ++live;
  return true;
}

void CParticleEmitter::Update() {
  if (state == kEmitterFree) return;
  if (state == kEmitterDying && live == 0) {
    Free();
    return;
  }
  for (int32_t i = 0; i < capacity; ++i) {
    ParticleState& p = states[i];
    if (p.age == -1) continue;
    positions[i].x += p.velocity.x;
    positions[i].y += p.velocity.y;
    positions[i].z += p.velocity.z;
    if (++p.age >= p.life) {
      p.age = -1;
      --live;
    }
  }
}

void CParticleEmitter::Draw(ParticleSprites& batch) const {
  batch.Begin();
  batch.SetTexture(texture);
  for (int32_t i = 0; i < capacity; ++i) {
    const int32_t age = states[i].age;
    if (age == -1) continue;
    // White; alpha (256 - 2 x age) mod 256: clear when new, then fading.
    const uint32_t colour = kWhiteTransparent - static_cast<uint32_t>(age) * kAlphaPerTick;
    batch.Add(positions[i], colour, static_cast<float>(age) * kSizePerTick);
  }
  batch.End();
}

int32_t CParticleManager::AddEmitter(int32_t texture, float x, float z, float width, float depth,
                                     int32_t count) {
  for (int32_t i = 0; i < kMaxParticleEmitters; ++i) {
    if (emitters_[i].state != kEmitterFree) continue;
    if (!emitters_[i].Init(texture, x, z, width, depth, count)) return -1;
    ++count_;
    return i;
  }
  return -1;
}

void CParticleManager::RemoveEmitter(int32_t index) {
  if (index < 0 || index >= kMaxParticleEmitters) return;
  CParticleEmitter& e = emitters_[index];
  if (e.state != kEmitterActive) return;
  e.Kill();
  --count_;
}

void CParticleManager::UpdateAll() {
  for (CParticleEmitter& e : emitters_) {
    if (e.state == kEmitterFree) continue;
    e.Update();
    if (e.state == kEmitterActive) e.Spawn();
  }
}

void CParticleManager::DrawAll(ParticleSprites& batch) const {
  for (const CParticleEmitter& e : emitters_)
    if (e.state != kEmitterFree) e.Draw(batch);
}

void CParticleManager::DrawAll(CSpriteBatch& batch) const {
  SpriteBatchParticleSprites sprites(batch);
  DrawAll(sprites);
}

void CParticleManager::Reset() {
  for (CParticleEmitter& e : emitters_)
    if (e.state != kEmitterFree) e.Free();
  count_ = 0;
}
