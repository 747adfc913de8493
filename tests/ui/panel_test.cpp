// Panels on layouts made by the layout compiler: element lookup, the opening
// slide and settle, the hot area and the drag bar; panel sets: hover, the
// mouse and wheel messages, modal fades and the HUD's binding order.
#include <cmath>
#include <string>

#include "engine/core/error.h"
#include "engine/core/play_warning.h"
#include "tools/layoutc/layout_source.h"
#include "ui/game_panels.h"
#include "ui/interface_controls.h"
#include "ui/panel_manager.h"
#include "ui_fixture.h"

namespace {

constexpr const char* kPanelSource = R"(# A test panel.
output gamedata2\test\panel.tm
frames 3
slide 0 -100
texture back.tex
element BACKING back.tex 100 100 300 200
element DRAGBAR back.tex 100 100 300 116
fixed
element HOTAREA back.tex 180 200 220 210
area TEXT_AREA 110 120 290 190
)";

LayoutModel CompileLayout(const char* source) {
  LayoutSource compiled;
  std::string error;
  EXPECT_TRUE(ParseLayoutSource(source, compiled, error)) << error;
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(EncodeModelFile(compiled.model, bytes, error)) << error;
  LayoutModel model;
  EXPECT_TRUE(ParseLayoutModel(bytes, model, error)) << error;
  model.name = compiled.output;
  return model;
}

class TestPanel : public CPanel {
 public:
  int32_t OnEvent(int32_t type, int32_t, int32_t) override {
    events.push_back(type);
    return 0;
  }
  int32_t Count(int32_t type) const { return int32_t(std::count(events.begin(), events.end(), type)); }
  std::vector<int32_t> events;
};

class Probe : public CTextRect {
 public:
  bool HitTest() override { return CWidget::HitTest(); }
  int32_t OnEvent(int32_t type, int32_t, int32_t) override {
    events.push_back(type);
    return 0;
  }
  std::vector<int32_t> events;
};

class TestSet : public CPanelManager {
 public:
  void CreatePanels() override {}
};

class PanelTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    model_ = CompileLayout(kPanelSource);
    entity_.model = &model_;
  }
  // Runs input frames until the panel stops moving; the frames shown.
  std::vector<int32_t> Play(CPanel& panel) {
    std::vector<int32_t> frames{entity_.frame};
    for (int i = 0; i < 20 && (panel.animating || panel.settling); ++i) {
      panel.StepAnimation();
      frames.push_back(entity_.frame);
    }
    return frames;
  }

  LayoutModel model_;
  CLayoutEntity entity_;
};

TEST_F(PanelTest, CompiledLayoutGivesItsElementsInEveryFrame) {
  struct Case {
    const char* name;
    int32_t frame;
    UIRect rect;
  } cases[] = {
      {"BACKING", 3, {100, 100, 300, 200}}, {"BACKING", 1, {100, 0, 300, 100}},
      {"BACKING", 2, {100, 50, 300, 150}},  {"BACKING", 0, {100, 0, 300, 100}},
      {"HOTAREA", 1, {180, 200, 220, 210}},  // fixed: the same in every frame
      {"TEXT_AREA", 3, {110, 120, 290, 190}},
  };
  for (const Case& c : cases) {
    const UIRect r = CPanel::FindElementRect(c.name, &entity_, c.frame);
    EXPECT_EQ(r.x1, c.rect.x1) << c.name << c.frame;
    EXPECT_EQ(r.y1, c.rect.y1) << c.name << c.frame;
    EXPECT_EQ(r.x2, c.rect.x2) << c.name << c.frame;
    EXPECT_EQ(r.y2, c.rect.y2) << c.name << c.frame;
    EXPECT_EQ(r.depth, 0.5f);
  }
}

