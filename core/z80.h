// The Z80 interpreter: registers, the parity table, and Step, which executes
// exactly one instruction at PC through one 256-entry table, and StepMany,
// which runs a batch of them with the same handlers inlined into one switch
// (the run loop's fast path). Memory and the port space belong to the
// machine, which hands the processor plain pointers to them; everything else
// an instruction may touch goes through Z80Links.
//
//   Z80 cpu(memory, ports, links);
//   cpu.BuildParityTable();
//   cpu.ResetRegisters();
//   cpu.Step();
//   cpu.StepMany(100000, 0xFFFF, running);
//
// Handlers live in the group files (main_group.cpp, bit_group.cpp,
// extended_group.cpp, index_group.cpp) and are plain functions of Z80&.
#pragma once

#include <array>
#include <cstdint>

#include "core/z80_links.h"
#include "core/z80_registers.h"

namespace zorva {

class Z80;
using Handler = void (*)(Z80&);

// The unprefixed table; 0xCB, 0xED, 0xDD and 0xFD lead to the prefixed groups.
extern const std::array<Handler, 256> kMainGroup;

class Z80 {
 public:
  Z80(uint8_t* memory, const uint8_t* portSpace, Z80Links& links)
      : memory(memory), portSpace(portSpace), links(&links) {}

  // Executes the instruction at PC and leaves PC at the next one. Always 1.
  int Step() {
    kMainGroup[memory[regs.PC]](*this);
    return 1;
  }

  // Executes instructions as Step does until `count` have run, PC is at `end`
  // or `running` is false, each tested after every instruction, so at least
  // one runs. Returns how many of the count are left.
  uint32_t StepMany(uint32_t count, uint16_t end, const bool& running);

  void ResetRegisters() { regs = Z80Registers{}; }
  // Entry i is 1 when i has an even number of set bits.
  void BuildParityTable();

  Z80Registers regs;
  uint8_t* const memory;
  const uint8_t* const portSpace;
  std::array<uint8_t, 256> parityTable{};
  // Set while the trace log is open: taken branches then write their lines.
  bool traceBranches = false;

  // Helpers for the instruction handlers.
  uint8_t Read(uint16_t address) const { return memory[address]; }
  void Write(uint16_t address, uint8_t v) { memory[address] = v; }
  // The byte `offset` places after PC, wrapping past 0xFFFF to 0x0000.
  uint8_t Operand(unsigned offset) const { return memory[static_cast<uint16_t>(regs.PC + offset)]; }
  uint16_t OperandWord(unsigned offset) const { return Word(Operand(offset), Operand(offset + 1)); }
  uint16_t ReadWord(uint16_t address) const {
    return Word(memory[address], memory[static_cast<uint16_t>(address + 1)]);
  }
  void WriteWord(uint16_t address, uint16_t v) {
    memory[address] = Lo(v);
    memory[static_cast<uint16_t>(address + 1)] = Hi(v);
  }
  void Push(uint16_t v) {
    memory[--regs.SP] = Hi(v);
    memory[--regs.SP] = Lo(v);
  }
  uint16_t Pop() {
    const uint8_t low = memory[regs.SP++];
    return Word(low, memory[regs.SP++]);
  }
  // Normal ending: PC past the `length` bytes of the instruction.
  void Advance(unsigned length) { regs.PC = static_cast<uint16_t>(regs.PC + length); }

  // Composes a branch line from a fixed format with one %4x field and hands it
  // to the trace log. Callers test traceBranches first.
  void TraceBranch(const char* format, uint16_t value);
  // Composes an unhandled-opcode message from a fixed format and its numbers
  // and waits until it has been acknowledged.
  void ReportUnhandled(const char* format, unsigned a, unsigned b, unsigned c = 0);
  void WriteScramblePort(uint8_t value) { links->WriteScramblePort(value); }

 private:
  Z80Links* links;
};

// The prefixed groups, reached from the main table.
void ExecuteBitGroup(Z80& z);
void ExecuteExtendedGroup(Z80& z);
void ExecuteIndexGroupIX(Z80& z);
void ExecuteIndexGroupIY(Z80& z);

}  // namespace zorva
