#pragma once
// Every in-game panel and front-end screen is a CPanel: a widget bound to a
// layout model whose frames are its positions from fully closed (frame 0) to
// fully open, and whose named groups give its elements' rectangles. A panel
// opens and closes by playing its model's frames, can be dragged by its title
// (the drag-bar element), fades while another panel is modal and may have a
// hot area that toggles it.
#include <cstdint>
#include <string_view>

#include "ui/layout_model.h"
#include "ui/text_rect.h"
#include "ui/widget.h"

class CPanelManager;

class CPanel : public CWidget {
 public:
  CPanel();
  ~CPanel() override;

  void DrawTree() override;
  int32_t HandleMessage(int32_t type, int32_t a, int32_t b) override;
  CWidget* PickWidget() override;
  CPanel* AsPanel() override { return this; }

  // The panel's own operations, after the widget's ten.
  virtual void OnNotify(int32_t /*a*/, int32_t /*b*/) {}
  virtual bool ContainsMouse();
  virtual void Reset() {}
  virtual void OnOpen() {}
  virtual void OnClose() {}

  // Binds the model (null: a panel without one) and looks up the optional
  // hot-area and drag-bar elements, then runs Build.
  void BindLayout(CLayoutEntity* model, const char* hotArea, const char* dragBar,
                  CPanelManager* manager);
  void SelectLayoutFrame(int32_t n);  // 1-based
  void SetModelPosition(float x, float y);
  int32_t Open();
  int32_t Close();
  void Toggle();
  void Refresh();
  void BlockInput() { inputBlocked = true; }
  void UnblockInput() { inputBlocked = false; }
  void FadeOut();
  void FadeIn();
  void ResetPosition();
  // One input frame of sliding, settling and fading.
  void StepAnimation();
  // The texture slot an element is drawn with (-1 none), and another for
  // it on this panel; true when that changed it.
  int32_t GetElementTexture(int32_t element) const;
  bool SetElementTexture(int32_t element, int32_t texture);
  // Mirrors the element's image top to bottom (again: back as it was).
  void FlipMeshTextureYAxis(int32_t element);

  // Element lookup in the model (names are upper case; frames 0 and 1 both
  // take model frame 0). A name the model lacks gives the zero rectangle and
  // is reported once.
  static UIRect FindElementRect(std::string_view name, const CLayoutEntity* model, int32_t n);
  static int32_t FindElementIndex(std::string_view name, const CLayoutEntity* model);
  static float FindElementDepth(std::string_view name, const CLayoutEntity* model, int32_t n);
  // An empty text child placed on the element's rectangle in the last frame.
  CTextRect* FindElementText(std::string_view name, int32_t id = 0);
  // The element's rectangle in the last (fully open) frame.
  UIRect ElementRect(std::string_view name) const;

  const CLayoutEntity* LayoutEntity() const { return noModel ? nullptr : layoutModel; }
  CLayoutEntity* LayoutEntity() { return noModel ? nullptr : layoutModel; }
  // 2D depth of the panel's layer.
  float LayerDepth() const;

  CPanelManager* manager = nullptr;
  UIRect bounds;
  UIRect closedHotArea;
  UIRect openHotArea;
  int32_t frameCount = 0;
  int32_t chosenFrame = 0;
  int32_t openFrames = 0;
  bool built = false;
  bool reopen = false;
  CTextRect title;
  int32_t hotAreaElement = -1;
  int32_t dragBarElement = -1;
  bool animating = false;
  bool open = false;
  bool dragging = false;
  bool settling = false;
  bool enabled = true;
  bool fading = false;
  int8_t fadeStep = 0;
  bool raiseRequest = false;
  bool staysInFront = false;  // drawn over every panel of its set, whichever is raised
  bool inputBlocked = false;
  bool modal = false;
  bool noModel = false;
  int32_t layer = 2;
  float dragOffsetX = 0.0f, dragOffsetY = 0.0f;
  CLayoutEntity* layoutModel = nullptr;
  CPanel* next = nullptr;      // toward the back of the manager's list
  CPanel* previous = nullptr;  // toward the front

 protected:
  UIRect ElementRectInFrame(int32_t element, int32_t frame) const;

 private:
  void OpenSteps();
  void CloseSteps();
  void HandleMouse(int32_t type);
};

// The panel being dragged, if any.
CPanel*& CapturedPanel();
// How many missing-element reports have been made (each name once).
int32_t MissingElementReports();
