#include "engine/files/model_file.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "engine/files/cache_archive.h"
#include "engine/core/error.h"
#include "engine/files/file_bytes.h"
#include "engine/core/memory.h"

namespace {

constexpr uint32_t kPrimitiveImageSize = 20;

bool NameTerminated(const ModelNamedRecord& r) {
  return std::memchr(r.name, 0, sizeof r.name) != nullptr;
}

// Splits a directory block into names; false when it does not end with a zero.
bool SplitDirectory(std::span<const uint8_t> block, std::vector<std::string>& names) {
  names.clear();
  if (block.empty()) return true;
  if (block.back() != 0) return false;
  size_t start = 0;
  for (size_t i = 0; i < block.size(); ++i) {
    if (block[i] == 0) {
      names.emplace_back(reinterpret_cast<const char*>(block.data()) + start, i - start);
      start = i + 1;
    }
  }
  return true;
}

}  // namespace

// ---- File format ----------------------------------------------------------

bool ParseModelFile(std::span<const uint8_t> bytes, ModelFileData& out, std::string& reason) {
  out = ModelFileData{};
  ByteReader r(bytes);
  uint16_t major = 0, minor = 0, v = 0, p = 0, f = 0, d = 0;
  uint32_t flags = 0;
  if (!(r.Get(major) && r.Get(minor) && r.Get(flags))) return RefuseFile(reason, "file too short");
  if (major != 0 || minor != 1) return RefuseFile(reason, "version");
  if (!(r.Get(v) && r.Get(p) && r.Get(f) && r.Get(d))) return RefuseFile(reason, "file too short");
  if (v != 0) {
    if (!(flags & kModelSectionPositions)) return RefuseFile(reason, "vertices without positions");
    if (!(flags & kModelSectionTexCoords)) return RefuseFile(reason, "vertices without texture coordinates");
    if (f == 0) return RefuseFile(reason, "vertices without frames");
  }
  if (p != 0 && !(flags & kModelSectionPrimitives)) return RefuseFile(reason, "primitive count without primitives");
  if (d != 0 && !(flags & kModelSectionDirectory)) return RefuseFile(reason, "directory size without directory");
  out.vertexCount = v;
  out.frameCount = f;
  if (v != 0) {
    size_t count = static_cast<size_t>(f) * v;
    if (r.Remaining() / sizeof(Vec3) < count) return RefuseFile(reason, "positions pass the end of the file");
    out.positions.resize(count);
    r.GetBytes(out.positions.data(), count * sizeof(Vec3));
    if (r.Remaining() / sizeof(TexCoord) < v) return RefuseFile(reason, "texture coordinates pass the end of the file");
    out.uvs.resize(v);
    r.GetBytes(out.uvs.data(), v * sizeof(TexCoord));
  }
  int32_t total = 0;
  if (p != 0) {
    out.primitives.resize(p);
    for (ModelFileData::Primitive& prim : out.primitives) {
      uint16_t count = 0;
      if (!(r.Get(prim.key) && r.Get(prim.texture) && r.Get(count))) {
        return RefuseFile(reason, "primitives pass the end of the file");
      }
      total += count;
      if (total > kMaxModelIndices) return RefuseFile(reason, "more than 32000 indices");
      if (count % 3 != 0) return RefuseFile(reason, "index count not a multiple of 3");
      prim.indices.resize(count);
      if (!r.GetBytes(prim.indices.data(), count * sizeof(uint16_t))) {
        return RefuseFile(reason, "indices pass the end of the file");
      }
      for (uint16_t index : prim.indices) {
        if (index >= v) return RefuseFile(reason, "index beyond the vertices");
      }
    }
  }
  if (d != 0) {
    std::vector<uint8_t> block(d);
    if (!r.GetBytes(block.data(), d)) return RefuseFile(reason, "directory passes the end of the file");
    if (!SplitDirectory(block, out.textures)) return RefuseFile(reason, "directory not ended by a zero byte");
    for (const ModelFileData::Primitive& prim : out.primitives) {
      if (prim.texture >= out.textures.size()) return RefuseFile(reason, "texture index beyond the directory");
    }
  }
  if (flags & kModelSectionFrames) {
    out.hasFrameRecords = true;
    if (!r.Get(out.frameRecordCount) || out.frameRecordCount < 0) return RefuseFile(reason, "bad frame-record count");
    size_t count = static_cast<size_t>(f) * static_cast<size_t>(out.frameRecordCount);
    if (r.Remaining() / sizeof(ModelFrameRecord) < count) return RefuseFile(reason, "frame records pass the end of the file");
    out.frameRecords.resize(count);
    r.GetBytes(out.frameRecords.data(), count * sizeof(ModelFrameRecord));
  }
  if (flags & kModelSectionNamed) {
    out.hasNamedRecords = true;
    int32_t m = 0;
    if (!r.Get(m) || m < 0) return RefuseFile(reason, "bad named-record count");
    if (r.Remaining() / sizeof(ModelNamedRecord) < static_cast<size_t>(m)) {
      return RefuseFile(reason, "named records pass the end of the file");
    }
    out.namedRecords.resize(static_cast<size_t>(m));
    r.GetBytes(out.namedRecords.data(), out.namedRecords.size() * sizeof(ModelNamedRecord));
    for (const ModelNamedRecord& n : out.namedRecords) {
      if (!NameTerminated(n) || n.firstVertex > n.lastVertex || n.lastVertex >= v) {
        return RefuseFile(reason, "bad named record");
      }
    }
  }
  return true;
}

