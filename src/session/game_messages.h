#pragma once
// Every kind of game message as a typed struct. Each struct's Visit is its
// wire layout after the 20-byte header, field by field with its width and
// rule: the one place that encodes, decodes and range-checks the kind. The
// apply function of each kind sits beside the kind table in
// game_messages.cpp, named Apply<Kind>; the table gives each kind's type,
// size, relative flag, visit, apply and a sample for the tests.
//
// Posting: Post(ConstructBuildingMsg{...}) encodes the struct and sends it
// (CNetMessage::Send). Adding a kind: one struct here, one table line.
#include <cstdint>
#include <span>
#include <variant>

#include "city/business.h"
#include "city/game_ids.h"
#include "engine/core/record_visitor.h"
#include "session/net_message.h"
#include "session/player_notes.h"
#include "session/tick_driver.h"

inline constexpr int kLobbyNameSize = 32;
inline constexpr FieldRange kLot{0, kLotsPerSide - 1, "lot"};

// 1: skip scheduler time (cut scenes). The skip is a key held a moment: a
// longer one would run hours of ticks on every machine at once.
inline constexpr uint32_t kMaxTimeSkipSeconds = 10;
struct TimeSkipMsg {
  static constexpr int32_t kType = 1;
  uint32_t seconds = 0;
  template <class V> void Visit(V& v) {
    v.U32(seconds);
    v.Require(seconds <= kMaxTimeSkipSeconds, "time skip");
  }
};

// 2: CSyncSnapshot (tick_driver.h) carries its own visit.

// 3: this machine became the host.
struct NewHostMsg {
  static constexpr int32_t kType = 3;
  PlayerIndex slot;
  template <class V> void Visit(V& v) { v.I32(slot); }
};

// 4: the lobby starts the game.
struct GameStartMsg {
  static constexpr int32_t kType = 4;
  int32_t seed = 0;
  int32_t scenario = 0;
  int32_t version = 0;  // the sender's executable version
  template <class V> void Visit(V& v) {
    v.I32(seed);
    v.I32(scenario);
    v.Pad(4);
    v.I32(version);
  }
};

// Lobby slot kinds as kinds 5 and 6 carry them.
inline constexpr FieldRange kLobbySlotKind{0, 3, "slot kind"};  // human, computer, open, closed
inline constexpr FieldRange kLobbyToken{-1, 9, "token"};
inline constexpr FieldRange kLobbyReady{0, 1, "ready value"};

// 5: the host's whole lobby: every slot's id, name, token, kind and ready
// mark (tokens and kinds are signed bytes, -1 none).
struct LobbySetupMsg {
  static constexpr int32_t kType = 5;
  int32_t directPlayId[kMaxPlayers] = {-1, -1, -1, -1, -1, -1};
  char names[kMaxPlayers][kLobbyNameSize] = {};
  int8_t tokens[kMaxPlayers] = {-1, -1, -1, -1, -1, -1};
  int8_t kinds[kMaxPlayers] = {2, 2, 2, 2, 2, 2};
  int32_t ready[kMaxPlayers] = {};
  template <class V> void Visit(V& v) {
    v.Pad(4);
    for (int32_t& id : directPlayId) v.I32(id);
    for (auto& name : names) v.Text(name);
    for (int8_t& token : tokens) v.I8(token, kLobbyToken);
    for (int8_t& kind : kinds) v.I8(kind, kLobbySlotKind);
    for (int32_t& mark : ready) v.I32(mark, kLobbyReady);
  }
};

// 6: one lobby slot changed.
struct LobbySlotMsg {
  static constexpr int32_t kType = 6;
  PlayerIndex slot;
  char name[kLobbyNameSize] = {};
  int8_t token = -1;
  int8_t kind = 2;
  int32_t directPlayId = -1;
  int32_t value = 0;
  template <class V> void Visit(V& v) {
    v.I8(slot, {0, kMaxPlayers - 1, "slot"});
    v.Text(name);
    v.I8(token, kLobbyToken);
    v.I8(kind, kLobbySlotKind);
    v.Pad(1);
    v.I32(directPlayId);
    v.I32(value, kLobbyReady);
  }
};

// 7: the player-ready barrier (CReadyMessage).
struct PlayerReadyMsg {
  static constexpr int32_t kType = 7;
  PlayerIndex slot;
  bool final = false;  // the host's word that every player is ready
  template <class V> void Visit(V& v) {
    v.I32(slot);
    v.U8(final, {0, 1, "final flag"});
    v.Pad(3);
  }
};

