// Processor speed: our Step against libz80ex on the same Z80 workload, in the
// same process. The workload loops forever; one pass is one trip round its
// outer loop, counted each time PC reaches 0x0042 before an instruction. Both
// cores run the same number of passes, must leave identical memory, and are
// reported in passes per second. The last line printed is
//
//   speedup over libz80ex: X.XX
//
// the ratio of the two medians over the repetitions of this run.
//
//   cpu_bench [benchmark flags]
//   ZORVA_WORKLOAD=path     the workload image (default: bench/workload/workload.bin)
//   ZORVA_BENCH_PASSES=n    passes per repetition (default 2000; fewer only
//                           for profiling, the figures need the default)
extern "C" {
#include <z80ex/z80ex.h>
}

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/z80.h"

namespace {

using Memory = std::array<uint8_t, 65536>;

constexpr uint16_t kMainLoop = 0x0042;  // head of the workload's outer loop
constexpr uint16_t kPassCounter = 0x4F02;
constexpr unsigned kDefaultPasses = 2000;
// A pass is about 24,600 instructions; far more than that means the program
// went astray, and the run stops rather than hang.
constexpr uint64_t kMaxStepsPerPass = 1'000'000;
constexpr const char* kZorva = "Zorva";
constexpr const char* kLibz80ex = "libz80ex";

Memory workload{};
unsigned passes = kDefaultPasses;

[[noreturn]] void Fail(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "cpu_bench: %s\n", message.c_str());
  std::exit(1);
}

void LoadWorkload(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail("cannot open the workload " + path + " (set ZORVA_WORKLOAD to its path)");
  std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (bytes.empty() || bytes.size() > workload.size()) {
    Fail("the workload " + path + " has " + std::to_string(bytes.size()) +
         " bytes; expected 1 to 65536");
  }
  std::memcpy(workload.data(), bytes.data(), bytes.size());
}

// --- Our core ---------------------------------------------------------------

class QuietLinks : public zorva::Z80Links {
 public:
  void WriteScramblePort(uint8_t) override {}
  void WriteBranchLine(std::string_view) override {}
  void ReportUnhandled(std::string_view message) override {
    Fail("the workload reached an unhandled instruction: " + std::string(message));
  }
};

struct ZorvaMachine {
  ZorvaMachine() {
    memory = workload;
    ports.fill(0xFF);
    cpu.BuildParityTable();
    cpu.ResetRegisters();
  }
  // Runs `n` whole passes after the set-up code; false if the loop head was lost.
  bool Run(unsigned n) {
    unsigned seen = 0;
    uint64_t budget = (n + 1) * kMaxStepsPerPass;
    zorva::Z80Registers& regs = cpu.regs;
    for (;;) {
      if (regs.PC == kMainLoop && ++seen > n) return true;
      if (--budget == 0) return false;
      cpu.Step();
    }
  }

  Memory memory;
  Memory ports;
  QuietLinks links;
  zorva::Z80 cpu{memory.data(), ports.data(), links};
};

// --- libz80ex ---------------------------------------------------------------

struct Z80exMachine {
  Z80exMachine() {
    memory = workload;
    context = z80ex_create(ReadMemory, this, WriteMemory, this, ReadPort, this, WritePort, this,
                           ReadVector, this);
    z80ex_reset(context);
    z80ex_set_reg(context, regSP, 0xFFFF);
  }
  ~Z80exMachine() { z80ex_destroy(context); }
  Z80exMachine(const Z80exMachine&) = delete;
  Z80exMachine& operator=(const Z80exMachine&) = delete;

  bool Run(unsigned n) {
    unsigned seen = 0;
    uint64_t budget = (n + 1) * kMaxStepsPerPass;
    for (;;) {
      // Prefixes are steps of their own; count only at instruction starts.
      if (z80ex_last_op_type(context) == 0 && z80ex_get_reg(context, regPC) == kMainLoop &&
          ++seen > n) {
        return true;
      }
      if (--budget == 0) return false;
      z80ex_step(context);
    }
  }

  static Z80EX_BYTE ReadMemory(Z80EX_CONTEXT*, Z80EX_WORD address, int, void* self) {
    return static_cast<Z80exMachine*>(self)->memory[address];
  }
  static void WriteMemory(Z80EX_CONTEXT*, Z80EX_WORD address, Z80EX_BYTE v, void* self) {
    static_cast<Z80exMachine*>(self)->memory[address] = v;
  }
  static Z80EX_BYTE ReadPort(Z80EX_CONTEXT*, Z80EX_WORD, void*) { return 0xFF; }
  static void WritePort(Z80EX_CONTEXT*, Z80EX_WORD, Z80EX_BYTE, void*) {}
  static Z80EX_BYTE ReadVector(Z80EX_CONTEXT*, void*) { return 0xFF; }

  Memory memory;
  Z80EX_CONTEXT* context;
};

// --- Results ----------------------------------------------------------------

