#include "engine/scene/texture.h"

#include <strings.h>

#include <algorithm>
#include <cstring>

#include "engine/core/error.h"
#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/scene/model.h"

namespace {

CTextureSystem* g_TextureSystem = nullptr;

const uint8_t kDefaultLoadOptions[kTexOptionCount] = {0, 0, 0, 12, 1, 1};

CTextureSystem& System() {
  if (!g_TextureSystem) ReportError(0, 0, "Texture system used before it was created");
  return *g_TextureSystem;
}

bool SlotInUse(const CTextureSystem& ts, int32_t slot) {
  return slot >= 0 && slot < kMaxTextures && ts.slots[slot].inUse && ts.slots[slot].texture;
}

bool PageInUse(const CTextureSystem& ts, int32_t page) {
  return page >= 0 && page < ts.pageCount && ts.pages[page].pixels;
}

int32_t Area(const CTexture* t) { return t->width * t->height; }

void* AllocZeroed(size_t size, const char* failure) {
  void* block = MEM_ALLOC(size);
  if (!block) {
    ReportError(0, 0, failure);
    return nullptr;
  }
  std::memset(block, 0, size);
  return block;
}

void FreeWorkData(CTextureSystem& ts) {
  for (int32_t i = 0; i < kMaxTexturePages; ++i) {
    if (ts.rowTables[i]) MEM_FREE(ts.rowTables[i]);
    if (ts.columnTables[i]) MEM_FREE(ts.columnTables[i]);
    if (ts.occupancy[i]) MEM_FREE(ts.occupancy[i]);
    ts.rowTables[i] = ts.columnTables[i] = nullptr;
    ts.occupancy[i] = nullptr;
  }
  ts.allocatorReady = 0;
}

void MakeWorkData(CTextureSystem& ts) {
  const size_t tableBytes = sizeof(uint16_t) * kTexturePageSize;
  if (!ts.allocatorReady) {
    ts.pageSize = kTexturePageSize;
    for (int32_t i = 0; i < kMaxTexturePages; ++i) {
      ts.rowTables[i] = static_cast<uint16_t*>(MEM_ALLOC(tableBytes));
      ts.columnTables[i] = static_cast<uint16_t*>(MEM_ALLOC(tableBytes));
      if (!ts.rowTables[i] || !ts.columnTables[i]) {
        ReportError(0, 0, "Unable to initialise Texture System");
        return;
      }
    }
    ts.allocatorReady = 1;
  }
  for (int32_t i = 0; i < kMaxTexturePages; ++i) {
    std::memset(ts.rowTables[i], 0, tableBytes);
    std::memset(ts.columnTables[i], 0, tableBytes);
  }
}

// A new page of size x size at the next unused index.
int32_t NewPage(CTextureSystem& ts, int32_t size) {
  const int32_t index = ts.pageCount;
  if (index >= kMaxTexturePages) return -1;
  TexturePage& page = ts.pages[index];
  page = TexturePage{};
  page.width = page.height = static_cast<float>(size);
  if (ts.pageIdProc) {
    page.pageId = ts.pageIdProc(index, size);
    ts.pageRendererId[index] = page.pageId;
  } else {
    page.pageId = index;
  }
  const char* failure = "Memory allocation error, when creating texture page";
  const size_t texels = static_cast<size_t>(size) * static_cast<size_t>(size);
  page.pixels = static_cast<uint32_t*>(AllocZeroed(texels * 4, failure));
  ts.occupancy[index] = static_cast<uint8_t*>(AllocZeroed(texels, failure));
  ts.pageFull[index] = 0;
  ts.pageUsed[index] = 0.0f;
  ++ts.pageCount;
  return index;
}

void MarkWholePageUsed(CTextureSystem& ts, int32_t page) {
  const int32_t size = static_cast<int32_t>(ts.pages[page].width);
  if (ts.occupancy[page]) std::memset(ts.occupancy[page], 1, static_cast<size_t>(size) * size);
  ts.pageFull[page] = 1;
}

// The slot order of packing: by group, then largest area first within a
// group. Used slots come first; the rest keep their places after them.
void OrderSlots(const CTextureSystem& ts, int32_t* order) {
  for (int32_t i = 0; i < kMaxTextures; ++i) order[i] = i;
  auto used = [&](int32_t k) { return SlotInUse(ts, order[k]); };
  auto tex = [&](int32_t k) { return ts.slots[order[k]].texture; };
  for (int32_t i = 0; i < kMaxTextures; ++i) {
    for (int32_t j = i + 1; j < kMaxTextures; ++j) {
      if (!used(j)) continue;
      if (!used(i) || tex(j)->group < tex(i)->group) std::swap(order[i], order[j]);
    }
  }
  for (int32_t i = 0; i < kMaxTextures && used(i); ++i) {
    for (int32_t j = i + 1; j < kMaxTextures && used(j); ++j) {
      if (tex(j)->group == tex(i)->group && Area(tex(j)) > Area(tex(i)))
        std::swap(order[i], order[j]);
    }
  }
}

// The outline of the rectangle, sampled every 4 texels, touches no used texel.
bool OutlineFree(const uint8_t* grid, int32_t pageSize, int32_t x, int32_t y, int32_t w,
                 int32_t h) {
  auto used = [&](int32_t cx, int32_t cy) { return grid[cy * pageSize + cx] != 0; };
  for (int32_t r = y; r < y + h; r += 4)
    if (used(x, r) || used(x + w - 1, r)) return false;
  for (int32_t c = x; c < x + w; c += 4)
    if (used(c, y) || used(c, y + h - 1)) return false;
  return true;
}

void MarkRectangle(CTextureSystem& ts, int32_t page, int32_t x, int32_t y, int32_t w, int32_t h) {
  const int32_t size = ts.pageSize;
  uint8_t* grid = ts.occupancy[page];
  uint16_t* rows = ts.rowTables[page];
  uint16_t* cols = ts.columnTables[page];
  for (int32_t r = y; r < y + h; ++r) {
    std::memset(grid + r * size + x, 1, static_cast<size_t>(w));
    if (rows[r] >= x) rows[r] = static_cast<uint16_t>(std::min(rows[r] + w, size));
  }
  for (int32_t c = x; c < x + w; ++c)
    if (cols[c] >= y) cols[c] = static_cast<uint16_t>(std::min(cols[c] + h, size));
}

// First fitting position on the 4-texel grid of one page, or false.
bool FindPlace(const CTextureSystem& ts, int32_t page, int32_t w, int32_t h, int32_t* outX,
               int32_t* outY) {
  const int32_t size = ts.pageSize;
  const uint8_t* grid = ts.occupancy[page];
  const int32_t xLimit = size + 1 - w;
  const int32_t yLimit = size + 1 - h;
  if (w > size || h > size) return false;
  if (w > h) {
    for (int32_t x = 0; x < xLimit; x += 4)
      for (int32_t y = ts.columnTables[page][x]; y < yLimit; y += 4)
        if (OutlineFree(grid, size, x, y, w, h)) return *outX = x, *outY = y, true;
  } else {
    for (int32_t y = 0; y < yLimit; y += 4)
      for (int32_t x = ts.rowTables[page][y]; x < xLimit; x += 4)
        if (OutlineFree(grid, size, x, y, w, h)) return *outX = x, *outY = y, true;
  }
  return false;
}

void SetPlacement(CTexture* t, const TexturePage& page, int32_t index, int32_t x, int32_t y) {
  t->uOffset = static_cast<float>(x);
  t->vOffset = static_cast<float>(y);
  t->pageId = page.pageId;
  t->pageIndex = index;
}

bool PlaceOwnPage(CTextureSystem& ts, CTexture* t) {
  const int32_t page = NewPage(ts, std::max(t->width, t->height));
  if (page < 0) return false;
  ts.pages[page].group = t->group;
  SetPlacement(t, ts.pages[page], page, 0, 0);
  MarkWholePageUsed(ts, page);
  return true;
}

bool PlaceShared(CTextureSystem& ts, CTexture* t) {
  const int32_t size = ts.pageSize;
  const int32_t margin = 2 * t->options[kTexOptBorder];
  const bool hDropped = t->width + margin >= size;
  const bool vDropped = t->height + margin >= size;
  const int32_t hMargin = hDropped ? 0 : margin;
  const int32_t vMargin = vDropped ? 0 : margin;
  const int32_t w = t->width + hMargin;
  const int32_t h = t->height + vMargin;
  if (w > size || h > size) return false;  // no page could hold it
  for (int32_t page = 0; page < kMaxTexturePages; ++page) {
    if (ts.pageFull[page]) continue;
    if (!ts.pages[page].pixels) {
      if (page != ts.pageCount || NewPage(ts, size) != page) return false;
      ts.pages[page].group = t->group;
    } else if (ts.pages[page].group != t->group) {
      continue;
    }
    int32_t x = 0, y = 0;
    if (!FindPlace(ts, page, w, h, &x, &y)) continue;
    MarkRectangle(ts, page, x, y, w, h);
    SetPlacement(t, ts.pages[page], page, x + hMargin / 2, y + vMargin / 2);
    if (hDropped && vDropped) ts.pageFull[page] = 1;
    return true;
  }
  return false;
}

// Repeats the edge texels outward into the border: rows first, then columns
// over the full height including the new border rows.
void FillBorder(TexturePage& page, const CTexture* t, int32_t x, int32_t y) {
  const int32_t border = t->options[kTexOptBorder];
  const int32_t size = static_cast<int32_t>(page.width);
  uint32_t* px = page.pixels;
  const bool rows = size > t->height + 2 * border;
  const bool cols = t->width + 2 * border < size;
  if (rows) {
    for (int32_t b = 1; b <= border; ++b) {
      std::memcpy(px + (y - b) * size + x, px + y * size + x, t->width * 4u);
      std::memcpy(px + (y + t->height - 1 + b) * size + x,
                  px + (y + t->height - 1) * size + x, t->width * 4u);
    }
  }
  if (cols) {
    const int32_t top = rows ? y - border : y;
    const int32_t bottom = rows ? y + t->height + border : y + t->height;
    for (int32_t r = top; r < bottom; ++r) {
      uint32_t* row = px + r * size;
      for (int32_t b = 1; b <= border; ++b) {
        row[x - b] = row[x];
        row[x + t->width - 1 + b] = row[x + t->width - 1];
      }
    }
  }
}

void CopyIntoPage(CTextureSystem& ts, CTexture* t, bool ownPage) {
  TexturePage& page = ts.pages[t->pageIndex];
  const int32_t size = static_cast<int32_t>(page.width);
  const int32_t x = static_cast<int32_t>(t->uOffset);
  const int32_t y = static_cast<int32_t>(t->vOffset);
  for (int32_t r = 0; r < t->height; ++r)
    std::memcpy(page.pixels + (y + r) * size + x, t->pixels + r * t->width, t->width * 4u);
  page.flags |= t->flags & kTexAlphaClassMask;
  // A page of its own has no room around the texture for a border.
  if (!(t->flags & kTexFlagOwnPage) && !ownPage) FillBorder(page, t, x, y);
  const float scale = 1.0f / page.width;
  t->uOffset *= scale;
  t->vOffset *= scale;
  t->uSize *= scale;
  t->vSize *= scale;
  std::memcpy(page.options, t->options, kTexOptionCount);
}

// One round of halving by one reduction priority. Returns true when the
// budget is used up.
bool ReduceRound(CTextureSystem& ts, int option, int64_t& budget) {
  for (int32_t level = 8; level >= 1; --level) {
    for (int32_t i = 0; i < ts.pageCount; ++i) {
      TexturePage& page = ts.pages[i];
      if (!page.pixels || page.options[option] < level) continue;
      const int32_t w = static_cast<int32_t>(page.width);
      const int32_t h = static_cast<int32_t>(page.height);
      if (w <= 16 || h <= 16) continue;
      auto* half = static_cast<uint32_t*>(MEM_ALLOC(static_cast<size_t>(w) * h));
      if (!half) {
        ReportError(0, 0, "Memory allocation error, when creating texture page");
        return true;
      }
      std::memset(half, 0xCF, static_cast<size_t>(w) * h);
      DownsamplePixels(half, page.pixels, w, h);
      MEM_FREE(page.pixels);
      page.pixels = half;
      page.width = static_cast<float>(w / 2);
      page.height = static_cast<float>(h / 2);
      // Priorities never wrap below 0.
      for (int k = option; k <= 1; ++k)
        if (page.options[k] > 0) --page.options[k];
      budget -= static_cast<int64_t>(1.5 * w * h);
      if (budget < 1) return true;
    }
  }
  return false;
}

}  // namespace

