#include "session/net_message.h"

#include <cstring>

#include "city/blocks.h"
#include "city/buildings.h"
#include "engine/core/error.h"
#include "session/le_bytes.h"
#include "session/session_state.h"

namespace {

constexpr int32_t kBusinessRecords = 600;
constexpr int32_t kBusinessTypes = 45;
// No game runs this many ticks (over a year at full speed).
constexpr uint32_t kMaxDeliveryTick = 0x3FFFFFFF;

struct KindInfo {
  int32_t size;
  bool relative;
};

// Index = type 0..29; player messages are handled apart.
constexpr KindInfo kKinds[30] = {
    {0, false},   // 0 never valid
    {24, false},  // 1 time skip
    {52, false},  // 2 sync snapshot
    {24, false},  // 3 new host
    {36, false},  // 4 game start
    {276, false}, // 5 lobby set-up
    {64, false},  // 6 lobby slot
    {28, false},  // 7 player ready
    {24, false},  // 8 tick grant
    {28, true},   // 9 goal result
    {24, true},   // 10 remove player
    {28, false},  // 11 lobby leave
    {28, false},  // 12 token cycle
    {60, true},   // 13 construct
    {28, true},   // 14 demolish
    {36, true},   // 15 open business
    {32, true},   // 16 buy business
    {28, true},   // 17 close business
    {28, true},   // 18 player note (ignored)
    {24, true},   // 19 buy-out
    {28, true},   // 20 block transfer
    {32, true},   // 21 take over a business
    {64, true},   // 22 business prices
    {24, true},   // 23 prepare a block
    {32, true},   // 24 play a chance card
    {0, false},   // 25 not used
    {52, true},   // 26 block to auction
    {20, true},   // 27 auction opened
    {32, false},  // 28 auction step
    {20, true},   // 29 auction result
};

enum class Width { I8, U8, I16, I32 };
struct Rule {
  int32_t type;
  int offset;
  Width width;
  int32_t min, max;
  const char* what;
};

constexpr int32_t kLastLot = kLotsPerSide - 1;
constexpr int32_t kLastBlock = kBlockCount - 1;
constexpr int32_t kLastBuilding = kBuildingPoolSize - 1;
constexpr int32_t kLastBusiness = kBusinessRecords - 1;
constexpr int32_t kLastPlayer = kMaxPlayers - 1;

constexpr Rule kRules[] = {
    {2, 20, Width::I32, 0, kLastPlayer, "player"},
    {3, 20, Width::I32, 0, kLastPlayer, "slot"},
    {6, 20, Width::U8, 0, kLastPlayer, "slot"},
    {7, 20, Width::I32, 0, kLastPlayer, "slot"},
    {7, 24, Width::U8, 0, 1, "final flag"},
    {9, 20, Width::I32, -1, kLastPlayer, "player"},
    {9, 24, Width::I32, 0, 4, "result"},
    {10, 20, Width::I32, 0, kLastPlayer, "player"},
    {11, 20, Width::I32, -1, kLastPlayer, "slot"},
    {11, 24, Width::I32, -1, kLastPlayer, "slot"},
    {12, 20, Width::I32, 0, kLastPlayer, "slot"},
    {13, 20, Width::I8, 0, kLastBlock, "block"},
    {13, 21, Width::I8, 0, kLastLot, "lot"},
    {13, 22, Width::I8, 0, kLastLot, "lot"},
    {13, 23, Width::I8, 0, kLastLot, "lot"},
    {13, 24, Width::I8, 0, kLastLot, "lot"},
    {13, 25, Width::U8, 1, 255, "floors"},
    {13, 32, Width::I32, -1, kBusinessTypes - 1, "business type"},
    {13, 36, Width::I32, 0, kBuildingKindCount - 1, "building kind"},
    {13, 41, Width::I8, 1, kMaxPlayers, "player"},
    {14, 20, Width::I8, 0, kLastPlayer, "player"},
    {14, 22, Width::I16, 0, kLastBuilding, "building"},
    {15, 20, Width::I32, 0, kLastBuilding, "building"},
    {15, 24, Width::I32, 0, kBusinessTypes - 1, "business type"},
    {15, 28, Width::I32, 1, kMaxPlayers, "player"},
    {16, 20, Width::I32, 0, kLastBuilding, "building"},
    {16, 24, Width::I32, 0, kBusinessTypes - 1, "business type"},
    {16, 28, Width::I32, 1, kMaxPlayers, "player"},
    {17, 20, Width::I32, 0, kLastBusiness, "business"},
    {17, 24, Width::I8, 0, kLastPlayer, "player"},
    {19, 20, Width::I32, 0, kLastBuilding, "building"},
    {20, 24, Width::I16, 0, kLastBlock, "block"},
    {20, 26, Width::U8, 0, kMaxPlayers, "buyer"},
    {21, 24, Width::I32, 0, kLastBusiness, "business"},
    {21, 28, Width::I8, 0, kLastPlayer, "player"},
    {22, 20, Width::I32, 0, kLastBusiness, "business"},
    {23, 20, Width::I32, 0, kLastBlock, "block"},
    {24, 24, Width::I32, 0, kLastPlayer, "player"},
    {26, 20, Width::I32, 0, kLastBlock, "block"},
    {26, 24, Width::I32, -1, kLastPlayer, "starter"},
    {28, 20, Width::I32, 0, 4, "auction step"},
};

int32_t ReadField(const uint8_t* p, Width w) {
  switch (w) {
    case Width::I8: return static_cast<int8_t>(p[0]);
    case Width::U8: return p[0];
    case Width::I16: return LoadLeI16(p);
    case Width::I32: return LoadLeI32(p);
  }
  return 0;
}

bool Terminated(const uint8_t* p, int size) { return std::memchr(p, 0, size) != nullptr; }

bool Fail(const char** why, const char* text) {
  if (why) *why = text;
  return false;
}

bool CheckKindFields(int32_t type, const uint8_t* p, const char** why) {
  for (const Rule& r : kRules) {
    if (r.type != type) continue;
    int32_t v = ReadField(p + r.offset, r.width);
    if (v < r.min || v > r.max) return Fail(why, r.what);
  }
  switch (type) {
    case kMsgLobbySetup:
      for (int i = 0; i < kMaxPlayers; ++i) {
        if (!Terminated(p + 48 + 32 * i, 32)) return Fail(why, "name");
        int8_t kind = static_cast<int8_t>(p[240 + i]);
        if (kind < -1 || kind > 2) return Fail(why, "player kind");
      }
      break;
    case kMsgLobbySlot:
      if (!Terminated(p + 21, 32)) return Fail(why, "name");
      break;
    case kMsgConstruct:
      if (static_cast<int8_t>(p[21]) > static_cast<int8_t>(p[22]) ||
          static_cast<int8_t>(p[23]) > static_cast<int8_t>(p[24]))
        return Fail(why, "lot rectangle");
      break;
    case kMsgAuction: {
      int32_t sub = LoadLeI32(p + 20), player = LoadLeI32(p + 24);
      if (sub <= 2 && (player < 0 || player > kLastPlayer)) return Fail(why, "player");
      break;
    }
    default:
      if (IsPlayerMessageType(type)) {
        int8_t from = static_cast<int8_t>(p[20]), to = static_cast<int8_t>(p[21]);
        if (from < -1 || from > kLastPlayer || to < -1 || to > kLastPlayer) return Fail(why, "player");
      }
      break;
  }
  return true;
}

}  // namespace

