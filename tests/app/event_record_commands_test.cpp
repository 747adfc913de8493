#include "app/event_record_commands.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/input/input_device.h"
#include "platform/message_box.h"
#include "engine/core/console.h"
#include "session/save_chunks.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A game whose whole state is one number, saved as one people chunk.
class EventRecordCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("event_record_commands_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "profiles" / "anna");
    oldBoxes = platform::SetMessageBoxBackend(
        [](std::string_view, std::string_view, platform::BoxIcon, platform::BoxButtons) {
          return platform::BoxResult::Ok;
        });
    SetSavePathResolver([this](std::string_view name) {
      std::string p(name);
      for (char& c : p)
        if (c == '\\') c = '/';
      return (dir / p).string();
    });
    SetSaveProfileSource([] { return std::string("anna"); });
    // The game's chunk table (header and end-game word) as the program has it.
    ClearSaveHooks();
    InstallSaveChunkTable();
    RegisterSaveHook(kSavePeople, [this] { WriteSaveChunk(kChunkPeople, 8, &state); });
    RegisterLoadHook(
        kChunkPeople, [this](std::span<const uint8_t> d) { std::memcpy(&state, d.data(), 8); }, 8);
    oldSink = SetConsoleSink([this](std::string_view text, int kind) {
      replies.emplace_back(text);
      kinds.push_back(kind);
    });
    ClearConsoleCommandTable();
    RegisterConsoleCommands();
    AttachEventRecordCommands();
    device.Create(nullptr);
    device.InitDevice(nullptr, kInputMouse, false);
    device.InitDevice(nullptr, kInputKeyboard, true);
    SetTheInputDevice(&device);
    g_InputState = InputState{};
  }
  void TearDown() override {
    SetTheInputDevice(nullptr);
    ClearConsoleCommandTable();
    SetConsoleSink(std::move(oldSink));
    ClearSaveHooks();
    SetSavePathResolver(nullptr);
    SetSaveProfileSource(nullptr);
    platform::SetMessageBoxBackend(std::move(oldBoxes));
    fs::remove_all(dir);
  }
  fs::path Profile(const char* name) const { return dir / "profiles" / "anna" / name; }
  void RecordSomething() {
    device.StartRecording();
    for (int i = 0; i < 5; ++i) {
      device.SetCursorPosition(i, i, false);
      device.Poll(kInputMouse);
      device.Poll(kInputKeyboard);
    }
  }

  int64_t state = 0;
  fs::path dir;
  CInputDevice device;
  std::vector<std::string> replies;
  std::vector<int> kinds;
  ConsoleSink oldSink;
  platform::MessageBoxBackend oldBoxes;
};

TEST_F(EventRecordCommandsTest, SaveCopiesTheRecordingsStartAndLeavesTheRunningGame) {
  state = 1;
  ASSERT_TRUE(SaveGame("__rec.sav"));
  RecordSomething();
  state = 2;  // the game has moved on while recording
  ExecuteConsoleCommand("SAVEEVENTRECORD run1");
  EXPECT_TRUE(replies.empty());
  EXPECT_EQ(state, 2);
  EXPECT_FALSE(device.IsRecording());
  EXPECT_EQ(fs::file_size(Profile("run1.rec")), kEventRecordFileSize);
  EXPECT_EQ(ReadAll(Profile("run1.sav")), ReadAll(Profile("__rec.sav")));

  // Loading it back: the recording, then its save becomes the game and the
  // new start of the recording.
  fs::remove(Profile("__rec.sav"));
  CInputDevice other;
  SetTheInputDevice(&other);
  ExecuteConsoleCommand("loadeventrecord run1");
  EXPECT_TRUE(replies.empty()) << replies.front();
  EXPECT_EQ(other.Recording().recordCount, device.Recording().recordCount);
  EXPECT_EQ(other.Recording().pollCount, 5);
  EXPECT_EQ(state, 1);
  EXPECT_EQ(ReadAll(Profile("__rec.sav")), ReadAll(Profile("run1.sav")));
}

