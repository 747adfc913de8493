#include "ui/edit_box.h"

#include <algorithm>
#include <cstring>

#include "ui/cursors.h"
#include "ui/draw_2d.h"
#include "ui/glyph_batcher.h"
#include "ui/layout_model.h"
#include "ui/panel.h"
#include "ui/panel_manager.h"
#include "ui/ui_services.h"

namespace {

bool RefusedInFileName(uint8_t c) { return std::strchr("\"*/:<>?\\|", c) != nullptr && c != 0; }

}  // namespace

bool CEditBox::HitTest() {
  if (!clickable || !IsMouseOverRect(Rect(), OwnerModel())) return false;
  RequestCursor(kCursorHand, 1);
  return true;
}

bool CEditBox::IsEnabled() {
  if (clickable) return true;
  if (!active) {
    ShowBuffer();
    RequestCursor(kCursorPointer, 1);
  }
  return !active;
}

void CEditBox::ShowBuffer() {
  text.Clear();
  text.AddText(std::string_view(buffer, size_t(length)));
}

void CEditBox::Activate() {
  active = caretShown = true;
  OnEvent(kMsgLeftPressed, 0, 0);
}

void CEditBox::Deactivate() {
  Ui().chars.clear();
  if (!active) return;
  buffer[length] = '\0';
  ShowBuffer();
  caretShown = active = false;
}

int32_t CEditBox::GetText(std::string& out) const {
  out.assign(buffer, size_t(length));
  return length + 1;
}

void CEditBox::SetText(std::string_view source) {
  const size_t n = std::min(source.size(), size_t(kEditBoxCapacity));
  std::memcpy(buffer, source.data(), n);
  buffer[n] = '\0';
  length = int32_t(n);
  caretShown = active;
  // The line height is fixed by the letter W, whatever the text holds.
  text.Clear();
  text.AddText("W");
  text.Layout();
  ShowBuffer();
}

int32_t CEditBox::DrawnWidth(std::string_view s) {
  TextRect r;
  if (Ui().text == nullptr) return 0;
  SelectFont2D(text.font);
  Ui().text->MeasureString(r, 0, 0, s);
  return r.width;
}

bool CEditBox::TakeCharacter(uint8_t c, bool& enter) {
  if (fileNameMode && RefusedInFileName(c)) return false;
  if (c == 8) {
    if (length == 0) return false;
    buffer[--length] = '\0';
    return true;
  }
  if (c == 13) {
    enter = true;
    return true;
  }
  if (c < 32) return false;
  if ((maxLength != -1 && length >= maxLength) || length >= kEditBoxCapacity) return false;
  if (widthLimit != -1) {
    std::string wider(buffer, size_t(length));
    wider.push_back(char(c));
    if (DrawnWidth(wider) > widthLimit) return false;
  }
  buffer[length++] = char(c);
  buffer[length] = '\0';
  return true;
}

int32_t CEditBox::OnEvent(int32_t type, int32_t, int32_t) {
  if (type == kMsgMouseLeft) {
    RequestCursor(kCursorPointer, 1);
  } else if (type == kMsgLeftPressed) {
    if (ownerPanel && ownerPanel->manager) ownerPanel->manager->SetKeyboardFocus(this);
    active = true;
    Ui().chars.clear();
    caretShown = true;
    ShowBuffer();
  } else if (type == kMsgCharacter && active && !Ui().chars.empty()) {
    const uint8_t c = Ui().chars.front();
    Ui().chars.pop_front();
    bool enter = false;
    if (!TakeCharacter(c, enter)) return 0;
    if (enter) {
      active = caretShown = false;
      if (parent) parent->OnEvent(kNotifyEditEnter, id, 0);
    }
    ShowBuffer();
    caretShown = active;
  }
  return 0;
}

void CEditBox::DrawSelf() {
  const CLayoutEntity* m = OwnerModel();
  text.Draw(m);
  if (!caretShown || Ui().text == nullptr) return;
  TextRect letter;
  SelectFont2D(text.font);
  Ui().text->MeasureString(letter, 0, 0, "I");
  text.Layout();
  const float first = text.LineCount() > 0 ? std::max(float(text.lineX[0]), text.x1) : text.x1;
  const float left = first + float(text.LineCount() > 0 ? text.LineWidth(0) : 0);
  const float top = float(text.lineTop + 2);
  const float ox = m ? m->x : 0.0f, oy = m ? m->y : 0.0f;
  const UIRect caret{left + ox, top + oy, left + ox + float(letter.width), top + oy + float(letter.height), depth};
  DrawRect2DSolid(caret, PulseColour(caretColour), depth);
}