int32_t NetMessageSize(int32_t type) {
  if (type >= 0 && type < 30) return kKinds[type].size;
  if (IsPlayerMessageType(type)) return kPlayerMessageSize;
  return 0;
}

bool NetMessageIsRelative(int32_t type) { return type >= 0 && type < 30 && kKinds[type].relative; }

bool CheckNetMessage(std::span<const uint8_t> bytes, const char** why) {
  if (bytes.size() < static_cast<size_t>(kNetHeaderSize)) return Fail(why, "short record");
  const uint8_t* p = bytes.data();
  int32_t type = LoadLeI32(p + 4);
  int32_t size = NetMessageSize(type);
  if (size == 0) return Fail(why, "unknown type");
  if (LoadLeI32(p + 8) != size || bytes.size() != static_cast<size_t>(size)) return Fail(why, "length");
  if (p[16] > 1) return Fail(why, "relative flag");
  if (p[kNetSenderOffset] > kMaxPlayers) return Fail(why, "sender");
  // The event queue keeps delivery ticks signed, and the host adds the current
  // tick to a relative delay: a larger one would wrap to a tick already past
  // and be queued again for ever.
  if (LoadLeU32(p + 12) > kMaxDeliveryTick) return Fail(why, "delivery tick");
  return CheckKindFields(type, p, why);
}

CNetMessage::CNetMessage(int32_t type) {
  SetI32(4, type);
  SetI32(8, NetMessageSize(type));
  SetRelative(NetMessageIsRelative(type));
}

