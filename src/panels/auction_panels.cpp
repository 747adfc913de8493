#include "panels/auction_panels.h"

#include <algorithm>
#include <optional>
#include <cmath>
#include <span>
#include <string_view>
#include <vector>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/city_entities.h"
#include "engine/core/play_warning.h"
#include "engine/core/run_state.h"
#include "engine/scene/entity.h"
#include "panels/city_names.h"
#include "panels/panel_drawing.h"
#include "panels/panel_links.h"
#include "panels/player_tokens.h"
#include "session/auction.h"
#include "session/player.h"
#include "session/scenarios.h"
#include "session/session_state.h"
#include "session/tutorial.h"
#include "sound/effect_sounds.h"
#include "city/city_demand.h"
#include "engine/core/system_settings.h"
#include "engine/input/input_device.h"
#include "platform/input.h"
#include "ui/buttons.h"
#include "ui/draw_2d.h"
#include "ui/glyph_batcher.h"
#include "ui/hover_info.h"
#include "ui/interface_controls.h"
#include "ui/money_format.h"
#include "ui/panel_manager.h"
#include "ui/ui_services.h"
#include "visuals/scene/auction_room.h"
#include "visuals/camera/city_picking.h"
#include "visuals/overlay/frame_draw.h"

namespace {

constexpr int32_t kPerSecond = 50;
constexpr float kDepth = 0.5f;
constexpr uint32_t kTagColour = 0x7F000000u;
constexpr uint32_t kOutlineColour = 0xFF909090u;
constexpr uint32_t kLotRingAlpha = 0xDFu;
constexpr uint32_t kCityBuildingColour = 0xDF7F7F7Fu;
constexpr int32_t kNegativeCashColour = 6;
// Heights over a figure's foot: its tag just over its head, the leader's
// marker over the tag.
constexpr float kTagRise = 3.6f;
constexpr float kMarkerRise = 5.6f;
// Name and cash share the upper strip, one line above the other with a gap.
constexpr float kTagTextScale = 0.7f;
constexpr float kMarkerSize = 32.0f;
constexpr float kScreenWidth = 640.0f, kScreenHeight = 480.0f;
// A tag's width and its upper strip's height, which is also the side of the
// token's square at its left.
constexpr float kTagWidth = 80.0f, kUpperStripHeight = 26.0f;
// The name and the cash share the upper strip right of the token's square,
// kept a little off it; the status fills the lower strip but a margin.
constexpr float kTagTextWidth = kTagWidth - kUpperStripHeight - 4.0f;
constexpr float kStatusTextWidth = kTagWidth - 4.0f;
constexpr int32_t kSwitchOnImage = 137, kSwitchOffImage = 138;
constexpr int32_t kCountdownOpenImage = 139;
constexpr const char* kTurnTickSample = "auction\\dynam_auctioncounter.wav";
constexpr const char* kBeepSample = "ambi_any_build_hospitalbeep.wav";

CSoundDevice* PlaySample(const char* sample) { return Effects().PlaySample(sample, true); }

void StopSample(CSoundDevice*& voice) {
  if (voice) Effects().StopSample(voice);
  voice = nullptr;
}

// The auction whose room is up, null when none.
const CAuction* RoomAuction() {
  const CAuction* a = CurrentAuction();
  return a && a->active ? a : nullptr;
}

const CPlayer* LocalPlayer() {
  const CPlayer* p = PlayerTable().Local();
  return p && p->inUse ? p : nullptr;
}

bool LocalTurn(const CAuction& a) {
  const CPlayer* local = LocalPlayer();
  return local != nullptr && a.turn == local->index;
}

const CPlayer* PlayerAt(int32_t index) {
  const CPlayer* p = PlayerTable().Get(index);
  return p && p->inUse ? p : nullptr;
}

// A box whose first two corners are opaque and last two half clear.
void DrawShadedBox(const UIRect& r, const CLayoutEntity* m, uint32_t colour) {
  DrawBand(r, m, WithAlpha(colour, 0xFE), WithAlpha(colour, 0x7F), kDepth);
}

void DrawBacking(const UIRect& r, const CLayoutEntity* m) {
  DrawRect2DSolid(MovedRect(r, m), InterfaceBackingColour, kDepth);
}

void DrawImage(const UIRect& r, int32_t image) {
  DrawTexturedRect(r, UIImageTexture(image), kDepth);
}

// A point of a figure (in its model's space) on screen, in layout units,
// through the view the room drew it with.
bool ProjectFigurePoint(const CEntity& figure, float up, float& x, float& y) {
  return ProjectToLayout(figure.view, Vec3{0.0f, up, 0.0f}, x, y);
}

CIconButton* MakeButton(CPanel& panel, int32_t id, const UIRect& r, int32_t firstImage) {
  CIconButton* b = CreatePushButton(panel, id, r);
  if (firstImage >= 0) SetButtonImages(*b, firstImage, firstImage + 2, -1, firstImage + 1, -1);
  return b;
}

}  // namespace

