#include "ai/ai_actions.h"

#include "ai/computer_player.h"
#include "ai/ai_sites.h"
#include "ai/district_queries.h"
#include "city/blocks.h"
#include "city/buildings.h"
#include "engine/core/error.h"
#include "engine/core/play_warning.h"
#include "session/player.h"

namespace {

int32_t g_actionSerial = 0;

CActions EmptyAction() { return CActions{}; }

// Walks a list from slot 0 along its links.
template <class F>
CActions* Walk(CActions (&list)[kActionSlots], F match) {
  for (int32_t slot = 0, guard = 0; slot >= 0 && slot < kActionSlots && guard < kActionSlots; ++guard) {
    CActions& a = list[slot];
    if (match(a)) return &a;
    slot = a.next;
  }
  return nullptr;
}

bool ListFullWarning(const CPlayerAI& ai) {
  if (ai.standardPending < kActionSlots) return false;
  ReportError(1, 0, "AI Action list needs expanding!");
  return true;
}

void FreeRecord(CActions& a) {
  a.id = 0;
  a.state = ACT_NOT_READY;
  a.phase = AI_IDLE;
  a.type = ACT_TYPE_STANDARD;
  a.committed = 0;
  a.extra = 0;
  a.block = -1;
  a.player = -1;
}

}  // namespace

int32_t CActions::Pop() {
  CPlayerAI* ai = ComputerPlayer(player);
  if (ai == nullptr) {
    ReportError(0, 0, "CActions::Pop -- Invalid player type");
    return -1;
  }
  uint8_t& pending = type == ACT_TYPE_AUCTION ? ai->auctionPending : ai->standardPending;
  if (pending > 0) --pending;
  const int32_t listType = type;
  FreeRecord(*this);
  if (listType == ACT_TYPE_AUCTION) type = ACT_TYPE_AUCTION;  // auction records stay of their list
  return -1;
}

const char* PhaseString(int32_t phase) {
  switch (phase) {
    case AI_IDLE: return "AI_IDLE";
    case AI_BUY_BLOCK: return "AI_BUY_BLOCK";
    case AI_SELL_BLOCK: return "AI_SELL_BLOCK";
    case AI_BUY_BUSINESS: return "AI_BUY_BUSINESS";
    case AI_CREATE_BUSINESS: return "AI_CREATE_BUSINESS";
    case AI_DEMOLISH_BUILDING: return "AI_DEMOLISH_BUILDING";
    case AI_CONSTRUCT_BUILDING: return "AI_CONSTRUCT_BUILDING";
    case AI_AWAITING_BLOCK_PURCHASE: return "AI_AWAITING_BLOCK_PURCHASE";
    case AI_READY_TO_BID: return "AI_READY_TO_BID";
    case AI_AWAITING_AUCTION: return "AI_AWAITING_AUCTION";
    case AI_WAITING_FOR_SOMEONE_ELSE_TO_BID: return "AI_WAITING_FOR_SOMEONE_ELSE_TO_BID";
    default: return "Bad PhaseString ienum val.";
  }
}

const char* StateString(int32_t state) {
  static const char* const kNames[] = {"ACT_NOT_READY", "ACT_READY", "ACT_IN_PROGRESS", "ACT_COMPLETED"};
  return state >= 0 && state < 4 ? kNames[state] : "Bad StateString ienum val.";
}

const char* TypeString(int32_t type) {
  return type == ACT_TYPE_STANDARD ? "ACT_TYPE_STANDARD"
         : type == ACT_TYPE_AUCTION ? "ACT_TYPE_AUCTION"
                                    : "Bad TypeString ienum val.";
}

int32_t NextActionSerial() {
  g_actionSerial = g_actionSerial >= kMaxActionSerial ? 1 : g_actionSerial + 1;
  return g_actionSerial;
}

void SetActionSerial(int32_t value) { g_actionSerial = value; }

void ResetStandardActions(CPlayerAI& ai) {
  for (int32_t slot = 0; slot < kActionSlots; ++slot) {
    CActions& a = ai.standard[slot];
    a = EmptyAction();
    FreeRecord(a);
    a.index = static_cast<int8_t>(slot);
    a.prev = static_cast<int8_t>(slot - 1);
    a.next = static_cast<int8_t>(slot + 1 < kActionSlots ? slot + 1 : -1);
  }
  ai.standardPending = 0;
}

