#pragma once
// The presentation's part of the script tables: Camera (the scripted camera
// position and look-at, its two Bezier paths, the modes scripts may choose,
// the plan and city views, fly-by paths that end with FlybyEnded), the
// camera and district constants, and the picking and camera-control
// switches of the Interface table.
#include <cstdint>

#include "engine/core/maths.h"

// What Interface.EnableBlockPicking and its siblings switch. The pick task
// reads them: with picking off nothing is hovered; with block picking only
// `block` (or any block when -1) is hovered, with building picking only
// `building` (or any).
struct PickSwitches {
  bool picking = true;
  bool blockPicking = false;
  int32_t block = -1;
  bool buildingPicking = false;
  int32_t building = -1;
};
PickSwitches& ScriptPickSwitches();

// The scripted Bezier paths (Camera.SetPositionPath and SetLookatPath).
BezierCurve& ScriptPositionPath();
BezierCurve& ScriptLookatPath();

// Adds the Camera table and the Interface switches to every new script state.
void RegisterCameraScriptBindings();
