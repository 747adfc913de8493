#pragma once
// The ten AI characters the level scripts fill (traits, floors, footprints,
// difficulty rows, build times and three daily timetables), each bound to at
// most one computer player; and the block-scoring weights of AiScores. Both
// are session records: the script bindings write them, the computer players
// read them.
#include <cstdint>
#include <string_view>

class CPlayer;
class CRandomStream;

inline constexpr int32_t kAiCharacterRows = 10;
inline constexpr int32_t kTimetableSize = 50;
inline constexpr int32_t kTicksPerGameMinute = 10;

// Timetable numbers: tactic, housekeeping, block.
enum AiTimetable : int32_t { kTimetableTactic = 0, kTimetableHousekeeping = 1, kTimetableBlock = 2 };

// Timetable events.
enum AiTimetableEvent : int32_t {
  TT_RENT = 1,
  TT_POLL = 2,
  TT_SPOILAGE = 4,
  TT_DEMOLISH = 5,
  TT_CREATE_BUS = 6,
  TT_BUY_BLOCK = 7,
  TT_SELL_BLOCK = 8,
  TT_TAKEOVER_BUS = 11,
  TT_REFURBISH_BUS = 12,
  TT_EOD_STOCK_AND_PRICE = 13,
  TT_BUSINESS_STATES = 14,
};

enum AiDebugFlag : int32_t { kDebugForceAuction = 0, kDebugStopStratBlocks = 1, kDebugShowSpellCards = 2 };

struct AiTimetableEntry {
  int32_t due = -1;  // time of day in ticks
  int32_t event = -1;
};

// One difficulty row: fifteen values, numbered 1..15 in script order.
struct AiDifficultyRow {
  uint8_t panicHours = 0;      // 1
  uint8_t cashFloor = 0;       // 2
  float value3 = 0;            // 3
  float priceStep = 0;         // 4
  float thresholdFactor = 0;   // 5
  int16_t thresholdCap = 0;    // 6
  uint8_t bytes[6] = {};       // 7..12: 7 cost scale, 8 random delay, 9 spare cash,
                               // 10 demolition patience, 11 auction wait, 12 refurbishment patience
  float value13 = 0;           // 13
  float value14 = 0;           // 14
  uint8_t value15 = 0;         // 15

  int32_t Value(int32_t n) const { return n >= 7 && n <= 12 ? bytes[n - 7] : 0; }
};

struct AiBuildTimes {
  int32_t firstDecision = 0;  // ticks from the moment the row was set
  int32_t dayStart = 0;
  int32_t dayEnd = 0;         // also the night window's start
  int32_t nightEnd = 0;
  int32_t footprintPeriod = 0;  // units of 25 logic ticks
};

struct AiFootprintRow {
  uint8_t preferences[3] = {};
  uint8_t band = 0;
  uint8_t entries[10][3] = {};  // usable flag, area, spare
  uint8_t spare = 0;
};

// What the character bindings reach in the computer player bound to a row.
class AiCharacterPlayer {
 public:
  virtual ~AiCharacterPlayer() = default;
  virtual CPlayer& Player() = 0;
  virtual void SetIdle() = 0;
  virtual void SetDebugFlag(int32_t flag) = 0;
  virtual void SetDifficulty(int32_t difficulty) = 0;
  virtual int32_t PickRandomBlockForBusiness(int32_t type) = 0;
  virtual CRandomStream& Random() = 0;
  // The scripts have loaded the character: its first decision time is drawn.
  virtual void OnCharacterLoaded(bool initialise) = 0;
};

struct AiCharacter {
  AiCharacterPlayer* bound = nullptr;
  uint8_t inUse = 0;
  int32_t workingId = -1;
  int32_t businessLimit = 0;
  int32_t cursors[3] = {};  // by timetable number
  int32_t counts[3] = {};
  int32_t prestigeBias = 0;
  int32_t workingValue = 0;
  uint8_t traits[6] = {10, 10, 10, 10, 10, 10};
  uint8_t floors[10] = {};
  AiFootprintRow footprints[5];
  AiTimetableEntry timetables[3][kTimetableSize];
  uint8_t baseValueMultiplier = 0;
  uint8_t strategyBias[4] = {};
  AiDifficultyRow difficulty[3];
  AiBuildTimes buildTimes[3];