bool EncodeModelFile(const ModelFileData& m, std::vector<uint8_t>& out, std::string& reason) {
  const size_t v = m.vertexCount;
  if (v != 0 && m.frameCount == 0) return RefuseFile(reason, "vertices without frames");
  if (m.positions.size() != v * m.frameCount) return RefuseFile(reason, "positions do not match the counts");
  if (m.uvs.size() != v) return RefuseFile(reason, "texture coordinates do not match the vertex count");
  if (m.primitives.size() > 0xFFFF) return RefuseFile(reason, "too many primitives");
  size_t total = 0;
  for (const ModelFileData::Primitive& prim : m.primitives) {
    total += prim.indices.size();
    if (prim.indices.size() % 3 != 0) return RefuseFile(reason, "index count not a multiple of 3");
    if (!m.textures.empty() && prim.texture >= m.textures.size()) return RefuseFile(reason, "texture index beyond the directory");
    for (uint16_t index : prim.indices) {
      if (index >= v) return RefuseFile(reason, "index beyond the vertices");
    }
  }
  if (total > static_cast<size_t>(kMaxModelIndices)) return RefuseFile(reason, "more than 32000 indices");
  ByteWriter dir;
  for (const std::string& name : m.textures) {
    if (name.empty() || name.find('\0') != std::string::npos) return RefuseFile(reason, "bad texture name");
    dir.PutBytes(name.data(), name.size());
    dir.Put(uint8_t{0});
  }
  if (dir.bytes.size() > 0xFFFF) return RefuseFile(reason, "texture directory too large");
  if (m.hasFrameRecords &&
      m.frameRecords.size() != static_cast<size_t>(m.frameCount) * static_cast<size_t>(std::max(m.frameRecordCount, 0))) {
    return RefuseFile(reason, "frame records do not match the counts");
  }
  for (const ModelNamedRecord& n : m.namedRecords) {
    if (!NameTerminated(n) || n.firstVertex > n.lastVertex || n.lastVertex >= v) {
      return RefuseFile(reason, "bad named record");
    }
  }
  uint32_t flags = 0;
  if (v) flags |= kModelSectionPositions | kModelSectionTexCoords;
  if (!m.primitives.empty()) flags |= kModelSectionPrimitives;
  if (!dir.bytes.empty()) flags |= kModelSectionDirectory;
  if (m.hasFrameRecords) flags |= kModelSectionFrames;
  if (m.hasNamedRecords) flags |= kModelSectionNamed;
  ByteWriter w;
  w.Put(uint16_t{0});
  w.Put(uint16_t{1});
  w.Put(flags);
  w.Put(static_cast<uint16_t>(v));
  w.Put(static_cast<uint16_t>(m.primitives.size()));
  w.Put(m.frameCount);
  w.Put(static_cast<uint16_t>(dir.bytes.size()));
  if (v) {
    w.PutBytes(m.positions.data(), m.positions.size() * sizeof(Vec3));
    w.PutBytes(m.uvs.data(), m.uvs.size() * sizeof(TexCoord));
  }
  for (const ModelFileData::Primitive& prim : m.primitives) {
    w.Put(prim.key);
    w.Put(prim.texture);
    w.Put(static_cast<uint16_t>(prim.indices.size()));
    w.PutBytes(prim.indices.data(), prim.indices.size() * sizeof(uint16_t));
  }
  w.PutBytes(dir.bytes.data(), dir.bytes.size());
  if (m.hasFrameRecords) {
    w.Put(m.frameRecordCount);
    w.PutBytes(m.frameRecords.data(), m.frameRecords.size() * sizeof(ModelFrameRecord));
  }
  if (m.hasNamedRecords) {
    w.Put(static_cast<int32_t>(m.namedRecords.size()));
    w.PutBytes(m.namedRecords.data(), m.namedRecords.size() * sizeof(ModelNamedRecord));
  }
  out = std::move(w.bytes);
  return true;
}

