#include "platform/input.h"

#include <algorithm>
#include <utility>

#include "platform/clock.h"

namespace platform {
namespace {

struct ScanPair {
  uint16_t sdl;  // SDL scancode value (USB usage id)
  uint8_t code;  // PC scan code, extended keys with bit 7 set
};

// Every key the PC scan-code set has a code for, by SDL scancode value.
constexpr ScanPair kScanPairs[] = {
    // Letters A..Z (SDL 4..29) follow the keyboard rows, not the alphabet.
    {4, 0x1E}, {5, 0x30}, {6, 0x2E}, {7, 0x20}, {8, 0x12}, {9, 0x21}, {10, 0x22},
    {11, 0x23}, {12, 0x17}, {13, 0x24}, {14, 0x25}, {15, 0x26}, {16, 0x32}, {17, 0x31},
    {18, 0x18}, {19, 0x19}, {20, 0x10}, {21, 0x13}, {22, 0x1F}, {23, 0x14}, {24, 0x16},
    {25, 0x2F}, {26, 0x11}, {27, 0x2D}, {28, 0x15}, {29, 0x2C},
    // Digits 1..9, 0.
    {30, 0x02}, {31, 0x03}, {32, 0x04}, {33, 0x05}, {34, 0x06}, {35, 0x07}, {36, 0x08},
    {37, 0x09}, {38, 0x0A}, {39, 0x0B},
    // Return, Escape, Backspace, Tab, Space.
    {40, 0x1C}, {41, 0x01}, {42, 0x0E}, {43, 0x0F}, {44, 0x39},
    // Minus, equals, brackets, backslash (and the ISO key beside Return), semicolon,
    // apostrophe, grave, comma, period, slash, Caps Lock.
    {45, 0x0C}, {46, 0x0D}, {47, 0x1A}, {48, 0x1B}, {49, 0x2B}, {50, 0x2B}, {51, 0x27},
    {52, 0x28}, {53, 0x29}, {54, 0x33}, {55, 0x34}, {56, 0x35}, {57, 0x3A},
    // F1..F12.
    {58, 0x3B}, {59, 0x3C}, {60, 0x3D}, {61, 0x3E}, {62, 0x3F}, {63, 0x40}, {64, 0x41},
    {65, 0x42}, {66, 0x43}, {67, 0x44}, {68, 0x57}, {69, 0x58},
    // Print Screen, Scroll Lock, Pause, Insert, Home, Page Up, Delete, End, Page Down.
    {70, 0xB7}, {71, 0x46}, {72, 0xC5}, {73, 0xD2}, {74, 0xC7}, {75, 0xC9}, {76, 0xD3},
    {77, 0xCF}, {78, 0xD1},
    // Arrows: right, left, down, up.
    {79, 0xCD}, {80, 0xCB}, {81, 0xD0}, {82, 0xC8},
    // Numeric pad: Num Lock, divide, multiply, minus, plus, Enter, 1..9, 0, point.
    {83, 0x45}, {84, 0xB5}, {85, 0x37}, {86, 0x4A}, {87, 0x4E}, {88, 0x9C}, {89, 0x4F},
    {90, 0x50}, {91, 0x51}, {92, 0x4B}, {93, 0x4C}, {94, 0x4D}, {95, 0x47}, {96, 0x48},
    {97, 0x49}, {98, 0x52}, {99, 0x53},
    // ISO key beside left Shift, Application, Power, pad equals, F13..F15.
    {100, 0x56}, {101, 0xDD}, {102, 0xDE}, {103, 0x8D}, {104, 0x64}, {105, 0x65}, {106, 0x66},
    // Stop, mute, volume up, volume down, pad comma.
    {120, 0x95}, {127, 0xA0}, {128, 0xB0}, {129, 0xAE}, {133, 0xB3},
    // Japanese and Brazilian keys: Ro/ABNT C1, Kana, Yen, Convert, No-convert.
    {135, 0x73}, {136, 0x70}, {137, 0x7D}, {138, 0x79}, {139, 0x7B},
    // System request.
    {154, 0xB7},
    // Modifiers: left Control, Shift, Alt, Windows; right Control, Shift, Alt, Windows.
    {224, 0x1D}, {225, 0x2A}, {226, 0x38}, {227, 0xDB}, {228, 0x9D}, {229, 0x36}, {230, 0xB8},
    {231, 0xDC},
    // Media and browser keys.
    {258, 0x99}, {259, 0x90}, {260, 0xA4}, {261, 0xA2}, {262, 0xA0}, {263, 0xED}, {264, 0xB2},
    {265, 0xEC}, {266, 0xA1}, {267, 0xEB}, {268, 0xE5}, {269, 0xB2}, {270, 0xEA}, {271, 0xE9},
    {272, 0xE8}, {273, 0xE7}, {274, 0xE6}, {282, 0xDF},
};

struct ScanTable {
  uint8_t codes[kSdlScancodeCount] = {};
  constexpr ScanTable() {
    for (const ScanPair& p : kScanPairs) codes[p.sdl] = p.code;
  }
};

constexpr ScanTable kScanTable;

// Windows-1252 0x80..0x9F; 0 where the code page leaves the byte undefined.
constexpr uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Decodes one code point at text[i]; advances i. Returns -1 for a malformed
// sequence (i then moves past its first byte).
int32_t NextCodePoint(std::string_view text, size_t& i) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  uint8_t lead = byte(i++);
  if (lead < 0x80) return lead;
  int extra = lead >= 0xF0 && lead <= 0xF4 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
  if (extra < 0 || lead > 0xF4) return -1;
  int32_t cp = lead & (0x3F >> extra);
  size_t start = i;
  for (int k = 0; k < extra; ++k) {
    if (i >= text.size() || (byte(i) & 0xC0) != 0x80) {
      i = start;
      return -1;
    }
    cp = (cp << 6) | (byte(i++) & 0x3F);
  }
  static constexpr int32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    i = start;
    return -1;
  }
  return cp;
}

