#include "engine/files/entity_file.h"

#include "engine/render/soft_renderer.h"
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

// Two folders name the same texture file; only the first folder has it. The
// texture is registered once, keyed by its file name, and the second model
// loads without its own copy.
TEST_F(EntityFileTest, TextureNamedFromTwoFoldersIsOneTexture) {
  WriteChair();
  ModelFileData m = Quads(1);
  m.textures = {"seat.tex"};
  std::string reason;
  ASSERT_TRUE(WriteModelFile("gamedata2\\table\\table.tm", m, reason)) << reason;
  ModelLodSet chair{}, table{};
  EntLoadModel("gamedata2\\chair\\chair.tm", &chair, 0);
  EntLoadModel("gamedata2\\table\\table.tm", &table, 0);
  const int32_t seat = ModSysGetModel(chair.handles[0])->primitives[0].texture;
  EXPECT_EQ(ModSysGetModel(table.handles[0])->primitives[0].texture, seat);
  EXPECT_EQ(TexSysGetTexture(seat)->references, 3);  // its own and one per model
  EXPECT_TRUE(CacheArchive().Contains("seat.tex"));
  EXPECT_FALSE(CacheArchive().Contains("gamedata2\\chair\\seat.tex"));
}

// A loaded model's texture coordinates are mapped into its texture's place on
// the pages when the renderer prepares the models, whether the model was read
// from its file or from the cache archive, and only once however often the
// models are prepared.
TEST_F(EntityFileTest, LoadedModelsAreFittedToTheirPages) {
  WriteChair();
  for (const bool from_archive : {false, true}) {
    SCOPED_TRACE(from_archive ? "archive" : "file");
    if (from_archive) {
      std::filesystem::remove_all(Real("gamedata2/chair"));
      ModSysDestroy();
      TexSysDestroy();
      ReopenArchive();
      TexSysCreate();
      ModSysCreate();
    }
    ModelLodSet set{};
    CModel* model = ModSysGetModel(EntLoadModel("gamedata2\\chair\\chair.tm", &set, 0));
    ASSERT_NE(model, nullptr);
    TexSysBuildPages();
    CSoftwareRenderer renderer;
    RendererSettings settings{};
    settings.api = kApiSoftware;
    settings.width = 640;
    settings.height = 480;
    settings.windowed = 1;
    ASSERT_TRUE(renderer.Open(nullptr, nullptr, &settings));
    renderer.AttachTextureSystem(TheTextureSystem());
    renderer.AttachModelSet(TheModelSystem());
    renderer.PrepareAllModels();
    renderer.PrepareAllModels();
    for (int32_t p = 0; p < model->primitiveCount; ++p) {
      const ModelPrimitive& prim = model->primitives[p];
      const CTexture* t = TexSysGetTexture(prim.texture);
      ASSERT_NE(t, nullptr);
      ASSERT_LT(t->uSize, 0.5f);  // a small texture on a shared page
      float highest = -1;
      for (int32_t v = prim.firstVertex; v <= prim.lastVertex; ++v) {
        const TexCoord uv = model->uv1[v];
        EXPECT_GE(uv.u, t->uOffset - 1e-6f);
        EXPECT_LE(uv.u, t->uOffset + t->uSize + 1e-6f);
        EXPECT_GE(uv.v, t->vOffset - 1e-6f);
        EXPECT_LE(uv.v, t->vOffset + t->vSize + 1e-6f);
        highest = std::max(highest, uv.u);
      }
      EXPECT_FLOAT_EQ(highest, t->uOffset + t->uSize);
    }
    renderer.Close();
  }
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
