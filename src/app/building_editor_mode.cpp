// Start mode 2: the building editor. Two windows side by side: the preview
// (the game's window and renderer, showing the design as the game's
// architect builds it on a 7 by 7 lot) and the editor's own window with the
// plan view, the options and the compile dialog. One loop drives both; the
// editor's keys and the camera step in a scheduler task at 50 a second.
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/game.h"
#include "app/game_parts.h"
#include "city/blocks.h"
#include "city/building_library.h"
#include "editor/building_editor.h"
#include "editor/editor_panels.h"
#include "editor/library_compiler.h"
#include "engine/core/console.h"
#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/core/run_state.h"
#include "engine/core/system_settings.h"
#include "engine/input/camera_controller.h"
#include "engine/input/input_device.h"
#include "engine/render/renderer.h"
#include "engine/scene/entity.h"
#include "engine/scene/model.h"
#include "engine/scene/texture.h"
#include "platform/clock.h"
#include "platform/editor_ui.h"
#include "platform/headless.h"
#include "platform/input.h"
#include "platform/paths.h"
#include "platform/window.h"
#include "session/game_clock.h"
#include "shell/game_loop.h"
#include "shell/startup.h"
#include "visuals/architect/architect.h"
#include "visuals/architect/architect_assets.h"
#include "app/editor_palette.h"
#include "ui/draw_2d.h"
#include "ui/glyph_batcher.h"
#include "ui/interface_assets.h"
#include "ui/ui_rect.h"
#include "ui/ui_services.h"
#include "engine/files/text_bank.h"
#include "visuals/architect/building_visuals.h"
#include "city/buildings.h"
#include "engine/scene/asset_table.h"
#include "visuals/scene/city_scene.h"
#include "visuals/camera/game_camera.h"
#include "visuals/scene/shader_table.h"
#include "visuals/scene/sky.h"

