#include "frontend/page_rules.h"

#include <algorithm>

#include "frontend/profile_list.h"
#include "frontend/save_slots.h"
#include "script/profiles.h"
#include "session/goals.h"
#include "session/player.h"
#include "session/stats_history.h"

namespace {

constexpr int32_t kStatisticNames[kStatisticCount] = {1386, 1382, 1381, 1383, 1387, 1538};

bool VoteObjective(int32_t objective) {
  return objective == OBJECTIVE_FIRST_TO_BE_MAYOR || objective == OBJECTIVE_WEAKEST_LINK;
}

bool ClampField(int32_t& field, int32_t low, int32_t high) {
  const int32_t clamped = std::clamp(field, low, high);
  const bool changed = clamped != field;
  field = clamped;
  return changed;
}

}  // namespace

int32_t StatisticNameText(int32_t n) { return kStatisticNames[std::clamp(n, 0, kStatisticCount - 1)]; }

int32_t FirstStatistic(int32_t objective, bool gameRunning) {
  switch (objective) {
    case OBJECTIVE_PROFIT: return 4;
    case OBJECTIVE_PAPERWEALTH_BY_DATE:
    case OBJECTIVE_PAPERWEALTH_BY_AMOUNT: return 1;
    case OBJECTIVE_SALES: return 0;
    case OBJECTIVE_FIRST_TO_BE_MAYOR:
    case OBJECTIVE_WEAKEST_LINK: return gameRunning ? 2 : 5;
    default: return 2;
  }
}

bool AllStatisticsOffered(int32_t objective, bool gameRunning) { return !gameRunning && VoteObjective(objective); }

int32_t StepStatistic(int32_t n, int32_t step, bool allOffered) {
  const int32_t count = allOffered ? kStatisticCount : kStatisticCount - 1;
  return ((n + step) % count + count) % count;
}

int32_t StatisticLabelKind(int32_t n) {
  if (n == 1 || n == 2 || n == 4) return kChartMoney;
  return n == 5 ? kChartPercent : kChartNumber;
}

StatisticLines CollectStatisticLines(int32_t n, float nowYears) {
  constexpr float kHoursAYear = 24.0f;
  constexpr int32_t kMostSamples = 512;  // more than the history holds
  StatisticLines out;
  for (int32_t player = 0; player < kMaxPlayers; ++player) {
    if (!PlayerOnStatistics(player)) continue;
    std::vector<float> values;
    float v = 0;
    for (int32_t k = 0; k < kMostSamples && GetStatsHistorySample(v, player, n, k); ++k) values.push_back(v);
    std::vector<ChartPoint>& line = out.lines[size_t(player)];
    const int32_t count = int32_t(values.size());
    for (int32_t k = 0; k < count; ++k) {
      line.push_back({nowYears - float(count - 1 - k) / kHoursAYear, values[size_t(k)]});
      out.minY = std::min(out.minY, values[size_t(k)]);
      out.maxY = std::max(out.maxY, values[size_t(k)]);
    }
    out.longest = std::max(out.longest, count);
  }
  out.maxX = nowYears;
  out.minX = nowYears - float(std::max(out.longest - 1, 1)) / kHoursAYear;
  return out;
}

bool PlayerOnStatistics(int32_t player) {
  const CPlayer* p = PlayerTable().Get(player);
  if (p == nullptr) return false;
  float sample = 0;
  if (p->inUse) return true;
  for (int32_t series = 0; series < kHistorySeries; ++series)
    if (GetStatsHistorySample(sample, player, series, 0)) return true;
  return false;
}

bool InGameSaveAllowed(bool tutorial, bool networkGame) { return !tutorial && !networkGame; }

bool OptionsNeedNoGame(int32_t buttonId) { return buttonId == 3 || buttonId == 4 || buttonId == 6; }

bool ClampProfileOptions(CPlayerProfile& p) {
  bool changed = ClampField(p.DetailLevel, 0, 2);
  changed |= ClampField(p.FilteringLevel, 0, 1);
  changed |= ClampField(p.GammaLevel, 0, 100);
  changed |= ClampField(p.MouseSensitivity, 0, 100);
  changed |= ClampField(p.MusicVolume, 0, 100);
  changed |= ClampField(p.SoundVolume, 0, 100);
  return changed;
}

void SetMusicVolumeOption(CPlayerProfile& p, int32_t value) {
  p.MusicVolume = std::clamp(value, 0, 100);
  ProfileHooks().SetVolumes(p.MusicVolume, p.SoundVolume);
}

void SetEffectsVolumeOption(CPlayerProfile& p, int32_t value) {
  p.SoundVolume = std::clamp(value, 0, 100);
  ProfileHooks().SetVolumes(p.MusicVolume, p.SoundVolume);
}

void RestoreDefaultOptions(CPlayerProfile& p) {
  p.SetDefaults();
  p.Apply();
}

bool NameEntryOkEnabled(std::string_view typed) { return !typed.empty(); }

NameAnswer AnswerNewProfile(std::string_view typed, const ProfileList& profiles) {
  if (typed.empty()) return NameAnswer::kKeepEditing;
  if (!IsValidProfileName(typed)) return NameAnswer::kRefuse;
  // The list shows at most 32 profiles: the folder itself decides.
  const std::vector<std::string> folders = ListProfiles();
  if (profiles.HasProfileName(typed) || std::find(folders.begin(), folders.end(), typed) != folders.end()) {
    return NameAnswer::kDuplicate;
  }
  return NameAnswer::kCreate;
}

NameAnswer AnswerSaveName(std::string_view typed, bool enterPressed, SaveSlotList& saves) {
  switch (CheckSaveName(typed)) {
    case SaveNameCheck::kNameEmpty: return NameAnswer::kKeepEditing;
    case SaveNameCheck::kNameNotPlain:
    case SaveNameCheck::kNameTooLong: return NameAnswer::kRefuse;
    case SaveNameCheck::kNameOk: break;
  }
  if (enterPressed && saves.FindSave(SaveFileName(typed))) return NameAnswer::kAskOverwrite;
  return NameAnswer::kSave;
}
