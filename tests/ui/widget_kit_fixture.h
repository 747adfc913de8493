#pragma once
// A panel with a layout model at the origin that logs the notifications its
// widgets send, the full UI image table (every image a 16 x 16 texture) and
// the click sound counted through the sound seam.
#include <string>
#include <vector>

#include "ui/layout_model.h"
#include "ui/panel.h"
#include "ui_fixture.h"

class LoggingPanel : public CPanel {
 public:
  struct Note {
    int32_t code, a, b;
    bool operator==(const Note&) const = default;
  };
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override {
    if (type != kMsgFrameTick) notes.push_back({type, a, b});
    return 0;
  }
  int32_t Count(int32_t code) const {
    int32_t n = 0;
    for (const Note& note : notes) n += note.code == code;
    return n;
  }
  std::vector<Note> notes;
};

class WidgetKitTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    // The list box draws in font 3.
    for (int32_t slot = 2; slot < 4; ++slot) ASSERT_TRUE(text_.LoadCharTable(slot, "gamedata\\fonts\\test"));
    const int32_t arrow = AddTexture(16, 16);
    Ui().imageTable.assign(110, arrow);
    entity_.model = &model_;
    panel_.BindLayout(&entity_, nullptr, nullptr, nullptr);
    sounds_.test = this;
    Ui().game = &sounds_;
  }
  // One input frame with the mouse at (x, y), then `type` to the widget.
  void Send(CWidget* w, int32_t type, int32_t x, int32_t y, bool left = false) {
    Mouse(x, y, left);
    w->HandleMessage(type, 0, 0);
  }

  LayoutModel model_;
  CLayoutEntity entity_;
  LoggingPanel panel_;
  // The widgets' game side counts the samples they play.
  struct Sounds : UiGame {
    WidgetKitTest* test = nullptr;
    void PlaySample(const char* name) override {
      ++test->clicks_;
      test->lastSample_ = name;
    }
  } sounds_;
  int32_t clicks_ = 0;
  std::string lastSample_;
};
