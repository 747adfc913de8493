#pragma once
// What a computer player builds on a block (business, size, floors, quality
// and place on the lot grid), when it landscapes, which city block it puts
// up for auction, and how it reprices its own businesses.
#include <cstdint>

class CPlayerAI;

struct DevelopmentResult {
  bool found = false;     // a free place was found (affordable or not)
  int32_t cost = 0;       // the last estimate, truncated
  int32_t lotsShort = 0;  // lots the smallest wanted footprint lacked
  bool blockFull = false;
};

// The spending check: the cost leaves in hand, beyond what is already set
// aside, the character's cash threshold and floor, its threshold share of
// the money it has and a few days of what its businesses cost to run.
bool CanSpend(const CPlayerAI& ai, float cost);

// Plans the plan's business on the plan's block; when committing, queues
// the construction. True when it fits and is affordable (and, committing,
// was queued).
bool PlanBlockDevelopment(CPlayerAI& ai, bool commit, DevelopmentResult& result, bool useGivenQuality = false,
                          int32_t quality = 0);
int32_t SelectBuildingQuality(CPlayerAI& ai, int32_t block);
int32_t ChooseFloorCount(CPlayerAI& ai, int32_t type);
// The lots the character likes a business of the type to cover, and the
// fewest it builds it on.
int32_t GetPreferredSize(const CPlayerAI& ai, int32_t type);
int32_t GetMinimumSize(const CPlayerAI& ai, int32_t type);
// The draw that lets a block be landscaped: the more of it is built over
// (and the less already landscaped), the likelier.
bool PassesLandscapeShare(CPlayerAI& ai, int32_t block);
bool ChooseLandscapeFootprint(CPlayerAI& ai, int32_t block, int32_t& x, int32_t& y, int32_t& width, int32_t& depth);
// The rent review: each residence the player lets has its rent lowered by up
// to 5 for its empty places (not below what a place costs to keep) and
// raised by the character's price step when it is full.
void RepriceBusinesses(CPlayerAI& ai);
// Whether the player puts its block up for auction at the offered amount:
// it has a purchase record for the block and the offer is over five times
// what it paid.
bool ShouldBidOnDistrict(const CPlayerAI& ai, int32_t block, int32_t amount);
// Asks the city to auction the best-scoring block (score 75 or more).
// An ownable block that is not the player's and has no standing refusal.
bool CanNominateForAuction(const CPlayerAI& ai, int32_t block);
// Whether a player at its business limit still wants the block.
bool WantedAtBusinessLimit(const CPlayerAI& ai, int32_t block);
// Whether winning the block gives the player the whole of its district.
bool CompletesDistrict(const CPlayerAI& ai, int32_t block);
// The most a player at its business limit bids for the block, its score at most.
int32_t WorthAtBusinessLimit(const CPlayerAI& ai, int32_t block, int32_t score);
void NominateBlockForAuction(CPlayerAI& ai);
