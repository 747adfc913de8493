#include "visuals/scene/sky.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/error.h"
#include "engine/files/file_bytes.h"
#include "engine/input/camera_controller.h"
#include "engine/render/renderer.h"
#include "engine/render/shader_mode.h"
#include "engine/scene/entity.h"
#include "engine/scene/model.h"
#include "engine/scene/texture.h"
#include "session/game_clock.h"
#include "session/session_state.h"
#include "visuals/scene/scene_mesh.h"
#include "visuals/scene/shader_table.h"

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr const char* kSunColoursFile = "gamedata\\suncols.tga";
constexpr const char* kStarFile = "gamedata\\sky\\stars.txt";
constexpr int32_t kTgaHeader = 18;
constexpr int32_t kRowsAbove = 33;  // rows read start 33 rows above the bottom
constexpr int32_t kRingVertices = 64;
constexpr int32_t kRings = 16;
constexpr int32_t kDomeVertices = (kRings + 2) * kRingVertices;  // extra below, bottom, rings
constexpr int32_t kQuadRings = kRings + 1;
constexpr int32_t kMaxStars = 512;
constexpr float kFarPlane = 3000.0f;
// How much of the table's sky colour the dome takes: at the horizon, and
// the more it takes straight overhead.
constexpr float kDomeTableHorizon = 0.3f, kDomeTableRise = 0.35f;

// The cloud layers: sheets over the camera at two heights, as the dome is
// drawn round it (the sky is as far as the camera can go), reaching out to
// about ten degrees over the horizon, in cells small enough for the software
// renderer's flat texture mapping.
constexpr float kCloudLayerExtent = 1500.0f, kCloudLayerCell = 250.0f;
constexpr float kCloudLayerHeights[2] = {230.0f, 180.0f};
constexpr float kCloudUvScale = 0.0091f, kCloudScrollPerTick = 0.00025f;
constexpr uint32_t kNightCloudColour = 0xFF2A3040u;

struct CloudLayer {
  ModelLodSet set{};
  CEntity entity;
  float scroll = 0;
  uint32_t lastTick = 0;
  bool ticking = false;
};

struct Star {
  Vec3 position;
  uint32_t colour;
};

struct SkyGeometry {
  Vec3 positions[kDomeVertices];
  TexCoord uv1[kDomeVertices], uv2[kDomeVertices];
  uint16_t indices[kQuadRings * kRingVertices * 6];
  std::vector<Star> stars;
  bool built = false;
  bool starsOn = true;
  bool loadTried = false;
  float scroll[3] = {};
  uint32_t lastTick = 0;
  int32_t cloud1 = -1, cloud2 = -1, sun = -1, moon = -1, star = -1;
  int32_t cloudLayer[kCloudLayers] = {-1, -1};
  CloudLayer layers[kCloudLayers];
  bool layersBuilt = false;
};

SkyGeometry& Geometry() {
  static SkyGeometry g;
  return g;
}

int32_t Le16(const uint8_t* p) { return p[0] | p[1] << 8; }

uint32_t MixColour(uint32_t a, uint32_t b, float f) {
  uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const float ca = float((a >> shift) & 0xFF), cb = float((b >> shift) & 0xFF);
    out |= uint32_t(std::clamp(ca + (cb - ca) * f, 0.0f, 255.0f)) << shift;
  }
  return out;
}

int32_t Channel(float v) { return std::clamp(int32_t(std::lround(v)), 0, 255); }

uint32_t PageOf(int32_t slot) {
  const CTexture* t = TexSysGetTexture(slot);
  return t ? uint32_t(t->pageIndex) : 0;
}

void WrapUnit(float& v) { v -= std::floor(v); }

}  // namespace

SunColourTables& SunColours() {
  static SunColourTables tables = [] {
    SunColourTables t{};
    for (int32_t i = 0; i < kSkySteps; ++i) {
      t.sun[i] = 0xFFFFFFFF;
      t.light[i] = 1.0f;
      t.ambient[i] = 0xFF808080;
      t.sky[i] = 0xFF6EA8E8;
      t.brightness[i] = 255;
    }
    t.sunrise = 96;
    t.sunset = 304;
    return t;
  }();
  return tables;
}

