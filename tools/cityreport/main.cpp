// cityreport: starts the game as cityrun does (the game root's start, which
// begins the free-play level), headless, and runs its logic ticks at full
// speed for a number of game days, printing the city's figures for each day
// and a summary. Used to tune the content; CI runs it on a short game.
//
//   cityreport [--days N] [--seed S] [--root DIR] [--save-each-day] [--computers N]
//
// --save-each-day saves at every midnight and plays on from the loaded save;
// the loaded game must have the saved one's checksums. --computers seats N
// computer players beside the player, as cityrun's COMPUTERS does.
// The exit code is 1 when a warning was raised, a save did not load or a
// load differed from the saved game.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/game.h"
#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/city_day_counters.h"
#include "city/households.h"
#include "city/people.h"
#include "city/population_classes.h"
#include "city/person.h"
#include "engine/core/console.h"
#include "engine/core/debug_flags.h"
#include "engine/core/memory.h"
#include "engine/core/run_state.h"
#include "engine/render/soft_renderer.h"
#include "platform/headless.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "script/profiles.h"
#include "session/game_clock.h"
#include "session/game_events.h"
#include "session/player.h"
#include "session/tick_driver.h"

namespace {

struct Options {
  int days = 30;
  uint32_t seed = 1;
  std::string root = RC_GAME_ROOT;
  bool saveEachDay = false;
  int computers = -1;  // -1: as the command line leaves it
};

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--days" && hasValue) {
      o.days = std::atoi(argv[++i]);
    } else if (arg == "--seed" && hasValue) {
      o.seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (arg == "--root" && hasValue) {
      o.root = argv[++i];
    } else if (arg == "--save-each-day") {
      o.saveEachDay = true;
    } else if (arg == "--computers" && hasValue) {
      o.computers = std::atoi(argv[++i]);
      if (o.computers < 0 || o.computers > kMaxPlayers - 1) return false;
    } else {
      return false;
    }
  }
  return o.days >= 1 && o.days <= 10000;
}

// One day's figures.
struct DayFigures {
  int housed[kSocialClassCount] = {}, homeless[kSocialClassCount] = {};
  double homeRent[kSocialClassCount] = {};  // summed value of the home blocks
  int working = 0;
  int shops = 0, openAtNoon = 0, selling = 0, profitable = 0, losing = 0;
  double takings = 0;
  CityDayCounters counters;
  int warnings = 0;
  int householdsInDebt = 0;  // households whose money is below 0
  int64_t saveBytes = 0;     // the midnight save's size, 0 without one
  int32_t heapBytes = 0;     // the game heap in use
};

int g_warnings = 0;
std::vector<std::string> g_warningTexts;

void CountWarning(std::string_view text) {
  ++g_warnings;
  if (g_warningTexts.size() < 20) g_warningTexts.emplace_back(text);
}

void CountHouseholds(DayFigures& d) {
  for (const CHousehold& h : g_Households) d.householdsInDebt += h.InUse && h.Money < 0.0f;
}

void CountPeople(DayFigures& d) {
  for (int i = 0; i < g_PeopleCount; ++i) {
    const CPerson& p = g_People[i];
    if (!p.InUse || p.Kind == kTourist) continue;
    const int c = std::clamp(p.SocialClass, 0, kSocialClassCount - 1);
    if (p.IsHoused()) {
      ++d.housed[c];
      if (p.HomeBlock < kBlockCount) d.homeRent[c] += g_BlockDefs[p.HomeBlock].Value;
    } else {
      ++d.homeless[c];
    }
    d.working += p.WorkBlock != kNoBlock;
  }
}

// After the day's close: the shops' figures of the day just ended.
void CountShops(DayFigures& d) {
  for (const CBusiness& b : g_Businesses) {
    if (!b.InUse || !b.IsShop()) continue;
    ++d.shops;
    const int day = (b.Day + kDayRing - 1) % kDayRing;
    int sold = 0;
    for (int i = 0; i < b.SlotCount(); ++i) {
      sold += b.Slots[i].SoldPerDay[day];
      d.takings += b.Slots[i].TakingsYesterday;
    }
    d.selling += sold > 0;
    const float profit = b.GetLastDayProfit();
    d.profitable += profit > 0;
    d.losing += profit < 0;
  }
}

int CountOpenShops() {
  int n = 0;
  for (const CBusiness& b : g_Businesses) n += b.InUse && b.IsShop() && b.OpenState == kOpen;
  return n;
}

