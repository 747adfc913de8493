#pragma once
// Game messages: every change that must come out the same on all machines is
// a CNetMessage, built by one function per kind, checked, stamped with its
// delivery tick and applied by the dispatcher at that tick on every machine.
//
// A message is one little-endian record: 20-byte header (class word, always
// written 0 and never read; type; length; delivery tick; relative flag;
// sender; the routing lead), then the kind's payload as its struct's visit
// lays it out (game_messages.h).
//
// The routing lead is the 16-bit count of ticks from the host's routing of
// the message to its delivery (0 when unknown), written by the host as it
// routes: with it every machine knows which of its queued messages the host
// had routed by a given tick, so a client's save leaves out what the host,
// running ahead, routed after the tick saved.
//
// The sender byte is the number (1..6, 0 none) of the player the message acts
// for. A poster on this machine sets it; the host overwrites it on every
// message a client sends with the player of the machine it came from, and
// every machine applies the message with the same sender. What the payload
// names (players, blocks, amounts) is tied to that sender by the kind
// table's client rules (ClientMaySend below), so no machine can act for
// another's player.
#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>

#include "engine/core/byte_io.h"

inline constexpr int kNetHeaderSize = 20;
inline constexpr int kMaxNetMessageSize = 276;   // the largest kind (lobby set-up)
inline constexpr int kNetReceiveBufferSize = 1024;
inline constexpr int kPlayerMessageSize = 48;
inline constexpr int kNetSenderOffset = 17;
inline constexpr int kNetRoutingLeadOffset = 18;

// Types 1..29 are the game message kinds, each numbered by its struct's kType
// (game_messages.h); 30..49 are player messages. Every number up to
// kMsgLastType is taken: a new kind takes the next one and raises it (the
// kind table refuses to build a kind beyond it).
inline constexpr int32_t kMsgNone = 0;
inline constexpr int32_t kMsgFirstPlayerMessage = 30;
inline constexpr int32_t kMsgLastPlayerMessage = 49;
inline constexpr int32_t kMsgLastType = 49;

// Player message codes (types 30..49).
enum PlayerMessageCode : int32_t {
  PLAYER_MESS_BLOCK_SALE = 31,
  PLAYER_MESS_BUY_REQUEST = 32,
  PLAYER_MESS_BUY_ACCEPTED = 33,
  PLAYER_MESS_REFUSED = 35,
  PLAYER_MESS_AUCTION_BEGINS = 36,
  PLAYER_MESS_AUCTION_OVER = 37,
  PLAYER_MESS_PURCHASE_SETTLED = 38,
  PLAYER_MESS_AUCTION_ENDED = 39,
  PLAYER_MESS_DEBT_WARNING = 40,
  PLAYER_MESS_OUT_OF_DEBT = 41,
  PLAYER_MESS_REMOVED = 42,
  PLAYER_MESS_BOUGHT_OUT = 43,
  PLAYER_MESS_BUSINESS_JOINS = 44,
  PLAYER_MESS_CONSTRUCTION_REFUSED = 45,
  PLAYER_MESS_CARD_REQUEST = 46,
  PLAYER_MESS_CARD_DEAL = 47,
  PLAYER_MESS_CARD_HELD = 48,
  PLAYER_MESS_CARD_DISCARD = 49,
};

// The fixed length of a kind (kind table); 0 for a type that is never valid.
int32_t NetMessageSize(int32_t type);
// Whether a kind is posted with the relative flag (delivery 25 ticks on).
bool NetMessageIsRelative(int32_t type);
inline bool IsPlayerMessageType(int32_t type) {
  return type >= kMsgFirstPlayerMessage && type <= kMsgLastPlayerMessage;
}

// One game message as it travels and is queued and saved: the header and the
// payload bytes. Its payload is written and read only through the kind's
// struct (game_messages.h: EncodeMessage, DecodeMessage, Post).
class CNetMessage {
 public:
  CNetMessage() = default;
  // A zeroed message of the kind, its length and relative flag set.
  explicit CNetMessage(int32_t type);

  int32_t Type() const { return LoadLeI32(data_ + 4); }
  int32_t Length() const { return LoadLeI32(data_ + 8); }
  uint32_t Delivery() const { return LoadLeU32(data_ + 12); }
  bool Relative() const { return data_[16] != 0; }
  void SetDelivery(uint32_t tick) { StoreLeU32(data_ + 12, tick); }
  void SetRelative(bool relative) { data_[16] = relative ? 1 : 0; }
  // The player number the message acts for (1..6), 0 when none.
  int32_t Sender() const { return data_[kNetSenderOffset]; }
  void SetSender(int32_t number);
  // The ticks from the host's routing to the delivery (0 when unknown).
  uint32_t RoutingLead() const { return LoadLeU16(data_ + kNetRoutingLeadOffset); }
  void SetRoutingLead(uint32_t ticks) {
    StoreLeU16(data_ + kNetRoutingLeadOffset, static_cast<uint16_t>(ticks <= 0xFFFF ? ticks : 0));
  }
  // The logic tick at which the host routed the message, 0 when unknown.
  uint32_t RoutedAt() const {
    const uint32_t lead = RoutingLead();
    return lead != 0 && lead <= Delivery() ? Delivery() - lead : 0;
  }

