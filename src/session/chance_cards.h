#pragma once
// Chance cards: one fixed table of 83 cards; one deck that deals them in a
// shuffled order from its own random stream; each player's card state (the
// hours to its next card, the card it holds and the target picked for it);
// and the effect of a played card, which the play-card message applies on
// every machine at the same logic tick.
//
// Everything shared goes through messages: a player due a card asks the city
// (player message 46), the city deals (48), a card held before a load is
// dealt again (47), a kept card thrown away goes back to the deck (49), and a
// played card is game message 24. The deck runs where the city answers its
// messages (alone or on the host). Each player's countdown runs on the
// machine that plays for it, and its stream is drawn only by the hourly step
// and the player's creation, never by a click.
#include <array>
#include <cstdint>

#include "engine/core/random_stream.h"
#include "engine/core/record_visitor.h"

class CBusiness;
class CPlayer;
struct PlayCardMsg;
struct CardChoiceMsg;
struct PlayerMessage;

inline constexpr int32_t kChanceCardCount = 83;

// A card's kind: 0 and 1 are played as soon as they are shown, 2 may be kept
// and played later on a target, 3 is never dealt.
enum ChanceCardKind : int32_t { kCardPlayedAtOnce = 0, kCardPlayedAtOnce2 = 1, kCardKeepable = 2, kCardNeverDealt = 3 };

// What a keepable card does (its value field); the computer players' names
// for them are CardName (city/city_demand.h).
enum CardSubEffect : int32_t {
  kCardStoreStrike = 0,
  kCardCentrePublicity = 1,
  kCardStorePublicity = 2,
  kCardSpecialRestock = 3,
  kCardStockWriteOff = 4,
  kCardInflatedPrices = 5,
  kCardBadPublicity = 6,
  kCardEarlyLeaseExpiry = 7,
  kCardHostileTakeover = 8,
};

// The effect that plays a keepable card's sub-effect on its target.
inline constexpr int32_t kCardTargetEffect = 6;
// Ledger categories of card money.
inline constexpr int32_t kLedgerCardPayment = 18;
inline constexpr int32_t kLedgerCardIncome = 36;
// Card states of a player.
enum CardState : int32_t { kCardNone = 0, kCardDealt = 1, kCardKept = 2 };

struct ChanceCard {
  int32_t kind = kCardNeverDealt;
  int32_t textId = 0;  // + 1: the line other players see, + 2: the local player's amount
  int32_t value = 0;   // an amount, a count factor, or a keepable card's sub-effect
  int32_t effect = 0;
  uint8_t announce = 0;  // other players are told when it is played
  uint8_t firstDay = 0;  // may be dealt on the game's first day
};
extern const std::array<ChanceCard, kChanceCardCount> kChanceCards;
bool IsChanceCard(int32_t card);
// The card's row; card 0's for an id outside the table.
const ChanceCard& GetChanceCard(int32_t card);

// The one deck. Its order holds the cards not yet dealt, the next one last.
class CChanceDeck {
 public:
  CRandomStream& Random() { return random_; }
  // Every card back in the deck, shuffled (a new game or level).
  void Reset();
  // Rebuilds the order from the cards not drawn and shuffles it.
  void Shuffle();
  // The next card the day allows, marked drawn; 0 when no card can be dealt.
  // Every machine draws at the same tick, so the deck stays one deck.
  int32_t DrawCard();
  // The named card when it is in the deck (marked drawn, the rest
  // reshuffled); false when it is not there.
  bool DealCard(int32_t card);
  // A played or discarded card goes back: the next shuffle may deal it.
  void ReturnCard(int32_t card);
  bool IsDrawn(int32_t card) const { return IsChanceCard(card) && drawn_[size_t(card)] != 0; }
  int32_t Count() const { return count_; }
  int32_t OrderAt(int32_t position) const;

  // The saved deck: stream, order and drawn marks.
  struct Saved {
    uint32_t randomState = 0;
    int32_t count = 0;
    std::array<int32_t, kChanceCardCount> order{};
    std::array<uint8_t, kChanceCardCount> drawn{};
    template <class V>
    void Visit(V& v) {
      v.U32(randomState);
      v.I32(count, {0, kChanceCardCount, "deck count"});
      for (int32_t& card : order) v.I32(card, {-1, kChanceCardCount - 1, "deck card"});
      for (uint8_t& d : drawn) v.U8(d, {0, 1, "drawn mark"});
      v.Require(OrderValid(), "deck order");
    }
    // The cards still to deal are real, different and not drawn.
    bool OrderValid() const;
  };
  Saved Save() const;
  void Restore(const Saved& saved);

 private:
  bool Dealable(int32_t card, bool firstDay) const;

  CRandomStream random_;
  std::array<int32_t, kChanceCardCount> order_{};
  std::array<uint8_t, kChanceCardCount> drawn_{};
  int32_t count_ = 0;
};
CChanceDeck& ChanceDeck();
// The session's random streams in their place in the program's list.
void RegisterSessionRandomStreams();

// A player's card state, created with the player.
class CPlayerChance {
 public:
  explicit CPlayerChance(CPlayer& owner);
  CPlayerChance(const CPlayerChance&) = delete;
  CPlayerChance& operator=(const CPlayerChance&) = delete;

  // Once the player has its slot: the stream starts from the game's seed
  // (whatever streams earlier games left in the list) and the first card
  // comes 5 to 10 hours on.
  void Start(int32_t slot);

