#pragma once
// The saved games of the current profile as the load and save pages list
// them. The list keeps each line's file name from the fill, and every action
// (show, load, save over, delete) names that file: a folder that changes
// while the page is open never makes a line act on another file.
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ScenarioEntry;

struct SaveSlot {
  std::string fileName;  // with its extension: what load, save and delete take
  std::string shownName;  // without the extension
  std::string timeText;  // time of last write, "h:mm[am|pm] date"
};

// "h:mm" with am or pm and the date, all from the same local time: hour 0
// shows as 12am, 12 as 12pm, 13 as 1pm.
std::string FormatSaveTime(const std::tm& local);
// The hour on the twelve-hour clock and its suffix.
int32_t TwelveHour(int32_t hour24, const char** suffix);

// What a save's summary shows; empty fields for what it does not know.
struct SaveInfo {
  std::string shownName;
  const ScenarioEntry* scenario = nullptr;  // null: a level no longer listed
  int32_t year = 0;
  float money = 0.0f;
  int32_t difficulty = 0;
  int32_t goalTarget = 0;  // the saved game's own target; 0 when it has none
};

// Why a save name cannot be used (kNameOk: it can).
enum class SaveNameCheck { kNameOk, kNameEmpty, kNameNotPlain, kNameTooLong };
// Checks a name typed for a new save (without ".sav").
SaveNameCheck CheckSaveName(std::string_view typed);
// The file name of a typed save name.
std::string SaveFileName(std::string_view typed);

class SaveSlotList {
 public:
  // Lists "*.sav" of the current profile's folder, by name; no highlight.
  void Fill();
  void Clear();
  const std::vector<SaveSlot>& Slots() const { return slots_; }
  int32_t Highlighted() const { return highlighted_; }
  // -1 removes the highlight; an index outside the list is ignored.
  void Highlight(int32_t index);
  const SaveSlot* HighlightedSlot() const;
  // Load, Save over and Delete act on the highlight.
  bool ButtonsEnabled() const { return highlighted_ >= 0; }
  // Highlights the save whose file name is exactly `fileName`; false when
  // the list holds none.
  bool FindSave(std::string_view fileName);
  // The summary of the highlighted save; nothing when there is no highlight
  // or the summary cannot be read.
  std::optional<SaveInfo> HighlightedInfo() const;
  // Deletes the highlighted save's file and refills; false when nothing was
  // highlighted or the file could not be removed.
  bool DeleteHighlighted();

 private:
  std::vector<SaveSlot> slots_;
  int32_t highlighted_ = -1;
};

// The summary of one save of the current profile.
std::optional<SaveInfo> ReadSaveInfo(std::string_view fileName);
