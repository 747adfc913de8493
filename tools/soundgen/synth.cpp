#include "synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Rng {
  uint32_t s;
  double Next() {  // -1..1
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    return s / 2147483648.0 - 1.0;
  }
};

double Wave(const std::string& kind, double phase, int harmonics) {
  const double p = phase - std::floor(phase);
  if (kind == "square") return p < 0.5 ? 0.8 : -0.8;
  if (kind == "saw") return 2 * p - 1;
  if (kind == "buzz") {
    double v = 0;
    for (int n = 1; n <= harmonics; ++n) v += std::sin(2 * kPi * n * p) / n;
    return v * 0.6;
  }
  return std::sin(2 * kPi * p);
}

void RenderLayer(const SynthLayer& l, std::vector<double>& out, Rng& rng) {
  const double total = double(out.size()) / kSynthRate;
  const double at = l.Get("at", 0), len = l.Get("len", total - at);
  const double f0 = l.Get("f", 440), f1 = l.Get("to", f0);
  const double vib = l.Get("vib", 0), vd = l.Get("vd", 0);
  const double atk = l.Get("atk", 0.005), rel = l.Get("rel", 0.01), dec = l.Get("dec", 0);
  const double am = l.Get("am", 0), amd = l.Get("amd", 0);
  const double gate = l.Get("gate", 0), duty = l.Get("duty", 0.5);
  const double burst = l.Get("burst", 0), blen = l.Get("blen", 0.05);
  const double gain = l.Get("gain", 1);
  const double lpA = l.values.count("lp") ? 1 - std::exp(-2 * kPi * l.Get("lp", 1000) / kSynthRate) : 1;
  const double hpA = l.values.count("hp") ? 1 - std::exp(-2 * kPi * l.Get("hp", 100) / kSynthRate) : 0;
  const int harmonics = static_cast<int>(l.Get("harm", 6));
  const bool noise = l.kind == "noise";
  const size_t first = static_cast<size_t>(std::max(0.0, at) * kSynthRate);
  const size_t count = static_cast<size_t>(std::max(0.0, len) * kSynthRate);
  double phase = 0, low = 0, high = 0, burstLeft = 0, burstGain = 0;
  for (size_t i = 0; i < count && first + i < out.size(); ++i) {
    const double t = double(i) / kSynthRate;
    const double f = (f0 + (f1 - f0) * t / std::max(len, 1e-6)) * (1 + vd * std::sin(2 * kPi * vib * t));
    phase += f / kSynthRate;
    double v = noise ? rng.Next() : Wave(l.kind, phase, harmonics);
    low += lpA * (v - low);
    v = low;
    high += hpA * (v - high);
    v -= high;
    double env = std::min(1.0, t / std::max(atk, 1e-6)) * std::min(1.0, (len - t) / std::max(rel, 1e-6));
    if (dec > 0) env *= std::exp(-dec * t);
    if (am > 0) env *= 1 - amd * 0.5 * (1 + std::sin(2 * kPi * am * t));
    if (gate > 0) {
      const double in = std::fmod(t * gate, 1.0);
      env *= in < duty ? std::exp(-in / std::max(duty, 1e-6) * 3) : 0;
    }
    if (burst > 0) {
      if (burstLeft <= 0 && (rng.Next() + 1) * 0.5 < burst / kSynthRate) {
        burstLeft = blen;
        burstGain = 0.4 + 0.6 * (rng.Next() + 1) * 0.5;
      }
      env *= burstLeft > 0 ? burstGain * std::sin(kPi * (1 - burstLeft / blen)) : 0;
      burstLeft -= 1.0 / kSynthRate;
    }
    out[first + i] += v * env * gain;
  }
}

void Echo(const SynthLayer& l, std::vector<double>& out) {
  const double delay = l.Get("echo", 0), fb = l.Get("fb", 0.4);
  const size_t d = static_cast<size_t>(delay * kSynthRate);
  if (d == 0) return;
  for (size_t i = d; i < out.size(); ++i) out[i] += out[i - d] * fb;
}

}  // namespace

bool ParseLayer(const std::string& text, SynthLayer* layer, std::string* error) {
  std::istringstream in(text);
  in >> layer->kind;
  static const char* kKinds[] = {"sine", "square", "saw", "buzz", "noise", "echo"};
  if (std::find_if(std::begin(kKinds), std::end(kKinds), [&](const char* k) { return layer->kind == k; }) ==
      std::end(kKinds)) {
    *error = "unknown layer kind '" + layer->kind + "'";
    return false;
  }
  for (std::string item; in >> item;) {
    const size_t eq = item.find('=');
    char* end = nullptr;
    const double value = eq == std::string::npos ? 0 : std::strtod(item.c_str() + eq + 1, &end);
    if (eq == std::string::npos || end == item.c_str() + eq + 1 || *end != 0 || !std::isfinite(value)) {
      *error = "bad setting '" + item + "'";
      return false;
    }
    layer->values[item.substr(0, eq)] = value;
  }
  return true;
}

std::vector<float> Synthesise(const std::vector<SynthLayer>& layers, double seconds, bool loop, uint32_t seed,
                              double peak) {
  const double fade = loop ? std::min(0.25, seconds / 4) : 0;
  std::vector<double> mix(static_cast<size_t>((seconds + fade) * kSynthRate));
  Rng rng{seed | 1};
  for (const SynthLayer& l : layers) {
    if (l.kind == "echo")
      Echo(l, mix);
    else
      RenderLayer(l, mix, rng);
  }
  const size_t n = static_cast<size_t>(seconds * kSynthRate);
  // A loop's tail (beyond its length) fades into its head.
  const size_t f = mix.size() - n;
  for (size_t i = 0; i < f; ++i) {
    const double w = double(i) / f;
    mix[i] = mix[i] * w + mix[n + i] * (1 - w);
  }
  mix.resize(n);
  double top = 1e-9;
  for (double v : mix) top = std::max(top, std::fabs(v));
  std::vector<float> out(n);
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<float>(mix[i] / top * peak);
  return out;
}

std::vector<uint8_t> WaveBytes(const std::vector<float>& samples, int channels, int rate) {
  std::vector<uint8_t> b;
  auto le = [&](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  const uint32_t data = static_cast<uint32_t>(samples.size() * 2);
  b.insert(b.end(), {'R', 'I', 'F', 'F'});
  le(36 + data, 4);
  b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  le(16, 4);
  le(1, 2);
  le(channels, 2);
  le(rate, 4);
  le(rate * channels * 2, 4);
  le(channels * 2, 2);
  le(16, 2);
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  le(data, 4);
  for (float s : samples) le(static_cast<uint16_t>(static_cast<int16_t>(std::clamp(s, -1.0f, 1.0f) * 32767)), 2);
  return b;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}
