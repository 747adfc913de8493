#include "session/chance_cards.h"

#include <algorithm>
#include <cmath>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/person.h"
#include "engine/core/play_warning.h"
#include "session/save_chunks.h"
#include "session/game_clock.h"
#include "session/game_events.h"
#include "session/game_messages.h"
#include "session/player.h"
#include "session/player_data.h"
#include "session/session_state.h"
#include "session/utility_income.h"

// ---- The card table ------------------------------------------------------------------

namespace {

constexpr ChanceCard Card(int32_t kind, int32_t textId, int32_t value, int32_t effect, uint8_t announce,
                          uint8_t firstDay) {
  return ChanceCard{kind, textId, value, effect, announce, firstDay};
}

constexpr std::array<ChanceCard, kChanceCardCount> MakeCards() {
  std::array<ChanceCard, kChanceCardCount> c{};
  c[0] = Card(kCardNeverDealt, 0, 0, 24, 1, 1);
  constexpr int32_t gifts[9] = {200, 400, 500, 400, 200, 200, 200, 400, 250};
  for (int i = 0; i < 9; ++i) c[size_t(1 + i)] = Card(0, 1205 + 2 * i, gifts[i], 0, 0, 1);
  constexpr int32_t fines[6] = {300, 200, 300, 500, 200, 200};
  for (int i = 0; i < 6; ++i) c[size_t(10 + i)] = Card(0, 1223 + 2 * i, fines[i], 7, 0, 1);
  c[16] = Card(0, 1235, 80, 1, 1, 1);
  c[17] = Card(0, 1238, 200, 1, 1, 0);
  c[18] = Card(0, 1241, 20, 9, 0, 1);
  c[19] = Card(0, 1243, 400, 2, 0, 1);
  c[20] = Card(0, 1245, 400, 10, 0, 1);
  c[21] = Card(0, 1248, 5, 3, 0, 1);
  c[22] = Card(0, 1250, 100, 11, 0, 1);
  c[23] = Card(0, 1252, 100, 12, 0, 1);
  c[24] = Card(0, 1254, 10, 13, 0, 1);
  c[25] = Card(0, 1257, 6, 14, 0, 1);
  c[26] = Card(0, 1260, 6, 15, 0, 1);
  c[27] = Card(0, 1263, 6, 16, 0, 1);
  for (int i = 0; i < 4; ++i) c[size_t(28 + i)] = Card(0, 1266 + 2 * i, 0, 17 + i, 1, 1);
  c[32] = Card(0, 1274, 10, 4, 0, 1);
  c[33] = Card(1, 1276, 300, 0, 0, 1);
  c[34] = Card(1, 1278, 800, 0, 0, 0);
  c[35] = Card(1, 1280, 200, 0, 0, 1);
  c[36] = Card(1, 1282, 400, 0, 0, 1);
  c[37] = Card(1, 1284, 800, 0, 0, 0);
  c[38] = Card(1, 1286, 500, 0, 0, 0);
  constexpr int32_t charges[4] = {100, 300, 200, 200};
  for (int i = 0; i < 4; ++i) c[size_t(39 + i)] = Card(1, 1288 + 2 * i, charges[i], 7, 0, 1);
  c[43] = Card(1, 1296, 250, 8, 1, 1);
  c[44] = Card(1, 1299, 200, 8, 1, 1);
  c[45] = Card(1, 1302, 50, 9, 0, 1);
  c[46] = Card(1, 1304, 1000, 2, 1, 0);
  c[47] = Card(1, 1306, 750, 10, 1, 0);
  c[48] = Card(1, 1309, 4, 3, 0, 1);
  c[49] = Card(1, 1311, 200, 11, 0, 1);
  c[50] = Card(1, 1313, 500, 12, 0, 1);
  c[51] = Card(1, 1315, 20, 13, 0, 1);
  c[52] = Card(1, 1318, 10, 14, 0, 1);
  c[53] = Card(1, 1321, 10, 15, 0, 1);
  c[54] = Card(1, 1324, 10, 16, 0, 1);
  for (int i = 0; i < 4; ++i) c[size_t(55 + i)] = Card(1, 1327 + 3 * i, 10, 17 + i, 0, 1);
  c[59] = Card(1, 1339, 20, 4, 0, 1);
  c[60] = Card(1, 1341, 20, 21, 0, 1);
  c[61] = Card(1, 1343, 30, 22, 0, 1);
  c[62] = Card(1, 1343, 40, 22, 0, 1);
  c[63] = Card(1, 1345, 0, 5, 0, 0);
  c[64] = Card(1, 1347, 0, 23, 0, 0);
  constexpr int32_t keepTexts[9] = {1349, 1352, 1354, 1358, 1360, 1363, 1365, 1367, 1369};
  for (int set = 0; set < 2; ++set)
    for (int i = 0; i < 9; ++i) c[size_t(65 + 9 * set + i)] = Card(kCardKeepable, keepTexts[i], i, 6, 1, 0);
  return c;
}

}  // namespace