namespace {

// Room for the architect's texture pages, the fonts and the interface's
// pictures; 40 MB no longer held them all.
constexpr int32_t kEditorHeapSize = 0x3800000;
constexpr float kLotExtent = 70.0f;  // the 7 by 7 cell lot, 10 units a cell
constexpr int kEditorWindowWidth = 560;

// DirectInput scan codes of the preview's keys.
namespace scan {
constexpr uint8_t kW = 0x11, kS = 0x1F, kD = 0x20, kF = 0x21, kF7 = 0x41, kF8 = 0x42;
constexpr uint8_t k2 = 0x03, k6 = 0x07, k7 = 0x08;
}

struct EditorMode {
  BuildingEditor editor;
  EditorPanels panels;
  PreviewState preview;
  std::unique_ptr<platform::EditorWindow> window;
  platform::EditorWindowSpec windowSpec;
  CEntity ground;
  std::array<ModelLodSet, 3> models{};
  // The layers of the highlighted loop, drawn over the building while the
  // highlight lasts.
  std::array<ModelLodSet, 3> highlightModels{};
  int highlightBuiltFor = -1;
  // Holds the preview's signs and props; it is no building of the city.
  CBuilding props;
  Vec3 buildingCentre{};
  int previewEntry = -1;
  bool previewMode = false;
  float triangleAngle = 0;
};

EditorMode* g_mode = nullptr;

// The heading turns to face the lot's front unless the view is already on it.
void AimAtGround(EditorMode& m) {
  SetEditorBlockCameraTarget(&m.ground, 90.0f, 75.0f);
  CamSetMode(kCamEditorBlock);
}

void FreeCamera() {
  CamSetMode(0);
  CamSetPosition(0.0f, 6.0f, -10.0f);
}

// Fifty times a second: the preview's keys (while it has the focus), then the
// camera.
void EditorTick() {
  EditorMode& m = *g_mode;
  PollInput();
  if (RunState().appActive) {
    const std::pair<uint8_t, int> keys[] = {{scan::kF, 'F'},  {scan::kS, 'S'},  {scan::kW, 'W'},
                                            {scan::kD, 'D'},  {scan::kF7, kPreviewKeyF7},
                                            {scan::kF8, kPreviewKeyF8}, {scan::k2, '2'},
                                            {scan::k6, '6'},  {scan::k7, '7'}};
    for (const auto& [code, key] : keys) {
      if (!KeyPressed(code)) continue;
      switch (PreviewKey(m.preview, key)) {
        case PreviewCamera::kFree: FreeCamera(); break;
        case PreviewCamera::kEditorBlock: AimAtGround(m); break;
        case PreviewCamera::kUnchanged: break;
      }
    }
    if (KeyDown(platform::key::kEscape)) RunState().quit = true;
  }
  CamUpdate();
}

void ReleaseModels(std::array<ModelLodSet, 3>& models) {
  for (ModelLodSet& set : models) {
    if (set.handles[0] > 0 && TheModelSystem() != nullptr) ModSysDeleteModel(set.handles[0]);
    set = ModelLodSet{};
  }
}

void ReleasePreviewModels(EditorMode& m) {
  ReleaseModels(m.models);
  ReleaseModels(m.highlightModels);
  m.highlightBuiltFor = -1;
  if (m.props.Visual.Built) TheArchitect().ReleaseBuildingVisuals(m.props);
}

// The preview building, rebuilt whenever the design or the compile dialog's
// choice changes: the description through the architect, as the game builds.
void RebuildPreview(EditorMode& m) {
  const bool choiceChanged = m.panels.previewMode != m.previewMode || m.panels.previewEntry != m.previewEntry;
  if (!m.editor.previewDirty && !choiceChanged) return;
  m.editor.previewDirty = false;
  m.previewMode = m.panels.previewMode;
  m.previewEntry = m.panels.previewEntry;
  ReleasePreviewModels(m);
  m.panels.previewPolygons = m.panels.previewVertices = 0;
  // The label follows the loops even when nothing is left to build.
  m.editor.boundsText = LoopBoundsText(*m.editor.design);
  BuildingDescription d;
  if (!PreviewDescription(m.editor, m.panels, d)) return;
  const int32_t w = std::max<int32_t>(d.baseWidth, 1), depth = std::max<int32_t>(d.baseDepth, 1);
  const SiteTurn turn = ChooseSiteTurn(0, 0, w - 1, depth - 1);
  const DesignFrame frame = MakeDesignFrame(0, 0, w - 1, depth - 1, turn, false);
  const uint32_t seed = uint32_t(std::clamp(m.editor.design->textureSet, 0, 44)) * 16u;
  ArchitectTextureChoice textures = ChooseArchitectTextures(seed);
  textures.plain = m.editor.design->buildingType == 5;  // landscape: the plain set
  // The highlighted loop's layers on their own, to draw over the building.
  const std::vector<int> layerLoops = OrderedLoops(*m.editor.design);
  const int highlight = m.previewMode ? -1 : HighlightedLoop(m.editor);
  if (highlight >= 0 && layerLoops.size() == d.layers.size()) {
    BuildingDescription only = d;
    only.layers.clear();
    for (size_t i = 0; i < d.layers.size(); ++i)
      if (layerLoops[i] == highlight) only.layers.push_back(d.layers[i]);
    ArchitectBuild lit;
    BuildArchitectGeometry(std::move(only), frame, textures, seed, lit);
    for (size_t i = 0; i < m.highlightModels.size(); ++i)
      m.highlightModels[i] = ModelLodSet{{RegisterMeshPart(lit.parts[i]), 0, 0}, 1};
    m.highlightBuiltFor = highlight;
  }
  ArchitectBuild build;
  BuildArchitectGeometry(std::move(d), frame, textures, seed, build);
  for (size_t i = 0; i < m.models.size(); ++i) {
    const MeshPart& part = build.parts[i];
    m.panels.previewPolygons += part.TriangleCount();
    m.panels.previewVertices += int(part.positions.size());
    m.models[i] = ModelLodSet{{RegisterMeshPart(part), 0, 0}, 1};
  }
  // Where the design stands on the lot: the plan's bottom edge (z = 7) is
  // the street front, which the architect puts at the world's z = 0.
  BuildingDesign bounds = *m.editor.design;
  ComputeLoopBounds(bounds);
  const float x0 = m.previewMode ? 0.0f : float(std::clamp(bounds.lowX, 0, 7)) * kLotSize;
  const float z0 = m.previewMode ? 0.0f : float(std::clamp(bounds.offsetZ, 0, 7)) * kLotSize;
  m.buildingCentre = {x0 + float(w) * kLotSize * 0.5f, 0.0f, z0 + float(depth) * kLotSize * 0.5f};
  m.props.Id = -1;
  m.props.CentreX = m.buildingCentre.x;
  m.props.CentreZ = m.buildingCentre.z;
  AttachBuildingProps(build, m.props);
  m.props.Visual.Built = 1;
}

void DrawModelAt(ModelLodSet set, const Vec3& at, float yaw, const Vec3& scale, uint32_t colour = 0xFFFFFFFFu);

// The design's control points: signs and props as the game places them.
void DrawPreviewProps(const EditorMode& m) {
  const BuildingVisual& v = m.props.Visual;
  const ModelLodSet* prop = ShelfModel(ModelShelf::Tree, 0);
  for (int32_t i = 0; i < v.PropCount && i < kBuildingProps && prop; ++i) {
    const PropSlot& p = ThePropPool().Slots[size_t(v.Props[i])];
    DrawModelAt(*prop, {p.Position[0], p.Position[1], p.Position[2]}, 0, {p.Scale[0], p.Scale[1], p.Scale[2]});
  }
  for (int32_t i = 0; i < v.SignCount && i < kBuildingSigns; ++i) {
    const SignSlot& s = TheSignPool().Slots[size_t(v.Signs[i])];
    DrawModelAt(ModelLodSet{{s.Model, 0, 0}, 1}, {s.Position[0], s.Position[1], s.Position[2]}, s.Yaw,
                {s.Scale[0], s.Scale[1], s.Scale[2]});
  }
}

void DrawModelAt(ModelLodSet set, const Vec3& at, float yaw, const Vec3& scale, uint32_t colour) {
  if (set.handles[0] <= 0 || ModSysGetModel(set.handles[0]) == nullptr) return;
  CEntity e;
  e.SetModel(&set);
  e.colour = colour;
  e.position = at;
  e.rotation = {0, yaw, 0};
  e.scale = scale;
  e.flags |= kEntVisible | kEntRebuildMatrix;
  e.Draw(PublishedViewMatrix());
}

// Square tiles of a texture over a rectangle at height y, one quad a tile,
// each showing the whole texture (textures share their pages).
void DrawTiles(CRenderer& r, int32_t slot, float x0, float z0, float x1, float z1, float tile, float y) {
  const CTexture* t = slot >= 0 ? TexSysGetTexture(slot) : nullptr;
  if (t == nullptr) return;
  const float u0 = t->uOffset, v0 = t->vOffset, u1 = t->uOffset + t->uSize, v1 = t->vOffset + t->vSize;
  std::vector<Vec3> quads;
  std::vector<TexCoord> uv;
  for (float z = z0; z < z1; z += tile)
    for (float x = x0; x < x1; x += tile) {
      const float xe = std::min(x + tile, x1), ze = std::min(z + tile, z1);
      quads.insert(quads.end(), {{x, y, z}, {xe, y, z}, {xe, y, ze}, {x, y, ze}});
      uv.insert(uv.end(), {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}});
    }
  r.DrawTexturedQuads(quads.data(), int32_t(quads.size() / 4), uv.data(), t->pageIndex);
}

