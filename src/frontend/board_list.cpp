#include "frontend/board_list.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "engine/core/command_script.h"
#include "engine/files/text_bank.h"
#include "platform/paths.h"
#include "platform/settings_store.h"
#include "script/profiles.h"
#include "ui/interface_assets.h"
#include "ui/money_format.h"
#include "visuals/scene/block_labels.h"

namespace fs = std::filesystem;

namespace {

std::vector<BoardEntry>& BoardTable() {
  static std::vector<BoardEntry> boards;
  return boards;
}

std::string BoardBank(std::string_view folder) {
  return std::string(kBoardFolder) + "\\" + std::string(folder) + "\\civano";
}

// True when a language folder of the board holds a bank: the board's own
// bank is missing (deleted), not a folder that was never a board.
bool HasTranslatedBank(std::string_view folder) {
  std::error_code ec;
  const std::string board = std::string(kBoardFolder) + "\\" + std::string(folder);
  for (fs::directory_iterator it(platform::ResolveGamePath(board), ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (it->is_directory(typeError) && TextBankExists(board + "\\" + it->path().filename().string() + "\\civano"))
      return true;
  }
  return false;
}

// The board's texts in the interface's language: the board's own bank (its
// English texts) with those of its language folder over them, when the board
// has one (gamedata\fonts\board\<board>\<language>\civano). Each falls
// back on the other text by text; a damaged or missing one is named once. A
// folder without a bank of its own or of a language is no board.
bool ReadBoardTexts(std::string_view folder, TextBankData& texts) {
  const std::string english = BoardBank(folder);
  if (!TextBankExists(english) && !HasTranslatedBank(folder)) return false;
  const bool englishRead = ReadTextBankFiles(english, texts) == kTextOk;
  bool translatedRead = false;
  const std::string& language = InterfaceLanguage();
  if (language != platform::kDefaultLanguage) {
    const std::string translatedBank =
        std::string(kBoardFolder) + "\\" + std::string(folder) + "\\" + language + "\\civano";
    TextBankData translated;
    translatedRead = ReadTextBankFiles(translatedBank, translated) == kTextOk;
    if (translatedRead) {
      FillMissingTexts(translated, texts);
      texts = std::move(translated);
    } else if (TextBankExists(translatedBank)) {
      SayTextBankUnreadable(translatedBank, "the board's texts are in English");
    }
  }
  if (!englishRead)
    SayTextBankUnreadable(english, translatedRead ? "the board's texts its translation lacks are empty"
                                                  : "the board " + std::string(folder) + " is left out");
  return englishRead || translatedRead;
}

// The board's display name: string 1 of its own bank (text 2233 once
// loaded), the folder name when that is empty. False when the bank does not
// read.
bool ReadDisplayName(std::string_view folder, std::string& name) {
  TextBankData texts;
  if (!ReadBoardTexts(folder, texts)) return false;
  CTextSystem bank;
  bank.SetTextBank(std::move(texts));
  name.clear();
  if (bank.StringCount() > 1) bank.GetTextAscii(name, 1);
  if (name.empty()) name = folder;
  if (name.size() > 31) name.resize(31);
  return true;
}

}  // namespace

void ListBoards() {
  std::vector<BoardEntry>& boards = BoardTable();
  boards.clear();
  std::vector<std::string> folders;
  std::error_code ec;
  for (fs::directory_iterator it(platform::ResolveGamePath(kBoardFolder), ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_directory(typeError)) continue;
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.' || name[0] == '_' || name.size() > 31 || !IsPlainFolderName(name)) continue;
    folders.push_back(name);
  }
  std::sort(folders.begin(), folders.end());
  for (const std::string& folder : folders) {
    if (static_cast<int32_t>(boards.size()) >= kMaxBoards) break;
    BoardEntry entry{folder, {}};
    if (ReadDisplayName(folder, entry.displayName)) boards.push_back(std::move(entry));
  }
}

const std::vector<BoardEntry>& Boards() { return BoardTable(); }

int32_t FindBoard(std::string_view folder) {
  const std::vector<BoardEntry>& boards = BoardTable();
  for (size_t i = 0; i < boards.size(); ++i) {
    if (boards[i].folder == folder) return static_cast<int32_t>(i);
  }
  return -1;
}

bool LoadBoard(std::string_view folder) {
  if (!IsPlainFolderName(folder)) return false;
  TextBankData texts;
  if (!ReadBoardTexts(folder, texts) ||
      !InterfaceTextSystem().ReplaceTextsFrom(std::move(texts), kBoardFirstText))
    return false;
  LoadCurrencyFormat();
  ReadParameterFile(std::string(kBoardFolder) + "\\" + std::string(folder) + "\\board.prm");
  ReleaseBlockLabels();  // the blocks' names are the board's: their labels are built anew
  return true;
}

