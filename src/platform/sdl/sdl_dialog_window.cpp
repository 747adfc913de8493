// The dialog window on Dear ImGui in a small SDL window with an OpenGL 2
// context: the set-up dialogs and the installer run before any game window.
#include <SDL.h>
#include <SDL_opengl.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui_stdlib.h>

#include <map>
#include <string>

#include "platform/dialog_window.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/window.h"
#include "platform/sdl/imgui_support.h"

namespace platform {
namespace {

struct Picture {
  GLuint texture = 0;
  int width = 0, height = 0;
  bool failed = false;
};

class ImGuiDialogUi : public DialogUi {
 public:
  explicit ImGuiDialogUi(SDL_Window* window) : window_(window) {}
  ~ImGuiDialogUi() override {
    for (auto& [path, picture] : pictures_)
      if (picture.texture) glDeleteTextures(1, &picture.texture);
  }

  void SetCaption(std::string_view caption) override {
    if (caption == caption_) return;
    caption_ = caption;
    SDL_SetWindowTitle(window_, caption_.c_str());
  }
  void Picture(std::string_view path) override {
    const struct Picture& picture = Find(path);
    if (!picture.texture) return;
    ImGui::GetBackgroundDrawList()->AddImage(TextureId(picture), ImVec2(0, 0),
                                             ImGui::GetIO().DisplaySize);
  }
  void Image(std::string_view path) override {
    ImGui::SetCursorPosX(column_);
    const struct Picture& picture = Find(path);
    if (picture.texture) ImGui::Image(TextureId(picture), ImVec2(float(picture.width), float(picture.height)));
  }
  // Controls after a MoveTo stay in its column, one below another.
  void MoveTo(int x, int y) override {
    column_ = float(x);
    ImGui::SetCursorPos(ImVec2(column_, float(y)));
  }
  void Label(std::string_view text) override {
    ImGui::SetCursorPosX(column_);
    ImGui::PushTextWrapPos(ImGui::GetIO().DisplaySize.x - 16);
    ImGui::TextUnformatted(text.data(), text.data() + text.size());
    ImGui::PopTextWrapPos();
  }
  void CentredLine(std::string_view text, int y) override {
    // Larger than the controls' text, dark on the picture's light sky.
    ImGui::SetWindowFontScale(1.4f);
    const ImVec2 size = ImGui::CalcTextSize(text.data(), text.data() + text.size());
    ImGui::SetCursorPos(ImVec2((ImGui::GetIO().DisplaySize.x - size.x) / 2, float(y)));
    ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(0x22, 0x32, 0x4A, 0xFF));
    ImGui::TextUnformatted(text.data(), text.data() + text.size());
    ImGui::PopStyleColor();
    ImGui::SetWindowFontScale(1.0f);
  }
  bool Button(std::string_view text, bool enabled) override {
    ImGui::SetCursorPosX(column_);
    ImGuiEnabledScope e(enabled);
    return ImGui::Button(Id(text).c_str(), ImVec2(140, 0));
  }
  bool Radio(std::string_view text, bool selected, bool enabled) override {
    ImGui::SetCursorPosX(column_);
    ImGuiEnabledScope e(enabled);
    return ImGui::RadioButton(Id(text).c_str(), selected) && !selected;
  }
  bool Check(std::string_view text, bool& value, bool enabled) override {
    ImGui::SetCursorPosX(column_);
    ImGuiEnabledScope e(enabled);
    return ImGui::Checkbox(Id(text).c_str(), &value);
  }
  bool List(std::string_view id, const std::vector<std::string>& items, int& selected,
            bool enabled) override {
    ImGui::SetCursorPosX(column_);
    ImGuiEnabledScope e(enabled);
    const char* preview = selected >= 0 && size_t(selected) < items.size() ? items[selected].c_str() : "";
    bool changed = false;
    ImGui::SetNextItemWidth(260);
    if (ImGui::BeginCombo(std::string(id).c_str(), preview)) {
      for (size_t i = 0; i < items.size(); ++i) {
        ImGui::PushID(int(i));
        if (ImGui::Selectable(items[i].c_str(), int(i) == selected)) {
          changed = int(i) != selected;
          selected = int(i);
        }
        ImGui::PopID();
      }
      ImGui::EndCombo();
    }
    return changed;
  }
  bool TextField(std::string_view id, std::string& text) override {
    ImGui::SetCursorPosX(column_);
    ImGui::SetNextItemWidth(ImGui::GetIO().DisplaySize.x - column_ - 16);
    return ImGui::InputText(std::string(id).c_str(), &text);
  }
  bool CloseRequested() override { return closeRequested_; }