TEST_F(PanelTest, LowerCaseOrUnknownNamesGiveTheZeroRectAndAreReportedOncePerName) {
  const int32_t before = MissingElementReports();
  for (int i = 0; i < 3; ++i) {
    const UIRect r = CPanel::FindElementRect("backing", &entity_, 3);
    EXPECT_EQ(r.x1, 0.0f);
    EXPECT_EQ(r.x2, 0.0f);
    EXPECT_EQ(r.depth, 0.5f);
  }
  CPanel::FindElementRect("NO_SUCH", &entity_, 3);
  EXPECT_EQ(MissingElementReports() - before, 2);
  EXPECT_EQ(CPanel::FindElementIndex("", &entity_), -1);
  EXPECT_EQ(CPanel::FindElementRect("", &entity_, 3).x2, 0.0f);
  EXPECT_EQ(MissingElementReports() - before, 2);  // an empty name is no mistake
}

// A panel whose frames are two shapes: an element given its own place in a
// frame keeps it there; the others slide as usual.
TEST_F(PanelTest, AnElementMayHaveItsOwnPlaceInAFrame) {
  const LayoutModel model = CompileLayout(
      "output a.tm\nframes 2\nslide 0 -10\narea BACKING 10 10 100 50\narea LABEL 12 12 40 20\n"
      "at 1 BACKING 60 10 100 30\n");
  const int32_t backing = LayoutGroupIndex(model, "BACKING"), label = LayoutGroupIndex(model, "LABEL");
  EXPECT_EQ(LayoutGroupRect(model, backing, 0).y1, 0.0f);  // slid
  EXPECT_EQ(LayoutGroupRect(model, backing, 1).x1, 60.0f);
  EXPECT_EQ(LayoutGroupRect(model, backing, 1).y2, 30.0f);
  EXPECT_EQ(LayoutGroupRect(model, label, 1).x1, 12.0f);
}

TEST_F(PanelTest, LayoutCompilerRefusesBadSources) {
  const char* bad[] = {
      "output a.tm\ntexture t.tex\nelement lower t.tex 0 0 1 1\n",
      "output a.tm\ntexture t.tex\nelement NAME u.tex 0 0 1 1\n",
      "output a.tm\ntexture t.tex\nelement A t.tex 0 0 1 1\nelement A t.tex 0 0 1 1\n",
      "output a.tm\ntexture t.tex\nelement A t.tex 5 0 1 1\n",
      "texture t.tex\nelement A t.tex 0 0 1 1\n",
      "output a.tm\nframes 0\narea A 0 0 1 1\n",
      "output a.tm\nwobble\n",
      "output a.tm\narea THIS_NAME_IS_FAR_TOO_LONG_TO_FIT 0 0 1 1\n",
      "output a.tm\nframes 2\narea A 0 0 1 1\nat 1 B 0 0 1 1\n",
      "output a.tm\nframes 2\narea A 0 0 1 1\nat 2 A 0 0 1 1\n",
      "output a.tm\nframes 2\narea A 0 0 1 1\nat 1 A 5 0 1 1\n",
  };
  for (const char* source : bad) {
    LayoutSource out;
    std::string error;
    EXPECT_FALSE(ParseLayoutSource(source, out, error)) << source;
    EXPECT_NE(error.find("line"), std::string::npos);
  }
}

TEST_F(PanelTest, DamagedOrMissingLayoutFilesAreRefused) {
  LayoutSource compiled;
  std::string error;
  ASSERT_TRUE(ParseLayoutSource(kPanelSource, compiled, error));
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(EncodeModelFile(compiled.model, bytes, error));
  for (size_t cut : {size_t(0), size_t(4), bytes.size() / 2, bytes.size() - 1}) {
    LayoutModel model;
    EXPECT_FALSE(ParseLayoutModel(std::span(bytes.data(), cut), model, error)) << cut;
  }
  LayoutModel model;
  EXPECT_FALSE(LoadLayoutModel("gamedata2\\test\\none.tm", model, error));
  // A texture that cannot be read is reported and left out; the layout stands.
  WriteBytes("gamedata2/test/panel.tm", bytes);
  ASSERT_TRUE(LoadLayoutModel("gamedata2\\test\\panel.tm", model, error)) << error;
  EXPECT_EQ(model.textures, std::vector<int32_t>{-1});
  EXPECT_EQ(boxes_.size(), 1u);
}

