#include "engine/core/memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/box_capture.h"

namespace {

// A manager of its own per test; alignment 4 unless a test says otherwise.
class MemoryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(mm.Init(64 * 1024, 4)); }
  void TearDown() override {
    EXPECT_TRUE(mm.CheckHeap());
    mm.Shutdown();
    SetMemoryAlertSink(nullptr);
  }
  void Reinit(uint32_t size, uint32_t alignment) {
    mm.Shutdown();
    ASSERT_TRUE(mm.Init(size, alignment));
  }
  uint8_t* Alloc(uint32_t size) { return static_cast<uint8_t*>(mm.Alloc(size, "test.cpp", 1)); }
  bool Free(void* p) { return mm.Free(p, "test.cpp", 2); }
  uint32_t Top() const { return mm.ActiveTopOffset(); }
  uint32_t Offset(const void* p) const {
    return static_cast<uint32_t>(static_cast<const uint8_t*>(p) - mm.PoolBase());
  }
  void CaptureAlerts() {
    SetMemoryAlertSink([this](const char* line) { alerts.emplace_back(line); });
  }
  void CaptureReport() {
    mm.SetReportCallback([this](const char* line) { report.emplace_back(line); });
    mm.SetDebugFlags(CMemoryManager::kReportActivity);
    report.clear();
  }

  CMemoryManager mm;
  std::vector<std::string> alerts;
  std::vector<std::string> report;
};

TEST_F(MemoryTest, BestFitTakesTheSmallestSufficientAndLastInsertedOfEqualSize) {
  uint8_t* first = Alloc(200);
  Alloc(4);
  uint8_t* second = Alloc(200);
  Alloc(4);
  ASSERT_TRUE(Free(first) && Free(second));
  EXPECT_EQ(Alloc(200), second);
  EXPECT_EQ(Alloc(200), first);

  uint8_t* big = Alloc(400);
  Alloc(4);
  uint8_t* small = Alloc(200);
  Alloc(4);
  uint8_t* middle = Alloc(300);
  Alloc(4);
  ASSERT_TRUE(Free(big) && Free(small) && Free(middle));
  EXPECT_EQ(Alloc(250), middle);
  EXPECT_EQ(Alloc(150), small);
  EXPECT_EQ(Alloc(100), big);  // split: 400 - 100 leaves more than 128
  EXPECT_EQ(mm.GetStats().MemoryInFreeBlocks, 400 - 100 - 16);
}

struct SplitCase {
  uint32_t alignment;
  uint32_t freeSize;
  uint32_t request;
  int32_t remainder;  // free bytes left behind, 0 when handed out whole
};

