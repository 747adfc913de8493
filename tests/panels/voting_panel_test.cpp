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

}  // namespace
