#pragma once
// Filling a block with random buildings for a starting city: the block's
// definition says how much of each class to build (its Distribution, grown
// with the decade) and how far sizes stray from three (its Looseness); sizes,
// places and businesses come from the block generator's own random stream, so
// one seed gives one city on every machine.
#include <cstdint>

class CRandomStream;

inline constexpr int32_t kRandomBlockRows = 24;

// The block generator's stream (registered with the city's streams).
CRandomStream& BlockGeneratorRandom();

// One building request: footprint, floors, kind and business type (-1 none).
struct BuildingRequest {
  int32_t Width = 1, Depth = 1, Floors = 1, Kind = 0, Business = -1;
};

// centre when a draw (modulo 101) is not below looseness; otherwise a value
// beside it, further off the larger the draw.
int32_t RandomVary(int32_t centre, int32_t looseness);

// The requests for a block in decade `decade`, at most kRandomBlockRows.
int32_t MakeBuildingRequests(int32_t block, int32_t decade, BuildingRequest (&rows)[kRandomBlockRows]);

// Fills the block: makes the requests, places each at the first of four
// edge runs where its lots are free (rows that fit nowhere are dropped) and
// opens the requested businesses for the city.
void BuildRandomBlock(int32_t block);
// Every block in use.
void BuildRandomCity();
