#include "session/event_queue.h"

#include <algorithm>

#include "city/blocks.h"
#include "engine/core/error.h"
#include "engine/core/byte_io.h"
#include "session/session_state.h"
#include "session/save_chunks.h"

CEventQueue& EventQueue() {
  static CEventQueue queue;
  return queue;
}

void CEventQueue::Fire(const CGameEvent& event) {
  if (event.kind == kEventDeliverMessage) {
    DispatchGameMessage(event.message);
  } else if (CBlock* block = GetBlock(event.block)) {
    block->BuildingRights = kRightsGranted;
  }
}

void CEventQueue::Insert(CGameEvent&& event, std::deque<CGameEvent>& list) {
  auto later = std::upper_bound(list.begin(), list.end(), event.due,
                                [](int32_t due, const CGameEvent& e) { return due < e.due; });
  list.insert(later, std::move(event));
}

void CEventQueue::AddEvent(CGameEvent&& event) {
  if (event.due == -1) {
    Fire(event);
    return;
  }
  if (event.clock == kClockLogic) {
    if (static_cast<uint32_t>(event.due) == LogicTick()) {
      Fire(event);
      return;
    }
    Insert(std::move(event), logic_);
  } else {
    if (static_cast<int64_t>(RunningTick()) >= event.due) {
      Fire(event);
      return;
    }
    Insert(std::move(event), running_);
  }
}

void CEventQueue::Add(int32_t clock, int32_t due, int32_t kind, int32_t block, const CNetMessage* message) {
  CGameEvent e;
  e.kind = kind;
  e.clock = clock == kClockRunning ? kClockRunning : kClockLogic;
  e.due = due;
  e.block = block;
  if (kind == kEventDeliverMessage) {
    if (message == nullptr) return;
    e.message = *message;
  }
  AddEvent(std::move(e));
}

void CEventQueue::DispatchDue() {
  // An entry is taken off its list before it fires, so what it adds lands safely.
  while (!logic_.empty() && static_cast<int64_t>(logic_.front().due) <= static_cast<int64_t>(LogicTick())) {
    CGameEvent e = std::move(logic_.front());
    logic_.pop_front();
    Fire(e);
  }
  while (!running_.empty() && static_cast<int64_t>(running_.front().due) <= static_cast<int64_t>(RunningTick())) {
    CGameEvent e = std::move(running_.front());
    running_.pop_front();
    Fire(e);
  }
}

void CEventQueue::Clear() {
  logic_.clear();
  running_.clear();
}

namespace {

// In a network game a save holds the messages the host routed in the ticks
// run so far: a client already holds some the host, running ahead, routed
// after this tick (and a host, between ticks, some routed for the next),
// which every machine's save of this tick leaves out alike. Alone, a game
// saves everything it has queued, a move made while paused too.
bool SavedAtThisTick(const CGameEvent& e) {
  if (e.kind != kEventDeliverMessage || !Session().networkSession) return true;
  return e.message.RoutedAt() <= LogicTick();
}

void WriteEntry(const CGameEvent& e) {
  if (!SavedAtThisTick(e)) return;
  // The routing lead serves only the running game: saved as before, 0.
  CGameEvent saved = e;
  saved.message.SetRoutingLead(0);
  WriteRecordChunk(kChunkEventQueue, saved);
}

}  // namespace

void CEventQueue::Save() const {
  for (const CGameEvent& e : logic_) WriteEntry(e);
  for (const CGameEvent& e : running_) WriteEntry(e);
}
