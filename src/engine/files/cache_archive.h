#pragma once
// The cache of converted data files: one data file holding every entry's bytes
// one after another, and a directory file beside it (the data file's name with
// its last three letters replaced by DIR). Loaders look a source file up by
// name; when present they read the prepared bytes from here, otherwise they
// prepare the source file and add what they made.
//
// The cache can always be thrown away: a rebuild flag, the marker file
// gamedata2\rebuild.txt, or a directory that is missing, of another version,
// not closed in order or damaged empties it, and it fills again as files load.
//
// Safety: the directory on disk is marked not-closed while entries are being
// written, so that a run that stops mid-write forces a rebuild; every read is
// bounded by its entry and checked against the entry's byte sum before use.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int32_t kCacheArchiveVersion = 3;
inline constexpr size_t kArchiveNameSize = 260;
inline constexpr size_t kArchiveInfoSize = 34;

// One directory record, stored as it stands (308 bytes, little-endian).
struct ArchiveEntry {
  char name[kArchiveNameSize];  // source file name, zero-terminated
  int32_t offset;               // where the data lies in the data file
  int32_t size;                 // bytes of data
  int32_t byte_sum;             // sum of the data bytes as unsigned values
  uint8_t written;              // added in this run
  uint8_t read;                 // read in this run
  uint8_t info[kArchiveInfoSize];  // owned by the loader that wrote the entry
};
static_assert(sizeof(ArchiveEntry) == 308);

// The directory file's 32-byte header.
struct ArchiveHeader {
  int32_t version;
  int32_t count;
  uint8_t closed;  // 1 when closed in order by CCacheArchive::Close
  uint8_t reserved[23];
};
static_assert(sizeof(ArchiveHeader) == 32);

class CCacheArchive {
 public:
  enum OpenFlags : uint32_t { kRebuild = 1 };
  enum Mode : int32_t { kNone = 0, kReading = 1, kWriting = 2 };

  CCacheArchive() = default;
  ~CCacheArchive();
  CCacheArchive(const CCacheArchive&) = delete;
  CCacheArchive& operator=(const CCacheArchive&) = delete;

  // Opens the archive by its game file name (e.g. "max\\archive.bin").
  bool Open(std::string_view data_name, uint32_t flags);
  bool Close();
  bool IsOpen() const { return open_; }
  bool RebuildRequested() const { return rebuild_requested_; }

  bool ReadDirectory();
  void ResetDirectory();
  bool WriteDirectory();
  void DeleteFiles();

  // Index of the entry named exactly `name` (case aside); -1 when absent.
  int32_t FindEntry(std::string_view name) const;
  bool Contains(std::string_view name) const { return FindEntry(name) >= 0; }
  int32_t GetSize(std::string_view name) const;
  bool WasWritten(std::string_view name) const;
  bool WasRead(std::string_view name) const;

  bool AddEntry(std::string_view name);
  bool BeginWrite(std::string_view name);
  bool Write(const void* data, size_t length);
  template <typename T>
  bool WriteValue(const T& value) { return Write(&value, sizeof value); }

  // Makes the entry current for reading. False (with a warning) when it is
  // absent or its bytes do not match the directory; a damaged entry is
  // forgotten so that the loader can prepare its source file again.
  bool BeginRead(std::string_view name);
  // Reads exactly `length` bytes from the current entry; false when that would
  // pass the entry's end (nothing is read then).
  bool Read(void* buffer, size_t length);
  template <typename T>
  bool ReadValue(T& value) { return Read(&value, sizeof value); }
  bool Seek(int32_t offset);
  bool Skip(int32_t count);
  // Bytes left to read in the current entry.
  size_t Remaining() const;

  // Drops an entry from lookup (its content proved unusable); the next load
  // prepares the source file again.
  // Why the last write failed ("No space left on device"), for the reports.
  const std::string& WriteError() const { return write_error_; }
  void Forget(std::string_view name);

  bool SetEntryInfo(const void* source, size_t length);
  bool GetEntryInfo(void* destination, size_t length) const;

  int32_t EntryCount() const { return static_cast<int32_t>(entries_.size()); }
  const ArchiveEntry* Entry(int32_t index) const;
  int32_t DataSize() const { return data_size_; }
  const std::string& DataFileName() const { return data_name_; }
  const std::string& DirectoryFileName() const { return directory_name_; }

 private:
  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  using File = std::unique_ptr<std::FILE, FileCloser>;

  bool ReopenData(const char* mode);
  bool LoadDirectoryFile();
  // Empties the archive; `report` shows the regeneration message.
  void RegenerateDirectory(bool report);
  ArchiveEntry* Current();

  std::string write_error_;
  std::string data_name_;
  std::string directory_name_;
  ArchiveHeader header_{};
  bool open_ = false;
  File data_file_;
  int32_t data_size_ = 0;
  bool rebuild_requested_ = false;
  std::vector<ArchiveEntry> entries_;
  int32_t current_entry_ = -1;
  int32_t current_mode_ = kNone;
  std::vector<uint8_t> read_buffer_;  // the current entry's bytes while reading
  size_t read_position_ = 0;
};

// The program's one archive ("max\\archive.bin"), opened while assets load.
CCacheArchive& CacheArchive();
// Its game name: "max\\archive.bin", under the data root on a minimal
// installation.
std::string GameArchiveName();

// Game name of the marker file whose presence asks for a rebuild.
inline constexpr std::string_view kArchiveRebuildMarker = "gamedata2\\rebuild.txt";
