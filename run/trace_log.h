// The instruction trace log: a text file with a banner, the image path, then
// one register line per executed instruction and one line per taken jump,
// call or return.
//
// Lines collect in a 64 KiB buffer that goes to the file when it is full, on
// Flush and on Close; a traced run writes millions of lines, and one system
// call each would cost more than everything else together. Whoever owns the
// log flushes it whenever someone may look at the file (the run stops, a
// message box waits) and reports a failed Flush or Close: the lines of the
// buffer that failed are lost, every line before it is in the file.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "core/z80_registers.h"

namespace zorva {

class TraceLog {
 public:
  static constexpr size_t kBufferSize = 64 * 1024;

  TraceLog() = default;
  TraceLog(const TraceLog&) = delete;
  TraceLog& operator=(const TraceLog&) = delete;
  ~TraceLog() { Close(); }

  // Creates or empties `path` and writes the header to it. Returns 0, or the
  // file cause number when the file cannot be opened (the log stays off) or
  // the header cannot be written (the log is on and must be closed).
  unsigned Open(const std::string& path, std::string_view romPath);
  // Writes what is buffered and closes the file. Returns 0, or the file cause
  // number when the buffered lines could not be written.
  unsigned Close();
  bool loggingOn() const { return fd_ >= 0; }

  // Add a line; each returns 0, or the file cause number when the buffer had
  // to go to the file and that failed (its lines are dropped).
  unsigned Write(std::string_view line);
  // The register line written before each instruction; `opcode` is the byte at PC.
  unsigned WriteRegisterLine(const Z80Registers& r, uint8_t opcode);
  // Hands the buffered lines to the file. Returns 0 or the file cause number.
  unsigned Flush();

 private:
  unsigned WriteToFile(std::string_view text);

  int fd_ = -1;
  std::unique_ptr<char[]> buffer_;
  size_t used_ = 0;
};

}  // namespace zorva
