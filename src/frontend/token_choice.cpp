#include "frontend/token_choice.h"

namespace {

bool ValidToken(int32_t t) { return t >= 0 && t < kTokenCount; }

}  // namespace

void ResolveTokenClashes(TokenRows& rows) {
  bool taken[kTokenCount] = {};
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
    for (int32_t n = 0; n < kTokenCount && taken[t]; ++n) t = (t + 1) % kTokenCount;
    row.token = t;
    taken[t] = true;
  }
}

void StepHumanToken(TokenRows& rows, int32_t step) {
  TokenRow& human = rows[0];
  const int32_t from = ValidToken(human.token) ? human.token : 0;
  human.token = (from + (step < 0 ? kTokenCount - 1 : 1)) % kTokenCount;
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
