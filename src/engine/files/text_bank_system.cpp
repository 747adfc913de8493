// CTextSystem: loading, conversion, format codes, layout, measuring, drawing.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "engine/files/text_bank.h"

#include "engine/core/play_warning.h"

namespace {
constexpr int32_t kNoWrapWidth = 999999;
constexpr int32_t kNoOffsetYet = 999;
}  // namespace

// ---- Loading --------------------------------------------------------------

void CTextSystem::SetBank(TextBankData&& data) {
  bank_ = std::move(data);
  string_count_ = static_cast<uint32_t>(bank_.lengths.size());
  starts_.resize(bank_.lengths.size() + 1);
  starts_[0] = 0;
  for (size_t i = 0; i < bank_.lengths.size(); ++i) starts_[i + 1] = starts_[i] + bank_.lengths[i];
  char_of_code_.fill('?');
  std::span<const uint8_t> table = TextCodes(0);
  for (size_t j = table.size(); j-- > 0;) char_of_code_[table[j]] = static_cast<uint8_t>(32 + j);
}

bool CTextSystem::LoadTextBankFile(std::string_view base) {
  TextBankData data;
  TextError e = ReadTextBankFiles(base, data);
  if (e != kTextOk) {
    error_ = e;
    return false;
  }
  SetBank(std::move(data));
  return true;
}

bool CTextSystem::LoadTextBankFile(std::string_view base, std::string_view fallback, bool* usedBase,
                                   bool* usedFallback) {
  // Each bank on its own: a damaged fallback never costs a whole bank its texts.
  TextBankData english;
  const TextError fallbackError = ReadTextBankFiles(fallback, english);
  TextBankData chosen;
  const bool own = base != fallback && ReadTextBankFiles(base, chosen) == kTextOk;
  if (usedBase) *usedBase = own;
  if (usedFallback) *usedFallback = fallbackError == kTextOk;
  if (!own && fallbackError != kTextOk) {
    error_ = fallbackError;
    return false;
  }
  if (own) {
    FillMissingTexts(chosen, english);  // nothing to fill from a fallback that did not read
    SetBank(std::move(chosen));
  } else {
    SetBank(std::move(english));
  }
  return true;
}

// Replaces the texts from first_id on with those of another bank (a board's),
// whose string 1 becomes first_id. The string count stays: ids the other bank
// does not reach become empty, and its strings past the count are dropped.
bool CTextSystem::LoadTextBank(std::string_view base, int32_t first_id) {
  if (first_id < 1 || static_cast<uint32_t>(first_id) > string_count_) {
    error_ = kTextIdOutOfRange;
    return false;
  }
  TextBankData other;
  TextError e = ReadTextBankFiles(base, other);
  if (e != kTextOk) {
    error_ = e;
    return false;
  }
  return ReplaceTextsFrom(std::move(other), first_id);
}

bool CTextSystem::ReplaceTextsFrom(TextBankData&& other, int32_t first_id) {
  if (first_id < 1 || static_cast<uint32_t>(first_id) > string_count_ || other.lengths.empty()) {
    error_ = kTextIdOutOfRange;
    return false;
  }
  TextBankData merged;
  auto first = static_cast<size_t>(first_id);
  merged.lengths.assign(bank_.lengths.begin(), bank_.lengths.begin() + first);
  merged.bytes.assign(bank_.bytes.begin(), bank_.bytes.begin() + starts_[first]);
  size_t source_start = other.lengths[0];
  for (size_t id = first, k = 1; id < string_count_; ++id, ++k) {
    uint16_t length = k < other.lengths.size() ? other.lengths[k] : 0;
    merged.lengths.push_back(length);
    merged.bytes.insert(merged.bytes.end(), other.bytes.begin() + source_start,
                        other.bytes.begin() + source_start + length);
    source_start += length;
  }
  SetBank(std::move(merged));
  return true;
}

