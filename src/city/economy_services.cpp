#include "city/economy_services.h"

#include "city/city_services.h"

bool EconomyPlayerServices::IsPlayer(int32_t number) const {
  return number >= 1 && City().session->GetPlayer(number) != nullptr;
}

namespace {

EconomyPlayerServices g_defaultPlayers;
EconomyAiServices g_defaultAi;
EconomyPanelServices g_defaultPanels;
EconomyPeopleServices g_defaultPeople;

EconomyServices g_economy = {&g_defaultPlayers, &g_defaultAi, &g_defaultPanels, &g_defaultPeople};

}  // namespace

EconomyServices& Economy() { return g_economy; }

void SetEconomyPlayerServices(EconomyPlayerServices* s) { g_economy.players = s ? s : &g_defaultPlayers; }
void SetEconomyAiServices(EconomyAiServices* s) { g_economy.ai = s ? s : &g_defaultAi; }
void SetEconomyPanelServices(EconomyPanelServices* s) { g_economy.panels = s ? s : &g_defaultPanels; }
void SetEconomyPeopleServices(EconomyPeopleServices* s) { g_economy.people = s ? s : &g_defaultPeople; }

void RestoreDefaultEconomyServices() {
  g_economy = {&g_defaultPlayers, &g_defaultAi, &g_defaultPanels, &g_defaultPeople};
}
