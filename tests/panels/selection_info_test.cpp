#include <string>

#include "city/business.h"
#include "panels_fixture.h"
#include "ui/buttons.h"
#include "ui/rich_text.h"
#include "ui/scroll_bar.h"
#include "ui/spin_arrow.h"

namespace {

class SelectionInfoTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    CurrentInfoSelection() = InfoSelection{};
    for (CBusiness& b : g_Businesses) b = CBusiness{};
  }
  void TearDown() override {
    for (CBusiness& b : g_Businesses) b = CBusiness{};
    PanelsTest::TearDown();
  }
  CSelectionInfoPanel& panel() { return Hud().selection; }
  CInfoBlockPage& page() { return panel().blockPage; }

  // A block of a district (not civic, not a utility or railroad), made
  // ownable as a level's script does.
  int32_t OrdinaryBlock() {
    for (int32_t i = 0; i < kBlockCount; ++i) {
      CBlock& b = g_Blocks[size_t(i)];
      const BlockDef& d = g_BlockDefs[size_t(b.DefIndex)];
      const std::string key = d.Key;
      if (b.InUse && d.District != 0 && key.find("RAILROAD") == std::string::npos && key != "GASWORKS" &&
          key != "TELECOMS" && key != "VOLTARA_COMPANY" && key != "BRIGHTWELL_WORKS") {
        b.Ownable = 1;
        return i;
      }
    }
    return -1;
  }
  int32_t CivicBlock() {
    for (int32_t i = 0; i < kBlockCount; ++i)
      if (g_Blocks[size_t(i)].InUse && g_BlockDefs[size_t(g_Blocks[size_t(i)].DefIndex)].District == 0) return i;
    return -1;
  }
  void Select(int32_t block) {
    CurrentInfoSelection() = InfoSelection{};
    CurrentInfoSelection().block = block;
    panel().ShowPage(kInfoBlockPage);
    Settle();
  }
  // The panel's model reaches its open frame, where the page is entered.
  void Settle() {
    panel().layoutModel->frame = 9;
    panel().OnEvent(kMsgFrameTick, 0, 0);
  }
  // A business of `type` owned by `owner` (0 the city) in a new building on
  // the first free lot of the block.
  CBusiness& AddBusiness(int32_t block, int32_t type, int32_t owner, uint16_t rent) {
    CBlock& b = g_Blocks[size_t(block)];
    for (int32_t x = 0; x < kLotsPerSide; ++x)
      for (int32_t z = 0; z < kLotsPerSide; ++z) {
        if (!b.IsLotRegionFreeRect(x, z, x, z)) continue;
        CBuilding* building = AllocBuilding();
        EXPECT_NE(building, nullptr);
        EXPECT_TRUE(b.PlaceBuilding(building, x, z, x, z, 1, 0, kKindRetail, 0, 1.0f));
        const int32_t index = AllocBusiness(type, owner, building->Id);
        building->BusinessIndex = index;
        CBusiness& business = *GetBusiness(index);
        business.Owner = int8_t(owner);
        business.GroundRent = rent;
        return business;
      }
    ADD_FAILURE() << "no free lot";
    return g_Businesses[0];
  }
  // A view button as the mouse clicks it: it switches on, then tells the panel.
  void ClickMode(int32_t i) {
    panel().ModeButton(i)->SetPressed(true);
    panel().OnEvent(kNotifyClicked, panel().ModeButton(i)->id, 0);
  }
  static std::string Column(const CRichTextBase& list) {
    std::string s;
    for (int32_t l = 0; l < list.left.LineCount(); ++l) s += list.left.LineText(l) + "|";
    return s;
  }
};

TEST_F(SelectionInfoTest, ReopeningEntersThePageOnlyAtFrameNine) {
  Select(OrdinaryBlock());
  ASSERT_GT(panel().statusStrip->LineCount(), 0);
  panel().OnEvent(kNotifyClicked, panel().openClose->id, 0);  // close
  EXPECT_EQ(panel().statusStrip->LineCount(), 0);
  panel().OnEvent(kNotifyClicked, panel().openClose->id, 0);  // open again
  EXPECT_TRUE(panel().layoutPending);
  panel().layoutModel->frame = 4;
  panel().OnEvent(kMsgFrameTick, 0, 0);
  EXPECT_EQ(panel().statusStrip->LineCount(), 0) << "entered before the model reached frame 9";
  panel().layoutModel->frame = 9;
  panel().OnEvent(kMsgFrameTick, 0, 0);
  EXPECT_FALSE(panel().layoutPending);
  EXPECT_GT(panel().statusStrip->LineCount(), 0);
}

TEST_F(SelectionInfoTest, PagesThreeAndFourAreIgnored) {
  Select(OrdinaryBlock());
  for (int32_t missing : {3, 4, 6, -1}) {
    panel().ShowPage(missing);
    EXPECT_EQ(panel().page, kInfoBlockPage);
  }
}

