// buildcompile: the batch compile of the building library from the command
// line. Compiles every design file below <data root>/data2/BuildEditorModels
// into <data root>/max/BuildEditorModels/BuildFile.dat. A design left out
// is a warning: the tree holds the designers' own folders too, and one
// unfinished design must not cost everyone the library (or the build its
// target). Exits 1 only when the compile fails and nothing was written.
//   buildcompile <data root>
#include <cstdio>
#include <string>

#include "editor/batch_compile.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: buildcompile <data root>\n");
    return 2;
  }
  CompileReport report;
  // Only the messages, each after the file it is about: one line per
  // file would drown them.
  std::string file;
  report.onRow = [&](const std::string& row) {
    if (row.rfind("-->", 0) != 0) {
      file = row;
      return;
    }
    if (!file.empty()) std::fprintf(stderr, "%s\n", file.c_str());
    file.clear();
    std::fprintf(stderr, "  %s\n", row.c_str());
  };
  const bool ok = CompileBuildingLibrary(argv[1], report);
  if (!report.errorLine.empty()) std::fprintf(stderr, "%s\n", report.errorLine.c_str());
  std::printf("%s\n%s", report.statusLine.c_str(), report.statsText.c_str());
  return ok ? 0 : 1;
}
