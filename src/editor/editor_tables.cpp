// The option lists of the building editor's dialog: property labels, roof
// styles, materials, facade codes and the control point types.
#include <cstdio>

#include "editor/building_editor.h"

const std::vector<std::string>& PersonLabels() {
  // The designers of data/buildings/looks.txt, so "Save As" proposes the
  // folders the generated designs lie in.
  static const std::vector<std::string> labels{"",      "1.Hollis", "2.Marsh",  "3.Okafor", "4.Vance",
                                               "5.Lindqvist", "6.Ruiz", "7.Tanaka", "8.Test"};
  return labels;
}

const std::vector<std::string>& BuildingTypeLabels() {
  static const std::vector<std::string> labels{"",          "1.Residential", "2.Retail",   "3.Factory",
                                               "4.Auditorium", "5.Landscape", "6.Utility", "7.Telecoms",
                                               "8.Gas",     "9.Electric",    "10.Water",   "11.Bus & Taxi",
                                               "12.Marina"};
  return labels;
}

const std::vector<std::string>& PrestigeLabels() {
  static const std::vector<std::string> labels{"", "Low", "Medium", "High"};
  return labels;
}

const std::vector<std::string>& FloorLabels() {
  static const std::vector<std::string> labels{"", "1", "2", "3", "4+"};
  return labels;
}

const std::vector<std::string>& BaseTypeLabels() {
  static const std::vector<std::string> labels{"", "Corner", "Edge"};
  return labels;
}

const std::vector<std::string>& RoofStyleLabels() {
  static const std::vector<std::string> labels{"Flat",          "Sunken",         "Walled",
                                               "Sawtooth Major", "Sawtooth Minor", "Pointy Major",
                                               "Pointy Minor",  "Cylinder Major", "Cylinder Minor"};
  return labels;
}

const std::vector<std::string>& MaterialLabels() {
  static const std::vector<std::string> labels{"Brick", "Stone", "Timber", "Concrete", "Glass"};
  return labels;
}

const std::vector<std::string>& FacadeLabels() {
  static const std::vector<std::string> labels{
      "Blank0",       "Blank1",       "Blank2",       "Blank3",        "Window0",       "Window1",
      "Window2",      "Window3",      "GF Blank COM", "GF Blank RES",  "GF Door  COM",  "GF Door  RES",
      "GF Window COM", "GF Window RES", "Ledge 0",      "Ledge 1"};
  return labels;
}

namespace {

std::vector<ControlPointTypeRow> MakeControlPointTypes() {
  std::vector<ControlPointTypeRow> rows;
  auto heading = [&](const char* name) { rows.push_back({name, -1}); };
  heading("SELECT A TYPE:");
  heading("---> BUSINESS SIGNS");
  const ControlPointTypeRow signs[] = {
      {"Horiz_Single_Sign_Business", 0x1020201},    {"Horiz_Backed_Sign_Business", 0x1020204},
      {"Horiz_Single_Sign_Name", 0x1010201},        {"Horiz_Backed_Sign_Name", 0x1010204},
      {"Vertical_Single_Sign_Business", 0x1020101}, {"Vertical_Backed_Sign_Business", 0x1020104},
      {"Vertical_Double_Sign_Business", 0x1020102}, {"Vertical_Single_Sign_Name", 0x1010101},
      {"Vertical_Backed_Sign_Name", 0x1010104},     {"Vertical_Double_Sign_Name", 0x1010102},
      {"Horiz_Single_Sign_Icon", 0x1040201},        {"Horiz_Backed_Sign_Icon", 0x1040204},
      {"Horiz_Double_Sign_Icon", 0x1040202},        {"Sign_PortraitBusiness", 0x1080202},
  };
  for (const auto& s : signs) rows.push_back(s);
  int32_t next = 0x2000001;
  auto model = [&](std::string name) { rows.push_back({std::move(name), next++}); };
  auto numbered = [&](const char* format, int first, int last) {
    char name[64];
    for (int i = first; i <= last; ++i) {
      std::snprintf(name, sizeof name, format, i);
      model(name);
    }
  };
  heading("---> GENERAL MODELS");
  for (const char* name : {"Canopy", "Standing_Lamp", "Hanging_Lamp", "Tree"}) model(name);
  heading("---> 1x1 ROOF MODELS");
  numbered("RoofModel 1x1 # %d", 1, 10);
  heading("---> SMALL ROOF MODELS");
  numbered("RoofModel Small # %d", 1, 10);
  heading("---> IND: FACTORY MODELS");
  numbered("Factory # %2d", 0, 25);
  heading("---> IND: WAREHOUSE MODELS");
  numbered("Warehouse # %d", 1, 7);
  heading("---> IND: TANKUNIT MODELS");
  numbered("Tank Unit # %d", 1, 6);
  heading("---> IND: PLANT MODELS");
  numbered("Plant # %d", 1, 4);
  heading("---> LANDSCAPE MODELS");
  for (const char* name : {"Brick Corner", "Bush Small  ", "Tree Small  ", "Tree Big    ", "Tree Yellow ",
                           "Bench       ", "Flower Small", "Flower 1X1  ", "Flower 1X2  ", "Flower 2X2  ",
                           "FountainFlowers", "Fountain    "})
    model(name);
  // The list's remaining rows are model types without names of their own:
  // they are named from their codes.
  heading("---> OTHER MODELS");
  char name[32];
  while (rows.size() < 121) {
    std::snprintf(name, sizeof name, "Model 0x%X", unsigned(next));
    model(name);
  }
  return rows;
}

}  // namespace

const std::vector<ControlPointTypeRow>& ControlPointTypes() {
  static const std::vector<ControlPointTypeRow> rows = MakeControlPointTypes();
  return rows;
}

int ControlPointTypeRowOf(int32_t id) {
  const auto& rows = ControlPointTypes();
  if (id == -1) return 0;
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].id == id) return int(i);
  return 0;
}
