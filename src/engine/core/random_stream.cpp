#include "engine/core/random_stream.h"

namespace {

// Constant-initialised, so they are valid before any static constructor runs.
CRandomStream* g_head = nullptr;
CRandomStream* g_tail = nullptr;

}  // namespace

CRandomStream& MasterRandomStream() {
  static CRandomStream master{CRandomStream::MasterTag{}};
  return master;
}

CRandomStream* FirstRandomStream() { return g_head; }
CRandomStream* LastRandomStream() { return g_tail; }

void CRandomStream::Link() {
  previous_ = g_tail;
  next_ = nullptr;
  if (g_tail) {
    g_tail->next_ = this;
  } else {
    g_head = this;
  }
  g_tail = this;
}

CRandomStream::CRandomStream(MasterTag) {
  Link();
  state_ = Rand();
}

CRandomStream::CRandomStream() {
  // The master first, so that it takes its place in the list ahead of us.
  CRandomStream& master = MasterRandomStream();
  Link();
  state_ = master.Rand();
}

CRandomStream::~CRandomStream() {
  if (previous_) {
    previous_->next_ = next_;
  } else if (g_head == this) {
    g_head = next_;
  }
  if (next_) {
    next_->previous_ = previous_;
  } else if (g_tail == this) {
    g_tail = previous_;
  }
  next_ = previous_ = nullptr;
}

uint32_t CRandomStream::Rand() {
  state_ = state_ * multiplier_ + increment_;
  return (state_ >> 16) & kMaxValue;
}

float CRandomStream::Fraction() {
  return static_cast<float>(Rand() % 32769u) * (1.0f / 32768.0f);
}

uint32_t CRandomStream::Range(uint32_t n) {
  const uint32_t value = Rand();
  return n ? value % n : 0;
}

void SeedRandomStreams(uint32_t seed) {
  CRandomStream& master = MasterRandomStream();
  master.SetState(seed);
  for (CRandomStream* stream = FirstRandomStream(); stream; stream = stream->Next()) {
    stream->SetState(master.Rand());
  }
}