class SplitThreshold : public MemoryTest, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(SplitThreshold, SplitsOnlyWhenMoreThan128BytesRemain) {
  const SplitCase c = GetParam();
  Reinit(64 * 1024, c.alignment);
  uint8_t* block = Alloc(c.freeSize);
  Alloc(0);
  ASSERT_TRUE(Free(block));
  uint8_t* p = Alloc(c.request);
  ASSERT_EQ(p, block);
  const MemoryStats s = mm.GetStats();
  EXPECT_EQ(s.MemoryInFreeBlocks, c.remainder);
  EXPECT_EQ(s.NumFreeBlocks, c.remainder ? 1 : 0);
  EXPECT_EQ(mm.BlockSize(p), c.remainder ? c.request : c.freeSize);
  if (c.remainder) {
    EXPECT_EQ(Alloc(c.remainder), p + c.request + 16);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitThreshold,
                         ::testing::Values(SplitCase{4, 300, 172, 0},     // 128 over: whole
                                           SplitCase{4, 304, 172, 116},   // 132 over: split
                                           SplitCase{16, 320, 192, 0},    // 128 over: whole
                                           SplitCase{16, 336, 192, 128},  // 144 over: split
                                           SplitCase{4, 300, 0, 284}));   // zero bytes

TEST_F(MemoryTest, ZeroByteBlockAtTheTopIsAHeaderAndCanBeFreed) {
  uint8_t* p = Alloc(0);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(Top(), 16u);
  EXPECT_TRUE(mm.IsLiveBlock(p));
  EXPECT_TRUE(Free(p));
  EXPECT_EQ(Top(), 0u);
}

TEST_F(MemoryTest, FreeingBetweenTwoFreeBlocksLeavesOne) {
  uint8_t* a = Alloc(100);
  uint8_t* b = Alloc(200);
  uint8_t* c = Alloc(300);
  Alloc(4);
  ASSERT_TRUE(Free(a) && Free(c));
  EXPECT_EQ(mm.GetStats().NumFreeBlocks, 2);
  ASSERT_TRUE(Free(b));
  const MemoryStats s = mm.GetStats();
  EXPECT_EQ(s.NumFreeBlocks, 1);
  EXPECT_EQ(s.MemoryInFreeBlocks, 100 + 200 + 300 + 2 * 16);
  EXPECT_EQ(Alloc(632), a);
}

TEST_F(MemoryTest, FreeingTheTopmostBlockReturnsItAndAFreeLowerNeighbourToTheGap) {
  uint8_t* a = Alloc(100);
  uint8_t* b = Alloc(200);
  uint8_t* c = Alloc(300);
  EXPECT_EQ(Top(), 3 * 16 + 600u);
  ASSERT_TRUE(Free(c));
  EXPECT_EQ(Top(), Offset(c) - 16);
  c = Alloc(300);
  ASSERT_TRUE(Free(b));
  ASSERT_TRUE(Free(c));
  EXPECT_EQ(Top(), 116u);
  const MemoryStats s = mm.GetStats();
  EXPECT_EQ(s.AllocatedBytes, 116);
  EXPECT_EQ(s.NumFreeBlocks, 0);
  EXPECT_EQ(s.MemoryInFreeBlocks, 0);
  EXPECT_TRUE(mm.IsLiveBlock(a));
}

TEST_F(MemoryTest, StaticHeapGrowsDownToTheActiveTopAndCountsFailures) {
  Reinit(1024, 4);
  uint8_t* s1 = static_cast<uint8_t*>(mm.StaticAlloc(10, "test.cpp", 1));
  EXPECT_EQ(s1, mm.PoolBase() + 1024 - 12);
  Alloc(500);  // active top at 516
  EXPECT_EQ(mm.StaticAlloc(496, "test.cpp", 1), mm.PoolBase() + 516);
  EXPECT_EQ(mm.StaticAlloc(1, "test.cpp", 1), nullptr);
  CaptureAlerts();
  EXPECT_EQ(Alloc(0), nullptr);
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0], "Failed to allocate 0 bytes in test.cpp at 1");
  const MemoryStats s = mm.GetStats();
  EXPECT_EQ(s.NumStaticAllocs, 3);
  EXPECT_EQ(s.NumStaticBytes, 12 + 496 + 4);
  EXPECT_EQ(s.NumActiveAllocs, 2);  // the failed request counts
}

TEST_F(MemoryTest, FreeCellsComeTenAtATimeFromTheStaticHeap) {
  uint8_t* a = Alloc(100);
  Alloc(4);
  ASSERT_TRUE(Free(a));
  EXPECT_EQ(mm.StaticBottomOffset(), 64u * 1024 - 160);
  const MemoryStats s = mm.GetStats();
  EXPECT_EQ(s.FreeTableSize, 10);
  EXPECT_EQ(s.NumStaticBytes, 160);
}

TEST_F(MemoryTest, FreeCellsFallBackToTheActiveHeapWhenTheStaticHeapIsFull) {
  Reinit(8192, 4);
  CaptureAlerts();
  std::vector<uint8_t*> blocks;
  for (int i = 0; i < 11; ++i) {
    blocks.push_back(Alloc(200));
    Alloc(4);
  }
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(Free(blocks[i]));
  ASSERT_NE(mm.StaticAlloc(mm.StaticBottomOffset() - Top(), "test.cpp", 1), nullptr);
  ASSERT_TRUE(Free(blocks[10]));
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0], "Out of memory attempting to grow the free cell list...");
  const MemoryStats s = mm.GetStats();
  EXPECT_EQ(s.FreeTableSize, 20);
  EXPECT_EQ(s.NumFreeBlocks, 10);  // one free block now holds the new cells
}

TEST_F(MemoryTest, FreeThatCannotRecordItsBlockIsRefusedAndTheBlockStays) {
  Reinit(1024, 4);
  CaptureAlerts();
  BoxCapture boxes;
  uint8_t* a = Alloc(400);
  Alloc(400);
  ASSERT_NE(mm.StaticAlloc(mm.StaticBottomOffset() - Top(), "test.cpp", 1), nullptr);
  EXPECT_FALSE(Free(a));
  EXPECT_TRUE(mm.IsLiveBlock(a));
  EXPECT_EQ(mm.GetStats().NumActiveAllocs, 3);  // the failed request for cells counts
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "WARNING!");
}

