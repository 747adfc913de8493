#pragma once
// Whole-file reads and writes through the path service for the engine's file
// formats (records are read and written with engine/core/byte_io.h).
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/byte_io.h"

// Reads a whole file (game name). False when it cannot be opened or read, or
// is larger than `limit` bytes.
bool ReadWholeGameFile(std::string_view game_name, std::vector<uint8_t>& out,
                       size_t limit = size_t{1} << 30);
// Writes a whole file (game name), creating its folder when needed.
bool WriteWholeGameFile(std::string_view game_name, std::span<const uint8_t> bytes);
// Writes files that belong together: all of them, or (on a failure) none.
struct GameFileBytes {
  std::string_view game_name;
  std::span<const uint8_t> bytes;
};
bool WriteWholeGameFiles(std::span<const GameFileBytes> files);

// Stores a reason for refusing a file and returns false.
inline bool RefuseFile(std::string& reason, const char* why) {
  reason = why;
  return false;
}
// A fatal error made of a text followed directly by a path (the loaders'
// form); does not return.
[[noreturn]] void FatalFileError(std::string_view text, std::string_view path);
