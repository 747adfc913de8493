#include "engine/files/text_bank.h"

#include "game_root_fixture.h"

namespace {

class TextSystemTest : public GameRootTest {
 protected:
  void SetUp() override {
    GameRootTest::SetUp();
    std::vector<std::string> strings(2300);
    strings[0] = CodePageCharTable();
    strings[1] = "%d";
    strings[2] = "100%q";
    strings[3] = "Hello %s, you owe %c42.";
    strings[4] = "one two three four";
    strings[5] = "first\\nsecond";
    strings[6] = "Key %b3 pressed";
    strings[7] = "Block %i";
    strings[8] = "Bank";
    strings[14] = "F7";
    strings[2234] = "$";
    strings[2235] = "l";
    ASSERT_TRUE(WriteTextBankFiles("language\\usa\\civano", strings));
    // Every glyph 10 wide and 12 high; digits sit 2 lower.
    std::vector<GlyphRecord> glyphs(256);
    for (int c = 0; c < 256; ++c) {
      glyphs[c] = GlyphRecord{{c, 1, 2, 3, 4, 5, 6, 7}, 10, 12, (c >= '0' && c <= '9') ? 2 : 0};
    }
    ASSERT_TRUE(WriteFontTable("gamedata\\fonts\\test", glyphs));
    ASSERT_TRUE(text.LoadTextBankFile("language\\usa\\civano"));
    ASSERT_TRUE(text.LoadCharTable(0, "gamedata\\fonts\\test"));
    text.SetCurrencyTexts(2234, 2235);
    text.SelectFont(0);
  }
  std::string Ascii(std::span<const uint8_t> codes) { return {codes.begin(), codes.end()}; }
  std::string Expand(int32_t id, std::initializer_list<TextArg> args, size_t capacity = 512) {
    std::vector<uint8_t> out;
    if (!text.ExpandFormat(out, id, std::span(args.begin(), args.size()), capacity)) return "<error>";
    return Ascii(out);
  }
  std::vector<std::string> Lines(const CStringBank& bank) {
    std::vector<std::string> lines;
    for (uint32_t i = 0; i < bank.Count(); ++i) {
      std::span<const uint8_t> s = bank.String(i);
      lines.push_back(Ascii(s.empty() ? s : s.first(s.size() - 1)));
    }
    return lines;
  }

