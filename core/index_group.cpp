// The DD- and FD-prefixed instructions: the same set of loads, arithmetic,
// stack operations and indexed bit operations on IX and on IY. One table,
// templated on the index register, serves both prefixes. Handlers run with PC
// on the prefix, so the sub-opcode is Operand(1) and a displacement or the
// low byte of nn is Operand(2).
#include "core/operands.h"

namespace zorva {
namespace {

using namespace flags;

// Which index register a group works on: &Z80Registers::IX or ::IY.
using Index = uint16_t Z80Registers::*;
constexpr Index kIX = &Z80Registers::IX;

// (I+d): the displacement is signed and the sum wraps at 16 bits.
template <Index I>
uint16_t Effective(const Z80& z) {
  return static_cast<uint16_t>(z.regs.*I + static_cast<int8_t>(z.Operand(2)));
}

// --- 16-bit operations on the index register --------------------------------

// ADD I,BC / ADD I,DE
template <Index I, uint16_t Z80Registers::*rr>
void AddToIndex(Z80& z) {
  const Result16 r = AddWords(z.regs.F, z.regs.*I, z.regs.*rr);
  z.regs.*I = r.value;
  z.regs.F = r.f;
  z.Advance(2);
}
// LD I,nn
template <Index I>
void LoadImmediate(Z80& z) {
  z.regs.*I = z.OperandWord(2);
  z.Advance(4);
}
// LD (nn),I
template <Index I>
void StoreDirect(Z80& z) {
  z.WriteWord(z.OperandWord(2), z.regs.*I);
  z.Advance(4);
}
// LD I,(nn)
template <Index I>
void LoadDirect(Z80& z) {
  z.regs.*I = z.ReadWord(z.OperandWord(2));
  z.Advance(4);
}
// INC I
template <Index I>
void IncrementIndex(Z80& z) {
  ++(z.regs.*I);
  z.Advance(2);
}
// DEC I
template <Index I>
void DecrementIndex(Z80& z) {
  --(z.regs.*I);
  z.Advance(2);
}
// PUSH I
template <Index I>
void PushIndex(Z80& z) {
  z.Push(z.regs.*I);
  z.Advance(2);
}
// POP I
template <Index I>
void PopIndex(Z80& z) {
  z.regs.*I = z.Pop();
  z.Advance(2);
}
// JP (I). Both prefixes write the same "(IX)" branch line; only the value
// differs.
template <Index I>
void JumpIndex(Z80& z) {
  z.regs.PC = z.regs.*I;
  if (z.traceBranches) [[unlikely]]
    z.TraceBranch("JMP (IX) %4x\r\n", z.regs.PC);
}

// --- The indexed byte ---------------------------------------------------------

// INC (I+d)
template <Index I>
void IncrementIndexed(Z80& z) {
  const uint16_t ea = Effective<I>(z);
  const auto x = static_cast<uint8_t>(z.Read(ea) + 1);
  z.Write(ea, x);
  z.regs.F = Inc(z.regs.F, x);
  z.Advance(3);
}
// DEC (I+d)
template <Index I>
void DecrementIndexed(Z80& z) {
  const uint16_t ea = Effective<I>(z);
  const auto x = static_cast<uint8_t>(z.Read(ea) - 1);
  z.Write(ea, x);
  z.regs.F = Dec(z.regs.F, x);
  z.Advance(3);
}
// LD (I+d),n
template <Index I>
void StoreImmediateIndexed(Z80& z) {
  z.Write(Effective<I>(z), z.Operand(3));
  z.Advance(4);
}
// LD r,(I+d)
template <Index I, int r>
void LoadIndexed(Z80& z) {
  Put8<r>(z, z.Read(Effective<I>(z)));
  z.Advance(3);
}
// LD (I+d),r
template <Index I, int r>
void StoreIndexed(Z80& z) {
  z.Write(Effective<I>(z), Get8<r>(z));
  z.Advance(3);
}

enum Alu { kAdd, kAdc, kSub, kXor, kOr, kCp };

// ADD/ADC/SUB/XOR/OR/CP (I+d), by the same rules as the (HL) forms.
template <Index I, int op>
void AccumulateIndexed(Z80& z) {
  Z80Registers& R = z.regs;
  const uint8_t m = z.Read(Effective<I>(z));
  if constexpr (op == kCp) {
    R.F = CompareMemory(R.A, m);
  } else if constexpr (op == kXor || op == kOr) {
    R.A = op == kXor ? (R.A ^ m) : (R.A | m);
    R.F = Logic(R.A, z.parityTable[R.A], false);
  } else {
    const Result r = op == kSub ? Sub(R.A, m, 0) : flags::Add(R.A, m, op == kAdc ? R.F & C : 0);
    R.A = r.value;
    R.F = r.f;
  }
  z.Advance(3);
}

// --- Indexed bit operations (prefix, 0xCB, d, op) ---------------------------

using BitOperation = void (*)(Z80&, uint16_t ea);

// BIT b,(I+d)
template <int bit>
void TestIndexedBit(Z80& z, uint16_t ea) {
  z.regs.F = BitTest(z.regs.F, (z.Read(ea) >> bit) & 1);
}
// RES b,(I+d)
template <int bit>
void ResetIndexedBit(Z80& z, uint16_t ea) {
  z.Write(ea, static_cast<uint8_t>(z.Read(ea) & ~(1 << bit)));
}
// SET b,(I+d)
template <int bit>
void SetIndexedBit(Z80& z, uint16_t ea) {
  z.Write(ea, static_cast<uint8_t>(z.Read(ea) | 1 << bit));
}
// Every other op, the rotates and shifts of (I+d) among them.
template <Index I>
void UnhandledBitOperation(Z80& z, uint16_t) {
  z.ReportUnhandled(I == kIX ? "Unhandled Z80 instruction (DD CB %2x %2x) at %4x."
                             : "Unhandled Z80 instruction (FD CB %2x %2x) at %4x.",
                    z.Operand(2), z.Operand(3), static_cast<uint16_t>(z.regs.PC + 3));
}

template <Index I, int bit = 0>
constexpr void FillBitOperations(std::array<BitOperation, 256>& t) {
  t[0x46 | bit << 3] = TestIndexedBit<bit>;   // BIT b,(I+d)
  t[0x86 | bit << 3] = ResetIndexedBit<bit>;  // RES b,(I+d)
  t[0xC6 | bit << 3] = SetIndexedBit<bit>;    // SET b,(I+d)
  if constexpr (bit < 7) FillBitOperations<I, bit + 1>(t);
}

template <Index I>
constexpr std::array<BitOperation, 256> BuildBitOperations() {
  std::array<BitOperation, 256> t{};
  t.fill(UnhandledBitOperation<I>);
  FillBitOperations<I>(t);
  return t;
}

template <Index I>
constexpr std::array<BitOperation, 256> kBitOperations = BuildBitOperations<I>();

// The op byte follows the displacement; all four bytes are consumed whether
// or not the op is handled.
template <Index I>
void IndexedBitOperation(Z80& z) {
  kBitOperations<I>[z.Operand(3)](z, Effective<I>(z));
  z.Advance(4);
}

// Every other sub-opcode: reported with its own address, then the prefix and
// the sub-opcode are skipped and whatever follows runs as opcodes.
template <Index I>
void Unhandled(Z80& z) {
  z.ReportUnhandled(I == kIX ? "Unhandled Z80 instruction (DD %2x) at %4x."
                             : "Unhandled Z80 instruction (FD %2x) at %4x.",
                    z.Operand(1), static_cast<uint16_t>(z.regs.PC + 1));
  z.Advance(2);
}

// --- The table --------------------------------------------------------------

// Both prefixes carry out the same forms, so a program written for either
// register works with the other.
template <Index I>
constexpr std::array<Handler, 256> BuildIndexGroup() {
  std::array<Handler, 256> t{};
  t.fill(Unhandled<I>);

  t[0x09] = AddToIndex<I, &Z80Registers::BC>;  // ADD I,BC
  t[0x19] = AddToIndex<I, &Z80Registers::DE>;  // ADD I,DE
  t[0x21] = LoadImmediate<I>;                  // LD I,nn
  t[0x22] = StoreDirect<I>;                    // LD (nn),I
  t[0x23] = IncrementIndex<I>;                 // INC I
  t[0x2A] = LoadDirect<I>;                     // LD I,(nn)
  t[0x2B] = DecrementIndex<I>;                 // DEC I
  t[0x34] = IncrementIndexed<I>;               // INC (I+d)
  t[0x35] = DecrementIndexed<I>;               // DEC (I+d)
  t[0x36] = StoreImmediateIndexed<I>;          // LD (I+d),n
  t[0x46] = LoadIndexed<I, 0>;                 // LD B,(I+d)
  t[0x4E] = LoadIndexed<I, 1>;                 // LD C,(I+d)
  t[0x56] = LoadIndexed<I, 2>;                 // LD D,(I+d)
  t[0x5E] = LoadIndexed<I, 3>;                 // LD E,(I+d)
  t[0x66] = LoadIndexed<I, 4>;                 // LD H,(I+d)
  t[0x6E] = LoadIndexed<I, 5>;                 // LD L,(I+d)
  t[0x70] = StoreIndexed<I, 0>;                // LD (I+d),B
  t[0x71] = StoreIndexed<I, 1>;                // LD (I+d),C
  t[0x72] = StoreIndexed<I, 2>;                // LD (I+d),D
  t[0x73] = StoreIndexed<I, 3>;                // LD (I+d),E
  t[0x74] = StoreIndexed<I, 4>;                // LD (I+d),H
  t[0x75] = StoreIndexed<I, 5>;                // LD (I+d),L
  t[0x77] = StoreIndexed<I, 7>;                // LD (I+d),A
  t[0x7E] = LoadIndexed<I, 7>;                 // LD A,(I+d)
  t[0x86] = AccumulateIndexed<I, kAdd>;        // ADD A,(I+d)
  t[0x8E] = AccumulateIndexed<I, kAdc>;        // ADC A,(I+d)
  t[0x96] = AccumulateIndexed<I, kSub>;        // SUB (I+d)
  t[0xAE] = AccumulateIndexed<I, kXor>;        // XOR (I+d)
  t[0xB6] = AccumulateIndexed<I, kOr>;         // OR (I+d)
  t[0xBE] = AccumulateIndexed<I, kCp>;         // CP (I+d)
  t[0xCB] = IndexedBitOperation<I>;            // BIT/RES/SET b,(I+d)
  t[0xE1] = PopIndex<I>;                       // POP I
  t[0xE5] = PushIndex<I>;                      // PUSH I
  t[0xE9] = JumpIndex<I>;                      // JP (I)
  return t;
}

template <Index I>
constexpr std::array<Handler, 256> kIndexGroup = BuildIndexGroup<I>();

}  // namespace

void ExecuteIndexGroupIX(Z80& z) { kIndexGroup<&Z80Registers::IX>[z.Operand(1)](z); }
void ExecuteIndexGroupIY(Z80& z) { kIndexGroup<&Z80Registers::IY>[z.Operand(1)](z); }

}  // namespace zorva
