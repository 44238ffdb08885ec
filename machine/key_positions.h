// Keys by their physical position: the Linux evdev code of a key (its place
// on the keyboard, whatever the layout prints on it) to the virtual-key code
// of the key a US keyboard has there. The window reads evdev codes from XKB
// keycodes, the page from KeyboardEvent.code; both go through this one table,
// so the emulated keyboard is the same in each.
#pragma once

namespace zorva {

// Virtual-key codes of keys that have no place in the matrix but that the
// front ends tell apart; the matrix's own codes are in machine/keyboard.h.
namespace vk {
inline constexpr unsigned kPause = 0x13;
inline constexpr unsigned kCapital = 0x14;
inline constexpr unsigned kPrior = 0x21;
inline constexpr unsigned kNext = 0x22;
inline constexpr unsigned kEnd = 0x23;
inline constexpr unsigned kHome = 0x24;
inline constexpr unsigned kLeft = 0x25;
inline constexpr unsigned kUp = 0x26;
inline constexpr unsigned kRight = 0x27;
inline constexpr unsigned kDown = 0x28;
inline constexpr unsigned kSnapshot = 0x2C;
inline constexpr unsigned kInsert = 0x2D;
inline constexpr unsigned kDelete = 0x2E;
inline constexpr unsigned kLWin = 0x5B;
inline constexpr unsigned kRWin = 0x5C;
inline constexpr unsigned kApps = 0x5D;
inline constexpr unsigned kNumpad0 = 0x60;  // keypad digits are 0x60-0x69
inline constexpr unsigned kMultiply = 0x6A;
inline constexpr unsigned kAdd = 0x6B;
inline constexpr unsigned kSubtract = 0x6D;
inline constexpr unsigned kDecimal = 0x6E;
inline constexpr unsigned kDivide = 0x6F;
inline constexpr unsigned kF10 = 0x79;
inline constexpr unsigned kF12 = 0x7B;
inline constexpr unsigned kNumLock = 0x90;
inline constexpr unsigned kScroll = 0x91;
inline constexpr unsigned kOem4 = 0xDB;    // [ {
inline constexpr unsigned kOem5 = 0xDC;    // \ |
inline constexpr unsigned kOem6 = 0xDD;    // ] }
inline constexpr unsigned kOem7 = 0xDE;    // ' "
inline constexpr unsigned kOem102 = 0xE2;  // the extra key left of Z on ISO keyboards
}  // namespace vk

// The virtual key at Linux evdev position `code`, or 0 for a key we do not know.
unsigned VirtualKeyFromEvdev(unsigned code);

}  // namespace zorva
