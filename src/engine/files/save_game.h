#pragma once
// Save games: one file of typed chunks. Each chunk is a little-endian int32
// type (a single bit), an int32 length and that many bytes; a lone int32 -1
// ends the file. The first chunk is always the version chunk.
//
// Every subsystem with state registers a save hook for its mask bit (which
// appends chunks through WriteSaveChunk / ReserveSaveChunk while a save runs)
// and a load hook for each chunk type it owns. The shell never names the
// subsystems nor their chunks: the writer calls the registered save hooks in
// the order the game's chunk table gives, the reader dispatches by chunk type.
//
// A save is built in memory and written to "<path>.tmp", which is renamed over
// the old file only when complete. A load reads the whole file and checks
// every chunk (bounds, known type, length, the load hook's own check) before
// any hook runs, so a bad file changes nothing.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/record_visitor.h"

// The container's own chunk types; every other type is the game's (its
// chunk table), each a single bit that a load mask selects.
enum SaveContainerChunk : int32_t {
  kChunkVersion = 1,
  kChunkSkipped = 2,  // accepted and ignored by the reader
  kChunkTerminator = -1,
};

// A mask that selects every save hook and every chunk.
inline constexpr uint32_t kSaveAll = 0xFFFFFFFFu;

inline constexpr size_t kSaveVersionLength = 40;
inline constexpr size_t kSaveBufferCapacity = 0x200000;  // 2 MiB
inline constexpr size_t kSavePathMax = 127;

// The 40-byte version block that opens every save.
extern const uint8_t kSaveVersionBlock[kSaveVersionLength];

// One save or load in progress; lives on the caller's stack.
struct SaveGameFile {
  std::string path;              // real file path
  std::vector<uint8_t> buffer;   // the save being built, or the file read
  size_t cursor = 0;             // next chunk written or read
  size_t capacity = kSaveBufferCapacity;
  size_t used = 0;
  bool overflowed = false;       // an append did not fit: the save fails
};

// ---- Hooks --------------------------------------------------------------

// Appends this subsystem's chunks through WriteSaveChunk / ReserveSaveChunk.
using SaveHook = std::function<void()>;
// Receives one chunk that passed the checks; applies it to the game.
using LoadHook = std::function<void(std::span<const uint8_t> data)>;
// Optional check of one chunk before anything is applied; false rejects the file.
using ChunkCheck = std::function<bool(std::span<const uint8_t> data)>;

// The order in which WriteSaveGame calls the save hooks, by mask bit (after
// the version chunk, before the terminator): the game's chunk table gives it.
// Hooks of bits outside it follow in the order of their bits.
void SetSaveHookOrder(std::span<const uint32_t> maskBits);

// Registers (or replaces) the save hook of one mask bit; false for a mask
// that is not a single bit.
bool RegisterSaveHook(uint32_t maskBit, SaveHook hook);

// Registers (or replaces) the load hook of a chunk type. A non-zero
// fixedLength makes every chunk of the type that long; check, when given,
// vets each chunk's contents. A type with no load hook is unknown to the
// reader and a file holding it is rejected.
bool RegisterLoadHook(int32_t chunkType, LoadHook hook, uint32_t fixedLength = 0,
                      ChunkCheck check = {}, int32_t maxCount = 0);

// Forgets every registered hook (tests and shutdown); the order stays.
void ClearSaveHooks();

// The save being written or the file being read, while one runs; else null.
SaveGameFile* CurrentSaveFile();

// ---- Writing ------------------------------------------------------------

// Writes a complete file for the mask. False (and the old file untouched)
// when the file cannot be written or the save does not fit.
bool WriteSaveGame(SaveGameFile& file, uint32_t mask);

// Appends one chunk to the current save; type -1 appends only the
// terminator. False when no save runs or the chunk does not fit (the save
// then fails with the warning "The save game file has become too large...").
bool WriteSaveChunk(int32_t type, uint32_t length, const void* data);

// Appends a chunk header and returns where its `length` bytes go, zeroed, for
// the caller to fill in place. Null when no save runs or it does not fit.
uint8_t* ReserveSaveChunk(int32_t type, uint32_t length);

