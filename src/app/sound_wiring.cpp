#include "app/sound_wiring.h"

#include "app/interface_wiring.h"

#include "frontend/board_list.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "city/animated_scenery.h"
#include "city/blocks.h"
#include "city/buildings.h"
#include "city/construction_jobs.h"
#include "city/traffic.h"
#include "engine/core/run_state.h"
#include "engine/input/camera_controller.h"
#include "script/profiles.h"
#include "script/script.h"
#include "script/script_args.h"
#include "script/script_bindings.h"
#include "session/chance_cards.h"
#include "session/game_clock.h"
#include "session/session_state.h"
#include "shell/setup_dialogs.h"
#include "shell/startup.h"
#include "sound/game_sound.h"
#include "sound/sound_manager.h"
#include "visuals/overlay/cut_scene.h"
#include "engine/core/overrides.h"

namespace {


// The construction jobs' four lists of the sites nearest the camera, in
// the order the construction rule sounds them.
void FillConstructionSites(SoundSceneView& view) {
  const auto& lists = ConstructionSoundSites();
  static_assert(kSiteListCount == kConstructionLists && kSitesPerList == 2);
  for (int list = 0; list < kConstructionLists; ++list) {
    const SoundSites& sites = lists[size_t(list)];
    view.siteCounts[size_t(list)] = std::clamp(sites.Count, 0, kSitesPerList);
    for (int k = 0; k < view.siteCounts[size_t(list)]; ++k)
      view.sites[size_t(list)][size_t(k)] = {sites.Entries[size_t(k)].Distance, sites.Entries[size_t(k)].Position};
  }
}

// What the sound rules read each frame: read-only views of the camera, the
// clock, the traffic and the blocks.
void FillSoundScene(SoundSceneView& view) {
  view.cameraEye = g_CameraState.drawnEye;
  view.cameraLookAt = g_CameraState.drawnLookAt;
  view.screenMode = GameTime().screenMode;
  view.cutScene = CutScene().Running();
  view.logicTick = LogicTick();
  view.hour = GameClock().hour;
  view.trafficDensity = g_Traffic.Loudness;
  for (int i = 0; i < kSoundCars && i < kNearestVehicles; ++i) {
    const bool near = i < g_Traffic.NearestCount;
    view.cars[i].distance = near ? g_Traffic.Nearest[i].Distance : 101.0f;
    view.cars[i].speed = near ? g_Traffic.Nearest[i].Speed : 0.0f;
  }
  for (int i = 0; i < kSoundBlocks && i < kBlockCount; ++i) {
    const CBlock& block = g_Blocks[i];
    view.crowds[i] = {block.CentreX, block.CentreZ, g_BlockStats[i].GetPeopleCount()};
    const BlockAmbience& ambience = GetBlockAmbience(i);  // measured each logic tick
    view.blocks[i] = {ambience.Position, ambience.Distance};
  }
  FillConstructionSites(view);
  // The traffic measures its nearest cars from where the listener stands.
  SetTrafficCameraPosition(view.cameraEye);
}

// The samples the simulation started, by name, so its stop finds them.
std::map<std::string, int32_t>& StartedSamples() {
  static std::map<std::string, int32_t> started;
  return started;
}

// The profile's volumes go to sound, its board to the texts and parameters,
// its cursor choice to the interface and the window.
class SoundProfileServices : public ProfileServices {
 public:
  void SetVolumes(int32_t music, int32_t effects) override {
    SetMusicVolume(music);
    SetEffectsVolume(effects);
  }
  void LoadBoard(const char* board) override { ::LoadBoard(board); }
  void ShowSystemCursor(bool show) override {
    ApplyCursorMode();
    ::ShowSystemCursor(show);
  }
};
// Every method the game needs has its own body here (checked when built).
RC_OVERRIDES(SoundProfileServices, ProfileServices, SetVolumes);
RC_OVERRIDES(SoundProfileServices, ProfileServices, LoadBoard);
RC_OVERRIDES(SoundProfileServices, ProfileServices, ShowSystemCursor);

int NativePlaySound(lua_State* state) {
  std::string file;
  if (ArgText(state, lua_gettop(state), &file)) ScriptPlaySound(file);
  return 0;
}

// The scenery's trains, aircraft, ship and crane heard through the sound
// rules: vehicle cues (0 to 18) and crane cues (27 to 32).
class SceneryCueSounds : public ScenerySounds {
 public:
  void Cue(int32_t sound, float distance, const Vec3& where, float speed) override {
    constexpr int32_t kLastVehicleSound = 18, kFirstCraneSound = 27;
    if (sound <= kLastVehicleSound) GameSound().OnVehicleSound(sound, distance, speed);
    else if (sound >= kFirstCraneSound) GameSound().PlayCraneSound(sound, where);
  }
  void Ship(int32_t shipType, const Vec3& where) override { GameSound().UpdateShipSound(shipType, where); }
  void CraneVolumes(const Vec3& where) override { GameSound().UpdateCraneVolumes(where); }
};

}  // namespace

