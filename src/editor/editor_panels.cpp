#include "editor/editor_panels.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "platform/clock.h"
#include "platform/editor_ui.h"
#include "platform/message_box.h"

namespace {

// The Save As field shows a path below the game's root as relative to it, so
// the file name at its end fits the field; what is typed there relative is
// saved below the root.
std::string ShownBelowRoot(const std::string& path, const std::string& root) {
  if (root.empty()) return path;
  const std::filesystem::path relative = std::filesystem::path(path).lexically_relative(root);
  if (relative.empty() || *relative.begin() == "..") return path;
  return relative.generic_string();
}
std::string UnderRoot(const std::string& path, const std::string& root) {
  if (root.empty() || path.empty() || std::filesystem::path(path).is_absolute()) return path;
  return (std::filesystem::path(root) / path).string();
}

constexpr const char* kEditorTitle = "Civano Building Editor";
constexpr const char* kOptionsTitle = "Building Editor Options -- Version 8";

// A box or question of the editor: in its own window while the panels are
// drawn there (the answer comes in a later frame), else the message box,
// which answers at once (headless: its default answer).
void Ask(EditorPanels& p, std::string caption, std::string text, platform::BoxIcon icon, platform::BoxButtons buttons,
         std::function<void(platform::BoxResult)> answered = {}) {
  if (p.boxesInWindow) {
    p.boxes.push_back({std::move(caption), std::move(text), buttons, std::move(answered)});
    return;
  }
  const platform::BoxResult answer = platform::ShowMessageBox(caption, text, icon, buttons);
  if (answered) answered(answer);
}

void Show(EditorPanels& p, const EditorMessage& m) {
  if (!m.Empty()) Ask(p, m.caption, m.text, platform::BoxIcon::Warning, platform::BoxButtons::Ok);
}

// The first waiting box over the window, until a button answers it.
void DrawBox(platform::EditorUi& ui, EditorPanels& p) {
  if (p.boxes.empty()) return;
  using platform::BoxResult;
  std::vector<std::string> labels = {"OK"};
  std::vector<BoxResult> results = {BoxResult::Ok};
  if (p.boxes.front().buttons != platform::BoxButtons::Ok) {
    labels = {"Yes", "No"};
    results = {BoxResult::Yes, BoxResult::No};
  }
  if (p.boxes.front().buttons == platform::BoxButtons::YesNoCancel) {
    labels.push_back("Cancel");
    results.push_back(BoxResult::Cancel);
  }
  const int pressed = ui.Question(p.boxes.front().caption, p.boxes.front().text, labels);
  if (pressed < 0 || size_t(pressed) >= results.size()) return;
  EditorPanels::Box box = std::move(p.boxes.front());
  p.boxes.pop_front();
  if (box.answered) box.answered(results[size_t(pressed)]);
}

std::vector<uint8_t> MaskBits(int32_t mask, int count) {
  std::vector<uint8_t> bits(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) bits[size_t(i)] = (mask >> i) & 1;
  return bits;
}

// ---- Plan view -----------------------------------------------------------------

void DrawPlanView(platform::EditorUi& ui, BuildingEditor& e) {
  int w = 0, h = 0;
  platform::CanvasInput in;
  ui.BeginCanvas("##plan", w, h, in);
  for (char c : in.keysDown) PlanKey(e, c, true);
  for (char c : in.keysUp) PlanKey(e, c, false);
  // The transform follows the canvas before the mouse is read.
  e.plan.Fit(w, h);
  if (in.moved) PlanMouseMove(e, in.mouseX, in.mouseY);
  if (in.leftDown) PlanLeftDown(e, in.mouseX, in.mouseY);
  if (in.leftUp) PlanLeftUp(e);
  if (in.rightDown) PlanRightDown(e, in.mouseX, in.mouseY);
  for (const PlanShape& s : PlanViewShapes(e, w, h)) {
    if (s.kind == PlanShape::kLine)
      ui.CanvasLine(s.x0, s.y0, s.x1, s.y1, s.colour);
    else
      ui.CanvasRect(s.x0, s.y0, s.x1, s.y1, s.colour, s.kind == PlanShape::kFilledSquare);
  }
  ui.EndCanvas();
}

// ---- Options dialog ---------------------------------------------------------------

void LoopSection(platform::EditorUi& ui, BuildingEditor& e) {
  if (!ui.Section("Loops")) return;
  int row = LoopListRow(e);
  if (ui.List("All Loops", LoopListRows(e), row, 6)) ChooseLoopRow(e, row);
  if (ui.Button("Add")) AddLoop(e);
  ui.SameLine();
  if (ui.Button("Copy")) CopyLoop(e);
  ui.SameLine();
  if (ui.Button("Delete")) DeleteLoop(e);
  ui.SameLine();
  ui.Label(e.boundsText);
}

void LoopProperties(platform::EditorUi& ui, BuildingEditor& e) {
  if (!ui.Section("Loop Properties")) return;
  const bool hasLoop = CurrentLoop(e) != nullptr;
  struct Row {
    const char* name;
    LoopField field;
  };
  const Row rows[] = {{"Height", LoopField::kHeight},   {"URepeat", LoopField::kURepeat},
                      {"RepeatMax", LoopField::kRepeatMax}, {"Offset 1", LoopField::kOffset1},
                      {"Offset 2", LoopField::kOffset2}};
  for (const Row& r : rows) {
    std::string entered;
    if (ui.Field(r.name, LoopFieldText(e, r.field), entered, 80, hasLoop)) EnterLoopField(e, r.field, entered);
    ui.SameLine();
    if (int step = ui.Arrows(r.name, hasLoop)) StepLoopField(e, r.field, step);
  }
  DesignLoop* loop = CurrentLoop(e);
  std::vector<uint8_t> roofs = MaskBits(loop ? loop->roofMask : 0, 9);
  if (ui.MultiList("Roof Type", RoofStyleLabels(), roofs, 5, hasLoop)) SetRoofStyles(e, roofs);
  char roofText[32];
  std::snprintf(roofText, sizeof roofText, "RoofType: %04X", unsigned(loop ? loop->roofMask : 0));
  ui.Label(roofText);
  bool railing = loop && (loop->flags & kLoopRailing);
  if (ui.Check("This is a Railing Loop", railing, hasLoop)) SetRailing(e, railing);
  std::string entered;
  if (ui.Field("Variation mode - Can go above:", SuccessorText(e), entered, 120, hasLoop))
    EnterSuccessors(e, entered);
}

void EditorOptions(platform::EditorUi& ui, BuildingEditor& e, EditorPanels& p) {
  if (!ui.Section("Loop Editor Options")) return;
  ui.Check("Snap to grid...", e.snap);
  ui.SameLine();
  std::string entered;
  if (ui.Field("Units", std::to_string(e.snapUnits), entered, 50, e.snap)) {
    int v = std::atoi(entered.c_str());
    e.snapUnits = std::clamp(v, 1, 100);
  }
  ui.Check("Edit Textures", e.editTextures);
  ui.Label("Texture Selector");
  const auto& facades = FacadeLabels();
  for (size_t i = 0; i < facades.size(); ++i) {
    if (i % 4) ui.SameLine();
    if (ui.Radio(facades[i], e.facadeCode == int(i))) e.facadeCode = int(i);
  }
  ui.Label("3D View Options");
  ui.Check("Wireframe 3D View", e.wireframe3d);
  ui.SameLine();
  ui.Check("Show backfaces", e.showBackfaces);
  if (ui.Field("Display texture font", p.textureSetText, entered, 50)) p.textureSetText = EnterTextureSet(e, entered);
  ui.SameLine();
  if (int step = ui.Arrows("texture set")) p.textureSetText = StepTextureSet(e, step);
}

void TextureGroups(platform::EditorUi& ui, BuildingEditor& e) {
  if (!ui.Section("Texture Groups")) return;
  for (int g = 0; g < 5; ++g) {
    if (g) ui.SameLine();
    if (ui.Radio(std::to_string(g), e.textureGroup == g)) e.textureGroup = g;
  }
  std::vector<uint8_t> materials = MaskBits(e.design->groupMasks[e.textureGroup], 5);
  if (ui.MultiList("Materials", MaterialLabels(), materials, 5)) SetMaterials(e, e.textureGroup, materials);
}

void BuildingProperties(platform::EditorUi& ui, BuildingEditor& e) {
  if (!ui.Section("Building Properties")) return;
  BuildingDesign& d = *e.design;
  struct Row {
    const char* name;
    uint8_t& value;
    const std::vector<std::string>& labels;
  };
  Row rows[] = {{"Person", d.person, PersonLabels()},          {"Building type", d.buildingType, BuildingTypeLabels()},
                {"Floors", d.floors, FloorLabels()},           {"Prestige", d.prestige, PrestigeLabels()},
                {"Base type", d.baseType, BaseTypeLabels()}};
  for (Row& r : rows) {
    int chosen = r.value < r.labels.size() ? r.value : 0;
    if (ui.Combo(r.name, r.labels, chosen)) {
      r.value = uint8_t(chosen);
      e.previewDirty = true;  // the type and floors change how it is built
    }
  }
}

void LoopOrder(platform::EditorUi& ui, BuildingEditor& e, EditorPanels&) {
  if (!ui.Section("Loop Order")) return;
  if (ui.Button("Variation")) ChooseVariation(e, platform::timeGetTime());
  ui.SameLine();
  if (ui.Button("Normal")) ChooseNormalOrder(e);
  std::string entered;
  if (ui.Field("Put loops in this order", LoopOrderText(e), entered, 200)) EnterLoopOrder(e, entered);
}

void ControlPoints(platform::EditorUi& ui, BuildingEditor& e) {
  if (!ui.Section("Control Points")) return;
  bool mode = e.controlMode;
  if (ui.Check("Control Point edit mode", mode, e.controlMode || CurrentLoop(e) != nullptr)) SetControlMode(e, mode);
  const bool selected = e.controlMode && e.selectedControl >= 0;
  struct Row {
    const char* name;
    ControlField field;
  };
  const Row rows[] = {{"X", ControlField::kX},          {"Y", ControlField::kY},
                      {"Z", ControlField::kZ},          {"Y Angle", ControlField::kYAngle},
                      {"X Scale", ControlField::kXScale}, {"Y Scale", ControlField::kYScale}};
  int n = 0;
  for (const Row& r : rows) {
    if (n++ % 3) ui.SameLine();
    std::string entered;
    if (ui.Field(r.name, ControlFieldText(e, r.field), entered, 70, selected)) EnterControlField(e, r.field, entered);
  }
  std::vector<std::string> names;
  for (const ControlPointTypeRow& row : ControlPointTypes()) names.push_back(row.name);
  int typeRow = selected ? ControlPointTypeRowOf(e.design->controls[e.selectedControl].type) : 0;
  if (ui.Combo("Control point type", names, typeRow, selected)) SetControlType(e, typeRow);
  ui.Button("Add##control", e.controlMode);
  ui.SameLine();
  if (ui.Button("Remove", selected)) RemoveControlPoint(e);
  ui.Label(e.dragYText[0] + "  " + e.dragYText[1]);
}

void Actions(platform::EditorUi& ui, BuildingEditor& e, EditorPanels& p) {
  if (!ui.Section("Actions")) return;
  if (ui.Button("Undo")) e.previewDirty = true;  // refreshes everything
  ui.SameLine();
  ui.Button("Redo");
  ui.SameLine();
  if (ui.Button("Load")) {
    p.openShown = true;
    p.designFiles = ListDesignFiles(p.dataRoot);
    if (p.openPath.empty()) p.openPath = DesignSourceFolder(p.dataRoot) + "/";
  }
  ui.SameLine();
  if (ui.Button("Save", !e.fileName.empty())) Show(p, SaveDesign(e));
  ui.SameLine();
  if (ui.Button("Save As")) {
    const std::string missing = MissingPropertiesText(*e.design);
    if (!missing.empty()) {
      Show(p, {"Civano Building Editor - Not letting you save!", missing});
    } else {
      p.saveAsShown = true;
      p.saveAsPath = ShownBelowRoot(ProposedSaveAsPath(e, p.dataRoot), p.dataRoot);
    }
  }
  ui.Label(e.fileName.empty() ? "(no file)" : e.fileName);
  if (ui.Button("Process Buildings") && !IsBuildingCompileRunning()) {
    p.compileShown = true;
    p.compileRequested = true;
  }
  char text[96];
  std::snprintf(text, sizeof text, "Polygons: %d\nVertices: %d", p.previewPolygons, p.previewVertices);
  ui.Label(text);
  std::snprintf(text, sizeof text, "b_n_2d: %d", e.planRedraws);
  ui.Label(text);
}

void FilePanels(platform::EditorUi& ui, BuildingEditor& e, EditorPanels& p, int width) {
  std::string entered;
  if (p.openShown) {
    if (ui.BeginPanel("Open", width / 2 - 260, 120, 520, 330)) {
      ui.Label("Civano Building (*.cb)");
      int chosen = -1;
      if (ui.List("##designs", p.designFiles, chosen, 10) && chosen >= 0 && size_t(chosen) < p.designFiles.size())
        p.openPath = DesignSourceFolder(p.dataRoot) + "/" + p.designFiles[size_t(chosen)];
      if (ui.Field("File", p.openPath, entered, 400)) p.openPath = entered;
      if (ui.Button("OK")) {
        LoadDesignFile(e, p, p.openPath);
        p.openShown = false;
      }
      ui.SameLine();
      if (ui.Button("Cancel")) p.openShown = false;
    }
    ui.EndPanel();
  }
  if (p.saveAsShown) {
    // As wide as the window allows: the proposed path ends in the file name,
    // which a narrow field cuts off.
    const int panelWidth = std::max(440, width - 20);
    if (ui.BeginPanel("Civano Building Editor / Save As...", (width - panelWidth) / 2, 160, panelWidth, 110)) {
      ui.Label("Civano Building (*.cb)");
      if (ui.Field("File##saveas", p.saveAsPath, entered, panelWidth - 70)) p.saveAsPath = entered;
      if (ui.Button("OK##saveas")) {
        if (SaveDesignFileAs(e, p, UnderRoot(p.saveAsPath, p.dataRoot))) p.saveAsShown = false;
      }
      ui.SameLine();
      if (ui.Button("Cancel##saveas")) p.saveAsShown = false;
    }
    ui.EndPanel();
  }
}

// The library entry of the chosen row: -1 for none, a message or a design
// left out.
int ChosenEntry(const EditorPanels& p) {
  const bool inRange = p.compileRow >= 0 && size_t(p.compileRow) < p.report.rowEntries.size();
  return inRange ? p.report.rowEntries[size_t(p.compileRow)] : -1;
}

void CompileDialog(platform::EditorUi& ui, EditorPanels& p, int width) {
  if (!p.compileShown) return;
  // Wide enough for the four report choices on one line; closing it hides
  // it, as "Done" does.
  if (ui.BeginPanel("Compile", std::max(0, width - 550), 60, 540, 520, false, &p.compileShown)) {
    int row = p.compileRow;
    if (ui.List("##rows", p.report.rows, row, 10)) {
      p.compileRow = row;
      if (p.previewMode) p.previewEntry = ChosenEntry(p);
    }
    if (ui.Check("Preview mode", p.previewMode)) p.previewEntry = p.previewMode ? ChosenEntry(p) : -1;
    const char* kinds[] = {"General Stats", "Building Sizes", "Detailed Sizes", "Current Building"};
    for (int k = 0; k < 4; ++k) {
      if (k) ui.SameLine();
      if (ui.Radio(kinds[k], p.reportKind == k)) p.reportKind = k;
    }
    std::string text = p.report.statsText;
    if (const BuildingLibrary* library = LastCompiledLibrary()) {
      switch (p.reportKind) {
        case 1: text = FormatLibraryBaseSizeTable(*library); break;
        case 2: text = DumpLibraryDetails(*library); break;
        case 3: {
          // The file the entry came from, then the entry.
          const int entry = ChosenEntry(p);
          text = entry >= 0 ? p.report.rows[size_t(p.compileRow)] + "\n" + FormatLibraryBuildingInfo(*library, entry)
                            : "";
          break;
        }
        default: text = FormatLibraryStats(*library); break;
      }
    }
    ui.TextBox("##report", text, 520, 150);
    ui.Label(p.report.errorLine);
    ui.Label(p.report.statusLine);
    if (ui.Button("Done")) p.compileShown = false;
    ui.SameLine();
    if (ui.Button("Stop", IsBuildingCompileRunning())) StopBuildingCompile();
    ui.SameLine();
    ui.Button("List Errors");
  }
  ui.EndPanel();
}

}  // namespace

