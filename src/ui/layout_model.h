#pragma once
// Layout models: the flat, multi-frame model files every panel and screen is
// made of. Frame 0 is the panel fully closed, the last frame fully open; each
// element is a named group of vertices whose extremes in a frame give the
// element's rectangle. Model y runs upward, so rectangles negate it.
//
// The toolkit draws a layout model itself, in the 640 x 480 layout space:
// every six indices of a primitive are one axis-aligned quad (as the layout
// compiler writes them), drawn with the primitive's texture. Primitives with
// key kLayoutAreaKey are element areas only and are never drawn.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/files/model_file.h"
#include "ui/ui_rect.h"

inline constexpr int32_t kLayoutAreaKey = 1;

struct LayoutModel {
  ModelFileData data;
  std::vector<int32_t> textures;  // texture slot per directory entry, -1 none
  std::string name;               // game name it was read from

  int32_t FrameCount() const { return data.frameCount; }
  int32_t GroupCount() const { return int32_t(data.namedRecords.size()); }
};

// The placed layout model of a panel: its screen position (layout units), a
// rotation kept for the model's record, the frame shown and its alpha. Two
// panels may place one model; what a panel changes of its elements' looks
// (texture, mirrored image) is kept here, by group.
struct CLayoutEntity {
  const LayoutModel* model = nullptr;
  float x = 0.0f, y = 0.0f, z = 0.0f;
  float rotation[3] = {180.0f, 0.0f, 0.0f};  // turned over: model y up, screen y down
  int16_t frame = 0;
  uint8_t alpha = 255;
  std::vector<int32_t> groupTextures;  // texture slot by group, -1: the model's
  std::vector<uint8_t> groupFlipped;   // 1: the group's image mirrored top to bottom
};

// The group whose vertices hold the primitive's first index, -1 when none.
int32_t LayoutPrimitiveGroup(const LayoutModel& model, size_t primitive);
// The texture slot a primitive draws with on this entity (-1 none).
int32_t LayoutPrimitiveTexture(const CLayoutEntity& entity, size_t primitive);

// Reads a layout model file and registers the textures it names (single
// texture files beside it). False with a reason when the file is missing or
// damaged; a texture that cannot be read is reported and left out.
bool LoadLayoutModel(std::string_view gameName, LayoutModel& out, std::string& reason);
// A panel set's layouts, in order; one that cannot be read is reported and
// left empty (its panel then has no model). False when any was missing.
bool LoadLayoutModels(std::span<const char* const> gameNames, std::vector<LayoutModel>& out);
// The same from bytes already read (textures are not registered).
bool ParseLayoutModel(std::span<const uint8_t> bytes, LayoutModel& out, std::string& reason);

// Extremes of a group's vertices in frame (clamped to the model's frames),
// y negated, depth 0.5; the zero rectangle for a group index out of range.
UIRect LayoutGroupRect(const LayoutModel& model, int32_t group, int32_t frame);
// Extremes of all vertices of a frame (from +-99999).
UIRect LayoutFrameBounds(const LayoutModel& model, int32_t frame);
// Mean z of a group's vertices in a frame.
float LayoutGroupDepth(const LayoutModel& model, int32_t group, int32_t frame);
// Index of the group whose name equals `name` exactly, -1 when none or empty.
int32_t LayoutGroupIndex(const LayoutModel& model, std::string_view name);

// Draws the entity's model at its frame, position and alpha.
void DrawLayoutModel(const CLayoutEntity& entity, float depth);