// A recording is written only with its start save to copy, and only over
// nothing or another recording: a save that took the name "x.rec" before
// such names were refused, or a damaged recording, is kept byte for byte.
// Its save goes only where nothing stands or beside its own recording: a
// player's save of that name is kept too. The recorder's own pair is
// replaced by a later recording of the same name.
TEST_F(EventRecordCommandsTest, NothingIsWrittenWithoutTheStartSaveOrOverAnotherFile) {
  RecordSomething();
  state = 7;
  ASSERT_TRUE(SaveGame("old.rec"));
  const auto oldSave = ReadAll(Profile("old.rec"));
  std::ofstream(Profile("torn.rec"), std::ios::binary) << "half a recording";
  state = 9;
  ASSERT_TRUE(SaveGame("mine.sav"));
  state = 7;
  struct Case {
    const char* name;
    bool startSave;
    const char* reply;
  };
  const Case cases[] = {
      {"run2", false, "Error. File __rec.sav could not be loaded"},
      {"old", true, "Error. File old.rec is not an input recording; it is kept and nothing was written"},
      {"torn", true, "Error. File torn.rec is not an input recording; it is kept and nothing was written"},
      {"mine", true, "Error. File mine.sav is a save the recorder did not make; it is kept and nothing was written"},
  };
  for (const Case& c : cases) {
    fs::remove(Profile("__rec.sav"));
    if (c.startSave) {
      ASSERT_TRUE(SaveGame("__rec.sav"));
    }
    const fs::path savePath = Profile((std::string(c.name) + ".sav").c_str());
    const bool hadSave = fs::exists(savePath);
    const auto before = ReadAll(savePath);
    replies.clear();
    kinds.clear();
    ExecuteConsoleCommand((std::string("SAVEEVENTRECORD ") + c.name).c_str());
    ASSERT_EQ(replies.size(), 1u) << c.name;
    EXPECT_EQ(replies[0], c.reply);
    EXPECT_EQ(kinds[0], kConsoleError);
    EXPECT_EQ(fs::exists(savePath), hadSave) << c.name;
    EXPECT_EQ(ReadAll(savePath), before) << c.name;
  }
  EXPECT_FALSE(fs::exists(Profile("run2.rec")));
  EXPECT_FALSE(fs::exists(Profile("mine.rec")));
  EXPECT_EQ(ReadAll(Profile("old.rec")), oldSave);
  EXPECT_EQ(fs::file_size(Profile("torn.rec")), 16u);
  // The recording was never taken out of the device: a good name still gets it.
  ExecuteConsoleCommand("SAVEEVENTRECORD good");
  EXPECT_EQ(fs::file_size(Profile("good.rec")), kEventRecordFileSize);
  EXPECT_EQ(ReadAll(Profile("good.sav")), ReadAll(Profile("__rec.sav")));
  // A later recording of that name replaces the recorder's own pair.
  state = 8;
  ASSERT_TRUE(SaveGame("__rec.sav"));
  RecordSomething();
  replies.clear();
  ExecuteConsoleCommand("SAVEEVENTRECORD good");
  EXPECT_TRUE(replies.empty()) << replies.front();
  EXPECT_EQ(ReadAll(Profile("good.sav")), ReadAll(Profile("__rec.sav")));
}

TEST_F(EventRecordCommandsTest, RefusedNamesAndMissingFiles) {
  RecordSomething();
  state = 1;
  ASSERT_TRUE(SaveGame("__rec.sav"));
  for (const char* line : {"SAVEEVENTRECORD ../escape", "SAVEEVENTRECORD a/b", "SAVEEVENTRECORD a\\b",
                           "LOADEVENTRECORD ..", "LOADEVENTRECORD nothing"}) {
    replies.clear();
    ExecuteConsoleCommand(line);
    ASSERT_EQ(replies.size(), 1u) << line;
    EXPECT_EQ(kinds[0], kConsoleError) << line;
  }
  EXPECT_EQ(replies[0], "Error. File nothing could not be loaded");
  EXPECT_FALSE(fs::exists(dir / "profiles" / "escape.rec"));
  EXPECT_FALSE(fs::exists(dir / "profiles" / "anna" / "a"));
  // The recording is still in the device and nothing was loaded.
  EXPECT_TRUE(device.HasRecording());
  EXPECT_EQ(state, 1);
  // No name: nothing at all.
  replies.clear();
  ExecuteConsoleCommand("SAVEEVENTRECORD");
  EXPECT_TRUE(replies.empty());
}

TEST_F(EventRecordCommandsTest, ARecordingWithoutItsSaveDoesNotReplaceTheStart) {
  RecordSomething();
  state = 1;
  ASSERT_TRUE(SaveGame("__rec.sav"));
  ASSERT_TRUE(device.SaveRecording(Profile("lonely.rec").c_str()));
  auto before = ReadAll(Profile("__rec.sav"));
  state = 5;
  ExecuteConsoleCommand("LOADEVENTRECORD lonely");
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0], "Error. File lonely.sav could not be loaded");
  EXPECT_EQ(state, 5);
  EXPECT_EQ(ReadAll(Profile("__rec.sav")), before);
}

}  // namespace
