// The apply function of every game message kind, and the kind table.
// Apply<Kind> runs on every machine at the message's delivery tick with the
// decoded, checked struct; Route<Kind> is the host's (or single player's)
// routing step where a kind has one.
#include "session/game_messages.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <type_traits>
#include <vector>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/local_drafts.h"
#include "city/construction_jobs.h"
#include "engine/core/console.h"
#include "engine/core/error.h"
#include "session/ai_characters.h"
#include "session/auction.h"
#include "session/chance_cards.h"
#include "session/city_seller.h"
#include "session/event_queue.h"
#include "session/game_events.h"
#include "session/goals.h"
#include "session/net_log.h"
#include "session/player.h"
#include "session/player_data.h"
#include "session/ready_barrier.h"
#include "session/scenarios.h"
#include "session/session_services.h"
#include "session/tutorial.h"
#include "engine/core/run_state.h"

namespace {

void Unhandled() { NetLogF(0, "Unhandled Client message"); }

void RefreshPanels() { PostGameEvent(SelectionPageEvent{}); }

// Posts player message 44 to the computer owner of a business that joined it.
void TellComputerOwner(PlayerNumber ownerNumber, BusinessId business) {
  CPlayer* owner = PlayerTable().ByNumber(ownerNumber.value);
  if (owner && owner->kind != kPlayerHuman && IsAuthority())
    PlayerTable().PostPlayerMessage(owner->index, kCityPlayer, PLAYER_MESS_BUSINESS_JOINS,
                                    BusinessJoinedNote{business}, kSenderToken);
}

// The opening steps shared by kinds 15 and 16.
void OpenBusinessIn(BuildingId buildingId, int32_t type, PlayerNumber owner, bool noCharge,
                    StatusKind status) {
  CBuilding* building = GetBuilding(buildingId.value);
  if (building == nullptr || !building->InUse) return;
  int32_t business = AllocBusiness(type, owner.value, building->Id);
  if (business < 0) {
    ReportError(1, 0, "Run out of businesses");
    return;
  }
  OpenBusiness(business, building->Id, noCharge);
  PlayerData().MarkBusinessesStale();
  AddStatusMessage(status, buildingId, owner);
  TellComputerOwner(owner, BusinessId{business});
  RefreshPanels();
  FireLocalPlayerTutorialEvent(owner.value, kTutorialBusinessOpened);
}

// ---- Apply and route, by kind ------------------------------------------------------

void ApplyTimeSkip(const TimeSkipMsg& m) { GameScheduler().SetTimeSkip(static_cast<float>(m.seconds), 8); }

bool RouteSyncSnapshot(const CSyncSnapshot& m) {
  CompareSyncSnapshot(m);
  return false;
}
void ApplySyncSnapshot(const CSyncSnapshot&) { Unhandled(); }

void ApplyNewHost(const NewHostMsg& m) {
  if (Session().inGame)
    Session().serverSlot = m.slot.value;
  else
    Services().game->EndNetworkGame();
}

void ApplyGameStart(const GameStartMsg& m) {
  SessionState& s = Session();
  s.networkSeed = m.seed;
  s.networkScenario = m.scenario;
  ScenarioManager().SelectScenario(m.scenario, true);
  if (m.version != s.executableVersion)
    ReportError(1, 0,
                "You are not running the same executable version as the server. The network game may be "
                "unreliable.");
  s.networkGameStarted = true;
}

// A client takes the host's set-up rows: ids, names, tokens and kinds (open
// and closed slots are empty rows), and finds its own slot by its id.
void ApplyLobbySetup(const LobbySetupMsg& m) {
  SessionState& s = Session();
  if (!s.networkSession || s.host) return;
  CPlayerTable& table = PlayerTable();
  for (int i = 0; i < kMaxPlayers; ++i) {
    PlayerSetupRow& row = table.SetupRow(i);
    row = PlayerSetupRow{};
    row.kind = m.kinds[i] == 0 ? kPlayerHuman : m.kinds[i] == 1 ? kPlayerComputer : kPlayerEmpty;
    row.character = m.tokens[i];
    row.directPlayId = m.directPlayId[i];
    std::memcpy(row.name, m.names[i], std::min(sizeof row.name, sizeof m.names[i]));
    row.name[sizeof row.name - 1] = 0;
    if (m.directPlayId[i] > 0 && m.directPlayId[i] == s.localDirectPlayId) s.localSlot = i;
  }
  Services().game->LobbySetup(m);
}

void ApplyLobbySlot(const LobbySlotMsg& m) { Services().game->LobbySlot(m); }

bool RoutePlayerReady(const PlayerReadyMsg&, const CNetMessage& raw) {
  DispatchGameMessage(raw);  // at once, never broadcast
  return false;
}
void ApplyPlayerReady(const PlayerReadyMsg& m) { OnPlayerReady(m); }

void ApplyTickGrant(const TickGrantMsg& m) { OnTickGrant(m.limit); }

void ApplyGoalResult(const GoalResultMsg& m) { ShowGoalResult(m); }

// The player's holdings go back to the city; everyone else hears who left.
void ApplyRemovePlayer(const RemovePlayerMsg& m) {
  const CPlayer* p = PlayerTable().Get(m.player.value);
  if (p == nullptr || !p->inUse) return;
  PlayerTable().RemovePlayer(m.player.value);
  ConsolePrintF(kConsoleReply, "Player %d has left the game at tick %u", m.player.value + 1, LogicTick());
  AddStatusMessage(m);
}

void ApplyLobbyLeave(const LobbyLeaveMsg& m) {
  const SessionState& s = Session();
  if (m.keepSlot.value == s.localSlot) return;
  if (m.slot.IsNone() || m.slot.value == s.localSlot) Services().game->EndNetworkGame();
}

// The host steps the token and sends the list.
bool RouteTokenCycle(const TokenCycleMsg& m) {
  Services().game->CycleTokenAndSend(m.slot.value, m.direction);
  return false;
}
void ApplyTokenCycle(const TokenCycleMsg&) { Unhandled(); }

bool RouteConstructBuilding(const ConstructBuildingMsg& m) {
  CBlock* block = GetBlock(m.block.value);
  if (block && block->IsLotRegionFreeRect(m.x1, m.y1, m.x2, m.y2)) {
    // Reserve the lots so a second request for them in flight is refused.
    FillLotRegion(block->Lots, m.x1, m.y1, m.x2, m.y2, static_cast<uint8_t>(m.floors));
    return true;
  }
  CPlayer* requester = PlayerTable().ByNumber(m.player.value);
  if (requester && requester->kind != kPlayerHuman)
    PlayerTable().PostPlayerMessage(requester->index, kCityPlayer, PLAYER_MESS_CONSTRUCTION_REFUSED,
                                    ConstructionRefusal{m.block, m.businessType}, kSenderToken);
  return false;
}

void ApplyConstructBuilding(const ConstructBuildingMsg& m) {
  CBlock* block = GetBlock(m.block.value);
  CPlayer* player = PlayerTable().ByNumber(m.player.value);
  // Without a free job slot the building would stand unfinished for ever:
  // refused before it is placed or charged.
  CBuilding* building = block && HasFreeConstructionJobSlot() ? AllocBuilding() : nullptr;
  if (block) FillLotRegion(block->Lots, m.x1, m.y1, m.x2, m.y2, 0);  // the routing reservation
  if (building == nullptr) return;  // refused everywhere alike
  block->PlaceBuilding(building, m.x1, m.y1, m.x2, m.y2, m.floors, m.design, m.kind,
                       static_cast<uint8_t>(m.quality), m.costParts[0]);
  building->SetOwner(static_cast<uint8_t>(m.player.value));
  // The job keeps the builder's player number (0 none), as the chunk saves it.
  StartConstructionJob(m.block.value, building->Id, m.businessType, m.player.value);
  // A person's building is noted with the tick it goes up at, alike on every
  // machine of a network game.
  if (player && player->kind == kPlayerHuman)
    ConsolePrintF(kConsoleReply, "Building %d of player %d goes up on block %d at tick %u", building->Id,
                  m.player.value, m.block.value, LogicTick());
  if (player) {
    player->AddMoney(-m.costParts[0], kLedgerConstruction);
    player->AddMoney(-m.costParts[1], kLedgerConstructionPart4);
    player->AddMoney(-m.costParts[2], kLedgerConstructionPart2);
    player->AddMoney(-m.costParts[3], kLedgerConstructionPart3);
  }
  FireLocalPlayerTutorialEvent(m.player.value, kTutorialConstructionStarted);
}

void ApplyDemolishBuilding(const DemolishBuildingMsg& m) {
  CBuilding* building = GetBuilding(m.building.value);
  if (building == nullptr || !building->InUse || building->Block == nullptr) return;
  const int32_t business = building->GetBusiness();
  if (CBusiness* record = GetBusinessInUse(business)) {
    if (CPlayer* owner = PlayerTable().ByNumber(record->Owner))
      owner->AddMoney(static_cast<float>(m.refund), kLedgerDemolitionRefund);
    CloseBusiness(business);
  }
  const int32_t id = building->Id;
  if (StartDemolitionJob(building->Block->Index, id)) AddStatusMessage(m);
  RefreshPanels();
  PostGameEvent(DemolitionStartedEvent{id});
}

void ApplyOpenBusiness(const OpenBusinessMsg& m) {
  OpenBusinessIn(m.building, m.businessType, m.owner, m.flags != 0, kStatusBusinessOpened);
}

// The host's check of a purchase: the buyer is a player whose money and
// credit cover the price. A refused purchase is not sent on, so it changes
// nothing anywhere; a computer buyer is told (with the block, when a block
// was refused), a human one sees why.
bool BuyerCanPay(int32_t buyerNumber, float price, BlockId refusedBlock = BlockId{}) {
  CPlayer* buyer = PlayerTable().ByNumber(buyerNumber);
  if (buyer == nullptr || !(price >= 0.0f)) return false;
  if (buyer->CanAfford(price, true)) return true;
  if (buyer->kind != kPlayerHuman)
    PlayerTable().PostPlayerMessage(buyer->index, kCityPlayer, PLAYER_MESS_REFUSED, BlockDeal{refusedBlock},
                                    kSenderToken);
  return false;
}

bool RouteBuyBusiness(const BuyBusinessMsg& m) {
  const CBuilding* building = GetBuilding(m.building.value);
  return building != nullptr && building->InUse &&
         BuyerCanPay(m.buyer.value, building->GetBusinessSetupCost(m.businessType));
}

void ApplyBuyBusiness(const BuyBusinessMsg& m) {
  CBuilding* building = GetBuilding(m.building.value);
  CPlayer* buyer = PlayerTable().ByNumber(m.buyer.value);
  if (building == nullptr || !building->InUse || buyer == nullptr) return;
  buyer->AddMoney(-building->GetBusinessSetupCost(m.businessType), kLedgerBusinessBought);
  if (GetBusinessInUse(building->GetBusiness())) CloseBusiness(building->GetBusiness());
  OpenBusinessIn(m.building, m.businessType, m.buyer, false, kStatusBusinessBought);
  PostGameEvent(BusinessTradedEvent{building->Id});  // the change of type is answered
}

void ApplyCloseBusiness(const CloseBusinessMsg& m) {
  CBusiness* record = GetBusinessInUse(m.business.value);
  if (record == nullptr) return;
  if (CPlayer* owner = PlayerTable().ByNumber(record->Owner))
    owner->AddMoney(record->GetSellValue(), kLedgerBusinessSold);
  const int32_t seller = record->Owner;
  record->SetOwner(0);
  CBuilding* building = GetBuilding(record->Building);
  if (building) building->SetOwner(0);
  record->Refresh(false);
  PlayerData().MarkBusinessesStale();
  RefreshPanels();
  PostGameEvent(BusinessTradedEvent{building ? building->Id : -1});
  FireLocalPlayerTutorialEvent(seller, kTutorialBusinessSold);
}

void ApplyPlayerNote(const PlayerNoteMsg&) {}

bool RouteBuyout(const BuyoutMsg& m) {
  const CBuilding* building = GetBuilding(m.building.value);
  if (building == nullptr || !building->InUse || building->Block == nullptr) return false;
  return BuyerCanPay(building->Block->Owner, building->GetBuyoutPrice());
}

void ApplyBuyout(const BuyoutMsg& m) {
  CBuilding* building = GetBuilding(m.building.value);
  if (building == nullptr || !building->InUse) return;
  CBusiness* record = GetBusinessInUse(building->GetBusiness());
  CPlayer* blockOwner = building->Block ? PlayerTable().ByNumber(building->Block->Owner) : nullptr;
  if (record == nullptr || blockOwner == nullptr) return;
  const float price = building->GetBuyoutPrice();
  CPlayer* former = PlayerTable().ByNumber(record->Owner);
  if (former) former->AddMoney(price, kLedgerBuyoutGained);
  blockOwner->AddMoney(-price, kLedgerBuyoutPaid);
  record->SetOwner(NumberOf(PlayerIndex{blockOwner->index}).value);
  building->SetOwner(static_cast<uint8_t>(blockOwner->index + 1));
  PlayerData().MarkBusinessesStale();
  if (former && IsAuthority())
    PlayerTable().PostPlayerMessage(former->index, blockOwner->index, PLAYER_MESS_BOUGHT_OUT,
                                    BoughtOutNote{BuildingId{building->Id}}, kSenderToken);
  RefreshPanels();
  PostGameEvent(BusinessTradedEvent{building->Id});
}

// A block back to the city needs no buyer's money.
bool RouteBlockTransfer(const BlockTransferMsg& m) {
  return m.buyer.IsNone() || BuyerCanPay(m.buyer.value, static_cast<float>(m.price), m.block);
}

void ApplyBlockTransfer(const BlockTransferMsg& m) {
  const float price = static_cast<float>(m.price);
  CPlayerTable& table = PlayerTable();
  if (!m.buyer.IsNone()) {
    CPlayer* p = table.ByNumber(m.buyer.value);
    if (p == nullptr) {
      NetLogF(0, "Block transfer to a missing player dropped.");
      return;
    }
    p->TakeBlock(m.block.value, price);
    AddStatusMessage(m);
    if (p->kind == kPlayerHuman)
      ConsolePrintF(kConsoleReply, "Block %d leased by player %d for %d at tick %u", m.block.value, m.buyer.value,
                    m.price, LogicTick());
    FireLocalPlayerTutorialEvent(m.buyer.value, kTutorialBlockLeased);
  } else {
    const CBlock* block = GetBlock(m.block.value);
    const int32_t seller = block ? block->Owner : 0;
    ReturnBlockToCity(m.block.value, price);
    FireLocalPlayerTutorialEvent(seller, kTutorialBlockReturned);
  }
  for (int i = 0; i < kMaxPlayers; ++i)
    if (CPlayer* p = table.Get(i); p && p->inUse) p->UpdateDistrictSetFlag();
  RefreshPanels();
  PostGameEvent(BlockAnsweredEvent{m.block.value, 0});
}

bool RouteTakeOverBusiness(const TakeOverBusinessMsg& m) {
  return BuyerCanPay(NumberOf(m.player).value, static_cast<float>(m.price));
}

void ApplyTakeOverBusiness(const TakeOverBusinessMsg& m) {
  if (CPlayer* p = PlayerTable().Get(m.player.value)) p->TakeOverBusiness(m.business.value, static_cast<float>(m.price));
  RefreshPanels();
}

// A person's own prices are noted in the console with the tick they take
// effect at: every machine of a network game notes the same line.
void ApplyBusinessPrices(const PriceMessage& m, const CNetMessage& raw) {
  if (!ApplyBusinessPriceMessage(raw.Sender(), m)) return;
  const CPlayer* owner = PlayerTable().ByNumber(raw.Sender());
  if (owner == nullptr || owner->kind != kPlayerHuman) return;
  ConsolePrintF(kConsoleReply, "Prices of business %d set at tick %u: %.2f %.2f %.2f %.2f %.2f %.2f", m.Business.value,
                LogicTick(), double(m.Prices[0]), double(m.Prices[1]), double(m.Prices[2]), double(m.Prices[3]),
                double(m.Prices[4]), double(m.Prices[5]));
}

void ApplyPrepareBlock(const PrepareBlockMsg& m) {
  CBlock* block = GetBlock(m.block.value);
  if (block == nullptr) return;
  block->BuildingRights = kRightsPreparing;
  LocalBlockMarks(block->Index).Prepare = 0;
  block->PrepareHours = 24;
  EventQueue().Add(kClockRunning, static_cast<int32_t>(RunningTick() + kTicksPerDay), kEventBlockReady,
                   block->Index, nullptr);
}

bool RoutePlayCard(const PlayCardMsg& m, const CNetMessage& raw) { return ChanceCardPlayAllowed(m, raw.Sender()); }
bool RouteCardChoice(const CardChoiceMsg& m, const CNetMessage& raw) { return CardChoiceAllowed(m, raw.Sender()); }
void ApplyPlayCard(const PlayCardMsg& m) {
  ApplyChanceCardEffect(m);
  FireLocalPlayerTutorialEvent(NumberOf(m.player).value, kTutorialCardPlayed);
}

// Moves take effect on arrival, but the screen opens at a tick: a machine
// behind the mover (a client, or the host behind a client) gets moves of an
// auction whose screen it has yet to open. They wait for it and are applied
// right after it opens, in the order they came, so every machine runs the
// auction through the same moves.
struct HeldAuctionMoves {
  int32_t auction = -1;  // the auction's serial on this machine
  std::vector<AuctionStepMsg> moves;
};
HeldAuctionMoves& HeldMoves() {
  static HeldAuctionMoves held;
  return held;
}

// A request delivered while an auction is announced or up, or while others
// wait, waits its turn; one that can neither start nor wait is refused.
void ApplyStartAuction(const StartAuctionMsg& m) {
  const bool started = AuctionBusy() ? false : StartAuction(m.block.value, m.starter.value, m.opening);
  if (started || WaitForAuction(m.block.value, m.starter.value, m.opening, m.request)) return;
  RefuseAuctionRequest(m.block.value, m.starter.value, m.request);
}

void ApplyOpenAuction(const OpenAuctionMsg&) {
  OpenAuctionScreen();
  HeldAuctionMoves& held = HeldMoves();
  const std::vector<AuctionStepMsg> moves = std::move(held.moves);
  held.moves.clear();
  const CAuction* a = CurrentAuction();
  if (a == nullptr || !a->active || AuctionSerial() != held.auction) return;
  for (const AuctionStepMsg& m : moves) ApplyAuctionMessage(m);
}

void ApplyAuctionStep(const AuctionStepMsg& m) {
  const CAuction* a = CurrentAuction();
  if (a != nullptr && a->pending && !a->active) {
    HeldAuctionMoves& held = HeldMoves();
    if (held.auction != AuctionSerial()) held.moves.clear();
    held.auction = AuctionSerial();
    held.moves.push_back(m);
    return;
  }
  ApplyAuctionMessage(m);
}

void ApplyFinishAuction(const FinishAuctionMsg&) { FinishAuction(); }

// ---- Who may send what --------------------------------------------------------------
//
// A client acts only for its own player: the players a message names are
// that player, and on the host what it acts on is that player's own (its
// block, building or business) and what it pays is within its means. Each
// kind a client may send has one rule here; a kind without one is the
// host's alone (ticks, time, goals, removals, the lobby's set-up, auctions'
// course, blocks changing hands).

// Amounts a client's message may name: far above any game's prices, far
// below what would overflow the ledger.
constexpr int32_t kMaxClientAmount = 10'000'000;

bool Refuse(const char** why, const char* text) {
  if (why) *why = text;
  return false;
}

bool Is(PlayerIndex p, const Claim& c) { return p.value + 1 == c.sender; }
bool Is(PlayerNumber p, const Claim& c) { return p.value == c.sender; }
bool AmountInRange(double v) { return v >= 0.0 && v <= kMaxClientAmount; }  // false for NaN

bool OwnsBlock(int32_t block, const Claim& c) {
  const CBlock* b = GetBlock(block);
  return b != nullptr && b->Owner == c.sender;
}

// The sender's own building, or one standing on the sender's block.
bool HoldsBuilding(int32_t id, const Claim& c) {
  const CBuilding* b = GetBuilding(id);
  return b != nullptr && b->InUse && (b->Owner == c.sender || (b->Block && b->Block->Owner == c.sender));
}

bool ClientSyncSnapshot(const CSyncSnapshot& m, const Claim& c, const char** why) {
  if (m.sender + 1 != c.sender) return Refuse(why, "another player's snapshot");
  if (m.tick == 0 || m.tick % kSnapshotInterval != 0) return Refuse(why, "snapshot tick");
  if (c.holdings && m.tick > LogicTick() + kMessageDeliveryLead) return Refuse(why, "snapshot from the future");
  return true;
}

// A client keeps its own slot as the person it joined as, or leaves it open.
bool ClientLobbySlot(const LobbySlotMsg& m, const Claim& c, const char** why) {
  constexpr int8_t kHumanSlot = 0, kOpenSlot = 2;
  if (!Is(m.slot, c)) return Refuse(why, "another slot");
  if (m.kind == kOpenSlot) return m.directPlayId <= 0 || Refuse(why, "another machine's id");
  if (m.kind != kHumanSlot) return Refuse(why, "slot kind");
  if (c.peerId != 0 && m.directPlayId != c.peerId) return Refuse(why, "another machine's id");
  return true;
}

bool ClientPlayerReady(const PlayerReadyMsg& m, const Claim& c, const char** why) {
  if (!Is(m.slot, c)) return Refuse(why, "another slot");
  return !m.final || Refuse(why, "the host's final word");
}

bool ClientTokenCycle(const TokenCycleMsg& m, const Claim& c, const char** why) {
  return Is(m.slot, c) || Refuse(why, "another slot");
}

// The builder pays at least what the host's own estimate comes to (half of
// it: prices may move while the request travels).
bool ClientConstructBuilding(const ConstructBuildingMsg& m, const Claim& c, const char** why) {
  if (!Is(m.player, c)) return Refuse(why, "another player");
  for (float part : m.costParts)
    if (!AmountInRange(part)) return Refuse(why, "cost");
  if (!c.holdings) return true;
  if (!OwnsBlock(m.block.value, c)) return Refuse(why, "not the player's block");
  const BuildingCostEstimate shown = g_LastCostEstimate;  // the construction panel's
  const int32_t units = (m.x2 - m.x1 + 1) * (m.y2 - m.y1 + 1) * m.floors;
  EstimateBuildingCost(m.block.value, units, m.kind, m.businessType, static_cast<uint8_t>(m.quality), c.sender - 1);
  const float least = g_LastCostEstimate.Construction * 0.5f;
  g_LastCostEstimate = shown;
  return m.costParts[0] >= least || Refuse(why, "cost below the estimate");
}

// The refund is the building's rental value (twice it at most, as it may
// move while the request travels).
bool ClientDemolishBuilding(const DemolishBuildingMsg& m, const Claim& c, const char** why) {
  if (!Is(m.player, c)) return Refuse(why, "another player");
  if (!AmountInRange(m.refund)) return Refuse(why, "refund");
  if (!c.holdings) return true;
  if (!HoldsBuilding(m.building.value, c)) return Refuse(why, "not the player's building");
  const CBuilding* b = GetBuilding(m.building.value);
  return m.refund <= 2.0f * b->GetRentalValue() + 1.0f || Refuse(why, "refund above the building's value");
}

bool ClientBuyBusiness(const BuyBusinessMsg& m, const Claim& c, const char** why) {
  if (!Is(m.buyer, c)) return Refuse(why, "another player");
  return !c.holdings || HoldsBuilding(m.building.value, c) || Refuse(why, "not the player's building");
}

bool ClientCloseBusiness(const CloseBusinessMsg& m, const Claim& c, const char** why) {
  if (!Is(m.player, c)) return Refuse(why, "another player");
  const CBusiness* b = c.holdings ? GetBusinessInUse(m.business.value) : nullptr;
  return !c.holdings || (b && b->Owner == c.sender) || Refuse(why, "not the player's business");
}

// The block's owner buys out the business on it.
bool ClientBuyout(const BuyoutMsg& m, const Claim& c, const char** why) {
  const CBuilding* b = c.holdings ? GetBuilding(m.building.value) : nullptr;
  return !c.holdings || (b && b->InUse && b->Block && b->Block->Owner == c.sender) ||
         Refuse(why, "not on the player's block");
}

bool ClientBusinessPrices(const PriceMessage& m, const Claim& c, const char** why) {
  bool sane = AmountInRange(m.Rent);
  for (int i = 0; i < kSlotsPerBusiness; ++i)
    sane = sane && AmountInRange(m.Prices[i]) && m.StockTargets[i] >= 0 && m.StockTargets[i] <= kMaxClientAmount;
  if (!sane) return Refuse(why, "price");
  const CBusiness* b = c.holdings ? GetBusinessInUse(m.Business.value) : nullptr;
  return !c.holdings || (b && b->Owner == c.sender) || Refuse(why, "not the player's business");
}

bool ClientPrepareBlock(const PrepareBlockMsg& m, const Claim& c, const char** why) {
  return !c.holdings || OwnsBlock(m.block.value, c) || Refuse(why, "not the player's block");
}

bool ClientPlayCard(const PlayCardMsg& m, const Claim& c, const char** why) {
  return Is(m.player, c) || Refuse(why, "another player");
}

// A player keeps or throws away its own card; dealing is the host's.
bool ClientCardChoice(const CardChoiceMsg& m, const Claim& c, const char** why) {
  if (m.choice == kCardChoiceDeal) return Refuse(why, "a deal");
  return Is(m.player, c) || Refuse(why, "another player");
}

// A block's owner sends its block to auction at another player's request.
bool ClientStartAuction(const StartAuctionMsg& m, const Claim& c, const char** why) {
  if (m.starter.IsNone()) return Refuse(why, "the city's auction");
  if (!AmountInRange(m.opening)) return Refuse(why, "opening bid");
  return !c.holdings || OwnsBlock(m.block.value, c) || Refuse(why, "not the player's block");
}

// A bid, pass or pull-out of the sender's own bidder; a bid within its means.
bool ClientAuctionStep(const AuctionStepMsg& m, const Claim& c, const char** why) {
  if (m.step == kAuctionMoveStage) return Refuse(why, "the auctioneer's stage");
  if (!Is(m.player, c)) return Refuse(why, "another player");
  if (!AmountInRange(m.amount)) return Refuse(why, "amount");
  if (!c.holdings || m.step != kAuctionMoveBid) return true;
  const CPlayer* p = PlayerTable().ByNumber(c.sender);
  return (p && p->CanAfford(static_cast<float>(m.amount), true)) || Refuse(why, "bid beyond the player's means");
}

}  // namespace

