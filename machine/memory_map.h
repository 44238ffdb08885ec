// Where things are in the machine's 64 KiB address space.
#pragma once

#include <cstdint>

namespace zorva {

inline constexpr uint16_t kRomAddress = 0x0000;
inline constexpr uint32_t kRomSize = 8192;
inline constexpr uint16_t kCharacterRam = 0x3000;  // 40 x 25 character codes, row after row
inline constexpr uint16_t kColourRam = 0x3400;     // one colour byte per cell, same layout
inline constexpr int kScreenColumns = 40;
inline constexpr int kScreenRows = 25;
inline constexpr int kScreenCells = kScreenColumns * kScreenRows;
inline constexpr uint16_t kCartridgeAddress = 0xC000;
inline constexpr uint32_t kCartridgeSize = 16384;

}  // namespace zorva
