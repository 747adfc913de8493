// The statistics panel (the goal's statistics, stepping past disabled ones,
// the count-up restarted by a new figure, the ranking and its texts, the
// plan view holding it open) and the chat panel (recipients from the
// statistics' player buttons and the All button, lines sent only to others
// and never read as a format).
#include "panels_fixture.h"

#include <deque>
#include <string>
#include <vector>

#include "city/blocks.h"
#include "session/chat_log.h"
#include "session/goals.h"
#include "platform/window.h"
#include "session/session_services.h"
#include "shell/startup.h"
#include "ui/buttons.h"
#include "ui/edit_box.h"
#include "ui/interface_frame.h"
#include "ui/glyph_batcher.h"
#include "ui/money_format.h"
#include "visuals/overlay/interface_task.h"

namespace {

class StatsPanelTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    GameGoal() = CGameGoal{};
    Session().inGame = true;
  }
  void TearDown() override {
    GameTime().screenMode = kScreenCity;
    Stats().Close();
    PanelsTest::TearDown();
  }
  static CStatsPanel& Stats() { return HudPanels().stats; }
  static void Click(int32_t id) { Stats().OnEvent(kNotifyClicked, id, 0); }
  static void Frames(int n) {
    for (int i = 0; i < n; ++i) Stats().OnEvent(kMsgFrameTick, 0, 0);
  }
  // The statistics visited by `clicks` presses of one mode button.
  static std::vector<int32_t> Visit(int32_t button, int clicks) {
    std::vector<int32_t> seen;
    for (int i = 0; i < clicks; ++i) {
      Click(button);
      seen.push_back(Stats().statistic);
    }
    return seen;
  }
};

TEST_F(StatsPanelTest, ModeButtonsStepPastTheStatisticsTheGoalLeavesOut) {
  AddPlayer("Ann", 1);
  struct Case {
    int32_t goal;
    int32_t shown;  // the statistic opening shows
    std::vector<int32_t> forward;
  } const cases[] = {
      // No goal: blocks, votes and rating left out.
      {OBJECTIVE_NONE, 0, {1, 3, 4, 5, 8, 0}},
      // First to be mayor: the votes shown, only blocks and rating left out.
      {OBJECTIVE_FIRST_TO_BE_MAYOR, 6, {8, 0, 1, 3, 4, 5, 6}},
      {OBJECTIVE_PROFIT, 3, {4, 5, 8, 0, 1, 3}},
      {OBJECTIVE_PAPERWEALTH_BY_AMOUNT, 4, {5, 8, 0, 1, 3, 4}},
      {OBJECTIVE_SALES, 8, {0, 1, 3, 4, 5, 8}},
  };
  for (const Case& c : cases) {
    Stats().Close();
    GameGoal().kind = c.goal;
    Stats().Open();
    EXPECT_EQ(Stats().statistic, c.shown) << c.goal;
    EXPECT_EQ(Visit(CStatsPanel::kNext, int(c.forward.size())), c.forward) << c.goal;
  }
  // Backward from cash under the last goal.
  Stats().statistic = 0;
  EXPECT_EQ(Visit(CStatsPanel::kPrevious, 3), (std::vector<int32_t>{8, 5, 4}));
  // With one statistic left the buttons stay on it.
  Stats().enabledStats.fill(false);
  Stats().enabledStats[4] = true;
  Stats().statistic = 4;
  EXPECT_EQ(Visit(CStatsPanel::kNext, 2), (std::vector<int32_t>{4, 4}));
  EXPECT_EQ(Visit(CStatsPanel::kPrevious, 1), (std::vector<int32_t>{4}));
  EXPECT_EQ(Joined(Stats().title), "Paper wealth");
}

