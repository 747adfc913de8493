#pragma once
// Draw-distance presets: before each object group the world pass picks the
// engine's near and far culling distances for it, scaled by the player's
// detail setting, and learns whether the group is drawn at all.
#include <cstdint>

// Set once per frame from the detail percentage (0..100): 100 % gives 1.5.
extern float DetailFactor;
// The graphics options' detail choice: 0 turns the optional groups off.
extern int32_t DetailChoice;

void SetDetailFactor(float percent);

bool SetDrawRangesUnlimited();
bool SetDrawRangesShort();
bool SetDrawRangesUnlimitedIfDetail();
bool SetDrawRangesFixedIfDetail();
bool SetFarRangeMedium();
bool SetFarRangeLongIfDetail();
bool SetDetailDrawDistances();
bool SetDrawRangesLong();
bool SetDrawRangesFixed();
bool SetDrawRangesWide();
bool IsDetailOn();
bool IsDetailHigh();