// 8: the host lets clients run up to a tick.
struct TickGrantMsg {
  static constexpr int32_t kType = 8;
  uint32_t limit = 0;
  template <class V> void Visit(V& v) { v.U32(limit); }
};

// 9: the victory goals decided something about a player.
struct GoalResultMsg {
  static constexpr int32_t kType = 9;
  PlayerIndex player;  // -1: every player
  int32_t result = 0;
  template <class V> void Visit(V& v) {
    v.I32(player, kPlayerIndexOrCity);
    v.I32(result, {0, 4, "result"});
  }
};

// 10: a player leaves the game.
struct RemovePlayerMsg {
  static constexpr int32_t kType = 10;
  PlayerIndex player;
  template <class V> void Visit(V& v) { v.I32(player); }
};

// 11: a lobby slot leaves (-1: the host closed the lobby).
struct LobbyLeaveMsg {
  static constexpr int32_t kType = 11;
  PlayerIndex slot;
  PlayerIndex keepSlot;  // the machine that stays
  template <class V> void Visit(V& v) {
    v.I32(slot, kPlayerIndexOrCity);
    v.I32(keepSlot, kPlayerIndexOrCity);
  }
};

// 12: a client asks the host to cycle a slot's token.
struct TokenCycleMsg {
  static constexpr int32_t kType = 12;
  PlayerIndex slot;
  int32_t direction = 0;
  template <class V> void Visit(V& v) {
    v.I32(slot, {0, kMaxPlayers - 1, "slot"});
    v.I32(direction, {-1, 1, "token step"});
    v.Require(direction != 0, "token step");
  }
};

// 13: CPlayer::PostConstructBuilding.
struct ConstructBuildingMsg {
  static constexpr int32_t kType = 13;
  BlockId block;
  int32_t x1 = 0, x2 = 0, y1 = 0, y2 = 0;  // the lot rectangle, inclusive
  int32_t floors = 1;
  int32_t design = 0;
  int32_t businessType = -1;
  int32_t kind = 0;
  int32_t quality = 0;
  PlayerNumber player;
  float costParts[4] = {};  // construction, utilities, rent estimate, stock
  template <class V> void Visit(V& v) {
    v.I8(block);
    v.I8(x1, kLot);
    v.I8(x2, kLot);
    v.I8(y1, kLot);
    v.I8(y2, kLot);
    v.U8(floors, {1, 255, "floors"});
    v.Pad(2);
    v.I32(design);
    v.I32(businessType, {-1, kBusinessTypeCount - 1, "business type"});
    v.I32(kind, {0, kBuildingKindCount - 1, "building kind"});
    v.U8(quality);
    v.I8(player);
    v.Pad(2);
    for (float& part : costParts) v.F32(part);
    v.Require(x1 <= x2 && y1 <= y2, "lot rectangle");
  }
};

// 14: CPlayer::PostDemolishBuilding.
struct DemolishBuildingMsg {
  static constexpr int32_t kType = 14;
  PlayerIndex player;
  BuildingId building;
  int32_t refund = 0;  // paid to the business's owner
  template <class V> void Visit(V& v) {
    v.I8(player);
    v.Pad(1);
    v.I16(building);
    v.I32(refund);
  }
};

// 15: CPlayer::PostOpenBusiness.
struct OpenBusinessMsg {
  static constexpr int32_t kType = 15;
  BuildingId building;
  int32_t businessType = 0;
  PlayerNumber owner;
  uint8_t flags = 0;  // non-zero: opened without the set-up charge
  template <class V> void Visit(V& v) {
    v.I32(building);
    v.I32(businessType, {0, kBusinessTypeCount - 1, "business type"});
    v.I32(owner);
    v.U8(flags);
    v.Pad(3);
  }
};

// 16: CPlayer::PostBuyBusiness.
struct BuyBusinessMsg {
  static constexpr int32_t kType = 16;
  BuildingId building;
  int32_t businessType = 0;
  PlayerNumber buyer;
  template <class V> void Visit(V& v) {
    v.I32(building);
    v.I32(businessType, {0, kBusinessTypeCount - 1, "business type"});
    v.I32(buyer);
  }
};

