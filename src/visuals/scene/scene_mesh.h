#pragma once
// Models built in code from textured faces: the plain city's ground, roads
// and buildings. Corners are given in the city's coordinates; the builder
// turns them into model space (z runs opposite to the city's) and keeps one
// primitive per texture.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/core/maths.h"
#include "engine/scene/model.h"

inline constexpr float kSceneMeshCell = 20.0f;  // ground pieces are cut this small (flat texture mapping)

class SceneMeshBuilder {
 public:
  // A new primitive drawn with the texture slot; -1 (nothing is added to
  // it) when the texture is missing.
  int32_t Primitive(int32_t texture);
  // Corners in world coordinates; `out` is the face's outward direction.
  void Face(int32_t prim, const Vec3 (&w)[4], const TexCoord (&uv)[4], const Vec3& out);
  // A level rectangle cut into cells, its texture repeated every `repeat` units.
  void Ground(int32_t prim, float x0, float z0, float x1, float z1, float y, float repeat,
              float cell = kSceneMeshCell);
  // A rectangle with its texture stretched once, v along z (or along x when
  // `alongX`), cut along its length into roughly square pieces.
  void Strip(int32_t prim, float x0, float z0, float x1, float z1, float y, bool alongX);
  // The four walls and the roof (when `roof` is not -1) of a box.
  void Box(int32_t walls, int32_t roof, float x0, float z0, float x1, float z1, float height, float inset);
  bool Empty() const { return positions_.empty(); }
  // Registers the model; 0 when there is nothing to draw.
  int32_t Build();

 private:
  std::vector<Vec3> positions_;
  std::vector<TexCoord> uvs_;
  std::vector<std::vector<uint16_t>> indices_;
  std::vector<int32_t> textures_;
};
