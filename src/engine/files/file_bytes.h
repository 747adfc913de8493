#pragma once
// Whole-file reads and writes through the path service, and bounded readers
// and writers of little-endian records, for the engine's file formats.
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// Reads a whole file (game name). False when it cannot be opened or read, or
// is larger than `limit` bytes.
bool ReadWholeGameFile(std::string_view game_name, std::vector<uint8_t>& out,
                       size_t limit = size_t{1} << 30);
// Writes a whole file (game name), creating its folder when needed.
bool WriteWholeGameFile(std::string_view game_name, std::span<const uint8_t> bytes);

// Stores a reason for refusing a file and returns false.
inline bool RefuseFile(std::string& reason, const char* why) {
  reason = why;
  return false;
}
// A fatal error made of a text followed directly by a path (the loaders'
// form); does not return.
[[noreturn]] void FatalFileError(std::string_view text, std::string_view path);

// Appends records to a byte vector.
struct ByteWriter {
  std::vector<uint8_t> bytes;

  void PutBytes(const void* data, size_t size) {
    if (size == 0) return;
    const auto* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + size);
  }
  template <typename T>
  void Put(const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    PutBytes(&value, sizeof value);
  }
};

// Reads records from a byte span; every read is checked against the end, and
// once a read fails the reader stays failed.
class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool GetBytes(void* out, size_t size) {
    if (!ok_ || size > Remaining()) {
      ok_ = false;
      return false;
    }
    if (size) std::memcpy(out, bytes_.data() + position_, size);
    position_ += size;
    return true;
  }
  template <typename T>
  bool Get(T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    return GetBytes(&value, sizeof value);
  }
  bool Skip(size_t size) {
    if (!ok_ || size > Remaining()) return ok_ = false;
    position_ += size;
    return true;
  }
  size_t Remaining() const { return bytes_.size() - position_; }
  size_t Position() const { return position_; }
  bool Ok() const { return ok_; }

 private:
  std::span<const uint8_t> bytes_;
  size_t position_ = 0;
  bool ok_ = true;
};
