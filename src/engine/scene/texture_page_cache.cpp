// The packed texture state as one file, so a later start can skip packing:
// a header {0x10000, slot count, page count, page size}, the slot table (12
// bytes a slot), one 56-byte texture record per slot, 40-byte page records,
// then each page's texels. Pointers are stored as markers only: a slot's
// texture pointer is 1 when it has a texture, a texture's texel pointer is 1
// when its texels are its page's (the page texture), a page's texel pointer is
// 1 when texels follow for it.
#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/error.h"
#include "engine/files/file_bytes.h"
#include "engine/files/texture_file.h"
#include "engine/core/memory.h"
#include "engine/scene/texture.h"

static_assert(std::endian::native == std::endian::little,
              "the page cache is written in memory order, which must be little-endian");

namespace {

constexpr int32_t kCacheVersion = 0x10000;
constexpr size_t kHeaderBytes = 16;
constexpr size_t kSlotBytes = 12;
constexpr size_t kTextureBytes = 56;
constexpr size_t kPageBytes = 40;
// Own pages take the size of their texture; nothing real comes near this.
constexpr int32_t kLargestCachedPage = 4096;

void PutPad(ByteWriter& w, size_t n) { w.bytes.insert(w.bytes.end(), n, uint8_t{0}); }

void PutPage(ByteWriter& w, const TexturePage& p) {
  w.Put(p.width);
  w.Put(p.height);
  w.Put(p.flags);
  w.Put(uint32_t{p.pixels ? 1u : 0u});
  w.Put(p.pageId);
  w.Put(p.reserved[0]);
  w.Put(p.reserved[1]);
  w.Put(p.group);
  w.PutBytes(p.options, kTexOptionCount);
  PutPad(w, 2);
}

struct LoadedSlot {
  uint32_t texture;
  uint8_t inUse;
  int32_t value;
};

struct LoadedTexture {
  CTexture texture;
  uint32_t pixelMarker;
};

struct LoadedPage {
  TexturePage page;
  uint32_t pixelMarker;
  int32_t size;
};

struct PageCache {
  int32_t slotCount = 0, pageCount = 0;
  std::vector<LoadedSlot> slots;
  std::vector<LoadedTexture> textures;
  std::vector<LoadedPage> pages;
  size_t texelStart = 0;
};

bool ReadSlot(ByteReader& r, LoadedSlot& s) {
  uint8_t pad[3];
  return r.Get(s.texture) && r.Get(s.inUse) && r.GetBytes(pad, 3) && r.Get(s.value);
}

bool ReadPage(ByteReader& r, LoadedPage& lp) {
  TexturePage& p = lp.page;
  p = TexturePage{};
  uint8_t pad[2];
  return r.Get(p.width) && r.Get(p.height) && r.Get(p.flags) && r.Get(lp.pixelMarker) &&
         r.Get(p.pageId) && r.Get(p.reserved[0]) && r.Get(p.reserved[1]) && r.Get(p.group) &&
         r.GetBytes(p.options, kTexOptionCount) && r.GetBytes(pad, 2);
}

bool FiniteCoords(const CTexture& t) {
  return std::isfinite(t.uSize) && std::isfinite(t.vSize) && std::isfinite(t.uOffset) &&
         std::isfinite(t.vOffset);
}

// Reads and checks the whole file; nothing of the running system is touched.
bool ParseCache(const std::vector<uint8_t>& bytes, PageCache& cache, std::string& why) {
  ByteReader r(bytes);
  int32_t version = 0, pageSize = 0;
  if (!r.Get(version) || !r.Get(cache.slotCount) || !r.Get(cache.pageCount) || !r.Get(pageSize))
    return RefuseFile(why, "too short for its header");
  if (version != kCacheVersion) return RefuseFile(why, "not a texture page cache");
  if (cache.slotCount < 0 || cache.slotCount > kMaxTextures || cache.pageCount < 0 ||
      cache.pageCount > kMaxTexturePages || pageSize != kTexturePageSize)
    return RefuseFile(why, "slot count, page count or page size out of range");
  const size_t tables = size_t(cache.slotCount) * (kSlotBytes + kTextureBytes) +
                        size_t(cache.pageCount) * kPageBytes;
  if (r.Remaining() < tables) return RefuseFile(why, "shorter than its tables");
  cache.slots.resize(size_t(cache.slotCount));
  cache.textures.resize(size_t(cache.slotCount));
  cache.pages.resize(size_t(cache.pageCount));
  for (LoadedSlot& s : cache.slots) ReadSlot(r, s);
  for (LoadedTexture& t : cache.textures) GetTextureRecord(r, t.texture, t.pixelMarker);
  size_t texelBytes = 0;
  for (LoadedPage& lp : cache.pages) {
    ReadPage(r, lp);
    const float w = lp.page.width;
    lp.size = static_cast<int32_t>(w);
    if (!(w >= 1.0f && w <= float(kLargestCachedPage)) || w != lp.page.height ||
        float(lp.size) != w || lp.pixelMarker > 1)
      return RefuseFile(why, "a page has a bad size");
    if (lp.pixelMarker) texelBytes += size_t(lp.size) * size_t(lp.size) * 4;
  }
  cache.texelStart = r.Position();
  if (!r.Ok() || r.Remaining() != texelBytes)
    return RefuseFile(why, "its texels do not match its pages");
  for (int32_t i = 0; i < cache.slotCount; ++i) {
    const LoadedSlot& s = cache.slots[size_t(i)];
    if (s.texture > 1 || s.inUse > 1 || s.inUse != s.texture)
      return RefuseFile(why, "a slot is damaged");
    if (!s.texture) continue;
    const LoadedTexture& lt = cache.textures[size_t(i)];
    const CTexture& t = lt.texture;
    const bool onPage = t.pageIndex >= 0 && t.pageIndex < cache.pageCount;
    if (t.width <= 0 || t.height <= 0 || !onPage || t.group < 0 ||
        t.group >= kMaxTextureGroups || lt.pixelMarker > 1 || !FiniteCoords(t) ||
        (lt.pixelMarker && !cache.pages[size_t(t.pageIndex)].pixelMarker))
      return RefuseFile(why, "a texture record is damaged");
  }
  return true;
}

// Builds the loaded state into the (empty) texture system.
void ApplyCache(CTextureSystem& ts, const std::vector<uint8_t>& bytes, const PageCache& cache) {
  const char* failure = "Memory allocation error, when creating texture page";
  const uint8_t* texels = bytes.data() + cache.texelStart;
  for (int32_t i = 0; i < cache.pageCount; ++i) {
    const LoadedPage& lp = cache.pages[size_t(i)];
    TexturePage& page = ts.pages[i];
    page = lp.page;
    page.pixels = nullptr;
    if (lp.pixelMarker) {
      const size_t size = size_t(lp.size) * size_t(lp.size) * 4;
      page.pixels = static_cast<uint32_t*>(MEM_ALLOC(size));
      if (!page.pixels) {
        ReportError(0, 0, failure);
        return;
      }
      std::memcpy(page.pixels, texels, size);
      texels += size;
    }
    // The ids were the saving renderer's; the running one hands out its own.
    if (ts.pageIdProc) {
      page.pageId = ts.pageIdProc(i, lp.size);
      ts.pageRendererId[i] = page.pageId;
    } else {
      page.pageId = i;
    }
    ts.pageFull[i] = 1;  // packed pages keep no free-space record
    ts.pageUsed[i] = 0.0f;
  }
  ts.pageCount = cache.pageCount;
  for (int32_t i = 0; i < cache.slotCount; ++i) {
    const LoadedSlot& s = cache.slots[size_t(i)];
    TextureSlot& slot = ts.slots[i];
    slot = TextureSlot{nullptr, s.inUse, s.value};
    if (!s.texture) continue;
    auto* t = static_cast<CTexture*>(MEM_STATIC_ALLOC(sizeof(CTexture)));
    if (!t) {
      ReportError(0, 0, failure);
      return;
    }
    const LoadedTexture& lt = cache.textures[size_t(i)];
    *t = lt.texture;
    t->pageId = ts.pages[t->pageIndex].pageId;
    t->pixels = lt.pixelMarker ? ts.pages[t->pageIndex].pixels : nullptr;
    slot.texture = t;
  }
  ts.nextSlot = cache.slotCount;
}

}  // namespace