TEST_F(MemoryTest, ScratchLendsTheGapAndRefusesAllocationWhileLent) {
  Alloc(100);
  const uint32_t top = Top();
  uint8_t* scratch = static_cast<uint8_t*>(mm.ScratchLock(1000, "test.cpp", 1));
  ASSERT_EQ(scratch, mm.PoolBase() + top);
  EXPECT_EQ(mm.ScratchLock(10, "test.cpp", 1), nullptr);  // one loan at a time
  {
    BoxCapture boxes;
    EXPECT_EQ(Alloc(16), nullptr);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "WARNING!");
  }
  // The static heap may not grow into the loan either.
  EXPECT_EQ(mm.StaticAlloc(mm.StaticBottomOffset() - top - 500, "test.cpp", 1), nullptr);
  EXPECT_NE(mm.StaticAlloc(1000, "test.cpp", 1), nullptr);
  mm.ScratchUnlock("test.cpp", 1);
  EXPECT_FALSE(mm.IsScratchLocked());
  EXPECT_EQ(Alloc(16), scratch + 16);
  EXPECT_EQ(mm.ScratchLock(mm.StaticBottomOffset(), "test.cpp", 1), nullptr);  // too big
}

TEST_F(MemoryTest, ReallocKeepsShrinksInPlaceGrowsTheTopAndMovesTheRest) {
  uint8_t* a = Alloc(100);
  uint8_t* b = Alloc(100);
  std::memset(a, 0x5A, 100);
  EXPECT_EQ(mm.Realloc(b, 40, "test.cpp", 1), b);
  EXPECT_EQ(mm.BlockSize(b), 100u);
  const uint32_t top = Top();
  EXPECT_EQ(mm.Realloc(b, 300, "test.cpp", 1), b);
  EXPECT_EQ(Top(), top + 200);
  auto* moved = static_cast<uint8_t*>(mm.Realloc(a, 200, "test.cpp", 1));
  ASSERT_NE(moved, nullptr);
  EXPECT_NE(moved, a);
  EXPECT_EQ(moved, b + 300 + 16);
  EXPECT_EQ(std::vector<uint8_t>(moved, moved + 100), std::vector<uint8_t>(100, 0x5A));
  EXPECT_FALSE(mm.IsLiveBlock(a));
  EXPECT_EQ(mm.GetStats().NumActiveAllocs, 2);

  void* fixed = mm.StaticAlloc(8, "test.cpp", 1);
  EXPECT_EQ(mm.Realloc(fixed, 16, "test.cpp", 1), nullptr);
  EXPECT_EQ(mm.Realloc(nullptr, 16, "test.cpp", 1), nullptr);
}

TEST_F(MemoryTest, ReallocThatCannotBeSatisfiedLeavesTheBlockAlone) {
  Reinit(1024, 4);
  CaptureAlerts();
  uint8_t* a = Alloc(100);
  Alloc(100);
  EXPECT_EQ(mm.Realloc(a, 2000, "test.cpp", 1), nullptr);
  EXPECT_TRUE(mm.IsLiveBlock(a));
  EXPECT_EQ(mm.BlockSize(a), 100u);
  EXPECT_EQ(alerts.size(), 1u);
}

TEST_F(MemoryTest, StatisticsFollowTheHeaps) {
  uint8_t* a = Alloc(100);
  Alloc(50);
  mm.StaticAlloc(30, "test.cpp", 1);
  ASSERT_TRUE(Free(a));
  const MemoryStats s = mm.GetStats();
  EXPECT_EQ(s.HeapSize, 64 * 1024);
  EXPECT_EQ(s.FreeTableSize, 10);
  EXPECT_EQ(s.NumFreeBlocks, 1);
  EXPECT_EQ(s.MaxFreeBlocks, 1);
  EXPECT_EQ(s.NumActiveAllocs, 1);
  EXPECT_EQ(s.MaxActiveAllocs, 2);
  EXPECT_EQ(s.NumStaticAllocs, 2);
  EXPECT_EQ(s.NumStaticBytes, 32 + 160);
  EXPECT_EQ(s.AllocatedBytes, 116 + 68);
  EXPECT_EQ(s.MaxAllocatedBytes, 116 + 68);
  EXPECT_EQ(s.MemoryInFreeBlocks, 100);
  EXPECT_EQ(s.ActualMemoryUsed, 192 + 184 - 100);
}

