#pragma once
// A fresh game session over the built-in city for a test: default services
// replaced by recording ones, a scratch game root, message boxes captured.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "city/road_topology.h"
#include "city/city_fixture.h"
#include "city/city_services.h"
#include "city/construction_jobs.h"
#include "engine/core/error.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "session/auction.h"
#include "session/chance_cards.h"
#include "session/chat_log.h"
#include "session/event_queue.h"
#include "session/goals.h"
#include "session/scenarios.h"
#include "session/game_clock.h"
#include "session/game_events.h"
#include "session/player.h"
#include "session/player_data.h"
#include "session/session.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "session/stats_history.h"
#include "session/tick_driver.h"
#include "session/utility_income.h"
#include "engine/core/run_state.h"
#include "session/save_chunks.h"

// Writes the name of every step it is asked for into one log; the game
// events posted so far join it (prompts, sounds, music) when it is read.
struct StepLog {
  std::vector<std::string> steps;
  bool Has(const std::string& s) {
    TakeEvents();
    for (const auto& x : steps)
      if (x == s) return true;
    return false;
  }
  int Count(const std::string& s) {
    TakeEvents();
    int n = 0;
    for (const auto& x : steps) n += x == s;
    return n;
  }
  void TakeEvents() {
    for (const GameEvent& e : TakeGameEvents()) {
      if (const auto* p = std::get_if<PromptEvent>(&e))
        steps.push_back("prompt " + std::to_string(p->portrait) + " " + std::to_string(p->line) + " " +
                        std::to_string(p->body));
      else if (const auto* s = std::get_if<SoundEvent>(&e))
        steps.push_back(std::string("sound ") + s->sample + " " + std::to_string(s->volume));
      else if (const auto* t = std::get_if<StopSoundEvent>(&e))
        steps.push_back(std::string("stop ") + t->sample);
      else if (const auto* m = std::get_if<MusicEvent>(&e))
        steps.push_back("music " + std::to_string(m->era));
    }
  }
};

// The city's visual effects, which the tick driver and the clock step at
// their places.
struct RecordingVisuals : CityVisualServices {
  StepLog* log;
  explicit RecordingVisuals(StepLog* l) : log(l) {}
  void UpdateNightWindows() override { log->steps.push_back("windows"); }
  void UpdateSmokeEmitters() override { log->steps.push_back("smoke"); }
  void StepPulsingLights() override { log->steps.push_back("lights"); }
};

struct RecordingGame : SessionGameServices {
  StepLog* log;
  bool quitOnAi = false;
  explicit RecordingGame(StepLog* l) : log(l) {}
  void CatchEvent(const char* name, int32_t arg) override {
    log->steps.push_back(std::string("event ") + name + " " + std::to_string(arg));
  }
  void TriggerEvent(const char* name, int32_t delay, int32_t arg) override {
    log->steps.push_back(std::string("trigger ") + name + " " + std::to_string(delay) + " " + std::to_string(arg));
  }
  void TickScriptTimers() override { log->steps.push_back("timers"); }
  void RunAiTick() override {
    log->steps.push_back("ai");
    if (quitOnAi) RunState().quit = true;
  }
  void RunAiHourlyUpdate() override { log->steps.push_back("ai-hourly"); }
  void RunAiDayRollover() override { log->steps.push_back("ai-day"); }
};


class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() /
            ("rc_session_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "parameters");
    std::filesystem::create_directories(root_ / "profiles" / "test");
    oldRoot_ = platform::GameRoot();
    platform::SetGameRoot(root_.string());
    oldBackend_ = platform::SetMessageBoxBackend(
        [this](std::string_view, std::string_view text, platform::BoxIcon, platform::BoxButtons) {
          boxes.push_back(std::string(text));
          return platform::BoxResult::Ok;
        });
    ThrowOnFatalError();
    SetRouteTableImage({});  // these games run without a route table, knowingly
    // The program's new-game reset (in BuildTestCity), then the city.
    RestoreDefaultSessionServices();
    BuildTestCity();
    SetCityVisualServices(&visuals);
    SetSessionGameServices(&game);
    ClearSaveHooks();
    SetSaveProfileSource([] { return std::string("test"); });
    RegisterSessionSaveHooks();
    // The program's run and pause state, and the next game's choices (no
    // level list, no set-up rows), are no game state: each test starts them
    // afresh.
    RunState().quit = false;
    GamePauseState().Reset();
    PlayerTable().ClearPlayerSetupRows();
    ScenarioManager().Clear();
    // The players' statistics on the built city, as a level's start counts them.
    PlayerData().Reset();
  }

  void TearDown() override {
    ScenarioManager().Clear();
    ResetAuction();
    PlayerTable().DeleteAllPlayers();
    EventQueue().Clear();
    RestoreDefaultSessionServices();
    RestoreDefaultCityServices();
    ClearSaveHooks();
    GamePauseState().Reset();
    RunState().quit = false;
    platform::SetMessageBoxBackend(oldBackend_);
    platform::SetGameRoot(oldRoot_);
    std::filesystem::remove_all(root_);
  }

  // A single-player game: a local human in slot 0 and `computers` computer players.
  void MakePlayers(int computers = 0) {
    ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerHuman, 0, "Me"));
    for (int i = 0; i < computers; ++i) ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerComputer, i, "Cpu"));
    PlayerTable().SetLocal(PlayerTable().Get(0));
  }

  // The current level is a tutorial.
  void StartTutorial() { ScenarioManager().SetCurrent(ScenarioManager().RegisterLevel(100001, "", "lesson", "")); }

  void RunTicks(int n) {
    for (int i = 0; i < n; ++i) RunLogicTicks();
  }

  bool HasBox(const std::string& text) const {
    for (const auto& b : boxes)
      if (b == text) return true;
    return false;
  }

  StepLog log;
  RecordingVisuals visuals{&log};
  RecordingGame game{&log};
  std::vector<std::string> boxes;
  std::filesystem::path root_;

 private:
  std::string oldRoot_;
  platform::MessageBoxBackend oldBackend_;
};
