#include "panels/stats_panel.h"

#include <algorithm>
#include <utility>

#include "city/blocks.h"
#include "panels/chat_panel.h"
#include "panels/panel_drawing.h"
#include "panels/player_tokens.h"
#include "session/goals.h"
#include "session/player.h"
#include "session/player_data.h"
#include "session/session_state.h"
#include "session/tutorial.h"
#include "ui/buttons.h"
#include "ui/draw_2d.h"
#include "ui/interface_controls.h"
#include "ui/money_format.h"
#include "ui/ui_services.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/overlay/interface_task.h"

namespace {

constexpr int32_t kTitleTexts[kStatisticCount] = {1530, 1531, 1532, 1533, 1534, 1535, 1536, 1538, 1386};
// The statistics' icons, one image each, then the last change's arrows.
constexpr int32_t kFirstStatisticIcon = 273;
constexpr int32_t kUpArrowImage = 282, kDownArrowImage = 283;
constexpr int32_t kOpenIcon = 71, kFoldedIcon = 72;
constexpr int32_t kOpenCloseControl = 76, kPreviousControl = 77, kNextControl = 78, kFirstPlayerControl = 79;
constexpr int32_t kTutorialOpenClose = 76, kTutorialPrevious = 77, kTutorialNext = 78;
constexpr int32_t kNegativeMoneyColour = 6;
constexpr uint32_t kGrey = 0xFF909090u, kGreyFaded = 0x7F909090u;
constexpr uint32_t kNoPlayerColour = 0x3F3F3Fu;
constexpr float kTextIndent = 13.0f;

struct Rects {
  UIRect zone[kStatsSlots], upper[kStatsSlots], lower[kStatsSlots], right[kStatsSlots], left[kStatsSlots];
  UIRect bar[kStatsSlots], icon[kStatsSlots];
  UIRect modeBacking, statsBacking, modeIcon, modeLabel, openCloseOverlay;
};
Rects g_rects;

bool IsMoneyStatistic(int32_t s) { return s == 0 || s == 3 || s == 4 || s == 5; }

// The goal's statistics: which are left out and which is shown (-1 keep).
struct GoalStatistics {
  bool noVotes, noRating;
  int32_t shown;
};
GoalStatistics ForGoal(int32_t kind) {
  switch (kind) {
    case OBJECTIVE_NONE: return {true, true, -1};
    case OBJECTIVE_FIRST_TO_BE_MAYOR: return {false, true, 6};
    case OBJECTIVE_WEAKEST_LINK: return {true, true, 0};
    case OBJECTIVE_PROFIT: return {true, true, 3};
    case OBJECTIVE_PAPERWEALTH_BY_DATE:
    case OBJECTIVE_PAPERWEALTH_BY_AMOUNT: return {true, true, 4};
    case OBJECTIVE_SALES: return {true, true, 8};
    default: return {false, false, -1};
  }
}

// a(x): the alpha of a bar or ramp corner at x in a zone, fading from the
// zone's left to its right.
uint32_t ZoneAlpha(const UIRect& zone, float x) {
  const float w = zone.x2 - zone.x1;
  if (w <= 0) return 255;
  return uint32_t(int32_t((zone.x2 - x) * 128.0f / w + 127.0f)) & 0xFFu;
}

void DrawRamp(const UIRect& r, const CLayoutEntity* m, const UIRect& zone, uint32_t c, float depth) {
  const uint32_t faded = c + (ZoneAlpha(zone, r.x2) << 24);
  const uint32_t solid = c - 0x01000000u;
  DrawRect2D(MovedRect(r, m), solid, solid, faded, faded, depth);
}

}  // namespace

int32_t StatisticTitleText(int32_t statistic) {
  return statistic >= 0 && statistic < kStatisticCount ? kTitleTexts[statistic] : kTitleTexts[0];
}