void DrawEditorPanels(platform::EditorUi& ui, BuildingEditor& e, EditorPanels& p, int width, int height) {
  // Drawn, so there is a window to ask in from now on.
  p.boxesInWindow = true;
  // While a compile runs only its dialog takes input.
  if (IsBuildingCompileRunning()) {
    CompileDialog(ui, p, width);
    return;
  }
  // The plan and the options are the window itself: the dialogs stay in
  // front of them.
  const int planHeight = std::min(height / 2, width);
  if (ui.BeginPanel(kEditorTitle, 0, 0, width, planHeight, true)) DrawPlanView(ui, e);
  ui.EndPanel();
  if (ui.BeginPanel(kOptionsTitle, 0, planHeight, width, height - planHeight, true)) {
    LoopSection(ui, e);
    LoopProperties(ui, e);
    EditorOptions(ui, e, p);
    TextureGroups(ui, e);
    BuildingProperties(ui, e);
    LoopOrder(ui, e, p);
    ControlPoints(ui, e);
    Actions(ui, e, p);
  }
  ui.EndPanel();
  FilePanels(ui, e, p, width);
  CompileDialog(ui, p, width);
  DrawBox(ui, p);
}

std::vector<std::string> ListDesignFiles(const std::string& dataRoot) {
  namespace fs = std::filesystem;
  std::vector<std::string> files;
  const fs::path folder = DesignSourceFolder(dataRoot);
  std::error_code ec;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
  // A bounded walk: a list to choose from, not an index of the disk.
  for (int seen = 0; !ec && it != end && seen < 20000; it.increment(ec), ++seen) {
    if (!it->is_regular_file(ec) || it->path().extension() != ".cb") continue;
    files.push_back(it->path().lexically_relative(folder).generic_string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

bool ProcessBuildings(BuildingEditor& e, EditorPanels& p) {
  p.compileRequested = false;
  if (IsBuildingCompileRunning()) return false;
  p.compileShown = true;
  p.compileRow = -1;
  p.previewEntry = -1;
  p.report = CompileReport{};
  const bool ok = CompileBuildingLibrary(p.dataRoot, p.report);
  p.compileRan = true;
  e.previewDirty = true;
  return ok;
}

void LoadDesignFile(BuildingEditor& e, EditorPanels& p, const std::string& path) {
  Show(p, LoadDesign(e, path));
  p.textureSetText = std::to_string(e.design->textureSet);
}

bool SaveDesignFileAs(BuildingEditor& e, EditorPanels& p, const std::string& path) {
  EditorMessage message;
  const SaveAsResult result = SaveDesignAs(e, path, false, message);
  if (result != SaveAsResult::kNeedsConfirmation) {
    Show(p, message);
    return result == SaveAsResult::kSaved;
  }
  // Answered now by the message box, or in a later frame in the window.
  auto saved = std::make_shared<bool>(false);
  Ask(p, kEditorTitle, path + " already exists.\nDo you want to replace it?", platform::BoxIcon::Question,
      platform::BoxButtons::YesNo, [&e, &p, path, saved](platform::BoxResult answer) {
        if (answer != platform::BoxResult::Yes) return;
        EditorMessage replaced;
        *saved = SaveDesignAs(e, path, true, replaced) == SaveAsResult::kSaved;
        Show(p, replaced);
        if (*saved) p.saveAsShown = false;
      });
  return *saved;
}

bool PreviewDescription(const BuildingEditor& e, const EditorPanels& p, BuildingDescription& out) {
  if (p.previewMode && p.previewEntry >= 0) {
    out = BuildingDescription{};
    return InstantiateLibraryBuilding(LastCompiledLibrary(), p.previewEntry, out, 4);
  }
  return RebuildPreviewBuilding(e, out);
}