// ---- Shared rules -----------------------------------------------------------------

int32_t AuctionStatusText(const CAuction& a, int32_t i) {
  if (i < 0 || i >= kMaxPlayers) return kStatusEmpty;
  const AuctionBidder& row = a.rows[i];
  if (a.winner == i) return kStatusWinnerText;
  if (row.pulledOut) return kStatusPulledOutText;
  if (row.passed) return kStatusPassedText;
  if (a.turn == i) return kStatusBiddingText;
  if (row.lastBid > 0) return kStatusShowsBid;
  if (a.seller == i) return kStatusSellerText;
  // The holder of the opening price has its tall strip: it shows the price
  // it holds rather than standing empty.
  if (a.leader == i && a.winner < 0) return kStatusShowsBid;
  return kStatusEmpty;
}

UIRect MovedBy(const UIRect& r, TagOffset d) { return UIRect{r.x1 + d.x, r.y1 + d.y, r.x2 + d.x, r.y2 + d.y, r.depth}; }

// The least move from `start` (in steps off one rectangle right, left, up or
// down, at most two steps) after which `box` lies on the 640 by 480 screen
// and off every rectangle of `clear`; none when no such move is found.
std::optional<TagOffset> LeastFreeMove(const UIRect& box, TagOffset start, std::span<const UIRect> clear) {
  auto moved = [&](TagOffset m) { return UIRect{box.x1 + m.x, box.y1 + m.y, box.x2 + m.x, box.y2 + m.y, box.depth}; };
  auto overlaps = [](const UIRect& a, const UIRect& b) {
    return a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2;
  };
  auto onScreen = [](const UIRect& b) { return b.x1 >= 0 && b.y1 >= 0 && b.x2 <= kScreenWidth && b.y2 <= kScreenHeight; };
  auto cost = [](TagOffset m) { return std::abs(m.x) + std::abs(m.y); };
  std::vector<TagOffset> moves{start};
  for (int step = 0; step <= 2 && !moves.empty(); ++step) {
    std::optional<TagOffset> best;
    for (const TagOffset& m : moves) {
      const UIRect b = moved(m);
      if (!onScreen(b) || std::any_of(clear.begin(), clear.end(), [&](const UIRect& r) { return overlaps(b, r); }))
        continue;
      if (!best || cost(m) < cost(*best)) best = m;
    }
    if (best) return best;
    std::vector<TagOffset> next;
    for (const TagOffset& m : moves) {
      const UIRect b = moved(m);
      for (const UIRect& r : clear) {
        if (!overlaps(b, r)) continue;
        for (TagOffset w : {TagOffset{r.x2 - b.x1, 0}, TagOffset{r.x1 - b.x2, 0}, TagOffset{0, r.y1 - b.y2},
                            TagOffset{0, r.y2 - b.y1}})
          next.push_back({m.x + w.x, m.y + w.y});
      }
    }
    moves = std::move(next);
  }
  return std::nullopt;
}

// Moves `box` by the least that takes it onto the 640 by 480 screen and off
// every rectangle of `clear`, stepping right, left, up or down off them;
// returns the move.
TagOffset KeepClear(const UIRect& box, std::span<const UIRect> clear) {
  auto overlaps = [](const UIRect& a, const UIRect& b) {
    return a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2;
  };
  auto onScreen = [](float x1, float x2, float lo, float hi) {
    return x1 < lo ? lo - x1 : (x2 > hi ? hi - x2 : 0.0f);
  };
  TagOffset move{onScreen(box.x1, box.x2, 0, kScreenWidth), onScreen(box.y1, box.y2, 0, kScreenHeight)};
  if (const std::optional<TagOffset> free = LeastFreeMove(box, move, clear)) return *free;
  // Hemmed in everywhere: off each rectangle in turn, the last move kept.
  for (int pass = 0; pass < 2; ++pass)
    for (const UIRect& r : clear) {
      const UIRect b{box.x1 + move.x, box.y1 + move.y, box.x2 + move.x, box.y2 + move.y, box.depth};
      if (!overlaps(b, r)) continue;
      const TagOffset ways[4] = {{r.x2 - b.x1, 0}, {r.x1 - b.x2, 0}, {0, r.y1 - b.y2}, {0, r.y2 - b.y1}};
      const TagOffset* best = nullptr;
      for (const TagOffset& w : ways) {
        const float x1 = b.x1 + w.x, x2 = b.x2 + w.x, y1 = b.y1 + w.y, y2 = b.y2 + w.y;
        if (x1 < 0 || x2 > kScreenWidth || y1 < 0 || y2 > kScreenHeight) continue;
        if (!best || std::abs(w.x) + std::abs(w.y) < std::abs(best->x) + std::abs(best->y)) best = &w;
      }
      if (best) move = {move.x + best->x, move.y + best->y};
    }
  return move;
}

