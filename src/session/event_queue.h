#pragma once
// The scheduled event queue: game messages whose delivery tick lies ahead and
// timed block preparations, each due at a tick of the logic clock (every game
// state) or the running clock (only while the city runs). Two lists in
// ascending due order; equal due ticks keep their insertion order.
#include <cstdint>
#include <deque>
#include <span>

#include "session/net_message.h"

enum GameEventKind : int32_t { kEventDeliverMessage = 0, kEventBlockReady = 1 };
enum GameEventClock : int32_t { kClockLogic = 0, kClockRunning = 1 };

inline constexpr uint32_t kGameEventRecordSize = 24;

struct CGameEvent {
  int32_t kind = kEventDeliverMessage;
  int32_t clock = kClockLogic;
  int32_t due = -1;          // -1: at once
  int32_t block = -1;        // kind 1
  CNetMessage message;       // kind 0: the entry's own copy
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

  // Save hook: one chunk 0x4000 per entry, logic list first.
  void Save() const;
  // Load hook: one chunk; false (nothing added) when the chunk fails its checks.
  bool LoadEntry(std::span<const uint8_t> chunk);
  // The check of one chunk, before anything of a save is applied.
  static bool CheckEntry(std::span<const uint8_t> chunk);

 private:
  static void Fire(const CGameEvent& event);
  void Insert(CGameEvent&& event, std::deque<CGameEvent>& list);
  void AddEvent(CGameEvent&& event);

  std::deque<CGameEvent> logic_;
  std::deque<CGameEvent> running_;
};

CEventQueue& EventQueue();
