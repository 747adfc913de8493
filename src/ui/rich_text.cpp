#include "ui/rich_text.h"

#include <algorithm>
#include <cstdarg>

#include "ui/buttons.h"
#include "ui/cursors.h"
#include "ui/draw_2d.h"
#include "ui/layout_model.h"
#include "ui/panel.h"
#include "ui/scroll_bar.h"

namespace {

constexpr uint32_t kSeparatorColour = 0xFFE55F49u;
constexpr int32_t kValueColour = 9;
constexpr int32_t kLinkHeight = 10;

// The colour index a new left line of the kind gets; -1 keeps its colour.
int32_t KindColour(int32_t kind) {
  switch (kind) {
    case kRichHeading: return 16;
    case kRichLabel: return 0;
    case kRichPlain:
    case kRichMarked: return 10;
    default: return -1;
  }
}

std::string Formatted(const char* format, va_list args) { return FormatUiTextV(0, format, args); }

}  // namespace

// ---- CRichTextLink ------------------------------------------------------------

void CRichTextLink::SetRect(float ax1, float ay1, float ax2, float ay2) {
  CWidget::SetRect(ax1, ay1, ax2, ay2);
  if (button) button->SetRect(ax1, ay1, ax2, ay2);
}

void CRichTextLink::Build() {
  cursorId = kCursorHand;
  visible = false;
  button = CreateIconButton(0, x1, y1, x2, y2);
  button->SetMode(kIconFireOnRelease);
}

void CRichTextLink::SetTarget(const UiObjectRef& object, int32_t building) {
  target = object;
  targetBuilding = building;
  visible = Linked();
}

void CRichTextLink::SetValue(int32_t v) {
  linkValue = v;
  visible = !(v == -1 && !target.Valid());
}

int32_t CRichTextLink::OnEvent(int32_t type, int32_t a, int32_t) {
  UiGame& game = UiGameSide();
  switch (type) {
    case kMsgMouseEntered:
      hovered = true;
      break;
    case kMsgMouseLeft:
    case kNotifyIconLeft:
      hovered = false;
      game.SetHoveredBuilding(-1);
      break;
    case kMsgWheelForward:
    case kMsgWheelBack:
      if (parent) parent->OnEvent(type, id, a);
      break;
    case kNotifyClicked:
      Clicked(a);
      break;
    default:
      break;
  }
  return 0;
}

void CRichTextLink::Clicked(int32_t a) {
  UiGame& game = UiGameSide();
  if (target.Valid()) {
    // The object may have gone since the line was written.
    if (!game.ObjectExists(target)) return;
    if (game.ScreenMode() == 3) game.SetScreenMode(0);
    game.SelectObject(target, targetBuilding);
    game.FireTutorialEvent(6);
  } else if (linkValue != -1 && ownerPanel) {
    ownerPanel->OnEvent(kNotifyLinkValue, linkValue, 0);
  }
  if (ownerPanel) ownerPanel->OnEvent(kNotifyLinkClicked, id, a);
}

// ---- CRichTextBase ------------------------------------------------------------

void CRichTextBase::SetRect(float ax1, float ay1, float ax2, float ay2) {
  CWidget::SetRect(ax1, ay1, ax2, ay2);
  for (CTextRect* t : {&left, &right, &scratch}) t->SetRect(ax1, ay1, ax2, ay2);
}

void CRichTextBase::Build() {
  scrollBar = nullptr;
  for (CTextRect* t : {&left, &right, &scratch}) t->Attach(x1, y1, x2, y2, this, ownerPanel, 0);
  right.SetAlignment(2, kKeepAlignmentValue, kKeepAlignmentValue);
  cursorId = kCursorPointer;
  Clear();
}

void CRichTextBase::Clear() {
  left.Clear();
  right.Clear();
  scrollPos = -1;
  currentKind = 0;
  std::fill(lineKind.begin(), lineKind.end(), 0);
  std::fill(lineMark.begin(), lineMark.end(), 0);
  std::fill(lineTag.begin(), lineTag.end(), 0);
  if (ClearsSelection()) std::fill(lineSelected.begin(), lineSelected.end(), 0);
  for (CRichTextLink* link : lineLink) {
    link->SetTarget(UiObjectRef{}, -1);
    link->SetValue(-1);
  }
  std::fill(lineValue.begin(), lineValue.end(), -1);
  if (scrollBar) scrollBar->maximum = float(LongerColumn());
}

