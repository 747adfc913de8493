#pragma once
// Player profiles: one user's names, preferences and progress through the
// levels. Each profile is a folder under "profiles" holding its settings as
// script text (settings.lua) and its saved games; profiles\memory.lua
// remembers the profile used last. The fields are bound into the script state
// as the table g_ProfileOptions, so the settings file runs straight into the
// record and the menu scripts read and change the same fields.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CScript;

inline constexpr size_t kProfileNameSize = 256;

// What the profiles need of the level list, the sound, the board and the
// cursor. The defaults do nothing; the owners install their own.
class ProfileServices {
 public:
  struct LevelProgress {
    int32_t id = 0;
    int32_t state = 0;
    uint8_t completed[3] = {};  // one per difficulty
  };
  virtual ~ProfileServices() = default;
  // The scenario list's progress (the scenario manager's by default).
  virtual void ResetScenarioProgress();
  // The first level that is not a tutorial becomes available.
  virtual void UnlockFirstScenario();
  // The level with that id: unlocked, its state and completion flags. False
  // when there is no such level.
  virtual bool SetLevelInfo(int32_t id, int32_t state, const bool (&completed)[3]);
  // The levels that are unlocked or are tutorials, in list order.
  virtual std::vector<LevelProgress> SavedLevels() const;
  virtual void SetVolumes(int32_t /*music*/, int32_t /*effects*/) {}
  virtual void LoadBoard(const char* /*board*/) {}
  virtual void ShowSystemCursor(bool /*show*/) {}
};
void SetProfileServices(ProfileServices* services);  // null restores the defaults
ProfileServices& ProfileHooks();

class CPlayerProfile {
 public:
  char name[kProfileNameSize] = {};  // folder under "profiles"; empty = no profile
  char PlayerName[257] = {};
  char SessionName[257] = {};
  char BoardName[258] = {};
  int32_t PreferredCharacter = 0;
  int32_t MusicVolume = 63;
  int32_t SoundVolume = 83;
  int32_t DetailLevel = 2;
  int32_t LightingLevel = 2;
  int32_t FilteringLevel = 1;
  int32_t GammaLevel = 35;
  uint8_t AutoRotateCamera = 1;
  uint8_t InverseMouse = 0;
  int32_t MouseSensitivity = 50;
  uint8_t HardwareCursor = 0;

  // Names from the profile name, the board from the installation settings,
  // the numeric defaults.
  void SetDefaults();
  // Binds ProfileName, SetLevelInfo, g_ProfileOptions and its constants.
  void BindToScript(CScript& script);
  // Start-up: the profile named in profiles\memory.lua (unless a name is set).
  bool LoadLast();
  // Writes settings.lua and memory.lua; nothing for an empty name.
  bool Save();
  // Saves the current profile and switches to another. False (nothing
  // changed) for a name that is not a plain folder name.
  bool Select(std::string_view newName);
  bool CreateNew(std::string_view newName);
  // Volumes, board and cursor to the rest of the game.
  void Apply();
  bool Reload();

  bool HasName() const { return name[0] != '\0'; }
  // The text that settings.lua holds.
  std::string SettingsText() const;

 private:
  void KeepSettingsInRange(std::string_view path);
  bool RunSettings();
};

CPlayerProfile& PlayerProfile();
// The registration binder of the profile (the last stage of a new state).
void BindProfileToScript(CScript& script);

// A plain folder name: not empty, no path separators or control characters,
// not "." or "..", shorter than the profile's name field.
bool IsPlainFolderName(std::string_view name);
// The longest profile name: what the profile list shows.
inline constexpr size_t kProfileNameMax = 31;
// A profile name is a plain folder name of at most kProfileNameMax
// characters that neither starts nor ends with a dot or a space (names the
// file system would change or hide).
bool IsValidProfileName(std::string_view name);
// Every profile folder under "profiles" with a valid name, sorted.
std::vector<std::string> ListProfiles();
// Deletes a profile's folder with everything in it; clears the current name
// when it was the current profile.
bool DeleteProfile(std::string_view name);
bool WriteLastProfileName(std::string_view name);
// A string as script text: quoted, with quotes, backslashes and control
// characters escaped, never spanning lines.
std::string QuoteScriptString(std::string_view text);
