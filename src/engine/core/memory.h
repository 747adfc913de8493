#pragma once
// The engine's own allocator. One pool is taken at start-up; inside it an
// active heap grows upward (blocks that can be freed, reused best-fit from a
// size-ordered free list), a static heap grows downward (blocks never freed),
// and the gap between the two can be lent out whole as scratch memory.
//
// Every request names the source file and line that made it, for the activity
// log and the alerts: use the MEM_* macros below rather than the methods.
//
// Block headers and free cells hold 32-bit offsets into the pool, so a header
// stays 16 bytes on a 64-bit machine. The game runs with alignment 16, which
// keeps every payload 16-byte aligned.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <utility>

// The twelve counters, in the order the statistics report prints them.
struct MemoryStats {
  int32_t HeapSize = 0;
  int32_t FreeTableSize = 0;       // free cells ever created
  int32_t NumFreeBlocks = 0;       // cells on the free list
  int32_t MaxFreeBlocks = 0;
  int32_t NumActiveAllocs = 0;     // Alloc requests (failed ones too) less accepted Frees
  int32_t MaxActiveAllocs = 0;
  int32_t NumStaticAllocs = 0;     // StaticAlloc requests, failed ones too
  int32_t NumStaticBytes = 0;      // their rounded sizes
  int32_t AllocatedBytes = 0;      // active top - pool base, headers included
  int32_t MaxAllocatedBytes = 0;
  int32_t MemoryInFreeBlocks = 0;  // sum of the free cells' sizes
  int32_t ActualMemoryUsed = 0;    // NumStaticBytes + AllocatedBytes - MemoryInFreeBlocks
};

// One value for the report formatter: the formatter is type-safe, each
// directive takes the next value whatever its kind and prints it as asked.
class MemoryFormatArg {
 public:
  enum class Kind : uint8_t { Int, Float, Text, Char };
  MemoryFormatArg(int v) : kind_(Kind::Int), int_(v) {}
  MemoryFormatArg(unsigned v) : kind_(Kind::Int), int_(v) {}
  MemoryFormatArg(long v) : kind_(Kind::Int), int_(v) {}
  MemoryFormatArg(unsigned long v) : kind_(Kind::Int), int_(static_cast<int64_t>(v)) {}
  MemoryFormatArg(long long v) : kind_(Kind::Int), int_(v) {}
  MemoryFormatArg(unsigned long long v) : kind_(Kind::Int), int_(static_cast<int64_t>(v)) {}
  MemoryFormatArg(double v) : kind_(Kind::Float), float_(v) {}
  MemoryFormatArg(char v) : kind_(Kind::Char), int_(v) {}
  MemoryFormatArg(const char* v) : kind_(Kind::Text), text_(v ? v : "") {}
  MemoryFormatArg(const void* v)
      : kind_(Kind::Int), int_(static_cast<int64_t>(reinterpret_cast<uintptr_t>(v))) {}

  Kind kind() const { return kind_; }
  int64_t AsInt() const;
  double AsFloat() const;
  std::string AsText() const;

 private:
  Kind kind_;
  int64_t int_ = 0;
  double float_ = 0.0;
  const char* text_ = "";
};

using MemoryFormatArgs = std::initializer_list<MemoryFormatArg>;

// Receives one finished line (without a newline).
using MemoryLineSink = std::function<void(const char* line)>;

// The small formatter behind the log and the alerts: "%%", "%c", "%d", "%i",
// "%f" (printed as %.2f) and "%s"; any other character after '%' is dropped.
// The result is cut to 511 characters (one 512-byte line).
std::string FormatMemoryLine(std::string_view format, std::span<const MemoryFormatArg> args);
// Formats and passes the line to a report sink (nothing when it is empty).
void MemoryFormatReport(const MemoryLineSink& sink, std::string_view format,
                        MemoryFormatArgs args);
// Formats and passes the line to the alert sink.
void MemoryFormatAlert(std::string_view format, MemoryFormatArgs args);
// The default alert sink: a "Memory Alert" box with the error icon.
void MemoryAlertBox(const char* text);
// Chooses the alert sink; an empty function restores MemoryAlertBox.
// Returns the previous sink.
MemoryLineSink SetMemoryAlertSink(MemoryLineSink sink);

// The part of a source path after its last separator (either slash), or the
// whole path.
const char* StripSourcePath(const char* path);

class CMemoryManager {
 public:
  // Debug flag bits.
  static constexpr uint8_t kFillNew = 1;         // fill new memory with 0xDEADBEEF
  static constexpr uint8_t kFillFreed = 2;       // fill freed memory with 0xBAADF00D
  static constexpr uint8_t kReportActivity = 4;  // write the activity log
  static constexpr uint32_t kNewPattern = 0xDEADBEEF;
  static constexpr uint32_t kFreedPattern = 0xBAADF00D;
  // Blocks are split only when more than this many bytes would remain.
  static constexpr uint32_t kSplitThreshold = 128;
  static constexpr uint32_t kCellsPerGrowth = 10;

  CMemoryManager() = default;
  ~CMemoryManager();
  CMemoryManager(const CMemoryManager&) = delete;
  CMemoryManager& operator=(const CMemoryManager&) = delete;

  // Takes the pool (size rounded up to the alignment, a power of two). False
  // when the pool cannot be had, the arguments are unusable or the manager is
  // already initialised.
  bool Init(uint32_t heapSize, uint32_t alignment);
  // Returns the pool; every block becomes invalid.
  void Shutdown();
  bool IsInitialised() const { return initialised_; }

