// Carrying out the computer player's queued actions by posting the same
// requests and game messages a human's panels post, and its side of a block
// auction: when to bid, how much, when to pass and when to pull out.
#include <algorithm>

#include "ai/ai_strategy.h"
#include "ai/computer_player.h"
#include "city/blocks.h"
#include "city/buildings.h"
#include "city/prestige_textures.h"
#include "engine/core/error.h"
#include "session/auction.h"

namespace {

constexpr int32_t kFixedBidStep = 50;

void Complete(CActions& a) {
  if (a.state == ACT_COMPLETED) return;
  a.state = ACT_COMPLETED;
  a.phase = AI_IDLE;
}

// A wall texture for a new building: one of the three prestige lists with
// equal chance, then a per-player position in it.
int32_t DrawBuildingTexture(CPlayerAI& ai) {
  const auto& lists = PrestigeTextureLists();
  const PrestigeTextureList& list = lists[ai.Draw() % kPrestigeLevelCount];
  const int32_t n = 10 * (std::min<int32_t>(ai.index, 5) + 1);
  if (list.Count <= 0) return 0;
  return list.Textures[n % list.Count] + (n / list.Count) * 65536;
}

bool IsPlayersTurn(const CAuction& a, int32_t player) { return a.turn == player; }

}  // namespace

bool CPlayerAI::RunPendingActions() {
  if (auctionPending == 0 && standardPending == 0) return false;
  if (auctionPending != 0) {
    for (CActions& a : auction)
      if (a.state == ACT_READY) {
        RunAction(&a);
        break;
      }
    return true;
  }
  if (inAuction) return true;
  for (int32_t slot = 0, guard = 0; slot >= 0 && slot < kActionSlots && guard < kActionSlots; ++guard) {
    CActions& a = standard[slot];
    const int32_t next = a.next;
    if (a.state != ACT_IN_PROGRESS) {
      if (a.state == ACT_COMPLETED) a.Pop();
      if (a.state == ACT_READY) RunAction(&a);
    }
    slot = next;
  }
  return true;
}

void CPlayerAI::RunAction(CActions* a) {
  if (a == nullptr) {
    ReportError(1, 0, "RunAction: action is NULL!");
    return;
  }
  switch (a->phase) {
    case AI_IDLE:
    case AI_AWAITING_BLOCK_PURCHASE:
    case AI_AWAITING_AUCTION:
      break;
    case AI_BUY_BLOCK: {
      const bool mine = a->block >= 0 && a->block < kBlockCount && ownedBlocks[a->block];
      // A block whose auction has not settled yet is not asked for: that
      // auction's end would settle this request too, before its answer came.
      const bool unsettled = BlockAuctionUnsettled(a->block);
      if (unsettled && a->block == plan.oneOffBlock) plan.rejected = true;
      if (!mine && !unsettled && money - committedCash + static_cast<float>(creditAllowance) >= a->committed) {
        pendingBlockRequest = a->id;
        RequestBuyBlock(a->block, a->committed, a->id);
        a->phase = AI_AWAITING_BLOCK_PURCHASE;
        a->state = ACT_IN_PROGRESS;
        plan.tacticStage = 0;
        AddPendingRequest(a->block);
        ++tally.blockRequests;
      } else {
        ReleaseCommitted(a->committed);
        a->Pop();
      }
      break;
    }
    case AI_SELL_BLOCK: {
      const CBlock* b = GetBlock(a->block);
      RequestSellBlock(a->block, b ? b->GetLeasePrice() : 0.0f, -1);
      if (a->block >= 0 && a->block < kBlockCount) purchases[a->block] = AiBlockPurchase{};
      a->Pop();
      break;
    }
    case AI_SELL_BUSINESS:
      RemoveBusinessFromList(a->item, 0);
      PostCloseBusiness(a->item);
      a->Pop();
      break;
    case AI_REFURB_BUILDING:
      if (a->item >= 0) RemoveBusinessFromList(a->item, 0);
      PostOpenBusiness(a->target, a->building, 0);
      ReleaseCommitted(a->committed);
      a->Pop();
      break;
    case AI_DEMOLISH_BUILDING:
      PostDemolishBuilding(a->building, static_cast<int32_t>(a->cost));
      if (a->item >= 0) RemoveBusinessFromList(a->item, 0);
      if (a->block >= 0 && a->block < 64) markedBlocks &= ~(uint64_t{1} << a->block);
      ReleaseCommitted(a->committed);
      a->Pop();
      break;
    case AI_CONSTRUCT_BUILDING: {
      const CBlock* b = GetBlock(a->block);
      const int32_t x = a->lot[0], y = a->lot[1], w = a->lot[2], d = a->lot[3];
      if (b != nullptr && b->IsLotRegionFreeRect(x, y, x + w - 1, y + d - 1)) {
        const int32_t texture = DrawBuildingTexture(*this);
        if (PostConstructBuilding(a->block, x, y, w, d, std::max(a->flag, 1), texture, a->kind, a->quality, 0,
                                  a->target))
          ++tally.constructions;
      }
      ReleaseCommitted(a->committed);
      a->Pop();
      break;
    }
    case AI_AUCTION_OVER:
      Complete(*a);
      break;
    case AI_READY_TO_BID: {
      if (actionDelay > 0) break;
      const CAuction* auc = CurrentAuction();
      if (auc == nullptr || auc->stage == kStageSold) {
        Complete(*a);
      } else if (passFlag) {
        passFlag = false;
        PostAuctionPass(index);
        a->phase = AI_WAITING_FOR_SOMEONE_ELSE_TO_BID;
      } else if (nextBid > 0) {
        PostAuctionBid(index, nextBid);
        ++tally.bids;
        ++own.bidCount;
        a->phase = AI_WAITING_FOR_SOMEONE_ELSE_TO_BID;
      } else {
        PostAuctionPullOut(index);
        a->phase = AI_AUCTION_OVER;
        own.fixedBidding = false;
      }
      break;
    }
    case AI_WAITING_FOR_SOMEONE_ELSE_TO_BID: {
      const CAuction* auc = CurrentAuction();
      if (auc == nullptr || auc->stage == kStageDone) {
        Complete(*a);
        break;
      }
      if (!IsPlayersTurn(*auc, index)) break;
      if (auc->stage == kStageSold) {
        Complete(*a);
        break;
      }
      actionDelay = 5 + static_cast<int32_t>(Draw() % 21);
      // The quick auction answers at once; the draw is made all the same, so
      // the player's stream never follows the switch.
      if (QuickAuction()) actionDelay = 1;
      nextBid = NextAuctionBid();
      if (rival >= 0 && rival < kMaxPlayers && auc->rows[rival].pulledOut) nextBid = 0;
      a->phase = AI_READY_TO_BID;
      break;
    }
    default:
      ReportError(1, 0, "Unhandled AI State");
      break;
  }
}

