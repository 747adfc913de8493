#pragma once
// The rules of the token choice and the level lists, apart from the pages
// that show them: the ten tokens, the six setup rows with their clashes,
// the human's stepping and the start check, and which tutorial or scenario
// a list opens on.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/player_tokens.h"

inline constexpr int32_t kSetupRows = 6;

// One row of the token page: kind -1 unused, 0 human, 1 computer.
struct TokenRow {
  int32_t kind = -1;
  int32_t token = -1;
  int32_t request = -1;  // the players script's token for the row
  int32_t option = 0;
  std::string name;
};
using TokenRows = std::array<TokenRow, kSetupRows>;

// Row 0 keeps its token; rows 1..5 in order take their requested token, or
// the next one above it (modulo 10) that no row holds yet.
void ResolveTokenClashes(TokenRows& rows);
// LEFT (-1) or RIGHT (+1) for the human in row 0, modulo 10, then the
// clashes as above (the human wins, computers move).
void StepHumanToken(TokenRows& rows, int32_t step);
// True when every used row has a token and a name.
bool TokenRowsReady(const TokenRows& rows);

// A level as the lists see it.
struct ListedLevel {
  int32_t id = 0;
  bool completed[3] = {};
  bool AnyCompleted() const { return completed[0] || completed[1] || completed[2]; }
};
// The line a tutorial list opens on: the count of leading tutorials done at
// any difficulty; -1 when all are done.
int32_t FirstUndoneTutorialLine(const std::vector<ListedLevel>& tutorials);
// The first scenario not won at any difficulty; -1 when none.
int32_t FirstUnwonScenarioLine(const std::vector<ListedLevel>& scenarios);
