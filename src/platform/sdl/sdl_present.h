#pragma once
// The SDL form of the frame presenter (platform/surface.h).
namespace platform {

// Makes frame presenters for SDL windows: each frame is converted to a
// streaming texture and drawn scaled to the window's size. A null window
// still gets the headless presenter.
void InstallSdlPresenter();

}  // namespace platform
