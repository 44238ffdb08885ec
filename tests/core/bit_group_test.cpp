// The CB group: its rotate and shift flag rules (which keep S, Z and P/V where
// a Z80 would derive them), the three BIT rules, SET on every operand, the
// CB 1F hand-over to RRA, and the unhandled report.
#include <gtest/gtest.h>

#include "tests/support/test_cpu.h"

namespace zorva {
namespace {

using testing::TestCpu;

// Registers by the opcode's operand number: 0 B, 1 C, 2 D, 3 E, 4 H, 5 L, 7 A.
uint16_t& PairOf(Z80Registers& r, int i) { return i < 2 ? r.BC : i < 4 ? r.DE : r.HL; }
uint8_t Get(Z80Registers& r, int i) {
  if (i == 7) return r.A;
  return i & 1 ? Lo(PairOf(r, i)) : Hi(PairOf(r, i));
}
void Put(Z80Registers& r, int i, uint8_t v) {
  if (i == 7) r.A = v;
  else if (i & 1) SetLo(PairOf(r, i), v);
  else SetHi(PairOf(r, i), v);
}

struct ShiftCase {
  uint8_t sub;
  int reg;
  uint8_t before, fBefore, after, fAfter;
};

TEST(BitGroup, RotatesAndShiftsFollowTheirOwnFlagRules) {
  const ShiftCase cases[] = {
      {0x00, 0, 0x81, 0xFF, 0x03, 0xC5},  // RLC B keeps S Z P/V, drops H N and bits 5, 3
      {0x08, 0, 0x01, 0x28, 0x80, 0x01},  // RRC B
      {0x0F, 7, 0x02, 0xC4, 0x01, 0xC4},  // RRC A
      {0x10, 0, 0x80, 0x01, 0x01, 0x01},  // RL B takes the old carry in
      {0x10, 0, 0x40, 0x12, 0x80, 0x00},  // no S from the result
      {0x12, 2, 0x81, 0x00, 0x02, 0x01},  // RL D
      {0x14, 4, 0x01, 0x01, 0x03, 0x00},  // RL H
      {0x17, 7, 0x00, 0x00, 0x00, 0x00},  // RL A: no Z from the result
      {0x18, 0, 0x01, 0x00, 0x00, 0x01},  // RR B
      {0x18, 0, 0x02, 0x41, 0x81, 0x40},  // Z kept although the result is not 0
      {0x21, 1, 0xC1, 0xD6, 0x82, 0xC5},  // SLA C
      {0x22, 2, 0x40, 0x00, 0x80, 0x00},  // SLA D
      {0x23, 3, 0x80, 0x00, 0x00, 0x01},  // SLA E
      {0x25, 5, 0x01, 0x01, 0x02, 0x00},  // SLA L clears an old carry
      {0x27, 7, 0xFF, 0x00, 0xFE, 0x01},  // SLA A
      {0x29, 1, 0x80, 0x3F, 0xC0, 0x80},  // SRA C assigns F whole
      {0x29, 1, 0x01, 0x00, 0x00, 0x41}, {0x3A, 2, 0x80, 0xFF, 0x40, 0x00},  // SRL D
      {0x3F, 7, 0x01, 0x00, 0x00, 0x41},                                     // SRL A
      {0x3F, 7, 0xFF, 0xFE, 0x7F, 0x01},
  };
  for (const ShiftCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << "CB " << +c.sub << " on " << +c.before);
    TestCpu t;
    t.regs.BC = 0x1111, t.regs.DE = 0x2222, t.regs.HL = 0x3333, t.regs.A = 0x44;
    t.Load(0x2000, {0xCB, c.sub});
    Put(t.regs, c.reg, c.before);
    t.regs.F = c.fBefore;
    Z80Registers expected = t.regs;
    Put(expected, c.reg, c.after);
    expected.F = c.fAfter;
    expected.PC = 0x2002;
    t.cpu.Step();
    EXPECT_EQ(t.regs, expected);
    EXPECT_TRUE(t.links.reports.empty());
  }
}

TEST(BitGroup, RrAIsHandedToTheUnprefixedRra) {
  TestCpu t;
  t.Load(0x4000, {0xCB, 0x1F});
  t.regs.A = 0x01;
  t.cpu.Step();
  EXPECT_EQ(t.regs.PC, 0x4001);
  EXPECT_EQ(t.regs.A, 0x01);
  t.cpu.Step();
  EXPECT_EQ(t.regs.A, 0x00);
  EXPECT_EQ(t.regs.F, 0x01);
  EXPECT_EQ(t.regs.PC, 0x4002);
}

struct BitCase {
  uint8_t sub, a, b, hlByte, fBefore, fAfter;
};

TEST(BitGroup, BitTestsUseThreeRules) {
  const BitCase cases[] = {
      {0x57, 0x04, 0, 0, 0x00, 0x10},  // BIT 2,A, bit set
      {0x57, 0x02, 0, 0, 0x00, 0x50},  // bit clear: Z
      {0x5F, 0x08, 0, 0, 0x40, 0x10},  // BIT 3,A clears an old Z
      {0x7F, 0x7F, 0, 0, 0xFF, 0x51},  // BIT 7,A keeps only C
      {0x7E, 0, 0, 0x7F, 0xFF, 0x51},  // BIT 7,(HL)
      {0x7E, 0, 0, 0x80, 0xFE, 0x10},
      {0x46, 0, 0, 0x01, 0xEE, 0x10},  // BIT 0,(HL)
      {0x46, 0, 0, 0xFE, 0x01, 0x51},
      {0x40, 0, 0x00, 0, 0xFF, 0xFD},  // BIT 0,B keeps S, P/V, C, bits 5 and 3
      {0x40, 0, 0x01, 0, 0xFF, 0xBD},  // and clears N
      {0x40, 0, 0x01, 0, 0x00, 0x10},
  };
  for (const BitCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << "CB " << +c.sub);
    TestCpu t;
    t.Load(0x2000, {0xCB, c.sub});
    t.regs.A = c.a, t.regs.BC = static_cast<uint16_t>(c.b << 8), t.regs.HL = 0x5000;
    t.memory[0x5000] = c.hlByte;
    t.regs.F = c.fBefore;
    t.cpu.Step();
    EXPECT_EQ(t.regs.F, c.fAfter);
    EXPECT_EQ(t.regs.PC, 0x2002);
  }
}

