#include "machine/keyboard.h"

namespace zorva {
namespace {

// Column 0x7F also carries the modifiers: bit 4 is 0 while Shift is held, bit 5 while Ctrl is.
constexpr uint16_t kModifierPort = 0x7FFF;
constexpr uint16_t kAllColumnsPort = 0x00FF;
constexpr uint16_t kFirstColumnPort = 0xFEFF;

// Rows (row byte) by columns (column byte 0xFE, 0xFD, ... 0x7F); 0 marks an empty place.
constexpr uint8_t kRowBytes[6] = {0xFE, 0xFD, 0xFB, 0xF7, 0xEF, 0xDF};
constexpr unsigned kMatrix[6][8] = {
    {vk::kOemPlus, vk::kOemMinus, '9', '8', '6', '5', '3', '2'},
    {vk::kBack, vk::kOem2, 'O', 'I', 'Y', 'T', 'E', 'W'},
    {vk::kOem3, '0', 'K', '7', 'G', '4', 'S', '1'},
    {vk::kReturn, 'P', 'M', 'U', 'V', 'R', 'Z', 'Q'},
    {vk::kOem1, 'L', 'N', 'H', 'C', 'D', vk::kSpace, 0},
    {vk::kOemPeriod, vk::kOemComma, 'J', 'B', 'F', 'X', 'A', 0},
};

uint16_t Entry(const Keyboard& kb, unsigned code) { return code < 256 ? kb.keyTable[code] : 0; }
uint16_t ColumnPort(uint16_t entry) { return (entry & 0xFF00) | 0x00FF; }

}  // namespace

void BuildKeyTable(Keyboard& kb) {
  kb.keyTable.fill(0);
  for (int row = 0; row < 6; ++row) {
    for (int column = 0; column < 8; ++column) {
      const unsigned code = kMatrix[row][column];
      if (code == 0) continue;
      const unsigned columnByte = 0xFF & ~(1u << column);
      kb.keyTable[code] = static_cast<uint16_t>(columnByte << 8 | kRowBytes[row]);
    }
  }
}

void OnKeyDown(Keyboard& kb, uint8_t* portSpace, unsigned code) {
  if (code == vk::kShift) kb.shiftDown = true;
  else if (code == vk::kControl) kb.ctrlDown = true;

  // A key without a place writes 0x00 to the all-columns cell: every row reads pressed there.
  const uint16_t entry = Entry(kb, code);
  const auto row = static_cast<uint8_t>(entry);
  portSpace[ColumnPort(entry)] = row;  // the whole column byte: one key per column shows
  uint8_t modifiers = portSpace[kModifierPort];
  portSpace[kAllColumnsPort] = row;
  modifiers = kb.shiftDown ? (modifiers & ~0x10) : (modifiers | 0x10);
  modifiers = kb.ctrlDown ? (modifiers & ~0x20) : (modifiers | 0x20);
  portSpace[kModifierPort] = modifiers;
}

void OnKeyUp(Keyboard& kb, uint8_t* portSpace, unsigned code) {
  portSpace[kAllColumnsPort] = 0xFF;
  portSpace[kFirstColumnPort] = 0xFF;
  portSpace[ColumnPort(Entry(kb, code))] = 0xFF;
  if (code == vk::kShift) kb.shiftDown = false;
  else if (code == vk::kControl) kb.ctrlDown = false;
}

void OnOK(uint8_t* portSpace) {
  // RETURN in column 0xFE; column 0x7F shows rows 4-7 pressed at the same time.
  portSpace[kModifierPort] = 0x0F;
  portSpace[kAllColumnsPort] = 0xF7;
  portSpace[kFirstColumnPort] = 0xF7;
}

}  // namespace zorva
