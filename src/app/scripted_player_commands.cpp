#include "app/scripted_player_commands.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/local_drafts.h"
#include "city/prestige_textures.h"
#include "engine/core/console.h"
#include "engine/core/run_state.h"
#include "engine/core/scheduler.h"
#include "panels/construction_panel.h"
#include "session/auction.h"
#include "session/player.h"
#include "session/session_state.h"
#include "session/tick_driver.h"

namespace {

constexpr int32_t kBidRaise = 100;
// After the block's auction (or a refusal) the lease is asked again this many
// ticks later unless the block has changed hands by then (its transfer comes
// a delivery lead after the auction's end).
constexpr uint32_t kLeaseAnswerTicks = 100;
// A request neither seen waiting nor auctioned this long after it was asked
// was lost or refused unseen: asked again. A client is never further behind
// the host than the host's lead allows, so its request is delivered sooner.
constexpr uint32_t kLeaseDeliveryTicks = 3000;

struct Lease {
  int32_t block = -1;
  int32_t price = 0;
  bool asked = false;
  bool seen = false;  // the request was seen waiting or its auction running
  uint32_t askedAt = 0;
  uint32_t answeredAt = 0;
};

struct Autobid {
  int32_t block = -1;  // -1: any auction
  int32_t max = 0;
};

enum class Condition { kTick, kBlock, kShop };

struct Waiting {
  Condition condition = Condition::kTick;
  int32_t value = 0;
  std::string command;
};

struct ScriptedPlayer {
  std::vector<Lease> leases;
  std::vector<Autobid> autobids;
  std::vector<Waiting> waiting;
  // The auction's state when this player last moved: no second move until
  // the host's copy of the first has changed it.
  int32_t movedAt[4] = {-1, -1, -1, -1};
  // HOLD: the logic stops at this tick for good (0 none).
  uint32_t holdTick = 0;
  int32_t task = -1;
};

ScriptedPlayer& Scripted() {
  static ScriptedPlayer player;
  return player;
}

int Usage(const char* text) {
  ConsolePrintF(kConsoleError, "Usage: %s", text);
  return 0;
}

int32_t LocalPlayerNumber() {
  const CPlayer* local = PlayerTable().Local();
  return local ? local->index + 1 : 0;
}

bool LocalOwnsShop() {
  const int32_t local = LocalPlayerNumber();
  for (const CBusiness& b : g_Businesses)
    if (b.InUse && b.IsShop() && local > 0 && b.Owner == local) return true;
  return false;
}

void StepScriptedPlayer();

// The task is added with the first command that needs it; a scheduler
// started afresh since (the game's start empties its table) gets it again.
void EnsureTask() {
  ScriptedPlayer& s = Scripted();
  const CScheduler& scheduler = GameScheduler();
  if (s.task >= 0 && uint32_t(s.task) < scheduler.TaskCount() && scheduler.Task(s.task).procedure == StepScriptedPlayer)
    return;
  s.task = GameScheduler().AddTask(25.0f, StepScriptedPlayer, 0, true);
}

// ---- Leases -------------------------------------------------------------------------

// Whether the player's request for the block waits for its turn or its
// auction is announced or up (shared state, the same on every machine).
bool LeaseInAuction(int32_t block, int32_t player) {
  const CAuction* a = CurrentAuction();
  if (a != nullptr && a->block.value == block) return true;
  const WaitingAuctionList& waiting = WaitingAuctions();
  for (int32_t i = 0; i < waiting.count; ++i)
    if (waiting.rows[i].block.value == block && waiting.rows[i].starter == player) return true;
  return false;
}

// True when the lease is settled (the block is the player's or a rival's).
// The request is asked once and answered by its auction (it waits its turn
// while others run) or by a refusal; then, while the block is still the
// city's, it is asked again.
bool StepLease(Lease& lease) {
  CPlayer* local = PlayerTable().Local();
  CBlock* block = GetBlock(lease.block);
  if (local == nullptr || block == nullptr) return false;
  if (!block->Ownable) {
    ConsolePrintF(kConsoleError, "Error. Block %d cannot be leased", lease.block);
    return true;
  }
  if (block->Owner == local->index + 1) {
    ConsolePrintF(kConsoleReply, "Lease of block %d: the block is player %d's", lease.block, local->index + 1);
    return true;
  }
  if (block->Owner != 0) {
    ConsolePrintF(kConsoleError, "Lease of block %d: player %d holds it; not asked again", lease.block,
                  int(block->Owner));
    return true;
  }
  const uint32_t now = LogicTick();
  if (lease.asked) {
    if (LeaseInAuction(lease.block, local->index)) {
      lease.seen = true;
      lease.answeredAt = now;
      return false;
    }
    // A refusal clears the page's pending mark at its delivery.
    const bool refused = !lease.seen && LocalBlockMarks(lease.block).Request == 0;
    if (lease.seen || refused) {
      if (lease.answeredAt == 0 || lease.answeredAt < lease.askedAt) lease.answeredAt = now;
      if (now < lease.answeredAt + kLeaseAnswerTicks) return false;
    } else if (now < lease.askedAt + kLeaseDeliveryTicks) {
      return false;
    }
  }
  const int32_t price = lease.price > 0 ? lease.price : static_cast<int32_t>(block->GetLeasePrice());
  if (!local->CanAfford(static_cast<float>(price), false)) return false;
  // As the block page does: the request stays marked until it is answered.
  LocalBlockMarks(lease.block).Request = 1;
  local->RequestBuyBlock(lease.block, static_cast<float>(price), -1);
  lease.asked = true;
  lease.seen = false;
  lease.askedAt = now;
  lease.answeredAt = 0;
  ConsolePrintF(kConsoleReply, "Player %d asks for block %d at %d (tick %u)", local->index + 1, lease.block, price,
                now);
  return false;
}

int LeaseCommand(const char* rest) {
  Lease lease;
  if (!ReadConsoleInt(rest, lease.block)) return Usage("LEASE block [price]");
  ReadConsoleInt(rest, lease.price);
  const CBlock* block = GetBlock(lease.block);
  if (block == nullptr || (RunState().gameRunning && !block->Ownable)) {
    ConsolePrintF(kConsoleError, "Error. Block %d cannot be leased", lease.block);
    return 0;
  }
  Scripted().leases.push_back(lease);
  EnsureTask();
  return 0;
}

// ---- Building -------------------------------------------------------------------------

int32_t BuildingKindOf(const BusinessType& type) {
  if (type.Kind == kBusinessResidence) return kKindResidential;
  if (type.Kind == kBusinessLandscape) return kKindLandscape;
  return kKindRetail;
}

// The construction panel's first design of the quality.
int32_t DefaultDesign(int32_t kind, int32_t quality) {
  if (kind == kKindLandscape) return 0;
  const PrestigeTextureList& list = PrestigeTextureLists()[size_t(quality)];
  return ConstructionDesignCode(list.Textures, list.Count, 0);
}

int BuildCommand(const char* rest) {
  int32_t block = -1, x = 0, y = 0, width = 0, depth = 0, floors = 1, type = -1, quality = 0;
  if (!ReadConsoleInt(rest, block) || !ReadConsoleInt(rest, x) || !ReadConsoleInt(rest, y) ||
      !ReadConsoleInt(rest, width) || !ReadConsoleInt(rest, depth) || !ReadConsoleInt(rest, floors) ||
      !ReadConsoleInt(rest, type))
    return Usage("BUILD block x y width depth floors type [quality]");
  ReadConsoleInt(rest, quality);
  CPlayer* local = PlayerTable().Local();
  const CBlock* b = GetBlock(block);
  const BusinessType* t = GetBusinessType(type);
  if (local == nullptr || b == nullptr || b->Owner != local->index + 1) {
    ConsolePrintF(kConsoleError, "Error. Block %d is not yours to build on", block);
    return 0;
  }
  if (t == nullptr || width < 1 || depth < 1 || floors < 1 || floors > 255 || quality < 0 || quality > 2 ||
      x < 0 || y < 0 || x + width > kLotsPerSide || y + depth > kLotsPerSide ||
      !b->IsLotRegionFreeRect(x, y, x + width - 1, y + depth - 1)) {
    ConsolePrintF(kConsoleError, "Error. No building of type %d fits lots %d,%d size %dx%d of block %d", type, x, y,
                  width, depth, block);
    return 0;
  }
  const int32_t kind = BuildingKindOf(*t);
  const float cost =
      float(EstimateBuildingCost(block, width * depth * floors, kind, type, uint8_t(quality), local->index));
  if (!local->CanAfford(cost, false)) {
    ConsolePrintF(kConsoleError, "Error. Player %d cannot pay %.0f to build on block %d", local->index + 1,
                  double(cost), block);
    return 0;
  }
  local->PostConstructBuilding(block, x, y, width, depth, floors, DefaultDesign(kind, quality), kind, quality,
                               int32_t(cost), type);
  ConsolePrintF(kConsoleReply, "Player %d builds type %d on block %d lots %d,%d to %d,%d (tick %u)",
                local->index + 1, type, block, x, y, x + width - 1, y + depth - 1, LogicTick());
  return 0;
}

// ---- Auctions -------------------------------------------------------------------------

const Autobid* AutobidFor(int32_t block) {
  const Autobid* general = nullptr;
  for (const Autobid& a : Scripted().autobids) {
    if (a.block == block) return &a;
    if (a.block < 0) general = &a;
  }
  return general;
}

void StepAutobid() {
  const CAuction* a = CurrentAuction();
  const CPlayer* local = PlayerTable().Local();
  if (a == nullptr || local == nullptr || !a->active || a->stage >= kStageSold || a->winner >= 0 || a->noSale)
    return;
  const int32_t me = local->index;
  if (a->turn != me || !a->rows[me].stillIn) return;
  const Autobid* rule = AutobidFor(a->block.value);
  if (rule == nullptr) return;
  ScriptedPlayer& s = Scripted();
  const int32_t state[4] = {a->block.value, a->price, a->passes, a->lastBidder};
  if (std::equal(std::begin(state), std::end(state), std::begin(s.movedAt))) return;
  std::copy(std::begin(state), std::end(state), std::begin(s.movedAt));
  const int32_t bid = a->price + kBidRaise;
  if (bid <= rule->max && local->CanAfford(static_cast<float>(bid), false)) {
    PostAuctionBid(me, bid);
    ConsolePrintF(kConsoleReply, "Player %d bids %d for block %d", me + 1, bid, a->block.value);
  } else {
    PostAuctionPass(me);
    ConsolePrintF(kConsoleReply, "Player %d passes on block %d at %d", me + 1, a->block.value, a->price);
  }
}

int AutobidCommand(const char* rest) {
  Autobid rule;
  if (!ReadConsoleInt(rest, rule.max)) return Usage("AUTOBID max [block]");
  ReadConsoleInt(rest, rule.block);
  if (rule.block >= 0 && GetBlock(rule.block) == nullptr) {
    ConsolePrintF(kConsoleError, "Error. Block %d is not known", rule.block);
    return 0;
  }
  std::vector<Autobid>& rules = Scripted().autobids;
  std::erase_if(rules, [&](const Autobid& r) { return r.block == rule.block; });
  rules.push_back(rule);
  EnsureTask();
  return 0;
}

// ---- Waiting commands ---------------------------------------------------------------

bool Met(const Waiting& w) {
  switch (w.condition) {
    case Condition::kTick:
      return LogicTick() >= static_cast<uint32_t>(w.value);
    case Condition::kBlock: {
      const CBlock* b = GetBlock(w.value);
      return b != nullptr && LocalPlayerNumber() > 0 && b->Owner == LocalPlayerNumber();
    }
    case Condition::kShop:
      return LocalOwnsShop();
  }
  return false;
}

// HOLD t: this machine's logic stops at tick t and stays there (a test
// compares the machines at one tick).
int HoldCommand(const char* rest) {
  int32_t tick = 0;
  if (!ReadConsoleInt(rest, tick) || tick <= 0) {
    ConsolePrintF(kConsoleError, "Usage: HOLD tick");
    return 0;
  }
  Scripted().holdTick = uint32_t(tick);
  HoldLogicAtTick(Scripted().holdTick);
  EnsureTask();
  return 0;
}

int WhenCommand(const char* rest) {
  Waiting w;
  std::string word;
  if (!ReadConsoleWord(rest, word)) return Usage("WHEN TICK t | BLOCK b | SHOP command");
  UpperCaseWord(word);
  if (word == "TICK" || word == "BLOCK") {
    w.condition = word == "TICK" ? Condition::kTick : Condition::kBlock;
    if (!ReadConsoleInt(rest, w.value) || w.value < 0) return Usage("WHEN TICK t | BLOCK b | SHOP command");
  } else if (word == "SHOP") {
    w.condition = Condition::kShop;
  } else {
    return Usage("WHEN TICK t | BLOCK b | SHOP command");
  }
  std::string_view command = rest ? rest : "";
  while (!command.empty() && (command.front() == ' ' || command.front() == '\t')) command.remove_prefix(1);
  while (!command.empty() && (command.back() == '\n' || command.back() == '\r')) command.remove_suffix(1);
  if (command.empty()) return Usage("WHEN TICK t | BLOCK b | SHOP command");
  w.command = command;
  Scripted().waiting.push_back(std::move(w));
  EnsureTask();
  return 0;
}

void StepScriptedPlayer() {
  if (!RunState().gameRunning) return;
  ScriptedPlayer& s = Scripted();
  std::erase_if(s.leases, StepLease);
  StepAutobid();
  // Every command whose moment has come, in the order given; a command may
  // add more waiting ones.
  for (size_t i = 0; i < s.waiting.size();) {
    if (!Met(s.waiting[i])) {
      ++i;
      continue;
    }
    const std::string command = s.waiting[i].command;
    s.waiting.erase(s.waiting.begin() + static_cast<std::ptrdiff_t>(i));
    ExecuteConsoleCommand(command.c_str());
  }
  // A new level cleared the hold.
  HoldLogicAtTick(s.holdTick);
}

}  // namespace

void AttachScriptedPlayerCommands() {
  RegisterGameConsoleCommand("LEASE", LeaseCommand);
  RegisterGameConsoleCommand("BUILD", BuildCommand);
  RegisterGameConsoleCommand("AUTOBID", AutobidCommand);
  RegisterGameConsoleCommand("WHEN", WhenCommand);
  RegisterGameConsoleCommand("HOLD", HoldCommand);
}
