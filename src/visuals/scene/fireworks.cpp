#include "visuals/scene/fireworks.h"

#include <cmath>
#include <initializer_list>

#include "engine/render/renderer.h"
#include "engine/scene/texture.h"
#include "sound/effect_sounds.h"
#include "visuals/scene/shader_table.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr int32_t kSecondBurstDelay = 30;
constexpr int32_t kBatchCapacity = 750;
constexpr int32_t kBatchDrawValue = 512;
constexpr float kBatchBaseSize = 0.5f;

struct FadeTables {
  uint8_t a[128];
  uint8_t b[128];
  FadeTables() {
    for (int i = 0; i < 128; ++i) {
      a[i] = uint8_t(2 * i);
      int v = 0;
      if (i < 64) v = 4 * i;
      else if (i <= 80) v = 255;
      else if (i < 96) v = 16 * (96 - i);
      else if (i > 96) v = 8 * (i - 96);
      b[i] = uint8_t(v > 255 ? 255 : v);
    }
  }
};
const FadeTables& Fades() {
  static const FadeTables tables;
  return tables;
}

// Turns v by whole degrees in the plane of the two components.
void Turn(float& a, float& b, int degrees) {
  const float r = float(degrees) * kPi / 180.0f;
  const float c = std::cos(r), s = std::sin(r);
  const float x = a * c - b * s, y = a * s + b * c;
  a = x, b = y;
}

uint32_t WithAlpha(uint32_t colour, uint8_t alpha) { return (colour & 0xFFFFFFu) | uint32_t(alpha) << 24; }

uint32_t PageOfSlot(int32_t slot) {
  const CTexture* t = TexSysGetTexture(slot);
  return t ? uint32_t(t->pageIndex) : 0;
}

}  // namespace

const uint8_t* FireworkFadeA() { return Fades().a; }
const uint8_t* FireworkFadeB() { return Fades().b; }

CFireworksShow& FireworksShow() {
  static CFireworksShow show;
  return show;
}

FireworkSpark* FireworkSparkList::Add() {
  for (FireworkSpark& s : sparks)
    if (s.inUse == 0) {
      s = FireworkSpark{};
      ++live;
      return &s;
    }
  return nullptr;
}

void FireworkSparkList::Clear() {
  for (FireworkSpark& s : sparks) s = FireworkSpark{};
  live = 0;
}

void CFireworksShow::Reset() {
  for (int32_t* h : {burstSounds_.data(), whistleSounds_.data()}) {
    const int32_t n = h == burstSounds_.data() ? kFireworkBurstHandles : kFireworkWhistleHandles;
    for (int32_t i = 0; i < n; ++i) {
      if (h[i] != 0) Effects().StopHandle(h[i]);
      h[i] = 0;
    }
  }
  mode_ = kFireworksOff;
  slots_ = 0;
  ReleaseBatch();
  for (FireworkRocket& r : rockets_) {
    r.state = 0;
    r.rocket.Clear();
    r.children.Clear();
  }
  frameCount_ = 0;
}

void CFireworksShow::Start(const FireworksPreset& p) {
  mode_ = p.mode >= 0 && p.mode <= 2 ? p.mode : 0;
  slots_ = p.slots < 0 ? 0 : (p.slots > kFireworkSlots ? kFireworkSlots : p.slots);
  power_ = p.power;
  launchUpdates_ = int32_t(p.seconds * kUpdatesPerSecond);
  base_ = p.base;
  xSpan_ = p.xSpan;
  zSpan_ = p.zSpan;
  bursts_ = 0;
  for (FireworkRocket& r : rockets_) {
    r.state = 0;
    r.rocket.Clear();
    r.children.Clear();
  }
  frameCount_ = 0;
}

void CFireworksShow::ReleaseBatch() {
  batch_.Destroy();
  batchRenderer_ = nullptr;
}

int32_t CFireworksShow::ClimbingCount() const {
  int32_t n = 0;
  for (const FireworkRocket& r : rockets_) n += r.state == 1;
  return n;
}

// Colour kinds 0..6 as 0xAARRGGBB (alpha set by the fade table later).
uint32_t CFireworksShow::Colour(int32_t kind) {
  auto r32 = [&] { return 60 + (Draw16() & 31); };
  uint32_t red = 255, green = 255, blue = 255;
  switch (kind) {
    case 0: blue = r32(), green = r32(), red = 255; break;
    case 1: blue = 255, green = r32(), red = r32(); break;
    case 2: blue = r32(), green = 255, red = r32(); break;
    case 3: blue = 255, green = 170, red = 40 + (Draw16() & 31); break;
    case 4: blue = 255, green = 255, red = 50 + (Draw16() & 31); break;
    case 5: blue = 255, green = 60 + (Draw16() & 63), red = 255; break;
    default: break;
  }
  return 0xFF000000u | red << 16 | green << 8 | blue;
}

