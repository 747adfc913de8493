#include "sound/effect_sounds.h"

#include "sound/game_sound.h"
#include "sound/sound_manager.h"

CSoundDevice* EffectSounds::PlaySample(const std::string& name, bool unique) {
  return PlaySoundSample(name, false, false, false, unique, 100);
}

void EffectSounds::StopSample(CSoundDevice* voice) { StopSoundSample(voice); }

int32_t EffectSounds::PlayNamed(const std::string& name, int32_t volume) {
  CPCSoundManager* manager = SoundManager();
  return manager ? manager->HandleOf(PlayNamedSound(name, volume)) : 0;
}

bool EffectSounds::Playing(int32_t handle) {
  CPCSoundManager* manager = SoundManager();
  return manager != nullptr && CPCSoundManager::IsPlaying(manager->FromHandle(handle));
}

void EffectSounds::StopHandle(int32_t handle) {
  CPCSoundManager* manager = SoundManager();
  CSoundDevice* voice = manager ? manager->FromHandle(handle) : nullptr;
  if (CPCSoundManager::IsPlaying(voice)) StopSoundSample(voice);
}

namespace {

EffectSounds*& Installed() {
  static EffectSounds* installed = nullptr;
  return installed;
}

}  // namespace

EffectSounds& Effects() {
  static EffectSounds game;
  return Installed() ? *Installed() : game;
}

void SetEffectSounds(EffectSounds* effects) { Installed() = effects; }
