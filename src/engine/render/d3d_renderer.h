#pragma once
// The hardware renderer: CRenderer on the drawing layer (platform/gpu_device.h).
// Everything it draws goes through one pair of dynamic buffers; runs of
// geometry on one texture page are drawn with one indexed call when the page,
// a state or the buffers change. Entities are queued per page and drawn page
// by page, opaque pages first, when the queue is flushed.
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/render/d3d_device.h"
#include "engine/core/maths.h"
#include "engine/render/renderer.h"
#include "engine/render/shader_mode.h"

struct CModel;
struct ModelPrimitive;

// Light direction last given to SetLightRamps.
extern Vec3 g_LightDirection;
// The view window (fractions of the view) the projections use.
struct ViewWindow {
  float left, right, bottom, top;
};
extern ViewWindow g_ViewWindow;
// Copies of the hardware renderer's view matrix and projection scale terms.
extern float g_D3DViewMatrix[16];
extern float g_D3DProjectionScale[2];

inline constexpr int32_t kMaxDrawRecords = 511;
inline constexpr int32_t kDrawQueueFlushAt = 510;

class CD3DRenderer : public CRenderer {
 public:
  CD3DRenderer();
  ~CD3DRenderer() override;

  bool Open(void* window, void* deviceContext, RendererSettings* settings) override;
  void Close() override;
  void SetFieldOfView(float degrees) override;
  void SetDepthRange(float nearPlane, float farPlane) override;
  void GetCaps(RendererCaps* caps) override;
  bool Activate() override { return true; }
  bool CheckDisplayMode(int32_t, int32_t, int32_t) override { return true; }
  const char* GetName() override { return nullptr; }
  const char* GetVendor() override { return nullptr; }
  const char* GetVersion() override { return nullptr; }
  const char* GetDescription() override { return nullptr; }
  int32_t GetTriangleCount() override;
  const char* GetStatusText() override { return nullptr; }

  void Present() override;
  void Clear() override;
  void SetClearFlags(bool colour, bool depth) override;
  void LockBackBuffer(void** pixels, int32_t* width, int32_t* height, int32_t* pitch,
                      BackBufferFormat* format) override;
  void UnlockBackBuffer() override;
  bool BeginFrame() override;
  void EndFrame() override;
  void Begin2D() override;
  void BeginOverlay() override;
  void EndOverlay() override;

  void SetCameraPosition(float x, float y, float z) override { camPos_ = {x, y, z}; }
  void SetCameraTarget(float x, float y, float z) override { camTarget_ = {x, y, z}; }
  void SetCameraUp(float x, float y, float z) override { camUp_ = {x, y, z}; }
  void UpdateViewVolume() override;
  void ApplyCamera() override;
  void ApplyProjection() override;
  ViewPitch* GetViewPitch(ViewPitch* out) override;
  void SetViewOffset(float x, float y, float z) override;

  void EnableLighting() override { lighting_ = true; }
  void DisableLighting() override { lighting_ = false; }
  void SetLightRamps(uint32_t diffuse, uint32_t ambient, uint32_t rampStep, uint32_t rampBase,
                     int32_t unused1, float overbrightScale, float lightX, float lightY,
                     float lightZ, int32_t unused2) override;
  void DisableFog() override;
  void SetFog(uint32_t colour, float start, float end, float unused) override;

  void EnableDepthTest() override { SwitchField(&ShaderMode::depthTest, kStateOn); }
  void DisableDepthTest() override { SwitchField(&ShaderMode::depthTest, kStateOff); }
  void EnableDepthWrite() override { SwitchField(&ShaderMode::depthWrite, kStateOn); }
  void DisableDepthWrite() override { SwitchField(&ShaderMode::depthWrite, kStateOff); }
  void CullClockwise() override { SwitchField(&ShaderMode::cull, kCullClockwise); }
  void DisableCulling() override { SwitchField(&ShaderMode::cull, kCullNone); }
  void ValidateShader(ShaderMode* mode, int32_t index) override;
  void SetShaderTable(ShaderMode* table, int32_t count) override;
  void SetShader(int32_t index) override;
  void SetStageTexture(int32_t stage, int32_t page) override;

  void BeginPolyline(int32_t mode) override;
  void EndPolyline() override {}
  void DrawPolyline(int32_t count, const PolylinePoint* points) override;

