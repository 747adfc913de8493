#include "ui/widget_gallery.h"

#include <cmath>

#include "ui/buttons.h"
#include "ui/choice_group.h"
#include "ui/drop_down.h"
#include "ui/edit_box.h"
#include "ui/list_box.h"
#include "ui/rich_text.h"
#include "ui/scroll_bar.h"
#include "ui/spin_arrow.h"
#include "ui/draw_2d.h"

namespace {

// Widget ids, so the status line tells them apart.
enum GalleryId : int32_t {
  kIdIcon = 1, kIdTint, kIdRepeat, kIdDrag, kIdToggle, kIdOnOff, kIdRadio1, kIdRadio2, kIdRadio3,
  kIdList, kIdListScroll, kIdDropDown, kIdEdit, kIdSpinArrow, kIdSpinValue, kIdSpinBox, kIdChoices,
  kIdPicture, kIdRich, kIdRichScroll, kIdStatus,
};

// Images of the generic set: icon-button faces and the round marker.
constexpr IconImages kFaceImages{85, 86, 87, 9};
constexpr int32_t kToggledFace = 10;
constexpr int32_t kMarkerImage = 5;

const char* const kSpinChoices[] = {"Spring", "Summer", "Autumn", "Winter"};

}  // namespace

void CWidgetGalleryPanel::Build() {
  const CLayoutEntity* model = LayoutEntity();
  if (model == nullptr) return;
  title.Clear();
  title.AddText("Widget gallery");
  BuildButtons();
  BuildLists();
  BuildEntry();
  BuildRichText();
  BuildChart();
  const UIRect s = ElementRect("STATUS");
  status = CreateTextRect(kIdStatus, s.x1, s.y1, s.x2, s.y2);
  ShowStatus();
}

CIconButton* CWidgetGalleryPanel::FaceButton(int32_t buttonId, const UIRect& r, int32_t mode, int32_t overlay) {
  CIconButton* b = CreateIconButton(buttonId, r.x1, r.y1, r.x2, r.y2);
  b->SetImages(kFaceImages);
  b->SetMode(mode);
  b->overlayImage = overlay;
  b->overlayRect = UIRect{r.x1 + 8, r.y1 + 4, r.x2 - 8, r.y2 - 4, depth};
  return b;
}

void CWidgetGalleryPanel::BuildButtons() {
  auto at = [this](const char* name) { return ElementRect(name); };
  UIRect r = at("ICON_BUTTON");
  iconButton = CreateIconButton(kIdIcon, r.x1, r.y1, r.x2, r.y2);
  iconButton->SetImages(kFaceImages);
  iconButton->label.SetAlignment(4, 0, 0);
  iconButton->SetLabel("Press");
  r = at("TINT_BUTTON");
  tintButton = CreateIconButton(kIdTint, r.x1, r.y1, r.x2, r.y2);
  tintButton->label.SetAlignment(4, 0, 0);
  tintButton->SetLabel("Tinted");
  tintButton->SetTint(40, 140, 60);
  tintButton->SetMode(kIconFireOnRelease);
  repeatButton = FaceButton(kIdRepeat, at("REPEAT_BUTTON"), kIconAutoRepeat, kSpinUpImage);
  dragButton = FaceButton(kIdDrag, at("DRAG_BUTTON"), kIconDragSteps, kMarkerImage);
  r = at("TOGGLE_BUTTON");
  toggleButton = CreateIconButton(kIdToggle, r.x1, r.y1, r.x2, r.y2);
  toggleButton->SetImages(kFaceImages);
  toggleButton->imageToggled = kToggledFace;
  toggleButton->isToggle = 1;
  r = at("ONOFF_BUTTON");
  onOffButton = CreateButton(kIdOnOff, r.x1, r.y1, r.x2, r.y2);
  onOffButton->imageOn = kToggledFace;
  onOffButton->imageOff = kFaceImages.normal;
  const char* radioNames[3] = {"RADIO_1", "RADIO_2", "RADIO_3"};
  for (int32_t i = 0; i < 3; ++i) {
    r = at(radioNames[i]);
    radios[i] = CreateRadioButton(kIdRadio1 + i, r.x1, r.y1, r.x2, r.y2);
    radios[i]->imageOn = kMarkerImage;
    radios[i]->imageOff = kFaceImages.disabled;
  }
  for (int32_t i = 0; i < 3; ++i) {
    radios[i]->sibling1 = radios[(i + 1) % 3];
    radios[i]->sibling2 = radios[(i + 2) % 3];
  }
  radios[0]->on = true;
}

