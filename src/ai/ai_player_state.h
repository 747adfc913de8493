#pragma once
// What a computer player knows about itself while it values blocks: its
// player slot and character, the notes its block scores leave for each
// other, its debt-warning state and its per-district registry of blocks it
// holds. The computer player object owns one and passes it to the queries.
#include <cstdint>

#include "city/blocks.h"

class CRandomStream;
class CPlayer;

inline constexpr int kAiCharacterCount = 10;

// Per-district registry record: the blocks of one district the player holds.
struct DistrictHolding {
  uint8_t HeldCount = 0;
  int8_t Blocks[4] = {-1, -1, -1, -1};
  uint8_t Spare = 0;
  uint8_t StillToGet = 0;
  uint32_t HeldMask = 0;  // bit (block id mod 32); no two blocks of a district share one
};

bool AddHeldBlock(DistrictHolding& record, int32_t block);  // false when already held
void RemoveHeldBlock(DistrictHolding& record, int32_t block);
bool IsHeldBlock(const DistrictHolding& record, int32_t block);
// The record's block ids whose bit is set / clear, in slot order; returns the count.
int ListHeldBlocks(const DistrictHolding& record, int32_t out[4]);
int ListMissingBlocks(const DistrictHolding& record, int32_t out[4]);
void ResetHoldingRecord(DistrictHolding& record);
// Fills the record from the district table: its block ids, none held, all still to get.
void FillHoldingRecord(DistrictHolding& record, int32_t district);

struct AiPlayerState {
  int32_t Player = 0;      // player slot 0..5
  int32_t Character = 0;   // AI character row 0..9
  int32_t ScoreNote = -1;  // set by the set scores, read by the later score terms
  int32_t Rival = -1;      // leading owner the last contest looked at
  int32_t ChosenBlock = -1;
  uint8_t OneOffAttempts = 0;
  bool Warned24h = false;     // under the 24-hour debt warning
  int32_t WarningHours = 0;   // hours left of that warning
  CRandomStream* Random = nullptr;
  DistrictHolding Districts[kDistrictCount];

  CPlayer* GetPlayer() const;  // null when the slot is empty
  float Money() const;         // 0 without a player
  bool OwnsBlock(int32_t block) const;
};

// Sets up a state for a player slot: districts filled from the district table.
void InitAiPlayerState(AiPlayerState& state, int32_t player, int32_t character, CRandomStream* random);
