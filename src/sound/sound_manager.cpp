#include "sound/sound_manager.h"

#include <algorithm>
#include <cstdio>

#include "engine/core/error.h"
#include "engine/core/system_settings.h"

namespace {

constexpr const char* kMusicFolder = "gamedata\\sound\\music\\";
constexpr const char* kSampleFolder = "gamedata\\sound\\high\\";

bool IsWaveName(std::string_view path) {
  return !path.empty() && (path.back() == 'v' || path.back() == 'V');
}

std::unique_ptr<CPCSoundManager>& Instance() {
  static std::unique_ptr<CPCSoundManager> manager;
  return manager;
}

}  // namespace

uint32_t SampleNameBucket(std::string_view path) {
  uint32_t h = 0;
  int shift = 0;
  for (char c : path) {
    // The byte counts as signed (bytes of 0x80 and above extend their sign);
    // the shift is made on the unsigned value.
    h ^= static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c))) << shift;
    shift += 5;
    if (shift >= 32) shift -= 32;
  }
  return h % kSampleNameBuckets;
}

CPCSoundManager::SampleSlot::SampleSlot(SoundContext* context) : master(context) {
  for (int i = 0; i < kVoicesPerSample; ++i) voices.push_back(std::make_unique<CSoundSample>(context));
}

CPCSoundManager::CPCSoundManager() : music_(std::make_unique<CMusicStream>(&context_)), names_(kSampleNameBuckets) {
  for (int i = 0; i < kStreamSlots; ++i) streams_.push_back(std::make_unique<CSoundStream>(&context_));
  for (int i = 0; i < kSampleSlots; ++i) slots_.push_back(std::make_unique<SampleSlot>(&context_));
}

CPCSoundManager::~CPCSoundManager() { Shutdown(); }

bool CPCSoundManager::Init() {
  StopAll();
  const SoundSettings& settings = g_SoundSettings;
  context_.musicOn = settings.music != 0;
  context_.threeD = settings.no3d == 0;
  // AVAIL set means no sound at all.
  if (settings.avail != 0) return false;
  device_ = platform::CreateSoundDevice();
  if (!device_->Open(settings.deviceDescription)) {
    device_.reset();
    return false;
  }
  context_.device = device_.get();
  rolloff_ = 3.0f;
  doppler_ = 0;
  listenerPosition_ = listenerVelocity_ = Vec3{0, 0, 0};
  reader_ = std::make_unique<CWaveReader>();
  music_->Reset();
  open_ = true;
  for (auto& s : streams_) s->Reset();
  SetMusicVolume(context_.musicVolume);
  SetEffectsVolume(static_cast<int32_t>(context_.effectsScale * 100 + 0.5f));
  return true;
}

void CPCSoundManager::Shutdown() {
  StopAll();
  music_->Stop();
  reader_.reset();
  // The voices give their device objects back before the device goes.
  for (auto& s : streams_) s = std::make_unique<CSoundStream>(&context_);
  for (auto& slot : slots_) slot = std::make_unique<SampleSlot>(&context_);
  music_ = std::make_unique<CMusicStream>(&context_);
  if (device_) device_->Close();
  device_.reset();
  context_.device = nullptr;
  open_ = false;
}

void CPCSoundManager::StopAll() {
  if (context_.device == nullptr) return;
  for (auto& s : streams_) s->Release();
  for (auto& slot : slots_) {
    for (auto& v : slot->voices) v->Release();
    slot->master.Release();
  }
  for (auto& bucket : names_) bucket.clear();
  unreadable_.clear();
}

void CPCSoundManager::Update() {
  if (!open_) return;
  for (auto& slot : slots_) {
    for (auto& v : slot->voices) {
      if (!v->playing) continue;
      ++v->age;
      if (!v->DevicePlaying()) v->Stop();
    }
  }
  for (auto& s : streams_) s->Service();
  if (context_.musicOn) HandleMusicEvents();
  if (!context_.threeD) return;
  for (auto& s : streams_)
    if (s->playing) s->Commit3D();
  for (auto& slot : slots_)
    for (auto& v : slot->voices)
      if (v->playing) v->Commit3D();
  CommitListener();
}

void CPCSoundManager::AdvanceFade(int32_t ticks) {
  if (!open_ || !context_.musicOn) return;
  for (int32_t i = 0; i < ticks && music_->FadePending(); ++i) music_->FadeStep();
}

void CPCSoundManager::CommitListener() {
  auto v = [](const Vec3& p) { return platform::SoundVec{p.x, p.y, p.z}; };
  device_->SetListener(v(listenerPosition_), v(listenerVelocity_), v(front_), v(top_), rolloff_, doppler_);
}

