// The software renderer's drawing operations: entities (3D with near-plane
// clipping, or flat in overlay), screen-space quads and triangles, polylines
// and sprites. Everything ends in the rasteriser's fillers and blits.
#include <algorithm>
#include <cmath>

#include "engine/scene/entity.h"
#include "engine/scene/model.h"
#include "engine/render/soft_renderer.h"
#include "engine/scene/texture.h"

struct CSoftwareRenderer::ClipVertex {
  float vx, vy, vz;  // view space
  float x, y;        // screen
  float depth;       // near / z
  float u, v;
  uint32_t code;
};

namespace {

uint32_t ScreenCode(float x, float y) {
  uint32_t code = 0;
  if (x >= 0.0f) code |= kClipInsideLeft;
  if (x <= float(kSoftWidth)) code |= kClipInsideRight;
  if (y >= 0.0f) code |= kClipInsideTop;
  if (y < float(kSoftHeight)) code |= kClipInsideBottom;
  return code;
}

// Signed area; front faces are negative.
float SignedArea(float x0, float y0, float x1, float y1, float x2, float y2) {
  return (x1 - x0) * (y2 - y0) - (y1 - y0) * (x2 - x0);
}

void SetBlock(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c) {
  g_RasterVertices.v[0] = a;
  g_RasterVertices.v[1] = b;
  g_RasterVertices.v[2] = c;
}

}  // namespace

RasterFiller CSoftwareRenderer::TexturedFiller(const SoftTexture& texture) const {
  return texture.HasTransparency ? g_RasterVertices.KeyedFiller : g_RasterVertices.OpaqueFiller;
}

void CSoftwareRenderer::ScreenTriangle(const SoftTexture& texture, const RasterVertex& a,
                                       const RasterVertex& b, const RasterVertex& c) {
  SetBlock(a, b, c);
  TexturedFiller(texture)(texture, 1);
}

void CSoftwareRenderer::ScreenQuad(const Vec3* q, const TexCoord* t, const SoftTexture& texture) {
  // Screen-space drawing is nearest to the viewer.
  RasterVertex v[4];
  for (int i = 0; i < 4; ++i) v[i] = {q[i].x * scaleX_, q[i].y * scaleY_, 0.5f, t[i].u, t[i].v};
  ScreenTriangle(texture, v[0], v[2], v[3]);
  ScreenTriangle(texture, v[0], v[1], v[2]);
}

void CSoftwareRenderer::FlatTriangle(uint32_t colour, float x0, float y0, float x1, float y1,
                                     float x2, float y2) {
  SetBlock({x0, y0, 0, 0, 0}, {x1, y1, 0, 0, 0}, {x2, y2, 0, 0, 0});
  g_RasterVertices.FlatColour = colour;
  FillFlat();
}

bool CSoftwareRenderer::ProjectToScreen(const Vec3& v, float& x, float& y, float& depth) const {
  const ProjectionState& p = g_Projection;
  if (!(v.z > near_)) return false;
  x = v.x * p.screenXScale / v.z + p.centreX;
  y = v.y * p.screenYScale / v.z + p.centreY;
  depth = near_ / v.z;
  return true;
}

// ---- Entities --------------------------------------------------------------------

const Vec3* CSoftwareRenderer::FramePositions(const CModel& model, int32_t frame) {
  const size_t first = size_t(frame) * model.vertexCount;
  if (model.packed && model.packedPositions) {
    staging_.resize(model.vertexCount);
    for (int32_t i = 0; i < model.vertexCount; ++i) {
      uint32_t w = model.packedPositions[first + size_t(i)];
      staging_[size_t(i)] = {model.packOrigin[0] + model.packStep[0] * float(PackedUnitX(w)),
                             model.packOrigin[1] + model.packStep[1] * float(PackedUnitY(w)),
                             model.packOrigin[2] + model.packStep[2] * float(PackedUnitZ(w))};
    }
    return staging_.data();
  }
  return model.positions ? model.positions + first : nullptr;
}

