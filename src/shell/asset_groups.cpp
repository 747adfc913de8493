#include "shell/asset_groups.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "engine/core/error.h"
#include "engine/core/run_state.h"
#include "engine/core/system_settings.h"
#include "engine/files/cache_archive.h"
#include "engine/files/entity_file.h"
#include "engine/files/texture_file.h"
#include "engine/scene/texture.h"
#include "platform/paths.h"
#include "shell/startup.h"

// Storage behind the table's read-only views (asset_table.cpp).
std::vector<ModelLodSet>& ShelfStorage(ModelShelf shelf);
std::vector<int32_t>& TextureSetStorage(TextureSetName set);

namespace {

constexpr float kLoopCloseTolerance = 0.01f;

void Options(uint8_t a, uint8_t b, uint8_t c, uint8_t d, uint8_t e, uint8_t f) {
  const uint8_t options[kTexOptionCount] = {a, b, c, d, e, f};
  TexSysSetLoadOptions(options);
}

// Standard options of most world groups: (x, y, z, 12, 0, 1).
void WorldOptions(uint8_t reduce0, uint8_t reduce1, uint8_t border) { Options(reduce0, reduce1, border, 12, 0, 1); }

bool Available(const std::string& path) {
  return CacheArchive().Contains(path) || platform::GameFileExists(path);
}

void ReportMissing(const std::string& path) {
  MissingAssets().push_back(path);
  std::fprintf(stderr, "Missing game data: %s\n", path.c_str());
}

std::string LodName(const std::string& path) { return path.substr(0, path.size() - 3) + "_lod.tm"; }

// A path must hold frames of four points; a loop must end where it starts.
bool PathUsable(const ModelFileEntry& entry, const ModelLodSet& set) {
  const CModel* m = ModSysGetModel(set.handles[0]);
  if (!m || m->vertexCount != 4 || m->frameCount < 2 || !m->positions) return false;
  if (!entry.closedLoop) return true;
  const Vec3& first = m->positions[0];
  const Vec3& last = m->positions[static_cast<size_t>(m->frameCount - 1) * 4];
  return std::fabs(first.x - last.x) + std::fabs(first.y - last.y) + std::fabs(first.z - last.z) < kLoopCloseTolerance;
}

void LoadShelfModel(const ModelFileEntry& entry, ModelLodSet& set) {
  if (!Available(entry.file)) {
    ReportMissing(entry.file);
    return;
  }
  EntLoadModel(entry.file, &set, 0);
  if (entry.lod) {
    const std::string lod = LodName(entry.file);
    if (Available(lod)) EntLoadModel(lod, &set, 1);
    else ReportMissing(lod);
  }
  if (entry.path && !PathUsable(entry, set)) {
    ReportErrorF(1, "The path %s is not a usable path (frames of four points%s).", entry.file.c_str(),
                 entry.closedLoop ? ", ending where it starts" : "");
    for (int32_t& handle : set.handles) {
      if (handle) ModSysDeleteModel(handle);
      handle = 0;
    }
    set.count = 0;
  }
}

void LoadShelf(ModelShelf shelf, uint32_t loadClass) {
  ModSysSetDefaultFlags(loadClass);
  const std::vector<ModelFileEntry>& files = ShelfFiles(shelf);
  std::vector<ModelLodSet>& sets = ShelfStorage(shelf);
  sets.assign(files.size(), ModelLodSet{});
  for (size_t i = 0; i < files.size(); ++i) LoadShelfModel(files[i], sets[i]);
  ModSysSetDefaultFlags(0);
}

// Loads a texture set and registers its textures in the current group.
void LoadTextureSet(TextureSetName name, const std::string& path) {
  std::vector<int32_t>& slots = TextureSetStorage(name);
  slots.clear();
  if (!Available(path)) {
    ReportMissing(path);
    return;
  }
  CTexture* textures = nullptr;
  int32_t count = 0;
  if (!TexLoadGtd(path, &textures, &count, false)) return;
  for (int32_t i = 0; i < count; ++i) slots.push_back(TexSysAddTexture(&textures[i], 0));
}

// Puts a set into the archive without registering it (the interface
// registers its own sets).
void ArchiveTextureSet(const std::string& path) {
  if (!Available(path)) {
    ReportMissing(path);
    return;
  }
  CTexture* unused = nullptr;
  int32_t count = 0;
  TexLoadGtd(path, &unused, &count, true);
}

// Every screen-size variant of an interface set into the archive, so that a
// later change of resolution finds its set there.
void ArchiveScreenSizeSets(const char* pattern) {
  char path[128];
  for (int32_t width : {640, 800, 1024}) {
    std::snprintf(path, sizeof path, pattern, width);
    ArchiveTextureSet(path);
  }
}

// The road marker: one flat quad from four fixed corners, built in code.
void BuildRoadMarker() {
  const Vec3 p[4] = {{-2, 0.1f, -2}, {2, 0.1f, -2}, {2, 0.1f, 2}, {-2, 0.1f, 2}};
  const TexCoord uv[4] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
  const int32_t handle = ModSysCreateSelfBuiltModel(1, 4, p, uv, nullptr);
  if (!handle) return;
  // Seen from above: (P2 - P1) x (P0 - P1) points up.
  ModSysAddTriangle(0, 2, 1);
  ModSysAddTriangle(0, 3, 2);
  // Drawn with the yellow sign board.
  constexpr size_t kYellowSign = 3;
  const std::vector<int32_t>& signs = TextureSetSlots(TextureSetName::Signs);
  const int32_t slot = signs.size() > kYellowSign && signs[kYellowSign] >= 0 ? signs[kYellowSign] : 0;
  ModSysEndPrimitive(handle, 0, 0, static_cast<uint16_t>(slot));
  ModSysCalcBounds(handle);
  std::vector<ModelLodSet>& shelf = ShelfStorage(ModelShelf::Marker);
  shelf.assign(1, ModelLodSet{{handle, 0, 0}, 1});
}

}  // namespace

