#include "city/city_demand.h"

#include <cstring>
#include <memory>
#include <vector>

#include "ai_fixture.h"
#include "city/people.h"

namespace {

class DemandTest : public AiTest {
 protected:
  void SetUp() override {
    AiTest::SetUp();
    DefineCommodity(0, 2.0f, 1.5f);
    DefineCommodity(1, 4.0f, 1.5f);
    DefineShopType(3, {0, 1}, 1.0f);
    g_BusinessTypes[kTypeApartments].Kind = kBusinessResidence;
    g_BusinessTypes[kTypeApartments].Available = 1;
    g_BusinessTypes[kTypeApartments].Density = 1.0f;
    flat = Open(kTypeApartments, 2, Place(29, 0, 0, 1, 1, 1, kKindResidential), true);  // 4 places
    for (int i = 0; i < 6; ++i) {
      CPerson& p = NewPerson();
      g_Households[p.Household].Want[0] = 20.0f;  // 10 units of commodity 0
      g_Households[p.Household].Want[1] = 8.0f;   // 2 units of commodity 1
      if (i < 3) House(p, flat);
    }
  }
  int32_t flat = -1;
};

std::array<int32_t, kDemandRowCount> DemandsById() {
  std::array<int32_t, kDemandRowCount> d{};
  for (int32_t c = 0; c < kDemandRowCount; ++c) d[c] = GetCityWideDemand(c);
  return d;
}

TEST_F(DemandTest, TableFromResidentsSupplyAndHomeless) {
  ComputeCityWideDemand();
  EXPECT_TRUE(CityWideDemand().Ready);
  EXPECT_EQ(GetHomelessCount(), 3);
  EXPECT_EQ(GetCityWideDemand(0), 60);
  EXPECT_EQ(GetCityWideDemand(1), 12);
  EXPECT_EQ(GetCityWideDemand(kAccommodationRow), 0);  // 3 homeless, 4 places
  EXPECT_EQ(GetCommodityResidentDemand(0), 30);         // the housed only
  EXPECT_EQ(CityWideDemand().Rows[0].Commodity, 0);
  EXPECT_STREQ(FindDemandRow(kAccommodationRow)->Name, "ACCOMMODATION");

  // Without the apartments every homeless person counts, and the row is
  // found by its id wherever the sort put it.
  CloseBusiness(flat);
  ComputeCityWideDemand();
  EXPECT_EQ(GetCityWideDemand(kAccommodationRow), 6);
  EXPECT_NE(CityWideDemand().Rows[kDemandRowCount - 1].Commodity, kAccommodationRow);
  EXPECT_EQ(FindDemandRow(kAccommodationRow)->Commodity, kAccommodationRow);
  EXPECT_EQ(FindDemandRow(33), nullptr);
}

TEST_F(DemandTest, OpeningThenClosingRestoresTheRows) {
  ComputeCityWideDemand();
  auto before = DemandsById();
  int32_t shop = Open(3, 2, Place(30, 0, 0, 1, 1, 1), true);  // supplies 4 of each
  EXPECT_EQ(GetCityWideDemand(0), 56);
  EXPECT_EQ(GetCityWideDemand(1), 8);
  CloseBusiness(shop);
  EXPECT_EQ(DemandsById(), before);
  EXPECT_EQ(GetUnmetDemandTotal(), 30 + 6);
}

TEST_F(DemandTest, ArrivalsCountOnlyOnceTheTableIsReady) {
  AdjustCommodityDemandCount(4, 1, 0);
  EXPECT_EQ(GetCityWideDemand(kAccommodationRow), 0);
  ComputeCityWideDemand();
  AdjustCommodityDemandCount(4, 1, 0);
  AdjustCommodityDemandCount(4, 0, 0);  // not one who needs a home
  AdjustCommodityDemandCount(1999, 1, 0);  // no such person
  EXPECT_EQ(GetCityWideDemand(kAccommodationRow), 1);
  AdjustCommodityDemandCount(4, 1, 1);
  AdjustCommodityDemandCount(4, 1, 1);
  EXPECT_EQ(GetCityWideDemand(kAccommodationRow), 0);
}

TEST_F(DemandTest, BlockTypeCountsAndScriptedDemands) {
  RecountBusinessTypesPerBlock();
  EXPECT_EQ(GetBlockBusinessTypeCount(29, kTypeApartments), 1);
  DecBlockBusinessTypeCount(29, kTypeApartments);
  DecBlockBusinessTypeCount(29, kTypeApartments);
  EXPECT_EQ(GetBlockBusinessTypeCount(29, kTypeApartments), 0);
  IncBlockBusinessTypeCount(52, 0);
  EXPECT_EQ(GetBlockBusinessTypeCount(52, 0), 0);

  ClearBusinessDemands();
  for (int i = 0; i < kMaxBusinessDemands; ++i) EXPECT_TRUE(AddBusinessDemand(i % kBusinessTypeCount, i));
  EXPECT_FALSE(AddBusinessDemand(3, 1));  // beyond the table
  EXPECT_FALSE(AddBusinessDemand(45, 1));
  EXPECT_EQ(BusinessDemandCount(), kMaxBusinessDemands);
  EXPECT_EQ(GetBusinessDemand(44).Amount, 44);
  ClearBusinessDemands();
  EXPECT_EQ(BusinessDemandCount(), 0);
}

TEST(NameTables, NamesAndFallbacks) {
  EXPECT_EQ(CommodityName(0), "MEAT");
  EXPECT_EQ(CommodityName(32), "ACCOMMODATION");
  EXPECT_EQ(CommodityName(33), "");
  EXPECT_EQ(CardName(8), "Hostile Takeover");
  EXPECT_EQ(CardName(9), " ");
  EXPECT_EQ(TokenName(9), "TRUMPET");
  EXPECT_EQ(TokenName(-1), "-");
}

}  // namespace

