#include "shell/setup_dialogs.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>

#include "console_fixture.h"
#include "engine/core/command_script.h"
#include "engine/core/config_file.h"
#include "platform/dialog_window.h"
#include "shell/game_loop.h"
#include "shell/startup.h"

namespace {

// Presses, one per frame, the controls whose texts are queued; records the
// captions and texts it was shown. Runs out: the window is closed.
class ScriptedUi : public platform::DialogUi {
 public:
  explicit ScriptedUi(std::vector<std::string> presses) : presses_(std::move(presses)) {}
  bool Frame(const platform::DialogFrame& frame) {
    current_ = next_ < presses_.size() ? presses_[next_++] : std::string();
    close_ = current_.empty();
    return frame(*this);
  }
  void SetCaption(std::string_view caption) override { captions.insert(std::string(caption)); }
  void Picture(std::string_view path) override { pictures.insert(std::string(path)); }
  void Image(std::string_view path) override { pictures.insert(std::string(path)); }
  void MoveTo(int, int) override {}
  void Label(std::string_view text) override { texts.insert(std::string(text)); }
  bool Button(std::string_view text, bool enabled) override { return Hit(text, enabled); }
  bool Radio(std::string_view text, bool, bool enabled) override { return Hit(text, enabled); }
  bool Check(std::string_view text, bool& value, bool enabled) override {
    if (!Hit(text, enabled)) return false;
    value = !value;
    return true;
  }
  bool List(std::string_view, const std::vector<std::string>& items, int& selected, bool enabled) override {
    for (size_t i = 0; i < items.size(); ++i) {
      if (Hit(items[i], enabled)) {
        selected = int(i);
        return true;
      }
    }
    return false;
  }
  bool TextField(std::string_view, std::string&) override { return false; }
  bool CloseRequested() override { return close_; }

  std::set<std::string> captions, texts, pictures;

 private:
  bool Hit(std::string_view text, bool enabled) {
    texts.insert(std::string(text));
    if (!enabled || text != current_) return false;
    current_.clear();  // one press per frame
    return true;
  }
  std::vector<std::string> presses_;
  size_t next_ = 0;
  std::string current_;
  bool close_ = false;
};

D3DModeInfo Mode(int32_t w, int32_t h, int32_t depth, int32_t formats = 0) {
  return D3DModeInfo{w, h, depth, 0, formats};
}

// One usable adapter rated 600 with a few modes, and a better one.
D3DAdapterTable TwoAdapters() {
  D3DAdapterTable t{};
  t.count = 2;
  const D3DModeInfo modes0[] = {Mode(640, 480, 16), Mode(1152, 864, 32), Mode(1280, 960, 32, kTexFmtA8R8G8B8),
                                Mode(1280, 1024, 32), Mode(1600, 1200, 16)};
  D3DAdapterInfo& a = t.adapters[0];
  a.valid = true;
  std::strcpy(a.description, "First card");
  a.caps.rating = 600;
  a.modeCount = int32_t(std::size(modes0));
  std::copy(std::begin(modes0), std::end(modes0), a.modes);
  D3DAdapterInfo& b = t.adapters[1];
  b.valid = true;
  std::strcpy(b.description, "Second card");
  b.caps.rating = 10600;
  b.modeCount = 1;
  b.modes[0] = Mode(800, 600, 32, kTexFmtA8R8G8B8);
  return t;
}

std::vector<std::string> TextsOf(const std::vector<SetupListEntry>& entries) {
  std::vector<std::string> out;
  for (const auto& e : entries) out.push_back(e.text);
  return out;
}

class SetupDialogTest : public ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    SetSetupSoundAccess({[] { return std::vector<std::string>{"Speakers", "Headset"}; },
                         [this] { return soundWorks_; }});
  }
  void TearDown() override {
    SetSetupSoundAccess({});
    platform::SetDialogBackend(nullptr);
    ResetLanguageIndex();
    ConsoleTest::TearDown();
  }
  // The launcher driven by presses; returns what it showed.
  ScriptedUi RunLauncher(std::vector<std::string> presses) {
    ScriptedUi ui(std::move(presses));
    platform::SetDialogBackend([&](const platform::DialogSpec&, const platform::DialogFrame& frame) {
      for (int i = 0; i < 50 && ui.Frame(frame); ++i) {
      }
      return true;
    });
    RunState().quit = false;
    ShowSetupDialog();
    return ui;
  }
  // Stored settings naming the first adapter's 32-bit-texture mode.
  static void StoreMode1280x960x32() {
    RendererSettings& r = g_RendererSettings;
    r.device = 0;
    r.width = 1280;
    r.height = 960;
    r.bitDepth = r.texBitDepth = 32;
  }
  bool soundWorks_ = true;
};

