#pragma once
// The auction's panels. In the city view the countdown to an announced
// auction; in the auction room the room's own set: the sale banner, the
// local player's turn timer, the bid panel with a tag over every bidder,
// the city map with the block for sale and the block's lot layout. They read
// the running auction and the players and change nothing themselves: every
// move of the local player leaves as a game message (PostAuctionBid,
// PostAuctionPass, PostAuctionPullOut). The turn timer's count is the
// session's, kept by the logic tick; the panels only show it.
#include <array>
#include <cstdint>
#include <span>

#include "panels/navigator_panel.h"
#include "ui/panel.h"
#include "ui/text_rect.h"

class CIconButton;
class CSoundDevice;
struct CAuction;

// Texts of the auction panels.
enum AuctionPanelText : int32_t {
  kBidButtonText = 5,          // "+%s": the raise as money
  kCountdownTimerLabelText = 1135,
  kYourBidText = 1549,
  kAuctionTitleText = 1550,
  kQuickAuctionText = 1551,
  kStatusWinnerText = 1552,
  kPullOutText = 1553,
  kPassText = 1554,
  kStatusPulledOutText = 1555,
  kStatusPassedText = 1556,
  kStatusSellerText = 1557,
  kStatusBiddingText = 1558,
  kLayoutTitleText = 1559,
  kMapTitleText = 1560,
  kTimerTitleText = 1561,
  kTimerSecondsText = 1562,
  kTopTitleText = 1563,
  kTopBidLineText = 1564,
  kTopTitleAtBuildText = 1565,
  kTopBidLineAtBuildText = 1566,
  kCountdownBidText = 1567,
  kTimerNoSaleText = 3000,
  kTimerWaitingText = 3001,
  kQuickAuctionTooltipText = 3002,
};

// Control slots and tutorial events of the auction panels.
enum AuctionControl : int32_t {
  kTutorialCountdownOpened = 61,
  kTutorialCountdownClosed = 62,
  kControlBid50 = 65,
  kControlBid100 = 66,
  kControlBid500 = 67,
  kTutorialMyTurn = 68,
  kControlPass = 69,
  kControlPullOut = 70,
  kControlCountdown = 105,
};

// The bid panel's buttons by id.
enum AuctionBidButton : int32_t {
  kBidPlus50 = 0,
  kBidPlus100 = 1,
  kBidPlus500 = 2,
  kBidPullOut = 3,
  kBidPass = 4,
  kBidQuickSwitch = 5,
  kBidButtonCount = 6,
};
inline constexpr int32_t kBidRaises[3] = {50, 100, 500};

// Player i's status on its tag, first match wins: winner, pulled out,
// passed, bidding now, its last bid (kStatusShowsBid: the bid as money),
// seller, else nothing (kStatusEmpty).
inline constexpr int32_t kStatusShowsBid = -2;
inline constexpr int32_t kStatusEmpty = -1;
int32_t AuctionStatusText(const CAuction& a, int32_t player);
// Fills a tag's status text for a status of AuctionStatusText (`bid` for
// kStatusShowsBid): one line that fits the tag's lower strip.
void ShowBidderStatus(CTextRect& status, int32_t text, int32_t bid);

// A bidder's tag under its figure's screen point (x, y): the tag 80 by 40
// with its top left at (x - 40, y - 20), the upper strip its top 26, the
// lower strip from 28 down, 45 high for the leader who has not yet won
// (`tall`), else 15.
struct BidderTag {
  UIRect tag, upper, lower;
};
BidderTag BidderTagAt(float x, float y, bool tall);
// How far a tag or the leader marker moves to stay on the screen and off
// the rectangles of `clear` (the room's other panels).
struct TagOffset {
  float x = 0, y = 0;
};
TagOffset KeepClear(const UIRect& box, std::span<const UIRect> clear);

// The local player's turn timer: up while it is the local player's turn;
// ticks each whole second with the counter sound.
class CAuctionTimerPanel : public CPanel {
 public:
  void Build() override;
  void OnOpen() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  void Update() override;
  void DrawSelf() override;

