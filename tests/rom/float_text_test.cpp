// The text conversions of the floating-point package (rom/float_text.asm):
// fin against the C library's reading of the same text, rounded to 4 bytes,
// and fout against a C++ model of PRINT's number format worked from the exact
// value; fixed tables for the edges, seeded random values, and the
// instruction counts of the short whole numbers BASIC reads most.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "tests/rom/float_run.h"

namespace zorva {
namespace {

using testing::FloatCall;
using testing::FloatError;
using testing::FloatRun;
using testing::Pack;
using testing::Packed;
using testing::Unpack;

constexpr uint16_t kText = 0xD000;

Packed P(double x) {
  const auto p = Pack(x);
  if (!p) throw std::runtime_error("no 4-byte number for " + std::to_string(x));
  return *p;
}

struct FinResult {
  FloatCall call;
  Packed value;
  size_t used;  // characters DE moved past
};

FinResult Fin(FloatRun& f, const std::string& text) {
  f.PutText(kText, text);
  f.regs().DE = kText;
  f.regs().IY = 0x1234;
  FinResult r;
  r.call = f.Call("fin");
  r.value = f.FacPacked();
  r.used = static_cast<size_t>(f.regs().DE - kText);
  return r;
}

std::string Fout(FloatRun& f, const Packed& x, FloatCall* call = nullptr) {
  f.SetFac(x);
  f.regs().DE = 0x5A5A;
  f.regs().IY = 0x4321;
  const FloatCall c = f.Call("fout");
  if (call) *call = c;
  EXPECT_TRUE(c.returned);
  EXPECT_EQ(c.sp, FloatRun::kStack);
  EXPECT_TRUE(c.keptDE);
  EXPECT_TRUE(c.keptIY);
  EXPECT_EQ(f.regs().HL, f.Symbol("FOUTBUF"));
  return f.GetText(f.regs().HL, 17);
}

// PRINT's format from the exact value: 6 significant digits rounded half up,
// E notation when the rounded value is 1E6 or more or below .01. `nearTie`
// says whether the value lies within 2^-30 (relative) of a rounding boundary.
std::string PrintModel(double x, bool* nearTie = nullptr) {
  if (x == 0) return " 0";
  char buf[80];
  std::snprintf(buf, sizeof buf, "%.40e", std::fabs(x));  // exact for these values
  std::string all = std::string(1, buf[0]) + std::string(buf + 2, buf + 42);
  int e = std::atoi(std::strchr(buf, 'e') + 1);
  std::string d = all.substr(0, 6);
  const double rest = std::stod("0." + all.substr(6, 12));
  if (nearTie) *nearTie = std::fabs(rest - 0.5) < 1e6 * std::ldexp(1.0, -30);
  if (rest >= 0.5) {
    int i = 5;
    while (i >= 0 && d[i] == '9') d[i--] = '0';
    if (i < 0) {
      d = "100000";
      ++e;
    } else {
      ++d[i];
    }
  }
  size_t n = d.find_last_not_of('0') + 1;
  d.resize(n);
  std::string s = x < 0 ? "-" : " ";
  if (e >= 6 || e < -2) {
    s += d.substr(0, 1);
    if (n > 1) s += "." + d.substr(1);
    char ex[16];
    std::snprintf(ex, sizeof ex, "E%c%02d", e < 0 ? '-' : '+', std::abs(e));
    return s + ex;
  }
  if (e < 0) return s + "." + std::string(-e - 1, '0') + d;
  if (n <= size_t(e) + 1) return s + d + std::string(e + 1 - n, '0');
  return s + d.substr(0, e + 1) + "." + d.substr(e + 1);
}

// ---------------------------------------------------------------------------
// fin

TEST(FloatText, FinReadsLiterals) {
  struct Case {
    const char* text;
    size_t used;  // characters that belong to the number
  };
  const Case cases[] = {
      {"3", 1},
      {"3.25", 4},
      {".5", 2},
      {"1E6", 3},
      {"1e6", 3},
      {"1.5E-3", 6},
      {"1.5e+3", 6},
      {"123456789", 9},
      {"1E38", 4},
      {".1", 2},
      {"0.1", 3},
      {"-2.5", 4},
      {"+7", 2},
      {"10000", 5},
      {"65535", 5},
      {"65536", 5},
      {"0", 1},
      {".", 1},
      {"000000012", 9},
      {"1.", 2},
      {"2E", 1},
      {"2E+", 1},
      {"2E-x", 1},
      {"2Ex", 1},
      {"12,3", 2},
      {"1.2.3", 3},
      {"4 5", 1},
      {"99:", 2},
      {"42", 2},
      {"7.5", 3},
      {"64E1", 4},
      {"9e", 1},
      {"12\xC5", 2},
      {"1\xE5"
       "1",
       1},
      {"1E-40", 5},
      {"2.93874E-39", 11},
      {"99999", 5},
      {"065535", 6},
      {"65536.5", 7},
      {"1.70141E38", 10},
      {"1.70141178E38", 13},
      {"-1E-38", 6},
      {"3.40282E37", 10},
      {".000001", 7},
      {"1E-5", 4},
      {"0E99", 4},
      {"123456789012345678901234567890", 30},
      {"0.000000000000000000000000000001234", 35},
      {"16777217", 8},
      {"9999", 4},
      {"12345.678", 9},
      {"1E010", 5},
  };
  FloatRun f;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const FinResult r = Fin(f, c.text);
    ASSERT_TRUE(r.call.returned);
    EXPECT_EQ(r.call.sp, FloatRun::kStack);
    EXPECT_TRUE(r.call.keptIY);
    EXPECT_EQ(r.used, c.used);
    const double want = std::strtod(std::string(c.text, c.used).c_str(), nullptr);
    EXPECT_EQ(r.value, P(want)) << Unpack(r.value) << " for " << want;
    EXPECT_EQ(f.GetUnpacked("FAC")[0], 0) << "guard byte left";
  }
}

TEST(FloatText, FinOverflowAndUnderflow) {
  FloatRun f;
  for (const char* text :
       {"1E39", "-1E39", "1.8E38", "1.70141183E38", "1E99", "1E999999", "123456789E35"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Fin(f, text).call.error, FloatError::kOverflow);
  }
  for (const char* text : {"1E-40", "1E-99", "1E-9999", "-1E-45", "123456789E-60"}) {
    SCOPED_TRACE(text);
    const FinResult r = Fin(f, text);
    EXPECT_TRUE(r.call.returned);
    EXPECT_EQ(r.value, (Packed{0, 0, 0, 0}));
    EXPECT_EQ(f.GetUnpacked("FAC")[5], 0) << "zero has no sign";
  }
}

TEST(FloatText, FinRandomDecimals) {
  FloatRun f;
  std::mt19937 rng(31);
  int exact = 0, total = 0;
  for (int i = 0; i < 1500; ++i) {
    const int digits = 1 + int(rng() % 9);
    std::string m;
    for (int d = 0; d < digits; ++d) m += char('0' + rng() % 10);
    const int point = int(rng() % (digits + 1));
    m.insert(m.begin() + point, '.');
    const int e = int(rng() % 76) - 38;
    const std::string text = m + "E" + std::to_string(e);
    const double want = std::strtod(text.c_str(), nullptr);
    const auto w = Pack(want);
    if (!w || std::fabs(want) < 3e-39) continue;
    SCOPED_TRACE(text);
    const FinResult r = Fin(f, text);
    ASSERT_TRUE(r.call.returned);
    ASSERT_EQ(r.used, text.size());
    ++total;
    if (r.value == *w) {
      ++exact;
    } else {
      EXPECT_NEAR(Unpack(r.value), want, std::fabs(want) * std::ldexp(1.0, -23));
    }
  }
  EXPECT_GE(exact * 1000, total * 995) << exact << " of " << total << " correctly rounded";
}

TEST(FloatText, FinInstructionCounts) {
  FloatRun f;
  for (const char* text : {"1", "10", "99", "100", "255", "10000", "3.25", "1E6", "123456789"}) {
    const FinResult r = Fin(f, text);
    std::printf("fin(\"%s\"): %" PRIu64 " instructions\n", text, r.call.steps);
  }
  EXPECT_LE(Fin(f, "1").call.steps, 70u);
  EXPECT_LE(Fin(f, "99").call.steps, 80u);
  EXPECT_LE(Fin(f, "255").call.steps, 100u);
  EXPECT_LE(Fin(f, "10000").call.steps, 160u);
}

TEST(FloatText, FinLongTextsPollTheKeyboard) {
  FloatRun f;
  for (const std::string& text :
       {std::string(30, '7') + "." + std::string(220, '7'), "." + std::string(240, '0') + "1E200",
        std::string(240, '0') + "5", "1E" + std::string(240, '0') + "7",
        "1." + std::string(240, '3')}) {
    const FinResult r = Fin(f, text);
    ASSERT_TRUE(r.call.returned);
    EXPECT_EQ(r.used, text.size());
    EXPECT_EQ(r.value, P(std::strtod(text.c_str(), nullptr)));
    EXPECT_LT(r.call.maxPollGap, 4000u) << r.call.steps << " instructions";
  }
}

// ---------------------------------------------------------------------------
// fout

TEST(FloatText, FoutTable) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {0, " 0"},
      {1, " 1"},
      {-1, "-1"},
      {1.0 / 3, " .333333"},
      {-2.5, "-2.5"},
      {100, " 100"},
      {123456.7, " 123457"},
      {.01, " .01"},
      {1e6, " 1E+06"},
      {999999, " 999999"},
      {999999.5, " 1E+06"},
      {1234567, " 1.23457E+06"},
      {.001, " 1E-03"},
      {-1.5e-10, "-1.5E-10"},
      {std::ldexp(16777215.0, 103), " 1.70141E+38"},
      {std::ldexp(1.0, -128), " 2.93874E-39"},
      {.0123456789, " .0123457"},
      {.00999999, " 9.99999E-03"},
      {.1, " .1"},
      {.05, " .05"},
      {10, " 10"},
      {65535, " 65535"},
      {123456, " 123456"},
      {12.5, " 12.5"},
      {-0.75, "-.75"},
      {3.14159265, " 3.14159"},
      {1e10, " 1E+10"},
      {1e-10, " 1E-10"},
  };
  FloatRun f;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const Packed x = P(c.value);
    EXPECT_EQ(Fout(f, x), c.text);
    EXPECT_EQ(f.FacPacked(), x) << "FAC kept";
  }
}

