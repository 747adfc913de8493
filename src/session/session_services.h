#pragma once
// What the session needs of subsystems that are built on top of it or beside
// it: the city's per-tick and hourly jobs, businesses, auctions, goals,
// scenarios, scripts, computer players, chance cards, panels, sound and the
// network transport. Each service is a narrow virtual interface with a
// harmless default, so the session runs headless and alone; the subsystem
// that provides a service installs its implementation.
#include <cstdint>
#include <span>

class CNetMessage;
class CPlayer;

// City simulation steps and jobs not owned by the session.
class SessionWorldServices {
 public:
  virtual ~SessionWorldServices() = default;
  // Per running tick, in the tick driver's order.
  virtual void UpdateAnimatedScenery() {}
  virtual void UpdateNightWindows() {}
  virtual void UpdatePeople() {}
  virtual void UpdateParticles() {}
  virtual void UpdateTraffic() {}
  virtual void UpdateBlockAmbiencePositions() {}
  virtual void UpdateSmokeEmitters() {}
  virtual void StepPulsingLights() {}
  // Every logic tick, in every game state.
  virtual void StepEntityAnimations() {}
  // Hourly and daily jobs.
  virtual void ScheduleSceneryForHour(int32_t /*hour*/) {}
  virtual void UpdateBusinessAvailabilityHourly() {}
  virtual void UpdateBlockLeasesHourly();  // default: the city's block leases
  virtual void CloseBusinessDay() {}
  virtual void SettleBusinessesDaily() {}
  virtual void UpdatePeopleBlockMemoryDaily() {}
  virtual void UpdateHouseHuntDaily() {}
  virtual void UpdateTrafficForDecade(int32_t /*decade*/) {}
  // Sync snapshot checksums (wrapping sums).
  virtual int32_t PeopleChecksum() { return 0; }
  virtual int32_t TrafficChecksum() { return 0; }
};

// Business records (the economy). Owners are 1-based player numbers, 0 the city.
class SessionBusinessServices {
 public:
  virtual ~SessionBusinessServices() = default;
  virtual bool InUse(int32_t /*business*/) const { return false; }
  // Counted as owned unless its state is 2.
  virtual bool Counted(int32_t business) const { return InUse(business); }
  virtual int32_t Owner(int32_t /*business*/) const { return 0; }
  virtual void SetOwner(int32_t /*business*/, int32_t /*owner*/) {}
  virtual int32_t Type(int32_t /*business*/) const { return -1; }
  virtual int32_t Kind(int32_t /*business*/) const { return -1; }  // 1 residence
  virtual int32_t Building(int32_t /*business*/) const { return -1; }
  virtual int32_t Alloc(int32_t /*type*/, int32_t /*owner*/, int32_t /*building*/) { return -1; }
  virtual void Open(int32_t /*business*/, int32_t /*building*/, bool /*noCharge*/) {}
  virtual void Close(int32_t /*business*/) {}
  virtual void Refresh(int32_t /*business*/, bool /*noCharge*/) {}
  virtual float SellValue(int32_t /*business*/) const { return 0; }
  virtual float Rating(int32_t /*business*/) const { return 0; }
  virtual void ApplyPriceMessage(const CNetMessage& /*message*/) {}
  // The price of a commodity at a business; false when it does not sell it.
  virtual bool CommodityPrice(int32_t /*business*/, int32_t /*commodity*/, float& /*price*/) const {
    return false;
  }
  // Base price x factor of a commodity (commodity table).
  virtual float CommodityBaseValue(int32_t /*commodity*/) const { return 0; }
  // Rent and resident count of a residence.
  virtual void ResidentRent(int32_t /*business*/, float& rent, int32_t& residents) const {
    rent = 0;
    residents = 0;
  }
  // The resident households of the block's residences: for each, adds one to
  // the tally of every active commodity it wants, and counts it.
  virtual void CountBlockResidents(int32_t /*block*/, int16_t* /*tally32*/, int32_t& households) const {
    households = 0;
  }
  virtual int32_t Checksum() const { return 0; }
};

