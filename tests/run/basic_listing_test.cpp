// SAVE's listing of the program in memory: tokens spelled from the keyword
// table, and every kind of damaged program refused without reading outside
// memory.
#include "run/basic_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zorva {
namespace {

using Bytes = std::vector<uint8_t>;
using Memory = std::array<uint8_t, 65536>;

constexpr uint16_t kProgram = 0x3900;
constexpr uint16_t kKeywords = 0x2000;
constexpr uint8_t kPrint = 0x92, kGoto = 0x88, kUnknown = 0xC0;

// PRINT twice (only the first spelling counts), GOTO, and ? for an alias of PRINT.
const Bytes kTable = {'P', 'R', 'I',        'N',    'T' | 0x80, kPrint, 'G',
                      'O', 'T', 'O' | 0x80, kGoto,  'P',        'R',    'I',
                      'N', 'T', 'X' | 0x80, kPrint, '?' | 0x80, kPrint, 0};

// One stored line: length byte, number, text, 0.
Bytes Line(uint16_t number, std::initializer_list<uint8_t> text) {
  Bytes line;
  line.reserve(text.size() + 4);
  line.push_back(static_cast<uint8_t>(text.size() + 4));
  line.push_back(static_cast<uint8_t>(number));
  line.push_back(static_cast<uint8_t>(number >> 8));
  for (const uint8_t byte : text) line.push_back(byte);
  line.push_back(0);
  return line;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// Memory filled with 0xEE (no terminator anywhere by chance), holding the
// program and the table.
std::unique_ptr<Memory> Image(const Bytes& program, uint16_t at = kProgram,
                              const Bytes& table = kTable, uint16_t tableAt = kKeywords) {
  auto memory = std::make_unique<Memory>();
  memory->fill(0xEE);
  std::copy(table.begin(), table.end(), memory->begin() + tableAt);
  // Whatever would lie past 0xFFFF is cut off, as on the machine.
  const size_t fits = std::min(program.size(), memory->size() - at);
  std::copy(program.begin(), program.begin() + fits, memory->begin() + at);
  return memory;
}

std::optional<std::string> List(const Memory& memory, uint16_t at = kProgram,
                                uint16_t tableAt = kKeywords) {
  return ListProgram(memory, at, tableAt);
}

TEST(ListProgram, SpellsEachLineAsList) {
  const struct {
    const char* what;
    Bytes program;
    std::string listing;
  } cases[] = {
      {"empty program", {0}, ""},
      {"a token no keyword has", Join({Line(3, {0x80, 'A'}), {0}}), "3 ?A\n"},
      {"tokens spelled",
       Join({Line(10, {kPrint, '"', 'H', 'I', '"'}), Line(20, {kGoto, '1', '0'}), {0}}),
       "10 PRINT\"HI\"\n20 GOTO10\n"},
      {"first entry of a token wins", Join({Line(5, {kPrint, ' ', kPrint}), {0}}),
       "5 PRINT PRINT\n"},
      {"unknown token", Join({Line(7, {kUnknown, 0xFF, 'A'}), {0}}), "7 ??A\n"},
      {"empty text", Join({Line(0, {}), {0}}), "0 \n"},
      {"number little-endian, no leading zeros", Join({Line(0x0102, {'X'}), {0}}), "258 X\n"},
      {"highest number", Join({Line(65535, {'X'}), {0}}), "65535 X\n"},
      {"low bytes as they are", Join({Line(1, {'\t', 0x01, 0x7F}), {0}}), "1 \t\x01\x7F\n"},
      {"nothing after the end byte is read", Join({Line(1, {'A'}), {0}, Line(2, {'B'}), {0}}),
       "1 A\n"},
  };
  for (const auto& c : cases) {
    const auto memory = Image(c.program);
    EXPECT_EQ(List(*memory), c.listing) << c.what;
  }
}

TEST(ListProgram, RefusesADamagedProgram) {
  Bytes wrongLength = Line(10, {'A', 'B'});
  wrongLength[0] += 1;  // the 0 byte comes one early
  Bytes shortLength = Line(10, {'A', 'B'});
  shortLength[0] -= 1;                    // the last byte is 'B', not 0
  Bytes early = Line(10, {'A', 0, 'B'});  // a 0 inside the text
  const struct {
    const char* what;
    Bytes program;
  } cases[] = {
      {"length 1", Join({{1, 10, 0}, {0}})},
      {"length 3", Join({{3, 10, 0}, {0}})},
      {"length 3 after a good line", Join({Line(10, {'A'}), {3, 20, 0}, {0}})},
      {"terminator past the length", Join({wrongLength, {0}})},
      {"no terminator at the length", Join({shortLength, {0}})},
      {"terminator inside the text", Join({early, {0}})},
      {"bad second line", Join({Line(10, {'A'}), shortLength, {0}})},
  };
  for (const auto& c : cases) {
    const auto memory = Image(c.program);
    EXPECT_EQ(List(*memory), std::nullopt) << c.what;
  }
}

TEST(ListProgram, RefusesWhatRunsPastTheEndOfMemory) {
  const Bytes line = Line(10, {'A', 'B'});  // 6 bytes
  const struct {
    const char* what;
    Bytes program;
    uint16_t at;
  } cases[] = {
      {"line runs past 0xFFFF", line, 0xFFFC},
      {"length byte on 0xFFFF", {200}, 0xFFFF},
      {"line ends on 0xFFFF, no room for the end byte", line, 0xFFFA},
      {"length 255 two bytes from the end", {255, 1}, 0xFFFE},
  };
  for (const auto& c : cases) {
    auto memory = Image(c.program, c.at);
    EXPECT_EQ(List(*memory, c.at), std::nullopt) << c.what;
  }
  // The same line with its end byte on 0xFFFF is whole.
  const auto whole = Image(Join({line, {0}}), 0xFFF9);
  EXPECT_EQ(List(*whole, 0xFFF9), "10 AB\n");
}

TEST(ListProgram, RefusesAKeywordTableThatNeverEnds) {
  const Bytes program = Join({Line(10, {'A'}), {0}});
  const struct {
    const char* what;
    Bytes table;
    uint16_t at;
  } cases[] = {
      {"no end byte before 0xFFFF", {'A' | 0x80, 0x80}, 0xFFFE},
      {"characters run to the end", {'A', 'B', 'C'}, 0xFFFD},
      {"token byte missing", {'A', 'B' | 0x80}, 0xFFFE},
  };
  for (const auto& c : cases) {
    const auto memory = Image(program, kProgram, c.table, c.at);
    EXPECT_EQ(List(*memory, kProgram, c.at), std::nullopt) << c.what;
  }
  // A table ending exactly on 0xFFFF is whole.
  const auto whole = Image(Join({Line(10, {0x80}), {0}}), kProgram, {'A' | 0x80, 0x80, 0}, 0xFFFD);
  EXPECT_EQ(List(*whole, kProgram, 0xFFFD), "10 A\n");
}

TEST(ListProgram, RefusesAListingAbove64KiB) {
  // Lines of 250 PRINT tokens list as "1000 " and 1250 characters and LF:
  // 52 of them are 65312 characters, 53 pass 64 KiB.
  constexpr size_t kListed = 5 + 250 * 5 + 1;
  const auto program = [](int lines) {
    Bytes bytes;
    for (int n = 0; n < lines; ++n) {
      const uint16_t number = static_cast<uint16_t>(1000 + n);
      bytes.push_back(254);
      bytes.push_back(static_cast<uint8_t>(number));
      bytes.push_back(static_cast<uint8_t>(number >> 8));
      bytes.insert(bytes.end(), 250, kPrint);
      bytes.push_back(0);
    }
    bytes.push_back(0);
    return bytes;
  };
  static_assert(52 * kListed <= kMaxListing && 53 * kListed > kMaxListing);
  const auto under = Image(program(52), 0x4000);
  const auto listing = List(*under, 0x4000);
  ASSERT_TRUE(listing);
  EXPECT_EQ(listing->size(), 52 * kListed);
  EXPECT_EQ(listing->substr(0, 16), "1000 PRINTPRINTP");
  EXPECT_EQ(List(*Image(program(53), 0x4000), 0x4000), std::nullopt);
}

}  // namespace
}  // namespace zorva