void DrawGround(CRenderer& r) {
  // Grass round the lot as far as the view reaches, a little below it, and
  // the pavement lot, a tile a cell.
  const PresentationTextures& t = PresentationTextureSlots();
  DrawTiles(r, t.grass, -500.0f, -500.0f, 570.0f, 570.0f, 50.0f, -0.1f);
  DrawTiles(r, t.pavement, 0.0f, 0.0f, kLotExtent, kLotExtent, kLotSize, 0.0f);
}

// The texture each facade code takes under the design's texture set (the
// wall set its seed chooses, in the current texture group's first material):
// a column of 16 swatches down the left edge and the current code's texture
// large in the top right corner.
int32_t PaletteTexture(const EditorMode& m, int code) {
  const BuildingDesign& d = *m.editor.design;
  return FacadeTextureSlot(d.textureSet, d.groupMasks[std::clamp(m.editor.textureGroup, 0, 4)], code);
}

void DrawPalette(const EditorMode& m) {
  float y = 0;
  for (int code = 0; code < 16; ++code) {
    DrawTexturedRect(SetUIRect(2, y + 2, 28, y + 28), PaletteTexture(m, code), 0.5f);
    y += 28;
    if (code == 3 || code == 7 || code == 13) y += 8;
  }
  DrawTexturedRect(SetUIRect(576, 0, 640, 64), PaletteTexture(m, m.editor.facadeCode), 0.5f);
}

