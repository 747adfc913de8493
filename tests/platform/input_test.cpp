#include "platform/input.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using platform::InputDeviceKind;
using platform::ScanCodeFromSdlScancode;

// SDL scancode values (USB usage ids) and the scan codes the game expects.
TEST(ScanCodeTable, KeysTheGameReadsHaveTheirCodes) {
  struct Case {
    int sdl;
    uint8_t code;
  } cases[] = {
      {224, 29},  {228, 157},            // left and right Control
      {225, 42},  {229, 54},             // left and right Shift
      {82, 200},  {80, 203},             // up, left
      {79, 205},  {81, 208},             // right, down
      {75, 201},  {78, 209},             // Page Up, Page Down
      {40, 28},   {42, 14},              // Return, Backspace
      {88, 156},  {84, 181},             // pad Enter, pad divide
      {95, 71},   {98, 82},  {99, 83},   // pad 7, pad 0, pad point
      {85, 55},   {86, 74},  {87, 78},   // pad multiply, minus, plus
      {83, 69},                          // Num Lock
      {41, 1},    {43, 15},  {44, 57},   // Escape, Tab, Space
      {226, 56},  {230, 184},            // left and right Alt
      {4, 30},    {20, 16},  {29, 44},   // A, Q, Z
      {30, 2},    {39, 11},              // 1, 0
      {58, 59},   {67, 68},  {68, 87}, {69, 88},  // F1, F10, F11, F12
      {74, 199},  {77, 207}, {73, 210}, {76, 211},  // Home, End, Insert, Delete
  };
  for (const Case& c : cases) EXPECT_EQ(ScanCodeFromSdlScancode(c.sdl), c.code) << "SDL " << c.sdl;
}

TEST(ScanCodeTable, CompleteForMainBlockAndPadAndNoAccidentalSharing) {
  // Letters, digits, the main block, F1..F12, the navigation block, arrows and
  // the numeric pad (SDL 4..99) all have codes.
  for (int sdl = 4; sdl <= 99; ++sdl) EXPECT_NE(ScanCodeFromSdlScancode(sdl), 0) << "SDL " << sdl;
  // Only keys that really are one key to the game share a code: the ISO hash
  // key with backslash, System Request with Print Screen, the two mute keys
  // and the two home-page keys.
  std::set<std::set<int>> allowed = {{49, 50}, {70, 154}, {127, 262}, {264, 269}};
  std::map<uint8_t, std::set<int>> byCode;
  for (int sdl = 0; sdl < platform::kSdlScancodeCount; ++sdl)
    if (uint8_t c = ScanCodeFromSdlScancode(sdl)) byCode[c].insert(sdl);
  for (auto& [code, sdls] : byCode)
    if (sdls.size() > 1) {
      EXPECT_TRUE(allowed.count(sdls)) << "code " << int(code);
    }
  EXPECT_EQ(ScanCodeFromSdlScancode(-1), 0);
  EXPECT_EQ(ScanCodeFromSdlScancode(512), 0);
  EXPECT_EQ(ScanCodeFromSdlScancode(0), 0);
}

TEST(GameChars, Utf8BecomesTheGamesCodePage) {
  EXPECT_EQ(platform::GameCharsFromUtf8("Abc 1"), "Abc 1");
  // Latin-1 letters keep their codes; the euro sign and curly quotes take the
  // code page's 0x80 row.
  EXPECT_EQ(platform::GameCharsFromUtf8("\xC3\xA9\xC3\x9F"), "\xE9\xDF");
  EXPECT_EQ(platform::GameCharsFromUtf8("\xE2\x82\xAC\xE2\x80\x9C"), "\x80\x93");
  EXPECT_EQ(platform::GameCharsFromUtf8("\xC5\x93"), "\x9C");  // oe ligature
  // Characters the code page lacks, and broken sequences, are left out.
  EXPECT_EQ(platform::GameCharsFromUtf8("a\xE4\xB8\xAD" "b"), "ab");         // CJK
  EXPECT_EQ(platform::GameCharsFromUtf8("a\xC3" "b"), "ab");                 // cut short
  EXPECT_EQ(platform::GameCharsFromUtf8("a\xC0\xAF" "b"), "ab");             // overlong
  EXPECT_EQ(platform::GameCharsFromUtf8("a\xED\xA0\x80" "b"), "ab");         // surrogate
  EXPECT_EQ(platform::GameCharsFromUtf8("\xF0\x9F\x98\x80!"), "!");          // emoji
  EXPECT_EQ(platform::GameCharFromCodePoint(0x81), 0);                       // C1 control
}

class HeadlessSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    src.OpenDevice(InputDeviceKind::Keyboard, true);
    src.OpenDevice(InputDeviceKind::Mouse, false);
    src.Acquire(InputDeviceKind::Keyboard);
    src.Acquire(InputDeviceKind::Mouse);
  }
  platform::HeadlessInputSource src;
};

TEST_F(HeadlessSourceTest, AtMostSixteenEventsPerReadInOrder) {
  for (int i = 0; i < 20; ++i) src.PressKey(static_cast<uint8_t>(i + 1));
  platform::KeyEvent ev[platform::kKeyEventsPerPoll];
  ASSERT_EQ(src.ReadKeyEvents(ev), 16);
  EXPECT_EQ(ev[0].key, 1u);
  EXPECT_EQ(ev[15].key, 16u);
  EXPECT_EQ(ev[15].data, 0x80u);
  ASSERT_EQ(src.ReadKeyEvents(ev), 4);
  EXPECT_EQ(ev[0].key, 17u);
  EXPECT_EQ(src.ReadKeyEvents(ev), 0);
}

// A tap shorter than the time between two reads still reads as down once,
// so a check of "down now, up before" sees it; a held key stays down.
TEST_F(HeadlessSourceTest, AKeyTappedBetweenTwoReadsIsSeenOnce) {
  std::array<uint8_t, 256> table{};
  src.PressKey(platform::key::kEscape);
  src.ReleaseKey(platform::key::kEscape);
  src.PressKey(platform::key::kA);
  ASSERT_TRUE(src.ReadKeyTable(table));
  EXPECT_EQ(table[platform::key::kEscape], 0x80);
  EXPECT_EQ(table[platform::key::kA], 0x80);
  ASSERT_TRUE(src.ReadKeyTable(table));
  EXPECT_EQ(table[platform::key::kEscape], 0);
  EXPECT_EQ(table[platform::key::kA], 0x80);
}

TEST_F(HeadlessSourceTest, MouseMotionAndWheelAreSinceTheLastRead) {
  src.MoveMouse(3, -2);
  src.MoveMouse(1, 1);
  src.TurnWheel(2);
  platform::MouseReading m;
  ASSERT_TRUE(src.ReadMouse(m));
  EXPECT_EQ(m.x, 4);
  EXPECT_EQ(m.y, -1);
  EXPECT_EQ(m.wheel, 240);
  ASSERT_TRUE(src.ReadMouse(m));
  EXPECT_EQ(m.x, 0);
  EXPECT_EQ(m.wheel, 0);
}

TEST_F(HeadlessSourceTest, NothingWithoutFocusAndHeldKeysLetGo) {
  src.PressKey(platform::key::kLeftShift);
  platform::KeyEvent ev[16];
  ASSERT_EQ(src.ReadKeyEvents(ev), 1);
  src.SetFocus(false);
  src.PressKey(platform::key::kA);
  src.MoveMouse(5, 5);
  platform::MouseReading m;
  EXPECT_FALSE(src.ReadMouse(m));
  EXPECT_EQ(src.ReadKeyEvents(ev), -1);
  std::array<uint8_t, 256> table{};
  EXPECT_FALSE(src.ReadKeyTable(table));
  // Back in focus and acquired again: only the release of the held key.
  src.SetFocus(true);
  src.Acquire(InputDeviceKind::Keyboard);
  ASSERT_EQ(src.ReadKeyEvents(ev), 1);
  EXPECT_EQ(ev[0].key, platform::key::kLeftShift);
  EXPECT_EQ(ev[0].data, 0u);
  ASSERT_TRUE(src.ReadKeyTable(table));
  EXPECT_EQ(table[platform::key::kA], 0);
}

TEST(InputSourceFactory, HeadlessUnlessReplaced) {
  auto source = platform::CreateInputSource();
  EXPECT_NE(dynamic_cast<platform::HeadlessInputSource*>(source.get()), nullptr);
  auto old = platform::SetInputSourceFactory(
      [] { return std::unique_ptr<platform::InputSource>(); });
  EXPECT_EQ(platform::CreateInputSource(), nullptr);
  platform::SetInputSourceFactory(std::move(old));
}

}  // namespace