void CRichTextBase::EnsureLineCapacity() {
  const int32_t needed = left.LineCount() + 1;
  if (lineCapacity >= needed) return;
  lineSelected.resize(size_t(needed), 0);
  lineValue.resize(size_t(needed), -1);
  lineKind.resize(size_t(needed), 0);
  lineMark.resize(size_t(needed), 0);
  lineTag.resize(size_t(needed), 0);
  left.Layout();
  const int32_t first = std::max(0, scrollPos);
  for (int32_t i = lineCapacity; i < needed; ++i) {
    const float top = float((i - first) * left.lineHeight + left.lineTop);
    lineLink.push_back(CreateRichTextLink(0, x1, top, x2, top + float(kLinkHeight)));
  }
  lineCapacity = needed;
}

void CRichTextBase::ApplyKinds(int32_t from) {
  EnsureLineCapacity();
  const int32_t colour = KindColour(currentKind);
  for (int32_t i = std::max(0, from); i < left.LineCount(); ++i) {
    lineKind[size_t(i)] = currentKind;
    if (colour >= 0) left.SetLineStyle(i, colour, colour, false);
  }
  RefreshScrollRange();
  left.Layout();
  right.Layout();
  left.FitVisibleLines();
  right.FitVisibleLines();
}

void CRichTextBase::PadColumn(CTextRect& column, int32_t lines) {
  while (column.LineCount() < lines) column.AddText(" ");
}

void CRichTextBase::AddLeft(int32_t kind, const std::string* plain, int32_t textId, TextArgs args,
                            int32_t rightShort) {
  currentKind = kind;
  const int32_t from = left.LineCount();
  if (plain) left.AddText(*plain);
  else left.AddTextIdArgList(textId, args);
  ApplyKinds(from);
  PadColumn(right, left.LineCount() - rightShort);
}

void CRichTextBase::AddHeadingF(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string s = Formatted(format, args);
  va_end(args);
  AddLeft(kRichHeading, &s, 0, {}, 0);
}

void CRichTextBase::AddHeadingId(int32_t textId, TextArgs args) {
  AddLeft(kRichHeading, nullptr, textId, args, 0);
}

void CRichTextBase::AddLabelF(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string s = Formatted(format, args);
  va_end(args);
  AddLeft(kRichLabel, &s, 0, {}, 1);
}

void CRichTextBase::AddLabelId(int32_t textId, TextArgs args) {
  scratch.Clear();
  AddLeft(kRichLabel, nullptr, textId, args, 1);
}

void CRichTextBase::AddBlankLine() {
  left.AddText(" ");
  right.AddText(" ");
  EnsureLineCapacity();
}

void CRichTextBase::MarkSeparator() {
  EnsureLineCapacity();
  lineMark[size_t(left.LineCount())] = kRichMarked;
  ApplyKinds(left.LineCount());
}

void CRichTextBase::PlaceValue(const std::string* plain, int32_t textId, TextArgs args) {
  scratch.Clear();
  if (plain) scratch.AddText(*plain);
  else scratch.AddTextIdArgList(textId, args);
  if (scratch.LineCount() == 0) return;
  const int32_t available = int32_t(left.x2 - left.x1) - 2 * left.margin;
  const int32_t lastLeft = left.LineCount() > 0 ? left.LineWidth(left.LineCount() - 1) : 0;
  // A value too wide for the space beside its label goes on the next line.
  if (available < lastLeft + scratch.LineWidth(0)) right.AddText(" ");
  const int32_t line = right.LineCount();
  for (int32_t i = 0; i < scratch.LineCount(); ++i) right.AddText(scratch.LineText(i));
  PadColumn(left, right.LineCount());
  EnsureLineCapacity();
  for (int32_t i = line; i < right.LineCount(); ++i) right.SetLineStyle(i, kValueColour, kValueColour, false);
  right.layoutValid = false;
  RefreshScrollRange();
  left.FitVisibleLines();
  right.FitVisibleLines();
}

void CRichTextBase::AddValueF(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string s = Formatted(format, args);
  va_end(args);
  PlaceValue(&s, 0, {});
}

