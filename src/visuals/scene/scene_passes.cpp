#include "visuals/scene/scene_passes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "city/animated_scenery.h"
#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/city_entities.h"
#include "city/city_map.h"
#include "city/city_services.h"
#include "city/lane_network.h"
#include "city/people.h"
#include "city/person.h"
#include "city/traffic.h"
#include "engine/core/debug_flags.h"
#include "engine/input/input_device.h"
#include "engine/render/renderer.h"
#include "engine/render/sprite_batch.h"
#include "engine/scene/asset_table.h"
#include "engine/scene/entity.h"
#include "engine/scene/model.h"
#include "engine/scene/particles.h"
#include "engine/scene/texture.h"
#include "platform/input.h"
#include "session/game_clock.h"
#include "session/player.h"
#include "session/session_state.h"
#include "visuals/scene/auction_room.h"
#include "visuals/scene/block_labels.h"
#include "visuals/architect/building_visuals.h"
#include "visuals/camera/city_picking.h"
#include "visuals/scene/city_effects.h"
#include "visuals/scene/city_scene.h"
#include "visuals/scene/construction_draw.h"
#include "visuals/scene/draw_distances.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/camera/game_camera.h"
#include "visuals/architect/building_tints.h"
#include "visuals/scene/ground_markers.h"
#include "visuals/overlay/interface_task.h"
#include "visuals/scene/shader_table.h"
#include "visuals/scene/sky.h"
#include "visuals/scene/water_surfaces.h"
#include "visuals/scene/workplace_tints.h"

