#pragma once
// The single-instance guard: an exclusive flock on a lock file. The system
// drops the lock when the holder's descriptor closes, including when the
// process ends abnormally, so a crash never leaves a stale lock behind. The
// file itself stays; only the lock on it matters. The folder that holds the
// file is locked too, so deleting the file while the game runs (the lock
// goes with the old file) still lets no second holder in.
#include <string>
#include <string_view>

namespace platform {

// The lock file's game name, in the game root.
inline constexpr std::string_view kInstanceLockName = "cityrun.lock";

class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock on the file at `path` (created when missing). False when
  // another holder has it (another process, or another descriptor in this
  // one) or the file cannot be opened. Taking it again while held is true.
  bool Acquire(const std::string& path);
  // The game's own lock file, through the path service.
  bool AcquireForGame();
  void Release();
  bool IsHeld() const { return fd_ >= 0; }
  // Why the last Acquire failed when no other holder was the reason (the lock
  // file could not be created or opened); empty otherwise.
  const std::string& OpenError() const { return openError_; }

 private:
  int fd_ = -1;
  int folderFd_ = -1;
  std::string openError_;
};

}  // namespace platform
