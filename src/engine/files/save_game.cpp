#include "engine/files/save_game.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>

#include "engine/core/console.h"
#include "engine/core/error.h"
#include "platform/message_box.h"
#include "platform/paths.h"

static_assert(std::endian::native == std::endian::little, "save files are little-endian");

const uint8_t kSaveVersionBlock[kSaveVersionLength] = {
    0x12, 0x34, 0x40, 0xFE, 0x34, 0xDD, 0x28, 0x00, 0x34, 0x12, 0xFE, 0x40, 0x04, 0xEF,
    0x21, 0x43, 0x00, 0x82, 0xDD, 0x43, 0x0B, 0x00, 0x00, 0x00, 0, 0, 0, 0,
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0};

namespace {

struct LoadEntry {
  LoadHook hook;
  uint32_t fixedLength = 0;
  ChunkCheck check;
  int32_t maxCount = 0;  // chunks of the type one file may hold; 0 any
};

struct SaveRegistry {
  std::map<uint32_t, SaveHook> saveHooks;
  std::vector<uint32_t> hookOrder;
  std::map<int32_t, LoadEntry> loadHooks;
  std::function<std::string()> profileSource;
  std::function<std::string(std::string_view)> pathResolver;
  SaveGameFile* current = nullptr;
};

SaveRegistry& Registry() {
  static SaveRegistry registry;
  return registry;
}

// Marks a save or load as the current one for the duration of a scope.
class CurrentFileScope {
 public:
  explicit CurrentFileScope(SaveGameFile& file) { Registry().current = &file; }
  ~CurrentFileScope() { Registry().current = nullptr; }
  CurrentFileScope(const CurrentFileScope&) = delete;
  CurrentFileScope& operator=(const CurrentFileScope&) = delete;
};


bool IsSingleBit(int32_t type) { return type > 0 && std::has_single_bit(uint32_t(type)); }

// A save of another version is told in a box.
void ShowOldSaveNotice() {
  platform::ShowMessageBox("Old Savegame FIle",
                           "Sorry, the savefile you are trying to load was saved out with an "
                           "older version of Civano",
                           platform::BoxIcon::Warning);
}

// Reads a whole file into memory; false when it cannot be opened or read, or
// is larger than any save the game writes.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, int level) {
  int fd = platform::OpenRegularFile(path, O_RDONLY);
  if (fd < 0) {
    ReportErrorF(level, "Cannot open the save game %s: %s.", path.c_str(),
                 errno == EINVAL ? "it is not a regular file" : std::strerror(errno));
    return false;
  }
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok && size_t(st.st_size) > kSaveBufferCapacity) {
    ReportErrorF(level, "Save game %s is larger than any save game.", path.c_str());
    ok = false;
  }
  if (ok) {
    out.resize(size_t(st.st_size));
    size_t done = 0;
    while (done < out.size()) {
      ssize_t n = ::read(fd, out.data() + done, out.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += size_t(n);
    }
    if (done != out.size()) {
      ReportErrorF(level, "Unable to read save game %s.", path.c_str());
      ok = false;
    }
  }
  ::close(fd);
  if (!ok) out.clear();
  return ok;
}

// One chunk of a checked file.
struct ChunkView {
  int32_t type;
  std::span<const uint8_t> data;
};

// Calls visit for each chunk up to the terminator. The file must have passed
// CheckSaveGameFile; visit returns false to stop.
template <typename Visit>
void ForEachChunk(std::span<const uint8_t> bytes, Visit visit) {
  size_t pos = 0;
  while (pos + 4 <= bytes.size()) {
    int32_t type = LoadLeI32(&bytes[pos]);
    if (type == kChunkTerminator) return;
    uint32_t length = uint32_t(LoadLeI32(&bytes[pos + 4]));
    if (!visit(ChunkView{type, bytes.subspan(pos + 8, length)})) return;
    pos += 8 + size_t(length);
  }
}

