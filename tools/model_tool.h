#pragma once
// The program of the tools that compile one readable source into one model
// file (the model and layout compilers):
//
//   <tool> <source.txt> <game root>
#include <cstdio>
#include <string>

#include "engine/files/model_file.h"
#include "platform/paths.h"
#include "tools/tool_io.h"

// `parse(text, source, error)` fills a source with `output` and `model`.
template <typename Source, typename Parse>
int CompileModelSource(int argc, char** argv, const char* tool, Parse parse) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <source.txt> <game root>\n", tool);
    return 2;
  }
  std::string text;
  if (!ReadToolSource(argv[1], text)) return 1;
  Source source;
  std::string error;
  if (!parse(text, source, error)) {
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
