#include "sound/sound_voices.h"

#include <algorithm>
#include <cmath>

#include "platform/paths.h"

namespace {

platform::SoundVec ToSound(const Vec3& v) { return platform::SoundVec{v.x, v.y, v.z}; }

// A wave file's format as the device takes it; only plain PCM plays.
bool PcmFormatOf(const WaveFormat& wave, platform::PcmFormat* out) {
  *out = platform::PcmFormat{wave.channels, static_cast<int32_t>(wave.samplesPerSec), wave.bitsPerSample};
  return wave.tag == 1 && out->Valid() && wave.blockAlign == out->BlockAlign();
}

}  // namespace

int32_t VolumeToAttenuation(float fraction) {
  if (fraction <= 0) return -10000;
  fraction = std::min(fraction, 1.0f);
  return static_cast<int32_t>(10000.0 * std::log(0.5 * fraction + 0.5) / std::log(5.0));
}

float AttenuationToGain(int32_t attenuation) {
  if (attenuation <= -10000) return 0;
  return static_cast<float>(std::pow(10.0, attenuation / 2000.0));
}

// ---- CSoundDevice --------------------------------------------------------------

CSoundDevice::~CSoundDevice() { ReleaseVoice(); }

void CSoundDevice::Reset() {
  path.clear();
  playing = loop = false;
  volume = 100;
  age = 0;
}

void CSoundDevice::SetVolume(int32_t percent) {
  volume = std::clamp(percent, 0, 100);
  if (voice_ != 0)
    context_->device->SetGain(voice_, AttenuationToGain(VolumeToAttenuation(context_->effectsScale * volume * 0.01f)));
}

void CSoundDevice::SetMinMaxDistance(float minDistance, float maxDistance) {
  minDistance_ = minDistance;
  maxDistance_ = maxDistance;
}

void CSoundDevice::SetPosition(const Vec3& position) {
  SetVelocity(Vec3{position.x - position_.x, position.y - position_.y, position.z - position_.z});
  position_ = position;
}

void CSoundDevice::Commit3D() {
  if (voice_ != 0 && positional && context_->threeD)
    context_->device->SetSpatial(voice_, true, ToSound(position_), ToSound(velocity_), minDistance_, maxDistance_);
}

uint32_t CSoundDevice::Voice() {
  if (voice_ == 0 && context_->device != nullptr) voice_ = context_->device->CreateVoice();
  return voice_;
}

void CSoundDevice::ReleaseVoice() {
  if (voice_ != 0 && context_->device != nullptr) context_->device->DeleteVoice(voice_);
  voice_ = 0;
}

void CSoundDevice::ApplySpatial() {
  context_->device->SetSpatial(voice_, positional && context_->threeD, ToSound(position_), ToSound(velocity_),
                               minDistance_, maxDistance_);
}

// ---- CSoundSample --------------------------------------------------------------

CSoundSample::~CSoundSample() { Release(); }

void CSoundSample::Reset() {
  CSoundDevice::Reset();
}

void CSoundSample::Release() {
  Stop();
  if (buffer_ != 0 && context_->device != nullptr) {
    if (voice_ != 0) context_->device->AttachBuffer(voice_, 0);
    context_->device->DeleteBuffer(buffer_);
  }
  buffer_ = 0;
  ReleaseVoice();
}

void CSoundSample::Stop() {
  path.clear();
  if (voice_ != 0) context_->device->Stop(voice_);
  age = 0;
  playing = false;
}

bool CSoundSample::Play(bool loopIt) {
  if (voice_ == 0) return false;
  context_->device->Play(voice_, loopIt);
  loop = loopIt;
  playing = true;
  return true;
}

void CSoundSample::SetFrequency(int32_t hertz) {
  if (voice_ != 0) context_->device->SetPitch(voice_, std::max(hertz, 100) / float(rate_));
}

bool CSoundSample::Load(const std::string& file, CWaveReader& reader) {
  Release();
  path = file;
  platform::PcmFormat format;
  if (reader.Open(file) != 0 || !PcmFormatOf(reader.Format(), &format)) return false;
  std::vector<uint8_t> data(reader.DataSize());
  uint32_t got = 0;
  if (reader.Read(reader.DataSize(), data.data(), &got) != 0 || reader.Rewind() != 0) return false;
  buffer_ = context_->device->CreateBuffer(format, data.data(), data.size());
  rate_ = format.rate;
  return buffer_ != 0;
}

