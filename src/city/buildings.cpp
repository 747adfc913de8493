#include "city/buildings.h"

#include <cctype>
#include <cmath>
#include <cstring>

#include "city/blocks.h"
#include "city/business.h"
#include "city/city_services.h"
#include "city/local_drafts.h"
#include "session/game_clock.h"
#include "session/game_messages.h"
#include "session/player.h"
#include "session/session_state.h"
#include "engine/core/error.h"

std::array<BuildingKind, kBuildingKindCount> g_BuildingKinds;
std::array<CBuilding, kBuildingPoolSize> g_Buildings;
BuildingCostEstimate g_LastCostEstimate;

namespace {

CBuilding g_spareBuilding;

constexpr const char* kKindNames[kBuildingKindCount] = {"RETAIL", "RESIDENTIAL", "LANDSCAPE"};
constexpr uint16_t kKindStartFigures[7] = {10, 10, 0, 0, 0, 0, 10};

void ClearBuildingRecord(CBuilding& b, int32_t id) {
  b = CBuilding{};
  b.Id = id;
  LocalBuildingMarks(id) = BuildingRequestMarks{};
}

}  // namespace

void ResetBuildingKinds() {
  for (int i = 0; i < kBuildingKindCount; ++i) {
    BuildingKind& k = g_BuildingKinds[i];
    std::memset(k.Name, 0, sizeof(k.Name));
    std::strncpy(k.Name, kKindNames[i], sizeof(k.Name) - 1);
    std::memcpy(k.Figures, kKindStartFigures, sizeof(k.Figures));
  }
}

int FindBuildingKindByName(std::string_view name) {
  for (int i = 0; i < kBuildingKindCount; ++i) {
    std::string_view kind = g_BuildingKinds[i].Name;
    if (kind.size() != name.size()) continue;
    bool same = true;
    for (size_t c = 0; c < kind.size() && same; ++c)
      same = std::toupper(static_cast<unsigned char>(kind[c])) == std::toupper(static_cast<unsigned char>(name[c]));
    if (same) return i;
  }
  return -1;
}

float QualityFactor(uint8_t quality) {
  if (quality == 0) return 1.0f;
  if (quality == 1) return 1.2f;
  return 1.5f;
}

float PrestigeFactor(float prestige) { return prestige * 0.5f + 1.0f; }

float AreaFactor(int32_t units) { return static_cast<float>(units) * 0.6f + 0.8f; }

// ---- Pool ----------------------------------------------------------------------

CBuilding* AllocBuilding() {
  for (CBuilding& b : g_Buildings) {
    if (!b.InUse) return &b;
  }
  ReportError(1, 0, "Ran out of building objects");
  return nullptr;
}

CBuilding* GetSpareBuilding() { return &g_spareBuilding; }

CBuilding* GetBuilding(int32_t id) {
  return (id >= 0 && id < kBuildingPoolSize) ? &g_Buildings[id] : nullptr;
}

void ResetBuildings() {
  ClearBuildingRecord(g_spareBuilding, -1);
  for (int i = 0; i < kBuildingPoolSize; ++i) ClearBuildingRecord(g_Buildings[i], i);
}

void RefreshBuildingModel(CBuilding& b) {
  if (!b.Visual.Built) return;
  if (b.BusinessIndex >= 0 && b.Kind == kKindLandscape) return;
  City().visuals->RebuildSigns(b);
}

// ---- Record ----------------------------------------------------------------------

void CBuilding::InitBuilding(int x1, int z1, int x2, int z2, int floors, float centreX, float centreZ,
                             int32_t seed, int32_t kind, uint8_t quality, float value) {
  X1 = static_cast<uint8_t>(x1);
  Z1 = static_cast<uint8_t>(z1);
  X2 = static_cast<uint8_t>(x2);
  Z2 = static_cast<uint8_t>(z2);
  Floors = static_cast<uint8_t>(floors);
  CentreX = centreX;
  CentreZ = centreZ;
  ArchitectSeed = seed;
  Kind = kind;
  Quality = quality;
  Value = value;
  Status = kStatusPlaced;
  InUse = 1;
  BusinessIndex = -1;
  Owner = 0;
  RentPerUnit = (kind >= 0 && kind < kBuildingKindCount) ? g_BuildingKinds[kind].Figures[kFigureRent] : 0;
  BuiltYear = GameClock().decade * 10 + GameClock().yearInDecade;
  LocalBuildingMarks(Id) = BuildingRequestMarks{};
}

CPlayer* CBuilding::GetOwner() const { return PlayerTable().ByNumber(Owner); }

int32_t CBuilding::GetBlockOwnerNumber() const { return Block ? Block->Owner : 0; }

