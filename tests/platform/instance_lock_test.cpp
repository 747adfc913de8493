#include "platform/instance_lock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/paths.h"
#include "temp_dir.h"

namespace {

// Runs `body` in a child process and returns its exit code.
template <typename F>
int InChild(F body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(InstanceLock, OnlyOneHolderAtATime) {
  TempDir dir;
  const std::string path = dir / "cityrun.lock";
  platform::InstanceLock first;
  ASSERT_TRUE(first.Acquire(path));
  EXPECT_TRUE(first.Acquire(path));  // already held: still ours

  platform::InstanceLock second;  // another descriptor in this process
  EXPECT_FALSE(second.Acquire(path));
  EXPECT_FALSE(second.IsHeld());
  EXPECT_EQ(InChild([&] {
              platform::InstanceLock other;
              return other.Acquire(path) ? 1 : 0;
            }),
            0);

  // Deleting the file while it is held lets nobody in: the folder is held too.
  std::filesystem::remove(path);
  EXPECT_FALSE(second.Acquire(path));
  EXPECT_EQ(InChild([&] {
              platform::InstanceLock other;
              return other.Acquire(path) ? 1 : 0;
            }),
            0);

  first.Release();
  EXPECT_TRUE(second.Acquire(path));
}

TEST(InstanceLock, ReleasedWhenTheHolderEndsEvenAbnormally) {
  TempDir dir;
  const std::string path = dir / "cityrun.lock";
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    platform::InstanceLock held;
    const char ok = held.Acquire(path) ? 1 : 0;
    (void)!write(ready[1], &ok, 1);
    pause();  // killed below without any clean-up
    _exit(0);
  }
  char ok = 0;
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, 1);
  platform::InstanceLock mine;
  EXPECT_FALSE(mine.Acquire(path));
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  EXPECT_TRUE(mine.Acquire(path));
  close(ready[0]);
  close(ready[1]);
}

TEST(InstanceLock, GameLockLivesInTheGameRootAndFailsCleanly) {
  TempDir dir;
  const std::string old = platform::GameRoot();
  platform::SetGameRoot(dir.path());
  {
    platform::InstanceLock lock;
    EXPECT_TRUE(lock.AcquireForGame());
    EXPECT_TRUE(std::filesystem::exists(dir / "cityrun.lock"));
  }
  platform::InstanceLock after_scope;  // the destructor released it
  EXPECT_TRUE(after_scope.AcquireForGame());
  platform::SetGameRoot(old);

  platform::InstanceLock nowhere;
  EXPECT_FALSE(nowhere.Acquire(dir / "no/such/folder/x.lock"));
}

}  // namespace
