#include "app/interface_wiring.h"

#include "city/blocks.h"
#include "engine/core/console.h"
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
#include "ui/layout_model.h"
#include "ui/ui_services.h"
#include "ui/widget_gallery.h"

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

// What the widgets ask of the game. Selection and the tutorial are not
// there yet, so a line link switches the view back to the city only.
void FillWidgetLinks() {
  UiGameLinks& links = Ui().links;
  links.playSample = [](const char* name) { PlaySoundSample(name, false, false, false, true, 100); };
  links.screenMode = [] { return GameTime().screenMode; };
  links.setScreenMode = [](int32_t mode) { GameTime().screenMode = mode; };
  links.objectExists = [](const UiObjectRef& ref) {
    return ref.kind == kHoverBlock && ref.index >= 0 && ref.index < kBlockCount;
  };
}

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

void FollowGameState() {
  Ui().gameRunning = RunState().gameRunning;
  Ui().gamePaused = GamePauseState().Paused();
}

}  // namespace

void DrawInterfaceFrame() {
  CRenderer* renderer = CurrentRenderer();
  if (renderer == nullptr || !renderer->BeginFrame()) return;
  renderer->SetClearFlags(true, true);
  renderer->Clear();
  renderer->BeginOverlay();
  DrawInterface();
  renderer->EndOverlay();
  renderer->EndFrame();
  renderer->Present();
}

void WireInterface() {
  FillWidgetLinks();
  RegisterConsoleCommand("WIDGETPANEL", WidgetPanelCommand);
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
  // --- interface wiring: drawn after the world ------------------------------
  AddLoopStep(LoopPhase::Draw, DrawInterfaceFrame);
  AddShutdownStep(ShutdownPhase::AfterWindow, DestroySystemCursors);
}
