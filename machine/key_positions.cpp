#include "machine/key_positions.h"

#include <array>

#include "machine/keyboard.h"

namespace zorva {
namespace {

// Evdev code -> virtual key for a US keyboard (linux/input-event-codes.h).
constexpr std::array<unsigned, 128> BuildEvdevTable() {
  std::array<unsigned, 128> t{};
  t[1] = vk::kEscape;
  for (unsigned i = 0; i < 9; ++i) t[2 + i] = '1' + i;  // 2-10: 1-9
  t[11] = '0';
  t[12] = vk::kOemMinus;
  t[13] = vk::kOemPlus;
  t[14] = vk::kBack;
  t[15] = vk::kTab;
  constexpr char kTop[] = "QWERTYUIOP";
  for (unsigned i = 0; i < 10; ++i) t[16 + i] = static_cast<unsigned>(kTop[i]);
  t[26] = vk::kOem4;
  t[27] = vk::kOem6;
  t[28] = vk::kReturn;
  t[29] = vk::kControl;
  constexpr char kHome[] = "ASDFGHJKL";
  for (unsigned i = 0; i < 9; ++i) t[30 + i] = static_cast<unsigned>(kHome[i]);
  t[39] = vk::kOem1;
  t[40] = vk::kOem7;
  t[41] = vk::kOem3;
  t[42] = vk::kShift;
  t[43] = vk::kOem5;
  constexpr char kBottom[] = "ZXCVBNM";
  for (unsigned i = 0; i < 7; ++i) t[44 + i] = static_cast<unsigned>(kBottom[i]);
  t[51] = vk::kOemComma;
  t[52] = vk::kOemPeriod;
  t[53] = vk::kOem2;
  t[54] = vk::kShift;
  t[55] = vk::kMultiply;
  t[56] = vk::kMenu;
  t[57] = vk::kSpace;
  t[58] = vk::kCapital;
  for (unsigned i = 0; i < 10; ++i) t[59 + i] = vk::kF1 + i;  // F1-F10
  t[69] = vk::kNumLock;
  t[70] = vk::kScroll;
  // The keypad as with Num Lock on: 7 8 9 - / 4 5 6 + / 1 2 3 / 0 .
  constexpr unsigned kPad[] = {7, 8, 9, 0xFF, 4, 5, 6, 0xFF, 1, 2, 3, 0};
  for (unsigned i = 0; i < 12; ++i) {
    if (kPad[i] != 0xFF) t[71 + i] = vk::kNumpad0 + kPad[i];
  }
  t[74] = vk::kSubtract;
  t[78] = vk::kAdd;
  t[83] = vk::kDecimal;
  t[86] = vk::kOem102;
  t[87] = vk::kF1 + 10;  // F11
  t[88] = vk::kF12;
  t[96] = vk::kReturn;  // keypad Enter
  t[97] = vk::kControl;
  t[98] = vk::kDivide;
  t[99] = vk::kSnapshot;
  t[100] = vk::kMenu;  // right Alt
  t[102] = vk::kHome;
  t[103] = vk::kUp;
  t[104] = vk::kPrior;
  t[105] = vk::kLeft;
  t[106] = vk::kRight;
  t[107] = vk::kEnd;
  t[108] = vk::kDown;
  t[109] = vk::kNext;
  t[110] = vk::kInsert;
  t[111] = vk::kDelete;
  t[119] = vk::kPause;
  t[125] = vk::kLWin;
  t[126] = vk::kRWin;
  t[127] = vk::kApps;
  return t;
}

constexpr std::array<unsigned, 128> kEvdevTable = BuildEvdevTable();

}  // namespace

unsigned VirtualKeyFromEvdev(unsigned code) {
  return code < kEvdevTable.size() ? kEvdevTable[code] : 0;
}

}  // namespace zorva
