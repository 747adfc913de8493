#pragma once
// Memory surfaces for a renderer that draws its own pixels: 16-bit surfaces
// that are locked for drawing, blitted and flipped, and a presenter that shows
// the finished frame. The SDL form of the presenter (platform/sdl) converts the
// frame to the window, scaled; the headless form presents nowhere.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace platform {

enum class PixelLayout : uint8_t { Rgb565, Rgb555 };

class Surface16 {
 public:
  Surface16(int32_t width, int32_t height, PixelLayout layout);

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int32_t PitchBytes() const { return width_ * 2; }
  PixelLayout Layout() const { return layout_; }

  // False when the surface is lost or already locked.
  bool Lock(uint16_t** pixels, int32_t* pitchBytes);
  void Unlock();
  bool IsLocked() const { return locked_; }

  // A lost surface refuses locks and blits until it is restored; its pixels
  // are undefined afterwards (cleared here).
  bool IsLost() const { return lost_; }
  void MarkLost() { lost_ = true; }
  void Restore();

  // Copies a surface of the same size and layout; false when either is lost
  // or locked, or they differ.
  bool BltFrom(const Surface16& source);
  // Exchanges the pixels of two surfaces of the same size and layout.
  bool FlipWith(Surface16& other);

  const uint16_t* Pixels() const { return pixels_.data(); }

 private:
  int32_t width_, height_;
  PixelLayout layout_;
  bool locked_ = false;
  bool lost_ = false;
  std::vector<uint16_t> pixels_;
};

// Shows finished frames on a window.
class FramePresenter {
 public:
  virtual ~FramePresenter() = default;
  // False when the frame could not be shown (the window went away).
  virtual bool Present(const Surface16& frame) = 0;
};

// Headless: counts the frames and shows nothing.
class HeadlessPresenter : public FramePresenter {
 public:
  bool Present(const Surface16&) override {
    ++frames;
    return true;
  }
  int32_t frames = 0;
};

// Makes a presenter for a window system handle (null: no window). A factory
// returning null means the window cannot show frames. The default makes
// headless presenters; the SDL form is installed at start-up.
using PresenterFactory = std::function<std::unique_ptr<FramePresenter>(void* nativeWindow)>;
PresenterFactory SetPresenterFactory(PresenterFactory factory);
std::unique_ptr<FramePresenter> CreateFramePresenter(void* nativeWindow);

// A primary surface, a back surface and the presenter: windowed, the back
// surface is blitted to the primary one; full screen, the two are flipped.
class DisplaySurfaces {
 public:
  // False (nothing kept) when no presenter can be made for the window.
  bool Open(void* nativeWindow, bool windowed, int32_t width, int32_t height,
            PixelLayout layout);
  void Close();
  bool IsOpen() const { return primary_ != nullptr; }

  Surface16* Primary() { return primary_.get(); }
  Surface16* Back() { return back_.get(); }
  FramePresenter* Presenter() { return presenter_.get(); }
  bool Windowed() const { return windowed_; }

  // Windowed: blit back to primary; full screen: flip. Then show the primary
  // surface. False when a surface is lost.
  bool Present();
  bool AnyLost() const;
  void RestoreAll();

  // The shown picture passes through this table, the same for red, green
  // and blue (256 entries; null: shown as drawn). The primary surface keeps
  // the drawn pixels; the presenter gets a mapped copy. Kept across Open.
  void SetGammaRamp(const uint8_t* ramp);

 private:
  const Surface16& ShownFrame();

  bool windowed_ = true;
  std::unique_ptr<Surface16> primary_;
  std::unique_ptr<Surface16> back_;
  std::unique_ptr<Surface16> shown_;  // the primary surface through the ramp
  std::unique_ptr<FramePresenter> presenter_;
  uint8_t ramp_[256] = {};
  bool rampOn_ = false;
  std::vector<uint16_t> pixelRamp_;  // the ramp for every 16-bit pixel; empty: to build
  PixelLayout pixelRampLayout_ = PixelLayout::Rgb565;
};

}  // namespace platform
