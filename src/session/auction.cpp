#include "session/auction.h"

#include <algorithm>
#include <cstring>

#include "city/blocks.h"
#include "city/local_drafts.h"
#include "session/save_chunks.h"
#include "engine/input/camera_controller.h"
#include "session/game_events.h"
#include "session/game_messages.h"
#include "session/player.h"
#include "session/ready_barrier.h"
#include "session/scenarios.h"
#include "session/tick_driver.h"
#include "session/tutorial.h"

namespace {

constexpr uint32_t kOpenDelay = 3000;          // two minutes of logic
constexpr uint32_t kTutorialOpenDelay = 125;
constexpr int32_t kCountdownSeconds = 120;
constexpr int32_t kTutorialCountdownSeconds = 5;
constexpr int32_t kCountdownPerSecond = 50;
constexpr int32_t kSoldTicks = 150;
constexpr int32_t kNotSoldTicks = 100;
constexpr int32_t kScreenModeAuction = 1;
constexpr int32_t kScreenModeMenu = 4;
constexpr int32_t kScreenModeCity = 0;
constexpr int32_t kRoomConstraint = 1;
constexpr const char* kMurmur = "auction\\auctionmurmer.wav";
static_assert(sizeof(CameraState) == kAuctionCameraSize);

struct AuctionHolder {
  CAuction record;
  bool exists = false;  // the record belongs to an announced or running auction
  int32_t count = 0;    // 1 while an auction runs
  // Not saved: a loaded auction starts again from its opening.
  int32_t turnSerial = 1;
  int32_t turnCountdown = kAuctionTurnTime;
  // Host: the tick at which the current turn's time ran out (0 while it runs).
  uint32_t turnEnd = 0;
  int32_t serial = 0;
  WaitingAuctionList waiting;
  int32_t settlingBlock = -1;  // the last auction's block until its transfer is applied
};

bool g_QuickAuction = false;

AuctionHolder& Holder() {
  static AuctionHolder holder;
  return holder;
}

CAuction& Record() { return Holder().record; }

void Tell(AuctionEventKind kind, int32_t player = -1, int32_t value = 0, int32_t value2 = 0) {
  PostGameEvent(AuctionEvent{kind, Record().block.value, player, value, value2});
}

bool SlotInUse(int32_t slot) {
  const CPlayer* p = PlayerTable().Get(slot);
  return p != nullptr && p->inUse;
}

// The bidding as it stands before the first move.
void ClearBidding(CAuction& a) {
  for (AuctionBidder& row : a.rows) row = AuctionBidder{};
  a.lastBidder = a.turn = a.leader = a.winner = -1;
  a.passes = a.price = 0;
  a.noSale = 0;
  a.stage = kStageOpening;
  a.stageTimer = 0;
}

void ResetAuctionRecord(CAuction& a) {
  ClearBidding(a);
  a.openingBid = 0;
  a.active = a.pending = 0;
  PostGameEvent(StopSoundEvent{kMurmur});
}

void InitAuctionRecord(int32_t block, int32_t starter, int32_t value) {
  CAuction& a = Record();
  const CBlock* b = GetBlock(block);
  a.seller = b ? b->Owner - 1 : -1;
  a.block = BlockId{block};
  a.countAtReset = Holder().count;
  ResetAuctionRecord(a);
  for (int32_t slot = 0; slot < kMaxPlayers; ++slot) a.rows[slot].stillIn = SlotInUse(slot) && slot != a.seller;
  if (starter >= 0) {
    a.lastBidder = a.turn = a.leader = starter;
    a.openingBid = a.price = a.rows[starter].lastBid = value;
  } else {
    a.price = value;
    if (a.seller < 0) {
      a.turn = a.leader = 0;
    } else {
      a.leader = a.seller;
      a.turn = a.seller - 1;
    }
  }
  a.starter = starter;
  a.openingValue = value;
  Holder().turnSerial = 1;
  Holder().turnCountdown = kAuctionTurnTime;
  Holder().turnEnd = 0;
}

int32_t StillInCount(const CAuction& a) {
  int32_t n = 0;
  for (const AuctionBidder& row : a.rows) n += row.stillIn;
  return n;
}

void AdvanceAuctionTurn() {
  CAuction& a = Record();
  a.stageTimer = 0;
  ++Holder().turnSerial;
  Holder().turnCountdown = kAuctionTurnTime;
  Holder().turnEnd = 0;
  const int32_t count = PlayerTable().PlayerCount();
  if (count > 0) {
    const int32_t start = a.turn;
    int32_t slot = start;
    for (int32_t step = 0; step <= kMaxPlayers; ++step) {
      slot = slot + 1 >= count ? 0 : slot + 1;
      if (slot == a.seller) continue;
      if (slot == start || (slot >= 0 && slot < kMaxPlayers && a.rows[slot].stillIn)) break;
    }
    a.turn = slot;
  }
  const int32_t left = StillInCount(a) - a.passes;
  if (a.turn == a.leader && left == 1)
    a.winner = a.turn;
  else if (left <= 0)
    a.noSale = 1;
  if (!a.noSale && a.turn >= 0 && a.turn < kMaxPlayers) a.rows[a.turn].passed = 0;
  Tell(kAuctionTurn, a.turn, a.price);
}

void BeginAuctionRoom() {
  CAuction& a = Record();
  PostGameEvent(SoundEvent{kMurmur, 100});
  a.camera = g_CameraState;
  a.constraint = CamSetConstraint(kRoomConstraint);
  const CBlock* b = GetBlock(a.block.value);
  a.seller = b ? b->Owner - 1 : -1;
  for (int32_t slot = 0; slot < kMaxPlayers; ++slot)
    if (slot == a.seller || !SlotInUse(slot)) a.rows[slot].stillIn = 0;
  // The holder of the price never bids against itself: with an opening bid,
  // a seller or the city's block held by player 0, the turn passes on.
  if (a.openingBid != 0 || a.seller >= 0 || a.turn == a.leader) AdvanceAuctionTurn();
  a.active = 1;
  a.pending = 0;
  SetLogicSpeed(false);
}

void TellEveryPlayer(int32_t code, const PlayerMessageBody& words, bool computersOnly = false) {
  CPlayerTable& table = PlayerTable();
  for (int32_t slot = 0; slot < kMaxPlayers; ++slot) {
    const CPlayer* p = table.Get(slot);
    if (p == nullptr || !p->inUse || (computersOnly && p->kind == kPlayerHuman)) continue;
    table.PostPlayerMessage(slot, kCityPlayer, code, words, -1);
  }
}

void Announce() {
  const CAuction& a = Record();
  Tell(kAuctionAnnounced, a.leader, a.openingValue, a.countdown / kCountdownPerSecond);
}

// Back to the city: the camera, the screen mode and its constraint as they
// were when the room opened.
void CloseAuctionRoom() {
  const CAuction& a = Record();
  if (Session().gameState != kGameStateAuction) return;
  g_CameraState = a.camera;
  Session().gameState = kGameStateRunning;
  GameTime().screenMode = a.screenMode;
  CamSetConstraint(a.constraint);
  Tell(kAuctionRoomClosed);
}

void SaveAuction() {
  const AuctionHolder& h = Holder();
  if (h.exists && (h.record.pending || h.record.active)) {
    // A load starts the auction again from its opening, so the save keeps
    // only what it starts from. The rest is each machine's own view: the
    // moves in the room take effect as they arrive, so at one tick a client
    // may hold a bid the host has not yet seen or the host one still on its
    // way; only the authority counts the pause after the hammer; the camera
    // and its constraint are the machine's, and the room sets them afresh.
    // Left out, every machine's save of one tick holds the same record.
    CAuction saved = h.record;
    ClearBidding(saved);
    saved.camera = CameraState{};
    saved.constraint = 0;
    WriteRecordChunk(kChunkAuction, saved);
  }
  if (h.waiting.count > 0) WriteRecordChunk(kChunkAuctionQueue, h.waiting);
}

// A saved auction starts again from its opening price: the room reopens at
// once when it was up, else the announcement counts on from where it was.
void LoadAuction(const CAuction& saved) {
  AuctionHolder& h = Holder();
  h.record = saved;
  const bool wasActive = saved.active != 0;
  InitAuctionRecord(saved.block.value, SlotInUse(saved.starter) ? saved.starter : -1, saved.openingValue);
  h.record.countdown = saved.countdown;
  h.exists = true;
  h.count = 1;
  h.record.pending = 1;
  if (wasActive) {
    GameTime().screenMode = saved.screenMode;
    OpenAuctionScreen();
  } else {
    Announce();
  }
}

}  // namespace

