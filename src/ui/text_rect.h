#pragma once
// The interface's text: lines in the current language, filled from text ids
// (with arguments), from plain strings or from the widget's own printf-style
// formatter, word-wrapped to the widget's width, laid out by one of ten
// alignment codes, scrolled by a first visible line and drawn in colours of
// a fixed table, optionally flashing.
#include <cstdarg>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/files/text_bank.h"
#include "ui/widget.h"

inline constexpr int32_t kTextColourCount = 29;
extern const uint32_t TextColourTable[kTextColourCount];
inline constexpr uint32_t InterfaceBackingColour = 0xBB000A28u;
// A strip's colour (0xAARRGGBB) under white text: a pale one (a pale
// district, a yellow token) is darkened until the text reads on it, its hue
// and alpha kept. Darkening rather than dark text: the software renderer
// draws every text in its glyphs' own white.
uint32_t BackingUnderWhiteText(uint32_t colour);
// The formatter builds at most this many characters, indent included.
inline constexpr size_t kFormatterCapacity = 499;
inline constexpr int32_t kKeepAlignmentValue = -999;

// The formatter: %% -> %, %d %i a 32-bit number, %f a double with two
// decimals, %s a string, %u the text of a text id; % and any other character
// gives that character, a lone % at the end nothing. Starts with `indent`
// blanks; the result is cut to kFormatterCapacity characters.
std::string FormatUiTextV(int32_t indent, const char* format, va_list args);
std::string FormatUiText(int32_t indent, const char* format, ...);

class CTextRect : public CWidget {
 public:
  CTextRect() { x2 = y2 = 0.0f; }

  void SetRect(float x1, float y1, float x2, float y2) override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  bool HitTest() override { return false; }  // text is never picked itself
  virtual void SetFirstLine(int32_t n) { firstLine = n; }
  virtual void OnCleared() {}

  void Clear();
  void AddTextId(int32_t textId);
  void AddTextIdArgs1(int32_t textId, TextArg a);
  void AddTextIdArgs2(int32_t textId, TextArg a, TextArg b);
  void AddTextIdArgs3(int32_t textId, TextArg a, TextArg b, TextArg c);
  // Selects the font in the text system only (the 2D font record stays).
  void AddTextIdArgList(int32_t textId, TextArgs args);
  // Whatever font is current.
  void AddTextIdCurrentFont(int32_t textId, TextArg a);
  // Plain text, never read as a format.
  void AddText(std::string_view plain);
  void AddTextF(const char* format, ...);
  void SetTextF(const char* format, ...);
  // Empties the text and puts line `line` of `source` in it.
  void ShowLineOf(const CTextRect& source, int32_t line);

  void SetFont(int32_t font);
  void SetAlignment(int32_t code, int32_t margin, int32_t offset);
  void SetAllLinesColour(int32_t colour);
  void SetLineStyle(int32_t line, int32_t colour, int32_t altColour, bool flash);
  void SetLastLineColour(int32_t colour);
  void SetBackground(bool on, uint32_t colour);

  // Shows `text` on one line, never wrapped (a wrapped name would show only
  // its first word, a wrapped clock only its time), at `scale`, made smaller
  // when wider than `width`; a text wider than that is put alone.
  void AddOneLineInWidth(std::string_view text, float scale, float width);
  void AddOneLineIdInWidth(int32_t textId, float scale, float width);
  // Empties the text and fills it by `fill` in the first of `fonts` in which
  // every line it makes shows in the rect, else in the last. A text is
  // wrapped as it is added, so a smaller font means filling it again.
  void FillFitting(std::span<const int32_t> fonts, const std::function<void(CTextRect&)>& fill);
  // The lines the rect shows at the current font, the last one without the
  // spacing below it; never less than one.
  int32_t RowsThatFit();

  void ComputeExtent();
  void FitVisibleLines();
  // A line's width in the text system's present font and scale.
  int32_t LineWidth(int32_t line);
  // A line's width as it is drawn: in the rect's own font and scale.
  int32_t ShownLineWidth(int32_t line);
  int32_t LineCount() const { return int32_t(lines.Count()); }
  std::string LineText(int32_t line) const;  // in the game's code page
  // (mouse y - y1) / lineHeight + firstLine, -1 past the lines.
  int32_t GetLineUnderMouse() const;
  // Draws the visible lines at the origin's position.
  void Draw(const CLayoutEntity* origin);
  // The layout, made when needed (drawing does it too).
  void Layout();

  int32_t font = 0;
  int32_t lineHeight = 10;
  int32_t lineSpacing = 0;
  int32_t visibleLines = 64;
  bool wordWrap = true;
  float textScale = 1.0f;
  int32_t indent = 0;
  std::vector<uint8_t> lineColour, lineAltColour, lineFlash;
  std::vector<int16_t> lineX;
  UIRect extent;
  CStringBank lines;
  int32_t lineTop = 0;
  int32_t margin = 0;
  int32_t verticalOffset = 0;
  int32_t alignment = 0;
  int32_t firstLine = 0;
  bool layoutValid = false;
  bool extentDirty = false;
  uint32_t backgroundColour = 0;
  bool backgroundOn = false;

 private:
  int32_t WrapWidth() const;
  // Runs `fill` with the widget's font, scale and wrap in force and appends
  // what it laid out.
  template <typename Fill>
  void Append(bool selectFont2D, Fill fill);
  template <typename Add>
  void AddOneLineFitted(float scale, float width, Add add);
  void GrowLineArrays();
  int32_t FontHeight();
};
