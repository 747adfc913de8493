#pragma once
// The game's save chunks: one table, as the game messages have theirs.
// Each chunk type is a single bit; a save hook writes the chunks of its
// mask bit, and the file holds them in the table's order, after the
// container's version chunk. The types, bits and order are those of the
// saves already written, which must go on loading.
#include <cstdint>
#include <string_view>

#include "engine/files/save_game.h"

enum GameChunkType : int32_t {
  kChunkBuildings = 4,
  kChunkPeople = 16,
  kChunkBusinesses = 32,
  kChunkPlayers = 64,
  kChunkCamera = 256,
  kChunkClock = 512,
  kChunkGameTime = 1024,
  kChunkConstruction = 2048,
  kChunkHouseholds = 4096,
  kChunkHeader = 0x2000,
  kChunkEventQueue = 0x4000,
  kChunkAuction = 0x8000,
  kChunkGoals = 0x10000,
  kChunkStatsHistory = 0x20000,
  kChunkBusinessKinds = 0x40000,
  kChunkPlayerSetup = 0x80000,
  kChunkStoredCamera = 0x100000,
  kChunkCommodities = 0x200000,
  kChunkEndGame = 0x400000,
  kChunkCityDemand = 0x800000,
  kChunkChanceCards = 0x1000000,
  kChunkAuctionQueue = 0x2000000,
  kChunkFrontEnd = 0x4000000,  // the game mode the menus set up
};

// The mask bits that select save hooks. A hook may write several chunk
// types (the players' bit writes the set-up rows too); traffic writes none.
enum GameSaveBit : uint32_t {
  kSaveBuildings = 8,
  kSavePeople = 0x10,
  kSaveBusinesses = 0x20,
  kSavePlayers = 0x40,
  kSaveTraffic = 0x80,
  kSaveCameras = 0x100,
  kSaveClock = 0x200,
  kSaveGameTime = 0x400,
  kSaveConstruction = 0x800,
  kSaveHouseholds = 0x1000,
  kSaveHeader = 0x2000,
  kSaveEventQueue = 0x4000,
  kSaveAuction = 0x8000,
  kSaveGoals = 0x10000,
  kSaveStatsHistory = 0x20000,
  kSaveBusinessKinds = 0x40000,
  kSaveCommodities = 0x200000,
  kSaveEndGame = 0x400000,
  kSaveCityDemand = 0x800000,
  kSaveChanceCards = 0x1000000,
  kSaveFrontEnd = 0x4000000,
};

// One line of the table: a chunk type, the save bit whose hook writes it and
// its name (for reports).
struct SaveChunkRow {
  int32_t type;
  uint32_t saveBit;
  std::string_view name;
};

// Every game chunk, in the order a save writes them.
inline constexpr SaveChunkRow kSaveChunks[] = {
    {kChunkHeader, kSaveHeader, "header"},
    {kChunkPlayerSetup, kSavePlayers, "player set-up"},
    {kChunkPlayers, kSavePlayers, "players"},
    {kChunkBusinesses, kSaveBusinesses, "businesses"},
    {kChunkBuildings, kSaveBuildings, "buildings"},
    {kChunkPeople, kSavePeople, "people"},
    {0, kSaveTraffic, "traffic"},
    {kChunkCamera, kSaveCameras, "camera"},
    {kChunkStoredCamera, kSaveCameras, "stored camera"},
    {kChunkClock, kSaveClock, "clock"},
    {kChunkGameTime, kSaveGameTime, "game time"},
    {kChunkConstruction, kSaveConstruction, "construction jobs"},
    {kChunkHouseholds, kSaveHouseholds, "households"},
    {kChunkEventQueue, kSaveEventQueue, "event queue"},
    {kChunkAuction, kSaveAuction, "auction"},
    {kChunkAuctionQueue, kSaveAuction, "waiting auctions"},
    {kChunkGoals, kSaveGoals, "goals"},
    {kChunkBusinessKinds, kSaveBusinessKinds, "business kinds"},
    {kChunkCommodities, kSaveCommodities, "commodities"},
    {kChunkStatsHistory, kSaveStatsHistory, "statistics history"},
    {kChunkCityDemand, kSaveCityDemand, "city demand"},
    {kChunkChanceCards, kSaveChanceCards, "chance cards"},
    {kChunkFrontEnd, kSaveFrontEnd, "front end game mode"},
    {kChunkEndGame, kSaveEndGame, "end game"},
};

// The header chunk: what the save and load screens show.
struct SaveGameHeader {
  int32_t scenarioId = 0;
  int32_t year = 0;  // 1930 + decade * 10 + year in decade
  float money = 0.0f;
  int32_t difficulty = 0;  // 0-2

  template <class V>
  void Visit(V& v) {
    v.I32(scenarioId);
    v.I32(year);
    v.F32(money);
    v.I32(difficulty, {0, 2, "difficulty"});
  }
};
inline constexpr uint32_t kSaveHeaderLength = 16;

// Gives the container the table's order and registers the header's and the
// end-game word's chunks (each subsystem registers its own).
void InstallSaveChunkTable();

// Supplies the header for the next save (scenario, year, money, difficulty).
// Without a source the current header record is written as it stands.
void SetSaveHeaderSource(std::function<SaveGameHeader()> source);
bool HasSaveHeaderSource();
// The header record: filled by a header read or a load.
SaveGameHeader& CurrentSaveHeader();
// The end-game request word (its chunk), tested and cleared by EndGame.
int32_t& EndGameWord();

// Reads only the header of a save into CurrentSaveHeader(); false when the
// file is missing or bad.
bool ReadSaveHeader(std::string_view name);
// Reads only the game-time chunk of a save.
bool ReadSaveGameTime(std::string_view name);
