#include "ui/layout_model.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "engine/core/error.h"
#include "engine/core/play_warning.h"
#include "engine/files/file_bytes.h"
#include "engine/files/texture_file.h"
#include "engine/render/renderer.h"
#include "engine/scene/texture.h"
#include "ui/ui_services.h"

namespace {

constexpr float kLayoutReach = 100000.0f;

const Vec3* FramePositions(const LayoutModel& model, int32_t frame) {
  const ModelFileData& d = model.data;
  if (d.vertexCount == 0 || d.positions.empty()) return nullptr;
  frame = std::clamp<int32_t>(frame, 0, std::max<int32_t>(d.frameCount, 1) - 1);
  return d.positions.data() + size_t(frame) * d.vertexCount;
}

std::string FolderOf(std::string_view gameName) {
  const size_t slash = gameName.find_last_of("\\/");
  return slash == std::string_view::npos ? std::string() : std::string(gameName.substr(0, slash + 1));
}

// "a\\b\\..\\c" -> "a\\c", so every layout naming one file shares its texture.
std::string NormalisedName(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = std::min(path.find_first_of("\\/", start), path.size());
    const std::string part = path.substr(start, end - start);
    if (part == ".." && !parts.empty() && parts.back() != "..")
      parts.pop_back();
    else if (!part.empty() && part != ".")
      parts.push_back(part);
    start = end + 1;
  }
  std::string out;
  for (const std::string& part : parts) out += (out.empty() ? "" : "\\") + part;
  return out;
}

// Texture slots of the layout textures registered so far in the current
// texture system, by game name.
std::map<std::string, int32_t>& LayoutTextures() {
  static std::map<std::string, int32_t> slots;
  static uint32_t generation = 0;
  const CTextureSystem* system = TheTextureSystem();
  const uint32_t current = system ? system->generation : 0;
  if (generation != current) {
    slots.clear();
    generation = current;
  }
  return slots;
}

int32_t LoadSingleTexture(const std::string& name) {
  const std::string path = NormalisedName(name);
  const auto known = LayoutTextures().find(path);
  if (known != LayoutTextures().end()) return known->second;
  std::vector<uint8_t> bytes;
  TextureImage image;
  std::string reason;
  if (!ReadWholeGameFile(path, bytes) || !ParseTextureFile(bytes, image, reason)) {
    ReportErrorF(1, "Layout texture %.200s cannot be read", path.c_str());
    return -1;
  }
  const int32_t slot = TexRegisterImage(std::move(image));
  if (slot >= 0) LayoutTextures()[path] = slot;
  return slot;
}

}  // namespace

bool ParseLayoutModel(std::span<const uint8_t> bytes, LayoutModel& out, std::string& reason) {
  out = LayoutModel{};
  if (!ParseModelFile(bytes, out.data, reason)) return false;
  const ModelFileData& d = out.data;
  if (d.positions.size() != size_t(d.frameCount) * d.vertexCount) return RefuseFile(reason, "positions");
  for (const ModelNamedRecord& r : d.namedRecords)
    if (r.firstVertex > r.lastVertex || r.lastVertex >= d.vertexCount) return RefuseFile(reason, "group");
  for (const auto& p : d.primitives)
    for (uint16_t i : p.indices)
      if (i >= d.vertexCount) return RefuseFile(reason, "index");
  // Layouts are drawn in a 640 x 480 space. A position far outside it, or
  // not a number, is damage: it is kept within a reach whose rectangles and
  // text widths still fit an int.
  for (Vec3& p : out.data.positions)
    for (float* c : {&p.x, &p.y, &p.z}) *c = std::isnan(*c) ? 0.0f : std::clamp(*c, -kLayoutReach, kLayoutReach);
  out.textures.assign(d.textures.size(), -1);
  return true;
}

bool LoadLayoutModel(std::string_view gameName, LayoutModel& out, std::string& reason) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeGameFile(gameName, bytes)) return RefuseFile(reason, "missing");
  if (!ParseLayoutModel(bytes, out, reason)) return false;
  out.name = std::string(gameName);
  const std::string folder = FolderOf(gameName);
  for (size_t i = 0; i < out.data.textures.size(); ++i)
    out.textures[i] = LoadSingleTexture(folder + out.data.textures[i]);
  return true;
}

bool LoadLayoutModels(std::span<const char* const> gameNames, std::vector<LayoutModel>& out) {
  out.assign(gameNames.size(), LayoutModel{});
  bool ok = true;
  for (size_t i = 0; i < gameNames.size(); ++i) {
    std::string reason;
    if (!LoadLayoutModel(gameNames[i], out[i], reason)) {
      // Said once per file: the elements it lacks are then only logged.
      ReportPerFileF(1, "layout", gameNames[i], "Layout %.200s cannot be read (%.100s)", gameNames[i],
                     reason.c_str());
      out[i] = LayoutModel{};
      out[i].name = gameNames[i];
      ok = false;
    }
  }
  return ok;
}

UIRect LayoutGroupRect(const LayoutModel& model, int32_t group, int32_t frame) {
  const Vec3* p = FramePositions(model, frame);
  if (p == nullptr || group < 0 || group >= model.GroupCount()) return UIRect{};
  const ModelNamedRecord& g = model.data.namedRecords[size_t(group)];
  UIRect r{99999.0f, 99999.0f, -99999.0f, -99999.0f, 0.5f};
  for (int32_t v = g.firstVertex; v <= g.lastVertex; ++v) {
    r.x1 = std::min(r.x1, p[v].x);
    r.x2 = std::max(r.x2, p[v].x);
    r.y1 = std::min(r.y1, -p[v].y);
    r.y2 = std::max(r.y2, -p[v].y);
  }
  return r;
}