int MedianMinutes(std::vector<int32_t> ticks) {
  if (ticks.empty()) return 0;
  std::nth_element(ticks.begin(), ticks.begin() + ticks.size() / 2, ticks.end());
  return ticks[ticks.size() / 2] * 60 / kTicksPerGameHour;
}

void PrintDay(int day, const DayFigures& d) {
  const CityDayCounters& c = d.counters;
  std::printf("day %3d  housed %d/%d/%d homeless %d/%d/%d working %d | visits bought %d empty %d no-shop %d"
              " | income %.0f spent %.0f rent %.0f | shops %d open %d selling %d profit %d loss %d takings %.0f"
              " stock %.0f spoiled %.0f | cars %d arrived %d gave-up %d median %d min | money",
              day, d.housed[0], d.housed[1], d.housed[2], d.homeless[0], d.homeless[1], d.homeless[2], d.working,
              c.ShopVisitsBought, c.ShopVisitsEmpty, c.TripsWithoutShop, c.HouseholdIncome, c.HouseholdSpending, c.HouseholdRent,
              d.shops, d.openAtNoon, d.selling, d.profitable, d.losing, d.takings, c.StockBought, c.StockSpoiled,
              c.VehiclesStarted, c.VehiclesArrived, c.VehiclesGaveUp, MedianMinutes(c.TripTicks));
  for (int i = 0; i < kMaxPlayers; ++i) {
    if (const CPlayer* p = PlayerTable().Get(i); p && p->inUse) std::printf(" %.0f", p->money);
  }
  std::printf(" | households in debt %d heap %d save %lld | warnings %d\n", d.householdsInDebt, d.heapBytes,
              static_cast<long long>(d.saveBytes), d.warnings);
}

struct Summary {
  int days = 0, housedMin = 100, sellingMin = 100;
  double takings = 0, stock = 0, income = 0, spent = 0;
  int started = 0, gaveUp = 0, warnings = 0, loadFailures = 0, loadMismatches = 0;
  std::vector<int32_t> trips;
  double rent[kSocialClassCount] = {};
  int housed[kSocialClassCount] = {};

  void Add(const DayFigures& d) {
    ++days;
    int h = 0, all = 0;
    for (int c = 0; c < kSocialClassCount; ++c) {
      h += d.housed[c];
      all += d.housed[c] + d.homeless[c];
      rent[c] += d.homeRent[c];
      housed[c] += d.housed[c];
    }
    if (all > 0) housedMin = std::min(housedMin, 100 * h / all);
    if (d.shops > 0) sellingMin = std::min(sellingMin, 100 * d.selling / d.shops);
    takings += d.takings;
    stock += d.counters.StockBought;
    income += d.counters.HouseholdIncome;
    spent += d.counters.HouseholdSpending + d.counters.HouseholdRent;
    started += d.counters.VehiclesStarted;
    gaveUp += d.counters.VehiclesGaveUp;
    trips.insert(trips.end(), d.counters.TripTicks.begin(), d.counters.TripTicks.end());
    warnings += d.warnings;
  }

  void Print() const {
    std::printf("summary over %d days:\n", days);
    std::printf("  housed (lowest day): %d%%\n", housedMin);
    std::printf("  mean value of the home block by class (low/medium/high): %.0f / %.0f / %.0f\n",
                housed[0] ? rent[0] / housed[0] : 0.0, housed[1] ? rent[1] / housed[1] : 0.0,
                housed[2] ? rent[2] / housed[2] : 0.0);
    std::printf("  shops selling (lowest day): %d%%\n", sellingMin);
    std::printf("  shops' takings %.0f against stock bought %.0f\n", takings, stock);
    std::printf("  households' income spent (shops and rent): %.0f%%\n", income > 0 ? 100.0 * spent / income : 0.0);
    std::printf("  vehicles given up: %.1f%% of %d; median trip %d game minutes\n",
                started > 0 ? 100.0 * gaveUp / started : 0.0, started, MedianMinutes(trips));
    std::printf("  warnings %d; saves that did not load %d; loads that differed from the save %d\n", warnings,
                loadFailures, loadMismatches);
    for (const std::string& w : g_warningTexts) std::printf("  warning: %s\n", w.c_str());
  }
};

// Every event the game's frame would drain; player messages count as
// warnings for the local player (debt warnings and the like).
void DrainEvents() {
  for (const GameEvent& e : TakeGameEvents()) {
    if (std::holds_alternative<PlayerMessageEvent>(e)) CountWarning("a player message");
  }
}

