#pragma once
// The console: a history of the last 30 lines (replies, echoes of typed
// lines, errors, each in its colour) over a one-line input box whose lines
// run through the command table. While bound it is the command table's
// reply sink, so replies are kept whether or not it is open. Opening it
// makes it modal over the HUD.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/panel.h"
#include "ui/text_rect.h"

class CEditBox;

inline constexpr int32_t kConsoleHistoryLines = 30;
inline constexpr size_t kConsoleLineCapacity = 255;

class CConsolePanel : public CPanel {
 public:
  CConsolePanel();
  ~CConsolePanel() override;

  void Build() override;
  void DrawSelf() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  void OnOpen() override;
  void OnClose() override;

  // Appends a line of a print kind (0 reply, 1 echo, 2 error); nothing
  // before the panel is bound.
  void Print(std::string_view text, int32_t kind);
  // The entries the window shows, oldest first.
  const std::vector<std::string>& History() const { return shown; }
  // The colour index a print kind is shown in.
  static int32_t KindColour(int32_t kind);

  CTextRect history;
  CTextRect buildStamp;
  CEditBox* input = nullptr;
  std::array<std::string, kConsoleHistoryLines> lines;
  std::array<uint8_t, kConsoleHistoryLines> colours{};
  int32_t start = 0;
  int32_t write = 0;
  bool wrapped = false;
  std::vector<std::string> shown;

 private:
  void Refill();
};

// The build time and date as the compiler stamped them ("hh:mm:ss",
// "Mmm d yyyy").
std::string BuildTimeText();
std::string BuildDateText();
