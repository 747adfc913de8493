#include "engine/scene/asset_table.h"

#include <array>
#include <cstdio>

namespace {

std::vector<ModelFileEntry> Plain(std::initializer_list<const char*> files) {
  std::vector<ModelFileEntry> out;
  for (const char* f : files) out.push_back({f});
  return out;
}

std::vector<ModelFileEntry> PeopleFiles() {
  static const char* const kKinds[] = {"child", "teen", "adult", "elder"};
  std::vector<ModelFileEntry> out;
  for (const char* pose : {"walk", "stand", "enter"}) {
    for (const char* kind : kKinds) {
      for (int look = 0; look < 4; ++look) {
        out.push_back({std::string("gamedata2\\people\\") + pose + "_" + kind + "_" + std::to_string(look) + ".tm", true});
      }
    }
  }
  for (int i = 0; i < kSittingPeople; ++i) out.push_back({"gamedata2\\people\\sit_" + std::to_string(i) + ".tm", true});
  for (const char* worker : {"builder_0", "builder_1", "builder_2", "builder_3", "police_0", "police_1", "porter_0",
                             "porter_1", "docker_0", "docker_1", "jogger_0", "jogger_1", "suit_0", "suit_1", "suit_2"}) {
    out.push_back({std::string("gamedata2\\people\\") + worker + ".tm", true});
  }
  return out;
}

std::vector<ModelFileEntry> VehicleFiles() {
  std::vector<ModelFileEntry> out;
  char name[64];
  for (int era = 0; era < 3; ++era) {
    for (int kind = 0; kind < kVehiclesPerEra; ++kind) {
      std::snprintf(name, sizeof name, "gamedata2\\newvehicles\\e%d_k%02d.tm", era, kind);
      out.push_back({name, true});
    }
  }
  for (int era = 0; era < 3; ++era) {
    for (int extra = 0; extra < 13; ++extra) {
      std::snprintf(name, sizeof name, "gamedata2\\newvehicles\\e%d_x%02d.tm", era, extra);
      out.push_back({name, true});
    }
  }
  return out;
}

std::vector<ModelFileEntry> CharacterFiles() {
  static const char* const kTokens[] = {"car", "cart", "dog", "rocket", "crown", "horse", "kettle", "ship", "plane", "trumpet"};
  std::vector<ModelFileEntry> out;
  for (int i = 0; i < kCharacterFigures; ++i) out.push_back({"gamedata2\\player_characters\\character_" + std::to_string(i) + ".tm"});
  for (const char* t : kTokens) out.push_back({std::string("gamedata2\\player_characters\\token_") + t + ".tm"});
  for (const char* t : kTokens) out.push_back({std::string("gamedata2\\player_characters\\token_") + t + "_sit.tm"});
  return out;
}

std::vector<ModelFileEntry> Folder(const char* folder, std::initializer_list<const char*> names) {
  std::vector<ModelFileEntry> out;
  for (const char* n : names) out.push_back({std::string(folder) + n + ".tm"});
  return out;
}

std::vector<ModelFileEntry> WorldCityFiles() {
  auto out = Folder("gamedata2\\worldcity\\",
                    {"traffic_light_1", "traffic_light_2", "streetlight_1920", "streetlight_1960", "streetlight_2000",
                     "crane_base", "crane_jib", "crane_hook", "crane_cable", "container_1", "container_2", "container_3",
                     "crane_anchor", "crane_jib_point", "crane_hook_point", "tree_locator_1", "tree_locator_2",
                     "block_base", "block_sign", "street_objects", "street_bench", "street_bin", "street_bollard",
                     "street_hydrant", "street_postbox", "lights_runway", "lights_beacons", "lights_quay",
                     "lights_station", "sun_glints"});
  out.push_back({"gamedata2\\Park_Mr_rentopia\\mr_rentopia.tm", true});
  return out;
}

std::vector<ModelFileEntry> PlanesTrainsBoatsFiles() {
  auto out = Folder("gamedata2\\planes_trains_boats\\",
                    {"plane_prop", "plane_jet", "plane_jumbo", "helicopter", "heli_rotor", "heli_tail_rotor",
                     "train_steam", "train_diesel", "train_electric", "rail_locator_1", "rail_locator_2",
                     "rail_locator_3", "rail_locator_4", "boat_rowing", "boat_motor", "boat_sail", "boat_tug",
                     "boat_ferry", "ship_cargo", "ship_tanker", "ship_liner", "ship_container", "ship_locator_1",
                     "ship_locator_2"});
  for (int r = 0; r < 8; ++r) out.push_back({"gamedata2\\paths\\train_route_" + std::to_string(r) + ".tm", false, true});
  for (const char* p : {"flight_0", "flight_1", "ship_usual", "ship_rare", "crane_jib_path", "crane_hook_path"}) {
    out.push_back({std::string("gamedata2\\paths\\") + p + ".tm", false, true});
  }
  for (const char* p : {"loop_sail", "loop_rowing", "loop_motor", "loop_heli"}) {
    out.push_back({std::string("gamedata2\\paths\\") + p + ".tm", false, true, true});
  }
  return out;
}

std::vector<ModelFileEntry> SurroundFiles() {
  std::vector<const char*> fixed = {
      "airport_terminal", "airport_tower", "airport_hangar_1", "airport_hangar_2", "airport_runway", "airport_taxiway",
      "airport_apron", "station_building", "station_platform_1", "station_platform_2", "station_platform_3",
      "station_platform_4", "station_tracks_1", "station_tracks_2", "station_tracks_3", "station_tracks_4",
      "station_canopy", "park_floor_1", "park_floor_2", "park_floor_3", "park_floor_4", "park_path_1", "park_path_2",
      "town_hall_main", "town_hall_wing_1", "town_hall_wing_2", "town_hall_clock", "town_hall_steps", "hospital_main",
      "hospital_wing_1", "hospital_wing_2", "hospital_helipad", "hospital_chimney"};
  std::vector<ModelFileEntry> out;
  for (const char* n : fixed) out.push_back({std::string("gamedata2\\city_surround\\") + n + ".tm"});
  auto numbered = [&](const char* stem, int count) {
    for (int i = 1; i <= count; ++i) out.push_back({std::string("gamedata2\\city_surround\\") + stem + std::to_string(i) + ".tm"});
  };
  numbered("land_", 16);
  numbered("sea_", 8);
  numbered("river_bank_", 8);
  numbered("surround_road_", 8);
  numbered("bridge_", 4);
  out.push_back({"gamedata2\\city_surround\\station_goods_shed.tm"});
  out.push_back({"gamedata2\\city_surround\\quay.tm"});
  out.push_back({"gamedata2\\city_surround\\lighthouse_rock.tm"});
  out.push_back({"gamedata2\\city_surround\\lighthouse.tm"});
  return out;
}

std::array<std::vector<ModelFileEntry>, static_cast<size_t>(ModelShelf::kCount)> BuildTable() {
  std::array<std::vector<ModelFileEntry>, static_cast<size_t>(ModelShelf::kCount)> t;
  auto at = [&](ModelShelf s) -> std::vector<ModelFileEntry>& { return t[static_cast<size_t>(s)]; };
  // The panel layouts are added here as the interface's panels are made.
  at(ModelShelf::Auction) = Plain({"gamedata2\\auction_room\\auction_room.tm",
                                   "gamedata2\\new_mr_rentopia_auctioneer\\new_lectern.tm",
                                   "gamedata2\\auction_room\\ceiling_fan.tm", "gamedata2\\auction_room\\chair.tm"});
  at(ModelShelf::Characters) = CharacterFiles();
  at(ModelShelf::People) = PeopleFiles();
  at(ModelShelf::Vehicles) = VehicleFiles();
  for (int i = 1; i <= 20; ++i) at(ModelShelf::Roof).push_back({"gamedata2\\roofmodels\\rooftop" + std::to_string(i) + ".tm"});
  at(ModelShelf::Scaffolds) = Folder("gamedata2\\scaffolds\\",
                                     {"scaffold_1", "scaffold_2", "scaffold_3", "scaffold_4", "scaffold_5", "scaffold_6",
                                      "scaffold_7", "scaffold_8", "streetlight_1", "streetlight_2", "streetlight_3",
                                      "subway_entrance", "pavement_1", "pavement_2", "pavement_3", "pavement_4",
                                      "parking_entrance", "bounding_box", "road", "road_short", "road_long",
                                      "road_junction",
                                      // The construction jobs' scaffold pieces, ground and upper storeys.
                                      "simple_front", "corner_ground_pavoneside", "corner_ground_pavtwiside",
                                      "corner_simple", "10by16ground", "front_ground_pavoneside", "corner_upperfloor",
                                      "corner_upperfloor_oneside", "10by16upperfloor", "front_upperfloor"});
  at(ModelShelf::Map) = Plain({"gamedata2\\temp_map\\temp_map.tm"});
  at(ModelShelf::Landscape) = Folder("gamedata2\\landscape\\", {"brick_corner", "park_bench", "flowers_red", "flowers_blue",
                                                               "flowerbed_1", "flowerbed_2", "fountain_1", "fountain_2"});
  at(ModelShelf::Tutor) = Folder("gamedata2\\tutor\\", {"tutor_anim", "tutor_body", "lose_money"});
  at(ModelShelf::WorldCity) = WorldCityFiles();
  at(ModelShelf::PlanesTrainsBoats) = PlanesTrainsBoatsFiles();
  at(ModelShelf::Industrial) = Folder("gamedata2\\industrial_units\\", {"factory", "warehouse", "power_plant", "chemical_plant",
                                                                      "tank_unit_1", "tank_unit_2", "smoke_stack_1",
                                                                      "smoke_stack_2"});
  at(ModelShelf::Surround) = SurroundFiles();
  at(ModelShelf::Tree) = Plain({"gamedata2\\trees\\tree_trunk.tm"});
  return t;
}

const std::array<std::vector<ModelFileEntry>, static_cast<size_t>(ModelShelf::kCount)>& Table() {
  static const auto table = BuildTable();
  return table;
}

std::array<std::vector<ModelLodSet>, static_cast<size_t>(ModelShelf::kCount)>& Shelves() {
  static std::array<std::vector<ModelLodSet>, static_cast<size_t>(ModelShelf::kCount)> shelves;
  return shelves;
}

}  // namespace