// Hands each chunk whose bit is in the mask to its owner, in file order.
void ApplyChunks(SaveGameFile& file, uint32_t mask) {
  CurrentFileScope scope(file);
  SaveRegistry& reg = Registry();
  ForEachChunk(file.buffer, [&](const ChunkView& chunk) {
    if (mask == 0) return false;
    if (!(uint32_t(chunk.type) & mask)) return true;
    switch (chunk.type) {
      case kChunkVersion:
        mask &= ~uint32_t(kChunkVersion);
        break;
      case kChunkSkipped:
        break;
      default:
        if (auto it = reg.loadHooks.find(chunk.type); it != reg.loadHooks.end() && it->second.hook) {
          it->second.hook(chunk.data);
          // A type held once is served.
          if (it->second.maxCount == 1) mask &= ~uint32_t(chunk.type);
        }
        break;
    }
    return true;
  });
}

// The length a chunk type must have, or 0 for any; false for an unknown type.
bool KnownChunk(int32_t type, uint32_t& fixedLength, const ChunkCheck*& check, int32_t& maxCount) {
  check = nullptr;
  maxCount = 0;
  switch (type) {
    case kChunkVersion: fixedLength = kSaveVersionLength; return true;
    case kChunkSkipped: fixedLength = 0; return true;
    default: break;
  }
  auto& hooks = Registry().loadHooks;
  auto it = hooks.find(type);
  if (it == hooks.end()) return false;
  fixedLength = it->second.fixedLength;
  maxCount = it->second.maxCount;
  if (it->second.check) check = &it->second.check;
  return true;
}

}  // namespace

// ---- Hooks ----------------------------------------------------------------

void SetSaveHookOrder(std::span<const uint32_t> maskBits) {
  Registry().hookOrder.assign(maskBits.begin(), maskBits.end());
}

bool RegisterSaveHook(uint32_t maskBit, SaveHook hook) {
  if (!std::has_single_bit(maskBit)) return false;
  Registry().saveHooks[maskBit] = std::move(hook);
  return true;
}

bool RegisterLoadHook(int32_t chunkType, LoadHook hook, uint32_t fixedLength, ChunkCheck check, int32_t maxCount) {
  if (!IsSingleBit(chunkType)) return false;
  switch (chunkType) {
    case kChunkVersion:
    case kChunkSkipped:
      return false;  // read by the container itself
    default:
      break;
  }
  Registry().loadHooks[chunkType] = LoadEntry{std::move(hook), fixedLength, std::move(check), maxCount};
  return true;
}

void ClearSaveHooks() {
  SaveRegistry& reg = Registry();
  reg.saveHooks.clear();
  reg.loadHooks.clear();
}

SaveGameFile* CurrentSaveFile() { return Registry().current; }

// ---- Writing --------------------------------------------------------------

uint8_t* ReserveSaveChunk(int32_t type, uint32_t length) {
  SaveGameFile* file = Registry().current;
  if (!file || file->overflowed) return nullptr;
  size_t size = type == kChunkTerminator ? 4 : 8 + size_t(length);
  if (length > uint32_t(INT32_MAX) || file->used + size > file->capacity ||
      file->cursor + size > file->buffer.size()) {
    ReportError(1, 0, "The save game file has become too large. Increase it's size");
    file->overflowed = true;
    return nullptr;
  }
  file->used += size;
  uint8_t* at = file->buffer.data() + file->cursor;
  StoreLeI32(at, type);
  if (type == kChunkTerminator) {
    file->cursor += 4;
    return at + 4;
  }
  StoreLeI32(at + 4, int32_t(length));
  file->cursor += 8;
  uint8_t* data = file->buffer.data() + file->cursor;
  std::memset(data, 0, length);
  file->cursor += length;
  return data;
}

bool WriteSaveChunk(int32_t type, uint32_t length, const void* data) {
  uint8_t* at = ReserveSaveChunk(type, type == kChunkTerminator ? 0 : length);
  if (!at) return false;
  if (type != kChunkTerminator && length) std::memcpy(at, data, length);
  return true;
}

