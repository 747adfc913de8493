#include "engine/files/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "engine/core/error.h"
#include "platform/paths.h"

namespace {
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;
}  // namespace

bool ReadWholeGameFile(std::string_view game_name, std::vector<uint8_t>& out, size_t limit) {
  File file(platform::OpenGameFile(game_name, "rb"));
  if (!file) return false;
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return false;
  long length = std::ftell(file.get());
  if (length < 0 || static_cast<unsigned long>(length) > limit) return false;
  std::rewind(file.get());
  out.resize(static_cast<size_t>(length));
  return out.empty() || std::fread(out.data(), 1, out.size(), file.get()) == out.size();
}

bool WriteWholeGameFile(std::string_view game_name, std::span<const uint8_t> bytes) {
  std::error_code ec;
  const std::string real = platform::ResolveNewGamePath(game_name);
  const std::filesystem::path folder = std::filesystem::path(real).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);
  // A full disk or a failed write leaves the old file, never a part of one.
  return platform::ReplaceFileWhole(
      real, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void FatalFileError(std::string_view text, std::string_view path) {
  std::string message = std::string(text) + std::string(path);
  ReportError(0, 0, message.c_str());
  std::abort();  // not reached: level 0 ends the program
}
