// Compiles a model source (model_source.h) into a ".tm" model file.
//
//   modelc <source.txt> <game root>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/paths.h"
#include "tools/tool_io.h"
#include "tools/modelc/model_source.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: modelc <source.txt> <game root>\n");
    return 2;
  }
  std::string text;
  if (!ReadToolSource(argv[1], text)) return 1;
  ModelSource source;
  std::string error;
  if (!ParseModelSource(text, source, error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  if (!ToolOutputInside(source.output)) return 1;
  platform::SetGameRoot(argv[2]);
  if (!WriteModelFile(source.output, source.model, error)) {
    std::fprintf(stderr, "%s: %s: %s\n", argv[1], source.output.c_str(), error.c_str());
    return 1;
  }
  return 0;
}
