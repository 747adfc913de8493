#include "engine/input/input_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/memory.h"
#include "platform/message_box.h"

namespace {

namespace fs = std::filesystem;
using platform::HeadlessInputSource;
namespace key = platform::key;

class InputDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_InputState = InputState{};
    g_CameraState = CameraState{};
    oldBox = platform::SetMessageBoxBackend(
        [this](std::string_view, std::string_view text, platform::BoxIcon, platform::BoxButtons) {
          boxes.emplace_back(text);
          return platform::BoxResult::Ok;
        });
    dev = std::make_unique<CInputDevice>();
    dev->Create(nullptr);
    dev->InitDevice(nullptr, kInputMouse, false);
    dev->InitDevice(nullptr, kInputKeyboard, true);
    src = dynamic_cast<HeadlessInputSource*>(dev->Source());
    ASSERT_NE(src, nullptr);
    dir = fs::path(::testing::TempDir()) /
          ("input_device_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::create_directories(dir);
  }
  void TearDown() override {
    dev.reset();
    platform::SetMessageBoxBackend(std::move(oldBox));
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  void Poll() {
    dev->Poll(kInputMouse);
    dev->Poll(kInputKeyboard);
  }
  std::string File(const char* name) const { return (dir / name).string(); }

  // What the game sees after one poll.
  struct Frame {
    std::vector<uint8_t> keys;
    MouseState mouse;
    int32_t cursor[4];
    std::vector<std::pair<uint32_t, uint32_t>> events;
    bool operator==(const Frame& o) const {
      return keys == o.keys && std::memcmp(&mouse, &o.mouse, sizeof mouse) == 0 &&
             std::memcmp(cursor, o.cursor, sizeof cursor) == 0 && events == o.events;
    }
  };
  Frame Snapshot() const {
    Frame f;
    f.keys.assign(g_InputState.keys, g_InputState.keys + 256);
    f.mouse = g_InputState.mouse;
    f.cursor[0] = g_InputState.screenCursorX;
    f.cursor[1] = g_InputState.screenCursorY;
    f.cursor[2] = g_InputState.uiCursorX;
    f.cursor[3] = g_InputState.uiCursorY;
    for (int i = 0; i < dev->EventCount(); ++i) f.events.emplace_back(dev->Event(i).key, dev->Event(i).data);
    return f;
  }
  // Plays a scripted stretch of input, one step per poll, and returns what
  // the game saw.
  std::vector<Frame> PlayScript(int polls) {
    std::vector<Frame> frames;
    for (int i = 0; i < polls; ++i) {
      if (i % 7 == 0) src->PressKey(key::kUp);
      if (i % 7 == 3) src->ReleaseKey(key::kUp);
      if (i % 11 == 0) src->PressKey(static_cast<uint8_t>(key::kA + i % 5));
      if (i % 5 == 0) src->MoveMouse(i, -i);
      if (i % 13 == 0) src->TurnWheel(1);
      if (i % 9 == 0) dev->SetCursorPosition(i * 2, i * 3, false);
      if (i == 20) dev->SetMouseButtons(platform::kMouseLeft);
      if (i == 25) dev->SetMouseButtons(0);
      Poll();
      frames.push_back(Snapshot());
    }
    return frames;
  }

  std::unique_ptr<CInputDevice> dev;
  HeadlessInputSource* src = nullptr;
  fs::path dir;
  std::vector<std::string> boxes;
  platform::MessageBoxBackend oldBox;
};

TEST_F(InputDeviceTest, TypedCharactersComeOutInOrderAndWaitBehindAFullRing) {
  EXPECT_EQ(dev->PopChar(), 0);
  EXPECT_FALSE(dev->HasChars());
  dev->PushChar('a');
  dev->PushChar('b');
  EXPECT_TRUE(dev->HasChars());
  EXPECT_EQ(dev->PopChar(), 'a');
  EXPECT_EQ(dev->PopChar(), 'b');
  EXPECT_FALSE(dev->HasChars());
  EXPECT_EQ(dev->PopChar(), 0);
  EXPECT_FALSE(dev->HasChars());

  // Past the ring of 16 the characters wait behind it, in order, up to the
  // overflow's size; only beyond that are they lost.
  const int typed = kTypedCharCapacity + kTypedCharOverflow + 5;
  for (int i = 0; i < typed; ++i) dev->PushChar(static_cast<uint8_t>('A' + i % 26));
  std::string out;
  while (dev->HasChars()) out.push_back(static_cast<char>(dev->PopChar()));
  ASSERT_EQ(out.size(), size_t(kTypedCharCapacity + kTypedCharOverflow));
  for (size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i], 'A' + int(i % 26)) << i;
  dev->PushChar('x');
  for (int i = 0; i < 20; ++i) dev->PushChar('y');
  dev->ClearChars();
  EXPECT_FALSE(dev->HasChars());
  EXPECT_EQ(dev->PopChar(), 0);
}

