#include "sound/wave_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/paths.h"

namespace {

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

bool ReadExactly(std::FILE* f, void* out, size_t n) { return std::fread(out, 1, n, f) == n; }

// Walks the chunks from the current offset up to `end` for `id`; on success
// the file stands at the chunk's data and `size` is its header's size.
bool FindChunk(std::FILE* f, long end, const char* id, uint32_t* size) {
  uint8_t head[8];
  for (long at = std::ftell(f); at + 8 <= end; ) {
    if (std::fseek(f, at, SEEK_SET) != 0 || !ReadExactly(f, head, 8)) return false;
    *size = Le32(head + 4);
    if (std::memcmp(head, id, 4) == 0) return true;
    // Chunks are word-aligned: an odd size is followed by a pad byte.
    at += 8 + long(*size) + long(*size & 1);
  }
  return false;
}

}  // namespace

int32_t CWaveReader::Open(std::string_view path) {
  Close();
  file_ = platform::OpenGameFile(path, "rb");
  if (file_ == nullptr) return kWaveFailed;
  long fileSize = -1;
  if (std::fseek(file_, 0, SEEK_END) == 0) fileSize = std::ftell(file_);
  if (fileSize < 0 || std::fseek(file_, 0, SEEK_SET) != 0 || ReadHeader(fileSize) != 0) {
    Close();
    return kWaveFailed;
  }
  return 0;
}

int32_t CWaveReader::ReadHeader(long fileSize) {
  uint8_t riff[12];
  if (!ReadExactly(file_, riff, 12) || std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
    return kWaveFailed;
  riffSize_ = Le32(riff + 4);
  // The chunks end with the RIFF chunk or the file, whichever comes first.
  const long end = std::min<long>(fileSize, 8 + long(riffSize_));
  uint32_t size = 0;
  if (!FindChunk(file_, end, "fmt ", &size) || size < 16) return kWaveFailed;
  uint8_t h[18];
  if (!ReadExactly(file_, h, 16)) return kWaveFailed;
  format_ = WaveFormat{Le16(h), Le16(h + 2), Le32(h + 4), Le32(h + 8), Le16(h + 12), Le16(h + 14), {}};
  if (format_.tag != 1) {
    // Other formats carry a count of extra bytes, then the bytes.
    if (size < 18 || !ReadExactly(file_, h + 16, 2)) return kWaveFailed;
    const uint16_t extra = Le16(h + 16);
    if (18u + extra > size) return kWaveFailed;
    format_.extra.resize(extra);
    if (extra != 0 && !ReadExactly(file_, format_.extra.data(), extra)) return kWaveFailed;
  }
  // The data chunk is searched for from just after the form type.
  if (std::fseek(file_, 12, SEEK_SET) != 0 || !FindChunk(file_, end, "data", &size)) return kWaveFailed;
  dataStart_ = std::ftell(file_);
  dataSize_ = static_cast<uint32_t>(std::min<long>(size, fileSize - dataStart_));
  unread_ = dataSize_;
  return 0;
}

int32_t CWaveReader::Rewind() {
  if (file_ == nullptr || std::fseek(file_, dataStart_, SEEK_SET) != 0) return kWaveFailed;
  unread_ = dataSize_;
  return 0;
}

int32_t CWaveReader::Read(uint32_t length, uint8_t* destination, uint32_t* count) {
  *count = 0;
  if (file_ == nullptr) return kWaveFailed;
  length = std::min(length, unread_);
  const size_t got = std::fread(destination, 1, length, file_);
  unread_ -= static_cast<uint32_t>(got);
  *count = static_cast<uint32_t>(got);
  return got == length ? 0 : kWaveFailed;
}

void CWaveReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  dataSize_ = unread_ = 0;
}
