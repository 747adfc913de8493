#pragma once
// Shared by the data tools: reading a readable source file whole, and
// checking the output names the sources give.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/paths.h"

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

// An output name must name a file inside the tool's output folder (no
// absolute path, no ".." part); says so on standard error when it does not.
inline bool ToolOutputInside(const std::string& name) {
  if (platform::GameNameStaysInside(name)) return true;
  std::fprintf(stderr, "the output name %s leaves the output folder\n", name.c_str());
  return false;
}
