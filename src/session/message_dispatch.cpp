// Posting, routing and dispatching game messages; what each kind does is its
// Apply function (game_messages.cpp), found through the kind table.
#include <algorithm>
#include <cstring>
#include <deque>
#include <string>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "engine/core/console.h"
#include "engine/core/error.h"
#include "engine/scene/asset_table.h"
#include "session/city_seller.h"
#include "session/event_queue.h"
#include "session/game_events.h"
#include "session/game_messages.h"
#include "session/net_log.h"
#include "session/player.h"
#include "session/ready_barrier.h"
#include "session/session_services.h"
#include "session/tick_driver.h"

namespace {

// The player created from the set-up row that carries a DirectPlay id (in
// the lobby, before any player exists, the row's own number); 0 when none.
int32_t PlayerNumberOfDirectPlayId(int32_t id) {
  if (id <= 0) return 0;
  CPlayerTable& table = PlayerTable();
  const bool lobby = table.PlayerCount() == 0;
  for (int i = 0; i < kMaxPlayers; ++i) {
    const bool made = lobby ? table.SetupRow(i).kind != kPlayerEmpty : table.Get(i) != nullptr;
    if (made && table.SetupRow(i).directPlayId == id) return i + 1;
  }
  return 0;
}

void ClearPendingRequest(const PlayerMessage& m) {
  if (m.code == PLAYER_MESS_REFUSED) PostGameEvent(BlockAnsweredEvent{m.As<BlockDeal>().block.value, 1});
}

void RoutePlayerMessage(const CNetMessage& raw) {
  PlayerMessage m;
  if (!DecodeMessage(raw, m)) return;
  ClearPendingRequest(m);
  if (m.to.IsNone()) {
    CityHandleMessage(m);
    return;
  }
  CPlayer* target = PlayerTable().Get(m.to.value);
  if (target == nullptr) return;
  if (target->kind != kPlayerHuman || target == PlayerTable().Local() || !Session().networkSession)
    target->AddMessage(m);
  else
    Services().network->SendToSlot(m.to.value, raw.Bytes());
}

bool Refused(const char** why, const char* text) {
  if (why) *why = text;
  return false;
}

void LogRefused(const CNetMessage& m, int32_t sender, int32_t peerId, const char* why) {
  const MessageKind* kind = FindMessageKind(m.Type());
  NetLogF(sender, "Refused a game message (%s, type %d) from player %d, peer %d: %s.", kind ? kind->name : "unknown",
          m.Type(), sender, peerId, why);
}

// A client runs up to the tick limit its host granted, a delivery lead past
// the host's own tick: it may act on a change the host has yet to apply (a
// build on the block it won a few ticks ago). A message refused on arrival
// is looked at again once the host has reached every tick the client could
// have seen; only then is it refused. A client's later messages wait behind
// it, so the host routes each machine's messages in the order they were sent.
struct HeldClientMessage {
  CNetMessage message;
  int32_t sender = 0;
  int32_t peerId = 0;
  uint32_t finalAt = 0;  // the tick of the last look
};
constexpr size_t kMaxHeldPerClient = 64;

std::deque<HeldClientMessage>& HeldMessages(int32_t sender) {
  static std::deque<HeldClientMessage> held[kMaxPlayers + 1];
  return held[sender >= 0 && sender <= kMaxPlayers ? sender : 0];
}

// Routes what the host now accepts from the front of the sender's queue;
// refuses the front once its last look has come.
void RouteHeldClientMessages(int32_t sender) {
  std::deque<HeldClientMessage>& held = HeldMessages(sender);
  while (!held.empty()) {
    HeldClientMessage& h = held.front();
    const char* why = "";
    if (ClientMaySend(h.message, h.sender, h.peerId, &why)) {
      h.message.SetSender(h.sender);
      RouteGameMessage(h.message);
    } else if (LogicTick() >= h.finalAt) {
      LogRefused(h.message, h.sender, h.peerId, why);
    } else {
      return;
    }
    held.pop_front();
  }
}

void ReceiveClientMessage(CNetMessage& m, int32_t sender, int32_t peerId) {
  std::deque<HeldClientMessage>& held = HeldMessages(sender);
  const char* why = "";
  // What no state of the game could allow is refused at once.
  if (!ClientMaySend(m, sender, peerId, &why, false)) return LogRefused(m, sender, peerId, why);
  if (held.empty()) {
    if (ClientMaySend(m, sender, peerId, &why)) {
      m.SetSender(sender);
      RouteGameMessage(m);
      return;
    }
    if (PlayerTable().PlayerCount() == 0) return LogRefused(m, sender, peerId, why);
  }
  if (held.size() >= kMaxHeldPerClient) return LogRefused(m, sender, peerId, "too many waiting");
  held.push_back(HeldClientMessage{m, sender, peerId, LogicTick() + kMessageDeliveryLead});
}

void SendTickerRecord(StatusKind kind, StatusRecord record) {
  record.kind = kind;
  PostGameEvent(TickerEvent{record});
}

}  // namespace

