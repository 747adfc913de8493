// The sounds the build makes: every file the game names is there and loads.
#include <gtest/gtest.h>

#include <filesystem>

#include "sound_fixture.h"

namespace {

class BuiltSoundsTest : public SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    platform::SetGameRoot(RC_GAME_ROOT);
  }
};

TEST_F(BuiltSoundsTest, EveryNamedSampleLoadsAsMonoPcmAndEveryTrackPlays) {
  if (!std::filesystem::exists(std::filesystem::path(RC_GAME_ROOT) / "gamedata" / "sound"))
    GTEST_SKIP() << "the game's sounds are not built";
  CPCSoundManager& m = Open();
  const char* samples[] = {
      "spot_any_sell.wav", "spot_any_buy.wav", "auction\\dynam_auctioncounter.wav",
      "ambi_any_build_hospitalbeep.wav", "spot_any_ui_lightclick.wav", "wavcrash2.wav", "shipengine.wav",
      "cranestart.wav", "craneend.wav", "cranelift.wav", "craneloop.wav", "ambi_any_traff_trainmotion30.wav",
      "ambi_any_traff_carengine006.wav", "air.wav", "ambi_day_traff_busycity.wav", "motor2.wav",
      "ambi_day_peop_busycity.wav", "launch2.wav", "echocrackle.wav", "echosingle.wav", "launch1.wav",
      "launchwhistle.wav", "block_sounds//ambi_factory_1.wav", "block_sounds//ambi_park_1.wav",
      "block_sounds//ambi_park_2.wav", "rand_any_altbuild_saw.wav", "ambi_any_altbuild_scaffold.wav",
      "rand_any_altbuild_hammer002.wav"};
  for (const char* s : samples) EXPECT_NE(m.LoadSample(s, true), nullptr) << s;
  const char* streams[] = {"Block_Sounds\\SchoolPlayground.wav", "block_sounds//owl6.wav", "shiphorn.wav",
                           "oceanlin.wav", "spot_any_train_toot30.wav", "auction\\auctionmurmer.wav",
                           "auction\\ambi_any_applausehigh.wav", "Positivepluck.wav", "Negativeboing.wav",
                           "weaponfired.wav", "spell.wav", "presixoclock.wav", "auction\\Dog_bid.wav",
                           "auction\\car_win.wav", "auction\\Trumpet_withdraw.wav"};
  for (const char* s : streams) {
    CWaveReader reader;
    ASSERT_EQ(reader.Open(std::string("gamedata\\sound\\high\\") + s), 0) << s;
    EXPECT_EQ(reader.Format().tag, 1) << s;
    EXPECT_EQ(reader.Format().channels, 1) << s;  // positional sounds must be mono
    EXPECT_GT(reader.DataSize(), 1000u) << s;
  }
  for (const char* t : {"music_intro.wma", "music_winner.wma", "music_loser.wma", "music_30s.wma", "music_40s.wma",
                        "music_50s.wma", "music_60s.wma", "music_70s.wma", "music_80s.wma", "music_90s.wma"})
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(RC_GAME_ROOT) / "gamedata" / "sound" / "music" / t))
        << t;
}

}  // namespace
