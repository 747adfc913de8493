// Posting, routing and dispatching game messages.
#include <cstring>

#include "city/blocks.h"
#include "city/buildings.h"
#include "engine/core/error.h"
#include "session/city_seller.h"
#include "session/construction_jobs.h"
#include "session/event_queue.h"
#include "session/net_message.h"
#include "session/player.h"
#include "session/player_data.h"
#include "session/ready_barrier.h"
#include "session/session_services.h"
#include "session/tick_driver.h"
#include "shell/game_loop.h"

namespace {

void Unhandled() { ReportError(1, 0, "Unhandled Client message"); }

// The player created from the set-up row that carries a DirectPlay id; 0 when none.
int32_t PlayerNumberOfDirectPlayId(int32_t id) {
  if (id == 0) return 0;
  CPlayerTable& table = PlayerTable();
  for (int i = 0; i < kMaxPlayers; ++i)
    if (table.Get(i) != nullptr && table.SetupRow(i).directPlayId == id) return i + 1;
  return 0;
}

void RefreshPanels() { Services().ui->RefreshSelectionPage(); }

// Posts player message 44 to the computer owner of a business that joined it.
void TellComputerOwner(int32_t ownerNumber, int32_t business) {
  CPlayer* owner = PlayerTable().ByNumber(ownerNumber);
  if (owner && owner->kind != kPlayerHuman && IsAuthority())
    PlayerTable().PostPlayerMessage(owner->index, kCityPlayer, PLAYER_MESS_BUSINESS_JOINS, business, 0, 0, 0,
                                    kSenderToken);
}

void ApplyConstruct(const CNetMessage& m) {
  const int32_t blockIndex = m.I8(20);
  const int x1 = m.I8(21), x2 = m.I8(22), y1 = m.I8(23), y2 = m.I8(24);
  CBlock* block = GetBlock(blockIndex);
  CPlayer* player = PlayerTable().ByNumber(m.I8(41));
  // Without a free job slot the building would stand unfinished for ever:
  // refused before it is placed or charged.
  CBuilding* building = block && HasFreeConstructionJobSlot() ? AllocBuilding() : nullptr;
  if (building == nullptr) {
    // Refused everywhere alike: the lots reserved by routing are freed again.
    if (block) FillLotRegion(block->Lots, x1, y1, x2, y2, 0);
    return;
  }
  FillLotRegion(block->Lots, x1, y1, x2, y2, 0);
  block->PlaceBuilding(building, x1, y1, x2, y2, m.U8(25), m.I32(28), m.I32(36), m.U8(40), m.F32(44));
  building->SetOwner(static_cast<uint8_t>(m.I8(41)));
  StartConstructionJob(blockIndex, building->Id, m.I32(32), m.I8(41));
  if (player) {
    player->AddMoney(-m.F32(44), kLedgerConstruction);
    player->AddMoney(-m.F32(48), kLedgerConstructionPart4);
    player->AddMoney(-m.F32(52), kLedgerConstructionPart2);
    player->AddMoney(-m.F32(56), kLedgerConstructionPart3);
  }
}

void ApplyDemolish(const CNetMessage& m) {
  CBuilding* building = GetBuilding(m.I16(22));
  if (building == nullptr || !building->InUse || building->Block == nullptr) return;
  SessionBusinessServices& biz = *Services().business;
  int32_t business = building->GetBusiness();
  if (business >= 0 && biz.InUse(business)) {
    if (CPlayer* owner = PlayerTable().ByNumber(biz.Owner(business)))
      owner->AddMoney(static_cast<float>(m.I32(24)), kLedgerDemolitionRefund);
    biz.Close(business);
  }
  const int32_t id = building->Id;
  if (StartDemolitionJob(building->Block->Index, id)) AddStatusMessage(3, m);
  RefreshPanels();
  Services().ui->OnDemolitionStarted(id);
}

void OpenBusinessFor(const CNetMessage& m, int32_t statusKind) {
  CBuilding* building = GetBuilding(m.I32(20));
  if (building == nullptr || !building->InUse) return;
  SessionBusinessServices& biz = *Services().business;
  int32_t owner = m.I32(28);
  int32_t business = biz.Alloc(m.I32(24), owner, building->Id);
  if (business < 0) {
    ReportError(1, 0, "Run out of businesses");
    return;
  }
  biz.Open(business, building->Id, m.Type() == kMsgOpenBusiness && m.U8(32) != 0);
  PlayerData().MarkBusinessesStale();
  AddStatusMessage(statusKind, m);
  TellComputerOwner(owner, business);
  RefreshPanels();
}

void ApplyBuyBusiness(const CNetMessage& m) {
  CBuilding* building = GetBuilding(m.I32(20));
  CPlayer* buyer = PlayerTable().ByNumber(m.I32(28));
  if (building == nullptr || !building->InUse || buyer == nullptr) return;
  buyer->AddMoney(-building->GetBusinessSetupCost(m.I32(24)), kLedgerBusinessBought);
  SessionBusinessServices& biz = *Services().business;
  if (building->GetBusiness() >= 0 && biz.InUse(building->GetBusiness())) biz.Close(building->GetBusiness());
  OpenBusinessFor(m, 2);
}

void ApplyCloseBusiness(const CNetMessage& m) {
  SessionBusinessServices& biz = *Services().business;
  int32_t business = m.I32(20);
  if (!biz.InUse(business)) return;
  if (CPlayer* owner = PlayerTable().ByNumber(biz.Owner(business)))
    owner->AddMoney(biz.SellValue(business), kLedgerBusinessSold);
  biz.SetOwner(business, 0);
  CBuilding* building = GetBuilding(biz.Building(business));
  if (building) building->SetOwner(0);
  biz.Refresh(business, false);
  PlayerData().MarkBusinessesStale();
  RefreshPanels();
  Services().ui->OnBusinessTraded(building ? building->Id : -1);
}

void ApplyBuyout(const CNetMessage& m) {
  CBuilding* building = GetBuilding(m.I32(20));
  if (building == nullptr || !building->InUse) return;
  SessionBusinessServices& biz = *Services().business;
  int32_t business = building->GetBusiness();
  CPlayer* blockOwner = building->Block ? PlayerTable().ByNumber(building->Block->Owner) : nullptr;
  if (business < 0 || !biz.InUse(business) || blockOwner == nullptr) return;
  float price = building->GetBuyoutPrice();
  int32_t formerNumber = biz.Owner(business);
  CPlayer* former = PlayerTable().ByNumber(formerNumber);
  if (former) former->AddMoney(price, kLedgerBuyoutGained);
  blockOwner->AddMoney(-price, kLedgerBuyoutPaid);
  biz.SetOwner(business, blockOwner->index + 1);
  building->SetOwner(static_cast<uint8_t>(blockOwner->index + 1));
  PlayerData().MarkBusinessesStale();
  if (former && IsAuthority())
    PlayerTable().PostPlayerMessage(former->index, blockOwner->index, PLAYER_MESS_BOUGHT_OUT, building->Id, 0, 0, 0,
                                    kSenderToken);
  RefreshPanels();
  Services().ui->OnBusinessTraded(building->Id);
}

void ApplyBlockTransfer(const CNetMessage& m) {
  const float price = static_cast<float>(m.I32(20));
  const int32_t block = m.I16(24);
  const int32_t buyer = m.U8(26);
  CPlayerTable& table = PlayerTable();
  if (buyer != 0) {
    CPlayer* p = table.ByNumber(buyer);
    if (p == nullptr) {
      ReportError(1, 0, "Block transfer to a missing player dropped.");
      return;
    }
    p->TakeBlock(block, price);
    AddStatusMessage(0, m);
  } else {
    ReturnBlockToCity(block, price);
  }
  for (int i = 0; i < kMaxPlayers; ++i)
    if (CPlayer* p = table.Get(i); p && p->inUse) p->UpdateDistrictSetFlag();
  RefreshPanels();
  Services().ui->OnBlockRequestAnswered(block, 0);
}

void ApplyPrepareBlock(const CNetMessage& m) {
  CBlock* block = GetBlock(m.I32(20));
  if (block == nullptr) return;
  block->BuildingRights = kRightsPreparing;
  block->PreparePending = 0;
  block->PrepareHours = 24;
  EventQueue().Add(kClockRunning, static_cast<int32_t>(RunningTick() + kTicksPerDay), kEventBlockReady,
                   block->Index, nullptr);
}

void ApplyStartAuction(const CNetMessage& m) {
  SessionGameServices& game = *Services().game;
  if (game.AuctionRunning()) {
    if (IsAuthority())
      PlayerTable().PostPlayerMessage(m.I32(24), kCityPlayer, PLAYER_MESS_REFUSED, m.I32(32), m.I32(36), m.I32(40),
                                      m.I32(44), m.I32(48));
    return;
  }
  game.StartAuction(m.I32(20), m.I32(24), m.I32(28));
}

void ApplyGameStart(const CNetMessage& m) {
  SessionState& s = Session();
  s.networkSeed = m.I32(20);
  Services().game->SelectScenario(m.I32(24), true);
  if (m.I32(32) != s.executableVersion)
    ReportError(1, 0,
                "You are not running the same executable version as the server. The network game may be "
                "unreliable.");
  s.networkGameStarted = true;
}

void ApplyLobbyLeave(const CNetMessage& m) {
  const SessionState& s = Session();
  if (m.I32(24) == s.localSlot) return;
  if (m.I32(20) == -1 || m.I32(20) == s.localSlot) Services().game->EndNetworkGame();
}

void ApplyNewHost(const CNetMessage& m) {
  if (Session().inGame)
    Session().serverSlot = m.I32(20);
  else
    Services().game->EndNetworkGame();
}

void DispatchKind(const CNetMessage& m) {
  SessionGameServices& game = *Services().game;
  switch (m.Type()) {
    case kMsgNone: break;
    case kMsgTimeSkip: GameScheduler().SetTimeSkip(static_cast<float>(m.U32(20)), 8); break;
    case kMsgNewHost: ApplyNewHost(m); break;
    case kMsgGameStart: ApplyGameStart(m); break;
    case kMsgLobbySetup:
      if (Session().networkSession && !Session().host) game.LobbyMessage(m);
      break;
    case kMsgLobbySlot: game.LobbyMessage(m); break;
    case kMsgPlayerReady: OnPlayerReady(m); break;
    case kMsgTickGrant: OnTickGrant(m.U32(20)); break;
    case kMsgGoal: game.ApplyGoalMessage(m); break;
    case kMsgRemovePlayer: PlayerTable().RemovePlayer(m.I32(20)); break;
    case kMsgLobbyLeave: ApplyLobbyLeave(m); break;
    case kMsgConstruct: ApplyConstruct(m); break;
    case kMsgDemolish: ApplyDemolish(m); break;
    case kMsgOpenBusiness: OpenBusinessFor(m, 1); break;
    case kMsgBuyBusiness: ApplyBuyBusiness(m); break;
    case kMsgCloseBusiness: ApplyCloseBusiness(m); break;
    case kMsgPlayerNote: break;
    case kMsgBuyout: ApplyBuyout(m); break;
    case kMsgBlockTransfer: ApplyBlockTransfer(m); break;
    case kMsgTakeOverBusiness:
      if (CPlayer* p = PlayerTable().Get(m.I8(28))) p->TakeOverBusiness(m.I32(24), static_cast<float>(m.I32(20)));
      RefreshPanels();
      break;
    case kMsgBusinessPrices: Services().business->ApplyPriceMessage(m); break;
    case kMsgPrepareBlock: ApplyPrepareBlock(m); break;
    case kMsgPlayCard: game.ApplyChanceCardEffect(m); break;
    case kMsgStartAuction: ApplyStartAuction(m); break;
    case kMsgOpenAuction: game.OpenAuctionScreen(m); break;
    case kMsgAuction: game.ApplyAuctionMessage(m); break;
    case kMsgFinishAuction: game.FinishAuction(m); break;
    default: Unhandled(); break;  // 2, 12 and anything unknown
  }
}

void QueueOnPlayer(const CNetMessage& m) {
  CPlayer* target = PlayerTable().Get(m.I8(21));
  if (target) target->AddMessage(m);
}

void ClearPendingRequest(const CNetMessage& m) {
  if (m.Type() == PLAYER_MESS_REFUSED) Services().ui->OnBlockRequestAnswered(m.I32(24), 1);
}

void RoutePlayerMessage(const CNetMessage& m) {
  ClearPendingRequest(m);
  int32_t to = m.I8(21);
  if (to == kCityPlayer) {
    CityHandleMessage(m);
    return;
  }
  CPlayer* target = PlayerTable().Get(to);
  if (target == nullptr) return;
  if (target->kind != kPlayerHuman || target == PlayerTable().Local() || !Session().networkSession)
    target->AddMessage(m);
  else
    Services().network->SendToSlot(to, m.Bytes());
}

// Whether a routed message is applied and passed on.
bool ValidForRouting(const CNetMessage& m) {
  switch (m.Type()) {
    case kMsgNone: return false;
    case kMsgSyncSnapshot:
      CompareSyncSnapshot(CSyncSnapshot::FromMessage(m));
      return false;
    case kMsgPlayerReady:
      DispatchGameMessage(m);
      return false;
    case kMsgTokenCycle:
      Services().game->LobbyMessage(m);
      return false;
    case kMsgConstruct: {
      CBlock* block = GetBlock(m.I8(20));
      const int x1 = m.I8(21), x2 = m.I8(22), y1 = m.I8(23), y2 = m.I8(24);
      if (block && block->IsLotRegionFreeRect(x1, y1, x2, y2)) {
        // Reserve the lots so a second request for them in flight is refused.
        FillLotRegion(block->Lots, x1, y1, x2, y2, m.U8(25));
        return true;
      }
      CPlayer* requester = PlayerTable().ByNumber(m.I8(41));
      if (requester && requester->kind != kPlayerHuman)
        PlayerTable().PostPlayerMessage(requester->index, kCityPlayer, PLAYER_MESS_CONSTRUCTION_REFUSED, m.I8(20),
                                        m.I32(32), 0, 0, kSenderToken);
      return false;
    }
    default: return true;
  }
}

}  // namespace

