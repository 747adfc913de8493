// The hardware renderer's batched drawing: the open batch in the dynamic
// buffers, the primitives, polylines, sprites, the entity queue, texture
// pages and model preparation.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/render/d3d_renderer.h"
#include "engine/scene/entity.h"
#include "engine/core/error.h"
#include "engine/render/light_ramp.h"
#include "engine/core/memory.h"
#include "engine/scene/model.h"
#include "engine/scene/texture.h"

using namespace platform;

namespace {

constexpr uint32_t kSpecularNone = 0xFF000000u;
constexpr int32_t kMaxQuadsPerBatch = kBatchVertices / 4;
constexpr int64_t kTextureBudgetLow = 0xF00000;
constexpr int64_t kTextureBudgetMedium = 0x800000;

struct Vertex36 {
  float x, y, z;
  uint32_t diffuse, specular;
  float u, v, u2, v2;
};

}  // namespace

// ---- The open batch --------------------------------------------------------------

void CD3DRenderer::MarkBuffersFull() {
  batchFirstVertex_ = 2 * kBatchVertices;
  batchVertexCount_ = 0;
  batchFirstIndex_ = 0x12000;
  batchIndexCount_ = 0;
}

void CD3DRenderer::UnlockBuffers() {
  if (verticesLocked_ && boundVertices_) boundVertices_->Unlock();
  if (indicesLocked_ && boundIndices_) boundIndices_->Unlock();
  verticesLocked_ = indicesLocked_ = false;
}

void CD3DRenderer::BindVertexFormat(GpuBuffer* buffer, GpuVertexLayout layout, bool noClip) {
  if (!dev_.device || !buffer) return;
  GpuBuffer* indices = dev_.indices[layout == GpuVertexLayout::Screen ? 1 : 0].get();
  if (buffer != boundVertices_ || indices != boundIndices_) {
    DrawBatch();
    if (layout_ != GpuVertexLayout::Screen) DrawQueue();
    UnlockBuffers();
    dev_.device->SetStreamSource(buffer, layout);
    dev_.device->SetIndices(indices, 0);
    boundVertices_ = buffer;
    boundIndices_ = indices;
    layout_ = layout;
    stride_ = GpuVertexStride(layout);
    MarkBuffersFull();
    ++GetRendererStats().vertexFormatChanges;
  }
  const int8_t clip = noClip ? 0 : 1;
  if (clipping_ != clip) {
    dev_.device->SetRenderState(GpuState::Clipping, uint32_t(clip));
    clipping_ = clip;
  }
}

bool CD3DRenderer::ReserveBatch(int32_t n, int32_t m, int32_t page, BatchSpace& out) {
  if (!boundVertices_ || !boundIndices_ || n <= 0 || n > kBatchVertices || m < 0 ||
      m > kBatchIndices)
    return false;
  uint32_t flags = kGpuLockNoOverwrite;
  if (batchFirstVertex_ + batchVertexCount_ + n > kBatchVertices ||
      batchFirstIndex_ + batchIndexCount_ + m > kBatchIndices) {
    DrawBatch();
    batchFirstVertex_ = batchVertexCount_ = batchFirstIndex_ = batchIndexCount_ = 0;
    batchPage_ = page;
    flags = kGpuLockDiscard;
    ++GetRendererStats().discardLocks;
  } else {
    if (page != batchPage_) {
      DrawBatch();
      batchPage_ = page;
    }
    ++GetRendererStats().noOverwriteLocks;
  }
  const int32_t at = batchFirstVertex_ + batchVertexCount_;
  const int32_t indexAt = batchFirstIndex_ + batchIndexCount_;
  out.base = at;
  out.vertices = static_cast<uint8_t*>(boundVertices_->Lock(at * stride_, n * stride_, flags));
  verticesLocked_ = out.vertices != nullptr;
  out.indices = nullptr;
  if (m > 0) {
    out.indices = static_cast<uint16_t*>(boundIndices_->Lock(indexAt * 2, m * 2, flags));
    indicesLocked_ = out.indices != nullptr;
  }
  if (!out.vertices || (m > 0 && !out.indices)) {
    UnlockBuffers();
    return false;
  }
  return true;
}

void CD3DRenderer::CommitBatch(int32_t n, int32_t m) {
  batchVertexCount_ += n;
  batchIndexCount_ += m;
  GetRendererStats().verticesSubmitted += n;
  GetRendererStats().indexTotal += m;
  UnlockBuffers();
}

