#include "app/seams.h"

#include <typeinfo>

#include "city/city_services.h"
#include "city/people.h"
#include "city/traffic.h"
#include "engine/core/error.h"
#include "engine/render/renderer_settings.h"
#include "engine/files/save_game.h"
#include "frontend/network_pages.h"
#include "script/interface_bindings.h"
#include "script/profiles.h"
#include "script/script_bindings.h"
#include "session/save_chunks.h"
#include "session/session_services.h"
#include "shell/startup.h"
#include "sound/game_sound.h"
#include "ui/ui_services.h"
#include "visuals/camera/city_picking.h"
#include "visuals/overlay/frame_draw.h"

namespace {

// An interface counts as installed when it is no longer the do-nothing
// base its accessor falls back on.
template <class Base>
bool Overridden(const Base& installed) {
  return typeid(installed) != typeid(Base);
}

}  // namespace

std::vector<Seam> ProgramSeams() {
  return {
      // The interfaces the game root installs.
      {"ScreenModePanels", CurrentScreenModePanels() != nullptr},
      {"InterfacePanels", Overridden(CurrentInterfacePanels())},
      {"PickPanels", Overridden(CurrentPickPanels())},
      {"SessionGameServices", Overridden(*Services().game)},
      {"CityVisualServices", Overridden(*City().visuals)},
      {"ProfileServices", Overridden(ProfileHooks())},
      {"FrontEndNetwork", Overridden(FrontEndNet())},
      {"UiGame", Overridden(UiGameSide())},
      // The sources the save and the sound read from the game each time.
      {"SaveHeaderSource", HasSaveHeaderSource()},
      {"SaveProfileSource", HasSaveProfileSource()},
      {"SoundSceneSource", HasSoundSceneSource()},
      // What the city's traffic and people take from the loaded models:
      // without them no car or person is drawn, and cars keep built-in
      // lengths.
      {"VehicleModelSource", HasVehicleModelSource()},
      {"VehicleBoundsSource", HasVehicleBoundsSource()},
      {"PersonModelSource", HasPersonModelSource()},
      // What the scripts hand to the game: Game.End, and the check of their
      // text ids against the loaded bank.
      {"ScriptEndGameHandler", HasScriptEndGameHandler()},
      {"ScriptTextIdCheck", HasScriptTextIdCheck()},
      // Both renderers the set-up may choose.
      {"RendererFactory(OpenGL)", HasRendererFactory(kApiDirect3D)},
      {"RendererFactory(software)", HasRendererFactory(kApiSoftware)},
  };
}

std::vector<std::string> MissingSeams() {
  std::vector<std::string> missing;
  for (const Seam& s : ProgramSeams())
    if (!s.installed) missing.emplace_back(s.name);
  return missing;
}

void RequireSeams() {
  const std::vector<std::string> missing = MissingSeams();
  if (missing.empty()) return;
  std::string names;
  for (const std::string& n : missing) names += (names.empty() ? "" : ", ") + n;
  const std::string text = "The game cannot start: nothing is installed for " + names + ".";
  ReportError(0, 0, text.c_str());
}
