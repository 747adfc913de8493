#include "engine/core/random_streams_order.h"

#include "engine/scene/animation.h"
#include "engine/render/light_ramp.h"
#include "engine/scene/particles.h"
#include "engine/core/random_stream.h"

void RegisterEngineRandomStreams() {
  MasterRandomStream();
  ParticleRandom();
  EntAnimRandom();
  RegisterRendererCommonRandomStreams();
}
