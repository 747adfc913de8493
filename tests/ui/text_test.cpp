// The text widget (formatter, alignment, scrolling, flashing), the glyph
// batcher and money formatting.
#include <cstring>
#include <string>

#include "ui/glyph_batcher.h"
#include "ui/text_rect.h"
#include "ui_fixture.h"

namespace {

class TextTest : public UiTest {
 protected:
  // Draws the widget and returns its glyph quads (of both batches).
  UiRecordingRenderer::Quads DrawAndFlush(CTextRect& text) {
    renderer_.textured.clear();
    text.Draw(nullptr);
    FlushGlyphBatches();
    UiRecordingRenderer::Quads all{0, -1, {}, {}};
    for (const auto& q : renderer_.textured) {
      all.count += q.count;
      all.colours.insert(all.colours.end(), q.colours.begin(), q.colours.end());
    }
    return all;
  }
};

TEST_F(TextTest, FormatterCases) {
  struct Case {
    const char* format;
    int32_t indent;
    std::string expected;
  } cases[] = {
      {"plain", 0, "plain"},
      {"100%%", 0, "100%"},
      {"ends in %", 0, "ends in "},
      {"%q and %z", 0, "q and z"},
      {"%u wide", 0, "Bakery wide"},
      {"%d/%i", 0, "-3/42"},
      {"%f", 0, "2.50"},
      {"[%s]", 0, "[name]"},
      {"x", 3, "   x"},
  };
  for (const Case& c : cases) {
    std::string got;
    if (std::strcmp(c.format, "%u wide") == 0) got = FormatUiText(c.indent, c.format, 5);
    else if (std::strcmp(c.format, "%d/%i") == 0) got = FormatUiText(c.indent, c.format, -3, 42);
    else if (std::strcmp(c.format, "%f") == 0) got = FormatUiText(c.indent, c.format, 2.5);
    else if (std::strcmp(c.format, "[%s]") == 0) got = FormatUiText(c.indent, c.format, "name");
    else got = FormatUiText(c.indent, c.format);
    EXPECT_EQ(got, c.expected) << c.format;
  }
  // Long results are cut, never overrun.
  const std::string longName(800, 'n');
  EXPECT_EQ(FormatUiText(4, "%s%s", longName.c_str(), longName.c_str()).size(), kFormatterCapacity);
}

TEST_F(TextTest, IndentAppliesToTextIdsAndWrapFollowsTheWidth) {
  CTextRect text;
  text.SetRect(0, 0, 200, 100);
  text.indent = 3;
  text.AddTextId(5);
  ASSERT_EQ(text.LineCount(), 1);
  EXPECT_EQ(text.LineText(0), "   Bakery");
  text.indent = 0;
  text.SetRect(0, 0, 60, 100);  // ten glyphs a line
  text.Clear();
  text.AddTextId(6);
  EXPECT_GT(text.LineCount(), 2);
  for (int32_t i = 0; i < text.LineCount(); ++i) EXPECT_LE(text.LineWidth(i), 60);
}

// Every way of adding text chooses the rect's font through the remembered
// 2D selection: left out of step, the next rect laid out in the remembered
// font would be measured in another (values drifting off their labels).
TEST_F(TextTest, AddingTextKeepsTheRememberedFontTrue) {
  CTextRect text;
  text.SetRect(0, 0, 200, 100);
  text.SetFont(1);
  SelectFont2D(0);
  text.AddTextIdArgList(5, {});
  EXPECT_EQ(Ui().text->CurrentFont(), CurrentFont2D());
}

TEST_F(TextTest, TooltipLikeTextIsShownAsItIs) {
  CTextRect text;
  text.SetRect(0, 0, 600, 100);
  text.AddText("50% off %s %d");
  EXPECT_EQ(text.LineText(0), "50% off %s %d");
}

TEST_F(TextTest, AlignmentCodesPlaceTheLines) {
  CTextRect text;
  text.SetRect(10, 20, 110, 80);  // 100 x 60; "Bakery" is 36 wide, glyphs 10 high
  text.AddTextId(5);
  struct Case {
    int32_t code, x, top;
  } cases[] = {{0, 10 + 4 + 2, 20}, {5, 10 + 100 - 36 - 4, 20 + 25}, {7, 10 + 34, 20 + 50},
               {9, 10 + 34, 20 + 25}};
  for (const Case& c : cases) {
    text.SetAlignment(c.code, 4, kKeepAlignmentValue);
    text.Layout();
    EXPECT_EQ(text.lineX[0], c.x) << c.code;
    EXPECT_EQ(text.lineTop, c.top) << c.code;
  }
  text.SetAlignment(5, kKeepAlignmentValue, 7);
  text.Layout();
  EXPECT_EQ(text.margin, 4);
  EXPECT_EQ(text.lineTop, 20 + 25 + 7);
}

TEST_F(TextTest, AFirstLinePastTheTextDrawsFromTheTop) {
  CTextRect text;
  text.SetRect(0, 0, 600, 100);
  for (int i = 0; i < 4; ++i) text.AddTextId(5);
  text.firstLine = 10;
  const auto quads = DrawAndFlush(text);
  EXPECT_EQ(text.firstLine, 0);
  EXPECT_EQ(quads.count, 4 * 6);
}

// A number drawn into a box lower than its line (the block markers' hour
// counts) still shows, whether the box is set before or after the text.
TEST_F(TextTest, ABoxLowerThanOneLineStillShowsItsLine) {
  CTextRect text;
  text.Clear();
  text.AddTextF("%d", 238);
  text.SetRect(0, 0, 40, 1);
  EXPECT_EQ(DrawAndFlush(text).count, 3);
}

TEST_F(TextTest, FlashingLineShowsItsFirstColourFor17FramesAndItsSecondFor15) {
  CTextRect text;
  text.SetRect(0, 0, 600, 100);
  text.AddTextId(5);
  text.SetLineStyle(0, 2, 4, true);
  int32_t first = 0, second = 0;
  for (uint32_t frame = 0; frame < 32; ++frame) {
    Ui().frameCounter = frame;
    const uint32_t colour = DrawAndFlush(text).colours.at(0);
    first += colour == TextColourTable[2];
    second += colour == TextColourTable[4];
  }
  EXPECT_EQ(first, 17);
  EXPECT_EQ(second, 15);
}

TEST_F(TextTest, ReleaseOnTextTellsTheParentOfAClick) {
  struct Parent : CWidget {
    int32_t OnEvent(int32_t type, int32_t a, int32_t b) override {
      got = {type, a, b};
      return 0;
    }
    std::vector<int32_t> got;
  } parent;
  CTextRect* text = parent.CreateTextRect(9, 0, 0, 10, 10);
  text->HandleMessage(kMsgLeftReleased, 3, 0);
  EXPECT_EQ(parent.got, (std::vector<int32_t>{kNotifyClicked, 9, 3}));
  EXPECT_FALSE(text->HitTest());
}

// ---- Glyph batcher ----------------------------------------------------------

TEST_F(TextTest, GlyphBatchesDrawEvery500QuadsAndAtTheFlushLowCodesFirst) {
  GlyphRecord g{{0, 0, 0, 6, 10, 64, 0, 0}, 6, 10, 0};
  for (int i = 0; i < 501; ++i) AddGlyphQuad(g, 6, 10, 0, 0, 0.5f, 'A', 0xFFFFFFFF);
  ASSERT_EQ(renderer_.textured.size(), 1u);
  EXPECT_EQ(renderer_.textured[0].count, 500);
  FlushGlyphBatches();
  ASSERT_EQ(renderer_.textured.size(), 2u);
  EXPECT_EQ(renderer_.textured[1].count, 1);

  renderer_.textured.clear();
  AddGlyphQuad(g, 6, 10, 0, 0, 0.5f, 200, 0xFF00FF00);  // high batch
  AddGlyphQuad(g, 6, 10, 0, 0, 0.5f, 'B', 0xFFFF0000);  // low batch
  SelectFont2D(CurrentFont2D());  // the same font: nothing drawn
  EXPECT_TRUE(renderer_.textured.empty());
  SelectFont2D(1);
  ASSERT_EQ(renderer_.textured.size(), 2u);
  EXPECT_EQ(renderer_.textured[0].colours[0], 0xFFFF0000u);
  EXPECT_EQ(renderer_.textured[1].colours[0], 0xFF00FF00u);
}

TEST_F(TextTest, GlyphCornersSnapToTheHalfPixel) {
  GlyphRecord g{{0, 0, 0, 6, 10, 64, 0, 0}, 6, 10, 0};
  AddGlyphQuad(g, 6, 10, 10.7f, 20.2f, 0.5f, 'A', 0xFFFFFFFF);
  FlushGlyphBatches();
  ASSERT_EQ(renderer_.textured.size(), 1u);
  const auto& c = renderer_.textured[0].corners;
  EXPECT_FLOAT_EQ(c[0].x, 9.5f);
  EXPECT_FLOAT_EQ(c[0].y, 19.5f);
  EXPECT_FLOAT_EQ(c[2].x, 15.5f);
  EXPECT_FLOAT_EQ(c[2].y, 29.5f);
}

// ---- Money --------------------------------------------------------------------

TEST_F(TextTest, MoneyBySignAndSide) {
  struct Case {
    bool before;
    int32_t amount;
    const char* expected;
  } cases[] = {{true, 1500, "$1500"},  {true, -1500, "-$1500"}, {true, 0, "$0"},
               {false, 1500, "1500$"}, {false, -1500, "-1500$"},
               {true, INT32_MIN, "-$2147483648"}};
  for (const Case& c : cases) {
    SetCurrencyFormat("$", c.before);
    EXPECT_EQ(FormatMoney(c.amount), c.expected);
  }
  struct DecimalCase {
    bool before;
    float amount;
    const char* expected;
  } decimals[] = {{true, 12.5f, "$12.50"},  {true, -12.5f, "-$12.50"}, {false, -0.25f, "-0.25$"},
                  {true, -0.004f, "$0.00"}, {false, 0.0f, "0.00$"},
                  {true, -0.0f, "$0.00"}};  // a cost of nothing, negated
  for (const DecimalCase& c : decimals) {
    SetCurrencyFormat("$", c.before);
    EXPECT_EQ(FormatMoneyDecimal(c.amount), c.expected);
  }
  // Two results in one expression stay apart.
  SetCurrencyFormat("$", true);
  EXPECT_EQ(FormatMoney(1) + FormatMoney(2), "$1$2");
}

TEST_F(TextTest, CurrencyComesFromTheBoardsTexts) {
  LoadCurrencyFormat();
  EXPECT_EQ(FormatMoney(5), "$5");
  for (const char* side : {"", "r", "L"}) {
    std::vector<std::string> strings(2236);
    strings[0] = CodePageCharTable();
    strings[2234] = " EUR";
    strings[2235] = side;
    ASSERT_TRUE(WriteTextBankFiles("language\\board\\civano", strings));
    ASSERT_TRUE(text_.LoadTextBankFile("language\\board\\civano"));
    LoadCurrencyFormat();
    EXPECT_EQ(FormatMoney(5), "5 EUR") << side;
  }
}

}  // namespace