void CSoftwareRenderer::DrawEntity(CEntity* entity) {
  if (!entity || !entity->model || !open_) return;
  const ModelLodSet& set = *entity->model;
  int32_t handle = set.handles[0];
  if (entity->lod == 1 && set.handles[1]) handle = set.handles[1];
  const CModel* model = ModSysGetModel(handle);
  if (!model || !model->primitives || model->vertexCount == 0) return;
  const int32_t frames = std::max<int32_t>(model->frameCount, 1);
  const Vec3* positions = FramePositions(*model, std::clamp<int32_t>(entity->animFrame, 0, frames - 1));
  if (!positions) return;
  if (overlay_) {
    DrawEntityFlat(*entity, *model, positions);
    return;
  }
  Mat43 world = entity->world;
  for (float& c : world.m[2]) c = -c;
  Mat43 transform;
  MatMultiply(transform, world, view_);

  for (int32_t p = 0; p < model->primitiveCount; ++p) {
    const ModelPrimitive& prim = model->primitives[p];
    const int32_t first = prim.firstVertex, last = prim.lastVertex;
    if (!prim.indices || prim.indexCount < 3 || first < 0 || last < first ||
        last >= model->vertexCount)
      continue;
    const int32_t n = last - first + 1;
    clipPoints_.resize(size_t(n));
    viewPoints_.resize(size_t(n));
    codes_.resize(size_t(n));
    int32_t result = ProjectPointsClipNear(transform, positions + first, viewPoints_.data(),
                                           clipPoints_.data(), n, sizeof(ClipPoint), sizeof(Vec3),
                                           codes_.data());
    if ((result & kClipAllInside) != kClipAllInside) continue;
    const CTexture* tex = TexSysGetTexture(prim.texture);
    const SoftTexture* texture = tex ? DrawableTexture(tex->pageIndex) : nullptr;
    const TexCoord* uv = model->uv1 ? model->uv1 + first : nullptr;
    for (int32_t i = 0; i + 2 < prim.indexCount; i += 3) {
      ClipVertex v[3];
      bool valid = true;
      for (int k = 0; k < 3; ++k) {
        int32_t index = prim.indices[i + k];
        if (index >= n) {
          valid = false;
          break;
        }
        const ClipPoint& c = clipPoints_[size_t(index)];
        const ViewPoint& w = viewPoints_[size_t(index)];
        v[k] = {w.x, w.y, w.z, c.x, c.y, c.depth, uv ? uv[index].u : 0.0f,
                uv ? uv[index].v : 0.0f, codes_[size_t(index)]};
      }
      if (valid) DrawModelTriangle(*entity, texture, v);
    }
  }
}

int CSoftwareRenderer::ClipToNear(const ClipVertex* in, int count, ClipVertex* out) const {
  // Keep the vertices in front and insert, on every edge that crosses the
  // near distance, the crossing point projected at that distance.
  const ProjectionState& p = g_Projection;
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    const bool firstIn = in[i].vz > near_;
    if (firstIn) out[kept++] = in[i];
    if (firstIn == (in[(i + 1) % count].vz > near_)) continue;
    // From the vertex in front, so that two triangles sharing this edge get
    // the very same point and no pixel falls between them.
    const ClipVertex& a = firstIn ? in[i] : in[(i + 1) % count];
    const ClipVertex& b = firstIn ? in[(i + 1) % count] : in[i];
    const float t = (near_ - a.vz) / (b.vz - a.vz);
    ClipVertex& c = out[kept++];
    c.vx = a.vx + (b.vx - a.vx) * t;
    c.vy = a.vy + (b.vy - a.vy) * t;
    c.vz = near_;
    c.u = a.u + (b.u - a.u) * t;
    c.v = a.v + (b.v - a.v) * t;
    c.x = c.vx * p.screenXScale / near_ + p.centreX;
    c.y = c.vy * p.screenYScale / near_ + p.centreY;
    c.depth = 1.0f;
    c.code = ScreenCode(c.x, c.y) | kClipInFront;
  }
  return kept;
}

