#include "machine/screen.h"

#include "resources/glyph_sheet.h"

namespace zorva {

uint32_t NibbleToColor(unsigned n) {
  n &= 0x0F;
  if (n == 0) return 0xFF000000;
  const unsigned base = (n & 8) ? 0 : 127;
  const unsigned red = base + ((n & 1) ? 128 : 0);
  const unsigned green = base + ((n & 2) ? 128 : 0);
  const unsigned blue = base + ((n & 4) ? 128 : 0);
  return 0xFF000000 | red << 16 | green << 8 | blue;
}

void PaintCell(Screen& screen, const uint8_t* memory, int column, int row, uint8_t code) {
  const int cell = row * kScreenColumns + column;
  const uint8_t colour = memory[kColourRam + cell];
  const uint32_t ink = NibbleToColor(colour >> 4);
  const uint32_t paper = NibbleToColor(colour & 0x0F);

  // The sheet is 16 x 16 glyphs, 16 bytes per pixel row, leftmost pixel in the top bit.
  const uint8_t* glyph = &kGlyphSheet[(code / 16) * 8 * 16 + code % 16];
  uint32_t* out = &screen.frame[row * 8 * Screen::kWidth + column * 8];
  for (int y = 0; y < 8; ++y, glyph += 16, out += Screen::kWidth) {
    const uint8_t bits = *glyph;  // 0 = ink, 1 = paper
    for (int x = 0; x < 8; ++x) out[x] = (bits & (0x80 >> x)) ? paper : ink;
  }
  screen.screenShadow[cell] = memory[kCharacterRam + cell];
}

int PaintScreen(Screen& screen, const uint8_t* memory) {
  int painted = 0;
  for (int row = 0; row < kScreenRows; ++row) {
    for (int column = 0; column < kScreenColumns; ++column) {
      const int cell = row * kScreenColumns + column;
      const uint8_t code = memory[kCharacterRam + cell];
      if (code != screen.screenShadow[cell] || screen.fullRedraw) {
        PaintCell(screen, memory, column, row, code);
        ++painted;
      }
    }
  }
  screen.fullRedraw = false;
  return painted;
}

}  // namespace zorva
