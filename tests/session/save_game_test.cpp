// The save container through the game's chunk table: writing, reading,
// the header, and the files it refuses.
#include "session/save_chunks.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, int32_t v) {
  uint8_t raw[4];
  std::memcpy(raw, &v, 4);
  b.insert(b.end(), raw, raw + 4);
}

void PutChunk(Bytes& b, int32_t type, const Bytes& data) {
  Put32(b, type);
  Put32(b, int32_t(data.size()));
  b.insert(b.end(), data.begin(), data.end());
}

Bytes VersionChunk() {
  Bytes b;
  PutChunk(b, kChunkVersion, Bytes(kSaveVersionBlock, kSaveVersionBlock + kSaveVersionLength));
  return b;
}

Bytes ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& p, const Bytes& b) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

// A small game of three chunk owners: people (fixed 8-byte chunks, one per
// person), buildings (written in place through ReserveSaveChunk) and events
// (variable length, checked by their owner).
struct TestGame {
  std::vector<int64_t> people;
  Bytes buildings = Bytes(12, 0);
  std::vector<std::string> events;
  int resets = 0;
  std::vector<int32_t> loadOrder;
};

class SaveGameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("save_game_test_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "profiles" / "anna");
    oldBoxes_ = platform::SetMessageBoxBackend(
        [this](std::string_view caption, std::string_view, platform::BoxIcon,
               platform::BoxButtons) {
          boxes_.emplace_back(caption);
          return platform::BoxResult::Ok;
        });
    SetSavePathResolver([this](std::string_view name) {
      std::string p(name);
      for (char& c : p)
        if (c == '\\') c = '/';
      return (dir_ / p).string();
    });
    SetSaveProfileSource([] { return std::string("anna"); });
    ClearSaveHooks();
    InstallSaveChunkTable();
    RegisterHooks();
  }

  void TearDown() override {
    ClearSaveHooks();
    SetSavePathResolver(nullptr);
    SetSaveProfileSource(nullptr);
    EndGameWord() = 0;
    CurrentSaveHeader() = {};
    platform::SetMessageBoxBackend(std::move(oldBoxes_));
    fs::remove_all(dir_);
  }

  void RegisterHooks() {
    RegisterSaveHook(kSavePeople, [this] {
      for (int64_t p : game_.people) WriteSaveChunk(kChunkPeople, 8, &p);
    });
    RegisterLoadHook(
        kChunkPeople,
        [this](std::span<const uint8_t> d) {
          int64_t v;
          std::memcpy(&v, d.data(), 8);
          game_.people.push_back(v);
          game_.loadOrder.push_back(kChunkPeople);
        },
        8);
    RegisterSaveHook(kSaveBuildings, [this] {
      uint8_t* at = ReserveSaveChunk(kChunkBuildings, uint32_t(game_.buildings.size()));
      ASSERT_NE(at, nullptr);
      std::memcpy(at, game_.buildings.data(), game_.buildings.size());
    });
    RegisterLoadHook(
        kChunkBuildings,
        [this](std::span<const uint8_t> d) {
          game_.buildings.assign(d.begin(), d.end());
          game_.loadOrder.push_back(kChunkBuildings);
        },
        12);
    RegisterSaveHook(kSaveEventQueue, [this] {
      for (auto& e : game_.events) WriteSaveChunk(kChunkEventQueue, uint32_t(e.size()), e.data());
    });
    RegisterLoadHook(
        kChunkEventQueue,
        [this](std::span<const uint8_t> d) {
          game_.events.emplace_back(d.begin(), d.end());
          game_.loadOrder.push_back(kChunkEventQueue);
        },
        0, [](std::span<const uint8_t> d) { return !d.empty() && d[0] != '!'; });
  }

  // The game root's load: the whole file checked, the game reset, then
  // every chunk applied.
  bool LoadGame(std::string_view name) {
    SaveGameFile file;
    if (!OpenSaveGame(name, file)) return false;
    const int resets = game_.resets + 1;
    game_ = TestGame{};
    game_.resets = resets;
    ApplySaveChunks(file, kSaveAll);
    return true;
  }

  fs::path SavePath(const char* name) { return dir_ / "profiles" / "anna" / name; }

  TestGame game_;
  fs::path dir_;
  std::vector<std::string> boxes_;
  platform::MessageBoxBackend oldBoxes_;
};

