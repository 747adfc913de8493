#include "ui/panel.h"

#include <algorithm>
#include <set>
#include <string>

#include "engine/core/error.h"
#include "engine/core/play_warning.h"
#include "engine/render/renderer.h"
#include "ui/glyph_batcher.h"
#include "ui/panel_manager.h"
#include "ui/ui_services.h"

namespace {

constexpr int32_t kTitleAlignment = 4;
constexpr int8_t kFadeStep = 5;
constexpr int32_t kFadedAlpha = 128;

struct MissingElements {
  std::set<std::string> reported;
  int32_t count = 0;
};

MissingElements& Missing() {
  static MissingElements missing;
  return missing;
}

// A broken layout would otherwise only show as widgets piled in a corner.
void ReportMissingElement(std::string_view name, const CLayoutEntity* model) {
  const std::string layout = model && model->model ? model->model->name : std::string("?");
  if (!Missing().reported.insert(layout + "|" + std::string(name)).second) return;
  ++Missing().count;
  ReportPerFileF(1, "layout", layout, "Layout %.200s has no element %.60s", layout.c_str(), std::string(name).c_str());
}

}  // namespace

CPanel*& CapturedPanel() {
  static CPanel* captured = nullptr;
  return captured;
}

int32_t MissingElementReports() { return Missing().count; }

CPanel::CPanel() { title.Attach(0, 0, 0, 0, this, this, 0); }

CPanel::~CPanel() {
  if (CapturedPanel() == this) CapturedPanel() = nullptr;
  if (manager) manager->RemovePanel(this);
}

float CPanel::LayerDepth() const {
  static constexpr float kLayerDepths[3] = {0.0f, 10.0f, 15.0f};
  return kLayerDepths[std::clamp(layer, 0, 2)];
}

// ---- Element lookup -------------------------------------------------------------

int32_t CPanel::FindElementIndex(std::string_view name, const CLayoutEntity* model) {
  if (model == nullptr || model->model == nullptr) return -1;
  return LayoutGroupIndex(*model->model, name);
}

UIRect CPanel::FindElementRect(std::string_view name, const CLayoutEntity* model, int32_t n) {
  if (name.empty()) return UIRect{};
  const int32_t group = FindElementIndex(name, model);
  if (group < 0) {
    ReportMissingElement(name, model);
    return UIRect{};
  }
  return LayoutGroupRect(*model->model, group, std::max(n - 1, 0));
}

float CPanel::FindElementDepth(std::string_view name, const CLayoutEntity* model, int32_t n) {
  const int32_t group = FindElementIndex(name, model);
  return group < 0 ? 0.0f : LayoutGroupDepth(*model->model, group, std::max(n - 1, 0));
}

UIRect CPanel::ElementRect(std::string_view name) const {
  return FindElementRect(name, layoutModel, frameCount);
}

CTextRect* CPanel::FindElementText(std::string_view name, int32_t newId) {
  const UIRect r = ElementRect(name);
  return CreateTextRect(newId, r.x1, r.y1, r.x2, r.y2);
}

UIRect CPanel::ElementRectInFrame(int32_t element, int32_t frame) const {
  if (layoutModel == nullptr || layoutModel->model == nullptr) return UIRect{};
  return LayoutGroupRect(*layoutModel->model, element, frame);
}

int32_t CPanel::GetElementTexture(int32_t element) const {
  if (layoutModel == nullptr || layoutModel->model == nullptr) return -1;
  const LayoutModel& m = *layoutModel->model;
  for (size_t p = 0; p < m.data.primitives.size(); ++p)
    if (LayoutPrimitiveGroup(m, p) == element) return LayoutPrimitiveTexture(*layoutModel, p);
  return -1;
}

bool CPanel::SetElementTexture(int32_t element, int32_t texture) {
  if (layoutModel == nullptr || layoutModel->model == nullptr || element < 0 ||
      element >= layoutModel->model->GroupCount() || GetElementTexture(element) == texture)
    return false;
  auto& textures = layoutModel->groupTextures;
  if (textures.size() <= size_t(element)) textures.resize(size_t(element) + 1, -1);
  textures[size_t(element)] = texture;
  return true;
}

