// fuzz_step: the processor on arbitrary memory and register states.
//
// Input layout (missing bytes read as 0):
//   0..23   registers: A F HL BC DE A' F' HL' BC' DE' IX IY SP PC, pairs low byte first
//   24      control: bit 0 branch tracing on; bits 1-2 how memory is filled (0 from
//           the seed, 1 zeros, 2 the program repeated, 3 one byte of the seed);
//           bit 3 ports from the seed (else all 0xFF); bits 4-5 the number of
//           steps, 1024 << n
//   25..32  seed for the memory and port fill
//   33..    the first half goes to PC on, the second half around SP
//
// After every step it checks what an instruction may and may not do:
//   - Step returns 1;
//   - memory and the port space are reached only inside their 64 KiB (both sit
//     between inaccessible pages) and the port space is never written (it is
//     read-only while the processor runs);
//   - nothing in the processor object but the registers changes: the parity
//     table, the trace switch and the bytes around the object stay as they were;
//   - an opcode without a handler is reported exactly once, with its own bytes
//     and address, and skipped: PC moves past it and nothing else changes;
//     DI and EI are always reported, an unprefixed opcode never otherwise;
//   - OUT (0xFF),A reaches the scramble port exactly once with A, and nothing
//     else reaches it;
//   - HALT changes nothing at all;
//   - branch lines come only while tracing is on, at most one per step, each
//     one line ending in CR LF.
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "core/z80.h"
#include "fuzz/fuzz_support.h"

namespace zorva::fuzz {
namespace {

constexpr size_t kSpace = 65536;
// LDIR and LDDR move up to 65535 bytes in one step; beyond this many bytes
// moved, an input's run ends early so that every input stays quick.
constexpr uint64_t kBlockBudget = uint64_t{1} << 22;

class Links final : public Z80Links {
 public:
  void WriteScramblePort(uint8_t value) override {
    ++scrambleWrites;
    lastScramble = value;
  }
  void WriteBranchLine(std::string_view line) override {
    ++branchLines;
    lastLine.assign(line);
  }
  void ReportUnhandled(std::string_view message) override {
    ++reports;
    lastReport.assign(message);
  }
  void Clear() { scrambleWrites = branchLines = reports = 0; }

  int scrambleWrites = 0;
  uint8_t lastScramble = 0;
  int branchLines = 0;
  std::string lastLine;
  int reports = 0;
  std::string lastReport;
};

constexpr uint64_t kGuardPattern = 0xA5C3'5A3C'0FF0'9669ull;

struct Machine {
  FencedBytes memory{kSpace};
  FencedBytes ports{kSpace};
  Links links;
  // Bytes on either side of the processor object, to catch a write that
  // strays out of a member array.
  uint64_t guardBefore[8];
  Z80 cpu{memory.data(), ports.data(), links};
  uint64_t guardAfter[8];
  std::array<uint8_t, 256> parity{};
  std::vector<uint8_t> before = std::vector<uint8_t>(kSpace);

