#pragma once
// The network pages: the session list, the host page and the lobby with its
// chat. What they ask of the network (the transport, the poll task, the
// command line's network options) is the FrontEndNetwork the game installs;
// the session's lobby messages and the transport's joins and leaves reach
// the lobby through the functions below.
#include <cstdint>
#include <string>
#include <vector>

#include "frontend/lobby_rules.h"

struct LobbySetupMsg;
struct LobbySlotMsg;

// A session a search found: its name, instance and the host's four values
// (level id, difficulty, goal value, max players << 16 | players).
struct FoundSession {
  std::string name;
  uint32_t instance = 0;
  int32_t user[4] = {};
};

class FrontEndNetwork {
 public:
  virtual ~FrontEndNetwork() = default;
  // Brings the transport up; false when there is none.
  virtual bool Init() { return false; }
  virtual void EnumerateSessions() {}
  virtual void StopSessionEnumeration() {}
  virtual std::vector<FoundSession> Sessions() { return {}; }
  // Joins the found session (and starts the poll task); false when refused.
  virtual bool JoinSession(int32_t /*index*/, const std::string& /*playerName*/) { return false; }
  // Hosts a session of at most six players (and starts the poll task).
  virtual bool HostSession(const std::string& /*name*/) { return false; }
  virtual void SetSessionUserValues(const int32_t /*words*/[4]) {}
  virtual void EnableJoining(bool /*on*/) {}
  // Host: a player who joined with no slot open is sent away.
  virtual void RefusePlayer(int32_t /*id*/) {}
  // The set-up rows cleared, the session closed, the poll task stopped.
  virtual void EndSession() {}
  virtual int32_t LocalId() { return 0; }
  // The command line asked to host or join (HOST, JOIN, SESSIONNAME).
  virtual bool StartedWithNetworkOptions() { return false; }
  virtual std::string SessionNameOption() { return {}; }
  // The name this machine's player goes by.
  virtual std::string PlayerName() { return {}; }
};

void SetFrontEndNetwork(FrontEndNetwork* network);
FrontEndNetwork& FrontEndNet();

// The lobby's share of the session's messages (kinds 5, 6 and 12) and of the
// transport's events; each does nothing while the lobby is closed.
void LobbyTakeSetup(const LobbySetupMsg& message);
void LobbyTakeSlot(const LobbySlotMsg& message);
void LobbyCycleTokenAndSend(int32_t slot, int32_t step);
void LobbyPlayerJoined(int32_t id, const std::string& name);
void LobbyPlayerLeft(int32_t id);
bool NetworkLobbyOpen();
// The network game ended under the lobby: back to the session list.
void LeaveNetworkLobby();
// A client's start has come: the lobby closes for the level.
void CloseNetworkLobbyForStart();
// The lobby's slots as shown now.
const LobbySlots& NetworkLobbySlots();
