#include "ai/set_scores.h"

#include <algorithm>

#include "ai/ai_player_state.h"
#include "ai/business_valuation.h"
#include "ai/district_queries.h"
#include "ai/ai_scores.h"
#include "ai/scoring_terms.h"
#include "city/blocks.h"
#include "engine/core/random_stream.h"
#include "session/ai_characters.h"
#include "session/game_clock.h"
#include "session/player.h"

namespace {

int32_t S(int32_t type, int32_t n) { return GetRentopiaScoreFor(type, n); }

struct SetContext {
  int32_t block;
  int32_t n;
  int32_t others;
  int32_t leader;
  int32_t lead;
  bool unsafe;
};

// The contest against the leading owner outside an auction.
int32_t ContestRule(const SetContext& c, AiPlayerState& s) {
  const CPlayer* leader = PlayerTable().Get(c.leader);
  // The debt warning stands while a player's money is below 0.
  bool leaderWarned = leader != nullptr && leader->money < 0.0f;
  int32_t a = static_cast<int32_t>(leader ? leader->money : 0.0f);
  int32_t wa = static_cast<int32_t>(GetAccountsTotal(0, c.leader));
  int32_t b = static_cast<int32_t>(s.Money());
  int32_t wb = static_cast<int32_t>(GetAccountsTotal(0, s.Player));
  int32_t reserve = CharacterOffset(s.Character);
  int32_t k = reserve / 2;
  if (s.Warned24h)
    k = static_cast<int32_t>(g_Blocks[c.block].GetLeasePrice()) + k + PanicWeight(s.Character);
  bool stronger = wa + k + a >= b + wb;
  if (stronger && (s.Warned24h || !leaderWarned || reserve + 1000 >= b || a + wa >= wb + b - reserve - 1000))
    return S(8, c.n);
  s.ScoreNote = 2;
  return S(2, c.n);
}

int32_t AgainstLeader(const SetContext& c, bool auction, AiPlayerState& s) {
  if (!auction) return ContestRule(c, s);
  s.ScoreNote = 2;
  s.Rival = c.leader;
  return S(2, c.n);
}

int32_t TwoBlockScore(const SetContext& c, bool auction, AiPlayerState& s) {
  if (c.leader == s.Player) {
    if (c.unsafe) return S(9, 2);
    s.ScoreNote = 0;
    return S(1, 2);
  }
  if (c.leader < 0) return c.others == 1 ? S(4, 2) : 0;
  return AgainstLeader(c, auction, s);
}

int32_t ThreeBlockScore(const SetContext& c, bool auction, AiPlayerState& s) {
  if (c.leader == s.Player) {
    if (c.lead == 1 && c.others == 1) return S(3, 3);
    if (c.lead != 2) return 0;
    if (c.unsafe) return S(9, 3);
    s.ScoreNote = 0;
    return S(1, 3);
  }
  if (c.leader < 0) return c.others == 2 ? S(4, 3) : 0;
  if (c.lead == 2) return AgainstLeader(c, auction, s);
  if (c.lead == 1 && c.others == 1) return S(5, 3);
  return 0;
}

int32_t FourBlockScore(const SetContext& c, bool auction, AiPlayerState& s) {
  if (c.leader == s.Player) {
    if (c.lead > 1) return c.unsafe ? ScoreFourOpponent(c.lead) : ScoreFourOwned(s, c.lead);
    return c.lead == 1 ? S(4, 4) : 0;
  }
  if (c.leader >= 0) return AgainstLeader(c, auction, s);
  int32_t mine = GetNumBlocksOwnedInDistrictForPlayer(c.block, s.Player);
  return (c.others == 3 || mine > 0) ? S(7, 4) : 0;
}

}  // namespace

