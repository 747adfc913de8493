#pragma once
// The named shaders: the fixed table of 23 render-state blocks every draw
// pass selects from by index, built once at start-up and validated by the
// renderer, and the wrappers that fall back when an entry is unusable or
// multi-texturing is switched off.
#include <cstdint>

#include "engine/render/shader_mode.h"

class CRenderer;

inline constexpr int32_t kShaderCount = 23;

enum ShaderIndex : int32_t {
  kShaderStartOfFrame = 0,
  kShaderModulate = 1,
  kShaderNoBlend = 2,
  kShaderModulateAlphaTest = 3,
  kShaderAdditive = 4,
  kShaderModulate2 = 5,
  kShaderBlendCurrentAlpha = 6,
  kShaderEnvironmentReflect = 7,
  kShaderVolumetricLights = 8,
  kShaderNoDepth = 9,
  kShaderTrees = 10,
  kShaderWireframe = 11,
  kShaderFireworks = 12,
  kShaderZClear = 13,
  kShaderZClear2 = 14,
  kShaderWater = 15,
  kShaderWater2 = 16,
  kShaderAdditive2 = 17,
  kShaderTest = 18,
  kShaderSmoke = 19,
  kShaderWaterSingle = 20,
  kShaderWaterBase = 21,
  kShaderWaterBaseBlend = 22,
};

using ShaderEntry = ShaderMode;

// The program's table (filled by BuildShaderTable).
ShaderEntry* ShaderTable();
// Clears and fills the 23 entries and hands them to the renderer, which
// validates each (a null renderer leaves them unvalidated).
void BuildShaderTable(CRenderer* renderer);

// Each returns true when it set a shader on the program's renderer.
bool SetZClearShader();
bool SetBlendCurrentAlphaShader();
bool SetEnvironmentReflectShader();
bool SetWaterShader();
bool SetWaterShader2();
bool SetTestShader();
