#pragma once
// The fireworks display over the city: rockets climb from a launch area,
// burst into sparks of six kinds with their own sounds and leave trails; the
// live sparks are drawn as camera-facing sprites. All its randomness comes
// from its own generator. No allocation while it runs: 30 fixed rocket slots of
// two 90-spark lists each and a fixed frame list.
#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/core/maths.h"
#include "engine/render/sprite_batch.h"
#include "visuals/scene/presentation_random.h"

class CRenderer;

inline constexpr int32_t kFireworkSlots = 30;
inline constexpr int32_t kSparksPerList = 90;
inline constexpr int32_t kFireworksOff = 4;
inline constexpr int32_t kFireworkBurstHandles = 6;
inline constexpr int32_t kFireworkWhistleHandles = 4;
inline constexpr int32_t kFireworkFrameCapacity = kFireworkSlots * kSparksPerList * 2;

struct FireworkSpark {
  int32_t inUse = 0;  // the remaining life while above 0; 0 = free
  int32_t life = 0;   // 0..127
  int32_t decay = 0;
  Vec3 position{};
  Vec3 velocity{};
  float scale = 1.0f;
  uint32_t colour = 0;  // 0xAARRGGBB
  const uint8_t* fade = nullptr;
};

struct FireworkSparkList {
  std::array<FireworkSpark, kSparksPerList> sparks{};
  int32_t live = 0;
  FireworkSpark* Add();  // the first free spark, null when full
  void Clear();
};

struct FireworkRocket {
  int32_t state = 0;  // 0 idle, 1 climbing, 2 burst
  int32_t kind = 0;
  float power = 0;
  int32_t secondBurst = 0;  // kind 5: updates until it bursts again
  Vec3 burstAt{};
  FireworkSparkList rocket;  // the rocket and its trail, then the burst
  FireworkSparkList children;
};

// What a show is started with: launch mode (0 kinds 0 and 2, 1 kinds 0..3,
// 2 all six), slots in use, how long rockets go up (seconds of 50 updates),
// rocket power, the launch area's corner and spans.
struct FireworksPreset {
  int32_t mode = 0;
  int32_t slots = 0;
  float seconds = 0;
  float power = 0;
  Vec3 base{};
  float xSpan = 0;
  float zSpan = 0;
};

class CFireworksShow {
 public:
  static constexpr int32_t kUpdatesPerSecond = 50;

  CFireworksShow() { Reset(); }
  ~CFireworksShow() { ReleaseBatch(); }
  CFireworksShow(const CFireworksShow&) = delete;
  CFireworksShow& operator=(const CFireworksShow&) = delete;
  // Stops the show and its sounds and gives the sprite batch back.
  void Reset();
  void ReleaseBatch();
  void Start(const FireworksPreset& preset);
  // One step: the slots, the sparks' motion, then at most one launch.
  void Update();
  // The live sparks into the sprite batch, drawn with the fireworks texture.
  void Draw(CRenderer& renderer);

  int32_t Mode() const { return mode_; }
  bool Running() const { return mode_ != kFireworksOff; }
  int32_t SlotsInUse() const { return slots_; }
  const FireworkRocket& Slot(int32_t i) const { return rockets_[size_t(i)]; }
  int32_t FrameCount() const { return frameCount_; }
  const FireworkSpark& FrameSpark(int32_t i) const { return *frame_[size_t(i)]; }
  int32_t ClimbingCount() const;
  int32_t BurstCount() const { return bursts_; }  // bursts since Start
  void SetTexture(int32_t textureSlot) { texture_ = textureSlot; }
  PresentationRandom& Random() { return random_; }

  // A rocket of the kind into the slot (0..29), as the show launches them.
  void LaunchInto(int32_t slot, int32_t kind, const Vec3& at);

 private:
  uint32_t Draw16() { return random_.Rand(); }
  float U() { return float(Draw16() & 0x3FF) / 1024.0f; }
  uint32_t Colour(int32_t kind);
  int32_t PickKind();
  void UpdateSlot(FireworkRocket& rocket);
  void Burst(FireworkRocket& rocket, const Vec3& at);
  void Launch(FireworkRocket& rocket, int32_t kind, const Vec3& at);
  void PlayInto(int32_t* handles, int32_t count, const char* sample, int32_t volume);
  void MoveFrame();
  void CollectSlot(FireworkRocket& rocket);

  int32_t mode_ = kFireworksOff;
  int32_t slots_ = 0;
  float power_ = 0;
  int32_t launchUpdates_ = 0;  // updates left in which rockets go up
  Vec3 base_{};
  float xSpan_ = 0, zSpan_ = 0;
  int32_t bursts_ = 0;
  int32_t texture_ = -1;
  std::array<int32_t, kFireworkBurstHandles> burstSounds_{};
  std::array<int32_t, kFireworkWhistleHandles> whistleSounds_{};
  std::array<FireworkRocket, kFireworkSlots> rockets_{};
  std::array<FireworkSpark*, kFireworkFrameCapacity> frame_{};
  int32_t frameCount_ = 0;
  CSpriteBatch batch_;  // made on the first draw of a show
  CRenderer* batchRenderer_ = nullptr;
  PresentationRandom random_{0x46495245u};
};

CFireworksShow& FireworksShow();
// The alpha tables by life: A fades evenly, B flares, holds and flickers.
const uint8_t* FireworkFadeA();
const uint8_t* FireworkFadeB();
