#include "platform/recording_gpu_device.h"

#include <algorithm>
#include <cstring>

namespace platform {

// ---- Shared helpers of the layer ---------------------------------------------

int32_t GpuFormatBytes(GpuFormat format) {
  switch (format) {
    case GpuFormat::X8R8G8B8:
    case GpuFormat::A8R8G8B8: return 4;
    case GpuFormat::Unknown: return 0;
    default: return 2;
  }
}

int32_t GpuVertexStride(GpuVertexLayout layout) {
  switch (layout) {
    case GpuVertexLayout::TwoTextures: return 36;
    case GpuVertexLayout::Screen: return 32;
    default: return 28;
  }
}

uint32_t GpuFloatBits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  return bits;
}

float GpuBitsFloat(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, 4);
  return value;
}

namespace {
GpuSystemFactory& Factory() {
  static GpuSystemFactory factory;
  return factory;
}
}  // namespace

GpuSystemFactory SetGpuSystemFactory(GpuSystemFactory factory) {
  GpuSystemFactory old = std::move(Factory());
  Factory() = std::move(factory);
  return old;
}

std::unique_ptr<GpuSystem> CreateGpuSystem() {
  if (Factory()) return Factory()();
  return std::make_unique<RecordingGpuSystem>();
}

// ---- Buffers and textures ------------------------------------------------------

void* RecordingBuffer::Lock(int32_t offset, int32_t bytes, uint32_t flags) {
  if (locked_ || offset < 0 || bytes < 0 || int64_t(offset) + bytes > int64_t(data_.size()))
    return nullptr;
  locked_ = true;
  GpuCallRecord r{indices_ ? GpuCall::LockIndices : GpuCall::LockVertices};
  r.a = offset;
  r.b = bytes;
  r.value = flags;
  device_->Record(std::move(r));
  return data_.data() + offset;
}

RecordingTexture::RecordingTexture(int32_t width, int32_t height, int32_t levels, GpuFormat format)
    : width_(width), height_(height), format_(format) {
  for (int32_t i = 0; i < levels; ++i) {
    int32_t w = std::max(1, width >> i), h = std::max(1, height >> i);
    levels_.emplace_back(size_t(w) * size_t(h) * size_t(GpuFormatBytes(format)));
  }
}

RecordingTexture::~RecordingTexture() {
  if (heldBytes_) *heldBytes_ -= bytes_;
}

void* RecordingTexture::Lock(int32_t level, int32_t* pitch) {
  if (level < 0 || level >= Levels()) return nullptr;
  if (pitch) *pitch = std::max(1, width_ >> level) * GpuFormatBytes(format_);
  return levels_[size_t(level)].data();
}

// ---- Device -------------------------------------------------------------------

RecordingGpuDevice::RecordingGpuDevice(const GpuPresentParams& params) : params_(params) {
  backBuffer.width = params.width;
  backBuffer.height = params.height;
  backBuffer.pitch = params.width * 4;
  backBuffer.format = GpuFormat::X8R8G8B8;
  backBuffer.pixels.reset(new uint8_t[size_t(backBuffer.pitch) * size_t(params.height)]());
  for (size_t i = 0; i < gammaRamp.size(); ++i) gammaRamp[i] = uint8_t(i);
}

std::unique_ptr<GpuBuffer> RecordingGpuDevice::CreateVertexBuffer(int32_t bytes, GpuVertexLayout) {
  if (failBuffersAfter >= 0 && buffersMade_ >= failBuffersAfter) return nullptr;
  ++buffersMade_;
  return std::make_unique<RecordingBuffer>(this, bytes, false);
}

std::unique_ptr<GpuBuffer> RecordingGpuDevice::CreateIndexBuffer(int32_t bytes) {
  if (failBuffersAfter >= 0 && buffersMade_ >= failBuffersAfter) return nullptr;
  ++buffersMade_;
  return std::make_unique<RecordingBuffer>(this, bytes, true);
}

