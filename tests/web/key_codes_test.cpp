// The page's keys by position: KeyboardEvent.code values to the virtual keys a
// US keyboard has at those places, and every key of the README's key table
// reaching the machine's matrix.
#include "web/key_codes.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "machine/key_positions.h"
#include "machine/keyboard.h"

namespace zorva {
namespace {

TEST(KeyCodes, CodesAreTheKeysAUsKeyboardHasThere) {
  const struct {
    std::string_view code;
    unsigned key;
  } cases[] = {
      {"KeyA", 'A'},
      {"KeyQ", 'Q'},
      {"KeyZ", 'Z'},
      {"KeyM", 'M'},
      {"KeyP", 'P'},
      {"KeyL", 'L'},
      {"Digit1", '1'},
      {"Digit9", '9'},
      {"Digit0", '0'},
      {"Minus", vk::kOemMinus},
      {"Equal", vk::kOemPlus},
      {"BracketLeft", vk::kOem4},
      {"BracketRight", vk::kOem6},
      {"Backslash", vk::kOem5},
      {"Semicolon", vk::kOem1},
      {"Quote", vk::kOem7},
      {"Backquote", vk::kOem3},
      {"Comma", vk::kOemComma},
      {"Period", vk::kOemPeriod},
      {"Slash", vk::kOem2},
      {"IntlBackslash", vk::kOem102},
      {"Space", vk::kSpace},
      {"Enter", vk::kReturn},
      {"NumpadEnter", vk::kReturn},
      {"Backspace", vk::kBack},
      {"Tab", vk::kTab},
      {"Escape", vk::kEscape},
      {"ShiftLeft", vk::kShift},
      {"ShiftRight", vk::kShift},
      {"ControlLeft", vk::kControl},
      {"ControlRight", vk::kControl},
      {"AltLeft", vk::kMenu},
      {"AltRight", vk::kMenu},
      {"CapsLock", vk::kCapital},
      {"F1", vk::kF1},
      {"F10", vk::kF10},
      {"F11", vk::kF1 + 10},
      {"F12", vk::kF12},
      {"Numpad0", vk::kNumpad0},
      {"Numpad7", vk::kNumpad0 + 7},
      {"Numpad3", vk::kNumpad0 + 3},
      {"NumpadDecimal", vk::kDecimal},
      {"NumpadAdd", vk::kAdd},
      {"NumpadSubtract", vk::kSubtract},
      {"NumpadMultiply", vk::kMultiply},
      {"NumpadDivide", vk::kDivide},
      {"ArrowUp", vk::kUp},
      {"ArrowLeft", vk::kLeft},
      {"Home", vk::kHome},
      {"PageDown", vk::kNext},
      {"Insert", vk::kInsert},
      {"Delete", vk::kDelete},
      {"Pause", vk::kPause},
      {"MetaLeft", vk::kLWin},
      {"ContextMenu", vk::kApps},
      // Not keys we know: nothing, whatever the text.
      {"", 0},
      {"keya", 0},
      {"KeyA ", 0},
      {"Key", 0},
      {"Lang1", 0},
      {"Unidentified", 0},
      {std::string_view("KeyA\0", 5), 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VirtualKeyFromKeyCode(c.code), c.key) << "'" << c.code << "'";
  }
}

// The README's key table: letters, digits, the punctuation keys, Space and
// Backspace have a place in the matrix, and Shift and Ctrl (either of each)
// show as the modifier bits of column 7F. (Enter is the window's OK and
// reaches the machine by OnOK.)
TEST(KeyCodes, EveryKeyOfTheReadmesTableReachesTheMatrix) {
  Keyboard keyboard;
  BuildKeyTable(keyboard);
  std::vector<std::string> codes = {"Minus", "Equal",     "Semicolon", "Comma",    "Period",
                                    "Slash", "Backquote", "Space",     "Backspace"};
  for (char c = 'A'; c <= 'Z'; ++c) codes.push_back(std::string("Key") + c);
  for (char c = '0'; c <= '9'; ++c) codes.push_back(std::string("Digit") + c);
  for (const std::string& code : codes) {
    const unsigned key = VirtualKeyFromKeyCode(code);
    ASSERT_NE(key, 0u) << code;
    EXPECT_NE(keyboard.keyTable[key], 0) << code << " has no place in the matrix";
  }
  const struct {
    std::string_view code;
    uint8_t bit;
  } modifiers[] = {
      {"ShiftLeft", 0x10}, {"ShiftRight", 0x10}, {"ControlLeft", 0x20}, {"ControlRight", 0x20}};
  for (const auto& m : modifiers) {
    std::vector<uint8_t> ports(65536, 0xFF);
    const unsigned key = VirtualKeyFromKeyCode(m.code);
    OnKeyDown(keyboard, ports.data(), key);
    EXPECT_EQ(ports[0x7FFF] & 0x30, 0x30 & ~m.bit) << m.code;
    OnKeyUp(keyboard, ports.data(), key);
  }
}

}  // namespace
}  // namespace zorva
