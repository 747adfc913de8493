#pragma once
// Effect sounds that play nothing and keep what was asked while installed:
// the names played and the voices and handles stopped. Each voice is a
// distinct token (1, 2, ... in the order played), never a real voice.
#include <cstdint>
#include <string>
#include <vector>

#include "sound/effect_sounds.h"

class RecordingEffects : public EffectSounds {
 public:
  RecordingEffects() { SetEffectSounds(this); }
  ~RecordingEffects() override { SetEffectSounds(nullptr); }
  RecordingEffects(const RecordingEffects&) = delete;
  RecordingEffects& operator=(const RecordingEffects&) = delete;

  CSoundDevice* PlaySample(const std::string& name, bool /*unique*/) override {
    played.push_back(name);
    return Voice(++issued);
  }
  void StopSample(CSoundDevice* voice) override { stopped.push_back(voice); }
  int32_t PlayNamed(const std::string& name, int32_t /*volume*/) override {
    played.push_back(name);
    return int32_t(++issued);
  }
  bool Playing(int32_t /*handle*/) override { return stillPlaying; }
  void StopHandle(int32_t handle) override { stoppedHandles.push_back(handle); }

  static CSoundDevice* Voice(size_t n) { return reinterpret_cast<CSoundDevice*>(n); }

  std::vector<std::string> played;
  std::vector<CSoundDevice*> stopped;
  std::vector<int32_t> stoppedHandles;
  bool stillPlaying = true;  // no voice ever ends by itself
  size_t issued = 0;
};