CTextureSystem* TheTextureSystem() { return g_TextureSystem; }

CTextureSystem* TexSysCreate() {
  void* block = MEM_ALLOC(sizeof(CTextureSystem));
  if (!block) {
    ReportError(0, 0, "Unable to initialise Texture System");
    return nullptr;
  }
  std::memset(block, 0, sizeof(CTextureSystem));
  auto* ts = static_cast<CTextureSystem*>(block);
  static uint32_t created = 0;
  ts->generation = ++created;
  ts->pageSize = kTexturePageSize;
  ts->currentGroup = 0;
  std::memcpy(ts->loadOptions, kDefaultLoadOptions, kTexOptionCount);
  g_TextureSystem = ts;
  return ts;
}

void TexSysDestroy() {
  CTextureSystem* ts = g_TextureSystem;
  if (!ts) return;
  FreeWorkData(*ts);
  for (int32_t i = 0; i < kMaxTexturePages; ++i) {
    if (ts->pages[i].pixels) MEM_FREE(ts->pages[i].pixels);
    ts->pages[i].pixels = nullptr;
  }
  ts->destroyed = 1;
  MEM_FREE(ts);
  g_TextureSystem = nullptr;
}

int32_t TexSysBeginGroup(const char* name) {
  CTextureSystem& ts = System();
  if (ts.groupCount >= kMaxTextureGroups) {
    ReportErrorF(1, "Too many texture groups (%d); %s not opened", kMaxTextureGroups,
                 name ? name : "");
    return ts.groupCount;
  }
  ts.groups[ts.groupCount] = TextureGroup{name, ts.groupCount, 0, 0};
  ts.currentGroup = ts.groupCount;
  std::memcpy(ts.loadOptions, kDefaultLoadOptions, kTexOptionCount);
  return ++ts.groupCount;
}

