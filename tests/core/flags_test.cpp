// The flag rules, checked directly. Where they part from a real Z80 the
// expected values below are this machine's, not the Z80 manual's.
#include "core/flags.h"

#include <gtest/gtest.h>

namespace zorva::flags {
namespace {

struct ByteCase {
  const char* name;
  Result got;
  uint8_t value;
  uint8_t f;
};

class ArithmeticRule : public ::testing::TestWithParam<ByteCase> {};

TEST_P(ArithmeticRule, GivesValueAndFlags) {
  const ByteCase& c = GetParam();
  EXPECT_EQ(c.got.value, c.value) << c.name;
  EXPECT_EQ(c.got.f, c.f) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    AddSubtractNegateDaa, ArithmeticRule,
    ::testing::Values(
        // Add: no H, no overflow in P/V.
        ByteCase{"add 7f+01 sets only S", Add(0x7F, 0x01, 0), 0x80, S},
        ByteCase{"add ff+01 wraps to Z|C", Add(0xFF, 0x01, 0), 0x00, Z | C},
        ByteCase{"add 80+80 (ADD A,A)", Add(0x80, 0x80, 0), 0x00, Z | C},
        ByteCase{"adc n ff+00+c copies C to P/V", Add(0xFF, 0x00, 1, true), 0x00, Z | PV | C},
        ByteCase{"adc r ff+00+c has no P/V", Add(0xFF, 0x00, 1), 0x00, Z | C},
        ByteCase{"adc n without carry out has no P/V", Add(0x10, 0x20, 1, true), 0x31, 0},
        // Subtract: N always, borrow in C, never H or P/V.
        ByteCase{"sub 00-01 borrows", Sub(0x00, 0x01, 0), 0xFF, S | N | C},
        ByteCase{"sbc 00-00-c borrows", Sub(0x00, 0x00, 1), 0xFF, S | N | C},
        ByteCase{"sub a,a is zero", Sub(0x42, 0x42, 0), 0x00, Z | N},
        ByteCase{"sub 80-01 has no overflow flag", Sub(0x80, 0x01, 0), 0x7F, N},
        // NEG: C unless A was 0; H, P/V, N cleared.
        ByteCase{"neg 01", Negate(0x01), 0xFF, S | C}, ByteCase{"neg 00", Negate(0x00), 0x00, Z},
        ByteCase{"neg 80", Negate(0x80), 0x80, S | C},
        // DAA changes only C, and leaves Z alone even for a zero result.
        ByteCase{"daa 9a corrects by 66", Daa(0x9A, 0), 0x00, C},
        ByteCase{"daa 0f after add", Daa(0x0F, 0), 0x15, 0},
        ByteCase{"daa 0f after subtract", Daa(0x0F, N), 0x09, N},
        ByteCase{"daa keeps S whatever the result", Daa(0x0F, S), 0x15, S},
        ByteCase{"daa with H adds 06", Daa(0x01, H), 0x07, H},
        ByteCase{"daa a0 sets C", Daa(0xA0, 0), 0x00, C},
        ByteCase{"daa 91 with C keeps C", Daa(0x91, C), 0xF1, C}),
    [](const auto& info) { return std::to_string(info.index); });

struct FlagCase {
  const char* name;
  uint8_t got;
  uint8_t f;
};

class FlagRule : public ::testing::TestWithParam<FlagCase> {};

TEST_P(FlagRule, GivesFlags) { EXPECT_EQ(GetParam().got, GetParam().f) << GetParam().name; }

INSTANTIATE_TEST_SUITE_P(
    CompareLogicIncDec, FlagRule,
    ::testing::Values(
        // Three compare rules, by operand form.
        FlagCase{"cp r 90-01: S clear", CompareRegister(0x90, 0x01), N},
        FlagCase{"cp (hl) 90-01: S from the difference", CompareMemory(0x90, 0x01), S | N},
        FlagCase{"cp n 90-01", CompareImmediate(0x90, 0x01), N},
        FlagCase{"cp n 10-20 borrow raises P/V", CompareImmediate(0x10, 0x20), S | PV | N | C},
        FlagCase{"cp r 10-20 borrow", CompareRegister(0x10, 0x20), S | N | C},
        FlagCase{"cp (hl) 10-20 borrow", CompareMemory(0x10, 0x20), S | N | C},
        FlagCase{"cp r equal", CompareRegister(0x33, 0x33), Z | N},
        FlagCase{"cp (hl) equal", CompareMemory(0x33, 0x33), Z | N},
        FlagCase{"cp n equal", CompareImmediate(0x33, 0x33), Z | N},
        FlagCase{"cp (hl) difference 7f: no S", CompareMemory(0x7F, 0x00), N},
        // Logic: H only for AND; P/V from the parity entry.
        FlagCase{"and to zero", Logic(0x00, 1, true), H | PV | Z},
        FlagCase{"or 03 even", Logic(0x03, 1, false), PV},
        FlagCase{"xor 80 odd", Logic(0x80, 0, false), S},
        // INC and DEC keep only C and never set H.
        FlagCase{"inc to 80 with carry", Inc(C, 0x80), S | PV | C},
        FlagCase{"inc to 00 keeps carry", Inc(0xFF, 0x00), Z | C},
        FlagCase{"inc drops H, N and bits 5, 3", Inc(H | N | 0x28, 0x01), 0},
        FlagCase{"dec to 7f", Dec(0, 0x7F), N | PV},
        FlagCase{"dec to 00 with carry", Dec(C, 0x00), Z | N | C},
        FlagCase{"dec to ff", Dec(0, 0xFF), S | N},
        // Rotates keep S, Z, P/V and clear H, N and bits 5 and 3.
        FlagCase{"rotate out 1 from all set", Rotate(0xFF, 1), S | Z | PV | C},
        FlagCase{"rotate out 0 from H|N", Rotate(H | N, 0), 0},
        // SRA/SRL assign F whole.
        FlagCase{"sra 80 -> c0", ShiftRight(0xC0, 0, true), S},
        FlagCase{"sra 01 -> 00", ShiftRight(0x00, 1, true), Z | C},
        FlagCase{"srl never sets S", ShiftRight(0x80, 0, false), 0},
        // BIT: the forms on A and (HL) keep only C; BIT 0,B keeps all but N and Z.
        FlagCase{"bit on A/(HL), bit clear, F=ff", BitTest(0xFF, false), Z | H | C},
        FlagCase{"bit on A/(HL), bit set, F=00", BitTest(0x00, true), H},
        FlagCase{"bit 0,b bit clear F=ff", BitTestKeeping(0xFF, false), 0xFD},
        FlagCase{"bit 0,b bit set F=ff clears Z", BitTestKeeping(0xFF, true), 0xBD}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(WordRules, AddWordsCarriesOutOfBit15AndKeepsTheRest) {
  EXPECT_EQ(AddWords(S | Z | H | PV | N | C | 0x28, 0xFFFF, 0x0001).value, 0x0000);
  EXPECT_EQ(AddWords(S | Z | H | PV | N | C | 0x28, 0xFFFF, 0x0001).f, S | Z | H | PV | C | 0x28);
  EXPECT_EQ(AddWords(N | C, 0x1000, 0x0234).f, 0);
}

TEST(WordRules, SubtractWordsNeverShowsABorrow) {
  const struct {
    uint16_t hl, rr;
    unsigned carry;
    uint16_t value;
    uint8_t f;
  } cases[] = {
      {0x1000, 0x0001, 1, 0x0FFE, N},     {0x0000, 0x0001, 0, 0xFFFF, S | N},
      {0x1234, 0x1234, 0, 0x0000, Z | N}, {0x8001, 0x0001, 0, 0x8000, S | N},
      {0x8000, 0x0001, 0, 0x7FFF, N},
  };
  for (const auto& c : cases) {
    const Result16 r = SubtractWords(c.hl, c.rr, c.carry);
    EXPECT_EQ(r.value, c.value) << std::hex << c.hl << "-" << c.rr;
    EXPECT_EQ(r.f, c.f) << std::hex << c.hl << "-" << c.rr;
  }
}

}  // namespace
}  // namespace zorva::flags