bool WriteModelFile(std::string_view game_name, const ModelFileData& model, std::string& reason) {
  std::vector<uint8_t> bytes;
  if (!EncodeModelFile(model, bytes, reason)) return false;
  if (!WriteWholeGameFile(game_name, bytes)) return RefuseFile(reason, "cannot write the file");
  return true;
}

bool NormaliseModelVertices(ModelFileData& m, std::string& reason) {
  const size_t v = m.vertexCount;
  std::vector<uint32_t> source;  // old vertex of each new one
  std::vector<std::vector<uint32_t>> users(v);  // new vertices made from each old one
  for (ModelFileData::Primitive& prim : m.primitives) {
    std::map<uint16_t, uint16_t> mapped;
    for (uint16_t& index : prim.indices) {
      auto it = mapped.find(index);
      if (it == mapped.end()) {
        if (source.size() >= 0xFFFF) return RefuseFile(reason, "too many vertices once split");
        it = mapped.emplace(index, static_cast<uint16_t>(source.size())).first;
        users[index].push_back(static_cast<uint32_t>(source.size()));
        source.push_back(index);
      }
      index = it->second;
    }
  }
  const size_t n = source.size();
  std::vector<Vec3> positions(n * m.frameCount);
  for (size_t f = 0; f < m.frameCount; ++f) {
    for (size_t k = 0; k < n; ++k) positions[f * n + k] = m.positions[f * v + source[k]];
  }
  std::vector<TexCoord> uvs(n);
  for (size_t k = 0; k < n; ++k) uvs[k] = m.uvs[source[k]];
  for (ModelNamedRecord& rec : m.namedRecords) {
    std::vector<uint32_t> made;
    for (uint32_t old = rec.firstVertex; old <= rec.lastVertex && old < v; ++old) {
      made.insert(made.end(), users[old].begin(), users[old].end());
    }
    if (made.empty()) return RefuseFile(reason, "a group names no used vertex");
    auto [lo, hi] = std::minmax_element(made.begin(), made.end());
    if (static_cast<size_t>(*hi - *lo + 1) != made.size()) {
      return RefuseFile(reason, "a group's vertices are not contiguous once split per primitive");
    }
    rec.firstVertex = static_cast<uint16_t>(*lo);
    rec.lastVertex = static_cast<uint16_t>(*hi);
  }
  m.vertexCount = static_cast<uint16_t>(n);
  m.positions = std::move(positions);
  m.uvs = std::move(uvs);
  return true;
}

// ---- Loader ---------------------------------------------------------------

namespace {

template <typename T>
T* ActiveArray(size_t count, const char* failure, std::string_view path) {
  if (count == 0) return nullptr;
  void* block = MEM_ALLOC(sizeof(T) * count);
  if (!block) FatalFileError(failure, path);
  return static_cast<T*>(block);
}

template <typename T>
T* StaticArray(size_t count, std::string_view path) {
  if (count == 0) return nullptr;
  void* block = MEM_STATIC_ALLOC(sizeof(T) * count);
  if (!block) FatalFileError("Unable to allocate vertex memory for ", path);
  return static_cast<T*>(block);
}

void FreeIfSet(void* block) {
  if (block) MEM_FREE(block);
}

}  // namespace

