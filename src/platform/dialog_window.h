#pragma once
// A small modal dialog window with a few plain controls, shown before the
// game window exists (the set-up dialogs, the installer). The caller draws
// the controls each frame, immediate-mode; the backend lays them out.
// Headless, or with no backend installed, no window is shown.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class DialogUi {
 public:
  virtual ~DialogUi() = default;
  virtual void SetCaption(std::string_view caption) = 0;
  // The window's picture (a BMP game path) drawn over the whole window.
  virtual void Picture(std::string_view path) = 0;
  // A picture at its own size at the next control's place.
  virtual void Image(std::string_view path) = 0;
  // Places the next control at (x, y) pixels in the window.
  virtual void MoveTo(int x, int y) = 0;
  virtual void Label(std::string_view text) = 0;
  // A line centred across the window at y pixels, over the picture (the
  // launcher's tagline); by default a label there.
  virtual void CentredLine(std::string_view text, int y) {
    MoveTo(0, y);
    Label(text);
  }
  // Each returns true when the user changed or pressed it this frame.
  virtual bool Button(std::string_view text, bool enabled = true) = 0;
  virtual bool Radio(std::string_view text, bool selected, bool enabled = true) = 0;
  virtual bool Check(std::string_view text, bool& value, bool enabled = true) = 0;
  virtual bool List(std::string_view id, const std::vector<std::string>& items, int& selected,
                    bool enabled = true) = 0;
  virtual bool TextField(std::string_view id, std::string& text) = 0;
  // The window's close box was pressed this frame.
  virtual bool CloseRequested() = 0;
};

struct DialogSpec {
  std::string caption;
  int width = 400;
  int height = 300;
  std::string icon;  // a BMP game path; empty: the system's
};

// Returns false when the frame function should not be called again.
using DialogFrame = std::function<bool(DialogUi&)>;
// Runs the window until the frame function returns false; false when no
// window could be shown.
using DialogBackend = std::function<bool(const DialogSpec&, const DialogFrame&)>;

// False (and the frame function never called) with no backend.
bool RunDialogWindow(const DialogSpec& spec, const DialogFrame& frame);
// Installs a backend; returns the previous one.
DialogBackend SetDialogBackend(DialogBackend backend);

}  // namespace platform
