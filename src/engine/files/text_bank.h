#pragma once
// Text banks and the text system.
//
// A text bank is a numbered list of strings in one language, stored as two
// files with one base name: "<base>.off", a packed array of uint16 string
// lengths (the count is the file length / 2), and "<base>.bin", the strings'
// bytes one after another in id order. The bytes are glyph codes, not
// characters: string 0 is the character table, whose byte j is the glyph code
// of the character 32 + j. The game's characters are its 8-bit code page
// (Windows-1252), so a table of 224 bytes covers them all.
//
// CTextSystem holds the bank, up to 32 fonts (glyph tables, font_table.h),
// and turns text ids and plain strings into glyph codes, expands format
// codes, lays text out in lines at a wrap width, measures it and draws it
// glyph by glyph through a procedure the renderer side supplies.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/files/font_table.h"

// ---- Files ----------------------------------------------------------------

// A bank as it lies in its two files: the strings (glyph codes), string 0
// being the character table.
struct TextBankData {
  std::vector<uint16_t> lengths;
  std::vector<uint8_t> bytes;
};

// Error codes of the text system (also returned by the file reader).
enum TextError : int32_t {
  kTextOk = 0,
  kTextCannotOpen = 1,
  kTextShortRead = 2,  // also a file that contradicts itself
  kTextNoMemory = 3,
  kTextIdOutOfRange = 4,
  kTextFontRefused = 5,
  kTextMissingArgument = 6,
  kTextWrongArgument = 7,  // a number for %s, or a string for %d or %i
};

// The most a bank may hold: a length for each id up to 65535, and 16 MB of
// texts (the game's banks hold some 40 KB).
inline constexpr size_t kMaxTextBankLengthBytes = size_t{2} << 16;
inline constexpr uint64_t kMaxTextBankTextBytes = uint64_t{16} << 20;
// Reads "<base>.off" and "<base>.bin" (game names). Every length is checked
// against the .bin file: the lengths must add up to its size exactly, which
// is compared before the .bin is read. kTextCannotOpen when a file is
// missing or cannot be opened, kTextShortRead when the pair is damaged.
TextError ReadTextBankFiles(std::string_view base, TextBankData& out);
// True when either file of the bank is there: a bank with neither is just
// missing (a language without that bank), one with either that does not
// read is damaged.
bool TextBankExists(std::string_view base);
// Tells once in the program's run, on the console, that the bank `base`
// cannot be read and what follows from that ("the texts are in English").
void SayTextBankUnreadable(std::string_view base, std::string_view consequence);
// Writes the pair from a list of strings (string 0 = the character table).
// False when a string is longer than 65535 bytes or a file cannot be written.
bool WriteTextBankFiles(std::string_view base, std::span<const std::string> strings);
// The character table of the game's code page: glyph code = character code.
std::string CodePageCharTable();
// Fills the texts `bank` lacks (empty, or past its end) from `fallback`, so
// a partly translated bank shows the fallback language's text there. The
// fallback's glyph codes are turned into `bank`'s through the two character
// tables (string 0); `bank` keeps its own table.
void FillMissingTexts(TextBankData& bank, const TextBankData& fallback);

// ---- CStringBank ----------------------------------------------------------

// A list of byte strings, as layout stores lines: string i occupies bytes
// [offsets[i], offsets[i+1]).
class CStringBank {
 public:
  CStringBank() = default;

  void Clear();
  uint32_t Count() const { return count_; }
  std::span<const uint8_t> String(uint32_t index) const;
  // Appends another bank's strings; false when it has none.
  bool AppendBank(const CStringBank& other);
  // Puts one string of `source` at `index`, moving the later strings; the count
  // rises to index + 1 when needed (strings in between are empty).
  bool SetString(uint32_t index, const CStringBank& source, uint32_t source_index);
  void CopyArrays(const CStringBank& other);

  // Used by layout: the bytes and the line starts [0, ..., end].
  void Assign(std::span<const uint8_t> bytes, std::span<const uint32_t> starts);

 private:
  std::vector<uint8_t> bytes_;
  std::vector<uint32_t> offsets_{0};
  uint32_t count_ = 0;
};

