#pragma once
// The building editor's state and its editing rules: the plan view's mouse
// and keys (select and drag points with the edge-pair rule, insert and delete
// points, paint facade pieces, place and drag control points with axis
// locks), the options dialog's commands (loops, properties, texture set,
// control points, load, save and save as) and the preview window's keys.
// Each handler is a plain function of the editor and its input; the windows
// (platform) only draw what these leave and pass the user's input in.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "city/building_library.h"
#include "editor/building_design.h"
#include "editor/loop_geometry.h"

// Control point types of the options dialog: 121 rows in combo order; rows
// with id -1 are headings or separators.
struct ControlPointTypeRow {
  std::string name;
  int32_t id = -1;
};
const std::vector<ControlPointTypeRow>& ControlPointTypes();
// The combo row of a type id; 0 (the "SELECT A TYPE:" row) when none matches.
int ControlPointTypeRowOf(int32_t id);

// The property combos' entries (index = stored byte; 0 is the empty entry).
const std::vector<std::string>& PersonLabels();
const std::vector<std::string>& BuildingTypeLabels();
const std::vector<std::string>& PrestigeLabels();
const std::vector<std::string>& FloorLabels();
const std::vector<std::string>& BaseTypeLabels();
const std::vector<std::string>& RoofStyleLabels();
const std::vector<std::string>& MaterialLabels();
const std::vector<std::string>& FacadeLabels();

// What a control-point drag moves.
enum class DragAxes { kXZ, kX, kY, kZ };

struct ControlPointDrag {
  bool running = false;
  float startPixelX = 0, startPixelY = 0;
  float lastPixelX = 0, lastPixelY = 0;
  float startY = 0;
  DragAxes axes = DragAxes::kXZ;
};

// The five properties as remembered at the last load or save.
struct DesignProperties {
  uint8_t person = 0, prestige = 0, buildingType = 0, baseType = 0, floors = 0;
  bool operator==(const DesignProperties&) const = default;
};
DesignProperties PropertiesOf(const BuildingDesign& design);

struct BuildingEditor {
  std::unique_ptr<BuildingDesign> design = std::make_unique<BuildingDesign>();
  int currentLoop = 0;    // -1 none ("Base")
  int previousLoop = -1;  // the loop current before it, -1 none
  PlanTransform plan;
  bool keyX = false, keyY = false, keyZ = false;

  bool controlMode = false;
  int controlLoop = -1;
  int selectedControl = -1;
  ControlPointDrag controlDrag;

  bool editTextures = false;
  int facadeCode = 0;    // 0..15
  int textureGroup = 0;  // 0..4
  bool snap = true;
  int snapUnits = 2;  // 1..100
  bool showBackfaces = true;
  bool wireframe3d = false;
  bool variationMode = false;

  DesignProperties remembered;
  std::string fileName;  // empty: none
  std::string boundsText;    // "%dx%d" of the last compile of the bounds
  std::string dragYText[2];  // the Y drag's values, "b1: ..." and "b2: ..."
  int planRedraws = 0;
  // Set by every change of the design; the preview is rebuilt and cleared.
  bool previewDirty = true;
  // The time of the loop's pass (milliseconds), given by the caller; a loop
  // newly chosen is highlighted in the preview until highlightEnd.
  uint32_t clockMs = 0;
  int highlightLoop = -1;
  uint32_t highlightEnd = 0;
};

// How long a newly chosen loop stays highlighted in the preview.
inline constexpr uint32_t kLoopHighlightMs = 500;
// The highlighted loop at the editor's clock, -1 none; an expired highlight
// ends here.
int HighlightedLoop(BuildingEditor& editor);

// A new editor: an empty design, loop slot 0 current.
void ResetBuildingEditor(BuildingEditor& editor);
DesignLoop* CurrentLoop(BuildingEditor& editor);
// The loop drawn behind the current one (red), null when none.
DesignLoop* PreviousLoop(BuildingEditor& editor);

// ---- Plan view -------------------------------------------------------------------

// Key down (true) or up of X, Y or Z (either case); other keys are ignored.
void PlanKey(BuildingEditor& editor, char key, bool down);
void PlanLeftDown(BuildingEditor& editor, float pixelX, float pixelY);
void PlanLeftUp(BuildingEditor& editor);
void PlanRightDown(BuildingEditor& editor, float pixelX, float pixelY);
void PlanMouseMove(BuildingEditor& editor, float pixelX, float pixelY);

// What the plan view draws, in pixels of its client area (colours 0xRRGGBB).
struct PlanShape {
  enum Kind { kLine, kSquare, kFilledSquare } kind = kLine;
  float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  uint32_t colour = 0;
};
// Refits the transform to the client area and lists the grid, the previous
// loop (red), the current loop (light grey) with its marks and the control
// points. Counts a plan redraw.
std::vector<PlanShape> PlanViewShapes(BuildingEditor& editor, int32_t width, int32_t height);

// ---- Options dialog ----------------------------------------------------------------

// The loop list: "Base" then "Loop %02d : %2d points" (in variation mode the
// successors); row 0 is no loop.
std::vector<std::string> LoopListRows(const BuildingEditor& editor);
int LoopListRow(const BuildingEditor& editor);
void ChooseLoopRow(BuildingEditor& editor, int row);
void AddLoop(BuildingEditor& editor);
void CopyLoop(BuildingEditor& editor);
void DeleteLoop(BuildingEditor& editor);

