#include "platform/sdl/openal_sound.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/headless.h"
#include "platform/paths.h"
#include "platform/sound_device.h"

namespace platform {

namespace {

// The game's world is left-handed (z into the screen); OpenAL's is
// right-handed, so z changes sign on the way in.
void Vec(ALenum what, ALuint source, SoundVec v) { alSource3f(source, what, v.x, v.y, -v.z); }

ALenum AlFormat(const PcmFormat& f) {
  if (f.channels == 1) return f.bits == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
  return f.bits == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
}

class VorbisMusic : public MusicDecoder {
 public:
  ~VorbisMusic() override {
    if (open_) ov_clear(&file_);
  }
  bool Open(const std::string& path) {
    // Through the path layer's open: a FIFO or device in place of a track
    // is refused at once instead of blocking the game in open().
    std::FILE* stream = OpenRegularStream(path, "rb");
    if (stream == nullptr) return false;
    open_ = ov_open_callbacks(stream, &file_, nullptr, 0, OV_CALLBACKS_DEFAULT) == 0;
    if (!open_) {
      std::fclose(stream);  // ov_clear closes it only once opened
      return false;
    }
    const vorbis_info* info = ov_info(&file_, -1);
    if (info == nullptr) return false;
    format_ = PcmFormat{info->channels, static_cast<int32_t>(info->rate), 16};
    return true;
  }
  PcmFormat Format() const override { return format_; }
  size_t Read(uint8_t* out, size_t bytes) override {
    size_t done = 0;
    while (done < bytes) {
      int section = 0;
      const long n = ov_read(&file_, reinterpret_cast<char*>(out + done), static_cast<int>(bytes - done), 0, 2, 1,
                             &section);
      if (n <= 0) break;  // the end, or a damaged stretch: the music ends there
      done += static_cast<size_t>(n);
    }
    return done;
  }
  bool Rewind() override { return ov_pcm_seek(&file_, 0) == 0; }

 private:
  OggVorbis_File file_{};
  bool open_ = false;
  PcmFormat format_;
};

class OpenAlDevice : public SoundDevice {
 public:
  ~OpenAlDevice() override { Close(); }

  std::vector<std::string> EnumerateDevices() override {
    std::vector<std::string> list;
    const bool all = alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT");
    const ALCchar* names = alcGetString(nullptr, all ? ALC_ALL_DEVICES_SPECIFIER : ALC_DEVICE_SPECIFIER);
    const ALCchar* def = alcGetString(nullptr, all ? ALC_DEFAULT_ALL_DEVICES_SPECIFIER : ALC_DEFAULT_DEVICE_SPECIFIER);
    if (def != nullptr && *def != 0) list.emplace_back(def);
    for (const ALCchar* p = names; p != nullptr && *p != 0 && list.size() < 8; p += std::strlen(p) + 1)
      if (list.empty() || list.front() != p) list.emplace_back(p);
    return list;
  }

  bool Open(std::string_view description) override {
    Close();
    const std::string wanted(description);
    for (const std::string& name : EnumerateDevices())
      if (name == wanted) device_ = alcOpenDevice(name.c_str());
    if (device_ == nullptr) device_ = alcOpenDevice(nullptr);
    if (device_ == nullptr) return false;
    context_ = alcCreateContext(device_, nullptr);
    if (context_ == nullptr || !alcMakeContextCurrent(context_)) {
      Close();
      return false;
    }
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    alGetError();
    return true;
  }

  void Close() override {
    if (context_ != nullptr) {
      alcMakeContextCurrent(nullptr);
      alcDestroyContext(context_);
    }
    if (device_ != nullptr) alcCloseDevice(device_);
    context_ = nullptr;
    device_ = nullptr;
  }

