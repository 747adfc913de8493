#pragma once
// The cut-scene player: a short sequence over the city driven by its level
// script (scripts\<name>\hub.lua), with letterbox bars that slide in and out,
// an optional caption, optionally the three logos and optionally the credits
// roll. One global object, stepped by the 50-per-second interface task while
// it runs and drawn by the overlay pass in the 640 x 480 layout space.
//
// It runs the level script itself, draws through the interface's toolkit,
// and when a scene ends that no script catches it asks the game to end with
// an EndGameRequest (finished with the end sequence's result, if any).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "visuals/scene/presentation_random.h"

inline constexpr int32_t kCutSceneFadeSteps = 85;  // bar height at full fade
inline constexpr int32_t kNoLogo = -1;
inline constexpr int32_t kLogoImages[3] = {274, 273, 287};  // in the order they show

// What one frame of the cut scene draws, in the 640 x 480 layout space and
// in order: the two black bars, the logo centred on (320, 240) and the texts
// centred on x = 320, all at the scene's alpha.
struct CutSceneDrawing {
  struct Text {
    int32_t font = 0;
    float y = 0;
    std::string text;
  };
  float topBar = 0, bottomBar = 0;  // the bars' inner edges (-5 .. top, bottom .. 480)
  int32_t image = kNoLogo;
  int32_t alpha = 0;
  std::vector<Text> texts;
};

// One entry of the credits roll: a heading text (0 none) and up to five names.
struct CreditsEntry {
  int32_t heading = 0;
  const char* names[5] = {};
};

class CCutScene {
 public:
  enum FadeState : int32_t { kSteady = 0, kFadingIn = 1, kFadingOut = 2 };

  void Init();
  // Starts (or restarts) the named cut scene; an end sequence gives its
  // result code (the winner's player index; -1 none).
  void Play(const std::string& name, int32_t endCode = -1);
  void End() { state_ = kFadingOut; }
  void SetString(const std::string& text);
  // Caption 1767, 1768 or 1769 for 1, 2 or 3.
  void SetIdentifier(int32_t textId);
  void SetPhase(int32_t phase);
  // The skip keys (Escape, Return, Space, keypad Enter, a click), then Update.
  void PollSkipKeys();
  void Update();
  // What this frame shows (nothing while no scene runs), and its drawing.
  CutSceneDrawing Drawing() const;
  void Draw() const;

  void SetBypass(bool allowed) { bypassAllowed_ = allowed; }
  void RequestCredits(bool on) { creditsRequested_ = on; }
  void RequestLogos(bool on) { logosRequested_ = on; }

  bool LogosRequested() const;
  bool CreditsRequested() const;
  // The characters the end sequence shows: winner and loser, 10 none.
  void SetEndSequenceTokens(int32_t winner, int32_t loser) { winnerToken_ = winner, loserToken_ = loser; }
  int32_t WinnerToken() const { return winnerToken_; }
  int32_t LoserToken() const { return loserToken_; }

  bool Running() const { return running_; }
  bool Scripted() const { return scripted_; }
  int32_t Phase() const { return phase_; }
  int32_t PhaseSteps() const { return phaseSteps_; }
  int32_t Alpha() const { return alpha_; }
  int32_t FadeCounter() const { return fade_; }
  int32_t State() const { return state_; }
  int32_t Image() const { return image_; }
  bool BypassAllowed() const { return bypassAllowed_; }
  const std::string& Caption() const { return caption_; }
  const std::string& Name() const { return name_; }
  int32_t CreditsIndex() const { return creditsEntry_; }
  const std::vector<CreditsEntry>& Credits() const { return credits_; }

  // Rebuilds the credits list: the heading, the shuffled names, the fixed entries.
  void BuildCreditsList();
  void AddCreditsEntry(int32_t heading, const char* const* names, int32_t count);
  // The credits' own generator (its state carries over from call to call).
  PresentationRandom& CreditsRandom() { return creditsRandom_; }

 private:
  void StepFade();
  void StepPhase();
  void StartCredits();
  void Finish();

  bool running_ = false;
  bool scripted_ = false;
  int32_t phaseSteps_ = 0;
  int32_t image_ = kNoLogo;
  int32_t alpha_ = 0;
  int32_t fade_ = 0;
  std::string caption_;
  int32_t state_ = kSteady;
  bool bypassAllowed_ = true;
  bool creditsRequested_ = false;
  bool logosRequested_ = false;
  int32_t phase_ = 0;
  int32_t creditsEntry_ = 0;
  std::string name_;
  int32_t endCode_ = -1;
  int32_t winnerToken_ = 10, loserToken_ = 10;
  std::vector<CreditsEntry> credits_;
  PresentationRandom creditsRandom_{0x43524544u};
};

CCutScene& CutScene();

// Game.StartFireworks: preset 0 over the harbour, 1 over the park; other
// presets start nothing. False when the preset is unknown.
bool StartFireworksShow(int32_t preset);
