#pragma once
// Limits shared by the city's tables and the records that name them.
#include <cstdint>

inline constexpr int kMaxBusinesses = 600;
inline constexpr int32_t kMaxPlayerNumber = 6;  // owners are 1..6, 0 the city
inline constexpr int kBusinessTypeCount = 45;
