#pragma once
// The game clock: 625 running ticks make a game hour, 24 hours a day, and each
// midnight moves the year on by the script-set years per day, so a game
// crosses the decades from the 1930s to the 2000s. Each new hour runs the
// hourly jobs of the whole game in a fixed order.
#include <climits>
#include <cstdint>

inline constexpr uint32_t kClockChunkSize = 20;
// The chime before six in the morning: the tick driver starts it late in the
// fifth hour, the six o'clock hour stops it if it still plays.
inline constexpr const char* kPreSixSample = "presixoclock.wav";

struct CGameClock {
  int32_t hour = 9;          // 0..23 (24 only inside the midnight hourly update)
  int32_t yearInDecade = 0;  // 0..9
  int32_t decade = 0;        // 0 = 1930s .. 7 = 2000s
  int32_t absoluteHour = 0;  // hour + 24 x year + 240 x decade
  int32_t dayCounter = 0;    // midnights passed

  int32_t CalendarYear() const { return 1930 + 10 * decade + yearInDecade; }

  // The record of chunk 512. Decade 8 is reached when the 2000s end.
  template <class V>
  void Visit(V& v) {
    v.I32(hour, {0, 23, "hour"});
    v.I32(yearInDecade, {0, 9, "year"});
    v.I32(decade, {0, 8, "decade"});
    v.I32(absoluteHour);
    v.I32(dayCounter, {0, INT32_MAX, "day"});
  }
};

CGameClock& GameClock();

void ResetGameClock();
void AdvanceGameHour();
void RunHourlyUpdate();
int32_t GetAbsoluteGameHour(const CGameClock& clock);

// Save hook of chunk 512 (the load takes the checked record).
void SaveGameClock();

// Reads the parameter files of the decades 0..decade in order (each applies on
// top of the previous ones), refreshes the traffic tables and switches the
// music; at the start of a day in the 1940s to 1980s it raises the decade's
// business-introduction event two game hours later.
void LoadDecadeParameters(int32_t decade);
