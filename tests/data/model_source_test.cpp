#include "tools/modelc/model_source.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

ModelSource Parse(const std::string& text) {
  ModelSource source;
  std::string error;
  EXPECT_TRUE(ParseModelSource(text, source, error)) << error;
  return source;
}

Vec3 Sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Every triangle's face normal, as the model system computes it, must point
// away from `centre`.
void ExpectFacingOut(const ModelFileData& m, const Vec3& centre) {
  for (const auto& prim : m.primitives) {
    for (size_t i = 0; i + 2 < prim.indices.size(); i += 3) {
      const Vec3 &p0 = m.positions[prim.indices[i]], &p1 = m.positions[prim.indices[i + 1]],
                 &p2 = m.positions[prim.indices[i + 2]];
      const Vec3 n = Cross(Sub(p2, p1), Sub(p0, p1));
      const Vec3 mid{(p0.x + p1.x + p2.x) / 3 - centre.x, (p0.y + p1.y + p2.y) / 3 - centre.y,
                     (p0.z + p1.z + p2.z) / 3 - centre.z};
      EXPECT_GT(n.x * mid.x + n.y * mid.y + n.z * mid.z, 0) << "triangle " << i / 3;
    }
  }
}

TEST(ModelSourceTest, BoxHasSixOutwardFacesAndItsGroup) {
  ModelSource s = Parse(
      "output gamedata2\\b\\b.tm\ntexture wall.tex\nprimitive wall.tex key 7\n"
      "group walls 3\nbox 0 0 0  2 4 6\nendgroup\n");
  EXPECT_EQ(s.output, "gamedata2\\b\\b.tm");
  const ModelFileData& m = s.model;
  EXPECT_EQ(m.vertexCount, 24);
  ASSERT_EQ(m.primitives.size(), 1u);
  EXPECT_EQ(m.primitives[0].key, 7);
  EXPECT_EQ(m.primitives[0].indices.size(), 36u);
  ExpectFacingOut(m, {1, 2, 3});
  ASSERT_EQ(m.namedRecords.size(), 1u);
  EXPECT_STREQ(m.namedRecords[0].name, "WALLS");
  EXPECT_EQ(uint16_t{m.namedRecords[0].firstVertex}, 0);
  EXPECT_EQ(uint16_t{m.namedRecords[0].lastVertex}, 23);
  EXPECT_EQ(int32_t{m.namedRecords[0].value}, 3);
  EXPECT_TRUE(m.hasNamedRecords);
  EXPECT_FALSE(m.hasFrameRecords);
  // Stretched once across each face by default.
  for (const TexCoord& t : m.uvs) {
    EXPECT_TRUE(t.u == 0 || t.u == 1);
    EXPECT_TRUE(t.v == 0 || t.v == 1);
  }
}

TEST(ModelSourceTest, TilingRepeatsByWorldSize) {
  ModelSource s = Parse("output a.tm\ntexture w.tex\nprimitive w.tex\ntile 0.5\nbox 0 0 0  4 2 1\n");
  float max_u = 0, max_v = 0;
  for (const TexCoord& t : s.model.uvs) {
    max_u = std::max(max_u, t.u);
    max_v = std::max(max_v, t.v);
  }
  EXPECT_FLOAT_EQ(max_u, 2.0f);  // the 4-unit side
  EXPECT_FLOAT_EQ(max_v, 1.0f);  // the 2-unit height
}

TEST(ModelSourceTest, CylinderFacesOutAndIsClosedOnTop) {
  ModelSource s = Parse("output t.tm\ntexture bark.tex\nprimitive bark.tex\ncylinder 6 1 0.5 0 3 10 20\n");
  const ModelFileData& m = s.model;
  EXPECT_EQ(m.primitives[0].indices.size(), (6u * 2 + 6) * 3);
  ExpectFacingOut(m, {10, 1.5f, 20});
}