  Machine() {
    cpu.BuildParityTable();
    parity = cpu.parityTable;
  }
};

Machine& TheMachine() {
  static Machine* machine = new Machine;
  return *machine;
}

Z80Registers ReadRegisters(ByteReader& in) {
  Z80Registers r;
  r.A = in.Byte();
  r.F = in.Byte();
  r.HL = in.Word();
  r.BC = in.Word();
  r.DE = in.Word();
  r.altA = in.Byte();
  r.altF = in.Byte();
  r.altHL = in.Word();
  r.altBC = in.Word();
  r.altDE = in.Word();
  r.IX = in.Word();
  r.IY = in.Word();
  r.SP = in.Word();
  r.PC = in.Word();
  return r;
}

void FillMemory(uint8_t* memory, unsigned mode, Generator& gen, const uint8_t* program,
                size_t programSize) {
  switch (mode) {
    case 0: gen.Fill(memory, kSpace); break;
    case 1: std::memset(memory, 0, kSpace); break;
    case 2:
      if (programSize == 0) {
        std::memset(memory, 0, kSpace);
        break;
      }
      for (size_t i = 0; i < kSpace; ++i) memory[i] = program[i % programSize];
      break;
    default: std::memset(memory, static_cast<int>(gen.Next() & 0xFF), kSpace); break;
  }
}

// The report an unhandled opcode at `pc` must give, and the length it skips.
struct Expected {
  std::string message;
  unsigned length;
};

Expected ExpectedReport(const uint8_t* m, uint16_t pc) {
  auto at = [&](unsigned offset) { return m[static_cast<uint16_t>(pc + offset)]; };
  auto address = [&](unsigned offset) { return static_cast<unsigned>(uint16_t(pc + offset)); };
  char text[80];
  const uint8_t op = at(0);
  if (op == 0xCB || op == 0xED) {
    std::snprintf(text, sizeof text, "Unhandled Z80 instruction (%2X %2x) at %4x.", op, at(1),
                  address(1));
    return {text, 2};
  }
  if (op == 0xDD || op == 0xFD) {
    if (at(1) == 0xCB) {
      std::snprintf(text, sizeof text, "Unhandled Z80 instruction (%2X CB %2x %2x) at %4x.", op,
                    at(2), at(3), address(3));
      return {text, 4};
    }
    std::snprintf(text, sizeof text, "Unhandled Z80 instruction (%2X %2x) at %4x.", op, at(1),
                  address(1));
    return {text, 2};
  }
  std::snprintf(text, sizeof text, "Unhandled instruction %2x at %4x", op, address(0));
  return {text, 1};
}

Z80Registers WithPc(Z80Registers r, uint16_t pc) {
  r.PC = pc;
  return r;
}

void CheckBranchLine(const std::string& line) {
  ZORVA_CHECK(line.size() >= 3 && line.size() < 32, "branch line of %zu characters", line.size());
  ZORVA_CHECK(line.ends_with("\r\n"), "branch line without CR LF: '%s'", line.c_str());
  for (size_t i = 0; i + 2 < line.size(); ++i) {
    const auto c = static_cast<unsigned char>(line[i]);
    ZORVA_CHECK(c >= 0x20 && c < 0x7F, "branch line with character 0x%02X", c);
  }
}

}  // namespace
}  // namespace zorva::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorva;
  using namespace zorva::fuzz;
  Machine& mc = TheMachine();
  Z80& cpu = mc.cpu;
  uint8_t* const memory = mc.memory.data();

  ByteReader in(data, size);
  const Z80Registers start = ReadRegisters(in);
  const uint8_t control = in.Byte();
  Generator gen(in.Quad());
  const uint8_t* program = in.rest();
  const size_t programSize = in.restSize();

  FillMemory(memory, (control >> 1) & 3, gen, program, programSize);
  // The first half of the rest at PC, the second half centred on SP.
  const size_t half = (programSize + 1) / 2;
  for (size_t i = 0; i < half; ++i) memory[static_cast<uint16_t>(start.PC + i)] = program[i];
  const size_t stackBytes = programSize - half;
  const uint16_t stackFrom = static_cast<uint16_t>(start.SP - stackBytes / 2);
  for (size_t i = 0; i < stackBytes; ++i)
    memory[static_cast<uint16_t>(stackFrom + i)] = program[half + i];

  mc.ports.SetWritable(true);
  if (control & 0x08) gen.Fill(mc.ports.data(), kSpace);
  else std::memset(mc.ports.data(), 0xFF, kSpace);
  mc.ports.SetWritable(false);  // from here on a write to the port space faults

  for (uint64_t& g : mc.guardBefore) g = kGuardPattern;
  for (uint64_t& g : mc.guardAfter) g = kGuardPattern;
  cpu.regs = start;
  const bool tracing = (control & 0x01) != 0;
  cpu.traceBranches = tracing;
  const unsigned steps = 1024u << ((control >> 4) & 3);

  uint64_t blockBytes = 0;
  for (unsigned step = 0; step < steps && blockBytes < kBlockBudget; ++step) {
    const Z80Registers pre = cpu.regs;
    const uint16_t pc = pre.PC;
    const uint8_t op = memory[pc];
    const uint8_t next = memory[static_cast<uint16_t>(pc + 1)];
    const bool prefixed = op == 0xCB || op == 0xED || op == 0xDD || op == 0xFD;
    const bool unhandledMain = op == 0xF3 || op == 0xFB;
    const bool scramble = op == 0xD3 && next == 0xFF;
    if (op == 0xED && (next == 0xB0 || next == 0xB8)) blockBytes += pre.BC;
    // Only a prefixed opcode or DI/EI can be unhandled; keep the memory of
    // those steps to prove that a skipped opcode changed nothing.
    if (prefixed || unhandledMain) std::memcpy(mc.before.data(), memory, kSpace);

    mc.links.Clear();
    const int result = cpu.Step();

    ZORVA_CHECK(result == 1, "Step returned %d at %04X", result, pc);
    ZORVA_CHECK(mc.links.reports <= 1, "%d reports for one step at %04X", mc.links.reports, pc);
    if (unhandledMain) ZORVA_CHECK(mc.links.reports == 1, "%02X at %04X not reported", op, pc);
    if (!prefixed && !unhandledMain)
      ZORVA_CHECK(mc.links.reports == 0, "%02X at %04X reported: %s", op, pc,
                  mc.links.lastReport.c_str());
    if (mc.links.reports == 1) {
      const Expected e = ExpectedReport(mc.before.data(), pc);
      ZORVA_CHECK(mc.links.lastReport == e.message, "report '%s', expected '%s'",
                  mc.links.lastReport.c_str(), e.message.c_str());
      const auto skipped = static_cast<uint16_t>(pc + e.length);
      ZORVA_CHECK(cpu.regs == WithPc(pre, skipped),
                  "skipping '%s' changed registers (PC %04X, expected %04X)", e.message.c_str(),
                  cpu.regs.PC, skipped);
      ZORVA_CHECK(std::memcmp(mc.before.data(), memory, kSpace) == 0,
                  "skipping '%s' changed memory", e.message.c_str());
    }

    ZORVA_CHECK(mc.links.scrambleWrites == (scramble ? 1 : 0),
                "%d scramble writes from %02X %02X at %04X", mc.links.scrambleWrites, op, next, pc);
    if (scramble) {
      ZORVA_CHECK(mc.links.lastScramble == pre.A, "scramble port got %02X, A was %02X",
                  mc.links.lastScramble, pre.A);
      ZORVA_CHECK(cpu.regs == WithPc(pre, static_cast<uint16_t>(pc + 2)),
                  "OUT (0xFF),A changed registers");
    }

    ZORVA_CHECK(mc.links.branchLines <= (tracing ? 1 : 0), "%d branch lines from %02X at %04X",
                mc.links.branchLines, op, pc);
    if (mc.links.branchLines == 1) CheckBranchLine(mc.links.lastLine);

    if (op == 0x76) {
      ZORVA_CHECK(cpu.regs == pre, "HALT at %04X changed registers", pc);
      break;  // every further step is the same HALT
    }
  }

  ZORVA_CHECK(cpu.parityTable == mc.parity, "the parity table changed");
  ZORVA_CHECK(cpu.traceBranches == tracing, "the trace switch changed");
  for (const uint64_t g : mc.guardBefore)
    ZORVA_CHECK(g == kGuardPattern, "the bytes before the processor changed");
  for (const uint64_t g : mc.guardAfter)
    ZORVA_CHECK(g == kGuardPattern, "the bytes after the processor changed");
  return 0;
}
