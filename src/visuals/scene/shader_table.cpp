#include "visuals/scene/shader_table.h"

#include <cstring>

#include "engine/render/renderer.h"
#include "engine/core/system_settings.h"

namespace {

ShaderEntry g_Shaders[kShaderCount];

constexpr ShaderStage kStageOff = {kStageDisabled, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// Linear filters, point mips, wrapped, with the given bias and operations.
ShaderStage Stage(float bias, int32_t c1, int32_t c2, int32_t cop, int32_t a1 = 0, int32_t a2 = 0,
                  int32_t aop = 0) {
  return {2, 0, bias, kFilterLinear, kFilterLinear, kFilterPoint, kAddrWrap, kAddrWrap,
          c1, c2, cop, a1, a2, aop};
}

// The usual first stage: texture times diffuse, colour and alpha.
ShaderStage ModulateStage(float bias) {
  return Stage(bias, kArgTexture, kArgDiffuse, kOpModulate, kArgTexture, kArgDiffuse, kOpModulate);
}

void Depth(ShaderEntry& e, int32_t test, int32_t write, int32_t compare) {
  e.depthTest = test;
  e.depthWrite = write;
  e.depthCompare = compare;
}

void Blend(ShaderEntry& e, int32_t src, int32_t dest) {
  e.alphaBlend = kStateOn;
  e.srcBlend = src;
  e.destBlend = dest;
}

void OneStage(ShaderEntry& e, const ShaderStage& s0) {
  e.stageCount = 1;
  e.stages[0] = s0;
  e.stages[1] = kStageOff;
}

void TwoStages(ShaderEntry& e, const ShaderStage& s0, const ShaderStage& s1) {
  e.stageCount = 2;
  e.stages[0] = s0;
  e.stages[1] = s1;
  e.stages[2] = kStageOff;
}

// Entries 1 and 5: blended, modulated by diffuse.
void Modulate(ShaderEntry& e) {
  e.fill = kFillGouraud;
  Depth(e, kStateOn, kStateOn, kCmpLessEqual);
  e.specular = kStateOn;
  e.alphaTest = kStateOff;
  e.cull = kCullClockwise;
  Blend(e, kBlendSrcAlpha, kBlendInvSrcAlpha);
  OneStage(e, ModulateStage(-0.5f));
}

// Entries 6 and 7: the second stage blends by the current alpha.
void BlendCurrentAlpha(ShaderEntry& e) {
  e.softwareFlags = kShaderSoftNoKey;
  e.fill = kFillGouraud;
  Depth(e, kStateOn, kStateOn, kCmpLessEqual);
  e.alphaTest = kStateOff;
  e.alphaBlend = kStateOff;
  TwoStages(e, ModulateStage(-0.5f),
            Stage(0.0f, kArgTexture, kArgCurrent, kOpBlendCurrentAlpha));
}

void ZClear(ShaderEntry& e) {
  Depth(e, kStateOn, kStateOn, kCmpAlways);
  e.stageCount = 1;
  e.stages[0] = kStageOff;
}

ShaderStage WaterSecondStage() {
  return Stage(0.0f, kArgTexture, kArgCurrent, kOpModulate, kArgTexture, kArgCurrent,
               kOpModulate);
}

void Water(ShaderEntry& e, int32_t src, int32_t dest) {
  e.fill = kFillGouraud;
  Depth(e, kStateOn, kStateOn, kCmpAlways);
  Blend(e, src, dest);
  TwoStages(e, ModulateStage(0.0f), WaterSecondStage());
}

void WaterBase(ShaderEntry& e) {
  e.fill = kFillGouraud;
  Depth(e, kStateOn, kStateOn, kCmpLessEqual);
  e.alphaBlend = kStateOff;
  TwoStages(e, ModulateStage(-0.5f),
            Stage(0.0f, kArgCurrent, kArgTexture, kOpModulate, kArgCurrent, kArgTexture,
                  kOpModulate));
}

void Fill() {
  ShaderEntry* t = g_Shaders;
  ShaderEntry& e0 = t[0];
  e0.fill = kFillGouraud;
  Depth(e0, kStateOn, kStateOn, kCmpLessEqual);
  e0.specular = kStateOn;
  e0.dither = kStateOn;
  e0.alphaTest = kStateOn;
  e0.alphaRef = 128;
  e0.cull = kCullClockwise;
  e0.alphaBlend = kStateOff;
  OneStage(e0, Stage(-0.5f, kArgTexture, kArgDiffuse, kOpModulate));

  Modulate(t[1]);

  t[2] = t[0];
  t[2].alphaTest = kStateOff;
  t[2].alphaRef = 0;

  Modulate(t[3]);
  t[3].alphaBlend = kStateOff;
  t[3].srcBlend = t[3].destBlend = 0;
  t[3].alphaTest = kStateOn;
  t[3].alphaRef = 128;

  Modulate(t[4]);
  t[4].depthWrite = kStateOff;
  Blend(t[4], kBlendSrcAlpha, kBlendOne);

  Modulate(t[5]);
  BlendCurrentAlpha(t[6]);
  BlendCurrentAlpha(t[7]);
  t[7].texGen = 2;

  ShaderEntry& e8 = t[8];
  e8.fill = kFillGouraud;
  e8.depthWrite = kStateOff;
  e8.specular = kStateOff;
  e8.alphaTest = kStateOff;
  e8.cull = kCullClockwise;
  Blend(e8, kBlendDestColour, kBlendSrcAlpha);
  e8.stageCount = 1;
  e8.stages[0] = kStageOff;

  Modulate(t[9]);
  Depth(t[9], kStateOn, kStateOff, kCmpAlways);

  ShaderEntry& e10 = t[10];
  e10.fill = kFillGouraud;
  Depth(e10, kStateOn, kStateOn, kCmpLessEqual);
  e10.alphaTest = kStateOn;
  e10.alphaRef = 64;
  e10.cull = kCullNone;
  Blend(e10, kBlendOne, kBlendZero);
  OneStage(e10, Stage(-2.5f, kArgTexture, kArgDiffuse, kOpModulate, kArgTexture, 0,
                      kOpSelectArg1));

  t[11].fill = kFillWireframe;
  t[11].stageCount = 1;

  ShaderEntry& e12 = t[12];
  e12.fill = kFillGouraud;
  Depth(e12, kStateOn, kStateOff, kCmpLessEqual);
  e12.specular = kStateOff;
  e12.alphaTest = kStateOff;
  e12.cull = kCullNone;
  Blend(e12, kBlendSrcAlpha, kBlendOne);
  OneStage(e12, ModulateStage(0.0f));

  ZClear(t[13]);
  ZClear(t[14]);
  Water(t[15], kBlendOne, kBlendOne);
  Water(t[16], kBlendZero, kBlendSrcColour);

  Modulate(t[17]);
  t[17].depthWrite = kStateOff;
  Blend(t[17], kBlendOne, kBlendOne);

  Water(t[18], kBlendOne, kBlendOne);
  t[18].depthWrite = kStateOff;
  t[18].specular = kStateOff;
  t[18].alphaTest = kStateOff;

  Modulate(t[19]);
  t[19].depthWrite = kStateOff;
  t[19].specular = kStateOff;
  t[19].cull = 0;

  ShaderEntry& e20 = t[20];
  e20.fill = kFillGouraud;
  Depth(e20, kStateOn, kStateOn, kCmpAlways);
  Blend(e20, kBlendZero, kBlendSrcColour);
  OneStage(e20, ModulateStage(-0.5f));

  WaterBase(t[21]);
  WaterBase(t[22]);
  Blend(t[22], kBlendDestColour, kBlendSrcColour);
}

constexpr const char* kNames[kShaderCount] = {
    "Start of frame Shader",
    "Normal Modulate by diffuse shader",
    "Standrad No blending shader",
    "Normal Modulate by diffuse shader (but with alpha testing)",
    "Additive Blendmode",
    "Normal Modulate by diffuse shader",
    "Blend Current alpha multi texture shader",
    "Reflect environmap in based on primary texture alpha shader",
    "Combined volumetric lights shader",
    "Z buffer checks off standard shader",
    "Trees shader, No BFC, alpha test ON",
    "WIREFRAME MODE",
    "FIREWORK STUFF",
    "Z Clearing Write",
    "Z Clearing Write ( 2nd technique)",
    "Water multitexture effect",
    "Water multitexture effect2",
    "Additive Blendmode2",
    "TEST",
    "Groper smoke",
    "Water  texture effect2",
    "Water BASE mode",
    "Water BASE mode",
};

bool SetIfUsable(int32_t index, bool needsMultiTexture) {
  CRenderer* r = GetRenderer();
  if (!r) return false;
  if (needsMultiTexture && !g_RendererSettings.multiTexture) return false;
  if (!g_Shaders[index].valid) return false;
  r->SetShader(index);
  return true;
}

}  // namespace

ShaderEntry* ShaderTable() { return g_Shaders; }

void BuildShaderTable(CRenderer* renderer) {
  std::memset(g_Shaders, 0, sizeof(g_Shaders));
  Fill();
  for (int32_t i = 0; i < kShaderCount; ++i) {
    g_Shaders[i].name = kNames[i];
    g_Shaders[i].index = i;
  }
  if (renderer) renderer->ValidateShaderList(g_Shaders, kShaderCount);
}

bool SetZClearShader() { return SetIfUsable(kShaderZClear, false) || SetIfUsable(kShaderZClear2, false); }
bool SetBlendCurrentAlphaShader() { return SetIfUsable(kShaderBlendCurrentAlpha, true); }
bool SetEnvironmentReflectShader() { return SetIfUsable(kShaderEnvironmentReflect, true); }
bool SetWaterShader() { return SetIfUsable(kShaderWater, true); }
bool SetWaterShader2() { return SetIfUsable(kShaderWater2, true); }
bool SetTestShader() { return SetIfUsable(kShaderTest, true); }
