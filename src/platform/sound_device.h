#pragma once
// The sound layer below the sound manager: PCM buffers, voices that play one
// buffer (looping or not) or a queue of buffers (streams), their gain, pitch
// and place in space, the listener, and decoders for compressed music.
//
// The OpenAL form lives in platform/sdl; the null form here plays nothing and
// keeps time only when told to (Advance), so headless runs and tests hear
// voices start, end and consume their queues deterministically.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct SoundVec {
  float x = 0, y = 0, z = 0;
};

struct PcmFormat {
  int32_t channels = 0;
  int32_t rate = 0;
  int32_t bits = 0;  // 8 or 16
  int32_t BlockAlign() const { return channels * bits / 8; }
  bool Valid() const {
    return (channels == 1 || channels == 2) && (bits == 8 || bits == 16) && rate >= 1000 && rate <= 192000;
  }
};

// Compressed music decoded to 16-bit PCM.
class MusicDecoder {
 public:
  virtual ~MusicDecoder() = default;
  virtual PcmFormat Format() const = 0;
  // Up to `bytes` bytes of PCM; 0 at the end.
  virtual size_t Read(uint8_t* out, size_t bytes) = 0;
  virtual bool Rewind() = 0;
};

// Buffer and voice handles are never 0; 0 means none.
class SoundDevice {
 public:
  virtual ~SoundDevice() = default;
  // Descriptions of the output devices, the default first, at most 8.
  virtual std::vector<std::string> EnumerateDevices() = 0;
  // Opens the device with the description, or the default one when none
  // matches. False when no device can be opened.
  virtual bool Open(std::string_view description) = 0;
  virtual void Close() = 0;

  virtual uint32_t CreateBuffer(const PcmFormat& format, const uint8_t* data, size_t bytes) = 0;
  virtual void DeleteBuffer(uint32_t buffer) = 0;
  virtual uint32_t CreateVoice() = 0;
  virtual void DeleteVoice(uint32_t voice) = 0;

  // One buffer to play (0 detaches everything, the queue included).
  virtual void AttachBuffer(uint32_t voice, uint32_t buffer) = 0;
  // Streams: buffers played one after the other; played ones come back.
  virtual void QueueBuffer(uint32_t voice, uint32_t buffer) = 0;
  virtual uint32_t TakePlayedBuffer(uint32_t voice) = 0;

  virtual void Play(uint32_t voice, bool loop) = 0;
  virtual void Pause(uint32_t voice) = 0;
  virtual void Stop(uint32_t voice) = 0;
  virtual bool IsPlaying(uint32_t voice) = 0;
  virtual void SetGain(uint32_t voice, float gain) = 0;
  virtual void SetPitch(uint32_t voice, float ratio) = 0;
  // Positional voices sit at a place in the world and fade between the two
  // distances; the others play at the listener.
  virtual void SetSpatial(uint32_t voice, bool positional, SoundVec position, SoundVec velocity,
                          float minDistance, float maxDistance) = 0;
  virtual void SetListener(SoundVec position, SoundVec velocity, SoundVec front, SoundVec top,
                           float rolloff, float doppler) = 0;
  virtual void SetMasterGain(float gain) = 0;

  // Null when the file cannot be read as music.
  virtual std::unique_ptr<MusicDecoder> OpenMusic(const std::string& path) = 0;
};

// The installed form (the OpenAL one when the program installed it and the
// game is not headless), else the null form.
using SoundDeviceFactory = std::function<std::unique_ptr<SoundDevice>()>;
void SetSoundDeviceFactory(SoundDeviceFactory factory);
std::unique_ptr<SoundDevice> CreateSoundDevice();

// The null form. Voices play for as long as their data lasts in the time
// given to Advance; music files that exist decode as `musicSeconds` of
// silence at 22050 Hz stereo.
class NullSoundDevice : public SoundDevice {
 public:
  struct Voice {
    uint32_t buffer = 0;
    std::vector<uint32_t> queue, played;
    bool playing = false, paused = false, loop = false, positional = false;
    double position = 0;  // bytes into the current buffer
    float gain = 1, pitch = 1, minDistance = 0, maxDistance = 0;
    SoundVec place;
  };
  struct Buffer {
    PcmFormat format;
    size_t bytes = 0;
  };

  std::vector<std::string> EnumerateDevices() override { return {"Null Output"}; }
  bool Open(std::string_view description) override;
  void Close() override;
  uint32_t CreateBuffer(const PcmFormat& format, const uint8_t* data, size_t bytes) override;
  void DeleteBuffer(uint32_t buffer) override;
  uint32_t CreateVoice() override;
  void DeleteVoice(uint32_t voice) override;
  void AttachBuffer(uint32_t voice, uint32_t buffer) override;
  void QueueBuffer(uint32_t voice, uint32_t buffer) override;
  uint32_t TakePlayedBuffer(uint32_t voice) override;
  void Play(uint32_t voice, bool loop) override;
  void Pause(uint32_t voice) override;
  void Stop(uint32_t voice) override;
  bool IsPlaying(uint32_t voice) override;
  void SetGain(uint32_t voice, float gain) override;
  void SetPitch(uint32_t voice, float ratio) override;
  void SetSpatial(uint32_t voice, bool positional, SoundVec position, SoundVec velocity, float minDistance,
                  float maxDistance) override;
  void SetListener(SoundVec position, SoundVec, SoundVec, SoundVec, float, float) override;
  void SetMasterGain(float gain) override { masterGain = gain; }
  std::unique_ptr<MusicDecoder> OpenMusic(const std::string& path) override;

  // Plays `seconds` of every playing voice.
  void Advance(double seconds);
  const Voice* FindVoice(uint32_t voice) const;

  bool open = false;
  bool failOpen = false;  // tests: the device cannot be opened
  float masterGain = 1;
  double musicSeconds = 5;
  SoundVec listener;
  int32_t spatialCommits = 0;  // SetSpatial and SetListener calls

 private:
  Voice* Find(uint32_t voice);
  void AdvanceVoice(Voice& v, double seconds);
  std::map<uint32_t, Voice> voices_;
  std::map<uint32_t, Buffer> buffers_;
  uint32_t next_ = 1;
};

}  // namespace platform
