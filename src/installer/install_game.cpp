#include "installer/install_game.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>

#include "platform/instance_lock.h"
#include "platform/settings_store.h"

namespace fs = std::filesystem;

namespace {

// What a played game leaves in its folder: its run-time files and the
// players' own (their profiles with the saves, screenshots). A fresh
// installation starts without them.
bool IsPlayedGameFile(const fs::path& relative) {
  if (relative.has_parent_path()) return false;
  const std::string name = relative.string();
  for (std::string_view skip : {std::string_view(platform::kSettingsFileName),
                                std::string_view("config.cfg"), std::string_view("ZKS.txt"),
                                platform::kInstanceLockName, std::string_view("D3DEnum.txt"),
                                std::string_view("profiles"), std::string_view("__crash.sav")})
    if (name == skip) return true;
  const bool screenshot = name.starts_with("civano") && relative.extension() == ".tga";
  return screenshot || relative.extension() == ".log";
}

bool Inside(const fs::path& inner, const fs::path& outer) {
  auto o = outer.begin();
  for (auto i = inner.begin(); o != outer.end(); ++i, ++o)
    if (i == inner.end() || *i != *o) return false;
  return true;
}

bool CopyTree(const fs::path& source, const fs::path& target, std::string& error) {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(source, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    const fs::path relative = fs::relative(it->path(), source, ec);
    if (ec) continue;
    if (IsPlayedGameFile(relative)) {
      if (it->is_directory()) it.disable_recursion_pending();
      continue;
    }
    const fs::path to = target / relative;
    if (it->is_directory()) {
      fs::create_directories(to, ec);
    } else if (it->is_regular_file()) {
      fs::copy_file(it->path(), to, fs::copy_options::overwrite_existing, ec);
    }
    if (ec) {
      error = "Cannot copy " + it->path().string() + ": " + ec.message();
      return false;
    }
  }
  if (ec) error = "Cannot read " + source.string() + ": " + ec.message();
  return !ec;
}

}  // namespace

bool InstallGame(const std::string& source, const std::string& target,
                 const std::string& language, std::string& error) {
  std::error_code ec;
  if (target.empty()) {
    error = "No installation folder was chosen.";
    return false;
  }
  const fs::path from = fs::weakly_canonical(fs::absolute(source, ec), ec);
  const fs::path to = fs::weakly_canonical(fs::absolute(target, ec), ec);
  if (ec || !fs::is_directory(from)) {
    error = "The game files were not found in " + source + ".";
    return false;
  }
  if (Inside(to, from)) {
    error = "The game cannot be installed into the folder it is installed from.";
    return false;
  }
  const std::optional<std::string> settings = platform::FormatSettingsText(
      {{platform::kSettingLanguage, language},
       {platform::kSettingPath, to.string()},
       {platform::kSettingUninstallPath, to.string()}});
  if (!settings) {
    error = "The folder name cannot be stored: it holds a line break.";
    return false;
  }
  fs::create_directories(to, ec);
  if (ec || !fs::is_directory(to)) {
    error = "Cannot make the folder " + to.string() + ".";
    return false;
  }
  if (!CopyTree(from, to, error)) return false;
  std::ofstream out(to / platform::kSettingsFileName, std::ios::binary | std::ios::trunc);
  out << *settings;
  out.close();
  if (!out) {
    error = "Cannot write the settings in " + to.string() + ".";
    return false;
  }
  return true;
}

std::string DefaultInstallFolder() {
  const char* home = std::getenv("HOME");
  return (home && *home ? fs::path(home) : fs::current_path()) / "RentopiaCivano";
}
