// The screen's character set as one 128 x 128 one-bit picture, generated at
// build time from resources/charset.txt (the file to edit) by make_glyph_sheet.
//
// 16 x 16 glyphs of 8 x 8 pixels; glyph c has its top-left corner at
// x = 8 * (c % 16), y = 8 * (c / 16). Rows run top-down, 16 bytes per row,
// the most significant bit is the leftmost pixel; ink is 0 and paper is 1.
// A screen cell draws its glyph's ink in the foreground colour and the paper
// in the background colour:
//
//   for (int y = 0; y < 8; ++y)
//     for (int x = 0; x < 8; ++x)
//       Plot(x, y, GlyphInk(code, x, y) ? foreground : background);
//
// Printable ASCII 0x20-0x7E stands at its own codes; the comment at the top of
// charset.txt lists the graphic characters. Link zorva_resources to use it.
#pragma once

#include <array>
#include <cstdint>

namespace zorva {

constexpr int kGlyphSheetSide = 128;   // pixels, both ways
constexpr int kGlyphSheetStride = 16;  // bytes per row

extern const std::array<uint8_t, 2048> kGlyphSheet;

// What each code shows as text, for copying the screen: printable ASCII as
// itself, a graphic character as the Unicode character it draws where one
// fits (charset.txt names it), 0 where none does.
extern const std::array<char32_t, 256> kGlyphText;

// True when pixel (x, y), 0-7 each, of glyph code is ink.
inline bool GlyphInk(uint8_t code, int x, int y) {
  const int row = (code / 16) * 8 + y;
  const uint8_t bits = kGlyphSheet[row * kGlyphSheetStride + code % 16];
  return (bits & (0x80 >> x)) == 0;
}

// Codes of the graphic characters that programs are most likely to compute.
namespace glyph {
constexpr uint8_t kBlank = 0x00;
constexpr uint8_t kSolid = 0x7F;
constexpr uint8_t kBoxFirst = 0x80;    // 0x80-0x8A: single-line box drawing
constexpr uint8_t kShadeLight = 0x90;  // 0x90-0x92: light, medium, dark
constexpr uint8_t kBarLower = 0xA0;    // 0xA0 + n - 1: bottom n/8 inked, n = 1-7
constexpr uint8_t kBarLeft = 0xA8;     // 0xA8 + n - 1: left n/8 inked, n = 1-7
constexpr uint8_t kMosaic = 0xC0;      // 0xC0 + bits: 2 x 3 blocks, bit i = block i
// Mosaic blocks: bit 0 top-left, 1 top-right, 2 middle-left, 3 middle-right,
// 4 bottom-left, 5 bottom-right. Rows 0-2 are the top band, 3-4 the middle and
// 5-7 the bottom; columns 0-3 are left, 4-7 right. Band b (0 top, 1 middle,
// 2 bottom) covers rows kMosaicBandTop[b] to kMosaicBandTop[b + 1] - 1.
constexpr int kMosaicBandTop[4] = {0, 3, 5, 8};
}  // namespace glyph

}  // namespace zorva
