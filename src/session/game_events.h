#pragma once
// The simulation's one way up: game events for what is above it (the
// interface's prompts, panels and ticker, money animations, sound and music).
// The simulation posts them and never asks those layers anything or holds a
// handle of theirs; the game root drains them once per frame and hands each
// to the interface and to sound. They are no part of the simulation's state:
// never read back, never saved, never checksummed.
#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "session/game_messages.h"

// A one-button prompt: the portrait image, the line text, the body text and
// the text filling the body's argument (0 none), the button text.
struct PromptEvent {
  int32_t portrait = 0;
  int32_t line = 0;
  int32_t body = 0;
  int32_t bodyArg = 0;
  int32_t button = 0;
};
// A player message for the local human player to see (buy requests and
// answers, debt warnings, buy-outs) with its prompt: the portrait of the
// sender's character (portrait 302 when the city sent it or the prompt is
// the game's own), two text lines and up to two buttons. The buy request's
// answer goes to CHumanPlayer::AnswerBuyRequest; the bought-out prompt's
// close to CHumanPlayer::OnPromptClosed.
struct PlayerMessageEvent {
  int32_t player = 0;  // index 0..5
  PlayerMessage message;
  int32_t portraitPlayer = -1;  // -1: portrait 302
  int32_t line1 = 0;
  int32_t line2 = 0;
  int32_t buttons[2] = {1435, 0};
  int32_t buttonCount = 1;
};
// The selection panel's page shows figures that changed; `rebuild` after a
// chance card's effect, which may have changed what the page lists.
struct SelectionPageEvent {
  bool rebuild = false;
};
// A block request was answered (force 1: refused).
struct BlockAnsweredEvent {
  int32_t block = -1;
  int32_t force = 0;
};
struct DemolitionStartedEvent {
  int32_t building = -1;
};
// A business changed hands (-1: its building is gone).
struct BusinessTradedEvent {
  int32_t building = -1;
};
// One status-line record for the ticker.
struct TickerEvent {
  StatusRecord record;
};
// The logic speed switch changed.
struct SpeedEvent {
  bool fast = false;
};
// The local player left the game: its panels close.
struct LocalPlayerLeftEvent {};
// The local player's money went up (gain) or down.
struct MoneyEvent {
  bool gain = false;
};
// Play a sample (a name in the sound bank) at a volume 0..100; stop it if it
// still plays.
struct SoundEvent {
  const char* sample = "";
  int32_t volume = 100;
};
struct StopSoundEvent {
  const char* sample = "";
};
// The music of an era (decade 0..7).
struct MusicEvent {
  int32_t era = 0;
};

// The host found a client's sync snapshot different from its own: the
// report names the tick, the client and both snapshots, for the desync log.
struct DesyncEvent {
  uint32_t tick = 0;
  int32_t client = 0;  // the client's player index
  std::string report;
};
// A music track by file name (the win and lose sequences).
struct MusicTrackEvent {
  const char* track = "";
};
// What the auction timer, the auction room and its panels show. Announced:
// block, leader (player), opening value, countdown in seconds (value2).
// Turn: the player whose turn it is. Bid, pass, pull-out: the player (and
// the amount). Stage: the auctioneer's stage in value. Closed: the room
// closes; ended: the timer panel closes.
enum AuctionEventKind : int32_t {
  kAuctionAnnounced,
  kAuctionRoomOpened,
  kAuctionTurn,
  kAuctionBid,
  kAuctionPass,
  kAuctionPullOut,
  kAuctionStage,
  kAuctionRoomClosed,
  kAuctionEnded,
};
struct AuctionEvent {
  AuctionEventKind kind = kAuctionAnnounced;
  int32_t block = -1;
  int32_t player = -1;
  int32_t value = 0;
  int32_t value2 = 0;
};
// The voting panel: the day's shares in percent, each player's votes won
// (-1 none shown), the player it names (-1 none), whether that player won
// the vote, and whether the vote picks the weakest player (no votes or
// rosettes then).
struct VoteEvent {
  std::array<float, 6> shares{};
  std::array<int32_t, 6> votes{-1, -1, -1, -1, -1, -1};
  int32_t named = -1;
  bool winner = false;
  bool weakestLink = false;
};
// A goal result prompt: portrait of `player`'s character, two text lines
// (each a text id with an argument: a player's name, money or a number). The
// interface calls CloseGoalResult with it when the prompt closes.
struct GoalResultEvent {
  int32_t player = -1;
  int32_t result = 0;
  int32_t line1 = 0;
  int32_t line2 = 0;
  int32_t nameArg = -1;  // the player named in the lines, -1 none
  float amountArg = 0;   // the objective's target
  int32_t endCode = -1;  // closing starts the end sequence with this code; -1 none
  int32_t timeoutSeconds = 30;
};
// A cut scene to play by name with the end sequence's two character tokens.
struct CutSceneEvent {
  const char* name = "";
  int32_t code = 10;  // the end sequence's result code
  int32_t winnerToken = 10;
  int32_t loserToken = 10;
};