float StatisticValue(int32_t statistic, const CPlayer& p) {
  CData& data = PlayerData();
  switch (statistic) {
    case 0: return p.money;
    case 1: return float(data.GetNumBusinessesForPlayer(p.index));
    case 2: return float(data.GetNumBlocksForPlayer(p.index));
    case 3: return data.GetProfitsForPlayer(p.index);
    case 4: return data.GetPaperWealthForPlayer(p.index);
    case 5: return data.GetLastDayProfitsForPlayer(p.index);
    case 6: return float(p.statisticA);
    case 7: return float(p.GetRatingPoints());
    case 8: return float(p.salesCount);
    default: return 0;
  }
}

std::string FormatStatistic(int32_t statistic, float value) {
  const int32_t whole = int32_t(value);
  if (IsMoneyStatistic(statistic)) return FormatMoney(whole);
  // The whole number, then a per cent sign printed as it is.
  return FormatUiText(0, "%d", whole) + "%";
}

// ---- Building ---------------------------------------------------------------------------

void CStatsPanel::Build() {
  for (int32_t n = 0; n < kStatsSlots; ++n) {
    const std::string k = "_SLOT" + std::to_string(n + 1);
    g_rects.zone[n] = ElementRect("P_STATS_ZONE4RUFE" + k);
    g_rects.upper[n] = ElementRect("P_STATS_RAMP_UPPER" + k);
    g_rects.lower[n] = ElementRect("P_STATS_RAMP_LOWER" + k);
    g_rects.right[n] = ElementRect("P_STATS_RAMP_RIGHT" + k);
    g_rects.left[n] = ElementRect("P_STATS_RAMP_LEFT" + k);
    g_rects.bar[n] = ElementRect("P_STATS_BAR_ZONE" + k);
    g_rects.icon[n] = ElementRect("P_STATS_ICON" + k);
  }
  g_rects.modeBacking = ElementRect("P_STATS_MODE_BACKING1");
  g_rects.statsBacking = ElementRect("P_STATS_STATS_BACKING");
  ElementRect("P_STATS_LEFT_VERT");
  leftVertElement = FindElementIndex("P_STATS_LEFT_VERT", LayoutEntity());
  g_rects.modeIcon = ElementRect("P_STATS_COMPARE_MODE_ICON");
  g_rects.modeLabel = ElementRect("P_STATS_COMPARE_MODE_LABEL");
  g_rects.openCloseOverlay = ElementRect("P_STATS_OPENCLOSE_OVERLAY");

  auto button = [this](int32_t id, const UIRect& r) { return CreatePushButton(*this, id, r); };
  for (int32_t n = 0; n < kStatsSlots; ++n) {
    playerButtons[size_t(n)] = button(n, g_rects.icon[n]);
    playerButtons[size_t(n)]->visible = false;
  }
  previous = button(kPrevious, ElementRect("P_STATS_LEFT_MODE_BUTTON"));
  SetButtonImages(*previous, 97, 99, -1, 98, -1);
  next = button(kNext, ElementRect("P_STATS_RIGHT_MODE_BUTTON"));
  SetButtonImages(*next, 101, 103, -1, 102, -1);
  openClose = button(kOpenClose, ElementRect("P_STATS_OPENCLOSE_ICON"));
  SetButtonImages(*openClose, 88, 90, -1, 89, -1);
  openClose->overlayImage = kOpenIcon;
  openClose->overlayRect = g_rects.openCloseOverlay;
  EnterControlSlots();

  const UIRect& l = g_rects.modeLabel;
  title.Attach(l.x1, l.y1, l.x2, l.y2, this, this, 0);
  title.SetFont(3);
  title.SetAlignment(3, 2, 0);
  for (Slot& s : slots) {
    for (CTextRect* t : {&s.name, &s.value}) {
      t->Attach(0, 0, 1, 1, this, this, 0);
      t->SetFont(3);
      t->Clear();
    }
    s.name.SetAlignment(0, 0, 0);
    s.value.SetAlignment(2, 2, 0);
  }
  layer = 1;
}

void CStatsPanel::EnterControlSlots() {
  for (int32_t n = 0; n < kStatsSlots; ++n) SetInterfaceControl(kFirstPlayerControl + n, playerButtons[size_t(n)]);
  SetInterfaceControl(kOpenCloseControl, openClose);
  SetInterfaceControl(kPreviousControl, previous);
  SetInterfaceControl(kNextControl, next);
}