  void DrawEntity(CEntity* entity) override;
  bool BeginDepthPrepass() override;
  void EndDepthPrepass() override;
  void SetDrawBehindAll(bool on) override;
  void DrawTexturedPolygon(const Vec3* corners, int32_t cornerCount, const TexCoord* coords,
                           int32_t page) override;
  void DrawTexturedQuadsShaded(const Vec3* quads, int32_t count, const TexCoord* coords,
                               int32_t page, const uint32_t* colours) override;
  void DrawTexturedQuads(const Vec3* quads, int32_t count, const TexCoord* coords,
                         int32_t page) override;
  void DrawEditorFaces(const Vec3*, int32_t, const TexCoord*, int32_t, int32_t) override {}
  void DrawTexturedQuadsTinted(const Vec3* quads, int32_t count, const TexCoord* coords,
                               int32_t page, const uint32_t* colours) override;
  void DrawTexturedQuadsColoured(const Vec3* quads, int32_t count, const uint32_t* colours,
                                 const TexCoord* coords, int32_t page) override;
  void DrawFlatQuads(const Vec3* quads, int32_t count, const uint32_t* colours) override;
  void DrawGouraudQuads(const Vec3* quads, int32_t count, const uint32_t* colours) override;
  void DrawIndexedTextured(const VertexTextured* vertices, const uint16_t* indices,
                           int32_t vertexCount, int32_t indexCount, int32_t page) override;
  void DrawIndexedUntextured(const VertexUntextured* vertices, const uint16_t* indices,
                             int32_t vertexCount, int32_t indexCount) override;
  void DrawIndexedTwoTextures(const VertexTwoTextures* vertices, const uint16_t* indices,
                              int32_t vertexCount, int32_t page, int32_t unused,
                              int32_t indexCount) override;
  void DrawTexturedRectsColoured(const ScreenRect* rects, int32_t count, const TexRect* texRects,
                                 int32_t page, const uint32_t* colours) override;
  void DrawTexturedRects(const ScreenRect* rects, int32_t count, const TexRect* texRects,
                         int32_t page) override;

  int32_t ReadBackBuffer(uint32_t** pixels, int32_t* width, int32_t* height) override;
  void SetViewWindow(float left, float right, float bottom, float top) override;
  void DrawSprites(int32_t count, const Vec3* positions, const uint32_t* colours, int32_t page,
                   const float* sizes, float depthOffset, int32_t drawValue) override;
  void DrawTexturePageOverview() override;

  bool AttachTextureSystem(CTextureSystem* textures) override;
  CTextureSystem* GetTextureSystem() override { return textures_; }
  TexPageIdProc GetTextureFormatHint() override { return nullptr; }
  void DownloadAllTexturePages() override;
  void DownloadTexturePage(int32_t page) override;
  void ReleaseTexturePages() override;
  bool AttachModelSet(CModelSystem* models) override;
  int32_t PrepareAllModels() override;
  void PrepareModel(int32_t handle) override;
  void SetFilteringLevel(int32_t level) override;
  void SetGammaLevel(int32_t level) override;

  // For tests and statistics.
  platform::GpuDevice* Device() const { return dev_.device.get(); }
  const ShaderMode& CurrentBlock() const { return current_; }
  int32_t CurrentShader() const { return currentShader_; }
  int32_t StateApplications() const { return applications_; }
  int32_t QueuedRecords() const { return recordCount_; }
  int32_t QueuedEntries() const { return int32_t(entries_.size()); }
  int32_t PolylineMode() const { return polylineMode_; }
  const RendererCaps& Caps() const { return caps_; }
  const float* ProjectionMatrix() const { return projection_; }
  const float* ViewMatrix() const { return view_; }
  Vec3 CameraPosition() const { return camPos_; }
  Vec3 CameraTarget() const { return camTarget_; }

 private:
  struct DrawRecord {
    Mat43 matrix;  // world, z row negated
    Vec3 light;    // light direction in model space x 127
    Vec3 halfway;  // x 127, when flag 4
    uint32_t flags;  // 1: translation only; 2: drawn with lighting off; 4: half-way vector present
    uint32_t colour;
    int32_t frame;
  };
  struct QueueEntry {
    int32_t record;
    const CModel* model;
    int32_t group;
  };
  struct BatchSpace {
    uint8_t* vertices;
    uint16_t* indices;
    int32_t base;  // buffer position of the first reserved vertex
  };

  // Shader states.
  void SwitchField(int32_t ShaderMode::*field, int32_t value);
  void ApplyStates();
  ShaderMode WithFilteringLevel(const ShaderMode& mode) const;
  void SendGammaRamp();
  void ApplyStage(int32_t stage, const ShaderStage& want, const ShaderStage& have);
  void SetInitialStates();
  void BindStage(int32_t stage, int32_t page);
  void UnbindStages();

