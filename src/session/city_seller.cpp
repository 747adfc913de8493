#include "session/city_seller.h"

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "engine/core/error.h"
#include "session/auction.h"
#include "session/chance_cards.h"
#include "session/game_messages.h"
#include "session/game_events.h"
#include "session/player.h"
#include "session/player_data.h"
#include "session/session_services.h"
#include "session/net_log.h"

namespace {

struct CityObject {
  const PlayerMessage* message = nullptr;
  bool busy = false;
};

CityObject& TheCity() {
  static CityObject city;
  return city;
}

// Owner of every building of the block that follows the block's owner (kind 2),
// and of its business; then every building's model and owner-change stamp.
void PassBlockBuildings(CBlock& block, int32_t ownerNumber) {
  for (CBuilding* b = block.FirstBuilding; b; b = b->Next) {
    if (b->Kind == kKindLandscape) {
      b->Owner = static_cast<uint8_t>(ownerNumber);
      if (CBusiness* business = GetBusinessInUse(b->GetBusiness())) business->SetOwner(ownerNumber);
    }
    RefreshBuildingModel(*b);
    b->StampOwnerChange();
  }
}

// The city sells for no less than the block's price, to a buyer whose money
// and credit cover the offer.
bool CityAcceptsOffer(PlayerIndex from, BlockId block, int32_t amount) {
  const CPlayer* buyer = PlayerTable().Get(from.value);
  return buyer != nullptr && static_cast<float>(amount) >= GetBlock(block.value)->GetLeasePrice() &&
         buyer->CanAfford(static_cast<float>(amount), false);
}

}  // namespace

bool CityIsBusy() { return TheCity().busy; }

void CityHandleMessage(const PlayerMessage& m) {
  CityObject& city = TheCity();
  city.busy = true;
  city.message = &m;
  CPlayerTable& table = PlayerTable();
  const bool direct = table.ActiveCount() < 2;
  const BlockDeal& deal = m.As<BlockDeal>();
  const BlockId block = deal.block;
  const int32_t amount = deal.amount;
  switch (m.code) {
    case PLAYER_MESS_BLOCK_SALE:
      if (GetBlock(block.value) == nullptr) break;
      if (direct)
        Post(BlockTransferMsg{amount, block, PlayerNumber{0}});
      else
        Post(StartAuctionMsg{block, PlayerIndex{kCityPlayer}, amount, {}});
      break;
    case PLAYER_MESS_BUY_REQUEST:
      if (GetBlock(block.value) == nullptr || m.from.IsNone()) break;
      if (direct && !CityAcceptsOffer(m.from, block, amount)) {
        table.RepostPlayerMessage(m, PLAYER_MESS_REFUSED);
      } else if (direct) {
        table.RepostPlayerMessage(m, PLAYER_MESS_BUY_ACCEPTED);
        Post(BlockTransferMsg{amount, block, NumberOf(m.from)});
      } else {
        Post(StartAuctionMsg{block, m.from, amount, {deal, m.token}});
      }
      break;
    case PLAYER_MESS_REFUSED:
      break;
    case PLAYER_MESS_CARD_REQUEST:
    case PLAYER_MESS_CARD_DEAL:
    case PLAYER_MESS_CARD_DISCARD:
      // The deck is dealt on every machine at one tick (the hourly step and
      // the card-choice message): a request to the host alone changes nothing.
      break;
    default:
      NetLogF(m.from.value + 1, "Unhandled city message (code %d from player %d)", m.code, m.from.value + 1);
      break;
  }
  city.message = nullptr;
  city.busy = false;
}