void CSoftwareRenderer::DrawModelTriangle(const CEntity& entity, const SoftTexture* texture,
                                          ClipVertex* v) {
  if (((v[0].code | v[1].code | v[2].code) & kClipAllInside) != kClipAllInside) return;
  ClipVertex poly[4];
  int count = 3;
  if (v[0].code & v[1].code & v[2].code & kClipInFront) {
    poly[0] = v[0], poly[1] = v[1], poly[2] = v[2];
  } else {
    count = ClipToNear(v, 3, poly);
    if (count < 3) return;
  }
  if (SignedArea(poly[0].x, poly[0].y, poly[1].x, poly[1].y, poly[2].x, poly[2].y) >= 0.0f)
    return;  // back-facing: the whole polygon goes
  FillTriangle(entity, texture, poly[0], poly[1], poly[2]);
  if (count == 4) FillTriangle(entity, texture, poly[0], poly[2], poly[3]);
}

void CSoftwareRenderer::FillTriangle(const CEntity& entity, const SoftTexture* texture,
                                     const ClipVertex& a, const ClipVertex& b,
                                     const ClipVertex& c) {
  const uint32_t flags = shaderIndex_ >= 0 ? shader_.softwareFlags : 0;
  const uint8_t clip = ((a.code & b.code & c.code) & kClipAllInside) != kClipAllInside;
  SetBlock({a.x, a.y, a.depth * 0.5f, a.u, a.v}, {b.x, b.y, b.depth * 0.5f, b.u, b.v},
           {c.x, c.y, c.depth * 0.5f, c.u, c.v});
  if (flags & kShaderSoftFlatDepth) {
    g_RasterVertices.FlatColour = entity.colour;
    FillFlatDepth();
    return;
  }
  if (!texture) return;
  if (flags & kShaderSoftSilhouette) {
    g_RasterVertices.SilhouetteColour = entity.colour;
    FillSilhouette(*texture, clip);
  } else if (flags & kShaderSoftFloor) {
    FloorVertex fa{a.x, a.y, a.vz, a.depth * 0.5f, a.u, a.v};
    FloorVertex fb{b.x, b.y, b.vz, b.depth * 0.5f, b.u, b.v};
    FloorVertex fc{c.x, c.y, c.vz, c.depth * 0.5f, c.u, c.v};
    FillFloorTextured(*texture, fa, fb, fc, clip);
  } else {
    TexturedFiller(*texture)(*texture, clip);
  }
}

void CSoftwareRenderer::DrawEntityFlat(const CEntity& entity, const CModel& model,
                                       const Vec3* positions) {
  for (int32_t p = 0; p < model.primitiveCount; ++p) {
    const ModelPrimitive& prim = model.primitives[p];
    const int32_t first = prim.firstVertex, last = prim.lastVertex;
    if (!prim.indices || first < 0 || last < first || last >= model.vertexCount) continue;
    const CTexture* tex = TexSysGetTexture(prim.texture);
    const SoftTexture* texture = tex ? DrawableTexture(tex->pageIndex) : nullptr;
    if (!texture) continue;
    const TexCoord* uv = model.uv1 ? model.uv1 + first : nullptr;
    for (int32_t i = 0; i + 2 < prim.indexCount; i += 3) {
      RasterVertex r[3];
      bool valid = true;
      for (int k = 0; k < 3 && valid; ++k) {
        int32_t index = prim.indices[i + k];
        valid = first + index <= last;
        if (!valid) break;
        const Vec3& q = positions[first + index];
        r[k] = {(entity.position.x + q.x) * scaleX_, (entity.position.y - q.y) * scaleY_, 0.5f,
                uv ? uv[index].u : 0.0f, uv ? uv[index].v : 0.0f};
      }
      if (!valid || SignedArea(r[0].x, r[0].y, r[1].x, r[1].y, r[2].x, r[2].y) >= 0.0f) continue;
      SetBlock(r[0], r[1], r[2]);
      g_RasterVertices.OpaqueFiller(*texture, 1);
    }
  }
}

// ---- Screen-space primitives ---------------------------------------------------------

void CSoftwareRenderer::DrawTexturedPolygon(const Vec3* corners, int32_t, const TexCoord* coords,
                                            int32_t page) {
  if (!corners || !coords || !open_) return;
  if (const SoftTexture* texture = DrawableTexture(page)) ScreenQuad(corners, coords, *texture);
}

void CSoftwareRenderer::DrawTexturedQuadsShaded(const Vec3* quads, int32_t count,
                                                const TexCoord* coords, int32_t page,
                                                const uint32_t*) {
  DrawTexturedQuads(quads, count, coords, page);
}

