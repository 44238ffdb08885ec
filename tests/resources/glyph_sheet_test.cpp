// The character set: the generated sheet matches charset.txt pixel for pixel
// in the documented layout, the printable and mosaic ranges hold what they
// promise, and make_glyph_sheet refuses malformed files naming the line.
#include "resources/glyph_sheet.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace zorva {
namespace {

using Rows = std::array<std::string, 8>;

// charset.txt read naively: a "0x" line, then its 8 rows.
std::map<int, Rows> ReadCharsetText() {
  std::ifstream in(ZORVA_CHARSET_TXT);
  std::map<int, Rows> glyphs;
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("0x", 0) != 0) continue;
    const int code = std::stoi(line.substr(2, 2), nullptr, 16);
    for (std::string& row : glyphs[code]) std::getline(in, row);
  }
  return glyphs;
}

// Pixel of the whole 128 x 128 sheet, straight from the bytes.
bool SheetInk(int x, int y) { return (kGlyphSheet[y * 16 + x / 8] & (0x80 >> (x % 8))) == 0; }

TEST(GlyphSheet, EveryGlyphMatchesCharsetTextInTheSheetLayout) {
  const std::map<int, Rows> text = ReadCharsetText();
  ASSERT_EQ(text.size(), 256u);
  for (const auto& [code, rows] : text) {
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        const bool ink = rows[y].at(x) == '#';
        ASSERT_EQ(SheetInk(8 * (code % 16) + x, 8 * (code / 16) + y), ink)
            << "glyph " << code << " pixel " << x << "," << y;
        ASSERT_EQ(GlyphInk(static_cast<uint8_t>(code), x, y), ink);
      }
    }
  }
  // The two corners named in the layout: 'A' at (8, 32), 0xFF at (120, 120).
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(SheetInk(8 + x, 32 + y), text.at('A')[y][x] == '#');
      EXPECT_EQ(SheetInk(120 + x, 120 + y), text.at(0xFF)[y][x] == '#');
    }
  }
}

std::string GlyphBits(int code) {
  std::string bits;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) bits += GlyphInk(static_cast<uint8_t>(code), x, y) ? '#' : '.';
  }
  return bits;
}

TEST(GlyphSheet, PrintableAsciiIsDistinctAndOnlySpaceIsBlank) {
  for (int y = 0; y < 8; ++y) EXPECT_EQ(kGlyphSheet[(16 + y) * 16], 0xFF) << "space is all paper";
  std::set<std::string> seen;
  for (int code = 0x21; code <= 0x7E; ++code) {
    const std::string bits = GlyphBits(code);
    EXPECT_NE(bits.find('#'), std::string::npos) << "blank printable " << char(code);
    EXPECT_TRUE(seen.insert(bits).second) << "duplicate printable " << char(code);
  }
}

TEST(GlyphSheet, MosaicsAreTheSixtyFourBlockCombinations) {
  for (int bits = 0; bits < 64; ++bits) {
    const uint8_t code = static_cast<uint8_t>(glyph::kMosaic + bits);
    for (int y = 0; y < 8; ++y) {
      const int band = y < glyph::kMosaicBandTop[1] ? 0 : y < glyph::kMosaicBandTop[2] ? 1 : 2;
      for (int x = 0; x < 8; ++x) {
        const int block = band * 2 + (x >= 4 ? 1 : 0);
        ASSERT_EQ(GlyphInk(code, x, y), ((bits >> block) & 1) != 0)
            << "mosaic " << bits << " pixel " << x << "," << y;
      }
    }
  }
}

// ---------------------------------------------------------------------------
// make_glyph_sheet on files written for the test.

struct RunResult {
  int status;
  std::string errors;
  std::string output;
};

RunResult RunGenerator(const std::string& input) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("zorva_glyphs_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const auto in = dir / "input.txt", out = dir / "out.cpp", err = dir / "err.txt";
  std::ofstream(in, std::ios::binary) << input;
  std::filesystem::remove(out);
  const std::string command = "'" ZORVA_MAKE_GLYPH_SHEET "' '" + in.string() + "' '" +
                              out.string() + "' 2> '" + err.string() + "'";
  const int raw = std::system(command.c_str());
  RunResult result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, "", ""};
  std::stringstream errors, output;
  errors << std::ifstream(err).rdbuf();
  result.errors = errors.str();
  if (std::filesystem::exists(out)) {
    output << std::ifstream(out).rdbuf();
    result.output = output.str();
  }
  std::filesystem::remove_all(dir);
  return result;
}

