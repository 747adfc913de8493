#pragma once
// The rectangle of all interface work: corners in the 640 x 480 layout space
// (y grows downward) and a depth.
struct UIRect {
  float x1 = 0.0f, y1 = 0.0f, x2 = 0.0f, y2 = 0.0f;
  float depth = 0.5f;
};

inline UIRect SetUIRect(float x1, float y1, float x2, float y2) {
  return UIRect{x1, y1, x2, y2, 0.5f};
}
inline UIRect SetUIRectXYWH(float x, float y, float w, float h) {
  return UIRect{x, y, x + w, y + h, 0.5f};
}
