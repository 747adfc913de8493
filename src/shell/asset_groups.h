#pragma once
// Asset groups: at start-up every model and texture set the game will draw is
// loaded in named texture groups with their load options, through the cache
// archive, before the first frame; afterwards nothing is loaded from disk.
// Each model load advances the loading screen.
//
// A missing file is reported (listed in MissingAssets, and once in a warning
// at the end of LoadGameAssets) and its place stays empty; the load goes on.
//
// The interface's own sets (the fonts' glyph textures, the generic images and
// the cursors, each set at the screen's size) and the text bank and fonts are
// registered by the interface (ui/interface_assets.h); the groups put every
// size of them into the cache archive.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/scene/asset_table.h"

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


// Files reported missing since the list was last cleared.
std::vector<std::string>& MissingAssets();

// Forgets what the last load left: the shelves' handles, the texture sets'
// slots and the missing list (the model and texture systems are going away).
void ForgetLoadedAssets();