namespace {

// Light groups come on as the night level falls below their entry.
constexpr uint8_t kSwitchOnLevels[16] = {170, 120, 150, 100, 180, 130, 90, 160,
                                         110, 175, 95, 145, 125, 165, 105, 140};
constexpr float kLightPoolFull = 300.0f;
constexpr float kLightPoolFade = 0.005f;
constexpr float kPoolHeight = 0.15f;
constexpr float kDoorMarkerHeight = 8.0f, kDoorMarkerRadius = 7.5f;
constexpr uint32_t kDoorMarkerColour = 0xFF00FFFFu;
// A near pool's middle: its two passes add up to about the lamp's own glow.
constexpr float kPoolStrength = 80.0f / 255.0f;
// The glow's alpha at a near pool's middle, added in the ring's warm colour.
constexpr float kPoolGlowAlpha = 170.0f;
constexpr uint32_t kLampSpriteColour = 0xAFFFFFAFu;
constexpr uint32_t kSmokeColour = 0x00A0A0A0u;
constexpr float kOwnerFrameInner = 34.0f, kOwnerFrameOuter = 42.0f;
constexpr Vec3 kFirstTokenPlace{-53.742f, 3.996f, 47.904f};
constexpr Vec3 kSecondTokenPlace{-53.502f, 4.0f, 44.885f};
constexpr float kFrustumDepth = 1000.0f;
constexpr int32_t kChangedHandsTicks = 100;
constexpr float kChangedHandsRise = 0.25f;  // a tick
constexpr float kChangedHandsSpriteSize = 6.0f;
constexpr uint32_t kChangedHandsColour = 0x00FFE880u;
constexpr float kFrustumHalfX = 0.6167f, kFrustumHalfY = 0.4625f;
constexpr int32_t kPlanBatch = 100;
constexpr float kMarkerArm = 4.0f;     // arm length at marker scale 1
constexpr float kMarkerWidth = 0.35f;  // arm width at marker scale 1

struct PassState {
  uint32_t frameTick = 0;
  std::vector<std::string>* trace = nullptr;
  int32_t tokens[2] = {kNoEndToken, kNoEndToken};
  std::vector<SmokeEmitter> smoke;
  std::vector<PulsingLight> lights;
  PlanViewFilters filters;
  int32_t poolsDrawn = 0;
  uint32_t hoverPhase = 0;
  CEntityHouse streetLights;
  int32_t streetLightDecade = -1;  // the decade and map the posts were made for
  int32_t streetLightSource = -1;
};

PassState& State() {
  static PassState state;
  return state;
}

void Trace(const char* name) {
  if (State().trace) State().trace->push_back(name);
}

const Mat43& View() { return PublishedViewMatrix(); }

// A sprite at a city position (the batch takes z the other way round); a
// full batch is drawn first.
void AddSprite(CSpriteBatch& b, const Vec3& at, uint32_t colour, float scale) {
  if (b.Capacity() > 0 && b.Count() >= b.Capacity()) b.Flush();
  b.Add(Vec3{at.x, at.y, -at.z}, colour, scale);
}

float NightLevel() { return Sky().brightness; }

int32_t SpritePage(int32_t slot) {
  const CTexture* t = slot >= 0 ? TexSysGetTexture(slot) : nullptr;
  return t ? t->pageIndex : -1;
}

// A building's box in the world.
void BuildingBox(const CBuilding& b, Vec3& lo, Vec3& hi) {
  const BuildingVisual& v = b.Visual;
  if (v.BoxMax[0] > v.BoxMin[0]) {
    lo = {b.CentreX + v.BoxMin[0], v.BoxMin[1], b.CentreZ + v.BoxMin[2]};
    hi = {b.CentreX + v.BoxMax[0], std::max(v.BoxMax[1], v.Height), b.CentreZ + v.BoxMax[2]};
  } else {
    const float x0 = b.Block ? b.Block->MinX : b.CentreX, z0 = b.Block ? b.Block->MinZ : b.CentreZ;
    lo = {x0 + b.X1 * kLotSize, 0, z0 + b.Z1 * kLotSize};
    hi = {x0 + (b.X2 + 1) * kLotSize, std::max(v.Height, kPlainFloorHeight), z0 + (b.Z2 + 1) * kLotSize};
  }
}

// ---- Pieces of the passes ---------------------------------------------------------

// Draws an entity, in its pulsed colour while it is hovered and not the
// selection; its own colour stays as it was.
void DrawHighlighted(CEntity& e) {
  if (&e != HoveredObject() || &e == SelectedObject()) return e.Draw(View());
  const uint32_t own = e.colour;
  e.colour = HoverPulseColour(own, State().hoverPhase);
  e.Draw(View());
  e.colour = own;
}

void DrawBlockBases() {
  CEntityHouse& bases = BlockBaseEntities();
  for (int32_t i = 0; i < bases.count; ++i) DrawHighlighted(bases.entities[i]);
}

// Owned blocks get a frame of four quads round them in the owner's colour.
void DrawOwnershipOverlay(CRenderer& r) {
  static constexpr uint32_t kOwnerColours[7] = {0xFFFFFFFF, 0xFFE03030, 0xFF3060E0, 0xFF30B040,
                                                0xFFE0C020, 0xFFA040C0, 0xFFE08020};
  std::vector<Vec3> quads;
  std::vector<uint32_t> colours;
  for (const CBlock& b : g_Blocks) {
    if (!b.InUse || b.Owner == 0 || b.Owner > 6 || b.SizeX <= 0) continue;
    const float cx = b.CentreX, cz = b.CentreZ, i = kOwnerFrameInner, o = kOwnerFrameOuter, y = 0.5f;
    const Vec3 sides[4][4] = {
        {{cx - o, y, cz - o}, {cx + o, y, cz - o}, {cx + o, y, cz - i}, {cx - o, y, cz - i}},
        {{cx - o, y, cz + i}, {cx + o, y, cz + i}, {cx + o, y, cz + o}, {cx - o, y, cz + o}},
        {{cx - o, y, cz - i}, {cx - i, y, cz - i}, {cx - i, y, cz + i}, {cx - o, y, cz + i}},
        {{cx + i, y, cz - i}, {cx + o, y, cz - i}, {cx + o, y, cz + i}, {cx + i, y, cz + i}}};
    for (const auto& side : sides)
      for (const Vec3& p : side) quads.push_back(p);
    for (int k = 0; k < 4; ++k) colours.push_back((kOwnerColours[b.Owner] & 0x00FFFFFF) | 0xC0000000u);
  }
  if (!quads.empty()) DrawWorldQuads(r, quads.data(), int32_t(colours.size()), colours.data());
}

void DrawHouse(CEntityHouse& house) { house.DrawAll(View()); }

void DrawPeople(CRenderer& r) {
  if (Session().gameState == kGameStateCutScene) return;
  r.EnableLighting();
  for (int32_t i = 0; i < g_PeopleCount && i < kMaxPeople; ++i) {
    CEntity& e = g_PersonEntities[size_t(i)];
    if (!g_People[size_t(i)].InUse || e.model == nullptr || !(e.flags & kEntVisible)) continue;
    e.objectKind = kPickPerson;
    e.index = i;
    e.flags |= kEntRebuildMatrix;  // people move every tick
    DrawHighlighted(e);
  }
  DrawWorkplaceTints(r, View());
  r.SetShader(kShaderModulate);
  r.EnableLighting();
}

// Debug: a small dome over every door point the people use, seen through
// the walls.
void DrawDoorMarkers(CRenderer& r) {
  r.SetShader(kShaderNoDepth);
  for (const CBuilding& b : g_Buildings) {
    if (!b.InUse || !b.Block) continue;
    const BuildingVisual& v = b.Visual;
    for (int32_t i = 0; i < v.DoorCount && i < kMaxBuildingDoors; ++i) {
      const Vec3 door{b.CentreX + v.Doors[i].x, v.Doors[i].y, b.CentreZ + v.Doors[i].z};
      BuildDomeFan(r, door, Vec3{0, kDoorMarkerHeight, 0}, Vec3{}, 0, kDoorMarkerRadius, kDoorMarkerRadius, 12,
                   kDoorMarkerColour);
    }
  }
}

// Over each of the local player's buildings that just changed hands, a
// glow that rises and pulses.
void DrawChangedHandsSprites(CRenderer& r) {
  const CPlayer* local = PlayerTable().Local();
  if (!local) return;
  std::vector<Vec3> at;
  std::vector<uint32_t> colours;
  for (const CBuilding& b : g_Buildings) {
    Vec3 p;
    uint32_t c = 0;
    if (b.InUse && b.Block && ChangedHandsSprite(b, local->index + 1, int32_t(LogicTick()), p, c))
      at.push_back(p), colours.push_back(c);
  }
  if (at.empty()) return;
  const std::vector<float> sizes(at.size(), kChangedHandsSpriteSize);
  r.SetShader(kShaderAdditive);
  r.DrawSprites(int32_t(at.size()), at.data(), colours.data(), SpritePage(PresentationTextureSlots().lamp),
                sizes.data(), 0, 512);
  r.SetShader(kShaderModulate);
}

// Our building models carry one texture set: the two-stage day and night
// shaders would blend them with a stage they do not have (black walls), so
// they are lit by the frame's colour ramps under the modulating shader and
// the night shows in their window lights.
void DrawBuildings(CRenderer& r, bool lit = true) {
  r.SetShader(kShaderModulate);
  lit ? r.EnableLighting() : r.DisableLighting();
  DrawBasicBuildings();
  DrawBuildingVisuals(View());
  if (lit) DrawChangedHandsSprites(r);
  if (g_DebugFlags.SHOWDOORPOS) DrawDoorMarkers(r);
  r.SetShader(kShaderModulate);
}

// The buildings' depth alone, first: whatever they hide (the sky, drawn
// behind everything, the ground and what stands behind them) is then
// rejected before it is shaded. They are drawn in full in their own pass,
// onto the same depths. The ground is left out: seen from above it covers
// the whole view and costs more to lay down than it spares. False when the
// renderer has no pre-pass.
bool DrawBuildingsDepth(CRenderer& r) {
  r.SetShader(kShaderModulate);
  if (!r.BeginDepthPrepass()) return false;
  DrawBasicBuildings();
  DrawBuildingVisuals(View());
  r.EndDepthPrepass();
  return true;
}

// The posts change with the decade (three styles).
void DrawStreetLightPosts() {
  if (State().streetLightDecade != GameClock().decade || State().streetLightSource != g_StreetLights.Count)
    CreateStreetLightEntities();
  DrawHouse(State().streetLights);
}

// Traffic lights: posts drawn as entities, their lamps as halos.
class SceneTrafficSink : public TrafficDrawSink {
 public:
  explicit SceneTrafficSink(CRenderer& r) : r_(r) {}
  void DrawLightPost(const TrafficLightPost& post, int32_t modelIndex) override {
    ModelLodSet* set = ShelfModel(ModelShelf::WorldCity, modelIndex ? kTrafficLight2 : kTrafficLight1);
    if (!set) return;
    CEntity e;
    e.SetModel(set);
    e.position = {post.X, post.Y, post.Z};
    e.rotation = {0, post.Angle, 0};
    e.flags |= kEntVisible | kEntRebuildMatrix;
    e.Draw(View());
  }
  void DrawHalo(const Vec3& point, uint32_t rgb) override {
    if (NightLevel() >= 255) return;
    CSpriteBatch& b = SpriteBatches()[1];
    AddSprite(b, point, 0xC0000000u | (rgb & 0x00FFFFFF), 0.6f);
  }
  void DrawLaneLine(const Vec3& from, const Vec3& to) override {
    const PolylinePoint line[2] = {{from.x, from.y + 0.3f, from.z, 0xFFFFFF00u},
                                   {to.x, to.y + 0.3f, to.z, 0xFFFFFF00u}};
    r_.BeginPolyline(kPolylineStrip);
    r_.DrawPolyline(2, line);
    r_.EndPolyline();
  }
  void Flush() override {
    CSpriteBatch& b = SpriteBatches()[1];
    b.SetPage(SpritePage(PresentationTextureSlots().sun));
    b.Flush();
  }