TEST_F(SaveGameTest, VersionChunkAloneLoadsAndChangesNothing) {
  Bytes file = VersionChunk();
  Put32(file, kChunkTerminator);
  WriteFile(SavePath("empty.sav"), file);
  game_.people = {7};
  SaveGameFile f;
  f.path = SavePath("empty.sav").string();
  EXPECT_TRUE(LoadGameFile(f, kSaveAll));
  EXPECT_EQ(game_.people, std::vector<int64_t>{7});
  EXPECT_TRUE(game_.loadOrder.empty());
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(SaveGameTest, HeaderOnlySaveIsSeventySixBytes) {
  SetSaveHeaderSource([] { return SaveGameHeader{3, 1957, 1250.5f, 2}; });
  SaveGameFile f;
  f.path = SavePath("header.sav").string();
  ASSERT_TRUE(WriteSaveGame(f, kSaveHeader));
  Bytes bytes = ReadFile(SavePath("header.sav"));
  ASSERT_EQ(bytes.size(), 76u);
  EXPECT_EQ(0, std::memcmp(bytes.data() + 8, kSaveVersionBlock, kSaveVersionLength));
  int32_t type, year;
  std::memcpy(&type, bytes.data() + 48, 4);
  std::memcpy(&year, bytes.data() + 60, 4);
  EXPECT_EQ(type, kChunkHeader);
  EXPECT_EQ(year, 1957);
}

TEST_F(SaveGameTest, HeaderReadStopsAfterHeaderAndIgnoresVersion) {
  Bytes file;
  PutChunk(file, kChunkVersion, Bytes(kSaveVersionLength, 0xAB));  // another version
  Bytes header(16, 0);
  int32_t scenario = 5, year = 1984;
  std::memcpy(header.data(), &scenario, 4);
  std::memcpy(header.data() + 4, &year, 4);
  PutChunk(file, kChunkHeader, header);
  PutChunk(file, kChunkPeople, Bytes(8, 1));
  Put32(file, kChunkTerminator);
  WriteFile(SavePath("h.sav"), file);

  ASSERT_TRUE(ReadSaveHeader("h.sav"));
  EXPECT_EQ(CurrentSaveHeader().scenarioId, 5);
  EXPECT_EQ(CurrentSaveHeader().year, 1984);
  EXPECT_TRUE(game_.loadOrder.empty());
  EXPECT_TRUE(boxes_.empty());
  EXPECT_FALSE(ReadSaveHeader("missing.sav"));
}

TEST_F(SaveGameTest, RoundTripThroughHooks) {
  game_.people = {11, -4, 1LL << 40};
  game_.buildings = Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  game_.events = {"tick", "auction at noon"};
  EndGameWord() = 3;
  SetSaveHeaderSource([] { return SaveGameHeader{2, 1941, 99.25f, 1}; });
  ASSERT_TRUE(SaveGame("round.sav"));
  EXPECT_FALSE(fs::exists(SavePath("round.sav.tmp")));

  TestGame saved = game_;
  game_.people = {0};
  game_.events.clear();
  EndGameWord() = 0;
  CurrentSaveHeader() = {};

  ASSERT_TRUE(LoadGame("round.sav"));
  EXPECT_EQ(game_.resets, 1);
  EXPECT_EQ(game_.people, saved.people);
  EXPECT_EQ(game_.buildings, saved.buildings);
  EXPECT_EQ(game_.events, saved.events);
  EXPECT_EQ(EndGameWord(), 3);
  EXPECT_EQ(CurrentSaveHeader().year, 1941);
  EXPECT_FLOAT_EQ(CurrentSaveHeader().money, 99.25f);
  // Hooks run in the writer's order: buildings before people before events.
  std::vector<int32_t> order = {kChunkBuildings, kChunkPeople, kChunkPeople, kChunkPeople,
                                kChunkEventQueue, kChunkEventQueue};
  EXPECT_EQ(game_.loadOrder, order);
}

TEST_F(SaveGameTest, SkippedChunkTypeIsAccepted) {
  Bytes file = VersionChunk();
  PutChunk(file, kChunkSkipped, Bytes(5, 9));
  PutChunk(file, kChunkPeople, Bytes(8, 0));
  Put32(file, kChunkTerminator);
  WriteFile(SavePath("two.sav"), file);
  EXPECT_TRUE(LoadGame("two.sav"));
  EXPECT_EQ(game_.people.size(), 1u);
}

// Files that must be refused before anything is applied.
TEST_F(SaveGameTest, BadFilesAreRejectedAndTheGameIsUntouched) {
  game_.people = {11, 22};
  game_.events = {"keep"};
  ASSERT_TRUE(SaveGame("good.sav"));
  const Bytes good = ReadFile(SavePath("good.sav"));

  auto withChunk = [](int32_t type, Bytes data, int32_t claimed) {
    Bytes b = VersionChunk();
    Put32(b, type);
    Put32(b, claimed);
    b.insert(b.end(), data.begin(), data.end());
    Put32(b, kChunkTerminator);
    return b;
  };
  Bytes oldVersion;
  PutChunk(oldVersion, kChunkVersion, Bytes(kSaveVersionLength, 0));
  Put32(oldVersion, kChunkTerminator);
  Bytes trailing = good;
  trailing.push_back(0);
  Bytes noVersion;
  PutChunk(noVersion, kChunkPeople, Bytes(8, 0));
  Put32(noVersion, kChunkTerminator);

  struct Case {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"empty file", {}},
      {"cut inside the version chunk", Bytes(good.begin(), good.begin() + 20)},
      {"cut before the terminator", Bytes(good.begin(), good.end() - 4)},
      {"cut inside a chunk header", Bytes(good.begin(), good.begin() + 52)},
      {"length beyond the file", withChunk(kChunkPeople, Bytes(8, 0), 4000)},
      {"negative length", withChunk(kChunkPeople, Bytes(8, 0), -8)},
      {"unknown chunk type", withChunk(0x800000, Bytes(4, 0), 4)},
      {"type that is not one bit", withChunk(3, Bytes(4, 0), 4)},
      {"wrong fixed length", withChunk(kChunkPeople, Bytes(6, 0), 6)},
      {"owner's check fails", withChunk(kChunkEventQueue, Bytes{'!', 'x'}, 2)},
      {"header of the wrong length", withChunk(kChunkHeader, Bytes(12, 0), 12)},
      {"data after the terminator", trailing},
      {"no version chunk first", noVersion},
      {"another version", oldVersion},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(SavePath("bad.sav"), c.bytes);
    EXPECT_FALSE(LoadGame("bad.sav"));
    EXPECT_EQ(game_.resets, 0);
    EXPECT_EQ(game_.people, (std::vector<int64_t>{11, 22}));
    EXPECT_EQ(game_.events, std::vector<std::string>{"keep"});
    SaveGameFile f;
    f.path = SavePath("bad.sav").string();
    EXPECT_FALSE(LoadGameFile(f, kSaveAll));
    EXPECT_TRUE(game_.loadOrder.empty());
  }
  EXPECT_NE(std::find(boxes_.begin(), boxes_.end(), "Old Savegame FIle"), boxes_.end());
  EXPECT_FALSE(LoadGame("absent.sav"));
  EXPECT_FALSE(LoadGame("../good.sav"));
}

