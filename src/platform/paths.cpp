#include "platform/paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace platform {
namespace {

std::string& RootStorage() {
  static std::string root;
  return root;
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.empty() ? "." : path.c_str(), &st) == 0;
}

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

// The entry of `dir` equal to `name` without regard to case. When several
// differ only in case, the smallest in byte order wins so that every machine
// picks the same one.
bool FindNoCase(const std::string& dir, std::string_view name, std::string& found) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return false;
  bool any = false;
  while (const dirent* e = ::readdir(d)) {
    std::string_view entry(e->d_name);
    if (!EqualNoCase(entry, name)) continue;
    if (!any || entry < found) found.assign(entry);
    any = true;
  }
  ::closedir(d);
  return any;
}

std::vector<std::string_view> SplitComponents(std::string_view name) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i <= name.size(); ++i) {
    if (i == name.size() || name[i] == '\\' || name[i] == '/') {
      std::string_view part = name.substr(start, i - start);
      if (!part.empty() && part != ".") parts.push_back(part);
      start = i + 1;
    }
  }
  return parts;
}

void Append(std::string& path, std::string_view part) {
  if (!path.empty() && path.back() != '/') path += '/';
  path += part;
}

std::string Resolve(std::string_view game_name) {
  const bool absolute = !game_name.empty() && game_name[0] == '/';
  std::string path = absolute ? std::string("/") : GameRoot();
  bool matching = true;  // stop searching once a component is missing
  for (std::string_view part : SplitComponents(game_name)) {
    if (matching) {
      std::string exact = path;
      Append(exact, part);
      if (Exists(exact)) {
        path = std::move(exact);
        continue;
      }
      std::string found;
      if (FindNoCase(path, part, found)) {
        Append(path, found);
        continue;
      }
      matching = false;
    }
    Append(path, part);
  }
  if (path.empty()) path = ".";
  return path;
}

}  // namespace

void SetGameRoot(std::string_view root) {
  std::string& r = RootStorage();
  r.assign(root);
  for (char& c : r) {
    if (c == '\\') c = '/';
  }
  while (r.size() > 1 && r.back() == '/') r.pop_back();
}

const std::string& GameRoot() { return RootStorage(); }

std::string ProgramFolder() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec && self.has_parent_path()) return self.parent_path().string();
  return std::filesystem::current_path(ec).string();
}

std::string ResolveGamePath(std::string_view game_name) { return Resolve(game_name); }

// Matching the last component of any case already covers an existing file;
// a new one keeps its name as written because nothing matches it.
std::string ResolveNewGamePath(std::string_view game_name) { return Resolve(game_name); }

std::FILE* OpenGameFile(std::string_view game_name, const char* mode) {
  const bool writes = std::strpbrk(mode, "wa") != nullptr;
  const std::string path = writes ? ResolveNewGamePath(game_name) : ResolveGamePath(game_name);
  return OpenRegularStream(path, mode);
}

int OpenRegularFile(const std::string& path, int flags, int create_mode) {
  const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, create_mode);
  if (fd < 0) return -1;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

std::FILE* OpenRegularStream(const std::string& path, const char* mode) {
  const bool plus = std::strchr(mode, '+') != nullptr;
  int flags = 0;
  switch (mode[0]) {
    case 'r': flags = plus ? O_RDWR : O_RDONLY; break;
    case 'w': flags = (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC; break;
    case 'a': flags = (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND; break;
    default: errno = EINVAL; return nullptr;
  }
  const int fd = OpenRegularFile(path, flags);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, mode);
  if (file == nullptr) ::close(fd);
  return file;
}

namespace {

// Writes the bytes under a fresh hidden name beside `path`; the errno of a
// failure (no file left then), or 0 with the name in `temp`.
int WriteHiddenTemp(const std::string& path, std::string_view bytes, std::string& temp) {
  const size_t slash = path.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  temp = path.substr(0, nameStart) + "." + path.substr(nameStart) + std::string(kTemporaryMark) + "XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  ::fchmod(fd, 0644);
  size_t done = 0;
  int error = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : ENOSPC;
      break;
    }
    done += size_t(n);
  }
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) ::unlink(temp.c_str());
  return error;
}

}  // namespace

bool ReplaceFilesWhole(std::span<const FileContents> files, std::string* why) {
  std::vector<std::string> temps;
  int error = 0;
  for (const FileContents& file : files) {
    std::string temp;
    error = WriteHiddenTemp(file.path, file.bytes, temp);
    if (error != 0) break;
    temps.push_back(temp);
  }
  for (size_t i = 0; i < temps.size(); ++i) {
    if (error == 0 && ::rename(temps[i].c_str(), files[i].path.c_str()) != 0) error = errno;
    if (error != 0) ::unlink(temps[i].c_str());
  }
  if (error != 0 && why) *why = std::strerror(error);
  return error == 0;
}

bool ReplaceFileWhole(const std::string& path, std::string_view bytes, std::string* why) {
  const FileContents file{path, bytes};
  return ReplaceFilesWhole(std::span(&file, 1), why);
}

std::optional<std::string> TemporaryOf(std::string_view fileName) {
  constexpr size_t kSuffix = 6;  // mkostemp's XXXXXX
  const std::string_view mark = kTemporaryMark;
  if (fileName.size() < 1 + 1 + mark.size() + kSuffix || fileName.front() != '.') return std::nullopt;
  const std::string_view suffix = fileName.substr(fileName.size() - kSuffix);
  const bool random = std::all_of(suffix.begin(), suffix.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  });
  const std::string_view rest = fileName.substr(0, fileName.size() - kSuffix);
  if (!random || !rest.ends_with(mark)) return std::nullopt;
  const std::string_view name = rest.substr(1, rest.size() - 1 - mark.size());
  if (name.empty() || name.front() == '.') return std::nullopt;  // the game never writes a hidden file
  return std::string(name);
}

int RemoveStaleTemporaries(const std::string& folder, const std::function<bool(std::string_view)>& ours) {
  namespace fs = std::filesystem;
  int removed = 0;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::optional<std::string> target = TemporaryOf(it->path().filename().string());
    std::error_code statusError;
    // Never through a link: only a file of this folder itself.
    if (!target || !ours(*target) || !fs::is_regular_file(it->symlink_status(statusError))) continue;
    if (::unlink(it->path().c_str()) == 0) ++removed;
  }
  return removed;
}

bool GameFileExists(std::string_view game_name) { return Exists(ResolveGamePath(game_name)); }

}  // namespace platform
