#pragma once
// The one little-endian byte toolkit: loads and stores at a pointer, a writer
// that appends to a vector and a bounded reader over a span. Every file, save
// chunk and game message is read and written through these, so the byte order
// never depends on the host's.
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>
#include <vector>

inline uint16_t LoadLeU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline int16_t LoadLeI16(const uint8_t* p) { return static_cast<int16_t>(LoadLeU16(p)); }
inline uint32_t LoadLeU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline int32_t LoadLeI32(const uint8_t* p) { return static_cast<int32_t>(LoadLeU32(p)); }
inline float LoadLeF32(const uint8_t* p) {
  uint32_t bits = LoadLeU32(p);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

inline void StoreLeU16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void StoreLeI16(uint8_t* p, int16_t v) { StoreLeU16(p, static_cast<uint16_t>(v)); }
inline void StoreLeU32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}
inline void StoreLeI32(uint8_t* p, int32_t v) { StoreLeU32(p, static_cast<uint32_t>(v)); }
inline void StoreLeF32(uint8_t* p, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  StoreLeU32(p, bits);
}

namespace byte_io {
template <size_t N> struct Word;
template <> struct Word<1> { using type = uint8_t; };
template <> struct Word<2> { using type = uint16_t; };
template <> struct Word<4> { using type = uint32_t; };
template <> struct Word<8> { using type = uint64_t; };
// A number's bytes, least significant first (the same-size copy keeps the
// value whatever the host's byte order).
template <typename T>
void ToLe(const T& value, uint8_t* out) {
  typename Word<sizeof(T)>::type bits;
  std::memcpy(&bits, &value, sizeof value);
  for (size_t i = 0; i < sizeof value; ++i) out[i] = static_cast<uint8_t>(bits >> (8 * i));
}
template <typename T>
T FromLe(const uint8_t* in) {
  typename Word<sizeof(T)>::type bits = 0;
  for (size_t i = 0; i < sizeof(T); ++i) bits |= static_cast<decltype(bits)>(uint64_t(in[i]) << (8 * i));
  T value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
template <typename T>
inline constexpr bool kNumber = std::is_arithmetic_v<T> || std::is_enum_v<T>;
}  // namespace byte_io

// Appends records to a byte vector. Numbers go little-endian; other trivially
// copyable records go as their bytes.
struct ByteWriter {
  std::vector<uint8_t> bytes;

  void PutBytes(const void* data, size_t size) {
    if (size == 0) return;
    const auto* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + size);
  }
  void PutZeros(size_t size) { bytes.insert(bytes.end(), size, 0); }
  template <typename T>
  void Put(const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    if constexpr (byte_io::kNumber<T>) {
      uint8_t le[sizeof(T)];
      byte_io::ToLe(value, le);
      PutBytes(le, sizeof le);
    } else {
      PutBytes(&value, sizeof value);
    }
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
    if constexpr (byte_io::kNumber<T>) {
      if (!ok_ || sizeof(T) > Remaining()) return ok_ = false;
      value = byte_io::FromLe<T>(bytes_.data() + position_);
      position_ += sizeof(T);
      return true;
    } else {
      return GetBytes(&value, sizeof value);
    }
  }
  bool Skip(size_t size) {
    if (!ok_ || size > Remaining()) return ok_ = false;
    position_ += size;
    return true;
  }
  // The next `size` bytes without copying; empty (and failed) past the end.
  std::span<const uint8_t> Take(size_t size) {
    if (!ok_ || size > Remaining()) {
      ok_ = false;
      return {};
    }
    position_ += size;
    return bytes_.subspan(position_ - size, size);
  }
  size_t Remaining() const { return bytes_.size() - position_; }
  size_t Position() const { return position_; }
  bool Ok() const { return ok_; }

 private:
  std::span<const uint8_t> bytes_;
  size_t position_ = 0;
  bool ok_ = true;
};