TEST_F(InputDeviceTest, BlankTypedFlagOnlyWhileRecording) {
  dev->PushChar(' ');
  EXPECT_EQ(g_InputState.blankTyped, 0);
  dev->StartRecording();
  dev->PushChar('x');
  EXPECT_EQ(g_InputState.blankTyped, 0);
  dev->PushChar(' ');
  EXPECT_EQ(g_InputState.blankTyped, 1);
}

TEST_F(InputDeviceTest, KeyboardPollKeepsPreviousTableAndTakesSixteenEventsAPoll) {
  src->PressKey(key::kLeftShift);
  Poll();
  EXPECT_TRUE(KeyPressed(key::kLeftShift));
  Poll();
  EXPECT_TRUE(KeyDown(key::kLeftShift));
  EXPECT_FALSE(KeyPressed(key::kLeftShift));
  EXPECT_EQ(g_InputState.pollCounter, 2);

  for (int i = 0; i < 10; ++i) {
    src->PressKey(key::kA);
    src->ReleaseKey(key::kA);
  }
  Poll();
  EXPECT_EQ(dev->EventCount(), 16);
  Poll();
  EXPECT_EQ(dev->EventCount(), 4);
  EXPECT_TRUE(KeyDown(key::kA));  // the last tap shows for its poll
  Poll();
  EXPECT_FALSE(KeyDown(key::kA));
}

// A tap shorter than a poll (pressed and let go between two polls) is a
// press for one poll, then the key is up.
TEST_F(InputDeviceTest, AKeyTappedWithinOnePollIsPressedForThatPoll) {
  src->PressKey(key::kEscape);
  src->ReleaseKey(key::kEscape);
  Poll();
  EXPECT_TRUE(KeyPressed(key::kEscape));
  Poll();
  EXPECT_FALSE(KeyDown(key::kEscape));
  // Held across polls, it stays down until it is let go.
  src->PressKey(key::kEscape);
  Poll();
  Poll();
  EXPECT_TRUE(KeyDown(key::kEscape));
  src->ReleaseKey(key::kEscape);
  Poll();
  EXPECT_FALSE(KeyDown(key::kEscape));
}

// After a slow frame a click's press and release come between two polls:
// the button is down for the first poll and up from the next, so the
// interface sees the whole click.
TEST_F(InputDeviceTest, AClickWithinOnePollIsDownForThatPoll) {
  CInputDeviceMessages messages(dev.get());
  messages.OnMouseButtons(platform::kMouseLeft);
  messages.OnMouseButtons(0);
  Poll();
  EXPECT_EQ(g_InputState.leftButton, 1);
  Poll();
  EXPECT_EQ(g_InputState.leftButton, 0);
  // Held across polls, it stays down until it is let go, and goes up at once.
  messages.OnMouseButtons(platform::kMouseRight);
  Poll();
  Poll();
  EXPECT_EQ(g_InputState.rightButton, 1);
  messages.OnMouseButtons(0);
  EXPECT_EQ(g_InputState.rightButton, 0);
  Poll();
  EXPECT_EQ(g_InputState.rightButton, 0);
}

TEST_F(InputDeviceTest, MousePollTakesMotionFromTheDeviceAndButtonsFromTheMessages) {
  src->MoveMouse(5, -3);
  src->TurnWheel(-1);
  src->SetMouseButton(0, true);  // the device's own left button is not used
  src->SetMouseButton(2, true);
  dev->SetMouseButtons(platform::kMouseRight);
  Poll();
  EXPECT_EQ(g_InputState.mouse.x, 5);
  EXPECT_EQ(g_InputState.mouse.y, -3);
  EXPECT_EQ(g_InputState.mouse.wheel, -120);
  EXPECT_EQ(g_InputState.mouse.buttons[0], 0);
  EXPECT_EQ(g_InputState.mouse.buttons[1], 1);
  EXPECT_EQ(g_InputState.mouse.buttons[2], 0x80);
  // Without the focus the motion is not repeated.
  src->SetFocus(false);
  Poll();
  EXPECT_EQ(g_InputState.previousMouse.x, 5);
  EXPECT_EQ(g_InputState.mouse.x, 0);
}

