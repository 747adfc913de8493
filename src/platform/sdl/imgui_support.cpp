#include "platform/sdl/imgui_support.h"

#include <SDL.h>

namespace platform {

namespace {

constexpr const char* kFaces[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/TTF/DejaVuSans.ttf",
    "/usr/share/fonts/dejavu/DejaVuSans.ttf",
};

}  // namespace

void LoadImGuiFont(float size) {
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;
  for (const char* path : kFaces) {
    if (SDL_RWops* f = SDL_RWFromFile(path, "rb")) {
      SDL_RWclose(f);
      io.Fonts->AddFontFromFileTTF(path, size, nullptr, io.Fonts->GetGlyphRangesDefault());
      return;
    }
  }
}

}  // namespace platform
