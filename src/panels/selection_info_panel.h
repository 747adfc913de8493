#pragma once
// The selection information panel: the HUD panel that describes what the
// player has selected. One frame (title, six view buttons, five tabs, status
// strip, scroll bar, open/close button) and the page of the selection: the
// default page (0), the block page (1), the business page (2) and the person
// page (5). Page numbers 3 and 4 do not exist and are ignored. The frame
// routes every event to the current page; pages post requests through the
// player's Post and Request calls and change no record themselves.
#include <array>
#include <cstdint>

#include "ui/panel.h"
#include "ui/text_rect.h"
#include "ui/ui_rect.h"

class CIconButton;
class CRichTextRect2;
class CRichTextRect3;
class CScrollBar;
class CSelectionInfoPanel;
class CSpinArrow;
class CBlock;

// What the player has selected, as the panel reads it: a block, a building
// on it (its business selected or not) or a person. The picking code sets it.
struct InfoSelection {
  int32_t block = -1;
  int32_t building = -1;  // building id on the block, -1 none
  bool business = false;
  int32_t person = -1;
  bool Any() const { return block >= 0 || person >= 0; }
};
InfoSelection& CurrentInfoSelection();

enum InfoPageNumber : int32_t { kInfoDefaultPage = 0, kInfoBlockPage = 1, kInfoBusinessPage = 2, kInfoPersonPage = 5 };

// What the frame asks of every page; a page without a use for one does nothing.
class CInfoPage {
 public:
  virtual ~CInfoPage() = default;
  virtual void Init(CSelectionInfoPanel* owner, int32_t& nextId) { panel = owner, (void)nextId; }
  virtual void Enter() {}
  virtual void Leave() {}
  virtual void Refresh() {}
  virtual void Reapply() {}
  virtual void Draw() {}
  virtual void Update() {}
  virtual void SelectView(int32_t) {}
  virtual void SelectTab(int32_t) {}
  virtual void Reset() {}
  virtual void TitleAction() {}
  // A click on one of the page's own buttons; true when it was one.
  virtual bool Clicked(int32_t) { return false; }
  CSelectionInfoPanel* panel = nullptr;
};

class CInfoDefaultPage : public CInfoPage {
 public:
  void Init(CSelectionInfoPanel* owner, int32_t& nextId) override;
  void Enter() override;
  void Leave() override;
  void Refresh() override;
  void Reapply() override;
  void Draw() override;
  void Reset() override;
  void Fill();
  bool suppressed = false;
  CRichTextRect2* list = nullptr;
  CScrollBar* scroll = nullptr;
};

enum BlockView : int32_t { kBlockViewLists = 0, kBlockViewLease = 1, kBlockViewRights = 2 };
enum BlockListMode : int32_t {
  kBlockSummary = 0,
  kBlockGroundRent = 1,
  kBlockProfit = 2,
  kBlockSales = 3,
  kBlockValue = 4,
  kBlockShares = 5,
};

class CInfoBlockPage : public CInfoPage {
 public:
  void Init(CSelectionInfoPanel* owner, int32_t& nextId) override;
  void Enter() override;
  void Leave() override;
  void Refresh() override;
  void Reapply() override { Refresh(); }
  void Draw() override;
  void Update() override;
  void SelectView(int32_t i) override;
  void SelectTab(int32_t i) override;
  void Reset() override;
  void TitleAction() override;
  bool Clicked(int32_t id) override;

  void OnBlockRequestAnswered(int32_t block, bool force);
  void ShowPendingMessage(int32_t block);
  void OnBlockChanged(int32_t block);

  CBlock* Block() const;
  void SpecialBlockTest();
  void LeaveLists();
  void ScrollListsToTop();
  void SetTabVisibility();
  void ShowStatusTitle();
  void FillList();
  void FillSummary();
  void FillGroundRent();
  void FillByOwner(int32_t mode);
  void FillSpecial();
  void FillLeaseView();
  void RunRightsView();
  void LeaseClicked();
  void StepPeriod(int32_t delta);

