#pragma once
// The rules of the front end's smaller pages, apart from their drawing: the
// statistics page's choice of statistic, the in-game menu's save button, the
// option pages' settings and the two name entries' answers.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "ui/line_chart.h"

class CPlayerProfile;
class ProfileList;
class SaveSlotList;

// ---- Statistics page
inline constexpr int32_t kStatisticCount = 6;
// The name text of statistic n (series n of the statistics history).
int32_t StatisticNameText(int32_t n);
// The statistic the page opens on, from the game's objective.
int32_t FirstStatistic(int32_t objective, bool gameRunning);
// All six statistics are offered only after a game won by votes or by
// outlasting the others; otherwise the first five.
bool AllStatisticsOffered(int32_t objective, bool gameRunning);
// The statistic after n one step left (-1) or right (+1), wrapping within
// what is offered.
int32_t StepStatistic(int32_t n, int32_t step, bool allOffered);

// The y label kind of statistic n: money, a percentage or a count.
int32_t StatisticLabelKind(int32_t n);
// The lines of statistic n, one a player slot (empty for a slot not on the
// statistics or without samples), oldest sample first, x in calendar years (one sample a
// game hour, 24 a year) ending at `nowYears`. The x range spans the longest
// line (at least one hour); the y range spans every line, shown or not, and 0.
struct StatisticLines {
  std::array<std::vector<ChartPoint>, 6> lines;
  float minX = 0, maxX = 0, minY = 0, maxY = 0;
  int32_t longest = 0;  // samples of the longest line
};
StatisticLines CollectStatisticLines(int32_t n, float nowYears);
// Whether the statistics show the player of slot `player`: one in the game,
// or one who left it (a win removes every rival) after samples were taken.
bool PlayerOnStatistics(int32_t player);

// ---- In-game menu
// Save is offered outside tutorials and network games.
bool InGameSaveAllowed(bool tutorial, bool networkGame);

// ---- Option pages
// The options menu's board, credits and defaults buttons wait for the end of
// the game.
bool OptionsNeedNoGame(int32_t buttonId);
// Brings a profile's option fields into the ranges the pages offer (a
// settings file is outside input): detail 0-2, filtering 0-1, the sliders
// 0-100, the volumes 0-100. Returns true when anything changed.
bool ClampProfileOptions(CPlayerProfile& profile);
// The sound page's sliders: store the volume and apply both at once.
void SetMusicVolumeOption(CPlayerProfile& profile, int32_t value);
void SetEffectsVolumeOption(CPlayerProfile& profile, int32_t value);
// Defaults on the current profile, applied at once (volumes, board, cursor).
void RestoreDefaultOptions(CPlayerProfile& profile);

// ---- Name entries
// What OK or Enter on a name entry does with the typed text.
enum class NameAnswer {
  kKeepEditing,   // empty: the box stays active
  kRefuse,        // not a usable name: a notice says why, then the page again
  kDuplicate,     // a profile of that name exists: the notice, then the page again
  kCreate,        // a new profile of that name
  kSave,          // save under the name at once
  kAskOverwrite,  // a save of that name exists: ask first
};
// OK is enabled while the box holds text.
bool NameEntryOkEnabled(std::string_view typed);
NameAnswer AnswerNewProfile(std::string_view typed, const ProfileList& profiles);
// OK saves at once (overwriting); Enter asks before overwriting. With
// kAskOverwrite the save list has the existing save highlighted.
NameAnswer AnswerSaveName(std::string_view typed, bool enterPressed, SaveSlotList& saves);
