#include "city/city_commands.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/city_entities.h"
#include "city/city_services.h"
#include "engine/core/console.h"

namespace {

// `kind [value]`: one figure of a building kind. The value is truncated
// toward zero and its low 16 bits kept.
int SetBuildingFigure(const char* rest, int figure, const char* reply) {
  std::string kindWord;
  if (!ReadConsoleWord(rest, kindWord)) return 0;
  UpperCaseWord(kindWord);
  int kind = FindBuildingKindByName(kindWord);
  if (kind < 0) {
    ConsolePrintF(kConsoleError, "Error. Unrecognised building type %s", kindWord.c_str());
    return 0;
  }
  float value = 0;
  if (ReadConsoleFloat(rest, value)) {
    double whole = std::trunc(static_cast<double>(value));
    if (!(whole >= -2147483648.0)) whole = -2147483648.0;  // also catches NaN
    if (whole > 2147483647.0) whole = 2147483647.0;
    g_BuildingKinds[kind].Figures[figure] = static_cast<uint16_t>(static_cast<int32_t>(whole) & 0xFFFF);
  }
  ConsolePrintF(kConsoleReply, reply, kindWord.c_str(), static_cast<int>(g_BuildingKinds[kind].Figures[figure]));
  return 0;
}

int BuildingRent(const char* rest) { return SetBuildingFigure(rest, kFigureRent, "Building Rent Per Unit : %s %i"); }
int BuildingCostPerUnit(const char* rest) {
  return SetBuildingFigure(rest, kFigureCostPerUnit, "Building CostPerUnit : %s %i");
}
int BuildingCostToDemolish(const char* rest) {
  return SetBuildingFigure(rest, kFigureCostToDemolish, "Building CostToDemolsih : %s %i");
}
int BuildingTimeToBuild(const char* rest) {
  return SetBuildingFigure(rest, kFigureTimeToBuild, "Building TimeToBuild : %s %i");
}
int BuildingTimeToDemolish(const char* rest) {
  return SetBuildingFigure(rest, kFigureTimeToDemolish, "Building TimeToDemolish : %s %i");
}
int BuildingMaintenanceCost(const char* rest) {
  return SetBuildingFigure(rest, kFigureMaintenanceCost, "Building Maintenance Cost : %s %i");
}
int BuildingLifeExpectancy(const char* rest) {
  return SetBuildingFigure(rest, kFigureLifeExpectancy, "Building Life Expectancy : %s %i");
}

void StoreColour(uint8_t (&bytes)[4], uint32_t colour) {
  bytes[0] = static_cast<uint8_t>(colour >> 16);
  bytes[1] = static_cast<uint8_t>(colour >> 8);
  bytes[2] = static_cast<uint8_t>(colour);
  bytes[3] = static_cast<uint8_t>(colour >> 24);
}

// `district [r g b]`: reads the district and, when all three are present,
// the colour word 0xFF000000 + r * 65536 + g * 256 + b (not clamped).
int ReadDistrictColour(const char*& rest, int& district, bool& haveColour, uint32_t& colour) {
  std::string word;
  if (!ReadConsoleWord(rest, word)) return -1;
  UpperCaseWord(word);
  district = FindDistrictByKey(word);
  if (district < 0) {
    ConsolePrintF(kConsoleError, "Error. Unidentifiable district %s", word.c_str());
    return -1;
  }
  int32_t r = 0, g = 0, b = 0;
  haveColour = ReadConsoleInt(rest, r) && ReadConsoleInt(rest, g) && ReadConsoleInt(rest, b);
  colour = 0xFF000000u + static_cast<uint32_t>(r) * 65536u + static_cast<uint32_t>(g) * 256u + static_cast<uint32_t>(b);
  return 0;
}

// Sets a district's base colour (its blocks' colour and base tint follow) or
// its label colour, then reports the colour as stored.
int SetDistrictColour(const char* rest, bool label) {
  int district = -1;
  bool haveColour = false;
  uint32_t colour = 0;
  if (ReadDistrictColour(rest, district, haveColour, colour) < 0) return 0;
  CDistrict& d = g_Districts[district];
  uint8_t(&stored)[4] = label ? d.TextColour : d.Colour;
  if (haveColour) {
    StoreColour(stored, colour);
    for (CBlock& b : g_Blocks) {
      if (!b.InUse || g_BlockDefs[b.Index].District != district) continue;
      if (label) {
        City().visuals->TintBlockLabel(b.Index, colour);
      } else {
        b.DistrictColour = colour;
        // The block's base wears the colour at once; the city owns it.
        if (CEntity* base = BlockBaseEntities().GetEntity(b.Index)) base->colour = colour;
      }
    }
  }
  ConsolePrintF(kConsoleReply, label ? "Current text colour: %s %i %i %i" : "Current colour: %s %i %i %i", d.Key,
                stored[0], stored[1], stored[2]);
  return 0;
}

int DistrictColour(const char* rest) { return SetDistrictColour(rest, false); }
int DistrictTextColour(const char* rest) { return SetDistrictColour(rest, true); }

}  // namespace

void RegisterCityConsoleCommands() {
  SetConsoleCommandHandler("BUILDINGCOSTPERUNIT", BuildingCostPerUnit);
  SetConsoleCommandHandler("BUILDINGCOSTTODEMOLISH", BuildingCostToDemolish);
  SetConsoleCommandHandler("BUILDINGTIMETOBUILD", BuildingTimeToBuild);
  SetConsoleCommandHandler("BUILDINGTIMETODEMOLISH", BuildingTimeToDemolish);
  SetConsoleCommandHandler("BUILDINGRENT", BuildingRent);
  SetConsoleCommandHandler("BUILDINGMAINTENANCECOST", BuildingMaintenanceCost);
  SetConsoleCommandHandler("BUILDINGLIFEEXPECTANCY", BuildingLifeExpectancy);
  SetConsoleCommandHandler("DISTRICTCOLOUR", DistrictColour);
  SetConsoleCommandHandler("DISTRICTTEXTCOLOUR", DistrictTextColour);
}