bool CNetMessage::Send(uint32_t delay) {
  SetI32(0, 0);
  SetI32(8, GetSize());
  SetDelivery(delay);
  const char* why = "";
  if (!CheckNetMessage(Bytes(), &why) || Length() == 0) {
    ReportErrorF(1, "Dropped a bad game message of type %d (%s).", Type(), why);
    return false;
  }
  const SessionState& s = Session();
  if (!s.networkSession || s.host)
    RouteGameMessage(*this);
  else
    Services().network->SendToHost(Bytes());
  return true;
}

void RouteGameMessage(CNetMessage& m) {
  if (IsPlayerMessageType(m.Type())) {
    RoutePlayerMessage(m);
    return;
  }
  bool valid = ValidForRouting(m);
  if (m.Relative()) {
    m.SetDelivery(m.Delivery() + LogicTick() + kMessageDeliveryLead);
    m.SetRelative(false);
  }
  if (!valid) return;
  DispatchGameMessage(m);
  if (Session().networkSession) Services().network->SendToAll(m.Bytes());
}

void DispatchGameMessage(const CNetMessage& m) {
  const uint32_t delivery = m.Delivery();
  if (delivery != 0 && delivery != LogicTick()) {
    if (delivery > LogicTick()) {
      EventQueue().Add(kClockLogic, static_cast<int32_t>(delivery), kEventDeliverMessage, -1, &m);
      return;
    }
    ReportError(1, 0, "We have received a message after we ought to have done. Going out of sync...");
  }
  if (IsPlayerMessageType(m.Type())) {
    ClearPendingRequest(m);
    if (PlayerTable().Get(m.I8(21)) == PlayerTable().Local()) QueueOnPlayer(m);
    return;
  }
  DispatchKind(m);
}

