#include "tools/modelc/model_source.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <numbers>
#include <sstream>

#include "tools/tool_io.h"

namespace {

constexpr float kMaxCoordinate = 1.0e6f;

Vec3 Sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

class SourceParser {
 public:
  explicit SourceParser(ModelSource& out) : out_(out), m_(out.model) {}

  bool Parse(std::string_view text, std::string& error) {
    std::istringstream in{std::string(text)};
    std::string line;
    for (line_ = 1; std::getline(in, line); ++line_) {
      std::istringstream words(line);
      std::string op;
      if (!(words >> op) || op[0] == '#') continue;
      if (!Statement(op, words) || !NothingMoreOnLine(words, why_)) return Fail(error);
    }
    if (group_open_) why_ = "group without endgroup";
    else if (out_.output.empty()) why_ = "no output given";
    else if (m_.primitives.empty()) why_ = "no primitives";
    else return Finish(error);
    return Fail(error);
  }

 private:
  bool Fail(std::string& error) const {
    error = "line " + std::to_string(line_) + ": " + why_;
    return false;
  }
  bool Refuse(std::string why) {
    why_ = std::move(why);
    return false;
  }
  bool Get(std::istringstream& words, float& value) {
    return (words >> value && std::isfinite(value) && std::fabs(value) <= kMaxCoordinate) ||
           Refuse("number missing or out of range");
  }
  bool Get(std::istringstream& words, Vec3& v) { return Get(words, v.x) && Get(words, v.y) && Get(words, v.z); }
  bool Get(std::istringstream& words, int32_t& value, int32_t low, int32_t high) {
    return (words >> value && value >= low && value <= high) || Refuse("whole number missing or out of range");
  }

  uint16_t AddVertex(const Vec3& p, float u, float v) {
    positions_.push_back(p);
    m_.uvs.push_back({u, v});
    return static_cast<uint16_t>(positions_.size() - 1);
  }
  bool RoomFor(size_t vertices) {
    return positions_.size() + vertices <= 0xFFFF || Refuse("too many vertices");
  }
  ModelFileData::Primitive* Current() {
    if (m_.primitives.empty()) {
      why_ = "no primitive started";
      return nullptr;
    }
    return &m_.primitives.back();
  }
  // A triangle of new vertices wound to face `outward`.
  void OutwardTriangle(ModelFileData::Primitive& prim, uint16_t a, uint16_t b, uint16_t c, const Vec3& outward) {
    const Vec3 n = Cross(Sub(positions_[c], positions_[b]), Sub(positions_[a], positions_[b]));
    if (Dot(n, outward) < 0) std::swap(a, c);
    prim.indices.insert(prim.indices.end(), {a, b, c});
  }
  // A flat face of four corners in order around it, textured across.
  void Face(ModelFileData::Primitive& prim, const Vec3 (&c)[4], float width, float height, const Vec3& outward) {
    const float us = tile_ > 0 ? width * tile_ : 1.0f, vs = tile_ > 0 ? height * tile_ : 1.0f;
    const uint16_t a = AddVertex(c[0], 0, vs), b = AddVertex(c[1], us, vs), d = AddVertex(c[2], us, 0),
                   e = AddVertex(c[3], 0, 0);
    OutwardTriangle(prim, a, b, d, outward);
    OutwardTriangle(prim, a, d, e, outward);
  }

  bool Box(std::istringstream& words) {
    Vec3 lo, hi;
    ModelFileData::Primitive* prim = Current();
    if (!prim || !Get(words, lo) || !Get(words, hi) || !RoomFor(24)) return false;
    if (lo.x > hi.x) std::swap(lo.x, hi.x);
    if (lo.y > hi.y) std::swap(lo.y, hi.y);
    if (lo.z > hi.z) std::swap(lo.z, hi.z);
    const float dx = hi.x - lo.x, dy = hi.y - lo.y, dz = hi.z - lo.z;
    // Sides bottom-left, bottom-right, top-right, top-left as seen from outside.
    Face(*prim, {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z}}, dx, dy, {0, 0, -1});
    Face(*prim, {{hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {hi.x, hi.y, lo.z}}, dz, dy, {1, 0, 0});
    Face(*prim, {{hi.x, lo.y, hi.z}, {lo.x, lo.y, hi.z}, {lo.x, hi.y, hi.z}, {hi.x, hi.y, hi.z}}, dx, dy, {0, 0, 1});
    Face(*prim, {{lo.x, lo.y, hi.z}, {lo.x, lo.y, lo.z}, {lo.x, hi.y, lo.z}, {lo.x, hi.y, hi.z}}, dz, dy, {-1, 0, 0});
    Face(*prim, {{lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}}, dx, dz, {0, 1, 0});
    Face(*prim, {{lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, lo.y, lo.z}, {lo.x, lo.y, lo.z}}, dx, dz, {0, -1, 0});
    return true;
  }

