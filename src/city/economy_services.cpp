#include "city/economy_services.h"

#include "city/business.h"
#include "city/city_services.h"

bool EconomyPlayerServices::IsPlayer(int32_t number) const {
  return number >= 1 && City().session->GetPlayer(number) != nullptr;
}

namespace {

EconomyPlayerServices g_defaultPlayers;
EconomyAiServices g_defaultAi;
EconomyPeopleServices g_defaultPeople;

EconomyServices g_economy = {&g_defaultPlayers, &g_defaultAi, &g_defaultPeople};

}  // namespace

EconomyServices& Economy() { return g_economy; }

void SetEconomyPlayerServices(EconomyPlayerServices* s) { g_economy.players = s ? s : &g_defaultPlayers; }
void SetEconomyAiServices(EconomyAiServices* s) { g_economy.ai = s ? s : &g_defaultAi; }
void SetEconomyPeopleServices(EconomyPeopleServices* s) { g_economy.people = s ? s : &g_defaultPeople; }

void RestoreDefaultEconomyServices() {
  g_economy = {&g_defaultPlayers, &g_defaultAi, &g_defaultPeople};
}

// ---- The economy as the city's business service ----------------------------

namespace {

class EconomyBusinessServices final : public CityBusinessServices {
 public:
  uint32_t SoldCommodityMask(int32_t business) const override {
    const CBusiness* b = GetBusinessInUse(business);
    const BusinessType* t = b ? b->GetTypeRow() : nullptr;
    return t ? t->CommodityMask : 0;
  }
  int32_t BusinessKind(int32_t business) const override {
    const CBusiness* b = GetBusinessInUse(business);
    return b ? b->Kind : -1;
  }
  // A residence's money value: its rent at full occupancy.
  float MoneyValue(int32_t business) const override {
    const CBusiness* b = GetBusinessInUse(business);
    return b ? b->PotentialIncome : 0.0f;
  }
  float Rating(int32_t business) const override {
    const CBusiness* b = GetBusinessInUse(business);
    return b ? b->GetRating() : 0.0f;
  }
  float Density(int32_t type) const override {
    const BusinessType* t = GetBusinessType(type);
    return t ? t->Density : 0.0f;
  }
  float RefurbCost(int32_t type) const override {
    const BusinessType* t = GetBusinessType(type);
    return t ? static_cast<float>(t->RefurbCost) : 0.0f;
  }
  float UtilityNeed(int32_t type, int utility) const override {
    const BusinessType* t = GetBusinessType(type);
    if (t == nullptr) return 0.0f;
    switch (utility) {
      case 0: return t->TelecomNeed;
      case 1: return t->GasNeed;
      case 2: return t->WaterNeed;
      case 3: return t->ElectricalNeed;
      default: return 0.0f;
    }
  }
  float InitialStockCost(int32_t type, int32_t units) const override { return GetBusinessStockCost(type, units); }
};

EconomyBusinessServices g_economyBusiness;

}  // namespace

void InstallEconomyCityServices() { SetCityBusinessServices(&g_economyBusiness); }
