#pragma once
// Reads RIFF wave files: the format header, then the sample data in pieces.
// Nothing in the file's sizes is trusted: the data is cut to what the file
// holds, odd-sized chunks are followed by their pad byte, and any header that
// does not add up fails the open.
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

inline constexpr int32_t kWaveFailed = -1;

struct WaveFormat {
  uint16_t tag = 0;  // 1 PCM
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  std::vector<uint8_t> extra;  // the bytes after the header of a non-PCM format
};

class CWaveReader {
 public:
  CWaveReader() = default;
  CWaveReader(const CWaveReader&) = delete;
  CWaveReader& operator=(const CWaveReader&) = delete;
  ~CWaveReader() { Close(); }

  // A game path (or a real one starting with '/'); 0 or kWaveFailed.
  int32_t Open(std::string_view path);
  // Back to the start of the data; 0 or kWaveFailed.
  int32_t Rewind();
  // Copies up to `length` bytes of the data still unread; 0 or kWaveFailed.
  int32_t Read(uint32_t length, uint8_t* destination, uint32_t* count);
  void Close();

  const WaveFormat& Format() const { return format_; }
  uint32_t DataSize() const { return dataSize_; }
  uint32_t Unread() const { return unread_; }
  // The RIFF chunk's size as its header gives it (streams time their end by it).
  uint32_t RiffSize() const { return riffSize_; }

 private:
  int32_t ReadHeader(long fileSize);
  std::FILE* file_ = nullptr;
  WaveFormat format_;
  long dataStart_ = 0;
  uint32_t dataSize_ = 0;
  uint32_t unread_ = 0;
  uint32_t riffSize_ = 0;
};
