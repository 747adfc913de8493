#include "app/seams.h"

#include <typeinfo>

#include "city/city_services.h"
#include "engine/core/error.h"
#include "frontend/network_pages.h"
#include "panels/panel_links.h"
#include "script/profiles.h"
#include "session/session_services.h"
#include "sound/game_sound.h"
#include "ui/ui_services.h"
#include "visuals/scene/auction_room.h"
#include "visuals/camera/city_picking.h"
#include "visuals/scene/fireworks.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/overlay/interface_task.h"

namespace {

// An interface counts as installed when it is no longer the do-nothing
// base its accessor falls back on.
template <class Base>
bool Overridden(const Base& installed) {
  return typeid(installed) != typeid(Base);
}

}  // namespace

std::vector<Seam> ProgramSeams() {
  const InterfaceHooks& keys = InterfaceTaskHooks();
  const PickHooks& pick = PickTaskHooks();
  const OverlayHooks& overlay = Overlay();
  const PanelLinks& panels = PanelGameLinks();
  const AuctionRoomHooks& room = AuctionRoomSound();
  const FireworksSoundHooks& fireworks = FireworksShow().Sounds();
  return {
      // The interface task's keys.
      {"InterfaceHooks.cutSceneRunning", bool(keys.cutSceneRunning)},
      {"InterfaceHooks.pollCutSceneSkipKeys", bool(keys.pollCutSceneSkipKeys)},
      {"InterfaceHooks.frontEndPanelInWay", bool(keys.frontEndPanelInWay)},
      {"InterfaceHooks.mouseOverPanels", bool(keys.mouseOverPanels)},
      {"InterfaceHooks.chatPanelOpen", bool(keys.chatPanelOpen)},
      {"InterfaceHooks.viewChanged", bool(keys.viewChanged)},
      {"InterfaceHooks.togglePauseSwitch", bool(keys.togglePauseSwitch)},
      // What a click in the city opens.
      {"PickHooks.lotSelectionFlag", bool(pick.lotSelectionFlag)},
      {"PickHooks.setLotSelectionFlag", bool(pick.setLotSelectionFlag)},
      {"PickHooks.typeLimits", bool(pick.typeLimits)},
      {"PickHooks.showInfoPage", bool(pick.showInfoPage)},
      {"PickHooks.reapplyInfoPage", bool(pick.reapplyInfoPage)},
      {"PickHooks.setCardTarget", bool(pick.setCardTarget)},
      {"PickHooks.setOverviewBlock", bool(pick.setOverviewBlock)},
      {"PickHooks.picked3D", bool(pick.picked3D)},
      // The overlay over the world.
      {"OverlayHooks.drawPanels", bool(overlay.drawPanels)},
      {"OverlayHooks.cutSceneRunning", bool(overlay.cutSceneRunning)},
      // The HUD panels' reach into the rest of the game.
      {"PanelLinks.playSample", bool(panels.playSample)},
      {"PanelLinks.stopSample", bool(panels.stopSample)},
      // Sound for the auction room and the fireworks.
      {"AuctionRoomHooks.play", bool(room.play)},
      {"AuctionRoomHooks.stop", bool(room.stop)},
      {"FireworksSoundHooks.play", bool(fireworks.play)},
      {"FireworksSoundHooks.playing", bool(fireworks.playing)},
      {"FireworksSoundHooks.stop", bool(fireworks.stop)},
      // The interfaces the game root installs.
      {"ScreenModePanels", CurrentScreenModePanels() != nullptr},
      {"SessionGameServices", Overridden(*Services().game)},
      {"CityVisualServices", Overridden(*City().visuals)},
      {"ProfileServices", Overridden(ProfileHooks())},
      {"FrontEndNetwork", Overridden(FrontEndNet())},
      {"UiGame", Overridden(UiGameSide())},
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