void TexSysSetLoadOptions(const uint8_t options[kTexOptionCount]) {
  std::memcpy(System().loadOptions, options, kTexOptionCount);
}

int32_t TexSysAddTexture(CTexture* texture, int32_t value) {
  CTextureSystem& ts = System();
  if (!texture || texture->width <= 0 || texture->height <= 0 || !texture->pixels) {
    ReportError(1, 0, "Texture has no texels; not registered");
    return -1;
  }
  int32_t slot = ts.nextSlot;
  if (slot >= kMaxTextures) {
    // Released slots below the top are handed out again before giving up.
    slot = -1;
    for (int32_t i = 0; i < kMaxTextures && slot < 0; ++i)
      if (!ts.slots[i].inUse) slot = i;
    if (slot < 0) {
      ReportError(1, 0, "No more textures left. Increase MAXTEXTURES");
      return -1;
    }
  } else if (ts.slots[slot].inUse) {
    ReportError(1, 0, "Ooops. We've hit a new texture slot, thats already used..... ARSE");
    return -1;
  } else {
    ++ts.nextSlot;
  }
  ts.slots[slot] = TextureSlot{texture, 1, value};
  texture->references = 1;
  texture->group = ts.currentGroup;
  std::memcpy(texture->options, ts.loadOptions, kTexOptionCount);
  if (ts.currentGroup < ts.groupCount) ++ts.groups[ts.currentGroup].count;
  return slot;
}

