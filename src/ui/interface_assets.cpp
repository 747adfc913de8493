#include "ui/interface_assets.h"

#include <vector>

#include "engine/core/console.h"
#include "engine/core/error.h"
#include "engine/core/system_settings.h"
#include "engine/files/file_bytes.h"
#include "engine/files/text_bank.h"
#include "engine/files/texture_file.h"
#include "platform/settings_store.h"
#include "ui/cursors.h"
#include "ui/game_panels.h"
#include "ui/glyph_batcher.h"
#include "ui/ui_services.h"

namespace {

constexpr const char* kFontTables[] = {
    "gamedata\\fonts\\cust640p",           "gamedata\\fonts\\tahoma12bldnoantip",
    "gamedata\\fonts\\tahoma11noantip",    "gamedata\\fonts\\tahoma10bldnoantip",
    "gamedata\\fonts\\coppgoth23p",        "gamedata\\fonts\\Copperplate18boldp",
};

bool ReadSet(const std::string& name, std::vector<TextureImage>& images) {
  std::vector<uint8_t> bytes;
  std::string reason;
  if (!ReadWholeGameFile(name, bytes) || !ParseGtdFile(bytes, images, reason)) {
    ReportErrorF(1, "Interface texture set %.200s cannot be read", name.c_str());
    return false;
  }
  return true;
}

// Registers a set's textures, appending their slots to `slots`.
bool RegisterSet(const std::string& name, std::vector<int32_t>& slots) {
  std::vector<TextureImage> images;
  if (!ReadSet(name, images)) return false;
  for (TextureImage& image : images) slots.push_back(TexRegisterImage(std::move(image)));
  return true;
}

std::string SizedSet(const char* folder, int32_t displayWidth) {
  return std::string("gamedata2\\") + folder + std::to_string(ScreenSizeVariant(displayWidth)) +
         "\\textures.gtd";
}

std::string& LanguageStorage() {
  static std::string language(platform::kDefaultLanguage);
  return language;
}

std::string LanguageBank(std::string_view language) {
  return "language\\" + std::string(language) + "\\civano";
}

}  // namespace

const std::string& InterfaceLanguage() { return LanguageStorage(); }

CTextSystem& InterfaceTextSystem() {
  static CTextSystem text;
  return text;
}

bool LoadInterfaceFonts(std::string_view language, int32_t displayWidth) {
  CTextSystem& text = InterfaceTextSystem();
  Ui().text = &text;
  const std::string bank = LanguageBank(language);
  const std::string english = LanguageBank(platform::kDefaultLanguage);
  bool own = false, englishRead = false;
  if (!text.LoadTextBankFile(bank, english, &own, &englishRead)) {
    ReportErrorF(1, "The text bank %.200s cannot be read", english.c_str());
    return false;
  }
  LanguageStorage() = own ? std::string(language) : std::string(platform::kDefaultLanguage);
  if (!own && bank != english) SayTextBankUnreadable(bank, "the texts are in English");
  if (!englishRead) SayTextBankUnreadable(english, "texts the " + std::string(language) + " bank lacks are empty");
  InstallGlyphBatcher();
  bool ok = true;
  for (int32_t slot = 0; slot < int32_t(std::size(kFontTables)); ++slot) {
    if (!text.LoadCharTable(slot, kFontTables[slot])) {
      ReportErrorF(1, "The font %.200s cannot be read", kFontTables[slot]);
      ok = false;
    }
  }
  Ui().fontTextures.clear();
  ok = RegisterSet(SizedSet("font", displayWidth), Ui().fontTextures) && ok;
  text.SetCurrencyTexts(2234, 2235);
  text.SelectFont(0);
  return ok;
}

bool LoadInterfaceImages(int32_t displayWidth) {
  Ui().imageTable.clear();
  const bool plain = RegisterSet("gamedata2\\GenericTextures\\textures.gtd", Ui().imageTable);
  return RegisterSet(SizedSet("GenericTextures", displayWidth), Ui().imageTable) && plain;
}

bool LoadCursorImages() {
  std::vector<TextureImage> images;
  if (!ReadSet("gamedata2\\Cursors\\textures.gtd", images)) return false;
  // The window system takes its copies first; registering takes the texels.
  CreateSystemCursors(images);
  std::vector<int32_t> slots;
  for (TextureImage& image : images) slots.push_back(TexRegisterImage(std::move(image)));
  SetCursorTextures(slots);
  return images.size() >= size_t(kCursorCount);
}

bool LoadHudLayouts() {
  std::vector<LayoutModel> models;
  const bool ok = LoadLayoutModels(kHudLayoutFiles, models);
  GamePanels().SetLayoutModels(std::move(models));
  return ok;
}

void LoadInterfaceAssets(std::string_view language, int32_t displayWidth) {
  LoadInterfaceFonts(language, displayWidth);
  LoadInterfaceImages(displayWidth);
  LoadCursorImages();
  LoadHudLayouts();
}