TEST_F(InputDeviceTest, CursorIsScaledAndTruncated) {
  dev->SetCursorScale1(640.0f / 1024, 480.0f / 768);
  dev->SetCursorScale2(1.5f, 1.0f);
  dev->SetCursorPosition(1023, 767, false);
  EXPECT_EQ(g_InputState.uiCursorX, 639);
  EXPECT_EQ(g_InputState.uiCursorY, 479);
  EXPECT_EQ(g_InputState.screenCursorX, 1534);
  EXPECT_EQ(g_InputState.screenCursorY, 767);
}

TEST_F(InputDeviceTest, PlaybackReproducesTheRecordedInput) {
  g_CameraState.mode = 3;
  g_CameraState.eye = {1, 2, 3};
  dev->PushChar('q');
  dev->StartRecording();
  EXPECT_EQ(g_InputState.startFlag, 0);
  std::vector<Frame> recorded = PlayScript(100);
  dev->StopRecording();
  EXPECT_EQ(dev->Recording().pollCount, 100);
  ASSERT_TRUE(dev->HasRecording());

  // Change everything the recording restores.
  g_CameraState.mode = 0;
  g_CameraState.eye = {9, 9, 9};
  std::memset(g_InputState.keys, 0, sizeof g_InputState.keys);
  g_InputState.mouse = MouseState{};
  dev->SetMouseButtons(0);

  dev->StartPlayback();
  EXPECT_TRUE(dev->IsPlayingBack());
  EXPECT_EQ(g_CameraState.mode, 3);
  EXPECT_EQ(g_CameraState.eye.y, 2);
  std::vector<Frame> replayed;
  for (int i = 0; i < 100; ++i) {
    // Live input while playing back changes nothing.
    src->PressKey(key::kZ);
    src->MoveMouse(50, 50);
    dev->SetCursorPosition(7, 7, false);
    Poll();
    replayed.push_back(Snapshot());
  }
  ASSERT_EQ(replayed.size(), recorded.size());
  for (size_t i = 0; i < recorded.size(); ++i) EXPECT_TRUE(replayed[i] == recorded[i]) << "poll " << i;
  // The recorded stretch ends at the next poll.
  EXPECT_TRUE(dev->IsPlayingBack());
  EXPECT_EQ(g_InputState.playbackEnded, 0);
  Poll();
  EXPECT_FALSE(dev->IsPlayingBack());
  EXPECT_EQ(g_InputState.playbackEnded, 1);
  // The characters typed are still the window's, never the recording's.
  EXPECT_EQ(dev->PopChar(), 'q');
}

TEST_F(InputDeviceTest, ForcedPointerMovesDuringPlayback) {
  dev->StartRecording();
  dev->SetCursorPosition(10, 20, false);
  Poll();
  dev->StopRecording();
  dev->StartPlayback();
  dev->SetCursorPosition(300, 400, false);
  EXPECT_EQ(g_InputState.screenCursorX, 10);
  dev->SetCursorPosition(300, 400, true);
  EXPECT_EQ(g_InputState.screenCursorX, 300);
  EXPECT_EQ(g_InputState.uiCursorY, 400);
}

TEST_F(InputDeviceTest, StartPlaybackWithoutARecordingOnlyClearsTheFlags) {
  g_InputState.playbackEnded = 1;
  g_InputState.startFlag = 1;
  dev->StartPlayback();
  EXPECT_FALSE(dev->IsPlayingBack());
  EXPECT_EQ(g_InputState.playbackEnded, 0);
  EXPECT_EQ(g_InputState.startFlag, 0);
}

