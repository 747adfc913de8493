#include "visuals/scene/draw_distances.h"

#include "engine/scene/entity.h"

float DetailFactor = 1.0f;
int32_t DetailChoice = 2;

namespace {

void Near(float x) { EntSetCullDistance(kCullLod, x); }
void Far(float x) { EntSetCullDistance(kCullFar, x); }
void Both(float nearValue, float farValue) {
  Near(nearValue);
  Far(farValue);
}

}  // namespace

void SetDetailFactor(float percent) {
  float f = percent * 0.01f;
  if (f > 0.5f) f = (f - 0.5f) * 2.0f + 0.5f;
  DetailFactor = f;
}

bool SetDrawRangesUnlimited() {
  Both(999999.0f, 999999.0f);
  return true;
}

bool SetDrawRangesShort() {
  Both(DetailFactor * 100.0f + 50.0f, DetailFactor * 300.0f + 80.0f);
  return true;
}

bool SetDrawRangesUnlimitedIfDetail() {
  Both(999999.0f, 999999.0f);
  return DetailChoice != 0;
}

bool SetDrawRangesFixedIfDetail() {
  if (DetailChoice == 0) return false;
  Both(150.0f, 100000000.0f);
  return true;
}

bool SetFarRangeMedium() {
  Far(DetailFactor * 300.0f + 120.0f);
  return true;
}

bool SetFarRangeLongIfDetail() {
  if (DetailChoice == 0) return false;
  Far(DetailFactor * 800.0f + 80.0f);
  return true;
}

bool SetDetailDrawDistances() {
  const float n = DetailFactor * 200.0f + 200.0f;
  Both(n, DetailFactor * 500.0f + n + 300.0f);
  return true;
}

bool SetDrawRangesLong() {
  Both(DetailFactor * 300.0f + 120.0f, DetailFactor * 800.0f + 240.0f);
  return true;
}

bool SetDrawRangesFixed() {
  Both(200.0f, 6000.0f);
  return true;
}

bool SetDrawRangesWide() {
  Both(50000.0f, 50000.0f);
  return true;
}

bool IsDetailOn() { return DetailChoice != 0; }
bool IsDetailHigh() { return DetailChoice == 2; }
