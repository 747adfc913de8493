#include "frontend/lobby_rules.h"

#include <cstdio>

namespace {

bool ValidToken(int32_t t) { return t >= 0 && t < kTokenCount; }

}  // namespace

const GoalSettingRow kGoalSettings[kGoalSettingRows] = {
    {3, 1884, 5000, 20000, 1000, 10000}, {6, 1885, 500, 10000, 500, 2000}, {4, 1886, 1940, 2000, 5, 1960},
    {5, 1887, 10000, 100000, 10000, 3000}, {1, 1890, 1, 5, 1, 3},        {2, 1891, 1, 5, 1, 3},
};

void LobbySlots::Reset() {
  for (LobbySlot& s : slots) s = LobbySlot{};
}

bool LobbySlots::Held(int32_t token, int32_t except) const {
  for (int32_t i = 0; i < kSetupRows; ++i)
    if (i != except && slots[size_t(i)].Used() && slots[size_t(i)].token == token) return true;
  return false;
}

int32_t LobbySlots::LowestFreeToken() const {
  for (int32_t t = 0; t < kTokenCount; ++t)
    if (!Held(t)) return t;
  return -1;
}

void LobbySlots::CycleToken(int32_t slot, int32_t step) {
  if (slot < 0 || slot >= kSetupRows || (step != 1 && step != -1)) return;
  LobbySlot& s = slots[size_t(slot)];
  const int32_t from = ValidToken(s.token) ? s.token : 0;
  for (int32_t k = 1; k <= kTokenCount; ++k) {
    const int32_t t = ((from + 10 + k * step) % kTokenCount + kTokenCount) % kTokenCount;
    if (!Held(t, slot)) {
      s.token = t;
      return;
    }
  }
}

void LobbySlots::ResolveTokenClashes() {
  bool taken[kTokenCount] = {};
  if (slots[0].Used() && ValidToken(slots[0].token)) taken[slots[0].token] = true;
  for (int32_t i = 1; i < kSetupRows; ++i) {
    LobbySlot& s = slots[size_t(i)];
    if (!s.Used() || !ValidToken(s.token)) continue;
    // Six slots hold at most six of ten tokens: a free one always exists.
    for (int32_t n = 0; n < kTokenCount && taken[s.token]; ++n) s.token = (s.token + 1) % kTokenCount;
    taken[s.token] = true;
  }
}

LobbyStartState LobbySlots::StartState() const {
  int32_t participants = 0;
  for (const LobbySlot& s : slots) {
    if (s.kind == kSlotHuman && s.ready != 1) return {false, kLobbyWaitingText};
    if (s.Used()) ++participants;
  }
  if (!hostOrSingle) return {false, kLobbyClientText};
  if (participants < 2) return {false, kLobbyWaitingText};
  return {true, kLobbyReadyText};
}

int32_t LobbySlots::Toggle(int32_t slot, const std::string& computerLabel) {
  if (!hostOrSingle || slot < 0 || slot >= kSetupRows || slot == localSlot) return -1;
  LobbySlot& s = slots[size_t(slot)];
  switch (s.kind) {
    case kSlotHuman:
    case kSlotOpen: {
      char name[64];
      std::snprintf(name, sizeof name, "%s %d", computerLabel.c_str(), slot + 1);
      s = LobbySlot{kSlotComputer, -1, -1, 1, name};
      s.token = LowestFreeToken();
      break;
    }
    case kSlotComputer:
      s = LobbySlot{network ? kSlotClosed : kSlotOpen, -1, -1, 0, ""};
      break;
    default:
      s = LobbySlot{};
      break;
  }
  return s.kind;
}

int32_t LobbySlots::Join(int32_t id, const std::string& name) {
  for (int32_t i = 0; i < kSetupRows; ++i) {
    LobbySlot& s = slots[size_t(i)];
    if (s.kind != kSlotOpen) continue;
    s = LobbySlot{kSlotHuman, 0, id, 0, name.substr(0, 31)};
    // Token 0 stepped up to the next one nobody else holds.
    if (Held(0, i)) CycleToken(i, 1);
    ResolveTokenClashes();
    return i;
  }
  return -1;
}

bool LobbySlots::Leave(int32_t id) {
  for (LobbySlot& s : slots)
    if (s.kind == kSlotHuman && s.id == id) {
      s = LobbySlot{};
      return true;
    }
  return false;
}

bool LobbySlots::CanStart() const {
  for (const LobbySlot& s : slots) {
    if (!s.Used()) continue;
    if (!ValidToken(s.token) || s.name.empty() || s.ready != 1) return false;
  }
  return StartState().enabled;
}

void LobbySlots::Compact() {
  for (int32_t i = 0; i < kSetupRows; ++i) {
    if (slots[size_t(i)].Used()) continue;
    for (int32_t j = i + 1; j < kSetupRows; ++j) {
      if (!slots[size_t(j)].Used()) continue;
      slots[size_t(i)] = slots[size_t(j)];
      slots[size_t(j)] = LobbySlot{};
      if (localSlot == j) localSlot = i;
      break;
    }
  }
}

int32_t LobbySlots::MaxPlayers() const {
  int32_t n = kSetupRows;
  for (const LobbySlot& s : slots)
    if (s.kind == kSlotClosed) --n;
  return n;
}

int32_t LobbySlots::CurrentPlayers() const {
  int32_t n = 0;
  for (const LobbySlot& s : slots)
    if (s.Used()) ++n;
  return n;
}

void LobbySlots::ForceLocalReady() {
  if (hostOrSingle && localSlot >= 0 && localSlot < kSetupRows) slots[size_t(localSlot)].ready = 1;
}

int32_t GoalSettingRowOf(int32_t goalType) {
  for (int32_t i = 0; i < kGoalSettingRows; ++i)
    if (kGoalSettings[i].goalType == goalType) return i;
  return -1;
}

uint32_t ClampGoalValue(const GoalSettingRow& row, int64_t value) {
  if (row.minimum >= value) value = row.minimum;
  if (value >= row.maximum) value = row.maximum;
  return uint32_t(value);
}

bool GoalShownAsMoney(int32_t goalType) { return goalType == 3 || goalType == 5; }

int32_t DifficultyGoalText(int32_t difficulty) {
  static const int32_t kText[3] = {1654, 1655, 1658};
  return kText[difficulty < 0 || difficulty > 2 ? 0 : difficulty];
}