TEST_F(InputDeviceTest, SavedRecordingLoadsAndReplaysTheSame) {
  dev->StartRecording();
  std::vector<Frame> recorded = PlayScript(40);
  // Saving stops the recording: the poll count is the counter at that moment.
  ASSERT_TRUE(dev->SaveRecording(File("a.rec").c_str()));
  EXPECT_FALSE(dev->IsRecording());
  EXPECT_EQ(fs::file_size(File("a.rec")), kEventRecordFileSize);

  CInputDevice other;
  other.Create(nullptr);
  other.InitDevice(nullptr, kInputMouse, false);
  other.InitDevice(nullptr, kInputKeyboard, true);
  ASSERT_TRUE(other.LoadRecording(File("a.rec").c_str()));
  EXPECT_EQ(other.Recording().pollCount, 40);
  EXPECT_EQ(other.Recording().recordCount, dev->Recording().recordCount);
  g_InputState = InputState{};
  other.StartPlayback();
  for (int i = 0; i < 40; ++i) {
    other.Poll(kInputMouse);
    other.Poll(kInputKeyboard);
    Frame f = Snapshot();
    f.events.clear();
    for (int k = 0; k < other.EventCount(); ++k) f.events.emplace_back(other.Event(k).key, other.Event(k).data);
    EXPECT_TRUE(f == recorded[i]) << "poll " << i;
  }
  // Saving during playback is refused; a file that cannot be opened fails.
  EXPECT_TRUE(other.IsPlayingBack());
  EXPECT_FALSE(other.SaveRecording(File("b.rec").c_str()));
  EXPECT_FALSE(fs::exists(File("b.rec")));
  EXPECT_FALSE(dev->SaveRecording((dir / "missing" / "c.rec").string().c_str()));
  EXPECT_FALSE(dev->LoadRecording(File("none.rec").c_str()));
}

TEST_F(InputDeviceTest, SavingReplacesAReadOnlyFile) {
  dev->StartRecording();
  PlayScript(3);
  ASSERT_TRUE(dev->SaveRecording(File("ro.rec").c_str()));
  fs::permissions(File("ro.rec"), fs::perms::owner_write, fs::perm_options::remove);
  dev->StartRecording();
  PlayScript(5);
  ASSERT_TRUE(dev->SaveRecording(File("ro.rec").c_str()));
  CInputDevice other;
  ASSERT_TRUE(other.LoadRecording(File("ro.rec").c_str()));
  EXPECT_EQ(other.Recording().pollCount, 5);
}

