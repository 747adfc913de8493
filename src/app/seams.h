#pragma once
// Every seam the running game needs filled, in one table: the interfaces and
// the sources the game root installs in Prepare and Start for the layers
// below it to call. The start refuses to go on with a listed seam missing,
// naming it, so nothing fails quietly. Each method of an installed interface
// that the game needs has a body of its own in the program's class, checked
// when it is built (engine/core/overrides.h).
//
// Not listed, on purpose:
// - seams with a null form chosen where they are declared: the platform's
//   factories (window, input, presenter, GPU, sound device, editor window,
//   network transport) stay null headless or outside a network game, and
//   the intro movie may be off;
// - hooks that tests, benches and tools set: the computer players' work
//   timer, the batch compile's pump, the editor's loop bounds, the memory
//   alert sink, the console's sink and command handler, the fatal exit
//   handler, the editor window's event handler;
// - callbacks of one object that its owner sets as it makes it (a sound
//   voice's completion, a text bank's glyph, font and style callbacks, a
//   prompt's answer, a device's stream source).
#include <string>
#include <vector>

struct Seam {
  const char* name;
  bool installed;
};

// The table, as the program stands now.
std::vector<Seam> ProgramSeams();
// The names of the listed seams that are not installed (none: empty).
std::vector<std::string> MissingSeams();
// Ends the program with a clear error when a seam is missing (Start calls it
// once everything is attached).
void RequireSeams();
