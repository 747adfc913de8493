#include "panels/prompt_panel.h"

#include <algorithm>
#include <cmath>

#include "engine/core/console.h"
#include "engine/input/input_device.h"
#include "engine/render/renderer.h"
#include "panels/panel_drawing.h"
#include "panels/panel_links.h"
#include "platform/input.h"
#include "script/interface_bindings.h"
#include "session/scenarios.h"
#include "session/session_state.h"
#include "session/tick_driver.h"
#include "ui/buttons.h"
#include "ui/draw_2d.h"
#include "ui/interface_controls.h"
#include "ui/panel_manager.h"
#include "ui/ui_services.h"
#include "visuals/overlay/tutor_figure.h"

namespace {

constexpr float kPointerHalfWidth = 5.0f;
constexpr uint32_t kPointerColour = 0xFFFF0000u;
constexpr int32_t kLabelFont = 3;
constexpr int32_t kHighlightImages[3] = {79, 81, 80};  // normal, pressed, hover
constexpr int32_t kPlainImages[3] = {85, 87, 86};
// The main text's fonts, largest first: a long message (a lesson's step in
// German) takes the first in which all of it shows.
constexpr int32_t kMainTextFonts[] = {0, 1, 2};

}  // namespace

CPromptPanel::CPromptPanel(int32_t controlBase, int32_t lockSlot)
    : controlBase_(controlBase), lockSlot_(lockSlot) {
  for (int32_t i = 0; i < kPromptRecords; ++i) records_.push_back(std::make_unique<PromptRecord>());
}

void CPromptPanel::Build() {
  backingRect = ElementRect("PROMPT_MAIN_BACKING");
  titleRect = ElementRect("PROMPT_TITLE_AREA");
  portraitRect = ElementRect("PROMPT_PORTRAIT");
  mainRect = backingRect;
  mainRect.y2 = (3 * backingRect.y2 + backingRect.y1) / 4 + 2;
  // The main text starts below the title where the title lies in the backing.
  if (titleRect.y2 > mainRect.y1 && titleRect.y2 < mainRect.y2) mainRect.y1 = titleRect.y2 + 2;
  portraitTextRect = mainRect;
  portraitTextRect.x1 = portraitRect.x2;
  buttonWidth = float(UIImageWidth(kPromptButtonImage));
  buttonHeight = float(UIImageHeight(kPromptButtonImage));
  queue.clear();
  building = nullptr;
  for (auto& r : records_) {
    r->lineCount = 0;
    CTextRect& title = r->lines[0];
    title.Attach(titleRect.x1, titleRect.y1, titleRect.x2, titleRect.y2, this, this, 0);
    title.SetAlignment(4, 4, kKeepAlignmentValue);
    title.SetFont(3);
    title.Clear();
    title.AddText("Place Subject Here!!!");
    CTextRect& main = r->lines[1];
    main.Attach(mainRect.x1, mainRect.y1, mainRect.x2, mainRect.y2, this, this, 1);
    main.SetAlignment(4, 4, kKeepAlignmentValue);
    main.SetFont(0);
    main.Clear();
    main.AddText("Place the main String in here. It could be quite long so make sure it wraps over lines etc "
                 "and does not encroach on buttons... ");
    r->lineCount = 2;
    r->buttonCount = 0;
    r->inUse = false;
  }
  for (int32_t i = kPromptButtons - 1; i >= 0; --i) {
    CIconButton* b = buttons[size_t(i)] = CreatePushButton(*this, i, UIRect{}, kLabelFont);
    SetButtonImages(*b, kHighlightImages[0], kHighlightImages[1], -1, kHighlightImages[2], -1);
    b->SetLabel("No String!!");
    b->visible = false;
  }
  EnterControlSlots();
  // Every Open starts a prompt, also while one is on screen.
  reopen = true;
  layer = 0;
}

void CPromptPanel::EnterControlSlots() {
  for (int32_t i = 0; i < 3; ++i) SetInterfaceControl(controlBase_ + i, buttons[size_t(i)]);
  SetInterfaceControl(lockSlot_, this);
}

void CPromptPanel::InitRecord(PromptRecord& r) {
  r.inUse = true;
  r.timeoutTicks = kPromptDefaultTimeout;
  r.timeoutOn = true;
  r.callback = nullptr;
  r.onDismiss = nullptr;
  r.userValue = 0;
  r.defaultButton = 0;
  r.pointerShown = false;
  r.targetX = r.targetY = r.grow = 0;
  r.portrait = -1;
  r.buttonCount = 0;
  r.buttonText.fill(0);
  r.highlighted.fill(true);
  r.coloured = false;
  r.mainFill = nullptr;
  CTextRect& main = r.lines[1];
  main.SetRect(mainRect.x1, mainRect.y1, mainRect.x2, mainRect.y2);
  main.SetAlignment(4, 4, kKeepAlignmentValue);
  main.lineSpacing = 2;
  main.SetFont(0);
}