SkyState& Sky() {
  static SkyState state;
  return state;
}

bool ParseSunColours(std::span<const uint8_t> file, SunColourTables& out) {
  if (file.size() < size_t(kTgaHeader)) return false;
  const uint8_t* h = file.data();
  const int32_t width = Le16(h + 12), height = Le16(h + 14);
  // Uncompressed true colour, 32 bits, no id field or colour map.
  if (h[2] != 2 || h[16] != 32 || h[0] != 0 || h[1] != 0) return false;
  if (width < kSkySteps || height < kRowsAbove + 144 + 1) return false;
  if (file.size() < size_t(kTgaHeader) + size_t(width) * size_t(height) * 4) return false;
  auto row = [&](int32_t k) { return file.data() + kTgaHeader + size_t(4) * width * size_t(height - kRowsAbove - k); };
  auto colour = [](const uint8_t* p) { return 0xFF000000u | p[2] << 16 | p[1] << 8 | p[0]; };
  SunColourTables t{};
  t.sunrise = t.sunset = -1;
  for (int32_t i = 0; i < kSkySteps; ++i) {
    t.sun[i] = colour(row(0) + 4 * i);
    t.light[i] = 1.0f + (row(16)[4 * i] / 255.0f) * 0.3f;
    t.ambient[i] = colour(row(32) + 4 * i);
    const uint8_t marker = row(64)[4 * i];
    if (t.sunrise < 0 && marker >= 61 && marker <= 67) t.sunrise = i;
    if (t.sunset < 0 && marker >= 189 && marker <= 195) t.sunset = i;
    t.sky[i] = colour(row(96) + 4 * i);
    t.fogA[i] = row(112)[4 * i];
    t.fogB[i] = row(128)[4 * i];
    t.brightness[i] = row(144)[4 * i];
  }
  out = t;
  return true;
}

bool LoadSunColours() {
  std::vector<uint8_t> bytes;
  if (!ReadWholeGameFile(kSunColoursFile, bytes, size_t{16} << 20)) {
    ReportErrorF(1, "Unable to read %s; the sky keeps its colours.", kSunColoursFile);
    return false;
  }
  if (!ParseSunColours(bytes, SunColours())) {
    ReportErrorF(1, "%s is not a 32-bit sky colour table; the sky keeps its colours.",
                 kSunColoursFile);
    return false;
  }
  return true;
}

void UpdateSunColoursAt(int32_t hour, int32_t tickInHour) {
  const SunColourTables& c = SunColours();
  SkyState& s = Sky();
  float t = float(hour) * 16.0f + float(tickInHour) * 16.0f / float(kTicksPerHour);
  t = std::fmod(std::max(t, 0.0f), float(kSkySteps));
  const int32_t a = std::clamp(int32_t(t), 0, kSkySteps - 1), b = (a + 1) % kSkySteps;
  const float f = t - float(a);
  s.sun = MixColour(c.sun[a], c.sun[b], f);
  s.ambient = MixColour(c.ambient[a], c.ambient[b], f);
  s.sky = MixColour(c.sky[a], c.sky[b], f);
  s.light = c.light[a] + (c.light[b] - c.light[a]) * f;
  s.fogA = c.fogA[a] + (c.fogA[b] - c.fogA[a]) * f;
  s.fogB = c.fogB[a] + (c.fogB[b] - c.fogB[a]) * f;
  s.brightness = float(c.brightness[a]) + (float(c.brightness[b]) - float(c.brightness[a])) * f;
  const float rise = float(c.sunrise), set = float(c.sunset);
  if (c.sunrise < 0 || c.sunset <= c.sunrise) {
    s.sunAngle = kPi / 2;  // no marks: a sun standing still at noon
  } else if (t >= rise && t <= set) {
    s.sunAngle = (t - rise) / (set - rise) * kPi;
  } else {
    s.sunAngle = ((t >= rise ? t : t + kSkySteps) - set) / (kSkySteps - (set - rise)) * kPi + kPi;
  }
  s.sunDirection = {std::cos(s.sunAngle), std::sin(s.sunAngle), 0.25f};
  VecNormalise(s.sunDirection);
}

