#pragma once
// What the toolkit reads of the rest of the program, in one place: the
// renderer and text system it draws through, the interface's view of the
// mouse and the typed characters for this input frame, the interface
// counters, the screen size the layout space maps to, the image tables and
// the game flags the cursor and the panels look at. The game's interface task
// fills it (ReadUiInput); tests fill it by hand.
#include <cstdint>
#include <deque>
#include <vector>

class CRenderer;
class CTextSystem;

struct UiMouse {
  int32_t x = 0, y = 0;  // layout units
  bool left = false, right = false;
  int32_t wheel = 0;  // this frame's wheel motion, signed
};

struct UiServices {
  CRenderer* renderer = nullptr;  // null: the program's renderer
  CTextSystem* text = nullptr;

  UiMouse mouse, previousMouse;  // this input frame and the one before
  std::deque<uint8_t> chars;     // typed characters, game code page

  uint32_t interfaceTicks = 0;  // input frames, paces pulses and the caret
  uint32_t frameCounter = 0;    // drawn frames, paces flashing text

  // The pixel size the layout space is scaled to (a 1280-wide mode counts
  // as 640 x 480, a 1600-wide one as 800 x 600).
  int32_t screenWidth = 640, screenHeight = 480;

  std::vector<int32_t> imageTable;  // UI image id -> texture slot
  std::vector<int32_t> fontTextures;  // font texture index -> texture slot

  bool gameRunning = false;
  bool gamePaused = false;
  bool frontEndShown = false;
  bool interfaceLock = false;  // no panel takes messages while set
};

UiServices& Ui();
// The renderer the toolkit draws with (null when there is none).
CRenderer* UiRenderer();
// Starts an input frame: the current mouse becomes the previous one.
void BeginUiInputFrame(const UiMouse& now);
// The pixel size the layout space maps to (the shell's InterfaceLayoutSize).
void SetInterfaceScreenSize(int32_t width, int32_t height);
