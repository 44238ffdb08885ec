// The zorva-run command line: the values and names it refuses and why, and
// the escapes of --type text. What each option does is tested end to
// end, in zorva_run_test.cpp.
#include "tools/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zorva::tools {
namespace {

ParseResult Parse(std::vector<std::string_view> args) { return ParseOptions(args); }

TEST(Options, ValuesAtTheEdgesOfTheirRangesAndUsageErrors) {
  const std::string address = " is not an address from 0 to 0xFFFF";
  const std::string count = " is not a number of instructions";
  const std::string gap = count + " from 1 to 4294967295";
  const std::string zoom = " is not a zoom factor of 1, 2 or 3";
  const struct {
    std::vector<std::string_view> args;
    std::string error;  // empty: accepted
  } cases[] = {
      {{"--", "-odd.rom"}, ""},
      {{"-odd.rom"}, "unknown option '-odd.rom'"},
      {{"a.rom", "--end", "0xFFFF"}, ""},
      {{"a.rom", "--end", "0x10000"}, "--end: '0x10000'" + address},
      {{"a.rom", "--end", "\t1"}, "--end: '\\t1'" + address},
      {{"a.rom", "--steps", "18446744073709551615"}, ""},
      {{"a.rom", "--steps", "18446744073709551616"}, "--steps: '18446744073709551616'" + count},
      {{"a.rom", "--key-gap", "0X1f"}, ""},
      {{"a.rom", "--key-gap", "0"}, "--key-gap: '0'" + gap},
      {{"a.rom", "--key-gap", "4294967295"}, ""},
      {{"a.rom", "--key-gap", "4294967296"}, "--key-gap: '4294967296'" + gap},
      {{"a.rom", "--type-after", "0"}, ""},
      {{"a.rom", "--type-after", "4294967296"},
       "--type-after: '4294967296'" + count + " from 0 to 4294967295"},
      {{"a.rom", "--zoom", "0"}, "--zoom: '0'" + zoom},
      {{"a.rom", "--zoom=4"}, "--zoom: '4'" + zoom},
      {{}, "no ROM image given"},
      {{""}, "the ROM image needs a file name, not an empty one"},
      {{"a.rom", "--steps"}, "--steps needs a value"},
      {{"a.rom", "--png", ""}, "--png needs a file name, not an empty one"},
      {{"a.rom", "--type-file", ""}, "--type-file needs a file name, not an empty one"},
      {{"a.rom", "--programs", ""}, "--programs needs a folder name, not an empty one"},
      {{"a.rom", "--programs", "my programs"}, ""},
      {{"a.rom", "--type", "\t\xC3\xA9"}, ""},  // typed text may hold anything
      // Arguments show in one printable line, whatever control characters they hold.
      {{"a.rom", "b\nc.rom"}, "more than one ROM given: 'a.rom' and 'b\\nc.rom'"},
      {{"--fast\r", "a.rom"}, "unknown option '--fast\\r'"},
      {{"-\x7F", "a.rom"}, "unknown option '-\\x7F'"},
  };
  for (const auto& c : cases) {
    const ParseResult r = Parse(c.args);
    EXPECT_EQ(r.action,
              c.error.empty() ? ParseResult::Action::Run : ParseResult::Action::UsageError)
        << c.error;
    EXPECT_EQ(r.error, c.error);
  }
  // Help wins over anything, even an error, after it.
  EXPECT_EQ(Parse({"a.rom", "--help", "b.rom"}).action, ParseResult::Action::Help);
}

TEST(Options, TypedTextTurnsBackslashNBAndCIntoTheirCharacters) {
  EXPECT_EQ(TypedText("a\\nb\\bc\\t\\\\n\\c"), "a\nb\bc\\t\\\n\x03");
  EXPECT_EQ(TypedText("ends in \\"), "ends in \\");
  EXPECT_EQ(Parse({"a.rom", "--type", "x\\ny"}).options.typed, "x\ny");
}

}  // namespace
}  // namespace zorva::tools