// ---- CTextSystem ----------------------------------------------------------

struct TextRect {
  int32_t x = 0, y = 0, width = 0, height = 0;
};

// One argument of a format: an integer (for %d and %i) or a plain string in
// the game's code page (for %s; a null string is a missing argument).
class TextArg {
 public:
  TextArg(int32_t v) : int_(v) {}
  TextArg(uint32_t v) : int_(static_cast<int32_t>(v)) {}
  TextArg(const char* s) : is_text_(true), text_(s) {}
  TextArg(const std::string& s) : is_text_(true), text_(s.c_str()) {}
  bool IsText() const { return is_text_; }
  int32_t Int() const { return int_; }
  const char* Text() const { return text_; }

 private:
  bool is_text_ = false;
  int32_t int_ = 0;
  const char* text_ = nullptr;
};
using TextArgs = std::span<const TextArg>;

class CTextSystem {
 public:
  static constexpr int32_t kFontSlots = 32;
  static constexpr size_t kFormatBufferLarge = 1024;
  static constexpr size_t kFormatBufferSmall = 512;

  // Draws one glyph: record, scaled width and height, x, y (with the font's
  // and the glyph's offsets), depth, glyph code, the caller's argument.
  using GlyphProc = std::function<void(const GlyphRecord&, int32_t width, int32_t height, float x,
                                       float y, float depth, uint8_t code, void* argument)>;
  using FontProc = std::function<void(int32_t font, int32_t style)>;
  using FontLoadProc = std::function<bool(int32_t slot, std::string_view name)>;
  using StyleProc = std::function<void(int32_t style, int32_t a, int32_t b, int32_t c)>;

  CTextSystem() = default;

  // Loading.
  bool LoadTextBankFile(std::string_view base);
  // The bank `base` with the texts it lacks taken from the bank `fallback`;
  // the fallback alone when `base` does not read, `base` alone (the texts it
  // lacks empty) when the fallback does not. `*usedBase` and
  // `*usedFallback` tell which were read. False when neither reads.
  bool LoadTextBankFile(std::string_view base, std::string_view fallback, bool* usedBase = nullptr,
                        bool* usedFallback = nullptr);
  bool LoadTextBank(std::string_view base, int32_t first_id);
  // A bank already read becomes the text bank.
  void SetTextBank(TextBankData&& data) { SetBank(std::move(data)); }
  // The same with a bank already read (a board's, with its own fallback).
  bool ReplaceTextsFrom(TextBankData&& other, int32_t first_id);
  bool LoadCharTable(int32_t slot, std::string_view base);

  // Settings.
  void SelectFont(int32_t font);
  void SetFontStyle(int32_t style);
  void SetStyleEx(int32_t style, int32_t a, int32_t b, int32_t c);
  void SetFontScale(float scale);
  void SetFontOffset(int32_t pixels);
  void SetLetterSpacing(int32_t pixels) { letter_spacing_ = pixels; }
  bool SetWordWrap(bool on);
  void SetCurrencyTexts(int32_t symbol_id, int32_t position_id);
  void SetKeyTextBase(int32_t id) { key_text_base_ = id; }
  void SetGlyphCallback(GlyphProc proc) { glyph_proc_ = std::move(proc); }
  void SetFontCallback(FontProc proc) { font_proc_ = std::move(proc); }
  void SetFontLoadCallback(FontLoadProc proc) { font_load_proc_ = std::move(proc); }
  void SetStyleCallback(StyleProc proc) { style_proc_ = std::move(proc); }
  int32_t TakeError();

  int32_t CurrentFont() const { return current_font_; }
  int32_t CurrentStyle() const { return current_style_; }
  uint32_t StringCount() const { return string_count_; }
  const std::vector<GlyphRecord>* Font(int32_t slot) const;

  // Text access.
  std::span<const uint8_t> TextCodes(int32_t id) const;  // empty when out of range
  bool GetTextAscii(std::string& out, int32_t id);
  // Plain string to glyph codes (kept in the scratch buffer until the next call).
  std::span<const uint8_t> ConvertString(std::string_view plain);
  uint8_t CodeOf(char c) const;

