// ROM and cartridge images, and the cartridge scramble port.
//
// An image is a raw file of exactly the expected size (8192 bytes for the ROM
// at 0x0000, 16384 for a cartridge at 0xC000). LoadImage reads the file named
// by the machine's romPath; on any failure it tells the user why and leaves
// memory as it was.
#pragma once

#include <cstdint>

#include "machine/host.h"
#include "machine/machine_state.h"

namespace zorva {

// Returns true when the image was loaded; the registers are then reset.
bool LoadImage(MachineState& m, Host& host, uint16_t address, uint32_t size);

// OUT (0xFF),A: XORs the cartridge area with `value` and shows it in the caption.
void WriteScramblePort(MachineState& m, Host& host, uint8_t value);

}  // namespace zorva
