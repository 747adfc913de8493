#include "visuals/overlay/cut_scene.h"

#include <algorithm>
#include <iterator>

#include "city/traffic.h"
#include "engine/core/debug_flags.h"
#include "engine/core/error.h"
#include "engine/core/run_state.h"
#include "engine/files/text_bank.h"
#include "engine/render/renderer.h"
#include "engine/input/input_device.h"
#include "script/profiles.h"
#include "script/script.h"
#include "script/script_bindings.h"
#include "session/game_messages.h"
#include "session/player.h"
#include "session/session_state.h"
#include "engine/core/system_settings.h"
#include "sound/game_sound.h"
#include "ui/draw_2d.h"
#include "ui/game_requests.h"
#include "ui/glyph_batcher.h"
#include "ui/interface_assets.h"
#include "ui/ui_services.h"
#include "visuals/scene/fireworks.h"
#include "visuals/scene/shader_table.h"
#include "visuals/overlay/frame_draw.h"

namespace {

constexpr int32_t kCaptionFirstText = 1767;
constexpr int32_t kCreditsTitleText = 1771;
constexpr uint32_t kDebugSkipSeconds = 2;
constexpr int32_t kHoldSteps = 25;
constexpr int32_t kLogoWaitSteps = 100;

// The names the credits shuffle: the game's own parts, one a line.
constexpr const char* kPartNames[11] = {
    "The engine and its renderers",  "The application shell",      "The city model",
    "The game session",              "The level scripts",          "The computer players",
    "The presentation",              "The interface toolkit",      "The panels",
    "Sound and music",               "The front end",
};

// The fixed entries after the shuffled names: a heading text and its names.
struct FixedEntry {
  int32_t heading;
  int32_t count;
  const char* names[5];
};
constexpr FixedEntry kFixedEntries[] = {
    {0, 1, {"Rentopia Civano"}},
    {0, 1, {"A city of rents, leases and rivals"}},
    {1788, 4, {"C++20 and the GNU compilers", "CMake", "Debian GNU/Linux", "Git"}},
    {1772, 0, {}},
    {1774, 1, {"SDL2 - zlib licence"}},
    {1775, 1, {"OpenGL by Mesa - MIT licence"}},
    {1776, 1, {"OpenAL Soft - GNU LGPL 2.1"}},
    {1777, 1, {"libvorbis and libogg - BSD licence"}},
    {1778, 1, {"Lua 5.4 - MIT licence"}},
    {1779, 2, {"FreeType - FreeType licence", "DejaVu fonts - Bitstream Vera licence"}},
    {1780, 1, {"Dear ImGui - MIT licence"}},
    {1781, 1, {"ENet - MIT licence"}},
    {1782, 5, {"GoogleTest - BSD licence", "Google Benchmark - Apache 2.0", "Xvfb - MIT licence",
               "ImageMagick - ImageMagick licence", "xdotool - BSD licence"}},
    {1782, 3, {"CTest - BSD licence", "ccache - GNU GPL 3", "GCC sanitizers - GNU GPL 3"}},
    {1783, 1, {"FFmpeg - GNU LGPL 2.1"}},
    {1784, 1, {"Built by our model generator from readable tables"}},
    {1785, 1, {"Drawn by our texture converter"}},
    {1786, 1, {"Synthesised by our sound generator"}},
    {1787, 3, {"Fifty-two blocks", "Twelve districts", "Six players at the auction"}},
    {1796, 3, {"Rentopia Civano", "See you at the next auction", "Made in the open"}},
};

bool SkipSeen() {
  using namespace platform::key;
  const MouseState& m = g_InputState.mouse;
  const MouseState& was = g_InputState.previousMouse;
  const bool click = (m.buttons[0] != 0 && was.buttons[0] == 0);
  return KeyPressed(kEscape) || KeyPressed(kReturn) || KeyPressed(kSpace) ||
         KeyPressed(kNumpadEnter) || click;
}

std::string Text(int32_t id) {
  std::string out;
  if (Ui().text != nullptr) Ui().text->GetTextAscii(out, id);
  return out;
}

// The scene's own script, scripts\<name>\hub.lua, in the current state.
void RunSceneScript(const std::string& name) {
  if (!IsValidProfileName(name)) {
    ReportErrorF(1, "Cut scene \"%.100s\" is not a plain folder name", name.c_str());
    return;
  }
  Script().RunFile("scripts\\" + name + "\\hub.lua", true);
}

}  // namespace

CCutScene& CutScene() {
  static CCutScene scene;
  return scene;
}

void CCutScene::Init() {
  bypassAllowed_ = true;
  running_ = false;
  scripted_ = false;
  creditsRequested_ = false;
  logosRequested_ = false;
}

