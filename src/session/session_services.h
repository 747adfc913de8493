#pragma once
// What the session reaches above it: the scripts' events, the computer
// players (their factory and bookkeeping) and the network transport, each a
// narrow virtual with a harmless default so the session runs headless and
// alone. Cut scenes and the lobby wait here too until they are built; they
// then live in the simulation and are called directly (as chance cards do). The
// interface and sound are told through the game events (game_events.h),
// never asked.
#include <cstdint>
#include <span>
#include <string_view>

class CPlayer;
struct LobbySetupMsg;
struct LobbySlotMsg;

// Session parts above the simulation or built by later work: scripts, cut
// scenes, computer players and the lobby.
class SessionGameServices {
 public:
  virtual ~SessionGameServices() = default;
  // Cut scenes.
  virtual bool CutSceneRunning() const { return false; }
  // Scripts.
  virtual void CatchEvent(const char* /*name*/, int32_t /*argument*/) {}
  virtual void TriggerEvent(const char* /*name*/, int32_t /*delayTicks*/, int32_t /*argument*/) {}
  virtual void TickScriptTimers() {}
  // Runs a script file in the current state (a level's hub); false on failure.
  virtual bool RunScriptFile(const char* /*path*/) { return false; }
  // Computer players. The default player does nothing but drop its messages.
  virtual CPlayer* CreateComputerPlayer(int32_t characterRow);
  virtual void RunAiTick() {}
  virtual void RunAiHourlyUpdate() {}
  virtual void RunAiDayRollover() {}
  virtual void SyncOwnershipLists(CPlayer&) {}
  virtual void ResumeComputerPlayer(CPlayer&) {}
  virtual void SetComputerDifficulty(CPlayer&, int32_t /*difficulty*/) {}
  virtual void LoadAiCharacterScripts() {}
  virtual void ResetAiCharacters() {}
  // Lobby messages 5, 6 and 12 (the front end's lobby screens).
  virtual void LobbySetup(const LobbySetupMsg&) {}
  virtual void LobbySlot(const LobbySlotMsg&) {}
  virtual void CycleTokenAndSend(int32_t /*slot*/, int32_t /*direction*/) {}
  virtual void EndNetworkGame() {}
};

// The network transport (only used while a session is open).
class SessionNetworkServices {
 public:
  virtual ~SessionNetworkServices() = default;
  virtual void SendToHost(std::span<const uint8_t> /*bytes*/) {}
  virtual void SendToAll(std::span<const uint8_t> /*bytes*/) {}
  virtual void SendToSlot(int32_t /*slot*/, std::span<const uint8_t> /*bytes*/) {}
  // Chat to every player (slot -1) or to one; it arrives through
  // OnDirectPlayChatMessage on the other machines.
  virtual void SendChat(std::string_view /*text*/, int32_t /*slot*/) {}
  virtual void CloseSession() {}
  virtual void StopPollTask() {}
  // Host: sends the machine of a slot away (it kept the game waiting).
  virtual void DropSlot(int32_t /*slot*/) {}
};

struct SessionServices {
  SessionGameServices* game;
  SessionNetworkServices* network;
};

// The installed services; every pointer is always valid.
SessionServices& Services();
void SetSessionGameServices(SessionGameServices* s);
void SetSessionNetworkServices(SessionNetworkServices* s);
void RestoreDefaultSessionServices();
