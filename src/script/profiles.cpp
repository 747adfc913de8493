#include "script/profiles.h"

#include "session/scenarios.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "engine/core/error.h"
#include "platform/paths.h"
#include "platform/settings_store.h"
#include "script/script.h"
#include "script/script_args.h"
#include "engine/core/system_settings.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kOptionsTable = "g_ProfileOptions";
constexpr const char* kMemoryFile = "profiles\\memory.lua";

ProfileServices& DefaultServices() {
  static ProfileServices services;
  return services;
}
ProfileServices* g_ProfileServices = nullptr;

template <size_t N>
void CopyText(char (&dest)[N], std::string_view text) {
  const size_t n = std::min(text.size(), N - 1);
  std::memcpy(dest, text.data(), n);
  dest[n] = '\0';
}

std::string SettingsPath(std::string_view profile) {
  return "profiles\\" + std::string(profile) + "\\settings.lua";
}

std::string FieldText(const char* buffer, size_t capacity) { return std::string(buffer, strnlen(buffer, capacity)); }

// Runs script text one line at a time: a line that does not parse or fails is
// skipped, so what it sets keeps its default; the file's failed lines are
// reported together, by number. False only when the file cannot be read.
bool RunScriptLines(CScript& script, std::string_view path) {
  std::FILE* file = platform::OpenGameFile(path, "rb");
  if (file == nullptr) return false;
  std::string text;
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0 && text.size() < (1u << 20)) text.append(buffer, n);
  std::fclose(file);
  size_t start = 0;
  int line = 1;
  std::string failed;
  int failures = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view row(text.data() + start, end - start);
    if (row.find_first_not_of(" \t\r") != std::string_view::npos) {
      const std::string chunk = std::string(path) + ":" + std::to_string(line);
      if (!script.RunText(row, chunk, false) && ++failures <= 10) {
        failed += (failed.empty() ? "" : ", ") + std::to_string(line);
      }
    }
    start = end + 1;
    ++line;
  }
  if (failures > 0) {
    ReportErrorF(1, "%.400s: line%s %s%s did not run; what %s keeps its default", std::string(path).c_str(),
                 failures > 1 ? "s" : "", failed.c_str(), failures > 10 ? " and more" : "",
                 failures > 1 ? "they set" : "it sets");
  }
  return true;
}

// Writes a whole file through a temporary beside it, so a failed write never
// leaves half a file.
bool WriteFileAtomically(std::string_view gamePath, const std::string& text) {
  const std::string real = platform::ResolveNewGamePath(gamePath);
  std::error_code ec;
  fs::create_directories(fs::path(real).parent_path(), ec);
  return platform::ReplaceFileWhole(real, text);
}

int NativeSetLevelInfo(lua_State* state) {
  const int32_t id = ArgInt(state, 1, -1);
  const int32_t levelState = ArgInt(state, 3, 0);
  const bool completed[3] = {ArgInt(state, 4, 0) != 0, ArgInt(state, 5, 0) != 0, ArgInt(state, 6, 0) != 0};
  ProfileHooks().SetLevelInfo(id, levelState, completed);
  return 0;
}

}  // namespace

void ProfileServices::ResetScenarioProgress() { ScenarioManager().ResetProgress(); }

// A new profile can play its first level.
void ProfileServices::UnlockFirstScenario() {
  if (const ScenarioEntry* first = ScenarioManager().UnlockFirstScenario()) ScenarioManager().UnlockById(first->id);
}

bool ProfileServices::SetLevelInfo(int32_t id, int32_t state, const bool (&completed)[3]) {
  ScenarioEntry* e = ScenarioManager().Find(id);
  if (e == nullptr) return false;
  e->progress[3] = state;
  for (int i = 0; i < 3; ++i) e->completed[i] = completed[i];
  return true;
}

