#include "engine/scene/animation.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/scene/entity.h"
#include "scene_fixture.h"

namespace {

std::vector<std::pair<int32_t, int32_t>> g_done;
void Done(int32_t a, int32_t b) { g_done.emplace_back(a, b); }
void DoneOne(int32_t a) { g_done.emplace_back(a, -99); }

// Entities on a 5-frame model 2 units tall.
class AnimationTest : public SceneTest {
 protected:
  ModelLodSet set{};
  CEntity entity;

  void SetUp() override {
    SceneTest::SetUp();
    ModSysCreate();
    const std::vector<Vec3> pos = {{0, 0, 0}, {1, 2, 0}, {0, 0, 1}};
    const int32_t h = ModSysCreateSelfBuiltModel(1, 3, pos.data(), nullptr, nullptr);
    ModSysGetModel(h)->frameCount = 5;
    set = ModelLodSet{{h, 0, 0}, 1};
    EntAnimResetPool();
    entity.SetModel(&set);
    g_done.clear();
  }
  void TearDown() override {
    EntAnimResetPool();
    ModSysDestroy();
    SceneTest::TearDown();
  }
  void Ticks(int32_t n) {
    for (int32_t i = 0; i < n; ++i) EntAnimStepAll();
  }
};

TEST_F(AnimationTest, PlayOnceForwardEndsOnTheFifthTickOnTheLastFrame) {
  EntAnimStart(&entity, kAnimOnceForward, Done, 7, 8);
  Ticks(4);
  EXPECT_TRUE(g_done.empty());
  EXPECT_EQ(entity.animFrame, 4);
  Ticks(1);
  EXPECT_EQ(g_done, (std::vector<std::pair<int32_t, int32_t>>{{7, 8}}));
  EXPECT_EQ(entity.animFrame, 4);
  EXPECT_EQ(entity.animSlot, -1);
  EXPECT_FALSE(EntAnimGetSlot(0)->inUse);
}

TEST_F(AnimationTest, LoopsCoverTheirRangeExclusiveOfTheEnd) {
  EntAnimStart(&entity, kAnimLoopForward, nullptr, 0, 0);
  std::vector<int32_t> seen;
  for (int32_t i = 0; i < 6; ++i) EntAnimStepAll(), seen.push_back(entity.animFrame);
  EXPECT_EQ(seen, (std::vector<int32_t>{1, 2, 3, 4, 0, 1}));
  EntAnimStop(&entity);
  EXPECT_EQ(entity.animFrame, 4);

  EntAnimStart(&entity, kAnimLoopBackward, nullptr, 0, 0);
  EntAnimSetRange(&entity, 3, 0);
  seen.clear();
  for (int32_t i = 0; i < 4; ++i) EntAnimStepAll(), seen.push_back(entity.animFrame);
  EXPECT_EQ(seen, (std::vector<int32_t>{2, 1, 3, 2}));
}

TEST_F(AnimationTest, BackwardPlayOnceEndsEvenOnAReversedRange) {
  EntAnimStart(&entity, kAnimOnceBackward, Done, 1, 2);
  EntAnimSetRange(&entity, 2, 5);
  Ticks(1);
  EXPECT_EQ(g_done.size(), 1u);
  EXPECT_EQ(entity.animFrame, 5);
  EXPECT_EQ(entity.animSlot, -1);
}

TEST_F(AnimationTest, SecondStartOnABusyEntityDoesNothing) {
  EntAnimStart(&entity, kAnimSpin, nullptr, 0, 0);
  EntAnimStart(&entity, kAnimOnceForward, Done, 0, 0);
  EXPECT_EQ(entity.animSlot, 0);
  EXPECT_EQ(EntAnimGetSlot(0)->type, kAnimSpin);
  EXPECT_FALSE(EntAnimGetSlot(1)->inUse);
  entity.flags &= static_cast<uint8_t>(~kEntRebuildMatrix);
  Ticks(2);
  EXPECT_FLOAT_EQ(entity.rotation.y, 43.2f);
  EXPECT_TRUE(entity.flags & kEntRebuildMatrix);
  EntAnimStart(nullptr, kAnimSpin, nullptr, 0, 0);
}

TEST_F(AnimationTest, FinishAllCallsNoProcedure) {
  CEntity other;
  other.SetModel(&set);
  EntAnimStart(&entity, kAnimOnceForward, Done, 0, 0);
  EntAnimStart(&other, kAnimHold, Done, 0, 0);
  EntAnimFinishAll();
  EXPECT_TRUE(g_done.empty());
  EXPECT_FALSE(EntAnimGetSlot(0)->inUse);
  EXPECT_FALSE(EntAnimGetSlot(1)->inUse);
  EXPECT_EQ(other.animSlot, -1);
}

TEST_F(AnimationTest, SinkingEndsWhenTheTopIsBelowGround) {
  entity.position = Vec3{10, 1, 20};
  EntAnimStart(&entity, kAnimSink, DoneOne, 3, 4);
  // Top height 2: height + 2 < 0 first at height -2.2, the eleventh tick.
  Ticks(10);
  EXPECT_TRUE(g_done.empty());
  EXPECT_NEAR(entity.position.y, -2.0f, 1e-4);
  EXPECT_GE(entity.position.x, 10.0f);
  EXPECT_LE(entity.position.x, 10.0f + 0.00001f * 32767 + 1e-4f);
  Ticks(1);
  EXPECT_EQ(g_done, (std::vector<std::pair<int32_t, int32_t>>{{3, -99}}));
}

TEST_F(AnimationTest, UnimplementedTypeWarnsOnce) {
  EntAnimStart(&entity, kAnimUnimplemented, nullptr, 0, 0);
  Ticks(3);
  EXPECT_EQ(boxTexts.size(), 1u);
  EXPECT_TRUE(Warned("Unimplemented animation type"));
}

TEST_F(AnimationTest, ReleasedEntityLeavesNoLiveSlot) {
  EntAnimStart(&entity, kAnimLoopForward, Done, 0, 0);
  entity.Reset();
  EXPECT_EQ(entity.animSlot, -1);
  EXPECT_FALSE(EntAnimGetSlot(0)->inUse);

  CEntityHouse house;
  ASSERT_TRUE(house.Allocate(1));
  CEntity* stored = house.Add(CEntity());
  stored->SetModel(&set);
  EntAnimStart(stored, kAnimLoopForward, Done, 0, 0);
  house.Release();
  EXPECT_FALSE(EntAnimGetSlot(0)->inUse);
  Ticks(1);  // nothing left to touch the freed entities
  EXPECT_TRUE(g_done.empty());
}

TEST_F(AnimationTest, ProcedureMayStartTheNextAnimation) {
  static CEntity* target;
  target = &entity;
  EntAnimStart(&entity, kAnimOnceForward,
               EntAnimDoneProc([](int32_t, int32_t) { EntAnimStart(target, kAnimHold, nullptr, 0, 0); }),
               0, 0);
  Ticks(5);
  ASSERT_GE(entity.animSlot, 0);
  EXPECT_EQ(EntAnimGetSlot(entity.animSlot)->type, kAnimHold);
}

TEST_F(AnimationTest, PoolRunsOut) {
  std::vector<CEntity> many(kMaxEntAnims + 1);
  for (CEntity& e : many) EntAnimStart(&e, kAnimHold, nullptr, 0, 0);
  EXPECT_EQ(many.back().animSlot, -1);
  EXPECT_EQ(EntAnimAllocSlot(), -1);
}

}  // namespace
