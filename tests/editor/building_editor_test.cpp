#include "editor/building_editor.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "editor/editor_panels.h"
#include "engine/game_root_fixture.h"
#include "platform/editor_ui.h"

namespace {

// The plan view fitted to 800 x 800 pixels: 100 pixels a cell, the lot from
// pixel 50.
float Px(float units) { return 50.0f + 100.0f * units; }

struct EditorFixture {
  BuildingEditor e;
  EditorFixture() {
    ResetBuildingEditor(e);
    e.plan.Fit(800, 800);
  }
  DesignLoop& Loop() { return *CurrentLoop(e); }
  void MakeTriangle() {
    AddLoop(e);
    DesignLoop& l = Loop();
    l.pointCount = 3;
    l.points[0].x = 1, l.points[0].z = 1;
    l.points[1].x = 5, l.points[1].z = 1;
    l.points[2].x = 1, l.points[2].z = 5;
  }
  void Move(float x, float z) { PlanMouseMove(e, Px(x), Px(z)); }
  void LeftClick(float x, float z) {
    PlanLeftDown(e, Px(x), Px(z));
    PlanLeftUp(e);
  }
  void SetAllProperties() {
    BuildingDesign& d = *e.design;
    d.person = 3, d.prestige = 2, d.buildingType = 2, d.baseType = 1, d.floors = 2;
  }
};

// The plan's colours are Windows colour values (red in the low byte): the
// grid is light blue, not pinkish red.
TEST(PlanViewTest, TheGridIsBlueInWindowsByteOrder) {
  EditorFixture f;
  const std::vector<PlanShape> shapes = PlanViewShapes(f.e, 800, 800);
  ASSERT_FALSE(shapes.empty());
  EXPECT_EQ(shapes.front().colour, 0x6666FFu);
}

TEST(PlanViewTest, RightClickOnATriangleDeletesNothingAndInsertsOnlyOnAnEdge) {
  EditorFixture f;
  f.MakeTriangle();
  f.Move(5, 1);  // over point 1
  ASSERT_EQ(f.Loop().hoverPoint, 1);
  PlanRightDown(f.e, Px(5), Px(1));
  EXPECT_EQ(f.Loop().pointCount, 3);
  EXPECT_EQ(f.Loop().points[1].x, 5.0f);

  f.Move(3, 1.2f);  // over edge 0, away from the points
  ASSERT_EQ(f.Loop().hoverEdge, 0);
  PlanRightDown(f.e, Px(3), Px(1.2f));
  ASSERT_EQ(f.Loop().pointCount, 4);
  EXPECT_FLOAT_EQ(f.Loop().points[1].x, 3.0f);
  EXPECT_FLOAT_EQ(f.Loop().points[1].z, 1.2f);
  EXPECT_EQ(f.Loop().points[2].x, 5.0f);
  EXPECT_EQ(f.Loop().hoverPoint, 1);

  // Now the new point can go again: four points leave three.
  PlanRightDown(f.e, Px(3), Px(1.2f));
  EXPECT_EQ(f.Loop().pointCount, 3);
}

TEST(PlanViewTest, DraggingAnEdgeMovesBothEndsOntoTheSnapGrid) {
  EditorFixture f;
  AddLoop(f.e);  // the square (1,1) (6,1) (6,6) (1,6)
  f.Move(3.5f, 1.1f);
  ASSERT_EQ(f.Loop().hoverEdge, 0);
  PlanLeftDown(f.e, Px(3.5f), Px(1.1f));
  EXPECT_TRUE(f.Loop().points[0].selected && f.Loop().points[1].selected);
  EXPECT_FALSE(f.Loop().points[2].selected);
  f.Move(3.5f + 0.37f, 1.1f + 0.81f);
  PlanLeftUp(f.e);
  const LoopPoint* p = f.Loop().points;
  EXPECT_FLOAT_EQ(p[0].x, 1.5f);
  EXPECT_FLOAT_EQ(p[0].z, 2.0f);
  EXPECT_FLOAT_EQ(p[1].x, 6.5f);
  EXPECT_FLOAT_EQ(p[1].z, 2.0f);
  EXPECT_EQ(p[2].x, 6.0f);  // unselected points stay
  EXPECT_EQ(p[2].z, 6.0f);
  EXPECT_TRUE(f.e.previewDirty);

  // Clicking the same edge with both ends selected keeps the pair; a hovered
  // unselected point becomes the only selection.
  f.Move(4.0f, 2.1f);
  ASSERT_EQ(f.Loop().hoverEdge, 0);
  f.LeftClick(4.0f, 2.1f);
  EXPECT_TRUE(p[0].selected && p[1].selected);
  f.Move(6, 6);
  f.LeftClick(6, 6);
  EXPECT_TRUE(p[2].selected);
  EXPECT_FALSE(p[0].selected || p[1].selected);
}

TEST(PlanViewTest, EditTexturesPaintsTheHoveredPieceOnly) {
  EditorFixture f;
  AddLoop(f.e);
  f.e.editTextures = true;
  f.e.facadeCode = 10;
  f.e.textureGroup = 3;
  f.Move(2.3f, 1.05f);  // edge 0 runs 5 units: 10 pieces, this is piece 2
  ASSERT_EQ(f.Loop().hoverEdge, 0);
  ASSERT_EQ(f.Loop().hoverPiece, 2);
  PlanLeftDown(f.e, Px(2.3f), Px(1.05f));
  PlanLeftUp(f.e);
  const LoopPoint& p = f.Loop().points[0];
  EXPECT_EQ(p.facade[2], 10);
  EXPECT_EQ(p.group[2], 3);
  EXPECT_EQ(p.facade[1], 0);
  EXPECT_EQ(p.facade[3], 0);
  EXPECT_EQ(f.Loop().points[0].x, 1.0f);  // painting moves nothing
  EXPECT_FALSE(f.Loop().points[0].selected);
  // With a point under the mouse the edge still wins in this mode.
  f.Move(1.0f, 1.0f);
  EXPECT_GE(f.Loop().hoverEdge, 0);
}

TEST(PlanViewTest, ControlPointDragsFollowTheHeldAxisKey) {
  EditorFixture f;
  AddLoop(f.e);
  ASSERT_TRUE(SetControlMode(f.e, true));
  EXPECT_EQ(CurrentLoop(f.e), nullptr);
  PlanRightDown(f.e, Px(3), Px(3));
  const int cp = f.e.selectedControl;
  ASSERT_GE(cp, 0);
  ControlPoint& c = f.e.design->controls[cp];
  EXPECT_EQ(c.type, -1);
  EXPECT_EQ(c.loop, 0);

  // X held: only X follows, snapped to half units.
  PlanKey(f.e, 'x', true);
  PlanLeftDown(f.e, Px(3), Px(3));
  ASSERT_TRUE(f.e.controlDrag.running);
  f.Move(4.3f, 5.2f);
  PlanLeftUp(f.e);
  PlanKey(f.e, 'x', false);
  EXPECT_FLOAT_EQ(c.x, 4.5f);
  EXPECT_FLOAT_EQ(c.z, 3.0f);
  EXPECT_EQ(c.y, 0.0f);

  // Y held: Y rises by the upward distance from where the drag began,
  // however far the view's origin is from the window's corner.
  f.e.plan.originY = 300;
  PlanKey(f.e, 'Y', true);
  const float px = f.e.plan.originX + 450, py = f.e.plan.originY + 300;  // on the point
  PlanLeftDown(f.e, px, py);
  ASSERT_TRUE(f.e.controlDrag.running);
  EXPECT_EQ(f.e.controlDrag.axes, DragAxes::kY);
  PlanMouseMove(f.e, px, py - 130);
  PlanLeftUp(f.e);
  EXPECT_FLOAT_EQ(c.y, 1.5f);  // 1.3 snapped to halves
  EXPECT_FLOAT_EQ(c.x, 4.5f);
  EXPECT_FLOAT_EQ(c.z, 3.0f);
  EXPECT_EQ(f.e.dragYText[0], "b1: 1.3000");
  EXPECT_EQ(f.e.dragYText[1], "b2: 1.5000");

  // Leaving the mode makes the control loop current again.
  ASSERT_TRUE(SetControlMode(f.e, false));
  EXPECT_EQ(f.e.currentLoop, 0);
}

TEST(OptionsDialogTest, LoopChoicesInControlPointModeMoveTheControlLoop) {
  EditorFixture f;
  AddLoop(f.e);
  AddLoop(f.e);
  ASSERT_EQ(f.e.currentLoop, 1);
  ASSERT_TRUE(SetControlMode(f.e, true));
  EXPECT_EQ(f.e.controlLoop, 1);
  EXPECT_EQ(LoopListRow(f.e), 2);
  ChooseLoopRow(f.e, 1);
  EXPECT_EQ(f.e.controlLoop, 0);
  EXPECT_EQ(f.e.previousLoop, 0);  // drawn, with its control points
  EXPECT_EQ(f.e.currentLoop, -1);
  PlanRightDown(f.e, Px(2), Px(2));
  EXPECT_EQ(f.e.design->controls[f.e.selectedControl].loop, 0);
  // Deleting the control loop moves the mode to the loop that takes its place.
  DeleteLoop(f.e);
  EXPECT_EQ(f.e.design->loopCount, 1);
  EXPECT_EQ(f.e.controlLoop, 0);
  EXPECT_FALSE(f.e.design->controls[0].inUse);
  ASSERT_TRUE(SetControlMode(f.e, false));
  EXPECT_EQ(f.e.currentLoop, 0);
}

TEST(OptionsDialogTest, TextureSetFieldKeepsToTheSets) {
  EditorFixture f;
  const struct {
    const char* typed;
    const char* shown;
    int stored;
  } cases[] = {{"12", "12", 12}, {"45", "44", 12}, {"-3", "0", 12}, {"44", "44", 44}, {"x", "44", 44}};
  for (const auto& c : cases) {
    EXPECT_EQ(EnterTextureSet(f.e, c.typed), c.shown) << c.typed;
    EXPECT_EQ(f.e.design->textureSet, c.stored) << c.typed;
  }
  EXPECT_EQ(StepTextureSet(f.e, 1), "44");
  EXPECT_EQ(StepTextureSet(f.e, -1), "43");
}

class EditorFilesTest : public GameRootTest {};

TEST_F(EditorFilesTest, SaveRefusesMissingAndChangedProperties) {
  EditorFixture f;
  AddLoop(f.e);
  f.SetAllProperties();
  f.e.design->floors = 0;
  EditorMessage m;
  EXPECT_EQ(SaveDesignAs(f.e, "designs/a.cb", false, m), SaveAsResult::kRefused);
  EXPECT_EQ(m.caption, "Civano Building Editor - Not letting you save!");
  EXPECT_EQ(m.text, "These Building Property fields were not filled in:\n\nFloors (1, 2, 3, 4+)\n");
  EXPECT_FALSE(platform::GameFileExists("designs/a.cb"));
  // A loaded file without floors cannot be saved over either.
  ASSERT_TRUE(WriteBuildingDesign(*f.e.design, "designs/nofloors.cb"));
  ASSERT_TRUE(LoadDesign(f.e, "designs/nofloors.cb").Empty());
  m = SaveDesign(f.e);
  EXPECT_EQ(m.text, "These Building Property fields were not filled in:\n\nFloors (1, 2, 3, 4+)\n");
  EXPECT_EQ(f.e.fileName, "designs/nofloors.cb");

  f.e.design->floors = 2;
  ASSERT_EQ(SaveDesignAs(f.e, "designs/a.cb", false, m), SaveAsResult::kSaved) << m.text;
  EXPECT_EQ(f.e.fileName, "designs/a.cb");
  EXPECT_TRUE(SaveDesign(f.e).Empty());

  // A changed prestige needs a new file name: Save refuses and forgets it.
  f.e.design->prestige = 3;
  m = SaveDesign(f.e);
  EXPECT_NE(m.text.find("use 'Save As' instead"), std::string::npos);
  EXPECT_TRUE(f.e.fileName.empty());
  BuildingEditor reread;
  ResetBuildingEditor(reread);
  ASSERT_TRUE(LoadDesign(reread, "designs/a.cb").Empty());
  EXPECT_EQ(reread.design->prestige, 2);

  // Save As over an existing file asks first.
  EXPECT_EQ(SaveDesignAs(f.e, "designs/a.cb", false, m), SaveAsResult::kNeedsConfirmation);
  EXPECT_EQ(SaveDesignAs(f.e, "designs/a.cb", true, m), SaveAsResult::kSaved);
  // A save that cannot be written says so.
  std::filesystem::create_directories(Real("designs/dir.cb"));
  EXPECT_EQ(SaveDesignAs(f.e, "designs/dir.cb", true, m), SaveAsResult::kRefused);
  EXPECT_EQ(m.text, "There was an error saving");
}

TEST_F(EditorFilesTest, ALoadThatFailsLeavesAnEmptyDesign) {
  EditorFixture f;
  AddLoop(f.e);
  f.e.fileName = "old.cb";
  WriteBytes("bad.cb", std::vector<uint8_t>(100, 0xFF));  // loop count -1
  EXPECT_FALSE(LoadDesign(f.e, "bad.cb").Empty());
  EXPECT_EQ(f.e.design->loopCount, 0);
  EXPECT_TRUE(f.e.fileName.empty());
  EXPECT_FALSE(LoadDesign(f.e, "missing.cb").Empty());
}

TEST(PreviewTest, TheDesignIsPreviewedAsTheLibraryWouldHoldIt) {
  EditorFixture f;
  BuildingDescription d;
  EXPECT_FALSE(RebuildPreviewBuilding(f.e, d));  // no loops: only the pavement
  AddLoop(f.e);
  AddLoop(f.e);
  f.e.design->loops[1].height = 2.0f;
  ASSERT_TRUE(SetControlMode(f.e, true));
  PlanRightDown(f.e, Px(3), Px(3));
  ASSERT_TRUE(RebuildPreviewBuilding(f.e, d));
  EXPECT_TRUE(d.valid);
  EXPECT_EQ(d.layers.size(), 2u);
  EXPECT_EQ(d.baseWidth, 5);
  ASSERT_EQ(d.placementCount, 1);
  EXPECT_EQ(d.placements[0].Code, 0x2000004);  // type -1 shows as a tree
  EXPECT_EQ(f.e.design->controls[0].type, -1);  // the design keeps its own
}

// A loop chosen in the list is highlighted for half a second of the
// editor's clock, across the clock's wrap too; "Base" highlights nothing.
TEST(PreviewTest, AChosenLoopIsHighlightedForHalfASecond) {
  EditorFixture f;
  AddLoop(f.e);
  AddLoop(f.e);
  for (uint32_t start : {1000u, 0xFFFFFF00u}) {
    f.e.clockMs = start;
    ChooseLoopRow(f.e, 1);
    f.e.clockMs = start + 499;
    EXPECT_EQ(HighlightedLoop(f.e), 0) << start;
    f.e.clockMs = start + 500;
    EXPECT_EQ(HighlightedLoop(f.e), -1) << start;
    f.e.clockMs = start + 100;  // ended stays ended
    EXPECT_EQ(HighlightedLoop(f.e), -1) << start;
  }
  ChooseLoopRow(f.e, 2);
  EXPECT_EQ(HighlightedLoop(f.e), 1);
  ChooseLoopRow(f.e, 0);
  EXPECT_EQ(HighlightedLoop(f.e), -1);
}

// The statistics keep clear of each other and of the screen's edges with a
// large font (the small preview window) as with a small one.
TEST(PreviewTest, StatisticsNeverOverlap) {
  const std::vector<std::string> topLeft = {"Verts Submitted :- 123456", "Tris Submitted  :- 41152", "",
                                            "StateChanges    :- 3"};
  const std::vector<std::string> bottomRight = {"framerate:- 60.000000", "", "poly\\sec:- 1234567",
                                                "polys:- 16", "verts:- 32"};
  const std::vector<std::string> bottomRow = {"Delete:  812", "Delete:  16", "Delete:  24371232", "Models:  646"};
  for (float glyph : {4.0f, 9.0f, 14.0f}) {
    auto measure = [glyph](const std::string& t) { return TextExtent{glyph * float(t.size()), glyph * 1.4f}; };
    const auto placed = LayOutPreviewStatistics(topLeft, bottomRight, bottomRow, measure);
    ASSERT_EQ(placed.size(), 11u);  // the empty lines are only space
    for (size_t i = 0; i < placed.size(); ++i) {
      const TextExtent a = measure(placed[i].text);
      EXPECT_GE(placed[i].x, 28.0f) << placed[i].text;  // right of the palette
      EXPECT_GE(placed[i].y, 0.0f) << placed[i].text;
      EXPECT_LE(placed[i].x + a.width, 640.0f) << placed[i].text << " " << glyph;
      EXPECT_LE(placed[i].y + a.height, 480.0f) << placed[i].text << " " << glyph;
      for (size_t j = 0; j < i; ++j) {
        const TextExtent b = measure(placed[j].text);
        const bool apart = placed[i].x + a.width <= placed[j].x || placed[j].x + b.width <= placed[i].x ||
                           placed[i].y + a.height <= placed[j].y || placed[j].y + b.height <= placed[i].y;
        EXPECT_TRUE(apart) << placed[i].text << " / " << placed[j].text << " " << glyph;
      }
    }
  }
}

TEST(PreviewTest, PreviewKeysSwitchDisplayAndCamera) {
  const struct {
    int key;
    PreviewDisplay display;
    PreviewCamera camera;
  } cases[] = {
      {kPreviewKeyF8, PreviewDisplay::kNone, PreviewCamera::kFree},
      {kPreviewKeyF7, PreviewDisplay::kDesign, PreviewCamera::kEditorBlock},
      {'2', PreviewDisplay::kSpecial, PreviewCamera::kUnchanged},
      {'6', PreviewDisplay::kTestTriangle, PreviewCamera::kUnchanged},
      {'7', PreviewDisplay::kTestPattern, PreviewCamera::kUnchanged},
      {'D', PreviewDisplay::kTestPattern, PreviewCamera::kEditorBlock},
      {'F', PreviewDisplay::kTestPattern, PreviewCamera::kFree},
  };
  PreviewState s;
  for (const auto& c : cases) {
    EXPECT_EQ(PreviewKey(s, c.key), c.camera) << c.key;
    EXPECT_EQ(s.display, c.display) << c.key;
  }
  PreviewKey(s, 'W');
  PreviewKey(s, 'S');
  EXPECT_TRUE(s.wireframe && s.specular);
  PreviewKey(s, 's');
  EXPECT_FALSE(s.specular);
  EXPECT_FALSE(s.quit);
  PreviewKey(s, kPreviewKeyEscape);
  EXPECT_TRUE(s.quit);
}

TEST(EditorTablesTest, ControlPointTypesRunInCodeOrder) {
  const auto& rows = ControlPointTypes();
  ASSERT_EQ(rows.size(), 121u);
  EXPECT_EQ(rows[0].name, "SELECT A TYPE:");
  EXPECT_EQ(rows[ControlPointTypeRowOf(0x2000004)].name, "Tree");
  EXPECT_EQ(rows[ControlPointTypeRowOf(0x200004F)].name, "Fountain    ");
  EXPECT_EQ(rows[ControlPointTypeRowOf(0x1080202)].name, "Sign_PortraitBusiness");
  EXPECT_EQ(ControlPointTypeRowOf(12345), 0);
}

// A design drawn in the editor, saved where Save As proposes and compiled
// by "Process Buildings", is a building the game's library offers.
TEST_F(EditorFilesTest, ADesignMadeInTheEditorCompilesIntoTheGamesLibrary) {
  EditorFixture f;
  AddLoop(f.e);
  // Shrink the square to a 3 by 2 corner footprint by dragging its points.
  DesignLoop& l = f.Loop();
  const float corners[4][2] = {{0, 5}, {3, 5}, {3, 7}, {0, 7}};
  for (int i = 0; i < 4; ++i) {
    f.Move(l.points[i].x, l.points[i].z);
    PlanLeftDown(f.e, Px(l.points[i].x), Px(l.points[i].z));
    f.Move(corners[i][0], corners[i][1]);
    PlanLeftUp(f.e);
  }
  ASSERT_EQ(l.points[2].x, 3.0f);
  ASSERT_EQ(l.points[2].z, 7.0f);
  l.points[0].facade[0] = kFacadeGroundDoorCom;
  f.SetAllProperties();
  f.e.design->floors = 1;

  EditorPanels panels;
  panels.dataRoot = root_.string();
  const std::string path = ProposedSaveAsPath(f.e, panels.dataRoot);
  EXPECT_EQ(std::filesystem::path(path).filename(), "c32_m1_00.cb");
  EXPECT_NE(path.find("2.Retail/3.Okafor/"), std::string::npos);
  ASSERT_TRUE(SaveDesignFileAs(f.e, panels, path)) << (boxes_.empty() ? "" : boxes_.back());
  EXPECT_EQ(ListDesignFiles(panels.dataRoot), std::vector<std::string>{"2.Retail/3.Okafor/c32_m1_00.cb"});

  // Save As over it asks first; a question that cannot be shown (no box
  // backend, as when the display refuses it) keeps the file.
  const std::vector<uint8_t> before = ReadBytes(path);
  auto boxes = platform::SetMessageBoxBackend(nullptr);
  std::filesystem::remove(path);
  WriteBytes(path, {'k', 'e', 'p', 't'});
  EXPECT_FALSE(SaveDesignFileAs(f.e, panels, path));
  platform::SetMessageBoxBackend(std::move(boxes));
  EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{'k', 'e', 'p', 't'}));
  WriteBytes(path, before);

  ASSERT_TRUE(ProcessBuildings(f.e, panels)) << panels.report.errorLine;
  EXPECT_TRUE(panels.compileShown);
  EXPECT_EQ(panels.report.statusLine, "STATUS: Files processed OK");

  ASSERT_TRUE(LoadGameBuildingLibrary());
  LibrarySearch search;
  search.width = 3, search.depth = 2, search.floorClass = 1, search.quality = 2, search.category = 2;
  search.cornerKind = 1;
  int32_t found[4];
  EXPECT_EQ(SearchBuildingLibrary(TheBuildingLibrary(), search, found), 1);
  FreeGameBuildingLibrary();

  // Preview mode shows the compiled entry instead of the design.
  panels.previewMode = true;
  panels.previewEntry = 0;
  BuildingDescription d;
  ASSERT_TRUE(PreviewDescription(f.e, panels, d));
  EXPECT_EQ(d.baseWidth, 3);
}

}  // namespace

