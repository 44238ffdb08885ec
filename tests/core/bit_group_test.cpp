// What the vectors and the differential test cannot see in the CB group and
// the indexed bit operations.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/flags.h"
#include "tests/support/test_cpu.h"

namespace zorva {
namespace {

using testing::TestCpu;

// RR A is not carried out by the CB group: PC stops on the 0x1F, which then
// runs as the unprefixed RRA.
TEST(BitGroup, RrATakesTwoSteps) {
  TestCpu t;
  t.Load(0x4000, {0xCB, 0x1F});
  t.regs.A = 0x01;
  t.cpu.Step();
  EXPECT_EQ(t.regs.PC, 0x4001);
  EXPECT_EQ(t.regs.A, 0x01);
  t.cpu.Step();
  EXPECT_EQ(t.regs.PC, 0x4002);
  EXPECT_EQ(t.regs.A, 0x00);
  EXPECT_EQ(t.regs.F, 0x01);
}

// BIT shows only in Z, which neither reference compares, so this is what
// checks that every implemented BIT tests the bit and operand its opcode names.
TEST(BitGroup, EveryBitTestsTheBitItsOpcodeNames) {
  int ran = 0;
  for (int op = 0x40; op < 0x80; ++op) {
    const int bit = (op >> 3) & 7;
    for (const std::vector<uint8_t>& prefix :
         {std::vector<uint8_t>{0xCB}, {0xDD, 0xCB, 0x00}, {0xFD, 0xCB, 0x00}}) {
      for (bool set : {false, true}) {
        const auto v = static_cast<uint8_t>(set ? 1 << bit : ~(1 << bit));
        TestCpu t;
        std::copy(prefix.begin(), prefix.end(), t.memory.begin() + 0x3000);
        t.memory[0x3000 + prefix.size()] = static_cast<uint8_t>(op);
        const uint16_t w = Word(v, v);
        t.regs = {.A = v, .HL = w, .BC = w, .DE = w, .IX = w, .IY = w, .PC = 0x3000};
        t.memory[w] = v;
        t.cpu.Step();
        if (!t.links.reports.empty()) continue;
        ++ran;
        EXPECT_EQ(t.regs.F & flags::Z, set ? 0 : flags::Z) << std::hex << +prefix[0] << " " << op;
      }
    }
  }
  // BIT b,A, 0,B, 0,(HL) and 7,(HL); BIT b,(IX+d) and b,(IY+d).
  EXPECT_EQ(ran, 2 * (11 + 8 + 8));
}

}  // namespace
}  // namespace zorva
