#pragma once
// The navigator: a map of the city's blocks in their district colours with
// the owners' colours on the owned ones and a marker where the camera looks;
// a click on a block takes the player there. The map drawing is a
// CCityMapView, which the auction room's map uses too. Beside it the view
// panel's three buttons: plan view, game speed and the results screen.
#include <array>
#include <cstdint>
#include <vector>

#include "engine/core/maths.h"
#include "ui/panel.h"

class CIconButton;

inline constexpr float kMapScale = 0.1f;
inline constexpr float kMarkerReachX = 60.0f, kMarkerReachY = 50.0f;
inline constexpr int32_t kCameraMarkerImage = 310;

// Map geometry, in layout units: the centre of the map rectangle moved by
// the model's position, and a world point's place on it.
struct MapPoint {
  float x = 0, y = 0;
};
MapPoint MapCentre(const UIRect& map, const CLayoutEntity* model);
MapPoint MapPosition(const MapPoint& centre, float worldX, float worldZ);
// The camera marker's point: the camera's map position pushed along the
// heading by the pulse, kept within 60 x 50 units of the centre.
MapPoint CameraMarkerPoint(const MapPoint& centre, float cameraX, float cameraZ, float heading,
                           uint32_t frame);
// An owned block's quad colour: the local player's blocks pulse; a block
// whose lease has 24 hours or less blinks (false: not drawn this frame).
bool OwnerQuadColour(uint32_t tokenColour, int32_t leaseHours, bool local, uint32_t frame,
                     uint32_t& colour);
// The 0..15 triangle wave of the frame counter.
int32_t MapPulse(uint32_t frame);

class CCityMapView {
 public:
  void DrawBlocks(const CLayoutEntity* model);
  void DrawBlockFrame(const CLayoutEntity* model, int32_t block);
  void DrawCameraMarker(const CLayoutEntity* model, float cameraX, float cameraZ, float heading);
  // The block under the mouse becomes the hovered one (-1 none).
  void HitTest(const CLayoutEntity* model, bool setTooltip);

  UIRect map;
  int32_t hoveredBlock = -1;
  bool hovered = false;
  // One quad of every block (52), with a colour each.
  std::vector<Vec3> quads;
  std::vector<uint32_t> colours;

 private:
  void AddQuad(float cx, float cy, float w, float h, uint32_t colour);
  void FlushQuads();
};

class CNavigatorPanel : public CPanel {
 public:
  // The control slot of the whole panel and of the plan-view button.
  static constexpr int32_t kControl = 103;
  static constexpr int32_t kPlanViewControl = 73;
  void Build() override;
  void Update() override;
  void DrawSelf() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;

  CCityMapView view;
  bool pressed = false;
  UIRect panelRect, backing;
};

class CNavButtonPanel : public CPanel {
 public:
  void Build() override;
  void Update() override;
  void Reset() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;

  // The plan-view button's tooltip follows the view.
  void UpdateIcon();
  // The speed button's images and tooltip follow the game speed.
  void ApplyViewMode(bool fast);

  std::array<CIconButton*, 3> buttons{};
  UIRect backing;
};
