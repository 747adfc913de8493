#include "engine/core/config_file.h"

#include <cstdio>
#include <cstring>

#include "engine/core/error.h"
#include "platform/paths.h"

namespace {

const char* ApiWord(int32_t api) {
  if (api == kApiSoftware) return "Software";
  if (api == kApiTest) return "Test";
  return "D3D";
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void AppendLine(std::string& out, const char* format, int value) {
  char line[64];
  std::snprintf(line, sizeof line, format, value);
  out += line;
}

}  // namespace

std::string EscapeConfigValue(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte >= 0x80 || byte < 0x20 || byte == 0x7F || ch == '%') {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

std::string UnescapeConfigValue(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
        HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string FormatConfigFile(const RendererSettings& renderer, const SoundSettings& sound,
                             const StartupOptions& options) {
  std::string out;
  out += "SysSetup api ";
  out += ApiWord(renderer.api);
  out += '\n';
  AppendLine(out, "SysSetup texbitdepth %d\n", renderer.texBitDepth);
  AppendLine(out, "SysSetup bitdepth %d\n", renderer.bitDepth);
  AppendLine(out, "SysSetup width %d\n", renderer.width);
  AppendLine(out, "SysSetup height %d\n", renderer.height);
  AppendLine(out, "SysSetup device %d\n", renderer.device);
  AppendLine(out, "SysSetup Texdetail %d\n", renderer.texDetail);
  AppendLine(out, "SysSetup NoMovie  %d\n", options.noMovie ? 1 : 0);
  AppendLine(out, "SysSetup Window %d\n", renderer.windowed);
  const std::string_view description(sound.deviceDescription,
                                     strnlen(sound.deviceDescription, sizeof sound.deviceDescription));
  out += "SysSetup sound ";
  out += EscapeConfigValue(description);
  out += '\n';
  AppendLine(out, "SysSetup shware %d\n", sound.shware);
  AppendLine(out, "SysSetup avail %d\n", sound.avail);
  AppendLine(out, "SysSetup music %d\n", sound.music);
  AppendLine(out, "SysSetup No3d %d\n", sound.no3d);
  AppendLine(out, "SysSetup Fog %d\n", renderer.fog);
  AppendLine(out, "SysSetup Multitexture  %d\n", renderer.multiTexture);
  AppendLine(out, "SysSetup Halos %d\n", renderer.halos);
  return out;
}

bool WriteConfigFile(std::string_view game_name) {
  const std::string text = FormatConfigFile(g_RendererSettings, g_SoundSettings, g_StartupOptions);
  const std::string path = platform::ResolveNewGamePath(game_name);
  const bool ok = platform::ReplaceFileWhole(path, text);
  if (!ok) {
    ReportError(1, 0, "Unable to gain write access to config.cfg");
  }
  return ok;
}
