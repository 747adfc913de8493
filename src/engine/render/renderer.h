#pragma once
// The one drawing interface of the engine. Everything that draws (the frame
// driver, the interface, 2D images, entities, the building editor) goes
// through the single program-wide renderer object; the hardware and software
// renderers implement every operation below, in this order.
//
// Per-frame rule: renderers batch geometry, so state switches (SetShader, the
// depth and cull switches, ApplyCamera, Begin2D, BeginOverlay) draw what is
// pending before they take effect; SetViewOffset is the one exception. Every
// drawing operation returns at once when its element count is zero.
//
// The reserved operations keep their places in the order; they are empty in
// every renderer, so their empty bodies live here.
//
// The frame draw calls some operations by their place only; what they mean
// here, on both renderers: 32 (Reserved32, with 1 before each entity frame)
// does nothing; 42 and 43 are EnableLighting and DisableLighting (the plan
// view's board and the overlay are drawn unlit); 49 (before the sky) does
// nothing; 58 is DisableDepthWrite (under the plan view's board, which every
// later pass draws over); 59 and 60 keep their names.
#include <cstdint>

struct Vec3;
struct Mat43;
#include "engine/render/gamma_ramp.h"
#include "engine/render/renderer_settings.h"
struct ShaderMode;        // one named render-state block
struct CTextureSystem;
struct CTexture;
struct CModelSystem;
class CEntity;

// Filled by GetCaps.
struct RendererCaps {
  int32_t unused0;
  int32_t maxTextureSize;  // smaller of the device's largest width and height
  int32_t unused2;
  int32_t unused3;
  int32_t maxTextureRepeat;
  int32_t maxTextureBlendStages;
  int32_t maxSimultaneousTextures;
  int32_t unused7;
  uint8_t vertexFog;
  uint8_t tableFog;
  uint8_t wFog;
};

// Result of LockBackBuffer.
enum BackBufferFormat : int32_t {
  kBackBufferA8R8G8B8 = 0,
  kBackBufferX8R8G8B8 = 1,
  kBackBufferX1R5G5B5 = 2,
  kBackBufferA1R5G5B5 = 3,
  kBackBufferR5G6B5 = 4,
  kBackBufferOther = -1,
};

// Filled by GetViewPitch; angles in degrees, negative when looking down.
struct ViewPitch {
  float unused;
  float centre;
  float lower;  // centre - fov / 2
  float upper;  // centre + fov / 2
};

// Geometry records (little-endian, 32-bit floats, colours 0xAARRGGBB).
struct TexCoord {
  float u, v;
};
struct TexRect {
  float u0, v0, u1, v1;
};
struct ScreenRect {  // x0, y0 at depth z to x1, y1
  float x0, y0, z, x1, y1;
};
struct PolylinePoint {
  float x, y, z;
  uint32_t colour;
};
struct VertexTextured {  // 28 bytes
  float x, y, z;
  uint32_t diffuse, specular;
  float u, v;
};
struct VertexUntextured {  // 16 bytes
  float x, y, z;
  uint32_t colour;
};
struct VertexTwoTextures {  // 36 bytes
  float x, y, z;
  uint32_t diffuse, specular;
  float u, v, u2, v2;
};

// Returns the renderer's identifier for a new texture page, given its index
// and size. Renderers that have none report a null procedure and the page
// index serves as the identifier.
using TexPageIdProc = int32_t (*)(int32_t pageIndex, int32_t size);

// Polyline modes.
inline constexpr int32_t kPolylineStrip = 0;
inline constexpr int32_t kPolylinePoints = 2;

class CRenderer {
 public:
  // 0-4
  virtual bool Open(void* window, void* deviceContext, RendererSettings* settings) = 0;
  virtual void Close() = 0;
  // Deletes the object; does not call Close.
  virtual ~CRenderer() = default;
  virtual void Reserved3() {}
  virtual void Reserved4(int32_t, int32_t) {}

  // 5-10
  virtual void SetFieldOfView(float degrees) = 0;  // the vertical one
  virtual void SetDepthRange(float nearPlane, float farPlane) = 0;
  virtual void GetCaps(RendererCaps* caps) = 0;
  virtual bool Activate() = 0;
  virtual bool CheckDisplayMode(int32_t width, int32_t height, int32_t depth) = 0;
  virtual void Reserved10() {}