// A damaged layout is said once, naming its file: the elements the panels
// then miss in it go to the log with a count, not a box each.
TEST_F(PanelTest, ADamagedLayoutIsReportedOnceForAllItsElements) {
  ResetPerFileReports();
  WriteBytes("gamedata2/test/damaged.tm", {1, 2, 3, 4});
  const char* names[] = {"gamedata2\\test\\damaged.tm"};
  std::vector<LayoutModel> models;
  EXPECT_FALSE(LoadLayoutModels(names, models));
  CLayoutEntity damaged;
  damaged.model = &models[0];
  for (const char* element : {"BACKING", "DRAGBAR", "HOTAREA", "TEXT_AREA", "CLOSE"})
    CPanel::FindElementRect(element, &damaged, 0);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_NE(boxes_[0].find("gamedata2\\test\\damaged.tm cannot be read"), std::string::npos) << boxes_[0];
  EXPECT_EQ(PerFileReportCount("layout", names[0]), 6);
}

// Positions far outside the layout space, or not numbers, are kept within a
// reach: the rectangles and the text widths taken from them stay ints.
TEST_F(PanelTest, LayoutPositionsFromDamagedFilesStayWithinReach) {
  for (float damaged : {1e30f, -1e30f, 3e38f, std::nanf("")}) {
    LayoutSource compiled;
    std::string error;
    ASSERT_TRUE(ParseLayoutSource(kPanelSource, compiled, error));
    for (Vec3& p : compiled.model.positions) p = {damaged, -damaged, damaged};
    compiled.model.positions[0] = {-damaged, damaged, 0};
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(EncodeModelFile(compiled.model, bytes, error));
    LayoutModel model;
    ASSERT_TRUE(ParseLayoutModel(bytes, model, error)) << error;
    const UIRect r = LayoutFrameBounds(model, 0);
    for (float c : {r.x1, r.y1, r.x2, r.y2}) EXPECT_TRUE(c >= -100000.0f && c <= 100000.0f) << damaged << " " << c;
  }
  // A text rectangle of any size still wraps (the sanitizer build checks the
  // arithmetic).
  for (float edge : {1e30f, std::nanf("")}) {
    CTextRect text;
    text.SetRect(-edge, 0, edge, 100);
    text.SetAlignment(0, 4, 0);
    text.AddText("a few words to wrap");
    text.Layout();
    EXPECT_EQ(text.LineCount(), 1) << edge;
  }
}

TEST_F(PanelTest, OpeningPlaysToTheLastFrameThenSettlesOnTheChosenOneAndRefreshesOnce) {
  TestPanel panel;
  panel.BindLayout(&entity_, "HOTAREA", "DRAGBAR", nullptr);
  panel.SelectLayoutFrame(2);
  EXPECT_EQ(panel.bounds.y1, 50.0f);  // frame 2's extent
  panel.Open();
  panel.events.clear();
  EXPECT_EQ(Play(panel), (std::vector<int32_t>{0, 1, 2, 1, 1}));
  EXPECT_EQ(panel.Count(kMsgRefresh), 1);
  EXPECT_FALSE(panel.animating);

  panel.events.clear();
  EXPECT_EQ(panel.Open(), 0);  // already open
  EXPECT_TRUE(panel.events.empty());
  panel.reopen = true;
  panel.Open();
  EXPECT_EQ(panel.Count(kMsgRefresh), 1);

  panel.Close();
  EXPECT_EQ(Play(panel), (std::vector<int32_t>{1, 0}));
  EXPECT_FALSE(panel.open);
}

