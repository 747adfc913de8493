#pragma once
// Two-column texts: a left column of headings and labels and a right column
// of values placed at the end of their label's line (or on the next line
// when they do not fit), line kinds that colour a line, separator lines, a
// scroll bar, and an invisible link over every line through which a click
// selects a city object. CRichTextRect3 adds lines the user can select.
// The owner draws them with Draw (their DrawSelf is empty).
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/files/text_bank.h"
#include "ui/text_rect.h"
#include "ui/ui_services.h"
#include "ui/widget.h"

class CIconButton;
class CScrollBar;

// Line kinds: 1 heading (green), 2 label (white), 0 and 3 red.
enum RichLineKind : int32_t { kRichPlain = 0, kRichHeading = 1, kRichLabel = 2, kRichMarked = 3 };

// An invisible button over one line of a rich text, pointing at a city
// object (and building) or carrying a value for the owning panel.
class CRichTextLink : public CWidget {
 public:
  void SetRect(float x1, float y1, float x2, float y2) override;
  void Build() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;

  void SetTarget(const UiObjectRef& object, int32_t building);
  void SetValue(int32_t v);
  // Shown when it points at an object or carries a value.
  bool Linked() const { return target.Valid() || (linkValue != 0 && linkValue != -1); }

  CIconButton* button = nullptr;
  UiObjectRef target;
  int32_t targetBuilding = -1;
  int32_t linkValue = -1;
  bool hovered = false;

 private:
  void Clicked(int32_t a);
};

class CRichTextBase : public CWidget {
 public:
  void SetRect(float x1, float y1, float x2, float y2) override;
  void Build() override;
  bool HitTest() override { return IsMouseOverRect(Rect(), OwnerModel()); }

  void Clear();
  void AddHeadingF(const char* format, ...);
  void AddHeadingId(int32_t textId, TextArgs args = {});
  void AddLabelF(const char* format, ...);
  void AddLabelId(int32_t textId, TextArgs args = {});
  void AddBlankLine();
  void MarkSeparator();
  void AddValueF(const char* format, ...);
  void AddValueId(int32_t textId, TextArgs args = {});
  void SetLastValueStyle(int32_t colour, int32_t altColour, bool flash);
  void SetLineLink(const UiObjectRef& object, int32_t building);
  void SetLineValue(int32_t line, int32_t v);
  int32_t GetLineValue(int32_t line) const;
  // Moves the scroll bar with it, when the text has one.
  void ScrollTo(int32_t first);
  void Draw(const CLayoutEntity* origin);
  // The line count of the longer column.
  int32_t LongerColumn() const { return std::max(left.LineCount(), right.LineCount()); }
  // The row under the mouse, counted from the first visible line.
  int32_t MouseRow() const;

  CTextRect left, right, scratch;
  std::vector<uint8_t> lineSelected;
  std::vector<int32_t> lineValue, lineKind, lineMark;
  std::vector<CRichTextLink*> lineLink;
  std::vector<uint8_t> lineTag;
  int32_t lineCapacity = 0;
  CScrollBar* scrollBar = nullptr;
  int32_t scrollPos = -1;
  int32_t currentKind = 0;

 protected:
  // Whether the hover bar is drawn (over the given line).
  virtual bool HoverHighlightOn() const = 0;
  virtual bool RowHighlighted(int32_t line) const = 0;
  virtual void RefreshScrollRange() = 0;
  virtual bool ClearsSelection() const = 0;
  // Whether the band above a line after headings spans the whole width.
  virtual bool FullWidthBand() const = 0;
  // Appends to the left column with the given kind and pads the right one
  // to `rightShort` lines fewer.
  void AddLeft(int32_t kind, const std::string* plain, int32_t textId, TextArgs args, int32_t rightShort);
  void EnsureLineCapacity();
  void ApplyKinds(int32_t from);
  void PlaceValue(const std::string* plain, int32_t textId, TextArgs args);
  void PadColumn(CTextRect& column, int32_t lines);
  void SelectOnly(int32_t line);
  UIRect RowRect(int32_t row, const CLayoutEntity* origin) const;
};

class CRichTextRect2 : public CRichTextBase {
 public:
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  void SetHighlight(bool flag) { highlight = flag; }

  bool highlight = false;

 protected:
  bool HoverHighlightOn() const override { return highlight; }
  bool RowHighlighted(int32_t) const override { return highlight; }
  void RefreshScrollRange() override;
  bool ClearsSelection() const override { return true; }
  bool FullWidthBand() const override { return true; }
};

class CRichTextRect3 : public CRichTextBase {
 public:
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;

  void ClearSelection();
  void AddTaggedLabelF(uint8_t tag, const char* format, ...);
  void AddTaggedLabelId(uint8_t tag, int32_t textId, TextArgs args = {});
  void AddLabelPlainId(int32_t textId) { AddLabelId(textId); }
  void SetLastLabelStyle(int32_t colour, int32_t altColour, bool flash);
  void SelectLine(int32_t line);
  void SetHoverHighlight(bool flag) { hoverHighlight = flag; }
  void SetSelectableHighlight(bool flag) { selectableHighlight = flag; }
  // The first visible line and the line past the last visible one.
  std::pair<int32_t, int32_t> GetVisibleRange() const;
  int32_t GetLineUnderMouse() const;

  bool hoverHighlight = false;
  bool selectableHighlight = false;

 protected:
  bool HoverHighlightOn() const override { return hoverHighlight || selectableHighlight; }
  bool RowHighlighted(int32_t line) const override;
  void RefreshScrollRange() override;
  // Selections survive Clear; ClearSelection removes them.
  bool ClearsSelection() const override { return false; }
  bool FullWidthBand() const override { return false; }

 private:
  void Tag(int32_t line, uint8_t tag);
};
