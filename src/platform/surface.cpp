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
  shown_.reset();
  presenter_.reset();
}

bool DisplaySurfaces::Present() {
  if (!primary_) return false;
  bool moved = windowed_ ? primary_->BltFrom(*back_) : primary_->FlipWith(*back_);
  if (!moved) return false;
  return presenter_->Present(ShownFrame());
}

void DisplaySurfaces::SetGammaRamp(const uint8_t* ramp) {
  rampOn_ = false;
  for (int32_t i = 0; i < 256; ++i) {
    ramp_[i] = ramp ? ramp[i] : uint8_t(i);
    rampOn_ = rampOn_ || ramp_[i] != i;
  }
  pixelRamp_.clear();
}

namespace {

// A channel of `bits` bits through an 8-bit ramp, back to `bits` bits.
uint32_t RampChannel(const uint8_t* ramp, uint32_t value, int32_t bits) {
  const uint32_t top = (1u << bits) - 1;
  const uint32_t wide = (value * 255 + top / 2) / top;
  return (uint32_t(ramp[wide]) * top + 127) / 255;
}

}  // namespace

const Surface16& DisplaySurfaces::ShownFrame() {
  const Surface16& frame = *primary_;
  if (!rampOn_) return frame;
  const PixelLayout layout = frame.Layout();
  if (pixelRamp_.empty() || pixelRampLayout_ != layout) {
    pixelRamp_.resize(65536);
    pixelRampLayout_ = layout;
    const bool is565 = layout == PixelLayout::Rgb565;
    const int32_t greenBits = is565 ? 6 : 5;
    for (uint32_t p = 0; p < 65536; ++p) {
      const uint32_t r = RampChannel(ramp_, is565 ? p >> 11 : (p >> 10) & 31, 5);
      const uint32_t g = RampChannel(ramp_, (p >> 5) & ((1u << greenBits) - 1), greenBits);
      const uint32_t b = RampChannel(ramp_, p & 31, 5);
      pixelRamp_[p] = uint16_t(is565 ? (r << 11) | (g << 5) | b
                                     : (p & 0x8000) | (r << 10) | (g << 5) | b);
    }
  }
  if (!shown_ || shown_->Width() != frame.Width() || shown_->Height() != frame.Height() ||
      shown_->Layout() != layout)
    shown_ = std::make_unique<Surface16>(frame.Width(), frame.Height(), layout);
  uint16_t* to = nullptr;
  int32_t pitch = 0;
  if (!shown_->Lock(&to, &pitch)) return frame;
  const uint16_t* from = frame.Pixels();
  const size_t count = size_t(frame.Width()) * size_t(frame.Height());
  for (size_t i = 0; i < count; ++i) to[i] = pixelRamp_[from[i]];
  shown_->Unlock();
  return *shown_;
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