const std::array<ChanceCard, kChanceCardCount> kChanceCards = MakeCards();

bool IsChanceCard(int32_t card) { return card >= 0 && card < kChanceCardCount; }

const ChanceCard& GetChanceCard(int32_t card) { return kChanceCards[IsChanceCard(card) ? size_t(card) : 0]; }

// ---- The deck -------------------------------------------------------------------------

CChanceDeck& ChanceDeck() {
  static CChanceDeck deck;
  return deck;
}

void RegisterSessionRandomStreams() { ChanceDeck(); }

void CChanceDeck::Reset() {
  for (int32_t i = 0; i < kChanceCardCount; ++i) order_[size_t(i)] = i;
  drawn_.fill(0);
  Shuffle();
}

void CChanceDeck::Shuffle() {
  count_ = 0;
  order_[0] = -1;
  for (int32_t i = 0; i < kChanceCardCount; ++i)
    if (!drawn_[size_t(i)]) order_[size_t(count_++)] = i;
  for (int32_t j = 0; j < count_; ++j) {
    const int32_t k = static_cast<int32_t>(random_.Rand() % uint32_t(count_));
    std::swap(order_[size_t(j)], order_[size_t(k)]);
  }
}

bool CChanceDeck::Dealable(int32_t card, bool firstDay) const {
  if (!IsChanceCard(card) || drawn_[size_t(card)]) return false;
  const ChanceCard& c = kChanceCards[size_t(card)];
  return c.kind != kCardNeverDealt && (!firstDay || c.firstDay);
}

int32_t CChanceDeck::OrderAt(int32_t position) const {
  return position >= 0 && position < count_ ? order_[size_t(position)] : -1;
}

int32_t CChanceDeck::DrawCard() {
  const bool firstDay = GameClock().dayCounter == 0;
  // Reshuffling deals only cards that are not drawn: when none of them may
  // be dealt, no number of shuffles finds one.
  bool any = false;
  for (int32_t card = 0; card < kChanceCardCount && !any; ++card) any = Dealable(card, firstDay);
  if (!any) return 0;
  // Each shuffle puts a dealable card on top with a chance of at least one in
  // 83; past this many tries the last dealable one is moved there.
  constexpr int32_t kMaxShuffles = 2000;
  if (count_ == 0) Shuffle();
  for (int32_t tries = 0; !Dealable(order_[size_t(count_ - 1)], firstDay); ++tries) {
    if (tries == kMaxShuffles) {
      for (int32_t i = count_ - 1; i >= 0; --i)
        if (Dealable(order_[size_t(i)], firstDay)) std::swap(order_[size_t(i)], order_[size_t(count_ - 1)]);
      break;
    }
    Shuffle();
  }
  const int32_t card = order_[size_t(--count_)];
  drawn_[size_t(card)] = 1;
  return card;
}

bool CChanceDeck::DealCard(int32_t card) {
  bool inOrder = false;
  for (int32_t i = 0; i < count_; ++i) inOrder |= order_[size_t(i)] == card;
  if (!inOrder) return false;
  drawn_[size_t(card)] = 1;
  Shuffle();
  return true;
}

