// The statistics page: the players of the game compared on one of six
// statistics, a line a player over the game's hourly history. It opens over
// a running game (from the view panel's results button) or after a finished
// one; each player's icon shows or hides the player's line.
#include <array>
#include <cstdio>

#include "frontend/front_end.h"
#include "frontend/front_end_page.h"
#include "frontend/game_cover.h"
#include "frontend/page_rules.h"
#include "session/game_clock.h"
#include "session/goals.h"
#include "session/player.h"
#include "session/scenarios.h"
#include "ui/player_tokens.h"
#include "ui/line_chart.h"

using namespace frontend_pages;

namespace {

constexpr int32_t kCompareText = 3950;
constexpr float kGridX = 48.0f;  // the grid's spacing across, in layout units
constexpr int32_t kNoStatisticText = 1621;
// The face of a player whose line is hidden.
constexpr int32_t kHiddenPlayerImage = 9;
constexpr IconImages kLeftArrow{97, 98, 99, 100}, kRightArrow{101, 102, 103, 104};

class CStatisticsScreen : public CFrontEndPage {
 public:
  enum { kOk = 0, kLeft = 1, kRight = 2, kFirstToken = 3 };
  void Build() override {
    static const MenuButtonDef kButtons[] = {{"STATS_OK_BUTTON", 80, 148, 34, 1435}};
    MenuButton(kButtons, kOk, 1);
    for (auto [id, element, images] : {std::tuple{kLeft, "STATS_LEFT_CHANGER", kLeftArrow},
                                       std::tuple{kRight, "STATS_RIGHT_CHANGER", kRightArrow}}) {
      const UIRect r = ElementRect(element);
      CIconButton* b = CreateIconButton(id, r.x1, r.y1, r.x2, r.y2);
      b->SetImages(images);
      b->SetMode(kIconFireOnRelease);
    }
    Text(10, "STATS_TITLE_AREA", 1676, 4);
    session = Text(11, "STATS_SESS_TITLE", 0);
    Text(12, "STATS_COMPARE_LABEL", kCompareText, 1, 3);
    item = Text(13, "STATS_COMPARE_ITEM", kNoStatisticText);
    char element[32];
    for (int32_t k = 0; k < kMaxPlayers; ++k) {
      std::snprintf(element, sizeof element, "STATS_TOKEN_LABEL%d", k + 1);
      names[size_t(k)] = Text(20 + k, element, 0, 1, 3);
      std::snprintf(element, sizeof element, "STATS_TOKEN_ICON%d", k + 1);
      const UIRect r = ElementRect(element);
      tokens[size_t(k)] = CreateButton(kFirstToken + k, r.x1, r.y1, r.x2, r.y2);
    }
  }

  void SetStatistic(int32_t n) {
    statistic = n < 0 ? kStatisticCount - 1 : n >= kStatisticCount ? 0 : n;
    Show(item, StatisticNameText(statistic));
  }

  void OnOpen() override {
    for (int32_t k = 0; k < kMaxPlayers; ++k) {
      CButton* b = tokens[size_t(k)];
      b->visible = false;
      names[size_t(k)]->Clear();
      const CPlayer* p = PlayerTable().Get(k);
      if (!PlayerOnStatistics(k)) continue;
      b->visible = true;
      b->on = true;
      b->imageOn = PlayerIconImage(p->character);
      b->imageOff = kHiddenPlayerImage;
      names[size_t(k)]->AddText(p->name);
    }
    const bool running = GameRunning();
    SetStatistic(FirstStatistic(GameGoal().kind, running));
    if (const ScenarioEntry* e = ScenarioManager().Current()) ShowLevelName(session, *e);
    else Show(session, " ");
    cover.Cover();
  }

  int32_t OnEvent(int32_t type, int32_t id, int32_t) override {
    if (type != kNotifyClicked) return type == kNotifyToggleFlipped ? 1 : 0;
    const bool all = AllStatisticsOffered(GameGoal().kind, GameRunning());
    if (id == kLeft || id == kRight) SetStatistic(StepStatistic(statistic, id == kLeft ? -1 : 1, all));
    if (id == kOk) Leave();
    return 1;
  }

