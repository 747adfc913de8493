#pragma once
// The building design generator: readable looks (data/buildings/*.txt) to
// the design files (".cb") that the batch compile turns into the building
// library. A look says which category and quality it serves and how its
// buildings are built; the generator makes, for every case the city asks
// for, designs of every footprint and floor class from the looks that serve
// it, taking turns among them so neighbours differ.
//
// Source lines ('#' starts a comment; numbers may be hexadecimal, 0x...):
//   designer <1..7> <name>            labels of the designers' folders
//   variants <n>                      designs per case (default 2)
//   look <name>                       starts a look; its lines follow:
//     category <1..12>                1 residential, 2 retail, 5 landscape,
//                                     7 telecoms, 8 gas, 9 electric, 10 water,
//                                     12 marina
//     quality <1..3>
//     designer <1..7>
//     sizes <all | w x d ...>         footprints (all: 1..7 by 1..7)
//     floors <classes>                floor classes served (1..4)
//     bases <corner|side ...>         base kinds served
//     materials <5 masks>             texture group masks, groups 0..4
//                                     (1 brick, 2 stone, 4 timber, 8 concrete, 16 glass)
//     ground <height> <door> <window> <blank>   ground storey: height and facade codes
//     storey <height> <window> <blank> [backs blank|window]   upper storeys
//     shape <plain|setback|notch|tower|garden|park|works>
//     roof <mask>                     roof styles of the top storey
//     gable                           a pitched roof piece above the top storey
//     ledge <drop> <width>            ledge of the ground storey
//     weight <n>                      repeats of the middle storeys of 4+ designs
//     sign <code> <width> <height>    front sign (0 none)
//     props <codes>                   parts on the roof (or in the yard/park)
//   end
//
// A design's street front is the edge z = 7; a corner design's second
// street side is x = 0.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/building_design.h"

struct DesignLook {
  std::string name;
  int32_t category = 0;
  int32_t quality = 0;
  int32_t designer = 1;
  std::vector<std::pair<int32_t, int32_t>> sizes;  // empty: all 49
  std::vector<int32_t> floorClasses{1, 2, 3, 4};
  std::vector<int32_t> bases{1, 2};
  int32_t materials[5] = {1, 1, 1, 1, 1};
  float groundHeight = 1.0f;
  uint8_t groundDoor = kFacadeGroundDoorRes, groundWindow = kFacadeGroundWindowRes, groundBlank = kFacadeGroundBlankRes;
  float storeyHeight = 0.9f;
  uint8_t storeyWindow = kFacadeWindow0, storeyBlank = kFacadeBlank0;
  bool blankBacks = false;
  std::string shape = "plain";
  int32_t roof = kRoofFlat;
  bool gable = false;
  float ledgeDrop = 0, ledgeWidth = 0;
  int32_t weight = 12;
  int32_t sign = 0;
  float signWidth = 0, signHeight = 0;
  std::vector<int32_t> props;
};

struct DesignSource {
  std::string designers[8];
  int32_t variants = 2;
  std::vector<DesignLook> looks;
};

// Parses a source; false with "line N: reason" on the first bad line.
bool ParseDesignSource(std::string_view text, DesignSource& source, std::string& error);

// One design of a look for a case; its file name follows the design file
// scheme "%c%d%d_%c%d_%02d.cb".
struct DesignCase {
  int32_t width = 1, depth = 1, floorClass = 1, base = 1, variant = 0;
};
void BuildDesign(const DesignLook& look, const DesignCase& c, BuildingDesign& design);
std::string DesignFileName(const DesignCase& c, int32_t quality);
// The folder of a look's designs below the source folder: "<type>/<designer>".
std::string DesignFolder(const DesignSource& source, const DesignLook& look);

// Writes every design of the source below `folder`; the number written, or
// -1 after reporting a failure on standard error.
int32_t WriteAllDesigns(const DesignSource& source, const std::string& folder);
