// The business and rent panels: the rows a shop shows, price and rent steps
// with their floor, edits kept pending until the price message is
// delivered, the message sent on apply and on close, another owner's
// business viewed without live arrows, and the arrows' repeat by time.
#include "panels_fixture.h"

#include "city/buildings.h"
#include "city/economy.h"
#include "city/local_drafts.h"
#include "city/economy_fixture.h"
#include "engine/core/scheduler.h"
#include "session/event_queue.h"
#include "session/game_clock.h"
#include "ui/buttons.h"
#include "ui/drop_down.h"
#include "ui/interface_frame.h"
#include "ui/money_format.h"

namespace {

constexpr int32_t kBakery = 0;
constexpr int32_t kBread = 3;
constexpr int32_t kDrinks = 5;
constexpr int32_t kSweets = 6;
constexpr int kShopBlock = 10;

TEST(SteppedPriceTest, StepsOfOneTenthNeverBelowOneTenth) {
  struct Case {
    float price, delta, result;
  } const cases[] = {{0.15f, -0.1f, 0.1f}, {0.1f, -0.1f, 0.1f}, {0.1f, 0.1f, 0.2f}, {2.0f, -0.1f, 1.9f}, {0.0f, 0.1f, 0.1f}};
  for (const Case& c : cases) EXPECT_NEAR(SteppedPrice(c.price, c.delta), c.result, 1e-6f) << c.price << " " << c.delta;
}

class BusinessPanelTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    BuildTestCity();
    ResetEconomyTables();
    ResetBusinessRecords();
    AddPlayer("Ann", 1);
    AddPlayer("Bob", 2);
    Session().inGame = true;
    EconomyTest::DefineCommodity(kBread, 1.0f, 1.5f);
    EconomyTest::DefineCommodity(kDrinks, 1.0f, 1.25f);
    EconomyTest::DefineCommodity(kSweets, 0.5f, 2.0f);
    EconomyTest::DefineShopType(kBakery, {kBread, kDrinks, kSweets});
  }
  void TearDown() override {
    GamePanels().CloseAll();
    g_SelectedBuilding = nullptr;
    EventQueue().Clear();
    ResetBusinessRecords();
    BuildTestCity();
    PanelsTest::TearDown();
  }
  CBusiness& OpenShop(int32_t owner, int x = 0) {
    const int32_t building = EconomyTest::Place(kShopBlock, x, 0, x, 0, 1);
    return g_Businesses[size_t(EconomyTest::Open(kBakery, owner, building, true))];
  }
  CBusiness& OpenHome(int32_t owner) {
    g_BusinessTypes[kTypeApartments].Available = 1;
    g_BusinessTypes[kTypeApartments].Density = 1.0f;
    const int32_t building = EconomyTest::Place(kShopBlock, 3, 3, 3, 3, 2, kKindResidential);
    return g_Businesses[size_t(EconomyTest::Open(kTypeApartments, owner, building, true))];
  }
  static void Select(const CBusiness& b) { g_SelectedBuilding = &g_Buildings[size_t(b.Building)]; }
  static size_t Posted() { return PostedMessages().size(); }
  CBusinessPanel& Panel() { return Hud().business; }
  void Click(int32_t id) { Panel().OnEvent(kNotifyClicked, id, 0); }
};

TEST_F(BusinessPanelTest, ShowsTheTypesRowsAndTotalsAgainstTheCapacity) {
  CBusiness& shop = OpenShop(1);
  shop.Slots[0].SoldPerDay[shop.Day] = 7;
  shop.Slots[1].SoldPerDay[(shop.Day + 3) % 4] = 4;
  Select(shop);
  Panel().Open();
  ASSERT_TRUE(Panel().open);
  EXPECT_EQ(Joined(Panel().cells[0][0]), "Bread");
  EXPECT_EQ(Joined(Panel().cells[2][0]), FormatMoneyDecimal(shop.Price[0]));
  EXPECT_EQ(Joined(Panel().cells[6][0]), "7");
  EXPECT_EQ(Joined(Panel().cells[3][1]), "4");
  EXPECT_EQ(Panel().cells[0][3].LineCount(), 0);  // three slots: rows 3..5 empty
  EXPECT_FALSE(Panel().Arrow(CBusinessPanel::kPriceArrows + 6)->visible);
  const int32_t capacity = ShopStockCapacity(shop);
  EXPECT_EQ(capacity, 10);  // one lot, one floor, ten a unit
  const int32_t wanted = shop.StockTarget[0] + shop.StockTarget[1] + shop.StockTarget[2];
  EXPECT_EQ(Joined(Panel().totals[1]), std::to_string(wanted) + "/10");
  // Opening closed the selection panel in its place; closing opens it again.
  EXPECT_FALSE(GamePanels().Panel(kHudSelectionInfo)->open);
  Panel().Close();
  EXPECT_TRUE(GamePanels().Panel(kHudSelectionInfo)->open);
}

