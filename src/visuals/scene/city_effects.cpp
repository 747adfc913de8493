#include "visuals/scene/city_effects.h"

#include <algorithm>
#include <cmath>

#include "engine/input/camera_controller.h"
#include "engine/render/sprite_batch.h"
#include "engine/scene/asset_table.h"
#include "engine/scene/entity.h"
#include "engine/scene/model.h"
#include "engine/scene/texture.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/scene/city_scene.h"
#include "visuals/scene/draw_distances.h"
#include "visuals/scene/scene_passes.h"
#include "visuals/scene/shader_table.h"
#include "visuals/scene/sky.h"

namespace {

constexpr float kRadToDeg = 57.29577951f;
constexpr float kLightRaise = 0.5f;
constexpr float kSmallLightSize = 2.0f, kLightSize = 5.0f;
constexpr uint32_t kNightLampColour = 0xAFFFFFAFu;
constexpr float kNightLampDepthOffset = -2.0f;
// The two fixed beacons (model coordinates, as the batch takes them): a
// warning light high over the north-west blocks and, far out to sea, the
// lighthouse's lamp, drawn larger so that it shows at that distance.
constexpr Vec3 kMastBeacon{-219.1f, 105.7f, -394.5f};
constexpr Vec3 kLighthouseBeacon{-1715.53f, 136.6f, 1110.13f};
constexpr float kLighthouseScale = 4.0f;
// The beacons' colours (alpha comes from their pulsing lights): the
// airport tower and the chimney red, the warning light amber, the
// lighthouse white.
constexpr uint32_t kBeaconColours[kBeaconCount] = {0xFF2010u, 0xFF2010u, 0xFFB030u, 0xFFFFE8u};
// Each beacon's pace: ticks between steps of 20 in brightness.
constexpr int32_t kBeaconPeriods[kBeaconCount] = {1, 1, 2, 3};
constexpr int32_t kBeaconStartBrightness[kBeaconCount] = {0, 120, 60, 200};
// A glint is the sun's mirror image, narrow: about 3 degrees off it keeps
// 70 percent, 10 degrees 2 percent.
constexpr float kGlintSharpness = 256.0f;
constexpr float kFaintestGlint = 0.05f;
constexpr float kGlintDepthOffset = -16.0f;

struct EffectsState {
  CEntityHouse furniture;
  int32_t furnitureModel = 0;  // the records' model the entities were made from
};

EffectsState& State() {
  static EffectsState state;
  return state;
}

struct Record7 {
  float v[6];
  int32_t kind;
};
static_assert(sizeof(Record7) == 28);

std::span<const Record7> Records(const CModel& model) {
  if (model.frameRecords == nullptr || model.frameRecordCount <= 0) return {};
  const size_t count = size_t(model.frameRecordCount) * std::max<size_t>(model.frameCount, 1);
  return {reinterpret_cast<const Record7*>(model.frameRecords), count};
}

const CModel* WorldModel(int32_t place) {
  const ModelLodSet* set = ShelfModel(ModelShelf::WorldCity, place);
  return set && set->handles[0] > 0 ? ModSysGetModel(set->handles[0]) : nullptr;
}

LightPoints PointsOf(int32_t place) {
  const CModel* m = WorldModel(place);
  if (m == nullptr || m->positions == nullptr) return {};
  return {m->positions, m->vertexCount};
}

int32_t SpritePage(int32_t slot) {
  const CTexture* t = slot >= 0 ? TexSysGetTexture(slot) : nullptr;
  return t ? t->pageIndex : -1;
}

// Adds in batch order, drawing a full batch first.
void AddToBatch(CSpriteBatch& b, const LightSprite& s) {
  if (b.Capacity() > 0 && b.Count() >= b.Capacity()) b.Flush();
  b.Add(s.at, s.colour, s.size / b.BaseSize());
}

void MakeFurniture(const CModel& records, int32_t handle) {
  CEntityHouse& house = State().furniture;
  house.Release();
  State().furnitureModel = handle;
  const std::vector<PathObjectPlace> places = PathObjectPlaces(records);
  if (places.empty() || !house.Allocate(int32_t(places.size()))) return;
  constexpr int32_t kinds = kStreetPostbox - kStreetBench + 1;
  for (const PathObjectPlace& p : places) {
    if (p.kind < 0 || p.kind >= kinds) continue;
    house.AddModel(ShelfModel(ModelShelf::WorldCity, kStreetBench + p.kind), p.position, p.yaw, 0, 0);
  }
}

}  // namespace

CityEffectCounts& LastCityEffectCounts() {
  static CityEffectCounts counts;
  return counts;
}

// ---- Instanced path objects ----

std::vector<PathObjectPlace> PathObjectPlaces(const CModel& model) {
  const std::span<const Record7> records = Records(model);
  std::vector<PathObjectPlace> out;
  for (size_t i = records.size() / 2; i < records.size(); ++i) {
    const Record7& r = records[i];
    out.push_back({{r.v[0], r.v[1], -r.v[2]}, std::atan2(r.v[3], r.v[5]) * kRadToDeg, r.kind});
  }
  return out;
}

int32_t DrawInstancedPathObjects() {
  const ModelLodSet* set = ShelfModel(ModelShelf::WorldCity, kStreetObjects);
  const int32_t handle = set ? set->handles[0] : 0;
  const CModel* model = handle > 0 ? ModSysGetModel(handle) : nullptr;
  if (model == nullptr) return 0;
  if (State().furnitureModel != handle) MakeFurniture(*model, handle);
  return LastCityEffectCounts().pathObjects = State().furniture.DrawAll(PublishedViewMatrix());
}

