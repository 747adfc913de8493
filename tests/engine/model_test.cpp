#include "engine/scene/model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/core/memory.h"
#include "engine/scene/texture.h"
#include "scene_fixture.h"

namespace {

template <typename T>
T* Copy(const std::vector<T>& v) {
  if (v.empty()) return nullptr;
  auto* p = static_cast<T*>(MEM_ALLOC(sizeof(T) * v.size()));
  std::memcpy(p, v.data(), sizeof(T) * v.size());
  return p;
}

class ModelTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    ModSysCreate();
  }
  void TearDown() override {
    ModSysDestroy();
    SceneTest::TearDown();
  }
  // A model as a loader hands it over: positions (frames one after another),
  // texture coordinates and one index list per primitive.
  CModel* Loaded(const std::vector<Vec3>& positions, int32_t frames,
                 const std::vector<std::vector<uint16_t>>& prims) {
    auto* m = static_cast<CModel*>(MEM_ALLOC(sizeof(CModel)));
    std::memset(m, 0, sizeof(CModel));
    m->vertexCount = static_cast<uint16_t>(positions.size() / frames);
    m->frameCount = static_cast<uint16_t>(frames);
    m->positions = Copy(positions);
    std::vector<TexCoord> uv;
    for (size_t i = 0; i < m->vertexCount; ++i) uv.push_back({float(i), float(i) * 2});
    m->uv1 = Copy(uv);
    m->primitiveCount = static_cast<uint16_t>(prims.size());
    m->primitives = prims.empty() ? nullptr
                                  : static_cast<ModelPrimitive*>(
                                        MEM_ALLOC(sizeof(ModelPrimitive) * prims.size()));
    for (size_t p = 0; p < prims.size(); ++p) {
      m->primitives[p] = ModelPrimitive{0, 0, static_cast<uint16_t>(prims[p].size()),
                                        Copy(prims[p]), 0, 0};
    }
    return m;
  }
  std::vector<uint16_t> Indices(const CModel* m, int32_t p) {
    const ModelPrimitive& prim = m->primitives[p];
    return std::vector<uint16_t>(prim.indices, prim.indices + prim.indexCount);
  }
};

std::vector<Vec3> Points(int32_t n) {
  std::vector<Vec3> v;
  for (int32_t i = 0; i < n; ++i) v.push_back({float(i), float(i % 3), float(i % 5)});
  return v;
}

TEST_F(ModelTest, SharedVertexIsCopiedIntoEachPrimitive) {
  CModel* m = Loaded(Points(5), 1, {{0, 1, 2}, {2, 3, 4}});
  ASSERT_TRUE(ModSysPrepareModel(m));
  EXPECT_EQ(m->vertexCount, 6);
  EXPECT_EQ(Indices(m, 0), (std::vector<uint16_t>{0, 1, 2}));
  EXPECT_EQ(Indices(m, 1), (std::vector<uint16_t>{0, 1, 2}));
  EXPECT_EQ(m->primitives[1].firstVertex, 3);
  EXPECT_EQ(m->primitives[1].lastVertex, 5);
  EXPECT_FLOAT_EQ(m->positions[3].x, 2.0f);  // the copy of old vertex 2
  EXPECT_FLOAT_EQ(m->uv1[3].u, 2.0f);
  EXPECT_TRUE(m->flags & kModelFlagPrepared);
  EXPECT_TRUE(boxTexts.empty());
}

TEST_F(ModelTest, SplitCopiesEveryFrame) {
  std::vector<Vec3> frames = Points(4);
  for (Vec3 p : Points(4)) frames.push_back({p.x + 100, p.y, p.z});
  CModel* m = Loaded(frames, 2, {{0, 1, 2}, {2, 1, 3}});
  ASSERT_TRUE(ModSysPrepareModel(m));
  ASSERT_EQ(m->vertexCount, 6);
  // New vertices: 0 1 2 | 2 1 3 by first use.
  const float expect[6] = {0, 1, 2, 2, 1, 3};
  for (int32_t k = 0; k < 6; ++k) {
    EXPECT_FLOAT_EQ(m->positions[k].x, expect[k]);
    EXPECT_FLOAT_EQ(m->positions[6 + k].x, expect[k] + 100);
  }
}

TEST_F(ModelTest, DuplicateTrianglesWarn) {
  CModel* m = Loaded(Points(3), 1, {{0, 1, 2, 1, 2, 0}});
  ASSERT_TRUE(ModSysPrepareModel(m));
  EXPECT_TRUE(Warned("Model has duplicate tris"));
}

