#include "engine/core/error.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/box_capture.h"
#include "platform/message_box.h"

namespace {

TEST(ReportError, LevelsShowTheRightBoxOrNone) {
  BoxCapture boxes;
  EXPECT_EQ(ReportError(1, 0, "careful"), -1);
  EXPECT_EQ(ReportError(2, 0, "quiet"), -1);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "WARNING!");
}

TEST(ReportError, FatalLevelShowsErrorAndDoesNotReturn) {
  BoxCapture boxes;
  auto old = SetFatalExitHandler(nullptr);
  ThrowOnFatalError();
  EXPECT_THROW(ReportError(0, 0, "boom"), FatalErrorException);
  SetFatalExitHandler(std::move(old));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "ERROR!");
}

// A warning caught by a capture is kept there, not shown; the innermost
// capture takes it, and the boxes come back when the captures end.
TEST(ReportError, ACaptureKeepsWarningsInsteadOfShowingThem) {
  BoxCapture boxes;
  {
    WarningCapture outer;
    {
      WarningCapture inner;
      ReportErrorF(1, "cannot read %s", "a.sav");
      ReportError(2, 0, "quiet");
      EXPECT_EQ(inner.Text(), "cannot read a.sav");
    }
    EXPECT_EQ(outer.Text(), "");
    ReportError(1, 0, "second");
    EXPECT_EQ(outer.Text(), "second");
  }
  EXPECT_TRUE(boxes.boxes.empty());
  ReportError(1, 0, "shown");
  EXPECT_EQ(boxes.boxes.size(), 1u);
}

}  // namespace
