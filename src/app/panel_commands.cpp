#include "app/panel_commands.h"

#include <cctype>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "city/blocks.h"
#include "city/business.h"
#include "city/local_drafts.h"
#include "engine/core/console.h"
#include "engine/core/run_state.h"
#include "panels/hud_panels.h"
#include "session/player.h"

namespace {

// Lines given before a game runs (a parameter file), every one kept, in the
// order given, until the game runs them.
std::vector<std::string>& HeldLines() {
  static std::vector<std::string> lines;
  return lines;
}

// The whole line, as given: `rest` is what follows the command's word.
std::string CommandLine(const char* command, const char* rest) {
  std::string line = std::string(command) + (rest ? rest : "");
  while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
  return line;
}

// A line that cannot act says which line it was (a held one runs long after
// it was read) and why, on one line.
int Refuse(const std::string& line, const char* why) {
  ConsolePrintF(kConsoleError, "Error. %s: %s", line.c_str(), why);
  return 0;
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
  const std::string line = CommandLine("SHOPPRICE", start);
  if (!RunState().gameRunning) {
    HeldLines().push_back(line);
    return 0;
  }
  CBusiness* shop = given ? GetBusinessInUse(index) : FirstOwnShop();
  if (shop == nullptr || !shop->IsShop() || !LocalPlayerOwns(*shop)) return Refuse(line, "no shop of yours to price");
  if (row < 0 || row >= shop->SlotCount()) {
    const std::string why = "shop " + std::to_string(shop->Index) + " has no row " + std::to_string(row);
    return Refuse(line, why.c_str());
  }
  g_SelectedBuilding = shop->GetBuilding();
  CBusinessPanel& panel = HudPanels().business;
  panel.Open();
  if (!panel.open) return Refuse(line, "the business panel cannot open now");
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
  const std::string line = CommandLine("HOMERENT", start);
  if (!RunState().gameRunning) {
    HeldLines().push_back(line);
    return 0;
  }
  CBusiness* home = given ? GetBusinessInUse(index) : FirstOwnHome();
  if (home == nullptr || !home->IsResidence() || !LocalPlayerOwns(*home))
    return Refuse(line, "no residence of yours to let");
  g_SelectedBuilding = home->GetBuilding();
  CRentPanel& panel = HudPanels().rent;
  panel.Open();
  if (!panel.open) return Refuse(line, "the rent panel cannot open now");
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
  HeldLines().clear();  // nothing held from an earlier start of the game
  RegisterConsoleCommand("SHOPPRICE", ShopPriceCommand);
  RegisterConsoleCommand("HOMERENT", HomeRentCommand);
}

void StepPanelCommands() {
  if (HeldLines().empty() || !RunState().gameRunning) return;
  // Taken all at once: a line that finds the game gone again holds itself anew.
  const std::vector<std::string> lines = std::move(HeldLines());
  HeldLines().clear();
  for (const std::string& line : lines) ExecuteConsoleCommand(line.c_str());
}