int32_t GetSetScore(bool auction, int32_t block, AiPlayerState& s) {
  if (block < 0 || block >= kBlockCount) return 0;
  SetContext c{block, GetBlockDistrictBlockCount(block), CountOwnedOtherBlocksInDistrict(block), -1, 0, false};
  if (c.n < 2 || c.n > 4) return 0;
  c.leader = GetLeadingOwnerInDistrict(block, c.lead);
  float cash = s.Money();
  int32_t reserve = CharacterOffset(s.Character);
  int32_t margin = CashReserve(s.Character);
  int32_t rich = 0;
  GetRichestOtherPlayer(s.Player, rich);
  float richCash = static_cast<float>(rich);
  c.unsafe = !auction && (richCash >= cash + static_cast<float>(margin) ||
                          (s.Warned24h && (static_cast<float>(reserve + 2000) >= cash ||
                                           richCash + static_cast<float>(reserve + 1000) >= cash)));
  switch (c.n) {
    case 2: return TwoBlockScore(c, auction, s);
    case 3: return ThreeBlockScore(c, auction, s);
    default: return FourBlockScore(c, auction, s);
  }
}

float GetScore(AiPlayerState& s, int32_t type, int32_t auctionBlock, int32_t& whole) {
  whole = 0;
  s.ScoreNote = -1;
  bool auction = type == kScoreAuctionBlock;
  int32_t block = -1;
  if (type == kScoreChosenBlock || type == kScoreChosenBlockAgain) block = s.ChosenBlock;
  if (auction) block = auctionBlock;
  if (block < 0 || block >= kBlockCount) return 0.0f;
  // How much the player wants the block, in per cent: the district term and
  // the script's set score on top, then the terms that weigh the block itself
  // and the player's means.
  float c = static_cast<float>(GetSetScore(auction, block, s));
  float x = c + static_cast<float>(GetDistrictRentopiaScore(s.Player, block));
  float worth = GetBlockWorth(block, s);
  x = ApplyAffordability(s, x, worth);
  x = AddBusinessTerm(block, s, x);
  x = AddProfitTerm(s, block, x);
  x = AddDevelopmentTerm(auction, s, block, x);
  int32_t ceiling = GetBidCeiling(block, s);
  int32_t value = GetBidValue(block, s);
  x = AddPrestigeTerm(block, s, x);
  int32_t wish = static_cast<int32_t>(x);
  x = static_cast<float>(AdjustForCash(block, s, wish, wish));
  x = AddLandRentTerm(block, s, x, worth);
  float want = AddResidentTerm(block, s, x);
  // However badly it wants a set, a player never values a block at more
  // than the script's cap allows.
  int32_t cap = GetAiScores().MaxScoreCap;
  if (cap > 0) want = std::min(want, static_cast<float>(cap));
  // What the block is worth in money to this player: its value, held to
  // what the player can raise unless it wants the set. A player with nothing
  // to raise puts nothing on it, however much it wants it.
  float money = static_cast<float>(std::max(GetValueCap(s, value, ceiling), 0));
  float score = want * money * 0.01f + want * 0.01f;
  // A speculator puts more on any block than a cautious character does.
  if (const AiCharacter* c = GetAiCharacter(s.Character))
    score = score * static_cast<float>(c->BlockValuePercent()) * 0.01f;
  whole = static_cast<int32_t>(score);
  return score;
}

bool IsFirstDecade() { return GameClock().decade == 0; }

int32_t WeighStrategies(AiPlayerState& s) {
  if (s.OneOffAttempts >= 2) return kWeighExpand;
  int32_t oneOff = 0, expand = 0;
  // On the game's first day it builds rather than buys.
  if (GameClock().dayCounter == 0) {
    oneOff = -50;
    expand = 30;
  }
  WeighNearlyCompleteDistricts(s, oneOff);
  WeighRailUtilityRows(s, oneOff);
  WeighCash(s, oneOff, expand);
  WeighFreeLots(s, expand);
  WeighOwnedSets(s, expand);
  WeighIdleMoney(s, oneOff);
  WeighBusierRivals(s, expand);
  if (GetAiGameFacts().GameType == 6) expand += 100;
  if (const AiCharacter* c = GetAiCharacter(s.Character)) {
    oneOff += c->PurchaseBias();
    expand += c->BuildBias();
  }
  if (oneOff >= 0 && expand >= 0) {
    uint32_t r = s.Random ? s.Random->Rand() : 0;
    return static_cast<uint32_t>(oneOff) < r % static_cast<uint32_t>(oneOff + expand + 1) ? kWeighExpand
                                                                                         : kWeighOneOff;
  }
  if (oneOff > 0 && expand < 0) return kWeighOneOff;
  if (oneOff < 0 && expand > 0) return kWeighExpand;
  return kWeighNeither;
}