int32_t CNetMessage::I32(int offset) const {
  if (offset < 0 || offset + 4 > kMaxNetMessageSize) return 0;
  return LoadLeI32(data_ + offset);
}
int16_t CNetMessage::I16(int offset) const {
  if (offset < 0 || offset + 2 > kMaxNetMessageSize) return 0;
  return LoadLeI16(data_ + offset);
}
uint8_t CNetMessage::U8(int offset) const {
  if (offset < 0 || offset >= kMaxNetMessageSize) return 0;
  return data_[offset];
}
float CNetMessage::F32(int offset) const {
  if (offset < 0 || offset + 4 > kMaxNetMessageSize) return 0.0f;
  return LoadLeF32(data_ + offset);
}
void CNetMessage::SetI32(int offset, int32_t value) {
  if (offset >= 0 && offset + 4 <= kMaxNetMessageSize) StoreLeI32(data_ + offset, value);
}
void CNetMessage::SetI16(int offset, int16_t value) {
  if (offset >= 0 && offset + 2 <= kMaxNetMessageSize) StoreLeI16(data_ + offset, value);
}
void CNetMessage::SetU8(int offset, uint8_t value) {
  if (offset >= 0 && offset < kMaxNetMessageSize) data_[offset] = value;
}
void CNetMessage::SetF32(int offset, float value) {
  if (offset >= 0 && offset + 4 <= kMaxNetMessageSize) StoreLeF32(data_ + offset, value);
}
void CNetMessage::SetSender(int32_t number) {
  data_[kNetSenderOffset] = static_cast<uint8_t>(number >= 1 && number <= kMaxPlayers ? number : 0);
}
void CNetMessage::SetName(int offset, int size, const char* name) {
  if (offset < 0 || size <= 0 || offset + size > kMaxNetMessageSize) return;
  std::memset(data_ + offset, 0, size);
  if (name) std::strncpy(reinterpret_cast<char*>(data_ + offset), name, size - 1);
}

std::span<const uint8_t> CNetMessage::Bytes() const {
  int32_t n = Length();
  if (n < 0 || n > kMaxNetMessageSize) n = 0;
  return {data_, static_cast<size_t>(n)};
}

bool CNetMessage::Parse(std::span<const uint8_t> bytes) {
  if (!CheckNetMessage(bytes)) return false;
  std::memset(data_, 0, sizeof data_);
  std::memcpy(data_, bytes.data(), bytes.size());
  StoreLeU32(data_, 0);  // the sender's class word means nothing here
  return true;
}

// ---- Builders -----------------------------------------------------------------

CNetMessage MakeTimeSkipMessage(uint32_t seconds) {
  CNetMessage m(kMsgTimeSkip);
  m.SetU32(20, seconds);
  return m;
}

CNetMessage MakeNewHostMessage(int32_t slot) {
  CNetMessage m(kMsgNewHost);
  m.SetI32(20, slot);
  return m;
}

CNetMessage MakeGameStartMessage(int32_t seed, int32_t scenario, int32_t version) {
  CNetMessage m(kMsgGameStart);
  m.SetI32(20, seed);
  m.SetI32(24, scenario);
  m.SetI32(32, version);
  return m;
}

CNetMessage MakeReadyMessage(int32_t slot, bool final) {
  CNetMessage m(kMsgPlayerReady);
  m.SetI32(20, slot);
  m.SetU8(24, final ? 1 : 0);
  return m;
}

CNetMessage MakeTickGrantMessage(uint32_t limit) {
  CNetMessage m(kMsgTickGrant);
  m.SetU32(20, limit);
  return m;
}

CNetMessage MakeGoalMessage(int32_t player, int32_t result) {
  CNetMessage m(kMsgGoal);
  m.SetI32(20, player);
  m.SetI32(24, result);
  return m;
}

CNetMessage MakeRemovePlayerMessage(int32_t player) {
  CNetMessage m(kMsgRemovePlayer);
  m.SetI32(20, player);
  return m;
}

CNetMessage MakeLobbyLeaveMessage(int32_t slot, int32_t keepSlot) {
  CNetMessage m(kMsgLobbyLeave);
  m.SetI32(20, slot);
  m.SetI32(24, keepSlot);
  return m;
}

CNetMessage MakeTokenCycleMessage(int32_t a, int32_t b) {
  CNetMessage m(kMsgTokenCycle);
  m.SetI32(20, a);
  m.SetI32(24, b);
  return m;
}

