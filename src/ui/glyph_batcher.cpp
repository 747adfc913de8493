#include "ui/glyph_batcher.h"

#include "engine/core/maths.h"
#include "engine/files/text_bank.h"
#include "engine/render/renderer.h"
#include "engine/scene/texture.h"
#include "ui/ui_services.h"

namespace {

struct GlyphBatch {
  Vec3 vertices[kGlyphBatchCapacity * 4];
  TexCoord coords[kGlyphBatchCapacity * 4];
  uint32_t colours[kGlyphBatchCapacity];
  int32_t count = 0;
  int32_t texture = -1;  // texture slot of the queued glyphs
};

GlyphBatch g_low, g_high;
int32_t g_font2D = -1;

int32_t GlyphTexture(const GlyphRecord& glyph) {
  const auto& table = Ui().fontTextures;
  const int32_t index = glyph.place[0];
  if (index < 0 || size_t(index) >= table.size()) return -1;
  return table[size_t(index)];
}

void Flush(GlyphBatch& batch) {
  const int32_t n = batch.count;
  batch.count = 0;
  if (n == 0) return;
  CRenderer* renderer = UiRenderer();
  const CTexture* texture = TexSysGetTexture(batch.texture);
  if (renderer == nullptr || texture == nullptr) return;
  // The batch holds texture rectangles; they become page coordinates here,
  // once per flush.
  for (int32_t i = 0; i < n; ++i) {
    TexCoord* c = batch.coords + 4 * i;
    const TexRect r{c[0].u, c[0].v, c[2].u, c[2].v};
    MapTextureRect(*texture, r, c);
  }
  TexSysMarkTextureUsed(batch.texture);
  renderer->DrawTexturedQuadsShaded(batch.vertices, n, batch.coords, texture->pageIndex,
                                    batch.colours);
}

}  // namespace

void InstallGlyphBatcher() {
  if (Ui().text == nullptr) return;
  Ui().text->SetGlyphCallback([](const GlyphRecord& g, int32_t w, int32_t h, float x, float y,
                                 float z, uint8_t code, void* argument) {
    const uint32_t colour = argument ? *static_cast<const uint32_t*>(argument) : 0xFFFFFFFFu;
    AddGlyphQuad(g, w, h, x, y, z, code, colour);
  });
}

void AddGlyphQuad(const GlyphRecord& glyph, int32_t width, int32_t height, float x, float y,
                  float z, uint8_t code, uint32_t colour) {
  const int32_t texture = GlyphTexture(glyph);
  if (texture < 0 || glyph.place[5] <= 0) return;
  GlyphBatch& batch = code < kFirstHighGlyph ? g_low : g_high;
  // Our fonts may spread one page's glyphs over more than one texture.
  if (batch.count > 0 && batch.texture != texture) Flush(batch);
  batch.texture = texture;
  // Corners on the half pixel, so glyph texels land on screen pixels.
  const float X = float(int32_t(x)) - 0.5f, Y = float(int32_t(y)) - 0.5f;
  const float W = float(width), H = float(height);
  const float side = float(glyph.place[5]);
  const float u0 = float(glyph.place[1]) / side, v0 = float(glyph.place[2]) / side;
  const float u1 = float(glyph.place[1] + glyph.place[3]) / side;
  const float v1 = float(glyph.place[2] + glyph.place[4]) / side;
  Vec3* v = batch.vertices + 4 * batch.count;
  TexCoord* c = batch.coords + 4 * batch.count;
  v[0] = {X, Y, z};
  v[1] = {X + W, Y, z};
  v[2] = {X + W, Y + H, z};
  v[3] = {X, Y + H, z};
  c[0] = {u0, v0};
  c[1] = {u1, v0};
  c[2] = {u1, v1};
  c[3] = {u0, v1};
  batch.colours[batch.count] = colour;
  if (++batch.count == kGlyphBatchCapacity) Flush(batch);
}

void SelectFont2D(int32_t font) {
  if (font == g_font2D) return;
  FlushGlyphBatchLow();
  FlushGlyphBatchHigh();
  if (Ui().text) Ui().text->SelectFont(font);
  g_font2D = font;
}

int32_t CurrentFont2D() { return g_font2D; }

void FlushGlyphBatches() {
  FlushGlyphBatchLow();
  FlushGlyphBatchHigh();
}

void FlushGlyphBatchLow() { Flush(g_low); }
void FlushGlyphBatchHigh() { Flush(g_high); }

void DrawTextString2D(std::string_view text) {
  if (Ui().text == nullptr) return;
  uint32_t white = 0xFFFFFFFFu;
  Ui().text->DrawString(0.0f, 0.0f, text.empty() ? std::string_view("Error") : text, &white);
}

void ResetGlyphBatcher() {
  g_low.count = g_high.count = 0;
  g_low.texture = g_high.texture = -1;
  g_font2D = -1;
}
