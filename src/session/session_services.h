#pragma once
// What the session reaches above it: the scripts' events, the computer
// players (their factory and bookkeeping) and the network transport, each a
// narrow virtual with a harmless default so the session runs headless and
// alone. Auctions, goals, scenarios, cut scenes, chance cards and the lobby
// wait here too until they are built; they then live in the simulation and
// are called directly. The interface and sound are told through the game
// events (game_events.h), never asked.
#include <cstdint>
#include <span>
#include <string_view>

class CPlayer;
struct AuctionStepMsg;
struct GoalResultMsg;
struct LobbySetupMsg;
struct LobbySlotMsg;
struct PlayCardMsg;
struct PlayerMessage;

// Session parts built by later work: auctions, goals, scenarios, scripts,
// cut scenes, computer players, chance cards and the lobby.
class SessionGameServices {
 public:
  virtual ~SessionGameServices() = default;
  // Auctions. StartAuction is false when an auction already runs.
  virtual bool StartAuction(int32_t /*block*/, int32_t /*starter*/, int32_t /*opening*/) { return true; }
  virtual void OpenAuctionScreen() {}
  virtual void ApplyAuctionMessage(const AuctionStepMsg&) {}
  virtual void FinishAuction() {}
  virtual void StepAuctioneer() {}
  virtual bool AuctionRunning() const { return false; }
  virtual int32_t AuctionBlock() const { return -1; }
  virtual int32_t AuctionPlayer() const { return -1; }  // seller of the running auction
  virtual void EndAuction() {}
  virtual void ResetAuction() {}
  // Goals.
  virtual void CheckGoals() {}
  virtual void HourlyGoalCheck() {}
  virtual void EveningGoalCheck() {}
  virtual void ApplyGoalMessage(const GoalResultMsg&) {}
  // Scenarios and cut scenes.
  virtual bool IsTutorialRunning() const { return false; }
  virtual bool SelectScenario(int32_t /*id*/, bool /*run*/) { return false; }
  virtual bool CutSceneRunning() const { return false; }
  // Scripts.
  virtual void CatchEvent(const char* /*name*/, int32_t /*argument*/) {}
  virtual void TriggerEvent(const char* /*name*/, int32_t /*delayTicks*/, int32_t /*argument*/) {}
  virtual void TickScriptTimers() {}
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
  // Chance cards.
  virtual void ApplyChanceCardEffect(const PlayCardMsg&) {}
  virtual void ChanceHourlyTick(CPlayer&) {}
  virtual void DrawCard(const PlayerMessage&) {}
  virtual void DealCard(const PlayerMessage&) {}
  virtual void ClearCardDrawn(int32_t /*card*/) {}
  virtual void SetHeldCard(CPlayer&, int32_t /*card*/) {}
  // Lobby messages 5, 6 and 12 (the front end's lobby screens).
  virtual void LobbySetup(const LobbySetupMsg&) {}
  virtual void LobbySlot(const LobbySlotMsg&) {}
  virtual void CycleTokenAndSend(int32_t /*slot*/, int32_t /*direction*/) {}
  virtual void EndNetworkGame() {}
  // The chat log (a line received from the slot's player).
  virtual void AddChatLine(int32_t /*slot*/, std::string_view /*text*/) {}
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
