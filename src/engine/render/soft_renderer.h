#pragma once
// The software renderer: draws into its own 640 x 480 16-bit colour buffer
// and 16-bit depth buffer through the rasteriser (engine/raster.h), and shows
// the result through the platform's memory surfaces (platform/surface.h): the
// 3D picture is copied (tinted by the light colours) to the back surface when
// overlay drawing begins, the interface is drawn on the surface directly, and
// Present hands the frame to the window's presenter.
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/core/maths.h"
#include "engine/render/raster.h"
#include "engine/render/renderer.h"
#include "engine/render/shader_mode.h"
#include "platform/surface.h"

struct CModel;

inline constexpr int32_t kSoftWidth = 640;
inline constexpr int32_t kSoftHeight = 480;

class CSoftwareRenderer : public CRenderer {
 public:
  CSoftwareRenderer();
  ~CSoftwareRenderer() override;

  bool Open(void* window, void* deviceContext, RendererSettings* settings) override;
  void Close() override;
  void SetFieldOfView(float degrees) override;
  void SetDepthRange(float nearPlane, float farPlane) override;
  void GetCaps(RendererCaps*) override {}
  bool Activate() override { return true; }
  bool CheckDisplayMode(int32_t, int32_t, int32_t) override { return true; }
  const char* GetName() override { return "N/A"; }
  const char* GetVendor() override { return "Tarnwell (soft)"; }
  const char* GetVersion() override { return "V1.0"; }
  const char* GetDescription() override { return "Tarnwell SW Rasterizer"; }
  int32_t GetTriangleCount() override { return 0; }
  const char* GetStatusText() override { return ""; }

  void Present() override;
  void Clear() override;
  void SetClearFlags(bool, bool) override {}
  void LockBackBuffer(void** pixels, int32_t* width, int32_t* height, int32_t* pitch,
                      BackBufferFormat* format) override;
  void UnlockBackBuffer() override;
  bool BeginFrame() override;
  void EndFrame() override {}
  void Begin2D() override;
  void BeginOverlay() override;
  void EndOverlay() override;

  void SetCameraPosition(float x, float y, float z) override { position_ = {x, y, z}; }
  void SetCameraTarget(float x, float y, float z) override { target_ = {x, y, z}; }
  void SetCameraUp(float, float, float) override {}
  void UpdateViewVolume() override;
  void ApplyCamera() override;
  void ApplyProjection() override {}
  ViewPitch* GetViewPitch(ViewPitch* out) override;
  void SetViewOffset(float, float, float) override {}

  void EnableLighting() override { lighting_ = true; }
  void DisableLighting() override { lighting_ = false; }
  void SetLightRamps(uint32_t diffuse, uint32_t ambient, uint32_t rampStep, uint32_t rampBase,
                     int32_t unused1, float overbrightScale, float lightX, float lightY,
                     float lightZ, int32_t unused2) override;
  void DisableFog() override {}
  void SetFog(uint32_t, float, float, float) override {}

  void EnableDepthTest() override {}
  void DisableDepthTest() override {}
  void EnableDepthWrite() override {}
  void DisableDepthWrite() override {}
  void CullClockwise() override {}
  void DisableCulling() override {}
  void ValidateShader(ShaderMode*, int32_t) override {}
  void SetShaderTable(ShaderMode* table, int32_t count) override;
  void SetShader(int32_t index) override;
  void SetSoftwareShaderValue(uint32_t value) override;
  void SetStageTexture(int32_t, int32_t) override {}

  void BeginPolyline(int32_t mode) override;
  void EndPolyline() override {}
  void DrawPolyline(int32_t count, const PolylinePoint* points) override;

  void DrawEntity(CEntity* entity) override;
  void DrawTexturedPolygon(const Vec3* corners, int32_t cornerCount, const TexCoord* coords,
                           int32_t page) override;
  void DrawTexturedQuadsShaded(const Vec3* quads, int32_t count, const TexCoord* coords,
                               int32_t page, const uint32_t* colours) override;
  void DrawTexturedQuads(const Vec3* quads, int32_t count, const TexCoord* coords,
                         int32_t page) override;
  void DrawEditorFaces(const Vec3* faces, int32_t count, const TexCoord* coords, int32_t page,
                       int32_t unused) override;
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
  void DrawIndexedTwoTextures(const VertexTwoTextures*, const uint16_t*, int32_t, int32_t,
                              int32_t, int32_t) override {}
  void DrawTexturedRectsColoured(const ScreenRect*, int32_t, const TexRect*, int32_t,
                                 const uint32_t*) override {}
  void DrawTexturedRects(const ScreenRect*, int32_t, const TexRect*, int32_t) override {}

  // The presented frame (or, before Present, the picture drawn so far) as
  // 0x00BBGGRR words, last screen row first. Returns 1, or 0 when there is
  // no frame.
  int32_t ReadBackBuffer(uint32_t** pixels, int32_t* width, int32_t* height) override;
  void SetViewWindow(float, float, float, float) override {}
  void DrawSprites(int32_t count, const Vec3* positions, const uint32_t* colours, int32_t page,
                   const float* sizes, float depthOffset, int32_t drawValue) override;
  void DrawTexturePageOverview() override {}

