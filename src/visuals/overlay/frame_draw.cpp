#include "visuals/overlay/frame_draw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/core/debug_flags.h"
#include "engine/core/error.h"
#include "engine/core/maths.h"
#include "engine/core/system_settings.h"
#include "engine/input/camera_controller.h"
#include "engine/input/input_device.h"
#include "engine/render/renderer.h"
#include "engine/render/sprite_batch.h"
#include "engine/scene/entity.h"
#include "engine/scene/model.h"
#include "engine/scene/texture.h"
#include "platform/paths.h"
#include "session/game_clock.h"
#include "session/session_state.h"
#include "engine/core/run_state.h"
#include "ui/glyph_batcher.h"
#include "ui/layout_model.h"
#include "ui/text_rect.h"
#include "visuals/scene/auction_room.h"
#include "visuals/camera/city_picking.h"
#include "visuals/scene/city_scene.h"
#include "visuals/overlay/cut_scene.h"
#include "visuals/scene/scene_passes.h"
#include "visuals/scene/draw_distances.h"
#include "visuals/scene/fireworks.h"
#include "visuals/camera/game_camera.h"
#include "visuals/scene/night_windows.h"
#include "visuals/scene/shader_table.h"
#include "visuals/scene/sky.h"
#include "visuals/overlay/tutor_figure.h"

namespace {

constexpr int32_t kDecades = 8;
constexpr int32_t kTgaHeader = 18;
constexpr int32_t kRoadSide = 256;
constexpr size_t kRoadBytes = 0x40000;
constexpr uint32_t kPauseStripColour = 0xB4FF0000;
constexpr int32_t kPauseTextWaiting = 1759;
constexpr int32_t kPauseTextSwitch = 1133;

struct FrameState {
  // The screen mode itself is the shell's game-time word (saved with the
  // game); the scene kept behind the menu is ours.
  int32_t menuScene = kDrawCity;
  PlanViewMemory memory;
  ScreenModePanels* panels = nullptr;
  int32_t roadDecade = -1;
  int32_t lastTriangles = 0;
};

FrameState& Frame() {
  static FrameState state;
  return state;
}

ScreenModePanels& Panels() {
  static ScreenModePanels none;
  return Frame().panels ? *Frame().panels : none;
}

void CloseIfOpen(ScreenModePanels& p, ModePanel panel) {
  if (p.IsOpen(panel)) p.Close(panel);
}

void EnterPlanView(ScreenModePanels& p, int32_t previous) {
  // What was open in the city view is taken before anything closes, so the
  // city view can put it back (taken after the closes it would always read
  // "selection open, business closed").
  // The construction panel closes here as by its cancel, and every way out
  // of it brings the block's information back: so it counts as that.
  if (previous == kScreenCity)
    Frame().memory = {p.IsOpen(ModePanel::SelectionInfo) || p.IsOpen(ModePanel::Construction),
                      p.IsOpen(ModePanel::Business)};
  CloseIfOpen(p, ModePanel::Construction);
  CloseIfOpen(p, ModePanel::Rent);
  CloseIfOpen(p, ModePanel::Business);
  p.Open(ModePanel::SelectionInfo);
  p.Open(ModePanel::BlockMarkers);
  p.Open(ModePanel::CityOverview);
  CloseIfOpen(p, ModePanel::SelectionInfo);
  CloseIfOpen(p, ModePanel::Navigator);
  p.SetManagers(false, true, false);
  CamSetPlanView(-220, 1050, -30);
  CamSetMode(4);
}

void EnterCityView(ScreenModePanels& p, int32_t previous) {
  if (previous == kScreenPlan) {
    if (Frame().memory.selectionInfo) p.Open(ModePanel::SelectionInfo);
    if (Frame().memory.business) p.Open(ModePanel::Business);
  }
  CloseIfOpen(p, ModePanel::CityOverview);
  CloseIfOpen(p, ModePanel::BlockMarkers);
  p.Open(ModePanel::NavigatorButton);
  p.Open(ModePanel::Navigator);
  p.SetManagers(false, true, false);
}

bool SameView(const CameraState& c) {
  return c.drawnEye.x == c.drawnLookAt.x && c.drawnEye.y == c.drawnLookAt.y &&
         c.drawnEye.z == c.drawnLookAt.z;
}

void DrawPlanView(CRenderer& r) {
  SetDrawRangesUnlimited();
  r.DisableFog();
  r.DisableLighting();     // operation 43: the board and the overlay models unlit
  r.DisableDepthWrite();   // operation 58: the board lies under everything
  r.SetShader(kShaderModulate);
  DrawPlanViewPasses(r);
  r.SetShader(kShaderNoDepth);
  r.SetShader(kShaderModulate);
}

bool IsHardwareRenderer() { return g_RendererSettings.api == kApiDirect3D; }


float& DetailPercent() {
  static float percent = 100.0f;
  return percent;
}

// Reads one decade picture into its texture's page; false (reported) when
// the file is missing, short or not a 256 x 256 32-bit picture.
bool LoadRoadPage(CRenderer* renderer, const std::string& file, int32_t slot,
                  std::vector<uint8_t>& buffer) {
  const CTexture* texture = TexSysGetTexture(slot);
  if (!texture) return false;
  const int32_t page = texture->pageIndex;
  uint32_t* pixels = TexSysPagePixels(page);
  const int32_t side = TexSysPageSize(page);
  if (!pixels || side <= 0 || side > kRoadSide) return false;
  std::FILE* f = platform::OpenGameFile(file, "rb");
  uint8_t header[kTgaHeader] = {};
  const bool read = f && std::fread(header, 1, kTgaHeader, f) == size_t(kTgaHeader) &&
                    std::fread(buffer.data(), 1, kRoadBytes, f) == kRoadBytes;
  if (f) std::fclose(f);
  const int32_t width = header[12] | header[13] << 8, height = header[14] | header[15] << 8;
  if (!read || header[2] != 2 || header[16] != 32 || width != kRoadSide || height != kRoadSide) {
    ReportErrorF(1, "The road texture %s is missing or damaged; the road keeps its surface.",
                 file.c_str());
    return false;
  }
  TexSysMarkPageUsed(page);
  auto* image = reinterpret_cast<uint32_t*>(buffer.data());
  for (int32_t w = kRoadSide; w > side; w /= 2) TexSysHalveImage(image, w, w);
  for (int32_t i = 0; i < side * side; ++i) {
    const uint8_t* p = buffer.data() + 4 * size_t(i);
    uint8_t* to = reinterpret_cast<uint8_t*>(pixels + i);
    to[0] = p[2], to[1] = p[1], to[2] = p[0], to[3] = p[3];
  }
  if (renderer) renderer->DownloadTexturePage(page);
  return true;
}

}  // namespace