void CStatsPanel::Reset() {
  forcedOpen = false;
  statistic = 0;
  for (Slot& s : slots) {
    s.player = -1;
    s.target = s.shown = s.fraction = 0;
    s.steps = 0;
    s.name.Clear();
    s.value.Clear();
  }
  slotCount = 0;
  for (auto& row : lastValues) std::fill(std::begin(row), std::end(row), 0.0f);
  for (auto& row : lastDirection) std::fill(std::begin(row), std::end(row), uint8_t{0});
  SetExpanded(true);
}

// ---- Statistics --------------------------------------------------------------------------

void CStatsPanel::ApplyGoal() {
  enabledStats.fill(true);
  enabledStats[2] = false;
  const GoalStatistics g = ForGoal(GameGoal().kind);
  if (g.noVotes) enabledStats[6] = false;
  if (g.noRating) enabledStats[7] = false;
  if (g.shown >= 0) statistic = g.shown;
}

void CStatsPanel::OnOpen() {
  if (!built) return;
  ApplyGoal();
  ShowTitle();
  RefreshValues();
  CountUp(true);
  StoreLastValues(false);
}

void CStatsPanel::ShowTitle() {
  title.Clear();
  title.AddTextId(StatisticTitleText(statistic));
}

void CStatsPanel::StepStatistic(int32_t direction) {
  const int32_t step = direction < 0 ? kStatisticCount - 1 : 1;
  for (int32_t tries = 0; tries < kStatisticCount; ++tries) {
    statistic = (statistic + step) % kStatisticCount;
    if (enabledStats[size_t(statistic)]) break;
  }
  ShowTitle();
  RefreshValues();
  CountUp(true);
  StoreLastValues(false);
}

void CStatsPanel::SetValueText(Slot& s) {
  s.value.Clear();
  if (s.player < 0) return;
  s.value.AddText(FormatStatistic(statistic, s.shown));
  if (IsMoneyStatistic(statistic) && s.shown < 0) s.value.SetAllLinesColour(kNegativeMoneyColour);
}

void CStatsPanel::CountUp(bool jump) {
  for (Slot& s : slots) {
    if (jump) {
      s.shown = s.target;
      s.steps = 0;
    } else if (s.steps > 0) {
      s.shown += (s.target - s.shown) / float(s.steps);
      --s.steps;
    } else {
      continue;
    }
    SetValueText(s);
  }
}

void CStatsPanel::RefreshValues() {
  CPlayerTable& table = PlayerTable();
  int32_t n = 0;
  for (int32_t i = kMaxPlayers - 1; i >= 0 && n < kStatsSlots; --i) {
    const CPlayer* p = table.Get(i);
    if (p == nullptr || !p->inUse) continue;
    Slot& s = slots[size_t(n++)];
    const float value = StatisticValue(statistic, *p);
    if (s.player != i) {
      // Another player in this slot: nothing of the last one's figure stays.
      s.player = i;
      s.shown = value;
      s.fraction = 0;
    }
    if (value != s.target) {
      s.target = value;
      s.steps = kCountUpSteps;
    }
  }
  for (int32_t k = n; k < kStatsSlots; ++k) {
    Slot& s = slots[size_t(k)];
    s.player = -1;
    s.target = s.shown = 0;
    s.steps = 0;
    s.name.Clear();
    s.value.Clear();
  }
  slotCount = n;
  CountUp(false);
  for (int32_t k = 0; k < n; ++k) {
    Slot& s = slots[size_t(k)];
    s.name.Clear();
    if (const CPlayer* p = table.Get(s.player)) s.name.AddText(p->name);
  }
  for (int32_t k = 0; k < kStatsSlots; ++k) order[size_t(k)] = k;
  // Largest first; a stable sort keeps equal figures in slot order.
  std::stable_sort(order.begin(), order.begin() + n,
                   [this](int32_t a, int32_t b) { return slots[size_t(a)].target > slots[size_t(b)].target; });
  PlaceSlotTexts();
  ShowPlayerButtons();
}

