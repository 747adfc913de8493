#include "session/player.h"

#include <cmath>
#include <cstring>

#include "engine/core/error.h"
#include "engine/core/byte_io.h"
#include "engine/scene/asset_table.h"
#include "session/chance_cards.h"
#include "session/game_events.h"
#include "session/session_services.h"
#include "session/save_chunks.h"

CPlayerTable& PlayerTable() {
  static CPlayerTable table;
  return table;
}

CPlayerTable::CPlayerTable() = default;
CPlayerTable::~CPlayerTable() = default;

CPlayer* CPlayerTable::Get(int32_t index) const {
  if (index < 0 || index >= kMaxPlayers) return nullptr;
  return players_[index].get();
}

bool CPlayerTable::CreatePlayer(int32_t kind, int32_t character, const char* name) {
  return CreatePlayerSlot(kind, character, name) >= 0;
}

int32_t CPlayerTable::CreatePlayerSlot(int32_t kind, int32_t character, const char* name) {
  if (kind < kPlayerHuman || kind > kPlayerInactive) return -1;
  int slot = 0;
  while (slot < kMaxPlayers && !freeSlot_[slot]) ++slot;
  if (slot == kMaxPlayers) return -1;
  std::unique_ptr<CPlayer> p;
  if (kind == kPlayerHuman) {
    p = std::make_unique<CHumanPlayer>();
  } else {
    p.reset(Services().game->CreateComputerPlayer(character));
    if (!p) return -1;
  }
  p->index = static_cast<uint8_t>(slot);
  p->Chance().Start(slot);
  p->kind = kind;
  if (name) {
    std::strncpy(p->name, name, kPlayerNameSize - 1);
    p->name[kPlayerNameSize - 1] = 0;
  }
  p->money = Tweaks().startingCash;
  p->character = character;
  if (kind == kPlayerInactive) p->inUse = 0;
  players_[slot] = std::move(p);
  freeSlot_[slot] = 0;
  ++playerCount_;
  if (kind != kPlayerInactive) ++activeCount_;
  return slot;
}

void CPlayerTable::CreateSessionPlayers() {
  if (playerCount_ > 0) {
    local_ = Get(0);
    return;
  }
  SeparateSetupTokens();
  const SessionState& s = Session();
  int32_t slotOfRow[kMaxPlayers];
  for (int row = 0; row < kMaxPlayers; ++row) {
    const PlayerSetupRow& r = setupRows_[row];
    slotOfRow[row] = CreatePlayerSlot(r.kind, r.character, r.name);
    if (slotOfRow[row] < 0) continue;
    if (s.networkSession && !s.host && r.directPlayId == s.localDirectPlayId) local_ = Get(slotOfRow[row]);
  }
  if (!s.networkSession || s.host || local_ == nullptr) local_ = Get(0);
  SessionGameServices& game = *Services().game;
  int computers = 0;
  for (int row = 0; row < kMaxPlayers; ++row) {
    CPlayer* p = Get(slotOfRow[row]);
    if (p && p->kind == kPlayerComputer) {
      game.ResumeComputerPlayer(*p);
      ++computers;
    }
  }
  if (computers > 0) game.LoadAiCharacterScripts();
  for (int row = 0; row < kMaxPlayers; ++row) {
    CPlayer* p = Get(slotOfRow[row]);
    if (p && p->kind == kPlayerComputer) game.SetComputerDifficulty(*p, setupRows_[row].difficulty);
  }
}

bool CPlayerTable::SetupTokenHeld(int32_t token) const {
  for (const PlayerSetupRow& r : setupRows_)
    if (r.kind != kPlayerEmpty && r.character == token) return true;
  return false;
}

int32_t CPlayerTable::FreeSetupToken(int32_t wanted) const {
  if (wanted >= 0 && wanted < kTokenCount && !SetupTokenHeld(wanted)) return wanted;
  for (int32_t t = 0; t < kTokenCount; ++t)
    if (!SetupTokenHeld(t)) return t;
  return 0;
}

// A level's players script, a console level switch or a command line may
// seat two rows on one token, and their players could then not be told apart
// on the board or in the statistics. The earlier row keeps the token and the
// later one takes the lowest token no row holds. This runs on every machine
// from the same rows, so every machine seats the same tokens.
void CPlayerTable::SeparateSetupTokens() {
  for (int32_t row = 1; row < kMaxPlayers; ++row) {
    PlayerSetupRow& r = setupRows_[row];
    if (r.kind == kPlayerEmpty) continue;
    for (int32_t earlier = 0; earlier < row; ++earlier) {
      const PlayerSetupRow& e = setupRows_[earlier];
      if (e.kind == kPlayerEmpty || e.character != r.character) continue;
      r.character = FreeSetupToken(-1);
      break;
    }
  }
}

