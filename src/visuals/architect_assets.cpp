#include "visuals/architect_assets.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/error.h"
#include "engine/files/cache_archive.h"
#include "engine/files/entity_file.h"
#include "engine/files/file_bytes.h"
#include "engine/files/texture_file.h"
#include "engine/scene/texture.h"
#include "platform/paths.h"
#include "visuals/architect_tables.h"
#include "ui/text_mesh.h"

namespace {

// Places of the sign boards and faces in the architecture texture set.
constexpr int32_t kSignBoards = 52;
constexpr int32_t kSignFaces = 56;

std::array<ModelLodSet, kScaffoldPieces> g_pieces{};

bool Present(const char* name) { return std::filesystem::exists(platform::ResolveGamePath(name)); }

void LoadTextureSet() {
  std::vector<uint8_t> bytes;
  std::vector<TextureImage> images;
  std::string reason;
  std::vector<int32_t> slots;
  if (TheTextureSystem() != nullptr && ReadWholeGameFile(kArchitectTextureSet, bytes) &&
      ParseGtdFile(bytes, images, reason))
    for (TextureImage& image : images) slots.push_back(TexRegisterImage(std::move(image)));
  else
    ReportErrorF(1, "The building textures %s were not loaded.", kArchitectTextureSet);
  SetArchitectTextureSlots(slots.data(), int32_t(slots.size()));
  SignTextures signs;
  for (int32_t row = 0; row < 4; ++row) {
    signs.signBoard[row] = ArchitectTextureSlot(kSignBoards + row);
    signs.signFace[row] = ArchitectTextureSlot(kSignFaces + row);
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

void LoadScaffoldPieces() {
  // Models load through the cache archive, which the asset groups open.
  if (TheModelSystem() == nullptr || !CacheArchive().IsOpen()) return;
  for (int32_t i = 0; i < kScaffoldPieces; ++i) {
    g_pieces[size_t(i)] = ModelLodSet{};
    if (Present(ScaffoldPieceFile(i)))
      EntLoadModel(ScaffoldPieceFile(i), &g_pieces[size_t(i)], 0);
    else
      ReportErrorF(1, "The scaffold piece %s is missing.", ScaffoldPieceFile(i));
  }
}

const ModelLodSet* ScaffoldPiece(int32_t piece) {
  if (piece < 0 || piece >= kScaffoldPieces || g_pieces[size_t(piece)].handles[0] <= 0) return nullptr;
  return &g_pieces[size_t(piece)];
}

void ReleaseArchitectAssets() { g_pieces.fill(ModelLodSet{}); }
