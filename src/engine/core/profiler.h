#pragma once
// Named-section profiler: per frame, the share of the frame spent in each
// section (its own time, nested sections subtracted), averaged over up to ten
// frames and written to a text file once a second of frame time.
#include <cstdint>
#include <cstdio>

#include "engine/core/scheduler.h"

class CProfiler {
 public:
  static constexpr int kSlots = 53;
  static constexpr int kMaxDepth = 32;
  static constexpr int kNameLength = 48;
  static constexpr int kHistory = 10;

  ~CProfiler();
  void SetClock(MillisecondClock clock) { m_clock = clock; }

  // Clears every section and opens the report (mode "w+") with its header.
  bool Start(const char* fileName = "profile.txt");
  void Stop();
  bool Started() const { return m_file != nullptr; }

  void BeginFrame();
  void EndFrame();
  // Sections nest; EndSection must name the innermost open section (a
  // mismatched end is ignored and returns false). Returns false as well when
  // all 53 slots are taken or the nesting is too deep.
  bool BeginSection(const char* name);
  bool EndSection(const char* name);

  // The name's home slot: XOR of (character << s), s = 0, 5, 10, ... mod 32,
  // taken modulo 53.
  static uint32_t HashSlot(const char* name);
  int32_t FrameNumber() const { return m_frameNumber; }

 private:
  struct Section {
    bool used;
    char name[kNameLength];
    int32_t depth;
    int64_t start;
    int64_t ownTime;
    int32_t calls;
    float history[kHistory];
    int32_t historyCount;
    int32_t historyNext;
  };
  int32_t FindOrAddSlot(const char* name);
  int64_t Now() const;
  void Clear();

  Section m_sections[kSlots]{};
  int32_t m_order[kSlots]{};  // display order: slots by first use
  int32_t m_orderCount = 0;
  int32_t m_stack[kMaxDepth]{};
  int32_t m_depth = 0;
  int64_t m_frameStart = 0;
  int64_t m_sinceReport = 0;
  int32_t m_frameNumber = 0;
  std::FILE* m_file = nullptr;
  MillisecondClock m_clock = nullptr;
};
