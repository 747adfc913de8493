#include "ui/text_mesh.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "engine/files/text_bank.h"
#include "engine/render/renderer.h"
#include "engine/scene/model.h"
#include "ui/glyph_batcher.h"
#include "ui/ui_services.h"

namespace {

constexpr int32_t kSignFont = 4;
constexpr int32_t kLabelFont = 5;
constexpr uint32_t kWhite = 0xFFFFFFFF;

struct MeshGroup {
  int32_t texture, first, count;
  bool high;
};

// The one mesh builder, emptied at the start of every build.
struct TextMesh {
  std::array<Vec3, kTextMeshVertices> positions;
  std::array<TexCoord, kTextMeshVertices> uvs;
  std::array<uint32_t, kTextMeshVertices> colours;
  std::array<uint16_t, kTextMeshLowIndices> low;
  std::array<uint16_t, kTextMeshHighIndices> high;
  int32_t vertexCount = 0, lowCount = 0, highCount = 0;
  std::vector<MeshGroup> groups;
  int32_t openTexture = -1, openFirst = 0;
};

TextMesh& Mesh() {
  static TextMesh mesh;
  return mesh;
}

// A group of indices; one that follows the last group of its texture in the
// same list joins it, so repeated text stays one primitive per page.
void AddGroup(const MeshGroup& g) {
  std::vector<MeshGroup>& groups = Mesh().groups;
  for (auto it = groups.rbegin(); it != groups.rend(); ++it) {
    if (it->high != g.high) continue;
    if (it->texture == g.texture && it->first + it->count == g.first) {
      it->count += g.count;
      return;
    }
    break;
  }
  groups.push_back(g);
}

SignTextures g_textures;

// The slot of a glyph's texture in the interface's font set; 0 when unknown.
int32_t FontTexture(int32_t index) {
  const std::vector<int32_t>& slots = Ui().fontTextures;
  return index >= 0 && size_t(index) < slots.size() ? slots[size_t(index)] : 0;
}

// A laid-out glyph: its rectangle in interface units (y down) and texture
// rectangle.
struct LaidGlyph {
  float x0, y0, x1, y1;
  float u0, v0, u1, v1;
  bool second;
  int32_t texture;
};

// Lays the text out with the font through the glyph callback, then puts the
// interface's glyph batcher and font back.
std::vector<LaidGlyph> LayOut(int32_t font, std::string_view text, int32_t textId) {
  std::vector<LaidGlyph> glyphs;
  CTextSystem* t = Ui().text;
  if (t == nullptr) return glyphs;
  std::string plain(text);
  if (textId >= 0) {
    if (!t->GetTextAscii(plain, textId)) plain.clear();
  }
  if (plain.empty()) plain = "Error";
  const int32_t previous = t->CurrentFont();
  t->SelectFont(font);
  t->SetGlyphCallback([&](const GlyphRecord& g, int32_t w, int32_t h, float x, float y, float, uint8_t code,
                          void*) {
    const float side = g.place[5] > 0 ? float(g.place[5]) : 1.0f;
    glyphs.push_back({x, y, x + float(w), y + float(h), float(g.place[1]) / side, float(g.place[2]) / side,
                      float(g.place[1] + g.place[3]) / side, float(g.place[2] + g.place[4]) / side,
                      code >= kFirstHighGlyph, FontTexture(g.place[0])});
  });
  t->DrawString(0, 0, plain, nullptr);
  InstallGlyphBatcher();
  t->SelectFont(previous);
  return glyphs;
}

// The glyphs of one page on one texture as one group, in every copy.
template <typename Place>
void EmitGlyphGroup(const std::vector<LaidGlyph>& glyphs, int page, int32_t texture, int32_t copies, Place place) {
  BeginMeshGroup(texture);
  const int32_t firstHigh = Mesh().highCount;
  for (int32_t copy = 0; copy < copies; ++copy) {
    for (const LaidGlyph& g : glyphs) {
      if (g.second != (page == 1) || g.texture != texture) continue;
      const Vec3 c[4] = {place(copy, g.x0, g.y1), place(copy, g.x1, g.y1), place(copy, g.x1, g.y0),
                         place(copy, g.x0, g.y0)};
      const TexCoord t[4] = {{g.u0, g.v1}, {g.u1, g.v1}, {g.u1, g.v0}, {g.u0, g.v0}};
      if (Mesh().vertexCount + 4 > kTextMeshVertices) break;  // cut at a whole glyph
      int32_t i[4];
      for (int k = 0; k < 4; ++k) i[k] = AddMeshVertex(c[k].x, c[k].y, c[k].z, t[k].u, t[k].v, kWhite);
      if (page == 0) {
        AddMeshTriangle(i[0], i[1], i[2]);
        AddMeshTriangle(i[0], i[2], i[3]);
      } else {
        TextMesh& m = Mesh();
        if (m.highCount + 6 > kTextMeshHighIndices) break;
        for (int k : {0, 1, 2, 0, 2, 3}) m.high[size_t(m.highCount++)] = uint16_t(i[k]);
      }
    }
  }
  // High-page glyphs index the high list; its group is marked so.
  if (page == 1) {
    TextMesh& m = Mesh();
    AddGroup({texture, firstHigh, m.highCount - firstHigh, true});
    m.openTexture = -1;
    m.openFirst = m.lowCount;
  } else {
    EndMeshGroup();
  }
}

// Glyph rectangles into the mesh through `place`, which turns a point of
// the layout (x right, y down) of a copy (0 .. copies - 1) into the model:
// one group for each texture the glyphs of a page sit on, holding every
// copy. A font's glyphs are baked onto several textures whatever their
// code, so a group drawn with one texture for all would draw the rest from
// the wrong squares.
template <typename Place>
void EmitGlyphs(const std::vector<LaidGlyph>& glyphs, int32_t copies, Place place) {
  for (int page = 0; page < 2; ++page) {
    std::vector<int32_t> textures;  // the page's, in the order first met
    for (const LaidGlyph& g : glyphs)
      if (g.second == (page == 1) && std::find(textures.begin(), textures.end(), g.texture) == textures.end())
        textures.push_back(g.texture);
    for (const int32_t texture : textures) EmitGlyphGroup(glyphs, page, texture, copies, place);
  }
}

struct Extent {
  float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
};

Extent Measure(const std::vector<LaidGlyph>& glyphs) {
  Extent e;
  for (const LaidGlyph& g : glyphs)
    e.x0 = std::min(e.x0, g.x0), e.y0 = std::min(e.y0, g.y0), e.x1 = std::max(e.x1, g.x1),
    e.y1 = std::max(e.y1, g.y1);
  return e;
}

// One glyph per row, each centred on x = 0, rows 1.2 glyph heights apart.
void StackVertically(std::vector<LaidGlyph>& glyphs) {
  float y = 0;
  for (LaidGlyph& g : glyphs) {
    const float w = g.x1 - g.x0, h = g.y1 - g.y0;
    g.x0 = -w * 0.5f, g.x1 = w * 0.5f, g.y0 = y, g.y1 = y + h;
    y += h * 1.2f;
  }
}

// Registers the collected mesh as a model; 0 when empty or no model system.
int32_t Finish(TextModelRecord& r, bool prepare) {
  TextMesh& m = Mesh();
  if (m.vertexCount == 0 || TheModelSystem() == nullptr) return 0;
  std::vector<TexCoord> uv2(size_t(m.vertexCount), TexCoord{0, 0});
  std::vector<MeshGroup> groups;
  for (const MeshGroup& g : m.groups)
    if (g.count > 0) groups.push_back(g);
  if (groups.empty()) return 0;
  const int32_t handle =
      ModSysCreateSelfBuiltModel(int32_t(groups.size()), m.vertexCount, m.positions.data(), m.uvs.data(), uv2.data());
  if (handle <= 0) return 0;
  for (size_t i = 0; i < groups.size(); ++i) {
    const MeshGroup& g = groups[i];
    ModSysAddIndices(g.count, (g.high ? m.high.data() : m.low.data()) + g.first);
    ModSysEndPrimitive(handle, int32_t(i), 0, uint16_t(std::max(0, g.texture)));
  }
  ModSysCalcBounds(handle);
  if (prepare)
    if (CRenderer* renderer = GetRenderer()) renderer->PrepareModel(handle);
  r.model = handle;
  r.held = true;
  return handle;
}

// A backing rectangle of width x height at depth z, facing +z (and -z too
// when two-sided).
void Backing(int32_t texture, float width, float height, float z, float u0, float u1, bool twoSided) {
  BeginMeshGroup(texture);
  AddMeshQuad({-width * 0.5f, -height * 0.5f, z}, {width * 0.5f, height * 0.5f, z}, u0, 1, u1, 0, kWhite, twoSided);
  EndMeshGroup();
}

int32_t RowTexture(const int32_t (&table)[kSignRows], int32_t row) { return table[std::clamp(row, 0, kSignRows - 1)]; }

// The text fitted into fx x width by fy x height, centred, at depth 0.2; with
// a back copy the same again turned half round.
void FittedText(std::vector<LaidGlyph> glyphs, bool vertical, float width, float height, float fx, float fy,
                bool back) {
  if (glyphs.empty()) return;
  if (vertical) StackVertically(glyphs);
  const Extent e = Measure(glyphs);
  const float sx = fx * width / std::max(1.0f, e.x1 - e.x0), sy = fy * height / std::max(1.0f, e.y1 - e.y0);
  const float cx = (e.x0 + e.x1) * 0.5f, cy = (e.y0 + e.y1) * 0.5f;
  // The back copy turned half round.
  EmitGlyphs(glyphs, back ? 2 : 1, [&](int32_t copy, float x, float y) {
    return copy == 0 ? Vec3{(x - cx) * sx, (cy - y) * sy, 0.2f} : Vec3{-(x - cx) * sx, (cy - y) * sy, -0.2f};
  });
}

int32_t TextSign(TextModelRecord& r, std::string_view text, int32_t id, float width, float height, bool back,
                 bool twoSided) {
  ResetTextMesh();
  Backing(g_textures.signBoard[0], width, height, 0.1f, 0, 1, twoSided);
  FittedText(LayOut(kSignFont, text, id), true, width, height, 1.0f, 1.0f, back);
  return Finish(r, true);
}

int32_t FittedSign(TextModelRecord& r, int32_t row, std::string_view text, int32_t id, float width, float height,
                   bool back) {
  ResetTextMesh();
  Backing(RowTexture(g_textures.signBoard, row), width, height, 0.1f, 0.45f, 0.55f, back);
  FittedText(LayOut(kSignFont, text, id), false, width, height, 0.9f, 0.85f, back);
  return Finish(r, true);
}

int32_t FaceSign(TextModelRecord& r, int32_t row, float width, float height, bool twoSided) {
  ResetTextMesh();
  BeginMeshGroup(RowTexture(g_textures.signFace, row));
  AddMeshQuad({width * 0.5f, -height * 0.5f, 0.2f}, {-width * 0.5f, height * 0.5f, 0.2f}, 0, 1, 1, 0, kWhite,
              twoSided);
  EndMeshGroup();
  Backing(RowTexture(g_textures.signBoard, row), width, height, 0.1f, 0.45f, 0.55f, twoSided);
  return Finish(r, true);
}

}  // namespace