  // The kind's fixed length.
  int32_t GetSize() const { return NetMessageSize(Type()); }
  // Posts the message: length from GetSize, delivery field = delay. Without a
  // session or on the host it is routed here; on a client it goes to the host.
  // False when the message fails its checks (it is then dropped with a warning).
  bool Send(uint32_t delay = 0);

  // The record as sent or saved (Length() bytes, within the capacity).
  std::span<const uint8_t> Bytes() const;
  // The bytes after the header (the kind's struct).
  std::span<const uint8_t> Payload() const;
  // Copies an encoded payload behind the header (cut to the capacity).
  void SetPayload(std::span<const uint8_t> payload);
  uint8_t* Data() { return data_; }

  // Takes a received or loaded record: true when it passes every check
  // (CheckNetMessage); otherwise the message is left unchanged.
  bool Parse(std::span<const uint8_t> bytes);

  // As the last field of a saved record: the whole message, checked.
  template <class V>
  void Visit(V& v) {
    if constexpr (V::kReading) {
      uint8_t bytes[kMaxNetMessageSize];
      const size_t n = std::min(v.Remaining(), sizeof bytes);
      v.Bytes(bytes, n);
      v.Require(n > 0 && Parse(std::span<const uint8_t>(bytes, n)), "game message");
    } else {
      v.Bytes(data_, Bytes().size());
    }
  }

 private:
  uint8_t data_[kMaxNetMessageSize] = {};
};

// Checks a record: a known type, a length field equal to the record's size and
// the kind's size, the header's flags and delivery tick, then the kind's own
// rules by decoding it into a staging copy. On failure *why (when given) names
// the fault.
bool CheckNetMessage(std::span<const uint8_t> bytes, const char** why = nullptr);

// ---- Routing and dispatch --------------------------------------------------

// Host or single-player routing (also for messages received from clients).
void RouteGameMessage(CNetMessage& message);
// Applies a message on this machine, or defers it to its delivery tick.
void DispatchGameMessage(const CNetMessage& message);
// A message received from the network: checked, then routed (host) or
// dispatched (client). A bad record is dropped with a warning. On the host the
// sender byte becomes the player whose set-up row holds the DirectPlay id the
// transport received it from (0 when none).
void OnDirectPlayGameMessage(std::span<const uint8_t> bytes, int32_t fromDirectPlayId = 0);
// Host, each logic tick: a client's message refused on arrival is looked at
// again until the host has reached the ticks that client could have run
// (see message_dispatch.cpp); level start forgets them.
void RouteHeldClientMessages();
void ForgetHeldClientMessages();
// The host, before routing what a client sent: whether the client's player
// (number `sender`, 0 when the peer holds none; `peerId` its machine) may
// send it, acting only for itself, on what it holds and with its own money.
// The kind table says which kinds a client may send and checks each. Without
// `holdings`, only what does not depend on what the game holds now.
bool ClientMaySend(const CNetMessage& message, int32_t sender, int32_t peerId, const char** why,
                   bool holdings = true);
// A client, on a message received: it comes from the host, and when it acts
// for a client's player it is one that player may send (payload only).
bool HostMaySend(const CNetMessage& message, bool fromHost, const char** why);
// The most a client's action may ask to be put off, in ticks (an hour).
inline constexpr uint32_t kMaxClientDelay = 625;

// The transport's own events. A player created on the host takes the first
// free set-up row (a human named as the transport says); a player destroyed
// leaves the game at one tick on every machine (the host posts the removal);
// a lost session ends the network game on this machine. Each row gets a token
// no other row holds (`token` when it is free) and a name no other row has
// (a number after a name already taken), so the players can be told apart.
void OnDirectPlayPlayerCreated(int32_t directPlayId, std::string_view shortName, int32_t token = -1);
void OnDirectPlayPlayerDestroyed(int32_t directPlayId);
void OnDirectPlaySessionLost();
// Chat: the text goes to the chat log with the sender's slot (0 when unknown).
void OnDirectPlayChatMessage(int32_t fromDirectPlayId, std::string_view text);
// What the transport dropped or refused, about the machine `fromDirectPlayId`
// (0: none): a console line under that player's rate of lines, as the
// game's own refusals are, since a peer can make the transport warn for
// every packet it sends.
void OnDirectPlayWarning(int32_t fromDirectPlayId, std::string_view text);
