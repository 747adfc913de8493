#include "ai/ai_cards.h"

#include <algorithm>

#include "ai/ai_development.h"
#include "ai/ai_sites.h"
#include "ai/business_valuation.h"
#include "ai/computer_player.h"
#include "ai/set_scores.h"
#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/city_demand.h"
#include "engine/core/console.h"
#include "engine/core/debug_flags.h"
#include "engine/core/error.h"
#include "session/chance_cards.h"
#include "session/game_clock.h"

namespace {

constexpr float kNoBest = -99999.0f;
constexpr int32_t kRankingSize = 100;
constexpr int32_t kTakeOverRankingSize = 50;
constexpr float kTakeOverFloor = 250.0f;
constexpr float kCardCash = 800.0f;
constexpr int32_t kImpatientHours = 24;
constexpr int32_t kGiveUpHours = 48;

// Blocks a card search may name: not the city centre's district, the
// railroads' or the utilities'.
bool SearchableBlock(int32_t block) {
  const int32_t d = g_BlockDefs[size_t(block)].District;
  return g_Blocks[size_t(block)].InUse && d != 0 && d != 10 && d != 11;
}

// Every block of the block's district is held by one player.
bool InCompletedSet(int32_t block) {
  const int32_t d = g_BlockDefs[size_t(block)].District;
  if (d < 0 || d >= kDistrictCount) return false;
  int32_t owner = -1;
  for (int32_t b : g_Districts[size_t(d)].Blocks) {
    if (b < 0 || b >= kBlockCount) continue;
    const int32_t o = g_Blocks[size_t(b)].Owner;
    if (o == 0 || (owner >= 0 && o != owner)) return false;
    owner = o;
  }
  return owner > 0;
}

template <class F>
void ForEachBusinessOnBlock(int32_t block, F f) {
  for (CBuilding* b = g_Blocks[size_t(block)].FirstBuilding; b; b = b->Next)
    if (CBusiness* business = b->InUse ? GetBusinessInUse(b->GetBusiness()) : nullptr) f(*b, *business);
}

// A business of another player, not the city's.
bool IsRival(const CBusiness& b, int32_t number) { return b.Owner >= 1 && b.Owner != number; }

float StockCostOfFootprint(const CBusiness& b) {
  return b.Kind == kBusinessShop ? GetBusinessStockCost(b.Type, b.GetFootprintUnits()) : 0.0f;
}

// The building of the chosen business of a ranking; the top value in `best`.
int32_t ChosenBuilding(const CardRanking& ranking, CPlayerAI& ai, float& best) {
  const std::vector<CardCandidate> sorted = ranking.Sorted();
  if (sorted.empty()) return -1;
  best = sorted.front().value;
  const int32_t chosen = ChooseCandidate(sorted, ai);
  const CBusiness* b = chosen >= 0 ? GetBusinessInUse(sorted[size_t(chosen)].id) : nullptr;
  return b ? b->Building : -1;
}

}  // namespace

bool CardRanking::Offer(float value, int32_t id, bool needsThreshold, float threshold) {
  if (!(value > best_) || (needsThreshold && !(value > threshold))) return false;
  best_ = value;
  if (int32_t(entries_.size()) < capacity_) {
    entries_.push_back({value, id});
  } else {
    entries_[size_t(next_)] = {value, id};
    next_ = (next_ + 1) % capacity_;
  }
  return true;
}

std::vector<CardCandidate> CardRanking::Sorted() const {
  std::vector<CardCandidate> sorted = entries_;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const CardCandidate& a, const CardCandidate& b) { return a.value > b.value; });
  return sorted;
}

bool CardWindowOpen(int32_t type, int32_t h, bool firstDecade) {
  const auto in = [h](int32_t from, int32_t to) { return h >= from && h <= to; };
  switch (type) {
    case kCardStoreStrike:
    case kCardStockWriteOff:
      return in(6, 9) || in(15, 18);
    case kCardCentrePublicity:
    case kCardEarlyLeaseExpiry:
      return !firstDecade;
    case kCardStorePublicity:
      return in(7, 9) || in(15, 18) || (h == 6 && !firstDecade);
    case kCardSpecialRestock:
      return in(11, 14) || in(19, 21) || (h == 10 && !firstDecade);
    case kCardHostileTakeover:
      return in(7, 9) || (h == 6 && !firstDecade);
    case kCardInflatedPrices:
    case kCardBadPublicity:
      return !firstDecade && in(4, 7);
    default:
      return false;
  }
}

int32_t ChooseCandidate(const std::vector<CardCandidate>& sorted, CPlayerAI& ai) {
  if (sorted.size() >= 3) return int32_t(ai.Draw() % 3);
  if (sorted.size() == 2) return int32_t(ai.Draw() & 1);
  return sorted.empty() ? -1 : 0;
}