  void* Alloc(uint32_t size, const char* file, int line);
  bool Free(void* pointer, const char* file, int line);
  void* StaticAlloc(uint32_t size, const char* file, int line);
  void* Realloc(void* pointer, uint32_t size, const char* file, int line);
  // Lends the gap between the heaps; null when it is smaller than size. No
  // allocation from the active heap is accepted while the loan is out.
  void* ScratchLock(uint32_t size, const char* file, int line);
  void ScratchUnlock(const char* file, int line);
  bool IsScratchLocked() const { return scratchLocked_; }

  void SetDebugFlags(uint8_t flags);
  uint8_t GetDebugFlags() const { return debugFlags_; }
  // Sets the activity-log sink; an empty function switches the log off again.
  void SetReportCallback(MemoryLineSink sink);

  MemoryStats GetStats();
  void ReportAllocations();
  void ReportFreeBlocks();
  void ReportStats();

  // Fills with a repeated 32-bit pattern: whole words first, then 1 to 3
  // bytes taken from the pattern's most significant byte down.
  static void FillPattern(void* address, size_t length, uint32_t pattern);

  // Inspection, for the reports and tests.
  uint32_t HeaderSize() const { return headerSize_; }
  uint32_t Alignment() const { return alignment_; }
  const uint8_t* PoolBase() const { return pool_; }
  uint32_t ActiveTopOffset() const { return activeTop_; }
  uint32_t StaticBottomOffset() const { return staticBottom_; }
  // Payload size of a live block, 0 when the pointer is not one.
  uint32_t BlockSize(const void* pointer) const;
  // True when the pointer is the payload of a block in use.
  bool IsLiveBlock(const void* pointer) const;
  // Walks both heaps' bookkeeping: blocks tile the active heap with matching
  // links, free blocks and cells agree, the free list is sorted, no two free
  // blocks touch and the topmost block is in use. False on any breach.
  bool CheckHeap() const;

 private:
  struct BlockHeader;
  struct FreeCell;
  static constexpr uint32_t kNone = 0xFFFFFFFFu;

  uint32_t RoundUp(uint32_t size) const;
  BlockHeader* Header(uint32_t offset) const;
  FreeCell* Cell(uint32_t offset) const;
  uint32_t OffsetOf(const void* pointer) const;
  bool Reporting() const { return (debugFlags_ & kReportActivity) != 0; }
  static void LogRefusedPointer(const char* what, const char* file, int line);
  void Report(std::string_view format, MemoryFormatArgs args) const;
  void Alert(std::string_view format, MemoryFormatArgs args) const;

  // Header offset of the live block whose payload is at pointer, or kNone.
  uint32_t LiveHeaderOffset(const void* pointer) const;
  bool InActiveHeap(const void* pointer) const;
  bool InFreeableRange(const void* pointer) const;
  void NoteAllocated();

  // Free-cell lists.
  bool GrowSpareCells();
  uint32_t TakeSpareCell();
  void ReturnSpareCell(uint32_t cell);
  void InsertFreeCell(uint32_t cell);
  void RemoveFreeCell(uint32_t cell);
  void ResortGrownCell(uint32_t cell);
  uint32_t MakeFreeCell(uint32_t headerOffset, uint32_t cell);

  void* AllocFromCell(uint32_t cell, uint32_t size, uint32_t rounded);
  void* AllocAtTop(uint32_t size, uint32_t rounded, const char* file, int line);

  uint8_t* pool_ = nullptr;
  uint32_t poolSize_ = 0;
  uint32_t activeTop_ = 0;     // offset of the first byte above the active heap
  uint32_t staticBottom_ = 0;  // offset of the lowest byte of the static heap
  uint32_t spareCells_ = kNone;
  uint32_t freeList_ = kNone;
  uint32_t alignment_ = 16;
  uint32_t topmost_ = kNone;   // header offset of the highest active block
  uint32_t headerSize_ = 16;
  uint32_t poolAlign_ = 16;
  uint32_t scratchEnd_ = 0;    // offset of the first byte above the scratch loan
  uint8_t debugFlags_ = 0;
  bool initialised_ = false;
  bool scratchLocked_ = false;
  MemoryLineSink reportSink_;
  MemoryStats stats_;
};

// The program's one manager.
CMemoryManager& MemoryManager();

#define MEM_ALLOC(size) MemoryManager().Alloc(static_cast<uint32_t>(size), __FILE__, __LINE__)
#define MEM_FREE(ptr) MemoryManager().Free((ptr), __FILE__, __LINE__)
#define MEM_REALLOC(ptr, size) \
  MemoryManager().Realloc((ptr), static_cast<uint32_t>(size), __FILE__, __LINE__)
#define MEM_STATIC_ALLOC(size) \
  MemoryManager().StaticAlloc(static_cast<uint32_t>(size), __FILE__, __LINE__)

// Objects from the active heap: constructed in a block named by file and line,
// destroyed and freed through MEM_DELETE. Null when the heap is exhausted.
template <typename T, typename... Args>
T* MemNew(const char* file, int line, Args&&... args) {
  static_assert(alignof(T) <= 16, "the pool aligns payloads to 16 bytes");
  void* block = MemoryManager().Alloc(static_cast<uint32_t>(sizeof(T)), file, line);
  if (!block) return nullptr;
  return new (block) T(std::forward<Args>(args)...);
}

template <typename T>
void MemDelete(T* object, const char* file, int line) {
  if (!object) return;
  object->~T();
  MemoryManager().Free(object, file, line);
}

#define MEM_NEW(T, ...) MemNew<T>(__FILE__, __LINE__ __VA_OPT__(, ) __VA_ARGS__)
#define MEM_DELETE(ptr) MemDelete((ptr), __FILE__, __LINE__)