bool TexSysBuildPages() {
  CTextureSystem& ts = System();
  MakeWorkData(ts);
  // Pages made before this run have no occupancy left: nothing more goes in.
  for (int32_t i = 0; i < ts.pageCount; ++i) ts.pageFull[i] = 1;
  int32_t order[kMaxTextures];
  OrderSlots(ts, order);
  for (int32_t k = 0; k < kMaxTextures; ++k) {
    const int32_t slot = order[k];
    if (!SlotInUse(ts, slot)) break;  // used slots come first
    CTexture* t = ts.slots[slot].texture;
    if (!t->pixels) continue;  // packed already
    const bool ownPage = (ts.slots[slot].value & kSlotValueOwnPage) != 0;
    const bool placed = ownPage ? PlaceOwnPage(ts, t) : PlaceShared(ts, t);
    if (!placed) {
      ReportError(0, 0, "Cannot fit texture. Increase number of Texture pages");
      continue;
    }
    CopyIntoPage(ts, t, ownPage);
    MEM_FREE(t->pixels);
    t->pixels = nullptr;
    if (ts.progress) ts.progress();
  }
  FreeWorkData(ts);
  return true;
}

int32_t TexSysCreatePageTexture(int32_t size) {
  CTextureSystem& ts = System();
  if (size <= 0) {
    ReportError(1, 0, "Texture page size must be positive");
    return -1;
  }
  const int32_t page = NewPage(ts, size);
  if (page < 0) {
    ReportError(0, 0, "Cannot fit texture. Increase number of Texture pages");
    return -1;
  }
  TexturePage& p = ts.pages[page];
  p.flags = kTexFlagOpaque;
  p.options[0] = p.options[1] = 0;
  MarkWholePageUsed(ts, page);
  auto* t = static_cast<CTexture*>(MEM_STATIC_ALLOC(sizeof(CTexture)));
  if (!t) {
    ReportError(0, 0, "Memory allocation error, when creating texture page");
    return -1;
  }
  *t = CTexture{};
  t->flags = kTexFlagOpaque;
  t->width = t->height = size;
  t->uSize = t->vSize = 1.0f;
  t->pixels = p.pixels;
  t->pageId = p.pageId;
  t->pageIndex = page;
  const int32_t slot = TexSysAddTexture(t, 0);
  t->options[0] = t->options[1] = 24;
  return slot;
}