void CD3DRenderer::DrawBatch() {
  if (batchVertexCount_ <= 0 || batchIndexCount_ <= 0 || !dev_.device) return;
  UnlockBuffers();
  if (batchIndexCount_ > 2) {
    BindStage(0, batchPage_);
    if (stageCount_ == 2) BindStage(1, stage1Page_);
    ApplyStates();
    dev_.device->DrawIndexed(batchFirstVertex_, batchVertexCount_, batchFirstIndex_,
                             batchIndexCount_ / 3);
    ++GetRendererStats().drawCalls;
  }
  batchFirstVertex_ += batchVertexCount_;
  batchVertexCount_ = 0;
  batchFirstIndex_ += batchIndexCount_;
  batchIndexCount_ = 0;
}

void CD3DRenderer::WriteTexturedVertex(uint8_t* at, const Vec3& p, uint32_t diffuse,
                                       uint32_t specular, float u, float v) {
  Vertex36 vertex{p.x, p.y, p.z, diffuse, specular, u, v, 0.0f, 0.0f};
  std::memcpy(at, &vertex, size_t(stride_ >= 36 ? 36 : 28));
}

template <typename Write>
void CD3DRenderer::EmitIndexed(const uint16_t* indices, int32_t indexCount, int32_t vertexCount,
                               int32_t page, Write write) {
  indexCount -= indexCount % 3;
  if (!indices || indexCount <= 0 || vertexCount <= 0) return;
  for (int32_t i = 0; i < indexCount; ++i)
    if (indices[i] >= vertexCount) {
      ReportErrorF(1, "Draw skipped: index %d of %d vertices", int32_t(indices[i]), vertexCount);
      return;
    }
  auto emit = [&](const int32_t* vertices, int32_t nv, const uint16_t* local, int32_t ni) {
    BatchSpace space;
    if (!ReserveBatch(nv, ni, page, space)) return;
    for (int32_t i = 0; i < nv; ++i)
      write(space.vertices + size_t(i) * size_t(stride_), vertices ? vertices[i] : i);
    for (int32_t i = 0; i < ni; ++i) space.indices[i] = uint16_t(local[i] + space.base);
    CommitBatch(nv, ni);
  };
  if (vertexCount <= kBatchVertices && indexCount <= kBatchIndices) {
    emit(nullptr, vertexCount, indices, indexCount);
    return;
  }
  std::vector<int32_t> remap(size_t(vertexCount), -1);
  std::vector<int32_t> used;
  std::vector<uint16_t> local;
  auto flush = [&]() {
    if (!local.empty()) emit(used.data(), int32_t(used.size()), local.data(), int32_t(local.size()));
    for (int32_t v : used) remap[size_t(v)] = -1;
    used.clear();
    local.clear();
  };
  for (int32_t t = 0; t < indexCount; t += 3) {
    int32_t fresh = 0;
    for (int32_t k = 0; k < 3; ++k)
      if (remap[indices[t + k]] < 0) ++fresh;
    if (int32_t(used.size()) + fresh > kBatchVertices || int32_t(local.size()) + 3 > kBatchIndices)
      flush();
    for (int32_t k = 0; k < 3; ++k) {
      const int32_t v = indices[t + k];
      if (remap[size_t(v)] < 0) {
        remap[size_t(v)] = int32_t(used.size());
        used.push_back(v);
      }
      local.push_back(uint16_t(remap[size_t(v)]));
    }
  }
  flush();
}

// ---- Quads and rectangles ----------------------------------------------------------

void CD3DRenderer::QuadBatch(const Vec3* quads, int32_t count, const TexCoord* coords,
                             int32_t page, const uint32_t* colours, int32_t coloursPerQuad) {
  if (count <= 0 || !quads || !dev_.device) return;
  DrawQueue();
  BindSingleTexture();
  if (page >= 0 && textures_ && page < textures_->pageCount) TexSysMarkPageUsed(page);
  for (int32_t done = 0; done < count;) {
    const int32_t n = std::min(kMaxQuadsPerBatch, count - done);
    BatchSpace space;
    if (!ReserveBatch(4 * n, 6 * n, page, space)) return;
    for (int32_t q = 0; q < n; ++q) {
      const int32_t i = done + q;
      for (int32_t k = 0; k < 4; ++k) {
        uint32_t colour = 0xFFFFFFFFu;
        if (colours) colour = coloursPerQuad == 4 ? colours[4 * i + k] : colours[i];
        const float u = coords ? coords[4 * i + k].u : 0.0f, v = coords ? coords[4 * i + k].v : 0.0f;
        WriteTexturedVertex(space.vertices + size_t(4 * q + k) * size_t(stride_), quads[4 * i + k],
                            colour, kSpecularNone, u, v);
      }
      const uint16_t b = uint16_t(space.base + 4 * q);
      const uint16_t tri[6] = {b, uint16_t(b + 1), uint16_t(b + 2), b, uint16_t(b + 2),
                               uint16_t(b + 3)};
      std::memcpy(space.indices + 6 * q, tri, sizeof(tri));
    }
    CommitBatch(4 * n, 6 * n);
    triangles_ += 2 * n;
    done += n;
  }
}