void AttachSound() {
  static SoundProfileServices profileServices;
  static SceneryCueSounds scenerySounds;
  SetScenerySounds(&scenerySounds);
  SetProfileServices(&profileServices);
  SetSoundSceneSource(FillSoundScene);
  SetSetupSoundAccess({EnumerateSoundDevices, TestSoundDevice});
  AddScriptBinder(ScriptBindingStage::kGame,
                  [](CScript& script) { script.RegisterFunction(NativePlaySound, "C_PlaySound"); });
}

void OpenSound() {
  CPCSoundManager& manager = CreateSoundManager();
  manager.Init();  // a device that cannot be opened leaves the game silent
  SetMusicVolume(PlayerProfile().MusicVolume);
  SetEffectsVolume(PlayerProfile().SoundVolume);
}

void CloseSound() {
  GameSound().Disable();
  if (CPCSoundManager* manager = SoundManager()) manager->Shutdown();
  DestroySoundManager();
  StartedSamples().clear();
}

void StartLevelSound() {
  GameSound().StopMusic();
  GameSound().Enable();
  // A level started without the menus has its tracks listed too.
  ListDecadeTracks();
}

void ResetGameSound() {
  GameSound().Disable();
  StartedSamples().clear();
}

void ActivateSound(bool active) {
  if (active)
    GameSound().ResumeAll(GamePauseState().Count(3));
  else
    GameSound().PauseAll();
}

void PlayGameEventSound(const GameEvent& event) {
  CPCSoundManager* manager = SoundManager();
  if (const auto* sound = std::get_if<SoundEvent>(&event)) {
    if (manager != nullptr) StartedSamples()[sound->sample] = manager->HandleOf(PlayNamedSound(sound->sample, sound->volume));
  } else if (const auto* stop = std::get_if<StopSoundEvent>(&event)) {
    auto it = StartedSamples().find(stop->sample);
    if (it == StartedSamples().end()) return;
    CSoundDevice* voice = manager ? manager->FromHandle(it->second) : nullptr;
    if (CPCSoundManager::IsPlaying(voice)) StopSoundSample(voice);
    StartedSamples().erase(it);
  } else if (const auto* music = std::get_if<MusicEvent>(&event)) {
    GameSound().PlayMusicTrack(music->era, true);
  } else if (const auto* track = std::get_if<MusicTrackEvent>(&event)) {
    GameSound().PlayMusic(track->track);
  } else if (const auto* card = std::get_if<ChanceCardEvent>(&event); card && card->kind == kCardShown) {
    // The card panel opens on a bad card with a boing, on a good one with a pluck.
    const bool bad = GetChanceCard(card->card).effect > kCardTargetEffect;
    PlaySoundSample(bad ? "Negativeboing.wav" : "Positivepluck.wav", false, false, false, false, 100);
  }
}
