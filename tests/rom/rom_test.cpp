// The system ROM (rom/) as built. Every instruction in its code part must be
// one the emulated processor carries out, as decoded by an independent
// disassembler (libz80ex). The monitor is driven as a user meets it, through
// zorva-run (rom_run.h).
#include <gtest/gtest.h>
#include <z80ex/z80ex_dasm.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/rom/rom_run.h"
#include "tests/rom/z80_subset.h"

namespace zorva {
namespace {

using testing::kCursor;
using testing::Refusal;
using testing::RomImage;
using testing::RomRun;
using testing::RunRom;
using testing::Symbol;

// ---------------------------------------------------------------------------
// The program as assembled: the ROM's own code runs from 0000 to rom_code_end,
// the code unpacked at power-on from ram_low_start to low_code_end and from
// ram_high_start to high_code_end; tables among the code lie between a label
// ending in _data and the same label with _end after it.

Z80EX_BYTE ReadImage(Z80EX_WORD address, void* image) {
  const auto& bytes = *static_cast<const std::vector<uint8_t>*>(image);
  return address < bytes.size() ? bytes[address] : 0;
}

std::vector<uint8_t> Program() {
  const std::string text = testing::ReadText(ZORVA_ROM_PROGRAM);
  return {text.begin(), text.end()};
}

TEST(RomImage, EveryInstructionIsOneTheProcessorHas) {
  const std::vector<uint8_t> program = Program();
  ASSERT_GT(program.size(), 0x4000u);
  // Tables inside the code: from each X_data to X_data_end.
  std::vector<std::pair<uint32_t, uint32_t>> tables;
  std::string symbolText = "\n";  // (not "\n" + ...: GCC 12 warns wrongly of that)
  symbolText += testing::ReadText(ZORVA_ROM_SYMBOLS);
  std::istringstream symbols(symbolText);
  for (std::string name, equ, value; symbols >> name >> equ >> value;) {
    if (name.ends_with("_data") && symbolText.find("\n" + name + "_end\t") != std::string::npos)
      tables.emplace_back(Symbol(name), Symbol(name + "_end"));
  }
  int instructions = 0;
  for (const auto& [from, to] : {std::pair<const char*, const char*>{nullptr, "rom_code_end"},
                                 {"ram_low_start", "low_code_end"},
                                 {"ram_high_start", "high_code_end"}}) {
    const uint32_t end = Symbol(to);
    uint32_t at = from ? Symbol(from) : 0;
    for (char text[64]; at < end; ++instructions) {
      if (auto t = std::find_if(tables.begin(), tables.end(),
                                [&](const auto& r) { return r.first == at; });
          t != tables.end()) {
        at = t->second;
        continue;
      }
      int t1 = 0, t2 = 0;
      const int length =
          z80ex_dasm(text, sizeof text, 0, &t1, &t2, ReadImage, static_cast<Z80EX_WORD>(at),
                     const_cast<std::vector<uint8_t>*>(&program));
      ASSERT_GT(length, 0) << std::hex << at;
      EXPECT_EQ(Refusal(program, static_cast<uint16_t>(at)), "") << std::hex << at << ": " << text;
      at += static_cast<uint32_t>(length);
    }
    EXPECT_EQ(at, end) << to << ": decoding out of step with the assembler";
  }
  EXPECT_GT(instructions, 3000);
}

TEST(RomImage, CheckerRefusesMissingForms) {
  // Instruction bytes at 0100: the first six are forms the processor has.
  const std::string forms[] = {"00", "CB3F", "CBC6", "EDB0",   "DD7700", "DDCB00C6", "F3",
                               "27", "CB38", "EDA0", "DDA600", "FD7300", "DDCB0006"};
  for (int i = 0; i < 13; ++i) {
    std::vector<uint8_t> image(8192, 0);
    for (size_t k = 0; k < forms[i].size(); k += 2)
      image[0x100 + k / 2] = static_cast<uint8_t>(std::stoi(forms[i].substr(k, 2), nullptr, 16));
    EXPECT_EQ(Refusal(image, 0x100).empty(), i < 6) << forms[i];
  }
}

// ---------------------------------------------------------------------------
// The monitor.

constexpr const char* kBanner = " ZORVA MONITOR 1.0";
constexpr uint8_t kPromptColour = 0x3C;

// The screen after the banner and the hint.
std::vector<std::string> Monitor(std::vector<std::string> rows) {
  rows.insert(rows.begin(), {kBanner, "Type H for help."});
  return rows;
}

// A dump line as the monitor prints it: hex from column 6, text from column 30.
std::string Dump(uint16_t address, const std::vector<uint8_t>& bytes) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "%04X:", address);
  std::string row = hex, text;
  for (uint8_t b : bytes) {
    std::snprintf(hex, sizeof hex, " %02X", b);
    row += hex;
    text += b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '.';
  }
  row.resize(30, ' ');
  return (row + text).substr(0, (row + text).find_last_not_of(' ') + 1);
}

