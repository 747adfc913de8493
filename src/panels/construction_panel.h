#pragma once
// The construction panel: the local player orders a building on the
// selected block in four steps (type, use, plot, design). In the design
// step a preview building stands on the plot; build posts the construction
// message and the real building comes with it. Every way out but build
// removes the preview, and every way out shows the block page again.
#include <array>
#include <cstdint>

#include "ui/panel.h"
#include "ui/ui_rect.h"

class CBuilding;
class CIconButton;
class CListBox;
class CRichTextRect3;
class CScrollBar;
class CTextRect;

enum ConstructionStep : int32_t { kStepType = 0, kStepUse = 1, kStepPlot = 2, kStepDesign = 3 };
enum BuildType : int32_t { kBuildBusiness = 0, kBuildResidential = 1, kBuildLandscape = 2 };

// The uses in alphabetical order of their keys: the order the use list walks.
const std::array<int32_t, 45>& UsesInKeyOrder();
// The design code of design number `design` of a quality's material list of
// `count` entries (an empty list counts as one entry).
int32_t ConstructionDesignCode(const int32_t* list, int32_t count, int32_t design);

class CConstructionPanel : public CPanel {
 public:
  void Build() override;
  void DrawSelf() override;
  void Update() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  void Reset() override;
  void OnOpen() override;
  void OnClose() override;

  void SetStep(int32_t step);
  // Fills the use list for the building type; false when the player has no
  // choice (one use, taken at once).
  bool FillUseList();
  void ResetPlot();
  void PreparePlacement(bool setScroll);
  void RefreshDesignCount(bool setScroll);
  void RebuildPreview();
  void UpdatePlotSizeText();
  void UpdateCapacityText();
  void HideAll();
  void SelectQuality(int32_t q);
  // Leaves for the block page of the information panel.
  void BackToBlockPage();
  void BuildClicked();
  int32_t DesignCode() const;
  int32_t BlockIndex() const;
  bool InTutorial() const;
  // The plot picking's side of the panel.
  bool PlotPickingOff() const { return !plotPicking || plotFinished; }
  void PlotReleased() { plotFinished = true, plotPicking = false; }
  void PlotLimits(int32_t* smallest, int32_t* largest, int32_t* longest) const;

  int32_t step = kStepType;
  int32_t buildType = kBuildBusiness;
  int32_t use = -1;
  int32_t block = -1;
  int32_t firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0;
  int32_t floors = 1, minFloors = 1, maxFloors = 1;
  int32_t quality = 0;
  std::array<int32_t, 3> designIndex{};
  int32_t designCodeCount = 1;
  int32_t fittingDesigns = 1;
  int32_t designTotal = 1;
  float cost = 0;
  CBuilding* preview = nullptr;
  bool built = false;
  std::array<bool, 3> qualitySelected{};
  bool plotPicking = false;
  bool plotFinished = false;
  uint32_t randomState = 0x2545F491u;  // the design draw, kept out of the seeded streams

  std::array<UIRect, 6> backings{};
  std::array<std::array<uint32_t, 4>, 6> backingColours{};
  UIRect mainWindow{};
  int32_t nextId = 0;
  std::array<CIconButton*, 4> stepIcons{};
  CTextRect* title = nullptr;
  CIconButton* cancelButton = nullptr;
  CIconButton* buildButton = nullptr;
  CTextRect* typeTitle = nullptr;
  CListBox* typeList = nullptr;
  CTextRect* typeValue = nullptr;
  std::array<CIconButton*, 3> backRegions{};
  CTextRect* useTitle = nullptr;
  CRichTextRect3* useList = nullptr;
  CScrollBar* useScroll = nullptr;
  CTextRect* useValue = nullptr;
  CTextRect* commodityTitle = nullptr;
  CListBox* commodityList = nullptr;
  CTextRect* plotTitle = nullptr;
  CTextRect* plotSize = nullptr;
  CTextRect* floorsTitle = nullptr;
  CTextRect* floorsCaption = nullptr;
  CTextRect* floorsValue = nullptr;
  CScrollBar* floorsBar = nullptr;
  CTextRect* qualityCaption = nullptr;
  std::array<CIconButton*, 3> qualityButtons{};
  std::array<CTextRect*, 3> qualityLabels{};
  // Lays the quality buttons out from x, each followed by its label at the
  // label's own width, so a long word is never covered by the next button.
  void PackQualityRow(float x, float buttonWidth, float buttonHeight);
  CTextRect* designCaption = nullptr;
  CTextRect* designValue = nullptr;
  CScrollBar* designBar = nullptr;
  CTextRect* costCaption = nullptr;
  CTextRect* costValue = nullptr;
  CTextRect* capacityLine = nullptr;
  std::array<CIconButton*, 3> backButtons{};
  bool useListTakesInput = false;
};

// The panel's HUD control numbers (the tutorials' TUT_BUILD_ names).
inline constexpr int32_t kBuildSelectTypeControl = 86;
inline constexpr int32_t kBuildPanelControl = 104;
