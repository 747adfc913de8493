#include "ui/panel_manager.h"

#include "engine/render/renderer.h"
#include "ui/cursors.h"
#include "ui/hover_info.h"
#include "ui/ui_services.h"

CPanelManager::~CPanelManager() {
  for (CPanel* p : Panels()) p->manager = nullptr;
}

CLayoutEntity* CPanelManager::NewEntity(const LayoutModel* model) {
  entities.push_back(std::make_unique<CLayoutEntity>());
  entities.back()->model = model;
  return entities.back().get();
}

CPanel* CPanelManager::AddPanel(CPanel* panel, CLayoutEntity* model, const char* hotArea,
                                const char* dragBar) {
  panel->BindLayout(model, hotArea, dragBar, this);
  MoveToFront(panel);
  return panel;
}

CPanel* CPanelManager::AddPanelWithModel(CPanel* panel, const LayoutModel* model, const char* hotArea,
                                         const char* dragBar) {
  return AddPanel(panel, NewEntity(model), hotArea, dragBar);
}

std::vector<CPanel*> CPanelManager::Panels() const {
  std::vector<CPanel*> list;
  for (CPanel* p = front; p != nullptr; p = p->next) list.push_back(p);
  return list;
}

void CPanelManager::Unlink(CPanel* p) {
  if (p->previous) p->previous->next = p->next;
  if (p->next) p->next->previous = p->previous;
  if (front == p) front = p->next;
  if (back == p) back = p->previous;
  p->next = p->previous = nullptr;
}

void CPanelManager::RemovePanel(CPanel* panel) {
  Unlink(panel);
  for (CWidget** w : {&hovered, &entered, &tooltipWidget, &focusedEditBox})
    if (*w && (*w)->IsOwnedBy(panel)) *w = nullptr;
  panel->manager = nullptr;
}

void CPanelManager::ReleasePanels() {
  for (CPanel* p : Panels()) {
    RemovePanel(p);
    p->open = p->animating = p->settling = p->modal = false;
    p->built = false;
    p->layoutModel = nullptr;  // its entity goes with the others below
  }
  entities.clear();
  hovered = entered = tooltipWidget = focusedEditBox = nullptr;
  modalCount = 0;
  modalPresent = false;
}

void CPanelManager::MoveToFront(CPanel* panel) {
  if (panel == nullptr) return;
  Unlink(panel);
  panel->next = front;
  if (front) front->previous = panel;
  front = panel;
  if (back == nullptr) back = panel;
  // A raised panel goes in front of all but the one that stays in front.
  if (panel->staysInFront) return;
  for (CPanel* p : Panels())
    if (p->staysInFront) MoveToFront(p);
}

void CPanelManager::FindHovered(CPanel* modalPanel, CPanel*& found) {
  found = nullptr;
  // A pressed or dragged widget keeps the mouse until it lets go.
  if (hovered != nullptr && !hovered->IsEnabled()) return;
  if (modalPanel) {
    hovered = modalPanel->PickWidget();
    found = modalPanel;
    if (CapturedPanel()) hovered = found = CapturedPanel();
    return;
  }
  if (CapturedPanel()) {
    hovered = found = CapturedPanel();
    return;
  }
  hovered = nullptr;
  for (CPanel* p : Panels()) {
    if (CWidget* w = p->PickWidget()) {
      hovered = w;
      found = p;
      return;
    }
  }
}

void CPanelManager::SendMouseMessage(CPanel* found) {
  const UiMouse& m = Ui().mouse;
  const UiMouse& before = Ui().previousMouse;
  if (hovered != entered) {
    if (entered) entered->HandleMessage(kMsgMouseLeft, 0, 0);
    hovered->HandleMessage(kMsgMouseEntered, 0, 0);
    entered = hovered;
  }
  if (hovered != tooltipWidget && !(found && found->inputBlocked)) {
    tooltipWidget = hovered;
    HoverInfo().SetWidgetTooltip(hovered, false);
  }
  if (m.right) return;
  auto& chars = Ui().chars;
  const bool charWaiting = focusedEditBox == nullptr && !chars.empty();
  int32_t type = 0, value = 0;
  if (m.left && !before.left) type = kMsgLeftPressed;
  else if (m.left && before.left) type = kMsgLeftHeld;
  else if (!m.left && before.left) type = kMsgLeftReleased;
  else if (m.wheel > 0 && before.wheel == 0) type = kMsgWheelForward;
  else if (m.wheel < 0 && before.wheel == 0) type = kMsgWheelBack;
  else if (charWaiting) type = kMsgCharacter, value = chars.front();
  // A press, release or wheel turn acts once: the first set whose widget is
  // under the pointer takes it.
  const bool edge = type != 0 && type != kMsgLeftHeld && type != kMsgCharacter;
  if (edge && Ui().mouseTaken) type = 0;
  if (edge && type != 0) Ui().mouseTaken = true;
  if (type != 0) hovered->HandleMessage(type, 0, value);
  // Unused typed characters are not kept for later.
  if (charWaiting && !chars.empty()) chars.pop_front();
}

