// StepMany, the run loop's batch: every opcode does under it exactly what Step
// does (it has a dispatch of its own), and a batch stops where it must: at
// its count, at the end point, and after the instruction that stopped the run.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string_view>

#include "tests/support/test_cpu.h"

namespace zorva {
namespace {

using testing::TestCpu;

// The same start on two processors: random registers, and at a random PC
// the opcode with random operand bytes, in the random memory both already
// hold (the instruction's writes are undone between starts).
void RandomStart(std::mt19937& random, unsigned op, TestCpu& a, TestCpu& b) {
  auto byte = [&] { return static_cast<uint8_t>(random()); };
  auto word = [&] { return static_cast<uint16_t>(random()); };
  a.regs = {.A = byte(),
            .F = byte(),
            .HL = word(),
            .BC = word(),
            .DE = word(),
            .altA = byte(),
            .altF = byte(),
            .altHL = word(),
            .altBC = word(),
            .altDE = word(),
            .IX = word(),
            .IY = word(),
            .SP = word(),
            .PC = word()};
  a.memory[a.regs.PC] = static_cast<uint8_t>(op);
  for (uint16_t i = 1; i < 4; ++i) a.memory[static_cast<uint16_t>(a.regs.PC + i)] = byte();
  b.memory = a.memory;
  b.regs = a.regs;
}

TEST(StepMany, EveryOpcodeDoesWhatStepDoes) {
  std::mt19937 random(12345);
  auto a = std::make_unique<TestCpu>(), b = std::make_unique<TestCpu>();
  for (auto& byte : a->memory) byte = static_cast<uint8_t>(random());
  const bool running = true;
  for (unsigned op = 0; op < 256; ++op) {
    for (int state = 0; state < 20; ++state) {
      for (bool tracing : {false, true}) {
        a->links = {};
        b->links = {};
        RandomStart(random, op, *a, *b);
        a->cpu.traceBranches = b->cpu.traceBranches = tracing;
        a->cpu.Step();
        EXPECT_EQ(b->cpu.StepMany(1, static_cast<uint16_t>(b->regs.PC + 0x8000), running), 0u);
        ASSERT_EQ(a->regs, b->regs) << "opcode " << op << ", state " << state;
        ASSERT_EQ(a->memory, b->memory) << "opcode " << op << ", state " << state;
        ASSERT_EQ(a->links.trace, b->links.trace) << "opcode " << op;
        ASSERT_EQ(a->links.reports, b->links.reports) << "opcode " << op;
        ASSERT_EQ(a->links.scrambleWrites, b->links.scrambleWrites) << "opcode " << op;
      }
    }
  }
}

// Links whose unhandled-opcode report stops the run, as the window's message
// box does when the user picks Stop while it is open.
class StoppingLinks : public testing::RecordingLinks {
 public:
  explicit StoppingLinks(bool& running) : running_(running) {}
  void ReportUnhandled(std::string_view message) override {
    RecordingLinks::ReportUnhandled(message);
    running_ = false;
  }

 private:
  bool& running_;
};

TEST(StepMany, StopsAtItsCountTheEndPointOrAStoppedRun) {
  // At 0x100 a loop: NOP, NOP, NOP, JR back to 0x100. At 0x200: NOP, DI
  // (unhandled, reported), NOP.
  const struct {
    const char* what;
    uint16_t start;
    uint32_t count;
    uint16_t end;
    bool running;
    uint32_t left;
    uint16_t pc;
  } cases[] = {
      {"count runs out", 0x100, 3, 0xFFFF, true, 0, 0x103},
      {"a count of one", 0x100, 1, 0xFFFF, true, 0, 0x101},
      {"count runs out after rounds of the loop", 0x100, 102, 0xFFFF, true, 0, 0x102},
      {"end point reached", 0x100, 10, 0x102, true, 8, 0x102},
      {"end point at the start: one round", 0x100, 20, 0x100, true, 16, 0x100},
      {"the reported opcode stops the run", 0x200, 10, 0xFFFF, true, 8, 0x202},
      {"count runs out on the stopping opcode", 0x200, 2, 0xFFFF, true, 0, 0x202},
      {"a stopped run still runs one", 0x100, 10, 0xFFFF, false, 9, 0x101},
  };
  for (const auto& c : cases) {
    bool running = c.running;
    StoppingLinks links(running);
    TestCpu t;
    Z80 cpu(t.memory.data(), t.ports.data(), links);
    t.Load(0x100, {0x00, 0x00, 0x00, 0x18, 0xFB});  // JR -5 from 0x103 lands on 0x100
    t.Load(0x200, {0x00, 0xF3, 0x00});
    cpu.regs.PC = c.start;
    EXPECT_EQ(cpu.StepMany(c.count, c.end, running), c.left) << c.what;
    EXPECT_EQ(cpu.regs.PC, c.pc) << c.what;
    EXPECT_EQ(links.reports.size(), c.start == 0x200 ? 1u : 0u) << c.what;
  }
}

}  // namespace
}  // namespace zorva
