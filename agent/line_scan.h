// Reading a host command's output the way both probes do.
#pragma once

#include <cstdio>

// Reads the output in pieces of at most 16382 bytes (one line, or one piece
// of a longer line) and stops at the first piece that does not contain
// `word` (case-sensitive). True if reading stopped on such a piece, false if
// the output ended first.
bool FindPieceWithout(FILE *output, const char *word);