// Pointers that are not live payloads: refused, nothing changes. Ones inside
// the active heap are programming faults and get a log line, never a box.
TEST_F(MemoryTest, FreeOfAnythingButALiveBlockChangesNothing) {
  uint8_t* a = Alloc(100);
  uint8_t* b = Alloc(100);
  uint8_t* c = Alloc(100);
  Alloc(4);
  ASSERT_TRUE(Free(b));
  uint8_t* top = Alloc(200);
  ASSERT_TRUE(Free(top));
  void* fixed = mm.StaticAlloc(8, "test.cpp", 1);
  const MemoryStats before = mm.GetStats();
  const uint32_t topBefore = Top();

  // A released or interior pointer of the active heap is refused with a log
  // line and no box; pointers elsewhere are refused quietly.
  struct Case {
    void* pointer;
    bool logs;
  };
  const Case cases[] = {{b, true},       {a + 16, true}, {a + 1, true},  {c - 16, true},
                        {top, true},      {nullptr, false}, {fixed, false},
                        {const_cast<uint8_t*>(mm.PoolBase()), false}};
  for (const Case& k : cases) {
    BoxCapture boxes;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Free(k.pointer));
    EXPECT_EQ(mm.Realloc(k.pointer, 8, "test.cpp", 1), nullptr);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(log.find("refused to free memory that is not an allocated block") != std::string::npos, k.logs);
    EXPECT_EQ(log.find("refused to resize memory") != std::string::npos, k.logs);
  }
  const MemoryStats after = mm.GetStats();
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
  EXPECT_EQ(Top(), topBefore);
  EXPECT_TRUE(mm.IsLiveBlock(a) && mm.IsLiveBlock(c));
}

TEST_F(MemoryTest, NothingHappensBeforeInit) {
  CMemoryManager idle;
  EXPECT_EQ(idle.Alloc(8, "test.cpp", 1), nullptr);
  EXPECT_EQ(idle.StaticAlloc(8, "test.cpp", 1), nullptr);
  EXPECT_EQ(idle.ScratchLock(8, "test.cpp", 1), nullptr);
  EXPECT_FALSE(idle.Free(nullptr, "test.cpp", 1));
  EXPECT_FALSE(idle.Init(1024, 3));  // alignment must be a power of two
  EXPECT_FALSE(mm.Init(1024, 4));    // already initialised
}

TEST_F(MemoryTest, SixteenByteAlignmentAlignsEveryPayload) {
  Reinit(64 * 1024, 16);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(mm.PoolBase()) % 16, 0u);
  for (uint32_t size : {1u, 7u, 16u, 33u, 0u, 250u}) {
    uint8_t* p = Alloc(size);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u) << size;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(mm.StaticAlloc(size, "t", 1)) % 16, 0u) << size;
  }
}

TEST(MemoryFill, PatternFillsWordsThenTheHighBytes) {
  uint8_t bytes[7] = {};
  CMemoryManager::FillPattern(bytes, 7, 0xDEADBEEF);
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 7),
            (std::vector<uint8_t>{0xEF, 0xBE, 0xAD, 0xDE, 0xDE, 0xAD, 0xBE}));
  CMemoryManager::FillPattern(bytes, 2, 0xDEADBEEF);
  EXPECT_EQ(bytes[0], 0xAD);
  EXPECT_EQ(bytes[1], 0xBE);
}

TEST_F(MemoryTest, DebugFillsMarkNewAndFreedMemory) {
  mm.SetDebugFlags(CMemoryManager::kFillNew | CMemoryManager::kFillFreed);
  uint8_t* a = Alloc(8);
  Alloc(4);
  uint32_t word;
  std::memcpy(&word, a + 4, 4);
  EXPECT_EQ(word, CMemoryManager::kNewPattern);
  ASSERT_TRUE(Free(a));
  std::memcpy(&word, a + 4, 4);
  EXPECT_EQ(word, CMemoryManager::kFreedPattern);
}