void CSoftwareRenderer::DrawTexturedQuads(const Vec3* quads, int32_t count,
                                          const TexCoord* coords, int32_t page) {
  if (count <= 0 || !quads || !coords) return;
  for (int32_t i = 0; i < count; ++i) DrawTexturedPolygon(quads + 4 * i, 4, coords + 4 * i, page);
}

void CSoftwareRenderer::DrawEditorFaces(const Vec3* faces, int32_t count, const TexCoord* coords,
                                        int32_t page, int32_t) {
  if (count <= 0 || !faces || !coords || !open_) return;
  const SoftTexture* texture = DrawableTexture(page);
  if (!texture) return;
  for (int32_t i = 0; i < count; ++i) {
    RasterVertex v[3];
    for (int k = 0; k < 3; ++k) {
      const Vec3& p = faces[3 * i + k];
      v[k] = {p.x * scaleX_, p.y * scaleY_, 0.5f, coords[3 * i + k].u, coords[3 * i + k].v};
    }
    ScreenTriangle(*texture, v[0], v[1], v[2]);
  }
}

void CSoftwareRenderer::DrawTexturedQuadsTinted(const Vec3* quads, int32_t count,
                                                const TexCoord* coords, int32_t page,
                                                const uint32_t* colours) {
  if (count <= 0 || !quads || !coords || !colours || !open_) return;
  const SoftTexture* texture = DrawableTexture(page);
  if (!texture) return;
  const SoftTextureLevel& top = texture->Levels[0];
  for (int32_t i = 0; i < count; ++i) {
    const Vec3& a = quads[4 * i];
    const Vec3& c = quads[4 * i + 2];
    int32_t x = RasterRound(a.x * scaleX_), y = RasterRound(a.y * scaleY_);
    int32_t w = RasterRound(c.x * scaleX_) - x, h = RasterRound(c.y * scaleY_) - y;
    SpriteSourceRect source{coords[4 * i].u, coords[4 * i].v, coords[4 * i + 2].u,
                            coords[4 * i + 2].v};
    // Pages without transparency carry no key bit: all their texels draw.
    BlitSpriteTintedKey(x, y, w, h, top.Texels, top.Size, top.Size, colours[i], source,
                        uint16_t(texture->HasTransparency ? (PixelIs565 ? 0x40 : 0x8000) : 0));
  }
}

void CSoftwareRenderer::DrawTexturedQuadsColoured(const Vec3* quads, int32_t count,
                                                  const uint32_t*, const TexCoord* coords,
                                                  int32_t page) {
  if (count <= 0 || !quads || !coords || !open_) return;
  if (overlay_) {
    DrawTexturedQuads(quads, count, coords, page);
    return;
  }
  const SoftTexture* texture = DrawableTexture(page);
  if (!texture) return;
  for (int32_t i = 0; i < count; ++i) {
    ClipPoint p[4];
    ViewPoint w[4];
    uint32_t codes[4];
    int32_t result = ProjectPointsClipNear(view_, quads + 4 * i, w, p, 4, sizeof(ClipPoint),
                                           sizeof(Vec3), codes);
    // All four outside one screen edge, or all behind the near distance.
    if ((result & kClipAllInside) != kClipAllInside) continue;
    ClipVertex corner[4], poly[5];
    for (int k = 0; k < 4; ++k)
      corner[k] = {w[k].x, w[k].y, w[k].z, p[k].x, p[k].y, p[k].depth, coords[4 * i + k].u,
                   coords[4 * i + k].v, codes[k]};
    // A quad reaching behind the viewer (a large piece of ground) keeps its
    // part in front instead of vanishing.
    int n = 4;
    if (codes[0] & codes[1] & codes[2] & codes[3] & kClipInFront) {
      std::copy(corner, corner + 4, poly);
    } else {
      n = ClipToNear(corner, 4, poly);
    }
    for (int k = 1; k + 1 < n; ++k) QuadTriangle(*texture, poly[0], poly[k], poly[k + 1]);
  }
}