std::vector<ProfileServices::LevelProgress> ProfileServices::SavedLevels() const {
  std::vector<LevelProgress> levels;
  const CScenarioManager& m = ScenarioManager();
  for (const ScenarioEntry* e = m.NextAnyEntry(nullptr); e != nullptr; e = m.NextAnyEntry(e)) {
    if (!e->Unlocked() && !e->tutorial) continue;
    LevelProgress p{e->id, e->progress[3]};
    for (int i = 0; i < 3; ++i) p.completed[i] = e->completed[i];
    levels.push_back(p);
  }
  return levels;
}

void SetProfileServices(ProfileServices* services) { g_ProfileServices = services; }
ProfileServices& ProfileHooks() { return g_ProfileServices != nullptr ? *g_ProfileServices : DefaultServices(); }

CPlayerProfile& PlayerProfile() {
  static CPlayerProfile profile;
  return profile;
}

void BindProfileToScript(CScript& script) { PlayerProfile().BindToScript(script); }

std::string QuoteScriptString(std::string_view text) {
  std::string out = "\"";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 32 || c == 127) {
          char code[8];
          std::snprintf(code, sizeof code, "\\%03u", c);
          out += code;
        } else {
          out += ch;
        }
    }
  }
  out += '"';
  return out;
}

bool IsPlainFolderName(std::string_view name) {
  if (name.empty() || name.size() >= kProfileNameSize || name == "." || name == "..") return false;
  return std::none_of(name.begin(), name.end(), [](char ch) {
    const auto c = static_cast<unsigned char>(ch);
    return c < 32 || c == 127 || ch == '/' || ch == '\\';
  });
}

bool IsValidProfileName(std::string_view name) {
  if (!IsPlainFolderName(name) || name.size() > kProfileNameMax) return false;
  auto edge = [](char c) { return c == '.' || c == ' '; };
  return !edge(name.front()) && !edge(name.back());
}

void CPlayerProfile::SetDefaults() {
  CopyText(PlayerName, FieldText(name, sizeof name));
  CopyText(SessionName, FieldText(PlayerName, sizeof PlayerName));
  CopyText(BoardName, platform::ReadSetting(platform::kSettingDefaultBoard, platform::kDefaultBoard));
  PreferredCharacter = 0;
  MusicVolume = 63;
  SoundVolume = 83;
  DetailLevel = 2;
  LightingLevel = 2;
  FilteringLevel = 1;
  GammaLevel = 35;
  AutoRotateCamera = 1;
  InverseMouse = 0;
  MouseSensitivity = 50;
  HardwareCursor = g_StartupOptions.performance == 0 ? 1 : 0;
}

// The settings file is a script anyone can edit: a value outside what the
// options pages offer is brought into range (and the board name must name a
// board folder), so nothing out of range is used or written back.
void CPlayerProfile::KeepSettingsInRange(std::string_view path) {
  std::string fixed;
  auto clamp = [&](int32_t& value, const char* field, int32_t low, int32_t high) {
    if (value >= low && value <= high) return;
    fixed += std::string(fixed.empty() ? "" : ", ") + field;
    value = std::clamp(value, low, high);
  };
  clamp(PreferredCharacter, "PreferredCharacter", 0, 9);
  clamp(MusicVolume, "MusicVolume", 0, 100);
  clamp(SoundVolume, "SoundVolume", 0, 100);
  clamp(DetailLevel, "DetailLevel", 0, 2);
  clamp(LightingLevel, "LightingLevel", 0, 2);
  clamp(FilteringLevel, "FilteringLevel", 0, 1);
  clamp(GammaLevel, "GammaLevel", 0, 100);
  clamp(MouseSensitivity, "MouseSensitivity", 0, 100);
  const std::string board = FieldText(BoardName, sizeof BoardName);
  if (!board.empty() && !IsPlainFolderName(board)) {
    fixed += std::string(fixed.empty() ? "" : ", ") + "BoardName";
    CopyText(BoardName, platform::ReadSetting(platform::kSettingDefaultBoard, platform::kDefaultBoard));
  }
  if (!fixed.empty())
    ReportErrorF(1, "%.300s: %s out of range; the nearest allowed value is used", std::string(path).c_str(),
                 fixed.c_str());
}

