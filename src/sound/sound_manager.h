#pragma once
// The program's one sound engine: opens the sound device, keeps 40 sample
// slots of four voices each, 10 stream slots and the music player with its
// track list, the listener, and the effects and music volumes. Every
// operation that reaches the device returns at once while it is not open.
#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/maths.h"
#include "platform/sound_device.h"
#include "sound/sound_voices.h"
#include "sound/wave_reader.h"

inline constexpr int kSampleSlots = 40;
inline constexpr int kVoicesPerSample = 4;
inline constexpr int kStreamSlots = 10;
inline constexpr uint32_t kSampleNameBuckets = 997;

// The bucket of a path in the sample name table.
uint32_t SampleNameBucket(std::string_view path);

class CPCSoundManager {
 public:
  CPCSoundManager();
  ~CPCSoundManager();
  CPCSoundManager(const CPCSoundManager&) = delete;
  CPCSoundManager& operator=(const CPCSoundManager&) = delete;

  bool Init();
  void Shutdown();
  void StopAll();
  void Update();
  CSoundDevice* PlayFile(const std::string& path, bool stream, bool loop, bool positional, bool unique,
                         int32_t volume);
  void StopSound(CSoundDevice* voice);
  static bool IsPlaying(const CSoundDevice* voice) { return voice != nullptr && voice->playing; }
  bool IsMusicCurrent(std::string_view name) const;
  void StopAllSamples();
  void StopEverything();
  void SetDopplerFactor(float factor) { doppler_ = factor; }
  void SetRolloffFactor(float factor) { rolloff_ = factor; }
  void SetListenerPosition(const Vec3& position);
  void SetListenerVelocity(const Vec3& velocity) { listenerVelocity_ = velocity; }
  void SetListenerOrientation(const Vec3& front, const Vec3& top);
  void SetListener(const Vec3& position, const Vec3& front, const Vec3& top);
  // The music's end: replays a listed track, loops or stops (polled by Update).
  void HandleMusicEvents();
  void SetMasterVolume(int32_t percent);
  void SetMusicVolume(int32_t percent);
  void SetEffectsVolume(int32_t percent);
  bool UnloadSample(const std::string& path);
  bool Is3DEnabled() const { return context_.threeD; }
  void AddMusicTrack(std::string_view name, int32_t value);
  CSoundDevice* PlayMusicTrack(int32_t index, bool fade);
  void StopMusic();
  void PauseAll();
  void ResumeAll();
  void ClearMusicTracks() { music_->ClearTracks(); }
  float GetEffectsVolume() const { return context_.effectsScale; }
  CSoundSample* LoadSample(std::string_view name, bool positional);
  // The music's fade runs one step per game tick.
  void AdvanceFade(int32_t ticks);

  bool IsOpen() const { return open_; }
  int32_t MusicVolume() const { return context_.musicVolume; }
  bool MusicOn() const { return context_.musicOn; }
  platform::SoundDevice* Device() { return device_.get(); }
  CMusicStream& Music() { return *music_; }
  // Small handles for callers that keep numbers (0 is none).
  int32_t HandleOf(const CSoundDevice* voice) const;
  CSoundDevice* FromHandle(int32_t handle);

 private:
  struct SampleSlot {
    explicit SampleSlot(SoundContext* context);
    CSoundSample master;
    std::vector<std::unique_ptr<CSoundSample>> voices;
  };
  struct NameEntry {
    std::string path;
    int32_t slot = 0;
  };

  CSoundSample* FindOrLoadSlot(const std::string& path);
  CSoundDevice* PlaySample(const std::string& path, bool loop, bool positional, bool unique, int32_t volume);
  CSoundDevice* PlayStream(const std::string& path, bool loop, bool positional, bool unique, int32_t volume);
  void CommitListener();

  SoundContext context_;
  float savedScale_ = 1.0f;
  int32_t savedMusicVolume_ = 75;
  std::unique_ptr<platform::SoundDevice> device_;
  std::unique_ptr<CWaveReader> reader_;
  std::unique_ptr<CMusicStream> music_;
  std::vector<std::unique_ptr<CSoundStream>> streams_;
  std::vector<std::unique_ptr<SampleSlot>> slots_;
  std::vector<std::vector<NameEntry>> names_;
  // Samples that would not load (missing or bad files): the rules ask for
  // some every tick, and each try would search the disk again.
  std::set<std::string> unreadable_;
  Vec3 listenerPosition_{}, listenerVelocity_{}, front_{0, 0, 1}, top_{0, 1, 0};
  float doppler_ = 0, rolloff_ = 3.0f;
  bool open_ = false;
};

// The program-wide manager; null when none exists.
CPCSoundManager* SoundManager();
CPCSoundManager& CreateSoundManager();
void DestroySoundManager();

// The device choice of the set-up dialog: the output devices' descriptions
// (at most 8), and whether the configured one can be opened.
std::vector<std::string> EnumerateSoundDevices();
bool TestSoundDevice();