void CCutScene::Play(const std::string& name, int32_t endCode) {
  running_ = false;
  endCode_ = endCode;
  creditsRequested_ = logosRequested_ = false;
  PresentationRequests() = {};
  bypassAllowed_ = true;
  Session().gameState = kGameStateCutScene;
  fade_ = 0;
  state_ = kFadingIn;
  caption_.clear();
  image_ = kNoLogo;
  name_ = name;
  SetScreenMode(kScreenCity);
  scripted_ = Script().State() != nullptr;
  GameSound().StopAmbientSounds();
  ResetTraffic();
  if (scripted_) {
    RunSceneScript(name);
    Script().TriggerEvent("Level", 0, 0);
  } else {
    GameSound().PlayMusic("music_intro.wma");
  }
  SetPhase(0);
  running_ = true;
}

// The scripts ask through Game.SetLogos and Game.SetCredits; the front end's
// credits entry asks the player directly.
bool CCutScene::LogosRequested() const { return logosRequested_ || PresentationRequests().logos; }
bool CCutScene::CreditsRequested() const { return creditsRequested_ || PresentationRequests().credits; }

void CCutScene::SetString(const std::string& text) { caption_ = text.substr(0, 255); }

void CCutScene::SetIdentifier(int32_t textId) { caption_ = Text(textId).substr(0, 255); }

void CCutScene::SetPhase(int32_t phase) {
  phase_ = phase;
  phaseSteps_ = 0;
  switch (phase) {
    case 0: alpha_ = 0; break;
    case 1: alpha_ = 254; break;
    case 3: image_ = 274, alpha_ = 0; break;
    case 4: image_ = 274, alpha_ = 255; break;
    case 6: image_ = 273, alpha_ = 0; break;
    case 7: image_ = 273, alpha_ = 255; break;
    case 9: image_ = 287, alpha_ = 0; break;
    case 10: image_ = 287, alpha_ = 255; break;
    case 13: image_ = kNoLogo, alpha_ = 0; break;
    case 14: image_ = kNoLogo, alpha_ = 254; break;
    default: break;
  }
}

void CCutScene::PollSkipKeys() {
  if (bypassAllowed_ && SkipSeen()) {
    state_ = kFadingOut;
  } else if (g_StartupOptions.debugStuff && KeyDown(platform::key::kQ) &&
             KeyDown(platform::key::kLeftShift)) {
    Post(TimeSkipMsg{kDebugSkipSeconds});
  }
  Update();
}

void CCutScene::Update() {
  if (!running_) return;
  StepFade();
  if (!running_) return;
  StepPhase();
  alpha_ = std::clamp(alpha_, 0, 255);
}

void CCutScene::StepFade() {
  if (state_ == kFadingIn) {
    if (++fade_ >= kCutSceneFadeSteps) fade_ = kCutSceneFadeSteps, state_ = kSteady;
  } else if (state_ == kFadingOut) {
    if (alpha_ > 0) alpha_ = std::max(0, alpha_ - 5);
    if (--fade_ <= 0) Finish();
  }
}

// The bars are gone: a script that catches the end carries on (its game goes
// on), otherwise the game ends.
void CCutScene::Finish() {
  fade_ = 0;
  running_ = false;
  state_ = kSteady;
  image_ = kNoLogo;
  if (Session().gameState == kGameStateCutScene) Session().gameState = kGameStateRunning;
  if (Script().CatchEvent("CutSceneEnded", 0)) return;
  // The end sequence ends the game as its result said; any other scene ends
  // an unfinished one.
  const CPlayer* local = PlayerTable().Local();
  const bool finished = endCode_ >= 0;
  const bool won = finished && local != nullptr && endCode_ == local->index;
  endCode_ = -1;
  if (RunState().gameRunning) PostGameRequest(EndGameRequest{finished, won ? 1 : 0});
}

void CCutScene::StepPhase() {
  const bool logosRequested = LogosRequested(), creditsRequested = CreditsRequested();
  ++phaseSteps_;
  switch (phase_) {
    case 0:
      if (!caption_.empty()) {
        if (alpha_ < 254) alpha_ += 2;
        else if (creditsRequested || logosRequested) SetPhase(1);
      } else if (logosRequested) {
        SetPhase(2);
      } else if (creditsRequested) {
        StartCredits();
      }
      break;
    case 1:
      alpha_ -= 2;
      if (alpha_ <= 0) {
        if (logosRequested) SetPhase(2);
        else if (creditsRequested) StartCredits();
      }
      break;
    case 2:
      if (phaseSteps_ >= kLogoWaitSteps) SetPhase(3);
      break;
    case 3: case 6: case 9:
      if (++alpha_ >= 255) SetPhase(phase_ + 2);
      break;
    case 5: case 8: case 11:
      if (phaseSteps_ >= kHoldSteps) SetPhase(phase_ - 1);
      break;
    case 4: case 7:
      if (--alpha_ <= 0) SetPhase(phase_ + 2);
      break;
    case 10:
      if (--alpha_ <= 0) {
        if (creditsRequested) StartCredits();
        else SetPhase(12), state_ = kFadingOut;
      }
      break;
    case 12:
      SetPhase(13);
      break;
    case 13:
      alpha_ += 2;
      if (alpha_ >= 254) SetPhase(14);
      break;
    case 14:
      alpha_ -= 2;
      if (alpha_ <= 0) {
        if (++creditsEntry_ < int32_t(credits_.size())) {
          SetPhase(12);
        } else {
          SetPhase(2);
          state_ = kFadingOut;
        }
      }
      break;
    default:
      break;
  }
}

