// Soak: our ROM runs for a long time without a window, once left alone and once
// with a BASIC line, RUN and LIST typed over and over through the key handlers,
// while the screen is painted as the window's timer would. Each phase prints
// the resident memory (VmRSS) at its start and end and the instructions per
// second; it fails when memory grew by more than 1 MiB, when the machine
// showed a message (an unhandled instruction, say), when BASIC answered a
// typed line with an error (a lost or doubled key), or when the run stopped
// before the instructions asked for.
//
//   soak_bench [--instructions N] [--key-gap N] [--rom FILE]
//
// N defaults to 10^10 instructions per phase; the ROM to the aquarius.rom that
// the build assembles.
#include <time.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "machine/host.h"
#include "machine/memory_map.h"
#include "run/emulator.h"
#include "run/typist.h"

namespace zorva {
namespace {

constexpr int64_t kAllowedGrowthKiB = 1024;
// The window repaints every 133 ms; at a few hundred million instructions a
// second that is some tens of millions of instructions.
constexpr uint64_t kPaintEvery = uint64_t{1} << 25;
constexpr int kProgressReports = 10;
// Typed again and again: a line stored (replacing itself), run and listed.
constexpr std::string_view kScript = "10 FOR I=1 TO 9:PRINT I;:NEXT:PRINT \"|\"\nRUN\nLIST\n";

// Resident memory in KiB, from /proc/self/status; -1 when it cannot be read.
int64_t ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) != 0) continue;
    size_t at = 6;
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    int64_t kib = -1;
    std::from_chars(line.data() + at, line.data() + line.size(), kib);
    return kib;
  }
  return -1;
}

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The host of one phase: an empty window whose queue holds only the typed keys
// (delivered in a loop, one every keyGap instructions), the screen timer and
// the end of the run.
class SoakHost final : public Host {
 public:
  SoakHost(uint64_t limit, std::vector<KeyEvent> script, uint32_t keyGap)
      : limit_(limit), script_(std::move(script)), keyGap_(keyGap) {}

  void Attach(Emulator& emulator) { emu_ = &emulator; }

  void ShowMessage(std::string_view text, Icon) override {
    if (messages_++ == 0) firstMessage_.assign(text);
  }
  void SetCaption(std::string_view) override {}
  std::optional<std::string> ChooseFile(std::span<const FileType>, std::string_view) override {
    return std::nullopt;
  }
  uint32_t PumpMessages() override {
    executed_ += granted_;
    if (!script_.empty()) {
      while (executed_ >= nextKey_) {
        Deliver(script_[keyIndex_]);
        keyIndex_ = (keyIndex_ + 1) % script_.size();
        nextKey_ += keyGap_;
      }
    }
    if (executed_ >= nextPaint_) {
      emu_->PaintScreen();
      nextPaint_ += kPaintEvery;
    }
    if (executed_ >= nextReport_) {
      Report();
      nextReport_ += limit_ / kProgressReports;
    }
    if (executed_ >= limit_) emu_->OnStop();

    uint64_t quiet = std::min({nextPaint_, nextReport_, limit_}) - std::min(executed_, limit_);
    if (!script_.empty()) quiet = std::min(quiet, nextKey_ - executed_);
    granted_ = static_cast<uint32_t>(std::clamp<uint64_t>(quiet, 1, 1u << 30));
    return granted_;
  }
  void PostClose() override {}
  void CloseWindow() override {}
  void StopScreenTimer() override {}

  void Start() {
    startWall_ = std::chrono::steady_clock::now();
    startCpu_ = CpuSeconds();
    nextReport_ = limit_ / kProgressReports;
  }
  double wallSeconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - startWall_).count();
  }
  double cpuSeconds() const { return CpuSeconds() - startCpu_; }
  uint64_t executed() const { return executed_; }
  int messages() const { return messages_; }
  const std::string& firstMessage() const { return firstMessage_; }
  uint64_t commandsTyped() const { return commandsTyped_; }
  uint64_t errorsSeen() const { return errorsSeen_; }

 private:
  void Deliver(const KeyEvent& key) {
    if (key.kind == KeyEvent::Kind::Ok) {
      // Before each Enter: BASIC must not have answered any earlier line
      // with an error.
      if (ScreenShows(" ERROR")) ++errorsSeen_;
      ++commandsTyped_;
    }
    emu_->OnKey(key);
  }
  bool ScreenShows(std::string_view text) const {
    const auto screen = emu_->memory().subspan(kCharacterRam, kScreenCells);
    return std::search(screen.begin(), screen.end(), text.begin(), text.end()) != screen.end();
  }
  void Report() const {
    std::printf("  %6.1f%%  %14llu instructions  %8.1f s  RSS %lld KiB\n",
                100.0 * static_cast<double>(executed_) / static_cast<double>(limit_),
                static_cast<unsigned long long>(executed_), wallSeconds(),
                static_cast<long long>(ResidentKiB()));
    std::fflush(stdout);
  }

  Emulator* emu_ = nullptr;
  uint64_t limit_;
  std::vector<KeyEvent> script_;
  uint64_t keyGap_;
  size_t keyIndex_ = 0;
  uint64_t nextKey_ = 0;
  uint64_t nextPaint_ = 0;
  uint64_t nextReport_ = 0;
  uint64_t executed_ = 0;
  uint32_t granted_ = 1;  // a run pumps first after its first instruction
  int messages_ = 0;
  std::string firstMessage_;
  uint64_t commandsTyped_ = 0;
  uint64_t errorsSeen_ = 0;
  std::chrono::steady_clock::time_point startWall_;
  double startCpu_ = 0;
};

