// LOAD's check of a program file: which files are programs, and the lines
// they give as if typed in file order.
#include "run/program_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorva {
namespace {

using namespace std::string_view_literals;
using Lines = std::vector<ProgramLine>;

constexpr size_t kWide = 200;

TEST(ProgramLines, TakesLinesAsTyped) {
  const struct {
    const char* what;
    std::string_view file;
    Lines lines;
  } cases[] = {
      {"empty file", "", {}},
      {"LF and CR LF mixed, no last line end",
       "10 PRINT 1\r\n20 PRINT 2\n30 GOTO 10",
       {{10, "10 PRINT 1"}, {20, "20 PRINT 2"}, {30, "30 GOTO 10"}}},
      {"CR LF at the very end", "5 END\r\n", {{5, "5 END"}}},
      {"blank and space-only lines skipped",
       "\n   \r\n10 A=1\n\r\n \n20 B=2\n\n",
       {{10, "10 A=1"}, {20, "20 B=2"}}},
      {"leading spaces kept in the text", "  10 print x\n", {{10, "  10 print x"}}},
      {"leading zeros",
       "0010 X\n00000000000000020 Y\n0 Z\n",
       {{0, "0 Z"}, {10, "0010 X"}, {20, "00000000000000020 Y"}}},
      {"no space after the number", "10PRINT\n", {{10, "10PRINT"}}},
      {"line 63999", "63999 END\n", {{63999, "63999 END"}}},
      {"sorted by number",
       "30 C\n10 A\n20 B\n1 Z\n",
       {{1, "1 Z"}, {10, "10 A"}, {20, "20 B"}, {30, "30 C"}}},
      {"a later line replaces", "10 A\n20 B\n10 C\n", {{10, "10 C"}, {20, "20 B"}}},
      {"a bare number deletes", "10 A\n20 B\n10\n", {{20, "20 B"}}},
      {"number with spaces deletes, CR LF", "10 A\r\n20 B\r\n  20  \r\n", {{10, "10 A"}}},
      {"deleting as the unterminated last line", "10 A\n20 B\n20", {{10, "10 A"}}},
      {"everything deleted", "10 A\n10\n", {}},
      {"a number with its own text keeps quotes and symbols",
       "10 PRINT \"~{}|\\`\"\n",
       {{10, "10 PRINT \"~{}|\\`\""}}},
  };
  for (const auto& c : cases) {
    const auto lines = ProgramLines(c.file, kWide);
    ASSERT_TRUE(lines) << c.what;
    EXPECT_EQ(*lines, c.lines) << c.what;
  }
}

TEST(ProgramLines, RefusesAWholeFileForOneBadLine) {
  const struct {
    const char* what;
    std::string_view file;
  } cases[] = {
      {"no number", "10 A\nPRINT 1\n"},
      {"minus sign", "-10 A\n"},
      {"number after text", "A 10\n"},
      {"64000", "64000 A\n"},
      {"65536 wraps to 0 at 16 bits", "65536 A\n"},
      {"10000000", "10000000 A\n"},
      {"4294967306 wraps to 10 at 32 bits", "4294967306 A\n"},
      {"tab", "10\tA\n"},
      {"NUL", "10 A\0\n"sv},
      {"0x80", "10 A\x80\n"},
      {"UTF-8", "10 PRINT \"\xC3\xA9\"\n"},
      {"lone CR inside a line", "10 A\rB\n"},
      {"CR at the end of the file", "10 A\n20 B\r"},
      {"a bad byte in a later, deleted line", "10 A\n10 \x01\n10\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(ProgramLines(c.file, kWide), std::nullopt) << c.what;
}

TEST(ProgramLines, CountsTheWholeLineAsWrittenAgainstTheLimit) {
  constexpr size_t kMax = 20;
  const std::string exact = "10 " + std::string(kMax - 3, 'X');
  const std::string over = exact + "X";
  const std::string indented = "  10 " + std::string(kMax - 5, 'X');
  ASSERT_EQ(exact.size(), kMax);
  for (const std::string_view end : {"\n"sv, "\r\n"sv, ""sv}) {
    const auto fits = ProgramLines(exact + std::string(end), kMax);
    ASSERT_TRUE(fits) << "line end size " << end.size();
    EXPECT_EQ(*fits, (Lines{{10, exact}}));
    EXPECT_TRUE(ProgramLines(indented + std::string(end), kMax));
    EXPECT_EQ(ProgramLines(over + std::string(end), kMax), std::nullopt);
    EXPECT_EQ(ProgramLines("  " + exact + std::string(end), kMax), std::nullopt);
  }
  // A long line is refused even when a later line deletes it.
  EXPECT_EQ(ProgramLines(over + "\n10\n", kMax), std::nullopt);
}

}  // namespace
}  // namespace zorva
