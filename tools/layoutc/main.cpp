// Compiles a layout source (layout_source.h) into a layout model file.
//
//   layoutc <source.txt> <game root>
#include "tools/layoutc/layout_source.h"
#include "tools/model_tool.h"

int main(int argc, char** argv) {
  return CompileModelSource<LayoutSource>(argc, argv, "layoutc", ParseLayoutSource);
}