void CSoftwareRenderer::QuadTriangle(const SoftTexture& texture, const ClipVertex& a,
                                     const ClipVertex& b, const ClipVertex& c) {
  const uint8_t clip = ((a.code & b.code & c.code) & kClipAllInside) != kClipAllInside;
  SetBlock({a.x, a.y, a.depth * 0.5f, a.u, a.v}, {b.x, b.y, b.depth * 0.5f, b.u, b.v},
           {c.x, c.y, c.depth * 0.5f, c.u, c.v});
  TexturedFiller(texture)(texture, clip);
}

void CSoftwareRenderer::DrawFlatQuads(const Vec3* quads, int32_t count, const uint32_t* colours) {
  if (count <= 0 || !quads || !colours || !open_) return;
  for (int32_t i = 0; i < count; ++i) {
    if ((colours[i] >> 24) == 0) continue;
    const Vec3* q = quads + 4 * i;
    FlatTriangle(colours[i], q[0].x * scaleX_, q[0].y * scaleY_, q[1].x * scaleX_,
                 q[1].y * scaleY_, q[2].x * scaleX_, q[2].y * scaleY_);
    FlatTriangle(colours[i], q[0].x * scaleX_, q[0].y * scaleY_, q[2].x * scaleX_,
                 q[2].y * scaleY_, q[3].x * scaleX_, q[3].y * scaleY_);
  }
}

void CSoftwareRenderer::DrawGouraudQuads(const Vec3* quads, int32_t count,
                                         const uint32_t* colours) {
  if (count <= 0 || !quads || !colours || !open_) return;
  for (int32_t i = 0; i < count; ++i) {
    const Vec3* q = quads + 4 * i;
    uint32_t colour = colours[4 * i];
    FlatTriangle(colour, q[0].x * scaleX_, q[0].y * scaleY_, q[1].x * scaleX_, q[1].y * scaleY_,
                 q[2].x * scaleX_, q[2].y * scaleY_);
    FlatTriangle(colour, q[0].x * scaleX_, q[0].y * scaleY_, q[2].x * scaleX_, q[2].y * scaleY_,
                 q[3].x * scaleX_, q[3].y * scaleY_);
  }
}

void CSoftwareRenderer::DrawIndexedTextured(const VertexTextured* vertices,
                                            const uint16_t* indices, int32_t vertexCount,
                                            int32_t indexCount, int32_t page) {
  if (indexCount <= 0 || vertexCount <= 0 || !vertices || !indices || !open_) return;
  const SoftTexture* texture = DrawableTexture(page);
  if (!texture) return;
  for (int32_t i = 0; i + 2 < indexCount; i += 3) {
    RasterVertex v[3];
    bool valid = true;
    for (int k = 0; k < 3 && valid; ++k) {
      const uint16_t index = indices[i + k];
      valid = index < vertexCount;
      if (valid) {
        const VertexTextured& s = vertices[index];
        v[k] = {s.x * scaleX_, s.y * scaleY_, 0.5f, s.u, s.v};
      }
    }
    if (valid) ScreenTriangle(*texture, v[0], v[1], v[2]);
  }
}

void CSoftwareRenderer::DrawIndexedUntextured(const VertexUntextured* vertices,
                                              const uint16_t* indices, int32_t vertexCount,
                                              int32_t indexCount) {
  if (indexCount <= 0 || vertexCount <= 0 || !vertices || !indices || !open_) return;
  for (int32_t i = 0; i + 2 < indexCount; i += 3) {
    float x[3], y[3];
    bool valid = true;
    for (int k = 0; k < 3 && valid; ++k) {
      const uint16_t index = indices[i + k];
      valid = index < vertexCount;
      if (!valid) break;
      const VertexUntextured& s = vertices[index];
      if (overlay_) {
        x[k] = s.x * scaleX_;
        y[k] = s.y * scaleY_;
      } else {
        Vec3 view;
        Vec3 world{s.x, s.y, s.z};
        MatTransformPoints(view_, &world, &view, 1);
        float depth;
        valid = ProjectToScreen(view, x[k], y[k], depth);
      }
    }
    if (valid) FlatTriangle(vertices[indices[i]].colour, x[0], y[0], x[1], y[1], x[2], y[2]);
  }
}

// ---- Polylines and sprites -------------------------------------------------------------