TEST_F(ModelTest, BadIndicesAreRefusedAndChangeNothing) {
  CModel* tooMany = Loaded(Points(7), 1, {{0, 1, 2}});
  EXPECT_FALSE(ModSysPrepareModel(tooMany));
  EXPECT_TRUE(Warned("more vertices than indices"));
  EXPECT_EQ(tooMany->vertexCount, 7);
  EXPECT_FALSE(tooMany->flags & kModelFlagPrepared);
  CModel* beyond = Loaded(Points(3), 1, {{0, 1, 2, 0, 2, 40}});
  EXPECT_FALSE(ModSysPrepareModel(beyond));
  EXPECT_TRUE(Warned("index beyond its vertices"));
  EXPECT_EQ(Indices(beyond, 0), (std::vector<uint16_t>{0, 1, 2, 0, 2, 40}));
}

TEST_F(ModelTest, VertexCacheOrderPrefersSharedVerticesAndKeepsTies) {
  CModel* m = Loaded(Points(10), 1, {{0, 1, 2, 3, 4, 5, 6, 7, 8, 2, 1, 9}});
  ASSERT_TRUE(ModSysPrepareModel(m));
  // The triangle sharing two cached vertices moves up; the tie between the
  // remaining two keeps the earlier one in place.
  EXPECT_EQ(Indices(m, 0), (std::vector<uint16_t>{0, 1, 2, 2, 1, 9, 6, 7, 8, 3, 4, 5}));
}

TEST_F(ModelTest, VertexCacheForgetsTheOldestOfTenEntries) {
  // A chain of triangles each sharing one vertex with the last pushes ten
  // vertices in after 0, so 0 drops out: the triangle on 0 then loses to the
  // later one on 1, which it would beat on the tie while 0 was still cached.
  CModel* m = Loaded(Points(18), 1,
                     {{0, 1, 2, 2, 3, 4, 4, 5, 6, 6, 7, 8, 8, 9, 10,  //
                       0, 11, 12, 1, 13, 14, 15, 16, 17}});
  ASSERT_TRUE(ModSysPrepareModel(m));
  const auto idx = Indices(m, 0);
  EXPECT_EQ(std::vector<uint16_t>(idx.begin() + 15, idx.end()),
            (std::vector<uint16_t>{1, 13, 14, 0, 11, 12, 15, 16, 17}));
}

TEST_F(ModelTest, LocatorPointsAreReorderedInEveryFrame) {
  std::vector<Vec3> frames = {{0, 1, 0}, {0, 0, 0}, {0, 0, 1}, {1, 0, 0},
                              {0, 6, 0}, {5, 5, 5}, {0, 0, 7}, {8, 0, 0}};
  CModel* m = Loaded(frames, 2, {{0, 1, 2, 0, 2, 3}});
  ASSERT_TRUE(ModSysPrepareModel(m));
  ASSERT_EQ(m->vertexCount, 4);
  const Vec3 want0[4] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const Vec3 want1[4] = {{5, 5, 5}, {8, 0, 0}, {0, 6, 0}, {0, 0, 7}};
  for (int32_t k = 0; k < 4; ++k) {
    EXPECT_FLOAT_EQ(m->positions[k].x, want0[k].x);
    EXPECT_FLOAT_EQ(m->positions[k].y, want0[k].y);
    EXPECT_FLOAT_EQ(m->positions[k].z, want0[k].z);
    EXPECT_FLOAT_EQ(m->positions[4 + k].x, want1[k].x);
    EXPECT_FLOAT_EQ(m->positions[4 + k].y, want1[k].y);
    EXPECT_FLOAT_EQ(m->positions[4 + k].z, want1[k].z);
  }
}

TEST_F(ModelTest, NormalsAreUnitFaceNormalsOrZero) {
  CModel* m = Loaded({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1, 0, 1}, {2, 2, 2}, {2, 2, 2}, {2, 2, 2}},
                     1, {{0, 1, 2, 2, 1, 3}, {4, 5, 6}});
  ASSERT_TRUE(ModSysPrepareModel(m));
  ModSysCalcNormals(m);
  ASSERT_NE(m->normals, nullptr);
  for (int32_t v = 0; v < 4; ++v) {
    EXPECT_FLOAT_EQ(m->normals[v].x, 0.0f);
    EXPECT_FLOAT_EQ(m->normals[v].y, -1.0f);
    EXPECT_FLOAT_EQ(m->normals[v].z, 0.0f);
  }
  // A degenerate triangle leaves zero normals, never NaN.
  for (int32_t v = 4; v < 7; ++v) EXPECT_EQ(m->normals[v].y, 0.0f);
}

