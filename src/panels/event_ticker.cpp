#include "panels/event_ticker.h"

#include <algorithm>

#include "city/blocks.h"
#include "city/business_types.h"
#include "panels/city_names.h"
#include "panels/panel_drawing.h"
#include "panels/panel_links.h"
#include "panels/player_tokens.h"
#include "session/player.h"
#include "ui/draw_2d.h"
#include "visuals/overlay/frame_draw.h"

namespace {

// Between the navigator and the time panel (which starts at 468).
constexpr float kLeft = 191, kRight = 460, kLineHeight = 12;
constexpr float kSwatchDepth = 1.5f;

std::string PlayerName(int32_t number) {
  const CPlayer* p = PlayerTable().ByNumber(number);
  return p ? std::string(p->name) : std::string();
}

bool PlanView() { return GetScreenMode() == kScreenPlan; }

}  // namespace

CEventTickerPanel::CEventTickerPanel() {
  for (TickerLine& line : slots) line.record = StatusRecord{};
  // The ticker's lines are read over every other panel of the game view,
  // the auction countdown that raises itself included.
  staysInFront = true;
}

UIRect CEventTickerPanel::LineRect(int32_t i) const {
  return UIRect{kLeft, 5 + kLineHeight * float(i), kRight, 16 + kLineHeight * float(i), 0.5f};
}

void CEventTickerPanel::Build() {
  entity = CLayoutEntity{};
  bounds = UIRect{kLeft, 10, kRight, 11, 0.5f};
  for (int32_t i = 0; i < kTickerSlots; ++i) {
    TickerLine& line = slots[size_t(i)];
    const UIRect r = LineRect(i);
    line.text.Attach(r.x1, r.y1, r.x2, r.y2, this, this, i);
    line.text.SetFont(3);
    line.text.Clear();
    line.text.SetAllLinesColour(0);
    line.hovered = true;
    line.record = StatusRecord{};
    line.life = -1;
  }
  linesShown = kTickerSlots;
  open = true;
}

void CEventTickerPanel::Render(int32_t s, const StatusRecord& record) {
  TickerLine& line = slots[size_t(s)];
  line.text.Clear();
  const int32_t player = record.player.value;
  const StatusKind kind = record.kind;
  const int32_t blockName = BlockNameText(record.block.value);
  if (kind == kStatusBlockChangedHands && player == 0) {
    line.text.AddTextIdArgs1(1505, blockName);
  } else if (kind == kStatusBlockChangedHands) {
    line.text.AddTextIdArgs2(1506, PlayerName(player).c_str(), blockName);
  } else if (kind == kStatusBusinessOpened) {
    const int32_t type = record.businessType;
    const int32_t typeName = IsBusinessType(type) ? g_BusinessTypes[size_t(type)].NameTextId : kNoNameText;
    line.text.AddTextIdArgs3(1507, PlayerName(player).c_str(), typeName, blockName);
  } else if (kind == kStatusPlayerLeft) {
    line.text.AddTextIdArgs1(kTickerPlayerLeftText, PlayerName(player).c_str());
  }
  line.text.SetAllLinesColour(0);
  line.swatch = WithAlpha(PlayerTokenColour(PlayerTable().ByNumber(player)), 0xFF);
  if (player == 0) line.swatch = 0xFF808080u;
}

void CEventTickerPanel::AddMessage(const StatusRecord& record) {
  const CPlayer* local = PlayerTable().Local();
  if (local != nullptr && record.player == NumberOf(PlayerIndex{local->index})) return;
  if (count >= kTickerMaxMessages) return;
  if (record.kind != kStatusBlockChangedHands && record.kind != kStatusBusinessOpened && record.kind != kStatusPlayerLeft)
    return;
  TickerLine& line = slots[size_t(count)];
  line.record = record;
  line.life = kTickerLineLife;
  Render(count, record);
  ++count;
}

void CEventTickerPanel::Remove(int32_t a) {
  for (int32_t s = a; s < kTickerSlots - 1; ++s) {
    TickerLine& line = slots[size_t(s)];
    const TickerLine& below = slots[size_t(s) + 1];
    line.text.Clear();
    line.life = below.life;
    Render(s, below.record);
    line.record = below.record;
  }
  if (count > 0) --count;
}

