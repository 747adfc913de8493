#pragma once
// Keyboard and mouse below the engine's input device. The game reads keys by
// the classic PC scan codes (the 256-entry table the engine keeps), so every
// form of this layer speaks those codes: the SDL form translates from SDL
// scancodes, the headless form takes them from a test or a recording.
//
// Two paths reach the game, as on the system the game was written for:
//  - devices that the input device polls once per step (InputSource): a key
//    table or up to 16 buffered key events, and the mouse's relative motion,
//    wheel and buttons since the last poll;
//  - window messages handed over as they arrive (InputMessageSink): typed
//    characters in the game's 8-bit code page, the pointer position and the
//    button flags.
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace platform {

// Scan codes of the keys the game and its tools name.
namespace key {
constexpr uint8_t kEscape = 0x01;
constexpr uint8_t k1 = 0x02;
constexpr uint8_t k0 = 0x0B;
constexpr uint8_t kBackspace = 0x0E;
constexpr uint8_t kTab = 0x0F;
constexpr uint8_t kQ = 0x10;
constexpr uint8_t kP = 0x19;
constexpr uint8_t kReturn = 0x1C;
constexpr uint8_t kLeftControl = 0x1D;
constexpr uint8_t kA = 0x1E;
constexpr uint8_t kF = 0x21;
constexpr uint8_t kG = 0x22;
constexpr uint8_t kLeftShift = 0x2A;
constexpr uint8_t kZ = 0x2C;
constexpr uint8_t kComma = 0x33;
constexpr uint8_t kPeriod = 0x34;
constexpr uint8_t kRightShift = 0x36;
constexpr uint8_t kLeftAlt = 0x38;
constexpr uint8_t kSpace = 0x39;
constexpr uint8_t kF1 = 0x3B;
constexpr uint8_t kF5 = 0x3F;
constexpr uint8_t kF10 = 0x44;
constexpr uint8_t kF11 = 0x57;
constexpr uint8_t kF12 = 0x58;
constexpr uint8_t kNumpadEnter = 0x9C;
constexpr uint8_t kRightControl = 0x9D;
constexpr uint8_t kRightAlt = 0xB8;
constexpr uint8_t kHome = 0xC7;
constexpr uint8_t kUp = 0xC8;
constexpr uint8_t kPageUp = 0xC9;
constexpr uint8_t kLeft = 0xCB;
constexpr uint8_t kRight = 0xCD;
constexpr uint8_t kEnd = 0xCF;
constexpr uint8_t kDown = 0xD0;
constexpr uint8_t kPageDown = 0xD1;
constexpr uint8_t kInsert = 0xD2;
constexpr uint8_t kDelete = 0xD3;
}  // namespace key

// Scan code of an SDL scancode number (its value, 0..511); 0 when the key has
// no scan code. The table knows nothing of SDL beyond those numbers.
uint8_t ScanCodeFromSdlScancode(int sdlScancode);
// Number of SDL scancode values the table covers.
constexpr int kSdlScancodeCount = 512;

// One code of the game's 8-bit code page (Windows-1252) for a Unicode code
// point; 0 when the code page has no such character.
uint8_t GameCharFromCodePoint(uint32_t codePoint);
// Typed text in UTF-8 to game characters, in order; characters the code page
// lacks and malformed sequences are left out.
std::string GameCharsFromUtf8(std::string_view utf8);

// Mouse button flags as the window messages carry them.
constexpr uint32_t kMouseLeft = 0x01;
constexpr uint32_t kMouseRight = 0x02;
constexpr uint32_t kMouseShift = 0x04;
constexpr uint32_t kMouseControl = 0x08;
constexpr uint32_t kMouseMiddle = 0x10;

// A buffered key event: the scan code, 0x80 in data when pressed, the time
// in milliseconds and a running sequence number.
struct KeyEvent {
  uint32_t key = 0;
  uint32_t data = 0;
  uint32_t time = 0;
  uint32_t sequence = 0;
};

// The mouse since the last poll: relative motion, wheel (120 per notch,
// positive away from the user) and four buttons (0x80 while down).
struct MouseReading {
  int32_t x = 0;
  int32_t y = 0;
  int32_t wheel = 0;
  std::array<uint8_t, 4> buttons{};
};

enum class InputDeviceKind { Mouse = 0, Keyboard = 1 };

// Events a buffered keyboard holds between polls; a poll takes at most this.
constexpr int kKeyEventsPerPoll = 16;

// The devices one input device polls. Reads fail (false, or -1 events) while
// the device is not acquired or the window does not have the focus; the
// caller then keeps its previous state.
class InputSource {
 public:
  virtual ~InputSource() = default;
  virtual bool OpenDevice(InputDeviceKind kind, bool buffered) = 0;
  virtual void CloseDevice(InputDeviceKind kind) = 0;
  virtual bool Acquire(InputDeviceKind kind) = 0;
  virtual bool Unacquire(InputDeviceKind kind) = 0;
  // Unbuffered keyboard: the whole table, 0x80 per key that is down.
  virtual bool ReadKeyTable(std::span<uint8_t, 256> keys) = 0;
  // Buffered keyboard: up to out.size() events, oldest first; -1 on failure.
  virtual int ReadKeyEvents(std::span<KeyEvent> out) = 0;
  // Motion and wheel since the last read, and the buttons now.
  virtual bool ReadMouse(MouseReading& mouse) = 0;
};

// Where the window procedure hands characters, pointer moves and button
// flags (set by the owner of the input device).
class InputMessageSink {
 public:
  virtual ~InputMessageSink() = default;
  virtual void OnChar(uint8_t character) = 0;
  // A character the system typed again because its key is held.
  virtual void OnRepeatedChar(uint8_t character) { OnChar(character); }
  virtual void OnPointerMoved(int32_t x, int32_t y) = 0;
  // kMouse* flags after a button went down or up.
  virtual void OnMouseButtons(uint32_t flags) = 0;
  virtual void OnLeftDoubleClick() {}
};

// The sink that receives window messages; null drops them. Returns the old.
InputMessageSink* SetInputMessageSink(InputMessageSink* sink);
InputMessageSink* GetInputMessageSink();

// Devices fed by events: key changes, mouse motion, wheel and buttons are
// pushed as they happen and collect until the next read. Without the focus
// nothing is taken and every read fails; losing it lets go of held keys.
// Devices read only once opened and acquired.
class QueuedInputSource : public InputSource {
 public:
  bool OpenDevice(InputDeviceKind kind, bool buffered) override;
  void CloseDevice(InputDeviceKind kind) override;
  bool Acquire(InputDeviceKind kind) override;
  bool Unacquire(InputDeviceKind kind) override;
  bool ReadKeyTable(std::span<uint8_t, 256> keys) override;
  int ReadKeyEvents(std::span<KeyEvent> out) override;
  bool ReadMouse(MouseReading& mouse) override;

  void KeyChange(uint8_t code, bool down, uint32_t time);
  void MoveMouse(int32_t dx, int32_t dy);
  void TurnWheel(int32_t notches);
  void SetMouseButton(int button, bool down);
  void SetFocus(bool focus);
  bool HasFocus() const { return focus_; }
  size_t PendingKeyEvents() const { return events_.size(); }

 private:
  struct Device {
    bool open = false;
    bool acquired = false;
  };
  bool Readable(InputDeviceKind kind) const;

  Device devices_[2];
  bool focus_ = true;
  std::array<uint8_t, 256> keys_{};
  std::array<uint8_t, 256> pressedSinceRead_{};
  std::deque<KeyEvent> events_;
  uint32_t sequence_ = 0;
  MouseReading mouse_;
};

// Headless devices: a test (or a tool replaying input) pushes keys and mouse
// motion, and they come out of the next polls as from a real device. A new
// source has the focus.
class HeadlessInputSource : public QueuedInputSource {
 public:
  void PressKey(uint8_t code);
  void ReleaseKey(uint8_t code);
};

// Most key events a source keeps between polls; older ones are dropped first.
constexpr size_t kMaxQueuedKeyEvents = 256;

// Makes the input devices of the program: headless by default; the game's
// start-up installs the SDL form when it has a window.
using InputSourceFactory = std::function<std::unique_ptr<InputSource>()>;
InputSourceFactory SetInputSourceFactory(InputSourceFactory factory);
std::unique_ptr<InputSource> CreateInputSource();

}  // namespace platform
