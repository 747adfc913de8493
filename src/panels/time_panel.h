#pragma once
// The time panel in the top right corner: the local player's name and icon
// on the player's colour, the game clock as a 12-hour time with the year,
// an analogue clock face, and the player's cash counting smoothly towards
// the real amount. Its buttons: options (to the menus), the player icon (the
// level's goal in a prompt) and the chance card (shows a held card). The HUD
// and the auction room each have one; the counting cash is shared.
#include <cstdint>
#include <string>

#include "ui/panel.h"
#include "ui/text_rect.h"

class CIconButton;
class CPlayer;
class CPromptPanel;

enum TimeElement : int32_t {
  kTimePlayerBackingGrey,
  kTimeBacking,
  kTimePlayerBacking,
  kTimePlayerIcon,
  kTimeClockIcon,
  kTimeArea,
  kTimeCashIcon,
  kTimeNameArea,
  kTimeCashArea,
  kTimeTopGreyFill,
  kTimeOptionsIcon,
  kTimeChanceIcon,
  kTimeElementCount,
};
extern const char* const kTimeElementNames[kTimeElementCount];

// Interface images the panel draws.
inline constexpr int32_t kCashImage = 7;
inline constexpr int32_t kClockFaceImage = 8;
inline constexpr int32_t kCashBlinkImage = 304;
inline constexpr int32_t kClockHandImage = 305;
inline constexpr int32_t kEmptyCardImage = 285;
inline constexpr int32_t kCardImages = 286;        // normal, pressed, hover
inline constexpr int32_t kCardFlagImages = 297;    // the card's own set
inline constexpr int32_t kCashSteps = 50;

// The cash both time panels show as it counts, and its remaining steps.
struct CountingCash {
  float displayed = 0;
  int32_t steps = 0;
};
CountingCash& SharedCountingCash();
// One step of the count towards `money`: a change starts 50 even steps
// that land exactly on it; a change during the count goes on with the
// remaining steps.
void StepCountingCash(CountingCash& cash, float money);
// The clock's text: 12-hour time, "%u" for text 1374 (before noon) or 1375,
// and the year.
std::string ClockText(int32_t hour, int32_t ticksIntoHour, int32_t year);

class CTimePanel : public CPanel {
 public:
  void Build() override;
  void Update() override;
  void DrawSelf() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  void OnOpen() override;

  void UpdateTexts();
  void ShowGoalPrompt();

  // The prompt its player icon opens in the auction room and elsewhere.
  CPromptPanel* auctionPrompt = nullptr;
  CPromptPanel* gamePrompt = nullptr;

  CTextRect name, cash, clock;
  UIRect rects[kTimeElementCount];
  CIconButton* options = nullptr;
  CIconButton* playerIcon = nullptr;
  CIconButton* chance = nullptr;
  bool cardFlashReset = false;
  int32_t cashBlink = 0;
  int32_t cardFlash = 0;
  float cashShown = 0;
  // Set while the local player's money animation runs (frames left).
  int32_t moneyAnimation = 0;
  int32_t iconImage = -1;  // the player icon's first image, -1 none yet

 private:
  void FollowPlayerIcon(const CPlayer& local);
  void DrawHands();
  void UpdateChanceButton();
};
