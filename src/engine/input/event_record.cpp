#include "engine/input/event_record.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/paths.h"

static_assert(std::endian::native == std::endian::little,
              "recordings are stored in memory order, which must be little-endian");

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

size_t EventSize(EventKind kind, int32_t keyPairs) {
  switch (kind) {
    case EventKind::Keys: return kEventHeaderSize + 4 + 2 * static_cast<size_t>(keyPairs);
    case EventKind::Pointer:
    case EventKind::Mouse: return kEventHeaderSize + 16;
  }
  return 0;
}

bool ReadEventAt(std::span<const uint8_t> buffer, size_t offset, EventView& out) {
  if (offset > buffer.size() || buffer.size() - offset < kEventHeaderSize + 4) return false;
  const uint8_t* p = buffer.data() + offset;
  uint8_t kind = p[4];
  if (kind > uint8_t(EventKind::Mouse)) return false;
  int32_t pairs = 0;
  if (kind == uint8_t(EventKind::Keys)) {
    pairs = LoadLeI32(p + kEventHeaderSize);
    if (pairs < 1 || pairs > kMaxKeyPairsPerEvent) return false;
  }
  size_t size = EventSize(EventKind(kind), pairs);
  if (buffer.size() - offset < size) return false;
  out.poll = LoadLeI32(p);
  out.kind = EventKind(kind);
  out.data = buffer.subspan(offset + kEventHeaderSize, size - kEventHeaderSize);
  out.next = offset + size;
  return true;
}

bool CheckEventRecording(const EventRecording& rec, std::string& why) {
  if (rec.pollCount < 0 || rec.recordCount < 0) {
    why = "negative poll or record count";
    return false;
  }
  size_t offset = 0;
  int32_t lastPoll = 0;
  for (int32_t i = 0; i < rec.recordCount; ++i) {
    EventView ev;
    if (!ReadEventAt(rec.events, offset, ev)) {
      why = "event " + std::to_string(i) + " is damaged or runs past the buffer";
      return false;
    }
    if (ev.poll < lastPoll || ev.poll > rec.pollCount) {
      why = "event " + std::to_string(i) + " is out of order";
      return false;
    }
    lastPoll = ev.poll;
    offset = ev.next;
  }
  return true;
}

bool WriteEventRecordFile(const char* path, const EventRecording& rec) {
  std::string bytes;
  bytes.reserve(kEventRecordFileSize);
  bytes.append(reinterpret_cast<const char*>(&rec.camera), sizeof rec.camera);
  bytes.append(reinterpret_cast<const char*>(&rec.pollCount), 4);
  bytes.append(reinterpret_cast<const char*>(&rec.recordCount), 4);
  bytes.append(reinterpret_cast<const char*>(rec.events), kEventBufferSize);
  return platform::ReplaceFileWhole(path, bytes);
}

bool ReadEventRecordFile(const char* path, EventRecording& out, std::string& why) {
  File f(platform::OpenRegularStream(path, "rb"));
  if (!f) {
    why = "cannot be opened";
    return false;
  }
  auto bytes = std::make_unique<uint8_t[]>(kEventRecordFileSize + 1);
  size_t got = std::fread(bytes.get(), 1, kEventRecordFileSize + 1, f.get());
  if (got != kEventRecordFileSize) {
    why = "is " + std::to_string(got) + " bytes long, not " + std::to_string(kEventRecordFileSize);
    if (got > kEventRecordFileSize) why = "is longer than a recording";
    return false;
  }
  auto rec = std::make_unique<EventRecording>();
  const uint8_t* p = bytes.get();
  std::memcpy(&rec->camera, p, sizeof rec->camera);
  rec->pollCount = LoadLeI32(p + 196);
  rec->recordCount = LoadLeI32(p + 200);
  std::memcpy(rec->events, p + 204, kEventBufferSize);
  if (!CheckEventRecording(*rec, why)) return false;
  out = *rec;
  return true;
}
