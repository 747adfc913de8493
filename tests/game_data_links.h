#pragma once
// Gives a throw-away game root the built game's models, textures, fonts and
// texts (as links), so a game started there loads its assets as installed.
#include <filesystem>

inline void LinkGameData(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  const fs::path game(RC_GAME_ROOT);
  fs::create_directories(root / "gamedata");
  fs::create_directory_symlink(game / "gamedata2", root / "gamedata2");
  // Single folders of gamedata only: tests write their own files beside them.
  for (const char* folder : {"fonts", "roadtextures"}) {
    if (fs::exists(game / "gamedata" / folder))
      fs::create_directory_symlink(game / "gamedata" / folder, root / "gamedata" / folder);
  }
  fs::create_directory_symlink(game / "language", root / "language");
}
