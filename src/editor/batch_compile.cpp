#include "editor/batch_compile.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "editor/building_design.h"
#include "editor/library_compiler.h"

namespace fs = std::filesystem;

namespace {

// File names follow "%c%d%d_%c%d_00.cb"; the checks read the name up to
// character 5, which a shorter name does not have.
constexpr size_t kCheckedNameLength = 6;

struct CompileState {
  bool running = false;  // cleared by "Stop"
  bool busy = false;     // from start to end, "Stop" or not: no second run inside the first
  std::unique_ptr<BuildingLibrary> library;
  std::function<void()> pump;
};

CompileState& State() {
  static CompileState state;
  return state;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

void Pump() {
  if (State().pump) State().pump();
}

bool IsDesignFile(const fs::directory_entry& e) {
  std::string ext = e.path().extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::error_code ec;
  return ext == ".cb" && !e.is_directory(ec);
}

std::vector<fs::directory_entry> SortedEntries(const fs::path& folder) {
  std::vector<fs::directory_entry> entries;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) entries.push_back(e);
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
  return entries;
}

struct Walk {
  CompileReport& report;
  BuildingLibrary& library;
  fs::path source;  // rows name files below it: a whole path leaves no room for the name

  // A design that cannot be read, fails its checks or cannot be compiled is
  // left out, named in the report; the rest still make the library.
  void Skip(const std::string& name) {
    if (report.skipped++ == 0) report.firstSkipped = name;
  }

  // False when the walk must end ("Stop").
  bool ProcessFile(const fs::path& path) {
    Pump();
    const std::string name = path.lexically_relative(source).generic_string();
    report.AddRow(name);
    const size_t row = report.rows.size() - 1;
    auto design = std::make_unique<BuildingDesign>();
    NewBuildingDesign(*design);
    std::string reason;
    if (!ReadBuildingDesign(*design, path.string(), &reason)) {
      report.AddRow("--> ERROR: Could not load (" + reason + ")");
      Skip(name);
    } else if (CheckDesignParameters(*design, path.filename().string(), report)) {
      const int32_t entry = AddBuildingToLibrary(library, *design, &reason);
      if (entry >= 0) report.rowEntries[row] = entry;
      else {
        report.AddRow("--> ERROR: " + reason);
        Skip(name);
      }
    } else {
      Skip(name);
    }
    report.statsText = FormatLibraryStats(library);
    if (!State().running) report.errorLine = "ERROR: Processing interrupted by user";
    Pump();
    return State().running;
  }

  bool Folder(const fs::path& folder) {
    const std::vector<fs::directory_entry> entries = SortedEntries(folder);
    std::error_code ec;
    for (const auto& e : entries) {
      const std::string leaf = e.path().filename().string();
      if (e.is_directory(ec) && !leaf.empty() && leaf[0] != '.' && leaf[0] != '_' && !Folder(e.path())) return false;
    }
    for (const auto& e : entries)
      if (IsDesignFile(e) && !ProcessFile(e.path())) return false;
    return true;
  }
};

}  // namespace

void CompileReport::AddRow(std::string row, int32_t entry) {
  if (onRow) onRow(row);
  rows.push_back(std::move(row));
  rowEntries.push_back(entry);
}

namespace {
// An empty root is the working folder.
fs::path RootPath(std::string_view dataRoot) {
  std::error_code ec;
  const fs::path root = dataRoot.empty() ? fs::current_path(ec) : fs::absolute(fs::path(dataRoot), ec);
  return ec ? fs::path(dataRoot) : root;
}
}  // namespace

std::string DesignSourceFolder(std::string_view dataRoot) {
  return (RootPath(dataRoot) / "data2" / "BuildEditorModels").string();
}

std::string LibraryOutputPath(std::string_view dataRoot) {
  return (RootPath(dataRoot) / "max" / "BuildEditorModels" / "BuildFile.dat").string();
}

