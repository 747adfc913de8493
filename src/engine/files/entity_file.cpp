#include "engine/files/entity_file.h"

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/error.h"
#include "engine/files/file_bytes.h"
#include "engine/core/memory.h"
#include "engine/files/model_file.h"
#include "engine/files/texture_file.h"

namespace {

EntLoadProgressProc g_progress = nullptr;

[[noreturn]] void Fatal(const std::string& message) { FatalFileError(message, ""); }

// The texture directory's names, in order.
std::vector<std::string> DirectoryNames(const uint8_t* directory, size_t size) {
  std::vector<std::string> names;
  size_t start = 0;
  for (size_t i = 0; i < size; ++i) {
    if (directory[i] == 0) {
      names.emplace_back(reinterpret_cast<const char*>(directory) + start, i - start);
      start = i + 1;
    }
  }
  return names;
}

std::string FolderOf(std::string_view path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

}  // namespace

void EntSetLoadProgressProc(EntLoadProgressProc proc) { g_progress = proc; }

int32_t EntLoadModel(std::string_view path, ModelLodSet* set, int32_t level) {
  const std::string model_path(path);
  if (level < 0 || level > 2) Fatal("Bad level of detail for " + model_path);
  if (g_progress) g_progress();
  CModel* model = nullptr;
  uint8_t* directory = nullptr;
  ModLoadModel(path, &model, &directory);
  if (directory && model->textureDirSize) {
    std::vector<std::string> names = DirectoryNames(directory, model->textureDirSize);
    if (names.size() > static_cast<size_t>(kMaxModelTextures)) {
      Fatal("Model names more than 256 textures: " + model_path);
    }
    const std::string folder = FolderOf(path);
    std::vector<int32_t> slots;
    for (const std::string& name : names) {
      const std::string texture_path = folder + name;
      int32_t slot = TexLoadTexture(texture_path);
      if (slot == -1) {
        ReportErrorF(0, "Cannot open %.400s, needed by %.400s", texture_path.c_str(), model_path.c_str());
      }
      if (CTexture* texture = TexSysGetTexture(slot)) ++texture->references;
      slots.push_back(slot);
    }
    for (int32_t p = 0; p < model->primitiveCount; ++p) {
      ModelPrimitive& prim = model->primitives[p];
      if (prim.texture >= slots.size()) {
        Fatal("Model names a texture beyond its directory: " + model_path);
      }
      prim.texture = static_cast<uint16_t>(slots[prim.texture]);
    }
  }
  if (CModelSystem* ms = TheModelSystem()) model->flags |= ms->defaultFlags;
  int32_t handle = ModSysRegisterModel(model, 0);
  set->handles[level] |= handle;
  if (set->count < static_cast<uint32_t>(level + 1)) set->count = static_cast<uint32_t>(level + 1);
  if (directory) MEM_FREE(directory);
  return handle;
}

void EntLoadCopyAnimation(const ModelLodSet* source, ModelLodSet* destination, int32_t level) {
  if (level < 0 || level > 2) return;
  CModel* from = ModSysGetModel(source->handles[level]);
  CModel* to = ModSysGetModel(destination->handles[level]);
  if (!from || !to) {
    ReportError(1, 0, "Cannot copy animation: model not loaded");
    return;
  }
  if (from->vertexCount != to->vertexCount) {
    ReportError(0, 0, "Cannot copy animation from a model with differing numbers of vertices");
    return;
  }
  // Loaded models live in static memory; freeing is a no-op there and only
  // matters for models built in active memory.
  if (to->positions && to->positions != from->positions) MEM_FREE(to->positions);
  to->frameCount = from->frameCount;
  to->positions = from->positions;
  to->packedPositions = from->packedPositions;
  to->packed = from->packed;
  std::memcpy(to->packStep, from->packStep, sizeof to->packStep);
  std::memcpy(to->packOrigin, from->packOrigin, sizeof to->packOrigin);
  if (to->normals && to->normals != from->normals) {
    MEM_FREE(to->normals);
    to->normals = from->normals;
  }
  to->bounds = from->bounds;
}
