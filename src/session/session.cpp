#include "session/session.h"

#include <algorithm>
#include <cstring>

#include "city/business.h"
#include "city/city_demand.h"
#include "city/construction_jobs.h"
#include "engine/core/error.h"
#include "engine/core/random_stream.h"
#include "session/ai_characters.h"
#include "session/auction.h"
#include "session/chance_cards.h"
#include "session/chat_log.h"
#include "session/city_seller.h"
#include "session/event_queue.h"
#include "session/game_clock.h"
#include "session/game_events.h"
#include "session/game_messages.h"
#include "session/goals.h"
#include "session/scenarios.h"
#include "session/net_log.h"
#include "session/player.h"
#include "session/player_data.h"
#include "session/ready_barrier.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "session/stats_history.h"
#include "session/tick_driver.h"
#include "session/tutorial.h"
#include "session/utility_income.h"
#include "session/save_chunks.h"

void RegisterSessionSaveHooks() {
  InstallSaveChunkTable();
  RegisterSaveHook(kSavePlayers, [] { PlayerTable().SavePlayers(); });
  RegisterSaveHook(kSaveClock, [] { SaveGameClock(); });
  RegisterSaveHook(kSaveEventQueue, [] { EventQueue().Save(); });
  RegisterSaveHook(kSaveStatsHistory, [] { SaveStatsHistory(); });
  RegisterSaveHook(kSaveGameTime, [] {
    // The tick limit is this machine's lockstep grant, which a client hears
    // later than the host gives it: the save holds the limit a game started
    // at this tick would have, the same on every machine.
    GameTimeWords saved = GameTime();
    saved.timeWords[0] = int32_t(LogicTick() + kMessageDeliveryLead);
    WriteRecordChunk(kChunkGameTime, saved);
  });
  RegisterRecordChunk<GameTimeWords>(kChunkGameTime, 24, [](const GameTimeWords& t) { GameTime() = t; });
  // One set-up row and one state per player: no more than the table holds.
  RegisterRecordChunk<PlayerSetupRow>(
      kChunkPlayerSetup, kPlayerSetupRowSize, [](const PlayerSetupRow& r) { PlayerTable().LoadPlayerSetupRow(r); },
      kMaxPlayers);
  RegisterRecordChunk<PlayerSavedState>(
      kChunkPlayers, kPlayerStateSize, [](const PlayerSavedState& s) { PlayerTable().LoadPlayerState(s); },
      kMaxPlayers);
  RegisterRecordChunk<CGameClock>(kChunkClock, kClockChunkSize, [](const CGameClock& c) { GameClock() = c; });
  RegisterRecordChunk<CGameEvent>(kChunkEventQueue, 0, [](const CGameEvent& e) { EventQueue().LoadEntry(e); });
  RegisterRecordChunk<CStatsHistory>(kChunkStatsHistory, kStatsHistorySize,
                                     [](const CStatsHistory& h) { StatsHistory() = h; });
  RegisterAuctionSaveHooks();
  RegisterGoalSaveHooks();
  RegisterConstructionJobsChunk();
  RegisterChanceSaveHooks();
}

void InitSession() { RegisterSessionSaveHooks(); }

void ResetSession() {
  // What was told of the old game is no news for the new one.
  ClearGameEvents();
  Session() = SessionState{};
  Tweaks() = GameTweaks{};
  ResetGameTime();
  ResetTickCounters();
  ResetTickDriver();
  EndPlayerReadyWait();
  PlayerReadyBarrier() = ReadyBarrier{};
  ResetNetLog();
  PlayerTable().DeleteAllPlayers();
  ResetAuction();
  ResetChanceCards();
  // Before the level's scripts, whose level event sets the objective.
  ResetGoals();
  ResetGameClock();
  GetUtilityIncome() = UtilityIncome{};
  ResetUtilityIncome();
  EventQueue().Clear();
  ChatLog().Clear();
  ClearStatsHistory();
  SetLogicSpeed(false);
  ResetAiScores();
  GetAiScriptLimits() = AiScriptLimits{};
  TutorialBuildRestriction() = TutorialBuildChoice{};
}

void StartLevelSession() {
  ResetTickCounters();
  ResetTickDriver();
  ResetGameClock();
  ResetAuction();
  ChatLog().Clear();
  PlayerData().Reset();
  ClearStatsHistory();
  // The level's scripts have set the tweaks by now; the header record holds
  // the game's difficulty (0 until a front end or a load chooses another).
  SelectUtilityIncomeValues(CurrentSaveHeader().difficulty);
  ResetUtilityIncome();
  LoadDecadeParameters(GameClock().decade);
  if (Session().networkSession) SeedRandomStreams(static_cast<uint32_t>(Session().networkSeed));
  ResetChanceCards();
  // What the city lacks, from the city the level's scripts put up.
  StartCityDemand();
  Session().inGame = true;
}
