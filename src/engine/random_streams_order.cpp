#include "engine/random_streams_order.h"

#include "engine/animation.h"
#include "engine/light_ramp.h"
#include "engine/particles.h"
#include "engine/random_stream.h"

void RegisterEngineRandomStreams() {
  MasterRandomStream();
  ParticleRandom();
  EntAnimRandom();
  RegisterRendererCommonRandomStreams();
}