namespace {

// The panels drawn through a stand-in window that presses one control by
// its label and otherwise leaves everything as it is.
class PressingUi : public platform::EditorUi {
 public:
  std::string press;
  std::string choose;  // the compile list's row that holds this text is clicked
  std::vector<std::string> shown;
  std::vector<std::string> backgroundPanels;
  std::vector<std::string> compileRows;  // the compile list as last drawn
  std::string report;                    // the compile dialog's report text as last drawn
  std::string question;                  // the question over the window, as last drawn
  // Pressing a panel's title presses its close box.
  bool BeginPanel(std::string_view title, int, int, int, int, bool background, bool* open) override {
    if (background) backgroundPanels.emplace_back(title);
    if (open && title == press) *open = false;
    return Seen(title), true;
  }
  void EndPanel() override {}
  int Question(std::string_view, std::string_view text, const std::vector<std::string>& buttons) override {
    question = text;
    for (size_t i = 0; i < buttons.size(); ++i)
      if (buttons[i] == press) return int(i);
    return -1;
  }
  bool Section(std::string_view title) override { return Seen(title), true; }
  void Label(std::string_view text) override { Seen(text); }
  void SameLine() override {}
  bool Button(std::string_view text, bool enabled) override { return Pressed(text) && enabled; }
  bool Check(std::string_view text, bool& value, bool enabled) override {
    if (!Pressed(text) || !enabled) return false;
    value = !value;
    return true;
  }
  bool Radio(std::string_view text, bool, bool) override { return Pressed(text); }
  bool Combo(std::string_view id, const std::vector<std::string>&, int&, bool) override { return Seen(id), false; }
  bool List(std::string_view id, const std::vector<std::string>& items, int& selected, int) override {
    Seen(id);
    if (id != "##rows") return false;
    compileRows = items;
    for (size_t i = 0; i < items.size() && !choose.empty(); ++i)
      if (items[i].find(choose) != std::string::npos && int(i) != selected) {
        selected = int(i);
        return true;
      }
    return false;
  }
  bool MultiList(std::string_view id, const std::vector<std::string>&, std::vector<uint8_t>&, int, bool) override {
    return Seen(id), false;
  }
  bool Field(std::string_view id, const std::string&, std::string&, int, bool) override { return Seen(id), false; }
  int Arrows(std::string_view, bool) override { return 0; }
  void TextBox(std::string_view, const std::string& text, int, int) override { report = text; }
  void BeginCanvas(std::string_view, int& w, int& h, platform::CanvasInput& input) override {
    w = h = 400;
    input = {};
  }
  void CanvasLine(float, float, float, float, uint32_t) override {}
  void CanvasRect(float, float, float, float, uint32_t, bool) override {}
  void EndCanvas() override {}