// ---- Screen modes -------------------------------------------------------------

void SetScreenModePanels(ScreenModePanels* panels) { Frame().panels = panels; }
ScreenModePanels* CurrentScreenModePanels() { return Frame().panels; }
int32_t GetScreenMode() { return GameTime().screenMode; }
int32_t GetDrawMode() {
  const int32_t mode = GetScreenMode();
  return mode == kScreenMenu ? Frame().menuScene : mode;
}
const PlanViewMemory& PlanMemory() { return Frame().memory; }

void ResetScreenModes() {
  ScreenModePanels* panels = Frame().panels;
  Frame() = FrameState{};
  Frame().panels = panels;
  GameTime().screenMode = kScreenCity;
}

int32_t SetScreenMode(int32_t mode) {
  FrameState& f = Frame();
  const int32_t previous = GetScreenMode();
  GameTime().screenMode = mode;
  if (mode == kScreenMenu)
    f.menuScene = previous == kScreenAuction ? kDrawAuction : previous == kScreenPlan ? kDrawPlan : kDrawCity;
  ScreenModePanels& p = Panels();
  switch (mode) {
    case kScreenAuction: p.SetManagers(false, false, true); break;
    case kScreenPlan: EnterPlanView(p, previous); break;
    case kScreenMenu: p.SetManagers(true, false, false); break;
    default: EnterCityView(p, previous); break;
  }
  return previous;
}

// ---- Camera -------------------------------------------------------------------

