#pragma once
// A fresh command table, default settings and a captured console for a test;
// message boxes are captured too and the game root is a scratch folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/error.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "engine/core/console.h"
#include "engine/core/debug_flags.h"
#include "shell/startup_messages.h"
#include "engine/core/system_settings.h"

class ConsoleTest : public ::testing::Test {
 protected:
  struct Line {
    std::string text;
    int kind;
    bool operator==(const Line&) const = default;
  };

  void SetUp() override {
    ClearConsoleCommandTable();
    ResetSystemSettings();
    ClearDebugFlags();
    old_sink_ = SetConsoleSink([this](std::string_view text, int kind) {
      lines_.push_back({std::string(text), kind});
    });
    old_boxes_ = platform::SetMessageBoxBackend(
        [this](std::string_view caption, std::string_view text, platform::BoxIcon, platform::BoxButtons) {
          boxes_.push_back(std::string(caption) + "|" + std::string(text));
          return platform::BoxResult::Ok;
        });
    root_ = std::filesystem::temp_directory_path() /
            ("rc_shell_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
    old_root_ = platform::GameRoot();
    platform::SetGameRoot(root_.string());
  }
  void TearDown() override {
    SetConsoleSink(std::move(old_sink_));
    platform::SetMessageBoxBackend(std::move(old_boxes_));
    platform::SetGameRoot(old_root_);
    std::filesystem::remove_all(root_);
    ClearConsoleCommandTable();
    ResetSystemSettings();
    ClearDebugFlags();
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const Line& l : lines_) out.push_back(l.text);
    return out;
  }

  std::vector<Line> lines_;
  std::vector<std::string> boxes_;
  std::filesystem::path root_;

 private:
  ConsoleSink old_sink_;
  platform::MessageBoxBackend old_boxes_;
  std::string old_root_;
};
