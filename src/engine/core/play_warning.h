#pragma once
// Warnings raised while a game runs, by rules that meet a bad id and carry
// on with a neutral answer: they go to the console as errors and never
// raise a box, so play is never held up. The count lets tests see them.
#include <cstdint>

// printf-style; the text is cut at 1023 bytes.
void PlayWarningF(const char* format, ...) __attribute__((format(printf, 1, 2)));
int32_t PlayWarningCount();
