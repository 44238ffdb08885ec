// Host keys to the machine's virtual-key codes (machine/keyboard.h), by the
// key's physical position: the key where a US keyboard has ';' is VK_OEM_1
// whatever the user's layout prints on it, so the emulated keyboard stays
// where the fingers expect it.
//
// Under X11 and Wayland a key event carries an XKB keycode, which is the Linux
// evdev code plus 8; that is the position (machine/key_positions.h). Platforms without one
// (offscreen, synthetic events) report 0, and the Qt key is used instead, with shifted symbols
// folded back onto the key that carries them on a US layout.
#pragma once

#include <QtCore/Qt>
#include <cstdint>

#include "machine/key_positions.h"

namespace zorva {

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
