// Composing the character screen into the frame.
#include "machine/screen.h"

#include <gtest/gtest.h>

#include <array>

#include "resources/glyph_sheet.h"

namespace zorva {
namespace {

TEST(Colours, NibbleToColor) {
  const uint32_t expected[16] = {0x000000, 0xFF7F7F, 0x7FFF7F, 0xFFFF7F, 0x7F7FFF, 0xFF7FFF,
                                 0x7FFFFF, 0xFFFFFF, 0x000000, 0x800000, 0x008000, 0x808000,
                                 0x000080, 0x800080, 0x008080, 0x808080};
  for (unsigned n = 0; n < 16; ++n) EXPECT_EQ(NibbleToColor(n), 0xFF000000 | expected[n]) << n;
}

// The last cell shows the glyph from its square of the 128x128 sheet (code
// 0x41 at (8, 32), 0xFF at (120, 120)), ink in the high nibble's colour.
TEST(PaintScreen, CellShowsItsGlyphInItsColours) {
  const std::pair<uint8_t, uint8_t> cases[] = {
      {0x41, 0x70}, {0x41, 0x8F}, {0xFF, 0x1E}, {0x00, 0x07}};
  for (auto [code, colour] : cases) {
    std::array<uint8_t, 65536> memory{};
    memory[0x33E7] = code;  // row 24, column 39
    memory[0x37E7] = colour;
    Screen screen;
    PaintScreen(screen, memory.data());
    int inked = 0;
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        const int sx = 8 * (code % 16) + x, sy = 8 * (code / 16) + y;
        const bool ink = !(kGlyphSheet[sy * 16 + sx / 8] & (0x80 >> (sx % 8)));
        inked += ink;
        ASSERT_EQ(screen.frame[(192 + y) * Screen::kWidth + 312 + x],
                  NibbleToColor(ink ? colour >> 4 : colour & 15))
            << std::hex << int(code) << "/" << int(colour) << " at " << x << "," << y;
      }
    }
    if (code == 0x41) {
      EXPECT_GT(inked, 8) << "'A' has ink";
    }
  }
}

TEST(PaintScreen, OnlyChangedCodesAreRepaintedUntilAFullRedraw) {
  std::array<uint8_t, 65536> memory{};
  Screen screen;
  EXPECT_EQ(PaintScreen(screen, memory.data()), 1000);  // start-up draws everything
  EXPECT_FALSE(screen.fullRedraw);
  EXPECT_EQ(PaintScreen(screen, memory.data()), 0);

  memory[0x3000 + 3 * 40 + 5] = 'Z';
  memory[0x3400 + 3 * 40 + 5] = 0x70;  // white on black, every pixel flips at 0x07
  EXPECT_EQ(PaintScreen(screen, memory.data()), 1);
  EXPECT_EQ(screen.screenShadow[3 * 40 + 5], 'Z');

  // A colour change under the same character waits for the next full redraw.
  memory[0x3400 + 3 * 40 + 5] = 0x07;
  const uint32_t before = screen.frame[24 * Screen::kWidth + 40];
  EXPECT_EQ(PaintScreen(screen, memory.data()), 0);
  EXPECT_EQ(screen.frame[24 * Screen::kWidth + 40], before);
  screen.fullRedraw = true;
  EXPECT_EQ(PaintScreen(screen, memory.data()), 1000);
  EXPECT_NE(screen.frame[24 * Screen::kWidth + 40], before);
}

}  // namespace
}  // namespace zorva
