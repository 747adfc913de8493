#pragma once
// The voices the sound manager hands out, on one base: a sample plays a
// loaded wave file, a stream plays a wave file from disk through a few
// refilled buffers, the music stream plays compressed music the same way and
// keeps the list of music tracks.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/maths.h"
#include "platform/sound_device.h"
#include "sound/wave_reader.h"

// Hundredths of a decibel for a volume fraction 0..1: -10000 for silence,
// else 10000 ln(0.5 x + 0.5) / ln 5, truncated.
int32_t VolumeToAttenuation(float fraction);
// The linear gain of an attenuation.
float AttenuationToGain(int32_t attenuation);

// What the voices share with their manager.
struct SoundContext {
  platform::SoundDevice* device = nullptr;
  float effectsScale = 1.0f;
  bool threeD = true;
  bool musicOn = true;
  int32_t musicVolume = 75;
};

class CSoundDevice {
 public:
  enum Kind : int32_t { kSample = 1, kStream = 2, kMusic = 3 };
  CSoundDevice(Kind kind, SoundContext* context) : kind(kind), context_(context) {}
  CSoundDevice(const CSoundDevice&) = delete;
  CSoundDevice& operator=(const CSoundDevice&) = delete;
  virtual ~CSoundDevice();

  virtual void Reset();
  virtual void Release() { Stop(); }
  virtual void Stop() = 0;
  virtual bool Play(bool loop) = 0;
  virtual void Pause() {}
  virtual void Resume() {}
  virtual void SetVolume(int32_t percent);
  int32_t GetVolume() const { return volume; }
  virtual void SetFrequency(int32_t /*hertz*/) {}
  virtual void SetMinMaxDistance(float minDistance, float maxDistance);
  virtual void SetPosition(const Vec3& position);
  virtual void SetVelocity(const Vec3& velocity) { velocity_ = velocity; }
  virtual void Commit3D();
  // The device voice (0 before first use).
  uint32_t DeviceVoice() const { return voice_; }

  const Kind kind;
  bool positional = false;
  std::string path;
  bool playing = false;
  bool loop = false;
  int32_t volume = 100;
  int32_t age = 0;

 protected:
  // The device voice, made on first use.
  uint32_t Voice();
  void ReleaseVoice();
  // Places the voice at the listener or in the world, as it is positional.
  void ApplySpatial();
  SoundContext* context_;
  uint32_t voice_ = 0;
  Vec3 position_{}, velocity_{};
  float minDistance_ = 1, maxDistance_ = 1000000000.0f;
};

// A loaded wave file (a slot's master, never played) or one of its voices.
class CSoundSample : public CSoundDevice {
 public:
  explicit CSoundSample(SoundContext* context) : CSoundDevice(kSample, context) {}
  ~CSoundSample() override;
  void Reset() override;
  void Release() override;
  void Stop() override;
  bool Play(bool loop) override;
  void SetFrequency(int32_t hertz) override;

  // Master: loads the wave file; false leaves the slot empty.
  bool Load(const std::string& file, CWaveReader& reader);
  bool HasBuffer() const { return buffer_ != 0; }
  // Voice: plays the master's data.
  bool Duplicate(const CSoundSample& master, bool positional);
  // Whether the device still plays it.
  bool DevicePlaying();

 private:
  uint32_t buffer_ = 0;  // the master's own data
  int32_t rate_ = 22050;
};

// Feeds a device voice from a PCM source in segments of 3/16 of a second.
class PcmSource {
 public:
  virtual ~PcmSource() = default;
  virtual size_t Read(uint8_t* out, size_t bytes) = 0;
  virtual bool Rewind() = 0;
};

class SegmentQueue {
 public:
  static constexpr int kSegments = 8;
  // Fills and queues every segment and starts the voice; false when nothing
  // could be queued.
  bool Start(platform::SoundDevice& device, uint32_t voice, const platform::PcmFormat& format, PcmSource& source,
             bool loop);
  // Refills the segments that have played; true once the last data has played.
  bool Service();
  void Clear();
  bool AtEnd() const { return end_; }

 private:
  // Reads one segment; a short read loops back to the start or marks the end.
  size_t Fill(std::vector<uint8_t>& data);
  platform::SoundDevice* device_ = nullptr;
  PcmSource* source_ = nullptr;
  platform::PcmFormat format_;
  uint32_t voice_ = 0;
  std::vector<uint32_t> buffers_;
  size_t segment_ = 0;
  bool loop_ = false;
  bool end_ = false;
};

// A wave file as a PCM source.
struct WaveSource : PcmSource {
  CWaveReader reader;
  size_t Read(uint8_t* out, size_t bytes) override;
  bool Rewind() override { return reader.Rewind() == 0; }
};

// Compressed music as a PCM source.
struct DecoderSource : PcmSource {
  platform::MusicDecoder* decoder = nullptr;
  size_t Read(uint8_t* out, size_t bytes) override { return decoder->Read(out, bytes); }
  bool Rewind() override { return decoder->Rewind(); }
};

class CSoundStream : public CSoundDevice {
 public:
  using Completion = std::function<void(int32_t, int32_t, int32_t, int32_t)>;
  explicit CSoundStream(SoundContext* context) : CSoundDevice(kStream, context) {}
  ~CSoundStream() override;
  void Stop() override;
  bool Play(bool loop) override;
  void SetCompletionCallback(Completion callback, int32_t a, int32_t b, int32_t c, int32_t d);
  // Once per update while playing: refills, and stops at the end.
  void Service();

 private:
  std::unique_ptr<WaveSource> source_;
  SegmentQueue queue_;
  Completion completion_;
  int32_t values_[4] = {};
};

class CMusicStream : public CSoundDevice {
 public:
  static constexpr int kMaxTracks = 10;
  struct Track {
    std::string path;
    int32_t value = 0;
    int32_t playCount = 0;
  };

  explicit CMusicStream(SoundContext* context) : CSoundDevice(kMusic, context) {}
  ~CMusicStream() override;
  void Reset() override;
  void Stop() override;
  bool Play(bool loop) override;
  void Pause() override;
  void Resume() override;
  void SetVolume(int32_t percent) override;

  void SetFile(const std::string& file) { file_ = file; }
  const std::string& CurrentPath() const { return current_; }
  void AddTrack(const std::string& file, int32_t value);
  void ClearTracks() { tracks_.clear(); }
  const std::vector<Track>& Tracks() const { return tracks_; }
  // Selects a track, at once or after a fade; false when nothing was chosen.
  bool PlayTrack(int32_t index, bool fade);
  bool FadePending() const { return fadePending_; }
  // One step of the fade: the music's own volume down to 30, then the queued track.
  void FadeStep();
  // Refills, and handles the end of the music (replay, loop or stop).
  void Service();
  int32_t CurrentTrack() const { return currentTrack_; }

 private:
  void StartTrack(int32_t index);
  void HandleEnd();
  std::unique_ptr<platform::MusicDecoder> decoder_;
  std::unique_ptr<DecoderSource> source_;
  SegmentQueue queue_;
  int32_t state_ = 0;  // 0 stopped, 1 paused, 2 running
  std::string file_, current_;
  std::vector<Track> tracks_;
  int32_t currentTrack_ = -1;
  bool singleFile_ = true;
  bool fadePending_ = false;
  int32_t queuedTrack_ = -1;
};
