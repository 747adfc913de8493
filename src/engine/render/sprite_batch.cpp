#include "engine/render/sprite_batch.h"

#include "engine/core/memory.h"
#include "engine/render/renderer.h"

void CSpriteBatch::Create(CRenderer* renderer, int32_t capacity, int32_t drawValue,
                          int32_t spareValue, float baseSize) {
  Destroy();
  renderer_ = renderer;
  capacity_ = capacity > 0 ? capacity : 0;
  drawValue_ = drawValue;
  spareValue_ = spareValue;
  baseSize_ = baseSize;
  page_ = 0;
  depthOffset_ = 0.0f;
  if (capacity_ > 0) {
    positions_ = static_cast<Vec3*>(MEM_ALLOC(sizeof(Vec3) * size_t(capacity_)));
    colours_ = static_cast<uint32_t*>(MEM_ALLOC(sizeof(uint32_t) * size_t(capacity_)));
    sizes_ = static_cast<float*>(MEM_ALLOC(sizeof(float) * size_t(capacity_)));
    if (!positions_ || !colours_ || !sizes_) {
      Destroy();
      capacity_ = 0;
    }
  }
  Reset();
}

void CSpriteBatch::Reset() {
  count_ = 0;
  nextPosition_ = positions_;
  nextColour_ = colours_;
  nextSize_ = sizes_;
}

void CSpriteBatch::Destroy() {
  if (positions_) MEM_FREE(positions_);
  if (colours_) MEM_FREE(colours_);
  if (sizes_) MEM_FREE(sizes_);
  positions_ = nullptr;
  colours_ = nullptr;
  sizes_ = nullptr;
  capacity_ = 0;
  Reset();
}

int32_t CSpriteBatch::Append(float x, float y, float z, uint32_t colour, float size) {
  if (count_ >= capacity_) return count_;
  *nextPosition_++ = Vec3{x, y, -z};
  *nextColour_++ = colour;
  *nextSize_++ = size;
  return ++count_;
}

void CSpriteBatch::Add(float x, float y, float z, uint32_t colour) {
  Append(x, y, z, colour, baseSize_);
}

void CSpriteBatch::Add(float x, float y, float z, uint32_t colour, float scale) {
  Append(x, y, z, colour, baseSize_ * scale);
}

int32_t CSpriteBatch::Add(const Vec3& p, uint32_t colour) {
  return Append(p.x, p.y, p.z, colour, baseSize_);
}

int32_t CSpriteBatch::Add(const Vec3& p, uint32_t colour, float scale) {
  return Append(p.x, p.y, p.z, colour, baseSize_ * scale);
}

void CSpriteBatch::Flush() {
  if (renderer_)
    renderer_->DrawSprites(count_, positions_, colours_, page_, sizes_, depthOffset_, drawValue_);
  Reset();
}
