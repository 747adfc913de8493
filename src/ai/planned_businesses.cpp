#include "ai/planned_businesses.h"

#include <algorithm>
#include <array>

#include "city/business_types.h"
#include "city/city_demand.h"
#include "city/blocks.h"
#include "city/city_limits.h"

namespace {

std::array<std::array<int32_t, kBusinessTypeCount>, kBlockCount> g_planned{};

bool ValidCell(int32_t block, int32_t type) {
  return block >= 0 && block < kBlockCount && type >= 0 && type < kBusinessTypeCount;
}

}  // namespace

void NotePlannedBusiness(int32_t block, int32_t type) {
  if (ValidCell(block, type)) ++g_planned[size_t(block)][size_t(type)];
}

void DropPlannedBusiness(int32_t block, int32_t type) {
  if (!ValidCell(block, type)) return;
  int32_t& planned = g_planned[size_t(block)][size_t(type)];
  planned = std::max(planned - 1, -GetBlockBusinessTypeCount(block, type));
}

void ForgetPlannedBusinesses() {
  for (auto& row : g_planned) row.fill(0);
}

int32_t AiBlockBusinessTypeCount(int32_t block, int32_t type) {
  if (!ValidCell(block, type)) return 0;
  return std::max(0, GetBlockBusinessTypeCount(block, type) + g_planned[size_t(block)][size_t(type)]);
}
