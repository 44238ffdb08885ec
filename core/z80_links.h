// What an instruction can reach besides the registers, memory and the port
// space: the scramble port (OUT (0xFF),A), the trace log's branch lines, and
// the report of an opcode without a handler. The machine implements this; tests
// pass a recorder. None of these is on the per-instruction path.
#pragma once

#include <cstdint>
#include <string_view>

namespace zorva {

class Z80Links {
 public:
  virtual ~Z80Links() = default;
  // OUT (0xFF),A with the value of A.
  virtual void WriteScramblePort(uint8_t value) = 0;
  // A taken jump, call or return while branch tracing is on; the text ends in CR LF.
  virtual void WriteBranchLine(std::string_view line) = 0;
  // An opcode without a handler. Returns once the user has acknowledged it.
  virtual void ReportUnhandled(std::string_view message) = 0;
};

}  // namespace zorva
