#include "session/ai_characters.h"

#include <array>

#include "session/session_state.h"

namespace {

std::array<AiCharacter, kAiCharacterRows>& Rows() {
  static std::array<AiCharacter, kAiCharacterRows> rows;
  return rows;
}

AiScores g_aiScores;
AiScriptLimits g_limits;

struct ScoreField {
  const char* name;
  uint8_t AiScores::*field;
};

#define RC_SCORE(n) {#n, &AiScores::n}
constexpr ScoreField kScoreFields[] = {
    RC_SCORE(blk2_Rentopia),           RC_SCORE(blk2_1left_city_owned),    RC_SCORE(blk2_opponent_rentopia),
    RC_SCORE(blk2_Max_LandRent_Income), RC_SCORE(blk3_Rentopia),           RC_SCORE(blk3_1left_city_owned),
    RC_SCORE(blk3_2left_city_owned),   RC_SCORE(blk3_1left_player_owned),  RC_SCORE(blk3_opponent_rentopia),
    RC_SCORE(blk3_opponent_2blocks),   RC_SCORE(blk3_Max_Rentopia),        RC_SCORE(blk3_Max_LandRent_Income),
    RC_SCORE(RRUtil_Rentopia),         RC_SCORE(RRUtil_1left_city_owned),  RC_SCORE(RRUtil_2left_city_owned),
    RC_SCORE(RRUtil_3left_city_owned), RC_SCORE(RRUtil_3left_Bonus),       RC_SCORE(RRUtil_opponent_rentopia),
    RC_SCORE(RRUtil_Max_LandRent_Income), RC_SCORE(MaxScoreCap),           RC_SCORE(MaxDevelopment),
    RC_SCORE(MaxObjective),            RC_SCORE(MaxHindrance),             RC_SCORE(BasicBidVariance),
    RC_SCORE(MaxTTscoreThreshold),
};
#undef RC_SCORE

bool ValidTable(int32_t table) { return table >= kTimetableTactic && table <= kTimetableBlock; }

}  // namespace

AiCharacter* GetAiCharacter(int32_t row) {
  if (row < 0 || row >= kAiCharacterRows) return nullptr;
  return &Rows()[static_cast<size_t>(row)];
}

void ClearAiCharacter(int32_t row) {
  if (AiCharacter* c = GetAiCharacter(row)) *c = AiCharacter{};
}

void ResetAiCharacter(int32_t row) {
  AiCharacter* c = GetAiCharacter(row);
  if (c == nullptr) return;
  c->bound = nullptr;
  c->inUse = 0;
  c->workingId = -1;
  c->businessLimit = 0;
  c->prestigeBias = 0;
  c->workingValue = 0;
  c->cursors[kTimetableTactic] = c->counts[kTimetableTactic] = 0;
  for (uint8_t& f : c->floors) f = 0;
  for (auto& table : c->timetables) table[0] = AiTimetableEntry{};
}

void ResetAllAiCharacters() {
  for (int32_t row = 0; row < kAiCharacterRows; ++row) ResetAiCharacter(row);
}

bool BindAiCharacter(int32_t row, AiCharacterPlayer* player) {
  AiCharacter* c = GetAiCharacter(row);
  if (c == nullptr || c->inUse) return false;
  c->bound = player;
  c->inUse = 1;
  c->workingId = row;
  return true;
}

void UnbindAiCharacter(int32_t row) { ResetAiCharacter(row); }

void LoadTimeTable(AiCharacter& c, int32_t table, int32_t hour, int32_t minute, int32_t event) {
  if (!ValidTable(table) || c.counts[table] >= kTimetableSize) return;
  c.timetables[table][c.counts[table]++] = {hour * static_cast<int32_t>(kTicksPerHour) + minute * kTicksPerGameMinute, event};
}

void ResetTimeTable(AiCharacter& c, int32_t table) {
  if (!ValidTable(table)) return;
  c.counts[table] = c.cursors[table] = 0;
  for (AiTimetableEntry& e : c.timetables[table]) e = AiTimetableEntry{};
}

AiScores& GetAiScores() { return g_aiScores; }
void ResetAiScores() { g_aiScores = AiScores{}; }

uint8_t* FindAiScore(std::string_view name) {
  for (const ScoreField& f : kScoreFields)
    if (name == f.name) return &(g_aiScores.*f.field);
  return nullptr;
}

void ForEachAiScore(void (*f)(const char*, uint8_t&, void*), void* context) {
  for (const ScoreField& field : kScoreFields) f(field.name, g_aiScores.*field.field, context);
}

AiScriptLimits& GetAiScriptLimits() { return g_limits; }