 private:
  CRenderer& r_;
};

void DrawTrafficPosts(CRenderer& r) {
  SpriteBatches()[1].SetPage(SpritePage(PresentationTextureSlots().sun));
  SceneTrafficSink sink(r);
  DrawTrafficLights(sink);
}

void FlushTraffic(CRenderer& r) {
  SceneTrafficSink sink(r);
  FlushTrafficDrawBatch(sink);
}

void DrawLockedCameraFrustum(CRenderer& r) {
  if (!CameraLocked()) return;
  const CameraState& live = g_CameraState;
  const Vec3 eye = live.drawnEye;
  Vec3 f{live.drawnLookAt.x - eye.x, live.drawnLookAt.y - eye.y, live.drawnLookAt.z - eye.z};
  const float len = std::sqrt(f.x * f.x + f.y * f.y + f.z * f.z);
  if (len <= 0) return;
  f = {f.x / len, f.y / len, f.z / len};
  Vec3 side{f.z, 0, -f.x};
  const float sl = std::sqrt(side.x * side.x + side.z * side.z);
  side = sl > 0 ? Vec3{side.x / sl, 0, side.z / sl} : Vec3{1, 0, 0};
  const Vec3 up{side.y * f.z - side.z * f.y, side.z * f.x - side.x * f.z, side.x * f.y - side.y * f.x};
  const float sx = std::tan(kFrustumHalfX) * kFrustumDepth, sy = std::tan(kFrustumHalfY) * kFrustumDepth;
  Vec3 c[4];
  for (int i = 0; i < 4; ++i) {
    const float a = (i == 0 || i == 3) ? -sx : sx, b = i < 2 ? sy : -sy;
    c[i] = {eye.x + f.x * kFrustumDepth + side.x * a + up.x * b, eye.y + f.y * kFrustumDepth + side.y * a + up.y * b,
            eye.z + f.z * kFrustumDepth + side.z * a + up.z * b};
  }
  const uint32_t colours[4] = {0x7FFF0000u, 0x7F7F0000u, 0x7F00FF00u, 0x7F007F00u};
  const int pairs[4][2] = {{0, 1}, {2, 3}, {1, 2}, {3, 0}};
  VertexUntextured v[12];
  uint16_t idx[12];
  for (int k = 0; k < 4; ++k) {
    const Vec3 p[3] = {eye, c[pairs[k][0]], c[pairs[k][1]]};
    for (int j = 0; j < 3; ++j) {
      v[3 * k + j] = {p[j].x, p[j].y, p[j].z, colours[k]};
      idx[3 * k + j] = uint16_t(3 * k + j);
    }
  }
  r.SetShader(kShaderAdditive);
  r.DrawIndexedUntextured(v, idx, 12, 12);
}

void DrawSmoke(CRenderer& r) {
  CSpriteBatch& b = SpriteBatches()[2];
  b.SetPage(SpritePage(PresentationTextureSlots().smoke));
  const std::vector<SmokeEmitter>& emitters = State().smoke;
  const size_t count = DetailChoice == 0 ? std::min<size_t>(1, emitters.size()) : emitters.size();
  for (size_t e = 0; e < count; ++e)
    for (const SmokeParticle& p : emitters[e].particles)
      if (p.active) {
        const uint32_t a = uint32_t(std::clamp(p.alpha, 0.0f, 255.0f));
        AddSprite(b, p.position, (a << 24) | kSmokeColour, p.sizeX / b.BaseSize());
      }
  b.Flush();
  (void)r;
}

// Night windows: the plain boxes' window models by block and the architect's
// buildings' lit windows by building, staggered in sixteen groups.
void DrawWindowLights(CRenderer& r) {
  const float night = NightLevel();
  if (night >= 255) return;
  r.DisableLighting();
  r.SetShader(kShaderModulateAlphaTest);
  for (int32_t k = 0; k < kBlockCount; ++k)
    if (LightGroupLit(k, night)) DrawBasicWindows(k);
  DrawBuildingWindowLights(View(), night);
  r.EnableLighting();
}

// Lamp sprites at the street lights that are lit.
void DrawLampSprites() {
  const float night = NightLevel();
  if (night >= 255 || !IsDetailOn()) return;
  CSpriteBatch& b = SpriteBatches()[3];
  b.SetPage(SpritePage(PresentationTextureSlots().lamp));
  b.SetDepthOffset(-2);
  for (int32_t i = 0; i < g_StreetLights.Count && i < kMaxStreetLights; ++i) {
    if (!LightGroupLit(i, night)) continue;
    const StreetLight& l = g_StreetLights.Lights[size_t(i)];
    AddSprite(b, Vec3{l.LampX, 7.4f, l.LampZ}, kLampSpriteColour, 1.0f);
  }
  b.Flush();
  b.SetDepthOffset(0);
}

// The pools of light the street lights throw on the ground: the ring's
// multiplying blend brightens a lit ground, and a warm glow added over it
// shows the pool on a ground the night has made black.
void DrawLightPools(CRenderer& r) {
  State().poolsDrawn = 0;
  const float night = NightLevel();
  if (night >= 255) return;
  struct Pool {
    const StreetLight* light;
    int32_t segments;
    float intensity;
  };
  std::vector<Pool> pools;
  r.SetShader(kShaderVolumetricLights);
  r.DisableFog();
  for (int32_t i = 0; i < g_StreetLights.Count && i < kMaxStreetLights; ++i) {
    if (!LightGroupLit(i, night)) continue;
    const StreetLight& l = g_StreetLights.Lights[size_t(i)];
    Bounds sphere{};
    sphere.centre = {l.LampX, 0, l.LampZ};
    sphere.radius = l.LightSize, sphere.radiusSquared = l.LightSize * l.LightSize;
    Bounds inView{};
    MatTransformPoints(View(), &sphere.centre, &inView.centre, 1);
    inView.radius = sphere.radius, inView.radiusSquared = sphere.radiusSquared;
    if (EntClipSphere(inView) == kClipOutside) continue;
    const float depth = inView.centre.z;
    const float intensity = LightPoolIntensity(depth);
    if (intensity <= 0) continue;
    const int32_t segments = LightRingSegments(depth);
    BuildRingStrip(r, Vec3{l.LampX, kPoolHeight, l.LampZ}, Vec3{}, Vec3{}, l.Angle, l.LightSize, l.LightSize,
                   segments, 1.0f + kPoolStrength * intensity);
    pools.push_back({&l, segments, intensity});
    ++State().poolsDrawn;
  }
  r.SetShader(kShaderAdditive);
  for (const Pool& p : pools) {
    const uint32_t alpha = uint32_t(kPoolGlowAlpha * p.intensity);
    BuildGlowFan(r, Vec3{p.light->LampX, kPoolHeight, p.light->LampZ}, p.light->Angle, p.light->LightSize,
                 p.light->LightSize, p.segments, alpha << 24 | kRingColour);
  }
}

void DrawEndTokens() { DrawEndSequenceTokens(); }

// The large effect: sunlight glinting, added over what lies beneath.
void DrawEffects(CRenderer& r) {
  r.SetShader(kShaderAdditive);
  DrawLargeEffects();
  r.SetShader(kShaderModulate);
}

// The block names lie flat on the ground, their glyphs wound for a view from
// below: seen from above they need both faces. The software renderer writes
// the glyphs' texels in the label's colour (its textured fill wears none).
void DrawLabels(CRenderer& r) {
  r.SetShader(kShaderModulate);
  r.SetSoftwareShaderValue(kShaderSoftSilhouette);
  r.DisableCulling();
  DrawBlockLabels(View());
  r.CullClockwise();
  r.SetShader(kShaderModulate);
}

void DrawConstruction(CRenderer& r) {
  DrawLockedCameraFrustum(r);
  r.DisableCulling();
  DrawConstructionJobs(View());
  r.CullClockwise();
}

void DrawParticles() {
  SpriteBatchParticleSprites sprites(SpriteBatches()[2]);
  ParticleManager().DrawAll(sprites);
}

void FlushSharedBatch() {
  SpriteBatches()[0].Flush();
  SpriteBatches()[0].Reset();
}

// Every pass list draws the block bases: drawing them is what marks a block
// in view, and picking finds only blocks in view.
// With landLast (the hardware city pass) the land is drawn after the paving
// and the roads that lie on it, so that the depth test rejects the land
// under them before it is shaded: the land sits below both, so the picture
// is the same. The queue is drawn between them, as it orders what it holds
// by page.
void DrawGroundAndBases(CRenderer& r, bool lit = true, bool landLast = false) {
  r.SetShader(kShaderModulate);
  lit ? r.EnableLighting() : r.DisableLighting();
  if (landLast) {
    DrawBasicGround(false);
    r.SetShader(-1);
    DrawBasicLand();
  } else {
    DrawBasicGround(true);
  }
  Trace("blocks");
  DrawBlockBases();
  r.SetShader(kShaderNoDepth);
  Trace("ownership");
  DrawOwnershipOverlay(r);
  r.SetShader(kShaderModulate);
}

}  // namespace

