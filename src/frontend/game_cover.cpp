#include "frontend/game_cover.h"

#include "engine/core/run_state.h"
#include "session/session_state.h"
#include "visuals/frame_draw.h"

bool NetworkGameRunning() { return Session().networkSession; }

void GameCover::Cover() {
  if (!RunState().gameRunning) return;
  if (GetScreenMode() != kScreenMenu) rememberedMode_ = SetScreenMode(kScreenMenu);
  if (!NetworkGameRunning() && !holdsPause_) {
    GamePauseState().AddReason(0);
    holdsPause_ = true;
  }
}

void GameCover::Uncover() {
  if (RunState().gameRunning) SetScreenMode(rememberedMode_);
  Release();
}

void GameCover::Release() {
  if (!holdsPause_) return;
  GamePauseState().RemoveReason(0);
  holdsPause_ = false;
}