void CD3DRenderer::DrawTexturedPolygon(const Vec3* corners, int32_t cornerCount,
                                       const TexCoord* coords, int32_t page) {
  DrawTexturedQuads(corners, cornerCount / 4, coords, page);
}

void CD3DRenderer::DrawTexturedQuadsShaded(const Vec3* quads, int32_t count,
                                           const TexCoord* coords, int32_t page,
                                           const uint32_t* colours) {
  QuadBatch(quads, count, coords, page, colours, 1);
}

void CD3DRenderer::DrawTexturedQuads(const Vec3* quads, int32_t count, const TexCoord* coords,
                                     int32_t page) {
  QuadBatch(quads, count, coords, page, nullptr, 0);
}

void CD3DRenderer::DrawTexturedQuadsTinted(const Vec3* quads, int32_t count,
                                           const TexCoord* coords, int32_t page,
                                           const uint32_t* colours) {
  QuadBatch(quads, count, coords, page, colours, 1);
}

void CD3DRenderer::DrawTexturedQuadsColoured(const Vec3* quads, int32_t count,
                                             const uint32_t* colours, const TexCoord* coords,
                                             int32_t page) {
  QuadBatch(quads, count, coords, page, colours, 1);
}

void CD3DRenderer::DrawFlatQuads(const Vec3* quads, int32_t count, const uint32_t* colours) {
  QuadBatch(quads, count, nullptr, -1, colours, 1);
}

void CD3DRenderer::DrawGouraudQuads(const Vec3* quads, int32_t count, const uint32_t* colours) {
  QuadBatch(quads, count, nullptr, -1, colours, 4);
}

void CD3DRenderer::DrawTexturedRectsColoured(const ScreenRect* rects, int32_t count,
                                             const TexRect* texRects, int32_t page,
                                             const uint32_t* colours) {
  if (count <= 0 || !rects || !texRects) return;
  constexpr int32_t kChunk = 64;
  Vec3 quads[kChunk * 4];
  TexCoord coords[kChunk * 4];
  for (int32_t done = 0; done < count; done += kChunk) {
    const int32_t n = std::min(kChunk, count - done);
    for (int32_t i = 0; i < n; ++i) {
      const ScreenRect& r = rects[done + i];
      const TexRect& t = texRects[done + i];
      quads[4 * i + 0] = {r.x0, r.y0, r.z};
      quads[4 * i + 1] = {r.x1, r.y0, r.z};
      quads[4 * i + 2] = {r.x1, r.y1, r.z};
      quads[4 * i + 3] = {r.x0, r.y1, r.z};
      coords[4 * i + 0] = {t.u0, t.v0};
      coords[4 * i + 1] = {t.u1, t.v0};
      coords[4 * i + 2] = {t.u1, t.v1};
      coords[4 * i + 3] = {t.u0, t.v1};
    }
    QuadBatch(quads, n, coords, page, colours ? colours + done : nullptr, 1);
  }
}

void CD3DRenderer::DrawTexturedRects(const ScreenRect* rects, int32_t count,
                                     const TexRect* texRects, int32_t page) {
  DrawTexturedRectsColoured(rects, count, texRects, page, nullptr);
}

// ---- Indexed primitives ---------------------------------------------------------

void CD3DRenderer::DrawIndexedTextured(const VertexTextured* vertices, const uint16_t* indices,
                                       int32_t vertexCount, int32_t indexCount, int32_t page) {
  if (vertexCount <= 0 || indexCount <= 0 || !vertices || !dev_.device) return;
  DrawQueue();
  BindSingleTexture();
  EmitIndexed(indices, indexCount, vertexCount, page, [&](uint8_t* at, int32_t v) {
    std::memcpy(at, &vertices[v], sizeof(VertexTextured));
  });
  triangles_ += indexCount / 3;
}

void CD3DRenderer::DrawIndexedUntextured(const VertexUntextured* vertices,
                                         const uint16_t* indices, int32_t vertexCount,
                                         int32_t indexCount) {
  if (vertexCount <= 0 || indexCount <= 0 || !vertices || !dev_.device) return;
  DrawQueue();
  BindSingleTexture();
  EmitIndexed(indices, indexCount, vertexCount, -1, [&](uint8_t* at, int32_t v) {
    const VertexUntextured& s = vertices[v];
    WriteTexturedVertex(at, {s.x, s.y, s.z}, s.colour, kSpecularNone, 0.0f, 0.0f);
  });
  triangles_ += indexCount / 3;
}

void CD3DRenderer::DrawIndexedTwoTextures(const VertexTwoTextures* vertices,
                                          const uint16_t* indices, int32_t vertexCount,
                                          int32_t page, int32_t, int32_t indexCount) {
  if (vertexCount <= 0 || indexCount <= 0 || !vertices || !dev_.device) return;
  DrawQueue();
  BindVertexFormat(dev_.twoTextureVertices.get(), GpuVertexLayout::TwoTextures, false);
  EmitIndexed(indices, indexCount, vertexCount, page, [&](uint8_t* at, int32_t v) {
    std::memcpy(at, &vertices[v], sizeof(VertexTwoTextures));
  });
  triangles_ += indexCount / 3;
}

