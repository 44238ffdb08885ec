// The unprefixed instructions on a bare processor: loads, stack, branches,
// ports, HALT, the unhandled opcodes, and the arithmetic wired to its rules.
#include <gtest/gtest.h>

#include <functional>

#include "core/flags.h"
#include "tests/support/test_cpu.h"

namespace zorva {
namespace {

using namespace flags;
using testing::TestCpu;

TEST(Processor, ResetAndParityTable) {
  TestCpu t;
  t.regs = {.A = 1, .F = 2, .HL = 3, .BC = 4, .DE = 5, .IX = 6, .IY = 7, .SP = 8, .PC = 9};
  t.memory[0x1234] = 0x56;
  t.cpu.ResetRegisters();
  EXPECT_EQ(t.regs, Z80Registers{});
  EXPECT_EQ(t.regs.SP, 0xFFFF);
  EXPECT_EQ(t.memory[0x1234], 0x56);

  for (int i : {0x00, 0x03, 0xFF, 0x0F, 0x81}) EXPECT_EQ(t.cpu.parityTable[i], 1) << i;
  for (int i : {0x01, 0x07, 0x80, 0xFE}) EXPECT_EQ(t.cpu.parityTable[i], 0) << i;
}

// One instruction from a given state; `check` sees the processor afterwards.
struct StepCase {
  const char* name;
  uint16_t at;
  std::vector<uint8_t> bytes;
  std::function<void(TestCpu&)> setup;
  std::function<void(TestCpu&)> check;
};

class OneStep : public ::testing::TestWithParam<StepCase> {};

TEST_P(OneStep, Behaves) {
  const StepCase& c = GetParam();
  TestCpu t;
  uint16_t a = c.at;
  for (uint8_t b : c.bytes) t.memory[a++] = b;
  t.regs.PC = c.at;
  if (c.setup) c.setup(t);
  EXPECT_EQ(t.cpu.Step(), 1);
  EXPECT_TRUE(t.links.reports.empty()) << t.links.reports.front();
  c.check(t);
}

StepCase Case(const char* name, uint16_t at, std::vector<uint8_t> bytes,
              std::function<void(TestCpu&)> setup, std::function<void(TestCpu&)> check) {
  return {name, at, std::move(bytes), std::move(setup), std::move(check)};
}

INSTANTIATE_TEST_SUITE_P(
    LoadsAndStack, OneStep,
    ::testing::Values(Case("LD BC,nn", 0x100, {0x01, 0x34, 0x12}, nullptr,
                           [](TestCpu& t) {
                             EXPECT_EQ(t.regs.BC, 0x1234);
                             EXPECT_EQ(t.regs.PC, 0x103);
                           }),
                      Case("LD BC,nn wraps its operand fetch", 0xFFFF, {0x01, 0x34, 0x12}, nullptr,
                           [](TestCpu& t) {
                             EXPECT_EQ(t.regs.BC, 0x1234);
                             EXPECT_EQ(t.regs.PC, 0x0002);
                           }),
                      Case(
                          "LD (nn),HL at the top of memory", 0x100, {0x22, 0xFF, 0xFF},
                          [](TestCpu& t) { t.regs.HL = 0xABCD; },
                          [](TestCpu& t) {
                            EXPECT_EQ(t.memory[0xFFFF], 0xCD);
                            EXPECT_EQ(t.memory[0x0000], 0xAB);
                          }),
                      Case(
                          "LD H,(HL) reads before it writes", 0x100, {0x66},
                          [](TestCpu& t) {
                            t.regs.HL = 0x4000;
                            t.memory[0x4000] = 0x99;
                          },
                          [](TestCpu& t) { EXPECT_EQ(t.regs.HL, 0x9900); }),
                      Case(
                          "LD (HL),L stores the low byte of HL", 0x100, {0x75},
                          [](TestCpu& t) { t.regs.HL = 0x4021; },
                          [](TestCpu& t) { EXPECT_EQ(t.memory[0x4021], 0x21); }),
                      Case(
                          "LD (HL),n writes into the ROM area", 0x100, {0x36, 0x5A},
                          [](TestCpu& t) { t.regs.HL = 0x0005; },
                          [](TestCpu& t) {
                            EXPECT_EQ(t.memory[0x0005], 0x5A);
                            EXPECT_EQ(t.regs.PC, 0x102);
                          }),
                      Case(
                          "PUSH BC from SP=FFFF", 0x100, {0xC5},
                          [](TestCpu& t) { t.regs.BC = 0x1234; },
                          [](TestCpu& t) {
                            EXPECT_EQ(t.memory[0xFFFE], 0x12);
                            EXPECT_EQ(t.memory[0xFFFD], 0x34);
                            EXPECT_EQ(t.regs.SP, 0xFFFD);
                          }),
                      Case(
                          "POP HL across the top of memory", 0x100, {0xE1},
                          [](TestCpu& t) {
                            t.memory[0xFFFF] = 0x34;
                            t.memory[0x0000] = 0x12;
                          },
                          [](TestCpu& t) {
                            EXPECT_EQ(t.regs.HL, 0x1234);
                            EXPECT_EQ(t.regs.SP, 0x0001);
                          }),
                      Case(
                          "POP AF takes bits 5 and 3 too", 0x100, {0xF1},
                          [](TestCpu& t) {
                            t.regs.SP = 0x8000;
                            t.memory[0x8000] = 0xFF;
                            t.memory[0x8001] = 0x42;
                          },
                          [](TestCpu& t) {
                            EXPECT_EQ(t.regs.F, 0xFF);
                            EXPECT_EQ(t.regs.A, 0x42);
                          }),
                      Case(
                          "EX (SP),HL", 0x100, {0xE3},
                          [](TestCpu& t) {
                            t.regs.SP = 0x8000;
                            t.memory[0x8000] = 0x34;
                            t.memory[0x8001] = 0x12;
                            t.regs.HL = 0xABCD;
                          },
                          [](TestCpu& t) {
                            EXPECT_EQ(t.regs.HL, 0x1234);
                            EXPECT_EQ(t.memory[0x8000], 0xCD);
                            EXPECT_EQ(t.memory[0x8001], 0xAB);
                            EXPECT_EQ(t.regs.SP, 0x8000);
                          })),
    [](const auto& info) { return std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    Branches, OneStep,
    ::testing::Values(
        Case("JR -2 loops on itself", 0x1000, {0x18, 0xFE}, nullptr,
             [](TestCpu& t) { EXPECT_EQ(t.regs.PC, 0x1000); }),
        Case("JR +127", 0x1000, {0x18, 0x7F}, nullptr,
             [](TestCpu& t) { EXPECT_EQ(t.regs.PC, 0x1081); }),
        Case("JR -128", 0x1000, {0x18, 0x80}, nullptr,
             [](TestCpu& t) { EXPECT_EQ(t.regs.PC, 0x0F82); }),
        Case(
            "JR NZ not taken", 0x1000, {0x20, 0x10}, [](TestCpu& t) { t.regs.F = Z; },
            [](TestCpu& t) { EXPECT_EQ(t.regs.PC, 0x1002); }),
        Case("JP Z not taken", 0x1000, {0xCA, 0x00, 0x20}, nullptr,
             [](TestCpu& t) { EXPECT_EQ(t.regs.PC, 0x1003); }),
        Case(
            "JP PE taken", 0x1000, {0xEA, 0x00, 0x20}, [](TestCpu& t) { t.regs.F = PV; },
            [](TestCpu& t) { EXPECT_EQ(t.regs.PC, 0x2000); }),
        Case(
            "JP M needs S", 0x1000, {0xFA, 0x00, 0x20}, [](TestCpu& t) { t.regs.F = 0x7F; },
            [](TestCpu& t) { EXPECT_EQ(t.regs.PC, 0x1003); }),
        Case("RST 38", 0x2000, {0xFF}, nullptr,
             [](TestCpu& t) {
               EXPECT_EQ(t.regs.PC, 0x0038);
               EXPECT_EQ(t.memory[0xFFFE], 0x20);
               EXPECT_EQ(t.memory[0xFFFD], 0x01);
             }),
        Case(
            "DJNZ with B=1 falls through and sets Z", 0x1000, {0x10, 0x10},
            [](TestCpu& t) { t.regs.BC = 0x0155; },
            [](TestCpu& t) {
              EXPECT_EQ(t.regs.BC, 0x0055);
              EXPECT_EQ(t.regs.F & Z, Z);
              EXPECT_EQ(t.regs.PC, 0x1002);
            }),
        Case(
            "DJNZ with B=0 wraps to FF and jumps", 0x1000, {0x10, 0x10},
            [](TestCpu& t) { t.regs.F = C; },
            [](TestCpu& t) {
              EXPECT_EQ(t.regs.BC, 0xFF00);
              EXPECT_EQ(t.regs.F, S | N | C);
              EXPECT_EQ(t.regs.PC, 0x1012);
            }),
        Case(
            "CALL pushes the return address before reading its operand", 0x8000, {0xCD, 0x34, 0x12},
            // The push lands on the operand bytes themselves.
            [](TestCpu& t) { t.regs.SP = 0x8003; },
            [](TestCpu& t) {
              EXPECT_EQ(t.regs.SP, 0x8001);
              EXPECT_EQ(t.regs.PC, 0x8003);
            }),
        Case(
            "IN A,(n) ignores A", 0x100, {0xDB, 0xFE},
            [](TestCpu& t) {
              t.ports[0x00FE] = 0x5C;
              t.ports[0x12FE] = 0x11;
              t.regs.A = 0x12;
              t.regs.F = 0xA5;
            },
            [](TestCpu& t) {
              EXPECT_EQ(t.regs.A, 0x5C);
              EXPECT_EQ(t.regs.F, 0xA5);
            })),
    [](const auto& info) { return std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    Arithmetic, OneStep,
    ::testing::Values(Case(
                          "INC B carries nothing into C", 0x100, {0x04},
                          [](TestCpu& t) {
                            t.regs.BC = 0xFF12;
                            t.regs.F = C;
                          },
                          [](TestCpu& t) {
                            EXPECT_EQ(t.regs.BC, 0x0012);
                            EXPECT_EQ(t.regs.F, Z | C);
                          }),
                      Case(
                          "DEC C", 0x100, {0x0D},
                          [](TestCpu& t) {
                            t.regs.BC = 0x1280;
                            t.regs.F = C;
                          },
                          [](TestCpu& t) {
                            EXPECT_EQ(t.regs.BC, 0x127F);
                            EXPECT_EQ(t.regs.F, N | PV | C);
                          }),
                      Case(
                          "DEC (HL)", 0x100, {0x35},
                          [](TestCpu& t) {
                            t.regs.HL = 0x5000;
                            t.memory[0x5000] = 0x01;
                            t.regs.F = C;
                          },
                          [](TestCpu& t) {
                            EXPECT_EQ(t.memory[0x5000], 0x00);
                            EXPECT_EQ(t.regs.F, Z | N | C);
                          }),
                      Case(
                          "INC BC wraps, F untouched", 0x100, {0x03},
                          [](TestCpu& t) {
                            t.regs.BC = 0xFFFF;
                            t.regs.F = 0xA5;
                          },
                          [](TestCpu& t) {
                            EXPECT_EQ(t.regs.BC, 0x0000);
                            EXPECT_EQ(t.regs.F, 0xA5);
                          }),
                      Case(
                          "ADD HL,DE keeps Z", 0x100, {0x19},
                          [](TestCpu& t) {
                            t.regs.HL = 0xFFFF;
                            t.regs.DE = 0x0001;
                            t.regs.F = Z | N;
                          },
                          [](TestCpu& t) {
                            EXPECT_EQ(t.regs.HL, 0x0000);
                            EXPECT_EQ(t.regs.F, Z | C);
                          }),
                      Case(
                          "ADC A,n alone sets P/V", 0x100, {0xCE, 0x00},
                          [](TestCpu& t) {
                            t.regs.A = 0xFF;
                            t.regs.F = C;
                          },
                          [](TestCpu& t) { EXPECT_EQ(t.regs.F, Z | PV | C); }),
                      Case(
                          "ADC A,(HL) is one byte long", 0x100, {0x8E},
                          [](TestCpu& t) { t.regs.HL = 0x5000; },
                          [](TestCpu& t) { EXPECT_EQ(t.regs.PC, 0x101); }),
                      Case(
                          "CP C sets 83 whatever F held", 0x100, {0xB9},
                          [](TestCpu& t) {
                            t.regs.A = 0x10;
                            t.regs.BC = 0x0020;
                            t.regs.F = 0xFF;
                          },
                          [](TestCpu& t) {
                            EXPECT_EQ(t.regs.F, 0x83);
                            EXPECT_EQ(t.regs.A, 0x10);
                          }),
                      Case(
                          "CP (HL) 90-01 sets S", 0x100, {0xBE},
                          [](TestCpu& t) {
                            t.regs.A = 0x90;
                            t.regs.HL = 0x5000;
                            t.memory[0x5000] = 0x01;
                          },
                          [](TestCpu& t) { EXPECT_EQ(t.regs.F, S | N); }),
                      Case(
                          "CP A", 0x100, {0xBF}, [](TestCpu& t) { t.regs.A = 0x90; },
                          [](TestCpu& t) { EXPECT_EQ(t.regs.F, Z | N); }),
                      Case(
                          "XOR A", 0x100, {0xAF}, [](TestCpu& t) { t.regs.A = 0x90; },
                          [](TestCpu& t) {
                            EXPECT_EQ(t.regs.A, 0);
                            EXPECT_EQ(t.regs.F, 0x44);
                          }),
                      Case(
                          "AND n", 0x100, {0xE6, 0xF0}, [](TestCpu& t) { t.regs.A = 0x0F; },
                          [](TestCpu& t) { EXPECT_EQ(t.regs.F, 0x54); }),
                      Case(
                          "CPL at 011B with HL=C000 fills B", 0x011B, {0x2F},
                          [](TestCpu& t) {
                            t.regs.HL = 0xC000;
                            t.regs.BC = 0x1234;
                            t.regs.A = 0x0F;
                          },
                          [](TestCpu& t) {
                            EXPECT_EQ(t.regs.BC, 0xFF34);
                            EXPECT_EQ(t.regs.A, 0xF0);
                            EXPECT_EQ(t.regs.F, H | N);
                          }),
                      Case(
                          "CPL elsewhere leaves B", 0x011C, {0x2F},
                          [](TestCpu& t) {
                            t.regs.HL = 0xC000;
                            t.regs.BC = 0x1234;
                          },
                          [](TestCpu& t) { EXPECT_EQ(t.regs.BC, 0x1234); }),
                      Case(
                          "RLCA", 0x100, {0x07}, [](TestCpu& t) { t.regs.A = 0x81; },
                          [](TestCpu& t) {
                            EXPECT_EQ(t.regs.A, 0x03);
                            EXPECT_EQ(t.regs.F, C);
                          }),
                      Case(
                          "RRA keeps Z", 0x100, {0x1F},
                          [](TestCpu& t) {
                            t.regs.A = 0x01;
                            t.regs.F = Z | H | N;
                          },
                          [](TestCpu& t) {
                            EXPECT_EQ(t.regs.A, 0x00);
                            EXPECT_EQ(t.regs.F, Z | C);
                          }),
                      Case(
                          "DAA", 0x100, {0x27}, [](TestCpu& t) { t.regs.A = 0x9A; },
                          [](TestCpu& t) {
                            EXPECT_EQ(t.regs.A, 0x00);
                            EXPECT_EQ(t.regs.F, C);
                          })),
    [](const auto& info) { return std::to_string(info.index); });

TEST(Processor, LoadsOfARegisterIntoItselfAndNopChangeOnlyPC) {
  for (uint8_t op : {0x00, 0x40, 0x49, 0x52, 0x5B, 0x64, 0x6D, 0x7F}) {
    TestCpu t;
    t.regs = {.A = 0x11, .F = 0xFF, .HL = 0x2233, .BC = 0x4455, .DE = 0x6677, .PC = 0x300};
    t.memory[0x300] = op;
    Z80Registers expected = t.regs;
    expected.PC = 0x301;
    t.cpu.Step();
    EXPECT_EQ(t.regs, expected) << int(op);
  }
}

TEST(Processor, HaltHoldsEverything) {
  TestCpu t;
  t.Load(0x2000, {0x76});
  const Z80Registers before = t.regs;
  const auto memory = t.memory;
  for (int i = 0; i < 5; ++i) EXPECT_EQ(t.cpu.Step(), 1);
  EXPECT_EQ(t.regs, before);
  EXPECT_EQ(t.memory, memory);
}

TEST(Processor, DiAndEiAreReportedAndSkipped) {
  const struct {
    uint16_t at;
    uint8_t op;
    const char* message;
  } cases[] = {
      {0x1234, 0xF3, "Unhandled instruction f3 at 1234"},
      {0x0038, 0xF3, "Unhandled instruction f3 at   38"},
      {0x0000, 0xFB, "Unhandled instruction fb at    0"},
  };
  for (const auto& c : cases) {
    TestCpu t;
    t.Load(c.at, {c.op});
    t.regs.A = 0x77;
    Z80Registers expected = t.regs;
    expected.PC = static_cast<uint16_t>(c.at + 1);
    EXPECT_EQ(t.cpu.Step(), 1);
    ASSERT_EQ(t.links.reports.size(), 1u);
    EXPECT_EQ(t.links.reports[0], c.message);
    EXPECT_EQ(t.regs, expected);
  }
}

TEST(Processor, OnlyOutToPortFFReachesTheScramblePort) {
  TestCpu t;
  t.Load(0x100, {0xD3, 0xFE, 0xD3, 0xFF});
  t.regs.A = 0x5A;
  const auto ports = t.ports;
  t.cpu.Step();
  t.cpu.Step();
  EXPECT_EQ(t.links.scrambleWrites, std::vector<uint8_t>{0x5A});
  EXPECT_EQ(t.ports, ports);
  EXPECT_EQ(t.regs.PC, 0x104);
}

// Branch lines appear only for taken branches, and only while tracing.
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
      {{0xD2, 0x34, 0x12}, 0, "JMP  NC 1234\r\n"},
      {{0xDA, 0x34, 0x12}, C, "JMP  C  1234\r\n"},
      {{0xE2, 0x34, 0x12}, 0, "JMP PO  1234\r\n"},
      {{0xEA, 0x34, 0x12}, PV, "JMP PE  1234\r\n"},
      {{0xF2, 0x34, 0x12}, 0, "JMP P   1234\r\n"},
      {{0xFA, 0x34, 0x12}, S, "JMP  M  1234\r\n"},
      {{0xE9}, 0, "JMP (HL)   42\r\n"},
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
      {{0x10, 0x02}, 0, ""},  // DJNZ writes no line
      {{0xC7}, 0, ""},        // nor does RST
  };
  for (const auto& c : cases) {
    TestCpu t;
    uint16_t a = 0x100;
    for (uint8_t b : c.bytes) t.memory[a++] = b;
    t.regs.PC = 0x100;
    t.regs.F = c.f;
    t.regs.HL = 0x42;
    t.regs.SP = 0x8000;
    t.memory[0x8000] = 0x03;  // a return address of 0x0103
    t.memory[0x8001] = 0x01;
    t.cpu.traceBranches = true;
    t.cpu.Step();
    EXPECT_EQ(t.links.trace, c.line) << "opcode " << std::hex << int(c.bytes[0]);

    // With tracing off nothing is written at all.
    TestCpu quiet;
    a = 0x100;
    for (uint8_t b : c.bytes) quiet.memory[a++] = b;
    quiet.regs.PC = 0x100;
    quiet.regs.F = c.f;
    quiet.cpu.Step();
    EXPECT_EQ(quiet.links.trace, "");
  }
}

TEST(BranchTrace, CallThenReturn) {
  TestCpu t;
  t.Load(0x0100, {0xCD, 0x34, 0x12});
  t.memory[0x1234] = 0xC9;
  t.cpu.traceBranches = true;
  t.cpu.Step();
  EXPECT_EQ(t.memory[0xFFFE], 0x01);
  EXPECT_EQ(t.memory[0xFFFD], 0x03);
  EXPECT_EQ(t.regs.SP, 0xFFFD);
  EXPECT_EQ(t.regs.PC, 0x1234);
  t.cpu.Step();
  EXPECT_EQ(t.regs.PC, 0x0103);
  EXPECT_EQ(t.regs.SP, 0xFFFF);
  EXPECT_EQ(t.links.trace, "CALL 1234\r\nRET     TO  103\r\n");
}

TEST(Processor, ExxTwiceRestoresEverything) {
  TestCpu t;
  t.Load(0x100, {0xD9, 0xD9});
  t.regs = {.HL = 1, .BC = 2, .DE = 3, .altHL = 4, .altBC = 5, .altDE = 6, .PC = 0x100};
  Z80Registers start = t.regs;
  t.cpu.Step();
  EXPECT_EQ(t.regs.HL, 4);
  EXPECT_EQ(t.regs.altBC, 2);
  t.cpu.Step();
  start.PC = 0x102;
  EXPECT_EQ(t.regs, start);
}

}  // namespace
}  // namespace zorva
