// Rich text: values beside or below their labels, kinds, links that follow
// the scroll and select city objects, selectable lines. Line charts: tidy
// steps, the fitted view, grid starts and the mitred line.
#include <cmath>

#include "ui/buttons.h"
#include "ui/line_chart.h"
#include "ui/rich_text.h"
#include "ui/scroll_bar.h"
#include "widget_kit_fixture.h"

namespace {

class RichTextTest : public WidgetKitTest {
 protected:
  void SetUp() override {
    WidgetKitTest::SetUp();
    rich_ = panel_.CreateRichTextRect3(20, 10, 10, 130, 110);  // 20 glyphs wide, 10 lines
  }
  CRichTextRect3* rich_ = nullptr;
};

TEST_F(RichTextTest, ValueGoesBesideItsLabelOrOnTheNextLine) {
  rich_->AddLabelF("Rent");
  rich_->AddValueF("$40");
  EXPECT_EQ(rich_->left.LineCount(), 1);
  EXPECT_EQ(rich_->right.LineText(0), "$40");
  rich_->AddLabelF("Income of the wing");  // 18 of 20 glyphs
  rich_->AddValueF("$12,875");
  EXPECT_EQ(rich_->right.LineCount(), 3);
  EXPECT_EQ(rich_->right.LineText(2), "$12,875");
  EXPECT_EQ(rich_->left.LineCount(), 3);
  EXPECT_EQ(rich_->left.LineText(2), " ");
  EXPECT_EQ(rich_->right.lineColour[2], 9);
}

TEST_F(RichTextTest, KindsColourLinesAndMarkSeparators) {
  rich_->AddHeadingF("Downtown");
  rich_->MarkSeparator();
  rich_->AddLabelF("Rent");
  EXPECT_EQ(rich_->left.lineColour[0], 16);
  EXPECT_EQ(rich_->left.lineColour[1], 0);
  EXPECT_EQ(rich_->lineMark[1], kRichMarked);
  EXPECT_EQ(rich_->lineKind[1], kRichLabel);
  renderer_.shaded.clear();
  renderer_.lines.clear();
  rich_->Draw(&entity_);
  EXPECT_EQ(renderer_.shaded.size(), 1u);  // the band after the heading
  EXPECT_EQ(renderer_.shaded[0].colours[0], TextColourTable[17]);
  EXPECT_EQ(renderer_.lines.size(), 1u);  // the separator
}

TEST_F(RichTextTest, OnlyTheVisibleLinesKeepTheirLinksAfterAScroll) {
  for (int32_t i = 0; i < 30; ++i) {
    rich_->AddLabelF("Block %d", i);
    rich_->SetLineLink(UiObjectRef{4, i}, -1);
  }
  ASSERT_EQ(rich_->left.visibleLines, 10);
  rich_->ScrollTo(5);
  for (int32_t i = 0; i < 30; ++i) EXPECT_EQ(rich_->lineLink[size_t(i)]->visible, i >= 5 && i < 15) << i;
  EXPECT_FLOAT_EQ(rich_->lineLink[5]->y1, float(rich_->left.lineTop));
}

TEST_F(RichTextTest, SelectionsSurviveClearAndOnlyTaggedLinesAreChosen) {
  rich_->SetHoverHighlight(true);
  rich_->AddLabelF("plain");
  rich_->AddTaggedLabelF(1, "tagged");
  rich_->AddTaggedLabelF(2, "owner's choice");
  const int32_t lh = rich_->left.lineHeight;
  Send(rich_, kMsgLeftHeld, 20, 10 + 3 + 0 * lh + 1, true);
  EXPECT_EQ(panel_.Count(kNotifyLineChosen), 0);
  Send(rich_, kMsgLeftHeld, 20, 10 + 3 + 1 * lh + 1, true);
  EXPECT_EQ(panel_.notes.back(), (LoggingPanel::Note{kNotifyLineChosen, 20, 1}));
  rich_->SelectLine(2);  // tag 2: only the owner selects it
  EXPECT_EQ(rich_->lineSelected[2], 1);
  EXPECT_EQ(rich_->lineSelected[1], 0);
  rich_->Clear();
  EXPECT_EQ(rich_->lineSelected[2], 1);
  rich_->ClearSelection();
  EXPECT_EQ(rich_->lineSelected[2], 0);
}

TEST_F(RichTextTest, LinkSelectsItsObjectOrHandsItsValueToThePanel) {
  // The game side: the plan view shows, the objects exist until told.
  struct Game : UiGame {
    int32_t mode = 3, selected = -1, tutorial = 0;
    bool exists = true;
    int32_t ScreenMode() override { return mode; }
    void SetScreenMode(int32_t m) override { mode = m; }
    bool ObjectExists(const UiObjectRef&) override { return exists; }
    void SelectObject(const UiObjectRef& ref, int32_t) override { selected = ref.index; }
    void FireTutorialEvent(int32_t e) override { tutorial = e; }
  } game;
  Ui().game = &game;
  int32_t& mode = game.mode;
  int32_t& selected = game.selected;
  int32_t& tutorial = game.tutorial;
  bool& exists = game.exists;
  rich_->AddLabelF("Block 7");
  rich_->SetLineLink(UiObjectRef{4, 7}, -1);
  CRichTextLink* link = rich_->lineLink[0];
  link->OnEvent(kNotifyClicked, 0, 0);
  EXPECT_EQ(mode, 0);
  EXPECT_EQ(selected, 7);
  EXPECT_EQ(tutorial, 6);
  EXPECT_EQ(panel_.Count(kNotifyLinkClicked), 1);
  exists = false;  // the object has gone: nothing happens
  selected = -1;
  link->OnEvent(kNotifyClicked, 0, 0);
  EXPECT_EQ(selected, -1);
  EXPECT_EQ(panel_.Count(kNotifyLinkClicked), 1);
  link->SetTarget(UiObjectRef{}, -1);
  link->SetValue(42);
  EXPECT_TRUE(link->visible);
  link->OnEvent(kNotifyClicked, 0, 0);
  EXPECT_EQ(panel_.notes[panel_.notes.size() - 2], (LoggingPanel::Note{kNotifyLinkValue, 42, 0}));
  EXPECT_EQ(panel_.notes.back().code, kNotifyLinkClicked);
  Ui().game = nullptr;
}

TEST_F(RichTextTest, ScrollBarFollowsTheRichTextAndScrollsIt) {
  CScrollBar* bar = panel_.CreateScrollBar(21, 130, 10, 100, true);
  bar->AttachRichText3(rich_);
  rich_->scrollBar = bar;
  for (int32_t i = 0; i < 25; ++i) rich_->AddLabelF("line %d", i);
  EXPECT_EQ(bar->maximum, 16.0f);  // 25 lines, 10 visible
  bar->value = 4;
  bar->ApplyValue();
  EXPECT_EQ(rich_->left.firstLine, 4);
  EXPECT_EQ(rich_->scrollPos, 4);
}

// ---- line charts ----------------------------------------------------------------

TEST(LineChartTest, TidyStepsAreFiveTenTwentyOrFiftyTimesAPowerOfTen) {
  const struct {
    float raw, step;
    bool twenty;
  } cases[] = {{3.2f, 2.0f, true},   {5.0f, 5.0f, true},   {12.0f, 10.0f, true},
               {0.07f, 0.05f, true}, {0.001f, 0.05f, true}, {3.2f, 5.0f, false},
               {700.0f, 500.0f, true},   {800.0f, 1000.0f, true}};
  for (const auto& c : cases) EXPECT_NEAR(TidyStep(c.raw, c.twenty), c.step, 1e-5) << c.raw;
  CChart chart;
  chart.xKind = kChartNumber;
  chart.xLinesPerLabel = 1;
  EXPECT_NEAR(ChartXStep(chart, 3.2f), 5.0f, 1e-5);
  chart.xKind = kChartMoney;
  EXPECT_NEAR(ChartXStep(chart, 3.2f), 2.0f, 1e-5);
  chart.xLinesPerLabel = 0;  // no labels: still one line per step
  EXPECT_NEAR(ChartXStep(chart, 3.2f), 2.0f, 1e-5);
  // Cents of profit: money labels (whole dollars) a dollar apart at least,
  // not four labels of "$0".
  chart.yKind = kChartMoney;
  chart.yLinesPerLabel = 1;
  EXPECT_NEAR(ChartYStep(chart, 0.3f), 1.0f, 1e-5);
  chart.yLinesPerLabel = 2;
  EXPECT_NEAR(ChartYStep(chart, 0.3f), 0.5f, 1e-5);
  chart.yKind = kChartNumber;
  EXPECT_NEAR(ChartYStep(chart, 0.3f), 0.25f, 1e-5);
}

TEST(LineChartTest, ViewFitsTheDataAndGridStartsNearTheViewStart) {
  CChart chart;
  chart.dataMinX = 0, chart.dataMaxX = 10, chart.dataMinY = chart.dataMaxY = 100;
  CChart::FitViewToData(chart);
  EXPECT_FLOAT_EQ(chart.viewY, 99.0f);
  EXPECT_FLOAT_EQ(chart.viewY + chart.viewHeight, 110.0f);
  chart.dataMinY = 0, chart.dataMaxY = 40;
  CChart::FitViewToData(chart);
  EXPECT_FLOAT_EQ(chart.viewY, -10.0f);
  EXPECT_FLOAT_EQ(chart.viewHeight, 60.0f);
  chart.dataMaxX = 0;
  CChart::FitViewToData(chart);
  EXPECT_EQ(chart.viewWidth, 0.0f);
  EXPECT_FLOAT_EQ(FirstGridValue(0.9995f, 1.0f), 1.0f);
  EXPECT_FLOAT_EQ(FirstGridValue(1.0005f, 1.0f), 1.0f);
  EXPECT_FLOAT_EQ(FirstGridValue(1.5f, 1.0f), 2.0f);
}

TEST(LineChartTest, MitreGrowsAtCornersAndIsCappedAtReversals) {
  CChart chart;
  chart.plotWidth = chart.plotHeight = 100;
  chart.viewWidth = chart.viewHeight = 100;
  const float width = 2.0f;
  auto halfWidth = [&](std::vector<ChartPoint> pts, size_t k) {
    const auto v = ChartLineVertices(chart, pts, width);
    return std::hypot(v[k].upperX - v[k].lowerX, v[k].upperY - v[k].lowerY) / 2.0f;
  };
  EXPECT_NEAR(halfWidth({{0, 50}, {50, 50}, {100, 50}}, 1), 1.0f, 1e-4);
  EXPECT_NEAR(halfWidth({{0, 50}, {50, 50}, {50, 0}}, 1), 1.41421f, 1e-3);
  EXPECT_NEAR(halfWidth({{0, 50}, {50, 50}, {0, 51}}, 1), 10.0f, 1e-4);
  EXPECT_NEAR(halfWidth({{0, 50}, {50, 50}}, 0), 1.0f, 1e-4);  // ends cut upright
  EXPECT_TRUE(ChartLineVertices(chart, std::vector<ChartPoint>(1025, {1, 1}), width).empty());
  EXPECT_TRUE(ChartLineVertices(chart, std::vector<ChartPoint>(1, {1, 1}), width).empty());
}

}  // namespace