// 256 blank glyphs; glyph c's header is on line 1 + 9c, its row r on 1 + 9c + r.
std::vector<std::string> BlankCharsetLines() {
  std::vector<std::string> lines;
  for (int c = 0; c < 256; ++c) {
    char header[8];
    std::snprintf(header, sizeof header, "0x%02X", c);
    lines.push_back(header);
    for (int r = 0; r < 8; ++r) lines.push_back("........");
  }
  return lines;
}

std::string Join(const std::vector<std::string>& lines, const char* eol = "\n") {
  std::string text;
  for (const std::string& line : lines) text += line + eol;
  return text;
}

TEST(MakeGlyphSheet, AcceptsAWellFormedFileWithCommentsAndCrLf) {
  std::vector<std::string> lines = BlankCharsetLines();
  lines.insert(lines.begin(), {"; a comment", ""});
  lines[2 + 9 * 0x41 + 1] = "##.....#";
  const RunResult r = RunGenerator(Join(lines, "\r\n"));
  EXPECT_EQ(r.status, 0) << r.errors;
  EXPECT_NE(r.output.find("kGlyphSheet"), std::string::npos);
  EXPECT_NE(r.output.find("0xFF, 0x3E, 0xFF"), std::string::npos)
      << "row 0 of 'A', leftmost pixel high";
}

TEST(MakeGlyphSheet, RejectsMalformedFilesNamingTheLine) {
  struct Case {
    const char* what;
    int line;            // 1-based line to change, 0 for none
    const char* text;    // replacement; nullptr removes the line
    int drop;            // lines removed from the end
    const char* expect;  // part of the message
  };
  const Case cases[] = {
      {"short row", 1 + 9 * 0x10 + 3, ".......", 0,
       "input.txt:148: error: row 3 of glyph 0x10 has 7"},
      {"long row", 1 + 9 * 0x10 + 3, ".........", 0, ":148: error: row 3 of glyph 0x10 has 9"},
      {"bad pixel", 1 + 9 * 0x20 + 8, "...o....", 0,
       ":297: error: row 8 of glyph 0x20: character 4"},
      {"duplicate", 1 + 9 * 0x11, "0x10 again", 0,
       ":154: error: glyph 0x10 is already defined at line 145"},
      {"not a header", 1 + 9 * 0x30, "A 0x30", 0, ":433: error: expected a glyph header"},
      {"bad hex", 1 + 9 * 0x30, "0xG0", 0, ":433: error: expected a glyph header"},
      {"blank in glyph", 1 + 9 * 0x40 + 5, "", 0,
       ":582: error: row 5 of glyph 0x40 expected, found a blank"},
      {"row missing", 1 + 9 * 0x40 + 8, nullptr, 0, ":585: error: row 8 of glyph 0x40 expected"},
      {"truncated", 0, nullptr, 3, ":2301: error: file ends inside glyph 0xFF after 5 of 8 rows"},
      {"glyph missing", 0, nullptr, 9, ":2295: error: 1 of 256 glyphs missing: 0xFF"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = BlankCharsetLines();
    if (c.line > 0 && c.text) lines[c.line - 1] = c.text;
    if (c.line > 0 && !c.text) lines.erase(lines.begin() + (c.line - 1));
    lines.resize(lines.size() - c.drop);
    const RunResult r = RunGenerator(Join(lines));
    EXPECT_EQ(r.status, 1) << c.what;
    EXPECT_NE(r.errors.find(c.expect), std::string::npos) << c.what << ": " << r.errors;
    EXPECT_TRUE(r.output.empty()) << c.what << ": no output on error";
  }
  const RunResult binary = RunGenerator(std::string("\x89PNG\r\n\x1A\n\0\0", 10));
  EXPECT_EQ(binary.status, 1);
  EXPECT_NE(binary.errors.find(":1: error: expected a glyph header"), std::string::npos);
}

}  // namespace
}  // namespace zorva
