// make_glyph_sheet: turns the text character set (charset.txt) into the glyph
// sheet that the screen draws from. Runs on the build host; no Qt.
//
//   make_glyph_sheet <charset.txt> <glyph_sheet.cpp> [<glyph_sheet.bmp>]
//
// The input is checked completely before anything is written: every code
// 0x00-0xFF exactly once, each as a header line "0xNN name" followed by exactly
// 8 rows of exactly 8 pixels ('#' ink, '.' paper); a header may end in the
// Unicode character the glyph draws, "U+XXXX". Lines starting with ';' are
// comments and blank lines may separate glyphs. The first fault is reported as
// "<file>:<line>: error: ..." and the program exits with status 1.
//
// The C++ output defines zorva::kGlyphSheet and zorva::kGlyphText (see
// glyph_sheet.h). The optional
// BMP is the same sheet as a 1-bit Windows bitmap, for looking at.
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kCodes = 256;
constexpr int kGlyphSize = 8;
constexpr int kSheetSide = 128;
constexpr int kBytesPerRow = kSheetSide / 8;
constexpr size_t kLongestLine = 1000;  // anything longer is not a charset file

using Sheet = std::array<uint8_t, kBytesPerRow * kSheetSide>;
using Text = std::array<char32_t, kCodes>;  // 0: the code has no text of its own

struct ParseError {
  int line;  // 0: the file as a whole
  std::string message;
};

// A line shortened and made printable for quoting in a message.
std::string Quote(const std::string& text) {
  std::string out;
  for (char c : text.substr(0, 40)) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F) {
      out += c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", u);
      out += hex;
    }
  }
  if (text.size() > 40) out += "...";
  return "'" + out + "'";
}