// ---- Polylines ------------------------------------------------------------------

void CD3DRenderer::BeginPolyline(int32_t mode) {
  if (mode == kPolylineStrip || mode == kPolylinePoints) polylineMode_ = mode;
  BindSingleTexture();
  DrawBatch();
  DrawQueue();
}

void CD3DRenderer::DrawPolyline(int32_t count, const PolylinePoint* points) {
  if (count <= 0 || !points || !dev_.device) return;
  const bool strip = polylineMode_ == kPolylineStrip;
  if (strip && count < 2) return;
  DrawBatch();
  // Long lines go in runs; a strip's runs share their joining point.
  for (int32_t first = 0; first < count;) {
    const int32_t n = std::min(kBatchVertices, count - first);
    BatchSpace space;
    if (!ReserveBatch(n, 0, batchPage_, space)) return;
    for (int32_t i = 0; i < n; ++i) {
      const PolylinePoint& p = points[first + i];
      WriteTexturedVertex(space.vertices + size_t(i) * size_t(stride_), {p.x, p.y, p.z}, p.colour,
                          kSpecularNone, 0.0f, 0.0f);
    }
    UnlockBuffers();
    BindStage(0, -1);
    ApplyStates();
    if (strip)
      dev_.device->Draw(GpuPrimitive::LineStrip, space.base, n - 1);
    else
      dev_.device->Draw(GpuPrimitive::PointList, space.base, n);
    ++GetRendererStats().drawCalls;
    batchFirstVertex_ = space.base + n;
    batchVertexCount_ = 0;
    batchFirstIndex_ += batchIndexCount_;
    batchIndexCount_ = 0;
    if (first + n >= count) break;
    first += strip ? n - 1 : n;
  }
}

// ---- Sprites --------------------------------------------------------------------

void CD3DRenderer::DrawSprites(int32_t count, const Vec3* positions, const uint32_t* colours,
                               int32_t page, const float* sizes, float depthOffset, int32_t) {
  if (count <= 0 || !positions || !colours || !sizes || !dev_.device) return;
  // The caller's positions are transformed in place, as the batch expects.
  Vec3* points = const_cast<Vec3*>(positions);
  if (dev_.settings.halos)
    DrawHaloSprites(count, points, colours, page, sizes, depthOffset);
  else
    DrawSpritesInView(count, points, colours, page, sizes, depthOffset);
}

void CD3DRenderer::DrawSpritesInView(int32_t count, Vec3* positions, const uint32_t* colours,
                                     int32_t page, const float* sizes, float depthOffset) {
  DrawQueue();
  BindSingleTexture();
  Mat43 view;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) view.m[r][c] = view_[r * 4 + c];
  MatTransformPointsInPlace(view, positions, sizeof(Vec3), count);
  std::vector<Vec3> quads(size_t(count) * 4);
  std::vector<TexCoord> coords(size_t(count) * 4);
  for (int32_t i = 0; i < count; ++i) {
    const Vec3& p = positions[i];
    const float s = sizes[i], z = p.z + depthOffset;
    Vec3* q = &quads[size_t(i) * 4];
    q[0] = {p.x - s, p.y + s, z};
    q[1] = {p.x - s, p.y - s, z};
    q[2] = {p.x + s, p.y - s, z};
    q[3] = {p.x + s, p.y + s, z};
    TexCoord* t = &coords[size_t(i) * 4];
    t[0] = {0, 0}, t[1] = {0, 1}, t[2] = {1, 1}, t[3] = {1, 0};
  }
  DrawBatch();
  float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  SetTransform(GpuTransform::View, identity);
  QuadBatch(quads.data(), count, coords.data(), page, colours, 1);
  ApplyCamera();
}

