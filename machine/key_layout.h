// Our ROM's keyboard layout: which key of the machine's matrix, and which
// modifier held with it, types each character. Letters, digits and the
// unshifted keys are where a US keyboard has them, and so are the shifted
// symbols, except that the double quote is on Shift+2 and the apostrophe on
// Shift+7, as on the machine's own keyboard. What they push aside (@ and &)
// and the six characters without a key of their own are on Ctrl: @ and & stay
// on their keys, the brackets sit beside the parentheses, the braces on the
// angle brackets, the backslash on the slash, the bar on the minus.
//
// The ROM's key tables (rom/keyboard.asm) are the other half of this table;
// the ROM tests type every character through it and read the screen back.
#pragma once

#include <optional>

namespace zorva {

struct KeyChord {
  unsigned code;      // virtual-key code of a key in the matrix
  unsigned modifier;  // 0, vk::kShift or vk::kControl

  bool operator==(const KeyChord&) const = default;
};

// The chord that types `c`: every printable ASCII character, Backspace ('\b')
// and Ctrl+C (0x03, Break) have one; Enter is not a chord (it arrives as the
// window's OK).
std::optional<KeyChord> ChordFor(char c);

}  // namespace zorva