void ResetAuctionActions(CPlayerAI& ai) {
  for (int32_t slot = 0; slot < kActionSlots; ++slot) {
    CActions& a = ai.auction[slot];
    a = EmptyAction();
    FreeRecord(a);
    a.type = ACT_TYPE_AUCTION;
    a.index = static_cast<int8_t>(slot);
    a.next = a.prev = -1;
  }
  ai.auctionPending = 0;
}

bool IsDuplicateAction(const CPlayerAI& ai, const CActions& action) {
  for (int32_t slot = 0, guard = 0; slot >= 0 && slot < kActionSlots && guard < kActionSlots; ++guard) {
    const CActions& a = ai.standard[slot];
    if (a.state != ACT_READY) return false;
    if (a.phase == action.phase) {
      switch (action.phase) {
        case AI_BUY_BLOCK:
        case AI_SELL_BLOCK:
          if (a.block == action.block) return true;
          break;
        case AI_BUY_BUSINESS:
          if (a.item == action.item) return true;
          break;
        case AI_CREATE_BUSINESS:
        case AI_DEMOLISH_BUILDING:
          if (a.building == action.building) return true;
          break;
        case AI_CONSTRUCT_BUILDING:
          if (a.block == action.block && a.kind == action.kind && a.target == action.target) return true;
          break;
        default:
          break;
      }
    }
    slot = a.next;
  }
  return false;
}

bool AddNewAction(CPlayerAI& ai, const CActions& action) {
  if (IsDuplicateAction(ai, action)) return false;
  int32_t slot = FindFreeActionSlot(ai);
  // A full list refuses the action: nothing is set aside or written.
  if (slot < 0) return false;
  CActions record = action;
  switch (action.phase) {
    case AI_BUY_BLOCK: {
      const CBlock* b = GetBlock(action.block);
      const int32_t lease = b ? static_cast<int32_t>(b->GetLeasePrice()) : 0;
      const int32_t cost = std::max(lease, ai.plan.purchasePrice);
      record.committed = static_cast<float>(cost);
      ai.committedCash += static_cast<float>(cost);
      break;
    }
    case AI_SELL_BLOCK:
    case AI_SELL_BUSINESS:
      break;
    case AI_CREATE_BUSINESS:
    case AI_REFURB_BUILDING:
    case AI_DEMOLISH_BUILDING:
    case AI_CONSTRUCT_BUILDING:
      record.committed = action.cost;
      ai.committedCash += static_cast<float>(static_cast<int32_t>(action.cost));
      break;
    default:
      ReportErrorF(1, "AddNewAction:\n Invalid Action phase id: %d", action.phase);
      break;
  }
  CActions& into = ai.standard[slot];
  record.next = into.next;
  record.prev = into.prev;
  record.index = static_cast<int8_t>(slot);
  record.player = ai.index;
  record.id = NextActionSerial();
  into = record;
  ++ai.standardPending;
  return true;
}

bool AddAuctionAction(CPlayerAI& ai, const CActions& action) {
  int32_t slot = 0;
  while (slot < kActionSlots && ai.auction[slot].state != ACT_NOT_READY) ++slot;
  if (slot == kActionSlots) return false;
  CActions& into = ai.auction[slot];
  into = action;
  into.index = static_cast<int8_t>(slot);
  into.prev = static_cast<int8_t>(slot - 1);
  into.next = static_cast<int8_t>(slot + 1 < kActionSlots ? slot + 1 : -1);
  if (slot > 0) ai.auction[slot - 1].next = static_cast<int8_t>(slot);
  if (slot + 1 < kActionSlots) ai.auction[slot + 1].prev = static_cast<int8_t>(slot);
  into.state = ACT_READY;
  into.type = ACT_TYPE_AUCTION;
  into.player = ai.index;
  ++ai.auctionPending;
  return true;
}

namespace {

CActions Filled(int32_t phase) {
  CActions a = EmptyAction();
  a.state = ACT_READY;
  a.type = ACT_TYPE_STANDARD;
  a.phase = phase;
  return a;
}

}  // namespace

bool AddAction_BuyBlock(CPlayerAI& ai, int32_t block, int32_t extra) {
  ListFullWarning(ai);
  CActions a = Filled(AI_BUY_BLOCK);
  a.block = block;
  a.extra = extra;
  return AddNewAction(ai, a);
}

