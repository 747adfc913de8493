// The login page's profile list and the new-profile answers: names the list
// cannot show are refused, the current profile is highlighted in view, and
// deleting never reaches outside the profiles folder.
#include <filesystem>

#include "frontend/page_rules.h"
#include "frontend/profile_list.h"
#include "frontend_fixture.h"

namespace {

using ProfileListTest = FrontEndDataTest;

TEST_F(ProfileListTest, NamesOfThirtyTwoCharactersOrMoreAreNeitherListedNorMade) {
  const std::string longest(kProfileNameMax, 'a'), tooLong(kProfileNameMax + 1, 'b');
  ProfileList list;
  list.AddProfileName(tooLong, tooLong, 8);
  list.AddProfileName(longest, "", 8);
  ASSERT_EQ(list.Names(), std::vector<std::string>{longest});
  EXPECT_EQ(AnswerNewProfile(tooLong, list), NameAnswer::kRefuse);
  EXPECT_FALSE(PlayerProfile().CreateNew(tooLong));
  // A folder of that name made by hand is not shown either.
  dir_.Write("profiles/" + tooLong + "/settings.lua", "");
  list.Refresh("", 8);
  EXPECT_TRUE(list.Names().empty());
}

TEST_F(ProfileListTest, TheCurrentProfileIsHighlightedAndScrolledIntoView) {
  for (int i = 0; i < 12; ++i) dir_.Write("profiles/P" + std::to_string(10 + i) + "/settings.lua", "");
  ProfileList list;
  list.Refresh("P20", 4);  // item 10 of 12, four lines shown
  EXPECT_EQ(list.Highlighted(), 10);
  EXPECT_EQ(list.FirstVisible(), 7);
  EXPECT_TRUE(list.ButtonsEnabled());
  EXPECT_EQ(list.HighlightedName(), "P20");

  list.Refresh("P11", 4);  // on the first page: no scrolling
  EXPECT_EQ(list.Highlighted(), 1);
  EXPECT_EQ(list.FirstVisible(), 0);

  // No current profile (or a case that differs): nothing highlighted, Delete,
  // OK and Cancel disabled.
  list.Refresh("p20", 4);
  EXPECT_EQ(list.Highlighted(), -1);
  EXPECT_FALSE(list.ButtonsEnabled());
  EXPECT_EQ(list.HighlightedName(), "");
}

TEST_F(ProfileListTest, TheListHoldsThirtyTwoNames) {
  ProfileList list;
  for (int i = 0; i < 40; ++i) list.AddProfileName("N" + std::to_string(i), "N35", 8);
  EXPECT_EQ(list.Names().size(), 32u);
  EXPECT_EQ(list.Highlighted(), -1);
}

TEST_F(ProfileListTest, NewProfileAnswers) {
  ASSERT_TRUE(PlayerProfile().CreateNew("Ada"));
  ProfileList list;
  list.Refresh(PlayerProfile().name, 8);
  EXPECT_FALSE(NameEntryOkEnabled(""));
  EXPECT_TRUE(NameEntryOkEnabled("x"));
  struct Case {
    const char* typed;
    NameAnswer answer;
  } cases[] = {
      {"", NameAnswer::kKeepEditing}, {"Ada", NameAnswer::kDuplicate}, {"Bea", NameAnswer::kCreate},
      {" Bea", NameAnswer::kRefuse},   {"Bea.", NameAnswer::kRefuse},   {"..", NameAnswer::kRefuse},
      {"a/b", NameAnswer::kRefuse},
  };
  for (const Case& c : cases) EXPECT_EQ(AnswerNewProfile(c.typed, list), c.answer) << c.typed;
  // A profile folder the list does not show is still a duplicate.
  dir_.Write("profiles/Hidden/settings.lua", "");
  EXPECT_EQ(AnswerNewProfile("Hidden", list), NameAnswer::kDuplicate);
}

TEST_F(ProfileListTest, DeletingNeverLeavesTheProfilesFolder) {
  namespace fs = std::filesystem;
  dir_.Write("outside/keep.txt", "keep");
  fs::create_directories(dir_ / "profiles");
  fs::create_directory_symlink(dir_ / "outside", dir_ / "profiles/Link");
  EXPECT_FALSE(DeleteProfile("Link"));
  EXPECT_TRUE(fs::exists(dir_ / "outside/keep.txt"));

  // A real profile folder goes with what it holds, and only it.
  ASSERT_TRUE(PlayerProfile().CreateNew("Ada"));
  dir_.Write("profiles/Ada/game.sav", "x");
  ASSERT_TRUE(DeleteProfile("Ada"));
  EXPECT_FALSE(fs::exists(dir_ / "profiles/Ada"));
  EXPECT_TRUE(fs::exists(dir_ / "profiles"));
}

}  // namespace
