#pragma once
// The sound tool's synthesiser: layers of oscillators and filtered noise
// with envelopes, gates and bursts, mixed into mono 22050 Hz samples.
//
// A layer is a kind (sine, square, saw, buzz, noise) and key=value settings:
//   f, to      frequency at the start and the end of the layer (Hz; glide)
//   vib, vd    vibrato rate (Hz) and depth (fraction of the frequency)
//   harm       harmonics of a buzz (1/n amplitudes)
//   lp, hp     one-pole low-pass and high-pass cut-offs (Hz)
//   at, len    start and length in seconds (default: the whole sound)
//   atk, rel   attack and release times (s); dec: exponential decay (1/s)
//   am, amd    amplitude modulation rate (Hz) and depth (0..1)
//   gate, duty pulses per second and the part of each pulse that sounds
//   burst, blen random bursts per second and their length (s)
//   echo, fb   echo delay (s) and feedback (0..1)
//   gain       the layer's level
#include <cstdint>
#include <map>
#include <string>
#include <vector>

inline constexpr int kSynthRate = 22050;

struct SynthLayer {
  std::string kind;
  std::map<std::string, double> values;
  double Get(const std::string& key, double fallback) const {
    auto it = values.find(key);
    return it == values.end() ? fallback : it->second;
  }
};

// Parses "kind key=value ..."; false with a message on a bad setting.
bool ParseLayer(const std::string& text, SynthLayer* layer, std::string* error);

// Mixes the layers over `seconds` with the random seed; loops are made
// seamless by fading the tail into the head. Normalised to `peak`.
std::vector<float> Synthesise(const std::vector<SynthLayer>& layers, double seconds, bool loop, uint32_t seed,
                              double peak);

// 16-bit PCM wave file bytes.
std::vector<uint8_t> WaveBytes(const std::vector<float>& samples, int channels, int rate);
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
