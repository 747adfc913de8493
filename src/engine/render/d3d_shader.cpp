// Shader modes on the hardware renderer: switching, validation and the
// translation of a mode's codes into device states. Only what differs from
// the states the device already has is sent.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/render/d3d_renderer.h"
#include "engine/core/error.h"

using namespace platform;

namespace {

// Code tables; 0 marks a code with no device value.
constexpr uint32_t kCompare[8] = {0, kGpuNever, kGpuAlways, kGpuLess,
                                  kGpuLessEqual, kGpuEqual, kGpuGreaterEqual, kGpuGreater};
constexpr uint32_t kBlend[11] = {0,
                                 kGpuBlendZero,
                                 kGpuBlendOne,
                                 kGpuBlendSrcAlpha,
                                 kGpuBlendSrcColour,
                                 kGpuBlendInvSrcAlpha,
                                 kGpuBlendInvSrcColour,
                                 kGpuBlendDestAlpha,
                                 kGpuBlendDestColour,
                                 kGpuBlendInvDestAlpha,
                                 kGpuBlendInvDestColour};
constexpr uint32_t kAddress[5] = {0, kGpuWrap, kGpuClamp, kGpuBorder, kGpuMirror};
constexpr uint32_t kArg[6] = {0, kGpuArgTexture, kGpuArgCurrent, kGpuArgDiffuse, kGpuArgSpecular,
                              kGpuArgFactor};
constexpr uint32_t kColourOp[10] = {0,
                                    kGpuOpModulate,
                                    kGpuOpModulate2x,
                                    kGpuOpAddSmooth,
                                    kGpuOpAdd,
                                    kGpuOpSelectArg1,
                                    kGpuOpSelectArg2,
                                    kGpuOpBlendCurrentAlpha,
                                    kGpuOpBlendTextureAlpha,
                                    kGpuOpBlendDiffuseAlpha};

// Tables whose entry 0 is the only code without a device value.
bool Lookup(const uint32_t* table, int32_t size, int32_t code, uint32_t& out) {
  if (code <= 0 || code >= size) return false;
  out = table[code];
  return true;
}

uint32_t Filter(int32_t code) {
  return code == kFilterPoint ? kGpuFilterPoint : code == kFilterLinear ? kGpuFilterLinear : kGpuFilterNone;
}

}  // namespace

void CD3DRenderer::SetShader(int32_t index) {
  if (index != -1) {
    if (index == currentShader_) return;
    if (!table_ || index < 0 || index >= tableCount_) {
      ReportErrorF(1, "SetShader: no shader %d", index);
      return;
    }
    currentShader_ = index;
  }
  DrawBatch();
  DrawQueue();
  if (index == -1) return;
  current_ = table_[index];
  dirty_ = true;
  stageCount_ = current_.stageCount;
  if (stageCount_ == 2)
    BindVertexFormat(dev_.twoTextureVertices.get(), GpuVertexLayout::TwoTextures, false);
  else
    BindSingleTexture();
}

void CD3DRenderer::SwitchField(int32_t ShaderMode::*field, int32_t value) {
  if (current_.*field == value) return;
  SetShader(-1);
  current_.*field = value;
  dirty_ = true;
}

void CD3DRenderer::SetStageTexture(int32_t stage, int32_t page) {
  if (stage == 1) stage1Page_ = page;
}

void CD3DRenderer::BindStage(int32_t stage, int32_t page) {
  if (stage < 0 || stage > 3 || !dev_.device) return;
  if (page < -1 || page >= kMaxPageTextures) page = -1;
  if (stagePages_[stage] == page) return;
  stagePages_[stage] = page;
  dev_.device->SetTexture(stage, page >= 0 ? dev_.pageTextures[page].get() : nullptr);
  ++GetRendererStats().textureChanges;
}

void CD3DRenderer::UnbindStages() {
  for (int32_t s = 0; s < 4; ++s) BindStage(s, -1);
}

