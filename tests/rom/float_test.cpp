// The floating-point core and its text conversions (rom/float.asm,
// rom/float_text.asm) on the test driver (float_run.h): every routine against
// C++ arithmetic on the same 4-byte numbers, with fixed tables for the edges
// (zero, signs, exponent extremes, ties, cancellation, errors) and seeded
// random operands; instruction counts are printed, not timed.
#include <gtest/gtest.h>
#include <z80ex/z80ex_dasm.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "tests/rom/float_run.h"
#include "tests/rom/z80_subset.h"

namespace zorva {
namespace {

using testing::FloatCall;
using testing::FloatError;
using testing::FloatRun;
using testing::Pack;
using testing::Packed;
using testing::Unpack;

std::string Hex(const Packed& p) {
  char s[16];
  std::snprintf(s, sizeof s, "%02X %02X %02X %02X", p[0], p[1], p[2], p[3]);
  return s;
}

Packed P(double x) {
  const auto p = Pack(x);
  if (!p) throw std::runtime_error("no 4-byte number for " + std::to_string(x));
  return *p;
}

// ---------------------------------------------------------------------------
// The code: every instruction one the processor has, as libz80ex decodes it.

Z80EX_BYTE ReadMemory(Z80EX_WORD address, void* memory) {
  return static_cast<const uint8_t*>(memory)[address];
}

// The package also keeps off CPL and RR A, which the processor's table only
// carries for old code.
std::string FloatRefusal(const std::vector<uint8_t>& m, uint16_t at) {
  if (m[at] == 0x2F) return "CPL";
  if (m[at] == 0xCB && m[(at + 1) & 0xFFFF] == 0x1F) return "RR A";
  return testing::Refusal(m, at);
}

TEST(FloatCode, EveryInstructionIsOneTheProcessorHas) {
  FloatRun f;
  std::vector<uint8_t> m(f.memory(), f.memory() + 65536);
  // Data tables: from a label ending in _data to the same label with _end.
  std::map<uint16_t, uint16_t> data;
  for (const auto& [name, at] : f.Symbols()) {
    if (name.size() > 5 && name.compare(name.size() - 5, 5, "_data") == 0) {
      data[at] = f.Symbol(name + "_end");
    }
  }
  uint32_t at = f.Symbol("float_start");
  const uint32_t end = f.Symbol("harness_end");
  int instructions = 0;
  for (char text[64]; at < end; ++instructions) {
    if (const auto d = data.find(static_cast<uint16_t>(at)); d != data.end()) {
      at = d->second;
      continue;
    }
    int t1 = 0, t2 = 0;
    const int length = z80ex_dasm(text, sizeof text, 0, &t1, &t2, ReadMemory,
                                  static_cast<Z80EX_WORD>(at), m.data());
    ASSERT_GT(length, 0) << std::hex << at;
    EXPECT_EQ(FloatRefusal(m, static_cast<uint16_t>(at)), "") << std::hex << at << ": " << text;
    at += static_cast<uint32_t>(length);
  }
  EXPECT_EQ(at, end) << "decoding out of step with the assembler";
  EXPECT_GT(instructions, 100);
}

// ---------------------------------------------------------------------------
// Load, store, move.

TEST(FloatMove, LoadStoreAndPushKeepTheNumber) {
  const double values[] = {0, 1, -1, 0.5, 10, 0.1, 1.70141e38, -2.93874e-39, 123456.7, -65535};
  for (double v : values) {
    FloatRun f;
    const Packed p = P(v);
    f.Put(0xD000, p);
    f.regs().HL = 0xD000;
    ASSERT_TRUE(f.Call("fldhl").returned);
    EXPECT_EQ(f.FacPacked(), p) << v;
    EXPECT_EQ(f.memory()[f.Symbol("FAC")], 0) << "guard";
    f.regs().HL = 0xD010;
    const FloatCall st = f.Call("fsthl");
    ASSERT_TRUE(st.returned);
    EXPECT_EQ(f.Get(0xD010), p) << v;
    EXPECT_TRUE(st.keptDE && st.keptIY);

    const FloatCall push = f.Call("fpush");
    ASSERT_TRUE(push.returned);
    EXPECT_EQ(push.sp, FloatRun::kStack - 4);
    EXPECT_EQ(f.Get(FloatRun::kStack - 4), p) << "on the stack as in a variable";
    const FloatCall pop = f.Call("harness_pushpop");
    ASSERT_TRUE(pop.returned);
    EXPECT_EQ(pop.sp, FloatRun::kStack);
    EXPECT_EQ(f.ArgPacked(), p);
    EXPECT_EQ(f.FacPacked(), P(0));

    f.Put(0xD020, P(-v));
    f.regs().HL = 0xD020;
    ASSERT_TRUE(f.Call("fldarg").returned);
    EXPECT_EQ(f.ArgPacked(), P(-v));
    ASSERT_TRUE(f.Call("fmovfa").returned);
    EXPECT_EQ(f.FacPacked(), P(-v));
  }
}

TEST(FloatMove, StoreRoundsAndWritesZeroAsFourZeros) {
  struct Row {
    testing::Unpacked fac;
    Packed stored;
    FloatError error;
  };
  const Row rows[] = {
      {{0x7F, 0, 0, 0x80, 0x81, 0}, P(1), FloatError::kNone},             // below half
      {{0x80, 0, 0, 0x80, 0x81, 0}, P(1), FloatError::kNone},             // tie, even
      {{0x80, 1, 0, 0x80, 0x81, 0}, {2, 0, 0, 0x81}, FloatError::kNone},  // tie, odd: up
      {{0x81, 0, 0, 0x80, 0x81, 0x80}, {1, 0, 0x80, 0x81}, FloatError::kNone},
      {{0x80, 0xFF, 0xFF, 0xFF, 0x81, 0}, P(2), FloatError::kNone},          // carry to exponent
      {{0x12, 0x34, 0x56, 0x78, 0, 0x80}, {0, 0, 0, 0}, FloatError::kNone},  // any zero
      {{0xC0, 0xFF, 0xFF, 0xFF, 0xFF, 0}, {}, FloatError::kOverflow},
  };
  for (const Row& r : rows) {
    FloatRun f;
    f.SetUnpacked("FAC", r.fac);
    f.Put(0xD000, {0x55, 0x55, 0x55, 0x55});
    f.regs().HL = 0xD000;
    const FloatCall c = f.Call("fsthl");
    EXPECT_EQ(c.error, r.error) << Hex(r.stored);
    if (r.error == FloatError::kNone) {
      EXPECT_EQ(f.Get(0xD000), r.stored);
    }
  }
}

}  // namespace
}  // namespace zorva