const std::vector<ModelFileEntry>& ShelfFiles(ModelShelf shelf) { return Table()[static_cast<size_t>(shelf)]; }

int32_t ShelfSize(ModelShelf shelf) {
  const size_t s = static_cast<size_t>(shelf);
  return s < Shelves().size() ? static_cast<int32_t>(Shelves()[s].size()) : 0;
}

ModelLodSet* ShelfModel(ModelShelf shelf, int32_t place) {
  const size_t s = static_cast<size_t>(shelf);
  if (s >= Shelves().size() || place < 0 || place >= static_cast<int32_t>(Shelves()[s].size())) return nullptr;
  ModelLodSet& set = Shelves()[s][static_cast<size_t>(place)];
  return set.handles[0] != 0 ? &set : nullptr;
}

// The loaders fill the shelves through this (asset_groups.cpp).
std::vector<ModelLodSet>& ShelfStorage(ModelShelf shelf) { return Shelves()[static_cast<size_t>(shelf)]; }

void ClearShelves() {
  for (auto& shelf : Shelves()) shelf.clear();
}

namespace {
std::array<std::vector<int32_t>, static_cast<size_t>(TextureSetName::kCount)>& SetSlots() {
  static std::array<std::vector<int32_t>, static_cast<size_t>(TextureSetName::kCount)> slots;
  return slots;
}
}  // namespace

const std::vector<int32_t>& TextureSetSlots(TextureSetName set) { return SetSlots()[static_cast<size_t>(set)]; }
std::vector<int32_t>& TextureSetStorage(TextureSetName set) { return SetSlots()[static_cast<size_t>(set)]; }
