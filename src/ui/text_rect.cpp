#include "ui/text_rect.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ui/draw_2d.h"
#include "ui/glyph_batcher.h"
#include "ui/layout_model.h"
#include "ui/ui_services.h"

const uint32_t TextColourTable[kTextColourCount] = {
    0xFFFFFFFF, 0xFF000000, 0xFFFF0000, 0xFF288BE1, 0xFF00FF00, 0xFFFFFF00, 0xFFFF8080, 0xFFC5EDBB,
    0xFF646464, 0xFF6ED1E1, 0xFFE56464, 0xFFCE5542, 0xFFBEBEBE, 0xFF76E1FD, 0xBB000A28, 0xFF1F2F70,
    0xFF3AFD87, 0xFF01762F, 0xFF808080, 0xFFBD0000, 0xFF0D00F1, 0xFFFD96B1, 0xFF00A203, 0xFFF17100,
    0xFF0094E8, 0xFFFFF201, 0xFF9DFFE5, 0xFF733826, 0xFFBE27B9,
};

namespace {

constexpr uint32_t kFlashPeriod = 32;
constexpr uint32_t kFlashFirstColourFrames = 17;

void AppendCapped(std::string& out, std::string_view s) {
  if (out.size() >= kFormatterCapacity) return;
  out.append(s.substr(0, kFormatterCapacity - out.size()));
}

uint32_t ColourOf(uint8_t index) {
  return index < kTextColourCount ? TextColourTable[index] : TextColourTable[0];
}

}  // namespace

uint32_t BackingUnderWhiteText(uint32_t colour) {
  constexpr uint32_t kMostBrightness = 120;
  const uint32_t r = (colour >> 16) & 0xFFu, g = (colour >> 8) & 0xFFu, b = colour & 0xFFu;
  // Perceived brightness (ITU-R BT.601 weights, in thousandths).
  const uint32_t brightness = (299 * r + 587 * g + 114 * b) / 1000;
  if (brightness <= kMostBrightness) return colour;
  auto dim = [&](uint32_t c) { return c * kMostBrightness / brightness; };
  return (colour & 0xFF000000u) | (dim(r) << 16) | (dim(g) << 8) | dim(b);
}

std::string FormatUiTextV(int32_t indent, const char* format, va_list args) {
  std::string out(size_t(std::clamp<int32_t>(indent, 0, int32_t(kFormatterCapacity))), ' ');
  if (format == nullptr) return out;
  char number[64];
  for (const char* p = format; *p != '\0' && out.size() < kFormatterCapacity; ++p) {
    if (*p != '%') {
      out.push_back(*p);
      continue;
    }
    const char code = *++p;
    if (code == '\0') break;  // a lone % at the end
    switch (code) {
      case 'd':
      case 'i':
        std::snprintf(number, sizeof number, "%d", va_arg(args, int));
        AppendCapped(out, number);
        break;
      case 'f':
        std::snprintf(number, sizeof number, "%.2f", va_arg(args, double));
        AppendCapped(out, number);
        break;
      case 's': {
        const char* s = va_arg(args, const char*);
        AppendCapped(out, s ? s : "");
        break;
      }
      case 'u': {
        std::string text;
        const int32_t textId = va_arg(args, int);
        if (Ui().text) Ui().text->GetTextAscii(text, textId);
        AppendCapped(out, text);
        break;
      }
      default:  // %% and unknown codes give the character after the %
        out.push_back(code);
        break;
    }
  }
  return out;
}

std::string FormatUiText(int32_t indent, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string s = FormatUiTextV(indent, format, args);
  va_end(args);
  return s;
}

void CTextRect::SetRect(float ax1, float ay1, float ax2, float ay2) {
  CWidget::SetRect(ax1, ay1, ax2, ay2);
  // A rect lower than one line still shows its first line, as after Clear.
  visibleLines = std::max(1, lineHeight > 0 ? int32_t((y2 - y1) / float(lineHeight)) : 1);
  layoutValid = false;
}

int32_t CTextRect::OnEvent(int32_t type, int32_t a, int32_t) {
  if (type == kMsgLeftReleased && parent) parent->OnEvent(kNotifyClicked, id, a);
  return 0;
}

