// Every language's text table matches the English one id by id: the same ids,
// and in each text the same format codes in the same order and the same line
// breaks, since the code fills a translated text with the arguments it gives
// the English one. Each table's compiled bank loads and holds its texts.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "engine/engine_files_fixture.h"
#include "engine/files/text_bank.h"
#include "platform/input.h"

namespace {

namespace fs = std::filesystem;

using Table = std::map<int32_t, std::string>;  // id -> text as written (UTF-8)

fs::path TextFolder() { return fs::path(RC_TEST_SOURCE_DIR) / "data" / "text"; }

Table ReadTable(const fs::path& path) {
  Table table;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;  // the compiler refuses such a line; the build fails first
    table.emplace(std::stoi(line.substr(0, tab)), line.substr(tab + 1));
  }
  return table;
}

// Every table but the English one (the folder's CMakeLists.txt is no table).
std::vector<fs::path> Translations() {
  std::vector<fs::path> tables;
  for (const auto& entry : fs::directory_iterator(TextFolder())) {
    const fs::path& path = entry.path();
    if (path.extension() == ".txt" && path.stem() != "usa" && path.stem() != "CMakeLists") tables.push_back(path);
  }
  return tables;
}

// The format codes in order, then the count of "\n".
std::vector<std::string> Codes(const std::string& text) {
  static const std::regex code(R"(%%|%b\d+|%[sdicu]|\\n)");
  std::vector<std::string> codes;
  for (std::sregex_iterator it(text.begin(), text.end(), code), end; it != end; ++it) codes.push_back(it->str());
  return codes;
}

// The text in the game's code page, as the bank gives it back.
std::string InCodePage(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    auto b = static_cast<uint8_t>(utf8[i]);
    const int extra = b < 0x80 ? 0 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : 1;
    uint32_t cp = extra == 0 ? b : (b & (0x3F >> extra));
    for (int k = 1; k <= extra && i + static_cast<size_t>(k) < utf8.size(); ++k)
      cp = (cp << 6) | (static_cast<uint8_t>(utf8[i + static_cast<size_t>(k)]) & 0x3F);
    out.push_back(static_cast<char>(platform::GameCharFromCodePoint(cp)));
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

TEST(TextBankTables, EveryLanguageHasTheEnglishIdsWithTheSameCodes) {
  const Table english = ReadTable(TextFolder() / "usa.txt");
  ASSERT_GT(english.size(), 1000u);
  for (const fs::path& path : Translations()) {
    SCOPED_TRACE(path.filename().string());
    const Table table = ReadTable(path);
    for (const auto& [id, text] : english) {
      auto it = table.find(id);
      if (it == table.end()) {
        ADD_FAILURE() << "id " << id << " missing";
        continue;
      }
      EXPECT_EQ(Codes(it->second), Codes(text)) << "id " << id << ": " << it->second;
      // A leading or trailing space is part of the layout (" AM" follows a number).
      EXPECT_EQ(it->second.starts_with(' '), text.starts_with(' ')) << "id " << id;
    }
    for (const auto& [id, text] : table) EXPECT_TRUE(english.contains(id)) << "id " << id << " not in English";
  }
}

// The clock's 12-hour time tells the morning from the afternoon in every
// language: the two halves of the day have different words.
TEST(TextBankTables, TheClockTellsMorningFromAfternoon) {
  constexpr int32_t kMorning = 1374, kAfternoon = 1375;
  for (const fs::path& path : Translations()) {
    const Table table = ReadTable(path);
    ASSERT_TRUE(table.contains(kMorning) && table.contains(kAfternoon)) << path.filename();
    EXPECT_NE(table.at(kMorning), table.at(kAfternoon)) << path.filename();
  }
}

// The code check itself: a dropped, swapped or stray code is told apart.
TEST(TextBankTables, CodesTellOrderAndLineBreaks) {
  EXPECT_EQ(Codes("%s offers %c%d for %i."), (std::vector<std::string>{"%s", "%c", "%d", "%i"}));
  EXPECT_NE(Codes("%d for %i %c %s"), Codes("%s offers %c%d for %i."));
  EXPECT_EQ(Codes("50%% off %b12\\n%u"), (std::vector<std::string>{"%%", "%b12", "\\n", "%u"}));
  EXPECT_NE(Codes("a\\nb"), Codes("a b"));
}

class TextBankBuilt : public EngineFilesTest {
 protected:
  void SetUp() override {
    EngineFilesTest::SetUp();
    fs::copy(fs::path(RC_GAME_ROOT) / "language", Real("language"),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }
};

TEST_F(TextBankBuilt, EachLanguageBankLoadsWithItsTexts) {
  for (const fs::path& path : Translations()) {
    const std::string lang = path.stem().string();
    SCOPED_TRACE(lang);
    CTextSystem text;
    ASSERT_TRUE(text.LoadTextBankFile("language\\" + lang + "\\civano"));
    for (const auto& [id, source] : ReadTable(path)) {
      std::string loaded;
      ASSERT_TRUE(text.GetTextAscii(loaded, id)) << "id " << id;
      EXPECT_EQ(loaded, InCodePage(source)) << "id " << id;
    }
  }
}

}  // namespace