 private:
  void Seen(std::string_view s) { shown.emplace_back(s); }
  bool Pressed(std::string_view s) {
    Seen(s);
    return s == press;
  }
};

TEST_F(EditorFilesTest, TheOptionsPanelWiresItsButtonsToTheRules) {
  EditorFixture f;
  EditorPanels panels;
  panels.dataRoot = root_.string();
  PressingUi ui;
  ui.press = "Add";
  DrawEditorPanels(ui, f.e, panels, 560, 740);
  EXPECT_EQ(f.e.design->loopCount, 1);
  for (const char* title : {"Civano Building Editor", "Building Editor Options -- Version 8", "Loops",
                            "Control Points", "Actions"})
    EXPECT_NE(std::find(ui.shown.begin(), ui.shown.end(), title), ui.shown.end()) << title;

  // The plan and the options are the window itself; dialogs stay in front.
  EXPECT_EQ(ui.backgroundPanels,
            (std::vector<std::string>{"Civano Building Editor", "Building Editor Options -- Version 8"}));

  // Save As with properties missing says which, in the editor's window;
  // nothing is offered.
  ui.press = "Save As";
  DrawEditorPanels(ui, f.e, panels, 560, 740);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_NE(ui.question.find("These Building Property fields were not filled in"), std::string::npos)
      << ui.question;
  EXPECT_FALSE(panels.saveAsShown);
  ui.press = "OK";
  DrawEditorPanels(ui, f.e, panels, 560, 740);
  EXPECT_TRUE(panels.boxes.empty());
  ui.press = "Save As";
  f.SetAllProperties();
  DrawEditorPanels(ui, f.e, panels, 560, 740);
  EXPECT_TRUE(panels.saveAsShown);
  EXPECT_NE(panels.saveAsPath.find("c55_m2_00.cb"), std::string::npos) << panels.saveAsPath;

  // Process Buildings asks the loop for a compile and shows its dialog.
  ui.press = "Process Buildings";
  DrawEditorPanels(ui, f.e, panels, 560, 740);
  EXPECT_TRUE(panels.compileRequested && panels.compileShown);

  ui.press = "Control Point edit mode";
  DrawEditorPanels(ui, f.e, panels, 560, 740);
  EXPECT_TRUE(f.e.controlMode);
}

}  // namespace