void CChanceDeck::ReturnCard(int32_t card) {
  if (IsChanceCard(card)) drawn_[size_t(card)] = 0;
}

bool CChanceDeck::Saved::OrderValid() const {
  std::array<bool, kChanceCardCount> seen{};
  for (int32_t i = 0; i < count; ++i) {
    const int32_t card = order[size_t(i)];
    if (card < 0 || seen[size_t(card)] || drawn[size_t(card)]) return false;
    seen[size_t(card)] = true;
  }
  return true;
}

CChanceDeck::Saved CChanceDeck::Save() const { return Saved{random_.GetState(), count_, order_, drawn_}; }

void CChanceDeck::Restore(const Saved& s) {
  random_.SetState(s.randomState);
  count_ = s.count;
  order_ = s.order;
  drawn_ = s.drawn;
}

// ---- A player's cards -------------------------------------------------------------------

CPlayerChance::CPlayerChance(CPlayer& owner) : owner_(owner) { hours_ = int32_t(random_.Rand() % 6) + 5; }

void CPlayerChance::Start(int32_t slot) {
  // The first stream after the master was seeded at the same place of the
  // sequence in every game.
  const CRandomStream* first = FirstRandomStream() ? FirstRandomStream()->Next() : nullptr;
  random_.SetState((first ? first->GetState() : 0u) + 104729u * (static_cast<uint32_t>(slot) + 1u));
  hours_ = int32_t(random_.Rand() % 6) + 5;
}

void CPlayerChance::SetHeldCard(int32_t card) {
  if (!IsChanceCard(card) || card == 0) return;
  heldCard_ = card;
  owner_.heldCard = card;
  state_ = kCardDealt;
  targetValid_ = false;
  choiceSent_ = false;
}

void CPlayerChance::SetCardState(int32_t state) {
  if (state < kCardNone || state > kCardKept || (state != kCardNone && heldCard_ == 0)) return;
  if (state == kCardNone) heldCard_ = 0;
  owner_.heldCard = heldCard_;
  state_ = state;
}

// A player's choices run on every machine alike; only the machine that acts
// for the player sends them: its own for a person, the host for a computer.
bool CPlayerChance::SentHere() const {
  if (owner_.kind == kPlayerHuman) return &owner_ == PlayerTable().Local() || !Session().networkSession;
  return IsAuthority();
}

void CPlayerChance::PostChanceMessage(int32_t card) {
  Post(CardChoiceMsg{kCardChoiceDeal, PlayerIndex{owner_.index}, card});
}

// Keeping may be followed by a play or a discard before it arrives: it
// leaves the way open for them.
void CPlayerChance::KeepHeldCard() {
  if (state_ != kCardDealt || choiceSent_) return;
  if (SentHere()) Post(CardChoiceMsg{kCardChoiceKeep, PlayerIndex{owner_.index}, heldCard_});
}

void CPlayerChance::ApplyKeep(int32_t card) {
  if (card != heldCard_ || state_ != kCardDealt) return;
  state_ = kCardKept;
}

void CPlayerChance::ApplyDiscard(int32_t card) {
  if (card != heldCard_ || state_ == kCardNone || !IsHeldCardKeepable()) return;
  ChanceDeck().ReturnCard(card);
  ClearHeldCard();
}

void CPlayerChance::ApplyDeal(int32_t card) {
  if (state_ != kCardNone || !ChanceDeck().DealCard(card)) return;
  SetHeldCard(card);
}

void CPlayerChance::ApplyPlayed(int32_t card) {
  if (card == heldCard_ && state_ != kCardNone) ClearHeldCard();
}

bool CPlayerChance::IsHeldCardKeepable() const { return GetChanceCard(heldCard_).kind == kCardKeepable; }

int32_t CPlayerChance::GetHeldCardValue() const { return GetChanceCard(heldCard_).value; }

void CPlayerChance::SetTarget(int32_t block, int32_t building) {
  targetBlock_ = block >= 0 && block < kBlockCount ? block : -1;
  targetBuilding_ = building >= 0 && building < kBuildingPoolSize ? building : -1;
  ValidateTarget();
}

