// The page's keys by position: a KeyboardEvent.code ("KeyA", "Digit2",
// "Semicolon", ...) names the key's place on the keyboard whatever the layout
// prints on it. It is turned into the Linux evdev code of that place and goes
// through the window's own table (machine/key_positions.h), so every key the
// window passes to the machine the page passes too, and to the same key.
#pragma once

#include <string_view>

namespace zorva {

// The evdev code of the key at `code`, or 0 for a code we do not know.
unsigned EvdevFromKeyCode(std::string_view code);

// The virtual key at `code` (machine/keyboard.h), or 0.
unsigned VirtualKeyFromKeyCode(std::string_view code);

}  // namespace zorva
