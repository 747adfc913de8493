#include <filesystem>

#include "engine_files_fixture.h"

namespace {

using ModelFileTest = EngineFilesTest;

ModelNamedRecord Named(const char* name, uint16_t first, uint16_t last) {
  ModelNamedRecord r{};
  std::strncpy(r.name, name, sizeof r.name - 1);
  r.firstVertex = first;
  r.lastVertex = last;
  return r;
}

TEST_F(ModelFileTest, FileRoundTrips) {
  ModelFileData m = Quads(2, 2);
  m.textures = {"a.tex", "b.tex"};
  m.hasFrameRecords = true;
  m.frameRecordCount = 1;
  m.frameRecords = {ModelFrameRecord{{1, 2, 3}, {0, 90, 0}, 7}, ModelFrameRecord{{4, 5, 6}, {0, 0, 0}, 8}};
  m.hasNamedRecords = true;
  m.namedRecords = {Named("P_MAIN_MAP", 4, 7)};
  std::vector<uint8_t> bytes;
  std::string reason;
  ASSERT_TRUE(EncodeModelFile(m, bytes, reason)) << reason;
  ModelFileData back;
  ASSERT_TRUE(ParseModelFile(bytes, back, reason)) << reason;
  EXPECT_EQ(back.vertexCount, 8);
  EXPECT_EQ(back.frameCount, 2);
  EXPECT_EQ(back.textures, m.textures);
  ASSERT_EQ(back.primitives.size(), 2u);
  EXPECT_EQ(back.primitives[1].indices, m.primitives[1].indices);
  EXPECT_EQ(back.positions.size(), 16u);
  EXPECT_FLOAT_EQ(back.positions[9].y, 1.0f);
  EXPECT_EQ(int32_t{back.frameRecords[1].tag}, 8);
  EXPECT_STREQ(back.namedRecords[0].name, "P_MAIN_MAP");
  std::vector<uint8_t> again;
  ASSERT_TRUE(EncodeModelFile(back, again, reason));
  EXPECT_EQ(again, bytes);
}

TEST_F(ModelFileTest, DamagedFilesAreRefusedWithAReason) {
  std::vector<uint8_t> good;
  std::string reason;
  ModelFileData m = Quads(1);
  m.textures = {"a.tex"};
  ASSERT_TRUE(EncodeModelFile(m, good, reason));
  ModelFileData out;
  // Cut anywhere: refused, never read past the end.
  for (size_t n = 0; n < good.size(); ++n) {
    EXPECT_FALSE(ParseModelFile(std::span(good).first(n), out, reason)) << n;
  }
  auto patched = [&](size_t at, uint8_t value) {
    std::vector<uint8_t> b = good;
    b[at] = value;
    return ParseModelFile(b, out, reason) ? std::string("accepted") : reason;
  };
  EXPECT_EQ(patched(2, 2), "version");
  EXPECT_EQ(patched(4, 0x03), "vertices without texture coordinates");  // bit 2 cleared
  size_t prim = 16 + 4 * 12 + 4 * 8;
  EXPECT_EQ(patched(prim + 4, 1), "texture index beyond the directory");
  EXPECT_EQ(patched(prim + 6, 7), "index count not a multiple of 3");
  EXPECT_EQ(patched(prim + 8, 9), "index beyond the vertices");
  EXPECT_EQ(patched(good.size() - 1, 'x'), "directory not ended by a zero byte");

  ModelFileData big;
  big.vertexCount = 3;
  big.positions.assign(3, Vec3{});
  big.uvs.assign(3, TexCoord{});
  big.primitives.push_back({0, 0, std::vector<uint16_t>(32001 / 3 * 3 + 3, 0)});
  EXPECT_FALSE(EncodeModelFile(big, good, reason));
  EXPECT_EQ(reason, "more than 32000 indices");
}

TEST_F(ModelFileTest, NormalisingNumbersVerticesByFirstUseAndKeepsGroups) {
  ModelFileData m = Quads(2);
  // Share vertex 2 between the primitives and list them out of order.
  m.primitives[1].indices = {6, 2, 5, 6, 5, 4};
  m.hasNamedRecords = true;
  m.namedRecords = {Named("WHOLE", 2, 6)};
  std::string reason;
  ASSERT_TRUE(NormaliseModelVertices(m, reason)) << reason;
  EXPECT_EQ(m.vertexCount, 8);  // vertex 7 was unused and is gone
  EXPECT_EQ(m.primitives[1].indices, (std::vector<uint16_t>{4, 5, 6, 4, 6, 7}));
  EXPECT_EQ(int{m.namedRecords[0].firstVertex}, 2);
  EXPECT_EQ(int{m.namedRecords[0].lastVertex}, 7);
  EXPECT_FLOAT_EQ(m.positions[5].x, 1.0f);  // the copy of shared vertex 2
  // Old vertices 4 to 6 end up as 7, 6 and 4: not one range any more.
  m = Quads(2);
  m.primitives[1].indices = {6, 2, 5, 6, 5, 4};
  m.namedRecords = {Named("SECOND", 4, 6)};
  EXPECT_FALSE(NormaliseModelVertices(m, reason));
}

TEST_F(ModelFileTest, SecondLoadReadsOnlyTheArchive) {
  std::string reason;
  ModelFileData m = Quads(2, 2);
  m.textures = {"a.tex", "b.tex"};
  ASSERT_TRUE(WriteModelFile("gamedata2\\box\\box.tm", m, reason));
  CModel* first = nullptr;
  uint8_t* dir = nullptr;
  ModLoadModel("gamedata2\\box\\box.tm", &first, &dir);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->vertexCount, 8);
  EXPECT_EQ(first->frameCount, 2);
  EXPECT_TRUE(first->flags & kModelFlagPrepared);
  ASSERT_NE(first->normals, nullptr);
  EXPECT_FLOAT_EQ(first->normals[0].z * first->normals[0].z, 1.0f);
  EXPECT_EQ(first->frameRecordCount, 0);
  EXPECT_EQ(first->frameRecords, nullptr);
  ASSERT_NE(dir, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(dir), 12), std::string("a.tex\0b.tex\0", 12));
  MEM_FREE(dir);

  std::filesystem::remove(Real("gamedata2/box/box.tm"));
  ReopenArchive();
  CModel* second = nullptr;
  ModLoadModel("gamedata2\\box\\box.tm", &second, &dir);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->vertexCount, first->vertexCount);
  EXPECT_EQ(second->indexTotal, 12);
  EXPECT_EQ(second->primitives[1].firstVertex, 4);
  EXPECT_EQ(second->primitives[1].indices[2], 2);
  EXPECT_EQ(std::memcmp(second->positions, first->positions, sizeof(Vec3) * 16), 0);
  EXPECT_EQ(std::memcmp(&second->bounds, &first->bounds, sizeof(Bounds)), 0);
  MEM_FREE(dir);
}

