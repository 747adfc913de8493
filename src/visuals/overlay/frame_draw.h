#pragma once
// The frame draw driver: RenderFrame draws a whole frame in a fixed order
// (sky and light colours, camera, fog, the scene of the draw mode, the
// overlay, present). The screen mode decides the scene, which panel sets are
// shown and, for the plan view, where the camera goes.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/ui_rect.h"

class CRenderer;
class CEntity;
class CSpriteBatch;

enum ScreenMode : int32_t {
  kScreenCity = 0,
  kScreenAuction = 1,
  kScreenBlank = 2,
  kScreenPlan = 3,
  kScreenMenu = 4,
};
// Draw modes: 0 city, 1 auction room, 2 the renderer's special scene, 3 plan view.
enum DrawMode : int32_t { kDrawCity = 0, kDrawAuction = 1, kDrawSpecial = 2, kDrawPlan = 3 };

// The in-game panels a screen mode opens and closes, and the three panel
// managers it switches. The panels live elsewhere; without them nothing is
// shown (every query answers "closed").
enum class ModePanel {
  Construction, Rent, Business, SelectionInfo, Navigator, NavigatorButton, BlockMarkers,
  CityOverview,
};
class ScreenModePanels {
 public:
  virtual ~ScreenModePanels() = default;
  virtual bool IsOpen(ModePanel) { return false; }
  virtual void Open(ModePanel) {}
  virtual void Close(ModePanel) {}
  // Front end, in-game, auction screen: which set takes input and is drawn.
  virtual void SetManagers(bool /*frontEnd*/, bool /*inGame*/, bool /*auction*/) {}
};
void SetScreenModePanels(ScreenModePanels* panels);  // null: none
ScreenModePanels* CurrentScreenModePanels();          // null when none

int32_t GetScreenMode();
int32_t GetDrawMode();
// Switches and returns the previous screen mode.
int32_t SetScreenMode(int32_t mode);
// What the plan view remembers of the panels open when it was entered.
struct PlanViewMemory {
  bool selectionInfo = false;
  bool business = false;
};
const PlanViewMemory& PlanMemory();
void ResetScreenModes();

// The near plane for an eye height: 1 below 15, else a tenth of the height
// but at least 4.
float NearPlaneForEye(float eyeHeight);
inline constexpr float kFarPlane = 3000.0f;
// Hands the drawn camera (the locked one's view while LOCKCAM holds) to the
// renderer and sets the depth range.
void SetupFrameCamera(CRenderer& renderer);

// Reloads the road textures from "gamedata\roadtextures\road_<year>_<A|B>.tga"
// when the decade changed (decades past 7 count as 7). Only the hardware
// renderer keeps its pages in the device; a missing or short file is
// reported and its page left as it was. True when a load was done.
bool LoadDecadeTextures(CRenderer* renderer, int32_t decade, bool hardware);
// The same into the pages of the two given texture slots (A, B).
bool LoadDecadeTextures(CRenderer* renderer, int32_t decade, bool hardware, int32_t roadA,
                        int32_t roadB);
int32_t LastRoadDecade();
void ResetRoadDecade();
// The road file of decade d (0..7), variant 0 (A) or 1 (B).
std::string RoadTextureFile(int32_t decade, int32_t variant);

// Draws one frame on the program's renderer and presents it.
void RenderFrame();
// The same without presenting (the screenshot reads the frame first); false
// when the frame was skipped before the renderer was asked to draw.
bool DrawFrame();

// What the overlay and the interface keys need of the interface above them
// (the HUD's and the auction room's panel sets, the front end's pages, the
// chat and the console). The program installs its own at start; this base
// is the null form: nothing drawn, no panel in the way.
class InterfacePanels {
 public:
  virtual ~InterfacePanels() = default;
  // The panel sets, drawn in the 640 x 480 layout space.
  virtual void Draw() {}
  // A front-end page is open (it takes the Tab key).
  virtual bool FrontEndPageOpen() { return false; }
  // Keys go into the console or the chat, not to the game.
  virtual bool Typing() { return false; }
  virtual bool MouseOverPanels() { return false; }
  // The view switched between the city and the plan view.
  virtual void ViewChanged() {}
};
void SetInterfacePanels(InterfacePanels* panels);  // null: the null form
InterfacePanels& CurrentInterfacePanels();

struct OverlayLine {
  float x, y;
  std::string text;
};
// The DEBUGTEXT lines for the given statistics.
std::vector<OverlayLine> DebugTextLines(int32_t mouseX, int32_t mouseY, float frameRate,
                                        int32_t lastTriangles);
int32_t LastTriangleCount();
void DrawOverlay(CRenderer& renderer);
// One line of white interface text (font 0) at a point of the 640 x 480 layout.
void DrawOverlayText(float x, float y, std::string_view text);
// The pause line: text 1759 while pause reason 2 is raised, else 1133 while
// reason 3 is; nothing otherwise or while no game runs.
int32_t PauseMessageTextId();
// The red strip behind a pause line `textWidth` wide: the bottom 30 rows,
// as wide as the text with a margin and centred, so that it stays between
// the statistics and selection panels rather than over their last lines.
UIRect PauseStripRect(float textWidth);
void DrawPauseMessage(CRenderer& renderer);

// Scrolls the entity's texture coordinates with game time (water-like
// surfaces) and draws it.
void DrawScrollingUvEntity(CEntity& entity, float gameTime);

// The four sprite batches of the game start.
CSpriteBatch* SpriteBatches();
void CreateSpriteBatches(CRenderer* renderer, int32_t firstShaderTexturePage);
void DestroySpriteBatches();