int32_t CFireworksShow::PickKind() {
  switch (mode_) {
    case 0: return (Draw16() & 1) ? 2 : 0;
    case 1: return int32_t(Draw16() & 3);
    default: return int32_t(Draw16() % 6);
  }
}

void CFireworksShow::PlayInto(int32_t* handles, int32_t count, const char* sample, int32_t volume) {
  for (int32_t i = 0; i < count; ++i) {
    const bool free = handles[i] == 0 || !Effects().Playing(handles[i]);
    if (!free) continue;
    handles[i] = Effects().PlayNamed(sample, volume);
    return;
  }
}

void CFireworksShow::Launch(FireworkRocket& r, int32_t kind, const Vec3& at) {
  static constexpr float kClimb[6] = {0.7f, 0.8f, 0.7f, 0.85f, 1.0f, 0.9f};
  r.state = 1;
  r.kind = kind;
  r.power = power_;
  r.rocket.Clear();
  r.children.Clear();
  FireworkSpark* s = r.rocket.Add();
  s->colour = Colour(6);
  s->life = s->inUse = 127;
  s->decay = 1;
  s->fade = FireworkFadeA();
  s->position = at;
  s->velocity = {0, power_ * kClimb[kind] * (1 + U() * 0.1f), 0};
  Turn(s->velocity.y, s->velocity.z, int(Draw16() % 6) - 3);
  Turn(s->velocity.x, s->velocity.z, int(Draw16() % 6) - 3);
  Turn(s->velocity.x, s->velocity.y, int(Draw16() % 6) - 3);
  if (kind == 3) PlayInto(whistleSounds_.data(), kFireworkWhistleHandles, "launchwhistle.wav", 80);
}

void CFireworksShow::LaunchInto(int32_t slot, int32_t kind, const Vec3& at) {
  if (slot < 0 || slot >= kFireworkSlots || kind < 0 || kind > 5) return;
  Launch(rockets_[size_t(slot)], kind, at);
}

void CFireworksShow::Burst(FireworkRocket& r, const Vec3& at) {
  struct Shape {
    int32_t sparks;
    float speed, spread;
    const char* sound;
  };
  static constexpr Shape kShapes[6] = {
      {30, 0.25f, 0.1f, "launch2.wav"},     {60, 0.25f, 0.15f, "echocrackle.wav"},
      {20, 0.2f, 0.0f, "echosingle.wav"},   {30, 0.25f, 0.0f, "launch1.wav"},
      {50, 0.25f, 0.2f, "launch1.wav"},     {30, 0.25f, 0.0f, "launch1.wav"},
  };
  static constexpr int32_t kKind4Colours[4] = {1, 0, 2, 5};
  const Shape& shape = kShapes[r.kind];
  int32_t burstColour = 0;
  if (r.kind == 2 || r.kind == 3 || r.kind == 5) burstColour = int32_t(Draw16() % 6);
  if (r.kind == 4) burstColour = kKind4Colours[Draw16() & 3];
  ++bursts_;
  for (int32_t i = 0; i < shape.sparks; ++i) {
    FireworkSpark* s = r.rocket.Add();
    if (s == nullptr) break;
    int32_t colourKind = burstColour;
    if (r.kind == 0) colourKind = (Draw16() & 1) ? 4 : 3;
    if (r.kind == 1) {
      static constexpr int32_t kKinds[3] = {4, 3, 6};
      colourKind = kKinds[Draw16() % 3];
    }
    s->colour = Colour(colourKind);
    s->position = at;
    s->life = 127;
    s->decay = 2;
    s->scale = 2 + U();
    s->fade = r.kind <= 1 ? FireworkFadeA() : FireworkFadeB();
    if (r.kind == 1) s->life = 100;
    if (r.kind == 4) {
      s->life = 127 - int32_t(Draw16() & 7);
      s->decay = 1;
      s->scale = 2.5f * (1 + U() * 0.5f);
    }
    s->inUse = s->life;
    const float speed = r.power * shape.speed * (1 + U() * shape.spread);
    const float around = U() * 2 * kPi, up = U() * 2 - 1, flat = std::sqrt(1 - up * up);
    s->velocity = {std::cos(around) * flat * speed, up * speed, std::sin(around) * flat * speed};
  }
  PlayInto(burstSounds_.data(), kFireworkBurstHandles, shape.sound, 100);
}