TEST_F(ModelTest, PackingRoundTripsAndSurvivesAFlatAxis) {
  CModel* m = Loaded({{0, 5, 0}, {10, 5, 2}, {5, 5, 4}}, 1, {{0, 1, 2}});
  ModSysPackPositions(m);
  ASSERT_EQ(m->packed, 1);
  EXPECT_FLOAT_EQ(m->packOrigin[0], 0.0f);
  EXPECT_FLOAT_EQ(m->packStep[1], 0.0f);
  for (int32_t i = 0; i < 3; ++i) {
    const uint32_t w = m->packedPositions[i];
    EXPECT_EQ(PackedUnitY(w), 0u);
    EXPECT_NEAR(m->packOrigin[0] + PackedUnitX(w) * m->packStep[0], m->positions[i].x, 0.01);
    EXPECT_NEAR(m->packOrigin[2] + PackedUnitZ(w) * m->packStep[2], m->positions[i].z, 0.01);
  }
  EXPECT_EQ(PackedUnitX(m->packedPositions[1]), 1023u);
  EXPECT_EQ(PackedUnitZ(m->packedPositions[2]), 2047u);
}

TEST_F(ModelTest, HandlesAreTakenLowestFirstAndDeletionIsGuarded) {
  const int32_t a = ModSysRegisterModel(Loaded(Points(3), 1, {{0, 1, 2}}), 0);
  const int32_t b = ModSysRegisterModel(Loaded(Points(3), 1, {{0, 1, 2}}), 7);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(TheModelSystem()->freeCount, kMaxModels - 2);
  EXPECT_TRUE(ModSysDeleteModel(a));
  EXPECT_EQ(ModSysGetModel(a), nullptr);
  EXPECT_FALSE(ModSysDeleteModel(a));
  EXPECT_TRUE(Warned("Attempting to delete a model handle that is not used"));
  EXPECT_EQ(ModSysRegisterModel(Loaded(Points(3), 1, {{0, 1, 2}}), 0), 1);
  CModel* bare = Loaded(Points(3), 1, {});
  const int32_t c = ModSysRegisterModel(bare, 0);
  EXPECT_FALSE(ModSysDeleteModel(c));
  EXPECT_TRUE(Warned("has no associated primitives"));
  EXPECT_EQ(ModSysGetModel(0), nullptr);
  EXPECT_EQ(ModSysGetModel(kMaxModels + 1), nullptr);
}

TEST_F(ModelTest, RunningOutOfHandlesIsFatal) {
  CModelSystem* ms = TheModelSystem();
  std::memset(ms->inUse, 1, sizeof ms->inUse);
  ms->freeCount = 0;
  EXPECT_THROW(ModSysRegisterModel(nullptr, 0), FatalErrorException);
  EXPECT_TRUE(Warned("Run out of model handles........ Increase MAXMODELS"));
}

TEST_F(ModelTest, RegistrationComputesBounds) {
  const int32_t h = ModSysRegisterModel(Loaded({{-1, 0, 2}, {3, 4, 6}, {0, 0, 0}}, 1, {{0, 1, 2}}), 0);
  const CModel* m = ModSysGetModel(h);
  EXPECT_FLOAT_EQ(m->bounds.centre.x, 1.0f);
  EXPECT_FLOAT_EQ(m->bounds.centre.z, -3.0f);
}