CNetMessage MakeConstructMessage(int32_t block, int32_t x1, int32_t x2, int32_t y1, int32_t y2, int32_t floors,
                                 int32_t design, int32_t businessType, int32_t kind, int32_t quality,
                                 int32_t playerNumber, const float costParts[4]) {
  CNetMessage m(kMsgConstruct);
  m.SetI8(20, static_cast<int8_t>(block));
  m.SetI8(21, static_cast<int8_t>(x1));
  m.SetI8(22, static_cast<int8_t>(x2));
  m.SetI8(23, static_cast<int8_t>(y1));
  m.SetI8(24, static_cast<int8_t>(y2));
  m.SetU8(25, static_cast<uint8_t>(floors));
  m.SetI32(28, design);
  m.SetI32(32, businessType);
  m.SetI32(36, kind);
  m.SetU8(40, static_cast<uint8_t>(quality));
  m.SetI8(41, static_cast<int8_t>(playerNumber));
  for (int i = 0; i < 4; ++i) m.SetF32(44 + 4 * i, costParts[i]);
  return m;
}

CNetMessage MakeDemolishMessage(int32_t player, int32_t building, int32_t value) {
  CNetMessage m(kMsgDemolish);
  m.SetI8(20, static_cast<int8_t>(player));
  m.SetI16(22, static_cast<int16_t>(building));
  m.SetI32(24, value);
  return m;
}

CNetMessage MakeOpenBusinessMessage(int32_t building, int32_t businessType, int32_t playerNumber, int32_t flags) {
  CNetMessage m(kMsgOpenBusiness);
  m.SetI32(20, building);
  m.SetI32(24, businessType);
  m.SetI32(28, playerNumber);
  m.SetU8(32, static_cast<uint8_t>(flags));
  return m;
}

CNetMessage MakeBuyBusinessMessage(int32_t building, int32_t businessType, int32_t playerNumber) {
  CNetMessage m(kMsgBuyBusiness);
  m.SetI32(20, building);
  m.SetI32(24, businessType);
  m.SetI32(28, playerNumber);
  return m;
}

CNetMessage MakeCloseBusinessMessage(int32_t business, int32_t player) {
  CNetMessage m(kMsgCloseBusiness);
  m.SetI32(20, business);
  m.SetI8(24, static_cast<int8_t>(player));
  return m;
}

CNetMessage MakeBuyoutMessage(int32_t building) {
  CNetMessage m(kMsgBuyout);
  m.SetI32(20, building);
  return m;
}

CNetMessage MakeBlockTransferMessage(int32_t price, int32_t block, int32_t buyerNumber) {
  CNetMessage m(kMsgBlockTransfer);
  m.SetI32(20, price);
  m.SetI16(24, static_cast<int16_t>(block));
  m.SetU8(26, static_cast<uint8_t>(buyerNumber));
  return m;
}

CNetMessage MakeTakeOverMessage(int32_t price, int32_t business, int32_t player) {
  CNetMessage m(kMsgTakeOverBusiness);
  m.SetI32(20, price);
  m.SetI32(24, business);
  m.SetI8(28, static_cast<int8_t>(player));
  return m;
}

CNetMessage MakePrepareBlockMessage(int32_t block) {
  CNetMessage m(kMsgPrepareBlock);
  m.SetI32(20, block);
  return m;
}

CNetMessage MakePlayCardMessage(int32_t card, int32_t player, int32_t target) {
  CNetMessage m(kMsgPlayCard);
  m.SetI32(20, card);
  m.SetI32(24, player);
  m.SetI32(28, target);
  return m;
}

CNetMessage MakeStartAuctionMessage(int32_t block, int32_t starter, int32_t opening,
                                    std::span<const int32_t, 5> request) {
  CNetMessage m(kMsgStartAuction);
  m.SetI32(20, block);
  m.SetI32(24, starter);
  m.SetI32(28, opening);
  for (int i = 0; i < 5; ++i) m.SetI32(32 + 4 * i, request[i]);
  return m;
}

CNetMessage MakeAuctionMessage(int32_t subKind, int32_t player, int32_t amount) {
  CNetMessage m(kMsgAuction);
  m.SetI32(20, subKind);
  m.SetI32(24, player);
  m.SetI32(28, amount);
  return m;
}

CNetMessage MakePlayerMessage(int32_t code, int32_t sender, int32_t recipient, int32_t v1, int32_t v2, int32_t v3,
                              int32_t v4, int32_t token) {
  CNetMessage m(code);
  m.SetI8(20, static_cast<int8_t>(sender));
  m.SetI8(21, static_cast<int8_t>(recipient));
  m.SetI32(24, v1);
  m.SetI32(28, v2);
  m.SetI32(32, v3);
  m.SetI32(36, v4);
  m.SetI32(40, token);
  return m;
}
