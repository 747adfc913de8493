#pragma once
// Writing config.cfg: the set-up settings as the SYSSETUP lines that the
// start-up reading runs back through the command table.
#include <string>
#include <string_view>

#include "engine/core/system_settings.h"

inline constexpr std::string_view kConfigFileName = "config.cfg";

// The lines of config.cfg for these settings, in their fixed order.
std::string FormatConfigFile(const RendererSettings& renderer, const SoundSettings& sound,
                             const StartupOptions& options);

// Writes the current settings to the file (a game name). The text goes to a
// temporary file first and replaces the old one only when complete, so a
// failed write leaves the previous settings intact. On failure: the warning
// "Unable to gain write access to config.cfg" and false.
bool WriteConfigFile(std::string_view game_name = kConfigFileName);

// A byte of 0x80 or above ends a command script, and a line end would split
// the line, so text values are written with such bytes, control characters
// and '%' itself as "%HH" (two upper-case hex digits); the reader decodes
// them. A '%' not followed by two hex digits reads as itself.
std::string EscapeConfigValue(std::string_view text);
std::string UnescapeConfigValue(std::string_view text);