void CRichTextBase::AddValueId(int32_t textId, TextArgs args) { PlaceValue(nullptr, textId, args); }

void CRichTextBase::SetLastValueStyle(int32_t colour, int32_t altColour, bool flash) {
  right.SetLineStyle(right.LineCount() - 1, colour, altColour, flash);
}

void CRichTextBase::SetLineLink(const UiObjectRef& object, int32_t building) {
  EnsureLineCapacity();
  const int32_t last = left.LineCount() - 1;
  if (last >= 0) lineLink[size_t(last)]->SetTarget(object, building);
}

void CRichTextBase::SetLineValue(int32_t line, int32_t v) {
  if (line >= 0 && line < lineCapacity) lineValue[size_t(line)] = v;
}

int32_t CRichTextBase::GetLineValue(int32_t line) const {
  return line >= 0 && line < lineCapacity ? lineValue[size_t(line)] : -1;
}

void CRichTextBase::ScrollTo(int32_t first) {
  if (first == scrollPos) return;
  left.SetFirstLine(first);
  right.SetFirstLine(first);
  scrollPos = first;
  if (scrollBar) scrollBar->SetValue(first);
  for (int32_t i = 0; i < lineCapacity; ++i) {
    CRichTextLink* link = lineLink[size_t(i)];
    const float top = float((i - first) * left.lineHeight + left.lineTop);
    link->SetRect(x1, top, x2, top + float(kLinkHeight));
    const bool shown = i >= first && i < first + left.visibleLines;
    link->visible = shown && link->Linked();
  }
}

int32_t CRichTextBase::MouseRow() const {
  const CLayoutEntity* m = OwnerModel();
  const float y = float(Ui().mouse.y) - (m ? m->y : 0.0f) - 3.0f - y1;
  if (y < 0.0f || left.lineHeight <= 0) return -1;
  return int32_t(y) / left.lineHeight;
}

void CRichTextBase::SelectOnly(int32_t line) {
  std::fill(lineSelected.begin(), lineSelected.end(), 0);
  if (line >= 0 && line < lineCapacity) lineSelected[size_t(line)] = 1;
}

UIRect CRichTextBase::RowRect(int32_t row, const CLayoutEntity* origin) const {
  const float top = float(row * left.lineHeight + left.lineTop);
  return MovedRect(UIRect{x1 + float(left.margin), top, x2 - 1.0f, top + float(left.lineHeight), depth}, origin);
}

void CRichTextBase::Draw(const CLayoutEntity* origin) {
  left.Layout();
  right.Layout();
  currentKind = 0;
  const int32_t first = std::max(0, left.firstLine), visible = left.visibleLines;
  const int32_t R = MouseRow();
  const bool over = HitTest();
  if (over && HoverHighlightOn()) RequestCursor(kCursorPointer, 1);
  const int32_t lines = left.LineCount();
  const bool rowShown = R >= 0 && R < visible && first + R < lines;
  int32_t hoveredRow = -1;
  if (!inputDisabled && rowShown && over) {
    if (RowHighlighted(first + R)) {
      DrawRect2DSolid(RowRect(R, origin), PulseColour(TextColourTable[9]), depth);
      RequestCursor(kCursorHand, 1);
      hoveredRow = R;
    }
    if (first + R < lineCapacity) UiGameSide().SetHoveredBuilding(lineLink[size_t(first + R)]->targetBuilding);
  }
  const float ox = origin ? origin->x : 0.0f;
  for (int32_t i = first; i < std::min(first + visible, std::min(lines, lineCapacity)); ++i) {
    const int32_t row = i - first;
    if (lineSelected[size_t(i)] && row != hoveredRow && HoverHighlightOn())
      DrawRect2DSolid(RowRect(row, origin), TextColourTable[3], depth);
    const UIRect r = RowRect(row, origin);
    if (lineKind[size_t(i)] != currentKind) {
      if (currentKind == kRichHeading && i > first) {
        const UIRect band{FullWidthBand() ? x1 + ox : r.x1, r.y1 - 10.0f, FullWidthBand() ? x2 + ox : r.x2,
                          r.y1, depth};
        DrawRect2DSolid(band, TextColourTable[17], depth);
      }
      currentKind = lineKind[size_t(i)];
    }
    if (lineMark[size_t(i)] == kRichMarked)
      DrawLine2D({r.x1, r.y1 + 2.0f, depth, kSeparatorColour}, {r.x2, r.y1 + 2.0f, depth, kSeparatorColour});
  }
  right.Draw(origin);
  left.Draw(origin);
}

