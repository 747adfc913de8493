#pragma once
// The model families of the model generator. A family table is one row a
// line ('#' starts a comment):
//   folder <game folder>            where later rows' models go
//   <kind> <name> <parameters...>   one model (people and vehicles also get
//                                   "<name>_lod", a coarse copy); a scenery
//                                   kit row may end "at <x> <z> [<degrees>]"
//                                   to build the model in its world place
// The kinds and their parameters are listed at the top of
// model_families.cpp (people, vehicles, figures, paths) and scenery_kit.cpp
// (everything else the city shows). Models with a front face -z.
#include <string>
#include <vector>

#include "engine/files/model_file.h"
#include "tools/modelgen/mesh_builder.h"

struct GenRow {
  std::string kind;
  std::string name;
  std::vector<std::string> args;
};

// Reads the row's parameters by position, remembering the first fault.
class RowArgs {
 public:
  explicit RowArgs(const GenRow& row) : row_(row) {}
  float Number(size_t i);
  int Whole(size_t i, int low, int high);
  Colour Col(size_t i);
  std::string Word(size_t i);
  float NumberOr(size_t i, float fallback) { return i < row_.args.size() ? Number(i) : fallback; }
  Colour ColOr(size_t i, Colour fallback) { return i < row_.args.size() ? Col(i) : fallback; }
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

 private:
  const GenRow& row_;
  std::string error_;
};

struct GenModel {
  std::string name;    // file name in the folder, without ".tm"
  MeshBuilder mesh;    // used unless `direct` is set
  bool direct = false;
  ModelFileData data;  // paths: points written as they are
};

// Makes the row's models; false with a reason for an unknown kind or bad
// parameters.
bool GenerateRow(const GenRow& row, std::vector<GenModel>& out, std::string& error);
// The scenery kit's kinds (scenery_kit.cpp); false when `row.kind` is not one.
bool GenerateKitRow(const GenRow& row, RowArgs& args, MeshBuilder& mesh, bool& known);
