#include "engine/scene/picking.h"

#include <cmath>
#include <cstdlib>

namespace {

int32_t g_MouseX = 0;
int32_t g_MouseY = 0;

// Box faces as corner numbers of a Bounds.
const int32_t kFaces[6][4] = {{0, 1, 3, 2}, {5, 4, 6, 7}, {1, 5, 7, 3},
                              {4, 0, 2, 6}, {2, 3, 7, 6}, {0, 4, 5, 1}};

bool FacesViewer(const ScreenPointDepth& p0, const ScreenPointDepth& p1,
                 const ScreenPointDepth& p2) {
  return (p0.y - p1.y) * (p0.x - p2.x) > (p0.x - p1.x) * (p0.y - p2.y);
}

// Depth under (x, y) of one face, scanning its edges on row y; 0 for a miss.
float FaceDepth(const ScreenPointDepth* c[5], int32_t x, int32_t y) {
  int32_t X[5], Y[5];
  for (int32_t k = 0; k < 5; ++k) {
    X[k] = static_cast<int32_t>(std::lround(c[k]->x));
    Y[k] = static_cast<int32_t>(std::lround(c[k]->y));
  }
  int32_t left = 999999999, right = -999999999;
  float leftW = 0.0f, rightW = 0.0f;
  for (int32_t k = 0; k < 4; ++k) {
    const ScreenPointDepth& a = *c[k];
    const ScreenPointDepth& b = *c[k + 1];
    if (a.y != b.y) {
      if (Y[k] < Y[k + 1] && Y[k] <= y && y <= Y[k + 1]) {
        left = X[k] + static_cast<int32_t>((y - Y[k]) * (b.x - a.x) / (b.y - a.y));
        leftW = a.invZ + (y - Y[k]) * (b.invZ - a.invZ) / (b.y - a.y);
      } else if (Y[k] >= Y[k + 1] && Y[k + 1] <= y && y <= Y[k]) {
        right = X[k + 1] + static_cast<int32_t>((a.x - b.x) * (y - Y[k + 1]) / (a.y - b.y));
        rightW = a.invZ + (y - Y[k]) * (a.invZ - b.invZ) / (a.y - b.y);
      }
    }
    if (left < right) {
      if (x < left || x > right) return 0.0f;
      const float w = leftW + static_cast<float>(x - left) / static_cast<float>(right - left) *
                                  (rightW - leftW);
      return w > 0.0f ? 1.0f / w : 0.0f;
    }
  }
  return 0.0f;
}

bool TestAt(const Bounds& b, int32_t mouseX, int32_t mouseY, float* depth) {
  ScreenPoint a, edge;
  ProjectPoints(&b.centre, &a, 1);
  const Vec3 side{b.centre.x + b.radius, b.centre.y, b.centre.z};
  ProjectPoints(&side, &edge, 1);
  const float r = std::trunc(std::fabs(a.x - edge.x));
  if (std::fabs(a.x - mouseX) > r || std::fabs(a.y - mouseY) > r) return false;
  ScreenPointDepth corners[8];
  ProjectPointsWithDepth(b.corners, corners, 8);
  const float d = PickBoxDepth(corners, mouseX, mouseY);
  if (d == 0.0f || d >= *depth) return false;
  *depth = d;
  return true;
}

}  // namespace

void PickSetMousePosition(int32_t x, int32_t y) {
  g_MouseX = x;
  g_MouseY = y;
}

void PickGetMousePosition(int32_t* x, int32_t* y) {
  *x = g_MouseX;
  *y = g_MouseY;
}

float PickBoxDepth(const ScreenPointDepth corners[8], int32_t x, int32_t y) {
  for (const auto& face : kFaces) {
    const ScreenPointDepth* c[5] = {&corners[face[0]], &corners[face[1]], &corners[face[2]],
                                    &corners[face[3]], &corners[face[0]]};
    if (!FacesViewer(*c[0], *c[1], *c[2])) continue;
    const float d = FaceDepth(c, x, y);
    if (d != 0.0f) return d;
  }
  return 0.0f;
}

bool PickTestEntity(const Bounds& viewBounds, float* depth) {
  return TestAt(viewBounds, g_MouseX, g_MouseY, depth);
}

bool PickTestEntity(const CEntity& entity, PickPoint& point) {
  return TestAt(entity.viewBounds, point.x, point.y, &point.depth);
}

// Every entity drawn in the last frame is tested in index order. A hit on any
// entity but the current one takes the out argument and the nearer depth; a
// hit on the current one counts as a hit but gives the depth back, so the
// current entity never hides the others. The result is true on any hit.
bool PickEntityInHouse(CEntityHouse* house, CEntity** picked, CEntity* current, float* depth) {
  if (!house || !depth) return false;
  bool hit = false;
  for (int32_t i = 0; i < house->count; ++i) {
    CEntity& e = house->entities[i];
    if ((e.flags & (kEntVisible | kEntInView)) != (kEntVisible | kEntInView)) continue;
    const float before = *depth;
    if (!PickTestEntity(e.viewBounds, depth)) continue;
    hit = true;
    if (&e == current) {
      *depth = before;
    } else if (picked) {
      *picked = &e;
    }
  }
  return hit;
}