TEST_F(SelectionInfoTest, CivicBlockShowsTheSummaryOnly) {
  Select(CivicBlock());
  EXPECT_TRUE(panel().ModeButton(0)->visible);
  EXPECT_FALSE(panel().ModeButton(1)->visible);
  EXPECT_FALSE(panel().ModeButton(2)->visible);
  EXPECT_TRUE(panel().TabButton(0)->visible);
  for (int32_t i = 1; i < 5; ++i) EXPECT_FALSE(panel().TabButton(i)->visible);
  EXPECT_TRUE(page().summary->visible);
  EXPECT_EQ(page().listMode, kBlockSummary);
}

TEST_F(SelectionInfoTest, LeaseOfferNeverBelowTheLeasePrice) {
  AddPlayer("Ada", 0, 50000);
  const int32_t block = OrdinaryBlock();
  g_Blocks[size_t(block)].Prestige = 5;  // a price above the spin arrow's start of 1000
  const float price = g_Blocks[size_t(block)].GetLeasePrice();
  ASSERT_GT(price, 1000.0f);
  Select(block);
  ClickMode(1);
  ASSERT_EQ(page().view, kBlockViewLease);
  EXPECT_GE(page().offer->value, price);
  EXPECT_EQ(page().offer->minimum, price);
  EXPECT_TRUE(page().leaseButton->visible);

  // The owner is offered half the price to give it up.
  g_Blocks[size_t(block)].Owner = 1;
  panel().RefreshPage();
  EXPECT_EQ(page().offer->value, float(int32_t(price / 2)));
  EXPECT_EQ(page().leaseButton->labelTextId, 48);
}

TEST_F(SelectionInfoTest, LeaseButtonPostsTheRequestAndMarksItPending) {
  AddPlayer("Ada", 0, 50000);
  const int32_t block = OrdinaryBlock();
  Select(block);
  ClickMode(1);
  EventQueue().Clear();
  panel().OnEvent(kNotifyClicked, page().leaseId, 0);
  EXPECT_EQ(g_Blocks[size_t(block)].RequestPending, 1);
  EXPECT_EQ(g_Blocks[size_t(block)].Owner, 0) << "the page changes no record itself";
  EXPECT_FALSE(PostedMessages().empty());
  EXPECT_FALSE(page().leaseButton->visible);
  page().OnBlockRequestAnswered(block, true);
  EXPECT_EQ(g_Blocks[size_t(block)].RequestPending, 0);
}

TEST_F(SelectionInfoTest, PeriodArrowsWrap) {
  const int32_t block = OrdinaryBlock();
  AddBusiness(block, 0, 0, 10);
  Select(block);
  panel().OnEvent(kNotifyClicked, panel().TabButton(2)->id, 0);
  ASSERT_EQ(page().listMode, kBlockProfit);
  EXPECT_TRUE(page().leftArrow->visible);
  const struct { int32_t arrow, expected; } steps[] = {{page().rightId, 0}, {page().leftId, 1}, {page().leftId, 0},
                                                       {page().leftId, 1}};
  for (const auto& s : steps) {
    panel().OnEvent(kNotifyClicked, s.arrow, 0);
    EXPECT_EQ(page().profitPeriod, s.expected);
  }
}

TEST_F(SelectionInfoTest, GroundRentGroupsByOwnerWithTotals) {
  AddPlayer("Ada", 0);
  AddPlayer("Bob", 1);
  const int32_t block = OrdinaryBlock();
  g_Blocks[size_t(block)].Owner = 2;  // Bob holds the lease
  AddBusiness(block, 0, 0, 7);        // the city's
  AddBusiness(block, 0, 1, 11);       // Ada's
  AddBusiness(block, 0, 2, 13);       // Bob's own
  AddBusiness(block, 0, 2, 17);
  Select(block);
  panel().OnEvent(kNotifyClicked, panel().TabButton(1)->id, 0);
  const std::string left = Column(*page().rentList);
  // Bob's group first, then Ada, the city last.
  const size_t bob = left.find("Bob"), ada = left.find("Ada|");
  EXPECT_NE(bob, std::string::npos) << left;
  EXPECT_NE(ada, std::string::npos) << left;
  EXPECT_LT(bob, ada) << left;
  std::string right;
  for (int32_t l = 0; l < page().rentList->right.LineCount(); ++l) right += page().rentList->right.LineText(l) + "|";
  EXPECT_NE(right.find("18.00"), std::string::npos) << right;  // others: 7 + 11
  EXPECT_NE(right.find("30.00"), std::string::npos) << right;  // the owner's own: 13 + 17
}

TEST_F(SelectionInfoTest, ListWithoutBusinessesShowsTheEmptyLine) {
  Select(OrdinaryBlock());
  panel().OnEvent(kNotifyClicked, panel().TabButton(3)->id, 0);
  EXPECT_TRUE(page().valueList->visible);
  EXPECT_FALSE(page().valueScroll->visible);
  EXPECT_FALSE(page().leftArrow->visible);
  EXPECT_EQ(page().valueList->left.LineCount(), 1);
}

}  // namespace
