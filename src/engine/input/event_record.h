#pragma once
// Input event recordings and their ".rec" files (little-endian, 102,604
// bytes): the camera record when the recording started (196 bytes), the poll
// count and the record count (int32 each), then the event buffer. Events are
// packed one after another: int32 poll number, uint8 kind, then by kind
//   keys:    int32 n, then n pairs of bytes (scan code, 0x80 when down);
//   pointer: four int32: screen x, screen y, interface x, interface y;
//   mouse:   16 bytes: x motion, y motion, wheel (int32 each), four buttons.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "engine/core/byte_io.h"

#include "engine/input/camera_controller.h"

inline constexpr size_t kEventBufferSize = 102400;
inline constexpr size_t kEventRecordFileSize = 196 + 4 + 4 + kEventBufferSize;
inline constexpr size_t kEventHeaderSize = 5;  // poll number and kind
inline constexpr int32_t kMaxKeyPairsPerEvent = 16;

enum class EventKind : uint8_t { Keys = 0, Pointer = 1, Mouse = 2 };

struct EventRecording {
  CameraState camera{};  // the camera when recording started
  int32_t pollCount = 0;
  int32_t recordCount = 0;
  uint8_t events[kEventBufferSize] = {};
};

// One event inside a buffer.
struct EventView {
  int32_t poll = 0;
  EventKind kind = EventKind::Keys;
  std::span<const uint8_t> data;  // the bytes after the kind
  size_t next = 0;                // offset of the event after it
};

// Size of an event of the given kind with n key pairs (keys only).
size_t EventSize(EventKind kind, int32_t keyPairs = 0);

// Reads the event at offset; false when it does not fit the buffer or its
// kind or key count is not one a recording makes.
bool ReadEventAt(std::span<const uint8_t> buffer, size_t offset, EventView& out);

// Checks a recording as loaded from a file: counts not negative, every one of
// the record count events readable, their poll numbers rising and none past
// the poll count. On failure says why.
bool CheckEventRecording(const EventRecording& rec, std::string& why);

// Writes the file (an existing one is made writable and replaced only once
// the new one is complete); false when it cannot be written.
bool WriteEventRecordFile(const char* path, const EventRecording& rec);
// Reads and checks a file; `out` is changed only when the whole file is good.
// On failure says why (cannot open, wrong size, bad contents).
bool ReadEventRecordFile(const char* path, EventRecording& out, std::string& why);
