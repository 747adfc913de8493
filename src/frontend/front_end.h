#pragma once
// The front end: the set of full-screen menu pages over the menu scene
// (CFrontEndScreens), how the game enters it (EnterFrontEnd), the menu
// scene's music and camera (StartFrontEndScene) and the yes/no question
// every page asks through the front end's prompt. The game root installs
// FrontEndServices: what the pages ask of the game (starting a level,
// quitting, the camera, the music), so this library stays below the app.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "frontend/token_choice.h"
#include "ui/layout_model.h"
#include "ui/panel_manager.h"

class FrontEndServices {
 public:
  virtual ~FrontEndServices() = default;
  virtual bool GameRunning() { return false; }
  virtual bool NetworkGame() { return false; }
  virtual int32_t ScreenMode() { return 0; }
  virtual void SetScreenMode(int32_t) {}
  virtual void AddPause() {}
  virtual void RemovePause() {}
  // How many profiles the profiles folder holds.
  virtual int32_t ProfileCount() { return 0; }
  virtual std::string ProfileName() { return {}; }
  virtual bool CreateProfile(const std::string&) { return false; }
  // Runs a script file in the front end's state; false when it failed.
  virtual bool RunScript(const char*, bool /*reportErrors*/) { return true; }
  virtual void StartMenuMusic() {}
  virtual void SetOrbitCamera(float, float, float, float, float, float) {}
  virtual void OrbitCameraMode() {}
  virtual void SaveCamera() {}
  virtual void RestoreCamera() {}
  virtual void PlayCutScene(const char*) {}
  // After PlayCutScene: the cut scene ends with the credits roll.
  virtual void RequestCutSceneCredits() {}
  virtual bool AlternativeCameraHeight() { return false; }
  virtual void Quit() {}
  // Starts the scenario manager's current level with the setup rows given.
  virtual bool StartLevel(const TokenRows&) { return false; }
  // Starts it with the player setup rows as they stand (the lobby's).
  virtual bool StartSetUpLevel() { return false; }
  // Ends the running game, not finished.
  virtual void EndGame() {}
  // Saves and loads "profiles\<profile>\<file>"; false when it failed.
  virtual bool SaveGame(const std::string&) { return false; }
  virtual bool LoadGame(const std::string&) { return false; }
  virtual std::string Text(int32_t id) { return std::to_string(id); }
  // The objective's target of a level at a difficulty (0 when unknown), for
  // the descriptions that name it.
  virtual int32_t LevelTarget(int32_t /*id*/, int32_t /*difficulty*/) { return 0; }
  virtual int32_t RememberedToken() { return 0; }
  virtual void RememberToken(int32_t) {}
};

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
// page, 2 quick single player (the sandbox).
int32_t& FrontEndGameMode();

class CFrontEndScreens : public CPanelManager {
 public:
  CFrontEndScreens();
  ~CFrontEndScreens() override;
  void CreatePanels() override;

  void SetLayoutModels(std::vector<LayoutModel> models);
  void SetServices(FrontEndServices* services) { services_ = services; }
  FrontEndServices& Services();

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
  FrontEndServices* services_ = nullptr;
};

CFrontEndScreens& FrontEndScreens();

void EnterFrontEnd();
void StartFrontEndScene();
// The end of a game: back to the menus (the tutorial list after a
// tutorial; the statistics after any other finished game; the session list
// after a network game left unfinished; else the main menu).
void ReturnToFrontEnd(bool tutorial, bool finished = false, bool network = false);
// The statistics page over the running game (the view panel's results
// button); nothing when it is open already.
void ShowStatistics();
// Tests and the program's end: every page closed, the set forgotten.
void ResetFrontEnd();
