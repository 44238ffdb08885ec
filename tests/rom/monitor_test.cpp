// The monitor as a user meets it: typed on the emulated keyboard through
// zorva-run, judged by the screen, the memory and the runner's messages.
// Every run must end with no 'message:' line (an instruction the processor
// lacks would show one) and with all typed keys delivered.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "tests/rom/rom_runner.h"

namespace zorva::romtest {
namespace {

constexpr const char* kBanner = " ZORVA MONITOR 1.0";
constexpr const char* kHint = "Type H for help.";

void ExpectCleanRun(const RunResult& r) {
  EXPECT_EQ(r.status, 0) << r.stderrText;
  EXPECT_EQ(r.StderrLines("message:"), std::vector<std::string>{}) << r.stderrText;
  EXPECT_EQ(r.stderrText.find("run ended before"), std::string::npos) << r.stderrText;
  ASSERT_EQ(r.rows.size(), 25u);
  ASSERT_EQ(r.memory.size(), 65536u);
}

RunResult Type(const std::string& text) {
  RunResult r = RunRom(Typed(text));
  ExpectCleanRun(r);
  return r;
}

// The screen rows from `first` on, trimmed, up to the last non-empty row.
std::vector<std::string> RowsFrom(const RunResult& r, int first) {
  std::vector<std::string> rows;
  for (int i = first; i < 25; ++i) rows.push_back(r.Row(i));
  while (!rows.empty() && rows.back().empty()) rows.pop_back();
  return rows;
}

// A dump line as the monitor prints it, trimmed.
std::string DumpRow(uint16_t address, const std::vector<uint8_t>& bytes) {
  std::string row(40, ' ');
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04X:", address);
  row.replace(0, 5, buf);
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02X", bytes[i]);
    row.replace(6 + 3 * i, 2, buf);
    row[30 + i] = bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '.';
  }
  while (!row.empty() && row.back() == ' ') row.pop_back();
  return row;
}

// A dump line from its two parts: the text column always starts at column 30.
std::string Line(std::string hex, const std::string& text) {
  hex.resize(30, ' ');
  std::string line = hex + text;
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

std::vector<std::string> ZeroDump(uint16_t from, int lines) {
  std::vector<std::string> rows;
  for (int i = 0; i < lines; ++i)
    rows.push_back(DumpRow(static_cast<uint16_t>(from + 8 * i), std::vector<uint8_t>(8, 0)));
  return rows;
}

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// ---------------------------------------------------------------------------

TEST(Boot, ShowsBannerHintAndPromptInColour) {
  const RunResult r = Type("");
  EXPECT_EQ(RowsFrom(r, 0), (std::vector<std::string>{kBanner, kHint, "> ."}));
  EXPECT_EQ(r.Char(2, 2), 0x7F) << "the cursor is the block character";
  for (int c = 0; c < 40; ++c) {
    EXPECT_EQ(r.Colour(0, c), kBannerColour) << c;
    EXPECT_EQ(r.Colour(1, c), kHintColour) << c;
  }
  EXPECT_EQ(r.Colour(2, 0), kPromptColour);
  for (int row = 2; row < 25; ++row) {
    for (int c = row == 2 ? 1 : 0; c < 40; ++c)
      EXPECT_EQ(r.Colour(row, c), kTextColour) << row << "," << c;
  }
}

TEST(Monitor, DumpWrapsPastFFFF) {
  const RunResult r = Type("d fffc 8\\n");
  const std::vector<uint8_t> rom = RomImage();
  EXPECT_EQ(RowsFrom(r, 2),
            (std::vector<std::string>{
                "> d fffc 8",
                DumpRow(0xFFFC, {0x76, 0x76, 0x76, 0x76, rom[0], rom[1], rom[2], rom[3]}), "> ."}));
  EXPECT_EQ(DumpRow(0xFFFC, {0x76, 0x76, 0x76, 0x76, 0xC3}), Line("FFFC: 76 76 76 76 C3", "vvvv."));
}

TEST(Boot, DumpOfTheRomMatchesTheImage) {
  const RunResult r = Type("d 0000\\n");
  const std::vector<uint8_t> rom = RomImage();
  std::vector<std::string> expected = {"> d 0000"};
  for (int line = 0; line < 8; ++line) {
    expected.push_back(
        DumpRow(static_cast<uint16_t>(8 * line),
                std::vector<uint8_t>(rom.begin() + 8 * line, rom.begin() + 8 * line + 8)));
  }
  expected.push_back("> .");
  EXPECT_EQ(RowsFrom(r, 2), expected);
}

// Typed text and the rows it leaves from row 2 on (after the hint).
struct ScreenCase {
  const char* name;
  std::string typed;
  std::vector<std::string> rows;
};

void PrintTo(const ScreenCase& c, std::ostream* os) { *os << c.name; }

class Commands : public testing::TestWithParam<ScreenCase> {};

TEST_P(Commands, LeaveTheExpectedScreen) {
  const ScreenCase& c = GetParam();
  const RunResult r = Type(c.typed);
  EXPECT_EQ(r.Row(0), kBanner);
  EXPECT_EQ(RowsFrom(r, 2), c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Monitor, Commands,
    testing::Values(
        ScreenCase{
            "modify_then_dump",
            "m 4000 12 ab Cd 7 41 7e 7f 20 0\\nd 4000 a\\n",
            {"> m 4000 12 ab Cd 7 41 7e 7f 20 0", "> d 4000 a",
             Line("4000: 12 AB CD 07 41 7E 7F 20", "....A~. "), Line("4008: 00 00", ".."), "> ."}},
        ScreenCase{"upper_case_commands",
                   "M 4010 5A\\nD 4010 1\\n",
                   {"> M 4010 5A", "> D 4010 1", Line("4010: 5A", "Z"), "> ."}},
        ScreenCase{"short_numbers_and_leading_zeros",
                   "m 00004000 00a5\\nd 4000 01\\n",
                   {"> m 00004000 00a5", "> d 4000 01", Line("4000: A5", "."), "> ."}},
        ScreenCase{
            "fill",
            "f 4001 a e5\\nd 4000 10\\n",
            {"> f 4001 a e5", "> d 4000 10", Line("4000: 00 E5 E5 E5 E5 E5 E5 E5", "........"),
             Line("4008: E5 E5 E5 00 00 00 00 00", "........"), "> ."}},
        ScreenCase{"fill_of_nothing",
                   "f 4000 0 e5\\nd 4000 1\\n",
                   {"> f 4000 0 e5", "> d 4000 1", Line("4000: 00", "."), "> ."}},
        ScreenCase{
            "fill_next_to_protected_ranges",
            "f 2000 1 11\\nf 37ff 1 22\\nf 3a00 1 33\\nd 2000 1\\nd 37ff 1\\nd 3a00 1\\n",
            {"> f 2000 1 11", "> f 37ff 1 22", "> f 3a00 1 33", "> d 2000 1", Line("2000: 11", "."),
             "> d 37ff 1", Line("37FF: 22", "\""), "> d 3a00 1", Line("3A00: 33", "3"), "> ."}},
        ScreenCase{
            "bare_dump_goes_on", "m 4008 77\\nd 4000 8\\nd\\n",
            Concat({{"> m 4008 77", "> d 4000 8", DumpRow(0x4000, std::vector<uint8_t>(8, 0)),
                     "> d", DumpRow(0x4008, {0x77, 0, 0, 0, 0, 0, 0, 0})},
                    ZeroDump(0x4010, 7),
                    {"> ."}})},
        ScreenCase{"output_to_a_port_prints_nothing", "o 1 2\\n", {"> o 1 2", "> ."}},
        ScreenCase{"empty_lines", "\\n  \\n", {">", ">", "> ."}},
        ScreenCase{"help",
                   "h\\n",
                   {"> h", "Commands, numbers in hex:", " D [addr [count]]  dump memory",
                    " M addr bb [bb..]  modify memory", " F addr count bb   fill memory",
                    " G addr            call, RET comes back",
                    " O port bb         output to a port", " C                 character set",
                    " P                 colour pairs", " X                 clear screen",
                    " H                 this help", "Free RAM: 3A00-BFFF", "> ."}},
        ScreenCase{"backspace_edits_the_line",
                   "\\b\\bdx\\b 4000 2\\bb1\\n",
                   {"> d 4000 b1", "?BAD NUMBER", "> ."}},
        ScreenCase{"letters_and_digits",
                   "abcdefghijklmnopqrstuvwxyz0123456789\\n",
                   {"> abcdefghijklmnopqrstuvwxyz0123456789", "?SYNTAX", "> ."}},
        ScreenCase{"capitals",
                   "ABCDEFGHIJKLMNOPQRSTUVWXYZ\\n",
                   {"> ABCDEFGHIJKLMNOPQRSTUVWXYZ", "?SYNTAX", "> ."}},
        ScreenCase{"symbols",
                   "=-/`;., !@#$%^&*()_+~:<>?\\n",
                   {"> =-/`;., !@#$%^&*()_+~:<>?", "?SYNTAX", "> ."}},
        ScreenCase{"line_holds_37_characters",
                   "d 4000 1 " + std::string(36, '0') + "\\n",
                   {"> d 4000 1 " + std::string(37 - 9, '0'), "?SYNTAX", "> ."}}),
    [](const testing::TestParamInfo<ScreenCase>& info) { return std::string(info.param.name); });

// A bad line: one error line, a new prompt, and the next command still works.
struct ErrorCase {
  const char* name;
  std::string line;
  std::string message;
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.name; }

class Errors : public testing::TestWithParam<ErrorCase> {};

TEST_P(Errors, PrintOneLineAndCarryOn) {
  const ErrorCase& c = GetParam();
  const RunResult r = Type(c.line + "\\nm 4000 a5\\nd 4000 1\\n");
  EXPECT_EQ(RowsFrom(r, 2), (std::vector<std::string>{"> " + c.line, c.message, "> m 4000 a5",
                                                      "> d 4000 1", Line("4000: A5", "."), "> ."}));
  for (int col = 0; col < 40; ++col) EXPECT_EQ(r.Colour(3, col), kErrorColour) << col;
  // Nothing outside the scratch byte was written by the failed command.
  for (uint32_t a : {0x2000u, 0x37FFu, 0x3A00u, 0x4001u, 0xC000u})
    EXPECT_EQ(r.memory[a], 0) << std::hex << a;
  for (uint32_t a : {0xF000u, 0xFFFFu}) EXPECT_EQ(r.memory[a], 0x76) << std::hex << a;
}

INSTANTIATE_TEST_SUITE_P(
    Monitor, Errors,
    testing::Values(ErrorCase{"unknown_command", "z 1", "?SYNTAX"},
                    ErrorCase{"long_command_word", "dump 0", "?SYNTAX"},
                    ErrorCase{"letter_glued_to_number", "d0", "?SYNTAX"},
                    ErrorCase{"not_hex", "d 12g", "?BAD NUMBER"},
                    ErrorCase{"word_for_number", "g start", "?BAD NUMBER"},
                    ErrorCase{"more_than_16_bits", "d 12345", "?BAD NUMBER"},
                    ErrorCase{"byte_above_ff", "m 4001 100", "?BAD NUMBER"},
                    ErrorCase{"bad_byte_after_good_ones", "m 4001 1 2 x", "?BAD NUMBER"},
                    ErrorCase{"dump_count_zero", "d 4000 0", "?BAD NUMBER"},
                    ErrorCase{"dump_count_too_big", "d 4000 81", "?BAD NUMBER"},
                    ErrorCase{"dump_too_many_arguments", "d 4000 8 1", "?SYNTAX"},
                    ErrorCase{"modify_without_bytes", "m 4001", "?SYNTAX"},
                    ErrorCase{"modify_without_address", "m", "?SYNTAX"},
                    ErrorCase{"fill_without_byte", "f 4001 2", "?SYNTAX"},
                    ErrorCase{"fill_too_many_arguments", "f 4001 2 3 4", "?SYNTAX"},
                    ErrorCase{"fill_byte_above_ff", "f 4001 2 1ff", "?BAD NUMBER"},
                    ErrorCase{"call_without_address", "g", "?SYNTAX"},
                    ErrorCase{"output_without_value", "o ff", "?SYNTAX"},
                    ErrorCase{"output_port_above_ff", "o 100 1", "?BAD NUMBER"},
                    ErrorCase{"table_with_argument", "c 1", "?SYNTAX"},
                    ErrorCase{"colours_with_argument", "p 1", "?SYNTAX"},
                    ErrorCase{"clear_with_argument", "x x", "?SYNTAX"},
                    ErrorCase{"help_with_argument", "h 1", "?SYNTAX"},
                    ErrorCase{"modify_rom", "m 1fff 1", "?PROTECTED"},
                    ErrorCase{"modify_monitor_ram", "m 3800 1", "?PROTECTED"},
                    ErrorCase{"modify_into_monitor_ram", "m 37ff 1 2", "?PROTECTED"},
                    ErrorCase{"modify_monitor_stack", "m 39ff 1", "?PROTECTED"},
                    ErrorCase{"modify_past_ffff", "m ffff 1 2", "?PROTECTED"},
                    ErrorCase{"fill_rom", "f 0 1 0", "?PROTECTED"},
                    ErrorCase{"fill_over_monitor_ram", "f 3000 1000 0", "?PROTECTED"},
                    ErrorCase{"fill_past_ffff", "f c000 4001 0", "?PROTECTED"}),
    [](const testing::TestParamInfo<ErrorCase>& info) { return std::string(info.param.name); });

TEST(Monitor, ClearScreenKeepsOnlyTheBannerAndAPrompt) {
  const RunResult r = Type("h\\nx\\n");
  EXPECT_EQ(RowsFrom(r, 0), (std::vector<std::string>{kBanner, "> ."}));
  EXPECT_EQ(r.Char(1, 2), 0x7F);
  for (int c = 0; c < 40; ++c) {
    EXPECT_EQ(r.Colour(0, c), kBannerColour);
    EXPECT_EQ(r.Colour(5, c), kTextColour);
  }
}

TEST(Monitor, CharacterSetTable) {
  const RunResult r = Type("x\\nc\\n");
  ASSERT_EQ(r.Row(1), "> c");
  EXPECT_EQ(r.Row(2), "      0 1 2 3 4 5 6 7 8 9 A B C D E F");
  for (int row = 0; row < 16; ++row) {
    char label[8];
    std::snprintf(label, sizeof label, " %X0", row);
    const std::string text = r.rows[3 + row];
    EXPECT_EQ(text.substr(0, 6), std::string(label) + "   ") << row;
    for (int col = 0; col < 16; ++col) {
      const int code = 16 * row + col;
      EXPECT_EQ(r.Char(3 + row, 6 + 2 * col), code) << "code " << code;
      EXPECT_EQ(r.Char(3 + row, 7 + 2 * col), ' ') << "code " << code;
    }
  }
  EXPECT_EQ(r.Row(19), "> .");
}

TEST(Monitor, ColourPairTable) {
  const RunResult r = Type("x\\np\\n");
  ASSERT_EQ(r.Row(1), "> p");
  EXPECT_EQ(r.Row(2), "FG/BG 0 1 2 3 4 5 6 7 8 9 A B C D E F");
  for (int fg = 0; fg < 16; ++fg) {
    std::string expected = "  " + std::string(1, "0123456789ABCDEF"[fg]) + "   ";
    for (int bg = 0; bg < 16; ++bg) {
      char cell[4];
      std::snprintf(cell, sizeof cell, "%X%X", fg, bg);
      expected += cell;
      EXPECT_EQ(r.Colour(3 + fg, 6 + 2 * bg), 16 * fg + bg) << fg << "," << bg;
      EXPECT_EQ(r.Colour(3 + fg, 7 + 2 * bg), 16 * fg + bg) << fg << "," << bg;
    }
    EXPECT_EQ(r.Row(3 + fg), expected);
    EXPECT_EQ(r.Colour(3 + fg, 0), kTextColour);
    EXPECT_EQ(r.Colour(3 + fg, 39), kTextColour);
  }
}

TEST(Monitor, ScrollingMovesColoursWithTheText) {
  // "> p", 17 table rows, "> h", 11 help rows and the prompt: rows 2-32.
  const RunResult r = Type("p\\nh\\n");
  EXPECT_EQ(r.Row(0), kBanner);
  EXPECT_EQ(r.Row(24), "> .");
  EXPECT_EQ(r.Row(23), "Free RAM: 3A00-BFFF");
  int found = -1;
  for (int row = 1; row < 25; ++row) {
    if (r.Row(row).rfind("  F   F0F1", 0) == 0) found = row;
  }
  // So everything moved up eight rows: "  F ..." from row 19 to row 11.
  EXPECT_EQ(found, 11);
  EXPECT_EQ(r.Row(12), "> h");
  for (int bg = 0; bg < 16; ++bg) EXPECT_EQ(r.Colour(found, 6 + 2 * bg), 0xF0 + bg) << bg;
  for (int c = 0; c < 40; ++c) EXPECT_EQ(r.Colour(0, c), kBannerColour);
  EXPECT_EQ(r.Colour(12, 0), kPromptColour);
  for (int c = 1; c < 40; ++c) EXPECT_EQ(r.Colour(12, c), kTextColour) << c;
  for (int c = 0; c < 40; ++c)
    EXPECT_EQ(r.Colour(24, c), c == 0 ? kPromptColour : kTextColour) << c;
}

TEST(Monitor, ScreenFullOfCommandsKeepsScrolling) {
  std::string typed;
  for (int i = 0; i < 30; ++i) typed += "m 4000 " + std::to_string(i % 10) + "\\n";
  const RunResult r = Type(typed + "d 4000 1\\n");
  EXPECT_EQ(r.Row(0), kBanner);
  EXPECT_EQ(r.Row(21), "> m 4000 9");
  EXPECT_EQ(r.Row(22), "> d 4000 1");
  EXPECT_EQ(r.Row(23), Line("4000: 09", "."));
  EXPECT_EQ(r.Row(24), "> .");
}

TEST(Monitor, CursorFollowsTypingAndBackspace) {
  RunResult r = Type("d 4");
  EXPECT_EQ(r.Row(2), "> d 4.");
  EXPECT_EQ(r.Char(2, 5), 0x7F);
  r = Type("d 4\\b");
  EXPECT_EQ(r.Row(2), "> d .");
  EXPECT_EQ(r.Char(2, 4), 0x7F);
  EXPECT_EQ(r.Char(2, 5), ' ');
}

TEST(Monitor, HeldKeysAreTakenOnce) {
  // Each key stays down for 300,000 instructions: a ROM that repeated held
  // keys would fill the line.
  const RunResult r = RunRom(Typed("dd\\n\\n").Gap(300'000));
  ExpectCleanRun(r);
  EXPECT_EQ(RowsFrom(r, 2), (std::vector<std::string>{"> dd", "?SYNTAX", ">", "> ."}));
}

TEST(Monitor, QuickTypingIsNotLost) {
  // Keys 3,000 instructions apart: every press is still seen.
  const RunResult r = RunRom(Typed("m 4000 1 22 333\\nd 4000 1\\n").Gap(3'000));
  ExpectCleanRun(r);
  EXPECT_EQ(RowsFrom(r, 2), (std::vector<std::string>{"> m 4000 1 22 333", "?BAD NUMBER",
                                                      "> d 4000 1", Line("4000: 00", "."), "> ."}));
}

TEST(Monitor, CallRunsAProgramThatReturns) {
  // LD A,'!' ; LD (3027h),A ; RET  - a mark in the title bar's last cell.
  const RunResult r = Type("m 4000 3e 21 32 27 30 c9\\ng 4000\\nd 4000 6\\n");
  EXPECT_EQ(r.Char(0, 39), '!');
  EXPECT_EQ(RowsFrom(r, 2),
            (std::vector<std::string>{"> m 4000 3e 21 32 27 30 c9", "> g 4000", "> d 4000 6",
                                      Line("4000: 3E 21 32 27 30 C9", ">!2'0."), "> ."}));
}

TEST(Monitor, OutputToScramblePortTwiceRestoresTheCartridgeArea) {
  std::vector<uint8_t> cart(16384);
  for (size_t i = 0; i < cart.size(); ++i) cart[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  cart[0] = 'N';  // no header: the monitor starts
  const RunResult r = RunRom(Typed("o ff 5a\\nd c000 2\\no FF 5A\\nd c000 2\\n").Cart(cart));
  ExpectCleanRun(r);
  const std::string plain = DumpRow(0xC000, {cart[0], cart[1]});
  const std::string scrambled = DumpRow(0xC000, {uint8_t(cart[0] ^ 0x5A), uint8_t(cart[1] ^ 0x5A)});
  EXPECT_EQ(RowsFrom(r, 2), (std::vector<std::string>{"> o ff 5a", "> d c000 2", scrambled,
                                                      "> o FF 5A", "> d c000 2", plain, "> ."}));
  EXPECT_EQ(r.StderrLines("caption:"),
            (std::vector<std::string>{"caption: Zorva - (Current cypher: 5a)",
                                      "caption: Zorva - (Current cypher: 5a)"}));
  EXPECT_TRUE(std::equal(cart.begin(), cart.end(), r.memory.begin() + 0xC000))
      << "cartridge area restored";
}

// ---------------------------------------------------------------------------
// Cartridges.

std::vector<uint8_t> Cartridge(const std::string& signature, std::vector<uint8_t> code) {
  std::vector<uint8_t> cart(16384, 0);
  std::copy(signature.begin(), signature.end(), cart.begin());
  cart[5] = 0x10;  // entry C010
  cart[6] = 0xC0;
  std::copy(code.begin(), code.end(), cart.begin() + 0x10);
  return cart;
}

// LD HL,3190h (row 10) ; LD (HL),'C' ; INC HL ; ... 'A' 'R' 'T' ; JR $
const std::vector<uint8_t> kMarkAndStay = {0x21, 0x90, 0x31, 0x36, 'C',  0x23, 0x36, 'A',
                                           0x23, 0x36, 'R',  0x23, 0x36, 'T',  0x18, 0xFE};
// LD A,0A5h ; LD (4000h),A ; RET
const std::vector<uint8_t> kMarkAndReturn = {0x3E, 0xA5, 0x32, 0x00, 0x40, 0xC9};

TEST(Cartridge, WithTheHeaderRunsInsteadOfTheMonitor) {
  const RunResult r = RunRom(Typed("").Cart(Cartridge("ZORVA", kMarkAndStay)));
  ExpectCleanRun(r);
  EXPECT_EQ(r.Row(10), "CART");
  EXPECT_EQ(RowsFrom(r, 0).size(), 11u) << "nothing but the mark on a cleared screen";
  EXPECT_EQ(r.Row(0), "");
  EXPECT_EQ(r.Colour(10, 0), kTextColour);
}

TEST(Cartridge, ThatReturnsLandsInTheMonitor) {
  const RunResult r = RunRom(Typed("d 4000 1\\n").Cart(Cartridge("ZORVA", kMarkAndReturn)));
  ExpectCleanRun(r);
  EXPECT_EQ(r.memory[0x4000], 0xA5);
  EXPECT_EQ(RowsFrom(r, 0),
            (std::vector<std::string>{kBanner, kHint, "> d 4000 1", Line("4000: A5", "."), "> ."}));
}

TEST(Cartridge, WithoutTheHeaderIsIgnored) {
  for (const std::string& signature :
       {std::string("ZORVB"), std::string("zorva"), std::string("ZORV"), std::string("\0ORVA", 5),
        std::string()}) {
    SCOPED_TRACE(signature);
    const RunResult r = RunRom(Typed("").Cart(Cartridge(signature, kMarkAndStay)));
    ExpectCleanRun(r);
    EXPECT_EQ(RowsFrom(r, 0), (std::vector<std::string>{kBanner, kHint, "> ."}));
  }
}

// ---------------------------------------------------------------------------
// Every command stays within its instruction budget, so that a key typed
// 20,000 instructions after Enter is never missed. Counted on the trace,
// from entering the interpreter to coming back to the line editor.

struct BudgetCase {
  const char* name;
  std::string line;
};

void PrintTo(const BudgetCase& c, std::ostream* os) { *os << c.name; }

class Budget : public testing::TestWithParam<BudgetCase> {};

TEST_P(Budget, CommandTakesFewerThan15000Instructions) {
  const BudgetCase& c = GetParam();
  const RunResult r = RunRom(Typed(c.line + "\\n").Gap(1'000).Traced(40'000));
  ExpectCleanRun(r);
  const uint16_t execute = Symbol("execute");
  const uint16_t readline = Symbol("readline");
  size_t start = 0, runs = 0;
  for (size_t i = 0; i < r.pcs.size(); ++i) {
    if (r.pcs[i] == execute) start = i;
    if (r.pcs[i] == readline && start != 0) {
      EXPECT_LT(i - start, 15'000u);
      EXPECT_GT(i - start, 10u);
      start = 0;
      ++runs;
    }
  }
  EXPECT_EQ(runs, 1u) << "the command ran and came back once";
}

INSTANTIATE_TEST_SUITE_P(
    Monitor, Budget,
    testing::Values(BudgetCase{"dump_default", "d 0"}, BudgetCase{"dump_largest", "d 0 80"},
                    BudgetCase{"modify_many", "m 4000 1 2 3 4 5 6 7 8 9 a b c d e f"},
                    BudgetCase{"fill_large", "f 4000 7fff 1"}, BudgetCase{"scramble", "o ff 5a"},
                    BudgetCase{"characters", "c"}, BudgetCase{"colours", "p"},
                    BudgetCase{"clear", "x"}, BudgetCase{"help", "h"},
                    BudgetCase{"error", "d 0 0"}),
    [](const testing::TestParamInfo<BudgetCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zorva::romtest
