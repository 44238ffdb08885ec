// What the run loop costs on top of the processor: the emulator's Run (started
// through OnStart, with an end point the workload never reaches and a host that
// has nothing to pump) against a bare loop of Step calls, on the same workload
// in the same process. Both are measured in workload passes per second; the
// last line printed is the ratio of their medians.
//
// Beside them, the run loop with the trace log on: 2,000,000 instructions of
// the workload from a fresh machine into a file, in trace lines per second.
//
//   run_loop_bench [benchmark flags]      workload: $ZORVA_WORKLOAD or the built-in path
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/repetitions.h"
#include "core/z80.h"
#include "machine/host.h"
#include "run/emulator.h"

namespace zorva {
namespace {

constexpr uint16_t kPassCounter = 0x4F02;  // the workload's 16-bit pass count
constexpr uint32_t kChunk = 1u << 21;      // instructions per benchmark iteration
constexpr uint64_t kTracedSteps = 2'000'000;
using bench::kLinesPerSecond;
using bench::kPassesPerSecond;

uint16_t PassCount(std::span<const uint8_t, 65536> memory) {
  return static_cast<uint16_t>(memory[kPassCounter] | memory[kPassCounter + 1] << 8);
}

// A window system with an empty queue: it only ends the run after the steps asked for.
class QuietHost final : public Host {
 public:
  void Attach(Emulator& emulator) { emulator_ = &emulator; }
  // The next run stops after exactly `steps` instructions.
  void Limit(uint64_t steps) {
    limit_ = steps;
    executed_ = 0;
    granted_ = 1;  // a run pumps first after its first instruction
  }

  void ShowMessage(std::string_view text, Icon) override {
    std::fprintf(stderr, "message: %.*s\n", static_cast<int>(text.size()), text.data());
    messages_++;
  }
  void SetCaption(std::string_view) override {}
  std::optional<std::string> ChooseFile(std::span<const FileType>, std::string_view) override {
    return std::nullopt;
  }
  uint32_t PumpMessages() override {
    executed_ += granted_;
    if (executed_ >= limit_) emulator_->OnStop();
    granted_ = static_cast<uint32_t>(std::clamp<uint64_t>(limit_ - executed_, 1, 1u << 30));
    return granted_;
  }
  void PostClose() override {}
  void CloseWindow() override {}
  void StopScreenTimer() override {}

  int messages() const { return messages_; }

 private:
  Emulator* emulator_ = nullptr;
  uint64_t limit_ = 0;
  uint64_t executed_ = 0;
  uint32_t granted_ = 1;
  int messages_ = 0;
};

class NoLinks final : public Z80Links {
 public:
  void WriteScramblePort(uint8_t) override {}
  void WriteBranchLine(std::string_view) override {}
  void ReportUnhandled(std::string_view message) override {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(message.size()), message.data());
    unhandled++;
  }
  int unhandled = 0;
};

std::string WorkloadPath() {
  if (const char* path = std::getenv("ZORVA_WORKLOAD")) return path;
  return ZORVA_WORKLOAD_PATH;
}

// The workload as a ROM image file: the program, then zeros up to 8192 bytes.
class WorkloadRom {
 public:
  WorkloadRom() {
    std::ifstream in(WorkloadPath(), std::ios::binary);
    std::vector<char> bytes(8193);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    if (!in.eof() || bytes.empty() || bytes.size() > 8192) {
      std::fprintf(stderr, "run_loop_bench: cannot use the workload '%s'\n",
                   WorkloadPath().c_str());
      std::exit(1);
    }
    bytes.resize(8192, 0);
    char name[] = "/tmp/zorva-workload-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != 8192 || close(fd) != 0) {
      std::fprintf(stderr, "run_loop_bench: cannot write a temporary ROM image\n");
      std::exit(1);
    }
    path_ = name;
  }
  ~WorkloadRom() { unlink(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const WorkloadRom& Rom() {
  static const WorkloadRom rom;
  return rom;
}

// An emulator with the workload loaded, stopped at PC 0.
struct RunSetup {
  RunSetup() {
    host.Attach(emu);
    emu.InitMachine();
    if (!emu.LoadRomFile(Rom().path())) std::exit(1);
  }
  // Runs `steps` instructions through OnStart, carrying on where the last run stopped.
  void Run(uint64_t steps) {
    host.Limit(steps);
    emu.OnAdvanced({.start = emu.registers().PC, .end = 0xFFFF, .showPcSp = false});
    emu.OnStart();
  }
  QuietHost host;
  Emulator emu{host};
};

// A processor on a copy of the emulator's memory at the same moment.
struct BareSetup {
  explicit BareSetup(const RunSetup& from) {
    std::copy(from.emu.memory().begin(), from.emu.memory().end(), memory.begin());
    std::copy(from.emu.portSpace().begin(), from.emu.portSpace().end(), ports.begin());
    cpu.BuildParityTable();
    cpu.regs = from.emu.registers();
  }
  void Run(uint64_t steps) {
    for (uint64_t i = 0; i < steps; ++i) cpu.Step();
  }
  std::array<uint8_t, 65536> memory{};
  std::array<uint8_t, 65536> ports{};
  NoLinks links;
  Z80 cpu{memory.data(), ports.data(), links};
};

void BM_BareStep(benchmark::State& state) {
  RunSetup start;
  BareSetup bare(start);
  uint64_t passes = 0;
  for (auto _ : state) {
    const uint16_t before = PassCount(bare.memory);
    bare.Run(kChunk);
    passes += static_cast<uint16_t>(PassCount(bare.memory) - before);
  }
  if (bare.links.unhandled != 0) state.SkipWithError("the workload met unhandled instructions");
  state.counters[kPassesPerSecond] =
      benchmark::Counter(static_cast<double>(passes), benchmark::Counter::kIsRate);
}

void BM_RunLoop(benchmark::State& state) {
  RunSetup run;
  uint64_t passes = 0;
  for (auto _ : state) {
    const uint16_t before = PassCount(run.emu.memory());
    run.Run(kChunk);
    passes += static_cast<uint16_t>(PassCount(run.emu.memory()) - before);
  }
  if (run.host.messages() != 0) state.SkipWithError("the workload met unhandled instructions");
  state.counters[kPassesPerSecond] =
      benchmark::Counter(static_cast<double>(passes), benchmark::Counter::kIsRate);
}

// The trace log of a run, in the temporary folder (on disk, not in memory,
// unless TMPDIR says otherwise).
std::string TracePath() {
  return (std::filesystem::temp_directory_path() / "zorva-bench-trace.log").string();
}

size_t CountLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> block(1 << 20);
  size_t lines = 0;
  while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0)
    lines += static_cast<size_t>(std::count(block.begin(), block.begin() + in.gcount(), '\n'));
  return lines;
}

// Every instruction's register line and every branch line, on a fresh machine
// each time: the lines of one traced run, header excluded.
size_t tracedLines = 0;

void BM_TracedRun(benchmark::State& state) {
  const std::string path = TracePath();
  int messages = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(path);
    auto run = std::make_unique<RunSetup>();
    run->emu.SetTraceFileName(path);
    run->emu.OnLogToFile();
    state.ResumeTiming();
    run->Run(kTracedSteps);
    run->emu.OnStopLogging();
    state.PauseTiming();
    messages += run->host.messages();
    run.reset();
    state.ResumeTiming();
  }
  std::filesystem::remove(path);
  if (messages != 0) state.SkipWithError("the traced run showed a message");
  state.counters[kLinesPerSecond] = benchmark::Counter(
      static_cast<double>(tracedLines * state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_BareStep)->Repetitions(7)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunLoop)->Repetitions(7)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TracedRun)
    ->Repetitions(7)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// Before timing anything: the run loop must execute exactly the instructions