float NearPlaneForEye(float eyeHeight) {
  if (eyeHeight < 15.0f) return 1.0f;
  return std::max(eyeHeight * 0.1f, 4.0f);
}

void SetupFrameCamera(CRenderer& r) {
  const CameraState& live = g_CameraState;
  if (CameraLocked()) {
    // The view shows the locked camera; culling follows the live one.
    const CameraState& lock = LockedCameraState();
    r.SetCameraPosition(lock.drawnEye.x, lock.drawnEye.y, lock.drawnEye.z);
    r.SetCameraTarget(lock.drawnLookAt.x, lock.drawnLookAt.y, lock.drawnLookAt.z);
    r.Reserved32(1);
    EntBeginFrame();
  }
  r.SetCameraPosition(live.drawnEye.x, live.drawnEye.y, live.drawnEye.z);
  r.SetCameraTarget(live.drawnLookAt.x, live.drawnLookAt.y, live.drawnLookAt.z);
  r.SetCameraUp(live.up.x, live.up.y, live.up.z);
  r.Reserved32(1);
  EntBeginFrame();
  r.UpdateCamera();
  r.SetDepthRange(NearPlaneForEye(live.drawnEye.y), kFarPlane);
  r.UpdateViewVolume();
}

// ---- Road textures ------------------------------------------------------------

std::string RoadTextureFile(int32_t decade, int32_t variant) {
  char name[64];
  std::snprintf(name, sizeof name, "gamedata\\roadtextures\\road_%d_%c.tga", 1930 + 10 * decade,
                variant ? 'B' : 'A');
  return name;
}

int32_t LastRoadDecade() { return Frame().roadDecade; }
void ResetRoadDecade() { Frame().roadDecade = -1; }

bool LoadDecadeTextures(CRenderer* renderer, int32_t decade, bool hardware) {
  const PresentationTextures& t = PresentationTextureSlots();
  return LoadDecadeTextures(renderer, decade, hardware, t.roadA, t.roadB);
}

bool LoadDecadeTextures(CRenderer* renderer, int32_t decade, bool hardware, int32_t roadA,
                        int32_t roadB) {
  if (!hardware) return false;
  const int32_t d = std::clamp(decade, 0, kDecades - 1);
  if (d == Frame().roadDecade) return false;
  std::vector<uint8_t> buffer(kRoadBytes);
  const int32_t slots[2] = {roadA, roadB};
  for (int32_t i = 0; i < 2; ++i) LoadRoadPage(renderer, RoadTextureFile(d, i), slots[i], buffer);
  Frame().roadDecade = d;
  return true;
}

// ---- The frame ------------------------------------------------------------------

void RenderFrame() {
  if (DrawFrame())
    if (CRenderer* r = GetRenderer()) r->Present();
}

bool DrawFrame() {
  MathInitSineTable();
  SetDrawRangesUnlimited();
  SetDetailFactor(DetailPercent());
  CRenderer* r = GetRenderer();
  if (!r || !RunState().drawingEnabled) return false;
  if (SameView(g_CameraState)) return false;
  UpdateSunColours();
  LoadDecadeTextures(r, GameClock().decade, IsHardwareRenderer());
  ApplyPendingLightChange(r);
  const int32_t mode = GetDrawMode();
  r->SetClearEnable(mode == kDrawPlan, true);
  r->Clear();
  if (r->BeginFrame()) {
    SetupFrameCamera(*r);
    const SkyState& sky = Sky();
    r->SetDepthAndFogRanges(sky.sky, SkyFogStart(), SkyFogEnd(), 0.01f);
    r->SetShader(kShaderStartOfFrame);
    r->SetShader(kShaderModulate);
    // The sun's colour is also the highlight step, so lit faces that catch
    // the light (and models drawn with highlights) brighten towards it; the
    // fifth value is not read by the renderers.
    r->SetColourRamps(sky.sun, sky.ambient, sky.sun, 0, 8, 1.0f, sky.sunDirection.x,
                      sky.sunDirection.y, sky.sunDirection.z, 0);
    switch (mode) {
      case kDrawCity:
        DrawCityPasses(*r, IsHardwareRenderer());
        FireworksShow().Draw(*r);
        break;
      case kDrawAuction: DrawAuctionRoom(*r, IsHardwareRenderer()); break;
      case kDrawSpecial: r->DrawSpecial(); break;
      case kDrawPlan: DrawPlanView(*r); break;
      default: break;
    }
    if (mode == kDrawCity || mode == kDrawPlan) DrawLotDragOutline();
    DrawOverlay(*r);
    r->EndFrame();
  }
  return true;
}

