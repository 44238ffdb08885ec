// A processor on its own 64 KiB of memory and port space, with links that
// record what the instructions asked for: scramble-port writes, branch trace
// lines and unhandled-opcode reports.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/z80.h"

namespace zorva::testing {

class RecordingLinks : public Z80Links {
 public:
  void WriteScramblePort(uint8_t value) override { scrambleWrites.push_back(value); }
  void WriteBranchLine(std::string_view line) override { trace.append(line); }
  void ReportUnhandled(std::string_view message) override { reports.emplace_back(message); }

  std::vector<uint8_t> scrambleWrites;
  std::string trace;
  std::vector<std::string> reports;
};

struct TestCpu {
  TestCpu() {
    ports.fill(0xFF);
    cpu.BuildParityTable();
  }
  // Places bytes at `address` (wrapping past 0xFFFF) and points PC at them.
  void Load(uint16_t address, std::initializer_list<uint8_t> bytes) {
    uint16_t a = address;
    for (uint8_t b : bytes) memory[a++] = b;
    cpu.regs.PC = address;
  }

  std::array<uint8_t, 65536> memory{};
  std::array<uint8_t, 65536> ports{};
  RecordingLinks links;
  Z80 cpu{memory.data(), ports.data(), links};
  Z80Registers& regs = cpu.regs;
};

}  // namespace zorva::testing
