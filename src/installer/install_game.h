#pragma once
// The set-up program's work: the game's files copied from the folder the
// set-up program runs from into the folder the user chose, and the settings
// store there written with the language and the installation's paths.
#include <string>

// The game files copied: everything in `source` but what a game played there
// leaves (settings, config.cfg, the lock, logs, the players' profiles and
// saves, screenshots).
// `target` is made when missing; it must not be `source` or lie inside it.
// On failure, the reason in `error`; files already copied stay.
bool InstallGame(const std::string& source, const std::string& target,
                 const std::string& language, std::string& error);

// The folder offered first: ~/RentopiaCivano (or the current folder's
// RentopiaCivano without a home).
std::string DefaultInstallFolder();
