#include "session/net_message.h"

#include <algorithm>
#include <cstring>

#include "engine/core/byte_io.h"
#include "session/game_messages.h"
#include "session/session_state.h"

namespace {

// No game runs this many ticks (over a year at full speed).
constexpr uint32_t kMaxDeliveryTick = 0x3FFFFFFF;

bool Fail(const char** why, const char* text) {
  if (why) *why = text;
  return false;
}

}  // namespace

int32_t NetMessageSize(int32_t type) {
  const MessageKind* kind = FindMessageKind(type);
  return kind ? kind->size : 0;
}

bool NetMessageIsRelative(int32_t type) {
  const MessageKind* kind = FindMessageKind(type);
  return kind && kind->relative;
}

bool CheckNetMessage(std::span<const uint8_t> bytes, const char** why) {
  if (bytes.size() < static_cast<size_t>(kNetHeaderSize)) return Fail(why, "short record");
  const uint8_t* p = bytes.data();
  const MessageKind* kind = FindMessageKind(LoadLeI32(p + 4));
  if (kind == nullptr) return Fail(why, "unknown type");
  if (LoadLeI32(p + 8) != kind->size || bytes.size() != static_cast<size_t>(kind->size)) return Fail(why, "length");
  if (p[16] > 1) return Fail(why, "relative flag");
  if (p[kNetSenderOffset] > kMaxPlayers) return Fail(why, "sender");
  // The event queue keeps delivery ticks signed, and the host adds the current
  // tick to a relative delay: a larger one would wrap to a tick already past
  // and be queued again for ever.
  if (LoadLeU32(p + 12) > kMaxDeliveryTick) return Fail(why, "delivery tick");
  CNetMessage staged;
  std::memcpy(staged.Data(), p, bytes.size());
  return kind->check(staged, why);
}

CNetMessage::CNetMessage(int32_t type) {
  StoreLeI32(data_ + 4, type);
  StoreLeI32(data_ + 8, NetMessageSize(type));
  SetRelative(NetMessageIsRelative(type));
}

void CNetMessage::SetSender(int32_t number) {
  data_[kNetSenderOffset] = static_cast<uint8_t>(number >= 1 && number <= kMaxPlayers ? number : 0);
}

std::span<const uint8_t> CNetMessage::Bytes() const {
  int32_t n = Length();
  if (n < 0 || n > kMaxNetMessageSize) n = 0;
  return {data_, static_cast<size_t>(n)};
}

std::span<const uint8_t> CNetMessage::Payload() const {
  std::span<const uint8_t> all = Bytes();
  return all.size() < static_cast<size_t>(kNetHeaderSize) ? all.subspan(0, 0) : all.subspan(kNetHeaderSize);
}

void CNetMessage::SetPayload(std::span<const uint8_t> payload) {
  const size_t n = std::min(payload.size(), static_cast<size_t>(kMaxNetMessageSize - kNetHeaderSize));
  if (n) std::memcpy(data_ + kNetHeaderSize, payload.data(), n);
}

bool CNetMessage::Parse(std::span<const uint8_t> bytes) {
  if (!CheckNetMessage(bytes)) return false;
  std::memset(data_, 0, sizeof data_);
  std::memcpy(data_, bytes.data(), bytes.size());
  StoreLeU32(data_, 0);  // the sender's class word means nothing here
  return true;
}
