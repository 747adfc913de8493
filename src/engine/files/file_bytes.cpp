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
  const GameFileBytes file{game_name, bytes};
  return WriteWholeGameFiles(std::span(&file, 1));
}

bool WriteWholeGameFiles(std::span<const GameFileBytes> files) {
  std::vector<platform::FileContents> contents;
  for (const GameFileBytes& file : files) {
    const std::string real = platform::ResolveNewGamePath(file.game_name);
    const std::filesystem::path folder = std::filesystem::path(real).parent_path();
    std::error_code ec;
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    // A full disk or a failed write leaves the old files, never a part of one.
    contents.push_back({real, std::string_view(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size())});
  }
  return platform::ReplaceFilesWhole(contents);
}

void FatalFileError(std::string_view text, std::string_view path) {
  std::string message = std::string(text) + std::string(path);
  ReportError(0, 0, message.c_str());
  std::abort();  // not reached: level 0 ends the program
}
