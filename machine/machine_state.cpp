#include "machine/machine_state.h"

#include <algorithm>

namespace zorva {

void InitMemory(MachineState& m) {
  std::fill(m.memory.begin() + 0x3000, m.memory.begin() + 0xF000, 0x00);
  std::fill(m.memory.begin() + 0xF000, m.memory.end(), 0x76);
}

void InitPortSpace(MachineState& m) { m.portSpace.fill(0xFF); }

void OnClearScreenRam(MachineState& m) {
  // Only 24 of the 25 rows: the bottom row keeps what it shows.
  std::fill_n(m.memory.begin() + kCharacterRam, 24 * kScreenColumns, 0x20);
  m.screen.fullRedraw = true;
}

}  // namespace zorva
