#pragma once
// The building editor's window: a window of its own beside the game's (the
// preview), holding the editor's panels (plan view, options, compile
// report). The editor draws its panels each frame, immediate-mode, through
// EditorUi; the backend lays the controls out and hands back what the user
// did. Headless, or with no backend installed, there is no window.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// What the mouse and keys did over a canvas this frame (pixels of the
// canvas's own area).
struct CanvasInput {
  float mouseX = 0, mouseY = 0;
  bool hovered = false;
  bool moved = false;
  bool leftDown = false, leftUp = false;
  bool rightDown = false, rightUp = false;
  // Letters pressed (upper case) and released while the canvas's panel has
  // the focus.
  std::string keysDown, keysUp;
};

class EditorUi {
 public:
  virtual ~EditorUi() = default;
  // A panel at (x, y) of the window with that size; false when collapsed
  // (its controls are then skipped, EndPanel is still called). A background
  // panel is part of the window itself: it never comes in front of the
  // others (the dialogs it opens), even when clicked or shown again. With
  // `open`, the panel has a close box that clears it.
  virtual bool BeginPanel(std::string_view title, int x, int y, int width, int height, bool background = false,
                          bool* open = nullptr) = 0;
  virtual void EndPanel() = 0;
  // A question over the whole window, which takes no other input while it
  // shows: the index of the button pressed this frame, -1 while none is.
  // Called each frame, outside any panel, until it is answered.
  virtual int Question(std::string_view title, std::string_view text, const std::vector<std::string>& buttons) = 0;
  // A section heading that can be folded; false while folded.
  virtual bool Section(std::string_view title) = 0;
  virtual void Label(std::string_view text) = 0;
  // The next control on the same line.
  virtual void SameLine() = 0;
  // Each returns true when the user changed or pressed it this frame.
  virtual bool Button(std::string_view text, bool enabled = true) = 0;
  virtual bool Check(std::string_view text, bool& value, bool enabled = true) = 0;
  virtual bool Radio(std::string_view text, bool selected, bool enabled = true) = 0;
  virtual bool Combo(std::string_view id, const std::vector<std::string>& items, int& selected,
                     bool enabled = true) = 0;
  virtual bool List(std::string_view id, const std::vector<std::string>& items, int& selected, int rows) = 0;
  virtual bool MultiList(std::string_view id, const std::vector<std::string>& items,
                         std::vector<uint8_t>& selected, int rows, bool enabled = true) = 0;
  // A one-line field showing `shown` while not being edited; true when an
  // edit ends (Enter or leaving the field), with the text in `entered`.
  virtual bool Field(std::string_view id, const std::string& shown, std::string& entered, int width,
                     bool enabled = true) = 0;
  // Two arrows: +1 up, -1 down, 0 neither pressed.
  virtual int Arrows(std::string_view id, bool enabled = true) = 0;
  // A read-only text area of several lines.
  virtual void TextBox(std::string_view id, const std::string& text, int width, int height) = 0;
  // A drawing area filling the rest of the panel: its size and this frame's
  // input. Shapes are drawn in its pixels until the next control.
  virtual void BeginCanvas(std::string_view id, int& width, int& height, CanvasInput& input) = 0;
  virtual void CanvasLine(float x0, float y0, float x1, float y1, uint32_t rgb) = 0;
  virtual void CanvasRect(float x0, float y0, float x1, float y1, uint32_t rgb, bool filled) = 0;
  virtual void EndCanvas() = 0;
};

struct EditorWindowSpec {
  std::string title;
  int x = 0, y = 0;
  int width = 560, height = 740;
};

class EditorWindow {
 public:
  virtual ~EditorWindow() = default;
  // Takes the window's input, lets `draw` draw the panels and shows them.
  virtual void Frame(const std::function<void(EditorUi&)>& draw) = 0;
};

using EditorWindowFactory = std::function<std::unique_ptr<EditorWindow>(const EditorWindowSpec&)>;
// Null with no backend (headless).
std::unique_ptr<EditorWindow> CreateEditorWindow(const EditorWindowSpec& spec);
EditorWindowFactory SetEditorWindowFactory(EditorWindowFactory factory);

}  // namespace platform