TEST_F(BusinessPanelTest, EditsWaitForTheMessageAndCloseSendsThem) {
  CBusiness& shop = OpenShop(1);
  shop.Price[0] = 0.15f;
  Select(shop);
  Panel().Open();
  EXPECT_TRUE(Panel().apply->disabled);
  // Row 0's arrows are live for the owner, no other row's.
  EXPECT_FALSE(Panel().Arrow(CBusinessPanel::kPriceArrows)->disabled);
  EXPECT_TRUE(Panel().Arrow(CBusinessPanel::kPriceArrows + 2)->disabled);
  Click(CBusinessPanel::kPriceArrows);  // 0.15 - 0.1: the floor
  EXPECT_NEAR(BusinessDraftOf(shop).Price[0], 0.1f, 1e-6f);
  EXPECT_FLOAT_EQ(shop.Price[0], 0.15f);  // the shared record waits for delivery
  EXPECT_TRUE(BusinessDraftChanged(shop.Index));
  EXPECT_FALSE(Panel().apply->disabled);
  Click(CBusinessPanel::kPriceArrows + 3);  // row 1 up
  EXPECT_EQ(Posted(), 0u);
  // Closing without apply still sends, once, for the owner.
  Panel().Close();
  ASSERT_EQ(Posted(), 1u);
  EXPECT_EQ(PostedMessages()[0][0], kPriceMessageType);
  EXPECT_EQ(EventQueue().LogicList()[0].message.Sender(), 1);
  EXPECT_FALSE(BusinessDraftChanged(shop.Index));
  // Delivered: the record takes the new prices.
  LogicTick() = EventQueue().LogicList()[0].due;
  EventQueue().DispatchDue();
  EXPECT_NEAR(shop.Price[0], 0.1f, 1e-6f);
}

TEST_F(BusinessPanelTest, ApplySendsAndStockArrowsKeepWithinTheCapacity) {
  CBusiness& shop = OpenShop(1);
  Select(shop);
  Panel().Open();
  const int16_t before = BusinessDraftOf(shop).StockTarget[0];
  for (int i = 0; i < 20; ++i) Click(CBusinessPanel::kStockArrows + 1);
  EXPECT_GT(BusinessDraftOf(shop).StockTarget[0], before - 1);
  int32_t total = 0;
  for (int s = 0; s < 3; ++s) total += BusinessDraftOf(shop).StockTarget[s];
  EXPECT_LE(total, ShopStockCapacity(shop));
  Click(CBusinessPanel::kApply);
  EXPECT_EQ(Posted(), 1u);
  EXPECT_TRUE(Panel().apply->disabled);
  Panel().Close();  // nothing left to send
  EXPECT_EQ(Posted(), 1u);
}

TEST_F(BusinessPanelTest, AnotherOwnersShopIsViewedWithoutLiveArrows) {
  CBusiness& shop = OpenShop(2);
  const float price = BusinessDraftOf(shop).Price[0];
  Select(shop);
  Panel().Open();
  for (CIconButton* a : Panel().arrows) EXPECT_TRUE(a->disabled);
  // Hovering a row changes nothing, and a click that gets through neither.
  Panel().Update();
  for (CIconButton* a : Panel().arrows) EXPECT_TRUE(a->disabled);
  Click(CBusinessPanel::kPriceArrows + 1);
  EXPECT_EQ(BusinessDraftOf(shop).Price[0], price);
  EXPECT_FALSE(BusinessDraftChanged(shop.Index));
  Panel().Close();
  EXPECT_EQ(Posted(), 0u);
}

TEST_F(BusinessPanelTest, ListsTheOwnersShopsAndClosesOffAShop) {
  CBusiness& first = OpenShop(1, 0);
  CBusiness& second = OpenShop(1, 2);
  OpenShop(2, 4);
  Select(first);
  Panel().Open();
  EXPECT_EQ(Panel().list->count, 2);  // the owner's two shops
  Click(CBusinessPanel::kNext);
  EXPECT_TRUE(g_SelectedBuilding == &g_Buildings[size_t(second.Building)] ||
              g_SelectedBuilding == &g_Buildings[size_t(first.Building)]);
  const CBuilding* before = g_SelectedBuilding;
  Click(CBusinessPanel::kNext);
  EXPECT_NE(g_SelectedBuilding, before);  // wrapped round to the other one
  // A residence or nothing selected: the panel closes itself.
  g_SelectedBuilding = nullptr;
  Panel().OnEvent(kMsgFrameTick, 0, 0);
  EXPECT_FALSE(Panel().open);
}

TEST_F(BusinessPanelTest, CityShopsListAsTheCity) {
  CBusiness& shop = OpenShop(0);
  Select(shop);
  Panel().Open();
  ASSERT_EQ(Panel().list->count, 1);
  EXPECT_EQ(Panel().list->list.LineText(0).rfind("The City: ", 0), 0u) << Panel().list->list.LineText(0);
}