void CEventTickerPanel::Tick() {
  if (count <= 0) return;
  for (int32_t s = 0; s < kTickerSlots; ++s) {
    TickerLine& line = slots[size_t(s)];
    // A line held back (below an open countdown) waits to be read.
    if (line.life > 0 && s < linesShown) --line.life;
    if (line.life == 0) Remove(s);
  }
}

bool CEventTickerPanel::ContainsMouse() { return IsMouseOverRect(bounds, &entity); }

void CEventTickerPanel::FollowKeepBelow() {
  entity.y = 0;
  linesShown = kTickerSlots;
  if (keepBelow == nullptr || !keepBelow->open || keepBelow->LayoutEntity() == nullptr) return;
  const float bottom = MovedRect(keepBelow->bounds, keepBelow->LayoutEntity()).y2;
  entity.y = std::max(0.0f, bottom + 2 - LineRect(0).y1);
  // The strip a line covers (its swatch starts a little above its text).
  const auto lineStrip = [this](int32_t i) {
    UIRect r = MovedRect(LineRect(i), &entity);
    r.y1 = std::min(r.y1, r.y2 - kLineHeight);
    return r;
  };
  const auto clear = [&](int32_t i) {
    const UIRect line = lineStrip(i);
    for (const CPanel* other : keepClearOf) {
      if (other == nullptr || !other->open) continue;
      const UIRect r = MovedRect(other->bounds, other->LayoutEntity());
      if (line.x1 < r.x2 && r.x1 < line.x2 && line.y1 < r.y2 && r.y1 < line.y2) return false;
    }
    return true;
  };
  linesShown = 0;
  while (linesShown < kTickerSlots && clear(linesShown)) ++linesShown;
}

void CEventTickerPanel::Update() {
  FollowKeepBelow();
  // The panel covers its lines only: with none (or none drawn) the mouse
  // passes to the city below.
  bounds.y1 = 0;
  bounds.y2 = -1;
  if (PlanView()) return;
  for (int32_t i = 0; i < std::min(count, linesShown); ++i) {
    const float b = 17 + kLineHeight * float(i);
    bounds.y1 = 0;
    bounds.y2 = b;
    const TickerLine& line = slots[size_t(i)];
    const bool hot = i == hoveredLine;
    const uint32_t left = hot ? 0xFF000000u : line.swatch;
    const uint32_t right = WithAlpha(left, 0x77);
    const UIRect r{kLeft + entity.x, b - kLineHeight + entity.y, kRight + entity.x, b + entity.y, 0.5f};
    DrawRect2D(r, left, left, right, right, kSwatchDepth);
  }
}

void CEventTickerPanel::DrawSelf() {
  if (PlanView()) return;
  for (int32_t i = 0; i < linesShown; ++i) slots[size_t(i)].text.Draw(&entity);
}

int32_t CEventTickerPanel::OnEvent(int32_t type, int32_t, int32_t) {
  hoveredLine = -1;
  if (type == kMsgFrameTick) {
    for (int32_t i = 0; i < linesShown; ++i) {
      TickerLine& line = slots[size_t(i)];
      line.hovered = IsMouseOverRect(line.text.Rect(), &entity) && line.record.kind != kStatusUnset;
      if (line.hovered) hoveredLine = i;
    }
  } else if (type == kMsgLeftPressed) {
    for (int32_t i = 0; i < std::min(count, linesShown); ++i) {
      if (!IsMouseOverRect(slots[size_t(i)].text.Rect(), &entity)) continue;
      hoveredLine = i;
      GoToBlock(slots[size_t(i)].record.block.value);
      break;
    }
  }
  return 0;
}

void CEventTickerPanel::Reset() {
  for (TickerLine& line : slots) {
    line.text.Clear();
    line.record = StatusRecord{};
    line.hovered = true;
    line.life = -1;
  }
  count = 0;
  hoveredLine = -1;
}

// The ticker never stays closed.
void CEventTickerPanel::OnClose() { Open(); }