BidderTag BidderTagAt(float x, float y, bool tall) {
  BidderTag t;
  const float half = kTagWidth / 2;
  t.tag = UIRect{x - half, y - 20, x + half, y + 20, kDepth};
  t.upper = UIRect{t.tag.x1, t.tag.y1, t.tag.x2, t.tag.y1 + kUpperStripHeight, kDepth};
  const float lowerTop = t.upper.y2 + 2;
  t.lower = UIRect{t.tag.x1, lowerTop, t.tag.x2, lowerTop + (tall ? 45.0f : 15.0f), kDepth};
  return t;
}

// ---- Turn timer ---------------------------------------------------------------------

void CAuctionTimerPanel::Build() {
  backing = ElementRect("AUCTION_TIMER_BACKING");
  titleRect = ElementRect("AUCTION_TIMER_TITLE_LABEL");
  PanelText(titleText, titleRect, this, 1, 4);
  titleText.AddTextId(kTimerTitleText);
  PanelText(timerText, ElementRect("AUCTION_TIMER_TIMER_AREA"), this, 3, 4);
  countdown = kAuctionTurnTime;
}

void CAuctionTimerPanel::OnOpen() {
  lastVoice = nullptr;
  lastSecond = -1;
}

int32_t CAuctionTimerPanel::OnEvent(int32_t type, int32_t, int32_t) {
  if (type != kMsgFrameTick) return 0;
  const CAuction* a = RoomAuction();
  if (a == nullptr) return 0;
  if (!LocalTurn(*a) || a->winner >= 0) {
    timerText.Clear();
    timerText.AddTextId(a->noSale ? kTimerNoSaleText : kTimerWaitingText);
    return 0;
  }
  countdown = AuctionTurnCountdown();
  if (countdown / kPerSecond != lastSecond) {
    StopSample(lastVoice);
    lastVoice = PlaySample(kTurnTickSample);
  }
  lastSecond = std::max(countdown / kPerSecond, 0);
  timerText.Clear();
  timerText.AddTextIdArgs1(kTimerSecondsText, lastSecond);
  return 0;
}

void CAuctionTimerPanel::Update() {
  const CLayoutEntity* m = LayoutEntity();
  DrawBacking(backing, m);
  DrawBand(titleRect, m, kGreyTop, kGreyBottom, kDepth);
}

void CAuctionTimerPanel::DrawSelf() {
  titleText.Draw(LayoutEntity());
  timerText.Draw(LayoutEntity());
}

// ---- Bid panel ----------------------------------------------------------------------

void CAuctionBidPanel::Build() {
  backing = ElementRect("AUCTION_BID_BACKING");
  amountRect = ElementRect("AUCTION_BID_BID_AMOUNT");
  PanelText(amountText, amountRect, this, 1, 3);
  amountText.AddTextId(kAuctionTitleText);
  secondLabel.Attach(amountRect.x1, amountRect.y1, amountRect.x2, amountRect.y2, this, this, 0);
  secondLabel.SetAlignment(5, 20, 0);
  secondLabel.SetFont(1);
  secondLabel.Clear();
  secondLabel.AddTextId(kQuickAuctionText);
  const char* const places[5] = {"AUCTION_BID50", "AUCTION_BID100", "AUCTION_BID500", "AUCTION_PULLOUT_BUTTON",
                                 "AUCTION_PASS_BUTTON"};
  const int32_t images[5] = {128, 131, 134, 85, 82};
  for (int32_t id = 0; id < 5; ++id) {
    buttons[size_t(id)] = MakeButton(*this, id, ElementRect(places[id]), images[id]);
    if (id < 3) buttons[size_t(id)]->SetLabel(" ");
  }
  buttons[kBidPullOut]->SetLabelId(kPullOutText);
  buttons[kBidPass]->SetLabelId(kPassText);
  const int32_t slots[5] = {kControlBid50, kControlBid100, kControlBid500, kControlPullOut, kControlPass};
  for (int32_t id = 0; id < 5; ++id) SetInterfaceControl(slots[id], buttons[size_t(id)]);
  switchRect = UIRect{amountRect.x2 - 16, amountRect.y1, amountRect.x2, amountRect.y2, kDepth};
  buttons[kBidQuickSwitch] = MakeButton(*this, kBidQuickSwitch, switchRect, -1);
  buttons[kBidQuickSwitch]->tooltipTextId = kQuickAuctionTooltipText;
  for (int32_t i = 0; i < 6; ++i) {
    status[size_t(i)].Attach(0, 0, 80, 40, this, this, 0);
    names[size_t(i)].Attach(0, 0, 80, 23, this, this, 0);
    cash[size_t(i)].Attach(0, 0, 80, 23, this, this, 0);
  }
  quickAuction = false;
  frameCounter = turnStartCount = actedTurn = 0;
  ShowActions(false);
}

