// The intro movie's decoder and window on small movies made by the movie tool.
#include <gtest/gtest.h>

#include <SDL.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "gpu/driver_leaks.h"
#include "platform/sdl/ffmpeg_movie.h"
#include "platform/sdl/sdl_movie.h"
#include "platform/window.h"

namespace {

namespace fs = std::filesystem;

class MovieTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("rc_movie_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A movie of `seconds` at 25 pictures a second, 64 x 48, with silent sound.
  std::string Make(double seconds) {
    const fs::path description = dir_ / "movie.txt";
    std::ofstream(description) << "size 64 48\nfps 25\nseconds " << seconds
                               << "\nmusic none.ogg\nsky 0 #000000 #ffffff\nbuilding 10 20 30 #203040 0 0.5\n";
    const fs::path out = dir_ / "movie.mpg";
    const std::string command =
        std::string(MOVIEGEN_PATH) + " " + description.string() + " " + dir_.string() + " " + out.string();
    EXPECT_EQ(std::system(command.c_str()), 0);
    return out.string();
  }
  fs::path dir_;
};

TEST_F(MovieTest, DecodesEveryPictureWithItsSoundAndStopsAtTheEnd) {
  platform::FfmpegMovie movie;
  ASSERT_TRUE(movie.Open(Make(1.0), 640, 480));
  EXPECT_TRUE(movie.HasSound());
  int pictures = 0;
  size_t sound = 0;
  double last = -1;
  platform::MoviePacket p;
  while (movie.Next(&p)) {
    if (p.picture) {
      ++pictures;
      EXPECT_EQ(p.pixels.size(), 640u * 480u);
      EXPECT_GT(p.time, last);
      last = p.time;
    } else {
      sound += p.sound.size() / 2;
    }
  }
  EXPECT_EQ(pictures, 25);
  EXPECT_GT(sound, 15000u);  // most of a second at 22050 Hz
  EXPECT_FALSE(movie.Next(&p));
  // The sky's gradient runs from black at the top to white at the bottom.
  ASSERT_TRUE(movie.Open(Make(1.0), 64, 48));
  while (movie.Next(&p) && !p.picture) {
  }
  EXPECT_LT(p.pixels[2] & 0xFF, 0x30u);
  EXPECT_GT(p.pixels[47 * 64 + 60] & 0xFF, 0xC0u);
}

TEST_F(MovieTest, MissingAndDamagedFilesDoNotPlay) {
  platform::FfmpegMovie movie;
  EXPECT_FALSE(movie.Open((dir_ / "missing.mpg").string(), 640, 480));
  std::ofstream(dir_ / "junk.mpg") << std::string(5000, 'x');
  EXPECT_FALSE(movie.Open((dir_ / "junk.mpg").string(), 640, 480));
  // A movie cut short plays what it holds and ends.
  const std::string good = Make(2.0);
  fs::resize_file(good, fs::file_size(good) / 2);
  if (movie.Open(good, 640, 480)) {
    platform::MoviePacket p;
    int n = 0;
    while (movie.Next(&p) && n < 1000) ++n;
    EXPECT_LT(n, 1000);
  }
  EXPECT_FALSE(platform::PlayMovieWindow((dir_ / "missing.mpg").string(), {}));
}

// Damaged movies (random bytes changed all through, so the sound's and the
// pictures' formats change between frames) decode to their end or stop; a
// FIFO in the movie's place is refused at once.
TEST_F(MovieTest, DamagedMoviesDecodeSafelyAndFifosAreRefused) {
  // The game's own intro movie when it is built (its sound changes format
  // where bytes are changed), else a small one.
  const fs::path intro = fs::path(RC_GAME_ROOT) / "gamedata" / "quillmarch.mpg";
  const std::string good = fs::exists(intro) ? intro.string() : Make(2.0);
  std::ifstream in(good, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  uint32_t seed = 1;
  auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
  for (int trial = 0; trial < 12; ++trial) {
    std::string damaged = bytes;
    for (int flip = 0; flip < 2000; ++flip) damaged[next() % damaged.size()] = char(next() >> 24);
    const fs::path path = dir_ / ("flipped" + std::to_string(trial) + ".mpg");
    std::ofstream(path, std::ios::binary) << damaged;
    platform::FfmpegMovie movie;
    if (!movie.Open(path.string(), 640, 480)) continue;
    platform::MoviePacket p;
    int n = 0;
    while (movie.Next(&p) && n < 100000) ++n;
    EXPECT_LT(n, 100000) << trial;
  }
  const fs::path fifo = dir_ / "fifo.mpg";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  platform::FfmpegMovie movie;
  EXPECT_FALSE(movie.Open(fifo.string(), 640, 480));
}

TEST_F(MovieTest, TheWindowPlaysToTheEndOrUntilAKey) {
  ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
  // SDL's off-screen video keeps the display driver's allocations for good.
  IgnoreDriverAllocations(true);
  platform::MovieWindowOptions options;
  options.sound = false;
  const std::string shortMovie = Make(0.5);
  EXPECT_TRUE(platform::PlayMovieWindow(shortMovie, options));

  // A long movie ends at the first key.
  const std::string longMovie = Make(30.0);
  std::atomic<bool> done = false;
  std::thread presser([&] {
    while (!done) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      SDL_Event key{};
      key.type = SDL_KEYDOWN;
      SDL_PushEvent(&key);
    }
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(platform::PlayMovieWindow(longMovie, options));
  done = true;
  presser.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

  // A close signal (SIGTERM) ends it too, and stays for the game to honour.
  std::thread closer([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    platform::RequestWindowClose();
  });
  const auto closing = std::chrono::steady_clock::now();
  EXPECT_TRUE(platform::PlayMovieWindow(longMovie, options));
  closer.join();
  EXPECT_LT(std::chrono::steady_clock::now() - closing, std::chrono::seconds(20));
  EXPECT_TRUE(platform::CloseRequestPending());
  const platform::WindowProc old = platform::SetWindowProc([](uint32_t, uint64_t, int64_t) -> int64_t { return 0; });
  platform::PumpWindowMessages();
  platform::SetWindowProc(old);
  IgnoreDriverAllocations(false);
}

}  // namespace
