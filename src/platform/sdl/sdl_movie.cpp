#include "platform/sdl/sdl_movie.h"

#include <SDL.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "platform/sdl/ffmpeg_movie.h"
#include "platform/sound_device.h"
#include "platform/window.h"

namespace platform {

namespace {

constexpr int kMovieWidth = 640;
constexpr int kMovieHeight = 480;

// The movie's sound: pieces queued on one voice as they are decoded.
class MovieSound {
 public:
  explicit MovieSound(const MovieWindowOptions& options) {
    if (!options.sound) return;
    device_ = CreateSoundDevice();
    if (!device_->Open(options.soundDevice) || (voice_ = device_->CreateVoice()) == 0) device_.reset();
  }
  ~MovieSound() {
    if (device_ == nullptr) return;
    device_->AttachBuffer(voice_, 0);
    for (uint32_t b = 0; (b = device_->TakePlayedBuffer(voice_)) != 0;) device_->DeleteBuffer(b);
    for (uint32_t b : queued_) device_->DeleteBuffer(b);
    device_->DeleteVoice(voice_);
    device_->Close();
  }
  void Queue(const std::vector<int16_t>& sound) {
    if (device_ == nullptr || sound.empty()) return;
    Reclaim();
    const uint32_t b = device_->CreateBuffer(PcmFormat{2, FfmpegMovie::kSoundRate, 16},
                                             reinterpret_cast<const uint8_t*>(sound.data()), sound.size() * 2);
    if (b == 0) return;
    device_->QueueBuffer(voice_, b);
    queued_.push_back(b);
    if (!device_->IsPlaying(voice_)) device_->Play(voice_, false);
  }

 private:
  void Reclaim() {
    for (uint32_t b; (b = device_->TakePlayedBuffer(voice_)) != 0;) {
      std::erase(queued_, b);
      device_->DeleteBuffer(b);
    }
  }
  std::unique_ptr<SoundDevice> device_;
  uint32_t voice_ = 0;
  std::vector<uint32_t> queued_;
};

// A key, a click or closing the window skips the rest; so does a close
// signal (SIGTERM, SIGINT), which the game's start-up then honours too.
bool SkipAsked() {
  SDL_Event e;
  bool skip = CloseRequestPending();
  while (SDL_PollEvent(&e)) {
    if (e.type == SDL_KEYDOWN || e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_QUIT) skip = true;
  }
  return skip;
}

// A picture is never due more than this after the one before: a damaged
// stream's time that jumps ahead shows its pictures at once instead of
// holding the start-up for hours.
constexpr double kLongestPictureWait = 1.0;

struct MovieWindow {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  ~MovieWindow() {
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
  }
  bool Create(bool windowed) {
    const Uint32 flags = windowed ? SDL_WINDOW_SHOWN : SDL_WINDOW_SHOWN | SDL_WINDOW_FULLSCREEN_DESKTOP;
    // Full screen, the window is made at the desktop's size: a 640 x 480
    // window that the system is left to enlarge (it may never do so without a
    // window manager) would show the middle of a picture scaled for the
    // desktop. The logical size fits the picture into whatever size it gets.
    int w = kMovieWidth, h = kMovieHeight;
    SDL_DisplayMode desktop;
    if (!windowed && SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0)
      w = desktop.w, h = desktop.h;
    window = SDL_CreateWindow("Rentopia Civano", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, flags);
    if (window == nullptr) return false;
    // A 640 x 480 picture needs no GPU; the game's own renderer comes later.
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (renderer == nullptr) return false;
    SDL_RenderSetLogicalSize(renderer, kMovieWidth, kMovieHeight);
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, kMovieWidth,
                                kMovieHeight);
    return texture != nullptr;
  }
  void Show(const std::vector<uint32_t>& pixels) {
    SDL_UpdateTexture(texture, nullptr, pixels.data(), kMovieWidth * 4);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);
  }
};

// Plays the packets in time; false when skipped.
bool Play(FfmpegMovie& movie, MovieWindow& window, MovieSound& sound) {
  using Clock = std::chrono::steady_clock;
  auto at = [](double seconds) { return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds)); };
  Clock::time_point start = Clock::now();
  MoviePacket packet;
  while (movie.Next(&packet)) {
    if (SkipAsked()) return false;
    if (!packet.picture) {
      sound.Queue(packet.sound);
      continue;
    }
    if (!std::isfinite(packet.time)) packet.time = 0;
    if (start + at(packet.time) > Clock::now() + at(kLongestPictureWait))
      start = Clock::now() - at(packet.time);  // the stream's time jumped: follow it from now
    const auto due = start + at(packet.time);
    while (Clock::now() < due) {
      if (SkipAsked()) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    window.Show(packet.pixels);
    if (SkipAsked()) return false;
  }
  return true;
}

}  // namespace

bool PlayMovieWindow(const std::string& path, const MovieWindowOptions& options) {
  FfmpegMovie movie;
  if (!movie.Open(path, kMovieWidth, kMovieHeight)) return false;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
  bool shown = false;
  {
    MovieWindow window;
    if (window.Create(options.windowed)) {
      SDL_DisableScreenSaver();
      SDL_ShowCursor(SDL_DISABLE);
      MovieSound sound(options);
      Play(movie, window, sound);
      SDL_ShowCursor(SDL_ENABLE);
      SDL_EnableScreenSaver();
      shown = true;
    }
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
  return shown;
}

}  // namespace platform