void CAuctionBidPanel::Reset() {
  quickAuction = false;
  SetQuickAuction(false);
  turnStartCount = actedTurn = 0;
  for (int32_t id = 0; id < 3; ++id) {
    CIconButton& b = *buttons[size_t(id)];
    b.SetLabel("");
    b.label.Clear();
    b.label.AddTextIdArgs1(kBidButtonText, FormatMoney(kBidRaises[id]));
    b.label.SetAllLinesColour(0);
  }
}

void CAuctionBidPanel::OnOpen() { buttons[kBidQuickSwitch]->visible = !Session().networkSession; }

void CAuctionBidPanel::ShowActions(bool show) {
  for (int32_t id = 0; id < 5; ++id) buttons[size_t(id)]->visible = show;
}

bool CAuctionBidPanel::LocalMayAct() const {
  const CAuction* a = RoomAuction();
  const CPlayer* local = LocalPlayer();
  if (a == nullptr || local == nullptr || a->turn != local->index || a->winner == local->index) return false;
  const AuctionBidder& row = a->rows[local->index];
  return !row.passed && !row.pulledOut && actedTurn != AuctionTurnSerial();
}

// After a move: the timer and the buttons go until the next turn of ours.
void CAuctionBidPanel::Acted() {
  actedTurn = AuctionTurnSerial();
  if (timer) {
    timer->countdown = kAuctionTurnTime;
    timer->Close();
  }
  ShowActions(false);
  turnStartCount = 0;
}

int32_t CAuctionBidPanel::OnEvent(int32_t type, int32_t id, int32_t) {
  if (type == kMsgRefresh) {
    if (RoomAuction()) RefreshBidders();
    return 0;
  }
  if (type == kMsgFrameTick) {
    ++frameCounter;
    const CAuction* a = RoomAuction();
    if (a) {
      amountText.Clear();
      if (LocalMayAct()) amountText.AddTextId(kYourBidText);
    }
    if (LocalMayAct()) {
      ShowActions(true);
      if (timer) timer->Open();
      if (turnStartCount == 0) {
        FireTutorialEvent(kTutorialMyTurn);
        turnStartCount = 1;
      }
    } else {
      if (timer) timer->Close();
      ShowActions(false);
      turnStartCount = 0;
    }
    return 0;
  }
  if (type != kNotifyClicked) return 0;
  if (id == kBidQuickSwitch) {
    quickAuction = !quickAuction;
    SetQuickAuction(quickAuction);
    return 0;
  }
  if (!LocalMayAct()) return 0;
  const CAuction& a = *RoomAuction();
  const int32_t local = LocalPlayer()->index;
  if (id >= kBidPlus50 && id <= kBidPlus500) {
    const int32_t amount = a.price + kBidRaises[id];
    // One the player cannot pay is not posted: the buttons and the timer stay.
    if (LocalPlayer()->CanAfford(float(amount), false) && PostAuctionBid(local, amount)) Acted();
    FireTutorialEvent(kControlBid50 + id);
  } else if (id == kBidPullOut) {
    PostAuctionPullOut(local);
    Acted();
  } else if (id == kBidPass) {
    PostAuctionPass(local);
    Acted();
  }
  return 0;
}

int32_t CAuctionBidPanel::RefreshBidders() {
  const int32_t count = PlayerTable().PlayerCount();
  const CAuction* a = CurrentAuction();
  for (int32_t i = 0; i < std::min(count, 6); ++i) {
    CTextRect& s = status[size_t(i)];
    CTextRect& n = names[size_t(i)];
    CTextRect& c = cash[size_t(i)];
    s.Clear();
    n.Clear();
    n.SetAlignment(2, 2, 1);
    n.SetFont(0);
    c.Clear();
    c.SetAlignment(8, 2, -1);
    c.SetFont(0);
    const CPlayer* p = PlayerTable().Get(i);
    if (p == nullptr) continue;
    n.AddOneLineInWidth(p->name, kTagTextScale, kTagTextWidth);
    const int32_t whole = int32_t(std::trunc(p->money));
    c.AddOneLineInWidth(FormatMoney(whole), kTagTextScale, kTagTextWidth);
    c.SetAllLinesColour(whole < 0 ? kNegativeCashColour : 0);
    if (a == nullptr) continue;
    ShowBidderStatus(s, AuctionStatusText(*a, i), a->rows[i].lastBid > 0 ? a->rows[i].lastBid : a->price);
  }
  return count;
}

