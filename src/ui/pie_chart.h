#pragma once
// A pie chart as a mesh: slices given as shares of a full circle, each a fan
// of triangles round the centre, optionally pulled out from the middle and,
// when the chart has depth (a slice's two heights differ), closed by walls.
// The mesh lies in the x-z plane with y up and is drawn untextured.
#include <cstdint>
#include <vector>

#include "engine/render/renderer.h"

class CPieChart {
 public:
  static constexpr int32_t kMaxSlices = 16;

  // Empties the chart and makes room for a full circle of `segments` outline
  // steps (at least 3, at most 1024).
  void Create(int32_t segments);
  void Destroy();
  // Appends a slice of `share` percent of the circle. False when the chart
  // was not created, is full or the share is not a positive number.
  bool AddSlice(float share, uint32_t colour, float radius, float height, float secondHeight, float offset);
  // Turns the slices into triangles. Each slice starts where the previous
  // one ended; slices that would overflow the mesh are left out.
  void Build();
  // Draws the built mesh.
  void Draw(CRenderer& renderer) const;

  int32_t Segments() const { return segments_; }
  int32_t SliceCount() const { return int32_t(slices_.size()); }
  const std::vector<VertexUntextured>& Vertices() const { return vertices_; }
  const std::vector<uint16_t>& Indices() const { return indices_; }
  int32_t VertexCapacity() const { return vertexCapacity_; }

 private:
  struct Slice {
    float share;
    uint32_t colour;
    float radius, height, secondHeight, offset;
  };
  bool BuildSlice(const Slice& s, float start, float span, bool walls);
  uint16_t Vertex(float x, float y, float z, uint32_t colour);

  int32_t segments_ = 0;
  int32_t vertexCapacity_ = 0;
  int32_t indexCapacity_ = 0;
  std::vector<Slice> slices_;
  std::vector<VertexUntextured> vertices_;
  std::vector<uint16_t> indices_;
};
