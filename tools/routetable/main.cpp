// Writes the game's route table, computed from the built-in city map.
// Usage: routetable <output file>
#include <cstdio>

#include "city/blocks.h"
#include "city/city_map.h"
#include "city/route_table_builder.h"
#include "platform/headless.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: routetable <output file>\n");
    return 2;
  }
  platform::SetHeadless(true);
  InitBlockDefs();
  InitDistricts();
  if (!BuildCityFromMap()) {
    std::fprintf(stderr, "routetable: the city map could not be built\n");
    return 1;
  }
  const auto image = BuildRouteTableImage();
  std::FILE* f = std::fopen(argv[1], "wb");
  if (f == nullptr) {
    std::fprintf(stderr, "routetable: cannot write %s\n", argv[1]);
    return 1;
  }
  bool ok = std::fwrite(image.data(), 1, image.size(), f) == image.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) std::fprintf(stderr, "routetable: writing %s failed\n", argv[1]);
  return ok ? 0 : 1;
}
