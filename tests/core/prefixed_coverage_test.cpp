// Every sub-opcode of the four prefixed groups, and every op byte behind
// DD CB and FD CB, either runs or is reported exactly once, and PC ends where
// the instruction's length puts it. The lists of implemented forms below are
// written out independently of the handler tables they check.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <initializer_list>
#include <string>

#include "tests/support/test_cpu.h"

namespace zorva {
namespace {

using testing::TestCpu;

constexpr int kJump = -1;  // PC becomes the index register
// Length of each implemented form, 0 for the ones to report and skip.

using Lengths = std::array<int, 256>;

Lengths Mark(std::initializer_list<std::pair<std::initializer_list<int>, int>> groups) {
  Lengths l{};
  for (const auto& [subs, length] : groups)
    for (int s : subs) l[s] = length;
  return l;
}

Lengths BitGroup() {
  Lengths l =
      Mark({{{0x00, 0x08, 0x0F, 0x10, 0x12, 0x14, 0x17, 0x18, 0x21, 0x22, 0x23, 0x25, 0x27, 0x29,
              0x3A, 0x3F, 0x40, 0x46, 0x47, 0x4F, 0x57, 0x5F, 0x67, 0x6F, 0x77, 0x7E, 0x7F},
             2},
            {{0x1F}, 1}});  // PC stays on 0x1F for RRA
  for (int s = 0xC0; s <= 0xFF; ++s) l[s] = 2;
  return l;
}

Lengths ExtendedGroup() {
  return Mark({{{0x40, 0x41, 0x42, 0x44, 0x48, 0x50, 0x52, 0x58, 0x5F, 0x60, 0x62, 0x68, 0x70, 0x72,
                 0x78, 0x79, 0xB0, 0xB8},
                2},
               {{0x43, 0x4B, 0x53, 0x5B, 0x63, 0x6B, 0x73, 0x7B}, 4}});
}

Lengths IndexGroup() {
  return Mark({{{0x09, 0x19, 0x23, 0x2B, 0xE1, 0xE5}, 2},
               {{0x34, 0x35, 0x46, 0x4E, 0x56, 0x5E, 0x66, 0x6E, 0x7E, 0x70, 0x71,
                 0x72, 0x73, 0x74, 0x75, 0x77, 0x86, 0x8E, 0x96, 0xAE, 0xB6, 0xBE},
                3},
               {{0x21, 0x22, 0x2A, 0x36, 0xCB}, 4},
               {{0xE9}, kJump}});
}

std::string Format(const char* format, unsigned a, unsigned b, unsigned c = 0) {
  char text[80];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

// Runs prefix, sub, then `follow` at `at`. A non-empty `message` must be
// reported once with nothing changed but PC; otherwise nothing is reported.
// Either way PC ends `length` bytes past the prefix.
void Check(uint16_t at, uint8_t prefix, uint8_t sub, std::initializer_list<uint8_t> follow,
           int length, const std::string& message) {
  SCOPED_TRACE(::testing::Message() << std::hex << "at " << at << ": " << +prefix << " " << +sub);
  TestCpu t;
  t.memory[at] = prefix;
  t.memory[static_cast<uint16_t>(at + 1)] = sub;
  uint16_t a = static_cast<uint16_t>(at + 1);
  for (uint8_t b : follow) t.memory[++a] = b;
  t.regs.PC = at;
  t.regs.HL = 0x9000, t.regs.DE = 0x9100, t.regs.SP = 0xA000, t.regs.IX = 0x8000,
  t.regs.IY = 0x8800, t.regs.F = 0x95;
  const Z80Registers before = t.regs;
  const auto memory = t.memory;

  EXPECT_EQ(t.cpu.Step(), 1);

  Z80Registers expected = before;
  expected.PC = length == kJump ? (prefix == 0xDD ? before.IX : before.IY)
                                : static_cast<uint16_t>(at + length);
  EXPECT_EQ(t.regs.PC, expected.PC);
  if (message.empty()) {
    EXPECT_TRUE(t.links.reports.empty()) << t.links.reports[0];
  } else {
    ASSERT_EQ(t.links.reports.size(), 1u);
    EXPECT_EQ(t.links.reports[0], message);
    EXPECT_EQ(t.regs, expected);
    EXPECT_TRUE(t.memory == memory);
  }
}

class PrefixedCoverage : public ::testing::TestWithParam<uint16_t> {};

INSTANTIATE_TEST_SUITE_P(Addresses, PrefixedCoverage, ::testing::Values(0x4000, 0xFFFF, 0xFFFD));

TEST_P(PrefixedCoverage, EverySubOpcodeRunsOrIsReportedOnce) {
  const uint16_t at = GetParam();
  const unsigned subAddress = static_cast<uint16_t>(at + 1);
  const struct {
    uint8_t prefix;
    Lengths lengths;
    const char* format;
    int reported;
  } groups[] = {
      {0xCB, BitGroup(), "Unhandled Z80 instruction (CB %2x) at %4x.", 164},
      {0xED, ExtendedGroup(), "Unhandled Z80 instruction (ED %2x) at %4x.", 230},
      {0xDD, IndexGroup(), "Unhandled Z80 instruction (DD %2x) at %4x.", 222},
      {0xFD, IndexGroup(), "Unhandled Z80 instruction (FD %2x) at %4x.", 222},
  };
  for (const auto& g : groups) {
    int reported = 0;
    for (int s = 0; s < 256; ++s) {
      const int length = g.lengths[s];
      reported += length == 0;
      // 0x46 behind CB makes the indexed form a BIT, which the group carries out.
      Check(at, g.prefix, static_cast<uint8_t>(s), {0x00, 0x46}, length == 0 ? 2 : length,
            length == 0 ? Format(g.format, s, subAddress) : "");
    }
    EXPECT_EQ(reported, g.reported);
  }
}

TEST_P(PrefixedCoverage, EveryIndexedBitOpRunsOrIsReportedOnce) {
  const uint16_t at = GetParam();
  for (uint8_t prefix : {0xDD, 0xFD}) {
    for (int op = 0; op < 256; ++op) {
      const bool handled = op >= 0x40 && (op & 7) == 6;  // BIT, RES, SET b,(I+d)
      Check(at, prefix, 0xCB, {0xF0, static_cast<uint8_t>(op)}, 4,
            handled ? ""
                    : Format(prefix == 0xDD ? "Unhandled Z80 instruction (DD CB %2x %2x) at %4x."
                                            : "Unhandled Z80 instruction (FD CB %2x %2x) at %4x.",
                             0xF0, op, static_cast<uint16_t>(at + 3)));
    }
  }
}

}  // namespace
}  // namespace zorva
