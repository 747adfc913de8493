// Computer players only: a game of six computer players and no human on the
// free-play level, run headless through the game root at full speed. Prints
// the standings each game day, the winner, and the computer players' share
// of the tick time (measured round their work with the AI work hook).
//   bench_ai_game [--players N | --characters A,B,...] [--seed S] [--days D] [--level-objective]
//   bench_ai_game --levels [--seed S | --seeds S1,S2,...] [--days D] [--level ID] [--jobs N]
// Without --days it plays until the game is decided or the decades end; the
// objective is the richest on paper in the last year of the decades, or with
// --level-objective the level's own.
// --levels is the level report: every level (or the one given) at each
// difficulty and seed, with a strong computer player in the human's seat
// against the level's own rivals and money (the best of three strong
// characters), played until its objective is decided or for D game days (30
// when not given); a table says whether and when the seat met the target, or
// who did, and whether the level is won at easy and harder at hard. Each
// level and seed is played by a worker (this program with --level-row), N
// at a time.
// With --benchmark_* arguments it runs as a Google Benchmark program instead
// (two game days of six players per iteration, reporting the AI's share).
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>
#include <variant>

#include "ai/ai_profile.h"
#include "ai/business_valuation.h"
#include "ai/computer_player.h"
#include "ai/district_queries.h"
#include "app/game.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/city_demand.h"
#include "app/game_parts.h"
#include "engine/core/console.h"
#include "engine/core/memory.h"
#include "engine/core/run_state.h"
#include "platform/headless.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "script/interface_bindings.h"
#include "script/level_scripts.h"
#include "script/profiles.h"
#include "session/ai_characters.h"
#include "session/auction.h"
#include "session/game_clock.h"
#include "session/game_events.h"
#include "session/goals.h"
#include "session/player.h"
#include "session/player_data.h"
#include "session/scenarios.h"
#include "session/session_state.h"
#include "session/tick_driver.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kNames[6] = {"Car", "Cart", "Dog", "Rocket", "Crown", "Horse"};
// The characters of the game's AI script, by row.
const char* CharacterName(int32_t row) {
  constexpr const char* kCharacters[kAiCharacterRows] = {"Landlord", "Bidder",   "Shopkeeper", "Towers",    "Prestige",
                                                         "Night owl", "Homebody", "Speculator", "Skinflint", "All-rounder"};
  return row >= 0 && row < kAiCharacterRows ? kCharacters[row] : "";
}
constexpr int32_t kDecadeDays = 10;
constexpr int32_t kDecades = 8;
constexpr int32_t kLastYear = 1930 + kDecadeDays * kDecades - 1;

// Warnings raised in play (boxes and the console's errors), with the first
// few different texts.
int32_t g_warnings = 0;
std::vector<std::string> g_warningTexts;
void CountWarning(std::string_view text) {
  if (g_warningTexts.size() < 5 && std::find(g_warningTexts.begin(), g_warningTexts.end(), text) == g_warningTexts.end())
    g_warningTexts.emplace_back(text);
  ++g_warnings;
}

// Time inside the computer players' work.
Clock::time_point g_aiStart;
double g_aiSeconds = 0;
void TimeAiWork(bool begin) {
  if (begin)
    g_aiStart = Clock::now();
  else
    g_aiSeconds += std::chrono::duration<double>(Clock::now() - g_aiStart).count();
}