namespace {

// Failed writes of each save file since its last good one.
std::map<std::string, int32_t>& FailingSaveWrites() {
  static std::map<std::string, int32_t> failing;
  return failing;
}

bool PowerOfTen(int32_t n) {
  while (n % 10 == 0) n /= 10;
  return n == 1;
}

// A save that fails again and again (a full disk under the daily autosave or
// a script's saves) is shown once; the repeats go to the log with their count
// (the first ten, then at each power of ten) until a write of that file works
// again. A caller that tells the player itself (a WarningCapture) hears of
// every failure.
void ReportSaveWrite(const std::string& path, bool ok, const std::string& why) {
  if (ok) {
    FailingSaveWrites().erase(path);
    return;
  }
  const int32_t failures = ++FailingSaveWrites()[path];
  if (failures == 1 || WarningsCaptured())
    ReportErrorF(1, "Error occurred whilst writing game data to %.300s: %s", path.c_str(), why.c_str());
  else if (failures <= 10 || PowerOfTen(failures))
    ConsolePrintF(kConsoleError, "Error occurred whilst writing game data to %.300s: %s (%d times in a row)",
                  path.c_str(), why.c_str(), failures);
}

}  // namespace

bool WriteSaveGame(SaveGameFile& file, uint32_t mask) {
  SaveRegistry& reg = Registry();
  if (reg.current) return false;  // no saving from inside a hook
  file.buffer.assign(file.capacity, 0);
  file.cursor = 0;
  file.used = 0;
  file.overflowed = false;
  {
    CurrentFileScope scope(file);
    WriteSaveChunk(kChunkVersion, kSaveVersionLength, kSaveVersionBlock);
    // The table's order first, then any other hook by its bit.
    std::vector<uint32_t> order = reg.hookOrder;
    for (const auto& [bit, hook] : reg.saveHooks)
      if (std::find(order.begin(), order.end(), bit) == order.end()) order.push_back(bit);
    for (uint32_t bit : order)
      if (auto it = reg.saveHooks.find(bit); (mask & bit) && it != reg.saveHooks.end() && it->second) it->second();
    WriteSaveChunk(kChunkTerminator, 0, nullptr);
  }
  if (file.overflowed) {
    file.buffer.clear();
    return false;
  }
  file.buffer.resize(file.used);
  // The profile's folder may not exist yet (a fresh game root).
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::path(file.path).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);
  // Written beside the old save and renamed over it only when complete.
  std::string why;
  const bool ok = platform::ReplaceFileWhole(
      file.path, std::string_view(reinterpret_cast<const char*>(file.buffer.data()), file.buffer.size()), &why);
  ReportSaveWrite(file.path, ok, why);
  return ok;
}

// ---- Reading --------------------------------------------------------------

bool CheckSaveGameFile(SaveGameFile& file, bool checkVersion) {
  // A full load warns; a quick look at a header (the load screen) stays quiet.
  int level = checkVersion ? 1 : 2;
  if (!ReadWholeFile(file.path, file.buffer, level)) return false;
  file.cursor = 0;
  file.used = file.buffer.size();
  std::span<const uint8_t> bytes(file.buffer);
  auto damaged = [&](const char* why) {
    ReportErrorF(level, "The save game %s is damaged (%s).", file.path.c_str(), why);
    file.buffer.clear();
    return false;
  };
  size_t pos = 0;
  bool first = true;
  std::map<int32_t, int32_t> counts;
  for (;;) {
    if (pos + 4 > bytes.size()) return damaged("it ends without a terminator");
    int32_t type = LoadLeI32(&bytes[pos]);
    if (type == kChunkTerminator) {
      if (first) return damaged("it has no version chunk");
      if (pos + 4 != bytes.size()) return damaged("data follows the terminator");
      return true;
    }
    if (pos + 8 > bytes.size()) return damaged("a chunk header is cut off");
    int32_t length = LoadLeI32(&bytes[pos + 4]);
    if (length < 0 || size_t(length) > bytes.size() - pos - 8)
      return damaged("a chunk runs past the end of the file");
    std::span<const uint8_t> data = bytes.subspan(pos + 8, size_t(length));
    if (first && type != kChunkVersion) return damaged("it has no version chunk");
    uint32_t fixedLength = 0;
    const ChunkCheck* check = nullptr;
    int32_t maxCount = 0;
    if (!IsSingleBit(type) || !KnownChunk(type, fixedLength, check, maxCount)) {
      ReportError(level,
                  0, "Ooops. Trying to Load some unheard of chunk type. I don't believe you wanted "
                     "to do that!!!\n");
      file.buffer.clear();
      return false;
    }
    if (fixedLength && uint32_t(length) != fixedLength)
      return damaged("a chunk has the wrong length");
    if (maxCount && ++counts[type] > maxCount) return damaged("a chunk appears too often");
    if (check && !(*check)(data)) return damaged("a chunk holds invalid data");
    if (type == kChunkVersion && checkVersion &&
        std::memcmp(data.data(), kSaveVersionBlock, kSaveVersionLength) != 0) {
      ShowOldSaveNotice();
      file.buffer.clear();
      return false;
    }
    first = false;
    pos += 8 + size_t(length);
  }
}