  // Back to the game as it was, or after a game to the level list it came
  // from or the main menu.
  void Leave() {
    Close();
    if (GameRunning()) {
      cover.Uncover();
      return;
    }
    cover.Release();
    const ScenarioEntry* e = ScenarioManager().Current();
    const int32_t next = e != nullptr && !e->tutorial && e->listFlag == 1 ? kPageScenarios : kPageMainMenu;
    Screens().Page(next)->Open();
    Screens().MoveToFront(Screens().Page(next));
  }

  void DrawPage() override {
    Band("STATS_TITLE_AREA", 0xFF0000C0, 0x800000C0);
    Band("STATS_SESS_TITLE", kGreyTop, kGreyBottom);
    Band("STATS_BACKING3", kBacking, kBacking);
    Band("STATS_COMPARE_ITEM", 0xFF1F2F70, 0xFF1F2F70);
    Band("STATS_GRAPH_AREA", 0x80000000, 0x80000000);
    char element[32];
    for (int32_t k = 0; k < kMaxPlayers; ++k) {
      const CPlayer* p = PlayerTable().Get(k);
      if (!PlayerOnStatistics(k)) continue;
      std::snprintf(element, sizeof element, "STATS_TOKEN_BACKING0%d", k + 1);
      // The name is white on its token's colour: a pale token's band is darker.
      const uint32_t c = BackingUnderWhiteText(TokenInfoRow(p->character).colour - 0x01000000u);
      Band(element, c, c);
    }
    DrawChart();
  }

  void DrawChart() {
    const UIRect area = At("STATS_GRAPH_AREA");
    CChart chart;
    chart.plotX = area.x1 + 80;
    chart.plotY = area.y1 + 5;
    chart.plotWidth = area.x2 - area.x1 - 110;
    chart.plotHeight = area.y2 - area.y1 - 35;
    DrawRect2DSolid(SetUIRectXYWH(chart.plotX, chart.plotY, chart.plotWidth, chart.plotHeight), 0x7F000000, 0.5f);
    const CGameClock& clock = GameClock();
    const StatisticLines lines = CollectStatisticLines(statistic, float(clock.CalendarYear()) + float(clock.hour) / 24.0f);
    chart.yKind = StatisticLabelKind(statistic);
    chart.xKind = kChartNumber;
    chart.xLinesPerLabel = 2;
    chart.yLinesPerLabel = 1;
    chart.dataMinX = lines.minX;
    chart.dataMaxX = lines.maxX;
    chart.dataMinY = lines.minY;
    chart.dataMaxY = lines.maxY;
    CChart::FitViewToData(chart);
    // A game year is a game day: a short history is labelled in its tenths
    // or hundredths of a year, as fine as the labels step.
    const float labelStep = TidyStep(2.0f * chart.viewWidth * kGridX / chart.plotWidth, false);
    chart.xDecimals = labelStep < 0.099f ? 2 : labelStep < 0.99f ? 1 : 0;
    CChart::DrawGrid(chart, kGridX, 32.0f, 0xFF1F1F1F, 0xFF3F3F3F);
    for (int32_t k = 0; k < kMaxPlayers; ++k) {
      const CPlayer* p = PlayerTable().Get(k);
      if (!PlayerOnStatistics(k) || !tokens[size_t(k)]->on) continue;
      CChart::DrawLine(chart, lines.lines[size_t(k)], TokenInfoRow(p->character).colour, 4.0f);
    }
  }

  int32_t statistic = 2;
  void ForgetCoveredGame() override { cover.Forget(); }
  GameCover cover;
  CTextRect* session = nullptr;
  CTextRect* item = nullptr;
  std::array<CTextRect*, kMaxPlayers> names{};
  std::array<CButton*, kMaxPlayers> tokens{};
};

CStatisticsScreen g_Statistics;

}  // namespace

CPanel* StatisticsPage() { return &g_Statistics; }

void ShowStatistics() {
  CFrontEndScreens& fe = FrontEndScreens();
  fe.CreatePanels();
  if (g_Statistics.open) return;
  g_Statistics.Open();
  fe.MoveToFront(&g_Statistics);
}