TEST_F(PanelTest, HotAreaTogglesAndTheTitleDrags) {
  TestSet set;
  TestPanel panel;
  set.AddPanel(&panel, &entity_, "HOTAREA", "DRAGBAR");
  Mouse(200, 205);  // the tab, which stays put
  Mouse(200, 205, true);
  set.ProcessInput();
  EXPECT_TRUE(panel.open);
  for (int i = 0; i < 10 && panel.animating; ++i) {
    Mouse(200, 205, true);  // held: no second toggle
    set.ProcessInput();
  }
  EXPECT_TRUE(panel.open);
  EXPECT_FALSE(panel.animating);
  EXPECT_EQ(entity_.frame, 2);

  Mouse(150, 105);  // the title
  set.ProcessInput();
  Mouse(150, 105, true);
  set.ProcessInput();
  EXPECT_TRUE(panel.dragging);
  Mouse(170, 135, true);
  set.ProcessInput();
  EXPECT_EQ(entity_.x, 20.0f);
  EXPECT_EQ(entity_.y, 30.0f);
  Mouse(170, 135);
  set.ProcessInput();
  EXPECT_FALSE(panel.dragging);
  EXPECT_EQ(CapturedPanel(), nullptr);

  Mouse(220, 235);  // the tab moved with the panel
  set.ProcessInput();
  Mouse(220, 235, true);
  set.ProcessInput();
  EXPECT_FALSE(panel.open);
}

class OpenPanelTest : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    set_.AddPanel(&panel_, &entity_, "HOTAREA", "DRAGBAR");
    panel_.Open();
    while (panel_.animating) panel_.StepAnimation();
    probe_ = new Probe;
    probe_->Attach(120, 130, 200, 180, &panel_, &panel_, 4);
    panel_.AppendChild(probe_);
    owned_.reset(probe_);
  }
  TestSet set_;
  std::unique_ptr<Probe> owned_;  // outlives the panel, as a panel's children do
  TestPanel panel_;
  Probe* probe_ = nullptr;
};

TEST_F(OpenPanelTest, WhileTheRightButtonIsHeldNothingIsHoveredOrTold) {
  Mouse(150, 150, false, true);
  set_.ProcessInput();
  EXPECT_EQ(set_.hovered, nullptr);
  EXPECT_TRUE(probe_->events.empty());
  EXPECT_FALSE(set_.IsMouseOverPanels());
  Mouse(150, 150);  // released: the pointer is asked for, the widget entered again
  set_.ProcessInput();
  EXPECT_EQ(set_.hovered, probe_);
  EXPECT_EQ(probe_->events, (std::vector<int32_t>{kMsgMouseEntered}));
}

TEST_F(OpenPanelTest, MouseMessagesByButtonStatesAndOneWheelMessagePerNotch) {
  const struct {
    bool left;
    int32_t wheel;
    int32_t message;  // 0: none
  } frames[] = {
      {false, 0, 0},  {true, 0, kMsgLeftPressed}, {true, 0, kMsgLeftHeld}, {false, 0, kMsgLeftReleased},
      {false, 120, kMsgWheelForward}, {false, 120, 0}, {false, 0, 0}, {false, -120, kMsgWheelBack},
      {false, -120, 0},
  };
  for (const auto& f : frames) {
    probe_->events.clear();
    Mouse(150, 150, f.left, false, f.wheel);
    set_.ProcessInput();
    std::vector<int32_t> sent;
    for (int32_t e : probe_->events)
      if (e != kMsgMouseEntered) sent.push_back(e);
    EXPECT_EQ(sent, f.message ? std::vector<int32_t>{f.message} : std::vector<int32_t>{});
  }
}

