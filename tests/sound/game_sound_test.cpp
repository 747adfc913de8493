// The game's sound rules on the null device: which voice each rule holds
// and at what volume, by screen mode, distance and hour.
#include <gtest/gtest.h>

#include "sound_fixture.h"

namespace {

class GameSoundTest : public SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    for (const char* f : {"ambi_day_traff_busycity.wav", "motor2.wav", "ambi_day_peop_busycity.wav",
                          "wavcrash2.wav", "ambi_any_altbuild_scaffold.wav", "rand_any_altbuild_saw.wav",
                          "rand_any_altbuild_hammer002.wav", "block_sounds/ambi_factory_1.wav",
                          "block_sounds/ambi_park_1.wav", "block_sounds/ambi_park_2.wav", "block_sounds/owl6.wav",
                          "block_sounds/SchoolPlayground.wav", "shipengine.wav", "shiphorn.wav", "oceanlin.wav",
                          "cranestart.wav", "craneend.wav", "cranelift.wav", "craneloop.wav",
                          "ambi_any_traff_carengine006.wav", "air.wav", "ambi_any_traff_trainmotion30.wav",
                          "spot_any_train_toot30.wav", "spot_any_sell.wav"})
      WriteSample(f, 20);
  }
  void TearDown() override {
    GameSound().Disable();
    SoundTest::TearDown();
  }
  CGameSound& Start(bool threeD = false) {
    g_SoundSettings.no3d = threeD ? 0 : 1;
    Open();
    GameSound().Enable();
    return GameSound();
  }
  static int32_t Volume(const CSoundDevice* v) { return v == nullptr ? -1 : v->GetVolume(); }
  // Far from every block: no block or sea sound.
  static SoundSceneView Quiet() {
    SoundSceneView view;
    view.cameraEye = Vec3{0, 50, 0};
    return view;
  }
};

TEST_F(GameSoundTest, TrafficLoopAndMotorsByDensityAndDistance) {
  CGameSound& g = Start();
  SoundSceneView view = Quiet();
  const struct {
    float density;
    int32_t volume;
  } loops[] = {{0.0f, 20}, {0.1f, 40}, {0.3f, 80}, {2.0f, 80}};
  for (const auto& c : loops) {
    view.trafficDensity = c.density;
    g.Update(view);
    EXPECT_EQ(Volume(g.voices().traffic), c.volume) << c.density;
  }
  view.cars[0] = {10.0f, 0.5f};
  view.cars[1] = {99.9f, 0.0f};
  view.cars[2] = {100.0f, 0.0f};
  g.Update(view);  // the motors start silent
  ASSERT_NE(g.voices().motors[0], nullptr);
  EXPECT_EQ(Volume(g.voices().motors[0]), 0);
  EXPECT_EQ(g.voices().motors[2], nullptr);
  g.Update(view);
  EXPECT_EQ(Volume(g.voices().motors[0]), 49);  // 55 - 11 x 0.5
  EXPECT_EQ(Volume(g.voices().motors[1]), 4);   // 55 - 100.9 x 0.5
  const auto* motor = Null().FindVoice(g.voices().motors[0]->DeviceVoice());
  EXPECT_NEAR(motor->pitch, int32_t(0.5f * 1.1111112f * 11025 + 22050) / 22050.0f, 1e-5);

  // The plan view keeps the loop at its level; the auction room lets it go.
  view.screenMode = 3;
  g.Update(view);
  EXPECT_NE(g.voices().traffic, nullptr);
  EXPECT_TRUE(g.voices().traffic->playing);
  EXPECT_EQ(g.voices().motors[0], nullptr);
  view.screenMode = 1;
  g.Update(view);
  EXPECT_EQ(g.voices().traffic, nullptr);
}

TEST_F(GameSoundTest, CrowdLevelByDistanceAndHeadCount) {
  CGameSound& g = Start();
  const struct {
    float x;
    int32_t count;
    int32_t volume;  // -1: not held
  } cases[] = {
      {0, 60, -1},     // 50 / 100 x 60 = 30: not above 30
      {0, 100, 20},    // 50
      {0, 500, 65},    // 250, clamped
      {449, 500, 25},  // d = sqrt(50^2 + 449^2) + 1 = 452.8: 55.2
      {600, 5000, 20}, // beyond 500 counts as 5000: 50
  };
  for (const auto& c : cases) {
    SoundSceneView view = Quiet();
    view.crowds[0] = {c.x, 0, c.count};
    g.Update(view);
    g.Update(view);
    EXPECT_EQ(Volume(g.voices().crowd), c.volume) << c.x << " " << c.count;
  }
  SoundSceneView view = Quiet();
  view.crowds[0] = {0, 0, 500};
  view.cutScene = true;
  g.Update(view);
  EXPECT_EQ(g.voices().crowd, nullptr);
}

