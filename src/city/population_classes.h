#pragma once
// Population classes and what they prefer: the 128 preference rows (what a
// household buys and how much), the 15 population classes (person kind x 3 +
// social class) with the preference rows they draw from, the three social
// class rows with their scoring weights and daily incomes, the per-class
// score pair lists of the parameter files and the walking speed table.
// Filled by the parameter files and scripts; tests fill them directly.
#include <array>
#include <cstdint>
#include <string_view>

inline constexpr int kPreferenceRowCount = 128;
inline constexpr int kPreferenceEntries = 32;
inline constexpr int kPopulationClassCount = 15;
inline constexpr int kAllPopulationClasses = 15;  // AssociatePreferenceWithClass: every class
inline constexpr int kClassPreferenceRows = 32;
inline constexpr int kSocialClassCount = 3;
inline constexpr int kClassPairEntries = 15;
inline constexpr float kAffordabilityFactor = 0.48f;

struct PreferenceRow {
  int32_t Commodity[kPreferenceEntries] = {};
  float Weight[kPreferenceEntries] = {};
  int32_t Count = 0;
};

struct PopulationClassList {
  uint8_t Rows[kClassPreferenceRows] = {};
  int32_t Count = 0;
};

struct SocialClassRow {
  char Name[32] = {};
  float PriceWeight = 1;
  float DistanceWeight = 1;
  float PrestigeWeight = 1;
  float QualityWeight = 1;
  float TripDistanceWeight = 1;
  float Weight5 = 0;  // read by person behaviour
  float Weight6 = 0;
  float Weight7 = 0;
  float Income[5] = {};  // daily income per person kind
};

// A list of up to 15 integer pairs (count, first values, second values).
struct ClassPairList {
  int32_t Count = 0;
  int32_t First[kClassPairEntries] = {};
  int32_t Second[kClassPairEntries] = {};

  bool Append(int32_t a, int32_t b);  // false when full
};

struct ClassPairLists {
  ClassPairList Proximity;
  ClassPairList RentScore;
  ClassPairList ApartmentRent;
};

extern std::array<PreferenceRow, kPreferenceRowCount> g_Preferences;
extern std::array<PopulationClassList, kPopulationClassCount> g_PopulationClasses;
extern std::array<SocialClassRow, kSocialClassCount> g_SocialClasses;
extern std::array<ClassPairLists, kSocialClassCount> g_ClassPairLists;

// ---- Preferences ----
void ResetPreferences();  // rows and class lists
// Appends a pair to a row. A 33rd entry, a bad row or a bad commodity is
// refused with a warning (false).
bool AddPreferenceValue(int32_t row, int32_t commodity, float weight);
// Class 15 appends to every list in turn and stops (false) at the first full
// one; another class appends to its own list, false when it holds 32.
bool AssociatePreferenceWithClass(int32_t populationClass, int32_t row);
// A random row of the class's list (households' stream); -1 for an empty
// list or a bad class.
int32_t DrawPreference(int32_t populationClass);
const PreferenceRow* GetPreferenceRow(int32_t row);  // null outside 0..127
int32_t PopulationClassOf(int32_t kind, int32_t socialClass);

// ---- Social classes ----
void ResetSocialClasses();  // names, start weights, incomes 0
int FindClassByName(std::string_view name);  // "low", "medium", "high"; -1 none
const SocialClassRow& SocialClass(int32_t socialClass);  // clamped to 0..2
// People.Welfare: income of person kind `index` in the class.
bool SetClassIncome(int32_t index, int32_t socialClass, float value);
float ClassIncome(int32_t kind, int32_t socialClass);
// CLASSWEIGHTING words: VALUE, DISTANCE, PRESTIGE, QUALITY, MICRODISTANCE.
float* FindClassWeighting(int32_t socialClass, std::string_view upperWord);
void ResetClassPairLists();

// ---- Walking speeds per chassis: CHILD, TEENAGER, ADULT, OAP, TOURIST, DISPLACEMENT ----
inline constexpr int kChassisCount = 6;
inline constexpr int kChassisDisplacement = 5;
extern std::array<float, kChassisCount> g_PeopleSpeeds;
void ResetPeopleSpeeds();
int FindChassisByName(std::string_view upperWord);  // -1 none

// The `itchycounter` of the People table: the house-hunt interval limit.
extern int32_t g_ItchyCounter;
// The global switch of the shopping distance score.
extern bool g_ShoppingDistanceScore;
