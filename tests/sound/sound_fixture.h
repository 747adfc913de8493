#pragma once
// A sound manager open on the null device over a scratch game root that
// holds generated wave files and music.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/system_settings.h"
#include "engine/game_root_fixture.h"
#include "platform/paths.h"
#include "platform/sound_device.h"
#include "sound/game_sound.h"
#include "sound/sound_manager.h"

// The bytes of a wave file: PCM unless `tag` says otherwise.
inline std::string MakeWave(int channels, int rate, int bits, size_t dataBytes, uint16_t tag = 1,
                            uint16_t extra = 0) {
  auto le = [](std::string& s, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  std::string fmt;
  le(fmt, tag, 2);
  le(fmt, channels, 2);
  le(fmt, rate, 4);
  le(fmt, rate * channels * bits / 8, 4);
  le(fmt, channels * bits / 8, 2);
  le(fmt, bits, 2);
  if (tag != 1) {
    le(fmt, extra, 2);
    fmt.append(extra, 'x');
  }
  std::string body = "WAVEfmt ";
  le(body, static_cast<uint32_t>(fmt.size()), 4);
  body += fmt;
  body += "data";
  le(body, static_cast<uint32_t>(dataBytes), 4);
  for (size_t i = 0; i < dataBytes; ++i) body += static_cast<char>(i * 7 + 1);
  std::string out = "RIFF";
  le(out, static_cast<uint32_t>(body.size()), 4);
  return out + body;
}

class SoundTest : public GameRootTest {
 protected:
  void SetUp() override {
    GameRootTest::SetUp();
    ResetSystemSettings();
    platform::SetSoundDeviceFactory(nullptr);
  }
  void TearDown() override {
    DestroySoundManager();
    ResetSystemSettings();
    GameRootTest::TearDown();
  }

  void WriteFile(const std::string& name, const std::string& bytes) {
    WriteBytes(name, std::vector<uint8_t>(bytes.begin(), bytes.end()));
  }
  // A mono 16-bit sample of `seconds` at 22050 Hz under gamedata/sound/high.
  void WriteSample(const std::string& name, double seconds = 0.5) {
    WriteFile("gamedata/sound/high/" + name, MakeWave(1, 22050, 16, static_cast<size_t>(seconds * 22050) * 2));
  }
  void WriteMusic(const std::string& name) { WriteFile("gamedata/sound/music/" + name, "music"); }

  CPCSoundManager& Open() {
    CPCSoundManager& m = CreateSoundManager();
    EXPECT_TRUE(m.Init());
    return m;
  }
  platform::NullSoundDevice& Null() { return dynamic_cast<platform::NullSoundDevice&>(*SoundManager()->Device()); }
  // Plays `seconds` in steps of a frame, with the manager's update after each.
  void Run(double seconds, double frame = 0.02) {
    for (double t = 0; t < seconds; t += frame) {
      Null().Advance(frame);
      SoundManager()->Update();
    }
  }
  float GainOf(const CSoundDevice* voice) {
    const auto* v = Null().FindVoice(voice->DeviceVoice());
    return v != nullptr ? v->gain : -1.0f;
  }

};