// asked for, and the same ones as the bare loop.
bool SameWork() {
  constexpr uint64_t kSteps = 1'000'003;
  RunSetup run;
  BareSetup bare(run);
  run.Run(kSteps);
  bare.Run(kSteps);
  if (run.emu.registers() != bare.cpu.regs ||
      !std::equal(bare.memory.begin(), bare.memory.end(), run.emu.memory().begin())) {
    std::fprintf(stderr, "run_loop_bench: the run loop and the bare loop did different work\n");
    return false;
  }
  return true;
}

// Before timing the trace log: a traced run writes one register line per
// instruction, header and branch lines besides; counts the lines the timed
// runs will write.
bool TraceComplete() {
  const std::string path = TracePath();
  RunSetup run;
  run.emu.SetTraceFileName(path);
  run.emu.OnLogToFile();
  run.Run(kTracedSteps);
  run.emu.OnStopLogging();
  const size_t header = 4;
  const size_t lines = CountLines(path);
  std::filesystem::remove(path);
  if (run.host.messages() != 0 || lines < header + kTracedSteps) {
    std::fprintf(stderr, "run_loop_bench: the trace log of %llu instructions has %zu lines\n",
                 static_cast<unsigned long long>(kTracedSteps), lines);
    return false;
  }
  tracedLines = lines - header;
  return true;
}

}  // namespace
}  // namespace zorva

int main(int argc, char** argv) {
  if (!zorva::SameWork() || !zorva::TraceComplete()) return 1;
  zorva::bench::RepetitionCollector reporter;
  if (!zorva::bench::RunInterleaved(argc, argv, reporter)) return 1;

  const double lines = zorva::bench::Median(reporter.rates["BM_TracedRun"]);
  if (lines > 0) {
    std::printf("traced run of %llu instructions: %zu lines, median %.2f million lines/s\n",
                static_cast<unsigned long long>(zorva::kTracedSteps), zorva::tracedLines,
                lines / 1e6);
  }

  const double bare = zorva::bench::Median(reporter.rates["BM_BareStep"]);
  const double run = zorva::bench::Median(reporter.rates["BM_RunLoop"]);
  if (bare <= 0 || run <= 0) {
    std::printf("run loop / bare step: n/a (a benchmark did not run)\n");
    return lines > 0 ? 0 : 1;
  }
  std::printf("median passes/s: bare step %.1f, run loop %.1f\n", bare, run);
  std::printf("run loop / bare step: %.2f\n", run / bare);
  return 0;
}