void SetSignTextures(const SignTextures& textures) { g_textures = textures; }

void ResetTextMesh() {
  TextMesh& m = Mesh();
  m.vertexCount = m.lowCount = m.highCount = 0;
  m.groups.clear();
  m.openTexture = -1;
}

int32_t TextMeshVertexCount() { return Mesh().vertexCount; }

int32_t AddMeshVertex(float x, float y, float z, float u, float v, uint32_t colour) {
  TextMesh& m = Mesh();
  if (m.vertexCount >= kTextMeshVertices) return -1;
  const size_t i = size_t(m.vertexCount++);
  m.positions[i] = {x, y, z};
  m.uvs[i] = {u, v};
  m.colours[i] = colour;
  return int32_t(i);
}

bool AddMeshTriangle(int32_t i0, int32_t i1, int32_t i2) {
  TextMesh& m = Mesh();
  if (i0 < 0 || i1 < 0 || i2 < 0 || m.lowCount + 3 > kTextMeshLowIndices) return false;
  for (int32_t i : {i0, i1, i2}) m.low[size_t(m.lowCount++)] = uint16_t(i);
  return true;
}

bool AddMeshQuad(const Vec3& c1, const Vec3& c2, float left, float top, float right, float bottom, uint32_t colour,
                 bool twoSided) {
  if (Mesh().vertexCount + 4 > kTextMeshVertices) return false;
  // The rectangle spanned in x and y at the corners' depth.
  const int32_t a = AddMeshVertex(c1.x, c1.y, c1.z, left, bottom, colour);
  const int32_t b = AddMeshVertex(c2.x, c1.y, c1.z, right, bottom, colour);
  const int32_t c = AddMeshVertex(c2.x, c2.y, c2.z, right, top, colour);
  const int32_t d = AddMeshVertex(c1.x, c2.y, c2.z, left, top, colour);
  bool ok = AddMeshTriangle(a, b, c) && AddMeshTriangle(a, c, d);
  if (twoSided) ok = ok && AddMeshTriangle(a, c, b) && AddMeshTriangle(a, d, c);
  return ok;
}

