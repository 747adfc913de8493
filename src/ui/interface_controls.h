#pragma once
// The interface control table: 106 slots, each a widget that a panel fills
// when it builds its widgets, numbered by the control ids the tutorial
// scripts use. Tutorials lock the interface through it: a locked widget
// ignores the mouse (its input-disabled flag). Slot 74 holds the heads-up
// prompt and slot 75 the auction screen's prompt, which stay usable when
// everything else is locked.
#include <cstdint>

class CPanelManager;
class CWidget;

inline constexpr int32_t kInterfaceControlSlots = 106;
inline constexpr int32_t kHudPromptControl = 74;
inline constexpr int32_t kAuctionPromptControl = 75;

// A panel's widget for a slot (null empties it); other slots are ignored.
void SetInterfaceControl(int32_t slot, CWidget* widget);
// The widget of a slot, null when empty or not a slot.
CWidget* InterfaceControl(int32_t slot);
void ClearInterfaceControls();
// Empties every slot that holds the widget (a widget being destroyed).
void ForgetInterfaceControl(const CWidget* widget);

// Every panel of the set with all its widgets locked, then the prompt
// control of `promptSlot` usable again; and every panel and widget unlocked.
void DisableAllControls(CPanelManager& set, int32_t promptSlot);
void EnableAllControls(CPanelManager& set);
// The heads-up panel set's forms.
void DisableAllHudControls();
void EnableAllHudControls();
// One slot's widget locked or unlocked, or unlocked with its children and
// their following siblings. An empty slot is ignored; false when the id is
// not a slot.
bool DisableHudControl(int32_t slot);
bool EnableHudControl(int32_t slot);
bool EnableHudControlAndChildren(int32_t slot);
