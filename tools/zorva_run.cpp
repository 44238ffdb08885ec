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
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "machine/memory_map.h"
#include "machine/screen_text.h"
#include "run/emulator.h"
#include "tools/headless_host.h"
#include "tools/options.h"
#include "tools/png_file.h"

namespace zorva::tools {
namespace {

enum ExitStatus {
  kRunEnded = 0,
  kFileFailed = 1,
  kUsageError = 2,
  kTypingUnfinished = 3,
  kInterrupted = 130
};

// More text than anyone types into a machine with 34 KiB of program memory;
// the cap keeps a wrong file (a disk image, /dev/zero) from filling the host.
constexpr size_t kLongestTypeFile = 16u << 20;

volatile std::sig_atomic_t interruptRequested = 0;

extern "C" void RequestInterrupt(int) { interruptRequested = 1; }

void PrintRegisters(const Z80Registers& r) {
  std::printf(
      "PC=%04X SP=%04X A=%02X F=%02X BC=%04X DE=%04X HL=%04X IX=%04X IY=%04X AF'=%04X "
      "BC'=%04X DE'=%04X HL'=%04X\n",
      r.PC, r.SP, r.A, r.F, r.BC, r.DE, r.HL, r.IX, r.IY, r.altA << 8 | r.altF, r.altBC, r.altDE,
      r.altHL);
}

// The 25 rows of 40 characters, as copying the screen in the window gives
// them, but each row whole.
void PrintScreen(std::span<const uint8_t, 65536> memory) {
  for (int row = 0; row < kScreenRows; ++row) {
    const std::string line = ScreenRowText(memory, row) + '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
}

// The whole of `path`, or nothing with errno saying why (EFBIG: too long).
std::optional<std::string> ReadTypeFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  std::string text;
  struct stat info {};
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    errno = S_ISDIR(info.st_mode) ? EISDIR : errno;
  } else {
    char buffer[65536];
    for (;;) {
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n == 0) {
          close(fd);
          return text;
        }
        break;
      }
      if (text.size() + static_cast<size_t>(n) > kLongestTypeFile) {
        errno = EFBIG;
        break;
      }
      text.append(buffer, static_cast<size_t>(n));
    }
  }
  const int error = errno;
  close(fd);
  errno = error;
  return std::nullopt;
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

  HeadlessHost host(std::cerr, o.steps);
  Emulator emu(host);
  host.Attach(emu);
  host.WatchInterrupt(&interruptRequested);
  host.SetProgramFolder(o.programs);

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

  if (o.keyGap) emu.SetTypingPace({.hold = *o.keyGap, .gap = *o.keyGap});
  std::string typed;
  if (o.typeFile) {
    const std::optional<std::string> text = ReadTypeFile(*o.typeFile);
    if (!text) {
      ReportFileError("type the text of", *o.typeFile, errno);
      return kFileFailed;
    }
    typed = *text;
  }
  typed += o.typed;
  emu.WaitBeforeTyping(o.typeAfter);
  const size_t skipped = emu.TypeText(typed);

  emu.OnAdvanced({.start = o.start, .end = o.end, .showPcSp = false});
  emu.OnStart();

  // A log that stopped early (its message is out already) is a failed run.
  int status = o.trace && !emu.loggingOn() ? kFileFailed : kRunEnded;
  emu.OnStopLogging();
  // Finished typing has reported its skipped characters itself; unfinished
  // typing is told here, once.
  const size_t untyped = emu.typingLeft();
  if (untyped != 0) {
    std::fprintf(
        stderr,
        "zorva-run: the run ended before all the text was typed: %zu character%s "
        "left%s\n",
        untyped, untyped == 1 ? "" : "s",
        skipped == 0 ? "" : (", " + std::to_string(skipped) + " more without a key").c_str());
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
  if (status == kRunEnded && untyped != 0) status = kTypingUnfinished;
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
