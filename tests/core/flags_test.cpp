// The flag rules of core/flags.h where they part from a real Z80, applied by
// the instructions that use them: the expected values are this machine's, not
// the Z80 manual's. Neither the real-Z80 vectors nor the libz80ex differential
// test compare F after these instructions, so this table is also what checks
// that each instruction applies the right rule to the right operand.
#include "core/flags.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/test_cpu.h"

namespace zorva::flags {
namespace {

// One instruction at 0x100 with B = C = D = m, E = 0 and m in memory at
// HL = IX = IY = 0x4000; then A and F are checked.
TEST(FlagRules, EachInstructionAppliesItsOwnRule) {
  const struct {
    std::vector<uint8_t> bytes;
    uint8_t a, f, m, aAfter, fAfter;
  } cases[] = {
      {{0x80}, 0x7F, 0xFF, 0x01, 0x80, S},               // ADD A,B: no H, P/V or N
      {{0x86}, 0xFF, 0, 0x01, 0x00, Z | C},              // ADD A,(HL)
      {{0x88}, 0xFF, C, 0x00, 0x00, Z | C},              // ADC A,B: no P/V
      {{0xCE, 0x00}, 0xFF, C, 0, 0x00, Z | PV | C},      // ADC A,n copies C into P/V
      {{0xCE, 0x20}, 0x10, C, 0, 0x31, 0},               // but only on a carry out
      {{0xFD, 0x8E, 0x00}, 0xFF, C, 0x00, 0x00, Z | C},  // ADC A,(IY+d): no P/V
      {{0xD6, 0x01}, 0x00, 0, 0, 0xFF, S | N | C},       // SUB n
      {{0x9E}, 0x00, C, 0x00, 0xFF, S | N | C},          // SBC A,(HL)
      {{0x90}, 0x80, 0, 0x01, 0x7F, N},                  // SUB B: no overflow
      {{0x97}, 0x42, 0, 0, 0x00, Z | N},                 // SUB A
      {{0xB8}, 0x90, 0, 0x01, 0x90, N},                  // CP B: S only on a borrow
      {{0xB8}, 0x10, 0, 0x20, 0x10, S | N | C},          // CP B
      {{0xBE}, 0x90, 0, 0x01, 0x90, S | N},  // CP (HL): S from a difference of 80 or more
      {{0xBE}, 0x7F, 0, 0x00, 0x7F, N},      // but not of 7F
      {{0xBE}, 0x33, 0, 0x33, 0x33, Z | N},  // CP (HL)
      {{0xFD, 0xBE, 0x00}, 0x90, 0, 0x01, 0x90, S | N},   // CP (IY+d) as CP (HL)
      {{0xFE, 0x01}, 0x90, 0, 0, 0x90, N},                // CP n
      {{0xFE, 0x20}, 0x10, 0, 0, 0x10, S | PV | N | C},   // CP n: P/V with a borrow
      {{0xE6, 0xF0}, 0x0F, 0, 0, 0x00, H | PV | Z},       // AND n: H
      {{0xA8}, 0x0F, 0xFF, 0x0C, 0x03, PV},               // XOR B: even parity
      {{0xB6}, 0x80, 0, 0x00, 0x80, S},                   // OR (HL): odd parity
      {{0xDD, 0xAE, 0x00}, 0x0F, H, 0xFF, 0xF0, S | PV},  // XOR (IX+d)
      {{0x04}, 0, C | H | N, 0xFF, 0, Z | C},             // INC B keeps only C
      {{0x34}, 0, C, 0x7F, 0, S | PV | C},                // INC (HL)
      {{0xDD, 0x34, 0x00}, 0, C, 0xFF, 0, Z | C},         // INC (IX+d)
      {{0x05}, 0, H | 0x28, 0x00, 0, S | N},              // DEC B
      {{0x35}, 0, C, 0x80, 0, PV | N | C},                // DEC (HL)
      {{0x10, 0x00}, 0, C, 0x01, 0, Z | N | C},           // DJNZ: as DEC B
      {{0x09}, 0, 0xFF, 0xC0, 0, 0xFD},                   // ADD HL,BC: 4000+C0C0 keeps S Z H P/V
      {{0xDD, 0x19}, 0, 0xC2, 0xC0, 0, 0xC1},             // ADD IX,DE: 4000+C000
      {{0xED, 0x52}, 0, C, 0x40, 0, S | N},               // SBC HL,DE: 4000-4000-1, no C
      {{0xED, 0x52}, 0, 0xFF & ~C, 0x40, 0, Z | N},       // SBC HL,DE: 4000-4000
      {{0xED, 0x44}, 0x01, 0x3E, 0, 0xFF, S | C},         // NEG
      {{0xED, 0x44}, 0x00, 0x3E, 0, 0x00, Z},             // NEG of 0: no C
      {{0x27}, 0x9A, 0, 0, 0x00, C},                      // DAA: never Z
      {{0x27}, 0x0F, N, 0, 0x09, N},                      // DAA after a subtraction
      {{0x27}, 0x0F, S, 0, 0x15, S},                      // DAA keeps S
      {{0x27}, 0x01, H, 0, 0x07, H},                      // DAA
      {{0x27}, 0xA0, 0, 0, 0x00, C},                      // DAA
      {{0x27}, 0x91, C, 0, 0xF1, C},                      // DAA
      {{0x2F}, 0x0F, 0, 0, 0xF0, H | N},                  // CPL
      {{0x37}, 0, H | N, 0, 0, H | N | C},                // SCF keeps H and N
      {{0x3F}, 0, C, 0, 0, 0},                            // CCF: no H
      {{0x1F}, 0x01, Z | H | N, 0, 0x00, Z | C},          // RRA keeps Z
      {{0xCB, 0x00}, 0, 0xFF, 0x81, 0, 0xC5},             // RLC B keeps S Z P/V
      {{0xCB, 0x29}, 0, 0x3F, 0x80, 0, S},                // SRA C
      {{0xCB, 0x29}, 0, 0, 0x01, 0, Z | C},               // SRA C
      {{0xCB, 0x3F}, 0x80, 0xFF, 0, 0x40, 0},             // SRL A: no S
      {{0xCB, 0x40}, 0, 0xFF, 0x00, 0, 0xFD},             // BIT 0,B keeps all but N and Z
      {{0xCB, 0x40}, 0, 0xFF, 0x01, 0, 0xBD},             // BIT 0,B
      {{0xCB, 0x7F}, 0x7F, 0xFF, 0, 0x7F, Z | H | C},     // BIT 7,A keeps only C
      {{0xCB, 0x46}, 0, 0xEE, 0x01, 0, H},                // BIT 0,(HL)
      {{0xDD, 0xCB, 0x00, 0x7E}, 0, 0xFF, 0x7F, 0, Z | H | C},  // BIT 7,(IX+d)
      {{0xED, 0x40}, 0, 0xD7, 0, 0, 0xD7},                      // IN B,(C) keeps F
  };
  for (const auto& c : cases) {
    testing::TestCpu t;
    for (size_t i = 0; i < c.bytes.size(); ++i) t.memory[0x100 + i] = c.bytes[i];
    t.regs = {.A = c.a, .F = c.f, .HL = 0x4000, .BC = Word(c.m, c.m), .PC = 0x100};
    t.regs.DE = Word(0, c.m), t.regs.IX = t.regs.IY = 0x4000;
    t.memory[0x4000] = c.m;
    t.cpu.Step();
    ::testing::Message bytes;
    for (uint8_t b : c.bytes) bytes << std::hex << +b << " ";
    SCOPED_TRACE(bytes);
    EXPECT_TRUE(t.links.reports.empty());
    EXPECT_EQ(t.regs.A, c.aAfter);
    EXPECT_EQ(t.regs.F, c.fAfter);
  }
}

}  // namespace
}  // namespace zorva::flags