void OnDirectPlayGameMessage(std::span<const uint8_t> bytes, int32_t fromDirectPlayId) {
  CNetMessage m;
  const char* why = "";
  if (bytes.size() > static_cast<size_t>(kNetReceiveBufferSize) || !CheckNetMessage(bytes, &why) ||
      !m.Parse(bytes)) {
    ReportErrorF(1, "Dropped a bad network message (%s).", why);
    return;
  }
  if (Session().networkSession && Session().host) {
    // A client may only act for its own player, whatever it wrote.
    m.SetSender(PlayerNumberOfDirectPlayId(fromDirectPlayId));
    RouteGameMessage(m);
  } else {
    DispatchGameMessage(m);
  }
}

void AddStatusMessage(int32_t kind, const CNetMessage& m) {
  int32_t record[10];
  for (int32_t& v : record) v = -1;
  SessionBusinessServices& biz = *Services().business;
  switch (kind) {
    case 0:
      record[1] = m.U8(26);
      record[7] = m.I16(24);
      break;
    case 1:
    case 2: {
      record[1] = m.I32(28);
      const CBuilding* b = GetBuilding(m.I32(20));
      record[3] = m.I32(20);
      if (b) {
        record[4] = b->Kind;
        record[5] = b->GetBusiness();
        record[6] = b->GetBusiness() >= 0 ? biz.Type(b->GetBusiness()) : -1;
        record[7] = b->Block ? b->Block->Index : -1;
      }
      break;
    }
    case 3: {
      const CBuilding* b = GetBuilding(m.I16(22));
      record[3] = m.I16(22);
      if (b && b->Block) {
        record[7] = b->Block->Index;
        record[1] = b->Block->Owner;
      }
      break;
    }
    default:
      ReportError(1, 0, "AddStatusMessage: Unhandled Status Message");
      return;
  }
  record[2] = kind;
  Services().ui->AddTickerMessage(record);
}