std::vector<std::string>& MissingAssets() {
  static std::vector<std::string> missing;
  return missing;
}

void ForgetLoadedAssets() {
  ClearShelves();
  for (int32_t set = 0; set < static_cast<int32_t>(TextureSetName::kCount); ++set) {
    TextureSetStorage(static_cast<TextureSetName>(set)).clear();
  }
  MissingAssets().clear();
}

void LoadFontGroupAndPanels() {
  TexSysBeginGroup("Font Group And Panels");
  Options(0, 0, 1, 0, 0, 1);
  ArchiveScreenSizeSets("gamedata2\\font%d\\textures.gtd");
  ArchiveTextureSet("gamedata2\\Cursors\\textures.gtd");
  LoadTextureSet(TextureSetName::Billboards, "gamedata2\\billboardtextures\\textures.gtd");
  LoadShelf(ModelShelf::Panels, 0);
}

void LoadAuctionGroup() {
  TexSysBeginGroup("Auction Group");
  LoadShelf(ModelShelf::Auction, 0);
}

void LoadPlayerCharacters() {
  TexSysBeginGroup("Player Characters");
  Options(0, 2, 2, 12, 0, 0);
  LoadShelf(ModelShelf::Characters, 0);
}

void LoadWorldTextureSets() {
  WorldOptions(0, 0, 2);
  LoadTextureSet(TextureSetName::Building, "gamedata2\\BuildingTextures\\textures.gtd");
  WorldOptions(1, 3, 2);
  LoadTextureSet(TextureSetName::Water, "gamedata2\\WaterTextures\\textures.gtd");
  WorldOptions(0, 3, 2);
  LoadTextureSet(TextureSetName::Build, "gamedata2\\BuildTextures\\textures.gtd");
  LoadTextureSet(TextureSetName::Roof, "gamedata2\\roofTextures\\textures.gtd");
  LoadTextureSet(TextureSetName::Railing, "gamedata2\\railingtextures\\textures.gtd");
  LoadTextureSet(TextureSetName::Landscape, "gamedata2\\landscapetextures\\textures.gtd");
}

void LoadPeopleGroup() {
  TexSysBeginGroup("People Group");
  WorldOptions(2, 3, 2);
  LoadShelf(ModelShelf::People, kModelFlagDistanceCulled);
}

void LoadVehiclesGroup() {
  TexSysBeginGroup("Vehicles Group");
  WorldOptions(2, 3, 2);
  LoadShelf(ModelShelf::Vehicles, kModelFlagDistanceCulled);
}