const CAuction* CurrentAuction() { return Holder().exists ? &Holder().record : nullptr; }
int32_t AuctionSerial() { return Holder().serial; }
bool AuctionRunning() { return Holder().count == 1; }
int32_t AuctionBlock() { return AuctionRunning() ? Holder().record.block.value : -1; }

bool StartAuction(int32_t block, int32_t starter, int32_t openingValue) {
  AuctionHolder& h = Holder();
  if (h.count == 1) {
    const CPlayer* local = PlayerTable().Local();
    if (local && local->index == starter)
      if (GetBlock(block)) LocalBlockMarks(block).Request = 0;
    return false;
  }
  if (GetBlock(block) == nullptr) return false;
  InitAuctionRecord(block, starter, openingValue);
  ++h.serial;
  h.exists = true;
  h.count = 1;
  CAuction& a = Record();
  a.pending = 1;
  const bool tutorial = ScenarioManager().IsTutorialRunning();
  if (IsAuthority()) Post(OpenAuctionMsg{}, tutorial ? kTutorialOpenDelay : kOpenDelay);
  a.countdown = (tutorial ? kTutorialCountdownSeconds : kCountdownSeconds) * kCountdownPerSecond;
  Announce();
  PostGameEvent(SelectionPageEvent{});
  return true;
}

