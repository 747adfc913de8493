#pragma once
// A named shader: one fixed block of render states (depth, culling, blending,
// alpha test, stencil and up to eight texture stages) in the engine's own
// value codes. The presentation builds the table of them at start-up and
// hands it to the renderer with SetShaderTable; draw passes select one by
// index with SetShader. In every switch field 0 means "leave unchanged".
#include <cstdint>

inline constexpr int32_t kShaderStageCount = 8;

// Software renderer flags (the only word the software renderer reads).
inline constexpr uint32_t kShaderSoftNoDepth = 0x3;  // either bit: no depth buffer
inline constexpr uint32_t kShaderSoftFlatDepth = 0x20;
inline constexpr uint32_t kShaderSoftNoKey = 0x100;  // ignore the transparency key
inline constexpr uint32_t kShaderSoftFloor = 0x1000;
inline constexpr uint32_t kShaderSoftSilhouette = 0x2000;

// Switch codes.
enum : int32_t { kStateUnchanged = 0, kStateOff = 1, kStateOn = 2 };
enum ShaderFill : int32_t { kFillGouraud = 1, kFillWireframe = 2, kFillFlat = 3 };
enum ShaderCompare : int32_t {
  kCmpNever = 1, kCmpAlways = 2, kCmpLess = 3, kCmpLessEqual = 4,
  kCmpEqual = 5, kCmpGreaterEqual = 6, kCmpGreater = 7,
};
enum ShaderCull : int32_t { kCullNone = 2, kCullClockwise = 3, kCullCounterClockwise = 4 };
enum ShaderBlend : int32_t {
  kBlendZero = 1, kBlendOne = 2, kBlendSrcAlpha = 3, kBlendSrcColour = 4,
  kBlendInvSrcAlpha = 5, kBlendInvSrcColour = 6, kBlendDestAlpha = 7,
  kBlendDestColour = 8, kBlendInvDestAlpha = 9, kBlendInvDestColour = 10,
};
enum ShaderFilter : int32_t { kFilterPoint = 1, kFilterLinear = 2, kFilterNone = 3 };
enum ShaderAddress : int32_t { kAddrWrap = 1, kAddrClamp = 2, kAddrBorder = 3, kAddrMirror = 4 };
enum ShaderArg : int32_t {
  kArgTexture = 1, kArgCurrent = 2, kArgDiffuse = 3, kArgSpecular = 4, kArgFactor = 5,
};
enum ShaderOp : int32_t {
  kOpModulate = 1, kOpModulate2x = 2, kOpAddSmooth = 3,  // add-signed for alpha
  kOpAdd = 4, kOpSelectArg1 = 5, kOpSelectArg2 = 6, kOpBlendCurrentAlpha = 7,
  kOpBlendTextureAlpha = 8, kOpBlendDiffuseAlpha = 9,  // 0 and 10: unchanged
};
// Stage state: 1 switches the stage off; any other value configures it.
inline constexpr int32_t kStageDisabled = 1;

struct ShaderStage {  // 14 words
  int32_t state;
  int32_t reserved;
  float mipBias;
  int32_t minFilter;
  int32_t magFilter;
  int32_t mipFilter;
  int32_t addressU;
  int32_t addressV;
  int32_t colourArg1;
  int32_t colourArg2;
  int32_t colourOp;
  int32_t alphaArg1;
  int32_t alphaArg2;
  int32_t alphaOp;
};
static_assert(sizeof(ShaderStage) == 56);

struct ShaderMode {
  const char* name;
  int32_t index;
  uint32_t softwareFlags;
  uint8_t valid;  // set by ValidateShader: 1 usable in one pass
  uint8_t pad[3];
  int32_t fill;
  int32_t depthTest;
  int32_t depthWrite;
  int32_t depthCompare;
  int32_t unused9;
  int32_t specular;
  int32_t dither;
  int32_t alphaTest;
  int32_t alphaRef;
  int32_t cull;
  int32_t alphaBlend;
  int32_t srcBlend;
  int32_t destBlend;
  int32_t unused18;
  int32_t stencil;  // 2 on, anything else off
  int32_t stencilFail;
  int32_t stencilDepthFail;
  int32_t stencilPass;
  int32_t stencilCompare;
  int32_t stencilRef;
  int32_t stencilMask;
  int32_t stencilWriteMask;
  int32_t texGen;  // 2: environment-map texture coordinates (the vertex writer's)
  int32_t stageCount;  // 1 or 2 texture coordinate sets
  ShaderStage stages[kShaderStageCount];
};