void CTextRect::Clear() {
  lines.Clear();
  OnCleared();
  visibleLines = std::max(1, lineHeight > 0 ? int32_t((y2 - y1) / float(lineHeight)) : 1);
  GrowLineArrays();
  std::fill(lineColour.begin(), lineColour.end(), 0);
  layoutValid = false;
}

// A rectangle from damaged data may be of any size: the width is taken in
// float and bounded before it becomes an int.
namespace {
// Left-aligned lines start this many units right of their margin.
constexpr int32_t kLeftLead = 2;
}  // namespace

int32_t CTextRect::WrapWidth() const {
  // Left-aligned lines start kLeftLead in (see Layout): they wrap that much
  // sooner, so that they end inside the rectangle and off a scroll bar beside it.
  const bool left = alignment != 9 && alignment % 3 == 0;
  const float width = x2 - x1 - 2.0f * float(margin) - (left ? float(kLeftLead) : 0.0f);
  if (std::isnan(width)) return 0;
  return int32_t(std::clamp(width, -1e6f, 1e6f));
}

void CTextRect::GrowLineArrays() {
  const size_t n = lines.Count();
  if (lineColour.size() >= n) return;
  lineColour.resize(n, 0);
  lineAltColour.resize(n, 0);
  lineFlash.resize(n, 0);
  lineX.resize(n, 0);
}

template <typename Fill>
void CTextRect::Append(bool selectFont2D, Fill fill) {
  CTextSystem* text = Ui().text;
  if (text == nullptr) return;
  if (selectFont2D) SelectFont2D(font);
  const bool oldWrap = text->SetWordWrap(wordWrap);
  text->SetFontScale(textScale);
  CStringBank made;
  fill(*text, made, WrapWidth());
  text->SetWordWrap(oldWrap);
  text->SetFontScale(1.0f);
  lines.AppendBank(made);
  layoutValid = false;
  GrowLineArrays();
}

void CTextRect::AddTextId(int32_t textId) {
  if (indent != 0) {
    AddTextF("%u", textId);
    return;
  }
  Append(true, [&](CTextSystem& t, CStringBank& b, int32_t w) { t.LayoutText(b, w, textId); });
}

void CTextRect::AddTextIdArgs1(int32_t textId, TextArg a) {
  const TextArg args[] = {a};
  Append(true, [&](CTextSystem& t, CStringBank& b, int32_t w) { t.FormatToBank(b, w, textId, args); });
}

void CTextRect::AddTextIdArgs2(int32_t textId, TextArg a, TextArg b2) {
  const TextArg args[] = {a, b2};
  Append(true, [&](CTextSystem& t, CStringBank& b, int32_t w) { t.FormatToBank(b, w, textId, args); });
}

void CTextRect::AddTextIdArgs3(int32_t textId, TextArg a, TextArg b2, TextArg c) {
  const TextArg args[] = {a, b2, c};
  Append(true, [&](CTextSystem& t, CStringBank& b, int32_t w) { t.FormatToBank(b, w, textId, args); });
}

void CTextRect::AddTextIdArgList(int32_t textId, TextArgs args) {
  // Through the 2D font selection, which remembers the font: choosing it on
  // the text system alone would leave that memory wrong, and the next rect
  // laid out in the remembered font would be measured in this one.
  Append(true, [&](CTextSystem& t, CStringBank& b, int32_t w) { t.FormatToBank(b, w, textId, args); });
}

void CTextRect::AddTextIdCurrentFont(int32_t textId, TextArg a) {
  const TextArg args[] = {a};
  Append(false, [&](CTextSystem& t, CStringBank& b, int32_t w) { t.FormatToBank(b, w, textId, args); });
}

void CTextRect::AddText(std::string_view plain) {
  const std::string cut(plain.substr(0, kFormatterCapacity));
  Append(true, [&](CTextSystem& t, CStringBank& b, int32_t w) { t.FormatPlainToBank(b, w, cut); });
}

void CTextRect::AddTextF(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string s = FormatUiTextV(indent, format, args);
  va_end(args);
  Append(true, [&](CTextSystem& t, CStringBank& b, int32_t w) { t.FormatPlainToBank(b, w, s); });
}

void CTextRect::SetTextF(const char* format, ...) {
  Clear();
  va_list args;
  va_start(args, format);
  const std::string s = FormatUiTextV(indent, format, args);
  va_end(args);
  Append(true, [&](CTextSystem& t, CStringBank& b, int32_t w) { t.FormatPlainToBank(b, w, s); });
}

