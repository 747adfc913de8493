#include "engine/files/font_table.h"

#include <cstring>
#include <string>

#include "engine/files/file_bytes.h"
#include "platform/paths.h"

int32_t ReadFontTable(std::string_view base, std::vector<GlyphRecord>& out) {
  std::vector<uint8_t> bytes;
  int32_t count = 0;
  // No table is longer than its count and kMaxGlyphs records: a longer file
  // is refused before it is read.
  const size_t longest = sizeof count + size_t(kMaxGlyphs) * sizeof(GlyphRecord);
  if (!ReadWholeGameFile(std::string(base) + ".tab", bytes, longest))
    return platform::GameFileExists(std::string(base) + ".tab") ? 2 : 1;
  if (bytes.size() < sizeof count) return 2;
  std::memcpy(&count, bytes.data(), sizeof count);
  if (count < 0 || count > kMaxGlyphs ||
      bytes.size() != sizeof count + static_cast<size_t>(count) * sizeof(GlyphRecord)) {
    return 2;
  }
  out.resize(static_cast<size_t>(count));
  if (count > 0) std::memcpy(out.data(), bytes.data() + sizeof count, out.size() * sizeof(GlyphRecord));
  return 0;
}

bool WriteFontTable(std::string_view base, std::span<const GlyphRecord> glyphs) {
  if (glyphs.size() > static_cast<size_t>(kMaxGlyphs)) return false;
  ByteWriter w;
  w.Put(static_cast<int32_t>(glyphs.size()));
  w.PutBytes(glyphs.data(), glyphs.size_bytes());
  return WriteWholeGameFile(std::string(base) + ".tab", w.bytes);
}