  bool AttachTextureSystem(CTextureSystem* textures) override;
  CTextureSystem* GetTextureSystem() override { return textures_; }
  TexPageIdProc GetTextureFormatHint() override { return nullptr; }
  void DownloadAllTexturePages() override;
  void DownloadTexturePage(int32_t) override {}
  void ReleaseTexturePages() override {}
  bool AttachModelSet(CModelSystem* models) override;
  int32_t PrepareAllModels() override;
  void PrepareModel(int32_t handle) override;
  // The rasteriser samples the nearest texel of a mip level whatever the
  // filtering level; the gamma ramp goes to the shown picture.
  void SetGammaLevel(int32_t level) override;

  // For tests and tools.
  const SoftTexture* PageTexture(int32_t page) const;
  const uint16_t* ColourBuffer() const { return colour_; }
  const uint16_t* DepthBuffer() const { return depth_; }
  platform::DisplaySurfaces& Display() { return display_; }
  bool InOverlay() const { return overlay_; }
  bool LightingOn() const { return lighting_; }
  uint32_t FrameTint() const { return tint_; }
  const Mat43& ViewMatrix() const { return view_; }
  int32_t CurrentShader() const { return shaderIndex_; }
  int32_t PolylineMode() const { return polylineMode_; }
  // The surfaces' pixel layout for the next Open (5-6-5 unless changed).
  static void SetPixelLayoutForOpen(platform::PixelLayout layout);

 private:
  struct ClipVertex;
  void ReleaseBuffers();
  void ReleaseSoftTextures();
  void SetTarget(uint16_t* pixels, int32_t pitchPixels);
  void ChooseFillers();
  void CopyFrameToBackSurface();
  void BuildTintTable();
  const SoftTexture* DrawableTexture(int32_t page);
  RasterFiller TexturedFiller(const SoftTexture& texture) const;
  void ScreenTriangle(const SoftTexture& texture, const RasterVertex& a, const RasterVertex& b,
                      const RasterVertex& c);
  void ScreenQuad(const Vec3* corners, const TexCoord* coords, const SoftTexture& texture);
  void FlatTriangle(uint32_t colour, float x0, float y0, float x1, float y1, float x2, float y2);
  const Vec3* FramePositions(const CModel& model, int32_t frame);
  void DrawEntityFlat(const CEntity& entity, const CModel& model, const Vec3* positions);
  int ClipToNear(const ClipVertex* in, int count, ClipVertex* out) const;
  void QuadTriangle(const SoftTexture& texture, const ClipVertex& a, const ClipVertex& b,
                    const ClipVertex& c);
  void DrawModelTriangle(const CEntity& entity, const SoftTexture* texture, ClipVertex* v);
  void FillTriangle(const CEntity& entity, const SoftTexture* texture, const ClipVertex& a,
                    const ClipVertex& b, const ClipVertex& c);
  bool ProjectToScreen(const Vec3& view, float& x, float& y, float& depth) const;

  void* window_ = nullptr;
  void* deviceContext_ = nullptr;
  bool open_ = false;
  int32_t settingsApi_ = 2;
  bool windowed_ = true;
  int32_t texDetail_ = 0;
  float fov_ = 90.0f;
  float q_ = 0, qNear_ = 0;
  float near_ = 1.0f, far_ = 30000.0f, inverseNear_ = 1.0f;
  Vec3 position_{0, 0, 0};
  Vec3 target_{0, 0, 100};
  Mat43 view_ = kMatIdentity;
  uint32_t tint_ = 0x00FFFFFF;
  uint32_t tableTint_ = 0xFFFFFFFF;  // tint the table was built for (none yet)
  std::vector<uint16_t> tintTable_;
  int32_t shaderIndex_ = -1;
  ShaderMode* shaderTable_ = nullptr;
  int32_t shaderCount_ = 0;
  ShaderMode shader_{};
  platform::DisplaySurfaces display_;
  bool overlay_ = false;
  bool lighting_ = false;
  bool copiedThisFrame_ = false;
  bool presented_ = false;
  CModelSystem* models_ = nullptr;
  CTextureSystem* textures_ = nullptr;
  uint16_t* colour_ = nullptr;
  uint16_t* depth_ = nullptr;
  uint16_t* drawTarget_ = nullptr;
  int32_t targetPitch_ = kSoftWidth;  // pixels
  float scaleX_ = 1.0f, scaleY_ = 1.0f;
  int32_t polylineMode_ = kPolylineStrip;
  std::vector<SoftTexture> softTextures_;
  std::vector<void*> texelBlocks_;
  std::vector<Vec3> staging_;
  std::vector<ClipPoint> clipPoints_;
  std::vector<ViewPoint> viewPoints_;
  std::vector<uint32_t> codes_;
  bool texturesReduced_ = false;
};

// Allocates a software renderer (the factory the shell installs for API 2 and
// 3). Null when it cannot be made.
std::unique_ptr<CRenderer> CreateSoftwareRenderer();

// Names of the failure codes of the display layer; "Unknown DirectDraw Error"
// for codes it does not know, "D3D_OK" for 0.
const char* DirectXErrorName(int32_t code);
