#include "app/interface_wiring.h"

#include "app/card_commands.h"
#include "app/front_end_wiring.h"

#include "ai/computer_player.h"
#include "city/blocks.h"
#include "city/buildings.h"
#include "city/city_entities.h"
#include "engine/core/console.h"
#include "engine/core/run_state.h"
#include "engine/core/system_settings.h"
#include "engine/input/input_device.h"
#include "panels/chat_panel.h"
#include "panels/hud_panels.h"
#include "panels/panel_events.h"
#include "panels/panel_links.h"
#include "platform/input.h"
#include "engine/render/renderer_settings.h"
#include "script/profiles.h"
#include "session/chance_cards.h"
#include "session/player.h"
#include "session/session_state.h"
#include "session/tutorial.h"
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
#include "visuals/overlay/frame_draw.h"
#include "visuals/camera/city_picking.h"
#include "visuals/overlay/interface_task.h"
#include "engine/core/overrides.h"

namespace {

// The panels that are always up; the others open when asked (the stand-ins
// of panels still to come by their tabs). The ticker opens itself.
constexpr HudModel kOpenAtStart[] = {kHudNavigator, kHudViewButton, kHudTime};
// The console's key: the one left of 1.
constexpr uint8_t kConsoleKey = 0x29;
// The chance card's key (C), as the time panel's card icon.
constexpr uint8_t kCardKey = 0x2E;
constexpr uint8_t kConsoleKeyChar = '`';

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

// A line's building, when it still stands; null otherwise.
CBuilding* LinkedBuilding(int32_t id) {
  CBuilding* b = id >= 0 ? GetBuilding(id) : nullptr;
  return b && b->InUse ? b : nullptr;
}

// What the widgets ask of the game. A line link leaves the plan view the
// way the Tab key does (the camera comes back with it), then selects its
// block (and building) as a click in the city would. The widgets' tutorial
// events (the navigator's block, a line link) reach the running lesson.
class GameUiSide : public UiGame {
 public:
  void PlaySample(const char* name) override { PlaySoundSample(name, false, false, false, true, 100); }
  int32_t ScreenMode() override { return GetScreenMode(); }
  void SetScreenMode(int32_t mode) override {
    if (mode == 0 && GetScreenMode() == 3) TogglePlanView();
    else ::SetScreenMode(mode);
  }
  bool ObjectExists(const UiObjectRef& ref) override {
    return ref.kind == kHoverBlock && ref.index >= 0 && ref.index < kBlockCount;
  }
  void SelectObject(const UiObjectRef& ref, int32_t building) override {
    CEntity* block = ref.kind == kHoverBlock ? BlockBaseEntities().GetEntity(ref.index) : nullptr;
    if (!block) return;
    SelectedObject() = nullptr;
    g_SelectedBuilding = nullptr;
    HoveredObject() = block;
    g_HoveredBuilding = LinkedBuilding(building);
    // The first commit swaps the panels for the selection's; the second
    // settles the camera and the page on it.
    CommitPickSelection(false);
    CommitPickSelection(false);
  }
  void SetHoveredBuilding(int32_t building) override { g_HoveredBuilding = LinkedBuilding(building); }
  void FireTutorialEvent(int32_t event) override { ::FireTutorialEvent(event); }
};
// Every method the game needs has its own body here (checked when built).
RC_OVERRIDES(GameUiSide, UiGame, PlaySample);
RC_OVERRIDES(GameUiSide, UiGame, ScreenMode);
RC_OVERRIDES(GameUiSide, UiGame, SetScreenMode);
RC_OVERRIDES(GameUiSide, UiGame, ObjectExists);
RC_OVERRIDES(GameUiSide, UiGame, SelectObject);
RC_OVERRIDES(GameUiSide, UiGame, SetHoveredBuilding);
RC_OVERRIDES(GameUiSide, UiGame, FireTutorialEvent);

void FillWidgetLinks() {
  static GameUiSide side;
  Ui().game = &side;
}

}  // namespace

void LoadInterface() {
  Ui().renderer = nullptr;  // the program's renderer
  int32_t width = 640, height = 480;
  InterfaceLayoutSize(g_RendererSettings.width, g_RendererSettings.height, width, height);
  SetInterfaceScreenSize(width, height);
  LoadInterfaceAssets(g_StartupOptions.languageName, g_RendererSettings.width);
  LoadAuctionLayouts();
  LoadGalleryLayout();
}

