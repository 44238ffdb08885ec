// The zorva-run command line: what each option sets, the numbers it accepts,
// the errors it reports, and the key events that --type text becomes.
#include "tools/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "machine/keyboard.h"

namespace zorva::tools {
namespace {

ParseResult Parse(std::vector<std::string_view> args) { return ParseOptions(args); }

using Kind = KeyEvent::Kind;
KeyEvent Down(unsigned code) { return {Kind::Down, code}; }
KeyEvent Up(unsigned code) { return {Kind::Up, code}; }

TEST(Options, DefaultsWithOnlyARom) {
  const ParseResult r = Parse({"a.rom"});
  ASSERT_EQ(r.action, ParseResult::Action::Run);
  EXPECT_EQ(r.options.rom, "a.rom");
  EXPECT_EQ(r.options.start, 0x0000);
  EXPECT_EQ(r.options.end, 0xFFFF);
  EXPECT_EQ(r.options.steps, 100'000'000u);
  EXPECT_EQ(r.options.keyGap, 20'000u);
  EXPECT_FALSE(r.options.cartridge || r.options.trace || r.options.dump);
  EXPECT_FALSE(r.options.regs || r.options.screen);
  EXPECT_TRUE(r.options.keys.empty());
}

TEST(Options, EveryOptionReachesItsField) {
  const ParseResult r =
      Parse({"--cart", "c.bin",     "--start", "0x10",    "--end", "4096",    "--steps",
             "0",      "--key-gap", "0X1f",    "--trace", "t.log", "--regs",  "--dump",
             "m.bin",  "--screen",  "--type",  "a",       "--",    "-odd.rom"});
  ASSERT_EQ(r.action, ParseResult::Action::Run) << r.error;
  const RunOptions& o = r.options;
  EXPECT_EQ(o.rom, "-odd.rom");
  EXPECT_EQ(o.cartridge, "c.bin");
  EXPECT_EQ(o.start, 0x10);
  EXPECT_EQ(o.end, 4096);
  EXPECT_EQ(o.steps, 0u);
  EXPECT_EQ(o.keyGap, 0x1Fu);
  EXPECT_EQ(o.trace, "t.log");
  EXPECT_EQ(o.dump, "m.bin");
  EXPECT_TRUE(o.regs && o.screen);
  EXPECT_EQ(o.keys, (std::vector<KeyEvent>{Down('A'), Up('A')}));
}

TEST(Options, NumbersAtTheEdgesOfTheirRanges) {
  struct Case {
    std::vector<std::string_view> args;
    bool accepted;
  };
  const Case cases[] = {
      {{"--end", "0xFFFF"}, true},
      {{"--end", "65535"}, true},
      {{"--end", "0x10000"}, false},
      {{"--start", "65536"}, false},
      {{"--steps", "18446744073709551615"}, true},
      {{"--steps", "18446744073709551616"}, false},
      {{"--key-gap", "4294967295"}, true},
      {{"--key-gap", "4294967296"}, false},
      {{"--key-gap", "0"}, false},
      {{"--key-gap", "1"}, true},
  };
  for (const Case& c : cases) {
    std::vector<std::string_view> args = c.args;
    args.push_back("a.rom");
    const ParseResult r = Parse(args);
    EXPECT_EQ(r.action == ParseResult::Action::Run, c.accepted) << c.args[0] << ' ' << c.args[1];
  }
}

TEST(Options, UsageErrorsSayWhatIsWrong) {
  struct Case {
    std::vector<std::string_view> args;
    std::string error;
  };
  const Case cases[] = {
      {{}, "no ROM image given"},
      {{"--regs"}, "no ROM image given"},
      {{"a.rom", "b.rom"}, "more than one ROM given: 'a.rom' and 'b.rom'"},
      {{"--frobnicate", "a.rom"}, "unknown option '--frobnicate'"},
      {{"-x", "a.rom"}, "unknown option '-x'"},
      {{"a.rom", "--steps"}, "--steps needs a value"},
      {{"a.rom", "--start", "12a"}, "--start: '12a' is not an address from 0 to 0xFFFF"},
      {{"a.rom", "--end", "-1"}, "--end: '-1' is not an address from 0 to 0xFFFF"},
      {{"a.rom", "--end", "0x"}, "--end: '0x' is not an address from 0 to 0xFFFF"},
      {{"a.rom", "--end", " 5"}, "--end: ' 5' is not an address from 0 to 0xFFFF"},
      {{"a.rom", "--end", ""}, "--end: '' is not an address from 0 to 0xFFFF"},
      {{"a.rom", "--steps", "1e6"}, "--steps: '1e6' is not a number of instructions"},
      {{"a.rom", "--key-gap", "0"},
       "--key-gap: '0' is not a number of instructions from 1 to 4294967295"},
      {{"a.rom", "--dump", ""}, "--dump needs a file name, not an empty one"},
      {{"a.rom", "--zoom", "4"}, "--zoom: '4' is not a zoom factor of 1, 2 or 3"},
      {{"a.rom", "--zoom", "0"}, "--zoom: '0' is not a zoom factor of 1, 2 or 3"},
      {{"a.rom", "--png", ""}, "--png needs a file name, not an empty one"},
      {{"a.rom", "--type", "{"}, "--type: no key for the character '{'"},
      {{"a.rom", "--type", "a\tb"}, "--type: no key for the character 0x09"},
      {{"a.rom", "--type", "\\t"}, "--type: no key for the character '\\'"},
      {{"a.rom", "--type", "\xC3\xA9"}, "--type: no key for the character 0xC3"},
      {{""}, "the ROM image needs a file name, not an empty one"},
  };
  for (const Case& c : cases) {
    const ParseResult r = Parse(c.args);
    EXPECT_EQ(r.action, ParseResult::Action::UsageError) << c.error;
    EXPECT_EQ(r.error, c.error);
  }
}

TEST(Options, HelpWinsOverEverythingAfterIt) {
  EXPECT_EQ(Parse({"--help"}).action, ParseResult::Action::Help);
  EXPECT_EQ(Parse({"a.rom", "--help", "b.rom"}).action, ParseResult::Action::Help);
  EXPECT_NE(UsageText().find("usage: zorva-run [options] ROM"), std::string_view::npos);
}

TEST(TypedKeys, CharactersBecomeTheKeyEventsOfAUsKeyboard) {
  const KeyEvent shiftDown = Down(vk::kShift), shiftUp = Up(vk::kShift);
  struct Case {
    std::string_view text;
    std::vector<KeyEvent> events;
  };
  const Case cases[] = {
      {"q", {Down('Q'), Up('Q')}},
      {"Q", {shiftDown, Down('Q'), Up('Q'), shiftUp}},
      {"7", {Down('7'), Up('7')}},
      {" ", {Down(vk::kSpace), Up(vk::kSpace)}},
      {"\n", {{Kind::Ok, vk::kReturn}, Up(vk::kReturn)}},
      {"\\n", {{Kind::Ok, vk::kReturn}, Up(vk::kReturn)}},
      {"\b", {Down(vk::kBack), Up(vk::kBack)}},
      {"\\b", {Down(vk::kBack), Up(vk::kBack)}},
      {";", {Down(vk::kOem1), Up(vk::kOem1)}},
      {":", {shiftDown, Down(vk::kOem1), Up(vk::kOem1), shiftUp}},
      {"_", {shiftDown, Down(vk::kOemMinus), Up(vk::kOemMinus), shiftUp}},
      {"?", {shiftDown, Down(vk::kOem2), Up(vk::kOem2), shiftUp}},
      {"~", {shiftDown, Down(vk::kOem3), Up(vk::kOem3), shiftUp}},
      {"", {}},
  };
  for (const Case& c : cases) {
    std::string error;
    const auto events = KeyEventsFor(c.text, error);
    ASSERT_TRUE(events) << c.text << ": " << error;
    EXPECT_EQ(*events, c.events) << c.text;
  }
}

TEST(TypedKeys, ShiftedSymbolsSitOnTheDigitsOfAUsKeyboard) {
  const std::string_view symbols = ")!@#$%^&*(";  // above 0, 1, ... 9
  for (unsigned digit = 0; digit < 10; ++digit) {
    std::string error;
    const auto events = KeyEventsFor(symbols.substr(digit, 1), error);
    ASSERT_TRUE(events);
    EXPECT_EQ(*events, (std::vector<KeyEvent>{Down(vk::kShift), Down('0' + digit), Up('0' + digit),
                                              Up(vk::kShift)}))
        << symbols[digit];
  }
}

TEST(TypedKeys, EveryTypeableCharacterLandsOnAKeyOfTheMatrix) {
  Keyboard keyboard;
  BuildKeyTable(keyboard);
  const std::string_view typeable =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 \n\b;=,-./`:+<_>?~!@#$%^&*()";
  for (const char c : typeable) {
    std::string error;
    const auto events = KeyEventsFor(std::string_view(&c, 1), error);
    ASSERT_TRUE(events) << error;
    for (const KeyEvent& e : *events) {
      if (e.code == vk::kShift) continue;  // Shift has no place, by design
      EXPECT_NE(keyboard.keyTable[e.code], 0) << "'" << c << "' -> " << e.code;
    }
  }
}

}  // namespace
}  // namespace zorva::tools
