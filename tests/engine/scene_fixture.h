#pragma once
// Common set-up for the scene tests: a memory pool, fatal errors thrown as
// exceptions, and the texts of every box shown.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "platform/message_box.h"

class SceneTest : public ::testing::Test {
 protected:
  std::vector<std::string> boxTexts;

  void SetUp() override {
    ASSERT_TRUE(MemoryManager().Init(96u << 20, 16));
    oldFatal_ = SetFatalExitHandler(nullptr);
    ThrowOnFatalError();
    oldBox_ = platform::SetMessageBoxBackend(
        [this](std::string_view, std::string_view text, platform::BoxIcon, platform::BoxButtons) {
          boxTexts.emplace_back(text);
          return platform::BoxResult::Ok;
        });
  }
  void TearDown() override {
    platform::SetMessageBoxBackend(std::move(oldBox_));
    SetFatalExitHandler(std::move(oldFatal_));
    MemoryManager().Shutdown();
  }
  bool Warned(const std::string& part) const {
    for (const auto& t : boxTexts)
      if (t.find(part) != std::string::npos) return true;
    return false;
  }

 private:
  FatalExitHandler oldFatal_;
  platform::MessageBoxBackend oldBox_;
};
