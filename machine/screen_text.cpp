#include "machine/screen_text.h"

#include "machine/memory_map.h"
#include "resources/glyph_sheet.h"

namespace zorva {
namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string ScreenRowText(std::span<const uint8_t, 65536> memory, int row) {
  std::string text;
  for (int column = 0; column < kScreenColumns; ++column) {
    const char32_t c = kGlyphText[memory[kCharacterRam + row * kScreenColumns + column]];
    AppendUtf8(text, c == 0 ? U' ' : c);
  }
  return text;
}

std::string ScreenText(std::span<const uint8_t, 65536> memory) {
  std::string text;
  for (int row = 0; row < kScreenRows; ++row) {
    std::string line = ScreenRowText(memory, row);
    line.erase(line.find_last_not_of(' ') + 1);
    text += line;
    text += '\n';
  }
  return text;
}

}  // namespace zorva
