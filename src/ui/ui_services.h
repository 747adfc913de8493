#pragma once
// What the toolkit reads of the rest of the program, in one place: the
// renderer and text system it draws through, the interface's view of the
// mouse and the typed characters for this input frame, the interface
// counters, the screen size the layout space maps to, the image tables and
// the game flags the cursor and the panels look at. The game's interface task
// fills it (ReadUiInput); tests fill it by hand.
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

class CRenderer;
class CTextSystem;

struct UiMouse {
  int32_t x = 0, y = 0;  // layout units
  bool left = false, right = false;
  int32_t wheel = 0;  // this frame's wheel motion, signed
};

// A city object a rich-text line links to: its picked-object kind and index.
struct UiObjectRef {
  int32_t kind = 0;
  int32_t index = -1;
  bool Valid() const { return kind != 0 && index >= 0; }
};

// What the widgets ask of the game beyond drawing. The program installs its
// own at start (app/interface_wiring.cpp, checked with the other seams);
// this base is the null form the toolkit runs on alone (tests, tools): no
// sound, the city screen, no object to select.
class UiGame {
 public:
  virtual ~UiGame() = default;
  virtual void PlaySample(const char* /*sample*/) {}  // once, unique, volume 100
  virtual int32_t ScreenMode() { return 0; }
  virtual void SetScreenMode(int32_t /*mode*/) {}
  virtual bool ObjectExists(const UiObjectRef&) { return false; }
  // Clears the selection, makes the object and building the hovered ones and
  // commits them as the selection.
  virtual void SelectObject(const UiObjectRef&, int32_t /*building*/) {}
  virtual void SetHoveredBuilding(int32_t /*building*/) {}  // -1 clears it
  virtual void FireTutorialEvent(int32_t /*event*/) {}
};

struct UiServices {
  CRenderer* renderer = nullptr;  // null: the program's renderer
  CTextSystem* text = nullptr;

  UiMouse mouse, previousMouse;  // this input frame and the one before
  // A panel has taken this input frame's press, release or wheel turn: no
  // other set and not the city acts on it again.
  bool mouseTaken = false;
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

  UiGame* game = nullptr;  // null: the null form
};

UiServices& Ui();
// The installed game side of the widgets, or the null form.
UiGame& UiGameSide();
// The renderer the toolkit draws with (null when there is none).
CRenderer* UiRenderer();
// The pulsing highlight: the colour with its alpha replaced by
// 255 x (0.5 + |15 - (t mod 32)| / 32), t being the interface ticks.
uint32_t PulseColour(uint32_t colour);
// The button click, through the sound seam.
void PlayUiClick();
// Starts an input frame: the current mouse becomes the previous one, and
// nothing of it is taken yet.
void BeginUiInputFrame(const UiMouse& now);
// The pixel size the layout space maps to (the shell's InterfaceLayoutSize).
void SetInterfaceScreenSize(int32_t width, int32_t height);
