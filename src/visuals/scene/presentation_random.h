#pragma once
// The own generator of a show on screen (the credits' shuffle, the
// fireworks): the random streams' formula on a state of its own, kept out of
// the program's seeded list, so what the presentation draws never moves the
// seeds of the simulation's streams. Its state carries over from use to use.
#include <cstdint>

#include "engine/core/random_stream.h"

class PresentationRandom {
 public:
  explicit PresentationRandom(uint32_t seed) : state_(seed) {}
  // 0 to 32767, as CRandomStream::Rand.
  uint32_t Rand() { return DrawLcg(state_); }
  uint32_t GetState() const { return state_; }
  void SetState(uint32_t state) { state_ = state; }

 private:
  uint32_t state_;
};
