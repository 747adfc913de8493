#pragma once
// What the program's two ImGui windows (the set-up dialog and the building
// editor's window) share.
#include <imgui.h>

namespace platform {

// The first DejaVu Sans face found, at `size` points: Latin-1 covers the
// nine languages' texts, ImGui's own face only ASCII. No imgui.ini is kept in
// the game folder.
void LoadImGuiFont(float size);

// The controls made while it lives are drawn greyed and take no input unless
// `on`.
class ImGuiEnabledScope {
 public:
  explicit ImGuiEnabledScope(bool on) : on_(on) {
    if (!on_) ImGui::BeginDisabled();
  }
  ~ImGuiEnabledScope() {
    if (!on_) ImGui::EndDisabled();
  }
  ImGuiEnabledScope(const ImGuiEnabledScope&) = delete;
  ImGuiEnabledScope& operator=(const ImGuiEnabledScope&) = delete;

 private:
  bool on_;
};

}  // namespace platform
