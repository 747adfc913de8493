#include "platform/paths.h"

#include <gtest/gtest.h>

#include <string>

#include "temp_dir.h"

namespace {

class PathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_root_ = platform::GameRoot();
    platform::SetGameRoot(dir_.path());
    dir_.Write("scripts/GameStart/Hub.lua", "x");
    dir_.Write("max/archive.dir", "x");
  }
  void TearDown() override { platform::SetGameRoot(old_root_); }
  std::string Root(const std::string& rest) const { return dir_.path() + "/" + rest; }

  TempDir dir_;
  std::string old_root_;
};

TEST_F(PathsTest, BackslashesAndCaseFindTheExistingFile) {
  const struct {
    const char* game_name;
    const char* real;
  } cases[] = {
      {"scripts\\gamestart\\hub.lua", "scripts/GameStart/Hub.lua"},
      {"SCRIPTS/GAMESTART/HUB.LUA", "scripts/GameStart/Hub.lua"},
      {"max\\archive.DIR", "max/archive.dir"},
      {"max\\\\archive.dir", "max/archive.dir"},
      {"max//.//archive.dir", "max/archive.dir"},
      {"\\max\\archive.dir\\", "max/archive.dir"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::ResolveGamePath(c.game_name), Root(c.real)) << c.game_name;
  }
  EXPECT_TRUE(platform::GameFileExists("Scripts\\GAMESTART\\hub.lua"));
}

TEST_F(PathsTest, MissingComponentsAreKeptAsWritten) {
  EXPECT_EQ(platform::ResolveGamePath("scripts\\NoSuch\\File.Lua"), Root("scripts/NoSuch/File.Lua"));
  EXPECT_FALSE(platform::GameFileExists("scripts\\nosuch.lua"));
  EXPECT_EQ(platform::OpenGameFile("scripts\\nosuch.lua", "rb"), nullptr);
}

TEST_F(PathsTest, NewFilesGoIntoExistingFoldersOfAnyCase) {
  EXPECT_EQ(platform::ResolveNewGamePath("SCRIPTS\\gamestart\\New.Lua"),
            Root("scripts/GameStart/New.Lua"));
  // Rewriting an existing file of other case replaces it rather than adding a twin.
  EXPECT_EQ(platform::ResolveNewGamePath("MAX\\ARCHIVE.DIR"), Root("max/archive.dir"));

  std::FILE* f = platform::OpenGameFile("Scripts\\GameStart\\Saved.TXT", "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_TRUE(std::filesystem::exists(Root("scripts/GameStart/Saved.TXT")));
}

TEST_F(PathsTest, ExactMatchWinsAndTwinsResolveTheSameWayEveryTime) {
  dir_.Write("data/Alpha.txt", "1");
  dir_.Write("data/alpha.txt", "2");
  EXPECT_EQ(platform::ResolveGamePath("data\\alpha.txt"), Root("data/alpha.txt"));
  EXPECT_EQ(platform::ResolveGamePath("data\\Alpha.txt"), Root("data/Alpha.txt"));
  // Neither matches as written: the smallest name in byte order.
  EXPECT_EQ(platform::ResolveGamePath("data\\ALPHA.TXT"), Root("data/Alpha.txt"));
}

TEST(PathsRoot, EmptyRootIsTheWorkingDirectoryAndSeparatorsAreNormalised) {
  const std::string old = platform::GameRoot();
  platform::SetGameRoot("");
  EXPECT_EQ(platform::ResolveGamePath("no_such_dir\\x.cfg"), "no_such_dir/x.cfg");
  platform::SetGameRoot("C:\\game\\");
  EXPECT_EQ(platform::GameRoot(), "C:/game");
  platform::SetGameRoot(old);
}

}  // namespace