void CD3DRenderer::ApplyStates() {
  if (!dirty_ || !dev_.device) return;
  ++applications_;
  ++GetRendererStats().stateChanges;
  GpuDevice& d = *dev_.device;
  const ShaderMode c = WithFilteringLevel(current_);
  ShaderMode& a = applied_;
  auto onOff = [&](int32_t want, int32_t have, GpuState state) {
    if (want != have && want != 0) d.SetRenderState(state, want == kStateOn ? 1 : 0);
  };
  onOff(c.depthWrite, a.depthWrite, GpuState::ZWriteEnable);
  onOff(c.depthTest, a.depthTest, GpuState::ZEnable);
  onOff(c.specular, a.specular, GpuState::SpecularEnable);
  onOff(c.dither, a.dither, GpuState::DitherEnable);
  if (c.cull != a.cull && c.cull != 0) {
    if (c.cull == kCullNone) d.SetRenderState(GpuState::CullMode, kGpuCullNone);
    if (c.cull == kCullClockwise) d.SetRenderState(GpuState::CullMode, kGpuCullClockwise);
    if (c.cull == kCullCounterClockwise)
      d.SetRenderState(GpuState::CullMode, kGpuCullCounterClockwise);
  }
  if (c.fill != a.fill && c.fill != 0) {
    if (c.fill == kFillWireframe) {
      d.SetRenderState(GpuState::FillMode, kGpuFillWireframe);
    } else {
      d.SetRenderState(GpuState::FillMode, kGpuFillSolid);
      d.SetRenderState(GpuState::ShadeMode, c.fill == kFillFlat ? kGpuShadeFlat : kGpuShadeGouraud);
    }
  }
  uint32_t v = 0;
  if (c.depthCompare != a.depthCompare && c.depthCompare != 0) {
    if (Lookup(kCompare, 8, c.depthCompare, v))
      d.SetRenderState(GpuState::ZFunc, v);
    else
      ReportError(1, 0, "Unknown ZFunc compare funtion");
  }
  if (c.alphaTest != a.alphaTest && c.alphaTest != 0) {
    if (c.alphaTest == kStateOn) {
      d.SetRenderState(GpuState::AlphaTestEnable, 1);
      d.SetRenderState(GpuState::AlphaRef, uint32_t(c.alphaRef) & 0xFF);
      d.SetRenderState(GpuState::AlphaFunc, kGpuGreater);
    } else {
      d.SetRenderState(GpuState::AlphaTestEnable, 0);
    }
  }
  onOff(c.alphaBlend, a.alphaBlend, GpuState::AlphaBlendEnable);
  if (c.alphaBlend == kStateOn) {
    if (Lookup(kBlend, 11, c.srcBlend, v))
      d.SetRenderState(GpuState::SrcBlend, v);
    else
      ReportError(1, 0, "Unknown Alpha blend Source mode");
    if (Lookup(kBlend, 11, c.destBlend, v))
      d.SetRenderState(GpuState::DestBlend, v);
    else
      ReportError(1, 0, "Unknown Alpha blend Source mode");
  }
  if (c.stencil == kStateOn) {
    d.SetRenderState(GpuState::StencilEnable, 1);
    d.SetRenderState(GpuState::StencilFail, uint32_t(c.stencilFail));
    d.SetRenderState(GpuState::StencilZFail, uint32_t(c.stencilDepthFail));
    d.SetRenderState(GpuState::StencilPass, uint32_t(c.stencilPass));
    d.SetRenderState(GpuState::StencilFunc, uint32_t(c.stencilCompare));
    d.SetRenderState(GpuState::StencilRef, uint32_t(c.stencilRef));
    d.SetRenderState(GpuState::StencilMask, uint32_t(c.stencilMask));
    d.SetRenderState(GpuState::StencilWriteMask, uint32_t(c.stencilWriteMask));
  } else {
    d.SetRenderState(GpuState::StencilEnable, 0);
  }
  for (int32_t s = 0; s < kShaderStageCount; ++s) ApplyStage(s, c.stages[s], a.stages[s]);
  applied_ = c;
  dirty_ = false;
}

// Point sampling turns the world's bilinear filters to nearest texels; the
// mip-map choice stays, so distant textures keep their smaller levels (as
// the software renderer draws them). The overlay keeps the shaders' filters.
ShaderMode CD3DRenderer::WithFilteringLevel(const ShaderMode& mode) const {
  ShaderMode out = mode;
  if (filteringLevel_ != 0 || immediateEntities_) return out;
  for (ShaderStage& stage : out.stages) {
    if (stage.minFilter == kFilterLinear) stage.minFilter = kFilterPoint;
    if (stage.magFilter == kFilterLinear) stage.magFilter = kFilterPoint;
  }
  return out;
}

void CD3DRenderer::SetFilteringLevel(int32_t level) {
  const int32_t before = filteringLevel_;
  CRenderer::SetFilteringLevel(level);
  if (filteringLevel_ == before) return;
  if (dev_.device) {  // what is pending was asked for under the old filters
    DrawBatch();
    DrawQueue();
  }
  dirty_ = true;
}

void CD3DRenderer::SetGammaLevel(int32_t level) {
  CRenderer::SetGammaLevel(level);
  SendGammaRamp();
}

void CD3DRenderer::SendGammaRamp() {
  if (!dev_.device) return;
  const GammaRamp ramp = BuildGammaRamp(gammaLevel_);
  dev_.device->SetGammaRamp(ramp.data());
}

