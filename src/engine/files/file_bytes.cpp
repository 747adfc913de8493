#include "engine/files/file_bytes.h"

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
  std::filesystem::path real(platform::ResolveNewGamePath(game_name));
  if (real.has_parent_path()) std::filesystem::create_directories(real.parent_path(), ec);
  File file(platform::OpenGameFile(game_name, "wb"));
  if (!file) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
  return std::fclose(file.release()) == 0 && ok;
}

void FatalFileError(std::string_view text, std::string_view path) {
  std::string message = std::string(text) + std::string(path);
  ReportError(0, 0, message.c_str());
  std::abort();  // not reached: level 0 ends the program
}
