#include "platform/settings_store.h"

#include <cstdio>

#include "platform/paths.h"

namespace platform {
namespace {

// Settings files are a few lines; anything far larger is not one.
constexpr long kMaxSettingsFileSize = 1 << 20;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::FILE* f = OpenRegularStream(path, "rb");
  if (!f) return std::nullopt;
  std::string text;
  char chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
    text.append(chunk, n);
    if (text.size() > static_cast<size_t>(kMaxSettingsFileSize)) break;
  }
  const bool bad = std::ferror(f) != 0 || text.size() > static_cast<size_t>(kMaxSettingsFileSize);
  std::fclose(f);
  if (bad) return std::nullopt;
  return text;
}

}  // namespace

std::optional<std::string> FindSettingInText(std::string_view text, std::string_view name) {
  bool in_section = true;  // keys before the first header count
  std::optional<std::string> result;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      const size_t close = line.find(']');
      in_section = close != std::string_view::npos &&
                   EqualNoCase(Trim(line.substr(1, close - 1)), kSettingsSection);
      continue;
    }
    const size_t eq = line.find('=');
    if (!in_section || eq == std::string_view::npos) continue;
    if (!EqualNoCase(Trim(line.substr(0, eq)), name)) continue;
    std::string_view value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    // The last occurrence wins, as a later write would.
    result = value.empty() ? std::nullopt : std::optional<std::string>(value);
  }
  return result;
}

std::optional<std::string> ReadSetting(std::string_view name) {
  const std::optional<std::string> text = ReadWholeFile(ResolveGamePath(kSettingsFileName));
  if (!text) return std::nullopt;
  return FindSettingInText(*text, name);
}

std::string ReadSetting(std::string_view name, std::string_view fallback) {
  std::optional<std::string> value = ReadSetting(name);
  return value ? std::move(*value) : std::string(fallback);
}

}  // namespace platform
