#include "shell/setup_dialogs.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/core/config_file.h"
#include "platform/dialog_window.h"
#include "platform/paths.h"
#include "shell/game_loop.h"
#include "shell/startup_messages.h"

namespace {

constexpr int32_t kDepthFactor = 25000000;
constexpr int32_t kWidthFactor = 5000;
constexpr const char* kLauncherPicture = "gamedata\\loading.bmp";
constexpr const char* kTitle = "Rentopia Civano";
constexpr int kVersionMajor = 1, kVersionMinor = 2, kVersionBuild = 532;

// Message ids of the control texts.
enum : int32_t {
  kMsgRenderer = 0, kMsgDirect3D = 1, kMsgSoftwareRasterizer = 2, kMsgSoftware = 3,
  kMsgDevice = 4, kMsgResolution = 5, kMsgSound = 6, kMsgDone = 7, kMsgNoSound = 8,
  kMsgNoMusic = 9, kMsgTextureDepth = 10, kMsg16Bit = 11, kMsg32Bit = 12, kMsgTextureDetail = 13,
  kMsgDetailLow = 14, kMsgPlay = 18, kMsgConfiguration = 19, kMsgExit = 20, kMsgAdvanced = 23,
  kMsgAdvancedNote = 24, kMsgMiscellaneous = 25, kMsgSoundGroup = 26, kMsgVideo = 27,
  kMsgNoMovie = 28, kMsgWindowed = 29, kMsgNoHardwareMixing = 30, kMsgNo3dSound = 31,
  kMsgNoFog = 32, kMsgNoMultiTexture = 33, kMsgNoBillboards = 34,
  kMsgBuildingEditor = 42,  // start mode 2, a developer's choice
  kMsgTagline = 43,
};

SetupSoundAccess& SoundAccess() {
  static SetupSoundAccess access;
  return access;
}

bool TestChosenSoundDevice() { return SoundAccess().test && SoundAccess().test(); }

bool IsSoftwareApi(int32_t api) { return api == kApiSoftware || api == kApiTest; }

bool ConfigFileExists() {
  std::FILE* f = platform::OpenGameFile(kConfigFileName, "r");
  if (!f) return false;
  std::fclose(f);
  return true;
}

void CopyDescription(const std::string& text) {
  std::snprintf(g_SoundSettings.deviceDescription, sizeof g_SoundSettings.deviceDescription, "%s",
                text.c_str());
}

std::vector<std::string> Texts(const std::vector<SetupListEntry>& entries) {
  std::vector<std::string> out;
  for (const SetupListEntry& e : entries) out.push_back(e.text);
  return out;
}

// A check box that shows the inverse of a stored switch ("Disable ...").
void InverseCheck(platform::DialogUi& ui, int32_t message, uint8_t& on, bool enabled = true) {
  bool disabled = on == 0;
  if (ui.Check(GetStartupMessage(message), disabled, enabled)) on = disabled ? 0 : 1;
}

void PlainCheck(platform::DialogUi& ui, int32_t message, uint8_t& on, bool enabled = true) {
  bool value = on != 0;
  if (ui.Check(GetStartupMessage(message), value, enabled)) on = value ? 1 : 0;
}

}  // namespace

int32_t EncodeResolution(int32_t width, int32_t height, int32_t depth) {
  return depth * kDepthFactor + width * kWidthFactor + height;
}

void DecodeResolution(int32_t code, int32_t& width, int32_t& height, int32_t& depth) {
  depth = code / kDepthFactor;
  width = (code % kDepthFactor) / kWidthFactor;
  height = code % kWidthFactor;
}

std::string ResolutionText(int32_t width, int32_t height, int32_t depth) {
  char text[48];
  std::snprintf(text, sizeof text, "%i X %i X %i", width, height, depth);
  return text;
}

bool ModePassesFilter(int32_t width, int32_t height) {
  if (width < 640 || height < 480) return false;
  auto multiple = [&](int32_t baseWidth, int32_t baseHeight) {
    return width >= baseWidth && width % baseWidth == 0 && height >= baseHeight &&
           height % baseHeight == 0;
  };
  return multiple(640, 480) || multiple(800, 600) || multiple(1024, 768);
}

