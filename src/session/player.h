#pragma once
// Players: the CPlayer record of every participant (human or computer), with
// cash, two daily ledgers, owned blocks and a queue of player messages; the
// human player; the player table of six slots with its set-up rows; the
// builders of the player-related game messages.
#include <cstdint>
#include <deque>
#include <memory>
#include <span>

#include "city/blocks.h"
#include "session/game_messages.h"
#include "session/session_state.h"

class CPlayerChance;

inline constexpr int kLedgerCategories = 38;
inline constexpr float kCreditAllowance = 10000.0f;
inline constexpr uint32_t kPlayerStateSize = 440;
inline constexpr uint32_t kPlayerSetupRowSize = 48;
inline constexpr int kPlayerNameSize = 32;
inline constexpr int32_t kCityPlayer = -1;
inline constexpr int32_t kSenderToken = -999;     // PostPlayerMessage: the sender's token
inline constexpr int32_t kDefaultPortrait = 302;

enum PlayerKind : int32_t { kPlayerEmpty = -1, kPlayerHuman = 0, kPlayerComputer = 1, kPlayerInactive = 2 };

// Ledger categories named by this subsystem.
enum LedgerCategory : int32_t {
  kLedgerBlock = 0,
  kLedgerDemolitionRefund = 1,
  kLedgerTakeOver = 2,
  kLedgerBuyoutPaid = 3,
  kLedgerConstructionPart3 = 7,
  kLedgerConstruction = 12,
  kLedgerConstructionPart4 = 14,
  kLedgerConstructionPart2 = 17,
  kLedgerBusinessBought = 20,
  kLedgerBuyoutGained = 22,
  kLedgerBlockSold = 23,
  kLedgerBusinessSold = 24,
  kLedgerUtilityFirst = 25,
  kLedgerRailroadFirst = 29,
  kLedgerSales = 35,
};

// A player's saved state: the record of chunk 64 (440 bytes).
struct PlayerSavedState {
  float money = 0;
  int32_t updateCountdown = 10;
  int32_t requestToken = -1;
  int8_t inUse = 1;
  int8_t counting = 0;
  int8_t countingActive = 0;
  float ledgers[2][kLedgerCategories] = {};
  uint8_t currentLedger = 1;
  int8_t ownsDistrict = 0;
  int32_t cardEffect = 0;
  int32_t statisticA = 0;
  int32_t character = 0;
  int32_t kind = kPlayerHuman;
  char name[kPlayerNameSize] = "No Name";
  int8_t ownedBlocks[kBlockCount] = {};
  int32_t pointsA = 0;
  int32_t pointsB = 0;
  int32_t salesCount = 0;
  int32_t heldCard = 0;

  template <class V>
  void Visit(V& v) {
    v.F32(money, kFinite);
    v.I32(updateCountdown);
    v.I32(requestToken);
    v.U8(inUse, {0, 1, "in use"});
    v.I8(counting);
    v.I8(countingActive);
    v.Pad(1);
    for (auto& ledger : ledgers)
      for (float& entry : ledger) v.F32(entry, kFinite);
    v.U8(currentLedger, {0, 1, "ledger"});
    v.I8(ownsDistrict);
    v.Pad(2);
    v.I32(cardEffect);
    v.I32(statisticA);
    v.I32(character);
    v.I32(kind, {kPlayerHuman, kPlayerInactive, "player kind"});
    v.Text(name);
    for (int8_t& owned : ownedBlocks) v.U8(owned, {0, 1, "owned block"});
    v.I32(pointsA);
    v.I32(pointsB);
    v.I32(salesCount);
    v.I32(heldCard);
  }
};

class CPlayer : public PlayerSavedState {
 public:
  CPlayer();
  virtual ~CPlayer();
  CPlayer(const CPlayer&) = delete;
  CPlayer& operator=(const CPlayer&) = delete;

  virtual void HandleMessage() = 0;
  virtual void Update() = 0;
  // A computer player's character when it differs from the token it plays
  // with (the auction room's debug overlay shows it), else -1.
  virtual int32_t OtherCharacterToken() const { return -1; }

  // Run-time state.
  uint8_t index = 0;
  float moneyAtLastCheck = -100.0f;
  int32_t countedBlock = 0;
  int16_t demandTally[32] = {};
  int16_t residentCount = 0;
  int16_t residentCount2 = 0;

  float* Today() { return ledgers[currentLedger & 1]; }
  const float* Today() const { return ledgers[currentLedger & 1]; }
  void AddToLedger(float amount, int32_t category);
  void AddMoney(float amount, int32_t category);
  int32_t GetRatingPoints() const;
  bool CanAfford(float amount, bool show) const;
  bool OwnsDistrictSet(int32_t district) const;
  void UpdateDistrictSetFlag();
  bool IsLocal() const;

  void RequestBuyBlock(int32_t block, float price, int32_t extra);
  void RequestSellBlock(int32_t block, float amount, int32_t extra);
  bool PostConstructBuilding(int32_t block, int32_t lotX, int32_t lotY, int32_t width, int32_t depth,
                             int32_t floors, int32_t design, int32_t buildingKind, int32_t quality,
                             int32_t ignored, int32_t businessType);
  bool PostDemolishBuilding(int32_t building, int32_t value);
  bool PostOpenBusiness(int32_t building, int32_t businessType, int32_t flags);
  bool PostBuyBusiness(int32_t building, int32_t businessType);
  bool PostCloseBusiness(int32_t business);
  bool PostRemovePlayer(int32_t player);