bool CSoundSample::Duplicate(const CSoundSample& master, bool isPositional) {
  if (master.buffer_ == 0 || Voice() == 0) return false;
  context_->device->AttachBuffer(voice_, master.buffer_);
  context_->device->SetPitch(voice_, 1.0f);
  rate_ = master.rate_;
  positional = isPositional;
  ApplySpatial();
  return true;
}

bool CSoundSample::DevicePlaying() { return voice_ != 0 && context_->device->IsPlaying(voice_); }

// ---- SegmentQueue --------------------------------------------------------------

bool SegmentQueue::Start(platform::SoundDevice& device, uint32_t voice, const platform::PcmFormat& format,
                         PcmSource& source, bool loop) {
  Clear();
  device_ = &device;
  voice_ = voice;
  format_ = format;
  source_ = &source;
  loop_ = loop;
  end_ = false;
  const size_t align = static_cast<size_t>(format.BlockAlign());
  segment_ = std::max(align, static_cast<size_t>(format.rate) * align * 3 / 16 / align * align);
  std::vector<uint8_t> data;
  for (int i = 0; i < kSegments && !end_; ++i) {
    const size_t n = Fill(data);
    if (n == 0) break;
    if (uint32_t b = device.CreateBuffer(format, data.data(), n)) {
      buffers_.push_back(b);
      device.QueueBuffer(voice, b);
    }
  }
  if (buffers_.empty()) return false;
  device.Play(voice, false);
  return true;
}

size_t SegmentQueue::Fill(std::vector<uint8_t>& data) {
  data.resize(segment_);
  size_t done = 0;
  while (done < segment_) {
    const size_t n = source_->Read(data.data() + done, segment_ - done);
    done += n;
    if (n > 0) continue;
    // A looping source starts again; one with no data at all ends.
    if (!loop_ || !source_->Rewind() || done == 0) {
      end_ = true;
      break;
    }
  }
  return done;
}

bool SegmentQueue::Service() {
  if (device_ == nullptr) return true;
  std::vector<uint8_t> data;
  while (uint32_t played = device_->TakePlayedBuffer(voice_)) {
    buffers_.erase(std::remove(buffers_.begin(), buffers_.end(), played), buffers_.end());
    device_->DeleteBuffer(played);
    if (end_) continue;
    const size_t n = Fill(data);
    if (n == 0) continue;
    if (uint32_t b = device_->CreateBuffer(format_, data.data(), n)) {
      buffers_.push_back(b);
      device_->QueueBuffer(voice_, b);
    }
  }
  if (device_->IsPlaying(voice_)) return false;
  if (end_ || buffers_.empty()) return true;
  device_->Play(voice_, false);  // ran dry between two updates: go on
  return false;
}

void SegmentQueue::Clear() {
  if (device_ != nullptr) {
    device_->Stop(voice_);
    device_->AttachBuffer(voice_, 0);
    for (uint32_t b : buffers_) device_->DeleteBuffer(b);
  }
  buffers_.clear();
  device_ = nullptr;
  end_ = false;
}

// ---- CSoundStream --------------------------------------------------------------

size_t WaveSource::Read(uint8_t* out, size_t bytes) {
  uint32_t got = 0;
  reader.Read(static_cast<uint32_t>(std::min<size_t>(bytes, UINT32_MAX)), out, &got);
  return got;
}

CSoundStream::~CSoundStream() {
  queue_.Clear();
  completion_ = nullptr;
}

bool CSoundStream::Play(bool loopIt) {
  const std::string file = path;
  const int32_t keep = volume;
  if (playing) Stop();
  Reset();
  path = file;
  volume = keep;
  source_ = std::make_unique<WaveSource>();
  platform::PcmFormat format;
  if (Voice() == 0 || source_->reader.Open(file) != 0 || !PcmFormatOf(source_->reader.Format(), &format)) {
    source_.reset();
    path.clear();
    return false;
  }
  ApplySpatial();
  SetVolume(volume);
  loop = loopIt;
  if (!queue_.Start(*context_->device, voice_, format, *source_, loopIt)) {
    source_.reset();
    path.clear();
    return false;
  }
  playing = true;
  return true;
}

void CSoundStream::Stop() {
  const bool was = playing;
  queue_.Clear();
  source_.reset();
  path.clear();
  playing = false;
  age = 0;
  // Only a stream that was playing has something to report.
  if (was && completion_) completion_(values_[0], values_[1], values_[2], values_[3]);
}

