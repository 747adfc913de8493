// Draws a line-up of the game's models with the software renderer and writes
// it as a PNG picture, to look at the generated content without the game.
//
//   modelshot <game root> <out.png> <scene>
// scenes: street (people and road vehicles), transport (trains, ships,
// boats, aircraft), figures (characters and tokens), scenery (the crane,
// lights, roof furniture, landscape), world (the land round the city),
// people and trains (close up), buildings (the architect's buildings of a
// few sites, beside roof furniture loaded from its files).
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/memory.h"
#include "engine/core/system_settings.h"
#include "engine/render/soft_renderer.h"
#include "engine/scene/entity.h"
#include "engine/scene/model.h"
#include "engine/scene/texture.h"
#include "platform/paths.h"
#include "shell/asset_groups.h"
#include "city/building_library.h"
#include "city/buildings.h"
#include "visuals/architect/architect.h"
#include "visuals/architect/architect_assets.h"
#include "visuals/scene/shader_table.h"

namespace {

constexpr int kSurroundCount = 79;

struct Placed {
  ModelShelf shelf;
  int32_t place;
  float x, z, yaw;
  int16_t frame = 0;
  float y = 0;
};

struct Scene {
  std::vector<Placed> models;
  Vec3 eye, target;
};

Scene StreetScene() {
  Scene s{{}, {0, 22, -42}, {0, 2, 6}};
  // Walking people of each age, then standing ones, then a person waiting.
  for (int i = 0; i < 4; ++i) s.models.push_back({ModelShelf::People, i * 4, -13.0f + i * 3.5f, -8, 200, int16_t(i * 2)});
  for (int i = 0; i < 4; ++i) s.models.push_back({ModelShelf::People, 16 + i * 4 + 1, 2.0f + i * 3.5f, -8, 160});
  s.models.push_back({ModelShelf::People, 16 + 8, 17, -8, 180, 5});
  // Road vehicles of the three eras: car, taxi, van; bus and lorry.
  s.models.push_back({ModelShelf::Vehicles, 6, -22, 6, 90});
  s.models.push_back({ModelShelf::Vehicles, 29 + 5, -12, 6, 90});
  s.models.push_back({ModelShelf::Vehicles, 58 + 3, -1, 6, 90});
  s.models.push_back({ModelShelf::Vehicles, 58 + 8, 10, 6, 90});
  s.models.push_back({ModelShelf::Vehicles, 29 + 0, -12, 22, 90});
  s.models.push_back({ModelShelf::Vehicles, 58 + 1, 10, 22, 90});
  return s;
}

Scene TransportScene() {
  Scene s{{}, {0, 90, -190}, {0, 0, 20}};
  s.models.push_back({ModelShelf::PlanesTrainsBoats, kTrainSteam, -70, -40, 90});
  s.models.push_back({ModelShelf::PlanesTrainsBoats, kTrainDiesel, -70, -20, 90});
  s.models.push_back({ModelShelf::PlanesTrainsBoats, kTrainElectric, -70, 0, 90});
  s.models.push_back({ModelShelf::PlanesTrainsBoats, kPlaneJet, 20, -40, 120});
  s.models.push_back({ModelShelf::PlanesTrainsBoats, kHelicopter, 60, -40, 150});
  s.models.push_back({ModelShelf::PlanesTrainsBoats, kShipContainer, -40, 60, 90});
  s.models.push_back({ModelShelf::PlanesTrainsBoats, kShipLiner, 60, 60, 90});
  s.models.push_back({ModelShelf::PlanesTrainsBoats, kBoatSail, 20, 10, 60});
  s.models.push_back({ModelShelf::PlanesTrainsBoats, kBoatTug, 45, 10, 60});
  s.models.push_back({ModelShelf::PlanesTrainsBoats, kBoatRowing, 0, 10, 60});
  return s;
}

Scene FiguresScene() {
  Scene s{{}, {0, 10, -26}, {0, 2, 0}};
  for (int i = 0; i < 5; ++i) s.models.push_back({ModelShelf::Characters, i, -10.0f + i * 5, 4, 180});
  for (int i = 0; i < 10; ++i) s.models.push_back({ModelShelf::Characters, TokenStanding(i), -13.5f + i * 3, -4, 150});
  for (int i = 0; i < 5; ++i) s.models.push_back({ModelShelf::Characters, TokenSitting(i * 2), -8.0f + i * 4, -9, 150});
  return s;
}

Scene SceneryScene() {
  Scene s{{}, {0, 40, -75}, {0, 10, 10}};
  s.models.push_back({ModelShelf::WorldCity, kCraneBase, -25, 20, 0});
  s.models.push_back({ModelShelf::WorldCity, kCraneJib, -25, 20, 90, 0, 31});
  s.models.push_back({ModelShelf::WorldCity, kCraneHook, -50, 20, 90, 0, 12});
  s.models.push_back({ModelShelf::WorldCity, kContainer2, -50, 20, 90, 0, 7});
  s.models.push_back({ModelShelf::WorldCity, kTrafficLight1, 0, -10, 180});
  s.models.push_back({ModelShelf::WorldCity, kStreetLight1920, 4, -10, 180});
  s.models.push_back({ModelShelf::WorldCity, kStreetLight1960, 8, -10, 180});
  s.models.push_back({ModelShelf::WorldCity, kStreetLight2000, 12, -10, 180});
  s.models.push_back({ModelShelf::WorldCity, kParkStatue, 20, -5, 180});
  s.models.push_back({ModelShelf::Landscape, 6, 5, 5, 0});
  s.models.push_back({ModelShelf::Landscape, 1, -5, -15, 180});
  for (int i = 0; i < 6; ++i) s.models.push_back({ModelShelf::Roof, i, -20.0f + i * 6, -25, 180});
  s.models.push_back({ModelShelf::Scaffolds, 2, 30, 15, 0});
  return s;
}

// People close up. In front, an adult street figure in each of its street
// animations (standing, stepping in at a door, mid-stride, reaching over a
// counter, looking at the watch, looking round), turned to show it; behind,
// a walking child, teenager and pensioner, a sitting figure and one going in.
Scene PeopleScene() {
  Scene s{{}, {0, 5, -14}, {0, 1.8f, 0}};
  const int16_t mid[kPersonAnimations] = {1, 6, 2, 3, 2, 2};  // a telling frame of each
  for (int a = 0; a < kPersonAnimations; ++a) {
    const int16_t frame = int16_t(PersonAnimFrames(kBuildAdult, a).first + mid[a]);
    s.models.push_back({ModelShelf::People, 8 + a % 4, -7.5f + a * 3.0f, -1, a == kPersonAnimBuy ? 250.0f : 200.0f, frame});
  }
  for (int i = 0; i < 4; ++i)
    if (i != 2)
      s.models.push_back({ModelShelf::People, i * 4 + 2, -6.0f + i * 2, 4, 200,
                          int16_t(PersonAnimFrames(i == 3 ? kBuildElder : i, kPersonAnimWalk).first + 2)});
  s.models.push_back({ModelShelf::People, kStreetPeople + kEnteringPeople, 3, 4, 180});
  s.models.push_back({ModelShelf::People, kStreetPeople + 8, 6, 4, 0, 4});
  return s;
}

// Trains and a boat close up.
Scene TrainsScene() {
  Scene s{{}, {-30, 22, -40}, {0, 2, 0}};
  s.models.push_back({ModelShelf::PlanesTrainsBoats, kTrainSteam, 0, -12, 90});
  s.models.push_back({ModelShelf::PlanesTrainsBoats, kTrainDiesel, 0, 0, 90});
  s.models.push_back({ModelShelf::PlanesTrainsBoats, kTrainElectric, 0, 12, 90});
  return s;
}

// The land round the city from high above, models standing in their places.
Scene WorldScene() {
  Scene s{{}, {0, 1500, -1300}, {0, 0, 0}};
  for (int i = 0; i < kSurroundCount; ++i) s.models.push_back({ModelShelf::Surround, i, 0, 0, 0});
  for (int i = 0; i < 8; ++i) s.models.push_back({ModelShelf::Industrial, i, 0, 0, 0});
  s.models.push_back({ModelShelf::PlanesTrainsBoats, kShipCargo, -610, 360, 0});
  return s;
}

// Buildings close up: three sites of a block built by the architect (placed
// in the scene by hand), with roof furniture from the model files beside
// them as the reference of how a loaded model faces.
Scene BuildingsScene() {
  Scene s{{}, {-50, 80, -50}, {0, 8, 0}};
  for (int i = 0; i < 3; ++i) s.models.push_back({ModelShelf::Roof, i, -30.0f + i * 6, -22, 180});
  return s;
}

struct ArchitectSite {
  int x1, z1, x2, z2, floors, kind;
  float x, z;
};
constexpr ArchitectSite kSites[] = {
    {0, 0, 2, 1, 3, kKindRetail, -22, 0}, {2, 0, 4, 2, 5, kKindResidential, 0, 0}, {5, 0, 6, 1, 2, kKindRetail, 22, 0}};

// Registers the sites' models; their entities draw them at their places.
std::vector<CEntity> ArchitectEntities(std::vector<ModelLodSet>& sets) {
  std::vector<CEntity> out;
  sets.reserve(std::size(kSites) * 3);
  for (const ArchitectSite& site : kSites) {
    CBuilding b;
    b.Id = 0;
    b.X1 = uint8_t(site.x1), b.Z1 = uint8_t(site.z1), b.X2 = uint8_t(site.x2), b.Z2 = uint8_t(site.z2);
    b.Floors = uint8_t(site.floors);
    b.Kind = site.kind;
    b.ArchitectSeed = 0x2A5F0000;
    ArchitectBuild build;
    if (BuildFile_Search(b, build) != ArchitectResult::kBuilt) {
      std::fprintf(stderr, "no design for a site of kind %d\n", site.kind);
      continue;
    }
    for (const MeshPart& part : build.parts) {
      const int32_t handle = RegisterMeshPart(part);
      if (handle <= 0) continue;
      sets.push_back(ModelLodSet{{handle, 0, 0}, 1});
      CEntity& e = out.emplace_back();
      e.SetModel(&sets.back());
      e.position = {site.x, 0, site.z};
      e.rotation = {0, 0, 0};
      e.scale = {1, 1, 1};
    }
  }
  return out;
}

bool WritePng(const std::string& path, const uint32_t* pixels, int w, int h) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> row(size_t(w) * 3);
  for (int y = h - 1; y >= 0; --y) {  // read back bottom row first
    for (int x = 0; x < w; ++x) {
      const uint32_t v = pixels[size_t(y) * w + x];
      row[size_t(x) * 3] = uint8_t(v);
      row[size_t(x) * 3 + 1] = uint8_t(v >> 8);
      row[size_t(x) * 3 + 2] = uint8_t(v >> 16);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: modelshot <game root> <out.png> street|transport|figures|scenery\n");
    return 2;
  }
  const std::string which = argv[3];
  const Scene scene = which == "street" ? StreetScene() : which == "transport" ? TransportScene()
                      : which == "figures" ? FiguresScene() : which == "world" ? WorldScene() : which == "people" ? PeopleScene()
                      : which == "trains" ? TrainsScene() : which == "buildings" ? BuildingsScene()
                      : SceneryScene();
  const bool buildings = which == "buildings";
  platform::SetGameRoot(argv[1]);
  const std::string archive = (std::filesystem::temp_directory_path() / "modelshot_").string();
  std::filesystem::create_directories(archive + "max");
  g_StartupOptions.fullInstall = false;
  std::snprintf(g_StartupOptions.dataRoot, sizeof g_StartupOptions.dataRoot, "%s", archive.c_str());
  MemoryManager().Init(0x5000000, 16);
  TexSysCreate();
  ModSysCreate();
  RendererSettings settings{};
  settings.width = 640;
  settings.height = 480;
  settings.windowed = 1;
  settings.texBitDepth = 32;
  auto r = CreateSoftwareRenderer();
  if (!r->Open(nullptr, nullptr, &settings)) return 1;
  SetRenderer(r.get());
  LoadGameAssets();
  if (buildings) {
    LoadArchitectAssets();
    if (!LoadGameBuildingLibrary()) return 1;
  }
  TexSysSetRendererCaps(r->GetTextureFormatHint());
  TexSysBuildPages();
  r->AttachTextureSystem(TheTextureSystem());
  r->AttachModelSet(TheModelSystem());
  r->DownloadAllTexturePages();
  r->PrepareAllModels();
  BuildShaderTable(r.get());  // the game's own render states
  r->SetFieldOfView(53.0f);
  r->SetDepthRange(1.0f, 5000.0f);
  r->SetClearFlags(true, true);
  r->SetFog(0xFF000000, 4000.0f, 5000.0f, 0.0f);
  g_CullDistances[kCullLod] = 400;  // the line-up is close: full detail
  g_CullDistances[kCullFar] = 4000;
  r->BeginFrame();
  r->Clear();
  r->SetLightRamps(0xFF000000, 0xFFE0E0E0, 0, 0, 0, 1.0f, 0.4f, -1, 0.3f, 0);
  r->SetCameraPosition(scene.eye.x, scene.eye.y, scene.eye.z);
  r->SetCameraTarget(scene.target.x, scene.target.y, scene.target.z);
  r->ApplyCamera();
  r->UpdateViewVolume();
  r->EnableLighting();
  r->SetShader(kShaderModulate);
  std::vector<CEntity> entities(scene.models.size());
  for (size_t i = 0; i < scene.models.size(); ++i) {
    const Placed& p = scene.models[i];
    ModelLodSet* set = ShelfModel(p.shelf, p.place);
    if (!set) {
      std::fprintf(stderr, "no model at %d/%d\n", int(p.shelf), p.place);
      continue;
    }
    CEntity& e = entities[i];
    e.SetModel(set);
    e.position = {p.x, p.y, p.z};
    e.rotation = {0, p.yaw + 180, 0};  // the line-ups were laid out for models facing +z
    e.scale = {1, 1, 1};
    e.animFrame = p.frame;
    e.Draw(PublishedViewMatrix());
  }
  std::vector<ModelLodSet> sets;
  if (buildings)
    for (CEntity& e : ArchitectEntities(sets)) e.Draw(PublishedViewMatrix());
  r->EndFrame();
  r->BeginOverlay();
  r->EndOverlay();
  r->Present();
  uint32_t* pixels = nullptr;
  int32_t w = 0, h = 0;
  if (r->ReadBackBuffer(&pixels, &w, &h) != 1) return 1;
  const bool ok = WritePng(argv[2], pixels, w, h);
  std::free(pixels);
  r->Close();
  SetRenderer(nullptr);
  std::filesystem::remove_all(archive + "max");
  return ok ? 0 : 1;
}
