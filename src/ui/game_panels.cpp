#include "ui/game_panels.h"

#include <algorithm>

#include "engine/core/error.h"
#include "ui/money_format.h"

constexpr const char* kHudLayoutFiles[kHudModelCount] = {
    "gamedata2\\brand_new_panels\\new_nav_top.tm",
    "gamedata2\\newpanels\\console.tm",
    "gamedata2\\brand_new_panels\\main_panel_v2.tm",
    "gamedata2\\brand_new_panels\\stats_panel.tm",
    "gamedata2\\brand_new_panels\\main_panel.tm",
    "gamedata2\\brand_new_panels\\top_right_panel_v2.tm",
    "gamedata2\\brand_new_panels\\new_nav_bottom.tm",
    "gamedata2\\brand_new_panels\\prompt_objectives.tm",
    "gamedata2\\brand_new_panels\\new_auction_external_timer3.tm",
    "gamedata2\\brand_new_panels\\random_card_panel_v2.tm",
    "gamedata2\\brand_new_panels\\bap_v2.tm",
    "gamedata2\\brand_new_panels\\bap_apartments_v2.tm",
    "gamedata2\\brand_new_panels\\main_panel.tm",
    "gamedata2\\brand_new_panels\\chat_panel_v2.tm",
    "gamedata2\\brand_new_panels\\day_tutor_panel.tm",
    "gamedata2\\brand_new_panels\\voting_panel.tm",
};
static_assert(std::ranges::none_of(kHudLayoutFiles, [](const char* file) { return file == nullptr; }),
              "a HUD layout model without its layout file");

void CHudPanel::Build() {
  const CLayoutEntity* model = LayoutEntity();
  if (model == nullptr) return;
  hotAreaElement = FindElementIndex("HOTAREA", model);
  dragBarElement = FindElementIndex("DRAGBAR", model);
  SelectLayoutFrame(frameCount);
}

CGamePanelManager& GamePanels() {
  static CGamePanelManager panels;
  return panels;
}

void CGamePanelManager::SetLayoutModels(std::vector<LayoutModel> models) {
  models_ = std::move(models);
}

void CGamePanelManager::InstallHudPanel(int32_t slot, CPanel* panel) {
  if (slot < 0 || slot >= kHudPanelCount) return;
  CPanel*& installed = installed_[size_t(slot)];
  // Of two panels given one slot only the later would be bound: the other
  // would never show, with nothing said.
  if (installed != nullptr && installed != panel) ReportErrorF(0, "HUD slot %d is given two panels.", int(slot));
  installed = panel;
}

CPanel* CGamePanelManager::SlotPanel(int32_t slot) {
  if (CPanel* p = installed_[size_t(slot)]) return p;
  standIns_.push_back(std::make_unique<CHudPanel>());
  return standIns_.back().get();
}

void CGamePanelManager::CreatePanels() {
  LoadCurrencyFormat();
  std::vector<CLayoutEntity*> placed;
  for (int32_t i = 0; i < kHudModelCount; ++i)
    placed.push_back(NewEntity(size_t(i) < models_.size() ? &models_[size_t(i)] : nullptr));
  for (int32_t slot = 0; slot < kHudPanelCount; ++slot) panels_[size_t(slot)] = SlotPanel(slot);
  // The block markers lie under every panel and the ticker over all of them.
  AddPanel(panels_[kHudBlockMarkers], nullptr);
  for (int32_t i = kHudModelCount - 1; i >= 0; --i) AddPanel(panels_[size_t(i)], placed[size_t(i)]);
  AddPanel(panels_[kHudEventTicker], nullptr);
}