bool CTextSystem::LoadCharTable(int32_t slot, std::string_view base) {
  if (slot < 0 || slot >= kFontSlots) {
    error_ = kTextCannotOpen;
    return false;
  }
  current_font_ = slot;
  std::vector<GlyphRecord> glyphs;
  int32_t e = ReadFontTable(base, glyphs);
  if (e != 0) {
    error_ = e;
    return false;
  }
  fonts_[slot] = std::move(glyphs);
  if (font_load_proc_ && !font_load_proc_(slot, base)) {
    error_ = kTextFontRefused;
    return false;
  }
  font_loaded_[slot] = true;
  return true;
}

// ---- Settings -------------------------------------------------------------

void CTextSystem::SelectFont(int32_t font) {
  if (font < 0 || font >= kFontSlots) return;
  current_font_ = font;
  if (font_proc_) font_proc_(current_font_, current_style_);
}

void CTextSystem::SetFontStyle(int32_t style) {
  current_style_ = style;
  if (font_proc_) font_proc_(current_font_, current_style_);
}

void CTextSystem::SetStyleEx(int32_t style, int32_t a, int32_t b, int32_t c) {
  if (style_proc_) style_proc_(style, a, b, c);
  current_style_ = style;
}

void CTextSystem::SetFontScale(float scale) {
  if (current_font_ >= 0) font_scales_[current_font_] = scale;
}

void CTextSystem::SetFontOffset(int32_t pixels) {
  if (current_font_ >= 0) font_offsets_[current_font_] = pixels;
}

bool CTextSystem::SetWordWrap(bool on) {
  bool old = word_wrap_;
  word_wrap_ = on;
  return old;
}

void CTextSystem::SetCurrencyTexts(int32_t symbol_id, int32_t position_id) {
  currency_symbol_text_ = symbol_id;
  currency_position_text_ = position_id;
}

int32_t CTextSystem::TakeError() {
  int32_t e = error_;
  error_ = kTextOk;
  return e;
}

const std::vector<GlyphRecord>* CTextSystem::Font(int32_t slot) const {
  if (slot < 0 || slot >= kFontSlots || !font_loaded_[slot]) return nullptr;
  return &fonts_[slot];
}

// ---- Text access ----------------------------------------------------------

std::span<const uint8_t> CTextSystem::TextCodes(int32_t id) const {
  if (id < 0 || static_cast<uint32_t>(id) >= string_count_) return {};
  return {bank_.bytes.data() + starts_[id], bank_.lengths[id]};
}

bool CTextSystem::CheckId(int32_t id) {
  if (id >= 0 && static_cast<uint32_t>(id) < string_count_) return true;
  error_ = kTextIdOutOfRange;
  return false;
}

bool CTextSystem::GetTextAscii(std::string& out, int32_t id) {
  out.clear();
  if (!CheckId(id)) return false;
  for (uint8_t code : TextCodes(id)) out.push_back(static_cast<char>(char_of_code_[code]));
  return true;
}

uint8_t CTextSystem::CodeOf(char c) const {
  auto index = static_cast<size_t>(static_cast<uint8_t>(c)) - 32;
  std::span<const uint8_t> table = TextCodes(0);
  return index < table.size() ? table[index] : 0;
}

void CTextSystem::AppendPlain(std::vector<uint8_t>& out, std::string_view plain,
                              size_t capacity) const {
  size_t table_size = TextCodes(0).size();
  for (char c : plain) {
    auto u = static_cast<uint8_t>(c);
    if (u == '\n') {
      if (out.size() + 2 > capacity) return;
      out.push_back(CodeOf('\\'));
      out.push_back(CodeOf('n'));
      continue;
    }
    if (u < 32) return;
    if (static_cast<size_t>(u - 32) >= table_size) continue;  // no glyph for it
    if (out.size() >= capacity) return;
    out.push_back(CodeOf(c));
  }
}

std::span<const uint8_t> CTextSystem::ConvertString(std::string_view plain) {
  scratch_.clear();
  AppendPlain(scratch_, plain, std::numeric_limits<size_t>::max());
  return scratch_;
}

// ---- Format codes ---------------------------------------------------------

