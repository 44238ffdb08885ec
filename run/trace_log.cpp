#include "run/trace_log.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "core/trace_format.h"
#include "machine/file_cause.h"

namespace zorva {

unsigned TraceLog::Open(const std::string& path, std::string_view romPath) {
  if (loggingOn()) return 0;
  // Not truncated at open: a log that another program holds locked must survive our attempt.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
  if (fd < 0) return FileCauseFromErrno(errno);
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    close(fd);
    return kCauseSharingViolation;
  }
  // A device (/dev/null, a terminal) has nothing to empty and takes the log as
  // it comes; a FIFO cannot be truncated, and is no place for a log.
  struct stat info {};
  const bool device = fstat(fd, &info) == 0 && S_ISCHR(info.st_mode);
  if (!device && ftruncate(fd, 0) != 0) {
    const unsigned cause = errno == EINVAL ? kCauseInvalidFile : FileCauseFromErrno(errno);
    close(fd);
    return cause;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  fd_ = fd;
  if (!buffer_) buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
  used_ = 0;
  std::string header = "Zorva 1.0 - Mattel Aquarius emulator trace\r\n";
  header += "\r\nCurrent ROM file:";
  header += romPath;
  header += "\r\n\r\n";
  // At once, so that a log that cannot be written is known before the run.
  if (const unsigned cause = Write(header)) return cause;
  return Flush();
}

unsigned TraceLog::Close() {
  if (fd_ < 0) return 0;
  const unsigned cause = Flush();
  close(fd_);
  fd_ = -1;
  return cause;
}

unsigned TraceLog::Flush() { return WriteToFile({buffer_.get(), std::exchange(used_, 0)}); }

unsigned TraceLog::WriteToFile(std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = write(fd_, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n == 0 ? kCauseDiskFull : FileCauseFromErrno(errno);
    text.remove_prefix(static_cast<size_t>(n));
  }
  return 0;
}

unsigned TraceLog::Write(std::string_view line) {
  if (kBufferSize - used_ < line.size()) {
    if (const unsigned cause = Flush()) return cause;
    if (line.size() > kBufferSize) return WriteToFile(line);  // a header with a very long path
  }
  std::memcpy(buffer_.get() + used_, line.data(), line.size());
  used_ += line.size();
  return 0;
}

unsigned TraceLog::WriteRegisterLine(const Z80Registers& r, uint8_t opcode) {
  static constexpr std::string_view kFormat =
      "PC:%4x, OP:%4x, A:%4x, F:%4x, BC:%4x, DE:%4x, HL %4x,SP:%4x\r\n";
  if (kBufferSize - used_ < TraceLineLength(kFormat)) {
    if (const unsigned cause = Flush()) return cause;
  }
  const char* end = FormatTraceLine(buffer_.get() + used_, kFormat,
                                    {r.PC, opcode, r.A, r.F, r.BC, r.DE, r.HL, r.SP});
  used_ = static_cast<size_t>(end - buffer_.get());
  return 0;
}

}  // namespace zorva