TEST_F(SaveGameTest, FailedSaveKeepsTheOldFile) {
  game_.people = {1, 2, 3};
  ASSERT_TRUE(SaveGame("keep.sav"));
  const Bytes before = ReadFile(SavePath("keep.sav"));

  // Too large: the buffer overflows, the save fails with a warning.
  game_.people.assign(kSaveBufferCapacity / 16 + 1, 5);
  EXPECT_FALSE(SaveGame("keep.sav"));
  EXPECT_EQ(ReadFile(SavePath("keep.sav")), before);
  EXPECT_NE(std::find(boxes_.begin(), boxes_.end(), "WARNING!"), boxes_.end());

  // Cannot be put in place (a folder holds the name): no temporary file is
  // left behind.
  game_.people = {9};
  fs::create_directories(fs::path(SavePath("held.sav")) / "inside");
  EXPECT_FALSE(SaveGame("held.sav"));
  for (const auto& entry : fs::directory_iterator(dir_ / "profiles" / "anna"))
    EXPECT_EQ(entry.path().filename().string().find("held.sav."), std::string::npos) << entry.path();

  // A save may be named like a temporary file: saving another game never
  // touches it.
  ASSERT_TRUE(SaveGame("keep.sav.tmp"));
  const Bytes tmp_named = ReadFile(SavePath("keep.sav.tmp"));
  game_.people = {4, 5};
  ASSERT_TRUE(SaveGame("keep.sav"));
  EXPECT_EQ(ReadFile(SavePath("keep.sav.tmp")), tmp_named);

  // Chunks outside a save are refused.
  EXPECT_FALSE(WriteSaveChunk(kChunkPeople, 8, "12345678"));
  EXPECT_EQ(ReserveSaveChunk(kChunkPeople, 8), nullptr);
}