void CD3DRenderer::DrawHaloSprites(int32_t count, Vec3* positions, const uint32_t* colours,
                                   int32_t page, const float* sizes, float depthOffset) {
  Mat43 view;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) view.m[r][c] = view_[r * 4 + c];
  MatTransformPointsInPlace(view, positions, sizeof(Vec3), count);
  DrawBatch();
  DrawQueue();
  BindVertexFormat(dev_.screenVertices.get(), GpuVertexLayout::Screen, true);
  if (page >= 0 && textures_ && page < textures_->pageCount) TexSysMarkPageUsed(page);
  const float w = float(width_), h = float(height_);
  const float sx = projection_[0] * w * 0.5f, sy = projection_[5] * h * 0.5f;
  for (int32_t i = 0; i < count; ++i) {
    Vec3& p = positions[i];
    p.z += depthOffset;
    if (!(p.z > near_)) continue;
    const float inv = 1.0f / p.z;
    const float cx = (p.x * projection_[0] * inv + projection_[8] + 1.0f) * w * 0.5f;
    const float cy = (1.0f - (p.y * projection_[5] * inv + projection_[9])) * h * 0.5f;
    const float rx = sizes[i] * sx * inv, ry = sizes[i] * sy * inv;
    float x0 = cx - rx, x1 = cx + rx, y0 = cy - ry, y1 = cy + ry;
    if (x1 < 0 || x0 > w || y1 < 0 || y0 > h) continue;
    float u0 = 0, u1 = 1, v0 = 0, v1 = 1;
    auto cut = [](float& a, float& b, float& ta, float& tb, float lo, float hi) {
      const float span = b - a;
      if (span <= 0) return;
      if (a < lo) ta += (tb - ta) * (lo - a) / span, a = lo;
      if (b > hi) tb -= (tb - ta) * (b - hi) / (b - a), b = hi;
    };
    cut(x0, x1, u0, u1, 0.0f, w);
    cut(y0, y1, v0, v1, 0.0f, h);
    BatchSpace space;
    if (!ReserveBatch(4, 6, page, space)) break;
    const float z = q_ - qn_ * inv;
    struct Screen {
      float x, y, z, rhw;
      uint32_t diffuse, specular;
      float u, v;
    } corners[4] = {{x0, y0, z, inv, colours[i], kSpecularNone, u0, v0},
                    {x0, y1, z, inv, colours[i], kSpecularNone, u0, v1},
                    {x1, y1, z, inv, colours[i], kSpecularNone, u1, v1},
                    {x1, y0, z, inv, colours[i], kSpecularNone, u1, v0}};
    std::memcpy(space.vertices, corners, sizeof(corners));
    const uint16_t b = uint16_t(space.base);
    const uint16_t tri[6] = {b, uint16_t(b + 1), uint16_t(b + 2), b, uint16_t(b + 2),
                             uint16_t(b + 3)};
    std::memcpy(space.indices, tri, sizeof(tri));
    CommitBatch(4, 6);
    triangles_ += 2;
  }
  DrawBatch();
}

// ---- Entities -------------------------------------------------------------------

namespace {

// Rows 0..2 of a matrix applied to a vector (world direction into model space).
Vec3 IntoModel(const Mat43& m, const Vec3& v) {
  Vec3 out{m.m[0][0] * v.x + m.m[0][1] * v.y + m.m[0][2] * v.z,
           m.m[1][0] * v.x + m.m[1][1] * v.y + m.m[1][2] * v.z,
           m.m[2][0] * v.x + m.m[2][1] * v.y + m.m[2][2] * v.z};
  VecNormalise(out);
  return out;
}

Vec3 Scaled(const Vec3& v, float s) { return {v.x * s, v.y * s, v.z * s}; }

const CModel* EntityModel(const CEntity& e) {
  if (!e.model) return nullptr;
  int32_t level = e.lod >= 0 && uint32_t(e.lod) < e.model->count && e.lod < 3 ? e.lod : 0;
  return ModSysGetModel(e.model->handles[level]);
}

}  // namespace

int32_t CD3DRenderer::PageOfTexture(int32_t slot) const {
  if (!textures_) return -1;
  const CTexture* t = TexSysGetTexture(slot);
  if (!t || t->pageIndex < 0 || t->pageIndex >= kMaxPageTextures) return -1;
  return t->pageIndex;
}

