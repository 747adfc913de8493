#pragma once
// Linear congruential random streams. Every user of random numbers owns a
// stream of its own; all streams sit in one program-wide list, in the order in
// which they were constructed, so that SeedRandomStreams can give each a fresh
// state from one master seed. Machines of a network game seed with the same
// value and must construct the same streams in the same order before seeding.
//
// Never make a CRandomStream a namespace-scope static: the order in which
// statics of different files are constructed is unspecified. Give each
// subsystem an accessor with a function-local static and a register function
// that touches its accessors in a fixed order; the program's start calls those
// in subsystem order before it seeds.
#include <cstdint>

class CRandomStream {
 public:
  static constexpr uint32_t kMultiplier = 214013;
  static constexpr uint32_t kIncrement = 2531011;
  static constexpr uint32_t kMaxValue = 32767;

  // Appends the stream at the tail of the list and takes its state from the
  // master generator.
  CRandomStream();
  // Unlinks the stream from the list.
  ~CRandomStream();
  CRandomStream(const CRandomStream&) = delete;
  CRandomStream& operator=(const CRandomStream&) = delete;

  // Advances the state and returns its bits 16 to 30: 0 to 32767.
  uint32_t Rand();
  // A uniform fraction from 0 to 32767/32768.
  float Fraction();
  // 0 to n - 1 (0 when n is 0).
  uint32_t Range(uint32_t n);

  uint32_t GetState() const { return state_; }
  void SetState(uint32_t state) { state_ = state; }
  uint32_t GetMultiplier() const { return multiplier_; }
  uint32_t GetIncrement() const { return increment_; }

  // The program-wide list, in construction order.
  CRandomStream* Next() const { return next_; }
  CRandomStream* Previous() const { return previous_; }

 private:
  struct MasterTag {};
  explicit CRandomStream(MasterTag);
  void Link();
  friend CRandomStream& MasterRandomStream();

  uint32_t state_ = 0;
  uint32_t multiplier_ = kMultiplier;
  uint32_t increment_ = kIncrement;
  CRandomStream* next_ = nullptr;
  CRandomStream* previous_ = nullptr;
};

// One step of the same generator on a bare state, for sequences that are
// restarted from a fixed seed at each use and so need no place in the list
// (the design stack walk, the library's layer repetition).
inline uint32_t DrawLcg(uint32_t& state) {
  state = state * CRandomStream::kMultiplier + CRandomStream::kIncrement;
  return (state >> 16) & CRandomStream::kMaxValue;
}

// Head and tail of the list (null when it is empty).
CRandomStream* FirstRandomStream();
CRandomStream* LastRandomStream();
// The master generator. It is constructed before the first other stream, so
// it heads the list.
CRandomStream& MasterRandomStream();

// Sets the master's state to seed, then gives every stream of the list in turn
// the master's next value (the master itself included: from its place on the
// sequence continues from the value it received).
void SeedRandomStreams(uint32_t seed);
