#include "engine/core/memory.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "engine/core/error.h"
#include "platform/message_box.h"

// Every active-heap block starts with this header; links are header offsets.
struct CMemoryManager::BlockHeader {
  uint32_t size;   // payload bytes, a multiple of the alignment
  uint32_t upper;  // adjacent block at the next higher address, or kNone
  uint32_t lower;  // adjacent block at the next lower address, or kNone
  uint32_t cell;   // the block's free cell while it is free, kNone in use
};

// Describes one free block; sits on the free list or on the spare list.
struct CMemoryManager::FreeCell {
  uint32_t payload;  // payload offset of the block
  uint32_t next;     // same or larger size
  uint32_t previous;
  uint32_t size;
};

namespace {

constexpr uint32_t kRecordBytes = 16;
constexpr const char* kRule60 = "============================================================";

MemoryLineSink& AlertSink() {
  static MemoryLineSink sink;
  return sink;
}

void AppendInt(std::string& out, int64_t value) { out += std::to_string(value); }

}  // namespace

// ---------------------------------------------------------------- formatter

int64_t MemoryFormatArg::AsInt() const {
  switch (kind_) {
    case Kind::Int:
    case Kind::Char:
      return int_;
    case Kind::Float:
      if (!std::isfinite(float_)) return 0;
      return static_cast<int64_t>(std::clamp(float_, -9.2e18, 9.2e18));
    case Kind::Text:
      return 0;
  }
  return 0;
}

double MemoryFormatArg::AsFloat() const {
  return kind_ == Kind::Float ? float_ : static_cast<double>(AsInt());
}

std::string MemoryFormatArg::AsText() const {
  switch (kind_) {
    case Kind::Text:
      return text_;
    case Kind::Char:
      return std::string(1, static_cast<char>(int_));
    case Kind::Int:
      return std::to_string(int_);
    case Kind::Float: {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%.2f", float_);
      return buffer;
    }
  }
  return {};
}

std::string FormatMemoryLine(std::string_view format, std::span<const MemoryFormatArg> args) {
  constexpr size_t kLineLimit = 511;  // one 512-byte line with its terminator
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < format.size() && out.size() < kLineLimit; ++i) {
    if (format[i] != '%') {
      out += format[i];
      continue;
    }
    if (++i == format.size()) break;
    const char directive = format[i];
    if (directive == '%') {
      out += '%';
      continue;
    }
    if (std::string_view("cdifs").find(directive) == std::string_view::npos) continue;
    if (next >= args.size()) continue;
    const MemoryFormatArg& arg = args[next++];
    switch (directive) {
      case 'c':
        out += static_cast<char>(arg.AsInt());
        break;
      case 'd':
      case 'i':
        AppendInt(out, arg.AsInt());
        break;
      case 'f': {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.2f", arg.AsFloat());
        out += buffer;
        break;
      }
      case 's':
        out += arg.AsText();
        break;
    }
  }
  if (out.size() > kLineLimit) out.resize(kLineLimit);
  return out;
}

void MemoryFormatReport(const MemoryLineSink& sink, std::string_view format,
                        MemoryFormatArgs args) {
  if (!sink) return;
  const std::string line = FormatMemoryLine(format, std::span(args.begin(), args.size()));
  sink(line.c_str());
}

void MemoryFormatAlert(std::string_view format, MemoryFormatArgs args) {
  const std::string line = FormatMemoryLine(format, std::span(args.begin(), args.size()));
  if (AlertSink()) {
    AlertSink()(line.c_str());
  } else {
    MemoryAlertBox(line.c_str());
  }
}

void MemoryAlertBox(const char* text) {
  platform::ShowMessageBox("Memory Alert", text ? text : "", platform::BoxIcon::Error);
}

MemoryLineSink SetMemoryAlertSink(MemoryLineSink sink) {
  MemoryLineSink old = std::move(AlertSink());
  AlertSink() = std::move(sink);
  return old;
}

const char* StripSourcePath(const char* path) {
  if (!path) return "";
  const char* name = path;
  for (const char* p = path; *p; ++p) {
    if (*p == '\\' || *p == '/') name = p + 1;
  }
  return name;
}

// ---------------------------------------------------------------- life

CMemoryManager& MemoryManager() {
  static CMemoryManager manager;
  return manager;
}

