// The floating-point package of our ROM (rom/float*.asm) on a test processor:
// the driver tests/rom/float_harness.asm, assembled on its own at 4000h, is
// loaded into memory filled with HALTs, and a routine is called by its symbol
// with a return address that points at a HALT. Also the 4-byte number format
// in C++, to build operands and judge results.
//
//   FloatRun f;
//   f.SetArg(Pack(1.5).value());
//   f.SetFac(Pack(2.25).value());
//   const FloatCall c = f.Call("fadd");
//   EXPECT_TRUE(c.returned);
//   EXPECT_EQ(f.FacPacked(), Pack(3.75).value());
//
// Needs the compile definitions FLOAT_HARNESS_IMAGE and FLOAT_HARNESS_SYMBOLS
// (the paths of the assembled driver and its pasmo symbol file).
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

#include "tests/support/test_cpu.h"

namespace zorva::testing {

// Packed: mantissa bits 7..0, 15..8, sign and bits 22..16, biased exponent.
using Packed = std::array<uint8_t, 4>;
// FAC or ARG: guard, mantissa bits 7..0, 15..8, 23..16, exponent, sign.
using Unpacked = std::array<uint8_t, 6>;

// What an error entry of the harness records.
enum class FloatError : uint8_t { kNone = 0, kOverflow = 1, kDivisionByZero = 2, kIllegal = 3 };

// x rounded to 24 bits (to nearest, ties to even) in our format. Magnitudes
// below the smallest normal (2^-128) give 0 before any rounding, as the
// package's underflow does; nothing when the rounded value is 2^127 or more.
inline std::optional<Packed> Pack(double x) {
  if (x == 0 || std::isnan(x)) return Packed{0, 0, 0, 0};
  if (std::isinf(x)) return std::nullopt;
  int e = 0;
  const double f = std::frexp(std::fabs(x), &e);  // |x| = f * 2^e, f in [0.5, 1)
  if (e + 128 < 1) return Packed{0, 0, 0, 0};
  double m = std::nearbyint(std::ldexp(f, 24));
  if (m >= 16777216.0) m /= 2, ++e;
  if (e + 128 > 255) return std::nullopt;
  const auto bits = static_cast<uint32_t>(m);
  return Packed{static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                static_cast<uint8_t>(((bits >> 16) & 0x7F) | (x < 0 ? 0x80 : 0)),
                static_cast<uint8_t>(e + 128)};
}

// The exact value of a packed number.
inline double Unpack(const Packed& p) {
  if (p[3] == 0) return 0;
  const uint32_t m = p[0] | p[1] << 8 | (p[2] | 0x80) << 16;
  const double v = std::ldexp(static_cast<double>(m), p[3] - 128 - 24);
  return p[2] & 0x80 ? -v : v;
}

// The exact value of FAC or ARG, the guard byte included.
inline double UnpackedValue(const Unpacked& u) {
  if (u[4] == 0) return 0;
  const uint32_t m = u[0] | u[1] << 8 | u[2] << 16 | static_cast<uint32_t>(u[3]) << 24;
  const double v = std::ldexp(static_cast<double>(m), u[4] - 128 - 32);
  return u[5] & 0x80 ? -v : v;
}

inline Unpacked Unpack6(const Packed& p) {
  if (p[3] == 0) return Unpacked{};
  return Unpacked{
      0, p[0], p[1], static_cast<uint8_t>(p[2] | 0x80), p[3], static_cast<uint8_t>(p[2] & 0x80)};
}

// How a call ended.
struct FloatCall {
  bool returned = false;  // back at the return address with no error
  FloatError error = FloatError::kNone;
  uint64_t steps = 0;   // instructions executed, the final RET included
  uint16_t sp = 0;      // SP at the end (kStack when the stack is balanced)
  bool keptDE = false;  // DE and IY as before the call
  bool keptIY = false;
  uint64_t polls = 0;       // calls of kpoll
  uint64_t maxPollGap = 0;  // most instructions without a kpoll call
  size_t unhandled = 0;     // instructions the processor reported it lacks
};

class FloatRun {
 public:
  static constexpr uint16_t kOrigin = 0x4000;
  static constexpr uint16_t kStack = 0xF000;