TEST(BitGroup, BitOnATestsTheBitItsOpcodeNames) {
  for (int b = 0; b < 8; ++b) {
    for (bool set : {false, true}) {
      TestCpu t;
      t.Load(0x2000, {0xCB, static_cast<uint8_t>(0x47 | b << 3)});
      t.regs.A = static_cast<uint8_t>(set ? 1 << b : ~(1 << b));
      t.cpu.Step();
      EXPECT_EQ(t.regs.F, set ? 0x10 : 0x50) << "bit " << b;
    }
  }
}

TEST(BitGroup, SetChangesOnlyItsOperandAndBit) {
  for (int s = 0xC0; s <= 0xFF; ++s) {
    SCOPED_TRACE(s);
    TestCpu t;
    t.Load(0x2000, {0xCB, static_cast<uint8_t>(s)});
    t.regs.HL = 0x0010;  // ROM area: not protected
    t.regs.F = 0xA5;
    Z80Registers expected = t.regs;
    expected.PC = 0x2002;
    const int bit = (s >> 3) & 7, r = s & 7;
    if (r != 6) Put(expected, r, static_cast<uint8_t>(Get(expected, r) | 1 << bit));
    t.cpu.Step();
    EXPECT_EQ(t.regs, expected);
    EXPECT_EQ(t.memory[0x0010], r == 6 ? 1 << bit : 0);
  }
}

TEST(BitGroup, UnhandledReportsSubOpcodeAndItsAddress) {
  struct {
    uint16_t at;
    uint8_t sub;
    const char* message;
    uint16_t pcAfter;
  } cases[] = {
      {0x1234, 0x80, "Unhandled Z80 instruction (CB 80) at 1235.", 0x1236},  // RES 0,B
      {0x0010, 0x05, "Unhandled Z80 instruction (CB  5) at   11.", 0x0012},
      {0xFFFF, 0x06, "Unhandled Z80 instruction (CB  6) at    0.", 0x0001},
  };
  for (const auto& c : cases) {
    TestCpu t;
    t.Load(c.at, {0xCB, c.sub});
    t.regs.BC = 0x0102;
    Z80Registers expected = t.regs;
    expected.PC = c.pcAfter;
    t.cpu.Step();
    ASSERT_EQ(t.links.reports.size(), 1u);
    EXPECT_EQ(t.links.reports[0], c.message);
    EXPECT_EQ(t.regs, expected);
  }
}

}  // namespace
}  // namespace zorva
