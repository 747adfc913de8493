#include "engine/error.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/message_box.h"

namespace {

struct BoxCapture {
  std::vector<std::string> captions;
  platform::MessageBoxBackend old;
  BoxCapture() {
    old = platform::SetMessageBoxBackend(
        [this](std::string_view c, std::string_view, platform::BoxIcon, platform::BoxButtons) {
          captions.emplace_back(c);
          return platform::BoxResult::Ok;
        });
  }
  ~BoxCapture() { platform::SetMessageBoxBackend(std::move(old)); }
};

TEST(ReportError, LevelsShowTheRightBoxOrNone) {
  BoxCapture boxes;
  EXPECT_EQ(ReportError(1, 0, "careful"), -1);
  EXPECT_EQ(ReportError(2, 0, "quiet"), -1);
  ASSERT_EQ(boxes.captions.size(), 1u);
  EXPECT_EQ(boxes.captions[0], "WARNING!");
}

TEST(ReportError, FatalLevelShowsErrorAndDoesNotReturn) {
  BoxCapture boxes;
  auto old = SetFatalExitHandler(nullptr);
  ThrowOnFatalError();
  EXPECT_THROW(ReportError(0, 0, "boom"), FatalErrorException);
  SetFatalExitHandler(std::move(old));
  ASSERT_EQ(boxes.captions.size(), 1u);
  EXPECT_EQ(boxes.captions[0], "ERROR!");
}

}  // namespace