// ---- Small operations --------------------------------------------------------------

void DrawWorldQuads(CRenderer& r, const Vec3* corners, int32_t count, const uint32_t* colours) {
  constexpr int32_t kChunk = 1000;  // quads a call: indices stay within 16 bits
  std::vector<VertexUntextured> v;
  std::vector<uint16_t> idx;
  r.DisableCulling();
  for (int32_t first = 0; first < count; first += kChunk) {
    const int32_t n = std::min(kChunk, count - first);
    v.clear(), idx.clear();
    for (int32_t q = 0; q < n; ++q) {
      const uint16_t base = uint16_t(4 * q);
      for (int k = 0; k < 4; ++k) {
        const Vec3& c = corners[4 * (first + q) + k];
        v.push_back({c.x, c.y, c.z, colours[first + q]});
      }
      idx.insert(idx.end(), {base, uint16_t(base + 1), uint16_t(base + 2), base, uint16_t(base + 2), uint16_t(base + 3)});
    }
    r.DrawIndexedUntextured(v.data(), idx.data(), int32_t(v.size()), int32_t(idx.size()));
  }
  r.CullClockwise();
}

uint32_t FrameTick() { return State().frameTick; }
void AdvanceFrameTick() { ++State().frameTick; }

uint32_t PulseColour(uint32_t colour, uint32_t tick) {
  const int32_t t = int32_t(tick % 32u);
  const float f = 0.5f + float(std::abs(15 - t)) / 32.0f;
  return ScaleArgb(colour, f, 1.0f);
}

uint32_t HoverPulseColour(uint32_t base, uint32_t phase) {
  uint32_t d = phase & 0x1FFu;
  if (d & 0x100u) d = 511u - d;
  d += 128u;
  uint32_t out = base & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8)
    out |= std::min(255u, d * ((base >> shift) & 0xFFu) / 256u) << shift;
  return out;
}

