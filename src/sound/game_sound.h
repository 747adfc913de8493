#pragma once
// The game's sound rules: which sound plays when. Once per frame the listener
// follows the camera and the ambient rules run (traffic, crowds, construction
// sites, block sounds, the sea); the scenery calls the ship, crane and
// vehicle rules; the rest of the game plays named samples and music through
// the free functions below. Everything goes through the sound manager and
// does nothing while there is none or it is not open.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/core/maths.h"
#include "engine/core/random_stream.h"

class CSoundDevice;

inline constexpr int kSoundBlocks = 52;
inline constexpr int kSoundCars = 3;
inline constexpr int kConstructionLists = 4;
inline constexpr int kSitesPerList = 2;

// What the rules read of the world each frame, filled by the program from
// the camera, the clock and the city (read only).
struct SoundSceneView {
  Vec3 cameraEye{};
  Vec3 cameraLookAt{0, 0, 1};
  int32_t screenMode = 0;  // 0 city, 1 auction room, 2 blank, 3 plan view, 4 menu overlay
  bool cutScene = false;
  uint32_t logicTick = 0;
  int32_t hour = 12;
  float trafficDensity = 0;  // the traffic's loudness sum
  struct Car {
    float distance = 101;
    float speed = 0;
  };
  std::array<Car, kSoundCars> cars{};
  struct Crowd {
    float x = 0, z = 0;
    int32_t count = 0;
  };
  std::array<Crowd, kSoundBlocks> crowds{};
  struct Site {
    float distance = 0;
    Vec3 position{};
  };
  // Scaffold going up, scaffold coming down, growing, sinking: the two
  // sites of each nearest the camera.
  std::array<std::array<Site, kSitesPerList>, kConstructionLists> sites{};
  std::array<int32_t, kConstructionLists> siteCounts{};
  struct Ambience {
    Vec3 position{};
    float distance = 100000;
  };
  std::array<Ambience, kSoundBlocks> blocks{};
};

using SoundSceneSource = std::function<void(SoundSceneView&)>;

class CGameSound {
 public:
  CGameSound();

  void Enable();
  void Disable();
  void PauseAll();
  // Resumes unless the pause switch's reason still holds (its count given).
  void ResumeAll(int32_t pauseSwitchCount);
  void StopAmbientSounds();
  // The per-frame rules, on what the world shows now.
  void Update(const SoundSceneView& view);

  void PlayMusic(const std::string& name);
  void ClearMusicList();
  void AddMusicTrack(const std::string& name, int32_t value);
  bool PlayMusicTrack(int32_t index, bool fade);
  void StopMusic();

  void UpdateShipSound(int32_t kind, const Vec3& ship);
  void PlayCraneSound(int32_t event, const Vec3& crane);
  void UpdateCraneVolumes(const Vec3& crane);
  void OnVehicleSound(int32_t kind, float distance, float speed);

  bool enabled() const { return on_; }
  bool paused() const { return paused_; }
  float crowdLevel() const { return crowdLevel_; }
  CRandomStream& Random() { return random_; }

  // The held voices (tests look at them).
  struct Voices {
    CSoundDevice* traffic = nullptr;
    CSoundDevice* crowd = nullptr;
    CSoundDevice* engine = nullptr;
    CSoundDevice* aircraft = nullptr;
    CSoundDevice* trainMotion = nullptr;
    std::array<CSoundDevice*, kSoundCars> motors{};
    CSoundDevice* whistle = nullptr;
    std::array<std::array<CSoundDevice*, kSitesPerList>, kConstructionLists> construction{};
    std::array<CSoundDevice*, kSoundBlocks> blocks{};
    CSoundDevice* sea = nullptr;
    CSoundDevice* craneStart = nullptr;
    CSoundDevice* craneLift = nullptr;
    CSoundDevice* craneLoop = nullptr;
    CSoundDevice* craneEnd = nullptr;
    CSoundDevice* shipEngine = nullptr;
    CSoundDevice* shipHorn = nullptr;
  };
  const Voices& voices() const { return v_; }
  int32_t parkTimer() const { return parkTimer_; }

 private:
  void TrafficRule(const SoundSceneView& view);
  void CrowdRule(const SoundSceneView& view);
  void ConstructionRule(const SoundSceneView& view, int list);
  void BlockRule(const SoundSceneView& view, int32_t elapsed);
  void ParkRule(const SoundSceneView& view, int32_t block, int32_t elapsed);
  void SeaRule(const SoundSceneView& view);
  void TrainSound(int32_t kind, float distance, float speed);
  void PlayBlockSound(const SoundSceneView& view, int32_t block, const char* file, bool loop, bool unique,
                      bool sample);
  void ReleaseConstruction();
  void ReleaseCrane();
  int32_t DrawPercent();
  bool InRoomOrPlan() const { return screenMode_ == 3 || screenMode_ == 1; }

  bool on_ = false;
  CSoundDevice* music_ = nullptr;
  Voices v_;
  uint32_t lastTick_ = 0;
  bool paused_ = false;
  CRandomStream random_;
  float crowdLevel_ = 0;
  int32_t screenMode_ = 0;
  Vec3 camera_{};
  int32_t parkTimer_ = 0;
  int32_t owlTimer_ = 0;
};

// The one rules object (built on first use; the program touches it where its
// random stream belongs in the list).
CGameSound& GameSound();

// Plays "gamedata\sound\high\<name>"; null when nothing plays.
// The music of the seven decades, by decade, as the tracks to play (a level
// start and the menus list them).
void ListDecadeTracks();
CSoundDevice* PlaySoundSample(const std::string& name, bool stream, bool loop, bool positional, bool unique,
                              int32_t volume);
void StopSoundSample(CSoundDevice* voice);
void SetMusicVolume(int32_t percent);
void SetEffectsVolume(int32_t percent);

// The per-frame update: the scene from the installed source, the rules and
// the manager's own update.
void SetSoundSceneSource(SoundSceneSource source);
bool HasSoundSceneSource();
void UpdateSoundListener();

// How the rest of the game plays a named sound when it gives only the name
// and a volume: the way the sound is known to be played (sample or stream,
// unique), else a one-shot stream.
CSoundDevice* PlayNamedSound(const std::string& name, int32_t volume);

// The script function C_PlaySound(file): a one-shot stream; names that
// reach outside the sound folder are refused (null).
CSoundDevice* ScriptPlaySound(const std::string& file);
