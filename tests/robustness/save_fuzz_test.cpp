// Damaged saves of a running game: thousands of deterministic mutations of a
// real save (bytes, lengths, types, truncation, duplicated, dropped and
// swapped chunks, counts and indices at their extremes). A load either
// succeeds, and the game then runs, or leaves the game exactly as it was.
#include <algorithm>
#include <cstring>
#include <limits>

#include "game_fixture.h"
#include "engine/core/byte_io.h"

namespace {

struct Chunk {
  size_t at;  // offset of the type word
  int32_t type;
  size_t length;
};

std::vector<Chunk> SplitChunks(const std::vector<uint8_t>& f) {
  std::vector<Chunk> chunks;
  size_t pos = 0;
  while (pos + 8 <= f.size()) {
    int32_t type = LoadLeI32(&f[pos]);
    if (type == kChunkTerminator) break;
    size_t length = static_cast<uint32_t>(LoadLeI32(&f[pos + 4]));
    chunks.push_back({pos, type, length});
    pos += 8 + length;
  }
  return chunks;
}

// Values that break counts, indices and sizes.
constexpr int32_t kExtremes[] = {0,    -1,    1,      2,       6,     7,     127,   128,  255,
                                 256,  -128,  32767,  -32768,  65535, 65536, 1000,  4096, 1 << 20,
                                 std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min(),
                                 0x7FC00000 /* NaN */, 0x7F800000 /* inf */, static_cast<int32_t>(0xFF800000),
                                 0x4E6E6B28 /* 1e9f */, static_cast<int32_t>(0xCE6E6B28) /* -1e9f */};

class SaveMutator {
 public:
  SaveMutator(const std::vector<uint8_t>& good, uint32_t seed) : good_(good), chunks_(SplitChunks(good)), rng_(seed) {
    for (const Chunk& c : chunks_)
      if (std::find(types_.begin(), types_.end(), c.type) == types_.end()) types_.push_back(c.type);
  }

  std::vector<uint8_t> Next(std::string& what) {
    std::vector<uint8_t> f = good_;
    const int kinds = 11;
    const int kind = Pick(kinds);
    const Chunk c = PickChunk();
    uint8_t* data = &f[c.at + 8];
    switch (kind) {
      case 0: {  // flip a few bits inside one chunk's data
        what = "flip";
        if (c.length == 0) break;
        for (int n = 1 + Pick(3); n > 0; --n) data[Pick(c.length)] ^= static_cast<uint8_t>(1u << Pick(8));
        break;
      }
      case 1: case 2: {  // a word, half-word or byte of the data at an extreme
        what = "extreme";
        if (c.length == 0) break;
        const int32_t v = kExtremes[Pick(std::size(kExtremes))];
        const int width = kind == 1 ? 4 : (Pick(2) ? 2 : 1);
        if (c.length < static_cast<size_t>(width)) break;
        size_t at = Pick(c.length - width + 1);
        if (width == 4) at &= ~size_t{3};
        if (width == 4) StoreLeI32(data + at, v);
        if (width == 2) StoreLeI16(data + at, static_cast<int16_t>(v));
        if (width == 1) data[at] = static_cast<uint8_t>(v);
        break;
      }
      case 3: {  // a wrong length word
        what = "length";
        const int32_t lengths[] = {0, -1, -8, 1, static_cast<int32_t>(c.length) - 1, static_cast<int32_t>(c.length) + 1,
                                   static_cast<int32_t>(c.length) + 4, static_cast<int32_t>(f.size()),
                                   std::numeric_limits<int32_t>::max()};
        StoreLeI32(&f[c.at + 4], lengths[Pick(std::size(lengths))]);
        break;
      }
      case 4: {  // another type word: another chunk's, an unknown one, the terminator
        what = "type";
        const int32_t t[] = {types_[Pick(types_.size())], 0, 3, 8, 0x40000000, std::numeric_limits<int32_t>::min(),
                             kChunkTerminator, kChunkSkipped, kChunkHeader};
        StoreLeI32(&f[c.at], t[Pick(std::size(t))]);
        break;
      }
      case 5:  // cut short anywhere
        what = "truncate";
        f.resize(Pick(f.size()));
        break;
      case 6: {  // one chunk twice
        what = "duplicate";
        std::vector<uint8_t> copy(f.begin() + c.at, f.begin() + c.at + 8 + c.length);
        f.insert(f.begin() + c.at + 8 + c.length, copy.begin(), copy.end());
        break;
      }
      case 7:  // one chunk left out
        what = "drop";
        f.erase(f.begin() + c.at, f.begin() + c.at + 8 + c.length);
        break;
      case 8: {  // two chunks swapped
        what = "swap";
        Chunk d = PickChunk();
        if (d.at == c.at) break;
        const Chunk& a = c.at < d.at ? c : d;
        const Chunk& b = c.at < d.at ? d : c;
        std::vector<uint8_t> out(f.begin(), f.begin() + a.at);
        out.insert(out.end(), f.begin() + b.at, f.begin() + b.at + 8 + b.length);
        out.insert(out.end(), f.begin() + a.at + 8 + a.length, f.begin() + b.at);
        out.insert(out.end(), f.begin() + a.at, f.begin() + a.at + 8 + a.length);
        out.insert(out.end(), f.begin() + b.at + 8 + b.length, f.end());
        f = std::move(out);
        break;
      }
      case 9: {  // a run of random bytes inside one chunk
        what = "scribble";
        if (c.length == 0) break;
        size_t at = Pick(c.length);
        size_t n = std::min<size_t>(c.length - at, 1 + Pick(32));
        for (size_t i = 0; i < n; ++i) data[at + i] = static_cast<uint8_t>(Pick(256));
        break;
      }
      default: {  // every word of a small chunk at one extreme (lists all full or all empty)
        what = "fill";
        const int32_t v = kExtremes[Pick(std::size(kExtremes))];
        for (size_t i = 0; i + 4 <= c.length && i < 4096; i += 4) StoreLeI32(data + i, v);
        break;
      }
    }
    what += " chunk " + std::to_string(c.type) + " at " + std::to_string(c.at);
    return f;
  }

