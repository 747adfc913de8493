#include "engine/core/record_visitor.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {

struct SlotTag {
  static constexpr int32_t kNone = -1, kMin = 0, kMax = 5;
  static constexpr const char* kWhat = "slot";
};
using Slot = StrongId<SlotTag>;

// A record with every kind of field the idiom offers.
struct Sample {
  Slot slot;
  int32_t count = 0;
  uint8_t flag = 0;
  int16_t small = 0;
  float amount = 0;
  char name[8] = {};
  int32_t low = 0, high = 0;
  template <class V>
  void Visit(V& v) {
    v.I8(slot);
    v.I32(count, {0, 100, "count"});
    v.U8(flag, {0, 1, "flag"});
    v.Pad(1);
    v.I16(small);
    v.F32(amount, kFinite);
    v.Text(name);
    v.Field(low);
    v.Field(high);
    v.Require(low <= high, "order");
  }
};

struct Row {
  int32_t id = 0;
  template <class V>
  void Visit(V& v) {
    v.Field(id);
    v.Require(id == static_cast<int32_t>(v.Row()), "row id");
  }
};

TEST(RecordVisitor, EncodesLittleEndianAndDecodesBackWithEveryRule) {
  Sample s{Slot{3}, 70, 1, -2, 2.5f, "abc", 4, 9};
  const std::vector<uint8_t> bytes = EncodeRecord(s);
  ASSERT_EQ(bytes.size(), 1u + 4 + 1 + 1 + 2 + 4 + 8 + 4 + 4);
  EXPECT_EQ(bytes[0], 3);
  EXPECT_EQ(LoadLeI32(&bytes[1]), 70);
  EXPECT_EQ(bytes[6], 0);  // padding is written as zero
  EXPECT_EQ(LoadLeI16(&bytes[7]), -2);
  Sample back;
  ASSERT_TRUE(DecodeRecord(bytes, back));
  EXPECT_EQ(back.slot, Slot{3});
  EXPECT_EQ(back.small, -2);
  EXPECT_FLOAT_EQ(back.amount, 2.5f);
  EXPECT_STREQ(back.name, "abc");

  struct Case {
    size_t at;
    std::vector<uint8_t> value;
    const char* why;
  } cases[] = {
      {0, {6}, "slot"},                // the id's own range
      {1, {101, 0, 0, 0}, "count"},    // a rule given at the field
      {5, {2}, "flag"},
      {9, {0, 0, 0xC0, 0x7F}, "number"},  // NaN
      {13, {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'}, "name"},
      {21, {10, 0, 0, 0}, "order"},    // a rule across fields
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bad = bytes;
    std::copy(c.value.begin(), c.value.end(), bad.begin() + c.at);
    const char* why = "";
    EXPECT_FALSE(DecodeRecord(bad, back, &why)) << c.why;
    EXPECT_STREQ(why, c.why);
  }
  const char* why = "";
  EXPECT_FALSE(DecodeRecord(std::span(bytes).first(bytes.size() - 1), back, &why));
  EXPECT_STREQ(why, "short record");
  std::vector<uint8_t> longer = bytes;
  longer.push_back(0);
  EXPECT_FALSE(DecodeRecord(longer, back, &why));
  EXPECT_STREQ(why, "length");
}

TEST(RecordVisitor, TablesVisitTheirRowsKnowingEachIndex) {
  std::array<Row, 4> table{Row{0}, Row{1}, Row{2}, Row{3}};
  std::vector<uint8_t> bytes = EncodeRecord(table);
  ASSERT_EQ(bytes.size(), 16u);
  std::array<Row, 4> back{};
  EXPECT_TRUE(DecodeRecord(bytes, back));
  EXPECT_EQ(back[3].id, 3);
  StoreLeI32(&bytes[8], 7);
  EXPECT_FALSE(DecodeRecord(bytes, back));
}

}  // namespace