CSoundDevice* CPCSoundManager::PlayFile(const std::string& path, bool stream, bool loop, bool positional,
                                        bool unique, int32_t volume) {
  if (!open_ || path.empty()) return nullptr;
  if (!IsWaveName(path)) {
    if (!context_.musicOn) return nullptr;
    music_->SetFile(path);
    return music_->Play(loop) ? music_.get() : nullptr;
  }
  return stream ? PlayStream(path, loop, positional, unique, volume)
                : PlaySample(path, loop, positional, unique, volume);
}

CSoundDevice* CPCSoundManager::PlaySample(const std::string& path, bool loop, bool positional, bool unique,
                                          int32_t volume) {
  CSoundSample* master = FindOrLoadSlot(path);
  if (master == nullptr) return nullptr;
  if (unique) {
    for (auto& slot : slots_)
      for (auto& v : slot->voices)
        if (v->playing && v->path == path) return nullptr;
  }
  SampleSlot* slot = nullptr;
  for (auto& s : slots_)
    if (&s->master == master) slot = s.get();
  CSoundSample* voice = nullptr;
  for (auto& v : slot->voices) {
    if (!v->playing) {
      voice = v.get();
      break;
    }
  }
  if (voice == nullptr) {
    // All four play: the oldest (the first on a tie) makes way.
    voice = slot->voices[0].get();
    for (auto& v : slot->voices)
      if (v->age > voice->age) voice = v.get();
    voice->Stop();
  }
  if (!voice->Duplicate(*master, positional)) return nullptr;
  voice->path = path;
  voice->SetVolume(volume);
  voice->Play(loop);
  return voice;
}

CSoundDevice* CPCSoundManager::PlayStream(const std::string& path, bool loop, bool positional, bool unique,
                                          int32_t volume) {
  if (unique) {
    for (auto& s : streams_)
      if (s->playing && s->path == path) return nullptr;
  }
  CSoundStream* stream = nullptr;
  for (auto& s : streams_) {
    if (!s->playing) {
      stream = s.get();
      break;
    }
  }
  if (stream == nullptr) {
    // All ten play: the oldest (the last on a tie) makes way.
    stream = streams_[0].get();
    for (auto& s : streams_)
      if (s->age >= stream->age) stream = s.get();
    stream->Stop();
  }
  stream->path = path;
  stream->positional = positional;
  stream->volume = std::clamp(volume, 0, 100);
  return stream->Play(loop) ? stream : nullptr;
}

CSoundSample* CPCSoundManager::FindOrLoadSlot(const std::string& path) {
  // Loaded paths are found before the table is checked for room, so a full
  // table still plays what it holds.
  for (const NameEntry& e : names_[SampleNameBucket(path)]) {
    if (e.path != path) continue;
    if (e.slot < 0 || e.slot >= kSampleSlots) {
      ReportError(1, 0, "Sound: Index greater than array size!");
      return nullptr;
    }
    return &slots_[e.slot]->master;
  }
  for (auto& slot : slots_)
    if (slot->master.path == path) return slot->master.HasBuffer() ? &slot->master : nullptr;
  if (unreadable_.count(path) != 0) return nullptr;
  for (int32_t i = 0; i < kSampleSlots; ++i) {
    CSoundSample& master = slots_[i]->master;
    if (master.HasBuffer()) continue;
    if (!master.Load(path, *reader_)) {
      master.Release();
      unreadable_.insert(path);
      return nullptr;
    }
    names_[SampleNameBucket(path)].push_back(NameEntry{path, i});
    return &master;
  }
  return nullptr;
}

CSoundSample* CPCSoundManager::LoadSample(std::string_view name, bool) {
  if (!open_) return nullptr;
  return FindOrLoadSlot(std::string(kSampleFolder) + std::string(name));
}

bool CPCSoundManager::UnloadSample(const std::string& path) {
  for (int32_t i = 0; i < kSampleSlots; ++i) {
    SampleSlot& slot = *slots_[i];
    if (!slot.master.HasBuffer() || slot.master.path != path) continue;
    for (auto& v : slot.voices) v->Stop();
    auto& bucket = names_[SampleNameBucket(path)];
    std::erase_if(bucket, [&](const NameEntry& e) { return e.path == path; });
    for (auto& v : slot.voices) v->Release();
    slot.master.Release();
    return true;
  }
  return false;
}

void CPCSoundManager::StopSound(CSoundDevice* voice) {
  if (open_ && voice != nullptr && voice->playing) voice->Stop();
}

bool CPCSoundManager::IsMusicCurrent(std::string_view name) const {
  if (!context_.musicOn) return false;
  return std::string(kMusicFolder) + std::string(name) == music_->CurrentPath();
}

