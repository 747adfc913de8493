#include "music.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <vector>

#include "synth.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Voice {
  std::string wave = "sine";
  double level = 0.3;
};

struct Track {
  std::string file;
  double tempo = 110;
  Voice lead{"square", 0.22}, pad{"saw", 0.12}, bass{"sine", 0.4};
  std::vector<std::vector<int>> chords;  // MIDI notes of each bar's chord
  std::vector<std::string> melody;
};

// A note name ("C#4", "Bb3") as a MIDI number; -1 when it is none.
int NoteNumber(const std::string& name, size_t* used = nullptr) {
  static const int kSteps[] = {9, 11, 0, 2, 4, 5, 7};  // A..G
  if (name.empty() || name[0] < 'A' || name[0] > 'G') return -1;
  int n = kSteps[name[0] - 'A'];
  size_t i = 1;
  if (i < name.size() && name[i] == '#') ++n, ++i;
  else if (i < name.size() && name[i] == 'b') --n, ++i;
  if (used != nullptr) {
    *used = i;
    return n;
  }
  if (i >= name.size() || name[i] < '0' || name[i] > '8' || i + 1 != name.size()) return -1;
  return n + 12 * (name[i] - '0' + 1);
}

bool ParseChord(const std::string& text, std::vector<int>* notes) {
  size_t used = 0;
  const int root = NoteNumber(text, &used);
  if (root < 0) return false;
  const std::string q = text.substr(used);
  std::vector<int> steps;
  if (q.empty()) steps = {0, 4, 7};
  else if (q == "m") steps = {0, 3, 7};
  else if (q == "7") steps = {0, 4, 7, 10};
  else if (q == "m7") steps = {0, 3, 7, 10};
  else if (q == "maj7") steps = {0, 4, 7, 11};
  else if (q == "dim") steps = {0, 3, 6};
  else return false;
  const int base = 48 + root;  // the pad sits around C3..B3
  for (int s : steps) notes->push_back(base + s);
  return true;
}

double Hz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

double Osc(const std::string& wave, double phase) {
  const double p = phase - std::floor(phase);
  if (wave == "square") return p < 0.5 ? 0.7 : -0.7;
  if (wave == "saw") return 2 * p - 1;
  if (wave == "buzz") return (std::sin(2 * kPi * p) + std::sin(4 * kPi * p) / 2 + std::sin(6 * kPi * p) / 3) * 0.6;
  return std::sin(2 * kPi * p);
}

// One note into the buffer: attack, sustain with decay, release.
void AddNote(std::vector<double>& out, double start, double length, double hz, const Voice& v, double decay) {
  const size_t a = static_cast<size_t>(start * kSynthRate);
  const size_t n = static_cast<size_t>(length * kSynthRate);
  for (size_t i = 0; i < n; ++i) {
    // Wrap round, so the loop's end runs into its start.
    const size_t at = (a + i) % out.size();
    const double t = double(i) / kSynthRate;
    const double env = std::min(1.0, t / 0.01) * std::min(1.0, (length - t) / 0.03) * std::exp(-decay * t);
    out[at] += Osc(v.wave, hz * t) * env * v.level;
  }
}

std::vector<double> Render(const Track& t) {
  const double beat = 60.0 / t.tempo, bar = 4 * beat;
  const size_t bars = t.chords.size();
  std::vector<double> out(static_cast<size_t>(bars * bar * kSynthRate));
  for (size_t b = 0; b < bars; ++b) {
    const std::vector<int>& chord = t.chords[b];
    for (int note : chord) AddNote(out, b * bar, bar, Hz(note), t.pad, 0.4);
    for (int k = 0; k < 4; ++k)
      AddNote(out, b * bar + k * beat, beat * 0.9, Hz(chord[0] - 12 + (k % 2 ? 7 : 0)), t.bass, 2.5);
  }
  const double eighth = beat / 2;
  for (size_t i = 0; i < t.melody.size(); ++i) {
    const int note = NoteNumber(t.melody[i]);
    if (note < 0) continue;
    size_t held = 1;
    while (i + held < t.melody.size() && t.melody[i + held] == "-") ++held;
    AddNote(out, i * eighth, held * eighth * 0.95, Hz(note), t.lead, 1.5);
  }
  double top = 1e-9;
  for (double v : out) top = std::max(top, std::fabs(v));
  for (double& v : out) v = v / top * 0.8;
  return out;
}

bool WriteOgg(const std::string& path, const std::vector<double>& mono) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, 2, kSynthRate, 0.1f) != 0) return false;
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 1);
  ogg_packet header, comments, codes;
  vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codes);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comments);
  ogg_stream_packetin(&os, &codes);
  ogg_page page;
  bool ok = true;
  auto put = [&](const ogg_page& p) {
    ok = ok && std::fwrite(p.header, 1, p.header_len, f) == size_t(p.header_len) &&
         std::fwrite(p.body, 1, p.body_len, f) == size_t(p.body_len);
  };
  while (ogg_stream_flush(&os, &page) != 0) put(page);
  const size_t chunk = 4096;
  for (size_t at = 0; at <= mono.size(); at += chunk) {
    const size_t n = std::min(chunk, mono.size() - std::min(at, mono.size()));
    if (n > 0) {
      float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
      for (size_t i = 0; i < n; ++i) buffer[0][i] = buffer[1][i] = static_cast<float>(mono[at + i]);
    }
    vorbis_analysis_wrote(&vd, static_cast<int>(n));
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&vd, &packet) == 1) {
        ogg_stream_packetin(&os, &packet);
        while (ogg_stream_pageout(&os, &page) != 0) put(page);
      }
    }
    if (n == 0) break;
  }
  while (ogg_stream_flush(&os, &page) != 0) put(page);
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return std::fclose(f) == 0 && ok;
}

bool ParseVoice(std::istringstream& in, Voice* v) {
  return static_cast<bool>(in >> v->wave >> v->level) &&
         (v->wave == "sine" || v->wave == "square" || v->wave == "saw" || v->wave == "buzz");
}

}  // namespace

bool RenderScore(const std::string& score, const std::string& outDir, std::string* error) {
  std::istringstream lines(score);
  Track track;
  bool open = false;
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number;
    std::istringstream in(line);
    std::string word;
    if (!(in >> word) || word[0] == '#') continue;  // sharps (G#4) are no comments
    bool ok = true;
    if (word == "track") {
      track = Track{};
      ok = static_cast<bool>(in >> track.file);
      open = ok;
    } else if (!open) {
      ok = false;
    } else if (word == "tempo") {
      ok = static_cast<bool>(in >> track.tempo) && track.tempo >= 30 && track.tempo <= 300;
    } else if (word == "lead" || word == "pad" || word == "bass") {
      ok = ParseVoice(in, word == "lead" ? &track.lead : word == "pad" ? &track.pad : &track.bass);
    } else if (word == "chords") {
      for (std::string c; ok && in >> c;) {
        track.chords.emplace_back();
        ok = ParseChord(c, &track.chords.back());
      }
    } else if (word == "melody") {
      for (std::string n; ok && in >> n;) {
        if (n == "|") continue;
        ok = n == "-" || n == "." || NoteNumber(n) >= 0;
        track.melody.push_back(n);
      }
    } else if (word == "end") {
      ok = !track.chords.empty() && WriteOgg(outDir + "/" + track.file, Render(track));
      open = false;
    } else {
      ok = false;
    }
    if (!ok) {
      *error = "line " + std::to_string(number) + ": cannot use '" + line + "'";
      return false;
    }
  }
  return true;
}