enum class Outcome { Pass, Fail, NoRom };

Outcome RunPhase(const char* name, const std::string& rom, uint64_t instructions,
                 std::vector<KeyEvent> script, uint32_t keyGap) {
  std::printf("%s: %llu instructions\n", name, static_cast<unsigned long long>(instructions));
  const bool typing = !script.empty();
  auto host = std::make_unique<SoakHost>(instructions, std::move(script), keyGap);
  auto emu = std::make_unique<Emulator>(*host);
  host->Attach(*emu);
  emu->InitMachine();
  if (!emu->LoadRomFile(rom)) {
    std::string why = host->firstMessage();
    while (!why.empty() && why.back() == '\n') why.pop_back();
    std::fprintf(stderr, "soak_bench: cannot load the ROM %s: %s\n", rom.c_str(), why.c_str());
    return Outcome::NoRom;
  }
  emu->PaintScreen();  // the window's first paint, before the run

  const int64_t startKiB = ResidentKiB();
  std::printf("  start RSS %lld KiB\n", static_cast<long long>(startKiB));
  std::fflush(stdout);
  host->Start();
  emu->OnStart();
  const double wall = host->wallSeconds();
  const double cpu = host->cpuSeconds();
  const int64_t endKiB = ResidentKiB();

  const double executed = static_cast<double>(host->executed());
  std::printf("  end RSS %lld KiB (%+lld KiB)\n", static_cast<long long>(endKiB),
              static_cast<long long>(endKiB - startKiB));
  std::printf("  %.1f s wall, %.1f s CPU: %.0f instructions/s (%.0f per CPU second)\n", wall, cpu,
              executed / wall, executed / cpu);
  if (typing) {
    std::printf("  %llu lines typed, %llu errors seen\n",
                static_cast<unsigned long long>(host->commandsTyped()),
                static_cast<unsigned long long>(host->errorsSeen()));
  }

  bool ok = true;
  if (host->executed() < instructions) {
    std::printf("  FAIL: the run stopped after %llu instructions, at PC %04X\n",
                static_cast<unsigned long long>(host->executed()), emu->registers().PC);
    ok = false;
  }
  if (startKiB < 0 || endKiB < 0) {
    std::printf("  FAIL: cannot read VmRSS from /proc/self/status\n");
    ok = false;
  } else if (endKiB - startKiB > kAllowedGrowthKiB) {
    std::printf("  FAIL: resident memory grew by more than %lld KiB\n",
                static_cast<long long>(kAllowedGrowthKiB));
    ok = false;
  }
  if (host->messages() != 0) {
    std::printf("  FAIL: %d messages, the first: %s\n", host->messages(),
                host->firstMessage().c_str());
    ok = false;
  }
  if (host->errorsSeen() != 0) {
    std::printf("  FAIL: BASIC answered typed lines with errors\n");
    ok = false;
  }
  if (typing && host->commandsTyped() == 0) {
    std::printf("  FAIL: no command was typed; the run was too short for the key gap\n");
    ok = false;
  }
  return ok ? Outcome::Pass : Outcome::Fail;
}

bool ParseCount(std::string_view text, uint64_t& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc{} && end == text.data() + text.size() && value > 0;
}

int Usage(const char* problem) {
  std::fprintf(stderr,
               "soak_bench: %s\nusage: soak_bench [--instructions N] [--key-gap N] [--rom FILE]\n",
               problem);
  return 2;
}

}  // namespace
}  // namespace zorva

int main(int argc, char** argv) {
  using namespace zorva;
  uint64_t instructions = 10'000'000'000ull;
  uint64_t keyGap = 20'000;
  std::string rom = ZORVA_ROM_PATH;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (i + 1 >= argc) return Usage(("missing value after " + std::string(arg)).c_str());
    const std::string_view value = argv[++i];
    if (arg == "--instructions") {
      if (!ParseCount(value, instructions)) return Usage("--instructions needs a positive number");
    } else if (arg == "--key-gap") {
      if (!ParseCount(value, keyGap) || keyGap > 0xFFFFFFFFu)
        return Usage("--key-gap needs a number from 1 to 4294967295");
    } else if (arg == "--rom") {
      rom = value;
    } else {
      return Usage(("unknown option " + std::string(arg)).c_str());
    }
  }

  const std::vector<KeyEvent> script = Typist::Events(kScript);

  const Outcome alone =
      RunPhase("left alone", rom, instructions, {}, static_cast<uint32_t>(keyGap));
  if (alone == Outcome::NoRom) return 1;
  const Outcome typing = RunPhase("typing a line, RUN and LIST over and over", rom, instructions,
                                  script, static_cast<uint32_t>(keyGap));
  const bool ok = alone == Outcome::Pass && typing == Outcome::Pass;
  std::printf("%s\n", ok ? "soak: PASS" : "soak: FAIL");
  return ok ? 0 : 1;
}
