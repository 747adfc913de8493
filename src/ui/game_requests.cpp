#include "ui/game_requests.h"

namespace {

std::vector<GameRequest>& Pending() {
  static std::vector<GameRequest> pending;
  return pending;
}

}  // namespace

void PostGameRequest(GameRequest request) { Pending().push_back(std::move(request)); }

std::vector<GameRequest> TakeGameRequests() {
  std::vector<GameRequest> taken;
  taken.swap(Pending());
  return taken;
}

void ClearGameRequests() { Pending().clear(); }
