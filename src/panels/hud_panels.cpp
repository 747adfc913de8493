#include "panels/hud_panels.h"

#include "city/business_types.h"
#include "panels/panel_links.h"
#include "city/blocks.h"
#include "city/buildings.h"
#include "visuals/camera/city_picking.h"
#include "visuals/overlay/interface_task.h"
#include "engine/scene/entity.h"

#include "session/chance_cards.h"
#include "session/player.h"
#include "session/session_state.h"
#include "ui/interface_controls.h"
#include "engine/core/overrides.h"

const char* const kAuctionLayoutFiles[kAuctionSetModelCount] = {
    "gamedata2\\brand_new_panels\\new_auction_top.tm",
    "gamedata2\\brand_new_panels\\new_auction_timer.tm",
    "gamedata2\\brand_new_panels\\new_auction_bid_v2.tm",
    "gamedata2\\brand_new_panels\\new_auction_map.tm",
    "gamedata2\\brand_new_panels\\new_auction_layout.tm",
    "gamedata2\\brand_new_panels\\top_right_panel.tm",
    "gamedata2\\brand_new_panels\\prompt_panel.tm",
};

// ---- The auction set ----------------------------------------------------------------

CAuctionPanelManager& AuctionPanels() {
  static CAuctionPanelManager panels;
  return panels;
}

void CAuctionPanelManager::SetLayoutModels(std::vector<LayoutModel> models) { models_ = std::move(models); }

void CAuctionPanelManager::InstallPanel(int32_t slot, CPanel* panel) {
  if (slot >= 0 && slot < kAuctionSetModelCount) installed_[size_t(slot)] = panel;
}

void CAuctionPanelManager::CreatePanels() {
  for (int32_t i = 0; i < kAuctionSetModelCount; ++i) {
    CPanel* p = installed_[size_t(i)];
    if (p == nullptr) {
      standIns_.push_back(std::make_unique<CHudPanel>());
      p = standIns_.back().get();
    }
    panels_[size_t(i)] = p;
  }
  for (int32_t i = kAuctionSetModelCount - 1; i >= 0; --i)
    AddPanelWithModel(panels_[size_t(i)], size_t(i) < models_.size() ? &models_[size_t(i)] : nullptr);
}

bool LoadAuctionLayouts() {
  std::vector<LayoutModel> models;
  const bool ok = LoadLayoutModels(kAuctionLayoutFiles, models);
  AuctionPanels().SetLayoutModels(std::move(models));
  return ok;
}

// ---- The panel objects ----------------------------------------------------------------

HudPanelObjects::HudPanelObjects()
    : auctionPrompt(kAuctionPromptButtonControls, kAuctionPromptControl),
      prompt(kHudPromptButtonControls, kHudPromptControl) {}

HudPanelObjects& HudPanels() {
  static HudPanelObjects panels;
  return panels;
}

namespace {

// What a click in the city opens in the program's own panel objects: only
// the program's objects are reached from outside their sets.
class HudPickPanels : public PickPanels {
 public:
  explicit HudPickPanels(HudPanelObjects& h) : h_(h) {}
  // The plot picking follows the construction panel's plot step.
  bool PlotPickingOff() override { return h_.construction.PlotPickingOff(); }
  void PlotReleased() override { h_.construction.PlotReleased(); }
  void PlotLimits(int32_t* smallest, int32_t* largest, int32_t* longest) override {
    h_.construction.PlotLimits(smallest, largest, longest);
  }
  // The page of what was clicked: the selection is read from the picked
  // object and building as they are now.
  void ShowInfoPage(int32_t page) override {
    InfoSelection& s = CurrentInfoSelection();
    s = InfoSelection{};
    if (const CEntity* picked = SelectedObject()) {
      if (picked->objectKind == kPickBlock) s.block = picked->index;
      else if (picked->objectKind == kPickPerson || picked->objectKind == kPickPerson2) s.person = picked->index;
    }
    if (g_SelectedBuilding) {
      s.building = g_SelectedBuilding->Id;
      s.business = g_SelectedBuilding->GetBusiness() >= 0;
      if (g_SelectedBuilding->Block) s.block = g_SelectedBuilding->Block->Index;
    }
    h_.selection.ShowPage(page);
  }
  void ReapplyInfoPage() override { h_.selection.ReapplyPageMode(); }
  // An open card panel shows whether the card can now be used.
  void SetCardTarget(int32_t block, int32_t building) override {
    CPlayer* local = PlayerTable().Local();
    if (local == nullptr) return;
    local->Chance().SetTarget(block, building);
    if (h_.card.open) h_.card.SetCard(h_.card.card);
  }
  void SelectOverviewBlock(int32_t block) override { h_.overview.SelectBlock(block); }

