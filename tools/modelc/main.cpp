// Compiles a model source (model_source.h) into a ".tm" model file.
//
//   modelc <source.txt> <game root>
#include "tools/model_tool.h"
#include "tools/modelc/model_source.h"

int main(int argc, char** argv) {
  return CompileModelSource<ModelSource>(argc, argv, "modelc", ParseModelSource);
}
