#include "visuals/architect/building_visuals.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "city/blocks.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/buildings.h"
#include "engine/core/error.h"
#include "engine/core/play_warning.h"
#include "engine/scene/entity.h"
#include "engine/scene/particles.h"
#include "visuals/architect/architect_tables.h"
#include "visuals/architect/architect.h"
#include "visuals/architect/building_tints.h"
#include "visuals/scene/block_labels.h"
#include "visuals/scene/draw_distances.h"
#include "visuals/scene/scene_passes.h"
#include "session/player.h"
#include "ui/text_mesh.h"

namespace {

constexpr int32_t kTenantTextId = 1116;
constexpr int32_t kFlagTenantText = 0x10000;
constexpr int32_t kFlagBusinessName = 0x20000;
constexpr int32_t kLoweredPanel = 0x1080202;
constexpr float kPropScale = 0.75f;

DecorationModelLookup g_decorations = nullptr;
const ModelLodSet* g_propModel = nullptr;
const ModelLodSet* g_propMarkers = nullptr;
std::vector<int32_t> g_cityProps;  // the marker props' slots

struct StandardBuilding {
  BuildingModels models;
  Vec3 position{};
  // Its props, kept here: the pool is emptied with every new game, and the
  // standard buildings stand from the start to the end of the program.
  std::vector<PropSlot> props;
};
std::vector<StandardBuilding> g_standard;
std::array<BuildingModels, kBuildingPoolSize + 1> g_models{};

BuildingModels& Models(int32_t id) {
  return g_models[size_t(id >= 0 && id < kBuildingPoolSize ? id : kBuildingPoolSize)];
}

bool StopsWalk(int32_t code) { return code == 0 || code == -1; }
bool PlacesNothing(int32_t code) { return code == 69 || code == 0x2000045; }

bool IsDecorationCode(int32_t code) {
  if (code == 68 || (code >= 73 && code <= 79)) return true;
  static constexpr int32_t kCodes[] = {0x2000002, 0x2000003, 0x2000026, 0x2000037, 0x200003B, 0x200003E,
                                       0x200003F, 0x2000041, 0x2000042, 0x2000044};
  for (int32_t c : kCodes)
    if (code == c) return true;
  return (code >= 0x2000005 && code <= 0x2000018) || (code >= 0x2000049 && code <= 0x200004F);
}

float YawFacing(float dx, float dz) { return std::atan2(-dx, dz) * 57.29578f; }

void ReleaseModels(BuildingModels& m) {
  for (ModelLodSet& set : m.sets) {
    if (set.handles[0] > 0 && TheModelSystem() != nullptr) ModSysDeleteModel(set.handles[0]);
    set = ModelLodSet{};
  }
}

void ReleaseSign(int32_t index) {
  SignSlot& s = TheSignPool().Slots[size_t(index)];
  if (s.Built && s.Model > 0 && TheModelSystem() != nullptr) ModSysDeleteModel(s.Model);
  s.Model = 0;
  FreeSignSlot(index);
}

// The text a sign shows: the business's name, the tenant text or a default.
void SignText(const CBuilding& b, int32_t code, bool rebuilt, int32_t& id, std::string& text) {
  id = -1;
  text = "TO-LET";
  if (code & kFlagBusinessName) {
    if (!rebuilt) return;
    const CBusiness* business = b.BusinessIndex >= 0 ? GetBusinessInUse(b.BusinessIndex) : nullptr;
    const BusinessType* type = business ? business->GetTypeRow() : nullptr;
    id = type ? type->NameTextId : kNoTypeNameTextId;
  } else if (code & kFlagTenantText) {
    id = kTenantTextId;
  } else if (rebuilt) {
    text = "OPEN";
  }
}

void DrawModel(const ModelLodSet& set, const Vec3& position, float yaw, const Vec3& scale, const Mat43& view,
               uint32_t tint = kNoTint) {
  if (set.handles[0] <= 0 || ModSysGetModel(set.handles[0]) == nullptr) return;
  ModelLodSet copy = set;
  CEntity e;
  e.SetModel(&copy);
  e.colour = tint;
  e.position = position;
  e.rotation = {0, yaw, 0};
  e.scale = scale;
  e.flags |= kEntVisible | kEntRebuildMatrix;
  e.Draw(view);
}

// How far a point of the city lies from the eye of the view.
float DistanceFromEye(const Vec3& at, const Mat43& view) {
  Vec3 seen{};
  MatTransformPoints(view, &at, &seen, 1);
  return std::sqrt(seen.x * seen.x + seen.y * seen.y + seen.z * seen.z);
}

}  // namespace