TEST(SetupModes, TheFilterTakesWholeMultiplesOfTheThreeBaseSizes) {
  struct Case {
    int32_t w, h;
    bool passes;
  } cases[] = {{1280, 960, true},   {1600, 1200, true}, {1152, 864, false}, {1280, 1024, false},
               {640, 480, true},    {800, 600, true},   {1024, 768, true},  {2048, 1536, true},
               {320, 240, false},   {1600, 900, false}, {0, 0, false}};
  for (const Case& c : cases) EXPECT_EQ(ModePassesFilter(c.w, c.h), c.passes) << c.w << "x" << c.h;
}

TEST(SetupModes, TheResolutionCodeRoundTrips) {
  EXPECT_EQ(EncodeResolution(640, 480, 16), 403200480);
  for (auto [w, h, d] : {std::tuple{640, 480, 16}, {1600, 1200, 32}, {2048, 1536, 32}, {4095, 4999, 16}}) {
    int32_t width, height, depth;
    DecodeResolution(EncodeResolution(w, h, d), width, height, depth);
    EXPECT_EQ(std::tuple(width, height, depth), std::tuple(w, h, d));
  }
  EXPECT_EQ(ResolutionText(640, 480, 16), "640 X 480 X 16");
}

TEST_F(SetupDialogTest, Direct3DListsTheFilteredModesAndKeepsTheStoredOne) {
  const D3DAdapterTable table = TwoAdapters();
  StoreMode1280x960x32();
  ConfigurationDialog dialog(table);
  dialog.Open();
  EXPECT_EQ(TextsOf(dialog.Devices()), (std::vector<std::string>{"First card", "Second card"}));
  EXPECT_EQ(TextsOf(dialog.Resolutions()),
            (std::vector<std::string>{"640 X 480 X 16", "1280 X 960 X 32", "1600 X 1200 X 16"}));
  EXPECT_EQ(dialog.SelectedResolution(), 1);
  EXPECT_TRUE(dialog.Texture32Allowed());
  EXPECT_EQ(g_RendererSettings.texBitDepth, 32);

  // A mode without 32-bit textures forces 16.
  dialog.SelectResolution(2);
  EXPECT_EQ(std::tuple(g_RendererSettings.width, g_RendererSettings.height, int(g_RendererSettings.bitDepth)),
            std::tuple(1600, 1200, 16));
  EXPECT_FALSE(dialog.Texture32Allowed());
  EXPECT_EQ(g_RendererSettings.texBitDepth, 16);
  dialog.SelectResolution(7);  // out of the list: nothing changes
  EXPECT_EQ(g_RendererSettings.width, 1600);

  // The other adapter: its list, its first mode chosen.
  dialog.SelectDevice(1);
  EXPECT_EQ(g_RendererSettings.device, 1);
  EXPECT_EQ(TextsOf(dialog.Resolutions()), (std::vector<std::string>{"800 X 600 X 32"}));
  EXPECT_EQ(g_RendererSettings.width, 800);
}

TEST_F(SetupDialogTest, AStoredAdapterThatIsGoneGivesWayToTheBest) {
  const D3DAdapterTable table = TwoAdapters();
  for (int32_t stored : {-1, 2, 99}) {
    g_RendererSettings.device = stored;
    ConfigurationDialog dialog(table);
    dialog.Open();
    EXPECT_EQ(g_RendererSettings.device, 1) << stored;
    EXPECT_EQ(dialog.SelectedDevice(), 1);
  }
}

TEST_F(SetupDialogTest, SoftwareListsOnlyItsOwnMode) {
  const D3DAdapterTable table = TwoAdapters();
  StoreMode1280x960x32();
  ConfigurationDialog dialog(table);
  dialog.Open();
  dialog.SelectApi(kApiSoftware);
  EXPECT_EQ(TextsOf(dialog.Devices()), (std::vector<std::string>{"Tarnwell Software Rasterizer"}));
  EXPECT_EQ(TextsOf(dialog.Resolutions()), (std::vector<std::string>{"640 X 480 X 16"}));
  EXPECT_EQ(std::tuple(g_RendererSettings.width, g_RendererSettings.height, int(g_RendererSettings.bitDepth)),
            std::tuple(640, 480, 16));
  EXPECT_FALSE(dialog.Texture32Allowed());
  EXPECT_EQ(g_RendererSettings.texBitDepth, 16);
}

TEST_F(SetupDialogTest, WithoutAUsableAdapterTheSoftwareRendererIsForced) {
  D3DAdapterTable table = TwoAdapters();
  table.adapters[0].valid = table.adapters[1].valid = false;
  EXPECT_EQ(BestRatedAdapter(table), -1);
  g_RendererSettings.api = kApiDirect3D;
  g_RendererSettings.texDetail = 2;
  ConfigurationDialog dialog(table);
  dialog.Open();
  EXPECT_EQ(g_RendererSettings.api, kApiSoftware);
  EXPECT_EQ(g_RendererSettings.texDetail, 0);
  EXPECT_FALSE(dialog.Direct3DAllowed());
  dialog.SelectApi(kApiDirect3D);
  EXPECT_EQ(g_RendererSettings.api, kApiSoftware);

  // The best rating wins among usable adapters only.
  table = TwoAdapters();
  EXPECT_EQ(BestRatedAdapter(table), 1);
  table.adapters[1].valid = false;
  EXPECT_EQ(BestRatedAdapter(table), 0);
}

