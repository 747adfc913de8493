#pragma once
// The set-up dialogs shown before the game window: the launcher (picture,
// version, Play / Configuration / Advanced Options / Exit), the configuration
// dialog (renderer, adapter, resolution, texture depth and detail, sound
// device) and the advanced options. They edit the set-up settings in place
// and write them to config.cfg.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/system_settings.h"
#include "engine/render/d3d_device.h"

namespace platform {
class DialogUi;
}

// A display mode in one number: depth x 25,000,000 + width x 5000 + height.
int32_t EncodeResolution(int32_t width, int32_t height, int32_t depth);
void DecodeResolution(int32_t code, int32_t& width, int32_t& height, int32_t& depth);
// "640 X 480 X 16".
std::string ResolutionText(int32_t width, int32_t height, int32_t depth);
// The modes offered: at least 640 x 480 and a whole multiple of 640 x 480,
// 800 x 600 or 1024 x 768.
bool ModePassesFilter(int32_t width, int32_t height);
// The usable adapter with the largest rating; -1 when there is none.
int32_t BestRatedAdapter(const D3DAdapterTable& table);
// With no usable adapter, the software renderer at low texture detail.
void ChooseDefaultDevice(const D3DAdapterTable& table, RendererSettings& settings);

// The sound device choice, given by the sound layer (none: no devices, and
// the test fails).
struct SetupSoundAccess {
  std::function<std::vector<std::string>()> enumerate;
  std::function<bool()> test;  // opens the device g_SoundSettings names
};
void SetSetupSoundAccess(SetupSoundAccess access);

struct SetupListEntry {
  std::string text;
  int32_t data = 0;
};

// The configuration dialog's state over the program-wide settings.
class ConfigurationDialog {
 public:
  explicit ConfigurationDialog(const D3DAdapterTable& table);
  // Fills the lists, tests the sound device and settles the renderer.
  void Open();

  const std::vector<SetupListEntry>& Devices() const { return devices_; }
  const std::vector<SetupListEntry>& Resolutions() const { return resolutions_; }
  const std::vector<std::string>& SoundDevices() const { return soundDevices_; }
  int SelectedDevice() const { return selectedDevice_; }
  int SelectedResolution() const { return selectedResolution_; }
  bool Direct3DAllowed() const { return direct3dAllowed_; }
  bool Texture32Allowed() const { return texture32Allowed_; }
  bool SoundOn() const { return g_SoundSettings.avail == 0; }
  bool SoundForcedOff() const { return soundForcedOff_; }

  void SelectApi(int32_t api);
  void SelectDevice(int index);
  void SelectResolution(int index);
  void SetNoSound(bool noSound);
  void SelectSoundDevice(int index);
  // Done: config.cfg written; false when it could not be.
  bool Done();

  // Draws the dialog and applies what the user did; false once it has ended.
  bool Frame(platform::DialogUi& ui);

 private:
  void FillLists();
  void FillResolutions();
  void SettleTextureDepth();

  const D3DAdapterTable& table_;
  std::vector<SetupListEntry> devices_, resolutions_;
  std::vector<std::string> soundDevices_;
  int selectedDevice_ = 0, selectedResolution_ = 0;
  bool direct3dAllowed_ = true, texture32Allowed_ = true, soundForcedOff_ = false;
};

// The advanced options; false once OK has been pressed.
bool AdvancedDialogFrame(platform::DialogUi& ui);

// The launcher, run until Play, Exit or close: sets the run state's start
// mode (Play) or quit flag (Exit, close). With no dialog window (headless)
// Play is taken at once.
void ShowSetupDialog();