void CFireworksShow::UpdateSlot(FireworkRocket& r) {
  if (r.state == 1) {
    FireworkSpark& rocket = r.rocket.sparks[0];
    if (Draw16() & 1) ++rocket.life;
    if (U() * (r.power * 0.2f) >= rocket.velocity.y || rocket.inUse == 0) {
      const Vec3 at = rocket.position;
      rocket = FireworkSpark{};
      --r.rocket.live;
      r.burstAt = at;
      Burst(r, at);
      r.state = 2;
      r.secondBurst = kSecondBurstDelay;
    } else if (FireworkSpark* t = r.rocket.Add()) {
      t->position = {rocket.position.x + U() * 0.1f - 0.05f, rocket.position.y,
                     rocket.position.z + U() * 0.1f - 0.05f};
      t->life = t->inUse = rocket.life;
      t->fade = FireworkFadeA();
      t->colour = rocket.colour;
      switch (r.kind) {
        case 2: t->decay = 2 + int32_t(Draw16() & 31); break;
        case 4: case 5:
          t->decay = 2 + int32_t(Draw16() & 3);
          t->colour = Colour((Draw16() & 1) ? 6 : 4);
          break;
        default: t->decay = 2 + int32_t(Draw16() & 15); break;
      }
    }
  } else if (r.state == 2) {
    if (r.kind == 5 && r.secondBurst > 0 && --r.secondBurst == 0) Burst(r, r.burstAt);
    for (FireworkSpark& p : r.rocket.sparks) {
      if (p.inUse == 0 || (Draw16() & 15) != 0) continue;
      FireworkSpark* c = r.children.Add();
      if (c == nullptr) break;
      c->position = {p.position.x + U() * 0.1f - 0.05f, p.position.y, p.position.z + U() * 0.1f - 0.05f};
      c->colour = p.colour;
      c->fade = FireworkFadeA();
      if (r.kind == 1 || r.kind == 5) {
        c->life = 127;
        c->decay = 5 + int32_t(Draw16() & 15);
      } else {
        c->life = p.life;
        c->decay = 1 + int32_t(Draw16() & 15);
      }
      c->inUse = c->life;
    }
    if (r.rocket.live == 0 && r.children.live == 0) r.state = 0;
  }
  CollectSlot(r);
}

void CFireworksShow::CollectSlot(FireworkRocket& r) {
  for (FireworkSparkList* list : {&r.rocket, &r.children}) {
    list->live = 0;
    for (FireworkSpark& s : list->sparks) {
      if (s.inUse == 0) continue;
      ++list->live;
      s.colour = WithAlpha(s.colour, s.fade ? s.fade[s.life & 127] : 255);
      if (frameCount_ < kFireworkFrameCapacity) frame_[size_t(frameCount_++)] = &s;
    }
  }
}

void CFireworksShow::MoveFrame() {
  for (int32_t i = 0; i < frameCount_; ++i) {
    FireworkSpark& s = *frame_[size_t(i)];
    s.position.x += s.velocity.x * 0.1f;
    s.position.y += s.velocity.y * 0.1f;
    s.position.z += s.velocity.z * 0.1f;
    s.velocity.y -= 0.02f;
    s.life -= s.decay;
    if (s.life > 127) s.life = 127;
    s.inUse = s.life > 0 ? s.life : 0;
  }
}

void CFireworksShow::Update() {
  if (mode_ == kFireworksOff) return;
  frameCount_ = 0;
  for (int32_t i = 0; i < slots_; ++i)
    if (rockets_[size_t(i)].state != 0) UpdateSlot(rockets_[size_t(i)]);
  MoveFrame();
  if (launchUpdates_ > 0) {
    --launchUpdates_;
    for (int32_t i = 0; i < slots_; ++i) {
      FireworkRocket& r = rockets_[size_t(i)];
      if (r.state != 0) continue;
      const int32_t kind = PickKind();
      Launch(r, kind, {base_.x + U() * xSpan_, base_.y, base_.z + U() * zSpan_});
      break;
    }
  } else if (ClimbingCount() == 0 && frameCount_ == 0) {
    // The last sparks are out: the show is over (its last bangs ring on).
    mode_ = kFireworksOff;
    ReleaseBatch();
  }
}

void CFireworksShow::Draw(CRenderer& renderer) {
  if (mode_ == kFireworksOff || frameCount_ == 0) return;
  if (batchRenderer_ != &renderer) {
    ReleaseBatch();
    batch_.Create(&renderer, kBatchCapacity, kBatchDrawValue, -1, kBatchBaseSize);
    batchRenderer_ = &renderer;
  }
  CSpriteBatch& batch = batch_;
  batch.Reset();
  batch.SetTexture(int32_t(PageOfSlot(texture_)));
  for (int32_t i = 0; i < frameCount_; ++i) {
    const FireworkSpark& s = *frame_[size_t(i)];
    // The batch turns z round for the renderer; the sparks live in world space.
    batch.AddScaled({s.position.x, s.position.y, -s.position.z}, s.colour, s.scale);
  }
  renderer.SetShader(kShaderFireworks);
  batch.Flush();
  renderer.SetShader(kShaderModulate);
}
