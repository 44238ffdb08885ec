#include "machine/images.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "machine/file_cause.h"

namespace zorva {
namespace {

void ReportOpenFailure(Host& host, const std::string& path, unsigned cause) {
  // The path is data, never part of a format.
  host.ShowMessage("Can't find/open file '" + path + "', error = " + std::to_string(cause) + "\n");
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

bool LoadImage(MachineState& m, Host& host, uint16_t address, uint32_t size) {
  // Non-blocking, so that a FIFO cannot hold the program at open().
  FileDescriptor file(open(m.romPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.get() < 0) {
    ReportOpenFailure(host, m.romPath, FileCauseFromErrno(errno));
    return false;
  }
  struct stat info {};
  if (fstat(file.get(), &info) != 0) {
    ReportOpenFailure(host, m.romPath, FileCauseFromErrno(errno));
    return false;
  }
  // Only regular files are images; anything else would block or never end.
  if (S_ISDIR(info.st_mode)) {
    ReportOpenFailure(host, m.romPath, kCauseAccessDenied);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    ReportOpenFailure(host, m.romPath, kCauseInvalidFile);
    return false;
  }
  // Opened without sharing: another program holding the file locked keeps us out.
  if (flock(file.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    ReportOpenFailure(host, m.romPath, kCauseSharingViolation);
    return false;
  }
  // The size alone decides, before a single byte is read.
  if (static_cast<uint64_t>(info.st_size) != size) {
    const std::string n = std::to_string(size);
    host.ShowMessage("ROM Image was not " + n + " bytes.\n\nROM Image was not loaded.",
                     Host::Icon::Information);
    return false;
  }
  // A file that shrinks under us ends the read early; what was read stays.
  uint32_t done = 0;
  while (done < size && address + done < m.memory.size()) {
    const ssize_t n = read(file.get(), &m.memory[address + done], size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<uint32_t>(n);
  }
  m.romLoaded = true;
  m.cpu.ResetRegisters();
  return true;
}

void WriteScramblePort(MachineState& m, Host& host, uint8_t value) {
  char caption[40];
  std::snprintf(caption, sizeof caption, "Zorva - (Current cypher: %2x)", value);
  m.titleText = caption;
  host.SetCaption(m.titleText);
  for (uint32_t a = kCartridgeAddress; a < 0x10000; ++a) m.memory[a] ^= value;
}

}  // namespace zorva
