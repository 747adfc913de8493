// The building editor's window on Dear ImGui: an SDL window with an OpenGL 2
// context of its own beside the game's preview window. Its events reach it
// through the game window's pump (SetOtherWindowEventHandler).
#include <SDL.h>
#include <SDL_opengl.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui_stdlib.h>

#include <cstdio>
#include <map>
#include <string>

#include "platform/editor_ui.h"
#include "platform/sdl/imgui_support.h"
#include "platform/sdl/sdl_window.h"

namespace platform {
namespace {

ImU32 Colour(uint32_t rgb) {
  return IM_COL32((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, 0xFF);
}

class ImGuiEditorUi : public EditorUi {
 public:
  bool BeginPanel(std::string_view title, int x, int y, int width, int height, bool background,
                  bool* open) override {
    ImGui::SetNextWindowPos(ImVec2(float(x), float(y)), ImGuiCond_Once);
    ImGui::SetNextWindowSize(ImVec2(float(width), float(height)), ImGuiCond_Once);
    ImGuiWindowFlags flags = ImGuiWindowFlags_NoSavedSettings;
    // A window drawn again after frames away (as after a compile) would
    // otherwise take the focus and cover the dialog in front of it.
    if (background) flags |= ImGuiWindowFlags_NoBringToFrontOnFocus | ImGuiWindowFlags_NoFocusOnAppearing;
    return ImGui::Begin(std::string(title).c_str(), open, flags);
  }
  void EndPanel() override { ImGui::End(); }
  int Question(std::string_view title, std::string_view text, const std::vector<std::string>& buttons) override {
    const std::string id = std::string(title) + "##question";
    if (!ImGui::IsPopupOpen(id.c_str())) ImGui::OpenPopup(id.c_str());
    const ImGuiViewport* view = ImGui::GetMainViewport();
    ImGui::SetNextWindowPos(ImVec2(view->Pos.x + view->Size.x * 0.5f, view->Pos.y + view->Size.y * 0.5f),
                            ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
    int pressed = -1;
    if (ImGui::BeginPopupModal(id.c_str(), nullptr,
                               ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings)) {
      ImGui::PushTextWrapPos(view->Size.x * 0.8f);
      ImGui::TextUnformatted(text.data(), text.data() + text.size());
      ImGui::PopTextWrapPos();
      ImGui::Spacing();
      for (size_t i = 0; i < buttons.size(); ++i) {
        if (i) ImGui::SameLine();
        if (ImGui::Button(buttons[i].c_str(), ImVec2(90, 0))) pressed = int(i);
      }
      if (pressed >= 0) ImGui::CloseCurrentPopup();
      ImGui::EndPopup();
    }
    return pressed;
  }
  bool Section(std::string_view title) override {
    return ImGui::CollapsingHeader(std::string(title).c_str(), ImGuiTreeNodeFlags_DefaultOpen);
  }
  void Label(std::string_view text) override { ImGui::TextUnformatted(text.data(), text.data() + text.size()); }
  void SameLine() override { ImGui::SameLine(); }
  bool Button(std::string_view text, bool enabled) override {
    ImGuiEnabledScope e(enabled);
    return ImGui::Button(std::string(text).c_str());
  }
  bool Check(std::string_view text, bool& value, bool enabled) override {
    ImGuiEnabledScope e(enabled);
    return ImGui::Checkbox(std::string(text).c_str(), &value);
  }
  bool Radio(std::string_view text, bool selected, bool enabled) override {
    ImGuiEnabledScope e(enabled);
    return ImGui::RadioButton(std::string(text).c_str(), selected);
  }
  bool Combo(std::string_view id, const std::vector<std::string>& items, int& selected, bool enabled) override {
    ImGuiEnabledScope e(enabled);
    const char* preview = selected >= 0 && size_t(selected) < items.size() ? items[size_t(selected)].c_str() : "";
    bool changed = false;
    ImGui::SetNextItemWidth(170);
    if (ImGui::BeginCombo(std::string(id).c_str(), preview)) {
      for (size_t i = 0; i < items.size(); ++i) {
        ImGui::PushID(int(i));
        if (ImGui::Selectable(items[i].empty() ? " " : items[i].c_str(), int(i) == selected)) {
          changed = int(i) != selected;
          selected = int(i);
        }
        ImGui::PopID();
      }
      ImGui::EndCombo();
    }
    return changed;
  }
  bool List(std::string_view id, const std::vector<std::string>& items, int& selected, int rows) override {
    bool changed = false;
    const float height = ImGui::GetTextLineHeightWithSpacing() * float(rows) + 4;
    if (ImGui::BeginListBox(std::string(id).c_str(), ImVec2(-FLT_MIN, height))) {
      for (size_t i = 0; i < items.size(); ++i) {
        ImGui::PushID(int(i));
        if (ImGui::Selectable(items[i].c_str(), int(i) == selected)) {
          changed = true;
          selected = int(i);
        }
        ImGui::PopID();
      }
      ImGui::EndListBox();
    }
    return changed;
  }
  bool MultiList(std::string_view id, const std::vector<std::string>& items, std::vector<uint8_t>& selected,
                 int rows, bool enabled) override {
    ImGuiEnabledScope e(enabled);
    selected.resize(items.size());
    bool changed = false;
    const float height = ImGui::GetTextLineHeightWithSpacing() * float(rows) + 4;
    if (ImGui::BeginListBox(std::string(id).c_str(), ImVec2(150, height))) {
      for (size_t i = 0; i < items.size(); ++i) {
        ImGui::PushID(int(i));
        if (ImGui::Selectable(items[i].c_str(), selected[i] != 0)) {
          selected[i] = selected[i] ? 0 : 1;
          changed = true;
        }
        ImGui::PopID();
      }
      ImGui::EndListBox();
    }
    return changed;
  }
  bool Field(std::string_view id, const std::string& shown, std::string& entered, int width, bool enabled) override {
    ImGuiEnabledScope e(enabled);
    const ImGuiID key = ImGui::GetID(std::string(id).c_str());
    std::string& buffer = fields_[key];
    // While the field is being edited it keeps what is typed.
    if (activeField_ != key) buffer = shown;
    ImGui::SetNextItemWidth(float(width));
    ImGui::InputText(std::string(id).c_str(), &buffer);
    if (ImGui::IsItemActive())
      activeField_ = key;
    else if (activeField_ == key)
      activeField_ = 0;
    if (ImGui::IsItemDeactivatedAfterEdit()) {
      entered = buffer;
      return true;
    }
    return false;
  }
  int Arrows(std::string_view id, bool enabled) override {
    ImGuiEnabledScope e(enabled);
    ImGui::PushID(std::string(id).c_str());
    int result = 0;
    if (ImGui::ArrowButton("##up", ImGuiDir_Up)) result = 1;
    ImGui::SameLine(0, 2);
    if (ImGui::ArrowButton("##down", ImGuiDir_Down)) result = -1;
    ImGui::PopID();
    return result;
  }
  void TextBox(std::string_view id, const std::string& text, int width, int height) override {
    ImGui::BeginChild(std::string(id).c_str(), ImVec2(float(width), float(height)), true,
                      ImGuiWindowFlags_HorizontalScrollbar);
    ImGui::TextUnformatted(text.c_str());
    ImGui::EndChild();
  }
  void BeginCanvas(std::string_view id, int& width, int& height, CanvasInput& input) override {
    const ImVec2 avail = ImGui::GetContentRegionAvail();
    canvasOrigin_ = ImGui::GetCursorScreenPos();
    width = std::max(int(avail.x), 16);
    height = std::max(int(avail.y), 16);
    ImGui::InvisibleButton(std::string(id).c_str(), ImVec2(float(width), float(height)),
                           ImGuiButtonFlags_MouseButtonLeft | ImGuiButtonFlags_MouseButtonRight);
    const ImGuiIO& io = ImGui::GetIO();
    input = {};
    input.hovered = ImGui::IsItemHovered();
    const bool active = ImGui::IsItemActive();
    input.mouseX = io.MousePos.x - canvasOrigin_.x;
    input.mouseY = io.MousePos.y - canvasOrigin_.y;
    input.moved = (input.hovered || active) && (io.MouseDelta.x != 0 || io.MouseDelta.y != 0);
    input.leftDown = input.hovered && ImGui::IsMouseClicked(ImGuiMouseButton_Left);
    input.rightDown = input.hovered && ImGui::IsMouseClicked(ImGuiMouseButton_Right);
    input.leftUp = ImGui::IsMouseReleased(ImGuiMouseButton_Left);
    input.rightUp = ImGui::IsMouseReleased(ImGuiMouseButton_Right);
    if (ImGui::IsWindowFocused() && !io.WantTextInput) {
      for (ImGuiKey key : {ImGuiKey_X, ImGuiKey_Y, ImGuiKey_Z}) {
        const char letter = char('X' + (key - ImGuiKey_X));
        const int index = ImGui::GetKeyIndex(key);
        if (ImGui::IsKeyPressed(index, false)) input.keysDown += letter;
        if (ImGui::IsKeyReleased(index)) input.keysUp += letter;
      }
    }
    drawList_ = ImGui::GetWindowDrawList();
    drawList_->PushClipRect(canvasOrigin_, ImVec2(canvasOrigin_.x + float(width), canvasOrigin_.y + float(height)),
                            true);
    drawList_->AddRectFilled(canvasOrigin_, ImVec2(canvasOrigin_.x + float(width), canvasOrigin_.y + float(height)),
                             IM_COL32(0, 0, 0, 255));
  }
  void CanvasLine(float x0, float y0, float x1, float y1, uint32_t rgb) override {
    if (!drawList_) return;
    drawList_->AddLine(At(x0, y0), At(x1, y1), Colour(rgb));
  }
  void CanvasRect(float x0, float y0, float x1, float y1, uint32_t rgb, bool filled) override {
    if (!drawList_) return;
    if (filled)
      drawList_->AddRectFilled(At(x0, y0), At(x1 + 1, y1 + 1), Colour(rgb));
    else
      drawList_->AddRect(At(x0, y0), At(x1 + 1, y1 + 1), Colour(rgb));
  }
  void EndCanvas() override {
    if (drawList_) drawList_->PopClipRect();
    drawList_ = nullptr;
  }

 private:
  ImVec2 At(float x, float y) const { return ImVec2(canvasOrigin_.x + x, canvasOrigin_.y + y); }

  std::map<ImGuiID, std::string> fields_;
  ImGuiID activeField_ = 0;
  ImDrawList* drawList_ = nullptr;
  ImVec2 canvasOrigin_{};
};

class SdlEditorWindow : public EditorWindow {
 public:
  SdlEditorWindow(SDL_Window* window, SDL_GLContext context) : window_(window), context_(context) {
    SDL_GLContext previous = SDL_GL_GetCurrentContext();
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GL_MakeCurrent(window_, context_);
    imgui_ = ImGui::CreateContext();
    ImGui::SetCurrentContext(imgui_);
    ImGui::StyleColorsDark();
    // Opaque: a dialog over the panels must not let their text show through.
    ImGui::GetStyle().Colors[ImGuiCol_WindowBg].w = 1.0f;
    ImGui::GetStyle().Colors[ImGuiCol_PopupBg].w = 1.0f;
    LoadImGuiFont(14.0f);
    ImGui_ImplSDL2_InitForOpenGL(window_, context_);
    ImGui_ImplOpenGL2_Init();
    windowId_ = SDL_GetWindowID(window_);
    SetOtherWindowEventHandler([this](const SDL_Event& e) {
      if (!IsOwnEvent(e)) return false;
      ImGui::SetCurrentContext(imgui_);
      // A click takes the keyboard, window manager or not.
      if (e.type == SDL_MOUSEBUTTONDOWN) SDL_SetWindowInputFocus(window_);
      ImGui_ImplSDL2_ProcessEvent(&e);
      // Closing the editor's window does nothing: the preview's ends the mode.
      return true;
    });
    if (previous) SDL_GL_MakeCurrent(previousWindow, previous);
  }
  ~SdlEditorWindow() override {
    SetOtherWindowEventHandler(nullptr);
    SDL_GL_MakeCurrent(window_, context_);
    ImGui::SetCurrentContext(imgui_);
    ImGui_ImplOpenGL2_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext(imgui_);
    SDL_GL_DeleteContext(context_);
    SDL_DestroyWindow(window_);
  }

  bool IsOwnEvent(const SDL_Event& e) const {
    switch (e.type) {
      case SDL_WINDOWEVENT: return e.window.windowID == windowId_;
      case SDL_MOUSEMOTION: return e.motion.windowID == windowId_;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: return e.button.windowID == windowId_;
      case SDL_MOUSEWHEEL: return e.wheel.windowID == windowId_;
      case SDL_KEYDOWN:
      case SDL_KEYUP: return e.key.windowID == windowId_;
      case SDL_TEXTINPUT: return e.text.windowID == windowId_;
      default: return false;
    }
  }

  void Frame(const std::function<void(EditorUi&)>& draw) override {
    SDL_GLContext previous = SDL_GL_GetCurrentContext();
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GL_MakeCurrent(window_, context_);
    ImGui::SetCurrentContext(imgui_);
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    draw(ui_);
    ImGui::Render();
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window_, &w, &h);
    glViewport(0, 0, w, h);
    glClearColor(0.12f, 0.13f, 0.16f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    SDL_GL_SwapWindow(window_);
    if (previous) SDL_GL_MakeCurrent(previousWindow, previous);
  }

 private:
  SDL_Window* window_;
  SDL_GLContext context_;
  ImGuiContext* imgui_ = nullptr;
  Uint32 windowId_ = 0;
  ImGuiEditorUi ui_;
};

std::unique_ptr<EditorWindow> CreateSdlEditorWindow(const EditorWindowSpec& spec) {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0) return nullptr;
  // A compatibility context for ImGui's OpenGL 2 backend, whatever the
  // renderer asked for its own.
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_Window* window = SDL_CreateWindow(spec.title.c_str(), spec.x, spec.y, spec.width, spec.height,
                                        SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
  if (!window) return nullptr;
  SDL_GLContext previous = SDL_GL_GetCurrentContext();
  SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (!context) {
    SDL_DestroyWindow(window);
    return nullptr;
  }
  SDL_GL_SetSwapInterval(0);
  if (previous) SDL_GL_MakeCurrent(previousWindow, previous);
  return std::make_unique<SdlEditorWindow>(window, context);
}

}  // namespace

void InstallSdlEditorWindows() { SetEditorWindowFactory(CreateSdlEditorWindow); }

}  // namespace platform