void CTextRect::ShowLineOf(const CTextRect& source, int32_t line) {
  Clear();
  if (line < 0 || line >= source.LineCount()) return;
  lines.SetString(0, source.lines, uint32_t(line));
  GrowLineArrays();
  layoutValid = false;
}

void CTextRect::SetFont(int32_t f) {
  if (f != font) {
    font = f;
    layoutValid = false;
  }
  SelectFont2D(font);
}

void CTextRect::SetAlignment(int32_t code, int32_t m, int32_t offset) {
  alignment = code;
  if (m != kKeepAlignmentValue) margin = m;
  if (offset != kKeepAlignmentValue) verticalOffset = offset;
  layoutValid = false;
}

void CTextRect::SetAllLinesColour(int32_t colour) {
  std::fill(lineColour.begin(), lineColour.end(), uint8_t(colour));
}

void CTextRect::SetLineStyle(int32_t line, int32_t colour, int32_t altColour, bool flash) {
  if (line < 0 || size_t(line) >= lineColour.size()) return;
  lineColour[size_t(line)] = uint8_t(colour);
  lineAltColour[size_t(line)] = uint8_t(altColour);
  lineFlash[size_t(line)] = flash ? 1 : 0;
}

void CTextRect::SetLastLineColour(int32_t colour) {
  if (LineCount() > 0) lineColour[size_t(LineCount() - 1)] = uint8_t(colour);
}

void CTextRect::SetBackground(bool on, uint32_t colour) {
  backgroundOn = on;
  backgroundColour = colour;
}

int32_t CTextRect::FontHeight() {
  TextRect r;
  if (Ui().text == nullptr) return 0;
  Ui().text->MeasureString(r, 0, 0, "W");
  return r.height;
}

int32_t CTextRect::LineWidth(int32_t line) {
  TextRect r;
  if (Ui().text == nullptr || !Ui().text->MeasureBankString(r, 0, 0, lines, uint32_t(line))) return 0;
  return r.width;
}

std::string CTextRect::LineText(int32_t line) const {
  std::string out;
  if (line < 0 || line >= LineCount() || Ui().text == nullptr) return out;
  std::span<const uint8_t> s = lines.String(uint32_t(line));
  for (size_t i = 0; i + 1 < s.size(); ++i) {
    // Glyph codes back to characters through the character table.
    const std::span<const uint8_t> table = Ui().text->TextCodes(0);
    const auto it = std::find(table.begin(), table.end(), s[i]);
    out.push_back(it == table.end() ? '?' : char(32 + (it - table.begin())));
  }
  return out;
}

void CTextRect::Layout() {
  if (layoutValid || Ui().text == nullptr) return;
  SelectFont2D(font);
  const int32_t glyphHeight = FontHeight();
  lineHeight = lineSpacing + glyphHeight;
  const int32_t count = LineCount();
  const float W = x2 - x1;
  const int32_t column = alignment == 9 ? 1 : alignment % 3;
  GrowLineArrays();
  for (int32_t i = 0; i < count; ++i) {
    const float w = float(LineWidth(i));
    float x = float(margin + kLeftLead);
    if (column == 2) x = std::round(W - w - float(margin));
    if (column == 1) x = std::round((W - w + float(margin)) / 2.0f);
    lineX[size_t(i)] = int16_t(int32_t(x) + int32_t(x1));
  }
  const int32_t row = alignment == 9 ? 3 : alignment / 3;
  const float H = y2 - y1;
  int32_t n = count;
  if (row == 1 || row == 3) n = std::max(n, 1);
  const float spacing = float(lineSpacing * std::max(n - 1, 0));
  float top = 0.0f;
  if (row == 1) top = (H - (float(n * glyphHeight) + spacing)) / 2.0f;
  if (row == 2) top = H - (float(n * glyphHeight) + spacing);
  if (row == 3) {
    TextRect first;
    const int32_t g = count > 0 && Ui().text->MeasureBankString(first, 0, 0, lines, 0) ? first.height
                                                                                      : glyphHeight;
    top = (H - (float(g * n) + spacing)) / 2.0f;
  }
  lineTop = int32_t(top) + verticalOffset + int32_t(y1);
  layoutValid = true;
  extentDirty = true;
}