  int32_t leaseId = -1, rightsId = -1, leftId = -1, rightId = -1;
  bool railroad = false, utility = false;
  int32_t utilityIndex = -1, railroadIndex = -1;
  bool leaseControlsShown = false;
  int32_t view = kBlockViewLists;
  int32_t listMode = kBlockSummary;
  int32_t profitPeriod = 1, salesPeriod = 1;  // 0 the last day, 1 today
  int32_t lastBlockShown = -1;
  CIconButton* leftArrow = nullptr;
  CIconButton* rightArrow = nullptr;
  CTextRect* subHeading = nullptr;
  CRichTextRect2* summary = nullptr;
  CRichTextRect3* rentList = nullptr;
  CScrollBar* rentScroll = nullptr;
  CRichTextRect3* specialList = nullptr;
  CScrollBar* specialScroll = nullptr;  // the owners lie below a short panel
  CRichTextRect3* profitList = nullptr;
  CScrollBar* profitScroll = nullptr;
  CRichTextRect3* salesList = nullptr;
  CScrollBar* salesScroll = nullptr;
  CRichTextRect3* valueList = nullptr;
  CScrollBar* valueScroll = nullptr;
  std::array<CTextRect*, 6> leaseLines{};
  CIconButton* leaseButton = nullptr;
  CSpinArrow* offer = nullptr;
  CTextRect* offerText = nullptr;
  CTextRect* rightsMessage = nullptr;
  CIconButton* rightsButton = nullptr;
  CTextRect* pendingMessage = nullptr;
  bool rowsWritten = false;
};

enum BusinessView : int32_t {
  kBusinessViewInfo = 0,
  kBusinessViewPanel = 1,
  kBusinessViewSell = 2,
  kBusinessViewType = 3,
  kBusinessViewDemolish = 4,
  kBusinessViewBlock = 5,
};

class CBuilding;
class CBusiness;

class CInfoBusinessPage : public CInfoPage {
 public:
  void Init(CSelectionInfoPanel* owner, int32_t& nextId) override;
  void Enter() override;
  void Leave() override;
  void Refresh() override;
  void Reapply() override { Refresh(); }
  void Draw() override;
  void Update() override;
  void SelectView(int32_t i) override;
  void SelectTab(int32_t i) override;
  void Reset() override;
  void TitleAction() override;
  bool Clicked(int32_t id) override;
  // A row of the type list was chosen.
  void TypeRowChosen(int32_t row);

  void OnBuildingRequestAnswered(int32_t building);
  void OnDemolitionStarted(int32_t building);
  void OnBusinessTraded(int32_t building);

  CBuilding* Building() const;
  CBusiness* Business() const;
  bool LocalOwnsBusiness() const;
  bool LocalOwnsBlock() const;
  void ShowTitle();
  void ResetLists();
  void ShowStatusStrip();
  void FillTab();
  void FillInfoList();
  void FillSellView();
  void FillTypeView();
  void FillDemolishView();
  void StepSubPage(int32_t delta);
  void ActionClicked();
  void DemolishClicked();
  void ChangeTypeClicked();
  // The first type of the choice order that may replace the current one
  // and carries `nameText`; -1 none.
  int32_t TypeForRow(int32_t nameText) const;
  // What opening `type` here costs: fit-out, and stock unless it is early.
  float TypeCost(int32_t type) const;
  // The graph's four points (year, profit).
  std::array<float, 4> GraphProfits() const;

  int32_t actionId = -1, demolishId = -1, typeListId = -1, changeTypeId = -1, leftId = -1, rightId = -1;
  CIconButton* leftArrow = nullptr;
  CIconButton* rightArrow = nullptr;
  CTextRect* subHeading = nullptr;
  int32_t subPage = 0;
  int32_t tab = 0;
  bool hasCommodities = false;
  int32_t graphSubPage = 0;
  float income = 0, costs = 0, profit = 0;
  int32_t view = kBusinessViewInfo;
  bool noBusiness = false;
  CTextRect* noBusinessMessage = nullptr;
  CRichTextRect2* infoList = nullptr;
  CRichTextRect3* valueList = nullptr;
  CScrollBar* valueScroll = nullptr;
  CIconButton* actionButton = nullptr;
  CTextRect* typeLabel = nullptr;
  CRichTextRect3* typeList = nullptr;
  CScrollBar* typeScroll = nullptr;
  int32_t chosenRow = -1;
  bool typeLocalOwner = false;
  CTextRect* typeCostCaption = nullptr;
  CTextRect* typeCost = nullptr;
  CIconButton* changeTypeButton = nullptr;
  CTextRect* demolishLabel = nullptr;
  CTextRect* demolishCostCaption = nullptr;
  CTextRect* demolishCost = nullptr;
  CIconButton* demolishButton = nullptr;
  bool demolishLocalOwner = false;
};