void StepHoverPulse() { State().hoverPhase = (State().hoverPhase + 40u) & 0x1FFu; }
uint32_t HoverPulsePhase() { return State().hoverPhase; }

bool ChangedHandsSprite(const CBuilding& b, int32_t localPlayer, int32_t now, Vec3& at, uint32_t& colour) {
  const int32_t age = now - b.OwnerChangeTick;
  if (b.Owner != localPlayer || age <= 0 || age >= kChangedHandsTicks) return false;
  Vec3 lo, hi;
  BuildingBox(b, lo, hi);
  at = {(lo.x + hi.x) / 2, hi.y + kChangedHandsRise * float(age), (lo.z + hi.z) / 2};
  const uint32_t alpha = uint32_t(std::abs(int32_t(uint32_t(now) % 64u) - 31) * 7);
  colour = alpha << 24 | kChangedHandsColour;
  return true;
}

uint32_t ScaleArgb(uint32_t colour, float colourFactor, float alphaFactor) {
  auto channel = [&](int shift, float factor) {
    const float v = float((colour >> shift) & 0xFF) * factor;
    return uint32_t(std::clamp(int32_t(v), 0, 255)) << shift;
  };
  return channel(24, alphaFactor) | channel(16, colourFactor) | channel(8, colourFactor) | channel(0, colourFactor);
}

void SetScenePassTrace(std::vector<std::string>* trace) { State().trace = trace; }

// ---- The city scene ------------------------------------------------------------------

void DrawCityScene(CRenderer& r) {
  RefreshBasicScene();
  SetDrawRangesUnlimited();
  Trace("sky");
  r.Reserved49();
  const bool depthLaid = DrawBuildingsDepth(r);
  r.SetDrawBehindAll(depthLaid);
  DrawSky(r);
  DrawSkyModels(r);
  r.SetDrawBehindAll(false);
  SetDrawRangesUnlimited();
  Trace("stars");
  DrawSunAndMoon(r);
  DrawWaterSurfaces(r, float(LogicTick()));
  SetDrawRangesUnlimited();
  Trace("ground");
  DrawGroundAndBases(r, true, true);
  DrawLabels(r);
  UpdateVehicleEntities(0);
  SetDrawRangesUnlimited();
  r.SetShader(kShaderModulate);
  Trace("scenery");
  for (int32_t h = 0; h < kSceneryHouses; ++h) DrawHouse(SceneryEntities(h));
  if (SetDrawRangesUnlimitedIfDetail()) {
    Trace("street lights");
    DrawStreetLightPosts();
  }
  SetDrawRangesShort();
  r.SetShader(kShaderModulate);
  Trace("people");
  DrawPeople(r);
  if (SetFarRangeLongIfDetail()) {
    r.SetShader(kShaderModulate);
    Trace("path objects");
    DrawInstancedPathObjects();
  }
  SetDrawRangesLong();
  Trace("signs");
  DrawHouse(BlockSignEntities());
  SetDrawRangesUnlimited();
  Trace("end tokens");
  DrawEndTokens();
  SetDetailDrawDistances();
  r.SetShader(kShaderModulate);
  Trace("vehicles");
  DrawVehicles(View());
  SetDrawRangesUnlimited();
  Trace("animated scenery");
  DrawAnimatedScenery(View());
  if (g_DebugFlags.SHOWALLCARS) {
    SetDrawRangesWide();
    DrawVehicles(View());
  }
  SetDrawRangesUnlimited();
  r.SetShader(kShaderModulate);
  Trace("buildings");
  DrawBuildings(r);
  SetDrawRangesUnlimited();
  r.SetShader(kShaderModulate);
  Trace("outlines");
  DrawSelectionOutlines();
  SetFarRangeMedium();
  Trace("traffic lights");
  DrawTrafficPosts(r);
  if (SetDrawRangesFixedIfDetail()) {
    Trace("effects");
    DrawEffects(r);
  }
  SetDrawRangesUnlimited();
  Trace("path scenery");
  DrawPathScenery(View());
  SetDrawRangesUnlimited();
  Trace("construction");
  DrawConstruction(r);
  SetDrawRangesUnlimited();
  r.SetShader(kShaderSmoke);
  Trace("smoke");
  DrawSmoke(r);
  DrawParticles();
  r.SetShader(kShaderAdditive);
  r.DisableFog();
  Trace("night lights");
  DrawWindowLights(r);
  r.SetShader(kShaderAdditive);
  DrawLampSprites();
  DrawLightSprites();
  FlushTraffic(r);
  r.SetShader(kShaderFireworks);
  r.SetShader(kShaderModulate);
  FlushSharedBatch();
  r.SetShader(kShaderModulate);
  Trace("light pools");
  DrawLightPools(r);
  r.SetShader(kShaderAdditive);
  r.SetShader(kShaderModulate);
}

void DrawCitySceneReduced(CRenderer& r) {
  RefreshBasicScene();
  SetDrawRangesUnlimited();
  Trace("sky");
  DrawSky(r);
  DrawSkyModels(r);
  DrawSunAndMoon(r);
  DrawWaterSurfaces(r, float(LogicTick()));
  SetDrawRangesUnlimited();
  Trace("scenery");
  DrawHouse(SceneryEntities(0));
  Trace("ground");
  DrawGroundAndBases(r);
  DrawLabels(r);
  DrawHouse(SceneryEntities(1));
  DrawHouse(SceneryEntities(2));
  SetDrawRangesUnlimited();
  r.SetShader(kShaderStartOfFrame);
  DrawStreetLightPosts();
  UpdateVehicleEntities(0);
  SetDetailDrawDistances();
  Trace("vehicles");
  DrawVehicles(View());
  SetDrawRangesLong();
  Trace("signs");
  DrawHouse(BlockSignEntities());
  SetDrawRangesUnlimited();
  Trace("construction");
  DrawConstructionJobs(View());
  Trace("buildings");
  DrawBuildings(r);
  DrawAnimatedScenery(View());
  DrawPathScenery(View());
  DrawTrafficPosts(r);
  SetDrawRangesUnlimited();
  Trace("outlines");
  DrawSelectionOutlines(false);
  SetDrawRangesUnlimited();
  Trace("night lights");
  DrawWindowLights(r);
  DrawLampSprites();
  FlushTraffic(r);
  FlushSharedBatch();
  r.SetShader(kShaderStartOfFrame);
  Trace("end tokens");
  DrawEndTokens();
  if (IsDetailHigh()) {
    Trace("smoke");
    DrawSmoke(r);
    DrawParticles();
    Trace("effects");
    DrawEffects(r);
  }
  SetDrawRangesShort();
  Trace("people");
  DrawPeople(r);
  r.SetShader(kShaderModulate);
}