// Session parts built by later work: auctions, goals, scenarios, scripts,
// cut scenes, computer players, chance cards and the lobby.
class SessionGameServices {
 public:
  virtual ~SessionGameServices() = default;
  // Auctions. StartAuction is false when an auction already runs.
  virtual bool StartAuction(int32_t /*block*/, int32_t /*starter*/, int32_t /*opening*/) { return true; }
  virtual void OpenAuctionScreen(const CNetMessage&) {}
  virtual void ApplyAuctionMessage(const CNetMessage&) {}
  virtual void FinishAuction(const CNetMessage&) {}
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
  virtual void ApplyGoalMessage(const CNetMessage&) {}
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
  virtual void ApplyChanceCardEffect(const CNetMessage&) {}
  virtual void ChanceHourlyTick(CPlayer&) {}
  virtual void DrawCard(const CNetMessage&) {}
  virtual void DealCard(const CNetMessage&) {}
  virtual void ClearCardDrawn(int32_t /*card*/) {}
  virtual void SetHeldCard(CPlayer&, int32_t /*card*/) {}
  // Lobby messages 5, 6, 11 and 12 (the front end's lobby screens).
  virtual void LobbyMessage(const CNetMessage&) {}
  virtual void EndNetworkGame() {}
};

// Panels, prompts and sound.
class SessionInterfaceServices {
 public:
  virtual ~SessionInterfaceServices() = default;
  // A one-button prompt: portrait image, two line text ids, the button text.
  virtual void ShowPrompt(int32_t /*portrait*/, int32_t /*line1*/, int32_t /*line2*/, int32_t /*button*/) {}
  // A prompt for a player message (human players); false when none was shown.
  virtual bool ShowPlayerMessagePrompt(CPlayer&, const CNetMessage&) { return false; }
  virtual void RefreshSelectionPage() {}
  virtual void OnBlockRequestAnswered(int32_t /*block*/, int32_t /*force*/) {}
  virtual void OnDemolitionStarted(int32_t /*building*/) {}
  virtual void OnBusinessTraded(int32_t /*building*/) {}
  virtual void AddTickerMessage(std::span<const int32_t, 10> /*record*/) {}
  virtual void SetSpeedControl(bool /*fast*/) {}
  virtual void CloseLocalPlayerPanels() {}
  virtual void MoneyAnimation(bool /*gain*/) {}
  // Sound: returns a voice (0 none).
  virtual int32_t PlaySoundSample(const char* /*name*/, int32_t /*volume*/) { return 0; }
  virtual bool SoundPlaying(int32_t /*voice*/) const { return false; }
  virtual void StopSound(int32_t /*voice*/) {}
  virtual void PlayMusicTrack(int32_t /*era*/) {}
};

// The network transport (only used while a session is open).
class SessionNetworkServices {
 public:
  virtual ~SessionNetworkServices() = default;
  virtual void SendToHost(std::span<const uint8_t> /*bytes*/) {}
  virtual void SendToAll(std::span<const uint8_t> /*bytes*/) {}
  virtual void SendToSlot(int32_t /*slot*/, std::span<const uint8_t> /*bytes*/) {}
  virtual void CloseSession() {}
  virtual void StopPollTask() {}
};

struct SessionServices {
  SessionWorldServices* world;
  SessionBusinessServices* business;
  SessionGameServices* game;
  SessionInterfaceServices* ui;
  SessionNetworkServices* network;
};

// The installed services; every pointer is always valid.
SessionServices& Services();
void SetSessionWorldServices(SessionWorldServices* s);
void SetSessionBusinessServices(SessionBusinessServices* s);
void SetSessionGameServices(SessionGameServices* s);
void SetSessionInterfaceServices(SessionInterfaceServices* s);
void SetSessionNetworkServices(SessionNetworkServices* s);
void RestoreDefaultSessionServices();