TEST_F(StatsPanelTest, ANewFigureRestartsTheCountUpAndTheSlotsRankBestFirst) {
  CPlayer* ann = AddPlayer("Ann", 1, 1000);
  CPlayer* bob = AddPlayer("Bob", 2, 3000);
  GameGoal().kind = OBJECTIVE_WEAKEST_LINK;  // shows cash
  Stats().Open();
  ASSERT_EQ(Stats().statistic, 0);
  ASSERT_EQ(Stats().slotCount, 2);
  // Opening shows the figures at once; Bob leads.
  const CStatsPanel::Slot& first = Stats().slots[size_t(Stats().order[0])];
  EXPECT_EQ(first.player, bob->index);
  EXPECT_EQ(Joined(first.name), "Bob");
  EXPECT_EQ(Joined(first.value), FormatMoney(3000));
  for (const CStatsPanel::Slot& s : Stats().slots) EXPECT_EQ(s.steps, 0);

  CStatsPanel::Slot& annSlot = Stats().slots[size_t(Stats().order[1])];
  ASSERT_EQ(annSlot.player, ann->index);
  // A refresh takes the new figure and makes the first of its steps.
  ann->money = 5000;
  Stats().Refresh();
  EXPECT_EQ(annSlot.steps, kCountUpSteps - 1);
  Frames(10);
  EXPECT_EQ(annSlot.steps, kCountUpSteps - 11);
  EXPECT_GT(annSlot.shown, 1000.0f);
  EXPECT_LT(annSlot.shown, 5000.0f);
  // The same figure again goes on counting; a new one starts over.
  Stats().Refresh();
  EXPECT_EQ(annSlot.steps, kCountUpSteps - 12);
  ann->money = 6000;
  Stats().Refresh();
  EXPECT_EQ(annSlot.steps, kCountUpSteps - 1);
  Frames(kCountUpSteps);
  EXPECT_FLOAT_EQ(annSlot.shown, 6000.0f);
  EXPECT_EQ(Joined(annSlot.value), FormatMoney(6000));
  // Ann now leads, her bar grows toward the whole width and Bob's to half.
  EXPECT_EQ(Stats().order[0], int32_t(&annSlot - Stats().slots.data()));
  Frames(200);
  EXPECT_NEAR(annSlot.fraction, 1.0f, 1e-3f);
  EXPECT_NEAR(Stats().slots[size_t(Stats().order[1])].fraction, 0.5f, 1e-3f);
  // The refresh after the change noted it as upward.
  EXPECT_EQ(Stats().lastDirection[0][&annSlot - Stats().slots.data()], 1);

  // In debt: shown in the warning colour; counts show their per cent sign.
  ann->money = -250;
  Stats().Refresh();
  Frames(kCountUpSteps);
  EXPECT_EQ(Joined(annSlot.value), FormatMoney(-250));
  EXPECT_EQ(annSlot.value.lineColour[0], 6);
  EXPECT_EQ(FormatStatistic(7, 12.9f), "12%");
  EXPECT_EQ(FormatStatistic(8, 0.0f), "0%");
}

TEST_F(StatsPanelTest, NoActivePlayerShowsNoSlotsAndTheBarsShrink) {
  CPlayer* ann = AddPlayer("Ann", 1, 1000);
  Stats().Open();
  Frames(100);
  ASSERT_GT(Stats().slots[0].fraction, 0.9f);
  ann->inUse = 0;
  Stats().Refresh();
  EXPECT_EQ(Stats().slotCount, 0);
  for (CIconButton* b : Stats().playerButtons) EXPECT_FALSE(b->visible);
  Frames(60);
  EXPECT_LT(Stats().slots[0].fraction, 0.01f);
}

TEST_F(StatsPanelTest, ThePlanViewHoldsTheFoldedPanelOpen) {
  AddPlayer("Ann", 1);
  Stats().Open();
  Click(CStatsPanel::kOpenClose);
  ASSERT_FALSE(Stats().Expanded());
  EXPECT_EQ(Stats().chosenFrame, kStatsFoldedFrame);
  GameTime().screenMode = kScreenPlan;
  Frames(1);
  EXPECT_TRUE(Stats().Expanded());
  EXPECT_TRUE(Stats().forcedOpen);
  EXPECT_EQ(Stats().chosenFrame, kStatsOpenFrame);
  EXPECT_FALSE(Stats().openClose->visible);
  GameTime().screenMode = kScreenCity;
  Frames(1);
  EXPECT_FALSE(Stats().Expanded());
  EXPECT_FALSE(Stats().forcedOpen);
  EXPECT_TRUE(Stats().openClose->visible);
  // Opened by hand it stays open after the plan view.
  Click(CStatsPanel::kOpenClose);
  GameTime().screenMode = kScreenPlan;
  Frames(1);
  EXPECT_FALSE(Stats().forcedOpen);
  GameTime().screenMode = kScreenCity;
  Frames(1);
  EXPECT_TRUE(Stats().Expanded());
}

