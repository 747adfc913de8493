// designgen: writes the building design files of the readable looks.
//   designgen <output folder> [--drop-copies <folder>] <source.txt>...
// --drop-copies removes the files below <folder> that are byte for byte a
// design just written at the same place below the output folder: copies an
// older build wrote among the user's designs, which would otherwise be
// compiled twice. A file that differs (a design the user changed) stays.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/designgen/design_source.h"
#include "tools/tool_io.h"

namespace fs = std::filesystem;

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void DropCopies(const fs::path& written, const fs::path& folder) {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(written, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const fs::path copy = folder / fs::relative(it->path(), written, ec);
    std::error_code missing;
    if (fs::is_regular_file(copy, missing) && Bytes(copy) == Bytes(it->path())) fs::remove(copy, missing);
  }
}

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: designgen <output folder> [--drop-copies <folder>] <source.txt>...\n");
    return 2;
  }
  int first = 2;
  std::string copies;
  if (argc > 4 && std::string(argv[2]) == "--drop-copies") {
    copies = argv[3];
    first = 4;
  }
  DesignSource source;
  for (int i = first; i < argc; ++i) {
    std::string text, error;
    if (!ReadToolSource(argv[i], text)) return 1;
    if (!ParseDesignSource(text, source, error)) {
      std::fprintf(stderr, "%s: %s\n", argv[i], error.c_str());
      return 1;
    }
  }
  const int32_t written = WriteAllDesigns(source, argv[1]);
  if (written < 0) return 1;
  if (!copies.empty()) DropCopies(argv[1], copies);
  std::printf("designgen: %d design files\n", written);
  return 0;
}
