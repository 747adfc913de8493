#pragma once
// The widget gallery: a debug panel showing one of every interface widget on
// its layout, so each can be seen and tried in the running game. Its status
// line shows the last notification a widget sent it.
#include <cstdint>
#include <vector>

#include "ui/line_chart.h"
#include "ui/panel.h"

class CButton;
class CChoiceGroup;
class CDropDown;
class CEditBox;
class CIconButton;
class CListBox;
class CPicture;
class CRadioButton;
class CRichTextRect3;
class CScrollBar;
class CSpinArrow;
class CSpinBox;

inline constexpr const char* kWidgetGalleryLayout = "gamedata2\\brand_new_panels\\widget_gallery.tm";

class CWidgetGalleryPanel : public CPanel {
 public:
  void Build() override;
  void DrawSelf() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;

  // The last notification: code, widget id, value (code 0: none yet).
  int32_t lastCode = 0, lastId = 0, lastValue = 0;

  CIconButton* iconButton = nullptr;
  CIconButton* tintButton = nullptr;
  CIconButton* repeatButton = nullptr;
  CIconButton* dragButton = nullptr;
  CIconButton* toggleButton = nullptr;
  CButton* onOffButton = nullptr;
  CRadioButton* radios[3] = {};
  CListBox* list = nullptr;
  CScrollBar* listScroll = nullptr;
  CDropDown* dropDown = nullptr;
  CEditBox* edit = nullptr;
  CSpinArrow* spinArrow = nullptr;
  CTextRect* spinValue = nullptr;
  CSpinBox* spinBox = nullptr;
  CChoiceGroup* choices = nullptr;
  CPicture* picture = nullptr;
  CRichTextRect3* rich = nullptr;
  CScrollBar* richScroll = nullptr;
  CTextRect* status = nullptr;
  CChart chart;
  std::vector<ChartPoint> series;

 private:
  // An icon button with the generic faces and an image over them.
  CIconButton* FaceButton(int32_t buttonId, const UIRect& r, int32_t mode, int32_t overlay);
  void BuildButtons();
  void BuildLists();
  void BuildEntry();
  void BuildRichText();
  void BuildChart();
  void ShowSpinChoice();
  void ShowStatus();
};
