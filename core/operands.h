// Compile-time operand selection shared by the instruction groups.
//
// An 8-bit operand is numbered as in the opcode bits: 0 B, 1 C, 2 D, 3 E,
// 4 H, 5 L, 6 (HL), 7 A. A condition is numbered 0 NZ, 1 Z, 2 NC, 3 C, 4 PO,
// 5 PE, 6 P, 7 M.
#pragma once

#include "core/flags.h"
#include "core/z80.h"

namespace zorva {

template <int r>
uint8_t Get8(const Z80& z) {
  static_assert(r >= 0 && r < 8);
  const Z80Registers& R = z.regs;
  if constexpr (r == 0) return Hi(R.BC);
  else if constexpr (r == 1) return Lo(R.BC);
  else if constexpr (r == 2) return Hi(R.DE);
  else if constexpr (r == 3) return Lo(R.DE);
  else if constexpr (r == 4) return Hi(R.HL);
  else if constexpr (r == 5) return Lo(R.HL);
  else if constexpr (r == 6) return z.Read(R.HL);
  else return R.A;
}

template <int r>
void Put8(Z80& z, uint8_t v) {
  static_assert(r >= 0 && r < 8);
  Z80Registers& R = z.regs;
  if constexpr (r == 0) SetHi(R.BC, v);
  else if constexpr (r == 1) SetLo(R.BC, v);
  else if constexpr (r == 2) SetHi(R.DE, v);
  else if constexpr (r == 3) SetLo(R.DE, v);
  else if constexpr (r == 4) SetHi(R.HL, v);
  else if constexpr (r == 5) SetLo(R.HL, v);
  else if constexpr (r == 6) z.Write(R.HL, v);
  else R.A = v;
}

template <int cc>
bool Condition(uint8_t f) {
  static_assert(cc >= 0 && cc < 8);
  constexpr uint8_t kMask[8] = {flags::Z,  flags::Z,  flags::C, flags::C,
                                flags::PV, flags::PV, flags::S, flags::S};
  const bool set = (f & kMask[cc]) != 0;
  return (cc & 1) ? set : !set;
}

}  // namespace zorva
