#pragma once
// A fixed-capacity batch of camera-facing sprites: callers fill it point by
// point and hand it to the renderer's DrawSprites in one call. The arrays come
// from the memory manager at Create and go back at Destroy.
#include <cstdint>

#include "engine/core/maths.h"

class CRenderer;

class CSpriteBatch {
 public:
  CSpriteBatch() = default;
  CSpriteBatch(const CSpriteBatch&) = delete;
  CSpriteBatch& operator=(const CSpriteBatch&) = delete;

  // drawValue is passed to DrawSprites as its last argument; spareValue is
  // kept only. Page and depth offset start at 0.
  void Create(CRenderer* renderer, int32_t capacity, int32_t drawValue, int32_t spareValue,
              float baseSize);
  void Reset();
  void Destroy();

  void SetPage(int32_t page) { page_ = page; }
  void SetBaseSize(float size) { baseSize_ = size; }
  void SetSpareValue(int32_t value) { spareValue_ = value; }
  void SetDepthOffset(float offset) { depthOffset_ = offset; }

  // Append (x, y, -z) with the colour and the base size (times scale); a full
  // batch drops the point without a message.
  void Add(float x, float y, float z, uint32_t colour);
  void Add(float x, float y, float z, uint32_t colour, float scale);
  // The same; return the new count (the old one when full).
  int32_t Add(const Vec3& position, uint32_t colour);
  int32_t Add(const Vec3& position, uint32_t colour, float scale);

  // Draws the batch in one renderer call, then empties it.
  void Flush();

  // Other names the game's code uses.
  void SetTexture(int32_t page) { SetPage(page); }
  void SetSize(float size) { SetBaseSize(size); }
  int32_t AddScaled(const Vec3& position, uint32_t colour, float scale) {
    return Add(position, colour, scale);
  }

  int32_t Count() const { return count_; }
  int32_t Capacity() const { return capacity_; }
  int32_t Page() const { return page_; }
  float BaseSize() const { return baseSize_; }
  int32_t DrawValue() const { return drawValue_; }
  int32_t SpareValue() const { return spareValue_; }
  float DepthOffset() const { return depthOffset_; }
  const Vec3* Positions() const { return positions_; }
  const uint32_t* Colours() const { return colours_; }
  const float* Sizes() const { return sizes_; }

 private:
  int32_t Append(float x, float y, float z, uint32_t colour, float size);

  CRenderer* renderer_ = nullptr;
  int32_t capacity_ = 0;
  int32_t count_ = 0;
  int32_t drawValue_ = 0;
  int32_t page_ = 0;
  float baseSize_ = 1.0f;
  int32_t spareValue_ = 0;
  float depthOffset_ = 0.0f;
  Vec3* positions_ = nullptr;
  uint32_t* colours_ = nullptr;
  float* sizes_ = nullptr;
  Vec3* nextPosition_ = nullptr;
  uint32_t* nextColour_ = nullptr;
  float* nextSize_ = nullptr;
};
