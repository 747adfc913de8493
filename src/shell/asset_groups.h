#pragma once
// Asset groups: at start-up every model and texture set the game will draw is
// loaded in named texture groups with their load options, through the cache
// archive, before the first frame; afterwards nothing is loaded from disk.
// Each model load advances the loading screen.
//
// A missing file is reported (listed in MissingAssets, and once in a warning
// at the end of LoadGameAssets) and its place stays empty; the load goes on.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shell/asset_table.h"

class CTextSystem;

// The program's text system (the text bank and the font slots).
CTextSystem& TheTextSystem();

// The whole start-up sequence: opens the cache archive, loads every group in
// order and closes the archive.
void LoadGameAssets();

// One loader per group, each callable alone (the archive must be open).
void LoadFontGroupAndPanels();
void LoadAuctionGroup();
void LoadPlayerCharacters();
void LoadWorldTextureSets();
void LoadPeopleGroup();
void LoadVehiclesGroup();
void LoadGenericTextures();
void LoadRoofModels();
void LoadScaffoldModels();
void LoadMapModel();
void LoadLandscapeModels();
void LoadSignTextures();
void LoadTutorGroup();
void LoadBillboardRepeatTextures();
void LoadWorldCityModels();
void LoadPlanesTrainsBoats();
void LoadIndustrialUnitsGroup();
void LoadCitySurround();
void LoadTreeTrunkModel();
void LoadRoadMarker();

// The text bank of the language and the six fonts; a font that fails is
// reported by name, and the game cannot go on without its fonts.
void LoadFonts();
inline constexpr int32_t kGameFontCount = 6;
extern const char* const kGameFonts[kGameFontCount];

// Screen-size texture sets: width 640 or 1280 takes the 640 variant, 800 or
// 1600 the 800 variant, any other the 1024 variant.
int32_t ScreenSizeVariant(int32_t displayWidth);

// The game name of the cache archive: "max\archive.bin", under the data root
// on a minimal installation.
std::string GameArchiveName();

// Files reported missing since the list was last cleared.
std::vector<std::string>& MissingAssets();

// The texture groups' names and load options in the order they are opened
// (for the loaders and their tests).
struct AssetGroupOptions {
  const char* name;
  uint8_t options[6];
};
