#pragma once
// The two colour ramps through which model vertices are lit: a diffuse ramp
// indexed by a lighting dot product scaled by 127, and a specular ramp indexed
// by the diffuse entry's alpha plus a highlight. Both are read through a
// pointer to entry 127, so negative indices reach the dark end.
#include <cstdint>

class CRandomStream;

inline constexpr int32_t kDiffuseRampSize = 256;   // index -127 .. +128
inline constexpr int32_t kSpecularRampSize = 512;  // index -127 .. +384
inline constexpr int32_t kRampCentre = 127;

extern uint32_t DiffuseRamp[kDiffuseRampSize];
extern uint32_t SpecularRamp[kSpecularRampSize];
// Entry 127 of each ramp, published by BuildLightRamps.
extern const uint32_t* g_DiffuseRampCentre;
extern const uint32_t* g_SpecularRampCentre;

// Colours are 0xAARRGGBB; only their RGB bytes are read. `scale` is the
// overbright scale: the diffuse factor saturates at entry 255 / scale and the
// excess goes to the diffuse entries' alpha.
void BuildLightRamps(uint32_t diffuse, uint32_t ambient, uint32_t step, uint32_t base,
                     float scale);

// The renderer-common module's random stream (nothing draws from it yet; it
// keeps its place in the program's list of streams).
CRandomStream& RendererCommonRandom();
void RegisterRendererCommonRandomStreams();
