#pragma once
// The in-game HUD's panel set. CreatePanels places the HUD layout models
// and binds the HUD panels to them; the event ticker and the block marker
// overlay are bound without a model. A panel class installed for a slot
// (InstallHudPanel, before CreatePanels) is bound there; a slot without one
// gets a plain framed panel, which opens and closes by its tab (the HOTAREA
// element) and is dragged by its DRAGBAR element when its layout has them.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "ui/layout_model.h"
#include "ui/panel_manager.h"

// The HUD's layout models, in the set's model order.
enum HudModel : int32_t {
  kHudNavigator = 0,
  kHudConsole = 1,
  kHudCityOverview = 2,
  kHudStatistics = 3,
  kHudSelectionInfo = 4,
  kHudTime = 5,
  kHudViewButton = 6,
  kHudPrompt = 7,
  kHudAuctionTimer = 8,
  kHudCard = 9,
  kHudBusiness = 10,
  kHudRent = 11,
  kHudConstruction = 12,
  kHudChat = 13,
  kHudDay = 14,
  kHudVoting = 15,
  kHudModelCount = 16,
};
// The two panels bound without a model, after the models: a model added
// before kHudModelCount moves them on rather than sharing their slots.
enum HudOwnPanel : int32_t {
  kHudEventTicker = kHudModelCount,
  kHudBlockMarkers = kHudModelCount + 1,
  kHudPanelCount = kHudModelCount + 2,
};

// The game name of each HUD layout model (a model without one fails the
// build).
extern const char* const kHudLayoutFiles[kHudModelCount];

// A framed panel standing in for a HUD panel whose class is not installed.
class CHudPanel : public CPanel {
 public:
  void Build() override;
};

class CGamePanelManager : public CPanelManager {
 public:
  void CreatePanels() override;

  // The layout models CreatePanels places (index = HudModel).
  void SetLayoutModels(std::vector<LayoutModel> models);
  // Binds `panel` in `slot` at the next CreatePanels; the caller keeps it.
  // A second panel for a taken slot ends the program, naming the slot.
  void InstallHudPanel(int32_t slot, CPanel* panel);
  CPanel* Panel(int32_t slot) const { return panels_[size_t(slot)]; }
  // The navigator, which the camera and picking code read.
  CPanel* MainPanel() const { return Panel(kHudNavigator); }

 private:
  CPanel* SlotPanel(int32_t slot);
  std::vector<LayoutModel> models_;
  std::array<CPanel*, kHudPanelCount> panels_{};
  std::array<CPanel*, kHudPanelCount> installed_{};
  std::vector<std::unique_ptr<CHudPanel>> standIns_;
};

CGamePanelManager& GamePanels();