  FloatRun() : t_(std::make_unique<TestCpu>()) {
    t_->memory.fill(0x76);  // HALT: a wild jump stops the run
    const std::string image = Read(FLOAT_HARNESS_IMAGE);
    if (image.empty() || image.size() > 0xA000) throw std::runtime_error("no float harness image");
    std::copy(image.begin(), image.end(), t_->memory.begin() + kOrigin);
    std::istringstream in(Read(FLOAT_HARNESS_SYMBOLS));
    for (std::string symbol, equ, value; in >> symbol >> equ >> value;) {
      symbols_[symbol] = static_cast<uint16_t>(std::stoul(value, nullptr, 16));
    }
  }

  uint16_t Symbol(const std::string& name) const {
    const auto it = symbols_.find(name);
    if (it == symbols_.end()) throw std::runtime_error("no symbol " + name);
    return it->second;
  }
  bool Has(const std::string& name) const { return symbols_.count(name) != 0; }
  const std::map<std::string, uint16_t>& Symbols() const { return symbols_; }

  // Calls `routine` with the registers as they are in regs() (SP and PC are
  // set here) and runs until a HALT or `limit` instructions.
  FloatCall Call(const std::string& routine, uint64_t limit = 1'000'000) {
    Z80Registers& r = t_->regs;
    const uint16_t done = Symbol("harness_done"), poll = Symbol("kpoll");
    const uint16_t errorAt = Symbol("harness_error"), pollsAt = Symbol("harness_polls");
    t_->memory[errorAt] = 0;
    t_->memory[pollsAt] = t_->memory[pollsAt + 1] = 0;
    const uint16_t de = r.DE, iy = r.IY;
    const size_t reports = t_->links.reports.size();
    r.SP = kStack;
    t_->cpu.Push(done);
    r.PC = Symbol(routine);
    FloatCall c;
    uint64_t lastPoll = 0;
    while (c.steps < limit && t_->memory[r.PC] != 0x76) {
      if (r.PC == poll) {
        c.maxPollGap = std::max(c.maxPollGap, c.steps - lastPoll);
        lastPoll = c.steps;
      }
      t_->cpu.Step();
      ++c.steps;
    }
    c.maxPollGap = std::max(c.maxPollGap, c.steps - lastPoll);
    c.error = static_cast<FloatError>(t_->memory[errorAt]);
    c.returned = r.PC == done && c.error == FloatError::kNone;
    c.sp = r.SP;
    c.keptDE = r.DE == de;
    c.keptIY = r.IY == iy;
    c.polls = t_->memory[pollsAt] | t_->memory[pollsAt + 1] << 8;
    c.unhandled = t_->links.reports.size() - reports;
    return c;
  }

  Z80Registers& regs() { return t_->regs; }
  uint8_t* memory() { return t_->memory.data(); }

  void Put(uint16_t at, const Packed& p) { std::copy(p.begin(), p.end(), memory() + at); }
  Packed Get(uint16_t at) const {
    Packed p;
    std::copy(t_->memory.begin() + at, t_->memory.begin() + at + 4, p.begin());
    return p;
  }
  void PutText(uint16_t at, const std::string& text) {
    std::copy(text.begin(), text.end(), memory() + at);
    memory()[at + text.size()] = 0;
  }
  std::string GetText(uint16_t at, size_t most = 64) const {
    std::string s;
    while (s.size() < most && t_->memory[at + s.size()] != 0) s += char(t_->memory[at + s.size()]);
    return s;
  }

  // FAC and ARG in their unpacked form.
  void SetUnpacked(const std::string& name, const Unpacked& u) {
    std::copy(u.begin(), u.end(), memory() + Symbol(name));
  }
  Unpacked GetUnpacked(const std::string& name) const {
    Unpacked u;
    const auto from = t_->memory.begin() + Symbol(name);
    std::copy(from, from + 6, u.begin());
    return u;
  }
  void SetFac(const Packed& p) { SetUnpacked("FAC", Unpack6(p)); }
  void SetArg(const Packed& p) { SetUnpacked("ARG", Unpack6(p)); }
  // FAC's 24-bit value in packed form (the guard byte left out).
  Packed FacPacked() const { return Packed6("FAC"); }
  Packed ArgPacked() const { return Packed6("ARG"); }
  double FacValue() const { return UnpackedValue(GetUnpacked("FAC")); }

 private:
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  Packed Packed6(const std::string& name) const {
    const Unpacked u = GetUnpacked(name);
    if (u[4] == 0) return Packed{0, 0, 0, 0};
    return Packed{u[1], u[2], static_cast<uint8_t>((u[3] & 0x7F) | (u[5] & 0x80)), u[4]};
  }

  std::unique_ptr<TestCpu> t_;
  std::map<std::string, uint16_t> symbols_;
};

}  // namespace zorva::testing
