// Compiles a text table (UTF-8, one "id<TAB>text" line per text) into a text
// bank: "<base>.off" and "<base>.bin" in the game's code page, with the
// character table as string 0.
//
//   textbank <source.txt> <game root> <base game name> [first id]
//
// With a first id the bank holds only the texts from that id on, renumbered
// so that the first id becomes string 1: a board's bank, which replaces the
// game's texts from that id on.
// Lines that are empty or start with '#' are skipped. Ids need not be in order
// but must be unique and from 1 to 65534; ids that are not given are empty
// texts. The text is everything after the first tab, as written (a line break
// inside a text is the two characters backslash and n).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "engine/files/text_bank.h"
#include "platform/input.h"
#include "platform/paths.h"
#include "tools/tool_io.h"

namespace {

// Decodes UTF-8 strictly; false on a malformed sequence.
bool DecodeUtf8(const std::string& s, std::vector<uint32_t>& out) {
  out.clear();
  for (size_t i = 0; i < s.size();) {
    auto b = static_cast<uint8_t>(s[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + static_cast<size_t>(extra) >= s.size()) return false;
    uint32_t cp = extra == 0 ? b : (b & (0x3F >> extra));
    for (int k = 1; k <= extra; ++k) {
      auto c = static_cast<uint8_t>(s[i + static_cast<size_t>(k)]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    out.push_back(cp);
    i += static_cast<size_t>(extra) + 1;
  }
  return true;
}

bool ToCodePage(const std::string& utf8, std::string& out) {
  std::vector<uint32_t> cps;
  if (!DecodeUtf8(utf8, cps)) return false;
  out.clear();
  for (uint32_t cp : cps) {
    uint8_t c = platform::GameCharFromCodePoint(cp);
    if (c < 32) return false;
    out.push_back(static_cast<char>(c));
  }
  return true;
}

int Fail(const char* source, int line, const char* why) {
  std::fprintf(stderr, "%s:%d: %s\n", source, line, why);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: textbank <source.txt> <game root> <base game name> [first id]\n");
    return 2;
  }
  const long first = argc == 5 ? std::strtol(argv[4], nullptr, 10) : 1;
  if (first < 1 || first > 65534) {
    std::fprintf(stderr, "bad first id %s\n", argv[4]);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot open %s\n", argv[1]);
    return 1;
  }
  std::map<long, std::string> texts;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    size_t tab = line.find('\t');
    if (tab == std::string::npos) return Fail(argv[1], number, "expected id<TAB>text");
    char* end = nullptr;
    long id = std::strtol(line.c_str(), &end, 10);
    if (end != line.c_str() + tab || id < 1 || id > 65534) return Fail(argv[1], number, "bad id");
    std::string text;
    if (!ToCodePage(line.substr(tab + 1), text)) {
      return Fail(argv[1], number, "not UTF-8, or a character the game's code page lacks");
    }
    if (text.size() > 0xFFFF) return Fail(argv[1], number, "text too long");
    if (!texts.emplace(id, text).second) return Fail(argv[1], number, "id given twice");
    if (id < first) texts.erase(id);
  }
  std::vector<std::string> strings(texts.empty() ? 1 : static_cast<size_t>(texts.rbegin()->first - first) + 2);
  strings[0] = CodePageCharTable();
  for (auto& [id, text] : texts) strings[static_cast<size_t>(id - first + 1)] = std::move(text);
  if (!ToolOutputInside(argv[3])) return 1;
  platform::SetGameRoot(argv[2]);
  if (!WriteTextBankFiles(argv[3], strings)) {
    std::fprintf(stderr, "cannot write %s under %s\n", argv[3], argv[2]);
    return 1;
  }
  return 0;
}
