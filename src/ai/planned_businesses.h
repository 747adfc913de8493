#pragma once
// The computer players' own note of the businesses they have planned or
// dropped on each block, on top of the city's count of the businesses that
// stand there (city/city_demand.h). The city's count is shared state, kept
// by the city as businesses open and close on every machine; this note
// lives only where the computer players run, is never saved, and starts
// empty whenever their characters are set up (a new game or a load).
#include <cstdint>

// One more business of the type planned on the block.
void NotePlannedBusiness(int32_t block, int32_t type);
// One fewer: a planned building refused, or a standing one to be demolished.
// The count the players read never falls below 0.
void DropPlannedBusiness(int32_t block, int32_t type);
void ForgetPlannedBusinesses();
// The businesses of the type on the block as the computer players see them:
// the city's count with their own plans.
int32_t AiBlockBusinessTypeCount(int32_t block, int32_t type);