namespace {

// Standing, not scaffolded or queued.
bool BuildingStands(const CBuilding& b) {
  return b.InUse && (b.Status == kStatusComplete || b.Status == kStatusPlaced);
}

// A district a card may name a block of: not the city centre's, the
// railroads' or the utilities'.
bool CardDistrict(int32_t block) {
  const int32_t d = g_BlockDefs[size_t(block)].District;
  return d != 0 && d != 10 && d != 11;
}

// The target of a keepable card's sub-effect for a player, -1 when there is
// none: a building's index or a block's.
int32_t CardTarget(int32_t subEffect, int32_t player, int32_t block, int32_t building) {
  const int32_t number = player + 1;
  switch (subEffect) {
    case kCardStoreStrike:
    case kCardStockWriteOff:
    case kCardStorePublicity:
    case kCardSpecialRestock:
    case kCardHostileTakeover: {
      const CBuilding* b = GetBuilding(building);
      const CBusiness* business = b && BuildingStands(*b) ? GetBusinessInUse(b->GetBusiness()) : nullptr;
      if (business == nullptr) return -1;
      const bool own = business->Owner == number;
      const bool wantsOwn = subEffect == kCardStorePublicity || subEffect == kCardSpecialRestock;
      return own == wantsOwn ? building : -1;
    }
    case kCardCentrePublicity:
    case kCardInflatedPrices:
    case kCardBadPublicity:
    case kCardEarlyLeaseExpiry: {
      if (block < 0 || block >= kBlockCount || !CardDistrict(block)) return -1;
      const int32_t owner = g_Blocks[size_t(block)].Owner;
      if (subEffect == kCardEarlyLeaseExpiry) return owner == number ? block : -1;
      if (building >= 0) return -1;
      if (subEffect == kCardBadPublicity && owner == number) return -1;
      return block;
    }
    default:
      return -1;
  }
}

}  // namespace

int32_t CPlayerChance::ValidateTarget() {
  targetValid_ = false;
  if (state_ == kCardNone) return -1;
  const ChanceCard& c = GetChanceCard(heldCard_);
  int32_t target = 0;
  if (c.kind == kCardKeepable) target = CardTarget(c.value, owner_.index, targetBlock_, targetBuilding_);
  targetValid_ = target >= 0;
  return target;
}

void CPlayerChance::ShowHeldCard() {
  if (heldCard_ == 0 || state_ == kCardNone) return;
  PostGameEvent(ChanceCardEvent{kCardShown, owner_.index, heldCard_});
  if (!IsHeldCardKeepable()) PlayHeldCard();
}

// The card stays in the hand until the message is applied, at one tick on
// every machine.
bool CPlayerChance::PlayHeldCard() {
  if (choiceSent_) return false;
  const int32_t target = ValidateTarget();
  if (target < 0) return false;
  choiceSent_ = true;
  if (SentHere()) Post(PlayCardMsg{heldCard_, PlayerIndex{owner_.index}, target});
  return true;
}

void CPlayerChance::DiscardHeldCard() {
  if (!IsHeldCardKeepable() || state_ == kCardNone || choiceSent_) return;
  choiceSent_ = true;
  if (SentHere()) Post(CardChoiceMsg{kCardChoiceDiscard, PlayerIndex{owner_.index}, heldCard_});
}

void CPlayerChance::ClearHeldCard() {
  heldCard_ = 0;
  owner_.heldCard = 0;
  state_ = kCardNone;
  targetValid_ = false;
  choiceSent_ = false;
  redraw_ = true;
}

void CPlayerChance::HourlyTick() {
  if (redraw_) {
    redraw_ = false;
    hours_ = int32_t(random_.Rand() % 9) + 20;
    return;
  }
  const int32_t before = hours_;
  if (hours_ > INT32_MIN) --hours_;
  if (before == 0 && state_ == kCardNone && PlayerTable().ActiveCount() > 1)
    if (const int32_t card = ChanceDeck().DrawCard()) SetHeldCard(card);
}

CPlayerChance::Saved CPlayerChance::Save() const {
  return Saved{hours_, heldCard_, state_, uint8_t(redraw_ ? 1 : 0), random_.GetState()};
}