PromptRecord* CPromptPanel::TakeRecord() {
  for (auto& r : records_)
    if (!r->inUse) {
      InitRecord(*r);
      return r.get();
    }
  if (int32_t(records_.size()) < kPromptQueueLimit) {
    records_.push_back(std::make_unique<PromptRecord>());
    PromptRecord& r = *records_.back();
    for (int32_t l = 0; l < 2; ++l) r.lines[size_t(l)].Attach(0, 0, 0, 0, this, this, l);
    r.lines[0].SetRect(titleRect.x1, titleRect.y1, titleRect.x2, titleRect.y2);
    r.lines[0].SetAlignment(4, 4, kKeepAlignmentValue);
    r.lines[0].SetFont(3);
    r.lineCount = 2;
    InitRecord(r);
    return &r;
  }
  // Full: the last opened prompt is taken again as it is.
  return building;
}

bool CPromptPanel::LocksControls() const {
  return Session().inGame && !ScenarioManager().IsTutorialRunning();
}

void CPromptPanel::Lock() {
  CPanelManager* set = lockSet ? lockSet : manager;
  if (set == nullptr) return;
  // Every control of the set but the prompt itself and its buttons.
  DisableAllControls(*set, lockSlot_);
  for (int32_t i = 0; i < 3; ++i) EnableHudControl(controlBase_ + i);
  locked = true;
}

void CPromptPanel::Unlock() {
  CPanelManager* set = lockSet ? lockSet : manager;
  if (set && locked) EnableAllControls(*set);
  locked = false;
}

void CPromptPanel::OnOpen() {
  if (LocksControls()) Lock();
  UnblockInput();
  raiseRequest = true;
  layer = 0;
  PromptRecord* r = TakeRecord();
  if (r == nullptr) return;
  building = r;
  if (std::find(queue.begin(), queue.end(), r) == queue.end()) queue.push_back(r);
  if (queue.front() == r) firstFrame = true;
  LayOut();
  SetLogicSpeed(false);
}

void CPromptPanel::LayOut() {
  for (CIconButton* b : buttons) b->visible = false;
  const PromptRecord* r = Head();
  if (r == nullptr) return;
  const int32_t n = std::clamp(r->buttonCount, 0, kPromptButtons);
  const float width = backingRect.x2 - backingRect.x1;
  const float gap = (width - float(n) * buttonWidth) / float(n + 1);
  const float y = (3 * backingRect.y2 + backingRect.y1) / 4 + 2;
  for (int32_t i = 0; i < n; ++i) {
    CIconButton& b = *buttons[size_t(i)];
    const float x = backingRect.x1 + gap + float(i) * (buttonWidth + gap);
    b.SetRect(x, y, x + buttonWidth, y + buttonHeight);
    b.visible = true;
    b.pressed = b.hovered = false;
    if (r->buttonText[size_t(i)] != 0) b.SetLabelId(r->buttonText[size_t(i)]);
    const int32_t* images = r->highlighted[size_t(i)] ? kHighlightImages : kPlainImages;
    SetButtonImages(b, images[0], images[1], -1, images[2], -1);
    if (r->coloured && i == 0) b.SetTint(80, 148, 34);
    else if (r->coloured && i == 1) b.SetTint(175, 6, 6);
    else b.ClearTint();
  }
}

// ---- The record being built -------------------------------------------------------

void CPromptPanel::UseColouredButtons() {
  if (building == nullptr) return;
  building->coloured = true;
  if (IsOnScreen(building)) LayOut();
}

void CPromptPanel::FitMainText(PromptRecord& r) {
  if (r.mainFill) r.lines[1].FillFitting(kMainTextFonts, r.mainFill);
}

// The title is filled as it is; the main text in the largest font in which
// it shows whole.
void CPromptPanel::FillLine(int32_t line, std::function<void(CTextRect&)> fill) {
  if (building == nullptr || line < 0 || line > 1) return;
  if (line == 0) {
    CTextRect& t = building->lines[0];
    t.Clear();
    fill(t);
    return;
  }
  building->mainFill = std::move(fill);
  FitMainText(*building);
}

