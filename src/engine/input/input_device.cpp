#include "engine/input/input_device.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <string>

#include "engine/core/error.h"
#include "engine/core/memory.h"

InputState g_InputState;

namespace {

CInputDevice* g_CurrentInputDevice = nullptr;

platform::InputDeviceKind KindOf(int32_t device) {
  return device == kInputMouse ? platform::InputDeviceKind::Mouse
                               : platform::InputDeviceKind::Keyboard;
}

bool ValidDevice(int32_t device) { return device == kInputMouse || device == kInputKeyboard; }

}  // namespace

void InputErrorHook(int32_t) {}

CInputDevice::CInputDevice() = default;

bool CInputDevice::Create(void* instance) {
  instance_ = instance;
  source_ = platform::CreateInputSource();
  if (!source_) InputErrorHook(-1);
  g_InputState.screenCursorX = 0;
  g_InputState.screenCursorY = 0;
  return true;
}

CInputDevice::~CInputDevice() {
  if (source_) {
    ReleaseDevice(kInputMouse);
    ReleaseDevice(kInputKeyboard);
    source_.reset();
  }
  if (g_CurrentInputDevice == this) g_CurrentInputDevice = nullptr;
}

bool CInputDevice::InitDevice(void*, int32_t device, bool buffered) {
  if (!ValidDevice(device)) {
    ReportError(1, 0, "Trying to initialise an unsupported device");
    return true;
  }
  buffered_[device] = buffered;
  if (deviceOpen_[device])
    ReportError(1, 0,
                device == kInputMouse ? "Trying to initialise mouse when it is already initialised"
                                      : "Trying to initialise keyboard when it is already initialised");
  if (!source_) {
    InputErrorHook(-1);
    return true;
  }
  if (deviceOpen_[device]) source_->CloseDevice(KindOf(device));
  deviceOpen_[device] = source_->OpenDevice(KindOf(device), buffered);
  if (!deviceOpen_[device]) InputErrorHook(-1);
  Acquire(device);
  return true;
}

bool CInputDevice::ReleaseDevice(int32_t device) {
  if (!source_ || !ValidDevice(device) || !deviceOpen_[device]) return false;
  source_->Unacquire(KindOf(device));
  source_->CloseDevice(KindOf(device));
  deviceOpen_[device] = false;
  return true;
}

bool CInputDevice::Acquire(int32_t device) {
  if (source_ && ValidDevice(device) && deviceOpen_[device] && !source_->Acquire(KindOf(device)))
    InputErrorHook(-1);
  return true;
}

bool CInputDevice::Unacquire(int32_t device) {
  if (source_ && ValidDevice(device) && deviceOpen_[device]) source_->Unacquire(KindOf(device));
  return true;
}

bool CInputDevice::Poll(int32_t device) {
  if (device == kInputMouse) {
    PollMouse();
  } else if (device == kInputKeyboard) {
    PollKeyboard();
  } else {
    return false;
  }
  return true;
}

void CInputDevice::PollMouse() {
  InputState& g = g_InputState;
  g.previousMouse = g.mouse;
  // A click that came and went before the last poll has been seen down by
  // it: its release shows from this poll on.
  if (lastPollSawPress_) {
    lastPollSawPress_ = false;
    ShowMouseButtons();
  }
  if (pressedSincePoll_) {
    ShowMouseButtons();
    pressedSincePoll_ = 0;
    lastPollSawPress_ = true;
  }
  if (playingBack_) return;  // the recording supplies the mouse
  platform::MouseReading m;
  if (!source_ || !source_->ReadMouse(m)) {
    // Motion is relative: a failed read must not repeat the last movement.
    InputErrorHook(-1);
    g.mouse.x = g.mouse.y = g.mouse.wheel = 0;
    return;
  }
  g.mouse.x = m.x;
  g.mouse.y = m.y;
  g.mouse.wheel = m.wheel;
  g.mouse.buttons[0] = g.leftButton;
  g.mouse.buttons[1] = g.rightButton;
  g.mouse.buttons[2] = m.buttons[2];
  g.mouse.buttons[3] = m.buttons[3];
  if (recording_ && std::memcmp(&g.mouse, &g.previousMouse, sizeof g.mouse) != 0)
    Record(EventKind::Mouse, &g.mouse, sizeof g.mouse);
}

void CInputDevice::PollKeyboard() {
  InputState& g = g_InputState;
  std::memcpy(g.previousKeys, g.keys, sizeof g.keys);
  eventCount_ = 0;
  if (!buffered_[kInputKeyboard]) {
    if (!source_ || !source_->ReadKeyTable(std::span<uint8_t, 256>(g.keys))) InputErrorHook(-1);
  } else {
    if (playingBack_) {
      ReplayPoll();
    } else if (source_) {
      int n = source_->ReadKeyEvents(eventData_);
      if (n < 0) InputErrorHook(-1);
      eventCount_ = std::max(n, 0);
    }
    ApplyKeyEvents();
  }
  if (recording_ && eventCount_ > 0) {
    uint8_t data[4 + 2 * platform::kKeyEventsPerPoll];
    StoreLeI32(data, eventCount_);
    for (int32_t i = 0; i < eventCount_; ++i) {
      data[4 + 2 * i] = static_cast<uint8_t>(eventData_[i].key);
      data[5 + 2 * i] = static_cast<uint8_t>(eventData_[i].data);
    }
    Record(EventKind::Keys, data, 4 + 2 * static_cast<size_t>(eventCount_));
  }
  ++g.pollCounter;
  ++keyboardPolls_;
}

