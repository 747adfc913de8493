#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/paths.h"

namespace platform {

InstanceLock::~InstanceLock() { Release(); }

namespace {

bool LockOpen(int fd) {
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  return rc == 0;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool InstanceLock::Acquire(const std::string& path) {
  if (fd_ >= 0) return true;
  openError_.clear();
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
  if (fd < 0) {
    openError_ = path + ": " + std::strerror(errno);
    return false;
  }
  if (!LockOpen(fd)) {
    ::close(fd);
    return false;
  }
  // The folder can be opened whenever the file could be made in it.
  const int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0 && !LockOpen(folder)) {
    ::close(folder);
    ::close(fd);
    return false;
  }
  fd_ = fd;
  folderFd_ = folder;
  return true;
}

bool InstanceLock::AcquireForGame() { return Acquire(ResolveNewGamePath(kInstanceLockName)); }

void InstanceLock::Release() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
  if (folderFd_ >= 0) ::close(folderFd_);  // closing drops its lock
  folderFd_ = -1;
}

}  // namespace platform
