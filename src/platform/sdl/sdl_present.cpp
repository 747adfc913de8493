#include "platform/sdl/sdl_present.h"

#include <SDL.h>

#include <cstdio>
#include <memory>

#include "platform/surface.h"

namespace platform {
namespace {

class SdlPresenter : public FramePresenter {
 public:
  explicit SdlPresenter(SDL_Window* window) : window_(window) {}
  ~SdlPresenter() override {
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
  }

  bool Open() {
    renderer_ = SDL_GetRenderer(window_);
    ownsRenderer_ = renderer_ == nullptr;
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) {
      std::fprintf(stderr, "Unable to draw into the window: %s\n", SDL_GetError());
      return false;
    }
    if (!ownsRenderer_) renderer_ = nullptr;  // not ours to destroy
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    return true;
  }

  bool Present(const Surface16& frame) override {
    SDL_Renderer* renderer = renderer_ ? renderer_ : SDL_GetRenderer(window_);
    if (!renderer) return false;
    Uint32 format = frame.Layout() == PixelLayout::Rgb565 ? SDL_PIXELFORMAT_RGB565
                                                          : SDL_PIXELFORMAT_RGB555;
    if (!texture_ || format != format_ || frame.Width() != width_ ||
        frame.Height() != height_) {
      if (texture_) SDL_DestroyTexture(texture_);
      texture_ = SDL_CreateTexture(renderer, format, SDL_TEXTUREACCESS_STREAMING, frame.Width(),
                                   frame.Height());
      if (!texture_) return false;
      format_ = format;
      width_ = frame.Width();
      height_ = frame.Height();
    }
    SDL_UpdateTexture(texture_, nullptr, frame.Pixels(), frame.PitchBytes());
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture_, nullptr, nullptr);  // scaled to the window
    SDL_RenderPresent(renderer);
    return true;
  }

 private:
  SDL_Window* window_;
  SDL_Renderer* renderer_ = nullptr;
  bool ownsRenderer_ = true;
  SDL_Texture* texture_ = nullptr;
  Uint32 format_ = 0;
  int32_t width_ = 0, height_ = 0;
};

}  // namespace

void InstallSdlPresenter() {
  SetPresenterFactory([](void* nativeWindow) -> std::unique_ptr<FramePresenter> {
    if (!nativeWindow) return std::make_unique<HeadlessPresenter>();
    auto presenter = std::make_unique<SdlPresenter>(static_cast<SDL_Window*>(nativeWindow));
    if (!presenter->Open()) return nullptr;
    return presenter;
  });
}

}  // namespace platform
