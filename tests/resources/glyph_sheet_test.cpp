// The character set: the generated sheet matches charset.txt pixel for pixel
// in the documented layout, the mosaics are the 64 block combinations, and
// make_glyph_sheet refuses malformed files naming the line.
#include "resources/glyph_sheet.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace zorva {
namespace {

// Each glyph of charset.txt, read naively (a "0x" line, then 8 rows of 8), as
// its 64 pixels in a row.
std::map<int, std::string> ReadCharsetText() {
  std::ifstream in(ZORVA_CHARSET_TXT);
  std::map<int, std::string> glyphs;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("0x", 0) != 0) continue;
    std::string& pixels = glyphs[std::stoi(line.substr(2, 2), nullptr, 16)];
    for (int row = 0; row < 8 && std::getline(in, line); ++row) pixels += line.substr(0, 8);
  }
  return glyphs;
}

// 8 x 8 pixels as charset.txt writes them: '#' ink, '.' paper.
std::string Pixels(const std::function<bool(int x, int y)>& ink) {
  std::string pixels;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) pixels += ink(x, y) ? '#' : '.';
  }
  return pixels;
}

// The 8 x 8 block at (x0, y0) of the 128 x 128 sheet, straight from its bytes.
std::string SheetPixels(int x0, int y0) {
  return Pixels([=](int x, int y) {
    return (kGlyphSheet[(y0 + y) * 16 + (x0 + x) / 8] & (0x80 >> ((x0 + x) % 8))) == 0;
  });
}

TEST(GlyphSheet, EveryGlyphMatchesCharsetTextInTheSheetLayout) {
  const std::map<int, std::string> text = ReadCharsetText();
  ASSERT_EQ(text.size(), 256u);
  for (const auto& [code, pixels] : text) {
    EXPECT_EQ(SheetPixels(8 * (code % 16), 8 * (code / 16)), pixels) << "glyph " << code;
    EXPECT_EQ(Pixels([&](int x, int y) { return GlyphInk(uint8_t(code), x, y); }), pixels) << code;
  }
  // The layout's documented anchor, independent of the formula above.
  EXPECT_EQ(SheetPixels(8, 32), text.at('A'));
}

// Mosaic n has block b (left/right in the top, middle and bottom bands) inked
// when bit b of n is set.
TEST(GlyphSheet, MosaicsAreTheSixtyFourBlockCombinations) {
  for (int n = 0; n < 64; ++n) {
    const auto block = [&](int x, int y) {
      const int band = y < glyph::kMosaicBandTop[1] ? 0 : y < glyph::kMosaicBandTop[2] ? 1 : 2;
      return ((n >> (band * 2 + x / 4)) & 1) != 0;
    };
    EXPECT_EQ(Pixels([&](int x, int y) { return GlyphInk(uint8_t(glyph::kMosaic + n), x, y); }),
              Pixels(block))
        << "mosaic " << n;
  }
}

// Copied text: printable ASCII as itself, and each mosaic as the Unicode
// sextant of the same blocks (Unicode leaves out the two that are half blocks).
TEST(GlyphText, AsciiAsItselfAndMosaicsAsTheirSextants) {
  for (int c = 0x20; c < 0x7F; ++c) EXPECT_EQ(uint32_t(kGlyphText[c]), uint32_t(c));
  EXPECT_EQ(uint32_t(kGlyphText[glyph::kBlank]), 0u);
  for (uint32_t n = 1; n < 63; ++n) {
    const uint32_t expected = n == 21   ? 0x258Cu
                              : n == 42 ? 0x2590u
                                        : 0x1FB00 + n - 1 - (n > 21) - (n > 42);
    EXPECT_EQ(uint32_t(kGlyphText[glyph::kMosaic + n]), expected) << "mosaic " << n;
  }
  EXPECT_EQ(uint32_t(kGlyphText[glyph::kMosaic + 63]), 0x2588u);
}

// make_glyph_sheet on a file of 256 blank glyphs with one fault planted:
// refused with status 1 and no output, the message naming the line.
TEST(MakeGlyphSheet, RejectsMalformedFilesNamingTheLine) {
  // The 1-based line to replace (0: none) and its replacement, the number of
  // lines removed from the end, and part of the message.
  const std::tuple<int, const char*, int, const char*> cases[] = {
      {1 + 9 * 0x10 + 3, ".......", 0, "input.txt:148: error: row 3 of glyph 0x10 has 7"},
      {1 + 9 * 0x20 + 8, "...o....", 0, ":297: error: row 8 of glyph 0x20: character 4"},
      {1 + 9 * 0x11, "0x10 again", 0, ":154: error: glyph 0x10 is already defined at line 145"},
      {1 + 9 * 0x30, "A 0x30", 0, ":433: error: expected a glyph header"},
      {1 + 9 * 0x40 + 5, "", 0, ":582: error: row 5 of glyph 0x40 expected, found a blank"},
      {1 + 9 * 0x41, "0x41 A U+00C1", 0, ":586: error: glyph 0x41 is printable ASCII"},
      {1 + 9 * 0x90, "0x90 shade U+D800", 0, ":1297: error: the header's U+ character is not"},
      {0, nullptr, 3, ":2301: error: file ends inside glyph 0xFF after 5 of 8 rows"},
      {0, nullptr, 9, ":2295: error: 1 of 256 glyphs missing: 0xFF"},
  };
  std::vector<std::string> blank;  // glyph g's header on line 1 + 9g, its row r on 1 + 9g + r
  for (int g = 0; g < 256; ++g) {
    char header[8];
    std::snprintf(header, sizeof header, "0x%02X", g);
    blank.push_back(header);
    blank.insert(blank.end(), 8, "........");
  }
  const auto dir =
      std::filesystem::temp_directory_path() / ("zorva_glyphs_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const auto in = dir / "input.txt", out = dir / "out.cpp";
  for (const auto& [line, text, drop, expect] : cases) {
    std::vector<std::string> lines = blank;
    if (line > 0) lines[line - 1] = text;
    lines.resize(lines.size() - drop);
    std::ofstream file(in);
    for (const std::string& l : lines) file << l << '\n';
    file.close();
    const std::string command =
        "'" ZORVA_MAKE_GLYPH_SHEET "' '" + in.string() + "' '" + out.string() + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string errors(4096, '\0');
    errors.resize(std::fread(errors.data(), 1, errors.size(), pipe));
    const int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << expect;
    EXPECT_NE(errors.find(expect), std::string::npos) << errors;
    EXPECT_FALSE(std::filesystem::exists(out)) << expect;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zorva
