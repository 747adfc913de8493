#pragma once
// A renderer that draws nothing and records what it was asked to do, for
// tests of the code that drives the renderer.
#include <string>
#include <vector>

#include "engine/render/renderer.h"

class RecordingRenderer : public CRenderer {
 public:
  std::vector<std::string> calls;       // operation names in call order
  std::vector<CEntity*> drawnEntities;  // DrawEntity arguments
  std::vector<int32_t> downloadedPages; // DownloadTexturePage arguments
  int32_t viewVolumeUpdates = 0;
  CTextureSystem* textures = nullptr;
  CModelSystem* models = nullptr;

  int32_t Count(const std::string& name) const {
    int32_t n = 0;
    for (const auto& c : calls) n += c == name ? 1 : 0;
    return n;
  }

  bool Open(void*, void*, RendererSettings*) override { return Note("Open"), true; }
  void Close() override { Note("Close"); }
  void SetFieldOfView(float) override { Note("SetFieldOfView"); }
  void SetDepthRange(float, float) override { Note("SetDepthRange"); }
  void GetCaps(RendererCaps*) override { Note("GetCaps"); }
  bool Activate() override { return Note("Activate"), true; }
  bool CheckDisplayMode(int32_t, int32_t, int32_t) override { return true; }
  const char* GetName() override { return nullptr; }
  const char* GetVendor() override { return nullptr; }
  const char* GetVersion() override { return nullptr; }
  const char* GetDescription() override { return nullptr; }
  int32_t GetTriangleCount() override { return 0; }
  const char* GetStatusText() override { return ""; }
  void Present() override { Note("Present"); }
  void Clear() override { Note("Clear"); }
  void SetClearFlags(bool, bool) override { Note("SetClearFlags"); }
  void LockBackBuffer(void** pixels, int32_t* w, int32_t* h, int32_t* pitch,
                      BackBufferFormat* format) override {
    *pixels = nullptr;
    *w = *h = *pitch = 0;
    *format = kBackBufferOther;
  }
  void UnlockBackBuffer() override {}
  bool BeginFrame() override { return Note("BeginFrame"), true; }
  void EndFrame() override { Note("EndFrame"); }
  void Begin2D() override { Note("Begin2D"); }
  void BeginOverlay() override { Note("BeginOverlay"); }
  void EndOverlay() override { Note("EndOverlay"); }
  void SetCameraPosition(float, float, float) override { Note("SetCameraPosition"); }
  void SetCameraTarget(float, float, float) override { Note("SetCameraTarget"); }
  void SetCameraUp(float, float, float) override { Note("SetCameraUp"); }
  void UpdateViewVolume() override {
    Note("UpdateViewVolume");
    ++viewVolumeUpdates;
  }
  void ApplyCamera() override { Note("ApplyCamera"); }
  void ApplyProjection() override { Note("ApplyProjection"); }
  ViewPitch* GetViewPitch(ViewPitch* out) override { return out; }
  void SetViewOffset(float, float, float) override { Note("SetViewOffset"); }
  void EnableLighting() override { Note("EnableLighting"); }
  void DisableLighting() override { Note("DisableLighting"); }
  void SetLightRamps(uint32_t, uint32_t, uint32_t, uint32_t, int32_t, float, float, float, float,
                     int32_t) override {
    Note("SetLightRamps");
  }
  void DisableFog() override { Note("DisableFog"); }
  void SetFog(uint32_t, float, float, float) override { Note("SetFog"); }
  void EnableDepthTest() override { Note("EnableDepthTest"); }
  void DisableDepthTest() override { Note("DisableDepthTest"); }
  void EnableDepthWrite() override { Note("EnableDepthWrite"); }
  void DisableDepthWrite() override { Note("DisableDepthWrite"); }
  void CullClockwise() override { Note("CullClockwise"); }
  void DisableCulling() override { Note("DisableCulling"); }
  void ValidateShader(ShaderMode*, int32_t) override { Note("ValidateShader"); }
  void SetShaderTable(ShaderMode*, int32_t) override { Note("SetShaderTable"); }
  void SetShader(int32_t) override { Note("SetShader"); }
  void SetStageTexture(int32_t, int32_t) override { Note("SetStageTexture"); }
  void BeginPolyline(int32_t) override { Note("BeginPolyline"); }
  void EndPolyline() override { Note("EndPolyline"); }
  void DrawPolyline(int32_t, const PolylinePoint*) override { Note("DrawPolyline"); }
  void DrawEntity(CEntity* entity) override {
    Note("DrawEntity");
    drawnEntities.push_back(entity);
  }
  void DrawTexturedPolygon(const Vec3*, int32_t, const TexCoord*, int32_t) override {
    Note("DrawTexturedPolygon");
  }
  void DrawTexturedQuadsShaded(const Vec3*, int32_t, const TexCoord*, int32_t,
                               const uint32_t*) override {
    Note("DrawTexturedQuadsShaded");
  }
  void DrawTexturedQuads(const Vec3*, int32_t, const TexCoord*, int32_t) override {
    Note("DrawTexturedQuads");
  }
  void DrawEditorFaces(const Vec3*, int32_t, const TexCoord*, int32_t, int32_t) override {
    Note("DrawEditorFaces");
  }
  void DrawTexturedQuadsTinted(const Vec3*, int32_t, const TexCoord*, int32_t,
                               const uint32_t*) override {
    Note("DrawTexturedQuadsTinted");
  }
  void DrawTexturedQuadsColoured(const Vec3*, int32_t, const uint32_t*, const TexCoord*,
                                 int32_t) override {
    Note("DrawTexturedQuadsColoured");
  }
  void DrawFlatQuads(const Vec3*, int32_t, const uint32_t*) override { Note("DrawFlatQuads"); }
  void DrawGouraudQuads(const Vec3*, int32_t, const uint32_t*) override {
    Note("DrawGouraudQuads");
  }
  void DrawIndexedTextured(const VertexTextured*, const uint16_t*, int32_t, int32_t,
                           int32_t) override {
    Note("DrawIndexedTextured");
  }
  void DrawIndexedUntextured(const VertexUntextured*, const uint16_t*, int32_t, int32_t) override {
    Note("DrawIndexedUntextured");
  }
  void DrawIndexedTwoTextures(const VertexTwoTextures*, const uint16_t*, int32_t, int32_t, int32_t,
                              int32_t) override {
    Note("DrawIndexedTwoTextures");
  }
  void DrawTexturedRectsColoured(const ScreenRect*, int32_t, const TexRect*, int32_t,
                                 const uint32_t*) override {
    Note("DrawTexturedRectsColoured");
  }
  void DrawTexturedRects(const ScreenRect*, int32_t, const TexRect*, int32_t) override {
    Note("DrawTexturedRects");
  }
  int32_t ReadBackBuffer(uint32_t** pixels, int32_t* w, int32_t* h) override {
    *pixels = nullptr;
    *w = *h = 0;
    return 0;
  }
  void SetViewWindow(float, float, float, float) override { Note("SetViewWindow"); }
  void DrawSprites(int32_t, const Vec3*, const uint32_t*, int32_t, const float*, float,
                   int32_t) override {
    Note("DrawSprites");
  }
  void DrawTexturePageOverview() override { Note("DrawTexturePageOverview"); }
  bool AttachTextureSystem(CTextureSystem* t) override { return textures = t, true; }
  CTextureSystem* GetTextureSystem() override { return textures; }
  TexPageIdProc GetTextureFormatHint() override { return nullptr; }
  void DownloadAllTexturePages() override { Note("DownloadAllTexturePages"); }
  void DownloadTexturePage(int32_t page) override {
    Note("DownloadTexturePage");
    downloadedPages.push_back(page);
  }
  void ReleaseTexturePages() override { Note("ReleaseTexturePages"); }
  bool AttachModelSet(CModelSystem* m) override { return models = m, true; }
  int32_t PrepareAllModels() override { return 0; }
  void PrepareModel(int32_t) override { Note("PrepareModel"); }

 private:
  void Note(const char* name) { calls.emplace_back(name); }
};
