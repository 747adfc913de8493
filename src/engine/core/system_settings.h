#pragma once
// The set-up settings: the renderer's system settings, the sound settings and
// the start-up options. Each is one program-wide record with its defaults
// compiled in; config.cfg (through SYSSETUP), the command line and the
// set-up dialog change them before the game starts.
#include <cstdint>

#include "engine/render/renderer_settings.h"

inline constexpr int kSoundDescriptionSize = 1024;

// The sound device chosen in the set-up dialog and the sound switches.
struct SoundSettings {
  int32_t deviceIndex = 0;  // into the enumerated device list
  char deviceDescription[kSoundDescriptionSize] = "Primary Sound Driver";
  uint8_t shware = 0;  // hardware mixing
  uint8_t avail = 0;   // set: sound switched off altogether (the key's name is historical)
  uint8_t music = 1;   // music on
  uint8_t no3d = 0;    // no positional sound
};

inline constexpr int kLanguageNameSize = 255;
inline constexpr int kDataRootSize = 255;
inline constexpr int kHostAddressSize = 24;
inline constexpr int kSessionNameSize = 32;
inline constexpr int32_t kDefaultNetworkPort = 2299;
inline constexpr int32_t kMaxNetworkPlayers = 6;

struct StartupOptions {
  bool noExceptionHandling = false;
  bool debugStuff = false;  // enables the debug keys
  char languageName[kLanguageNameSize] = "usa";
  bool noMovie = false;    // no intro movie
  bool fullInstall = true;  // false for a minimal installation
  char dataRoot[kDataRootSize] = "";  // data root of a minimal installation
  int32_t performance = 2;  // 0 with the software renderer; scripts read it
  bool networkStart = false;
  bool hostSession = false;
  char hostAddress[kHostAddressSize] = "";  // digits and dots
  char sessionName[kSessionNameSize] = "";
  int32_t port = kDefaultNetworkPort;
  int32_t networkPlayers = 2;  // PLAYERS: machines the host waits for before it starts
  int32_t computers = -1;  // COMPUTERS: computer players a start without the menus seats (-1 not given)
  bool fullSpeed = false;  // FULLSPEED: every main-loop pass runs a full step of game time (soak runs, benchmarks)
  bool memoryReport = false;  // MEMREPORT: the memory manager's activity log, memreport.txt
  bool buildingEditor = false;  // EDITOR: start mode 2, the building editor
  bool frontEnd = false;    // FRONTEND: the menus even in a headless run
  bool noFrontEnd = false;  // NOFRONTEND: straight into the sandbox, no menus
};

extern RendererSettings g_RendererSettings;

// Texture sets drawn at the screen's size come in three widths: a display
// 640 or 1280 wide takes the 640 set, 800 or 1600 the 800 set, any other
// the 1024 set.
int32_t ScreenSizeVariant(int32_t displayWidth);
extern SoundSettings g_SoundSettings;
extern StartupOptions g_StartupOptions;

// Puts all three records back to their defaults.
void ResetSystemSettings();

// Clears the AVAIL, SHWARE and NO3D switches; done before config.cfg is read
// the second time so that the file's own lines decide them.
void ResetSoundSetupFlags();
