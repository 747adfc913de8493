#pragma once
// The engine's random streams in their fixed place in the program-wide list.
// The program's start calls this first, then each later subsystem's register
// function in subsystem order, before any stream is seeded; every machine of
// a network game thus holds the same list.

// Touches the master generator, then the particle, entity animation and
// renderer-common streams, in that order.
void RegisterEngineRandomStreams();
