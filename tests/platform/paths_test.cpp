#include "platform/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
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

// The temporaries a killed write leaves are known by their whole form,
// ".<name>.cityrun-XXXXXX"; a user's hidden file that merely looks a little
// like one (".notes.backup": six letters after a dot) is not taken for one.
TEST(StaleTemporaries, OnlyTheTemporariesOfTheGamesOwnFilesAreRemoved) {
  const struct {
    const char* file;
    const char* of;  // nullptr: not a temporary
  } cases[] = {
      {".cyc.cityrun-9rpIFf", "cyc"},
      {".x.rec.tmp.cityrun-AbC123", "x.rec.tmp"},
      {".settings.lua.cityrun-000000", "settings.lua"},
      {".cyc.cityrun-9rpIF", nullptr},
      {".cyc.cityrun-9rpIFf2", nullptr},  // five or seven
      {".cyc.cityrun-9rp-Ff", nullptr},
      {"cyc.cityrun-9rpIFf", nullptr},  // not hidden
      {"..cityrun-9rpIFf", nullptr},
      {"...bash.cityrun-9rpIFf", nullptr},  // no name, a hidden one
      {".cityrun-9rpIFf", nullptr},
      {".cyc_cityrun-9rpIFf", nullptr},
      {".notes.backup", nullptr},  // a user's own hidden files
      {".diary.txt.draft1", nullptr},
      {".cyc.9rpIFf", nullptr},
      {".cyc.cityrun9rpIFf", nullptr},
  };
  for (const auto& c : cases) {
    const std::optional<std::string> of = platform::TemporaryOf(c.file);
    EXPECT_EQ(of.has_value(), c.of != nullptr) << c.file;
    if (of && c.of) {
      EXPECT_EQ(*of, c.of) << c.file;
    }
  }

  TempDir dir;
  for (const char* name :
       {".cyc.cityrun-9rpIFf", ".config.cfg.cityrun-Zz09Aa", ".notes.backup", ".keep.cityrun-abc", "plain.txt"})
    dir.Write(name, "x");
  dir.Write(".folder.cityrun-AbCdEf/inner", "x");                                   // a folder is never removed
  std::filesystem::create_symlink(dir / "plain.txt", dir / ".link.cityrun-AbCdEf");  // nor a link
  auto ours = [](std::string_view name) {
    return name == "cyc" || name == "config.cfg" || name == "link" || name == "folder" || name == "notes";
  };
  const int removed = platform::RemoveStaleTemporaries(dir.path(), ours);
  EXPECT_EQ(removed, 2);
  for (const char* gone : {".cyc.cityrun-9rpIFf", ".config.cfg.cityrun-Zz09Aa"})
    EXPECT_FALSE(std::filesystem::exists(dir / gone));
  for (const char* kept :
       {".notes.backup", ".keep.cityrun-abc", "plain.txt", ".folder.cityrun-AbCdEf/inner", ".link.cityrun-AbCdEf"})
    EXPECT_TRUE(std::filesystem::exists(dir / kept)) << kept;
  EXPECT_EQ(platform::RemoveStaleTemporaries(dir / "missing", [](std::string_view) { return true; }), 0);
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
