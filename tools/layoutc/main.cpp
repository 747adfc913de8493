// Compiles a layout source (layout_source.h) into a layout model file.
//
//   layoutc <source.txt> <game root>
#include <cstdio>
#include <string>

#include "platform/paths.h"
#include "tools/layoutc/layout_source.h"
#include "tools/tool_io.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: layoutc <source.txt> <game root>\n");
    return 2;
  }
  std::string text;
  if (!ReadToolSource(argv[1], text)) return 1;
  LayoutSource source;
  std::string error;
  if (!ParseLayoutSource(text, source, error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  platform::SetGameRoot(argv[2]);
  if (!WriteModelFile(source.output, source.model, error)) {
    std::fprintf(stderr, "%s: %s: %s\n", argv[1], source.output.c_str(), error.c_str());
    return 1;
  }
  return 0;
}
