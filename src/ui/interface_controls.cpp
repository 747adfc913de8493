#include "ui/interface_controls.h"

#include <array>

#include "ui/game_panels.h"
#include "ui/panel_manager.h"
#include "ui/widget.h"

namespace {

std::array<CWidget*, kInterfaceControlSlots>& Slots() {
  static std::array<CWidget*, kInterfaceControlSlots> slots{};
  return slots;
}

bool IsSlot(int32_t slot) { return slot >= 0 && slot < kInterfaceControlSlots; }

// A widget and everything below it.
void SetTree(CWidget& widget, bool flag) {
  widget.inputDisabled = flag;
  if (widget.firstChild) widget.firstChild->SetInputDisabledTree(flag);
}

void SetAll(CPanelManager& set, bool flag) {
  for (CPanel* panel : set.Panels())
    if (panel) SetTree(*panel, flag);
}

}  // namespace

void SetInterfaceControl(int32_t slot, CWidget* widget) {
  if (IsSlot(slot)) Slots()[size_t(slot)] = widget;
}

CWidget* InterfaceControl(int32_t slot) { return IsSlot(slot) ? Slots()[size_t(slot)] : nullptr; }

void ClearInterfaceControls() { Slots().fill(nullptr); }

void ForgetInterfaceControl(const CWidget* widget) {
  for (CWidget*& slot : Slots())
    if (slot == widget) slot = nullptr;
}

void DisableAllControls(CPanelManager& set, int32_t promptSlot) {
  SetAll(set, true);
  if (CWidget* prompt = InterfaceControl(promptSlot)) prompt->inputDisabled = false;
}

void EnableAllControls(CPanelManager& set) { SetAll(set, false); }

void DisableAllHudControls() { DisableAllControls(GamePanels(), kHudPromptControl); }
void EnableAllHudControls() { EnableAllControls(GamePanels()); }

bool DisableHudControl(int32_t slot) {
  if (!IsSlot(slot)) return false;
  if (CWidget* w = InterfaceControl(slot)) w->inputDisabled = true;
  return true;
}

bool EnableHudControl(int32_t slot) {
  if (!IsSlot(slot)) return false;
  if (CWidget* w = InterfaceControl(slot)) w->inputDisabled = false;
  return true;
}

bool EnableHudControlAndChildren(int32_t slot) {
  if (!IsSlot(slot)) return false;
  if (CWidget* w = InterfaceControl(slot)) SetTree(*w, false);
  return true;
}