void ShowBidderStatus(CTextRect& status, int32_t text, int32_t bid) {
  status.Clear();
  status.SetAlignment(4, 0, 0);
  status.SetFont(text == kStatusShowsBid ? 1 : 0);
  // One line across the strip in every language: a long word ("Ausgestiegen")
  // is drawn smaller rather than over the next tag.
  if (text == kStatusShowsBid) status.AddOneLineInWidth(FormatMoney(bid), 1.0f, kStatusTextWidth);
  else if (text != kStatusEmpty) status.AddOneLineIdInWidth(text, 1.0f, kStatusTextWidth);
}

// The tags follow the figures on screen: each frame from the room's view.
void CAuctionBidPanel::PlaceTags() {
  const CAuction* a = RoomAuction();
  leaderShown = false;
  tagShown.fill(false);
  if (a == nullptr) return;
  // The tags and the marker keep off the room's other panels (the map and
  // the block's layout at the left, the banner, the clock) and this panel's
  // own backing.
  std::vector<UIRect> clear;
  if (manager != nullptr)
    for (CPanel* p : manager->Panels())
      if (p->open && p->LayoutEntity() != nullptr) clear.push_back(MovedRect(p->bounds, p->LayoutEntity()));
  for (int32_t i = 0; i < 6; ++i) {
    const CEntity* figure = AuctionFigure(i);
    if (figure == nullptr || PlayerAt(i) == nullptr) continue;
    float x = 0, y = 0;
    if (i == a->leader && ProjectFigurePoint(*figure, kMarkerRise, x, y)) {
      leaderMarker = UIRect{x - kMarkerSize / 2, y - kMarkerSize / 2, x + kMarkerSize / 2, y + kMarkerSize / 2, kDepth};
      leaderMarker = MovedBy(leaderMarker, KeepClear(leaderMarker, clear));
      leaderShown = true;
    }
    if (!ProjectFigurePoint(*figure, kTagRise, x, y)) continue;
    BidderTag t = BidderTagAt(x, y, i == a->leader && a->winner != i);
    const UIRect box{t.tag.x1, t.tag.y1, t.tag.x2, std::max(t.tag.y2, t.lower.y2), kDepth};
    const TagOffset move = KeepClear(box, clear);
    for (UIRect* r : {&t.tag, &t.upper, &t.lower}) *r = MovedBy(*r, move);
    // A tag moved aside must not land on one already placed.
    clear.push_back(MovedBy(box, move));
    tags[size_t(i)] = t;
    tagShown[size_t(i)] = true;
    const float icon = t.upper.y2 - t.upper.y1;
    names[size_t(i)].SetRect(t.upper.x1 + icon, t.upper.y1, t.upper.x2, t.upper.y2);
    cash[size_t(i)].SetRect(t.upper.x1 + icon, t.upper.y1, t.upper.x2, t.upper.y2);
    status[size_t(i)].SetRect(t.lower.x1, t.lower.y1, t.lower.x2, t.lower.y2);
    // The strips are lower than a line may be: each text shows its one line.
    for (CTextRect* text : {&names[size_t(i)], &cash[size_t(i)], &status[size_t(i)]})
      text->visibleLines = std::max(text->visibleLines, 1);
  }
}

void CAuctionBidPanel::Update() {
  const CLayoutEntity* m = LayoutEntity();
  DrawBacking(backing, m);
  DrawBand(amountRect, m, kGreyTop, kGreyBottom, kDepth);
}

void CAuctionBidPanel::DrawSelf() {
  const CLayoutEntity* m = LayoutEntity();
  amountText.Draw(m);
  secondLabel.Clear();
  if (!Session().networkSession) {
    secondLabel.AddTextId(kQuickAuctionText);
    DrawImage(MovedRect(switchRect, m), quickAuction ? kSwitchOnImage : kSwitchOffImage);
  }
  secondLabel.Draw(m);
  PlaceTags();
  const CAuction* a = RoomAuction();
  for (int32_t i = 0; i < 6; ++i) {
    const CPlayer* p = PlayerAt(i);
    if (!tagShown[size_t(i)] || p == nullptr) continue;
    const BidderTag& t = tags[size_t(i)];
    const TokenInfo& token = TokenInfoRow(p->character);
    DrawRect2DSolid(t.tag, kTagColour, kDepth);
    const uint32_t top = token.colour - 0x01000000u, bottom = token.colour + 0x7F000000u;
    for (const UIRect& strip : {t.upper, t.lower}) {
      DrawRect2D(strip, top, top, bottom, bottom, kDepth);
      DrawRectOutline(strip, kOutlineColour, kDepth);
    }
    const float side = t.upper.y2 - t.upper.y1;
    DrawImage(UIRect{t.upper.x1, t.upper.y1, t.upper.x1 + side, t.upper.y1 + side, kDepth}, token.portraitImage);
    status[size_t(i)].Draw(nullptr);
    names[size_t(i)].Draw(nullptr);
    cash[size_t(i)].Draw(nullptr);
  }
  if (a && leaderShown)
    if (const CPlayer* leader = PlayerAt(a->leader)) DrawImage(leaderMarker, TokenInfoRow(leader->character).portraitImage);
}

