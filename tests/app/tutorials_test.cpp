// The tutorials, headless: every lesson the front end lists starts through
// STARTLEVEL and is played to its end by scripted input, as a player would
// give it: the prompts' OK, the controls' tutorial events and the game
// actions the lesson asks for (a block leased, a building put up, a bid, a
// card played). Each input must move the lesson on; the last one ends the
// level as completed, which ticks the lesson in the list.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/game.h"
#include "city/blocks.h"
#include "city/business_types.h"
#include "city/buildings.h"
#include "engine/core/console.h"
#include "engine/core/error.h"
#include "engine/core/run_state.h"
#include "engine/files/cache_archive.h"
#include "script/interface_bindings.h"
#include "script/level_scripts.h"
#include "script/profiles.h"
#include "script/script.h"
#include "session/auction.h"
#include "session/chance_cards.h"
#include "session/game_messages.h"
#include "session/player.h"
#include "session/scenarios.h"
#include "session/tick_driver.h"
#include "session/tutorial.h"
#include "started_game.h"
#include "engine/input/camera_controller.h"
#include "engine/input/input_device.h"
#include "platform/input.h"
#include "shell/game_loop.h"
#include "session/session_state.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/overlay/interface_task.h"

namespace {

namespace fs = std::filesystem;

class TutorialsTest : public StartedGameTest {
 public:
  void SetUp() override { OpenStartedGame("tutorials_test"); }
  void TearDown() override { CloseStartedGame(); }

  template <class Done>
  bool PlayUntil(Done done, int32_t ticks = 40000) {
    for (int32_t i = 0; i < ticks && RunState().gameRunning; ++i) {
      if (done()) return true;
      RunLogicTicks();
      if (i % 25 == 0) TheGame().DrainGameEvents();
    }
    TheGame().DrainGameEvents();
    return done();
  }
  // A little game time for the posted messages to arrive and the lesson's
  // events to be drained.
  void Settle() { PlayUntil([] { return false; }, 60); }

  CPlayer& Me() { return *PlayerTable().Local(); }
  int32_t NewestPrompt() const {
    const std::vector<int32_t>& open = OpenScriptPrompts();
    return open.empty() ? -1 : open.back();
  }

  // ---- What the player does
  void Ok() { ScriptPromptClosed(NewestPrompt()); }
  void Event(int32_t id) { FireTutorialEvent(id); }
  void Lease(const char* key) {
    block_ = FindBlockByKey(key);
    ASSERT_GE(block_, 0) << key;
    Me().RequestBuyBlock(block_, g_Blocks[block_].GetLeasePrice(), -1);
    ASSERT_TRUE(PlayUntil([&] { return g_Blocks[block_].Owner == Me().index + 1; })) << key;
  }
  void Build(int32_t kind, int32_t businessKind) {
    int32_t type = -1;
    for (int32_t t = 0; t < kBusinessTypeCount && type < 0; ++t)
      if (g_BusinessTypes[t].Kind == businessKind && g_BusinessTypes[t].MinArea <= 4) type = t;
    ASSERT_GE(type, 0);
    for (int32_t x = 0; x < 6; ++x)
      for (int32_t z = 0; z < 6; ++z)
        if (g_Blocks[block_].IsLotRegionFreeRect(x, z, x + 1, z + 1)) {
          ASSERT_TRUE(Me().PostConstructBuilding(block_, x, z, 2, 2, 1, 0, kind, 1, 0, type));
          return Settle();
        }
    FAIL() << "no free plot on block " << block_;
  }
  void OpenShop() {
    Build(kKindRetail, kBusinessShop);
    // The builders finish; the business opens under the player's name.
    const int32_t before = NewestPrompt();
    ASSERT_TRUE(PlayUntil([&] { return NewestPrompt() != before; }, 200000));
  }
  void Bid() {
    ASSERT_TRUE(PlayUntil([] {
      const CAuction* a = CurrentAuction();
      return a && a->active && a->turn == PlayerTable().Local()->index;
    }));
    ASSERT_TRUE(PostAuctionBid(Me().index, CurrentAuction()->price + 50));
    Settle();
  }
  void WaitForAuctionEnd() {
    const int32_t before = NewestPrompt();
    ASSERT_TRUE(PlayUntil([&] { return NewestPrompt() != before; }));
  }
  void WaitForAuctionRoom() { WaitForAuctionEnd(); }
  void ReturnBlock() {
    Me().RequestSellBlock(block_, 0, -1);
    ASSERT_TRUE(PlayUntil([&] { return g_Blocks[block_].Owner == 0; }));
  }
  // The lesson has the city deal a card that is played as it is shown, and
  // the card panel's Play sends it.
  void PlayCard() {
    ASSERT_TRUE(PlayUntil([&] { return Me().Chance().CardState() == kCardDealt; }));
    EXPECT_EQ(GetChanceCard(Me().Chance().HeldCard()).kind, kCardPlayedAtOnce);
    ASSERT_TRUE(Me().Chance().PlayHeldCard());
    Settle();
  }

