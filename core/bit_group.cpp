// The CB-prefixed instructions: a few rotates and shifts of single registers,
// BIT tests on A, B and (HL), and all of SET. Everything else in the group,
// RES included, is reported and skipped. Handlers run with PC on the 0xCB
// prefix, so the sub-opcode is Operand(1).
#include <utility>

#include "core/operands.h"

namespace zorva {
namespace {

using namespace flags;

enum ShiftKind { kRlc, kRrc, kRl, kRr, kSla, kSra, kSrl };

// RLC, RRC, RL, RR, SLA r: S, Z and P/V survive from before. SRA, SRL r:
// F is rebuilt from the result.
template <int kind, int r>
void Shift(Z80& z) {
  const uint8_t x = Get8<r>(z);
  const unsigned c = z.regs.F & C;
  const unsigned out = (kind == kRlc || kind == kRl || kind == kSla) ? x >> 7 : x & 1;
  unsigned v;
  if constexpr (kind == kRlc) v = x << 1 | x >> 7;
  else if constexpr (kind == kRrc) v = x >> 1 | x << 7;
  else if constexpr (kind == kRl) v = x << 1 | c;
  else if constexpr (kind == kRr) v = x >> 1 | c << 7;
  else if constexpr (kind == kSla) v = x << 1;
  else if constexpr (kind == kSra) v = (x & 0x80) | x >> 1;
  else v = x >> 1;
  const auto result = static_cast<uint8_t>(v);
  Put8<r>(z, result);
  if constexpr (kind == kSra || kind == kSrl) z.regs.F = ShiftRight(result, out, kind == kSra);
  else z.regs.F = Rotate(z.regs.F, out);
  z.Advance(2);
}

// RR A: not carried out here. PC stops on the 0x1F byte, so the next step
// runs that byte as the unprefixed RRA.
void LeaveForRra(Z80& z) { z.Advance(1); }

// BIT b,A / BIT 0,(HL) / BIT 7,(HL)
template <int bit, int r>
void TestBit(Z80& z) {
  z.regs.F = BitTest(z.regs.F, (Get8<r>(z) >> bit) & 1);
  z.Advance(2);
}
// BIT 0,B: unlike the other BIT forms it keeps S, P/V and the unused bits.
void TestBit0B(Z80& z) {
  z.regs.F = BitTestKeeping(z.regs.F, Hi(z.regs.BC) & 1);
  z.Advance(2);
}

// SET b,r / SET b,(HL): no flags.
template <int s>
void SetBit(Z80& z) {
  constexpr int r = s & 7;
  Put8<r>(z, static_cast<uint8_t>(Get8<r>(z) | 1 << ((s >> 3) & 7)));
  z.Advance(2);
}

// Everything else: reported with the sub-opcode and its own address, then
// both bytes are skipped.
void Unhandled(Z80& z) {
  z.ReportUnhandled("Unhandled Z80 instruction (CB %2x) at %4x.", z.Operand(1),
                    static_cast<uint16_t>(z.regs.PC + 1));
  z.Advance(2);
}

// --- The table --------------------------------------------------------------

template <size_t... I>
constexpr void FillSet(std::array<Handler, 256>& t, std::index_sequence<I...>) {
  ((t[0xC0 + I] = &SetBit<0xC0 + I>), ...);
}

constexpr std::array<Handler, 256> BuildBitGroup() {
  std::array<Handler, 256> t{};
  t.fill(Unhandled);

  t[0x00] = Shift<kRlc, 0>;  // RLC B
  t[0x08] = Shift<kRrc, 0>;  // RRC B
  t[0x0F] = Shift<kRrc, 7>;  // RRC A
  t[0x10] = Shift<kRl, 0>;   // RL B
  t[0x12] = Shift<kRl, 2>;   // RL D
  t[0x14] = Shift<kRl, 4>;   // RL H
  t[0x17] = Shift<kRl, 7>;   // RL A
  t[0x18] = Shift<kRr, 0>;   // RR B
  t[0x1F] = LeaveForRra;     // RR A (as RRA)
  t[0x21] = Shift<kSla, 1>;  // SLA C
  t[0x22] = Shift<kSla, 2>;  // SLA D
  t[0x23] = Shift<kSla, 3>;  // SLA E
  t[0x25] = Shift<kSla, 5>;  // SLA L
  t[0x27] = Shift<kSla, 7>;  // SLA A
  t[0x29] = Shift<kSra, 1>;  // SRA C
  t[0x3A] = Shift<kSrl, 2>;  // SRL D
  t[0x3F] = Shift<kSrl, 7>;  // SRL A

  t[0x40] = TestBit0B;      // BIT 0,B
  t[0x46] = TestBit<0, 6>;  // BIT 0,(HL)
  t[0x47] = TestBit<0, 7>;  // BIT 0,A
  t[0x4F] = TestBit<1, 7>;  // BIT 1,A
  t[0x57] = TestBit<2, 7>;  // BIT 2,A
  t[0x5F] = TestBit<3, 7>;  // BIT 3,A
  t[0x67] = TestBit<4, 7>;  // BIT 4,A
  t[0x6F] = TestBit<5, 7>;  // BIT 5,A
  t[0x77] = TestBit<6, 7>;  // BIT 6,A
  t[0x7E] = TestBit<7, 6>;  // BIT 7,(HL)
  t[0x7F] = TestBit<7, 7>;  // BIT 7,A

  // 0xC0-0xFF: SET b,r
  FillSet(t, std::make_index_sequence<0x40>());
  return t;
}

constexpr std::array<Handler, 256> kBitGroup = BuildBitGroup();

}  // namespace

void ExecuteBitGroup(Z80& z) { kBitGroup[z.Operand(1)](z); }

}  // namespace zorva