void CSoftwareRenderer::BeginPolyline(int32_t mode) {
  if (mode == kPolylineStrip || mode == kPolylinePoints) polylineMode_ = mode;
}

void CSoftwareRenderer::DrawPolyline(int32_t count, const PolylinePoint* points) {
  if (count <= 0 || !points || !open_ || !drawTarget_) return;
  const ClipRectangle& clip = ClipRect;
  auto onScreen = [&](int32_t x, int32_t y) {
    return x >= clip.ClipLeft && x < clip.ClipRight && y >= clip.ClipTop && y < clip.ClipBottom;
  };
  if (polylineMode_ == kPolylinePoints) {
    for (int32_t i = 0; i < count; ++i) {
      Vec3 view, world{points[i].x, points[i].y, points[i].z};
      MatTransformPoints(view_, &world, &view, 1);
      float x, y, depth;
      if (!ProjectToScreen(view, x, y, depth)) continue;
      int32_t px = RasterRound(x), py = RasterRound(y);
      if (onScreen(px, py)) ColourRows[py][px] = ToPixel16(points[i].colour);
    }
    return;
  }
  for (int32_t i = 0; i + 1 < count; ++i) {
    int32_t x0 = RasterRound(points[i].x * scaleX_), y0 = RasterRound(points[i].y * scaleY_);
    int32_t x1 = RasterRound(points[i + 1].x * scaleX_);
    int32_t y1 = RasterRound(points[i + 1].y * scaleY_);
    if (!onScreen(x0, y0) || !onScreen(x1, y1)) continue;
    const uint16_t colour = ToPixel16(points[i].colour);
    const int32_t dx = x1 - x0, dy = y1 - y0;
    const int32_t steps = std::max(std::abs(dx), std::abs(dy));
    if (steps == 0) {
      ColourRows[y0][x0] = colour;
      continue;
    }
    // Along the longer axis in 16.16 fixed point.
    int64_t x = int64_t(x0) << 16, y = int64_t(y0) << 16;
    const int64_t sx = (int64_t(dx) << 16) / steps, sy = (int64_t(dy) << 16) / steps;
    for (int32_t s = 0; s <= steps; ++s, x += sx, y += sy) {
      int32_t px = int32_t((x + 0x8000) >> 16), py = int32_t((y + 0x8000) >> 16);
      if (onScreen(px, py)) ColourRows[py][px] = colour;
    }
  }
}

void CSoftwareRenderer::DrawSprites(int32_t count, const Vec3* positions, const uint32_t*,
                                    int32_t page, const float* sizes, float depthOffset,
                                    int32_t) {
  if (count <= 0 || !positions || !sizes || !open_) return;
  const SoftTexture* texture = DrawableTexture(page);
  if (!texture) return;
  const ProjectionState& p = g_Projection;
  for (int32_t i = 0; i < count; ++i) {
    Vec3 view;
    MatTransformPoints(view_, &positions[i], &view, 1);
    view.z += depthOffset;
    const float size = sizes[i];
    if (!(view.z > near_)) continue;
    // Wholly outside a side plane of the view frustum.
    if ((view.x + size) * p.xFactor < -view.z || (view.x - size) * p.xFactor > view.z) continue;
    if ((view.y + size) * p.yFactor < -view.z || (view.y - size) * p.yFactor > view.z) continue;
    float cx, cy, depth;
    ProjectToScreen(view, cx, cy, depth);
    const float hx = size * p.screenXScale / view.z, hy = -size * p.screenYScale / view.z;
    const float key = depth * 0.5f;
    RasterVertex a{cx - hx, cy - hy, key, 0, 0}, b{cx + hx, cy - hy, key, 1, 0};
    RasterVertex c{cx + hx, cy + hy, key, 1, 1}, d{cx - hx, cy + hy, key, 0, 1};
    // A sprite partly off screen is clipped.
    const uint8_t clip = !(a.x >= 0 && a.y >= 0 && c.x <= kSoftWidth && c.y < kSoftHeight);
    SetBlock(a, b, c);
    FillTexturedDepthKeyed(*texture, clip);
    SetBlock(a, c, d);
    FillTexturedDepthKeyed(*texture, clip);
  }
}