  // Layout and formatting.
  void LayoutCodes(CStringBank& bank, int32_t wrap_width, std::span<const uint8_t> codes);
  bool LayoutText(CStringBank& bank, int32_t wrap_width, int32_t id);
  bool LayoutTwoTexts(CStringBank& bank, int32_t wrap_width, int32_t id1, int32_t id2);
  void FormatPlainToBank(CStringBank& bank, int32_t wrap_width, std::string_view plain);
  bool FormatToBank(CStringBank& bank, int32_t wrap_width, int32_t id, TextArgs args);
  bool FormatToBankV(CStringBank& bank, int32_t wrap_width, int32_t id, TextArgs args);
  int32_t CountFormatCodes(int32_t id);
  // The arguments a text takes, in order: 's' for %s, 'd' for %d, 'i' for %i
  // (%c and %b take none).
  std::string FormatArgKinds(int32_t id);
  // Expands a text's format codes into at most `capacity` glyph codes; longer
  // output is cut. False (error 4, 6 or 7) when the id or an argument is
  // missing or of the wrong kind.
  bool ExpandFormat(std::vector<uint8_t>& out, int32_t id, TextArgs args, size_t capacity);

  // Measuring.
  TextRect MeasureCodes(int32_t x, int32_t y, std::span<const uint8_t> codes) const;
  bool MeasureText(TextRect& out, int32_t x, int32_t y, int32_t id);
  void MeasureString(TextRect& out, int32_t x, int32_t y, std::string_view plain);
  bool MeasureBankString(TextRect& out, int32_t x, int32_t y, const CStringBank& bank,
                         uint32_t index) const;
  bool MeasureFormatted(TextRect& out, int32_t x, int32_t y, int32_t id, TextArgs args);
  float BankStringBottom(const CStringBank& bank, uint32_t index) const;
  int32_t CharWidth(char c) const { return CodeWidth(CodeOf(c)); }
  int32_t CodeWidth(uint8_t code) const;

  // Drawing.
  void DrawBankString(float x, float y, float depth, uint32_t index, const CStringBank& bank,
                      void* argument) const;
  void DrawString(float x, float y, std::string_view plain, void* argument);
  bool DrawTextFormatted(float x, float y, int32_t id, TextArgs args, void* argument = nullptr);
  // The first eight values of every glyph's record of a plain string.
  std::vector<std::array<int32_t, 8>> GetGlyphRecords(std::string_view plain);

  CStringBank& LineBank() { return line_bank_; }

 private:
  const GlyphRecord* Glyph(uint8_t code) const;
  void DrawCodes(float x, float y, float depth, std::span<const uint8_t> codes,
                 void* argument) const;
  void AppendPlain(std::vector<uint8_t>& out, std::string_view plain, size_t capacity) const;
  void SetBank(TextBankData&& data);
  bool CheckId(int32_t id);

  TextBankData bank_;
  std::vector<uint32_t> starts_;  // where each string begins in bank_.bytes
  std::array<uint8_t, 256> char_of_code_{};
  std::vector<uint8_t> scratch_;
  std::array<std::vector<GlyphRecord>, kFontSlots> fonts_;
  std::array<bool, kFontSlots> font_loaded_{};
  std::array<int32_t, kFontSlots> font_offsets_{};
  std::array<float, kFontSlots> font_scales_ = MakeScales();
  uint32_t string_count_ = 0;
  int32_t error_ = kTextOk;
  CStringBank line_bank_, work_bank_;
  int32_t current_font_ = -1;
  int32_t current_style_ = -1;
  bool word_wrap_ = true;
  int32_t letter_spacing_ = 0;
  GlyphProc glyph_proc_;
  FontProc font_proc_;
  FontLoadProc font_load_proc_;
  StyleProc style_proc_;
  int32_t currency_symbol_text_ = 0;
  int32_t currency_position_text_ = 0;
  int32_t key_text_base_ = 0;

  static std::array<float, kFontSlots> MakeScales() {
    std::array<float, kFontSlots> s;
    s.fill(1.0f);
    return s;
  }
};
