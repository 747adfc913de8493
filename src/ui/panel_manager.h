#pragma once
// A set of panels as a front-to-back list. Once per input frame the manager
// steps the panels' animations, finds the widget under the mouse and sends
// it the mouse, wheel and keyboard messages; it draws the panels back to
// front and keeps the hovered widget, the tooltip widget and the keyboard
// focus. The in-game HUD, the auction screen and the front end each have one.
#include <cstdint>
#include <memory>
#include <vector>

#include "ui/layout_model.h"
#include "ui/panel.h"

class CPanelManager {
 public:
  CPanelManager() = default;
  CPanelManager(const CPanelManager&) = delete;
  CPanelManager& operator=(const CPanelManager&) = delete;
  virtual ~CPanelManager();

  virtual void CreatePanels() = 0;

  CPanel* AddPanel(CPanel* panel, CLayoutEntity* model, const char* hotArea = nullptr,
                   const char* dragBar = nullptr);
  // The same with a layout-model entity the manager places for `model`.
  CPanel* AddPanelWithModel(CPanel* panel, const LayoutModel* model, const char* hotArea = nullptr,
                            const char* dragBar = nullptr);
  void MoveToFront(CPanel* panel);
  // Takes a panel out of the set (a panel leaving is forgotten everywhere).
  void RemovePanel(CPanel* panel);
  // Every panel out of the set and no longer built, the set's entities gone:
  // CreatePanels may make the set again (its panels are then built afresh).
  void ReleasePanels();
  void ProcessInput();
  void Draw();
  void CloseAll();
  void RefreshAll();
  // Each panel back to its place, with no raise pending.
  void ResetPanels();
  void PushModal(CPanel* panel);
  void PopModal(CPanel* panel);
  void PushModal();  // only fades the set
  void PopModal();
  bool IsMouseOverPanels() const { return shown && hovered != nullptr; }
  // The edit box that had the focus loses it (Deactivate).
  void SetKeyboardFocus(CWidget* editBox);
  void DropTooltipWidget();
  void ForgetHovered(CPanel* panel);
  // The panels from front to back.
  std::vector<CPanel*> Panels() const;

  bool modalPresent = false;
  bool shown = true;
  CPanel* front = nullptr;
  CPanel* back = nullptr;
  CWidget* tooltipWidget = nullptr;
  CWidget* hovered = nullptr;
  CWidget* entered = nullptr;
  CWidget* focusedEditBox = nullptr;
  uint8_t modalCount = 0;
  // The layout-model entities the set places, owned by the manager.
  std::vector<std::unique_ptr<CLayoutEntity>> entities;

 protected:
  CLayoutEntity* NewEntity(const LayoutModel* model);

 private:
  void FindHovered(CPanel* modalPanel, CPanel*& found);
  void SendMouseMessage(CPanel* found);
  void Unlink(CPanel* panel);
};