void LoadGenericTextures() {
  TexSysBeginGroup("Generic Textures");
  WorldOptions(0, 0, 2);
  ArchiveTextureSet("gamedata2\\GenericTextures\\textures.gtd");
  ArchiveScreenSizeSets("gamedata2\\GenericTextures%d\\textures.gtd");
}

void LoadRoofModels() {
  TexSysBeginGroup("ROOFMODELS");
  WorldOptions(0, 2, 2);
  LoadShelf(ModelShelf::Roof, 0);
}

void LoadScaffoldModels() {
  WorldOptions(0, 1, 1);
  LoadShelf(ModelShelf::Scaffolds, 0);
}

void LoadMapModel() {
  WorldOptions(0, 0, 2);
  LoadShelf(ModelShelf::Map, 0);
}

void LoadLandscapeModels() {
  WorldOptions(0, 2, 1);
  LoadShelf(ModelShelf::Landscape, 0);
}

void LoadSignTextures() {
  TexSysBeginGroup("Sign textures");
  WorldOptions(0, 1, 2);
  LoadTextureSet(TextureSetName::Signs, "gamedata2\\SignTextures\\textures.gtd");
}

void LoadBillboardRepeatTextures() {
  LoadTextureSet(TextureSetName::BillboardRepeat, "gamedata2\\billboardrepeattextures\\textures.gtd");
}

void LoadTutorGroup() {
  TexSysBeginGroup("Tutor Group");
  WorldOptions(0, 2, 2);
  LoadShelf(ModelShelf::Tutor, 0);
  LoadBillboardRepeatTextures();
}

void LoadWorldCityModels() {
  TexSysBeginGroup("World City Models");
  WorldOptions(0, 2, 2);
  LoadShelf(ModelShelf::WorldCity, 0);
}

void LoadPlanesTrainsBoats() {
  TexSysBeginGroup("Planes Trains Boats Group");
  WorldOptions(2, 3, 2);
  LoadShelf(ModelShelf::PlanesTrainsBoats, 0);
}

void LoadIndustrialUnitsGroup() {
  TexSysBeginGroup("Industrial Units Froup");
  WorldOptions(1, 3, 2);
  LoadShelf(ModelShelf::Industrial, 0);
}

void LoadCitySurround() {
  TexSysBeginGroup("City Surround Stuff");
  WorldOptions(2, 3, 2);
  LoadShelf(ModelShelf::Surround, 0);
}

void LoadTreeTrunkModel() {
  WorldOptions(0, 2, 1);
  LoadShelf(ModelShelf::Tree, 0);
}

void LoadRoadMarker() {
  TexSysBeginGroup("STUFF");
  BuildRoadMarker();
}

void LoadGameAssets() {
  MissingAssets().clear();
  // The archive's folder is made on the first start.
  const std::filesystem::path archive = platform::ResolveNewGamePath(GameArchiveName());
  std::error_code ignored;
  if (archive.has_parent_path()) std::filesystem::create_directories(archive.parent_path(), ignored);
  if (!CacheArchive().Open(GameArchiveName(), 0)) {
    ReportErrorF(0, "Cannot open the cache archive %s, which the game loads its data through.",
                 GameArchiveName().c_str());
    return;
  }
  // A close asked for while the groups load ends the loading between two.
  for (void (*group)() :
       {LoadFontGroupAndPanels, LoadAuctionGroup, LoadPlayerCharacters, LoadWorldTextureSets, LoadPeopleGroup,
        LoadVehiclesGroup, LoadGenericTextures, LoadRoofModels, LoadScaffoldModels, LoadMapModel,
        LoadLandscapeModels, LoadSignTextures, LoadTutorGroup, LoadWorldCityModels, LoadPlanesTrainsBoats,
        LoadIndustrialUnitsGroup, LoadCitySurround, LoadTreeTrunkModel, LoadRoadMarker}) {
    group();
    if (CloseAskedWhileLoading()) break;
  }
  CacheArchive().Close();
  if (!MissingAssets().empty() && !RunState().quit) {
    ReportErrorF(1, "%zu game data files are missing (the first: %s); the game goes on without them.",
                 MissingAssets().size(), MissingAssets().front().c_str());
  }
}
