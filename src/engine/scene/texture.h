#pragma once
// Texture slots and texture pages. Loaders register textures (with their
// texels) in slots; after loading, every texture is packed into square pages
// of 256 x 256 texels so the renderer downloads pages, not textures, and each
// texture becomes a rectangle of texture coordinates inside one page.
//
// One texture system exists at a time: TexSysCreate makes it the program's
// (TheTextureSystem) and the TexSys* operations work on that one.
#include <cstdint>

#include "engine/render/renderer.h"

struct CModel;

inline constexpr int32_t kMaxTextures = 3300;
inline constexpr int32_t kMaxTexturePages = 1224;
inline constexpr int32_t kMaxTextureGroups = 64;
inline constexpr int32_t kTexturePageSize = 256;
inline constexpr int32_t kMaxNamedTextures = 32;
inline constexpr int32_t kTextureNameLength = 32;

// Texture and page flag bits.
inline constexpr uint32_t kTexFlagOwnPage = 0x2;        // own page, no border
inline constexpr uint32_t kTexFlagPartialAlpha = 0x1000;
inline constexpr uint32_t kTexFlagKeyedAlpha = 0x4000;  // fully transparent texels only
inline constexpr uint32_t kTexFlagOpaque = 0x8000;
inline constexpr uint32_t kTexAlphaClassMask = 0x1000 | 0x4000 | 0x8000;
// Slot value bit: the texture is placed on a page of its own.
inline constexpr int32_t kSlotValueOwnPage = 0x1;

// Load options, copied into every texture registered after they are set.
enum TextureOption : int32_t {
  kTexOptReduce0 = 0,  // reduction priorities (a page takes its last texture's)
  kTexOptReduce1 = 1,
  kTexOptBorder = 2,   // border width in texels, filled by repeating edge texels
  kTexOptRenderer3 = 3,
  kTexOptRenderer4 = 4,
  kTexOptRenderer5 = 5,
  kTexOptionCount = 6,
};

struct CTexture {
  uint32_t flags;
  int32_t width, height;
  float uSize, vSize;  // texels; after packing, the extent in page coordinates
  uint32_t* pixels;    // width x height texels (bytes R, G, B, A); freed by packing
  float uOffset, vOffset;  // after packing: top-left texel in its page / page size
  int32_t pageId;
  int32_t pageIndex;
  int32_t group;
  int32_t references;  // 1 when registered, +1 for every model naming it
  uint8_t options[kTexOptionCount];
};

struct TextureSlot {
  CTexture* texture;
  uint8_t inUse;
  int32_t value;  // bit 0: own page
};

struct TextureGroup {
  const char* name;  // the caller's string
  int32_t index;
  int32_t count;    // textures registered in it
  int32_t movedIn;  // textures moved into it
};

struct TexturePage {
  float width, height;  // square
  uint32_t flags;
  uint32_t* pixels;  // width x height texels
  int32_t pageId;
  int32_t reserved[2];
  int32_t group;  // only textures of this group are packed into it
  uint8_t options[kTexOptionCount];
};

struct NamedTexture {
  char name[kTextureNameLength];
  int32_t slot;
};

// Called once per texture packed (the loading screen counts it).
using TexProgressProc = void (*)();

struct CTextureSystem {
  TextureSlot slots[kMaxTextures];
  int32_t nextSlot;  // slots are handed out in order
  int32_t pageSize;
  int32_t pageCount;
  uint16_t* rowTables[kMaxTexturePages];     // first free column known per row
  uint16_t* columnTables[kMaxTexturePages];  // first free row known per column
  uint8_t* occupancy[kMaxTexturePages];      // page size x page size, 1 = used
  TexturePage pages[kMaxTexturePages];
  uint8_t pageFull[kMaxTexturePages];
  float pageUsed[kMaxTexturePages];  // 1.0 once drawn from / mapped into
  int32_t pageRendererId[kMaxTexturePages];
  uint8_t allocatorReady;
  uint8_t destroyed;
  TexPageIdProc pageIdProc;
  int32_t currentGroup;
  int32_t groupCount;
  TextureGroup groups[kMaxTextureGroups];
  uint8_t loadOptions[kTexOptionCount];
  // Textures the game finds by name (night windows, clouds, markers).
  NamedTexture named[kMaxNamedTextures];
  int32_t namedCount;
  TexProgressProc progress;
  // Counts the systems created in this process: a later system may reuse a
  // destroyed one's address, so caches of slots key on this instead.
  uint32_t generation;
};

// The program's texture system, or null.
CTextureSystem* TheTextureSystem();

CTextureSystem* TexSysCreate();
void TexSysDestroy();
// Opens a group and makes it current; resets the load options. Returns the
// group count.
int32_t TexSysBeginGroup(const char* name);
void TexSysSetLoadOptions(const uint8_t options[kTexOptionCount]);
// Registers a loaded texture; returns its slot or -1.
int32_t TexSysAddTexture(CTexture* texture, int32_t value);
// Packs every registered texture into pages.
bool TexSysBuildPages();
// Takes the next page whole for one size x size texture; returns its slot.
int32_t TexSysCreatePageTexture(int32_t size);
void TexSysSetRendererCaps(TexPageIdProc proc);
int64_t TexSysPageMemory();
// Halves pages by their reduction priorities until the budget (bytes) is used.
void TexSysReducePages(int64_t budget);
void TexSysReleaseSlot(int32_t slot);
void TexSysMoveToCurrentGroup(int32_t slot);
void TexSysSetProgressProc(TexProgressProc proc);

// The packed state (slots, texture records, pages and their texels) as one
// file. Saving needs every texture in use packed; loading needs a system with
// nothing registered yet and replaces its slots and pages only when the whole
// file checks out. False when there is no file or it is refused.
inline constexpr const char* kTexturePageCacheFile = "gamedata2\\TexPages.bin";
bool TexSysSavePageCache(const char* gameName = kTexturePageCacheFile);
bool TexSysLoadPageCache(const char* gameName = kTexturePageCacheFile);

// Lookups for the drawing and interface code.
CTexture* TexSysGetTexture(int32_t slot);  // null for a slot not in use
int32_t TexSysTextureWidth(int32_t slot);   // texels, 0 for a slot not in use
int32_t TexSysTextureHeight(int32_t slot);
// Marks a page drawn from in this frame (its used value becomes 1.0).
void TexSysMarkPageUsed(int32_t page);
void TexSysMarkTextureUsed(int32_t slot);
uint32_t* TexSysPagePixels(int32_t page);  // null for a page not in use
int32_t TexSysPageSize(int32_t page);      // side in texels, 0 for a page not in use
// The named texture table.
bool TexSysSetNamedTexture(const char* name, int32_t slot);
int32_t TexSysFindNamedTexture(const char* name);  // slot or -1
// Halves a 32-bit image in place (2 x 2 box filter).
void TexSysHalveImage(uint32_t* pixels, int32_t width, int32_t height);
// Sends every page a model's primitives draw from to the renderer again.
void TexSysRedownloadModelPages(CRenderer* renderer, const CModel* model);
