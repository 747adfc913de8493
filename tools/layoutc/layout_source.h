#pragma once
// Layout sources: readable descriptions of panels and screens for the layout
// compiler, which makes them into multi-frame layout models (model files
// whose named groups are the panel's elements).
//
// One statement a line; '#' starts a comment. Coordinates are layout units
// of the 640 x 480 interface space, y growing downward, and give the fully
// open panel.
//   output <game name>        the ".tm" file written
//   frames <n>                frames from closed (0) to open (n - 1), 2 or
//                             more; 1 for a panel that does not slide
//   slide <dx> <dy>           where the closed panel lies from the open one;
//                             the frames between step evenly
//   texture <file>            a texture (single texture file beside the model)
//   element <NAME> <texture> <x1> <y1> <x2> <y2>   a drawn element
//   area <NAME> <x1> <y1> <x2> <y2>                an element that is only a
//                             rectangle (never drawn)
//   fixed | sliding           whether the elements after it slide (default)
//   at <frame> <NAME> <x1> <y1> <x2> <y2>   the element's own place in one
//                             frame (0 closed), for a panel whose frames are
//                             different shapes rather than steps of a slide
// Names are upper case (A-Z, 0-9, _), at most 26 characters, each once.
// Elements are drawn in the order given: later ones over earlier ones.
#include <string>
#include <string_view>

#include "engine/files/model_file.h"

struct LayoutSource {
  std::string output;
  ModelFileData model;
};

bool ParseLayoutSource(std::string_view text, LayoutSource& out, std::string& error);