// Two sets read one input frame (the HUD's, then the menus' or the city's):
// a press, release or wheel turn the first set's widget takes acts there
// only; what the first set leaves, the second takes.
TEST_F(OpenPanelTest, WhatOneSetTakesOfAFrameTheNextSetDoesNotGet) {
  auto owned = std::make_unique<Probe>();
  CLayoutEntity entity;
  entity.model = &model_;
  TestPanel panel;
  TestSet second;
  second.AddPanel(&panel, &entity, "HOTAREA", "DRAGBAR");
  panel.Open();
  while (panel.animating) panel.StepAnimation();
  owned->Attach(120, 130, 200, 180, &panel, &panel, 4);
  panel.AppendChild(owned.get());
  const struct {
    bool firstShown, left;
    int32_t wheel;
    int32_t toFirst, toSecond;  // 0: nothing
  } frames[] = {
      {true, false, 0, 0, 0},
      {true, true, 0, kMsgLeftPressed, 0},
      {true, false, 0, kMsgLeftReleased, 0},
      {true, false, 120, kMsgWheelForward, 0},
      {false, false, 0, 0, 0},
      {false, true, 0, 0, kMsgLeftPressed},
  };
  for (const auto& f : frames) {
    probe_->events.clear();
    owned->events.clear();
    set_.shown = f.firstShown;
    Mouse(150, 150, f.left, false, f.wheel);
    set_.ProcessInput();
    second.ProcessInput();
    std::erase(probe_->events, kMsgMouseEntered);
    std::erase(owned->events, kMsgMouseEntered);
    EXPECT_EQ(probe_->events, f.toFirst ? std::vector<int32_t>{f.toFirst} : std::vector<int32_t>{});
    EXPECT_EQ(owned->events, f.toSecond ? std::vector<int32_t>{f.toSecond} : std::vector<int32_t>{});
    EXPECT_EQ(Ui().mouseTaken, f.toFirst != 0 || f.toSecond != 0);
  }
}

// A tutorial locks every control; the prompt's slot stays usable.
TEST_F(OpenPanelTest, AfterDisablingAllControlsOnlyThePromptStillClicks) {
  const auto click = [this] {
    probe_->events.clear();
    Mouse(150, 150);
    set_.ProcessInput();
    Mouse(150, 150, true);
    set_.ProcessInput();
    return std::count(probe_->events.begin(), probe_->events.end(), kMsgLeftPressed) == 1;
  };
  ClearInterfaceControls();
  SetInterfaceControl(kHudPromptControl, probe_);
  DisableAllControls(set_, kHudPromptControl);
  EXPECT_TRUE(panel_.inputDisabled);
  EXPECT_TRUE(click());

  SetInterfaceControl(kHudPromptControl, nullptr);
  SetInterfaceControl(30, probe_);
  DisableAllControls(set_, kHudPromptControl);
  EXPECT_FALSE(click());
  EXPECT_TRUE(EnableHudControl(99));  // an empty slot: nothing
  EXPECT_FALSE(EnableHudControl(kInterfaceControlSlots));
  EXPECT_FALSE(click());
  EXPECT_TRUE(EnableHudControl(30));
  EXPECT_TRUE(click());
  EXPECT_TRUE(DisableHudControl(30));
  EXPECT_FALSE(click());
  EnableAllControls(set_);
  EXPECT_TRUE(click());
  ClearInterfaceControls();
}

TEST_F(OpenPanelTest, ATypedCharacterGoesToTheHoveredWidgetOnce) {
  Ui().chars = {'a', 'b'};
  Mouse(150, 150);
  set_.ProcessInput();
  EXPECT_EQ(probe_->events.back(), kMsgCharacter);
  EXPECT_EQ(Ui().chars.size(), 1u);
}