// The game as cityrun runs it, with the days of the report in place of the
// main loop.
class ReportProgram final : public ShellProgram {
 public:
  explicit ReportProgram(const Options& options) : options_(options) {}
  void Run() override {
    Game& game = TheGame();
    game.Start();
    // The game's own saves (the daily autosave) go to a profile of the report's.
    std::filesystem::create_directories(std::filesystem::path(options_.root) / "profiles" / "report");
    if (!PlayerProfile().HasName()) PlayerProfile().Select("report");
    if (!RunState().gameRunning) {
      std::fprintf(stderr, "cityreport: the free-play level did not start\n");
      result = 1;
    } else {
      result = RunDays(game);
    }
    game.Shutdown();
    RunState().cleanExit = true;
  }
  void Frame() override { TheGame().Frame(); }
  void Shutdown() override { TheGame().Shutdown(); }
  int result = 1;

 private:
  int RunDays(Game& game);
  void SaveAndLoad(Game& game, DayFigures& day, Summary& summary);
  Options options_;
};

// The checksums a network game compares, but the traffic's: a save does not
// keep the vehicles, a load starts the streets empty.
bool SameGame(const CSyncSnapshot& a, const CSyncSnapshot& b) {
  return a.people == b.people && a.buildings == b.buildings && a.businesses == b.businesses && a.players == b.players;
}

void ReportProgram::SaveAndLoad(Game& game, DayFigures& day, Summary& summary) {
  const CSyncSnapshot saved = ComputeSyncSnapshot();
  if (!game.Save("cityreport.sav") || !game.Load("cityreport.sav")) {
    ++summary.loadFailures;
    return;
  }
  std::error_code error;
  const auto file = std::filesystem::path(options_.root) / "profiles" / PlayerProfile().name / "cityreport.sav";
  day.saveBytes = static_cast<int64_t>(std::filesystem::file_size(file, error));
  const CSyncSnapshot loaded = ComputeSyncSnapshot();
  if (SameGame(saved, loaded)) return;
  ++summary.loadMismatches;
  std::printf("  the load differs: people %d/%d buildings %d/%d businesses %d/%d players %d/%d\n", saved.people,
              loaded.people, saved.buildings, loaded.buildings, saved.businesses, loaded.businesses, saved.players,
              loaded.players);
}

int ReportProgram::RunDays(Game& game) {
  DrainEvents();
  Summary summary;
  summary.warnings = g_warnings;
  DayFigures day;
  ClearDayCounters();
  int32_t lastDay = GameClock().dayCounter;
  int warningsAtDayStart = g_warnings;
  bool notedNoon = false;
  while (summary.days < options_.days && !RunState().quit) {
    RunLogicTicks();
    DrainEvents();
    const CGameClock& clock = GameClock();
    if (clock.hour == 12 && !notedNoon) {
      day.openAtNoon = CountOpenShops();
      notedNoon = true;
    }
    if (clock.dayCounter == lastDay) continue;
    lastDay = clock.dayCounter;
    notedNoon = false;
    CountPeople(day);
    CountShops(day);
    CountHouseholds(day);
    day.heapBytes = MemoryManager().GetStats().ActualMemoryUsed;
    if (options_.saveEachDay) SaveAndLoad(game, day, summary);
    day.counters = DayCounters();
    day.warnings = g_warnings - warningsAtDayStart;
    warningsAtDayStart = g_warnings;
    PrintDay(lastDay, day);
    summary.Add(day);
    day = DayFigures{};
    ClearDayCounters();
  }
  summary.Print();
  std::fflush(stdout);
  return summary.warnings > 0 || summary.loadFailures > 0 || summary.loadMismatches > 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: cityreport [--days N] [--seed S] [--root DIR] [--save-each-day] [--computers N]\n");
    return 2;
  }
  platform::SetHeadless(true);
  platform::SetGameRoot(options.root);
  platform::SetMessageBoxBackend([](std::string_view, std::string_view text, platform::BoxIcon, platform::BoxButtons) {
    CountWarning(text);
    return platform::BoxResult::Ok;
  });
  SetConsoleSink([](std::string_view text, int kind) {
    if (kind == kConsoleError) CountWarning(text);
  });
  ClearDebugFlags();
  SetRendererFactory(kApiSoftware, CreateSoftwareRenderer);
  TheGame().SetNewGameSeed(options.seed);
  TheGame().Prepare();
  ReportProgram program(options);
  const std::string commandLine = options.computers >= 0 ? "COMPUTERS " + std::to_string(options.computers) : "";
  WinMain(commandLine, program);
  return program.result;
}
