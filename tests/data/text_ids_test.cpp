// Every text id the game names is in the English text bank: ids written in
// the code (named text constants, prompts, player messages, goal and vote
// lines, id tables), the city's own tables (block, district, business-type,
// commodity names), the script constants, and the ids the level scripts use.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "city/blocks.h"
#include "city/business_types.h"
#include "city/commodities.h"
#include "engine/files/text_bank.h"
#include "platform/paths.h"
#include "script/interface_bindings.h"

namespace {

namespace fs = std::filesystem;

using IdSources = std::map<int32_t, std::string>;  // id -> where it was found

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<fs::path> FilesUnder(const fs::path& root, std::initializer_list<const char*> extensions) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    for (const char* ext : extensions)
      if (entry.path().extension() == ext) files.push_back(entry.path());
  }
  return files;
}

void Add(IdSources& ids, int32_t id, const std::string& where) { ids.emplace(id, where); }

// Every number of each match's groups.
void Scan(IdSources& ids, const std::string& text, const std::regex& pattern, const std::string& where) {
  for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
    for (size_t g = 1; g < it->size(); ++g)
      if ((*it)[g].matched) {
        const std::string group = (*it)[g].str();
        std::regex number("\\d+");
        for (std::sregex_iterator n(group.begin(), group.end(), number), e; n != e; ++n)
          Add(ids, std::stoi(n->str()), where);
      }
}

// The ways the code names a text id.
IdSources CodeIds() {
  const std::regex patterns[] = {
      // Prompt events: line, body, button.
      std::regex(R"(PromptEvent\{[^,{}]+,\s*(\d+),\s*(\d+),\s*[^,{}]+,\s*(\d+)\})"),
      // Player messages: two lines and the buttons.
      std::regex(R"(PlayerMessageEvent\{[^{}]*?,\s*(\d+),\s*(\d+)(?:,\s*\{([\d,\s]+)\})?)"),
      std::regex(R"(ShowSimplePrompt\((\d+),\s*(\d+)\))"),
      std::regex(R"(\bline[12]\s*=\s*(\d+))"),
      // Goal result lines.
      std::regex(R"(lines\((\d+),\s*(\d+),\s*(\d+),\s*(\d+)\))"),
      std::regex(R"(kLines\[\d+\]\[\d+\]\s*=\s*\{([\d,\s{}]+)\};)"),
      // Tables of ids (kIds[10] = {...}) and text-id returns.
      std::regex(R"(\bk\w*Ids\[\d*\]\s*=\s*\{([\d,\s]+)\})"),
      std::regex(R"(\?\s*(1\d{3})\s*:\s*(1\d{3}))"),
      std::regex(R"(SetCurrencyTexts\((\d+),\s*(\d+)\))"),
  };
  IdSources ids;
  for (const fs::path& file : FilesUnder(fs::path(RC_TEST_SOURCE_DIR) / "src", {".cpp", ".h"})) {
    const std::string text = ReadAll(file);
    const std::string where = fs::relative(file, RC_TEST_SOURCE_DIR).string();
    for (const std::regex& p : patterns) Scan(ids, text, p, where);
    // Named text constants (kPauseTextWaiting = 1759, kOkButton = 1435).
    std::regex named(R"(\b(k\w+)\s*=\s*(\d+)\b)");
    for (std::sregex_iterator it(text.begin(), text.end(), named), end; it != end; ++it) {
      const std::string n = (*it)[1];
      const bool text = n.find("Text") != std::string::npos || n.ends_with("OkButton");
      bool other = n.starts_with("kText");
      for (const char* word : {"Texture", "Size", "Count", "Colour", "Mesh", "Length", "Max", "Flag"})
        other = other || n.find(word) != std::string::npos;
      if (text && !other) Add(ids, std::stoi((*it)[2]), where);
    }
    // A vote prompt names its title and four bodies from the first.
    std::regex vote(R"(VotePrompt\((\d+),\s*(\d+))");
    for (std::sregex_iterator it(text.begin(), text.end(), vote), end; it != end; ++it) {
      Add(ids, std::stoi((*it)[1]), where);
      for (int k = 0; k < 4; ++k) Add(ids, std::stoi((*it)[2]) + k, where);
    }
  }
  return ids;
}

