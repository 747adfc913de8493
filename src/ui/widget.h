#pragma once
// The base of every interface element. A widget is a rectangle in the
// 640 x 480 layout space, relative to the layout-model position of the panel
// that owns it, with a list of child widgets, the cursor it asks for while
// the mouse is over it and a tooltip. The panel manager draws widgets, finds
// the one under the mouse and sends it messages through the virtual
// operations below; a child tells its parent of what happened through the
// parent's OnEvent(code, child id, value).
//
// Widgets made by the factory methods belong to the widget that made them
// and are destroyed with it; widgets embedded in another object are set up
// with Attach and belong to that object.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "ui/ui_rect.h"

class CButton;
class CChoiceGroup;
class CChoiceItem;
class CDropDown;
class CEditBox;
class CIconButton;
class CListBox;
class CPanel;
class CPicture;
class CRadioButton;
class CRichTextLink;
class CRichTextRect2;
class CRichTextRect3;
class CScrollBar;
class CSpinArrow;
class CSpinBox;
class CTextRect;
struct CLayoutEntity;

// Messages from the panel manager and panels to widgets.
enum UiMessage : int32_t {
  kMsgFrameTick = 1,
  kMsgMouseEntered = 2,
  kMsgMouseLeft = 3,
  kMsgLeftPressed = 4,
  kMsgLeftHeld = 5,
  kMsgLeftReleased = 6,
  kMsgWheelForward = 8,
  kMsgWheelBack = 9,
  kMsgCharacter = 10,
  kMsgRefresh = 11,
};

// Notifications a widget sends to its parent's OnEvent(code, id, value).
enum UiNotification : int32_t {
  kNotifyClicked = 12,
  kNotifyChoiceItem = 13,
  kNotifyDragUp = 14,
  kNotifyDragDown = 15,
  kNotifyDragLeft = 16,
  kNotifyDragRight = 17,
  kNotifyIconEntered = 18,
  kNotifyIconLeft = 19,
  kNotifySpinStepped = 21,
  kNotifyEditEnter = 22,
  kNotifyLinkValue = 23,
  kNotifyLinkClicked = 24,
  kNotifyScrollPosition = 25,
  kNotifyDropDownChoice = 27,
  kNotifyLineChosen = 28,
  kNotifyListItem = 29,
  kNotifySpinBoxChanged = 30,
  kNotifyToggleLeft = 31,
  kNotifyToggleEntered = 32,
  kNotifyToggleFlipped = 33,
  kNotifyRadioLeft = 34,
  kNotifyRadioEntered = 35,
  kNotifyRadioOn = 36,
};

inline constexpr size_t kTooltipCapacity = 254;

class CWidget {
 public:
  CWidget() = default;
  CWidget(const CWidget&) = delete;
  CWidget& operator=(const CWidget&) = delete;
  virtual ~CWidget();

  // The ten operations, in this order in every subclass.
  virtual void SetRect(float x1, float y1, float x2, float y2);
  virtual void Build() {}
  virtual void DrawTree();
  virtual void DrawSelf() {}
  virtual void Update() {}
  virtual int32_t HandleMessage(int32_t type, int32_t a, int32_t b);
  virtual int32_t OnEvent(int32_t /*type*/, int32_t /*a*/, int32_t /*b*/) { return 0; }
  virtual bool HitTest();
  virtual bool IsEnabled() { return true; }
  virtual CWidget* PickWidget();

  virtual CPanel* AsPanel() { return nullptr; }
  // Keyboard focus taken away (edit boxes end their editing).
  virtual void Deactivate() {}

  void AppendChild(CWidget* child);
  // Sets up a widget embedded in another object; does not link it.
  void Attach(float x1, float y1, float x2, float y2, CWidget* parent, CPanel* owner, int32_t id);
  // Longer text is cut to kTooltipCapacity characters.
  void SetTooltipString(std::string_view text);
  // This widget, its subtree, its following siblings and their subtrees.
  void SetInputDisabledTree(bool flag);
  void BroadcastMessage(int32_t type, int32_t a, int32_t b);
  // Destroys the factory-made children (and their subtrees).
  void DeleteTree();