  int32_t block_ = -1;
};

using Input = std::function<void(TutorialsTest&)>;
Input ok = [](TutorialsTest& t) { t.Ok(); };
Input Ev(int32_t id) {
  return [id](TutorialsTest& t) { t.Event(id); };
}
Input LeaseBlock(const char* key) {
  return [key](TutorialsTest& t) { t.Lease(key); };
}
Input PutUp(int32_t kind, int32_t business) {
  return [kind, business](TutorialsTest& t) { t.Build(kind, business); };
}
Input shop = [](TutorialsTest& t) { t.OpenShop(); };
Input lease = LeaseBlock("LANTERN_AVENUE");

TEST_F(TutorialsTest, EveryLessonRunsToItsEndOnScriptedInput) {
  struct Lesson {
    int32_t id;
    std::vector<Input> inputs;  // after the opening message's OK
  };
  constexpr int32_t kNavigator = 103, kRightsButton = 91, kInfoTab = 15, kPriceArrow = 7, kBusinessOk = 53,
                    kStatisticsOpen = 76, kStatisticsRight = 78, kLeasePage = 10;
  const Lesson lessons[] = {
      {100001, {ok, ok, Ev(kNavigator), Ev(kInfoTab), ok}},
      {100002,
       {ok, [](TutorialsTest& t) { Script().CatchEvent("Picked3D", 0); t.Settle(); }, Ev(kLeasePage), lease, ok}},
      {100003, {ok, lease, Ev(kRightsButton), PutUp(kKindResidential, kBusinessResidence), ok}},
      {100004, {ok, lease, Ev(kRightsButton), shop, ok}},
      {100005, {ok, lease, Ev(kRightsButton), shop, Ev(kPriceArrow), Ev(kBusinessOk), ok}},
      {100006, {ok, lease, Ev(kRightsButton), PutUp(kKindResidential, kBusinessResidence), ok}},
      {100007, {ok, lease, Ev(kRightsButton), PutUp(kKindLandscape, kBusinessLandscape), ok}},
      {100008,
       {ok, [](TutorialsTest& t) { t.WaitForAuctionRoom(); }, [](TutorialsTest& t) { t.Bid(); },
        [](TutorialsTest& t) { t.WaitForAuctionEnd(); }, ok}},
      {100009, {ok, lease, [](TutorialsTest& t) { t.ReturnBlock(); }, ok}},
      {100010, {ok, [](TutorialsTest& t) { t.PlayCard(); }, ok, ok}},
      {100011, {ok, Ev(kStatisticsOpen), Ev(kStatisticsRight), ok}},
      {100012, {ok, LeaseBlock("Q_V_RAILROAD"), ok}},
      {100013, {ok, ok, ok, ok}},
  };
  for (const Lesson& lesson : lessons) {
    SCOPED_TRACE(lesson.id);
    Script().ClearErrorLog();
    ExecuteConsoleCommand(("STARTLEVEL " + std::to_string(lesson.id)).c_str());
    ASSERT_TRUE(RunState().gameRunning);
    ASSERT_TRUE(ScenarioManager().IsTutorialRunning());
    Settle();
    ASSERT_EQ(OpenScriptPrompts().size(), 1u);
    Ok();  // the lesson's opening message
    Settle();
    for (size_t i = 0; i < lesson.inputs.size(); ++i) {
      SCOPED_TRACE(i);
      const int32_t before = NewestPrompt();
      lesson.inputs[i](*this);
      if (HasFatalFailure()) return;
      Settle();
      // Every input moved the lesson on to a new message.
      ASSERT_NE(NewestPrompt(), before);
    }
    // The closing message; its OK ends the level, won: the lesson is ticked.
    EXPECT_EQ(NewestPrompt(), 99);
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
    Ok();
    PlayUntil([] { return !RunState().gameRunning; }, 100);
    EXPECT_FALSE(RunState().gameRunning);
    const ScenarioEntry* e = ScenarioManager().Find(lesson.id);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->completed[0], 1);
    EXPECT_TRUE(Script().ErrorLog().empty()) << Script().ErrorLog().front();
    boxes_.clear();  // the menus the game returns to have no layouts here
  }
}