template <typename Add>
void CTextRect::AddOneLineFitted(float scale, float width, Add add) {
  // Laid out with no width, the text is not broken at all.
  const float keptX2 = x2;
  SetRect(x1, y1, x1, y2);
  textScale = scale;
  add();
  const float wide = float(ShownLineWidth(0));
  if (wide > width) {
    Clear();
    textScale = scale * width / wide;
    add();
  }
  SetRect(x1, y1, keptX2, y2);
}

void CTextRect::AddOneLineInWidth(std::string_view text, float scale, float width) {
  AddOneLineFitted(scale, width, [&] { AddText(text); });
}

void CTextRect::AddOneLineIdInWidth(int32_t textId, float scale, float width) {
  AddOneLineFitted(scale, width, [&] { AddTextId(textId); });
}

int32_t CTextRect::ShownLineWidth(int32_t line) {
  CTextSystem* system = Ui().text;
  if (system == nullptr) return 0;
  SelectFont2D(font);
  system->SetFontScale(textScale);
  const int32_t wide = LineWidth(line);
  system->SetFontScale(1.0f);
  return wide;
}

int32_t CTextRect::RowsThatFit() {
  Layout();
  if (lineHeight <= 0) return 1;
  return std::max(1, int32_t((y2 - y1 + float(lineSpacing)) / float(lineHeight)));
}

void CTextRect::FillFitting(std::span<const int32_t> fonts, const std::function<void(CTextRect&)>& fill) {
  for (const int32_t f : fonts) {
    SetFont(f);
    Clear();
    fill(*this);
    visibleLines = RowsThatFit();
    if (LineCount() <= visibleLines) return;
  }
}

void CTextRect::ComputeExtent() {
  Layout();
  int32_t widest = 0;
  for (int32_t i = 0; i < LineCount(); ++i) widest = std::max(widest, LineWidth(i));
  extent = UIRect{0.0f, float(lineTop), float(widest), float(lineTop + LineCount() * lineHeight), 0.5f};
  extentDirty = false;
}

void CTextRect::FitVisibleLines() {
  visibleLines = std::max(1, lineHeight > 0 ? int32_t((y2 - y1) / float(lineHeight)) : 1);
  ComputeExtent();
  extent.y2 = y1 + float(visibleLines * lineHeight);
}

int32_t CTextRect::GetLineUnderMouse() const {
  if (lineHeight <= 0) return -1;
  const CLayoutEntity* m = OwnerModel();
  const float y = float(Ui().mouse.y) - (m ? m->y : 0.0f) - y1;
  if (y < 0.0f) return -1;
  const int32_t line = int32_t(y) / lineHeight + firstLine;
  return line < LineCount() ? line : -1;
}

void CTextRect::Draw(const CLayoutEntity* origin) {
  CTextSystem* text = Ui().text;
  if (text == nullptr) return;
  SelectFont2D(font);
  text->SetFontScale(textScale);
  Layout();
  if (extentDirty) ComputeExtent();
  if (backgroundOn) {
    const CLayoutEntity* m = OwnerModel();
    const float ox = m ? m->x : 0.0f, oy = m ? m->y : 0.0f;
    DrawRect2DSolid(SetUIRect(x1 + ox, y1 + oy, x2 + ox, y2 + oy), backgroundColour, depth);
  }
  const int32_t count = LineCount();
  if (firstLine >= count || firstLine < 0) firstLine = 0;
  const float ox = origin ? origin->x : 0.0f, oy = origin ? origin->y : 0.0f;
  const int32_t shown = std::min(visibleLines, count - firstLine);
  const bool firstColour = Ui().frameCounter % kFlashPeriod < kFlashFirstColourFrames;
  for (int32_t i = 0; i < shown; ++i) {
    const size_t line = size_t(firstLine + i);
    const uint8_t index = lineFlash[line] && !firstColour ? lineAltColour[line] : lineColour[line];
    uint32_t colour = ColourOf(index);
    text->DrawBankString(float(lineX[line]) + ox, float(i * lineHeight + lineTop) + oy, depth,
                         uint32_t(line), lines, &colour);
  }
  text->SetFontScale(1.0f);
}
