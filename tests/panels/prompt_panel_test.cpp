// The prompt: its queue, its buttons, Return, Backspace and the time-out,
// the lock of the other controls, and the game's prompts reaching it.
#include "panels_fixture.h"

#include <fstream>
#include <iterator>
#include <regex>

#include "panels/panel_events.h"
#include "platform/input.h"
#include "session/goals.h"
#include "session/net_message.h"
#include "ui/buttons.h"

namespace {

using platform::key::kBackspace;
using platform::key::kReturn;

class PromptPanelTest : public PanelsTest {
 protected:
  CPromptPanel& prompt() { return Hud().prompt; }
  // Opens a prompt titled `title` with n buttons whose answers go to `log`.
  void Ask(const char* title, int32_t buttons, std::vector<std::string>& log) {
    prompt().Open();
    prompt().SetLineString(0, title);
    prompt().SetButtonCount(buttons);
    const std::string t = title;
    prompt().SetCallback([&log, t](int32_t button, int32_t) { log.push_back(t + " " + std::to_string(button)); });
  }
  std::string Shown() { return prompt().Head() ? prompt().Head()->lines[0].LineText(0) : ""; }
};

TEST_F(PromptPanelTest, QueuedPromptsShowInTheOrderTheyOpened) {
  std::vector<std::string> log;
  for (const char* t : {"first", "second", "third", "fourth", "fifth", "sixth"}) Ask(t, 1, log);
  // More than four wait: none is lost or overwritten.
  EXPECT_EQ(prompt().QueueLength(), 6u);
  EXPECT_EQ(Shown(), "first");
  for (const char* t : {"first", "second", "third", "fourth", "fifth", "sixth"}) {
    ASSERT_TRUE(prompt().open);
    EXPECT_EQ(Shown(), t);
    prompt().OnEvent(kNotifyClicked, 0, 0);
  }
  EXPECT_FALSE(prompt().open);
  EXPECT_EQ(log, (std::vector<std::string>{"first 0", "second 0", "third 0", "fourth 0", "fifth 0", "sixth 0"}));
}

TEST_F(PromptPanelTest, ButtonThreeAnswersButLeavesThePromptOpen) {
  std::vector<std::string> log;
  Ask("four ways", 4, log);
  for (int32_t i = 0; i < 4; ++i) EXPECT_TRUE(prompt().buttons[size_t(i)]->visible);
  // Laid out evenly along the lower quarter of the backing.
  const UIRect& back = prompt().backingRect;
  const float gap = (back.x2 - back.x1 - 4 * prompt().buttonWidth) / 5;
  EXPECT_FLOAT_EQ(prompt().buttons[0]->x1, back.x1 + gap);
  EXPECT_FLOAT_EQ(prompt().buttons[3]->x1, back.x1 + gap + 3 * (prompt().buttonWidth + gap));
  EXPECT_FLOAT_EQ(prompt().buttons[0]->y1, (3 * back.y2 + back.y1) / 4 + 2);
  prompt().OnEvent(kNotifyClicked, 3, 0);
  EXPECT_TRUE(prompt().open);
  prompt().OnEvent(kNotifyClicked, 2, 0);
  EXPECT_FALSE(prompt().open);
  EXPECT_EQ(log, (std::vector<std::string>{"four ways 3", "four ways 2"}));
}

TEST_F(PromptPanelTest, ReturnAndBackspaceAnswerFromTheSecondStepEvenWithoutButtons) {
  std::vector<std::string> log;
  Ask("no buttons", 0, log);
  for (CIconButton* b : prompt().buttons) EXPECT_FALSE(b->visible);
  Step(kReturn);  // the first step after opening takes no keys
  EXPECT_TRUE(prompt().open);
  Step();
  Step(kReturn);
  EXPECT_FALSE(prompt().open);
  Ask("back", 2, log);
  Step();
  Step(kBackspace);
  EXPECT_FALSE(prompt().open);
  EXPECT_EQ(log, (std::vector<std::string>{"no buttons 0", "back 1"}));
}

TEST_F(PromptPanelTest, TheTimeOutAnswersWithTheDefaultButton) {
  std::vector<std::string> log;
  Ask("default", 1, log);
  EXPECT_EQ(prompt().Head()->timeoutTicks, kPromptDefaultTimeout);
  Ask("short", 2, log);
  prompt().SetTimeout(1);
  prompt().SetDefaultButton(1);  // a question's "no"
  Ask("forever", 1, log);
  prompt().SetTimeout(0);
  for (int32_t i = 0; i <= kPromptDefaultTimeout; ++i) Step();
  EXPECT_EQ(log, (std::vector<std::string>{"default 0"}));
  for (int32_t i = 0; i <= 50; ++i) Step();
  EXPECT_EQ(log, (std::vector<std::string>{"default 0", "short 1"}));
  for (int32_t i = 0; i < 3000; ++i) Step();
  EXPECT_TRUE(prompt().open);
  EXPECT_EQ(Shown(), "forever");
}

TEST_F(PromptPanelTest, AnOpenPromptLocksTheOtherControlsUntilTheQueueEmpties) {
  Session().inGame = true;
  Hud().time.Open();
  std::vector<std::string> log;
  Ask("one", 1, log);
  Ask("two", 1, log);
  EXPECT_TRUE(Hud().time.options->inputDisabled);
  EXPECT_TRUE(Hud().navigator.inputDisabled);
  EXPECT_FALSE(prompt().inputDisabled);
  EXPECT_FALSE(prompt().buttons[0]->inputDisabled);
  prompt().OnEvent(kNotifyClicked, 0, 0);
  EXPECT_TRUE(Hud().time.options->inputDisabled);
  prompt().OnEvent(kNotifyClicked, 0, 0);
  EXPECT_FALSE(Hud().time.options->inputDisabled);
  EXPECT_FALSE(Hud().navigator.inputDisabled);
  // The auction room's prompt locks its own set.
  Ask("hud again", 1, log);
  prompt().OnEvent(kNotifyClicked, 0, 0);
  Hud().auctionPrompt.Open();
  EXPECT_TRUE(Hud().auctionTime.inputDisabled);
  EXPECT_FALSE(Hud().time.inputDisabled);
  Hud().auctionPrompt.Close();
  EXPECT_FALSE(Hud().auctionTime.inputDisabled);
}

TEST_F(PromptPanelTest, EveryWayOfGoingRunsTheDismissHookOnce) {
  std::vector<std::string> log, gone;
  for (const char* t : {"button", "key", "timeout", "closed"}) {
    Ask(t, 2, log);
    const std::string name = t;
    prompt().SetOnDismiss([&gone, name] { gone.push_back(name); });
    if (name == "timeout") prompt().SetTimeout(8);
  }
  prompt().OnEvent(kNotifyClicked, 1, 0);
  Step();
  Step(kReturn);
  for (int32_t i = 0; i < 420; ++i) Step();
  prompt().Close();
  EXPECT_EQ(gone, (std::vector<std::string>{"button", "key", "timeout", "closed"}));
  EXPECT_FALSE(prompt().open);
}

TEST_F(PromptPanelTest, TheGamesPromptsReachThePromptOfTheScreen) {
  HandlePanelGameEvent(PromptEvent{302, 1727, 1728, 2236, 1435});
  ASSERT_TRUE(prompt().open);
  EXPECT_EQ(Shown(), "Lease");
  EXPECT_EQ(Joined(prompt().Head()->lines[1]), "Your lease on Lantern Avenue runs out in 24 hours.");
  EXPECT_EQ(prompt().Head()->portrait, 302);
  EXPECT_EQ(prompt().buttons[0]->labelTextId, 1435);
  Session().gameState = kGameStateAuction;
  HandlePanelGameEvent(PromptEvent{302, 1739, 1740, 0, 1435});
  EXPECT_TRUE(Hud().auctionPrompt.open);
  EXPECT_EQ(prompt().QueueLength(), 1u);
}

TEST_F(PromptPanelTest, ABuyRequestIsAQuestionThatReturnAndTheTimeOutRefuse) {
  AddPlayer("Ann", 0);
  CPlayer* bob = AddPlayer("Bob", 1);
  auto* ann = dynamic_cast<CHumanPlayer*>(PlayerTable().Local());
  ASSERT_NE(ann, nullptr);
  PlayerMessageEvent e;
  e.player = ann->index;
  e.message.code = PLAYER_MESS_BUY_REQUEST;
  e.message.from = PlayerIndex{bob->index};
  e.message.body = BlockDeal{BlockId{0}, 1200};
  e.portraitPlayer = bob->index;
  e.line1 = 1712;
  e.line2 = 1713;
  e.buttons[0] = 1704;
  e.buttons[1] = 1705;
  e.buttonCount = 2;
  HandlePanelGameEvent(e);
  ASSERT_TRUE(prompt().open);
  EXPECT_EQ(ann->state, 1);
  EXPECT_EQ(Joined(prompt().Head()->lines[1]), "Bob offers $1200 for Lantern Avenue. Put it up for auction?");
  EXPECT_EQ(prompt().Head()->defaultButton, 1);
  EXPECT_EQ(prompt().Head()->portrait, TokenInfoRow(1).portraitImage);
  EXPECT_TRUE(prompt().buttons[0]->tinted);
  Step();
  Step(kReturn);
  EXPECT_FALSE(prompt().open);
  EXPECT_EQ(ann->state, 0);
  // Refused, not sent to auction: no auction message went out.
  for (const GameEvent& ev : TakeGameEvents()) EXPECT_FALSE(std::holds_alternative<AuctionEvent>(ev));
}

// A won game's prompt, for the winner and for the others, shows the
// winner's name and the objective's figure where the texts put them.
TEST_F(PromptPanelTest, AWinShowsTheNameAndTheFigureOfEveryObjective) {
  AddPlayer("Ann", 0);
  CPlayer* bob = AddPlayer("Bob", 1);
  struct Case {
    int32_t kind;
    float target;
    const char* mine;
    const char* theirs;
  };
  const Case cases[] = {
      {1, 7, "The city has voted you mayor 7 days running.", "The city has voted them mayor 7 days running."},
      {2, 0, "You outlasted everyone in the city's votes.", "They outlasted everyone in the city's votes."},
      {3, 100, "Your businesses made a profit of $100 in a day.", "Their businesses made a profit of $100 in a day."},
      {4, 1936, "You were the richest player in the city in 1936.", "They were the richest player in 1936."},
      {5, 30000, "Your paper wealth reached $30000.", "Their paper wealth reached $30000 first."},
      {6, 500, "Your businesses sold 500 goods before anyone else.", "Their businesses sold 500 goods first."},
  };
  for (const Case& c : cases) {
    GameGoal().kind = c.kind;
    GameGoal().target = c.target;
    for (const CPlayer* winner : {static_cast<const CPlayer*>(PlayerTable().Local()), static_cast<const CPlayer*>(bob)}) {
      const bool mine = winner == PlayerTable().Local();
      ClearGameEvents();
      GoalResultMsg m;
      m.player = PlayerIndex{winner->index};
      m.result = kGoalWon;
      ShowGoalResult(m);
      for (const GameEvent& ev : TakeGameEvents())
        if (const auto* r = std::get_if<GoalResultEvent>(&ev)) HandlePanelGameEvent(*r);
      ASSERT_TRUE(prompt().open) << c.kind;
      EXPECT_EQ(Shown(), mine ? std::string(c.kind == 1 ? "You are the mayor!" : "You have won!")
                              : std::string(c.kind == 1 ? "Bob is the mayor" : "Bob has won"))
          << c.kind;
      EXPECT_EQ(Joined(prompt().Head()->lines[1]), mine ? c.mine : c.theirs) << c.kind;
      prompt().Reset();  // closed without an answer: no end sequence
    }
  }
}


// The text ids of the lessons' steps, as the lessons' script lists them.
std::vector<int32_t> LessonStepTexts() {
  std::ifstream file(std::string(RC_GAME_ROOT) + "/scripts/tutorial/lessons.lua");
  const std::string script((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::regex step(R"((say|act) = (\d+))");
  std::vector<int32_t> ids;
  for (auto m = std::sregex_iterator(script.begin(), script.end(), step); m != std::sregex_iterator(); ++m)
    ids.push_back(std::stoi((*m)[2].str()));
  return ids;
}

// Every lesson's opening, steps and closing show whole in the prompt, in
// English and in German, whose longer texts overran the message in its
// large font and were cut mid-sentence: a long one is laid out again in a
// smaller font.
TEST_F(PromptPanelTest, EveryLessonsTextShowsWholeInEveryLanguage) {
  std::vector<int32_t> ids = LessonStepTexts();
  ASSERT_GE(ids.size(), 40u);
  for (int32_t id = 2002; id <= 2014; ++id) ids.push_back(id);  // the lessons' openings
  ids.push_back(3751);                                             // the closing message
  for (const char* language : {"usa", "ger"}) {
    ASSERT_TRUE(LoadInterfaceFonts(language, 640));
    for (const int32_t id : ids) {
      ScriptPromptEvent e;
      e.lines[0].textId = 2016;
      e.lines[1].textId = id;
      e.scriptId = 100;
      e.withButton = true;
      e.buttonText = 1707;
      HandlePanelGameEvent(e);
      ASSERT_TRUE(prompt().open);
      CTextRect& main = prompt().Building()->lines[1];
      main.Layout();
      EXPECT_GT(main.LineCount(), 0) << language << " " << id;
      EXPECT_LE(main.LineCount(), main.visibleLines) << language << " " << id << ": " << Joined(main);
      EXPECT_LE(float(main.visibleLines * main.lineHeight - main.lineSpacing), main.y2 - main.y1) << id;
      // The text stands beside the portrait, above the buttons.
      EXPECT_GE(main.x1, prompt().portraitRect.x2);
      EXPECT_LE(main.y2, prompt().buttons[0]->y1);
      prompt().Close();
    }
  }
  ASSERT_TRUE(LoadInterfaceFonts("usa", 640));
}

// A short message keeps the large font; a portrait set after the text lays
// it out again for the narrower area.
TEST_F(PromptPanelTest, AShortMessageKeepsTheLargeFontAndFollowsThePortrait) {
  prompt().Open();
  prompt().SetLineString(1, "Short and sweet.");
  CTextRect& main = prompt().Building()->lines[1];
  EXPECT_EQ(main.font, 0);
  EXPECT_EQ(main.x1, prompt().mainRect.x1);
  prompt().SetPortrait(302);
  EXPECT_EQ(main.x1, prompt().portraitRect.x2);
  EXPECT_EQ(Joined(main), "Short and sweet.");
  prompt().Close();
}

}  // namespace
