// The emulated machine: processor, address space, port space, keyboard
// matrix state and the screen's shadow, plus the few flags that the image
// loader and the scramble port keep. The run control (run/) owns one and
// drives it; the shell never reaches inside, it asks run control.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/z80.h"
#include "machine/keyboard.h"
#include "machine/memory_map.h"
#include "machine/screen.h"

namespace zorva {

struct MachineState {
  explicit MachineState(Z80Links& links) : cpu(memory.data(), portSpace.data(), links) {}
  MachineState(const MachineState&) = delete;
  MachineState& operator=(const MachineState&) = delete;

  std::array<uint8_t, 65536> memory{};
  std::array<uint8_t, 65536> portSpace{};
  Z80 cpu;
  Keyboard keyboard;
  Screen screen;

  bool romLoaded = false;
  std::string romPath = "aquarius.rom";  // the image file the next load opens
  std::string titleText;                 // caption text, written by the scramble port
};

// Start-up fill: RAM from 0x3000 to 0xEFFF zero, 0xF000-0xFFFF HALT opcodes.
// The ROM area is left for the ROM load.
void InitMemory(MachineState& m);
// Every port reads 0xFF until a key is pressed.
void InitPortSpace(MachineState& m);
// Rows 0-23 of character memory to spaces; row 24 and the colours stay.
void OnClearScreenRam(MachineState& m);

}  // namespace zorva
