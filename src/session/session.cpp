#include "session/construction_jobs.h"
#include "session/session.h"

#include <algorithm>
#include <cstring>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/city_services.h"
#include "city/commodities.h"
#include "city/economy_services.h"
#include "city/house_hunt.h"
#include "city/households.h"
#include "city/people.h"
#include "city/person.h"
#include "engine/core/error.h"
#include "engine/core/random_stream.h"
#include "session/city_seller.h"
#include "session/event_queue.h"
#include "session/game_clock.h"
#include "session/player.h"
#include "session/player_data.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "session/stats_history.h"
#include "session/tick_driver.h"
#include "session/utility_income.h"
#include "shell/game_loop.h"
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
    for (size_t i = 0; i < payload.size(); ++i) m.SetI32(kNetHeaderSize + 4 * static_cast<int>(i), payload[i]);
    // A price message is posted for its business's owner (only an owner's
    // own businesses are sent); the owner must still hold it when it arrives.
    if (type == kMsgBusinessPrices) {
      const CBusiness* b = GetBusinessInUse(m.I32(kNetHeaderSize));
      m.SetSender(b ? b->Owner : 0);
    }
    m.Send(static_cast<uint32_t>(delay));
  }
  void ReturnBlockToCity(int32_t block) override { ::ReturnBlockToCity(block, 0.0f); }
  int32_t AuctionBlock() const override {
    const SessionGameServices& g = *Services().game;
    return g.AuctionRunning() ? g.AuctionBlock() : -1;
  }
  void EndAuction() override { Services().game->EndAuction(); }
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

// The economy's business records as the session's business service.
class EconomyBusinessLink : public SessionBusinessServices {
 public:
  bool InUse(int32_t b) const override { return GetBusinessInUse(b) != nullptr; }
  bool Counted(int32_t b) const override {
    const CBusiness* r = GetBusinessInUse(b);
    return r && r->OpenState != kHeldClosed;
  }
  int32_t Owner(int32_t b) const override {
    const CBusiness* r = GetBusinessInUse(b);
    return r ? std::max<int32_t>(r->Owner, 0) : 0;
  }
  void SetOwner(int32_t b, int32_t owner) override {
    if (CBusiness* r = GetBusinessInUse(b)) r->SetOwner(owner);
  }
  int32_t Type(int32_t b) const override {
    const CBusiness* r = GetBusinessInUse(b);
    return r ? r->Type : -1;
  }
  int32_t Kind(int32_t b) const override {
    const CBusiness* r = GetBusinessInUse(b);
    return r ? r->Kind : -1;
  }
  int32_t Building(int32_t b) const override {
    const CBusiness* r = GetBusinessInUse(b);
    return r ? r->Building : -1;
  }
  int32_t Alloc(int32_t type, int32_t owner, int32_t building) override {
    return AllocBusiness(type, owner, building);
  }
  void Open(int32_t b, int32_t building, bool noCharge) override { OpenBusiness(b, building, noCharge); }
  void Close(int32_t b) override { CloseBusiness(b); }
  void Refresh(int32_t b, bool noCharge) override {
    if (CBusiness* r = GetBusinessInUse(b)) r->Refresh(noCharge);
  }
  float SellValue(int32_t b) const override {
    const CBusiness* r = GetBusinessInUse(b);
    return r ? r->GetSellValue() : 0.0f;
  }
  float Rating(int32_t b) const override {
    const CBusiness* r = GetBusinessInUse(b);
    return r ? r->GetRating() : 0.0f;
  }
  void ApplyPriceMessage(const CNetMessage& m) override {
    std::span<const uint8_t> bytes = m.Bytes();
    if (bytes.size() < kNetHeaderSize + sizeof(PriceMessage)) return;
    ApplyBusinessPriceMessage(m.Sender(), bytes.subspan(kNetHeaderSize, sizeof(PriceMessage)));
  }
  bool CommodityPrice(int32_t b, int32_t commodity, float& price) const override {
    const CBusiness* r = GetBusinessInUse(b);
    if (r == nullptr || !r->HasCommodity(commodity)) return false;
    price = r->GetCommodityPrice(commodity);
    return true;
  }
  float CommodityBaseValue(int32_t c) const override {
    return IsCommodity(c) ? g_Commodities[c].Value * g_Commodities[c].Markup : 0.0f;
  }
  void ResidentRent(int32_t b, float& rent, int32_t& residents) const override {
    const CBusiness* r = GetBusinessInUse(b);
    rent = r ? r->RentPerPlace : 0.0f;
    residents = r ? r->Occupants : 0;
  }
  void CountBlockResidents(int32_t block, int16_t* tally, int32_t& households) const override {
    households = 0;
    const CBlock* blk = GetBlock(block);
    if (blk == nullptr) return;
    for (const CBuilding* bld = blk->FirstBuilding; bld; bld = bld->Next) {
      const CBusiness* r = GetBusinessInUse(bld->GetBusiness());
      if (r == nullptr || r->Type != kTypeApartments) continue;
      int guard = 0;
      for (int32_t p = r->FirstResident; p >= 0 && p < kMaxPeople && guard < kMaxPeople;
           p = g_People[p].NextResident, ++guard) {
        const CHousehold* h = GetHousehold(g_People[p].Household);
        if (h == nullptr) continue;
        ++households;
        for (int c = 0; c < kCommodityCount; ++c)
          if (g_Commodities[c].Active && (h->WantMask >> c & 1u)) ++tally[c];
      }
    }
  }
  int32_t Checksum() const override { return static_cast<int32_t>(BusinessChecksum()); }
};