struct InputGlobals {
  InputMessageSink* sink = nullptr;
  InputSourceFactory factory;
};

InputGlobals& Globals() {
  static InputGlobals globals;
  return globals;
}

}  // namespace

uint8_t ScanCodeFromSdlScancode(int sdlScancode) {
  if (sdlScancode < 0 || sdlScancode >= kSdlScancodeCount) return 0;
  return kScanTable.codes[sdlScancode];
}

uint8_t GameCharFromCodePoint(uint32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
    return static_cast<uint8_t>(codePoint);
  for (int i = 0; i < 32; ++i)
    if (kHighControls[i] != 0 && kHighControls[i] == codePoint) return static_cast<uint8_t>(0x80 + i);
  return 0;
}

std::string GameCharsFromUtf8(std::string_view utf8) {
  std::string out;
  size_t i = 0;
  while (i < utf8.size()) {
    int32_t cp = NextCodePoint(utf8, i);
    if (cp <= 0) continue;
    if (uint8_t c = GameCharFromCodePoint(static_cast<uint32_t>(cp))) out.push_back(static_cast<char>(c));
  }
  return out;
}

InputMessageSink* SetInputMessageSink(InputMessageSink* sink) {
  return std::exchange(Globals().sink, sink);
}

InputMessageSink* GetInputMessageSink() { return Globals().sink; }

InputSourceFactory SetInputSourceFactory(InputSourceFactory factory) {
  return std::exchange(Globals().factory, std::move(factory));
}

std::unique_ptr<InputSource> CreateInputSource() {
  if (Globals().factory) return Globals().factory();
  return std::make_unique<HeadlessInputSource>();
}

// Devices fed by events.

bool QueuedInputSource::OpenDevice(InputDeviceKind kind, bool) {
  devices_[int(kind)].open = true;
  return true;
}

void QueuedInputSource::CloseDevice(InputDeviceKind kind) { devices_[int(kind)] = Device{}; }

bool QueuedInputSource::Acquire(InputDeviceKind kind) {
  Device& d = devices_[int(kind)];
  // Motion from before the device was taken is not the game's.
  if (kind == InputDeviceKind::Mouse && !d.acquired) mouse_.x = mouse_.y = mouse_.wheel = 0;
  d.acquired = d.open && focus_;
  return d.acquired;
}

bool QueuedInputSource::Unacquire(InputDeviceKind kind) {
  devices_[int(kind)].acquired = false;
  return true;
}

bool QueuedInputSource::Readable(InputDeviceKind kind) const {
  const Device& d = devices_[int(kind)];
  return focus_ && d.open && d.acquired;
}

void QueuedInputSource::KeyChange(uint8_t code, bool down, uint32_t time) {
  if (!focus_ || code == 0) return;
  keys_[code] = down ? 0x80 : 0;
  if (down) pressedSinceRead_[code] = 0x80;
  if (events_.size() >= kMaxQueuedKeyEvents) events_.pop_front();
  events_.push_back(KeyEvent{code, down ? 0x80u : 0u, time, sequence_++});
}

void QueuedInputSource::MoveMouse(int32_t dx, int32_t dy) {
  if (!focus_) return;
  mouse_.x += dx;
  mouse_.y += dy;
}

void QueuedInputSource::TurnWheel(int32_t notches) {
  if (focus_) mouse_.wheel += notches * 120;
}

void QueuedInputSource::SetMouseButton(int button, bool down) {
  if (focus_ && button >= 0 && button < 4) mouse_.buttons[button] = down ? 0x80 : 0;
}

void QueuedInputSource::SetFocus(bool focus) {
  if (focus_ && !focus) {
    // Keys held when the focus goes are let go, so none stays down.
    for (int code = 1; code < 256; ++code)
      if (keys_[code]) KeyChange(static_cast<uint8_t>(code), false, timeGetTime());
    pressedSinceRead_.fill(0);
    mouse_ = MouseReading{};
    for (Device& d : devices_) d.acquired = false;
  }
  focus_ = focus;
}

bool QueuedInputSource::ReadKeyTable(std::span<uint8_t, 256> keys) {
  if (!Readable(InputDeviceKind::Keyboard)) return false;
  // A key pressed and let go again since the last read (a tap shorter than
  // the time between two polls) reads as down this once.
  for (size_t code = 0; code < keys_.size(); ++code) keys[code] = keys_[code] | pressedSinceRead_[code];
  pressedSinceRead_.fill(0);
  events_.clear();  // the table already says what they said
  return true;
}

int QueuedInputSource::ReadKeyEvents(std::span<KeyEvent> out) {
  if (!Readable(InputDeviceKind::Keyboard)) return -1;
  size_t n = std::min(out.size(), events_.size());
  for (size_t i = 0; i < n; ++i) {
    out[i] = events_.front();
    events_.pop_front();
  }
  return static_cast<int>(n);
}

bool QueuedInputSource::ReadMouse(MouseReading& mouse) {
  if (!Readable(InputDeviceKind::Mouse)) return false;
  mouse = mouse_;
  mouse_.x = mouse_.y = mouse_.wheel = 0;
  return true;
}

void HeadlessInputSource::PressKey(uint8_t code) { KeyChange(code, true, timeGetTime()); }
void HeadlessInputSource::ReleaseKey(uint8_t code) { KeyChange(code, false, timeGetTime()); }

}  // namespace platform
