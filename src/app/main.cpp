// cityrun: the game program.
#include <cstdio>
#include <string>
#include <string_view>

#include "app/game.h"
#include "engine/core/config_file.h"
#include "engine/core/console.h"
#include "engine/core/debug_flags.h"
#include "engine/core/error.h"
#include "engine/core/system_settings.h"
#include "engine/render/soft_renderer.h"
#include "platform/headless.h"
#include "platform/net/enet_transport.h"
#include "platform/paths.h"
#include "platform/recording_gpu_device.h"
#include "platform/sdl/gl_gpu.h"
#include "platform/sdl/openal_sound.h"
#include "platform/sdl/sdl_cursor.h"
#include "platform/sdl/sdl_input.h"
#include "platform/sdl/sdl_movie.h"
#include "platform/sdl/sdl_present.h"
#include "platform/sdl/sdl_window.h"
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
  platform::InstallOpenAlSound();  // decides for itself whether headless runs hear it
  if (platform::IsHeadless()) {
    // The headless drawing layer only follows the states: nobody reads a
    // running game's calls, and keeping them would grow without end.
    platform::SetGpuSystemFactory([] {
      auto system = std::make_unique<platform::RecordingGpuSystem>();
      system->keepCalls = false;
      return std::unique_ptr<platform::GpuSystem>(std::move(system));
    });
    return;
  }
  platform::InstallSdlMessageBoxes();
  platform::InstallSdlChoiceBoxes();
  platform::InstallSdlDialogWindows();
  platform::InstallSdlEditorWindows();
  std::string error;
  if (!platform::InstallSdlWindows(&error))
    ReportErrorF(0, "Unable to open the display (%s). Set CITYRUN_HEADLESS=1 to run without one.",
                 error.c_str());
  platform::InstallSdlInput();
  platform::InstallSdlCursors();
  platform::InstallSdlPresenter();
  platform::InstallGlGpu();  // the hardware renderer draws through OpenGL
}

// The intro movie, in a window of its own before the renderer is made;
// skipped when switched off, headless or missing. A marker file stands while
// it plays: found at the next start, the movie ended the game last time (a
// damaged file can crash the decoder), so it is switched off for good, with
// a word on how to have it back, instead of ending every start.
void PlayIntroMovie() {
  constexpr const char* kIntroMovie = "gamedata\\quillmarch.mpg";
  constexpr const char* kMoviePlaying = "intro_movie_playing.txt";
  if (g_StartupOptions.noMovie || platform::IsHeadless() || !platform::GameFileExists(kIntroMovie)) return;
  const std::string marker = platform::ResolveNewGamePath(kMoviePlaying);
  if (platform::GameFileExists(kMoviePlaying)) {
    g_StartupOptions.noMovie = true;
    WriteConfigFile();
    std::remove(marker.c_str());
    ReportError(1, 0, "The intro movie ended the game when it last played, so it is switched off ("
                      "SysSetup NoMovie 0 in config.cfg turns it back on).");
    return;
  }
  if (!platform::ReplaceFileWhole(marker, "the intro movie is playing\n")) return;
  platform::MovieWindowOptions options;
  options.windowed = g_RendererSettings.windowed != 0;
  options.sound = g_SoundSettings.avail == 0;
  options.soundDevice = g_SoundSettings.deviceDescription;
  platform::PlayMovieWindow(platform::ResolveGamePath(kIntroMovie), options);
  std::remove(marker.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  SetConsoleSink(PrintToStandardError);
  SettleGameRoot();
  ClearDebugFlags();
  InstallSdlPlatform();
  // The network needs no display: a headless game may host or join too.
  platform::InstallEnetTransport();
  // The software renderer for API 2 and 3.
  SetRendererFactory(kApiSoftware, CreateSoftwareRenderer);
  Game& game = TheGame();
  game.SetIntroMovie(PlayIntroMovie);
  game.Prepare();
  return WinMain(JoinCommandLine(argc, argv), game);
}
