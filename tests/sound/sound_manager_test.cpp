// The sound manager on the null device: sample slots and voices, streams,
// music and its track list, volumes, pause and the set-up switches.
#include <gtest/gtest.h>

#include "engine/core/error.h"
#include "sound_fixture.h"

namespace {

using SoundManagerTest = SoundTest;
const std::string kHigh = "gamedata\\sound\\high\\";

TEST(SoundTables, PathBucketsAndAttenuation) {
  const struct {
    std::string path;
    uint32_t bucket;
  } buckets[] = {
      {"v", 118},
      {"gamedata\\sound\\high\\motor2.wav", 703},
      {"\x80", 838},
      {"\xff\xfe", 63},
      {"gamedata\\sound\\high\\caf\xe9.wav", 656},
      {"abcdefghijklmnop", 898},  // the shift wraps past 32
  };
  for (const auto& b : buckets) EXPECT_EQ(SampleNameBucket(b.path), b.bucket) << b.path;

  const struct {
    float fraction;
    int32_t attenuation;
  } levels[] = {{1.0f, 0}, {0.5f, -1787}, {0.01f, -4244}, {0.0f, -10000}};
  for (const auto& l : levels) EXPECT_EQ(VolumeToAttenuation(l.fraction), l.attenuation) << l.fraction;
  EXPECT_FLOAT_EQ(AttenuationToGain(0), 1.0f);
  EXPECT_FLOAT_EQ(AttenuationToGain(-10000), 0.0f);
}

TEST_F(SoundManagerTest, SwitchesAndAFailedDeviceLeaveItClosed) {
  g_SoundSettings.avail = 1;  // no sound
  CPCSoundManager& m = CreateSoundManager();
  EXPECT_FALSE(m.Init());
  g_SoundSettings.avail = 0;
  platform::SetSoundDeviceFactory([] {
    auto d = std::make_unique<platform::NullSoundDevice>();
    d->failOpen = true;
    return d;
  });
  EXPECT_FALSE(m.Init());
  WriteSample("a.wav");
  EXPECT_EQ(m.PlayFile(kHigh + "a.wav", false, false, false, false, 100), nullptr);
  EXPECT_EQ(m.LoadSample("a.wav", false), nullptr);
  EXPECT_EQ(PlaySoundSample("a.wav", false, false, false, false, 100), nullptr);
  GameSound().Enable();
  UpdateSoundListener();
  EXPECT_FALSE(GameSound().PlayMusicTrack(0, false));
  GameSound().Disable();
}

TEST_F(SoundManagerTest, TheFifthPlayReusesTheOldestVoiceAndUniqueRefuses) {
  WriteSample("a.wav", 10);
  CPCSoundManager& m = Open();
  const std::string path = kHigh + "a.wav";
  CSoundDevice* voices[5];
  for (int i = 0; i < 4; ++i) {
    voices[i] = m.PlayFile(path, false, false, false, false, 100);
    ASSERT_NE(voices[i], nullptr);
    m.Update();
  }
  EXPECT_EQ(m.PlayFile(path, false, false, false, true, 100), nullptr);
  voices[4] = m.PlayFile(path, false, false, false, false, 100);
  EXPECT_EQ(voices[4], voices[0]);  // the first played has aged most
  EXPECT_TRUE(m.IsPlaying(voices[4]));
  // A finished voice is free again after the next update.
  Run(11);
  for (CSoundDevice* v : voices) EXPECT_FALSE(m.IsPlaying(v));
  // A one-character path "v" is a wave file: it goes to the samples, not the music.
  EXPECT_EQ(m.PlayFile("v", false, false, false, false, 100), nullptr);
  EXPECT_TRUE(m.Music().CurrentPath().empty());
}

TEST_F(SoundManagerTest, AFullTableStillPlaysWhatItHolds) {
  CPCSoundManager& m = Open();
  for (int i = 0; i <= kSampleSlots; ++i) WriteSample("s" + std::to_string(i) + ".wav");
  for (int i = 0; i < kSampleSlots; ++i) ASSERT_NE(m.LoadSample("s" + std::to_string(i) + ".wav", false), nullptr);
  EXPECT_EQ(m.LoadSample("s40.wav", false), nullptr);
  EXPECT_NE(m.PlayFile(kHigh + "s7.wav", false, false, false, false, 100), nullptr);
  EXPECT_TRUE(m.UnloadSample(kHigh + "s7.wav"));
  EXPECT_FALSE(m.UnloadSample(kHigh + "s7.wav"));
  EXPECT_NE(m.LoadSample("s40.wav", false), nullptr);
  // A file that is no wave file loads nothing.
  WriteFile("gamedata/sound/high/bad.wav", "RIFF");
  EXPECT_EQ(m.PlayFile(kHigh + "bad.wav", false, false, false, false, 100), nullptr);
}

TEST_F(SoundManagerTest, PauseSilencesLaterVolumeChangesAndTheMusic) {
  WriteSample("a.wav", 10);
  WriteMusic("m.wma");
  CPCSoundManager& m = Open();
  m.SetEffectsVolume(50);
  CSoundDevice* voice = m.PlayFile(kHigh + "a.wav", false, true, false, false, 100);
  ASSERT_NE(voice, nullptr);
  const float before = GainOf(voice);
  EXPECT_NEAR(before, AttenuationToGain(-1787), 1e-6);
  ASSERT_NE(m.PlayFile("gamedata\\sound\\music\\m.wma", true, true, false, false, 100), nullptr);
  m.PauseAll();
  EXPECT_EQ(GainOf(voice), before);  // playing voices keep their level
  EXPECT_FALSE(Null().IsPlaying(m.Music().DeviceVoice()));
  voice->SetVolume(100);
  EXPECT_EQ(GainOf(voice), 0.0f);
  m.ResumeAll();
  EXPECT_TRUE(Null().IsPlaying(m.Music().DeviceVoice()));
  voice->SetVolume(100);
  EXPECT_NEAR(GainOf(voice), AttenuationToGain(-1787), 1e-6);
  EXPECT_EQ(m.MusicVolume(), 75);
}

TEST_F(SoundManagerTest, WithoutThreeDPositionalSoundsPlayAndNothingIsCommitted) {
  WriteSample("p.wav", 10);
  g_SoundSettings.no3d = 1;
  CPCSoundManager& m = Open();
  CSoundDevice* voice = m.PlayFile(kHigh + "p.wav", false, true, true, false, 100);
  ASSERT_NE(voice, nullptr);
  EXPECT_FALSE(Null().FindVoice(voice->DeviceVoice())->positional);
  const int32_t commits = Null().spatialCommits;
  m.SetListener(Vec3{1, 2, 3}, Vec3{0, 0, 1}, Vec3{0, 1, 0});
  m.Update();
  EXPECT_EQ(Null().spatialCommits, commits);
  EXPECT_TRUE(m.IsPlaying(voice));
}

TEST_F(SoundManagerTest, PositionalVoicesAndTheListenerAreCommittedEachUpdate) {
  WriteSample("p.wav", 10);
  CPCSoundManager& m = Open();
  CSoundDevice* voice = m.PlayFile(kHigh + "p.wav", false, true, true, false, 100);
  ASSERT_NE(voice, nullptr);
  voice->SetMinMaxDistance(80, 250);
  voice->SetPosition(Vec3{10, 0, 5});
  m.SetListener(Vec3{1, 2, 3}, Vec3{0, 0, 1}, Vec3{0, 1, 0});
  m.Update();
  const auto* v = Null().FindVoice(voice->DeviceVoice());
  EXPECT_TRUE(v->positional);
  EXPECT_EQ(v->place.x, 10);
  EXPECT_EQ(v->maxDistance, 250);
  EXPECT_EQ(Null().listener.y, 2);
}

TEST_F(SoundManagerTest, StreamsLoopShortFilesAndReportTheirEndOnce) {
  // 0.05 s: shorter than one segment of 3/16 s.
  WriteSample("short.wav", 0.05);
  CPCSoundManager& m = Open();
  CSoundDevice* looping = m.PlayFile(kHigh + "short.wav", true, true, false, false, 100);
  ASSERT_NE(looping, nullptr);
  Run(3);
  EXPECT_TRUE(m.IsPlaying(looping));

  int calls = 0;
  CSoundDevice* once = m.PlayFile(kHigh + "short.wav", true, false, false, false, 100);
  ASSERT_NE(once, nullptr);
  static_cast<CSoundStream*>(once)->SetCompletionCallback([&](int32_t a, int32_t, int32_t, int32_t) { calls += a; },
                                                          1, 0, 0, 0);
  EXPECT_EQ(m.PlayFile(kHigh + "short.wav", true, false, false, true, 100), nullptr);  // unique
  Run(1);
  EXPECT_FALSE(m.IsPlaying(once));
  EXPECT_EQ(calls, 1);
  m.StopAllSamples();
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(m.IsPlaying(looping));
  EXPECT_EQ(m.PlayFile(kHigh + "missing.wav", true, false, false, false, 100), nullptr);
}

TEST_F(SoundManagerTest, AllTenStreamsBusyGiveWayToTheOldest) {
  WriteSample("long.wav", 30);
  CPCSoundManager& m = Open();
  CSoundDevice* first = nullptr;
  for (int i = 0; i < kStreamSlots; ++i) {
    CSoundDevice* s = m.PlayFile(kHigh + "long.wav", true, false, false, false, 100);
    ASSERT_NE(s, nullptr);
    if (i == 0) first = s;
    m.Update();
  }
  EXPECT_EQ(m.PlayFile(kHigh + "long.wav", true, false, false, false, 100), first);
}

TEST_F(SoundManagerTest, MusicTracksFadeAndRepeat) {
  for (int i = 0; i < 11; ++i) WriteMusic("t" + std::to_string(i) + ".wma");
  CPCSoundManager& m = Open();
  for (int i = 0; i < 11; ++i) m.AddMusicTrack("t" + std::to_string(i) + ".wma", i);
  EXPECT_EQ(m.Music().Tracks().size(), 10u);  // the eleventh is ignored

  // With nothing playing a fade starts the track at once.
  ASSERT_NE(m.PlayMusicTrack(2, true), nullptr);
  EXPECT_TRUE(m.IsMusicCurrent("t2.wma"));
  EXPECT_FALSE(m.IsMusicCurrent("T2.wma"));
  EXPECT_FALSE(m.Music().FadePending());
  // The current track is not restarted.
  Run(1);
  const uint32_t voice = m.Music().DeviceVoice();
  const double position = Null().FindVoice(voice)->position;
  m.PlayMusicTrack(2, false);
  EXPECT_EQ(Null().FindVoice(voice)->position, position);

  // A fade lowers the music's own volume a step per tick down to 30, then switches.
  m.SetMusicVolume(40);
  ASSERT_NE(m.PlayMusicTrack(5, true), nullptr);
  EXPECT_TRUE(m.Music().FadePending());
  m.AdvanceFade(5);
  EXPECT_EQ(m.Music().GetVolume(), 35);
  EXPECT_EQ(m.MusicVolume(), 40);
  EXPECT_TRUE(m.IsMusicCurrent("t2.wma"));
  m.AdvanceFade(20);
  EXPECT_TRUE(m.IsMusicCurrent("t5.wma"));
  EXPECT_EQ(m.Music().GetVolume(), 40);

  // A listed track plays again at its end and counts it.
  Run(Null().musicSeconds + 1);
  EXPECT_TRUE(m.IsMusicCurrent("t5.wma"));
  EXPECT_EQ(m.Music().Tracks()[5].playCount, 1);
  m.StopMusic();
  EXPECT_EQ(m.Music().CurrentPath(), "");
}

TEST_F(SoundManagerTest, ASingleMusicFileWithoutLoopStopsAtItsEnd) {
  WriteMusic("one.wma");
  CPCSoundManager& m = Open();
  ASSERT_NE(m.PlayFile("gamedata\\sound\\music\\one.wma", true, false, false, false, 100), nullptr);
  Run(Null().musicSeconds + 1);
  EXPECT_FALSE(m.Music().playing);
  EXPECT_EQ(m.PlayFile("gamedata\\sound\\music\\none.wma", true, true, false, false, 100), nullptr);
  g_SoundSettings.music = 0;
  m.Shutdown();
  ASSERT_TRUE(m.Init());
  EXPECT_EQ(m.PlayFile("gamedata\\sound\\music\\one.wma", true, false, false, false, 100), nullptr);
}

}  // namespace