TEST_F(MemoryTest, ActivityLogWritesTheLinesAsGiven) {
  mm.SetReportCallback([this](const char* line) { report.emplace_back(line); });
  mm.SetDebugFlags(7);
  EXPECT_EQ(report, (std::vector<std::string>{"Debug status: Activity Reporting",
                                               "Debug status: Fill Uninitialised Memory",
                                               "Debug status: Fill Freed Memory"}));
  CaptureReport();
  uint8_t* a = static_cast<uint8_t*>(mm.Alloc(10, "c:\\game\\src\\city.cpp", 7));
  const std::string address = std::to_string(reinterpret_cast<uintptr_t>(a));
  mm.Free(a, "city.cpp", 8);
  mm.Free(nullptr, "city.cpp", 9);
  ASSERT_EQ(report.size(), 7u);
  EXPECT_EQ(report[0], "REQUEST TO ALLOCATE:: 10 of memory  requested at city.cpp at line 7");
  EXPECT_EQ(report[1], " - ALLOCATED(" + address + "):: 10(28) bytes from ACTIVE heap");
  EXPECT_EQ(report[2], "REQUEST TO FREE (" + address + "):: Attempting to free 12 of memory. "
                       "city.cpp at line 8");
  EXPECT_EQ(report[3].rfind("STATIC ALLOCATED:: 160(160) bytes from STATIC heap in "
                            "UNUSEDFREELIST_GROW at line ", 0), 0u);
  EXPECT_EQ(report[4], " - NEW FREE BLOCK:: Created free block of  12");
  EXPECT_EQ(report[5], " - RELEASED TO HEAP:: Released 28 of memory to active heap");
  EXPECT_EQ(report[6], "RELEASE ERROR:: attempting to free memory not in the active heap in "
                       "city.cpp at line 9");
}

TEST_F(MemoryTest, ActivityLogNamesMergesSplitsAndReallocs) {
  uint8_t* a = Alloc(300);
  uint8_t* b = Alloc(100);
  Alloc(4);
  Free(a);
  CaptureReport();
  Free(b);
  EXPECT_EQ(report.back(), " - MERGER:: Merged 116 of memory, and merged upstream to new size of 416");
  report.clear();
  Alloc(100);
  EXPECT_EQ(report[1], " - SPLITTING FREE BLOCK:: Split and recovered 300 of memory");
  uint8_t* c = Alloc(200);  // whole: 300 - 200 is within the threshold
  EXPECT_EQ(report[3], "REQUEST TO ALLOCATE:: 200 of memory  requested at test.cpp at line 1");
  EXPECT_EQ(report[4], " - USING FREED BLOCK:: Using freed block 300 - 300");
  report.clear();
  Free(a);
  Free(c);
  EXPECT_EQ(report.back(), " - MERGER:: Merged 316 of memory, and merged upstream to new size of 416");
  mm.Realloc(nullptr, 0, "test.cpp", 5);
  EXPECT_EQ(report.back(), "REALLOC ERROR:: attempting to realloc memory not in the active heap in "
                           "test.cpp at line 5");
}

TEST_F(MemoryTest, ReportsListBlocksAndStatistics) {
  uint8_t* a = Alloc(100);
  Alloc(50);
  uint8_t* c = Alloc(200);
  Alloc(4);
  Free(a);
  Free(c);
  CaptureReport();
  mm.ReportAllocations();
  mm.ReportFreeBlocks();
  mm.ReportStats();
  const std::string rule(60, '=');
  const std::vector<std::string> expected = {
      "================= ALLOCATION ANALYSIS ======================",
      "Allocated Block (active heap). Size : 52",
      "Allocated Block (active heap). Size : 4",
      rule,
      "================= FREE ANALYSIS ============================",
      "Free Block. Size : 100",
      "Free Block. Size : 200",
      "Total free blocks: 2",
      "Total available free blocks: 8",
      rule,
      "\n=============",
      "HeapSize:\t\t65536",
      "FreeTableSize\t\t10",
      "NumFreeBlocks\t\t2",
      "MaxFreeBlocks\t\t2",
      "NumActiveAllocs\t\t2",
      "MaxActiveAllocs\t\t4",
      "NumStaticAllocs\t\t1",
      "NumStaticBytes\t\t160",
      "Allocated Bytes\t\t420",
      "Max Allocated Bytes\t420",
      "Memory in Free Blocks\t300",
      "Actual memory used\t280",
      "============="};
  EXPECT_EQ(report, expected);

  report.clear();
  mm.SetDebugFlags(0);
  mm.ReportStats();
  EXPECT_TRUE(report.empty());
}