  uint32_t CreateBuffer(const PcmFormat& format, const uint8_t* data, size_t bytes) override {
    if (context_ == nullptr || !format.Valid()) return 0;
    alGetError();
    ALuint b = 0;
    alGenBuffers(1, &b);
    alBufferData(b, AlFormat(format), data, static_cast<ALsizei>(bytes), format.rate);
    if (alGetError() != AL_NO_ERROR) {
      if (b != 0) alDeleteBuffers(1, &b);
      return 0;
    }
    return b;
  }
  void DeleteBuffer(uint32_t buffer) override {
    ALuint b = buffer;
    if (context_ != nullptr && b != 0) alDeleteBuffers(1, &b);
  }
  uint32_t CreateVoice() override {
    if (context_ == nullptr) return 0;
    alGetError();
    ALuint s = 0;
    alGenSources(1, &s);
    if (alGetError() != AL_NO_ERROR) return 0;
    alSourcef(s, AL_ROLLOFF_FACTOR, rolloff_);
    return s;
  }
  void DeleteVoice(uint32_t voice) override {
    ALuint s = voice;
    if (context_ != nullptr && s != 0) {
      alSourceStop(s);
      alDeleteSources(1, &s);
    }
  }
  void AttachBuffer(uint32_t voice, uint32_t buffer) override {
    alSourceStop(voice);
    alSourcei(voice, AL_BUFFER, static_cast<ALint>(buffer));
  }
  void QueueBuffer(uint32_t voice, uint32_t buffer) override {
    ALuint b = buffer;
    alSourceQueueBuffers(voice, 1, &b);
  }
  uint32_t TakePlayedBuffer(uint32_t voice) override {
    ALint done = 0;
    alGetSourcei(voice, AL_BUFFERS_PROCESSED, &done);
    if (done <= 0) return 0;
    ALuint b = 0;
    alSourceUnqueueBuffers(voice, 1, &b);
    return b;
  }
  void Play(uint32_t voice, bool loop) override {
    alSourcei(voice, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    alSourcePlay(voice);
  }
  void Pause(uint32_t voice) override { alSourcePause(voice); }
  void Stop(uint32_t voice) override { alSourceStop(voice); }
  bool IsPlaying(uint32_t voice) override {
    ALint state = 0;
    alGetSourcei(voice, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
  }
  void SetGain(uint32_t voice, float gain) override { alSourcef(voice, AL_GAIN, gain); }
  void SetPitch(uint32_t voice, float ratio) override { alSourcef(voice, AL_PITCH, ratio > 0.01f ? ratio : 0.01f); }
  void SetSpatial(uint32_t voice, bool positional, SoundVec position, SoundVec velocity, float minDistance,
                  float maxDistance) override {
    alSourcei(voice, AL_SOURCE_RELATIVE, positional ? AL_FALSE : AL_TRUE);
    if (!positional) {
      alSource3f(voice, AL_POSITION, 0, 0, 0);
      alSource3f(voice, AL_VELOCITY, 0, 0, 0);
      return;
    }
    Vec(AL_POSITION, voice, position);
    Vec(AL_VELOCITY, voice, velocity);
    alSourcef(voice, AL_REFERENCE_DISTANCE, minDistance);
    alSourcef(voice, AL_MAX_DISTANCE, maxDistance);
    alSourcef(voice, AL_ROLLOFF_FACTOR, rolloff_);
  }
  void SetListener(SoundVec position, SoundVec velocity, SoundVec front, SoundVec top, float rolloff,
                   float doppler) override {
    alListener3f(AL_POSITION, position.x, position.y, -position.z);
    alListener3f(AL_VELOCITY, velocity.x, velocity.y, -velocity.z);
    const ALfloat orientation[6] = {front.x, front.y, -front.z, top.x, top.y, -top.z};
    alListenerfv(AL_ORIENTATION, orientation);
    rolloff_ = rolloff;
    alDopplerFactor(doppler);
  }
  void SetMasterGain(float gain) override { alListenerf(AL_GAIN, gain); }

  std::unique_ptr<MusicDecoder> OpenMusic(const std::string& path) override {
    auto music = std::make_unique<VorbisMusic>();
    if (!music->Open(path)) return nullptr;
    return music;
  }

 private:
  ALCdevice* device_ = nullptr;
  ALCcontext* context_ = nullptr;
  float rolloff_ = 3.0f;
};

bool Wanted() {
  const char* choice = std::getenv("CITYRUN_SOUND");
  if (choice != nullptr && std::strcmp(choice, "null") == 0) return false;
  return !IsHeadless() || (choice != nullptr && std::strcmp(choice, "openal") == 0);
}

}  // namespace

void InstallOpenAlSound() {
  if (!Wanted()) return;
  SetSoundDeviceFactory([] { return std::make_unique<OpenAlDevice>(); });
}

}  // namespace platform