bool CTextSystem::ExpandFormat(std::vector<uint8_t>& out, int32_t id, TextArgs args,
                               size_t capacity) {
  out.clear();
  if (!CheckId(id)) return false;
  std::span<const uint8_t> text = TextCodes(id);
  const uint8_t percent = CodeOf('%');
  size_t next_arg = 0;
  auto put = [&](uint8_t code) {
    if (out.size() < capacity) out.push_back(code);
  };
  auto put_codes = [&](std::span<const uint8_t> codes) {
    for (uint8_t c : codes) put(c);
  };
  auto is_digit = [&](uint8_t code, int& value) {
    for (int d = 0; d < 10; ++d) {
      if (code == CodeOf(static_cast<char>('0' + d))) {
        value = d;
        return true;
      }
    }
    return false;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    uint8_t code = text[i];
    if (code != percent || i + 1 >= text.size()) {
      put(code);
      continue;
    }
    uint8_t letter = text[i + 1];
    if (letter == CodeOf('s') || letter == CodeOf('d') || letter == CodeOf('i')) {
      if (next_arg >= args.size() || (letter == CodeOf('s') && args[next_arg].IsText() && !args[next_arg].Text())) {
        error_ = kTextMissingArgument;
        return false;
      }
      // A name where the text wants a number (or the other way round) would
      // show as 0 or nothing: refuse it, so the caller's fault is seen.
      if (args[next_arg].IsText() != (letter == CodeOf('s'))) {
        PlayWarningF("Text %d: argument %zu is a %s where the text wants a %s", id, next_arg + 1,
                     args[next_arg].IsText() ? "string" : "number", letter == CodeOf('s') ? "string" : "number");
        error_ = kTextWrongArgument;
        return false;
      }
      const TextArg& arg = args[next_arg++];
      ++i;
      if (letter == CodeOf('s')) {
        AppendPlain(out, arg.Text(), capacity);
      } else if (letter == CodeOf('d')) {
        char digits[16];
        auto r = std::to_chars(digits, digits + sizeof digits, arg.Int());
        AppendPlain(out, std::string_view(digits, static_cast<size_t>(r.ptr - digits)), capacity);
      } else {
        put_codes(TextCodes(arg.Int()));
      }
    } else if (letter == CodeOf('c')) {
      ++i;
      std::span<const uint8_t> side = TextCodes(currency_position_text_);
      bool left = !side.empty() && (side[0] == CodeOf('L') || side[0] == CodeOf('l'));
      if (!left) {
        int d;
        while (i + 1 < text.size() && is_digit(text[i + 1], d)) put(text[++i]);
      }
      put_codes(TextCodes(currency_symbol_text_));
    } else if (letter == CodeOf('b')) {
      ++i;
      int64_t n = 0;
      int d;
      while (i + 1 < text.size() && is_digit(text[i + 1], d)) {
        n = std::min<int64_t>(n * 10 + d, 1000000);
        ++i;
      }
      int64_t key_id = key_text_base_ + 4 * n + 2;
      if (key_id <= std::numeric_limits<int32_t>::max()) {
        put_codes(TextCodes(static_cast<int32_t>(key_id)));
      }
    } else {
      put(code);  // not a format code: the next code is ordinary text
    }
  }
  return true;
}

std::string CTextSystem::FormatArgKinds(int32_t id) {
  std::string kinds;
  if (!CheckId(id)) return kinds;
  std::span<const uint8_t> text = TextCodes(id);
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != CodeOf('%')) continue;
    for (char kind : {'s', 'd', 'i'})
      if (text[i + 1] == CodeOf(kind)) kinds.push_back(kind);
    ++i;  // the code's letter is not the start of another
  }
  return kinds;
}

int32_t CTextSystem::CountFormatCodes(int32_t id) {
  if (!CheckId(id)) return 0;
  std::span<const uint8_t> text = TextCodes(id);
  return static_cast<int32_t>(std::count(text.begin(), text.end(), CodeOf('%')));
}

// ---- Layout ---------------------------------------------------------------

const GlyphRecord* CTextSystem::Glyph(uint8_t code) const {
  if (current_font_ < 0 || !font_loaded_[current_font_]) return nullptr;
  const std::vector<GlyphRecord>& font = fonts_[current_font_];
  return code < font.size() ? &font[code] : nullptr;
}

