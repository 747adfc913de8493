// The auction room: where the figures sit, the cone of light, and the
// figures' animation states with the sounds they play.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "engine/recording_renderer.h"
#include "engine/scene/animation.h"
#include "engine/scene/entity.h"
#include "presentation_fixture.h"
#include "session/player.h"
#include "visuals/scene/auction_room.h"
#include "session/auction.h"
#include "session/session_state.h"
#include "sound/recording_effects.h"

namespace {

class AuctionRoomTest : public PresentationTest {
 protected:
  void SetUp() override {
    PresentationTest::SetUp();
    EntAnimResetPool();
    PlayerTable().DeleteAllPlayers();
    Session() = SessionState{};  // single player: the quick switch counts
    InitAuctionRoom();
  }
  void TearDown() override {
    ReleaseAuctionRoom();
    SetQuickAuction(false);
    PlayerTable().DeleteAllPlayers();
    EntAnimResetPool();
    PresentationTest::TearDown();
  }
  void Advance(int32_t seat) { SetBidderAnimation(seat, kBidderAdvance); }

  RecordingEffects sounds;
  std::vector<std::string>& played = sounds.played;
  std::vector<CSoundDevice*>& stopped = sounds.stopped;
};

TEST_F(AuctionRoomTest, SeatsStandInARowAcrossTheRoom) {
  EXPECT_FLOAT_EQ(SeatFigureX(2, 0), 1.4f);
  EXPECT_FLOAT_EQ(SeatFigureX(2, 1), -1.4f);
  EXPECT_FLOAT_EQ(SeatDeskX(2, 0), -1.4f);
  for (int32_t i = 0; i < 5; ++i) EXPECT_NEAR(SeatFigureX(6, i) - SeatFigureX(6, i + 1), 2.8f, 1e-5f);
  EXPECT_NEAR(SeatFigureX(6, 0), -SeatFigureX(6, 5), 1e-5f);  // centred

  ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerHuman, 0, "Ann"));
  ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerComputer, 3, "Bob"));
  BuildAuctionRoomFigures();
  EXPECT_EQ(AuctionFigureCount(), 2);
  ASSERT_NE(AuctionFigure(1), nullptr);
  EXPECT_FLOAT_EQ(AuctionFigure(0)->position.x, 1.4f);
  EXPECT_FLOAT_EQ(AuctionFigure(1)->position.x, -1.4f);
  EXPECT_FLOAT_EQ(AuctionFigure(1)->position.z, kSeatZ);
  EXPECT_EQ(AuctionFigure(2), nullptr);
  EXPECT_EQ(BidderAnimationState(0), kBidderIdle);
}

TEST_F(AuctionRoomTest, ConeGeometryAndPulse) {
  const MarkerCone& c = AuctionMarkerCone();
  for (int32_t i = 0; i < kConeRim; ++i) {
    EXPECT_NEAR(std::hypot(c.points[i].x, c.points[i].z), 1.6f, 1e-5f);
    EXPECT_EQ(c.points[i].y, 0.0f);
  }
  EXPECT_NEAR(c.points[8].z, 1.6f, 1e-5f);  // pi/16 a step: a quarter turn at 8
  EXPECT_EQ(c.points[kConeRim].y, 8.0f);
  EXPECT_EQ(c.indices[0], kConeRim);
  EXPECT_EQ(c.indices[3 * 31 + 1], 31);
  EXPECT_EQ(c.indices[3 * 31 + 2], 0);  // the last triangle closes the ring
  EXPECT_FLOAT_EQ(TurnConePulse(31), 1.0f);
  EXPECT_FLOAT_EQ(TurnConePulse(15), 15.0f / 31.0f);
  EXPECT_FLOAT_EQ(TurnConePulse(15 + 32), 15.0f / 31.0f);
  EXPECT_FLOAT_EQ(TurnConePulse(0), 30.0f / 31.0f);
}

