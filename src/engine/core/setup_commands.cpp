#include "engine/core/setup_commands.h"

#include <cstring>
#include <string>

#include "engine/core/config_file.h"
#include "engine/core/console.h"
#include "engine/core/debug_flags.h"
#include "engine/core/system_settings.h"

namespace {

uint8_t* FlagSetting(const std::string& key) {
  if (key == "AVAIL") return &g_SoundSettings.avail;
  if (key == "SHWARE") return &g_SoundSettings.shware;
  if (key == "WINDOW") return &g_RendererSettings.windowed;
  if (key == "FOG") return &g_RendererSettings.fog;
  if (key == "MULTITEXTURE") return &g_RendererSettings.multiTexture;
  if (key == "HALOS") return &g_RendererSettings.halos;
  if (key == "NO3D") return &g_SoundSettings.no3d;
  if (key == "MUSIC") return &g_SoundSettings.music;
  return nullptr;
}

int32_t* IntegerSetting(const std::string& key) {
  if (key == "WIDTH") return &g_RendererSettings.width;
  if (key == "HEIGHT") return &g_RendererSettings.height;
  if (key == "DEVICE") return &g_RendererSettings.device;
  if (key == "TEXDETAIL") return &g_RendererSettings.texDetail;
  return nullptr;
}

uint8_t* DepthSetting(const std::string& key) {
  if (key == "BITDEPTH") return &g_RendererSettings.bitDepth;
  if (key == "TEXBITDEPTH") return &g_RendererSettings.texBitDepth;
  return nullptr;
}

// The sound device description: everything after the one character that
// follows the key, up to the line end, blanks kept. The writer escapes bytes
// that a command script cannot carry, so they are decoded here.
void ReadSoundDescription(const char* after_key) {
  const char* start = *after_key ? after_key + 1 : after_key;
  const char* end = std::strchr(start, '\n');
  std::string text = end ? std::string(start, end) : std::string(start);
  text = UnescapeConfigValue(text);
  if (text.size() > kSoundDescriptionSize - 1) text.resize(kSoundDescriptionSize - 1);
  std::memcpy(g_SoundSettings.deviceDescription, text.c_str(), text.size() + 1);
}

void ReadApi(const char* cursor) {
  std::string word;
  if (!ReadConsoleWord(cursor, word)) return;
  UpperCaseWord(word);
  if (word == "D3D") g_RendererSettings.api = kApiDirect3D;
  else if (word == "SOFTWARE") g_RendererSettings.api = kApiSoftware;
  else if (word == "TEST") g_RendererSettings.api = kApiTest;
}

}  // namespace

int SysSetupCommand(const char* rest) {
  std::string key;
  if (!ReadConsoleWord(rest, key)) return 0;
  UpperCaseWord(key);
  int32_t value = 0;
  if (uint8_t* flag = FlagSetting(key)) {
    if (ReadConsoleInt(rest, value)) *flag = value != 0;
  } else if (key == "NOMOVIE") {
    if (ReadConsoleInt(rest, value)) g_StartupOptions.noMovie = value != 0;
  } else if (key == "SOUND") {
    ReadSoundDescription(rest);
  } else if (key == "API") {
    ReadApi(rest);
  } else if (int32_t* number = IntegerSetting(key)) {
    if (ReadConsoleInt(rest, value)) *number = value;
  } else if (uint8_t* depth = DepthSetting(key)) {
    if (ReadConsoleInt(rest, value)) *depth = value == 32 ? 32 : 16;
  }
  return 0;
}

int DebugFlagCommand(const char* rest) {
  std::string name;
  if (!ReadConsoleWord(rest, name)) return 0;
  UpperCaseWord(name);
  uint8_t* flag = FindDebugFlag(name);
  if (!flag) {
    ConsolePrintF(kConsoleReply, "Unknown debug flag %s", name.c_str());
    return 0;
  }
  int32_t value = 0;
  if (ReadConsoleInt(rest, value)) *flag = value != 0;
  ConsolePrintF(kConsoleReply, "%s %s", name.c_str(), *flag ? "true" : "false");
  return 0;
}

int ListConsoleCommandsCommand(const char*) {
  for (const ConsoleCommand& c : ConsoleCommandTable()) ConsolePrint(c.name, kConsoleReply);
  return 0;
}