void CPlayer::TakeBlock(int32_t blockIndex, float price) {
  CBlock* block = GetBlock(blockIndex);
  if (block == nullptr) return;
  ownedBlocks[blockIndex] = 1;
  if (CPlayer* seller = PlayerTable().ByNumber(block->Owner); seller && seller != this) {
    seller->AddMoney(price, kLedgerBlockSold);
    seller->ownedBlocks[blockIndex] = 0;
  }
  block->Owner = static_cast<uint8_t>(index + 1);
  AddMoney(-price, kLedgerBlock);
  block->BuildingRights = kRightsNone;
  block->LeaseHours = Tweaks().blockLeaseLength;
  PassBlockBuildings(*block, index + 1);
  PlayerData().MarkBlocksStale();
  if (kind != kPlayerHuman) Services().game->SyncOwnershipLists(*this);
}

void ReturnBlockToCity(int32_t blockIndex, float amount) {
  CBlock* block = GetBlock(blockIndex);
  if (block == nullptr) return;
  CPlayer* owner = PlayerTable().ByNumber(block->Owner);
  if (owner) {
    owner->ownedBlocks[blockIndex] = 0;
    owner->AddMoney(amount, kLedgerBlock);
  }
  block->Owner = 0;
  block->BuildingRights = kRightsGranted;
  for (CBuilding* b = block->FirstBuilding; b; b = b->Next) {
    if (b->Kind == kKindLandscape) {
      b->Owner = 0;
      if (CBusiness* business = GetBusinessInUse(b->GetBusiness())) business->SetOwner(0);
    }
    RefreshBuildingModel(*b);
  }
  PlayerData().MarkBlocksStale();
  if (owner && owner->kind != kPlayerHuman) Services().game->SyncOwnershipLists(*owner);
  PostGameEvent(SelectionPageEvent{});
}

void CPlayer::TakeOverBusiness(int32_t business, float price) {
  CBusiness* record = GetBusinessInUse(business);
  if (record == nullptr) return;
  if (CBuilding* b = GetBuilding(record->Building)) b->SetOwner(static_cast<uint8_t>(index + 1));
  record->SetOwner(index + 1);
  AddMoney(-price, kLedgerTakeOver);
  PlayerData().MarkBusinessesStale();
}

void CPlayer::ReleasePlayerHoldings() {
  // Its chance card goes back to the deck.
  ChanceDeck().ReturnCard(Chance().HeldCard());
  Chance().SetCardState(kCardNone);
  bool endAuction = false;
  if (const CAuction* auction = AuctionRunning() ? CurrentAuction() : nullptr) {
    const CBlock* auctioned = GetBlock(auction->block.value);
    endAuction = auction->seller == index || (auctioned && auctioned->Owner == index + 1);
  }
  inUse = 0;
  kind = kPlayerInactive;
  for (int32_t i = 0; i < kBlockCount; ++i) {
    CBlock& block = g_Blocks[i];
    if (block.Owner != index + 1 && !ownedBlocks[i]) continue;
    if (block.Owner == index + 1) {
      block.Owner = 0;
      block.BuildingRights = kRightsGranted;
    }
    ownedBlocks[i] = 0;
  }
  for (int32_t business = 0; business < kMaxBusinesses; ++business) {
    CBusiness* record = GetBusinessInUse(business);
    if (record == nullptr || record->Owner != index + 1) continue;
    record->SetOwner(0);
    if (CBuilding* b = GetBuilding(record->Building)) {
      b->Owner = 0;
      RefreshBuildingModel(*b);
    }
  }
  if (endAuction)
    EndAuction();
  else
    WithdrawFromAuction(index);  // the others would wait for its move for ever
  PlayerData().MarkBlocksStale();
  PlayerData().MarkBusinessesStale();
}

void CPlayerTable::RemovePlayer(int32_t index) {
  CPlayer* p = Get(index);
  if (p == nullptr || !p->inUse) return;
  const bool local = p == local_;
  p->ReleasePlayerHoldings();
  if (local) {
    PostGameEvent(LocalPlayerLeftEvent{});
    if (Session().networkSession) {
      Services().network->CloseSession();
      Session().networkSession = false;
      Session().host = false;
    }
    Services().network->StopPollTask();
  }
  --activeCount_;
}