std::unique_ptr<GpuTexture> RecordingGpuDevice::CreateTexture(int32_t width, int32_t height,
                                                              int32_t levels, GpuFormat format,
                                                              GpuPool pool) {
  if (width <= 0 || height <= 0 || GpuFormatBytes(format) == 0) return nullptr;
  if (pool == GpuPool::Device) {
    if (failTexturesAfter >= 0 && texturesMade_ >= failTexturesAfter) return nullptr;
    ++texturesMade_;
  }
  if (levels <= 0) {
    levels = 1;
    for (int32_t s = std::max(width, height); s > 1; s >>= 1) ++levels;
  }
  auto texture = std::make_unique<RecordingTexture>(width, height, levels, format);
  if (pool == GpuPool::Device) {
    const int64_t bytes = int64_t(width) * height * GpuFormatBytes(format);
    if (textureMemory >= 0 && *heldTextureBytes_ + bytes > textureMemory) return nullptr;
    *heldTextureBytes_ += bytes;
    texture->heldBytes_ = heldTextureBytes_;
    texture->bytes_ = bytes;
  }
  return texture;
}

bool RecordingGpuDevice::UpdateTexture(GpuTexture* source, GpuTexture* destination) {
  auto* s = dynamic_cast<RecordingTexture*>(source);
  auto* d = dynamic_cast<RecordingTexture*>(destination);
  if (!s || !d || s->Width() != d->Width() || s->Height() != d->Height() ||
      s->Format() != d->Format())
    return false;
  for (int32_t i = 0; i < std::min(s->Levels(), d->Levels()); ++i) d->Level(i) = s->Level(i);
  return true;
}

void RecordingGpuDevice::SetRenderState(GpuState state, uint32_t value) {
  states_[size_t(state)] = value;
  GpuCallRecord r{GpuCall::State};
  r.a = int32_t(state);
  r.value = value;
  Record(std::move(r));
}

void RecordingGpuDevice::SetStageState(int32_t stage, GpuStageState state, uint32_t value) {
  if (stage < 0 || stage >= kGpuMaxStages) return;
  stages_[size_t(stage)][size_t(state)] = value;
  GpuCallRecord r{GpuCall::StageState};
  r.a = stage;
  r.b = int32_t(state);
  r.value = value;
  Record(std::move(r));
}

void RecordingGpuDevice::SetTexture(int32_t stage, GpuTexture* texture) {
  if (stage < 0 || stage >= kGpuMaxStages) return;
  textures_[size_t(stage)] = texture;
  GpuCallRecord r{GpuCall::Texture};
  r.a = stage;
  r.texture = texture;
  Record(std::move(r));
}

void RecordingGpuDevice::SetTransform(GpuTransform which, const float* matrix) {
  std::memcpy(transforms_[size_t(which)], matrix, sizeof(float) * 16);
  GpuCallRecord r{GpuCall::Transform};
  r.a = int32_t(which);
  Record(std::move(r));
}

void RecordingGpuDevice::SetViewport(int32_t x, int32_t y, int32_t width, int32_t height, float,
                                     float) {
  GpuCallRecord r{GpuCall::Viewport};
  r.a = x + width;
  r.b = y + height;
  Record(std::move(r));
}

void RecordingGpuDevice::SetStreamSource(GpuBuffer* vertices, GpuVertexLayout layout) {
  stream_ = dynamic_cast<RecordingBuffer*>(vertices);
  layout_ = layout;
  GpuCallRecord r{GpuCall::Stream};
  r.layout = layout;
  r.a = vertices ? 1 : 0;
  Record(std::move(r));
}

void RecordingGpuDevice::SetIndices(GpuBuffer* indices, int32_t baseVertex) {
  indices_ = dynamic_cast<RecordingBuffer*>(indices);
  baseVertex_ = baseVertex;
  GpuCallRecord r{GpuCall::Indices};
  r.a = indices ? 1 : 0;
  Record(std::move(r));
}

bool RecordingGpuDevice::ValidateDevice(int32_t* passes) {
  if (passes) *passes = failValidate ? 2 : 1;
  Record(GpuCallRecord{GpuCall::Validate});
  return !failValidate;
}

bool RecordingGpuDevice::BeginScene() {
  Record(GpuCallRecord{GpuCall::BeginScene});
  return !failBeginScene;
}

bool RecordingGpuDevice::EndScene() {
  Record(GpuCallRecord{GpuCall::EndScene});
  return true;
}

void RecordingGpuDevice::Clear(uint32_t flags, uint32_t, float, uint32_t) {
  GpuCallRecord r{GpuCall::Clear};
  r.value = flags;
  Record(std::move(r));
}