uint32_t DecorationTint(float distance, bool closed) {
  const float whole = DetailFactor * 200.0f + 150.0f, none = whole + 50.0f;
  if (distance >= none) return 0;
  const float alpha = distance <= whole ? 255.0f : 255.0f * (none - distance) / (none - whole);
  if (alpha < 1.0f) return 0;
  return uint32_t(alpha) << 24 | ((closed ? kClosedDecorationTint : kNoTint) & 0x00FFFFFFu);
}

SignPool& TheSignPool() {
  static SignPool pool;
  return pool;
}
PropPool& ThePropPool() {
  static PropPool pool;
  return pool;
}

template <typename Pool>
int32_t AllocSlot(Pool& pool) {
  for (size_t i = 0; i < pool.Slots.size(); ++i)
    if (!pool.Slots[i].InUse) {
      pool.Slots[i] = {};
      pool.Slots[i].InUse = 1;
      ++pool.Count;
      return int32_t(i);
    }
  return -1;
}

template <typename Pool>
void FreeSlot(Pool& pool, int32_t index) {
  if (index < 0 || size_t(index) >= pool.Slots.size() || !pool.Slots[size_t(index)].InUse) return;
  pool.Slots[size_t(index)].InUse = 0;
  --pool.Count;
}

int32_t AllocSignSlot() { return AllocSlot(TheSignPool()); }
int32_t AllocPropSlot() { return AllocSlot(ThePropPool()); }
void FreeSignSlot(int32_t index) { FreeSlot(TheSignPool(), index); }
void FreePropSlot(int32_t index) { FreeSlot(ThePropPool(), index); }
void ClearSignPool() { TheSignPool() = SignPool{}; }
void ClearPropPool() { ThePropPool() = PropPool{}; }

bool IsPropCode(int32_t code) {
  return code == 70 || code == 71 || code == 72 || code == 0x2000004 || (code >= 0x2000046 && code <= 0x2000048);
}

void SetDecorationModelLookup(DecorationModelLookup lookup) { g_decorations = lookup; }
void SetPropModel(const ModelLodSet* model) { g_propModel = model; }
void SetPropMarkerModel(const ModelLodSet* model) { g_propMarkers = model; }

int32_t ResetPropInstances() {
  ClearPropPool();
  g_cityProps.clear();
  const CModel* markers = g_propMarkers && g_propMarkers->handles[0] > 0 ? ModSysGetModel(g_propMarkers->handles[0]) : nullptr;
  if (markers == nullptr || markers->positions == nullptr) return 0;
  for (int32_t i = 0; i < markers->vertexCount; ++i) {
    const int32_t slot = AllocPropSlot();
    if (slot < 0) break;
    const Vec3& p = markers->positions[i];
    ThePropPool().Slots[size_t(slot)] = {1, {p.x, p.y, p.z}, {1.0f, 1.0f, 1.0f}};
    g_cityProps.push_back(slot);
  }
  return int32_t(g_cityProps.size());
}

int32_t SignColourRow(const CBuilding& b) {
  const CPlayer* owner = PlayerTable().ByNumber(b.Owner);
  return owner != nullptr ? std::clamp(owner->character, 0, kSignRows - 2) : kSignRows - 1;
}

