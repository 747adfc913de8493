#pragma once
// Captures message boxes for the duration of a test.
#include <string>
#include <vector>

#include "platform/message_box.h"

struct BoxCapture {
  struct Box {
    std::string caption;
    std::string text;
    platform::BoxIcon icon;
  };
  std::vector<Box> boxes;
  platform::MessageBoxBackend old;

  BoxCapture() {
    old = platform::SetMessageBoxBackend([this](std::string_view caption, std::string_view text,
                                                platform::BoxIcon icon, platform::BoxButtons) {
      boxes.push_back({std::string(caption), std::string(text), icon});
      return platform::BoxResult::Ok;
    });
  }
  ~BoxCapture() { platform::SetMessageBoxBackend(std::move(old)); }
  BoxCapture(const BoxCapture&) = delete;
  BoxCapture& operator=(const BoxCapture&) = delete;
};