int32_t FindRivalBusinessTarget(CPlayerAI& ai, int32_t hour, bool impatient, float threshold, float& best) {
  const int32_t number = ai.index + 1;
  CardRanking ranking(kRankingSize, kNoBest);
  for (int32_t block = 0; block < kBlockCount; ++block) {
    if (!SearchableBlock(block)) continue;
    ForEachBusinessOnBlock(block, [&](const CBuilding&, const CBusiness& b) {
      if (!IsRival(b, number) || IsDayBusiness(b.Type) != (hour <= 9)) return;
      const float value = b.GetLastDayProfit() + StockCostOfFootprint(b);
      ranking.Offer(value, b.Index, !impatient, threshold);
    });
  }
  return ChosenBuilding(ranking, ai, best);
}

int32_t FindOwnBusinessTarget(CPlayerAI& ai, int32_t hour, bool dayOrNight, bool impatient, float threshold,
                              float& best) {
  const int32_t number = ai.index + 1;
  CardRanking ranking(kRankingSize, kNoBest);
  for (int32_t block = 0; block < kBlockCount; ++block) {
    if (!SearchableBlock(block)) continue;
    ForEachBusinessOnBlock(block, [&](const CBuilding&, const CBusiness& b) {
      if (b.Owner != number || (dayOrNight && IsDayBusiness(b.Type) != (hour <= 14))) return;
      ranking.Offer(b.PotentialIncome - b.GetLastDayProfit(), b.Index, !impatient, threshold);
    });
  }
  return ChosenBuilding(ranking, ai, best);
}

int32_t FindShortfallBlock(float& best) {
  int32_t chosen = -1;
  best = kNoBest;
  for (int32_t block = 0; block < kBlockCount; ++block) {
    if (!SearchableBlock(block)) continue;
    bool any = false;
    float sum = 0;
    ForEachBusinessOnBlock(block, [&](const CBuilding&, const CBusiness& b) {
      any = true;
      sum += b.PotentialIncome - b.GetLastDayProfit();
    });
    if (any && (chosen < 0 || sum > best)) chosen = block, best = sum;
  }
  return chosen;
}

int32_t FindRivalProfitBlock(const CPlayerAI& ai, float& best) {
  const int32_t number = ai.index + 1;
  int32_t chosen = -1;
  best = kNoBest;
  for (int32_t block = 0; block < kBlockCount; ++block) {
    if (!SearchableBlock(block)) continue;
    bool hasOwn = false;
    float sum = 0;
    ForEachBusinessOnBlock(block, [&](const CBuilding&, const CBusiness& b) {
      if (b.Owner == number) hasOwn = true;
      else sum += b.GetLastDayProfit();
    });
    // Bad publicity must never fall on a block where it trades itself.
    if (hasOwn) continue;
    if (g_Blocks[size_t(block)].Owner == number && sum > 0) sum *= 0.5f;
    if (sum > best) chosen = block, best = sum;
  }
  return chosen;
}

int32_t FindOwnNoveltyBlock(const CPlayerAI& ai, float& best) {
  const int32_t number = ai.index + 1;
  int32_t chosen = -1;
  best = kNoBest;
  for (int32_t block = 0; block < kBlockCount; ++block) {
    if (!SearchableBlock(block) || g_Blocks[size_t(block)].Owner != number) continue;
    float sum = 0;
    ForEachBusinessOnBlock(block, [&](const CBuilding& building, const CBusiness& b) {
      if (IsRival(b, number)) sum += float(building.GetNoveltyPercent());
    });
    if (chosen < 0 || sum > best) chosen = block, best = sum;
  }
  return chosen;
}

int32_t FindTakeOverTarget(CPlayerAI& ai, float& best) {
  const int32_t number = ai.index + 1;
  CardRanking ranking(kTakeOverRankingSize, 0.0f);
  for (int32_t block = 0; block < kBlockCount; ++block) {
    if (!SearchableBlock(block) || InCompletedSet(block)) continue;
    const bool ownBlock = g_Blocks[size_t(block)].Owner == number;
    ForEachBusinessOnBlock(block, [&](const CBuilding& building, const CBusiness& b) {
      // A business it cannot pay for is no target: the card would put it in
      // debt, and two midnights in debt end its game.
      if (!IsRival(b, number) || !CanSpend(ai, HostileTakeoverPrice(b))) return;
      // What setting the business up cost without its stock, less what it
      // would cost to run.
      float value = building.GetBusinessSetupCost(b.Type) - float(GetUtilityCosts(ai.index, b));
      if (!ownBlock) value -= float(b.GroundRent);
      if (value < kTakeOverFloor) value = 0;
      ranking.Offer(value, b.Index, false, 0);
    });
  }
  std::vector<CardCandidate> sorted = ranking.Sorted();
  if (sorted.empty()) return -1;
  // Only candidates near the best are worth the card.
  const float top = sorted.front().value;
  std::erase_if(sorted, [top](const CardCandidate& c) { return c.value < 0.8f * top; });
  best = top;
  const int32_t chosen = ChooseCandidate(sorted, ai);
  const CBusiness* b = chosen >= 0 ? GetBusinessInUse(sorted[size_t(chosen)].id) : nullptr;
  return b ? b->Building : -1;
}