  // Batching.
  void BindVertexFormat(platform::GpuBuffer* buffer, platform::GpuVertexLayout layout,
                        bool noClip);
  void BindSingleTexture() {
    BindVertexFormat(dev_.texturedVertices.get(), platform::GpuVertexLayout::Textured, false);
  }
  bool ReserveBatch(int32_t vertices, int32_t indices, int32_t page, BatchSpace& out);
  void CommitBatch(int32_t vertices, int32_t indices);
  void DrawBatch();
  void MarkBuffersFull();
  void UnlockBuffers();
  void DrawQueue();
  void DrawQueuedGroup(const DrawRecord& record, const CModel& model, int32_t group);
  int32_t PageOfTexture(int32_t slot) const;
  void QuadBatch(const Vec3* quads, int32_t count, const TexCoord* coords, int32_t page,
                 const uint32_t* colours, int32_t coloursPerQuad);
  // Writes an indexed triangle list through write(at, vertex); a request
  // larger than the buffers is cut into runs of whole triangles.
  template <typename Write>
  void EmitIndexed(const uint16_t* indices, int32_t indexCount, int32_t vertexCount,
                   int32_t page, Write write);
  void WriteTexturedVertex(uint8_t* at, const Vec3& p, uint32_t diffuse, uint32_t specular,
                           float u, float v);
  void DrawSpritesInView(int32_t count, Vec3* positions, const uint32_t* colours, int32_t page,
                         const float* sizes, float depthOffset);
  void DrawHaloSprites(int32_t count, Vec3* positions, const uint32_t* colours, int32_t page,
                       const float* sizes, float depthOffset);

  // Frames.
  void SetOrthographic(float width, float height);
  void SetTransform(platform::GpuTransform which, const float* m);
  bool ReadTarget(platform::GpuImage& image);
  void RecoverLostDevice();

  D3DDevice dev_;
  CTextureSystem* textures_ = nullptr;
  CModelSystem* models_ = nullptr;
  platform::GpuCaps deviceCaps_{};
  RendererCaps caps_{};
  bool open_ = false;
  bool inScene_ = false;
  bool lighting_ = false;
  uint32_t fogColour_ = 0;
  float fogStart_ = 0, fogEnd_ = 0, fogStartSent_ = 0, fogEndSent_ = 0, fogScale_ = 0;
  uint32_t clearFlags_ = 3;
  int32_t texDetail_ = 2;
  bool immediateEntities_ = false;
  bool depthPrepass_ = false;  // between BeginDepthPrepass and EndDepthPrepass
  int32_t width_ = -1, height_ = -1, depth_ = 0;
  Vec3 camPos_{0, 0, 0}, camTarget_{0, 0, 100}, camUp_{0, 1, 0};
  float fov_ = 90.0f, near_ = 1.0f, far_ = 30000.0f, q_ = 0, qn_ = 0;
  float world_[16];
  float view_[16];
  float projection_[16];
  bool worldSet_ = false;
  int32_t guardBand_[4] = {};
  int32_t polylineMode_ = kPolylineStrip;
  int32_t triangles_ = 0;

  // Shader state.
  ShaderMode* table_ = nullptr;
  int32_t tableCount_ = 0;
  ShaderMode current_{};
  ShaderMode applied_{};
  bool dirty_ = false;
  int32_t currentShader_ = -1;
  int32_t stageCount_ = 0;
  int32_t stagePages_[4] = {-1, -1, -1, -1};
  int32_t stage1Page_ = -1;
  int32_t applications_ = 0;

  // Batch state.
  platform::GpuBuffer* boundVertices_ = nullptr;
  platform::GpuBuffer* boundIndices_ = nullptr;
  platform::GpuVertexLayout layout_ = platform::GpuVertexLayout::Textured;
  int32_t stride_ = 28;
  int32_t batchFirstVertex_ = 0, batchVertexCount_ = 0;
  int32_t batchFirstIndex_ = 0, batchIndexCount_ = 0;
  int32_t batchPage_ = -1;
  bool verticesLocked_ = false, indicesLocked_ = false;
  int8_t clipping_ = -1;

  // Entity queue.
  DrawRecord records_[kMaxDrawRecords + 1];
  int32_t recordCount_ = 0;
  std::vector<QueueEntry> entries_;
  std::vector<std::vector<int32_t>> pageEntries_;  // per page, indices into entries_
  std::vector<uint32_t> pageBits_;
  std::vector<int32_t> pageVertices_, pageIndices_;

  // Back-buffer lock.
  platform::GpuImage locked_;
  bool backBufferLocked_ = false;
  bool pagesReduced_ = false;
};

// Makes the hardware renderer (API 0).
std::unique_ptr<CRenderer> CreateD3DRenderer();