 private:
  HudPanelObjects& h_;
};
// Every method the game needs has its own body here (checked when built).
RC_OVERRIDES(HudPickPanels, PickPanels, PlotPickingOff);
RC_OVERRIDES(HudPickPanels, PickPanels, PlotReleased);
RC_OVERRIDES(HudPickPanels, PickPanels, PlotLimits);
RC_OVERRIDES(HudPickPanels, PickPanels, ShowInfoPage);
RC_OVERRIDES(HudPickPanels, PickPanels, ReapplyInfoPage);
RC_OVERRIDES(HudPickPanels, PickPanels, SetCardTarget);
RC_OVERRIDES(HudPickPanels, PickPanels, SelectOverviewBlock);

}  // namespace

void InstallHudPanels() {
  InstallHudPanels(HudPanels(), GamePanels(), AuctionPanels());
  static HudPickPanels pick(HudPanels());
  SetPickPanels(&pick);
}

void InstallHudPanels(HudPanelObjects& h, CGamePanelManager& game, CAuctionPanelManager& auction) {
  game.InstallHudPanel(kHudNavigator, &h.navigator);
  game.InstallHudPanel(kHudConsole, &h.console);
  game.InstallHudPanel(kHudEventTicker, &h.ticker);
  game.InstallHudPanel(kHudDay, &h.day);
  game.InstallHudPanel(kHudTime, &h.time);
  game.InstallHudPanel(kHudViewButton, &h.viewButtons);
  game.InstallHudPanel(kHudPrompt, &h.prompt);
  game.InstallHudPanel(kHudAuctionTimer, &h.auctionCountdown);
  game.InstallHudPanel(kHudBusiness, &h.business);
  game.InstallHudPanel(kHudRent, &h.rent);
  game.InstallHudPanel(kHudVoting, &h.voting);
  game.InstallHudPanel(kHudBlockMarkers, &h.blockMarkers);
  game.InstallHudPanel(kHudSelectionInfo, &h.selection);
  game.InstallHudPanel(kHudCityOverview, &h.overview);
  h.overview.markers = &h.blockMarkers;
  h.ticker.keepBelow = &h.auctionCountdown;
  h.ticker.keepClearOf = {&h.prompt, &h.selection, &h.voting};
  game.InstallHudPanel(kHudCard, &h.card);
  game.InstallHudPanel(kHudStatistics, &h.stats);
  game.InstallHudPanel(kHudChat, &h.chat);
  h.stats.chat = &h.chat;
  auction.InstallPanel(kAuctionSetTopSale, &h.auctionTop);
  auction.InstallPanel(kAuctionSetSmallTimer, &h.auctionTimer);
  auction.InstallPanel(kAuctionSetBid, &h.auctionBid);
  auction.InstallPanel(kAuctionSetMap, &h.auctionMap);
  auction.InstallPanel(kAuctionSetLotLayout, &h.auctionLayout);
  h.auctionBid.timer = &h.auctionTimer;
  game.InstallHudPanel(kHudConstruction, &h.construction);
  auction.InstallPanel(kAuctionSetTime, &h.auctionTime);
  auction.InstallPanel(kAuctionSetPrompt, &h.auctionPrompt);
  for (CTimePanel* t : {&h.time, &h.auctionTime}) {
    t->gamePrompt = &h.prompt;
    t->auctionPrompt = &h.auctionPrompt;
  }
}

void CreateHudPanelSets() {
  GamePanels().CreatePanels();
  AuctionPanels().CreatePanels();
}

void ReleaseHudPanelSets() {
  GamePanels().ReleasePanels();
  AuctionPanels().ReleasePanels();
}

void ResetHudPanels() {
  // A new game starts with no tutorial's locks and no chat line begun; the
  // statistics open again for the level's goal.
  HudPanels().chat.Close();
  HudPanels().stats.Close();
  EnableAllHudControls();
  EnableAllControls(AuctionPanels());
  GamePanels().ResetPanels();
  AuctionPanels().ResetPanels();
  SharedCountingCash() = CountingCash{};
  GamePanels().RefreshAll();
}

// ---- Which set shows ------------------------------------------------------------------

void ShowPanelSets(bool, bool inGame, bool auction) {
  GamePanels().shown = inGame;
  AuctionPanels().shown = auction;
}

void FollowScreenMode(int32_t mode) {
  ShowPanelSets(mode == kScreenMenu, mode != kScreenAuction && mode != kScreenMenu, mode == kScreenAuction);
}