TEST_F(GameSoundTest, ConstructionSitesByDistance) {
  CGameSound& g = Start();
  SoundSceneView view = Quiet();
  view.siteCounts[2] = 2;
  view.sites[2][0] = {49.5f, Vec3{}};
  view.sites[2][1] = {10.0f, Vec3{}};
  g.Update(view);
  g.Update(view);
  // Without positions only the first site within reach sounds: 90 - 90 x 50 / 250.
  EXPECT_EQ(Volume(g.voices().construction[2][0]), 72);
  EXPECT_EQ(g.voices().construction[2][1], nullptr);
  view.sites[2][0].distance = 260;  // out of reach: silent, and the next one starts
  g.Update(view);
  EXPECT_EQ(Volume(g.voices().construction[2][0]), 0);
  EXPECT_NE(g.voices().construction[2][1], nullptr);
  view.siteCounts[2] = 0;
  g.Update(view);
  EXPECT_EQ(g.voices().construction[2][0], nullptr);
  EXPECT_EQ(g.voices().construction[2][1], nullptr);
}

TEST_F(GameSoundTest, ConstructionSitesInThreeDArePlacedAndInThePlanViewReleased) {
  CGameSound& g = Start(true);
  SoundSceneView view = Quiet();
  view.siteCounts[0] = 1;
  view.sites[0][0] = {100.0f, Vec3{30, 0, 40}};
  g.Update(view);
  const CSoundDevice* voice = g.voices().construction[0][0];
  ASSERT_NE(voice, nullptr);
  EXPECT_EQ(voice->GetVolume(), 70);
  EXPECT_EQ(g.voices().construction[0][1], nullptr);  // one entry, one voice
  const auto* v = Null().FindVoice(voice->DeviceVoice());
  EXPECT_TRUE(v->positional);
  EXPECT_EQ(v->place.z, 40);
  EXPECT_EQ(v->maxDistance, 250);
  view.screenMode = 3;
  g.Update(view);
  EXPECT_EQ(g.voices().construction[0][0], nullptr);
}

TEST_F(GameSoundTest, BlockSoundsBySchoolHoursFactoriesAndDistance) {
  CGameSound& g = Start();
  SoundSceneView view = Quiet();
  view.hour = 9;
  view.blocks[2].distance = 0.5f;    // factory: 100 - 1 x 0.22
  view.blocks[41].distance = 299.5f;  // school: 100 - 300 x 0.22
  g.Update(view);
  g.Update(view);
  EXPECT_EQ(Volume(g.voices().blocks[2]), 99);
  EXPECT_EQ(Volume(g.voices().blocks[41]), 33);
  view.blocks[2].distance = 301;
  view.hour = 17;
  g.Update(view);
  EXPECT_EQ(g.voices().blocks[2], nullptr);
  EXPECT_EQ(g.voices().blocks[41], nullptr);
}

// Going into the auction room silences the city's block and sea loops at
// once, and coming out starts what the city should be heard with again.
TEST_F(GameSoundTest, TheAuctionRoomSilencesTheBlocksOnTheWayInAndOut) {
  CGameSound& g = Start();
  SoundSceneView view = Quiet();
  view.blocks[2].distance = 0.5f;  // a factory
  g.Update(view);
  g.Update(view);
  ASSERT_NE(g.voices().blocks[2], nullptr);
  const uint32_t factory = g.voices().blocks[2]->DeviceVoice();
  view.screenMode = 1;
  g.Update(view);
  EXPECT_EQ(g.voices().blocks[2], nullptr);
  const auto* voice = Null().FindVoice(factory);
  EXPECT_TRUE(voice == nullptr || !voice->playing) << "the factory loop still plays";
  view.screenMode = 0;
  g.Update(view);
  g.Update(view);
  EXPECT_NE(g.voices().blocks[2], nullptr);
}

