#pragma once
// What a block does for district sets, the score that chains it with the
// value terms, and the choice between expanding and a one-off purchase.
#include <cstdint>

struct AiPlayerState;

enum AiScoreType : int32_t { kScoreChosenBlock = 0, kScoreAuctionBlock = 1, kScoreChosenBlockAgain = 2 };
enum AiStrategyChoice : int32_t { kWeighNeither = 0, kWeighExpand = 1, kWeighOneOff = 2 };

// Set-completion score of a block in a district of 2, 3 or 4 blocks (other
// sizes 0); may set the player's ScoreNote and rival.
int32_t GetSetScore(bool auction, int32_t block, AiPlayerState& state);
// The block score of a score type: what the block is worth to the player in
// money, the most it would pay for it. `auctionBlock` is the running
// auction's block (read for type 1). Sets `whole` to the score truncated.
float GetScore(AiPlayerState& state, int32_t type, int32_t auctionBlock, int32_t& whole);
// True in the game's first decade, when one-off purchases are held back.
bool IsFirstDecade();
int32_t WeighStrategies(AiPlayerState& state);
