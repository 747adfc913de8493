#pragma once
// The one-shot effects the interface and the presentation play by name: the
// panels' ticks and beeps, the auction room's voices, the fireworks. The
// base plays them on the game's sound (nothing when no sound is open); a
// test installs its own to hear what was played.
#include <cstdint>
#include <string>

class CSoundDevice;

class EffectSounds {
 public:
  virtual ~EffectSounds() = default;
  // A sample played once at volume 100 (unique: one voice of it at a time);
  // its voice, null when none.
  virtual CSoundDevice* PlaySample(const std::string& name, bool unique);
  virtual void StopSample(CSoundDevice* voice);
  // A sound by name as it is known to be played, kept by a small handle
  // (0 none) that stays safe after the voice is gone.
  virtual int32_t PlayNamed(const std::string& name, int32_t volume);
  virtual bool Playing(int32_t handle);
  virtual void StopHandle(int32_t handle);
};

EffectSounds& Effects();
void SetEffectSounds(EffectSounds* effects);  // null: the game's sound
