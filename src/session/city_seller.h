#pragma once
// The city as a seller: blocks that no player owns belong to the city (player
// -1), which answers requests to buy from it or sell to it.
#include <cstdint>

struct PlayerMessage;

// Handles one player message addressed to the city (routing hands it over).
void CityHandleMessage(const PlayerMessage& message);
// True while the city handles a message.
bool CityIsBusy();
// The block goes back to the city; its owner (if any) is paid the amount.
void ReturnBlockToCity(int32_t block, float amount);
