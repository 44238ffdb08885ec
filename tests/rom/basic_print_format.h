// How Zorva BASIC prints a number, for tests to compare with: a space or a
// minus, at most 6 significant digits (rounded), no 0 before the point,
// trailing zeros and a trailing point dropped; E notation (two exponent
// digits) when the rounded value is 1E6 or more, or below .01.
//
//   EXPECT_EQ(BasicText(1.0 / 3), " .333333");
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace zorva::testing {

inline std::string BasicText(double v) {
  if (v == 0) return " 0";
  const std::string sign = v < 0 ? "-" : " ";
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.5e", std::fabs(v));  // d.ddddde±XX
  std::string digits = std::string(1, buffer[0]) + std::string(buffer + 2, 5);
  const int exponent = std::atoi(buffer + 8);
  const auto trimmed = [](std::string s) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
  };
  if (exponent >= 6 || exponent < -2) {
    char e[16];
    std::snprintf(e, sizeof e, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return sign + trimmed(digits.substr(0, 1) + "." + digits.substr(1)) + e;
  }
  if (exponent < 0) return sign + trimmed("." + std::string(-exponent - 1, '0') + digits);
  return sign + trimmed(digits.substr(0, exponent + 1) + "." + digits.substr(exponent + 1));
}

}  // namespace zorva::testing
