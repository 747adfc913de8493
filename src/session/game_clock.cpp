#include "session/game_clock.h"

#include <algorithm>

#include "session/chance_cards.h"
#include "session/goals.h"
#include "session/scenarios.h"

#include <cstdio>

#include "city/animated_scenery.h"
#include "city/blocks.h"
#include "city/business.h"
#include "city/city_services.h"
#include "city/house_hunt.h"
#include "city/people.h"
#include "city/traffic.h"
#include "engine/core/byte_io.h"
#include "session/game_events.h"
#include "session/player.h"
#include "session/player_data.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "session/stats_history.h"
#include "session/utility_income.h"
#include "engine/core/command_script.h"
#include "session/save_chunks.h"

CGameClock& GameClock() {
  static CGameClock clock;
  return clock;
}

void ResetGameClock() {
  GameClock() = CGameClock{};
  Session().tickInHour = 0;
}

int32_t GetAbsoluteGameHour(const CGameClock& c) { return c.hour + 24 * c.yearInDecade + 240 * c.decade; }

void AdvanceGameHour() {
  CGameClock& c = GameClock();
  SessionGameServices& game = *Services().game;
  Session().tickInHour = 0;
  ++c.hour;
  RunHourlyUpdate();
  if (c.hour > 23) {
    DayTick() = 0;
    c.hour = 0;
    // A script's years per day outside 0..10 would skip decades or run back.
    c.yearInDecade += std::clamp(Tweaks().yearsPerDay, 0, 10);
    if (c.dayCounter < INT32_MAX) ++c.dayCounter;
    if (!game.CutSceneRunning() && !ScenarioManager().IsTutorialRunning() && Tweaks().aiDayRollover) game.RunAiDayRollover();
    if (c.yearInDecade > 9 && c.decade >= kLastDecade) {
      c.yearInDecade = 9;
    } else if (c.yearInDecade > 9) {
      c.yearInDecade %= 10;
      ++c.decade;
      if (c.decade < kDecadeCount) LoadDecadeParameters(c.decade);
    }
    if (!Session().networkSession) SaveGame("autosave.sav");
  }
  c.absoluteHour = GetAbsoluteGameHour(c);
}

void RunHourlyUpdate() {
  SessionGameServices& game = *Services().game;
  if (game.CutSceneRunning() || ScenarioManager().IsTutorialRunning()) return;
  CPlayerTable& players = PlayerTable();
  const int32_t hour = GameClock().hour;

  game.CatchEvent("HourlyUpdate", hour);
  if (hour == 18) RunDailyVote();
  CheckDebtsHourly(hour);
  if (Session().shellGameMode != 3) ScheduleSceneryForHour(hour);
  UpdateBusinessesHourly();
  UpdateBlockLeasesHourly();
  if (hour == 24) {
    CloseBusinessDay();
    players.SwapLedgers();
  }
  if (hour == 6) {
    PostGameEvent(StopSoundEvent{kPreSixSample});
    game.CatchEvent("EndOfDay", 0);
    SettleBusinessesDaily();
    players.ClearCardEffects();
    PayDailyRailUtilityIncome();
  }
  if (hour == 10) game.CatchEvent("BlockUnlock", GameClock().dayCounter);
  if (hour == 5) UpdatePeopleDaily();
  if (hour == 17) {
    // The house hunt weighs rents against today's city average.
    PlayerData().MarkAveragesStale();
    UpdateHouseHuntDaily();
  }
  for (int i = 0; i < kMaxPlayers; ++i) {
    CPlayer* p = players.Get(i);
    if (p == nullptr || !p->inUse) continue;
    ChanceHourlyTick(*p);
  }
  game.RunAiHourlyUpdate();
  RecordStatsHistorySample();
}

void SaveGameClock() { WriteRecordChunk(kChunkClock, GameClock()); }

void ReadDecadeParameterFiles(int32_t decade) {
  for (int32_t i = 0; i <= decade && i < kDecadeCount; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "parameters\\%d.prm", 1930 + 10 * i);
    ReadParameterFile(name);
  }
}

void LoadDecadeParameters(int32_t decade) {
  ReadDecadeParameterFiles(decade);
  UpdateTrafficForDecade(decade);
  const CGameClock& c = GameClock();
  bool startOfDay = c.hour < 2;
  static const char* const kIntroEvents[] = {nullptr,             "BusinessIntro1940", "BusinessIntro1950",
                                             "BusinessIntro1960", "BusinessIntro1970", "BusinessIntro1980"};
  if (c.decade >= 0 && c.decade <= 6) {
    PostGameEvent(MusicEvent{c.decade});
    if (c.decade >= 1 && c.decade <= 5 && startOfDay)
      Services().game->TriggerEvent(kIntroEvents[c.decade], 1250, 0);
  }
}
