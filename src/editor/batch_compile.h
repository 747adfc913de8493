#pragma once
// The batch compile of the building library: every design file (".cb") of
// the folder tree `data2/BuildEditorModels` below a data root is checked and
// compiled into one library, written to `max/BuildEditorModels/BuildFile.dat`
// below the same root. Subfolders are compiled before a folder's own files,
// depth first, each folder's entries in name order (so every machine builds
// the same library); folders whose names begin with '.' or '_' are skipped.
//
// A design that cannot be read, fails its checks or cannot be compiled is
// listed with its messages and left out; the others are still written, and
// the error line names the first one left out. The run fails (and writes
// nothing) when the source folder is missing, the run is stopped, or the
// library cannot be written.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "city/building_library.h"

// What the compile dialog shows: one row per file (its path below the
// source folder) and per message, the library entry index of each file's
// row (-1 none), an error line, a status line and the running statistics.
struct CompileReport {
  std::vector<std::string> rows;
  std::vector<int32_t> rowEntries;
  std::string errorLine;
  std::string statusLine;
  std::string statsText;
  int32_t skipped = 0;        // designs left out of the library
  std::string firstSkipped;   // the path of the first, below the source folder
  // Told of every row as it is added (the command line prints them).
  std::function<void(const std::string& row)> onRow;

  void AddRow(std::string row, int32_t entry = -1);
};

// The data root's source folder and output file.
std::string DesignSourceFolder(std::string_view dataRoot);
std::string LibraryOutputPath(std::string_view dataRoot);

// Runs the compile; false when it failed (see above) or one is already
// running.
bool CompileBuildingLibrary(std::string_view dataRoot, CompileReport& report);
// Ends a running compile after its current file ("Stop").
void StopBuildingCompile();
bool IsBuildingCompileRunning();
// Called before and after each file so a window can stay alive.
void SetCompilePumpHook(std::function<void()> pump);
// The library of the last compile (kept for the reports and the preview);
// null before the first.
const BuildingLibrary* LastCompiledLibrary();

// The checks of a design against its properties and its file name; each
// failing check adds its warning row. True when all pass.
struct BuildingDesign;
bool CheckDesignParameters(const BuildingDesign& design, std::string_view fileName, CompileReport& report);