  bool Cylinder(std::istringstream& words) {
    int32_t sides = 0;
    float r0 = 0, r1 = 0, y0 = 0, y1 = 0, cx = 0, cz = 0;
    ModelFileData::Primitive* prim = Current();
    if (!prim || !Get(words, sides, 3, 64) || !Get(words, r0) || !Get(words, r1) || !Get(words, y0) ||
        !Get(words, y1) || !RoomFor(static_cast<size_t>(sides) * 7))
      return false;
    if (words >> std::ws && !words.eof() && words.peek() != '#' && !(Get(words, cx) && Get(words, cz))) return false;
    if (r0 < 0 || r1 < 0 || (r0 == 0 && r1 == 0) || y1 <= y0) return Refuse("radii must not be negative, y1 above y0");
    auto at = [&](int32_t k, float r, float y) {
      const double a = 2.0 * std::numbers::pi * k / sides;
      return Vec3{cx + r * static_cast<float>(std::cos(a)), y, cz + r * static_cast<float>(std::sin(a))};
    };
    const float around = 2.0f * static_cast<float>(std::numbers::pi) * std::max(r0, r1);
    for (int32_t k = 0; k < sides; ++k) {
      const Vec3 c[4] = {at(k, r0, y0), at(k + 1, r0, y0), at(k + 1, r1, y1), at(k, r1, y1)};
      const double mid = 2.0 * std::numbers::pi * (k + 0.5) / sides;
      Face(*prim, c, around / static_cast<float>(sides), y1 - y0,
           {static_cast<float>(std::cos(mid)), 0, static_cast<float>(std::sin(mid))});
    }
    if (r1 > 0) {
      const uint16_t centre = AddVertex({cx, y1, cz}, 0.5f, 0.5f);
      for (int32_t k = 0; k < sides; ++k) {
        const double a0 = 2.0 * std::numbers::pi * k / sides, a1 = 2.0 * std::numbers::pi * (k + 1) / sides;
        const uint16_t p = AddVertex(at(k, r1, y1), 0.5f + 0.5f * static_cast<float>(std::cos(a0)),
                                     0.5f + 0.5f * static_cast<float>(std::sin(a0)));
        const uint16_t q = AddVertex(at(k + 1, r1, y1), 0.5f + 0.5f * static_cast<float>(std::cos(a1)),
                                     0.5f + 0.5f * static_cast<float>(std::sin(a1)));
        OutwardTriangle(*prim, centre, p, q, {0, 1, 0});
      }
    }
    return true;
  }

  bool Explicit(std::istringstream& words, int corners) {
    ModelFileData::Primitive* prim = Current();
    if (!prim) return false;
    uint16_t v[4];
    for (int i = 0; i < corners; ++i) {
      int32_t k = 0;
      if (!Get(words, k, 0, static_cast<int32_t>(explicit_.size()) - 1)) return Refuse("no such vertex");
      v[i] = explicit_[static_cast<size_t>(k)];
    }
    prim->indices.insert(prim->indices.end(), {v[0], v[1], v[2]});
    if (corners == 4) prim->indices.insert(prim->indices.end(), {v[0], v[2], v[3]});
    return true;
  }