// ---- Overlay ----------------------------------------------------------------------

namespace {

InterfacePanels*& InstalledPanels() {
  static InterfacePanels* panels = nullptr;
  return panels;
}

}  // namespace

void SetInterfacePanels(InterfacePanels* panels) { InstalledPanels() = panels; }

InterfacePanels& CurrentInterfacePanels() {
  static InterfacePanels none;
  return InstalledPanels() ? *InstalledPanels() : none;
}

int32_t LastTriangleCount() { return Frame().lastTriangles; }

std::vector<OverlayLine> DebugTextLines(int32_t mouseX, int32_t mouseY, float frameRate,
                                        int32_t lastTriangles) {
  const RendererStats& s = GetRendererStats();
  const CameraState& c = g_CameraState;
  char b[128];
  std::vector<OverlayLine> lines;
  auto add = [&](float x, float y) { lines.push_back({x, y, b}); };
  std::snprintf(b, sizeof b, "NormMouse %i %i\n", mouseX, mouseY), add(470, 400);
  std::snprintf(b, sizeof b, "framerate:- %f\n", double(frameRate)), add(470, 410);
  std::snprintf(b, sizeof b, "polycount:- %i\n", lastTriangles), add(470, 420);
  std::snprintf(b, sizeof b, "polys/sec:- %3.2fmillion\n",
                double(float(lastTriangles) * frameRate * 0.000001f)), add(470, 430);
  std::snprintf(b, sizeof b, "Verts Submitted :- %i\n", s.verticesSubmitted), add(5, 15);
  std::snprintf(b, sizeof b, "Tris Submitted  :- %i\n", s.indexTotal / 3), add(5, 25);
  std::snprintf(b, sizeof b, "DIPCalls        :- %i\n", s.drawCalls), add(5, 35);
  std::snprintf(b, sizeof b, "AvVertsPerCall  :- %i\n",
                s.drawCalls ? s.verticesSubmitted / s.drawCalls : 0), add(5, 45);
  std::snprintf(b, sizeof b, "FVFChanges      :- %i\n", s.vertexFormatChanges), add(5, 60);
  std::snprintf(b, sizeof b, "StateChanges    :- %i\n", s.stateChanges), add(5, 70);
  std::snprintf(b, sizeof b, "TexChanges      :- %i\n", s.textureChanges), add(5, 80);
  std::snprintf(b, sizeof b, "VBLocks(Discard):-%i\n", s.discardLocks), add(5, 95);
  std::snprintf(b, sizeof b, "VBLocks(OverW):-%i\n", s.noOverwriteLocks), add(5, 105);
  std::snprintf(b, sizeof b, " CamPos(%f, %f, %f)\n", double(c.drawnEye.x), double(c.drawnEye.y),
                double(c.drawnEye.z)), add(10, 450);
  std::snprintf(b, sizeof b, "CamTarg(%f, %f, %f)\n", double(c.drawnLookAt.x),
                double(c.drawnLookAt.y), double(c.drawnLookAt.z)), add(10, 460);
  return lines;
}

namespace {

// A line of the overlay: the interface's text in font 0, white, unwrapped.
void StartOverlayLine(CTextRect& line) {
  line.wordWrap = false;
  line.SetRect(0, 0, 640, 480);
}

void DrawOverlayLine(CTextRect& line, float x, float y) {
  line.SetAllLinesColour(0);
  CLayoutEntity origin;
  origin.x = x;
  origin.y = y;
  line.Draw(&origin);
}

}  // namespace

void DrawOverlayText(float x, float y, std::string_view text) {
  CTextRect line;
  StartOverlayLine(line);
  // The statistics' formats end in a line break: one line each.
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  line.AddText(text);
  DrawOverlayLine(line, x, y);
}

