#include "frontend/game_cover.h"

#include "engine/core/run_state.h"
#include "session/session_state.h"
#include "visuals/overlay/frame_draw.h"

void GameCover::Cover() {
  if (!RunState().gameRunning) return;
  if (GetScreenMode() != kScreenMenu) {
    rememberedMode_ = GetScreenMode();
    SetScreenMode(kScreenMenu);
  }
  // A reset (a new game, a load) may have cleared the pause it held.
  if (GamePauseState().Count(0) == 0) holdsPause_ = false;
  if (!Session().networkSession && !holdsPause_) {
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
  if (GamePauseState().Count(0) > 0) GamePauseState().RemoveReason(0);
  holdsPause_ = false;
}
