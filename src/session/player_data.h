#pragma once
// Player statistics: paper wealth, today's and yesterday's profit, blocks,
// complete district sets and businesses owned, and two city-wide averages.
// Counts are cached until marked stale; wealth and profit are computed on
// every query.
#include <cstdint>

class CData {
 public:
  static constexpr int kAverages = 33;  // 32 commodity prices, then rent per resident

  uint8_t businessStale = 100;  // > 10: recount businesses
  uint8_t spareStale = 100;
  uint8_t blockStale = 100;     // > 10: recount blocks and sets
  uint8_t averagesDirty = 1;
  struct Row {
    int32_t blocks = 0;
    int32_t businesses = 0;
    int32_t sets = 0;
    int32_t spare = 0;
  } rows[6];
  float averages[kAverages] = {};

  void Reset();
  // Ownership changed: byte arithmetic, as the counters wrap.
  void MarkBusinessesStale() { businessStale = static_cast<uint8_t>(businessStale + 100); }
  void MarkBlocksStale() { blockStale = static_cast<uint8_t>(blockStale + 100); }
  // Prices and rents move every day: the averages follow once a day.
  void MarkAveragesStale() { averagesDirty = 1; }

  float GetPaperWealthForPlayer(int32_t player);
  float GetProfitsForPlayer(int32_t player);
  // Today's profit from trading, rents and running costs: what the profit
  // objective counts. Buying, building and selling blocks and businesses,
  // and card money, are left out.
  float GetTradingProfitsForPlayer(int32_t player);
  float GetLastDayTradingProfitsForPlayer(int32_t player);
  float GetLastDayProfitsForPlayer(int32_t player);
  int32_t GetNumBlocksForPlayer(int32_t player);
  int32_t GetNumSetsForPlayer(int32_t player);
  int32_t GetNumBusinessesForPlayer(int32_t player);
  float GetAverageBlockValue();
  float GetAverageCommodityPrice(int32_t commodity);

 private:
  void RecountBlocks();
  void RecountBusinesses();
  void ComputeAverages();
};

CData& PlayerData();
