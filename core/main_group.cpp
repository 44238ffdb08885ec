// The unprefixed instructions: loads, exchanges, stack, jumps, calls and
// returns, the two port instructions, HALT, and the arithmetic and logic of
// the accumulator. The table at the bottom reads like the opcode map.
#include <utility>

#include "core/operands.h"

namespace zorva {
namespace {

using namespace flags;

// Register pairs as the opcode bits number them: 0 BC, 1 DE, 2 HL, 3 SP.
template <int p>
uint16_t& Pair(Z80& z) {
  if constexpr (p == 0) return z.regs.BC;
  else if constexpr (p == 1) return z.regs.DE;
  else if constexpr (p == 2) return z.regs.HL;
  else return z.regs.SP;
}

// Trace texts of the conditional branches, by condition.
constexpr const char* kJumpLines[8] = {"JMP NZ  %4x\r\n", "JMP  Z  %4x\r\n", "JMP  NC %4x\r\n",
                                       "JMP  C  %4x\r\n", "JMP PO  %4x\r\n", "JMP PE  %4x\r\n",
                                       "JMP P   %4x\r\n", "JMP  M  %4x\r\n"};
constexpr const char* kCallLines[8] = {"CALL NZ  %4x\r\n", "CALL Z  %4x\r\n", "CALL NC %4x\r\n",
                                       "CALL C  %4x\r\n",  "CALL Po %4x\r\n", "CALL PE  %4x\r\n",
                                       "CALL P  %4x\r\n",  "CALL M  %4x\r\n"};
constexpr const char* kReturnLines[8] = {
    "RET NZ  TO %4x\r\n", "RET Z   TO %4x\r\n", "RET NC  TO %4x\r\n", "RET C   TO %4x\r\n",
    "RET PO  TO %4x\r\n", "RET PE  TO %4x\r\n", "RET P   TO %4x\r\n", "RET M   TO %4x\r\n"};
constexpr const char* kRelativeLines[4] = {"JR  NZ  %4x\r\n", "JR  Z  %4x\r\n", "JR  NC  %4x\r\n",
                                           "JR  C  %4x\r\n"};

void Trace(Z80& z, const char* format, uint16_t value) {
  if (z.traceBranches) [[unlikely]]
    z.TraceBranch(format, value);
}

// --- No effect, HALT, unhandled ---------------------------------------------

// NOP and LD r,r for the same r.
void Nop(Z80& z) { z.Advance(1); }
// HALT: PC stays, so the same HALT runs on every following step.
void Halt(Z80&) {}
// DI, EI: no handler; reported and skipped.
void Unhandled(Z80& z) {
  z.ReportUnhandled("Unhandled instruction %2x at %4x", z.Read(z.regs.PC), z.regs.PC);
  z.Advance(1);
}

// --- 8-bit loads ------------------------------------------------------------

// LD r,r' / LD r,(HL) / LD (HL),r
template <int op>
void LoadRegister(Z80& z) {
  Put8<(op >> 3) & 7>(z, Get8<op & 7>(z));
  z.Advance(1);
}
// LD r,n / LD (HL),n
template <int r>
void LoadImmediate(Z80& z) {
  Put8<r>(z, z.Operand(1));
  z.Advance(2);
}
// LD (BC),A / LD (DE),A
template <int p>
void StoreAIndirect(Z80& z) {
  z.Write(Pair<p>(z), z.regs.A);
  z.Advance(1);
}
// LD A,(BC) / LD A,(DE)
template <int p>
void LoadAIndirect(Z80& z) {
  z.regs.A = z.Read(Pair<p>(z));
  z.Advance(1);
}
// LD (nn),A
void StoreADirect(Z80& z) {
  z.Write(z.OperandWord(1), z.regs.A);
  z.Advance(3);
}
// LD A,(nn)
void LoadADirect(Z80& z) {
  z.regs.A = z.Read(z.OperandWord(1));
  z.Advance(3);
}

// --- 16-bit loads -----------------------------------------------------------

// LD rr,nn
template <int p>
void LoadPairImmediate(Z80& z) {
  Pair<p>(z) = z.OperandWord(1);
  z.Advance(3);
}
// LD (nn),HL
void StoreHLDirect(Z80& z) {
  z.WriteWord(z.OperandWord(1), z.regs.HL);
  z.Advance(3);
}
// LD HL,(nn)
void LoadHLDirect(Z80& z) {
  z.regs.HL = z.ReadWord(z.OperandWord(1));
  z.Advance(3);
}
// LD SP,HL
void LoadSPFromHL(Z80& z) {
  z.regs.SP = z.regs.HL;
  z.Advance(1);
}

// --- Exchanges and stack ----------------------------------------------------

// EX AF,AF'
void ExchangeAF(Z80& z) {
  std::swap(z.regs.A, z.regs.altA);
  std::swap(z.regs.F, z.regs.altF);
  z.Advance(1);
}
// EXX
void ExchangeAll(Z80& z) {
  std::swap(z.regs.BC, z.regs.altBC);
  std::swap(z.regs.DE, z.regs.altDE);
  std::swap(z.regs.HL, z.regs.altHL);
  z.Advance(1);
}
// EX DE,HL
void ExchangeDEHL(Z80& z) {
  std::swap(z.regs.DE, z.regs.HL);
  z.Advance(1);
}
// EX (SP),HL
void ExchangeStackHL(Z80& z) {
  const uint16_t top = z.ReadWord(z.regs.SP);
  z.WriteWord(z.regs.SP, z.regs.HL);
  z.regs.HL = top;
  z.Advance(1);
}
// PUSH BC/DE/HL
template <int p>
void PushPair(Z80& z) {
  z.Push(Pair<p>(z));
  z.Advance(1);
}
// POP BC/DE/HL
template <int p>
void PopPair(Z80& z) {
  Pair<p>(z) = z.Pop();
  z.Advance(1);
}
// PUSH AF
void PushAF(Z80& z) {
  z.Push(Word(z.regs.F, z.regs.A));
  z.Advance(1);
}
// POP AF
void PopAF(Z80& z) {
  const uint16_t v = z.Pop();
  z.regs.F = Lo(v);
  z.regs.A = Hi(v);
  z.Advance(1);
}

// --- Jumps, calls, returns, restarts ----------------------------------------

// JP nn
void Jump(Z80& z) {
  z.regs.PC = z.OperandWord(1);
  Trace(z, "JMP     %4x\r\n", z.regs.PC);
}
// JP cc,nn
template <int cc>
void JumpIf(Z80& z) {
  if (!Condition<cc>(z.regs.F)) return z.Advance(3);
  z.regs.PC = z.OperandWord(1);
  Trace(z, kJumpLines[cc], z.regs.PC);
}
// JP (HL)
void JumpHL(Z80& z) {
  z.regs.PC = z.regs.HL;
  Trace(z, "JMP (HL) %4x\r\n", z.regs.PC);
}
uint16_t RelativeTarget(const Z80& z) {
  return static_cast<uint16_t>(z.regs.PC + 2 + static_cast<int8_t>(z.Operand(1)));
}
// JR e
void JumpRelative(Z80& z) {
  z.regs.PC = RelativeTarget(z);
  Trace(z, "JR     %4x\r\n", z.regs.PC);
}
// JR cc,e (NZ, Z, NC, C)
template <int cc>
void JumpRelativeIf(Z80& z) {
  if (!Condition<cc>(z.regs.F)) return z.Advance(2);
  z.regs.PC = RelativeTarget(z);
  Trace(z, kRelativeLines[cc], z.regs.PC);
}
// DJNZ e: decrements B with the flags of DEC B; writes no trace line.
void DecrementJumpNonZero(Z80& z) {
  const auto b = static_cast<uint8_t>(Hi(z.regs.BC) - 1);
  SetHi(z.regs.BC, b);
  z.regs.F = Dec(z.regs.F, b);
  const int e = b != 0 ? static_cast<int8_t>(z.Operand(1)) : 0;
  z.regs.PC = static_cast<uint16_t>(z.regs.PC + 2 + e);
}
// CALL nn: the return address is pushed before nn is read.
void Call(Z80& z) {
  z.Push(static_cast<uint16_t>(z.regs.PC + 3));
  z.regs.PC = z.OperandWord(1);
}
// CALL cc,nn
template <int cc>
void CallIf(Z80& z) {
  if (!Condition<cc>(z.regs.F)) return z.Advance(3);
  Call(z);
  Trace(z, kCallLines[cc], z.regs.PC);
}
// RET
void Return(Z80& z) {
  z.regs.PC = z.Pop();
  Trace(z, "RET     TO %4x\r\n", z.regs.PC);
}
// RET cc
template <int cc>
void ReturnIf(Z80& z) {
  if (!Condition<cc>(z.regs.F)) return z.Advance(1);
  z.regs.PC = z.Pop();
  Trace(z, kReturnLines[cc], z.regs.PC);
}
// RST p: no trace line.
template <int address>
void Restart(Z80& z) {
  z.Push(static_cast<uint16_t>(z.regs.PC + 1));
  z.regs.PC = address;
}

// --- Ports ------------------------------------------------------------------

// IN A,(n): the port index is n alone.
void InputImmediate(Z80& z) {
  z.regs.A = z.portSpace[z.Operand(1)];
  z.Advance(2);
}
// OUT (n),A: only port 0xFF, the cartridge scramble port, does anything.
void OutputImmediate(Z80& z) {
  if (z.Operand(1) == 0xFF) z.WriteScramblePort(z.regs.A);
  z.Advance(2);
}

// --- 8-bit arithmetic and logic ---------------------------------------------

enum Alu { kAdd, kAdc, kSub, kSbc, kAnd, kXor, kOr, kCp };

// The accumulator group on operand s. CP's flags depend on the operand's form:
// `form` is the operand number 0-7, or 8 for an immediate byte.
template <int op, int form>
void Accumulate(Z80& z, uint8_t s) {
  Z80Registers& R = z.regs;
  const unsigned carry = R.F & C;
  Result r{};
  if constexpr (op == kAdd) r = flags::Add(R.A, s, 0);
  else if constexpr (op == kAdc) r = flags::Add(R.A, s, carry, form == 8);
  else if constexpr (op == kSub) r = Sub(R.A, s, 0);
  else if constexpr (op == kSbc) r = Sub(R.A, s, carry);
  else if constexpr (op == kAnd || op == kXor || op == kOr) {
    const uint8_t v = op == kAnd ? (R.A & s) : op == kXor ? (R.A ^ s) : (R.A | s);
    r = {v, Logic(v, z.parityTable[v], op == kAnd)};
  } else {
    const uint8_t f = form == 8   ? CompareImmediate(R.A, s)
                      : form == 6 ? CompareMemory(R.A, s)
                                  : CompareRegister(R.A, s);
    R.F = f;
    return;
  }
  R.A = r.value;
  R.F = r.f;
}
// ADD/ADC/SUB/SBC/AND/XOR/OR/CP r and (HL)
template <int opcode>
void AccumulateRegister(Z80& z) {
  constexpr int r = opcode & 7;
  Accumulate<(opcode >> 3) & 7, r>(z, Get8<r>(z));
  z.Advance(1);
}
// ADD/ADC/SUB/SBC/AND/XOR/OR/CP n
template <int op>
void AccumulateImmediate(Z80& z) {
  Accumulate<op, 8>(z, z.Operand(1));
  z.Advance(2);
}

// INC r / INC (HL)
template <int r>
void Increment(Z80& z) {
  const auto x = static_cast<uint8_t>(Get8<r>(z) + 1);
  Put8<r>(z, x);
  z.regs.F = Inc(z.regs.F, x);
  z.Advance(1);
}
// DEC r / DEC (HL)
template <int r>
void Decrement(Z80& z) {
  const auto x = static_cast<uint8_t>(Get8<r>(z) - 1);
  Put8<r>(z, x);
  z.regs.F = Dec(z.regs.F, x);
  z.Advance(1);
}
// INC rr: no flags.
template <int p>
void IncrementPair(Z80& z) {
  ++Pair<p>(z);
  z.Advance(1);
}
// DEC rr: no flags.
template <int p>
void DecrementPair(Z80& z) {
  --Pair<p>(z);
  z.Advance(1);
}
// ADD HL,rr
template <int p>
void AddToHL(Z80& z) {
  const Result16 r = AddWords(z.regs.F, z.regs.HL, Pair<p>(z));
  z.regs.HL = r.value;
  z.regs.F = r.f;
  z.Advance(1);
}

// DAA
void DecimalAdjust(Z80& z) {
  const Result r = Daa(z.regs.A, z.regs.F);
  z.regs.A = r.value;
  z.regs.F = r.f;
  z.Advance(1);
}
// CPL. At 0x011B with HL = 0xC000 it also fills B: the machine's ROM relies
// on this when it sizes the cartridge area.
void Complement(Z80& z) {
  if (z.regs.PC == 0x011B && z.regs.HL == 0xC000) SetHi(z.regs.BC, 0xFF);
  z.regs.A ^= 0xFF;
  z.regs.F |= H | N;
  z.Advance(1);
}
// SCF
void SetCarry(Z80& z) {
  z.regs.F |= C;
  z.Advance(1);
}
// CCF
void ComplementCarry(Z80& z) {
  z.regs.F ^= C;
  z.Advance(1);
}

// RLCA, RRCA, RLA, RRA
enum RotateKind { kRlca, kRrca, kRla, kRra };
template <int kind>
void RotateA(Z80& z) {
  const uint8_t a = z.regs.A;
  const unsigned c = z.regs.F & C;
  const unsigned out = (kind == kRlca || kind == kRla) ? a >> 7 : a & 1;
  unsigned v;
  if constexpr (kind == kRlca) v = a << 1 | a >> 7;
  else if constexpr (kind == kRrca) v = a >> 1 | a << 7;
  else if constexpr (kind == kRla) v = a << 1 | c;
  else v = a >> 1 | c << 7;
  z.regs.A = static_cast<uint8_t>(v);
  z.regs.F = Rotate(z.regs.F, out);
  z.Advance(1);
}

// --- The table --------------------------------------------------------------

template <size_t... I>
constexpr void FillLoadsAndAccumulator(std::array<Handler, 256>& t, std::index_sequence<I...>) {
  ((t[0x40 + I] = &LoadRegister<0x40 + I>), ...);
  ((t[0x80 + I] = &AccumulateRegister<0x80 + I>), ...);
}

constexpr std::array<Handler, 256> BuildMainGroup() {
  std::array<Handler, 256> t{};
  // 0x40-0x7F: LD r,r'   0x80-0xBF: ADD/ADC/SUB/SBC/AND/XOR/OR/CP r
  FillLoadsAndAccumulator(t, std::make_index_sequence<0x40>());

  t[0x00] = Nop;                   // NOP
  t[0x01] = LoadPairImmediate<0>;  // LD BC,nn
  t[0x02] = StoreAIndirect<0>;     // LD (BC),A
  t[0x03] = IncrementPair<0>;      // INC BC
  t[0x04] = Increment<0>;          // INC B
  t[0x05] = Decrement<0>;          // DEC B
  t[0x06] = LoadImmediate<0>;      // LD B,n
  t[0x07] = RotateA<kRlca>;        // RLCA
  t[0x08] = ExchangeAF;            // EX AF,AF'
  t[0x09] = AddToHL<0>;            // ADD HL,BC
  t[0x0A] = LoadAIndirect<0>;      // LD A,(BC)
  t[0x0B] = DecrementPair<0>;      // DEC BC
  t[0x0C] = Increment<1>;          // INC C
  t[0x0D] = Decrement<1>;          // DEC C
  t[0x0E] = LoadImmediate<1>;      // LD C,n
  t[0x0F] = RotateA<kRrca>;        // RRCA
  t[0x10] = DecrementJumpNonZero;  // DJNZ e
  t[0x11] = LoadPairImmediate<1>;  // LD DE,nn
  t[0x12] = StoreAIndirect<1>;     // LD (DE),A
  t[0x13] = IncrementPair<1>;      // INC DE
  t[0x14] = Increment<2>;          // INC D
  t[0x15] = Decrement<2>;          // DEC D
  t[0x16] = LoadImmediate<2>;      // LD D,n
  t[0x17] = RotateA<kRla>;         // RLA
  t[0x18] = JumpRelative;          // JR e
  t[0x19] = AddToHL<1>;            // ADD HL,DE
  t[0x1A] = LoadAIndirect<1>;      // LD A,(DE)
  t[0x1B] = DecrementPair<1>;      // DEC DE
  t[0x1C] = Increment<3>;          // INC E
  t[0x1D] = Decrement<3>;          // DEC E
  t[0x1E] = LoadImmediate<3>;      // LD E,n
  t[0x1F] = RotateA<kRra>;         // RRA
  t[0x20] = JumpRelativeIf<0>;     // JR NZ,e
  t[0x21] = LoadPairImmediate<2>;  // LD HL,nn
  t[0x22] = StoreHLDirect;         // LD (nn),HL
  t[0x23] = IncrementPair<2>;      // INC HL
  t[0x24] = Increment<4>;          // INC H
  t[0x25] = Decrement<4>;          // DEC H
  t[0x26] = LoadImmediate<4>;      // LD H,n
  t[0x27] = DecimalAdjust;         // DAA
  t[0x28] = JumpRelativeIf<1>;     // JR Z,e
  t[0x29] = AddToHL<2>;            // ADD HL,HL
  t[0x2A] = LoadHLDirect;          // LD HL,(nn)
  t[0x2B] = DecrementPair<2>;      // DEC HL
  t[0x2C] = Increment<5>;          // INC L
  t[0x2D] = Decrement<5>;          // DEC L
  t[0x2E] = LoadImmediate<5>;      // LD L,n
  t[0x2F] = Complement;            // CPL
  t[0x30] = JumpRelativeIf<2>;     // JR NC,e
  t[0x31] = LoadPairImmediate<3>;  // LD SP,nn
  t[0x32] = StoreADirect;          // LD (nn),A
  t[0x33] = IncrementPair<3>;      // INC SP
  t[0x34] = Increment<6>;          // INC (HL)
  t[0x35] = Decrement<6>;          // DEC (HL)
  t[0x36] = LoadImmediate<6>;      // LD (HL),n
  t[0x37] = SetCarry;              // SCF
  t[0x38] = JumpRelativeIf<3>;     // JR C,e
  t[0x39] = AddToHL<3>;            // ADD HL,SP
  t[0x3A] = LoadADirect;           // LD A,(nn)
  t[0x3B] = DecrementPair<3>;      // DEC SP
  t[0x3C] = Increment<7>;          // INC A
  t[0x3D] = Decrement<7>;          // DEC A
  t[0x3E] = LoadImmediate<7>;      // LD A,n
  t[0x3F] = ComplementCarry;       // CCF

  for (int r : {0x40, 0x49, 0x52, 0x5B, 0x64, 0x6D, 0x7F}) t[r] = Nop;  // LD r,r
  t[0x76] = Halt;                                                       // HALT

  t[0xC0] = ReturnIf<0>;                // RET NZ
  t[0xC1] = PopPair<0>;                 // POP BC
  t[0xC2] = JumpIf<0>;                  // JP NZ,nn
  t[0xC3] = Jump;                       // JP nn
  t[0xC4] = CallIf<0>;                  // CALL NZ,nn
  t[0xC5] = PushPair<0>;                // PUSH BC
  t[0xC6] = AccumulateImmediate<kAdd>;  // ADD A,n
  t[0xC7] = Restart<0x00>;              // RST 00h
  t[0xC8] = ReturnIf<1>;                // RET Z
  t[0xC9] = Return;                     // RET
  t[0xCA] = JumpIf<1>;                  // JP Z,nn
  t[0xCB] = ExecuteBitGroup;            // CB prefix
  t[0xCC] = CallIf<1>;                  // CALL Z,nn
  t[0xCD] = [](Z80& z) {                // CALL nn
    Call(z);
    Trace(z, "CALL %4x\r\n", z.regs.PC);
  };
  t[0xCE] = AccumulateImmediate<kAdc>;  // ADC A,n
  t[0xCF] = Restart<0x08>;              // RST 08h
  t[0xD0] = ReturnIf<2>;                // RET NC
  t[0xD1] = PopPair<1>;                 // POP DE
  t[0xD2] = JumpIf<2>;                  // JP NC,nn
  t[0xD3] = OutputImmediate;            // OUT (n),A
  t[0xD4] = CallIf<2>;                  // CALL NC,nn
  t[0xD5] = PushPair<1>;                // PUSH DE
  t[0xD6] = AccumulateImmediate<kSub>;  // SUB n
  t[0xD7] = Restart<0x10>;              // RST 10h
  t[0xD8] = ReturnIf<3>;                // RET C
  t[0xD9] = ExchangeAll;                // EXX
  t[0xDA] = JumpIf<3>;                  // JP C,nn
  t[0xDB] = InputImmediate;             // IN A,(n)
  t[0xDC] = CallIf<3>;                  // CALL C,nn
  t[0xDD] = ExecuteIndexGroupIX;        // DD prefix
  t[0xDE] = AccumulateImmediate<kSbc>;  // SBC A,n
  t[0xDF] = Restart<0x18>;              // RST 18h
  t[0xE0] = ReturnIf<4>;                // RET PO
  t[0xE1] = PopPair<2>;                 // POP HL
  t[0xE2] = JumpIf<4>;                  // JP PO,nn
  t[0xE3] = ExchangeStackHL;            // EX (SP),HL
  t[0xE4] = CallIf<4>;                  // CALL PO,nn
  t[0xE5] = PushPair<2>;                // PUSH HL
  t[0xE6] = AccumulateImmediate<kAnd>;  // AND n
  t[0xE7] = Restart<0x20>;              // RST 20h
  t[0xE8] = ReturnIf<5>;                // RET PE
  t[0xE9] = JumpHL;                     // JP (HL)
  t[0xEA] = JumpIf<5>;                  // JP PE,nn
  t[0xEB] = ExchangeDEHL;               // EX DE,HL
  t[0xEC] = CallIf<5>;                  // CALL PE,nn
  t[0xED] = ExecuteExtendedGroup;       // ED prefix
  t[0xEE] = AccumulateImmediate<kXor>;  // XOR n
  t[0xEF] = Restart<0x28>;              // RST 28h
  t[0xF0] = ReturnIf<6>;                // RET P
  t[0xF1] = PopAF;                      // POP AF
  t[0xF2] = JumpIf<6>;                  // JP P,nn
  t[0xF3] = Unhandled;                  // DI
  t[0xF4] = CallIf<6>;                  // CALL P,nn
  t[0xF5] = PushAF;                     // PUSH AF
  t[0xF6] = AccumulateImmediate<kOr>;   // OR n
  t[0xF7] = Restart<0x30>;              // RST 30h
  t[0xF8] = ReturnIf<7>;                // RET M
  t[0xF9] = LoadSPFromHL;               // LD SP,HL
  t[0xFA] = JumpIf<7>;                  // JP M,nn
  t[0xFB] = Unhandled;                  // EI
  t[0xFC] = CallIf<7>;                  // CALL M,nn
  t[0xFD] = ExecuteIndexGroupIY;        // FD prefix
  t[0xFE] = AccumulateImmediate<kCp>;   // CP n
  t[0xFF] = Restart<0x38>;              // RST 38h
  return t;
}

constexpr std::array<Handler, 256> kTable = BuildMainGroup();

template <unsigned op>
void Execute(Z80& z) {
  constexpr Handler handler = kTable[op];
  handler(z);
}

// A switch over the opcode whose cases are the table's handlers, called
// directly: the compiler inlines them and jumps through a table of code
// addresses, which costs far less than a call through a pointer (in
// WebAssembly several times less).
template <unsigned... op>
void ExecuteInline(Z80& z, unsigned opcode, std::integer_sequence<unsigned, op...>) {
  (void)((opcode == op && (Execute<op>(z), true)) || ...);
}

}  // namespace

constinit const std::array<Handler, 256> kMainGroup = kTable;

uint32_t Z80::StepMany(uint32_t count, uint16_t end, const bool& running) {
  do {
    ExecuteInline(*this, memory[regs.PC], std::make_integer_sequence<unsigned, 256>());
  } while (--count != 0 && regs.PC != end && running);
  return count;
}

}  // namespace zorva