  // 11-18: identification and statistics
  virtual const char* GetName() = 0;
  virtual const char* GetVendor() = 0;
  virtual const char* GetVersion() = 0;
  virtual const char* GetDescription() = 0;
  virtual int32_t GetTriangleCount() = 0;  // since BeginFrame
  virtual int32_t Reserved16(int32_t) { return 0; }
  virtual const char* GetStatusText() = 0;
  virtual void Reserved18(int32_t) {}

  // 19-28: frames
  virtual void Present() = 0;
  virtual void Clear() = 0;
  virtual void SetClearFlags(bool colour, bool depth) = 0;
  virtual void LockBackBuffer(void** pixels, int32_t* width, int32_t* height, int32_t* pitch,
                              BackBufferFormat* format) = 0;
  virtual void UnlockBackBuffer() = 0;
  virtual bool BeginFrame() = 0;  // false: nothing may be drawn this frame
  virtual void EndFrame() = 0;
  virtual void Begin2D() = 0;  // interface drawing in a 640 x 480 space
  virtual void BeginOverlay() = 0;
  virtual void EndOverlay() = 0;

  // 29-41: camera and projection
  virtual void SetCameraPosition(float x, float y, float z) = 0;
  virtual void SetCameraTarget(float x, float y, float z) = 0;
  virtual void SetCameraUp(float x, float y, float z) = 0;
  virtual void Reserved32(int32_t) {}
  virtual void UpdateViewVolume() = 0;  // gives entity culling the camera and projection
  virtual void ApplyCamera() = 0;
  virtual void ApplyProjection() = 0;
  virtual ViewPitch* GetViewPitch(ViewPitch* out) = 0;
  virtual void Reserved37() {}
  virtual void Reserved38(int32_t, int32_t, int32_t) {}
  virtual void SetViewOffset(float x, float y, float z) = 0;  // at once, nothing flushed
  virtual float Reserved40() { return -1.0f; }
  virtual void Reserved41(int32_t) {}

  // 42-54: lighting and fog
  virtual void EnableLighting() = 0;
  virtual void DisableLighting() = 0;
  virtual void Reserved44(int32_t, int32_t, int32_t) {}
  virtual void Reserved45(int32_t, int32_t) {}
  virtual void Reserved46(int32_t) {}
  virtual void Reserved47(int32_t) {}
  virtual void SetLightRamps(uint32_t diffuse, uint32_t ambient, uint32_t rampStep,
                             uint32_t rampBase, int32_t unused1, float overbrightScale,
                             float lightX, float lightY, float lightZ, int32_t unused2) = 0;
  virtual void Reserved49() {}
  virtual void DisableFog() = 0;
  virtual void SetFog(uint32_t colour, float start, float end, float unused) = 0;
  virtual void Reserved52() {}
  virtual void Reserved53() {}
  virtual void Reserved54(int32_t) {}

  // 55-67: render states and shaders
  virtual void EnableDepthTest() = 0;
  virtual void DisableDepthTest() = 0;
  virtual void EnableDepthWrite() = 0;
  virtual void DisableDepthWrite() = 0;
  virtual void CullClockwise() = 0;
  virtual void DisableCulling() = 0;
  virtual void Reserved61(int32_t) {}
  virtual int32_t Reserved62() { return 0; }
  virtual int32_t Reserved63() { return 0; }
  virtual void ValidateShader(ShaderMode* mode, int32_t index) = 0;
  virtual void SetShaderTable(ShaderMode* table, int32_t count) = 0;
  virtual void SetShader(int32_t index) = 0;  // -1 only draws what is pending
  virtual void SetStageTexture(int32_t stage, int32_t page) = 0;

  // 68-71: polylines
  virtual void BeginPolyline(int32_t mode) = 0;  // other modes leave the last in force
  virtual void EndPolyline() = 0;
  virtual void DrawPolyline(int32_t count, const PolylinePoint* points) = 0;
  virtual void Reserved71(int32_t) {}

