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

// ---------------------------------------------------------------------------
// The four operations against double arithmetic on the same operands, rounded
// once to 24 bits (exact for + - *, and for / the double's 53 bits leave no
// doubt about a 24-bit rounding).

struct Op {
  const char* routine;
  double (*exact)(double arg, double fac);
};
const Op kAdd = {"fadd", [](double a, double b) { return a + b; }};
const Op kSub = {"fsub", [](double a, double b) { return a - b; }};
const Op kMul = {"fmul", [](double a, double b) { return a * b; }};
const Op kDiv = {"fdiv", [](double a, double b) { return a / b; }};

// What the routine should leave: a number, or an error.
struct Outcome {
  Packed value{};
  FloatError error = FloatError::kNone;
  bool operator==(const Outcome&) const = default;
};

std::string Show(const Outcome& o) {
  return o.error == FloatError::kNone ? Hex(o.value) : "error " + std::to_string(int(o.error));
}

Outcome Expected(const Op& op, const Packed& a, const Packed& b) {
  if (op.exact == kDiv.exact && b[3] == 0) return {{}, FloatError::kDivisionByZero};
  const auto p = Pack(op.exact(Unpack(a), Unpack(b)));
  if (!p) return {{}, FloatError::kOverflow};
  return {*p, FloatError::kNone};
}

Outcome Operate(FloatRun& f, const char* routine, const Packed& a, const Packed& b,
                FloatCall* call = nullptr) {
  f.SetArg(a);
  f.SetFac(b);
  f.regs().DE = 0x1234;
  f.regs().IY = 0x5678;
  const FloatCall c = f.Call(routine);
  if (call) *call = c;
  EXPECT_EQ(c.unhandled, 0u) << routine;
  if (c.error != FloatError::kNone) return {{}, c.error};
  EXPECT_TRUE(c.returned && c.keptDE && c.keptIY && c.sp == FloatRun::kStack) << routine;
  EXPECT_EQ(f.memory()[f.Symbol("FAC")], 0) << routine << ": guard left";
  if (f.FacPacked()[3] == 0) {
    EXPECT_EQ(f.memory()[f.Symbol("FAC_SGN")], 0) << "zero's sign";
  }
  return {f.FacPacked(), FloatError::kNone};
}

Packed Bits(uint32_t mantissa, int exponent, bool negative) {
  return {static_cast<uint8_t>(mantissa), static_cast<uint8_t>(mantissa >> 8),
          static_cast<uint8_t>(((mantissa >> 16) & 0x7F) | (negative ? 0x80 : 0)),
          static_cast<uint8_t>(exponent)};
}

// A random number with its exponent within `spread` of `centre`.
Packed Random(std::mt19937& rng, int centre, int spread) {
  std::uniform_int_distribution<int> e(std::max(1, centre - spread),
                                       std::min(255, centre + spread));
  // Mantissas with long runs of ones or zeros now and then: carries and ties.
  uint32_t m = rng();
  switch (rng() % 4) {
    case 0: m |= 0xFFFF00u >> (rng() % 16); break;
    case 1: m &= ~(0xFFFF00u >> (rng() % 16)); break;
    default: break;
  }
  return Bits(m, e(rng), rng() & 1);
}

TEST(FloatArithmetic, EdgeCases) {
  const double big = 1.70141173e38, tiny = 2.9387359e-39;
  const struct Row {
    const Op& op;
    double a, b;
  } rows[] = {
      {kAdd, 0, 0},
      {kAdd, 0, -3},
      {kAdd, 2.5, 0},
      {kAdd, 1, 1},
      {kAdd, 1, -1},
      {kAdd, -1, 1},
      {kAdd, 1, 2e-8},
      {kAdd, 1, 5.96046448e-8},
      {kAdd, 1, 5.9604648e-8},
      {kAdd, 3, 1e-30},
      {kAdd, -3, 1e-30},
      {kAdd, big, big},
      {kAdd, tiny, -tiny},
      {kAdd, 1e38, 1e38},
      {kAdd, 16777215, 1},
      {kAdd, 8388607.5, 0.5},
      {kAdd, 0.1, 0.2},
      {kAdd, 1e10, -1e10},
      {kAdd, 1.0000001, -1},
      {kAdd, 2, -1.9999999},
      {kSub, 1, 1},
      {kSub, 0, 0},
      {kSub, 0, 5},
      {kSub, 5, 0},
      {kSub, 1, 0.99999994},
      {kSub, 1, 5.96e-8},
      {kSub, 1, 1e-20},
      {kSub, -big, big},
      {kSub, 1.5, 1.25},
      {kSub, 100, 99.99},
      {kSub, 3 * tiny, 2 * tiny},
      {kMul, 0, 5},
      {kMul, 5, 0},
      {kMul, -2, 3},
      {kMul, -2, -3},
      {kMul, 0.1, 10},
      {kMul, 1e20, 1e20},
      {kMul, 1e-20, 1e-20},
      {kMul, big, 1},
      {kMul, big, 1.0000001},
      {kMul, tiny, 1},
      {kMul, tiny, 0.9999999},
      {kMul, 1.5, 1.5},
      {kMul, 16777215, 16777215},
      {kMul, 1 / 3.0, 3},
      {kMul, 4096, 4096},
      {kDiv, 1, 3},
      {kDiv, 2, 3},
      {kDiv, -7, 2},
      {kDiv, 7, -2},
      {kDiv, 0, 5},
      {kDiv, 5, 0},
      {kDiv, 0, 0},
      {kDiv, 1, 1},
      {kDiv, 16777215, 16777215},
      {kDiv, big, 0.5},
      {kDiv, tiny, 2},
      {kDiv, 1e38, 1e-38},
      {kDiv, 1e-38, 1e38},
      {kDiv, 10, 0.1},
      {kDiv, 1, 0.99999994},
      {kDiv, 0.99999994, 1},
  };
  FloatRun f;
  for (const Row& r : rows) {
    const Packed a = P(r.a), b = P(r.b);
    const Outcome want = Expected(r.op, a, b), got = Operate(f, r.op.routine, a, b);
    EXPECT_EQ(got, want) << r.op.routine << "(" << r.a << ", " << r.b << "): got " << Show(got)
                         << ", want " << Show(want);
  }
}