void CD3DRenderer::DrawEntity(CEntity* entity) {
  if (!entity || !dev_.device) return;
  if (recordCount_ > kDrawQueueFlushAt) SetShader(-1);
  const CModel* model = EntityModel(*entity);
  if (!model || model->primitiveCount == 0 || !model->primitives) return;
  DrawRecord rec{};
  rec.matrix = entity->world;
  for (float& v : rec.matrix.m[2]) v = -v;
  const Mat43& w = entity->world;
  if (w.m[0][0] == 1 && w.m[1][1] == 1 && w.m[2][2] == 1 && w.m[0][1] == 0 && w.m[0][2] == 0 &&
      w.m[1][0] == 0 && w.m[1][2] == 0 && w.m[2][0] == 0 && w.m[2][1] == 0)
    rec.flags |= 1;
  rec.light = Scaled(IntoModel(rec.matrix, g_LightDirection), 127.0f);
  if (SpecularHighlights) {
    Vec3 eye{camPos_.x - entity->position.x, camPos_.y - entity->position.y,
             camPos_.z - entity->position.z};
    VecNormalise(eye);
    Vec3 h = Scaled(IntoModel(rec.matrix, eye), 127.0f);
    h = {h.x + rec.light.x, h.y + rec.light.y, h.z + rec.light.z};
    VecNormalise(h);
    rec.halfway = Scaled(h, 127.0f);
    rec.flags |= 4;
  }
  rec.colour = entity->colour;
  if (!lighting_) rec.flags |= 2;  // the queue is drawn later, under whatever lighting is on then
  rec.frame = std::clamp<int32_t>(entity->animFrame, 0, std::max<int32_t>(1, model->frameCount) - 1);
  if (immediateEntities_) {
    for (int32_t g = 0; g < model->primitiveCount; ++g) DrawQueuedGroup(rec, *model, g);
    return;
  }
  const int32_t index = recordCount_++;
  records_[index] = rec;
  const size_t pages = size_t(kMaxPageTextures) + 1;  // the last list holds untextured groups
  if (pageEntries_.size() < pages) {
    pageEntries_.resize(pages);
    pageBits_.assign((pages + 31) / 32, 0);
    pageVertices_.assign(pages, 0);
    pageIndices_.assign(pages, 0);
  }
  for (int32_t g = 0; g < model->primitiveCount; ++g) {
    const ModelPrimitive& prim = model->primitives[g];
    int32_t page = PageOfTexture(prim.texture);
    const size_t list = page < 0 ? size_t(kMaxPageTextures) : size_t(page);
    pageEntries_[list].push_back(int32_t(entries_.size()));
    entries_.push_back({index, model, g});
    pageVertices_[list] += prim.lastVertex - prim.firstVertex + 1;
    pageIndices_[list] += prim.indexCount;
    pageBits_[list / 32] |= 1u << (list % 32);
  }
}

bool CD3DRenderer::BeginDepthPrepass() {
  if (!dev_.device || immediateEntities_ || depthPrepass_) return false;
  SetShader(-1);  // what is pending is drawn as it was asked for
  depthPrepass_ = true;
  dev_.device->SetRenderState(GpuState::DepthOnly, 1);
  return true;
}

void CD3DRenderer::EndDepthPrepass() {
  if (!depthPrepass_) return;
  SetShader(-1);
  depthPrepass_ = false;
  if (dev_.device) dev_.device->SetRenderState(GpuState::DepthOnly, 0);
}

void CD3DRenderer::SetDrawBehindAll(bool on) {
  if (!dev_.device || (on && !(clearFlags_ & 2))) return;
  SetShader(-1);
  dev_.device->SetRenderState(GpuState::BehindAll, on ? 1 : 0);
  dirty_ = true;
}

void CD3DRenderer::DrawQueue() {
  if (entries_.empty() || !dev_.device) return;
  if (layout_ == GpuVertexLayout::Screen) BindSingleTexture();
  DrawBatch();
  std::vector<QueueEntry> entries;
  std::vector<std::vector<int32_t>> lists;
  entries.swap(entries_);  // drawing below must not see these again
  lists.swap(pageEntries_);
  pageEntries_.resize(lists.size());
  std::fill(pageBits_.begin(), pageBits_.end(), 0u);
  std::fill(pageVertices_.begin(), pageVertices_.end(), 0);
  std::fill(pageIndices_.begin(), pageIndices_.end(), 0);
  const int32_t savedTest = current_.alphaTest, savedBlend = current_.alphaBlend;
  auto opaque = [&](size_t list) {
    if (list >= size_t(kMaxPageTextures) || !textures_) return true;  // untextured
    return (textures_->pages[list].flags & kTexFlagOpaque) != 0;
  };
  // Opaque pages first with blending and alpha test off; then the pages with
  // transparency, with the shader's own alpha states. Flag 0x8000 is the
  // opaque mark: the first pass takes the pages that carry it. Taking the
  // pages that lack it first instead would draw transparent pages before the
  // opaque ones behind them and blend the opaque ones.
  // A depth pre-pass takes only the opaque pages.
  for (int pass = 0; pass < (depthPrepass_ ? 1 : 2); ++pass) {
    if (pass == 0) {
      current_.alphaBlend = kStateOff;
      current_.alphaTest = kStateOff;
    } else {
      DrawBatch();
      current_.alphaTest = savedTest == kStateOn ? kStateOn : kStateOff;
      current_.alphaBlend = savedBlend == kStateOn ? kStateOn : kStateOff;
    }
    dirty_ = true;
    for (size_t list = 0; list < lists.size(); ++list) {
      if (lists[list].empty() || opaque(list) != (pass == 0)) continue;
      for (int32_t e : lists[list]) {
        const QueueEntry& q = entries[size_t(e)];
        DrawQueuedGroup(records_[q.record], *q.model, q.group);
      }
    }
  }
  DrawBatch();
  current_.alphaTest = savedTest;
  current_.alphaBlend = savedBlend;
  dirty_ = true;
  recordCount_ = 0;
  for (auto& list : lists) list.clear();
  if (pageEntries_.size() == lists.size()) pageEntries_.swap(lists);
}

