#pragma once
// Where a computer player builds: the footprint vocabulary (size bands, lot
// areas and lot shapes), the day or night character of a block, the choice
// of a block for the next business or shopping centre, the placement of a
// footprint against a block's edges, and the choice of the business a
// centre gets next from the city-wide demand.
#include <cstdint>
#include <vector>

#include "city/block_footprints.h"

class CPlayerAI;

inline constexpr int32_t kCentreMarkerType = 42;  // the tall homes a centre grows round
inline constexpr int32_t kLandscapeType = 44;

struct LotShape {
  int32_t width = 0;
  int32_t depth = 0;
};

// ---- Footprints ----
// Lots of a band's footprint index 0..9; -1 for an unusable index or band.
int32_t GetFootprintArea(int32_t band, int32_t index);
// The lot shapes a business type may take, in the order they are tried.
std::vector<LotShape> GetFootprintShapes(int32_t type);
// Drops every shape before the first of the given area; none of that area
// leaves the list empty.
void RemoveFootprintShape(int32_t area, std::vector<LotShape>& shapes);
// Lowers the index to the next area of the character's row for the type's
// band, not below the row's first preference; nothing for landscaping.
void StepDownFootprintIndex(const CPlayerAI& ai, int32_t type, int32_t& index);

// ---- Day and night blocks ----
bool IsDayBlock(int32_t block);
bool IsNightBlock(int32_t block);
int32_t GetScoreForAdjacentBlockToBuildOn(CPlayerAI& ai, int32_t block);
int32_t ChooseAdjacentDayBlock(CPlayerAI& ai);
int32_t ChooseAdjacentNightBlock(CPlayerAI& ai);
int32_t FindBlockToLandscape(CPlayerAI& ai);
int32_t PickBlockForBusiness(CPlayerAI& ai, int32_t type);
bool ListBlocksForCentre(CPlayerAI& ai, std::vector<int32_t>& list);

// ---- Business choice ----
// period -1 any, 0 day, 1 night.
int32_t ChooseBusinessForCentre(CPlayerAI& ai, int32_t period);
int32_t GetNextBusinessForDayOrNightCentre(CPlayerAI& ai);
// A character that likes homes more than shops runs as many shops as their
// share of its liking takes of its business limit: the rest is kept for homes.
bool ShopsFillTheirShare(const CPlayerAI& ai);
// The businesses the player runs or has under way (queued, posted, being
// built), parks aside: what its character's business limit counts.
int32_t BusinessesInHand(const CPlayerAI& ai);
// The character's business limit is reached (no limit when it is 0).
bool AtBusinessLimit(const CPlayerAI& ai);
// Stores the business the plan's block gets next; false (and the plan's
// nothing-to-build flag) when none.
bool ChooseNextBusinessForChosenBlock(CPlayerAI& ai);

// ---- Block choice and placement ----
// The block for the next business, -1 when none; kind 4 when chosen by the
// centre scoring, 3 otherwise.
int32_t ChooseBusinessBlock(CPlayerAI& ai, int32_t& kind);
int32_t CountFreeEdgeLots(int32_t block);
// Edges: 1 the row-6 side, 2 the column-6 side, 3 the row-0 side, 4 the column-0 side.
void EdgeOrder(int32_t start, bool clockwise, int32_t out[5]);
bool FindLotOnBlockEdge(CPlayerAI& ai, int32_t block, int32_t& x, int32_t& y, int32_t& width, int32_t& depth);
bool FitsOnBlockEdges(int32_t block, int32_t width, int32_t depth);
bool CanPlaceType(int32_t type, int32_t block);
bool CanPlacePeriodBusiness(const CPlayerAI& ai, int32_t block, bool vacantOnly = false);
int32_t ChooseFrontage(CPlayerAI& ai, int32_t block);
int32_t CharacterLotBand(int32_t character);
float CharacterLotScale(int32_t character);
void FitBusinessToDemand(CPlayerAI& ai, int32_t& size, int32_t& floors);
bool ShouldBuildDayOrNightCentre(CPlayerAI& ai);
bool IsTypeSaturatedOnBlock(int32_t block, int32_t type);
bool IsCommodityUnserved(int32_t commodity);
// The share (0..100) of the period's trades the block's businesses already offer.
int32_t CentreCoverage(int32_t block, bool night);
