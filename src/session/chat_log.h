#pragma once
// The chat log: the last lines the players typed, in the game and in the
// lobby. Local lines go to the chosen recipients and into the log; lines from
// other machines join the log when they arrive. Each line lives 20 seconds
// (1000 calls of the 50-a-second interface task). The log is no part of the
// game's shared state: it is neither saved nor checksummed.
#include <cstdint>
#include <span>
#include <string_view>

inline constexpr int kChatSlots = 11;  // the ring: at most 10 live lines
inline constexpr int kChatTextSize = 256;
inline constexpr int32_t kChatLineLife = 1000;

struct ChatLine {
  char text[kChatTextSize] = {};
  int32_t life = 0;
  int32_t player = 0;
};

class CChatLog {
 public:
  void Clear() { oldest_ = next_ = 0; }
  // Appends a line (cut to 255 characters; an empty one is dropped).
  void AddLine(int32_t player, std::string_view text);
  // The local player says something: sent to the recipient slots (all
  // players when none are given) in a network session, then added. The
  // speaker's own slot is left out of the list; a list of no one else
  // sends and adds nothing.
  void PostLine(std::string_view text, int32_t player, std::span<const int32_t> recipients);
  void Age();
  int LiveCount() const { return (next_ - oldest_ + kChatSlots) % kChatSlots; }
  // The i-th live line, oldest first.
  const ChatLine& Line(int i) const { return lines_[(oldest_ + i) % kChatSlots]; }

 private:
  ChatLine lines_[kChatSlots];
  int oldest_ = 0;
  int next_ = 0;
};

CChatLog& ChatLog();
// The transport's chat callback: the line of the player with that
// DirectPlay id (slot 0 when none has it).
void OnDirectPlayChatMessage(int32_t fromDirectPlayId, std::string_view text);