void CreateHud() {
  CreateHudPanelSets();
  for (HudModel m : kOpenAtStart) GamePanels().Panel(m)->Open();
  AuctionPanels().Panel(kAuctionSetTime)->Open();
  FollowScreenMode(GetScreenMode());
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

namespace {

bool MouseOverPanels() { return GamePanels().IsMouseOverPanels() || AuctionPanels().IsMouseOverPanels(); }

// The console's key opens and closes it over a running game; its own
// character is never typed into it.
void RunConsoleKey() {
  if (KeyPressed(kConsoleKey) && RunState().gameRunning && GetScreenMode() != kScreenMenu) ToggleConsole();
  if (!IsConsoleOpen()) return;
  // The characters typed since the last step, without the key's own.
  if (CInputDevice* device = TheInputDevice())
    while (device->HasChars()) Ui().chars.push_back(device->PopChar());
  std::erase(Ui().chars, kConsoleKeyChar);
}

// C shows the local player's held card over the city, as its icon does.
void RunCardKey() {
  if (!KeyPressed(kCardKey) || !RunState().gameRunning || IsConsoleOpen() || HudPanels().chat.open) return;
  const int32_t mode = GetScreenMode();
  if (mode == kScreenMenu || mode == kScreenAuction) return;
  ShowLocalHeldCard();
}

// Return opens the chat over a running network game (unless it answers a
// prompt); the key's own character is not typed into it.
void RunChatKey() {
  using platform::key::kReturn;
  // A prompt on screen takes Return as its answer.
  if (!KeyPressed(kReturn) || !RunState().gameRunning || IsConsoleOpen() || HudPanels().chat.open ||
      CurrentPrompt().open)
    return;
  const int32_t mode = GetScreenMode();
  if (mode != kScreenCity && mode != kScreenPlan) return;
  OpenChatToEverybody();
  if (!HudPanels().chat.open) return;
  if (CInputDevice* device = TheInputDevice())
    while (device->HasChars()) device->PopChar();
}

}  // namespace

void RunInterfaceTask() {
  FollowGameState();
  FollowScreenMode(GetScreenMode());
  RunConsoleKey();
  RunChatKey();
  RunCardKey();
  // The ticker keeps pace with the logic: at fast speed it counts four
  // times a step, while the panels read the frame's input once.
  RunInterfaceInput(TheInputDevice(), Session().ticksPerCall,
                    RunState().gameRunning ? TickHudPanels : nullptr);
  AuctionPanels().ProcessInput();
  // Clicks on the panels are not clicks on the city, nor is a click that a
  // panel took and closed under.
  RunState().pointerOverPanels = MouseOverPanels() || Ui().mouseTaken ? 1 : 0;
}

void ResetInterface() { ResetHudPanels(); }

namespace {

// The HUD's panel objects in their sets' slots (with what a click in the
// city opens) and the screen modes' switch of the sets.
void AttachHudPanels() {
  HudPanels();
  InstallHudPanels();
  SetScreenModePanels(&HudScreenModePanels());
}

// The program's panels as the overlay and the interface keys see them.
class GameInterfacePanels : public InterfacePanels {
 public:
  // Drawn in the world's frame, by its overlay pass; the auction room's set
  // (shown instead of the HUD's) under the HUD's, the front end over both.
  void Draw() override {
    DrawInterface([] {
      // The chat line belongs to the city's screens: the front end (the
      // lobby has its own chat box) never shows it.
      if (RunState().gameRunning && GetScreenMode() != kScreenMenu) DrawChatOverlay();
      AuctionPanels().Draw();
    }, DrawFrontEnd);
  }
  bool FrontEndPageOpen() override { return AnyFrontEndPageOpen(); }
  // Keys typed into the console or the chat are not the game's keys.
  bool Typing() override { return IsConsoleOpen() || HudPanels().chat.open; }
  bool MouseOverPanels() override { return ::MouseOverPanels(); }
  void ViewChanged() override { HudPanels().viewButtons.UpdateIcon(); }
};
// Every method the game needs has its own body here (checked when built).
RC_OVERRIDES(GameInterfacePanels, InterfacePanels, Draw);
RC_OVERRIDES(GameInterfacePanels, InterfacePanels, FrontEndPageOpen);
RC_OVERRIDES(GameInterfacePanels, InterfacePanels, Typing);
RC_OVERRIDES(GameInterfacePanels, InterfacePanels, MouseOverPanels);
RC_OVERRIDES(GameInterfacePanels, InterfacePanels, ViewChanged);

}  // namespace

// A level starts, and a game loads, with the selection's information (not
// over the plan view, which shows the city overview in its place) and the
// statistics open; the time panel never closes.
void OpenLevelPanels() {
  if (GetScreenMode() != kScreenPlan) HudPanels().selection.Open();
  HudPanels().stats.Open();
}

void AttachInterface() {
  FillWidgetLinks();
  RegisterConsoleCommand("WIDGETPANEL", WidgetPanelCommand);
  static GameInterfacePanels panels;
  SetInterfacePanels(&panels);
  AttachHudPanels();
}