void DrawOverlay(CRenderer& r) {
  r.SetShader(kShaderStartOfFrame);
  r.SetShader(kShaderModulate);
  r.BeginOverlay();
  if (CutScene().Running()) {
    r.Begin2D();
    CutScene().Draw();
    r.EndOverlay();
    return;
  }
  r.Begin2D();
  CurrentInterfacePanels().Draw();
  DrawTutorFigure(r);
  DrawMoneyAnimation(r);
  if (GetScreenMode() != kScreenMenu) r.DisableLighting();
  if (g_DebugFlags.DEBUGTEXT) {
    const float rate = GameScheduler().FramesPerSecond();
    for (const OverlayLine& l : DebugTextLines(int32_t(g_InputState.uiCursorX),
                                               int32_t(g_InputState.uiCursorY), rate,
                                               Frame().lastTriangles))
      DrawOverlayText(l.x, l.y, l.text);
    FlushGlyphBatches();
  }
  DrawPauseMessage(r);
  r.SetShader(kShaderModulate2);
  r.EndOverlay();
  Frame().lastTriangles = r.GetTriangleCount();
}

int32_t PauseMessageTextId() {
  const CGamePauseState& pause = GamePauseState();
  if (!RunState().gameRunning) return 0;
  if (pause.Count(2) > 0) return kPauseTextWaiting;
  if (pause.Count(3) > 0) return kPauseTextSwitch;
  return 0;
}

UIRect PauseStripRect(float textWidth) {
  constexpr float kMargin = 20;
  const float half = std::min(320.0f, std::max(textWidth, 0.0f) / 2 + kMargin);
  return SetUIRect(320 - half, 450, 320 + half, 480);
}

void DrawPauseMessage(CRenderer& r) {
  if (GetScreenMode() == kScreenMenu) return;  // the front end's set is shown
  const int32_t id = PauseMessageTextId();
  if (id == 0) return;
  CTextRect line;
  StartOverlayLine(line);
  line.AddTextId(id);
  const float width = float(line.LineWidth(0));
  const UIRect s = PauseStripRect(width);
  const Vec3 strip[4] = {{s.x1, s.y1, 0.5f}, {s.x2, s.y1, 0.5f}, {s.x2, s.y2, 0.5f}, {s.x1, s.y2, 0.5f}};
  const uint32_t colour = kPauseStripColour;
  r.DrawFlatQuads(strip, 1, &colour);
  DrawOverlayLine(line, 320 - width / 2, 455);
  FlushGlyphBatches();
}

// ---- Scrolling texture coordinates ----------------------------------------------

void DrawScrollingUvEntity(CEntity& entity, float gameTime) {
  CModel* model = entity.model ? ModSysGetModel(entity.model->handles[0]) : nullptr;
  if (model && model->positions && model->uv1) {
    const float t = gameTime * 0.01525f * 1.5f;
    for (int32_t i = 0; i < model->vertexCount; ++i) {
      const Vec3& p = model->positions[i];
      model->uv1[i] = {p.x * 0.31f * 0.1f, (t + p.z * 0.31f) * 0.1f};
    }
  }
  entity.Draw(PublishedViewMatrix());
}

// ---- Sprite batches ----------------------------------------------------------------

CSpriteBatch* SpriteBatches() {
  static CSpriteBatch batches[4];
  return batches;
}

void CreateSpriteBatches(CRenderer* renderer, int32_t firstShaderTexturePage) {
  CSpriteBatch* b = SpriteBatches();
  b[0].Create(renderer, 512, 512, int32_t(0xFFFFAF7Fu), 1.0f);
  b[1].Create(renderer, 256, 512, -1, 1.0f);
  b[2].Create(renderer, 512, 512, -1, 1.0f);
  b[3].Create(renderer, 128, 512, -1, 2.5f);
  b[3].SetTexture(firstShaderTexturePage);
}

void DestroySpriteBatches() {
  for (int i = 0; i < 4; ++i) SpriteBatches()[i].Destroy();
  FireworksShow().Reset();
}