void CInputDevice::ApplyKeyEvents() {
  InputState& g = g_InputState;
  for (size_t code = 0; code < releaseAtNextPoll_.size(); ++code)
    if (releaseAtNextPoll_[code]) g.keys[code] = 0;
  releaseAtNextPoll_.fill(0);
  std::array<bool, 256> pressedNow{};
  for (int32_t i = 0; i < eventCount_; ++i) {
    const size_t code = eventData_[i].key & 0xFF;
    const bool down = (eventData_[i].data & 0x80) != 0;
    if (down) {
      g.keys[code] = 0x80;
      pressedNow[code] = true;
      releaseAtNextPoll_[code] = 0;
    } else if (pressedNow[code]) {
      releaseAtNextPoll_[code] = 1;
    } else {
      g.keys[code] = 0;
    }
  }
}

// Plays the events recorded at the current poll number.
void CInputDevice::ReplayPoll() {
  InputState& g = g_InputState;
  while (replayed_ < rec_.recordCount) {
    EventView ev;
    if (!ReadEventAt(rec_.events, cursor_, ev)) {
      replayed_ = rec_.recordCount;  // cannot happen with a checked recording
      break;
    }
    if (ev.poll != g.pollCounter) break;
    const uint8_t* d = ev.data.data();
    switch (ev.kind) {
      case EventKind::Keys: {
        int32_t n = LoadLeI32(d);
        for (int32_t i = 0; i < n && eventCount_ < platform::kKeyEventsPerPoll; ++i) {
          eventData_[eventCount_] = platform::KeyEvent{d[4 + 2 * i], d[5 + 2 * i], 0,
                                                       static_cast<uint32_t>(eventCount_)};
          ++eventCount_;
        }
        break;
      }
      case EventKind::Pointer:
        SetCursorPosition(LoadLeI32(d), LoadLeI32(d + 4), true);
        g.uiCursorX = LoadLeI32(d + 8);
        g.uiCursorY = LoadLeI32(d + 12);
        break;
      case EventKind::Mouse: std::memcpy(&g.mouse, d, sizeof g.mouse); break;
    }
    cursor_ = ev.next;
    ++replayed_;
  }
  if (g.pollCounter >= rec_.pollCount) {
    playingBack_ = false;
    g.playbackEnded = 1;
  }
}

void CInputDevice::Record(EventKind kind, const void* data, size_t size) {
  const size_t total = kEventHeaderSize + size;
  if (kEventBufferSize - cursor_ < total) {
    StopRecording();
    ReportErrorF(1, "The input recording is full: recording stopped after %d polls.",
                 static_cast<int>(rec_.pollCount));
    return;
  }
  uint8_t* p = rec_.events + cursor_;
  StoreLeI32(p, g_InputState.pollCounter);
  p[4] = static_cast<uint8_t>(kind);
  std::memcpy(p + kEventHeaderSize, data, size);
  cursor_ += total;
  ++rec_.recordCount;
}

void CInputDevice::PushChar(uint8_t character) {
  if (recording_ && character == ' ') g_InputState.blankTyped = 1;
  typedAtPoll_ = keyboardPolls_;
  if (charCount_ >= kTypedCharCapacity || !overflow_.empty()) {
    // The ring is full: the character waits behind it, in order.
    if (overflow_.size() < size_t(kTypedCharOverflow)) overflow_.push_back(character);
    return;
  }
  chars_[writeIndex_] = character;
  writeIndex_ = static_cast<int8_t>((writeIndex_ + 1) % kTypedCharCapacity);
  ++charCount_;
  hasChars_ = true;
}

void CInputDevice::PushRepeatedChar(uint8_t character) {
  // The system's repeats come by its clock; a frame that was slow hands a
  // whole burst over at once, which would type the letter many times.
  if (keyboardPolls_ - typedAtPoll_ < kKeyRepeatDelayPolls ||
      keyboardPolls_ - repeatedAtPoll_ < kKeyRepeatIntervalPolls)
    return;
  const int32_t typedAt = typedAtPoll_;
  PushChar(character);
  typedAtPoll_ = typedAt;  // a repeat does not restart the key's delay
  repeatedAtPoll_ = keyboardPolls_;
}

bool CInputDevice::HasChars() { return hasChars_; }

uint8_t CInputDevice::PopChar() {
  if (charCount_ <= 0) {
    hasChars_ = false;
    return 0;
  }
  uint8_t c = chars_[readIndex_];
  readIndex_ = static_cast<int8_t>((readIndex_ + 1) % kTypedCharCapacity);
  --charCount_;
  if (!overflow_.empty()) {
    chars_[writeIndex_] = overflow_.front();
    overflow_.pop_front();
    writeIndex_ = static_cast<int8_t>((writeIndex_ + 1) % kTypedCharCapacity);
    ++charCount_;
  }
  hasChars_ = charCount_ > 0;
  return c;
}

