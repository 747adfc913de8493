#include "app/network_game.h"

#include <algorithm>
#include <ctime>
#include <string>

#include "app/game.h"
#include "app/game_parts.h"
#include "engine/core/console.h"
#include "engine/core/error.h"
#include "engine/core/run_state.h"
#include "engine/core/system_settings.h"
#include "frontend/network_pages.h"
#include "script/profiles.h"
#include "session/game_messages.h"
#include "session/player.h"
#include "session/scenarios.h"
#include "session/net_log.h"
#include "session/ready_barrier.h"
#include "session/session_state.h"
#include "session/tick_driver.h"

namespace {

constexpr float kPollRate = 5.0f;
constexpr float kPumpRate = 50.0f;
constexpr int32_t kPollGroup = 0;  // never paused
constexpr const char* kDefaultSessionName = "Rentopia Civano";

std::string LocalName() { return PlayerProfile().name[0] ? PlayerProfile().name : "Player"; }

}  // namespace

NetworkGame& TheNetworkGame() {
  static NetworkGame game;
  return game;
}

void PollNetwork() { TheNetworkGame().Poll(); }
void PumpNetwork() { TheNetworkGame().Pump(); }

bool NetworkGame::Open(const StartupOptions& options) {
  std::unique_ptr<platform::NetTransport> transport = platform::CreateNetTransport();
  if (transport == nullptr) {
    ReportError(1, 0, "Failed to initialise network");
    return false;
  }
  return OpenWith(std::move(transport), options);
}

bool NetworkGame::OpenWith(std::unique_ptr<platform::NetTransport> transport, const StartupOptions& options) {
  End();
  const std::string name = LocalName();
  const uint16_t port = static_cast<uint16_t>(options.port);
  SessionState& s = Session();
  bool opened = false;
  if (options.hostSession) {
    const char* session = options.sessionName[0] ? options.sessionName : kDefaultSessionName;
    opened = transport->HostSession(session, port, name, name);
  } else {
    opened = options.hostAddress[0] != 0 &&
             transport->JoinSession(options.hostAddress, port, name, name,
                                    static_cast<uint32_t>(s.executableVersion));
  }
  if (!opened) {
    ReportErrorF(1, "Could not %s the network game on port %d.", options.hostSession ? "host" : "join",
                 options.port);
    return false;
  }
  expectedPlayers_ = options.networkPlayers;
  computers_ = std::max(options.computers, 0);
  menus_ = false;
  StartSession(std::move(transport), options.hostSession);
  if (s.host) OnDirectPlayPlayerCreated(s.localDirectPlayId, name, PlayerProfile().PreferredCharacter);
  PublishGathering();
  ConsolePrintF(kConsoleReply, "%s the network game on port %d", s.host ? "Hosting" : "Joining", options.port);
  return true;
}

// The session's state on this machine and the poll task, for either road.
bool NetworkGame::StartSession(std::unique_ptr<platform::NetTransport> transport, bool host) {
  transport_ = std::move(transport);
  started_ = false;
  SessionState& s = Session();
  s.networkSession = true;
  s.host = host;
  s.sessionLost = false;
  s.networkGameStarted = false;
  s.localSlot = 0;
  s.serverSlot = 0;
  s.localDirectPlayId = static_cast<int32_t>(transport_->LocalId());
  s.hostDirectPlayId = static_cast<int32_t>(transport_->HostId());
  PlayerTable().ClearPlayerSetupRows();
  SetSessionNetworkServices(this);
  if (pollTask_ < 0) {
    pollTask_ = GameScheduler().AddTask(kPollRate, PollNetwork, kPollGroup, true);
    pumpTask_ = GameScheduler().AddTask(kPumpRate, PumpNetwork, kPollGroup, true);
  } else {
    GameScheduler().EnableTask(pollTask_);
    GameScheduler().EnableTask(pumpTask_);
  }
  return true;
}

bool NetworkGame::OpenForMenus() {
  if (browser_ == nullptr) browser_ = platform::CreateNetTransport();
  return browser_ != nullptr;
}

// This machine, the local network and the command line's JOIN address.
void NetworkGame::EnumerateSessions() {
  if (browser_ == nullptr) return;
  const StartupOptions& o = g_StartupOptions;
  const std::string address = o.networkStart && !o.hostSession && o.hostAddress[0] ? o.hostAddress : "";
  browser_->EnumerateSessions(address, static_cast<uint16_t>(o.port));
  for (const platform::NetEvent& e : browser_->Poll())
    if (e.kind == platform::NetEventKind::kWarning) OnDirectPlayWarning(0, e.text);
  FlushNetLog();
}

void NetworkGame::StopSessionEnumeration() {
  if (browser_) browser_->StopSessionEnumeration();
}

