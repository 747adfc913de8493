#pragma once
// Model files (".tm") and their prepared images in the cache archive.
//
// ModelFile, little-endian, no padding:
//   uint16 major (0), uint16 minor (1), uint32 section flags,
//   uint16 vertex count V, primitive count P, frame count F, directory size D,
//   then, each only when its flag bit is set (and its count is not 0):
//   bit 0: F x V positions (3 float32), frame after frame
//   bit 2: V texture coordinates (2 float32)
//   bit 1: per primitive {int32 key, uint16 directory index, uint16 index
//          count} then that many uint16 vertex indices
//   bit 6: D bytes of texture names, each ended by a zero byte, relative to
//          the model file's folder
//   bit 8: int32 N, then F x N frame records (28 bytes)
//   bit 7: int32 M, then M named records (35 bytes)
//
// Named records mark groups of vertices by name: the interface finds its
// layout elements by group name and takes the extremes of the group's
// vertices in a chosen frame. Vertex numbers in a file are the prepared
// model's: the writer numbers vertices in order of first use with no vertex
// shared between primitives, which the model preparation keeps as it is.
// Frame records are attachment points, one set of N per animation frame.
//
// ModelImage (the archive entry): V, P, F, D (uint16), M, N (int32), flags,
// packed flag, 3 packing steps, 3 packing origin values, Bounds (116 bytes),
// positions (F x V x 12) or packed positions (F x V x 4, flags bit 4 or 5),
// V texture coordinates, V normals, M named records, the first frame's N
// frame records, P primitives of 20 bytes {key, texture, index count, 4 bytes
// unused, first vertex, last vertex}, int32 index total T, T indices, the
// D-byte directory.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/maths.h"
#include "engine/scene/model.h"
#include "engine/render/renderer.h"

inline constexpr uint32_t kModelSectionPositions = 0x1;
inline constexpr uint32_t kModelSectionPrimitives = 0x2;
inline constexpr uint32_t kModelSectionTexCoords = 0x4;
inline constexpr uint32_t kModelSectionDirectory = 0x40;
inline constexpr uint32_t kModelSectionNamed = 0x80;
inline constexpr uint32_t kModelSectionFrames = 0x100;
// All indices of a model gather in one buffer of 64000 bytes.
inline constexpr int32_t kMaxModelIndices = 32000;
inline constexpr size_t kModelNameLength = 27;

#pragma pack(push, 1)
struct ModelNamedRecord {  // 35 bytes
  char name[kModelNameLength];  // upper case, zero-terminated, zero-padded
  uint16_t firstVertex;         // the group's vertices: first to last, inclusive
  uint16_t lastVertex;
  int32_t value;  // free for the group's user
};
struct ModelFrameRecord {  // 28 bytes
  float position[3];
  float rotation[3];  // degrees about x, y, z
  int32_t tag;
};
#pragma pack(pop)
static_assert(sizeof(ModelNamedRecord) == 35);
static_assert(sizeof(ModelFrameRecord) == 28);

// A model file as data: what the writer takes and the parser gives.
struct ModelFileData {
  struct Primitive {
    int32_t key = 0;
    uint16_t texture = 0;  // index into `textures`
    std::vector<uint16_t> indices;
  };
  uint16_t vertexCount = 0;
  uint16_t frameCount = 1;
  std::vector<Vec3> positions;  // frameCount x vertexCount
  std::vector<TexCoord> uvs;    // vertexCount
  std::vector<Primitive> primitives;
  std::vector<std::string> textures;  // the directory's names
  bool hasFrameRecords = false;
  int32_t frameRecordCount = 0;               // per frame
  std::vector<ModelFrameRecord> frameRecords;  // frameCount x frameRecordCount
  bool hasNamedRecords = false;
  std::vector<ModelNamedRecord> namedRecords;
};

// Parses a model file; every count and size is checked against the bytes.
// False with a reason when the file is damaged or not of version 0.1.
bool ParseModelFile(std::span<const uint8_t> bytes, ModelFileData& out, std::string& reason);
// The file's bytes for a model; false with a reason when it breaks a limit.
bool EncodeModelFile(const ModelFileData& model, std::vector<uint8_t>& out, std::string& reason);
bool WriteModelFile(std::string_view game_name, const ModelFileData& model, std::string& reason);
// Renumbers vertices in order of first use and gives every primitive its own
// copies, remapping named-record ranges (see above); false when a group's
// vertices do not stay contiguous.
bool NormaliseModelVertices(ModelFileData& model, std::string& reason);

// The loader. The model comes back unregistered, its record and arrays in
// static memory; the directory (D bytes, or null) belongs to the caller, who
// frees it with MEM_FREE.
void ModLoadModel(std::string_view path, CModel** model, uint8_t** directory);
void ModLoadReadFile(std::string_view path, CModel** model, uint8_t** directory);
void ModLoadPrepare(CModel* model);
void ModLoadStoreImage(std::string_view path, const CModel* model, const uint8_t* directory);
// False when the archive entry is damaged (nothing allocated then).
bool ModLoadReadImage(std::string_view path, CModel** model, uint8_t** directory);
// Frees a model made by ModLoadReadFile (active memory).
void ModLoadFreeModel(CModel* model, uint8_t* directory);
