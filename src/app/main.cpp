// cityrun: the game program.
#include <cstdio>
#include <string_view>

#include "shell/command_script.h"
#include "shell/config_file.h"
#include "shell/console.h"
#include "shell/debug_flags.h"
#include "shell/system_settings.h"

namespace {

// Until the console panel exists, replies to the start-up scripts go to the
// standard error stream, so a bad config.cfg line is not silently lost.
void PrintToStandardError(std::string_view text, int kind) {
  std::fprintf(stderr, "%s%.*s\n", kind == kConsoleError ? "" : "console: ",
               static_cast<int>(text.size()), text.data());
}

// Reads config.cfg through the command table. The game root is the working
// directory.
void ReadSystemConfig() {
  RegisterConsoleCommands();
  ReadParameterFile(kConfigFileName);
}

}  // namespace

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  SetConsoleSink(PrintToStandardError);
  ClearDebugFlags();
  ReadSystemConfig();
  // The second reading overrides anything the first one set.
  ResetSoundSetupFlags();
  ReadSystemConfig();
  return 0;
}