void CPlayerProfile::BindToScript(CScript& s) {
  s.BindGlobalString(name, "ProfileName");
  s.RegisterFunction(NativeSetLevelInfo, "SetLevelInfo");
  s.CreateTable(kOptionsTable);
  s.BindTableString(PlayerName, kOptionsTable, "PlayerName");
  s.BindTableString(SessionName, kOptionsTable, "SessionName");
  s.BindTableString(BoardName, kOptionsTable, "BoardName");
  s.BindTableInt(&PreferredCharacter, kOptionsTable, "PreferredCharacter");
  s.BindTableInt(&MusicVolume, kOptionsTable, "MusicVolume");
  s.BindTableInt(&SoundVolume, kOptionsTable, "SoundVolume");
  s.BindTableInt(&DetailLevel, kOptionsTable, "DetailLevel");
  s.BindTableInt(&LightingLevel, kOptionsTable, "LightingLevel");
  s.BindTableInt(&FilteringLevel, kOptionsTable, "FilteringLevel");
  s.BindTableInt(&GammaLevel, kOptionsTable, "GammaLevel");
  s.BindTableBool(&AutoRotateCamera, kOptionsTable, "AutoRotateCamera");
  s.BindTableBool(&InverseMouse, kOptionsTable, "InverseMouse");
  s.BindTableInt(&MouseSensitivity, kOptionsTable, "MouseSensitivity");
  s.BindTableBool(&HardwareCursor, kOptionsTable, "HardwareCursor");
  s.SetGlobalNumber(0, "NOT_COMPLETE");
  s.SetGlobalNumber(0, "COMPLETE");
  s.SetGlobalNumber(0, "DEPRECATED");
}

std::string CPlayerProfile::SettingsText() const {
  std::string text;
  char line[128];
  auto str = [&](const char* field, const char* buffer, size_t capacity) {
    text += std::string(kOptionsTable) + "." + field + " = " + QuoteScriptString(FieldText(buffer, capacity)) + "\n";
  };
  auto num = [&](const char* field, int32_t value) {
    std::snprintf(line, sizeof line, "%s.%s = %i\n", kOptionsTable, field, value);
    text += line;
  };
  auto flag = [&](const char* field, uint8_t value) {
    std::snprintf(line, sizeof line, "%s.%s = %s\n", kOptionsTable, field, value != 0 ? "true" : "false");
    text += line;
  };
  str("PlayerName", PlayerName, sizeof PlayerName);
  str("SessionName", SessionName, sizeof SessionName);
  str("BoardName", BoardName, sizeof BoardName);
  num("PreferredCharacter", PreferredCharacter);
  num("MusicVolume", MusicVolume);
  num("SoundVolume", SoundVolume);
  num("DetailLevel", DetailLevel);
  num("LightingLevel", LightingLevel);
  num("FilteringLevel", FilteringLevel);
  num("GammaLevel", GammaLevel);
  flag("AutoRotateCamera", AutoRotateCamera);
  flag("InverseMouse", InverseMouse);
  num("MouseSensitivity", MouseSensitivity);
  flag("HardwareCursor", HardwareCursor);
  for (const ProfileServices::LevelProgress& level : ProfileHooks().SavedLevels()) {
    std::snprintf(line, sizeof line, "SetLevelInfo(%i, DEPRECATED, %i, %i, %i, %i)\n", level.id, level.state,
                  level.completed[0] != 0 ? 1 : 0, level.completed[1] != 0 ? 1 : 0, level.completed[2] != 0 ? 1 : 0);
    text += line;
  }
  return text;
}

bool WriteLastProfileName(std::string_view profile) {
  if (!profile.empty() && !IsValidProfileName(profile)) return false;
  return WriteFileAtomically(kMemoryFile, "ProfileName = " + QuoteScriptString(profile));
}

bool CPlayerProfile::Save() {
  const std::string current = FieldText(name, sizeof name);
  if (current.empty()) return false;
  if (!IsValidProfileName(current)) {
    ReportErrorF(1, "Profile name %s is not a plain folder name", QuoteScriptString(current).c_str());
    return false;
  }
  // A settings file that cannot be written is skipped without a message.
  const bool saved = WriteFileAtomically(SettingsPath(current), SettingsText());
  return WriteLastProfileName(current) && saved;
}