// A loop field ("Height", "URepeat", "RepeatMax", "Offset 1", "Offset 2"):
// the text shown, the text entered, and the scroll arrows (+1 up, -1 down).
enum class LoopField { kHeight, kURepeat, kRepeatMax, kOffset1, kOffset2 };
std::string LoopFieldText(const BuildingEditor& editor, LoopField field);
void EnterLoopField(BuildingEditor& editor, LoopField field, std::string_view text);
void StepLoopField(BuildingEditor& editor, LoopField field, int direction);
void SetRoofStyles(BuildingEditor& editor, const std::vector<uint8_t>& selected);
void SetRailing(BuildingEditor& editor, bool railing);
void EnterSuccessors(BuildingEditor& editor, std::string_view text);
std::string SuccessorText(const BuildingEditor& editor);

// "Display texture font": below 0 gives 0, above 44 gives 44 (the design
// keeps its set then), else the design's set. Returns the field's new text.
std::string EnterTextureSet(BuildingEditor& editor, std::string_view text);
std::string StepTextureSet(BuildingEditor& editor, int direction);

void SetMaterials(BuildingEditor& editor, int group, const std::vector<uint8_t>& selected);
void ChooseVariation(BuildingEditor& editor, uint32_t seed);
void ChooseNormalOrder(BuildingEditor& editor);
std::string LoopOrderText(const BuildingEditor& editor);
void EnterLoopOrder(BuildingEditor& editor, std::string_view text);

// "Control Point edit mode"; false when refused (no current loop).
bool SetControlMode(BuildingEditor& editor, bool on);
enum class ControlField { kX, kY, kZ, kYAngle, kXScale, kYScale };
std::string ControlFieldText(const BuildingEditor& editor, ControlField field);
void EnterControlField(BuildingEditor& editor, ControlField field, std::string_view text);
void SetControlType(BuildingEditor& editor, int row);
void RemoveControlPoint(BuildingEditor& editor);

// ---- Files -------------------------------------------------------------------------

// A message box the caller shows (none when caption is empty).
struct EditorMessage {
  std::string caption;
  std::string text;
  bool Empty() const { return caption.empty(); }
};
// "These Building Property fields were not filled in:" with one line per
// missing property; empty when all five are set.
std::string MissingPropertiesText(const BuildingDesign& design);
// Reads a design file; on failure the design is new and the file name
// cleared. The message tells why a load failed.
EditorMessage LoadDesign(BuildingEditor& editor, std::string_view path);
// "Save": refused with a message when a property is missing or changed since
// the last load or save (the file name is then cleared).
EditorMessage SaveDesign(BuildingEditor& editor);
// Where "Save As" proposes to store the design below the data root:
// data2/BuildEditorModels/<type label>/<person label>/<code>_00.cb; empty
// when a property is missing.
std::string ProposedSaveAsPath(const BuildingEditor& editor, std::string_view dataRoot);
// "Save As" to `path`; an existing file is replaced only with
// `replaceConfirmed`. A failed write leaves the old file.
enum class SaveAsResult { kSaved, kNeedsConfirmation, kRefused };
SaveAsResult SaveDesignAs(BuildingEditor& editor, std::string_view path, bool replaceConfirmed,
                          EditorMessage& message);

// ---- Preview -----------------------------------------------------------------------

// The description the preview window builds: the design as the game's
// library would hold it (one layer per loop of the loop order, the control
// points as placements). False (description invalid) when the design has no
// loops or its base is not 1 to 7 cells each way.
bool RebuildPreviewBuilding(const BuildingEditor& editor, BuildingDescription& description);
// The loops' bounds label, "%dx%d" of width and depth; "0x0" with no loops
// (nothing left to bound).
std::string LoopBoundsText(const BuildingDesign& design);

// The preview window's state and keys.
enum class PreviewDisplay { kNone = 0, kDesign = 1, kSpecial = 2, kTestTriangle = 6, kTestPattern = 7 };
enum class PreviewCamera { kUnchanged, kFree, kEditorBlock };
struct PreviewState {
  PreviewDisplay display = PreviewDisplay::kDesign;
  bool wireframe = false;  // the W key
  bool specular = false;   // the S key: the preview's specular highlights
  bool quit = false;
};
// A key newly pressed ('F', 'S', 'W', 'D', the digits '2', '6' and '7' that
// choose the display of that number, and kKeyF7, kKeyF8, kKeyEscape);
// returns the camera change.
inline constexpr int kPreviewKeyF7 = 0x107, kPreviewKeyF8 = 0x108, kPreviewKeyEscape = 0x1B;
PreviewCamera PreviewKey(PreviewState& state, int key);

// The preview's statistics, placed in the 640 by 480 space so that no two
// lines overlap at any font size: the renderer's counters at the top left
// (right of the palette), the frame rate and polygon counts at the bottom
// right, and the debug counters in a row along the bottom edge (more rows
// above it when one is full). An empty line leaves half a line of space.
struct PlacedText {
  std::string text;
  float x = 0, y = 0;
};
struct TextExtent {
  float width = 0, height = 0;
};
std::vector<PlacedText> LayOutPreviewStatistics(const std::vector<std::string>& topLeft,
                                                const std::vector<std::string>& bottomRight,
                                                const std::vector<std::string>& bottomRow,
                                                const std::function<TextExtent(const std::string&)>& measure);