int32_t BestRatedAdapter(const D3DAdapterTable& table) {
  int32_t best = -1;
  for (int32_t i = 0; i < table.count && i < kMaxD3DAdapters; ++i) {
    const D3DAdapterInfo& a = table.adapters[i];
    if (a.valid && (best < 0 || a.caps.rating > table.adapters[best].caps.rating)) best = i;
  }
  return best;
}

void ChooseDefaultDevice(const D3DAdapterTable& table, RendererSettings& settings) {
  const int32_t best = BestRatedAdapter(table);
  if (best >= 0) {
    settings.device = best;
    return;
  }
  settings.api = kApiSoftware;
  settings.texDetail = 0;
}

void SetSetupSoundAccess(SetupSoundAccess access) { SoundAccess() = std::move(access); }

// ---- Configuration dialog ---------------------------------------------------

ConfigurationDialog::ConfigurationDialog(const D3DAdapterTable& table) : table_(table) {}

void ConfigurationDialog::Open() {
  soundDevices_ = SoundAccess().enumerate ? SoundAccess().enumerate() : std::vector<std::string>{};
  int soundIndex = 0;
  for (size_t i = 0; i < soundDevices_.size(); ++i)
    if (soundDevices_[i] == g_SoundSettings.deviceDescription) soundIndex = int(i);
  if (!soundDevices_.empty()) SelectSoundDevice(soundIndex);
  if (!TestChosenSoundDevice()) {
    soundForcedOff_ = true;
    g_SoundSettings.avail = 1;
  }
  RendererSettings& r = g_RendererSettings;
  // A stored adapter that is still usable stays chosen; otherwise the best.
  const int32_t best = BestRatedAdapter(table_);
  direct3dAllowed_ = best >= 0;
  if (!direct3dAllowed_) {
    ChooseDefaultDevice(table_, r);
    r.texBitDepth = 16;
  } else if (r.device < 0 || r.device >= table_.count || !table_.adapters[r.device].valid) {
    r.device = best;
  }
  FillLists();
}

void ConfigurationDialog::FillLists() {
  devices_.clear();
  if (IsSoftwareApi(g_RendererSettings.api) || !direct3dAllowed_) {
    devices_.push_back({GetStartupMessage(kMsgSoftwareRasterizer), 0});
    selectedDevice_ = 0;
    resolutions_ = {{ResolutionText(640, 480, 16), EncodeResolution(640, 480, 16)}};
    SelectResolution(0);
    return;
  }
  for (int32_t i = 0; i < table_.count && i < kMaxD3DAdapters; ++i) {
    if (!table_.adapters[i].valid) continue;
    devices_.push_back({table_.adapters[i].description, i});
    if (i == g_RendererSettings.device) selectedDevice_ = int(devices_.size()) - 1;
  }
  FillResolutions();
}

void ConfigurationDialog::FillResolutions() {
  const RendererSettings& r = g_RendererSettings;
  resolutions_.clear();
  if (r.device < 0 || r.device >= table_.count || r.device >= kMaxD3DAdapters) {
    selectedResolution_ = -1;
    return;
  }
  const D3DAdapterInfo& adapter = table_.adapters[r.device];
  for (int32_t i = 0; i < adapter.modeCount && i < kMaxD3DModes; ++i) {
    const D3DModeInfo& m = adapter.modes[i];
    if (ModePassesFilter(m.width, m.height))
      resolutions_.push_back({ResolutionText(m.width, m.height, m.depth),
                              EncodeResolution(m.width, m.height, m.depth)});
  }
  const std::string current = ResolutionText(r.width, r.height, r.bitDepth);
  int chosen = 0;
  for (size_t i = 0; i < resolutions_.size(); ++i)
    if (resolutions_[i].text == current) chosen = int(i);
  if (resolutions_.empty()) {
    selectedResolution_ = -1;
    SettleTextureDepth();
    return;
  }
  SelectResolution(chosen);
}