void CPCSoundManager::StopAllSamples() {
  if (!open_) return;
  for (auto& slot : slots_)
    for (auto& v : slot->voices)
      if (v->playing) v->Stop();
  for (auto& s : streams_) s->Stop();
}

void CPCSoundManager::StopEverything() {
  StopAllSamples();
  if (open_ && context_.musicOn) music_->Stop();
}

void CPCSoundManager::SetListenerPosition(const Vec3& position) {
  SetListenerVelocity(Vec3{position.x - listenerPosition_.x, position.y - listenerPosition_.y,
                           position.z - listenerPosition_.z});
  listenerPosition_ = position;
}

void CPCSoundManager::SetListenerOrientation(const Vec3& front, const Vec3& top) {
  front_ = front;
  top_ = top;
}

void CPCSoundManager::SetListener(const Vec3& position, const Vec3& front, const Vec3& top) {
  SetListenerPosition(position);
  SetListenerOrientation(front, top);
}

void CPCSoundManager::HandleMusicEvents() {
  if (open_ && context_.musicOn) music_->Service();
}

void CPCSoundManager::SetMasterVolume(int32_t percent) {
  if (!open_) return;
  device_->SetMasterGain(AttenuationToGain(std::clamp(percent, 0, 100) * 100 - 10000));
  if (context_.musicOn && music_->playing) music_->SetVolume(percent);
}

void CPCSoundManager::SetMusicVolume(int32_t percent) {
  if (!context_.musicOn) return;
  percent = std::clamp(percent, 0, 100);
  music_->SetVolume(percent);
  context_.musicVolume = percent;
}

void CPCSoundManager::SetEffectsVolume(int32_t percent) {
  context_.effectsScale = std::clamp(percent, 0, 100) * 0.01f;
}

void CPCSoundManager::AddMusicTrack(std::string_view name, int32_t value) {
  if (context_.musicOn) music_->AddTrack(std::string(kMusicFolder) + std::string(name), value);
}

CSoundDevice* CPCSoundManager::PlayMusicTrack(int32_t index, bool fade) {
  if (!open_ || !context_.musicOn) return nullptr;
  return music_->PlayTrack(index, fade) ? music_.get() : nullptr;
}

void CPCSoundManager::StopMusic() {
  if (context_.musicOn) music_->Stop();
}

void CPCSoundManager::PauseAll() {
  savedScale_ = context_.effectsScale;
  context_.effectsScale = 0;
  savedMusicVolume_ = context_.musicVolume;
  context_.musicVolume = 0;
  if (context_.musicOn) {
    music_->Pause();
    music_->SetVolume(0);
  }
}

void CPCSoundManager::ResumeAll() {
  context_.effectsScale = savedScale_;
  context_.musicVolume = savedMusicVolume_;
  if (context_.musicOn) {
    music_->Resume();
    music_->SetVolume(context_.musicVolume);
  }
}

int32_t CPCSoundManager::HandleOf(const CSoundDevice* voice) const {
  if (voice == nullptr) return 0;
  if (voice == music_.get()) return 1;
  for (int32_t i = 0; i < kStreamSlots; ++i)
    if (streams_[i].get() == voice) return 2 + i;
  for (int32_t i = 0; i < kSampleSlots; ++i)
    for (int32_t k = 0; k < kVoicesPerSample; ++k)
      if (slots_[i]->voices[k].get() == voice) return 2 + kStreamSlots + i * kVoicesPerSample + k;
  return 0;
}

CSoundDevice* CPCSoundManager::FromHandle(int32_t handle) {
  if (handle == 1) return music_.get();
  if (handle >= 2 && handle < 2 + kStreamSlots) return streams_[handle - 2].get();
  const int32_t v = handle - 2 - kStreamSlots;
  if (v >= 0 && v < kSampleSlots * kVoicesPerSample) return slots_[v / kVoicesPerSample]->voices[v % kVoicesPerSample].get();
  return nullptr;
}

CPCSoundManager* SoundManager() { return Instance().get(); }

CPCSoundManager& CreateSoundManager() {
  if (!Instance()) Instance() = std::make_unique<CPCSoundManager>();
  return *Instance();
}

void DestroySoundManager() { Instance().reset(); }

std::vector<std::string> EnumerateSoundDevices() {
  std::vector<std::string> list = platform::CreateSoundDevice()->EnumerateDevices();
  if (list.size() > 8) list.resize(8);
  return list;
}

bool TestSoundDevice() {
  auto device = platform::CreateSoundDevice();
  const bool ok = device->Open(g_SoundSettings.deviceDescription);
  device->Close();
  return ok;
}
