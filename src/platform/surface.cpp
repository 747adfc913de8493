#include "platform/surface.h"

#include <algorithm>
#include <utility>

namespace platform {

Surface16::Surface16(int32_t width, int32_t height, PixelLayout layout)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      layout_(layout),
      pixels_(size_t(width_) * size_t(height_), 0) {}

bool Surface16::Lock(uint16_t** pixels, int32_t* pitchBytes) {
  if (lost_ || locked_) return false;
  locked_ = true;
  *pixels = pixels_.data();
  *pitchBytes = PitchBytes();
  return true;
}

void Surface16::Unlock() { locked_ = false; }

void Surface16::Restore() {
  lost_ = false;
  std::fill(pixels_.begin(), pixels_.end(), uint16_t(0));
}

bool Surface16::BltFrom(const Surface16& source) {
  if (lost_ || locked_ || source.lost_ || source.locked_) return false;
  if (source.width_ != width_ || source.height_ != height_ || source.layout_ != layout_)
    return false;
  pixels_ = source.pixels_;
  return true;
}

bool Surface16::FlipWith(Surface16& other) {
  if (lost_ || locked_ || other.lost_ || other.locked_) return false;
  if (other.width_ != width_ || other.height_ != height_ || other.layout_ != layout_)
    return false;
  pixels_.swap(other.pixels_);
  return true;
}

namespace {

PresenterFactory& Factory() {
  static PresenterFactory factory;
  return factory;
}

}  // namespace

PresenterFactory SetPresenterFactory(PresenterFactory factory) {
  PresenterFactory old = std::move(Factory());
  Factory() = std::move(factory);
  return old;
}

std::unique_ptr<FramePresenter> CreateFramePresenter(void* nativeWindow) {
  if (Factory()) return Factory()(nativeWindow);
  return std::make_unique<HeadlessPresenter>();
}

bool DisplaySurfaces::Open(void* nativeWindow, bool windowed, int32_t width, int32_t height,
                           PixelLayout layout) {
  Close();
  auto presenter = CreateFramePresenter(nativeWindow);
  if (!presenter) return false;
  presenter_ = std::move(presenter);
  windowed_ = windowed;
  primary_ = std::make_unique<Surface16>(width, height, layout);
  back_ = std::make_unique<Surface16>(width, height, layout);
  return true;
}

void DisplaySurfaces::Close() {
  back_.reset();
  primary_.reset();
  presenter_.reset();
}

bool DisplaySurfaces::Present() {
  if (!primary_) return false;
  bool moved = windowed_ ? primary_->BltFrom(*back_) : primary_->FlipWith(*back_);
  if (!moved) return false;
  return presenter_->Present(*primary_);
}

bool DisplaySurfaces::AnyLost() const {
  return primary_ && (primary_->IsLost() || back_->IsLost());
}

void DisplaySurfaces::RestoreAll() {
  if (!primary_) return;
  primary_->Restore();
  back_->Restore();
}

}  // namespace platform