void ConfigurationDialog::SettleTextureDepth() {
  const RendererSettings& r = g_RendererSettings;
  texture32Allowed_ = !IsSoftwareApi(r.api) &&
                      D3DModeHasA8R8G8B8(table_, r.device, r.width, r.height, r.bitDepth);
  if (!texture32Allowed_) g_RendererSettings.texBitDepth = 16;
}

void ConfigurationDialog::SelectApi(int32_t api) {
  if (api == kApiDirect3D && !direct3dAllowed_) return;
  g_RendererSettings.api = api;
  FillLists();
}

void ConfigurationDialog::SelectDevice(int index) {
  if (index < 0 || size_t(index) >= devices_.size()) return;
  selectedDevice_ = index;
  if (IsSoftwareApi(g_RendererSettings.api)) return;
  g_RendererSettings.device = devices_[index].data;
  FillResolutions();
}

void ConfigurationDialog::SelectResolution(int index) {
  if (index < 0 || size_t(index) >= resolutions_.size()) return;
  selectedResolution_ = index;
  int32_t width, height, depth;
  DecodeResolution(resolutions_[index].data, width, height, depth);
  RendererSettings& r = g_RendererSettings;
  r.width = width;
  r.height = height;
  r.bitDepth = uint8_t(depth);
  SettleTextureDepth();
}

void ConfigurationDialog::SetNoSound(bool noSound) {
  if (!noSound && !TestChosenSoundDevice()) {
    soundForcedOff_ = true;
    noSound = true;
  } else if (!noSound) {
    soundForcedOff_ = false;
  }
  g_SoundSettings.avail = noSound ? 1 : 0;
}

void ConfigurationDialog::SelectSoundDevice(int index) {
  if (index < 0 || size_t(index) >= soundDevices_.size()) return;
  g_SoundSettings.deviceIndex = index;
  CopyDescription(soundDevices_[index]);
}

bool ConfigurationDialog::Done() { return WriteConfigFile(); }

bool ConfigurationDialog::Frame(platform::DialogUi& ui) {
  RendererSettings& r = g_RendererSettings;
  ui.SetCaption(GetStartupMessage(kMsgConfiguration));
  ui.MoveTo(12, 10);
  ui.Label(GetStartupMessage(kMsgRenderer));
  if (ui.Radio(GetStartupMessage(kMsgDirect3D), r.api == kApiDirect3D, direct3dAllowed_))
    SelectApi(kApiDirect3D);
  if (ui.Radio(GetStartupMessage(kMsgSoftware), r.api == kApiSoftware)) SelectApi(kApiSoftware);
  ui.Label(GetStartupMessage(kMsgDevice));
  int device = selectedDevice_;
  if (ui.List("##device", Texts(devices_), device, direct3dAllowed_)) SelectDevice(device);
  ui.Label(GetStartupMessage(kMsgResolution));
  int resolution = selectedResolution_;
  if (ui.List("##resolution", Texts(resolutions_), resolution)) SelectResolution(resolution);

  ui.MoveTo(300, 10);
  ui.Label(GetStartupMessage(kMsgTextureDepth));
  if (ui.Radio(GetStartupMessage(kMsg16Bit), r.texBitDepth == 16)) r.texBitDepth = 16;
  if (ui.Radio(GetStartupMessage(kMsg32Bit), r.texBitDepth == 32, texture32Allowed_))
    r.texBitDepth = 32;
  ui.Label(GetStartupMessage(kMsgTextureDetail));
  for (int32_t level = 0; level < 3; ++level)
    if (ui.Radio(GetStartupMessage(kMsgDetailLow + level), r.texDetail == level))
      r.texDetail = level;

  ui.MoveTo(12, 250);
  ui.Label(GetStartupMessage(kMsgSound));
  bool noSound = !SoundOn();
  if (ui.Check(GetStartupMessage(kMsgNoSound), noSound)) SetNoSound(noSound);
  bool noMusic = g_SoundSettings.music == 0;
  if (ui.Check(GetStartupMessage(kMsgNoMusic), noMusic, SoundOn()))
    g_SoundSettings.music = noMusic ? 0 : 1;
  ui.Label(GetStartupMessage(kMsgDevice));
  int sound = g_SoundSettings.deviceIndex;
  if (ui.List("##sounddevice", soundDevices_, sound, SoundOn())) SelectSoundDevice(sound);

  ui.MoveTo(440, 380);
  if (ui.Button(GetStartupMessage(kMsgDone))) {
    Done();
    return false;
  }
  return !ui.CloseRequested();
}