void UpdateSunColours() {
  SkyGeometry& g = Geometry();
  if (!g.loadTried) {
    g.loadTried = true;
    LoadSunColours();
  }
  UpdateSunColoursAt(GameClock().hour, int32_t(Session().tickInHour));
}

uint32_t SkyColourAt(const Vec3& direction) {
  const SkyState& s = Sky();
  const float g = s.sunDirection.y;
  float r = std::round(g * 183), gr = std::round(g * 210), b = std::round(g * 270);
  Vec3 d = direction;
  VecNormalise(d);
  const float k = VecDot(s.sunDirection, d);
  const float h = g >= 0 ? (1 - g) * (1 - g) * k : std::pow(g + 1, 4.0f) * k;
  r += std::round(h * 256);
  gr += std::round(h * 64);
  return 0xFF000000u | uint32_t(Channel(r)) << 16 | uint32_t(Channel(gr)) << 8 | uint32_t(Channel(b));
}

uint32_t DomeColourAt(const Vec3& direction) {
  Vec3 d = direction;
  VecNormalise(d);
  const float overhead = std::clamp(d.y, 0.0f, 1.0f);
  return MixColour(SkyColourAt(direction), Sky().sky, kDomeTableHorizon + kDomeTableRise * overhead);
}

float SkyFogStart() { return Sky().fogA / 255.0f * kFarPlane; }
float SkyFogEnd() { return SkyFogStart() + Sky().fogB / 255.0f * kFarPlane; }

// ---- Geometry ---------------------------------------------------------------

int32_t ParseStarCatalogue(std::string_view text) {
  SkyGeometry& g = Geometry();
  g.stars.clear();
  std::istringstream lines{std::string(text)};
  std::string line;
  while (std::getline(lines, line) && int32_t(g.stars.size()) < kMaxStars) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    float azimuth = 0, elevation = 0;
    int32_t brightness = 0;
    if (!(words >> azimuth >> elevation >> brightness) || !std::isfinite(azimuth) ||
        !std::isfinite(elevation) || brightness < 0 || brightness > 4)
      continue;
    if (elevation <= 0 || elevation > 90) continue;  // below the horizon
    const float a = azimuth * kPi / 180, e = elevation * kPi / 180;
    const Vec3 p{500 * std::cos(e) * std::cos(a), 500 * std::sin(e), 500 * std::cos(e) * std::sin(a)};
    const uint32_t alpha = std::min(255u, uint32_t(128 + 32 * brightness));
    g.stars.push_back({p, alpha << 24 | 0xFFFFFF});
  }
  return int32_t(g.stars.size());
}

