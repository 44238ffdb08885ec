// The DD and FD groups. Both carry out the same forms, so every test runs once
// with IX behind 0xDD and once with IY behind 0xFD.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "tests/support/test_cpu.h"

namespace zorva {
namespace {

struct Group {
  uint8_t prefix;
  uint16_t Z80Registers::*index;
  const char* name;
};

class IndexGroup : public ::testing::TestWithParam<Group> {
 protected:
  uint16_t& I() { return t.regs.*GetParam().index; }
  // Places the prefix and `bytes` at `at` (wrapping past 0xFFFF) and points PC there.
  void Load(uint16_t at, std::initializer_list<uint8_t> bytes) {
    t.memory[at] = GetParam().prefix;
    uint16_t a = at;
    for (uint8_t b : bytes) t.memory[++a] = b;
    t.regs.PC = at;
  }
  std::string Message(const std::string& body) {
    return std::string("Unhandled Z80 instruction (") + GetParam().name + " " + body;
  }

  testing::TestCpu t;
};

INSTANTIATE_TEST_SUITE_P(Prefixes, IndexGroup,
                         ::testing::Values(Group{0xDD, &Z80Registers::IX, "DD"},
                                           Group{0xFD, &Z80Registers::IY, "FD"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Registers by the opcode's operand number: 0 B, 1 C, 2 D, 3 E, 4 H, 5 L, 7 A.
void Put(Z80Registers& r, int i, uint8_t v) {
  uint16_t& pair = i < 2 ? r.BC : i < 4 ? r.DE : r.HL;
  if (i == 7) r.A = v;
  else if (i & 1) SetLo(pair, v);
  else SetHi(pair, v);
}

TEST_P(IndexGroup, ByteLoadsAndStoresUseTheSignedDisplacement) {
  const struct {
    uint16_t index;
    uint8_t d;
    uint16_t ea;
  } addresses[] = {{0x4001, 0xFE, 0x3FFF},
                   {0x3000, 0x7F, 0x307F},
                   {0x3000, 0x80, 0x2F80},
                   {0xFFFF, 0x02, 0x0001},
                   {0x0001, 0xFE, 0xFFFF}};
  for (const auto& at : addresses) {
    for (int r : {0, 1, 2, 3, 4, 5, 7}) {
      SCOPED_TRACE(::testing::Message() << std::hex << "ea " << at.ea << " register " << r);
      // LD r,(I+d)
      Load(0x2000, {static_cast<uint8_t>(0x46 | r << 3), at.d});
      t.regs.BC = 0x1122, t.regs.DE = 0x3344, t.regs.HL = 0x5566, t.regs.A = 0x77;
      I() = at.index;
      t.memory[at.ea] = 0xA5;
      Z80Registers expected = t.regs;
      Put(expected, r, 0xA5);
      expected.PC = 0x2003;
      t.cpu.Step();
      EXPECT_EQ(t.regs, expected);

      // LD (I+d),r
      Load(0x2000, {static_cast<uint8_t>(0x70 | r), at.d});
      Put(t.regs, r, 0x3C);
      t.cpu.Step();
      EXPECT_EQ(t.memory[at.ea], 0x3C);
      EXPECT_EQ(t.regs.PC, 0x2003);
    }
  }
}

TEST_P(IndexGroup, StoreImmediateTakesFourBytesEvenAcrossTheTop) {
  Load(0xFFFE, {0x36, 0x05, 0xAA});  // d at 0x0000, n at 0x0001
  I() = 0x3000;
  t.cpu.Step();
  EXPECT_EQ(t.memory[0x3005], 0xAA);
  EXPECT_EQ(t.regs.PC, 0x0002);
}

TEST_P(IndexGroup, WordLoadsStackAndCounting) {
  Load(0x2000, {0x21, 0x34, 0x12});  // LD I,0x1234
  t.cpu.Step();
  EXPECT_EQ(I(), 0x1234);
  EXPECT_EQ(t.regs.PC, 0x2004);

  Load(0x2000, {0x22, 0x00, 0x40});  // LD (0x4000),I
  t.cpu.Step();
  EXPECT_EQ(t.memory[0x4000], 0x34);
  EXPECT_EQ(t.memory[0x4001], 0x12);

  t.regs.SP = 0x8000;
  Load(0x2000, {0xE5});  // PUSH I
  t.cpu.Step();
  EXPECT_EQ(t.memory[0x7FFF], 0x12);
  EXPECT_EQ(t.memory[0x7FFE], 0x34);
  EXPECT_EQ(t.regs.SP, 0x7FFE);

  t.memory[0xFFFF] = 0x78, t.memory[0x0000] = 0x56;
  Load(0x2000, {0x2A, 0xFF, 0xFF});  // LD I,(0xFFFF)
  t.cpu.Step();
  EXPECT_EQ(I(), 0x5678);

  Load(0x2000, {0xE1});  // POP I
  t.cpu.Step();
  EXPECT_EQ(I(), 0x1234);
  EXPECT_EQ(t.regs.SP, 0x8000);

  t.regs.F = 0xFF;
  I() = 0xFFFF;
  Load(0x2000, {0x23});  // INC I
  t.cpu.Step();
  EXPECT_EQ(I(), 0x0000);
  Load(0x2000, {0x2B});  // DEC I
  t.cpu.Step();
  EXPECT_EQ(I(), 0xFFFF);
  EXPECT_EQ(t.regs.F, 0xFF);
  EXPECT_EQ(t.regs.PC, 0x2002);
}

TEST_P(IndexGroup, AddToIndexClearsNAndSetsCarryOutOfBit15) {
  const struct {
    uint8_t sub;
    uint16_t index, rr;
    uint8_t fBefore;
    uint16_t after;
    uint8_t fAfter;
  } cases[] = {{0x09, 0xFFFF, 0x0001, 0xC2, 0x0000, 0xC1},
               {0x19, 0x1000, 0x0234, 0x03, 0x1234, 0x00}};
  for (const auto& c : cases) {
    Load(0x2000, {c.sub});
    I() = c.index, t.regs.BC = t.regs.DE = c.rr, t.regs.F = c.fBefore;
    t.cpu.Step();
    EXPECT_EQ(I(), c.after);
    EXPECT_EQ(t.regs.F, c.fAfter);
    EXPECT_EQ(t.regs.PC, 0x2002);
  }
}

TEST_P(IndexGroup, ArithmeticOnTheIndexedByte) {
  const struct {
    uint8_t sub, a, m, fBefore, aAfter, mAfter, fAfter;
  } cases[] = {
      {0x34, 0x00, 0xFF, 0x01, 0x00, 0x00, 0x41},  // INC: only C survives
      {0x34, 0x00, 0x7F, 0x00, 0x00, 0x80, 0x84},
      {0x35, 0x00, 0x01, 0x01, 0x00, 0x00, 0x43},  // DEC
      {0x35, 0x00, 0x80, 0xFE, 0x00, 0x7F, 0x06},
      {0x86, 0xFF, 0x01, 0x00, 0x00, 0x01, 0x41},  // ADD
      {0x86, 0x7F, 0x01, 0xFF, 0x80, 0x01, 0x80},  // no H, P/V or N
      {0x8E, 0xFF, 0x00, 0x01, 0x00, 0x00, 0x41},  // ADC takes the carry
      {0x8E, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x80},
      {0x96, 0x10, 0x20, 0x00, 0xF0, 0x20, 0x83},  // SUB
      {0xAE, 0x0F, 0xFF, 0x13, 0xF0, 0xFF, 0x84},  // XOR: parity, no H
      {0xB6, 0x01, 0x02, 0x11, 0x03, 0x02, 0x04},  // OR
      {0xB6, 0x00, 0x00, 0x00, 0x00, 0x00, 0x44},
      {0xBE, 0x90, 0x01, 0x00, 0x90, 0x01, 0x82},  // CP: S from a large difference
      {0xBE, 0x10, 0x20, 0x00, 0x10, 0x20, 0x83},
      {0xBE, 0x20, 0x20, 0x01, 0x20, 0x20, 0x42},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << +c.sub << " A " << +c.a << " m " << +c.m);
    Load(0x2000, {c.sub, 0x03});
    I() = 0x3000, t.regs.A = c.a, t.regs.F = c.fBefore;
    t.memory[0x3003] = c.m;
    t.cpu.Step();
    EXPECT_EQ(t.regs.A, c.aAfter);
    EXPECT_EQ(t.memory[0x3003], c.mAfter);
    EXPECT_EQ(t.regs.F, c.fAfter);
    EXPECT_EQ(t.regs.PC, 0x2003);
  }
}

TEST_P(IndexGroup, BitResAndSetOnTheIndexedByte) {
  for (int b = 0; b < 8; ++b) {
    SCOPED_TRACE(b);
    const auto mask = static_cast<uint8_t>(1 << b);
    const auto op = static_cast<uint8_t>(b << 3);
    I() = 0x3000;
    for (bool set : {true, false}) {  // BIT b,(I-1)
      Load(0x2000, {0xCB, 0xFF, static_cast<uint8_t>(0x46 | op)});
      t.memory[0x2FFF] = set ? mask : static_cast<uint8_t>(~mask);
      t.regs.F = 0xFF;
      t.cpu.Step();
      EXPECT_EQ(t.regs.F, set ? 0x11 : 0x51);
      EXPECT_EQ(t.regs.PC, 0x2004);
    }
    t.regs.F = 0x00;
    t.memory[0x2FFF] = 0xFF;
    Load(0x2000, {0xCB, 0xFF, static_cast<uint8_t>(0x86 | op)});  // RES b,(I-1)
    t.cpu.Step();
    EXPECT_EQ(t.memory[0x2FFF], static_cast<uint8_t>(~mask));
    t.memory[0x2FFF] = 0x00;
    Load(0x2000, {0xCB, 0xFF, static_cast<uint8_t>(0xC6 | op)});  // SET b,(I-1)
    t.cpu.Step();
    EXPECT_EQ(t.memory[0x2FFF], mask);
    EXPECT_EQ(t.regs.F, 0x00);
    EXPECT_EQ(t.regs.PC, 0x2004);
  }
}

TEST_P(IndexGroup, JumpWritesTheIxLineOnlyWhileTracing) {
  Load(0x2000, {0xE9});
  I() = 0x4567;
  t.cpu.Step();
  EXPECT_EQ(t.regs.PC, 0x4567);
  EXPECT_EQ(t.links.trace, "");

  t.cpu.traceBranches = true;
  Load(0x2000, {0xE9});
  I() = 0x0100;
  t.cpu.Step();
  EXPECT_EQ(t.regs.PC, 0x0100);
  EXPECT_EQ(t.links.trace, "JMP (IX)  100\r\n");
}

TEST_P(IndexGroup, UnhandledFormsReportAndSkip) {
  Load(0x2000, {0x29, 0x3C});  // ADD I,I; then INC A runs as an opcode of its own
  t.cpu.Step();
  ASSERT_EQ(t.links.reports.size(), 1u);
  EXPECT_EQ(t.links.reports[0], Message("29) at 2001."));
  EXPECT_EQ(t.regs.PC, 0x2002);
  t.cpu.Step();
  EXPECT_EQ(t.regs.A, 1);

  Load(0x2000, {0xCB, 0x01, 0x06});  // RLC (I+1)
  t.memory[0x0001] = 0x81;
  t.cpu.Step();
  ASSERT_EQ(t.links.reports.size(), 2u);
  EXPECT_EQ(t.links.reports[1], Message("CB  1  6) at 2003."));
  EXPECT_EQ(t.memory[0x0001], 0x81);
  EXPECT_EQ(t.regs.PC, 0x2004);

  Load(0xFFFE, {0xCB, 0x80, 0x0E});  // op byte at 0x0001
  t.cpu.Step();
  ASSERT_EQ(t.links.reports.size(), 3u);
  EXPECT_EQ(t.links.reports[2], Message("CB 80  e) at    1."));
  EXPECT_EQ(t.regs.PC, 0x0002);
}

}  // namespace
}  // namespace zorva
