#include "frontend/token_choice.h"

// The token image is the player icon the game shows for the token.
const TokenInfo kTokenInfo[kTokenChoices] = {
    {1744, 1863, 0xFFBD0000, 272, 147}, {1745, 1871, 0xFF0D00F1, 264, 144}, {1746, 1866, 0xFFFD96B1, 267, 150},
    {1747, 1864, 0xFF00A203, 263, 153}, {1748, 1870, 0xFFF17100, 271, 156}, {1749, 1872, 0xFF0094E8, 266, 159},
    {1750, 1867, 0xFFFFF201, 269, 162}, {1751, 1865, 0xFF9DFFE5, 270, 165}, {1752, 1868, 0xFF733826, 268, 168},
    {1753, 1869, 0xFFBE27B9, 265, 171},
};

namespace {

bool ValidToken(int32_t t) { return t >= 0 && t < kTokenChoices; }

}  // namespace

void ResolveTokenClashes(TokenRows& rows) {
  bool taken[kTokenChoices] = {};
  if (ValidToken(rows[0].token)) taken[rows[0].token] = true;
  for (int32_t r = 1; r < kSetupRows; ++r) {
    TokenRow& row = rows[size_t(r)];
    if (row.kind == -1) continue;
    int32_t t = row.request;
    if (!ValidToken(t)) {
      row.token = -1;  // nothing asked for: the start check refuses the row
      continue;
    }
    // Six rows hold at most six of ten tokens: a free one always exists.
    for (int32_t n = 0; n < kTokenChoices && taken[t]; ++n) t = (t + 1) % kTokenChoices;
    row.token = t;
    taken[t] = true;
  }
}

void StepHumanToken(TokenRows& rows, int32_t step) {
  TokenRow& human = rows[0];
  const int32_t from = ValidToken(human.token) ? human.token : 0;
  human.token = (from + (step < 0 ? kTokenChoices - 1 : 1)) % kTokenChoices;
  ResolveTokenClashes(rows);
}

bool TokenRowsReady(const TokenRows& rows) {
  for (const TokenRow& row : rows) {
    if (row.kind == -1) continue;
    if (!ValidToken(row.token) || row.name.empty()) return false;
  }
  return true;
}

int32_t FirstUndoneTutorialLine(const std::vector<ListedLevel>& tutorials) {
  int32_t done = 0;
  for (const ListedLevel& t : tutorials) {
    if (!t.AnyCompleted()) break;
    ++done;
  }
  return done < int32_t(tutorials.size()) ? done : -1;
}

int32_t FirstUnwonScenarioLine(const std::vector<ListedLevel>& scenarios) {
  for (size_t i = 0; i < scenarios.size(); ++i)
    if (!scenarios[i].AnyCompleted()) return int32_t(i);
  return -1;
}
