// The fireworks show: its slots, its kinds' bursts, its own generator and its
// sounds; then the money animation and the tutor figure.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/scene/animation.h"
#include "engine/scene/model.h"
#include "presentation_fixture.h"
#include "sound/recording_effects.h"
#include "visuals/scene/fireworks.h"
#include "visuals/overlay/tutor_figure.h"

namespace {

FireworksPreset Preset(int32_t mode, int32_t slots, float seconds) {
  return {mode, slots, seconds, 6.0f, {-170, 0, -100}, 80, 9.0f};
}

TEST(FireworksTest, RocketsNeverOutnumberTheSlotsAndGoUpOneAnUpdate) {
  CFireworksShow show;
  show.Random().SetState(7);
  show.Start(Preset(2, 20, 60));
  int32_t most = 0, before = 0;
  for (int i = 0; i < 3000; ++i) {
    show.Update();
    const int32_t climbing = show.ClimbingCount();
    EXPECT_LE(climbing - before, 1) << i;
    before = climbing;
    most = std::max(most, climbing);
    for (int32_t s = 20; s < kFireworkSlots; ++s) ASSERT_EQ(show.Slot(s).state, 0);
    ASSERT_LE(show.FrameCount(), kFireworkFrameCapacity);
  }
  EXPECT_EQ(most, 20);
  EXPECT_GT(show.BurstCount(), 20);
  // Out of launch time the last sparks die away and the show ends itself.
  for (int i = 0; i < 3000 && show.Running(); ++i) show.Update();
  EXPECT_FALSE(show.Running());
}

TEST(FireworksTest, KindFiveBurstsTwiceThirtyUpdatesApart) {
  CFireworksShow show;
  show.Start(Preset(2, 1, 0));
  show.LaunchInto(0, 5, {0, 0, 0});
  std::vector<int> bursts;
  for (int i = 0; i < 1000 && bursts.size() < 2; ++i) {
    const int32_t before = show.BurstCount();
    show.Update();
    if (show.BurstCount() > before) bursts.push_back(i);
  }
  ASSERT_EQ(bursts.size(), 2u);
  EXPECT_EQ(bursts[1] - bursts[0], 30);
  // A kind-3 rocket bursts once.
  show.Start(Preset(2, 1, 0));
  show.LaunchInto(0, 3, {0, 0, 0});
  for (int i = 0; i < 600; ++i) show.Update();
  EXPECT_EQ(show.BurstCount(), 1);
}

// The same generator state gives the same show, spark for spark.
TEST(FireworksTest, TheShowIsFixedByItsGeneratorsState) {
  auto run = [](uint32_t seed) {
    CFireworksShow show;
    show.Random().SetState(seed);
    show.Start(Preset(2, 30, 10));
    for (int i = 0; i < 400; ++i) show.Update();
    std::vector<float> heights;
    for (int32_t i = 0; i < show.FrameCount(); ++i) heights.push_back(show.FrameSpark(i).position.y);
    return heights;
  };
  const std::vector<float> a = run(99);
  EXPECT_FALSE(a.empty());
  EXPECT_EQ(run(99), a);
  EXPECT_NE(run(100), a);
}

TEST(FireworksTest, BurstSoundsUseSixHandlesAndAWhistleMarksKindThree) {
  RecordingEffects sounds;  // nothing ever stops
  const std::vector<std::string>& played = sounds.played;
  CFireworksShow show;
  show.Start(Preset(2, 10, 0));
  for (int32_t slot = 0; slot < 8; ++slot) show.LaunchInto(slot, 3, {float(slot) * 10, 0, 0});
  for (int i = 0; i < 600; ++i) show.Update();
  EXPECT_EQ(show.BurstCount(), 8);
  EXPECT_EQ(std::count(played.begin(), played.end(), "launchwhistle.wav"), 4);  // 4 whistle handles
  EXPECT_EQ(std::count(played.begin(), played.end(), "launch1.wav"), 6);        // 6 burst handles
}

TEST(FireworksTest, FadeTablesFollowTheirShapes) {
  const uint8_t* a = FireworkFadeA();
  const uint8_t* b = FireworkFadeB();
  EXPECT_EQ(a[0], 0);
  EXPECT_EQ(a[127], 254);
  EXPECT_EQ(b[63], 252);
  EXPECT_EQ(b[70], 255);
  EXPECT_EQ(b[88], 128);
  EXPECT_EQ(b[96], 0);
  EXPECT_EQ(b[127], 248);
}

// The money model: 96 frames, loss 0-40, gain 41-95.
class MoneyAnimationTest : public PresentationTest {
 protected:
  ModelLodSet set{};
  void SetUp() override {
    PresentationTest::SetUp();
    ModSysCreate();
    const std::vector<Vec3> pos = {{0, 0, 0}, {1, 2, 0}, {0, 0, 1}};
    const int32_t h = ModSysCreateSelfBuiltModel(1, 3, pos.data(), nullptr, nullptr);
    ModSysGetModel(h)->frameCount = 96;
    set = ModelLodSet{{h, 0, 0}, 1};
    EntAnimResetPool();
    InitTutorFigure(nullptr, nullptr, &set);
  }
  void TearDown() override {
    EntAnimResetPool();
    TutorFigure() = TutorFigureState{};
    ModSysDestroy();
    PresentationTest::TearDown();
  }
};

TEST_F(MoneyAnimationTest, ALossPlaysItsFramesAndASecondChangeWaitsForTheEnd) {
  TutorFigureState& t = TutorFigure();
  PlayMoneyLossAnimation();
  EXPECT_TRUE(t.moneyAnimating);
  EXPECT_EQ(t.money.animFrame, kMoneyLossFirst);
  EntAnimStepAll();
  PlayMoneyGainAnimation();  // while the loss runs: ignored
  EXPECT_EQ(t.money.animFrame, kMoneyLossFirst + 1);
  int steps = 1;
  while (t.moneyAnimating && steps < 200) EntAnimStepAll(), ++steps;
  EXPECT_FALSE(t.moneyAnimating);
  EXPECT_EQ(steps, kMoneyLossLast - kMoneyLossFirst);
  PlayMoneyGainAnimation();
  EXPECT_TRUE(t.moneyAnimating);
  EXPECT_EQ(t.money.animFrame, kMoneyGainFirst);
}

TEST_F(MoneyAnimationTest, TheTutorShowsWhenToldAndTurnsHisHeadToTheTarget) {
  TutorFigureState& t = TutorFigure();
  OnTutorAnimDone(1);
  EXPECT_TRUE(t.tutorVisible);
  OnTutorAnimDone(0);
  EXPECT_FALSE(t.tutorVisible);
  SetTutorVisible(true);
  SnapTutorFigure(300, 400);
  EXPECT_FLOAT_EQ(t.head.position.x, 300);
  EXPECT_FLOAT_EQ(t.body.position.y, 400);
  SetTutorTarget(360, 400);  // a little to his right, level
  for (int i = 0; i < 200; ++i) StepTutorHead();
  EXPECT_NEAR(t.yaw, 180 + 60.0f / 3, 0.01);
  EXPECT_NEAR(t.pitch, 180, 0.01);
  // Far away up and to the side: he turns only so far.
  SetTutorTarget(900, 0);
  for (int i = 0; i < 200; ++i) StepTutorHead();
  EXPECT_NEAR(t.yaw, 180 + 50, 0.01);
  EXPECT_NEAR(t.pitch, 180 - 20, 0.01);
  SetTutorVisible(false);
  for (int i = 0; i < 200; ++i) StepTutorHead();
  EXPECT_NEAR(t.yaw, 180, 0.01);
}

}  // namespace