TEST_F(ModelTest, BuilderMakesPrimitivesFromCollectedIndices) {
  const std::vector<Vec3> pos = Points(4);
  const int32_t h = ModSysCreateSelfBuiltModel(2, 4, pos.data(), nullptr, nullptr);
  ModSysAddQuad(0, 1, 2, 3);
  ModSysEndPrimitive(h, 0, 5, 9);
  ModSysAddTriangle(3, 2, 1);
  ModSysEndPrimitive(h, 1, 6, 10);
  const CModel* m = ModSysGetModel(h);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(Indices(m, 0), (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
  EXPECT_EQ(Indices(m, 1), (std::vector<uint16_t>{3, 2, 1}));
  EXPECT_EQ(m->primitives[0].key, 5);
  EXPECT_EQ(m->primitives[1].texture, 10);
  EXPECT_EQ(m->uv1, nullptr);
  EXPECT_EQ(m->frameCount, 1);
  EXPECT_EQ(m->indexTotal, 9);
  ModSysFlipWinding(h);
  EXPECT_EQ(Indices(m, 1), (std::vector<uint16_t>{2, 3, 1}));
  EXPECT_TRUE(ModSysDeleteModel(h));
}

TEST_F(ModelTest, BuilderRefusesOverflowAndStrayIndices) {
  const std::vector<Vec3> pos = Points(3);
  const int32_t h = ModSysCreateSelfBuiltModel(1, 3, pos.data(), nullptr, nullptr);
  std::vector<uint16_t> many(kModelBuilderCapacity, 0);
  ModSysAddIndices(kModelBuilderCapacity, many.data());
  ModSysAddTriangle(0, 1, 2);
  EXPECT_TRUE(Warned("Model builder holds"));
  EXPECT_EQ(TheModelSystem()->builderCount, kModelBuilderCapacity);
  ModSysEndPrimitive(h, 0, 0, 0);
  ModSysAddTriangle(0, 1, 3);
  ModSysEndPrimitive(h, 0, 0, 0);
  EXPECT_TRUE(Warned("beyond the 3 vertices"));
  EXPECT_EQ(ModSysGetModel(h)->primitives[0].indexCount, kModelBuilderCapacity);
  ModSysAddTriangle(0, 1, 2);
  ModSysEndPrimitive(h, 4, 0, 0);
  EXPECT_TRUE(Warned("has no primitive 4"));
  EXPECT_EQ(TheModelSystem()->builderCount, 0);
}

TEST_F(ModelTest, TransformsTouchPositionsAndNormals) {
  const std::vector<Vec3> pos = {{1, 0, 0}, {0, 1, 0}, {0, 0, 2}};
  const int32_t h = ModSysCreateSelfBuiltModel(1, 3, pos.data(), nullptr, nullptr);
  ModSysTranslateModel(h, Vec3{1, 2, 3});
  ModSysScaleModel(h, 2, 1, 1);
  const CModel* m = ModSysGetModel(h);
  EXPECT_FLOAT_EQ(m->positions[0].x, 4.0f);
  EXPECT_FLOAT_EQ(m->positions[2].z, 5.0f);
  ModSysSwapXZ(h);
  EXPECT_FLOAT_EQ(m->positions[2].x, 5.0f);
  ModSysRotateModelY(h, 90.0f);  // (3, 2, 4) turns to (-4, 2, 3)
  EXPECT_NEAR(m->positions[0].x, -4.0f, 1e-5);
  EXPECT_NEAR(m->positions[0].z, 3.0f, 1e-5);
  ModSysScaleModel(999, 1, 1, 1);
  EXPECT_TRUE(Warned("is not in use"));
}

class ModelUvTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    TexSysCreate();
  }
  void TearDown() override {
    TexSysDestroy();
    ModelTest::TearDown();
  }
};

TEST_F(ModelUvTest, FitMapsEachVertexOnceIntoItsPage) {
  static CTexture tex{};
  tex.width = tex.height = 4;
  tex.pixels = static_cast<uint32_t*>(MEM_ALLOC(64));
  TexSysBeginGroup("g");
  const int32_t slot = TexSysAddTexture(&tex, 0);
  tex.uSize = 0.5f;
  tex.vSize = 0.25f;
  tex.uOffset = 0.1f;
  tex.vOffset = 0.2f;
  tex.pageIndex = 3;
  CModel* m = Loaded(Points(3), 1, {{0, 1, 2, 2, 1, 0}});
  m->primitives[0].texture = static_cast<uint16_t>(slot);
  ASSERT_TRUE(ModSysPrepareModel(m));
  ASSERT_TRUE(ModSysFitUVs(TheTextureSystem(), m));
  EXPECT_FLOAT_EQ(m->uv1[2].u, 2 * 0.5f + 0.1f);
  EXPECT_FLOAT_EQ(m->uv1[2].v, 4 * 0.25f + 0.2f);
  EXPECT_FLOAT_EQ(TheTextureSystem()->pageUsed[3], 1.0f);
  ModSysUnfitUVs(TheTextureSystem(), m);
  EXPECT_NEAR(m->uv1[2].u, 2.0f, 1e-5);
  EXPECT_NEAR(m->uv1[2].v, 4.0f, 1e-5);
  MEM_FREE(tex.pixels);
}

}  // namespace
