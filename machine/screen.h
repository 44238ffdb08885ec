// Composes the 40 x 25 character screen into a 320 x 200 frame of 0xAARRGGBB
// pixels, one 8 x 8 glyph per cell: ink in the cell's foreground colour (high
// nibble of its colour byte), paper in its background colour (low nibble).
//
// Only cells whose character code changed since they were last painted are
// composed again, unless fullRedraw is set. A colour change under an unchanged
// character therefore shows at the next full redraw, as on the original.
// Shells scale the frame by whole factors with nearest-neighbour pixels.
#pragma once

#include <array>
#include <cstdint>

#include "machine/memory_map.h"

namespace zorva {

struct Screen {
  static constexpr int kWidth = 320;
  static constexpr int kHeight = 200;

  std::array<uint8_t, kScreenCells> screenShadow{};  // the codes as last painted
  bool fullRedraw = true;
  std::array<uint32_t, kWidth * kHeight> frame{};
};

// Colour number 0-15: bit 0 red, bit 1 green, bit 2 blue, bit 3 dark; 0 is black.
uint32_t NibbleToColor(unsigned n);

// One paint pass over `memory` (the machine's 64 KiB). Returns the number of
// cells composed; clears fullRedraw.
int PaintScreen(Screen& screen, const uint8_t* memory);
void PaintCell(Screen& screen, const uint8_t* memory, int column, int row, uint8_t code);

}  // namespace zorva
