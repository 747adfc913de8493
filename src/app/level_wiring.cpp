#include "app/level_wiring.h"

#include <array>
#include <algorithm>
#include <string_view>

#include "city/blocks.h"
#include "city/business.h"
#include "city/households.h"
#include "city/people.h"
#include "city/traffic.h"
#include "engine/core/error.h"
#include "script/level_scripts.h"
#include "script/profiles.h"
#include "script/script.h"
#include "script/script_bindings.h"
#include "script/script_session.h"
#include "session/event_queue.h"
#include "session/game_clock.h"
#include "session/player.h"
#include "session/ready_barrier.h"
#include "session/session.h"
#include "session/session_state.h"
#include "session/stats_history.h"
#include "shell/game_level.h"
#include "shell/game_loop.h"
#include "engine/files/save_game.h"

namespace {

constexpr int32_t kFreePlayId = 200001;
constexpr int32_t kNetworkFreePlayId = 300001;
constexpr const char* kDefaultAiScript = "scripts\\default\\ai.lua";
constexpr const char* kDefaultLevelHub = "scripts\\default\\hub.lua";

const std::array<LevelEntry, 2>& KnownLevels() {
  static const std::array<LevelEntry, 2> levels = {
      LevelEntry{kFreePlayId, "freeplay", false},
      LevelEntry{kNetworkFreePlayId, "freeplay", false},
  };
  return levels;
}

class GameSessionServices : public ScriptSessionServices {
 public:
  void LoadAiCharacterScripts() override {
    const LevelEntry* level = CurrentLevelEntry();
    if (level == nullptr)
      Script().RunFile(kDefaultAiScript, true);
    else
      RunAiCharacterScripts(level->folder, Session().networkSession);
  }
};

// ---- Level start ----------------------------------------------------------------

void StartLevelSetup(const LevelEntry*) {
  StartLevelSession();
  ResetTraffic();
  // The traffic reset dropped the junction claims of people crossing.
  RestorePeopleCrossings();
  CopyBlockPrestige();
}

// One statistics sample per hour of the day so far, so the charts start full
// to the current hour.
void StartLevelRunning(const LevelEntry*) {
  for (int32_t hour = 0; hour <= GameClock().hour; ++hour) RecordStatsHistorySample();
  if (Session().networkSession) BeginPlayerReadyWait();
}

// ---- Game end -------------------------------------------------------------------

void EndGameCleanup(bool, int32_t) {
  ResetPeople();
  EventQueue().Clear();
  Script().ClearTimers();
  PlayerProfile().Save();
}

// ---- Load -----------------------------------------------------------------------

// After the header: the saved level's scripts in a new state, then the city
// their "Level" event put up gives way to the saved one.
bool PrepareLoadedLevel() {
  const int32_t id = CurrentSaveHeader().scenarioId;
  const LevelEntry* level = nullptr;
  if (id != 0) {
    level = FindKnownLevel(id);
    if (level == nullptr) {
      ReportErrorF(1, "The saved game's level %d is not known.", id);
      return false;
    }
  }
  SetCurrentLevelEntry(level);
  RunLevelScripts(CurrentLevelEntry());
  ResetBusinessRecords();
  ResetHouseholds();
  ClearCity();
  ResetPeople();
  GameTime().screenMode = 0;
  ResetTraffic();
  CopyBlockPrestige();
  return true;
}

SaveGameHeader CurrentGameHeader() {
  SaveGameHeader header = CurrentSaveHeader();
  const LevelEntry* level = CurrentLevelEntry();
  header.scenarioId = level ? level->id : 0;
  header.year = GameClock().CalendarYear();
  if (const CPlayer* local = PlayerTable().Local()) header.money = local->money;
  return header;
}

bool AnySetupRowFilled() {
  CPlayerTable& players = PlayerTable();
  for (int32_t row = 0; row < kMaxPlayers; ++row)
    if (players.SetupRow(row).kind != kPlayerEmpty) return true;
  return false;
}

}  // namespace

const LevelEntry* FindKnownLevel(int32_t id) {
  for (const LevelEntry& level : KnownLevels())
    if (level.id == id) return &level;
  return nullptr;
}

const LevelEntry& FreePlayLevel() { return KnownLevels()[0]; }

void InstallGameSessionServices() {
  static GameSessionServices services;
  SetSessionGameServices(&services);
}

bool RunLevelScripts(const LevelEntry* level) {
  if (level != nullptr) return StartLevelScripts(level->folder);
  // No level: the rules and economy every level shares, and no city of its own.
  return Script().Create() && Script().RunFile(kDefaultLevelHub, true);
}

void WireLevels() {
  SetNetworkSeedSource([] { return static_cast<uint32_t>(Session().networkSeed); });
  // Errors in the scripts have been reported; the level goes on without them.
  AddLevelStartStep(LevelStartPhase::Scripts, [](const LevelEntry* level) { RunLevelScripts(level); });
  AddLevelStartStep(LevelStartPhase::Players, [](const LevelEntry*) { PlayerTable().CreateSessionPlayers(); });
  AddLevelStartStep(LevelStartPhase::Setup, StartLevelSetup);
  AddLevelStartStep(LevelStartPhase::Running, StartLevelRunning);
  AddGameEndStep(GameEndPhase::Stop, [](bool, int32_t) { RecordStatsHistorySample(); });
  AddGameEndStep(GameEndPhase::Leave, [](bool, int32_t) { Session().inGame = false; });
  AddGameEndStep(GameEndPhase::Cleanup, EndGameCleanup);
  SetScriptEndGameHandler(EndGame);
  AddLoadGameStep(LoadGamePhase::AfterHeader, PrepareLoadedLevel);
  SetSaveHeaderSource(CurrentGameHeader);
}

void StartFreeGameUntilFrontEndExists() {
  const GameRunState& run = RunState();
  if (run.gameRunning || run.quit) return;
  if (!AnySetupRowFilled()) {
    PlayerSetupRow& row = PlayerTable().SetupRow(0);
    row = PlayerSetupRow{};
    row.kind = kPlayerHuman;
    row.character = PlayerProfile().PreferredCharacter;
    const std::string_view name = PlayerProfile().name[0] ? PlayerProfile().name : "Player";
    name.copy(row.name, std::min(name.size(), sizeof row.name - 1));
  }
  StartLevel(&FreePlayLevel());
}
