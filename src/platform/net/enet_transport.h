#pragma once
// The network transport on ENet (UDP with reliable, ordered delivery on one
// channel). Only the game program links it.
#include <memory>

#include "platform/net_transport.h"

namespace platform {

std::unique_ptr<NetTransport> CreateEnetTransport();
// Installs it as the transport factory (the game program, at start).
void InstallEnetTransport();

}  // namespace platform