void CWidgetGalleryPanel::BuildLists() {
  UIRect r = ElementRect("LIST");
  list = CreateListBox(kIdList, r.x1, r.y1, r.x2, r.y2, 0.5f);
  const UIRect s = ElementRect("LIST_SCROLL");
  listScroll = CreateScrollBar(kIdListScroll, s.x1, s.y1, s.y2 - s.y1, true);
  listScroll->AttachListBox(list);
  list->AttachScrollBar(listScroll);
  const char* const items[] = {"Bakery", "Bank", "Cinema", "(closed)", "Diner", "Florist", "Garage",
                               "Hotel", "Ice rink", "Jeweller", "Kiosk", "Laundry"};
  list->Reset(int32_t(std::size(items)));
  for (int32_t i = 0; i < int32_t(std::size(items)); ++i) {
    list->SetItemText(i, "%s", items[i]);
    list->SetItemValue(i, i == 3 ? -1 : i);  // the closed one cannot be chosen
  }
  list->SetItemSeparator(3);
  r = ElementRect("DROP_DOWN");
  dropDown = CreateDropDown(kIdDropDown, r.x1, r.y1, r.x2, r.y2, UIRect{r.x1, r.y1, r.x2, r.y2, 0.5f});
  for (const char* decade : {"1900s", "1920s", "1940s", "1960s", "1980s", "2000s"})
    dropDown->AddItem(nullptr, "%s", decade);
}

void CWidgetGalleryPanel::BuildEntry() {
  UIRect r = ElementRect("EDIT");
  edit = CreateEditBox(kIdEdit, r.x1, r.y1, r.x2, r.y2);
  edit->clickable = true;
  edit->maxLength = 24;
  edit->SetFileNameMode();
  edit->SetText("savegame1");
  r = ElementRect("SPIN_ARROW");
  spinArrow = CreateSpinArrow(kIdSpinArrow, r.x1, r.y1, r.x2 - r.x1);
  spinArrow->SetRange(5.0f, 0.0f, 100.0f);
  spinArrow->SetValue(25.0f);
  r = ElementRect("SPIN_VALUE");
  spinValue = CreateTextRect(kIdSpinValue, r.x1, r.y1, r.x2, r.y2);
  spinValue->SetTextF("%d", int32_t(spinArrow->value));
  r = ElementRect("SPIN_BOX");
  spinBox = CreateSpinBox(kIdSpinBox, r.x1, r.y1, r.x2, r.y2, 0.5f);
  spinBox->text.SetAlignment(4, 0, 0);
  spinBox->CreateArrows(ElementRect("SPIN_NEXT"), ElementRect("SPIN_PREVIOUS"));
  spinBox->SetChoiceCount(int32_t(std::size(kSpinChoices)));
  spinBox->SetWrap(1);
  ShowSpinChoice();
  r = ElementRect("CHOICES");
  choices = CreateChoiceGroup(kIdChoices, r.x1, r.y1, r.x2, r.y2, 0.5f);
  choices->SetItemCount(4);
  const char* const speeds[] = {"Paused", "Normal", "Fast", "Fastest"};
  for (int32_t i = 0; i < 4; ++i) choices->SetItemLabel(i, speeds[i]);
  r = ElementRect("PICTURE");
  picture = CreatePicture(kIdPicture, r.x1, r.y1, r.x2, r.y2, 0.5f);
  picture->texture = UIImageTexture(kMarkerImage);
}

