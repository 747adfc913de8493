// The person page of the selection information panel: who a person is,
// what the person does, home, work, the household's money and wants; with
// the people debug flag, the person's planning figures too.
#include <algorithm>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/commodities.h"
#include "city/households.h"
#include "city/people.h"
#include "city/population_classes.h"
#include "engine/core/debug_flags.h"
#include "panels/selection_info_panel.h"
#include "ui/buttons.h"
#include "ui/money_format.h"
#include "ui/rich_text.h"
#include "visuals/camera/city_picking.h"

namespace {

constexpr int32_t kKindTexts[5] = {1120, 1121, 1122, 1123, 1462};
constexpr int32_t kClassTexts[3] = {1656, 1655, 1657};
// People are named from two short lists of the text bank.
constexpr int32_t kFirstNames = 3440, kFirstNameCount = 24;
constexpr int32_t kLastNames = 3470, kLastNameCount = 30;

CPerson* SelectedPerson() {
  CPerson* p = GetPerson(CurrentInfoSelection().person);
  return p && p->InUse ? p : nullptr;
}

int32_t BusinessNameOf(int32_t building) {
  const CBuilding* b = GetBuilding(building);
  const CBusiness* x = b && b->InUse ? GetBusinessInUse(b->GetBusiness()) : nullptr;
  return x ? x->GetTypeNameId() : -1;
}

int32_t BlockNameOf(int32_t block) {
  const CBlock* b = GetBlock(block);
  return b ? g_BlockDefs[size_t(b->DefIndex)].NameTextId : -1;
}

}  // namespace

void PersonNameTexts(int32_t person, int32_t* first, int32_t* last) {
  const uint32_t n = uint32_t(std::max(person, 0));
  *first = kFirstNames + int32_t((n * 7u + n / 5u) % uint32_t(kFirstNameCount));
  *last = kLastNames + int32_t((n * 13u + n / 3u) % uint32_t(kLastNameCount));
}

void CInfoPersonPage::Init(CSelectionInfoPanel* owner, int32_t& nextId) {
  CInfoPage::Init(owner, nextId);
  list = owner->CreateList2(nullptr, owner->mainWindow.y1 + 5);
  suppressed = false;
}

void CInfoPersonPage::Enter() {
  panel->ResetTabButtons();
  panel->ModeButton(0)->visible = true;
  panel->ModeButton(0)->SetPressed(true);
  Fill();
}

void CInfoPersonPage::Leave() {
  panel->pageTitle.Clear();
  panel->SetTitleColours(0xFF777777u, 0xFF777777u, 0x66777777u, 0x66777777u);
  panel->titleLine1->Clear();
  panel->titleLine2->Clear();
  panel->titleLine1->visible = panel->titleLine2->visible = false;
  list->visible = false;
}

void CInfoPersonPage::Refresh() {
  if (CurrentInfoSelection().Any() && !suppressed) Fill();
}

void CInfoPersonPage::Reapply() {
  if (suppressed) return;
  panel->EnsureOpen();
  Leave();
  suppressed = false;
  Fill();
}

void CInfoPersonPage::SelectView(int32_t i) {
  if (i != 0) return;
  panel->EnsureOpen();
  Leave();
  suppressed = false;
  Fill();
}

void CInfoPersonPage::Draw() {}