// ---- The chat ----------------------------------------------------------------------------

class ChatNetwork : public SessionNetworkServices {
 public:
  void SendChat(std::string_view text, int32_t slot) override { sent.emplace_back(slot, std::string(text)); }
  std::vector<std::pair<int32_t, std::string>> sent;
};

class ChatPanelTest : public StatsPanelTest {
 protected:
  void SetUp() override {
    StatsPanelTest::SetUp();
    SetSessionNetworkServices(&net_);
    Session().networkSession = true;
    ChatLog().Clear();
    for (const char* name : {"Ann", "Bob", "Cy", "Di", "Ed", "Flo"}) AddPlayer(name, int32_t(PlayerTable().PlayerCount()));
    Stats().Open();
  }
  void TearDown() override {
    Chat().Close();
    ChatLog().Clear();
    SetSessionNetworkServices(nullptr);
    StatsPanelTest::TearDown();
  }
  static CChatPanel& Chat() { return HudPanels().chat; }
  static void Type(const std::string& text) {
    Chat().input->SetText(text);
    Chat().SendLine();
  }
  // The rank of a player on the statistics panel.
  static int32_t RankOf(int32_t player) {
    for (int32_t r = 0; r < Stats().slotCount; ++r)
      if (Stats().slots[size_t(Stats().order[size_t(r)])].player == player) return r;
    return -1;
  }
  ChatNetwork net_;
};

TEST_F(ChatPanelTest, PlayerButtonsAndAllChooseTheRecipientsButNeverTheLocalPlayer) {
  // A player's button opens the chat with that player marked, and locks the
  // rest of the HUD but the player buttons and the chat itself.
  Stats().OnEvent(kNotifyClicked, RankOf(2), 0);
  ASSERT_TRUE(Chat().open);
  EXPECT_EQ(Chat().Recipients(), (std::vector<int32_t>{2}));
  EXPECT_TRUE(Stats().next->inputDisabled);
  EXPECT_FALSE(Stats().playerButtons[0]->inputDisabled);
  EXPECT_FALSE(Chat().all->inputDisabled);
  EXPECT_FALSE(Chat().inputDisabled);
  // A second click on another adds it; a click on the same one removes it.
  Stats().OnEvent(kNotifyClicked, RankOf(4), 0);
  EXPECT_EQ(Chat().Recipients(), (std::vector<int32_t>{4, 2}));
  Stats().OnEvent(kNotifyClicked, RankOf(2), 0);
  EXPECT_EQ(Chat().Recipients(), (std::vector<int32_t>{4}));
  // The local player's own button marks everybody else: five icons at most.
  Stats().OnEvent(kNotifyClicked, RankOf(0), 0);
  EXPECT_EQ(Chat().Recipients(), (std::vector<int32_t>{5, 4, 3, 2, 1}));
  for (CIconButton* icon : Chat().icons) EXPECT_TRUE(icon->visible);
  // An icon removes the player it shows.
  Chat().OnEvent(kNotifyClicked, CChatPanel::kFirstIcon + 1, 0);
  EXPECT_EQ(Chat().Recipients(), (std::vector<int32_t>{5, 3, 2, 1}));
  EXPECT_FALSE(Chat().icons[4]->visible);
  Chat().OnEvent(kNotifyClicked, CChatPanel::kAll, 0);
  EXPECT_EQ(Chat().Recipients().size(), 5u);

  Type("hello %s %d");
  ASSERT_EQ(net_.sent.size(), 5u);
  for (const auto& [slot, text] : net_.sent) {
    EXPECT_NE(slot, 0);
    EXPECT_EQ(text, "hello %s %d");  // never read as a format
  }
  ASSERT_EQ(ChatLog().LiveCount(), 1);
  EXPECT_STREQ(ChatLog().Line(0).text, "hello %s %d");
  EXPECT_EQ(ChatLog().Line(0).player, 0);
  EXPECT_EQ(Chat().input->length, 0);

  // Cancel closes it and gives the HUD back.
  Chat().OnEvent(kNotifyClicked, CChatPanel::kCancel, 0);
  EXPECT_FALSE(Chat().open);
  EXPECT_FALSE(Stats().next->inputDisabled);
}

