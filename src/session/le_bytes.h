#pragma once
// Explicit little-endian loads and stores for the session's wire and save
// records, independent of the host's byte order. Callers check bounds.
#include <cstdint>
#include <cstring>

inline uint32_t LoadLeU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline int32_t LoadLeI32(const uint8_t* p) { return static_cast<int32_t>(LoadLeU32(p)); }
inline int16_t LoadLeI16(const uint8_t* p) { return static_cast<int16_t>(uint16_t(p[0]) | uint16_t(p[1]) << 8); }
inline float LoadLeF32(const uint8_t* p) {
  uint32_t bits = LoadLeU32(p);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

inline void StoreLeU32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}
inline void StoreLeI32(uint8_t* p, int32_t v) { StoreLeU32(p, static_cast<uint32_t>(v)); }
inline void StoreLeI16(uint8_t* p, int16_t v) {
  uint16_t u = static_cast<uint16_t>(v);
  p[0] = uint8_t(u);
  p[1] = uint8_t(u >> 8);
}
inline void StoreLeF32(uint8_t* p, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  StoreLeU32(p, bits);
}