void CInfoPersonPage::Fill() {
  CTextRect* line1 = panel->titleLine1;
  CTextRect* line2 = panel->titleLine2;
  line1->Clear();
  line2->Clear();
  list->Clear();
  const CPerson* p = SelectedPerson();
  if (!p || suppressed) {
    list->visible = line1->visible = line2->visible = false;
    return;
  }
  list->visible = line1->visible = line2->visible = true;
  panel->SetTitleColours(0xFF777777u, 0xFF777777u, 0x66777777u, 0x66777777u);
  int32_t first = 0, last = 0;
  PersonNameTexts(p->Index, &first, &last);
  line1->SetFont(0), line2->SetFont(0);
  line1->AddTextId(first);
  line2->AddTextId(last);

  list->AddLabelId(1119);
  list->AddValueId(kKindTexts[std::clamp(p->Kind, 0, 4)]);
  list->AddLabelId(1463);
  list->AddValueId(kClassTexts[std::clamp(p->SocialClass, 0, 2)]);
  list->AddHeadingId(1125);
  list->AddLabelId(GetActivityTextId(*p));

  const int32_t home = p->IsHoused() ? BusinessNameOf(p->HomeBuilding) : -1;
  if (p->IsHoused()) {
    list->AddBlankLine();
    list->AddHeadingId(1124);
    if (home >= 0) list->AddLabelId(home);
    if (BlockNameOf(p->HomeBlock) >= 0) {
      list->AddLabelId(BlockNameOf(p->HomeBlock));
      list->SetLineLink(UiObjectRef{kPickBlock, p->HomeBlock}, -1);
    }
  }
  const CBlock* workBlock = p->WorkBlock != kNoBlock ? GetBlock(p->WorkBlock) : nullptr;
  const CBuilding* workBuilding = WorkBuilding(*p);
  const CBusiness* work = workBuilding ? GetBusinessInUse(workBuilding->GetBusiness()) : nullptr;
  if (workBlock && work) {
    list->AddBlankLine();
    list->AddHeadingId(1126);
    list->AddLabelId(work->GetTypeNameId());
    list->AddLabelId(BlockNameOf(workBlock->Index));
    list->SetLineLink(UiObjectRef{kPickBlock, workBlock->Index}, -1);
  }
  list->AddBlankLine();
  if (p->IsHoused()) {
    list->AddLabelId(1187);
    list->AddValueF("%s", FormatMoneyDecimal(p->GetHomeRent()).c_str());
  }
  // A person may have no household (a visitor): its figures are not read.
  const CHousehold* household = GetHousehold(p->Household);
  list->AddHeadingId(1185);
  list->AddLabelId(1188);
  if (household) list->AddValueF("%s", FormatMoneyDecimal(household->Money).c_str());
  else list->AddValueF("-");
  list->AddBlankLine();
  list->AddHeadingId(1180);
  const bool debug = g_DebugFlags.PEOPLEDEBUG != 0;
  const PreferenceRow& wants = g_Preferences[size_t(p->PreferenceRow % kPreferenceRowCount)];
  for (int32_t i = 0; household && i < std::min(wants.Count, kPreferenceEntries); ++i) {
    const int32_t c = wants.Commodity[size_t(i)];
    if (c < 0 || c >= kCommodityCount || household->Want[size_t(c)] == 0.0f) continue;
    list->AddLabelId(g_Commodities[size_t(c)].NameTextId);
    if (debug) list->AddValueF("%s", FormatMoneyDecimal(household->Want[size_t(c)]).c_str());
  }
  if (!debug) return;
  for (int32_t i = 0; i < 3; ++i) list->AddBlankLine();
  list->AddLabelF("Debug Info");
  list->AddLabelF("Timetable number: %i", int32_t(p->DayTimetable));
  list->AddLabelF("Pref List: %i", int32_t(p->PreferenceRow));
  const int32_t itchy = (p->HouseHuntCountdown & 8) ? (p->HouseHuntCountdown & 15) - 16 : (p->HouseHuntCountdown & 15);
  list->AddLabelF("Housing Itchy feet: %i", itchy);
  list->AddLabelF("Price threshold: %f", double(p->PriceTolerance));
  list->AddBlankLine();
  list->AddHeadingF("Class weightings");
  const SocialClassRow& weights = SocialClass(p->SocialClass);
  const char* names[4] = {"Value Weighting", "Prestige Weighting", "Quality Weighting", "Distance Weighting"};
  const float values[4] = {weights.PriceWeight, weights.PrestigeWeight, weights.QualityWeight, weights.DistanceWeight};
  for (int32_t i = 0; i < 4; ++i) {
    list->AddLabelF("%s", names[i]);
    list->AddValueF("%f", double(values[i]));
  }
  list->AddHeadingId(1185);
  list->AddLabelId(1189);
  if (household) list->AddValueF("%s", FormatMoneyDecimal(household->TotalWant).c_str());
  list->AddBlankLine();
  list->AddHeadingId(1182);
  list->AddLabelId(1183);
  list->AddValueId(GetActivityTextId(*p));
  list->AddLabelId(1125);
  list->AddValueId(GetActivityTextId(*p));
  list->AddBlankLine();
  list->AddHeadingF("Blocks scores");
  for (int32_t b = 0; b < kBlockCount; ++b) {
    list->AddLabelId(g_BlockDefs[size_t(g_Blocks[size_t(b)].DefIndex)].NameTextId);
    list->AddValueF("%i %i", int32_t(p->ScoreShoppingBlock(b)), int32_t(p->GetBlockDistanceScore(b)));
  }
}
