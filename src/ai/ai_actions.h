#pragma once
// The computer player's planned game actions: a standard list (buy or sell
// a block, close a business, refurbish, demolish, construct) and an auction
// list, ten records each. Money an action will spend is set aside as
// committed money when it is added.
#include <cstdint>

class CPlayerAI;
struct PlayerMessage;

inline constexpr int32_t kActionSlots = 10;
inline constexpr int32_t kMaxActionSerial = 9000;

enum ActionState : int32_t { ACT_NOT_READY = 0, ACT_READY = 1, ACT_IN_PROGRESS = 2, ACT_COMPLETED = 3 };
enum ActionType : int32_t { ACT_TYPE_STANDARD = 0, ACT_TYPE_AUCTION = 1 };
enum AiPhase : int32_t {
  AI_IDLE = 0,
  AI_BUY_BLOCK = 1,
  AI_SELL_BLOCK = 2,
  AI_BUY_BUSINESS = 3,
  AI_SELL_BUSINESS = 4,
  AI_CREATE_BUSINESS = 5,
  AI_REFURB_BUILDING = 6,
  AI_DEMOLISH_BUILDING = 7,
  AI_CONSTRUCT_BUILDING = 8,
  AI_AWAITING_BLOCK_PURCHASE = 9,
  AI_AUCTION_OVER = 10,
  AI_READY_TO_BID = 11,
  AI_AWAITING_AUCTION = 12,
  AI_WAITING_FOR_SOMEONE_ELSE_TO_BID = 13,
};

struct CActions {
  int32_t id = 0;
  int8_t index = 99;
  int32_t state = ACT_NOT_READY;
  int32_t type = ACT_TYPE_STANDARD;
  int32_t phase = AI_IDLE;
  int32_t block = -1;
  int32_t player = -1;
  int32_t extra = 0;
  int8_t next = -1;  // slot of the next record of the same list, -1 after the last
  int8_t prev = -1;
  int32_t target = -1;
  int32_t item = -1;
  int32_t lot[4] = {};  // x, y, width, depth
  int16_t building = -1;
  float cost = 0;
  int32_t flag = 0;
  int8_t quality = 0;
  int32_t kind = -1;
  float committed = 0;

  bool IsFree() const {
    return state == ACT_NOT_READY && phase == AI_IDLE && type == ACT_TYPE_STANDARD && block == -1 && player == -1;
  }
  // Ends the action: its list's pending count drops, the record is cleared.
  // Gives no committed money back. Returns -1.
  int32_t Pop();
};

const char* PhaseString(int32_t phase);
const char* StateString(int32_t state);
const char* TypeString(int32_t type);

// The serial shared by every computer player: 1..9000, then 1 again.
int32_t NextActionSerial();
void SetActionSerial(int32_t value);  // tests

void ResetStandardActions(CPlayerAI& ai);
void ResetAuctionActions(CPlayerAI& ai);
bool IsDuplicateAction(const CPlayerAI& ai, const CActions& action);
// False for a duplicate, and when the list is full (nothing written).
bool AddNewAction(CPlayerAI& ai, const CActions& action);
bool AddAuctionAction(CPlayerAI& ai, const CActions& action);

bool AddAction_BuyBlock(CPlayerAI& ai, int32_t block, int32_t extra);
bool AddAction_SellBlock(CPlayerAI& ai, int32_t block);
bool AddAction_SellBusiness(CPlayerAI& ai, int32_t business, int32_t block);
bool AddAction_RefurbBuilding(CPlayerAI& ai, int32_t building, int32_t business, int32_t newType, float cost);
bool AddAction_DemolishBuilding(CPlayerAI& ai, int32_t block, int32_t building, float cost);
bool AddAction_ConstructBuilding(CPlayerAI& ai, int32_t block, int32_t kind, int32_t businessType, int32_t quality,
                                 float cost, int32_t x, int32_t y, int32_t width, int32_t depth, int32_t flag);

CActions* FindAwaitingPurchaseAction(CPlayerAI& ai, int32_t block);
CActions* FindAuctionActionForRequest(CPlayerAI& ai, const PlayerMessage& message);
CActions* FindActionById(CPlayerAI& ai, int32_t id);
// True when an action of the auction list carries the id.
bool IsAuctionActionId(const CPlayerAI& ai, int32_t id);
void PopCompletedAuctionActions(CPlayerAI& ai);
int32_t FindFreeActionSlot(const CPlayerAI& ai);