// ---- Sale banner ----------------------------------------------------------------------

void CAuctionTopPanel::Build() {
  backing = ElementRect("AUCTION_TOP_BACKING");
  saleArea = ElementRect("AUCTION_TOP_SALE_AREA");
  bidShading = ElementRect("AUCTION_TOP_BID_SHADING");
  bidIcon = ElementRect("AUCTION_TOP_BID_ICON");
  PanelText(titleText, saleArea, this, 1, 4);
  titleText.AddTextId(kTopTitleAtBuildText);
  PanelText(bidText, ElementRect("AUCTION_TOP_BID_INFO_LABEL"), this, 3, 4);
  bidText.AddTextId(kTopBidLineAtBuildText);
}

// Always up while its set shows: a close opens it again.
void CAuctionTopPanel::OnClose() { Open(); }

int32_t CAuctionTopPanel::OnEvent(int32_t type, int32_t, int32_t) {
  const CAuction* a = RoomAuction();
  if (type != kMsgFrameTick || a == nullptr) return 0;
  const CBlock* b = GetBlock(a->block.value);
  titleText.Clear();
  titleText.AddTextIdArgs1(kTopTitleText, b ? BlockNameText(b->Index) : kNoNameText);
  bidText.Clear();
  const CPlayer* leader = PlayerAt(a->leader);
  bidText.AddTextIdArgs2(kTopBidLineText, FormatMoney(a->price), leader ? leader->name : "");
  return 0;
}

void CAuctionTopPanel::Update() {
  const CLayoutEntity* m = LayoutEntity();
  DrawBacking(backing, m);
  const CAuction* a = RoomAuction();
  if (a == nullptr) return;
  if (const CBlock* b = GetBlock(a->block.value)) DrawShadedBox(saleArea, m, b->DistrictColour);
  if (const CPlayer* leader = PlayerAt(a->leader)) DrawShadedBox(bidShading, m, PlayerTokenColour(leader));
}

void CAuctionTopPanel::DrawSelf() {
  const CLayoutEntity* m = LayoutEntity();
  titleText.Draw(m);
  bidText.Draw(m);
  const CAuction* a = RoomAuction();
  if (a == nullptr) return;
  if (const CPlayer* leader = PlayerAt(a->leader))
    DrawImage(MovedRect(bidIcon, m), TokenInfoRow(leader->character).portraitImage);
}

// ---- City map -------------------------------------------------------------------------

void CAuctionMapPanel::Build() {
  backing = ElementRect("AUCTION_MAP_BACKING");
  titleRect = ElementRect("AUCTION_MAP_TITLE");
  PanelText(titleText, titleRect, this, 1, 4);
  titleText.AddTextId(kMapTitleText);
  view.map = ElementRect("AUCTION_MAP_AREA");
}

int32_t CAuctionMapPanel::OnEvent(int32_t, int32_t, int32_t) {
  view.HitTest(LayoutEntity(), false);
  return 0;
}

void CAuctionMapPanel::Update() {
  const CLayoutEntity* m = LayoutEntity();
  DrawBacking(backing, m);
  DrawBand(titleRect, m, kGreyTop, kGreyBottom, kDepth);
}

void CAuctionMapPanel::DrawSelf() {
  const CLayoutEntity* m = LayoutEntity();
  titleText.Draw(m);
  view.DrawBlocks(m);
  if (const CAuction* a = CurrentAuction()) view.DrawBlockFrame(m, a->block.value);
}

// ---- Lot layout -----------------------------------------------------------------------

void CAuctionLayoutPanel::Build() {
  backing = ElementRect("AUCTION_LAYOUT_BACKING");
  titleRect = ElementRect("AUCTION_LAYOUT_TITLE");
  area = ElementRect("AUCTION_LAYOUT_AREA");
  PanelText(titleText, titleRect, this, 1, 4);
  titleText.AddTextId(kLayoutTitleText);
  for (CTextRect& t : debugTexts) PanelText(t, UIRect{0, 0, 80, 40, kDepth}, this, 1, 4);
}

void CAuctionLayoutPanel::LotArea(const UIRect& a, UIRect& outer, UIRect& inner) {
  outer = a;
  outer.x1 += (a.x2 - a.x1) / 16;
  outer.x2 -= (outer.x2 - outer.x1) / 16;
  outer.y1 += (a.y2 - a.y1) / 16;
  outer.y2 -= (outer.y2 - outer.y1) / 16;
  const float w = outer.x2 - outer.x1, h = outer.y2 - outer.y1;
  inner = UIRect{outer.x1 + w / 8, outer.y1 + h / 8, outer.x2 - w / 8, outer.y2 - h / 8, a.depth};
}

