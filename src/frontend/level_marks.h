#pragma once
// The pictures of the single-player pages: the cups of the levels won at
// each difficulty beside the scenario list and over the difficulty choice,
// and the tokens' portraits and player icons on the token rows.
#include <cstdint>
#include <vector>

#include "frontend/token_choice.h"
#include "ui/draw_2d.h"

class CListBox;
class CLayoutEntity;

inline constexpr int32_t kCupImage[3] = {293, 294, 295};  // easy, medium, hard
inline constexpr int32_t kEmptyCupImage = 296;
inline constexpr float kCupWidth = 17, kCupHeight = 14;
// The list's lines leave this much room on their right for the cups.
inline constexpr float kCupColumnsWidth = 3 * (kCupWidth + 1) + 4;

// The cup a level shows for a difficulty: its own when won there, else the
// empty one.
int32_t LevelCupImage(const ListedLevel& level, int32_t difficulty);
// Three cups, easy to hard, for each line the list shows now, in a column
// starting at x (layout units) beside the list.
void DrawLevelCups(const CListBox& list, const std::vector<ListedLevel>& levels, float x);
// A lesson is ticked when done at the first difficulty (done only at a
// harder one still counts for where the list opens, but gets no tick).
bool LessonTicked(const ListedLevel& lesson);
// A green tick for each ticked line the list shows now, in a column 16
// wide starting at x beside the list.
void DrawLessonTicks(const CListBox& list, const std::vector<ListedLevel>& lessons, float x);
// A UI image stretched over a rectangle (the portraits are drawn to fit
// their row).
void DrawImageInRect(const UIRect& r, int32_t image, float depth = 0.6f);