// The people's and the economy's jobs as the session's world steps (the rest
// of the world's steps come from their own subsystems).
class EconomyWorldLink : public SessionWorldServices {
 public:
  void UpdatePeople() override { ::UpdatePeople(); }
  void UpdateBusinessAvailabilityHourly() override { UpdateBusinessesHourly(); }
  void CloseBusinessDay() override { ::CloseBusinessDay(); }
  void SettleBusinessesDaily() override { ::SettleBusinessesDaily(); }
  void UpdatePeopleBlockMemoryDaily() override { UpdatePeopleDaily(); }
  void UpdateHouseHuntDaily() override { ::UpdateHouseHuntDaily(); }
  int32_t PeopleChecksum() override { return GetPeopleChecksum(); }
};

// The people's railroad passenger accounts.
class PeopleRailroadLink : public PeopleSessionServices {
 public:
  void AddRailroadPassengers(int32_t account, int32_t amount) override {
    ::AddRailroadPassengers(account, amount);
  }
};

// The economy's selection-panel refresh goes to the session's interface.
class EconomyPanelLink : public EconomyPanelServices {
 public:
  void RefreshSelectionPage() override { Services().ui->RefreshSelectionPage(); }
};

CitySessionLink& CityLink() {
  static CitySessionLink link;
  return link;
}
EconomyPlayerLink& PlayerLink() {
  static EconomyPlayerLink link;
  return link;
}
EconomyBusinessLink& BusinessLink() {
  static EconomyBusinessLink link;
  return link;
}
EconomyWorldLink& WorldLink() {
  static EconomyWorldLink link;
  return link;
}

PeopleRailroadLink& RailroadLink() {
  static PeopleRailroadLink link;
  return link;
}

EconomyPanelLink& PanelLink() {
  static EconomyPanelLink link;
  return link;
}

int32_t& PlayerChunksChecked() {
  static int32_t count = 0;
  return count;
}

bool CheckSetupRowChunk(std::span<const uint8_t> data) {
  if (data.size() != kPlayerSetupRowSize || ++PlayerChunksChecked() > 2 * kMaxPlayers) return false;
  int32_t kind;
  std::memcpy(&kind, data.data() + 4, 4);
  return kind >= kPlayerEmpty && kind <= kPlayerInactive && std::memchr(data.data() + 8, 0, kPlayerNameSize) != nullptr;
}

bool CheckPlayerStateChunk(std::span<const uint8_t> data) {
  return ++PlayerChunksChecked() <= 2 * kMaxPlayers && CPlayerTable::CheckPlayerState(data);
}

}  // namespace

void RegisterSessionSaveHooks() {
  RegisterSaveHook(kSavePlayers, [] { PlayerTable().SavePlayers(); });
  RegisterSaveHook(kSaveClock, [] { SaveGameClock(); });
  RegisterSaveHook(kSaveEventQueue, [] { EventQueue().Save(); });
  RegisterSaveHook(kSaveStatsHistory, [] { SaveStatsHistory(); });
  RegisterConstructionJobsChunk();
  AddSaveCheckStartStep([] { PlayerChunksChecked() = 0; });
  RegisterLoadHook(
      kChunkPlayerSetup, [](std::span<const uint8_t> d) { PlayerTable().LoadPlayerSetupRow(d); }, kPlayerSetupRowSize,
      CheckSetupRowChunk);
  RegisterLoadHook(
      kChunkPlayers, [](std::span<const uint8_t> d) { PlayerTable().LoadPlayerState(d); }, kPlayerStateSize,
      CheckPlayerStateChunk);
  RegisterLoadHook(
      kChunkClock, [](std::span<const uint8_t> d) { LoadGameClock(d); }, kClockChunkSize, CheckGameClock);
  RegisterLoadHook(
      kChunkEventQueue, [](std::span<const uint8_t> d) { EventQueue().LoadEntry(d); }, 0, CEventQueue::CheckEntry);
  RegisterLoadHook(
      kChunkStatsHistory, [](std::span<const uint8_t> d) { LoadStatsHistory(d); }, kStatsHistorySize);
}

void ConnectSessionToCity() {
  SetCitySessionServices(&CityLink());
  SetEconomyPlayerServices(&PlayerLink());
  SetEconomyPanelServices(&PanelLink());
  SetPeopleSessionServices(&RailroadLink());
  SetSessionBusinessServices(&BusinessLink());
  SetSessionWorldServices(&WorldLink());
}

void InitSession() {
  RegisterSessionSaveHooks();
  ConnectSessionToCity();
  AddTaskStep(GameTask::Logic, RunLogicTicks);
  AddResetStep([] {
    PlayerTable().DeleteAllPlayers();
    Services().game->ResetAuction();
    ResetGameClock();
    ResetUtilityIncome();
    EventQueue().Clear();
    ResetConstructionJobs();
  });
  AddLoadGameStep(LoadGamePhase::AfterLoad, [] {
    Session().tickInHour = RunningTick() % kTicksPerHour;
    LoadDecadeParameters(GameClock().decade);
    SelectUtilityIncomeValues(CurrentSaveHeader().difficulty);
    ResetUtilityIncome();
    return true;
  });
}

void StartLevelSession() {
  ResetTickCounters();
  ResetTickDriver();
  ResetGameClock();
  Services().game->ResetAuction();
  PlayerData().Reset();
  ClearStatsHistory();
  // The level's scripts have set the tweaks by now; the header record holds
  // the game's difficulty (0 until a front end or a load chooses another).
  SelectUtilityIncomeValues(CurrentSaveHeader().difficulty);
  ResetUtilityIncome();
  LoadDecadeParameters(GameClock().decade);
  if (Session().networkSession) SeedRandomStreams(static_cast<uint32_t>(Session().networkSeed));
  Session().inGame = true;
}

void EndGameSession() {
  RecordStatsHistorySample();
  EventQueue().Clear();
  Session().inGame = false;
}