bool CNetMessage::Send(uint32_t delay) {
  StoreLeU32(data_, 0);
  StoreLeI32(data_ + 8, GetSize());
  SetDelivery(delay);
  const char* why = "";
  if (!CheckNetMessage(Bytes(), &why) || Length() == 0) {
    ReportErrorF(1, "Dropped a bad game message of type %d (%s).", Type(), why);
    return false;
  }
  const SessionState& s = Session();
  if (!s.networkSession || s.host)
    RouteGameMessage(*this);
  else
    Services().network->SendToHost(Bytes());
  return true;
}

void RouteGameMessage(CNetMessage& m) {
  if (IsPlayerMessageType(m.Type())) {
    RoutePlayerMessage(m);
    return;
  }
  const MessageKind* kind = FindMessageKind(m.Type());
  const bool valid = kind != nullptr && (kind->route == nullptr || kind->route(m));
  if (m.Relative()) {
    m.SetDelivery(m.Delivery() + LogicTick() + kMessageDeliveryLead);
    m.SetRelative(false);
  }
  // What a sender wrote there is replaced: only the host's routing counts.
  const uint32_t routed = RoutingTick();
  m.SetRoutingLead(m.Delivery() > routed ? m.Delivery() - routed : 0);
  if (!valid) return;
  DispatchGameMessage(m);
  if (Session().networkSession) Services().network->SendToAll(m.Bytes());
}

void DispatchGameMessage(const CNetMessage& m) {
  const uint32_t delivery = m.Delivery();
  if (delivery != 0 && delivery != LogicTick()) {
    if (delivery > LogicTick()) {
      EventQueue().Add(kClockLogic, static_cast<int32_t>(delivery), kEventDeliverMessage, -1, &m);
      return;
    }
    NetLogF(m.Sender(), "We have received a message after we ought to have done (type %d for tick %u at tick %u). "
            "Going out of sync...", m.Type(), delivery, LogicTick());
  }
  if (const MessageKind* kind = FindMessageKind(m.Type()))
    kind->apply(m);
  else if (m.Type() != kMsgNone)
    NetLogF(m.Sender(), "Unhandled Client message (type %d)", m.Type());
}

// ---- Who may send what: the one check of each direction -------------------------

bool ClientMaySend(const CNetMessage& m, int32_t sender, int32_t peerId, const char** why, bool holdings) {
  const MessageKind* kind = FindMessageKind(m.Type());
  if (sender <= 0) return Refused(why, "the machine holds no player");
  // Once the game has its players, one that has left acts no more.
  const CPlayer* player = PlayerTable().ByNumber(sender);
  if (PlayerTable().PlayerCount() > 0 && (player == nullptr || !player->inUse))
    return Refused(why, "the player has left the game");
  if (kind == nullptr || kind->client == nullptr) return Refused(why, "the host's alone");
  // A client's action takes effect the usual lead after the host routes it;
  // it may ask for a little more, never for a tick of its own.
  if (m.Relative() != kind->relative) return Refused(why, "delivery");
  if (m.Relative() ? m.Delivery() > kMaxClientDelay : m.Delivery() != 0) return Refused(why, "delivery tick");
  return kind->client(m, Claim{sender, peerId, holdings}, why);
}

bool HostMaySend(const CNetMessage& m, bool fromHost, const char** why) {
  if (!fromHost) return Refused(why, "not from the host");
  const int32_t sender = m.Sender();
  if (sender == 0) return true;  // the host's own, its computer players' or the city's
  const MessageKind* kind = FindMessageKind(m.Type());
  if (kind == nullptr || kind->client == nullptr) return Refused(why, "the host's alone");
  return kind->client(m, Claim{sender, 0, false}, why);
}

void DispatchPlayerMessage(const CNetMessage& raw) {
  PlayerMessage m;
  if (!DecodeMessage(raw, m)) return;
  ClearPendingRequest(m);
  CPlayer* target = PlayerTable().Get(m.to.value);
  // The local player's messages, and the computer players' on the machine
  // that runs them.
  if (target != nullptr && (target == PlayerTable().Local() || (target->kind != kPlayerHuman && IsAuthority())))
    target->AddMessage(m);
}

void OnDirectPlayGameMessage(std::span<const uint8_t> bytes, int32_t fromDirectPlayId) {
  CNetMessage m;
  const char* why = "";
  const SessionState& s = Session();
  const bool host = s.networkSession && s.host;
  const int32_t sender = host ? PlayerNumberOfDirectPlayId(fromDirectPlayId) : 0;
  if (bytes.size() > static_cast<size_t>(kNetReceiveBufferSize) || !CheckNetMessage(bytes, &why) ||
      !m.Parse(bytes)) {
    // Logged, never a box: a peer sending junk must not stall the host.
    NetLogF(sender, "Dropped a bad network message (%s) from peer %d.", why, fromDirectPlayId);
    return;
  }
  if (host) {
    // A client may only act for its own player, whatever it wrote.
    ReceiveClientMessage(m, sender, fromDirectPlayId);
  } else {
    const bool fromHost = !s.networkSession || s.hostDirectPlayId == 0 || fromDirectPlayId == s.hostDirectPlayId;
    if (!HostMaySend(m, fromHost, &why)) return LogRefused(m, m.Sender(), fromDirectPlayId, why);
    DispatchGameMessage(m);
  }
}