CPlayer* CBuilding::GetBlockOwner() const {
  int32_t owner = GetBlockOwnerNumber();
  return PlayerTable().ByNumber(owner);
}

void CBuilding::SetOwner(uint8_t player) {
  Owner = player;
  StampOwnerChange();
  RefreshBuildingModel(*this);
}

void CBuilding::StampOwnerChange() { OwnerChangeTick = static_cast<int32_t>(LogicTick()); }

void CBuilding::SendBuyoutRequest() const {
  Post(BuyoutMsg{BuildingId{Id}});
}

int32_t CBuilding::VolumeUnits() const { return (X2 - X1 + 1) * (Z2 - Z1 + 1) * Floors; }

float CBuilding::PrestigeFactor() const { return ::PrestigeFactor(Block ? Block->Prestige : 0.0f); }

int32_t CBuilding::GetCapacity(int32_t businessType) const {
  float c = static_cast<float>(VolumeUnits()) * BusinessTypeDensity(businessType) + 0.999f;
  return static_cast<int32_t>(c);
}

float CBuilding::GetBusinessSetupCost(int32_t businessType) const {
  return QualityFactor(Quality) * AreaFactor(VolumeUnits()) * PrestigeFactor() *
         BusinessTypeRefurbCost(businessType);
}

float CBuilding::GetRentalValue() const {
  int k = (Kind >= 0 && Kind < kBuildingKindCount) ? Kind : 0;
  return static_cast<float>(VolumeUnits()) * PrestigeFactor() *
         static_cast<float>(g_BuildingKinds[k].Figures[kFigureCostToDemolish]);
}

namespace {

bool BlockOwnerHasDistrictSet(const CBlock* block) {
  if (block == nullptr || block->Owner == 0) return false;
  int def = (block->DefIndex >= 0 && block->DefIndex < kBlockCount) ? block->DefIndex : block->Index;
  const CPlayer* owner = PlayerTable().ByNumber(block->Owner);
  return owner != nullptr && owner->OwnsDistrictSet(g_BlockDefs[def].District);
}

}  // namespace

int32_t CBuilding::GetNoveltyPercent() const {
  if (BlockOwnerHasDistrictSet(Block)) return 0;
  int32_t hours = (static_cast<int32_t>(LogicTick()) - OwnerChangeTick) / kLogicTicksPerHour;
  int32_t n = 100 - hours;
  return n < 0 ? 0 : n;
}

float CBuilding::GetBuyoutPrice() const {
  if (BusinessIndex < 0) return 0.0f;
  const CBusiness* business = GetBusinessInUse(BusinessIndex);
  float r = business ? business->GetRating() : 0.0f;
  float n = static_cast<float>(GetNoveltyPercent()) * 0.01f;
  float price = r + n * n * r * PrestigeFactor();
  if (BlockOwnerHasDistrictSet(Block)) price *= 0.6f;
  return price;
}

int32_t EstimateBuildingCost(int32_t block, int32_t units, int32_t kind, int32_t businessType, uint8_t quality,
                             int32_t player) {
  g_LastCostEstimate = BuildingCostEstimate{};
  const CBlock* b = GetBlock(block);
  if (b == nullptr || kind < 0 || kind >= kBuildingKindCount) {
    ReportError(1, 0, "EstimateBuildingCost: Invalid block or building kind.");
    return 0;
  }
  float qf = QualityFactor(quality);
  float pf = PrestigeFactor(b->Prestige);
  float af = AreaFactor(units);
  const BuildingKind& k = g_BuildingKinds[kind];
  float construction = qf * pf * static_cast<float>(k.Figures[kFigureCostPerUnit]) * af;
  if (kind != kKindLandscape) construction += qf * BusinessTypeRefurbCost(businessType) * pf * af;
  BuildingCostEstimate& e = g_LastCostEstimate;
  e.Construction = construction;
  if (GameClock().hour < 6) return static_cast<int32_t>(construction);

  if (kind == kKindRetail) e.StockCost = GetBusinessStockCost(businessType, units);
  float rentUnit = static_cast<float>(k.Figures[kFigureRent]) * pf * qf;
  e.RentEstimate = DampedAreaValue(units, rentUnit);
  // Utility blocks in order: telecoms, gas, water, electricity.
  for (int u = 0; u < 4; ++u) {
    if (g_Blocks[kUtilityBlocks[u]].Owner == player) continue;
    e.UtilityCharge += static_cast<float>(units) * BusinessTypeUtilityNeed(businessType, u);
  }
  return static_cast<int32_t>(construction + e.StockCost + e.UtilityCharge);
}
