#pragma once
// The intro movie in a window of its own: 640 x 480, centred on the desktop
// (or covering it when the game runs full screen), the system cursor hidden,
// the sound through the sound layer. Plays until the movie ends, a key is
// pressed or the window is clicked.
#include <string>
#include <string_view>

namespace platform {

struct MovieWindowOptions {
  bool windowed = true;
  bool sound = true;
  std::string soundDevice;  // the description of the sound device to open
};

// False when the file cannot be played or no window can be made (nothing
// is shown then).
bool PlayMovieWindow(const std::string& path, const MovieWindowOptions& options);

}  // namespace platform
