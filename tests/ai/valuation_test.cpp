#include "ai/business_valuation.h"

#include "ai/district_queries.h"
#include "ai_fixture.h"

namespace {

// A shop with no building: no footprint, so no utility bill; its measure is
// the base cost of its commodities and its running cost the ground rent.
CBusiness& BareShop(float measure, uint16_t groundRent) {
  EconomyTest::DefineCommodity(5, measure, 1.5f);
  EconomyTest::DefineShopType(3, {5});
  CBusiness& b = g_Businesses[7];
  b.Reset(7);
  b.InUse = 1;
  b.Kind = kBusinessShop;
  b.Type = 3;
  b.GroundRent = groundRent;
  b.StockTarget[0] = 0;
  return b;
}

TEST_F(AiTest, BusinessStateScoresAgainstRunningCost) {
  struct Case {
    float measure;
    int32_t score;
  } cases[] = {{120.0f, 120}, {149.0f, 149}, {150.0f, 100}, {400.0f, 100}, {50.0f, 50}, {49.0f, 0}};
  for (const Case& c : cases) EXPECT_EQ(GetScoreForBusinessState(BareShop(c.measure, 100)), c.score) << c.measure;
}

TEST_F(AiTest, RestockOnlyBelowTarget) {
  CBusiness& b = BareShop(2.0f, 10);
  b.StockTarget[0] = 30;
  b.Slots[0].Stock = 30;
  EXPECT_EQ(GetBusinessRunningCost(b), 10);
  b.Slots[0].Stock = 25;
  EXPECT_EQ(GetBusinessRunningCost(b), 10 + 5 * 2);
}

TEST_F(AiTest, UtilitySwitchesRemoveTheirTerm) {
  DefineShopType(3, {0});
  g_BusinessTypes[3].TelecomNeed = 1.0f;
  g_BusinessTypes[3].GasNeed = 2.0f;
  g_BusinessTypes[3].WaterNeed = 4.0f;
  g_BusinessTypes[3].ElectricalNeed = 8.0f;
  int32_t id = Open(3, 2, Place(29, 0, 0, 1, 1, 1), true);  // 4 footprint units
  CBusiness& b = g_Businesses[id];
  b.GroundRent = 0;
  EXPECT_EQ(GetUtilityCosts(1, b), 4 * 15);
  EXPECT_EQ(GetBusinessRunningCost(b), 4 * 15);
  GetUtilityIncome().enabled[kUtilityGas] = 0;
  EXPECT_EQ(GetUtilityCosts(1, b), 4 * 13);
  EXPECT_EQ(GetBusinessRunningCost(b), 4 * 13);
  // The owner of a utility's block pays itself nothing.
  GiveBlock(kUtilityBlocks[3], 1);
  EXPECT_EQ(GetUtilityCosts(1, b), 4 * 5);
}

TEST_F(AiTest, OpportunitiesOnlyOnFreeOrOwnBlocks) {
  DefineShopType(3, {0, 1});
  g_BusinessTypes[3].MinArea = 2;
  GiveBlock(29, 0);
  GiveBlock(30, -1);
  EXPECT_EQ(GetBusinessOpportunities(1, 29, 0), 0);
  // A free block: one open type (2 slots, none owned) and nothing standing.
  EXPECT_EQ(GetBusinessOpportunities(1, 30, 0), (2 - 0 + 10) * 10);
  // Its own block adds the district bonus.
  GiveBlock(30, 1);
  EXPECT_EQ(GetBusinessOpportunities(1, 30, 0), 120 + 250);
}

TEST_F(AiTest, SellOffKeepsOnlyNearTheBest) {
  GiveBlock(29, 1, 5);
  GiveBlock(30, 1, 5);
  g_Blocks[30].Prestige = 8.0f;  // a lease of 1900: far from the cash it would raise
  P(1).money = 0.0f;
  ai.ChosenBlock = 3;
  std::vector<SellOffCandidate> list;
  ChooseSellOffAssets(ai, list);
  ASSERT_EQ(list.size(), 2u);
  // Block 29: half its 400 lease against 100 - cash gives 700 - 100.
  EXPECT_EQ(list[0].Score, 600);
  EXPECT_EQ(list[0].Kind, kAssetBlock);
  EXPECT_EQ(list[0].Id, 29);
  // Block 30 scores 200, below 80 % of the best: cleared.
  EXPECT_EQ(list[1].Score, 0);
  EXPECT_EQ(list[1].Kind, kAssetNone);
  EXPECT_EQ(list[1].Id, -1);
  EXPECT_EQ(ai.ChosenBlock, 3);
  // No block sells while an auction is announced.
  GetAiGameFacts().AuctionAnnounced = true;
  ChooseSellOffAssets(ai, list);
  EXPECT_TRUE(list.empty());
}

// The asset list: an entry joins at the end of the list sorted so far, and
// leaves by its kind and id whatever its score.
TEST_F(AiTest, AssetListAddsAfterSortingAndRemovesByKindAndId) {
  std::vector<SellOffCandidate> list;
  AddAsset(list, {10, kAssetBlock, 29});
  AddAsset(list, {50, kAssetRetail, 3});
  AddAsset(list, {30, kAssetRetail, 4});
  const auto ids = [&] {
    std::vector<int32_t> out;
    for (const SellOffCandidate& c : list) out.push_back(c.Id);
    return out;
  };
  EXPECT_EQ(ids(), (std::vector<int32_t>{3, 29, 4}));  // sorted before the last one joined
  EXPECT_FALSE(RemoveAsset(list, kAssetBlock, 3));   // a business's id as a block: no such entry
  EXPECT_TRUE(RemoveAsset(list, kAssetBlock, 29));
  EXPECT_EQ(ids(), (std::vector<int32_t>{3, 4}));
}

TEST_F(AiTest, OwnAndRentedBusinessLists) {
  DefineShopType(3, {0});
  g_BusinessTypes[kTypeApartments].Available = 1;
  const int32_t shop = Open(3, 2, Place(29, 0, 0, 1, 1, 1), true);
  const int32_t home = Open(kTypeApartments, 2, Place(29, 3, 3, 3, 3, 2, kKindResidential), true);
  const int32_t theirs = Open(3, 1, Place(29, 5, 5, 5, 5, 1), true);
  Open(kTypeApartments, 2, Place(30, 0, 0, 0, 0, 1, kKindResidential), true);
  EXPECT_EQ(ListOwnBusinessesOnBlock(1, 29), (std::vector<int32_t>{shop, home}));
  EXPECT_EQ(ListOwnBusinessesOnBlock(0, 29), std::vector<int32_t>{theirs});
  EXPECT_TRUE(ListOwnBusinessesOnBlock(1, kBlockCount).empty());
  const std::vector<int32_t> rented = ListRentedBusinesses(1);
  ASSERT_EQ(rented.size(), 2u);
  EXPECT_EQ(rented[0], home);
  EXPECT_TRUE(ListRentedBusinesses(0).empty());
}

TEST_F(AiTest, CashRankAccountsAndBands) {
  P(0).money = 100.0f;
  P(1).money = 50.0f;
  EXPECT_EQ(GetCashRank(1), 2);
  EXPECT_EQ(GetCashRank(0), 1);
  P(1).Today()[0] = 300.0f;
  P(1).Today()[21] = 1e6f;  // line 21 is left out
  EXPECT_FLOAT_EQ(GetAccountsTotal(1, 1), 300.0f);
  EXPECT_EQ(GetAccountsMeasure(1), 300);
  EXPECT_EQ(BandOfThree(2), 0);
  EXPECT_EQ(BandOfThree(4), 1);
  EXPECT_EQ(BandOfThree(5), 2);
  EXPECT_EQ(CapAtFive(9), 5);
}

}  // namespace