UIRect LayoutFrameBounds(const LayoutModel& model, int32_t frame) {
  const Vec3* p = FramePositions(model, frame);
  UIRect r{99999.0f, 99999.0f, -99999.0f, -99999.0f, 0.5f};
  if (p == nullptr) return r;
  for (int32_t v = 0; v < model.data.vertexCount; ++v) {
    r.x1 = std::min(r.x1, p[v].x);
    r.x2 = std::max(r.x2, p[v].x);
    r.y1 = std::min(r.y1, -p[v].y);
    r.y2 = std::max(r.y2, -p[v].y);
  }
  return r;
}

float LayoutGroupDepth(const LayoutModel& model, int32_t group, int32_t frame) {
  const Vec3* p = FramePositions(model, frame);
  if (p == nullptr || group < 0 || group >= model.GroupCount()) return 0.0f;
  const ModelNamedRecord& g = model.data.namedRecords[size_t(group)];
  float sum = 0.0f;
  for (int32_t v = g.firstVertex; v <= g.lastVertex; ++v) sum += p[v].z;
  return sum / float(g.lastVertex - g.firstVertex + 1);
}

int32_t LayoutGroupIndex(const LayoutModel& model, std::string_view name) {
  if (name.empty()) return -1;
  for (int32_t i = 0; i < model.GroupCount(); ++i) {
    const char* n = model.data.namedRecords[size_t(i)].name;
    if (name == std::string_view(n, strnlen(n, kModelNameLength))) return i;
  }
  return -1;
}

int32_t LayoutPrimitiveGroup(const LayoutModel& model, size_t primitive) {
  const auto& prims = model.data.primitives;
  if (primitive >= prims.size() || prims[primitive].indices.empty()) return -1;
  const uint16_t first = prims[primitive].indices[0];
  for (int32_t g = 0; g < model.GroupCount(); ++g) {
    const ModelNamedRecord& r = model.data.namedRecords[size_t(g)];
    if (first >= r.firstVertex && first <= r.lastVertex) return g;
  }
  return -1;
}

int32_t LayoutPrimitiveTexture(const CLayoutEntity& entity, size_t primitive) {
  if (entity.model == nullptr) return -1;
  const LayoutModel& model = *entity.model;
  const int32_t group = LayoutPrimitiveGroup(model, primitive);
  if (group >= 0 && size_t(group) < entity.groupTextures.size() && entity.groupTextures[size_t(group)] >= 0)
    return entity.groupTextures[size_t(group)];
  const uint16_t t = model.data.primitives[primitive].texture;
  return t < model.textures.size() ? model.textures[t] : -1;
}

void DrawLayoutModel(const CLayoutEntity& entity, float depth) {
  CRenderer* renderer = UiRenderer();
  if (renderer == nullptr || entity.model == nullptr) return;
  const LayoutModel& model = *entity.model;
  const Vec3* p = FramePositions(model, entity.frame);
  if (p == nullptr || model.data.uvs.size() != model.data.vertexCount) return;
  const uint32_t colour = (uint32_t(entity.alpha) << 24) | 0xFFFFFFu;
  std::vector<Vec3> quads;
  std::vector<TexRect> rects;
  for (size_t pi = 0; pi < model.data.primitives.size(); ++pi) {
    const auto& prim = model.data.primitives[pi];
    const int32_t texture = LayoutPrimitiveTexture(entity, pi);
    if (prim.key == kLayoutAreaKey || texture < 0) continue;
    const int32_t group = LayoutPrimitiveGroup(model, pi);
    const bool flipped = group >= 0 && size_t(group) < entity.groupFlipped.size() &&
                         entity.groupFlipped[size_t(group)];
    quads.clear();
    rects.clear();
    for (size_t i = 0; i + 6 <= prim.indices.size(); i += 6) {
      float x1 = 1e9f, y1 = 1e9f, x2 = -1e9f, y2 = -1e9f;
      TexRect t{1e9f, 1e9f, -1e9f, -1e9f};
      for (size_t k = 0; k < 6; ++k) {
        const uint16_t v = prim.indices[i + k];
        x1 = std::min(x1, p[v].x), x2 = std::max(x2, p[v].x);
        y1 = std::min(y1, -p[v].y), y2 = std::max(y2, -p[v].y);
        const TexCoord& c = model.data.uvs[v];
        t.u0 = std::min(t.u0, c.u), t.u1 = std::max(t.u1, c.u);
        t.v0 = std::min(t.v0, c.v), t.v1 = std::max(t.v1, c.v);
      }
      if (flipped) std::swap(t.v0, t.v1);
      x1 += entity.x, x2 += entity.x, y1 += entity.y, y2 += entity.y;
      quads.insert(quads.end(), {{x1, y1, depth}, {x2, y1, depth}, {x2, y2, depth}, {x1, y2, depth}});
      rects.push_back(t);
    }
    if (rects.empty()) continue;
    std::vector<uint32_t> colours(rects.size(), colour);
    renderer->DrawTexturedQuadsShaded(quads.data(), int32_t(rects.size()), rects.data(), texture,
                                      colours.data());
  }
}