void RouteHeldClientMessages() {
  for (int32_t sender = 1; sender <= kMaxPlayers; ++sender) RouteHeldClientMessages(sender);
}

void ForgetHeldClientMessages() {
  for (int32_t sender = 0; sender <= kMaxPlayers; ++sender) HeldMessages(sender).clear();
}

// ---- The transport's system events and chat ------------------------------------------

namespace {

bool SetupNameHeld(CPlayerTable& table, std::string_view name) {
  for (int row = 0; row < kMaxPlayers; ++row)
    if (table.SetupRow(row).kind != kPlayerEmpty && name == table.SetupRow(row).name) return true;
  return false;
}

// The name, cut to a row, or with " 2", " 3" ... after it when another row has it.
void GiveSetupName(CPlayerTable& table, std::string_view name, PlayerSetupRow& r) {
  constexpr size_t kRoom = sizeof r.name - 1;
  const std::string base(name.substr(0, std::min(name.size(), kRoom)));
  std::string chosen = base;
  for (int n = 2; SetupNameHeld(table, chosen) && n <= kMaxPlayers + 1; ++n) {
    const std::string tail = " " + std::to_string(n);
    chosen = base.substr(0, std::min(base.size(), kRoom - tail.size())) + tail;
  }
  std::fill(std::begin(r.name), std::end(r.name), '\0');
  chosen.copy(r.name, std::min(chosen.size(), kRoom));
}

}  // namespace

void OnDirectPlayPlayerCreated(int32_t id, std::string_view shortName, int32_t token) {
  const SessionState& s = Session();
  if (!s.networkSession || !s.host || s.inGame) return;
  CPlayerTable& table = PlayerTable();
  for (int row = 0; row < kMaxPlayers; ++row) {
    if (table.SetupRow(row).kind != kPlayerEmpty) continue;
    PlayerSetupRow r;
    r.kind = kPlayerHuman;
    r.directPlayId = id;
    r.character = table.FreeSetupToken(token);
    GiveSetupName(table, shortName, r);
    table.SetupRow(row) = r;
    return;
  }
}

void OnDirectPlayPlayerDestroyed(int32_t id) {
  const SessionState& s = Session();
  if (!s.networkSession || !s.host) return;
  if (!s.inGame) {
    // Still gathering: the row is free again.
    CPlayerTable& table = PlayerTable();
    for (int row = 0; row < kMaxPlayers; ++row)
      if (table.SetupRow(row).directPlayId == id) table.SetupRow(row) = PlayerSetupRow{};
    return;
  }
  const int32_t number = PlayerNumberOfDirectPlayId(id);
  if (number <= 0) return;
  // A ready barrier would otherwise wait for the departed player for ever
  // (its removal is applied only when the logic runs again).
  PlayerReadyBarrier().ready[number - 1] = 1;
  // Nor may the host wait for its snapshots.
  ForgetClientProgress(number - 1);
  Post(RemovePlayerMsg{PlayerIndex{number - 1}});
}

void OnDirectPlayWarning(int32_t id, std::string_view text) {
  const int32_t number = PlayerNumberOfDirectPlayId(id);
  const int length = static_cast<int>(std::min<size_t>(text.size(), 400));
  if (number > 0)
    NetLogF(number, "%.*s (player %d, peer %d)", length, text.data(), number, id);
  else
    NetLogF(0, "%.*s", length, text.data());
}

void OnDirectPlaySessionLost() {
  Session().sessionLost = true;
  Services().game->EndNetworkGame();
}

// ---- Status line records ----------------------------------------------------------

void AddStatusMessage(const BlockTransferMsg& m) {
  StatusRecord record;
  record.player = m.buyer;
  record.block = m.block;
  SendTickerRecord(kStatusBlockChangedHands, record);
}

void AddStatusMessage(StatusKind kind, BuildingId building, PlayerNumber owner) {
  StatusRecord record;
  record.player = owner;
  record.building = building;
  if (const CBuilding* b = GetBuilding(building.value)) {
    const CBusiness* business = GetBusinessInUse(b->GetBusiness());
    record.buildingKind = b->Kind;
    record.business = BusinessId{b->GetBusiness()};
    record.businessType = business ? business->Type : -1;
    if (b->Block) record.block = BlockId{b->Block->Index};
  }
  SendTickerRecord(kind, record);
}

void AddStatusMessage(const RemovePlayerMsg& m) {
  StatusRecord record;
  record.player = NumberOf(m.player);
  SendTickerRecord(kStatusPlayerLeft, record);
}

void AddStatusMessage(const DemolishBuildingMsg& m) {
  StatusRecord record;
  record.building = m.building;
  if (const CBuilding* b = GetBuilding(m.building.value); b && b->Block) {
    record.block = BlockId{b->Block->Index};
    record.player = PlayerNumber{int32_t(b->Block->Owner)};
  }
  SendTickerRecord(kStatusBuildingRemoved, record);
}