  // Factory: a child linked at the end of this widget's children.
  CTextRect* CreateTextRect(int32_t id, float x1, float y1, float x2, float y2);
  CRichTextRect2* CreateRichTextRect2(int32_t id, float x1, float y1, float x2, float y2);
  CRichTextRect3* CreateRichTextRect3(int32_t id, float x1, float y1, float x2, float y2);
  CRichTextLink* CreateRichTextLink(int32_t id, float x1, float y1, float x2, float y2);
  CIconButton* CreateIconButton(int32_t id, float x1, float y1, float x2, float y2);
  CButton* CreateButton(int32_t id, float x1, float y1, float x2, float y2);
  CRadioButton* CreateRadioButton(int32_t id, float x1, float y1, float x2, float y2);
  // The field (where its button lies) and the shown choice's rectangle.
  CDropDown* CreateDropDown(int32_t id, float x1, float y1, float x2, float y2, const UIRect& shown);
  CEditBox* CreateEditBox(int32_t id, float x1, float y1, float x2, float y2);
  // The arrows at both ends of `length`, the track between them, sized by
  // the scroll-arrow image.
  CScrollBar* CreateScrollBar(int32_t id, float x, float y, float length, bool vertical);
  CSpinArrow* CreateSpinArrow(int32_t id, float x, float y, float width);
  CChoiceItem* CreateChoiceItem(int32_t id, float x1, float y1, float x2, float y2, float depth);
  CChoiceGroup* CreateChoiceGroup(int32_t id, float x1, float y1, float x2, float y2, float depth);
  CListBox* CreateListBox(int32_t id, float x1, float y1, float x2, float y2, float depth);
  CSpinBox* CreateSpinBox(int32_t id, float x1, float y1, float x2, float y2, float depth);
  CPicture* CreatePicture(int32_t id, float x1, float y1, float x2, float y2, float depth);

  UIRect Rect() const { return UIRect{x1, y1, x2, y2, depth}; }
  // The layout model that places this widget (its owner panel's), or null.
  const CLayoutEntity* OwnerModel() const;
  // True when this widget is `panel` or belongs to it.
  bool IsOwnedBy(const CPanel* panel) const;

  float x1 = 0.0f, y1 = 0.0f, x2 = 0.0f, y2 = 0.0f;
  float depth = 0.5f;
  int32_t cursorId = 1;
  bool visible = true;
  bool inputDisabled = false;
  CWidget* parent = nullptr;
  CPanel* ownerPanel = nullptr;
  CWidget* firstChild = nullptr;
  CWidget* nextSibling = nullptr;
  int32_t id = 0;
  int32_t tooltipTextId = 0;
  bool hasTooltipString = false;
  char tooltipString[kTooltipCapacity + 1] = {};

 protected:
  // Links a new factory child: rectangle, parent, owner, Build, id, append.
  template <typename T>
  T* Adopt(std::unique_ptr<T> child, int32_t id, float x1, float y1, float x2, float y2) {
    T* w = child.get();
    owned_.push_back(std::move(child));
    w->SetRect(x1, y1, x2, y2);
    w->parent = this;
    w->ownerPanel = OwnerForChildren();
    w->Build();
    w->id = id;
    AppendChild(w);
    return w;
  }
  CPanel* OwnerForChildren();
  // Adopt, then the rectangle again with the depth.
  template <typename T>
  T* AdoptWithDepth(std::unique_ptr<T> child, int32_t id, float x1, float y1, float x2, float y2,
                    float depth) {
    T* w = Adopt(std::move(child), id, x1, y1, x2, y2);
    w->depth = depth;
    w->SetRect(x1, y1, x2, y2);
    return w;
  }

 private:
  std::vector<std::unique_ptr<CWidget>> owned_;
};

// True when the mouse lies strictly between x1 and x2 and between y1 and y2
// (both ends included) of the rect moved by the model's position; false
// while the right button is held or without a model.
bool IsMouseOverRect(const UIRect& rect, const CLayoutEntity* model);
// The rect moved by the model's position (unmoved without a model).
UIRect MovedRect(const UIRect& rect, const CLayoutEntity* model);
// The rect moved by the model's position, filled in opaque black with a
// black outline.
void DrawFilledRectAt(const UIRect& rect, const CLayoutEntity* model);
