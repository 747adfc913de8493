// designgen: writes the building design files of the readable looks.
//   designgen <output folder> <source.txt>...
#include <cstdio>
#include <string>

#include "tools/designgen/design_source.h"
#include "tools/tool_io.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: designgen <output folder> <source.txt>...\n");
    return 2;
  }
  DesignSource source;
  for (int i = 2; i < argc; ++i) {
    std::string text, error;
    if (!ReadToolSource(argv[i], text)) return 1;
    if (!ParseDesignSource(text, source, error)) {
      std::fprintf(stderr, "%s: %s\n", argv[i], error.c_str());
      return 1;
    }
  }
  const int32_t written = WriteAllDesigns(source, argv[1]);
  if (written < 0) return 1;
  std::printf("designgen: %d design files\n", written);
  return 0;
}
