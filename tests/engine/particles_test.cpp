#include "engine/scene/particles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/memory.h"
#include "engine/core/random_stream.h"
#include "engine/render/sprite_batch.h"
#include "recording_renderer.h"

namespace {

// Records what the particles hand to the sprite batch.
struct RecordingSprites : ParticleSprites {
  struct Sprite {
    Vec3 position;
    uint32_t colour;
    float scale;
  };
  std::vector<std::string> calls;
  std::vector<Sprite> sprites;
  std::vector<int32_t> textures;
  void Begin() override { calls.push_back("begin"); }
  void SetTexture(int32_t t) override {
    calls.push_back("texture");
    textures.push_back(t);
  }
  void Add(const Vec3& p, uint32_t c, float s) override {
    calls.push_back("add");
    sprites.push_back({p, c, s});
  }
  void End() override { calls.push_back("end"); }
};

class ParticlesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(MemoryManager().Init(4 << 20, 16));
    ParticleManager().Reset();
  }
  void TearDown() override {
    ParticleManager().Reset();
    MemoryManager().Shutdown();
  }
  CParticleManager& pm = ParticleManager();
};

TEST_F(ParticlesTest, SixteenSlotsAndARemovedEmitterHoldsItsSlotUntilItsParticlesDie) {
  for (int i = 0; i < 16; ++i) EXPECT_EQ(pm.AddEmitter(i, 0, 0, 10, 10, 200), i);
  EXPECT_EQ(pm.EmitterCount(), 16);
  EXPECT_EQ(pm.AddEmitter(99, 0, 0, 10, 10, 200), -1);
  EXPECT_EQ(pm.EmitterCount(), 16);

  for (int t = 0; t < 50; ++t) pm.UpdateAll();
  pm.RemoveEmitter(3);
  EXPECT_EQ(pm.EmitterCount(), 15);
  EXPECT_EQ(pm.Emitter(3).state, kEmitterDying);
  EXPECT_EQ(pm.AddEmitter(99, 0, 0, 10, 10, 200), -1);
  // Removing it again, a free slot or a bad index changes nothing.
  for (int32_t index : {3, -1, 16, -7, 1000}) pm.RemoveEmitter(index);
  EXPECT_EQ(pm.EmitterCount(), 15);

  // Its 50 particles age out over the next 128 ticks; it spawns no more.
  int ticks = 0;
  while (pm.Emitter(3).state != kEmitterFree && ticks < 500) {
    pm.UpdateAll();
    ++ticks;
    EXPECT_LE(pm.Emitter(3).live, 50);
  }
  EXPECT_GE(ticks, 79);
  EXPECT_LE(ticks, 129);
  EXPECT_EQ(pm.Emitter(3).positions, nullptr);
  EXPECT_EQ(pm.AddEmitter(99, 0, 0, 10, 10, 200), 3);
  EXPECT_EQ(pm.EmitterCount(), 16);
  pm.RemoveEmitter(-1);
  EXPECT_EQ(pm.EmitterCount(), 16);
}

TEST_F(ParticlesTest, CapacityIsClampedAndAFullEmitterStopsSpawning) {
  int32_t big = pm.AddEmitter(1, 0, 0, 5, 5, 1000);
  int32_t small = pm.AddEmitter(1, 0, 0, 5, 5, 10);
  EXPECT_EQ(pm.Emitter(big).capacity, 500);
  EXPECT_EQ(pm.Emitter(small).capacity, 10);
  EXPECT_TRUE(MemoryManager().IsLiveBlock(pm.Emitter(big).positions));
  EXPECT_EQ(MemoryManager().BlockSize(pm.Emitter(big).states) >= 500 * 20, true);
  for (int t = 0; t < 20; ++t) pm.UpdateAll();
  EXPECT_EQ(pm.Emitter(small).live, 10);
  EXPECT_EQ(pm.Emitter(big).live, 20);
  // A steady emitter holds one particle per tick of life.
  for (int t = 0; t < 300; ++t) pm.UpdateAll();
  EXPECT_EQ(pm.Emitter(big).live, kParticleLife);
}

