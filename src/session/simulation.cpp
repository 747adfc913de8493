#include "session/simulation.h"
#include "session/tutorial.h"

#include "city/block_footprints.h"
#include "city/blocks.h"
#include "city/city.h"
#include "city/construction_jobs.h"
#include "city/economy.h"
#include "city/people.h"
#include "city/population_classes.h"
#include "city/traffic.h"
#include "engine/scene/animation.h"
#include "session/auction.h"
#include "session/chance_cards.h"
#include "session/save_chunks.h"
#include "session/event_queue.h"
#include "session/game_clock.h"
#include "session/game_events.h"
#include "session/goals.h"
#include "session/scenarios.h"
#include "session/player.h"
#include "session/player_data.h"
#include "session/ready_barrier.h"
#include "session/session.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "session/stats_history.h"
#include "session/tick_driver.h"
#include "session/utility_income.h"

void InitSimulation() {
  InitCityModel();
  // A map that does not fit its tables has been reported; the game goes on
  // with what was built.
  StartCityStreets();
  EntAnimResetPool();
  ResetTraffic();
  RegisterTrafficSaveHooks();
  ResetPeopleTables();
  RegisterPeopleSaveHooks();
  InitEconomy();
  InitSession();
}

void ResetSimulation() {
  // The session first: its reset drops the players, whose businesses and
  // blocks the city's reset then takes back.
  ResetSession();
  ResetPreferences();
  ResetEconomyForNewGame();
  ResetConstructionJobs();
  ClearCity();
  EntAnimFinishAll();
  ResetPeople();
  ResetBlockStats(true);
  ComputeAllBlockFreeFootprints();
  // Traffic saves nothing: a new or loaded game starts with empty streets.
  ResetTraffic();
  // The players' statistics, counted on the emptied city.
  PlayerData().Reset();
}

void FinishSimulationLoad() {
  Session().inGame = true;
  FinishPeopleLoad();
  // The loaded buildings were linked without their blocks' free rectangles.
  ComputeAllBlockFreeFootprints();
  Session().tickInHour = RunningTick() % kTicksPerHour;
  LoadDecadeParameters(GameClock().decade);
  SelectUtilityIncomeValues(CurrentSaveHeader().difficulty);
  ResetUtilityIncome();
  // The utilities' charge switches that cards turned off stay off.
  FinishChanceLoad();
}

void StartSimulationLevel() {
  StartLevelSession();
  ResetTraffic();
  // The traffic reset dropped the junction claims of people crossing.
  RestorePeopleCrossings();
  CopyBlockPrestige();
}

void StartSimulationRunning() {
  for (int32_t hour = 0; hour <= GameClock().hour; ++hour) RecordStatsHistorySample();
  if (Session().networkSession) BeginPlayerReadyWait();
}

void StopSimulation() { RecordStatsHistorySample(); }

void ClearSimulationAfterGame() {
  ResetPeople();
  EventQueue().Clear();
}
