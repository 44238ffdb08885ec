#include "core/z80.h"

#include <bit>
#include <cstdio>

#include "core/trace_format.h"

namespace zorva {

void Z80::BuildParityTable() {
  for (unsigned i = 0; i < 256; ++i) parityTable[i] = std::popcount(i) % 2 == 0 ? 1 : 0;
}

void Z80::TraceBranch(const char* format, uint16_t value) {
  char line[32];  // the longest branch line has 17 characters
  const char* end = FormatTraceLine(line, format, {value});
  links->WriteBranchLine({line, static_cast<size_t>(end - line)});
}

void Z80::ReportUnhandled(const char* format, unsigned a, unsigned b, unsigned c) {
  char message[64];
  const int n = std::snprintf(message, sizeof message, format, a, b, c);
  links->ReportUnhandled({message, static_cast<size_t>(n)});
}

}  // namespace zorva
