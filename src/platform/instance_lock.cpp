#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/paths.h"

namespace platform {

InstanceLock::~InstanceLock() { Release(); }

bool InstanceLock::Acquire(const std::string& path) {
  if (fd_ >= 0) return true;
  openError_.clear();
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
  if (fd < 0) {
    openError_ = path + ": " + std::strerror(errno);
    return false;
  }
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

bool InstanceLock::AcquireForGame() { return Acquire(ResolveNewGamePath(kInstanceLockName)); }

void InstanceLock::Release() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

}  // namespace platform