void RecordingGpuDevice::CopyVertices(GpuCallRecord& record, const uint16_t* indices,
                                      int32_t count, int32_t firstVertex) {
  const int32_t stride = GpuVertexStride(layout_);
  record.layout = layout_;
  if (!stream_ || !keepCalls) return;
  for (int32_t i = 0; i < count; ++i) {
    int64_t v = indices ? int64_t(indices[i]) + baseVertex_ : int64_t(firstVertex) + i;
    int64_t at = v * stride;
    if (v < 0 || at + stride > stream_->Bytes()) continue;  // a fault the tests see as a short copy
    record.vertices.insert(record.vertices.end(), stream_->Data() + at,
                           stream_->Data() + at + stride);
  }
}

void RecordingGpuDevice::DrawIndexed(int32_t minIndex, int32_t vertexCount, int32_t startIndex,
                                     int32_t primitiveCount) {
  GpuCallRecord r{GpuCall::DrawIndexed};
  r.a = int32_t(GpuPrimitive::TriangleList);
  r.b = primitiveCount;
  r.value = uint32_t(vertexCount);
  (void)minIndex;
  if (indices_) {
    int64_t end = (int64_t(startIndex) + int64_t(primitiveCount) * 3) * 2;
    if (startIndex >= 0 && end <= indices_->Bytes())
      CopyVertices(r, reinterpret_cast<const uint16_t*>(indices_->Data()) + startIndex,
                   primitiveCount * 3, 0);
  }
  Record(std::move(r));
}

void RecordingGpuDevice::Draw(GpuPrimitive type, int32_t startVertex, int32_t primitiveCount) {
  GpuCallRecord r{GpuCall::Draw};
  r.a = int32_t(type);
  r.b = primitiveCount;
  int32_t count = type == GpuPrimitive::LineStrip     ? primitiveCount + 1
                  : type == GpuPrimitive::TriangleList ? primitiveCount * 3
                                                       : primitiveCount;
  CopyVertices(r, nullptr, count, startVertex);
  Record(std::move(r));
}

void RecordingGpuDevice::SetGammaRamp(const uint8_t* ramp) {
  for (size_t i = 0; i < gammaRamp.size(); ++i) gammaRamp[i] = ramp ? ramp[i] : uint8_t(i);
  Record(GpuCallRecord{GpuCall::GammaRamp});
}

GpuResult RecordingGpuDevice::Present() {
  Record(GpuCallRecord{GpuCall::Present});
  return lost_ == GpuResult::Ok ? GpuResult::Ok : GpuResult::DeviceLost;
}

bool RecordingGpuDevice::Reset(const GpuPresentParams& params) {
  params_ = params;
  ++resets;
  lost_ = GpuResult::Ok;
  Record(GpuCallRecord{GpuCall::Reset});
  return true;
}

void RecordingGpuDevice::GetBackBufferSize(int32_t* width, int32_t* height, GpuFormat* format) {
  if (width) *width = backBuffer.width;
  if (height) *height = backBuffer.height;
  if (format) *format = backBuffer.format;
}

bool RecordingGpuDevice::ReadBackBuffer(GpuImage& image) {
  image.width = backBuffer.width;
  image.height = backBuffer.height;
  image.pitch = backBuffer.pitch;
  image.format = backBuffer.format;
  size_t bytes = size_t(image.pitch) * size_t(image.height);
  image.pixels.reset(new uint8_t[bytes]);
  std::memcpy(image.pixels.get(), backBuffer.pixels.get(), bytes);
  return true;
}

bool RecordingGpuDevice::WriteBackBuffer(const GpuImage& image) {
  if (image.width != backBuffer.width || image.height != backBuffer.height ||
      image.format != backBuffer.format || !image.pixels)
    return false;
  for (int32_t y = 0; y < image.height; ++y)
    std::memcpy(backBuffer.pixels.get() + size_t(y) * size_t(backBuffer.pitch),
                image.pixels.get() + size_t(y) * size_t(image.pitch), size_t(image.width) * 4);
  return true;
}

std::vector<GpuCallRecord> RecordingGpuDevice::CallsOf(GpuCall kind) const {
  std::vector<GpuCallRecord> out;
  for (const GpuCallRecord& c : calls)
    if (c.call == kind) out.push_back(c);
  return out;
}