// The profile's name comes from scripts: one that is a path is refused, so no
// save is written outside the profiles folder.
TEST_F(SaveGameTest, ProfileNamesThatArePathsAreRefused) {
  for (const char* profile : {"../../escape", "..", "a/b", "a\\b"}) {
    SetSaveProfileSource([profile] { return std::string(profile); });
    EXPECT_FALSE(SaveGame("x.sav")) << profile;
    EXPECT_FALSE(LoadGame("x.sav")) << profile;
  }
  EXPECT_FALSE(fs::exists(dir_ / ".." / "escape"));
  EXPECT_FALSE(fs::exists(dir_ / "profiles" / "a"));
  SetSaveProfileSource([] { return std::string("anna"); });
  EXPECT_TRUE(SaveGame("x.sav"));
}

// A save that cannot be opened is refused with the reason.
TEST_F(SaveGameTest, LoadThatCannotOpenSaysWhy) {
  std::vector<std::string> texts;
  auto old = platform::SetMessageBoxBackend(
      [&texts](std::string_view, std::string_view text, platform::BoxIcon, platform::BoxButtons) {
        texts.emplace_back(text);
        return platform::BoxResult::Ok;
      });
  EXPECT_FALSE(LoadGame("none.sav"));
  fs::create_directories(SavePath("folder.sav"));
  EXPECT_FALSE(LoadGame("folder.sav"));
  platform::SetMessageBoxBackend(std::move(old));
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_NE(texts[0].find("Cannot open the save game"), std::string::npos) << texts[0];
  EXPECT_NE(texts[0].find("No such file or directory"), std::string::npos) << texts[0];
  EXPECT_NE(texts[1].find("it is not a regular file"), std::string::npos) << texts[1];
}

// The table writes the chunks in the order of the saves already written:
// every chunk type of the table, one hook per save bit.
TEST_F(SaveGameTest, TheChunkTableKeepsTheWrittenOrder) {
  ClearSaveHooks();
  InstallSaveChunkTable();
  for (const SaveChunkRow& row : kSaveChunks) {
    if (row.type == kChunkHeader || row.type == kChunkEndGame) continue;
    RegisterSaveHook(row.saveBit, [bit = row.saveBit] {
      for (const SaveChunkRow& r : kSaveChunks)
        if (r.saveBit == bit && r.type != 0) WriteSaveChunk(r.type, 4, "abcd");
    });
  }
  SaveGameFile f;
  f.path = SavePath("order.sav").string();
  ASSERT_TRUE(WriteSaveGame(f, kSaveAll));
  const Bytes bytes = ReadFile(SavePath("order.sav"));
  std::vector<int32_t> types;
  for (size_t at = 8 + kSaveVersionLength; at + 8 <= bytes.size();) {
    int32_t type = 0, length = 0;
    std::memcpy(&type, bytes.data() + at, 4);
    std::memcpy(&length, bytes.data() + at + 4, 4);
    types.push_back(type);
    at += 8 + size_t(length);
  }
  const std::vector<int32_t> written = {0x2000,  0x80000, 64,      32,      4,        16,       256,     0x100000,
                                        512,     1024,    2048,    4096,    0x4000,   0x8000,   0x2000000, 0x10000,
                                        0x40000, 0x200000, 0x20000, 0x800000, 0x1000000, 0x4000000, 0x400000};
  EXPECT_EQ(types, written);
}

}  // namespace