// What a level script asks of the prompt panel (the auction screen's prompt
// panel when `auctionScreen` is set, else the in-game one). Open: a new
// prompt with portrait 302 and two lines, each a text id formatted with
// `number` or, when the id is 0, the plain text; `scriptId` goes back with
// ScriptPromptClosed (script/interface_bindings.h) when it closes. A prompt
// (not a message) has one highlighted button (text 1707) and the prompt
// controls 0..5 enabled; `noTimeout` keeps it up until it is closed.
enum ScriptPromptAction : int32_t {
  kScriptPromptOpen,
  kScriptPromptEventList,  // the event list panel
  kScriptPromptDismiss,    // close the prompt panel
  kScriptPromptArrow,      // point at (x, y) with the tutor figure
  kScriptPromptPosition,   // move the panel: x and/or y as given
};
struct ScriptPromptLine {
  int32_t textId = 0;
  int32_t number = 0;
  std::string text;
};
struct ScriptPromptEvent {
  ScriptPromptAction action = kScriptPromptOpen;
  bool auctionScreen = false;
  ScriptPromptLine lines[2];
  int32_t scriptId = 0;
  bool withButton = false;
  int32_t buttonText = 0;
  bool noTimeout = false;
  float x = 0, y = 0;
  bool hasX = false, hasY = false;
};
// A fireworks show by preset (Game.StartFireworks).
struct FireworksEvent {
  int32_t preset = 0;
};
// A chance card. Shown: the local player's held card goes to the card panel.
// Announced: another player played it; the local player was paid or
// charged the amount (its absolute value) when `localTouched`.
enum ChanceCardEventKind : int32_t { kCardShown, kCardAnnounced };
struct ChanceCardEvent {
  ChanceCardEventKind kind = kCardShown;
  int32_t player = 0;
  int32_t card = 0;
  float localAmount = 0;
  bool localTouched = false;
};

using GameEvent = std::variant<PromptEvent, PlayerMessageEvent, SelectionPageEvent, BlockAnsweredEvent,
                               DemolitionStartedEvent, BusinessTradedEvent, TickerEvent, SpeedEvent,
                               LocalPlayerLeftEvent, MoneyEvent, SoundEvent, StopSoundEvent, MusicEvent,
                               DesyncEvent, MusicTrackEvent, AuctionEvent, VoteEvent, GoalResultEvent,
                               CutSceneEvent, ScriptPromptEvent, FireworksEvent, ChanceCardEvent>;

// Events wait at most this many; with nobody draining (tests, a stalled
// frame) later ones are dropped rather than piling up.
inline constexpr size_t kMaxPendingGameEvents = 4096;

void PostGameEvent(const GameEvent& event);
// Every event posted since the last call, oldest first.
std::vector<GameEvent> TakeGameEvents();
void ClearGameEvents();