void CStatsPanel::PlaceSlotTexts() {
  for (int32_t rank = 0; rank < slotCount; ++rank) {
    Slot& s = slots[size_t(order[size_t(rank)])];
    const UIRect& z = g_rects.zone[rank];
    const float bottom = g_rects.bar[rank].y1;
    s.name.SetRect(z.x1 + kTextIndent, z.y1, z.x2, bottom);
    s.value.SetRect(z.x1 + kTextIndent, z.y1, z.x2, bottom);
  }
}

void CStatsPanel::ShowPlayerButtons() {
  const bool network = Session().networkSession;
  for (CIconButton* b : playerButtons) b->visible = false;
  for (int32_t rank = 0; rank < slotCount; ++rank) {
    const CPlayer* p = PlayerTable().Get(slots[size_t(order[size_t(rank)])].player);
    if (p == nullptr) continue;
    CIconButton& b = *playerButtons[size_t(rank)];
    const int32_t image = PlayerIconImage(p->character);
    // Only in a network game do the buttons take clicks (for the chat).
    if (network) SetButtonImages(b, image, image + 2, -1, image + 1, -1);
    else SetButtonImages(b, image, image, -1, image, -1);
    b.visible = expanded;
    b.disabled = !network;
  }
}

void CStatsPanel::StoreLastValues(bool withDirection) {
  for (int32_t k = 0; k < slotCount; ++k) {
    const float target = slots[size_t(k)].target;
    float& last = lastValues[statistic][k];
    if (last == target) continue;
    if (withDirection) lastDirection[statistic][k] = target > last ? 1 : 2;
    last = target;
  }
}

// ---- Folding and the plan view ------------------------------------------------------------

void CStatsPanel::SetExpanded(bool on) {
  expanded = on;
  SelectLayoutFrame(on ? kStatsOpenFrame : kStatsFoldedFrame);
  if (openClose == nullptr) return;
  openClose->overlayImage = on ? kOpenIcon : kFoldedIcon;
  // The tab moves with the panel's frame; the rest shows only when open.
  const int32_t frame = (on ? kStatsOpenFrame : kStatsFoldedFrame) - 1;
  const UIRect tab = ElementRectInFrame(FindElementIndex("P_STATS_OPENCLOSE_ICON", LayoutEntity()), frame);
  const UIRect icon = ElementRectInFrame(FindElementIndex("P_STATS_OPENCLOSE_OVERLAY", LayoutEntity()), frame);
  if (tab.x2 > tab.x1) openClose->SetRect(tab.x1, tab.y1, tab.x2, tab.y2);
  if (icon.x2 > icon.x1) openClose->overlayRect = icon;
  previous->visible = next->visible = on;
  ShowPlayerButtons();
}

void CStatsPanel::FollowScreenMode() {
  if (openClose == nullptr) return;
  if (GetScreenMode() == kScreenPlan) {
    if (!expanded) {
      SetExpanded(true);
      forcedOpen = true;
    }
    openClose->visible = false;
  } else {
    if (forcedOpen) {
      forcedOpen = false;
      SetExpanded(false);
    }
    openClose->visible = true;
  }
}

// ---- Events --------------------------------------------------------------------------------

void CStatsPanel::AddressChat(int32_t rank) {
  if (!Session().networkSession || chat == nullptr) return;
  const CPlayer* local = PlayerTable().Local();
  int32_t player = local ? local->index : -1;
  if (rank >= 0 && rank < slotCount) player = slots[size_t(order[size_t(rank)])].player;
  SelectedObject() = nullptr;
  g_SelectedBuilding = nullptr;
  // Opened first: opening clears the recipients, the click then marks one.
  if (!chat->open) chat->Open();
  if (local != nullptr && player == local->index) chat->SetAllRecipients();
  else chat->ToggleRecipient(player);
}