namespace {

enum CardDecision { kCardWait, kCardFire, kCardGiveUp };

CardDecision DecideKeptCard(CPlayerAI& ai) {
  CPlayerChance& chance = ai.Chance();
  const int32_t type = chance.GetHeldCardValue();
  const int32_t hour = GameClock().hour;
  const bool impatient = ai.cardImpatient;
  if (!CardWindowOpen(type, hour, IsFirstDecade())) return kCardWait;
  const bool tooLong = ai.cardHoursHeld > kGiveUpHours;
  float best = kNoBest;
  switch (type) {
    case kCardStoreStrike:
    case kCardStockWriteOff:
    case kCardStorePublicity:
    case kCardSpecialRestock: {
      const bool rival = type == kCardStoreStrike || type == kCardStockWriteOff;
      const float threshold = rival ? 300.0f : 200.0f;
      const int32_t building =
          rival ? FindRivalBusinessTarget(ai, hour, impatient, threshold, best)
                : FindOwnBusinessTarget(ai, hour, type == kCardSpecialRestock, impatient, threshold, best);
      if (building >= 0 && (impatient || best > threshold)) {
        chance.SetTarget(-1, building);
        return kCardFire;
      }
      return building < 0 || tooLong ? kCardGiveUp : kCardWait;
    }
    case kCardCentrePublicity: {
      const int32_t block = FindShortfallBlock(best);
      if (block >= 0 && (impatient || best > 500.0f)) {
        chance.SetTarget(block, -1);
        return kCardFire;
      }
      return block < 0 || tooLong ? kCardGiveUp : kCardWait;
    }
    case kCardInflatedPrices:
    case kCardBadPublicity: {
      const int32_t block = FindRivalProfitBlock(ai, best);
      if (block >= 0 && best > 500.0f) {
        chance.SetTarget(block, -1);
        return kCardFire;
      }
      return best < 0 ? kCardGiveUp : kCardWait;
    }
    case kCardEarlyLeaseExpiry: {
      const int32_t block = FindOwnNoveltyBlock(ai, best);
      if (block >= 0 && best > 0) {
        chance.SetTarget(block, -1);
        return kCardFire;
      }
      return block < 0 ? kCardGiveUp : kCardWait;
    }
    case kCardHostileTakeover: {
      // A business taken over is one more it runs.
      if (AtBusinessLimit(ai)) return kCardGiveUp;
      const int32_t building = FindTakeOverTarget(ai, best);
      if (building < 0) return kCardGiveUp;
      chance.SetTarget(-1, building);
      return kCardFire;
    }
    default:
      return kCardGiveUp;
  }
}

// The character's own switch raises a warning; the program's AIDEBUG flag
// writes the same line to the console without holding up play.
void ReportCard(CPlayerAI& ai, const char* what, int32_t type) {
  const std::string card(CardName(type));
  if (ai.debugFlags[kDebugShowSpellCards])
    ReportErrorF(1, "%s - %s %s card", ai.name, what, card.c_str());
  else if (g_DebugFlags.AIDEBUG)
    ConsolePrintF(kConsoleReply, "%s - %s %s card", ai.name, what, card.c_str());
}

}  // namespace

void AiCardHourlyTick(CPlayerAI& ai) {
  CPlayerChance& chance = ai.Chance();
  if (ai.cardHoursHeld > 0 && ++ai.cardHoursHeld > kImpatientHours) ai.cardImpatient = true;
  if (chance.CardState() == kCardDealt) {
    // Deep in debt it leaves a new card alone until its cash recovers.
    if (IsInDebtWarning(ai.index) && ai.money < kCardCash) return;
    ++ai.cardHoursHeld;
    if (chance.IsHeldCardKeepable()) {
      chance.KeepHeldCard();
    } else {
      if (chance.PlayHeldCard()) ++ai.tally.cardsPlayed;
      ai.cardHoursHeld = 0;
      ai.cardImpatient = false;
      return;
    }
  }
  // A keepable card is weighed in the hour it is kept: the keep, a play or a
  // discard are messages applied in that order on every machine.
  if (chance.CardState() == kCardNone || !chance.IsHeldCardKeepable()) return;
  const int32_t type = chance.GetHeldCardValue();
  const CardDecision decision = DecideKeptCard(ai);
  if (decision == kCardWait) return;
  if (decision == kCardFire && chance.TargetValid()) {
    ReportCard(ai, "Firing", type);
    if (chance.PlayHeldCard()) ++ai.tally.cardsPlayed;
  } else if (decision == kCardGiveUp) {
    ReportCard(ai, "Discarding", type);
    chance.DiscardHeldCard();
    ++ai.tally.cardsDiscarded;
  } else {
    return;  // the target did not hold: it tries again next hour
  }
  ai.cardHoursHeld = 0;
  ai.cardImpatient = false;
}
