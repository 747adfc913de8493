#pragma once
// The login page's list of profiles: the names as the profiles folder gave
// them (at most 32, each short enough for the list), which one is
// highlighted, where the list is scrolled, and which buttons the highlight
// enables. The page draws it; the profile record and folder stay with
// script/profiles.h.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ProfileList {
 public:
  static constexpr int32_t kCapacity = 32;

  // Empties the list and fills it from the profiles folder, highlighting
  // `current` (exact match) and scrolling it into view.
  void Refresh(std::string_view current, int32_t visibleLines);
  // Appends one name; a name of 32 characters or more, or one past the
  // capacity, is left out. Highlights it when it is `current`.
  void AddProfileName(std::string_view name, std::string_view current, int32_t visibleLines);
  void Clear();
  bool HasProfileName(std::string_view name) const;
  // -1 clears the highlight; an index outside the list is ignored.
  void Highlight(int32_t index, int32_t visibleLines);

  const std::vector<std::string>& Names() const { return names_; }
  int32_t Highlighted() const { return highlighted_; }
  // Delete, OK and Cancel act on the highlight and are enabled with it.
  bool ButtonsEnabled() const { return highlighted_ >= 0; }
  int32_t FirstVisible() const { return firstVisible_; }
  // The highlighted name; empty without a highlight.
  std::string HighlightedName() const;

 private:
  std::vector<std::string> names_;
  int32_t highlighted_ = -1;
  int32_t firstVisible_ = 0;
};

// First visible line that shows `line` when `visible` lines fit: 0 while the
// line is on the first page, else the line ends the page.
int32_t ScrollToShow(int32_t line, int32_t visible);
