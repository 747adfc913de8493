#pragma once
// The game root run as the program runs it, with a test's own step before
// the main loop and after every frame.
#include "app/game.h"
#include "engine/render/loading_screen.h"
#include "platform/clock.h"
#include "shell/game_loop.h"
#include "shell/startup.h"

class TestGameProgram : public ShellProgram {
 public:
  void Run() override {
    TheGame().Start();
    BeforeLoop();
    RunMainLoop(*this);
    TheGame().Shutdown();
  }
  void Frame() override {
    TheGame().Frame();
    AfterGameFrame();
  }
  void Shutdown() override { TheGame().Shutdown(); }
  void Activate(bool active) override { TheGame().Activate(active); }
  void Paint() override { TheGame().Paint(); }
  void SetCursorScales(float a, float b, float c, float d) override { TheGame().SetCursorScales(a, b, c, d); }
  bool HardwareCursor() const override { return TheGame().HardwareCursor(); }

 protected:
  virtual void BeforeLoop() {}
  virtual void AfterGameFrame() = 0;
};

// Nobody watches the loading screen of a game run for a picture: its clock
// runs twenty times fast, so its eleven-second hold passes in about half a
// second and the level starts as it would.
inline void HurryTheLoadingScreen() {
  SetLoadingScreenClock([] { return platform::timeGetTime() * 20u; });
}
