#pragma once
// The scenario manager: the playable levels (tutorials, single-player and
// network levels) that the front end's scripts register, the level being
// played, the game's difficulty and each level's progress for the player
// profile.
#include <cstdint>
#include <deque>
#include <string>

// Level kinds (id / 100000): 1 tutorial, 2 and 4 single-player, 3 network.
inline constexpr int32_t kLevelKindTutorial = 1;
inline constexpr int32_t kLevelKindMax = 6;
inline constexpr int32_t kLevelStandard = 200016;   // completing it opens the bonus level
inline constexpr int32_t kLevelBonus = 400001;

struct ScenarioEntry {
  uint8_t available = 1;
  uint8_t listFlag = 0;  // 1: single-player lists, 0: network lists
  std::string name;
  int32_t value = 0;
  std::string folder;
  int32_t id = 0;
  std::string description;
  int32_t flagValue = 0;
  bool tutorial = false;
  int32_t progress[4] = {};  // the fourth is the unlocked flag
  uint8_t completed[3] = {};  // per difficulty
  bool registeredById = false;
  // The goal the host page chose for a network-kind level (0: the level's own).
  float goalValue = 0;

  bool Unlocked() const { return progress[3] != 0; }
};

class CScenarioManager {
 public:
  // Registering an id already known replaces that entry's texts and folder
  // (the front end's scripts run again whenever the menu opens). Null for a
  // kind above 6.
  ScenarioEntry* RegisterLevel(int32_t id, const char* name, const char* folder, const char* description);
  ScenarioEntry* RegisterLevelId(int32_t id, int32_t value, const char* folder, int32_t flagValue);

  // Selects the level of that id among the single-player levels (run false)
  // or the network levels (run true); with run, its hub runs again and the
  // event "SetObjective" is raised. -1 or an unknown id: no level.
  bool SelectScenario(int32_t id, bool run);

  const ScenarioEntry* FirstEntry(int32_t selector) const;
  const ScenarioEntry* NextEntry(const ScenarioEntry* after, int32_t selector) const;
  const ScenarioEntry* NextAnyEntry(const ScenarioEntry* after) const;
  const ScenarioEntry* FindById(int32_t id) const;

  const ScenarioEntry* Current() const { return current_; }
  // The level a game plays (any entry of the list, or null).
  void SetCurrent(const ScenarioEntry* entry);

  // 0..2, kept in the save header record (saved with the game); selects
  // the railroad and utility income values of the difficulty.
  void SetDifficulty(int32_t difficulty);
  int32_t Difficulty() const;

  void ResetProgress();
  const ScenarioEntry* UnlockFirstScenario();
  void UnlockNextScenario();
  void UnlockById(int32_t id);
  void MarkCurrentCompleted();
  bool IsTutorialRunning() const { return current_ != nullptr && current_->tutorial; }

  // Every entry (tests, program end).
  void Clear();
  ScenarioEntry* Find(int32_t id);

 private:
  ScenarioEntry* Register(int32_t id, const char* folder);

  std::deque<ScenarioEntry> entries_;  // never moves an entry
  ScenarioEntry* current_ = nullptr;
};

CScenarioManager& ScenarioManager();