// 17: CPlayer::PostCloseBusiness.
struct CloseBusinessMsg {
  static constexpr int32_t kType = 17;
  BusinessId business;
  PlayerIndex player;
  template <class V> void Visit(V& v) {
    v.I32(business);
    v.I8(player);
    v.Pad(3);
  }
};

// 18: a player's note; posted by nobody here and ignored.
struct PlayerNoteMsg {
  static constexpr int32_t kType = 18;
  template <class V> void Visit(V& v) { v.Pad(8); }
};

// 19: CBuilding::SendBuyoutRequest.
struct BuyoutMsg {
  static constexpr int32_t kType = 19;
  BuildingId building;
  template <class V> void Visit(V& v) { v.I32(building); }
};

// 20: a block changes hands (auction result, the city).
struct BlockTransferMsg {
  static constexpr int32_t kType = 20;
  int32_t price = 0;
  BlockId block;
  PlayerNumber buyer;  // 0: the block goes back to the city
  template <class V> void Visit(V& v) {
    v.I32(price);
    v.I16(block);
    v.U8(buyer, kPlayerNumberOrCity);
    v.Pad(1);
  }
};

// 21: a player takes over a business (posted by nothing in the game).
struct TakeOverBusinessMsg {
  static constexpr int32_t kType = 21;
  int32_t price = 0;
  BusinessId business;
  PlayerIndex player;
  template <class V> void Visit(V& v) {
    v.I32(price);
    v.I32(business);
    v.I8(player);
    v.Pad(3);
  }
};

// 22: PriceMessage (city/business.h) carries its own visit.

// 23: CBlock::SendPrepareRequest.
struct PrepareBlockMsg {
  static constexpr int32_t kType = 23;
  BlockId block;
  template <class V> void Visit(V& v) { v.I32(block); }
};

// 24: a held chance card is played.
struct PlayCardMsg {
  static constexpr int32_t kType = 24;
  int32_t card = 0;  // 0..82 (chance_cards.h)
  PlayerIndex player;
  int32_t target = 0;
  template <class V> void Visit(V& v) {
    v.I32(card, {0, 82, "chance card"});
    v.I32(player);
    v.I32(target);
  }
};

// 25: a player's choice for its chance card, or a named card dealt.
enum CardChoice : int32_t { kCardChoiceKeep = 1, kCardChoiceDiscard = 2, kCardChoiceDeal = 3 };
struct CardChoiceMsg {
  static constexpr int32_t kType = 25;
  int32_t choice = kCardChoiceKeep;
  PlayerIndex player;
  int32_t card = 0;  // 1..82 (chance_cards.h)
  template <class V> void Visit(V& v) {
    v.I32(choice, {kCardChoiceKeep, kCardChoiceDeal, "card choice"});
    v.I32(player);
    v.I32(card, {1, 82, "chance card"});
  }
};

// 26: a block goes to auction.
struct StartAuctionMsg {
  static constexpr int32_t kType = 26;
  BlockId block;
  PlayerIndex starter;  // -1: the city
  int32_t opening = 0;
  AuctionRequest request;
  template <class V> void Visit(V& v) {
    v.I32(block);
    v.I32(starter, kPlayerIndexOrCity);
    v.I32(opening);
    request.Visit(v);
  }
};

// 27: the auction screen opens.
struct OpenAuctionMsg {
  static constexpr int32_t kType = 27;
  template <class V> void Visit(V&) {}
};

// 28: a bid, pass or pull-out, or an auctioneer stage.
struct AuctionStepMsg {
  static constexpr int32_t kType = 28;
  int32_t step = 0;  // 0..2 a player's move, 3..4 the auctioneer's
  PlayerIndex player;
  int32_t amount = 0;
  template <class V> void Visit(V& v) {
    v.I32(step, {0, 4, "auction step"});
    v.I32(player, FieldRange{});
    v.I32(amount);
    v.Require(step != 3, "auction step");
    v.Require(step > 2 || (player.value >= 0 && player.value < kMaxPlayers), "player");
    v.Require(step != 4 || (player.value >= 0 && player.value <= 5), "auctioneer stage");
  }
};

// 29: the auction ends.
struct FinishAuctionMsg {
  static constexpr int32_t kType = 29;
  template <class V> void Visit(V&) {}
};