  CTextSystem text;
};

TEST_F(TextSystemTest, BankFilesRoundTrip) {
  TextBankData data;
  ASSERT_EQ(ReadTextBankFiles("language\\usa\\civano", data), kTextOk);
  EXPECT_EQ(data.lengths.size(), 2300u);
  EXPECT_EQ(text.StringCount(), 2300u);
  std::string s;
  EXPECT_TRUE(text.GetTextAscii(s, 3));
  EXPECT_EQ(s, "Hello %s, you owe %c42.");
  EXPECT_TRUE(text.GetTextAscii(s, 9));
  EXPECT_EQ(s, "");
  EXPECT_FALSE(text.GetTextAscii(s, 2300));
  EXPECT_EQ(text.TakeError(), kTextIdOutOfRange);
  EXPECT_EQ(text.TakeError(), kTextOk);
}

TEST_F(TextSystemTest, DamagedBankFilesAreRefused) {
  // Lengths that do not add up to the .bin file (short or long), an odd .off,
  // a .off longer than one length per id, lengths past the most a bank may
  // hold (the .bin is never read then), a missing half, a missing bank.
  WriteBytes("language/bad/a.off", {5, 0, 5, 0});
  WriteBytes("language/bad/a.bin", {'a', 'b', 'c'});
  WriteBytes("language/bad/b.off", {5, 0, 5});
  WriteBytes("language/bad/b.bin", {'a', 'b', 'c', 'd', 'e'});
  WriteBytes("language/bad/long.off", {2, 0});
  WriteBytes("language/bad/long.bin", {'a', 'b', 'c'});
  WriteBytes("language/bad/ids.off", std::vector<uint8_t>(kMaxTextBankLengthBytes + 2, 0));
  WriteBytes("language/bad/ids.bin", {});
  WriteBytes("language/bad/huge.off", std::vector<uint8_t>(2 * 300, 0xFF));  // 300 x 65535 bytes
  WriteBytes("language/bad/huge.bin", {'a'});
  WriteBytes("language/bad/half.off", {1, 0});
  const std::pair<const char*, TextError> cases[] = {
      {"a", kTextShortRead},    {"b", kTextShortRead},    {"long", kTextShortRead}, {"ids", kTextShortRead},
      {"huge", kTextShortRead}, {"half", kTextShortRead}, {"none", kTextCannotOpen},
  };
  CTextSystem t;
  for (const auto& [name, error] : cases) {
    const std::string base = std::string("language\\bad\\") + name;
    EXPECT_FALSE(t.LoadTextBankFile(base)) << name;
    EXPECT_EQ(t.TakeError(), error) << name;
    EXPECT_EQ(TextBankExists(base), error != kTextCannotOpen) << name;
  }
  EXPECT_EQ(t.StringCount(), 0u);
}

TEST_F(TextSystemTest, ConvertStringMapsLineFeedsAndStopsAtControls) {
  EXPECT_EQ(Ascii(text.ConvertString("ab\ncd")), "ab\\ncd");
  EXPECT_EQ(Ascii(text.ConvertString("ab\tcd")), "ab");
}

TEST_F(TextSystemTest, FormatCodes) {
  EXPECT_EQ(Expand(1, {42}), "42");
  EXPECT_EQ(Expand(2, {}), "100%q");
  EXPECT_EQ(Expand(3, {"Ann"}), "Hello Ann, you owe $42.");
  EXPECT_EQ(Expand(7, {8}), "Block Bank");
  EXPECT_EQ(text.CountFormatCodes(3), 2);
  // The key code inserts text base + 4n + 2.
  text.SetKeyTextBase(0);
  EXPECT_EQ(Expand(6, {}), "Key F7 pressed");
  // A missing or null string argument stops with error 6.
  EXPECT_EQ(Expand(3, {}), "<error>");
  EXPECT_EQ(text.TakeError(), kTextMissingArgument);
  EXPECT_EQ(Expand(3, {static_cast<const char*>(nullptr)}), "<error>");
  EXPECT_EQ(Expand(2300, {}), "<error>");
  EXPECT_EQ(text.TakeError(), kTextIdOutOfRange);
}

TEST_F(TextSystemTest, CurrencySideFollowsPositionText) {
  std::vector<std::string> strings{CodePageCharTable(), "%c42 due", "$", "r"};
  ASSERT_TRUE(WriteTextBankFiles("language\\x\\civano", strings));
  CTextSystem t;
  ASSERT_TRUE(t.LoadTextBankFile("language\\x\\civano"));
  t.SetCurrencyTexts(2, 3);
  std::vector<uint8_t> out;
  ASSERT_TRUE(t.ExpandFormat(out, 1, {}, 64));
  EXPECT_EQ(Ascii(out), "42$ due");
  t.SetCurrencyTexts(2, 0);  // the character table does not begin with l
  ASSERT_TRUE(t.ExpandFormat(out, 1, {}, 64));
  EXPECT_EQ(Ascii(out), "42$ due");
}

TEST_F(TextSystemTest, FormattingIsBoundedByItsBuffer) {
  std::string long_name(5000, 'x');
  std::vector<uint8_t> out;
  TextArg args[] = {long_name};
  ASSERT_TRUE(text.ExpandFormat(out, 3, args, CTextSystem::kFormatBufferSmall));
  EXPECT_EQ(out.size(), CTextSystem::kFormatBufferSmall);
  CStringBank bank;
  ASSERT_TRUE(text.FormatToBank(bank, 0, 3, args));
  EXPECT_EQ(Lines(bank)[0].size(), CTextSystem::kFormatBufferLarge);
}

TEST_F(TextSystemTest, WordWrap) {
  CStringBank bank;
  // Each glyph advances 10: "one two" reaches 70.
  ASSERT_TRUE(text.LayoutText(bank, 75, 4));
  EXPECT_EQ(Lines(bank), (std::vector<std::string>{"one two", "three", "four"}));
  ASSERT_TRUE(text.LayoutText(bank, 0, 5));
  EXPECT_EQ(Lines(bank), (std::vector<std::string>{"first ", "second"}));
  // A line feed anywhere breaks the line and never shows as a letter.
  const struct {
    const char* plain;
    std::vector<std::string> lines;
  } feeds[] = {
      {"\nab", {" ", "ab"}},
      {"\n", {" ", ""}},
      {"ab\n\ncd", {"ab ", " ", "cd"}},
      {"ab\n", {"ab ", ""}},
  };
  for (const auto& f : feeds) {
    text.FormatPlainToBank(bank, 0, f.plain);
    EXPECT_EQ(Lines(bank), f.lines) << f.plain;
  }
  // A single long word runs past the width.
  text.FormatPlainToBank(bank, 30, "abcdefgh ij");
  EXPECT_EQ(Lines(bank), (std::vector<std::string>{"abcdefgh", "ij"}));
  // Without word wrap: exactly one line, the glyphs before the one reaching W.
  EXPECT_TRUE(text.SetWordWrap(false));
  ASSERT_TRUE(text.LayoutText(bank, 45, 4));
  EXPECT_EQ(Lines(bank), (std::vector<std::string>{"one "}));
  EXPECT_FALSE(text.SetWordWrap(true));
}

TEST_F(TextSystemTest, MeasuringAndDrawing) {
  TextRect r;
  text.MeasureString(r, 5, 6, "");
  EXPECT_EQ(r.width, 0);
  EXPECT_EQ(r.height, -999);
  text.MeasureString(r, 5, 6, "a1");
  EXPECT_EQ(r.x, 5);
  EXPECT_EQ(r.width, 20);
  EXPECT_EQ(r.height, 14);  // digit drops 2 below a 12-high glyph at 0
  text.SetLetterSpacing(2);
  text.SetFontScale(0.5f);
  EXPECT_EQ(text.CharWidth('a'), 6);
  text.SetLetterSpacing(0);
  text.SetFontScale(1.0f);
  EXPECT_FALSE(text.MeasureText(r, 0, 0, 2300));

  std::vector<std::pair<float, uint8_t>> drawn;
  text.SetGlyphCallback([&](const GlyphRecord& g, int32_t w, int32_t, float x, float, float depth,
                            uint8_t code, void*) {
    EXPECT_EQ(g.place[0], code);
    EXPECT_EQ(w, 10);
    EXPECT_FLOAT_EQ(depth, 0.5f);
    drawn.emplace_back(x, code);
  });
  text.DrawString(100, 0, "hi\nthere", nullptr);
  ASSERT_EQ(drawn.size(), 3u);  // "hi" and the blank that replaced the backslash
  EXPECT_FLOAT_EQ(drawn[1].first, 110);
  drawn.clear();
  EXPECT_FALSE(text.DrawTextFormatted(0, 0, 2300, {}));
  EXPECT_TRUE(drawn.empty());
  TextArg args[] = {7};
  EXPECT_TRUE(text.DrawTextFormatted(0, 0, 1, args));
  EXPECT_EQ(drawn.size(), 1u);
}

TEST_F(TextSystemTest, GlyphCodesBeyondTheFontAreSkipped) {
  std::vector<GlyphRecord> small(40, GlyphRecord{{}, 10, 12, 0});
  ASSERT_TRUE(WriteFontTable("gamedata\\fonts\\small", small));
  ASSERT_TRUE(text.LoadCharTable(1, "gamedata\\fonts\\small"));
  text.SelectFont(1);
  TextRect r;
  text.MeasureString(r, 0, 0, " !z");  // 'z' has no record in a 40-glyph font
  EXPECT_EQ(r.width, 20);
  EXPECT_EQ(text.GetGlyphRecords("z").size(), 1u);
}

TEST_F(TextSystemTest, DamagedFontTablesAreRefused) {
  WriteBytes("gamedata/fonts/bad1.tab", {2, 0, 0, 0, 1, 2, 3});
  WriteBytes("gamedata/fonts/bad2.tab", {0xFF, 0xFF, 0xFF, 0x7F});
  EXPECT_FALSE(text.LoadCharTable(2, "gamedata\\fonts\\bad1"));
  EXPECT_EQ(text.TakeError(), kTextShortRead);
  EXPECT_FALSE(text.LoadCharTable(2, "gamedata\\fonts\\bad2"));
  EXPECT_FALSE(text.LoadCharTable(2, "gamedata\\fonts\\missing"));
  EXPECT_EQ(text.TakeError(), kTextCannotOpen);
  EXPECT_FALSE(text.LoadCharTable(32, "gamedata\\fonts\\test"));
  EXPECT_EQ(text.Font(2), nullptr);
  text.SetFontLoadCallback([](int32_t, std::string_view) { return false; });
  EXPECT_FALSE(text.LoadCharTable(3, "gamedata\\fonts\\test"));
  EXPECT_EQ(text.TakeError(), kTextFontRefused);
}

TEST_F(TextSystemTest, BoardBankReplacesTheTail) {
  std::vector<std::string> board{CodePageCharTable(), "EUR", "r"};
  ASSERT_TRUE(WriteTextBankFiles("gamedata\\fonts\\board\\eu\\board", board));
  ASSERT_TRUE(text.LoadTextBank("gamedata\\fonts\\board\\eu\\board", 2234));
  EXPECT_EQ(text.StringCount(), 2300u);
  std::string s;
  text.GetTextAscii(s, 2234);
  EXPECT_EQ(s, "EUR");
  text.GetTextAscii(s, 2236);
  EXPECT_EQ(s, "");
  text.GetTextAscii(s, 3);
  EXPECT_EQ(s, "Hello %s, you owe %c42.");
  EXPECT_FALSE(text.LoadTextBank("gamedata\\fonts\\board\\eu\\board", 2301));
}

// A partly translated bank: its own texts where it has them, the English
// text where it has an empty one or stops early, and the English glyph
// codes turned into its own through the two character tables.
TEST_F(TextSystemTest, AMissingTranslationShowsTheEnglishText) {
  std::string shifted = CodePageCharTable();  // its own glyph codes: character + 1
  for (char& c : shifted) c = static_cast<char>(static_cast<uint8_t>(c) + 1);
  const std::vector<std::string> german{shifted, {char('%' + 1), char('e' + 1)}, "", {char('I' + 1)}};
  ASSERT_TRUE(WriteTextBankFiles("language\\ger\\civano", german));

  bool own = false;
  ASSERT_TRUE(text.LoadTextBankFile("language\\ger\\civano", "language\\usa\\civano", &own));
  EXPECT_TRUE(own);
  EXPECT_EQ(text.StringCount(), 2300u);
  std::string s;
  const std::pair<int32_t, std::string> cases[] = {
      {1, "%e"}, {2, "100%q"}, {3, "I"}, {4, "one two three four"}, {2234, "$"}};
  for (const auto& [id, expected] : cases) {
    text.GetTextAscii(s, id);
    EXPECT_EQ(s, expected) << id;
  }
  EXPECT_EQ(text.TextCodes(2)[0], uint8_t('1' + 1));  // recoded, not copied

  // No bank of the language: English alone. No English bank: the
  // language's alone, the texts it lacks empty. Neither: refused.
  bool english = false;
  ASSERT_TRUE(text.LoadTextBankFile("language\\fin\\civano", "language\\usa\\civano", &own, &english));
  EXPECT_FALSE(own);
  EXPECT_TRUE(english);
  text.GetTextAscii(s, 1);
  EXPECT_EQ(s, "%d");
  ASSERT_TRUE(text.LoadTextBankFile("language\\ger\\civano", "language\\none\\civano", &own, &english));
  EXPECT_TRUE(own);
  EXPECT_FALSE(english);
  EXPECT_EQ(text.StringCount(), 4u);
  text.GetTextAscii(s, 2);
  EXPECT_EQ(s, "");
  EXPECT_FALSE(text.LoadTextBankFile("language\\fin\\civano", "language\\none\\civano", &own));
}

TEST(StringBankTest, SetStringAndAppend) {
  CStringBank a, b;
  std::vector<uint8_t> bytes{'a', 'b', ' ', 'c', 'd', 0};
  std::vector<uint32_t> starts{0, 3, 6};
  b.Assign(bytes, starts);
  EXPECT_FALSE(a.AppendBank(CStringBank{}));
  ASSERT_TRUE(a.AppendBank(b));
  ASSERT_TRUE(a.AppendBank(b));
  EXPECT_EQ(a.Count(), 4u);
  ASSERT_TRUE(a.SetString(1, b, 0));  // "ab " over "cd\0"
  ASSERT_TRUE(a.SetString(6, b, 1));
  EXPECT_EQ(a.Count(), 7u);
  auto str = [](std::span<const uint8_t> s) { return std::string(s.begin(), s.end()); };
  EXPECT_EQ(str(a.String(1)), "ab ");
  EXPECT_EQ(str(a.String(2)), "ab ");
  EXPECT_EQ(str(a.String(5)), "");
  EXPECT_EQ(str(a.String(6)), std::string("cd\0", 3));
  EXPECT_FALSE(a.SetString(0, b, 2));
}

}  // namespace

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace {

// A bank rewritten on a disk that fills up (a file size limit stands in for
// it) keeps its old pair whole: never a new .off beside the old .bin.
TEST_F(TextSystemTest, AFailedRewriteKeepsTheOldPairWhole) {
  const std::vector<uint8_t> off = ReadBytes("language/usa/civano.off"), bin = ReadBytes("language/usa/civano.bin");
  std::vector<std::string> bigger{CodePageCharTable(), std::string(60000, 'z')};
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);  // writes past the limit fail with EFBIG instead
    const rlimit limit{6000, 6000};  // room for the .off, not for the .bin
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::_exit(WriteTextBankFiles("language\\usa\\civano", bigger) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the write should have failed";
  EXPECT_EQ(ReadBytes("language/usa/civano.off"), off);
  EXPECT_EQ(ReadBytes("language/usa/civano.bin"), bin);
  for (const auto& entry : std::filesystem::directory_iterator(Real("language/usa")))
    EXPECT_NE(entry.path().filename().string().front(), '.') << "a temporary was left: " << entry.path();
}

}  // namespace
