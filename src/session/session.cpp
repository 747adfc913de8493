#include "session/session.h"

#include <algorithm>
#include <cstring>

#include "city/business.h"
#include "city/city_demand.h"
#include "city/city_services.h"
#include "city/construction_jobs.h"
#include "city/economy_services.h"
#include "engine/core/error.h"
#include "engine/core/random_stream.h"
#include "session/auction.h"
#include "session/chat_log.h"
#include "session/city_seller.h"
#include "session/event_queue.h"
#include "session/game_clock.h"
#include "session/game_messages.h"
#include "session/goals.h"
#include "session/scenarios.h"
#include "session/player.h"
#include "session/player_data.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "session/stats_history.h"
#include "session/utility_income.h"
#include "engine/files/save_game.h"

namespace {

// The session as the city's clock, players and message post.
class CitySessionLink : public CitySessionServices {
 public:
  int32_t LogicTick() const override { return static_cast<int32_t>(::LogicTick()); }
  int32_t GameHour() const override { return GameClock().hour; }
  int32_t DecadeIndex() const override { return GameClock().decade; }
  int32_t YearInDecade() const override { return GameClock().yearInDecade; }
  CPlayer* GetPlayer(int32_t number) const override { return PlayerTable().ByNumber(number); }
  int32_t LocalPlayer() const override {
    const CPlayer* p = PlayerTable().Local();
    return p ? p->index + 1 : 0;
  }
  bool OwnsDistrictSet(int32_t player, int32_t district) const override {
    const CPlayer* p = PlayerTable().ByNumber(player);
    return p && p->OwnsDistrictSet(district);
  }
  void SendMessage(int32_t type, int32_t length, std::span<const int32_t> payload, int32_t delay) override {
    CNetMessage m(type);
    if (m.GetSize() == 0 || length != m.GetSize() ||
        payload.size() * 4 > static_cast<size_t>(length - kNetHeaderSize)) {
      ReportErrorF(1, "Dropped a city message of type %d and length %d.", type, length);
      return;
    }
    ByteWriter words;
    for (int32_t word : payload) words.Put(word);
    m.SetPayload(words.bytes);
    // A price message is posted for its business's owner (only an owner's
    // own businesses are sent); the owner must still hold it when it arrives.
    if (PriceMessage prices; DecodeMessage(m, prices)) {
      const CBusiness* b = GetBusinessInUse(prices.Business.value);
      m.SetSender(b ? b->Owner : 0);
    }
    m.Send(static_cast<uint32_t>(delay));
  }
  void ReturnBlockToCity(int32_t block) override { ::ReturnBlockToCity(block, 0.0f); }
  int32_t AuctionBlock() const override { return ::AuctionBlock(); }
  void EndAuction() override { ::EndAuction(); }
  void ResetStatistics() override { PlayerData().Reset(); }
};

// The session as the economy's players and utility accounts.
class EconomyPlayerLink : public EconomyPlayerServices {
 public:
  bool IsPlayer(int32_t number) const override { return PlayerTable().ByNumber(number) != nullptr; }
  bool IsGameRunning() const override { return Session().inGame; }
  void AddMoney(int32_t player, float amount, int32_t category) override {
    if (CPlayer* p = PlayerTable().ByNumber(player)) p->AddMoney(amount, category);
  }
  void AddToLedger(int32_t player, float amount, int32_t category) override {
    if (CPlayer* p = PlayerTable().ByNumber(player)) p->AddToLedger(amount, category);
  }
  void AddRatingPoints(int32_t player, int32_t points) override {
    if (CPlayer* p = PlayerTable().ByNumber(player)) p->pointsB += points;
  }
  void AddSalesPoints(int32_t player, int32_t points) override {
    if (CPlayer* p = PlayerTable().ByNumber(player)) p->pointsA += points;
  }
  void AddUnitsSold(int32_t player, int32_t units) override {
    if (CPlayer* p = PlayerTable().ByNumber(player)) p->salesCount += units;
  }
  int32_t SupplyState(int32_t player) const override {
    const CPlayer* p = PlayerTable().ByNumber(player);
    return p ? p->cardEffect : 0;
  }
  int32_t PlayerType(int32_t player) const override {
    const CPlayer* p = PlayerTable().ByNumber(player);
    return p ? p->kind : 0;
  }
  const char* PlayerName(int32_t player) const override {
    const CPlayer* p = PlayerTable().ByNumber(player);
    return p ? p->name : "";
  }
  float AverageBlockValue() const override { return PlayerData().GetAverageBlockValue(); }
  bool UtilityChargingOn(int slot) const override {
    return slot >= 0 && slot < 4 && GetUtilityIncome().enabled[slot] != 0;
  }
  void AddUtilityIncome(int slot, float amount) override { ::AddUtilityIncome(slot, amount); }
  void PayUtilityIncome() override { ::PayUtilityIncome(); }
};



CitySessionLink& CityLink() {
  static CitySessionLink link;
  return link;
}
EconomyPlayerLink& PlayerLink() {
  static EconomyPlayerLink link;
  return link;
}



}  // namespace

void RegisterSessionSaveHooks() {
  RegisterSaveHook(kSavePlayers, [] { PlayerTable().SavePlayers(); });
  RegisterSaveHook(kSaveClock, [] { SaveGameClock(); });
  RegisterSaveHook(kSaveEventQueue, [] { EventQueue().Save(); });
  RegisterSaveHook(kSaveStatsHistory, [] { SaveStatsHistory(); });
  RegisterSaveHook(kSaveGameTime, [] { WriteRecordChunk(kChunkGameTime, GameTime()); });
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
}

void ConnectSessionToCity() {
  SetCitySessionServices(&CityLink());
  SetEconomyPlayerServices(&PlayerLink());
}

void InitSession() {
  RegisterSessionSaveHooks();
  ConnectSessionToCity();
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
  // What the city lacks, from the city the level's scripts put up.
  StartCityDemand();
  Session().inGame = true;
}
