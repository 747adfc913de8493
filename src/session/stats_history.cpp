#include "session/stats_history.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/core/byte_io.h"
#include "session/player.h"
#include "session/player_data.h"
#include "session/save_chunks.h"


CStatsHistory& StatsHistory() {
  static CStatsHistory history;
  return history;
}

void CStatsHistory::Append(int ring, float value) {
  samples[ring][writeIndex[ring]] = value;
  writeIndex[ring] = (writeIndex[ring] + 1) % kHistorySamples;
  count[ring] = std::min(count[ring] + 1, kHistorySamples);
}

void ClearStatsHistory() {
  CStatsHistory& h = StatsHistory();
  std::memset(h.samples, 0, sizeof h.samples);
  std::memset(h.writeIndex, 0, sizeof h.writeIndex);
  std::memset(h.count, 0, sizeof h.count);
  std::memset(h.reserved + 8, 0, 28);
}

void RecordStatsHistorySample() {
  CPlayerTable& table = PlayerTable();
  CData& data = PlayerData();
  CStatsHistory& h = StatsHistory();
  int64_t total = 0;
  for (int i = 0; i < kMaxPlayers; ++i) {
    const CPlayer* p = table.Get(i);
    if (p && p->inUse) total += p->GetRatingPoints();
  }
  for (int i = 0; i < kMaxPlayers; ++i) {
    const CPlayer* p = table.Get(i);
    if (p == nullptr || !p->inUse) continue;
    int ring = i * kHistorySeries;
    h.Append(ring + 0, static_cast<float>(p->salesCount));
    h.Append(ring + 1, data.GetPaperWealthForPlayer(i));
    h.Append(ring + 2, p->money);
    h.Append(ring + 3, static_cast<float>(data.GetNumBusinessesForPlayer(i)));
    h.Append(ring + 4, data.GetProfitsForPlayer(i));
    if (total != 0) h.Append(ring + 5, static_cast<float>(int64_t(p->GetRatingPoints()) * 100 / total));
  }
}

bool GetStatsHistorySample(float& value, int32_t player, int32_t series, int32_t offset) {
  if (player < 0 || player >= kMaxPlayers || series < 0 || series >= kHistorySeries) return false;
  const CStatsHistory& h = StatsHistory();
  int ring = player * kHistorySeries + series;
  int32_t count = h.count[ring], write = h.writeIndex[ring];
  int32_t slot;
  if (offset >= 0) {
    if (offset >= count) return false;
    slot = write - count + offset;
  } else {
    if (-int64_t(offset) > count) return false;
    slot = write + offset;
  }
  slot = ((slot % kHistorySamples) + kHistorySamples) % kHistorySamples;
  value = h.samples[ring][slot];
  return true;
}

void SaveStatsHistory() { WriteRecordChunk(kChunkStatsHistory, StatsHistory()); }