std::string Formatted(const char* format, double value) {
  char text[96];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string Formatted(const char* format, int value) {
  char text[96];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

void DrawStatistics(const EditorMode& m, CRenderer& r) {
  CTextSystem* text = Ui().text;
  if (text == nullptr) return;
  const RendererStats& s = GetRendererStats();
  const float rate = GameScheduler().FramesPerSecond();
  const int32_t triangles = r.GetTriangleCount();
  const CModelSystem* models = TheModelSystem();
  const std::vector<std::string> topLeft = {
      Formatted("Verts Submitted :- %i", s.verticesSubmitted),
      Formatted("Tris Submitted  :- %i", s.indexTotal / 3),
      Formatted("DIPCalls        :- %i", s.drawCalls),
      Formatted("AvVertsPerCall  :- %i", s.drawCalls ? s.verticesSubmitted / s.drawCalls : 0),
      "",
      Formatted("FVFChanges      :- %i", s.vertexFormatChanges),
      Formatted("StateChanges    :- %i", s.stateChanges)};
  const std::vector<std::string> bottomRight = {
      Formatted("framerate:- %f", double(rate)), "",
      Formatted("poly\\sec:- %i", int(float(triangles) * rate)),
      Formatted("polys:- %i", m.panels.previewPolygons), Formatted("verts:- %i", m.panels.previewVertices)};
  const std::vector<std::string> bottomRow = {
      Formatted("Delete:  %d", m.editor.planRedraws), Formatted("Delete:  %d", m.panels.previewPolygons),
      Formatted("Delete:  %d", MemoryManager().GetStats().ActualMemoryUsed),
      Formatted("Models:  %d", models ? kMaxModels - models->freeCount : 0)};
  SelectFont2D(1);
  auto measure = [text](const std::string& line) {
    TextRect r;
    text->MeasureString(r, 0, 0, line);
    return TextExtent{float(r.width), float(r.height)};
  };
  uint32_t white = 0xFFFFFFFFu;
  for (const PlacedText& line : LayOutPreviewStatistics(topLeft, bottomRight, bottomRow, measure))
    text->DrawString(line.x, line.y, line.text, &white);
  FlushGlyphBatches();
}

// Display 6: a triangle turning on a circle of radius 150 about (200, 200),
// a little further each frame, and a fixed one beside it whose corners lie
// half a unit off the grid (where rasterisers' fill rules differ).
void DrawTestTriangles(EditorMode& m, CRenderer& r) {
  m.triangleAngle += 0.001f;
  VertexUntextured v[6];
  const uint32_t colours[3] = {0xFFFF4040u, 0xFF40FF40u, 0xFF4040FFu};
  for (int k = 0; k < 3; ++k) {
    const float a = m.triangleAngle + float(k) * 2.0943952f;
    v[k] = {200.0f + 150.0f * std::cos(a), 200.0f + 150.0f * std::sin(a), 0.5f, colours[k]};
  }
  v[3] = {449.5f, 249.5f, 0.5f, 0xFFFFFFFFu};
  v[4] = {550.5f, 249.5f, 0.5f, 0xFFFFFFFFu};
  v[5] = {500.5f, 350.5f, 0.5f, 0xFFFFFFFFu};
  const uint16_t indices[6] = {0, 1, 2, 3, 4, 5};
  r.DrawIndexedUntextured(v, indices, 6, 6);
}

// Display 7: a small triangle every 5 units over the screen, 10 to 630
// across and 10 to 470 down.
void DrawTestPattern(CRenderer& r) {
  std::vector<VertexUntextured> v;
  std::vector<uint16_t> indices;
  for (float y = 10.0f; y <= 470.0f; y += 5.0f) {
    v.clear();
    indices.clear();
    for (float x = 10.0f; x <= 630.0f; x += 5.0f) {
      const auto first = uint16_t(v.size());
      v.push_back({x, y, 0.5f, 0xFFFFFFFFu});
      v.push_back({x + 3.0f, y, 0.5f, 0xFFFFFFFFu});
      v.push_back({x, y + 3.0f, 0.5f, 0xFFFFFFFFu});
      indices.insert(indices.end(), {first, uint16_t(first + 1), uint16_t(first + 2)});
    }
    r.DrawIndexedUntextured(v.data(), indices.data(), int32_t(v.size()), int32_t(indices.size()));
  }
}

void DrawPreview(EditorMode& m) {
  CRenderer* r = CurrentRenderer();
  if (r == nullptr) return;
  UpdateSunColours();
  r->Clear();
  if (!r->BeginFrame()) return;
  InterpolateCamera();
  r->Reserved32(1);
  EntBeginFrame();
  r->UpdateCamera();
  r->SetDepthRange(2.0f, 10000.0f);
  r->UpdateViewVolume();
  // White light and white highlights on a black ramp base, no over-bright.
  r->SetColourRamps(0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000, 0, 1.0f, 0.707f, 0.707f, 0.0f, 0);
  r->SetDepthAndFogRanges(0, 100.0f, 1000.0f, 0);
  r->SetShader(kShaderStartOfFrame);
  r->SetShader(kShaderModulate);
  DrawSky(*r);
  if (m.preview.display == PreviewDisplay::kDesign) {
    DrawGround(*r);
    if (m.editor.showBackfaces) r->DisableCulling();
    if (m.preview.wireframe || m.editor.wireframe3d) r->SetShader(kShaderWireframe);
    SpecularHighlights = m.preview.specular;
    for (const ModelLodSet& set : m.models) DrawModelAt(set, m.buildingCentre, 0, {1, 1, 1});
    DrawPreviewProps(m);
    SpecularHighlights = false;
    // A newly chosen loop glows: its layers again, added in yellow.
    if (m.highlightBuiltFor >= 0 && HighlightedLoop(m.editor) == m.highlightBuiltFor) {
      r->SetShader(kShaderAdditive);
      for (const ModelLodSet& set : m.highlightModels) DrawModelAt(set, m.buildingCentre, 0, {1, 1, 1}, 0x90FFE040u);
    }
    r->SetShader(kShaderModulate);
  } else if (m.preview.display == PreviewDisplay::kSpecial) {
    r->DrawSpecial();
  }
  r->BeginOverlay();
  r->Begin2D();
  r->DisableCulling();  // flat drawing has no back faces, whatever the 3D pass left
  if (m.preview.display == PreviewDisplay::kDesign) DrawPalette(m);
  if (m.preview.display == PreviewDisplay::kTestTriangle) DrawTestTriangles(m, *r);
  if (m.preview.display == PreviewDisplay::kTestPattern) DrawTestPattern(*r);
  DrawStatistics(m, *r);
  r->EndOverlay();
  r->EndFrame();
  r->Present();
}

void StartEditorWindow(EditorMode& m) {
  int32_t screenWidth = 1024, screenHeight = 768;
  platform::GetDisplaySize(screenWidth, screenHeight);
  m.windowSpec.title = "Civano Building Editor";
  m.windowSpec.width = kEditorWindowWidth;
  m.windowSpec.height = std::max(480, screenHeight - 20);
  m.windowSpec.x = std::max(0, screenWidth - m.windowSpec.width);
  m.windowSpec.y = 0;
  m.window = platform::CreateEditorWindow(m.windowSpec);
}

void DrawEditorWindow(EditorMode& m) {
  if (!m.window) return;
  m.window->Frame([&m](platform::EditorUi& ui) {
    DrawEditorPanels(ui, m.editor, m.panels, m.windowSpec.width, m.windowSpec.height);
  });
}

}  // namespace

void Game::RunBuildingEditor() {
  GameRunState& run = RunState();
  auto mode = std::make_unique<EditorMode>();
  EditorMode& m = *mode;
  g_mode = &m;
  ResetBuildingEditor(m.editor);
  m.panels.dataRoot = platform::GameRoot();  // empty: the working folder
  run.startupFinished = false;
  if (!MemoryManager().IsInitialised() && !MemoryManager().Init(kEditorHeapSize, kGameHeapAlignment))
    ReportError(0, 0, "Unable to create the editor's memory heap.");

  // The renderer on the preview window, the engine's systems and the assets
  // the architect builds with. The preview is a window beside the editor's,
  // narrowed when the screen has no room for both.
  int32_t screenWidth = 0, screenHeight = 0;
  platform::GetDisplaySize(screenWidth, screenHeight);
  g_RendererSettings.windowed = 1;
  if (screenWidth > 0 && g_RendererSettings.width + kEditorWindowWidth > screenWidth) {
    g_RendererSettings.width = std::max(320, screenWidth - kEditorWindowWidth);
    g_RendererSettings.height = g_RendererSettings.width * 3 / 4;
  }
  CreateEngineSystems();
  CreateGameInputDevice();
  CreateRenderer(g_RendererSettings);
  ConfigureRendererForGame();
  AttachEngineSystems();
  LoadPresentationTextures();
  LoadInterfaceFonts(g_StartupOptions.languageName, g_RendererSettings.width);
  ShowMainWindow();
  PumpMessages();
  ShowLoadingScreen();
  LoadGameAssetsForDrawing();
  LoadArchitectAssets();
  BuildTexturePages();
  BuildShaderTable(CurrentRenderer());
  StartCamera();
  OpenInputDevices();
  RegisterGameCameraModes();
  PrepareModels();
  LoadScaffoldPieces();
  BuildSkyGeometry();
  ResetGameClock();  // the game's morning light
  if (CRenderer* r = CurrentRenderer()) {
    r->SetFieldOfView(45.0f);
    r->SetClearEnable(true, true);
  }
  CloseLoadingScreen();

  GameScheduler().Init();
  run.interfaceTask = GameScheduler().AddTask(50.0f, EditorTick, 1, true);
  m.ground.Reset();
  m.ground.position = {kLotExtent / 2, 0.0f, kLotExtent / 2};
  FreeCamera();
  AimAtGround(m);
  StartEditorWindow(m);
  run.drawingEnabled = true;
  run.startupFinished = true;
  GameScheduler().ResetClock();
  ConsolePrintF(kConsoleReply, "Building editor started (designs in %s)",
                DesignSourceFolder(m.panels.dataRoot).c_str());

  while (!run.quit) {
    GameScheduler().Run(false);
    PumpMessages();
    if (run.quit) break;
    m.editor.clockMs = platform::timeGetTime();
    RebuildPreview(m);
    DrawPreview(m);
    DrawEditorWindow(m);
    if (m.panels.compileRequested) {
      // Between files the windows stay alive, so "Stop" can end the run.
      uint32_t lastDraw = 0;
      SetCompilePumpHook([&m, &lastDraw] {
        PumpMessages();
        // A frame a tenth of a second is alive enough; more slows the run.
        const uint32_t now = platform::timeGetTime();
        if (now - lastDraw < 100) return;
        lastDraw = now;
        DrawEditorWindow(m);
      });
      ProcessBuildings(m.editor, m.panels);
      SetCompilePumpHook(nullptr);
    }
    // As the game's loop does headless: nothing waits for a display, so pace
    // the passes like one. The run ends, as the game's, when it is closed.
    if (platform::IsHeadless()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

  run.drawingEnabled = false;
  m.window.reset();
  ReleasePreviewModels(m);
  ReleaseArchitectAssets();
  DestroyMainWindow();
  ForgetGameAssets();
  DestroyEngineSystems();
  ReleaseInputDevices();
  if (MemoryManager().IsInitialised()) MemoryManager().Shutdown();
  ReleaseInstanceMutex();
  g_mode = nullptr;
}