  void BeginFrame(bool closeRequested) {
    closeRequested_ = closeRequested;
    column_ = 8;
  }

 private:
  // Texts can repeat ("Device" twice); the caption page keeps them apart.
  std::string Id(std::string_view text) { return std::string(text) + "##" + caption_; }

  static ImTextureID TextureId(const struct Picture& picture) {
    return reinterpret_cast<ImTextureID>(intptr_t(picture.texture));
  }
  const struct Picture& Find(std::string_view path) {
    auto& picture = pictures_[std::string(path)];
    if (!picture.texture && !picture.failed) Load(std::string(path), picture);
    return picture;
  }

  void Load(const std::string& path, struct Picture& picture) {
    SDL_Surface* bmp = SDL_LoadBMP(ResolveGamePath(path).c_str());
    SDL_Surface* rgba = bmp ? SDL_ConvertSurfaceFormat(bmp, SDL_PIXELFORMAT_ABGR8888, 0) : nullptr;
    if (!rgba) {
      picture.failed = true;
      ShowMessageBox("Error", SDL_GetError(), BoxIcon::Information);
      if (bmp) SDL_FreeSurface(bmp);
      return;
    }
    picture.width = rgba->w;
    picture.height = rgba->h;
    glGenTextures(1, &picture.texture);
    glBindTexture(GL_TEXTURE_2D, picture.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, rgba->pitch / 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, rgba->w, rgba->h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba->pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    SDL_FreeSurface(rgba);
    SDL_FreeSurface(bmp);
  }

  SDL_Window* window_;
  std::string caption_;
  std::map<std::string, struct Picture> pictures_;
  bool closeRequested_ = false;
  float column_ = 8;
};

bool RunImGuiDialog(const DialogSpec& spec, const DialogFrame& frame) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  // A display nobody looks at (off-screen, dummy) could never be answered:
  // the dialog takes its default as headless.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0) return false;
  SDL_Window* window = SDL_CreateWindow(spec.caption.c_str(), SDL_WINDOWPOS_CENTERED,
                                        SDL_WINDOWPOS_CENTERED, spec.width, spec.height,
                                        SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
  SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
  if (!context) {
    if (window) SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  SDL_GL_MakeCurrent(window, context);
  if (!spec.icon.empty()) {
    if (SDL_Surface* icon = SDL_LoadBMP(ResolveGamePath(spec.icon).c_str())) {
      SDL_SetWindowIcon(window, icon);
      SDL_FreeSurface(icon);
    }
  }
  SDL_GL_SetSwapInterval(1);
  ImGui::CreateContext();
  ImGui::StyleColorsDark();
  LoadImGuiFont(15.0f);
  ImGui_ImplSDL2_InitForOpenGL(window, context);
  ImGui_ImplOpenGL2_Init();
  {
    ImGuiDialogUi ui(window);
    for (bool running = true; running;) {
      bool close = CloseRequestPending();  // SIGTERM and the like close it too
      SDL_Event event;
      while (SDL_PollEvent(&event)) {
        ImGui_ImplSDL2_ProcessEvent(&event);
        if (event.type == SDL_QUIT ||
            (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE))
          close = true;
      }
      ImGui_ImplOpenGL2_NewFrame();
      ImGui_ImplSDL2_NewFrame();
      ImGui::NewFrame();
      ImGui::SetNextWindowPos(ImVec2(0, 0));
      ImGui::SetNextWindowSize(ImGui::GetIO().DisplaySize);
      ImGui::Begin("##dialog", nullptr,
                   ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoBackground |
                       ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings);
      ui.BeginFrame(close);
      running = frame(ui);
      ImGui::End();
      ImGui::Render();
      glViewport(0, 0, spec.width, spec.height);
      glClearColor(0.16f, 0.18f, 0.22f, 1.0f);
      glClear(GL_COLOR_BUFFER_BIT);
      ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
      SDL_GL_SwapWindow(window);
    }
  }
  ImGui_ImplOpenGL2_Shutdown();
  ImGui_ImplSDL2_Shutdown();
  ImGui::DestroyContext();
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  return true;
}

}  // namespace

void InstallSdlDialogWindows() { SetDialogBackend(RunImGuiDialog); }

}  // namespace platform