namespace {

TEST_F(DemandTest, SavedTableComesBackInItsOrder) {
  ComputeCityWideDemand();
  RecountBusinessTypesPerBlock();
  auto good = std::make_unique<CityDemandRecord>(CaptureCityDemand());
  auto before = DemandsById();
  std::vector<uint8_t> bytes = EncodeRecord(*good);
  ASSERT_EQ(bytes.size(), kCityDemandChunkLength);

  // Faults are refused by the record's check.
  struct Fault {
    const char* what;
    void (*spoil)(CityDemandRecord&);
  } faults[] = {
      {"repeated row", [](CityDemandRecord& c) { c.Ids[1] = c.Ids[0]; }},
      {"row beyond the table", [](CityDemandRecord& c) { c.Ids[0] = 33; }},
      {"negative demand", [](CityDemandRecord& c) { c.Demands[4] = -1; }},
      {"ready flag", [](CityDemandRecord& c) { c.Ready = 2; }},
      {"negative count", [](CityDemandRecord& c) { c.Counts[3][3] = -1; }},
  };
  auto staged = std::make_unique<CityDemandRecord>();
  for (const Fault& f : faults) {
    auto bad = std::make_unique<CityDemandRecord>(*good);
    f.spoil(*bad);
    EXPECT_FALSE(DecodeRecord(EncodeRecord(*bad), *staged)) << f.what;
  }
  bytes.pop_back();
  EXPECT_FALSE(DecodeRecord(bytes, *staged));

  ResetCityDemand();
  EXPECT_FALSE(CityWideDemand().Ready);
  ASSERT_TRUE(DecodeRecord(EncodeRecord(*good), *staged));
  ApplyCityDemand(*staged);
  EXPECT_TRUE(CityWideDemand().Ready);
  EXPECT_EQ(DemandsById(), before);
  EXPECT_STREQ(FindDemandRow(kAccommodationRow)->Name, "ACCOMMODATION");
  EXPECT_EQ(GetBlockBusinessTypeCount(29, kTypeApartments), 1);
}

}  // namespace