void CPanelManager::ProcessInput() {
  if (!shown) return;
  const UiMouse& m = Ui().mouse;
  const UiMouse& before = Ui().previousMouse;
  if (before.right && !m.right) entered = nullptr;
  modalPresent = false;
  CPanel* modalPanel = nullptr;
  for (CPanel* p : Panels()) {
    if (p->modal) {
      modalPresent = true;
      modalPanel = p;
    }
    p->StepAnimation();
    if (p->raiseRequest) {
      p->raiseRequest = false;
      MoveToFront(p);
    }
    if (p->open) p->OnEvent(kMsgFrameTick, 0, 0);
  }
  CPanel* found = nullptr;
  FindHovered(modalPanel, found);
  if (m.right) hovered = nullptr;
  if (before.right && !m.right) {
    RequestCursor(kCursorPointer, 1);
    entered = nullptr;
  }
  if (hovered) {
    SendMouseMessage(found);
  } else if (tooltipWidget) {
    tooltipWidget->HandleMessage(kMsgMouseLeft, 0, 0);
    if (entered == tooltipWidget) entered = nullptr;
    HoverInfo().ClearWidgetTooltip();
    tooltipWidget = nullptr;
  }
  // The box takes every character waiting: after a slow frame several come
  // at once, and one a pass would leave the rest to pile up and be cut.
  auto& chars = Ui().chars;
  while (focusedEditBox && focusedEditBox->visible && !chars.empty()) {
    const size_t waiting = chars.size();
    focusedEditBox->HandleMessage(kMsgCharacter, 0, 0);
    if (chars.size() >= waiting) break;  // an inactive box takes none
  }
}

void CPanelManager::Draw() {
  if (!shown) return;
  for (CPanel* p = back; p != nullptr; p = p->previous) p->DrawTree();
  if (CRenderer* r = UiRenderer()) r->SetViewOffset(0.0f, 0.0f, 0.0f);
}

void CPanelManager::CloseAll() {
  for (CPanel* p : Panels()) p->Close();
}

void CPanelManager::RefreshAll() {
  for (CPanel* p : Panels()) p->HandleMessage(kMsgRefresh, 0, 0);
}

void CPanelManager::ResetPanels() {
  // A raise asked for in the last game is no reason to come to the front.
  for (CPanel* p : Panels()) {
    p->ResetPosition();
    p->raiseRequest = false;
  }
  hovered = entered = nullptr;
}

void CPanelManager::PushModal() {
  if (modalCount == 0)
    for (CPanel* p : Panels()) p->FadeOut();
  ++modalCount;
}

void CPanelManager::PopModal() {
  if (modalCount > 0) --modalCount;
  if (modalCount == 0)
    for (CPanel* p : Panels()) p->FadeIn();
}

void CPanelManager::PushModal(CPanel* panel) {
  PushModal();
  panel->FadeIn();
  panel->modal = true;
}

void CPanelManager::PopModal(CPanel* panel) {
  PopModal();
  panel->modal = false;
}

void CPanelManager::SetKeyboardFocus(CWidget* editBox) {
  if (focusedEditBox && focusedEditBox != editBox) focusedEditBox->Deactivate();
  focusedEditBox = editBox;
}

void CPanelManager::DropTooltipWidget() {
  if (tooltipWidget == nullptr) return;
  tooltipWidget->HandleMessage(kMsgMouseLeft, 0, 0);
  HoverInfo().ClearWidgetTooltip();
  tooltipWidget = nullptr;
}

void CPanelManager::ForgetHovered(CPanel* panel) {
  if (hovered && hovered->IsOwnedBy(panel)) hovered = nullptr;
}