int32_t CStatsPanel::OnEvent(int32_t type, int32_t a, int32_t) {
  if (!built) return 0;
  FollowScreenMode();
  if (type == kMsgFrameTick) {
    const float leader = slotCount > 0 ? slots[size_t(order[0])].shown : 0.0f;
    for (Slot& s : slots) {
      if (leader > 0) s.fraction = (std::max(s.shown, 0.0f) / leader + 7.0f * s.fraction) / 8.0f;
      else s.fraction = 7.0f * s.fraction / 8.0f;
    }
    CountUp(false);
  } else if (type == kMsgRefresh) {
    RefreshValues();
    StoreLastValues(true);
  } else if (type == kNotifyClicked) {
    if (a == kPrevious || a == kNext) {
      StepStatistic(a == kPrevious ? -1 : 1);
      FireTutorialEvent(a == kPrevious ? kTutorialPrevious : kTutorialNext);
    } else if (a == kOpenClose) {
      SetExpanded(!expanded);
      FireTutorialEvent(kTutorialOpenClose);
    } else if (a >= 0 && a < kStatsSlots) {
      AddressChat(a);
    }
  }
  return 0;
}

// ---- Drawing --------------------------------------------------------------------------------

void CStatsPanel::Update() {
  const CLayoutEntity* m = LayoutEntity();
  // The strip follows the frame shown: at the screen's edge when folded.
  const int32_t shown = m ? m->frame : 0;
  const UIRect strip = ElementRectInFrame(leftVertElement, shown);
  DrawRect2D(MovedRect(strip, m), kGrey, kGreyFaded, kGreyFaded, kGrey, 1.5f);
  if (!expanded) return;
  DrawRect2D(MovedRect(g_rects.modeBacking, m), kGrey, kGreyFaded, kGreyFaded, kGrey, 1.5f);
  DrawRect2D(MovedRect(g_rects.statsBacking, m), InterfaceBackingColour, InterfaceBackingColour,
             InterfaceBackingColour, InterfaceBackingColour, 1.5f);
}

void CStatsPanel::DrawSelf() {
  if (!expanded) return;
  const CLayoutEntity* m = LayoutEntity();
  title.Draw(m);
  for (int32_t rank = kStatsSlots - 1; rank >= 0; --rank) {
    const UIRect& zone = g_rects.zone[rank];
    const bool used = rank < slotCount;
    Slot* s = used ? &slots[size_t(order[size_t(rank)])] : nullptr;
    const CPlayer* p = s ? PlayerTable().Get(s->player) : nullptr;
    const uint32_t c = p ? (PlayerTokenColour(p) & 0x00FFFFFFu) : kNoPlayerColour;
    if (s != nullptr) {
      UIRect bar = g_rects.bar[rank];
      bar.x2 = bar.x1 + (bar.x2 - bar.x1) * std::clamp(s->fraction, 0.0f, 1.0f);
      const uint32_t leftEnd = c + (ZoneAlpha(zone, bar.x1) << 24);
      const uint32_t rightEnd = c + (ZoneAlpha(zone, bar.x2) << 24);
      DrawRect2D(MovedRect(bar, m), leftEnd, leftEnd, rightEnd, rightEnd, 0.5f);
    }
    for (const UIRect* r : {&g_rects.upper[rank], &g_rects.lower[rank], &g_rects.right[rank], &g_rects.left[rank]})
      DrawRamp(*r, m, zone, c, 0.5f);
    if (s == nullptr) continue;
    const int32_t slot = order[size_t(rank)];
    const uint8_t direction = lastDirection[statistic][slot];
    if (direction != 0) {
      const UIRect& bar = g_rects.bar[rank];
      const float h = bar.y2 - bar.y1;
      const UIRect arrow{bar.x1 - h - 2, bar.y1, bar.x1 - 2, bar.y2, 0.45f};
      DrawTexturedRect(MovedRect(arrow, m), UIImageTexture(direction == 1 ? kUpArrowImage : kDownArrowImage), 0.45f);
    }
    s->name.Draw(m);
    s->value.Draw(m);
  }
  DrawTexturedRect(MovedRect(g_rects.modeIcon, m), UIImageTexture(kFirstStatisticIcon + statistic), 0.45f);
}