  // What the script's character bytes mean to the computer player.
  // How much it likes building shops and homes, 0..10 each.
  int32_t ShopLiking() const { return traits[1] < 10 ? traits[1] : 10; }
  int32_t HomeLiking() const { return traits[2] < 10 ? traits[2] : 10; }
  // Weights added when it weighs buying a block outright against building,
  // each against a neutral 30.
  // A row the script left unset weighs neither way.
  int32_t PurchaseBias() const { return StrategyBias(0); }
  int32_t BuildBias() const { return StrategyBias(1); }
  // How much it wants a block, in per cent of the common valuation (100 when unset).
  int32_t BlockValuePercent() const { return baseValueMultiplier > 0 ? baseValueMultiplier : 100; }
  // A floor row that weighs even its lowest storey at 3 or more is a
  // builder of towers: it gives up ground before height.
  bool BuildsTall() const { return floors[0] >= kTallFloorWeight; }
  static constexpr uint8_t kTallFloorWeight = 3;
  // The fewest floors a builder of towers builds where the type allows them.
  static constexpr int32_t kLeastTowerFloors = 3;
  static constexpr int32_t kNeutralStrategyBias = 30;

 private:
  int32_t StrategyBias(int32_t i) const {
    const bool unset = (strategyBias[0] | strategyBias[1] | strategyBias[2] | strategyBias[3]) == 0;
    return unset ? 0 : strategyBias[i] - kNeutralStrategyBias;
  }
};

AiCharacter* GetAiCharacter(int32_t row);  // null outside 0..9
// The row as the program starts: everything clear, traits 10.
void ClearAiCharacter(int32_t row);
// The reset of a new game or of an unbound row.
void ResetAiCharacter(int32_t row);
void ResetAllAiCharacters();
// Binds a free row to a computer player; false when the row is bad or taken.
bool BindAiCharacter(int32_t row, AiCharacterPlayer* player);
void UnbindAiCharacter(int32_t row);

// Appends (hour x 625 + minute x 10, event); a full table or a bad number is ignored.
void LoadTimeTable(AiCharacter& c, int32_t table, int32_t hour, int32_t minute, int32_t event);
void ResetTimeTable(AiCharacter& c, int32_t table);

// ---- Block-scoring weights ----

struct AiScores {
  uint8_t blk2_Rentopia = 0;
  uint8_t blk2_1left_city_owned = 0;
  uint8_t blk2_opponent_rentopia = 0;
  uint8_t blk2_Max_LandRent_Income = 0;
  uint8_t blk3_Rentopia = 0;
  uint8_t blk3_1left_city_owned = 0;
  uint8_t blk3_2left_city_owned = 0;
  uint8_t blk3_1left_player_owned = 0;
  uint8_t blk3_opponent_rentopia = 0;
  uint8_t blk3_opponent_2blocks = 0;
  uint8_t blk3_Max_Rentopia = 0;
  uint8_t blk3_Max_LandRent_Income = 0;
  uint8_t RRUtil_Rentopia = 0;
  uint8_t RRUtil_1left_city_owned = 0;
  uint8_t RRUtil_2left_city_owned = 0;
  uint8_t RRUtil_3left_city_owned = 0;
  uint8_t RRUtil_3left_Bonus = 0;
  uint8_t RRUtil_opponent_rentopia = 0;
  uint8_t RRUtil_Max_LandRent_Income = 0;
  uint8_t MaxScoreCap = 0;
  uint8_t spare = 0;
  uint8_t MaxDevelopment = 0;
  uint8_t MaxObjective = 0;
  uint8_t MaxHindrance = 0;
  uint8_t BasicBidVariance = 0;
  uint8_t MaxTTscoreThreshold = 0;
};

AiScores& GetAiScores();
void ResetAiScores();
// The script table's field by its name; null for an unknown name.
uint8_t* FindAiScore(std::string_view name);
// Calls f(name, field) for every field, in table order.
void ForEachAiScore(void (*f)(const char* name, uint8_t& value, void* context), void* context);

// Values the scripts set for the block scoring.
struct AiScriptLimits {
  int32_t maxBlockPotential = 0;
  int32_t blockProfitThreshold = 0;
};
AiScriptLimits& GetAiScriptLimits();
