#include <string>
#include "ui/layout_model.h"

#include "city/business.h"
#include "city/households.h"
#include "city/local_drafts.h"
#include "city/people.h"
#include "panels_fixture.h"
#include "panels/panel_events.h"
#include "ui/line_chart.h"
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
  CInfoBusinessPage& business() { return panel().businessPage; }
  // Shows the business page of the building of `x`.
  void SelectBusiness(const CBusiness& x) {
    const CBuilding* b = GetBuilding(x.Building);
    CurrentInfoSelection() = InfoSelection{};
    CurrentInfoSelection().block = b->Block->Index;
    CurrentInfoSelection().building = b->Id;
    CurrentInfoSelection().business = true;
    panel().ShowPage(kInfoBusinessPage);
    Settle();
  }
  // Shop types a one-lot, one-floor building fits.
  static void MakeShopTypesFit(std::initializer_list<int32_t> types) {
    for (int32_t t : types) {
      BusinessType& row = g_BusinessTypes[size_t(t)];
      row.Available = 1;
      row.MinArea = 1, row.MaxArea = 49, row.MaxSide = 7, row.MinHeight = 1, row.MaxHeight = 9;
    }
  }
  static std::vector<int32_t> LineValues(const CRichTextBase& list) {
    std::vector<int32_t> v;
    for (int32_t l = 0; l < list.LongerColumn(); ++l) v.push_back(list.GetLineValue(l));
    return v;
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

// Folded, the panel's model slides down until only its tab shows at the
// bottom of the screen: the side bar and the open/close button go down with
// it, and the pointer on the tab finds the button, not the city behind.
TEST_F(SelectionInfoTest, TheFoldedPanelsTabGoesDownWithItsModelAndTakesTheClick) {
  Select(OrdinaryBlock());
  panel().Open();  // shown, as the level's start shows it
  const UIRect openTab = panel().openClose->Rect();
  panel().OnEvent(kNotifyClicked, panel().openClose->id, 0);  // close
  panel().layoutModel->frame = 0;                              // the model has folded
  panel().Update();
  const UIRect folded = LayoutFrameBounds(*panel().layoutModel->model, 0);
  const UIRect tab = panel().openClose->Rect();
  EXPECT_GE(tab.y1, folded.y1) << "the tab stayed where the open panel had it";
  EXPECT_LE(tab.y2, 480.0f) << "the folded tab is off the screen";
  EXPECT_GE(panel().backings[1].y1, folded.y1) << "the side bar stayed up the screen";
  const CLayoutEntity* model = panel().LayoutEntity();
  Ui().mouse.x = int32_t((tab.x1 + tab.x2) / 2 + model->x);
  Ui().mouse.y = int32_t((tab.y1 + tab.y2) / 2 + model->y);
  EXPECT_EQ(panel().PickWidget(), panel().openClose);
  Ui().mouse.y = int32_t((openTab.y1 + openTab.y2) / 2 + model->y);  // where the open tab was: the city's
  EXPECT_EQ(panel().PickWidget(), nullptr);
  panel().OnEvent(kNotifyClicked, panel().openClose->id, 0);  // open again
  panel().layoutModel->frame = 9;
  panel().Update();
  EXPECT_FLOAT_EQ(panel().openClose->Rect().y1, openTab.y1) << "the open panel's tab is back in its place";
  Ui().mouse = UiMouse{};
}

// Everything on the bar folds with it: the block page's view buttons (and
// their icons) slide down with the side bar, and once the panel has folded
// none is left over the city to be seen or clicked; opened again they are
// back where they were.
TEST_F(SelectionInfoTest, TheViewButtonsFoldWithTheBar) {
  Select(OrdinaryBlock());
  panel().Open();
  const CLayoutEntity* model = panel().LayoutEntity();
  std::array<UIRect, 3> open{};
  for (int32_t i = 0; i < 3; ++i) {
    ASSERT_TRUE(panel().ModeButton(i)->visible) << i;
    open[size_t(i)] = panel().ModeButton(i)->Rect();
  }
  const float barTop = panel().backings[1].y1;
  panel().OnEvent(kNotifyClicked, panel().openClose->id, 0);  // close
  panel().layoutModel->frame = 4;                              // half way down
  panel().Update();
  const float slid = panel().backings[1].y1 - barTop;
  ASSERT_GT(slid, 0.0f);
  for (int32_t i = 0; i < 3; ++i) {
    const CIconButton* b = panel().ModeButton(i);
    EXPECT_FLOAT_EQ(b->Rect().y1, open[size_t(i)].y1 + slid) << "button " << i << " stayed behind the bar";
    EXPECT_FLOAT_EQ(b->overlayRect.y1, b->Rect().y1) << "the icon of button " << i << " stayed behind";
  }
  panel().layoutModel->frame = 0;  // folded
  panel().Update();
  for (int32_t i = 0; i < 6; ++i) EXPECT_FALSE(panel().ModeButton(i)->visible) << i;
  for (const UIRect& r : open) {
    Ui().mouse.x = int32_t((r.x1 + r.x2) / 2 + model->x);
    Ui().mouse.y = int32_t((r.y1 + r.y2) / 2 + model->y);
    EXPECT_EQ(panel().PickWidget(), nullptr) << "a button is left where the open panel had it";
  }
  Ui().mouse = UiMouse{};
  panel().OnEvent(kNotifyClicked, panel().openClose->id, 0);  // open again
  Settle();
  panel().Update();
  for (int32_t i = 0; i < 3; ++i) {
    const CIconButton* b = panel().ModeButton(i);
    EXPECT_TRUE(b->visible) << i;
    EXPECT_FLOAT_EQ(b->Rect().y1, open[size_t(i)].y1) << i;
    EXPECT_FLOAT_EQ(b->overlayRect.y1, open[size_t(i)].y1) << i;
  }
}

// A railroad or utility page shows its owner at the top whatever the last
// such page was scrolled to; the wheel over the list scrolls it, and the
// twice-a-second refresh keeps the place the player scrolled to.
TEST_F(SelectionInfoTest, AGroupPageOpensAtItsTopAndTheWheelScrollsIt) {
  AddPlayer("Ada", 0);
  const int32_t railroad = FindBlockByKey("Q_V_RAILROAD"), telecoms = FindBlockByKey("TELECOMS");
  ASSERT_GE(railroad, 0);
  ASSERT_GE(telecoms, 0);
  Select(railroad);
  CRichTextRect3& list = *page().specialList;
  ASSERT_TRUE(list.visible);
  ASSERT_GT(list.LongerColumn(), list.left.visibleLines) << "the list needs no scrolling here";
  for (int32_t i = 0; i < 40; ++i) list.OnEvent(kMsgWheelBack, 0, 0);
  const int32_t bottom = page().specialScroll->value;
  EXPECT_GT(bottom, 0) << "the wheel did not scroll the list";
  EXPECT_EQ(list.left.firstLine, bottom);
  panel().OnEvent(kMsgRefresh, 0, 0);
  page().specialScroll->OnEvent(kMsgMouseEntered, 0, 0);  // any event applies the bar's value
  EXPECT_EQ(list.left.firstLine, bottom) << "the refresh lost the player's place";
  list.OnEvent(kMsgWheelForward, 0, 0);
  EXPECT_EQ(list.left.firstLine, bottom - 1);
  Select(telecoms);
  page().specialScroll->OnEvent(kMsgMouseEntered, 0, 0);
  EXPECT_EQ(page().specialScroll->value, 0);
  EXPECT_EQ(list.left.firstLine, 0);
  // Scrolled to the end of its shares, then its summary tab: the top again.
  panel().OnEvent(kNotifyClicked, panel().TabButton(1)->id, 0);
  for (int32_t i = 0; i < 40; ++i) list.OnEvent(kMsgWheelBack, 0, 0);
  panel().OnEvent(kNotifyClicked, panel().TabButton(0)->id, 0);
  page().specialScroll->OnEvent(kMsgMouseEntered, 0, 0);
  EXPECT_EQ(list.left.firstLine, 0);
}

// The tabs, the status strip under them and the block's summary under that
// each keep their own rows of the main window.
TEST_F(SelectionInfoTest, TheTabsTheStatusStripAndTheSummaryDoNotOverlap) {
  Select(OrdinaryBlock());
  const UIRect strip = panel().statusStrip->Rect();
  for (int32_t i = 0; i < 5; ++i) EXPECT_LE(panel().TabButton(i)->Rect().y2, strip.y1) << "tab " << i;
  EXPECT_LE(strip.y2, page().summary->Rect().y1);
  // The rights view's button and its message stand below the strip, apart.
  EXPECT_LE(strip.y2, page().rightsButton->Rect().y1);
  EXPECT_LE(page().rightsButton->Rect().y2, page().rightsMessage->Rect().y1);
  // Its label lies on its face: one line, which a face too narrow would wrap
  // into two overhanging it.
  EXPECT_EQ(page().rightsButton->label.LineCount(), 1) << page().rightsButton->label.LineText(0);
}

// Every tab's icon fills its tab but a thin margin, wherever the tab stands
// on the screen.
TEST_F(SelectionInfoTest, TabIconsFillTheirTabs) {
  Select(OrdinaryBlock());
  for (int32_t i = 0; i < 5; ++i) {
    const CIconButton* t = panel().TabButton(i);
    const UIRect r = t->Rect(), icon = t->overlayRect;
    EXPECT_NEAR(icon.x2 - icon.x1, 0.95f * (r.x2 - r.x1), 0.01f) << "tab " << i;
    EXPECT_NEAR(icon.y2 - icon.y1, 0.95f * (r.y2 - r.y1), 0.01f) << "tab " << i;
    EXPECT_NEAR(icon.x1 + icon.x2, r.x1 + r.x2, 0.01f) << "tab " << i;
  }
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
  EXPECT_GT(panel().TabButton(0)->overlayImage, 0) << "the summary tab wears its icon";
}

// A view the block does not allow is greyed (its disabled face) and takes no
// clicks: the lease view of a block that cannot be leased, the rights view
// while nobody has rights on it.
TEST_F(SelectionInfoTest, ViewsTheBlockDoesNotAllowAreGreyed) {
  AddPlayer("Ada", 0, 50000);
  const int32_t block = OrdinaryBlock();
  CBlock& b = g_Blocks[size_t(block)];
  const int32_t disabledFace = panel().ModeButton(2)->imageDisabled;
  b.BuildingRights = kRightsNone;
  Select(block);
  EXPECT_FALSE(panel().ModeButton(1)->disabled);
  EXPECT_TRUE(panel().ModeButton(2)->disabled);
  EXPECT_TRUE(panel().ModeButton(2)->inputDisabled);
  EXPECT_EQ(panel().ModeButton(2)->ChooseImage(), disabledFace);

  const uint8_t ownable = b.Ownable;
  b.Ownable = 0;
  Select(block);
  EXPECT_TRUE(panel().ModeButton(1)->disabled);
  EXPECT_EQ(panel().ModeButton(1)->ChooseImage(), disabledFace);
  b.Ownable = ownable;

  b.BuildingRights = kRightsGranted;
  Select(block);
  EXPECT_FALSE(panel().ModeButton(2)->disabled);
  EXPECT_NE(panel().ModeButton(2)->ChooseImage(), disabledFace);
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
  EXPECT_EQ(LocalBlockMarks(block).Request, 1);
  EXPECT_EQ(g_Blocks[size_t(block)].Owner, 0) << "the page changes no record itself";
  EXPECT_FALSE(PostedMessages().empty());
  EXPECT_FALSE(page().leaseButton->visible);
  // The lease view says the request waits for its answer.
  EXPECT_TRUE(page().pendingMessage->visible);
  std::string said;
  for (int32_t l = 0; l < page().pendingMessage->LineCount(); ++l)
    said += (l ? " " : "") + page().pendingMessage->LineText(l);
  EXPECT_EQ(said, "A request for this block is waiting for an answer.");
  page().OnBlockRequestAnswered(block, true);
  EXPECT_EQ(LocalBlockMarks(block).Request, 0);
}

// An auction of the block shown in the lease view takes the page to its
// lists: the lease view's lines go, the summary shows alone.
TEST_F(SelectionInfoTest, ARequestUnderWayTakesTheLeaseViewToTheLists) {
  AddPlayer("Ada", 0, 50000);
  const int32_t block = OrdinaryBlock();
  Select(block);
  ClickMode(1);
  ASSERT_EQ(page().view, kBlockViewLease);
  LocalBlockMarks(block).Request = 2;
  panel().NotifyBlockAuction(block);
  EXPECT_EQ(page().view, kBlockViewLists);
  for (const CTextRect* line : page().leaseLines) EXPECT_FALSE(line->visible);
  EXPECT_FALSE(page().leaseButton->visible);
  EXPECT_TRUE(page().summary->visible);
}

// The waiting request's message belongs to its block's lease view: it goes
// with the view and never shows on the summary or on another block's page.
TEST_F(SelectionInfoTest, TheWaitingRequestsMessageStaysInItsLeaseView) {
  AddPlayer("Ada", 0, 50000);
  const int32_t block = OrdinaryBlock();
  Select(block);
  ClickMode(1);
  panel().OnEvent(kNotifyClicked, page().leaseId, 0);
  ASSERT_TRUE(page().pendingMessage->visible);
  panel().NotifyBlockAuction(block);
  EXPECT_EQ(page().view, kBlockViewLists);
  EXPECT_FALSE(page().pendingMessage->visible) << "over the summary";
  int32_t other = block + 1;
  while (!g_Blocks[size_t(other)].InUse) ++other;
  Select(other);
  panel().NotifyBlockAuction(block);
  EXPECT_FALSE(page().pendingMessage->visible) << "on another block's page";
}

// A lease that went to auction and was won: the auction took the page to
// its lists, and the rights view opens once the block is the player's,
// with no second pick of the block. The events come as the session sends
// them: the auction's end answers the request, then the block passes.
TEST_F(SelectionInfoTest, ALeaseWonAtAuctionLeavesTheRightsViewOpen) {
  CPlayer* ada = AddPlayer("Ada", 0, 50000);
  const int32_t block = OrdinaryBlock();
  Select(block);
  ClickMode(1);
  panel().OnEvent(kNotifyClicked, page().leaseId, 0);
  ASSERT_TRUE(panel().ModeButton(2)->inputDisabled);
  HandlePanelGameEvent(AuctionEvent{kAuctionAnnounced, block, 0, 1000, 120});
  ASSERT_EQ(page().view, kBlockViewLists);
  HandlePanelGameEvent(BlockAnsweredEvent{block, 0});
  HandlePanelGameEvent(AuctionEvent{kAuctionEnded, block, 1, 1000, 0});
  ada->TakeBlock(block, 1000);
  HandlePanelGameEvent(BlockAnsweredEvent{block, 0});
  EXPECT_FALSE(panel().ModeButton(2)->inputDisabled);
  ClickMode(2);
  EXPECT_EQ(page().view, kBlockViewRights);
  EXPECT_TRUE(page().rightsButton->visible);
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

// Each business's row picks its building when clicked.
TEST_F(SelectionInfoTest, GroundRentRowsPickTheirBuildings) {
  const int32_t block = OrdinaryBlock();
  const CBusiness& shop = AddBusiness(block, 0, 0, 7);
  Select(block);
  panel().OnEvent(kNotifyClicked, panel().TabButton(1)->id, 0);
  std::vector<std::pair<int32_t, int32_t>> picked;  // object index, building
  struct Picker : UiGame {
    std::vector<std::pair<int32_t, int32_t>>* picked = nullptr;
    bool ObjectExists(const UiObjectRef&) override { return true; }
    void SelectObject(const UiObjectRef& o, int32_t building) override { picked->emplace_back(o.index, building); }
  } picker;
  picker.picked = &picked;
  UiGame* const saved = Ui().game;
  Ui().game = &picker;
  int32_t rows = 0;
  for (CRichTextLink* link : page().rentList->lineLink)
    if (link->targetBuilding == shop.Building) {
      ++rows;
      link->OnEvent(kNotifyClicked, link->button ? link->button->id : 0, 0);
    }
  Ui().game = saved;
  EXPECT_EQ(rows, 1);
  EXPECT_EQ(picked, (std::vector<std::pair<int32_t, int32_t>>{{block, shop.Building}}));
}

TEST_F(SelectionInfoTest, ListWithoutBusinessesShowsTheEmptyLine) {
  Select(OrdinaryBlock());
  panel().OnEvent(kNotifyClicked, panel().TabButton(3)->id, 0);
  EXPECT_TRUE(page().valueList->visible);
  EXPECT_FALSE(page().valueScroll->visible);
  EXPECT_FALSE(page().leftArrow->visible);
  EXPECT_EQ(page().valueList->left.LineCount(), 1);
}

TEST_F(SelectionInfoTest, UtilityGroupSumsEveryBusinesssNeedAndSharesLeaveTheOwnerOut) {
  AddPlayer("Ada", 0);
  const int32_t works = FindBlockByKey("BRIGHTWELL_WORKS");
  ASSERT_GE(works, 0);
  g_Blocks[size_t(works)].Owner = 1;
  g_BusinessTypes[0].WaterNeed = 2.5f;  // per footprint unit
  AddBusiness(OrdinaryBlock(), 0, 0, 5);  // the city's: one unit
  AddBusiness(OrdinaryBlock(), 0, 1, 5);  // Ada's: one unit
  Select(works);
  EXPECT_EQ(page().listMode, kBlockSummary);
  EXPECT_TRUE(page().specialList->visible);
  std::string right;
  for (int32_t l = 0; l < page().specialList->right.LineCount(); ++l)
    right += page().specialList->right.LineText(l) + "|";
  EXPECT_NE(right.find("5.00|"), std::string::npos) << right;  // the whole group: 2 x 2.50
  EXPECT_NE(right.find("1.25"), std::string::npos) << right;   // a quarter of it
  panel().OnEvent(kNotifyClicked, panel().TabButton(1)->id, 0);
  ASSERT_EQ(page().listMode, kBlockShares);
  EXPECT_EQ(panel().statusStrip->LineText(0), "Water works shares");
  const std::string shares = Column(*page().specialList);
  EXPECT_EQ(shares.find("Ada|"), std::string::npos) << "the owner's share is the last line, not a row";
  EXPECT_NE(shares.find("The City"), std::string::npos) << shares;
  g_BusinessTypes[0] = BusinessType{};
  ResetBusinessTypes();
}

TEST_F(SelectionInfoTest, LandscapeBusinessShowsAreaAndStarsOnly) {
  const int32_t block = OrdinaryBlock();
  CBusiness& park = AddBusiness(block, kTypeLandscape, 0, 0);
  park.Kind = kBusinessLandscape;
  SelectBusiness(park);
  ASSERT_EQ(panel().page, kInfoBusinessPage);
  const std::string lines = Column(*business().infoList);
  EXPECT_NE(lines.find("Area"), std::string::npos) << lines;
  EXPECT_NE(lines.find("Star rating"), std::string::npos) << lines;
  EXPECT_EQ(lines.find("Ground rent"), std::string::npos) << lines;
  EXPECT_EQ(lines.find("Profit"), std::string::npos) << lines;
  EXPECT_FALSE(business().leftArrow->visible);
  for (int32_t i : {1, 2, 3}) EXPECT_TRUE(panel().ModeButton(i)->inputDisabled) << i;
}

TEST_F(SelectionInfoTest, SubPageArrowsWrapAndTheGraphKeepsZeroInView) {
  const int32_t block = OrdinaryBlock();
  CBusiness& shop = AddBusiness(block, 0, 0, 5);
  shop.Kind = kBusinessShop;
  SelectBusiness(shop);
  ASSERT_TRUE(business().leftArrow->visible);
  const struct { int32_t arrow, expected; } steps[] = {
      {business().leftId, 2}, {business().leftId, 1}, {business().rightId, 2}, {business().rightId, 0}};
  for (const auto& s : steps) {
    panel().OnEvent(kNotifyClicked, s.arrow, 0);
    EXPECT_EQ(business().subPage, s.expected);
  }
  const CChart chart = ProfitGraphChart({40, 40, 40, 40}, 1950);
  EXPECT_EQ(chart.dataMinY, 0.0f);
  EXPECT_LE(chart.viewY, 0.0f);
  EXPECT_GE(chart.viewY + chart.viewHeight, 40.0f);
  const CChart losses = ProfitGraphChart({-10, -30, -20, -5}, 1950);
  EXPECT_EQ(losses.dataMaxY, 0.0f);
  // Every grid line of the profit axis carries its amount.
  EXPECT_EQ(chart.yKind, kChartMoney);
  EXPECT_EQ(chart.yLinesPerLabel, 1);
}

// The page's income, costs and profit are the day's account lines, so its
// profit is the figure the profit graph beneath it ends on.
TEST_F(SelectionInfoTest, IncomeCostsAndProfitAgreeWithTheAccountAndTheGraph) {
  const int32_t block = OrdinaryBlock();
  const struct {
    int32_t kind;
    float sales, rents, stock, groundRent, gas, other;
    const char *income, *costs, *profit;
  } cases[] = {
      {kBusinessShop, 45.5f, 0, -20, -5, -1.25f, 0, "$45.50", "$26.25", "$19.25"},
      {kBusinessShop, 6.8f, 0, -30, -10, -1.2f, 2, "$6.80", "$39.20", "-$32.40"},
      {kBusinessResidence, 0, 24, 0, -6, -0.5f, 0, "$24.00", "$6.50", "$17.50"},
  };
  for (const auto& c : cases) {
    CBusiness& x = AddBusiness(block, 0, 0, 5);
    x.Kind = c.kind;
    x.Accounts[kLineSales] = c.sales;
    x.Accounts[kLineRentReceived] = c.rents;
    x.Accounts[kLineStock] = c.stock;
    x.Accounts[kLineGroundRent] = c.groundRent;
    x.Accounts[kLineGas] = c.gas;
    x.Accounts[kLineOther] = c.other;
    SelectBusiness(x);
    ASSERT_EQ(panel().page, kInfoBusinessPage);
    const CRichTextBase& list = *business().infoList;
    auto valueOf = [&](const std::string& label) {
      for (int32_t l = 0; l < list.left.LineCount(); ++l)
        if (list.left.LineText(l) == label) return list.right.LineText(l);
      return std::string("(no ") + label + ")";
    };
    EXPECT_EQ(valueOf("Income"), c.income) << c.profit;
    EXPECT_EQ(valueOf("Costs"), c.costs) << c.profit;
    EXPECT_EQ(valueOf("Profit"), c.profit);
    EXPECT_FLOAT_EQ(business().GraphProfits()[3], x.GetProfit());
    EXPECT_FLOAT_EQ(business().GraphProfits()[3], business().profit);
  }
}

TEST_F(SelectionInfoTest, TypeListOffersOtherShopTypesOnly) {
  AddPlayer("Ada", 0, 1e6f);
  const int32_t block = OrdinaryBlock();
  MakeShopTypesFit({0, 1, 2, 43, kTypeApartments});
  CBusiness& shop = AddBusiness(block, 0, 1, 5);
  shop.Kind = kBusinessShop;
  SelectBusiness(shop);
  ClickMode(3);
  ASSERT_EQ(business().view, kBusinessViewType);
  const std::vector<int32_t> rows = LineValues(*business().typeList);
  const std::vector<int32_t> expected = {g_BusinessTypes[1].NameTextId, g_BusinessTypes[2].NameTextId};
  EXPECT_EQ(rows, expected);

  // A row chosen, then the change posted: the record waits for the message.
  panel().OnEvent(kNotifyLineChosen, business().typeListId, 1);
  EXPECT_FALSE(business().changeTypeButton->inputDisabled);
  EventQueue().Clear();
  panel().OnEvent(kNotifyClicked, business().changeTypeId, 0);
  EXPECT_EQ(shop.Type, 0);
  ASSERT_EQ(PostedMessages().size(), 1u);
  EXPECT_EQ(PostedMessages()[0][0], 16);
  EXPECT_TRUE(business().changeTypeButton->inputDisabled);
  EXPECT_EQ(LocalBuildingMarks(shop.Building).Trade, 1);
  ResetBusinessTypes();
}

TEST_F(SelectionInfoTest, SellAndDemolishPostMessagesAndTheAnswersMoveThePage) {
  AddPlayer("Ada", 0, 1e6f);
  const int32_t block = OrdinaryBlock();
  CBusiness& shop = AddBusiness(block, 0, 1, 5);
  shop.Kind = kBusinessShop;
  SelectBusiness(shop);
  CBuilding& building = *GetBuilding(shop.Building);
  ClickMode(2);
  EXPECT_EQ(business().actionButton->labelTextId, 1416);
  EventQueue().Clear();
  panel().OnEvent(kNotifyClicked, business().actionId, 0);
  EXPECT_EQ(shop.Owner, 1) << "the page changes no record itself";
  EXPECT_EQ(LocalBuildingMarks(building.Id).Trade, 1);
  ASSERT_EQ(PostedMessages().size(), 1u);
  EXPECT_EQ(PostedMessages()[0][0], 17);
  business().OnBusinessTraded(building.Id);
  EXPECT_EQ(LocalBuildingMarks(building.Id).Trade, 0);
  EXPECT_EQ(business().view, kBusinessViewInfo);

  ClickMode(4);
  ASSERT_EQ(business().view, kBusinessViewDemolish);
  EventQueue().Clear();
  panel().OnEvent(kNotifyClicked, business().demolishId, 0);
  EXPECT_EQ(LocalBuildingMarks(building.Id).Demolish, 1);
  ASSERT_EQ(PostedMessages().size(), 1u);
  EXPECT_EQ(PostedMessages()[0][0], 14);
  business().OnDemolitionStarted(building.Id);
  EXPECT_EQ(panel().page, kInfoBlockPage);
  EXPECT_EQ(CurrentInfoSelection().building, -1);
}

TEST_F(SelectionInfoTest, PersonPageReadsTheHouseholdOnlyWhenThereIsOne) {
  CPerson& p = g_People[7];
  const CPerson saved = p;
  p = CPerson{};
  p.InUse = 1;
  p.Index = 7;
  p.Household = -1;  // a visitor without a household
  p.HomeBuilding = -1;
  CurrentInfoSelection() = InfoSelection{};
  CurrentInfoSelection().person = 7;
  panel().ShowPage(kInfoPersonPage);
  Settle();
  const CRichTextRect2& list = *panel().personPage.list;
  const std::string lines = Column(list);
  EXPECT_NE(lines.find("Household savings"), std::string::npos) << lines;
  EXPECT_EQ(lines.find("Home|"), std::string::npos) << "no home section without a home";
  EXPECT_EQ(lines.find("Rent"), std::string::npos);
  EXPECT_FALSE(panel().titleLine1->LineText(0).empty());
  p = saved;
}

// The work section names the business of the building the person works in,
// not the first business of the work block.
TEST_F(SelectionInfoTest, PersonPageNamesTheBusinessOfThePersonsOwnWorkplace) {
  const int32_t block = OrdinaryBlock();
  const CBusiness& first = AddBusiness(block, 0, 0, 10);
  const CBusiness& second = AddBusiness(block, 2, 0, 10);
  ASSERT_NE(first.GetTypeNameId(), second.GetTypeNameId());
  CPerson& p = g_People[7];
  const CPerson saved = p;
  const PersonCycle savedCycle = g_PersonCycles[7];
  p = CPerson{};
  p.InUse = 1;
  p.Index = 7;
  p.Household = -1;
  p.WorkBlock = uint8_t(block);
  DoorOf(second.Building, g_PersonCycles[7].WorkDoor);
  CurrentInfoSelection() = InfoSelection{};
  CurrentInfoSelection().person = 7;
  panel().ShowPage(kInfoPersonPage);
  Settle();
  std::string second_name, first_name;
  InterfaceTextSystem().GetTextAscii(second_name, second.GetTypeNameId());
  InterfaceTextSystem().GetTextAscii(first_name, first.GetTypeNameId());
  const std::string lines = Column(*panel().personPage.list);
  EXPECT_NE(lines.find(second_name), std::string::npos) << lines;
  EXPECT_EQ(lines.find(first_name), std::string::npos) << lines;
  p = saved;
  g_PersonCycles[7] = savedCycle;
}

}  // namespace

// An auction announced for the selected block while its lease is pending
// sends the page back to its lists with the rights button held, and shows
// the pending message.
TEST_F(SelectionInfoTest, AnAuctionOfTheSelectedBlockHoldsItsPage) {
  AddPlayer("Ada", 0, 50000);
  const int32_t block = OrdinaryBlock();
  Select(block);
  ClickMode(1);
  LocalBlockMarks(block).Request = 1;
  HandlePanelGameEvent(AuctionEvent{kAuctionAnnounced, block, 0, 1000, 120});
  EXPECT_TRUE(panel().ModeButton(0)->IsPressed());
  EXPECT_FALSE(panel().ModeButton(1)->IsPressed());
  EXPECT_TRUE(panel().ModeButton(2)->inputDisabled);
  EXPECT_GT(page().pendingMessage->LineCount(), 0);
  LocalBlockMarks(block).Request = 0;
}
