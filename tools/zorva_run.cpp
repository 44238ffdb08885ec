// zorva-run: runs a ROM image without a window, for scripts and tests. See
// UsageText() in options.cpp for the command line.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "machine/memory_map.h"
#include "run/emulator.h"
#include "tools/headless_host.h"
#include "tools/options.h"
#include "tools/png_file.h"

namespace zorva::tools {
namespace {

enum ExitStatus { kRunEnded = 0, kFileFailed = 1, kUsageError = 2, kInterrupted = 130 };

volatile std::sig_atomic_t interruptRequested = 0;

extern "C" void RequestInterrupt(int) { interruptRequested = 1; }

void PrintRegisters(const Z80Registers& r) {
  std::printf(
      "PC=%04X SP=%04X A=%02X F=%02X BC=%04X DE=%04X HL=%04X IX=%04X IY=%04X AF'=%04X "
      "BC'=%04X DE'=%04X HL'=%04X\n",
      r.PC, r.SP, r.A, r.F, r.BC, r.DE, r.HL, r.IX, r.IY, r.altA << 8 | r.altF, r.altBC, r.altDE,
      r.altHL);
}

void PrintScreen(std::span<const uint8_t, 65536> memory) {
  for (int row = 0; row < kScreenRows; ++row) {
    char line[kScreenColumns + 1];
    for (int column = 0; column < kScreenColumns; ++column) {
      const uint8_t code = memory[kCharacterRam + row * kScreenColumns + column];
      line[column] = code >= 0x20 && code <= 0x7E ? static_cast<char>(code) : '.';
    }
    line[kScreenColumns] = '\n';
    std::fwrite(line, 1, sizeof line, stdout);
  }
}

class DumpFile {
 public:
  DumpFile() = default;
  DumpFile(const DumpFile&) = delete;
  DumpFile& operator=(const DumpFile&) = delete;
  ~DumpFile() {
    if (fd_ >= 0) close(fd_);
  }

  bool Open(const std::string& path) {
    fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
    return fd_ >= 0;
  }
  // Replaces the file's contents with `bytes`; errno tells why when it fails.
  bool Write(std::span<const uint8_t> bytes) {
    struct stat info {};
    if (fstat(fd_, &info) != 0) return false;
    if (S_ISREG(info.st_mode) && ftruncate(fd_, 0) != 0) return false;
    fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    while (!bytes.empty()) {
      const ssize_t n = write(fd_, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return false;
      if (n == 0) {
        errno = ENOSPC;
        return false;
      }
      bytes = bytes.subspan(static_cast<size_t>(n));
    }
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_ = -1;
};

// The whole screen composed afresh, each pixel a zoom x zoom block.
bool WriteScreenPng(Emulator& emu, const std::string& path, int zoom) {
  emu.RequestFullRedraw();
  const Screen& screen = emu.PaintScreen();
  const int width = Screen::kWidth * zoom, height = Screen::kHeight * zoom;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels[static_cast<size_t>(y) * width + x] =
          screen.frame[(y / zoom) * Screen::kWidth + x / zoom];
  errno = 0;
  return WritePng(path, pixels, width, height);
}

void ReportFileError(const std::string& what, const std::string& path, int error) {
  std::fprintf(stderr, "zorva-run: cannot %s '%s': %s\n", what.c_str(), path.c_str(),
               std::strerror(error));
}

int RunMachine(const RunOptions& o) {
  // Ctrl-C ends the run the way the step limit does, so the results still come out.
  std::signal(SIGINT, RequestInterrupt);
  std::signal(SIGTERM, RequestInterrupt);
  // A vanished reader of stdout shows up as a failed write, not as sudden death.
  std::signal(SIGPIPE, SIG_IGN);

  HeadlessHost host(std::cerr, o.keys, o.keyGap, o.steps);
  Emulator emu(host);
  host.Attach(emu);
  host.WatchInterrupt(&interruptRequested);

  emu.InitMachine();
  if (!emu.LoadRomFile(o.rom)) return kFileFailed;
  if (o.cartridge) {
    if (!emu.LoadCartridgeFile(*o.cartridge)) return kFileFailed;
    emu.OnReset();
  }

  // Opened before the run, so that a bad path costs no run, but emptied only
  // when the memory is there to replace what it held.
  DumpFile dump;
  if (o.dump && !dump.Open(*o.dump)) {
    ReportFileError("write the dump", *o.dump, errno);
    return kFileFailed;
  }
  if (o.trace) {
    emu.SetTraceFileName(*o.trace);
    emu.OnLogToFile();
    if (!emu.loggingOn()) return kFileFailed;  // the emulator has said why
  }

  emu.OnAdvanced({.start = o.start, .end = o.end, .showPcSp = false});
  emu.OnStart();

  // A log that stopped early (its message is out already) is a failed run.
  int status = o.trace && !emu.loggingOn() ? kFileFailed : kRunEnded;
  emu.OnStopLogging();
  if (host.keysLeft() != 0) {
    std::fprintf(stderr, "zorva-run: the run ended before %zu of the typed key events\n",
                 host.keysLeft());
  }

  if (o.regs) PrintRegisters(emu.registers());
  if (o.screen) PrintScreen(emu.memory());
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "zorva-run: cannot write to the standard output: %s\n",
                 std::strerror(errno));
    status = kFileFailed;
  }
  if (o.dump && !dump.Write(emu.memory())) {
    ReportFileError("write the dump", *o.dump, errno);
    status = kFileFailed;
  }
  if (o.png && !WriteScreenPng(emu, *o.png, o.zoom)) {
    ReportFileError("write the picture", *o.png, errno);
    status = kFileFailed;
  }
  if (status == kRunEnded && host.interrupted()) status = kInterrupted;
  return status;
}

}  // namespace
}  // namespace zorva::tools

int main(int argc, char** argv) {
  using zorva::tools::ParseResult;
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const ParseResult parsed = zorva::tools::ParseOptions(args);
  switch (parsed.action) {
    case ParseResult::Action::Help:
      std::fwrite(zorva::tools::UsageText().data(), 1, zorva::tools::UsageText().size(), stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    case ParseResult::Action::UsageError:
      std::fprintf(stderr, "zorva-run: %s\n\n%.*s", parsed.error.c_str(),
                   static_cast<int>(zorva::tools::UsageText().size()),
                   zorva::tools::UsageText().data());
      return zorva::tools::kUsageError;
    case ParseResult::Action::Run: break;
  }
  return zorva::tools::RunMachine(parsed.options);
}