// ---- CRichTextRect2 -----------------------------------------------------------

void CRichTextRect2::RefreshScrollRange() {
  if (scrollBar && LongerColumn() >= left.visibleLines) scrollBar->UpdateRange();
}

int32_t CRichTextRect2::OnEvent(int32_t type, int32_t a, int32_t b) {
  if (inputDisabled) return 0;
  if (type == kMsgLeftPressed) {
    const int32_t line = MouseRow() + std::max(0, left.firstLine);
    if (parent) parent->OnEvent(kNotifyLineChosen, id, line);
    if (highlight) SelectOnly(line);
  } else if ((type == kMsgWheelForward || type == kMsgWheelBack) && scrollBar) {
    scrollBar->OnEvent(type, a, b);
  } else if (type == kNotifyChoiceItem && parent) {
    parent->OnEvent(kNotifyChoiceItem, id, a);
  }
  return 0;
}

// ---- CRichTextRect3 -----------------------------------------------------------

void CRichTextRect3::RefreshScrollRange() {
  if (scrollBar == nullptr) return;
  scrollBar->maximum = float(LongerColumn());
  scrollBar->UpdateRange();
}

void CRichTextRect3::ClearSelection() { std::fill(lineSelected.begin(), lineSelected.end(), 0); }

void CRichTextRect3::Tag(int32_t line, uint8_t tag) {
  EnsureLineCapacity();
  if (line >= 0 && line < lineCapacity) lineTag[size_t(line)] = tag;
}

void CRichTextRect3::AddTaggedLabelF(uint8_t tag, const char* format, ...) {
  const int32_t line = left.LineCount();
  va_list args;
  va_start(args, format);
  const std::string s = Formatted(format, args);
  va_end(args);
  AddLeft(kRichLabel, &s, 0, {}, 1);
  Tag(line, tag);
}

void CRichTextRect3::AddTaggedLabelId(uint8_t tag, int32_t textId, TextArgs args) {
  const int32_t line = left.LineCount();
  AddLabelId(textId, args);
  Tag(line, tag);
}

void CRichTextRect3::SetLastLabelStyle(int32_t colour, int32_t altColour, bool flash) {
  left.SetLineStyle(left.LineCount() - 1, colour, altColour, flash);
}

void CRichTextRect3::SelectLine(int32_t line) {
  if (line < 0 || line >= lineCapacity || lineTag[size_t(line)] == 0) return;
  SelectOnly(line);
  if (parent) parent->OnEvent(kNotifyLineChosen, id, line);
}

std::pair<int32_t, int32_t> CRichTextRect3::GetVisibleRange() const {
  const int32_t first = std::max(0, left.firstLine);
  return {first, first + left.visibleLines};
}

int32_t CRichTextRect3::GetLineUnderMouse() const {
  const int32_t row = MouseRow();
  const int32_t line = row < 0 ? -1 : row + std::max(0, left.firstLine);
  return line < left.LineCount() ? line : -1;
}

bool CRichTextRect3::RowHighlighted(int32_t line) const {
  return HoverHighlightOn() && line >= 0 && line < lineCapacity && lineTag[size_t(line)] == 1;
}

int32_t CRichTextRect3::OnEvent(int32_t type, int32_t a, int32_t b) {
  if (type == kMsgLeftHeld) {
    const int32_t row = MouseRow(), first = std::max(0, left.firstLine);
    const int32_t line = first + row;
    if (row >= 0 && line < left.LineCount() && row < left.visibleLines && hoverHighlight &&
        line < lineCapacity && lineTag[size_t(line)] == 1) {
      SelectOnly(line);
      if (parent) parent->OnEvent(kNotifyLineChosen, id, line);
    }
  } else if ((type == kMsgWheelForward || type == kMsgWheelBack) && scrollBar) {
    scrollBar->OnEvent(type, a, b);
  } else if (type == kNotifyChoiceItem && parent) {
    parent->OnEvent(kNotifyChoiceItem, id, a);
  }
  return 0;
}