void BuildSkyGeometry() {
  SkyGeometry& g = Geometry();
  auto ring = [&](int32_t r, float radius, float height, float t, float s1, float s2) {
    for (int32_t i = 0; i < kRingVertices; ++i) {
      const float a = float(i) * kPi / 32;
      const int32_t v = r * kRingVertices + i;
      // Round the other way than the angle grows in the world's x-z plane, so
      // the index list's triangles face inwards.
      g.positions[v] = {radius * std::cos(a), height, -radius * std::sin(a)};
      g.uv1[v] = {t * std::cos(a) * s1, t * std::sin(a) * s1};
      g.uv2[v] = {t * std::cos(a) * s2, t * std::sin(a) * s2};
    }
  };
  // Ring 0 is the one extrapolated below the bottom ring (twice the bottom
  // ring less the horizon ring), ring 1 the bottom ring, rings 2..17 the
  // elevations: the dome reaches 17 degrees below the horizon, under the
  // far end of the land seen from high up.
  ring(1, 600, -90, std::tan(1.2501769f), 0.03f, 0.13f);
  for (int32_t r = 0; r < kRings; ++r) {
    const float e = float(r) * kPi / 30;
    const float h = 2 * std::cos(e) + 1;
    ring(r + 2, h * 200 * std::cos(e), h * 200 * std::sin(e),
         std::tan((kPi / 2 - (0.8f * e + 0.2f)) * 0.85f), 0.3f, 1.3f);
  }
  for (int32_t i = 0; i < kRingVertices; ++i) {
    const Vec3& a = g.positions[kRingVertices + i];
    const Vec3& b = g.positions[2 * kRingVertices + i];
    g.positions[i] = {2 * a.x - b.x, 2 * a.y - b.y, 2 * a.z - b.z};
    g.uv1[i] = g.uv1[kRingVertices + i];
    g.uv2[i] = g.uv2[kRingVertices + i];
  }
  // Quads between ring r and r + 1, upwards.
  int32_t n = 0;
  for (int32_t r = 0; r < kQuadRings; ++r)
    for (int32_t i = 0; i < kRingVertices; ++i) {
      const uint16_t v = uint16_t(r * kRingVertices + i);
      const uint16_t next = uint16_t(r * kRingVertices + (i + 1) % kRingVertices);
      const uint16_t idx[6] = {v, next, uint16_t(v + 64), next, uint16_t(next + 64), uint16_t(v + 64)};
      for (uint16_t x : idx) g.indices[n++] = x;
    }
  std::vector<uint8_t> bytes;
  if (ReadWholeGameFile(kStarFile, bytes, size_t{1} << 20))
    ParseStarCatalogue(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  g.built = true;
}

void SetSkyTextures(int32_t cloud1, int32_t cloud2, int32_t sun, int32_t moon, int32_t star) {
  SkyGeometry& g = Geometry();
  g.cloud1 = cloud1;
  g.cloud2 = cloud2;
  g.sun = sun;
  g.moon = moon;
  g.star = star;
}

void EnableStars(bool on) { Geometry().starsOn = on; }
int32_t StarCount() { return int32_t(Geometry().stars.size()); }

namespace {

void AdvanceSkyScroll() {
  SkyGeometry& g = Geometry();
  const uint32_t now = LogicTick();
  const float ticks = float(now - g.lastTick);
  g.lastTick = now;
  if (ticks <= 0 || ticks > 100000) return;
  g.scroll[0] += 0.001f * ticks;
  g.scroll[1] += 0.0037f * ticks;
  g.scroll[2] += 0.0007f * ticks;
  for (float& s : g.scroll) WrapUnit(s);
}

// The dome's coloured vertices from the bottom ring up through `rings`
// rings, laid out from the camera.
int32_t DomeVertices(const Vec3& eye, int32_t rings, std::vector<VertexTwoTextures>& out) {
  const SkyGeometry& g = Geometry();
  const int32_t count = (rings + 1) * kRingVertices;
  out.resize(size_t(count));
  for (int32_t v = 0; v < count; ++v) {
    const Vec3& p = g.positions[v];
    const uint32_t c = DomeColourAt({p.x * 0.005f, p.y * 0.005f, p.z * 0.005f});
    const uint32_t half = 0xFF000000u | ((c >> 1) & 0x7F7F7F);
    const TexCoord& a = g.uv1[v];
    const TexCoord& b = g.uv2[v];
    out[size_t(v)] = {eye.x + p.x, eye.y + p.y, eye.z + p.z, c, half,
                      a.u + g.scroll[0], a.v + g.scroll[2], b.u + g.scroll[1], b.v};
  }
  return count;
}

}  // namespace

void DrawSky(CRenderer& renderer) {
  SkyGeometry& g = Geometry();
  if (!g.built) return;
  ViewPitch pitch{};
  renderer.GetViewPitch(&pitch);
  // The view's upper edge: below -20 degrees no sky is in view; above, the
  // rings (6 degrees each) up to the edge and two more, over the two below
  // the horizon.
  if (pitch.upper < -20) return;
  AdvanceSkyScroll();
  const int32_t rings = std::clamp(int32_t(pitch.upper / 6) + 4, 1, kQuadRings);
  const Vec3 eye = g_CameraState.drawnEye;
  std::vector<VertexTwoTextures> vertices;
  const int32_t count = DomeVertices(eye, rings, vertices);
  const int32_t indexCount = rings * kRingVertices * 6;
  // The dome's own colours first, without depth; then the two cloud layers.
  std::vector<VertexUntextured> plain(vertices.size());
  for (size_t i = 0; i < vertices.size(); ++i)
    plain[i] = {vertices[i].x, vertices[i].y, vertices[i].z, vertices[i].diffuse};
  renderer.SetShader(kShaderNoDepth);
  renderer.DrawIndexedUntextured(plain.data(), g.indices, count, indexCount);
  if (ShaderTable()[kShaderTest].valid && g.cloud1 >= 0 && g.cloud2 >= 0) {
    renderer.SetShader(kShaderTest);
    renderer.SetStageTexture(1, int32_t(PageOf(g.cloud2)));
    renderer.DrawIndexedTwoTextures(vertices.data(), g.indices, count, int32_t(PageOf(g.cloud1)),
                                    0, indexCount);
  }
  if (g.starsOn && Sky().brightness < 127 && !g.stars.empty() && g.star >= 0) {
    std::vector<Vec3> at(g.stars.size());
    std::vector<uint32_t> colours(g.stars.size());
    std::vector<float> sizes(g.stars.size(), 4.0f);
    for (size_t i = 0; i < g.stars.size(); ++i) {
      const Vec3& p = g.stars[i].position;
      at[i] = {eye.x + p.x, eye.y + p.y, eye.z + p.z};
      colours[i] = g.stars[i].colour;
    }
    renderer.SetShader(kShaderAdditive);
    renderer.DrawSprites(int32_t(at.size()), at.data(), colours.data(), int32_t(PageOf(g.star)),
                         sizes.data(), 0, 512);
  }
  renderer.SetShader(kShaderModulate);
}

void DrawSunAndMoon(CRenderer& renderer) {
  const SkyGeometry& g = Geometry();
  const SkyState& s = Sky();
  const Vec3 eye = g_CameraState.drawnEye;
  auto sprite = [&](const Vec3& dir, int32_t texture, uint32_t colour, float size) {
    if (texture < 0 || dir.y < -0.05f) return;
    Vec3 p{eye.x + dir.x * 900, eye.y + dir.y * 900, eye.z + dir.z * 900};
    renderer.DrawSprites(1, &p, &colour, int32_t(PageOf(texture)), &size, 0, 512);
  };
  renderer.SetShader(kShaderAdditive);
  sprite(s.sunDirection, g.sun, s.sun, 60.0f);
  const float m = s.sunAngle + 3.0f;
  Vec3 moon{std::cos(m), std::sin(m), 0.25f};
  VecNormalise(moon);
  sprite(moon, g.moon, 0xFFFFFFFF, 40.0f);
  renderer.SetShader(kShaderModulate);
}

// ---- Cloud layers -------------------------------------------------------------

namespace {

// Facing down: they are seen from below, and the software renderer draws no
// back faces.
int32_t BuildCloudSheet(int32_t texture, float height) {
  SceneMeshBuilder mesh;
  const int32_t prim = mesh.Primitive(texture);
  const int32_t cells = int32_t(2 * kCloudLayerExtent / kCloudLayerCell);
  for (int32_t i = 0; i < cells; ++i)
    for (int32_t j = 0; j < cells; ++j) {
      const float x0 = -kCloudLayerExtent + kCloudLayerCell * float(i), x1 = x0 + kCloudLayerCell;
      const float z0 = -kCloudLayerExtent + kCloudLayerCell * float(j), z1 = z0 + kCloudLayerCell;
      const Vec3 w[4] = {{x0, height, z0}, {x1, height, z0}, {x1, height, z1}, {x0, height, z1}};
      const TexCoord uv[4] = {};
      mesh.Face(prim, w, uv, {0, -1, 0});
    }
  return mesh.Build();
}

void BuildCloudLayers(SkyGeometry& g) {
  g.layersBuilt = true;
  for (int32_t k = 0; k < kCloudLayers; ++k) {
    if (g.cloudLayer[k] < 0) continue;
    const int32_t handle = BuildCloudSheet(g.cloudLayer[k], kCloudLayerHeights[k]);
    if (handle <= 0) continue;
    CloudLayer& layer = g.layers[k];
    layer.set = ModelLodSet{{handle, 0, 0}, 1};
    layer.entity = CEntity{};
    layer.entity.SetModel(&layer.set);
    layer.entity.flags |= kEntVisible | kEntRebuildMatrix;
  }
}

// The layer's scroll moves on by the ticks since its last draw; its texture
// coordinates follow from the model's own positions.
void ScrollCloudLayer(CloudLayer& layer, int32_t k, uint32_t now) {
  if (layer.ticking && now > layer.lastTick && now - layer.lastTick < 100000u) {
    layer.scroll += kCloudScrollPerTick * float(now - layer.lastTick);
    WrapUnit(layer.scroll);
  }
  layer.lastTick = now, layer.ticking = true;
  CModel* m = ModSysGetModel(layer.set.handles[0]);
  if (!m || !m->positions || !m->uv1) return;
  const float shift = k == 0 ? 2 * layer.scroll : -2 * layer.scroll;
  const float lift = k == 0 ? 0.0f : 0.3f;
  for (int32_t i = 0; i < m->vertexCount; ++i) {
    const Vec3& p = m->positions[i];
    m->uv1[i] = {p.x * kCloudUvScale + shift, p.z * kCloudUvScale + lift};
  }
}

}  // namespace

void SetCloudLayerTextures(int32_t upper, int32_t lower) {
  SkyGeometry& g = Geometry();
  if (g.cloudLayer[0] != upper || g.cloudLayer[1] != lower) ReleaseSkyModels();
  g.cloudLayer[0] = upper, g.cloudLayer[1] = lower;
}

uint32_t CloudLayerColour() {
  const SkyState& s = Sky();
  const uint32_t daylight = MixColour(s.sun, 0xFFFFFFFFu, 0.6f);
  return MixColour(kNightCloudColour, daylight, std::clamp(s.brightness / 255.0f, 0.0f, 1.0f));
}

float CloudLayerScroll(int32_t layer) {
  return layer >= 0 && layer < kCloudLayers ? Geometry().layers[layer].scroll : 0.0f;
}

void DrawSkyModels(CRenderer& renderer) {
  SkyGeometry& g = Geometry();
  if (!g.layersBuilt) BuildCloudLayers(g);
  const uint32_t now = LogicTick();
  const uint32_t colour = CloudLayerColour();
  const Vec3 eye = g_CameraState.drawnEye;
  // Unlit in the hour's colour and, like the dome, behind everything drawn
  // after them (no depth written); the software renderer writes the clouds'
  // texels in the colour.
  renderer.SetShader(kShaderNoDepth);
  renderer.SetSoftwareShaderValue(kShaderSoftSilhouette);
  renderer.DisableLighting();
  for (int32_t k = 0; k < kCloudLayers; ++k) {
    CloudLayer& layer = g.layers[k];
    if (layer.set.handles[0] <= 0) continue;
    ScrollCloudLayer(layer, k, now);
    layer.entity.colour = colour;
    layer.entity.position = eye;
    layer.entity.flags |= kEntRebuildMatrix;
    layer.entity.Draw(PublishedViewMatrix());
  }
  renderer.SetShader(kShaderModulate);
  renderer.EnableLighting();
}

void ReleaseSkyModels() {
  SkyGeometry& g = Geometry();
  for (CloudLayer& layer : g.layers) {
    if (layer.set.handles[0] > 0) ModSysDeleteModel(layer.set.handles[0]);
    layer = CloudLayer{};
  }
  g.layersBuilt = false;
}