void BeginMeshGroup(int32_t texture) {
  TextMesh& m = Mesh();
  m.openTexture = texture;
  m.openFirst = m.lowCount;
}

void EndMeshGroup() {
  TextMesh& m = Mesh();
  if (m.openTexture == -1 && m.openFirst == m.lowCount) return;
  AddGroup({m.openTexture, m.openFirst, m.lowCount - m.openFirst, false});
  m.openTexture = -1;
  m.openFirst = m.lowCount;
}

int32_t BuildTextModel(TextModelRecord& r, std::string_view text, int32_t id, float width, float height) {
  return TextSign(r, text, id, width, height, false, false);
}
int32_t BuildTextModelFlag1(TextModelRecord& r, std::string_view text, int32_t id, float width, float height) {
  return TextSign(r, text, id, width, height, true, false);
}
int32_t BuildTextModelDoubleSided(TextModelRecord& r, std::string_view text, int32_t id, float width, float height) {
  return TextSign(r, text, id, width, height, true, true);
}
int32_t BuildFittedTextModel(TextModelRecord& r, int32_t row, std::string_view text, int32_t id, float width,
                             float height) {
  return FittedSign(r, row, text, id, width, height, false);
}
int32_t BuildFittedTextModelBack(TextModelRecord& r, int32_t row, std::string_view text, int32_t id, float width,
                                 float height) {
  return FittedSign(r, row, text, id, width, height, true);
}
int32_t AddSignText(TextModelRecord& r, int32_t row, float width, float height) {
  return FaceSign(r, row, width, height, false);
}
int32_t AddSignTextBackFace(TextModelRecord& r, int32_t row, float width, float height) {
  return FaceSign(r, row, width, height, true);
}

