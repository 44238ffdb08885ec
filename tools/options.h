// The command line of zorva-run. ParseOptions is a pure function of its
// arguments (no I/O, no exit) so that it can be tested and fuzzed on its own.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorva::tools {

// Instructions our ROM takes from power-on to its first prompt (it unpacks
// itself into RAM, about 8.1 million), with room to spare: typed text starts
// after them unless --type-after says otherwise.
constexpr uint32_t kStartUp = 10'000'000;

struct RunOptions {
  std::string rom;
  std::optional<std::string> cartridge;
  uint16_t start = 0x0000;
  uint16_t end = 0xFFFF;
  uint64_t steps = 100'000'000;         // 0: no limit
  std::string typed;                    // from --type, its \n and \b turned into the characters
  std::optional<std::string> typeFile;  // typed before `typed`
  std::optional<uint32_t> keyGap;  // instructions between two key events; else the typist's pace
  uint32_t typeAfter = kStartUp;   // instructions run before the first key
  std::optional<std::string> trace;
  std::string programs = ".";  // the folder of BASIC's SAVE, LOAD and FILES
  bool regs = false;
  std::optional<std::string> dump;
  bool screen = false;
  std::optional<std::string> png;
  int zoom = 2;  // of the PNG picture, as the window's view commands: 1, 2 or 3
};

struct ParseResult {
  enum class Action { Run, Help, UsageError };
  Action action = Action::UsageError;
  RunOptions options;  // meaningful for Run
  std::string error;   // one line, for UsageError
};

// `args` excludes the program name.
ParseResult ParseOptions(std::span<const std::string_view> args);

// --type's text as typed: the two characters \n stand for a newline, \b for
// a backspace, since a shell cannot easily pass those.
std::string TypedText(std::string_view text);

// The usage text, ending in a newline.
std::string_view UsageText();

}  // namespace zorva::tools
