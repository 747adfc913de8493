#include "city/households.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "city/commodities.h"
#include "city/population_classes.h"
#include "engine/core/random_stream.h"
#include "session/save_chunks.h"

std::array<CHousehold, kMaxHouseholds> g_Households;

CRandomStream& HouseholdRandom() {
  static CRandomStream stream;
  return stream;
}

CHousehold* GetHousehold(int32_t index) {
  if (index < 0 || index >= kMaxHouseholds || !g_Households[index].InUse) return nullptr;
  return &g_Households[index];
}

void ResetHouseholds() {
  for (CHousehold& h : g_Households) h = CHousehold{};
}

void ResetHousehold(int32_t index) {
  if (index >= 0 && index < kMaxHouseholds) g_Households[index] = CHousehold{};
}

int32_t AllocHousehold() {
  for (int i = 0; i < kMaxHouseholds; ++i) {
    if (g_Households[i].InUse) continue;
    g_Households[i] = CHousehold{};
    g_Households[i].InUse = 1;
    return i;
  }
  return -1;
}

void CHousehold::RebuildWantMask() {
  WantMask = 0;
  for (int c = 0; c < kCommodityCount; ++c) {
    if (Want[c] != 0.0f) WantMask |= 1u << c;
  }
}

void CHousehold::InitWants(int32_t preferenceRow) {
  const PreferenceRow* row = GetPreferenceRow(preferenceRow);
  if (row == nullptr) return;
  float sum = 0;
  for (int i = 0; i < row->Count; ++i) {
    int32_t c = row->Commodity[i];
    if (!IsCommodity(c)) continue;
    float r = static_cast<float>(HouseholdRandom().Rand() % 101);
    float amount = GetCommodityDefaultPrice(c) * row->Weight[i] * r / 100.0f;
    if (g_Commodities[c].Active) Want[c] += amount;
    sum += amount;
  }
  RebuildWantMask();
  Money = sum;
  TotalWant = sum;
}

void CHousehold::BalanceWants(int32_t preferenceRow) {
  const PreferenceRow* row = GetPreferenceRow(preferenceRow);
  if (row == nullptr) return;
  int n = row->Count;
  float spare = Money - TotalWant;
  if (spare >= 0) {
    for (int i = 0; i < n; ++i) {
      int32_t c = row->Commodity[i];
      if (!IsCommodity(c)) continue;
      float share = spare / static_cast<float>(n - i);
      float cap = GetCommodityDefaultPrice(c) * row->Weight[i] - Want[c];
      share = std::max(0.0f, std::min(share, cap));
      if (g_Commodities[c].Active) {
        Want[c] += share;
        TotalWant += share;
      }
      spare -= share;
    }
  } else if (TotalWant != 0) {
    for (int i = n - 1; i >= 0 && spare < 0; --i) {
      int32_t c = row->Commodity[i];
      if (!IsCommodity(c)) continue;
      float cut = std::min(Want[c], -spare);
      if (cut <= 0) continue;
      Want[c] -= cut;
      TotalWant -= cut;
      spare += cut;
    }
  }
  RebuildWantMask();
}

