#include "frontend/level_marks.h"

#include <algorithm>

#include "ui/list_box.h"

int32_t LevelCupImage(const ListedLevel& level, int32_t difficulty) {
  if (difficulty < 0 || difficulty > 2) return kEmptyCupImage;
  return level.completed[difficulty] ? kCupImage[difficulty] : kEmptyCupImage;
}

namespace {

// Calls draw(line, x, y) for each line the list shows now, with the
// screen position of its column at `x` (y the middle of the line).
template <class Draw>
void ForVisibleLines(const CListBox& list, size_t lines, float x, Draw draw) {
  const UIRect r = MovedRect(list.Rect(), list.OwnerModel());
  const float left = r.x1 + (x - list.Rect().x1);
  const int32_t h = std::max(1, list.text.lineHeight);
  const int32_t first = std::max(0, list.text.firstLine);
  for (int32_t k = 0; k < list.text.visibleLines; ++k) {
    const int32_t line = first + k;
    const float middle = r.y1 + float(k * h) + float(h) / 2 + 2;
    if (line >= int32_t(lines) || middle + kCupHeight / 2 > r.y2) break;
    draw(size_t(line), left, middle);
  }
}

}  // namespace

bool LessonTicked(const ListedLevel& lesson) { return lesson.completed[0]; }

void DrawLevelCups(const CListBox& list, const std::vector<ListedLevel>& levels, float x) {
  ForVisibleLines(list, levels.size(), x, [&](size_t line, float left, float middle) {
    const float y = middle - kCupHeight / 2;
    for (int32_t d = 0; d < 3; ++d) {
      const float cx = left + float(d) * (kCupWidth + 1);
      DrawImageInRect({cx, y, cx + kCupWidth, y + kCupHeight, 0.5f}, LevelCupImage(levels[line], d), 0.5f);
    }
  });
}

void DrawLessonTicks(const CListBox& list, const std::vector<ListedLevel>& lessons, float x) {
  constexpr uint32_t kTickColour = 0xFF3CD04Cu;
  ForVisibleLines(list, lessons.size(), x, [&](size_t line, float left, float middle) {
    if (!LessonTicked(lessons[line])) return;
    // A short stroke down, a long one up, drawn three times for weight.
    for (float w = -1.0f; w <= 1.0f; w += 1.0f) {
      DrawLine2D({left + 2, middle + w - 1, 0.5f, kTickColour}, {left + 6, middle + w + 4, 0.5f, kTickColour});
      DrawLine2D({left + 6, middle + w + 4, 0.5f, kTickColour}, {left + 15, middle + w - 6, 0.5f, kTickColour});
    }
  });
}

void DrawImageInRect(const UIRect& r, int32_t image, float depth) {
  const int32_t texture = UIImageTexture(image);
  if (texture >= 0) DrawTexturedRect(r, texture, depth);
}
