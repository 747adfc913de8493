// The model generator's families: rows in, model data out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "engine/scene/asset_table.h"
#include "tools/modelgen/model_families.h"

namespace {

GenRow Row(const std::string& line) {
  std::istringstream words(line);
  GenRow row;
  words >> row.kind >> row.name;
  for (std::string w; words >> w;) row.args.push_back(w);
  return row;
}

bool Generate(const std::string& line, std::vector<ModelFileData>& out, std::string& error) {
  std::vector<GenModel> models;
  if (!GenerateRow(Row(line), models, error)) return false;
  for (GenModel& g : models) {
    ModelFileData data;
    if (g.direct) data = g.data;
    else if (!g.mesh.Finish(data, error)) return false;
    out.push_back(data);
  }
  return true;
}

TEST(ModelGenerator, BadRowsAreRefusedWithAReason) {
  const struct {
    const char* line;
    const char* reason;
  } kCases[] = {
      {"person p adult walk #FF0000 #00FF00 #FFFFFF", "parameter 6"},
      {"person p giant walk #FF0000 #00FF00 #FFFFFF #000000", "unknown build"},
      {"person p adult fly #FF0000 #00FF00 #FFFFFF #000000", "unknown pose"},
      {"vehicle v car 3 #FF0000", "out of range"},
      {"vehicle v hovercraft 0 #FF0000", "unknown vehicle type"},
      {"slab s 10 10 1 red", "colour"},
      {"slab s 10 ten 1 #FF0000", "bad number"},
      {"rooftop r teapot #FF0000", "unknown type"},
      {"castle c 1 2 3", "unknown kind"},
      {"box b 1 1 1 #FF0000 at 5", "at <x> <z>"},
      {"path p keys 5 0 0 0 10 1 1 1", "first at frame 0"},
      {"path p keys 0 0 0 0 0 1 1 1", "must rise"},
      {"path p spiral 1 2 3", "unknown path shape"},
      {"streetobjects s 39 pattern 0 1 blocks 5", "streetobjects <kerb> pattern"},
      {"streetobjects s 39 pattern 0 300 blocks 0 0", "out of range"},
      {"lights l 2 0 0 0 1 1", "groups of"},
      {"glints g 10 ring 1 2", "grid or line expected"},
      {"glints g 10 grid 10 0 0 10 5 0", "glints grid"},
  };
  for (const auto& c : kCases) {
    std::vector<ModelFileData> out;
    std::string error;
    EXPECT_FALSE(Generate(c.line, out, error)) << c.line;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.line << ": " << error;
  }
}

TEST(ModelGenerator, PeopleWalkInEightFramesWithACoarseCopy) {
  std::vector<ModelFileData> out;
  std::string error;
  ASSERT_TRUE(Generate("person p adult walk #FF0000 #00FF00 #FFCC99 #000000", out, error)) << error;
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].frameCount, 8);
  EXPECT_EQ(out[1].frameCount, 8);
  EXPECT_LT(out[1].vertexCount, out[0].vertexCount);
  // One primitive per colour, each drawn with its colour's texture.
  EXPECT_EQ(out[0].textures.size(), out[0].primitives.size());
  EXPECT_NE(std::find(out[0].textures.begin(), out[0].textures.end(), "c_ff0000.tex"), out[0].textures.end());
  // The legs move between frames: the model is not the same in frame 4.
  const size_t v = out[0].vertexCount;
  bool moved = false;
  for (size_t i = 0; i < v && !moved; ++i) moved = out[0].positions[i].z != out[0].positions[4 * v + i].z;
  EXPECT_TRUE(moved);
}

TEST(ModelGenerator, StandingTokensIdleHopOnABidAndTurnOnAWin) {
  std::vector<ModelFileData> out;
  std::string error;
  ASSERT_TRUE(Generate("token t car #C0C4C8 stand", out, error)) << error;
  ASSERT_TRUE(Generate("token s car #C0C4C8 sit", out, error)) << error;
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].frameCount, kTokenFrames);
  EXPECT_EQ(out[1].frameCount, 1);
  const ModelFileData& m = out[0];
  const size_t v = m.vertexCount;
  auto highest = [&](int32_t frame) {
    float y = -1e9f;
    for (size_t i = 0; i < v; ++i) y = std::max(y, m.positions[size_t(frame) * v + i].y);
    return y;
  };
  auto sameAsFirst = [&](int32_t frame, size_t i) {
    const Vec3 &a = m.positions[i], &b = m.positions[size_t(frame) * v + i];
    return std::fabs(a.x - b.x) + std::fabs(a.y - b.y) + std::fabs(a.z - b.z) < 1e-4f;
  };
  // Idle stays on its base; the bid's hop lifts the token clear of it
  // half-way; the win jumps too.
  const float resting = highest(kTokenIdleFirst);
  EXPECT_LT(highest((kTokenIdleFirst + kTokenBidFirst) / 2) - resting, 0.2f);
  EXPECT_GT(highest((kTokenBidFirst + kTokenWinFirst) / 2) - resting, 1.0f);
  EXPECT_GT(highest(kTokenWinFirst + 8) - resting, 0.5f);
  // The round base (drawn first) never moves; the win half-way round has
  // turned the token; each range ends where the idle starts.
  size_t baseVertices = 0;
  while (baseVertices < v && sameAsFirst(kTokenWinFirst + 16, baseVertices)) ++baseVertices;
  EXPECT_GT(baseVertices, 0u);
  EXPECT_LT(baseVertices, v);
  for (int32_t last : {kTokenBidFirst - 1, kTokenWinFirst - 1, kTokenFrames - 1})
    for (size_t i = 0; i < v; ++i) ASSERT_NEAR(m.positions[size_t(last) * v + i].y, m.positions[i].y, 0.05f) << last;
}

