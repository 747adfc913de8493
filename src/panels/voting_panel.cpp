#include "panels/voting_panel.h"

#include <string>

#include "panels/panel_drawing.h"
#include "panels/player_tokens.h"
#include "session/game_events.h"
#include "session/player.h"
#include "ui/buttons.h"
#include "ui/draw_2d.h"

namespace {
constexpr int32_t kTitleText = 1539, kTitlePlayerText = 1540, kWinnerText = 1541;
// The title line before the vote names anybody: the mayor's race, the weakest link.
constexpr int32_t kNoLeaderText = 1542, kNobodyOutText = 1543;
constexpr int32_t kRosetteImage = 46;
constexpr uint32_t kGraphColour = 0xFF1F2F70u, kAxisColour = 0xFF00FF00u;
}  // namespace

void CVotingPanel::Build() {
  titleRect = ElementRect("VOTING_TITLE_AREA");
  backing = ElementRect("VOTING_MAIN_BACKING");
  graph = ElementRect("VOTING_GRAPH_AREA");
  titleLabelRect = ElementRect("VOTING_TITLE_LABEL");
  for (int32_t i = 0; i < 6; ++i) {
    tokens[size_t(i)] = ElementRect("VOTING_TOKEN" + std::to_string(i + 1));
    rosettes[size_t(i)] = ElementRect("VOTING_ROSETTE" + std::to_string(i + 1));
  }
  const UIRect o = ElementRect("VOTING_OK_BUTTON");
  ok = CreatePushButton(*this, 0, o, 2);
  SetButtonImages(*ok, 76, 78, -1, 77, -1);
  ok->SetLabelId(1435);
  for (int32_t i = 0; i < 6; ++i) {
    const UIRect& t = tokens[size_t(i)];
    bars[size_t(i)] = UIRect{t.x1, graph.y2, t.x2, graph.y2, t.depth};
    PanelText(percents[size_t(i)], UIRect{t.x1 + 3, graph.y2 - 20, t.x2 + 3, graph.y2 - 5, t.depth}, this, 0, 4);
    percents[size_t(i)].AddText("0%");
    PanelText(votes[size_t(i)], UIRect{t.x1, t.y1 - 4, t.x2, t.y2 - 4, t.depth}, this, 1, 4);
  }
  PanelText(titleLabel, titleLabelRect, this, 3, 4);
  PanelText(titleArea, titleRect, this, 1, 4);
  titleArea.AddTextId(kTitleText);
  winner = -1;
  layer = 1;
}

void CVotingPanel::SetTitlePlayer(int32_t player) {
  const CPlayer* p = PlayerTable().Get(player);
  titleLabel.Clear();
  titleLabel.AddTextIdArgs1(kTitlePlayerText, p ? p->name : "");
}

void CVotingPanel::SetWinner(int32_t player) {
  const CPlayer* p = PlayerTable().Get(player);
  titleArea.Clear();
  titleArea.AddTextIdArgs1(kWinnerText, p ? p->name : "");
  winner = player;
}

void CVotingPanel::SetBar(int32_t n, float percent, int32_t count) {
  if (n < 0 || n >= 6) return;
  UIRect& bar = bars[size_t(n)];
  bar.y2 = graph.y2;
  bar.y1 = graph.y2 - (graph.y2 - graph.y1) * percent * 0.01f;
  CTextRect& p = percents[size_t(n)];
  p.SetRect(bar.x1 + 3, bar.y1 - 20, bar.x2 + 3, bar.y1 - 5);
  p.Clear();
  p.AddText(FormatUiText(0, "%f", double(percent)) + "%");  // the share, then a literal per cent sign
  votes[size_t(n)].Clear();
  if (count >= 0) votes[size_t(n)].AddTextF("%d", count);
}

