#pragma once
// Shared by the data tools: reading a readable source file whole.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

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