// A lesson waits for what it asks: other events and other players' actions
// leave it where it is.
TEST_F(TutorialsTest, ALessonIgnoresWhatItDidNotAskFor) {
  ExecuteConsoleCommand("STARTLEVEL 100002");
  Settle();
  Ok();
  Settle();
  Ok();  // to "choose a block"
  Settle();
  const int32_t waiting = NewestPrompt();
  for (int32_t unrelated : {int32_t(kTutorialBidMade), int32_t(kTutorialCardPlayed), 15, 53}) FireTutorialEvent(unrelated);
  Settle();
  EXPECT_EQ(NewestPrompt(), waiting);
  EXPECT_TRUE(RunState().gameRunning);
  FireTutorialEvent(103);
  Settle();
  EXPECT_NE(NewestPrompt(), waiting);
  TheGame().EndGame(false, 0);
}

// A lesson holds the view: Tab, G and Alt+F, pressed as the interface task
// reads them, leave the city view, the selection and the camera as they are.
TEST_F(TutorialsTest, TheViewKeysAreLockedDuringALesson) {
  ExecuteConsoleCommand("STARTLEVEL 100002");
  Settle();
  ASSERT_TRUE(ScenarioManager().IsTutorialRunning());
  ASSERT_EQ(GetScreenMode(), kScreenCity);
  ASSERT_EQ(GameTime().viewState, 1);
  const int32_t cameraMode = g_CameraState.mode;
  const CEntity* selected = SelectedObject();
  using namespace platform::key;
  auto press = [](uint8_t key, uint8_t held) {
    std::memset(g_InputState.keys, 0, sizeof g_InputState.keys);
    std::memset(g_InputState.previousKeys, 0, sizeof g_InputState.previousKeys);
    if (held) g_InputState.keys[held] = g_InputState.previousKeys[held] = 0x80;
    g_InputState.keys[key] = 0x80;
    RunInterfaceKeys();
    std::memset(g_InputState.keys, 0, sizeof g_InputState.keys);
  };
  struct Case {
    uint8_t key, held;
  } cases[] = {{kTab, 0}, {kG, 0}, {kF, kLeftAlt}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.key));
    press(c.key, c.held);
    EXPECT_EQ(GetScreenMode(), kScreenCity);
    EXPECT_EQ(SelectedObject(), selected);
    EXPECT_EQ(g_CameraState.mode, cameraMode);
  }
  TheGame().EndGame(false, 0);
}

}  // namespace