int32_t SignModelForCode(SignSlot& s, int32_t textId, const char* text, int32_t row) {
  s.Flag = 0;
  if (IsDecorationCode(s.Code)) {
    s.Built = 0;
    s.Model = g_decorations ? g_decorations(s.Code) : 0;
    return s.Model;
  }
  s.Built = 1;
  TextModelRecord r;
  const std::string_view t = text ? text : "";
  const float w = s.Width, h = s.Height;
  switch (s.Code) {
    case 0x1010101: case 0x1020101: s.Model = BuildTextModel(r, t, textId, w, h); break;
    case 0x1010104: case 0x1020104: s.Model = BuildTextModelFlag1(r, t, textId, w, h); break;
    case 0x1010201: case 0x1020201: s.Model = BuildFittedTextModel(r, row, t, textId, w, h); break;
    case 0x1010204: case 0x1020204: s.Model = BuildFittedTextModelBack(r, row, t, textId, w, h); break;
    case 0x1010102: case 0x1020102: s.Model = BuildTextModelDoubleSided(r, t, textId, w, h); break;
    case 0x1040201: s.Model = AddSignText(r, row, w, h); break;
    case 0x1040202: case 0x1040204: s.Model = AddSignTextBackFace(r, row, w, h); break;
    case kLoweredPanel: s.Model = BuildSignPanelModel(r, -1, row, w, h * 0.7f, 0); break;
    case 0x2000001: s.Model = BuildSignModel(r, row, w, h); break;
    default: s.Model = 0; break;
  }
  return s.Model;
}

const BuildingModels& ModelsOfBuilding(int32_t id) { return Models(id); }

void AttachBuildingProps(const ArchitectBuild& build, CBuilding& b, bool withSigns) {
  BuildingVisual& v = b.Visual;
  const BuildingDescription& d = build.description;
  // The street side of the design, turned into the site: signs face it.
  const float outX = -float(build.frame.b), outZ = -float(build.frame.d);
  for (int32_t i = 0; i < d.placementCount && i < kLibraryPlacementsPerBuilding; ++i) {
    const LibraryPlacement& p = d.placements[size_t(i)];
    if (StopsWalk(p.Code)) break;
    if (PlacesNothing(p.Code)) continue;
    const size_t layer = size_t(std::max(0, p.Layer));
    const float base = layer < d.layers.size() ? d.layers[layer].baseHeight : 0.0f;
    float x, z;
    build.frame.Map(p.X * kLotSize, (7.0f - p.Z) * kLotSize, x, z);
    const float wx = b.CentreX + x, wz = b.CentreZ + z, wy = (base + p.Y) * kLotSize;
    if (IsPropCode(p.Code)) {
      if (v.PropCount >= kBuildingProps) continue;
      const int32_t slot = AllocPropSlot();
      if (slot < 0) continue;
      ThePropPool().Slots[size_t(slot)] = {1, {wx, wy, wz}, {kPropScale, kPropScale, kPropScale}};
      v.Props[v.PropCount++] = slot;
      continue;
    }
    if (!withSigns || v.SignCount >= kBuildingSigns) continue;
    const int32_t slot = AllocSignSlot();
    if (slot < 0) continue;
    SignSlot& s = TheSignPool().Slots[size_t(slot)];
    s.Code = p.Code;
    s.Width = p.ScaleU * kLotSize;
    s.Height = p.ScaleV * kLotSize;
    s.Scale[0] = s.Scale[1] = s.Scale[2] = 1.0f;
    s.PassThrough = p.Value;
    s.Position[0] = wx, s.Position[1] = wy, s.Position[2] = wz;
    if (p.Code == kLoweredPanel) s.Position[1] -= 0.7f * s.Height;
    s.Yaw = YawFacing(outX, -outZ) + float(p.Value);  // the sign's model z runs opposite to the city's
    int32_t id;
    std::string text;
    SignText(b, p.Code, false, id, text);
    if (SignModelForCode(s, id, text.c_str(), SignColourRow(b)) == 0) {
      // Nothing to show: the slot goes back at once.
      FreeSignSlot(slot);
      continue;
    }
    v.Signs[v.SignCount++] = slot;
  }
}

