#pragma once
// Model sources: readable descriptions of models for the model compiler.
//
// One statement a line; '#' starts a comment.
//   output <game name>           the ".tm" file written
//   frames <n>                   animation frames (1 by default); every
//                                vertex starts in the same place in all
//   texture <file>               a directory entry (a single texture file in
//                                the model's folder), named by primitives
//   primitive <texture> [key <n>]  later shapes and triangles go into a new
//                                primitive drawn with that texture and
//                                render-state key
//   tile <s>                     shapes after it repeat their textures every
//                                1/s units (0, the default, stretches once)
//   box <x0> <y0> <z0> <x1> <y1> <z1>
//   cylinder <sides> <bottom radius> <top radius> <y0> <y1> [<x> <z>]
//                                upright, closed on top when the top radius
//                                is not 0
//   vertex <x> <y> <z> <u> <v>   numbered from 0 in order of these lines
//   tri <a> <b> <c>              by vertex number; the face is seen from
//   quad <a> <b> <c> <d>         the side where the corners run clockwise
//   move <frame> <vertex> <x> <y> <z>  the vertex's place in that frame
//   group <NAME> [<value>] ... endgroup  a named group over every vertex
//                                made inside (shapes and vertex lines)
//   point <x> <y> <z> <rx> <ry> <rz> <tag>  an attachment point (the same in
//                                every frame)
// Shapes face outwards: each triangle is wound so that the model system's
// face normal, (P2 - P1) x (P0 - P1), points away from the shape.
#include <string>
#include <string_view>

#include "engine/files/model_file.h"

struct ModelSource {
  std::string output;
  ModelFileData model;  // normalised: ready for WriteModelFile
};

bool ParseModelSource(std::string_view text, ModelSource& out, std::string& error);
