// The voting panel: bars from the shares (100 per cent reaches the graph's
// top, 0 has no height), the per cent sign printed as it is, the winner's
// line, and the close 750 frames after opening or by OK.
#include "panels_fixture.h"

#include "panels/panel_events.h"
#include "session/game_events.h"

namespace {

class VotingPanelTest : public PanelsTest {};

TEST_F(VotingPanelTest, BarsFollowTheSharesAndThePanelClosesAfter750Frames) {
  AddPlayer("Ann", 1);
  AddPlayer("Bob", 2);
  CVotingPanel& voting = Hud().voting;
  VoteEvent vote;
  vote.shares = {100.0f, 0.0f, 0, 0, 0, 0};
  vote.named = 0;
  vote.winner = true;
  HandlePanelGameEvent(GameEvent{vote});
  ASSERT_TRUE(voting.open);
  EXPECT_FLOAT_EQ(voting.bars[0].y1, voting.graph.y1);
  EXPECT_FLOAT_EQ(voting.bars[1].y1, voting.bars[1].y2);
  EXPECT_EQ(Joined(voting.percents[0]), "100.00%");
  EXPECT_EQ(Joined(voting.percents[1]), "0.00%");
  // A full bar's share stays below the title's line.
  EXPECT_GE(voting.percents[0].Rect().y1, voting.titleLabelRect.y2);
  EXPECT_EQ(Joined(voting.titleLabel), "Ann");
  EXPECT_EQ(Joined(voting.titleArea), "Ann wins the vote");
  EXPECT_EQ(voting.winner, 0);
  for (int i = 0; i < kVotingFrames - 1; ++i) voting.OnEvent(kMsgFrameTick, 0, 0);
  EXPECT_TRUE(voting.open);
  voting.OnEvent(kMsgFrameTick, 0, 0);
  EXPECT_FALSE(voting.open);
  EXPECT_EQ(voting.winner, -1);
  // OK closes it at once.
  voting.ShowVote(vote);
  ASSERT_TRUE(voting.open);
  voting.OnEvent(kNotifyClicked, 0, 0);
  EXPECT_FALSE(voting.open);
}

// A vote that names nobody says so in its title (not the last vote's name);
// the mayor's race shows each player's votes won, the weakest link none.
TEST_F(VotingPanelTest, TheTitleAndCountsFollowTheKindOfVote) {
  AddPlayer("Ann", 1);
  AddPlayer("Bob", 2);
  CVotingPanel& voting = Hud().voting;
  VoteEvent named;
  named.shares = {60.0f, 40.0f, 0, 0, 0, 0};
  named.votes = {2, 1, -1, -1, -1, -1};
  named.named = 0;
  voting.ShowVote(named);
  EXPECT_EQ(Joined(voting.titleLabel), "Ann");
  EXPECT_EQ(Joined(voting.votes[0]), "2");
  EXPECT_EQ(Joined(voting.votes[1]), "1");

  struct Case {
    bool weakestLink;
    const char* title;
    const char* annVotes;
  };
  for (const Case& c : {Case{false, "Nobody leads the vote today", "3"}, Case{true, "Nobody is voted out today", ""}}) {
    VoteEvent tie;
    tie.shares = {50.0f, 50.0f, 0, 0, 0, 0};
    tie.votes = {3, 3, -1, -1, -1, -1};
    tie.weakestLink = c.weakestLink;
    voting.ShowVote(tie);
    EXPECT_EQ(Joined(voting.titleLabel), c.title);
    EXPECT_EQ(Joined(voting.titleArea), "The daily vote");
    EXPECT_EQ(Joined(voting.votes[0]), c.annVotes);
    EXPECT_EQ(voting.weakestLink, c.weakestLink);
  }
}

// Players with near shares: each bar's share is read apart from its
// neighbours' (those of about one height take turns a line higher).
TEST_F(VotingPanelTest, NearSharesSideBySideStayApart) {
  const char* names[6] = {"A", "B", "C", "D", "E", "F"};
  for (int i = 0; i < 6; ++i) AddPlayer(names[i], i);
  CVotingPanel& voting = Hud().voting;
  const std::array<float, 6> cases[] = {{16.67f, 16.66f, 16.67f, 16.66f, 16.67f, 16.67f},
                                        {50.4f, 49.6f, 0, 0, 0, 0},
                                        {0, 30.0f, 31.0f, 0, 20.0f, 19.0f}};
  for (const auto& shares : cases) {
    VoteEvent vote;
    vote.shares = shares;
    voting.ShowVote(vote);
    EXPECT_EQ(Joined(voting.percents[0]), FormatUiText(0, "%f", double(shares[0])) + "%");
    UIRect ext[6];
    for (int i = 0; i < 6; ++i) {
      CTextRect& t = voting.percents[size_t(i)];
      const float centre = (t.Rect().x1 + t.Rect().x2) / 2, half = float(t.LineWidth(0)) / 2;
      ext[i] = UIRect{centre - half, t.Rect().y1, centre + half, t.Rect().y2, 0};
      // Below the title's line, above its bar.
      EXPECT_GE(ext[i].y1, voting.titleLabelRect.y2) << i;
      EXPECT_LE(ext[i].y2, voting.bars[size_t(i)].y1) << i;
    }
    for (int i = 0; i < 6; ++i)
      for (int j = i + 1; j < 6; ++j)
        EXPECT_FALSE(ext[i].x1 < ext[j].x2 && ext[j].x1 < ext[i].x2 && ext[i].y1 < ext[j].y2 && ext[j].y1 < ext[i].y2)
            << shares[0] << ": " << i << " and " << j;
  }
}

}  // namespace