namespace {

class HudModePanels : public ScreenModePanels {
 public:
  bool IsOpen(ModePanel p) override {
    CPanel* panel = Find(p);
    return panel && panel->open;
  }
  void Open(ModePanel p) override {
    if (CPanel* panel = Find(p)) panel->Open();
  }
  void Close(ModePanel p) override {
    if (CPanel* panel = Find(p)) panel->Close();
  }
  void SetManagers(bool frontEnd, bool inGame, bool auction) override {
    ShowPanelSets(frontEnd, inGame, auction);
  }

 private:
  static CPanel* Find(ModePanel p) {
    CGamePanelManager& g = GamePanels();
    switch (p) {
      case ModePanel::Navigator: return &HudPanels().navigator;
      case ModePanel::NavigatorButton: return &HudPanels().viewButtons;
      case ModePanel::Construction: return g.Panel(kHudConstruction);
      case ModePanel::Rent: return g.Panel(kHudRent);
      case ModePanel::Business: return g.Panel(kHudBusiness);
      case ModePanel::SelectionInfo: return g.Panel(kHudSelectionInfo);
      case ModePanel::BlockMarkers: return g.Panel(kHudBlockMarkers);
      case ModePanel::CityOverview: return g.Panel(kHudCityOverview);
    }
    return nullptr;
  }
};
// Every method the game needs has its own body here (checked when built).
RC_OVERRIDES(HudModePanels, ScreenModePanels, IsOpen);
RC_OVERRIDES(HudModePanels, ScreenModePanels, Open);
RC_OVERRIDES(HudModePanels, ScreenModePanels, Close);
RC_OVERRIDES(HudModePanels, ScreenModePanels, SetManagers);

}  // namespace

ScreenModePanels& HudScreenModePanels() {
  static HudModePanels panels;
  return panels;
}

CPromptPanel& CurrentPrompt() {
  return Session().gameState == kGameStateAuction ? HudPanels().auctionPrompt : HudPanels().prompt;
}

void ShowBlockPage(int32_t block) {
  InfoSelection& s = CurrentInfoSelection();
  s = InfoSelection{};
  s.block = block;
  HudPanels().selection.ShowPage(kInfoBlockPage);
  HudPanels().selection.Open();
}

void OpenConstructionOnBlock(int32_t block) {
  if (CurrentInfoSelection().block != block) {
    CurrentInfoSelection() = InfoSelection{};
    CurrentInfoSelection().block = block;
  }
  HudPanels().construction.Open();
}

void OpenBusinessPanelForSelection() {
  if (SelectedBusiness(kBusinessShop)) HudPanels().business.Open();
  else HudPanels().rent.Open();
}

void FollowAuction(const AuctionEvent& e) {
  HudPanelObjects& h = HudPanels();
  if (!h.auctionBid.built) return;
  CPanel* const room[] = {&h.auctionBid, &h.auctionLayout, &h.auctionMap, &h.auctionTop, &h.auctionTime};
  // The block page shows the auction's pending message and holds its buttons.
  if ((e.kind == kAuctionAnnounced || e.kind == kAuctionRoomOpened || e.kind == kAuctionEnded) && h.selection.built)
    h.selection.NotifyBlockAuction(e.block);
  switch (e.kind) {
    case kAuctionAnnounced:
      h.auctionCountdown.SetAuction(e.block, e.player, e.value);
      h.auctionCountdown.SetTimer(e.value2);
      h.auctionCountdown.Close();
      h.auctionCountdown.Open();
      break;
    case kAuctionRoomOpened:
      h.auctionCountdown.Close();
      for (CPanel* p : room) p->Open();
      h.auctionBid.RefreshBidders();
      break;
    case kAuctionTurn:
    case kAuctionBid:
    case kAuctionPass:
    case kAuctionPullOut:
    case kAuctionStage:
      h.auctionBid.RefreshBidders();
      break;
    case kAuctionRoomClosed:
    case kAuctionEnded:
      h.auctionCountdown.Close();
      for (CPanel* p : {static_cast<CPanel*>(&h.auctionBid), static_cast<CPanel*>(&h.auctionLayout),
                        static_cast<CPanel*>(&h.auctionMap), static_cast<CPanel*>(&h.auctionTimer)})
        p->Close();
      break;
  }
}

void ToggleConsole() {
  CConsolePanel& console = HudPanels().console;
  if (!console.built) return;
  if (console.open) {
    console.Close();
  } else {
    console.Open();
    GamePanels().MoveToFront(&console);
  }
}

void OpenChatToEverybody() {
  CChatPanel& chat = HudPanels().chat;
  if (!chat.built || chat.open || !Session().networkSession) return;
  chat.Open();
  chat.SetAllRecipients();
  GamePanels().MoveToFront(&chat);
}
