// The processor's register record. There are no I or R registers, no interrupt
// state and no cycle count: the machine never interrupts its processor.
//
// B/C, D/E and H/L have no storage of their own; they are the high and low bytes
// of BC, DE and HL. Hi/Lo read them, SetHi/SetLo replace one byte of a pair.
#pragma once

#include <cstdint>

namespace zorva {

struct Z80Registers {
  uint8_t A = 0;
  uint8_t F = 0;
  uint16_t HL = 0;
  uint16_t BC = 0;
  uint16_t DE = 0;
  uint8_t altA = 0;
  uint8_t altF = 0;
  uint16_t altHL = 0;
  uint16_t altBC = 0;
  uint16_t altDE = 0;
  uint16_t IX = 0;
  uint16_t IY = 0;
  uint16_t SP = 0xFFFF;
  uint16_t PC = 0;

  bool operator==(const Z80Registers&) const = default;
};

constexpr uint8_t Hi(uint16_t pair) { return static_cast<uint8_t>(pair >> 8); }
constexpr uint8_t Lo(uint16_t pair) { return static_cast<uint8_t>(pair); }
constexpr void SetHi(uint16_t& pair, uint8_t v) {
  pair = static_cast<uint16_t>((pair & 0x00FF) | v << 8);
}
constexpr void SetLo(uint16_t& pair, uint8_t v) {
  pair = static_cast<uint16_t>((pair & 0xFF00) | v);
}
constexpr uint16_t Word(uint8_t low, uint8_t high) {
  return static_cast<uint16_t>(low | high << 8);
}

}  // namespace zorva
