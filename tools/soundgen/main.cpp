// soundgen: makes the game's sounds from readable tables.
//
//   soundgen effects <table> <output folder>
//   soundgen music <score> <output folder>
//
// The effects table has one sound a line:
//   sound <file> <seconds> <loop|once> <peak 0..1> : <layer> ; <layer> ...
//   say <file> <espeak voice> <words a minute> <pitch 0..99> <text ...>
// Layers are described in synth.h; a "say" line speaks its text through the
// espeak-ng speech synthesiser (mono 22050 Hz, as the game's samples are).
// The score's format is in music.h.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "../tool_io.h"
#include "music.h"
#include "synth.h"

namespace {

uint32_t Seed(const std::string& name) {
  uint32_t h = 2166136261u;
  for (char c : name) h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
  return h;
}

bool MakeSound(std::istringstream& in, const std::string& outDir, std::string* error) {
  std::string file, loop, colon;
  double seconds = 0, peak = 0;
  if (!(in >> file >> seconds >> loop >> peak >> colon) || colon != ":" || seconds <= 0 || seconds > 30 ||
      (loop != "loop" && loop != "once") || peak <= 0 || peak > 1) {
    *error = "expected: sound <file> <seconds> <loop|once> <peak> : layers";
    return false;
  }
  std::string rest;
  std::getline(in, rest);
  std::vector<SynthLayer> layers;
  std::istringstream parts(rest);
  for (std::string part; std::getline(parts, part, ';');) {
    SynthLayer layer;
    if (!ParseLayer(part, &layer, error)) return false;
    layers.push_back(layer);
  }
  const auto samples = Synthesise(layers, seconds, loop == "loop", Seed(file), peak);
  if (!WriteBytes(outDir + "/" + file, WaveBytes(samples, 1, kSynthRate))) {
    *error = "cannot write " + file;
    return false;
  }
  return true;
}

bool Speak(std::istringstream& in, const std::string& outDir, std::string* error) {
  std::string file, voice;
  int speed = 0, pitch = 0;
  if (!(in >> file >> voice >> speed >> pitch) || speed < 80 || speed > 400 || pitch < 0 || pitch > 99) {
    *error = "expected: say <file> <voice> <speed> <pitch> <text>";
    return false;
  }
  std::string text;
  std::getline(in, text);
  for (char c : voice + text)
    if (c == '"' || c == '\\' || c == '$' || c == '`') {
      *error = "quotes, backslashes and dollars are not allowed";
      return false;
    }
  const std::string path = outDir + "/" + file;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  const std::string command = "espeak-ng -v \"" + voice + "\" -s " + std::to_string(speed) + " -p " +
                              std::to_string(pitch) + " -w \"" + path + "\" \"" + text + "\"";
  if (std::system(command.c_str()) != 0) {
    *error = "espeak-ng failed for " + file;
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || (std::strcmp(argv[1], "effects") != 0 && std::strcmp(argv[1], "music") != 0)) {
    std::fprintf(stderr, "usage: soundgen effects|music <table> <output folder>\n");
    return 2;
  }
  std::string text, error;
  if (!ReadToolSource(argv[2], text)) return 1;
  if (std::strcmp(argv[1], "music") == 0) {
    if (RenderScore(text, argv[3], &error)) return 0;
    std::fprintf(stderr, "%s: %s\n", argv[2], error.c_str());
    return 1;
  }
  std::istringstream lines(text);
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number;
    std::istringstream in(line);
    std::string word;
    if (!(in >> word) || word[0] == '#') continue;
    const bool ok = word == "sound" ? MakeSound(in, argv[3], &error)
                    : word == "say" ? Speak(in, argv[3], &error)
                                    : (error = "unknown line kind '" + word + "'", false);
    if (!ok) {
      std::fprintf(stderr, "%s:%d: %s\n", argv[2], number, error.c_str());
      return 1;
    }
  }
  return 0;
}
