#pragma once
// The rules of the network lobby and the host page, apart from the pages
// that show them: the six lobby slots (kind, token, name, id, ready mark),
// token steps and clashes, the slot toggle, who may start, the rows'
// compaction at the start, the session's published values, and the goal
// rows of the host page.
#include <array>
#include <cstdint>
#include <string>

#include "frontend/token_choice.h"

enum LobbySlotKind : int32_t { kSlotHuman = 0, kSlotComputer = 1, kSlotOpen = 2, kSlotClosed = 3 };

struct LobbySlot {
  int32_t kind = kSlotOpen;
  int32_t token = -1;
  int32_t id = -1;  // the player's network id, -1 none
  int32_t ready = 0;
  std::string name;
  bool Used() const { return kind == kSlotHuman || kind == kSlotComputer; }
  // The set-up row's kind: human 0, computer 1, else unused.
  int32_t RowKind() const { return kind == kSlotHuman ? 0 : kind == kSlotComputer ? 1 : -1; }
};

// The start button's state and the status text it shows.
struct LobbyStartState {
  bool enabled = false;
  int32_t statusText = 0;
};

inline constexpr int32_t kLobbyWaitingText = 1759, kLobbyReadyText = 1757, kLobbyClientText = 1758;

class LobbySlots {
 public:
  std::array<LobbySlot, kSetupRows> slots{};
  bool hostOrSingle = true;
  bool network = false;  // a network game (the toggle closes slots)
  int32_t localSlot = 0;

  // Every slot open, nobody ready.
  void Reset();
  bool Held(int32_t token, int32_t except = -1) const;
  // The lowest token no slot holds (searching upward from 0); -1 when none.
  int32_t LowestFreeToken() const;
  // From the slot's token t: t + step, t + 2 step ... modulo 10, the first
  // that no other slot holds.
  void CycleToken(int32_t slot, int32_t step);
  // Slot 0 keeps its token; each used slot after it whose token is taken
  // moves up (modulo 10) to the next one nobody holds.
  void ResolveTokenClashes();
  LobbyStartState StartState() const;
  // The host's slot toggle on a slot not its own: human or open -> computer,
  // computer -> closed (network) or open (single), closed -> open. Returns
  // the new kind; a human's machine must be told it has been dropped.
  int32_t Toggle(int32_t slot, const std::string& computerLabel);
  // A player who joined: the first open slot, its token the next free one
  // after 0; -1 when no slot is open (the join is refused).
  int32_t Join(int32_t id, const std::string& name);
  // The slot a player leaves opens again; false when no slot holds the id.
  bool Leave(int32_t id);
  // START's checks: every used slot has a token, a name and a ready mark.
  bool CanStart() const;
  // The used slots moved up over the unused ones, in order, kinds and ready
  // marks with them.
  void Compact();
  // Published with the session: current players and the maximum.
  int32_t MaxPlayers() const;
  int32_t CurrentPlayers() const;
  // Host or single: the local slot is always ready.
  void ForceLocalReady();
};

// A host page's goal row: the value the level's objective aims at.
struct GoalSettingRow {
  int32_t goalType;
  int32_t labelText;
  int32_t minimum, maximum, step, defaultValue;
};
inline constexpr int32_t kGoalSettingRows = 6;
extern const GoalSettingRow kGoalSettings[kGoalSettingRows];
// The row of a goal type; -1 when none.
int32_t GoalSettingRowOf(int32_t goalType);
// The value kept within the row's range.
uint32_t ClampGoalValue(const GoalSettingRow& row, int64_t value);
// Goal types 3 and 5 are money; the others plain numbers.
bool GoalShownAsMoney(int32_t goalType);
// The difficulty's text with the goal value (easy 1654, medium 1655, hard 1658).
int32_t DifficultyGoalText(int32_t difficulty);