UIRect CAuctionLayoutPanel::BuildingRect(const UIRect& inner, int32_t x1, int32_t z1, int32_t x2, int32_t z2) {
  const float w = (inner.x2 - inner.x1) * 0.9f, h = (inner.y2 - inner.y1) * 0.9f;
  const float left = (inner.x1 + inner.x2 - w) / 2, bottom = (inner.y1 + inner.y2 + h) / 2;
  const float lw = w / kLotsPerSide, lh = h / kLotsPerSide;
  return UIRect{left + lw * float(x1), bottom - lh * float(z2 + 1), left + lw * float(x2 + 1) - 1,
                bottom - lh * float(z1) - 1, kDepth};
}

void CAuctionLayoutPanel::Update() {
  const CLayoutEntity* m = LayoutEntity();
  DrawBacking(backing, m);
  DrawBand(titleRect, m, kGreyTop, kGreyBottom, kDepth);
}

void CAuctionLayoutPanel::DrawSelf() {
  const CLayoutEntity* m = LayoutEntity();
  const CAuction* a = CurrentAuction();
  const CBlock* b = a ? GetBlock(a->block.value) : nullptr;
  if (b != nullptr) {
    UIRect outer, inner;
    LotArea(MovedRect(area, m), outer, inner);
    const uint32_t ring = WithAlpha(b->DistrictColour, kLotRingAlpha);
    DrawRect2DSolid(UIRect{outer.x1, outer.y1, outer.x2, inner.y1, kDepth}, ring, kDepth);
    DrawRect2DSolid(UIRect{outer.x1, inner.y1, inner.x1, inner.y2, kDepth}, ring, kDepth);
    DrawRect2DSolid(UIRect{inner.x2, inner.y1, outer.x2, inner.y2, kDepth}, ring, kDepth);
    DrawRect2DSolid(UIRect{outer.x1, inner.y2, outer.x2, outer.y2, kDepth}, ring, kDepth);
    const bool overArea = IsMouseOverRect(area, m);
    if (overArea) HoverInfo().ClearPickedObject();
    const float mx = float(Ui().mouse.x), my = float(Ui().mouse.y);
    int32_t guard = 0;
    for (const CBuilding* building = b->FirstBuilding; building && guard < kBuildingPoolSize;
         building = building->Next, ++guard) {
      if (!building->InUse) continue;
      const UIRect r = BuildingRect(inner, building->X1, building->Z1, building->X2, building->Z2);
      const CBusiness* business = GetBusinessInUse(building->GetBusiness());
      const CPlayer* owner = business ? business->GetOwner() : nullptr;
      DrawRect2DSolid(r, owner ? WithAlpha(PlayerTokenColour(owner), kLotRingAlpha) : kCityBuildingColour, kDepth);
      if (overArea && mx >= r.x1 && mx <= r.x2 && my >= r.y1 && my <= r.y2)
        if (const CEntity* base = BlockBaseEntities().GetEntity(b->Index))
          HoverInfo().SetPickedObject(base, building->Id, false);
    }
  }
  titleText.Draw(m);
  // The computer players' second token over their figures, for debugging.
  if (!g_StartupOptions.debugStuff || !KeyDown(platform::key::kPageUp) || RoomAuction() == nullptr) return;
  for (int32_t i = 0; i < 6; ++i) {
    const CPlayer* p = PlayerAt(i);
    const CEntity* figure = AuctionFigure(i);
    float x = 0, y = 0;
    CTextRect& t = debugTexts[size_t(i)];
    t.Clear();
    if (p == nullptr || p->kind != kPlayerComputer || figure == nullptr) continue;
    if (!ProjectFigurePoint(*figure, kTagRise, x, y)) continue;
    const int32_t second = p->OtherCharacterToken();
    if (second < 0) continue;
    t.SetRect(x - 40 + 8 * float(i), y - 160, x + 40 + 8 * float(i), y - 120);
    t.AddText(TokenName(second));
    t.Draw(nullptr);
  }
}

// ---- Countdown --------------------------------------------------------------------------

