// fuzz_load_image: the image loader on arbitrary files, as ROM and as cartridge.
//
// Input layout (missing bytes read as 0):
//   0      bit 0 cartridge (else ROM); bits 1-3 the file's length: 0 the rest of
//          the input as it is, then 8191, 8192, 8193, 16383, 16384, 16385 and 0
//          (the rest repeated or cut to that length); bits 4-6 what the path
//          names: 0-3 a regular file with those bytes, 4 nothing (or an empty
//          path), 5 a directory, 6 a FIFO, 7 the regular file while another
//          open file holds a lock on it; bit 7 romLoaded before the load
//   1..8   seed for the memory and registers before the load
//   9..    the file's bytes
//
// Checks: LoadImage returns true only for a regular file of exactly the size
// asked for. Then the file's bytes are at the image's address, the rest of
// memory is as it was, the registers are reset, romLoaded is set and nothing
// was shown. Otherwise memory, registers and romLoaded are as they were and
// exactly one message, the right one, was shown.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_hosts.h"
#include "fuzz/fuzz_support.h"
#include "machine/file_cause.h"
#include "machine/images.h"
#include "machine/memory_map.h"

namespace zorva::fuzz {
namespace {

constexpr uint32_t kLengths[8] = {0, 8191, 8192, 8193, 16383, 16384, 16385, 0};

// A private folder under the system's temporary folder, removed at exit.
struct Scratch {
  std::string dir;
  std::string file;
  std::string missing;
  std::string fifo;
  std::string subdir;

  Scratch() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/zorva-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) Fail(__FILE__, __LINE__, "mkdtemp failed");
    dir = pattern;
    file = dir + "/image.rom";
    missing = dir + "/no such folder/image.rom";
    fifo = dir + "/fifo.rom";
    subdir = dir + "/folder.rom";
    if (mkfifo(fifo.c_str(), 0600) != 0) Fail(__FILE__, __LINE__, "mkfifo failed");
    if (mkdir(subdir.c_str(), 0700) != 0) Fail(__FILE__, __LINE__, "mkdir failed");
  }
  ~Scratch() {
    unlink(file.c_str());
    unlink(fifo.c_str());
    rmdir(subdir.c_str());
    rmdir(dir.c_str());
  }
};

Scratch& TheScratch() {
  static Scratch scratch;
  return scratch;
}

struct World {
  SilentLinks links;
  CountingHost host;
  MachineState machine{links};
  std::vector<uint8_t> before = std::vector<uint8_t>(65536);
};

World& TheWorld() {
  static World* world = new World;
  return *world;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) Fail(__FILE__, __LINE__, "cannot write %s: %s", path.c_str(), std::strerror(errno));
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) Fail(__FILE__, __LINE__, "short write to %s", path.c_str());
    done += static_cast<size_t>(n);
  }
  close(fd);
}

