#include "engine/files/cache_archive.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>

#include "engine/core/error.h"
#include "engine/core/system_settings.h"
#include "platform/message_box.h"
#include "platform/paths.h"

namespace {

std::string RealPath(std::string_view game_name) { return platform::ResolveGamePath(game_name); }

void RemoveFile(std::string_view game_name) {
  std::error_code ec;
  std::filesystem::remove(RealPath(game_name), ec);
}

char FoldName(char c) {
  if (c == '/') return '\\';
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool SameName(const char* stored, std::string_view name) {
  size_t stored_length = strnlen(stored, kArchiveNameSize);
  if (stored_length != name.size()) return false;
  for (size_t i = 0; i < stored_length; ++i) {
    if (FoldName(stored[i]) != FoldName(name[i])) return false;
  }
  return true;
}

uint32_t ByteSum(std::span<const uint8_t> bytes) {
  uint32_t sum = 0;
  for (uint8_t b : bytes) sum += b;
  return sum;
}

}  // namespace

CCacheArchive& CacheArchive() {
  static CCacheArchive archive;
  return archive;
}

std::string GameArchiveName() {
  if (g_StartupOptions.fullInstall) return "max\\archive.bin";
  return std::string(g_StartupOptions.dataRoot) + "max\\archive.bin";
}

CCacheArchive::~CCacheArchive() {
  if (open_) Close();
}

bool CCacheArchive::Open(std::string_view data_name, uint32_t flags) {
  if (open_) Close();
  if (data_name.size() < 3 || data_name.size() >= kArchiveNameSize) {
    ReportErrorF(1, "Bad cache archive name %.*s", static_cast<int>(data_name.size()),
                 data_name.data());
    return false;
  }
  data_name_ = data_name;
  directory_name_ = data_name_.substr(0, data_name_.size() - 3) + "DIR";
  if (flags & kRebuild) DeleteFiles();
  rebuild_requested_ = platform::GameFileExists(kArchiveRebuildMarker);
  if (rebuild_requested_) DeleteFiles();

  if (!ReopenData("rb")) {
    File created(platform::OpenGameFile(data_name_, "wb"));
    if (!created || !ReopenData("rb")) {
      ReportErrorF(1, "Cannot create cache archive %s", data_name_.c_str());
      return false;
    }
  }
  open_ = true;
  ReadDirectory();
  for (ArchiveEntry& e : entries_) {
    e.written = 0;
    e.read = 0;
  }
  current_entry_ = -1;
  current_mode_ = kNone;
  return true;
}

bool CCacheArchive::Close() {
  if (!open_) return true;
  data_file_.reset();
  header_.closed = 1;
  WriteDirectory();
  open_ = false;
  entries_.clear();
  entries_.shrink_to_fit();
  read_buffer_.clear();
  current_entry_ = -1;
  current_mode_ = kNone;
  return true;
}

bool CCacheArchive::ReopenData(const char* mode) {
  data_file_.reset(platform::OpenGameFile(data_name_, mode));
  if (!data_file_) return false;
  if (mode[0] == 'r') {
    std::error_code ec;
    auto length = std::filesystem::file_size(RealPath(data_name_), ec);
    if (ec || length > static_cast<uintmax_t>(std::numeric_limits<int32_t>::max())) {
      data_file_.reset();
      return false;
    }
    data_size_ = static_cast<int32_t>(length);
  }
  return true;
}

bool CCacheArchive::ReadDirectory() {
  // A first start has no directory yet: that is no error worth a message.
  const bool first = !platform::GameFileExists(directory_name_);
  if (!LoadDirectoryFile()) RegenerateDirectory(!first);
  return !entries_.empty();
}

// Reads the directory file into memory; false when it is missing, of another
// version, not closed in order or inconsistent with the data file.
bool CCacheArchive::LoadDirectoryFile() {
  entries_.clear();
  File file(platform::OpenGameFile(directory_name_, "rb"));
  if (!file) return false;
  ArchiveHeader header{};
  if (std::fread(&header, sizeof header, 1, file.get()) != 1) return false;
  if (header.version != kCacheArchiveVersion || header.closed == 0) return false;
  std::error_code ec;
  auto length = std::filesystem::file_size(RealPath(directory_name_), ec);
  if (ec || header.count < 0 ||
      length != sizeof(ArchiveHeader) + static_cast<uintmax_t>(header.count) * sizeof(ArchiveEntry)) {
    return false;
  }
  std::vector<ArchiveEntry> entries(static_cast<size_t>(header.count));
  if (!entries.empty() &&
      std::fread(entries.data(), sizeof(ArchiveEntry), entries.size(), file.get()) != entries.size()) {
    return false;
  }
  for (const ArchiveEntry& e : entries) {
    bool terminated = std::memchr(e.name, 0, kArchiveNameSize) != nullptr;
    bool inside = e.offset >= 0 && e.size >= 0 &&
                  static_cast<int64_t>(e.offset) + e.size <= data_size_;
    if (!terminated || !inside) return false;
  }
  header_ = header;
  entries_ = std::move(entries);
  return true;
}

void CCacheArchive::RegenerateDirectory(bool report) {
  if (report) {
    platform::ShowMessageBox("ERROR - Wrong archive version",
                             "Archive version number changed\nRegenerating archive file",
                             platform::BoxIcon::Error);
  }
  data_file_.reset();
  DeleteFiles();
  File created(platform::OpenGameFile(data_name_, "wb"));
  created.reset();
  if (!ReopenData("rb")) data_size_ = 0;
  entries_.clear();
  ResetDirectory();
}

void CCacheArchive::ResetDirectory() {
  header_ = ArchiveHeader{};
  header_.version = kCacheArchiveVersion;
  header_.count = 0;
  header_.closed = 0;
  entries_.clear();
  WriteDirectory();
}

bool CCacheArchive::WriteDirectory() {
  File file(platform::OpenGameFile(directory_name_, "wb"));
  if (!file) return false;
  header_.count = static_cast<int32_t>(entries_.size());
  bool ok = std::fwrite(&header_, sizeof header_, 1, file.get()) == 1;
  if (ok && !entries_.empty()) {
    ok = std::fwrite(entries_.data(), sizeof(ArchiveEntry), entries_.size(), file.get()) ==
         entries_.size();
  }
  return std::fflush(file.get()) == 0 && ok;
}

void CCacheArchive::DeleteFiles() {
  RemoveFile(data_name_);
  RemoveFile(directory_name_);
  RemoveFile(kArchiveRebuildMarker);
}

int32_t CCacheArchive::FindEntry(std::string_view name) const {
  if (name.empty()) return -1;
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (SameName(entries_[i].name, name)) return static_cast<int32_t>(i);
  }
  return -1;
}

