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
  // Written whole under a fresh name beside the file, then renamed over it:
  // a full disk or a failed write leaves the old file, never a part of one.
  std::string temp = real + ".XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  ::fchmod(fd, 0644);
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += size_t(n);
  }
  const bool written = done == bytes.size();
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || std::rename(temp.c_str(), real.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

void FatalFileError(std::string_view text, std::string_view path) {
  std::string message = std::string(text) + std::string(path);
  ReportError(0, 0, message.c_str());
  std::abort();  // not reached: level 0 ends the program
}
