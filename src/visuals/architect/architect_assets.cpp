#include "visuals/architect/architect_assets.h"

#include <array>
#include <string>
#include <vector>

#include "engine/core/error.h"
#include "engine/files/file_bytes.h"
#include "engine/files/texture_file.h"
#include "engine/scene/texture.h"
#include "engine/scene/asset_table.h"
#include "visuals/architect/architect_tables.h"
#include "visuals/architect/building_visuals.h"
#include "ui/text_mesh.h"

namespace {

// Places of the sign boards and faces in the architecture texture set, row
// by row: the first four rows, then the rest after the dust.
constexpr int32_t kSignBoards = 52;
constexpr int32_t kSignFaces = 56;
constexpr int32_t kMoreSignBoards = 61;
constexpr int32_t kMoreSignFaces = 68;
constexpr int32_t kFirstSignRows = 4;

std::array<int32_t, kScaffoldPieces> g_places{};  // places on the scaffold shelf, -1 none

void LoadTextureSet() {
  std::vector<uint8_t> bytes;
  std::vector<TextureImage> images;
  std::string reason;
  std::vector<int32_t> slots;
  if (TheTextureSystem() != nullptr && ReadWholeGameFile(kArchitectTextureSet, bytes) &&
      ParseGtdFile(bytes, images, reason))
    // Walls, roofs and pavements repeat their texture many times across a
    // face: on a page of its own a repeat wraps within the texture instead
    // of running into its neighbours on a shared page.
    for (TextureImage& image : images) slots.push_back(TexRegisterImage(std::move(image), kSlotValueOwnPage));
  else
    ReportErrorF(1, "The building textures %s were not loaded.", kArchitectTextureSet);
  SetArchitectTextureSlots(slots.data(), int32_t(slots.size()));
  SignTextures signs;
  for (int32_t row = 0; row < kSignRows; ++row) {
    const bool first = row < kFirstSignRows;
    signs.signBoard[row] = ArchitectTextureSlot(first ? kSignBoards + row : kMoreSignBoards + row - kFirstSignRows);
    signs.signFace[row] = ArchitectTextureSlot(first ? kSignFaces + row : kMoreSignFaces + row - kFirstSignRows);
  }
  SetSignTextures(signs);
}

}  // namespace

const char* ScaffoldPieceFile(int32_t piece) {
  // Ground storey shapes, then the same shapes above it.
  static constexpr const char* kFiles[kScaffoldPieces] = {
      "gamedata2\\scaffolds\\simple_front.tm",
      "gamedata2\\scaffolds\\corner_ground_pavoneside.tm",
      "gamedata2\\scaffolds\\corner_ground_pavtwiside.tm",
      "gamedata2\\scaffolds\\corner_simple.tm",
      "gamedata2\\scaffolds\\10by16ground.tm",
      "gamedata2\\scaffolds\\front_ground_pavoneside.tm",
      "gamedata2\\scaffolds\\corner_upperfloor.tm",
      "gamedata2\\scaffolds\\corner_upperfloor_oneside.tm",
      "gamedata2\\scaffolds\\corner_upperfloor_oneside.tm",
      "gamedata2\\scaffolds\\corner_upperfloor.tm",
      "gamedata2\\scaffolds\\10by16upperfloor.tm",
      "gamedata2\\scaffolds\\front_upperfloor.tm",
  };
  return piece >= 0 && piece < kScaffoldPieces ? kFiles[piece] : nullptr;
}

void LoadArchitectAssets() {
  LoadArchitectTables();
  LoadTextureSet();
}

// The shared model of a decoration part code, from the asset groups'
// shelves (roof models, industrial units, park furniture); 0 when none.
int32_t DecorationModel(int32_t code) {
  struct Place {
    int32_t code;
    ModelShelf shelf;
    int32_t place;
  };
  static constexpr Place kPlaces[] = {
      {0x2000026, ModelShelf::Industrial, 0}, {0x2000037, ModelShelf::Industrial, 1},
      {0x2000041, ModelShelf::Industrial, 2}, {0x2000042, ModelShelf::Industrial, 3},
      {0x200003B, ModelShelf::Industrial, 4}, {0x200003E, ModelShelf::Industrial, 5},
      {0x200003F, ModelShelf::Industrial, 6}, {0x2000049, ModelShelf::Landscape, 1},
      {0x200004A, ModelShelf::Landscape, 2},  {0x200004B, ModelShelf::Landscape, 3},
      {0x200004C, ModelShelf::Landscape, 4},  {0x200004D, ModelShelf::Landscape, 5},
      {0x200004E, ModelShelf::Landscape, 0},  {0x200004F, ModelShelf::Landscape, 6},
  };
  const ModelLodSet* set = nullptr;
  if (code >= 0x2000005 && code <= 0x2000018) set = ShelfModel(ModelShelf::Roof, code - 0x2000005);
  for (const Place& p : kPlaces)
    if (p.code == code) set = ShelfModel(p.shelf, p.place);
  return set != nullptr ? set->handles[0] : 0;
}

void LoadScaffoldPieces() {
  SetDecorationModelLookup(DecorationModel);
  SetPropModel(ShelfModel(ModelShelf::Tree, 0));
  SetPropMarkerModel(ShelfModel(ModelShelf::WorldCity, kTreeLocator1));
  // The asset groups load the pieces with the scaffold shelf; here their places.
  const std::vector<ModelFileEntry>& files = ShelfFiles(ModelShelf::Scaffolds);
  for (int32_t i = 0; i < kScaffoldPieces; ++i) {
    g_places[size_t(i)] = -1;
    for (size_t k = 0; k < files.size(); ++k)
      if (files[k].file == ScaffoldPieceFile(i)) g_places[size_t(i)] = int32_t(k);
  }
}

const ModelLodSet* ScaffoldPiece(int32_t piece) {
  if (piece < 0 || piece >= kScaffoldPieces || g_places[size_t(piece)] < 0) return nullptr;
  const ModelLodSet* set = ShelfModel(ModelShelf::Scaffolds, g_places[size_t(piece)]);
  return set != nullptr && set->handles[0] > 0 ? set : nullptr;
}

void ReleaseArchitectAssets() {
  g_places.fill(-1);
  SetDecorationModelLookup(nullptr);
  SetPropModel(nullptr);
  SetPropMarkerModel(nullptr);
}
