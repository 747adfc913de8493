#pragma once
// The HUD's panel objects and the two panel sets they belong to. Every HUD
// panel is one object for the whole run, in the order below; the in-game
// set binds the HUD's, the auction set the auction room's, once at game
// start. The screen mode chooses the set that is shown: the auction room
// shows its own and hides the in-game set without closing its panels.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "panels/auction_panels.h"
#include "panels/block_marker_panel.h"
#include "panels/business_panel.h"
#include "panels/card_panel.h"
#include "panels/chat_panel.h"
#include "panels/city_overview_panel.h"
#include "panels/console_panel.h"
#include "panels/construction_panel.h"
#include "panels/day_panel.h"
#include "panels/event_ticker.h"
#include "panels/navigator_panel.h"
#include "panels/prompt_panel.h"
#include "panels/rent_panel.h"
#include "panels/selection_info_panel.h"
#include "panels/stats_panel.h"
#include "panels/time_panel.h"
#include "panels/voting_panel.h"
#include "session/game_events.h"
#include "ui/game_panels.h"
#include "ui/panel_manager.h"
#include "visuals/overlay/frame_draw.h"

// The auction room's layout models, in its set's model order.
enum AuctionLayoutModel : int32_t {
  kAuctionSetTopSale = 0,
  kAuctionSetSmallTimer = 1,
  kAuctionSetBid = 2,
  kAuctionSetMap = 3,
  kAuctionSetLotLayout = 4,
  kAuctionSetTime = 5,
  kAuctionSetPrompt = 6,
  kAuctionSetModelCount = 7,
};
extern const char* const kAuctionLayoutFiles[kAuctionSetModelCount];

// The auction room's set: seven panels, each bound to its model, listed
// top sale, small timer, bid, map, lot layout, time, prompt from front to
// back. A slot whose class is not installed gets a framed stand-in.
class CAuctionPanelManager : public CPanelManager {
 public:
  void CreatePanels() override;
  void SetLayoutModels(std::vector<LayoutModel> models);
  void InstallPanel(int32_t slot, CPanel* panel);
  CPanel* Panel(int32_t slot) const { return panels_[size_t(slot)]; }

 private:
  std::vector<LayoutModel> models_;
  std::array<CPanel*, kAuctionSetModelCount> panels_{};
  std::array<CPanel*, kAuctionSetModelCount> installed_{};
  std::vector<std::unique_ptr<CHudPanel>> standIns_;
};
CAuctionPanelManager& AuctionPanels();
// Reads the auction room's layouts into its set; false when any was missing.
bool LoadAuctionLayouts();

// The control slots (the tutorials' TUT_ numbers) of the HUD's panels.
inline constexpr int32_t kHudPromptButtonControls = 0;      // TUT_PROMPT_1..3
inline constexpr int32_t kAuctionPromptButtonControls = 3;  // the auction room's prompt

// The HUD panel objects this library builds, in construction order; the
// sets only point at them.
struct HudPanelObjects {
  CAuctionTopPanel auctionTop;
  CAuctionTimerPanel auctionTimer;
  CAuctionBidPanel auctionBid;
  CAuctionMapPanel auctionMap;
  CAuctionLayoutPanel auctionLayout;
  CTimePanel auctionTime;
  CPromptPanel auctionPrompt;
  CNavigatorPanel navigator;
  CConsolePanel console;
  CEventTickerPanel ticker;
  CDayPanel day;
  CTimePanel time;
  CNavButtonPanel viewButtons;
  CPromptPanel prompt;
  CAuctionCountdownPanel auctionCountdown;
  CBusinessPanel business;
  CRentPanel rent;
  CVotingPanel voting;
  CBlockMarkerPanel blockMarkers;
  CCityOverviewPanel overview;
  CSelectionInfoPanel selection;
  CCardPanel card;
  CConstructionPanel construction;
  CStatsPanel stats;
  CChatPanel chat;

  HudPanelObjects();
};
HudPanelObjects& HudPanels();

// Installs the panel objects in the slots of both sets (before their
// CreatePanels) and links the panels that reach one another; the given
// objects are reached from nowhere else. Without arguments the program's own
// objects and sets, which the game's links and picking hooks then reach.
void InstallHudPanels(HudPanelObjects& objects, CGamePanelManager& game, CAuctionPanelManager& auction);
void InstallHudPanels();
// Both sets' CreatePanels, the in-game set first.
void CreateHudPanelSets();
// The HUD's and the auction room's sets released (the program's end, before
// the interface's textures and the heap go): no panel of them is built.
void ReleaseHudPanelSets();
// The panels' part of a new game: the interface's reset calls it. The
// console's history is the program's, not the game's, and stays.
void ResetHudPanels();

// Which set takes input and is drawn: the auction room shows the auction
// set only, the front end neither, every other mode the in-game set.
void ShowPanelSets(bool frontEnd, bool inGame, bool auction);
void FollowScreenMode(int32_t screenMode);
// The screen modes' view of the HUD's panels.
ScreenModePanels& HudScreenModePanels();

// The prompt that game code and scripts use now: the auction room's while
// the game is in its auction state, else the HUD's.
CPromptPanel& CurrentPrompt();
// The business panel of the selected building: the rent panel for a
// residence or a building without a business, else the business panel.
void OpenBusinessPanelForSelection();
// The selection panel opened on the block's page (the navigator's and the
// ticker's way to a block).
void ShowBlockPage(int32_t block);
// The construction panel opened on the block (the block page's build step).
void OpenConstructionOnBlock(int32_t block);
// The auction room's panels follow the auction: the countdown while it is
// announced, the room's panels while the room is up, the tags at each move.
void FollowAuction(const AuctionEvent& event);
// Opens or closes the console (its key).
void ToggleConsole();
// The chat's key in a network game: the chat panel opens addressed to every
// other player.
void OpenChatToEverybody();