std::vector<platform::NetSessionInfo> NetworkGame::Sessions() const {
  return browser_ ? browser_->Sessions() : std::vector<platform::NetSessionInfo>{};
}

bool NetworkGame::HostFromMenus(const std::string& sessionName) {
  End();
  std::unique_ptr<platform::NetTransport> transport = platform::CreateNetTransport();
  const std::string name = LocalName();
  if (transport == nullptr ||
      !transport->HostSession(sessionName, static_cast<uint16_t>(g_StartupOptions.port), "", name))
    return false;
  menus_ = true;
  StartSession(std::move(transport), true);
  ConsolePrintF(kConsoleReply, "Hosting the network game %s on port %d", sessionName.c_str(), g_StartupOptions.port);
  return true;
}

bool NetworkGame::JoinFromMenus(int32_t index) {
  const std::vector<platform::NetSessionInfo> found = Sessions();
  if (index < 0 || index >= static_cast<int32_t>(found.size()) || found[size_t(index)].joinDisabled) return false;
  const platform::NetSessionInfo& info = found[size_t(index)];
  End();
  std::unique_ptr<platform::NetTransport> transport = platform::CreateNetTransport();
  const std::string name = LocalName();
  if (transport == nullptr || !transport->JoinSession(info.address, static_cast<uint16_t>(info.port), "", name,
                                                      static_cast<uint32_t>(Session().executableVersion)))
    return false;
  menus_ = true;
  StartSession(std::move(transport), false);
  ConsolePrintF(kConsoleReply, "Joining the network game %s", info.name.c_str());
  return true;
}

void NetworkGame::SetSessionUserValues(const int32_t words[4]) {
  if (transport_) transport_->SetSessionUserValues(words);
}

void NetworkGame::EnableJoining(bool on) {
  if (!transport_) return;
  if (on) transport_->EnableJoining();
  else transport_->DisableJoining();
}

void NetworkGame::RefusePlayer(int32_t id) {
  if (transport_) transport_->DropPlayer(static_cast<uint32_t>(id));
}

int32_t NetworkGame::LocalId() const { return transport_ ? static_cast<int32_t>(transport_->LocalId()) : 0; }

void NetworkGame::Pump() {
  if (transport_ != nullptr) transport_->Pump();
}

void NetworkGame::Poll() {
  if (transport_ == nullptr) return;
  for (const platform::NetEvent& event : transport_->Poll()) {
    // A client learns its id and the host's with the welcome, before the
    // host's first list.
    LearnIds();
    Handle(event);
    if (transport_ == nullptr) return;  // the session ended
    // A client starts its level as soon as the start arrives, before any
    // message the host sent after it is applied.
    StartLevelWhenToldTo();
  }
  LearnIds();
  PublishGathering();
  StartWhenGathered();
  RunPlayerReadyWait();
  RunClientLagWait();
  FlushNetLog();
}

void NetworkGame::LearnIds() {
  SessionState& s = Session();
  if (!transport_->InSession()) return;
  if (s.localDirectPlayId == 0) s.localDirectPlayId = static_cast<int32_t>(transport_->LocalId());
  if (s.hostDirectPlayId == 0) s.hostDirectPlayId = static_cast<int32_t>(transport_->HostId());
}

void NetworkGame::Handle(const platform::NetEvent& e) {
  const int32_t from = static_cast<int32_t>(e.from);
  switch (e.kind) {
    case platform::NetEventKind::kGame:
      OnDirectPlayGameMessage(e.data, from);
      break;
    case platform::NetEventKind::kChat:
      ConsolePrintF(kConsoleReply, "Chat from player %d: %s", from, e.text.c_str());
      OnDirectPlayChatMessage(from, e.text);
      break;
    case platform::NetEventKind::kPlayerCreated:
      if (menus_) {
        // The lobby seats the player (the host's lobby; a client hears of
        // players through the host's slot list).
        if (!Session().inGame) LobbyPlayerJoined(from, e.longName.empty() ? e.shortName : e.longName);
      } else {
        // A player who joined from the session list gives its name as the
        // long name only.
        OnDirectPlayPlayerCreated(from, e.shortName.empty() ? e.longName : e.shortName);
      }
      break;
    case platform::NetEventKind::kPlayerDestroyed:
      if (menus_ && !Session().inGame) LobbyPlayerLeft(from);
      else OnDirectPlayPlayerDestroyed(from);
      break;
    case platform::NetEventKind::kSessionLost:
      // Shown on this machine only: its game is over, nobody waits for it.
      ReportError(1, 0, e.text.c_str());
      OnDirectPlaySessionLost();
      break;
    case platform::NetEventKind::kWarning:
      OnDirectPlayWarning(from, e.text);
      break;
  }
}

