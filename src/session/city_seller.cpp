#include "session/city_seller.h"

#include "city/blocks.h"
#include "city/buildings.h"
#include "engine/core/error.h"
#include "session/player.h"
#include "session/player_data.h"
#include "session/session_services.h"

namespace {

struct CityObject {
  const CNetMessage* message = nullptr;
  bool busy = false;
};

CityObject& TheCity() {
  static CityObject city;
  return city;
}

// Owner of every building of the block that follows the block's owner (kind 2),
// and of its business; then every building's model and owner-change stamp.
void PassBlockBuildings(CBlock& block, int32_t ownerNumber) {
  SessionBusinessServices& biz = *Services().business;
  for (CBuilding* b = block.FirstBuilding; b; b = b->Next) {
    if (b->Kind == kKindLandscape) {
      b->Owner = static_cast<uint8_t>(ownerNumber);
      if (b->GetBusiness() >= 0) biz.SetOwner(b->GetBusiness(), ownerNumber);
    }
    RefreshBuildingModel(*b);
    b->StampOwnerChange();
  }
}

}  // namespace

bool CityIsBusy() { return TheCity().busy; }

void CityHandleMessage(const CNetMessage& m) {
  CityObject& city = TheCity();
  city.busy = true;
  city.message = &m;
  CPlayerTable& table = PlayerTable();
  const bool direct = table.ActiveCount() < 2;
  const int32_t block = m.I32(24), amount = m.I32(28);
  const int32_t sender = m.I8(20);
  const int32_t request[5] = {m.I32(24), m.I32(28), m.I32(32), m.I32(36), m.I32(40)};
  SessionGameServices& game = *Services().game;
  switch (m.Type()) {
    case PLAYER_MESS_BLOCK_SALE:
      if (GetBlock(block) == nullptr) break;
      if (direct) {
        MakeBlockTransferMessage(amount, block, 0).Send(0);
      } else {
        const int32_t none[5] = {};
        MakeStartAuctionMessage(block, -1, amount, none).Send(0);
      }
      break;
    case PLAYER_MESS_BUY_REQUEST:
      if (GetBlock(block) == nullptr || sender < 0) break;
      if (direct) {
        table.RepostPlayerMessage(m, PLAYER_MESS_BUY_ACCEPTED);
        MakeBlockTransferMessage(amount, block, sender + 1).Send(0);
      } else {
        MakeStartAuctionMessage(block, sender, amount, request).Send(0);
      }
      break;
    case PLAYER_MESS_REFUSED:
      break;
    case PLAYER_MESS_CARD_REQUEST:
      game.DrawCard(m);
      break;
    case PLAYER_MESS_CARD_DEAL:
      game.DealCard(m);
      break;
    case PLAYER_MESS_CARD_DISCARD:
      game.ClearCardDrawn(m.I32(24));
      break;
    default:
      ReportError(1, 0, "Unhandled city message");
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
  SessionBusinessServices& biz = *Services().business;
  for (CBuilding* b = block->FirstBuilding; b; b = b->Next) {
    if (b->Kind == kKindLandscape) {
      b->Owner = 0;
      if (b->GetBusiness() >= 0) biz.SetOwner(b->GetBusiness(), 0);
    }
    RefreshBuildingModel(*b);
  }
  PlayerData().MarkBlocksStale();
  if (owner && owner->kind != kPlayerHuman) Services().game->SyncOwnershipLists(*owner);
  Services().ui->RefreshSelectionPage();
}

void CPlayer::TakeOverBusiness(int32_t business, float price) {
  SessionBusinessServices& biz = *Services().business;
  if (!biz.InUse(business)) return;
  if (CBuilding* b = GetBuilding(biz.Building(business))) b->SetOwner(static_cast<uint8_t>(index + 1));
  biz.SetOwner(business, index + 1);
  AddMoney(-price, kLedgerTakeOver);
  PlayerData().MarkBusinessesStale();
}

void CPlayer::ReleasePlayerHoldings() {
  SessionGameServices& game = *Services().game;
  bool endAuction = false;
  if (game.AuctionRunning()) {
    const CBlock* auctioned = GetBlock(game.AuctionBlock());
    endAuction = game.AuctionPlayer() == index || (auctioned && auctioned->Owner == index + 1);
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
  SessionBusinessServices& biz = *Services().business;
  for (int32_t business = 0; business < 600; ++business) {
    if (!biz.InUse(business) || biz.Owner(business) != index + 1) continue;
    biz.SetOwner(business, 0);
    if (CBuilding* b = GetBuilding(biz.Building(business))) {
      b->Owner = 0;
      RefreshBuildingModel(*b);
    }
  }
  if (endAuction) game.EndAuction();
  PlayerData().MarkBlocksStale();
  PlayerData().MarkBusinessesStale();
}

void CPlayerTable::RemovePlayer(int32_t index) {
  CPlayer* p = Get(index);
  if (p == nullptr || !p->inUse) return;
  const bool local = p == local_;
  p->ReleasePlayerHoldings();
  if (local) {
    Services().ui->CloseLocalPlayerPanels();
    if (Session().networkSession) {
      Services().network->CloseSession();
      Session().networkSession = false;
      Session().host = false;
    }
    Services().network->StopPollTask();
  }
  --activeCount_;
}
