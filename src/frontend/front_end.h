#pragma once
// The front end: the set of full-screen menu pages over the menu scene
// (CFrontEndScreens), how the game enters it (EnterFrontEnd), the menu
// scene's music and camera (StartFrontEndScene) and the yes/no question
// every page asks through the front end's prompt. The pages read and set
// what lies below them (run state, screen mode, pause, profile, camera,
// music) directly; what they ask of the game above (start a level, save,
// load, end, quit) goes as a GameRequest (ui/game_requests.h), and the game
// root answers through SaveGameAnswered and LoadGameFailed.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "frontend/token_choice.h"
#include "ui/layout_model.h"
#include "ui/panel_manager.h"

// The screen set's pages, in the set's order (the index of each model).
enum FrontEndPage : int32_t {
  kPageInGameMenu = 0,
  kPageMainMenu,
  kPageTitle,
  kPageScenarios,
  kPageTokens,
  kPageTutorials,
  kPageNewProfile,
  kPagePrompt,
  kPageLogin,
  kPageLoad,
  kPageSave,
  kPageSaveName,
  kPageOptions,
  kPageSoundOptions,
  kPageBoard,
  kPageStatistics,
  kPageGamePlayOptions,
  kPageGraphicsOptions,
  kPageNetworkSessions,
  kPageNetworkHost,
  kPageNetworkLobby,
  kPageBlank,
  kFrontEndPageCount,
};

// The game name of each page's layout model (index = FrontEndPage; the
// blank page has none).
extern const char* const kFrontEndLayoutFiles[kFrontEndPageCount];

// FrontEndGameMode: 0 network game, 1 single player set up on the host
// page, 2 quick single player (the sandbox). 0 at start-up and once a game
// ends; saved with the game (a save without it loads as 0).
int32_t& FrontEndGameMode();
// Registers the game mode's save chunk.
void RegisterFrontEndSaveHooks();

class CFrontEndScreens : public CPanelManager {
 public:
  CFrontEndScreens();
  ~CFrontEndScreens() override;
  void CreatePanels() override;

  // The pages' layout models. Pages already built are moved onto the new
  // models (page for page), never left on the old ones.
  void SetLayoutModels(std::vector<LayoutModel> models);

  CPanel* Page(int32_t page) const;
  bool IsOpen(int32_t page) const;
  // Closes the open page `from` and opens `to`.
  void Go(int32_t from, int32_t to);
  // The yes/no question (buttons = 2) or notice (1) of every page; the
  // answer gets the pressed button (0 = yes) after the prompt is popped.
  // The message's %s codes take `names` (a file or profile, a reason).
  void Ask(int32_t titleText, int32_t messageText, int32_t buttons, std::function<void(int32_t)> answer,
           float y = 0.0f, const std::vector<std::string>& names = {});
  bool created = false;
  // Set by the main menu's Build; StartFrontEndScene sets the orbit camera
  // once and clears it.
  bool orbitCameraOnce = false;

 private:
  struct Pages;
  Pages* pages_;
  std::vector<LayoutModel> models_;
};

CFrontEndScreens& FrontEndScreens();

void EnterFrontEnd();
// The menu key (Escape, the time panel's menu button): over the city it
// enters the menus as EnterFrontEnd does; over the menus it only closes the
// in-game menu, as its Resume does, and leaves any other page, or a question
// asked over the menu, as it is.
void PressMenuKey();
void StartFrontEndScene();
// The end of a game: back to the menus (the tutorial list after a
// tutorial; the statistics after any other finished game; the session list
// after a network game left unfinished; else the main menu).
void ReturnToFrontEnd(bool tutorial, bool finished = false, bool network = false);
// The statistics page over the running game (the view panel's results
// button); nothing when it is open already.
void ShowStatistics();
// The game's answers to a SaveGameRequest and a failed LoadGameRequest: the
// save page's list again and, when it failed, a notice naming the file and
// the reason (the warnings the attempt raised; empty: none given).
void SaveGameAnswered(const std::string& file, bool saved, const std::string& reason);
void LoadGameFailed(const std::string& file, const std::string& reason);
// The game root's reset: the pages that covered a running game (the in-game
// menu, the statistics) hold no pause and remember no screen mode of it.
void ForgetCoveredGame();
// Tests and the program's end: every page closed, no question pending, no
// game covered, and the set as its building left it (the next opening
// orbits the camera).
void ResetFrontEnd();
