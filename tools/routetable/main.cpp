// Writes the game's route table, computed from the built-in city map.
// Usage: routetable <output file>
#include <cstdio>

#include "city/blocks.h"
#include "city/city_map.h"
#include "city/road_topology.h"
#include "city/route_table_builder.h"
#include "engine/files/file_bytes.h"
#include "platform/headless.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: routetable <output file>\n");
    return 2;
  }
  platform::SetHeadless(true);
  InitBlockDefs();
  InitDistricts();
  SetRouteTableImage({});  // the table is what this tool makes: none to read
  if (!BuildCityFromMap()) {
    std::fprintf(stderr, "routetable: the city map could not be built\n");
    return 1;
  }
  const auto image = BuildRouteTableImage();
  // Whole or not at all: a failed write leaves no part of a table behind.
  if (!WriteWholeGameFile(argv[1], image)) {
    std::fprintf(stderr, "routetable: writing %s failed\n", argv[1]);
    return 1;
  }
  return 0;
}