 private:
  size_t Pick(size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
  // A chunk type first, so the many small chunks of one kind (people) do not
  // crowd out the single big ones.
  Chunk PickChunk() {
    int32_t type = types_[Pick(types_.size())];
    std::vector<const Chunk*> of;
    for (const Chunk& c : chunks_)
      if (c.type == type) of.push_back(&c);
    return *of[Pick(of.size())];
  }

  const std::vector<uint8_t>& good_;
  std::vector<Chunk> chunks_;
  std::vector<int32_t> types_;
  std::mt19937 rng_;
};

class SaveFuzzTest : public RunningGameTest {};

TEST_F(SaveFuzzTest, ASaveLoadsBackToTheSameGame) {
  ASSERT_TRUE(SaveGame("good.sav"));
  const std::vector<uint8_t> before = ReadFile(SavePath("good.sav"));
  const SimChecksums sums = FixtureChecksums();
  ASSERT_TRUE(LoadGame("good.sav"));
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(FixtureChecksums().People, sums.People);
  EXPECT_EQ(FixtureChecksums().Businesses, sums.Businesses);
  RunTicks(30);
}

TEST_F(SaveFuzzTest, DamagedSavesLoadWhollyOrChangeNothing) {
  ASSERT_TRUE(SaveGame("good.sav"));
  ASSERT_TRUE(LoadGame("good.sav"));  // the game as a load leaves it
  const std::vector<uint8_t> good = ReadFile(SavePath("good.sav"));
  const std::vector<uint8_t> baseline = Snapshot();
  ASSERT_EQ(baseline, good);
  const SimChecksums sums = FixtureChecksums();

  SaveMutator mutator(good, 20240611u);
  int loaded = 0, refused = 0;
  const int rounds = 1200;
  for (int i = 0; i < rounds; ++i) {
    std::string what;
    std::vector<uint8_t> bad = mutator.Next(what);
    SCOPED_TRACE("mutation " + std::to_string(i) + ": " + what);
    WriteFile(SavePath("bad.sav"), bad);
    if (LoadGame("bad.sav")) {
      ++loaded;
      // What was accepted must be safe to run; now and then for a whole
      // game hour, so the hourly jobs meet it too.
      RunTicks(loaded % 40 == 0 ? static_cast<int>(kTicksPerHour) : 3);
      ASSERT_TRUE(LoadGame("good.sav"));
      ASSERT_EQ(Snapshot(), baseline);
      continue;
    }
    ++refused;
    ASSERT_EQ(FixtureChecksums(), sums);
    ASSERT_EQ(Snapshot(), baseline);
  }
  EXPECT_GT(refused, rounds / 4);
  RecordProperty("loaded", loaded);
  RecordProperty("refused", refused);
}

}  // namespace
