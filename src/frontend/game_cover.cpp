#include "frontend/game_cover.h"

#include "frontend/front_end.h"

namespace {
constexpr int32_t kMenuOverlay = 4;
}

void GameCover::Cover(FrontEndServices& game) {
  if (!game.GameRunning()) return;
  if (game.ScreenMode() != kMenuOverlay) {
    rememberedMode_ = game.ScreenMode();
    game.SetScreenMode(kMenuOverlay);
  }
  if (!game.NetworkGame() && !holdsPause_) {
    game.AddPause();
    holdsPause_ = true;
  }
}

void GameCover::Uncover(FrontEndServices& game) {
  if (game.GameRunning()) game.SetScreenMode(rememberedMode_);
  Release(game);
}

void GameCover::Release(FrontEndServices& game) {
  if (!holdsPause_) return;
  game.RemovePause();
  holdsPause_ = false;
}