// ---- Record chunks ----------------------------------------------------------
// A chunk that is one record (engine/core/record_visitor.h) is written and
// read through the record's visit alone. Its check is the visit: each chunk is
// decoded into a staging copy, every rule checked, before anything of the
// file is applied; then apply gets the decoded copy.

// Appends one record as a chunk of the type.
template <class Record>
bool WriteRecordChunk(int32_t chunkType, const Record& record) {
  const std::vector<uint8_t> bytes = EncodeRecord(record);
  return WriteSaveChunk(chunkType, static_cast<uint32_t>(bytes.size()), bytes.data());
}

// Registers the load of a chunk type whose every chunk is one Record of
// `length` bytes (0: any, the visit decides); at most maxCount chunks of the
// type in one file (0: any number).
template <class Record>
bool RegisterRecordChunk(int32_t chunkType, uint32_t length, std::function<void(const Record&)> apply,
                         int32_t maxCount = 0) {
  return RegisterLoadHook(
      chunkType,
      [apply = std::move(apply)](std::span<const uint8_t> data) {
        auto staged = std::make_unique<Record>();  // tables are large
        if (DecodeRecord(data, *staged)) apply(*staged);
      },
      length,
      [](std::span<const uint8_t> data) {
        auto staged = std::make_unique<Record>();
        return DecodeRecord(data, *staged);
      },
      maxCount);
}

// ---- Reading ------------------------------------------------------------

// Reads and checks the whole file, then hands each chunk whose type bit is in
// the mask to its hook, in file order. The version is compared only when the
// mask has bit 1; an old version shows the old-save notice. A type that one
// file holds once is served by its first chunk: reading stops once every bit
// of the mask has been served (a header-only read ends after the header).
// False, with nothing applied, on any fault.
bool LoadGameFile(SaveGameFile& file, uint32_t mask);

// Reads the whole file at file.path into file.buffer and checks every chunk
// without applying anything. Used by LoadGameFile and LoadGame.
bool CheckSaveGameFile(SaveGameFile& file, bool checkVersion);

// ---- Save and load sequences --------------------------------------------

// The current player profile's name, for "profiles\<profile>\<name>".
void SetSaveProfileSource(std::function<std::string()> source);
bool HasSaveProfileSource();
// Game name of a save: "profiles\<profile>\<name>".
std::string SaveGamePath(std::string_view name);
// Turns a game name into a real path (the path service unless replaced).
void SetSavePathResolver(std::function<std::string(std::string_view)> resolver);
std::string ResolveSavePath(std::string_view gameName);
// True for a name a save may take: a plain file name in the profile's folder
// that is neither hidden (a temporary) nor a name the game keeps there itself.
bool ValidSaveName(std::string_view name);
// The input recorder's files in the profile's folder: its recordings
// "<name>.rec" and the save of the game at a recording's start.
inline constexpr std::string_view kRecordingExtension = ".rec";
inline constexpr std::string_view kRecordingStartSave = "__rec.sav";
// True for a name a player may give a save (the console's SAVEGAME, the save
// page): a valid save name that is none of the recorder's, which the
// recorder would write over. Saves of such names made before still load.
bool PlayerSaveName(std::string_view name);

// Saves everything as "profiles\<profile>\<name>".
bool SaveGame(std::string_view name);
// Reads and checks the whole save "profiles\<profile>\<name>" (version
// included) into file without applying anything; false, with nothing
// changed, for a bad name or file. The game root's load then resets the game
// and hands the chunks to their owners with ApplySaveChunks.
bool OpenSaveGame(std::string_view name, SaveGameFile& file);
// Hands each chunk of a checked file whose type bit is in the mask to its
// load hook, in file order.
void ApplySaveChunks(SaveGameFile& file, uint32_t mask);
// Reads the save "profiles\<profile>\<name>" and applies only the chunks
// of the mask (without the version check); false when the name, the file
// or a chunk is bad.
bool ReadSaveChunks(std::string_view name, uint32_t mask);
bool FileExists(std::string_view path);