void CPanel::FlipMeshTextureYAxis(int32_t element) {
  if (layoutModel == nullptr || layoutModel->model == nullptr || element < 0 ||
      element >= layoutModel->model->GroupCount())
    return;
  auto& flipped = layoutModel->groupFlipped;
  if (flipped.size() <= size_t(element)) flipped.resize(size_t(element) + 1, 0);
  flipped[size_t(element)] ^= 1;
}

// ---- Binding and frames ---------------------------------------------------------

void CPanel::BindLayout(CLayoutEntity* model, const char* hotArea, const char* dragBar,
                        CPanelManager* m) {
  layoutModel = model;
  manager = m;
  const bool withModel = model != nullptr && model->model != nullptr;
  hotAreaElement = withModel && hotArea ? FindElementIndex(hotArea, model) : -1;
  dragBarElement = withModel && dragBar ? FindElementIndex(dragBar, model) : -1;
  noModel = !withModel;
  if (withModel) title.SetAlignment(kTitleAlignment, kKeepAlignmentValue, kKeepAlignmentValue);
  frameCount = openFrames = withModel ? std::max<int32_t>(model->model->FrameCount(), 1) : 1;
  SelectLayoutFrame(frameCount);
  animating = open = settling = reopen = false;
  // Bound again (a panel set released and made anew): built afresh.
  if (built) DeleteTree();
  Build();
  built = true;
}

void CPanel::SelectLayoutFrame(int32_t n) {
  if (noModel) return;
  const int32_t frame = std::max(n - 1, 0);
  if (frameCount > 1) closedHotArea = ElementRectInFrame(hotAreaElement, 0);
  bounds = LayoutFrameBounds(*layoutModel->model, frame);
  openHotArea = ElementRectInFrame(hotAreaElement, frame);
  const UIRect t = ElementRectInFrame(dragBarElement, frame);
  title.SetRect(t.x1, t.y1, t.x2, t.y2);
  chosenFrame = n;
  // A closed panel keeps its closed frame; it settles when it next opens.
  settling = open;
  if (settling) animating = true;
}

void CPanel::SetModelPosition(float x, float y) {
  if (layoutModel == nullptr) return;
  layoutModel->x = x;
  layoutModel->y = y;
}

void CPanel::ResetPosition() {
  SetModelPosition(0.0f, 0.0f);
  Reset();
}

// ---- Open and close -------------------------------------------------------------

void CPanel::OpenSteps() {
  animating = true;
  open = true;
  OnOpen();
  if (noModel) animating = false;
}

void CPanel::CloseSteps() {
  animating = true;
  open = false;
  settling = false;
  OnClose();
  if (manager) manager->ForgetHovered(this);
  if (noModel) animating = false;
}

int32_t CPanel::Open() {
  if (open && !reopen) return 0;
  OpenSteps();
  return HandleMessage(kMsgRefresh, 0, 0);
}

int32_t CPanel::Close() {
  if (open) CloseSteps();
  return noModel ? 1 : 0;
}

void CPanel::Toggle() {
  if (open)
    Close();
  else
    Open();
}

void CPanel::Refresh() { HandleMessage(kMsgRefresh, 0, 0); }

void CPanel::FadeOut() {
  fading = true;
  fadeStep = -kFadeStep;
}

void CPanel::FadeIn() {
  const bool opaque = layoutModel == nullptr || layoutModel->alpha == 255;
  fading = !opaque;
  fadeStep = opaque ? 0 : kFadeStep;
}

