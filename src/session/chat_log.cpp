#include "session/chat_log.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "session/player.h"
#include "session/session_services.h"
#include "session/session_state.h"

CChatLog& ChatLog() {
  static CChatLog log;
  return log;
}

void CChatLog::AddLine(int32_t player, std::string_view text) {
  if (text.empty()) return;
  ChatLine& line = lines_[next_];
  const size_t n = std::min(text.size(), static_cast<size_t>(kChatTextSize - 1));
  std::memcpy(line.text, text.data(), n);
  line.text[n] = 0;
  line.life = kChatLineLife;
  line.player = player;
  next_ = (next_ + 1) % kChatSlots;
  if (next_ == oldest_) oldest_ = (oldest_ + 1) % kChatSlots;
}

void CChatLog::PostLine(std::string_view text, int32_t player, std::span<const int32_t> recipients) {
  if (text.empty()) return;
  text = text.substr(0, kChatTextSize - 1);
  // The speaker is never one of the recipients: a list naming nobody else
  // says nothing at all.
  std::vector<int32_t> to;
  for (int32_t slot : recipients)
    if (slot >= 0 && slot < kMaxPlayers && slot != player) to.push_back(slot);
  if (!recipients.empty() && to.empty()) return;
  if (Session().networkSession) {
    SessionNetworkServices& net = *Services().network;
    if (to.empty()) net.SendChat(text, -1);
    for (int32_t slot : to) net.SendChat(text, slot);
  }
  AddLine(player, text);
}

void CChatLog::Age() {
  for (int i = oldest_; i != next_; i = (i + 1) % kChatSlots)
    if (--lines_[i].life <= 0 && i == oldest_) oldest_ = (oldest_ + 1) % kChatSlots;
}

void OnDirectPlayChatMessage(int32_t fromDirectPlayId, std::string_view text) {
  int32_t slot = 0;
  CPlayerTable& table = PlayerTable();
  // In the lobby no player exists yet: the rows name the speakers.
  const bool lobby = table.PlayerCount() == 0;
  for (int32_t i = 0; i < kMaxPlayers; ++i)
    if ((lobby ? table.SetupRow(i).kind != kPlayerEmpty : table.Get(i) != nullptr) &&
        table.SetupRow(i).directPlayId == fromDirectPlayId) {
      slot = i;
      break;
    }
  ChatLog().AddLine(slot, text);
}
