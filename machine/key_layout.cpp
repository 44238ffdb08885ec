#include "machine/key_layout.h"

#include "machine/keyboard.h"

namespace zorva {

std::optional<KeyChord> ChordFor(char c) {
  constexpr unsigned kShift = vk::kShift, kCtrl = vk::kControl;
  if (c >= 'a' && c <= 'z') return KeyChord{static_cast<unsigned>(c - 'a' + 'A'), 0};
  if (c >= 'A' && c <= 'Z') return KeyChord{static_cast<unsigned>(c), kShift};
  if (c >= '0' && c <= '9') return KeyChord{static_cast<unsigned>(c), 0};
  switch (c) {
    case ' ': return KeyChord{vk::kSpace, 0};
    case '\b': return KeyChord{vk::kBack, 0};
    case '\x03': return KeyChord{'C', kCtrl};  // ETX, as Ctrl+C has always typed it: Break
    case ';': return KeyChord{vk::kOem1, 0};
    case ':': return KeyChord{vk::kOem1, kShift};
    case '=': return KeyChord{vk::kOemPlus, 0};
    case '+': return KeyChord{vk::kOemPlus, kShift};
    case ',': return KeyChord{vk::kOemComma, 0};
    case '<': return KeyChord{vk::kOemComma, kShift};
    case '{': return KeyChord{vk::kOemComma, kCtrl};
    case '-': return KeyChord{vk::kOemMinus, 0};
    case '_': return KeyChord{vk::kOemMinus, kShift};
    case '|': return KeyChord{vk::kOemMinus, kCtrl};
    case '.': return KeyChord{vk::kOemPeriod, 0};
    case '>': return KeyChord{vk::kOemPeriod, kShift};
    case '}': return KeyChord{vk::kOemPeriod, kCtrl};
    case '/': return KeyChord{vk::kOem2, 0};
    case '?': return KeyChord{vk::kOem2, kShift};
    case '\\': return KeyChord{vk::kOem2, kCtrl};
    case '`': return KeyChord{vk::kOem3, 0};
    case '~': return KeyChord{vk::kOem3, kShift};
    case '!': return KeyChord{'1', kShift};
    case '"': return KeyChord{'2', kShift};
    case '@': return KeyChord{'2', kCtrl};
    case '#': return KeyChord{'3', kShift};
    case '$': return KeyChord{'4', kShift};
    case '%': return KeyChord{'5', kShift};
    case '^': return KeyChord{'6', kShift};
    case '\'': return KeyChord{'7', kShift};
    case '&': return KeyChord{'7', kCtrl};
    case '*': return KeyChord{'8', kShift};
    case '(': return KeyChord{'9', kShift};
    case '[': return KeyChord{'9', kCtrl};
    case ')': return KeyChord{'0', kShift};
    case ']': return KeyChord{'0', kCtrl};
    default: return std::nullopt;
  }
}

}  // namespace zorva
