// The wave reader against good and damaged files.
#include <gtest/gtest.h>

#include "sound/wave_reader.h"
#include "sound_fixture.h"

namespace {

using WaveReaderTest = SoundTest;

TEST_F(WaveReaderTest, ReadsPcmInPiecesAndRewinds) {
  // An 18-byte fmt chunk (a PCM header with an unused count) reads as PCM.
  std::string wave = MakeWave(2, 11025, 8, 100);
  wave.replace(16, 4, std::string("\x12\0\0\0", 4));
  wave.insert(36, 2, '\0');
  wave.replace(4, 4, std::string(1, char(wave.size() - 8)) + std::string(3, '\0'));
  WriteFile("a.wav", wave);
  CWaveReader reader;
  ASSERT_EQ(reader.Open("a.wav"), 0);
  EXPECT_EQ(reader.Format().tag, 1);
  EXPECT_EQ(reader.Format().channels, 2);
  EXPECT_EQ(reader.Format().samplesPerSec, 11025u);
  EXPECT_TRUE(reader.Format().extra.empty());
  EXPECT_EQ(reader.DataSize(), 100u);

  uint8_t buf[80];
  uint32_t got = 0;
  EXPECT_EQ(reader.Read(80, buf, &got), 0);
  EXPECT_EQ(got, 80u);
  EXPECT_EQ(buf[0], 1);
  EXPECT_EQ(reader.Read(80, buf, &got), 0);  // only what is left
  EXPECT_EQ(got, 20u);
  EXPECT_EQ(reader.Read(80, buf, &got), 0);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(reader.Rewind(), 0);
  EXPECT_EQ(reader.Unread(), 100u);
  EXPECT_EQ(reader.Read(1, buf, &got), 0);
  EXPECT_EQ(buf[0], 1);
}

TEST_F(WaveReaderTest, SkipsOtherChunksWithTheirPadByteAndReadsExtraBytes) {
  std::string wave = MakeWave(1, 22050, 16, 10, 2, 4);  // a non-PCM tag with 4 extra bytes
  // An odd-sized chunk ahead of "fmt ", followed by its pad byte.
  wave.insert(12, std::string("LIST\x03\0\0\0abc\0", 12));
  wave.replace(4, 4, std::string(1, char(wave.size() - 8)) + std::string(3, '\0'));
  WriteFile("b.wav", wave);
  CWaveReader reader;
  ASSERT_EQ(reader.Open("b.wav"), 0);
  EXPECT_EQ(reader.Format().tag, 2);
  EXPECT_EQ(reader.Format().extra.size(), 4u);
  EXPECT_EQ(reader.DataSize(), 10u);
}

TEST_F(WaveReaderTest, TrustsNoSizeInTheHeader) {
  // The data chunk claims far more than the file holds: cut to the file.
  std::string wave = MakeWave(1, 22050, 16, 64);
  wave.replace(40, 4, std::string("\xff\xff\xff\x7f", 4));
  WriteFile("long.wav", wave);
  CWaveReader reader;
  ASSERT_EQ(reader.Open("long.wav"), 0);
  EXPECT_EQ(reader.DataSize(), 64u);
}

TEST_F(WaveReaderTest, BadFilesFailToOpen) {
  const std::string good = MakeWave(1, 22050, 16, 32);
  std::string shortFmt = good;
  shortFmt.replace(16, 4, std::string("\x0e\0\0\0", 4));  // 14 bytes
  std::string extraTooLong = MakeWave(1, 22050, 16, 8, 2, 2);
  extraTooLong.replace(36, 2, std::string("\xff\x00", 2));  // says 255 extra bytes
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"not riff", "RIFX" + good.substr(4)},
      {"not wave", good.substr(0, 8) + "AVI " + good.substr(12)},
      {"short fmt", shortFmt},
      {"no data", good.substr(0, 36)},
      {"extra beyond its chunk", extraTooLong},
      {"cut in the header", good.substr(0, 20)},
  };
  for (const auto& c : cases) {
    WriteFile("bad.wav", c.bytes);
    CWaveReader reader;
    EXPECT_EQ(reader.Open("bad.wav"), kWaveFailed) << c.name;
    uint32_t got = 9;
    uint8_t buf[4];
    EXPECT_EQ(reader.Read(4, buf, &got), kWaveFailed) << c.name;
    EXPECT_EQ(got, 0u);
  }
  CWaveReader reader;
  EXPECT_EQ(reader.Open("missing.wav"), kWaveFailed);
}

}  // namespace
