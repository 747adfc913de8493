#pragma once
// The static entities that give the city its look, made at game start: a
// base under every block, a sign before every block in use, and the houses
// of fixed scenery round the city (land, sea, airport, station, civic
// buildings, industrial units, the park statue).
#include <cstdint>

#include "engine/core/maths.h"
#include "engine/scene/entity.h"

// Entity kinds of the city's pickable entities.
inline constexpr int16_t kEntityKindBlockBase = 4;
inline constexpr int16_t kEntityKindBlockSign = 5;

inline constexpr int32_t kSceneryHouses = 3;

CEntityHouse& BlockBaseEntities();
CEntityHouse& BlockSignEntities();
CEntityHouse& SceneryEntities(int32_t house);

// Every block's base entity at its centre, hidden while the block's map mark
// bit 0 is set. Block name labels come with the interface's text models.
void CreateBlockEntities();
// A sign before each block in use, at (centre x, centre z - 41), turned 180.
void CreateBlockSignEntities();
// One entity per model of each fixed scenery group (the models stand in
// their world places).
void CreateSceneryEntities();
// Frees the entities (before the memory they live in goes).
void ReleaseCityEntities();
// Draws the block bases, signs and fixed scenery; entities drawn.
int32_t DrawCityEntities(const Mat43& view);