namespace {

// Save As onto an existing file asks in the editor's window: "No" keeps the
// file and the Save As panel, "Yes" replaces it and closes the panel.
TEST_F(EditorFilesTest, SaveAsAsksInTheEditorsWindowBeforeReplacing) {
  EditorFixture f;
  AddLoop(f.e);
  f.SetAllProperties();
  EditorPanels panels;
  panels.dataRoot = root_.string();
  PressingUi ui;
  ui.press = "Save As";
  DrawEditorPanels(ui, f.e, panels, 560, 740);
  ASSERT_TRUE(panels.saveAsShown);
  // Shown below the game's root, so the file name at its end fits the field.
  const std::string relative = panels.saveAsPath;
  EXPECT_EQ(relative.rfind("data2/BuildEditorModels/", 0), 0u) << relative;
  WriteBytes(relative, {'k', 'e', 'p', 't'});

  for (const char* answer : {"No", "Yes"}) {
    ui.press = "OK##saveas";
    DrawEditorPanels(ui, f.e, panels, 560, 740);
    EXPECT_NE(ui.question.find("already exists.\nDo you want to replace it?"), std::string::npos) << answer;
    EXPECT_EQ(ReadBytes(relative), (std::vector<uint8_t>{'k', 'e', 'p', 't'})) << answer;
    EXPECT_TRUE(panels.saveAsShown) << answer;
    ui.press = answer;
    ui.question.clear();
    DrawEditorPanels(ui, f.e, panels, 560, 740);
  }
  EXPECT_TRUE(boxes_.empty());  // nothing went past the window
  EXPECT_FALSE(panels.saveAsShown);
  EXPECT_EQ(ReadBytes(relative).size(), size_t(kDesignFileSize));
}

// "Process Buildings" as the program runs it, then the compile dialog: the
// list names the files below the source folder; a chosen row in preview
// mode previews that compiled building, and "Current Building" names it.
TEST_F(EditorFilesTest, TheCompileDialogPreviewsAndNamesTheChosenBuilding) {
  EditorFixture f;
  AddLoop(f.e);
  f.SetAllProperties();
  EditorPanels panels;
  panels.dataRoot = root_.string();
  const std::string path = ProposedSaveAsPath(f.e, panels.dataRoot);
  ASSERT_TRUE(SaveDesignFileAs(f.e, panels, path));
  auto other = std::make_unique<BuildingDesign>(*f.e.design);
  other->loops[0].points[1].x = 4.0f;  // 3 wide, not 5
  other->loops[0].points[2].x = 4.0f;
  other->width = 3;
  ASSERT_TRUE(WriteBuildingDesign(*other, DesignSourceFolder(root_.string()) + "/c35_m2_00.cb"));

  PressingUi ui;
  ui.press = "Process Buildings";
  DrawEditorPanels(ui, f.e, panels, 560, 740);
  ASSERT_TRUE(panels.compileRequested);
  ASSERT_TRUE(ProcessBuildings(f.e, panels)) << panels.report.errorLine;
  ui.press.clear();
  DrawEditorPanels(ui, f.e, panels, 560, 740);
  EXPECT_EQ(ui.compileRows, (std::vector<std::string>{"2.Retail/3.Okafor/c55_m2_00.cb", "c35_m2_00.cb"}));

  const struct {
    const char* file;
    int width;
    const char* info;
  } rows[] = {{"c35_m2_00.cb", 3, "c35_m2_00.cb\nBuilding 1\nBase = 3 x 5"},
              {"c55_m2_00.cb", 5, "2.Retail/3.Okafor/c55_m2_00.cb\nBuilding 0\nBase = 5 x 5"}};
  ui.press = "Preview mode";
  for (const auto& row : rows) {
    ui.choose = row.file;
    DrawEditorPanels(ui, f.e, panels, 560, 740);
    ui.press.clear();
    ASSERT_TRUE(panels.previewMode);
    BuildingDescription d;
    ASSERT_TRUE(PreviewDescription(f.e, panels, d)) << row.file;
    EXPECT_EQ(d.baseWidth, row.width) << row.file;
    EXPECT_EQ(d.layers.size(), 1u) << row.file;  // walls to draw, not the empty lot
    ui.press = "Current Building";
    DrawEditorPanels(ui, f.e, panels, 560, 740);
    EXPECT_EQ(ui.report, row.info);
    ui.press.clear();
  }
  ui.press = "Detailed Sizes";
  DrawEditorPanels(ui, f.e, panels, 560, 740);
  EXPECT_NE(ui.report.find("3 x 5: 1"), std::string::npos) << ui.report;
  ui.press = "Compile";  // its close box hides it, as "Done" does
  DrawEditorPanels(ui, f.e, panels, 560, 740);
  EXPECT_FALSE(panels.compileShown);
}

// The bounds label follows the loops down to none.
TEST(OptionsDialogTest, TheBoundsLabelFollowsTheLoopsToNone) {
  EditorFixture f;
  AddLoop(f.e);
  EXPECT_EQ(LoopBoundsText(*f.e.design), "5x5");
  DeleteLoop(f.e);
  EXPECT_EQ(f.e.design->loopCount, 0);
  EXPECT_EQ(LoopBoundsText(*f.e.design), "0x0");
}

}  // namespace