// A scratch game root: the game's scripts, data and fly-by paths, and a
// profile for its saves.
class ScratchRoot {
 public:
  ScratchRoot() {
    dir_ = fs::temp_directory_path() / ("bench_ai_game_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "profiles" / "bench");
    fs::create_directories(dir_ / "max");  // the cache archive the fly-by path comes through
    for (const char* folder : {"scripts", "parameters", "gamedata", "gamedata2/paths"})
      if (fs::exists(fs::path(RC_GAME_ROOT) / folder)) {
        fs::create_directories(dir_ / folder);
        fs::copy(fs::path(RC_GAME_ROOT) / folder, dir_ / folder, fs::copy_options::recursive);
      }
    platform::SetGameRoot(dir_.string());
  }
  ~ScratchRoot() { fs::remove_all(dir_); }

 private:
  fs::path dir_;
};

void StartEngine() {
  platform::SetHeadless(true);
  platform::SetMessageBoxBackend([](std::string_view, std::string_view text, platform::BoxIcon, platform::BoxButtons) {
    CountWarning(text);
    return platform::BoxResult::Ok;
  });
  SetConsoleSink([](std::string_view text, int kind) {
    if (kind == kConsoleError) CountWarning(text);
  });
  RegisterRandomStreams();  // in the program's order, before anything draws
  ClearConsoleCommandTable();
  RegisterConsoleCommands();
  AttachGameConsoleCommands();
  if (!MemoryManager().IsInitialised()) MemoryManager().Init(64u << 20, 16);
  CreateEngineSystems();
  TheGame().StartSimulation();
  TheGame().RunStartupFiles();
  std::strcpy(PlayerProfile().name, "bench");
}

// The AI characters of the seats, by row (0..5 unless --characters says).
std::vector<int32_t> g_characters = {0, 1, 2, 3, 4, 5};

void NewComputerGame(int32_t players, uint32_t seed) {
  PlayerTable().ClearPlayerSetupRows();
  players = std::min(players, static_cast<int32_t>(g_characters.size()));
  for (int32_t row = 0; row < players; ++row) {
    PlayerSetupRow& r = PlayerTable().SetupRow(row);
    r.kind = kPlayerComputer;
    r.character = g_characters[static_cast<size_t>(row)];
    std::strcpy(r.name, kNames[row % 6]);
  }
  TheGame().SetNewGameSeed(seed);
  TheGame().NewGame(&FreePlayLevel());
}

// A seat whose bankruptcy or vote-out ends the play (the level report's), -1 none.
int32_t g_watchedSeat = -1;

struct Outcome {
  bool seatOut = false;
  int32_t winner = -1;
  int32_t days = 0;
  double seconds = 0;
  double aiSeconds = 0;
};

// Called at the end of each game day of a play (the level report's figures).
void (*g_dayHook)() = nullptr;

// The pace of the auctions and how the players spend the city's hours:
// auctions started, the city time between one auction's end and the next
// one's announcement, and per seat the running ticks it spent waiting for
// a suitable strategy, and those it consolidated with nowhere to build.
struct Pacing {
  int32_t auctions = 0, gaps = 0;
  int64_t gapTicks = 0, shortestGap = -1, lastEnd = -1;
  int64_t cityTicks = 0, waitingTicks[kMaxPlayers] = {}, noRoomTicks[kMaxPlayers] = {};
  int32_t mostBusinesses[kMaxPlayers] = {};
  int32_t mostHomeless = 0, lastHour = -1;
  int32_t lastSerial = 0;
  // The homes each seat ran at the end of each third of the play, where a
  // landlord's growth shows.
  int32_t homesByThird[kMaxPlayers][3] = {};
  bool wasRunning = false;
  uint32_t lastDayTick = 0;

  static int64_t CityTime() { return static_cast<int64_t>(GameClock().dayCounter) * 24 * 625 + DayTick(); }

  void Start() { *this = Pacing{}, lastSerial = AuctionSerial(), lastDayTick = DayTick(); }

  void NoteDay(int32_t day, int32_t dayLimit) {
    for (int32_t third = 0; third < 3; ++third) {
      if (day != (third + 1) * dayLimit / 3) continue;
      for (int32_t slot = 0; slot < kMaxPlayers; ++slot) {
        int32_t homes = 0;
        for (const CBusiness& b : g_Businesses) homes += b.InUse && b.Owner == slot + 1 && b.Type == kTypeApartments;
        homesByThird[slot][third] = homes;
      }
    }
  }

