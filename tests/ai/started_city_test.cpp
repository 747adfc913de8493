// The AI's queries on the city the game's own start-up scripts put up,
// checked against counts made straight from the records.
#include <algorithm>
#include <string>

#include "ai/district_queries.h"
#include "ai/set_scores.h"
#include "ai_fixture.h"
#include "city/people.h"
#include "platform/paths.h"
#include "script/level_scripts.h"
#include "script/script_fixture.h"

namespace {

class StartedCityTest : public AiTest, protected ScriptHarness {
 protected:
  void SetUp() override {
    oldRoot_ = platform::GameRoot();
    platform::SetGameRoot(std::string(RC_TEST_SOURCE_DIR) + "/data/game");
    AiTest::SetUp();
    ResetPeople();
    StartScripts();
    ASSERT_TRUE(RunGameStartScripts());
    StartCityDemand();
  }
  void TearDown() override {
    StopScripts();
    ResetPeople();
    AiTest::TearDown();
    platform::SetGameRoot(oldRoot_);
  }
  std::string oldRoot_;
};

TEST_F(StartedCityTest, QueriesAgreeWithDirectCounts) {
  // The human takes a block of a three-block district, the computer player another.
  GiveBlock(1, 0);
  GiveBlock(6, 1);
  int32_t area[kBlockCount] = {}, businesses[kBlockCount] = {}, hotels[kBlockCount] = {}, residents[kBlockCount] = {};
  for (const CBuilding& b : g_Buildings) {
    if (!b.InUse || b.Block == nullptr) continue;
    int32_t block = b.Block->Index;
    area[block] += (b.X2 - b.X1 + 1) * (b.Z2 - b.Z1 + 1);
  }
  for (const CBusiness& b : g_Businesses) {
    if (!b.InUse || b.GetBlock() < 0) continue;
    ++businesses[b.GetBlock()];
    hotels[b.GetBlock()] += b.Type == kTypeHotel;
    if (b.Type == kTypeApartments) residents[b.GetBlock()] += b.Occupants;
  }
  int32_t built = 0;
  for (int32_t block = 0; block < kBlockCount; ++block) {
    EXPECT_EQ(GetBlockUsedArea(block), area[block]) << block;
    EXPECT_EQ(GetPcentBlockUsed(block), area[block] * 100 / 49) << block;
    int32_t counted = 0;
    for (int32_t p = -1; p < kMaxPlayerNumber; ++p) counted += CountBusinessesOfPlayerOnBlock(p, block);
    EXPECT_EQ(counted, businesses[block]) << block;
    EXPECT_EQ(CountHotelsOnBlock(block), hotels[block]) << block;
    EXPECT_EQ(GetNumResidentsInBlock(block), residents[block]) << block;
    built += area[block] > 0;
  }
  EXPECT_GT(built, 10);  // the starting city stands on many blocks

  for (int32_t d = 0; d < kDistrictCount; ++d) {
    int32_t size = 0, mine = 0;
    for (int32_t id : g_Districts[d].Blocks) {
      size += id >= 0;
      mine += id >= 0 && P(1).ownedBlocks[id];
    }
    EXPECT_EQ(GetDistrictBlockCount(d), size) << d;
    EXPECT_EQ(GetNumPlayerOwnedBlocksDistrict(1, d), mine) << d;
  }
  int32_t count = 0;
  EXPECT_EQ(GetLeadingOwnerInDistrict(0, count), 0);  // a tie goes to the first player
  EXPECT_EQ(count, 1);
  EXPECT_EQ(CountOwnedOtherBlocksInDistrict(0), 2);

  // The housing row: the homeless less the apartments' places.
  EXPECT_TRUE(CityWideDemand().Ready);
  int32_t homeless = 0, places = 0;
  for (const CPerson& p : g_People) homeless += p.InUse && p.Kind != kTourist && !p.IsHoused();
  for (const CBusiness& b : g_Businesses) places += b.InUse && b.Type == kTypeApartments ? b.Capacity : 0;
  EXPECT_EQ(GetHomelessCount(), homeless);
  EXPECT_EQ(GetCityWideDemand(kAccommodationRow), std::max(0, homeless - places));
  // Rows run from the largest gap down.
  for (int i = 1; i < kDemandRowCount; ++i)
    EXPECT_GE(CityWideDemand().Rows[i - 1].Demand, CityWideDemand().Rows[i].Demand);
}

}  // namespace