bool CPlayerProfile::RunSettings() {
  const std::string current = FieldText(name, sizeof name);
  if (!IsValidProfileName(current) || Script().State() == nullptr) return false;
  SetDefaults();  // fields the file does not mention keep their defaults
  const bool read = RunScriptLines(Script(), SettingsPath(current));
  // The profile is named by its folder: its settings cannot rename it (to a
  // path outside the game, say).
  CopyText(name, current);
  KeepSettingsInRange(SettingsPath(current));
  return read;
}

bool CPlayerProfile::LoadLast() {
  if (!HasName() && Script().State() != nullptr) RunScriptLines(Script(), kMemoryFile);
  if (!IsValidProfileName(FieldText(name, sizeof name))) {
    name[0] = '\0';
    return false;
  }
  ProfileHooks().ResetScenarioProgress();
  if (!RunSettings()) {
    name[0] = '\0';
    return false;
  }
  Apply();
  ProfileHooks().UnlockFirstScenario();
  return true;
}

bool CPlayerProfile::Select(std::string_view newName) {
  if (!IsValidProfileName(newName)) {
    ReportErrorF(1, "Profile name %s is not a plain folder name", QuoteScriptString(newName.substr(0, 300)).c_str());
    return false;
  }
  Save();
  CopyText(name, newName);
  ProfileHooks().ResetScenarioProgress();
  if (RunSettings()) {
    Apply();
    ProfileHooks().UnlockFirstScenario();
    WriteLastProfileName(newName);  // remembered even if the program never ends in order
    return true;
  }
  name[0] = '\0';
  SetDefaults();
  Save();
  return false;
}

bool CPlayerProfile::CreateNew(std::string_view newName) {
  if (!IsValidProfileName(newName)) {
    ReportErrorF(1, "Profile name %s is not a plain folder name", QuoteScriptString(newName.substr(0, 300)).c_str());
    return false;
  }
  CopyText(name, newName);
  SetDefaults();
  ProfileHooks().ResetScenarioProgress();
  ProfileHooks().UnlockFirstScenario();
  const bool saved = Save();
  Apply();
  return saved;
}

void CPlayerProfile::Apply() {
  ProfileHooks().SetVolumes(MusicVolume, SoundVolume);
  const std::string board = FieldText(BoardName, sizeof BoardName);
  ProfileHooks().LoadBoard(board.c_str());
  ProfileHooks().ShowSystemCursor(HardwareCursor != 0);
}

bool CPlayerProfile::Reload() {
  if (!RunSettings()) return false;
  Apply();
  return true;
}

std::vector<std::string> ListProfiles() {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(platform::ResolveGamePath("profiles"), ec), end; !ec && it != end;
       it.increment(ec)) {
    if (!it->is_directory(ec)) continue;
    std::string folder = it->path().filename().string();
    if (IsValidProfileName(folder)) names.push_back(std::move(folder));
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool DeleteProfile(std::string_view profile) {
  if (!IsValidProfileName(profile)) {
    ReportErrorF(1, "Profile name %s is not a plain folder name", QuoteScriptString(profile.substr(0, 300)).c_str());
    return false;
  }
  const std::string folder = platform::ResolveGamePath("profiles\\" + std::string(profile));
  std::error_code ec;
  // Only a real folder directly inside the profiles folder: never a link,
  // never anywhere else the name might lead.
  if (!fs::is_directory(fs::symlink_status(folder, ec))) return false;
  const fs::path parent = fs::canonical(fs::path(folder).parent_path(), ec);
  if (ec || parent != fs::canonical(platform::ResolveGamePath("profiles"), ec) || ec) return false;
  fs::remove_all(folder, ec);
  CPlayerProfile& current = PlayerProfile();
  if (FieldText(current.name, sizeof current.name) == profile) current.name[0] = '\0';
  return !ec;
}