TEST_F(BusinessPanelTest, RentPanelStepsTheRentAndSendsOnClose) {
  CRentPanel& rent = Hud().rent;
  // No business on the selection: the rent panel closes at once.
  g_SelectedBuilding = nullptr;
  OpenBusinessPanelForSelection();
  EXPECT_FALSE(rent.open);
  CBusiness& home = OpenHome(1);
  home.RentPerPlace = 0.15f;
  Select(home);
  OpenBusinessPanelForSelection();
  ASSERT_TRUE(rent.open);
  EXPECT_FALSE(Hud().business.open);
  EXPECT_FALSE(rent.buttons[CRentPanel::kLower]->disabled);
  // The row's name, after its icon, ends before the rent's lower arrow.
  const float nameEnd = rent.ElementRect("BAP_COM_COMMODITY_LIST").x1 + 19 + float(rent.rowText.LineWidth(0));
  EXPECT_LE(nameEnd, rent.buttons[CRentPanel::kLower]->Rect().x1) << rent.rowText.LineText(0);
  rent.OnEvent(kNotifyClicked, CRentPanel::kLower, 0);
  rent.OnEvent(kNotifyClicked, CRentPanel::kLower, 0);
  EXPECT_NEAR(BusinessDraftOf(home).Rent, 0.1f, 1e-6f);
  EXPECT_FLOAT_EQ(home.RentPerPlace, 0.15f);
  EXPECT_EQ(Joined(rent.rent), FormatMoneyDecimal(0.1f));
  rent.OnEvent(kNotifyClicked, CRentPanel::kTenantsLeft, 0);
  EXPECT_EQ(Joined(rent.tenantsHeader), "Last day");
  rent.Close();
  EXPECT_EQ(Posted(), 1u);
  // Another owner's residence: its rent buttons stay disabled.
  home.Owner = 2;
  Select(home);
  rent.Open();
  EXPECT_TRUE(rent.buttons[CRentPanel::kRaise]->disabled);
  rent.OnEvent(kNotifyClicked, CRentPanel::kRaise, 0);
  EXPECT_NEAR(BusinessDraftOf(home).Rent, 0.1f, 1e-6f);
}

// The arrows repeat by the interface's time, whatever the game's speed and
// the frames' length: the program's interface task on a scheduler whose
// clock the test moves, the mouse held on the arrow for a click (150 ms: one
// step) or a hold (390 ms: the press, then every step from the twelfth of
// nineteen).
uint32_t g_clockMs = 0;

TEST_F(BusinessPanelTest, ArrowsStepByTimeAtEverySpeed) {
  CBusiness& shop = OpenShop(1);
  CBusiness& home = OpenHome(1);
  struct Widget {
    const char* name;
    CBusiness* business;
    float (*value)(const BusinessDraft&);  // the figure the arrow edits in the owner's draft
    CIconButton* (*arrow)(HudPanelObjects&);
  } const widgets[] = {
      {"price", &shop, [](const BusinessDraft& d) { return d.Price[0]; },
       [](HudPanelObjects& h) { return h.business.Arrow(CBusinessPanel::kPriceArrows + 1); }},
      {"rent", &home, [](const BusinessDraft& d) { return d.Rent; },
       [](HudPanelObjects& h) { return h.rent.buttons[CRentPanel::kRaise]; }},
  };
  struct Case {
    int32_t ticksPerCall;
    uint32_t passMs;
    uint32_t holdMs;
    int32_t steps;
  } const cases[] = {
      {1, 10, 150, 1}, {4, 10, 150, 1}, {1, 39, 156, 1}, {4, 39, 156, 1},
      {1, 10, 390, 9}, {4, 10, 390, 9}, {1, 39, 390, 9}, {4, 39, 390, 9},
  };
  CScheduler scheduler;
  scheduler.SetClock([] { return g_clockMs; });
  for (const Widget& w : widgets) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << w.name << " speed " << c.ticksPerCall << " pass " << c.passMs << " ms, held "
                                      << c.holdMs << " ms");
      GamePanels().CloseAll();
      Select(*w.business);
      OpenBusinessPanelForSelection();
      Session().ticksPerCall = c.ticksPerCall;
      scheduler.Init();
      scheduler.AddTask(50.0f, [] { RunInterfaceInput(nullptr, Session().ticksPerCall, nullptr); }, 1, true);
      auto run = [&](uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += c.passMs) {
          g_clockMs += c.passMs;
          scheduler.Run(false);
        }
      };
      // The panel slides in first; then the mouse goes over the arrow.
      g_InputState.leftButton = 0;
      run(2000);
      CIconButton* arrow = w.arrow(Hud());
      const UIRect r = MovedRect(arrow->Rect(), arrow->OwnerModel());
      g_InputState.uiCursorX = int32_t((r.x1 + r.x2) / 2);
      g_InputState.uiCursorY = int32_t((r.y1 + r.y2) / 2);
      run(100);
      const float before = w.value(BusinessDraftOf(*w.business));
      g_InputState.leftButton = 1;
      run(c.holdMs);
      g_InputState.leftButton = 0;
      run(100);
      const float after = w.value(BusinessDraftOf(*w.business));
      EXPECT_NEAR(after - before, 0.1f * float(c.steps), 1e-3f);
    }
  }
  g_InputState.uiCursorX = g_InputState.uiCursorY = 0;
}

}  // namespace
