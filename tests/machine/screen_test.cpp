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

struct Frame {
  Frame() { memory.fill(0); }
  uint32_t Pixel(int x, int y) const { return screen.frame[y * Screen::kWidth + x]; }
  void Put(int column, int row, uint8_t code, uint8_t colour) {
    memory[0x3000 + row * 40 + column] = code;
    memory[0x3400 + row * 40 + column] = colour;
  }
  std::array<uint8_t, 65536> memory{};
  Screen screen;
};

bool Ink(uint8_t code, int x, int y) {
  return !(kGlyphSheet[(8 * (code / 16) + y) * 16 + code % 16] & (0x80 >> x));
}

TEST(PaintScreen, CellShowsItsGlyphInItsColours) {
  const struct {
    uint8_t colour;
    uint32_t ink, paper;
  } cases[] = {
      {0x70, 0xFFFFFFFF, 0xFF000000}, {0x07, 0xFF000000, 0xFFFFFFFF},
      {0x8F, 0xFF000000, 0xFF808080}, {0x00, 0xFF000000, 0xFF000000},
      {0x1E, 0xFFFF7F7F, 0xFF008080},
  };
  for (const auto& c : cases) {
    Frame f;
    f.Put(39, 24, 'A', c.colour);
    PaintScreen(f.screen, f.memory.data());
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        ASSERT_EQ(f.Pixel(312 + x, 192 + y), Ink('A', x, y) ? c.ink : c.paper)
            << std::hex << int(c.colour) << " at " << x << "," << y;
      }
    }
  }
}

TEST(PaintScreen, GlyphsComeFromTheirPlaceInTheSheet) {
  // 'A' (0x41) is the square at (8, 32) of the sheet, 0xFF the one at (120, 120).
  for (uint8_t code : {0x41, 0xFF, 0x00, 0x7F}) {
    Frame f;
    f.Put(0, 0, code, 0x70);
    PaintScreen(f.screen, f.memory.data());
    int inked = 0;
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        const int sx = 8 * (code % 16) + x, sy = 8 * (code / 16) + y;
        const bool ink = !(kGlyphSheet[sy * 16 + sx / 8] & (0x80 >> (sx % 8)));
        EXPECT_EQ(f.Pixel(x, y), ink ? 0xFFFFFFFFu : 0xFF000000u);
        inked += ink;
      }
    }
    if (code == 0x41) {
      EXPECT_GT(inked, 8);
    }
  }
}

TEST(PaintScreen, OnlyChangedCodesAreRepaintedUntilAFullRedraw) {
  Frame f;
  EXPECT_EQ(PaintScreen(f.screen, f.memory.data()), 1000);  // start-up draws everything
  EXPECT_FALSE(f.screen.fullRedraw);
  EXPECT_EQ(PaintScreen(f.screen, f.memory.data()), 0);

  f.Put(5, 3, 'Z', 0x70);
  EXPECT_EQ(PaintScreen(f.screen, f.memory.data()), 1);
  EXPECT_EQ(f.screen.screenShadow[3 * 40 + 5], 'Z');

  // A colour change under the same character waits for the next full redraw.
  f.memory[0x3400 + 3 * 40 + 5] = 0x07;
  const uint32_t before = f.Pixel(40, 24);
  EXPECT_EQ(PaintScreen(f.screen, f.memory.data()), 0);
  EXPECT_EQ(f.Pixel(40, 24), before);
  f.screen.fullRedraw = true;
  EXPECT_EQ(PaintScreen(f.screen, f.memory.data()), 1000);
  EXPECT_NE(f.Pixel(40, 24), before);
}

}  // namespace
}  // namespace zorva
