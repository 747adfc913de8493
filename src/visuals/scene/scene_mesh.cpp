#include "visuals/scene/scene_mesh.h"

#include "engine/render/renderer.h"

namespace {

constexpr float kBayWidth = 16.0f;    // one facade texture across: four window bays
constexpr float kBandHeight = 40.0f;  // one facade texture up: four floors
constexpr uint32_t kMaxIndices = 0x3FF0;

}  // namespace

int32_t SceneMeshBuilder::Primitive(int32_t texture) {
  if (texture < 0) return -1;
  textures_.push_back(texture);
  indices_.emplace_back();
  return int32_t(textures_.size()) - 1;
}

void SceneMeshBuilder::Face(int32_t prim, const Vec3 (&w)[4], const TexCoord (&uv)[4], const Vec3& out) {
  if (prim < 0 || positions_.size() + 4 > 0xFFFF || indices_[size_t(prim)].size() + 6 > kMaxIndices) return;
  const uint16_t first = uint16_t(positions_.size());
  Vec3 m[4];
  for (int i = 0; i < 4; ++i) {
    m[i] = {w[i].x, w[i].y, -w[i].z};
    positions_.push_back(m[i]);
    uvs_.push_back(uv[i]);
  }
  const Vec3 a{m[1].x - m[0].x, m[1].y - m[0].y, m[1].z - m[0].z};
  const Vec3 b{m[2].x - m[0].x, m[2].y - m[0].y, m[2].z - m[0].z};
  const Vec3 n{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
  const bool forward = n.x * out.x + n.y * out.y - n.z * out.z >= 0;
  uint16_t q[4] = {first, uint16_t(first + 1), uint16_t(first + 2), uint16_t(first + 3)};
  if (!forward) std::swap(q[1], q[3]);
  auto& list = indices_[size_t(prim)];
  list.insert(list.end(), {q[0], q[1], q[2], q[0], q[2], q[3]});
}

void SceneMeshBuilder::Ground(int32_t prim, float x0, float z0, float x1, float z1, float y, float repeat,
                              float cell) {
  const int32_t nx = std::max(1, int32_t(std::ceil((x1 - x0) / cell)));
  const int32_t nz = std::max(1, int32_t(std::ceil((z1 - z0) / cell)));
  for (int32_t i = 0; i < nx; ++i)
    for (int32_t j = 0; j < nz; ++j) {
      const float ax = x0 + (x1 - x0) * float(i) / float(nx), bx = x0 + (x1 - x0) * float(i + 1) / float(nx);
      const float az = z0 + (z1 - z0) * float(j) / float(nz), bz = z0 + (z1 - z0) * float(j + 1) / float(nz);
      const Vec3 w[4] = {{ax, y, az}, {bx, y, az}, {bx, y, bz}, {ax, y, bz}};
      const TexCoord t[4] = {{ax / repeat, az / repeat}, {bx / repeat, az / repeat},
                             {bx / repeat, bz / repeat}, {ax / repeat, bz / repeat}};
      Face(prim, w, t, {0, 1, 0});
    }
}

void SceneMeshBuilder::Strip(int32_t prim, float x0, float z0, float x1, float z1, float y, bool alongX) {
  const float length = alongX ? x1 - x0 : z1 - z0, width = alongX ? z1 - z0 : x1 - x0;
  const int32_t pieces = std::max(1, int32_t(std::lround(length / std::max(width, 1.0f))));
  for (int32_t k = 0; k < pieces; ++k) {
    const float f0 = float(k) / float(pieces), f1 = float(k + 1) / float(pieces);
    Vec3 w[4];
    if (alongX) {
      const float a = x0 + length * f0, b = x0 + length * f1;
      w[0] = {a, y, z0}, w[1] = {a, y, z1}, w[2] = {b, y, z1}, w[3] = {b, y, z0};
    } else {
      const float a = z0 + length * f0, b = z0 + length * f1;
      w[0] = {x0, y, a}, w[1] = {x1, y, a}, w[2] = {x1, y, b}, w[3] = {x0, y, b};
    }
    const TexCoord t[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    Face(prim, w, t, {0, 1, 0});
  }
}

void SceneMeshBuilder::Box(int32_t walls, int32_t roof, float x0, float z0, float x1, float z1, float height,
                           float inset) {
  x0 -= inset, z0 -= inset, x1 += inset, z1 += inset;
  const float v = height / kBandHeight;
  auto wall = [&](Vec3 a, Vec3 b, const Vec3& out) {
    const float u = std::max(1.0f, std::round(VecDistance(a, b) / kBayWidth));
    const Vec3 w[4] = {{a.x, 0, a.z}, {b.x, 0, b.z}, {b.x, height, b.z}, {a.x, height, a.z}};
    const TexCoord t[4] = {{0, v}, {u, v}, {u, 0}, {0, 0}};
    Face(walls, w, t, out);
  };
  wall({x0, 0, z0}, {x1, 0, z0}, {0, 0, -1});
  wall({x1, 0, z0}, {x1, 0, z1}, {1, 0, 0});
  wall({x1, 0, z1}, {x0, 0, z1}, {0, 0, 1});
  wall({x0, 0, z1}, {x0, 0, z0}, {-1, 0, 0});
  if (roof >= 0) {
    const Vec3 w[4] = {{x0, height, z0}, {x1, height, z0}, {x1, height, z1}, {x0, height, z1}};
    const TexCoord t[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    Face(roof, w, t, {0, 1, 0});
  }
}

int32_t SceneMeshBuilder::Build() {
  if (positions_.empty()) return 0;
  const int32_t handle = ModSysCreateSelfBuiltModel(int32_t(textures_.size()), int32_t(positions_.size()),
                                                    positions_.data(), uvs_.data(), nullptr);
  if (handle <= 0) return 0;
  for (size_t p = 0; p < textures_.size(); ++p) {
    ModSysAddIndices(int32_t(indices_[p].size()), indices_[p].data());
    ModSysEndPrimitive(handle, int32_t(p), 0, uint16_t(textures_[p]));
  }
  ModSysCalcBounds(handle);
  if (CRenderer* r = GetRenderer()) r->PrepareModel(handle);
  return handle;
}