// ---- Advanced dialog -----------------------------------------------------------

bool AdvancedDialogFrame(platform::DialogUi& ui) {
  RendererSettings& r = g_RendererSettings;
  SoundSettings& s = g_SoundSettings;
  const bool soundOn = s.avail == 0;
  ui.SetCaption(GetStartupMessage(kMsgAdvanced));
  ui.MoveTo(12, 10);
  ui.Label(GetStartupMessage(kMsgAdvancedNote));
  ui.MoveTo(12, 90);
  ui.Label(GetStartupMessage(kMsgSoundGroup));
  InverseCheck(ui, kMsgNoHardwareMixing, s.shware, soundOn);
  PlainCheck(ui, kMsgNo3dSound, s.no3d, soundOn);
  ui.Label(GetStartupMessage(kMsgVideo));
  PlainCheck(ui, kMsgWindowed, r.windowed);
  InverseCheck(ui, kMsgNoFog, r.fog);
  InverseCheck(ui, kMsgNoMultiTexture, r.multiTexture);
  InverseCheck(ui, kMsgNoBillboards, r.halos);
  ui.Label(GetStartupMessage(kMsgMiscellaneous));
  bool noMovie = g_StartupOptions.noMovie;
  if (ui.Check(GetStartupMessage(kMsgNoMovie), noMovie)) g_StartupOptions.noMovie = noMovie;
  ui.MoveTo(440, 380);
  if (ui.Button("OK")) {
    WriteConfigFile();
    return false;
  }
  return !ui.CloseRequested();
}

// ---- Launcher ------------------------------------------------------------------------

void ShowSetupDialog() {
  GameRunState& run = RunState();
  run.startMode = g_StartupOptions.buildingEditor ? 2 : 0;
  if (!ConfigFileExists()) {
    D3DEnumerateDevices();
    ChooseDefaultDevice(GetD3DAdapterTable(), g_RendererSettings);
  }
  enum class Page { Launcher, Configuration, Advanced } page = Page::Launcher;
  std::unique_ptr<ConfigurationDialog> configuration;
  char version[96];
  std::snprintf(version, sizeof version, "%s v%i.%i (#%i)", kTitle, kVersionMajor, kVersionMinor,
                kVersionBuild);
  bool quit = false;
  const bool shown = platform::RunDialogWindow({kTitle, 560, 420, ""}, [&](platform::DialogUi& ui) {
    switch (page) {
      case Page::Configuration:
        if (!configuration->Frame(ui)) page = Page::Launcher;
        return true;
      case Page::Advanced:
        if (!AdvancedDialogFrame(ui)) page = Page::Launcher;
        return true;
      case Page::Launcher:
        break;
    }
    ui.SetCaption(kTitle);
    ui.Picture(kLauncherPicture);
    // Under the picture's title, in the player's language.
    ui.CentredLine(GetStartupMessage(kMsgTagline), 112);
    ui.MoveTo(12, 390);
    ui.Label(version);
    ui.MoveTo(400, 250);
    if (ui.Button(GetStartupMessage(kMsgPlay))) return false;
    if (ui.Button(GetStartupMessage(kMsgBuildingEditor))) {
      run.startMode = 2;
      return false;
    }
    if (ui.Button(GetStartupMessage(kMsgConfiguration))) {
      D3DEnumerateDevices();
      configuration = std::make_unique<ConfigurationDialog>(GetD3DAdapterTable());
      configuration->Open();
      page = Page::Configuration;
    }
    if (ui.Button(GetStartupMessage(kMsgAdvanced))) page = Page::Advanced;
    if (ui.Button(GetStartupMessage(kMsgExit)) || ui.CloseRequested()) {
      quit = true;
      return false;
    }
    return true;
  });
  if (shown && quit) run.quit = true;
}
