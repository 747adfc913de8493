#include "platform/net_transport.h"

namespace platform {

namespace {
NetTransportFactory& Factory() {
  static NetTransportFactory factory;
  return factory;
}
}  // namespace

void SetNetTransportFactory(NetTransportFactory factory) { Factory() = std::move(factory); }

std::unique_ptr<NetTransport> CreateNetTransport() {
  return Factory() ? Factory()() : nullptr;
}

}  // namespace platform
