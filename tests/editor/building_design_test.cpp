#include "editor/building_design.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "engine/game_root_fixture.h"
#include "engine/core/byte_io.h"

namespace {

std::unique_ptr<BuildingDesign> NewDesign() {
  auto d = std::make_unique<BuildingDesign>();
  NewBuildingDesign(*d);
  return d;
}

// A design with something in every part of the record, editing state too.
std::unique_ptr<BuildingDesign> BusyDesign() {
  auto d = NewDesign();
  InsertDesignLoop(*d, -1);
  InsertDesignLoop(*d, 0);
  DesignLoop& loop = d->loops[1];
  loop.flags = kLoopRailing;
  loop.points[2].facade[3] = kFacadeGroundDoorCom;
  loop.points[2].group[3] = 4;
  loop.points[1].dragX = 2.5f;
  loop.roofMask = kRoofPointyMajor | kRoofFlat;
  loop.offset1 = 0.25f;
  loop.reserved = 77;
  ParseSuccessors(loop, "0 1");
  loop.hoverEdge = 2;
  loop.drag[3] = -1.5f;
  d->textureSet = 44;
  d->groupMasks[4] = 16;
  d->reservedA = 9;
  const int c = PlaceControlPoint(*d, 1, 3.5f, 6.0f);
  d->controls[c].type = 0x1020201;
  d->controls[c].yAngle = 90.0f;
  d->person = 3;
  d->prestige = 2;
  d->buildingType = 2;
  d->baseType = 1;
  d->floors = 4;
  StoreBaseLoopBounds(*d);
  return d;
}

std::vector<uint8_t> Encode(const BuildingDesign& d) {
  std::vector<uint8_t> bytes(kDesignFileSize);
  EncodeBuildingDesign(d, bytes.data());
  return bytes;
}

class DesignFileTest : public GameRootTest {};

TEST_F(DesignFileTest, RoundTripIsByteExactAtTheFieldOffsets) {
  auto d = BusyDesign();
  ASSERT_TRUE(WriteBuildingDesign(*d, "designs\\c55_m4_00.cb"));
  const std::vector<uint8_t> bytes = ReadBytes("designs/c55_m4_00.cb");
  ASSERT_EQ(bytes.size(), static_cast<size_t>(kDesignFileSize));
  EXPECT_EQ(LoadLeI32(&bytes[0]), 2);                                   // loop count
  EXPECT_EQ(bytes[4 + kDesignLoopSize + 1], kLoopRailing);               // loop 1 flags
  EXPECT_EQ(LoadLeF32(&bytes[4 + kDesignLoopSize + 1764]), 5.0f);        // loop 1 height
  EXPECT_EQ(bytes[4 + kDesignLoopSize + 4 + 2 * 88 + 12 + 3], kFacadeGroundDoorCom);
  EXPECT_EQ(bytes[4 + kDesignLoopSize + 1796], 2);                       // successor count
  EXPECT_EQ(LoadLeI32(&bytes[46704]), 44);                               // texture set
  EXPECT_EQ(LoadLeI32(&bytes[46708 + 4 * 24]), 24);                      // loop order
  EXPECT_EQ(LoadLeI32(&bytes[46860 + 28]), 0x1020201);                   // control point type
  EXPECT_EQ(LoadLeI32(&bytes[46860 + 32]), 1);                           // its loop
  EXPECT_EQ(bytes[48012], 3);
  EXPECT_EQ(bytes[48016], 4);

  auto back = std::make_unique<BuildingDesign>();
  std::string reason;
  ASSERT_TRUE(ReadBuildingDesign(*back, "designs\\c55_m4_00.cb", &reason)) << reason;
  EXPECT_EQ(Encode(*back), bytes);
}

TEST_F(DesignFileTest, NearZeroScalesReadAsOne) {
  auto d = BusyDesign();
  d->controls[0].scaleX = 0.00005f;
  d->controls[0].scaleY = -0.0002f;
  ASSERT_TRUE(WriteBuildingDesign(*d, "a.cb"));
  auto back = NewDesign();
  ASSERT_TRUE(ReadBuildingDesign(*back, "a.cb"));
  EXPECT_EQ(back->controls[0].scaleX, 1.0f);
  EXPECT_EQ(back->controls[0].scaleY, -0.0002f);
}

TEST_F(DesignFileTest, ShortFilesReadAsFarAsTheyGoAndMissingOnesFail) {
  auto d = BusyDesign();
  std::vector<uint8_t> bytes = Encode(*d);
  bytes.resize(4 + kDesignLoopSize);  // the loop count and loop 0 only
  StoreLeI32(bytes.data(), 1);
  WriteBytes("short.cb", bytes);
  auto back = NewDesign();
  ASSERT_TRUE(ReadBuildingDesign(*back, "short.cb"));
  EXPECT_EQ(back->loopCount, 1);
  EXPECT_EQ(back->loops[0].pointCount, 4);
  EXPECT_EQ(back->person, 0);

  std::string reason;
  EXPECT_FALSE(ReadBuildingDesign(*back, "missing.cb", &reason));
  EXPECT_FALSE(reason.empty());
  WriteBytes("empty.cb", {});
  EXPECT_FALSE(ReadBuildingDesign(*back, "empty.cb"));
}

TEST_F(DesignFileTest, DamagedCountsAndIndicesAreRefused) {
  const size_t loop1 = 4 + kDesignLoopSize;
  const std::vector<std::pair<const char*, std::function<void(std::vector<uint8_t>&)>>> damage = {
      {"loop count 26", [](auto& b) { StoreLeI32(&b[0], 26); }},
      {"loop count -1", [](auto& b) { StoreLeI32(&b[0], -1); }},
      {"2 points", [&](auto& b) { b[loop1] = 2; }},
      {"21 points", [&](auto& b) { b[loop1] = 21; }},
      {"26 successors", [&](auto& b) { b[loop1 + 1796] = 26; }},
      {"successor 25", [&](auto& b) { b[loop1 + 1797] = 25; }},
      {"control point loop 2", [](auto& b) { StoreLeI32(&b[46860 + 32], 2); }},
      {"control point loop -1", [](auto& b) { StoreLeI32(&b[46860 + 32], -1); }},
      {"loop order 25", [](auto& b) { StoreLeI32(&b[46708 + 8], 25); }},
      {"loop order -7", [](auto& b) { StoreLeI32(&b[46708], -7); }},
      {"point not a number", [&](auto& b) { StoreLeF32(&b[loop1 + 4], std::nanf("")); }},
      {"point far away", [&](auto& b) { StoreLeF32(&b[loop1 + 8], 3.0e9f); }},
      {"height infinite", [&](auto& b) { StoreLeF32(&b[loop1 + 1764], INFINITY); }},
  };
  const std::vector<uint8_t> good = Encode(*BusyDesign());
  for (const auto& [what, change] : damage) {
    std::vector<uint8_t> bytes = good;
    change(bytes);
    WriteBytes("bad.cb", bytes);
    auto back = BusyDesign();
    std::string reason;
    EXPECT_FALSE(ReadBuildingDesign(*back, "bad.cb", &reason)) << what;
    EXPECT_FALSE(reason.empty()) << what;
    EXPECT_EQ(back->loopCount, 0) << what;
  }
}

TEST(BuildingDesignTest, NewDesignAndDefaultLoop) {
  auto d = NewDesign();
  EXPECT_EQ(d->loopCount, 0);
  for (int i = 0; i < kMaxDesignLoops; ++i) EXPECT_EQ(d->loopOrder[i], i);
  EXPECT_EQ(GetBuildingLoop(d.get(), 0), nullptr);
  EXPECT_EQ(InsertDesignLoop(*d, 5), 1);  // clamped to -1: the first loop, list row 1
  const DesignLoop* loop = GetBuildingLoop(d.get(), 0);
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(loop->pointCount, 4);
  EXPECT_EQ(loop->points[0].x, 1.0f);
  EXPECT_EQ(loop->points[2].z, 6.0f);
  EXPECT_EQ(loop->height, 5.0f);
  EXPECT_EQ(loop->hoverPoint, -1);
  // The slot past the last loop is no loop.
  EXPECT_EQ(GetBuildingLoop(d.get(), 1), nullptr);
  EXPECT_EQ(GetBuildingLoop(d.get(), -1), nullptr);
  EXPECT_EQ(GetBuildingLoop(nullptr, 0), nullptr);
}

TEST(BuildingDesignTest, LoopInsertCopyDeleteKeepControlPointsAndSuccessorsOnTheirLoops) {
  auto d = NewDesign();
  InsertDesignLoop(*d, -1);
  InsertDesignLoop(*d, 0);
  d->loops[1].height = 2.0f;
  const int c0 = PlaceControlPoint(*d, 0, 1, 1);
  const int c1 = PlaceControlPoint(*d, 1, 2, 2);
  ParseSuccessors(d->loops[0], "1");
  // A loop inserted before loop 1: loop 1 moves to 2 with its point.
  EXPECT_EQ(InsertDesignLoop(*d, 0), 2);
  EXPECT_EQ(d->loops[2].height, 2.0f);
  EXPECT_EQ(d->controls[c0].loop, 0);
  EXPECT_EQ(d->controls[c1].loop, 2);
  EXPECT_EQ(d->loops[0].successors[0], 2);
  // Copy loop 2: it stands twice; nothing followed it.
  EXPECT_EQ(CopyDesignLoop(*d, 2), 2);
  EXPECT_EQ(d->loopCount, 4);
  EXPECT_EQ(d->loops[3].height, 2.0f);
  EXPECT_EQ(d->controls[c1].loop, 2);
  // Copying past the last loop copies the last, never the unused slot.
  EXPECT_EQ(CopyDesignLoop(*d, 9), 3);
  EXPECT_EQ(d->loops[4].pointCount, 4);
  // Delete loop 2: its control point goes.
  EXPECT_EQ(DeleteDesignLoop(*d, 2), 2);
  EXPECT_FALSE(d->controls[c1].inUse);
  EXPECT_EQ(DeleteDesignLoop(*d, 3), 2);  // the new last
  EXPECT_EQ(DeleteDesignLoop(*d, 7), -1);
  // Full designs refuse.
  while (d->loopCount < kMaxDesignLoops) InsertDesignLoop(*d, d->loopCount - 1);
  EXPECT_EQ(InsertDesignLoop(*d, 0), -1);
  EXPECT_EQ(CopyDesignLoop(*d, 0), -1);
  auto empty = NewDesign();
  EXPECT_EQ(CopyDesignLoop(*empty, 0), -1);
  EXPECT_EQ(DeleteDesignLoop(*empty, 0), -1);
}

TEST(BuildingDesignTest, ControlPointsRunOutAt32) {
  auto d = NewDesign();
  EXPECT_EQ(PlaceControlPoint(*d, 0, 1, 1), -1);  // no loop
  InsertDesignLoop(*d, -1);
  for (int i = 0; i < kDesignControlPoints; ++i) ASSERT_EQ(PlaceControlPoint(*d, 0, 1, 1), i);
  EXPECT_EQ(PlaceControlPoint(*d, 0, 1, 1), -1);
  EXPECT_EQ(d->controls[5].type, -1);
  EXPECT_EQ(d->controls[5].scaleY, 1.0f);
}

TEST(BuildingDesignTest, ParsedListsKeepTheirLimits) {
  auto d = NewDesign();
  for (int i = 0; i < 4; ++i) InsertDesignLoop(*d, d->loopCount - 1);
  ParseLoopOrder(*d, "3, 1;9 0x2 99999999999999");
  const int32_t order[] = {3, 1, 0, 2, -1};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(d->loopOrder[i], order[i]) << i;
  DesignLoop& loop = d->loops[0];
  ParseSuccessors(loop, "1 258 a2");
  EXPECT_EQ(loop.successorCount, 3);
  EXPECT_EQ(loop.successors[1], 2);  // modulo 256
  std::string many;
  for (int i = 0; i < 40; ++i) many += "1 ";
  ParseSuccessors(loop, many);
  EXPECT_EQ(loop.successorCount, kMaxDesignLoops);
}

TEST(BuildingDesignTest, RandomStackStartsAtLoopZeroAndStopsAt15) {
  auto d = NewDesign();
  for (int i = 0; i < 3; ++i) InsertDesignLoop(*d, d->loopCount - 1);
  ParseSuccessors(d->loops[0], "1 2");
  ParseSuccessors(d->loops[1], "1 1 1 1 1 1 1 1");  // nearly always itself again
  ParseSuccessors(d->loops[2], "1");
  for (uint32_t seed : {0u, 1u, 7u, 12345u, 0xFFFFFFFFu}) {
    PickRandomLoopStack(*d, seed);
    EXPECT_EQ(d->loopOrder[0], 0);
    int n = 0;
    while (n < kMaxDesignLoops && d->loopOrder[n] >= 0) ++n;
    EXPECT_LE(n, kMaxStackLoops);
    for (int i = n; i < kMaxDesignLoops; ++i) EXPECT_EQ(d->loopOrder[i], -1);
    int32_t first[kMaxDesignLoops];
    std::memcpy(first, d->loopOrder, sizeof first);
    PickRandomLoopStack(*d, seed);
    EXPECT_EQ(std::memcmp(first, d->loopOrder, sizeof first), 0);
  }
  // A successor naming no loop ends the stack there.
  ParseSuccessors(d->loops[0], "20");
  PickRandomLoopStack(*d, 3);
  EXPECT_EQ(d->loopOrder[0], 0);
}

TEST(BuildingDesignTest, BoundsOverAllLoopsAndOverTheBaseLoop) {
  auto d = NewDesign();
  InsertDesignLoop(*d, -1);  // (1,1)-(6,6)
  InsertDesignLoop(*d, 0);
  d->loops[1].points[1].x = 7.2f;  // ceil(6.7) = 7
  d->loops[1].points[0].z = 0.4f;  // floor(0.9) = 0
  int32_t shownW = -1, shownD = -1;
  SetLoopBoundsHook([&](int32_t w, int32_t dd) {
    shownW = w;
    shownD = dd;
  });
  ComputeLoopBounds(*d);
  SetLoopBoundsHook(nullptr);
  EXPECT_EQ(d->width, 6);
  EXPECT_EQ(d->depth, 6);
  EXPECT_EQ(d->lowX, 1);
  EXPECT_EQ(d->lowZ, 0);
  EXPECT_EQ(d->offsetX, -1);
  EXPECT_EQ(d->offsetZ, 1);
  EXPECT_EQ(shownW, 6);
  EXPECT_EQ(shownD, 6);
  StoreBaseLoopBounds(*d);
  EXPECT_EQ(d->width, 5);
  EXPECT_EQ(d->depth, 5);
}

}  // namespace
