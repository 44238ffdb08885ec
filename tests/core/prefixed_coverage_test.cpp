// Every opcode either runs or is reported exactly once, in the text the
// machine shows. The lists of implemented forms below are written out
// independently of the handler tables they check.
#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/support/test_cpu.h"

namespace zorva {
namespace {

using testing::TestCpu;

TEST(Unhandled, MessagesNameTheOpcodeAndItsAddress) {
  const struct {
    uint16_t at;
    std::vector<uint8_t> bytes;
    uint16_t pc;
    const char* message;  // after "Unhandled "
  } cases[] = {
      {0x1234, {0xF3}, 0x1235, "instruction f3 at 1234"},
      {0x0038, {0xF3}, 0x0039, "instruction f3 at   38"},
      {0x0000, {0xFB}, 0x0001, "instruction fb at    0"},
      {0x1234, {0xCB, 0x80}, 0x1236, "Z80 instruction (CB 80) at 1235."},
      {0x0010, {0xCB, 0x05}, 0x0012, "Z80 instruction (CB  5) at   11."},
      {0xFFFF, {0xCB, 0x06}, 0x0001, "Z80 instruction (CB  6) at    0."},
      {0x0066, {0xED, 0x46}, 0x0068, "Z80 instruction (ED 46) at   67."},
      {0xFFFF, {0xED, 0x0A}, 0x0001, "Z80 instruction (ED  a) at    0."},
      {0x0020, {0xDD, 0x29}, 0x0022, "Z80 instruction (DD 29) at   21."},
      {0x0005, {0xFD, 0x0E}, 0x0007, "Z80 instruction (FD  e) at    6."},
      {0x0010, {0xDD, 0xCB, 0x01, 0x06}, 0x0014, "Z80 instruction (DD CB  1  6) at   13."},
      {0xFFFE, {0xFD, 0xCB, 0x80, 0x0E}, 0x0002, "Z80 instruction (FD CB 80  e) at    1."},
  };
  for (const auto& c : cases) {
    TestCpu t;
    uint16_t a = c.at;
    for (uint8_t b : c.bytes) t.memory[a++] = b;
    t.regs.PC = c.at;
    t.cpu.Step();
    ASSERT_EQ(t.links.reports.size(), 1u);
    EXPECT_EQ(t.links.reports[0], std::string("Unhandled ") + c.message);
    EXPECT_EQ(t.regs.PC, c.pc);
  }
}

// Length of each implemented form; 0 for the ones to report and skip.
using Lengths = std::array<int, 256>;
constexpr int kJump = -1;  // PC becomes the index register

Lengths Mark(std::initializer_list<std::pair<std::initializer_list<int>, int>> groups) {
  Lengths l{};
  for (const auto& [subs, length] : groups)
    for (int s : subs) l[s] = length;
  return l;
}

// Runs `bytes` at `at`: PC must end `length` bytes on (kJump: at the index
// register), and an unhandled form must be reported once, changing nothing else.
void Check(uint16_t at, std::initializer_list<uint8_t> bytes, int length, bool unhandled) {
  SCOPED_TRACE(::testing::Message() << std::hex << "at " << at << ": " << +bytes.begin()[0] << " "
                                    << +bytes.begin()[1] << " .. " << +bytes.begin()[3]);
  TestCpu t;
  t.Load(at, bytes);
  t.regs = {
      .F = 0x95, .HL = 0x9000, .DE = 0x9100, .IX = 0x8000, .IY = 0x8800, .SP = 0xA000, .PC = at};
  Z80Registers expected = t.regs;
  const auto memory = t.memory;
  t.cpu.Step();
  expected.PC = length == kJump ? (*bytes.begin() == 0xDD ? expected.IX : expected.IY)
                                : static_cast<uint16_t>(at + length);
  EXPECT_EQ(t.regs.PC, expected.PC);
  ASSERT_EQ(t.links.reports.size(), unhandled ? 1u : 0u);
  if (unhandled) {
    EXPECT_EQ(t.regs, expected);
    EXPECT_TRUE(t.memory == memory);
  }
}

TEST(Unhandled, EveryPrefixedOpcodeRunsOrIsReportedOnce) {
  Lengths bit =
      Mark({{{0x00, 0x08, 0x0F, 0x10, 0x12, 0x14, 0x17, 0x18, 0x21, 0x22, 0x23, 0x25, 0x27, 0x29,
              0x3A, 0x3F, 0x40, 0x46, 0x47, 0x4F, 0x57, 0x5F, 0x67, 0x6F, 0x77, 0x7E, 0x7F},
             2},
            {{0x1F}, 1}});  // PC stays on 0x1F for RRA
  for (int s = 0xC0; s <= 0xFF; ++s) bit[s] = 2;
  const Lengths extended = Mark({{{0x40, 0x41, 0x42, 0x44, 0x48, 0x50, 0x52, 0x58, 0x5F, 0x60, 0x62,
                                   0x68, 0x70, 0x72, 0x78, 0x79, 0xB0, 0xB8},
                                  2},
                                 {{0x43, 0x4B, 0x53, 0x5B, 0x63, 0x6B, 0x73, 0x7B}, 4}});
  const Lengths index = Mark({{{0x09, 0x19, 0x23, 0x2B, 0xE1, 0xE5}, 2},
                              {{0x34, 0x35, 0x46, 0x4E, 0x56, 0x5E, 0x66, 0x6E, 0x7E, 0x70, 0x71,
                                0x72, 0x73, 0x74, 0x75, 0x77, 0x86, 0x8E, 0x96, 0xAE, 0xB6, 0xBE},
                               3},
                              {{0x21, 0x22, 0x2A, 0x36, 0xCB}, 4},
                              {{0xE9}, kJump}});
  const std::pair<uint8_t, const Lengths&> groups[] = {
      {0xCB, bit}, {0xED, extended}, {0xDD, index}, {0xFD, index}};
  for (uint16_t at : {0x4000, 0xFFFF, 0xFFFD}) {
    for (const auto& [prefix, lengths] : groups) {
      for (int s = 0; s < 256; ++s) {
        // 0x46 behind an index CB makes it a BIT, which the group carries out.
        const auto sub = static_cast<uint8_t>(s);
        Check(at, {prefix, sub, 0x00, 0x46}, lengths[s] == 0 ? 2 : lengths[s], lengths[s] == 0);
        // The op byte behind DD CB and FD CB: only BIT, RES and SET b,(I+d) run.
        if (prefix == 0xDD || prefix == 0xFD)
          Check(at, {prefix, 0xCB, 0xF0, sub}, 4, s < 0x40 || (s & 7) != 6);
      }
    }
  }
}

}  // namespace
}  // namespace zorva
