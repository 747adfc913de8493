#include "tools/layoutc/layout_source.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "ui/layout_model.h"

namespace {

constexpr int32_t kMaxFrames = 256;

struct Element {
  std::string name;
  int32_t texture = -1;  // -1: an area
  float x1, y1, x2, y2;
  bool slides = true;
  std::map<int32_t, std::array<float, 4>> places;  // frame -> its own rectangle
};

bool ValidName(const std::string& name) {
  if (name.empty() || name.size() >= kModelNameLength) return false;
  return std::all_of(name.begin(), name.end(),
                     [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'; });
}

bool Fail(std::string& error, int line, const std::string& what) {
  error = "line " + std::to_string(line) + ": " + what;
  return false;
}

bool ReadRect(std::istringstream& in, Element& e) {
  if (!(in >> e.x1 >> e.y1 >> e.x2 >> e.y2)) return false;
  return e.x1 < e.x2 && e.y1 < e.y2;
}

// Frame f of n lies (1 - f / (n - 1)) of the slide away from the open place.
void Build(const std::vector<Element>& elements, int32_t frames, float dx, float dy,
           std::vector<std::string> textures, ModelFileData& m) {
  m = ModelFileData{};
  m.frameCount = uint16_t(frames);
  m.vertexCount = uint16_t(elements.size() * 4);
  m.textures = std::move(textures);
  m.hasNamedRecords = true;
  m.positions.resize(size_t(frames) * m.vertexCount);
  for (size_t i = 0; i < elements.size(); ++i) {
    const Element& e = elements[i];
    const uint16_t v = uint16_t(i * 4);
    const float xs[4] = {e.x1, e.x2, e.x2, e.x1}, ys[4] = {e.y1, e.y1, e.y2, e.y2};
    const TexCoord uv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int32_t f = 0; f < frames; ++f) {
      const auto own = e.places.find(f);
      if (own != e.places.end()) {
        const auto& [x1, y1, x2, y2] = own->second;
        const float fx[4] = {x1, x2, x2, x1}, fy[4] = {y1, y1, y2, y2};
        for (int k = 0; k < 4; ++k) m.positions[size_t(f) * m.vertexCount + v + size_t(k)] = {fx[k], -fy[k], 0.0f};
        continue;
      }
      const float away = e.slides && frames > 1 ? 1.0f - float(f) / float(frames - 1) : 0.0f;
      for (int k = 0; k < 4; ++k)
        m.positions[size_t(f) * m.vertexCount + v + size_t(k)] = {xs[k] + dx * away,
                                                                  -(ys[k] + dy * away), 0.0f};
    }
    for (const TexCoord& c : uv) m.uvs.push_back(c);
    ModelFileData::Primitive p;
    p.key = e.texture < 0 ? kLayoutAreaKey : 0;
    p.texture = uint16_t(std::max(e.texture, 0));
    p.indices = {v, uint16_t(v + 1), uint16_t(v + 2), v, uint16_t(v + 2), uint16_t(v + 3)};
    m.primitives.push_back(std::move(p));
    ModelNamedRecord r{};
    std::memcpy(r.name, e.name.data(), e.name.size());
    r.firstVertex = v;
    r.lastVertex = uint16_t(v + 3);
    m.namedRecords.push_back(r);
  }
}

}  // namespace

bool ParseLayoutSource(std::string_view text, LayoutSource& out, std::string& error) {
  out = LayoutSource{};
  std::istringstream lines{std::string(text)};
  std::string line;
  int number = 0, frames = 1;
  float dx = 0, dy = 0;
  bool slides = true;
  std::vector<std::string> textures;
  std::vector<Element> elements;
  std::set<std::string> names;
  while (std::getline(lines, line)) {
    ++number;
    line = line.substr(0, line.find('#'));
    std::istringstream in(line);
    std::string word;
    if (!(in >> word)) continue;
    if (word == "output") {
      if (!(in >> out.output)) return Fail(error, number, "output needs a name");
    } else if (word == "frames") {
      if (!(in >> frames) || frames < 1 || frames > kMaxFrames) return Fail(error, number, "bad frame count");
    } else if (word == "slide") {
      if (!(in >> dx >> dy)) return Fail(error, number, "slide needs two numbers");
    } else if (word == "texture") {
      std::string file;
      if (!(in >> file)) return Fail(error, number, "texture needs a file");
      textures.push_back(file);
    } else if (word == "fixed" || word == "sliding") {
      slides = word == "sliding";
    } else if (word == "element" || word == "area") {
      Element e;
      e.slides = slides;
      if (!(in >> e.name) || !ValidName(e.name)) return Fail(error, number, "bad element name");
      if (!names.insert(e.name).second) return Fail(error, number, "element " + e.name + " given twice");
      if (word == "element") {
        std::string file;
        in >> file;
        const auto it = std::find(textures.begin(), textures.end(), file);
        if (it == textures.end()) return Fail(error, number, "unknown texture " + file);
        e.texture = int32_t(it - textures.begin());
      }
      if (!ReadRect(in, e)) return Fail(error, number, "bad rectangle");
      elements.push_back(e);
    } else if (word == "at") {
      int32_t frame = -1;
      std::string name;
      Element place;
      if (!(in >> frame >> name) || !ReadRect(in, place)) return Fail(error, number, "at needs a frame, a name and a rectangle");
      const auto it = std::find_if(elements.begin(), elements.end(), [&](const Element& e) { return e.name == name; });
      if (it == elements.end()) return Fail(error, number, "at names an unknown element " + name);
      if (frame < 0 || frame >= frames) return Fail(error, number, "at names a frame outside the frames");
      it->places[frame] = {place.x1, place.y1, place.x2, place.y2};
    } else {
      return Fail(error, number, "unknown statement " + word);
    }
  }
  if (out.output.empty()) return Fail(error, number, "no output");
  if (elements.empty()) return Fail(error, number, "no elements");
  if (textures.empty()) textures.push_back("none.tex");
  if (elements.size() * 4 > 65535) return Fail(error, number, "too many elements");
  Build(elements, frames, dx, dy, std::move(textures), out.model);
  return true;
}