TEST_F(OpenPanelTest, StackedModalsFadeTheSetOnceAndBackAfterTheLastPop) {
  LayoutModel otherModel = model_;
  CLayoutEntity otherEntity;
  otherEntity.model = &otherModel;
  TestPanel other;
  set_.AddPanel(&other, &otherEntity);
  auto settle = [&] {
    for (int i = 0; i < 60; ++i) {
      Mouse(0, 0);
      set_.ProcessInput();
    }
  };
  set_.PushModal(&other);
  set_.PushModal(&other);
  settle();
  EXPECT_LE(entity_.alpha, 128);
  EXPECT_EQ(otherEntity.alpha, 255);  // the modal panel stays opaque
  EXPECT_TRUE(set_.modalPresent);
  set_.PopModal(&other);
  settle();
  EXPECT_LE(entity_.alpha, 128);
  set_.PopModal(&other);
  settle();
  EXPECT_EQ(entity_.alpha, 255);
  EXPECT_FALSE(other.modal);
}

TEST_F(PanelTest, PanelsSharingAModelChangeTheirOwnElementTextures) {
  model_.textures = {AddTexture(8, 8)};
  CLayoutEntity second;
  second.model = &model_;
  CPanel a, b;
  a.BindLayout(&entity_, nullptr, nullptr, nullptr);
  b.BindLayout(&second, nullptr, nullptr, nullptr);
  const int32_t backing = CPanel::FindElementIndex("BACKING", &entity_);
  const int32_t other = AddTexture(4, 4);
  EXPECT_EQ(a.GetElementTexture(backing), model_.textures[0]);
  EXPECT_TRUE(a.SetElementTexture(backing, other));
  EXPECT_FALSE(a.SetElementTexture(backing, other));  // no change
  EXPECT_EQ(a.GetElementTexture(backing), other);
  EXPECT_EQ(b.GetElementTexture(backing), model_.textures[0]);
  EXPECT_FALSE(a.SetElementTexture(99, other));
  a.FlipMeshTextureYAxis(backing);
  EXPECT_EQ(entity_.groupFlipped[size_t(backing)], 1);
  a.FlipMeshTextureYAxis(backing);
  EXPECT_EQ(entity_.groupFlipped[size_t(backing)], 0);
}

// Of two panels given one slot only the later would be bound: the second
// ends the start, naming the slot.
TEST_F(PanelTest, AHudSlotTakesOnePanel) {
  CGamePanelManager set;
  CHudPanel chat, other;
  set.InstallHudPanel(kHudChat, &chat);
  set.InstallHudPanel(kHudChat, &chat);  // the same panel again (a second game)
  const FatalExitHandler before = SetFatalExitHandler(nullptr);
  ThrowOnFatalError();
  EXPECT_THROW(set.InstallHudPanel(kHudChat, &other), FatalErrorException);
  SetFatalExitHandler(before);
}

TEST_F(PanelTest, HudSetBindsInItsFixedOrder) {
  std::vector<LayoutModel> models(kHudModelCount, model_);
  CGamePanelManager set;
  set.SetLayoutModels(std::move(models));
  set.CreatePanels();
  const std::vector<CPanel*> panels = set.Panels();
  ASSERT_EQ(panels.size(), size_t(kHudPanelCount));
  EXPECT_EQ(panels.front(), set.Panel(kHudEventTicker));
  for (int32_t i = 0; i < kHudModelCount; ++i) EXPECT_EQ(panels[size_t(i) + 1], set.Panel(i));
  EXPECT_EQ(panels.back(), set.Panel(kHudBlockMarkers));
  EXPECT_TRUE(set.Panel(kHudBlockMarkers)->noModel);
  EXPECT_EQ(set.MainPanel(), set.Panel(kHudNavigator));
  // The stand-ins find their tab and title.
  EXPECT_GE(set.Panel(kHudChat)->hotAreaElement, 0);
  EXPECT_GE(set.Panel(kHudChat)->dragBarElement, 0);

  // Released (the game's end), no panel keeps its freed layout entity: a
  // panel opened before the set is made again finds no frame.
  set.ReleasePanels();
  for (CPanel* p : panels) EXPECT_EQ(p->LayoutEntity(), nullptr);
}

}  // namespace
