#include "panels/chat_panel.h"

#include <cstdio>
#include <iterator>
#include <string>

#include "panels/panel_drawing.h"
#include "panels/player_tokens.h"
#include "session/chat_log.h"
#include "session/player.h"
#include "session/session_state.h"
#include "ui/buttons.h"
#include "ui/draw_2d.h"
#include "ui/edit_box.h"
#include "ui/glyph_batcher.h"
#include "ui/interface_controls.h"
#include "ui/panel_manager.h"
#include "ui/ui_services.h"

namespace {

constexpr int32_t kTitleText = 1481, kToText = 1482, kAllText = 1483, kCancelText = 1761;
constexpr int32_t kChatPanelControl = 85;
constexpr int32_t kFirstPlayerControl = 79;
// The edit box: at most this many characters and this wide in pixels.
constexpr int32_t kInputCharacters = 230, kInputWidth = 215;
constexpr uint32_t kFieldColour = 0xFF1F2F75u;

constexpr int32_t kChatFont = 3;
// The selection panel stands from x 420.
constexpr float kLogX = 200.0f, kLogY = 370.0f, kLogRight = 416.0f, kLogHeight = 100.0f;
constexpr int32_t kLogRows = 10;
// One colour per character token, bright enough over the city.
constexpr uint32_t kLogColours[] = {0xFFFFD040, 0xFF60C0FF, 0xFFFF6060, 0xFF70E070,
                                    0xFFE080FF, 0xFFFF9830, 0xFFFFFFFF, 0xFF40E0D0};

uint32_t LogColour(int32_t character) {
  constexpr int32_t n = int32_t(std::size(kLogColours));
  return kLogColours[((character % n) + n) % n];
}

int32_t LocalIndex() {
  const CPlayer* local = PlayerTable().Local();
  return local ? int32_t(local->index) : -1;
}

}  // namespace

// ---- The panel ----------------------------------------------------------------------------

void CChatPanel::Build() {
  titleRect = ElementRect("CHAT_TITLE_AREA");
  backingRect = ElementRect("CHAT_BACKING");
  toRect = ElementRect("CHAT_TO_LABEL");
  inputRect = ElementRect("CHAT_INPUT_AREA");
  PanelText(titleText, titleRect, this, 3, 4, 2);
  titleText.AddTextId(kTitleText);
  PanelText(toLabel, toRect, this, 3, 3, 2);
  toLabel.AddTextId(kToText);
  auto button = [this](int32_t id, const UIRect& r) { return CreatePushButton(*this, id, r); };
  all = button(kAll, ElementRect("CHAT_ALL_BUTTON"));
  SetButtonImages(*all, 82, 84, -1, 83, -1);
  all->SetLabelId(kAllText);
  cancel = button(kCancel, ElementRect("CHAT_CANCEL_BUTTON"));
  SetButtonImages(*cancel, 85, 87, -1, 86, -1);
  cancel->SetLabelId(kCancelText);
  for (int32_t i = 0; i < kChatIcons; ++i) {
    icons[size_t(i)] = button(kFirstIcon + i, ElementRect("CHAT_ICON_SLOT" + std::to_string(i + 1)));
    icons[size_t(i)]->visible = false;
  }
  input = CreateEditBox(1, inputRect.x1 + 2, inputRect.y1, inputRect.x2 - 2, inputRect.y2);
  input->maxLength = kInputCharacters;
  input->widthLimit = kInputWidth;
  input->clickable = true;
  input->text.SetFont(3);
  input->text.SetAlignment(3, 2, 0);
  recipients.fill(false);
  iconPlayers.fill(-1);
  EnterControlSlots();
}

void CChatPanel::EnterControlSlots() { SetInterfaceControl(kChatPanelControl, this); }

void CChatPanel::Reset() {
  if (input) input->SetText("");
}

void CChatPanel::OnOpen() {
  if (!built) return;
  recipients.fill(false);
  RefreshIcons();
  DisableAllHudControls();
  for (int32_t slot = kFirstPlayerControl; slot < kFirstPlayerControl + 6; ++slot) EnableHudControl(slot);
  EnableHudControlAndChildren(kChatPanelControl);
  raiseRequest = true;
  if (input) input->Activate();
}

void CChatPanel::OnClose() {
  EnableAllHudControls();
  if (manager && manager->focusedEditBox == input) manager->SetKeyboardFocus(nullptr);
  if (input) input->Deactivate();
}

void CChatPanel::SetAllRecipients() {
  recipients.fill(true);
  RefreshIcons();
}

void CChatPanel::ToggleRecipient(int32_t player) {
  if (player < 0 || player >= kMaxPlayers) return;
  recipients[size_t(player)] = !recipients[size_t(player)];
  RefreshIcons();
}

std::vector<int32_t> CChatPanel::Recipients() const {
  std::vector<int32_t> list;
  const int32_t local = LocalIndex();
  for (int32_t i = kMaxPlayers - 1; i >= 0; --i)
    if (recipients[size_t(i)] && i != local && PlayerTable().Get(i) != nullptr) list.push_back(i);
  return list;
}