int32_t CTextSystem::CodeWidth(uint8_t code) const {
  const GlyphRecord* g = Glyph(code);
  if (!g) return 0;
  return static_cast<int32_t>((g->width + letter_spacing_) * font_scales_[current_font_]);
}

void CTextSystem::LayoutCodes(CStringBank& bank, int32_t wrap_width,
                              std::span<const uint8_t> codes) {
  const int32_t limit = wrap_width > 0 ? wrap_width : kNoWrapWidth;
  const uint8_t blank = CodeOf(' '), backslash = CodeOf('\\'), letter_n = CodeOf('n');
  const size_t count = codes.size();
  std::vector<uint32_t> starts{0};
  size_t d = 0, i = 0;
  int64_t candidate = -1;
  int64_t width = 0;
  bool stopped = false;
  auto end_line = [&](size_t c) {
    starts.push_back(static_cast<uint32_t>(c + 1));
    d = c + 1;
    i = d;
    width = 0;
    candidate = -1;
    if (!word_wrap_) stopped = true;
  };
  while (i < count && !stopped) {
    // A line feed ends the line wherever it stands, at a line's start too.
    if (i + 1 < count && codes[i] == backslash && codes[i + 1] == letter_n) {
      end_line(i + 1);
      continue;
    }
    width += CodeWidth(codes[i]);
    if (width >= limit && candidate >= 0) {
      end_line(static_cast<size_t>(candidate));
      continue;
    }
    if (i + 1 < count) {
      if (!word_wrap_ || codes[i + 1] == blank) candidate = static_cast<int64_t>(i + 1);
    }
    ++i;
  }
  if (!stopped) starts.push_back(static_cast<uint32_t>(count + 1));
  std::vector<uint8_t> bytes(codes.begin(), codes.end());
  for (size_t k = 0; k + 1 < bytes.size(); ++k) {
    if (bytes[k] == backslash) bytes[k] = blank;
  }
  bytes.push_back(0);
  bank.Assign(bytes, starts);
}

bool CTextSystem::LayoutText(CStringBank& bank, int32_t wrap_width, int32_t id) {
  if (!CheckId(id)) return false;
  LayoutCodes(bank, wrap_width, TextCodes(id));
  return true;
}

bool CTextSystem::LayoutTwoTexts(CStringBank& bank, int32_t wrap_width, int32_t id1,
                                 int32_t id2) {
  if (!CheckId(id1) || !CheckId(id2)) return false;
  std::vector<uint8_t> joined(TextCodes(id1).begin(), TextCodes(id1).end());
  joined.push_back(0);
  joined.insert(joined.end(), TextCodes(id2).begin(), TextCodes(id2).end());
  LayoutCodes(bank, wrap_width, joined);
  return true;
}

void CTextSystem::FormatPlainToBank(CStringBank& bank, int32_t wrap_width, std::string_view plain) {
  std::vector<uint8_t> codes;
  AppendPlain(codes, plain, std::numeric_limits<size_t>::max());
  LayoutCodes(bank, wrap_width, codes);
}

bool CTextSystem::FormatToBank(CStringBank& bank, int32_t wrap_width, int32_t id, TextArgs args) {
  std::vector<uint8_t> codes;
  if (!ExpandFormat(codes, id, args, kFormatBufferLarge)) return false;
  LayoutCodes(bank, wrap_width, codes);
  return true;
}

bool CTextSystem::FormatToBankV(CStringBank& bank, int32_t wrap_width, int32_t id, TextArgs args) {
  std::vector<uint8_t> codes;
  if (!ExpandFormat(codes, id, args, kFormatBufferSmall)) return false;
  LayoutCodes(bank, wrap_width, codes);
  return true;
}

// ---- Measuring ------------------------------------------------------------