  // The card is dealt, not yet decided.
  void SetHeldCard(int32_t card);
  // 0 none (the card is let go, the player record's cleared too), 1 dealt,
  // 2 kept; a state with a card needs a card held.
  void SetCardState(int32_t state);
  int32_t CardState() const { return state_; }
  int32_t HeldCard() const { return heldCard_; }
  // Asks for the named card from the deck (a script, the console, a load
  // without the card state): a card-choice message.
  void PostChanceMessage(int32_t card);
  // The held card is kept for later: a card-choice message.
  void KeepHeldCard();
  bool IsHeldCardKeepable() const;
  int32_t GetHeldCardValue() const;
  // The block and building picked for a keepable card (-1 none); then checked.
  void SetTarget(int32_t block, int32_t building);
  // The target the held card would be played on, -1 when it cannot be played.
  int32_t ValidateTarget();
  bool TargetValid() const { return targetValid_; }
  int32_t TargetBlock() const { return targetBlock_; }
  int32_t TargetBuilding() const { return targetBuilding_; }
  // The local player's chance icon: the card panel shows the held card, and
  // a card that cannot be kept is played at once.
  void ShowHeldCard();
  // Sends the play-card message; false (and nothing changes) when the card
  // has no valid target.
  bool PlayHeldCard();
  // A kept card goes back to the deck: a card-choice message.
  void DiscardHeldCard();
  // Once a game hour on every machine: the countdown to the next card, and
  // the card drawn from the deck when it runs out.
  void HourlyTick();
  // The shared steps of the card-choice and play-card messages.
  void ApplyKeep(int32_t card);
  void ApplyDiscard(int32_t card);
  void ApplyDeal(int32_t card);
  void ApplyPlayed(int32_t card);
  int32_t HoursToNextCard() const { return hours_; }

  // The saved state (the owner's slot is the chunk's row).
  struct Saved {
    int32_t hours = 0;
    int32_t heldCard = 0;
    int32_t state = kCardNone;
    uint8_t redraw = 0;
    uint32_t randomState = 0;
  };
  Saved Save() const;
  void Restore(const Saved& saved);

 private:
  // After a play or a discard: no card, and the next one 20 to 28 hours on
  // (drawn at the next hourly step).
  void ClearHeldCard();
  // This machine sends the owner's plays and choices.
  bool SentHere() const;

  CPlayer& owner_;
  CRandomStream random_;
  int32_t hours_ = 0;
  int32_t heldCard_ = 0;
  int32_t state_ = kCardNone;
  bool redraw_ = false;
  // A play or a choice for the held card was made (and sent by the machine
  // acting for the owner) and has not yet been applied: no second one meanwhile.
  bool choiceSent_ = false;
  bool targetValid_ = false;
  int32_t targetBlock_ = -1;
  int32_t targetBuilding_ = -1;
};

// Game message 24 on every machine: the card goes back to the deck and its
// effect is carried out.
void ApplyChanceCardEffect(const PlayCardMsg& message);
// The host's check of a play-card message before it is passed on.
bool ChanceCardPlayAllowed(const PlayCardMsg& message, int32_t senderNumber);
// Game message 25 on every machine: a card kept, discarded or dealt.
void ApplyCardChoice(const CardChoiceMsg& message);
// The host's check: a client chooses only for its own player.
bool CardChoiceAllowed(const CardChoiceMsg& message, int32_t senderNumber);
// What the Hostile Takeover card makes its player pay for a business.
float HostileTakeoverPrice(const CBusiness& business);

// Save chunk: the deck, each player's card state and the utilities' charge
// switches that utility cards turn off.
struct ChanceSavedPlayer {
  uint8_t present = 0;
  CPlayerChance::Saved chance;
  template <class V>
  void Visit(V& v) {
    v.U8(present, {0, 1, "player present"});
    v.Pad(3);
    v.I32(chance.hours, {-10000000, 1000, "card hours"});
    v.I32(chance.heldCard, {0, kChanceCardCount - 1, "held card"});
    v.I32(chance.state, {kCardNone, kCardKept, "card state"});
    v.U8(chance.redraw, {0, 1, "card redraw"});
    v.Pad(3);
    v.U32(chance.randomState);
    v.Require((chance.state == kCardNone) == (chance.heldCard == 0), "held card and card state");
    v.Require(chance.heldCard == 0 || GetChanceCard(chance.heldCard).kind != kCardNeverDealt, "held card");
  }
};
struct ChanceSavedState {
  CChanceDeck::Saved deck;
  ChanceSavedPlayer players[6];
  uint8_t chargeSwitches[4] = {1, 1, 1, 1};
  template <class V>
  void Visit(V& v) {
    deck.Visit(v);
    v.Pad(1);
    for (ChanceSavedPlayer& p : players) p.Visit(v);
    for (uint8_t& s : chargeSwitches) v.U8(s, {0, 1, "charge switch"});
    v.Require(HeldCardsValid(), "held cards");
  }
  // Every held card is drawn and held once.
  bool HeldCardsValid() const;
};

// Chunk of the card state; the session registers it with its other chunks.
void RegisterChanceSaveHooks();
// A new game: a fresh deck (player states come with the players).
void ResetChanceCards();
// After a load's chunks: restores what the chunk held that later steps of
// the load reset; without a chunk, the held cards are dealt again (47).
void FinishChanceLoad();
// The clock's hourly step for one player.
void ChanceHourlyTick(CPlayer& player);