// Memory at the end of the last repetition of each core, by core name.
std::map<std::string, Memory> finalMemory;

template <typename Machine>
Memory RunOnce(unsigned n) {
  auto m = std::make_unique<Machine>();
  if (!m->Run(n)) Fail("the workload never came back to its loop head at 0x0042");
  return m->memory;
}

// Exits when the two memories differ, naming the first differing byte.
void CheckSameMemory(const Memory& ours, const Memory& theirs, unsigned n) {
  const auto [a, b] = std::mismatch(ours.begin(), ours.end(), theirs.begin());
  if (a == ours.end()) return;
  char text[160];
  std::snprintf(text, sizeof text,
                "after %u passes the cores disagree: memory[%04x] is %02x on Zorva, "
                "%02x on libz80ex",
                n, static_cast<unsigned>(a - ours.begin()), *a, *b);
  Fail(text);
}

unsigned PassCount(const Memory& m) { return m[kPassCounter] | m[kPassCounter + 1] << 8; }

template <typename Machine>
void BM_Workload(benchmark::State& state, const char* name) {
  Memory last{};
  for (auto _ : state) {
    state.PauseTiming();
    auto m = std::make_unique<Machine>();
    state.ResumeTiming();
    if (!m->Run(passes)) Fail("the workload never came back to its loop head at 0x0042");
    state.PauseTiming();
    last = m->memory;
    state.ResumeTiming();
  }
  finalMemory[name] = last;
  state.counters["passes/s"] = benchmark::Counter(static_cast<double>(passes) * state.iterations(),
                                                  benchmark::Counter::kIsRate);
}

// The console table, plus the median passes per second of each core.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal, so that a saved report stays plain text.
  MedianReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median") continue;
      const auto counter = run.counters.find("passes/s");
      if (counter != run.counters.end()) medians[run.run_name.function_name] = counter->second;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> medians;
};

std::optional<double> MedianOf(const MedianReporter& reporter, const char* name) {
  for (const auto& [function, value] : reporter.medians) {
    if (function.find(name) != std::string::npos) return value;
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = std::getenv("ZORVA_WORKLOAD");
  LoadWorkload(path && *path ? path : ZORVA_WORKLOAD_PATH);
  if (const char* text = std::getenv("ZORVA_BENCH_PASSES"); text && *text) {
    char* end = nullptr;
    const unsigned long n = std::strtoul(text, &end, 10);
    if (*end != '\0' || n == 0 || n > 1'000'000) {
      Fail(std::string("ZORVA_BENCH_PASSES must be a count from 1 to 1000000, not '") + text + "'");
    }
    passes = static_cast<unsigned>(n);
  }

  // A short run first: a disagreement shows before any time is spent.
  constexpr unsigned kCheckPasses = 20;
  CheckSameMemory(RunOnce<ZorvaMachine>(kCheckPasses), RunOnce<Z80exMachine>(kCheckPasses),
                  kCheckPasses);

  benchmark::RegisterBenchmark(kZorva, BM_Workload<ZorvaMachine>, kZorva)
      ->Iterations(1)
      ->Repetitions(5)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(kLibz80ex, BM_Workload<Z80exMachine>, kLibz80ex)
      ->Iterations(1)
      ->Repetitions(5)
      ->Unit(benchmark::kMillisecond);
  // Repetitions of the two cores alternate in random order, so a slow spell
  // on a shared machine does not fall on one core only. Flags given on the
  // command line come later and win.
  std::vector<char*> args(argv, argv + argc);
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;
  std::printf("workload: %u passes per repetition\n", passes);
  MedianReporter reporter;
  reporter.SetErrorStream(&std::cout);  // the whole report on one stream, in order
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  const auto ours = finalMemory.find(kZorva);
  const auto theirs = finalMemory.find(kLibz80ex);
  if (ours != finalMemory.end() && theirs != finalMemory.end()) {
    CheckSameMemory(ours->second, theirs->second, passes);
    if (PassCount(ours->second) != (passes & 0xFFFF)) {
      Fail("the workload's own pass counter reads " + std::to_string(PassCount(ours->second)) +
           " after " + std::to_string(passes) + " passes");
    }
    std::printf("both cores: identical memory after %u passes (pass counter %u)\n", passes,
                PassCount(ours->second));
  }
  const auto zorva = MedianOf(reporter, kZorva);
  const auto z80ex = MedianOf(reporter, kLibz80ex);
  if (zorva) std::printf("Zorva:    %.0f passes/s (median)\n", *zorva);
  if (z80ex) std::printf("libz80ex: %.0f passes/s (median)\n", *z80ex);
  if (!zorva || !z80ex || *z80ex <= 0) {
    // A --benchmark_filter left one core out.
    std::printf("speedup over libz80ex: n/a (both cores must run)\n");
    return 0;
  }
  std::printf("speedup over libz80ex: %.2f\n", *zorva / *z80ex);
  return 0;
}