void CD3DRenderer::ApplyStage(int32_t s, const ShaderStage& w, const ShaderStage& h) {
  GpuDevice& d = *dev_.device;
  if (w.state == kStageDisabled && h.state != kStageDisabled) {
    d.SetStageState(s, GpuStageState::ColourOp, kGpuOpDisable);
    d.SetStageState(s, GpuStageState::AlphaOp, kGpuOpDisable);
    return;
  }
  d.SetStageState(s, GpuStageState::TexCoordIndex, uint32_t(s));
  if (std::memcmp(&w.mipBias, &h.mipBias, sizeof(float)) != 0)
    d.SetStageState(s, GpuStageState::MipLodBias, GpuFloatBits(w.mipBias));
  if (w.minFilter != h.minFilter && w.minFilter != 0)
    d.SetStageState(s, GpuStageState::MinFilter, Filter(w.minFilter));
  if (w.magFilter != h.magFilter && w.magFilter != 0)
    d.SetStageState(s, GpuStageState::MagFilter, Filter(w.magFilter));
  if (w.mipFilter != h.mipFilter && w.mipFilter != 0)
    d.SetStageState(s, GpuStageState::MipFilter, Filter(w.mipFilter));
  uint32_t v = 0;
  if (w.addressU != h.addressU && w.addressU != 0) {
    if (Lookup(kAddress, 5, w.addressU, v))
      d.SetStageState(s, GpuStageState::AddressU, v);
    else
      ReportError(1, 0, "Unknown Texture AddressU mode");
  }
  if (w.addressV != h.addressV && w.addressV != 0) {
    if (Lookup(kAddress, 5, w.addressV, v))
      d.SetStageState(s, GpuStageState::AddressV, v);
    else
      ReportError(1, 0, "Unknown Texture AddressV mode");
  }
  auto op = [&](int32_t want, int32_t have, GpuStageState state, bool alpha, const char* error) {
    if (want == have || want == 0 || want == 10) return;
    if (want > 10 || want < 0) {
      ReportError(1, 0, error);
      return;
    }
    uint32_t value = kColourOp[want];
    if (alpha && want == kOpAddSmooth) value = kGpuOpAddSigned;
    d.SetStageState(s, state, value);
  };
  auto arg = [&](int32_t want, int32_t have, GpuStageState state, const char* error) {
    if (want == have || want == 0) return;
    uint32_t value = 0;
    if (Lookup(kArg, 6, want, value))
      d.SetStageState(s, state, value);
    else
      ReportError(1, 0, error);
  };
  op(w.colourOp, h.colourOp, GpuStageState::ColourOp, false, "Unknown Colour Texture OP mode");
  arg(w.colourArg1, h.colourArg1, GpuStageState::ColourArg1,
      "Unknown Colour Texture Argument when setting arg1");
  arg(w.colourArg2, h.colourArg2, GpuStageState::ColourArg2,
      "Unknown Colour Texture Argument when setting arg2");
  op(w.alphaOp, h.alphaOp, GpuStageState::AlphaOp, true, "Unknown Alpha Texture OP ");
  arg(w.alphaArg1, h.alphaArg1, GpuStageState::AlphaArg1, "Unknown AlphaTexture Arg1");
  arg(w.alphaArg2, h.alphaArg2, GpuStageState::AlphaArg2, "Unknown Alpha Texture Arg2");
}

void CD3DRenderer::ValidateShader(ShaderMode* mode, int32_t index) {
  if (!mode || !dev_.device) return;
  SetShader(index);
  if (currentShader_ != index) {  // not in the table: validate the record as given
    DrawBatch();
    current_ = *mode;
    dirty_ = true;
  }
  ApplyStates();
  const int32_t stages = std::max(1, std::min(mode->stageCount, 4));
  for (int32_t s = 0; s < stages; ++s) BindStage(s, 0);
  int32_t passes = 0;
  const bool ok = dev_.device->ValidateDevice(&passes) && passes <= 1;
  mode->valid = ok ? 1 : 0;
  if (!ok) {
    char text[256];
    std::snprintf(text, sizeof(text),
                  passes > 1 ? "Can't Do Shader %s in a single pass\n"
                             : "Can't validate shader mode %s\n",
                  mode->name ? mode->name : "");
    ReportError(2, 0, text);  // logged, not shown
  }
  UnbindStages();
}

void CD3DRenderer::SetShaderTable(ShaderMode* table, int32_t count) {
  table_ = table;
  tableCount_ = table ? std::max(0, count) : 0;
  for (int32_t i = 0; i < tableCount_; ++i) ValidateShader(&table_[i], table_[i].index);
  currentShader_ = -1;
}