void CCutScene::StartCredits() {
  creditsEntry_ = 0;
  BuildCreditsList();
  SetPhase(12);
}

void CCutScene::AddCreditsEntry(int32_t heading, const char* const* names, int32_t count) {
  CreditsEntry e;
  e.heading = heading;
  for (int32_t i = 0; i < std::min(count, 5); ++i) e.names[i] = names[i];
  credits_.push_back(e);
}

void CCutScene::BuildCreditsList() {
  credits_.clear();
  AddCreditsEntry(kCreditsTitleText, nullptr, 0);
  const char* order[11];
  std::copy(std::begin(kPartNames), std::end(kPartNames), order);
  for (int i = 0; i < 11; ++i) std::swap(order[i], order[creditsRandom_.Rand() % 11]);
  for (const char* name : order) AddCreditsEntry(0, &name, 1);
  for (const FixedEntry& f : kFixedEntries) AddCreditsEntry(f.heading, f.names, f.count);
}

CutSceneDrawing CCutScene::Drawing() const {
  CutSceneDrawing d;
  if (!running_) return d;
  d.topBar = float(fade_);
  d.bottomBar = 480 - float(fade_);
  d.image = image_;
  d.alpha = alpha_;
  const float half = image_ != kNoLogo ? float(UIImageHeight(image_)) / 2.0f : 0.0f;
  auto text = [&](int32_t font, float y, const std::string& s) { d.texts.push_back({font, y, s}); };
  if (phase_ <= 1) {
    if (!caption_.empty()) text(4, 340, caption_);
  } else if (phase_ >= 3 && phase_ <= 5) {
    text(4, 240 + half, Text(1789));
  } else if (phase_ >= 6 && phase_ <= 8) {
    text(4, 210 - half, Text(1790));
  } else if (phase_ >= 9 && phase_ <= 11) {
    text(4, 240 + half, Text(1791));
    for (int i = 0; i < 4; ++i) text(1, 270 + 15.0f * i + half, Text(1792 + i));
  } else if ((phase_ == 13 || phase_ == 14) && creditsEntry_ < int32_t(credits_.size())) {
    const CreditsEntry& e = credits_[size_t(creditsEntry_)];
    if (e.heading != 0) text(3, 220, Text(e.heading));
    for (int i = 0; i < 5; ++i)
      if (e.names[i]) text(4, 240 + 20.0f * i, e.names[i]);
  }
  return d;
}

// As the interface draws: blended by alpha, over the scene, either winding.
void CCutScene::Draw() const {
  if (!running_) return;
  const CutSceneDrawing d = Drawing();
  if (CRenderer* renderer = UiRenderer()) {
    renderer->SetShader(kShaderModulate);
    renderer->DisableDepthTest();
    renderer->DisableCulling();
  }
  DrawRect2DSolid(SetUIRect(0, -5, 640, d.topBar), 0xFF000000, 0.5f);
  DrawRect2DSolid(SetUIRect(0, d.bottomBar, 640, 480), 0xFF000000, 0.5f);
  const uint32_t tint = uint32_t(d.alpha) << 24 | 0xFFFFFF;
  if (d.image != kNoLogo) {
    const float x = 320.0f - float(UIImageWidth(d.image)) / 2, y = 240.0f - float(UIImageHeight(d.image)) / 2;
    DrawImage2DTinted(x, y, d.image, 0.5f, tint);
  }
  if (CTextSystem* system = Ui().text) {
    for (const CutSceneDrawing::Text& t : d.texts) {
      if (t.text.empty()) continue;
      SelectFont2D(t.font);
      TextRect size;
      system->MeasureString(size, 0, 0, t.text);
      uint32_t colour = tint;
      system->DrawString(320.0f - float(size.width) / 2, t.y, t.text, &colour);
    }
  }
  FlushGlyphBatches();
  SelectFont2D(0);
}

// Preset 0 over the harbour front, 1 over the park: every kind of rocket for
// three minutes.
bool StartFireworksShow(int32_t preset) {
  static constexpr FireworksPreset kPresets[] = {
      {2, 20, 180.0f, 6.0f, {-170, 0, -100}, 80, 9.0f},
      {2, 30, 180.0f, 6.0f, {-172, 0, 201}, 310, 9.0f},
  };
  if (preset < 0 || preset >= int32_t(std::size(kPresets))) return false;
  FireworksShow().Start(kPresets[preset]);
  return true;
}