void CD3DRenderer::DrawQueuedGroup(const DrawRecord& rec, const CModel& model, int32_t group) {
  const ModelPrimitive& prim = model.primitives[group];
  const int32_t first = prim.firstVertex;
  const int32_t count = prim.lastVertex - prim.firstVertex + 1;
  if (count <= 0 || first < 0 || first + count > model.vertexCount || !prim.indices) return;
  const int32_t page = PageOfTexture(prim.texture);
  if (page >= 0) TexSysMarkPageUsed(page);
  const size_t frame = size_t(rec.frame) * size_t(model.vertexCount);
  const bool packed = model.packed == 1 && model.packedPositions;
  if (!packed && !model.positions) return;
  const bool flat = rec.colour != 0xFFFFFFFFu || (rec.flags & 2);
  const bool lit = !flat && model.normals;
  const bool twoStage = layout_ == GpuVertexLayout::TwoTextures;
  const Mat43& m = rec.matrix;
  const uint32_t* diffuseRamp = g_DiffuseRampCentre;
  const uint32_t* specularRamp = g_SpecularRampCentre;
  EmitIndexed(prim.indices, prim.indexCount, count, page, [&](uint8_t* at, int32_t local) {
    const size_t v = size_t(first + local);
    Vec3 p;
    if (packed) {
      const uint32_t w = model.packedPositions[frame + v];
      p = {model.packOrigin[0] + model.packStep[0] * float(PackedUnitX(w)),
           model.packOrigin[1] + model.packStep[1] * float(PackedUnitY(w)),
           model.packOrigin[2] + model.packStep[2] * float(PackedUnitZ(w))};
    } else {
      p = model.positions[frame + v];
    }
    Vec3 out;
    if (rec.flags & 1) {
      out = {p.x + m.m[3][0], p.y + m.m[3][1], m.m[3][2] - p.z};
    } else {
      out = {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
             p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
             p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]};
    }
    uint32_t diffuse = flat ? rec.colour : 0xFFFFFFFFu, specular = kSpecularNone;
    if (lit) {
      const Vec3& n = model.normals[v];
      const int32_t index = std::clamp(
          int32_t(std::lround(rec.light.x * n.x + rec.light.y * n.y + rec.light.z * n.z)), -127,
          128);
      const uint32_t entry = diffuseRamp[index];
      diffuse = entry | 0xFF000000u;
      int32_t highlight = 0;
      if (rec.flags & 4) {
        const float t = 0.5f + 0.5f * (rec.halfway.x * n.x + rec.halfway.y * n.y +
                                       rec.halfway.z * n.z) / 127.0f;
        const float t16 = std::pow(std::max(0.0f, t), 16.0f);
        highlight = std::max(0, int32_t(std::lround(t16 * 254.0f - 127.0f)));
      }
      specular = specularRamp[std::min(384, int32_t(entry >> 24) + highlight)];
    }
    const TexCoord uv = model.uv1 ? model.uv1[v] : TexCoord{0, 0};
    Vertex36 out36{out.x, out.y, out.z, diffuse, specular, uv.u, uv.v, 0.0f, 0.0f};
    if (twoStage && model.uv2) out36.u2 = model.uv2[v].u, out36.v2 = model.uv2[v].v;
    std::memcpy(at, &out36, twoStage ? 36 : 28);
  });
  triangles_ += prim.indexCount / 3;
}

// ---- Texture pages --------------------------------------------------------------

bool CD3DRenderer::AttachTextureSystem(CTextureSystem* textures) {
  textures_ = textures;
  return true;
}

bool CD3DRenderer::AttachModelSet(CModelSystem* models) {
  models_ = models;
  return true;
}

void CD3DRenderer::DownloadAllTexturePages() {
  if (!textures_) {
    ReportError(1, 0, "Cannot download texture pages with no texture system attached to renderer");
    return;
  }
  if (!dev_.device) return;
  if (!pagesReduced_ && (texDetail_ == 0 || texDetail_ == 1)) {
    TexSysReducePages(texDetail_ == 0 ? kTextureBudgetLow : kTextureBudgetMedium);
    pagesReduced_ = true;
  }
  const int32_t pages = std::clamp(textures_->pageCount, 0, kMaxPageTextures);
  for (int32_t p = 0; p < pages; ++p)
    if (textures_->pages[p].flags & kTexFlagPartialAlpha)
      textures_->pages[p].flags &= ~(kTexFlagKeyedAlpha | kTexFlagOpaque);
  int32_t failures = 0;
  for (int32_t p = 0; p < pages;) {
    const TexturePage& page = textures_->pages[p];
    if (D3DCreatePageTexture(dev_, p, page.width, page.height, page.flags,
                             dev_.settings.texBitDepth)) {
      ++p;
      continue;
    }
    // Out of texture memory: give back what was made, shrink, start again.
    ReleaseTexturePages();
    int64_t wanted = 0;
    for (int32_t q = p; q < pages; ++q)
      wanted += int64_t(textures_->pages[q].width) * int64_t(textures_->pages[q].height) * 2;
    ++failures;
    if (failures == 2 && dev_.settings.texBitDepth == 32) {
      dev_.settings.texBitDepth = 16;
    } else {
      const int64_t before = TexSysPageMemory();
      TexSysReducePages(wanted);  // the budget is what to give up
      if (TexSysPageMemory() >= before && failures > 2) {
        ReportError(1, 0, "D3D: texture pages do not fit in texture memory");
        return;
      }
    }
    p = 0;
  }
  for (int32_t p = 0; p < pages; ++p) DownloadTexturePage(p);
}

