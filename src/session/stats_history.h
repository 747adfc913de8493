#pragma once
// Statistics history: for every player, the last 480 hourly samples of six
// series (sales, paper wealth, cash, businesses, profit, share of points) for
// the charts. Saved byte for byte as chunk 0x20000.
#include <cstdint>
#include <span>

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
};

CStatsHistory& StatsHistory();
void ClearStatsHistory();
void RecordStatsHistorySample();
bool GetStatsHistorySample(float& value, int32_t player, int32_t series, int32_t offset);
void SaveStatsHistory();
// Loaded indices and counts are clamped into their rings.
bool LoadStatsHistory(std::span<const uint8_t> data);
