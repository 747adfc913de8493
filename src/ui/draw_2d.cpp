#include "ui/draw_2d.h"

#include <cstddef>
using std::size_t;

#include "engine/core/maths.h"
#include "engine/render/renderer.h"
#include "engine/scene/texture.h"
#include "ui/ui_services.h"

namespace {

void Quad(const UIRect& r, float depth, Vec3 out[4]) {
  out[0] = {r.x1, r.y1, depth};
  out[1] = {r.x2, r.y1, depth};
  out[2] = {r.x2, r.y2, depth};
  out[3] = {r.x1, r.y2, depth};
}

void Textured(const UIRect& r, int32_t texture, float depth, uint32_t colour,
              const TexRect& coords = TexRect{0.0f, 0.0f, 1.0f, 1.0f}) {
  CRenderer* renderer = UiRenderer();
  if (renderer == nullptr || texture < 0) return;
  Vec3 quad[4];
  Quad(r, depth, quad);
  renderer->DrawTexturedQuadsShaded(quad, 1, &coords, texture, &colour);
}

void Image(float x, float y, int32_t imageId, float depth, uint32_t colour) {
  const int32_t texture = UIImageTexture(imageId);
  if (texture < 0) return;
  const UIRect r = SetUIRect(x, y, x + float(UIImageWidth(imageId)), y + float(UIImageHeight(imageId)));
  Textured(r, texture, depth, colour);
}

}  // namespace

void DrawRect2D(const UIRect& r, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float depth) {
  CRenderer* renderer = UiRenderer();
  if (renderer == nullptr) return;
  const Vec3 quad[4] = {{r.x1, r.y1, depth}, {r.x1, r.y2, depth}, {r.x2, r.y2, depth}, {r.x2, r.y1, depth}};
  const uint32_t colours[4] = {c1, c2, c3, c4};
  renderer->DrawGouraudQuads(quad, 1, colours);
}

void DrawRect2DXYWH(float x, float y, float w, float h, uint32_t c1, uint32_t c2, uint32_t c3,
                    uint32_t c4, float depth) {
  DrawRect2D(SetUIRectXYWH(x, y, w, h), c1, c2, c3, c4, depth);
}

void DrawRect2DSolid(const UIRect& r, uint32_t colour, float depth) {
  DrawRect2D(r, colour, colour, colour, colour, depth);
}

void DrawRectOutline(const UIRect& r, uint32_t colour, float depth) {
  DrawLine2D({r.x1, r.y1, depth, colour}, {r.x2, r.y1, depth, colour});
  DrawLine2D({r.x2, r.y1 - 0.5f, depth, colour}, {r.x2, r.y2 + 0.5f, depth, colour});
  DrawLine2D({r.x1, r.y1, depth, colour}, {r.x1, r.y2, depth, colour});
  DrawLine2D({r.x1, r.y2, depth, colour}, {r.x2, r.y2, depth, colour});
}

void DrawBevel(const UIRect& r, uint32_t topRight, uint32_t bottomLeft, float depth) {
  DrawLine2D({r.x1, r.y1, depth, topRight}, {r.x2, r.y1, depth, topRight});
  DrawLine2D({r.x2, r.y1, depth, topRight}, {r.x2, r.y2, depth, topRight});
  DrawLine2D({r.x1, r.y2, depth, bottomLeft}, {r.x2, r.y2, depth, bottomLeft});
  DrawLine2D({r.x1, r.y1, depth, bottomLeft}, {r.x1, r.y2, depth, bottomLeft});
}

void DrawLine2D(const LinePoint2D& a, const LinePoint2D& b) {
  CRenderer* renderer = UiRenderer();
  if (renderer == nullptr) return;
  const PolylinePoint points[2] = {{a.x, a.y, a.depth, a.colour}, {b.x, b.y, b.depth, b.colour}};
  renderer->BeginPolyline(kPolylineStrip);
  renderer->DrawPolyline(2, points);
  renderer->EndPolyline();
}

void DrawTexturedRect(const UIRect& r, int32_t texture, float depth) {
  Textured(r, texture, depth, 0xFFFFFFFFu);
}

void DrawTexturedRectPart(const UIRect& r, int32_t texture, const TexRect& coords, float depth) {
  Textured(r, texture, depth, 0xFFFFFFFFu, coords);
}

void DrawTexturedRectColoured(const UIRect& r, int32_t texture, float depth, uint32_t colour) {
  Textured(r, texture, depth, colour);
}

void DrawImage2D(float x, float y, int32_t imageId, float depth) {
  Image(x, y, imageId, depth, 0xFFFFFFFFu);
}

void DrawImage2DTinted(float x, float y, int32_t imageId, float depth, uint32_t colour) {
  Image(x, y, imageId, depth, colour);
}

int32_t ScaleToScreenX(int32_t pixels) {
  const int32_t w = Ui().screenWidth > 0 ? Ui().screenWidth : 640;
  return pixels * 640 / w;
}

int32_t ScaleToScreenY(int32_t pixels) {
  const int32_t h = Ui().screenHeight > 0 ? Ui().screenHeight : 480;
  return pixels * 480 / h;
}

int32_t UIImageTexture(int32_t imageId) {
  const auto& table = Ui().imageTable;
  if (imageId < 0 || size_t(imageId) >= table.size()) return -1;
  return table[size_t(imageId)];
}

int32_t UIImageWidth(int32_t imageId) {
  const int32_t texture = UIImageTexture(imageId);
  return texture < 0 ? 0 : ScaleToScreenX(TexSysTextureWidth(texture));
}

int32_t UIImageHeight(int32_t imageId) {
  const int32_t texture = UIImageTexture(imageId);
  return texture < 0 ? 0 : ScaleToScreenY(TexSysTextureHeight(texture));
}
