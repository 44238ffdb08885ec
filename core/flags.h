// The flag rules of this processor. They are deliberately not a real Z80's:
// H is set only by AND, CPL and the BIT tests, P/V is parity only after the
// logical group, and several operations leave flags alone that a Z80 would
// change. Every instruction group uses these functions, and the tests check
// them directly.
//
// Each rule takes the operands (and the old F where it survives) and returns
// the new value and flag byte; the caller stores them.
#pragma once

#include <cstdint>

namespace zorva::flags {

inline constexpr uint8_t S = 0x80;
inline constexpr uint8_t Z = 0x40;
inline constexpr uint8_t H = 0x10;
inline constexpr uint8_t PV = 0x04;
inline constexpr uint8_t N = 0x02;
inline constexpr uint8_t C = 0x01;

struct Result {
  uint8_t value;
  uint8_t f;
};

constexpr uint8_t ZeroSign(uint8_t v) { return (v == 0 ? Z : 0) | (v & 0x80 ? S : 0); }

// ADD A,s and ADC A,s: F is S, Z and C only. ADC A,n alone also copies C into
// P/V; the caller asks for that with setOverflowFromCarry.
constexpr Result Add(uint8_t a, uint8_t s, unsigned carryIn, bool setOverflowFromCarry = false) {
  const unsigned sum = a + s + carryIn;
  const auto v = static_cast<uint8_t>(sum);
  uint8_t f = ZeroSign(v);
  if (sum > 0xFF) f |= setOverflowFromCarry ? (C | PV) : C;
  return {v, f};
}

// SUB s and SBC A,s: N, then S, Z and C (borrow).
constexpr Result Sub(uint8_t a, uint8_t s, unsigned carryIn) {
  const int diff = a - s - static_cast<int>(carryIn);
  const auto v = static_cast<uint8_t>(diff);
  return {v, static_cast<uint8_t>(N | ZeroSign(v) | (diff < 0 ? C : 0))};
}

// CP has three rules, one per operand form. After CP r the S flag only means
// "A was below r"; CP (HL) also sets it when the difference is 0x80 or more;
// CP n raises P/V together with a borrow.
constexpr uint8_t CompareRegister(uint8_t a, uint8_t s) {
  const int diff = a - s;
  uint8_t f = diff < 0 ? (S | N | C) : N;
  if (diff == 0) f |= Z;
  return f;
}
constexpr uint8_t CompareMemory(uint8_t a, uint8_t s) {
  const int diff = a - s;
  uint8_t f = N;
  if (diff < 0) f |= S | C;
  if (diff == 0) f |= Z;
  if (diff > 0x7F) f |= S;
  return f;
}
constexpr uint8_t CompareImmediate(uint8_t a, uint8_t s) {
  const int diff = a - s;
  uint8_t f = diff < 0 ? (S | PV | N | C) : N;
  if (diff == 0) f |= Z;
  return f;
}

// AND, XOR, OR: P/V is the parity entry of the result (1 = even); AND alone sets H.
constexpr uint8_t Logic(uint8_t result, uint8_t parityEntry, bool isAnd) {
  return (isAnd ? H : 0) | (parityEntry ? PV : 0) | ZeroSign(result);
}

// 8-bit INC and DEC keep only the old C; P/V marks the step across 0x7F/0x80.
constexpr uint8_t Inc(uint8_t oldF, uint8_t x) {
  return (oldF & C) | ZeroSign(x) | (x == 0x80 ? PV : 0);
}
constexpr uint8_t Dec(uint8_t oldF, uint8_t x) {
  return (oldF & C) | N | ZeroSign(x) | (x == 0x7F ? PV : 0);
}

struct Result16 {
  uint16_t value;
  uint8_t f;
};

// AddWords (ADD HL,rr and ADD I,rr): N and C cleared, C from bit 16, the rest kept.
constexpr Result16 AddWords(uint8_t oldF, uint16_t a, uint16_t b) {
  const unsigned sum = a + b;
  return {static_cast<uint16_t>(sum), static_cast<uint8_t>((oldF & 0xFC) | (sum > 0xFFFF ? C : 0))};
}

// SBC HL,rr: F is N, Z and S only; the borrow never shows in C.
constexpr Result16 SubtractWords(uint16_t hl, uint16_t rr, unsigned carryIn) {
  const auto v = static_cast<uint16_t>(hl - rr - carryIn);
  return {v, static_cast<uint8_t>(N | (v == 0 ? Z : 0) | (v & 0x8000 ? S : 0))};
}

// NEG: C when A was not 0, then Z and S; H, P/V and N cleared.
constexpr Result Negate(uint8_t a) {
  const auto v = static_cast<uint8_t>(-a);
  return {v, static_cast<uint8_t>((a != 0 ? C : 0) | ZeroSign(v))};
}

// DAA corrects by 0x06 and/or 0x60 and only ever changes C among the flags.
constexpr Result Daa(uint8_t a, uint8_t f) {
  unsigned correction = 0;
  if ((f & H) || (a & 0x0F) > 9) correction |= 0x06;
  if ((f & C) || a > 0x9F) correction |= 0x60;
  if (a > 0x8F && (a & 0x0F) > 9) correction |= 0x60;
  const unsigned newC = a > 0x99 ? 1 : (f & C);
  const auto v = static_cast<uint8_t>((f & N) ? a - correction : a + correction);
  return {v, static_cast<uint8_t>((f & 0xFE) | newC)};
}

// Rotates of A and the CB rotates/SLA: S, Z and P/V kept, H, N and bits 5
// and 3 cleared, the bit shifted out into C.
constexpr uint8_t Rotate(uint8_t oldF, unsigned out) {
  return static_cast<uint8_t>((oldF & 0xC4) | out);
}

// SRA and SRL assign F whole: C from bit 0, Z from the result, and (SRA only) S.
constexpr uint8_t ShiftRight(uint8_t result, unsigned out, bool keepsSign) {
  return static_cast<uint8_t>(out | (result == 0 ? Z : 0) | (keepsSign && (result & 0x80) ? S : 0));
}

// BIT b,A, BIT b,(HL) and the indexed BIT: only C survives, H is set, Z when the bit is 0.
constexpr uint8_t BitTest(uint8_t oldF, bool bitSet) {
  return static_cast<uint8_t>((oldF & C) | H | (bitSet ? 0 : Z));
}
// BIT 0,B alone keeps everything but N and Z.
constexpr uint8_t BitTestKeeping(uint8_t oldF, bool bitSet) {
  return static_cast<uint8_t>((oldF & 0xBD) | H | (bitSet ? 0 : Z));
}

}  // namespace zorva::flags
