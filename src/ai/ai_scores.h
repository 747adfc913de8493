#pragma once
// The set-completion scores the AI script tunes (one unsigned byte each, 0
// until a script sets them), and the district score built from them.
#include <cstdint>
#include <string_view>

struct AiScores {
  uint8_t blk2_Rentopia = 0;
  uint8_t blk2_1left_city_owned = 0;
  uint8_t blk2_opponent_rentopia = 0;
  uint8_t blk2_Max_LandRent_Income = 0;
  uint8_t blk3_Rentopia = 0;
  uint8_t blk3_1left_city_owned = 0;
  uint8_t blk3_1left_player_owned = 0;
  uint8_t blk3_2left_city_owned = 0;
  uint8_t blk3_opponent_rentopia = 0;
  uint8_t blk3_opponent_2blocks = 0;
  uint8_t blk3_Max_Rentopia = 0;
  uint8_t blk3_Max_LandRent_Income = 0;
  uint8_t RRUtil_Rentopia = 0;
  uint8_t RRUtil_1left_city_owned = 0;
  uint8_t RRUtil_2left_city_owned = 0;
  uint8_t RRUtil_3left_city_owned = 0;
  uint8_t RRUtil_3left_Bonus = 0;
  uint8_t RRUtil_opponent_rentopia = 0;
  uint8_t RRUtil_Max_LandRent_Income = 0;
};

AiScores& GetAiScores();
void ResetAiScores();
// The script table's field by its name; null for an unknown name.
uint8_t* FindAiScore(std::string_view name);
// Calls f(name, field) for every field, in table order.
void ForEachAiScore(void (*f)(const char* name, uint8_t& value, void* context), void* context);

// What completing (or blocking) the block's district is worth to the player.
int32_t GetDistrictRentopiaScore(int32_t player, int32_t block);