bool ArchitectVisualServices::SetUpBuildingVisual(CBuilding& b) {
  ReleaseBuildingVisuals(b);
  ReleaseModels(Models(b.Id));  // a record reused without its release (a load)
  BuildingVisual& v = b.Visual;
  v.SignCount = v.PropCount = 0;
  ArchitectBuild build;
  switch (BuildFile_Search(b, build)) {
    case ArchitectResult::kBuilt: break;
    case ArchitectResult::kBadSearch:
      ReportPerFileF(1, "building library", kBuildingLibraryGameName,
                     "BuildFile_Search() : Duff parameters\n XSz %d   ZSz %d \n Quality %d \nCatergory  %d   Corner %d",
                     b.X2 - b.X1 + 1, b.Z2 - b.Z1 + 1, b.Quality, b.Kind, build.turn.corner);
      return false;
    case ArchitectResult::kNoDesign:
      ReportPerFileF(1, "building library", kBuildingLibraryGameName,
                     "COULD NOT FIND SELECTED BUILDING in %.*s (building %d, %dx%d, %d floors, kind %d)",
                     int(kBuildingLibraryGameName.size()), kBuildingLibraryGameName.data(), b.Id, b.X2 - b.X1 + 1,
                     b.Z2 - b.Z1 + 1, b.Floors, b.Kind);
      return false;
    case ArchitectResult::kNoLibrary:
      // Said once when the library failed to load: every building is the plain box.
      return CityVisualServices::SetUpBuildingVisual(b);
  }
  v.Built = 1;
  v.LibraryEntry = build.entry;
  v.Rotation[0] = v.Rotation[1] = v.Rotation[2] = 0.0f;  // the models are turned already
  v.Height = build.height;
  v.BoxMin[0] = build.boxMin.x, v.BoxMin[1] = build.boxMin.y, v.BoxMin[2] = build.boxMin.z;
  v.BoxMax[0] = build.boxMax.x, v.BoxMax[1] = build.boxMax.y, v.BoxMax[2] = build.boxMax.z;
  // Linking makes door points relative to the building from the block's frame.
  const float blockX = b.Block ? b.Block->CentreX : b.CentreX, blockZ = b.Block ? b.Block->CentreZ : b.CentreZ;
  v.DoorCount = build.doorCount;
  for (int32_t i = 0; i < build.doorCount; ++i) {
    const Vec3& d = build.doors[size_t(i)];
    v.Doors[i] = DoorPoint{d.x + blockX - b.CentreX, d.y, d.z + blockZ - b.CentreZ};
  }
  BuildingModels& m = Models(b.Id);
  for (size_t k = 0; k < m.sets.size(); ++k) {
    m.sets[k] = ModelLodSet{};
    m.sets[k].handles[0] = RegisterMeshPart(build.parts[k]);
    m.sets[k].count = m.sets[k].handles[0] > 0 ? 1 : 0;
  }
  AttachBuildingProps(build, b);
  return true;
}

void ArchitectVisualServices::ReleaseBuildingVisuals(CBuilding& b) {
  BuildingVisual& v = b.Visual;
  if (!v.Built) return;
  ReleaseModels(Models(b.Id));
  for (int32_t i = 0; i < v.SignCount && i < kBuildingSigns; ++i) ReleaseSign(v.Signs[i]);
  for (int32_t i = 0; i < v.PropCount && i < kBuildingProps; ++i) FreePropSlot(v.Props[i]);
  v.SignCount = v.PropCount = 0;
  v.Built = 0;
}

void ArchitectVisualServices::RebuildSigns(CBuilding& b) {
  BuildingVisual& v = b.Visual;
  for (int32_t i = 0; i < v.SignCount && i < kBuildingSigns; ++i) {
    SignSlot& s = TheSignPool().Slots[size_t(v.Signs[i])];
    if (!s.Built) continue;
    if (s.Model > 0) ModSysDeleteModel(s.Model);
    int32_t id;
    std::string text;
    SignText(b, s.Code, true, id, text);
    SignModelForCode(s, id, text.c_str(), SignColourRow(b));
  }
}

