#include "engine/files/entity_file.h"

#include "engine_files_fixture.h"

namespace {

class EntityFileTest : public EngineFilesTest {
 protected:
  void WriteChair() {
    ModelFileData m = Quads(2);
    m.textures = {"seat.tex", "legs.tex"};
    std::string reason;
    ASSERT_TRUE(WriteModelFile("gamedata2\\chair\\chair.tm", m, reason)) << reason;
    ASSERT_TRUE(WriteTextureFile("gamedata2\\chair\\seat.tex", Solid(2, 2, 1, 1, 1, 255)));
    ASSERT_TRUE(WriteTextureFile("gamedata2\\chair\\legs.tex", Solid(4, 4, 2, 2, 2, 255)));
  }
};

TEST_F(EntityFileTest, ChairLoadsItsTexturesFromItsFolder) {
  WriteChair();
  ModelLodSet set{};
  int32_t calls = 0;
  static int32_t* counter = nullptr;
  counter = &calls;
  EntSetLoadProgressProc([] { ++*counter; });
  int32_t handle = EntLoadModel("gamedata2\\chair\\chair.tm", &set, 0);
  EntSetLoadProgressProc(nullptr);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(set.handles[0], handle);
  EXPECT_EQ(set.count, 1u);
  CModel* model = ModSysGetModel(handle);
  ASSERT_NE(model, nullptr);
  int32_t legs = TexLoadTexture("gamedata2\\chair\\legs.tex");
  EXPECT_EQ(model->primitives[1].texture, legs);
  EXPECT_EQ(TexSysTextureWidth(model->primitives[1].texture), 4);
  EXPECT_EQ(TexSysTextureWidth(model->primitives[0].texture), 2);
  EXPECT_EQ(TexSysGetTexture(legs)->references, 2);

  // The same path again at level 1: two handles, count 2, the texture shared.
  int32_t lod = EntLoadModel("gamedata2\\chair\\chair.tm", &set, 1);
  EXPECT_NE(lod, handle);
  EXPECT_EQ(set.handles[1], lod);
  EXPECT_EQ(set.count, 2u);
  EXPECT_EQ(ModSysGetModel(lod)->primitives[1].texture, legs);
  EXPECT_EQ(TexSysGetTexture(legs)->references, 3);
}

TEST_F(EntityFileTest, MissingTextureIsFatal) {
  WriteChair();
  std::filesystem::remove(Real("gamedata2/chair/legs.tex"));
  ModelLodSet set{};
  EXPECT_EQ(FatalText([&] { EntLoadModel("gamedata2\\chair\\chair.tm", &set, 0); }),
            "Cannot open gamedata2\\chair\\legs.tex, needed by gamedata2\\chair\\chair.tm");
}

TEST_F(EntityFileTest, CopyAnimationSharesFramesOfEqualModels) {
  std::string reason;
  ASSERT_TRUE(WriteModelFile("gamedata2\\people\\a.tm", Quads(30, 3), reason));
  ModelFileData b = Quads(30, 1);
  ASSERT_TRUE(WriteModelFile("gamedata2\\people\\b.tm", b, reason));
  ASSERT_TRUE(WriteModelFile("gamedata2\\people\\c.tm", Quads(31, 1), reason));
  ModelLodSet sa{}, sb{}, sc{};
  EntLoadModel("gamedata2\\people\\a.tm", &sa, 0);
  EntLoadModel("gamedata2\\people\\b.tm", &sb, 0);
  EntLoadModel("gamedata2\\people\\c.tm", &sc, 0);
  EntLoadCopyAnimation(&sa, &sb, 0);
  CModel* ma = ModSysGetModel(sa.handles[0]);
  CModel* mb = ModSysGetModel(sb.handles[0]);
  EXPECT_EQ(mb->frameCount, 3);
  EXPECT_EQ(mb->positions, ma->positions);
  EXPECT_EQ(mb->normals, ma->normals);
  EXPECT_NE(mb->primitives, ma->primitives);
  EXPECT_EQ(FatalText([&] { EntLoadCopyAnimation(&sa, &sc, 0); }),
            "Cannot copy animation from a model with differing numbers of vertices");
}

}  // namespace
