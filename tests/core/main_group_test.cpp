// What the real-Z80 vectors and the libz80ex differential test cannot see in
// the unprefixed group: the branch trace, HALT, the ports, the ROM-sizing CPL,
// CALL's push order and instruction bytes that run past 0xFFFF.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "core/flags.h"
#include "core/trace_format.h"
#include "tests/support/test_cpu.h"

namespace zorva {
namespace {

using namespace flags;
using testing::TestCpu;

// Taken branches write their line while tracing; not-taken ones, DJNZ and RST
// never do, and nothing is written with tracing off.
TEST(BranchTrace, LinesForTakenBranchesOnly) {
  const struct {
    std::vector<uint8_t> bytes;
    uint8_t f;
    const char* line;
  } cases[] = {
      {{0x18, 0x02}, 0, "JR      104\r\n"},
      {{0x20, 0x02}, 0, "JR  NZ   104\r\n"},
      {{0x20, 0x02}, Z, ""},
      {{0x28, 0x02}, Z, "JR  Z   104\r\n"},
      {{0x30, 0x02}, 0, "JR  NC   104\r\n"},
      {{0x38, 0x02}, C, "JR  C   104\r\n"},
      {{0xC3, 0x34, 0x12}, 0, "JMP     1234\r\n"},
      {{0xC2, 0x34, 0x12}, 0, "JMP NZ  1234\r\n"},
      {{0xCA, 0x34, 0x12}, Z, "JMP  Z  1234\r\n"},
      {{0xCA, 0x34, 0x12}, 0, ""},
      {{0xD2, 0x34, 0x12}, 0, "JMP  NC 1234\r\n"},
      {{0xDA, 0x34, 0x12}, C, "JMP  C  1234\r\n"},
      {{0xE2, 0x34, 0x12}, 0, "JMP PO  1234\r\n"},
      {{0xEA, 0x34, 0x12}, PV, "JMP PE  1234\r\n"},
      {{0xF2, 0x34, 0x12}, 0, "JMP P   1234\r\n"},
      {{0xFA, 0x34, 0x12}, S, "JMP  M  1234\r\n"},
      {{0xE9}, 0, "JMP (HL)   42\r\n"},
      {{0xDD, 0xE9}, 0, "JMP (IX)   42\r\n"},
      {{0xFD, 0xE9}, 0, "JMP (IX)   42\r\n"},  // the IY form writes the same text
      {{0xCD, 0x34, 0x12}, 0, "CALL 1234\r\n"},
      {{0xC4, 0x34, 0x12}, 0, "CALL NZ  1234\r\n"},
      {{0xCC, 0x34, 0x12}, Z, "CALL Z  1234\r\n"},
      {{0xD4, 0x34, 0x12}, 0, "CALL NC 1234\r\n"},
      {{0xDC, 0x34, 0x12}, C, "CALL C  1234\r\n"},
      {{0xE4, 0x34, 0x12}, 0, "CALL Po 1234\r\n"},
      {{0xEC, 0x34, 0x12}, PV, "CALL PE  1234\r\n"},
      {{0xF4, 0x34, 0x12}, 0, "CALL P  1234\r\n"},
      {{0xFC, 0x34, 0x12}, S, "CALL M  1234\r\n"},
      {{0xFC, 0x34, 0x12}, 0, ""},
      {{0xC9}, 0, "RET     TO  103\r\n"},
      {{0xC0}, 0, "RET NZ  TO  103\r\n"},
      {{0xC8}, Z, "RET Z   TO  103\r\n"},
      {{0xD0}, 0, "RET NC  TO  103\r\n"},
      {{0xD8}, C, "RET C   TO  103\r\n"},
      {{0xE0}, 0, "RET PO  TO  103\r\n"},
      {{0xE8}, PV, "RET PE  TO  103\r\n"},
      {{0xF0}, 0, "RET P   TO  103\r\n"},
      {{0xF8}, S, "RET M   TO  103\r\n"},
      {{0xF8}, 0, ""},
      {{0x10, 0x02}, 0, ""},
      {{0xC7}, 0, ""},
  };
  for (const auto& c : cases) {
    for (bool tracing : {true, false}) {
      TestCpu t;
      std::copy(c.bytes.begin(), c.bytes.end(), t.memory.begin() + 0x100);
      t.regs = {.F = c.f, .HL = 0x42, .IX = 0x42, .IY = 0x42, .SP = 0x8000, .PC = 0x100};
      t.memory[0x8000] = 0x03, t.memory[0x8001] = 0x01;  // returns to 0x103
      t.cpu.traceBranches = tracing;
      t.cpu.Step();
      EXPECT_EQ(t.links.trace, tracing ? c.line : "") << std::hex << "opcode " << +c.bytes[0];
    }
  }
}

// Trace lines are composed without printf, and must not differ from what
// printf's "%4x" writes, for any value.
TEST(BranchTrace, FieldsAsPrintfWritesThem) {
  for (unsigned v = 0; v <= 0xFFFF; ++v) {
    char expected[32], line[32];
    const int n = std::snprintf(expected, sizeof expected, "RET NZ  TO %4x\r\n", v);
    const char* end = FormatTraceLine(line, "RET NZ  TO %4x\r\n", {static_cast<uint16_t>(v)});
    ASSERT_EQ(std::string_view(line, end), std::string_view(expected, n));
  }
}

TEST(MainGroup, HaltHoldsEverything) {
  TestCpu t;
  t.Load(0x2000, {0x76});
  const Z80Registers before = t.regs;
  for (int i = 0; i < 3; ++i) t.cpu.Step();
  EXPECT_EQ(t.regs, before);
}

// The ROM sizes the cartridge area with a CPL at 0x011B and HL = 0xC000; there
// alone CPL also fills B.
TEST(MainGroup, CplFillsBOnlyAt011BWithHLC000) {
  const struct {
    uint16_t at, hl, bc;
  } cases[] = {{0x011B, 0xC000, 0xFF34}, {0x011C, 0xC000, 0x1234}, {0x011B, 0xC001, 0x1234}};
  for (const auto& c : cases) {
    TestCpu t;
    t.Load(c.at, {0x2F});
    t.regs.HL = c.hl, t.regs.BC = 0x1234, t.regs.A = 0x0F;
    t.cpu.Step();
    EXPECT_EQ(t.regs.BC, c.bc) << std::hex << c.at << " " << c.hl;
    EXPECT_EQ(t.regs.A, 0xF0);
  }
}

TEST(MainGroup, CallPushesTheReturnAddressBeforeReadingItsOperand) {
  TestCpu t;
  t.Load(0x8000, {0xCD, 0x34, 0x12});
  t.regs.SP = 0x8003;  // the push lands on the operand bytes
  t.cpu.Step();
  EXPECT_EQ(t.regs.PC, 0x8003);
  EXPECT_EQ(t.regs.SP, 0x8001);
}

// Port 0xFF is the cartridge scramble port; OUT (C),r is wired to nothing,
// even when C names port 0xFF.
TEST(MainGroup, OnlyOutToPortFFReachesTheScramblePort) {
  TestCpu t;
  t.Load(0x100, {0xD3, 0xFE, 0xD3, 0xFF, 0xED, 0x41, 0xED, 0x79});
  t.regs.A = 0x5A, t.regs.BC = 0x00FF;
  const auto ports = t.ports;
  for (int i = 0; i < 4; ++i) t.cpu.Step();
  EXPECT_EQ(t.links.scrambleWrites, std::vector<uint8_t>{0x5A});
  EXPECT_EQ(t.ports, ports);
  EXPECT_EQ(t.regs.PC, 0x108);
}

// The vectors leave these out, and the differential test keeps instructions
// below 0xFFFD.
TEST(MainGroup, InstructionBytesWrapPastFFFF) {
  const struct {
    uint16_t at;
    std::vector<uint8_t> bytes;
    uint16_t bc, pc;
  } cases[] = {
      {0xFFFF, {0x01, 0x34, 0x12}, 0x1234, 0x0002},        // LD BC,nn
      {0xFFFE, {0xED, 0x4B, 0x00, 0x50}, 0x5678, 0x0002},  // LD BC,(nn)
      {0x0100, {0xED, 0x4B, 0xFF, 0xFF}, 0xABCD, 0x0104},  // LD BC,(0xFFFF)
      {0xFFFF, {0xDD, 0x46, 0x01}, 0x5600, 0x0002},        // LD B,(IX+1)
      {0xFFFE, {0xFD, 0x36, 0x00, 0xAB}, 0x0000, 0x0002},  // LD (IY+0),n
  };
  for (const auto& c : cases) {
    TestCpu t;
    t.memory[0x5000] = 0x78, t.memory[0x5001] = 0x56, t.memory[0xFFFF] = 0xCD, t.memory[0] = 0xAB;
    uint16_t a = c.at;
    for (uint8_t b : c.bytes) t.memory[a++] = b;
    t.regs = {.IX = 0x5000, .IY = 0x5000, .PC = c.at};
    t.cpu.Step();
    EXPECT_EQ(t.regs.BC, c.bc) << std::hex << +c.bytes[1];
    EXPECT_EQ(t.regs.PC, c.pc) << std::hex << +c.bytes[1];
    EXPECT_EQ(t.memory[0x5000], c.bytes[1] == 0x36 ? 0xAB : 0x78);
  }
}

}  // namespace
}  // namespace zorva