class CInfoPersonPage : public CInfoPage {
 public:
  void Init(CSelectionInfoPanel* owner, int32_t& nextId) override;
  void Enter() override;
  void Leave() override;
  void Refresh() override;
  void Reapply() override;
  void Draw() override;
  void SelectView(int32_t i) override;
  void Reset() override { suppressed = false; }
  void Fill();
  bool suppressed = false;
  CRichTextRect2* list = nullptr;
};

// The business page's profit graph over four days to `year`, fitted: its
// value range always holds 0.
struct CChart;
CChart ProfitGraphChart(const std::array<float, 4>& profits, float year);

// The two name texts of a person (the interface names people by index).
void PersonNameTexts(int32_t person, int32_t* first, int32_t* last);

class CSelectionInfoPanel : public CPanel {
 public:
  void Build() override;
  void DrawSelf() override;
  void Update() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  void Reset() override;
  void OnOpen() override;

  void ShowPage(int32_t page);
  void RefreshPage();
  void ReapplyPageMode();
  void NotifyBlockAuction(int32_t block);
  void RebuildCurrentPage();
  void ApplyOpenState();
  void EnsureOpen();
  void SetTitleColours(uint32_t c0, uint32_t c1, uint32_t c2, uint32_t c3);
  void ResetTabButtons();
  void ResetModeButtons();
  // A list inside the main window from `top` down, with a scroll bar and a
  // heading when asked for; hidden. It ends at `bottom` (0: the main
  // window's bottom).
  CRichTextRect3* CreateList3(CScrollBar** scroll, float top, CTextRect** heading, int32_t headingText,
                              float bottom = 0);
  CRichTextRect2* CreateList2(CScrollBar** scroll, float top);
  void DrawTabStrip(int32_t count, int32_t selected);
  // The page object of a page number (null for numbers without a page).
  CInfoPage* PageObject(int32_t page);
  int32_t NextId() { return nextId++; }
  bool LayoutFrameIs(int32_t frame) const;
  // Enters the page again once an opening model has reached its open frame.
  void FollowLayout();
  // Keeps the side bar, the open/close tab and the view buttons on it where
  // the model's current frame draws them, so a folded panel's tab is drawn
  // and clicked at the screen's edge rather than where the open panel had
  // it, and its buttons go down with the bar.
  void FollowFrameWithTab();

  int32_t nextId = 0;
  int32_t page = kInfoDefaultPage;
  CTextRect pageTitle;
  CIconButton* titleButton = nullptr;
  std::array<UIRect, 6> backings{};
  std::array<std::array<uint32_t, 4>, 6> backingColours{};
  CIconButton* openClose = nullptr;
  int32_t openCloseElement = -1, sideBarElement = -1;
  std::array<int32_t, 6> modeElements{};
  std::array<CIconButton*, 11> modeAndTabs{};  // six view buttons, then five tabs
  CIconButton* ModeButton(int32_t i) const { return modeAndTabs[size_t(i)]; }
  CIconButton* TabButton(int32_t i) const { return modeAndTabs[size_t(6 + i)]; }
  CTextRect* statusStrip = nullptr;
  CTextRect* titleLine1 = nullptr;
  CTextRect* titleLine2 = nullptr;
  CIconButton* sliderUp = nullptr;
  CIconButton* sliderDown = nullptr;
  CScrollBar* scrollBar = nullptr;
  float sliderWidth = 0;
  UIRect mainWindow{};
  bool isOpen = true;
  bool layoutPending = false;
  int32_t blockShown = -1;

  CInfoDefaultPage defaultPage;
  CInfoBlockPage blockPage;
  CInfoPersonPage personPage;
  CInfoBusinessPage businessPage;
};

// Tutorial event numbers of the frame's buttons.
inline constexpr int32_t kInfoModeControls = 9;   // TUT_MPP_GREENBUTTON_1..6
inline constexpr int32_t kInfoTabControls = 15;   // TUT_MPP_INFOBUTTON_1..5