  // 72-91: drawing. Quads are four consecutive corners; texture coordinates
  // come four per quad in the texture's own 0..1 space.
  virtual void DrawEntity(CEntity* entity) = 0;
  virtual void Reserved73(int32_t) {}
  virtual void DrawTexturedPolygon(const Vec3* corners, int32_t cornerCount,
                                   const TexCoord* coords, int32_t page) = 0;
  virtual void DrawTexturedQuadsShaded(const Vec3* quads, int32_t count, const TexCoord* coords,
                                       int32_t page, const uint32_t* colours) = 0;
  virtual void DrawTexturedQuads(const Vec3* quads, int32_t count, const TexCoord* coords,
                                 int32_t page) = 0;
  // Three corners and three coordinates per face.
  virtual void DrawEditorFaces(const Vec3* faces, int32_t count, const TexCoord* coords,
                               int32_t page, int32_t unused) = 0;
  virtual void DrawTexturedQuadsTinted(const Vec3* quads, int32_t count, const TexCoord* coords,
                                       int32_t page, const uint32_t* colours) = 0;
  virtual void DrawTexturedQuadsColoured(const Vec3* quads, int32_t count,
                                         const uint32_t* colours, const TexCoord* coords,
                                         int32_t page) = 0;
  virtual void DrawFlatQuads(const Vec3* quads, int32_t count, const uint32_t* colours) = 0;
  // Four colours per quad.
  virtual void DrawGouraudQuads(const Vec3* quads, int32_t count, const uint32_t* colours) = 0;
  virtual void DrawIndexedTextured(const VertexTextured* vertices, const uint16_t* indices,
                                   int32_t vertexCount, int32_t indexCount, int32_t page) = 0;
  virtual void DrawIndexedUntextured(const VertexUntextured* vertices, const uint16_t* indices,
                                     int32_t vertexCount, int32_t indexCount) = 0;
  virtual void DrawIndexedTwoTextures(const VertexTwoTextures* vertices, const uint16_t* indices,
                                      int32_t vertexCount, int32_t page, int32_t unused,
                                      int32_t indexCount) = 0;
  virtual void Reserved85(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
  virtual void DrawTexturedRectsColoured(const ScreenRect* rects, int32_t count,
                                         const TexRect* texRects, int32_t page,
                                         const uint32_t* colours) = 0;
  virtual void DrawTexturedRects(const ScreenRect* rects, int32_t count, const TexRect* texRects,
                                 int32_t page) = 0;
  virtual void Reserved88(int32_t) {}
  virtual void Reserved89(int32_t, int32_t, int32_t, int32_t) {}
  virtual void Reserved90(int32_t, int32_t) {}
  virtual void Reserved91(int32_t, int32_t, int32_t) {}

  // 92-96
  // The pixels come from the general heap (free them with std::free), not
  // from the memory manager.
  virtual int32_t ReadBackBuffer(uint32_t** pixels, int32_t* width, int32_t* height) = 0;
  virtual void SetViewWindow(float left, float right, float bottom, float top) = 0;
  virtual void DrawSprites(int32_t count, const Vec3* positions, const uint32_t* colours,
                           int32_t page, const float* sizes, float depthOffset,
                           int32_t drawValue) = 0;
  virtual void Reserved95() {}
  virtual void DrawTexturePageOverview() = 0;  // debug view of every page

  // 97-106: texture pages and models
  virtual bool AttachTextureSystem(CTextureSystem* textures) = 0;
  virtual CTextureSystem* GetTextureSystem() = 0;
  virtual TexPageIdProc GetTextureFormatHint() = 0;
  virtual void DownloadAllTexturePages() = 0;
  virtual void DownloadTexturePage(int32_t page) = 0;
  virtual void ReleaseTexturePages() = 0;
  virtual bool AttachModelSet(CModelSystem* models) = 0;
  virtual int32_t PrepareAllModels() = 0;  // models 1 .. count; returns count
  virtual void PrepareModel(int32_t handle) = 0;
  virtual void Reserved106() {}

  // Other names the game's code uses for some of the operations above.
  void UpdateCamera() { ApplyCamera(); }
  void SetDepthAndFogRanges(uint32_t colour, float start, float end, float unused) {
    SetFog(colour, start, end, unused);
  }
  void ValidateShaderList(ShaderMode* table, int32_t count) { SetShaderTable(table, count); }
  void DrawSpecial() { DrawTexturePageOverview(); }
  void SetClearEnable(bool colour, bool depth) { SetClearFlags(colour, depth); }
  void SetColourRamps(uint32_t diffuse, uint32_t ambient, uint32_t rampStep, uint32_t rampBase,
                      int32_t unused1, float overbrightScale, float lightX, float lightY,
                      float lightZ, int32_t unused2) {
    SetLightRamps(diffuse, ambient, rampStep, rampBase, unused1, overbrightScale, lightX, lightY,
                  lightZ, unused2);
  }
  // The interface's form of the textured quads: one texture (a slot of the
  // attached texture system) and one rectangle {left, top, right, bottom} of
  // it per quad, corners in the order (left, top), (right, top), (right,
  // bottom), (left, bottom). Mapped into the texture's page and drawn by the
  // page form above; the texture is marked used this frame.
  void DrawTexturedQuadsShaded(const Vec3* quads, int32_t count, const TexRect* rects,
                               int32_t texture, const uint32_t* colours);
  void DrawTexturedQuads(const Vec3* quads, int32_t count, const TexRect* rects, int32_t texture);

  // The graphics options, beyond the numbered operations. The base keeps the
  // levels (clamped); a renderer that applies one overrides its setter and
  // calls the base's. Filtering: 0 point sampling of the world's textures, 1
  // the shaders' own filters (bilinear, with mip-maps); the interface drawn
  // over the world keeps its own filters. Gamma: 0..100 (gamma_ramp.h), the
  // neutral level shows the picture as drawn; the ramp applies to the
  // picture shown in the window, so read-backs and screenshots keep the
  // drawn colours.
  virtual void SetFilteringLevel(int32_t level);
  // The software renderer's own shader word (kShaderSoft* of shader_mode.h)
  // for what follows, until the next SetShader: kShaderSoftFlatDepth draws
  // models in their entity's colour with depth, kShaderSoftSilhouette draws
  // the opaque texels of their texture in it. The hardware renderer wears an
  // entity's colour through the named shader and ignores the word.
  virtual void SetSoftwareShaderValue(uint32_t) {}
  virtual void SetGammaLevel(int32_t level);

  // A depth pre-pass: between Begin (true when the renderer offers one) and
  // End, entities drawn lay down only the depth of their opaque pages, with
  // the shader then in force; no colour is written and the transparent
  // pages are left out. Drawn again afterwards as usual, the same entities
  // land on the same depths and the picture is unchanged, while whatever is
  // drawn in between behind them is rejected before it is shaded. Only
  // entities may be drawn in the pass.
  virtual bool BeginDepthPrepass() { return false; }
  virtual void EndDepthPrepass() {}
  // While on, draws lie behind everything: at the farthest depth, they show
  // only where nothing has been drawn since the frame's depth was cleared.
  // A background drawn this way after a pre-pass is spared the pixels that
  // the opaque entities will cover anyway. A renderer that cannot, or a
  // frame whose depth is not cleared, draws as usual.
  virtual void SetDrawBehindAll(bool) {}
  int32_t FilteringLevel() const { return filteringLevel_; }
  int32_t GammaLevel() const { return gammaLevel_; }

 protected:
  int32_t filteringLevel_ = 1;
  int32_t gammaLevel_ = kNeutralGammaLevel;
};

// The four corner coordinates, in the texture's page, of a rectangle
// {left, top, right, bottom} of the texture, in the interface form's order.
void MapTextureRect(const CTexture& texture, const TexRect& rect, TexCoord* out);

// Slot numbers and names of the operations, and the other names some of the
// game's code uses for them.
inline constexpr int32_t kRendererOperationCount = 107;
const char* RendererOperationName(int32_t slot);  // null outside 0 .. 106
struct RendererAlias {
  const char* alias;
  int32_t slot;
};
extern const RendererAlias kRendererAliases[6];
// Slot of an operation by its name or one of its other names; -1 if none.
int32_t RendererOperationSlot(const char* name);

// The view matrix the renderer built last (ApplyCamera), for other modules.
void PublishViewMatrix(const Mat43& view);
const Mat43& PublishedViewMatrix();

// Program-wide counters the renderers keep for the statistics displays.
struct RendererStats {
  int32_t verticesSubmitted;
  int32_t indexTotal;
  int32_t drawCalls;
  int32_t vertexFormatChanges;
  int32_t stateChanges;
  int32_t textureChanges;
  int32_t discardLocks;
  int32_t noOverwriteLocks;
};
RendererStats& GetRendererStats();

// Program-wide switch that world draw passes set around the entities that
// show specular highlights (off at start). A renderer reads it when an
// entity is submitted: the hardware renderer then adds the highlight of the
// light's half-way vector to lit models; the software renderer draws models
// unlit and shows none.
extern bool SpecularHighlights;

// The program's one renderer; null until the shell creates it.
CRenderer* GetRenderer();
void SetRenderer(CRenderer* renderer);
