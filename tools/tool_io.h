#pragma once
// Shared by the data tools: reading a readable source file whole, and
// checking the output names the sources give.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

// Reads the file at `path` into `text`; says so on standard error and returns
// false when it cannot be opened.
inline bool ReadToolSource(const char* path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot open %s\n", path);
    return false;
  }
  std::stringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  return true;
}

// After a source line's statement: anything left on the line but a comment
// is an error, said in `why`.
inline bool NothingMoreOnLine(std::istream& words, std::string& why) {
  std::string rest;
  if (!(words >> rest) || rest[0] == '#') return true;
  why = "unexpected " + rest;
  return false;
}

// Whether an output name names a file inside the output folder: not empty,
// not absolute, no ".." among its parts (either separator).
inline bool OutputNameStaysInside(std::string_view name) {
  if (name.empty() || name.front() == '/' || name.front() == '\\') return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

// An output name must name a file inside the tool's output folder; says so
// on standard error when it does not.
inline bool ToolOutputInside(const std::string& name) {
  if (OutputNameStaysInside(name)) return true;
  std::fprintf(stderr, "the output name %s leaves the output folder\n", name.c_str());
  return false;
}