TEST(ModelSourceTest, ExplicitTrianglesSharedVerticesAreSplitPerPrimitive) {
  ModelSource s = Parse(
      "output q.tm\nframes 2\ntexture a.tex\ntexture b.tex\n"
      "vertex 0 0 0 0 0\nvertex 1 0 0 1 0\nvertex 1 1 0 1 1\nvertex 0 1 0 0 1\nvertex 5 5 5 0 0\n"
      "primitive a.tex\ntri 0 1 2\nprimitive b.tex key 2\ntri 0 2 3\n"
      "move 1 2 1 2 0\npoint 1 2 3 0 90 0 4\n");
  const ModelFileData& m = s.model;
  // Vertex 4 is used by nothing and leaves; 0 and 2 are copied for the second primitive.
  EXPECT_EQ(m.vertexCount, 6);
  EXPECT_EQ(m.frameCount, 2);
  ASSERT_EQ(m.positions.size(), 12u);
  EXPECT_EQ(m.primitives[1].texture, 1);
  EXPECT_EQ(m.primitives[1].indices, (std::vector<uint16_t>{3, 4, 5}));
  // Vertex 2 (new 2 and 4) moved in frame 1 only.
  EXPECT_FLOAT_EQ(m.positions[2].y, 1.0f);
  EXPECT_FLOAT_EQ(m.positions[6 + 2].y, 2.0f);
  EXPECT_FLOAT_EQ(m.positions[6 + 4].y, 2.0f);
  EXPECT_EQ(m.frameRecordCount, 1);
  ASSERT_EQ(m.frameRecords.size(), 2u);
  EXPECT_FLOAT_EQ(m.frameRecords[1].rotation[1], 90.0f);
  EXPECT_EQ(m.frameRecords[1].tag, 4);
  // What the compiler makes, the model file format carries unchanged.
  std::vector<uint8_t> bytes;
  std::string reason;
  ASSERT_TRUE(EncodeModelFile(m, bytes, reason)) << reason;
  ModelFileData back;
  ASSERT_TRUE(ParseModelFile(bytes, back, reason)) << reason;
  EXPECT_EQ(back.vertexCount, m.vertexCount);
  EXPECT_EQ(back.textures, m.textures);
  EXPECT_EQ(back.primitives[1].indices, m.primitives[1].indices);
}

TEST(ModelSourceTest, BadSourcesAreRefusedWithAReason) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"output a.tm\ntexture w.tex\nbox 0 0 0 1 1 1\n", "line 3: no primitive started"},
      {"output a.tm\nprimitive w.tex\n", "line 2: texture w.tex is not listed"},
      {"output a.tm\ntexture w.tex\nprimitive w.tex\ntri 0 1 2\n", "line 4: no such vertex"},
      {"output a.tm\ntexture w.tex\nprimitive w.tex\nbox 0 0 0 1 1\n", "line 4: number missing"},
      {"output a.tm\ntexture w.tex\nprimitive w.tex\nbox 0 0 0 1 1 nan\n", "line 4: number missing"},
      {"output a.tm\ntexture w.tex\nprimitive w.tex\ncylinder 2 1 1 0 1\n", "line 4: whole number"},
      {"output a.tm\ntexture w.tex\nprimitive w.tex\ncylinder 6 1 1 2 1\n", "y1 above y0"},
      {"output a.tm\ntexture w.tex\nprimitive w.tex\ngroup g\nbox 0 0 0 1 1 1\n", "group without endgroup"},
      {"output a.tm\ntexture w.tex\nprimitive w.tex\ngroup g\nendgroup\n", "line 5: an empty group"},
      {"output a.tm\ntexture w.tex\nprimitive w.tex\n", "a primitive without triangles"},
      {"output a.tm\ntexture w.tex\ntexture w.tex\n", "line 3: texture named twice"},
      {"texture w.tex\nprimitive w.tex\nbox 0 0 0 1 1 1\n", "no output given"},
      {"output a.tm\ntexture w.tex\nprimitive w.tex\nspin 3\n", "line 4: unknown statement spin"},
      {"output a.tm\nvertex 0 0 0 0 0\nframes 2\n", "line 3: frames must come before"},
      // A group whose vertices end up apart once split per primitive.
      {"output a.tm\ntexture w.tex\nvertex 0 0 0 0 0\ngroup g\nvertex 1 0 0 0 0\nendgroup\n"
       "vertex 0 1 0 0 0\nvertex 1 1 0 0 0\nprimitive w.tex\ntri 0 1 2\nprimitive w.tex\ntri 3 1 2\n",
       "not contiguous"},
  };
  for (const Case& c : cases) {
    ModelSource s;
    std::string error;
    EXPECT_FALSE(ParseModelSource(c.text, s, error)) << c.text;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.text << " gave " << error;
  }
}

}  // namespace