// Exact halfway cases: the sum lands on a tie that must go to the even
// neighbour, and one place further it must not.
TEST(FloatArithmetic, TiesRoundToEven) {
  FloatRun f;
  for (uint32_t m : {0x800000u, 0x800001u, 0xABCDEFu, 0xFFFFFEu, 0xFFFFFFu}) {
    const Packed a = Bits(m, 0x98, false);
    for (int shift = 1; shift <= 3; ++shift) {
      for (bool neg : {false, true}) {
        const Packed b =
            Bits(0x800000, 0x98 - 24 + 1 - shift + 1, neg);  // half an ulp, a quarter...
        for (const Op* op : {&kAdd, &kSub}) {
          EXPECT_EQ(Operate(f, op->routine, a, b), Expected(*op, a, b))
              << std::hex << m << " " << shift;
        }
      }
    }
  }
}

struct Stats {
  uint64_t calls = 0, steps = 0, most = 0;
  void Add(uint64_t s) { ++calls, steps += s, most = std::max(most, s); }
};

void RandomRun(const Op& op, int spread, int count, uint32_t seed) {
  std::mt19937 rng(seed);
  FloatRun f;
  Stats stats;
  int wrong = 0;
  for (int i = 0; i < count; ++i) {
    const int centre = spread > 100 ? 128 : 100 + static_cast<int>(rng() % 56);
    const Packed a = Random(rng, centre, spread), b = Random(rng, centre, spread);
    FloatCall call;
    const Outcome got = Operate(f, op.routine, a, b, &call), want = Expected(op, a, b);
    if (got.error == FloatError::kNone) stats.Add(call.steps);
    if (got != want && ++wrong <= 10) {
      ADD_FAILURE() << op.routine << "(" << Hex(a) << ", " << Hex(b) << ") = " << Show(got)
                    << ", want " << Show(want);
    }
  }
  EXPECT_EQ(wrong, 0);
  std::printf("%-6s spread %3d: %d calls, %.0f instructions on average, %" PRIu64 " at most\n",
              op.routine, spread, count, double(stats.steps) / std::max<uint64_t>(1, stats.calls),
              stats.most);
}

TEST(FloatArithmetic, RandomAgainstDouble) {
  for (const Op* op : {&kAdd, &kSub, &kMul, &kDiv}) {
    RandomRun(*op, 3, 3000, 1);    // close exponents: cancellation, carries
    RandomRun(*op, 20, 3000, 2);   // alignment shifts of every length
    RandomRun(*op, 200, 3000, 3);  // whole range: overflow, underflow
  }
}

// The unrounded variants keep 32 bits: within a couple of units of 2^-32 of
// the exact result.
TEST(FloatArithmetic, UnroundedVariantsKeepTheGuardByte) {
  std::mt19937 rng(7);
  FloatRun f;
  const Op* ops[] = {&kAdd, &kSub, &kMul, &kDiv};
  const char* names[] = {"faddx", "fsubx", "fmulx", "fdivx"};
  for (int k = 0; k < 4; ++k) {
    double worst = 0;
    for (int i = 0; i < 2000; ++i) {
      const Packed a = Random(rng, 128, 10);
      testing::Unpacked b = testing::Unpack6(Random(rng, 128, 10));
      // fadd and fmul use FAC's guard byte; fdiv's operands are 24 bits.
      if (k != 3) b[0] = static_cast<uint8_t>(rng());
      f.SetArg(a);
      f.SetUnpacked("FAC", b);
      const double exact = ops[k]->exact(Unpack(a), testing::UnpackedValue(b));
      const FloatCall c = f.Call(names[k]);
      ASSERT_TRUE(c.returned) << names[k];
      const double got = f.FacValue();
      if (exact == 0) {
        EXPECT_EQ(got, 0);
        continue;
      }
      // A sum is judged against its larger operand: bits below the 32-bit
      // window of that one are gone before any cancellation.
      const double scale =
          k < 2 ? std::max(std::fabs(Unpack(a)), std::fabs(testing::UnpackedValue(b))) : exact;
      const double error = std::fabs(got - exact) / std::fabs(scale) * std::ldexp(1.0, 32);
      worst = std::max(worst, error);
      EXPECT_LT(error, 2.5) << names[k] << " " << Hex(a) << " " << exact << " " << got;
    }
    std::printf("%s: worst error %.2f units of 2^-32\n", names[k], worst);
  }
}

