#pragma once
// Floating-point modes that must match on every machine of a network game.
//
// Precision and rounding use the x87 control-word encoding (precision 0 = 24
// bits, 2 = 53 bits, 3 = 64 bits, 1 reserved; rounding 0 = nearest, 1 = down,
// 2 = up, 3 = toward zero); the sync snapshot stores both. On x86-64 the
// program's arithmetic is SSE, so setting a mode sets the SSE rounding (MXCSR)
// as well as the x87 control word, and reading reports the rounding that SSE
// arithmetic really uses beside the x87 precision field.
#include <cstdint>

// Always true.
bool FpuGetMode(int32_t& precision, int32_t& rounding);
// False (nothing changed) when precision or rounding is above 3 or precision
// is the reserved 1; otherwise resets the floating-point state with every
// exception masked, applies the modes and returns true.
bool FpuSetMode(int32_t precision, int32_t rounding);
// 64-bit precision, round to nearest: at game start, after creating network
// objects and at the start of every logic tick.
void FpuSetFullPrecision();
// Trace hook of the logic tick and the network layer: does nothing.
bool DebugTrace(const char* message);
