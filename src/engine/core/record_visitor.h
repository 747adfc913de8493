#pragma once
// One idiom for every fixed record the game writes and reads (game messages
// and save chunks): a record type has one `Visit(v)` that names its fields in
// wire order with their widths and rules. The same visit encodes it
// (RecordWriter), and decodes and checks it (RecordReader) into a staging
// copy that is applied only when the whole record passed.
//
//   template <class V> void Visit(V& v) {
//     v.I8(block);                        // a strong id: its own range
//     v.U8(floors, {1, 255, "floors"});   // a rule on a plain number
//     v.Pad(2);                           // reserved bytes: zero, not read
//     v.F32(cost);
//     v.Require(x1 <= x2, "lot rectangle");
//   }
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>
#include <vector>

#include "engine/core/byte_io.h"

// The values a field may hold; what names the field in a refusal.
struct FieldRange {
  int64_t min = INT64_MIN;
  int64_t max = INT64_MAX;
  const char* what = nullptr;
};

// The rule for a float that must be a finite number.
struct FiniteRule {
  const char* what = "number";
};
inline constexpr FiniteRule kFinite{};

// An index that must not be mixed with another kind of index (a player index
// with a player number, a block with a building). Tag gives the valid range
// and the value meaning "none".
template <class Tag>
struct StrongId {
  int32_t value = Tag::kNone;
  constexpr StrongId() = default;
  constexpr explicit StrongId(int32_t v) : value(v) {}
  friend constexpr bool operator==(StrongId, StrongId) = default;
  constexpr bool IsNone() const { return value == Tag::kNone; }
  static constexpr FieldRange kRange{Tag::kMin, Tag::kMax, Tag::kWhat};
};

namespace record {
template <class T>
struct IsStrongId : std::false_type {};
template <class Tag>
struct IsStrongId<StrongId<Tag>> : std::true_type {};

template <class T>
constexpr FieldRange DefaultRange() {
  if constexpr (IsStrongId<T>::value) return T::kRange;
  else return FieldRange{};
}
// The wire type of a field written at its own width (Field).
template <class T>
auto WireOf() {
  if constexpr (IsStrongId<T>::value) return int32_t{};
  else if constexpr (std::is_enum_v<T>) return std::underlying_type_t<T>{};
  else if constexpr (std::is_same_v<T, bool>) return uint8_t{};
  else return T{};
}
template <class T>
using Wire = decltype(WireOf<T>());

template <class T>
int64_t Number(const T& field) {
  if constexpr (IsStrongId<T>::value) return field.value;
  else return static_cast<int64_t>(field);
}
template <class T>
void SetNumber(T& field, int64_t value) {
  if constexpr (IsStrongId<T>::value) field.value = static_cast<int32_t>(value);
  else if constexpr (std::is_same_v<T, bool>) field = value != 0;
  else field = static_cast<T>(value);
}
}  // namespace record

// Encodes a record's fields, appending them to a byte writer.
class RecordWriter {
 public:
  static constexpr bool kReading = false;
  explicit RecordWriter(ByteWriter& out) : out_(out) {}

  template <class T> void I8(const T& f, FieldRange = {}) { Put<int8_t>(f); }
  template <class T> void U8(const T& f, FieldRange = {}) { Put<uint8_t>(f); }
  template <class T> void I16(const T& f, FieldRange = {}) { Put<int16_t>(f); }
  template <class T> void U16(const T& f, FieldRange = {}) { Put<uint16_t>(f); }
  template <class T> void I32(const T& f, FieldRange = {}) { Put<int32_t>(f); }
  template <class T> void U32(const T& f, FieldRange = {}) { Put<uint32_t>(f); }
  void F32(const float& f, FiniteRule = {}) { out_.Put(f); }
  // A field at its own width (saved records whose layout is their fields').
  template <class T>
  void Field(const T& f, FieldRange = {}) {
    if constexpr (std::is_floating_point_v<T>) out_.Put(f);
    else Put<record::Wire<T>>(f);
  }
  void Field(const float& f, FiniteRule) { out_.Put(f); }
  template <class T, size_t N, class Rule = FieldRange>
  void Field(const T (&fields)[N], Rule rule = {}) {
    for (const T& f : fields) Field(f, rule);
  }
  // Bytes kept as they are (tables of bytes, opaque blocks).
  void Bytes(const void* data, size_t size) { out_.PutBytes(data, size); }
  // A text field of fixed size, written terminated.
  template <size_t N>
  void Text(const char (&text)[N], const char* = nullptr) {
    char copy[N];
    std::memcpy(copy, text, N);
    copy[N - 1] = 0;
    out_.PutBytes(copy, N);
  }
  void Pad(size_t size) { out_.PutZeros(size); }
  void Require(bool, const char*) {}
  // The row of a table being visited (VisitRecord of a std::array).
  void SetRow(size_t row) { row_ = row; }
  size_t Row() const { return row_; }