// A cut scene silences the building sites.
TEST_F(GameSoundTest, ACutSceneSilencesTheBuildingSites) {
  CGameSound& g = Start();
  SoundSceneView view = Quiet();
  view.siteCounts[0] = 1;
  view.sites[0][0] = {10.0f, Vec3{}};
  g.Update(view);
  ASSERT_NE(g.voices().construction[0][0], nullptr);
  view.cutScene = true;
  g.Update(view);
  EXPECT_EQ(g.voices().construction[0][0], nullptr);
}

TEST_F(GameSoundTest, AFailedParkDrawKeepsItsTimer) {
  CGameSound& g = Start();
  SoundSceneView view = Quiet();
  view.hour = 10;
  for (int32_t b : {14, 19, 47, 48, 49, 50, 51}) view.blocks[b].distance = 50;
  // A stream state whose first seven draws fail (above 70): every park
  // block of the update draws once.
  uint32_t seed = 0;
  for (;; ++seed) {
    g.Random().SetState(seed);
    int fails = 0;
    while (fails < 7 && g.Random().Rand() % 101 > 70) ++fails;
    if (fails == 7) break;
  }
  g.Random().SetState(seed);
  view.logicTick = 0;
  g.Update(view);
  view.logicTick = 1500;
  g.Update(view);  // the timer reaches the interval and every draw fails
  EXPECT_GE(g.parkTimer(), 1500);
  // Later updates draw again until one succeeds, which resets the timer.
  for (int i = 0; i < 50 && g.parkTimer() >= 1500; ++i) g.Update(view);
  EXPECT_LT(g.parkTimer(), 1500);
  int held = 0;
  for (int32_t b : {14, 19, 47, 48, 49, 50, 51}) held += g.voices().blocks[b] != nullptr;
  EXPECT_EQ(held, 1);
  view.hour = 20;  // evening: the parks fall quiet
  g.Update(view);
  for (int32_t b : {14, 19, 47, 48, 49, 50, 51}) EXPECT_EQ(g.voices().blocks[b], nullptr);
}

TEST_F(GameSoundTest, SeaByCameraDepth) {
  CGameSound& g = Start();
  const struct {
    float z;
    int32_t volume;
  } cases[] = {{-160, 5}, {-225, 40}, {-400, 80}};
  for (const auto& c : cases) {
    SoundSceneView view = Quiet();
    view.cameraEye.z = c.z;
    g.Update(view);
    EXPECT_EQ(Volume(g.voices().sea), c.volume) << c.z;
  }
  SoundSceneView view = Quiet();
  g.Update(view);
  EXPECT_EQ(Volume(g.voices().sea), 0);
}

TEST_F(GameSoundTest, ShipCraneAndVehicleRules) {
  CGameSound& g = Start();
  SoundSceneView view = Quiet();
  view.cameraEye = Vec3{0, 0, 0};
  g.Update(view);

  g.UpdateShipSound(1, Vec3{399.5f, 0, 0});  // 100 - 400 x 0.125
  EXPECT_EQ(Volume(g.voices().shipEngine), 50);
  EXPECT_EQ(Volume(g.voices().shipHorn), 50);
  EXPECT_EQ(g.voices().shipHorn->path, "gamedata\\sound\\high\\shiphorn.wav");
  g.UpdateShipSound(1, Vec3{801, 0, 0});
  EXPECT_EQ(g.voices().shipEngine, nullptr);

  g.PlayCraneSound(27, Vec3{149, 0, 0});
  g.PlayCraneSound(29, Vec3{149, 0, 0});
  g.UpdateCraneVolumes(Vec3{149, 0, 0});  // 100 - 150 / 3
  EXPECT_EQ(Volume(g.voices().craneStart), 50);
  EXPECT_EQ(Volume(g.voices().craneLift), 50);
  g.PlayCraneSound(30, Vec3{149, 0, 0});
  EXPECT_EQ(g.voices().craneLift, nullptr);
  g.PlayCraneSound(31, Vec3{301, 0, 0});
  EXPECT_EQ(g.voices().craneStart, nullptr);

  g.OnVehicleSound(0, 79, 0);  // starts silent
  g.OnVehicleSound(0, 79, 0);  // 60 - 80 x 0.125
  EXPECT_EQ(Volume(g.voices().engine), 50);
  g.OnVehicleSound(1, 501, 0);
  EXPECT_EQ(g.voices().engine, nullptr);
  g.OnVehicleSound(8, 199, 0);  // 70 - 200 x 0.05
  EXPECT_EQ(Volume(g.voices().whistle), 60);
  g.OnVehicleSound(7, 99, 1.0f);  // 70 - 100 x 0.1
  EXPECT_EQ(Volume(g.voices().trainMotion), 60);
  EXPECT_NEAR(Null().FindVoice(g.voices().trainMotion->DeviceVoice())->pitch, 16537 / 22050.0f, 1e-5);
  g.OnVehicleSound(11, 99, 0);
  EXPECT_EQ(Volume(g.voices().trainMotion), 0);
  g.OnVehicleSound(9, 99, 0);
  EXPECT_EQ(Volume(g.voices().trainMotion), -1);

  view.screenMode = 1;  // the auction room lets the traffic voices go
  g.Update(view);
  g.OnVehicleSound(0, 10, 0);
  EXPECT_EQ(g.voices().engine, nullptr);
  EXPECT_LE(Volume(g.voices().whistle), 0);
}