// 30..49: a player message (CPlayerTable::PostPlayerMessage); the code is
// the type and decides the record of its words.
struct PlayerMessage {
  int32_t code = kMsgFirstPlayerMessage;
  PlayerIndex from;  // -1: the city
  PlayerIndex to;    // -1: the city
  PlayerMessageBody body;
  int32_t token = -1;
  // The words as the record T; an empty T when the message carries another.
  template <class T>
  const T& As() const {
    static const T none{};
    const T* held = std::get_if<T>(&body);
    return held ? *held : none;
  }
  template <class V> void Visit(V& v) {
    v.I8(from, kPlayerIndexOrCity);
    v.I8(to, kPlayerIndexOrCity);
    v.Pad(2);
    if constexpr (V::kReading) body = PlayerMessageBodyFor(code);
    std::visit([&](auto& words) { words.Visit(v); }, body);
    v.I32(token);
    v.Pad(4);
  }
};

// ---- Encoding, decoding and posting ------------------------------------------

template <class T>
int32_t MessageTypeOf(const T& m) {
  if constexpr (requires { m.code; }) return m.code;
  else return T::kType;
}

// A message of the kind: header from the kind table, payload from the visit.
template <class T>
CNetMessage EncodeMessage(const T& m) {
  CNetMessage out(MessageTypeOf(m));
  ByteWriter payload;
  EncodeRecord(m, payload);
  out.SetPayload(payload.bytes);
  return out;
}

// Decodes and checks a message's payload into `out` (false when it is not of
// the kind or breaks a rule).
template <class T>
bool DecodeMessage(const CNetMessage& m, T& out, const char** why = nullptr) {
  if constexpr (requires { out.code; }) {
    if (!IsPlayerMessageType(m.Type())) return false;
    out.code = m.Type();
  } else if (m.Type() != T::kType) {
    return false;
  }
  return DecodeRecord(m.Payload(), out, why);
}

// Builds the message of the kind and posts it (CNetMessage::Send).
template <class T>
bool Post(const T& m, uint32_t delay = 0) {
  return EncodeMessage(m).Send(delay);
}

// ---- The kind table ---------------------------------------------------------------

// Who a client's message claims to act for: the number (1..6) of the
// client's own player and the transport id of the machine it came from.
// The host checks the payload and what the player owns and pays with
// (holdings); a client, checking what the host relayed, only the payload:
// its own city may lag the host's.
struct Claim {
  int32_t sender = 0;
  int32_t peerId = 0;
  bool holdings = false;
};

struct MessageKind {
  int32_t firstType;
  int32_t lastType;  // player messages share one entry
  int32_t size;
  bool relative;
  const char* name;
  // Decodes into a staging copy: false (with *why) when a rule is broken.
  bool (*check)(const CNetMessage&, const char** why);
  // The host's (or single player's) routing step; false: not passed on.
  bool (*route)(const CNetMessage&);
  // Applies a checked message at its delivery tick.
  void (*apply)(const CNetMessage&);
  // Whether a client may send it for its own player; null: the host's alone.
  bool (*client)(const CNetMessage&, const Claim&, const char** why);
  // One well-formed message of the kind.
  CNetMessage (*sample)();
};

// The entry for a type; null for a type that is never valid.
const MessageKind* FindMessageKind(int32_t type);
std::span<const MessageKind> MessageKinds();

// ---- Dispatch pieces the table names (message_dispatch.cpp) ----------------------

// Player messages at their delivery: queued on the target when it is the
// local player.
void DispatchPlayerMessage(const CNetMessage& message);

// Event-ticker records built from applied messages.
enum StatusKind : int32_t {
  kStatusUnset = -1,
  kStatusBlockChangedHands = 0,
  kStatusBusinessOpened = 1,
  kStatusBusinessBought = 2,
  kStatusBuildingRemoved = 3,
  kStatusPlayerLeft = 4,
};
// One status-line record: what happened, who did it (the player's number,
// 0 the city, -1 nobody) and the building, business and block it concerns
// (none where it concerns none).
struct StatusRecord {
  StatusKind kind = kStatusUnset;
  PlayerNumber player{-1};
  BuildingId building;
  int32_t buildingKind = -1;
  BusinessId business;
  int32_t businessType = -1;
  BlockId block;
};
void AddStatusMessage(const BlockTransferMsg& message);
void AddStatusMessage(StatusKind kind, BuildingId building, PlayerNumber owner);  // opened or bought
void AddStatusMessage(const DemolishBuildingMsg& message);
void AddStatusMessage(const RemovePlayerMsg& message);