void DrawCityPasses(CRenderer& r, bool hardware) {
  AdvanceFrameTick();
  LastCityEffectCounts() = {};
  if (hardware)
    DrawCityScene(r);
  else
    DrawCitySceneReduced(r);
  r.SetShader(-1);
}

// ---- Outlines -------------------------------------------------------------------------

float OutlineMarkerScale(const Vec3& lo, const Vec3& hi) {
  const float side = std::min({std::fabs(hi.x - lo.x), std::fabs(hi.y - lo.y), std::fabs(hi.z - lo.z)});
  const float s = side / 3.0f;
  if (s > 3.0f || (s >= 0.24f && s <= 0.26f)) return 3.0f;
  return s;
}

float OutlinePulseScale(uint32_t tick) {
  return float(std::abs(int32_t(tick % 32u) - 15) + 256) / 256.0f;
}

// The three arms of a corner marker, along the box's edges from the corner
// towards its neighbours: flat bands, as wide as a ninth of their length.
void AddCornerMarker(std::vector<Vec3>& quads, const Vec3& at, const Vec3& inward, float scale) {
  const float l = kMarkerArm * scale, w = kMarkerWidth * scale;
  const Vec3 dx{inward.x * l, 0, 0}, dy{0, inward.y * l, 0}, dz{0, 0, inward.z * l};
  const Vec3 wx{inward.x * w, 0, 0}, wz{0, 0, inward.z * w};
  auto quad = [&](const Vec3& along, const Vec3& across) {
    quads.insert(quads.end(), {at, {at.x + along.x, at.y + along.y, at.z + along.z},
                               {at.x + along.x + across.x, at.y + along.y + across.y, at.z + along.z + across.z},
                               {at.x + across.x, at.y + across.y, at.z + across.z}});
  };
  quad(dx, wz);
  quad(dz, wx);
  quad(dy, wx);
}