// Typing reaches the chat line through the program's input device and input
// frame. A slow frame hands over a whole line at once: nothing is cut at the
// device's ring or the frame's queue. The system's auto-repeat, held behind a
// slow frame, comes as a burst: a key types again only after it has been held
// for 25 input steps, then every second step.
TEST_F(ChatPanelTest, TypingUnderSlowFramesKeepsEveryCharacterOnce) {
  struct Typed {
    int32_t afterSteps;  // input steps run before this character arrives
    char c;
    bool repeat;
  };
  struct Case {
    const char* name;
    std::vector<Typed> typed;
    std::string line;
  };
  // More than two rings' worth, within the line's width.
  const std::string longLine = "Hello Guest, this is the host speaking";
  std::vector<Typed> oneFrame;
  for (char c : longLine) oneFrame.push_back({0, c, false});
  std::vector<Typed> burst{{0, 'G', false}};
  for (int i = 0; i < 11; ++i) burst.push_back({0, 'G', true});
  for (char c : std::string("uest")) burst.push_back({1, c, false});
  std::vector<Typed> held{{0, 'x', false}};
  for (int i = 0; i < 20; ++i) held.push_back({2, 'x', true});  // every second step
  std::vector<Typed> backspace{{0, 'a', false}, {0, 'b', false}, {0, 8, false}, {0, 8, true}, {0, 'c', false}};
  const Case cases[] = {
      {"a long line in one frame", oneFrame, longLine},
      {"a burst of repeats behind a slow frame", burst, "Guest"},
      // Repeats after 26, 28 ... 40 steps are taken: eight more.
      {"a key held at the interface's pace", held, std::string(9, 'x')},
      {"a repeated backspace in a burst", backspace, "ac"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenChatToEverybody();
    ASSERT_TRUE(Chat().open);
    Chat().input->SetText("");
    CInputDevice device;
    auto step = [&device] {
      device.Poll(kInputKeyboard);
      RunInterfaceInput(&device, 1, nullptr);
    };
    for (const Typed& t : c.typed) {
      for (int32_t i = 0; i < t.afterSteps; ++i) step();
      if (t.repeat) device.PushRepeatedChar(uint8_t(t.c));
      else device.PushChar(uint8_t(t.c));
    }
    for (int32_t i = 0; i < 3; ++i) step();
    std::string text;
    Chat().input->GetText(text);
    EXPECT_EQ(text, c.line);
    Chat().Close();
  }
}

// Keys from the window to the sent line, all in one slow frame: the window's
// events go through the program's pump and window procedure into the input
// device, then one input frame. Return comes behind every character typed
// before it, so they are all in the line it sends; the box's drawn-width
// limit (215 pixels in the chat font) refuses the characters past it.
TEST_F(ChatPanelTest, ReturnInASlowFrameSendsEveryCharacterTypedBeforeIt) {
  struct Case {
    const char* name;
    std::string typed;  // window characters, 13 for Return
    std::string sent;   // the line sent, empty when none
    std::string left;   // the box's text afterwards
  };
  const std::string walk = "Hello Guest, this is me speaking with a long line";
  const Case cases[] = {
      {"a line within the width", "Hello Guest, this is me speaking\r", "Hello Guest, this is me speaking", ""},
      // " line" would draw the text wider than the box allows.
      {"a line past the width", walk + "\r", "Hello Guest, this is me speaking with a long", ""},
      {"a line corrected with backspace", "Hexo\b\bllo there\r", "Hello there", ""},
      // The box's press on sending empties the typed queue.
      {"typing after Return in the same frame", "one\rtwo", "one", ""},
      {"no Return: the line waits in the box", walk, "", "Hello Guest, this is me speaking with a long"},
  };
  struct Events : platform::EventSource {
    std::deque<platform::WindowEvent> queued;
    bool Poll(platform::WindowEvent& e) override {
      if (queued.empty()) return false;
      e = queued.front();
      queued.pop_front();
      return true;
    }
  } events;
  CInputDevice device;
  CInputDeviceMessages sink(&device);
  platform::EventSource* oldSource = platform::SetEventSource(&events);
  platform::WindowProc oldProc = platform::SetWindowProc(MainWindowProc);
  platform::InputMessageSink* oldSink = platform::SetInputMessageSink(&sink);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenChatToEverybody();
    ASSERT_TRUE(Chat().open);
    Chat().input->SetText("");
    net_.sent.clear();
    for (char ch : c.typed) {
      platform::WindowEvent e;
      e.kind = platform::WindowEventKind::Character;
      e.code = uint8_t(ch);
      events.queued.push_back(e);
    }
    platform::PumpWindowMessages();
    device.Poll(kInputKeyboard);
    RunInterfaceInput(&device, 1, nullptr);
    const size_t opponents = PlayerTable().PlayerCount() - 1;
    ASSERT_EQ(net_.sent.size(), c.sent.empty() ? 0 : opponents);
    for (const auto& [slot, line] : net_.sent) EXPECT_EQ(line, c.sent) << slot;
    std::string text;
    Chat().input->GetText(text);
    EXPECT_EQ(text, c.left);
    EXPECT_TRUE(Chat().input->active);  // the keyboard stays on the line
    Chat().Close();
  }
  platform::SetInputMessageSink(oldSink);
  platform::SetWindowProc(oldProc);
  platform::SetEventSource(oldSource);
}

