#pragma once
// A small builder of low-poly, flat-coloured models for the model generator.
//
// Shapes are emitted once per animation frame in the same order; frame 0
// fixes the triangles and colours, later frames only move the corners. Each
// colour becomes one primitive drawn with a solid-colour texture
// ("c_rrggbb.tex") in the model's folder, so a family's models share a few
// small textures.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/maths.h"
#include "engine/files/model_file.h"

using Colour = uint32_t;  // 0xRRGGBB

// Where a shape's corners go: model space from the shape's own.
using Place = std::function<Vec3(const Vec3&)>;
Place Identity();
// Turns about an axis through `pivot` (degrees), then moves by `offset`.
Place TurnX(const Vec3& pivot, float degrees, const Vec3& offset = {0, 0, 0});
Place TurnY(const Vec3& pivot, float degrees, const Vec3& offset = {0, 0, 0});
Place TurnZ(const Vec3& pivot, float degrees, const Vec3& offset = {0, 0, 0});
Place Then(Place first, Place second);
Place Move(const Vec3& offset);

class MeshBuilder {
 public:
  // Starts a frame; every frame must emit the same shapes.
  void BeginFrame();
  // Eight corners: bottom (x0z0, x1z0, x1z1, x0z1), then top in the same order.
  void Hexa(const std::array<Vec3, 8>& corners, Colour colour, const Place& place = Identity());
  void Box(const Vec3& lo, const Vec3& hi, Colour colour, const Place& place = Identity());
  // A box whose top is narrowed by `inset` on x and shifted on z by
  // `shiftLow`/`shiftHigh` at its low and high z faces (windscreens, cabins).
  void Taper(const Vec3& lo, const Vec3& hi, float insetX, float shiftLowZ, float shiftHighZ, Colour colour,
             const Place& place = Identity());
  // An upright prism or cone about (cx, cz) from y0 to y1; `axis` 'x' or 'z'
  // lays it along that axis instead, from y0 to y1 through the origin (then
  // cx and cz shift its cross-section; `place` moves it).
  void Prism(int sides, float r0, float r1, float y0, float y1, float cx, float cz, Colour colour,
             char axis = 'y', const Place& place = Identity());
  // A flat quad seen from the side away from `inside`.
  void Quad(const std::array<Vec3, 4>& corners, const Vec3& inside, Colour colour, const Place& place = Identity());

  // A place applied after every shape's own (a whole token tipped over).
  void SetOuter(Place outer) { outer_ = std::move(outer); }

  // Turns everything made so far half round about the y axis: the families
  // are built facing +z and the game's models face -z.
  void TurnAround();

  int32_t frames() const { return static_cast<int32_t>(frames_.size()); }
  // The model file data; false with a reason when the frames differ or a
  // limit is passed.
  bool Finish(ModelFileData& out, std::string& reason) const;
  // Every colour used, for writing its texture.
  std::vector<Colour> Colours() const;

 private:
  struct Triangle {
    Colour colour;
    Vec3 p[3];
  };
  void Face(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, const Vec3& inside, Colour colour);
  void Tri(Vec3 a, const Vec3& b, Vec3 c, const Vec3& inside, Colour colour);
  std::vector<std::vector<Triangle>> frames_;
  Place outer_ = Identity();
};

// The texture file name of a colour ("c_rrggbb.tex").
std::string ColourTextureName(Colour colour);
// Parses "#rrggbb"; false when malformed.
bool ParseColour(const std::string& text, Colour& out);