const ArchiveEntry* CCacheArchive::Entry(int32_t index) const {
  if (index < 0 || index >= EntryCount()) return nullptr;
  return &entries_[static_cast<size_t>(index)];
}

int32_t CCacheArchive::GetSize(std::string_view name) const {
  const ArchiveEntry* e = Entry(FindEntry(name));
  return e ? e->size : 0;
}

bool CCacheArchive::WasWritten(std::string_view name) const {
  const ArchiveEntry* e = Entry(FindEntry(name));
  return e && e->written;
}

bool CCacheArchive::WasRead(std::string_view name) const {
  const ArchiveEntry* e = Entry(FindEntry(name));
  return e && e->read;
}

ArchiveEntry* CCacheArchive::Current() {
  if (current_entry_ < 0 || current_entry_ >= EntryCount()) return nullptr;
  return &entries_[static_cast<size_t>(current_entry_)];
}

bool CCacheArchive::AddEntry(std::string_view name) {
  if (!open_) return false;
  if (name.empty() || name.size() >= kArchiveNameSize) {
    ReportErrorF(1, "Cache archive entry name too long: %.200s", std::string(name).c_str());
    return false;
  }
  ArchiveEntry e{};
  std::memcpy(e.name, name.data(), name.size());
  e.offset = data_size_;
  e.written = 1;
  entries_.push_back(e);
  // Until Close the directory on disk says "not closed": a run that stops
  // while entries are being written forces a rebuild at the next start.
  header_.closed = 0;
  WriteDirectory();
  return true;
}

bool CCacheArchive::BeginWrite(std::string_view name) {
  int32_t index = FindEntry(name);
  const ArchiveEntry* e = Entry(index);
  if (!open_ || !e) {
    ReportErrorF(1, "Cache archive has no entry %.200s to write", std::string(name).c_str());
    return false;
  }
  // Data is only ever appended, so only an entry that ends at the data file's
  // end can take more bytes.
  if (static_cast<int64_t>(e->offset) + e->size != data_size_) {
    ReportErrorF(1, "Cache archive entry %.200s is complete", e->name);
    return false;
  }
  current_entry_ = index;
  current_mode_ = kWriting;
  read_buffer_.clear();
  if (!ReopenData("ab")) {
    current_mode_ = kNone;
    write_error_ = std::strerror(errno);
    ReportErrorF(1, "Cannot write cache archive %s: %s", data_name_.c_str(), write_error_.c_str());
    return false;
  }
  return true;
}

