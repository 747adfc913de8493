#pragma once
// The scheduled event queue: game messages whose delivery tick lies ahead and
// timed block preparations, each due at a tick of the logic clock (every game
// state) or the running clock (only while the city runs). Two lists in
// ascending due order; equal due ticks keep their insertion order.
#include <climits>
#include <cstdint>
#include <deque>

#include "city/blocks.h"
#include "engine/core/record_visitor.h"

#include "session/net_message.h"

enum GameEventKind : int32_t { kEventDeliverMessage = 0, kEventBlockReady = 1 };
enum GameEventClock : int32_t { kClockLogic = 0, kClockRunning = 1 };


struct CGameEvent {
  int32_t kind = kEventDeliverMessage;
  int32_t clock = kClockLogic;
  int32_t due = -1;          // -1: at once
  int32_t block = -1;        // kind 1
  CNetMessage message;       // kind 0: the entry's own copy

  // The record of one chunk 0x4000: 24 bytes, then the message of kind 0.
  template <class V>
  void Visit(V& v) {
    v.I32(kind, {kEventDeliverMessage, kEventBlockReady, "event kind"});
    v.I32(clock, {kClockLogic, kClockRunning, "event clock"});
    v.I32(due, {-1, INT32_MAX, "due tick"});
    // A message's address meant nothing on load: saved as 0, never read.
    int32_t blockWord = kind == kEventBlockReady ? block : 0;
    v.I32(blockWord, kind == kEventBlockReady ? FieldRange{0, kBlockCount - 1, "block"} : FieldRange{});
    if (kind == kEventBlockReady) block = blockWord;
    v.Pad(8);
    if (kind == kEventDeliverMessage) message.Visit(v);
  }
};

class CEventQueue {
 public:
  // The one way to add an entry. Fires it at once when due is -1, equals the
  // current logic tick (logic clock) or has been reached (running clock).
  void Add(int32_t clock, int32_t due, int32_t kind, int32_t block, const CNetMessage* message);
  // Fires every due entry: the logic list first, then the running list.
  void DispatchDue();
  void Clear();
  bool Empty() const { return logic_.empty() && running_.empty(); }
  size_t Count() const { return logic_.size() + running_.size(); }
  const std::deque<CGameEvent>& LogicList() const { return logic_; }
  const std::deque<CGameEvent>& RunningList() const { return running_; }

  // Save hook: one chunk 0x4000 per entry, logic list first; in a network
  // game only the messages the host routed by the current tick.
  void Save() const;
  // Load hook: one checked entry.
  void LoadEntry(const CGameEvent& entry) { AddEvent(CGameEvent(entry)); }

 private:
  static void Fire(const CGameEvent& event);
  void Insert(CGameEvent&& event, std::deque<CGameEvent>& list);
  void AddEvent(CGameEvent&& event);

  std::deque<CGameEvent> logic_;
  std::deque<CGameEvent> running_;
};

CEventQueue& EventQueue();