void TexSysSetRendererCaps(TexPageIdProc proc) { System().pageIdProc = proc; }

int64_t TexSysPageMemory() {
  const CTextureSystem& ts = System();
  int64_t total = 0;
  for (int32_t i = 0; i < ts.pageCount; ++i)
    if (ts.pages[i].pixels)
      total += static_cast<int64_t>(ts.pages[i].width) * static_cast<int64_t>(ts.pages[i].height) * 4;
  return total;
}

void TexSysReducePages(int64_t budget) {
  CTextureSystem& ts = System();
  if (budget < 1) return;
  if (ReduceRound(ts, 0, budget)) return;
  ReduceRound(ts, 1, budget);
}

void TexSysReleaseSlot(int32_t slot) {
  CTextureSystem& ts = System();
  if (slot < 0 || slot >= kMaxTextures || !ts.slots[slot].inUse) {
    ReportErrorF(1, "Releasing texture slot %d that is not in use", slot);
    return;
  }
  ts.slots[slot].inUse = 0;
  // The next slot drops only past free slots at the top, so it never lands
  // on a slot still in use.
  while (ts.nextSlot > 0 && !ts.slots[ts.nextSlot - 1].inUse) --ts.nextSlot;
}

void TexSysMoveToCurrentGroup(int32_t slot) {
  CTextureSystem& ts = System();
  if (!SlotInUse(ts, slot)) return;
  CTexture* t = ts.slots[slot].texture;
  if ((t->flags & 0x1) || t->group == ts.currentGroup) return;
  if (ts.currentGroup < ts.groupCount) ++ts.groups[ts.currentGroup].movedIn;
  t->group = ts.currentGroup;
}