void CPlayerChance::Restore(const Saved& s) {
  hours_ = s.hours;
  heldCard_ = s.heldCard;
  state_ = s.state;
  redraw_ = s.redraw != 0;
  choiceSent_ = false;
  random_.SetState(s.randomState);
  owner_.heldCard = s.heldCard;
  targetValid_ = false;
  targetBlock_ = targetBuilding_ = -1;
}

void ChanceHourlyTick(CPlayer& player) { player.Chance().HourlyTick(); }

float HostileTakeoverPrice(const CBusiness& business) { return 0.5f * business.GetRating(); }

// ---- Effects -----------------------------------------------------------------------------

namespace {

struct CardPlay {
  CPlayer& player;
  const ChanceCard& card;
  int32_t target;
  bool announce;
  bool localTouched = false;
  float localAmount = 0;
};

template <class F>
void ForEachActive(F f) {
  CPlayerTable& table = PlayerTable();
  for (int32_t i = 0; i < kMaxPlayers; ++i)
    if (CPlayer* p = table.Get(i); p && p->inUse) f(*p);
}

// Money of the card: income booked as card income, payments as card payments.
void Pay(CardPlay& play, CPlayer& to, float amount) {
  to.AddMoney(amount, amount >= 0 ? kLedgerCardIncome : kLedgerCardPayment);
  if (&to != &play.player && to.IsLocal()) {
    play.localTouched = true;
    play.localAmount += amount;
  }
}

// The first active player (in table order) with the least or the most cash.
CPlayer* ExtremeCash(bool richest) {
  CPlayer* best = nullptr;
  ForEachActive([&](CPlayer& p) {
    if (best == nullptr || (richest ? p.money > best->money : p.money < best->money)) best = &p;
  });
  return best;
}

// Businesses counted as a player's: in use, not held closed.
int32_t CountBusinesses(int32_t number) {
  int32_t n = 0;
  for (const CBusiness& b : g_Businesses)
    if (b.InUse && b.Owner == number && b.OpenState != kHeldClosed) ++n;
  return n;
}

template <class F>
void ForEachBusinessOf(int32_t number, F f) {
  for (CBusiness& b : g_Businesses)
    if (b.InUse && b.Owner == number) f(b);
}

int32_t FootprintOfType(int32_t number, int32_t type) {
  int32_t units = 0;
  ForEachBusinessOf(number, [&](CBusiness& b) {
    if (b.Type == type) units += b.GetFootprintUnits();
  });
  return units;
}

int32_t CountBuildingsOfQuality(int32_t number, uint8_t quality) {
  int32_t n = 0;
  for (const CBuilding& b : g_Buildings)
    if (b.InUse && b.Owner == number && b.Quality == quality) ++n;
  return n;
}

float UtilityNeed(const BusinessType& t, int32_t slot) {
  switch (slot) {
    case kUtilityWater: return t.WaterNeed;
    case kUtilityElectricity: return t.ElectricalNeed;
    case kUtilityGas: return t.GasNeed;
    default: return t.TelecomNeed;
  }
}

// Effects 17 to 20: the owner of a utility turns its charges off, or bills
// every other player for each business that uses it.
void UtilityCard(CardPlay& play, int32_t slot) {
  const int32_t number = play.player.index + 1;
  if (g_Blocks[size_t(kUtilitySlotBlocks[slot])].Owner != number) {
    play.announce = false;
    return;
  }
  if (play.card.value == 0) {
    GetUtilityIncome().enabled[slot] = 0;
    return;
  }
  float total = 0;
  ForEachActive([&](CPlayer& other) {
    if (&other == &play.player) return;
    int32_t count = 0;
    ForEachBusinessOf(other.index + 1, [&](CBusiness& b) {
      const BusinessType* t = b.GetTypeRow();
      if (t && b.OpenState != kHeldClosed && UtilityNeed(*t, slot) > 0) ++count;
    });
    const float amount = float(play.card.value) * float(count);
    if (amount == 0) return;
    Pay(play, other, amount);
    total += amount;
  });
  if (total != 0) Pay(play, play.player, -total);
}

// Effects 13 to 16: P pays the owner of a utility.
void PayUtilityOwner(CardPlay& play, int32_t block, float units) {
  const int32_t ownerNumber = g_Blocks[size_t(block)].Owner;
  if (ownerNumber == play.player.index + 1 || units == 0) {
    play.announce = false;
    return;
  }
  const float amount = float(play.card.value) * units;
  Pay(play, play.player, -amount);
  if (CPlayer* owner = PlayerTable().ByNumber(ownerNumber)) Pay(play, *owner, amount);
}

void ForEachBusinessOnBlock(int32_t block, void (*f)(CBusiness&)) {
  const CBlock* b = GetBlock(block);
  for (CBuilding* bld = b ? b->FirstBuilding : nullptr; bld; bld = bld->Next)
    if (CBusiness* business = GetBusinessInUse(bld->GetBusiness())) f(*business);
}

// Sub-effect 8: the player buys the target's business.
void HostileTakeover(CardPlay& play, CBuilding& building, CBusiness& business) {
  const float price = HostileTakeoverPrice(business);
  CPlayer* former = PlayerTable().ByNumber(business.Owner);
  if (former == &play.player) return;
  if (former) former->AddMoney(price, kLedgerBuyoutGained);
  play.player.AddMoney(-price, kLedgerBuyoutPaid);
  const int32_t number = play.player.index + 1;
  business.SetOwner(number);
  building.SetOwner(static_cast<uint8_t>(number));
  PlayerData().MarkBusinessesStale();
  PostGameEvent(SelectionPageEvent{});
  PostGameEvent(BusinessTradedEvent{building.Id});
  if (former && IsAuthority())
    PlayerTable().PostPlayerMessage(former->index, play.player.index, PLAYER_MESS_BOUGHT_OUT,
                                    BoughtOutNote{BuildingId{building.Id}}, kSenderToken);
}

void TargetEffect(CardPlay& play) {
  const int32_t sub = play.card.value;
  const bool onBlock = sub == kCardCentrePublicity || sub == kCardInflatedPrices || sub == kCardBadPublicity ||
                       sub == kCardEarlyLeaseExpiry;
  PostGameEvent(SoundEvent{play.player.IsLocal() ? "weaponfired.wav" : "spell.wav", 100});
  if (onBlock) {
    const int32_t block = play.target;
    if (GetBlock(block) == nullptr) return;
    switch (sub) {
      case kCardCentrePublicity:
        ForEachBusinessOnBlock(block, [](CBusiness& b) { b.StartEvent(1); });
        break;
      case kCardInflatedPrices:
        ForEachBusinessOnBlock(block, [](CBusiness& b) { b.StartEvent(3); });
        break;
      case kCardBadPublicity:
        for (CPerson& person : g_People) person.SetBlockMemory(block, 0);
        break;
      case kCardEarlyLeaseExpiry:
        for (CBuilding* b = g_Blocks[size_t(block)].FirstBuilding; b; b = b->Next) b->Value = -999999.0f;
        break;
    }
    return;
  }
  CBuilding* building = GetBuilding(play.target);
  CBusiness* business = building && building->InUse ? GetBusinessInUse(building->GetBusiness()) : nullptr;
  if (business == nullptr) return;
  const CPlayer* local = PlayerTable().Local();
  const bool localOwns = local && business->Owner == local->index + 1 && local != &play.player;
  switch (sub) {
    case kCardStoreStrike:
      business->SetAvailability(kHeldClosed);
      play.localTouched = localOwns;
      break;
    case kCardStorePublicity:
      business->StartEvent(2);
      break;
    case kCardSpecialRestock:
      business->Restock(true);
      break;
    case kCardStockWriteOff:
      if (localOwns) {
        play.localTouched = true;
        play.localAmount = -business->GetStockValue();
      }
      business->ClearStock();
      break;
    case kCardHostileTakeover:
      HostileTakeover(play, *building, *business);
      break;
  }
}

void CarryOut(CardPlay& play) {
  CPlayer& p = play.player;
  const int32_t number = p.index + 1;
  const float v = float(play.card.value);
  switch (play.card.effect) {
    case 0:
      Pay(play, p, v);
      break;
    case 1:
    case 8: {
      const float sign = play.card.effect == 1 ? 1.0f : -1.0f;
      ForEachActive([&](CPlayer& other) {
        if (&other == &p) return;
        Pay(play, other, -sign * v);
        Pay(play, p, sign * v);
      });
      break;
    }
    case 2:
      if (ExtremeCash(false) == &p) Pay(play, p, v);
      else play.announce = false;
      break;
    case 3: {
      int32_t sold = 0;
      ForEachBusinessOf(number, [&](CBusiness& b) {
        if (b.Type == kTypeApartments) sold += b.GetTodaySales();
      });
      if (sold == 0) play.announce = false;
      else Pay(play, p, v * float(sold));
      break;
    }
    case 4: {
      const int32_t units = FootprintOfType(number, kTypeLandscape);
      if (units == 0) play.announce = false;
      else Pay(play, p, v * float(units));
      break;
    }
    case 5:
      p.cardEffect = 1;
      break;
    case 6:
      TargetEffect(play);
      break;
    case 7:
      Pay(play, p, -v);
      break;
    case 9:
      Pay(play, p, -v * float(CountBusinesses(number)));
      break;
    case 10:
      if (ExtremeCash(true) == &p) {
        CPlayer* poorest = ExtremeCash(false);
        Pay(play, p, -v);
        if (poorest) Pay(play, *poorest, v);
      } else {
        play.announce = false;
      }
      break;
    case 11:
    case 12: {
      const int32_t blocks = play.card.effect == 11 ? CountOwnedRailroadBlocks(p.index) : CountOwnedUtilityBlocks(p.index);
      if (blocks == 0) play.announce = false;
      else Pay(play, p, -v * float(blocks));
      break;
    }
    case 13:
      PayUtilityOwner(play, kUtilitySlotBlocks[kUtilityWater], float(FootprintOfType(number, kTypeLandscape)));
      break;
    case 14:
    case 15:
    case 16:
      PayUtilityOwner(play, kUtilitySlotBlocks[play.card.effect - 13], float(CountBusinesses(number)));
      break;
    case 17:
    case 18:
    case 19:
    case 20:
      UtilityCard(play, play.card.effect - 17);
      break;
    case 21:
    case 22: {
      const int32_t n = CountBuildingsOfQuality(number, play.card.effect == 21 ? 1 : 0);
      if (n == 0) play.announce = false;
      else Pay(play, p, -v * float(n));
      break;
    }
    case 23:
      p.cardEffect = 2;
      break;
    default:
      PlayWarningF("Unhandled chance  card type. This card is not implemented yet.");
      play.announce = false;
      break;
  }
}

}  // namespace