// Busy too until the last auction's block transfer has been applied: a
// request made before it would still see the block as the city's.
bool AuctionBusy() {
  const AuctionHolder& h = Holder();
  return AuctionRunning() || h.waiting.count > 0 || LogicTick() < h.waiting.notBefore;
}

bool BlockAuctionUnsettled(int32_t block) {
  const AuctionHolder& h = Holder();
  return AuctionBlock() == block || (block == h.settlingBlock && LogicTick() < h.waiting.notBefore);
}

const WaitingAuctionList& WaitingAuctions() { return Holder().waiting; }

bool WaitForAuction(int32_t block, int32_t starter, int32_t opening, const AuctionRequest& request) {
  AuctionHolder& h = Holder();
  WaitingAuctionList& list = h.waiting;
  const CBlock* b = GetBlock(block);
  if (b == nullptr || list.count >= kMaxWaitingAuctions || AuctionBlock() == block) return false;
  for (int32_t i = 0; i < list.count; ++i) {
    const WaitingAuction& w = list.rows[i];
    if (w.block.value == block || (starter >= 0 && w.starter == starter)) return false;
  }
  WaitingAuction& w = list.rows[list.count++];
  w = WaitingAuction{BlockId{block}, starter, opening, b->Owner, request};
  return true;
}

void RefuseAuctionRequest(int32_t block, int32_t starter, const AuctionRequest& request) {
  const CPlayer* local = PlayerTable().Local();
  if (local && local->index == starter)
    if (GetBlock(block)) LocalBlockMarks(block).Request = 0;
  if (IsAuthority() && SlotInUse(starter))
    PlayerTable().PostPlayerMessage(starter, kCityPlayer, PLAYER_MESS_REFUSED, request.offer, request.token);
}

void StartWaitingAuction() {
  AuctionHolder& h = Holder();
  WaitingAuctionList& list = h.waiting;
  while (list.count > 0 && !h.exists && LogicTick() >= list.notBefore) {
    const WaitingAuction w = list.rows[0];
    std::copy(list.rows + 1, list.rows + list.count, list.rows);
    list.rows[--list.count] = WaitingAuction{};
    const CBlock* b = GetBlock(w.block.value);
    if (w.starter >= 0 && !SlotInUse(w.starter)) continue;  // its requester left the game
    if (b == nullptr || b->Owner != w.owner || !StartAuction(w.block.value, w.starter, w.opening))
      RefuseAuctionRequest(w.block.value, w.starter, w.request);
  }
}

void OpenAuctionScreen() {
  AuctionHolder& h = Holder();
  CAuction& a = h.record;
  if (!h.exists || !a.pending) return;
  Session().gameState = kGameStateAuction;
  // Under the menu overlay the room closes back to the city view.
  const int32_t previous = GameTime().screenMode;
  a.screenMode = previous == kScreenModeMenu ? kScreenModeCity : previous;
  GameTime().screenMode = kScreenModeAuction;
  Tell(kAuctionRoomOpened, a.leader, a.price);
  BeginAuctionRoom();
  BeginPlayerReadyWait();
}

