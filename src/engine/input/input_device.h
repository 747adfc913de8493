#pragma once
// The input device: polls the keyboard and the mouse once per input step and
// publishes them in the shared input state (g_InputState) that the camera,
// the interface and the game read; takes typed characters, the pointer
// position and the buttons from the window messages; records every input
// event of a stretch of play with a snapshot of the camera, and plays such a
// recording back in place of the real devices.
#include <array>
#include <cstdint>
#include <deque>
#include <memory>

#include "engine/input/camera_controller.h"
#include "engine/input/event_record.h"
#include "platform/input.h"

// The mouse as of one poll: motion and wheel since the poll before, button
// bytes (0 left and 1 right as the window messages report them, as 0 or 1;
// 2 and 3 from the device, 0x80 while down).
struct MouseState {
  int32_t x;
  int32_t y;
  int32_t wheel;
  uint8_t buttons[4];
};
static_assert(sizeof(MouseState) == 16);

// The shared key and mouse state.
struct InputState {
  uint8_t keys[256];  // by scan code: 0x80 while down
  uint8_t startFlag;
  uint8_t blankTyped;     // a blank was typed while recording
  uint8_t playbackEnded;  // playback reached the recording's end
  uint8_t previousKeys[256];
  MouseState mouse;
  MouseState previousMouse;
  uint8_t leftButton;
  uint8_t rightButton;
  int32_t screenCursorX, screenCursorY;  // pointer x second scale pair
  int32_t uiCursorX, uiCursorY;          // pointer x first scale pair
  int32_t pollCounter;                   // keyboard polls since recording/playback began
};

extern InputState g_InputState;

inline bool KeyDown(uint8_t code) { return (g_InputState.keys[code] & 0x80) != 0; }
// Down in this poll and up in the one before.
inline bool KeyPressed(uint8_t code) {
  return KeyDown(code) && (g_InputState.previousKeys[code] & 0x80) == 0;
}

inline constexpr int32_t kInputMouse = 0;
inline constexpr int32_t kInputKeyboard = 1;
inline constexpr int kTypedCharCapacity = 16;
// Characters that find the ring full wait behind it, up to this many more (a
// long line's worth typed during a slow frame); only beyond that are they lost.
inline constexpr int kTypedCharOverflow = 240;
// A key held down types again by the interface's time (keyboard polls, fifty
// a second): from 500 ms after its first character, every 40 ms. Repeats the
// system sends sooner (a burst that waited behind a slow frame) are dropped.
inline constexpr int32_t kKeyRepeatDelayPolls = 25;
inline constexpr int32_t kKeyRepeatIntervalPolls = 2;

class CInputDevice {
 public:
  CInputDevice();
  CInputDevice(const CInputDevice&) = delete;
  CInputDevice& operator=(const CInputDevice&) = delete;

  // Opens the platform's input devices (platform::CreateInputSource).
  virtual bool Create(void* instance);
  virtual ~CInputDevice();
  virtual bool InitDevice(void* window, int32_t device, bool buffered);
  virtual bool ReleaseDevice(int32_t device);
  virtual bool Poll(int32_t device);
  virtual bool Acquire(int32_t device);
  virtual bool Unacquire(int32_t device);
  virtual void PushChar(uint8_t character);
  // A character the system typed again for a held key: taken only when the
  // key has been held and the last character waited long enough in polls.
  virtual void PushRepeatedChar(uint8_t character);
  virtual bool HasChars();
  virtual uint8_t PopChar();
  virtual void ClearChars();
  virtual void SetCursorPosition(int32_t x, int32_t y, bool force);
  virtual void SetCursorScale1(float sx, float sy);
  virtual void SetCursorScale2(float sx, float sy);
  virtual void SetMouseButtons(uint32_t flags);
  virtual void StartRecording();
  virtual void StopRecording();
  virtual void StartPlayback();
  virtual bool SaveRecording(const char* file);
  virtual bool LoadRecording(const char* file);
  virtual bool HasRecording();

  bool IsRecording() const { return recording_; }
  bool IsPlayingBack() const { return playingBack_; }
  // The buffered key events of the last keyboard poll.
  int32_t EventCount() const { return eventCount_; }
  const platform::KeyEvent& Event(int32_t i) const { return eventData_[i]; }
  const EventRecording& Recording() const { return rec_; }
  // The devices the object polls, once Create has run (tests feed the
  // headless form through it).
  platform::InputSource* Source() const { return source_.get(); }

 private:
  void Record(EventKind kind, const void* data, size_t size);
  void PollMouse();
  // The buttons as the game reads them: those held and those pressed since
  // the last poll.
  void ShowMouseButtons();
  void PollKeyboard();
  void ApplyKeyEvents();
  void ReplayPoll();

  void* instance_ = nullptr;
  std::unique_ptr<platform::InputSource> source_;
  bool deviceOpen_[2] = {false, false};
  bool buffered_[2] = {false, false};
  bool hasChars_ = false;
  uint8_t chars_[kTypedCharCapacity] = {};
  int8_t writeIndex_ = 0, readIndex_ = 0, charCount_ = 0;
  std::deque<uint8_t> overflow_;  // behind a full ring, oldest first
  uint32_t mouseButtons_ = 0;      // as the messages left them
  uint32_t pressedSincePoll_ = 0;  // pressed since the last mouse poll
  bool lastPollSawPress_ = false;  // that poll showed such a press
  int32_t keyboardPolls_ = 0;
  int32_t typedAtPoll_ = -1000;   // the poll of the last character not repeated
  int32_t repeatedAtPoll_ = -1000;  // ... of the last repeat taken
  float scale1X_ = 1.0f, scale1Y_ = 1.0f;
  float scale2X_ = 1.0f, scale2Y_ = 1.0f;
  int32_t eventCount_ = 0;
  platform::KeyEvent eventData_[platform::kKeyEventsPerPoll] = {};
  // Keys pressed and let go within one poll: down for that poll, let go at
  // the next, so a tap shorter than a poll is still a press.
  std::array<uint8_t, 256> releaseAtNextPoll_{};
  EventRecording rec_;
  size_t cursor_ = 0;     // offset into rec_.events
  int32_t replayed_ = 0;  // events played back so far
  bool recording_ = false;
  bool playingBack_ = false;
};

// Makes the program's input device (from the memory manager) and makes it
// the current one; null when memory runs out.
CInputDevice* CreateInputDevice();
void DestroyInputDevice(CInputDevice* device);
// The current input device (null before CreateInputDevice).
CInputDevice* TheInputDevice();
void SetTheInputDevice(CInputDevice* device);

// Receives the result of a failed device call; does nothing.
void InputErrorHook(int32_t result);

// Forwards window messages (platform::InputMessageSink) to an input device:
// characters to PushChar, pointer moves to SetCursorPosition (not forced),
// button flags to SetMouseButtons.
class CInputDeviceMessages : public platform::InputMessageSink {
 public:
  explicit CInputDeviceMessages(CInputDevice* device) : device_(device) {}
  void OnChar(uint8_t character) override;
  void OnRepeatedChar(uint8_t character) override;
  void OnPointerMoved(int32_t x, int32_t y) override;
  void OnMouseButtons(uint32_t flags) override;

 private:
  CInputDevice* device_;
};
