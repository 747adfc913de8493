#include "app/panel_commands.h"

#include <cstdlib>
#include <optional>
#include <string>

#include "city/blocks.h"
#include "city/business.h"
#include "city/local_drafts.h"
#include "engine/core/console.h"
#include "engine/core/run_state.h"
#include "panels/hud_panels.h"
#include "session/player.h"

namespace {

std::optional<std::string>& PendingCommand() {
  static std::optional<std::string> line;
  return line;
}

CBusiness* FirstOwnShop() {
  for (CBusiness& b : g_Businesses)
    if (b.InUse && b.IsShop() && LocalPlayerOwns(b)) return &b;
  return nullptr;
}

CBusiness* FirstOwnHome() {
  for (CBusiness& b : g_Businesses)
    if (b.InUse && b.IsResidence() && LocalPlayerOwns(b)) return &b;
  return nullptr;
}

int ShopPriceCommand(const char* rest) {
  const char* start = rest;
  int32_t row = -1, steps = 0, index = -1;
  if (!ReadConsoleInt(rest, row) || !ReadConsoleInt(rest, steps)) {
    ConsolePrintF(kConsoleError, "Usage: SHOPPRICE row steps [business]");
    return 0;
  }
  const bool given = ReadConsoleInt(rest, index);
  if (!RunState().gameRunning) {
    PendingCommand() = std::string("SHOPPRICE") + (start ? start : "");
    return 0;
  }
  CBusiness* shop = given ? GetBusinessInUse(index) : FirstOwnShop();
  if (shop == nullptr || !shop->IsShop() || !LocalPlayerOwns(*shop)) {
    ConsolePrintF(kConsoleError, "Error. No shop of yours to price");
    return 0;
  }
  if (row < 0 || row >= shop->SlotCount()) {
    ConsolePrintF(kConsoleError, "Error. Shop %d has no row %d", shop->Index, row);
    return 0;
  }
  g_SelectedBuilding = shop->GetBuilding();
  CBusinessPanel& panel = HudPanels().business;
  panel.Open();
  if (!panel.open) return 0;
  const float before = BusinessDraftOf(*shop).Price[row];
  const int32_t arrow = CBusinessPanel::kPriceArrows + 2 * row + (steps > 0 ? 1 : 0);
  for (int32_t i = 0; i < std::abs(steps); ++i) panel.OnEvent(kNotifyClicked, arrow, 0);
  ConsolePrintF(kConsoleReply, "Business %d row %d: price %.2f to %.2f", shop->Index, row, double(before),
                double(BusinessDraftOf(*shop).Price[row]));
  panel.Close();
  return 0;
}

// The rent panel's arrows, as SHOPPRICE presses the business panel's.
int HomeRentCommand(const char* rest) {
  const char* start = rest;
  int32_t steps = 0, index = -1;
  if (!ReadConsoleInt(rest, steps)) {
    ConsolePrintF(kConsoleError, "Usage: HOMERENT steps [business]");
    return 0;
  }
  const bool given = ReadConsoleInt(rest, index);
  if (!RunState().gameRunning) {
    PendingCommand() = std::string("HOMERENT") + (start ? start : "");
    return 0;
  }
  CBusiness* home = given ? GetBusinessInUse(index) : FirstOwnHome();
  if (home == nullptr || !home->IsResidence() || !LocalPlayerOwns(*home)) {
    ConsolePrintF(kConsoleError, "Error. No residence of yours to let");
    return 0;
  }
  g_SelectedBuilding = home->GetBuilding();
  CRentPanel& panel = HudPanels().rent;
  panel.Open();
  if (!panel.open) return 0;
  const float before = BusinessDraftOf(*home).Rent;
  const int32_t arrow = steps > 0 ? CRentPanel::kRaise : CRentPanel::kLower;
  for (int32_t i = 0; i < std::abs(steps); ++i) panel.OnEvent(kNotifyClicked, arrow, 0);
  ConsolePrintF(kConsoleReply, "Business %d rent %.2f to %.2f", home->Index, double(before),
                double(BusinessDraftOf(*home).Rent));
  panel.Close();
  return 0;
}

}  // namespace

void AttachPanelCommands() {
  RegisterConsoleCommand("SHOPPRICE", ShopPriceCommand);
  RegisterConsoleCommand("HOMERENT", HomeRentCommand);
}

void StepPanelCommands() {
  if (!PendingCommand() || !RunState().gameRunning) return;
  const std::string line = *PendingCommand();
  PendingCommand().reset();
  ExecuteConsoleCommand(line.c_str());
}
