#pragma once
// Statistics history: for every player, the last 480 hourly samples of six
// series (sales, paper wealth, cash, businesses, profit, share of points) for
// the charts. Saved as chunk 0x20000.
#include <cstdint>

inline constexpr int kHistorySeries = 6;
inline constexpr int kHistorySamples = 480;
inline constexpr int kHistoryRings = 6 * kHistorySeries;
inline constexpr uint32_t kStatsHistorySize = 69444;

struct CStatsHistory {
  float samples[kHistoryRings][kHistorySamples] = {};
  int32_t writeIndex[kHistoryRings] = {};
  int32_t count[kHistoryRings] = {};
  uint8_t reserved[36] = {};

  void Append(int ring, float value);

  // The record of chunk 0x20000.
  template <class V>
  void Visit(V& v) {
    for (auto& ring : samples)
      for (float& sample : ring) v.F32(sample);
    for (int32_t& i : writeIndex) v.I32(i, {0, kHistorySamples - 1, "history index"});
    for (int32_t& n : count) v.I32(n, {0, kHistorySamples, "history count"});
    v.Bytes(reserved, sizeof reserved);
  }
};

CStatsHistory& StatsHistory();
void ClearStatsHistory();
void RecordStatsHistorySample();
bool GetStatsHistorySample(float& value, int32_t player, int32_t series, int32_t offset);
void SaveStatsHistory();