void ReleasePathObjectEntities() {
  State().furniture.Release();
  State().furnitureModel = 0;
}

// ---- Light sprites ----

std::vector<LightSprite> CollectLightSprites(LightPoints first, LightPoints second, LightPoints third,
                                             LightPoints fourth, float nightLevel) {
  std::vector<LightSprite> out;
  if (nightLevel >= 255) return out;
  for (const Vec3& p : first) out.push_back({{p.x, p.y + kLightRaise, p.z}, 0xFFFFFFFFu, kSmallLightSize, false});
  const std::vector<PulsingLight>& pulse = PulsingLights();
  auto beacon = [&](int32_t i, const Vec3& at, float size) {
    const int32_t alpha = i < int32_t(pulse.size()) ? std::clamp(pulse[size_t(i)].brightness, 0, 255) : 255;
    out.push_back({at, uint32_t(alpha) << 24 | kBeaconColours[i], size, false});
  };
  for (size_t i = 0; i < 2 && i < second.size(); ++i)
    beacon(int32_t(i), {second[i].x, second[i].y + kLightRaise, second[i].z}, kLightSize);
  beacon(2, kMastBeacon, kLightSize);
  beacon(3, kLighthouseBeacon, kLightSize * kLighthouseScale);
  for (LightPoints lamps : {third, fourth})
    for (size_t i = 0; i < lamps.size(); ++i)
      if (LightGroupLit(int32_t(i), nightLevel)) out.push_back({lamps[i], kNightLampColour, kLightSize, true});
  return out;
}

int32_t DrawLightSprites() {
  if (!IsDetailOn()) return 0;
  const std::vector<LightSprite> sprites =
      CollectLightSprites(PointsOf(kLightsRunway), PointsOf(kLightsBeacons), PointsOf(kLightsQuay),
                          PointsOf(kLightsStation), Sky().brightness);
  if (sprites.empty()) return 0;
  CSpriteBatch& b = SpriteBatches()[3];
  b.SetPage(SpritePage(PresentationTextureSlots().lamp));
  bool night = false;
  b.SetDepthOffset(0);
  for (const LightSprite& s : sprites) {
    if (s.nightGroup != night) {  // the lamps that come on with the night sit a little nearer
      b.Flush();
      night = s.nightGroup;
      b.SetDepthOffset(night ? kNightLampDepthOffset : 0);
    }
    AddToBatch(b, s);
  }
  b.Flush();
  b.SetDepthOffset(0);
  return LastCityEffectCounts().lightSprites = int32_t(sprites.size());
}

void InitPulsingLights() {
  std::vector<PulsingLight>& lights = PulsingLights();
  lights.assign(kBeaconCount, PulsingLight{});
  for (int32_t i = 0; i < kBeaconCount; ++i) {
    PulsingLight& l = lights[size_t(i)];
    l.period = kBeaconPeriods[i];
    l.brightness = kBeaconStartBrightness[i];
    l.copy = uint8_t(l.brightness);
  }
}

// ---- The large effect ----

float GlintStrength(const Vec3& at, const Vec3& facing, const Vec3& sunDirection, const Vec3& eye) {
  Vec3 n = facing, s = sunDirection;
  VecNormalise(n);
  VecNormalise(s);
  const float ns = VecDot(n, s);
  if (s.y <= 0 || ns <= 0) return 0;
  const Vec3 mirror{2 * ns * n.x - s.x, 2 * ns * n.y - s.y, 2 * ns * n.z - s.z};
  Vec3 toEye{eye.x - at.x, eye.y - at.y, eye.z - at.z};
  if (VecDot(toEye, n) <= 0) return 0;  // the eye is behind the surface
  VecNormalise(toEye);
  const float k = VecDot(mirror, toEye);
  return k <= 0 ? 0 : std::pow(k, kGlintSharpness) * std::min(1.0f, ns * 4);
}

std::vector<LightSprite> CollectGlints(std::span<const GlintPoint> points, const Vec3& sunDirection,
                                       const Vec3& eye, uint32_t sunColour) {
  std::vector<LightSprite> out;
  for (const GlintPoint& p : points) {
    const Vec3 at{p.at.x, p.at.y, -p.at.z}, facing{p.facing.x, p.facing.y, -p.facing.z};
    const float g = GlintStrength(at, facing, sunDirection, eye);
    if (g < kFaintestGlint) continue;
    out.push_back({p.at, uint32_t(g * 255) << 24 | (sunColour & 0xFFFFFFu), p.size * (0.5f + 0.5f * g), false});
  }
  return out;
}

int32_t DrawLargeEffects() {
  const CModel* model = WorldModel(kSunGlints);
  if (model == nullptr) return 0;
  std::vector<GlintPoint> points;
  for (const Record7& r : Records(*model))
    points.push_back({{r.v[0], r.v[1], r.v[2]}, {r.v[3], r.v[4], r.v[5]}, float(r.kind)});
  const SkyState& sky = Sky();
  const std::vector<LightSprite> glints = CollectGlints(points, sky.sunDirection, g_CameraState.drawnEye, sky.sun);
  if (glints.empty()) return 0;
  CSpriteBatch& b = SpriteBatches()[2];
  b.SetPage(SpritePage(PresentationTextureSlots().glint));
  // Nearer by a sprite's size: a glint lies on its surface and would be
  // cut in half by it.
  b.SetDepthOffset(kGlintDepthOffset);
  for (const LightSprite& s : glints) AddToBatch(b, s);
  b.Flush();
  b.SetDepthOffset(0);
  return LastCityEffectCounts().glints = int32_t(glints.size());
}