  // Ownership transfers, applied on every machine by the dispatcher.
  void TakeBlock(int32_t block, float price);
  void TakeOverBusiness(int32_t business, float price);
  void ReleasePlayerHoldings();

  // The player-message queue.
  bool AddMessage(const PlayerMessage& message);
  const PlayerMessage* PopMessage();
  size_t QueuedMessages() const { return queue_.size(); }
  const PlayerMessage& CurrentMessage() const { return current_; }

  void BeginResidentCount(int32_t block);
  void EndResidentCount() { countingActive = 0; }
  void ClearResidentCount();

  PlayerSavedState& SavedState() { return *this; }
  const PlayerSavedState& SavedState() const { return *this; }

  // The player's chance-card state, made with the player.
  CPlayerChance& Chance() { return *chance_; }
  const CPlayerChance& Chance() const { return *chance_; }

 private:
  std::deque<PlayerMessage> queue_;
  PlayerMessage current_;
  std::unique_ptr<CPlayerChance> chance_;
};

// A person at a machine: turns the messages addressed to it into prompts, one
// at a time.
class CHumanPlayer : public CPlayer {
 public:
  int32_t state = 0;  // 0 idle, 1 a prompt of a message is on screen

  // Buy requests and answers, refusals, debt warnings and buy-outs go to
  // the interface as game events (PlayerMessageEvent).
  void HandleMessage() override;
  void Update() override;
  // The prompt panel opened a prompt of a message: no further message is
  // handled until it closes.
  void OnPromptOpened() { state = 1; }
  // The buy-request prompt's answer (button 0 auction, 1 refuse).
  void AnswerBuyRequest(int32_t button, int32_t code);
  // The bought-out prompt closed.
  void OnPromptClosed() { state = 0; }

 private:
  void ShowMessage(const PlayerMessage& message);
};

// Stands in for a computer player until the computer players exist: it
// takes part in the game and drops its messages.
class CComputerPlayerStub : public CPlayer {
 public:
  void HandleMessage() override { PopMessage(); }
  void Update() override { HandleMessage(); }
};

struct PlayerSetupRow {
  int32_t character = -1;  // AI character row (computer players), -1 none
  int32_t kind = kPlayerEmpty;
  char name[kPlayerNameSize] = {};
  int32_t directPlayId = 0;
  int32_t difficulty = 0;

  // The record of chunk 0x80000 (48 bytes).
  template <class V>
  void Visit(V& v) {
    v.I32(character);
    v.I32(kind, {kPlayerEmpty, kPlayerInactive, "player kind"});
    v.Text(name);
    v.I32(directPlayId);
    v.I32(difficulty);
  }
};

class CPlayerTable {
 public:
  CPlayerTable();
  ~CPlayerTable();

  bool CreatePlayer(int32_t kind, int32_t character, const char* name);
  // As CreatePlayer; the slot taken, -1 when none.
  int32_t CreatePlayerSlot(int32_t kind, int32_t character, const char* name);
  void CreateSessionPlayers();
  void DeleteAllPlayers();
  void ClearPlayerSetupRows();
  void UpdatePlayers();
  void SwapLedgers();
  void ClearCardEffects();
  // A message of the code with its words (the code's record) from one
  // player (or the city, -1) to another.
  bool PostPlayerMessage(int32_t recipient, int32_t sender, int32_t code, const PlayerMessageBody& words,
                         int32_t token);
  // The answer to a message: back to its sender with the same words.
  bool RepostPlayerMessage(const PlayerMessage& message, int32_t code);
  void RemovePlayer(int32_t index);

  // The player in a slot 0..5, null when none.
  CPlayer* Get(int32_t index) const;
  // The player of an owner number 1..6 (0 the city), null when none.
  CPlayer* ByNumber(int32_t number) const { return Get(number - 1); }
  CPlayer* Local() const { return local_; }
  void SetLocal(CPlayer* player) { local_ = player; }
  int32_t PlayerCount() const { return playerCount_; }
  int32_t ActiveCount() const { return activeCount_; }
  bool SlotFree(int32_t index) const { return index < 0 || index >= kMaxPlayers || freeSlot_[index]; }
  PlayerSetupRow& SetupRow(int32_t i) { return setupRows_[i]; }
  // Whether a seated setup row plays with the token.
  bool SetupTokenHeld(int32_t token) const;
  // The wanted token when no seated row holds it, else the lowest free one.
  int32_t FreeSetupToken(int32_t wanted) const;

  // Save hooks.
  void SavePlayers() const;
  // Chunk records of a load, already checked.
  void LoadPlayerSetupRow(const PlayerSetupRow& row);
  void LoadPlayerState(const PlayerSavedState& state);

 private:
  void SeparateSetupTokens();

  int8_t freeSlot_[kMaxPlayers] = {1, 1, 1, 1, 1, 1};
  int32_t playerCount_ = 0;
  int32_t activeCount_ = 0;
  std::unique_ptr<CPlayer> players_[kMaxPlayers];
  CPlayer* local_ = nullptr;
  PlayerSetupRow setupRows_[kMaxPlayers];
};

CPlayerTable& PlayerTable();