  void Step() {
    const int64_t now = CityTime();
    if (AuctionSerial() != lastSerial) {
      lastSerial = AuctionSerial();
      ++auctions;
      if (lastEnd >= 0) {
        const int64_t gap = now - lastEnd;
        ++gaps;
        gapTicks += gap;
        if (shortestGap < 0 || gap < shortestGap) shortestGap = gap;
      }
    }
    const bool running = AuctionRunning();
    if (wasRunning && !running) lastEnd = now;
    wasRunning = running;
    const uint32_t day = DayTick();
    const int64_t ran = day >= lastDayTick ? day - lastDayTick : day;
    lastDayTick = day;
    cityTicks += ran;
    // Hotels are built for the homeless: how many the city had at most.
    if (GameClock().hour != lastHour) {
      lastHour = GameClock().hour;
      mostHomeless = std::max(mostHomeless, GetHomelessCount());
    }
    for (int32_t slot = 0; slot < kMaxPlayers; ++slot)
      if (const CPlayerAI* ai = ComputerPlayer(slot); ai && ai->inUse) {
        if (ai->plan.tactic == 9) waitingTicks[slot] += ran;
        if (ai->plan.tactic == 4 && ai->plan.holdingWithoutRoom) noRoomTicks[slot] += ran;
        int32_t open = 0;
        for (const CBusiness& b : g_Businesses) open += b.InUse && b.Owner == slot + 1 && b.Type != kTypeLandscape;
        mostBusinesses[slot] = std::max(mostBusinesses[slot], open);
      }
  }
};
Pacing g_pacing;

// Runs until the goal is decided, the decades end or the day limit; the
// winner from the goal's announcement.
Outcome Play(int32_t dayLimit, bool print) {
  Outcome o;
  g_aiSeconds = 0;
  SetAiWorkHook(TimeAiWork);
  const auto start = Clock::now();
  g_pacing.Start();
  int32_t lastDay = GameClock().dayCounter;
  // A game held up for good (an auction room nobody can close) stops after
  // twice the ticks its days should take.
  const int64_t iterationLimit = static_cast<int64_t>(dayLimit) * 24 * 625 * 2;
  for (int64_t i = 0; o.winner < 0 && o.days < dayLimit && RunState().gameRunning; ++i) {
    if (i > iterationLimit) {
      std::printf("the game stopped advancing on day %d\n", o.days);
      break;
    }
    RunLogicTicks();
    g_pacing.Step();
    for (const GameEvent& e : TakeGameEvents()) {
      // No prompt panel here: a script's message is closed as the game's
      // panel closes it when its time is up, so the scripts' count of open
      // prompts stays what a player's game has.
      if (const auto* prompt = std::get_if<ScriptPromptEvent>(&e); prompt && prompt->action == kScriptPromptOpen)
        ScriptPromptClosed(prompt->scriptId);
      if (const auto* goal = std::get_if<GoalResultEvent>(&e)) {
        // The objective met, or the last player left when the rest are out.
        if (goal->result == kGoalWon || goal->result == kGoalLastPlayer) o.winner = goal->player;
        if ((goal->result == kGoalBankrupt || goal->result == kGoalVotedOut) && goal->player == g_watchedSeat)
          o.seatOut = true;
      }
    }
    if (o.seatOut) break;
    if (GameClock().dayCounter == lastDay) continue;
    lastDay = GameClock().dayCounter;
    ++o.days;
    g_pacing.NoteDay(o.days, dayLimit);
    if (g_dayHook) g_dayHook();
    if (!print) continue;
    std::printf("day %3d (%d%d) ", o.days, GameClock().decade, GameClock().yearInDecade);
    for (int32_t slot = 0; slot < kMaxPlayers; ++slot) {
      const CPlayerAI* ai = ComputerPlayer(slot);
      if (ai == nullptr || !ai->inUse) continue;
      int32_t blocks = 0;
      for (int8_t b : ai->ownedBlocks) blocks += b;
      std::printf(" | %s $%.0f wealth %.0f blocks %d businesses %d", ai->name, ai->money,
                  PlayerData().GetPaperWealthForPlayer(slot), blocks, GetNumBusinessesOwned(slot));
    }
    std::printf("\n");
    std::fflush(stdout);
  }
  o.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  o.aiSeconds = g_aiSeconds;
  SetAiWorkHook(nullptr);
  return o;
}

// What each character built, where its traits should show: homes against
// shops, shops open at night, the quality and height of its buildings, how
// many it runs, and the blocks it bought outright or at auction.
void PrintCharacterFigures() {
  for (int32_t slot = 0; slot < kMaxPlayers; ++slot) {
    const CPlayerAI* ai = ComputerPlayer(slot);
    if (ai == nullptr) continue;
    int32_t homes = 0, dayShops = 0, nightShops = 0, parks = 0, hotels = 0, buildings = 0, quality = 0, floors = 0,
            lots = 0;
    for (const CBusiness& b : g_Businesses) {
      if (!b.InUse || b.Owner != slot + 1) continue;
      if (b.Type == kTypeApartments) ++homes;
      else if (b.Type == kTypeHotel) ++hotels;
      else if (b.Type == kTypeLandscape) ++parks;
      else if (IsDayBusiness(b.Type)) ++dayShops;
      else ++nightShops;
      if (const CBuilding* building = b.GetBuilding()) {
        ++buildings;
        quality += building->Quality;
        floors += building->Floors;
        lots += (building->X2 - building->X1 + 1) * (building->Z2 - building->Z1 + 1);
      }
    }
    // A park needs more than 3 of the player's businesses on one own block.
    int32_t mostOnABlock = 0;
    for (int32_t block = 0; block < kBlockCount; ++block)
      mostOnABlock = std::max(mostOnABlock, CountBusinessesOfPlayerOnBlock(slot, block));
    const float n = static_cast<float>(std::max(buildings, 1));
    const AiCharacter* c = ai->Character();
    std::printf("  %-6s %-11s homes %d day shops %d night shops %d parks %d hotels %d (sets %d); quality %.2f floors "
                "%.1f lots %.1f; nominations %d; businesses at most %d (limit %d), on one block %d\n",
                ai->name, c ? CharacterName(ai->characterRow) : "", homes, dayShops, nightShops, parks, hotels,
                PlayerData().GetNumSetsForPlayer(slot), quality / n, floors / n, lots / n, ai->tally.nominations,
                g_pacing.mostBusinesses[slot], c ? c->businessLimit : 0, mostOnABlock);
  }
}

// One line a character, the figures its trait should show in: businesses
// (now and at most), homes at each third of the play, night shops, mean
// floors, auctions won of its bids and its share of all won, the share of
// the city's hours it spent waiting for a strategy and those it consolidated
// because no block it may build on had room, and its paper wealth.
// Below it, whether the characters kept playing and showed their traits:
// the landlord's homes grew from the first third to the last, the night owl
// runs night shops and at least three businesses, the tower builder's mean
// floors stand above everyone else's, nobody won more than 40% of the
// auctions and nobody waited for a strategy more than half the time.
void PrintCharacterTable() {
  int32_t wonByAll = 0;
  for (int32_t slot = 0; slot < kMaxPlayers; ++slot)
    if (const CPlayerAI* ai = ComputerPlayer(slot)) wonByAll += ai->tally.auctionsWon;
  struct Shown {
    bool landlordSeen = false, landlordGrows = true, owlSeen = false, owlTrades = true, towersSeen = false;
    bool fairAuctions = true, busy = true;
    double towersFloors = 0, othersFloors = 0;
  } shown;
  std::printf("  character    businesses (most)  homes by thirds  night shops  floors  auctions won/bid (share)  "
              "waiting  no room  wealth\n");
  for (int32_t slot = 0; slot < kMaxPlayers; ++slot) {
    const CPlayerAI* ai = ComputerPlayer(slot);
    if (ai == nullptr) continue;
    int32_t night = 0, buildings = 0, floors = 0;
    for (const CBusiness& b : g_Businesses) {
      if (!b.InUse || b.Owner != slot + 1) continue;
      night += b.Kind == kBusinessShop && !IsDayBusiness(b.Type);
      if (const CBuilding* building = b.GetBuilding()) ++buildings, floors += building->Floors;
    }
    const int32_t* h = g_pacing.homesByThird[slot];
    const double meanFloors = buildings ? static_cast<double>(floors) / buildings : 0.0;
    const double share = wonByAll ? 100.0 * ai->tally.auctionsWon / wonByAll : 0.0;
    const double waiting = g_pacing.cityTicks ? 100.0 * g_pacing.waitingTicks[slot] / g_pacing.cityTicks : 0.0;
    const double noRoom = g_pacing.cityTicks ? 100.0 * g_pacing.noRoomTicks[slot] / g_pacing.cityTicks : 0.0;
    switch (ai->characterRow) {
      case 0: shown.landlordSeen = true, shown.landlordGrows &= h[2] > h[0]; break;
      case 5: shown.owlSeen = true, shown.owlTrades &= night > 0 && GetNumBusinessesOwned(slot) >= 3; break;
      case 3: shown.towersSeen = true, shown.towersFloors = meanFloors; break;
      default: shown.othersFloors = std::max(shown.othersFloors, meanFloors); break;
    }
    shown.fairAuctions &= share <= 40.0;
    shown.busy &= waiting <= 50.0;
    std::printf("  %-11s  %10d (%2d)  %5d %3d %3d  %11d  %6.1f  %8d/%-4d (%3.0f%%)  %6.0f%%  %6.0f%%  %.0f\n",
                CharacterName(ai->characterRow), GetNumBusinessesOwned(slot), g_pacing.mostBusinesses[slot], h[0],
                h[1], h[2], night, meanFloors, ai->tally.auctionsWon, ai->tally.bids, share, waiting,
                noRoom, PlayerData().GetPaperWealthForPlayer(slot));
  }
  auto verdict = [](bool seen, bool held) { return !seen ? "not in play" : held ? "yes" : "NO"; };
  std::printf("  landlord's homes grow: %s; night owl runs night shops and 3 businesses: %s; towers tallest: %s; "
              "no share of the auctions above 40%%: %s; nobody waits over half the time: %s\n",
              verdict(shown.landlordSeen, shown.landlordGrows), verdict(shown.owlSeen, shown.owlTrades),
              verdict(shown.towersSeen, shown.towersFloors > shown.othersFloors), verdict(true, shown.fairAuctions),
              verdict(true, shown.busy));
}

void PrintStandings(const Outcome& o) {
  std::printf("after %d game days (%.1f s, the computer players' share of the tick time %.1f%%):\n", o.days, o.seconds,
              o.seconds > 0 ? 100.0 * o.aiSeconds / o.seconds : 0.0);
  for (int32_t slot = 0; slot < kMaxPlayers; ++slot) {
    const CPlayerAI* ai = ComputerPlayer(slot);
    if (ai == nullptr) continue;
    int32_t blocks = 0, railroadsAndUtilities = 0;
    for (int32_t b = 0; b < kBlockCount; ++b) {
      blocks += ai->ownedBlocks[b];
      if (ai->ownedBlocks[b] && IsRailroadOrUtilityBlock(b)) ++railroadsAndUtilities;
    }
    std::printf(
        "  %-6s %s money %.0f paper wealth %.0f blocks %d (railroads and utilities %d) businesses %d; requests %d bids "
        "%d auctions won %d builds %d\n",
        ai->name, slot == o.winner ? "WINNER" : ai->inUse ? "      " : "out   ", ai->money,
        PlayerData().GetPaperWealthForPlayer(slot), blocks, railroadsAndUtilities, GetNumBusinessesOwned(slot),
        ai->tally.blockRequests, ai->tally.bids, ai->tally.auctionsWon, ai->tally.constructions);
  }
  PrintCharacterFigures();
  PrintCharacterTable();
  const Pacing& pc = g_pacing;
  const double days = std::max(1.0, static_cast<double>(pc.cityTicks) / (24.0 * 625.0));
  std::printf("  auctions %d (%.1f a day); between them on average %.1f game hours, at least %.1f\n", pc.auctions,
              pc.auctions / days, pc.gaps ? pc.gapTicks / 625.0 / pc.gaps : 0.0,
              pc.shortestGap >= 0 ? pc.shortestGap / 625.0 : 0.0);
  std::printf("  homeless at most %d (hotels are built above 29)\n", pc.mostHomeless);
  std::printf("  waiting for a suitable strategy:");
  for (int32_t slot = 0; slot < kMaxPlayers; ++slot)
    if (const CPlayerAI* ai = ComputerPlayer(slot))
      std::printf(" %s %.0f%%", ai->name, pc.cityTicks ? 100.0 * pc.waitingTicks[slot] / pc.cityTicks : 0.0);
  std::printf("\n");
  if (o.winner < 0) std::printf("  no winner\n");
  std::printf("  warnings %d\n", g_warnings);
  for (const std::string& text : g_warningTexts) std::printf("  warning: %s\n", text.c_str());
}

void BM_SixComputerPlayers(benchmark::State& state) {
  ScratchRoot root;
  StartEngine();
  double share = 0;
  for (auto _ : state) {
    state.PauseTiming();
    NewComputerGame(6, 1234u);
    state.ResumeTiming();
    const Outcome o = Play(2, false);
    share = o.seconds > 0 ? o.aiSeconds / o.seconds : 0;
    state.PauseTiming();
    TheGame().EndGame(false, 0);
    state.ResumeTiming();
  }
  state.counters["ai_share_%"] = 100.0 * share;
}
BENCHMARK(BM_SixComputerPlayers)->Unit(benchmark::kMillisecond)->Iterations(2);

// ---- Level report ---------------------------------------------------------------

// The characters that play the human's seat best, most first; the seat
// takes each of the first few that are not among the level's rivals in
// turn, and the best of their results stands.
constexpr int32_t kStrongCharacters[] = {1, 7, 4, 8, 6, 2, 9, 5, 3, 0};
constexpr int32_t kSeatTries = 3;
constexpr int32_t kSeatStrength = 0;

// The n-th strong character that is not taken (-1 when none is left).
int32_t StrongCharacterFor(const bool taken[kAiCharacterRows], int32_t n) {
  for (int32_t c : kStrongCharacters)
    if (!taken[c] && n-- == 0) return c;
  return -1;
}

// The level's token choice with the human's row played by a computer player.
bool SeatStrongPlayer(const LevelEntry& level, int32_t difficulty, int32_t n) {
  ScenarioManager().SetDifficulty(difficulty);
  FillLevelPlayerSetup(level);
  bool taken[kAiCharacterRows] = {};
  int32_t human = -1;
  for (int32_t row = 0; row < kMaxPlayers; ++row) {
    const PlayerSetupRow& r = PlayerTable().SetupRow(row);
    if (r.kind == kPlayerComputer && r.character >= 0 && r.character < kAiCharacterRows) taken[r.character] = true;
    if (r.kind == kPlayerHuman && human < 0) human = row;
  }
  const int32_t character = StrongCharacterFor(taken, n);
  if (human < 0 || character < 0) return false;
  PlayerSetupRow& seat = PlayerTable().SetupRow(human);
  seat.kind = kPlayerComputer;
  seat.character = character;
  // A player of one skill at every difficulty.
  seat.difficulty = kSeatStrength;
  std::strcpy(seat.name, "Seat");
  return true;
}

struct LevelResult {
  bool seatOut = false;
  int32_t winner = -1, day = 0;
  float best = 0;
};

// The seat's best figure towards the objective over the days played: a
// day's profit, goods sold, or paper wealth.
float g_seatBest = 0;
void NoteSeatFigure() {
  const CPlayer* seat = PlayerTable().Get(0);
  if (seat == nullptr || !seat->inUse) return;
  float figure = 0;
  switch (GameGoal().kind) {
    case OBJECTIVE_PROFIT: figure = PlayerData().GetLastDayTradingProfitsForPlayer(0); break;
    case OBJECTIVE_SALES: figure = static_cast<float>(seat->salesCount); break;
    case OBJECTIVE_PAPERWEALTH_BY_DATE:
    case OBJECTIVE_PAPERWEALTH_BY_AMOUNT: figure = PlayerData().GetPaperWealthForPlayer(0); break;
    default: return;
  }
  g_seatBest = std::max(g_seatBest, figure);
}

// Whether a is the better result for the seat: won, and sooner; else the
// higher figure.
bool Better(const LevelResult& a, const LevelResult& b) {
  const bool aWon = a.winner == 0, bWon = b.winner == 0;
  if (aWon != bWon) return aWon;
  if (aWon) return a.day < b.day;
  return a.best > b.best;
}

LevelResult PlayLevel(const LevelEntry& level, int32_t difficulty, uint32_t seed, int32_t days, int32_t n) {
  if (!SeatStrongPlayer(level, difficulty, n)) return LevelResult{};
  TheGame().SetNewGameSeed(seed);
  TheGame().NewGame(&level);
  g_seatBest = 0;
  g_dayHook = NoteSeatFigure;
  g_watchedSeat = 0;
  const Outcome o = Play(days, false);
  g_watchedSeat = -1;
  g_dayHook = nullptr;
  LevelResult r;
  r.seatOut = o.seatOut;
  r.best = g_seatBest;
  r.winner = o.winner;
  r.day = o.days;
  TheGame().EndGame(false, 0);
  return r;
}

// One level on one seed, at each difficulty: the best of the seat's tries.
// A try after a win plays no longer than that win took: a win on the same
// day or sooner is still seen, and only a sooner one counts as better.
struct LevelRow {
  int32_t id = 0, objective = 0, rivals = 0, warnings = 0;
  float targets[3] = {};
  LevelResult results[3];
};

LevelRow PlayLevelRow(int32_t id, uint32_t seed, int32_t days) {
  LevelRow row;
  row.id = id;
  for (int32_t d = 0; d < 3; ++d) {
    bool first = true;
    for (int32_t n = 0; n < kSeatTries; ++n) {
      const LevelResult& best = row.results[d];
      const int32_t limit = !first && best.winner == 0 ? best.day : days;
      if (limit < 1) break;
      const LevelEntry* level = FindKnownLevel(id);
      if (level == nullptr) return row;
      const LevelResult r = PlayLevel(*level, d, seed, limit, n);
      if (first || Better(r, best)) row.results[d] = r;
      first = false;
    }
  }
  return row;
}

// The objective and targets of a level at each difficulty, as its scripts
// set them, and its rivals: a game started and ended at once.
void ReadLevelSetting(LevelRow& row) {
  for (int32_t d = 0; d < 3; ++d) {
    const LevelEntry* level = FindKnownLevel(row.id);
    if (level == nullptr || !SeatStrongPlayer(*level, d, 0)) return;
    TheGame().NewGame(level);
    row.objective = GameGoal().kind;
    row.targets[d] = GameGoal().target;
    row.rivals = 0;
    for (int32_t slot = 1; slot < kMaxPlayers; ++slot) row.rivals += ComputerPlayer(slot) != nullptr;
    TheGame().EndGame(false, 0);
  }
}

// A row travels from a worker as one line: id, seed, objective, rivals,
// warnings, the three targets, then per difficulty the result's kind
// (W won, R a rival won first, O the seat out, N not met), day, winner and
// best figure.
void WriteRow(const LevelRow& row, uint32_t seed) {
  std::printf("ROW %d %u %d %d %d %.0f %.0f %.0f", row.id, seed, row.objective, row.rivals, row.warnings,
              row.targets[0], row.targets[1], row.targets[2]);
  for (const LevelResult& r : row.results) {
    const char kind = r.seatOut ? 'O' : r.winner == 0 ? 'W' : r.winner > 0 ? 'R' : 'N';
    std::printf(" %c %d %d %.0f", kind, r.day, r.winner, r.best);
  }
  std::printf("\n");
  std::fflush(stdout);
}

bool ReadRow(const char* line, LevelRow& row, uint32_t& seed) {
  int used = 0;
  if (std::sscanf(line, "ROW %d %u %d %d %d %f %f %f%n", &row.id, &seed, &row.objective, &row.rivals, &row.warnings,
                  &row.targets[0], &row.targets[1], &row.targets[2], &used) != 8)
    return false;
  line += used;
  for (LevelResult& r : row.results) {
    char kind = 0;
    if (std::sscanf(line, " %c %d %d %f%n", &kind, &r.day, &r.winner, &r.best, &used) != 4) return false;
    line += used;
    r.seatOut = kind == 'O';
  }
  return true;
}

// The level report's worker: one level on one seed, printed as a row.
int RunLevelRow(int32_t id, uint32_t seed, int32_t days) {
  ScratchRoot root;
  StartEngine();
  if (!RunFrontEndScripts() || FindKnownLevel(id) == nullptr) return 1;
  LevelRow row;
  row.id = id;
  ReadLevelSetting(row);
  if (row.objective != OBJECTIVE_NONE) {
    const LevelRow played = PlayLevelRow(id, seed, days);
    std::copy(std::begin(played.results), std::end(played.results), std::begin(row.results));
  }
  row.warnings = g_warnings;
  WriteRow(row, seed);
  for (const std::string& text : g_warningTexts) std::fprintf(stderr, "level %d: warning: %s\n", id, text.c_str());
  return 0;
}

// Runs the workers, at most `jobs` at a time, each this program again with
// --level-row; their rows by level and seed.
std::vector<std::pair<LevelRow, uint32_t>> RunWorkers(const std::vector<int32_t>& ids,
                                                      const std::vector<uint32_t>& seeds, int32_t days,
                                                      int32_t jobs) {
  struct Job {
    int32_t id;
    uint32_t seed;
  };
  std::vector<Job> queue;
  for (int32_t id : ids)
    for (uint32_t seed : seeds) queue.push_back({id, seed});
  std::vector<std::pair<LevelRow, uint32_t>> rows;
  struct Running {
    pid_t pid;
    FILE* out;
    Job job;
  };
  std::vector<Running> running;
  size_t next = 0;
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  while (next < queue.size() || !running.empty()) {
    while (next < queue.size() && static_cast<int32_t>(running.size()) < jobs) {
      const Job job = queue[next++];
      int pipeFds[2];
      if (::pipe(pipeFds) != 0) break;
      const pid_t pid = ::fork();
      if (pid == 0) {
        ::dup2(pipeFds[1], 1);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        const std::string id = std::to_string(job.id), seed = std::to_string(job.seed), d = std::to_string(days);
        ::execl(self.c_str(), self.c_str(), "--level-row", id.c_str(), "--seed", seed.c_str(), "--days", d.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
      }
      ::close(pipeFds[1]);
      running.push_back({pid, ::fdopen(pipeFds[0], "r"), job});
    }
    if (running.empty()) break;
    // Read whichever worker finishes first; a worker's row is one short
    // line, so it never waits on a full pipe.
    int status = 0;
    const pid_t done = ::wait(&status);
    auto it = std::find_if(running.begin(), running.end(), [done](const Running& r) { return r.pid == done; });
    if (it == running.end()) continue;
    char line[512];
    LevelRow row;
    uint32_t seed = 0;
    bool read = false;
    while (std::fgets(line, sizeof line, it->out) != nullptr)
      if (ReadRow(line, row, seed)) read = true;
    std::fclose(it->out);
    if (read) rows.emplace_back(row, seed);
    else std::printf("level %d, seed %u: the worker failed (status %d)\n", it->job.id, it->job.seed, status);
    std::fflush(stdout);
    std::fprintf(stderr, "level %d, seed %u played (%zu of %zu)\n", it->job.id, it->job.seed, rows.size(),
                 queue.size());
    running.erase(it);
  }
  return rows;
}

const char* ObjectiveName(int32_t kind) {
  switch (kind) {
    case OBJECTIVE_FIRST_TO_BE_MAYOR: return "mayor";
    case OBJECTIVE_WEAKEST_LINK: return "weakest";
    case OBJECTIVE_PROFIT: return "profit";
    case OBJECTIVE_PAPERWEALTH_BY_DATE: return "by-date";
    case OBJECTIVE_PAPERWEALTH_BY_AMOUNT: return "wealth";
    case OBJECTIVE_SALES: return "sales";
    default: return "free";
  }
}

// One seed's result in a cell: the day won; a rival's win (r2@14); the seat
// out (x@9); or not met, with the seat's best figure in brackets.
std::string ResultText(const LevelResult& r) {
  char text[32];
  if (r.seatOut) std::snprintf(text, sizeof text, "x@%d", r.day);
  else if (r.winner == 0) std::snprintf(text, sizeof text, "%d", r.day);
  else if (r.winner > 0) std::snprintf(text, sizeof text, "r%d@%d", r.winner, r.day);
  else std::snprintf(text, sizeof text, "(%.0f)", r.best);
  return text;
}

// Whether hard is harder than easy over the seeds: fewer wins, or as many
// won later on average (a level not won at all is not harder, only lost).
struct Wins {
  int32_t count = 0, days = 0;
};
Wins CountWins(const std::vector<const LevelRow*>& rows, int32_t d) {
  Wins w;
  for (const LevelRow* row : rows)
    if (row->results[d].winner == 0 && !row->results[d].seatOut) ++w.count, w.days += row->results[d].day;
  return w;
}

int RunLevelReport(const std::vector<uint32_t>& seeds, int32_t days, int32_t onlyLevel, int32_t jobs) {
  const auto start = Clock::now();
  std::vector<int32_t> ids;
  {
    ScratchRoot root;
    StartEngine();
    if (!RunFrontEndScripts()) {
      std::printf("the front end's level table did not load\n");
      return 1;
    }
    for (const ScenarioEntry* e = ScenarioManager().NextAnyEntry(nullptr); e != nullptr;
         e = ScenarioManager().NextAnyEntry(e))
      if (!e->tutorial && (onlyLevel <= 0 || e->id == onlyLevel)) ids.push_back(e->id);
  }
  const auto rows = RunWorkers(ids, seeds, days, jobs);
  std::printf("The seat (the best of %d strong characters in the human's seat) per seed, at easy, medium and hard:\n"
              "the day it won; r2@14 rival 2 won first on day 14; x@9 the seat out on day 9; (figure) not met in %d "
              "days, with its best figure.\n", kSeatTries, days);
  std::printf("%-7s %-8s %-20s %-6s %-24s %-24s %-24s %s\n", "level", "goal", "target e/m/h", "rivals", "easy",
              "medium", "hard", "verdict");
  int32_t failing = 0, warnings = 0;
  for (int32_t id : ids) {
    std::vector<const LevelRow*> mine;
    for (const auto& [row, seed] : rows)
      if (row.id == id) mine.push_back(&row);
    if (mine.empty()) continue;
    const LevelRow& first = *mine.front();
    char targets[48];
    std::snprintf(targets, sizeof targets, "%.0f/%.0f/%.0f", first.targets[0], first.targets[1], first.targets[2]);
    std::string cells[3];
    for (int32_t d = 0; d < 3; ++d)
      for (const LevelRow* row : mine) cells[d] += (cells[d].empty() ? "" : " ") + ResultText(row->results[d]);
    for (const LevelRow* row : mine) warnings += row->warnings;
    std::string verdict;
    if (first.objective == OBJECTIVE_NONE) {
      verdict = "free play, not played";
      for (std::string& cell : cells) cell = "-";
    } else {
      const Wins easy = CountWins(mine, 0), hard = CountWins(mine, 2);
      const bool winnable = easy.count == static_cast<int32_t>(mine.size());
      const bool harder = hard.count < easy.count || (hard.count == easy.count && hard.count > 0 &&
                                                      hard.days > easy.days);
      verdict = winnable && harder ? "ok" : !winnable ? "NOT WON AT EASY" : "NOT HARDER AT HARD";
      if (!winnable && !harder) verdict += ", NOT HARDER AT HARD";
      failing += !(winnable && harder);
    }
    std::printf("%-7d %-8s %-20s %-6d %-24s %-24s %-24s %s\n", id, ObjectiveName(first.objective), targets,
                first.rivals, cells[0].c_str(), cells[1].c_str(), cells[2].c_str(), verdict.c_str());
  }
  std::printf("%d level(s) not won at easy on every seed or not harder at hard; warnings %d; %.0f s\n", failing,
              warnings, std::chrono::duration<double>(Clock::now() - start).count());
  return 0;
}

int RunOnce(int argc, char** argv) {
  int32_t players = 6, days = kDecadeDays * kDecades;
  uint32_t seed = 1234;
  bool levelObjective = false, levels = false;
  int32_t onlyLevel = 0, levelDays = 30, levelRow = 0, jobs = 1;
  std::vector<uint32_t> seeds;
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--level-objective") == 0) levelObjective = true;
    else if (std::strcmp(argv[i], "--levels") == 0) levels = true;
    else if (hasValue && std::strcmp(argv[i], "--characters") == 0) {
      // A comma-separated list of character rows, one a seat.
      g_characters.clear();
      for (char* c = argv[++i]; *c != '\0' && g_characters.size() < 6;) {
        g_characters.push_back(std::clamp(static_cast<int32_t>(std::strtol(c, &c, 10)), 0, kAiCharacterRows - 1));
        if (*c == ',') ++c;
        else break;
      }
      players = static_cast<int32_t>(g_characters.size());
    }
    else if (hasValue && std::strcmp(argv[i], "--level") == 0) onlyLevel = std::atoi(argv[++i]);
    else if (hasValue && std::strcmp(argv[i], "--level-row") == 0) levelRow = std::atoi(argv[++i]);
    else if (hasValue && std::strcmp(argv[i], "--jobs") == 0) jobs = std::clamp(std::atoi(argv[++i]), 1, 64);
    else if (hasValue && std::strcmp(argv[i], "--seeds") == 0) {
      // A comma-separated list of seeds.
      for (char* c = argv[++i]; *c != '\0';) {
        seeds.push_back(static_cast<uint32_t>(std::strtoul(c, &c, 10)));
        if (*c == ',') ++c;
        else break;
      }
    }
    else if (hasValue && std::strcmp(argv[i], "--players") == 0) players = std::clamp(std::atoi(argv[++i]), 1, 6);
    else if (hasValue && std::strcmp(argv[i], "--seed") == 0) seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    else if (hasValue && std::strcmp(argv[i], "--days") == 0) days = levelDays = std::max(std::atoi(argv[++i]), 1);
  }
  if (levelRow > 0) return RunLevelRow(levelRow, seed, levelDays);
  if (seeds.empty()) seeds.push_back(seed);
  if (levels) return RunLevelReport(seeds, levelDays, onlyLevel, jobs);
  ScratchRoot root;
  StartEngine();
  NewComputerGame(players, seed);
  // The richest on paper when the decades end wins, unless the level's own
  // objective is kept.
  if (!levelObjective) SetObjective(OBJECTIVE_PAPERWEALTH_BY_DATE, static_cast<float>(kLastYear));
  PrintStandings(Play(days, true));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--benchmark", 11) == 0) {
      benchmark::Initialize(&argc, argv);
      benchmark::RunSpecifiedBenchmarks();
      return 0;
    }
  return RunOnce(argc, argv);
}