  CTextRect titleText, timerText;
  UIRect backing, titleRect;
  int32_t countdown = 0;  // fiftieths of a second, as the session counts
  CSoundDevice* lastVoice = nullptr;
  int32_t lastSecond = -1;
};

// The bid panel: the amount line, three raises, pass, pull out and the
// quick auction switch; and over the room a tag for every player with its
// status, name and cash in its token's colour.
class CAuctionBidPanel : public CPanel {
 public:
  void Build() override;
  void Reset() override;
  void OnOpen() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  void Update() override;
  void DrawSelf() override;

  // Fills every player's tag texts from the auction; the number of
  // players (0 and nothing done without any).
  int32_t RefreshBidders();
  // Whether the local player may act now: its turn, not the winner, not
  // passed or pulled out, and not already acted in this turn.
  bool LocalMayAct() const;

  CTextRect amountText, secondLabel;
  std::array<CIconButton*, kBidButtonCount> buttons{};
  UIRect backing, amountRect, switchRect;
  std::array<CTextRect, 6> status, names, cash;
  std::array<BidderTag, 6> tags{};
  std::array<bool, 6> tagShown{};
  UIRect leaderMarker;
  bool leaderShown = false;
  bool quickAuction = false;
  int32_t frameCounter = 0;
  int32_t turnStartCount = 0;
  // The turn in which the local player moved: its buttons stay down until
  // the move arrives and the turn passes on (0 none).
  int32_t actedTurn = 0;
  CAuctionTimerPanel* timer = nullptr;

 private:
  void ShowActions(bool show);
  void Acted();
  void PlaceTags();
};

// The sale banner: the block for sale in its district colour, the leading
// bid in the leader's. It stays open while its set is shown.
class CAuctionTopPanel : public CPanel {
 public:
  void Build() override;
  void OnClose() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  void Update() override;
  void DrawSelf() override;

  CTextRect titleText, bidText;
  UIRect backing, saleArea, bidShading, bidIcon;
};

// The city map with the block for sale outlined.
class CAuctionMapPanel : public CPanel {
 public:
  void Build() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  void Update() override;
  void DrawSelf() override;

  CCityMapView view;
  CTextRect titleText;
  UIRect backing, titleRect;
};

// The block for sale: its 7 by 7 lots with the buildings on them in their
// business owners' colours; hovering one shows its tooltip.
class CAuctionLayoutPanel : public CPanel {
 public:
  void Build() override;
  void Update() override;
  void DrawSelf() override;

  // The ring round the lots and the inner rectangle the lots lie in, from
  // the layout area.
  static void LotArea(const UIRect& area, UIRect& outer, UIRect& inner);
  // A building's rectangle over lots x1..x2, z1..z2 (lot row 0 at the
  // bottom) in the inner rectangle.
  static UIRect BuildingRect(const UIRect& inner, int32_t x1, int32_t z1, int32_t x2, int32_t z2);

  CTextRect titleText;
  std::array<CTextRect, 6> debugTexts;
  UIRect backing, titleRect, area;
};

// The countdown to an announced auction, at the top of the city view: the
// block, the time left and the opening bid; compact, only the time left.
// Clicking it takes the player to the block. It beeps in its last six
// seconds.
class CAuctionCountdownPanel : public CPanel {
 public:
  void Build() override;
  // A new game or a load: no auction is announced until the game says so.
  void Reset() override { Close(); }
  void OnOpen() override;
  void OnClose() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  void Update() override;
  void DrawSelf() override;

  // What the announcement tells, checked once: a bad block, player, time or
  // amount is warned of once and shown as nothing.
  void SetAuction(int32_t block, int32_t player, int32_t amount);
  void SetTimer(int32_t seconds) { countdown = seconds * 50; }

  CIconButton* openButton = nullptr;
  UIRect backing, titleLabel, timerArea, openRect, miniTimerRect, miniBidderRect, miniTimerLabelRect,
      miniBidLabelRect;
  CTextRect titleText, miniTimerLabel, bidLabel, miniTimer;
  int32_t countdown = 0;
  int32_t block = -1;
  int32_t player = -1;
  int32_t amount = 0;
  CSoundDevice* lastBeep = nullptr;
  int32_t lastSecond = -1;
  bool compact = false;
};