void ApplyAuctionMessage(const AuctionStepMsg& m) {
  AuctionHolder& h = Holder();
  CAuction& a = h.record;
  if (!h.exists || !a.active) return;  // a move that arrives after the auction ended
  const int32_t player = m.player.value;
  switch (m.step) {
    case kAuctionMoveBid:
      if (m.amount == a.price || !a.rows[player].stillIn) return;
      a.lastBidder = player;
      a.price = m.amount;
      a.rows[player].passed = 0;
      a.rows[player].lastBid = m.amount;
      a.leader = player;
      a.passes = 0;
      Tell(kAuctionBid, player, m.amount);
      AdvanceAuctionTurn();
      FireLocalPlayerTutorialEvent(player + 1, kTutorialBidMade);
      break;
    case kAuctionMovePass:
      if (!a.rows[player].stillIn) return;
      ++a.passes;
      a.rows[player].passed = 1;
      a.lastBidder = player;
      Tell(kAuctionPass, player);
      AdvanceAuctionTurn();
      break;
    case kAuctionMovePullOut:
      if (!a.rows[player].stillIn) return;
      // A time-out names the turn it ended; a move made meanwhile ended it first.
      if (m.amount != 0 && (m.amount != h.turnSerial || a.turn != player)) return;
      a.rows[player].stillIn = 0;
      a.rows[player].pulledOut = 1;
      AdvanceAuctionTurn();
      if (a.winner < 0) Tell(kAuctionPullOut, player);
      break;
    case kAuctionMoveStage:
      if (player == kStageBidding) FireTutorialEvent(kTutorialAuctionPanels);
      if (player == kStageSold) FireTutorialEvent(kTutorialAuctionSold);
      a.stage = player;
      Tell(kAuctionStage, a.winner, a.stage);
      break;
    default:
      break;
  }
}

void WithdrawFromAuction(int32_t player) {
  AuctionHolder& h = Holder();
  CAuction& a = h.record;
  if (!h.exists || !a.active || player < 0 || player >= kMaxPlayers || !a.rows[player].stillIn) return;
  if (a.turn == player) {
    ApplyAuctionMessage(AuctionStepMsg{kAuctionMovePullOut, PlayerIndex{player}, 0});
    return;
  }
  a.rows[player].stillIn = 0;
  a.rows[player].pulledOut = 1;
  if (a.rows[player].passed && a.passes > 0) --a.passes;
  const int32_t left = StillInCount(a) - a.passes;
  if (a.turn == a.leader && left == 1)
    a.winner = a.turn;
  else if (left <= 0)
    a.noSale = 1;
  if (a.winner < 0) Tell(kAuctionPullOut, player);
}

void FinishAuction() {
  AuctionHolder& h = Holder();
  CAuction& a = h.record;
  // Only the result of the auction that is up: a result posted before a
  // load finds the restarted auction at its opening and is dropped.
  if (!h.exists || !a.active || a.stage != kStageDone) return;
  const int32_t block = a.block.value;
  if (IsAuthority()) {
    if (!a.noSale)
      TellEveryPlayer(PLAYER_MESS_PURCHASE_SETTLED, AuctionSettled{a.block, PlayerIndex{a.winner}, a.price}, true);
    TellEveryPlayer(PLAYER_MESS_AUCTION_OVER, AuctionNews{a.block});
    const bool sold = !a.noSale && a.winner >= 0;
    Post(BlockTransferMsg{a.price, BlockId{block}, PlayerNumber{sold ? a.winner + 1 : 0}});
  }
  a.noSale = 0;
  CloseAuctionRoom();
  EndAuction();
  FireTutorialEvent(kTutorialAuctionClosed);
  PostGameEvent(StopSoundEvent{kMurmur});
}

bool PostAuctionBid(int32_t player, int32_t amount) {
  return Post(AuctionStepMsg{kAuctionMoveBid, PlayerIndex{player}, amount});
}
bool PostAuctionPass(int32_t player) { return Post(AuctionStepMsg{kAuctionMovePass, PlayerIndex{player}, 0}); }
bool PostAuctionPullOut(int32_t player) {
  return Post(AuctionStepMsg{kAuctionMovePullOut, PlayerIndex{player}, 0});
}
bool PostAuctioneerStep(int32_t stage) {
  if (!IsAuthority()) return false;
  return Post(AuctionStepMsg{kAuctionMoveStage, PlayerIndex{stage}, 0});
}

bool ForceAuctionBid(int32_t player, int32_t raise) {
  const CAuction* a = CurrentAuction();
  return a != nullptr && PostAuctionBid(player, a->price + raise);
}