std::string OpenFailure(const std::string& path, unsigned cause) {
  return "Can't find/open file '" + path + "', error = " + std::to_string(cause) + "\n";
}

}  // namespace
}  // namespace zorva::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorva;
  using namespace zorva::fuzz;
  Scratch& scratch = TheScratch();
  World& w = TheWorld();
  MachineState& m = w.machine;

  ByteReader in(data, size);
  const uint8_t control = in.Byte();
  Generator gen(in.Quad());
  const bool cartridge = (control & 0x01) != 0;
  const unsigned lengthChoice = (control >> 1) & 7;
  const unsigned kind = (control >> 4) & 7;
  const uint16_t address = cartridge ? kCartridgeAddress : kRomAddress;
  const uint32_t expected = cartridge ? kCartridgeSize : kRomSize;

  // The file's bytes: the rest of the input, repeated or cut to the length chosen.
  std::vector<uint8_t> bytes(in.rest(), in.rest() + in.restSize());
  if (lengthChoice != 0) {
    const size_t length = kLengths[lengthChoice];
    std::vector<uint8_t> sized(length, 0);
    if (!bytes.empty())
      for (size_t i = 0; i < length; ++i) sized[i] = bytes[i % bytes.size()];
    bytes.swap(sized);
  }

  // A machine in some state that a failed load must leave alone.
  gen.Fill(m.memory.data(), m.memory.size());
  gen.Fill(reinterpret_cast<uint8_t*>(&m.cpu.regs), sizeof m.cpu.regs);
  m.romLoaded = (control & 0x80) != 0;
  const Z80Registers regsBefore = m.cpu.regs;
  const bool loadedBefore = m.romLoaded;
  std::memcpy(w.before.data(), m.memory.data(), m.memory.size());
  w.host.Clear();

  // What the path names, and the message a failed load has to show.
  std::string failure;
  int lockFd = -1;
  switch (kind) {
    case 4:
      m.romPath = (gen.Next() & 1) ? scratch.missing : std::string();
      failure = OpenFailure(m.romPath, kCauseFileNotFound);
      break;
    case 5:
      m.romPath = scratch.subdir;
      failure = OpenFailure(m.romPath, kCauseAccessDenied);
      break;
    case 6:
      m.romPath = scratch.fifo;
      failure = OpenFailure(m.romPath, kCauseInvalidFile);
      break;
    default:
      m.romPath = scratch.file;
      WriteFile(scratch.file, bytes);
      if (kind == 7) {
        lockFd = open(scratch.file.c_str(), O_RDONLY | O_CLOEXEC);
        if (lockFd < 0 || flock(lockFd, LOCK_EX | LOCK_NB) != 0)
          Fail(__FILE__, __LINE__, "cannot lock %s", scratch.file.c_str());
        failure = OpenFailure(m.romPath, kCauseSharingViolation);
      } else if (bytes.size() != expected) {
        failure = "ROM Image was not " + std::to_string(expected) +
                  " bytes.\n\nROM Image was not loaded.";
      }
      break;
  }

  const bool loaded = LoadImage(m, w.host, address, expected);
  if (lockFd >= 0) close(lockFd);

  ZORVA_CHECK(w.host.dialogs == 0 && w.host.captions == 0, "a load opened a dialog or a caption");
  if (failure.empty()) {
    ZORVA_CHECK(loaded, "a regular %zu-byte file was refused as a %u-byte image", bytes.size(),
                expected);
    ZORVA_CHECK(w.host.messages.empty(), "a successful load showed '%s'",
                w.host.messages[0].text.c_str());
    ZORVA_CHECK(std::memcmp(m.memory.data() + address, bytes.data(), expected) == 0,
                "the image's bytes are not in memory");
    ZORVA_CHECK(
        std::memcmp(m.memory.data(), w.before.data(), address) == 0 &&
            std::memcmp(m.memory.data() + address + expected, w.before.data() + address + expected,
                        m.memory.size() - address - expected) == 0,
        "memory outside the image changed");
    ZORVA_CHECK(m.cpu.regs == Z80Registers{}, "the registers were not reset");
    ZORVA_CHECK(m.romLoaded, "romLoaded not set");
    return 0;
  }
  ZORVA_CHECK(!loaded, "LoadImage accepted what should fail with '%s'", failure.c_str());
  ZORVA_CHECK(w.host.messages.size() == 1, "%zu messages for one failed load",
              w.host.messages.size());
  ZORVA_CHECK(w.host.messages[0].text == failure, "message '%s', expected '%s'",
              w.host.messages[0].text.c_str(), failure.c_str());
  const Host::Icon icon = failure.starts_with("ROM") ? Host::Icon::Information : Host::Icon::Plain;
  ZORVA_CHECK(w.host.messages[0].icon == icon, "wrong icon for '%s'", failure.c_str());
  ZORVA_CHECK(std::memcmp(m.memory.data(), w.before.data(), m.memory.size()) == 0,
              "a failed load changed memory");
  ZORVA_CHECK(m.cpu.regs == regsBefore, "a failed load changed the registers");
  ZORVA_CHECK(m.romLoaded == loadedBefore, "a failed load changed romLoaded");
  return 0;
}