TEST_F(SetupDialogTest, AFailingSoundDeviceKeepsSoundOff) {
  std::strcpy(g_SoundSettings.deviceDescription, "Headset");
  soundWorks_ = false;
  const D3DAdapterTable table = TwoAdapters();
  ConfigurationDialog dialog(table);
  dialog.Open();
  EXPECT_EQ(g_SoundSettings.deviceIndex, 1);
  EXPECT_FALSE(dialog.SoundOn());
  EXPECT_TRUE(dialog.SoundForcedOff());
  dialog.SetNoSound(false);  // tested again, fails again
  EXPECT_FALSE(dialog.SoundOn());
  soundWorks_ = true;
  dialog.SetNoSound(false);
  EXPECT_TRUE(dialog.SoundOn());
  dialog.SelectSoundDevice(0);
  EXPECT_STREQ(g_SoundSettings.deviceDescription, "Speakers");
}

TEST_F(SetupDialogTest, SafeModeSettingsAreTheListedOnes) {
  for (bool software : {true, false}) {
    ResetSystemSettings();
    g_RendererSettings = RendererSettings{kApiTest, 1600, 1200, 32, 16, 32};
    g_SoundSettings.deviceIndex = 3;
    ApplySafeModeSettings(software);
    const RendererSettings& r = g_RendererSettings;
    EXPECT_EQ(std::tuple(r.api, r.width, r.height, int(r.bitDepth), int(r.texBitDepth), r.device, r.texDetail),
              std::tuple(software ? kApiSoftware : kApiDirect3D, 640, 480, 16, 16, 0, 0));
    const SoundSettings& s = g_SoundSettings;
    EXPECT_EQ(std::tuple(s.deviceIndex, int(s.avail), int(s.music), int(s.no3d), int(s.shware)),
              std::tuple(0, 1, 1, 1, 0));
    EXPECT_STREQ(s.deviceDescription, "Primary Sound Driver");
    EXPECT_TRUE(g_StartupOptions.noMovie);
  }
}

TEST_F(SetupDialogTest, HeadlessTheLauncherTakesPlay) {
  RunState().quit = false;
  RunState().startMode = 1;
  ShowSetupDialog();
  EXPECT_EQ(RunState().startMode, 0);
  EXPECT_FALSE(RunState().quit);
}

TEST_F(SetupDialogTest, ConfigurationAndAdvancedChoicesReachConfigCfg) {
  std::ofstream(root_ / "config.cfg") << "SysSetup api D3D\n";
  ScriptedUi ui = RunLauncher({"Configuration", "Software", "Low", "Done", "Advanced Options",
                               "Windowed mode", "Disable fog", "OK", "Play"});
  EXPECT_FALSE(RunState().quit);
  EXPECT_EQ(RunState().startMode, 0);
  EXPECT_TRUE(ui.pictures.count("gamedata\\loading.bmp"));
  EXPECT_TRUE(ui.texts.count("Rentopia Civano v1.2 (#532)"));
  EXPECT_TRUE(ui.captions.count("Configuration") && ui.captions.count("Advanced Options"));

  ResetSystemSettings();
  RegisterConsoleCommands();
  ReadParameterFile(kConfigFileName);
  EXPECT_EQ(g_RendererSettings.api, kApiSoftware);
  EXPECT_EQ(g_RendererSettings.texDetail, 0);
  EXPECT_EQ(g_RendererSettings.windowed, 1);
  EXPECT_EQ(g_RendererSettings.fog, 0);
  EXPECT_EQ(g_RendererSettings.width, 640);
}

TEST_F(SetupDialogTest, ExitAndClosingSetTheQuitFlag) {
  RunLauncher({"Exit"});
  EXPECT_TRUE(RunState().quit);
  RunLauncher({});  // the window closed
  EXPECT_TRUE(RunState().quit);
  RunState().quit = false;
}

TEST_F(SetupDialogTest, TheDialogsSpeakTheChosenLanguage) {
  SetLanguageIndex("ger");
  ScriptedUi ui = RunLauncher({"Konfiguration", "Fertig", "Spielen"});
  EXPECT_FALSE(RunState().quit);
  EXPECT_TRUE(ui.texts.count("Bildschirmaufl\xC3\xB6sung"));
  EXPECT_TRUE(std::filesystem::exists(root_ / "config.cfg"));
}

// The editor's button is a text of the chosen language like the others.
TEST_F(SetupDialogTest, TheEditorButtonSpeaksTheChosenLanguageAndStartsTheEditor) {
  SetLanguageIndex("ger");
  RunState().startMode = 0;
  RunLauncher({"Geb\xC3\xA4ude-Editor"});
  EXPECT_EQ(RunState().startMode, 2);
  EXPECT_FALSE(RunState().quit);
  RunState().startMode = 0;
}

}  // namespace
