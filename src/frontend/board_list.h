#pragma once
// Boards: national variants of the game's texts and economy. Each is a
// folder under gamedata\fonts\board holding its text bank "civano" (the
// texts from id 2233 on: its display name first, then the currency and the
// names of districts and properties) and its parameter file board.prm.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int32_t kBoardFirstText = 2233;  // the board's own texts start here
inline constexpr int32_t kMaxBoards = 100;
inline constexpr const char* kBoardFolder = "gamedata\\fonts\\board";

struct BoardEntry {
  std::string folder;  // the profile's BoardName
  std::string displayName;  // the board's text 2233
};

// Lists the boards: every top-level folder of the board folder (names
// beginning with "." or "_" are not boards) whose own text bank reads, by
// folder name, at most kMaxBoards. Replaces the list that Boards() returns.
void ListBoards();
const std::vector<BoardEntry>& Boards();
// The index of the board with that folder, -1 when none.
int32_t FindBoard(std::string_view folder);

// Makes a board current: its texts replace the bank's from 2233 on, the
// currency follows them and its board.prm runs. False, and nothing changed,
// when the name is not a plain folder name or its bank does not read.
bool LoadBoard(std::string_view folder);
