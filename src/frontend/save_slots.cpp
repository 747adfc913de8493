#include "frontend/save_slots.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>

#include "session/goals.h"
#include "session/save_chunks.h"
#include "session/scenarios.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSaveExtension = ".sav";

bool HasSaveExtension(std::string_view name) {
  if (name.size() <= kSaveExtension.size()) return false;
  const std::string_view ext = name.substr(name.size() - kSaveExtension.size());
  return std::equal(ext.begin(), ext.end(), kSaveExtension.begin(),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

// The real folder of the current profile's saves.
fs::path SaveFolder() { return fs::path(ResolveSavePath(SaveGamePath("x.sav"))).parent_path(); }

}  // namespace

int32_t TwelveHour(int32_t hour24, const char** suffix) {
  *suffix = hour24 >= 12 ? "pm" : "am";
  const int32_t h = hour24 % 12;
  return h == 0 ? 12 : h;
}

std::string FormatSaveTime(const std::tm& local) {
  const char* suffix = "am";
  const int32_t hour = TwelveHour(local.tm_hour, &suffix);
  char date[64];
  if (std::strftime(date, sizeof date, "%x", &local) == 0) date[0] = '\0';
  char text[96];
  std::snprintf(text, sizeof text, "%d:%02d%s %s", hour, local.tm_min, suffix, date);
  return text;
}

SaveNameCheck CheckSaveName(std::string_view typed) {
  if (typed.empty()) return SaveNameCheck::kNameEmpty;
  if (typed == "." || typed == ".." || typed.find_first_of("/\\:*?\"<>|") != std::string_view::npos ||
      std::any_of(typed.begin(), typed.end(), [](char c) { return static_cast<unsigned char>(c) < 32; })) {
    return SaveNameCheck::kNameNotPlain;
  }
  if (SaveGamePath(SaveFileName(typed)).size() > kSavePathMax) return SaveNameCheck::kNameTooLong;
  if (!PlayerSaveName(SaveFileName(typed))) return SaveNameCheck::kNameNotPlain;  // hidden, or the recorder's
  return SaveNameCheck::kNameOk;
}

std::string SaveFileName(std::string_view typed) { return std::string(typed) + std::string(kSaveExtension); }

void SaveSlotList::Clear() {
  slots_.clear();
  highlighted_ = -1;
}

void SaveSlotList::Fill() {
  Clear();
  std::error_code ec;
  for (fs::directory_iterator it(SaveFolder(), ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    const std::string name = it->path().filename().string();
    if (!HasSaveExtension(name)) continue;
    SaveSlot slot{name, name.substr(0, name.size() - kSaveExtension.size()), {}};
    // Hour, minute and date all from the one local time of the last write.
    struct stat info {};
    std::tm local{};
    if (::stat(it->path().c_str(), &info) == 0 && localtime_r(&info.st_mtime, &local) != nullptr) {
      slot.timeText = FormatSaveTime(local);
    }
    slots_.push_back(std::move(slot));
  }
  std::sort(slots_.begin(), slots_.end(), [](const SaveSlot& a, const SaveSlot& b) { return a.fileName < b.fileName; });
}

void SaveSlotList::Highlight(int32_t index) {
  if (index < -1 || index >= static_cast<int32_t>(slots_.size())) return;
  highlighted_ = index;
}

const SaveSlot* SaveSlotList::HighlightedSlot() const {
  return highlighted_ >= 0 ? &slots_[static_cast<size_t>(highlighted_)] : nullptr;
}

bool SaveSlotList::FindSave(std::string_view fileName) {
  for (size_t i = 0; i < slots_.size(); ++i) {
    if (slots_[i].fileName == fileName) {
      highlighted_ = static_cast<int32_t>(i);
      return true;
    }
  }
  return false;
}

std::optional<SaveInfo> SaveSlotList::HighlightedInfo() const {
  const SaveSlot* slot = HighlightedSlot();
  if (slot == nullptr) return std::nullopt;
  return ReadSaveInfo(slot->fileName);
}

bool SaveSlotList::DeleteHighlighted() {
  const SaveSlot* slot = HighlightedSlot();
  if (slot == nullptr) return false;
  std::error_code ec;
  const fs::path file = SaveFolder() / slot->fileName;
  // Only a file of this folder: the name came from the folder itself.
  const bool removed = fs::is_regular_file(fs::symlink_status(file, ec)) && fs::remove(file, ec) && !ec;
  Fill();
  return removed;
}

std::optional<SaveInfo> ReadSaveInfo(std::string_view fileName) {
  // The header and goals records are also the running game's: a summary
  // read for the page must leave them as they were.
  const SaveGameHeader running = CurrentSaveHeader();
  const CGameGoal runningGoal = GameGoal();
  const bool read = ReadSaveChunks(fileName, kChunkHeader | kChunkGoals);
  const SaveGameHeader header = CurrentSaveHeader();
  const CGameGoal goal = GameGoal();
  CurrentSaveHeader() = running;
  GameGoal() = runningGoal;
  if (!read) return std::nullopt;
  SaveInfo info;
  info.shownName = std::string(fileName.substr(0, HasSaveExtension(fileName) ? fileName.size() - kSaveExtension.size()
                                                                             : fileName.size()));
  info.scenario = ScenarioManager().FindById(header.scenarioId);
  info.year = header.year;
  info.money = header.money;
  info.difficulty = header.difficulty;
  if (goal.kind != OBJECTIVE_NONE && goal.target > 0 && goal.target < 2e9f) info.goalTarget = int32_t(goal.target);
  return info;
}
