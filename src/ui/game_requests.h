#pragma once
// What the interface asks of the game: one typed queue of requests, posted
// by the menus and panels and taken by the game root once a frame
// (Game::DrainGameRequests). It is the mirror of the simulation's outbox:
// the interface calls what lies below it directly and asks what lies above
// it (start a level, save, load, quit, open a menu page) only here. A new
// request is one struct added to the variant and one Apply in the game root.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// Starts the scenario manager's current level with the player setup rows
// as they stand. When it does not start, the front end page `reopenPage`
// (a FrontEndPage; -1 none) opens again.
struct StartLevelRequest {
  int32_t reopenPage = -1;
};
// Ends the running game: unfinished (the in-game menu's quit, a cut scene
// nobody caught), or finished with its outcome (1 won) after the end
// sequence.
struct EndGameRequest {
  bool finished = false;
  int32_t outcome = 0;
};
// Saves or loads "profiles\<profile>\<file>"; the front end hears the
// outcome (SaveGameAnswered, LoadGameAnswered).
struct SaveGameRequest {
  std::string file;
};
struct LoadGameRequest {
  std::string file;
};
// Ends the program at the end of this frame.
struct QuitRequest {};
// The menus' idle fly-by over the city, with the credits roll when asked;
// its end brings the menus back.
struct FlybyRequest {
  bool credits = false;
};
// The menu key: the menus over the game, or back to the game from them.
struct MenuKeyRequest {};
// The statistics page over the running game (the view panel's results).
struct ShowStatisticsRequest {};

using GameRequest = std::variant<StartLevelRequest, EndGameRequest, SaveGameRequest, LoadGameRequest, QuitRequest,
                                 FlybyRequest, MenuKeyRequest, ShowStatisticsRequest>;

void PostGameRequest(GameRequest request);
// Every request posted since the last call, oldest first.
std::vector<GameRequest> TakeGameRequests();
void ClearGameRequests();
