#include "app/interface_wiring.h"

#include "app/chat_overlay.h"
#include "app/front_end_wiring.h"

#include "city/blocks.h"
#include "engine/core/console.h"
#include "engine/core/run_state.h"
#include "engine/core/system_settings.h"
#include "engine/input/input_device.h"
#include "engine/render/renderer_settings.h"
#include "script/profiles.h"
#include "shell/startup.h"
#include "sound/game_sound.h"
#include "ui/cursors.h"
#include "ui/game_panels.h"
#include "ui/hover_info.h"
#include "ui/interface_assets.h"
#include "ui/interface_controls.h"
#include "ui/interface_frame.h"
#include "ui/layout_model.h"
#include "ui/ui_services.h"
#include "ui/widget_gallery.h"
#include "visuals/frame_draw.h"
#include "visuals/interface_task.h"

namespace {

// Until the panels' own classes exist, the HUD shows the panels that are
// always up open and the others closed (their tabs open them).
constexpr HudModel kOpenAtStart[] = {kHudNavigator, kHudViewButton, kHudCityOverview, kHudTime};

// The widget gallery (the WIDGETPANEL command): its layout is loaded with the
// interface's, the panel joins the HUD set the first time it is asked for.
struct WidgetGallery {
  std::vector<LayoutModel> layout;
  CWidgetGalleryPanel panel;
  bool added = false;
  bool hudMade = false;
  bool wanted = false;  // asked for before the HUD was made
};

WidgetGallery& Gallery() {
  static WidgetGallery gallery;
  return gallery;
}

void LoadGalleryLayout() {
  const char* const names[] = {kWidgetGalleryLayout};
  LoadLayoutModels(names, Gallery().layout);
}

void ToggleWidgetGallery() {
  WidgetGallery& g = Gallery();
  if (!g.added) {
    const LayoutModel* model = g.layout.empty() ? nullptr : &g.layout[0];
    GamePanels().AddPanelWithModel(&g.panel, model, nullptr, "DRAGBAR");
    g.added = true;
  }
  if (g.panel.open) {
    g.panel.Close();
    return;
  }
  g.panel.Open();
  GamePanels().MoveToFront(&g.panel);
}

// Toggles the gallery; from config.cfg (read twice at start-up) it opens it
// once the HUD is made.
int WidgetPanelCommand(const char*) {
  if (Gallery().hudMade) ToggleWidgetGallery();
  else Gallery().wanted = true;
  return 0;
}

// What the widgets ask of the game. A line link leaves the plan view the
// way the Tab key does (the camera comes back with it); selecting the linked
// object and the tutorial's event wait for their subsystems.
void FillWidgetLinks() {
  UiGameLinks& links = Ui().links;
  links.playSample = [](const char* name) { PlaySoundSample(name, false, false, false, true, 100); };
  links.screenMode = [] { return GetScreenMode(); };
  links.setScreenMode = [](int32_t mode) {
    if (mode == 0 && GetScreenMode() == 3) TogglePlanView();
    else SetScreenMode(mode);
  };
  links.objectExists = [](const UiObjectRef& ref) {
    return ref.kind == kHoverBlock && ref.index >= 0 && ref.index < kBlockCount;
  };
}

}  // namespace

void LoadInterface() {
  Ui().renderer = nullptr;  // the program's renderer
  int32_t width = 640, height = 480;
  InterfaceLayoutSize(g_RendererSettings.width, g_RendererSettings.height, width, height);
  SetInterfaceScreenSize(width, height);
  LoadInterfaceAssets(g_StartupOptions.languageName, g_RendererSettings.width);
  LoadGalleryLayout();
}

void CreateHud() {
  GamePanels().CreatePanels();
  for (HudModel m : kOpenAtStart) GamePanels().Panel(m)->Open();
  RequestCursor(kCursorPointer, 1);
  Gallery().hudMade = true;
  if (Gallery().wanted) ToggleWidgetGallery();
}

namespace {

void FollowGameState() {
  Ui().gameRunning = RunState().gameRunning;
  Ui().gamePaused = GamePauseState().Paused();
}

}  // namespace

void ApplyCursorMode() { SetHardwareCursorMode(PlayerProfile().HardwareCursor != 0); }

void RunInterfaceTask() {
  FollowGameState();
  RunInterfaceInput(TheInputDevice());
  // Clicks on the panels are not clicks on the city.
  RunState().pointerOverPanels = GamePanels().IsMouseOverPanels() ? 1 : 0;
}

void ResetInterface() {
  // A new game starts with no tutorial's locks.
  EnableAllHudControls();
  GamePanels().ResetPanels();
  GamePanels().RefreshAll();
}

void AttachInterface() {
  FillWidgetLinks();
  RegisterConsoleCommand("WIDGETPANEL", WidgetPanelCommand);
  PauseSwitch().SetProc([](bool on) {
    if (on) {
      GamePauseState().AddReason(3);
      GameSound().PauseAll();
    } else {
      GamePauseState().RemoveReason(3);
      GameSound().ResumeAll(GamePauseState().Count(3));
    }
  });
  // Drawn in the world's frame, by its overlay pass.
  Overlay().drawPanels = [] { DrawInterface(DrawChatOverlay, DrawFrontEnd); };
  // The interface task's keys reach the panels.
  InterfaceTaskHooks().mouseOverPanels = [] { return GamePanels().IsMouseOverPanels(); };
  InterfaceTaskHooks().togglePauseSwitch = [] { PauseSwitch().Toggle(); };
}
