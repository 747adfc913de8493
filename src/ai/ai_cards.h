#pragma once
// A computer player's chance cards: once a game hour it plays a card it has
// just been dealt, keeps one that can be kept, and decides whether to play
// a kept card now, on which target, or to throw it away. Each card type has
// its hours of the day and a ranking of candidate targets in the city.
#include <cstdint>
#include <vector>

class CPlayerAI;

// One candidate of a ranking: a business (or block) and its value.
struct CardCandidate {
  float value = 0;
  int32_t id = -1;
};

// A ranking as it is recorded: an entry only when it beats the best so far;
// past `capacity` the oldest places are overwritten in turn.
class CardRanking {
 public:
  CardRanking(int32_t capacity, float floor) : capacity_(capacity), best_(floor) {}
  // True when recorded.
  bool Offer(float value, int32_t id, bool needsThreshold, float threshold);
  // Sorted highest first.
  std::vector<CardCandidate> Sorted() const;
  bool Empty() const { return entries_.empty(); }

 private:
  int32_t capacity_;
  float best_;
  int32_t next_ = 0;
  std::vector<CardCandidate> entries_;
};

// Whether a card type may be considered at the hour.
bool CardWindowOpen(int32_t type, int32_t hour, bool firstDecade);
// One of the first three of a sorted ranking (two: one of the two; one:
// that one), drawn from the player's stream; -1 when empty.
int32_t ChooseCandidate(const std::vector<CardCandidate>& sorted, CPlayerAI& ai);

// The target searches. Each returns the chosen business's building (or the
// block) and the top value in `best`; -1 when there is no candidate.
int32_t FindRivalBusinessTarget(CPlayerAI& ai, int32_t hour, bool impatient, float threshold, float& best);
int32_t FindOwnBusinessTarget(CPlayerAI& ai, int32_t hour, bool dayOrNight, bool impatient, float threshold,
                              float& best);
int32_t FindShortfallBlock(float& best);
int32_t FindRivalProfitBlock(const CPlayerAI& ai, float& best);
int32_t FindOwnNoveltyBlock(const CPlayerAI& ai, float& best);
int32_t FindTakeOverTarget(CPlayerAI& ai, float& best);

// The hourly hook's card step.
void AiCardHourlyTick(CPlayerAI& ai);
