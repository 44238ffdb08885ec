// Host keys to the machine's virtual-key codes (machine/keyboard.h), by the
// key's physical position: the key where a US keyboard has ';' is VK_OEM_1
// whatever the user's layout prints on it, so the emulated keyboard stays
// where the fingers expect it.
//
// Under X11 and Wayland a key event carries an XKB keycode, which is the Linux
// evdev code plus 8; that is the position. Platforms without one (offscreen,
// synthetic events) report 0, and the Qt key is used instead, with shifted
// symbols folded back onto the key that carries them on a US layout.
#pragma once

#include <QtCore/Qt>
#include <cstdint>

namespace zorva {

// Virtual-key codes of keys that have no place in the matrix but that the
// window tells apart; the matrix's own codes are in machine/keyboard.h.
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

// The virtual key for a Qt key code, or 0. `keypad` tells a keypad key from its
// main-keyboard twin (Qt::KeypadModifier).
unsigned VirtualKeyFromQtKey(int key, bool keypad);

// One key event, reduced to what the mapping looks at.
struct HostKey {
  int qtKey = 0;
  quint32 nativeScanCode = 0;
  bool keypad = false;
};

// The position when the platform gives XKB keycodes (`xkbScanCodes`) and the
// event has one, otherwise the Qt key. 0 when neither names a known key.
unsigned MapHostKey(const HostKey& key, bool xkbScanCodes);

// Keys that Windows sends as system keys (Alt itself, F10, anything with Alt
// held): they drive the menus and never reach the matrix.
bool IsSystemKey(unsigned virtualKey, bool altHeld);

}  // namespace zorva