// Patterned, `signature` first; its code at C010 puts a 'C' on row 10 and stays.
std::vector<uint8_t> Cartridge(const std::string& signature) {
  std::vector<uint8_t> cart(16384);
  for (size_t i = 0; i < cart.size(); ++i) cart[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  const uint8_t entry[] = {0x10, 0xC0}, code[] = {0x3E, 'C', 0x32, 0x90, 0x31, 0x18, 0xFE};
  std::copy(signature.begin(), signature.end(), cart.begin());
  std::copy(std::begin(entry), std::end(entry), cart.begin() + 5);
  std::copy(std::begin(code), std::end(code), cart.begin() + 0x10);
  return cart;
}

struct Case {
  const char* name;
  std::string typed;
  std::vector<std::string> rows;  // the whole screen; empty: only `check` judges it
  std::function<void(const RomRun&)> check = nullptr;
  std::vector<uint8_t> cart = {};
};

std::vector<Case> Cases() {
  const std::vector<uint8_t> rom = RomImage(), cart = Cartridge("NONE");
  std::vector<std::string> romDump = {"> D 0000"}, cartScreen(10, "");
  for (int i = 0; i < 64; i += 8) romDump.push_back(Dump(i, {&rom[i], &rom[i + 8]}));
  romDump.push_back("> " + kCursor);
  cartScreen.push_back("C");
  return {
      {"boot", "", Monitor({"> " + kCursor}),
       [](const RomRun& r) {
         EXPECT_EQ(r.Char(2, 2), 0x7F) << "the cursor is a block";
         for (int c = 0; c < 40; ++c) {
           EXPECT_EQ(r.Colour(0, c), 0xC6);                           // banner
           EXPECT_EQ(r.Colour(1, c), 0x2C);                           // hint
           EXPECT_EQ(r.Colour(2, c), c == 0 ? kPromptColour : 0x7C);  // prompt, text
         }
       }},
      {"dump_rom", "D 0000\n", Monitor(romDump)},
      {"modify_then_dump", "m 8000 12 ab Cd 7 41 7e 7f 20 0\nd 8000 a\n",
       Monitor({"> m 8000 12 ab Cd 7 41 7e 7f 20 0", "> d 8000 a",
                "8000: 12 AB CD 07 41 7E 7F 20 ....A~.", Dump(0x8008, {0, 0}), "> " + kCursor})},
      {"fill_up_to_the_end_of_free_ram", "f 6001 5ffe e5\nd 6000 2\n",
       Monitor({"> f 6001 5ffe e5", "> d 6000 2", Dump(0x6000, {0, 0xE5}), "> " + kCursor}),
       [](const RomRun& r) { EXPECT_EQ(r.memory[0xBFFE] << 8 | r.memory[0xBFFF], 0xE500); }},
      {"scramble_port_twice", "o ff 5a\nd c000 2\nO FF 5A\nd c000 2\n",
       Monitor({"> o ff 5a", "> d c000 2", Dump(0xC000, {'N' ^ 0x5A, 'O' ^ 0x5A}), "> O FF 5A",
                "> d c000 2", Dump(0xC000, {'N', 'O'}), "> " + kCursor}),
       [cart](const RomRun& r) {
         EXPECT_EQ(r.err,
                   "caption: Zorva - (Current cypher: 5a)\n"
                   "caption: Zorva - (Current cypher: 5a)\n");
         EXPECT_TRUE(std::equal(cart.begin(), cart.end(), r.memory.begin() + 0xC000));
       },
       cart},
      {"call_returns",
       "m 8000 3e 21 32 27 30 c9\ng 8000\n",  // LD A,'!'; LD (3027h),A; RET
       {kBanner + std::string(21, ' ') + "!", "Type H for help.", "> m 8000 3e 21 32 27 30 c9",
        "> g 8000", "> " + kCursor}},
      {"character_set",
       "x\nc\n",
       {},
       [](const RomRun& r) {
         EXPECT_EQ(r.rows.at(2), "      0 1 2 3 4 5 6 7 8 9 A B C D E F");
         for (int code = 0; code < 256; ++code) {
           EXPECT_EQ(r.Char(3 + code / 16, 6 + 2 * (code % 16)), code);
           EXPECT_EQ(r.Char(3 + code / 16, 7 + 2 * (code % 16)), ' ');
         }
         EXPECT_EQ(r.rows.at(19), "> " + kCursor);
       }},
      {"unknown_command", "z 1\nm 8000 a5\nd 8000 1\n",
       Monitor(
           {"> z 1", "?SYNTAX", "> m 8000 a5", "> d 8000 1", Dump(0x8000, {0xA5}), "> " + kCursor}),
       [](const RomRun& r) { EXPECT_EQ(r.Colour(3, 39), 0x1C) << "error colour"; }},
      {"bad_number", "d 12g\n", Monitor({"> d 12g", "?BAD NUMBER", "> " + kCursor})},
      // Nothing is written when the range runs into the monitor's own RAM.
      {"protected", "m 37ff 1 2\n", Monitor({"> m 37ff 1 2", "?PROTECTED", "> " + kCursor}),
       [](const RomRun& r) { EXPECT_EQ(r.memory[0x37FF], 0x7C); }},  // as clearing left it
      // The code unpacked at power-on is the ROM's own: below the screen and
      // from 4000 up to BASIC's program; BASIC's state between is free.
      {"protected_code", "f 2fff 1 0\nm 3fff 0 0\nf 4000 1 0\nm 3fff 0\n",
       Monitor({"> f 2fff 1 0", "?PROTECTED", "> m 3fff 0 0", "?PROTECTED", "> f 4000 1 0",
                "?PROTECTED", "> m 3fff 0", "> " + kCursor})},
      {"clear", "h\nx\n", {kBanner, "> " + kCursor}},
      // The colour table and the help fill 25 rows: text and colours move up two rows.
      {"help_scrolls",
       "p\nh\n",
       {},
       [](const RomRun& r) {
         ASSERT_EQ(r.rows.size(), 25u);
         EXPECT_EQ(r.rows[0], kBanner);
         EXPECT_EQ(r.rows[17].substr(0, 10), "  F   F0F1");
         EXPECT_EQ(r.Colour(17, 7), 0xF0);
         EXPECT_EQ(std::vector(r.rows.begin() + 18, r.rows.begin() + 21),
                   (std::vector<std::string>{"> h", "Commands, numbers in hex:",
                                             " D [addr [n]] dump  M addr bb.. modify"}));
         EXPECT_EQ(r.rows[23], " P colours  X clear  H help  B BASIC");
         EXPECT_EQ(r.rows[24], "> " + kCursor);
         EXPECT_EQ(r.Colour(24, 0), kPromptColour);
       }},
      {"cartridge_with_header_runs", "", cartScreen, nullptr, Cartridge("ZORVA")},
      {"cartridge_without_header_is_ignored", "", Monitor({"> " + kCursor}), nullptr,
       Cartridge("ZORVB")},
  };
}

TEST(Monitor, TypedCommandsLeaveTheExpectedScreen) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    const RomRun r = RunRom({.typed = "mon\n" + c.typed, .cart = c.cart});
    if (!c.rows.empty()) {
      EXPECT_EQ(r.rows, c.rows);
    }
    if (c.check) c.check(r);
  }
}

// A command that keeps the keyboard unread for more than about 15,000
// instructions would miss a key typed 20,000 instructions after Enter.
TEST(Monitor, EveryCommandReturnsWithin15000Instructions) {
  const uint16_t execute = Symbol("execute"), readline = Symbol("readline");
  for (const char* line : {"d 0 80", "m 8000 1 2 3 4 5 6 7 8 9 a b c d e f", "f 8000 3fff 1",
                           "o ff 5a", "c", "p", "x", "h", "d 0 0"}) {
    SCOPED_TRACE(line);
    const RomRun r = RunRom({.typed = "mon\n" + std::string(line) + "\n",
                             .gap = 1'000,
                             .after = 40'000,
                             .trace = true});
    std::vector<size_t> spans;
    for (size_t i = 0, start = 0; i < r.pcs.size(); ++i) {
      if (r.pcs[i] == execute) start = i;
      if (r.pcs[i] == readline && start != 0) spans.push_back(i - std::exchange(start, 0));
    }
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_LT(spans[0], 15'000u);
  }
}

}  // namespace
}  // namespace zorva