void CPanel::StepAnimation() {
  if (fading && layoutModel) {
    const int32_t alpha = std::clamp(int32_t(layoutModel->alpha) + fadeStep, 0, 255);
    layoutModel->alpha = uint8_t(alpha);
    if ((fadeStep > 0 && alpha >= 255) || (fadeStep < 0 && alpha <= kFadedAlpha)) fading = false;
  }
  if (noModel || layoutModel == nullptr) return;
  int16_t& f = layoutModel->frame;
  if (settling) {
    const int32_t target = chosenFrame - 1;
    if (f > target) {
      --f;
    } else if (f < target) {
      ++f;
    } else {
      settling = animating = false;
      HandleMessage(kMsgRefresh, 0, 0);
    }
    return;
  }
  if (!animating) return;
  if (frameCount <= 1) {
    animating = false;
    return;
  }
  if (open) {
    if (f < openFrames - 1) ++f;
    if (f >= openFrames - 1) settling = true;
  } else {
    if (f > 0) --f;
    if (f <= 0) animating = false;
  }
}

// ---- Input ----------------------------------------------------------------------

bool CPanel::ContainsMouse() {
  return IsMouseOverRect(open || animating ? bounds : closedHotArea, LayoutEntity());
}

CWidget* CPanel::PickWidget() {
  if (!enabled || !ContainsMouse()) return nullptr;
  if (open && firstChild)
    if (CWidget* w = firstChild->PickWidget()) return w;
  return this;
}

void CPanel::HandleMouse(int32_t type) {
  (void)type;
  const UiMouse& m = Ui().mouse;
  if (!m.left || m.right) {
    if (dragging && CapturedPanel() == this) CapturedPanel() = nullptr;
    dragging = false;
    return;
  }
  if (animating) return;
  if (!Ui().previousMouse.left && IsMouseOverRect(open ? openHotArea : closedHotArea, LayoutEntity())) {
    if (open) {
      CloseSteps();
    } else {
      OpenSteps();
      HandleMessage(kMsgRefresh, 0, 0);
    }
  }
  if (open && !dragging && CapturedPanel() == nullptr && dragBarElement >= 0 &&
      IsMouseOverRect(title.Rect(), LayoutEntity())) {
    dragging = true;
    dragOffsetX = float(m.x) - layoutModel->x;
    dragOffsetY = float(m.y) - layoutModel->y;
    CapturedPanel() = this;
  }
}

int32_t CPanel::HandleMessage(int32_t type, int32_t a, int32_t b) {
  if (!enabled || inputBlocked || Ui().interfaceLock) return 0;
  // A closed panel shows nothing to re-read, and its widgets hold whatever
  // they held when it last closed (a slider of a page never opened holds 0):
  // refreshing them would hand those stale values back to the page as if
  // the player had set them. Opening refreshes the panel and its widgets.
  if (type == kMsgRefresh && !open) return 0;
  if (inputDisabled && type != kMsgRefresh) return 0;
  if (type >= kMsgLeftPressed && type <= kMsgLeftReleased) {
    if (dragging) {
      SetModelPosition(float(Ui().mouse.x) - dragOffsetX, float(Ui().mouse.y) - dragOffsetY);
    } else if (!ContainsMouse() && !modal) {
      return 0;
    }
    HandleMouse(type);
    if (animating) return 0;
  } else if (type != kMsgCharacter && type != kMsgRefresh) {
    return 0;
  }
  int32_t result = 0;
  if (open) result = OnEvent(type, a, b);
  if (type == kMsgRefresh && firstChild) firstChild->BroadcastMessage(kMsgRefresh, a, b);
  return result;
}

// ---- Drawing --------------------------------------------------------------------

void CPanel::DrawTree() {
  if (!enabled) return;
  if (!open && !animating && (frameCount <= 1 || hotAreaElement < 0)) return;
  CRenderer* renderer = UiRenderer();
  if (renderer) renderer->SetViewOffset(0.0f, 0.0f, LayerDepth());
  const bool still = open && !animating;
  if (still) Update();
  if (!noModel && layoutModel) DrawLayoutModel(*layoutModel, depth);
  if (still) {
    title.Draw(LayoutEntity());
    DrawSelf();
    if (firstChild) firstChild->DrawTree();
  }
  FlushGlyphBatches();
}