bool TexSysSavePageCache(const char* gameName) {
  CTextureSystem* ts = TheTextureSystem();
  if (!ts || !gameName) return false;
  const int32_t slotCount = ts->nextSlot;
  ByteWriter w;
  w.Put(kCacheVersion);
  w.Put(slotCount);
  w.Put(ts->pageCount);
  w.Put(ts->pageSize);
  for (int32_t i = 0; i < slotCount; ++i) {
    const TextureSlot& s = ts->slots[i];
    w.Put(uint32_t{s.inUse && s.texture ? 1u : 0u});
    w.Put(s.inUse);
    PutPad(w, 3);
    w.Put(s.value);
  }
  for (int32_t i = 0; i < slotCount; ++i) {
    // A released slot's texture is no longer the system's.
    const CTexture* t = ts->slots[i].inUse ? ts->slots[i].texture : nullptr;
    if (!t) {
      PutPad(w, kTextureBytes);
      continue;
    }
    const bool onPage = t->pageIndex >= 0 && t->pageIndex < ts->pageCount;
    const bool pagePixels = onPage && t->pixels && t->pixels == ts->pages[t->pageIndex].pixels;
    // Texels of a texture not packed yet would be lost: no cache of a half state.
    if (!onPage || (t->pixels && !pagePixels)) {
      ReportErrorF(1, "Texture pages not cached: texture slot %d is not packed", i);
      return false;
    }
    PutTextureRecord(w, *t, pagePixels ? 1u : 0u);
  }
  for (int32_t i = 0; i < ts->pageCount; ++i) PutPage(w, ts->pages[i]);
  for (int32_t i = 0; i < ts->pageCount; ++i) {
    const TexturePage& p = ts->pages[i];
    if (p.pixels)
      w.PutBytes(p.pixels, size_t(p.width) * size_t(p.height) * 4);
  }
  if (!WriteWholeGameFile(gameName, w.bytes)) {
    ReportErrorF(1, "Cannot write texture page cache %s", gameName);
    return false;
  }
  return true;
}

bool TexSysLoadPageCache(const char* gameName) {
  CTextureSystem* ts = TheTextureSystem();
  if (!ts || !gameName) return false;
  std::vector<uint8_t> bytes;
  if (!ReadWholeGameFile(gameName, bytes)) return false;  // no cache yet
  if (ts->nextSlot != 0 || ts->pageCount != 0) {
    ReportError(1, 0, "Texture page cache not loaded: textures are registered already");
    return false;
  }
  PageCache cache;
  std::string why;
  if (!ParseCache(bytes, cache, why)) {
    ReportErrorF(1, "Texture page cache %s not loaded: %s", gameName, why.c_str());
    return false;
  }
  ApplyCache(*ts, bytes, cache);
  return true;
}