bool CheckDesignParameters(const BuildingDesign& d, std::string_view fileName, CompileReport& report) {
  bool ok = true;
  auto warn = [&](std::string row) {
    report.AddRow(std::move(row));
    ok = false;
  };
  if (d.baseType < 1 || d.baseType > 2) warn(Format("--> WARNING: Invalid parameter / xBase = %d", d.baseType));
  if (d.floors < 1 || d.floors > 4) warn(Format("--> WARNING: Invalid parameter / xFloors = %d", d.floors));
  if (d.prestige < 1 || d.prestige > 3) warn(Format("--> WARNING: Invalid parameter / xPrestige = %d", d.prestige));
  if (d.person < 1 || d.person > 7) warn(Format("--> WARNING: Invalid parameter / xPerson = %d", d.person));
  if (d.width < 1 || d.width > 7 || d.depth < 1 || d.depth > 7)
    warn(Format("--> WARNING: Invalid size = %d x %d", d.width, d.depth));
  if (d.floors == 4) {
    bool repeats = false;
    for (int i = 0; i < d.loopCount && i < kMaxDesignLoops; ++i) repeats = repeats || d.loops[i].repeatMax > 1;
    if (!repeats) warn("--> WARNING: No repeatmax values on 4-floor building");
  }
  if (fs::path(fileName).stem().string().size() < kCheckedNameLength) {
    warn(Format("--> WARNING: Filename mismatch / filename '%.*s' is too short", static_cast<int>(fileName.size()),
                fileName.data()));
    return false;
  }
  const char base = static_cast<char>(std::tolower(static_cast<unsigned char>(fileName[0])));
  if ((d.baseType == 1 && base != 'c') || (d.baseType == 2 && base != 'e'))
    warn(Format("--> WARNING: Filename mismatch / xBase = %d, filename base = %c", d.baseType, fileName[0]));
  // Digits are compared as numbers: the stored sizes may be any int.
  auto digit = [&](size_t at) { return int(fileName[at]) - '0'; };
  if (digit(5) != d.floors)
    warn(Format("--> WARNING: Filename mismatch / xFloors = %d, filename floors = %c", d.floors, fileName[5]));
  if (digit(1) != d.width || digit(2) != d.depth)
    warn(Format("--> WARNING: Filename mismatch / Base size = %dx%d, filename base size = %cx%c", d.width, d.depth,
                fileName[1], fileName[2]));
  return ok;
}

bool CompileBuildingLibrary(std::string_view dataRoot, CompileReport& report) {
  CompileState& state = State();
  if (state.busy) return false;
  state.busy = true;
  state.library = std::make_unique<BuildingLibrary>();
  report.errorLine.clear();
  report.statusLine = "STATUS: Working...";
  report.rows.clear();
  report.rowEntries.clear();
  state.running = true;

  const std::string source = DesignSourceFolder(dataRoot);
  Walk walk{report, *state.library, fs::path(source)};
  std::error_code ec;
  bool ok = fs::is_directory(source, ec);
  if (!ok) report.errorLine = Format("ERROR: No building design folder '%s'", source.c_str());
  ok = ok && walk.Folder(source) && state.running;
  if (ok) {
    const std::string output = LibraryOutputPath(dataRoot);
    ok = SaveBuildingLibrary(output, *state.library);
    if (!ok) report.errorLine = Format("ERROR: Could not write the building library '%s'", output.c_str());
    else if (report.skipped == 1)
      report.errorLine = Format("WARNING: The design '%s' was left out (see its messages)", report.firstSkipped.c_str());
    else if (report.skipped > 1)
      report.errorLine = Format("WARNING: %d designs were left out, the first '%s' (see their messages)",
                                report.skipped, report.firstSkipped.c_str());
  }
  report.statusLine = ok ? "STATUS: Files processed OK" : "STATUS: There was an error processing files";
  state.running = false;
  state.busy = false;
  return ok;
}

void StopBuildingCompile() { State().running = false; }

bool IsBuildingCompileRunning() { return State().running; }

void SetCompilePumpHook(std::function<void()> pump) { State().pump = std::move(pump); }

const BuildingLibrary* LastCompiledLibrary() { return State().library.get(); }
