#pragma once
// What the architect loads at start-up: before the texture pages are packed,
// its texture tables and the architecture texture set (walls, ground
// storeys, roofs, storey bands and sign boards); the twelve scaffold pieces
// come with the asset groups' scaffold shelf.
#include <cstdint>

#include "engine/scene/model.h"

inline constexpr int32_t kScaffoldPieces = 12;
inline constexpr const char* kArchitectTextureSet = "gamedata2\\ArchitectTextures\\textures.gtd";

// The model file of each scaffold piece: shapes 0 to 5 on the ground storey,
// 6 to 11 above it (a game name).
const char* ScaffoldPieceFile(int32_t piece);

void LoadArchitectAssets();
// Once the asset groups have loaded: finds the scaffold pieces on their
// scaffold shelf and the signs' decoration models on theirs.
void LoadScaffoldPieces();
// The shared model of a decoration part code; 0 when none is loaded.
int32_t DecorationModel(int32_t code);
// The loaded piece (null when its file was missing).
const ModelLodSet* ScaffoldPiece(int32_t piece);
// Forgets the loaded handles (the model system goes away).
void ReleaseArchitectAssets();
