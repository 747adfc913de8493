#include "session/session_services.h"

#include "city/blocks.h"
#include "session/player.h"

void SessionWorldServices::UpdateBlockLeasesHourly() { ::UpdateBlockLeasesHourly(); }

CPlayer* SessionGameServices::CreateComputerPlayer(int32_t /*characterRow*/) { return new CComputerPlayerStub(); }

namespace {

SessionWorldServices g_defaultWorld;
SessionBusinessServices g_defaultBusiness;
SessionGameServices g_defaultGame;
SessionNetworkServices g_defaultNetwork;

SessionServices g_services = {&g_defaultWorld, &g_defaultBusiness, &g_defaultGame,
                              &g_defaultNetwork};

}  // namespace

SessionServices& Services() { return g_services; }

void SetSessionWorldServices(SessionWorldServices* s) { g_services.world = s ? s : &g_defaultWorld; }
void SetSessionBusinessServices(SessionBusinessServices* s) { g_services.business = s ? s : &g_defaultBusiness; }
void SetSessionGameServices(SessionGameServices* s) { g_services.game = s ? s : &g_defaultGame; }
void SetSessionNetworkServices(SessionNetworkServices* s) { g_services.network = s ? s : &g_defaultNetwork; }

void RestoreDefaultSessionServices() {
  g_services = {&g_defaultWorld, &g_defaultBusiness, &g_defaultGame, &g_defaultNetwork};
}
