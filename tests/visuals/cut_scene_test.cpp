// The cut-scene player: its fades and phases, the skip keys, the credits'
// shuffle, the end offered to the scripts, and the cut-scene functions of the
// Game table.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "engine/core/run_state.h"
#include "engine/files/text_bank.h"
#include "engine/input/input_device.h"
#include "presentation_fixture.h"
#include "script/script.h"
#include "script/script_bindings.h"
#include "session/session_state.h"
#include "ui/draw_2d.h"
#include "ui/game_requests.h"
#include "ui/ui_services.h"
#include "visuals/overlay/cut_scene.h"
#include "visuals/overlay/cut_scene_script_bindings.h"
#include "visuals/scene/fireworks.h"

namespace {

class CutSceneTest : public PresentationTest {
 protected:
  CCutScene scene;
  CTextSystem texts;

  void SetUp() override {
    PresentationTest::SetUp();
    RegisterCutSceneScriptBindings();
    ASSERT_TRUE(Script().Create());
    Script().RunText("Game = Game or {}", "test", false);
    // Each scene's script notes that it ran; every text reads "text <id>".
    for (const char* name : {"win_sequence", "flyby1", "complete_sequence"}) {
      const std::string script = std::string("ScenesRun = (ScenesRun or '') .. '") + name + ";'\n";
      WriteBytes(std::string("scripts/") + name + "/hub.lua", {script.begin(), script.end()});
    }
    std::vector<std::string> strings(1800);
    strings[0] = CodePageCharTable();
    for (size_t id = 1; id < strings.size(); ++id) strings[id] = "text " + std::to_string(id);
    ASSERT_TRUE(WriteTextBankFiles("language\\test\\civano", strings));
    ASSERT_TRUE(texts.LoadTextBankFile("language\\test\\civano"));
    Ui().text = &texts;
    ClearGameRequests();
    scene.Init();
  }
  void TearDown() override {
    Ui().text = nullptr;
    ClearGameRequests();
    PresentationRequests() = {};
    FireworksShow().Reset();
    Session() = SessionState{};
    Script().Destroy();
    PresentationTest::TearDown();
  }
  bool Run(const char* text) { return Script().RunText(text, "test", false); }
  std::string ScenesRun() {
    lua_getglobal(Script().State(), "ScenesRun");
    const char* ran = lua_tostring(Script().State(), -1);
    const std::string out = ran ? ran : "";
    lua_pop(Script().State(), 1);
    return out;
  }
  // The game ends the scene asked for since the last call.
  int Endings() {
    int n = 0;
    for (const GameRequest& r : TakeGameRequests()) n += std::holds_alternative<EndGameRequest>(r);
    return n;
  }
  // Steps until the state changes to `state` (or the limit); the steps taken.
  int StepsUntilState(int32_t state, int limit = 20000) {
    int n = 0;
    while (scene.State() != state && scene.Running() && n < limit) scene.Update(), ++n;
    return n;
  }
};

TEST_F(CutSceneTest, PlayRunsTheScriptAndTheBarsSlideInThenOutAtTheEnd) {
  Session().gameState = kGameStateRunning;
  RunState().gameRunning = true;
  scene.Play("win_sequence");
  EXPECT_EQ(ScenesRun(), "win_sequence;");
  EXPECT_EQ(Session().gameState, kGameStateCutScene);
  EXPECT_TRUE(scene.Running());
  EXPECT_EQ(scene.State(), CCutScene::kFadingIn);
  for (int i = 0; i < 84; ++i) scene.Update();
  EXPECT_EQ(scene.FadeCounter(), 84);
  EXPECT_EQ(scene.State(), CCutScene::kFadingIn);
  scene.Update();
  EXPECT_EQ(scene.FadeCounter(), kCutSceneFadeSteps);
  EXPECT_EQ(scene.State(), CCutScene::kSteady);
  for (int i = 0; i < 500; ++i) scene.Update();  // nothing requested: it holds
  EXPECT_TRUE(scene.Running());

  scene.End();
  for (int i = 0; i < kCutSceneFadeSteps - 1; ++i) scene.Update();
  EXPECT_TRUE(scene.Running());
  EXPECT_EQ(Endings(), 0);
  scene.Update();
  EXPECT_FALSE(scene.Running());
  EXPECT_EQ(Endings(), 1);  // nobody caught CutSceneEnded
  EXPECT_EQ(Session().gameState, kGameStateRunning);
  RunState().gameRunning = false;
}

TEST_F(CutSceneTest, ACaughtEndLeavesTheGameRunning) {
  ASSERT_TRUE(Run("ended = 0 function CATCHEVENT_CutSceneEnded(a) ended = ended + 1 end"));
  scene.Play("flyby1");
  scene.End();
  StepsUntilState(CCutScene::kSteady);
  EXPECT_FALSE(scene.Running());
  EXPECT_EQ(Endings(), 0);
  lua_getglobal(Script().State(), "ended");
  EXPECT_EQ(lua_tointeger(Script().State(), -1), 1);
  lua_pop(Script().State(), 1);
}

TEST_F(CutSceneTest, ACaptionFadesInBeforeTheLogosAndCreditsRollToTheFadeOut) {
  scene.Play("complete_sequence");
  scene.SetIdentifier(1767);
  EXPECT_EQ(scene.Caption(), "text 1767");
  PresentationRequests().logos = true;  // as Game.SetLogos does
  scene.RequestCredits(true);
  // The caption: 127 steps up by 2 to 254, then phase 1 and 127 down.
  for (int i = 0; i < 127; ++i) scene.Update();
  EXPECT_EQ(scene.Phase(), 0);
  EXPECT_EQ(scene.Alpha(), 254);
  scene.Update();
  EXPECT_EQ(scene.Phase(), 1);
  int steps = 0;
  while (scene.Phase() == 1) scene.Update(), ++steps;
  EXPECT_EQ(steps, 127);
  EXPECT_EQ(scene.Phase(), 2);

  // Three logos: 100 steps' wait, then each 255 steps in, 25 held, 255 out.
  std::vector<int32_t> images;
  int logoSteps = 0;
  while (scene.Phase() >= 2 && scene.Phase() <= 11) {
    scene.Update(), ++logoSteps;
    if (scene.Image() != kNoLogo && (images.empty() || images.back() != scene.Image()))
      images.push_back(scene.Image());
  }
  EXPECT_EQ(images, (std::vector<int32_t>{274, 273, 287}));
  EXPECT_NEAR(logoSteps, 100 + 3 * (255 + 25 + 255), 6);
  EXPECT_EQ(scene.Phase(), 12);

  // The credits, entry by entry, then the fade-out.
  const size_t entries = scene.Credits().size();
  std::set<int32_t> shown;
  while (scene.State() != CCutScene::kFadingOut && scene.Running()) {
    scene.Update();
    if (scene.Phase() == 14) shown.insert(scene.CreditsIndex());
  }
  EXPECT_EQ(shown.size(), entries);
  EXPECT_EQ(scene.Phase(), 2);
  StepsUntilState(CCutScene::kSteady);
  EXPECT_FALSE(scene.Running());
}

TEST_F(CutSceneTest, CreditsAloneStartAtOnceAndHoldTheHeadingTheShuffleAndTheFixedEntries) {
  scene.Play("flyby1");
  scene.RequestCredits(true);
  scene.Update();
  EXPECT_EQ(scene.Phase(), 12);
  const std::vector<CreditsEntry>& c = scene.Credits();
  ASSERT_EQ(c.size(), 1u + 11u + 20u);
  EXPECT_EQ(c[0].heading, 1771);
  EXPECT_EQ(c[0].names[0], nullptr);
  const int32_t headings[] = {0, 0, 1788, 1772, 1774, 1775, 1776, 1777, 1778, 1779,
                              1780, 1781, 1782, 1782, 1783, 1784, 1785, 1786, 1787, 1796};
  for (size_t i = 0; i < std::size(headings); ++i) EXPECT_EQ(c[12 + i].heading, headings[i]) << i;
  EXPECT_STREQ(c[14].names[3], "Git");
  EXPECT_EQ(c[15].names[0], nullptr);  // the libraries' heading stands alone
}

// The eleven names come in an order drawn from the credits' own generator:
// the same state gives the same order, and the state moves on between rolls.
TEST_F(CutSceneTest, TheCreditsShuffleIsAPermutationFixedByTheGeneratorsState) {
  auto order = [&] {
    scene.BuildCreditsList();
    std::vector<std::string> names;
    for (size_t i = 1; i <= 11; ++i) names.push_back(scene.Credits()[i].names[0]);
    return names;
  };
  scene.CreditsRandom().SetState(12345);
  const std::vector<std::string> first = order();
  const std::vector<std::string> next = order();
  scene.CreditsRandom().SetState(12345);
  EXPECT_EQ(order(), first);
  EXPECT_NE(next, first);
  std::vector<std::string> a = first, b = next;
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  EXPECT_EQ(a, b);
  EXPECT_EQ(std::set<std::string>(a.begin(), a.end()).size(), 11u);
}

TEST_F(CutSceneTest, SkipKeysFadeOutUnlessBypassIsForbidden) {
  using namespace platform::key;
  // Ten steps in: a skip fades the bars back out from there.
  auto play = [&] {
    scene.Play("flyby1");
    for (int i = 0; i < 10; ++i) scene.Update();
  };
  const uint8_t keys[] = {kEscape, kReturn, kSpace, kNumpadEnter};
  for (uint8_t key : keys) {
    play();
    Press(key);
    scene.PollSkipKeys();
    EXPECT_EQ(scene.State(), CCutScene::kFadingOut) << int(key);
    EXPECT_EQ(scene.FadeCounter(), 9);
    ReleaseAll();
  }
  play();
  g_InputState.mouse.buttons[0] = 1;  // a click
  scene.PollSkipKeys();
  EXPECT_EQ(scene.State(), CCutScene::kFadingOut);
  g_InputState.mouse.buttons[0] = 0;

  play();
  Press(kA);
  scene.PollSkipKeys();
  EXPECT_EQ(scene.State(), CCutScene::kFadingIn);
  Hold(kEscape);  // held from before: not a new press
  scene.PollSkipKeys();
  EXPECT_EQ(scene.State(), CCutScene::kFadingIn);
  ReleaseAll();

  scene.SetBypass(false);
  Press(kEscape);
  scene.PollSkipKeys();
  EXPECT_EQ(scene.State(), CCutScene::kFadingIn);
  scene.End();  // the script's end still fades out
  scene.Update();
  EXPECT_EQ(scene.State(), CCutScene::kFadingOut);
}

TEST_F(CutSceneTest, GameTableFunctionsDriveTheGlobalPlayer) {
  CCutScene& global = CutScene();
  global.Init();
  global.Play("win_sequence");
  ASSERT_TRUE(Run("Game.SetCutSceneIdentifier(2)"));
  EXPECT_EQ(global.Caption(), "text 1768");
  ASSERT_TRUE(Run("Game.SetCutSceneIdentifier(7)"));  // not one of the three
  EXPECT_EQ(global.Caption(), "text 1768");
  ASSERT_TRUE(Run("Game.SetCutSceneString('Well done')"));
  EXPECT_EQ(global.Caption(), "Well done");
  ASSERT_TRUE(Run("Game.SetCutSceneString(string_missing)"));  // nil: reported, kept
  EXPECT_EQ(global.Caption(), "Well done");
  ASSERT_TRUE(Run("Game.DisableCutSceneBypass()"));
  EXPECT_FALSE(global.BypassAllowed());
  ASSERT_TRUE(Run("Game.EnableCutSceneBypass()"));
  EXPECT_TRUE(global.BypassAllowed());
  ASSERT_TRUE(Run("Game.EndCutScene()"));
  EXPECT_EQ(global.State(), CCutScene::kFadingOut);
  global.Init();
}

TEST_F(CutSceneTest, FireworksPresetsStartTheShowAndOthersAreIgnored) {
  EXPECT_FALSE(StartFireworksShow(5));
  EXPECT_FALSE(FireworksShow().Running());
  EXPECT_TRUE(StartFireworksShow(1));
  EXPECT_TRUE(FireworksShow().Running());
  EXPECT_EQ(FireworksShow().SlotsInUse(), 30);
}

TEST_F(CutSceneTest, DrawShowsTheBarsTheLogoAndTheCreditsEntry) {
  auto texts = [](const CutSceneDrawing& d) {
    std::vector<std::string> out;
    for (const CutSceneDrawing::Text& t : d.texts)
      out.push_back(std::to_string(t.font) + "@" + std::to_string(int(t.y)) + ":" + t.text);
    return out;
  };
  EXPECT_EQ(scene.Drawing().image, kNoLogo);  // nothing while no scene runs
  EXPECT_TRUE(scene.Drawing().texts.empty());
  scene.Play("complete_sequence");
  for (int i = 0; i < 10; ++i) scene.Update();
  scene.SetPhase(4);
  CutSceneDrawing d = scene.Drawing();
  EXPECT_EQ(d.topBar, 10.0f);
  EXPECT_EQ(d.bottomBar, 470.0f);
  EXPECT_EQ(d.image, 274);
  EXPECT_EQ(d.alpha, 255);
  // The logo's text sits below it, by half the logo's height.
  const int below = 240 + UIImageHeight(274) / 2;
  EXPECT_EQ(texts(d), std::vector<std::string>{"4@" + std::to_string(below) + ":text 1789"});

  scene.BuildCreditsList();
  scene.SetPhase(13);
  EXPECT_EQ(texts(scene.Drawing()), std::vector<std::string>{"3@220:text 1771"});
}

}  // namespace
