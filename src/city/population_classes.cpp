#include "city/population_classes.h"

#include <algorithm>
#include <cstring>

#include "city/commodities.h"
#include "city/households.h"
#include "city/text_match.h"
#include "engine/core/error.h"
#include "engine/core/random_stream.h"

std::array<PreferenceRow, kPreferenceRowCount> g_Preferences;
std::array<PopulationClassList, kPopulationClassCount> g_PopulationClasses;
std::array<SocialClassRow, kSocialClassCount> g_SocialClasses;
std::array<ClassPairLists, kSocialClassCount> g_ClassPairLists;
std::array<float, kChassisCount> g_PeopleSpeeds = {0.4f, 0.4f, 0.4f, 0.4f, 0.4f, 0.2f};
int32_t g_ItchyCounter = 0;
bool g_ShoppingDistanceScore = true;

namespace {

constexpr const char* kClassNames[kSocialClassCount] = {"low", "medium", "high"};
constexpr float kWeight5[kSocialClassCount] = {0.9f, 0.6f, 0.3f};
constexpr float kWeight6[kSocialClassCount] = {1.0f, 1.75f, 2.5f};
constexpr float kWeight7[kSocialClassCount] = {1.05f, 1.07f, 1.1f};
constexpr std::string_view kChassisNames[kChassisCount] = {"CHILD", "TEENAGER", "ADULT", "OAP", "TOURIST",
                                                           "DISPLACEMENT"};
constexpr float kStartSpeeds[kChassisCount] = {0.4f, 0.4f, 0.4f, 0.4f, 0.4f, 0.2f};

bool AppendToClass(PopulationClassList& list, int32_t row) {
  if (list.Count >= kClassPreferenceRows) return false;
  list.Rows[list.Count++] = static_cast<uint8_t>(row);
  return true;
}

}  // namespace

// ---- Preferences ----------------------------------------------------------------

void ResetPreferences() {
  for (PreferenceRow& r : g_Preferences) r = PreferenceRow{};
  for (PopulationClassList& l : g_PopulationClasses) l = PopulationClassList{};
}

bool AddPreferenceValue(int32_t row, int32_t commodity, float weight) {
  if (row < 0 || row >= kPreferenceRowCount || !IsCommodity(commodity)) {
    ReportErrorF(1, "Invalid preference entry: row %d, commodity %d", row, commodity);
    return false;
  }
  PreferenceRow& r = g_Preferences[row];
  if (r.Count >= kPreferenceEntries) {
    ReportErrorF(1, "Preference row %d is full: commodity %d not added", row, commodity);
    return false;
  }
  r.Commodity[r.Count] = commodity;
  r.Weight[r.Count] = weight;
  ++r.Count;
  return true;
}

bool AssociatePreferenceWithClass(int32_t populationClass, int32_t row) {
  if (row < 0 || row >= kPreferenceRowCount) return false;
  if (populationClass == kAllPopulationClasses) {
    for (PopulationClassList& l : g_PopulationClasses) {
      if (!AppendToClass(l, row)) return false;
    }
    return true;
  }
  if (populationClass < 0 || populationClass >= kPopulationClassCount) return false;
  return AppendToClass(g_PopulationClasses[populationClass], row);
}

int32_t DrawPreference(int32_t populationClass) {
  if (populationClass < 0 || populationClass >= kPopulationClassCount) return -1;
  const PopulationClassList& l = g_PopulationClasses[populationClass];
  if (l.Count <= 0) return -1;
  return l.Rows[HouseholdRandom().Rand() % static_cast<uint32_t>(l.Count)];
}

const PreferenceRow* GetPreferenceRow(int32_t row) {
  return (row >= 0 && row < kPreferenceRowCount) ? &g_Preferences[row] : nullptr;
}

int32_t PopulationClassOf(int32_t kind, int32_t socialClass) {
  return std::clamp(kind, 0, 4) * 3 + std::clamp(socialClass, 0, 2);
}

// ---- Social classes ---------------------------------------------------------------

void ResetSocialClasses() {
  for (int i = 0; i < kSocialClassCount; ++i) {
    SocialClassRow& r = g_SocialClasses[i];
    r = SocialClassRow{};
    std::strncpy(r.Name, kClassNames[i], sizeof(r.Name) - 1);
    r.Weight5 = kWeight5[i];
    r.Weight6 = kWeight6[i];
    r.Weight7 = kWeight7[i];
  }
}

int FindClassByName(std::string_view name) {
  for (int i = 0; i < kSocialClassCount; ++i) {
    if (EqualsNoCase(FieldText(g_SocialClasses[i].Name), name)) return i;
  }
  return -1;
}

const SocialClassRow& SocialClass(int32_t socialClass) { return g_SocialClasses[std::clamp(socialClass, 0, 2)]; }

bool SetClassIncome(int32_t index, int32_t socialClass, float value) {
  if (index < 0 || index >= 5 || socialClass < 0 || socialClass >= kSocialClassCount) return false;
  g_SocialClasses[socialClass].Income[index] = value;
  return true;
}

float ClassIncome(int32_t kind, int32_t socialClass) {
  if (kind < 0 || kind >= 5) return 0.0f;
  return SocialClass(socialClass).Income[kind];
}

float* FindClassWeighting(int32_t socialClass, std::string_view upperWord) {
  if (socialClass < 0 || socialClass >= kSocialClassCount) return nullptr;
  SocialClassRow& r = g_SocialClasses[socialClass];
  if (upperWord == "VALUE") return &r.PriceWeight;
  if (upperWord == "DISTANCE") return &r.DistanceWeight;
  if (upperWord == "PRESTIGE") return &r.PrestigeWeight;
  if (upperWord == "QUALITY") return &r.QualityWeight;
  if (upperWord == "MICRODISTANCE") return &r.TripDistanceWeight;
  return nullptr;
}

bool ClassPairList::Append(int32_t a, int32_t b) {
  if (Count >= kClassPairEntries) return false;
  First[Count] = a;
  Second[Count] = b;
  ++Count;
  return true;
}

void ResetClassPairLists() {
  for (ClassPairLists& l : g_ClassPairLists) l = ClassPairLists{};
}

// ---- Walking speeds -----------------------------------------------------------------

void ResetPeopleSpeeds() { std::copy(std::begin(kStartSpeeds), std::end(kStartSpeeds), g_PeopleSpeeds.begin()); }

int FindChassisByName(std::string_view upperWord) {
  for (int i = 0; i < kChassisCount; ++i) {
    if (kChassisNames[i] == upperWord) return i;
  }
  return -1;
}