// Writes a file from a recording's bytes, after a change.
void WriteRaw(const std::string& path, const EventRecording& rec, size_t size,
              void (*change)(std::vector<uint8_t>&)) {
  std::vector<uint8_t> bytes(kEventRecordFileSize);
  std::memcpy(bytes.data(), &rec.camera, 196);
  std::memcpy(bytes.data() + 196, &rec.pollCount, 4);
  std::memcpy(bytes.data() + 200, &rec.recordCount, 4);
  std::memcpy(bytes.data() + 204, rec.events, kEventBufferSize);
  if (change) change(bytes);
  bytes.resize(size);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

TEST_F(InputDeviceTest, DamagedFilesAreRefusedAndChangeNothing) {
  // The first event is a key event at poll 0: 4 + 1 + 4 + 2 bytes.
  dev->StartRecording();
  src->PressKey(key::kQ);
  Poll();
  dev->SetCursorPosition(1, 1, false);
  Poll();
  dev->StopRecording();
  const EventRecording good = dev->Recording();
  ASSERT_EQ(good.recordCount, 2);

  struct Case {
    const char* what;
    size_t size;
    void (*change)(std::vector<uint8_t>&);
  } cases[] = {
      {"short", kEventRecordFileSize - 1, nullptr},
      {"long", kEventRecordFileSize + 1, nullptr},
      {"negative polls", kEventRecordFileSize, [](std::vector<uint8_t>& b) { b[199] = 0x80; }},
      {"negative records", kEventRecordFileSize, [](std::vector<uint8_t>& b) { b[203] = 0x80; }},
      {"bad kind", kEventRecordFileSize, [](std::vector<uint8_t>& b) { b[204 + 4] = 3; }},
      {"17 keys", kEventRecordFileSize, [](std::vector<uint8_t>& b) { b[204 + 5] = 17; }},
      {"negative keys", kEventRecordFileSize, [](std::vector<uint8_t>& b) { b[204 + 8] = 0xFF; }},
      {"poll past the end", kEventRecordFileSize, [](std::vector<uint8_t>& b) { b[204] = 9; }},
      {"more records than the buffer holds", kEventRecordFileSize,
       [](std::vector<uint8_t>& b) { b[200] = 0xFF; b[201] = 0xFF; }},
      {"event past the buffer", kEventRecordFileSize,
       [](std::vector<uint8_t>& b) {
         // One huge run of pointer events filling the buffer exactly, and a
         // record count one beyond.
         std::memset(b.data() + 204, 0, kEventBufferSize);
         int32_t count = 0;
         for (size_t at = 0; at + 21 <= kEventBufferSize; at += 21, ++count) b[204 + at + 4] = 1;
         ++count;
         std::memcpy(b.data() + 200, &count, 4);
       }},
  };
  CInputDevice other;
  ASSERT_TRUE(other.LoadRecording([&] {
    WriteRaw(File("ok.rec"), good, kEventRecordFileSize, nullptr);
    return File("ok.rec");
  }().c_str()));
  for (const Case& c : cases) {
    WriteRaw(File("bad.rec"), good, c.size, c.change);
    EXPECT_FALSE(other.LoadRecording(File("bad.rec").c_str())) << c.what;
    EXPECT_EQ(other.Recording().recordCount, 2) << c.what;
    EXPECT_EQ(other.Recording().pollCount, 2) << c.what;
  }
}

TEST_F(InputDeviceTest, AFullBufferStopsTheRecordingAndSaysSo) {
  dev->StartRecording();
  int moves = 0;
  while (dev->IsRecording() && moves < 10000) {
    dev->SetCursorPosition(moves, moves, false);
    ++moves;
    if (moves % 3 == 0) Poll();
  }
  EXPECT_FALSE(dev->IsRecording());
  const EventRecording& rec = dev->Recording();
  EXPECT_EQ(rec.recordCount, static_cast<int32_t>(kEventBufferSize / 21));
  EXPECT_EQ(rec.pollCount, g_InputState.pollCounter);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("recording"), std::string::npos);
  std::string why;
  EXPECT_TRUE(CheckEventRecording(rec, why)) << why;
  // What was recorded plays back to its end.
  dev->StartPlayback();
  for (int i = 0; i <= rec.pollCount; ++i) Poll();
  EXPECT_EQ(g_InputState.playbackEnded, 1);
}

TEST_F(InputDeviceTest, DevicesAreCheckedAndReleased) {
  dev->InitDevice(nullptr, 7, true);
  dev->InitDevice(nullptr, kInputKeyboard, true);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0], "Trying to initialise an unsupported device");
  EXPECT_EQ(boxes[1], "Trying to initialise keyboard when it is already initialised");
  EXPECT_FALSE(dev->Poll(3));
  EXPECT_TRUE(dev->ReleaseDevice(kInputMouse));
  EXPECT_FALSE(dev->ReleaseDevice(kInputMouse));
  CInputDevice bare;
  EXPECT_FALSE(bare.ReleaseDevice(kInputKeyboard));
}

TEST(CreateInputDevice, ComesFromTheMemoryManagerAndBecomesCurrent) {
  ASSERT_TRUE(MemoryManager().Init(1 << 20, 16));
  CInputDevice* device = CreateInputDevice();
  ASSERT_NE(device, nullptr);
  EXPECT_TRUE(MemoryManager().IsLiveBlock(device));
  EXPECT_EQ(TheInputDevice(), device);
  DestroyInputDevice(device);
  EXPECT_EQ(TheInputDevice(), nullptr);
  MemoryManager().Shutdown();
}

TEST(InputDeviceMessages, WindowMessagesReachTheDevice) {
  g_InputState = InputState{};
  CInputDevice device;
  CInputDeviceMessages sink(&device);
  platform::InputMessageSink* old = platform::SetInputMessageSink(&sink);
  platform::GetInputMessageSink()->OnChar(0xE9);
  platform::GetInputMessageSink()->OnPointerMoved(12, 34);
  platform::GetInputMessageSink()->OnMouseButtons(platform::kMouseLeft | platform::kMouseShift);
  platform::SetInputMessageSink(old);
  EXPECT_EQ(device.PopChar(), 0xE9);
  EXPECT_EQ(g_InputState.uiCursorX, 12);
  EXPECT_EQ(g_InputState.screenCursorY, 34);
  EXPECT_EQ(g_InputState.leftButton, 1);
  EXPECT_EQ(g_InputState.rightButton, 0);
}

}  // namespace