TEST_F(ParticlesTest, ParticlesRiseFromTheRectangleAndFadeAndGrow) {
  SeedRandomStreams(1234);
  int32_t e = pm.AddEmitter(42, 100, 200, 30, 20, 50);
  pm.UpdateAll();  // spawns one, age 0
  RecordingSprites batch;
  pm.DrawAll(batch);
  ASSERT_EQ(batch.sprites.size(), 1u);
  EXPECT_EQ(batch.calls, (std::vector<std::string>{"begin", "texture", "add", "end"}));
  EXPECT_EQ(batch.textures[0], 42);
  // Spawned and drawn in the same tick: fully transparent and no size.
  EXPECT_EQ(batch.sprites[0].colour, 0x00FFFFFFu);
  EXPECT_EQ(batch.sprites[0].scale, 0.0f);
  Vec3 p = batch.sprites[0].position;
  EXPECT_EQ(p.y, 1.0f);
  EXPECT_GE(p.x, 100);
  EXPECT_LT(p.x, 130);
  EXPECT_GE(p.z, 200);
  EXPECT_LT(p.z, 220);
  float vy = pm.Emitter(e).states[0].velocity.y;
  EXPECT_GE(vy, 0.02f);
  EXPECT_LT(vy, 0.04f);

  pm.UpdateAll();
  batch = RecordingSprites{};
  pm.DrawAll(batch);
  ASSERT_EQ(batch.sprites.size(), 2u);
  EXPECT_EQ(batch.sprites[0].colour, 0xFEFFFFFFu);
  EXPECT_FLOAT_EQ(batch.sprites[0].scale, 0.05f);
  EXPECT_FLOAT_EQ(batch.sprites[0].position.y, 1.0f + vy);
  for (int t = 2; t < 128; ++t) pm.UpdateAll();
  batch = RecordingSprites{};
  pm.DrawAll(batch);
  EXPECT_EQ(batch.sprites[0].colour >> 24, 2u);  // age 127

  // The same seed gives the same puffs.
  pm.Reset();
  SeedRandomStreams(1234);
  pm.AddEmitter(42, 100, 200, 30, 20, 50);
  pm.UpdateAll();
  RecordingSprites again;
  pm.DrawAll(again);
  EXPECT_EQ(again.sprites[0].position.x, p.x);
  EXPECT_EQ(again.sprites[0].position.z, p.z);
}

TEST_F(ParticlesTest, NothingToDrawForFreeSlots) {
  RecordingSprites batch;
  pm.DrawAll(batch);
  EXPECT_TRUE(batch.calls.empty());
  pm.AddEmitter(1, 0, 0, 1, 1, 0);  // no particles at all
  pm.UpdateAll();
  pm.DrawAll(batch);
  EXPECT_EQ(batch.calls, (std::vector<std::string>{"begin", "texture", "end"}));
}

// Keeps what each DrawSprites call was given.
struct SpriteRenderer : RecordingRenderer {
  struct Call {
    std::vector<Vec3> positions;
    std::vector<uint32_t> colours;
    std::vector<float> sizes;
    int32_t page;
  };
  std::vector<Call> draws;
  void DrawSprites(int32_t count, const Vec3* p, const uint32_t* c, int32_t page, const float* s,
                   float, int32_t) override {
    draws.push_back({{p, p + count}, {c, c + count}, {s, s + count}, page});
  }
};

TEST_F(ParticlesTest, EachEmitterDrawsThroughTheSpriteBatchInOneCall) {
  SpriteRenderer renderer;
  CSpriteBatch batch;
  batch.Create(&renderer, 512, 512, -1, 2.0f);
  batch.Add(Vec3{9, 9, 9}, 0);  // left over from other drawing: not the particles'
  pm.AddEmitter(7, 100, 200, 30, 20, 50);
  pm.AddEmitter(8, -50, -60, 5, 5, 50);
  pm.UpdateAll();
  pm.UpdateAll();
  pm.DrawAll(batch);
  ASSERT_EQ(renderer.draws.size(), 2u);
  EXPECT_EQ(batch.Count(), 0);
  const SpriteRenderer::Call& first = renderer.draws[0];
  EXPECT_EQ(first.page, 7);
  EXPECT_EQ(renderer.draws[1].page, 8);
  ASSERT_EQ(first.positions.size(), 2u);
  const Vec3& older = pm.Emitter(0).positions[0];
  // Added at (x, y, -z), which the batch turns round again: the renderer
  // draws the particle where it is in the city, as the other sprites.
  // White fading from the first tick, sized by age.
  EXPECT_EQ(first.positions[0].x, older.x);
  EXPECT_EQ(first.positions[0].z, older.z);
  EXPECT_EQ(first.colours[0], 0xFEFFFFFFu);
  EXPECT_FLOAT_EQ(first.sizes[0], 2.0f * 0.05f);
  EXPECT_EQ(first.colours[1], 0x00FFFFFFu);
  EXPECT_EQ(first.sizes[1], 0.0f);
  batch.Destroy();
}

}  // namespace
