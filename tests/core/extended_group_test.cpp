// What the vectors and the differential test cannot see in the ED group: ED 70
// storing into C, LD A,R's clock-seeded draw, and the block copies' overlaps
// and BC = 0.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <utility>
#include <vector>

#include "tests/support/test_cpu.h"

namespace zorva {
namespace {

using testing::TestCpu;

TEST(ExtendedGroup, Ed70ReadsThePortAtBCIntoC) {
  TestCpu t;
  t.Load(0x2000, {0xED, 0x70});
  t.regs.BC = 0xFEFF, t.regs.F = 0xD7;
  t.ports[0xFEFF] = 0x5A;
  t.cpu.Step();
  EXPECT_EQ(t.regs.BC, 0xFE5A);
  EXPECT_EQ(t.regs.F, 0xD7);
}

// Programs use R as a cheap random source: each LD A,R reseeds the generator
// with the clock, so two draws within a second agree.
TEST(ExtendedGroup, LdARRepeatsWithinASecond) {
  for (int attempt = 0; attempt < 5; ++attempt) {  // the clock may tick between draws
    TestCpu t;
    t.Load(0x2000, {0xED, 0x5F, 0xED, 0x5F});
    t.regs.F = 0x5A;
    const std::time_t before = std::time(nullptr);
    t.cpu.Step();
    const uint8_t first = t.regs.A;
    t.regs.A = 0;
    t.cpu.Step();
    if (std::time(nullptr) != before) continue;
    std::srand(static_cast<unsigned>(before));
    EXPECT_EQ(first, static_cast<uint8_t>(std::rand()));
    EXPECT_EQ(t.regs.A, first);
    EXPECT_EQ(t.regs.F, 0x5A);
    return;
  }
  FAIL() << "the clock never held still for two instructions";
}

// LDIR and LDDR copy the whole block in one step, a byte at a time in a Z80's
// order, so an overlapping block repeats bytes as on the real chip.
TEST(ExtendedGroup, BlockCopiesKeepTheZ80sOrder) {
  const struct {
    uint8_t sub;
    uint16_t hl, de, bc, hlAfter, deAfter;
    std::vector<std::pair<uint16_t, uint8_t>> after;
  } cases[] = {
      {0xB0, 0x3000, 0x3001, 0, 0x3000, 0x3001, {{0x3001, 2}}},  // BC = 0 copies nothing
      {0xB0, 0x3000, 0x3001, 3, 0x3003, 0x3004, {{0x3001, 1}, {0x3002, 1}, {0x3003, 1}}},
      {0xB8, 0x3003, 0x3002, 3, 0x3000, 0x2FFF, {{0x3000, 4}, {0x3001, 4}, {0x3002, 4}}},
      {0xB0, 0xFFFF, 0x7FFF, 2, 0x0001, 0x8001, {{0x7FFF, 0xAA}, {0x8000, 0xBB}}},
  };
  for (const auto& c : cases) {
    TestCpu t;
    t.Load(0x2000, {0xED, c.sub});
    t.memory[0x3000] = 1, t.memory[0x3001] = 2, t.memory[0x3002] = 3, t.memory[0x3003] = 4;
    t.memory[0xFFFF] = 0xAA, t.memory[0x0000] = 0xBB;
    t.regs.HL = c.hl, t.regs.DE = c.de, t.regs.BC = c.bc, t.regs.F = 0xD7;
    t.cpu.Step();
    for (auto [address, value] : c.after) EXPECT_EQ(t.memory[address], value) << address;
    EXPECT_EQ(t.regs.HL, c.hlAfter);
    EXPECT_EQ(t.regs.DE, c.deAfter);
    EXPECT_EQ(t.regs.BC, 0);
    EXPECT_EQ(t.regs.F, 0xD7);
    EXPECT_EQ(t.regs.PC, 0x2002);
  }
}

}  // namespace
}  // namespace zorva
