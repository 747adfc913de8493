#pragma once
// A scratch folder for a test, removed with everything in it afterwards.
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "cityrun-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }

  // Writes a file (and its folders) below the scratch folder.
  void Write(std::string_view name, std::string_view text) const {
    const std::filesystem::path p = *this / name;
    std::filesystem::create_directories(p.parent_path());
    std::FILE* f = std::fopen(p.c_str(), "wb");
    if (!f) return;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }

 private:
  std::string path_;
};
