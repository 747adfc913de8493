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
// Where a session search is broadcast: empty (the default) means the local
// network (the limited broadcast and every interface's broadcast address);
// tests name the loopback network's ("127.255.255.255") to stay on this
// machine.
void SetEnetDiscoveryBroadcasts(std::vector<std::string> addresses);

}  // namespace platform
