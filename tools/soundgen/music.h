#pragma once
// The sound tool's music: short composed loops from a readable score (chords
// one per bar, a melody in eighth notes), rendered with a bass, a pad and a
// lead, and stored as Ogg Vorbis.
//
// Score format, one track after the other:
//   track <file>            starts a track (written below the music folder)
//   tempo <beats a minute>
//   lead|pad|bass <sine|square|saw|buzz> <level>
//   chords <C Am F G7 ...>  one chord a bar: root, then m, 7, m7, maj7 or dim
//   melody <E5 - G5 . ...>  eighth notes: a note, "-" holds the last, "." rests
//   end
#include <string>

// Renders every track of the score into `outDir`; false with a message on a
// bad line.
bool RenderScore(const std::string& score, const std::string& outDir, std::string* error);
