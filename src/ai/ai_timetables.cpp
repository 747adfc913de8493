// The computer players' daily timetables: the look-ahead that raises the
// due flags each logic tick, and the processors that run from the player's
// update. Entries are compared with the day's tick, which runs from 0 at
// midnight.
#include "ai/ai_strategy.h"
#include "ai/computer_player.h"
#include "engine/core/error.h"
#include "session/auction.h"
#include "session/session_services.h"
#include "session/session_state.h"

namespace {

const AiTimetableEntry* NextEntry(CPlayerAI& ai, int32_t table) {
  AiCharacter* c = ai.Character();
  if (c == nullptr || c->counts[table] <= 0) return nullptr;
  const int32_t now = static_cast<int32_t>(DayTick());
  int32_t& cursor = c->cursors[table];
  cursor = 0;
  for (int32_t i = 0; i < c->counts[table]; ++i) {
    if (c->timetables[table][i].due >= now) return &c->timetables[table][i];
    ++cursor;
  }
  cursor = 0;
  ai.liveToday[table] = 0;
  return &c->timetables[table][0];
}

const AiTimetableEntry* StepEntry(CPlayerAI& ai, int32_t table) {
  AiCharacter* c = ai.Character();
  if (c == nullptr || c->counts[table] <= 0) return nullptr;
  int32_t& cursor = c->cursors[table];
  if (++cursor >= c->counts[table]) {
    cursor = 0;
    ai.liveToday[table] = 0;
  }
  return &c->timetables[table][cursor];
}

// Whether an entry that fell due acts now: not under the debt warning, not
// while the player buys a block or waits for an auction, and not while its
// chosen block is being auctioned. A player between strategies is idle, not
// busy: its housekeeping (restocking, prices, reviews) goes on, or a player
// with nothing to build would let its businesses run empty.
bool EntryActs(const CPlayerAI& ai, const AiTimetableEntry& e) {
  if (static_cast<int32_t>(DayTick()) < e.due || e.event == -1 || ai.warned24h) return false;
  if (ai.mode == kAiBuyBlock || ai.mode == kAiAuctionWait) return false;
  const int32_t chosen = ai.plan.chosenBlock;
  return chosen < 0 || chosen != AuctionBlock();
}

uint16_t WorkFlagOf(int32_t event) {
  switch (event) {
    case TT_RENT: return kWorkRent;
    case TT_SPOILAGE: return kWorkSpoilage;
    case TT_DEMOLISH: return kWorkDemolish;
    case TT_TAKEOVER_BUS: return kWorkTakeOver;
    case TT_REFURBISH_BUS: return kWorkRefurbish;
    case TT_EOD_STOCK_AND_PRICE: return kWorkEndOfDay;
    case TT_BUSINESS_STATES: return kWorkBusinessStates;
    default: return 0;
  }
}

}  // namespace

void RunAiTimetables(CPlayerAI& ai) {
  if (!ai.initialised || ai.inAuction) return;
  // A timetable that wrapped stays on its first entry, silent until midnight.
  if (DayTick() == 0)
    for (uint8_t& live : ai.liveToday) live = 1;
  const int32_t now = static_cast<int32_t>(DayTick());
  if (ai.currentHousekeeping == nullptr) ai.currentHousekeeping = NextEntry(ai, kTimetableHousekeeping);
  if (ai.currentHousekeeping && ai.liveToday[kTimetableHousekeeping] && now >= ai.currentHousekeeping->due)
    ai.housekeepingDue = true;
  if (ai.currentBlock == nullptr) ai.currentBlock = NextEntry(ai, kTimetableBlock);
  if (ai.currentBlock && ai.liveToday[kTimetableBlock] && now >= ai.currentBlock->due) ai.blockDue = true;
}

void ProcessBlockTimetable(CPlayerAI& ai) {
  if (!ai.blockDue || ai.currentBlock == nullptr) return;
  const AiTimetableEntry& e = *ai.currentBlock;
  if (EntryActs(ai, e) && e.event == TT_BUY_BLOCK)
    ai.workFlags |= kWorkBlockPurchase;
  else if (EntryActs(ai, e) && e.event != 0)
    ReportErrorF(1, "Process_BLK_Timetable - Unrecognised BLK Event: %d", e.event);
  ai.currentBlock = StepEntry(ai, kTimetableBlock);
  ai.blockDue = false;
}

void ProcessHousekeepingTimetable(CPlayerAI& ai) {
  if (!ai.housekeepingDue || ai.currentHousekeeping == nullptr) return;
  const AiTimetableEntry& e = *ai.currentHousekeeping;
  if (EntryActs(ai, e) && e.event != 0) {
    const uint16_t flag = WorkFlagOf(e.event);
    if (flag == 0)
      ReportErrorF(1, "ProcessHSKTimetable - Unrecognised HK Event: %d", e.event);
    ai.workFlags |= flag;
  }
  ai.currentHousekeeping = StepEntry(ai, kTimetableHousekeeping);
  ai.housekeepingDue = false;
}

void LoadNewTimetable(CPlayerAI& ai, int32_t mode) {
  static const char* const kEvents[] = {"LoadLandscapeBlockTT", "Wait4CashTT", "Kill_TAC_Timetable"};
  AiCharacter* c = ai.Character();
  if (mode == 0 || mode == 1) {
    if (c) ResetTimeTable(*c, kTimetableTactic);
  } else if (mode >= 3 && mode <= 5) {
    Services().game->TriggerEvent(kEvents[mode - 3], 0, ai.characterRow);
  } else {
    ReportError(1, 0, "LoadNewTimetable - Unrecognised TimeTable Mode");
    return;
  }
  if (c) c->cursors[kTimetableTactic] = 0;
  ai.liveToday[kTimetableTactic] = 1;
}