void CD3DRenderer::DownloadTexturePage(int32_t page) {
  if (!textures_ || !dev_.device || page < 0 || page >= kMaxPageTextures ||
      page >= textures_->pageCount)
    return;
  GpuTexture* target = dev_.pageTextures[page].get();
  const uint32_t* pixels = TexSysPagePixels(page);
  const int32_t size = TexSysPageSize(page);
  if (!target) {
    const TexturePage& p = textures_->pages[page];
    if (!D3DCreatePageTexture(dev_, page, p.width, p.height, p.flags, dev_.settings.texBitDepth))
      return;
    target = dev_.pageTextures[page].get();
  }
  TexSysMarkPageUsed(page);
  if (!pixels || size <= 0 || size != target->Width() || size != target->Height()) return;
  auto system = dev_.device->CreateTexture(target->Width(), target->Height(), target->Levels(),
                                           target->Format(), GpuPool::SystemMemory);
  if (!system) {
    ReportError(0, 0, "D3D:CAN'T ALLOCATE SYSTEM MEMORY TEXTURE");
    return;
  }
  std::vector<uint32_t> scratch(pixels, pixels + size_t(size) * size_t(size));
  int32_t w = size, h = size;
  const int32_t format = target->Format() == GpuFormat::A4R4G4B4   ? kPixel4444
                         : target->Format() == GpuFormat::A1R5G5B5 ? kPixel1555
                                                                   : kPixel8888;
  for (int32_t level = 0; level < system->Levels(); ++level) {
    int32_t pitch = 0;
    void* bits = system->Lock(level, &pitch);
    if (bits) {
      if (format == kPixel8888)
        SwapRedBlue(bits, scratch.data(), w, h, pitch, format);
      else
        ConvertPixels16(bits, scratch.data(), w, h, pitch, format);
      system->Unlock(level);
    }
    if (w > 1 || h > 1) {
      DownsamplePixelsInPlace(scratch.data(), w, h);
      w = std::max(1, w / 2);
      h = std::max(1, h / 2);
    }
  }
  dev_.device->UpdateTexture(system.get(), target);
}

void CD3DRenderer::ReleaseTexturePages() {
  UnbindStages();
  for (auto& t : dev_.pageTextures) t.reset();
}

void CD3DRenderer::DrawTexturePageOverview() {
  if (!textures_) return;
  const int32_t pages = std::clamp(textures_->pageCount, 0, kMaxPageTextures);
  float y = 0.0f;
  for (int32_t size = 1 << 13; size >= 2; size >>= 1) {
    int32_t column = 0;
    for (int32_t p = 0; p < pages; ++p) {
      if (int32_t(textures_->pages[p].width) != size) continue;
      const float side = float(size) * 0.04f, x = float(column) * float(size) * 0.05f;
      const Vec3 quad[4] = {{x, y, 100}, {x + side, y, 100}, {x + side, y + side, 100},
                            {x, y + side, 100}};
      const TexCoord uv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
      DrawTexturedQuads(quad, 1, uv, p);
      if (++column == 8) {
        column = 0;
        y += float(size) * 0.05f;
      }
    }
    if (column) y += float(size) * 0.05f;
  }
}

// ---- Models ---------------------------------------------------------------------

void CD3DRenderer::PrepareModel(int32_t handle) {
  CModel* model = ModSysGetModel(handle);
  if (!model) return;
  if (!ModSysPrepareModel(model)) return;
  if (!(model->flags & kModelFlagUVsFitted) && textures_) ModSysFitUVs(textures_, model);
  if (!model->normals) ModSysCalcNormals(model);
  if (model->primitiveCount > 0 && model->primitives) {
    const int32_t page = PageOfTexture(model->primitives[0].texture);
    if (page >= 0) TexSysMarkPageUsed(page);
  }
}

int32_t CD3DRenderer::PrepareAllModels() {
  for (int32_t handle = 1; handle <= kMaxModels; ++handle) PrepareModel(handle);
  return kMaxModels;
}
