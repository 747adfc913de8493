#pragma once
// The rent panel: the residential counterpart of the business panel. One
// row, the accommodation: the rent per resident, the tenants (daytime or
// resident count), the rent taken (today or the last closed day) and the
// potential rent. The owner steps the rent by 0.1; like the business panel
// the change waits in the pending rent until apply or closing sends it.
#include <cstdint>

#include "ui/panel.h"
#include "ui/text_rect.h"

class CBusiness;
class CDropDown;
class CIconButton;

class CRentPanel : public CPanel {
 public:
  void Build() override;
  void Update() override;
  void DrawSelf() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  void OnOpen() override;
  void OnClose() override;

  static constexpr int32_t kPrevious = 0, kNext = 1, kOk = 2, kApply = 3;
  static constexpr int32_t kTenantsLeft = 4, kTenantsRight = 5, kTakenLeft = 6, kTakenRight = 7;
  static constexpr int32_t kLower = 8, kRaise = 9;

  void SetUpControls();
  void FillList();
  void RefreshValues();

  CTextRect dropLabel, hours, titles[5], rowText, rent, tenants, taken, potential, tenantsHeader, takenHeader;
  CIconButton* buttons[10] = {};
  CDropDown* list = nullptr;
  bool tenantsMode = false, takenMode = false;
  const void* lastSeen = nullptr;
  bool filling = false;

 private:
  CBusiness* CheckSelection();
};
