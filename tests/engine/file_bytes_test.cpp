// Whole-file writes: a write that fails part-way (a full disk) leaves the old
// file as it was and no part of the new one.
#include "engine/files/file_bytes.h"

#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include "game_root_fixture.h"

namespace {

using FileBytesTest = GameRootTest;

TEST_F(FileBytesTest, AWriteThatFailsLeavesTheOldFileWhole) {
  const std::vector<uint8_t> old_bytes(100, 7);
  ASSERT_TRUE(WriteWholeGameFile("gamedata\\out.bin", old_bytes));
  EXPECT_EQ(ReadBytes("gamedata/out.bin"), old_bytes);

  // Files may grow to 1000 bytes only: the 5000-byte write fails as on a full disk.
  auto old_handler = ::signal(SIGXFSZ, SIG_IGN);
  rlimit old_limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  rlimit small = old_limit;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = WriteWholeGameFile("gamedata\\out.bin", std::vector<uint8_t>(5000, 9));
  ::setrlimit(RLIMIT_FSIZE, &old_limit);
  ::signal(SIGXFSZ, old_handler);

  EXPECT_FALSE(written);
  EXPECT_EQ(ReadBytes("gamedata/out.bin"), old_bytes);
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(Real("gamedata"))) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1);  // no partial file beside it
}

}  // namespace
