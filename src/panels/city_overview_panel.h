#pragma once
// The city overview: the HUD panel of the plan view. Four tabs: the city
// (population, the ranking of the blocks, the overlay alone, the blocks each
// player owns), one player's accounts for today or yesterday, the business
// locator (the player's own businesses, where a use or a commodity is to be
// found) and the details of the block picked on the plan. The tab and its
// sub-mode choose what the block marker overlay draws.
#include <array>
#include <cstdint>

#include "ui/panel.h"

class CBlockMarkerPanel;
class CIconButton;
class CRichTextRect2;
class CRichTextRect3;
class CScrollBar;
class CTextRect;

enum OverviewTab : int32_t { kOverviewCity = 0, kOverviewAccounts = 1, kOverviewLocator = 2, kOverviewBlock = 3 };
enum OverviewCityMode : int32_t {
  kCityPopulation = 0,
  kCityRanking = 1,
  kCityOverlay = 2,
  kCityBlocksOwned = 3,
};
enum OverviewLocatorMode : int32_t { kLocateMine = 0, kLocateUse = 1, kLocateCommodity = 2 };

// Three counts as whole percentages that always add up to 100: each share
// takes up the rounding of the one before. No people: all 0.
std::array<int32_t, 3> GroupShares(int32_t a, int32_t b, int32_t c);

// The overlay mode each tab and sub-mode asks of the block markers.
int32_t OverviewOverlayMode(int32_t tab, int32_t cityMode);

// Tutorial events and control slots of the panel's buttons.
inline constexpr int32_t kOverviewPanelControl = 8;  // TUT_AERIAL_PANEL
inline constexpr int32_t kOverviewTabControls = 20;  // TUT_AERIAL_BUTTON_1..4
inline constexpr int32_t kOverviewModeControls = 24;  // TUT_AERIAL_INFOBUTTON_1..6
inline constexpr int32_t kOverviewMyBusinessControl = 30;
inline constexpr int32_t kOverviewUseLocatorControl = 31;

class CCityOverviewPanel : public CPanel {
 public:
  void Build() override;
  void DrawSelf() override;
  void Update() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  void Reset() override;
  void OnOpen() override;
  void OnClose() override;

  void SetPage(int32_t tab);
  void SetSubMode(int32_t index);
  void PressOnly(int32_t index);
  void SelectBlock(int32_t block);

  // The page's contents, filled from the city and the players as they are.
  void FillPopulation();
  void FillRanking();
  void FillBlocksOwned();
  void FillAccounts();
  void FillMyBusinesses();
  void FillUseLocator();
  void FillCommodityLocator();
  void FillBlockDetails();
  void RefreshPage();
  // The blocks the locator tab marks on the plan: those holding the
  // player's businesses (the hovered one's pulsing), or those holding the
  // located use or a seller of the located commodity.
  void MarkLocatedBlocks();

  CBlockMarkerPanel* markers = nullptr;  // its overlay mode follows the tab

  int32_t tab = kOverviewCity;
  int32_t cityMode = kCityPopulation;
  int32_t player = -1;  // slot of the player whose accounts show, -1 the local one
  int32_t locatorMode = kLocateMine;
  int32_t today = 1;  // 1 today, 0 yesterday
  int32_t useLine = -1, commodityLine = -1;
  int32_t currentBlock = -1;
  bool coloursBuilt = false;

  std::array<CIconButton*, 4> tabs{};
  std::array<CIconButton*, 6> modes{};
  CIconButton* yesterdayButton = nullptr;
  CIconButton* todayButton = nullptr;
  CTextRect* pageTitle = nullptr;
  CTextRect* modeTitle = nullptr;
  CRichTextRect2* mainText = nullptr;
  CScrollBar* mainScroll = nullptr;
  CRichTextRect3* ownedList = nullptr;
  CScrollBar* ownedScroll = nullptr;
  CRichTextRect3* rankingList = nullptr;
  CScrollBar* rankingScroll = nullptr;
  CRichTextRect3* mineList = nullptr;
  CScrollBar* mineScroll = nullptr;
  CRichTextRect3* useList = nullptr;
  CScrollBar* useScroll = nullptr;
  CRichTextRect3* commodityList = nullptr;
  CScrollBar* commodityScroll = nullptr;
  CRichTextRect2* detailText = nullptr;
  CRichTextRect2* detailCount = nullptr;

 private:
  void HideContents();
  void ShowModeButtons(int32_t count);
  void SetOverlay(int32_t mode);
  void ShowAccountsOf(int32_t index);
  void FollowActivePlayers();
  CRichTextRect3* CreateList(CScrollBar** scroll, float top);
  CRichTextRect2* CreateText(CScrollBar** scroll, float top, float bottom);
  int32_t nextId_ = 0;
  std::array<UIRect, 4> backings_{};
  UIRect window_{};
  float listTop_ = 0, accountsTop_ = 0, detailTop_ = 0;
};
