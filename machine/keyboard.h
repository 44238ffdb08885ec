// The keyboard matrix: 8 columns selected by the high byte of a port address,
// 6 rows read in the low bits of the byte that comes back (0 = pressed). The
// machine keeps, in the port space, the byte each relevant port should return,
// and the key handlers rewrite those cells as host keys go down and up.
//
// Keys are named by virtual-key code (the numbering below); the shell maps the
// host's keys onto these codes by physical position.
#pragma once

#include <array>
#include <cstdint>

namespace zorva {

namespace vk {
inline constexpr unsigned kBack = 0x08;
inline constexpr unsigned kTab = 0x09;
inline constexpr unsigned kReturn = 0x0D;
inline constexpr unsigned kShift = 0x10;
inline constexpr unsigned kControl = 0x11;
inline constexpr unsigned kMenu = 0x12;
inline constexpr unsigned kEscape = 0x1B;
inline constexpr unsigned kSpace = 0x20;
inline constexpr unsigned kF1 = 0x70;         // F1-F12 are 0x70-0x7B
inline constexpr unsigned kOem1 = 0xBA;       // ; :
inline constexpr unsigned kOemPlus = 0xBB;    // = +
inline constexpr unsigned kOemComma = 0xBC;   // , <
inline constexpr unsigned kOemMinus = 0xBD;   // - _
inline constexpr unsigned kOemPeriod = 0xBE;  // . >
inline constexpr unsigned kOem2 = 0xBF;       // / ?
inline constexpr unsigned kOem3 = 0xC0;       // ` ~
// Letters are 'A'-'Z' (0x41-0x5A), the main keyboard's digits '0'-'9'.
}  // namespace vk

struct Keyboard {
  // Indexed by virtual-key code: (column byte << 8) | row byte, 0 = not in the matrix.
  std::array<uint16_t, 256> keyTable{};
  bool shiftDown = false;
  bool ctrlDown = false;
};

void BuildKeyTable(Keyboard& kb);

// The key handlers. `portSpace` is the machine's 64 KiB port array; codes
// outside 0-255 are keys without a place in the matrix.
void OnKeyDown(Keyboard& kb, uint8_t* portSpace, unsigned code);
void OnKeyUp(Keyboard& kb, uint8_t* portSpace, unsigned code);
// Enter arrives as the window's OK command rather than as a key press.
void OnOK(uint8_t* portSpace);

}  // namespace zorva