TEST_F(ModelFileTest, WrongVersionAndMissingFilesAreFatal) {
  std::string reason;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(EncodeModelFile(Quads(1), bytes, reason));
  bytes[2] = 2;
  WriteBytes("gamedata2/old.tm", bytes);
  CModel* model = nullptr;
  uint8_t* dir = nullptr;
  EXPECT_EQ(FatalText([&] { ModLoadModel("gamedata2\\old.tm", &model, &dir); }),
            "Model is not same version number gamedata2\\old.tm");
  EXPECT_EQ(FatalText([&] { ModLoadModel("gamedata2\\none.tm", &model, &dir); }),
            "Cannot open new model file gamedata2\\none.tm");
  EXPECT_FALSE(CacheArchive().Contains("gamedata2\\old.tm"));
}

TEST_F(ModelFileTest, PackedModelsKeepOnlyPackedPositions) {
  std::string reason;
  ASSERT_TRUE(WriteModelFile("gamedata2\\p.tm", Quads(1, 3), reason));
  ModSysSetDefaultFlags(0x10);
  CModel* model = nullptr;
  uint8_t* dir = nullptr;
  ModLoadModel("gamedata2\\p.tm", &model, &dir);
  EXPECT_EQ(dir, nullptr);
  EXPECT_EQ(model->positions, nullptr);
  ASSERT_NE(model->packedPositions, nullptr);
  EXPECT_EQ(model->packed, 1);
  // Header, packing, bounds, 4 bytes per vertex and frame, coordinates,
  // normals, one primitive, the index total and six indices.
  EXPECT_EQ(CacheArchive().GetSize("gamedata2\\p.tm"),
            8 + 12 + 28 + 116 + 4 * 3 * 4 + 4 * 8 + 4 * 12 + 20 + 4 + 12);
}

TEST_F(ModelFileTest, ChangedFileIsRebuiltAfterTheMarker) {
  std::string reason;
  ASSERT_TRUE(WriteModelFile("gamedata2\\c.tm", Quads(1), reason));
  CModel* model = nullptr;
  uint8_t* dir = nullptr;
  ModLoadModel("gamedata2\\c.tm", &model, &dir);
  EXPECT_EQ(model->primitiveCount, 1);
  ASSERT_TRUE(WriteModelFile("gamedata2\\c.tm", Quads(2), reason));
  ReopenArchive();
  ModLoadModel("gamedata2\\c.tm", &model, &dir);
  EXPECT_EQ(model->primitiveCount, 1);  // still the cached copy
  WriteBytes("gamedata2/rebuild.txt", {'1'});
  ReopenArchive();
  ModLoadModel("gamedata2\\c.tm", &model, &dir);
  EXPECT_EQ(model->primitiveCount, 2);
  if (dir) MEM_FREE(dir);
}

TEST_F(ModelFileTest, DamagedArchiveEntryIsPreparedAgain) {
  std::string reason;
  ASSERT_TRUE(WriteModelFile("gamedata2\\d.tm", Quads(1), reason));
  CModel* model = nullptr;
  uint8_t* dir = nullptr;
  ModLoadModel("gamedata2\\d.tm", &model, &dir);
  CacheArchive().Close();
  std::vector<uint8_t> data = ReadBytes("max/archive.bin");
  data[0] ^= 0xFF;
  WriteBytes("max/archive.bin", data);
  ASSERT_TRUE(CacheArchive().Open("max\\archive.bin", 0));
  boxes_.clear();
  ModLoadModel("gamedata2\\d.tm", &model, &dir);
  EXPECT_EQ(model->vertexCount, 4);
  EXPECT_EQ(boxes_.size(), 1u);  // the warning about the damaged entry
}

}  // namespace