PlayerMessageBody PlayerMessageBodyFor(int32_t code) {
  switch (code) {
    case PLAYER_MESS_BLOCK_SALE:
    case PLAYER_MESS_BUY_REQUEST:
    case PLAYER_MESS_BUY_ACCEPTED:
    case PLAYER_MESS_REFUSED:
      return BlockDeal{};
    case PLAYER_MESS_AUCTION_BEGINS:
    case PLAYER_MESS_AUCTION_OVER:
    case PLAYER_MESS_AUCTION_ENDED:
      return AuctionNews{};
    case PLAYER_MESS_PURCHASE_SETTLED:
      return AuctionSettled{};
    case PLAYER_MESS_BOUGHT_OUT:
      return BoughtOutNote{};
    case PLAYER_MESS_BUSINESS_JOINS:
      return BusinessJoinedNote{};
    case PLAYER_MESS_CONSTRUCTION_REFUSED:
      return ConstructionRefusal{};
    case PLAYER_MESS_CARD_REQUEST:
    case PLAYER_MESS_CARD_DEAL:
    case PLAYER_MESS_CARD_HELD:
    case PLAYER_MESS_CARD_DISCARD:
      return CardNote{};
    default:
      return PlainNote{};
  }
}

namespace {

// To another player anything of its own; to the city only what a person's
// panels ask of it: a block of its own for sale, an offer for a block, a
// card drawn or one of the dealt ones handed back.
bool ClientPlayerMessage(const PlayerMessage& m, const Claim& c, const char** why) {
  if (!Is(m.from, c)) return Refuse(why, "another player");
  if (m.to.value == m.from.value) return Refuse(why, "to itself");
  if (!m.to.IsNone()) return true;
  switch (m.code) {
    case PLAYER_MESS_BLOCK_SALE: {
      const BlockDeal& sale = m.As<BlockDeal>();
      if (!AmountInRange(sale.amount)) return Refuse(why, "amount");
      return !c.holdings || OwnsBlock(sale.block.value, c) || Refuse(why, "not the player's block");
    }
    case PLAYER_MESS_BUY_REQUEST:
      return AmountInRange(m.As<BlockDeal>().amount) || Refuse(why, "amount");
    case PLAYER_MESS_CARD_REQUEST:
      return true;
    case PLAYER_MESS_CARD_DISCARD:
      return !c.holdings || ChanceDeck().IsDrawn(m.As<CardNote>().card) || Refuse(why, "a card nobody holds");
    default:
      return Refuse(why, "not a request for the city");
  }
}

// ---- The table ---------------------------------------------------------------------

template <class T>
bool CheckAs(const CNetMessage& raw, const char** why) {
  T staged;
  return DecodeMessage(raw, staged, why);
}

template <class T, auto Fn>
void Call(const T& m, const CNetMessage& raw) {
  if constexpr (std::is_invocable_v<decltype(Fn), const T&>) Fn(m);
  else Fn(m, raw);
}

template <class T, auto Apply>
void ApplyAs(const CNetMessage& raw) {
  T staged;
  if (DecodeMessage(raw, staged)) Call<T, Apply>(staged, raw);
}

template <class T, auto Rule>
bool ClientAs(const CNetMessage& raw, const Claim& claim, const char** why) {
  T staged;
  return DecodeMessage(raw, staged, why) && Rule(staged, claim, why);
}

template <class T, auto Route>
bool RouteAs(const CNetMessage& raw) {
  T staged;
  if (!DecodeMessage(raw, staged)) return false;
  if constexpr (std::is_invocable_v<decltype(Route), const T&>) return Route(staged);
  else return Route(staged, raw);
}

constexpr bool kRelative = true, kAtOnce = false;

template <class T, auto Apply, auto Route = nullptr, auto Client = nullptr>
constexpr MessageKind Kind(int32_t size, bool relative, const char* name, CNetMessage (*sample)()) {
  static_assert(T::kType > kMsgNone && T::kType <= kMsgLastType, "a message kind's type beyond kMsgLastType");
  MessageKind k{T::kType, T::kType, size, relative, name, CheckAs<T>, nullptr, ApplyAs<T, Apply>, nullptr, sample};
  // Decided by type: comparing a function's address is not a constant under
  // the sanitizers.
  if constexpr (!std::is_same_v<decltype(Route), std::nullptr_t>) k.route = RouteAs<T, Route>;
  if constexpr (!std::is_same_v<decltype(Client), std::nullptr_t>) k.client = ClientAs<T, Client>;
  return k;
}

const MessageKind kKinds[] = {
    Kind<TimeSkipMsg, ApplyTimeSkip>(24, kAtOnce, "time skip", [] { return EncodeMessage(TimeSkipMsg{2}); }),
    Kind<CSyncSnapshot, ApplySyncSnapshot, RouteSyncSnapshot, ClientSyncSnapshot>(52, kAtOnce, "sync snapshot", [] {
      CSyncSnapshot s;
      s.sender = 2;
      s.tick = 400;
      s.people = -5;
      return EncodeMessage(s);
    }),
    Kind<NewHostMsg, ApplyNewHost>(24, kAtOnce, "new host", [] { return EncodeMessage(NewHostMsg{PlayerIndex{1}}); }),
    Kind<GameStartMsg, ApplyGameStart>(36, kAtOnce, "game start",
                                       [] { return EncodeMessage(GameStartMsg{1234, 100001, 1}); }),
    Kind<LobbySetupMsg, ApplyLobbySetup>(276, kAtOnce, "lobby set-up", [] {
      LobbySetupMsg m;
      for (int i = 0; i < kMaxPlayers; ++i) {
        m.directPlayId[i] = 100 + i;
        std::snprintf(m.names[i], kLobbyNameSize, "Player %d", i + 1);
        m.kinds[i] = static_cast<int8_t>(i % 4);
        m.tokens[i] = static_cast<int8_t>(i < 4 ? i : -1);
      }
      return EncodeMessage(m);
    }),
    Kind<LobbySlotMsg, ApplyLobbySlot, nullptr, ClientLobbySlot>(64, kAtOnce, "lobby slot",
                                       [] { return EncodeMessage(LobbySlotMsg{PlayerIndex{3}, "Slot three"}); }),
    Kind<PlayerReadyMsg, ApplyPlayerReady, RoutePlayerReady, ClientPlayerReady>(
        28, kAtOnce, "player ready", [] { return EncodeMessage(PlayerReadyMsg{PlayerIndex{2}, true}); }),
    Kind<TickGrantMsg, ApplyTickGrant>(24, kAtOnce, "tick grant", [] { return EncodeMessage(TickGrantMsg{75}); }),
    Kind<GoalResultMsg, ApplyGoalResult>(28, kRelative, "goal result",
                                         [] { return EncodeMessage(GoalResultMsg{PlayerIndex{1}, 2}); }),
    Kind<RemovePlayerMsg, ApplyRemovePlayer>(24, kRelative, "remove player",
                                             [] { return EncodeMessage(RemovePlayerMsg{PlayerIndex{3}}); }),
    Kind<LobbyLeaveMsg, ApplyLobbyLeave>(
        28, kAtOnce, "lobby leave", [] { return EncodeMessage(LobbyLeaveMsg{PlayerIndex{-1}, PlayerIndex{2}}); }),
    Kind<TokenCycleMsg, ApplyTokenCycle, RouteTokenCycle, ClientTokenCycle>(
        28, kAtOnce, "token cycle", [] { return EncodeMessage(TokenCycleMsg{PlayerIndex{1}, 1}); }),
    Kind<ConstructBuildingMsg, ApplyConstructBuilding, RouteConstructBuilding, ClientConstructBuilding>(60, kRelative, "construct", [] {
      return EncodeMessage(ConstructBuildingMsg{BlockId{12}, 1, 3, 2, 4, 2, 77, 5, 0, 1, PlayerNumber{1},
                                                {100.0f, 4.0f, 3.0f, 2.0f}});
    }),
    Kind<DemolishBuildingMsg, ApplyDemolishBuilding, nullptr, ClientDemolishBuilding>(28, kRelative, "demolish", [] {
      return EncodeMessage(DemolishBuildingMsg{PlayerIndex{0}, BuildingId{42}, 500});
    }),
    Kind<OpenBusinessMsg, ApplyOpenBusiness>(36, kRelative, "open business", [] {
      return EncodeMessage(OpenBusinessMsg{BuildingId{42}, 3, PlayerNumber{1}, 1});
    }),
    Kind<BuyBusinessMsg, ApplyBuyBusiness, RouteBuyBusiness, ClientBuyBusiness>(32, kRelative, "buy business", [] {
      return EncodeMessage(BuyBusinessMsg{BuildingId{42}, 4, PlayerNumber{2}});
    }),
    Kind<CloseBusinessMsg, ApplyCloseBusiness, nullptr, ClientCloseBusiness>(28, kRelative, "close business", [] {
      return EncodeMessage(CloseBusinessMsg{BusinessId{17}, PlayerIndex{0}});
    }),
    Kind<PlayerNoteMsg, ApplyPlayerNote>(28, kRelative, "player note", [] { return EncodeMessage(PlayerNoteMsg{}); }),
    Kind<BuyoutMsg, ApplyBuyout, RouteBuyout, ClientBuyout>(24, kRelative, "buy-out", [] { return EncodeMessage(BuyoutMsg{BuildingId{42}}); }),
    Kind<BlockTransferMsg, ApplyBlockTransfer, RouteBlockTransfer>(28, kRelative, "block transfer", [] {
      return EncodeMessage(BlockTransferMsg{750, BlockId{12}, PlayerNumber{1}});
    }),
    Kind<TakeOverBusinessMsg, ApplyTakeOverBusiness, RouteTakeOverBusiness>(32, kRelative, "take over", [] {
      return EncodeMessage(TakeOverBusinessMsg{900, BusinessId{17}, PlayerIndex{1}});
    }),
    Kind<PriceMessage, ApplyBusinessPrices, nullptr, ClientBusinessPrices>(64, kRelative, "business prices", [] {
      return EncodeMessage(PriceMessage{BusinessId{17}, {5, 5}, {2.5f, 3.0f}, 40.0f});
    }),
    Kind<PrepareBlockMsg, ApplyPrepareBlock, nullptr, ClientPrepareBlock>(24, kRelative, "prepare block",
                                             [] { return EncodeMessage(PrepareBlockMsg{BlockId{12}}); }),
    Kind<PlayCardMsg, ApplyPlayCard, RoutePlayCard, ClientPlayCard>(32, kRelative, "play card",
                                     [] { return EncodeMessage(PlayCardMsg{4, PlayerIndex{1}, 12}); }),
    Kind<CardChoiceMsg, ApplyCardChoice, RouteCardChoice, ClientCardChoice>(32, kRelative, "card choice", [] {
      return EncodeMessage(CardChoiceMsg{kCardChoiceKeep, PlayerIndex{1}, 12});
    }),
    Kind<StartAuctionMsg, ApplyStartAuction, nullptr, ClientStartAuction>(52, kRelative, "start auction", [] {
      return EncodeMessage(StartAuctionMsg{BlockId{12}, PlayerIndex{-1}, 500, {BlockDeal{BlockId{3}, 250}, -1}});
    }),
    Kind<OpenAuctionMsg, ApplyOpenAuction>(20, kRelative, "open auction",
                                           [] { return EncodeMessage(OpenAuctionMsg{}); }),
    Kind<AuctionStepMsg, ApplyAuctionStep, nullptr, ClientAuctionStep>(32, kAtOnce, "auction step",
                                           [] { return EncodeMessage(AuctionStepMsg{0, PlayerIndex{1}, 600}); }),
    Kind<FinishAuctionMsg, ApplyFinishAuction>(20, kRelative, "finish auction",
                                               [] { return EncodeMessage(FinishAuctionMsg{}); }),
    // Player messages: routed and dispatched by their own rules (message_dispatch.cpp).
    MessageKind{kMsgFirstPlayerMessage, kMsgLastPlayerMessage, kPlayerMessageSize, kAtOnce, "player message",
                CheckAs<PlayerMessage>, nullptr, DispatchPlayerMessage, ClientAs<PlayerMessage, ClientPlayerMessage>, [] {
                  return EncodeMessage(PlayerMessage{PLAYER_MESS_BUY_REQUEST, PlayerIndex{0}, PlayerIndex{-1},
                                                     BlockDeal{BlockId{12}, 500}, -1});
                }},
};

}  // namespace

std::span<const MessageKind> MessageKinds() { return kKinds; }

const MessageKind* FindMessageKind(int32_t type) {
  static const std::array<const MessageKind*, kMsgLastType + 1> byType = [] {
    std::array<const MessageKind*, kMsgLastType + 1> index{};
    for (const MessageKind& k : kKinds)
      for (int32_t t = k.firstType; t <= k.lastType; ++t) index[t] = &k;
    return index;
  }();
  return type >= 0 && type <= kMsgLastType ? byType[type] : nullptr;
}