void TexSysSetProgressProc(TexProgressProc proc) { System().progress = proc; }

CTexture* TexSysGetTexture(int32_t slot) {
  const CTextureSystem& ts = System();
  return SlotInUse(ts, slot) ? ts.slots[slot].texture : nullptr;
}

int32_t TexSysTextureWidth(int32_t slot) {
  const CTexture* t = TexSysGetTexture(slot);
  return t ? t->width : 0;
}

int32_t TexSysTextureHeight(int32_t slot) {
  const CTexture* t = TexSysGetTexture(slot);
  return t ? t->height : 0;
}

void TexSysMarkPageUsed(int32_t page) {
  CTextureSystem& ts = System();
  if (page >= 0 && page < kMaxTexturePages) ts.pageUsed[page] = 1.0f;
}

void TexSysMarkTextureUsed(int32_t slot) {
  if (const CTexture* t = TexSysGetTexture(slot)) TexSysMarkPageUsed(t->pageIndex);
}

uint32_t* TexSysPagePixels(int32_t page) {
  const CTextureSystem& ts = System();
  return PageInUse(ts, page) ? ts.pages[page].pixels : nullptr;
}

int32_t TexSysPageSize(int32_t page) {
  const CTextureSystem& ts = System();
  return PageInUse(ts, page) ? static_cast<int32_t>(ts.pages[page].width) : 0;
}

bool TexSysSetNamedTexture(const char* name, int32_t slot) {
  CTextureSystem& ts = System();
  if (!name || !*name || std::strlen(name) >= kTextureNameLength) {
    ReportError(1, 0, "Texture name missing or too long");
    return false;
  }
  for (int32_t i = 0; i < ts.namedCount; ++i) {
    if (strcasecmp(ts.named[i].name, name) == 0) {
      ts.named[i].slot = slot;
      return true;
    }
  }
  if (ts.namedCount >= kMaxNamedTextures) {
    ReportErrorF(1, "No room for named texture %s", name);
    return false;
  }
  NamedTexture& entry = ts.named[ts.namedCount++];
  std::strcpy(entry.name, name);
  entry.slot = slot;
  return true;
}

int32_t TexSysFindNamedTexture(const char* name) {
  const CTextureSystem& ts = System();
  if (!name) return -1;
  for (int32_t i = 0; i < ts.namedCount; ++i)
    if (strcasecmp(ts.named[i].name, name) == 0) return ts.named[i].slot;
  return -1;
}

void TexSysHalveImage(uint32_t* pixels, int32_t width, int32_t height) {
  if (!pixels || width < 2 || height < 2) return;
  DownsamplePixelsInPlace(pixels, width, height);
}

void TexSysRedownloadModelPages(CRenderer* renderer, const CModel* model) {
  if (!renderer || !model || !model->primitives) return;
  const CTextureSystem& ts = System();
  bool sent[kMaxTexturePages] = {};
  for (int32_t i = 0; i < model->primitiveCount; ++i) {
    const CTexture* t = TexSysGetTexture(model->primitives[i].texture);
    if (!t || t->pageIndex < 0 || t->pageIndex >= ts.pageCount || sent[t->pageIndex]) continue;
    sent[t->pageIndex] = true;
    renderer->DownloadTexturePage(t->pageIndex);
  }
}
