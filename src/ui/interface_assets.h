#pragma once
// What the interface loads at start-up: the text bank and the six fonts with
// their glyph textures for the screen size, the generic interface images
// (the UI image table), the cursor images and the HUD layout models. Each
// part reports what it cannot read and leaves its table empty.
#include <cstdint>
#include <string>
#include <string_view>

class CTextSystem;

// The text system the interface draws with (made on first use).
CTextSystem& InterfaceTextSystem();

// The language's text bank (language\<name>\civano) with every text it
// lacks in English, then the fonts. A bank that does not read leaves the
// English one, with a line on the console.
bool LoadInterfaceFonts(std::string_view language, int32_t displayWidth);
// The language folder the interface's texts were loaded from ("usa" before).
const std::string& InterfaceLanguage();
bool LoadInterfaceImages(int32_t displayWidth);
bool LoadCursorImages();
// Loads the 16 HUD layouts into the in-game panel set.
bool LoadHudLayouts();
// All of the above, in that order.
void LoadInterfaceAssets(std::string_view language, int32_t displayWidth);