TEST_F(AuctionRoomTest, BidAndWinAnimationsPlayTheirSounds) {
  // A bid plays once with the token's bid sound, then idles.
  SetBidderAnimation(0, kBidderBid);
  EXPECT_EQ(BidderAnimationState(0), kBidderBid);
  Advance(0);
  EXPECT_EQ(BidderAnimationState(0), kBidderIdle);
  ASSERT_EQ(played.size(), 1u);
  EXPECT_EQ(played[0], "auction\\car_bid.wav");
  // The next bid stops the voice still playing before it starts again.
  SetBidderAnimation(0, kBidderBid);
  Advance(0);
  ASSERT_EQ(stopped.size(), 1u);
  EXPECT_EQ(stopped[0], RecordingEffects::Voice(1));
  EXPECT_EQ(played.size(), 2u);
  // Muted: the figure still moves, silently.
  SetQuickAuction(true);
  SetBidderAnimation(0, kBidderBid);
  Advance(0);
  EXPECT_EQ(played.size(), 2u);
  SetQuickAuction(false);

  // The win: two idle plays, then the win with applause.
  played.clear();
  SetBidderAnimation(1, kBidderCheer1);
  Advance(1);
  EXPECT_EQ(BidderAnimationState(1), kBidderCheer2);
  Advance(1);
  EXPECT_EQ(BidderAnimationState(1), kBidderWin);
  EXPECT_TRUE(played.empty());
  Advance(1);
  EXPECT_EQ(BidderAnimationState(1), kBidderIdle);
  ASSERT_EQ(played.size(), 2u);
  EXPECT_EQ(played[0], "auction\\car_win.wav");
  EXPECT_EQ(played[1], "auction\\ambi_any_applausehigh.wav");

  // Stopped figures stay still; seats outside 0..5 are ignored.
  SetBidderAnimation(2, kBidderStopped);
  Advance(2);
  EXPECT_EQ(BidderAnimationState(2), kBidderStopped);
  SetBidderAnimation(6, kBidderBid);
  SetBidderAnimation(-1, kBidderBid);
  EXPECT_EQ(BidderAnimationState(6), 0);
  EXPECT_EQ(played.size(), 2u);
}

TEST_F(AuctionRoomTest, SessionMovesReachTheSeatedFigures) {
  ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerHuman, 0, "Ann"));
  ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerComputer, 3, "Bob"));
  BuildAuctionRoomFigures();
  played.clear();
  OnAuctionBid(1);
  ASSERT_EQ(played.size(), 1u);
  EXPECT_EQ(played[0], "auction\\Rocket_bid.wav");  // Bob's token
  OnAuctionPullOut(1);
  EXPECT_EQ(played.back(), "auction\\Rocket_withdraw.wav");
  OnAuctionWinner(0);
  EXPECT_EQ(BidderAnimationState(0), kBidderCheer1);
  OnAuctionBid(4);  // no one sits there
  EXPECT_EQ(played.size(), 2u);
  CloseAuctionRoomFigures();
  EXPECT_EQ(BidderAnimationState(0), kBidderStopped);
  EXPECT_EQ(TokenSound(10, 0), nullptr);
}

// The room keeps its own lamps: after the night's dark light of the frame,
// the room is drawn under a bright one.
TEST_F(AuctionRoomTest, TheRoomIsLitByItsOwnLampsAtNight) {
  class RampRecorder : public RecordingRenderer {
   public:
    void SetLightRamps(uint32_t diffuse, uint32_t ambient, uint32_t, uint32_t, int32_t, float, float, float,
                       float, int32_t) override {
      RecordingRenderer::SetLightRamps(diffuse, ambient, 0, 0, 0, 1.0f, 0, 0, 0, 0);
      lamp = diffuse, fill = ambient;
    }
    uint32_t lamp = 0, fill = 0;
  } r;
  auto darkest = [](uint32_t c) { return std::min({c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF}); };
  r.SetColourRamps(0xFF1C2238u, 0xFF141A2Cu, 0xFF1C2238u, 0, 8, 1.0f, 0, -1, 0, 0);  // ten at night
  DrawAuctionRoom(r, true);
  EXPECT_GT(darkest(r.lamp), 0xC0u);
  EXPECT_GT(darkest(r.fill), 0x80u);
  const auto& calls = r.calls;
  const auto lit = std::find(calls.begin(), calls.end(), "EnableLighting");
  ASSERT_NE(lit, calls.end());
  EXPECT_NE(std::find(calls.begin() + 1, lit, "SetLightRamps"), lit) << "the room's light comes before the room";
}

}  // namespace
