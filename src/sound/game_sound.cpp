#include "sound/game_sound.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "sound/sound_manager.h"

namespace {

constexpr const char* kSampleFolder = "gamedata\\sound\\high\\";
constexpr const char* kMusicFolder = "gamedata\\sound\\music\\";

// The samples loaded at every level start, and whether each is positional.
struct SampleSetEntry {
  const char* file;
  bool positional;
};
constexpr SampleSetEntry kSampleSet[] = {
    {"spot_any_sell.wav", false},
    {"spot_any_buy.wav", false},
    {"auction\\dynam_auctioncounter.wav", false},
    {"ambi_any_build_hospitalbeep.wav", false},
    {"spot_any_ui_lightclick.wav", false},
    {"wavcrash2.wav", false},
    {"shipengine.wav", true},
    {"cranestart.wav", true},
    {"craneend.wav", true},
    {"cranelift.wav", true},
    {"craneloop.wav", true},
    {"ambi_any_traff_trainmotion30.wav", false},
    {"ambi_any_traff_carengine006.wav", false},
    {"air.wav", false},
    {"ambi_day_traff_busycity.wav", false},
    {"motor2.wav", false},
    {"ambi_day_peop_busycity.wav", false},
    {"launch2.wav", false},
    {"echocrackle.wav", false},
    {"echosingle.wav", false},
    {"launch1.wav", false},
    {"launchwhistle.wav", false},
    {"block_sounds//ambi_factory_1.wav", true},
    {"block_sounds//ambi_park_1.wav", true},
    {"block_sounds//ambi_park_2.wav", true},
    {"rand_any_altbuild_saw.wav", true},
    {"ambi_any_altbuild_scaffold.wav", true},
    {"rand_any_altbuild_hammer002.wav", true},
};

// How the game's named one-shot sounds play when a caller gives only the
// name and a volume.
struct NamedSound {
  const char* file;
  bool stream;
  bool loop;
  bool unique;
};
constexpr NamedSound kNamedSounds[] = {
    {"spot_any_sell.wav", false, false, true},
    {"spot_any_buy.wav", false, false, true},
    {"spot_any_ui_lightclick.wav", false, false, true},
    {"auction\\dynam_auctioncounter.wav", false, false, true},
    {"ambi_any_build_hospitalbeep.wav", false, false, true},
    {"auction\\auctionmurmer.wav", true, true, true},
    {"launch1.wav", false, false, false},
    {"launch2.wav", false, false, false},
    {"echocrackle.wav", false, false, false},
    {"echosingle.wav", false, false, false},
    {"launchwhistle.wav", false, false, false},
};

constexpr const char* kConstructionFiles[kConstructionLists] = {
    "ambi_any_altbuild_scaffold.wav", "ambi_any_altbuild_scaffold.wav", "rand_any_altbuild_saw.wav",
    "rand_any_altbuild_hammer002.wav"};
constexpr int32_t kFactoryBlocks[] = {2, 35, 39, 42};
constexpr int32_t kParkBlocks[] = {14, 19, 47, 48, 49, 50, 51};
constexpr int32_t kSchoolBlock = 41;
constexpr int32_t kTimerInterval = 1500;
constexpr int32_t kParkChance = 70;
constexpr int32_t kOwlChance = 100;

SoundSceneSource& SceneSource() {
  static SoundSceneSource source;
  return source;
}

// A rule's volume by distance: the distance truncated, plus one.
int32_t Near(float distance) { return static_cast<int32_t>(distance) + 1; }
int32_t Clamp(double volume, int32_t high) { return std::clamp(static_cast<int32_t>(volume), 0, high); }

float Distance(const Vec3& a, const Vec3& b) {
  const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

void Release(CSoundDevice*& voice) {
  if (voice != nullptr) StopSoundSample(voice);
  voice = nullptr;
}

void SetVolume(CSoundDevice* voice, int32_t volume) {
  if (voice != nullptr) voice->SetVolume(volume);
}

bool ThreeD() { return SoundManager() != nullptr && SoundManager()->Is3DEnabled(); }

bool Stopped(const CSoundDevice* voice) { return voice == nullptr || !voice->playing; }

}  // namespace

CSoundDevice* PlaySoundSample(const std::string& name, bool stream, bool loop, bool positional, bool unique,
                              int32_t volume) {
  CPCSoundManager* manager = SoundManager();
  if (manager == nullptr) return nullptr;
  return manager->PlayFile(kSampleFolder + name, stream, loop, positional, unique, volume);
}

void StopSoundSample(CSoundDevice* voice) {
  if (voice != nullptr && SoundManager() != nullptr) SoundManager()->StopSound(voice);
}

void SetMusicVolume(int32_t percent) {
  if (CPCSoundManager* manager = SoundManager()) manager->SetMusicVolume(percent);
}

void SetEffectsVolume(int32_t percent) {
  if (CPCSoundManager* manager = SoundManager()) manager->SetEffectsVolume(percent);
}

CSoundDevice* PlayNamedSound(const std::string& name, int32_t volume) {
  for (const NamedSound& s : kNamedSounds)
    if (name == s.file) return PlaySoundSample(name, s.stream, s.loop, false, s.unique, volume);
  return PlaySoundSample(name, true, false, false, false, volume);
}

CSoundDevice* ScriptPlaySound(const std::string& file) {
  // A script names a file below the sound folder, nothing above it.
  if (file.empty() || file.size() > 255 || file.find("..") != std::string::npos || file[0] == '/' || file[0] == '\\')
    return nullptr;
  return PlaySoundSample(file, true, false, false, true, 100);
}

CGameSound& GameSound() {
  static CGameSound sound;
  return sound;
}

void SetSoundSceneSource(SoundSceneSource source) { SceneSource() = std::move(source); }
bool HasSoundSceneSource() { return bool(SceneSource()); }

void UpdateSoundListener() {
  if (SoundManager() == nullptr) return;
  SoundSceneView view;
  if (SceneSource()) SceneSource()(view);
  GameSound().Update(view);
}

// ---- CGameSound ----------------------------------------------------------------

CGameSound::CGameSound() = default;

void CGameSound::Enable() {
  v_ = Voices{};
  lastTick_ = 0;
  crowdLevel_ = 0;
  parkTimer_ = owlTimer_ = 0;
  if (CPCSoundManager* manager = SoundManager()) {
    for (const SampleSetEntry& s : kSampleSet) manager->LoadSample(s.file, s.positional);
  }
  on_ = true;
}

void CGameSound::Disable() {
  on_ = false;
  StopAmbientSounds();
  if (CPCSoundManager* manager = SoundManager()) manager->StopAll();
}

void CGameSound::PauseAll() {
  if (SoundManager() == nullptr || paused_) return;
  SoundManager()->PauseAll();
  paused_ = true;
}

void CGameSound::ResumeAll(int32_t pauseSwitchCount) {
  if (!paused_ || pauseSwitchCount > 0 || SoundManager() == nullptr) return;
  SoundManager()->ResumeAll();
  paused_ = false;
}

void CGameSound::StopAmbientSounds() {
  // Every sample voice and stream stops; the held voices are let go, but
  // for the crane's end (a one-shot that blocks its own restart).
  if (CPCSoundManager* manager = SoundManager()) manager->StopAllSamples();
  if (!on_ || screenMode_ == 1) Release(v_.traffic);
  CSoundDevice* craneEnd = v_.craneEnd;
  v_ = Voices{};
  v_.craneEnd = craneEnd;
}

void CGameSound::Update(const SoundSceneView& view) {
  CPCSoundManager* manager = SoundManager();
  if (manager == nullptr) return;
  // Going into the auction room and coming out of it silence the city's
  // ambience; the rules below start again what the new screen should hear.
  const bool wasInRoom = screenMode_ == 1;
  screenMode_ = view.screenMode;
  if (wasInRoom != (screenMode_ == 1)) StopAmbientSounds();
  camera_ = view.cameraEye;
  if (manager->Is3DEnabled()) {
    Vec3 front{view.cameraLookAt.x - camera_.x, view.cameraLookAt.y - camera_.y, view.cameraLookAt.z - camera_.z};
    const float length = std::sqrt(front.x * front.x + front.y * front.y + front.z * front.z);
    front = length > 0 ? Vec3{front.x / length, front.y / length, front.z / length} : Vec3{0, 0, 1};
    manager->SetListener(camera_, front, Vec3{0, 1, 0});
  }
  // A new or loaded game starts its count again.
  const int32_t elapsed = view.logicTick >= lastTick_ ? static_cast<int32_t>(
                                                            std::min<uint32_t>(view.logicTick - lastTick_, 1u << 20))
                                                      : 0;
  if (on_) {
    TrafficRule(view);
    CrowdRule(view);
    if (InRoomOrPlan() || view.cutScene) {
      ReleaseConstruction();
    } else {
      for (int list = 0; list < kConstructionLists; ++list) ConstructionRule(view, list);
    }
    if (!InRoomOrPlan()) {
      BlockRule(view, elapsed);
      SeaRule(view);
    }
  }
  lastTick_ = view.logicTick;
  manager->Update();
  manager->AdvanceFade(elapsed);
}

void CGameSound::TrafficRule(const SoundSceneView& view) {
  if (InRoomOrPlan()) {
    for (CSoundDevice*& motor : v_.motors) Release(motor);
    // In the plan view the loop keeps its last volume.
    if (screenMode_ == 1) Release(v_.traffic);
    return;
  }
  if (v_.traffic == nullptr) v_.traffic = PlaySoundSample("ambi_day_traff_busycity.wav", false, true, false, true, 0);
  SetVolume(v_.traffic, std::min(static_cast<int32_t>(view.trafficDensity * 200 + 20), 80));
  for (int i = 0; i < kSoundCars; ++i) {
    const SoundSceneView::Car& car = view.cars[i];
    CSoundDevice*& motor = v_.motors[i];
    if (car.distance >= 100) {
      Release(motor);
    } else if (motor != nullptr) {
      motor->SetVolume(Clamp(55 - (car.distance + 1) * 0.5, 100));
      motor->SetFrequency(static_cast<int32_t>(car.speed * 1.1111112f * 11025 + 22050));
    } else {
      motor = PlaySoundSample("motor2.wav", false, true, false, false, 0);
    }
  }
}

void CGameSound::CrowdRule(const SoundSceneView& view) {
  if (InRoomOrPlan() || view.cutScene) {
    Release(v_.crowd);
    return;
  }
  const Vec3& eye = view.cameraEye;
  float level = 0;
  for (const SoundSceneView::Crowd& c : view.crowds) {
    float d = std::sqrt(eye.y * eye.y + (eye.z - c.z) * (eye.z - c.z) + (eye.x - c.x) * (eye.x - c.x)) + 1;
    if (d > 500) d = 5000;
    if (d < 100) d = 100;
    level += 50 / d * static_cast<float>(c.count);
  }
  crowdLevel_ = level;
  if (level > 30) {
    if (v_.crowd == nullptr) v_.crowd = PlaySoundSample("ambi_day_peop_busycity.wav", false, true, false, true, 0);
    SetVolume(v_.crowd, Clamp(level - 30, 65));
  } else {
    Release(v_.crowd);
  }
}

void CGameSound::ReleaseConstruction() {
  for (auto& pair : v_.construction)
    for (CSoundDevice*& voice : pair) Release(voice);
}

void CGameSound::ConstructionRule(const SoundSceneView& view, int list) {
  auto& pair = v_.construction[list];
  const int32_t count = std::clamp(view.siteCounts[list], 0, kSitesPerList);
  if (count == 0) {
    for (CSoundDevice*& voice : pair) Release(voice);
    return;
  }
  const char* file = kConstructionFiles[list];
  const bool threeD = ThreeD();
  for (int k = 0; k < count; ++k) {
    const SoundSceneView::Site& site = view.sites[list][k];
    CSoundDevice*& voice = pair[k];
    if (site.distance > 250) {
      SetVolume(voice, 0);
      continue;
    }
    if (voice == nullptr) {
      voice = PlaySoundSample(file, false, true, threeD, false, 0);
      if (voice != nullptr && threeD) voice->SetMinMaxDistance(80, 250);
    }
    if (voice == nullptr) continue;
    if (threeD) {
      voice->SetPosition(site.position);
      voice->SetVolume(70);
    } else {
      voice->SetVolume(Clamp(90 - 90.0 * Near(site.distance) / 250, 90));
      // Without positions only the nearest site within reach sounds.
      break;
    }
  }
}

int32_t CGameSound::DrawPercent() { return static_cast<int32_t>(random_.Rand() % 101); }

void CGameSound::BlockRule(const SoundSceneView& view, int32_t elapsed) {
  for (int32_t block : kFactoryBlocks)
    PlayBlockSound(view, block, "Block_Sounds\\ambi_factory_1.wav", true, true, true);
  for (int32_t block : kParkBlocks) ParkRule(view, block, elapsed);
  const int32_t hour = view.hour;
  if (hour >= 8 && hour <= 15) {
    PlayBlockSound(view, kSchoolBlock, "Block_Sounds\\SchoolPlayground.wav", true, true, false);
  } else {
    Release(v_.blocks[kSchoolBlock]);
  }
}

void CGameSound::ParkRule(const SoundSceneView& view, int32_t block, int32_t elapsed) {
  const int32_t hour = view.hour;
  CSoundDevice*& voice = v_.blocks[block];
  if (hour >= 7 && hour <= 19) {
    parkTimer_ += elapsed;
    // A draw that fails leaves the timer, so every later update draws again.
    if (parkTimer_ >= kTimerInterval && DrawPercent() <= kParkChance && Stopped(voice)) {
      const bool second = random_.Rand() % 11 > 4;
      PlayBlockSound(view, block, second ? "block_sounds//ambi_park_2.wav" : "block_sounds//ambi_park_1.wav",
                     false, true, true);
      parkTimer_ = 0;
    }
  }
  if ((hour >= 21 || hour <= 5) && view.blocks[block].distance <= 150) {
    owlTimer_ += elapsed;
    if (owlTimer_ >= kTimerInterval) {
      if (DrawPercent() <= kOwlChance && Stopped(voice))
        PlayBlockSound(view, block, "block_sounds//owl6.wav", false, true, false);
      owlTimer_ = 0;
    }
  }
  if (hour == 20 || hour == 5) {
    for (int32_t park : kParkBlocks) Release(v_.blocks[park]);
  }
}

void CGameSound::PlayBlockSound(const SoundSceneView& view, int32_t block, const char* file, bool loop, bool unique,
                                bool sample) {
  const SoundSceneView::Ambience& source = view.blocks[block];
  CSoundDevice*& voice = v_.blocks[block];
  if (source.distance > 300) {
    Release(voice);
    return;
  }
  const bool threeD = ThreeD();
  if (voice == nullptr || !loop) {
    voice = PlaySoundSample(file, !sample, loop, threeD, unique, 0);
    if (voice != nullptr && threeD) voice->SetMinMaxDistance(80, 800);
  }
  if (voice == nullptr) return;
  if (threeD) {
    voice->SetPosition(source.position);
    voice->SetVolume(100);
  } else {
    const float d = std::clamp(source.distance, 1.0f, 300.0f);
    voice->SetVolume(Clamp(100 - Near(d) * 0.0022222223 * 100, 100));
  }
}

void CGameSound::SeaRule(const SoundSceneView& view) {
  const float z = view.cameraEye.z;
  if (z >= -150) {
    SetVolume(v_.sea, 0);
    return;
  }
  const float x = std::clamp(-z - 150, 1.0f, 150.0f);
  if (v_.sea == nullptr) v_.sea = PlaySoundSample("wavcrash2.wav", false, true, false, true, 0);
  SetVolume(v_.sea, static_cast<int32_t>(x / 150 * 80));
}

void CGameSound::UpdateShipSound(int32_t kind, const Vec3& ship) {
  const float d = Distance(camera_, ship);
  if (InRoomOrPlan() || d > 800) {
    Release(v_.shipHorn);
    Release(v_.shipEngine);
    return;
  }
  const bool threeD = ThreeD();
  if (v_.shipEngine == nullptr) {
    v_.shipEngine = PlaySoundSample("shipengine.wav", false, true, threeD, true, 0);
    if (v_.shipEngine != nullptr && threeD) v_.shipEngine->SetMinMaxDistance(80, 300);
  }
  if (v_.shipEngine != nullptr) {
    if (threeD) {
      v_.shipEngine->SetPosition(ship);
      v_.shipEngine->SetVolume(100);
    } else {
      v_.shipEngine->SetVolume(Clamp(100 - Near(d) * 0.00125 * 100, 100));
    }
  }
  random_.Rand();  // the draw keeps the stream's place; its value is not used
  if (v_.shipHorn == nullptr) {
    v_.shipHorn = PlaySoundSample(kind != 0 && kind != 2 ? "shiphorn.wav" : "oceanlin.wav", true, false, threeD,
                                  true, 0);
    if (v_.shipHorn != nullptr && threeD) v_.shipHorn->SetMinMaxDistance(170, 900);
  }
  if (v_.shipHorn == nullptr) return;
  if (threeD) {
    v_.shipHorn->SetPosition(ship);
    v_.shipHorn->SetVolume(100);
  } else {
    v_.shipHorn->SetVolume(v_.shipEngine != nullptr ? v_.shipEngine->GetVolume() : 0);
  }
}

void CGameSound::ReleaseCrane() {
  Release(v_.craneStart);
  Release(v_.craneLift);
  Release(v_.craneLoop);
}

void CGameSound::PlayCraneSound(int32_t event, const Vec3& crane) {
  if (InRoomOrPlan() || Distance(camera_, crane) > 300) {
    ReleaseCrane();
    return;
  }
  CSoundDevice** voice = nullptr;
  const char* file = nullptr;
  bool loop = false;
  switch (event) {
    case 27: voice = &v_.craneStart, file = "cranestart.wav"; break;
    case 28: voice = &v_.craneEnd, file = "craneend.wav"; break;
    case 29: voice = &v_.craneLift, file = "cranelift.wav", loop = true; break;
    case 31: voice = &v_.craneLoop, file = "craneloop.wav", loop = true; break;
    case 30: Release(v_.craneLift); return;
    case 32: Release(v_.craneLoop); return;
    default: return;
  }
  if (*voice != nullptr) return;
  const bool threeD = ThreeD();
  *voice = PlaySoundSample(file, false, loop, threeD, true, 0);
  if (*voice == nullptr || !threeD) return;
  (*voice)->SetMinMaxDistance(80, 200);
  (*voice)->SetPosition(crane);
  (*voice)->SetVolume(70);
}

void CGameSound::UpdateCraneVolumes(const Vec3& crane) {
  if (ThreeD()) return;
  const int32_t volume = Clamp(100 - Near(Distance(camera_, crane)) / 3, 100);
  for (CSoundDevice* voice : {v_.craneStart, v_.craneEnd, v_.craneLift, v_.craneLoop}) SetVolume(voice, volume);
}

void CGameSound::OnVehicleSound(int32_t kind, float distance, float speed) {
  if (InRoomOrPlan()) {
    if (!on_ || screenMode_ == 1) Release(v_.traffic);
    for (CSoundDevice*& motor : v_.motors) Release(motor);
    Release(v_.crowd);
    Release(v_.engine);
    Release(v_.aircraft);
    Release(v_.trainMotion);
    SetVolume(v_.whistle, 0);
    ReleaseConstruction();
    Release(v_.sea);
    return;
  }
  if (kind == 0 || kind == 3) {
    if (distance > 500) {
      Release(v_.engine);
      Release(v_.aircraft);
      return;
    }
    CSoundDevice*& voice = kind == 0 ? v_.engine : v_.aircraft;
    const int32_t volume = Clamp(60 - (distance + 1) * 0.125, 100);
    if (voice == nullptr)
      voice = PlaySoundSample(kind == 0 ? "ambi_any_traff_carengine006.wav" : "air.wav", false, true, false, true, 0);
    else
      voice->SetVolume(volume);
  } else if (kind == 1 || kind == 4 || kind == 5) {
    if (distance > 500) {
      Release(v_.engine);
      Release(v_.aircraft);
    }
  } else if (kind >= 7 && kind <= 18) {
    TrainSound(kind, distance, speed);
  }
}

void CGameSound::TrainSound(int32_t kind, float distance, float speed) {
  if (kind == 9) Release(v_.trainMotion);
  if (distance > 500) {
    Release(v_.trainMotion);
    SetVolume(v_.whistle, 0);
  } else {
    const int32_t whistle = Clamp(70 - (distance + 1) * 0.05, 100);
    if (kind == 8) {
      // A whistle already sounding stays held rather than being lost.
      if (CSoundDevice* w = PlaySoundSample("spot_any_train_toot30.wav", true, false, false, true, whistle))
        v_.whistle = w;
    } else {
      SetVolume(v_.whistle, whistle);
    }
    if (kind == 7) {
      if (v_.trainMotion == nullptr)
        v_.trainMotion = PlaySoundSample("ambi_any_traff_trainmotion30.wav", false, true, false, true, 0);
      if (v_.trainMotion != nullptr) v_.trainMotion->SetFrequency(static_cast<int32_t>(speed * 0.25f * 22050 + 11025));
    }
    if (kind == 11)
      SetVolume(v_.trainMotion, 0);
    else
      SetVolume(v_.trainMotion, Clamp(70 - (distance + 1) * 0.1, 100));
  }
  if (v_.whistle != nullptr && !v_.whistle->playing) Release(v_.whistle);
}

void CGameSound::PlayMusic(const std::string& name) {
  CPCSoundManager* manager = SoundManager();
  if (manager == nullptr || manager->IsMusicCurrent(name)) return;
  music_ = manager->PlayFile(kMusicFolder + name, true, true, false, false, 100);
}

void CGameSound::ClearMusicList() {
  if (CPCSoundManager* manager = SoundManager()) manager->ClearMusicTracks();
}

void CGameSound::AddMusicTrack(const std::string& name, int32_t value) {
  if (CPCSoundManager* manager = SoundManager()) manager->AddMusicTrack(name, value);
}

bool CGameSound::PlayMusicTrack(int32_t index, bool fade) {
  CPCSoundManager* manager = SoundManager();
  if (manager == nullptr || !manager->MusicOn()) return false;
  music_ = manager->PlayMusicTrack(index, fade);
  return music_ != nullptr;
}

void CGameSound::StopMusic() {
  if (CPCSoundManager* manager = SoundManager()) manager->StopMusic();
}

void ListDecadeTracks() {
  static const char* const kDecadeTracks[] = {"music_30s.wma", "music_40s.wma", "music_50s.wma", "music_60s.wma",
                                              "music_70s.wma", "music_80s.wma", "music_90s.wma"};
  GameSound().ClearMusicList();
  for (int32_t i = 0; i < int32_t(std::size(kDecadeTracks)); ++i) GameSound().AddMusicTrack(kDecadeTracks[i], i);
}
