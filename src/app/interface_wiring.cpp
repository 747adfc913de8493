#include "app/interface_wiring.h"

#include "engine/core/system_settings.h"
#include "engine/input/input_device.h"
#include "engine/render/renderer.h"
#include "engine/render/renderer_settings.h"
#include "script/profiles.h"
#include "shell/game_loop.h"
#include "shell/startup.h"
#include "sound/game_sound.h"
#include "ui/cursors.h"
#include "ui/game_panels.h"
#include "ui/hover_info.h"
#include "ui/interface_assets.h"
#include "ui/interface_frame.h"
#include "ui/ui_services.h"
#include "visuals/frame_draw.h"
#include "visuals/interface_task.h"

namespace {

// Until the panels' own classes exist, the HUD shows the panels that are
// always up open and the others closed (their tabs open them).
constexpr HudModel kOpenAtStart[] = {kHudNavigator, kHudViewButton, kHudCityOverview, kHudTime};

void LoadInterface() {
  Ui().renderer = nullptr;  // the program's renderer
  int32_t width = 640, height = 480;
  InterfaceLayoutSize(g_RendererSettings.width, g_RendererSettings.height, width, height);
  SetInterfaceScreenSize(width, height);
  LoadInterfaceAssets(g_StartupOptions.languageName, g_RendererSettings.width);
}

void CreateHud() {
  GamePanels().CreatePanels();
  for (HudModel m : kOpenAtStart) GamePanels().Panel(m)->Open();
  RequestCursor(kCursorPointer, 1);
}

void FollowGameState() {
  Ui().gameRunning = RunState().gameRunning;
  Ui().gamePaused = GamePauseState().Paused();
}

}  // namespace

void WireInterface() {
  // --- interface wiring: assets before the texture pages are packed --------
  AddStartStep(StartPhase::AfterRenderer, LoadInterface);
  // --- interface wiring: the HUD once the game's systems are up ------------
  AddStartStep(StartPhase::AfterPause, CreateHud);
  AddStartStep(StartPhase::FirstScreen,
               [] { SetHardwareCursorMode(PlayerProfile().HardwareCursor != 0); });
  // --- interface wiring: input, hover and refresh tasks --------------------
  AddTaskStep(GameTask::Interface, [] {
    FollowGameState();
    RunInterfaceInput(TheInputDevice());
    // Clicks on the panels are not clicks on the city.
    RunState().pointerOverPanels = GamePanels().IsMouseOverPanels() ? 1 : 0;
  });
  AddResetStep([] {
    GamePanels().ResetPanels();
    GamePanels().RefreshAll();
  });
  AddTaskStep(GameTask::Hover, DecayCursorPriority);
  AddTaskStep(GameTask::PanelRefresh, [] { GamePanels().RefreshAll(); });
  PauseSwitch().SetProc([](bool on) {
    if (on) {
      GamePauseState().AddReason(3);
      GameSound().PauseAll();
    } else {
      GamePauseState().RemoveReason(3);
      GameSound().ResumeAll(GamePauseState().Count(3));
    }
  });
  // --- interface wiring: drawn in the world's frame, by its overlay pass ------
  Overlay().drawPanels = DrawInterface;
  // --- presentation: the interface task's keys reach the panels -------------
  InterfaceTaskHooks().mouseOverPanels = [] { return GamePanels().IsMouseOverPanels(); };
  InterfaceTaskHooks().togglePauseSwitch = [] { PauseSwitch().Toggle(); };
  AddShutdownStep(ShutdownPhase::AfterWindow, DestroySystemCursors);
}
