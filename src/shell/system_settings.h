#pragma once
// The set-up settings: the renderer's system settings, the sound settings and
// the start-up options. Each is one program-wide record with its defaults
// compiled in; config.cfg (through SYSSETUP), the command line and the
// set-up dialog change them before the game starts.
#include <cstdint>

// Passed to the renderer by pointer; field order and sizes are fixed.
struct RendererSettings {
  int32_t api = 0;           // 0 Direct3D, 2 software, 3 software (test setting)
  int32_t width = 640;       // display width in pixels
  int32_t height = 480;      // display height in pixels
  uint8_t bitDepth = 16;     // display colour depth, 16 or 32
  uint8_t secondDepth = 16;  // stored as 16 by the set-up dialog; the renderer's
  uint8_t texBitDepth = 16;  // texture colour depth, 16 or 32
  uint8_t flagA = 1;         // stored as 1 by the set-up dialog; the renderer's
  uint8_t flagB = 1;         // the renderer's
  uint8_t windowed = 0;      // 1 a window with a menu, 0 full screen
  uint8_t flagC = 1;         // stored as 1 by the set-up dialog; the renderer's
  uint8_t spare0 = 0;
  int32_t device = 0;     // display adapter index
  int32_t texDetail = 2;  // 0 low, 1 medium, 2 high
  uint8_t fog = 1;
  uint8_t halos = 1;
  uint8_t multiTexture = 1;
  uint8_t spare1 = 0;
};
static_assert(sizeof(RendererSettings) == 32);

inline constexpr int32_t kApiDirect3D = 0;
inline constexpr int32_t kApiSoftware = 2;
inline constexpr int32_t kApiTest = 3;

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
};

extern RendererSettings g_RendererSettings;
extern SoundSettings g_SoundSettings;
extern StartupOptions g_StartupOptions;

// Puts all three records back to their defaults.
void ResetSystemSettings();

// Clears the AVAIL, SHWARE and NO3D switches; done before config.cfg is read
// the second time so that the file's own lines decide them.
void ResetSoundSetupFlags();