std::string CodeName(int code) {
  char name[8];
  std::snprintf(name, sizeof name, "0x%02X", code);
  return name;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "0xNN" optionally followed by white space and a name.
std::optional<int> ParseHeader(const std::string& line) {
  if (line.size() < 4 || line[0] != '0' || (line[1] != 'x' && line[1] != 'X')) return std::nullopt;
  const int hi = HexDigit(line[2]);
  const int lo = HexDigit(line[3]);
  if (hi < 0 || lo < 0) return std::nullopt;
  if (line.size() > 4 && line[4] != ' ' && line[4] != '\t') return std::nullopt;
  return hi * 16 + lo;
}

// The header's last word when it is "U+" and 4 to 6 hex digits; 0 without one.
// An unusable character (a control, a surrogate, beyond U+10FFFF) is -1.
long HeaderUnicode(const std::string& line) {
  const size_t space = line.find_last_of(" \t");
  if (space == std::string::npos || line.compare(space + 1, 2, "U+") != 0) return 0;
  const std::string digits = line.substr(space + 3);
  if (digits.size() < 4 || digits.size() > 6) return -1;
  long value = 0;
  for (const char c : digits) {
    if (HexDigit(c) < 0) return -1;
    value = value * 16 + HexDigit(c);
  }
  if (value < 0xA0 || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) return -1;
  return value;
}

// Reads and checks the whole character set into the sheet (ink 0, paper 1)
// and the text of each code.
std::optional<ParseError> Parse(std::istream& in, Sheet& sheet, Text& text) {
  sheet.fill(0xFF);
  text.fill(0);
  for (int c = 0x20; c < 0x7F; ++c) text[c] = static_cast<char32_t>(c);
  std::array<int, kCodes> definedAt{};  // line of each code's header, 0 = not yet
  std::string line;
  int lineNo = 0;
  int code = -1;     // glyph being read, -1 between glyphs
  int rowsRead = 0;  // rows of that glyph so far
  while (std::getline(in, line)) {
    ++lineNo;
    if (line.size() > kLongestLine) {
      return ParseError{lineNo, "line is longer than " + std::to_string(kLongestLine) +
                                    " characters; is this a character set file?"};
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();

    if (code < 0) {
      if (line.empty() || line[0] == ';') continue;
      const std::optional<int> header = ParseHeader(line);
      if (!header) {
        return ParseError{lineNo,
                          "expected a glyph header such as \"0x41 'A'\", found " + Quote(line)};
      }
      if (definedAt[*header] != 0) {
        return ParseError{lineNo, "glyph " + CodeName(*header) + " is already defined at line " +
                                      std::to_string(definedAt[*header])};
      }
      const long unicode = HeaderUnicode(line);
      if (unicode < 0) {
        return ParseError{lineNo,
                          "the header's U+ character is not one a text can hold: " + Quote(line)};
      }
      if (unicode != 0 && text[*header] != 0) {
        return ParseError{lineNo, "glyph " + CodeName(*header) +
                                      " is printable ASCII and stands for itself; drop its U+"};
      }
      if (unicode != 0) text[*header] = static_cast<char32_t>(unicode);
      code = *header;
      definedAt[code] = lineNo;
      rowsRead = 0;
      continue;
    }

    const std::string where = "row " + std::to_string(rowsRead + 1) + " of glyph " + CodeName(code);
    if (line.empty() || line[0] == ';' || ParseHeader(line)) {
      return ParseError{lineNo, where + " expected, found " +
                                    (line.empty() ? std::string("a blank line") : Quote(line)) +
                                    "; every glyph has exactly 8 rows"};
    }
    for (size_t x = 0; x < line.size() && x < kGlyphSize; ++x) {
      if (line[x] != '#' && line[x] != '.') {
        return ParseError{lineNo, where + ": character " + std::to_string(x + 1) + " is " +
                                      Quote(std::string(1, line[x])) +
                                      "; use '#' for ink and '.' for paper"};
      }
    }
    if (line.size() != kGlyphSize) {
      return ParseError{lineNo, where + " has " + std::to_string(line.size()) +
                                    " pixels; every row has exactly 8"};
    }
    const int y = (code / 16) * kGlyphSize + rowsRead;
    const int byteIndex = y * kBytesPerRow + code % 16;
    uint8_t bits = 0xFF;
    for (int x = 0; x < kGlyphSize; ++x) {
      if (line[x] == '#') bits &= static_cast<uint8_t>(~(0x80 >> x));
    }
    sheet[byteIndex] = bits;
    if (++rowsRead == kGlyphSize) code = -1;
  }
  if (in.bad()) return ParseError{0, "read error"};
  if (code >= 0) {
    return ParseError{lineNo, "file ends inside glyph " + CodeName(code) + " after " +
                                  std::to_string(rowsRead) + " of 8 rows"};
  }
  std::string missing;
  int missingCount = 0;
  for (int c = 0; c < kCodes; ++c) {
    if (definedAt[c] != 0) continue;
    if (++missingCount <= 8) missing += (missing.empty() ? "" : ", ") + CodeName(c);
  }
  if (missingCount > 0) {
    if (missingCount > 8) missing += ", ...";
    return ParseError{lineNo, std::to_string(missingCount) + " of 256 glyphs missing: " + missing};
  }
  return std::nullopt;
}

std::string SheetSource(const Sheet& sheet, const Text& text, const std::string& inputName) {
  std::ostringstream out;
  out << "// Generated by make_glyph_sheet from " << inputName << ". Do not edit.\n"
      << "#include \"resources/glyph_sheet.h\"\n\n"
      << "namespace zorva {\n\n"
      << "extern const std::array<uint8_t, 2048> kGlyphSheet = {\n";
  for (int y = 0; y < kSheetSide; ++y) {
    out << "    ";
    for (int i = 0; i < kBytesPerRow; ++i) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X,", sheet[y * kBytesPerRow + i]);
      out << hex << (i + 1 < kBytesPerRow ? " " : "");
    }
    out << "  // " << y << "\n";
  }
  out << "};\n\n"
      << "extern const std::array<char32_t, 256> kGlyphText = {\n";
  for (int row = 0; row < kCodes; row += 8) {
    out << "   ";
    for (int c = row; c < row + 8; ++c) {
      char hex[16];
      std::snprintf(hex, sizeof hex, " 0x%05X,", static_cast<unsigned>(text[c]));
      out << hex;
    }
    out << "\n";
  }
  out << "};\n\n}  // namespace zorva\n";
  return out.str();
}

void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A 1-bit bottom-up Windows bitmap: palette 0 black (ink), 1 white (paper).
std::string SheetBitmap(const Sheet& sheet) {
  constexpr uint32_t kHeaderSize = 14 + 40 + 8;
  std::string out;
  out += "BM";
  PutLe(out, kHeaderSize + static_cast<uint32_t>(sheet.size()), 4);
  PutLe(out, 0, 4);
  PutLe(out, kHeaderSize, 4);
  PutLe(out, 40, 4);  // BITMAPINFOHEADER
  PutLe(out, kSheetSide, 4);
  PutLe(out, kSheetSide, 4);
  PutLe(out, 1, 2);  // planes
  PutLe(out, 1, 2);  // bits per pixel
  PutLe(out, 0, 4);  // uncompressed
  PutLe(out, static_cast<uint32_t>(sheet.size()), 4);
  PutLe(out, 2835, 4);  // 72 dpi
  PutLe(out, 2835, 4);
  PutLe(out, 2, 4);  // palette entries
  PutLe(out, 2, 4);
  PutLe(out, 0x00000000, 4);  // 0: black
  PutLe(out, 0x00FFFFFF, 4);  // 1: white
  for (int y = kSheetSide - 1; y >= 0; --y) {
    out.append(reinterpret_cast<const char*>(&sheet[y * kBytesPerRow]), kBytesPerRow);
  }
  return out;
}

bool WriteFile(const std::string& path, const std::string& contents) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  file.close();
  if (!file) {
    std::remove(path.c_str());
    std::cerr << path << ": error: cannot write the file\n";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::cerr << "usage: make_glyph_sheet <charset.txt> <glyph_sheet.cpp> [<glyph_sheet.bmp>]\n";
    return 2;
  }
  const std::string inputPath = argv[1];
  std::ifstream input(inputPath, std::ios::binary);
  if (!input) {
    std::cerr << inputPath << ": error: cannot open the character set\n";
    return 1;
  }
  Sheet sheet{};
  Text text{};
  if (const std::optional<ParseError> error = Parse(input, sheet, text)) {
    std::cerr << inputPath;
    if (error->line > 0) std::cerr << ":" << error->line;
    std::cerr << ": error: " << error->message << "\n";
    return 1;
  }
  std::string inputName = inputPath.substr(inputPath.find_last_of('/') + 1);
  if (!WriteFile(argv[2], SheetSource(sheet, text, inputName))) return 1;
  if (argc == 4 && !WriteFile(argv[3], SheetBitmap(sheet))) return 1;
  return 0;
}