void ModLoadReadFile(std::string_view path, CModel** model_out, uint8_t** directory_out) {
  auto* model = static_cast<CModel*>(MEM_ALLOC(sizeof(CModel)));
  if (!model) FatalFileError("Cannot allocate memory for new model file ", path);
  std::memset(static_cast<void*>(model), 0, sizeof(CModel));
  std::vector<uint8_t> bytes;
  if (!ReadWholeGameFile(path, bytes)) {
    MEM_FREE(model);
    FatalFileError("Cannot open new model file ", path);
  }
  ModelFileData data;
  std::string reason;
  if (!ParseModelFile(bytes, data, reason)) {
    MEM_FREE(model);
    if (reason == "version") FatalFileError("Model is not same version number ", path);
    FatalFileError("Model file is damaged (" + reason + "): ", path);
  }
  const size_t v = data.vertexCount;
  model->vertexCount = data.vertexCount;
  model->primitiveCount = static_cast<uint16_t>(data.primitives.size());
  model->frameCount = data.frameCount;
  ByteWriter dir;
  for (const std::string& name : data.textures) {
    dir.PutBytes(name.data(), name.size());
    dir.Put(uint8_t{0});
  }
  model->textureDirSize = static_cast<uint16_t>(dir.bytes.size());
  model->positions = ActiveArray<Vec3>(data.positions.size(), "Unable to allocate vertex memory for ", path);
  if (v) std::memcpy(model->positions, data.positions.data(), data.positions.size() * sizeof(Vec3));
  model->uv1 = ActiveArray<TexCoord>(v, "Unable to allocate vertex memory for ", path);
  if (v) std::memcpy(model->uv1, data.uvs.data(), v * sizeof(TexCoord));
  model->primitives = ActiveArray<ModelPrimitive>(data.primitives.size(), "Unable to allocate primitive memory for ", path);
  int32_t total = 0;
  for (const auto& prim : data.primitives) total += static_cast<int32_t>(prim.indices.size());
  model->indexTotal = total;
  auto* indices = ActiveArray<uint16_t>(static_cast<size_t>(total), "Unable to allocate primitive memory for ", path);
  int32_t at = 0;
  for (size_t p = 0; p < data.primitives.size(); ++p) {
    const auto& src = data.primitives[p];
    ModelPrimitive& prim = model->primitives[p];
    std::memset(&prim, 0, sizeof prim);
    prim.key = src.key;
    prim.texture = src.texture;
    prim.indexCount = static_cast<uint16_t>(src.indices.size());
    prim.indices = indices + at;
    if (!src.indices.empty()) std::memcpy(prim.indices, src.indices.data(), src.indices.size() * 2);
    at += prim.indexCount;
  }
  uint8_t* directory = ActiveArray<uint8_t>(dir.bytes.size(), "Unable to allocate texture directory memory for ", path);
  if (directory) std::memcpy(directory, dir.bytes.data(), dir.bytes.size());
  model->frameRecordCount = data.frameRecordCount;
  model->frameRecords = reinterpret_cast<uint8_t*>(
      ActiveArray<ModelFrameRecord>(data.frameRecords.size(), "Unable to allocate vertex memory for ", path));
  if (model->frameRecords) {
    std::memcpy(model->frameRecords, data.frameRecords.data(), data.frameRecords.size() * sizeof(ModelFrameRecord));
  }
  model->namedRecordCount = static_cast<int32_t>(data.namedRecords.size());
  model->namedRecords = reinterpret_cast<uint8_t*>(
      ActiveArray<ModelNamedRecord>(data.namedRecords.size(), "Unable to allocate vertex memory for ", path));
  if (model->namedRecords) {
    std::memcpy(model->namedRecords, data.namedRecords.data(), data.namedRecords.size() * sizeof(ModelNamedRecord));
  }
  *model_out = model;
  *directory_out = directory;
}

void ModLoadPrepare(CModel* model) {
  if (CModelSystem* ms = TheModelSystem()) model->flags |= ms->defaultFlags;
  ModSysPrepareModel(model);
  ModSysCalcNormals(model);
  CalcModelBounds(model);
  if (model->flags & kModelFlagPackedMask) ModSysPackPositions(model);
}