void CAuctionCountdownPanel::Build() {
  // The full frame's places; the compact frame gathers them into its corner.
  auto full = [this](const char* name) { return FindElementRect(name, LayoutEntity(), 1); };
  backing = full("AUCTION_TIMER_BACKING");
  titleLabel = full("AUCTION_TIMER_TITLE_LABEL");
  timerArea = full("AUCTION_TIMER_TIMER_AREA");
  openRect = full("AUCTION_TIMER_OPEN_BUTTON");
  miniTimerRect = full("AUCTION_TIMER_MINI_TIMER");
  miniBidderRect = full("AUCTION_TIMER_MINI_BIDDER");
  miniTimerLabelRect = full("AUCTION_TIMER_TIME_LABEL");
  miniBidLabelRect = full("AUCTION_TIMER_BID_LABEL");
  openButton = MakeButton(*this, 0, openRect, kCountdownOpenImage);
  const float half = (openRect.x2 - openRect.x1) / 2;
  PanelText(titleText, UIRect{titleLabel.x1 - half, titleLabel.y1, titleLabel.x2 - half, titleLabel.y2, kDepth}, this,
            3, 4);
  PanelText(miniTimerLabel, miniTimerLabelRect, this, 3, 4);
  miniTimerLabel.AddTextId(kCountdownTimerLabelText);
  PanelText(bidLabel, miniBidLabelRect, this, 0, 4);
  PanelText(miniTimer, miniTimerRect, this, 3, 4);
  SetInterfaceControl(kControlCountdown, this);
  layer = 1;
  compact = false;
  countdown = amount = 0;
  block = player = -1;
}

void CAuctionCountdownPanel::SetAuction(int32_t newBlock, int32_t newPlayer, int32_t newAmount) {
  block = GetBlock(newBlock) ? newBlock : -1;
  player = newPlayer;
  amount = newAmount;
  if (block < 0) PlayWarningF("Auction countdown text - Invalid block id");
  if (player < 0) PlayWarningF("Auction countdown text - Invalid player id");
  if (amount < 1) PlayWarningF("Auction countdown text - Invalid cost value");
}

void CAuctionCountdownPanel::OnOpen() {
  openButton->SetPressed(true);
  compact = false;
  SelectLayoutFrame(1);
  lastSecond = -1;
  titleText.Clear();
  if (block >= 0) titleText.AddTextId(BlockNameText(block));
  bidLabel.Clear();
  const CPlayer* p = PlayerTable().Get(player);
  bidLabel.AddTextIdArgs2(kCountdownBidText, p ? p->name : "", FormatMoney(amount));
  if (countdown < 0) PlayWarningF("Auction countdown text - Invalid timer value");
  FireTutorialEvent(kTutorialCountdownOpened);
  raiseRequest = true;
}

void CAuctionCountdownPanel::OnClose() {
  miniTimer.Clear();
  StopSample(lastBeep);
  FireTutorialEvent(kTutorialCountdownClosed);
}

// The count is the session's announcement countdown, which only runs with
// the game; without an auction record it runs down on its own.
int32_t CAuctionCountdownPanel::OnEvent(int32_t type, int32_t id, int32_t) {
  if (type == kMsgLeftPressed) {
    if (IsMouseOverRect(ElementRectInFrame(FindElementIndex("AUCTION_TIMER_BACKING", LayoutEntity()),
                                           chosenFrame - 1),
                        LayoutEntity()) &&
        block >= 0) {
      if (GetScreenMode() == kScreenPlan) SetScreenMode(kScreenCity);
      HoveredObject() = BlockBaseEntities().GetEntity(block);
      CommitPickSelection(false);
    }
    return 0;
  }
  if (type == kNotifyClicked && id == 0) {
    compact = !compact;
    const int32_t frame = compact ? 2 : 1;
    SelectLayoutFrame(frame);
    openButton->SetPressed(frame == 1);
    return 0;
  }
  if (type != kMsgFrameTick || countdown <= 0 || GamePauseState().Paused()) return 0;
  const CAuction* a = CurrentAuction();
  if (a && a->pending) countdown = std::max(a->countdown, 0);
  else --countdown;
  if (a == nullptr) return 0;
  // Whole seconds, as the count reaches each one.
  const int32_t seconds = (countdown + kPerSecond - 1) / kPerSecond;
  if (seconds == lastSecond) return 0;
  if (seconds <= 5) {
    StopSample(lastBeep);
    lastBeep = PlaySample(kBeepSample);
  }
  lastSecond = seconds;
  miniTimer.Clear();
  miniTimer.AddTextF("%i", seconds);
  return 0;
}

void CAuctionCountdownPanel::Update() {
  const CLayoutEntity* m = LayoutEntity();
  const UIRect r = ElementRectInFrame(FindElementIndex("AUCTION_TIMER_BACKING", m), chosenFrame - 1);
  DrawRect2DSolid(MovedRect(r, m), InterfaceBackingColour, 1.5f);
  if (!compact) DrawBand(titleLabel, m, kGreyTop, kGreyBottom, 1.5f);
}

void CAuctionCountdownPanel::DrawSelf() {
  const CLayoutEntity* m = LayoutEntity();
  miniTimer.Draw(m);
  if (const CPlayer* p = PlayerAt(player)) DrawImage(MovedRect(miniBidderRect, m), TokenInfoRow(p->character).portraitImage);
  if (compact) return;
  titleText.Draw(m);
  miniTimerLabel.Draw(m);
  bidLabel.Draw(m);
}