int32_t CPlayerAI::NextAuctionBid() {
  const CAuction* auc = CurrentAuction();
  if (auc == nullptr) return 0;
  const int32_t m = std::max(auc->price, auc->openingBid);
  if (own.fixedBidding) {
    if (own.fixedBids <= 0 || own.fixedMaximum < m + kFixedBidStep) return 0;
    --own.fixedBids;
    return m + kFixedBidStep;
  }
  int32_t choice = 0;
  if (plan.tacticStage == 1) {
    choice = 2;
  } else {
    const uint32_t r = Draw() % 101;
    choice = r > 90 ? 2 : r > 60 ? 1 : 0;
  }
  int32_t bid = m + 50;
  if (choice == 2 && static_cast<float>(m + 500) <= bidCeiling)
    bid = m + 500;
  else if (choice >= 1 && static_cast<float>(m + 100) <= bidCeiling)
    bid = m + 100;
  return static_cast<float>(bid) > bidCeiling ? 0 : bid;
}

void CPlayerAI::BeginAuctionBidding(CActions* action, const PlayerMessage& m) {
  const int32_t block = m.As<AuctionNews>().block.value;
  const CAuction* auc = CurrentAuction();
  if (own.valuationStale) {
    own.valuationStale = false;
    own.valuation = static_cast<float>(ComputeSpeculativeBid());
  }
  // The block it asked the city to auction is worth what it meant to pay,
  // whatever the room's first valuation said.
  if (block == nominatedBlock && nominationLimit > 0)
    own.valuation = std::max(own.valuation, static_cast<float>(nominationLimit));
  const float opening = auc ? static_cast<float>(auc->openingBid) : 0.0f;
  auto fresh = [&] {
    CActions a;
    a.index = static_cast<int8_t>(FindFreeActionSlot(*this));
    a.id = NextActionSerial();
    a.player = index;
    a.phase = AI_WAITING_FOR_SOMEONE_ELSE_TO_BID;
    a.block = block;
    a.state = ACT_READY;
    return a;
  };
  if (opening < own.valuation) {
    if (action != nullptr) {
      CActions copy = *action;
      copy.player = index;
      copy.phase = AI_WAITING_FOR_SOMEONE_ELSE_TO_BID;
      // A duplicate for the same block keeps the first; the request is settled either way.
      bool duplicate = false;
      for (const CActions& a : auction)
        if (a.state != ACT_NOT_READY && a.block == block) duplicate = true;
      if (duplicate)
        ReportError(1, 0, "Adding duplicate auction");
      else
        AddAuctionAction(*this, copy);
      action->Pop();
    } else {
      AddAuctionAction(*this, fresh());
    }
    bidCeiling = own.fixedBidding ? static_cast<float>(own.fixedMaximum) : own.valuation;
  } else {
    plan.tacticStage = 0;
    AddAuctionAction(*this, fresh());
    actionDelay = 5;
    bidCeiling = 0;
  }
}
