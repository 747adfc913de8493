#pragma once
// Models and model handles. A model is a set of vertex arrays (positions for
// one or more animation frames, texture coordinates, normals) and a list of
// primitives, each an indexed triangle list drawn with one texture. Loaded
// models are prepared here (vertex split per primitive, checks, vertex-cache
// order, normals, packing); the game also builds models at run time with the
// builder below. Entities refer to models by handle (1..3000, 0 = none).
//
// One model system exists at a time: ModSysCreate makes it the program's
// (TheModelSystem) and the ModSys* operations work on that one.
#include <cstdint>

#include "engine/core/maths.h"
#include "engine/render/renderer.h"

struct CTextureSystem;

inline constexpr int32_t kMaxModels = 3000;
inline constexpr int32_t kModelBuilderCapacity = 0x4000;

// Model flag bits.
inline constexpr uint32_t kModelFlagDistanceCulled = 0x8;
inline constexpr uint32_t kModelFlagPackedMask = 0x30;  // keep positions packed
inline constexpr uint32_t kModelFlagPrepared = 0x1000;
// Texture coordinates mapped into the texture pages of this run. Kept apart
// from the prepared bit: prepared models come back from the cache archive
// with their coordinates unfitted, since pages change from run to run.
inline constexpr uint32_t kModelFlagUVsFitted = 0x2000;

struct ModelPrimitive {
  int32_t key;         // render-state key, passed to the renderer
  uint16_t texture;    // texture slot (in a file: texture-directory index)
  uint16_t indexCount; // a multiple of 3
  uint16_t* indices;   // relative to firstVertex once prepared
  int32_t firstVertex;
  int32_t lastVertex;
};

struct CModel {
  uint16_t vertexCount;  // per frame
  uint16_t primitiveCount;
  uint16_t frameCount;
  uint16_t textureDirSize;
  int32_t namedRecordCount;
  uint8_t* namedRecords;  // 35-byte records
  int32_t frameRecordCount;
  uint8_t* frameRecords;  // frameCount x frameRecordCount records of 28 bytes
  uint32_t flags;
  int32_t packed;  // 1 when packed positions exist
  float packStep[3];
  float packOrigin[3];
  void* reserved1;
  Vec3* positions;            // vertexCount x frameCount, frame after frame
  uint32_t* packedPositions;  // vertexCount x frameCount
  TexCoord* uv1;
  TexCoord* uv2;
  void* reserved2;
  Vec3* normals;
  int32_t indexTotal;
  ModelPrimitive* primitives;
  Bounds bounds;
};

// Packed position: x unit in bits 0-9, y in 10-20, z in 21-31;
// position = origin + unit x step per axis.
inline constexpr uint32_t PackedUnitX(uint32_t w) { return w & 0x3FF; }
inline constexpr uint32_t PackedUnitY(uint32_t w) { return (w >> 10) & 0x7FF; }
inline constexpr uint32_t PackedUnitZ(uint32_t w) { return w >> 21; }

struct CModelSystem {
  CModel* models[kMaxModels];  // handle h at place h - 1
  int32_t values[kMaxModels];
  int32_t freeCount;
  uint8_t inUse[kMaxModels];
  uint16_t builderIndices[kModelBuilderCapacity];
  uint16_t builderCount;
  uint32_t defaultFlags;  // OR'd into every model the loaders register
};

// The caller's record of a model's levels of detail (handles 0 = none).
struct ModelLodSet {
  int32_t handles[3];
  uint32_t count;  // highest level loaded + 1
};

CModelSystem* TheModelSystem();

CModelSystem* ModSysCreate();
void ModSysDestroy();
void ModSysSetDefaultFlags(uint32_t flags);

// Takes the lowest free handle; returns it (1-based).
int32_t ModSysRegisterModel(CModel* model, int32_t value);
CModel* ModSysGetModel(int32_t handle);  // null when not in use
bool ModSysDeleteModel(int32_t handle);
void ModSysCalcBounds(int32_t handle);
void CalcModelBounds(CModel* model);

void ModSysFlipWinding(int32_t handle);
void ModSysScaleModel(int32_t handle, float sx, float sy, float sz);
void ModSysTranslateModel(int32_t handle, const Vec3& offset);
void ModSysRotateModelY(int32_t handle, float degrees);
void ModSysSwapXZ(int32_t handle);

// Map texture coordinates 1 into the page rectangles of the primitives'
// textures, and back.
bool ModSysFitUVs(CTextureSystem* textures, CModel* model);
void ModSysUnfitUVs(CTextureSystem* textures, CModel* model);

// Preparation of a loaded model; false (model unchanged) when its indices do
// not fit its vertices.
bool ModSysPrepareModel(CModel* model);
void ModSysCalcNormals(CModel* model);
void ModSysPackPositions(CModel* model);

// The run-time model builder: create a model, then collect the indices of one
// primitive at a time and end it.
int32_t ModSysCreateSelfBuiltModel(int32_t primitiveCount, int32_t vertexCount,
                                   const Vec3* positions, const TexCoord* uv1,
                                   const TexCoord* uv2);
void ModSysAddTriangle(uint16_t a, uint16_t b, uint16_t c);
void ModSysAddQuad(uint16_t a, uint16_t b, uint16_t c, uint16_t d);
void ModSysAddIndices(int32_t count, const uint16_t* indices);
void ModSysEndPrimitive(int32_t handle, int32_t primitive, int32_t key, uint16_t texture);
