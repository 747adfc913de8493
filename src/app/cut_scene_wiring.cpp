#include "app/cut_scene_wiring.h"

#include <optional>
#include <string>
#include <vector>

#include "app/game.h"
#include "city/traffic.h"
#include "engine/core/console.h"
#include "engine/core/error.h"
#include "engine/core/run_state.h"
#include "engine/files/file_bytes.h"
#include "engine/files/text_bank.h"
#include "engine/files/texture_file.h"
#include "engine/render/renderer.h"
#include "engine/scene/asset_table.h"
#include "panels/panel_links.h"
#include "script/profiles.h"
#include "script/script.h"
#include "session/goals.h"
#include "session/player.h"
#include "session/scenarios.h"
#include "sound/game_sound.h"
#include "sound/sound_manager.h"
#include "ui/draw_2d.h"
#include "ui/glyph_batcher.h"
#include "ui/interface_assets.h"
#include "ui/ui_services.h"
#include "visuals/overlay/cut_scene.h"
#include "visuals/overlay/cut_scene_script_bindings.h"
#include "visuals/scene/fireworks.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/overlay/interface_task.h"
#include "visuals/scene/shader_table.h"
#include "visuals/overlay/tutor_figure.h"

namespace {

constexpr const char* kCutSceneTextures = "gamedata2\\cutscene\\textures.gtd";
// The set's textures: the three logos in image-table order, then the spark.
constexpr int32_t kLogoImageOrder[3] = {273, 274, 287};
constexpr size_t kSparkTexture = 3;
constexpr int32_t kNoWinner = 10;

struct CutSceneWiring {
  std::optional<std::string> pendingCommand;
};
CutSceneWiring& Wiring() {
  static CutSceneWiring wiring;
  return wiring;
}

// ---- Console commands: reachable before a game runs (config.cfg and the
// parameter files), they wait for the game to start.

int RunWhenPlaying(const char* line) {
  if (RunState().gameRunning) return ExecuteConsoleCommand(line);
  Wiring().pendingCommand = line;
  return 0;
}

int CutSceneCommand(const char* rest) {
  std::string name;
  if (!ReadConsoleWord(rest, name) || !IsValidProfileName(name)) {
    ConsolePrintF(kConsoleError, "Usage: CUTSCENE name");
    return 0;
  }
  if (!RunState().gameRunning) return RunWhenPlaying(("CUTSCENE " + name).c_str());
  PlayCutScene(name);
  return 0;
}

// The front end's credits: the idle fly-by with the credits roll.
int CreditsCommand(const char*) {
  if (!RunState().gameRunning) return RunWhenPlaying("CREDITS");
  PlayCutScene("flyby1");
  CutScene().RequestCredits(true);
  return 0;
}

int FireworksCommand(const char* rest) {
  int32_t preset = 0;
  ReadConsoleInt(rest, preset);
  if (!RunState().gameRunning) return RunWhenPlaying(("FIREWORKS " + std::to_string(preset)).c_str());
  if (!StartFireworksShow(preset)) ConsolePrintF(kConsoleError, "Error. No fireworks preset %d", preset);
  return 0;
}

// The end sequence of a result: the local player's index wins, anything else loses.
int EndSequenceCommand(const char* rest) {
  int32_t code = kNoWinner;
  ReadConsoleInt(rest, code);
  if (!RunState().gameRunning) return RunWhenPlaying(("ENDSEQUENCE " + std::to_string(code)).c_str());
  StartEndSequence(code);
  return 0;
}

void LoadCutSceneTextures() {
  std::vector<uint8_t> bytes;
  std::vector<TextureImage> images;
  std::string reason;
  if (!ReadWholeGameFile(kCutSceneTextures, bytes) || !ParseGtdFile(bytes, images, reason) ||
      images.size() <= kSparkTexture) {
    ReportErrorF(1, "The cut scenes' textures %s cannot be read", kCutSceneTextures);
    return;
  }
  std::vector<int32_t>& table = Ui().imageTable;
  for (size_t i = 0; i < images.size(); ++i) {
    const int32_t slot = TexRegisterImage(std::move(images[i]));
    if (i == kSparkTexture) {
      FireworksShow().SetTexture(slot);
    } else if (i < 3) {
      const size_t id = size_t(kLogoImageOrder[i]);
      if (table.size() <= id) table.resize(id + 1, -1);
      table[id] = slot;
    }
  }
}

}  // namespace

void AttachCutScenes() {
  RegisterConsoleCommand("CUTSCENE", CutSceneCommand);
  RegisterConsoleCommand("CREDITS", CreditsCommand);
  RegisterConsoleCommand("FIREWORKS", FireworksCommand);
  RegisterConsoleCommand("ENDSEQUENCE", EndSequenceCommand);
}

void ConnectCutScenes() {
  CutScene().Init();
  RegisterCutSceneScriptBindings();
}

void LoadCutSceneAssets() { LoadCutSceneTextures(); }

void PrepareTutorFigure() {
  InitTutorFigure(ShelfModel(ModelShelf::Tutor, 0), ShelfModel(ModelShelf::Tutor, 1),
                  ShelfModel(ModelShelf::Tutor, 2));
}

void PlayCutScene(const std::string& name) { CutScene().Play(name); }

void PlayPresentationEvent(const GameEvent& event) {
  if (const auto* scene = std::get_if<CutSceneEvent>(&event)) {
    CutScene().SetEndSequenceTokens(scene->winnerToken, scene->loserToken);
    CutScene().Play(scene->name, scene->code);
  } else if (const auto* fireworks = std::get_if<FireworksEvent>(&event)) {
    StartFireworksShow(fireworks->preset);
  } else if (const auto* money = std::get_if<MoneyEvent>(&event)) {
    if (money->gain) PlayMoneyGainAnimation();
    else PlayMoneyLossAnimation();
  }
}

void StepPresentation() {
  CutSceneWiring& w = Wiring();
  if (w.pendingCommand && RunState().gameRunning) {
    const std::string line = *w.pendingCommand;
    w.pendingCommand.reset();
    ExecuteConsoleCommand(line.c_str());
  }
  FireworksShow().Update();
  // The tutor stands by the tutorial's prompts while a tutorial runs.
  SetTutorVisible(RunState().gameRunning && ScenarioManager().IsTutorialRunning() && !CutScene().Running());
}

void ResetPresentation() {
  FireworksShow().Reset();
  TutorFigure().moneyAnimating = false;
  SetTutorVisible(false);
}