void CPromptPanel::SetLineTextWithNumbers(int32_t line, int32_t textId, int32_t number) {
  FillLine(line, [textId, number](CTextRect& t) { t.AddTextIdArgs1(textId, number); });
}

void CPromptPanel::SetLineText(int32_t line, int32_t textId, std::string_view text) {
  FillLine(line, [textId, s = std::string(text)](CTextRect& t) { t.AddTextIdArgs1(textId, s.c_str()); });
}

void CPromptPanel::SetLineTextArgs(int32_t line, int32_t textId, TextArgs args) {
  // The arguments' texts are copied: the fill may run again later.
  std::vector<std::string> texts;
  for (const TextArg& a : args)
    if (a.IsText()) texts.emplace_back(a.Text() ? a.Text() : "");
  std::vector<bool> isText;
  std::vector<int32_t> numbers;
  for (const TextArg& a : args) {
    isText.push_back(a.IsText());
    numbers.push_back(a.Int());
  }
  FillLine(line, [textId, texts, isText, numbers](CTextRect& t) {
    std::vector<TextArg> kept;
    size_t next = 0;
    for (size_t i = 0; i < isText.size(); ++i) {
      if (isText[i]) kept.emplace_back(texts[next++]);
      else kept.emplace_back(numbers[i]);
    }
    t.AddTextIdArgList(textId, kept);
  });
}

void CPromptPanel::SetLineString(int32_t line, std::string_view text) {
  FillLine(line, [s = std::string(text)](CTextRect& t) { t.AddText(s); });
}

void CPromptPanel::AddMainTextArgs1(int32_t textId, std::string_view text) {
  if (building == nullptr) return;
  std::function<void(CTextRect&)> before = std::move(building->mainFill);
  building->mainFill = [before, textId, s = std::string(text)](CTextRect& t) {
    if (before) before(t);
    t.AddTextIdArgs1(textId, s.c_str());
  };
  FitMainText(*building);
}

void CPromptPanel::SetButtonText(int32_t button, int32_t textId) {
  if (building == nullptr || button < 0 || button >= kPromptButtons) return;
  building->buttonText[size_t(button)] = textId;
  if (IsOnScreen(building)) LayOut();
}

void CPromptPanel::SetButtonHighlight(int32_t button, bool on) {
  if (building == nullptr || button < 0 || button >= kPromptButtons) return;
  building->highlighted[size_t(button)] = on;
  if (IsOnScreen(building)) LayOut();
}

void CPromptPanel::SetButtonCount(int32_t n) {
  if (building == nullptr) return;
  building->buttonCount = std::clamp(n, 0, kPromptButtons);
  if (IsOnScreen(building)) LayOut();
}

void CPromptPanel::SetTimeout(int32_t seconds) {
  if (building == nullptr) return;
  building->timeoutOn = seconds != 0;
  building->timeoutTicks = seconds * kPromptTicksPerSecond;
}

void CPromptPanel::SetPortrait(int32_t image) {
  if (building == nullptr) return;
  building->portrait = image;
  const UIRect& r = image >= 0 ? portraitTextRect : mainRect;
  CTextRect& main = building->lines[1];
  main.SetRect(r.x1, r.y1, r.x2, r.y2);
  main.SetAlignment(3, 4, kKeepAlignmentValue);
  // A text already there is laid out again for the other width.
  FitMainText(*building);
}

void CPromptPanel::PointAt(float x, float y) {
  if (building == nullptr) return;
  building->pointerShown = true;
  building->targetX = x;
  building->targetY = y;
}

void CPromptPanel::SetCallback(PromptCallback callback) {
  if (building) building->callback = std::move(callback);
}

void CPromptPanel::SetOnDismiss(std::function<void()> onDismiss) {
  if (building) building->onDismiss = std::move(onDismiss);
}

void CPromptPanel::SetUserValue(int32_t value) {
  if (building) building->userValue = value;
}

void CPromptPanel::SetDefaultButton(int32_t button) {
  if (building) building->defaultButton = button;
}

// ---- Answers and dismissal --------------------------------------------------------

void CPromptPanel::Answer(int32_t button, bool close) {
  PromptRecord* head = queue.empty() ? nullptr : queue.front();
  if (head == nullptr) return;
  const PromptCallback callback = head->callback;
  const int32_t value = head->userValue;
  if (callback) callback(button, value);
  if (close && !queue.empty() && queue.front() == head) Close();
}

