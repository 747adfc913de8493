#pragma once
// Text and signs that stand in the city as models: the lettering and boards
// of shop signs, and a block's name written four times round it on the
// ground. Glyphs come from the interface's fonts: for the time of one build
// the text system's glyph callback writes glyph quads into one program-wide
// mesh builder instead of the screen, and the collected vertices become a
// self-built model. The builder holds at most 1500 vertices: longer text is
// cut at a whole glyph.
#include <cstdint>
#include <string_view>

#include "engine/core/maths.h"

inline constexpr int32_t kTextMeshVertices = 1500;
inline constexpr int32_t kTextMeshLowIndices = 9502;
inline constexpr int32_t kTextMeshHighIndices = 1500;

// The builders lay text out with the interface's text system and fonts
// (Ui().text and Ui().fontTextures); without a text system signs are built
// without lettering. The sign boards' texture slots come from whoever loads
// them (0 until then). A sign's row is its colour: one per player colour,
// the last for signs nobody owns.
inline constexpr int32_t kSignRows = 11;
struct SignTextures {
  int32_t signBoard[kSignRows] = {};  // board texture of each sign row
  int32_t signFace[kSignRows] = {};   // face texture of each sign row
};
void SetSignTextures(const SignTextures& textures);

// The caller's model record: the handle and whether it holds one.
struct TextModelRecord {
  int32_t model = 0;
  bool held = false;
};

// Mesh primitives.
void ResetTextMesh();
int32_t AddMeshVertex(float x, float y, float z, float u, float v, uint32_t colour);  // -1 when full
bool AddMeshTriangle(int32_t i0, int32_t i1, int32_t i2);
bool AddMeshQuad(const Vec3& corner1, const Vec3& corner2, float left, float top, float right, float bottom,
                 uint32_t colour, bool twoSided);
void BeginMeshGroup(int32_t texture);
void EndMeshGroup();
int32_t TextMeshVertexCount();

// Builders. A text id of -1 takes `text` (an empty text builds "Error").
// Each returns the model handle (0 when none could be made).
int32_t BuildTextModel(TextModelRecord& r, std::string_view text, int32_t textId, float width, float height);
int32_t BuildTextModelFlag1(TextModelRecord& r, std::string_view text, int32_t textId, float width, float height);
int32_t BuildTextModelDoubleSided(TextModelRecord& r, std::string_view text, int32_t textId, float width,
                                  float height);
int32_t BuildFittedTextModel(TextModelRecord& r, int32_t row, std::string_view text, int32_t textId, float width,
                             float height);
int32_t BuildFittedTextModelBack(TextModelRecord& r, int32_t row, std::string_view text, int32_t textId,
                                 float width, float height);
int32_t AddSignText(TextModelRecord& r, int32_t row, float width, float height);
int32_t AddSignTextBackFace(TextModelRecord& r, int32_t row, float width, float height);
int32_t BuildSignPanelModel(TextModelRecord& r, int32_t logo, int32_t row, float width, float height, float y);
int32_t BuildSignModel(TextModelRecord& r, int32_t row, float width, float height);
// The block name label: the text four times round the block, at most 30
// units from the middle on each side.
int32_t CreateFourSidedTextModel(TextModelRecord& r, int32_t textId, std::string_view text = {});
