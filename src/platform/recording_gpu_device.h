#pragma once
// The recording form of the drawing layer: it draws nothing, keeps every
// state it is given and writes each call into a list, with a copy of the
// vertices each draw call reads. It is the headless form of the layer and the
// tests' window into what a renderer sends. A device that keeps no calls
// (the headless game's: nobody reads them) only follows the states, so a
// long run's memory stays flat.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/gpu_device.h"

namespace platform {

enum class GpuCall : int32_t {
  State, StageState, Texture, Transform, Viewport, Stream, Indices, Validate, BeginScene,
  EndScene, Clear, DrawIndexed, Draw, Present, Reset, LockVertices, LockIndices, GammaRamp,
};

struct GpuCallRecord {
  explicit GpuCallRecord(GpuCall kind) : call(kind) {}
  GpuCall call;
  int32_t a = 0;    // state, stage, transform, primitive type, lock offset ...
  int32_t b = 0;    // stage state, primitive count, lock bytes ...
  uint32_t value = 0;  // state value, lock flags, clear flags
  GpuVertexLayout layout = GpuVertexLayout::Textured;  // draws: the stream's layout
  std::vector<uint8_t> vertices;  // draws: the vertices read, in drawing order
  const void* texture = nullptr;  // Texture: the bound texture
};

class RecordingGpuDevice;

class RecordingBuffer : public GpuBuffer {
 public:
  RecordingBuffer(RecordingGpuDevice* device, int32_t bytes, bool indices)
      : device_(device), data_(size_t(bytes)), indices_(indices) {}
  int32_t Bytes() const override { return int32_t(data_.size()); }
  void* Lock(int32_t offset, int32_t bytes, uint32_t flags) override;
  void Unlock() override { locked_ = false; }
  const uint8_t* Data() const { return data_.data(); }
  bool Locked() const { return locked_; }

 private:
  RecordingGpuDevice* device_;
  std::vector<uint8_t> data_;
  bool indices_;
  bool locked_ = false;
};

class RecordingTexture : public GpuTexture {
 public:
  RecordingTexture(int32_t width, int32_t height, int32_t levels, GpuFormat format);
  ~RecordingTexture() override;
  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  int32_t Levels() const override { return int32_t(levels_.size()); }
  GpuFormat Format() const override { return format_; }
  void* Lock(int32_t level, int32_t* pitch) override;
  void Unlock(int32_t) override {}
  std::vector<uint8_t>& Level(int32_t level) { return levels_[size_t(level)]; }

 private:
  friend class RecordingGpuDevice;
  int32_t width_, height_;
  GpuFormat format_;
  std::vector<std::vector<uint8_t>> levels_;
  std::shared_ptr<int64_t> heldBytes_;  // the device's count of texture bytes held
  int64_t bytes_ = 0;
};

class RecordingGpuDevice : public GpuDevice {
 public:
  explicit RecordingGpuDevice(const GpuPresentParams& params);

  std::unique_ptr<GpuBuffer> CreateVertexBuffer(int32_t bytes, GpuVertexLayout layout) override;
  std::unique_ptr<GpuBuffer> CreateIndexBuffer(int32_t bytes) override;
  std::unique_ptr<GpuTexture> CreateTexture(int32_t width, int32_t height, int32_t levels,
                                            GpuFormat format, GpuPool pool) override;
  bool UpdateTexture(GpuTexture* source, GpuTexture* destination) override;
  int64_t AvailableTextureMemory() override { return 64 << 20; }
  void SetRenderState(GpuState state, uint32_t value) override;
  void SetStageState(int32_t stage, GpuStageState state, uint32_t value) override;
  void SetTexture(int32_t stage, GpuTexture* texture) override;
  void SetTransform(GpuTransform which, const float* matrix) override;
  void SetViewport(int32_t x, int32_t y, int32_t width, int32_t height, float minZ,
                   float maxZ) override;
  void SetStreamSource(GpuBuffer* vertices, GpuVertexLayout layout) override;
  void SetIndices(GpuBuffer* indices, int32_t baseVertex) override;
  bool ValidateDevice(int32_t* passes) override;
  bool BeginScene() override;
  bool EndScene() override;
  void Clear(uint32_t flags, uint32_t colour, float depth, uint32_t stencil) override;
  void DrawIndexed(int32_t minIndex, int32_t vertexCount, int32_t startIndex,
                   int32_t primitiveCount) override;
  void Draw(GpuPrimitive type, int32_t startVertex, int32_t primitiveCount) override;
  void SetGammaRamp(const uint8_t* ramp) override;
  GpuResult Present() override;
  GpuResult TestCooperativeLevel() override { return lost_; }
  bool Reset(const GpuPresentParams& params) override;
  void GetBackBufferSize(int32_t* width, int32_t* height, GpuFormat* format) override;
  bool ReadBackBuffer(GpuImage& image) override;
  bool WriteBackBuffer(const GpuImage& image) override;

