// The midnight autosave in a fresh game root: the folders a save needs are
// made, so the save is written with no warning.
#include "game_fixture.h"

namespace {

using AutosaveTest = RunningGameTest;

TEST_F(AutosaveTest, MidnightAutosaveMakesTheProfileFolders) {
  std::filesystem::remove_all(root_ / "profiles");
  boxes = 0;
  GameClock().hour = 23;
  Session().tickInHour = 0;
  RunTicks(int(kTicksPerHour));
  EXPECT_EQ(GameClock().hour, 0);
  EXPECT_TRUE(std::filesystem::is_regular_file(root_ / "profiles" / "test" / "autosave.sav"));
  EXPECT_EQ(boxes, 0);
}

}  // namespace