CMemoryManager::~CMemoryManager() { Shutdown(); }

uint32_t CMemoryManager::RoundUp(uint32_t size) const {
  const uint64_t rounded = (uint64_t{size} + alignment_ - 1) & ~uint64_t{alignment_ - 1};
  return rounded > poolSize_ ? kNone : static_cast<uint32_t>(rounded);
}

bool CMemoryManager::Init(uint32_t heapSize, uint32_t alignment) {
  static_assert(sizeof(BlockHeader) == kRecordBytes && sizeof(FreeCell) == kRecordBytes);
  if (initialised_) return false;
  if (alignment < 4 || alignment > 4096 || (alignment & (alignment - 1)) != 0) return false;
  const uint64_t size = (uint64_t{heapSize} + alignment - 1) & ~uint64_t{alignment - 1};
  if (size == 0 || size > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return false;

  poolAlign_ = std::max<uint32_t>(alignment, 16);
  pool_ = static_cast<uint8_t*>(::operator new(size, std::align_val_t(poolAlign_), std::nothrow));
  if (!pool_) return false;

  alignment_ = alignment;
  poolSize_ = static_cast<uint32_t>(size);
  headerSize_ = std::max(kRecordBytes, alignment);
  stats_ = MemoryStats{};
  stats_.HeapSize = static_cast<int32_t>(poolSize_);
  if (debugFlags_ & kFillNew) FillPattern(pool_, poolSize_, kNewPattern);
  activeTop_ = 0;
  staticBottom_ = poolSize_;
  spareCells_ = freeList_ = topmost_ = kNone;
  scratchLocked_ = false;
  scratchEnd_ = 0;
  initialised_ = true;
  return true;
}

void CMemoryManager::Shutdown() {
  if (pool_) ::operator delete(pool_, std::align_val_t(poolAlign_));
  pool_ = nullptr;
  poolSize_ = activeTop_ = staticBottom_ = 0;
  spareCells_ = freeList_ = topmost_ = kNone;
  scratchLocked_ = false;
  scratchEnd_ = 0;
  initialised_ = false;
}

// ---------------------------------------------------------------- helpers

CMemoryManager::BlockHeader* CMemoryManager::Header(uint32_t offset) const {
  return reinterpret_cast<BlockHeader*>(pool_ + offset);
}

CMemoryManager::FreeCell* CMemoryManager::Cell(uint32_t offset) const {
  return reinterpret_cast<FreeCell*>(pool_ + offset);
}

uint32_t CMemoryManager::OffsetOf(const void* pointer) const {
  return static_cast<uint32_t>(static_cast<const uint8_t*>(pointer) - pool_);
}

// A released or interior pointer is refused with a log line, never a box: a
// box in the middle of play is worse than the fault, which changes nothing.
void CMemoryManager::LogRefusedPointer(const char* what, const char* file, int line) {
  std::fprintf(stderr, "Memory: refused to %s memory that is not an allocated block (%s line %d)\n", what,
               StripSourcePath(file), line);
}

void CMemoryManager::Report(std::string_view format, MemoryFormatArgs args) const {
  if (Reporting()) MemoryFormatReport(reportSink_, format, args);
}

void CMemoryManager::Alert(std::string_view format, MemoryFormatArgs args) const {
  MemoryFormatAlert(format, args);
}

void CMemoryManager::NoteAllocated() {
  stats_.AllocatedBytes = static_cast<int32_t>(activeTop_);
  stats_.MaxAllocatedBytes = std::max(stats_.MaxAllocatedBytes, stats_.AllocatedBytes);
}

// True for a pointer strictly above the pool base and at most the active top
// (a zero-size topmost block has its payload at the active top).
bool CMemoryManager::InActiveHeap(const void* pointer) const {
  const auto* p = static_cast<const uint8_t*>(pointer);
  return pool_ && p > pool_ && p <= pool_ + activeTop_;
}

// A block in use has consistent neighbour links and no free cell; anything
// else (a freed block, a pointer into a payload) is not a live block.
uint32_t CMemoryManager::LiveHeaderOffset(const void* pointer) const {
  if (!InActiveHeap(pointer)) return kNone;
  const uint32_t payload = OffsetOf(pointer);
  if (payload < headerSize_ || payload % alignment_ != 0) return kNone;
  const uint32_t offset = payload - headerSize_;
  const BlockHeader* h = Header(offset);
  if (h->cell != kNone || h->size % alignment_ != 0) return kNone;
  const uint64_t end = uint64_t{payload} + h->size;
  if (end > activeTop_) return kNone;
  if (h->upper == kNone) {
    if (offset != topmost_ || end != activeTop_) return kNone;
  } else {
    if (h->upper != end || uint64_t{h->upper} + headerSize_ > activeTop_) return kNone;
    if (Header(h->upper)->lower != offset) return kNone;
  }
  if (h->lower == kNone) return offset == 0 ? offset : kNone;
  if (h->lower % alignment_ != 0 || uint64_t{h->lower} + headerSize_ > offset) return kNone;
  return Header(h->lower)->upper == offset ? offset : kNone;
}

// Below the static heap: a pointer there that is no live block is a caller's
// fault (a double free, also of a block already returned to the gap, or an
// interior pointer), unlike null or a static block, which are merely refused.
bool CMemoryManager::InFreeableRange(const void* pointer) const {
  const auto* p = static_cast<const uint8_t*>(pointer);
  return pool_ && p > pool_ && p < pool_ + staticBottom_;
}

bool CMemoryManager::IsLiveBlock(const void* pointer) const {
  return LiveHeaderOffset(pointer) != kNone;
}

uint32_t CMemoryManager::BlockSize(const void* pointer) const {
  const uint32_t offset = LiveHeaderOffset(pointer);
  return offset == kNone ? 0 : Header(offset)->size;
}

bool CMemoryManager::CheckHeap() const {
  if (!initialised_) return true;
  if (activeTop_ > staticBottom_ || staticBottom_ > poolSize_) return false;
  uint32_t freeBlocks = 0;
  uint32_t expectedLower = kNone;
  uint32_t last = kNone;
  bool lastFree = false;
  for (uint32_t at = activeTop_ > 0 ? 0 : kNone; at != kNone;) {
    if (uint64_t{at} + headerSize_ > activeTop_) return false;
    const BlockHeader* h = Header(at);
    const uint64_t end = uint64_t{at} + headerSize_ + h->size;
    if (h->lower != expectedLower || end > activeTop_ || h->size % alignment_ != 0) return false;
    const bool isFree = h->cell != kNone;
    if (isFree) {
      if (lastFree || h->cell % 4 != 0 || uint64_t{h->cell} + kRecordBytes > poolSize_) return false;
      const FreeCell* c = Cell(h->cell);
      if (c->payload != at + headerSize_ || c->size != h->size) return false;
      ++freeBlocks;
    }
    if (h->upper != kNone && h->upper != end) return false;
    lastFree = isFree;
    expectedLower = last = at;
    at = h->upper;
  }
  if (last != topmost_ || lastFree) return false;
  if (last != kNone && uint64_t{last} + headerSize_ + Header(last)->size != activeTop_) return false;

  uint32_t listed = 0;
  uint32_t previous = kNone;
  for (uint32_t cell = freeList_; cell != kNone; cell = Cell(cell)->next) {
    const FreeCell* c = Cell(cell);
    if (++listed > freeBlocks || c->previous != previous) return false;
    if (previous != kNone && Cell(previous)->size > c->size) return false;
    if (Header(c->payload - headerSize_)->cell != cell) return false;
    previous = cell;
  }
  return listed == freeBlocks && static_cast<int32_t>(listed) == stats_.NumFreeBlocks;
}

void CMemoryManager::FillPattern(void* address, size_t length, uint32_t pattern) {
  auto* bytes = static_cast<uint8_t*>(address);
  const size_t words = length / 4;
  for (size_t i = 0; i < words; ++i) std::memcpy(bytes + i * 4, &pattern, 4);
  const size_t rest = length % 4;
  for (size_t i = 0; i < rest; ++i) {
    bytes[words * 4 + i] = static_cast<uint8_t>(pattern >> (8 * (rest - i)));
  }
}

// ---------------------------------------------------------------- free cells

bool CMemoryManager::GrowSpareCells() {
  constexpr uint32_t bytes = kCellsPerGrowth * kRecordBytes;
  void* memory = StaticAlloc(bytes, "UNUSEDFREELIST_GROW", __LINE__);
  if (!memory) {
    Alert("Out of memory attempting to grow the free cell list...", {});
    memory = Alloc(bytes, "NOT DEFINED", __LINE__);
    if (!memory) return false;
  }
  std::memset(memory, 0, bytes);
  stats_.FreeTableSize += static_cast<int32_t>(kCellsPerGrowth);
  const uint32_t first = OffsetOf(memory);
  for (uint32_t i = 0; i < kCellsPerGrowth; ++i) ReturnSpareCell(first + i * kRecordBytes);
  return true;
}

uint32_t CMemoryManager::TakeSpareCell() {
  if (spareCells_ == kNone && !GrowSpareCells()) return kNone;
  const uint32_t cell = spareCells_;
  spareCells_ = Cell(cell)->next;
  *Cell(cell) = FreeCell{0, kNone, kNone, 0};
  return cell;
}

void CMemoryManager::ReturnSpareCell(uint32_t cell) {
  *Cell(cell) = FreeCell{0, spareCells_, kNone, 0};
  spareCells_ = cell;
}

// Before the first cell of the same or larger size.
void CMemoryManager::InsertFreeCell(uint32_t cell) {
  FreeCell* c = Cell(cell);
  uint32_t previous = kNone;
  uint32_t at = freeList_;
  while (at != kNone && Cell(at)->size < c->size) {
    previous = at;
    at = Cell(at)->next;
  }
  c->previous = previous;
  c->next = at;
  if (previous == kNone) {
    freeList_ = cell;
  } else {
    Cell(previous)->next = cell;
  }
  if (at != kNone) Cell(at)->previous = cell;
  ++stats_.NumFreeBlocks;
  stats_.MaxFreeBlocks = std::max(stats_.MaxFreeBlocks, stats_.NumFreeBlocks);
}

void CMemoryManager::RemoveFreeCell(uint32_t cell) {
  FreeCell* c = Cell(cell);
  if (c->previous == kNone) {
    freeList_ = c->next;
  } else {
    Cell(c->previous)->next = c->next;
  }
  if (c->next != kNone) Cell(c->next)->previous = c->previous;
  c->next = c->previous = kNone;
  --stats_.NumFreeBlocks;
}

void CMemoryManager::ResortGrownCell(uint32_t cell) {
  const FreeCell* c = Cell(cell);
  if (c->next != kNone && Cell(c->next)->size < c->size) {
    RemoveFreeCell(cell);
    InsertFreeCell(cell);
  }
}

// Gives the block at headerOffset the cell and puts it on the free list.
uint32_t CMemoryManager::MakeFreeCell(uint32_t headerOffset, uint32_t cell) {
  BlockHeader* h = Header(headerOffset);
  *Cell(cell) = FreeCell{headerOffset + headerSize_, kNone, kNone, h->size};
  h->cell = cell;
  InsertFreeCell(cell);
  return cell;
}

// ---------------------------------------------------------------- active heap

void* CMemoryManager::AllocFromCell(uint32_t cell, uint32_t size, uint32_t rounded) {
  const uint32_t offset = Cell(cell)->payload - headerSize_;
  BlockHeader* h = Header(offset);
  const uint32_t found = h->size;
  // The used cell goes back first, so a split never needs the spare list to
  // grow (growing could itself allocate).
  RemoveFreeCell(cell);
  ReturnSpareCell(cell);
  h->cell = kNone;
  uint32_t granted = found;
  if (found - rounded <= kSplitThreshold) {
    Report(" - USING FREED BLOCK:: Using freed block %i - %i", {found, found});
  } else {
    const uint32_t split = offset + headerSize_ + rounded;
    BlockHeader* rest = Header(split);
    *rest = BlockHeader{found - rounded - headerSize_, h->upper, offset, kNone};
    if (h->upper != kNone) Header(h->upper)->lower = split;
    h->upper = split;
    h->size = granted = rounded;
    MakeFreeCell(split, TakeSpareCell());
    Report(" - SPLITTING FREE BLOCK:: Split and recovered %i of memory", {rest->size});
  }
  void* payload = pool_ + offset + headerSize_;
  if (debugFlags_ & kFillNew) FillPattern(payload, h->size, kNewPattern);
  Report(" - ALLOCATED(%i):: %i(%i) bytes from ACTIVE heap",
         {static_cast<const void*>(payload), size, granted});
  return payload;
}

void* CMemoryManager::AllocAtTop(uint32_t size, uint32_t rounded, const char* file, int line) {
  const uint64_t needed = uint64_t{headerSize_} + rounded;
  if (rounded == kNone || activeTop_ + needed > staticBottom_) {
    Alert("Failed to allocate %d bytes in %s at %i", {rounded == kNone ? size : rounded, file, line});
    Report(" - FAILED:: %i(%i) bytes from ACTIVE heap", {size, needed});
    return nullptr;
  }
  const uint32_t offset = activeTop_;
  *Header(offset) = BlockHeader{rounded, kNone, topmost_, kNone};
  if (topmost_ != kNone) Header(topmost_)->upper = offset;
  topmost_ = offset;
  activeTop_ += static_cast<uint32_t>(needed);
  NoteAllocated();
  void* payload = pool_ + offset + headerSize_;
  if (debugFlags_ & kFillNew) FillPattern(payload, rounded, kNewPattern);
  Report(" - ALLOCATED(%i):: %i(%i) bytes from ACTIVE heap",
         {static_cast<const void*>(payload), size, needed});
  return payload;
}

void* CMemoryManager::Alloc(uint32_t size, const char* file, int line) {
  if (!initialised_) return nullptr;
  ++stats_.NumActiveAllocs;
  stats_.MaxActiveAllocs = std::max(stats_.MaxActiveAllocs, stats_.NumActiveAllocs);
  Report("REQUEST TO ALLOCATE:: %i of memory  requested at %s at line %i",
         {size, StripSourcePath(file), line});
  const uint32_t rounded = RoundUp(size);
  if (scratchLocked_) {
    // Growth would hand out the bytes on loan; refuse every request alike.
    ReportErrorF(1, "Memory requested in %s at line %d while scratch memory is lent out",
                 StripSourcePath(file), line);
    Report(" - FAILED:: %i(%i) bytes from ACTIVE heap", {size, uint64_t{headerSize_} + rounded});
    return nullptr;
  }
  if (rounded != kNone) {
    for (uint32_t cell = freeList_; cell != kNone; cell = Cell(cell)->next) {
      if (Cell(cell)->size >= rounded) return AllocFromCell(cell, size, rounded);
    }
  }
  return AllocAtTop(size, rounded, file, line);
}

bool CMemoryManager::Free(void* pointer, const char* file, int line) {
  if (!initialised_) return false;
  const uint32_t offset = LiveHeaderOffset(pointer);
  if (offset == kNone) {
    if (InFreeableRange(pointer)) LogRefusedPointer("free", file, line);
    Report("RELEASE ERROR:: attempting to free memory not in the active heap in %s at line %i",
           {file, line});
    return false;
  }
  BlockHeader* h = Header(offset);
  --stats_.NumActiveAllocs;
  Report("REQUEST TO FREE (%i):: Attempting to free %i of memory. %s at line %i",
         {static_cast<const void*>(pointer), h->size, StripSourcePath(file), line});

  const bool lowerFree = h->lower != kNone && Header(h->lower)->cell != kNone;
  if (!lowerFree && spareCells_ == kNone && !GrowSpareCells()) {
    ++stats_.NumActiveAllocs;
    ReportErrorF(1, "No free cell to record the block freed in %s at line %d; it stays in use",
                 StripSourcePath(file), line);
    return false;
  }

  uint32_t current = offset;
  if (lowerFree) {
    BlockHeader* lower = Header(h->lower);
    const uint32_t freed = h->size;
    if (topmost_ == offset) topmost_ = h->lower;
    lower->size += headerSize_ + freed;
    Cell(lower->cell)->size = lower->size;
    lower->upper = h->upper;
    if (h->upper != kNone) Header(h->upper)->lower = h->lower;
    ResortGrownCell(lower->cell);
    Report(" - MERGER:: Merged %i of memory, and merged upstream to new size of %i",
           {freed + headerSize_, lower->size});
    current = h->lower;
  } else {
    MakeFreeCell(offset, TakeSpareCell());
    Report(" - NEW FREE BLOCK:: Created free block of  %i", {h->size});
  }

  BlockHeader* c = Header(current);
  if (c->upper != kNone && Header(c->upper)->cell != kNone) {
    BlockHeader* upper = Header(c->upper);
    const uint32_t upperSize = upper->size;
    const uint32_t upperCell = upper->cell;
    c->size += headerSize_ + upperSize;
    c->upper = upper->upper;
    if (c->upper != kNone) {
      Header(c->upper)->lower = current;
    } else {
      topmost_ = current;
    }
    RemoveFreeCell(upperCell);
    ReturnSpareCell(upperCell);
    Cell(c->cell)->size = c->size;
    ResortGrownCell(c->cell);
    Report(" - MERGER:: Merged %i of memory, and merged downstream to new size of %i.",
           {headerSize_ + upperSize, c->size});
  }

  if (debugFlags_ & kFillFreed) FillPattern(pool_ + current + headerSize_, c->size, kFreedPattern);

  if (current == topmost_) {
    const uint32_t released = headerSize_ + c->size;
    RemoveFreeCell(c->cell);
    ReturnSpareCell(c->cell);
    c->cell = kNone;
    activeTop_ = current;
    topmost_ = c->lower;
    if (topmost_ != kNone) Header(topmost_)->upper = kNone;
    NoteAllocated();
    Report(" - RELEASED TO HEAP:: Released %i of memory to active heap", {released});
  }
  return true;
}

void* CMemoryManager::Realloc(void* pointer, uint32_t size, const char* file, int line) {
  if (!initialised_) return nullptr;
  const uint32_t offset = LiveHeaderOffset(pointer);
  if (offset == kNone) {
    if (InFreeableRange(pointer)) LogRefusedPointer("resize", file, line);
    Report("REALLOC ERROR:: attempting to realloc memory not in the active heap in %s at line %i",
           {file, line});
    return nullptr;
  }
  BlockHeader* h = Header(offset);
  const uint32_t current = h->size;
  const uint32_t rounded = RoundUp(size);
  if (rounded != kNone && current >= rounded) {
    Report("REALLOCATED:: %i to %i from ACTIVE heap in %s at line %i",
           {current, rounded, file, line});
    return pointer;
  }
  if (rounded != kNone && offset == topmost_ && !scratchLocked_ &&
      uint64_t{activeTop_} + (rounded - current) <= staticBottom_) {
    h->size = rounded;
    activeTop_ += rounded - current;
    NoteAllocated();
    if (debugFlags_ & kFillNew) {
      FillPattern(static_cast<uint8_t*>(pointer) + current, rounded - current, kNewPattern);
    }
    Report("REALLOCATED:: %i to %i from ACTIVE heap in %s at line %i",
           {current, rounded, file, line});
    return pointer;
  }
  void* moved = Alloc(size, file, line);
  if (!moved) return nullptr;
  std::memcpy(moved, pointer, current);
  Free(pointer, file, line);
  Report("REALLOCATED:: %i to %i from ACTIVE heap in %s at line %i",
         {current, rounded, file, line});
  return moved;
}

// ---------------------------------------------------------------- static heap, scratch

void* CMemoryManager::StaticAlloc(uint32_t size, const char* file, int line) {
  if (!initialised_) return nullptr;
  const uint32_t rounded = RoundUp(size);
  ++stats_.NumStaticAllocs;
  const int64_t bytes = int64_t{stats_.NumStaticBytes} + (rounded == kNone ? size : rounded);
  stats_.NumStaticBytes = static_cast<int32_t>(std::min<int64_t>(bytes, INT32_MAX));
  // The scratch loan, while it is out, belongs to its holder.
  const uint32_t floor = scratchLocked_ ? std::max(activeTop_, scratchEnd_) : activeTop_;
  if (rounded == kNone || rounded > staticBottom_ || staticBottom_ - rounded < floor) {
    Report("FAILED:: %i(%i) bytes from STATIC heap in %s at line %i", {rounded, size, file, line});
    return nullptr;
  }
  staticBottom_ -= rounded;
  void* block = pool_ + staticBottom_;
  if (debugFlags_ & kFillNew) FillPattern(block, rounded, kNewPattern);
  Report("STATIC ALLOCATED:: %i(%i) bytes from STATIC heap in %s at line %i",
         {rounded, size, file, line});
  return block;
}

void* CMemoryManager::ScratchLock(uint32_t size, const char* file, int line) {
  if (!initialised_ || scratchLocked_) return nullptr;
  if (uint64_t{activeTop_} + size > staticBottom_) return nullptr;
  scratchLocked_ = true;
  scratchEnd_ = activeTop_ + size;
  void* gap = pool_ + activeTop_;
  if (debugFlags_ & kFillNew) FillPattern(gap, size, kNewPattern);
  Report("SCRATCH ALLOC: Scratch locked the heap in %s at line %i", {file, line});
  return gap;
}

void CMemoryManager::ScratchUnlock(const char* file, int line) {
  if (!initialised_) return;
  scratchLocked_ = false;
  scratchEnd_ = 0;
  if (debugFlags_ & kFillNew) {
    FillPattern(pool_ + activeTop_, staticBottom_ - activeTop_, kNewPattern);
  }
  Report("SCRATCH RELEASE: Scratch unlocked the heap in %s at line %i", {file, line});
}

// ---------------------------------------------------------------- reports

void CMemoryManager::SetDebugFlags(uint8_t flags) {
  debugFlags_ = flags;
  if (!Reporting()) return;
  Report("Debug status: Activity Reporting", {});
  if (flags & kFillNew) Report("Debug status: Fill Uninitialised Memory", {});
  if (flags & kFillFreed) Report("Debug status: Fill Freed Memory", {});
}

void CMemoryManager::SetReportCallback(MemoryLineSink sink) { reportSink_ = std::move(sink); }

MemoryStats CMemoryManager::GetStats() {
  int64_t inFree = 0;
  if (pool_) {
    for (uint32_t cell = freeList_; cell != kNone; cell = Cell(cell)->next) inFree += Cell(cell)->size;
  }
  stats_.MemoryInFreeBlocks = static_cast<int32_t>(inFree);
  stats_.ActualMemoryUsed =
      stats_.NumStaticBytes + stats_.AllocatedBytes - stats_.MemoryInFreeBlocks;
  return stats_;
}

void CMemoryManager::ReportAllocations() {
  if (!Reporting()) return;
  Report("================= ALLOCATION ANALYSIS ======================", {});
  if (pool_ && activeTop_ > 0) {
    for (uint32_t block = 0; block != kNone; block = Header(block)->upper) {
      if (Header(block)->cell == kNone) {
        Report("Allocated Block (active heap). Size : %i", {Header(block)->size});
      }
    }
  }
  Report(kRule60, {});
}

void CMemoryManager::ReportFreeBlocks() {
  if (!Reporting()) return;
  Report("================= FREE ANALYSIS ============================", {});
  int count = 0;
  int spare = 0;
  if (pool_) {
    for (uint32_t cell = freeList_; cell != kNone; cell = Cell(cell)->next, ++count) {
      Report("Free Block. Size : %i", {Cell(cell)->size});
    }
    for (uint32_t cell = spareCells_; cell != kNone; cell = Cell(cell)->next) ++spare;
  }
  Report("Total free blocks: %i", {count});
  Report("Total available free blocks: %i", {spare});
  Report(kRule60, {});
}

void CMemoryManager::ReportStats() {
  if (!Reporting()) return;
  const MemoryStats s = GetStats();
  Report("\n=============", {});
  Report("HeapSize:\t\t%i", {s.HeapSize});
  Report("FreeTableSize\t\t%i", {s.FreeTableSize});
  Report("NumFreeBlocks\t\t%i", {s.NumFreeBlocks});
  Report("MaxFreeBlocks\t\t%i", {s.MaxFreeBlocks});
  Report("NumActiveAllocs\t\t%i", {s.NumActiveAllocs});
  Report("MaxActiveAllocs\t\t%i", {s.MaxActiveAllocs});
  Report("NumStaticAllocs\t\t%i", {s.NumStaticAllocs});
  Report("NumStaticBytes\t\t%i", {s.NumStaticBytes});
  Report("Allocated Bytes\t\t%i", {s.AllocatedBytes});
  Report("Max Allocated Bytes\t%i", {s.MaxAllocatedBytes});
  Report("Memory in Free Blocks\t%i", {s.MemoryInFreeBlocks});
  Report("Actual memory used\t%i", {s.ActualMemoryUsed});
  Report("=============", {});
}
