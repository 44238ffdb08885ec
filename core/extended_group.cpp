// The ED-prefixed instructions: input from the port that all of BC addresses,
// SBC HL,rr, 16-bit loads through memory, NEG, LD A,R as a random source and
// the block copies LDIR and LDDR. Everything else in the group is reported
// and skipped. Handlers run with PC on the 0xED prefix, so the sub-opcode is
// Operand(1) and a 16-bit operand starts at Operand(2).
#include <cstdlib>
#include <ctime>

#include "core/operands.h"

namespace zorva {
namespace {

using namespace flags;

using R = Z80Registers;
using PairField = uint16_t R::*;

// IN r,(C): the port index is the whole of BC. The keyboard puts each column's
// rows at (column select << 8) | 0xFF, and the ROM reads them with B = select.
template <int r>
void Input(Z80& z) {
  Put8<r>(z, z.portSpace[z.regs.BC]);
  z.Advance(2);
}
// OUT (C),B / OUT (C),A: no port is wired to them.
void OutputNowhere(Z80& z) { z.Advance(2); }

// SBC HL,rr
template <PairField rr>
void SubtractWithCarry(Z80& z) {
  const Result16 r = SubtractWords(z.regs.HL, z.regs.*rr, z.regs.F & C);
  z.regs.HL = r.value;
  z.regs.F = r.f;
  z.Advance(2);
}
// LD (nn),rr
template <PairField rr>
void StorePair(Z80& z) {
  z.WriteWord(z.OperandWord(2), z.regs.*rr);
  z.Advance(4);
}
// LD rr,(nn)
template <PairField rr>
void LoadPair(Z80& z) {
  z.regs.*rr = z.ReadWord(z.OperandWord(2));
  z.Advance(4);
}

// NEG
void NegateA(Z80& z) {
  const Result r = Negate(z.regs.A);
  z.regs.A = r.value;
  z.regs.F = r.f;
  z.Advance(2);
}

// LD A,R. There is no refresh counter; programs use R as a cheap random
// source, so A gets a fresh draw from a generator reseeded with the clock.
// Draws within the same second therefore repeat.
void LoadRandom(Z80& z) {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  z.regs.A = static_cast<uint8_t>(std::rand());
  z.Advance(2);
}

// LDIR / LDDR: the whole block in one step, a byte at a time in the Z80's
// order, so overlapping blocks repeat bytes as on the real chip. BC = 0
// copies nothing. Locals, because a store through memory could otherwise
// alias the registers and force a reload on every byte.
template <bool upwards>
void BlockCopy(Z80& z) {
  uint16_t hl = z.regs.HL, de = z.regs.DE, bc = z.regs.BC;
  for (; bc != 0; --bc) {
    z.memory[de] = z.memory[hl];
    if constexpr (upwards) {
      ++hl;
      ++de;
    } else {
      --hl;
      --de;
    }
  }
  z.regs.HL = hl;
  z.regs.DE = de;
  z.regs.BC = 0;
  z.Advance(2);
}

// Everything else: reported with the sub-opcode and its own address; any
// operand bytes a real Z80 would take run as opcodes on the next steps.
void Unhandled(Z80& z) {
  z.ReportUnhandled("Unhandled Z80 instruction (ED %2x) at %4x.", z.Operand(1),
                    static_cast<uint16_t>(z.regs.PC + 1));
  z.Advance(2);
}

// --- The table --------------------------------------------------------------

constexpr std::array<Handler, 256> BuildExtendedGroup() {
  std::array<Handler, 256> t{};
  t.fill(Unhandled);

  t[0x40] = Input<0>;                   // IN B,(C)
  t[0x41] = OutputNowhere;              // OUT (C),B
  t[0x42] = SubtractWithCarry<&R::BC>;  // SBC HL,BC
  t[0x43] = StorePair<&R::BC>;          // LD (nn),BC
  t[0x44] = NegateA;                    // NEG
  t[0x48] = Input<1>;                   // IN C,(C)
  t[0x4B] = LoadPair<&R::BC>;           // LD BC,(nn)
  t[0x50] = Input<2>;                   // IN D,(C)
  t[0x52] = SubtractWithCarry<&R::DE>;  // SBC HL,DE
  t[0x53] = StorePair<&R::DE>;          // LD (nn),DE
  t[0x58] = Input<3>;                   // IN E,(C)
  t[0x5B] = LoadPair<&R::DE>;           // LD DE,(nn)
  t[0x5F] = LoadRandom;                 // LD A,R
  t[0x60] = Input<4>;                   // IN H,(C)
  t[0x62] = SubtractWithCarry<&R::HL>;  // SBC HL,HL
  t[0x63] = StorePair<&R::HL>;          // LD (nn),HL
  t[0x68] = Input<5>;                   // IN L,(C)
  t[0x6B] = LoadPair<&R::HL>;           // LD HL,(nn)
  t[0x70] = Input<1>;                   // IN C,(C), like 0x48
  t[0x72] = SubtractWithCarry<&R::SP>;  // SBC HL,SP
  t[0x73] = StorePair<&R::SP>;          // LD (nn),SP
  t[0x78] = Input<7>;                   // IN A,(C)
  t[0x79] = OutputNowhere;              // OUT (C),A
  t[0x7B] = LoadPair<&R::SP>;           // LD SP,(nn)
  t[0xB0] = BlockCopy<true>;            // LDIR
  t[0xB8] = BlockCopy<false>;           // LDDR
  return t;
}

constexpr std::array<Handler, 256> kExtendedGroup = BuildExtendedGroup();

}  // namespace

void ExecuteExtendedGroup(Z80& z) { kExtendedGroup[z.Operand(1)](z); }

}  // namespace zorva