// A host gathering by the command line tells the session lists what its
// lobby would: the level it will start, the difficulty and goal, and the
// machines in and the machines it waits for, so the game can be chosen and
// joined from a list.
void NetworkGame::PublishGathering() {
  if (menus_ || started_ || !Session().host) return;
  const LevelEntry* level = FindKnownLevel(kNetworkFreePlayId);
  const int32_t words[4] = {kNetworkFreePlayId, ScenarioManager().Difficulty(),
                            level ? int32_t(level->goalValue) : 0,
                            (expectedPlayers_ << 16) | std::min(transport_->PlayerCount(), expectedPlayers_)};
  transport_->SetSessionUserValues(words);
}

// Host: once the expected machines are in, joining closes, the set-up rows
// go to every machine, then the start (seed, level, version); the host then
// starts its own level.
void NetworkGame::StartWhenGathered() {
  if (menus_ || started_ || !Session().host || transport_->PlayerCount() < expectedPlayers_) return;
  started_ = true;
  transport_->DisableJoining();
  SeatComputerPlayers(computers_);
  LobbySetupMsg setup;
  CPlayerTable& table = PlayerTable();
  for (int i = 0; i < kMaxPlayers; ++i) {
    const PlayerSetupRow& row = table.SetupRow(i);
    setup.kinds[i] = row.kind == kPlayerHuman ? 0 : row.kind == kPlayerComputer ? 1 : 2;
    setup.tokens[i] = static_cast<int8_t>(row.character);
    setup.directPlayId[i] = row.directPlayId;
    std::copy(std::begin(row.name), std::end(row.name) - 1, setup.names[i]);
  }
  Post(setup);
  Post(GameStartMsg{static_cast<int32_t>(std::time(nullptr)), kNetworkFreePlayId, Session().executableVersion});
  StartLevelWhenToldTo();
}

void NetworkGame::StartLevelWhenToldTo() {
  const SessionState& s = Session();
  if (!s.networkGameStarted || s.inGame || RunState().gameRunning) return;
  const LevelEntry* level = FindKnownLevel(s.networkScenario);
  // Who sits where, as every machine starts the level with it.
  for (int32_t i = 0; i < kMaxPlayers; ++i) {
    const PlayerSetupRow& row = PlayerTable().SetupRow(i);
    if (row.kind != kPlayerEmpty)
      ConsolePrintF(kConsoleReply, "Seat %d: %.31s, token %d", i + 1, row.name, row.character);
  }
  // A client's lobby closes for the level the host started.
  CloseNetworkLobbyForStart();
  TheGame().NewGame(level ? level : &FreePlayLevel());
}

void NetworkGame::End() {
  if (transport_ == nullptr) return;
  ResetNetLog();  // what was left out of the log is told first
  PlayerTable().ClearPlayerSetupRows();
  CloseSession();
  StopPollTask();
}

void NetworkGame::SendToHost(std::span<const uint8_t> bytes) {
  if (transport_) transport_->SendToAll(bytes.data(), bytes.size());
}

void NetworkGame::SendToAll(std::span<const uint8_t> bytes) {
  if (transport_) transport_->SendToAll(bytes.data(), bytes.size());
}

void NetworkGame::SendToSlot(int32_t slot, std::span<const uint8_t> bytes) {
  if (!transport_ || slot < 0 || slot >= kMaxPlayers) return;
  const int32_t id = PlayerTable().SetupRow(slot).directPlayId;
  if (id != 0) transport_->SendToPlayer(static_cast<uint32_t>(id), bytes.data(), bytes.size());
}

void NetworkGame::SendChat(std::string_view text, int32_t slot) {
  if (!transport_ || slot >= kMaxPlayers) return;
  const int32_t id = slot < 0 ? 0 : PlayerTable().SetupRow(slot).directPlayId;
  if (slot < 0 || id != 0) transport_->SendChat(std::string(text), static_cast<uint32_t>(id));
}

void NetworkGame::CloseSession() {
  if (transport_) transport_->CloseSession();
  transport_.reset();
  SessionState& s = Session();
  s.networkSession = false;
  s.host = false;
  s.networkGameStarted = false;
  s.localDirectPlayId = 0;
  s.hostDirectPlayId = 0;
  SetSessionNetworkServices(nullptr);
}

void NetworkGame::DropSlot(int32_t slot) {
  if (!transport_ || slot < 0 || slot >= kMaxPlayers) return;
  const int32_t id = PlayerTable().SetupRow(slot).directPlayId;
  if (id > 0) transport_->DropPlayer(static_cast<uint32_t>(id), true);
}

void NetworkGame::StopPollTask() {
  if (pollTask_ >= 0) GameScheduler().DisableTask(pollTask_);
  if (pumpTask_ >= 0) GameScheduler().DisableTask(pumpTask_);
}
