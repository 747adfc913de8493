#include "engine/core/random_stream.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

std::vector<CRandomStream*> ListForward() {
  std::vector<CRandomStream*> list;
  for (CRandomStream* s = FirstRandomStream(); s; s = s->Next()) list.push_back(s);
  return list;
}

std::vector<CRandomStream*> ListBackward() {
  std::vector<CRandomStream*> list;
  for (CRandomStream* s = LastRandomStream(); s; s = s->Previous()) list.insert(list.begin(), s);
  return list;
}

// What seeding must give each listed stream: the master's sequence in list
// order, restarting from the value the master itself receives.
std::vector<uint32_t> ExpectedSeedStates(uint32_t seed) {
  std::vector<uint32_t> states;
  uint32_t master = seed;
  size_t masterIndex = 0;
  for (CRandomStream* s = FirstRandomStream(); s; s = s->Next()) {
    master = master * 214013u + 2531011u;
    const uint32_t value = (master >> 16) & 0x7FFF;
    if (s == &MasterRandomStream()) {
      masterIndex = states.size();
      master = value;
    }
    states.push_back(value);
  }
  states.at(masterIndex) = master;  // the master goes on drawing for the rest
  return states;
}

std::vector<uint32_t> States() {
  std::vector<uint32_t> states;
  for (CRandomStream* s = FirstRandomStream(); s; s = s->Next()) states.push_back(s->GetState());
  return states;
}

TEST(RandomStream, FirstDrawFromStateZeroIs38) {
  CRandomStream stream;
  EXPECT_EQ(stream.GetMultiplier(), 214013u);
  EXPECT_EQ(stream.GetIncrement(), 2531011u);
  stream.SetState(0);
  EXPECT_EQ(stream.Rand(), 38u);
  EXPECT_EQ(stream.GetState(), 2531011u);
}

TEST(RandomStream, DerivedRanges) {
  CRandomStream stream;
  for (int i = 0; i < 2000; ++i) {
    const float f = stream.Fraction();
    EXPECT_GE(f, 0.0f);
    EXPECT_LE(f, 32767.0f / 32768.0f);
    EXPECT_LT(stream.Range(7), 7u);
  }
  stream.SetState(0);
  EXPECT_EQ(stream.Fraction(), 38.0f / 32768.0f);
  stream.SetState(0);
  EXPECT_EQ(stream.Range(10), 8u);
  const uint32_t before = stream.GetState();
  EXPECT_EQ(stream.Range(0), 0u);
  EXPECT_NE(stream.GetState(), before);  // an empty range still draws
}

TEST(RandomStream, StreamsJoinTheListInConstructionOrderAfterTheMaster) {
  CRandomStream a;
  CRandomStream b;
  const auto list = ListForward();
  ASSERT_GE(list.size(), 3u);
  EXPECT_EQ(list.front(), &MasterRandomStream());
  EXPECT_EQ(list[list.size() - 2], &a);
  EXPECT_EQ(list.back(), &b);
  EXPECT_EQ(ListBackward(), list);
}

TEST(RandomStream, SeedingGivesEveryStreamItsPlaceInTheMasterSequence) {
  CRandomStream a;
  CRandomStream b;
  CRandomStream c;
  for (uint32_t seed : {0u, 1u, 12345u, 0xFFFFFFFFu}) {
    const auto expected = ExpectedSeedStates(seed);
    SeedRandomStreams(seed);
    EXPECT_EQ(States(), expected) << seed;
    const auto first = States();
    SeedRandomStreams(seed);
    EXPECT_EQ(States(), first) << seed;
  }
  // The master heads the list, so it takes the first value and the rest
  // continue from it.
  SeedRandomStreams(0);
  EXPECT_EQ(FirstRandomStream(), &MasterRandomStream());
  CRandomStream* next = MasterRandomStream().Next();
  uint32_t state = 38;
  state = state * 214013u + 2531011u;
  EXPECT_EQ(next->GetState(), (state >> 16) & 0x7FFF);
}

TEST(RandomStream, StreamsMadeAfterSeedingRepeatForTheSameSeed) {
  SeedRandomStreams(99);
  auto first = std::make_unique<CRandomStream>();
  auto second = std::make_unique<CRandomStream>();
  const uint32_t s1 = first->GetState();
  const uint32_t s2 = second->GetState();
  EXPECT_NE(s1, s2);
  second.reset();
  first.reset();
  SeedRandomStreams(99);
  CRandomStream again1;
  CRandomStream again2;
  EXPECT_EQ(again1.GetState(), s1);
  EXPECT_EQ(again2.GetState(), s2);
}

TEST(RandomStream, DestroyedStreamsLeaveTheListWhole) {
  MasterRandomStream();  // the master joins the list with the first stream
  const auto before = ListForward();
  auto a = std::make_unique<CRandomStream>();
  auto b = std::make_unique<CRandomStream>();
  auto c = std::make_unique<CRandomStream>();
  b.reset();  // middle
  EXPECT_EQ(a->Next(), c.get());
  EXPECT_EQ(c->Previous(), a.get());
  c.reset();  // tail
  EXPECT_EQ(LastRandomStream(), a.get());
  EXPECT_EQ(a->Next(), nullptr);
  a.reset();  // the list is as it was
  EXPECT_EQ(ListForward(), before);
  EXPECT_EQ(ListBackward(), before);
}

}  // namespace