int32_t ArchitectVisualServices::StartDust(float x, float z, float width, float depth) {
  constexpr int32_t kDustTexture = 60;  // in the architecture texture set
  constexpr int32_t kDustParticles = 200;
  return ParticleManager().AddEmitter(ArchitectTextureSlot(kDustTexture), x, z, width, depth, kDustParticles);
}

void ArchitectVisualServices::StopEffect(int32_t slot) { ParticleManager().RemoveEmitter(slot); }

void ArchitectVisualServices::TintBlockLabel(int32_t block, uint32_t colour) { ::TintBlockLabel(block, colour); }

ArchitectVisualServices& TheArchitect() {
  static ArchitectVisualServices architect;
  return architect;
}

void ResetBuildingVisuals() {
  for (BuildingModels& m : g_models) ReleaseModels(m);
  for (int32_t i = 0; i < kSignPoolSize; ++i)
    if (TheSignPool().Slots[size_t(i)].InUse) ReleaseSign(i);
  ClearSignPool();
  ClearPropPool();
  g_cityProps.clear();
}

int32_t BuildStandardBuildings() {
  ReleaseStandardBuildings();
  struct Standard {
    uint8_t category;
    int32_t block;
    float extraZ;
  };
  static constexpr Standard kStandard[] = {{kCategoryTelecoms, 2, 0},
                                           {kCategoryGas, 35, 0},
                                           {kCategoryElectric, 42, 0},
                                           {kCategoryWater, 39, 0},
                                           {kCategoryMarina, 31, 40}};
  constexpr uint32_t kStandardSeed = 80;
  const BuildingLibrary* library = TheBuildingLibrary();
  for (const Standard& s : kStandard) {
    int32_t found[20];
    int32_t n = 0, w = 7, d = 7;
    for (auto [sw, sd] : {std::pair{7, 7}, std::pair{7, 3}, std::pair{3, 7}}) {
      n = SearchBuildingLibrary(library, {sw, sd, 1, 0, 1, s.category}, found);
      if (n > 0) {
        w = sw, d = sd;
        break;
      }
    }
    const CBlock* block = GetBlock(s.block);
    BuildingDescription description;
    if (n <= 0 || block == nullptr ||
        !InstantiateLibraryBuilding(library, int32_t(uint32_t(found[n - 1]) & ~kLibraryTurnedMark), description, 1))
      continue;
    // Centred on the block, its front to the far side.
    const SiteTurn turn{180, 0, false, false};
    const DesignFrame frame = MakeDesignFrame(0, 0, w - 1, d - 1, turn, false);
    ArchitectBuild build;
    BuildArchitectGeometry(std::move(description), frame, ChooseArchitectTextures(kStandardSeed), kStandardSeed, build);
    StandardBuilding& b = g_standard.emplace_back();
    for (size_t k = 0; k < b.models.sets.size(); ++k) {
      b.models.sets[k].handles[0] = RegisterMeshPart(build.parts[k]);
      b.models.sets[k].count = b.models.sets[k].handles[0] > 0 ? 1 : 0;
    }
    b.position = {block->CentreX, 0.5f, block->CentreZ + s.extraZ};
    // Its plant, tanks and trees; a utility carries no business signs.
    CBuilding site;
    site.CentreX = b.position.x, site.CentreZ = b.position.z;
    AttachBuildingProps(build, site, false);
    for (int32_t i = 0; i < site.Visual.PropCount && i < kBuildingProps; ++i) {
      b.props.push_back(ThePropPool().Slots[size_t(site.Visual.Props[i])]);
      FreePropSlot(site.Visual.Props[i]);
    }
  }
  return int32_t(g_standard.size());
}

int32_t StandardBuildingPropCount() {
  size_t n = 0;
  for (const StandardBuilding& b : g_standard) n += b.props.size();
  return int32_t(n);
}

void ReleaseStandardBuildings() {
  for (StandardBuilding& b : g_standard) {
    for (ModelLodSet& set : b.models.sets)
      if (set.handles[0] > 0 && TheModelSystem() != nullptr) ModSysDeleteModel(set.handles[0]);
  }
  g_standard.clear();
}