 private:
  template <class W, class T>
  void Put(const T& f) {
    out_.Put(static_cast<W>(record::Number(f)));
  }
  ByteWriter& out_;
  size_t row_ = 0;
};

// Decodes a record into the visited fields and checks every rule; the first
// fault stops the record and names itself in Why().
class RecordReader {
 public:
  static constexpr bool kReading = true;
  explicit RecordReader(std::span<const uint8_t> bytes) : in_(bytes) {}

  template <class T> void I8(T& f, FieldRange r = record::DefaultRange<T>()) { Get<int8_t>(f, r); }
  template <class T> void U8(T& f, FieldRange r = record::DefaultRange<T>()) { Get<uint8_t>(f, r); }
  template <class T> void I16(T& f, FieldRange r = record::DefaultRange<T>()) { Get<int16_t>(f, r); }
  template <class T> void U16(T& f, FieldRange r = record::DefaultRange<T>()) { Get<uint16_t>(f, r); }
  template <class T> void I32(T& f, FieldRange r = record::DefaultRange<T>()) { Get<int32_t>(f, r); }
  template <class T> void U32(T& f, FieldRange r = record::DefaultRange<T>()) { Get<uint32_t>(f, r); }
  void F32(float& f) {
    if (ok_ && !in_.Get(f)) Fail("short record");
  }
  void F32(float& f, FiniteRule rule) {
    F32(f);
    if (ok_ && !std::isfinite(f)) Fail(rule.what);
  }
  template <class T>
  void Field(T& f, FieldRange r = record::DefaultRange<T>()) {
    if constexpr (std::is_floating_point_v<T>) {
      if (ok_ && !in_.Get(f)) Fail("short record");
    } else {
      Get<record::Wire<T>>(f, r);
    }
  }
  void Field(float& f, FiniteRule rule) { F32(f, rule); }
  template <class T, size_t N, class Rule = FieldRange>
  void Field(T (&fields)[N], Rule rule = {}) {
    for (T& f : fields) Field(f, rule);
  }
  void Bytes(void* data, size_t size) {
    if (ok_ && !in_.GetBytes(data, size)) Fail("short record");
  }
  template <size_t N>
  void Text(char (&text)[N], const char* what = "name") {
    if (!ok_) return;
    if (!in_.GetBytes(text, N)) return Fail("short record");
    if (std::memchr(text, 0, N) == nullptr) return Fail(what);
    text[N - 1] = 0;  // as it is written back
  }
  void Pad(size_t size) {
    if (ok_ && !in_.Skip(size)) Fail("short record");
  }
  void Require(bool condition, const char* what) {
    if (ok_ && !condition) Fail(what);
  }
  void SetRow(size_t row) { row_ = row; }
  size_t Row() const { return row_; }

  bool Ok() const { return ok_; }
  // Bytes left for a record whose last field runs to the end.
  size_t Remaining() const { return ok_ ? in_.Remaining() : 0; }
  // True when every byte was read and every rule held.
  bool Done() const { return ok_ && in_.Remaining() == 0; }
  const char* Why() const { return why_; }

 private:
  template <class W, class T>
  void Get(T& f, const FieldRange& r) {
    if (!ok_) return;
    W wire{};
    if (!in_.Get(wire)) return Fail("short record");
    const int64_t v = static_cast<int64_t>(wire);
    if (v < r.min || v > r.max) return Fail(r.what ? r.what : "value");
    record::SetNumber(f, v);
  }
  void Fail(const char* why) {
    ok_ = false;
    why_ = why;
  }
  ByteReader in_;
  size_t row_ = 0;
  bool ok_ = true;
  const char* why_ = "";
};

// A record is visited by its Visit; a table saved whole (a std::array of
// records) row by row, each row knowing its index through v.Row().
template <class V, class T>
void VisitRecord(V& v, T& record) {
  record.Visit(v);
}
template <class V, class T, size_t N>
void VisitRecord(V& v, std::array<T, N>& rows) {
  for (size_t i = 0; i < N; ++i) {
    v.SetRow(i);
    VisitRecord(v, rows[i]);
  }
}

// Encodes one record through its visit.
template <class T>
void EncodeRecord(const T& record, ByteWriter& out) {
  RecordWriter w(out);
  VisitRecord(w, const_cast<T&>(record));  // the writer only reads the fields
}
template <class T>
std::vector<uint8_t> EncodeRecord(const T& record) {
  ByteWriter out;
  EncodeRecord(record, out);
  return std::move(out.bytes);
}
// Decodes and checks one whole record into `out` (a staging copy: on failure
// it may be half filled and must not be applied). *why names a fault.
template <class T>
bool DecodeRecord(std::span<const uint8_t> bytes, T& out, const char** why = nullptr) {
  RecordReader r(bytes);
  VisitRecord(r, out);
  if (r.Done()) return true;
  if (why) *why = r.Ok() ? "length" : r.Why();
  return false;
}
