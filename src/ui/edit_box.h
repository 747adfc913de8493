#pragma once
// A one-line text input with a blinking caret, optional limits on length and
// on drawn width, and a mode refusing characters not allowed in file names.
// A click makes it the panel manager's keyboard focus; typed characters then
// reach it as message 10 and it takes them from the interface's queue.
#include <cstdint>
#include <string>
#include <string_view>

#include "ui/text_rect.h"
#include "ui/widget.h"

inline constexpr int32_t kEditBoxCapacity = 127;

class CEditBox : public CWidget {
 public:
  void DrawSelf() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  bool HitTest() override;
  bool IsEnabled() override;
  void Deactivate() override;

  void Activate();
  // The typed text; returns its length + 1 (with the terminator).
  int32_t GetText(std::string& out) const;
  // Text beyond the box's 127 characters is cut.
  void SetText(std::string_view source);
  void SetFileNameMode() { fileNameMode = true; }

  bool active = false;
  int32_t length = 0;
  char buffer[kEditBoxCapacity + 1] = {};
  CTextRect text;
  int32_t widthLimit = -1;
  int32_t maxLength = -1;
  bool clickable = false;
  bool caretShown = false;
  bool fileNameMode = false;
  uint32_t caretColour = 0xFFFFFFFFu;

 private:
  void ShowBuffer();
  // True when the typed character changed the buffer (Enter: ends editing).
  bool TakeCharacter(uint8_t c, bool& enter);
  int32_t DrawnWidth(std::string_view s);
};