void CVotingPanel::ShowVote(const VoteEvent& vote) {
  weakestLink = vote.weakestLink;
  titleLabel.Clear();
  titleLabel.AddTextId(weakestLink ? kNobodyOutText : kNoLeaderText);
  titleArea.Clear();
  titleArea.AddTextId(kTitleText);
  winner = -1;
  for (int32_t i = 0; i < 6; ++i) SetBar(i, vote.shares[size_t(i)], weakestLink ? -1 : vote.votes[size_t(i)]);
  StaggerShareLabels();
  if (vote.named >= 0) {
    SetTitlePlayer(vote.named);
    if (vote.winner) SetWinner(vote.named);
  }
  Open();
}

// The labels of bars of about one height would run into each other (the
// slots are narrower than a share with its decimals): such a label goes a
// line higher than its left neighbour's.
void CVotingPanel::StaggerShareLabels() {
  const auto extent = [this](int32_t i) {
    CTextRect& t = percents[size_t(i)];
    const UIRect r = t.Rect();
    const float half = float(t.LineWidth(0)) / 2, centre = (r.x1 + r.x2) / 2;
    return UIRect{centre - half, r.y1, centre + half, r.y2, r.depth};
  };
  int32_t left = -1;
  for (int32_t i = 0; i < 6; ++i) {
    if (!BarShown(i)) continue;
    if (left >= 0) {
      const UIRect a = extent(left), b = extent(i);
      if (a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2) {
        CTextRect& t = percents[size_t(i)];
        const UIRect r = t.Rect();
        t.SetRect(r.x1, a.y1 - (r.y2 - r.y1), r.x2, a.y1);
      }
    }
    left = i;
  }
}

bool CVotingPanel::BarShown(int32_t i) const {
  const CPlayer* p = PlayerTable().Get(i);
  return p != nullptr && (p->inUse || i == winner);
}

void CVotingPanel::OnOpen() { countdown = kVotingFrames; }

void CVotingPanel::OnClose() { winner = -1; }

int32_t CVotingPanel::OnEvent(int32_t type, int32_t a, int32_t) {
  if (type == kMsgFrameTick && open) {
    if (--countdown <= 0) Close();
  } else if (type == kNotifyClicked && a == 0) {
    Close();
  }
  return 0;
}

void CVotingPanel::Update() {
  const CLayoutEntity* m = LayoutEntity();
  DrawRect2D(MovedRect(backing, m), InterfaceBackingColour, InterfaceBackingColour, InterfaceBackingColour,
             InterfaceBackingColour, 0.5f);
  DrawRect2D(MovedRect(titleRect, m), 0xFF909090u, 0xFF909090u, 0x80909090u, 0x80909090u, 0.5f);
  DrawRect2DSolid(MovedRect(graph, m), kGraphColour, 0.5f);
}

void CVotingPanel::DrawSelf() {
  const CLayoutEntity* m = LayoutEntity();
  for (int32_t i = 0; i < 6; ++i) {
    if (!BarShown(i)) continue;
    const CPlayer* p = PlayerTable().Get(i);
    const TokenInfo& token = TokenInfoRow(p->character);
    DrawTexturedRect(MovedRect(tokens[size_t(i)], m), UIImageTexture(token.tokenImage), 0.45f);
    if (!weakestLink)
      DrawTexturedRectColoured(MovedRect(rosettes[size_t(i)], m), UIImageTexture(kRosetteImage), 0.45f, token.colour);
    DrawRect2DSolid(MovedRect(bars[size_t(i)], m), token.colour, 0.45f);
    percents[size_t(i)].Draw(m);
    if (!weakestLink) votes[size_t(i)].Draw(m);
  }
  titleLabel.Draw(m);
  titleArea.Draw(m);
  const UIRect g = MovedRect(graph, m);
  DrawLine2D(LinePoint2D{g.x1 + 25, g.y1, 0.5f, kAxisColour}, LinePoint2D{g.x1 + 25, g.y2, 0.5f, kAxisColour});
  DrawLine2D(LinePoint2D{g.x1 + 25, g.y2, 0.5f, kAxisColour}, LinePoint2D{g.x2 - 25, g.y2, 0.5f, kAxisColour});
}