void DrawBuildingVisuals(const Mat43& view) {
  auto drawProp = [&](const PropSlot& p) {
    if (p.InUse && g_propModel)
      DrawModel(*g_propModel, {p.Position[0], p.Position[1], p.Position[2]}, 0, {p.Scale[0], p.Scale[1], p.Scale[2]},
                view);
  };
  for (const StandardBuilding& s : g_standard) {
    for (size_t k = 0; k < kArchitectDayParts; ++k) DrawModel(s.models.sets[k], s.position, 0, {1, 1, 1}, view);
    for (const PropSlot& p : s.props) drawProp(p);
  }
  for (int32_t slot : g_cityProps) drawProp(ThePropPool().Slots[size_t(slot)]);
  // The spare record is the construction panel's preview on its plot: it
  // stands outside the pool and is drawn with it.
  const CBuilding* preview = GetSpareBuilding();
  for (size_t i = 0; i <= g_Buildings.size(); ++i) {
    const CBuilding& b = i < g_Buildings.size() ? g_Buildings[i] : *preview;
    if (!b.InUse || !b.Block || !b.Visual.Built) continue;
    // Placed in the city's frame (the entity turns the models' own z, which
    // runs opposite, back); a construction job grows the building out of the
    // ground or sinks it.
    const BuildingVisual& v = b.Visual;
    if (v.Growth <= 0.0f) continue;
    const Vec3 at{b.CentreX, -v.Sink, b.CentreZ};
    // In the plan view the walls wear the owner's colour.
    const uint32_t tint = BuildingTint(b.Id);
    const BuildingModels& models = Models(b.Id);
    for (size_t k = 0; k < kArchitectDayParts; ++k)
      DrawModel(models.sets[k], at, 0, {v.Growth, v.Growth, v.Growth}, view, tint);
    const CBusiness* business = GetBusiness(b.GetBusiness());
    const uint32_t decoration = DecorationTint(DistanceFromEye(at, view), business && business->OpenState != kOpen);
    if (decoration == 0) continue;
    for (int32_t i = 0; i < b.Visual.PropCount && i < kBuildingProps && g_propModel; ++i) {
      const PropSlot& p = ThePropPool().Slots[size_t(b.Visual.Props[i])];
      DrawModel(*g_propModel, {p.Position[0], p.Position[1], p.Position[2]}, 0, {p.Scale[0], p.Scale[1], p.Scale[2]},
                view, decoration);
    }
    for (int32_t i = 0; i < b.Visual.SignCount && i < kBuildingSigns; ++i) {
      const SignSlot& s = TheSignPool().Slots[size_t(b.Visual.Signs[i])];
      ModelLodSet set{{s.Model, 0, 0}, 1};
      DrawModel(set, {s.Position[0], s.Position[1], s.Position[2]}, s.Yaw, {s.Scale[0], s.Scale[1], s.Scale[2]},
                view, decoration);
    }
  }
}

void DrawBuildingWindowLights(const Mat43& view, float nightLevel) {
  // The utility and marina blocks' standard buildings light up in the same
  // staggered groups, counted by their place in the list.
  for (size_t i = 0; i < g_standard.size(); ++i) {
    const ModelLodSet& lit = g_standard[i].models.sets[kArchitectParts - 1];
    if (lit.count > 0 && LightGroupLit(int32_t(i), nightLevel))
      DrawModel(lit, g_standard[i].position, 0, {1, 1, 1}, view);
  }
  for (const CBuilding& b : g_Buildings) {
    const BuildingVisual& v = b.Visual;
    if (!b.InUse || !b.Block || !v.Built || v.Growth < 1.0f || v.Sink > 0) continue;
    const ModelLodSet& lit = Models(b.Id).sets[kArchitectParts - 1];
    if (lit.count == 0 || !LightGroupLit(b.Id, nightLevel)) continue;
    DrawModel(lit, {b.CentreX, 0, b.CentreZ}, 0, {1, 1, 1}, view);
  }
}
