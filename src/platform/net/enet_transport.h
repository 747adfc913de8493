#pragma once
// The network transport on ENet (UDP with reliable, ordered delivery on one
// channel). Only the game program links it.
#include <memory>
#include <string>
#include <vector>

#include "platform/net_transport.h"

namespace platform {

std::unique_ptr<NetTransport> CreateEnetTransport();
// Installs it as the transport factory (the game program, at start).
void InstallEnetTransport();
// Where a session search is broadcast is the environment's
// CITYRUN_SESSION_SEARCH: "loopback", this machine only; a comma-separated
// list of IPv4 broadcast addresses; unset or "network", the limited
// broadcast and every interface's broadcast address.
// Every address a session search sends to, with `address` the one the
// player named (JOIN): the broadcasts, this machine and that address. When
// the broadcasts are all on the loopback network, so is every target.
std::vector<std::string> SessionSearchTargets(const std::string& address);

}  // namespace platform
