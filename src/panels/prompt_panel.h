#pragma once
// The prompt: the game's modal message box. A title line, a main text, an
// optional portrait, up to four buttons, an optional pointer to a place on
// the screen and a time-out. Prompts opened while one is on screen wait in
// order; each dismissal shows the next. The HUD and the auction room each
// have one; while a non-tutorial level runs, an open prompt locks the other
// controls of its set until the queue is empty.
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "ui/panel.h"
#include "ui/text_rect.h"

class CIconButton;
class CPanelManager;

// Button index, user value.
using PromptCallback = std::function<void(int32_t button, int32_t userValue)>;

inline constexpr int32_t kPromptButtons = 4;
inline constexpr int32_t kPromptRecords = 4;
// The queue grows past its four records up to this many prompts; beyond it
// the last opened one is taken again.
inline constexpr int32_t kPromptQueueLimit = 64;
inline constexpr int32_t kPromptTicksPerSecond = 50;
inline constexpr int32_t kPromptDefaultTimeout = 1000;
inline constexpr int32_t kPromptButtonImage = 79;

struct PromptRecord {
  PromptCallback callback;
  // Runs when the prompt goes, however it is dismissed.
  std::function<void()> onDismiss;
  int32_t lineCount = 0;
  int32_t buttonCount = 0;
  int32_t userValue = 0;
  bool timeoutOn = false;
  int32_t timeoutTicks = 0;
  // The button that a time-out and the Return key answer with; a yes/no
  // question sets it to its "no".
  int32_t defaultButton = 0;
  std::array<CTextRect, 2> lines;  // title, main text
  // What fills the main text, kept to fill it again in a smaller font or
  // another rect: a text is wrapped as it is added.
  std::function<void(CTextRect&)> mainFill;
  bool pointerShown = false;
  float targetX = 0, targetY = 0, grow = 0;
  int32_t portrait = -1;
  std::array<int32_t, kPromptButtons> buttonText{};
  std::array<bool, kPromptButtons> highlighted{};
  bool coloured = false;
  bool inUse = false;
};

class CPromptPanel : public CPanel {
 public:
  // controlBase: the first of the three control slots of its buttons 0..2;
  // lockSlot: its own slot, which stays usable while the set is locked.
  CPromptPanel(int32_t controlBase, int32_t lockSlot);

  void Build() override;
  void Update() override;
  void DrawSelf() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  void OnOpen() override;
  void OnClose() override;
  void Reset() override;

  // Operations on the record being built (the last opened).
  // Buttons 0 and 1 of this prompt tinted green and red.
  void UseColouredButtons();
  void SetLineTextWithNumbers(int32_t line, int32_t textId, int32_t number);
  void SetLineText(int32_t line, int32_t textId, std::string_view text);
  void SetLineTextArgs(int32_t line, int32_t textId, TextArgs args);
  // Shown as it is (never read as a format).
  void SetLineString(int32_t line, std::string_view text);
  // Adds a paragraph to the main text, on a line of its own.
  void AddMainTextArgs1(int32_t textId, std::string_view text);
  void SetButtonText(int32_t button, int32_t textId);
  void SetButtonHighlight(int32_t button, bool on);
  void SetButtonCount(int32_t n);
  void SetTimeout(int32_t seconds);
  void SetPortrait(int32_t image);
  void PointAt(float x, float y);
  void SetCallback(PromptCallback callback);
  void SetOnDismiss(std::function<void()> onDismiss);
  void SetUserValue(int32_t value);
  void SetDefaultButton(int32_t button);

  // Its buttons in the control slots (done by Build).
  void EnterControlSlots();
  PromptRecord* Building() { return building; }
  const PromptRecord* Head() const { return queue.empty() ? nullptr : queue.front(); }
  size_t QueueLength() const { return queue.size(); }
  // The set the prompt locks while it is up (its own manager by default).
  CPanelManager* lockSet = nullptr;

  std::array<CIconButton*, kPromptButtons> buttons{};
  UIRect backingRect, titleRect, portraitRect, mainRect, portraitTextRect;
  float buttonWidth = 0, buttonHeight = 0;
  bool firstFrame = false;
  bool locked = false;

 private:
  PromptRecord* TakeRecord();
  void InitRecord(PromptRecord& r);
  void LayOut();
  void FillLine(int32_t line, std::function<void(CTextRect&)> fill);
  void FitMainText(PromptRecord& r);
  void Answer(int32_t button, bool close);
  void Lock();
  void Unlock();
  bool LocksControls() const;
  bool IsOnScreen(const PromptRecord* r) const { return open && r != nullptr && r == Head(); }
  void DrawPointer(const PromptRecord& r);

  int32_t controlBase_;
  int32_t lockSlot_;
  std::vector<std::unique_ptr<PromptRecord>> records_;
  std::deque<PromptRecord*> queue;
  PromptRecord* building = nullptr;
};
