#pragma once
// Comparing table keys and names typed in scripts and parameter files, where
// case does not matter.
#include <cctype>
#include <string_view>

inline bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// The text of a fixed, zero-terminated character field.
template <size_t N>
std::string_view FieldText(const char (&field)[N]) {
  size_t n = 0;
  while (n < N && field[n] != '\0') ++n;
  return std::string_view(field, n);
}