void CChatPanel::RefreshIcons() {
  iconPlayers.fill(-1);
  for (CIconButton* icon : icons)
    if (icon) icon->visible = false;
  size_t n = 0;
  for (int32_t player : Recipients()) {
    if (n >= icons.size()) break;
    const int32_t image = PlayerIconImage(PlayerTable().Get(player)->character);
    if (CIconButton* icon = icons[n]) {
      SetButtonImages(*icon, image, image + 2, -1, image + 1, -1);
      icon->visible = true;
    }
    iconPlayers[n++] = player;
  }
}

void CChatPanel::SendLine() {
  if (input == nullptr) return;
  std::string text;
  input->GetText(text);
  const std::vector<int32_t> to = Recipients();
  // The line is the player's own text: it goes out as it is, never as a format.
  if (!to.empty()) ChatLog().PostLine(text, LocalIndex(), to);
  input->SetText("");
  if (open) input->Activate();
}

int32_t CChatPanel::OnEvent(int32_t type, int32_t a, int32_t b) {
  if (!built) return 0;
  if (type == kNotifyClicked) {
    if (a == kAll) {
      SetAllRecipients();
    } else if (a == kCancel) {
      Close();
    } else if (a >= kFirstIcon && a < kFirstIcon + kChatIcons) {
      const int32_t player = iconPlayers[size_t(a - kFirstIcon)];
      if (player >= 0) recipients[size_t(player)] = false;
      RefreshIcons();
    }
  } else if (type == kNotifyEditEnter && b == 0) {
    SendLine();
  }
  return 0;
}

void CChatPanel::Update() {
  const CLayoutEntity* m = LayoutEntity();
  DrawRect2D(MovedRect(titleRect, m), kGreyTop, 0x80909090u, 0x80909090u, kGreyTop, 0.5f);
  DrawRect2DSolid(MovedRect(backingRect, m), InterfaceBackingColour, 0.5f);
  DrawRect2DSolid(MovedRect(toRect, m), kFieldColour, 0.5f);
  DrawRect2DSolid(MovedRect(inputRect, m), kFieldColour, 0.5f);
}

void CChatPanel::DrawSelf() {
  const CLayoutEntity* m = LayoutEntity();
  titleText.Draw(m);
  toLabel.Draw(m);
}

// ---- The log over the game view ---------------------------------------------------------------

UIRect ChatLogArea() { return UIRect{kLogX, kLogY, kLogRight, kLogY + kLogHeight, 0.5f}; }

std::vector<std::string> WrapChatText(std::string_view line, float width) {
  std::vector<std::string> rows;
  CTextSystem* text = Ui().text;
  if (text == nullptr) return {std::string(line)};
  SelectFont2D(kChatFont);
  std::string row;
  float rowWidth = 0;
  size_t lastSpace = std::string::npos;  // in row
  for (char c : line) {
    const float w = float(text->CharWidth(c));
    if (!row.empty() && rowWidth + w > width) {
      if (c == ' ') {  // the break falls on a space: it goes
        rows.push_back(row);
        row.clear(), rowWidth = 0, lastSpace = std::string::npos;
        continue;
      }
      std::string carry;
      if (lastSpace != std::string::npos && lastSpace > 0) {
        carry = row.substr(lastSpace + 1);
        row.resize(lastSpace);
      }
      rows.push_back(row);
      row = carry;
      rowWidth = 0;
      for (char k : row) rowWidth += float(text->CharWidth(k));
      lastSpace = std::string::npos;
    }
    if (c == ' ') lastSpace = row.size();
    row += c;
    rowWidth += w;
  }
  if (!row.empty() || rows.empty()) rows.push_back(row);
  return rows;
}

void DrawChatLog(const CChatLog& log, const UIRect& area) {
  CTextSystem* text = Ui().text;
  const int n = log.LiveCount();
  if (text == nullptr || n == 0) return;
  const float step = (area.y2 - area.y1) / float(kLogRows);
  CPlayerTable& players = PlayerTable();
  char line[kChatTextSize + kPlayerNameSize + 4];
  // Newest first from the bottom up, until the area is full.
  int row = kLogRows;
  for (int i = n - 1; i >= 0 && row > 0; --i) {
    const ChatLine& chat = log.Line(i);
    const bool known = chat.player >= 0 && chat.player < kMaxPlayers;
    const PlayerSetupRow* entry = known ? &players.SetupRow(chat.player) : nullptr;
    std::snprintf(line, sizeof line, "%s: %s", entry ? entry->name : "", chat.text);
    uint32_t colour = LogColour(entry ? entry->character : 0);
    const std::vector<std::string> rows = WrapChatText(line, area.x2 - area.x1);
    SelectFont2D(kChatFont);
    for (int r = int(rows.size()) - 1; r >= 0 && row > 0; --r, --row)
      text->DrawString(area.x1, area.y1 + float(row - 1) * step, rows[size_t(r)], &colour);
  }
}

void DrawChatOverlay() {
  if (Session().gameState == kGameStateAuction) return;
  DrawChatLog(ChatLog(), ChatLogArea());
}
