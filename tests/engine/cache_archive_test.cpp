#include "engine/files/cache_archive.h"

#include <cstring>

#include "game_root_fixture.h"

namespace {

constexpr const char* kArchive = "max\\archive.bin";
const std::string kWrongVersion =
    "ERROR - Wrong archive version|Archive version number changed\nRegenerating archive file";

class CacheArchiveTest : public GameRootTest {
 protected:
  void AddBytes(CCacheArchive& a, const char* name, std::string_view bytes) {
    ASSERT_TRUE(a.AddEntry(name));
    ASSERT_TRUE(a.BeginWrite(name));
    ASSERT_TRUE(a.Write(bytes.data(), bytes.size()));
  }
  std::string ReadAll(CCacheArchive& a, const char* name) {
    if (!a.BeginRead(name)) return "<none>";
    std::string out(a.Remaining(), '\0');
    if (!out.empty()) {
      EXPECT_TRUE(a.Read(out.data(), out.size()));
    }
    return out;
  }
};

TEST_F(CacheArchiveTest, FirstOpenRegeneratesOnceThenKeepsEntries) {
  CCacheArchive a;
  ASSERT_TRUE(a.Open(kArchive, 0));
  EXPECT_TRUE(boxes_.empty());  // a first start has no directory: no message
  EXPECT_TRUE(std::filesystem::exists(Real("max/archive.DIR")));
  AddBytes(a, "gamedata2\\chair\\chair.tm", "hello");
  AddBytes(a, "gamedata2\\x.tm", "world!");
  EXPECT_TRUE(a.WasWritten("gamedata2\\chair\\chair.tm"));
  ASSERT_TRUE(a.Close());

  boxes_.clear();
  ASSERT_TRUE(a.Open(kArchive, 0));
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(a.EntryCount(), 2);
  EXPECT_FALSE(a.WasWritten("gamedata2\\chair\\chair.tm"));
  EXPECT_FALSE(a.WasRead("gamedata2\\x.tm"));
  EXPECT_EQ(a.GetSize("GAMEDATA2\\X.TM"), 6);
  EXPECT_EQ(ReadAll(a, "gamedata2/x.tm"), "world!");
  EXPECT_TRUE(a.WasRead("gamedata2\\x.tm"));

  // A later addition lands at the end of the data file and reads back whole.
  AddBytes(a, "late", "abc");
  EXPECT_EQ(a.Entry(a.FindEntry("late"))->offset, 11);
  ASSERT_TRUE(a.Close());
  ASSERT_TRUE(a.Open(kArchive, 0));
  EXPECT_EQ(ReadAll(a, "late"), "abc");
  EXPECT_EQ(ReadAll(a, "gamedata2\\chair\\chair.tm"), "hello");
}

TEST_F(CacheArchiveTest, FindEntryMatchesWholeNamesOnly) {
  CCacheArchive a;
  ASSERT_TRUE(a.Open(kArchive, 0));
  AddBytes(a, "ABCDEF", "1");
  AddBytes(a, "abc", "2");
  EXPECT_EQ(a.FindEntry("abc"), 1);
  EXPECT_EQ(a.FindEntry("AbCdEf"), 0);
  EXPECT_EQ(a.FindEntry("ab"), -1);
  EXPECT_EQ(a.FindEntry(""), -1);
  EXPECT_FALSE(a.Contains("abcd"));
}

TEST_F(CacheArchiveTest, WritesAndReadsAreBounded) {
  CCacheArchive a;
  ASSERT_TRUE(a.Open(kArchive, 0));
  EXPECT_FALSE(a.BeginWrite("missing"));
  EXPECT_FALSE(a.BeginRead("missing"));
  AddBytes(a, "e", "12345");
  EXPECT_FALSE(a.Write("x", 0));
  EXPECT_EQ(a.GetSize("e"), 5);
  // Only the last entry can take more bytes.
  AddBytes(a, "f", "z");
  EXPECT_FALSE(a.BeginWrite("e"));

  ASSERT_TRUE(a.BeginRead("e"));
  char buf[8] = {};
  EXPECT_FALSE(a.Read(buf, 6));
  EXPECT_TRUE(a.Read(buf, 2));
  EXPECT_TRUE(a.Skip(1));
  EXPECT_TRUE(a.Read(buf, 2));
  EXPECT_EQ(std::string(buf, 2), "45");
  EXPECT_FALSE(a.Skip(1));
  EXPECT_FALSE(a.Seek(6));
  EXPECT_TRUE(a.Seek(1));
  EXPECT_TRUE(a.Read(buf, 1));
  EXPECT_EQ(buf[0], '2');
  EXPECT_FALSE(a.Write("x", 1));

  uint8_t info[34];
  std::memset(info, 7, sizeof info);
  EXPECT_TRUE(a.SetEntryInfo(info, 34));
  EXPECT_FALSE(a.SetEntryInfo(info, 35));
  uint8_t back[34] = {};
  EXPECT_TRUE(a.GetEntryInfo(back, 34));
  EXPECT_EQ(std::memcmp(info, back, 34), 0);
}

TEST_F(CacheArchiveTest, EmptyDirectoryGrowsOnAdd) {
  CCacheArchive a;
  ASSERT_TRUE(a.Open(kArchive, 0));
  EXPECT_FALSE(a.ReadDirectory());
  EXPECT_EQ(a.EntryCount(), 0);
  AddBytes(a, "one", "1");
  EXPECT_EQ(a.EntryCount(), 1);
}

TEST_F(CacheArchiveTest, RunThatStopsMidWriteForcesRebuild) {
  {
    CCacheArchive a;
    ASSERT_TRUE(a.Open(kArchive, 0));
    AddBytes(a, "kept", "1");
    ASSERT_TRUE(a.Close());
    ASSERT_TRUE(a.Open(kArchive, 0));
    AddBytes(a, "half", "22");
    // No Close: the directory on disk is marked not closed.
    std::vector<uint8_t> dir = ReadBytes("max/archive.DIR");
    ASSERT_GE(dir.size(), 32u);
    EXPECT_EQ(dir[8], 0);
    CCacheArchive b;
    boxes_.clear();
    ASSERT_TRUE(b.Open(kArchive, 0));
    EXPECT_EQ(boxes_, std::vector<std::string>{kWrongVersion});
    EXPECT_EQ(b.EntryCount(), 0);
    EXPECT_EQ(b.DataSize(), 0);
    b.Close();
  }
}

TEST_F(CacheArchiveTest, RebuildMarkerAndFlagEmptyTheArchive) {
  CCacheArchive a;
  ASSERT_TRUE(a.Open(kArchive, 0));
  AddBytes(a, "x", "1");
  a.Close();
  WriteBytes("gamedata2/rebuild.txt", {'1'});
  ASSERT_TRUE(a.Open(kArchive, 0));
  EXPECT_TRUE(a.RebuildRequested());
  EXPECT_FALSE(std::filesystem::exists(Real("gamedata2/rebuild.txt")));
  EXPECT_EQ(a.EntryCount(), 0);
  AddBytes(a, "y", "2");
  a.Close();
  ASSERT_TRUE(a.Open(kArchive, CCacheArchive::kRebuild));
  EXPECT_FALSE(a.RebuildRequested());
  EXPECT_EQ(a.EntryCount(), 0);
}

TEST_F(CacheArchiveTest, DamagedDataIsRefusedAndForgotten) {
  CCacheArchive a;
  ASSERT_TRUE(a.Open(kArchive, 0));
  AddBytes(a, "x", "abcdef");
  a.Close();
  std::vector<uint8_t> data = ReadBytes("max/archive.bin");
  data[2] ^= 0x40;
  WriteBytes("max/archive.bin", data);
  ASSERT_TRUE(a.Open(kArchive, 0));
  boxes_.clear();
  EXPECT_FALSE(a.BeginRead("x"));
  EXPECT_EQ(boxes_.size(), 1u);
  EXPECT_FALSE(a.Contains("x"));
  AddBytes(a, "x", "again");
  EXPECT_EQ(ReadAll(a, "x"), "again");
}

TEST_F(CacheArchiveTest, InconsistentDirectoryIsRegenerated) {
  CCacheArchive a;
  ASSERT_TRUE(a.Open(kArchive, 0));
  AddBytes(a, "x", "abcdef");
  a.Close();
  // Data file shorter than the directory says.
  WriteBytes("max/archive.bin", {'a', 'b'});
  boxes_.clear();
  ASSERT_TRUE(a.Open(kArchive, 0));
  EXPECT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(a.EntryCount(), 0);
  a.Close();
  // Directory whose count does not match its length.
  std::vector<uint8_t> dir = ReadBytes("max/archive.DIR");
  dir[4] = 9;
  WriteBytes("max/archive.DIR", dir);
  boxes_.clear();
  ASSERT_TRUE(a.Open(kArchive, 0));
  EXPECT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(a.EntryCount(), 0);
}

TEST_F(CacheArchiveTest, AddEntryRefusesOverlongNames) {
  CCacheArchive a;
  ASSERT_TRUE(a.Open(kArchive, 0));
  boxes_.clear();
  EXPECT_FALSE(a.AddEntry(std::string(260, 'a')));
  EXPECT_TRUE(a.AddEntry(std::string(259, 'a')));
  EXPECT_EQ(a.EntryCount(), 1);
}

}  // namespace
