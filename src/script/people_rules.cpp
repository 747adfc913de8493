// The People, Tweaks, Random and InitialValue tables: population set-up, the
// scripts' game rules, random numbers and initial values.
#include <algorithm>
#include <iterator>

#include "city/population_classes.h"
#include "city/road_topology.h"
#include "engine/core/error.h"
#include "engine/core/random_stream.h"
#include "script/people_access.h"
#include "script/script.h"
#include "script/script_args.h"
#include "script/script_bindings.h"
#include "session/session_state.h"

namespace {

constexpr const char* kPopulationClassNames[] = {
    "LOW_CLASS_CHILD",     "MEDIUM_CLASS_CHILD",     "HIGH_CLASS_CHILD",     "LOW_CLASS_TEENAGER",
    "MEDIUM_CLASS_TEENAGER", "HIGH_CLASS_TEENAGER",  "LOW_CLASS_ADULT",      "MEDIUM_CLASS_ADULT",
    "HIGH_CLASS_ADULT",    "LOW_CLASS_PENSIONER",    "MEDIUM_CLASS_PENSIONER", "HIGH_CLASS_PENSIONER",
    "LOW_CLASS_TOURIST",   "MEDIUM_CLASS_TOURIST",   "HIGH_CLASS_TOURIST"};
constexpr const char* kAgeNames[] = {"AGE_CHILD", "AGE_TEENAGER", "AGE_ADULT", "AGE_PENSIONER", "AGE_TOURIST"};

// An optional number argument: -1 (random) when missing or not a number.
int32_t OptionalInt(lua_State* state, int index) {
  return lua_type(state, index) == LUA_TNUMBER ? ArgInt(state, index, -1) : -1;
}

int PeopleCreate(lua_State* state) {
  double n = 0;
  if (!ArgNumber(state, 1, &n)) {
    ReportError(1, 0, "People.Create: the number of people is missing");
    return 0;
  }
  const int32_t count = TruncToInt32(n);
  if (count < 0) {
    ReportErrorF(1, "People.Create: cannot create %d people", count);
    return 0;
  }
  if (count == 0) return 0;
  const int32_t populationClass = OptionalInt(state, 2);
  const int32_t variant = OptionalInt(state, 3);
  const int32_t extra = OptionalInt(state, 4);
  // Never more than the people table holds; stop when it is full.
  for (int32_t i = 0; i < count && i < PeopleCapacity(); ++i) {
    if (!CreateScriptPerson(populationClass, variant, extra)) break;
  }
  return 0;
}

int PeopleWelfare(lua_State* state) {
  const int32_t index = ArgInt(state, 1, -1);
  const int32_t socialClass = ArgInt(state, 2, -1);
  if (!SetClassIncome(index, socialClass, static_cast<float>(ArgDouble(state, 3, 0)))) {
    ReportErrorF(1, "People.Welfare: index %d of class %d out of range", index, socialClass);
  }
  return 0;
}

int PeopleNumberInCity(lua_State* state) {
  lua_pushinteger(state, CurrentPeopleCount());
  return 1;
}

int RandomZeroTo(lua_State* state) {
  const int32_t n = ArgInt(state, lua_gettop(state), 0);
  if (n < 0) {
    ReportErrorF(1, "Random.ZeroTo: bound %d below 0", n);
    lua_pushinteger(state, 0);
    return 1;
  }
  const uint32_t value = ScriptRandom().Rand();
  lua_pushinteger(state, static_cast<lua_Integer>(value % (static_cast<uint64_t>(n) + 1)));
  return 1;
}

int InitialAddPreference(lua_State* state) {
  // The city's table reports a bad row, commodity or a full row itself.
  AddPreferenceValue(ArgInt(state, 1, -1), ArgInt(state, 2, -1), static_cast<float>(ArgDouble(state, 3, 0)));
  return 0;
}

int InitialAssociatePreference(lua_State* state) {
  const int32_t populationClass = ArgInt(state, 1, -1);
  const int32_t row = ArgInt(state, 2, -1);
  if (!AssociatePreferenceWithClass(populationClass, row)) {
    ReportErrorF(1, "InitialValue.AssociatePreference: class %d cannot take preference row %d", populationClass,
                 row);
  }
  return 0;
}

}  // namespace

ScriptRuleFlags& RuleFlags() {
  static ScriptRuleFlags flags;
  return flags;
}

void RegisterPeopleScriptTable(CScript& s) {
  s.CreateTable("People");
  s.BindTableInt(&g_ItchyCounter, "People", "itchycounter");
  s.BindTableInt(GetBlockPathDepthLimit, SetBlockPathDepthLimit, "People", "subwaythreshold");
  s.RegisterTableFunction(PeopleCreate, "People", "Create");
  s.RegisterTableFunction(PeopleWelfare, "People", "Welfare");
  s.RegisterTableFunction(PeopleNumberInCity, "People", "NumberInCity");
  for (int i = 0; i < static_cast<int>(std::size(kPopulationClassNames)); ++i) {
    s.SetGlobalNumber(i, kPopulationClassNames[i]);
  }
  for (int i = 0; i < static_cast<int>(std::size(kAgeNames)); ++i) s.SetGlobalNumber(i, kAgeNames[i]);
}

void RegisterTweaksScriptTable(CScript& s) {
  GameTweaks& t = Tweaks();
  ScriptRuleFlags& f = RuleFlags();
  f = ScriptRuleFlags{};
  t.yearsPerDay = 0;
  t.blockLeaseLength = 0;
  for (float& v : t.railUtilIncome) v = 0;
  for (float& v : t.dailyFreight) v = 0;

  s.CreateTable("Tweaks");
  s.BindTableBool(&f.cityBusinessesOwnable, "Tweaks", "citybusinessesownable");
  s.BindTableBool(&f.daysOff, "Tweaks", "daysoff");
  // Years added at each midnight: a decade at most, never negative, so the
  // clock's year arithmetic cannot overflow.
  s.BindTableInt([] { return Tweaks().yearsPerDay; },
                 [](int32_t years) { Tweaks().yearsPerDay = std::clamp(years, 0, 10); }, "Tweaks",
                 "numyearsin24hours");
  s.BindTableInt(&t.blockLeaseLength, "Tweaks", "blockleaselength");
  // Difficulty rows: 0 hard, 1 medium, 2 easy.
  s.BindTableFloat(&t.railUtilIncome[2], "Tweaks", "railutilincomeEASY");
  s.BindTableFloat(&t.railUtilIncome[1], "Tweaks", "railutilincomeMEDIUM");
  s.BindTableFloat(&t.railUtilIncome[0], "Tweaks", "railutilincomeHARD");
  s.BindTableFloat(&t.dailyFreight[2], "Tweaks", "dailyfreightEASY");
  s.BindTableFloat(&t.dailyFreight[1], "Tweaks", "dailyfreightMEDIUM");
  s.BindTableFloat(&t.dailyFreight[0], "Tweaks", "dailyfreightHARD");
}

void RegisterRandomScriptTable(CScript& s) {
  s.CreateTable("Random");
  s.RegisterTableFunction(RandomZeroTo, "Random", "ZeroTo");
}

void RegisterInitialValueScriptTable(CScript& s) {
  s.CreateTable("InitialValue");
  s.BindTableFloat(&Tweaks().startingCash, "InitialValue", "playermoney");
  s.RegisterTableFunction(InitialAddPreference, "InitialValue", "AddPreference");
  s.RegisterTableFunction(InitialAssociatePreference, "InitialValue", "AssociatePreference");
}
