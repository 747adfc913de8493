#include "shell/game_level.h"

#include <ctime>
#include <optional>
#include <vector>

#include "engine/core/random_stream.h"
#include "shell/game_loop.h"
#include "engine/files/save_game.h"

namespace {

constexpr int32_t kScreenModeCity = 0;
constexpr int32_t kScreenModeFrontEnd = 4;

struct LevelSteps {
  std::vector<LevelStep> start[int(LevelStartPhase::kCount)];
  std::vector<GameEndStep> end[int(GameEndPhase::kCount)];
  std::function<uint32_t()> networkSeed;
  std::optional<LevelEntry> current;
};

LevelSteps& Steps() {
  static LevelSteps steps;
  return steps;
}

void RunStart(LevelStartPhase phase, const LevelEntry* entry) {
  for (const LevelStep& step : Steps().start[int(phase)]) step(entry);
}

void RunEnd(GameEndPhase phase, bool finished, int32_t outcome) {
  for (const GameEndStep& step : Steps().end[int(phase)]) step(finished, outcome);
}

// Every machine of a network game draws the same numbers; a single player
// gets a new game each time.
uint32_t LevelSeed() {
  const LevelSteps& steps = Steps();
  if (IsNetworkGameRunning() && steps.networkSeed) return steps.networkSeed();
  return static_cast<uint32_t>(std::time(nullptr));
}

}  // namespace

void AddLevelStartStep(LevelStartPhase phase, LevelStep step) {
  Steps().start[int(phase)].push_back(std::move(step));
}

void AddGameEndStep(GameEndPhase phase, GameEndStep step) {
  Steps().end[int(phase)].push_back(std::move(step));
}

void SetNetworkSeedSource(std::function<uint32_t()> source) { Steps().networkSeed = std::move(source); }

void ClearLevelSteps() {
  LevelSteps& steps = Steps();
  for (auto& list : steps.start) list.clear();
  for (auto& list : steps.end) list.clear();
  steps.networkSeed = nullptr;
  steps.current.reset();
}

const LevelEntry* CurrentLevelEntry() {
  const auto& current = Steps().current;
  return current ? &*current : nullptr;
}

void SetCurrentLevelEntry(const LevelEntry* entry) {
  auto& current = Steps().current;
  if (entry == nullptr) {
    current.reset();
    return;
  }
  LevelEntry copy = *entry;  // the entry may be the current one
  current = std::move(copy);
}

void StartLevel(const LevelEntry* entry) {
  SetCurrentLevelEntry(entry);
  SeedRandomStreams(LevelSeed());
  ResetGameState();
  GamePauseState().ClearReason(0);
  const LevelEntry* level = CurrentLevelEntry();
  RunStart(LevelStartPhase::Scripts, level);
  RunStart(LevelStartPhase::Players, level);
  GameTime().screenMode = kScreenModeCity;
  RunStart(LevelStartPhase::Setup, level);
  RunState().gameRunning = true;
  RunStart(LevelStartPhase::Running, level);
  GameScheduler().ResetClock();
  GameScheduler().ResetTaskTimes();
}

void EndGame(bool finished, int32_t outcome) {
  RunEnd(GameEndPhase::Stop, finished, outcome);
  CGamePauseState& pause = GamePauseState();
  if (!pause.Paused()) pause.AddReason(0);
  // Through the city view to the front end's screen.
  GameTime().screenMode = kScreenModeFrontEnd;
  RunState().gameRunning = false;
  RunEnd(GameEndPhase::Leave, finished, outcome);
  RunEnd(GameEndPhase::Result, finished, outcome);
  RunEnd(GameEndPhase::Cleanup, finished, outcome);
  EndGameWord() = 0;
}
