#include "run/trace_log.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

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
  std::string header = "Zorva 1.0 - Mattel Aquarius emulator trace\r\n";
  header += "\r\nCurrent ROM file:";
  header += romPath;
  header += "\r\n\r\n";
  return Write(header);
}

void TraceLog::Close() {
  if (fd_ < 0) return;
  close(fd_);
  fd_ = -1;
}

unsigned TraceLog::Write(std::string_view line) {
  while (!line.empty()) {
    const ssize_t n = write(fd_, line.data(), line.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n == 0 ? kCauseDiskFull : FileCauseFromErrno(errno);
    line.remove_prefix(static_cast<size_t>(n));
  }
  return 0;
}

unsigned TraceLog::WriteRegisterLine(const Z80Registers& r, uint8_t opcode) {
  char line[96];
  const int n = std::snprintf(line, sizeof line,
                              "PC:%4x, OP:%4x, A:%4x, F:%4x, BC:%4x, DE:%4x, HL %4x,SP:%4x\r\n",
                              r.PC, opcode, r.A, r.F, r.BC, r.DE, r.HL, r.SP);
  return Write({line, static_cast<size_t>(n)});
}

}  // namespace zorva
