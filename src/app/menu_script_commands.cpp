#include "app/menu_script_commands.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <sstream>
#include <string>

#include "engine/core/console.h"
#include "engine/input/input_device.h"
#include "frontend/front_end.h"
#include "frontend/network_pages.h"
#include "session/session_state.h"
#include "ui/buttons.h"
#include "ui/list_box.h"
#include "ui/panel.h"

namespace {

struct MenuStep {
  enum Kind { kClick, kType, kLobby } kind = kClick;
  std::string element;
  int32_t line = -1;
  std::string text;
  int32_t phase = 0;
  float x = 0, y = 0;
};

std::deque<MenuStep>& Steps() {
  static std::deque<MenuStep> steps;
  return steps;
}

std::string WithLocalSlot(std::string element) {
  const size_t at = element.find("%L");
  if (at != std::string::npos) element.replace(at, 2, std::to_string(Session().localSlot + 1));
  return element;
}

bool Inside(const CWidget& w, float x, float y) { return x >= w.x1 && x <= w.x2 && y >= w.y1 && y <= w.y2; }

// Where the step would click now; false while it cannot.
bool FindTarget(MenuStep& step) {
  const std::string element = WithLocalSlot(step.element);
  for (CPanel* page : FrontEndScreens().Panels()) {
    if (!page->open || CPanel::FindElementIndex(element, page->LayoutEntity()) < 0) continue;
    const UIRect r = page->ElementRect(element);
    float x = (r.x1 + r.x2) / 2, y = (r.y1 + r.y2) / 2;
    CWidget* target = nullptr;
    for (CWidget* w = page->firstChild; w; w = w->nextSibling)
      if (w->visible && Inside(*w, x, y)) target = w;
    // Nothing shown there yet (a hidden button, a page still filling).
    if (target == nullptr) return false;
    {
      if (target->inputDisabled) return false;
      if (auto* b = dynamic_cast<CIconButton*>(target); b && b->disabled) return false;
      if (step.line >= 0) {
        auto* list = dynamic_cast<CListBox*>(target);
        if (list == nullptr || list->count <= step.line) return false;
        y = list->y1 + float(list->text.lineHeight) * (float(step.line - list->scrollPos) + 0.5f);
      }
    }
    const CLayoutEntity* at = page->LayoutEntity();
    step.x = x + (at ? at->x : 0.0f);
    step.y = y + (at ? at->y : 0.0f);
    return true;
  }
  return false;
}

bool LobbyGathered(int32_t n) {
  if (!NetworkLobbyOpen()) return false;
  int32_t taken = 0;
  for (const LobbySlot& s : NetworkLobbySlots().slots) {
    if (!s.Used()) continue;
    if (s.ready != 1) return false;
    ++taken;
  }
  return taken == n;
}

void Pointer(float x, float y, bool down) {
  g_InputState.uiCursorX = int32_t(x);
  g_InputState.uiCursorY = int32_t(y);
  g_InputState.leftButton = down ? 1 : 0;
}

int MenuCommand(const char* rest) {
  std::istringstream in(rest ? rest : "");
  std::string verb;
  in >> verb;
  std::transform(verb.begin(), verb.end(), verb.begin(), [](unsigned char c) { return char(std::toupper(c)); });
  MenuStep step;
  if (verb == "CLICK" && (in >> step.element)) {
    if (!(in >> step.line)) step.line = -1;
  } else if (verb == "TYPE") {
    step.kind = MenuStep::kType;
    std::getline(in >> std::ws, step.text);
  } else if (verb == "LOBBY" && (in >> step.line) && step.line >= 1 && step.line <= 6) {
    step.kind = MenuStep::kLobby;
  } else {
    ConsolePrintF(kConsoleError, "MENU CLICK element [line] | MENU TYPE text | MENU LOBBY players");
    return 0;
  }
  Steps().push_back(step);
  return 1;
}

}  // namespace

void AttachMenuScriptCommands() { RegisterConsoleCommand("MENU", MenuCommand); }

void StepMenuScript() {
  if (Steps().empty()) return;
  MenuStep& step = Steps().front();
  switch (step.kind) {
    case MenuStep::kLobby:
      if (LobbyGathered(step.line)) Steps().pop_front();
      return;
    case MenuStep::kType:
      // One character an input frame, as a typist would; Return last.
      if (CInputDevice* device = TheInputDevice())
        device->PushChar(step.phase < int32_t(step.text.size()) ? uint8_t(step.text[size_t(step.phase)]) : 13);
      if (++step.phase > int32_t(step.text.size())) Steps().pop_front();
      return;
    case MenuStep::kClick:
      // Over the element, pressed, held (lists choose then), released:
      // one input frame each.
      if (step.phase == 0 && !FindTarget(step)) return;
      Pointer(step.x, step.y, step.phase == 1 || step.phase == 2);
      if (++step.phase == 4) Steps().pop_front();
      return;
  }
}
