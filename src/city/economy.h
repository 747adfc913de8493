#pragma once
// Start-up of the economy: its tables, random streams, save chunks and
// console commands.
#include <cstdint>

// Program start: every economy table to its start state (commodities,
// business types and records, timetables, preferences and classes, speeds,
// households).
void ResetEconomyTables();
// New game or level: business records, type commodity lists, households.
void ResetEconomyForNewGame();
// Touches the economy's random streams in their fixed order (the city's
// register function calls it).
void RegisterEconomyRandomStreams();
// Save hooks of businesses (32), business types (0x40000), commodities
// (0x200000) and households (4096); each chunk is checked before any is applied.
void RegisterEconomySaveHooks();
// TIMETABLE, ADD_DAILY_OBJECTIVE, PEOPLESPEED, CLASSWEIGHTING,
// BLOCKCLASSSCORE, PROXIMITYSCORE, BLOCKRENTSCORE, APARTMENTRENTADJUST.
void RegisterEconomyConsoleCommands();
// All of the above plus the economy as the city's business service.
void InitEconomy();