namespace {

// Driven by the logic tick alone, so every machine counts alike; only the
// authority posts the pull-out, as a game message like any other move.
void StepTurnTimer() {
  AuctionHolder& h = Holder();
  const CAuction& a = h.record;
  if (!AuctionHumanTurn(a)) return;
  h.turnCountdown -= kCountdownPerSecond / 25;
  if (h.turnCountdown > 0) return;
  if (ScenarioManager().IsTutorialRunning()) {
    h.turnCountdown = 0;
    return;
  }
  // A player on another machine may trail the host (at full speed by up to
  // the host's lead): the move it made in time may still be on its way. Its
  // moves travel ahead of its snapshots, so once a snapshot shows that machine
  // well into the turn, what it sent then has been posted. Within a snapshot
  // interval of the end it counts as there: in a game at normal pace the
  // clients run a tick or two behind, and the turn ends on time.
  if (IsAuthority()) {
    if (h.turnEnd == 0) h.turnEnd = LogicTick();
    if (!PlayerMachineReached(a.turn, h.turnEnd - std::min<uint32_t>(h.turnEnd, kSnapshotInterval))) {
      h.turnCountdown = 0;
      return;
    }
  }
  h.turnEnd = 0;
  h.turnCountdown = kAuctionTurnTime;
  if (IsAuthority()) Post(AuctionStepMsg{kAuctionMovePullOut, PlayerIndex{a.turn}, h.turnSerial});
}

}  // namespace

int32_t AuctionTurnCountdown() { return Holder().turnCountdown; }
int32_t AuctionTurnSerial() { return Holder().turnSerial; }

bool AuctionHumanTurn(const CAuction& a) {
  if (!a.active || a.winner >= 0 || a.noSale || a.stage > kStageBidding || a.turn < 0 || a.turn >= kMaxPlayers)
    return false;
  const CPlayer* p = PlayerTable().Get(a.turn);
  const AuctionBidder& row = a.rows[a.turn];
  return p != nullptr && p->inUse && p->kind == kPlayerHuman && row.stillIn && !row.passed && !row.pulledOut;
}

void SetQuickAuction(bool on) { g_QuickAuction = on; }
bool QuickAuction() { return g_QuickAuction && !Session().networkSession; }

void StepAuctionIfRunning() {
  AuctionHolder& h = Holder();
  CAuction& a = h.record;
  if (!h.exists || !a.active) return;
  StepTurnTimer();
  if (!h.exists || !a.active || !IsAuthority()) return;
  switch (a.stage) {
    case kStageOpening:
      PostAuctioneerStep(kStageAnnounce);
      break;
    case kStageAnnounce:
      TellEveryPlayer(PLAYER_MESS_AUCTION_BEGINS, AuctionNews{a.block});
      PostAuctioneerStep(kStageBidding);
      break;
    case kStageBidding:
      if (a.winner >= 0) {
        a.stageTimer = 0;
        PostAuctioneerStep(kStageSold);
      } else if (a.noSale) {
        a.stageTimer = 0;
        PostAuctioneerStep(kStageNotSold);
      }
      if (a.stage == kStageBidding && a.turn >= 0 && !SlotInUse(a.turn) && a.rows[a.turn].stillIn)
        PostAuctionPullOut(a.turn);
      break;
    case kStageSold:
    case kStageNotSold:
      if (++a.stageTimer > (a.stage == kStageSold ? kSoldTicks : kNotSoldTicks)) {
        Post(FinishAuctionMsg{});
        PostAuctioneerStep(kStageDone);
      }
      break;
    default:
      break;
  }
}

void CountAuctionDown() {
  CAuction& a = Record();
  if (Holder().exists && a.pending && a.countdown > 0) a.countdown -= kCountdownPerSecond / 25;
}

void EndAuction() {
  AuctionHolder& h = Holder();
  if (!h.exists) return;
  // An auction cleared while its room is up (its block or seller left).
  CloseAuctionRoom();
  CAuction& a = h.record;
  const int32_t block = a.block.value;
  PostGameEvent(BlockAnsweredEvent{block, 0});
  PostGameEvent(SelectionPageEvent{});
  Tell(kAuctionEnded);
  a.active = a.pending = 0;
  h.count = 0;
  h.exists = false;
  // The next waiting request starts after this auction's block transfer.
  h.waiting.notBefore = LogicTick() + kMessageDeliveryLead + 1;
  h.settlingBlock = block;
  if (IsAuthority()) TellEveryPlayer(PLAYER_MESS_AUCTION_ENDED, AuctionNews{BlockId{block}});
}

void ResetAuction() {
  AuctionHolder& h = Holder();
  h.record.active = h.record.pending = 0;
  h.count = 0;
  h.exists = false;
  h.waiting = WaitingAuctionList{};
  h.settlingBlock = -1;
}

void RegisterAuctionSaveHooks() {
  RegisterSaveHook(kSaveAuction, [] { SaveAuction(); });
  RegisterRecordChunk<CAuction>(kChunkAuction, kAuctionRecordSize, [](const CAuction& a) { LoadAuction(a); }, 1);
  RegisterRecordChunk<WaitingAuctionList>(
      kChunkAuctionQueue, kWaitingAuctionListSize, [](const WaitingAuctionList& w) { Holder().waiting = w; }, 1);
}
