#include "agent/line_scan.h"

#include <cstring>

namespace {
constexpr int kLineBufferSize = 16384;
// fgets keeps one byte for the terminating NUL, so a read takes at most
// 16382 bytes of a line.
constexpr int kLineReadSize = kLineBufferSize - 1;
}  // namespace

bool FindPieceWithout(FILE *output, const char *word) {
  char line[kLineBufferSize] = {};
  while (std::fgets(line, kLineReadSize, output) != nullptr) {
    if (std::strstr(line, word) == nullptr) {
      return true;
    }
  }
  return false;
}
