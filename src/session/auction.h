#pragma once
// Block auctions. One auction at a time: announced with a countdown while the
// city runs, then the auction screen (game state 2) where the players bid in
// turn and the auctioneer moves through its stages; the winner, or nobody,
// gets the block through a block transfer. Every change is a game message;
// only the single-player machine or the host runs the auctioneer.
#include <cstdint>

#include "city/game_ids.h"
#include "engine/core/record_visitor.h"
#include "engine/input/camera_controller.h"
#include "session/player_notes.h"
#include "session/session_state.h"

struct AuctionStepMsg;

inline constexpr int32_t kAuctionRecordSize = 344;
inline constexpr int32_t kAuctionCameraSize = 196;

enum AuctionMove : int32_t { kAuctionMoveBid = 0, kAuctionMovePass = 1, kAuctionMovePullOut = 2, kAuctionMoveStage = 4 };
enum AuctioneerStage : int32_t {
  kStageOpening = 0,
  kStageAnnounce = 1,
  kStageBidding = 2,
  kStageSold = 3,
  kStageNotSold = 4,
  kStageDone = 5,
};

struct AuctionBidder {
  uint8_t stillIn = 0;
  int32_t lastBid = 0;
  uint8_t passed = 0;  // for this round only
  uint8_t pulledOut = 0;
  template <class V> void Visit(V& v) {
    v.U8(stillIn, {0, 1, "still in"});
    v.Pad(3);
    v.I32(lastBid);
    v.U8(passed, {0, 1, "passed"});
    v.Pad(1);
    v.U8(pulledOut, {0, 1, "pulled out"});
    v.Pad(1);
  }
};

// The auction record (chunk 0x8000, 344 bytes).
struct CAuction {
  int32_t countAtReset = 0;
  BlockId block{0};
  AuctionBidder rows[kMaxPlayers];
  int32_t seller = -1;  // player index, -1 the city
  int32_t lastBidder = -1;
  int32_t turn = -1;
  int32_t leader = -1;  // holder of the current price
  int32_t winner = -1;
  int32_t passes = 0;  // since the last bid
  int32_t openingBid = 0;
  int32_t price = 0;
  uint8_t noSale = 0;
  int32_t stage = kStageOpening;
  int32_t stageTimer = 0;
  uint8_t active = 0;   // the auction screen runs
  uint8_t pending = 0;  // announced, screen not yet open
  int32_t countdown = 0;  // the timer's remaining countdown, 50 a second
  int32_t starter = -1;
  int32_t openingValue = 0;
  CameraState camera{};  // the game camera when the screen opened
  int32_t screenMode = 0;
  int32_t constraint = 0;

  template <class V> void Visit(V& v) {
    static constexpr FieldRange kBidder{-1, kMaxPlayers - 1, "bidder"};
    v.I32(countAtReset);
    v.I32(block);
    for (AuctionBidder& row : rows) row.Visit(v);
    v.I32(seller, kBidder);
    v.I32(lastBidder, kBidder);
    v.I32(turn, kBidder);
    v.I32(leader, kBidder);
    v.I32(winner, kBidder);
    v.I32(passes, {0, INT32_MAX, "passes"});
    v.I32(openingBid);
    v.I32(price);
    v.U8(noSale, {0, 1, "no sale"});
    v.Pad(3);
    v.I32(stage, {kStageOpening, kStageDone, "stage"});
    v.I32(stageTimer);
    v.U8(active, {0, 1, "active"});
    v.U8(pending, {0, 1, "pending"});
    v.Pad(2);
    v.I32(countdown);
    v.I32(starter, kBidder);
    v.I32(openingValue);
    camera.Visit(v);
    v.I32(screenMode, {0, 4, "screen mode"});
    v.I32(constraint);
    v.Require(active || pending, "auction neither announced nor running");
  }
};

// The running or announced auction; null when none.
const CAuction* CurrentAuction();
bool AuctionRunning();
// Counts the auctions started since the program began (each machine its own
// count: it tells one auction from the next of the same block).
int32_t AuctionSerial();
// The block of the running auction, -1 when none.
int32_t AuctionBlock();

// Requests for an auction that are delivered while one is announced or up,
// or while others wait, wait their turn instead of being refused: in the
// order they were delivered, at most one per player and one per block, and
// none for the block being auctioned. The first starts once the auction
// before it has ended and that auction's block transfer (posted at its end,
// applied a delivery lead later) has been applied; one whose block changed
// hands meanwhile, or whose requester left, is dropped and the requester told
// no. Requests wait and start at delivery ticks, so every machine holds the
// same list.
inline constexpr int32_t kMaxWaitingAuctions = kMaxPlayers + 2;

