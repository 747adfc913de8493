#include "platform/sound_device.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace platform {

namespace {

SoundDeviceFactory& Factory() {
  static SoundDeviceFactory factory;
  return factory;
}

// Silence of a fixed length: what the null form hears in a music file.
class SilentMusic : public MusicDecoder {
 public:
  explicit SilentMusic(double seconds)
      : total_(static_cast<size_t>(seconds * 22050) * 4) {}
  PcmFormat Format() const override { return PcmFormat{2, 22050, 16}; }
  size_t Read(uint8_t* out, size_t bytes) override {
    const size_t n = std::min(bytes, total_ - done_);
    std::memset(out, 0, n);
    done_ += n;
    return n;
  }
  bool Rewind() override {
    done_ = 0;
    return true;
  }

 private:
  size_t total_;
  size_t done_ = 0;
};

}  // namespace

void SetSoundDeviceFactory(SoundDeviceFactory factory) { Factory() = std::move(factory); }

std::unique_ptr<SoundDevice> CreateSoundDevice() {
  if (Factory()) {
    if (auto device = Factory()()) return device;
  }
  return std::make_unique<NullSoundDevice>();
}

bool NullSoundDevice::Open(std::string_view) {
  open = !failOpen;
  return open;
}

void NullSoundDevice::Close() {
  voices_.clear();
  buffers_.clear();
  open = false;
}

uint32_t NullSoundDevice::CreateBuffer(const PcmFormat& format, const uint8_t*, size_t bytes) {
  if (!open || !format.Valid()) return 0;
  buffers_[next_] = Buffer{format, bytes};
  return next_++;
}

void NullSoundDevice::DeleteBuffer(uint32_t buffer) { buffers_.erase(buffer); }

uint32_t NullSoundDevice::CreateVoice() {
  if (!open) return 0;
  voices_[next_] = Voice{};
  return next_++;
}

void NullSoundDevice::DeleteVoice(uint32_t voice) { voices_.erase(voice); }

NullSoundDevice::Voice* NullSoundDevice::Find(uint32_t voice) {
  auto it = voices_.find(voice);
  return it == voices_.end() ? nullptr : &it->second;
}

const NullSoundDevice::Voice* NullSoundDevice::FindVoice(uint32_t voice) const {
  auto it = voices_.find(voice);
  return it == voices_.end() ? nullptr : &it->second;
}

void NullSoundDevice::AttachBuffer(uint32_t voice, uint32_t buffer) {
  if (Voice* v = Find(voice)) {
    v->playing = false;
    v->buffer = buffer;
    v->queue.clear();
    v->played.clear();
    v->position = 0;
  }
}

void NullSoundDevice::QueueBuffer(uint32_t voice, uint32_t buffer) {
  if (Voice* v = Find(voice)) v->queue.push_back(buffer);
}

uint32_t NullSoundDevice::TakePlayedBuffer(uint32_t voice) {
  Voice* v = Find(voice);
  if (v == nullptr || v->played.empty()) return 0;
  const uint32_t b = v->played.front();
  v->played.erase(v->played.begin());
  return b;
}

void NullSoundDevice::Play(uint32_t voice, bool loop) {
  Voice* v = Find(voice);
  if (v == nullptr) return;
  if (!v->paused) v->position = 0;
  v->playing = v->buffer != 0 || !v->queue.empty();
  v->paused = false;
  v->loop = loop;
}

void NullSoundDevice::Pause(uint32_t voice) {
  if (Voice* v = Find(voice); v != nullptr && v->playing) {
    v->playing = false;
    v->paused = true;
  }
}

void NullSoundDevice::Stop(uint32_t voice) {
  Voice* v = Find(voice);
  if (v == nullptr) return;
  v->playing = v->paused = false;
  // A stopped stream has played its whole queue.
  v->played.insert(v->played.end(), v->queue.begin(), v->queue.end());
  v->queue.clear();
  v->position = 0;
}

bool NullSoundDevice::IsPlaying(uint32_t voice) {
  const Voice* v = Find(voice);
  return v != nullptr && v->playing;
}

void NullSoundDevice::SetGain(uint32_t voice, float gain) {
  if (Voice* v = Find(voice)) v->gain = gain;
}

void NullSoundDevice::SetPitch(uint32_t voice, float ratio) {
  if (Voice* v = Find(voice)) v->pitch = ratio;
}

void NullSoundDevice::SetSpatial(uint32_t voice, bool positional, SoundVec position, SoundVec, float minDistance,
                                 float maxDistance) {
  ++spatialCommits;
  if (Voice* v = Find(voice)) {
    v->positional = positional;
    v->place = position;
    v->minDistance = minDistance;
    v->maxDistance = maxDistance;
  }
}

void NullSoundDevice::SetListener(SoundVec position, SoundVec, SoundVec, SoundVec, float, float) {
  ++spatialCommits;
  listener = position;
}

std::unique_ptr<MusicDecoder> NullSoundDevice::OpenMusic(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
  return std::make_unique<SilentMusic>(musicSeconds);
}

void NullSoundDevice::AdvanceVoice(Voice& v, double seconds) {
  while (seconds > 0 && v.playing) {
    const uint32_t id = v.buffer != 0 ? v.buffer : v.queue.front();
    auto it = buffers_.find(id);
    if (it == buffers_.end() || it->second.bytes == 0) {
      v.playing = false;
      return;
    }
    const Buffer& b = it->second;
    const double rate = double(b.format.rate) * b.format.BlockAlign() * v.pitch;
    const double left = (double(b.bytes) - v.position) / rate;
    if (seconds < left) {
      v.position += seconds * rate;
      return;
    }
    seconds -= left;
    v.position = 0;
    if (v.buffer != 0) {
      v.playing = v.loop;
      if (!v.loop) return;
    } else {
      v.played.push_back(v.queue.front());
      v.queue.erase(v.queue.begin());
      v.playing = !v.queue.empty();
    }
  }
}

void NullSoundDevice::Advance(double seconds) {
  for (auto& [id, v] : voices_) AdvanceVoice(v, seconds);
}

}  // namespace platform
