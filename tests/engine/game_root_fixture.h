#pragma once
// A throw-away game root for tests of the engine's file formats: a fresh
// folder with the usual top-level folders, made the path service's root, and
// message boxes captured instead of printed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/error.h"
#include "platform/message_box.h"
#include "platform/paths.h"

class GameRootTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() /
            ("rc_files_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(root_);
    for (const char* dir : {"max", "gamedata", "gamedata2", "language"}) {
      std::filesystem::create_directories(root_ / dir);
    }
    old_root_ = platform::GameRoot();
    platform::SetGameRoot(root_.string());
    old_backend_ = platform::SetMessageBoxBackend(
        [this](std::string_view caption, std::string_view text, platform::BoxIcon,
               platform::BoxButtons) {
          boxes_.push_back(std::string(caption) + "|" + std::string(text));
          return platform::BoxResult::Ok;
        });
    ThrowOnFatalError();
  }
  void TearDown() override {
    platform::SetMessageBoxBackend(old_backend_);
    platform::SetGameRoot(old_root_);
    std::filesystem::remove_all(root_);
  }

  std::filesystem::path Real(const std::string& relative) const { return root_ / relative; }
  void WriteBytes(const std::string& relative, const std::vector<uint8_t>& bytes) const {
    std::filesystem::create_directories(Real(relative).parent_path());
    std::ofstream out(Real(relative), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::vector<uint8_t> ReadBytes(const std::string& relative) const {
    std::ifstream in(Real(relative), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::filesystem::path root_;
  std::string old_root_;
  platform::MessageBoxBackend old_backend_;
  std::vector<std::string> boxes_;
};