void CInputDevice::ClearChars() {
  writeIndex_ = readIndex_ = charCount_ = 0;
  overflow_.clear();
  hasChars_ = false;
}

void CInputDevice::SetCursorPosition(int32_t x, int32_t y, bool force) {
  InputState& g = g_InputState;
  if (!playingBack_ || force) {
    g.screenCursorX = static_cast<int32_t>(std::trunc(static_cast<float>(x) * scale2X_));
    g.screenCursorY = static_cast<int32_t>(std::trunc(static_cast<float>(y) * scale2Y_));
    g.uiCursorX = static_cast<int32_t>(std::trunc(static_cast<float>(x) * scale1X_));
    g.uiCursorY = static_cast<int32_t>(std::trunc(static_cast<float>(y) * scale1Y_));
  }
  if (recording_) {
    int32_t data[4] = {g.screenCursorX, g.screenCursorY, g.uiCursorX, g.uiCursorY};
    Record(EventKind::Pointer, data, sizeof data);
  }
}

void CInputDevice::SetCursorScale1(float sx, float sy) {
  scale1X_ = sx;
  scale1Y_ = sy;
}

void CInputDevice::SetCursorScale2(float sx, float sy) {
  scale2X_ = sx;
  scale2Y_ = sy;
}

void CInputDevice::SetMouseButtons(uint32_t flags) {
  // A button pressed since the last poll stays down for the next one, as a
  // key does: after a slow frame a click's press and release come in one
  // batch, and the interface would otherwise never see the button down.
  const uint32_t buttons = platform::kMouseLeft | platform::kMouseRight;
  pressedSincePoll_ |= flags & ~mouseButtons_ & buttons;
  mouseButtons_ = flags & buttons;
  ShowMouseButtons();
}

void CInputDevice::ShowMouseButtons() {
  const uint32_t seen = mouseButtons_ | pressedSincePoll_;
  g_InputState.leftButton = (seen & platform::kMouseLeft) ? 1 : 0;
  g_InputState.rightButton = (seen & platform::kMouseRight) ? 1 : 0;
}

void CInputDevice::StartRecording() {
  playingBack_ = false;  // never both at once
  rec_.camera = g_CameraState;
  cursor_ = 0;
  rec_.recordCount = 0;
  g_InputState.pollCounter = 0;
  recording_ = true;
  g_InputState.startFlag = 0;
}

void CInputDevice::StopRecording() {
  if (!recording_) return;
  recording_ = false;
  rec_.pollCount = g_InputState.pollCounter;
}

void CInputDevice::StartPlayback() {
  g_InputState.startFlag = 0;
  g_InputState.playbackEnded = 0;
  if (!HasRecording()) return;
  StopRecording();
  g_CameraState = rec_.camera;
  playingBack_ = true;
  g_InputState.pollCounter = 0;
  cursor_ = 0;
  replayed_ = 0;
}

bool CInputDevice::SaveRecording(const char* file) {
  if (playingBack_ || file == nullptr) return false;
  StopRecording();
  return WriteEventRecordFile(file, rec_);
}

bool CInputDevice::LoadRecording(const char* file) {
  StopRecording();
  if (file == nullptr) return false;
  auto loaded = std::make_unique<EventRecording>();
  std::string why;
  if (!ReadEventRecordFile(file, *loaded, why)) {
    if (why != "cannot be opened") ReportErrorF(1, "Input recording %s not loaded: %s", file, why.c_str());
    return false;
  }
  playingBack_ = false;  // the old recording's place in the buffer means nothing now
  rec_ = *loaded;
  cursor_ = 0;
  replayed_ = 0;
  return true;
}

bool CInputDevice::HasRecording() { return rec_.recordCount != 0; }

CInputDevice* CreateInputDevice() {
  void* memory = MEM_ALLOC(sizeof(CInputDevice));
  if (memory == nullptr) return nullptr;
  auto* device = new (memory) CInputDevice;
  g_CurrentInputDevice = device;
  return device;
}

void DestroyInputDevice(CInputDevice* device) {
  if (device == nullptr) return;
  device->~CInputDevice();
  MEM_FREE(device);
}

CInputDevice* TheInputDevice() { return g_CurrentInputDevice; }
void SetTheInputDevice(CInputDevice* device) { g_CurrentInputDevice = device; }

void CInputDeviceMessages::OnChar(uint8_t character) { device_->PushChar(character); }
void CInputDeviceMessages::OnRepeatedChar(uint8_t character) { device_->PushRepeatedChar(character); }
void CInputDeviceMessages::OnPointerMoved(int32_t x, int32_t y) {
  device_->SetCursorPosition(x, y, false);
}
void CInputDeviceMessages::OnMouseButtons(uint32_t flags) { device_->SetMouseButtons(flags); }
