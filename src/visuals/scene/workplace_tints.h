#pragma once
// The people pass's second look at the workers: every person in view who
// works somewhere is drawn again in the colour of the type of business they
// work at, so a street shows at a glance who works where. The colours are
// data: "gamedata\business_colours.txt", one "<type key> #RRGGBB" a line
// ('#' at the start of a line is a comment); a type the file leaves out, and
// every type when the file is missing, wears grey.
#include <cstdint>
#include <string_view>

class CPerson;
class CRenderer;
struct Mat43;

inline constexpr uint32_t kWorkerGrey = 0xFF888888u;

// Fills the table from the file's text; lines naming no business type or no
// colour are skipped (and reported once for the file). Returns the types
// given a colour.
int32_t ParseBusinessTypeColours(std::string_view text);
// A business type's colour (0xAARRGGBB): grey outside the table or where the
// file gave none. The file is read on the first call.
uint32_t BusinessTypeColour(int32_t type);
// The tint of the person's workplace; false when the person works nowhere
// (no business at the work block's door).
bool WorkplaceTint(const CPerson& person, uint32_t& colour);
// Draws every worker whose entity the frame found in view once more in the
// workplace's colour, unlit (the software renderer's flat colour with
// depth); returns the people drawn. Lighting is left off.
int32_t DrawWorkplaceTints(CRenderer& renderer, const Mat43& view);