void CPlayerTable::DeleteAllPlayers() {
  for (int i = 0; i < kMaxPlayers; ++i) {
    players_[i].reset();
    freeSlot_[i] = 1;
  }
  playerCount_ = 0;
  activeCount_ = 0;
  local_ = nullptr;
  Services().game->ResetAiCharacters();
}

void CPlayerTable::ClearPlayerSetupRows() {
  for (PlayerSetupRow& r : setupRows_) r = PlayerSetupRow{};
}

void CPlayerTable::UpdatePlayers() {
  for (int i = 0; i < kMaxPlayers; ++i) {
    CPlayer* p = Get(i);
    if (p == nullptr || !p->inUse) continue;
    if (p->kind == kPlayerHuman || IsAuthority()) p->Update();
  }
  if (CPlayer* local = local_) {
    if (local->money < 0.0f && local->moneyAtLastCheck >= 0.0f)
      PostGameEvent(PromptEvent{kDefaultPortrait, 1739, 1740, 0, 1435});
    local->moneyAtLastCheck = local->money;
  }
}

void CPlayerTable::SwapLedgers() {
  for (auto& p : players_) {
    if (!p) continue;
    p->currentLedger ^= 1;
    std::memset(p->Today(), 0, sizeof(float) * kLedgerCategories);
  }
}

void CPlayerTable::ClearCardEffects() {
  for (auto& p : players_)
    if (p) p->cardEffect = 0;
}

bool CPlayerTable::PostPlayerMessage(int32_t recipient, int32_t sender, int32_t code,
                                     const PlayerMessageBody& words, int32_t token) {
  if (!IsPlayerMessageType(code)) return false;
  if (recipient == kCityPlayer) {
    if (activeCount_ <= 0) return false;
  } else {
    CPlayer* to = Get(recipient);
    if (to == nullptr || !to->inUse) return false;
  }
  if (sender < kCityPlayer || sender >= kMaxPlayers) return false;
  if (token == kSenderToken) {
    const CPlayer* from = Get(sender);
    token = from ? from->requestToken : -1;
  }
  return Post(PlayerMessage{code, PlayerIndex{sender}, PlayerIndex{recipient}, words, token});
}

bool CPlayerTable::RepostPlayerMessage(const PlayerMessage& message, int32_t code) {
  if (!IsPlayerMessageType(code)) return false;
  if (!message.from.IsNone()) {
    CPlayer* p = Get(message.from.value);
    if (p == nullptr || !p->inUse) return false;
  }
  PlayerMessage reply = message;
  reply.code = code;
  reply.from = message.to;
  reply.to = message.from;
  return Post(reply);
}

// ---- Save and load ------------------------------------------------------------------

void CPlayerTable::SavePlayers() const {
  for (int i = 0; i < playerCount_ && i < kMaxPlayers; ++i) {
    const CPlayer* p = Get(i);
    if (p == nullptr) continue;
    WriteRecordChunk(kChunkPlayerSetup, setupRows_[i]);
    WriteRecordChunk(kChunkPlayers, p->SavedState());
  }
}

void CPlayerTable::LoadPlayerSetupRow(const PlayerSetupRow& row) {
  if (playerCount_ >= kMaxPlayers) return;
  setupRows_[playerCount_] = row;
}

void CPlayerTable::LoadPlayerState(const PlayerSavedState& state) {
  int32_t slot = CreatePlayerSlot(state.kind, state.character, state.name);
  if (slot < 0) {
    ReportError(1, 0, "CPlayerTable::LoadPlayerState: No free player slot.");
    return;
  }
  CPlayer* player = Get(slot);
  int32_t activeBefore = player->inUse && player->kind != kPlayerInactive;
  player->SavedState() = state;
  // The loaded record decides whether the player takes part.
  int32_t activeAfter = player->inUse && player->kind != kPlayerInactive;
  activeCount_ += activeAfter - activeBefore;
  if (local_ == nullptr) local_ = player;
  // A held card comes back with the card chunk, or is dealt again at the
  // load's end (FinishChanceLoad).
}
