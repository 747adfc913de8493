#pragma once
// The one call through which the game loads a drawable model by name: the
// model file, every texture its directory names (from the model's own
// folder), registration with the model system, and the handle stored in the
// caller's level-of-detail set.
#include <cstdint>
#include <string_view>

#include "engine/scene/model.h"

// A model may name at most this many textures.
inline constexpr int32_t kMaxModelTextures = 256;

// Called once per model loaded (the loading screen counts it); none by default.
using EntLoadProgressProc = void (*)();
void EntSetLoadProgressProc(EntLoadProgressProc proc);

// Loads `path` (a ".tm" game name) into `set` at level 0 to 2; returns the
// handle. Failures are fatal.
int32_t EntLoadModel(std::string_view path, ModelLodSet* set, int32_t level);
// The destination's model at `level` shares the source's animation.
void EntLoadCopyAnimation(const ModelLodSet* source, ModelLodSet* destination, int32_t level);