void ModLoadStoreImage(std::string_view path, const CModel* m, const uint8_t* directory) {
  ByteWriter w;
  const size_t v = m->vertexCount, frames = m->frameCount;
  w.Put(m->vertexCount);
  w.Put(m->primitiveCount);
  w.Put(m->frameCount);
  w.Put(m->textureDirSize);
  w.Put(m->namedRecordCount);
  w.Put(m->frameRecordCount);
  w.Put(m->flags);
  w.Put(m->packed);
  w.Put(m->packStep);
  w.Put(m->packOrigin);
  w.Put(m->bounds);
  if (v) {
    if (m->flags & kModelFlagPackedMask) {
      w.PutBytes(m->packedPositions, v * frames * sizeof(uint32_t));
    } else {
      w.PutBytes(m->positions, v * frames * sizeof(Vec3));
    }
    w.PutBytes(m->uv1, v * sizeof(TexCoord));
    w.PutBytes(m->normals, v * sizeof(Vec3));
  }
  w.PutBytes(m->namedRecords, static_cast<size_t>(m->namedRecordCount) * sizeof(ModelNamedRecord));
  w.PutBytes(m->frameRecords, static_cast<size_t>(m->frameRecordCount) * sizeof(ModelFrameRecord));
  if (m->primitiveCount) {
    int32_t total = 0;
    for (int32_t p = 0; p < m->primitiveCount; ++p) {
      const ModelPrimitive& prim = m->primitives[p];
      w.Put(prim.key);
      w.Put(prim.texture);
      w.Put(prim.indexCount);
      w.Put(uint32_t{0});
      w.Put(prim.firstVertex);
      w.Put(prim.lastVertex);
      total += prim.indexCount;
    }
    w.Put(total);
    for (int32_t p = 0; p < m->primitiveCount; ++p) {
      w.PutBytes(m->primitives[p].indices, m->primitives[p].indexCount * sizeof(uint16_t));
    }
  }
  w.PutBytes(directory, m->textureDirSize);
  CCacheArchive& archive = CacheArchive();
  if (archive.AddEntry(path) && archive.BeginWrite(path)) archive.Write(w.bytes.data(), w.bytes.size());
}