bool CCacheArchive::Write(const void* data, size_t length) {
  ArchiveEntry* e = Current();
  if (length == 0 || current_mode_ != kWriting || !e || !data_file_) return false;
  if (length > static_cast<size_t>(std::numeric_limits<int32_t>::max() - data_size_)) {
    ReportErrorF(1, "Cache archive %s is full", data_name_.c_str());
    return false;
  }
  // Flushed at once: a full disk shows here, with its reason, and not at a
  // later read of a short entry.
  if (std::fwrite(data, 1, length, data_file_.get()) != length || std::fflush(data_file_.get()) != 0) {
    write_error_ = std::strerror(errno);
    ReportErrorF(1, "Cannot write cache archive %s: %s", data_name_.c_str(), write_error_.c_str());
    return false;
  }
  auto n = static_cast<int32_t>(length);
  data_size_ += n;
  e->size += n;
  uint32_t sum = static_cast<uint32_t>(e->byte_sum) +
                 ByteSum({static_cast<const uint8_t*>(data), length});
  e->byte_sum = static_cast<int32_t>(sum);
  return true;
}

bool CCacheArchive::BeginRead(std::string_view name) {
  int32_t index = FindEntry(name);
  if (!open_ || index < 0) {
    ReportErrorF(1, "Cache archive has no entry %.200s", std::string(name).c_str());
    return false;
  }
  ArchiveEntry& e = entries_[static_cast<size_t>(index)];
  current_mode_ = kNone;
  current_entry_ = -1;
  read_buffer_.assign(static_cast<size_t>(e.size), 0);
  read_position_ = 0;
  bool ok = ReopenData("rb") && static_cast<int64_t>(e.offset) + e.size <= data_size_ &&
            std::fseek(data_file_.get(), e.offset, SEEK_SET) == 0 &&
            (read_buffer_.empty() ||
             std::fread(read_buffer_.data(), 1, read_buffer_.size(), data_file_.get()) ==
                 read_buffer_.size()) &&
            ByteSum(read_buffer_) == static_cast<uint32_t>(e.byte_sum);
  if (!ok) {
    ReportErrorF(1, "Cache archive entry %s is damaged; preparing it again", e.name);
    Forget(name);
    return false;
  }
  e.read = 1;
  current_entry_ = index;
  current_mode_ = kReading;
  return true;
}

void CCacheArchive::Forget(std::string_view name) {
  int32_t index = FindEntry(name);
  if (index < 0) return;
  // The directory stays marked not-closed until Close.
  entries_[static_cast<size_t>(index)].name[0] = 0;
  if (index == current_entry_) {
    current_entry_ = -1;
    current_mode_ = kNone;
    read_buffer_.clear();
  }
  header_.closed = 0;
  WriteDirectory();
}

bool CCacheArchive::Read(void* buffer, size_t length) {
  if (length == 0 || current_mode_ != kReading || length > Remaining()) return false;
  std::memcpy(buffer, read_buffer_.data() + read_position_, length);
  read_position_ += length;
  return true;
}

size_t CCacheArchive::Remaining() const {
  if (current_mode_ != kReading) return 0;
  return read_buffer_.size() - read_position_;
}

bool CCacheArchive::Seek(int32_t offset) {
  if (current_mode_ != kReading || offset < 0 || static_cast<size_t>(offset) > read_buffer_.size())
    return false;
  read_position_ = static_cast<size_t>(offset);
  return true;
}

bool CCacheArchive::Skip(int32_t count) {
  if (current_mode_ != kReading) return false;
  int64_t target = static_cast<int64_t>(read_position_) + count;
  if (target < 0 || target > static_cast<int64_t>(read_buffer_.size())) return false;
  read_position_ = static_cast<size_t>(target);
  return true;
}

bool CCacheArchive::SetEntryInfo(const void* source, size_t length) {
  ArchiveEntry* e = Current();
  if (!e || length > kArchiveInfoSize) return false;
  std::memcpy(e->info, source, length);
  return true;
}

bool CCacheArchive::GetEntryInfo(void* destination, size_t length) const {
  const ArchiveEntry* e = Entry(current_entry_);
  if (!e || length > kArchiveInfoSize) return false;
  std::memcpy(destination, e->info, length);
  return true;
}
