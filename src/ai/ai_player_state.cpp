#include "ai/ai_player_state.h"

#include "session/player.h"

namespace {
uint32_t BitOf(int32_t block) { return 1u << (static_cast<uint32_t>(block) % 32u); }
}  // namespace

bool AddHeldBlock(DistrictHolding& record, int32_t block) {
  if (block < 0 || IsHeldBlock(record, block)) return false;
  record.HeldMask |= BitOf(block);
  ++record.HeldCount;
  if (record.StillToGet > 0) --record.StillToGet;
  return true;
}

void RemoveHeldBlock(DistrictHolding& record, int32_t block) {
  if (block < 0 || !IsHeldBlock(record, block)) return;
  record.HeldMask &= ~BitOf(block);
  if (record.HeldCount > 0) --record.HeldCount;
  ++record.StillToGet;
}

bool IsHeldBlock(const DistrictHolding& record, int32_t block) {
  return block >= 0 && (record.HeldMask & BitOf(block)) != 0;
}

static int ListBlocks(const DistrictHolding& record, int32_t out[4], bool held) {
  int n = 0;
  for (int8_t id : record.Blocks)
    if (id >= 0 && IsHeldBlock(record, id) == held) out[n++] = id;
  return n;
}

int ListHeldBlocks(const DistrictHolding& record, int32_t out[4]) { return ListBlocks(record, out, true); }
int ListMissingBlocks(const DistrictHolding& record, int32_t out[4]) { return ListBlocks(record, out, false); }

void ResetHoldingRecord(DistrictHolding& record) { record = DistrictHolding{}; }

void FillHoldingRecord(DistrictHolding& record, int32_t district) {
  ResetHoldingRecord(record);
  if (district < 0 || district >= kDistrictCount) return;
  for (int slot = 0; slot < 4; ++slot) {
    int32_t id = g_Districts[district].Blocks[slot];
    if (id < 0 || id >= kBlockCount) continue;
    record.Blocks[slot] = static_cast<int8_t>(id);
    ++record.StillToGet;
  }
}

CPlayer* AiPlayerState::GetPlayer() const { return PlayerTable().Get(Player); }

float AiPlayerState::Money() const {
  const CPlayer* p = GetPlayer();
  return p ? p->money : 0.0f;
}

bool AiPlayerState::OwnsBlock(int32_t block) const {
  const CPlayer* p = GetPlayer();
  return p != nullptr && block >= 0 && block < kBlockCount && p->ownedBlocks[block] != 0;
}

void InitAiPlayerState(AiPlayerState& state, int32_t player, int32_t character, CRandomStream* random) {
  state = AiPlayerState{};
  state.Player = player;
  state.Character = character;
  state.Random = random;
  for (int32_t d = 0; d < kDistrictCount; ++d) FillHoldingRecord(state.Districts[d], d);
}
