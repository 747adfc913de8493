#include "tools/modelgen/mesh_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>

namespace {

Vec3 Sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 Add(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
float Radians(float degrees) { return degrees * static_cast<float>(std::numbers::pi) / 180.0f; }

// Rotates (u, v) by the angle; the axis picks which two coordinates turn.
Place Turn(const Vec3& pivot, float degrees, const Vec3& offset, int axis) {
  const float c = std::cos(Radians(degrees)), s = std::sin(Radians(degrees));
  return [=](const Vec3& p) {
    Vec3 d = Sub(p, pivot), r = d;
    if (axis == 0) r = {d.x, d.y * c - d.z * s, d.y * s + d.z * c};
    if (axis == 1) r = {d.x * c + d.z * s, d.y, -d.x * s + d.z * c};
    if (axis == 2) r = {d.x * c - d.y * s, d.x * s + d.y * c, d.z};
    return Add(Add(r, pivot), offset);
  };
}

}  // namespace

Place Identity() {
  return [](const Vec3& p) { return p; };
}
Place TurnX(const Vec3& pivot, float degrees, const Vec3& offset) { return Turn(pivot, degrees, offset, 0); }
Place TurnY(const Vec3& pivot, float degrees, const Vec3& offset) { return Turn(pivot, degrees, offset, 1); }
Place TurnZ(const Vec3& pivot, float degrees, const Vec3& offset) { return Turn(pivot, degrees, offset, 2); }
Place Then(Place first, Place second) {
  return [=](const Vec3& p) { return second(first(p)); };
}
Place Move(const Vec3& offset) {
  return [=](const Vec3& p) { return Add(p, offset); };
}

void MeshBuilder::BeginFrame() { frames_.emplace_back(); }

void MeshBuilder::Tri(Vec3 a, const Vec3& b, Vec3 c, const Vec3& inside, Colour colour) {
  const Vec3 centre{(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3, (a.z + b.z + c.z) / 3};
  const Vec3 n = Cross(Sub(c, b), Sub(a, b));
  if (Dot(n, Sub(centre, inside)) < 0) std::swap(a, c);
  frames_.back().push_back({colour, {a, b, c}});
}

void MeshBuilder::Face(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, const Vec3& inside,
                       Colour colour) {
  Tri(a, b, c, inside, colour);
  Tri(a, c, d, inside, colour);
}

void MeshBuilder::Hexa(const std::array<Vec3, 8>& corners, Colour colour, const Place& place) {
  std::array<Vec3, 8> p;
  Vec3 inside{0, 0, 0};
  for (int i = 0; i < 8; ++i) {
    p[i] = outer_(place(corners[i]));
    inside = Add(inside, p[i]);
  }
  inside = {inside.x / 8, inside.y / 8, inside.z / 8};
  Face(p[0], p[1], p[2], p[3], inside, colour);  // bottom
  Face(p[4], p[5], p[6], p[7], inside, colour);  // top
  for (int i = 0; i < 4; ++i) {
    const int j = (i + 1) % 4;
    Face(p[i], p[j], p[j + 4], p[i + 4], inside, colour);
  }
}

void MeshBuilder::Box(const Vec3& lo, const Vec3& hi, Colour colour, const Place& place) {
  Taper(lo, hi, 0, 0, 0, colour, place);
}

void MeshBuilder::Taper(const Vec3& lo, const Vec3& hi, float insetX, float shiftLowZ, float shiftHighZ,
                        Colour colour, const Place& place) {
  const float tx0 = lo.x + insetX, tx1 = hi.x - insetX, tz0 = lo.z + shiftLowZ, tz1 = hi.z + shiftHighZ;
  Hexa({Vec3{lo.x, lo.y, lo.z}, Vec3{hi.x, lo.y, lo.z}, Vec3{hi.x, lo.y, hi.z}, Vec3{lo.x, lo.y, hi.z},
        Vec3{tx0, hi.y, tz0}, Vec3{tx1, hi.y, tz0}, Vec3{tx1, hi.y, tz1}, Vec3{tx0, hi.y, tz1}},
       colour, place);
}

void MeshBuilder::Prism(int sides, float r0, float r1, float y0, float y1, float cx, float cz, Colour colour,
                        char axis, const Place& place) {
  // Built standing on y; laid along x or z it runs from y0 to y1 on that
  // axis through the origin (its place moves it).
  auto orient = [&](Vec3 p) {
    if (axis == 'x') p = {p.y, p.x - cx, p.z - cz};
    if (axis == 'z') p = {p.x - cx, p.z - cz, p.y};
    return outer_(place(p));
  };
  auto at = [&](int k, float r, float y) {
    const double a = 2.0 * std::numbers::pi * k / sides;
    return orient({cx + r * static_cast<float>(std::cos(a)), y, cz + r * static_cast<float>(std::sin(a))});
  };
  const Vec3 inside = orient({cx, (y0 + y1) / 2, cz});
  const Vec3 bottom = orient({cx, y0, cz}), top = orient({cx, y1, cz});
  for (int k = 0; k < sides; ++k) {
    Face(at(k, r0, y0), at(k + 1, r0, y0), at(k + 1, r1, y1), at(k, r1, y1), inside, colour);
    if (r1 > 0) Tri(top, at(k, r1, y1), at(k + 1, r1, y1), inside, colour);
    if (r0 > 0) Tri(bottom, at(k + 1, r0, y0), at(k, r0, y0), inside, colour);
  }
}

void MeshBuilder::Quad(const std::array<Vec3, 4>& c, const Vec3& inside, Colour colour, const Place& place) {
  auto at = [&](const Vec3& v) { return outer_(place(v)); };
  Face(at(c[0]), at(c[1]), at(c[2]), at(c[3]), at(inside), colour);
}

void MeshBuilder::TurnAround() {
  for (auto& frame : frames_) {
    for (Triangle& t : frame) {
      for (Vec3& p : t.p) p = {-p.x, p.y, -p.z};
    }
  }
}

std::vector<Colour> MeshBuilder::Colours() const {
  std::vector<Colour> out;
  if (frames_.empty()) return out;
  for (const Triangle& t : frames_[0]) {
    if (std::find(out.begin(), out.end(), t.colour) == out.end()) out.push_back(t.colour);
  }
  return out;
}

bool MeshBuilder::Finish(ModelFileData& m, std::string& reason) const {
  if (frames_.empty() || frames_[0].empty()) return reason = "no shapes", false;
  const size_t tris = frames_[0].size();
  for (const auto& f : frames_) {
    if (f.size() != tris) return reason = "frames differ in shapes", false;
  }
  if (tris * 3 > 0xFFFF || tris * 3 > static_cast<size_t>(kMaxModelIndices)) return reason = "too many triangles", false;
  m = ModelFileData{};
  m.frameCount = static_cast<uint16_t>(frames_.size());
  // Vertices grouped by colour, so each primitive's vertices run together.
  const std::vector<Colour> colours = Colours();
  std::vector<size_t> order;
  for (Colour c : colours) {
    ModelFileData::Primitive prim;
    prim.texture = static_cast<uint16_t>(m.textures.size());
    m.textures.push_back(ColourTextureName(c));
    for (size_t t = 0; t < tris; ++t) {
      if (frames_[0][t].colour != c) continue;
      for (int k = 0; k < 3; ++k) prim.indices.push_back(static_cast<uint16_t>(order.size() * 3 + k));
      order.push_back(t);
    }
    m.primitives.push_back(std::move(prim));
  }
  m.vertexCount = static_cast<uint16_t>(tris * 3);
  for (const auto& f : frames_) {
    for (size_t t : order) m.positions.insert(m.positions.end(), {f[t].p[0], f[t].p[1], f[t].p[2]});
  }
  m.uvs.assign(m.vertexCount, TexCoord{0.5f, 0.5f});
  return NormaliseModelVertices(m, reason);
}

std::string ColourTextureName(Colour colour) {
  char name[32];
  std::snprintf(name, sizeof name, "c_%06x.tex", colour & 0xFFFFFF);
  return name;
}

bool ParseColour(const std::string& text, Colour& out) {
  if (text.size() != 7 || text[0] != '#') return false;
  char* end = nullptr;
  const unsigned long v = std::strtoul(text.c_str() + 1, &end, 16);
  if (*end != 0) return false;
  out = static_cast<Colour>(v);
  return true;
}
