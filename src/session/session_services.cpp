#include "session/session_services.h"

#include "city/blocks.h"
#include "session/player.h"

CPlayer* SessionGameServices::CreateComputerPlayer(int32_t /*characterRow*/) { return new CComputerPlayerStub(); }

namespace {

SessionGameServices g_defaultGame;
SessionNetworkServices g_defaultNetwork;

SessionServices g_services = {&g_defaultGame,
                              &g_defaultNetwork};

}  // namespace

SessionServices& Services() { return g_services; }

void SetSessionGameServices(SessionGameServices* s) { g_services.game = s ? s : &g_defaultGame; }
void SetSessionNetworkServices(SessionNetworkServices* s) { g_services.network = s ? s : &g_defaultNetwork; }

void RestoreDefaultSessionServices() {
  g_services = {&g_defaultGame, &g_defaultNetwork};
}