TEST(FloatText, FoutRandomAgainstModel) {
  FloatRun f;
  std::mt19937 rng(7);
  int skipped = 0;
  uint64_t steps = 0, most = 0;
  const int count = 3000;
  for (int i = 0; i < count; ++i) {
    Packed x{uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), uint8_t(1 + rng() % 255)};
    if (i % 3 == 0) x[3] = uint8_t(110 + rng() % 50);  // the everyday range
    bool nearTie = false;
    const std::string want = PrintModel(Unpack(x), &nearTie);
    FloatCall c;
    const std::string got = Fout(f, x, &c);
    steps += c.steps;
    most = std::max(most, c.steps);
    if (nearTie) {
      ++skipped;
      continue;
    }
    EXPECT_EQ(got, want) << Unpack(x);
  }
  std::printf("fout: %.0f instructions on average, %" PRIu64 " at most; %d near ties skipped\n",
              double(steps) / count, most, skipped);
  EXPECT_LT(skipped, count / 50);
}

TEST(FloatText, PrintedTextReadsBack) {
  FloatRun f;
  std::mt19937 rng(11);
  int exact = 0;
  const int count = 1000;
  for (int i = 0; i < count; ++i) {
    const Packed x{uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), uint8_t(2 + rng() % 253)};
    const std::string text = Fout(f, x);
    SCOPED_TRACE(text);
    const FinResult r = Fin(f, text.substr(text[0] == ' ' ? 1 : 0));
    ASSERT_TRUE(r.call.returned);
    const double back = std::strtod(text.c_str(), nullptr);
    const auto want = Pack(back);
    ASSERT_TRUE(want);
    EXPECT_NEAR(Unpack(x), Unpack(r.value), std::fabs(Unpack(x)) * 6e-6);
    if (r.value == *want) ++exact;
  }
  EXPECT_GE(exact * 100, count * 99);
}

}  // namespace
}  // namespace zorva