  // What the tests look at and steer.
  std::vector<GpuCallRecord> calls;
  uint32_t State(GpuState state) const { return states_[size_t(state)]; }
  uint32_t StageValue(int32_t stage, GpuStageState state) const {
    return stages_[size_t(stage)][size_t(state)];
  }
  const float* Transform(GpuTransform which) const { return transforms_[size_t(which)]; }
  GpuTexture* BoundTexture(int32_t stage) const { return textures_[size_t(stage)]; }
  std::vector<GpuCallRecord> CallsOf(GpuCall kind) const;
  void ClearCalls() { calls.clear(); }
  void Record(GpuCallRecord record) {
    if (keepCalls) calls.push_back(std::move(record));
  }

  bool keepCalls = true;  // false: no list, no vertex copies

  bool failBeginScene = false;
  bool failValidate = false;  // every validation fails
  std::vector<std::string>* validateLog = nullptr;
  int32_t failBuffersAfter = -1;   // buffers created before failing; -1 never
  int32_t failTexturesAfter = -1;  // device textures created before failing; -1 never
  int64_t textureMemory = -1;      // device texture bytes that may be held at once; -1 any
  GpuResult lost_ = GpuResult::Ok;
  int32_t resets = 0;
  GpuImage backBuffer;  // X8R8G8B8, what WriteBackBuffer stored
  std::array<uint8_t, 256> gammaRamp{};  // the last ramp given (identity: none)

 private:
  void CopyVertices(GpuCallRecord& record, const uint16_t* indices, int32_t count,
                    int32_t firstVertex);

  uint32_t states_[size_t(GpuState::Count)] = {};
  uint32_t stages_[kGpuMaxStages][size_t(GpuStageState::Count)] = {};
  float transforms_[3][16] = {};
  std::shared_ptr<int64_t> heldTextureBytes_ = std::make_shared<int64_t>(0);
  GpuTexture* textures_[kGpuMaxStages] = {};
  RecordingBuffer* stream_ = nullptr;
  GpuVertexLayout layout_ = GpuVertexLayout::Textured;
  RecordingBuffer* indices_ = nullptr;
  int32_t baseVertex_ = 0;
  int32_t buffersMade_ = 0;
  int32_t texturesMade_ = 0;
  GpuPresentParams params_;
};

struct RecordingAdapter {
  GpuAdapterIdentifier identifier;
  std::vector<GpuDisplayMode> modes;
  GpuCaps caps;
  // Display / back-buffer pairs a hardware device accepts.
  std::vector<std::pair<GpuFormat, GpuFormat>> deviceTypes;
  std::vector<GpuFormat> textureFormats;  // available with every display format
};

// One adapter with the usual modes at 16 and 32 bits.
RecordingAdapter DefaultRecordingAdapter();

class RecordingGpuSystem : public GpuSystem {
 public:
  RecordingGpuSystem() { adapters.push_back(DefaultRecordingAdapter()); }
  int32_t AdapterCount() override { return int32_t(adapters.size()); }
  bool GetAdapterIdentifier(int32_t adapter, GpuAdapterIdentifier& out) override;
  int32_t ModeCount(int32_t adapter) override;
  bool GetMode(int32_t adapter, int32_t index, GpuDisplayMode& out) override;
  bool GetCurrentMode(int32_t adapter, GpuDisplayMode& out) override;
  bool CheckDeviceType(int32_t adapter, GpuFormat display, GpuFormat backBuffer,
                       bool windowed) override;
  bool CheckTextureFormat(int32_t adapter, GpuFormat display, GpuFormat texture) override;
  bool GetCaps(int32_t adapter, GpuCaps& out) override;
  std::unique_ptr<GpuDevice> CreateDevice(int32_t adapter, const GpuPresentParams& params,
                                          std::string* error) override;

  std::vector<RecordingAdapter> adapters;
  bool failDevice = false;
  int64_t textureMemory = -1;  // given to each device made
  bool keepCalls = true;       // given to each device made
  RecordingGpuDevice* lastDevice = nullptr;  // the device made last (owned by its caller)
};

}  // namespace platform
