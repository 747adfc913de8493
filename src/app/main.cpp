// cityrun: the game program.
#include <cstdio>
#include <string_view>

#include <string>

#include "engine/error.h"
#include "platform/headless.h"
#include "platform/sdl/sdl_input.h"
#include "platform/sdl/sdl_window.h"
#include "shell/console.h"
#include "shell/debug_flags.h"
#include "shell/startup.h"

namespace platform {
void InstallSdlMessageBoxes();
}

namespace {

// Until the console panel exists, replies to the start-up scripts go to the
// standard error stream, so a bad config.cfg line is not silently lost.
void PrintToStandardError(std::string_view text, int kind) {
  std::fprintf(stderr, "%s%.*s\n", kind == kConsoleError ? "" : "console: ",
               static_cast<int>(text.size()), text.data());
}

// With a display the platform's SDL forms replace the headless ones.
void InstallSdlPlatform() {
  if (platform::IsHeadless()) return;
  platform::InstallSdlMessageBoxes();
  platform::InstallSdlChoiceBoxes();
  std::string error;
  if (!platform::InstallSdlWindows(&error))
    ReportErrorF(0, "Unable to open the display (%s). Set CITYRUN_HEADLESS=1 to run without one.",
                 error.c_str());
  platform::InstallSdlInput();
}

}  // namespace

int main(int argc, char** argv) {
  SetConsoleSink(PrintToStandardError);
  ClearDebugFlags();
  InstallSdlPlatform();
  return WinMain(JoinCommandLine(argc, argv));
}