bool LoadGameFile(SaveGameFile& file, uint32_t mask) {
  if (Registry().current) return false;
  if (!CheckSaveGameFile(file, (mask & kChunkVersion) != 0)) return false;
  ApplyChunks(file, mask);
  return true;
}

// ---- Save and load sequences ----------------------------------------------

void SetSaveProfileSource(std::function<std::string()> source) {
  Registry().profileSource = std::move(source);
}

bool HasSaveProfileSource() { return bool(Registry().profileSource); }

std::string SaveGamePath(std::string_view name) {
  auto& source = Registry().profileSource;
  std::string profile = source ? source() : std::string();
  std::string path = "profiles\\";
  path += profile;
  path += '\\';
  path += name;
  return path;
}

void SetSavePathResolver(std::function<std::string(std::string_view)> resolver) {
  Registry().pathResolver = std::move(resolver);
}

std::string ResolveSavePath(std::string_view gameName) {
  auto& resolver = Registry().pathResolver;
  if (resolver) return resolver(gameName);
  return platform::ResolveNewGamePath(gameName);
}

namespace {

bool PlainFileName(std::string_view name) {
  return name != "." && name != ".." && name.find_first_of("/\\") == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

bool EndsWithNoCase(std::string_view name, std::string_view tail) {
  if (name.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    char c = name[name.size() - tail.size() + i];
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c != tail[i]) return false;
  }
  return true;
}

}  // namespace

// The profile's folder (and profiles\ itself) holds the profile's own scripts,
// settings.lua and memory.lua, which the game rewrites; names are matched
// without regard to case, as the path service does. Hidden names are the
// temporaries' (platform::ReplaceFileWhole).
bool ValidSaveName(std::string_view name) {
  if (name.empty() || name.front() == '.' || EndsWithNoCase(name, ".lua") || !PlainFileName(name) ||
      SaveGamePath(name).size() > kSavePathMax)
    return false;
  auto& source = Registry().profileSource;
  return !source || PlainFileName(source());
}

bool PlayerSaveName(std::string_view name) {
  return ValidSaveName(name) && !EndsWithNoCase(name, kRecordingExtension) &&
         !(name.size() == kRecordingStartSave.size() && EndsWithNoCase(name, kRecordingStartSave));
}

bool SaveGame(std::string_view name) {
  if (!ValidSaveName(name)) return false;
  SaveGameFile file;
  file.path = ResolveSavePath(SaveGamePath(name));
  return WriteSaveGame(file, kSaveAll);
}

bool OpenSaveGame(std::string_view name, SaveGameFile& file) {
  if (!ValidSaveName(name) || Registry().current) return false;
  file.path = ResolveSavePath(SaveGamePath(name));
  return CheckSaveGameFile(file, true);
}

void ApplySaveChunks(SaveGameFile& file, uint32_t mask) { ApplyChunks(file, mask); }

bool ReadSaveChunks(std::string_view name, uint32_t mask) {
  if (!ValidSaveName(name)) return false;
  SaveGameFile file;
  file.path = ResolveSavePath(SaveGamePath(name));
  return LoadGameFile(file, mask & ~uint32_t(kChunkVersion));
}

bool FileExists(std::string_view path) {
  std::string real = ResolveSavePath(path);
  int fd = platform::OpenRegularFile(real, O_RDONLY);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}