// ---------------------------------------------------------------------------
// Comparison, INT and whole numbers.

TEST(FloatWhole, CompareIntAndConversions) {
  FloatRun f;
  const double values[] = {0,        1,     -1,    0.5,         -0.5,      2.5,    -2.5,
                           3,        -3,    1e-30, 1e30,        32767,     -32768, 32767.9,
                           -32768.9, 65535, 65536, -0.99999994, 8388607.5, 1.5e7};
  for (double a : values) {
    for (double b : values) {
      f.SetArg(P(a));
      f.SetFac(P(b));
      ASSERT_TRUE(f.Call("fcmp").returned);
      const double x = Unpack(P(a)), y = Unpack(P(b));
      EXPECT_EQ(f.regs().A, x < y ? 1 : x == y ? 2 : 4) << a << " vs " << b;
    }
    f.SetFac(P(a));
    ASSERT_TRUE(f.Call("fint").returned);
    EXPECT_EQ(f.FacPacked(), P(std::floor(Unpack(P(a))))) << "INT " << a;

    const double t = std::trunc(Unpack(P(a)));
    f.SetFac(P(a));
    const FloatCall c = f.Call("facint");
    if (t >= -32768 && t <= 32767) {
      ASSERT_TRUE(c.returned) << a;
      EXPECT_EQ(static_cast<int16_t>(f.regs().HL), t) << a;
    } else {
      EXPECT_EQ(c.error, FloatError::kIllegal) << a;
    }
    f.SetFac(P(a));
    const FloatCall d = f.Call("facaddr");
    if (t >= -32768 && t <= 65535) {
      ASSERT_TRUE(d.returned) << a;
      EXPECT_EQ(f.regs().HL, static_cast<uint16_t>(static_cast<int32_t>(t))) << a;
    } else {
      EXPECT_EQ(d.error, FloatError::kIllegal) << a;
    }
  }
  for (int v : {0, 1, -1, 2, 7, 10, 100, 255, 256, 1000, 10000, 32767, -32768, -12345}) {
    f.regs().HL = static_cast<uint16_t>(v);
    const FloatCall c = f.Call("fltint");
    ASSERT_TRUE(c.returned);
    EXPECT_EQ(f.FacPacked(), P(v)) << v;
    f.regs().HL = static_cast<uint16_t>(v);
    ASSERT_TRUE(f.Call("fltuns").returned);
    EXPECT_EQ(f.FacPacked(), P(static_cast<uint16_t>(v))) << v;
    if (v == 1 || v == 10000) std::printf("fltint(%d): %" PRIu64 " instructions\n", v, c.steps);
  }
  f.SetFac(P(1));
  std::printf("facint(1): %" PRIu64 " instructions\n", f.Call("facint").steps);
}

// The sign operations and the constant setters, on FAC with a stray guard
// byte: the result is the 4-byte number and a clean guard, zero unsigned.
TEST(FloatWhole, SignOperationsAndConstants) {
  FloatRun f;
  for (double v : {0.0, 1.0, -1.0, 0.5, -2.5, 1e30, -1e-30}) {
    const struct {
      const char* routine;
      double want;
      bool fresh;  // a new number: guard 0, and only A may change
    } rows[] = {{"fsgn", double((v > 0) - (v < 0)), true},
                {"fneg", -v, false},
                {"fabs", std::fabs(v), false},
                {"fone", 1, true},
                {"fzero", 0, true}};
    for (const auto& r : rows) {
      testing::Unpacked u = testing::Unpack6(P(v));
      if (v != 0) u[0] = 0x5A;
      f.SetUnpacked("FAC", u);
      f.regs().HL = 0x2468;
      f.regs().BC = 0x1357;
      const FloatCall c = f.Call(r.routine);
      ASSERT_TRUE(c.returned && c.keptDE) << r.routine;
      EXPECT_EQ(f.FacPacked(), P(r.want)) << r.routine << " " << v;
      if (r.want == 0) {
        EXPECT_EQ(f.memory()[f.Symbol("FAC_SGN")], 0) << r.routine << " " << v;
      }
      if (r.fresh) {
        EXPECT_EQ(f.memory()[f.Symbol("FAC")], 0) << r.routine << " " << v;
        EXPECT_EQ(f.regs().HL, 0x2468) << r.routine;
        EXPECT_EQ(f.regs().BC, 0x1357) << r.routine;
      }
    }
  }
  for (int v : {0, 1, 2, 128, 255}) {
    f.regs().A = static_cast<uint8_t>(v);
    ASSERT_TRUE(f.Call("fltbyte").returned);
    EXPECT_EQ(f.FacPacked(), P(v)) << "fltbyte " << v;
  }
}

}  // namespace
}  // namespace zorva
