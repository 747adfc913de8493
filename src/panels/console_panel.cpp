#include "panels/console_panel.h"

#include <algorithm>
#include <sstream>

#include "engine/core/console.h"
#include "ui/edit_box.h"
#include "ui/panel_manager.h"

namespace {

// The history's font: small enough for a good part of the 30 lines.
constexpr int32_t kHistoryFont = 2;
constexpr float kStampX1 = 480, kStampY1 = 55, kStampX2 = 640, kStampY2 = 95;

// The reply sink a bound console installs: the line to the console, then to
// the sink that was there before it. Named, so a console knows its own.
struct PanelSink {
  CConsolePanel* panel;
  ConsoleSink before;
  void operator()(std::string_view text, int kind) const {
    panel->Print(text, kind);
    if (before) before(text, kind);
  }
};

}  // namespace

std::string BuildTimeText() { return __TIME__; }

std::string BuildDateText() {
  // The compiler pads a one-digit day with a blank: "Dec  9 2026".
  std::istringstream in(__DATE__);
  std::string month, day, year;
  in >> month >> day >> year;
  return month + " " + day + " " + year;
}

// The command table's sink is made before the panel, so that it is still
// there when the panel, a static object, lets go of it at the program's end.
CConsolePanel::CConsolePanel() { SetConsoleSink(SetConsoleSink(nullptr)); }

// A console that goes hands the replies back to the sink before it, when
// its own is the current one; another console bound later keeps its own.
CConsolePanel::~CConsolePanel() {
  ConsoleSink current = SetConsoleSink(nullptr);
  const PanelSink* mine = current.target<PanelSink>();
  SetConsoleSink(mine && mine->panel == this ? mine->before : std::move(current));
}


int32_t CConsolePanel::KindColour(int32_t kind) {
  if (kind == kConsoleEcho) return 4;
  if (kind == kConsoleError) return 6;
  return 5;
}

void CConsolePanel::Build() {
  const UIRect h = ElementRect("P_CONSOLE_MAIN_WINDOW");
  history.Attach(h.x1, h.y1, h.x2, h.y2, this, this, 0);
  history.Clear();
  history.SetFont(kHistoryFont);
  history.SetAlignment(0, 2, -1);
  const UIRect in = ElementRect("P_CONSOLE_INPUT_WINDOW");
  input = CreateEditBox(0, in.x1, in.y1, in.x2, in.y2);
  input->clickable = true;
  buildStamp.Attach(kStampX1, kStampY1, kStampX2, kStampY2, this, this, 1);
  buildStamp.Clear();
  buildStamp.AddText(BuildTimeText());
  buildStamp.AddText(BuildDateText());
  buildStamp.SetAlignment(1, 0, 0);
  buildStamp.SetRect(kStampX1, kStampY1, kStampX2, kStampY2);
  // Replies of the command table land here from now on (and still where
  // they went before); built again, the console keeps the one sink.
  ConsoleSink before = SetConsoleSink(nullptr);
  const PanelSink* mine = before.target<PanelSink>();
  if (mine && mine->panel == this) {
    SetConsoleSink(std::move(before));
    return;
  }
  SetConsoleSink(PanelSink{this, std::move(before)});
}

void CConsolePanel::Print(std::string_view text, int32_t kind) {
  if (!built) return;
  std::string& line = lines[size_t(write)];
  line.assign(text.substr(0, kConsoleLineCapacity));
  if (line.empty()) line = " ";
  colours[size_t(write)] = uint8_t(KindColour(kind));
  ++write;
  Refill();
  if (write == start) {
    start = (start + 1) % kConsoleHistoryLines;
    wrapped = true;
  }
  if (write == kConsoleHistoryLines) {
    write = 0;
    start = 1;
    wrapped = true;
  }
}

// The window holds the entries oldest first: before the ring has wrapped
// start .. write - 1, after it start .. 29 and 0 .. start - 1. Each is added
// as plain text (never as a format) and all its wrapped lines take its
// colour. The newest line is always in view.
void CConsolePanel::Refill() {
  history.Clear();
  shown.clear();
  auto add = [this](int32_t i) {
    const int32_t first = history.LineCount();
    history.AddText(lines[size_t(i)]);
    for (int32_t l = first; l < history.LineCount(); ++l)
      history.SetLineStyle(l, colours[size_t(i)], -1, false);
    shown.push_back(lines[size_t(i)]);
  };
  if (!wrapped) {
    for (int32_t i = start; i < write; ++i) add(i);
  } else {
    for (int32_t i = start; i < kConsoleHistoryLines; ++i) add(i);
    for (int32_t i = 0; i < start; ++i) add(i);
  }
  history.FitVisibleLines();
  history.SetFirstLine(std::max(0, history.LineCount() - std::max(1, history.visibleLines)));
}

void CConsolePanel::DrawSelf() {
  history.Draw(LayoutEntity());
  buildStamp.Draw(LayoutEntity());
}

int32_t CConsolePanel::OnEvent(int32_t type, int32_t, int32_t) {
  if (type != kNotifyEditEnter || input == nullptr) return 0;
  std::string typed;
  input->GetText(typed);
  Print(typed, kConsoleEcho);
  ExecuteConsoleCommand(typed.c_str());
  input->SetText("");
  // The box stays ready for the next line while the console is open, with
  // what was typed after the Enter kept.
  if (open) input->active = input->caretShown = true;
  return 0;
}

void CConsolePanel::OnOpen() {
  if (manager) manager->PushModal(this);
  SetConsoleOpen(true);
  raiseRequest = true;
  if (input) input->Activate();
}

void CConsolePanel::OnClose() {
  if (manager) {
    manager->PopModal(this);
    if (manager->focusedEditBox == input) manager->SetKeyboardFocus(nullptr);
  }
  SetConsoleOpen(false);
}
