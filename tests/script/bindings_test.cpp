// Bound globals and tables: conversions into the program's fields, the
// warnings for members that are not bound, and the method convention.
#include <cmath>
#include <cstring>
#include <string>

#include "city/blocks.h"
#include "city/business_types.h"
#include "engine/core/random_stream.h"
#include "script/profiles.h"
#include "script/script_bindings.h"
#include "script_fixture.h"
#include "session/session_state.h"

namespace {

using BindingTest = ScriptTest;

TEST_F(BindingTest, IntMembersTruncateTowardZero) {
  EXPECT_EQ(Eval("Tweaks.blockleaselength"), 0);  // cleared by the new state
  ASSERT_TRUE(RunScript("Tweaks.blockleaselength = 48.9"));
  EXPECT_EQ(Tweaks().blockLeaseLength, 48);
  EXPECT_EQ(Eval("Tweaks.blockleaselength"), 48);
  ASSERT_TRUE(RunScript("Tweaks.blockleaselength = -2.7"));
  EXPECT_EQ(Tweaks().blockLeaseLength, -2);
  ASSERT_TRUE(RunScript("Tweaks.blockleaselength = 1e30"));  // held in range, never undefined
  EXPECT_EQ(Tweaks().blockLeaseLength, INT32_MAX);
  ASSERT_TRUE(RunScript("Tweaks.blockleaselength = '12'"));
  EXPECT_EQ(Tweaks().blockLeaseLength, 12);
  // Years per day stay within a decade, so the midnight year sum cannot overflow.
  const std::pair<const char*, int32_t> years[] = {
      {"2147483647", 10}, {"-2147483648", 0}, {"3", 3}, {"1e30", 10}, {"-7", 0}};
  for (const auto& [value, held] : years) {
    ASSERT_TRUE(RunScript(std::string("Tweaks.numyearsin24hours = ") + value));
    EXPECT_EQ(Tweaks().yearsPerDay, held) << value;
    EXPECT_EQ(Eval("Tweaks.numyearsin24hours"), held) << value;
  }
  // The program's own changes are what scripts read.
  Tweaks().blockLeaseLength = 5;
  EXPECT_EQ(Eval("Tweaks.blockleaselength"), 5);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(BindingTest, ByteBoolAndFloatConversions) {
  struct Case {
    const char* assignment;
    int owner;
  } cases[] = {{"Block[3].owner = 300", 44}, {"Block[3].owner = 2.9", 2}, {"Block[3].owner = -1", 255}};
  for (const Case& c : cases) {
    ASSERT_TRUE(RunScript(c.assignment));
    EXPECT_EQ(g_Blocks[3].Owner, c.owner) << c.assignment;
  }
  struct Flag {
    const char* value;
    uint8_t stored;
  } flags[] = {{"0.5", 1}, {"0", 0}, {"TRUE", 1}, {"FALSE", 0}, {"true", 1}, {"false", 0}, {"-3", 1}};
  for (const Flag& f : flags) {
    ASSERT_TRUE(RunScript(std::string("Block[5].ownable = ") + f.value));
    EXPECT_EQ(g_Blocks[5].Ownable, f.stored) << f.value;
  }
  g_Blocks[5].Ownable = 7;
  EXPECT_EQ(Eval("Block[5].ownable"), 1);
  ASSERT_TRUE(RunScript("Tweaks.railutilincomeEASY = 1.25 Tweaks.dailyfreightHARD = 3"));
  EXPECT_FLOAT_EQ(Tweaks().railUtilIncome[2], 1.25f);
  EXPECT_FLOAT_EQ(Tweaks().dailyFreight[0], 3.0f);
  EXPECT_DOUBLE_EQ(Eval("Tweaks.railutilincomeEASY"), 1.25);
  ASSERT_TRUE(RunScript("Tweaks.dailyfreightHARD = 1e300"));
  EXPECT_TRUE(std::isfinite(Tweaks().dailyFreight[0]));
}

TEST_F(BindingTest, MembersThatAreNotBoundWarnAndChangeNothing) {
  ASSERT_TRUE(RunScript("Tweaks.nosuchthing = 3"));
  EXPECT_EQ(CountBoxes("Invalid member : nosuchthing"), 1);
  boxes_.clear();
  EXPECT_EQ(Eval("Tweaks.nosuchthing"), -999);
  EXPECT_EQ(CountBoxes("Invalid member"), 1);
  // Methods cannot be replaced and objects cannot be swapped.
  boxes_.clear();
  ASSERT_TRUE(RunScript("BusinessInfo[1].AddCommodity = nil Block[2] = 5"));
  EXPECT_EQ(CountBoxes("Invalid member : AddCommodity"), 1);
  EXPECT_EQ(CountBoxes("Invalid member : 2"), 1);
  // A plain number member reads with a warning.
  boxes_.clear();
  EXPECT_EQ(Eval("BusinessInfo[7].type"), 7);
  EXPECT_EQ(CountBoxes("Invalid member"), 1);
}

TEST_F(BindingTest, MethodsCalledWithDotWarnAndDoNothing) {
  InitBlockDefs();
  const float before = g_BlockDefs[4].Distribution[1];
  ASSERT_TRUE(RunScript("Block[4].Distribution(1, 0.75)"));
  EXPECT_EQ(CountBoxes("Calling GetThis by using . instead of :"), 1);
  EXPECT_EQ(g_BlockDefs[4].Distribution[1], before);
  ASSERT_TRUE(RunScript("Block[4]:Distribution(1, 0.75)"));
  EXPECT_FLOAT_EQ(g_BlockDefs[4].Distribution[1], 0.75f);
  // An object of another class is not taken for a block.
  boxes_.clear();
  ASSERT_TRUE(RunScript("Block[4].Distribution(Commodity[1], 1, 0.5)"));
  EXPECT_EQ(boxes_.size(), 1u);
  EXPECT_FLOAT_EQ(g_BlockDefs[4].Distribution[1], 0.75f);
}

TEST_F(BindingTest, BoundGlobalsAndStringsAreCutToTheirField) {
  CPlayerProfile& profile = PlayerProfile();
  std::memset(profile.name, 0, sizeof profile.name);
  ASSERT_TRUE(RunScript("ProfileName = 'Ada'"));
  EXPECT_STREQ(profile.name, "Ada");
  EXPECT_EQ(EvalText("ProfileName"), "Ada");
  ASSERT_TRUE(RunScript("ProfileName = 42"));
  EXPECT_STREQ(profile.name, "42");
  ASSERT_TRUE(RunScript("ProfileName = {}"));  // not text: nothing written
  EXPECT_STREQ(profile.name, "42");
  ASSERT_TRUE(RunScript("local s = 'x' for i = 1, 9 do s = s .. s end g_ProfileOptions.PlayerName = s"));
  EXPECT_EQ(std::strlen(profile.PlayerName), sizeof profile.PlayerName - 1);
  EXPECT_EQ(EvalText("g_ProfileOptions.PlayerName").size(), sizeof profile.PlayerName - 1);
  // Ordinary globals still work beside bound ones.
  ASSERT_TRUE(RunScript("plain = 3 plain = plain + 1"));
  EXPECT_EQ(Eval("plain"), 4);
  std::memset(profile.name, 0, sizeof profile.name);
}

TEST_F(BindingTest, TweaksAreClearedByEachNewState) {
  ASSERT_TRUE(RunScript("Tweaks.blockleaselength = 48 Tweaks.daysoff = 1 Tweaks.citybusinessesownable = TRUE"));
  EXPECT_EQ(RuleFlags().daysOff, 1);
  EXPECT_EQ(RuleFlags().cityBusinessesOwnable, 1);
  ASSERT_TRUE(Script().Create());
  EXPECT_EQ(Tweaks().blockLeaseLength, 0);
  EXPECT_EQ(RuleFlags().daysOff, 0);
  EXPECT_EQ(Eval("Tweaks.daysoff"), 0);
}

TEST_F(BindingTest, RandomZeroToStaysInRangeAndRefusesNegativeBounds) {
  ScriptRandom().SetState(1);
  EXPECT_EQ(Eval("Random.ZeroTo(0)"), 0);
  for (int i = 0; i < 50; ++i) {
    const double v = Eval("Random.ZeroTo(6)");
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 6);
  }
  ScriptRandom().SetState(99);
  const double first = Eval("Random.ZeroTo(1000)");
  ScriptRandom().SetState(99);
  EXPECT_EQ(Eval("Random.ZeroTo(1000)"), first);  // the same stream gives the same numbers
  boxes_.clear();
  EXPECT_EQ(Eval("Random.ZeroTo(-1)"), 0);
  EXPECT_EQ(CountBoxes("Random.ZeroTo"), 1);
}

TEST_F(BindingTest, ConstantsOfTheCity) {
  InitBlockDefs();
  ASSERT_TRUE(Script().Create());
  EXPECT_EQ(Eval("LANTERN_AVENUE"), 0);
  EXPECT_EQ(Eval("STADIUM"), 45);
  EXPECT_EQ(Eval("CENTRAL_PARK_6"), 51);
  EXPECT_EQ(Eval("LANDSCAPE"), 44);  // the business kind wins over the building kind
  EXPECT_EQ(Eval("RETAIL_EMPTY"), 3);
  EXPECT_EQ(Eval("CHEESE_STORE"), 3);
  EXPECT_EQ(Eval("HOTEL"), 43);
  EXPECT_EQ(Eval("STAY_OVER"), 31);
  EXPECT_EQ(Eval("ENTERTAINMENTSHOPPING"), 3);
  EXPECT_EQ(Eval("CLASS_HIGH"), 2);
  EXPECT_EQ(Eval("HIGH_CLASS_TOURIST"), 14);
  EXPECT_EQ(Eval("AGE_PENSIONER"), 3);
  EXPECT_EQ(Eval("DEPRECATED"), 0);
}

}  // namespace