bool DrawEntityOutline(CEntity* entity, uint32_t colour, bool pulse, const Vec3* boxMin, const Vec3* boxMax) {
  if (!entity || !(entity->flags & kEntInView)) return false;
  Vec3 lo{}, hi{};
  if (boxMin && boxMax) {
    lo = *boxMin, hi = *boxMax;
  } else {
    const CModel* m = entity->model ? ModSysGetModel(entity->model->handles[0]) : nullptr;
    if (!m) return false;
    lo = m->bounds.corners[0], hi = m->bounds.corners[0];
    for (const Vec3& c : m->bounds.corners) {
      lo = {std::min(lo.x, c.x), std::min(lo.y, c.y), std::min(lo.z, c.z)};
      hi = {std::max(hi.x, c.x), std::max(hi.y, c.y), std::max(hi.z, c.z)};
    }
  }
  const float markerScale = OutlineMarkerScale(lo, hi);
  const uint32_t tick = FrameTick();
  if (pulse) {
    colour = PulseColour(colour, tick);
    const float g = OutlinePulseScale(tick);
    const Vec3 c{(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2};
    lo = {c.x + (lo.x - c.x) * g, c.y + (lo.y - c.y) * g, c.z + (lo.z - c.z) * g};
    hi = {c.x + (hi.x - c.x) * g, c.y + (hi.y - c.y) * g, c.z + (hi.z - c.z) * g};
  }
  // Corners in the entity's frame; boxes given in the world are placed as is.
  const bool worldBox = boxMin && boxMax;
  std::vector<Vec3> quads;
  for (int32_t i = 0; i < 8; ++i) {
    const Vec3 local{(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
    const Vec3 towards{(i & 1) ? lo.x : hi.x, (i & 2) ? lo.y : hi.y, (i & 4) ? lo.z : hi.z};
    Vec3 at = local, to = towards;
    if (!worldBox) {
      MatTransformPoints(entity->world, &local, &at, 1);
      MatTransformPoints(entity->world, &towards, &to, 1);
    }
    const Vec3 inward{to.x > at.x ? 1.0f : -1.0f, to.y > at.y ? 1.0f : -1.0f, to.z > at.z ? 1.0f : -1.0f};
    AddCornerMarker(quads, at, inward, markerScale);
  }
  std::vector<uint32_t> colours(quads.size() / 4, colour);
  CRenderer* r = GetRenderer();
  if (r) DrawWorldQuads(*r, quads.data(), int32_t(colours.size()), colours.data());
  return true;
}

void DrawSelectionOutlines(bool testShift) {
  CEntity* selected = SelectedObject();
  CEntity* hovered = HoveredObject();
  auto outlineBuilding = [](CBuilding* b, uint32_t colour, bool pulse) {
    if (!b || !b->Block) return;
    Vec3 lo, hi;
    BuildingBox(*b, lo, hi);
    CEntity stand;
    stand.flags |= kEntInView;
    DrawEntityOutline(&stand, colour, pulse, &lo, &hi);
  };
  auto outlineBlock = [](CEntity* e, uint32_t colour, bool pulse) {
    if (!e) return;
    if (e->objectKind == kPickBlock && e->index >= 0 && e->index < kBlockCount) {
      const CBlock& b = g_Blocks[size_t(e->index)];
      const Vec3 lo{b.MinX, 0, b.MinZ}, hi{b.MinX + b.SizeX, b.TallestBuildingHeight(), b.MinZ + b.SizeZ};
      CEntity stand;
      stand.flags |= kEntInView;
      if (e->flags & kEntInView) DrawEntityOutline(&stand, colour, pulse, &lo, &hi);
      return;
    }
    DrawEntityOutline(e, colour, pulse);
  };
  if (!g_SelectedBuilding)
    outlineBlock(selected, kSelectedColour, true);
  else
    outlineBuilding(g_SelectedBuilding, kSelectedColour, true);
  if (hovered && hovered != selected) outlineBlock(hovered, kHoveredColour, false);
  const bool shift = testShift && KeyDown(platform::key::kLeftShift);
  if (!shift && g_HoveredBuilding && g_HoveredBuilding != g_SelectedBuilding)
    outlineBuilding(g_HoveredBuilding, kHoveredColour, false);
}

// ---- End-sequence tokens ------------------------------------------------------------------

void SetEndSequenceTokens(int32_t token1, int32_t token2) {
  State().tokens[0] = token1;
  State().tokens[1] = token2;
}

void GetEndSequenceTokens(int32_t* token1, int32_t* token2) {
  *token1 = State().tokens[0];
  *token2 = State().tokens[1];
}

void DrawEndSequenceTokens() {
  SetDrawRangesFixed();
  auto draw = [](int32_t token, const Vec3& at) {
    ModelLodSet* set = token >= 0 && token < kTokenCount ? ShelfModel(ModelShelf::Characters, TokenStanding(token))
                                                         : ShelfModel(ModelShelf::Marker, 0);
    if (!set) return;
    CEntity e;
    e.SetModel(set);
    e.position = at;
    e.flags |= kEntVisible | kEntRebuildMatrix;
    e.Draw(View());
  };
  if (State().tokens[0] == kNoEndToken && State().tokens[1] == kNoEndToken) return;
  draw(State().tokens[0], kFirstTokenPlace);
  if (State().tokens[1] != kNoEndToken) draw(State().tokens[1], kSecondTokenPlace);
}

// ---- Smoke ----------------------------------------------------------------------------------

// The smoke's own numbers: the smoke is only looked at, so it keeps out of
// the game's ordered random streams (a stream there would change what every
// later stream draws).
uint32_t SmokeSpeedStep() {
  static uint32_t state = 12345;
  state = state * 214013u + 2531011u;
  return (state >> 16 & 0x7FFF) % 101;
}

const std::vector<SmokeEmitter>& SmokeEmitters() { return State().smoke; }

void InitSmokeEmitters(const Vec3& chimney, const Vec3* points, int32_t count, int32_t now) {
  std::vector<SmokeEmitter>& out = State().smoke;
  out.clear();
  auto add = [&](const Vec3& at) {
    if (int32_t(out.size()) >= kMaxSmokeEmitters) return;
    SmokeEmitter e;
    e.position = at;
    e.active = true;
    e.startTick = now;
    out.push_back(e);
  };
  add(chimney);
  for (int32_t i = 0; points && i < count; ++i) add({points[i].x, points[i].y + 2, -points[i].z});
}

void InitSmokeEmitters() {
  // The chemical plant's stack; the hospital's chimney (given as a model
  // point, z as the model files hold it).
  const Vec3 more[1] = {{230.0f, 26.0f, -555.0f}};
  InitSmokeEmitters({-420.0f, 36.0f, 640.0f}, more, 1, int32_t(RunningTick()));
}

void UpdateSmokeEmitters(int32_t now) {
  for (SmokeEmitter& e : State().smoke) {
    if (!e.active) continue;
    for (SmokeParticle& p : e.particles) {
      if (!p.active) continue;
      p.position.y += p.speed * 0.1f;
      p.position.x += 0.05f;
      p.sizeX = p.sizeY = p.sizeX + 0.04f;
      p.alpha -= 1.5f;
      if (p.alpha <= 0) p.active = false;
    }
    const int32_t since = now - e.startTick;
    if (e.interval <= 0 || since % e.interval != 0) continue;
    for (SmokeParticle& p : e.particles) {
      if (p.active) continue;
      p = SmokeParticle{};
      p.active = true;
      p.position = e.position;
      p.speed = 3.0f + 0.05f * float(SmokeSpeedStep());
      p.alpha = 160;
      break;
    }
  }
}

void UpdateSmokeEmitters() { UpdateSmokeEmitters(int32_t(RunningTick())); }

// ---- Pulsing lights ----------------------------------------------------------------------------

std::vector<PulsingLight>& PulsingLights() { return State().lights; }

void StepPulsingLights() {
  for (PulsingLight& l : State().lights) {
    if (++l.step < l.period) continue;
    l.step = 0;
    l.brightness += l.rising ? 20 : -20;
    if (l.brightness >= 255) l.brightness = 255, l.rising = false;
    if (l.brightness <= 0) l.brightness = 0, l.rising = true;
    l.copy = uint8_t(l.brightness);
  }
}

// ---- Night lights -------------------------------------------------------------------------------

bool LightGroupLit(int32_t element, float nightLevel) {
  return nightLevel < float(kSwitchOnLevels[size_t(std::abs(element) % 16)]);
}

int32_t LightRingSegments(float depth) {
  uint32_t bits = 0;
  std::memcpy(&bits, &depth, sizeof bits);
  const int32_t n = 1088 - int32_t(bits >> 20);
  return std::clamp(n, 7, 64);
}

float LightPoolIntensity(float depth) {
  if (depth <= kLightPoolFull) return 1.0f;
  return std::max(0.0f, 1.0f - (depth - kLightPoolFull) * kLightPoolFade);
}

int32_t LightPoolsDrawn() { return State().poolsDrawn; }

// ---- Plan view ------------------------------------------------------------------------------------

bool PlanBlinkOn(uint32_t tick) { return tick % 32u > 16; }

PlanViewFilters& PlanFilters() { return State().filters; }

uint32_t PlanBuildingColour(uint32_t own, const PlanBusinessFacts* b, const PlanViewFilters& f, uint32_t tick) {
  if (!b) return 0xFFFFFFFFu;
  bool blink = false;
  if (f.business >= 0)
    blink = b->index == f.business;
  else if (f.use >= 0)
    blink = b->use == f.use;
  else if (f.player >= 0)
    blink = b->owner == f.player;
  else if (f.commodity >= 0 && f.commodity < 32)
    blink = (b->sold >> f.commodity) & 1u;
  return blink && PlanBlinkOn(tick) ? 0xFFFFFFFFu : own;
}

void DrawPlanViewPasses(CRenderer& r) {
  AdvanceFrameTick();
  RefreshBasicScene();
  SetDrawRangesUnlimited();
  r.DisableFog();
  r.DisableLighting();
  r.DisableDepthWrite();
  r.SetShader(kShaderModulate);
  Trace("board");
  DrawPlanBoard();
  r.SetShader(-1);  // the board goes down first, under everything
  r.EnableDepthWrite();
  // The plan is a map: everything on it is drawn unlit, so it reads the same
  // at any hour and on either renderer (the software renderer darkens the
  // picture by the light only when lighting is on as the overlay begins).
  Trace("ground");
  DrawGroundAndBases(r, false);
  Trace("buildings");
  DrawBuildings(r, false);
  Trace("plan buildings");
  const PlanViewFilters& f = PlanFilters();
  if (f.showBuildings) {
    static constexpr uint32_t kOwnColours[7] = {0xFF9A9A9A, 0xFFE03030, 0xFF3060E0, 0xFF30B040,
                                                0xFFE0C020, 0xFFA040C0, 0xFFE08020};
    std::vector<Vec3> quads;
    std::vector<uint32_t> colours;
    r.SetShader(kShaderNoDepth);
    r.DisableLighting();
    for (const CBlock& blk : g_Blocks) {
      if (!blk.InUse || (blk.MapMarks & kMarkHidden)) continue;
      for (const CBuilding* b = blk.FirstBuilding; b; b = b->Next) {
        if (!b->InUse || b->Status == kStatusDemolished) continue;
        Vec3 lo, hi;
        BuildingBox(*b, lo, hi);
        const float y = hi.y + 0.5f;
        lo.x += 2, lo.z += 2, hi.x -= 2, hi.z -= 2;
        if (hi.x <= lo.x || hi.z <= lo.z) continue;
        const CBusiness* business = GetBusiness(b->GetBusiness());
        const BusinessType* type = business ? GetBusinessType(business->Type) : nullptr;
        // The owner's tint while the overlay is open, else a colour per owner.
        const uint32_t tint = BuildingTint(b->Id);
        const uint32_t own = tint != kNoTint ? tint : kOwnColours[std::min<int32_t>(b->Owner, 6)];
        PlanBusinessFacts facts;
        if (business)
          facts = {business->Type, b->GetBusiness(), int32_t(business->Owner) - 1, type ? type->CommodityMask : 0};
        colours.push_back(PlanBuildingColour(own, business ? &facts : nullptr, f, FrameTick()));
        quads.insert(quads.end(), {{lo.x, y, lo.z}, {hi.x, y, lo.z}, {hi.x, y, hi.z}, {lo.x, y, hi.z}});
        if (int32_t(colours.size()) == kPlanBatch) {
          DrawWorldQuads(r, quads.data(), kPlanBatch, colours.data());
          quads.clear(), colours.clear();
        }
      }
    }
    if (!colours.empty()) DrawWorldQuads(r, quads.data(), int32_t(colours.size()), colours.data());
  }
  r.SetShader(kShaderModulate);
  Trace("outlines");
  DrawSelectionOutlines();
  r.SetShader(-1);
}

// ---- Listed people -----------------------------------------------------------------------------------

uint32_t ListedPersonColour(bool housed, int32_t workKind) {
  static constexpr uint32_t kKindColours[4] = {0xFF888888u, 0xFF30B040u, 0xFF3080E0u, 0xFFE0A020u};
  if (!housed) return 0xFFE03030u;
  return kKindColours[std::clamp(workKind, 0, 3)];
}

int32_t DrawListedObjectMarkers(CRenderer& r, const Mat43& camera) {
  const ProjectionState& p = g_Projection;
  if (p.centreX <= 0 || p.centreY <= 0) return 0;
  const float sx = 640.0f / (2 * p.centreX), sy = 480.0f / (2 * p.centreY);
  std::vector<Vec3> quads;
  std::vector<uint32_t> colours;
  for (int32_t i = 0; i < g_PeopleCount && i < kMaxPeople; ++i) {
    const CEntity& e = g_PersonEntities[size_t(i)];
    const CPerson& person = g_People[size_t(i)];
    if (!person.InUse || (e.flags & (kEntVisible | kEntInView)) != (kEntVisible | kEntInView)) continue;
    Vec3 view;
    MatTransformPoints(camera, &e.position, &view, 1);
    if (view.z < p.nearPlane) continue;
    ScreenPoint at;
    ProjectPoints(&view, &at, 1);
    const float x = at.x * sx - 2.5f, y = at.y * sy - 2.5f;
    quads.insert(quads.end(), {{x, y, 0.5f}, {x + 5, y, 0.5f}, {x + 5, y + 5, 0.5f}, {x, y + 5, 0.5f}});
    colours.push_back(ListedPersonColour(person.IsHoused(), GetWorkBusinessKind(person)));
  }
  if (!colours.empty()) r.DrawFlatQuads(quads.data(), int32_t(colours.size()), colours.data());
  return int32_t(colours.size());
}

// ---- Street furniture -------------------------------------------------------------------------------

void CreateStreetLightEntities() {
  CEntityHouse& house = State().streetLights;
  house.Release();
  const int32_t decade = GameClock().decade;
  State().streetLightDecade = decade;
  State().streetLightSource = g_StreetLights.Count;
  if (!house.Allocate(kMaxStreetLights)) return;
  const int32_t model = decade <= 2 ? kStreetLight1920 : decade <= 5 ? kStreetLight1960 : kStreetLight2000;
  ModelLodSet* set = ShelfModel(ModelShelf::WorldCity, model);
  if (!set) return;
  for (int32_t i = 0; i < g_StreetLights.Count && i < kMaxStreetLights; ++i) {
    const StreetLight& l = g_StreetLights.Lights[size_t(i)];
    CEntity e;
    e.SetModel(set);
    e.position = {l.BaseX, l.BaseY, l.BaseZ};
    e.rotation = {0, l.Angle, 0};
    e.flags |= kEntVisible | kEntRebuildMatrix;
    house.Add(e);
  }
}

void ReleaseStreetLightEntities() {
  State().streetLights.Release();
  State().streetLightDecade = -1;
}
