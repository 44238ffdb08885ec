#include "shell/key_mapping.h"

#include <array>
#include <utility>

#include "machine/keyboard.h"

namespace zorva {
namespace {

// XKB keycodes are evdev codes shifted by the 8 codes X11 reserves.
constexpr quint32 kXkbOffset = 8;

// Shifted symbols of a US layout and the key that carries them.
constexpr std::pair<int, unsigned> kSymbols[] = {
    {Qt::Key_Exclam, '1'},
    {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},
    {Qt::Key_ParenRight, '0'},
    {Qt::Key_Minus, vk::kOemMinus},
    {Qt::Key_Underscore, vk::kOemMinus},
    {Qt::Key_Equal, vk::kOemPlus},
    {Qt::Key_Plus, vk::kOemPlus},
    {Qt::Key_BracketLeft, vk::kOem4},
    {Qt::Key_BraceLeft, vk::kOem4},
    {Qt::Key_BracketRight, vk::kOem6},
    {Qt::Key_BraceRight, vk::kOem6},
    {Qt::Key_Backslash, vk::kOem5},
    {Qt::Key_Bar, vk::kOem5},
    {Qt::Key_Semicolon, vk::kOem1},
    {Qt::Key_Colon, vk::kOem1},
    {Qt::Key_Apostrophe, vk::kOem7},
    {Qt::Key_QuoteDbl, vk::kOem7},
    {Qt::Key_Comma, vk::kOemComma},
    {Qt::Key_Less, vk::kOemComma},
    {Qt::Key_Period, vk::kOemPeriod},
    {Qt::Key_Greater, vk::kOemPeriod},
    {Qt::Key_Slash, vk::kOem2},
    {Qt::Key_Question, vk::kOem2},
    {Qt::Key_QuoteLeft, vk::kOem3},
    {Qt::Key_AsciiTilde, vk::kOem3},
};

constexpr std::pair<int, unsigned> kNamedKeys[] = {
    {Qt::Key_Escape, vk::kEscape},   {Qt::Key_Tab, vk::kTab},
    {Qt::Key_Backtab, vk::kTab},     {Qt::Key_Backspace, vk::kBack},
    {Qt::Key_Return, vk::kReturn},   {Qt::Key_Enter, vk::kReturn},
    {Qt::Key_Space, vk::kSpace},     {Qt::Key_Shift, vk::kShift},
    {Qt::Key_Control, vk::kControl}, {Qt::Key_Alt, vk::kMenu},
    {Qt::Key_AltGr, vk::kMenu},      {Qt::Key_Meta, vk::kLWin},
    {Qt::Key_Menu, vk::kApps},       {Qt::Key_CapsLock, vk::kCapital},
    {Qt::Key_NumLock, vk::kNumLock}, {Qt::Key_ScrollLock, vk::kScroll},
    {Qt::Key_Pause, vk::kPause},     {Qt::Key_Print, vk::kSnapshot},
    {Qt::Key_Insert, vk::kInsert},   {Qt::Key_Delete, vk::kDelete},
    {Qt::Key_Home, vk::kHome},       {Qt::Key_End, vk::kEnd},
    {Qt::Key_PageUp, vk::kPrior},    {Qt::Key_PageDown, vk::kNext},
    {Qt::Key_Left, vk::kLeft},       {Qt::Key_Up, vk::kUp},
    {Qt::Key_Right, vk::kRight},     {Qt::Key_Down, vk::kDown},
};

unsigned KeypadKey(int key) {
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return vk::kNumpad0 + (key - Qt::Key_0);
  switch (key) {
    case Qt::Key_Asterisk: return vk::kMultiply;
    case Qt::Key_Plus: return vk::kAdd;
    case Qt::Key_Minus: return vk::kSubtract;
    case Qt::Key_Period: return vk::kDecimal;
    case Qt::Key_Comma: return vk::kDecimal;
    case Qt::Key_Slash: return vk::kDivide;
    case Qt::Key_Enter: return vk::kReturn;
    default: return 0;
  }
}

}  // namespace

unsigned VirtualKeyFromQtKey(int key, bool keypad) {
  if (keypad) {
    if (const unsigned code = KeypadKey(key)) return code;
  }
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return vk::kF1 + (key - Qt::Key_F1);
  for (const auto& [qtKey, code] : kSymbols) {
    if (qtKey == key) return code;
  }
  for (const auto& [qtKey, code] : kNamedKeys) {
    if (qtKey == key) return code;
  }
  return 0;
}

unsigned MapHostKey(const HostKey& key, bool xkbScanCodes) {
  if (xkbScanCodes && key.nativeScanCode > kXkbOffset) {
    if (const unsigned code = VirtualKeyFromEvdev(key.nativeScanCode - kXkbOffset)) return code;
  }
  return VirtualKeyFromQtKey(key.qtKey, key.keypad);
}

bool IsSystemKey(unsigned virtualKey, bool altHeld) {
  return altHeld || virtualKey == vk::kMenu || virtualKey == vk::kF10;
}

}  // namespace zorva
