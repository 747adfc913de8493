#pragma once
// Every seam the running game needs filled, in one table: the interfaces the
// game root installs in Prepare and Start for the layers below it to call.
// A seam that may stay empty is not listed; it has a null form chosen on
// purpose where it is declared (the network transport outside a network
// game, the intro movie). The start refuses to go on with a listed
// seam missing, naming it, so nothing fails quietly.
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
