// The screen as text: the characters each code copies as, in UTF-8, and the
// shape of the whole screen's text.
#include "machine/screen_text.h"

#include <gtest/gtest.h>

#include <array>

namespace zorva {
namespace {

TEST(ScreenText, CodesAsUtf8OfEveryLengthAndUnknownOnesAsSpaces) {
  const struct {
    uint8_t code;
    const char* text;
  } cases[] = {
      {'A', "A"},
      {0x00, " "},                 // blank
      {0x07, " "},                 // a picture without a Unicode character
      {0xB7, "\xE2\x80\xA2"},      // dot: U+2022, three bytes
      {0x80, "\xE2\x94\x80"},      // box horizontal: U+2500
      {0xC1, "\xF0\x9F\xAC\x80"},  // mosaic top-left: U+1FB00, four bytes
  };
  for (const auto& c : cases) {
    std::array<uint8_t, 65536> memory{};
    memory.fill(' ');
    memory[0x3000 + 40 * 3 + 39] = c.code;  // last column of row 3
    EXPECT_EQ(ScreenRowText(memory, 3), std::string(39, ' ') + c.text) << int(c.code);
  }
}

TEST(ScreenText, TwentyFiveLinesWithoutTrailingSpaces) {
  std::array<uint8_t, 65536> memory{};  // all blank
  memory[0x3000] = 'H';
  memory[0x3001] = 'I';
  memory[0x3000 + 40 * 24 + 2] = 'X';
  memory[0x3000 + 40 * 24 + 3] = 0x00;
  EXPECT_EQ(ScreenText(memory), "HI\n" + std::string(23, '\n') + "  X\n");
}

}  // namespace
}  // namespace zorva
