#include "app/chat_overlay.h"

#include <cstdio>
#include <iterator>

#include "engine/files/text_bank.h"
#include "session/chat_log.h"
#include "session/player.h"
#include "session/session_state.h"
#include "ui/glyph_batcher.h"
#include "ui/ui_services.h"

namespace {

constexpr int32_t kChatFont = 3;
constexpr float kChatX = 200.0f;
constexpr float kChatY = 370.0f;
constexpr float kChatHeight = 100.0f;

// One colour per character token, bright enough over the city.
constexpr uint32_t kTokenColours[] = {0xFFFFD040, 0xFF60C0FF, 0xFFFF6060, 0xFF70E070,
                                      0xFFE080FF, 0xFFFF9830, 0xFFFFFFFF, 0xFF40E0D0};

}  // namespace

uint32_t ChatColour(int32_t character) {
  constexpr int32_t n = static_cast<int32_t>(std::size(kTokenColours));
  return kTokenColours[((character % n) + n) % n];
}

void DrawChatLog(const CChatLog& log, float x, float y, float height) {
  CTextSystem* text = Ui().text;
  const int n = log.LiveCount();
  if (text == nullptr || n == 0) return;
  SelectFont2D(kChatFont);
  const float step = height / 10.0f;
  CPlayerTable& players = PlayerTable();
  char line[kChatTextSize + kPlayerNameSize + 4];
  for (int i = 0; i < n; ++i) {
    const ChatLine& chat = log.Line(i);
    const bool known = chat.player >= 0 && chat.player < kMaxPlayers;
    const PlayerSetupRow* row = known ? &players.SetupRow(chat.player) : nullptr;
    std::snprintf(line, sizeof line, "%s: %s", row ? row->name : "", chat.text);
    uint32_t colour = ChatColour(row ? row->character : 0);
    text->DrawString(x, y + height - static_cast<float>(n - i) * step, line, &colour);
  }
}

void DrawChatOverlay() {
  if (Session().gameState == kGameStateAuction) return;
  DrawChatLog(ChatLog(), kChatX, kChatY, kChatHeight);
}
