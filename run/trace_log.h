// The instruction trace log: a text file with a banner, the image path, then
// one register line per executed instruction and one line per taken jump,
// call or return. Each line goes to the file at once, with one write and no
// buffering of our own, so the log is complete whenever the program stops.
#pragma once

#include <string>
#include <string_view>

#include "core/z80_registers.h"

namespace zorva {

class TraceLog {
 public:
  TraceLog() = default;
  TraceLog(const TraceLog&) = delete;
  TraceLog& operator=(const TraceLog&) = delete;
  ~TraceLog() { Close(); }

  // Creates or empties `path` and writes the header. Returns 0, or the file
  // cause number when the file cannot be opened.
  unsigned Open(const std::string& path, std::string_view romPath);
  void Close();
  bool loggingOn() const { return fd_ >= 0; }

  // Writes exactly the characters of `line`. Returns 0, or the file cause
  // number when the write failed.
  unsigned Write(std::string_view line);
  // The register line written before each instruction; `opcode` is the byte at PC.
  unsigned WriteRegisterLine(const Z80Registers& r, uint8_t opcode);

 private:
  int fd_ = -1;
};

}  // namespace zorva
