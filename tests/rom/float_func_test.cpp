// The elementary functions of the floating-point package (rom/float_func.asm)
// on the test driver (float_run.h): each function over a table of arguments
// against the C library's double result for the same 4-byte argument, judged
// as BASIC prints (6 significant digits); errors, exact powers, RND's rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/rom/float_run.h"

namespace zorva {
namespace {

using testing::FloatCall;
using testing::FloatError;
using testing::FloatRun;
using testing::Pack;
using testing::Unpack;

std::string Six(double v) {
  char s[32];
  std::snprintf(s, sizeof s, "%.5e", v);
  return s;
}

struct Fn {
  const char* routine;
  double (*ref)(double);
  std::vector<double> args;
};

TEST(FloatFunc, AgreeWithTheCLibraryToSixDigits) {
  std::vector<double> trig = {1e-6, 0.001,   0.5, 0.785398, 1,    1.5708,  2,    3.14159,
                              4,    6.28318, 10,  100,      1000, 12345.6, 99999};
  const std::vector<Fn> fns = {
      {"fsqr",
       [](double x) { return std::sqrt(x); },
       {1e-30, 1e-5, 0.25, 0.5, 2, 3, 10, 1e6, 123456, 1.7e38}},
      {"fsin", [](double x) { return std::sin(x); }, trig},
      {"fcos", [](double x) { return std::cos(x); }, trig},
      {"ftan", [](double x) { return std::tan(x); }, trig},
      {"fatn",
       [](double x) { return std::atan(x); },
       {1e-8, 0.1, 0.4, 0.5, 1, 2, 3, 10, 1e5, 1e30}},
      {"flog",
       [](double x) { return std::log(x); },
       {1e-38, 0.5, 0.9999, 1.0001, 2, 2.71828, 10, 1e10, 1e38}},
      {"fexp", [](double x) { return std::exp(x); }, {-88, -10, -1, -1e-5, 1e-5, 0.5, 1, 10, 88}},
  };
  for (const Fn& fn : fns) {
    int rows = 0, off = 0;
    for (double a0 : fn.args) {
      for (double a : {a0, -a0}) {
        const double ref = fn.ref(Unpack(*Pack(a)));
        if (std::isnan(ref)) continue;
        FloatRun f;
        f.SetFac(*Pack(a));
        const FloatCall c = f.Call(fn.routine);
        ++rows;
        if (!c.returned || Six(Unpack(f.FacPacked())) != Six(ref)) {
          ++off;
          std::printf("%s(%.8g): %s want %s returned %d steps %llu\n", fn.routine, a,
                      Six(Unpack(f.FacPacked())).c_str(), Six(ref).c_str(), c.returned,
                      static_cast<unsigned long long>(c.steps));
        }
        EXPECT_TRUE(c.returned) << fn.routine << " " << a;
        // Never more than one in the sixth digit.
        const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(ref))) - 5);
        EXPECT_LE(std::fabs(Unpack(f.FacPacked()) - ref), 1.5 * unit) << fn.routine << " " << a;
        EXPECT_LT(c.maxPollGap, 4000u) << fn.routine << " " << a;
        EXPECT_TRUE(c.keptDE && c.keptIY) << fn.routine;
      }
    }
    std::printf("%s: %d rows, %d off\n", fn.routine, rows, off);
  }
}

// Whole exponents are exact; the rest within the sixth digit; the errors.
TEST(FloatFunc, PowerExactAndErrors) {
  struct Row {
    double x, y, want;
    FloatError error;
  };
  const Row rows[] = {
      {2, 10, 1024, FloatError::kNone},   {10, 3, 1000, FloatError::kNone},
      {-2, 3, -8, FloatError::kNone},     {2, -1, 0.5, FloatError::kNone},
      {3, 0, 1, FloatError::kNone},       {0, 0, 1, FloatError::kNone},
      {0, 2.5, 0, FloatError::kNone},     {0, -1, 0, FloatError::kDivisionByZero},
      {-2, 0.5, 0, FloatError::kIllegal}, {-2, 200, std::pow(2.0, 200), FloatError::kOverflow},
  };
  for (const Row& r : rows) {
    FloatRun f;
    f.SetArg(*Pack(r.x));
    f.SetFac(*Pack(r.y));
    const FloatCall c = f.Call("fpow");
    EXPECT_EQ(c.error, r.error) << r.x << "^" << r.y;
    if (r.error == FloatError::kNone) {
      const double want = Unpack(*Pack(r.want)), got = Unpack(f.FacPacked());
      EXPECT_LE(std::fabs(got - want), std::fabs(want) * 2e-7) << r.x << "^" << r.y;
      if (r.want == std::floor(r.want) && std::fabs(r.want) < 1e6) {
        EXPECT_EQ(got, want);
      }
    }
  }
}

// RND: [0,1), RND(0) repeats, a negative argument restarts its own sequence.
TEST(FloatFunc, RndSequences) {
  FloatRun f;
  ASSERT_TRUE(f.Call("frndinit").returned);
  auto next = [&](double arg) {
    f.SetFac(*Pack(arg));
    EXPECT_TRUE(f.Call("frnd").returned);
    return Unpack(f.FacPacked());
  };
  double sum = 0;
  int buckets[10] = {};
  for (int i = 0; i < 2000; ++i) {
    const double r = next(1);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 1);
    sum += r;
    ++buckets[static_cast<int>(r * 10)];
    if (i % 100 == 0) {
      EXPECT_EQ(next(0), r);
    }
  }
  EXPECT_NEAR(sum / 2000, 0.5, 0.03);
  for (int b : buckets) EXPECT_NEAR(b, 200, 60);
  const double a1 = next(-3), a2 = next(1);
  next(1);
  EXPECT_EQ(next(-3), a1);
  EXPECT_EQ(next(1), a2);
  EXPECT_NE(next(-4), a1);
  // Mixing in what would cancel the state still leaves a working generator.
  ASSERT_TRUE(f.Call("frndinit").returned);
  const uint16_t seed = f.Symbol("FF_SEED");
  f.memory()[seed + 2] = f.memory()[seed + 3] = 0;
  f.regs().HL = f.memory()[seed] | f.memory()[seed + 1] << 8;
  ASSERT_TRUE(f.Call("frndmix").returned);
  EXPECT_NE(next(1), next(1));
}

}  // namespace
}  // namespace zorva
