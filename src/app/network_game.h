#pragma once
// The network game of this machine: opens the transport as the command line
// says (HOST, JOIN address, PORT, SESSIONNAME), gathers the players, starts
// the level on every machine at once, and carries the game messages, the
// transport's system events and chat between the transport and the session.
//
// Until the lobby screens exist the host starts the game when PLAYERS
// machines (itself included) have joined, and seats COMPUTERS computer
// players in the free slots after them, as the lobby's slot toggle does.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/net_transport.h"
#include "session/session_services.h"

struct StartupOptions;

class NetworkGame final : public SessionNetworkServices {
 public:
  // Hosts or joins as the options say. False (with a warning) when no
  // transport exists or it cannot open: the game is then single player.
  bool Open(const StartupOptions& options);
  // As Open, with a transport of the caller's (tests).
  bool OpenWith(std::unique_ptr<platform::NetTransport> transport, const StartupOptions& options);
  bool IsOpen() const { return transport_ != nullptr; }
  // The menus' road: a transport to search with, then a session hosted or
  // joined from the session list; the lobby gathers the players and START
  // starts the level.
  bool OpenForMenus();
  void EnumerateSessions();
  void StopSessionEnumeration();
  std::vector<platform::NetSessionInfo> Sessions() const;
  bool HostFromMenus(const std::string& sessionName);
  bool JoinFromMenus(int32_t index);
  void SetSessionUserValues(const int32_t words[4]);
  void EnableJoining(bool on);
  void RefusePlayer(int32_t id);
  int32_t LocalId() const;
  // The poll task: every waiting event, then the ready barrier.
  void Poll();
  // The pump task, ten times as often: the transport reads its socket.
  void Pump();
  // Ends the network game on this machine: set-up rows, session, poll task.
  void End();

  // SessionNetworkServices
  void SendToHost(std::span<const uint8_t> bytes) override;
  void SendToAll(std::span<const uint8_t> bytes) override;
  void SendToSlot(int32_t slot, std::span<const uint8_t> bytes) override;
  void SendChat(std::string_view text, int32_t slot) override;
  void CloseSession() override;
  void StopPollTask() override;
  void DropSlot(int32_t slot) override;

 private:
  void Handle(const platform::NetEvent& event);
  void LearnIds();
  void PublishGathering();
  void StartWhenGathered();
  void StartLevelWhenToldTo();
  bool StartSession(std::unique_ptr<platform::NetTransport> transport, bool host);

  std::unique_ptr<platform::NetTransport> transport_;
  std::unique_ptr<platform::NetTransport> browser_;  // the session list's searches
  bool menus_ = false;  // gathered by the lobby, not by PLAYERS
  int32_t expectedPlayers_ = 2;
  int32_t computers_ = 0;
  int32_t pollTask_ = -1;
  int32_t pumpTask_ = -1;
  bool started_ = false;
};

NetworkGame& TheNetworkGame();
// The scheduler tasks (5 and 50 calls per second, never paused).
void PollNetwork();
void PumpNetwork();