bool CardChoiceAllowed(const CardChoiceMsg& m, int32_t senderNumber) {
  const CPlayer* p = PlayerTable().Get(m.player.value);
  if (p == nullptr || !p->inUse || !IsChanceCard(m.card)) return false;
  return senderNumber == 0 || senderNumber == m.player.value + 1;
}

void ApplyCardChoice(const CardChoiceMsg& m) {
  CPlayer* p = PlayerTable().Get(m.player.value);
  if (p == nullptr || !p->inUse || !IsChanceCard(m.card)) return;
  CPlayerChance& chance = p->Chance();
  if (m.choice == kCardChoiceKeep) chance.ApplyKeep(m.card);
  else if (m.choice == kCardChoiceDiscard) chance.ApplyDiscard(m.card);
  else if (m.choice == kCardChoiceDeal && GetChanceCard(m.card).kind != kCardNeverDealt) chance.ApplyDeal(m.card);
}

bool ChanceCardPlayAllowed(const PlayCardMsg& m, int32_t senderNumber) {
  const CPlayer* p = PlayerTable().Get(m.player.value);
  if (p == nullptr || !p->inUse || !IsChanceCard(m.card)) return false;
  if (senderNumber != 0 && senderNumber != m.player.value + 1) return false;
  const ChanceCard& c = kChanceCards[size_t(m.card)];
  // Only a card the deck has dealt is in someone's hand.
  if (c.kind == kCardNeverDealt || !ChanceDeck().IsDrawn(m.card)) return false;
  if (c.kind != kCardKeepable) return m.target == 0;
  switch (c.value) {
    case kCardCentrePublicity:
    case kCardInflatedPrices:
    case kCardBadPublicity:
    case kCardEarlyLeaseExpiry:
      return m.target >= 0 && m.target < kBlockCount;
    default:
      return m.target >= 0 && m.target < kBuildingPoolSize;
  }
}

