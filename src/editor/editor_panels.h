#pragma once
// The building editor's panels, drawn each frame through the editor window
// (platform/editor_ui.h): the plan view, the options dialog with every
// control of the design, the file panels (Open, Save As) and the compile
// dialog. Every change goes through the handlers of building_editor.h.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "city/building_library.h"
#include "editor/batch_compile.h"
#include "editor/building_editor.h"
#include "platform/message_box.h"

namespace platform {
class EditorUi;
}

struct EditorPanels {
  std::string dataRoot;  // below it: data2/BuildEditorModels, max/BuildEditorModels
  std::string textureSetText = "0";
  int textureGroupShown = 0;
  // File panels.
  bool openShown = false, saveAsShown = false;
  std::string openPath, saveAsPath;
  std::vector<std::string> designFiles;  // the Open panel's list, below the source folder
  // The compile dialog.
  bool compileShown = false;
  bool compileRequested = false;  // "Process Buildings" pressed; the loop runs it
  CompileReport report;
  bool compileRan = false;
  int reportKind = 0;  // 0 general stats, 1 building sizes, 2 detailed sizes, 3 current building
  int compileRow = -1;
  bool previewMode = false;
  int previewEntry = -1;  // the compiled entry the preview shows in preview mode
  // Shown under the options: the preview's counts.
  int previewPolygons = 0, previewVertices = 0;
  // Boxes and questions waiting in the editor's window, the first shown
  // over it; each answer goes to its handler. Only once the panels have
  // been drawn: before that (headless, no window) the message box answers.
  struct Box {
    std::string caption, text;
    platform::BoxButtons buttons = platform::BoxButtons::Ok;
    std::function<void(platform::BoxResult)> answered;
  };
  std::deque<Box> boxes;
  bool boxesInWindow = false;
};

// Draws the panels into a window of that size and applies what the user did.
void DrawEditorPanels(platform::EditorUi& ui, BuildingEditor& editor, EditorPanels& panels, int width, int height);

// "Process Buildings": shows the compile dialog and compiles the data root's
// design folder into the library file. False when the compile failed or one
// is running. The button only asks (compileRequested); the program's loop
// runs the compile outside its frame, so the windows can be drawn (and
// "Stop" pressed) between files.
bool ProcessBuildings(BuildingEditor& editor, EditorPanels& panels);
// The design files below the data root's source folder, as paths relative
// to it, in name order.
std::vector<std::string> ListDesignFiles(const std::string& dataRoot);
// "Load" and "Save As" with a chosen path (the file panels' OK). Save As
// onto an existing file asks first; asked in the window, the answer comes
// in a later frame, so false now and the Save As panel closes when a "Yes"
// has saved it.
void LoadDesignFile(BuildingEditor& editor, EditorPanels& panels, const std::string& path);
bool SaveDesignFileAs(BuildingEditor& editor, EditorPanels& panels, const std::string& path);

// The description the preview window shows: a compiled entry while the
// compile dialog's preview mode has one chosen, else the design.
bool PreviewDescription(const BuildingEditor& editor, const EditorPanels& panels, BuildingDescription& out);