TEST(ModelGenerator, PathsHoldFourPointsAFrameAndLoopsClose) {
  std::vector<ModelFileData> out;
  std::string error;
  ASSERT_TRUE(Generate("path a keys 0 0 0 0  10 10 0 0  20 10 0 0", out, error)) << error;
  ASSERT_TRUE(Generate("path b loop 0 5 0 100 50 40", out, error)) << error;
  const ModelFileData& line = out[0];
  EXPECT_EQ(line.vertexCount, 4);
  EXPECT_EQ(line.frameCount, 21);
  // Frame 5 is half way to x 10, facing +x; z is stored turned.
  EXPECT_FLOAT_EQ(line.positions[5 * 4].x, 5.0f);
  EXPECT_FLOAT_EQ(line.positions[5 * 4 + 3].x - line.positions[5 * 4].x, -1.0f);
  // A hold keeps the heading it had.
  EXPECT_FLOAT_EQ(line.positions[15 * 4 + 3].x - line.positions[15 * 4].x, -1.0f);
  const ModelFileData& loop = out[1];
  EXPECT_EQ(loop.frameCount, 41);
  EXPECT_FLOAT_EQ(loop.positions[0].x, loop.positions[40 * 4].x);
  EXPECT_FLOAT_EQ(loop.positions[0].z, loop.positions[40 * 4].z);
}

TEST(ModelGenerator, SceneryStandsInItsWorldPlace) {
  std::vector<ModelFileData> out;
  std::string error;
  ASSERT_TRUE(Generate("box b 2 2 2 #808080 at 100 -50", out, error)) << error;
  float minX = 1e9f, maxX = -1e9f;
  for (const Vec3& p : out[0].positions) minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
  EXPECT_FLOAT_EQ(minX, 99.0f);
  EXPECT_FLOAT_EQ(maxX, 101.0f);
}

}  // namespace

// Street furniture: per block side, a point in the street's middle and the
// object at the kerb facing out, both in the model files' z; lights keep
// their order; a glint grid faces up.
TEST(ModelGenerator, PointModelsKeepTheirPlacesAndOrder) {
  std::vector<ModelFileData> out;
  std::string error;
  ASSERT_TRUE(Generate("streetobjects s 39 pattern 10 2 blocks 100 200", out, error)) << error;
  ASSERT_EQ(out[0].vertexCount, 0);
  ASSERT_EQ(out[0].frameRecords.size(), 8u);
  const ModelFrameRecord& northFrom = out[0].frameRecords[0];
  const ModelFrameRecord& north = out[0].frameRecords[4];
  EXPECT_FLOAT_EQ(north.position[0], 110);  // along the side, then out to the kerb
  EXPECT_FLOAT_EQ(north.position[2], -239);
  EXPECT_FLOAT_EQ(north.rotation[2], 1);  // facing out, north
  EXPECT_EQ(north.tag, 2);
  EXPECT_FLOAT_EQ(northFrom.position[2], -253.5f);
  const ModelFrameRecord& east = out[0].frameRecords[5];
  EXPECT_FLOAT_EQ(east.position[0], 139);
  EXPECT_FLOAT_EQ(east.position[2], -190);
  EXPECT_FLOAT_EQ(east.rotation[0], 1);

  out.clear();
  ASSERT_TRUE(Generate("lights l 3 0 1 0 4 1 0  1 9 9 9 9 9 9", out, error)) << error;
  ASSERT_EQ(out[0].vertexCount, 4);
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(out[0].positions[size_t(i)].x, 2.0f * float(i));
  EXPECT_FLOAT_EQ(out[0].positions[3].y, 9);
  // Every light is used by the model's triangles, first ones first.
  const std::vector<uint16_t>& idx = out[0].primitives[0].indices;
  for (uint16_t v = 0; v < 4; ++v) EXPECT_NE(std::find(idx.begin(), idx.end(), v), idx.end()) << v;

  out.clear();
  ASSERT_TRUE(Generate("glints g 12 grid 0 0 100 50 25 0.1 line -1 0 0 5 5 5 5 5 15 3", out, error)) << error;
  ASSERT_EQ(out[0].frameRecords.size(), 5u * 3u + 3u);
  for (size_t i = 0; i < 15; ++i) {
    EXPECT_GT(out[0].frameRecords[i].rotation[1], 0.99f) << i;  // nearly up
    EXPECT_EQ(out[0].frameRecords[i].tag, 12);
  }
  EXPECT_FLOAT_EQ(out[0].frameRecords[15].rotation[0], -1);
}