int32_t CPromptPanel::OnEvent(int32_t type, int32_t a, int32_t) {
  if (type == kNotifyClicked) {
    if (a >= 0 && a < kPromptButtons) Answer(a, a != 3);
    return 0;
  }
  if (type != kMsgFrameTick || queue.empty()) return 0;
  PromptRecord& head = *queue.front();
  if (head.timeoutOn) {
    if (head.timeoutTicks < 1) {
      Answer(head.defaultButton, true);
      return 0;
    }
    --head.timeoutTicks;
  }
  if (head.pointerShown && head.grow < 1.0f) head.grow = std::min(1.0f, head.grow + 0.05f);
  if (firstFrame) {
    firstFrame = false;
    return 0;
  }
  // Keys typed into the console are not answers.
  if (IsConsoleOpen()) return 0;
  if (KeyPressed(platform::key::kReturn)) Answer(head.defaultButton, true);
  else if (KeyPressed(platform::key::kBackspace)) Answer(1, true);
  return 0;
}

void CPromptPanel::OnClose() {
  if (!queue.empty()) {
    PromptRecord* head = queue.front();
    queue.pop_front();
    head->inUse = false;
    head->callback = nullptr;
    const std::function<void()> dismissed = std::move(head->onDismiss);
    head->onDismiss = nullptr;
    if (building == head) building = queue.empty() ? nullptr : queue.back();
    if (dismissed) dismissed();
  }
  if (!queue.empty()) {
    // The next prompt shows at once; the panel stays open.
    open = true;
    animating = false;
    firstFrame = true;
    LayOut();
    SetLogicSpeed(false);
    return;
  }
  ReleaseTutor();
  Unlock();
}

void CPromptPanel::Reset() {
  if (open) {
    open = false;
    animating = false;
  }
  for (auto& r : records_) {
    r->inUse = false;
    r->callback = nullptr;
    r->onDismiss = nullptr;
  }
  queue.clear();
  // The scripts' prompts went with them.
  ForgetScriptPrompts();
  building = nullptr;
  locked = false;
  for (CIconButton* b : buttons)
    if (b) b->visible = false;
}

// ---- Drawing ----------------------------------------------------------------------

void CPromptPanel::Update() {
  DrawRect2DSolid(MovedRect(backingRect, LayoutEntity()), InterfaceBackingColour, 0.5f);
}

void CPromptPanel::DrawPointer(const PromptRecord& r) {
  const CLayoutEntity* m = LayoutEntity();
  const UIRect b = MovedRect(backingRect, m);
  const float cx = (b.x1 + b.x2) / 2, cy = (b.y1 + b.y2) / 2;
  const float dx = r.targetX - cx, dy = r.targetY - cy;
  const float length = std::sqrt(dx * dx + dy * dy);
  if (length > 0) {
    SetTutorTarget(cx + 160 * dx / length, cy + 80 * dy / length);
  }
  // The pointer leaves the backing at its edge, so it never crosses the
  // message; a target on the backing itself gets none.
  const float halfW = (b.x2 - b.x1) / 2, halfH = (b.y2 - b.y1) / 2;
  const float edge = std::min(dx != 0 ? halfW / std::fabs(dx) : 1e9f, dy != 0 ? halfH / std::fabs(dy) : 1e9f);
  if (edge >= 1.0f) return;
  const float sx = cx + dx * edge, sy = cy + dy * edge;
  const float ex = sx + (r.targetX - sx) * r.grow, ey = sy + (r.targetY - sy) * r.grow;
  Vec3 q[4];
  SegmentQuad(sx, sy, ex, ey, kPointerHalfWidth, 0.5f, q);
  const uint32_t faded = WithAlpha(kPointerColour, 0x7F);
  const uint32_t colours[4] = {faded, kPointerColour, kPointerColour, faded};
  if (CRenderer* renderer = UiRenderer()) renderer->DrawGouraudQuads(q, 1, colours);
}

void CPromptPanel::DrawSelf() {
  const CLayoutEntity* m = LayoutEntity();
  DrawFade(titleRect, m, kGreyTop, kGreyBottom, 0.5f);
  PromptRecord* r = queue.empty() ? nullptr : queue.front();
  if (r == nullptr) return;
  for (int32_t l = std::min(r->lineCount, 2) - 1; l >= 0; --l) {
    r->lines[size_t(l)].Draw(m);
  }
  if (r->pointerShown) DrawPointer(*r);
  else ReleaseTutor();
  if (r->portrait >= 0) DrawTexturedRect(MovedRect(portraitRect, m), UIImageTexture(r->portrait), 0.5f);
}