void CWidgetGalleryPanel::BuildRichText() {
  const UIRect r = ElementRect("RICH");
  rich = CreateRichTextRect3(kIdRich, r.x1 + 2, r.y1 + 2, r.x2 - 2, r.y2 - 2);
  const UIRect s = ElementRect("RICH_SCROLL");
  richScroll = CreateScrollBar(kIdRichScroll, s.x1, s.y1, s.y2 - s.y1, true);
  richScroll->AttachRichText3(rich);
  rich->scrollBar = richScroll;
  rich->SetHoverHighlight(true);
  rich->AddHeadingF("Downtown");
  rich->AddTaggedLabelF(1, "Rent");
  rich->AddValueF("$1,200");
  rich->AddTaggedLabelF(1, "Upkeep");
  rich->AddValueF("$340");
  rich->AddTaggedLabelF(1, "Income from the tenants of the east wing");
  rich->AddValueF("$12,875");
  rich->MarkSeparator();
  rich->AddHeadingF("Blocks");
  for (int32_t block = 0; block < 12; ++block) {
    rich->AddTaggedLabelF(1, "Block %d", block + 1);
    rich->SetLineLink(UiObjectRef{4, block}, -1);  // picked-object kind 4: a block
    rich->AddValueF("%d%%", 40 + block * 5);
  }
  rich->ScrollTo(0);
}

void CWidgetGalleryPanel::BuildChart() {
  const UIRect r = ElementRect("CHART");
  chart.plotX = r.x1 + 34;
  chart.plotY = r.y1 + 6;
  chart.plotWidth = r.x2 - r.x1 - 40;
  chart.plotHeight = r.y2 - r.y1 - 26;
  chart.xLinesPerLabel = chart.yLinesPerLabel = 2;
  chart.xMajorEvery = 4;
  chart.yKind = kChartMoney;
  chart.xKind = kChartNumber;
  series.clear();
  for (int32_t month = 0; month <= 24; ++month)
    series.push_back({float(month), 1000.0f + 600.0f * std::sin(float(month) * 0.45f) + 40.0f * float(month)});
  chart.dataMinX = 0;
  chart.dataMaxX = 24;
  chart.dataMinY = chart.dataMaxY = series[0].y;
  for (const ChartPoint& p : series) {
    chart.dataMinY = std::min(chart.dataMinY, p.y);
    chart.dataMaxY = std::max(chart.dataMaxY, p.y);
  }
  chart.xMarker = 12;
  chart.yMarker = 1500;
  CChart::FitViewToData(chart);
}

void CWidgetGalleryPanel::ShowSpinChoice() {
  spinBox->ClearText();
  spinBox->text.AddText(kSpinChoices[spinBox->GetCurrent()]);
}

void CWidgetGalleryPanel::ShowStatus() {
  if (status == nullptr) return;
  if (lastCode == 0) status->SetTextF("Try the widgets: their notifications show here.");
  else status->SetTextF("Notification %d from widget %d, value %d", lastCode, lastId, lastValue);
}

void CWidgetGalleryPanel::DrawSelf() {
  const CLayoutEntity* model = LayoutEntity();
  // Texts and rich texts are drawn by their owner.
  spinValue->Draw(model);
  status->Draw(model);
  rich->Draw(model);
  CChart::DrawGrid(chart, 16.0f, 14.0f, 0x80A0B0C0u, 0xFFE55F49u);
  CChart::DrawLine(chart, series, 0xFF3AFD87u, 2.0f);
}

int32_t CWidgetGalleryPanel::OnEvent(int32_t type, int32_t a, int32_t b) {
  if (type == kMsgFrameTick) return CPanel::OnEvent(type, a, b);
  // Entering and leaving buttons would hide the interesting notifications.
  if (type >= kNotifyClicked && type != kNotifyIconEntered && type != kNotifyIconLeft &&
      type != kNotifyToggleEntered && type != kNotifyToggleLeft && type != kNotifyRadioEntered &&
      type != kNotifyRadioLeft && type != kNotifyScrollPosition) {
    lastCode = type, lastId = a, lastValue = b;
    ShowStatus();
  }
  if (type == kNotifySpinStepped) spinValue->SetTextF("%d", int32_t(spinArrow->value));
  if (type == kNotifySpinBoxChanged) ShowSpinChoice();
  return CPanel::OnEvent(type, a, b);
}