bool AddAction_SellBlock(CPlayerAI& ai, int32_t block) {
  ListFullWarning(ai);
  block &= 0xFF;
  if (!IsOwnable(block)) {
    // Fatal in the design; a warning here so that play goes on.
    PlayWarningF("AddAction_SellBlock: Illegal block");
    return false;
  }
  CActions a = Filled(AI_SELL_BLOCK);
  a.block = block;
  return AddNewAction(ai, a);
}

bool AddAction_SellBusiness(CPlayerAI& ai, int32_t business, int32_t block) {
  ListFullWarning(ai);
  CActions a = Filled(AI_SELL_BUSINESS);
  a.item = business;
  a.block = block;
  return AddNewAction(ai, a);
}

bool AddAction_RefurbBuilding(CPlayerAI& ai, int32_t building, int32_t business, int32_t newType, float cost) {
  ListFullWarning(ai);
  CActions a = Filled(AI_REFURB_BUILDING);
  a.target = building;
  a.item = business;
  a.building = static_cast<int16_t>(newType);
  a.cost = cost;
  return AddNewAction(ai, a);
}

bool AddAction_DemolishBuilding(CPlayerAI& ai, int32_t block, int32_t building, float cost) {
  ListFullWarning(ai);
  CActions a = Filled(AI_DEMOLISH_BUILDING);
  a.block = block;
  a.building = static_cast<int16_t>(building);
  a.cost = cost;
  const CBuilding* b = GetBuilding(building);
  a.item = b ? b->GetBusiness() : -1;
  return AddNewAction(ai, a);
}

bool AddAction_ConstructBuilding(CPlayerAI& ai, int32_t block, int32_t kind, int32_t businessType, int32_t quality,
                                 float cost, int32_t x, int32_t y, int32_t width, int32_t depth, int32_t flag) {
  // Every way to a new business passes here: the character's limit holds
  // for hotels and centres alike (parks are not businesses it runs).
  if (businessType != kLandscapeType && AtBusinessLimit(ai)) return false;
  ListFullWarning(ai);
  CActions a = Filled(AI_CONSTRUCT_BUILDING);
  a.block = block;
  a.kind = kind;
  a.target = businessType;
  a.quality = static_cast<int8_t>(quality);
  a.cost = cost;
  a.committed = cost;
  a.lot[0] = x;
  a.lot[1] = y;
  a.lot[2] = width;
  a.lot[3] = depth;
  a.flag = flag;
  return AddNewAction(ai, a);
}

CActions* FindAwaitingPurchaseAction(CPlayerAI& ai, int32_t block) {
  return Walk(ai.standard, [&](const CActions& a) { return a.block == block && a.phase == AI_AWAITING_BLOCK_PURCHASE; });
}

CActions* FindAuctionActionForRequest(CPlayerAI& ai, const PlayerMessage& m) {
  const AuctionSettled& settled = m.As<AuctionSettled>();
  if (settled.winner != PlayerIndex{ai.index}) return nullptr;
  for (CActions& a : ai.auction)
    if (a.state != ACT_NOT_READY && a.block == settled.block.value) return &a;
  return nullptr;
}

CActions* FindActionById(CPlayerAI& ai, int32_t id) {
  return Walk(ai.standard, [&](const CActions& a) { return a.id != 0 && a.id == id; });
}

bool IsAuctionActionId(const CPlayerAI& ai, int32_t id) {
  for (const CActions& a : ai.auction)
    if (a.state != ACT_NOT_READY && a.id != 0 && a.id == id) return true;
  return false;
}

void PopCompletedAuctionActions(CPlayerAI& ai) {
  // A bid that came from the player's own request carries the money the
  // request set aside. Won, the settlement has given it back already; lost
  // or unsold, it is given back here, or it would stay set aside for good.
  for (CActions& a : ai.auction)
    if (a.state == ACT_COMPLETED) {
      ai.ReleaseCommitted(a.committed);
      a.Pop();
    }
}

int32_t FindFreeActionSlot(const CPlayerAI& ai) {
  for (int32_t slot = 0; slot < kActionSlots; ++slot)
    if (ai.standard[slot].IsFree()) return slot;
  return -1;
}