// The city's tables of names.
IdSources TableIds() {
  IdSources ids;
  InitBlockDefs();
  InitDistricts();
  ResetBusinessTypes();
  ResetCommodities();
  for (const BlockDef& d : g_BlockDefs) Add(ids, d.NameTextId, std::string("block ") + d.Key);
  for (int i = 1; i < kDistrictCount - 2; ++i) Add(ids, g_Districts[i].NameTextId, "district " + std::to_string(i));
  for (const BusinessType& t : g_BusinessTypes) {
    Add(ids, t.NameTextId, std::string("business type ") + t.Key);
    Add(ids, t.DescriptionTextId, std::string("business type ") + t.Key);
  }
  for (const CommodityRow& c : g_Commodities) {
    Add(ids, c.NameTextId, "commodity " + std::to_string(c.Id));
    Add(ids, c.PluralTextId, "commodity " + std::to_string(c.Id));
  }
  return ids;
}

// What the scripts name: ID_ constants and numbers given as prompt lines.
IdSources ScriptIds(std::vector<std::string>& unknownNames) {
  IdSources ids;
  std::map<std::string, int32_t> constants;
  for (const auto& [name, id] : ScriptTextIdConstants()) {
    constants[name] = id;
    Add(ids, id, std::string("constant ") + name);
  }
  const std::regex name(R"(\bID_[A-Z0-9_]+)");
  const std::regex prompt(R"(Interface\.Create(?:Message|Prompt)\(\s*(\d+)\s*,\s*(\d+)?)");
  for (const fs::path& file : FilesUnder(fs::path(RC_TEST_SOURCE_DIR) / "data" / "game" / "scripts", {".lua"})) {
    const std::string text = ReadAll(file);
    const std::string where = fs::relative(file, RC_TEST_SOURCE_DIR).string();
    for (std::sregex_iterator it(text.begin(), text.end(), name), end; it != end; ++it) {
      const auto c = constants.find(it->str());
      if (c == constants.end())
        unknownNames.push_back(it->str() + " in " + where);
      else
        Add(ids, c->second, where);
    }
    Scan(ids, text, prompt, where);
  }
  return ids;
}

TEST(TextIdsTest, EveryTextTheGameNamesIsInTheEnglishBank) {
  const std::string old = platform::GameRoot();
  platform::SetGameRoot(RC_GAME_ROOT);
  TextBankData bank;
  ASSERT_EQ(ReadTextBankFiles("language\\usa\\civano", bank), kTextOk);
  platform::SetGameRoot(old);

  std::vector<std::string> unknownNames;
  IdSources ids = CodeIds();
  for (const IdSources& more : {TableIds(), ScriptIds(unknownNames)}) ids.insert(more.begin(), more.end());
  EXPECT_TRUE(unknownNames.empty()) << unknownNames.front();
  // The scan finds what it should: a prompt button, a goal line, a level title.
  for (int32_t id : {1435, 1859, 1956, 2236}) EXPECT_TRUE(ids.count(id)) << id;

  std::string missing;
  for (const auto& [id, where] : ids) {
    if (id == 0) continue;  // no text
    const bool present = id > 0 && static_cast<size_t>(id) < bank.lengths.size() && bank.lengths[size_t(id)] > 0;
    if (!present) missing += std::to_string(id) + " (" + where + ")\n";
  }
  EXPECT_TRUE(missing.empty()) << "texts missing from data/text/usa.txt:\n" << missing;
}

}  // namespace

namespace {

// Every format code of the English texts is one the text system expands:
// %s, %d, %i, %u, %%, %b with a key number, and %c (the currency symbol)
// right before the number it goes with. A translation is held to the same
// codes by its own test.
TEST(TextIdsTest, EveryFormatCodeOfTheEnglishBankIsOneTheGameExpands) {
  std::ifstream in(fs::path(RC_TEST_SOURCE_DIR) / "data" / "text" / "usa.txt");
  ASSERT_TRUE(in);
  std::string line, bad;
  while (std::getline(in, line)) {
    const size_t tab = line.find('\t');
    if (line.empty() || line[0] == '#' || tab == std::string::npos) continue;
    const std::string text = line.substr(tab + 1);
    for (size_t k = 0; k < text.size(); ++k) {
      if (text[k] != '%') continue;
      const char code = k + 1 < text.size() ? text[k + 1] : '\0';
      bool known = std::strchr("sdiu%", code) != nullptr && code != '\0';
      if (code == 'c') known = text.compare(k + 2, 2, "%d") == 0 || (k + 2 < text.size() && std::isdigit(text[k + 2]));
      if (code == 'b') known = k + 2 < text.size() && std::isdigit(text[k + 2]);
      if (!known) bad += line + "\n";
      ++k;  // the code's letter
    }
  }
  EXPECT_TRUE(bad.empty()) << "texts with a format code the game does not expand:\n" << bad;
}

}  // namespace
