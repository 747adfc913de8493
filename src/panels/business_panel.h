#pragma once
// The business panel: one shop's table of up to six commodities (cost,
// selling price, sales yesterday and today, stock wanted and held) with
// arrows that change the owner's prices and wanted stock, and a list of the
// owner's other shops. Changes wait in the shop's pending figures until the
// apply button or closing the panel sends them as a price message; the
// shop's real prices change only when that message is delivered, on every
// machine at the same tick. Another owner's shop can be viewed, not changed.
#include <array>
#include <cstdint>

#include "ui/panel.h"
#include "ui/text_rect.h"

class CBusiness;
class CDropDown;
class CIconButton;

inline constexpr int32_t kBusinessRows = 6;
inline constexpr int32_t kBusinessColumns = 7;
// The commodity icons: interface image of commodity c.
inline constexpr int32_t kCommodityIconImage = 311;
// The lowest price or rent a panel sets.
inline constexpr float kLowestPrice = 0.1f;

// The price after one step of `delta` (+-0.1), never below 0.1.
float SteppedPrice(float price, float delta);
// The shop or residence of the selected building (null when there is none
// or it is of the other kind).
CBusiness* SelectedBusiness(int32_t kind);
// Whether the local player owns the business.
bool LocalPlayerOwns(const CBusiness& business);
// The drop-down list of the owner's businesses of the same kind (the last
// record first), the selected one selected. Returns its item's index or -1.
int32_t FillOwnerBusinessList(CDropDown& list, const CBusiness& selected, const char* ownerFormat,
                              const char* cityFormat);
// Chosen in a panel's list: the business's building becomes the selection,
// its block the hovered object, and the selection panel shows its page.
void SelectBusinessBuilding(const CBusiness& business);
// The shown rows of a shop: row r sells commodity rows[r] (-1: not shown).
std::array<int32_t, kBusinessRows> ShownCommodityRows(const CBusiness& shop);
// Its stock capacity: footprint units x the type's capacity factor.
int32_t ShopStockCapacity(const CBusiness& shop);

class CBusinessPanel : public CPanel {
 public:
  void Build() override;
  void Update() override;
  void DrawSelf() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  void OnOpen() override;
  void OnClose() override;

  // Button ids.
  static constexpr int32_t kOk = 0, kApply = 1, kPrevious = 8, kNext = 9;
  static constexpr int32_t kPriceArrows = 10, kStockArrows = 22, kRowButtons = 34;

  void SetUpRows(bool reset);
  void RefreshTable();
  void FillList();
  void EnableRowArrows(int32_t row);
  CIconButton* Arrow(int32_t id) const { return arrows[size_t(id - kPriceArrows)]; }

  CTextRect cells[kBusinessColumns][kBusinessRows];
  CTextRect titles[kBusinessColumns];
  CTextRect totalLabel, totals[4], dropLabel, hours;
  std::array<CIconButton*, 24> arrows{};
  std::array<CIconButton*, kBusinessRows> rowButtons{};
  CIconButton* ok = nullptr;
  CIconButton* apply = nullptr;
  CIconButton* previous = nullptr;
  CIconButton* next = nullptr;
  CDropDown* list = nullptr;
  int32_t selectedRow = 0;
  const void* lastSeen = nullptr;
  bool filling = false;

 private:
  CBusiness* CheckSelection();
  void ChooseListItem(int32_t index);
};