TextRect CTextSystem::MeasureCodes(int32_t x, int32_t y, std::span<const uint8_t> codes) const {
  TextRect r{x, y, 0, 0};
  int32_t bottom = 0, top = kNoOffsetYet;
  for (uint8_t code : codes) {
    const GlyphRecord* g = Glyph(code);
    if (!g) continue;
    float scale = font_scales_[current_font_];
    r.width += static_cast<int32_t>((g->width + letter_spacing_) * scale);
    bottom = std::max(bottom, g->vertical_offset + static_cast<int32_t>(scale * g->height));
    top = std::min(top, g->vertical_offset);
  }
  r.height = bottom - top;
  return r;
}

bool CTextSystem::MeasureText(TextRect& out, int32_t x, int32_t y, int32_t id) {
  if (!CheckId(id)) return false;
  out = MeasureCodes(x, y, TextCodes(id));
  return true;
}

void CTextSystem::MeasureString(TextRect& out, int32_t x, int32_t y, std::string_view plain) {
  out = MeasureCodes(x, y, ConvertString(plain));
}

bool CTextSystem::MeasureBankString(TextRect& out, int32_t x, int32_t y, const CStringBank& bank,
                                    uint32_t index) const {
  if (index >= bank.Count()) return false;
  std::span<const uint8_t> s = bank.String(index);
  out = MeasureCodes(x, y, s.empty() ? s : s.first(s.size() - 1));
  return true;
}

bool CTextSystem::MeasureFormatted(TextRect& out, int32_t x, int32_t y, int32_t id, TextArgs args) {
  std::vector<uint8_t> codes;
  if (!ExpandFormat(codes, id, args, kFormatBufferSmall)) return false;
  out = MeasureCodes(x, y, codes);
  return true;
}

float CTextSystem::BankStringBottom(const CStringBank& bank, uint32_t index) const {
  std::span<const uint8_t> s = bank.String(index);
  float bottom = 0.0f;
  for (size_t k = 0; k + 1 < s.size(); ++k) {
    if (const GlyphRecord* g = Glyph(s[k])) {
      bottom = std::max(bottom, g->vertical_offset + font_scales_[current_font_] * g->height);
    }
  }
  return bottom;
}

// ---- Drawing --------------------------------------------------------------

void CTextSystem::DrawCodes(float x, float y, float depth, std::span<const uint8_t> codes,
                            void* argument) const {
  if (!glyph_proc_) return;
  for (uint8_t code : codes) {
    const GlyphRecord* g = Glyph(code);
    if (!g) continue;
    float scale = font_scales_[current_font_];
    glyph_proc_(*g, static_cast<int32_t>(g->width * scale), static_cast<int32_t>(g->height * scale),
                x, y + static_cast<float>(font_offsets_[current_font_] + g->vertical_offset), depth,
                code, argument);
    x += static_cast<float>(static_cast<int32_t>((g->width + letter_spacing_) * scale));
  }
}

void CTextSystem::DrawBankString(float x, float y, float depth, uint32_t index,
                                 const CStringBank& bank, void* argument) const {
  std::span<const uint8_t> s = bank.String(index);
  if (s.empty()) return;
  DrawCodes(x, y, depth, s.first(s.size() - 1), argument);
}

void CTextSystem::DrawString(float x, float y, std::string_view plain, void* argument) {
  if (plain.empty()) return;
  LayoutCodes(line_bank_, 0, ConvertString(plain));
  DrawBankString(x, y, 0.5f, 0, line_bank_, argument);
}

bool CTextSystem::DrawTextFormatted(float x, float y, int32_t id, TextArgs args, void* argument) {
  std::vector<uint8_t> codes;
  if (!ExpandFormat(codes, id, args, kFormatBufferSmall)) return false;
  DrawCodes(x, y, 0.5f, codes, argument);
  return true;
}

std::vector<std::array<int32_t, 8>> CTextSystem::GetGlyphRecords(std::string_view plain) {
  std::vector<std::array<int32_t, 8>> rows;
  for (uint8_t code : ConvertString(plain)) {
    const GlyphRecord* g = Glyph(code);
    std::array<int32_t, 8> row{};
    if (g) std::copy(std::begin(g->place), std::end(g->place), row.begin());
    rows.push_back(row);
  }
  return rows;
}