int32_t BuildSignPanelModel(TextModelRecord& r, int32_t logo, int32_t row, float width, float height, float y) {
  ResetTextMesh();
  const float w = 0.9f * width, h = 0.9f * height;
  BeginMeshGroup(RowTexture(g_textures.signBoard, row));
  AddMeshQuad({-0.45f * w, y - 0.7f * h, 0.1f}, {0.45f * w, y, 0.1f}, 0, 0, 1, 1, kWhite, true);
  AddMeshQuad({-0.15f * w, y - 0.1f * h, 0.15f}, {0.15f * w, y + 0.35f * h, 0.15f}, 0, 0, 1, 1, kWhite, false);
  AddMeshQuad({0.15f * w, y - 0.1f * h, 0.05f}, {-0.15f * w, y + 0.35f * h, 0.05f}, 0, 0, 1, 1, kWhite, false);
  EndMeshGroup();
  if (logo != -1) {
    BeginMeshGroup(RowTexture(g_textures.signFace, logo));
    AddMeshQuad({-0.15f * w, y - 0.6f * h, 0.2f}, {0.15f * w, y - 0.2f * h, 0.2f}, 0, 0, 1, 1, kWhite, false);
    EndMeshGroup();
  }
  return Finish(r, true);
}

int32_t BuildSignModel(TextModelRecord& r, int32_t row, float width, float height) {
  // A curved board: steps of 1/16 of a half turn round a half cylinder.
  ResetTextMesh();
  BeginMeshGroup(RowTexture(g_textures.signBoard, row));
  const float radius = width * 0.5f;
  for (int32_t k = 0; k < 16; ++k) {
    const float a0 = float(k) * 3.14159265f / 16.0f, a1 = float(k + 1) * 3.14159265f / 16.0f;
    const Vec3 p0{-radius * std::cos(a0), -height * 0.5f, radius * std::sin(a0) * 0.3f};
    const Vec3 p1{-radius * std::cos(a1), height * 0.5f, radius * std::sin(a1) * 0.3f};
    const int32_t i0 = AddMeshVertex(p0.x, p0.y, p0.z, float(k) / 16.0f, 1, kWhite);
    const int32_t i1 = AddMeshVertex(p1.x, p0.y, p1.z, float(k + 1) / 16.0f, 1, kWhite);
    const int32_t i2 = AddMeshVertex(p1.x, p1.y, p1.z, float(k + 1) / 16.0f, 0, kWhite);
    const int32_t i3 = AddMeshVertex(p0.x, p1.y, p0.z, float(k) / 16.0f, 0, kWhite);
    AddMeshTriangle(i0, i1, i2);
    AddMeshTriangle(i0, i2, i3);
  }
  EndMeshGroup();
  return Finish(r, true);
}

int32_t CreateFourSidedTextModel(TextModelRecord& r, int32_t textId, std::string_view text) {
  ResetTextMesh();
  const std::vector<LaidGlyph> glyphs = LayOut(kLabelFont, text, textId);
  if (glyphs.empty()) return 0;
  const Extent e = Measure(glyphs);
  const float half = (e.x1 - e.x0) * 0.5f;
  const float sx = half > 0 ? std::min(0.25f, 30.0f / half) : 0.25f;
  // Four copies, a quarter turn apart.
  EmitGlyphs(glyphs, 4, [&](int32_t turn, float x, float y) {
    const float a = float(turn) * 1.5707963f, c = std::cos(a), s = std::sin(a);
    const float px = (x - e.x0 - half) * sx, pz = y * 0.25f + 35.5f;
    return Vec3{c * px - s * pz, 0.25f, c * pz + s * px};
  });
  return Finish(r, false);
}