// ---- System -------------------------------------------------------------------

RecordingAdapter DefaultRecordingAdapter() {
  RecordingAdapter a;
  a.identifier = {"recording", "Recording device (draws nothing)"};
  const int32_t sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
  for (GpuFormat f : {GpuFormat::R5G6B5, GpuFormat::X8R8G8B8})
    for (auto& s : sizes) a.modes.push_back({s[0], s[1], 60, f});
  a.caps.hardwareTransform = true;
  a.caps.canRenderWindowed = true;
  a.caps.linearMipFilter = true;
  a.caps.mipLodBias = true;
  a.caps.vertexFog = a.caps.tableFog = a.caps.wFog = true;
  a.caps.maxTextureWidth = a.caps.maxTextureHeight = 4096;
  a.caps.maxTextureRepeat = 8192;
  a.caps.maxTextureBlendStages = 8;
  a.caps.maxSimultaneousTextures = 2;
  a.caps.guardBandLeft = a.caps.guardBandTop = -4096;
  a.caps.guardBandRight = a.caps.guardBandBottom = 4096;
  a.deviceTypes = {{GpuFormat::R5G6B5, GpuFormat::R5G6B5},
                   {GpuFormat::X8R8G8B8, GpuFormat::X8R8G8B8},
                   {GpuFormat::X8R8G8B8, GpuFormat::A8R8G8B8}};
  a.textureFormats = {GpuFormat::A8R8G8B8, GpuFormat::X8R8G8B8, GpuFormat::R5G6B5,
                      GpuFormat::A1R5G5B5, GpuFormat::A4R4G4B4};
  return a;
}

bool RecordingGpuSystem::GetAdapterIdentifier(int32_t adapter, GpuAdapterIdentifier& out) {
  if (adapter < 0 || adapter >= AdapterCount()) return false;
  out = adapters[size_t(adapter)].identifier;
  return true;
}

int32_t RecordingGpuSystem::ModeCount(int32_t adapter) {
  if (adapter < 0 || adapter >= AdapterCount()) return 0;
  return int32_t(adapters[size_t(adapter)].modes.size());
}

bool RecordingGpuSystem::GetMode(int32_t adapter, int32_t index, GpuDisplayMode& out) {
  if (index < 0 || index >= ModeCount(adapter)) return false;
  out = adapters[size_t(adapter)].modes[size_t(index)];
  return true;
}

bool RecordingGpuSystem::GetCurrentMode(int32_t adapter, GpuDisplayMode& out) {
  if (adapter < 0 || adapter >= AdapterCount()) return false;
  out = {1024, 768, 60, GpuFormat::X8R8G8B8};
  return true;
}

bool RecordingGpuSystem::CheckDeviceType(int32_t adapter, GpuFormat display, GpuFormat backBuffer,
                                         bool) {
  if (adapter < 0 || adapter >= AdapterCount()) return false;
  const auto& types = adapters[size_t(adapter)].deviceTypes;
  return std::find(types.begin(), types.end(), std::make_pair(display, backBuffer)) != types.end();
}

bool RecordingGpuSystem::CheckTextureFormat(int32_t adapter, GpuFormat, GpuFormat texture) {
  if (adapter < 0 || adapter >= AdapterCount()) return false;
  const auto& f = adapters[size_t(adapter)].textureFormats;
  return std::find(f.begin(), f.end(), texture) != f.end();
}

bool RecordingGpuSystem::GetCaps(int32_t adapter, GpuCaps& out) {
  if (adapter < 0 || adapter >= AdapterCount()) return false;
  out = adapters[size_t(adapter)].caps;
  return true;
}

std::unique_ptr<GpuDevice> RecordingGpuSystem::CreateDevice(int32_t adapter,
                                                            const GpuPresentParams& params,
                                                            std::string* error) {
  if (failDevice || adapter < 0 || adapter >= AdapterCount()) {
    if (error) *error = "no such adapter";
    return nullptr;
  }
  auto device = std::make_unique<RecordingGpuDevice>(params);
  device->textureMemory = textureMemory;
  device->keepCalls = keepCalls;
  lastDevice = device.get();
  return device;
}

}  // namespace platform