TEST_F(GameSoundTest, StopAmbientSoundsAndMusicAndPause) {
  for (const char* m : {"music_intro.wma", "music_30s.wma", "music_40s.wma"}) WriteMusic(m);
  CGameSound& g = Start();
  SoundSceneView view = Quiet();
  view.crowds[0] = {0, 0, 500};
  g.Update(view);
  ASSERT_NE(g.voices().crowd, nullptr);
  g.StopAmbientSounds();
  EXPECT_EQ(g.voices().crowd, nullptr);
  EXPECT_EQ(g.voices().traffic, nullptr);

  g.PlayMusic("music_intro.wma");
  CPCSoundManager& m = *SoundManager();
  const uint32_t voice = m.Music().DeviceVoice();
  Run(1);
  const double position = Null().FindVoice(voice)->position;
  g.PlayMusic("music_intro.wma");  // already current: nothing changes
  EXPECT_EQ(Null().FindVoice(voice)->position, position);
  g.ClearMusicList();
  g.AddMusicTrack("music_30s.wma", 0);
  g.AddMusicTrack("music_40s.wma", 1);
  EXPECT_TRUE(g.PlayMusicTrack(1, true));  // fades out the intro
  for (int i = 0; i < 100; ++i) {
    view.logicTick += 1;
    g.Update(view);
  }
  EXPECT_TRUE(m.IsMusicCurrent("music_40s.wma"));

  g.PauseAll();
  EXPECT_TRUE(g.paused());
  g.ResumeAll(1);  // the pause switch still holds
  EXPECT_TRUE(g.paused());
  g.ResumeAll(0);
  EXPECT_FALSE(g.paused());

  // Names the game plays by name alone: samples where known, else streams.
  CSoundDevice* sell = PlayNamedSound("spot_any_sell.wav", 60);
  ASSERT_NE(sell, nullptr);
  EXPECT_EQ(sell->kind, CSoundDevice::kSample);
  EXPECT_EQ(PlayNamedSound("spot_any_sell.wav", 60), nullptr);  // unique
  CSoundDevice* horn = PlayNamedSound("shiphorn.wav", 100);
  ASSERT_NE(horn, nullptr);
  EXPECT_EQ(horn->kind, CSoundDevice::kStream);
  EXPECT_EQ(m.HandleOf(horn) != 0 && m.FromHandle(m.HandleOf(horn)) == horn, true);
  EXPECT_EQ(m.FromHandle(0), nullptr);
  EXPECT_EQ(m.FromHandle(100000), nullptr);
}

TEST_F(GameSoundTest, ScriptsPlayOneShotStreamsFromTheSoundFolderOnly) {
  Start();
  CSoundDevice* voice = ScriptPlaySound("spot_any_sell.wav");
  ASSERT_NE(voice, nullptr);
  EXPECT_EQ(voice->kind, CSoundDevice::kStream);
  EXPECT_FALSE(voice->loop);
  EXPECT_EQ(ScriptPlaySound("spot_any_sell.wav"), nullptr);  // unique
  WriteSample("../outside.wav");
  for (const char* name : {"", "../outside.wav", "..\\outside.wav", "/etc/passwd", "\\x.wav"})
    EXPECT_EQ(ScriptPlaySound(name), nullptr) << name;
  EXPECT_EQ(ScriptPlaySound(std::string(300, 'a') + ".wav"), nullptr);
}

}  // namespace
