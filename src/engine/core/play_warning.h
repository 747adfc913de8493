#pragma once
// Warnings raised while a game runs, by rules that meet a bad id and carry
// on with a neutral answer: they go to the console as errors and never
// raise a box, so play is never held up. The count lets tests see them.
#include <cstdint>
#include <string_view>

// printf-style; the text is cut at 1023 bytes.
void PlayWarningF(const char* format, ...) __attribute__((format(printf, 1, 2)));
int32_t PlayWarningCount();

// Faults that come in floods from one damaged file (a building per design
// the library lacks, an element per layout, a timer per missing event
// handler): the first of each kind and file is reported, naming the file,
// through ReportErrorF at `level` outside play, and as a play warning during
// play (no box the player cannot act on holds play up); the next few go to
// the console whole, then only a count at each power of ten.
void ReportPerFileF(int level, std::string_view kind, std::string_view file, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
// Reports of the kind and file so far.
int32_t PerFileReportCount(std::string_view kind, std::string_view file);
// Starts the counts again (each new or loaded game).
void ResetPerFileReports();