struct WaitingAuction {
  BlockId block{0};
  int32_t starter = -1;  // player index, -1 the city
  int32_t opening = 0;
  int32_t owner = 0;  // the block's owner number when the request came
  AuctionRequest request;
  template <class V> void Visit(V& v) {
    v.I32(block);
    v.I32(starter, {-1, kMaxPlayers - 1, "starter"});
    v.I32(opening);
    v.I32(owner, {0, kMaxPlayers, "owner"});
    request.Visit(v);
  }
};

// The waiting requests (chunk 0x2000000, written only while one waits).
struct WaitingAuctionList {
  uint32_t notBefore = 0;  // the logic tick from which the first may start
  int32_t count = 0;
  WaitingAuction rows[kMaxWaitingAuctions];
  template <class V> void Visit(V& v) {
    v.U32(notBefore);
    v.I32(count, {0, kMaxWaitingAuctions, "waiting auctions"});
    for (WaitingAuction& row : rows) row.Visit(v);
  }
};
inline constexpr int32_t kWaitingAuctionListSize = 8 + kMaxWaitingAuctions * 36;

// True while an auction is announced or up, its block transfer is still in
// flight, or requests wait for one: a request made now would wait.
bool AuctionBusy();
// True while the block is announced or up for auction, or its auction has
// ended and its transfer is not yet applied: a request for it now would be
// answered by that auction's end, not its own.
bool BlockAuctionUnsettled(int32_t block);
const WaitingAuctionList& WaitingAuctions();
// Queues a request (message type 26 while AuctionBusy); false when it may not
// wait (its block is auctioned or waiting, its requester waits already, the
// list is full): it is then refused.
bool WaitForAuction(int32_t block, int32_t starter, int32_t opening, const AuctionRequest& request);
// A refused request: the requester's block page forgets it, and the
// single-player machine or the host tells the requester no (player message 35).
void RefuseAuctionRequest(int32_t block, int32_t starter, const AuctionRequest& request);
// Each running logic tick: starts the first waiting request whose turn has come.
void StartWaitingAuction();

// Message handlers (types 26 to 29).
bool StartAuction(int32_t block, int32_t starter, int32_t openingValue);
void OpenAuctionScreen();
void ApplyAuctionMessage(const AuctionStepMsg& message);
// A player who leaves the game leaves the running auction too, as if it had
// pulled out; the bidding goes on without it (at its removal, on every
// machine alike).
void WithdrawFromAuction(int32_t player);
void FinishAuction();

// The turn timer of a human bidder, in fiftieths of a second: 16 seconds
// from the start of each turn, counted down two a logic tick while the turn
// is a human's who is still bidding. When it runs out (never in a tutorial)
// the authority pulls that player out; the time-out names its turn, so a
// move made in the meantime wins.
inline constexpr int32_t kAuctionTurnTime = 800;
int32_t AuctionTurnCountdown();
// Counts the turns of the running auction (from 1); a time-out pull-out
// carries it as its amount.
int32_t AuctionTurnSerial();
// Whether the turn is a human bidder's who may still act (not decided, not
// passed or pulled out): the turn timer runs then.
bool AuctionHumanTurn(const CAuction& a);

// The bid panel's quick-auction switch (single-player games only): while on,
// bidders' voice lines are not played and computer players answer at once.
void SetQuickAuction(bool on);
bool QuickAuction();

// Posting the moves (bid panel, computer players, scripts, console).
bool PostAuctionBid(int32_t player, int32_t amount);
bool PostAuctionPass(int32_t player);
bool PostAuctionPullOut(int32_t player);
bool PostAuctioneerStep(int32_t stage);
// Scripts: the player bids the current price plus the raise.
bool ForceAuctionBid(int32_t player, int32_t raise);

// Each logic tick of the auction screen (the turn timer on every machine,
// the auctioneer only on the single-player machine or the host), and of the
// running city (the announcement's countdown).
void StepAuctionIfRunning();
void CountAuctionDown();

// Clears the auction (also when its block or its seller leaves the game).
void EndAuction();
// New game: no auction.
void ResetAuction();
void RegisterAuctionSaveHooks();
