#include "frontend/profile_list.h"

#include <algorithm>

#include "script/profiles.h"

int32_t ScrollToShow(int32_t line, int32_t visible) {
  if (line < 0 || visible <= 0 || line < visible) return 0;
  return line - visible + 1;
}

void ProfileList::Clear() {
  names_.clear();
  highlighted_ = -1;
  firstVisible_ = 0;
}

void ProfileList::Refresh(std::string_view current, int32_t visibleLines) {
  Clear();
  for (const std::string& name : ListProfiles()) AddProfileName(name, current, visibleLines);
}

void ProfileList::AddProfileName(std::string_view name, std::string_view current, int32_t visibleLines) {
  if (name.size() > kProfileNameMax || static_cast<int32_t>(names_.size()) >= kCapacity) return;
  names_.emplace_back(name);
  if (name == current) Highlight(static_cast<int32_t>(names_.size()) - 1, visibleLines);
}

bool ProfileList::HasProfileName(std::string_view name) const {
  return std::find(names_.begin(), names_.end(), name) != names_.end();
}

void ProfileList::Highlight(int32_t index, int32_t visibleLines) {
  if (index < -1 || index >= static_cast<int32_t>(names_.size())) return;
  highlighted_ = index;
  if (index >= 0) firstVisible_ = ScrollToShow(index, visibleLines);
}

std::string ProfileList::HighlightedName() const {
  return highlighted_ >= 0 ? names_[static_cast<size_t>(highlighted_)] : std::string();
}
