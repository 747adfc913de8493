#pragma once
// What the pages that open over a running game (the in-game menu, the
// statistics page) do to it: show the menu overlay, remembering the screen
// mode it covered, and pause a single-player game. A network game keeps
// running under them.
#include <cstdint>

class GameCover {
 public:
  // With a game running: remembers the screen mode unless the menu overlay is
  // up already, shows the overlay, and outside a network game holds one pause
  // (however often the page is opened again before it is uncovered).
  void Cover();
  // Back to the remembered screen mode and lets go of the pause it holds.
  void Uncover();
  // Lets go of the pause without touching the screen mode (the game ends).
  void Release();
  bool HoldsPause() const { return holdsPause_; }
  int32_t RememberedMode() const { return rememberedMode_; }

 private:
  int32_t rememberedMode_ = 0;
  bool holdsPause_ = false;
};
