#pragma once
// The auction room on screen: the room and its props, the auctioneer at his
// lectern, one token figure and one desk per player seat, the figures' idle,
// bid and win animations with their tokens' sounds, flat markers under the
// seats and the bidder, and cones of light over the seats (the one whose
// turn it is pulses). The room camera looks along the row of seats and
// follows the bidder.
#include <cstdint>

#include "engine/core/maths.h"

class CRenderer;
class CEntity;

inline constexpr int32_t kAuctionSeats = 6;
inline constexpr int32_t kConeRim = 32;
inline constexpr float kConeRadius = 1.6f;
inline constexpr float kConeHeight = 8.0f;
inline constexpr float kSeatZ = 20.0f;
inline constexpr float kAuctioneerZ = 37.0f;

// Figure animation states.
enum BidderAnimation : int32_t {
  kBidderIdle = 1,
  kBidderBid = 2,
  kBidderCheer1 = 3,
  kBidderCheer2 = 4,
  kBidderWin = 5,
  kBidderStopped = 6,
  kBidderAdvance = 7,  // the completion of the seat's animation
};

// x of seat i's figure (its desk stands at the mirrored x) for n seats.
float SeatFigureX(int32_t seats, int32_t seat);
float SeatDeskX(int32_t seats, int32_t seat);

// The marker cone: 32 rim points at floor height, radius 1.6, then the
// apex 8 above the centre; 32 triangles (apex, i, i + 1).
struct MarkerCone {
  Vec3 points[kConeRim + 1];
  uint16_t indices[kConeRim * 3];
};
const MarkerCone& AuctionMarkerCone();
// The turn cone's pulse over the logic tick: (|(t mod 32) - 15| + 15) / 31.
float TurnConePulse(uint32_t logicTick);

// Start-up: the props and the cone; no auction.
void InitAuctionRoom();
// The room opened: one figure and desk per seat of the auction, every
// figure idle, the props' animations running.
void BuildAuctionRoomFigures();
// The room closed: figures stopped, props still.
void CloseAuctionRoomFigures();
void SetBidderAnimation(int32_t seat, int32_t state);
int32_t BidderAnimationState(int32_t seat);
// Figures in the room (seats with a figure).
int32_t AuctionFigureCount();
const CEntity* AuctionFigure(int32_t seat);
// The frame range a figure plays for a state (idle, bid, win).
void BidderFrameRange(int32_t token, int32_t state, int32_t* first, int32_t* last);

// The token's sound for a move: "auction\<token>_bid.wav" and so on; null
// outside 0..9.
const char* TokenSound(int32_t token, int32_t kind);  // kind 0 bid, 1 win, 2 withdraw
// The figures speak through the game's effect sounds (sound/effect_sounds.h).

// What the session tells the room: a bid, a withdrawal, the winner.
void OnAuctionBid(int32_t player);
void OnAuctionPullOut(int32_t player);
void OnAuctionWinner(int32_t player);

// Each frame of the room: the camera's x moves halfway to the bidder's seat.
void StepAuctionRoomCamera();
float AuctionCameraX();

void DrawAuctionBidderMarkers(CRenderer& renderer);
void DrawAuctionBidderHalos(CRenderer& renderer);
// The whole room scene.
void DrawAuctionRoom(CRenderer& renderer, bool hardware);
void ReleaseAuctionRoom();
