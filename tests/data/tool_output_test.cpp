// The data tools write only inside their output folder: an output name that
// leaves it is refused, and nothing is written there.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/tool_io.h"

namespace {

namespace fs = std::filesystem;

TEST(ToolOutput, NamesStayingInsideTheOutputFolder) {
  for (const char* inside : {"a.tm", "gamedata2\\x\\y.tm", "a/b/c", "..a\\b..", "a\\...\\b"})
    EXPECT_TRUE(OutputNameStaysInside(inside)) << inside;
  for (const char* outside : {"", "..", "..\\x.tm", "a\\..\\..\\x", "a/../b", "/etc/x", "\\x", "a\\.."})
    EXPECT_FALSE(OutputNameStaysInside(outside)) << outside;
}

TEST(ToolOutput, ModelSourceNamingAFileOutsideTheOutputFolderIsRefused) {
  const fs::path dir = fs::temp_directory_path() / ("rc_tool_output_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "root");
  const std::string body = "texture t.tex\nprimitive t.tex\ntile 1\ngroup G\nbox 0 0 0 1 1 1\nendgroup\n";
  std::ofstream(dir / "outside.txt") << "output ..\\escaped.tm\n" << body;
  std::ofstream(dir / "inside.txt") << "output gamedata2\\kept.tm\n" << body;
  const std::string tool = MODELC_PATH;
  const std::string quiet = " 2>/dev/null";
  EXPECT_NE(std::system((tool + " " + (dir / "outside.txt").string() + " " + (dir / "root").string() + quiet).c_str()), 0);
  EXPECT_FALSE(fs::exists(dir / "escaped.tm"));
  EXPECT_EQ(std::system((tool + " " + (dir / "inside.txt").string() + " " + (dir / "root").string()).c_str()), 0);
  EXPECT_TRUE(fs::exists(dir / "root" / "gamedata2" / "kept.tm"));
  fs::remove_all(dir);
}

}  // namespace