bool ModLoadReadImage(std::string_view path, CModel** model_out, uint8_t** directory_out) {
  CCacheArchive& archive = CacheArchive();
  if (!archive.BeginRead(path)) return false;
  std::vector<uint8_t> bytes(archive.Remaining());
  if (!bytes.empty() && !archive.Read(bytes.data(), bytes.size())) return false;
  ByteReader r(bytes);
  CModel head{};
  r.Get(head.vertexCount);
  r.Get(head.primitiveCount);
  r.Get(head.frameCount);
  r.Get(head.textureDirSize);
  r.Get(head.namedRecordCount);
  r.Get(head.frameRecordCount);
  r.Get(head.flags);
  head.flags &= ~kModelFlagUVsFitted;  // this run's pages are not the stored run's
  r.Get(head.packed);
  r.Get(head.packStep);
  r.Get(head.packOrigin);
  r.Get(head.bounds);
  const size_t v = head.vertexCount, frames = head.frameCount;
  const bool packed = (head.flags & kModelFlagPackedMask) != 0;
  const size_t per_vertex = packed ? sizeof(uint32_t) : sizeof(Vec3);
  auto fits = [&](size_t count, size_t size) { return r.Ok() && r.Remaining() / size >= count; };
  // Validate every count against the entry before allocating anything.
  size_t need_v = v ? v * frames * per_vertex + v * (sizeof(TexCoord) + sizeof(Vec3)) : 0;
  if (!r.Ok() || head.namedRecordCount < 0 || head.frameRecordCount < 0 || (v && frames == 0) ||
      !fits(need_v, 1)) {
    return false;
  }
  std::span<const uint8_t> rest(bytes.data() + r.Position() + need_v, r.Remaining() - need_v);
  ByteReader tail(rest);
  size_t named = static_cast<size_t>(head.namedRecordCount), frame_recs = static_cast<size_t>(head.frameRecordCount);
  if (tail.Remaining() / sizeof(ModelNamedRecord) < named) return false;
  tail.Skip(named * sizeof(ModelNamedRecord));
  if (tail.Remaining() / sizeof(ModelFrameRecord) < frame_recs) return false;
  tail.Skip(frame_recs * sizeof(ModelFrameRecord));
  std::vector<ModelPrimitive> prims(head.primitiveCount);
  int32_t total = 0;
  for (ModelPrimitive& prim : prims) {
    uint32_t unused = 0;
    prim = ModelPrimitive{};
    tail.Get(prim.key);
    tail.Get(prim.texture);
    tail.Get(prim.indexCount);
    tail.Get(unused);
    tail.Get(prim.firstVertex);
    tail.Get(prim.lastVertex);
    total += prim.indexCount;
    if (prim.indexCount && (prim.firstVertex < 0 || prim.lastVertex < prim.firstVertex ||
                            static_cast<size_t>(prim.lastVertex) >= v)) {
      return false;
    }
  }
  int32_t stored_total = 0;
  if (head.primitiveCount && (!tail.Get(stored_total) || stored_total != total)) return false;
  std::vector<uint16_t> indices(static_cast<size_t>(total));
  if (total && !tail.GetBytes(indices.data(), indices.size() * 2)) return false;
  size_t at = 0;
  for (const ModelPrimitive& prim : prims) {
    for (size_t i = 0; i < prim.indexCount; ++i, ++at) {
      if (prim.firstVertex + indices[at] > prim.lastVertex) return false;
    }
  }
  if (tail.Remaining() != head.textureDirSize) return false;

  // The entry is whole: build the model in static memory.
  auto* model = static_cast<CModel*>(MEM_STATIC_ALLOC(sizeof(CModel)));
  if (!model) FatalFileError("Cannot allocate memory for new model file ", path);
  *model = head;
  ByteReader body({bytes.data() + r.Position(), r.Remaining()});
  if (v) {
    if (packed) {
      model->packedPositions = StaticArray<uint32_t>(v * frames, path);
      body.GetBytes(model->packedPositions, v * frames * sizeof(uint32_t));
    } else {
      model->positions = StaticArray<Vec3>(v * frames, path);
      body.GetBytes(model->positions, v * frames * sizeof(Vec3));
    }
    model->uv1 = StaticArray<TexCoord>(v, path);
    body.GetBytes(model->uv1, v * sizeof(TexCoord));
    model->normals = StaticArray<Vec3>(v, path);
    body.GetBytes(model->normals, v * sizeof(Vec3));
  }
  model->namedRecords = StaticArray<uint8_t>(named * sizeof(ModelNamedRecord), path);
  body.GetBytes(model->namedRecords, named * sizeof(ModelNamedRecord));
  model->frameRecords = StaticArray<uint8_t>(frame_recs * sizeof(ModelFrameRecord), path);
  body.GetBytes(model->frameRecords, frame_recs * sizeof(ModelFrameRecord));
  model->primitives = StaticArray<ModelPrimitive>(prims.size(), path);
  uint16_t* block = StaticArray<uint16_t>(indices.size(), path);
  if (block) std::memcpy(block, indices.data(), indices.size() * 2);
  model->indexTotal = total;
  at = 0;
  for (size_t p = 0; p < prims.size(); ++p) {
    model->primitives[p] = prims[p];
    model->primitives[p].indices = block + at;
    at += prims[p].indexCount;
  }
  uint8_t* directory = nullptr;
  if (head.textureDirSize) {
    directory = static_cast<uint8_t*>(MEM_ALLOC(head.textureDirSize));
    if (!directory) FatalFileError("Unable to allocate texture directory memory for ", path);
    std::memcpy(directory, bytes.data() + bytes.size() - head.textureDirSize, head.textureDirSize);
  }
  *model_out = model;
  *directory_out = directory;
  return true;
}

void ModLoadFreeModel(CModel* model, uint8_t* directory) {
  FreeIfSet(directory);
  if (!model) return;
  FreeIfSet(model->namedRecords);
  FreeIfSet(model->frameRecords);
  // The file loader keeps every primitive's indices in one block.
  if (model->primitiveCount && model->primitives) FreeIfSet(model->primitives[0].indices);
  for (void* block : {static_cast<void*>(model->primitives), static_cast<void*>(model->normals),
                      static_cast<void*>(model->uv1), static_cast<void*>(model->uv2),
                      static_cast<void*>(model->packedPositions), static_cast<void*>(model->positions)}) {
    FreeIfSet(block);
  }
  MEM_FREE(model);
}

void ModLoadModel(std::string_view path, CModel** model, uint8_t** directory) {
  if (!CacheArchive().IsOpen()) FatalFileError("The cache archive is not open, needed by ", path);
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!CacheArchive().Contains(path)) {
      CModel* temp = nullptr;
      uint8_t* temp_directory = nullptr;
      ModLoadReadFile(path, &temp, &temp_directory);
      ModLoadPrepare(temp);
      ModLoadStoreImage(path, temp, temp_directory);
      ModLoadFreeModel(temp, temp_directory);
    }
    if (ModLoadReadImage(path, model, directory)) return;
    // A damaged entry is forgotten: prepare the file again.
    CacheArchive().Forget(path);
  }
  FatalFileError("Cannot read the cached model ", path);
}
