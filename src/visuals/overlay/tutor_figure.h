#pragma once
// Two small animated models drawn over the interface: the money model that
// plays a short gain or loss animation when the local player's cash changes,
// and the tutor figure (head and body) who stands by the tutorial's prompts
// and turns his head towards what they point at. Both are placed in the
// 640 x 480 layout space.
#include <cstdint>

#include "engine/core/maths.h"
#include "engine/scene/entity.h"

class CRenderer;
struct ModelLodSet;

// Frame ranges of the money model (loss, then gain) and of the tutor's head.
inline constexpr int32_t kMoneyLossFirst = 0, kMoneyLossLast = 40;
inline constexpr int32_t kMoneyGainFirst = 41, kMoneyGainLast = 95;
inline constexpr int32_t kMoneyAnimDone = 2;

struct TutorFigureState {
  CEntity money;
  CEntity head;
  CEntity body;
  bool moneyAnimating = false;
  bool tutorVisible = false;
  float targetX = 250, targetY = 450;  // where the head looks
  float goalX = 250, goalY = 450;      // where the prompt panel wants the figure
  float pitch = 0, yaw = 0;            // the head's, degrees
  bool ready = false;                  // the models are bound
};
TutorFigureState& TutorFigure();

// Start-up, after the assets are loaded: binds the models (null: that model
// is not drawn) and sets the figures' places.
void InitTutorFigure(ModelLodSet* head, ModelLodSet* body, ModelLodSet* money);
// A running money animation is not restarted.
void PlayMoneyGainAnimation();
void PlayMoneyLossAnimation();
// Completion of an animation: value 2 ends the money animation; any other
// value shows (non-zero) or hides the tutor.
void OnTutorAnimDone(int32_t value);
// The prompt panel's calls.
void ResetTutorFigure();
void SetTutorTarget(float x, float y);
// The prompt's arrow is gone: the tutor rests and turns back to his goal.
void ReleaseTutor();
void SnapTutorFigure(float x, float y);
void SetTutorVisible(bool visible);
// One frame's easing of the head towards the target (or back when hidden).
void StepTutorHead();
// Overlay draws (each only while shown).
void DrawMoneyAnimation(CRenderer& renderer);
void DrawTutorFigure(CRenderer& renderer);