TEST(MemoryFormat, DirectivesAsGiven) {
  const MemoryFormatArg args[] = {'x', 42, -7, 2.5, "name"};
  EXPECT_EQ(FormatMemoryLine("%c|%d|%i|%f|%s|100%%|%q", args), "x|42|-7|2.50|name|100%|");
  EXPECT_EQ(FormatMemoryLine("missing %d and %s", {}), "missing  and ");
  const std::string longText(600, 'a');
  const MemoryFormatArg one[] = {longText.c_str()};
  EXPECT_EQ(FormatMemoryLine("%s", one).size(), 511u);
}

TEST(MemoryFormat, AlertsGoToTheMemoryAlertBoxUnlessASinkIsSet) {
  BoxCapture boxes;
  MemoryFormatAlert("Failed to allocate %d bytes in %s at %i", {64, "x.cpp", 3});
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Memory Alert");
  EXPECT_EQ(boxes.boxes[0].text, "Failed to allocate 64 bytes in x.cpp at 3");
  EXPECT_EQ(boxes.boxes[0].icon, platform::BoxIcon::Error);
}

TEST(MemoryFormat, StripSourcePathKeepsTheName) {
  EXPECT_STREQ(StripSourcePath("c:\\src\\engine\\x.cpp"), "x.cpp");
  EXPECT_STREQ(StripSourcePath("/work/src/y.cpp"), "y.cpp");
  EXPECT_STREQ(StripSourcePath("z.cpp"), "z.cpp");
}

// Random traffic through every operation keeps the bookkeeping whole and
// never lets one block's bytes spill into another's.
TEST_F(MemoryTest, RandomTrafficKeepsTheHeapConsistent) {
  Reinit(256 * 1024, 16);
  SetMemoryAlertSink([](const char*) {});
  std::mt19937 random(1234);
  std::map<uint8_t*, std::pair<uint32_t, uint8_t>> live;  // size, fill byte
  uint8_t tag = 0;
  for (int step = 0; step < 4000; ++step) {
    const int op = static_cast<int>(random() % 10);
    if (op < 4 || live.empty()) {
      const uint32_t size = random() % 700;
      if (uint8_t* p = Alloc(size)) {
        std::memset(p, ++tag, size);
        live[p] = {size, tag};
      }
    } else {
      auto it = live.begin();
      std::advance(it, random() % live.size());
      const auto [p, entry] = *it;
      ASSERT_TRUE(std::all_of(p, p + entry.first, [&](uint8_t v) { return v == entry.second; }));
      live.erase(it);
      if (op < 8) {
        ASSERT_TRUE(Free(p));
      } else {
        const uint32_t size = random() % 900;
        auto* q = static_cast<uint8_t*>(mm.Realloc(p, size, "test.cpp", 1));
        if (!q) {  // heap exhausted: the old block stands unchanged
          live[p] = entry;
          continue;
        }
        const uint32_t kept = std::min(size, entry.first);
        ASSERT_TRUE(std::all_of(q, q + kept, [&](uint8_t v) { return v == entry.second; }));
        std::memset(q, ++tag, size);
        live[q] = {size, tag};
      }
    }
    ASSERT_TRUE(mm.CheckHeap()) << "step " << step;
  }
  EXPECT_EQ(mm.GetStats().NumActiveAllocs, static_cast<int32_t>(live.size()));
  for (auto& [p, entry] : live) ASSERT_TRUE(Free(p));
  EXPECT_EQ(Top(), 0u);
}

TEST(MemoryManagerMacros, NameTheCallerAndUseTheProgramManager) {
  ASSERT_TRUE(MemoryManager().Init(64 * 1024, 16));
  std::vector<std::string> lines;
  MemoryManager().SetReportCallback([&](const char* line) { lines.emplace_back(line); });
  MemoryManager().SetDebugFlags(CMemoryManager::kReportActivity);
  void* p = MEM_ALLOC(24);
  ASSERT_NE(p, nullptr);
  EXPECT_NE(lines.at(1).find("memory_test.cpp at line"), std::string::npos);
  p = MEM_REALLOC(p, 48);
  struct Pair {
    int a, b;
    Pair(int x, int y) : a(x), b(y) {}
  };
  Pair* pair = MEM_NEW(Pair, 3, 4);
  ASSERT_NE(pair, nullptr);
  EXPECT_EQ(pair->b, 4);
  MEM_DELETE(pair);
  EXPECT_TRUE(MEM_FREE(p));
  EXPECT_NE(MEM_STATIC_ALLOC(8), nullptr);
  MemoryManager().SetDebugFlags(0);
  MemoryManager().SetReportCallback(nullptr);
  MemoryManager().Shutdown();
}

}  // namespace
