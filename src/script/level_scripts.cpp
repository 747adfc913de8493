#include "script/level_scripts.h"

#include <algorithm>
#include <string>

#include "engine/core/error.h"
#include "script/profiles.h"
#include "script/script.h"

namespace {

bool CheckFolder(std::string_view folder) {
  // Level folders come from scripts and network messages: never a path.
  if (IsPlainFolderName(folder)) return true;
  ReportErrorF(1, "Level folder \"%.*s\" is not a plain folder name", static_cast<int>(std::min<size_t>(folder.size(), 200)),
               folder.data());
  return false;
}

std::string LevelFile(std::string_view folder, const char* file) {
  return "scripts\\" + std::string(folder) + "\\" + file;
}

// A new state with the shared and the level's own hub; false when no state
// could be made, `ran` false when a hub failed.
bool NewLevelState(std::string_view folder, bool& ran) {
  if (!CheckFolder(folder) || !Script().Create()) return false;
  const bool common = Script().RunFile("scripts\\default\\hub.lua", true);
  const bool own = Script().RunFile(LevelFile(folder, "hub.lua"), true);
  ran = common && own;
  return true;
}

}  // namespace

bool RunGameStartScripts() {
  return Script().Create() && Script().RunFile("scripts\\gamestart\\hub.lua", true);
}

bool RunFrontEndScripts() { return Script().RunFile("scripts\\frontend\\hub.lua", true); }

bool LoadLevelScripts(std::string_view folder) {
  bool ran = false;
  return NewLevelState(folder, ran) && ran;
}

bool StartLevelScripts(std::string_view folder) {
  bool ran = false;
  if (!NewLevelState(folder, ran)) return false;
  Script().TriggerEvent("Level", 0, 0);
  return ran;
}

bool RunPlayerChoiceScripts(std::string_view folder) {
  return CheckFolder(folder) && Script().RunFile(LevelFile(folder, "players.lua"), true);
}

bool RunAiCharacterScripts(std::string_view folder, bool networkSession) {
  const bool ok = Script().RunFile("scripts\\default\\ai.lua", true);
  if (!networkSession && CheckFolder(folder)) Script().RunFile(LevelFile(folder, "ai.lua"), false);
  return ok;
}