void ApplyChanceCardEffect(const PlayCardMsg& m) {
  if (!IsChanceCard(m.card)) return;
  ChanceDeck().ReturnCard(m.card);
  CPlayer* p = PlayerTable().Get(m.player.value);
  if (p == nullptr) return;
  p->Chance().ApplyPlayed(m.card);
  CardPlay play{*p, kChanceCards[size_t(m.card)], m.target, kChanceCards[size_t(m.card)].announce != 0};
  CarryOut(play);
  PostGameEvent(SelectionPageEvent{true});
  if (play.announce && !p->IsLocal())
    PostGameEvent(ChanceCardEvent{kCardAnnounced, p->index, m.card, std::fabs(play.localAmount), play.localTouched});
}

// ---- Save and load -------------------------------------------------------------------------

namespace {

struct ChanceLoad {
  bool restored = false;
  uint8_t chargeSwitches[4] = {1, 1, 1, 1};
};
ChanceLoad& LoadState() {
  static ChanceLoad state;
  return state;
}

}  // namespace

bool ChanceSavedState::HeldCardsValid() const {
  std::array<bool, kChanceCardCount> held{};
  for (const ChanceSavedPlayer& p : players) {
    const int32_t card = p.chance.heldCard;
    if (card == 0) continue;
    if (!p.present || held[size_t(card)] || !deck.drawn[size_t(card)]) return false;
    held[size_t(card)] = true;
  }
  return true;
}