  bool Statement(const std::string& op, std::istringstream& words) {
    if (op == "output") return (words >> out_.output) || Refuse("expected a game name");
    if (op == "frames") {
      int32_t n = 0;
      if (!positions_.empty()) return Refuse("frames must come before the first vertex");
      if (!Get(words, n, 1, 1000)) return false;
      m_.frameCount = static_cast<uint16_t>(n);
      return true;
    }
    if (op == "texture") {
      std::string name;
      if (!(words >> name)) return Refuse("expected a texture file name");
      if (std::find(m_.textures.begin(), m_.textures.end(), name) != m_.textures.end()) return Refuse("texture named twice");
      if (m_.textures.size() >= 256) return Refuse("more than 256 textures");
      m_.textures.push_back(name);
      return true;
    }
    if (op == "primitive") {
      std::string name, word;
      int32_t key = 0;
      if (!(words >> name)) return Refuse("expected a texture name");
      auto it = std::find(m_.textures.begin(), m_.textures.end(), name);
      if (it == m_.textures.end()) return Refuse("texture " + name + " is not listed");
      if (words >> word) {
        if (word != "key") return Refuse("expected key");
        if (!Get(words, key, INT32_MIN, INT32_MAX)) return false;
      }
      m_.primitives.push_back({key, static_cast<uint16_t>(it - m_.textures.begin()), {}});
      return true;
    }
    if (op == "tile") {
      return (Get(words, tile_) && tile_ >= 0) || Refuse("tile must not be negative");
    }
    if (op == "box") return Box(words);
    if (op == "cylinder") return Cylinder(words);
    if (op == "vertex") {
      Vec3 p;
      float u = 0, v = 0;
      if (!Get(words, p) || !Get(words, u) || !Get(words, v) || !RoomFor(1)) return false;
      explicit_.push_back(AddVertex(p, u, v));
      return true;
    }
    if (op == "tri") return Explicit(words, 3);
    if (op == "quad") return Explicit(words, 4);
    if (op == "move") {
      int32_t frame = 0, k = 0;
      Vec3 p;
      if (!Get(words, frame, 0, m_.frameCount - 1) || !Get(words, k, 0, static_cast<int32_t>(explicit_.size()) - 1) ||
          !Get(words, p))
        return false;
      moves_.push_back({static_cast<uint16_t>(frame), explicit_[static_cast<size_t>(k)], p});
      return true;
    }
    if (op == "group") {
      std::string name;
      int32_t value = 0;
      if (group_open_) return Refuse("groups do not nest");
      if (!(words >> name) || name.size() >= kModelNameLength) return Refuse("expected a group name of up to 26 characters");
      if (words >> std::ws && !words.eof() && words.peek() != '#' && !Get(words, value, INT32_MIN, INT32_MAX)) return false;
      ModelNamedRecord rec{};
      for (size_t i = 0; i < name.size(); ++i) rec.name[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
      rec.value = value;
      m_.namedRecords.push_back(rec);
      group_first_ = positions_.size();
      group_open_ = true;
      return true;
    }
    if (op == "endgroup") {
      if (!group_open_) return Refuse("endgroup without group");
      if (positions_.size() == group_first_) return Refuse("an empty group");
      m_.namedRecords.back().firstVertex = static_cast<uint16_t>(group_first_);
      m_.namedRecords.back().lastVertex = static_cast<uint16_t>(positions_.size() - 1);
      group_open_ = false;
      return true;
    }
    if (op == "point") {
      ModelFrameRecord rec{};
      Vec3 p, r;
      if (!Get(words, p) || !Get(words, r) || !Get(words, rec.tag, INT32_MIN, INT32_MAX)) return false;
      std::memcpy(rec.position, &p, sizeof rec.position);
      std::memcpy(rec.rotation, &r, sizeof rec.rotation);
      points_.push_back(rec);
      return true;
    }
    return Refuse("unknown statement " + op);
  }

  bool Finish(std::string& error) {
    const size_t v = positions_.size(), frames = m_.frameCount;
    m_.vertexCount = static_cast<uint16_t>(v);
    m_.positions.clear();
    for (size_t f = 0; f < frames; ++f) m_.positions.insert(m_.positions.end(), positions_.begin(), positions_.end());
    for (const Move& mv : moves_) m_.positions[mv.frame * v + mv.vertex] = mv.to;
    m_.hasNamedRecords = !m_.namedRecords.empty();
    m_.hasFrameRecords = !points_.empty();
    m_.frameRecordCount = static_cast<int32_t>(points_.size());
    for (size_t f = 0; f < frames; ++f) m_.frameRecords.insert(m_.frameRecords.end(), points_.begin(), points_.end());
    for (const ModelFileData::Primitive& prim : m_.primitives) {
      if (prim.indices.empty()) return error = "a primitive without triangles", false;
    }
    std::string reason;
    if (!NormaliseModelVertices(m_, reason)) return error = reason, false;
    std::vector<uint8_t> bytes;
    if (!EncodeModelFile(m_, bytes, reason)) return error = reason, false;
    return true;
  }

  struct Move {
    uint16_t frame, vertex;
    Vec3 to;
  };
  ModelSource& out_;
  ModelFileData& m_;
  std::vector<Vec3> positions_;  // frame 0, in order of making
  std::vector<uint16_t> explicit_;
  std::vector<Move> moves_;
  std::vector<ModelFrameRecord> points_;
  float tile_ = 0;
  bool group_open_ = false;
  size_t group_first_ = 0;
  int line_ = 0;
  std::string why_;
};

}  // namespace

bool ParseModelSource(std::string_view text, ModelSource& out, std::string& error) {
  out = ModelSource{};
  return SourceParser(out).Parse(text, error);
}