void CSoundStream::SetCompletionCallback(Completion callback, int32_t a, int32_t b, int32_t c, int32_t d) {
  completion_ = std::move(callback);
  values_[0] = a;
  values_[1] = b;
  values_[2] = c;
  values_[3] = d;
}

void CSoundStream::Service() {
  if (!playing) return;
  ++age;
  if (queue_.Service()) Stop();
}

// ---- CMusicStream --------------------------------------------------------------

CMusicStream::~CMusicStream() { queue_.Clear(); }

void CMusicStream::Reset() {
  state_ = 0;
  fadePending_ = false;
  queuedTrack_ = -1;
}

bool CMusicStream::Play(bool loopIt) {
  if (file_.empty() || context_->device == nullptr || Voice() == 0) return false;
  queue_.Clear();
  source_.reset();
  decoder_ = context_->device->OpenMusic(platform::ResolveGamePath(file_));
  if (decoder_ == nullptr || !decoder_->Format().Valid()) {
    decoder_.reset();
    Stop();
    return false;
  }
  source_ = std::make_unique<DecoderSource>();
  source_->decoder = decoder_.get();
  ApplySpatial();
  loop = loopIt;
  SetVolume(context_->musicVolume);
  if (!queue_.Start(*context_->device, voice_, decoder_->Format(), *source_, false)) {
    Stop();
    return false;
  }
  current_ = file_;
  state_ = 2;
  playing = true;
  return true;
}

void CMusicStream::Stop() {
  queue_.Clear();
  source_.reset();
  decoder_.reset();
  state_ = 0;
  playing = false;
  current_.clear();
}

void CMusicStream::Pause() {
  if (playing && state_ == 2) {
    state_ = 1;
    context_->device->Pause(voice_);
  }
}

void CMusicStream::Resume() {
  if (playing && state_ == 1) {
    state_ = 2;
    context_->device->Play(voice_, false);
  }
}

void CMusicStream::SetVolume(int32_t percent) {
  volume = std::clamp(percent, 0, 100);
  if (voice_ != 0) context_->device->SetGain(voice_, AttenuationToGain(VolumeToAttenuation(volume * 0.01f)));
}

void CMusicStream::AddTrack(const std::string& file, int32_t value) {
  if (tracks_.size() < kMaxTracks) tracks_.push_back(Track{file, value, 0});
}

bool CMusicStream::PlayTrack(int32_t index, bool fade) {
  const int32_t count = static_cast<int32_t>(tracks_.size());
  if (count == 0 || index < -1) return false;
  // The track asked for is already playing: it goes on.
  if (playing && index != -1 && index < count && tracks_[index].path == current_) return true;
  singleFile_ = false;
  if (fade && playing) {
    queuedTrack_ = index >= count ? 0 : index;
    fadePending_ = true;
    return true;
  }
  fadePending_ = false;
  if (index >= count) return false;
  StartTrack(index == -1 ? currentTrack_ + 1 : index);
  return playing;
}

void CMusicStream::StartTrack(int32_t index) {
  const int32_t count = static_cast<int32_t>(tracks_.size());
  if (currentTrack_ >= 0 && currentTrack_ < count) tracks_[currentTrack_].playCount = 0;
  currentTrack_ = index >= count || index < 0 ? 0 : index;
  file_ = tracks_[currentTrack_].path;
  Play(true);
}

void CMusicStream::FadeStep() {
  if (!fadePending_) return;
  if (volume >= 30) {
    SetVolume(volume - 1);
    return;
  }
  const int32_t next = queuedTrack_ == -1 ? currentTrack_ + 1 : queuedTrack_;
  queuedTrack_ = -1;
  fadePending_ = false;
  if (!tracks_.empty()) StartTrack(next);
}

void CMusicStream::Service() {
  if (!playing || state_ != 2) return;
  ++age;
  if (queue_.Service()) HandleEnd();
}

void CMusicStream::HandleEnd() {
  const bool listed = !singleFile_ && currentTrack_ >= 0 && currentTrack_ < static_cast<int32_t>(tracks_.size());
  if (listed && tracks_[currentTrack_].value != -1) {
    ++tracks_[currentTrack_].playCount;
  } else if (!loop) {
    Stop();
    return;
  }
  // From the start again.
  if (!decoder_->Rewind() || !queue_.Start(*context_->device, voice_, decoder_->Format(), *source_, false)) Stop();
}
