#include "visuals/overlay/tutor_figure.h"

#include <algorithm>
#include <initializer_list>

#include "engine/core/maths.h"
#include "engine/render/renderer.h"
#include "engine/scene/animation.h"
#include "engine/scene/model.h"
#include "visuals/scene/shader_table.h"

namespace {

constexpr float kDegToRadians = 3.14159265f / 180.0f;
// The money bag stands left of the time panel, level with the cash, so that
// neither it nor the coins it throws up cover the portrait or the options
// button.
constexpr Vec3 kMoneyPlace{410, 84, 1000};
constexpr float kMoneyScale = 50, kMoneyDrawScale = 20;
constexpr Vec3 kTutorPlace{250, 450, 100};
constexpr float kTutorScale = 50;
constexpr float kClearDepth = 10000;
// Where the head model meets the body (model units above the figure's
// middle); the head turns about this point.
constexpr float kTutorNeck = 0.55f;
// How far the head turns from facing the player: enough to look at a pointer
// anywhere on the screen, not so far that it shows the back of the hat.
constexpr float kMaxYaw = 50, kMaxPitch = 20;

void Place(CEntity& e, ModelLodSet* model, const Vec3& at, float scale, const Vec3& rotation) {
  e.Reset();
  if (model != nullptr) {
    if (model->handles[0] >= 0) ModSysFlipWinding(model->handles[0]);
    e.SetModel(model);
  }
  e.position = at;
  e.scale = {scale, scale, scale};
  e.rotation = rotation;
  e.flags |= kEntVisible;
}

void OnAnimDone(int32_t value1, int32_t) { OnTutorAnimDone(value1); }

void StartMoney(int32_t first, int32_t last) {
  TutorFigureState& t = TutorFigure();
  if (t.moneyAnimating) return;
  t.moneyAnimating = true;
  if (t.money.model == nullptr) return OnTutorAnimDone(kMoneyAnimDone);
  EntAnimStart(&t.money, kAnimOnceForward, OnAnimDone, kMoneyAnimDone, 0);
  EntAnimSetRange(&t.money, first, last);
}

// A quad at the far depth that clears the depth buffer under a figure, so
// the scene behind cannot cut into it.
void ClearDepth(CRenderer& r, float x1, float y1, float x2, float y2) {
  const Vec3 quad[4] = {{x1, y1, kClearDepth}, {x2, y1, kClearDepth}, {x2, y2, kClearDepth},
                        {x1, y2, kClearDepth}};
  const uint32_t colour = 0;
  r.DrawFlatQuads(quad, 1, &colour);
}

void SetRotation(const Vec3& rotation, float scale, Mat43& out) {
  MatSetRotationScale(-rotation.x * kDegToRadians, -rotation.y * kDegToRadians, rotation.z * kDegToRadians,
                      scale, scale, scale, out);
}

// Draws the entity at its place with its rotation and the given scale.
void DrawAt(CRenderer& r, CEntity& e, float scale) {
  if (e.model == nullptr) return;
  SetRotation(e.rotation, scale, e.world);
  MatSetTranslation(e.position.x, e.position.y, e.position.z, e.world);
  r.DrawEntity(&e);
}

// Draws the head turned about its neck, which stays where the body's
// (standing as `bodyRotation`) is.
void DrawHeadAt(CRenderer& r, CEntity& head, const Vec3& bodyRotation, float scale) {
  if (head.model == nullptr) return;
  Mat43 body;
  SetRotation(bodyRotation, scale, body);
  SetRotation(head.rotation, scale, head.world);
  const Vec3 neck{0, kTutorNeck, 0};
  Vec3 onBody, onHead;
  MatRotateVector(body, neck, onBody);
  MatRotateVector(head.world, neck, onHead);
  MatSetTranslation(head.position.x + onBody.x - onHead.x, head.position.y + onBody.y - onHead.y,
                    head.position.z + onBody.z - onHead.z, head.world);
  r.DrawEntity(&head);
}

// Moves v a fraction of the way to goal.
void Ease(float& v, float goal, float fraction) { v += (goal - v) * fraction; }

}  // namespace

TutorFigureState& TutorFigure() {
  static TutorFigureState state;
  return state;
}

void InitTutorFigure(ModelLodSet* head, ModelLodSet* body, ModelLodSet* money) {
  TutorFigureState& t = TutorFigure();
  Place(t.money, money, kMoneyPlace, kMoneyScale, {180, 0, 0});
  Place(t.head, head, kTutorPlace, kTutorScale, {180, 180, 0});
  Place(t.body, body, kTutorPlace, kTutorScale, {180, 180, 0});
  t.moneyAnimating = false;
  t.targetX = t.goalX = kTutorPlace.x;
  t.targetY = t.goalY = kTutorPlace.y;
  t.pitch = t.yaw = 0;
  t.ready = true;
}

void PlayMoneyGainAnimation() { StartMoney(kMoneyGainFirst, kMoneyGainLast); }
void PlayMoneyLossAnimation() { StartMoney(kMoneyLossFirst, kMoneyLossLast); }

void OnTutorAnimDone(int32_t value) {
  if (value == kMoneyAnimDone) TutorFigure().moneyAnimating = false;
  else TutorFigure().tutorVisible = value != 0;
}

void ResetTutorFigure() { SnapTutorFigure(kTutorPlace.x, kTutorPlace.y); }

void SetTutorTarget(float x, float y) {
  TutorFigure().targetX = x;
  TutorFigure().targetY = y;
}

void ReleaseTutor() {
  ResetTutorFigure();
  SetTutorTarget(TutorFigure().goalX, TutorFigure().goalY);
}

// The figure stands where the prompt panel puts it.
void SnapTutorFigure(float x, float y) {
  TutorFigureState& t = TutorFigure();
  t.goalX = x;
  t.goalY = y;
  for (CEntity* e : {&t.head, &t.body}) e->position.x = x, e->position.y = y;
}

void SetTutorVisible(bool visible) { TutorFigure().tutorVisible = visible; }

void StepTutorHead() {
  TutorFigureState& t = TutorFigure();
  if (t.tutorVisible) {
    Ease(t.pitch, 180 + std::clamp((t.targetY - t.head.position.y) / 7, -kMaxPitch, kMaxPitch), 0.5f);
    Ease(t.yaw, 180 + std::clamp((t.targetX - t.head.position.x) / 3, -kMaxYaw, kMaxYaw), 0.125f);
  } else {
    Ease(t.pitch, 180, 0.5f);
    Ease(t.yaw, 180, 0.25f);
  }
}

void DrawMoneyAnimation(CRenderer& r) {
  TutorFigureState& t = TutorFigure();
  if (!t.moneyAnimating) return;
  const Vec3& at = kMoneyPlace;
  if (SetZClearShader()) ClearDepth(r, at.x - 42, at.y - 62, at.x + 42, at.y + 8);
  r.SetShader(kShaderModulate);
  DrawAt(r, t.money, kMoneyDrawScale);
}

void DrawTutorFigure(CRenderer& r) {
  TutorFigureState& t = TutorFigure();
  StepTutorHead();
  if (!t.tutorVisible) return;
  const float x = t.head.position.x, y = t.head.position.y;
  r.SetShader(kShaderZClear);
  // Room for the hat as the head turns and tips.
  ClearDepth(r, x - 50, y - 95, x + 50, y + 70);
  r.SetShader(kShaderModulate);
  t.head.rotation = {t.pitch, t.yaw, 0};
  r.DisableFog();
  DrawAt(r, t.body, kTutorScale);
  DrawHeadAt(r, t.head, t.body.rotation, kTutorScale);
}