TEST_F(ChatPanelTest, NoRecipientSendsNothingAndTheButtonsOnlyWorkInANetworkGame) {
  OpenChatToEverybody();
  ASSERT_TRUE(Chat().open);
  Chat().recipients.fill(false);
  Chat().recipients[0] = true;  // only oneself: nobody
  Chat().RefreshIcons();
  for (CIconButton* icon : Chat().icons) EXPECT_FALSE(icon->visible);
  Type("anyone?");
  EXPECT_TRUE(net_.sent.empty());
  EXPECT_EQ(ChatLog().LiveCount(), 0);
  EXPECT_EQ(Chat().input->length, 0);  // cleared all the same
  // The log leaves the speaker out of a list it is given.
  const int32_t self[] = {0};
  ChatLog().PostLine("to me", 0, self);
  EXPECT_TRUE(net_.sent.empty());
  EXPECT_EQ(ChatLog().LiveCount(), 0);
  Chat().Close();

  // Outside a network game the players' buttons neither open nor address it.
  Session().networkSession = false;
  Stats().Refresh();
  EXPECT_TRUE(Stats().playerButtons[0]->disabled);
  Stats().OnEvent(kNotifyClicked, 1, 0);
  EXPECT_FALSE(Chat().open);
  OpenChatToEverybody();
  EXPECT_FALSE(Chat().open);
}

}  // namespace

// The log over the game view stands left of the selection panel, and a line
// longer than its width wraps onto rows that fit, losing no word.
TEST_F(ChatPanelTest, TheLogWrapsLongLinesLeftOfTheSelectionPanel) {
  std::vector<LayoutModel> models;
  ASSERT_TRUE(LoadLayoutModels(kHudLayoutFiles, models));
  const LayoutModel& selection = models[size_t(kHudSelectionInfo)];
  const UIRect area = ChatLogArea();
  EXPECT_LE(area.x2, LayoutFrameBounds(selection, selection.FrameCount() - 1).x1);
  EXPECT_LE(area.y2, 480);

  const float width = area.x2 - area.x1;
  SelectFont2D(3);
  auto rowWidth = [](const std::string& row) {
    float w = 0;
    for (char c : row) w += float(Ui().text->CharWidth(c));
    return w;
  };
  const std::string words = "Player: Hello from the host, a long line to see it wrap past the panel beside it";
  const std::string unbroken(120, 'x');
  struct Case {
    std::string line;
    size_t minRows;
    const char* joiner;  // what joins the rows back into the line
  } const cases[] = {{"Ann: hi", 1, " "}, {words, 2, " "}, {unbroken, 2, ""}};
  for (const Case& c : cases) {
    const std::vector<std::string> rows = WrapChatText(c.line, width);
    ASSERT_GE(rows.size(), c.minRows) << c.line;
    std::string joined;
    for (const std::string& row : rows) {
      EXPECT_LE(rowWidth(row), width) << row;
      EXPECT_FALSE(row.empty()) << c.line;
      joined += (joined.empty() ? "" : c.joiner) + row;
    }
    EXPECT_EQ(joined, c.line);
  }
}