void RegisterChanceSaveHooks() {
  RegisterSaveHook(kSaveChanceCards, [] {
    auto s = std::make_unique<ChanceSavedState>();
    s->deck = ChanceDeck().Save();
    for (int32_t i = 0; i < kMaxPlayers; ++i) {
      if (const CPlayer* p = PlayerTable().Get(i)) {
        s->players[i].present = 1;
        s->players[i].chance = p->Chance().Save();
      }
    }
    for (int32_t i = 0; i < 4; ++i) s->chargeSwitches[i] = GetUtilityIncome().enabled[i];
    WriteRecordChunk(kChunkChanceCards, *s);
  });
  RegisterRecordChunk<ChanceSavedState>(
      kChunkChanceCards, 0,
      [](const ChanceSavedState& s) {
        ChanceDeck().Restore(s.deck);
        for (int32_t i = 0; i < kMaxPlayers; ++i)
          if (CPlayer* p = PlayerTable().Get(i); p && s.players[i].present) p->Chance().Restore(s.players[i].chance);
        std::copy(std::begin(s.chargeSwitches), std::end(s.chargeSwitches), LoadState().chargeSwitches);
        LoadState().restored = true;
      },
      1);
}

void ResetChanceCards() {
  ChanceDeck().Reset();
  LoadState() = ChanceLoad{};
}

void FinishChanceLoad() {
  ChanceLoad& load = LoadState();
  if (load.restored) {
    for (int32_t i = 0; i < 4; ++i) GetUtilityIncome().enabled[i] = load.chargeSwitches[i];
    // The card state decides what the player record shows.
    for (int32_t i = 0; i < kMaxPlayers; ++i)
      if (CPlayer* p = PlayerTable().Get(i)) p->heldCard = p->Chance().HeldCard();
  } else {
    // A save without the card state: each held card is dealt again.
    for (int32_t i = 0; i < kMaxPlayers; ++i)
      if (CPlayer* p = PlayerTable().Get(i); p && p->heldCard != 0) p->Chance().PostChanceMessage(p->heldCard);
  }
  load = ChanceLoad{};
}
